// The test tools: script lines, lists, captures, the key log and replay,
// the display window, the pop-up menu and the display copy.
#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

#include "shell/display_window.h"
#include "shell/frame.h"
#include "shell/keymap.h"
#include "shell/platform/platform.h"
#include "shell/skin.h"
#include "shell/tools.h"
#include "shell/view.h"
#include "shell_fixture.h"

namespace {

// A display picture with something on it: a frame and a diagonal.
void DrawTestPicture() {
  u8 shadow[kLcdBytes];
  for (int i = 0; i < kLcdBytes; ++i) shadow[i] = 0xFF;
  for (int x = 0; x < 128; ++x) {
    int y = x / 2;
    shadow[16 * y + x / 8] &= static_cast<u8>(~(0x80 >> (x % 8)));
  }
  for (int b = 0; b < 16; ++b) shadow[b] = 0x00;  // top row black
  CalcLinkWriteShadow(0, shadow, kLcdBytes);
}

void ClearTestPicture() {
  u8 blank[kLcdBytes];
  for (u8 &b : blank) b = 0xFF;
  CalcLinkWriteShadow(0, blank, kLcdBytes);
}

TEST(ShellScript, LinesParse) {
  struct Case {
    const char *text;
    ScriptOp op;
    i16 key;
    u16 code;
    ShellLetterMode letter;
  } cases[] = {
      {"KEY EXE", kOpKey, 31, 0x1C00, kLetterPlain},
      {"KEY F1\r", kOpKey, 79, 0x3B00, kLetterPlain},
      {"  KEY MENU", kOpKey, 48, 0x0F00, kLetterPlain},
      {"KEY DispCopy", kOpKey, 611, 0, kLetterPlain},   // no rectangle: code 0
      {"KEY 7 0x1234", kOpKey, 74, 0x1234, kLetterPlain},
      {"CHAR !", kOpChar, -1, '!', kLetterPlain},
      {"CHAR 0x20", kOpChar, -1, 0x20, kLetterPlain},
      {"LETTER A", kOpLetter, -1, 'A', kLetterAlphaOnce},
      {"LETTER b", kOpLetter, -1, 'b', kLetterAlphaStay},
      {"LETTER B STAY", kOpLetter, -1, 'B', kLetterAlphaStay},
      {"ANS", kOpAnswer, 0, 0, kLetterPlain},
      {"CAPTURE", kOpCapture, 0, 0, kLetterPlain},
      {"", kOpNone, 0, 0, kLetterPlain},
      {"# KEY EXE", kOpNone, 0, 0, kLetterPlain},
      {"KEY NOPE", kOpBad, 0, 0, kLetterPlain},
      {"KEY 7 zz", kOpBad, 0, 0, kLetterPlain},
      {"CHAR", kOpBad, 0, 0, kLetterPlain},
      {"LETTER 5", kOpBad, 0, 0, kLetterPlain},
      {"WAIT -3", kOpBad, 0, 0, kLetterPlain},
      {"JUMP", kOpBad, 0, 0, kLetterPlain},
  };
  for (const Case &c : cases) {
    ScriptLine l = ScriptParseLine(c.text);
    EXPECT_EQ(l.op, c.op) << c.text;
    if (l.op == kOpBad || l.op == kOpNone) continue;
    EXPECT_EQ(l.key, c.key) << c.text;
    EXPECT_EQ(l.code, c.code) << c.text;
    EXPECT_EQ(l.letter, c.letter) << c.text;
  }
  EXPECT_EQ(ScriptParseLine("WAIT 250").wait_ms, 250);
}

TEST(ShellScript, WrittenLinesReadBackTheSameKey) {
  struct Case {
    i16 key;
    u16 code;
    ShellLetterMode letter;
  } cases[] = {{31, 0x1C00, kLetterPlain}, {74, 0x0037, kLetterPlain}, {74, '7', kLetterPlain},
               {61, 0x002E, kLetterPlain}, {611, 0, kLetterPlain},    {-1, '!', kLetterPlain},
               {-1, 0x20, kLetterPlain},   {-1, 'A', kLetterAlphaOnce}, {-1, 'A', kLetterAlphaStay},
               {-1, 'q', kLetterAlphaStay}, {29, 0x4000, kLetterPlain}};
  for (const Case &c : cases) {
    std::string text = ScriptKeyLine(c.key, c.code, c.letter);
    ScriptLine l = ScriptParseLine(text);
    EXPECT_EQ(l.key, c.key) << text;
    EXPECT_EQ(l.code, c.code) << text;
    EXPECT_EQ(l.letter, c.letter) << text;
  }
  EXPECT_EQ(ScriptKeyLine(31, 0x1C00, kLetterPlain), "KEY EXE");
}

TEST(ShellScript, PathsAndLists) {
  EXPECT_EQ(ToolAnswerPath("/a/b/run1.txt"), "/a/b/run1.ans");
  EXPECT_EQ(ToolAnswerPath("/a.d/run"), "/a.d/run.ans");
  EXPECT_EQ(ToolCapturePath("/a/b/run1.txt", 7), "/a/b/run1_0007.bmp");
  ShellTestStartApp();
  std::string dir = ShellTestProfileFolder() + "/lists";
  std::filesystem::create_directories(dir);
  ShellTestWriteFile(dir + "/all.lst", "# the boot\nboot.txt\n\n  menu.txt  \r\n/abs/x.txt\n");
  std::string error;
  std::vector<std::string> got = ScriptReadList(dir + "/all.lst", &error);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], dir + "/boot.txt");
  EXPECT_EQ(got[1], dir + "/menu.txt");
  EXPECT_EQ(got[2], "/abs/x.txt");
  EXPECT_EQ(ScriptReadList(dir + "/one.txt", &error), std::vector<std::string>{dir + "/one.txt"});
  EXPECT_TRUE(ScriptReadList(dir + "/missing.lst", &error).empty());
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ToolNextCapturePath(dir, "cap"), dir + "/cap_0001.bmp");
  ShellTestWriteFile(dir + "/cap_0001.bmp", "x");
  EXPECT_EQ(ToolNextCapturePath(dir, "cap"), dir + "/cap_0002.bmp");
}

class ToolsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ShellTestStartApp(); }
  void SetUp() override {
    folder_ = ShellTestProfileFolder() + "/tools-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(folder_);
    frame_ = new ShellFrame;
    view_ = frame_->View();
    view_->Options() = ShellOptions{};
    view_->Options().cap_folder = folder_;
    view_->SetKeySink([this](const ShellKeyEvent &e) {
      sent_.push_back(e);
      return true;
    });
    PlatformSetMessageBoxHook([this](const std::string &text, PlatformBoxKind kind) {
      boxes_.push_back(text);
      if (kind == kBoxYesNoWarning) return box_answer_yes_ ? kAnswerYes : kAnswerNo;
      if (kind == kBoxRetryCancelWarning) return retries_-- > 0 ? kAnswerRetry : kAnswerCancel;
      return kAnswerOk;
    });
    frame_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
    QApplication::setActiveWindow(frame_);
    view_->setFocus();
  }
  void TearDown() override {
    view_->Options() = ShellOptions{};  // the profile keeps the defaults for later tests
    delete frame_;
    PlatformSetMessageBoxHook(nullptr);
    PlatformSetDialogHook(nullptr);
    ClearTestPicture();
  }
  void Click(i16 key) {
    const ShellKeyRect *r = ShellSkinKeyRect(key);
    QTest::mouseClick(view_, Qt::LeftButton, Qt::NoModifier, QPoint((r->left + r->right) / 2, (r->top + r->bottom) / 2));
  }

  std::string folder_;
  ShellFrame *frame_ = nullptr;
  ShellView *view_ = nullptr;
  std::vector<ShellKeyEvent> sent_;
  std::vector<std::string> boxes_;
  bool box_answer_yes_ = true;
  int retries_ = 0;
};

