// The free pointer of the zoom and sketch keys: it moves dot by dot, shows
// its coordinates and, at EXE, fixes a box or a point or draws what the
// sketch key asks for; the sketch circle and the small-font text that
// programs draw as well.
#include <cstring>

#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/gscreen_util.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/task.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/font.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace gscreen;

namespace {

constexpr u32 kBoxSecond = 300;
constexpr u32 kLineSecond = 301;
constexpr u32 kCircleSecond = 335;
constexpr u32 kResume = 343;

// Where the last pointer with code 343 ended (column 0: none yet).
i32 g_resumeCol = 0;
i32 g_resumeRow = 0;

struct PointerRun {
  GraphContext *ctx;
  u32 code;
  GraphPointer cur;
  i32 last;  // last column
  i32 firstCol, firstRow;
  bool firstSet;
  bool penDown;
  i32 penCol, penRow;
};

void PointXY(const PointerRun &p, i32 col, i32 row, BcdReal *x, BcdReal *y) {
  GraphColumnToX(x, col, &p.ctx->view, p.ctx->runFlags);
  GraphRowToY(y, row, &p.ctx->view);
}

void StoreXY(const PointerRun &p, BcdReal *x, BcdReal *y) {
  PointXY(p, p.cur.col, p.cur.row, x, y);
  GraphStoreVar('X', x);
  GraphStoreVar('Y', y);
}

bool Previewing(u32 code) {
  return code == kBoxSecond || code == kLineSecond || code == kCircleSecond || code == kGraphKeyVertical ||
         code == kGraphKeyHorizontal;
}

void Preview(PointerRun *p) {
  GraphPointerPreview(p->code, p->cur.col, p->cur.row, p->firstCol, p->firstRow, p->ctx);
}

void ShowReadout(const PointerRun &p) {
  if (!(p.ctx->optionFlags & kGraphOptCoord)) return;
  BcdReal x, y;
  PointXY(p, p.cur.col, p.cur.row, &x, &y);
  GraphShowTwoValues(&x, &y);
}

u8 *Planes(PointerRun *p) { return p->ctx->planes; }

void Dot(PointerRun *p, i32 col, i32 row, u8 op) {
  GraphPlotPixel(col, row, Planes(p), op, p->ctx->runFlags);
}

// A box's corners for a zoom: view fields 14-17 the x and y ranges.
i32 TakeBox(PointerRun *p) {
  GraphContext *ctx = p->ctx;
  BcdReal x1, y1, x2, y2;
  PointXY(*p, p->firstCol, p->firstRow, &x1, &y1);
  PointXY(*p, p->cur.col, p->cur.row, &x2, &y2);
  const bool xSwap = Less(&x2, &x1), ySwap = Less(&y2, &y1);
  ctx->view.extXlow = xSwap ? x2 : x1;
  ctx->view.extXhigh = xSwap ? x1 : x2;
  ctx->view.extYlow = ySwap ? y2 : y1;
  ctx->view.extYhigh = ySwap ? y1 : y2;
  if (GraphScreenMode(ctx) == 1) {
    // The other screen frames the chosen box.
    i32 a[2] = {p->firstCol, p->firstRow}, b[2] = {p->cur.col, p->cur.row};
    u8 pa[8], pb[8];
    std::memcpy(pa, a, 8);
    std::memcpy(pb, b, 8);
    if (GmemAddPlotPoint(pa) != 0 || GmemAddPlotPoint(pb) != 0) {
      ErrBox(4);
      return kGraphExitShown;
    }
  }
  return 0;
}

// EXE: 1 when the loop goes on, else the loop's result in *out.
bool Execute(PointerRun *p, i32 *out) {
  GraphContext *ctx = p->ctx;
  const i32 col = p->cur.col, row = p->cur.row;
  const u8 style = ctx->lineStyle;
  switch (p->code) {
    case kGraphKeyZoomBox:
      p->firstCol = col;
      p->firstRow = row;
      p->firstSet = true;
      p->code = kBoxSecond;
      GraphPrepareScreen(ctx);
      Preview(p);
      return true;
    case kBoxSecond:
      if (col == p->firstCol || row == p->firstRow) return true;
      *out = TakeBox(p);
      return false;
    case kGraphKeyZoomIn:
    case kGraphKeyZoomOut:
    case kGraphKeyZoomInteger: {
      BcdReal x, y;
      PointXY(*p, col, row, &x, &y);
      ctx->view.extXlow = x;
      ctx->view.extYlow = y;
      *out = 0;
      return false;
    }
    case kGraphKeyPlot:
      Dot(p, col, row, kGraphOpSet0);
      p->firstSet = true;
      return true;
    case kGraphKeyPlotOff:
      Dot(p, col, row, kGraphOpClearBoth);
      return true;
    case kGraphKeyPlotChange: {
      const u8 *pl = Planes(p);
      const i32 at = row * 16 + col / 8;
      const bool on = ((pl[at] | pl[at + kGraphPlaneBytes]) & (0x80 >> (col % 8))) != 0;
      Dot(p, col, row, on ? kGraphOpClearBoth : kGraphOpSet0);
      return true;
    }
    case kGraphKeyLine:
      p->firstCol = col;
      p->firstRow = row;
      p->firstSet = true;
      p->code = kLineSecond;
      return true;
    case kLineSecond:
      GraphDrawLine(p->firstCol, p->firstRow, col, row, Planes(p), style, ctx->runFlags);
      p->code = kGraphKeyLine;
      GraphPrepareScreen(ctx);
      return true;
    case kGraphKeyCircle: {
      BcdReal x, y;
      PointXY(*p, col, row, &x, &y);
      ctx->view.extXlow = x;
      ctx->view.extYlow = y;
      p->firstCol = col;
      p->firstRow = row;
      p->code = kCircleSecond;
      GraphPrepareScreen(ctx);
      Preview(p);
      return true;
    }
    case kCircleSecond: {
      p->code = kGraphKeyCircle;
      if (col == p->firstCol && row == p->firstRow) {
        Dot(p, col, row, kGraphOpSet0);
        GraphPrepareScreen(ctx);
        return true;
      }
      BcdReal x, y;
      PointXY(*p, col, row, &x, &y);
      ctx->view.extXhigh = x;
      ctx->view.extYhigh = y;
      if (const u32 e = GraphSketchCircle(ctx, 0)) {
        ErrBox(static_cast<i32>(e));
        *out = SysIsAppName("@STAT") ? kGraphExitExit : kGraphExitShown;
        return false;
      }
      GraphPrepareScreen(ctx);
      return true;
    }
    case kGraphKeyVertical:
      GraphDrawLine(col, 1, col, kGraphLastRow, Planes(p), style, ctx->runFlags);
      GraphPrepareScreen(ctx);
      return true;
    case kGraphKeyHorizontal:
      GraphDrawLine(1, row, p->last, row, Planes(p), style, ctx->runFlags);
      GraphPrepareScreen(ctx);
      return true;
    case kGraphKeyPen:
      p->penDown = !p->penDown;
      if (p->penDown) {
        GraphSetDashCounter(0);
        Dot(p, col, row, kGraphOpSet0);
        p->penCol = col;
        p->penRow = row;
        GraphPrepareScreen(ctx);
      }
      return true;
    case kResume:
      g_resumeCol = col;
      g_resumeRow = row;
      Dot(p, col, row, kGraphOpSet0);
      GraphPrepareScreen(ctx);
      return true;
    default:
      return true;
  }
}

void Move(PointerRun *p, u32 key) {
  GraphPointer &c = p->cur;
  if (key == kKeyUp && c.row > 1) --c.row;
  if (key == kKeyDown && c.row < kGraphLastRow) ++c.row;
  if (key == kKeyLeft && c.col > 1) --c.col;
  if (key == kKeyRight && c.col < p->last) ++c.col;
  BcdReal x, y;
  StoreXY(*p, &x, &y);
  if (Previewing(p->code)) {
    GraphPrepareScreen(p->ctx);
    Preview(p);
    return;
  }
  ShowReadout(*p);
  if (p->code == kGraphKeyPen && p->penDown) {
    GraphDrawLine(p->penCol, p->penRow, c.col, c.row, Planes(p), p->ctx->lineStyle, p->ctx->runFlags);
    p->penCol = c.col;
    p->penRow = c.row;
    GraphPrepareScreen(p->ctx);
    ShowReadout(*p);
  }
}

// The circle's point routine: x = r cos t + cx, y = r sin t + cy.
BcdReal g_circle[3];  // radius, centre x, centre y

u32 CirclePoint(const BcdReal *t, BcdReal *x, BcdReal *y, GraphContext *, i32) {
  BcdReal c, s;
  RealCos(t, &c, 1);
  RealSin(t, &s, 1);
  *x = Add(Mul(g_circle[0], c), g_circle[1]);
  *y = Add(Mul(g_circle[0], s), g_circle[2]);
  return 0;
}

}  // namespace

