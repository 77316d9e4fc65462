#include "graph/app/graph_temp.h"

#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_func.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/graph_trace.h"
#include "ui/keycodes.h"

namespace {

constexpr u32 kNothingToDraw = 30;

}  // namespace

i32 GraphTempEntries(GraphEntry *table) {
  i32 n = 0;
  for (i32 slot = 1; slot <= kGmemFuncSlots; ++slot) {
    if (!GmemTestFuncFlags(slot, kGraphSelStat)) continue;
    const char *text = GmemFuncDataPtr(slot);
    if (text == nullptr || text[0] == 0) continue;
    GraphEntry &e = table[n++];
    e = GraphEntry{};
    e.type = GmemReadFuncType(slot);
    e.text = reinterpret_cast<const u8 *>(text);
    e.textSource = GraphFuncSlotText;
    e.slot = slot;
    const u8 style = GmemReadFuncKind(slot);
    e.style = style != 0 ? style : u8{kGraphStyleNormal};
    e.labelKind = (e.type & kGraphTypeX) ? 1 : 0;
    e.readoutKind = 1;
  }
  table[n] = GraphEntry{};
  return n;
}

u32 GraphDrawTempFuncs(GraphContext *ctx) {
  GraphEntry table[kGmemFuncSlots + 1];
  if (GraphTempEntries(table) == 0) return kNothingToDraw;
  GraphEntry *keep = ctx->entries;
  ctx->optionFlags &= static_cast<u8>(~(kGraphOptPlot | kGraphOptSimul));
  ctx->screenFlags &= static_cast<u8>(~kGraphIneqMask);
  ctx->entries = table;
  const u32 e = GraphPlotAll(ctx);
  ctx->entries = keep;
  return e;
}

i32 TraceTempGraphs(GraphContext *ctx, u32 key, BcdReal *x) {
  const i32 none = key == kKeyUp ? kGraphTempPrevious : kGraphTempNext;
  GraphEntry table[kGmemFuncSlots + 1];
  if (GraphTempEntries(table) == 0) return none;
  GraphEntry *keep = ctx->entries;
  ctx->entries = table;
  i32 idx = 0, sub = 1;
  i32 r = none;
  if (GsolveFirstEntry(kTraceStatFrom, ctx, &idx, &sub)) {
    if (key == kKeyUp) GsolveNextEntry(kTraceStatFrom, &idx, &sub, kKeyUp, ctx);
    GraphPrepareScreen(ctx);
    ctx->view.extXlow = *x;
    r = TraceRunFrom(kTraceStatFrom, ctx, idx, sub);
    *x = ctx->view.extXlow;
    switch (r) {
      case kGraphExitChanged: r = kGraphTempChanged; break;
      case kGraphExitShown: r = kGraphTempShown; break;
      case kGraphExitExit:
      case 0: r = kGraphTempToStat; break;
      case kGraphExitQuit: r = kGraphTempQuit; break;
      case 42: r = kGraphTempPrevious; break;
      case 43: r = kGraphTempNext; break;
      default: break;
    }
  }
  ctx->entries = keep;
  return r;
}
