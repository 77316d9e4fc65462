// The financial graphs. Each sets the V-Window from its data, draws into a
// graph context of its own (vertical lines from the x axis, a line, dots),
// shows it and runs a small key loop whose F1 traces the graph's points.
#include "apps/finance/fin_graph.h"
#include "apps/finance/fin_real.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "graph/engine/graph_draw.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

using namespace fin_real;

constexpr u16 kGraphMask = 231;
constexpr i32 kGraphMenu = 24;
constexpr u32 kMaxTraceLine = 16;

// The context of the graph on the screen (too large for the stack of the
// calculator thread's screens).
GraphContext g_ctx;

// What the read-out shows at a trace point, and where the point lies.
struct Readout {
  BcdReal x, y;
  const char *label7;  // row 7, left half (null: nothing)
  BcdReal value7;
  const char *label8;  // row 8, left half
  BcdReal value8;
  const char *label8r;  // row 8, right half (null: blank)
  BcdReal value8r;
};
// Point k (1..count) of the graph on the screen.
using PointFn = void (*)(u32 k, Readout *out);

// Label padded to six characters ending in '=' and the value six digits
// wide ("ERROR" for an error value), padded to 16 characters.
void ReadoutText(const char *label, const BcdReal &v, char *out) {
  char cell[kNumTextSize];
  if (RealErrorCode(&v)) {
    std::snprintf(cell, sizeof cell, "ERROR");
  } else {
    Value val{};
    val.re = v;
    NumFormatCell6(&val, cell);
  }
  const char *c = cell;
  while (*c == ' ') ++c;
  // "   PV=" then the cell, cut or padded to 16 characters.
  std::memset(out, ' ', kMaxTraceLine);
  out[kMaxTraceLine] = 0;
  const size_t len = std::strlen(label) < 5 ? std::strlen(label) : 5;
  std::memcpy(out + 5 - len, label, len);
  out[5] = '=';
  for (u32 i = 6; i < kMaxTraceLine && *c; ++i) out[i] = *c++;
}

void ShowReadout(const Readout &r) {
  LcdClearArea(LcdRect{0, r.label7 ? 48 : 56, 127, 63});
  char text[kMaxTraceLine + 1];
  if (r.label7) {
    ReadoutText(r.label7, r.value7, text);
    TextPrintMiniAtCell(1, 7, text, 16);
  }
  ReadoutText(r.label8, r.value8, text);
  TextPrintMiniAtCell(1, 8, text, 16);
  if (r.label8r) {
    ReadoutText(r.label8r, r.value8r, text);
    TextPrintMiniAtCell(17, 8, text, 16);
  }
}

// The 7 x 7 cross of the trace cursor at the dot of (x, y), when it is on
// the screen.
void DrawCursor(const BcdReal &x, const BcdReal &y) {
  i32 col = 0, row = 0;
  if (GraphXToColumn(&x, &col, &g_ctx.view, g_ctx.runFlags) | GraphYToRow(&y, &row, &g_ctx.view)) return;
  LcdDrawLine(col - 3, row, col + 3, row);
  LcdDrawLine(col, row - 3, col, row + 3);
}

// The graph's planes on the display.
void ShowPlanes() {
  u8 bitmap[kGraphPlaneBytes];
  for (u32 i = 0; i < kGraphPlaneBytes; ++i) bitmap[i] = g_ctx.planes[i] | g_ctx.planes[kGraphPlaneBytes + i];
  LcdClearVram();
  GraphShowBuffer(bitmap, 0);
}

// The x axis (the line y = 0) across the screen: 0, or 3 when y = 0 is off it.
u32 DrawXAxis() {
  i32 row = 0;
  const BcdReal zero = Zero();
  if (GraphYToRow(&zero, &row, &g_ctx.view)) return 3;
  GraphDrawLine(1, row, kGraphLastColumn, row, g_ctx.planes, kGraphStyleNormal, g_ctx.runFlags);
  return 0;
}

u32 DrawLine(const BcdReal &x1, const BcdReal &y1, const BcdReal &x2, const BcdReal &y2) {
  i32 c1 = 0, r1 = 0, c2 = 0, r2 = 0;
  if (GraphXToColumn(&x1, &c1, &g_ctx.view, g_ctx.runFlags) | GraphYToRow(&y1, &r1, &g_ctx.view) |
      GraphXToColumn(&x2, &c2, &g_ctx.view, g_ctx.runFlags) | GraphYToRow(&y2, &r2, &g_ctx.view))
    return 3;
  GraphDrawLine(c1, r1, c2, r2, g_ctx.planes, kGraphStyleNormal, g_ctx.runFlags);
  return 0;
}

