// The distribution and test graphs: window, densities, drawing and the
// graph's key loop with its read-outs.
#include "apps/stat/dist_graph.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "apps/stat/stat_data.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/stat_special.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/keyqueue.h"
#include "number/numtext.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace statreal;

static_assert(offsetof(DistGraph, ctx) == 0, "the callbacks find the graph from its context");

namespace {
constexpr u32 kMatAns = 0;

// Read-out keys of the graph's page.
constexpr u32 kKeyZ = 1, kKeyT = 2, kKeyChi = 3, kKeyF = 4, kKeyP = 5;
constexpr u32 kKeyAnovaTrace = 30210;
constexpr u32 kKeyXInput = 30245;

DistGraph g_graph;

R Arg(GraphContext *ctx, u32 i) { return DistGraphOf(ctx)->arg[i]; }

u32 Result(const R &v, BcdReal *out) {
  *out = v;
  return RealErrorCode(out);
}

bool IsPd(u32 id) { return id >= kDistGraphNormPd && id <= kDistGraphFPd; }

// ---- the window ----

struct Preset {
  const char *v[7];  // Xmin, Xmax, Xscale, Xdot, Ymin, Ymax, Yscale
};
const Preset kNormalPreset{{"-3.2", "3.2", "1", "0.0507936507936507", "-0.1", "0.45", "0.1"}};
const Preset kChiPreset{{"0", "11.5", "2", "0.0912698412698412", "-0.1", "0.5", "0.1"}};
const Preset kFPreset{{"-0.3", "6", "1", "0.05", "-0.25", "1.1", "0.2"}};
const Preset kInitialPreset{{"-6.3", "6.3", "1", "0.1", "-3.1", "3.1", "1"}};

const Preset &PresetOf(u32 id) {
  switch (id) {
    case kDistGraphChi:
    case kDistGraphChiPd: return kChiPreset;
    case kDistGraphTwoF:
    case kDistGraphFPd: return kFPreset;
    case kDistGraphAnova: return kInitialPreset;
    default: return kNormalPreset;
  }
}

// Ymin = low - h/4 and Ymax = high + h/10 with h = high - low.
void WidenY(VwinRecord *w, const R &low, const R &high) {
  const R h = Sub(high, low);
  w->f[kVwinYmin] = Sub(low, Div(h, Int(4)));
  w->f[kVwinYmax] = Add(high, Div(h, Int(10)));
}

// The numbers of levels of the two factors: 0, or 9 when a factor has none
// or Mat Ans, which the means are read from by level numbers, is smaller
// than the levels (changed since the ANOVA).
u32 AnovaLevels(u32 *nA, u32 *nB) {
  *nA = *nB = 0;
  StatDataListSize(kDistAnovaLevelsA, nA);
  StatDataListSize(kDistAnovaLevelsB, nB);
  u32 rows = 0, cols = 0;
  if (*nA == 0 || *nB == 0 || StatMatDims(kMatAns, &rows, &cols) != 0 || rows < *nA || cols < *nB)
    return kStatErrDimension;
  return 0;
}

u32 AnovaWindow(VwinRecord *w) {
  u32 nA = 0, nB = 0;
  if (AnovaLevels(&nA, &nB) != 0 || nA == 1) return kStatErrRange;
  const R x1 = One(), x2 = Int(static_cast<i16>(nA > 999 ? 999 : nA));
  const R d = Div(Sub(x2, x1), Int(20));
  w->f[kVwinXmin] = Sub(x1, d);
  w->f[kVwinXmax] = Add(x2, d);
  R lo{}, hi{};
  for (u32 a = 1; a <= nA; ++a)
    for (u32 b = 1; b <= nB; ++b) {
      R v;
      if (StatMatGetReal(kMatAns, a, b, &v) != 0) return kStatErrRange;
      if (a == 1 && b == 1) lo = hi = v;
      if (Lt(v, lo)) lo = v;
      if (Gt(v, hi)) hi = v;
    }
  if (Eq(lo, hi)) return kStatErrRange;
  const R d2 = Div(Sub(hi, lo), Int(4));
  w->f[kVwinYmin] = Sub(lo, d2);
  w->f[kVwinYmax] = Add(hi, d2);
  return 0;
}

// ---- the read-outs ----

// The density of the graph's curve at x (the P.D graphs by id, the tests by
// their statistic's distribution).
u32 DensityAt(GraphContext *ctx, const R &x, R *out) {
  switch (DistGraphOf(ctx)->id) {
    case kDistGraphOneT:
    case kDistGraphTwoT:
    case kDistGraphTPd: return DistDensityT(&x, out, ctx, 0);
    case kDistGraphChi:
    case kDistGraphChiPd: return DistDensityChi(&x, out, ctx, 0);
    case kDistGraphTwoF:
    case kDistGraphFPd: return DistDensityF(&x, out, ctx, 0);
    case kDistGraphNormPd: return DistDensityNormal(&x, out, ctx, 0);
    default: return DistDensityNormalStd(&x, out, ctx, 0);
  }
}

// name=a at the bottom left and, unless single, nameB=b beside it; nothing
// with Coord Off.
void ShowTwoValues(const R &a, const R &b, const char *nameA, const char *nameB, bool single) {
  if (SetupGetItem(kSetupCoord) == 1) return;
  GraphShowValue(1, 8, nameA, &a, false);
  if (!single) GraphShowValue(17, 8, nameB, &b, false);
}

void PlacePointer(GraphContext *ctx, const R &x, const R &y, GraphPointer *c) {
  std::memset(c, 0, sizeof *c);
  const u32 code = GraphXToColumn(&x, &c->col, &ctx->view, ctx->runFlags) | GraphYToRow(&y, &c->row, &ctx->view);
  c->hidden = code != 0;
}

bool ChangedByScreen(u32 key, i32 *result) {
  if (key == kKeyVWindow) {
    *result = GraphOpenVwinScreen(static_cast<i8>(0)) ? kGraphExitChanged : 0;
    return true;
  }
  if (key == kKeySetup) {
    *result = GraphRunSetup() ? kGraphExitChanged : 0;
    return true;
  }
  return false;
}

// One key with the pointer drawn: 0 for the keys the read-out of `mode`
// moves on (*key says which), -12 for a digit typed in the x input (*key
// the digit), or the result that ends the read-out.
i32 KeyWait(GraphContext *ctx, u32 *key, u32 mode, GraphPointer *c) {
  const bool moves = mode == kKeyAnovaTrace || mode == kKeyXInput;
  for (;;) {
    u32 typed = 0;
    const u32 k = GraphCursorKey(c, kCursorPointer, &typed);
    *key = k;
    i32 r = 0;
    if (typed != 0) {
      if (mode == kKeyXInput && typed >= '0' && typed <= '9') {
        *key = typed;
        return kGraphExitExe;
      }
      continue;
    }
    if (ChangedByScreen(k, &r)) return r;
    switch (k) {
      case kKeyQuit: return kGraphExitQuit;
      case kKeyGraphTable: return kGraphExitShown;
      case kKeyExit: return kGraphExitExit;
      case kKeyAc: return kGraphExitAc;
      case kGraphKeyPictStore:
      case kGraphKeyPictRecall: GraphPictPrompt(static_cast<i32>(k), ctx); continue;
      case kKeyUp:
      case kKeyDown:
        if (moves) return 0;
        continue;
      case kKeyLeft:
      case kKeyRight:
        if (moves || mode == kKeyZ || mode == kKeyT || mode == kKeyF) return 0;
        continue;
      case kKeyXThetaT:
      case kKeyXInput:  // Y-CAL again: a new x
        if (mode == kKeyXInput) return 0;
        continue;
      default: continue;
    }
  }
}

bool RepeatKey(u32 key) { return key == kKeyVWindow || key == kKeySetup; }

// A read-out: a (and b unless null) stored into the variables their names
// start with and shown, then one key with the pointer at (*px, *py), or
// with no pointer when px is null. KeyWait's result.
i32 ShowAndWait(GraphContext *ctx, u32 mode, const char *nameA, const R &a, const char *nameB, const R *b,
                const R *px, const R *py, u32 *key) {
  GraphStoreVar(static_cast<u8>(nameA[0]), &a);
  if (b != nullptr) GraphStoreVar(static_cast<u8>(nameB[0]), b);
  ShowTwoValues(a, b ? *b : a, nameA, nameB, b == nullptr);
  GraphPointer c;
  std::memset(&c, 0, sizeof c);
  c.hidden = 1;
  if (px != nullptr) PlacePointer(ctx, *px, *py, &c);
  return KeyWait(ctx, key, mode, &c);
}

// The statistic at its bounds (Z, T, F: LEFT and RIGHT switch between the
// two), or at its one bound (chi-square).
i32 StatisticReadout(GraphContext *ctx, u32 mode) {
  DistGraph *g = DistGraphOf(ctx);
  static const char *const kName[5] = {"", "Z=", "T=", "C=", "F="};
  u32 k = 0;
  for (;;) {
    const R x = g->bounds[k];
    R y;
    DensityAt(ctx, x, &y);
    GraphPrepareScreen(ctx);
    u32 key = 0;
    const i32 r = ShowAndWait(ctx, mode, kName[mode], x, "", nullptr, &x, &y, &key);
    if (r != 0) return r;
    if (!RepeatKey(key) && mode != kKeyChi) k ^= 1;
  }
}

i32 PReadout(GraphContext *ctx) {
  DistGraph *g = DistGraphOf(ctx);
  for (;;) {
    GraphPrepareScreen(ctx);
    u32 key = 0;
    const i32 r = ShowAndWait(ctx, kKeyP, "P=", g->p, "", nullptr, nullptr, nullptr, &key);
    if (r != 0) return r;
  }
}

R AnovaMean(u32 a, u32 b) {
  R v;
  if (const u32 e = StatMatGetReal(kMatAns, a, b, &v)) return Error(static_cast<u8>(e));
  return v;
}

i32 AnovaReadout(GraphContext *ctx) {
  u32 nA = 0, nB = 0;
  if (const u32 e = AnovaLevels(&nA, &nB)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitExit;
  }
  u32 a = 1, b = 1;
  for (;;) {
    GraphPrepareScreen(ctx);
    if (SetupGetItem(kSetupGraphFunc) == 0) {
      R level;
      StatDataListGet(kDistAnovaLevelsB, b, &level);
      Value v{};
      v.re = level;
      char cell[kNumTextSize];
      NumFormatCell10(&v, cell);
      const char *t = cell;
      while (*t == ' ') ++t;
      char title[kNumTextSize + 16];
      std::snprintf(title, sizeof title, "Factor B:%s", t);
      TextLocate(1, 1);
      TextPrintField(title, 21);
    }
    const R x = Int(static_cast<i16>(a)), m = AnovaMean(a, b);
    u32 key = 0;
    const i32 r = ShowAndWait(ctx, kKeyAnovaTrace, "A=", x, "M=", &m, &x, &m, &key);
    if (r != 0) return r;
    switch (key) {
      case kKeyUp: b = b > 1 ? b - 1 : nB; break;
      case kKeyDown: b = b < nB ? b + 1 : 1; break;
      case kKeyLeft: if (a > 1) --a; break;
      case kKeyRight: if (a < nA) ++a; break;
      default: break;
    }
  }
}

i32 XReadout(GraphContext *ctx) {
  u32 first = 0;
  for (;;) {
    // Y-CAL pressed again during the read-out left its page open.
    FkeyRestoreLevelRoot();
    R x;
    if (const i32 r = DistReadX(first, &x, ctx)) return r;
    for (;;) {
      R y;
      DensityAt(ctx, x, &y);
      GraphPrepareScreen(ctx);
      u32 key = 0;
      const i32 r = ShowAndWait(ctx, kKeyXInput, "X=", x, "P=", &y, &x, &y, &key);
      if (r == kGraphExitExe) {
        first = key;
        break;
      }
      if (r != 0) return r;
      if (RepeatKey(key)) continue;
      first = 0;
      break;
    }
  }
}

// ---- the screen's menu ----

constexpr u16 kMenuMask = 198;
constexpr u32 kPageCount = 2;
constexpr FkeyItem kBlank{0, kFkeyBlank, 0};
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }

