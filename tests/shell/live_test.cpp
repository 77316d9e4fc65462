// The window with the real calculator thread: the boot notice in the
// grabbed picture, MENU at the boot box, the main menu walked with the arrow
// keys, an application opened, answer files and replays that give the same
// files on every run. Each case runs in a process of its own.
#include <QApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "kernel/calc_ram.h"
#include "kernel/task_glue.h"
#include "number/real.h"
#include "shell/frame.h"
#include "shell/keymap.h"
#include "shell/skin.h"
#include "shell/storage_image.h"
#include "shell/tools.h"
#include "shell/view.h"
#include "shell_fixture.h"
#include "storage/file.h"
#include "storage/fls_image.h"
#include "live_fixture.h"
#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"
#include "ui/sysvar.h"

namespace {

bool Dot(const u8 *vram, int x, int y) { return (vram[16 * y + x / 8] >> (7 - x % 8)) & 1; }

// The grabbed window shows exactly the shown screen at twice its size.
testing::AssertionResult GrabShowsTheScreen(ShellView *view) {
  u8 shown[1024], grabbed[1024];
  LiveShownScreen(shown);
  const QImage img = view->grab().toImage();
  testing::AssertionResult read = ShellTestReadDisplay(img, grabbed);
  if (!read) return read;
  if (std::memcmp(shown, grabbed, sizeof shown) != 0) {
    return testing::AssertionFailure() << "the grab differs from the shadow\nshadow:\n"
                                       << ScreenPicture(shown) << "grab:\n" << ScreenPicture(grabbed);
  }
  return testing::AssertionSuccess();
}

void Click(ShellView *view, const char *key_name) {
  const ShellKeyRect *r = ShellSkinKeyRect(ShellKeyByName(key_name));
  ASSERT_NE(r, nullptr) << key_name;
  QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint((r->left + r->right) / 2, (r->top + r->bottom) / 2));
}

using LiveWindow = LiveWindowTest;

TEST_F(LiveWindow, BootNoticeIsDrawnAtTwiceItsSize) {
  u8 shown[1024];
  LiveShownScreen(shown);
  const std::string text = ScreenText(shown);
  EXPECT_NE(text.find("MAIN MEMORIES"), std::string::npos) << text;
  EXPECT_NE(text.find("CLEARED!"), std::string::npos) << text;
  EXPECT_NE(text.find("Press [MENU] KEY"), std::string::npos) << text;
  // The shown screen is the calculator's display memory.
  EXPECT_EQ(std::memcmp(shown, SysGlueVram(), sizeof shown), 0) << ScreenPicture(shown) << ScreenPicture(SysGlueVram());
  int set = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) set += Dot(shown, x, y);
  EXPECT_GT(set, 200);   // the box and its text are drawn
  EXPECT_LT(set, 4096);  // and most of the screen is clear

  const QImage img = view_->grab().toImage();
  u8 grabbed[1024];
  ASSERT_TRUE(ShellTestReadDisplay(img, grabbed));
  EXPECT_EQ(std::memcmp(grabbed, shown, sizeof grabbed), 0) << ScreenPicture(grabbed);
  EXPECT_EQ(ScreenText(grabbed), text);
  // Pixel by pixel: black for a set dot, white where nothing is drawn.
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 256; ++x) {
      const QRgb want = Dot(shown, x / 2, y / 2) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
      ASSERT_TRUE(ShellTestPixelIs(img, kLcdLeft + x, kLcdTop + y, want)) << x << "," << y;
    }
  }
  // Around the display the skin is drawn as it stands.
  const QImage &skin = SkinGet().normal;
  for (QPoint pt : {QPoint(kLcdLeft - 1, kLcdTop + 10), QPoint(kLcdLeft + 256, kLcdTop + 10),
                    QPoint(kLcdLeft + 100, kLcdTop - 1), QPoint(kLcdLeft + 100, kLcdTop + 128)})
    EXPECT_EQ(img.pixel(pt), skin.pixel(pt)) << pt.x() << "," << pt.y();
}

