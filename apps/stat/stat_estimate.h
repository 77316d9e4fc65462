// Estimation on the StatGraph screen: y from a typed x on each drawn
// regression graph. UP and DOWN walk the drawn regressions, X,θ,T, EXE or a
// typed character ask "Enter X-Value", and the estimate is stored in X and
// Y, shown at the bottom and marked by the pointer. Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

// The estimation mode over the drawn regressions of cond: -21 when none is
// drawn or on EXIT, -22 SHIFT+EXIT, -23 G<->T, -27 the View Window or SET UP
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
