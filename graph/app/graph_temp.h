// The graph functions chosen for the statistical graphs, drawn over them
// and traced from their trace. Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/real.h"

// The entries of the graph functions selected for the statistics
// application (attribute bit 0x08, text not empty) written to table, which
// holds kGmemFuncSlots + 1 entries and ends with a zeroed one; their number.
i32 GraphTempEntries(GraphEntry *table);

// Draws the graph functions selected for the statistics application
// (attribute bit 0x08) into ctx with Connect and one after another; the
// context's own entry table stays. 30 when none is selected, else the
// plot's code.
u32 GraphDrawTempFuncs(GraphContext *ctx);

// Results of TraceTempGraphs besides the trace's own.
enum GraphTempTraceResult : i32 {
  kGraphTempToStat = -21,     // EXIT or done: back to the statistical graph
  kGraphTempQuit = -22,       // SHIFT+EXIT
  kGraphTempShown = -23,      // an error was shown, AC or G<->T
  kGraphTempPrevious = -24,   // UP past the first function
  kGraphTempNext = -25,       // DOWN past the last function
  kGraphTempChanged = -27,    // SET UP or the View Window changed something
};
// Traces the same functions from x (the first one, or for key UP the
// last); *x holds the trace's x when it leaves.
i32 TraceTempGraphs(GraphContext *ctx, u32 key, BcdReal *x);
