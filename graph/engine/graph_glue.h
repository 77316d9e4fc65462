// The graph engine's seam to the layers built on it: the points of table
// graphs, the screen preparation of the graph screens, and the labels of
// recursion and conic graphs. Each owner replaces its answer here when it
// lands; until then a point gives System ERROR (23) and ends the plot.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct GraphContext;

// Point `row` (from 1) of the table graph entry idx into x and y, which are
// stored into the variables X and Y as well. 0 or an error code.
u32 GraphGlueTablePoint(i32 row, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx);
// Shows the context's planes on the display by screen mode (the graph
// screen's preparation); used where an entry has no label to show.
void GraphGluePrepareScreen(GraphContext *ctx);
// The token text of the label of a recursion term or conic entry (label
// kinds 9-12) into text (cap bytes): 0, or a code when there is none.
u32 GraphGlueSpecialLabel(GraphContext *ctx, i32 idx, u8 *text, u32 cap);
// The function table of the graph screens: the whole table matrix built
// from the entries, one row computed at x, and the shown part drawn (how as
// the table screen asks). 0 or an error code.
u32 GraphGlueBuildTable(GraphContext *ctx);
u32 GraphGlueFillTableRow(const BcdReal *x, GraphContext *ctx, i32 row);
u32 GraphGlueDrawTable(GraphContext *ctx, i32 how);
// The statistical graphs: mode 1 shows their stored picture with their
// keys from *key, any other mode draws them afresh. 1 done (*key the leaving
// code: -2 EXIT, -12 EXE, -13 AC, -1 SHIFT+EXIT, -11 G<->T, -14 a V-Window
// change), 0 with the error value in *result.
i32 GraphGlueStatRedraw(i32 mode, BcdReal *result, i32 *key);
// The recursion web graph's own key (341: its step-by-step trace) on the
// graph screen: 0 with *result the trace's exit code or a key to hand on,
// or an error code.
u32 GraphGlueRecurWebKey(GraphContext *ctx, i32 *result);
// The entries of the recursion web graph (the curves of the selected
// first-order formulas and the line y = x) into ctx: the count of formula
// entries, 0 when there is no web to trace.
i32 GraphGlueRecurWebEntries(GraphContext *ctx);