TEST_F(ToolsTest, CaptureWritesBmpMatchingTheDisplay) {
  DrawTestPicture();
  PlatformSetDialogHook([this](const std::string &) { return folder_ + "/named"; });
  view_->RunCommand(kCmdCaptureNamed);
  QImage bmp(QString::fromStdString(folder_ + "/named.bmp"), "BMP");
  ASSERT_FALSE(bmp.isNull());
  ASSERT_EQ(bmp.size(), QSize(128, 64));
  QImage shown = view_->grab().toImage();
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      QRgb want = shown.pixel(kLcdLeft + 2 * x, kLcdTop + 2 * y) & 0xFFFFFF;
      ASSERT_EQ(bmp.pixel(x, y) & 0xFFFFFF, want) << x << "," << y;
    }
  }
  EXPECT_EQ(bmp.pixel(0, 0) & 0xFFFFFF, 0u);            // top row black
  EXPECT_EQ(bmp.pixel(3, 5) & 0xFFFFFF, 0xFFFFFFu);     // white where nothing is drawn
  EXPECT_EQ(bmp.pixel(40, 20) & 0xFFFFFF, 0u);          // the diagonal
  // F12 numbers automatic captures in the capture folder.
  view_->RunCommand(kCmdCapture);
  view_->RunCommand(kCmdCapture);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(folder_ + "/Corvanta_0001.bmp")));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(folder_ + "/Corvanta_0002.bmp")));
  EXPECT_TRUE(ShellTestReadFile(folder_ + "/Corvanta_0001.bmp") == ShellTestReadFile(folder_ + "/named.bmp"));
}

TEST_F(ToolsTest, DisplayCopyIsTheCommandAndTheServiceKeyNotFtoD) {
  DrawTestPicture();
  QGuiApplication::clipboard()->setText("before");
  Click(65);  // F<>D: a key like any other
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
  view_->SendKey(611, 0);  // the DispCopy service key
  QImage img = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), QSize(128 * view_->Options().zoom, 64 * view_->Options().zoom));
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0u);
  QGuiApplication::clipboard()->setText("again");
  QTest::keyClick(view_, Qt::Key_C, Qt::ControlModifier);
  EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
}

TEST_F(ToolsTest, KeyLogRecordsKeysAnswersAndCaptures) {
  view_->RunCommand(kCmdKeyLog);
  ASSERT_TRUE(view_->KeyLogging());
  Click(74);
  QTest::keyClick(view_, Qt::Key_Return);
  QTest::keyClicks(view_, "aB!");
  QTest::keyClick(view_, Qt::Key_F1);  // answer while logging
  QTest::keyClick(view_, Qt::Key_F2);  // capture while logging
  QTest::keyClick(view_, Qt::Key_F3);  // rests
  view_->RunCommand(kCmdKeyLog);
  EXPECT_FALSE(view_->KeyLogging());
  EXPECT_EQ(ShellTestReadFile(folder_ + "/_log.txt"),
            "# Corvanta key log\nKEY 7\nKEY EXE\nLETTER A STAY\nLETTER B\nCHAR 0x21\nANS\nCAPTURE\n");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(folder_ + "/_log_0001.bmp")));
  EXPECT_EQ(ShellTestReadFile(folder_ + "/_log.ans"), " \n");  // no calculator: empty texts
  EXPECT_EQ(sent_.size(), 5u);
}

TEST_F(ToolsTest, LoggingAskFirstAndRetryOnWriteFailure) {
  view_->RunCommand(kCmdKeyLog);
  // The log cannot be written: Retry tries again, Cancel drops the key.
  std::filesystem::remove(folder_ + "/_log.txt");
  std::filesystem::create_directory(folder_ + "/_log.txt");
  retries_ = 2;
  Click(31);
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(boxes_.size(), 3u);
  EXPECT_EQ(boxes_[0], "ログファイルに保存できませんでした");
  std::filesystem::remove(folder_ + "/_log.txt");
  boxes_.clear();
  Click(31);
  EXPECT_EQ(sent_.size(), 1u);
  EXPECT_TRUE(boxes_.empty());
  view_->RunCommand(kCmdKeyLog);
}

