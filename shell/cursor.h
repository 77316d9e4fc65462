// The blinking cursors, drawn by the window's 500 ms timer into the display
// shadow: the text cursor at its character cell, the graphics cursor at its
// dot, and the auxiliary cursor's single dot. The blink state belongs to the
// UI thread; the shadow is reached only through its lock.
#pragma once
#include "kernel/types.h"

// The 6 x 7 glyph of a cursor type, one row a byte, the leftmost dot in bit
// 5. Unknown types have the block glyph.
const u8 *ShellCursorGlyph(i32 type);

// Draws the cursor cell with its top-left dot at (x, y): with on, the glyph
// of the type; else the dots the calculator last handed over. Type 0 writes
// only the first two columns (a bar). Dots off the screen are skipped.
void ShellDrawCursorCell(i32 x, i32 y, i32 type, bool on);
// Draws one dot the same way (the auxiliary cursor): black when on.
void ShellDrawCursorDot(i32 x, i32 y, bool on);

struct ShellBlinkState {
  bool text_phase = false;
  i32 text_x = 0, text_y = 0;
  bool graph_phase = false;
  i32 graph_x = 0, graph_y = 0;
  bool aux_phase = false;
  i32 aux_x = 0, aux_y = 0;
};

// One tick of the blink timer. Returns true when the shadow changed.
bool ShellBlinkTick(ShellBlinkState *state);
