#include "shell/host_bridge.h"

#include <QClipboard>
#include <QGuiApplication>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "kernel/calc_ram.h"
#include "kernel/host.h"
#include "memory/mcs_api.h"
#include "shell/calc_link.h"
#include "shell/frame.h"
#include "shell/platform/platform.h"
#include "shell/view.h"
#include "ui/lcd_shadow.h"

namespace {

// UI thread only.
ShellFrame *g_frame = nullptr;
QMetaObject::Connection g_clip_watch;
bool g_started = false;

// Shared with the calculator thread.
std::atomic<bool> g_repaint_posted{false};
std::mutex g_clip_lock;
std::string g_clip_text;  // the PC clipboard's text, as the UI thread last saw it

void CopyClipboard() {
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  std::lock_guard<std::mutex> lock(g_clip_lock);
  g_clip_text = text;
}

void BridgeScreen(void *) { ShellBridgeScreenChanged(); }
void BridgeStatus(void *, const char *status, const char *title) { ShellBridgeStatusChanged(status, title); }
void BridgeSleep(void *, u32 ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
u32 BridgeTick(void *) {
  using namespace std::chrono;
  return static_cast<u32>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
void BridgeClipPut(void *, const char *text) { ShellBridgeClipboardPut(text); }
u32 BridgeClipGet(void *, char *dst, u32 cap) { return ShellBridgeClipboardGet(dst, cap); }

void DisplayHook(i32) { ShellBridgeScreenChanged(); }

const HostBridge kBridge = {nullptr, BridgeScreen, BridgeStatus, BridgeSleep, BridgeTick, BridgeClipPut, BridgeClipGet};

}  // namespace

void ShellBridgeAttach(ShellFrame *frame) {
  g_frame = frame;
  QObject::disconnect(g_clip_watch);
  ShellSetDisplayHook(frame != nullptr ? DisplayHook : nullptr);
  if (frame == nullptr) return;
  CopyClipboard();
  g_clip_watch = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, frame, CopyClipboard);
}

bool ShellBridgeStart() {
  if (g_started) return true;
  if (HostAllocCalcRam() == 0) return false;
  McsClearAll();
  if (!SysStartThread(&kBridge)) return false;
  g_started = true;
  return true;
}

bool ShellBridgeStop(u32 timeout_ms) {
  if (!g_started) return true;
  if (!SysStopThread(timeout_ms)) return false;
  g_started = false;
  HostFreeCalcRam();
  return true;
}

bool ShellBridgeStarted() { return g_started; }

void ShellBridgeScreenChanged() {
  // One repaint waits in the UI queue at most; it paints the newest shadow.
  if (g_repaint_posted.exchange(true)) return;
  PlatformRunOnUi([] {
    g_repaint_posted = false;
    if (g_frame != nullptr) g_frame->View()->RefreshDisplay();
  });
}

void ShellBridgeStatusChanged(const char *status, const char *title) {
  std::string s = status != nullptr ? status : "", t = title != nullptr ? title : "";
  PlatformRunOnUi([s, t] {
    if (g_frame != nullptr) g_frame->ShowCalcStatus(QString::fromStdString(s), QString::fromStdString(t));
  });
}

void ShellBridgeClipboardPut(const char *utf8) {
  std::string text = utf8 != nullptr ? utf8 : "";
  PlatformRunOnUi([text] { PlatformSetClipboardText(text); });
}

u32 ShellBridgeClipboardGet(char *dst, u32 cap) {
  if (dst == nullptr || cap == 0) return 0;
  std::lock_guard<std::mutex> lock(g_clip_lock);
  u32 n = static_cast<u32>(g_clip_text.size());
  if (n > cap - 1) {
    n = cap - 1;
    // Never cut a UTF-8 sequence in two.
    while (n > 0 && (static_cast<u8>(g_clip_text[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(dst, g_clip_text.data(), n);
  dst[n] = '\0';
  return n;
}
