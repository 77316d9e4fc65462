// The zoom menu (a new V-Window computed from the current one), the sketch
// menu keys, the inverse graph and the tangent or normal line, and the
// picture prompt of the graph screen.
#include <cstring>
#include <initializer_list>

#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/gscreen_util.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

using namespace gscreen;

namespace {

constexpr u32 kNoPrevious = 21;
constexpr u32 kRangeError = 28;

bool HalfScreen(const GraphContext *ctx) { return (ctx->runFlags & kGraphRunHalf) != 0; }

// h := (hi - lo) / 2, divided or multiplied by the factor; lo, hi := c -+ h.
void ScaleAround(BcdReal *lo, BcdReal *hi, const BcdReal &c, const BcdReal &factor, bool in) {
  BcdReal h = Div(Sub(*hi, *lo), Int(2));
  h = in ? Div(h, factor) : Mul(h, factor);
  *lo = Sub(c, h);
  *hi = Add(c, h);
}

// Centred on c with the old half width when the extent is one value, else
// the extent.
void FitExtent(BcdReal *lo, BcdReal *hi, const BcdReal &low, const BcdReal &high) {
  if (IsError(&low)) return;
  if (Equal(&low, &high)) {
    const BcdReal h = Div(Sub(*hi, *lo), Int(2));
    *lo = Sub(low, h);
    *hi = Add(low, h);
    return;
  }
  *lo = low;
  *hi = high;
}

u32 Rounded(GraphContext *ctx, VwinRecord *r) {
  const BcdReal xmin = RoundSig(r->f[kVwinXmin], 6);
  const BcdReal s = RoundSig(HalfScreen(ctx) ? r->f[kVwinXdotHalf] : r->f[kVwinXdot], 3);
  const BcdReal ymin = RoundSig(r->f[kVwinYmin], 6);
  const BcdReal t = RoundSig(Div(Sub(r->f[kVwinYmax], r->f[kVwinYmin]), Int(62)), 3);
  if (IsError(&xmin) || IsError(&s) || IsError(&ymin) || IsError(&t) || IsZero(&s) || IsZero(&t)) return kRangeError;
  r->f[kVwinXmin] = xmin;
  r->f[kVwinXmax] = Add(xmin, Mul(s, Int(HalfScreen(ctx) ? 62 : 126)));
  r->f[kVwinYmin] = ymin;
  r->f[kVwinYmax] = Add(ymin, Mul(t, Int(62)));
  return 0;
}

// The one-entry table of a straight line y = m x + b (m, b in view fields
// 14 and 15).
u32 TangentLineValue(const BcdReal *x, BcdReal *y, GraphContext *ctx, i32) {
  *y = Add(Mul(ctx->view.extXlow, *x), ctx->view.extXhigh);
  return 0;
}

}  // namespace

