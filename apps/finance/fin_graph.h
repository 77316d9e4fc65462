// The graphs of the financial results (simple interest, compound interest,
// cash flow, amortisation): the V-Window set from the data, the drawing
// through the graph engine, and a trace over the graph's points with their
// values in the small font. Calculator thread only.
#pragma once
#include "apps/finance/fin_screen.h"
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

// Each draws its graph from the record and runs the graph screen's keys
// until EXIT (st->key EXIT) or SHIFT+EXIT (st->key 30029): 0, or the error
// code to show (1 Break, 3, 4, 28 Range ERROR, ...).
u32 FinSimpleGraph(FinScreenState *st);
u32 FinCmpdGraph(FinScreenState *st);
u32 FinCashGraph(FinScreenState *st);
u32 FinAmortGraph(FinScreenState *st);

// Writes the V-Window for a graph: X from xmin to xmax, Y from ymin to ymax,
// no scale marks. 0, 4 when "VWIN" cannot be made, 28 for a window the
// graph engine cannot use.
u32 FinSetVwin(const BcdReal &xmin, const BcdReal &xmax, const BcdReal &ymin, const BcdReal &ymax);
// Steps a trace position 1..count by delta, wrapping at both ends.
void FinStepWrap(u32 *k, u32 count, i32 delta);