TEST_F(LiveWindow, MenuAtTheBootBoxThenArrowsWalkTheMainMenuAndExeOpensAnApplication) {
  // Keys other than MENU leave the notice as it is.
  u8 notice[1024], now[1024];
  LiveShownScreen(notice);
  QTest::keyClick(view_, Qt::Key_Return);
  QTest::keyClick(view_, Qt::Key_Left);
  ASSERT_TRUE(LiveWaitIdle());
  LiveShownScreen(now);
  EXPECT_EQ(std::memcmp(now, notice, sizeof now), 0) << ScreenPicture(now);
  // MENU clicked on the picture: the fresh image's storage notice follows.
  Click(view_, "MENU");
  ASSERT_TRUE(LiveWaitIdle());
  LiveShownScreen(now);
  EXPECT_NE(ScreenText(now).find("STORAGE MEMORIES"), std::string::npos) << ScreenText(now);
  EXPECT_TRUE(GrabShowsTheScreen(view_));
  // MENU from the PC keyboard (Page Down): the main menu.
  QTest::keyClick(view_, Qt::Key_PageDown);
  ASSERT_TRUE(LiveWaitIdle());
  ASSERT_TRUE(CalcMainMenuShown()) << ScreenText();
  EXPECT_EQ(CalcTitle(), "MAIN MENU");
  EXPECT_EQ(CalcMenuCursor(), 0);
  EXPECT_TRUE(GrabShowsTheScreen(view_));

  struct Step {
    Qt::Key key;
    int cursor;
  } steps[] = {
      {Qt::Key_Right, 1}, {Qt::Key_Down, 5},  {Qt::Key_Left, 4}, {Qt::Key_Left, 3},  // to the end of the row above
      {Qt::Key_Up, 3},    {Qt::Key_Down, 7},  {Qt::Key_Right, 8}, {Qt::Key_Up, 4},   {Qt::Key_Left, 3},
  };
  for (const Step &s : steps) {
    QTest::keyClick(view_, s.key);
    ASSERT_TRUE(LiveWaitIdle());
    EXPECT_EQ(CalcMenuCursor(), s.cursor) << "after key " << s.key << "\n" << ScreenText();
    EXPECT_TRUE(CalcMainMenuShown());
  }
  EXPECT_TRUE(GrabShowsTheScreen(view_));
  // EXE (Enter) opens the selected application.
  QTest::keyClick(view_, Qt::Key_Return);
  ASSERT_TRUE(LiveWaitIdle());
  EXPECT_FALSE(CalcMainMenuShown());
  EXPECT_EQ(CalcTitle(), "@GRAPH");
  LiveShownScreen(now);
  EXPECT_EQ(ScreenRowTrimmed(1, now), "Graph Func:Y=") << ScreenText(now);
  EXPECT_TRUE(GrabShowsTheScreen(view_));
  // MENU goes back to the main menu, its cursor where it was.
  QTest::keyClick(view_, Qt::Key_PageDown);
  ASSERT_TRUE(LiveWaitIdle());
  EXPECT_TRUE(CalcMainMenuShown()) << ScreenText();
  EXPECT_EQ(CalcMenuCursor(), 3);
}

// An image left by an earlier run is opened as it stands: the calculator
// finds its storage formatted and shows only the main-memory notice.
class LiveEarlierImage : public LiveWindowTest {
 protected:
  void SetUp() override {
    ShellTestStartApp();
    ShellStorageImage earlier;
    std::string error;
    ASSERT_EQ(ShellOpenStorageImage(ShellStorageImageFolder(), &earlier, &error), kShellImageOk) << error;
    ASSERT_EQ(FlsImageAttach(earlier.fd), 0);
    static const u16 kDevice[] = {'f', 'l', 's', '0', 0};
    ASSERT_EQ(FileFormatStorage(kDevice, 1), 0);
    FlsImageDetach();
    ShellCloseStorageImage(&earlier);  // left behind, as by a run that was killed
    LiveWindowTest::SetUp();
  }
};