u32 GraphZoomApply(u32 key, GraphContext *ctx) {
  VwinRecord r;
  if (GmemReadVwin(&r) != 0) return 4;
  const GraphView &v = ctx->view;
  BcdReal xfact, yfact;
  switch (key) {
    case kGraphKeyZoomBox:
      r.f[kVwinXmin] = v.extXlow;
      r.f[kVwinXmax] = v.extXhigh;
      r.f[kVwinYmin] = v.extYlow;
      r.f[kVwinYmax] = v.extYhigh;
      break;
    case kGraphKeyZoomIn:
    case kGraphKeyZoomOut:
      GmemReadZoomFactor(0, &xfact);
      GmemReadZoomFactor(1, &yfact);
      if (IsError(&xfact) || IsError(&yfact)) return RealErrorCode(IsError(&xfact) ? &xfact : &yfact);
      ScaleAround(&r.f[kVwinXmin], &r.f[kVwinXmax], v.extXlow, xfact, key == kGraphKeyZoomIn);
      ScaleAround(&r.f[kVwinYmin], &r.f[kVwinYmax], v.extYlow, yfact, key == kGraphKeyZoomIn);
      break;
    case kGraphKeyZoomAuto: {
      const u8 keep = ctx->runFlags;
      ctx->runFlags |= kGraphRunExtent;
      const u32 e = GraphPlotAll(ctx);
      ctx->runFlags = keep;
      if (e != 0) return e;
      FitExtent(&r.f[kVwinXmin], &r.f[kVwinXmax], v.extXlow, v.extXhigh);
      FitExtent(&r.f[kVwinYmin], &r.f[kVwinYmax], v.extYlow, v.extYhigh);
      break;
    }
    case kGraphKeyZoomOrig: {
      VwinRecord orig;
      if (GmemReadOrigVwin(&orig) == 0) r = orig;
      break;
    }
    case kGraphKeyZoomSquare: {
      const BcdReal d = Sub(r.f[kVwinYmax], r.f[kVwinYmin]);
      const BcdReal c = Div(Add(r.f[kVwinXmax], r.f[kVwinXmin]), Int(2));
      r.f[kVwinXmax] = Add(c, d);
      r.f[kVwinXmin] = Sub(c, d);
      break;
    }
    case kGraphKeyZoomRound:
      if (const u32 e = Rounded(ctx, &r)) return e;
      break;
    case kGraphKeyZoomInteger: {
      BcdReal cx, cy;
      const BcdReal half = Parse("0.5");
      const BcdReal sx = Add(v.extXlow, half), sy = Add(v.extYlow, half);
      RealIntg(&sx, &cx);
      RealIntg(&sy, &cy);
      const i32 w = HalfScreen(ctx) ? 31 : 63;
      r.f[kVwinXmin] = Sub(cx, Int(w));
      r.f[kVwinXmax] = Add(cx, Int(w));
      r.f[kVwinYmin] = Sub(cy, Int(31));
      r.f[kVwinYmax] = Add(cy, Int(31));
      r.f[kVwinXscale] = Int(10);
      r.f[kVwinYscale] = Int(10);
      break;
    }
    case kGraphKeyZoomPrev:
      if (GmemReadPrevVwin(&r) != 0) return kNoPrevious;
      break;
    default:
      break;
  }
  VwinSetDots(&r);
  const BcdReal ydot = Div(Sub(r.f[kVwinYmax], r.f[kVwinYmin]), Int(62));
  if (IsError(&ydot) || IsZero(&ydot)) return kRangeError;
  if (const u32 e = VwinCheckValues(&r)) return e;
  const bool right = GraphScreenMode(ctx) == 1;
  if (GmemSavePrevVwin(GraphScreenMode(ctx) == 1 ? 1 : 0) != 0) return 4;
  return (right ? GmemWriteVwinr(&r) : GmemWriteVwin(&r)) != 0 ? 4u : 0u;
}

i32 GraphZoomMenuKeys(u32 key, GraphContext *ctx) {
  FkeyRestoreLevelRoot();
  if (key != kGraphKeyZoomFactor) GmemDeletePlot();
  if (key == kGraphKeyZoomBox || key == kGraphKeyZoomIn || key == kGraphKeyZoomOut || key == kGraphKeyZoomInteger) {
    GraphPrepareScreen(ctx);
    if (const i32 r = GraphPointerLoop(key, ctx)) return r;
  } else if (key == kGraphKeyZoomFactor) {
    PopupZoomFactors();
    return kGraphExitNothing;
  }
  const u32 e = GraphZoomApply(key, ctx);
  if (e == 0) return 0;
  if (e == kNoPrevious) return kGraphExitNothing;
  GmemDeletePlot();
  ErrBox(static_cast<i32>(e));
  return kGraphExitNothing;
}

i32 GraphSketchMenuKeys(u32 key, GraphContext *ctx) {
  FkeyRestoreLevelRoot();
  GraphRefreshEntries(ctx);
  switch (key) {
    case kGraphKeyCls:
      return GraphRedrawByMode(ctx, 0);
    case kGraphKeyTangent:
    case kGraphKeyNormal:
      return TraceRun(key, ctx);
    case kGraphKeyInverse: {
      i32 entry[4] = {};
      const i32 r = GsolveSelectEntry(entry, key, ctx);
      if (r != 0) return r;
      if (const u32 e = GraphDrawInverse(ctx, entry)) {
        ErrBox(static_cast<i32>(e));
        return kGraphExitShown;
      }
      return 0;
    }
    case 30225:
      return kGraphExitNothing;
    default:
      GraphPrepareScreen(ctx);
      return GraphPointerLoop(key, ctx);
  }
}

