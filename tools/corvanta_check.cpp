// Headless boot check: exercises the calculator system's foundations without
// a window and prints what it finds.
#include <cstdio>

#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/real.h"

int main() {
  BcdReal zero;
  RealSetZero(&zero);
  std::printf("Corvanta headless check: number core %s\n", ValErrorCode(&zero) == 0 ? "ok" : "FAILED");

  if (!HostAllocCalcRam()) {
    std::printf("calculator RAM: allocation FAILED\n");
    return 1;
  }
  const u32 cleared = McsClearAll();
  u8 folder = 0;
  const u32 check = McsCheckArea(&folder);
  u32 total = 0, used = 0, free_bytes = 0;
  McsGetSizes(&total, &used, &free_bytes);
  std::printf("main memory: cleared %u, check %u (folder %u), %u bytes, %u used, %u free\n", cleared, check, folder,
              total, used, free_bytes);
  HostFreeCalcRam();
  return cleared == 0 && check == 0 ? 0 : 1;
}
