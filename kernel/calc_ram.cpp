// The calculator's RAM block: allocation and address conversion.
#include "kernel/calc_ram.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// Set by the shell before the calculator thread starts and cleared after it
// has ended, so the thread start and join order every access.
u8 *g_block = nullptr;
}  // namespace

u32 HostAllocCalcRam() {
  if (g_block) return 1;
  g_block = static_cast<u8 *>(std::malloc(kCalcRamSize));
  if (!g_block) return 0;
  std::memset(g_block, kCalcRamFill, kCalcRamSize);
  return 1;
}

void HostFreeCalcRam() {
  std::free(g_block);
  g_block = nullptr;
}

u8 *CalcRamBlock() { return g_block; }

u8 *CalcRamArea() { return g_block ? g_block + kCalcRamAreaOffset : nullptr; }

u8 *CalcAddrToPtr(u32 addr, u32 span) {
  if (!g_block || addr < kCalcRamBase) return nullptr;
  const u64 off = addr - kCalcRamBase;
  if (span == 0 || off + span > kCalcRamSize) return nullptr;
  return g_block + off;
}

u32 CalcPtrToAddr(const void *ptr) {
  if (!g_block || !ptr) return 0;
  const std::uintptr_t p = reinterpret_cast<std::uintptr_t>(ptr);
  const std::uintptr_t b = reinterpret_cast<std::uintptr_t>(g_block);
  if (p < b || p - b >= kCalcRamSize) return 0;
  return kCalcRamBase + static_cast<u32>(p - b);
}
