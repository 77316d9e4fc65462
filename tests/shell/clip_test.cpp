// Paste and copy between the real PC clipboard and the calculator's "CLIP"
// item, with the calculator thread running behind the window's bridge.
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "memory/mcs_store.h"
#include "shell/calc_link.h"
#include "shell/frame.h"
#include "shell/host_bridge.h"
#include "shell_fixture.h"
#include "storage/fls_image.h"

namespace {

// Waits, serving the UI thread's queue, until the calculator has taken every
// queued key and waits for the next.
testing::AssertionResult WaitCalculatorIdle() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    if (CalcLinkQueueCount() == 0) {
      const u64 seen = CalcLinkIdleCount();
      while (std::chrono::steady_clock::now() < end && CalcLinkQueueCount() == 0) {
        if (CalcLinkIdleCount() > seen) return testing::AssertionSuccess();
        QTest::qWait(1);
      }
    }
    QTest::qWait(1);
  }
  return testing::AssertionFailure() << "the calculator did not become idle";
}

// The text of "CLIP" up to its terminator, "<none>" when there is none.
std::string ClipText() {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsFindItem("@REV2", "CLIP", nullptr, nullptr, &data, &size) != 0) return "<none>";
  std::string text(reinterpret_cast<const char *>(data), size);
  return text.substr(0, text.find('\0'));
}

class ShellClip : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellTestStartApp();
    image_ = ShellTestProfileFolder() + "/clip.fls";
    std::FILE *f = std::fopen(image_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ASSERT_EQ(FlsImageOpen(image_.c_str()), 0);
    frame_ = new ShellFrame;
    ShellBridgeAttach(frame_);
    ASSERT_TRUE(ShellBridgeStart());
    ASSERT_TRUE(WaitCalculatorIdle());
  }
  void TearDown() override {
    EXPECT_TRUE(ShellBridgeStop(10000));
    ShellBridgeAttach(nullptr);
    delete frame_;
    FlsImageClose();
    unlink(image_.c_str());
  }
  ShellFrame *frame_ = nullptr;
  std::string image_;
};

TEST_F(ShellClip, PasteTakesTheClipboardAndCopyGivesItBack) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  clipboard->setText(QString::fromUtf8("2\u03C0\u00D73\nx\u00B2 \u00E9\u263A"));
  QTest::qWait(10);
  ASSERT_TRUE(CalcLinkRequestPaste());
  ASSERT_TRUE(WaitCalculatorIdle());
  EXPECT_EQ(ClipText(), "2\xD0\xA9" "3\x0D" "x\x8B \xE6\x08?");
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("2\u03C0\u00D73\nx\u00B2 \u00E9\u263A"));

  clipboard->setText(QString::fromUtf8("something else"));
  QTest::qWait(10);
  ASSERT_TRUE(CalcLinkRequestCopy());
  ASSERT_TRUE(WaitCalculatorIdle());
  QTest::qWait(20);  // the calculator thread posts the clipboard write to the UI thread
  EXPECT_EQ(clipboard->text(), QString::fromUtf8("2\u03C0\u00D73\nx\u00B2 \u00E9?"));
}

}  // namespace
