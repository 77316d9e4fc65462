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
// Reads the numbers of the spreadsheet's one-row or one-column cell range
// {column, row, column, row} into list `list` of file 0 (text and empty
// cells refused, formulas give their numbers): 0 or an error code.
u32 SheetReadRangeToList(const i16 range[4], u8 list);
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
// The spreadsheet's calculation condition "@SC_CND" (42 bytes), made with
// its defaults when missing or unsound: 0 or an error code.
inline constexpr u32 kSheetCalcCondBytes = 42;
u32 SheetReadCalcCond(u8 buf[kSheetCalcCondBytes]);
// Writes the spreadsheet's graph condition (its whole 184-byte record: the
// histogram's start and width, then graph blocks 0-4 of 32 bytes) and its
// calculation condition (42 bytes): 0 or an error code.
u32 SheetWriteGraphCond(const u16 *sheetCond);
u32 SheetWriteCalcCond(const u8 *sheetCalcCond);
