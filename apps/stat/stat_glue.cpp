// Seams of the statistics application. The spreadsheet, the statistics
// commands and the StatGraphs replace their answers here when they land.
#include "apps/stat/stat_glue.h"

#include "ui/popup.h"

namespace {

constexpr u32 kErrSystem = 23;

}  // namespace

void StatNotBuiltBox() { PopupMessage(1, "   Not built yet"); }

i32 StatGraphScreen(i16 *, u32) {
  StatNotBuiltBox();
  return -21;
}


u32 SheetWriteGraphCond(const u16 *) { return kErrSystem; }

u32 SheetWriteCalcCond(const u8 *) { return kErrSystem; }
