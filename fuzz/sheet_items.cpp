// Sheet items from outside (group files carry them): any bytes as the sheet
// "SHEET" go through opening, recalculation, drawing, a paste and a row
// insertion. An item that is no sound sheet is refused everywhere and stays
// byte for byte; a sound one stays sound after every change. Then any bytes
// as the sheet's statistics condition items: an unsound one is made anew,
// and the cell ranges they name are read into the statistics work lists.
#include <algorithm>
#include <cstring>
#include <vector>

#include "apps/sheet/sheet_app.h"
#include "apps/sheet/sheet_eval.h"
#include "apps/sheet/sheet_refs.h"
#include "apps/sheet/sheet_stat.h"
#include "apps/sheet/sheet_store.h"
#include "apps/stat/stat_calc.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

std::vector<u8> Item() {
  u32 size = 0;
  u8 *d = nullptr;
  if (McsOpenInFolderPtr(kSheetFolder, "SHEET", &size, &d) != 0) return {};
  return std::vector<u8>(d, d + size);
}

void CheckSound(const char *after) {
  const std::vector<u8> b = Item();
  FUZZ_CHECK(!b.empty() && SheetCheckItem(b.data(), static_cast<u32>(b.size())), "unsound after %s", after);
}

// The condition items from the rest of the input.
void Conditions(fuzz::Reader *in) {
  u8 graph[kSheetGraphCondBytes + 8], calc[kSheetCalcCondBytes + 8];
  const u32 graphSize = kSheetGraphCondBytes - 4 + 4 * (in->Byte() % 3);
  const u32 calcSize = kSheetCalcCondBytes - 2 + 4 * (in->Byte() % 2);
  in->Bytes(graph, graphSize);
  in->Bytes(calc, calcSize);
  McsCreateInFolder(kSheetFolder, kSheetGraphCondItem, graphSize, graph);
  McsCreateInFolder(kSheetFolder, kSheetCalcCondItem, calcSize, calc);
  alignas(2) u8 blocks[kSheetGraphBlockBytes], again[kSheetGraphBlockBytes];
  alignas(2) u8 cond[kSheetCalcCondBytes], condAgain[kSheetCalcCondBytes];
  FUZZ_CHECK(SheetReadGraphCond(blocks) == 0u, "graph condition");
  FUZZ_CHECK(SheetReadCalcCond(cond) == 0u, "calculation condition");
  // What was read is sound: read again, it stands as it was.
  FUZZ_CHECK(SheetReadGraphCond(again) == 0u && std::memcmp(blocks, again, sizeof blocks) == 0, "graph rebuilt twice");
  FUZZ_CHECK(SheetReadCalcCond(condAgain) == 0u && std::memcmp(cond, condAgain, sizeof cond) == 0,
             "calculation rebuilt twice");
  FUZZ_CHECK(cond[0] >= 9 && cond[0] <= 21, "type %u", cond[0]);
  i16 lists[6] = {cond[0]};
  StatSheetCondToLists(lists, cond, cond[0] == 20);
  i16 graphs[29];
  StatSheetRangeCalc(graphs, reinterpret_cast<const u16 *>(blocks));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  fuzz::Reader in(data, size);
  const u8 flags = in.Byte();
  SetupSetItem(kSetupAutoCalc, flags & 1);
  const u16 len = static_cast<u16>(in.Word() & 0x3FFC);
  std::vector<u8> bytes(len ? len : 4);
  in.Bytes(bytes.data(), bytes.size());
  FUZZ_CHECK(McsCreateInFolder(kSheetFolder, "SHEET", static_cast<u32>(bytes.size()), bytes.data()) == 0u, "create");
  const bool sound = SheetCheckItem(bytes.data(), static_cast<u32>(bytes.size()));
  const u32 set = SheetSetCurrentName("SHEET");
  FUZZ_CHECK(set == (sound ? 1u : 2u), "current %u", set);
  if (!sound) {
    // Refused: nothing reads or changes it.
    const Value v{};
    FUZZ_CHECK(SheetOpen("SHEET") == nullptr, "opened");
    FUZZ_CHECK(SheetWriteValue("SHEET", 1, 1, &v) != 0u, "written");
    FUZZ_CHECK(SheetWriteFormula("SHEET", 1, 1, "=1") != 0u, "formula written");
    FUZZ_CHECK(Item() == bytes, "a refused item changed");
    return 0;
  }
  SheetLatchError(0);
  SheetRecalcAll();
  CheckSound("recalculation");
  SheetView v{};
  v.visibleRows = 5;
  v.firstCol = static_cast<i16>(1 + in.Byte() % 23);
  v.firstRow = static_cast<i16>(1 + in.Word() % 995);
  v.curCol = v.firstCol;
  v.curRow = v.firstRow;
  v.redraw = 1;
  char out[64] = {};
  Value cur{};
  SheetDrawScreen(&v, 0, 0, out, &cur);
  // A paste of a small block somewhere else.
  v.markCol1 = static_cast<i16>(1 + in.Byte() % 26);
  v.markRow1 = static_cast<i16>(1 + in.Word() % 999);
  v.markCol2 = static_cast<i16>(std::min(26, v.markCol1 + in.Byte() % 3));
  v.markRow2 = static_cast<i16>(std::min(999, v.markRow1 + in.Byte() % 4));
  const i16 source[2] = {v.markCol1, v.markRow1};
  const i16 target[2] = {static_cast<i16>(1 + (v.markCol1 + in.Byte() % 3) % (27 - (v.markCol2 - v.markCol1 + 1))),
                         static_cast<i16>(1 + in.Word() % (1000 - (v.markRow2 - v.markRow1 + 1)))};
  SheetPasteBlock(target, source, &v, 1 + in.Byte() % 2);
  CheckSound("paste");
  const i32 first = 1 + in.Word() % 999, count = 1 + in.Byte() % 3;
  if (SheetCheckRefPass(1, first, 0, count, 0) == 0 && SheetRowInsert(first, count) == 0) SheetRefPass(1, first, 0, count);
  CheckSound("row insertion");
  SheetLatchError(0);
  SheetMaskEvalStates(nullptr, 0);
  SheetRecalcAll();
  CheckSound("second recalculation");
  Conditions(&in);
  return 0;
}
