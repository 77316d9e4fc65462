// The recursion graphs: the terms (or their sums) of the table plotted
// against n, joined by lines or as separate points.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

// Modes: 31 the table, 33 terms joined, 32 terms as points, 38 sums joined, 40 sums as
// points.
enum RecurGraphMode : i32 {
  kRecurTableMode = 31,  // the table (where the graphs go back to)
  kRecurGraphPoints = 32,
  kRecurGraphLines = 33,
  kRecurGraphSumLines = 38,
  kRecurGraphSumPoints = 40,
};

// The point of table row `row` (from 1) for recursion entry idx: n and the
// term (or sum) of its sequence; X and Y are stored. 0 or 4.
u32 RecurTablePoint(i32 row, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx);
// Fills the entries of the selected sequences for a mode (at most three and
// the end entry): the count.
u32 RecurBuildEntries(i32 mode, GraphEntry entries[4]);
// Plots the table in a mode into ctx (set up by the caller): 0 or an error.
u32 RecurPlotTable(GraphContext *ctx, i32 mode, GraphEntry entries[4]);
// Whether the table and its graphs share the screen (the table on the
// right half, the graph on the left): SET UP's Dual Screen of the table
// applications not Off (1).
bool RecurSplitScreen();
// A context for the recursion table and its graphs: the table matrix, the
// sum columns by the sum display, one whole screen or the split one by
// RecurSplitScreen, and no function names on the graph.
void RecurSetupContext(GraphContext *ctx);
// Makes sure "GRPMODE" exists and loads "VWIN" into ctx: 0 or an error code.
u32 RecurLoadView(GraphContext *ctx);
// The graph of a mode on the graph screen with its key loop, which handles
// `key` first (0 for none): an exit code of the graph screen. The stored
// picture serves when the last graph drawn was this mode's. ctx is set up
// by RecurSetupContext and RecurLoadView.
i32 RecurTimeGraph(i32 mode, GraphContext *ctx, u32 key);
// The graph screen's key loop over a drawn recursion graph in its menus
// (the table drawn beside it on a split screen), handling `key` first; the
// picture is stored afterwards. The loop's result.
i32 RecurRunGraphLoop(GraphContext *ctx, u32 key);
