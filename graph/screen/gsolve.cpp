// Graph solve: roots, extrema, the y-intercept, intersections, y at a
// typed x, x at a typed y and the integral between two traced bounds of a
// drawn entry. The search scans the visible range dot by dot and refines a
// bracket by Newton steps; LEFT and RIGHT then look for the next result.
#include <cstring>
#include <initializer_list>

#include "eval/eval.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/graph_trace.h"
#include "graph/screen/gscreen_util.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/task.h"
#include "numeric/integrate.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace gscreen;

namespace {

constexpr u32 kNotFound = 21;
constexpr u32 kMa = 3;

struct Solve {
  GraphContext *ctx;
  u32 code;
  i32 e1, s1, e2, s2;   // the entry (and the second of an intersection)
  BcdReal target;       // X-CAL's y
  BcdReal x, y;         // the current result
  BcdReal prev;         // the previous result (an error value before the first)
  GraphPointer cur;
};

bool IsYStyle(const GraphContext *ctx, i32 idx) { return (ctx->entries[idx].type & kGraphTypeX) != 0; }

BcdReal StepBase(const Solve &s) {
  return IsYStyle(s.ctx, s.e1) ? s.ctx->view.xdot : Abs(s.ctx->view.tpitch);
}

// f of the entry at v: y of a Y= entry, r of a polar entry.
u32 EvalF(const Solve &s, i32 idx, i32 sub, const BcdReal &v, BcdReal *out) {
  const GraphEntry &e = s.ctx->entries[idx];
  if (e.type & kGraphTypeX) return GraphEvalFunc(&v, out, s.ctx, idx, sub);
  if (e.type & kGraphTypePolar) return GraphEvalPolar(&v, out, s.ctx, idx, sub);
  BcdReal x, r;
  return GraphEvalParam(&v, &x, out, &r, s.ctx, idx, sub);
}

// g = f (ROOT), f - target (X-CAL), f1 - f2 (ISECT). Soft failures leave an
// error value with 0.
u32 EvalG(const Solve &s, const BcdReal &v, BcdReal *g) {
  BcdReal f;
  u32 e = EvalF(s, s.e1, s.s1, v, &f);
  if (e != 0) return e;
  if (s.code == kGraphKeyIsect) {
    BcdReal f2;
    e = EvalF(s, s.e2, s.s2, v, &f2);
    if (e != 0) return e;
    *g = Sub(f, f2);
  } else if (s.code == kGraphKeyXCal) {
    *g = Sub(f, s.target);
  } else {
    *g = f;
  }
  return 0;
}

BcdReal SlopeStepOf(const BcdReal &v) {
  i32 e = 0;
  if (!IsZero(&v) && !IsError(&v)) {
    BcdReal a = Abs(v), lg, fl;
    RealLogs(&a, &lg);
    RealIntg(&lg, &fl);
    GraphRoundToInt(&fl, &e);
  }
  BcdReal ten = Int(10), p = Int(e - 8), h;
  RealPow(&ten, &p, &h);
  return *RealNormalize(&h, &h);
}

// Points beyond `to` in the direction dir (+1 right).
bool Beyond(const BcdReal &v, const BcdReal &to, i32 dir) { return dir > 0 ? Less(&to, &v) : Less(&v, &to); }

bool SamePoint(const BcdReal &a, const BcdReal &b) {
  if (IsError(&a) || IsError(&b)) return false;
  const BcdReal d = Abs(Sub(a, b));
  if (IsZero(&d)) return true;
  BcdReal big = Abs(a);
  const BcdReal ab = Abs(b);
  if (Less(&big, &ab)) big = ab;
  const BcdReal lim = Mul(big, Parse("1E-6"));
  return Less(&d, &lim);
}

bool AfterPrev(const Solve &s, const BcdReal &v, i32 dir) {
  if (IsError(&s.prev)) return true;
  return Beyond(v, s.prev, dir) && !SamePoint(v, s.prev);
}

void SnapPoint(const Solve &s, BcdReal *v) {
  const BcdReal base = StepBase(s);
  GraphSnapToZero(v, &base);
}

// The search range's bound in the direction.
BcdReal SearchBound(const Solve &s, i32 dir) {
  const GraphContext *ctx = s.ctx;
  const bool y = IsYStyle(ctx, s.e1);
  BcdReal b = dir < 0 ? (y ? ctx->view.xmin : ctx->view.tmin) : (y ? ctx->view.xmax : ctx->view.tmax);
  auto tighten = [&](i32 idx) {
    if (!(ctx->entries[idx].type & kGraphTypeRanged)) return;
    BcdReal r;
    if (GraphEntryText(dir < 0 ? 0 : 1, ctx->entries, idx, &r) != 0) return;
    if (dir < 0 ? Less(&b, &r) : Less(&r, &b)) b = r;
  };
  tighten(s.e1);
  if (s.code == kGraphKeyIsect) tighten(s.e2);
  return b;
}

bool Negative(const BcdReal &v) {
  const BcdReal zero{};
  return Less(&v, &zero);
}

bool InBracket(const BcdReal &v, const BcdReal &a, const BcdReal &b) { return !Less(&v, &a) && !Less(&b, &v); }

// g is exactly 0 at v.
bool ZeroAt(const Solve &s, const BcdReal &v) {
  BcdReal g;
  return EvalG(s, v, &g) == 0 && IsZero(&g);
}

// Newton inside [a, b] from x: 0 with *out, 21 or an evaluation code.
u32 Newton(const Solve &s, BcdReal x, const BcdReal &a, const BcdReal &b, BcdReal *out) {
  const BcdReal h0 = SlopeStepOf(StepBase(s));
  BcdReal g;
  if (const u32 e = EvalG(s, x, &g)) return e;
  bool success = false;
  i32 restarts = 0, dampings = 0;
  for (i32 it = 0; it < 100; ++it) {
    if (IsError(&g)) break;
    if (IsZero(&g)) {
      success = true;
      break;
    }
    const BcdReal h = SlopeStepOf(x);
    BcdReal ga, gb;
    if (const u32 e = EvalG(s, Add(x, h), &ga)) return e;
    if (const u32 e = EvalG(s, Sub(x, h), &gb)) return e;
    const BcdReal slope = Div(Sub(ga, gb), Mul(h, Int(2)));
    if (IsError(&slope) || IsZero(&slope)) break;
    BcdReal xn = Sub(x, Div(g, slope));
    if (IsError(&xn)) break;
    if (!InBracket(xn, a, b)) return kNotFound;
    BcdReal gn;
    if (const u32 e = EvalG(s, xn, &gn)) return e;
    if (IsError(&gn)) {
      i32 pulls = 0;
      while (IsError(&gn) && pulls < 9) {
        xn = RoundSig(Div(Add(xn, x), Int(2)), 6);
        if (const u32 e = EvalG(s, xn, &gn)) return e;
        ++pulls;
      }
      if (IsError(&gn) || ++restarts > 9) break;
    }
    if (IsZero(&gn)) {
      x = xn;
      g = gn;
      success = true;
      break;
    }
    const BcdReal denom = IsZero(&x) ? Parse("1E-15") : x;
    const BcdReal rel = Abs(Div(Sub(xn, x), denom));
    const BcdReal tiny = Parse("1E-12");
    if (Less(&rel, &tiny)) {
      x = xn;
      g = gn;
      success = true;
      break;
    }
    BcdReal absG = Abs(g), absN = Abs(gn);
    if (!Less(&absN, &absG)) {
      const bool signDiffers = Negative(g) != Negative(gn);
      if (signDiffers) break;
      i32 k = 0;
      while (!Less(&absN, &absG) && k < 30 && dampings < 50) {
        xn = Add(x, Div(Sub(xn, x), Int(3)));
        if (const u32 e = EvalG(s, xn, &gn)) return e;
        if (IsError(&gn)) break;
        absN = Abs(gn);
        ++k;
        ++dampings;
      }
      if (IsError(&gn) || !Less(&absN, &absG)) break;
    }
    x = xn;
    g = gn;
  }
  // Polish: exactly 0 near the origin, or a short rounding that is a root.
  bool polished = false;
  const BcdReal ax = Abs(x);
  if (Less(&ax, &h0) && ZeroAt(s, BcdReal{})) {
    RealSetZero(&x);
    polished = true;
  }
  for (const int digits : {7, 12}) {
    if (polished) break;
    const BcdReal r = RoundSig(x, digits);
    if (ZeroAt(s, r)) {
      x = r;
      polished = true;
    }
  }
  if (success || polished) {
    if (!InBracket(x, a, b)) return kNotFound;
    *out = x;
    return 0;
  }
  BcdReal n;
  const BcdReal xr = Add(x, Parse("0.5"));
  RealIntg(&xr, &n);
  if (ZeroAt(s, n) && InBracket(n, a, b)) {
    *out = n;
    return 0;
  }
  return kNotFound;
}

// Refines the step interval after the scan point p.
u32 Refine(Solve *s, const BcdReal &p, const BcdReal &step, i32 dir, BcdReal *out) {
  const BcdReal q = dir > 0 ? Add(p, step) : Sub(p, step);
  const BcdReal a = Less(&p, &q) ? p : q, b = Less(&p, &q) ? q : p;
  const BcdReal starts[3] = {p, dir > 0 ? Add(p, Div(step, Int(2))) : Sub(p, Div(step, Int(2))), q};
  for (const BcdReal &x0 : starts) {
    BcdReal r;
    const u32 e = Newton(*s, x0, a, b, &r);
    if (e == kNotFound) continue;
    if (e != 0) return e;
    SnapPoint(*s, &r);
    if (!AfterPrev(*s, r, dir)) continue;
    *out = r;
    return 0;
  }
  return kNotFound;
}

bool Near(const BcdReal &g, const BcdReal &half) {
  if (IsError(&g)) return false;
  const BcdReal a = Abs(g);
  return !Less(&half, &a);
}

// The scan for a root (ROOT, X-CAL, ISECT) from *x in the direction.
u32 FindRoot(Solve *s, i32 dir, BcdReal *x) {
  GraphContext *ctx = s->ctx;
  const BcdReal bound = SearchBound(*s, dir);
  const bool yStyle = IsYStyle(ctx, s->e1);
  const BcdReal step = yStyle ? ctx->view.xdot : Abs(ctx->view.tpitch);
  const BcdReal half = Div(yStyle ? ctx->view.ydot : step, Int(2));
  if (s->code == kGraphKeyIsect && Beyond(*x, bound, dir)) return kNotFound;
  const BcdReal x0 = *x;
  BcdReal p, gp;
  bool havePrev = false;
  bool atBound = false;
  for (i32 k = dir > 0 ? 0 : 1;; ++k) {
    BcdReal v = dir > 0 ? Add(x0, Mul(Int(k), step)) : Sub(x0, Mul(Int(k), step));
    SnapPoint(*s, &v);
    if (Beyond(v, bound, dir)) {
      // The last step ends at the bound itself, so a root between the last
      // scan point and the bound is not missed.
      if (atBound || (havePrev && Equal(&p, &bound))) return kNotFound;
      v = bound;
      atBound = true;
    }
    BcdReal g;
    if (const u32 e = EvalG(*s, v, &g)) return e;
    *x = v;
    if (IsZero(&g) && AfterPrev(*s, v, dir)) {
      s->x = v;
      return 0;
    }
    if (havePrev) {
      const bool change = (!IsError(&g) && !IsError(&gp) && Negative(g) != Negative(gp)) || IsError(&g) != IsError(&gp) ||
                          Near(g, half) || Near(gp, half);
      if (change) {
        BcdReal r;
        const u32 e = Refine(s, p, step, dir, &r);
        if (e == 0) {
          s->x = r;
          return 0;
        }
        if (e != kNotFound) return e;
      }
    }
    p = v;
    gp = g;
    havePrev = true;
  }
}

u32 EvalY(const Solve &s, const BcdReal &x, BcdReal *y) { return GraphEvalFunc(&x, y, s.ctx, s.e1, s.s1); }

bool Better(const BcdReal &a, const BcdReal &b, bool max) { return max ? Less(&b, &a) : Less(&a, &b); }
bool AtLeast(const BcdReal &a, const BcdReal &b, bool max) { return !Better(b, a, max); }

// The slope of the entry at v is exactly 0.
bool FlatAt(const Solve &s, const BcdReal &v) {
  BcdReal sl;
  return GraphSlopeAt(&v, &sl, s.ctx, s.e1, s.s1) == 0 && IsZero(&sl);
}

// Bisects the scan bracket [a, c] on the sign of f(x + h) - f(x - h) (rising before a
// maximum, falling after it); *b the middle at the end.
u32 BisectFlat(const Solve &s, bool max, BcdReal *a, BcdReal *c, BcdReal *b) {
  BcdReal lo = *a, hi = *c;
  if (Less(&hi, &lo)) {
    const BcdReal t = lo;
    lo = hi;
    hi = t;
  }
  for (i32 i = 0; i < 48; ++i) {
    const BcdReal mid = Div(Add(lo, hi), Int(2));
    if (Equal(&mid, &lo) || Equal(&mid, &hi)) break;
    BcdReal big = Abs(mid);
    const BcdReal one = Int(1);
    if (Less(&big, &one)) big = one;
    const BcdReal h = Mul(big, Parse("1E-5"));
    BcdReal fp, fm;
    if (const u32 e = EvalY(s, Add(mid, h), &fp)) return e;
    if (const u32 e = EvalY(s, Sub(mid, h), &fm)) return e;
    if (IsError(&fp) || IsError(&fm)) break;
    const BcdReal d = Sub(fp, fm);
    if (IsZero(&d)) {
      lo = hi = mid;
      break;
    }
    const bool rising = !Negative(d);
    if (rising == max) lo = mid;
    else hi = mid;
  }
  *b = Div(Add(lo, hi), Int(2));
  return 0;
}

// MAX and MIN: three points a, b, c stepping by half a dot.
u32 FindExtremum(Solve *s, i32 dir, BcdReal *x) {
  const bool max = s->code == kGraphKeyMax;
  const BcdReal bound = SearchBound(*s, dir);
  const BcdReal h = Div(s->ctx->view.xdot, Int(2));
  const BcdReal hd = dir > 0 ? h : Neg(h);
  BcdReal a = *x, b = Add(a, hd), c = Add(b, hd);
  BcdReal fa, fb, fc;
  if (const u32 e = EvalY(*s, a, &fa)) return e;
  if (const u32 e = EvalY(*s, b, &fb)) return e;
  for (;;) {
    if (Beyond(c, bound, dir)) {
      *x = b;
      return kNotFound;
    }
    if (const u32 e = EvalY(*s, c, &fc)) return e;
    const bool ok = !IsError(&fa) && !IsError(&fb) && !IsError(&fc);
    if (ok && AtLeast(fb, fa, max) && AtLeast(fb, fc, max) && (Better(fb, fa, max) || Better(fb, fc, max))) {
      BcdReal A = a, B = b, C = c, fA = fa, fB = fb, fC = fc;
      BcdReal m1 = Div(Add(A, B), Int(2)), m2 = Div(Add(B, C), Int(2)), f1, f2;
      bool skip = false;
      if (const u32 e = EvalY(*s, m1, &f1)) return e;
      if (const u32 e = EvalY(*s, m2, &f2)) return e;
      if (IsError(&f1) || IsError(&f2) || Equal(&f1, &fA) || Equal(&f2, &fC)) skip = true;
      if (!skip && !IsError(&s->prev) && Beyond(s->prev, A, dir)) skip = true;
      for (i32 pass = 0; pass < 32 && !skip; ++pass) {
        if (Better(f2, fB, max)) {
          A = B, fA = fB, B = m2, fB = f2;
        } else if (Better(f1, fB, max)) {
          C = B, fC = fB, B = m1, fB = f1;
        } else {
          A = m1, fA = f1, C = m2, fC = f2;
        }
        m1 = Div(Add(A, B), Int(2));
        m2 = Div(Add(B, C), Int(2));
        if (const u32 e = EvalY(*s, m1, &f1)) return e;
        if (const u32 e = EvalY(*s, m2, &f2)) return e;
        if (IsError(&f1) || IsError(&f2)) skip = true;
      }
      if (!skip) {
        // The symmetric difference with a wide step changes sign at the
        // extremum to about 1E-10, where the values themselves are flat to
        // the last digit: bisect the bracket on its sign.
        BcdReal wideA = a, wideC = c;
        if (const u32 e = BisectFlat(*s, max, &wideA, &wideC, &B)) return e;
        BcdReal r = B;
        const BcdReal ab = Abs(B), tiny = Parse("1E-13"), one = Int(1);
        BcdReal f0;
        if (Less(&ab, &tiny) && EvalY(*s, BcdReal{}, &f0) == 0 && !IsError(&f0) && FlatAt(*s, BcdReal{})) {
          RealSetZero(&r);
        } else {
          BcdReal big = Abs(B);
          if (Less(&big, &one)) big = one;
          const BcdReal near = Mul(big, Parse("1E-9"));
          for (const int digits : {7, 12}) {
            const BcdReal q = RoundSig(B, digits);
            const BcdReal moved = Abs(Sub(q, B));
            BcdReal fq;
            if (Less(&moved, &near) && EvalY(*s, q, &fq) == 0 && !IsError(&fq) && FlatAt(*s, q)) {
              r = q;
              break;
            }
          }
        }
        if (AfterPrev(*s, r, dir)) {
          s->x = r;
          return 0;
        }
      }
    }
    a = b, fa = fb, b = c, fb = fc;
    c = Add(b, hd);
  }
}

void ShowCaption(u32 code) {
  const char *text = nullptr;
  i32 col = 27;
  switch (code) {
    case kGraphKeyRoot: text = "  ROOT"; break;
    case kGraphKeyMax: text = "  MAX"; break;
    case kGraphKeyMin: text = " MIN"; break;
    case kGraphKeyYIcpt: text = "Y-ICPT"; break;
    case kGraphKeyIsect: text = " ISECT"; break;
    case kGraphKeyYCal: text = " Y-CAL"; break;
    case kGraphKeyXCal: text = " X-CAL"; break;
    case kGraphKeyIntegral: text = "\xE6\xBB" "dx"; col = 30; break;
    case kTraceLower: text = "LOWER"; break;
    case kTraceUpper: text = " UPPER"; break;
    default: return;
  }
  TextPrintMiniAtCell(col, 7, text, 16);
}

// The point of the result on the screen with its labels and read-out.
void ShowResult(Solve *s) {
  GraphContext *ctx = s->ctx;
  GraphPrepareScreen(ctx);
  i32 col = 0, row = 0;
  TracePlace(ctx, &s->x, &s->y, &col, &row, &s->cur.hidden);
  s->cur.col = col;
  s->cur.row = row;
  TraceShowLabel(ctx, s->e1);
  if (s->code == kGraphKeyIsect && (ctx->screenFlags & kGraphLabelMask) == kGraphLabelsShown) GraphShowFuncLabel2(ctx, s->e2);
  if (ctx->optionFlags & kGraphOptCoord) {
    if ((s->code == kGraphKeyMax || s->code == kGraphKeyMin) && (ctx->optionFlags & kGraphOptDerivative)) {
      const BcdReal zero{};
      GraphShowValue(1, 7, "dy/dx=", &zero, true);
    }
    GraphShowTwoValues(&s->x, &s->y);
  }
  ShowCaption(s->code);
  if (s->code == kGraphKeyRoot || s->code == kGraphKeyXCal) {
    if (IsYStyle(ctx, s->e1)) {
      GraphStoreVar('X', &s->x);
      GraphStoreVar('Y', &s->y);
    }
  }
}

// x of the result into its point (x, y) for the display.
u32 ResultPoint(Solve *s) {
  GraphContext *ctx = s->ctx;
  const GraphEntry &e = ctx->entries[s->e1];
  if (e.type & kGraphTypeX) return GraphEvalFunc(&s->x, &s->y, ctx, s->e1, s->s1);
  BcdReal x, y, r;
  const u32 err = GraphEvalParam(&s->x, &x, &y, &r, ctx, s->e1, s->s1);
  s->x = x;
  s->y = y;
  return err;
}

// Runs the search of the code in the direction from *from: 0 with the
// result shown, 21 or an error code.
u32 Search(Solve *s, i32 dir, BcdReal from) {
  BcdReal x = from;
  u32 e = 0;
  if (s->code == kGraphKeyMax || s->code == kGraphKeyMin) e = FindExtremum(s, dir, &x);
  else e = FindRoot(s, dir, &x);
  if (e != 0) return e;
  s->prev = s->x;
  const BcdReal param = s->x;
  if (const u32 pe = ResultPoint(s)) return pe;
  (void)param;
  return 0;
}

// A usable entry and the first point of it on the screen.
struct Usable {
  i32 idx, sub, col, row;
};

// Scans an entry for a defined point: true when usable, *col/*row the first
// point on the screen.
u32 VisiblePoint(GraphContext *ctx, i32 idx, i32 sub, Usable *u, bool *usable) {
  *usable = false;
  const GraphEntry &e = ctx->entries[idx];
  u->idx = idx;
  u->sub = sub;
  u->col = -1;
  const i32 last = (ctx->runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn;
  if (e.type & kGraphTypeX) {
    for (i32 col = 1; col <= last; ++col) {
      BcdReal x, y;
      GraphColumnToX(&x, col, &ctx->view, ctx->runFlags);
      if (const u32 err = GraphEvalFunc(&x, &y, ctx, idx, sub)) return err;
      if (IsError(&y)) continue;
      *usable = true;
      i32 row = 0;
      if (GraphYToRow(&y, &row, &ctx->view) == 0) {
        u->col = col;
        u->row = row;
        return 0;
      }
    }
    return 0;
  }
  BcdReal t = ctx->view.tmin;
  for (i32 k = 0; k < 10000; ++k) {
    if (Less(&ctx->view.tmax, &t)) break;
    BcdReal x, y, r;
    if (const u32 err = GraphEvalParam(&t, &x, &y, &r, ctx, idx, sub)) return err;
    if (!IsError(&x) && !IsError(&y)) {
      *usable = true;
      i32 col = 0, row = 0;
      if ((GraphXToColumn(&x, &col, &ctx->view, ctx->runFlags) | GraphYToRow(&y, &row, &ctx->view)) == 0) {
        u->col = col;
        u->row = row;
        return 0;
      }
    }
    t = Add(t, ctx->view.tpitch);
  }
  return 0;
}

}  // namespace

i32 GsolveSelectEntry(i32 *entry, u32 code, GraphContext *ctx) {
  GraphPrepareScreen(ctx);
  i32 idx = 0, sub = 1;
  if (!GsolveFirstEntry(code, ctx, &idx, &sub)) return kGraphExitNothing;
  Usable list[64];
  i32 n = 0;
  for (i32 i = 0; ctx->entries[i].style != 0 && n < 64; ++i) {
    if (!GsolveAdmits(ctx, i, code)) continue;
    for (i32 k = 1; k <= GraphEntryCurves(ctx, i) && n < 64; ++k) {
      bool usable = false;
      if (const u32 e = VisiblePoint(ctx, i, k, &list[n], &usable)) {
        ErrBox(static_cast<i32>(e));
        return kGraphExitExit;
      }
      if (usable) ++n;
    }
  }
  const i32 need = code == kGraphKeyIsect ? 2 : 1;
  if (n < need) return kGraphExitNothing;
  if (n == need) {
    entry[0] = list[0].idx;
    entry[1] = list[0].sub;
    if (need == 2) {
      entry[2] = list[1].idx;
      entry[3] = list[1].sub;
    }
    return 0;
  }
  // The user steps through the usable entries with UP and DOWN.
  i32 at = 0, first = -1;
  GraphPointer cur{};
  for (;;) {
    GraphPrepareScreen(ctx);
    if (first >= 0 && list[first].col >= 0) GraphDrawFixedMark(list[first].col, list[first].row, 0);
    ShowCaption(code);
    TraceShowLabel(ctx, list[at].idx);
    cur.col = list[at].col;
    cur.row = list[at].row;
    cur.hidden = list[at].col < 0 ? 1 : 0;
    u32 typed = 0;
    const u32 key = GraphCursorKey(&cur, kCursorSelect, &typed);
    if (key == kKeyUp) {
      at = at == 0 ? n - 1 : at - 1;
    } else if (key == kKeyDown) {
      at = at == n - 1 ? 0 : at + 1;
    } else if (key == kKeyExe) {
      if (need == 2 && first < 0) {
        first = at;
        at = at == n - 1 ? 0 : at + 1;
        continue;
      }
      if (need == 2 && at == first) continue;
      const i32 one = need == 2 ? first : at;
      entry[0] = list[one].idx;
      entry[1] = list[one].sub;
      if (need == 2) {
        entry[2] = list[at].idx;
        entry[3] = list[at].sub;
      }
      return 0;
    } else if (key == kKeyAc) {
      return static_cast<i32>(kKeyGraphAc);
    } else {
      i32 result = 0;
      if (key != kKeyXThetaT && TraceCommonKey(key, code, ctx, &result)) return result;
    }
  }
}

namespace {

// The keys on a shown result.
i32 ResultKeys(Solve *s) {
  GraphContext *ctx = s->ctx;
  for (;;) {
    u32 typed = 0;
    const bool noCursor = s->code == kGraphKeyIntegral;
    GraphPointer none{};
    none.hidden = 1;
    const u32 key = GraphCursorKey(noCursor ? &none : &s->cur, kCursorPointer, &typed);
    switch (key) {
      case kKeyRight:
      case kKeyLeft: {
        if (s->code == kGraphKeyYIcpt || s->code == kGraphKeyYCal || s->code == kGraphKeyIntegral) continue;
        const i32 dir = key == kKeyRight ? 1 : -1;
        Solve keep = *s;
        const u32 e = Search(s, dir, s->prev);
        if (e == kNotFound) {
          // The searches evaluated the entry: X and Y hold the shown result again.
          *s = keep;
          if ((s->code == kGraphKeyRoot || s->code == kGraphKeyXCal) && IsYStyle(ctx, s->e1)) {
            GraphStoreVar('X', &s->x);
            GraphStoreVar('Y', &s->y);
          }
          continue;
        }
        if (e != 0) {
          ErrBox(static_cast<i32>(e));
          return kGraphExitExit;
        }
        ShowResult(s);
        continue;
      }
      case kKeyXThetaT:
        if (s->code == kGraphKeyYCal || s->code == kGraphKeyXCal) return static_cast<i32>(0x7FFF0000u | typed);
        continue;
      case kKeyExit:
        return kGraphExitExit;
      case kKeyAc:
        return kGraphExitAc;
      case kKeyUp:
      case kKeyDown:
      case kKeyExe:
        if (key == kKeyExe && (SysIsAppName("@RUNMAT") || SysIsAppName("@PROG"))) return kGraphExitExe;
        continue;
      default: {
        i32 result = 0;
        if (TraceCommonKey(key, s->code, ctx, &result)) return result;
        continue;
      }
    }
  }
}

// Asks for x (Y-CAL) or y (X-CAL) and shows the first result: 0, or the
// solve's exit code in *exit.
bool AskAndSolve(Solve *s, u32 typed, i32 *exit) {
  GraphContext *ctx = s->ctx;
  BcdReal v;
  const i32 r = GraphValuePrompt(typed, s->code, &v, ctx, s->e1);
  if (r != 0) {
    *exit = r;
    return false;
  }
  GraphPrepareScreen(ctx);
  if (s->code == kGraphKeyYCal) {
    s->x = v;
    if (const u32 e = ResultPoint(s)) {
      ErrBox(static_cast<i32>(e));
      *exit = kGraphExitExit;
      return false;
    }
    return true;
  }
  s->target = v;
  RealMakeError(kMa, &s->prev);
  const u32 e = Search(s, 1, SearchBound(*s, -1));
  if (e != 0) {
    ErrBox(static_cast<i32>(e));
    *exit = kGraphExitExit;
    return false;
  }
  return true;
}

}  // namespace

u32 GsolveIntegral(GraphContext *ctx, i32 idx, const BcdReal *tolerance, BcdReal *out, bool *shaded) {
  GraphView &v = ctx->view;
  *shaded = false;
  if (Less(&v.extXhigh, &v.extXlow)) {
    const BcdReal t = v.extXlow;
    v.extXlow = v.extXhigh;
    v.extXhigh = t;
  }
  // The area between the curve and the x axis, shaded by the plotter.
  GraphEntry table[2] = {};
  table[0] = ctx->entries[idx];
  table[0].type |= kGraphTypeArea | 0x20;
  table[0].areaBounds = &v.extXlow;
  GraphEntry *keep = ctx->entries;
  ctx->entries = table;
  GraphPrepareArea(ctx, 0);
  const u32 pe = GraphPlotAll(ctx);
  ctx->entries = keep;
  if (pe != 0) {
    GmemDeleteGraphRecord();
    return pe;
  }
  GraphPrepareScreen(ctx);
  *shaded = true;
  // The integral of the entry's formula between the bounds.
  EvalOperandStack operands;
  EvalOperatorStack operators;
  EvalReturnStack returns;
  operands.count = 0;
  operators.count = 0;
  returns.count = 0;
  EvalStackArea area{&operands, &operators, &returns};
  const GraphEntry &e = ctx->entries[idx];
  TokPos pos = e.text;
  EvalCell tok{};
  tok.re.b[0] = '0';
  TokNext(&tok, &pos);
  BcdReal tol = *tolerance;
  Value result{};
  const u8 vars = SetupGetByte(kSetupGraphVars);
  SetupSetByte(kSetupGraphVars, static_cast<u8>(vars | 1));
  const int ok = NumericIntegrate(&v.extXlow, &v.extXhigh, &tol, &result, pos, &tok, &area);
  SetupSetByte(kSetupGraphVars, static_cast<u8>(SetupGetByte(kSetupGraphVars) & 0xE0));
  *out = result.re;
  if (!ok || RealErrorCode(&result.re) != 0) {
    const u32 code = RealErrorCode(&result.re);
    return code != 0 ? code : u32{kMa};
  }
  return 0;
}

i32 GsolveFinishIntegral(GraphContext *ctx, i32 idx, i32 sub) {
  GraphView &v = ctx->view;
  BcdReal tol, value;
  RealSetZero(&tol);
  bool shaded = false;
  if (const u32 e = GsolveIntegral(ctx, idx, &tol, &value, &shaded)) {
    ErrBox(static_cast<i32>(e));
    return shaded ? kGraphExitExit : kGraphExitShown;
  }
  Value result{};
  result.re = value;
  GmemWriteComValue(&result.re, 0);
  GmemWriteComValue(&v.extXlow, 1);
  GmemWriteComValue(&v.extXhigh, 2);
  if (ctx->optionFlags & kGraphOptCoord) {
    GraphClearReadout();
    GraphShowValue(1, 7, "LOWER=", &v.extXlow, true);
    GraphShowValue(17, 7, "UPPER=", &v.extXhigh, true);
    GraphShowValue(1, 8, "\xE6\xBB" "dx=", &result.re, false, 32);
  }
  Solve s{};
  s.ctx = ctx;
  s.code = kGraphKeyIntegral;
  s.e1 = idx;
  s.s1 = sub;
  return ResultKeys(&s);
}

i32 GsolveRun(u32 key, GraphContext *ctx) {
  FkeyRestoreLevelRoot();
  i32 entry[4] = {};
  const i32 sel = GsolveSelectEntry(entry, key, ctx);
  if (sel != 0) return sel;
  Solve s{};
  s.ctx = ctx;
  s.code = key;
  s.e1 = entry[0];
  s.s1 = entry[1];
  s.e2 = entry[2];
  s.s2 = entry[3];
  RealMakeError(kMa, &s.prev);
  GraphTraceBeginHook();
  i32 exit = 0;
  if (key == kGraphKeyIntegral) {
    i32 idx = s.e1, sub = s.s1;
    exit = TraceForBound(kTraceLower, ctx, &idx, &sub);
    GraphTraceEndHook();
    return exit;
  }
  u32 typed = 0;
  for (;;) {
    GraphPrepareScreen(ctx);
    if (key == kGraphKeyYCal || key == kGraphKeyXCal) {
      if (!AskAndSolve(&s, typed, &exit)) break;
    } else if (key == kGraphKeyYIcpt) {
      RealSetZero(&s.x);
      BcdReal lo, hi;
      const GraphEntry &e = ctx->entries[s.e1];
      const bool outside = (e.type & kGraphTypeRanged) && GraphEntryText(0, ctx->entries, s.e1, &lo) == 0 &&
                           GraphEntryText(1, ctx->entries, s.e1, &hi) == 0 && (Less(&s.x, &lo) || Less(&hi, &s.x));
      u32 err = outside ? kNotFound : ResultPoint(&s);
      if (err == 0 && IsError(&s.y)) err = kNotFound;
      if (err != 0) {
        ErrBox(static_cast<i32>(err));
        exit = kGraphExitExit;
        break;
      }
    } else {
      const u32 err = Search(&s, 1, SearchBound(s, -1));
      if (err != 0) {
        ErrBox(static_cast<i32>(err));
        exit = kGraphExitExit;
        break;
      }
    }
    ShowResult(&s);
    exit = ResultKeys(&s);
    if ((static_cast<u32>(exit) & 0xFFFF0000u) == 0x7FFF0000u) {
      typed = static_cast<u32>(exit) & 0xFFFFu;
      continue;
    }
    break;
  }
  GraphTraceEndHook();
  return exit;
}
