#include "graph/engine/graph_plot.h"

#include <cstring>

#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_glue.h"
#include "graph/engine/graph_scan.h"
#include "graph/memory/gmem_func.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/text.h"

namespace {

constexpr u32 kOutOfRange = 12288;  // a T step outside the entry's range

GraphEntry *Entry(GraphContext *ctx, i32 idx) { return &ctx->entries[idx]; }

i32 LastColumn(const GraphContext *ctx) { return (ctx->runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn; }

bool Connect(const GraphContext *ctx) { return !(ctx->optionFlags & kGraphOptPlot); }

bool Extent(const GraphContext *ctx) { return (ctx->runFlags & kGraphRunExtent) != 0; }

// Curves drawn for an entry: its list elements, or 1.
i32 CurveCount(const GraphEntry *e) {
  if ((e->type & (kGraphTypeListValued | kGraphTypeValueList)) && e->listCount > 0) {
    return static_cast<i32>(e->listCount);
  }
  return 1;
}

GraphPoint MakePoint(i32 col, i32 row, u32 code) {
  GraphPoint p;
  p.col = static_cast<i16>(col);
  p.row = static_cast<i16>(row);
  p.code = static_cast<i16>(code);
  p.dash = 0;
  return p;
}

// -1E98 < v < 1E98.
bool InValueRange(const BcdReal *v) {
  if (RealErrorCode(v)) return false;
  BcdReal lim;
  NumParse("1E98", RealSetZero(&lim));
  BcdReal a;
  RealAbs(v, &a);
  return RealCompare(kRealCmpLt, &a, &lim) == 1;
}

// The first dot of a curve piece (or a lone point): a pixel under Plot, a
// styled dot under Connect.
void FirstDot(GraphContext *ctx, const GraphPoint &p, u8 style) {
  if (p.code != 0) return;
  if (Connect(ctx)) {
    GraphDrawLine(p.col, p.row, p.col, p.row, ctx->planes, style, ctx->runFlags);
  } else {
    GraphPlotPixel(p.col, p.row, ctx->planes, style, ctx->runFlags);
  }
}

// A further point of a T-stepped or point curve: joined to prev unless
// either is off.
void NextDot(GraphContext *ctx, const GraphPoint &prev, const GraphPoint &p, u8 style) {
  if (p.code != 0) return;
  if (!Connect(ctx)) {
    GraphPlotPixel(p.col, p.row, ctx->planes, style, ctx->runFlags);
  } else if (prev.code != 0) {
    GraphSetDashCounter(0);
    GraphStyledDot(p.col, p.row, ctx->planes, style, ctx->runFlags);
  } else {
    GraphLineRest(prev.col, prev.row, p.col, p.row, ctx->planes, style, ctx->runFlags);
  }
}

// The columns a Y= plot walks.
struct Columns {
  i32 first, last, step;
};

Columns RectColumns(const GraphContext *ctx, u8 style) {
  if (ctx->runFlags & kGraphRunStrip) {
    if (ctx->runFlags & kGraphRunStripRight) return {118, kGraphLastColumn, 1};
    return {10, 1, -1};
  }
  const i32 step = (style == 11 && (ctx->optionFlags & kGraphOptSpeedHigh)) ? 2 : 1;
  return {1, LastColumn(ctx), step};
}

bool ColumnsLeft(const Columns &c, i32 col) { return c.step > 0 ? col <= c.last : col >= c.last; }

// One column of a Y= curve: y at the column's x, its row and code.
u32 RectPoint(GraphContext *ctx, i32 idx, i32 n, i32 col, bool *first, BcdReal *x, BcdReal *y, GraphPoint *p) {
  const GraphEntry *e = Entry(ctx, idx);
  GraphColumnToX(x, col, &ctx->view, ctx->runFlags);
  i32 row = 0;
  u32 code = 0;
  if ((e->type & kGraphTypeRanged) && GraphRangeGate(col, ctx, idx) != 0) {
    code = kGraphDotYError;
    RealMakeError(3, y);
  } else {
    const bool full = *first || (e->type & kGraphTypeValueList);
    const u32 err = full ? GraphEvalFunc(x, y, ctx, idx, n) : GraphEvalFuncNext(x, y, ctx, idx, n);
    if (err) return err;
    *first = false;
    code = GraphYToRow(y, &row, &ctx->view);
  }
  *p = MakePoint(col, row, code);
  return 0;
}

void Shade(GraphContext *ctx, i32 idx, const GraphPoint &p) {
  const GraphEntry *e = Entry(ctx, idx);
  if (e->type & kGraphTypeIneq) {
    GraphShadeInequality(p.col, p.row, static_cast<u16>(p.code), idx, ctx);
  } else if (e->type & kGraphTypeArea) {
    GraphShadeArea(p.col, p.row, static_cast<u16>(p.code), ctx, idx);
  }
}

// Start, end and pitch of a T-stepped entry, and its whole steps.
u32 TSteps(GraphContext *ctx, i32 idx, BcdReal *start, BcdReal *end, BcdReal *pitch, i32 *steps) {
  const GraphEntry *e = Entry(ctx, idx);
  if (e->type & kGraphTypeRanged) {
    if (const u32 code = GraphEntryText(0, ctx->entries, idx, start)) return code;
    if (const u32 code = GraphEntryText(1, ctx->entries, idx, end)) return code;
    RealAbs(&ctx->view.tpitch, pitch);
  } else {
    *start = ctx->view.tmin;
    *end = ctx->view.tmax;
    *pitch = ctx->view.tpitch;
  }
  BcdReal s, lim;
  RealSub(end, start, &s);
  RealDiv(&s, pitch, &s);
  if (RealErrorCode(&s)) return 28;
  if (RealCompare(kRealCmpLe, &s, NumFromInt32(-32768, RealSetZero(&lim))) == 1 ||
      RealCompare(kRealCmpGe, &s, NumFromInt32(32767, RealSetZero(&lim))) == 1) {
    return 28;
  }
  RealInt(&s, &s);
  *steps = NumToInt32(&s);
  return 0;
}

// t of step k: start + k x pitch, snapped to 0 against the pitch.
void TAt(const BcdReal *start, const BcdReal *pitch, i32 k, BcdReal *t) {
  BcdReal kk;
  NumFromInt32(k, RealSetZero(&kk));
  RealMul(&kk, pitch, t);
  RealNormalize(t, t);
  RealAdd(start, t, t);
  RealNormalize(t, t);
  GraphSnapToZero(t, pitch);
}

// Whether t stopped short of end in the direction of the pitch.
bool ShortOfEnd(const BcdReal *t, const BcdReal *end, const BcdReal *pitch) {
  BcdReal zero;
  const bool rising = RealCompare(kRealCmpGe, pitch, RealSetZero(&zero)) == 1;
  return RealCompare(rising ? kRealCmpLt : kRealCmpGt, t, end) == 1;
}

// A T point: evaluated and converted by the wide conversions.
u32 ParamPoint(GraphContext *ctx, i32 idx, i32 n, const BcdReal *t, bool full, BcdReal *x, BcdReal *y,
               GraphPoint *p) {
  BcdReal r;
  const u32 err = full ? GraphEvalParam(t, x, y, &r, ctx, idx, n) : GraphEvalParamNext(t, x, y, &r, ctx, idx, n);
  if (err) return err;
  i32 col = 0;
  i32 row = 0;
  const u32 code = GraphXToColumnWide(x, &col, &ctx->view, ctx->runFlags) | GraphYToRowWide(y, &row, &ctx->view);
  *p = MakePoint(col, row, code);
  return 0;
}

// One row of an X= curve: x at the row's y, its column and code.
u32 XEqPoint(GraphContext *ctx, i32 idx, i32 n, i32 row, bool full, BcdReal *x, BcdReal *y, GraphPoint *p) {
  GraphRowToY(y, row, &ctx->view);
  const u32 err = full ? GraphEvalFunc(y, x, ctx, idx, n) : GraphEvalFuncNext(y, x, ctx, idx, n);
  if (err) return err;
  i32 col = 0;
  const u32 code = GraphXToColumn(x, &col, &ctx->view, ctx->runFlags);
  *p = MakePoint(col, row, code);
  return 0;
}

// Point k of a table graph, converted by the wide conversions.
u32 TablePoint(GraphContext *ctx, i32 idx, i32 k, BcdReal *x, BcdReal *y, GraphPoint *p) {
  if (const u32 err = GraphGlueTablePoint(k, x, y, ctx, idx)) return err;
  i32 col = 0;
  i32 row = 0;
  const u32 code = GraphXToColumnWide(x, &col, &ctx->view, ctx->runFlags) | GraphYToRowWide(y, &row, &ctx->view);
  *p = MakePoint(col, row, code);
  return 0;
}

// A table point on the screen: its mark, and the join from the point before.
void DrawTablePoint(GraphContext *ctx, const GraphEntry *e, i32 k, const GraphPoint &prev, const GraphPoint &p) {
  if (p.code != 0) return;
  if (k == 1 || e->style == kGraphStyleNormal || e->joinMode != 0) {
    GraphDrawMark(p.col, p.row, e->markType, ctx->planes, e->style, ctx->runFlags);
  }
  if (e->joinMode != 0) return;
  if (k == 1) {
    GraphSetDashCounter(0);
    GraphStyledDot(p.col, p.row, ctx->planes, e->style, ctx->runFlags);
  } else {
    NextDot(ctx, prev, p, e->style);
  }
}

void ExtendBoth(GraphContext *ctx, const BcdReal *x, const BcdReal *y) {
  if (InValueRange(x) && InValueRange(y)) GraphExtendExtent(x, y, 0, ctx);
}

// The index of the first point record of each entry in a simultaneous plot.
i32 RecordBase(GraphContext *ctx, i32 idx) {
  i32 k = 1;
  for (i32 i = 0; i < idx; ++i) k += CurveCount(Entry(ctx, i));
  return k;
}

void ResetIneqCount(GraphContext *ctx, u8 count) {
  ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphIneqMask) | count);
}

