// Drawing into the two pixel planes of a graph context (dots, styled dots,
// lines, marks, boxes), with clipping to the graph area and, unless the
// flags say "planes only", each dot put on the display at once; and the few
// services of the graph screens that draw straight into display memory.
//
// buf is a context's planes (2048 bytes: plane 0 then plane 1). flags is the
// context's run-flags byte (GraphRunFlag): bit 7 half screen, bit 6 with it
// the right half (x moved by 64), bit 5 planes only, bit 4 edge strip (bit
// 3: the right strip). Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Pixel ops: bit 7 clear sets the dot (in plane 1 with bit 6, else plane
// 0); bit 7 set clears it (in plane 0 with bit 5, plane 1 with bit 6).
enum GraphPixelOp : u8 {
  kGraphOpSet0 = 0x20,
  kGraphOpSet1 = 0x40,
  kGraphOpClear0 = 0xA0,
  kGraphOpClear1 = 0xC0,
  kGraphOpClearBoth = 0xE0,
};

// The dash counter that the broken and dotted styles test; every styled dot
// adds 1. Plotters set it to 0 where a curve piece starts.
i32 GraphDashCounter();
void GraphSetDashCounter(i32 n);

void GraphPlotPixel(i32 x, i32 y, u8 *buf, u8 op, u8 flags);
// One point in a draw style:
//   1, 2 one dot; 3 the 2 x 2 block (x-1..x, y-1..y); 4 the 3 x 3 block;
//   5 the 2 x 2 block when the dash counter is a multiple of 3 (broken);
//   6 the 3 x 3 ring when the counter is odd; 7 the 3 x 3 dots with x + y
//   odd; 8 one dot when the counter is even (dot); 9 one dot when y is odd;
//   10 when x is odd; 11 a plane-0 dot, with a plane-1 dot when the counter
//   is even; 64 a plane-1 dot when x + y is odd (shading); any other style
//   one dot with the pixel op style & 0xE0 (192 clears a plane-1 dot).
// Returns the new dash counter.
i32 GraphStyledDot(i32 x, i32 y, u8 *buf, u8 style, u8 flags);
// A styled dot at (x1, y1), then GraphLineRest.
void GraphDrawLine(i32 x1, i32 y1, i32 x2, i32 y2, u8 *buf, u8 style, u8 flags);
// The line without its first dot: the major axis steps one dot at a time,
// the minor one when the running error goes negative; style 1 draws nothing.
void GraphLineRest(i32 x1, i32 y1, i32 x2, i32 y2, u8 *buf, u8 style, u8 flags);
// Mark types: 0 one dot, 1 hollow 3 x 3 square, 2 cross; others nothing.
void GraphDrawMark(i32 x, i32 y, u8 markType, u8 *buf, u8 op, u8 flags);
// filled: vertical lines for every x between x1 and x2; else the outline.
void GraphDrawBox(i32 x1, i32 y1, i32 x2, i32 y2, u8 *buf, u8 style, i8 filled, u8 flags);
// Puts a one-bit bitmap on the display memory and the screen: 128 x 64 (16
// bytes a row), or with flags bit 7 a 64 x 64 bitmap (8 bytes a row) at x 0,
// or at x 64 with bit 6 as well.
void GraphShowBuffer(const u8 *bitmap, u8 flags);

// ---- straight into display memory ----------------------------------------------

void GraphLcdLine(i32 x1, i32 y1, i32 x2, i32 y2);
void GraphLcdVRule(i32 x);            // (x, 1) to (x, 63)
void GraphLcdHRule(i32 y, i8 flags);  // 1..127, or a half (flags bits 7, 6)
void GraphDrawFrame(i32 x1, i32 y1, i32 x2, i32 y2);
i32 GraphLcdTestPixel(i32 x, i32 y);  // 0 outside the display

// ---- small services of the graph screens -------------------------------------

// The pointer cursor's column, row and shown flag (graph/screen_save.h),
// saved into and restored from 9 bytes.
void GraphSaveCursorState(u8 rec[9]);
void GraphRestoreCursorState(const u8 rec[9]);
void GraphSetCursor(i32 x, i32 y);
u32 GraphCursorShown();
// Empty hooks around the trace, solve and pointer loops.
void GraphTraceBeginHook();
void GraphTraceEndHook();
// Writes v as element (row, col) of matrix item `matrixNumber`. 0; 4 when
// the item is missing or (row, col) lies outside its dimensions.
u32 GraphStoreMatElement(u8 matrixNumber, i32 row, i32 col, const BcdReal *v);
// "Delete Table?" Yes (F1): 0; No (F6), EXIT or SHIFT+EXIT: -2.
i32 GraphConfirmDeleteTable();
