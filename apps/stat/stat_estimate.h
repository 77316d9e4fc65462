// Estimation on the StatGraph screen: y from a typed x on each drawn
// regression graph and each graph function drawn over the StatGraphs. UP and DOWN walk the drawn regressions, X,θ,T, EXE or a
// typed character ask "Enter X-Value", and the estimate is stored in X and
// Y, shown at the bottom and marked by the pointer. Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

// The estimation mode over the drawn regressions of cond and then the graph
// functions drawn over them (block 4's flag): -21 when neither is drawn or
// on EXIT, -22 SHIFT+EXIT, -23 G<->T, -27 the View Window or SET UP
// changed, 31062 AC, or a key code (below 30000, or 30200 and up) handed
// back to the StatGraph screen.
i32 StatRegEstimate(const i16 cond[35], GraphContext *ctx);
// The pointer on one regression graph (slot 0-3) at its start point:
// -24 previous graph, -25 next graph, else a result as StatRegEstimate's.
i32 StatRegEstimateGraph(const i16 cond[35], int slot, GraphContext *ctx);
// The "Enter X-Value" pop-up and the read-out of graph `slot` (block its
// seven words). typed != 0: key is the first character typed; typed == 0:
// the input starts empty. Results as StatRegEstimateGraph's.
i32 StatRegEstimateInput(int typed, u32 key, int slot, const i16 block[7], GraphContext *ctx);
// The pointer on the graph functions drawn over the StatGraphs, from the
// first (lastResult -24: the last) at the x of the middle column (kept
// inside a function's own range), written to x[0] as it moves. 0 when no
// function can be shown, -24 UP before the first, -25 DOWN past the last,
// else a result as StatRegEstimate's.
i32 StatFuncEstimate(GraphContext *ctx, int lastResult, BcdReal x[1]);
