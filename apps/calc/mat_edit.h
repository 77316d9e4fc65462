// The matrix editor: the list of Mat A to Mat Z and Mat Ans with their
// dimensions, the dimension dialog, the element grid with its input line, row
// and column DEL, INS and ADD, and the dialog of the four row operations
// (their engine is numeric/mat_rowop.h). Calculator thread only.
#pragma once
#include "kernel/types.h"

// The whole editor; returns when its list screen is left.
void MatEditMain();
// The list screen: 1 with *matrix chosen to be edited, 0 when it was left.
u32 MatListScreen(u8 *matrix, u8 *top, u32 *rows, u32 *cols);
// The element editor of one matrix; the key that ended it.
u32 MatEditElements(i8 matrix);

