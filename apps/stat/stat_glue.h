// The statistics application's seams to the parts of the system that are
// built elsewhere: the spreadsheet's histogram setting and cell ranges, the
// statistics commands (tests, intervals, distributions) and the StatGraph
// screen. Until an owner lands its seam answers a clear error, or shows the
// box that says the feature is not built yet and changes nothing.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Hands the histogram Start and Width to the spreadsheet's own setting.
void SheetWriteHistogram(const BcdReal *start, const BcdReal *width);
// Reads the cell range named by the token text `range` into list `list` of
// file 0: 0 or an error code.
u32 SheetReadRangeToList(const u8 *range, u8 list);
// The test, interval and distribution commands: StatRunCommand of
// apps/stat/stat_cmd.h.
// The StatGraph screen for the graphs selected in the condition words:
// -21 stay, -22 reset the menus, -23 a graph is shown, -27 / -29 as the
// graph code returns them.
i32 StatGraphScreen(i16 *graphCond, u32 direct);
// The spreadsheet's side of a calculation drawn from its StatGraph screen:
// the overlay's draw flag and type (the first two words of cond) into the
// sheet's graph condition. 0 or an error code.
u32 StatSheetWriteOverlay(const i16 *cond);
// The box of a feature that is not built yet.
void StatNotBuiltBox();
// Writes the spreadsheet's graph condition (its whole record) and its
// calculation condition (42 bytes): 0 or an error code.
u32 SheetWriteGraphCond(const u16 *sheetCond);
u32 SheetWriteCalcCond(const u8 *sheetCalcCond);
