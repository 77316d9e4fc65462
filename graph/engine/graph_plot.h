// The plot drivers: every entry of a context's entry table drawn into the
// pixel planes (and, unless the run flags say "planes only", onto the
// display as it goes): Y= entries by columns, X= entries by rows,
// parametric and polar entries by T steps, table graphs by points; one
// entry after another, or all together column by column (Simul Graph).
//
// Consecutive points are joined (Connect) or not (Plot). A point that
// leaves the screen is continued by a vertical line to the edge at its last
// column, one that enters by a line from the edge at its own column; no
// line crosses an undefined point or jumps from top to bottom.
#pragma once
#include "graph/engine/graph_context.h"

// Draws all entries. 0; 4 (no memory for the point records); the scan's
// code (2, 7, 9 or a bound's error); 28 (too many T steps); 1 (Break); or
// the error code of an evaluation (Ma ERROR, Non-Real ERROR and Time Out
// only leave a point out). What was drawn before an error stays.
u32 GraphPlotAll(GraphContext *ctx);
// Re-takes the text of every entry that has a text source.
void GraphRefreshEntries(GraphContext *ctx);
// The text source of an entry drawn from a numbered graph function: the
// current text of graph function `slot` (null when the item is missing).
const u8 *GraphFuncSlotText(const GraphEntry *entry);

// The label of entry idx on text line 1 (GraphShowFuncLabel2: line 2):
// "Y1=X^2", cut or padded to 21 characters.
void GraphShowFuncLabel(GraphContext *ctx, i32 idx);
void GraphShowFuncLabel2(GraphContext *ctx, i32 idx);

// Joins point record k to record 0 (the current point) under the edge rules,
// vertically for Y= curves, horizontally for X= curves.
void GraphConnectVertical(GraphContext *ctx, i32 idx, i32 k);
void GraphConnectHorizontal(GraphContext *ctx, i32 idx, i32 k);
// Whether a ranged entry draws column col: 0 draw, 4096 skip.
u32 GraphRangeGate(i32 col, GraphContext *ctx, i32 idx);

// Drivers of one entry (list element n) and their simultaneous forms.
u32 GraphPlotEach(GraphContext *ctx);
u32 GraphPlotSimul(GraphContext *ctx);
u32 GraphPlotRect(GraphContext *ctx, i32 idx, i32 n);
u32 GraphPlotXEq(GraphContext *ctx, i32 idx, i32 n);
u32 GraphPlotParam(GraphContext *ctx, i32 idx, i32 n);
u32 GraphPlotPoints(GraphContext *ctx, i32 idx);
u32 GraphPlotRectSimul(GraphContext *ctx);
u32 GraphPlotXEqSimul(GraphContext *ctx);
u32 GraphPlotParamSimul(GraphContext *ctx);
u32 GraphPlotPointsSimul(GraphContext *ctx);

// Extent pass: widens the view's extent by x (unless flags has 0x2000) and
// by y (unless 0x1000), values beyond +-1E98 left out.
void GraphExtendExtent(const BcdReal *x, const BcdReal *y, u32 flags, GraphContext *ctx);
// One more inequality drawn (the count stays at 2).
void GraphCountInequality(GraphContext *ctx, i32 idx);
// The shading of one column of an inequality, and of an area entry.
void GraphShadeInequality(i32 col, i32 row, u32 code, i32 idx, GraphContext *ctx);
void GraphShadeArea(i32 col, i32 row, u32 code, GraphContext *ctx, i32 idx);
// The initial area state of an area entry from its bounds and the screen.
void GraphPrepareArea(GraphContext *ctx, i32 idx);