// The SHIFT group of a graph: the ANOVA means and the densities have tools
// of their own, the test graphs the plain graph tools.
u16 ShiftVariantOf(u32 id) { return id == kDistGraphAnova ? 19 : IsPd(id) ? 20 : 6; }

// The application pages: a test graph's statistic and p-value, else the
// pages of the graph's SHIFT group, so the row reads the same with and
// without SHIFT. Returns the number of pages written.
u32 PagesOf(u32 id, FkeyItem pages[kPageCount * 6]) {
  if (id != kDistGraphAnova && !IsPd(id)) {
    for (u32 i = 0; i < 6; ++i) pages[i] = kBlank;
    static const i16 kIcon[5] = {0, 819, 820, 821, 822};
    const u32 k = id <= kDistGraphTwoPropZ ? kKeyZ : id <= kDistGraphTwoT ? kKeyT : id == kDistGraphChi ? kKeyChi : kKeyF;
    pages[0] = Code(kIcon[k], k);
    pages[1] = Code(224, kKeyP);
    return 1;
  }
  FkeyItem all[21 * 6];
  const u32 n = FkeyShiftGroupPages(ShiftVariantOf(id), all);
  const u32 count = n < kPageCount ? n : kPageCount;
  std::memcpy(pages, all, count * 6 * sizeof(FkeyItem));
  return count;
}