// A vertical line at x from the x axis to y.
u32 DrawVLine(const BcdReal &x, const BcdReal &y) { return DrawLine(x, Zero(), x, y); }

// The labels of the axes, when SET UP Label is on.
void DrawAxisLabels() {
  if (SetupGetItem(kSetupLabel) != 0) return;
  TextPrintMini(5, 17, "CASH", 32);
  TextPrintMini(107, 43, "TIME", 32);
}

// Prepares the context on the V-Window just written: the screen alone, the
// planes cleared with the grid and background of SET UP; the axes are
// drawn by the graph itself when axes_off.
u32 GraphInit(bool axes_off) {
  GraphInitContext(&g_ctx);
  g_ctx.screenFlags &= static_cast<u8>(~kGraphScreenModeMask);
  g_ctx.runFlags = kGraphRunPlanesOnly;
  if (u32 e = GraphLoadVwin(&g_ctx, 1)) return e;
  g_ctx.runFlags |= kGraphRunPlanesOnly;
  // The graph's own x axis stands for the engine's axes: they are left out
  // for this drawing, and SET UP keeps its setting.
  const u8 axes = SetupGetItem(kSetupAxes);
  if (axes_off) SetupSetItem(kSetupAxes, 1);
  GraphClearBuffer(&g_ctx);
  SetupSetItem(kSetupAxes, axes);
  LcdShowBusyIndicator();
  return 0;
}

// The trace: LEFT and RIGHT step over the points with wrap-around; EXIT and
// SHIFT+EXIT end it. Returns the key that ended it.
u32 Trace(u32 count, PointFn point, const u8 *screen) {
  u32 k = 1;
  for (;;) {
    std::memcpy(LcdVramAddress(), screen, kGraphPlaneBytes);
    Readout r;
    std::memset(&r, 0, sizeof r);
    point(k, &r);
    ShowReadout(r);
    DrawCursor(r.x, r.y);
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (key == kKeyExit || key == kKeyQuit) return key;
    if (key == kKeyLeft) FinStepWrap(&k, count, -1);
    if (key == kKeyRight) FinStepWrap(&k, count, 1);
  }
}

// Shows the drawn graph and runs its keys; st->key is EXIT or SHIFT+EXIT.
u32 GraphKeys(FinScreenState *st, u32 count, PointFn point, bool labels) {
  ShowPlanes();
  if (labels) DrawAxisLabels();
  u8 screen[kGraphPlaneBytes];
  std::memcpy(screen, LcdVramAddress(), sizeof screen);
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kGraphMask);
  // A page of its own, hidden: its keys come back as the plain F-key codes.
  static const FkeyItem kPage[6] = {
      {kFkeyNoIcon, kFkeyKeyCode, kKeyF1}, {kFkeyNoIcon, kFkeyKeyCode, kKeyF2}, {kFkeyNoIcon, kFkeyKeyCode, kKeyF3},
      {kFkeyNoIcon, kFkeyKeyCode, kKeyF4}, {kFkeyNoIcon, kFkeyKeyCode, kKeyF5}, {kFkeyNoIcon, kFkeyKeyCode, kKeyF6}};
  FkeySetPage(kGraphMenu, kPage);
  FkeyClearStack();
  FkeyPushLevel(kGraphMenu);
  FkeyHideRow(1);
  st->key = kKeyExit;
  for (;;) {
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (key == kKeyExit || key == kKeyGraphTable || key == kKeyF6) break;
    if (key == kKeyQuit) {
      st->key = kKeyQuit;
      break;
    }
    if (key == kKeyF1) {
      if (Trace(count, point, screen) == kKeyQuit) st->key = kKeyQuit;
      break;
    }
  }
  FkeyHideRow(0);
  KeyForgetDrawnRow();
  KeySetMenuMask(mask);
  return 0;
}

// ---- the four graphs' data ----

FinMem g_mem;  // the record the graph on the screen was drawn from
BcdReal g_si, g_sfv;
BcdReal g_first;  // compound interest: x of the first payment

void SimplePoint(u32 k, Readout *r) {
  static const char *const kLabels[3] = {"PV", "SI", "SFV"};
  r->x = k == 1 ? Zero() : Decimal(g_mem.n);
  r->y = k == 1 ? Decimal(g_mem.pv) : k == 2 ? g_si : g_sfv;
  r->label8 = kLabels[k - 1];
  r->value8 = r->y;
}

void CmpdPoint(u32 k, Readout *r) {
  static const char *const kLabels[3] = {"PV", "PMT", "FV"};
  r->x = k == 1 ? Zero() : k == 2 ? g_first : Decimal(g_mem.n);
  r->y = Decimal(k == 1 ? g_mem.pv : k == 2 ? g_mem.pmt : g_mem.fv);
  r->label8 = kLabels[k - 1];
  r->value8 = r->y;
}

