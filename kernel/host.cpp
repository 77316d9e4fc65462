// The host bridge and the calculator thread's start and stop (see host.h).
#include "kernel/host.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "kernel/boot.h"
#include "kernel/task.h"
#include "ui/lcd_shadow.h"

namespace {

std::atomic<const HostBridge *> g_bridge{nullptr};
std::atomic<bool> g_stop{false};
std::atomic<bool> g_running{false};
std::atomic<u64> g_idle_count{0};

std::mutex g_lock;  // guards the thread object, the finished flag and the clipboard
std::condition_variable g_changed;
std::thread g_thread;
bool g_finished = true;
std::string g_clipboard;

const auto g_clock_start = std::chrono::steady_clock::now();

void DefaultSleep(u32 ms) {
  // Wakes early when a stop is requested.
  std::unique_lock<std::mutex> lock(g_lock);
  g_changed.wait_for(lock, std::chrono::milliseconds(ms), [] { return g_stop.load(); });
}

// Every screen hand-off reaches the host through the bridge: the repaint,
// and the status text and title when the key state changed.
std::string g_status = "?";

void DisplayHook(i32 mode) {
  (void)mode;
  HostScreenChanged();
  const std::string status = ShellKeyStateText(ShellHandedKeyState());
  if (status != g_status) {
    g_status = status;
    HostStatusChanged(status.c_str(), ("Corvanta" + status).c_str());
  }
}

void ThreadBody() {
  g_status = "?";
  ShellSetDisplayHook(DisplayHook);
  SysThreadMain(0);
  ShellSetDisplayHook(nullptr);
  std::lock_guard<std::mutex> lock(g_lock);
  g_finished = true;
  g_running.store(false);
  g_changed.notify_all();
}

}  // namespace

void ShellSleep(u32 ms) {
  if (ms == 0) ms = kShellSleepDefaultMs;
  if (g_stop.load() && SysTasksRunning()) SysThreadExit();
  const HostBridge *bridge = g_bridge.load();
  if (bridge != nullptr && bridge->sleep != nullptr) {
    bridge->sleep(bridge->context, ms);
  } else {
    DefaultSleep(ms);
  }
  if (g_stop.load() && SysTasksRunning()) SysThreadExit();
}

void HostKeyWaitIdle() {
  g_idle_count.fetch_add(1);
  if (g_stop.load() && SysTasksRunning()) SysThreadExit();
}

u32 ShellGetTickCount() {
  const HostBridge *bridge = g_bridge.load();
  if (bridge != nullptr && bridge->tick_count != nullptr) return bridge->tick_count(bridge->context);
  auto elapsed = std::chrono::steady_clock::now() - g_clock_start;
  return static_cast<u32>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void HostScreenChanged() {
  const HostBridge *bridge = g_bridge.load();
  if (bridge != nullptr && bridge->screen_changed != nullptr) bridge->screen_changed(bridge->context);
}

void HostStatusChanged(const char *status, const char *title) {
  const HostBridge *bridge = g_bridge.load();
  if (bridge != nullptr && bridge->status_changed != nullptr) {
    bridge->status_changed(bridge->context, status != nullptr ? status : "", title != nullptr ? title : "");
  }
}

void HostClipboardPut(const char *text) {
  if (text == nullptr) text = "";
  const HostBridge *bridge = g_bridge.load();
  if (bridge != nullptr && bridge->clipboard_put != nullptr) {
    bridge->clipboard_put(bridge->context, text);
    return;
  }
  std::lock_guard<std::mutex> lock(g_lock);
  g_clipboard = text;
}

u32 HostClipboardGet(char *dst, u32 cap) {
  if (dst == nullptr || cap == 0) return 0;
  const HostBridge *bridge = g_bridge.load();
  if (bridge != nullptr && bridge->clipboard_get != nullptr) {
    u32 n = bridge->clipboard_get(bridge->context, dst, cap);
    if (n >= cap) n = cap - 1;
    dst[n] = 0;
    return n;
  }
  std::lock_guard<std::mutex> lock(g_lock);
  u32 n = static_cast<u32>(g_clipboard.size());
  if (n >= cap) n = cap - 1;
  std::memcpy(dst, g_clipboard.data(), n);
  dst[n] = 0;
  return n;
}

bool SysStartThread(const HostBridge *bridge) {
  std::lock_guard<std::mutex> lock(g_lock);
  if (!g_finished || g_running.load()) return false;
  if (g_thread.joinable()) g_thread.join();
  g_bridge.store(bridge);
  g_stop.store(false);
  g_finished = false;
  g_running.store(true);
  g_thread = std::thread(ThreadBody);
  return true;
}

bool SysStopThread(u32 timeout_ms) {
  std::unique_lock<std::mutex> lock(g_lock);
  g_stop.store(true);
  g_changed.notify_all();
  if (!g_thread.joinable()) return true;
  if (!g_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [] { return g_finished; })) return false;
  std::thread finished = std::move(g_thread);
  lock.unlock();
  finished.join();
  return true;
}

bool SysThreadRunning() { return g_running.load(); }

bool SysStopRequested() { return g_stop.load(); }

u64 HostIdleCount() { return g_idle_count.load(); }
