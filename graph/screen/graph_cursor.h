// The cursor the trace, G-Solve and the free pointer move over a graph, the
// key cycle around it, and the read-out lines in the small font at the
// bottom of the screen. Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/real.h"

// A cursor: the dot it stands on and, while drawn, the 7 x 7 dots saved from
// under it. hidden != 0: not drawn (a point off the screen or undefined).
struct GraphPointer {
  i32 col, row;
  u32 hidden;
  u8 saved[7];
  bool drawn;
};

enum GraphCursorShape : u8 {
  kCursorPointer = 0,  // the cross of the trace and the pointer
  kCursorSelect = 1,   // the block that chooses a graph
};

void GraphDrawCursor(GraphPointer *c, u8 shape);
void GraphEraseCursor(GraphPointer *c);
// A fixed mark without saving: flag 0 a diamond, 1 a plus.
void GraphDrawFixedMark(i32 x, i32 y, i32 flag);

// One key of a cursor loop: the F-key strip saved, the row drawn when a
// sub-menu is open, the cursor drawn, a key read, the cursor erased and the
// strip put back. A typed character comes back as 30001 with the character
// in *typed (else *typed is 0).
u32 GraphCursorKey(GraphPointer *c, u8 shape, u32 *typed);

// ---- read-outs ----
// Text at small-font cell (col, row), in a field of `width` columns that is
// cleared first.
void GraphShowField(i32 col, i32 row, const char *text, i32 width);
// label followed by v in the 13-character cell (or the 6-character cell when
// shortCell), leading blanks dropped; "ERROR" for an error value.
void GraphShowValue(i32 col, i32 row, const char *label, const BcdReal *v, bool shortCell, i32 width = 16);
// "X=" x at (1, 8) and "Y=" y at (17, 8).
void GraphShowTwoValues(const BcdReal *x, const BcdReal *y);
// Blanks read-out rows 7 and 8.
void GraphClearReadout();
// The cell text of v as the read-outs show it (leading blanks dropped).
void GraphCellText(const BcdReal *v, bool shortCell, char *out);

// Variables X, Y, T, theta, r from reals.
void GraphStoreVar(u8 code, const BcdReal *v);
