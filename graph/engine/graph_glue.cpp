// Seams of the graph engine to the graph screens, the function table and
// the recursion and conic applications.
#include "graph/engine/graph_glue.h"

#include "apps/stat/statgraph.h"

#include "graph/recur/recur_graph.h"
#include "graph/recur/recur_web.h"
#include "graph/screen/graph_screen.h"
#include "graph/table/graph_table.h"

namespace {
constexpr u32 kSystemError = 23;
}

u32 GraphGlueTablePoint(i32 row, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx) {
  // The recursion table (matrix 36) has its own columns.
  if (ctx->tableKind == 36) return RecurTablePoint(row, x, y, ctx, idx);
  return GraphTablePoint(row, x, y, ctx, idx);
}

void GraphGluePrepareScreen(GraphContext *ctx) { GraphPrepareScreen(ctx); }

u32 GraphGlueSpecialLabel(GraphContext *, i32, u8 *text, u32 cap) {
  if (cap > 0) text[0] = 0;
  return kSystemError;
}

u32 GraphGlueBuildTable(GraphContext *ctx) { return GraphBuildTable(ctx); }
u32 GraphGlueFillTableRow(const BcdReal *x, GraphContext *ctx, i32 row) { return GraphFillTableRow(x, ctx, row); }
u32 GraphGlueDrawTable(GraphContext *ctx, i32 how) {
  GraphDrawTable(ctx, how);
  return 0;
}

i32 GraphGlueStatRedraw(i32 mode, BcdReal *result, i32 *key) { return StatRedrawGraphs(mode, result, key); }

u32 GraphGlueRecurWebKey(GraphContext *ctx, i32 *result) {
  *result = RecurWebTrace(ctx);
  return 0;
}

i32 GraphGlueRecurWebEntries(GraphContext *ctx) { return RecurWebEntries(ctx); }
