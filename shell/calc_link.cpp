#include "shell/calc_link.h"

#include <atomic>
#include <cstring>
#include <mutex>

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

bool CalcLinkPostKey(const ShellKeyEvent &) { return false; }

u8 CalcLinkKeyModifier() { return g_modifier.load(); }