void GraphPointerPreview(u32 code, i32 col, i32 row, i32 firstCol, i32 firstRow, GraphContext *ctx) {
  const i32 last = (ctx->runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn;
  switch (code) {
    case kBoxSecond:
      GraphDrawFrame(firstCol, firstRow, col, row);
      break;
    case kLineSecond:
      GraphLcdLine(firstCol, firstRow, col, row);
      break;
    case kCircleSecond:
      GraphDrawFixedMark(firstCol, firstRow, 1);
      break;
    case kGraphKeyVertical:
      GraphLcdLine(col, 1, col, kGraphLastRow);
      break;
    case kGraphKeyHorizontal:
      GraphLcdLine(1, row, last, row);
      break;
    default:
      break;
  }
}

i32 GraphPointerLoop(u32 code, GraphContext *ctx) {
  PointerRun p{};
  p.ctx = ctx;
  p.code = code;
  p.last = (ctx->runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn;
  p.cur.col = (ctx->runFlags & kGraphRunHalf) ? 32 : 64;
  p.cur.row = 32;
  GraphSetDashCounter(0);
  if (code == kResume && g_resumeCol > 0) {
    p.cur.col = g_resumeCol > p.last ? p.last : g_resumeCol;
    p.cur.row = g_resumeRow;
    p.firstSet = true;
  }
  if (code == kGraphKeyVertical || code == kGraphKeyHorizontal) {
    GraphPrepareScreen(ctx);
    Preview(&p);
  }
  BcdReal x, y;
  StoreXY(p, &x, &y);
  if (!Previewing(code)) ShowReadout(p);
  GraphTraceBeginHook();
  i32 result = 0;
  for (;;) {
    u32 typed = 0;
    u32 key = GraphCursorKey(&p.cur, kCursorPointer, &typed);
    if (key == kKeyXThetaT) {
      if (p.code != kGraphKeyText) continue;
      if (typed == 0) {
        const u8 type = SetupGetItem(kSetupFuncType);
        typed = type == 1 ? 0xCE : type == 2 ? 'T' : 'X';
      }
      p.cur.col = GraphDrawText(nullptr, static_cast<u16>(typed), p.cur.col, p.cur.row, ctx->planes, 0, ctx->runFlags);
      if (p.cur.col > p.last) p.cur.col = p.last;
      continue;
    }
    bool leave = true;
    switch (key) {
      case kKeyUp:
      case kKeyDown:
        leave = false;
        if (p.code != kGraphKeyVertical) Move(&p, key);
        break;
      case kKeyLeft:
      case kKeyRight:
        leave = false;
        if (p.code != kGraphKeyHorizontal) Move(&p, key);
        break;
      case kKeyExe:
        leave = !Execute(&p, &result);
        break;
      case kKeyExit:
        if (p.code == kResume) {
          g_resumeCol = p.cur.col;
          g_resumeRow = p.cur.row;
          result = kGraphExitShown;
        } else {
          result = kGraphExitExit;
        }
        break;
      case kKeyAc:
        result = p.code == kGraphKeyPen ? kGraphExitNothing : static_cast<i32>(kKeyGraphAc);
        break;
      case kKeyQuit:
        result = kGraphExitQuit;
        break;
      case kKeyPaste:
        leave = SysIsAppName("@GRAPH") && GraphScreenMode(ctx) == 0;
        result = 346;
        break;
      case kKeyGraphTable:
        if (p.code == kResume) {
          g_resumeCol = p.cur.col;
          g_resumeRow = p.cur.row;
        }
        result = kGraphExitShown;
        break;
      case kKeySetup:
        leave = GraphRunSetup() != 0;
        result = kGraphExitChanged;
        break;
      case kKeyVWindow:
        leave = GraphOpenVwinScreen(static_cast<i8>(GraphScreenMode(ctx) == 0 ? 0 : GraphScreenMode(ctx) == 1 ? 1 : 17)) != 0;
        result = kGraphExitChanged;
        break;
      case kGraphKeyTrace:
        result = kGraphExitNothing;
        break;
      default:
        leave = key != 0 && (key < 30000 || key >= 30200) && key != kKeyGraphStoreColumn;
        result = static_cast<i32>(key);
        break;
    }
    if (leave) break;
  }
  if (p.code == kCircleSecond || code == kGraphKeyCircle) GraphPrepareScreen(ctx);
  GraphTraceEndHook();
  return result;
}

u32 GraphSketchCircle(GraphContext *ctx, i32 radiusGiven) {
  GraphView &v = ctx->view;
  g_circle[1] = v.extXlow;
  g_circle[2] = v.extYlow;
  if (radiusGiven) {
    g_circle[0] = v.extXhigh;
  } else {
    const BcdReal dx = Sub(v.extXlow, v.extXhigh), dy = Sub(v.extYlow, v.extYhigh);
    BcdReal r;
    const BcdReal sum = Add(Mul(dx, dx), Mul(dy, dy));
    RealSqrt(&sum, &r);
    g_circle[0] = *RealNormalize(&r, &r);
  }
  const GraphView keepView = v;
  const u8 keepScreen = ctx->screenFlags, keepOpt = ctx->optionFlags;
  GraphEntry *keepEntries = ctx->entries;
  ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphAngleMask) | (1 << 2));
  ctx->optionFlags &= static_cast<u8>(~kGraphOptPlot);
  RealSetZero(&v.tmin);
  RealSetTwoPi(&v.tmax);
  v.tpitch = Parse("0.10471975511966");
  v.plotTmin = v.tmin;
  v.plotTmax = v.tmax;
  GraphEntry table[2] = {};
  table[0].type = kGraphTypeT | kGraphTypeParam | kGraphTypeBuiltin;
  table[0].builtinParam = CirclePoint;
  table[0].style = ctx->lineStyle != 0 ? ctx->lineStyle : u8{kGraphStyleNormal};
  ctx->entries = table;
  const u32 e = GraphPlotAll(ctx);
  ctx->entries = keepEntries;
  const BcdReal ext[4] = {v.extXlow, v.extXhigh, v.extYlow, v.extYhigh};
  v = keepView;
  v.extXlow = ext[0];
  v.extXhigh = ext[1];
  v.extYlow = ext[2];
  v.extYhigh = ext[3];
  ctx->screenFlags = keepScreen;
  ctx->optionFlags = keepOpt;
  if (e != 0) GmemDeleteGraphRecord();
  return e;
}

