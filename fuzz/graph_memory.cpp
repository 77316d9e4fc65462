// Graph memory items as a storage file could carry them: byte 0 picks the
// item ("GMEM"1, "PICT"1 or graph function 1), the rest is its data. The item
// is recalled and its functions drawn on the initial window. Every recall
// ends with 0, 4 or 50, every text read stays inside its item, a refused
// recall changes nothing, and no handle-heap block is left behind.
#include <cstring>
#include <vector>

#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "graph/engine/graph_context.h"
#include "graph/engine/graph_plot.h"
#include "graph/engine/graph_scan.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_graphmem.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "ui/lcd.h"
#include "ui/setup.h"

namespace {

// A text read in place must end inside its item.
void CheckText(int n) {
  const char *text = GmemFuncDataPtr(n);
  if (text == nullptr) return;
  char name[4];
  std::snprintf(name, sizeof name, "%d", n);
  u32 size = 0;
  u8 *data = nullptr;
  FUZZ_CHECK(McsOpenByKindPtr(2, name, &size, &data) == 0u, "slot %d", n);
  const bool inside = reinterpret_cast<const u8 *>(text) >= data && reinterpret_cast<const u8 *>(text) < data + size;
  if (inside) FUZZ_CHECK(std::memchr(text, 0, data + size - reinterpret_cast<const u8 *>(text)) != nullptr, "text end");
}

// Draws graph function n on the initial window.
void Draw(int n) {
  const char *stored = GmemFuncDataPtr(n);
  if (stored == nullptr || stored[0] == 0) return;
  std::vector<u8> text(stored, stored + std::strlen(stored));
  text.push_back(0);
  text.push_back(0);
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == 0x7F && text[i + 1] == 0x8F) text[i + 1] = 0x50;  // no Getkey waits
  static GraphContext ctx;
  std::memset(&ctx, 0, sizeof ctx);
  GraphInitContext(&ctx);
  if (GraphLoadVwin(&ctx, 1) != 0) return;
  ctx.runFlags |= kGraphRunPlanesOnly;
  GraphClearBuffer(&ctx);
  GraphEntry entries[2];
  std::memset(entries, 0, sizeof entries);
  entries[0].text = text.data();
  entries[0].type = kGraphFuncY;
  entries[0].style = 2;
  entries[0].slot = 1;
  ctx.entries = entries;
  i32 count = 0;
  if (GraphScanEntries(&ctx, &count) == 0) GraphPlotAll(&ctx);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
  LcdClearVram();
  if (size == 0) return 0;
  const u8 pick = data[0] % 3;
  const u8 *item = data + 1;
  const u32 len = static_cast<u32>(size - 1 > 4096 ? 4096 : size - 1);
  const u8 head[4] = {0x08, 0x01, 0x80, 2};
  FUZZ_CHECK(GmemWriteFuncItem(7, head, "X") == 0u, "slot 7");

  if (pick == 0) {
    if (McsCreateInFolder("@GRAPH", "GMEM1", len, item) > 2) return 0;
    const u8 setup_before = SetupGetItem(kSetupGrid);
    const u32 r = GmemRecallGraphMem(1);
    FUZZ_CHECK(r == 0 || r == 4 || r == 50, "recall %u", r);
    if (r != 0) {
      FUZZ_CHECK(GmemFuncDataPtr(7) != nullptr, "a refused recall deleted a function");
      FUZZ_CHECK(SetupGetItem(kSetupGrid) == setup_before, "a refused recall changed SET UP");
    }
    for (int n = 1; n <= kGmemFuncSlots; ++n) CheckText(n);
    SetupSetItem(kSetupDualScreen, 3);
    for (int n = 1; n <= kGmemFuncSlots; ++n) Draw(n);
    // What was recalled stores and recalls again.
    const u32 s = GmemStoreGraphMem(2);
    FUZZ_CHECK(s == 0 || s == 50, "store %u", s);
    if (s == 0) FUZZ_CHECK(GmemRecallGraphMem(2) == 0u, "a stored memory recalls");
  } else if (pick == 1) {
    if (McsCreateByKind(7, "PICT1", len, item) > 2) return 0;
    std::vector<u8> buf(2048);
    const u32 r = GmemRecallPict(buf.data(), 1);
    FUZZ_CHECK(r == 0 || r == 4, "picture %u", r);
    FUZZ_CHECK((r == 0) == (GmemPictDataPtr(1) != nullptr), "picture pointer");
  } else {
    McsDeleteByKind(2, "1");
    if (McsCreateByKind(2, "1", len, item) > 2) return 0;
    CheckText(1);
    GmemReadFuncType(1);
    SetupSetItem(kSetupDualScreen, 3);
    Draw(1);
    const u32 s = GmemStoreGraphMem(1);
    FUZZ_CHECK(s == 0 || s == 50, "store %u", s);
    if (s == 0) FUZZ_CHECK(GmemRecallGraphMem(1) == 0u, "recall");
    CheckText(1);
  }
  const MemHandle probe = MemAlloc(1);
  FUZZ_CHECK(probe == kMemSlotBase, "a heap block was left behind");
  MemFree(probe);
  return 0;
}
