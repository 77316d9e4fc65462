// Cell ranges as lists (statistics over cells, sorting) and the sheet's
// histogram setting in its StatGraph condition item "@SG_CND".
#pragma once
#include "apps/sheet/sheet_store.h"
#include "apps/stat/stat_glue.h"

inline constexpr char kSheetGraphCondItem[] = "@SG_CND";
inline constexpr char kSheetCalcCondItem[] = "@SC_CND";
inline constexpr u32 kSheetGraphCondBytes = 184;
// The graph blocks (5 x 32 bytes: 16 words) follow the histogram's start
// and width. Words of a block: 0 draw flag, 1 graph type, 2-5 X range,
// 6-9 Y range, 10-13 frequency range (column and row of each corner; a
// first word 0 means none), 14 mark type, 15 option word. Blocks 1-3 are
// StatGraph1-3; 0 and 4 are working blocks.
inline constexpr u32 kSheetGraphBlocksAt = 24;
inline constexpr u32 kSheetGraphBlockBytes = 160;

// Option words: nibble 0 plain text, 1 formula, 2 empty, 3 error value
// (1 error, 2 zero, else skip; a formula takes its number unless 1).
inline constexpr u16 kSheetOptSort = 0x1311;
inline constexpr u16 kSheetOptStat = 0x1101;

// The numbers of a one-row or one-column range (ordered in place) as list
// <listFile, list>: 0, 1 Break, 2 a refused cell, 4 memory, 33 a range of
// more than one row and column, or an error value's code.
u32 SheetReadRangeToListOpt(SheetRange *r, u8 listFile, u8 list, u16 options);
// Sorts the numbers of a one-row or one-column range; the cells behind the
// sorted numbers lose theirs. 0 or the codes above.
u32 SheetSortRange(const SheetRange *r, u32 descending);
u32 SheetSortAscending(const SheetRange *r);
u32 SheetSortDescending(const SheetRange *r);
// The histogram start and width: 0, 4 or 28 (only the good one written).
u32 SheetWriteHistogramChecked(const BcdReal *start, const BcdReal *width, int create);

// ---- the statistics condition items ----

// Bytes 24-183 of "@SG_CND": 0 or an error code. A missing or unsound item
// is first made anew with its defaults.
u32 SheetReadGraphCond(u8 buf[kSheetGraphBlockBytes]);
// Writes the graph blocks; a missing item is first made with the
// V-Window's Xmin as the histogram's start and 1 as its width: 0, 48 when
// the V-Window cannot be read, or 4.
u32 SheetWriteGraphBlocks(const u8 buf[kSheetGraphBlockBytes]);
// "@SC_CND" written, made when missing: 0 or 4.
u32 SheetWriteCalcCondItem(const u8 buf[kSheetCalcCondBytes]);
// Both items with their defaults: StatGraph1 drawn as a scatter of A1:A5
// against B1:B5; single-variable A1:A5, paired A1:A5 and B1:B5.
u32 SheetResetGraphCond();
u32 SheetResetCalcCond();
// The drawn StatGraphs' X ranges become the selection's first column, Y
// its second, frequency its third, over the selection's rows.
void SheetFillGraphRanges(i16 blocks[80], const SheetRange *sel);
// The single-variable and paired X ranges become the selection's first
// column, the paired Y range its second.
void SheetFillCalcRanges(i16 cond[21], const SheetRange *sel);
// A GRPH or CALC command of the sheet (5-7 GRP1-3, 8 SEL, 9 graph SET,
// 10-12 and 14-23 the calculations, 13 calculation SET, 0 the graphs
// again) over the selection (or null): -21 stay, -22 back to A1, -23 a
// graph was drawn, or another code of the screens.
i32 SheetStatCommand(u32 command, const SheetRange *sel);
