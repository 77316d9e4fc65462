// Cell ranges as lists (statistics over cells, sorting) and the sheet's
// histogram setting in its StatGraph condition item "@SG_CND".
#pragma once
#include "apps/sheet/sheet_store.h"

inline constexpr char kSheetGraphCondItem[] = "@SG_CND";
inline constexpr u32 kSheetGraphCondBytes = 184;

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
