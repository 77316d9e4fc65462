// The trace along the table on the graph-and-table screen: the pointer
// stands on the graph at the point of the table cell under the table
// cursor, and the cursor keys walk the function cells of the table, row by
// row, with the read-out of the point taken from the row's own columns.
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_trace.h"
#include "kernel/types.h"

// The read-out values of table row `row` (from 1) for entry idx (from 0)
// taken from the table's further columns: T or theta from column 1 (and
// stored into T, or theta and r), r of a polar entry, and with the
// read-out's derivative flag the slopes; the flag is cleared when the table
// was made without the derivative columns. A missing cell gives an error
// value. ro->type and ro->derivative must be set. The function table only:
// for another table the flag is cleared and nothing is read.
void TraceTableDerivs(TraceReadout *ro, GraphContext *ctx, i32 row, i32 idx);

// The point of the table cursor's row and function column into the
// read-out (x, y, and the values TraceTableDerivs gives) and the pointer:
// its column and row, and the dot code in its hidden word (a point off the
// screen or undefined hides it). checkT also hides the pointer when the
// row's variable lies outside the entry's T range. 0, or an error code
// when the row cannot be read (the pointer is then hidden).
u32 GraphTableTracePoint(GraphContext *ctx, bool checkT, TraceReadout *ro, GraphPointer *cur);

// Moves the table cursor by a cursor key over the function cells only:
// LEFT from the first function column goes to the last column of the row
// above, RIGHT from the last column to the first function column of the
// row below; nothing at the table's ends.
void GraphTableTraceMove(GraphContext *ctx, u32 key);

// The trace along the table: -6 when the table is empty; -2 EXIT, -11 AC or
// G<->T, -1 SHIFT+EXIT, -14 when the View Window or SET UP changed
// something, or a menu key (below 30000 or from 30200) to hand on.
i32 GraphTableTrace(GraphContext *ctx);