TEST_F(ToolsTest, ReplayReproducesAnswersAndCaptures) {
  ShellTestWriteFile(folder_ + "/boot.txt", "# the boot box\nKEY MENU\nCAPTURE\nKEY RIGHT\nLETTER a\nANS\nCAPTURE\n");
  ShellTestWriteFile(folder_ + "/menu.txt", "KEY DOWN\nCHAR !\nWAIT 10\nKEY EXE\nANS\n");
  ShellTestWriteFile(folder_ + "/all.lst", "boot.txt\nmenu.txt\n");
  std::string first_boot_ans;
  for (int run = 0; run < 2; ++run) {
    sent_.clear();
    DrawTestPicture();
    ASSERT_TRUE(view_->StartReplay(folder_ + "/all.lst", kReplayFast)) << view_->ReplayError();
    ASSERT_TRUE(view_->WaitReplayEnd(5000));
    EXPECT_EQ(view_->ReplayError(), "");
    ASSERT_EQ(sent_.size(), 6u);
    EXPECT_EQ(sent_[0].column, 4);  // MENU
    EXPECT_EQ(sent_[0].row, 9);
    EXPECT_EQ(sent_[2].code, 'a');
    EXPECT_EQ(sent_[2].letter, kLetterAlphaStay);
    EXPECT_EQ(sent_[4].code, '!');
    EXPECT_EQ(ShellTestReadFile(folder_ + "/boot.ans"), " \n");
    EXPECT_EQ(ShellTestReadFile(folder_ + "/menu.ans"), " \n");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(folder_ + "/boot_0001.bmp")));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(folder_ + "/boot_0002.bmp")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folder_ + "/boot_0003.bmp")));
    EXPECT_EQ(ShellTestReadFile(folder_ + "/_logReplay.txt"),
              "# Corvanta replay of " + folder_ + "/all.lst\nKEY MENU\nKEY RIGHT\nLETTER a\nKEY DOWN\nCHAR 0x21\nKEY EXE\n");
  }
}

TEST_F(ToolsTest, ReplayErrorsAndUserKeyStopsIt) {
  ShellTestWriteFile(folder_ + "/bad.txt", "KEY EXE\nKEY WHAT\nKEY EXE\n");
  ASSERT_TRUE(view_->StartReplay(folder_ + "/bad.txt", kReplayNormal));
  ASSERT_TRUE(view_->WaitReplayEnd(5000));
  EXPECT_EQ(view_->ReplayError(), folder_ + "/bad.txt line 2: not understood: KEY WHAT");
  EXPECT_EQ(sent_.size(), 1u);
  EXPECT_FALSE(view_->StartReplay(folder_ + "/none.lst", kReplayNormal));
  EXPECT_FALSE(view_->ReplayError().empty());

  // Step mode: F8 sends one line at a time; a key of the user stops it.
  ShellTestWriteFile(folder_ + "/step.txt", "KEY 1\nKEY 2\nKEY 3\n");
  sent_.clear();
  ASSERT_TRUE(view_->StartReplay(folder_ + "/step.txt", kReplayStep));
  QTest::qWait(30);
  EXPECT_TRUE(sent_.empty());
  QTest::keyClick(view_, Qt::Key_F8);
  QTest::qWait(30);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0].column, 7);
  EXPECT_EQ(sent_[0].row, 3);
  Click(31);  // not sent, stops the replay
  ASSERT_TRUE(view_->WaitReplayEnd(2000));
  EXPECT_EQ(view_->ReplayError(), "Replay stopped");
  EXPECT_EQ(sent_.size(), 1u);
}

TEST_F(ToolsTest, DisplayWindowShowsTheDisplayAtItsZoom) {
  DrawTestPicture();
  view_->RunCommand(kCmdZoom2 + 1);  // zoom 3
  view_->RunCommand(kCmdDisplayWindow);
  ShellDisplayWindow *w = view_->DisplayWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(view_->Options().lcd_disp, 1);
  EXPECT_EQ(w->size(), QSize(384, 192));
  QImage img = w->grab().toImage();
  EXPECT_EQ(img.pixel(2, 2) & 0xFFFFFF, 0u);         // the top row, three pixels high
  EXPECT_EQ(img.pixel(9, 20) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(120 + 1, 60 + 1) & 0xFFFFFF, 0u);  // dot (40, 20) of the diagonal
  view_->RunCommand(kCmdZoom2 + 4);  // zoom 6
  EXPECT_EQ(w->size(), QSize(768, 384));
  w->close();
  QTest::qWait(10);
  EXPECT_EQ(view_->DisplayWindow(), nullptr);
  EXPECT_EQ(view_->Options().lcd_disp, 0);
  EXPECT_EQ(view_->Options().zoom, 6);
}

