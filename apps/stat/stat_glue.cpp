// Seams of the statistics application. The spreadsheet's condition writers
// and the StatGraphs replace their answers here when they land.
#include "apps/stat/stat_glue.h"

#include "ui/popup.h"

namespace {

constexpr u32 kErrSystem = 23;

}  // namespace

void StatNotBuiltBox() { PopupMessage(1, "   Not built yet"); }

u32 StatSheetWriteOverlay(const i16 *) { return kErrSystem; }

u32 SheetWriteGraphCond(const u16 *) { return kErrSystem; }

u32 SheetWriteCalcCond(const u8 *) { return kErrSystem; }