void RepaintGraph(void *ctx) { GraphPrepareScreen(static_cast<GraphContext *>(ctx)); }

i32 ScreenKeys(GraphContext *ctx) {
  const u32 id = DistGraphOf(ctx)->id;
  for (;;) {
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    i32 r = 0;
    if (ChangedByScreen(key, &r)) {
      if (r != 0) return r;
      GraphPrepareScreen(ctx);
      continue;
    }
    // A read-out started from a sub-page (G-SLV) shows the graph's own row.
    if ((key >= kKeyZ && key <= kKeyP) || key == kKeyAnovaTrace || key == kKeyXInput) FkeyRestoreLevelRoot();
    switch (key) {
      case kKeyExit:
      case kKeyGraphTable: return kGraphExitShown;
      case kKeyQuit: return kGraphExitQuit;
      case kGraphKeyPictStore:
      case kGraphKeyPictRecall: GraphPictPrompt(static_cast<i32>(key), ctx); continue;
      case kKeyZ:
      case kKeyT:
      case kKeyChi:
      case kKeyF:
        if (id <= kDistGraphTwoF) r = StatisticReadout(ctx, key);
        break;
      case kKeyP:
        if (id <= kDistGraphTwoF) r = PReadout(ctx);
        break;
      case kKeyAnovaTrace:
        if (id == kDistGraphAnova) r = AnovaReadout(ctx);
        break;
      case kKeyXInput:
        if (IsPd(id)) r = XReadout(ctx);
        break;
      default: continue;
    }
    FkeyRestoreLevelRoot();
    if (r == kGraphExitChanged || r == kGraphExitAc || r == kGraphExitExe || r == kGraphExitShown ||
        r == kGraphExitQuit)
      return r;
    GraphPrepareScreen(ctx);
  }
}

