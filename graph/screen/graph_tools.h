// The tools of the graph screen's key loop: zoom, sketch keys, pictures,
// trace, G-Solve and the free pointer, each reached with the key code of its
// menu entry. Each returns 0 or one of the graph screen's exit codes
// (graph/screen/graph_screen.h), or a key its loop does not handle.
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

// Key codes of the graph screen's menus.
enum GraphToolKey : u32 {
  kGraphKeyZoomBox = 30200,
  kGraphKeyZoomFactor = 30201,
  kGraphKeyZoomIn = 30202,
  kGraphKeyZoomOut = 30203,
  kGraphKeyZoomAuto = 30204,
  kGraphKeyZoomOrig = 30205,
  kGraphKeyZoomSquare = 30206,
  kGraphKeyZoomRound = 30207,
  kGraphKeyZoomInteger = 30208,
  kGraphKeyZoomPrev = 30209,
  kGraphKeyZoomFirst = 30200,
  kGraphKeyZoomLast = 30209,
  kGraphKeyTrace = 30210,
  kGraphKeySketchFirst = 30220,
  kGraphKeyCls = 30220,
  kGraphKeyTangent = 30221,
  kGraphKeyNormal = 30222,
  kGraphKeyInverse = 30223,
  kGraphKeyPlot = 30224,
  kGraphKeyCircle = 30226,
  kGraphKeyVertical = 30227,
  kGraphKeyHorizontal = 30228,
  kGraphKeyPen = 30229,
  kGraphKeyText = 30230,
  kGraphKeyPlotOff = 30232,
  kGraphKeyPlotChange = 30233,
  kGraphKeyLine = 30234,
  kGraphKeySketchLast = 30234,
  kGraphKeyRoot = 30240,
  kGraphKeyMax = 30241,
  kGraphKeyMin = 30242,
  kGraphKeyYIcpt = 30243,
  kGraphKeyIsect = 30244,
  kGraphKeyYCal = 30245,
  kGraphKeyXCal = 30246,
  kGraphKeyIntegral = 30247,
  kGraphKeySolveFirst = 30240,
  kGraphKeySolveLast = 30247,
  kGraphKeyRecurWeb = 341,  // the web graph's trace
  kGraphKeyReadOut = 345,   // the result lines of an integral or probability graph
  kGraphKeyPaste = 346,     // the clipboard's formula drawn
  kGraphKeyPictStore = 30260,
  kGraphKeyPictRecall = 30261,
};

// Entries from the graph command ring, oldest first (the program's drawing).
i32 GraphCommandEntries(GraphContext *ctx);

// ---- zoom, sketch, pictures ----
i32 GraphZoomMenuKeys(u32 key, GraphContext *ctx);
// The new V-Window of a zoom key stored: 0, 21 (no previous window), 28 (the
// new window is unusable; nothing changes), 4, or the extent pass's code.
u32 GraphZoomApply(u32 key, GraphContext *ctx);
i32 GraphSketchMenuKeys(u32 key, GraphContext *ctx);
// Draws entry `entry` with x and y exchanged. 0 or an error code.
u32 GraphDrawInverse(GraphContext *ctx, const i32 *entry);
// The tangent (key 30221) or normal (30222) line through (x0, y0) with the
// curve's slope; *key becomes 336 or 337. 0 or 3 (no such line).
u32 GraphDrawTangentLine(u32 *key, const BcdReal *x0, const BcdReal *y0, const BcdReal *slope, GraphContext *ctx);
// Store (30260) or recall (30261) a picture memory: 0, -2 or -6.
i32 GraphPictPrompt(i32 key, GraphContext *ctx);

// ---- trace and G-Solve ----
i32 TraceRun(u32 code, GraphContext *ctx);
i32 GsolveRun(u32 key, GraphContext *ctx);
// The entry to analyse for a solve code, chosen by the user when more than
// one can be: entry[0] its index, entry[1] its curve (from 1), and for an
// intersection entry[2], entry[3] the second. 0, -2, -6 or a key.
i32 GsolveSelectEntry(i32 *entry, u32 code, GraphContext *ctx);

// ---- the free pointer ----
i32 GraphPointerLoop(u32 code, GraphContext *ctx);
// The preview of a pointer code (a box frame, a line, the centre mark, the
// vertical or horizontal line) on the display.
void GraphPointerPreview(u32 code, i32 col, i32 row, i32 firstCol, i32 firstRow, GraphContext *ctx);
// The circle of view fields 14/16 (centre) with radius field 15 (radiusGiven)
// or through the point of fields 15/17. 0 or an error code.
u32 GraphSketchCircle(GraphContext *ctx, i32 radiusGiven);
// Draws text (or, when text is null, the character or token code) in the
// small font at (x, y) into the display and both planes; returns the x
// after it. Nothing below row 58; stops before a character that would pass
// the last column.
i32 GraphDrawText(const char *text, u16 code, i32 x, i32 y, u8 *planes, i32 mode, u8 runFlags);
