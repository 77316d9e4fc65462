// The recursion graphs.
#include "graph/recur/recur_graph.h"

#include <cstring>

#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "graph/screen/graph_screen.h"
#include "memory/item_array.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr u8 kSumLabel = 8;  // labels 8, 9, 10: the sums of a, b, c

bool SumMode(i32 mode) { return mode == kRecurGraphSumLines || mode == kRecurGraphSumPoints; }
bool PointMode(i32 mode) { return mode == kRecurGraphPoints || mode == kRecurGraphSumPoints; }

void Store(u8 var, const BcdReal *v) {
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = *v;
  SysStoreVariable(var, &value);
}

}  // namespace

u32 RecurTablePoint(i32 row, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx) {
  const GraphEntry &e = ctx->entries[idx];
  const u32 flags = RecurDependencyFlags();
  const bool sums = (ctx->optionFlags & kGraphOptDerivative) != 0;
  const u32 k = static_cast<u32>(e.slot - 1);
  u32 col = RecurColumn(flags, k, sums);
  if (e.label >= kSumLabel) ++col;
  Value v;
  std::memset(&v, 0, sizeof v);
  u32 rows = 0, cols = 0;
  u32 err = ItemMatDims(kRecurTableMatrix, &rows, &cols);
  if (err == 0 && (col == 0 || row < 1 || static_cast<u32>(row) > rows || col > cols)) err = 4;
  if (err == 0) err = ItemMatGet(kRecurTableMatrix, static_cast<u32>(row), 1, &v);
  *x = v.re;
  if (err == 0) err = ItemMatGet(kRecurTableMatrix, static_cast<u32>(row), col, &v);
  *y = v.re;
  if (err != 0) {
    RealMakeError(4, x);
    RealMakeError(4, y);
    return 4;
  }
  Store('X', x);
  Store('Y', y);
  return 0;
}

u32 RecurBuildEntries(i32 mode, GraphEntry entries[4]) {
  u32 rows = 0, cols = 0;
  ItemMatDims(kRecurTableMatrix, &rows, &cols);
  const u8 type = RecurType();
  u32 n = 0;
  for (int which = 1; which <= 3; ++which) {
    if (!RecurFormulaInUse(which)) continue;
    GraphEntry &e = entries[n++];
    e = GraphEntry{};
    e.type = kGraphTypePoints;
    e.slot = which;
    e.pointCount = rows;
    e.style = RecurFormulaStyle(which);
    e.joinMode = PointMode(mode) ? 1 : 0;
    e.markType = 1;
    e.labelKind = static_cast<i8>(type == 0 ? 9 : type <= 2 ? 10 : 11);
    e.label = static_cast<u8>((SumMode(mode) ? kSumLabel : 5) + which - 1);
  }
  entries[n] = GraphEntry{};
  return n;
}

u32 RecurPlotTable(GraphContext *ctx, i32 mode, GraphEntry entries[4]) {
  ctx->tableKind = kRecurTableMatrix;
  if (SetupGetItem(kSetupSumDisplay) == 0) {
    ctx->optionFlags |= kGraphOptDerivative;
  } else {
    ctx->optionFlags = static_cast<u8>(ctx->optionFlags & ~kGraphOptDerivative);
  }
  if (RecurBuildEntries(mode, entries) == 0) return 30;
  ctx->entries = entries;
  GraphClearBuffer(ctx);
  return GraphPlotAll(ctx);
}

bool RecurSplitScreen() { return SetupGetItem(kSetupTableDual) != 1; }

void RecurSetupContext(GraphContext *ctx) {
  std::memset(ctx, 0, sizeof *ctx);
  GraphInitContext(ctx);
  ctx->tableKind = kRecurTableMatrix;
  if (SetupGetItem(kSetupSumDisplay) == 0) {
    ctx->optionFlags |= kGraphOptDerivative;
  } else {
    ctx->optionFlags = static_cast<u8>(ctx->optionFlags & ~kGraphOptDerivative);
  }
  // Names are not drawn beside table graphs.
  ctx->screenFlags = static_cast<u8>(ctx->screenFlags & ~(kGraphScreenModeMask | kGraphLabelMask));
  if (RecurSplitScreen()) {
    ctx->screenFlags = static_cast<u8>(ctx->screenFlags | kGraphScreenModeMask);
    ctx->runFlags = static_cast<u8>(ctx->runFlags | kGraphRunHalf);
  }
}

u32 RecurLoadView(GraphContext *ctx) {
  if (GmemEnsureGraphMode() != 0) return 4;
  return GraphLoadVwin(ctx, 1);
}

i32 RecurRunGraphLoop(GraphContext *ctx, u32 key) {
  const bool split = GraphScreenMode(ctx) != 0;
  if (split) GraphRefreshScreen(ctx);
  const i32 r = GraphMenu(ctx, split ? 10 : 5, 17, 0, key);
  GmemWriteScreen(ctx->planes);
  return r;
}

i32 RecurTimeGraph(i32 mode, GraphContext *ctx, u32 key) {
  static GraphEntry entries[4];
  static const u8 kCodes[] = {5, 6};  // points, lines (the sums: 8, 9)
  const u8 code = SumMode(mode) ? (PointMode(mode) ? 8 : 9) : kCodes[PointMode(mode) ? 0 : 1];
  if (GmemReadGraphMode() == code && GmemReadScreen(ctx->planes) == 0) {
    RecurBuildEntries(mode, entries);
    ctx->entries = entries;
  } else if (const u32 e = RecurPlotTable(ctx, mode, entries)) {
    GmemDeleteGraphRecord();
    ErrBox(static_cast<i32>(e));
    return kGraphExitShown;
  } else {
    GmemWriteGraphMode(code);
  }
  return RecurRunGraphLoop(ctx, key);
}