// Loads "VWIN" into the context for a single full screen.
u32 LoadWindow(GraphContext *ctx) {
  GraphInitContext(ctx);
  ctx->screenFlags &= static_cast<u8>(~kGraphScreenModeMask);
  return GraphLoadVwin(ctx, 1);
}

// Draws the graph afresh: 0, or -2 after a shown error.
i32 Draw(DistGraph *g) {
  if (u32 e = LoadWindow(&g->ctx)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitExit;
  }
  GraphClearBuffer(&g->ctx);
  GraphCopyBuffer(&g->ctx, 0);
  if (u32 e = DistGraphDrawEntries(&g->ctx)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitExit;
  }
  GraphPrepareScreen(&g->ctx);
  return 0;
}

}  // namespace

DistGraph *DistGraphCurrent() { return &g_graph; }

DistGraph *DistGraphOf(GraphContext *ctx) { return reinterpret_cast<DistGraph *>(ctx); }

u32 DistGraphSetUp(DistGraph *g, u32 id, u32 shade, const BcdReal bounds[2], const BcdReal args[3], const BcdReal *p) {
  std::memset(g->entries, 0, sizeof g->entries);
  g->id = id;
  g->shade = shade;
  g->bounds[0] = bounds ? bounds[0] : Zero();
  g->bounds[1] = bounds ? bounds[1] : Zero();
  for (u32 i = 0; i < 3; ++i) g->arg[i] = args ? args[i] : Zero();
  g->p = p ? *p : Zero();
  R k = Zero();
  switch (id) {
    case kDistGraphOneT:
    case kDistGraphTwoT:
    case kDistGraphTPd: {
      const R h = Div(g->arg[0], Two());
      StatLnBetaHalf(&h, &k);
      g->arg[1] = k;
      break;
    }
    case kDistGraphChi:
    case kDistGraphChiPd: {
      const R h = Div(g->arg[0], Two());
      R ln2 = Zero(), lg;
      RealSetLn2(&ln2);
      StatLnGamma(&h, &lg);
      k = Sub(Neg(Mul(h, ln2)), lg);
      g->arg[1] = k;
      break;
    }
    case kDistGraphTwoF:
    case kDistGraphFPd: {
      const R d1 = g->arg[0], d2 = g->arg[1], a = Div(d1, Two()), b = Div(d2, Two());
      R lb;
      StatLnBeta(&a, &b, &lb);
      k = Sub(Add(Mul(a, Ln(d1)), Mul(b, Ln(d2))), lb);
      g->arg[2] = k;
      break;
    }
    default: break;
  }
  if (id == kDistGraphAnova) return 0;
  static const GraphBuiltinFunc kDensity[5] = {DistDensityNormalStd, DistDensityT, DistDensityChi, DistDensityF,
                                               DistDensityNormal};
  u32 which = 0;
  switch (id) {
    case kDistGraphOneT:
    case kDistGraphTwoT:
    case kDistGraphTPd: which = 1; break;
    case kDistGraphChi:
    case kDistGraphChiPd: which = 2; break;
    case kDistGraphTwoF:
    case kDistGraphFPd: which = 3; break;
    case kDistGraphNormPd: which = 4; break;
    default: break;
  }
  GraphEntry &e = g->entries[0];
  e.builtin = kDensity[which];
  e.style = kGraphStyleNormal;
  e.type = kGraphTypeBuiltin | kGraphTypeX | kGraphTypeFunc;
  if (shade != kDistShadeNone) {
    e.type |= kGraphTypeArea | shade;
    e.areaBounds = g->bounds;
  }
  g->ctx.entries = g->entries;
  return RealErrorCode(&k);
}

