// The calculator thread's bridge: it never touches a widget itself; the
// clipboard, the status and the title reach the window through the UI
// thread's queue.
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

#include "shell/frame.h"
#include "shell/host_bridge.h"
#include "shell/platform/platform.h"
#include "shell/view.h"
#include "shell_fixture.h"
#include "ui/keycodes.h"
#include "ui/lcd_shadow.h"
#include "ui/setup.h"

namespace {

class BridgeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ShellTestStartApp(); }
  void SetUp() override {
    frame_ = new ShellFrame;
    ShellBridgeAttach(frame_);
  }
  void TearDown() override {
    ShellBridgeAttach(nullptr);
    delete frame_;
  }
  // Runs fn on a thread of its own, as the calculator thread would.
  template <typename Fn>
  static void OnOtherThread(Fn fn) {
    std::thread t(fn);
    t.join();
  }
  ShellFrame *frame_ = nullptr;
};

TEST_F(BridgeTest, CopyAndPasteThroughTheRealClipboard) {
  OnOtherThread([] { ShellBridgeClipboardPut("1+2\xC3\x97" "3"); });
  EXPECT_NE(QGuiApplication::clipboard()->text(), QString::fromUtf8("1+2×3"));  // not yet: posted
  QTest::qWait(20);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("1+2×3"));

  QGuiApplication::clipboard()->setText(QString::fromUtf8("sin π"));
  QTest::qWait(10);
  char buf[64] = {};
  u32 n = 0;
  OnOtherThread([&] { n = ShellBridgeClipboardGet(buf, sizeof buf); });
  EXPECT_EQ(n, 6u);
  EXPECT_STREQ(buf, "sin \xCF\x80");
  // Bounded by the caller's room, never cutting a character in two.
  OnOtherThread([&] { n = ShellBridgeClipboardGet(buf, 6); });
  EXPECT_EQ(n, 4u);
  EXPECT_STREQ(buf, "sin ");
  OnOtherThread([&] { n = ShellBridgeClipboardGet(buf, 1); });
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(ShellBridgeClipboardGet(nullptr, 10), 0u);
}

TEST_F(BridgeTest, StatusAndTitleArePostedToTheWindow) {
  OnOtherThread([] { ShellBridgeStatusChanged("<ALPHA-LOCK>", "Corvanta<ALPHA-LOCK>"); });
  EXPECT_EQ(frame_->windowTitle(), "Corvanta");
  QTest::qWait(20);
  EXPECT_EQ(frame_->windowTitle(), "Corvanta<ALPHA-LOCK>");
  EXPECT_EQ(frame_->StatusText(), "<ALPHA-LOCK>");
  OnOtherThread([] { ShellBridgeStatusChanged("", "Corvanta"); });
  QTest::qWait(20);
  EXPECT_EQ(frame_->StatusText(), "");
}

TEST_F(BridgeTest, ShiftAcWhileLoggingAsksBeforeLogging) {
  // The calculator hands its screen over with the SHIFT state.
  OnOtherThread([] {
    SetupSetItem(kSetupKeyModifier, kModShift);
    ShellUpdateDisplay();
  });
  ASSERT_EQ(CalcLinkKeyModifier(), kModShift);
  std::vector<ShellKeyEvent> sent;
  ShellView *view = frame_->View();
  view->Options().cap_folder = ShellTestProfileFolder();
  view->SetKeySink([&](const ShellKeyEvent &e) {
    sent.push_back(e);
    return true;
  });
  int asked = 0;
  bool yes = false;
  PlatformSetMessageBoxHook([&](const std::string &text, PlatformBoxKind kind) {
    ++asked;
    EXPECT_EQ(kind, kBoxYesNoWarning);
    EXPECT_EQ(text, "OFFしようとしています 「AC」をログに保存しますか？");
    return yes ? kAnswerYes : kAnswerNo;
  });
  view->RunCommand(kCmdKeyLog);
  view->SendKey(34, 0x4500);  // No: dropped
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(sent.empty());
  yes = true;
  view->SendKey(34, 0x4500);
  EXPECT_EQ(asked, 2);
  ASSERT_EQ(sent.size(), 1u);
  view->SendKey(31, 0x1C00);  // other keys do not ask
  EXPECT_EQ(asked, 2);
  view->RunCommand(kCmdKeyLog);
  PlatformSetMessageBoxHook(nullptr);
  OnOtherThread([] {
    SetupSetItem(kSetupKeyModifier, kModNone);
    ShellUpdateDisplay();
  });
}

}  // namespace
