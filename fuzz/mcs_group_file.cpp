// Group and backup files read back into main memory. The first input byte
// chooses the byte order (bit 0: a host file, big-endian); the rest is the
// file. A refused file leaves main memory, the variables, SET UP and the
// application name exactly as they were; an accepted one leaves a store
// that passes its consistency walk, with every list, matrix and program
// whole.
#include <cstring>
#include <vector>

#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "kernel/calc_ram.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

struct State {
  std::vector<u8> area, vars, setup;
  char app[9];
};

State Take() {
  State s;
  s.area.assign(McsAreaAddress(), McsAreaAddress() + kMcsAreaSize);
  u32 size = 0;
  Value *slots = nullptr;
  McsVariablePtr('A', &size, &slots);
  const u8 *v = reinterpret_cast<const u8 *>(slots);
  s.vars.assign(v, v + kMcsAlphaMemSize);
  s.setup.assign(SetupItemAddress(0), SetupItemAddress(0) + kMcsSetupSize);
  SysGetAppName(s.app);
  return s;
}

bool Same(const State &a, const State &b) {
  return a.area == b.area && a.vars == b.vars && a.setup == b.setup && !std::memcmp(a.app, b.app, 9);
}

// Every list and matrix of "main" and every program reads back whole.
void CheckItems() {
  McsFolderRecord *f = nullptr;
  u8 index = 0;
  for (const char *folder : {"main", "system"}) {
    if (McsFindFolder(folder, &f, &index) != 0 || !f) continue;
    const McsItemRecord *items = McsFolderItems(f);
    for (u16 k = 0; k < f->count; ++k) {
      char name[9] = {};
      std::memcpy(name, items[k].name, 8);
      u8 *data = nullptr;
      u32 size = 0;
      u8 type = 0;
      FUZZ_CHECK(McsFindItem(folder, name, &type, nullptr, &data, &size) == 0, "item %s", name);
      const u16 code = McsItemConvertCode(type, folder, name);
      if (code == 10 || code == 19) {
        u16 a, b;
        std::memcpy(&a, data + 8, 2);
        std::memcpy(&b, data + 10, 2);
        const u32 n = code == 10 ? a : u32{a} * b;
        FUZZ_CHECK(size == 16 + 12 * n || size == 16 + 24 * n, "%s size %u for %u elements", name, size, n);
      }
      if (!std::strcmp(folder, "system")) FUZZ_CHECK(size > 10 && std::memchr(data + 10, 0, size - 10), "program %s", name);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  SysClearVariables();
  SysSetAppName("@MEMORY");
  // Something to overwrite.
  fuzz::AddListAndProgram();
  if (size == 0) return 0;
  const State before = Take();
  const i32 r = McsRestoreFromBytes(data + 1, static_cast<u32>(size - 1), data[0] & 1);
  if (r != 0) {
    FUZZ_CHECK(Same(before, Take()), "a refused file (%d) changed memory", r);
    return 0;
  }
  u8 folder = 0;
  FUZZ_CHECK(McsCheckArea(&folder) == 0u, "store inconsistent after a restore");
  CheckItems();
  return 0;
}
