// Graph formulas as a user could store them: the first byte picks the
// function type (Y=, r=, parametric, X=c, the four inequalities), Simul
// Graph and Plot; the rest is the formula text (up to 255 bytes). The entry
// is scanned and plotted into the planes on the initial window. Every plot
// ends with 0 or an error code 1-38, the graph-variable bits of SET UP are
// clear afterwards, and no handle-heap block is left behind.
#include <cstring>
#include <vector>

#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "graph/engine/graph_context.h"
#include "graph/engine/graph_plot.h"
#include "graph/engine/graph_scan.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "ui/lcd.h"
#include "ui/setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
  SetupSetItem(kSetupDualScreen, 3);
  FUZZ_CHECK(ItemListCreate(0, 1, 3) == 0u, "list 1");
  LcdClearVram();

  fuzz::Reader in(data, size);
  const u8 pick = in.Byte();
  static const u32 kTypes[8] = {kGraphFuncY,   kGraphFuncR,   kGraphFuncParam, kGraphFuncXc,
                                kGraphFuncYGt, kGraphFuncYLt, kGraphFuncYGe,   kGraphFuncYLe};
  SetupSetItem(kSetupSimulGraph, (pick & 0x08) ? 0 : 1);
  SetupSetItem(kSetupDrawType, (pick & 0x10) ? 1 : 0);

  std::vector<u8> text;
  while (!in.Empty() && text.size() < 255) text.push_back(in.Byte());
  text.push_back(0);
  text.push_back(0);
  // Getkey waits for a key press; a fuzz run has none to give.
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == 0x7F && text[i + 1] == 0x8F) text[i + 1] = 0x50;

  static GraphContext ctx;
  std::memset(&ctx, 0, sizeof ctx);
  GraphInitContext(&ctx);
  FUZZ_CHECK(GraphLoadVwin(&ctx, 1) == 0u, "window");
  ctx.runFlags |= kGraphRunPlanesOnly;
  GraphClearBuffer(&ctx);
  GraphEntry entries[2];
  std::memset(entries, 0, sizeof entries);
  entries[0].text = text.data();
  entries[0].type = kTypes[pick % 8];
  entries[0].style = static_cast<u8>(1 + (pick >> 5));
  entries[0].slot = 1;
  ctx.entries = entries;

  i32 count = 0;
  const u32 scan = GraphScanEntries(&ctx, &count);
  FUZZ_CHECK(scan <= 38, "scan code %u", scan);
  FUZZ_CHECK(scan != 0 || (count >= 1 && count <= 255), "count %d", count);
  const u32 code = GraphPlotAll(&ctx);
  FUZZ_CHECK(code <= 38, "plot code %u", code);
  FUZZ_CHECK((SetupGetByte(kSetupGraphVars) & 0x1F) == 0, "graph variable bits left set");
  FUZZ_CHECK(ctx.points == nullptr, "point records kept");
  const MemHandle probe = MemAlloc(1);
  FUZZ_CHECK(probe == kMemSlotBase, "a heap block was left behind");
  MemFree(probe);
  return 0;
}