// Rows of one column drawn with a style, rows 1-7 (the label band) into the
// planes only when a label is shown there.
void ShadeRun(GraphContext *ctx, i32 idx, i32 col, i32 r1, i32 r2, u8 style) {
  if (r1 > r2) {
    const i32 t = r1;
    r1 = r2;
    r2 = t;
  }
  if (r1 < 1) r1 = 1;
  if (r2 > kGraphLastRow) r2 = kGraphLastRow;
  if (r1 > r2) return;
  const GraphEntry *e = Entry(ctx, idx);
  const bool band = (ctx->screenFlags & kGraphLabelMask) == kGraphLabelsShown && e->labelKind != 0;
  const u8 bandFlags = static_cast<u8>(ctx->runFlags | (band ? kGraphRunPlanesOnly : 0));
  if (r1 <= 7) {
    const i32 end = r2 < 7 ? r2 : 7;
    GraphDrawLine(col, r1, col, end, ctx->planes, style, bandFlags);
    r1 = 8;
  }
  if (r1 <= r2) GraphDrawLine(col, r1, col, r2, ctx->planes, style, ctx->runFlags);
}

void PrintLabel(GraphContext *ctx, i32 idx, i32 line) {
  const GraphEntry *e = Entry(ctx, idx);
  const i32 kind = e->labelKind;
  if (kind == 0) {
    GraphGluePrepareScreen(ctx);
    return;
  }
  constexpr i32 kWidth = 21;
  char shown[2 * kWidth + 1];
  if (kind == 13) {
    StrExpandTokens(e->labelText ? e->labelText : "", shown, kWidth);
  } else {
    // Name, relation and as much of the formula as 21 characters can show.
    u8 src[96];
    u32 len = 0;
    if (kind >= 1 && kind <= 8) {
      src[len++] = static_cast<u8>("YXfr"[(kind - 1) % 4]);
      if (kind <= 4 && e->slot > 0 && e->slot < 100) {
        if (e->slot >= 10) src[len++] = static_cast<u8>('0' + e->slot / 10);
        src[len++] = static_cast<u8>('0' + e->slot % 10);
      }
    } else if (kind >= 9 && kind <= 12) {
      u8 special[64];
      if (GraphGlueSpecialLabel(ctx, idx, special, sizeof special) != 0) return;
      for (u32 i = 0; special[i] != 0 && len < 60; ++i) src[len++] = special[i];
    } else {
      return;
    }
    if (kind <= 11) {
      if (e->type & kGraphTypeIneq) {
        static const u8 kRel[4] = {'<', '>', kTokLessEqual, kTokGreaterEqual};
        src[len++] = kRel[(e->type & kGraphTypeRelMask) >> 4];
      } else {
        src[len++] = '=';
      }
      const u8 *t = e->text;
      for (i32 chars = 0; t != nullptr && *t != 0 && chars < kWidth; ++chars) {
        const u32 n = TokLenAt(t);
        if (len + n + 1 >= sizeof src) break;
        for (u32 i = 0; i < n; ++i) src[len++] = t[i];
        t += n;
      }
    }
    src[len] = 0;
    src[len + 1] = 0;  // token texts end in two zero bytes
    StrExpandTokens(reinterpret_cast<const char *>(src), shown, kWidth);
  }
  TextLocate(1, line);
  TextPrint(shown);
}

}  // namespace

