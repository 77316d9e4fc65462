// The trace along the table rows of the graph-and-table screen.
#include "graph/table/table_trace.h"

#include <cstring>

#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "graph/table/graph_table.h"
#include "memory/item_array.h"
#include "number/realop.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"

namespace {

constexpr u32 kMa = 3;
constexpr u8 kTheta = 0xCE;
constexpr u8 kRadius = 0xCD;

// Cell (row, col) of the context's table; an error value when it is missing.
void Cell(const GraphContext *ctx, i32 row, u32 col, BcdReal *out) {
  Value v;
  std::memset(&v, 0, sizeof v);
  if (row < 1 || col < 1 || ItemMatGet(GraphTableOf(ctx), static_cast<u32>(row), col, &v) != 0) {
    RealMakeError(kMa, out);
    return;
  }
  *out = v.re;
}

// Whether the table holds the derivative columns of every entry: the slopes
// are read from them only then.
bool HasDerivColumns(const GraphContext *ctx) {
  const i32 n = GraphEntryCount(ctx);
  if (n == 0) return false;
  u32 rows = 0, cols = 0;
  if (ItemMatDims(GraphTableOf(ctx), &rows, &cols) != 0) return false;
  return cols == 1 + static_cast<u32>(n) * GraphTableFuncColumns(ctx->entries[0].type, 1);
}

// The table row and the entry of the table cursor's function column.
i32 CursorRow(const GraphContext *ctx) { return ctx->tableTop + ctx->tableCursorRow - 1; }
i32 CursorEntry(GraphContext *ctx) {
  const i32 p = ctx->tableCursorCol <= 1 ? 1 : ctx->tableLeft + ctx->tableCursorCol - 2;
  return GraphTableEntryOfColumn(p, ctx);
}

u8 ReadoutKind(const GraphEntry &e) {
  if (e.readoutKind != 0) return e.readoutKind;
  if (GraphTypeIsParam(e.type)) return 3;
  if (GraphTypeIsPolar(e.type)) return 2;
  return 1;
}

struct TableTrace {
  GraphContext *ctx;
  bool checkT;
  GraphPointer cur;
  TraceReadout ro;
};

// The table drawn, the point of the cursor's cell taken and, with Coord on,
// its read-out shown.
void ShowCell(TableTrace *t) {
  GraphDrawTable(t->ctx, 1);
  GraphTableTracePoint(t->ctx, t->checkT, &t->ro, &t->cur);
  if (t->ctx->optionFlags & kGraphOptCoord) TraceShowReadout(&t->ro);
}

// The graph and the table again after a screen opened over them.
void Repaint(TableTrace *t) {
  GraphPrepareScreen(t->ctx);
  ShowCell(t);
}

i32 Leave(TableTrace *t, i32 code) {
  GraphDrawTable(t->ctx, 2);
  return code;
}

}  // namespace

void TraceTableDerivs(TraceReadout *ro, GraphContext *ctx, i32 row, i32 idx) {
  for (BcdReal &s : ro->slope) RealMakeError(kMa, &s);
  // The recursion table keeps other columns.
  if (GraphTableOf(ctx) != kGraphTableMatrix) {
    ro->derivative = 0;
    return;
  }
  // Slopes only from a table made with its derivative columns.
  if (!HasDerivColumns(ctx)) ro->derivative = 0;
  const u32 i = static_cast<u32>(idx);
  const bool d = ro->derivative != 0;
  if (GraphTypeIsParam(ro->type)) {
    Cell(ctx, row, 1, &ro->t);
    GraphStoreVar('T', &ro->t);
    if (d) {
      Cell(ctx, row, 5 * i + 4, &ro->slope[1]);
      Cell(ctx, row, 5 * i + 5, &ro->slope[2]);
      Cell(ctx, row, 5 * i + 6, &ro->slope[0]);
    }
  } else if (GraphTypeIsPolar(ro->type)) {
    Cell(ctx, row, 1, &ro->t);
    GraphStoreVar(kTheta, &ro->t);
    if (d) {
      Cell(ctx, row, 3 * i + 2, &ro->r);
      Cell(ctx, row, 3 * i + 3, &ro->slope[1]);
      Cell(ctx, row, 3 * i + 4, &ro->slope[0]);
    } else {
      Cell(ctx, row, i + 2, &ro->r);
    }
    GraphStoreVar(kRadius, &ro->r);
  } else if (d) {
    Cell(ctx, row, 2 * i + 3, &ro->slope[0]);
  }
}

