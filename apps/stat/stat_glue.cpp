// Seams of the statistics application: the spreadsheet's condition writers,
// and the StatGraphs, which replace their answer here when they land.
#include "apps/stat/stat_glue.h"

#include "apps/sheet/sheet_stat.h"
#include "ui/popup.h"

namespace {

constexpr u32 kErrSystem = 23;

}  // namespace

void StatNotBuiltBox() { PopupMessage(1, "   Not built yet"); }

u32 StatSheetWriteOverlay(const i16 *) { return kErrSystem; }

u32 SheetWriteGraphCond(const u16 *sheetCond) {
  return SheetWriteGraphBlocks(reinterpret_cast<const u8 *>(sheetCond) + kSheetGraphBlocksAt);
}

u32 SheetWriteCalcCond(const u8 *sheetCalcCond) { return SheetWriteCalcCondItem(sheetCalcCond); }