// ---- entries and labels --------------------------------------------------------

void GraphRefreshEntries(GraphContext *ctx) {
  if (ctx->entries == nullptr) return;
  for (GraphEntry *e = ctx->entries; e->style != 0; ++e) {
    if (!(e->type & kGraphTypeBuiltin) && e->textSource != nullptr) e->text = e->textSource(e);
  }
}

const u8 *GraphFuncSlotText(const GraphEntry *entry) {
  return reinterpret_cast<const u8 *>(GmemFuncDataPtr(entry->slot));
}

void GraphShowFuncLabel(GraphContext *ctx, i32 idx) { PrintLabel(ctx, idx, 1); }
void GraphShowFuncLabel2(GraphContext *ctx, i32 idx) { PrintLabel(ctx, idx, 2); }

// ---- joining points ------------------------------------------------------------

void GraphConnectVertical(GraphContext *ctx, i32 idx, i32 k) {
  const GraphPoint &cur = ctx->points[0];
  const GraphPoint &prev = ctx->points[k];
  const u8 style = Entry(ctx, idx)->style;
  u8 *buf = ctx->planes;
  const u8 f = ctx->runFlags;
  if (cur.code == 0) {
    switch (prev.code) {
      case 0: GraphLineRest(prev.col, prev.row, cur.col, cur.row, buf, style, f); break;
      case kGraphDotAbove: GraphDrawLine(cur.col, 1, cur.col, cur.row, buf, style, f); break;
      case kGraphDotBelow: GraphDrawLine(cur.col, kGraphLastRow, cur.col, cur.row, buf, style, f); break;
      case kGraphDotYError:
        GraphSetDashCounter(0);
        GraphStyledDot(cur.col, cur.row, buf, style, f);
        break;
      default: break;
    }
  } else if (prev.code == 0) {
    if (cur.code == kGraphDotAbove) GraphLineRest(prev.col, prev.row, prev.col, 1, buf, style, f);
    if (cur.code == kGraphDotBelow) GraphLineRest(prev.col, prev.row, prev.col, kGraphLastRow, buf, style, f);
  }
}