u32 GraphDrawInverse(GraphContext *ctx, const i32 *entry) {
  const GraphEntry &e = ctx->entries[entry[0]];
  GraphEntry table[2] = {};
  table[0] = e;
  table[0].type = 514 | (e.type & 0x100C);
  table[0].style = ctx->lineStyle != 0 ? ctx->lineStyle : u8{kGraphStyleNormal};
  table[0].rangeState = 0;
  GraphEntry *keep = ctx->entries;
  ctx->entries = table;
  GraphPrepareScreen(ctx);
  const u32 err = GraphPlotAll(ctx);
  ctx->entries = keep;
  GraphPrepareScreen(ctx);
  if (err != 0) GmemDeleteGraphRecord();
  return err;
}

u32 GraphDrawTangentLine(u32 *key, const BcdReal *x0, const BcdReal *y0, const BcdReal *slope, GraphContext *ctx) {
  const bool normal = *key == kGraphKeyNormal || *key == 337;
  if (normal && IsZero(slope)) {
    RealMakeError(3, &ctx->view.extXlow);
    ctx->view.extXhigh = *x0;
    GraphPrepareScreen(ctx);
    i32 col = 0;
    if (GraphXToColumn(x0, &col, &ctx->view, ctx->runFlags) == 0)
      GraphDrawLine(col, 1, col, kGraphLastRow, ctx->planes, ctx->lineStyle, ctx->runFlags);
    *key = 337;
    return 0;
  }
  const BcdReal m = normal ? Neg(Div(Int(1), *slope)) : *slope;
  const BcdReal b = Sub(*y0, Mul(m, *x0));
  if (IsError(&m) || IsError(&b)) return 3;
  ctx->view.extXlow = m;
  ctx->view.extXhigh = b;
  GraphEntry table[2] = {};
  table[0].type = kGraphTypeBuiltin | kGraphTypeX;
  table[0].builtin = TangentLineValue;
  table[0].style = ctx->lineStyle != 0 ? ctx->lineStyle : u8{kGraphStyleNormal};
  GraphEntry *keep = ctx->entries;
  const u8 opt = ctx->optionFlags;
  ctx->optionFlags &= static_cast<u8>(~kGraphOptPlot);
  ctx->entries = table;
  const u32 err = GraphPlotAll(ctx);
  ctx->entries = keep;
  ctx->optionFlags = opt;
  GraphPrepareScreen(ctx);
  if (err != 0) {
    GmemDeleteGraphRecord();
    return err;
  }
  *key = normal ? 337 : 336;
  return 0;
}

i32 GraphPictPrompt(i32 key, GraphContext *ctx) {
  FkeyRestoreLevelRoot();
  if (HalfScreen(ctx)) return kGraphExitNothing;
  char text[32];
  PopupOpenFramed(4);
  const i32 row = PopupFirstRow(4);
  MsgTextPlain(key == kGraphKeyPictStore ? 4 : 5, text, sizeof text);
  TextLocate(3, row);
  TextPrint(text);
  MsgTextPlain(18, text, sizeof text);
  TextLocate(3, row + 1);
  TextPrint(text);
  TextLocate(3, row + 3);
  TextPrint("  Pict[1~20]:    ");
  i32 n = 0;
  const i32 r = TextInputNumber(&n, 17, row + 3, 1, 20);
  PopupCloseKind5();
  if (r != 0) return kGraphExitExit;
  if (key == kGraphKeyPictRecall) {
    const u8 *pict = GmemPictDataPtr(n);
    if (pict != nullptr)
      for (u32 i = 0; i < 2 * kGraphPlaneBytes; ++i) ctx->planes[i] |= pict[i];
    return 0;
  }
  if (GmemStorePict(ctx->planes, n) != 0) {
    ErrBox(4);
    return kGraphExitNothing;
  }
  return 0;
}
