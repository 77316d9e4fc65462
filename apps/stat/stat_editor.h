// The statistics list editor: a table of the 26 lists of the current list
// file, four side by side, the cell editor on the bottom line and the list
// tools (delete a list, sort lists together). The key loop is
// stat_app.cpp; the table and the tools are stat_table.cpp and
// stat_cell.cpp. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"
#include "ui/setup.h"

inline constexpr i32 kStatListCount = 26;
inline constexpr i32 kStatMaxRow = 999;

// A list cell's text (six small-font characters): " ERROR" for an error.
void StatFormatCell(const Value *v, char *out);
// Element number n right-aligned in three small-font cells at (col, row).
void StatDrawIndex(int col, int row, int n);
// Blanks, then text, so that it ends in column 21 of the current row.
void StatPrintRightAligned(const char *text);
// Draws the table of the four lists from firstList (the title row, the
// sub-names when shown, the element rows from *topRow) and the bottom text
// (a carriage return splits it over rows 6 and 7). Returns the element
// rows drawn (4 or 5).
i32 StatDrawListTable(i32 firstList, i32 *topRow, i32 curList, i32 row, const char *bottomText);
// Edits the cell under the cursor on the bottom line. typed: *key is the
// first character; else the line starts with the cell's content. Returns
// 0 data changed, -2 redraw, -1 reset the menus, -6 empty line.
i32 StatEditCell(u32 typed, u32 *key, i32 firstList, i32 *topRow, i32 curList, i32 *row, i32 *count);
// "Delete List?": 0 deleted, -2 cancelled, -1 SHIFT+EXIT.
i32 StatDeleteListConfirm(i32 list);
// SRT-A (26) or SRT-D (27): 0 done, or the input's result when cancelled.
i32 StatSortListsDialog(u32 code);
// A list number 1-26 of a list that has elements, read at column 17 of
// row 5: 0 with the list opened into out, or the input's non-zero result.
i32 StatInputListNumber(Value *out, int *number);
// Element rows the table shows with an one-row bottom text (4 with
// sub-names, else 5).
i32 StatVisibleRows();