void GraphConnectHorizontal(GraphContext *ctx, i32 idx, i32 k) {
  const GraphPoint &cur = ctx->points[0];
  const GraphPoint &prev = ctx->points[k];
  const u8 style = Entry(ctx, idx)->style;
  u8 *buf = ctx->planes;
  const u8 f = ctx->runFlags;
  const i32 last = LastColumn(ctx);
  if (cur.code == 0) {
    switch (prev.code) {
      case 0: GraphLineRest(prev.col, prev.row, cur.col, cur.row, buf, style, f); break;
      case kGraphDotLeft: GraphDrawLine(1, cur.row, cur.col, cur.row, buf, style, f); break;
      case kGraphDotRight: GraphDrawLine(last, cur.row, cur.col, cur.row, buf, style, f); break;
      case kGraphDotXError:
        GraphSetDashCounter(0);
        GraphStyledDot(cur.col, cur.row, buf, style, f);
        break;
      default: break;
    }
  } else if (prev.code == 0) {
    if (cur.code == kGraphDotLeft) GraphLineRest(prev.col, prev.row, 1, prev.row, buf, style, f);
    if (cur.code == kGraphDotRight) GraphLineRest(prev.col, prev.row, last, prev.row, buf, style, f);
  }
}

u32 GraphRangeGate(i32 col, GraphContext *ctx, i32 idx) {
  GraphEntry *e = Entry(ctx, idx);
  const bool against = (e->rangeState & kGraphRangeAgainst) != 0;
  const bool swap = ((ctx->runFlags & kGraphRunXReversed) != 0) != against;
  auto boundColumn = [&](i32 which, i32 *bc) {
    BcdReal b;
    if (GraphEntryText(which, ctx->entries, idx, &b) != 0) return false;
    const u32 code = GraphXToColumnWide(&b, bc, &ctx->view, ctx->runFlags);
    if (code == kGraphDotLeft) *bc = -10000;
    if (code == kGraphDotRight) *bc = 10000;
    return code == 0 || code == kGraphDotLeft || code == kGraphDotRight;
  };
  if (e->rangeState & kGraphRangeWaiting) {
    i32 bc = 0;
    if (!boundColumn(swap ? 1 : 0, &bc)) return kGraphDotYError;
    if (against ? col > bc : col < bc) return kGraphDotYError;
    e->rangeState &= static_cast<u8>(~kGraphRangeWaiting);
    e->rangeState |= (e->rangeState & kGraphRangeEndInside) ? kGraphRangeDrawing : kGraphRangeToEdge;
    return 0;
  }
  if (e->rangeState & kGraphRangeDrawing) {
    i32 bc = 0;
    if (!boundColumn(swap ? 0 : 1, &bc)) return kGraphDotYError;
    if (against ? col >= bc : col <= bc) return 0;
    e->rangeState &= static_cast<u8>(~kGraphRangeDrawing);
    e->rangeState |= kGraphRangeDone;
    return kGraphDotYError;
  }
  if (e->rangeState & kGraphRangeDone) return kGraphDotYError;
  return 0;
}

// ---- one entry at a time -------------------------------------------------------

u32 GraphPlotRect(GraphContext *ctx, i32 idx, i32 n) {
  GraphEntry *e = Entry(ctx, idx);
  GraphCountInequality(ctx, idx);
  const Columns cols = RectColumns(ctx, e->style);
  bool firstEval = true;
  bool firstCol = true;
  for (i32 col = cols.first; ColumnsLeft(cols, col); col += cols.step) {
    BcdReal x, y;
    GraphPoint p;
    if (const u32 err = RectPoint(ctx, idx, n, col, &firstEval, &x, &y, &p)) return err;
    if (Extent(ctx)) {
      GraphExtendExtent(&x, &y, static_cast<u16>(p.code) | kGraphDotXError, ctx);
      continue;
    }
    if (firstCol) {
      ctx->points[1] = p;
      GraphSetDashCounter(0);
      FirstDot(ctx, p, e->style);
      Shade(ctx, idx, p);
      firstCol = false;
      continue;
    }
    ctx->points[0] = p;
    if (e->type & kGraphTypeIneq) Shade(ctx, idx, p);
    if (Connect(ctx)) {
      GraphConnectVertical(ctx, idx, 1);
    } else if (p.code == 0) {
      GraphPlotPixel(p.col, p.row, ctx->planes, e->style, ctx->runFlags);
    }
    if (!(e->type & kGraphTypeIneq) && (e->type & kGraphTypeArea)) Shade(ctx, idx, p);
    ctx->points[1] = ctx->points[0];
  }
  return 0;
}

u32 GraphPlotXEq(GraphContext *ctx, i32 idx, i32 n) {
  GraphEntry *e = Entry(ctx, idx);
  for (i32 row = kGraphLastRow; row >= 1; --row) {
    BcdReal x, y;
    GraphPoint p;
    if (const u32 err = XEqPoint(ctx, idx, n, row, row == kGraphLastRow, &x, &y, &p)) return err;
    if (Extent(ctx)) {
      GraphExtendExtent(&x, &y, static_cast<u16>(p.code) | kGraphDotYError, ctx);
      continue;
    }
    if (row == kGraphLastRow) {
      ctx->points[1] = p;
      GraphSetDashCounter(0);
      FirstDot(ctx, p, e->style);
      continue;
    }
    ctx->points[0] = p;
    if (Connect(ctx)) {
      GraphConnectHorizontal(ctx, idx, 1);
    } else if (p.code == 0) {
      GraphPlotPixel(p.col, p.row, ctx->planes, e->style, ctx->runFlags);
    }
    ctx->points[1] = p;
  }
  return 0;
}