u32 GraphTableTracePoint(GraphContext *ctx, bool checkT, TraceReadout *ro, GraphPointer *cur) {
  const i32 row = CursorRow(ctx);
  const i32 idx = CursorEntry(ctx);
  if (idx < 0 || idx >= GraphEntryCount(ctx)) {
    // More columns than entries: a table made for other functions.
    RealMakeError(kMa, &ro->x);
    RealMakeError(kMa, &ro->y);
    cur->hidden = kGraphDotXError | kGraphDotYError;
    return 4;
  }
  const GraphEntry &e = ctx->entries[idx];
  ro->type = e.type;
  ro->kind = ReadoutKind(e);
  ro->derivative = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
  RealMakeError(kMa, &ro->t);
  RealMakeError(kMa, &ro->r);
  const u32 err = GraphTablePoint(row, &ro->x, &ro->y, ctx, idx);
  TraceTableDerivs(ro, ctx, row, idx);
  if (err != 0) {
    cur->hidden = kGraphDotXError | kGraphDotYError;
    return err;
  }
  u32 code = 0;
  if (checkT) {
    BcdReal v;
    Cell(ctx, row, 1, &v);
    code = GraphTInRange(&v, ctx, idx);
  }
  if (code == 0) {
    i32 col = cur->col, dotRow = cur->row;
    code = GraphXToColumn(&ro->x, &col, &ctx->view, ctx->runFlags) | GraphYToRow(&ro->y, &dotRow, &ctx->view);
    cur->col = col;
    cur->row = dotRow;
  }
  cur->hidden = code;
  return 0;
}

void GraphTableTraceMove(GraphContext *ctx, u32 key) {
  u32 rows = 0, cols = 0;
  if (ItemMatDims(GraphTableOf(ctx), &rows, &cols) != 0 || rows == 0 || cols < 2) return;
  const i32 r = static_cast<i32>(rows), c = static_cast<i32>(cols);
  if (key == kKeyLeft && ctx->tableCursorCol <= 2 && ctx->tableLeft <= 1) {
    // From the first function column to the last column of the row above;
    // on the first row the cursor stays.
    const i32 top = ctx->tableTop, left = ctx->tableLeft, cursorRow = ctx->tableCursorRow;
    ctx->tableCursorCol = 1;
    GraphTableMoveCursor(ctx, kKeyLeft, r, c);
    if (ctx->tableCursorCol == 1) {
      ctx->tableTop = top;
      ctx->tableLeft = left;
      ctx->tableCursorRow = cursorRow;
      ctx->tableCursorCol = 2;
    }
    return;
  }
  GraphTableMoveCursor(ctx, key, r, c);
  // RIGHT from the last column lands on the variable column of the next row.
  if (ctx->tableCursorCol <= 1) ctx->tableCursorCol = 2;
}

i32 GraphTableTrace(GraphContext *ctx) {
  FkeyRestoreLevelRoot();
  TableTrace t{};
  t.ctx = ctx;
  t.checkT = GraphEntryCount(ctx) > 0 && GmemReadGraphMode() == kGrpFuncs && !(ctx->entries[0].type & kGraphTypeT);
  GraphPrepareScreen(ctx);
  u32 rows = 0, cols = 0;
  // The recursion table keeps other columns: this trace reads the function
  // table only.
  if (GraphTableOf(ctx) != kGraphTableMatrix || GraphEntryCount(ctx) == 0 || ItemMatDims(GraphTableOf(ctx), &rows, &cols) != 0 ||
      rows == 0 || cols < 2)
    return kGraphExitNothing;
  // A view left beyond the table's rows (rows deleted meanwhile) starts over.
  if (CursorRow(ctx) > static_cast<i32>(rows) || CursorRow(ctx) < 1 || ctx->tableCursorRow < 1) {
    ctx->tableTop = 1;
    ctx->tableCursorRow = 1;
  }
  if (ctx->tableCursorCol <= 1) ctx->tableCursorCol = 2;
  ShowCell(&t);
  for (;;) {
    u32 typed = 0;
    const u32 key = GraphCursorKey(&t.cur, kCursorPointer, &typed);
    GraphRefreshEntries(ctx);
    switch (key) {
      case kKeyUp:
      case kKeyDown:
      case kKeyLeft:
      case kKeyRight:
        GraphTableTraceMove(ctx, key);
        ShowCell(&t);
        continue;
      case kKeyVWindow: {
        const u32 mode = GraphScreenMode(ctx);
        if (GraphOpenVwinScreen(static_cast<i8>(mode == 0 ? 0 : mode == 1 ? 1 : 17)) != 0) return kGraphExitChanged;
        Repaint(&t);
        continue;
      }
      case kKeySetup:
        if (GraphRunSetup() != 0) return kGraphExitChanged;
        Repaint(&t);
        continue;
      case kKeyGraphStoreColumn:
        continue;
      case kKeyExit:
        return Leave(&t, kGraphExitExit);
      case kKeyAc:
      case kKeyGraphTable:
        return Leave(&t, kGraphExitShown);
      case kKeyQuit:
        return Leave(&t, kGraphExitQuit);
      default:
        break;
    }
    if (key != 0 && (key < 30000 || key >= 30200)) return static_cast<i32>(key);
  }
}
