#include "live_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstdlib>

#include "kernel/boot.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "shell/calc_link.h"
#include "shell/frame.h"
#include "shell/host_bridge.h"
#include "shell/view.h"
#include "shell_fixture.h"
#include "storage/fls_image.h"
#include "tests/support/screen_reader.h"

namespace {

void Pump() { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }

}  // namespace

void LiveWindowTest::SetUpTestSuite() { ShellTestStartApp(); }

void LiveWindowTest::SetUp() { StartRun(); }

void LiveWindowTest::TearDown() { StopRun(); }

void LiveWindowTest::StartRun() {
  // A cold start, as a fresh process has: the RAM signature of an earlier
  // run in this process would read as memory kept over a reset.
  SysClearRamSignature();
  std::string error;
  ASSERT_EQ(ShellOpenStorageImage(ShellStorageImageFolder(), &image_, &error), kShellImageOk) << error;
  ASSERT_EQ(FlsImageAttach(image_.fd), 0);
  frame_ = new ShellFrame(true);
  view_ = frame_->View();
  ShellBridgeAttach(frame_);
  frame_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_));
  QApplication::setActiveWindow(frame_);
  view_->setFocus();
  // The first paint starts the calculator thread; the boot ends in a key wait.
  ASSERT_TRUE(LiveWaitFor([] { return ShellBridgeStarted(); })) << "the first paint did not start the calculator";
  ASSERT_TRUE(LiveWaitIdle());
}

void LiveWindowTest::StopRun() {
  if (!ShellBridgeStop(20000)) {
    ADD_FAILURE() << "the calculator thread did not stop";
    std::fflush(nullptr);
    std::_Exit(1);  // its memory is still in use: nothing more can be undone safely
  }
  ShellBridgeAttach(nullptr);
  delete frame_;
  frame_ = nullptr;
  view_ = nullptr;
  // Repaints the thread posted before it ended find no frame.
  QCoreApplication::processEvents();
  FlsImageDetach();
  if (image_.fd >= 0) ShellDeleteStorageImage(&image_);
}

bool LiveWaitFor(const std::function<bool()> &pred, int timeout_ms) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeout_ms) return false;
    Pump();
  }
  return true;
}

testing::AssertionResult LiveWaitIdle(int timeout_ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() <= timeout_ms) {
    if (CalcLinkQueueCount() == 0) {
      // The queue is empty: the last key was taken. A look at the empty
      // queue after that means the key has been dealt with.
      const u64 seen = CalcLinkIdleCount();
      while (t.elapsed() <= timeout_ms && CalcLinkQueueCount() == 0) {
        if (CalcLinkIdleCount() > seen) {
          // The hand-off's repaint is queued by now; let it run.
          QCoreApplication::processEvents();
          return testing::AssertionSuccess();
        }
        if (!CalcLinkRunning()) return testing::AssertionFailure() << "the calculator thread ended";
        Pump();
      }
    } else {
      Pump();
    }
  }
  u8 vram[1024];
  LiveShownScreen(vram);
  return testing::AssertionFailure() << "the calculator did not become idle within " << timeout_ms << " ms ("
                                     << CalcLinkQueueCount() << " keys queued); shown screen:\n"
                                     << ScreenPicture(vram);
}

void LiveShownScreen(u8 *vram) {
  u8 shadow[kLcdBytes];
  CalcLinkCopyShadow(shadow);
  for (int i = 0; i < kLcdBytes; ++i) vram[i] = static_cast<u8>(~shadow[i]);
}

// The system font library keeps its configuration cache for the life of the
// process; the leak checker is told so here, as each case runs alone.
extern "C" const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