u32 GraphPlotParam(GraphContext *ctx, i32 idx, i32 n) {
  GraphEntry *e = Entry(ctx, idx);
  BcdReal start, end, pitch;
  i32 steps = 0;
  if (const u32 err = TSteps(ctx, idx, &start, &end, &pitch, &steps)) return err;
  BcdReal t = start;
  BcdReal x, y;
  GraphPoint p;
  if (const u32 err = ParamPoint(ctx, idx, n, &t, true, &x, &y, &p)) return err;
  if (Extent(ctx)) {
    ExtendBoth(ctx, &x, &y);
  } else {
    ctx->points[1] = p;
    GraphSetDashCounter(0);
    FirstDot(ctx, p, e->style);
  }
  auto step = [&](const BcdReal *tt) -> u32 {
    if (const u32 err = ParamPoint(ctx, idx, n, tt, false, &x, &y, &p)) return err;
    if (Extent(ctx)) {
      ExtendBoth(ctx, &x, &y);
      return 0;
    }
    NextDot(ctx, ctx->points[1], p, e->style);
    ctx->points[1] = p;
    return 0;
  };
  for (i32 k = 1; k <= steps; ++k) {
    TAt(&start, &pitch, k, &t);
    if (const u32 err = step(&t)) return err;
  }
  if (ShortOfEnd(&t, &end, &pitch)) {
    t = end;
    if (const u32 err = step(&t)) return err;
  }
  return 0;
}

u32 GraphPlotPoints(GraphContext *ctx, i32 idx) {
  GraphEntry *e = Entry(ctx, idx);
  for (i32 k = 1; k <= static_cast<i32>(e->pointCount); ++k) {
    BcdReal x, y;
    GraphPoint p;
    if (const u32 err = TablePoint(ctx, idx, k, &x, &y, &p)) return err;
    if (k >= 2 && KeyBreakPoll()) return 1;
    if (Extent(ctx)) {
      ExtendBoth(ctx, &x, &y);
      continue;
    }
    DrawTablePoint(ctx, e, k, ctx->points[1], p);
    ctx->points[1] = p;
  }
  return 0;
}

u32 GraphPlotEach(GraphContext *ctx) {
  for (i32 idx = 0; ctx->entries[idx].style != 0; ++idx) {
    GraphEntry *e = Entry(ctx, idx);
    if ((ctx->screenFlags & kGraphLabelMask) == kGraphLabelsShown) {
      GraphShowFuncLabel(ctx, idx);
      ShellUpdateDisplay();
      LcdShowBusyIndicator();
    }
    if (e->type & kGraphTypePoints) {
      if (const u32 err = GraphPlotPoints(ctx, idx)) return err;
    } else {
      const i32 curves = CurveCount(e);
      for (i32 n = 1; n <= curves; ++n) {
        u32 err = 0;
        if (e->type & kGraphTypeX) {
          err = GraphPlotRect(ctx, idx, n);
        } else if (e->type & kGraphTypeT) {
          err = GraphPlotParam(ctx, idx, n);
        } else if (e->type & kGraphTypeY) {
          err = GraphPlotXEq(ctx, idx, n);
        }
        if (err) return err;
      }
    }
    if (Extent(ctx)) {
      if (e->type & kGraphTypeX) {
        GraphExtendExtent(&ctx->view.xmin, &ctx->view.xmin, kGraphDotYError, ctx);
        GraphExtendExtent(&ctx->view.xmax, &ctx->view.xmax, kGraphDotYError, ctx);
      } else if (e->type & kGraphTypeY) {
        GraphExtendExtent(&ctx->view.ymin, &ctx->view.ymin, kGraphDotXError, ctx);
        GraphExtendExtent(&ctx->view.ymax, &ctx->view.ymax, kGraphDotXError, ctx);
      }
    }
  }
  return 0;
}

// ---- all entries together ------------------------------------------------------

u32 GraphPlotRectSimul(GraphContext *ctx) {
  GraphEntry *entries = ctx->entries;
  bool any = false;
  for (i32 i = 0; entries[i].style != 0; ++i) any |= (entries[i].type & kGraphTypeX) && !(entries[i].type & kGraphTypePoints);
  if (!any) return 0;
  const u8 ineq0 = ctx->screenFlags & kGraphIneqMask;
  const Columns cols = RectColumns(ctx, entries[0].style);
  bool firstCol = true;
  for (i32 col = cols.first; ColumnsLeft(cols, col); col += cols.step) {
    ResetIneqCount(ctx, ineq0);
    for (i32 idx = 0; entries[idx].style != 0; ++idx) {
      GraphEntry *e = &entries[idx];
      if (!(e->type & kGraphTypeX) || (e->type & kGraphTypePoints)) continue;
      const i32 base = RecordBase(ctx, idx);
      const bool own = e->style != kGraphStylePlot;
      for (i32 n = 1; n <= CurveCount(e); ++n) {
        GraphPoint *rec = &ctx->points[base + n - 1];
        GraphCountInequality(ctx, idx);
        BcdReal x, y;
        GraphPoint p;
        bool firstEval = firstCol;
        if (const u32 err = RectPoint(ctx, idx, n, col, &firstEval, &x, &y, &p)) return err;
        if (Extent(ctx)) {
          GraphExtendExtent(&x, &y, static_cast<u16>(p.code) | kGraphDotXError, ctx);
          continue;
        }
        if (firstCol) {
          GraphSetDashCounter(0);
          if (own) FirstDot(ctx, p, e->style);
          Shade(ctx, idx, p);
        } else {
          GraphSetDashCounter(rec->dash);
          ctx->points[0] = p;
          if (e->type & kGraphTypeIneq) Shade(ctx, idx, p);
          if (own) {
            const GraphPoint saved = ctx->points[1];
            ctx->points[1] = *rec;
            if (Connect(ctx)) {
              GraphConnectVertical(ctx, idx, 1);
            } else if (p.code == 0) {
              GraphPlotPixel(p.col, p.row, ctx->planes, e->style, ctx->runFlags);
            }
            ctx->points[1] = saved;
          }
          if (!(e->type & kGraphTypeIneq) && (e->type & kGraphTypeArea)) Shade(ctx, idx, p);
        }
        *rec = p;
        rec->dash = static_cast<i16>(GraphDashCounter());
      }
    }
    firstCol = false;
  }
  return 0;
}