i32 GraphDrawText(const char *text, u16 code, i32 x, i32 y, u8 *planes, i32, u8 runFlags) {
  if (y > 58) return x;
  const i32 last = (runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn;
  char one[3] = {};
  if (text == nullptr) {
    if (code > 0xFF) {
      one[0] = static_cast<char>(code >> 8);
      one[1] = static_cast<char>(code & 0xFF);
    } else {
      one[0] = static_cast<char>(code);
    }
    text = one;
  }
  for (const char *p = text;;) {
    int len = 0;
    const u16 c = FontReadChar(p, &len);
    if (len == 0) break;
    p += len;
    int width = kFontMiniFallbackWidth;
    const u8 *rows = LcdGetMiniGlyph(c, &width);
    if (rows == nullptr) rows = kFontMiniFallbackRows;
    if (x + width - 1 > last) break;
    for (i32 r = 0; r < 6; ++r)
      for (i32 k = 0; k < width; ++k)
        if (rows[r] & (0x80 >> k)) {
          GraphPlotPixel(x + k, y + r, planes, kGraphOpSet0, runFlags);
          if (y + r >= 0 && y + r < 64 && x + k >= 0 && x + k < 128) LcdSetPixel(x + k, y + r, 1);
        }
    x += width + 1;
  }
  return x;
}