u32 DistGraphVwin(GraphContext *ctx, VwinRecord *rec) {
  const DistGraph *g = DistGraphOf(ctx);
  VwinRecord w = *rec;
  if (g->id >= kDistGraphAnova && SetupGetItem(kSetupStatWind) == 1) return 0;
  const Preset &preset = PresetOf(g->id);
  for (u32 i = 0; i < 7; ++i) w.f[i] = Num(preset.v[i]);
  if (g->id == kDistGraphTwoF || g->id == kDistGraphFPd) {
    const R d1 = g->arg[0], d2 = g->arg[1];
    if (Gt(d1, Two())) {
      const R m = Div(Sub(Mul(d1, d2), Mul(Two(), d2)), Add(Mul(d1, d2), Mul(Two(), d1)));
      R peak;
      if (!IsErr(m) && DistDensityF(&m, &peak, ctx, 0) == 0 && !Eq(peak, Zero())) WidenY(&w, Zero(), peak);
    }
  }
  if (g->id == kDistGraphAnova)
    if (u32 e = AnovaWindow(&w)) return e;
  if (g->id == kDistGraphNormPd) {
    const R sigma = g->arg[0], mu = g->arg[1];
    R s = Mul(Int(4), sigma);
    if (Ge(Abs(Div(mu, s)), Num("1e12"))) s = Zero();
    R xmin = Sub(mu, s), xmax = Add(mu, s);
    const R d = Div(Sub(xmax, xmin), Int(20));
    w.f[kVwinXmin] = Sub(xmin, d);
    w.f[kVwinXmax] = Add(xmax, d);
    R peak;
    DistDensityNormal(&mu, &peak, ctx, 0);
    WidenY(&w, Zero(), peak);
  }
  for (u32 i = 0; i < 7; ++i)
    if (IsErr(w.f[i])) return kStatErrRange;
  VwinSetDots(&w);
  if (Eq(w.f[kVwinXdot], Zero())) return kStatErrRange;
  if (VwinCheckValues(&w) != 0) return kStatErrRange;
  *rec = w;
  return 0;
}

