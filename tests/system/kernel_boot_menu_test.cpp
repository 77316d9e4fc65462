// The boot, the main menu and the start of applications, driven as a user.
#include <gtest/gtest.h>

#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "storage/file.h"
#include "storage/fls.h"
#include "tests/support/harness.h"
#include "tests/system/kernel_probe.inc"

namespace {

class KernelMenu : public CalcSystemTest {
 protected:
  void SetUp() override {
    ProbeInstallEverywhere();
    CalcSystemTest::SetUp();
  }
};

using KernelBoot = CalcSystemTest;

TEST_F(KernelBoot, FreshBootShowsBothNoticesThenTheMainMenu) {
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_FALSE(CalcMainMenuShown());
  EXPECT_TRUE(CalcScreenHas("MAIN MEMORIES")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("CLEARED!"));
  EXPECT_TRUE(CalcScreenHas("Press [MENU] KEY"));
  // The cleared memory's Ans is 0, and so are the host's answer texts.
  const char *re = nullptr, *im = nullptr;
  HostFormatAnswer(&re, &im);
  EXPECT_STREQ(re, "+0.00000000000000E+000");
  EXPECT_STREQ(im, "+0.00000000000000E+000");
  const std::string box = CalcScreenPicture();
  // Keys other than MENU are read and ignored; the capture box that SHIFT 7
  // opens over the notice gives it back when EXIT closes the box.
  ASSERT_TRUE(CalcPress("EXE 1 EXIT F1 AC LEFT SHIFT 7"));
  EXPECT_TRUE(CalcScreenHas("Capture[1~20]:")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcScreenPicture(), box);
  ASSERT_TRUE(CalcPress("MENU"));
  // The image was not formatted: the storage notice follows.
  EXPECT_TRUE(CalcScreenHas("STORAGE MEMORIES")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("CLEARED!"));
  EXPECT_FALSE(CalcScreenHas("MAIN MEMORIES"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("STORAGE MEMORIES"));
  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_TRUE(CalcMainMenuShown()) << CalcScreenPicture();
  EXPECT_EQ(CalcTitle(), "MAIN MENU");
  EXPECT_EQ(CalcMenuCursor(), 0);
  // The storage holds an empty formatted file system.
  EXPECT_EQ(FlsCheck(), 0);
  i32 find = 0;
  u16 name[16];
  FileFindInfo info{};
  static const u16 kAll[] = {'\\', '\\', 'f', 'l', 's', '0', '\\', '*', '.', '*', 0};
  EXPECT_EQ(FileFindFirst(kAll, &find, name, &info), -16);
}

class KernelBootFormatted : public testing::Test {
 protected:
  void SetUp() override { CalcStart(true); }
  void TearDown() override { CalcStop(); }
};

TEST_F(KernelBootFormatted, FormattedStorageShowsOnlyTheMainMemoryNotice) {
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_TRUE(CalcScreenHas("MAIN MEMORIES"));
  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_TRUE(CalcMainMenuShown()) << CalcScreenText();
}

TEST_F(KernelMenu, CursorKeysMoveOverTheIcons) {
  ASSERT_TRUE(CalcBootToMenu());
  struct Step {
    const char *keys;
    int cursor;
  };
  const Step steps[] = {
      {"RIGHT", 1},  {"LEFT", 0},          {"LEFT", 0},   {"UP", 0},   {"DOWN", 4},   {"DOWN", 8},
      {"RIGHT RIGHT RIGHT", 11},           {"DOWN", 14},  // no icon below: the jump to the last one
      {"RIGHT", 14}, {"DOWN", 14},         {"UP", 10},    {"DOWN", 14}, {"UP UP UP", 2}, {"DOWN DOWN DOWN", 14},
      {"LEFT LEFT", 12}, {"DOWN", 12},     {"UP", 8},     {"RIGHT", 9}, {"SHIFT", 9},  {"SHIFT", 9},
  };
  for (const Step &s : steps) {
    ASSERT_TRUE(CalcPress(s.keys));
    EXPECT_EQ(CalcMenuCursor(), s.cursor) << "after " << s.keys << "\n" << CalcScreenPicture();
    EXPECT_TRUE(CalcMainMenuShown());
  }
  EXPECT_EQ(CalcTitle(), "MAIN MENU");
}

struct LaunchCase {
  const char *keys;
  int id;
  const char *title;
};

class KernelLaunch : public KernelMenu, public testing::WithParamInterface<LaunchCase> {};

TEST_P(KernelLaunch, StartsTheChosenApplicationOnTheChildTask) {
  const LaunchCase &c = GetParam();
  ASSERT_TRUE(CalcBootToMenu());
  EXPECT_EQ(CalcTitle(), "MAIN MENU");
  ASSERT_TRUE(CalcPress(c.keys));
  EXPECT_FALSE(CalcMainMenuShown());
  EXPECT_EQ(CalcTitle(), c.title);
  EXPECT_EQ(g_probe.starts[c.id].load(), 1);
  EXPECT_EQ(g_probe.from_menu[c.id].load(), 1);
  // Every application but e-activity runs as the CHLD task.
  EXPECT_EQ(g_probe.task[c.id].load(), c.id == 2 ? 0 : 1);
  int started = 0;
  for (int i = 0; i < 16; ++i) started += g_probe.starts[i].load();
  EXPECT_EQ(started, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KernelLaunch,
    testing::Values(LaunchCase{"EXE", 0, "@RUNMAT"}, LaunchCase{"RIGHT RIGHT RIGHT EXE", 3, "@GRAPH"},
                    LaunchCase{"DOWN DOWN DOWN RIGHT RIGHT EXE", 14, "@SSHEET"}, LaunchCase{"1", 0, "@RUNMAT"},
                    LaunchCase{"5", 4, "@DYNA"}, LaunchCase{"9", 8, "@EQUA"}, LaunchCase{"3", 2, "@EACT"},
                    LaunchCase{"A", 9, "@PROG"}, LaunchCase{"XtT", 9, "@PROG"}, LaunchCase{"B", 10, "@FINANCE"},
                    LaunchCase{"C", 11, "@LINK"}, LaunchCase{"E", 13, "@SYSTEM"}, LaunchCase{"F", 14, "@SSHEET"},
                    LaunchCase{"F<>D G F", 14, "@SSHEET"}),
    [](const testing::TestParamInfo<LaunchCase> &info) {
      return "App" + std::to_string(info.param.id) + "_" + std::to_string(info.index);
    });

TEST_F(KernelMenu, LettersBeyondTheLastIconDoNothingButClearTheModifier) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(CalcPress("G H Z 0 RIGHT"));
  EXPECT_TRUE(CalcMainMenuShown());
  EXPECT_EQ(CalcMenuCursor(), 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_probe.starts[i].load(), 0);
  EXPECT_EQ(CalcTitle(), "MAIN MENU");
}

}  // namespace
