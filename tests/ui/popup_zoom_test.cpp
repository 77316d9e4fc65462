#include <gtest/gtest.h>

#include <string>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"
#include "ui/ui_glue.h"

namespace {

// A stand-in for the graph engine's record: two factors; a factor that is not
// positive is refused with code 28, as the record refuses it.
BcdReal g_factor[2];
bool g_unreadable = false;

i32 ReadFactor(u32 isY, BcdReal *out) {
  if (g_unreadable) return 4;
  *out = g_factor[isY ? 1 : 0];
  return 0;
}

i32 WriteFactor(u32 isY, const BcdReal *f) {
  const std::string t = [&] {
    u8 text[22];
    NumRealToTokens(f, text);
    return std::string(reinterpret_cast<char *>(text));
  }();
  if (t[0] == '\x87' || t == "0") return 28;
  g_factor[isY ? 1 : 0] = *f;
  return 0;
}

std::string Text(const BcdReal &r) {
  u8 text[22];
  NumRealToTokens(&r, text);
  return reinterpret_cast<char *>(text);
}

class PopupZoomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartScreenTest();
    RealSetTwo(&g_factor[0]);
    RealSetTwo(&g_factor[1]);
    g_unreadable = false;
    UiGlueSetZoomFactorStore(ReadFactor, WriteFactor);
  }
  void TearDown() override {
    UiGlueSetZoomFactorStore(nullptr, nullptr);
    StopKeyFeed();
  }
};

TEST_F(PopupZoomTest, EditsBothFactorsAndShowsThem) {
  keyfeed::record = true;
  // Xfact 5 EXE (the selection moves to Yfact), 3 EXE, EXE closes.
  Press({'5', kKeyExe, '3', kKeyExe, kKeyExe});
  EXPECT_EQ(PopupZoomFactors(), 0);
  EXPECT_EQ(Text(g_factor[0]), "5");
  EXPECT_EQ(Text(g_factor[1]), "3");
  const std::string &first = keyfeed::seen[0];
  EXPECT_NE(first.find("Factor"), std::string::npos) << first;
  EXPECT_NE(first.find("Xfact:2"), std::string::npos) << first;
  EXPECT_NE(first.find("Yfact:2"), std::string::npos) << first;
  EXPECT_NE(keyfeed::seen.back().find("Yfact:3"), std::string::npos) << keyfeed::seen.back();
  EXPECT_EQ(ScreenText().find("Factor"), std::string::npos) << "the screen is put back";
}

TEST_F(PopupZoomTest, KeysTable) {
  struct Case {
    const char *name;
    std::initializer_list<u32> keys;
    i32 result;
    const char *x;
    const char *y;
  } cases[] = {
      {"EXIT", {kKeyExit}, -2, "2", "2"},
      {"SHIFT+EXIT while editing", {'7', kKeyQuit}, -1, "2", "2"},
      {"DOWN then a value", {kKeyDown, '4', kKeyExe, kKeyExe}, 0, "2", "4"},
      {"RIGHT edits the stored value", {kKeyRight, '5', kKeyExe, kKeyExe}, 0, "25", "2"},
      {"formula", {'1', kChrDivide, '4', kKeyExe, kKeyExe}, 0, "0.25", "2"},
      {"0 refused by the record, then 6", {'0', kKeyExe, kKeyExit, kKeyDel, '6', kKeyExe, kKeyExe}, 0, "6", "2"},
      {"bad text stays for editing", {'1', kChrPlus, kKeyExe, kKeyExit, '1', kKeyExe, kKeyExe}, 0, "2", "2"},
  };
  for (const Case &c : cases) {
    ClearKeys();
    RealSetTwo(&g_factor[0]);
    RealSetTwo(&g_factor[1]);
    Press(c.keys);
    EXPECT_EQ(PopupZoomFactors(), c.result) << c.name;
    EXPECT_EQ(Text(g_factor[0]), c.x) << c.name;
    EXPECT_EQ(Text(g_factor[1]), c.y) << c.name;
  }
}

TEST_F(PopupZoomTest, UnreadableFactorShowsTheErrorBoxFirst) {
  g_unreadable = true;
  keyfeed::record = true;
  Press({kKeyExit, kKeyExit});
  EXPECT_EQ(PopupZoomFactors(), -2);
  EXPECT_NE(keyfeed::seen[0].find("Memory ERROR"), std::string::npos) << keyfeed::seen[0];
}

// Behind the seam by default: the graph memory's record, made with 2 and 2,
// refusing a factor that is not positive.
TEST_F(PopupZoomTest, DefaultStoreIsTheGraphRecord) {
  UiGlueSetZoomFactorStore(nullptr, nullptr);
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  ASSERT_EQ(McsClearAll(), 0u);
  BcdReal f;
  EXPECT_EQ(UiGlueReadZoomFactor(1, &f), 0);
  EXPECT_EQ(Text(f), "2");
  NumParse("-1", &f);
  EXPECT_EQ(UiGlueWriteZoomFactor(1, &f), 28);
  NumParse("5", &f);
  EXPECT_EQ(UiGlueWriteZoomFactor(1, &f), 0);
  EXPECT_EQ(UiGlueReadZoomFactor(1, &f), 0);
  EXPECT_EQ(Text(f), "5");
  EXPECT_EQ(UiGlueReadZoomFactor(0, &f), 0);
  EXPECT_EQ(Text(f), "2");
  MemFreeAll();
  HostFreeCalcRam();
}

}  // namespace