// ---- densities ----

u32 DistDensityNormalStd(const BcdReal *x, BcdReal *out, GraphContext *, i32) {
  const R v = *x;
  return Result(Mul(Num("0.398942280401432"), Exp(Neg(Div(Mul(v, v), Two())))), out);
}

u32 DistDensityT(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32) {
  const R nu = Arg(ctx, 0);
  R lk;
  StatTLogKernel(x, &nu, &lk);
  return Result(Exp(Sub(lk, Arg(ctx, 1))), out);
}

u32 DistDensityChi(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32) {
  if (IsErr(*x)) return Result(*x, out);
  if (Le(*x, Zero())) return Result(Zero(), out);
  const R h = Div(Arg(ctx, 0), Two());
  return Result(Exp(Sub(Add(Mul(Sub(h, One()), Ln(*x)), Arg(ctx, 1)), Div(*x, Two()))), out);
}

u32 DistDensityF(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32) {
  if (IsErr(*x)) return Result(*x, out);
  if (Le(*x, Zero())) return Result(Zero(), out);
  const R d1 = Arg(ctx, 0), d2 = Arg(ctx, 1), k = Arg(ctx, 2);
  const R a = Div(d1, Two()), s = Div(Add(d1, d2), Two());
  return Result(Exp(Sub(Add(k, Mul(Sub(a, One()), Ln(*x))), Mul(s, Ln(Add(Mul(d1, *x), d2))))), out);
}

u32 DistDensityNormal(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32) {
  StatNormRec r{};
  r.x = *x;
  r.sigma = Arg(ctx, 0);
  r.mu = Arg(ctx, 1);
  if (u32 e = StatNormPd(0, &r)) return Result(Error(static_cast<u8>(e)), out);
  return Result(r.pd, out);
}

// ---- drawing ----

u32 DistGraphDrawEntries(GraphContext *ctx) {
  LcdShowBusyIndicator();
  KeyBreakArm();
  const DistGraph *g = DistGraphOf(ctx);
  if (g->id == kDistGraphAnova) return DistDrawAnovaMeans(ctx);
  ctx->entries = DistGraphOf(ctx)->entries;
  return GraphPlotAll(ctx);
}

u32 DistDrawAnovaMeans(GraphContext *ctx) {
  u32 nA = 0, nB = 0;
  if (const u32 e = AnovaLevels(&nA, &nB)) return e;
  for (u32 b = 1; b <= nB; ++b) {
    i32 pc = 0, pr = 0;
    bool prev = false;
    for (u32 a = 1; a <= nA; ++a) {
      if (KeyBreakPoll() != 0) return kStatErrBreak;
      const R x = Int(static_cast<i16>(a > 999 ? 999 : a)), y = AnovaMean(a, b);
      i32 col = 0, row = 0;
      // A point beyond the wide drawing area (or an error mean) is left
      // out and breaks the series; lines to points just off the screen are
      // clipped by the dots.
      if (GraphXToColumnWide(&x, &col, &ctx->view, ctx->runFlags) | GraphYToRowWide(&y, &row, &ctx->view)) {
        prev = false;
        continue;
      }
      const bool shown = col >= 1 && col <= kGraphLastColumn && row >= 1 && row <= kGraphLastRow;
      if (shown) {
        GraphDrawMark(col, row, 1, ctx->planes, kGraphOpSet0, ctx->runFlags);
        if (!prev) GraphPlotPixel(col, row, ctx->planes, kGraphOpSet0, ctx->runFlags);
      }
      if (prev) GraphDrawLine(pc, pr, col, row, ctx->planes, kGraphStyleNormal, ctx->runFlags);
      pc = col, pr = row, prev = true;
    }
  }
  return 0;
}