u32 GraphPlotXEqSimul(GraphContext *ctx) {
  GraphEntry *entries = ctx->entries;
  for (i32 row = kGraphLastRow; row >= 1; --row) {
    for (i32 idx = 0; entries[idx].style != 0; ++idx) {
      GraphEntry *e = &entries[idx];
      if (!(e->type & kGraphTypeY) || (e->type & (kGraphTypeX | kGraphTypeT | kGraphTypePoints))) continue;
      const i32 base = RecordBase(ctx, idx);
      for (i32 n = 1; n <= CurveCount(e); ++n) {
        GraphPoint *rec = &ctx->points[base + n - 1];
        BcdReal x, y;
        GraphPoint p;
        const bool full = row == kGraphLastRow || (e->type & kGraphTypeValueList);
        if (const u32 err = XEqPoint(ctx, idx, n, row, full, &x, &y, &p)) return err;
        if (Extent(ctx)) {
          GraphExtendExtent(&x, &y, static_cast<u16>(p.code) | kGraphDotYError, ctx);
          continue;
        }
        if (row == kGraphLastRow) {
          GraphSetDashCounter(0);
          FirstDot(ctx, p, e->style);
        } else {
          GraphSetDashCounter(rec->dash);
          ctx->points[0] = p;
          const GraphPoint saved = ctx->points[1];
          ctx->points[1] = *rec;
          if (Connect(ctx)) {
            GraphConnectHorizontal(ctx, idx, 1);
          } else if (p.code == 0) {
            GraphPlotPixel(p.col, p.row, ctx->planes, e->style, ctx->runFlags);
          }
          ctx->points[1] = saved;
        }
        *rec = p;
        rec->dash = static_cast<i16>(GraphDashCounter());
      }
    }
  }
  return 0;
}

u32 GraphPlotParamSimul(GraphContext *ctx) {
  GraphEntry *entries = ctx->entries;
  bool any = false;
  for (i32 i = 0; entries[i].style != 0; ++i) {
    any |= (entries[i].type & kGraphTypeT) && !(entries[i].type & (kGraphTypeX | kGraphTypePoints));
  }
  if (!any) return 0;
  const BcdReal start = ctx->view.plotTmin;
  const BcdReal end = ctx->view.plotTmax;
  const BcdReal pitch = ctx->view.tpitch;
  BcdReal s, lim;
  RealSub(&end, &start, &s);
  RealDiv(&s, &pitch, &s);
  if (RealErrorCode(&s) || RealCompare(kRealCmpLt, &s, RealSetZero(&lim)) == 1 ||
      RealCompare(kRealCmpGe, &s, NumFromInt32(32767, RealSetZero(&lim))) == 1) {
    return 28;
  }
  RealInt(&s, &s);
  const i32 steps = NumToInt32(&s);
  BcdReal t = start;
  auto pass = [&](const BcdReal *tt, bool first) -> u32 {
    for (i32 idx = 0; entries[idx].style != 0; ++idx) {
      GraphEntry *e = &entries[idx];
      if (!(e->type & kGraphTypeT) || (e->type & (kGraphTypeX | kGraphTypePoints))) continue;
      const i32 base = RecordBase(ctx, idx);
      for (i32 n = 1; n <= CurveCount(e); ++n) {
        GraphPoint *rec = &ctx->points[base + n - 1];
        GraphPoint p = MakePoint(0, 0, kOutOfRange);
        BcdReal x, y;
        if (GraphTInRangeSimul(tt, ctx, idx) == 0) {
          const bool full = first || (e->type & kGraphTypeValueList);
          if (const u32 err = ParamPoint(ctx, idx, n, tt, full, &x, &y, &p)) return err;
          if (Extent(ctx)) {
            ExtendBoth(ctx, &x, &y);
            continue;
          }
        } else if (Extent(ctx)) {
          continue;
        }
        GraphSetDashCounter(first ? 0 : rec->dash);
        if (first) {
          FirstDot(ctx, p, e->style);
        } else {
          NextDot(ctx, *rec, p, e->style);
        }
        *rec = p;
        rec->dash = static_cast<i16>(GraphDashCounter());
      }
    }
    return 0;
  };
  if (const u32 err = pass(&t, true)) return err;
  for (i32 k = 1; k <= steps; ++k) {
    TAt(&start, &pitch, k, &t);
    if (const u32 err = pass(&t, false)) return err;
  }
  if (ShortOfEnd(&t, &end, &pitch)) {
    t = end;
    if (const u32 err = pass(&t, false)) return err;
  }
  return 0;
}

