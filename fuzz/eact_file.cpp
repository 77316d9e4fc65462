// E-activity files from arbitrary bytes, read as the e-activity's work
// areas and opened as its document. A refused file leaves main memory, the
// variables and SET UP exactly as they were; an accepted one leaves a store
// that passes its consistency walk, packs again into a file that reads back
// the same, and opens and draws as a document (a damaged "EACT1" is opened
// as new) with every heap block freed.
#include <cstring>
#include <vector>

#include "apps/calcdoc/calcdoc.h"
#include "apps/calcdoc/calcdoc_draw.h"
#include "apps/calcdoc/calcdoc_store.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_group.h"
#include "memory/mcs_store.h"
#include "memory/mcs_workarea.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

std::vector<u8> Raw() {
  std::vector<u8> out(McsAreaAddress(), McsAreaAddress() + kMcsAreaSize);
  u32 size = 0;
  Value *slots = nullptr;
  McsVariablePtr('A', &size, &slots);
  const u8 *v = reinterpret_cast<const u8 *>(slots);
  out.insert(out.end(), v, v + kMcsAlphaMemSize);
  out.insert(out.end(), SetupItemAddress(0), SetupItemAddress(0) + kMcsSetupSize);
  return out;
}

u32 BlocksInUse() {
  u32 n = 0;
  for (u32 i = 0; i < kMemSlotCount; ++i) n += MemDeref(kMemSlotBase + 4 * i) != nullptr;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  SysClearVariables();
  // Something to keep or overwrite.
  fuzz::AddListAndProgram();
  const std::vector<u8> before = Raw();
  const u32 r = McsWorkUnpackEact(data, static_cast<u32>(size));
  if (r != 0) {
    FUZZ_CHECK(r >= 301 && r <= 305, "refusal code %u", r);
    FUZZ_CHECK(Raw() == before, "a refused file (%u) changed memory", r);
    return 0;
  }
  u8 folder = 0;
  FUZZ_CHECK(McsCheckArea(&folder) == 0u, "store inconsistent after a restore");
  // What was read packs again into a file that reads back the same.
  std::vector<u8> packed;
  if (McsWorkPackEact(&packed) == 0) {
    const std::vector<u8> read = Raw();
    FUZZ_CHECK(McsWorkUnpackEact(packed.data(), static_cast<u32>(packed.size())) == 0, "own file refused");
    std::vector<u8> again;
    FUZZ_CHECK(McsWorkPackEact(&again) == 0 && again == packed, "packing is not stable");
  }
  // The editor's open path: the document opens (new when damaged) and draws.
  const u32 blocks = BlocksInUse();
  CalcDocOpen(kDocNameEact, "FUZZ");
  u32 isize = 0;
  u8 *item = nullptr;
  FUZZ_CHECK(McsOpenInFolderPtr(kDocEactFolder, kDocNameEact, &isize, &item) == 0 && CalcDocCheck(item, isize),
             "the opened document fails its check");
  const u32 count = CalcDocEntryCount();
  for (u32 i = 0; i < count && i < 16; ++i) {
    CalcDocGetState()->current = i;
    CalcDocGetState()->row = 0;
    CalcDocScrollToCurrent();
    CalcDocDrawScreen(true, nullptr, nullptr);
    CalcDocGetState()->strip = i;
    char app[9];
    EactStripFolder(app);
  }
  FUZZ_CHECK(BlocksInUse() == blocks, "a block was not freed");
  return 0;
}
