// The start of every fuzz input that works on main memory: the calculator's
// RAM is allocated once per process, and the item store is emptied before
// each input so no input sees what an earlier one left.
#pragma once
#include "fuzz/fuzz_util.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"

namespace fuzz {

inline void ClearMainMemory() {
  static bool ready = false;
  if (!ready) {
    FUZZ_CHECK(HostAllocCalcRam() == 1u, "main memory");
    ready = true;
  }
  FUZZ_CHECK(McsClearAll() == 0u, "clear");
}

// Items a file read into main memory may overwrite or must keep: list 1 of
// list file 1 holding 1, and the program "P" holding "1".
inline void AddListAndProgram() {
  Value v{};
  v.re.b[0] = 0x10;
  v.re.b[1] = 0x01;
  ItemListSet(1, 1, 0, &v);
  static const u8 kProgram[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '1', 0};
  McsCreateItem("system", "P", 0xC7, sizeof kProgram, kProgram);
}

// Lists 1-4 of the current list file from the input: for each a count byte
// (taken modulo 13), then that many 12-byte reals as stored.
inline void FillListsFromInput(Reader &in) {
  for (u8 list = 1; list <= 4; ++list) {
    const u32 n = in.Byte() % 13;
    for (u32 k = 0; k < n && in.Left() >= 12; ++k) {
      Value v{};
      in.Bytes(&v.re, 12);
      ItemListSet(0, list, 0, &v);
    }
  }
}

}  // namespace fuzz
