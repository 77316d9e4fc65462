// Calculation documents from arbitrary bytes: byte 0 picks "RUN2D1" or
// "EACT1", the rest is the item as it may come back from a file. Opening
// keeps an item that passes the check and replaces any other by a new
// document; the document is then read entry by entry, drawn, and changed.
// What must hold: the item passes the check after every step, every heap
// block taken is freed, and the other items of main memory are untouched.
#include <cstring>
#include <vector>

#include "apps/calcdoc/calcdoc.h"
#include "apps/calcdoc/calcdoc_draw.h"
#include "apps/calcdoc/calcdoc_store.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "number/value.h"
#include "ui/lcd.h"

namespace {

u32 BlocksInUse() {
  u32 n = 0;
  for (u32 i = 0; i < kMemSlotCount; ++i) n += MemDeref(kMemSlotBase + 4 * i) != nullptr;
  return n;
}

bool DocOk() {
  const CalcDocState *st = CalcDocGetState();
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(st->folder, st->name, &size, &data) != 0) return false;
  return CalcDocCheck(data, size);
}

std::vector<u8> Other() {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr("main", "KEEP", &size, &data) != 0) return {};
  return std::vector<u8>(data, data + size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  if (size == 0) return 0;
  const bool eact = data[0] & 1;
  const char *name = eact ? kDocNameEact : kDocNameRun;
  const char *folder = eact ? kDocEactFolder : kDocRunFolder;
  const u8 keep[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  FUZZ_CHECK(McsCreateInFolder("main", "KEEP", sizeof keep, keep) == 0, "keep item");
  const std::vector<u8> other = Other();
  const u32 n = static_cast<u32>(size - 1);
  const bool stored = n > 0 && McsCreateInFolder(folder, name, (n + 3) & ~3u, nullptr) == 0 &&
                      McsWriteInFolder(folder, name, n, data + 1, 0) <= 2;
  bool valid = false;
  if (stored) {
    u32 isize = 0;
    u8 *item = nullptr;
    McsOpenInFolderPtr(folder, name, &isize, &item);
    valid = CalcDocCheck(item, isize);
  }
  const u32 blocks = BlocksInUse();
  CalcDocOpen(name, "FUZZ");
  FUZZ_CHECK(!valid || CalcDocGetState()->damaged == 0, "a sound item was refused");
  FUZZ_CHECK(DocOk(), "the opened document fails its check");
  FUZZ_CHECK(Other() == other, "another item changed");

  const u32 count = CalcDocEntryCount();
  for (u32 i = 0; i < count; ++i) {
    CalcDocLineInfo info{};
    FUZZ_CHECK(CalcDocEntryInfo(i, &info) == 1, "entry %u has no info", i);
    if (DocKindOf(info.type) == kDocResult) {
      Value v{};
      if (CalcDocResultValue(i, &v)) ValFreeTemp(&v);
    }
  }
  CalcDocGetState()->current = count > 0 ? count - 1 : 0;
  Value v{};
  CalcDocGetLastAns(&v);
  if (CalcDocFindLastList(&v)) ValFreeTemp(&v);
  if (CalcDocFindLastMatrix(&v)) ValFreeTemp(&v);
  for (u32 i = 0; i < count && i < 16; ++i) {
    CalcDocGetState()->current = i;
    CalcDocGetState()->row = static_cast<i32>(data[0] >> 2) - 16;
    CalcDocScrollToCurrent();
    CalcDocDrawScreen(true, nullptr, nullptr);
  }
  FUZZ_CHECK(BlocksInUse() == blocks, "a block was not freed");

  // Changes keep the item sound.
  const u8 text[] = {0xBB, 0x1D, 0x1A, '1', 0x1B, 0x1A, '2', 0x1B, 0x1E, 0};
  CalcDocInsertEntry(CalcDocEntryCount(), {DocTypeWord(kDocText), 6, 8}, text);
  FUZZ_CHECK(DocOk(), "after an insert");
  if (CalcDocEntryCount() > 1) CalcDocDeleteLine(data[0] % CalcDocEntryCount());
  FUZZ_CHECK(DocOk(), "after a delete");
  CalcDocGetState()->strip = data[0] % (CalcDocEntryCount() + 1);
  EactStripDataOffset();
  FUZZ_CHECK(Other() == other, "another item changed");
  return 0;
}
