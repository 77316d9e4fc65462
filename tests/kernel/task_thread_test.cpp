// The calculator thread's start and stop and the headless host bridge.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "kernel/host.h"

namespace {

bool WaitFor(bool (*done)(), int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

std::atomic<int> g_sleeps{0};

TEST(TaskThread, StartsIdlesAndStopsThroughTheBridge) {
  HostBridge bridge{};
  bridge.sleep = [](void *, u32 ms) {
    g_sleeps.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  };
  const u64 idle_before = HostIdleCount();
  ASSERT_TRUE(SysStartThread(&bridge));
  EXPECT_TRUE(SysThreadRunning());
  EXPECT_FALSE(SysStartThread(&bridge));  // one calculator thread at a time
  static u64 s_before;
  s_before = idle_before;
  EXPECT_TRUE(WaitFor([] { return HostIdleCount() > s_before + 3; }, 5000));
  ShellSleep(1);  // sleeping goes through the bridge
  EXPECT_GT(g_sleeps.load(), 0);
  EXPECT_TRUE(SysStopThread(5000));
  EXPECT_FALSE(SysThreadRunning());
  EXPECT_TRUE(SysStopRequested());
  // A stopped thread can be started again.
  ASSERT_TRUE(SysStartThread(nullptr));
  EXPECT_TRUE(SysStopThread(5000));
}

// What the bridge was asked to sleep on the test's own thread.
std::atomic<std::thread::id> g_test_thread;
std::atomic<u32> g_asked{12345};

TEST(TaskThread, SleepOfZeroWaitsTenMilliseconds) {
  HostBridge bridge{};
  g_test_thread.store(std::this_thread::get_id());
  bridge.sleep = [](void *, u32 ms) {
    if (std::this_thread::get_id() == g_test_thread.load()) g_asked.store(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  };
  ASSERT_TRUE(SysStartThread(&bridge));
  const struct {
    u32 ms, slept;
  } cases[] = {{0, 10}, {1, 1}, {50, 50}};
  for (const auto &c : cases) {
    ShellSleep(c.ms);
    EXPECT_EQ(g_asked.load(), c.slept) << c.ms;
  }
  EXPECT_TRUE(SysStopThread(5000));
  // The bridge goes out of scope: the host falls back to its defaults.
  ASSERT_TRUE(SysStartThread(nullptr));
  EXPECT_TRUE(SysStopThread(5000));
}

TEST(TaskThread, StopWithoutThreadSucceeds) { EXPECT_TRUE(SysStopThread(10)); }

TEST(TaskThread, HeadlessClipboardAndClock) {
  char text[8];
  HostClipboardPut("hello, world");
  EXPECT_EQ(HostClipboardGet(text, sizeof text), 7u);
  EXPECT_STREQ(text, "hello, ");
  HostClipboardPut(nullptr);
  EXPECT_EQ(HostClipboardGet(text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(HostClipboardGet(text, 0), 0u);
  const u32 t0 = ShellGetTickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const u32 t1 = ShellGetTickCount();
  EXPECT_GE(t1 - t0, 15u);
  EXPECT_LT(t1 - t0, 5000u);
}

TEST(TaskThread, BridgeCallsReachTheHost) {
  struct Seen {
    int screens = 0;
    std::string status, title, clip;
  } seen;
  HostBridge bridge{};
  bridge.context = &seen;
  bridge.screen_changed = [](void *c) { ++static_cast<Seen *>(c)->screens; };
  bridge.status_changed = [](void *c, const char *s, const char *t) {
    static_cast<Seen *>(c)->status = s;
    static_cast<Seen *>(c)->title = t;
  };
  bridge.clipboard_put = [](void *c, const char *t) { static_cast<Seen *>(c)->clip = t; };
  bridge.clipboard_get = [](void *c, char *dst, u32 cap) -> u32 {
    const std::string &s = static_cast<Seen *>(c)->clip;
    u32 n = static_cast<u32>(s.size()) < cap ? static_cast<u32>(s.size()) : cap - 1;
    std::memcpy(dst, s.data(), n);
    return n;
  };
  bridge.tick_count = [](void *) -> u32 { return 1234; };
  // The bridge is set when the thread starts; stop it at once and keep the bridge.
  ASSERT_TRUE(SysStartThread(&bridge));
  ASSERT_TRUE(SysStopThread(5000));
  const int screens_before = seen.screens;
  HostScreenChanged();
  HostStatusChanged("<SHIFT>", "Corvanta<SHIFT>");
  HostClipboardPut("abc");
  char text[16];
  EXPECT_EQ(HostClipboardGet(text, sizeof text), 3u);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(seen.screens, screens_before + 1);
  EXPECT_EQ(seen.status, "<SHIFT>");
  EXPECT_EQ(seen.title, "Corvanta<SHIFT>");
  EXPECT_EQ(ShellGetTickCount(), 1234u);
  // Leave the headless default in place for whatever runs next.
  ASSERT_TRUE(SysStartThread(nullptr));
  ASSERT_TRUE(SysStopThread(5000));
}

}  // namespace