TEST_F(ToolsTest, PopupMenusCarryEveryCommand) {
  auto commands = [](QMenu *menu) {
    std::vector<std::pair<std::string, int>> out;
    std::function<void(QMenu *)> walk = [&](QMenu *m) {
      for (QAction *a : m->actions()) {
        if (a->menu() != nullptr) walk(a->menu());
        else if (!a->isSeparator()) out.emplace_back(a->text().toStdString(), a->data().toInt());
      }
    };
    walk(menu);
    return out;
  };
  std::unique_ptr<QMenu> en(view_->BuildPopupMenu(false));
  auto got = commands(en.get());
  std::vector<std::pair<std::string, int>> want = {
      {"Key Log", kCmdKeyLog},          {"Replay", kCmdReplay},
      {"Replay (Fast)", kCmdReplayFast}, {"Replay (Step)", kCmdReplayStep},
      {"Popup Display", kCmdDisplayWindow}, {"  Zoom*2", kCmdZoom2},
      {"  Zoom*3", kCmdZoom2 + 1},      {"  Zoom*4", kCmdZoom2 + 2},
      {"  Zoom*5", kCmdZoom2 + 3},      {"  Zoom*6", kCmdZoom2 + 4},
      {"Screen Capture", kCmdCaptureNamed}, {"Automatic Screen Capture", kCmdCaptureFolder},
      {"Caps Lock", kCmdCapsLock},      {"&Copy", kCmdCopy},
      {"&Paste", kCmdPaste},            {"Display Copy", kCmdDisplayCopy},
      {"&Back up main memory", kCmdBackupMain}, {"&Restore main memory", kCmdRestoreMain},
      {"E&xit", kCmdExit},
  };
  EXPECT_EQ(got, want);
  std::unique_ptr<QMenu> ja(view_->BuildPopupMenu(true));
  auto jgot = commands(ja.get());
  ASSERT_EQ(jgot.size(), want.size());
  EXPECT_EQ(jgot[0].first, "キーログを取る");
  EXPECT_EQ(jgot[12].first, "常に大文字");
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(jgot[i].second, want[i].second);

  // Caps lock toggles and shows its check mark.
  const int caps = view_->Options().caps_lock;
  for (QAction *a : en->actions()) {
    if (a->data().toInt() == kCmdCapsLock) a->trigger();
  }
  EXPECT_NE(view_->Options().caps_lock, caps);
  std::unique_ptr<QMenu> again(view_->BuildPopupMenu(false));
  for (QAction *a : again->actions()) {
    if (a->data().toInt() == kCmdCapsLock) {
      EXPECT_EQ(a->isChecked(), view_->Options().caps_lock != 0);
    }
  }
  // The capture folder command keeps the chosen folder.
  PlatformSetDialogHook([](const std::string &) { return std::string("/tmp/chosen"); });
  view_->RunCommand(kCmdCaptureFolder);
  EXPECT_EQ(view_->Options().cap_folder, "/tmp/chosen");
  // Exit closes the window.
  view_->RunCommand(kCmdExit);
  EXPECT_FALSE(frame_->isVisible());
}

TEST_F(ToolsTest, KeyTableBindsPcKeysBeforeTheBuiltInTables) {
  const std::string path = folder_ + "/my.keys";
  ShellTestWriteFile(path, "# extra keys\nF11 EXE\nCtrl+E EXE\nShift+Return 7 0x1234\n\n");
  view_->Options().key_table = path;
  view_->LoadKeyTable();
  ASSERT_EQ(view_->KeyTable().bindings.size(), 3u);
  QTest::keyClick(view_, Qt::Key_F11);  // built in: ALPHA; bound: EXE
  QTest::keyClick(view_, Qt::Key_E, Qt::ControlModifier);
  QTest::keyClick(view_, Qt::Key_Return, Qt::ShiftModifier);
  ASSERT_EQ(sent_.size(), 3u);
  EXPECT_EQ(sent_[0].column, 3);
  EXPECT_EQ(sent_[0].row, 2);
  EXPECT_EQ(sent_[1].column, 3);
  EXPECT_EQ(sent_[2].column, 7);
  EXPECT_EQ(sent_[2].row, 5);
  EXPECT_EQ(sent_[2].code, 0x1234);
  // A bad line is reported; the bindings before it stay.
  ShellTestWriteFile(path, "F11 EXE\nF10 NOKEY\n");
  view_->LoadKeyTable();
  EXPECT_EQ(view_->KeyTable().bindings.size(), 1u);
  EXPECT_EQ(view_->LogText(), path + " line 2: not understood: F10 NOKEY");
  view_->Options().key_table = folder_ + "/missing.keys";
  view_->LoadKeyTable();
  EXPECT_TRUE(view_->KeyTable().bindings.empty());
  EXPECT_FALSE(view_->LogText().empty());
}

}  // namespace
