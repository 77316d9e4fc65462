// Seams of the statistics application. The spreadsheet, the statistics
// commands and the StatGraphs replace their answers here when they land.
#include "apps/stat/stat_glue.h"

#include "ui/popup.h"

namespace {

constexpr u32 kErrSystem = 23;

}  // namespace

void StatNotBuiltBox() { PopupMessage(1, "   Not built yet"); }

void SheetWriteHistogram(const BcdReal *, const BcdReal *) {}

u32 SheetReadRangeToList(const u8 *, u8) { return kErrSystem; }

i32 StatGraphScreen(i16 *, u32) {
  StatNotBuiltBox();
  return -21;
}

#include "apps/stat/stat_app.h"
#include "apps/stat/stat_calc.h"
i32 StatGraphSelectScreen() { StatNotBuiltBox(); return 0; }
i32 StatGraphSetScreen() { StatNotBuiltBox(); return 0; }
i32 StatCalcSetScreen(u16 *, u32) { StatNotBuiltBox(); return 0; }
i32 StatRunCalcMenu(u16, u32) { StatNotBuiltBox(); return -2; }
