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
// The graph of a mode on the graph screen with its key loop, which handles
// `key` first (0 for none): an exit code of the graph screen. The stored
// picture serves when the last graph drawn was this mode's.
i32 RecurTimeGraph(i32 mode, u32 key);