TEST_F(LiveEarlierImage, MountsAsItStandsAndShowsOnlyTheMainMemoryNotice) {
  u8 shown[1024];
  LiveShownScreen(shown);
  EXPECT_NE(ScreenText(shown).find("MAIN MEMORIES"), std::string::npos) << ScreenText(shown);
  QTest::keyClick(view_, Qt::Key_PageDown);
  ASSERT_TRUE(LiveWaitIdle());
  EXPECT_TRUE(CalcMainMenuShown()) << ScreenText();
  EXPECT_TRUE(GrabShowsTheScreen(view_));
}

// A replay of the boot and the main menu. Each run is a fresh start of the
// program: this test runs itself again in a process of its own for each run
// (CORVANTA_REPLAY_RUN names the run's folder), then compares the files.
const char *ReplayRunFolder() { return std::getenv("CORVANTA_REPLAY_RUN"); }

class LiveReplay : public LiveWindowTest {
 protected:
  void SetUp() override {
    if (ReplayRunFolder() != nullptr) LiveWindowTest::SetUp();
  }
  void TearDown() override {
    if (ReplayRunFolder() != nullptr) LiveWindowTest::TearDown();
  }
};

const char *kReplayFiles[] = {"boot.ans",      "boot_0001.bmp", "boot_0002.bmp", "boot_0003.bmp", "menu.ans",
                              "menu_0001.bmp", "menu_0002.bmp", "menu_0003.bmp", "_logReplay.txt"};

TEST_F(LiveReplay, BootAndMenuGiveTheSameFilesOnEveryRun) {
  if (const char *folder_text = ReplayRunFolder()) {
    // One run: replay the list from the boot box on.
    const std::string folder = folder_text;
    view_->Options().cap_folder = folder;
    ASSERT_TRUE(view_->StartReplay(folder + "/walk.lst", kReplayNormal)) << view_->ReplayError();
    ASSERT_TRUE(view_->WaitReplayEnd(120000));
    ASSERT_EQ(view_->ReplayError(), "");
    // The captures are what the screen showed at each step.
    struct Shot {
      const char *file;
      const char *text;
    } shots[] = {{"boot_0001.bmp", "MAIN MEMORIES"}, {"boot_0002.bmp", "STORAGE MEMORIES"},
                 {"menu_0003.bmp", "Graph Func:Y="}};
    for (const Shot &s : shots) {
      QImage img(QString::fromStdString(folder + "/" + s.file));
      ASSERT_EQ(img.size(), QSize(128, 64)) << s.file;
      u8 vram[1024] = {};
      for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
          if ((img.pixel(x, y) & 0xFFFFFF) == 0) vram[16 * y + x / 8] |= static_cast<u8>(0x80 >> (x % 8));
      EXPECT_NE(ScreenText(vram).find(s.text), std::string::npos) << s.file << "\n" << ScreenText(vram);
    }
    EXPECT_FALSE(CalcMainMenuShown());
    EXPECT_EQ(CalcTitle(), "@GRAPH");
    return;
  }
  ShellTestStartApp();
  const ::testing::TestInfo *me = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString filter = QString("--gtest_filter=%1.%2").arg(me->test_suite_name(), me->name());
  std::map<std::string, std::string> runs[2];
  for (int run = 0; run < 2; ++run) {
    const std::string folder = ShellTestProfileFolder() + "/replay" + std::to_string(run + 1);
    std::filesystem::create_directories(folder);
    ShellTestWriteFile(folder + "/boot.txt",
              "# the two notices of a first start\nCAPTURE\nKEY MENU\nCAPTURE\nKEY MENU\nCAPTURE\nANS\n");
    ShellTestWriteFile(folder + "/menu.txt",
              "KEY RIGHT\nKEY DOWN\nCAPTURE\nKEY UP\nKEY RIGHT\nKEY RIGHT\nCAPTURE\nKEY EXE\nCAPTURE\nANS\n");
    ShellTestWriteFile(folder + "/walk.lst", "boot.txt\nmenu.txt\n");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANTA_REPLAY_RUN", QString::fromStdString(folder));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {filter});
    ASSERT_TRUE(child.waitForFinished(240000)) << "run " << run + 1 << " did not end";
    const std::string output = child.readAll().toStdString();
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit) << output;
    ASSERT_EQ(child.exitCode(), 0) << "run " << run + 1 << ":\n" << output;
    for (const char *name : kReplayFiles) {
      ASSERT_TRUE(std::filesystem::exists(folder + "/" + name)) << name << " (run " << run + 1 << ")";
      runs[run][name] = ShellTestReadFile(folder + "/" + name);
    }
    // The replay log's first line names the list, whose folder differs.
    std::string &log = runs[run]["_logReplay.txt"];
    log.erase(0, log.find('\n'));
  }
  for (const char *name : kReplayFiles) EXPECT_TRUE(runs[0][name] == runs[1][name]) << name << " differs between runs";
  // Nothing stores Ans in the boot or the menu: it is the 0 of a cleared memory.
  const std::string zero = "+0.00000000000000E+000 +0.00000000000000E+000\n";
  EXPECT_EQ(runs[0]["boot.ans"], zero);
  EXPECT_EQ(runs[0]["menu.ans"], zero);
  // The steps differ from each other: the captures are not all one picture.
  EXPECT_NE(runs[0]["boot_0001.bmp"], runs[0]["boot_0003.bmp"]);
  EXPECT_NE(runs[0]["menu_0001.bmp"], runs[0]["menu_0002.bmp"]);
  EXPECT_NE(runs[0]["menu_0002.bmp"], runs[0]["menu_0003.bmp"]);
}