u32 GraphPlotPointsSimul(GraphContext *ctx) {
  GraphEntry *entries = ctx->entries;
  i32 most = 0;
  for (i32 i = 0; entries[i].style != 0; ++i) {
    if ((entries[i].type & kGraphTypePoints) && static_cast<i32>(entries[i].pointCount) > most) {
      most = static_cast<i32>(entries[i].pointCount);
    }
  }
  for (i32 k = 1; k <= most; ++k) {
    if (k >= 2 && KeyBreakPoll()) return 1;
    for (i32 idx = 0; entries[idx].style != 0; ++idx) {
      GraphEntry *e = &entries[idx];
      if (!(e->type & kGraphTypePoints)) continue;
      GraphPoint *rec = &ctx->points[RecordBase(ctx, idx)];
      GraphPoint p = MakePoint(0, 0, kOutOfRange);
      if (k <= static_cast<i32>(e->pointCount)) {
        BcdReal x, y;
        if (const u32 err = TablePoint(ctx, idx, k, &x, &y, &p)) return err;
        if (Extent(ctx)) {
          ExtendBoth(ctx, &x, &y);
          continue;
        }
        GraphSetDashCounter(k == 1 ? 0 : rec->dash);
        DrawTablePoint(ctx, e, k, *rec, p);
      }
      *rec = p;
      rec->dash = static_cast<i16>(GraphDashCounter());
    }
  }
  return 0;
}

u32 GraphPlotSimul(GraphContext *ctx) {
  const u8 labels = ctx->screenFlags & kGraphLabelMask;
  ctx->screenFlags &= static_cast<u8>(~kGraphLabelMask);
  // The point pass ends the plot only with Break, or with the error of a
  // point that could not be had at all.
  u32 err = GraphPlotRectSimul(ctx);
  if (err == 0) err = GraphPlotPointsSimul(ctx);
  if (err == 0) err = GraphPlotParamSimul(ctx);
  if (err == 0) err = GraphPlotXEqSimul(ctx);
  ctx->screenFlags = static_cast<u8>(ctx->screenFlags | labels);
  return err;
}

u32 GraphPlotAll(GraphContext *ctx) {
  LcdShowBusyIndicator();
  KeyBreakArm();
  if (ctx->entries == nullptr) return 0;
  GraphRefreshEntries(ctx);
  i32 count = 0;
  if (const u32 err = GraphScanEntries(ctx, &count)) return err;
  const MemHandle h = MemAlloc(static_cast<u32>(count + 1) * sizeof(GraphPoint));
  if (h == 0) return 4;
  ctx->points = reinterpret_cast<GraphPoint *>(MemDeref(h));
  std::memset(ctx->points, 0, static_cast<u32>(count + 1) * sizeof(GraphPoint));
  u32 err = 0;
  if (Extent(ctx)) {
    RealMakeError(3, &ctx->view.extXlow);
    RealMakeError(3, &ctx->view.extXhigh);
    RealMakeError(3, &ctx->view.extYlow);
    RealMakeError(3, &ctx->view.extYhigh);
    const u8 labels = ctx->screenFlags & kGraphLabelMask;
    ctx->screenFlags &= static_cast<u8>(~kGraphLabelMask);
    err = GraphPlotEach(ctx);
    ctx->screenFlags = static_cast<u8>(ctx->screenFlags | labels);
  } else if (ctx->optionFlags & kGraphOptSimul) {
    err = GraphPlotSimul(ctx);
  } else {
    err = GraphPlotEach(ctx);
  }
  ctx->points = nullptr;
  MemFree(h);
  return err;
}

// ---- extent and shading --------------------------------------------------------

void GraphExtendExtent(const BcdReal *x, const BcdReal *y, u32 flags, GraphContext *ctx) {
  auto extend = [](const BcdReal *v, BcdReal *low, BcdReal *high) {
    if (!InValueRange(v)) return;
    if (RealErrorCode(low)) {
      *low = *high = *v;
      return;
    }
    if (RealCompare(kRealCmpGt, v, high) == 1) {
      *high = *v;
    } else if (RealCompare(kRealCmpLt, v, low) == 1) {
      *low = *v;
    }
  };
  if (!(flags & kGraphDotXError)) extend(x, &ctx->view.extXlow, &ctx->view.extXhigh);
  if (!(flags & kGraphDotYError)) extend(y, &ctx->view.extYlow, &ctx->view.extYhigh);
}

void GraphCountInequality(GraphContext *ctx, i32 idx) {
  if (!(Entry(ctx, idx)->type & kGraphTypeIneq)) return;
  const u8 count = ctx->screenFlags & kGraphIneqMask;
  if (count < 2) ResetIneqCount(ctx, static_cast<u8>(count + 1));
}

