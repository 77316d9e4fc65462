// Seams of the statistics application to the spreadsheet: its graph and
// calculation condition writers and the overlay of its StatGraph screen.
#include "apps/stat/stat_glue.h"

#include <cstring>

#include "apps/sheet/sheet_stat.h"
#include "ui/popup.h"

void StatNotBuiltBox() { PopupMessage(1, "   Not built yet"); }

u32 StatSheetWriteOverlay(const i16 *cond) {
  // The overlay is the sheet's working block 0: its draw flag and type.
  alignas(2) u8 blocks[kSheetGraphBlockBytes];
  if (const u32 e = SheetReadGraphCond(blocks)) return e;
  std::memcpy(blocks, cond, 2 * sizeof(i16));
  return SheetWriteGraphBlocks(blocks);
}

u32 SheetWriteGraphCond(const u16 *sheetCond) {
  return SheetWriteGraphBlocks(reinterpret_cast<const u8 *>(sheetCond) + kSheetGraphBlocksAt);
}

u32 SheetWriteCalcCond(const u8 *sheetCalcCond) { return SheetWriteCalcCondItem(sheetCalcCond); }