void CashPoint(u32 k, Readout *r) {
  Value v{};
  if (ItemListGet(0, static_cast<u8>(g_mem.list), k, &v) != 0) RealMakeError(4, &v.re);
  r->x = Int(static_cast<i32>(k - 1));
  r->y = v.re;
  r->label8 = "CF";
  r->value8 = v.re;
}

void AmortPoint(u32 k, Readout *r) {
  BcdReal intr, prn, bal;
  FinAmortPayment(&g_mem, k, &intr, &prn, &bal);
  r->x = Int(static_cast<i32>(k));
  const BcdReal zero = Zero();
  r->y = RealIsLess(&g_mem.pmt, &zero) == 1 ? Abs(intr) : intr;
  r->label7 = "n";
  r->value7 = r->x;
  r->label8 = "INT";
  r->value8 = intr;
  r->label8r = "PRN";
  r->value8r = prn;
}

u32 ReadRecord() { return FinReadMem(&g_mem); }

}  // namespace

void FinStepWrap(u32 *k, u32 count, i32 delta) {
  if (count == 0) return;
  if (delta < 0) {
    *k = *k <= 1 ? count : *k - 1;
  } else {
    *k = *k >= count ? 1 : *k + 1;
  }
}

u32 FinSetVwin(const BcdReal &xmin, const BcdReal &xmax, const BcdReal &ymin, const BcdReal &ymax) {
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0 && (GmemResetVwin(1) != 0 || GmemReadVwin(&rec) != 0)) return 4;
  const BcdReal one = Int(1);
  BcdReal big;
  RealScale10(&one, &big, 98);
  for (const BcdReal *v : {&xmin, &xmax, &ymin, &ymax}) {
    const BcdReal size = Abs(*v);
    if (RealErrorCode(v) || RealIsLess(&big, &size) == 1) return 28;
  }
  rec.f[kVwinXmin] = xmin;
  rec.f[kVwinXmax] = xmax;
  rec.f[kVwinYmin] = ymin;
  rec.f[kVwinYmax] = ymax;
  RealSetZero(&rec.f[kVwinXscale]);
  RealSetZero(&rec.f[kVwinYscale]);
  VwinSetDots(&rec);
  const BcdReal zero = Zero();
  if (RealErrorCode(&rec.f[kVwinXdot]) || RealIsEqual(&rec.f[kVwinXdot], &zero) == 1) return 28;
  return GmemWriteVwin(&rec) ? 4 : 0;
}

u32 FinSimpleGraph(FinScreenState *st) {
  if (ReadRecord()) return 4;
  if (u32 e = FinSimpleSI(&g_mem, &g_si)) return e;
  if (u32 e = FinSimpleSFV(&g_mem, &g_sfv)) return e;
  const BcdReal n = Decimal(g_mem.n), pv = Decimal(g_mem.pv);
  const BcdReal m = Larger(Larger(Abs(pv), Abs(g_si)), Abs(g_sfv));
  if (u32 e = FinSetVwin(Zero(), n, Neg(m), m)) return e;
  if (u32 e = GraphInit(true)) return e;
  if (DrawXAxis() || DrawVLine(Zero(), pv) || DrawVLine(n, g_si) || DrawVLine(n, g_sfv)) return 3;
  return GraphKeys(st, 3, SimplePoint, false);
}

