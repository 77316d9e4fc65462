// The result viewers: a list result as a column of elements with their
// numbers, a matrix result as the scrolling element grid, each element read
// in full on the bottom row. Calculator thread only.
#pragma once
#include "kernel/types.h"

// The grid of a matrix shared by the matrix editor and the matrix viewer.
struct MatEditState {
  u8 matrix;     // 0 Mat Ans, 1-26 Mat A-Z
  u32 top;       // first row shown
  u32 left;      // first column shown
  u32 row;       // cursor row
  u32 col;       // cursor column
  u32 rows;
  u32 cols;
};

// Draws the grid of st with `text` (the current element's full text) on the
// bottom row(s).
void MatGridDraw(MatEditState *st, const char *text);
// UP, DOWN, LEFT, RIGHT over the grid, wrapping at its edges.
void MatGridMoveCursor(MatEditState *st, u32 key);

// Shows list `list` of list file `file` (0, 0 for List Ans). 0, or 4 when the
// list does not exist; *exitKey is the key that ended the viewer (EXIT, EXE,
// SHIFT+EXIT or AC).
i32 AnsViewList(u8 file, u8 list, i32 *exitKey);
// Shows matrix `matrix` (0 for Mat Ans). 0, or 4 when it does not exist.
i32 AnsViewMatrix(u8 matrix, i32 *exitKey);
