#include "ui/lcd_shadow.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

#include "ui/lcd.h"
#include "ui/setup.h"

namespace {

std::mutex g_lock;
std::array<u8, kLcdShadowBytes> g_shadow = [] {
  std::array<u8, kLcdShadowBytes> a{};
  a.fill(0xFF);
  return a;
}();
std::array<u8, kLcdShadowBytes> g_frame{};
std::atomic<u32> g_serial{0};
std::atomic<u8> g_key_state{0};
std::atomic<bool> g_frozen{false};
std::atomic<ShellDisplayHook> g_hook{nullptr};
std::atomic<u32> g_graph_word{0};
std::atomic<i32> g_graph_x{0};
std::atomic<i32> g_graph_y{0};

void Notify(i32 mode) {
  g_serial.fetch_add(1, std::memory_order_release);
  ShellDisplayHook hook = g_hook.load(std::memory_order_acquire);
  if (hook) hook(mode);
}

bool InScreen(i32 x, i32 y) { return x >= 0 && x < 16 && y >= 0 && y < 64; }

}  // namespace

u8 ShellGetLcdByte(i32 x, i32 y) {
  if (!InScreen(x, y)) return 0;
  std::lock_guard<std::mutex> hold(g_lock);
  return static_cast<u8>(~g_shadow[16 * y + x]);
}

void ShellSetLcdByte(i32 x, i32 y, u8 b) {
  if (!InScreen(x, y)) return;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_shadow[16 * y + x] = static_cast<u8>(~b);
  }
  g_serial.fetch_add(1, std::memory_order_release);
}

void ShellUpdateDisplay() {
  if (!g_frozen.load(std::memory_order_acquire)) {
    const u8 *vram = LcdVramAddress();
    std::lock_guard<std::mutex> hold(g_lock);
    std::memcpy(g_frame.data(), vram, kLcdShadowBytes);
    for (int i = 0; i < kLcdShadowBytes; ++i) g_shadow[i] = static_cast<u8>(~vram[i]);
  }
  g_key_state.store(SetupGetItem(kSetupKeyModifier), std::memory_order_release);
  Notify(0);
}

void ShellBlankLcd() {
  if (!g_frozen.load(std::memory_order_acquire)) {
    const u8 *vram = LcdVramAddress();
    std::lock_guard<std::mutex> hold(g_lock);
    std::memcpy(g_frame.data(), vram, kLcdShadowBytes);
    g_shadow.fill(0xFF);
  }
  Notify(1);
}

void ShellRedrawLcd(i32 mode) {
  if (g_frozen.load(std::memory_order_acquire)) return;
  if (mode == 1) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_shadow.fill(0xFF);
  }
  Notify(mode == 1 ? 1 : 0);
}

void ShellShowBusyIndicator(i32 on) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    for (int y = 0; y < 4; ++y) {
      u8 &b = g_shadow[16 * y + 15];
      b = on ? static_cast<u8>(b & 0xF0) : static_cast<u8>(b | 0x0F);
    }
  }
  Notify(0);
}

i32 ShellSetGraphCursor(i32 x, i32 y) {
  x = x < 0 ? 0 : (x > 127 ? 127 : x);
  y = y < 0 ? 0 : (y > 63 ? 63 : y);
  g_graph_x.store(x, std::memory_order_relaxed);
  g_graph_y.store(y, std::memory_order_relaxed);
  g_graph_word.store(1, std::memory_order_release);
  i32 r = LcdLocate(x, y);
  LcdSetCursorFlash(1);
  return r;
}

u32 ShellGetGraphCursorWord() { return g_graph_word.load(std::memory_order_acquire); }

void ShellSetGraphCursorWord(u32 word) { g_graph_word.store(word, std::memory_order_release); }

void ShellGetGraphCursorPos(i32 *x, i32 *y) {
  *x = g_graph_x.load(std::memory_order_relaxed);
  *y = g_graph_y.load(std::memory_order_relaxed);
}

void ShellSetDisplayFreeze(bool frozen) { g_frozen.store(frozen, std::memory_order_release); }

bool ShellDisplayFrozen() { return g_frozen.load(std::memory_order_acquire); }

void ShellCopyShadow(u8 out[kLcdShadowBytes]) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::memcpy(out, g_shadow.data(), kLcdShadowBytes);
}

void ShellCopyHandedFrame(u8 out[kLcdShadowBytes]) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::memcpy(out, g_frame.data(), kLcdShadowBytes);
}

void ShellWriteShadow(i32 offset, const u8 *bytes, i32 count) {
  if (offset < 0 || count <= 0 || offset >= kLcdShadowBytes) return;
  if (count > kLcdShadowBytes - offset) count = kLcdShadowBytes - offset;
  std::lock_guard<std::mutex> hold(g_lock);
  std::memcpy(g_shadow.data() + offset, bytes, static_cast<size_t>(count));
}

void ShellResetShadow() {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_shadow.fill(0xFF);
  }
  g_serial.fetch_add(1, std::memory_order_release);
}

u32 ShellDisplaySerial() { return g_serial.load(std::memory_order_acquire); }

u8 ShellHandedKeyState() { return g_key_state.load(std::memory_order_acquire); }

const char *ShellKeyStateText(u8 modifier) {
  switch (modifier) {
    case 1: return "<SHIFT>";
    case 2: return "<CLIP>";
    case 4: return "<ALPHA>";
    case 132: return "<ALPHA-LOCK>";
    case 8: return "<small-ALPHA>";
    case 136: return "<small-ALPHA-LOCK>";
    default: return "";
  }
}

void ShellSetDisplayHook(ShellDisplayHook hook) { g_hook.store(hook, std::memory_order_release); }