u32 FinCmpdGraph(FinScreenState *st) {
  if (ReadRecord()) return 4;
  FinTvmState tvm;
  if (u32 e = FinPrepareTvm(&g_mem, kFinCmpdList, &tvm)) return e;
  const BcdReal &n = tvm.n;
  const BcdReal zero_n = Zero();
  if (RealIsLessEqual(&n, &zero_n) != 0) return 28;
  const BcdReal m = Larger(Larger(Abs(tvm.pv), Abs(tvm.pmt)), Abs(tvm.fv));
  if (u32 e = FinSetVwin(Zero(), n, Neg(m), m)) return e;
  if (u32 e = GraphInit(true)) return e;
  if (DrawXAxis() || DrawVLine(Zero(), tvm.pv)) return 3;
  const BcdReal one = Int(1);
  g_first = n;
  if (RealIsLessEqual(&n, &one) == 1) {
    if (DrawVLine(n, tvm.pmt) || DrawVLine(n, tvm.fv)) return 3;
  } else {
    // Int(n) payments n / Int(n) apart, the first one step in for End. More
    // payments than dot columns fill every column between the first and the
    // last, one line each.
    BcdReal whole, step, last;
    RealInt(&n, &whole);
    RealDiv(&n, &whole, &step);
    g_first = tvm.bgn ? Zero() : step;
    last = n;
    if (tvm.bgn) RealSub(&n, &step, &last);
    const BcdReal columns = Int(kGraphLastColumn - 1);
    const bool every_column = RealIsLess(&columns, &whole) == 1;
    const i32 count = every_column ? 0 : NumToInt32(&whole);
    i32 c1 = 0, c2 = 0, r0 = 0, r1 = 0;
    const BcdReal zero = Zero();
    if (GraphXToColumn(&g_first, &c1, &g_ctx.view, g_ctx.runFlags) |
        GraphXToColumn(&last, &c2, &g_ctx.view, g_ctx.runFlags) | GraphYToRow(&zero, &r0, &g_ctx.view) |
        GraphYToRow(&tvm.pmt, &r1, &g_ctx.view))
      return 3;
    for (i32 c = c1; every_column && c <= c2; ++c) {
      GraphDrawLine(c, r0, c, r1, g_ctx.planes, kGraphStyleNormal, g_ctx.runFlags);
      if (KeyBreakPoll()) return 1;
    }
    for (i32 k = 0; k < count; ++k) {
      BcdReal x = Int(k);
      RealMul(&x, &step, &x);
      RealAdd(&x, &g_first, &x);
      if (DrawVLine(x, tvm.pmt)) return 3;
      if (KeyBreakPoll()) return 1;
    }
    if (DrawVLine(n, tvm.fv)) return 3;
  }
  return GraphKeys(st, 3, CmpdPoint, false);
}

u32 FinCashGraph(FinScreenState *st) {
  if (ReadRecord()) return 4;
  if (g_mem.list < 1 || g_mem.list > 20) return 8;
  const u8 list = static_cast<u8>(g_mem.list);
  const u32 size = ItemListSize(0, list);
  if (size == 0) return 9;
  if (!ItemListIsReal(0, list)) return 25;
  BcdReal m = Zero();
  for (u32 k = 1; k <= size; ++k) {
    Value v{};
    if (ItemListGet(0, list, k, &v) != 0) return 4;
    m = Larger(m, Abs(Decimal(v.re)));
    if (KeyBreakPoll()) return 1;
  }
  if (u32 e = FinSetVwin(Zero(), Int(static_cast<i32>(size)), Neg(m), m)) return e;
  if (u32 e = GraphInit(false)) return e;
  if (DrawXAxis()) return 4;
  for (u32 k = 1; k <= size; ++k) {
    Value v{};
    if (ItemListGet(0, list, k, &v) != 0 || DrawVLine(Int(static_cast<i32>(k - 1)), Decimal(v.re))) return 4;
    if (KeyBreakPoll()) return 1;
  }
  return GraphKeys(st, size, CashPoint, true);
}

u32 FinAmortGraph(FinScreenState *st) {
  if (ReadRecord()) return 4;
  FinTvmState tvm;
  if (u32 e = FinPrepareTvm(&g_mem, kFinAmortList, &tvm)) return e;
  BcdReal n;
  RealInt(&tvm.n, &n);
  const BcdReal zero = Zero();
  const bool pmt_neg = RealIsLess(&tvm.pmt, &zero) == 1;
  if (RealIsEqual(&tvm.pv, &zero) != 1) {
    const bool pv_neg = RealIsLess(&tvm.pv, &zero) == 1;
    if (RealIsEqual(&tvm.pmt, &zero) == 1 || pv_neg == pmt_neg) return 3;
  }
  if (RealIsLessEqual(&n, &zero) != 0) return 3;
  const BcdReal limit = Int(10000), one = Int(1);
  if (RealIsLess(&n, &one) == 1) return 28;
  if (RealIsLess(&n, &limit) != 1) return 3;
  const i32 count = NumToInt32(&n);
  if (u32 e = FinSetVwin(zero, n, zero, Abs(tvm.pv))) return e;
  if (u32 e = GraphInit(false)) return e;
  DrawLine(zero, Abs(tvm.pmt), n, Abs(tvm.pmt));
  for (i32 k = 1; k <= count; ++k) {
    BcdReal intr, prn, bal;
    if (u32 e = FinAmortPayment(&g_mem, static_cast<u32>(k), &intr, &prn, &bal)) return e;
    const BcdReal y = pmt_neg ? Abs(intr) : intr;
    const BcdReal x = Int(k);
    i32 col = 0, row = 0;
    if (!(GraphXToColumn(&x, &col, &g_ctx.view, g_ctx.runFlags) | GraphYToRow(&y, &row, &g_ctx.view)))
      GraphPlotPixel(col, row, g_ctx.planes, 0, g_ctx.runFlags);
    if (KeyBreakPoll()) return 1;
  }
  return GraphKeys(st, static_cast<u32>(count), AmortPoint, false);
}
