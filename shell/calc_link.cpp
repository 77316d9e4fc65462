#include "shell/calc_link.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "kernel/keyqueue.h"
#include "ui/keycodes.h"

namespace {

std::mutex g_shadow_lock;
u8 g_shadow[kLcdBytes];
bool g_shadow_ready = false;
std::atomic<u8> g_modifier{0};

}  // namespace

void CalcLinkCopyShadow(u8 *out) {
  std::lock_guard<std::mutex> lock(g_shadow_lock);
  if (!g_shadow_ready) {
    std::memset(g_shadow, 0xFF, sizeof g_shadow);
    g_shadow_ready = true;
  }
  std::memcpy(out, g_shadow, kLcdBytes);
}

bool CalcLinkPostKey(const ShellKeyEvent &e) {
  u16 code = e.code;
  if (e.letter == kLetterAlphaOnce) code = static_cast<u16>((code & 0xFF) | kKeyTypedAlphaOnce);
  if (e.letter == kLetterAlphaStay) code = static_cast<u16>((code & 0xFF) | kKeyTypedAlphaStay);
  return HostPushKeyEvent(e.column, e.row, code, 0) != 0;
}

u8 CalcLinkKeyModifier() { return g_modifier.load(); }

bool CalcLinkRunning() { return false; }
u64 CalcLinkIdleCount() { return 0; }
u32 CalcLinkQueueCount() { return HostKeyQueueCount(); }
void CalcLinkHoldQueue(bool hold) {
  if (hold) {
    HostHoldKeyQueue();
  } else {
    HostReleaseKeyQueue();
  }
}
void CalcLinkAnswer(std::string *real, std::string *imag) {
  real->clear();
  imag->clear();
}
bool CalcLinkRequestCopy() { return false; }
bool CalcLinkRequestPaste() { return false; }

void CalcLinkWriteShadow(i32 offset, const u8 *bytes, i32 count) {
  u8 tmp[kLcdBytes];
  CalcLinkCopyShadow(tmp);  // makes sure the shadow is filled
  std::lock_guard<std::mutex> lock(g_shadow_lock);
  for (i32 i = 0; i < count; ++i) {
    if (offset + i >= 0 && offset + i < kLcdBytes) g_shadow[offset + i] = bytes[i];
  }
}
