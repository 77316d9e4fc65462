// The spreadsheet application: its view record, the sheet screen
// (sheet_screen.cpp), the cell input line and the key loop with its
// commands (sheet_app.cpp). Calculator thread only.
#pragma once
#include "apps/sheet/sheet_store.h"

struct SheetView {
  i16 visibleRows;
  i16 firstCol, firstRow;
  i16 curCol, curRow;
  i16 redraw;
  i16 selStartCol, selStartRow;
  i16 selEndCol, selEndRow;
  i16 selecting;
  i16 markCol1, markRow1, markCol2, markRow2;
  i16 marked;
};

u32 SheetAppMain(u32 fromMainMenu, u16 submode);
// The key loop while the cursor is on a row number or a column letter (a
// whole row or column): CLIP picks several rows or columns, the arrows
// extend them, EXIT ends picking; cut, COPY, DEL, INS, CLR, the sorts and
// GRPH and CALC act on the picked rows or columns, else on the one under
// the cursor. 0 when the cursor is back on a cell, -1 for QUIT. graphFlag
// is set after a statistics graph was drawn.
i32 SheetHeaderMode(SheetView *v, bool *graphFlag);
// The rows (cursor on a row number) or columns (on a column letter) the
// header mode acts on: the picked ones in order while picking, else the one
// under the cursor, as the first one and their count.
inline void SheetHeaderSpan(const SheetView *v, i32 *first, i32 *count) {
  const bool rows = v->curCol == 0;
  i32 a = rows ? v->curRow : v->curCol, b = a;
  if (v->selecting) {
    a = rows ? v->selStartRow : v->selStartCol;
    b = rows ? v->selEndRow : v->selEndCol;
  }
  *first = a < b ? a : b;
  *count = (a < b ? b - a : a - b) + 1;
}

// Draws the grid, the headings, the 20 shown cells and the current cell's
// line on row 7. key picks the number form of that line (31050 DMS, 31051 /
// 31052 engineering, 30026 / 30046 fraction forms, else the normal form).
void SheetDrawScreen(SheetView *v, u32 key, int keep, char *out, Value *cur);
// The selection in reverse video and its range on row 7; a framed mark.
void SheetDrawSelection(SheetView *v, int picking, i16 noFrame);

// The cell input line: 0 stored (or nothing typed) and the cursor moved,
// -1 AC, -2 EXIT.
i32 SheetEditCell(u32 isChar, u32 key, SheetView *view, u32 kinds);
// The paste mode after cut (op 2) or COPY (op 1): -1 QUIT, -2 EXIT, -12 a
// cut was pasted.
i32 SheetPasteMode(SheetView *v, u32 sourceKind, u32 op, u32 *lastError);
// Copies the view's marked block to target: 0, 1 Break, 4 memory (checked
// before any change: nothing changed).
u32 SheetPasteBlock(const i16 target[2], const i16 source[2], const SheetView *v, u32 op);
// Rows inserted into every column, undone on failure: 0, 4 or 33.
u32 SheetRowInsert(i32 first, i32 count);
// The reference picker of the cell input line (GRAB): the reference of the
// cell or range picked on the sheet goes into text at *cursor. 0 done or
// left with EXIT, -1 SHIFT+EXIT.
i32 SheetPickReference(SheetView *v, char *text, u32 *cursor, u32 *length);
// Inserts ref into text (up to 255 bytes) at *cursor, cutting the result
// at 255 bytes between characters; *cursor moves behind the reference.
// Returns the new length.
u32 SheetInsertReference(char *text, u32 *cursor, const char *ref);
// The statistics command number of a GRPH or CALC command code (28-45).
u32 SheetStatCmdFromCode(u32 code, u32 *command);
// Go To's text: a capital letter and a row 1-999, nothing else. 1 with
// col and row, else 0.
u32 SheetParseGoTo(const char *text, i16 *col, i16 *row);
