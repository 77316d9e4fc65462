// The start of every fuzz input that works on main memory: the calculator's
// RAM is allocated once per process, and the item store is emptied before
// each input so no input sees what an earlier one left.
#pragma once
#include "fuzz/fuzz_util.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"

namespace fuzz {

inline void ClearMainMemory() {
  static bool ready = false;
  if (!ready) {
    FUZZ_CHECK(HostAllocCalcRam() == 1u, "main memory");
    ready = true;
  }
  FUZZ_CHECK(McsClearAll() == 0u, "clear");
}

}  // namespace fuzz