// Answer files hold the texts the calculator made when Ans was stored
// (here stored without the calculator thread, which would own the memory).
TEST(LiveAnswer, AnswerFileGetsTheTextsOfTheStoredAns) {
  ShellTestStartApp();
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  const std::string folder = ShellTestProfileFolder() + "/answers";
  std::filesystem::create_directories(folder);
  {
    ShellFrame frame;
    ShellView *view = frame.View();
    view->Options().cap_folder = folder;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QApplication::setActiveWindow(&frame);
    view->setFocus();
    Value ans;
    std::memset(&ans, 0, sizeof ans);
    ans.re.b[0] = 0x80 | 0x10;  // 1 + 2i
    ans.re.b[1] = 0x01;
    ans.im.b[0] = 0x10;
    ans.im.b[1] = 0x02;
    SysStoreVariable(kVarAns, &ans);
    QTest::keyClick(view, Qt::Key_F9);
    std::memset(&ans, 0, sizeof ans);
    ans.re.b[0] = 0x10;  // 20
    ans.re.b[1] = 0x12;
    SysStoreVariable(kVarAns, &ans);
    // A replay's ANS line writes the same texts into the script's file.
    ShellTestWriteFile(folder + "/a.txt", "ANS\n");
    ASSERT_TRUE(view->StartReplay(folder + "/a.txt", kReplayNormal));
    ASSERT_TRUE(view->WaitReplayEnd(10000));
    QTest::keyClick(view, Qt::Key_F9);
  }
  EXPECT_EQ(ShellTestReadFile(folder + "/Corvanta.ans"),
            "+1.00000000000000E+000 +2.00000000000000E+000\n"
            "+2.00000000000000E+001 +0.00000000000000E+000\n");
  EXPECT_EQ(ShellTestReadFile(folder + "/a.ans"), "+2.00000000000000E+001 +0.00000000000000E+000\n");
  HostFreeCalcRam();
}

}  // namespace