// ---- the screen ----

i32 DistGraphScreen(GraphContext *ctx) {
  const u32 id = DistGraphOf(ctx)->id;
  const u16 mask = KeyGetMenuMask();
  u16 groups[6];
  FkeySaveGroups(groups);
  const FkeyItem *saved[kPageCount];
  FkeySavePages(0, kPageCount - 1, saved);
  FkeyBuildOptGroup(5);
  FkeyBuildShiftGroup(ShiftVariantOf(id));
  KeySetMenuMask(kMenuMask);
  FkeyItem pages[kPageCount * 6];
  const u32 count = PagesOf(id, pages);
  for (u32 i = 0; i < count; ++i) FkeySetPage(static_cast<i32>(i), pages + 6 * i);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  const KeyRootRow outer = KeySetRootRowHook({RepaintGraph, ctx});
  const i32 r = ScreenKeys(ctx);
  KeySetRootRowHook(outer);
  FkeyPopLevel();
  FkeyRestorePages(0, kPageCount - 1, saved);
  FkeyRestoreGroups(groups);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return r;
}

i32 DistGraphShow(DistGraph *g) {
  GraphContext *ctx = &g->ctx;
  ctx->entries = g->entries;
  // The test graphs always take their window; a P.D or ANOVA graph keeps
  // the current one under Stat Wind Manual.
  VwinRecord w;
  if (GmemReadVwin(&w) != 0) {
    if (GmemResetVwin(1) != 0 || GmemReadVwin(&w) != 0) {
      ErrBox(4);
      return kGraphExitExit;
    }
  }
  if (u32 e = DistGraphVwin(ctx, &w)) {
    ErrBox(static_cast<i32>(e));
    return kGraphExitExit;
  }
  if (GmemWriteVwin(&w) != 0) {
    ErrBox(4);
    return kGraphExitExit;
  }
  if (const i32 r = Draw(g)) return r;
  const i32 r = DistGraphScreen(ctx);
  GmemWriteScreen(ctx->planes);
  return r;
}

i32 DistGraphRedraw(DistGraph *g) {
  GraphContext *ctx = &g->ctx;
  ctx->entries = g->entries;
  if (LoadWindow(ctx) != 0 || GmemReadScreen(ctx->planes) != 0) {
    ErrBox(4);
    return kGraphExitExit;
  }
  GraphPrepareScreen(ctx);
  const i32 r = DistGraphScreen(ctx);
  GmemWriteScreen(ctx->planes);
  return r;
}

i32 DistReadX(u32 key, BcdReal *x, GraphContext *) {
  if (key != 0 && !StatIsVarNameChar(key)) return kGraphExitNothing;
  u8 pointer[9];
  GraphSaveCursorState(pointer);
  for (;;) {
    u32 k = key;
    R v = Zero();
    // With no key the input starts empty.
    const i32 r = StatXValuePopup(1, &k, &v);
    GraphRestoreCursorState(pointer);
    if (r != 0) return kGraphExitExit;
    *x = v;
    return 0;
  }
}

i32 StatXValuePopup(u32 typed, u32 *key, BcdReal *x) {
  PopupOpenFramed(3);
  const i32 row = PopupFirstRow(3);
  char text[32];
  MsgTextPlain(443, text, sizeof text);
  TextLocate(3, row);
  TextPrint(text);
  const i32 r = EditReadNumber(typed, key, row + 2, x, "   X:");
  PopupCloseKind5();
  return r;
}

u32 StatIsVarNameChar(u32 code) {
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return 1;
  static const u32 kOthers[] = {15,  40,  41,  46,  129, 130, 131, 133, 134, 135, 137, 139, 145, 146, 147, 149,
                                150, 153, 155, 165, 168, 169, 181, 184, 185, 205, 206, 208, 32592};
  for (u32 c : kOthers)
    if (c == code) return 1;
  return 0;
}