void GraphShadeInequality(i32 col, i32 row, u32 code, i32 idx, GraphContext *ctx) {
  const i32 dash = GraphDashCounter();
  GraphSetDashCounter(0);
  const GraphEntry *e = Entry(ctx, idx);
  bool above = (e->type & kGraphTypeAbove) != 0;
  if (ctx->runFlags & kGraphRunYReversed) above = !above;
  const bool on = code == kGraphDotOn;
  if ((ctx->screenFlags & kGraphIneqMask) <= 1) {
    // The region itself in the checkered pattern.
    if (above) {
      if (on) ShadeRun(ctx, idx, col, 1, row, kGraphStyleShade);
      if (code == kGraphDotBelow) ShadeRun(ctx, idx, col, 1, kGraphLastRow, kGraphStyleShade);
    } else {
      if (on) ShadeRun(ctx, idx, col, row, kGraphLastRow, kGraphStyleShade);
      if (code == kGraphDotAbove) ShadeRun(ctx, idx, col, 1, kGraphLastRow, kGraphStyleShade);
    }
  } else {
    // Later inequalities clear what lies outside their region.
    constexpr u8 kClear = 192;
    if (on) {
      if (above) {
        ShadeRun(ctx, idx, col, row + 1, kGraphLastRow, kClear);
      } else {
        ShadeRun(ctx, idx, col, 1, row - 1, kClear);
      }
    } else if (code != (above ? kGraphDotBelow : kGraphDotAbove)) {
      ShadeRun(ctx, idx, col, 1, kGraphLastRow, kClear);
    }
    if (col >= 124) LcdShowBusyIndicator();
  }
  GraphSetDashCounter(dash);
}

namespace {

// The columns of an area entry's two bounds (in screen order), wide.
void AreaColumns(GraphContext *ctx, const GraphEntry *e, i32 *c0, i32 *c1) {
  const bool swap = (ctx->runFlags & kGraphRunXReversed) != 0;
  const BcdReal *b = e->areaBounds;
  i32 cols[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const u32 code = GraphXToColumnWide(&b[i], &cols[i], &ctx->view, ctx->runFlags);
    if (code == kGraphDotLeft) cols[i] = -10000;
    if (code == kGraphDotRight) cols[i] = 10000;
    if (code & kGraphDotXError) cols[i] = -10000;
  }
  *c0 = swap ? cols[1] : cols[0];
  *c1 = swap ? cols[0] : cols[1];
}

bool AreaColumnShaded(GraphContext *ctx, const GraphEntry *e, i32 col) {
  if (e->areaBounds == nullptr) return false;
  i32 c0 = 0;
  i32 c1 = 0;
  AreaColumns(ctx, e, &c0, &c1);
  switch (e->type & kGraphTypeRelMask) {
    case 0x00: return col <= c0;
    case 0x10: return col >= c0;
    case 0x20: return col >= c0 && col <= c1;
    default:
      if (e->areaState & kGraphRangeToEdge) return true;
      return col < c0 || col > c1;
  }
}

}  // namespace

void GraphPrepareArea(GraphContext *ctx, i32 idx) {
  GraphEntry *e = Entry(ctx, idx);
  e->areaState = 0;
  if (e->areaBounds == nullptr) {
    e->areaState = kGraphRangeDone;
    return;
  }
  i32 c0 = 0;
  i32 c1 = 0;
  AreaColumns(ctx, e, &c0, &c1);
  const i32 last = LastColumn(ctx);
  const u32 kind = e->type & kGraphTypeRelMask;
  if (kind == 0x30) {
    // An interval narrower than the dots between two columns shades it all.
    BcdReal w, dot;
    RealSub(&e->areaBounds[1], &e->areaBounds[0], &w);
    RealAbs(&w, &w);
    RealAbs((ctx->runFlags & kGraphRunHalf) ? &ctx->view.xdotHalf : &ctx->view.xdot, &dot);
    BcdReal two;
    RealMul(&dot, RealSetTwo(&two), &two);
    if (RealCompare(kRealCmpLt, &w, &dot) == 1 || (RealCompare(kRealCmpLt, &w, &two) == 1 && c1 - c0 < 1)) {
      e->areaState = kGraphRangeToEdge;
    }
    return;
  }
  const i32 lo = kind == 0x00 ? -10000 : c0;
  const i32 hi = kind == 0x10 ? 10000 : (kind == 0x00 ? c0 : c1);
  if (hi < 1 || lo > last) {
    e->areaState = kGraphRangeDone;
  } else if (lo < 1) {
    e->areaState = kGraphRangeToEdge;
  } else {
    e->areaState = kGraphRangeWaiting;
  }
  if (hi <= last && e->areaState != kGraphRangeDone) e->areaState |= kGraphRangeDrawing;
}

void GraphShadeArea(i32 col, i32 row, u32 code, GraphContext *ctx, i32 idx) {
  const GraphEntry *e = Entry(ctx, idx);
  if ((e->areaState & kGraphRangeDone) && (e->type & kGraphTypeRelMask) != 0x30) return;
  if (!AreaColumnShaded(ctx, e, col)) return;
  i32 from = row;
  if (code == kGraphDotAbove) {
    from = 1;
  } else if (code == kGraphDotBelow) {
    from = kGraphLastRow;
  } else if (code != kGraphDotOn) {
    return;
  }
  if (code == kGraphDotOn) GraphPlotPixel(col, row, ctx->planes, kGraphOpSet1, ctx->runFlags);
  BcdReal zero;
  i32 zeroRow = 0;
  const u32 zc = GraphYToRow(RealSetZero(&zero), &zeroRow, &ctx->view);
  if (zc == kGraphDotAbove) zeroRow = 1;
  if (zc == kGraphDotBelow) zeroRow = kGraphLastRow;
  const i32 dash = GraphDashCounter();
  GraphSetDashCounter(0);
  GraphDrawLine(col, from, col, zeroRow, ctx->planes, kGraphStyleShade, ctx->runFlags);
  GraphSetDashCounter(dash);
}
