#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/setup.h"

namespace {

// The shell thread types digits and reads the words the calculator fills for
// its logs while the calculator thread reads the keys through the key reader:
// every key arrives once, in order.
TEST(KeyReaderThreads, ShellPostsCalculatorReads) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  SetupResetAll();
  FkeyClearAll();
  FkeyClearStack();
  HostClearKeyQueue();
  constexpr int kKeys = 500;
  // Digit keys 1-9 by position.
  const i32 columns[9] = {7, 6, 5, 7, 6, 5, 7, 6, 5};
  const i32 rows[9] = {3, 3, 3, 4, 4, 4, 5, 5, 5};
  std::atomic<bool> stop{false};
  std::thread shell([&] {
    for (int i = 0; i < kKeys;) {
      if (HostPushKeyEvent(columns[i % 9], rows[i % 9], 0, 0) == 1) ++i;
      const char *re = nullptr, *im = nullptr;
      HostFormatAnswer(&re, &im);
      (void)HostGetLogCharCode();
      (void)HostActiveFkeyLabelText();
      (void)HostFkeyLabelText(0);
      std::this_thread::yield();
    }
    while (!stop) std::this_thread::yield();
  });
  for (int i = 0; i < kKeys; ++i) {
    u32 key = 0;
    ASSERT_EQ(KeyGetKey(&key), 1u);
    ASSERT_EQ(key, static_cast<u32>('1' + i % 9));
  }
  stop = true;
  shell.join();
  HostClearKeyQueue();
}

}  // namespace
