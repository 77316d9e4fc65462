// Conic forms, their evaluation routines and analyses.
#include "graph/conics/conic_model.h"

#include <cstring>

#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/sysvar.h"

namespace {

constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMa = 3;
constexpr u32 kErrNotFound = 21;

struct Coef {
  BcdReal a, b, c, d, h, k, r;
};

BcdReal Var(char letter) {
  Value v;
  std::memset(&v, 0, sizeof v);
  SysReadVariable(static_cast<u8>(letter), &v);
  BcdReal out = v.re;
  out.b[0] = static_cast<u8>(out.b[0] & 0x7F);  // the real part of a complex value
  return out;
}

Coef Read() {
  return Coef{Var('A'), Var('B'), Var('C'), Var('D'), Var('H'), Var('K'), Var('R')};
}

BcdReal Num(i32 n) {
  BcdReal r;
  NumFromInt32(n, &r);
  return r;
}

int Sign(const BcdReal *v) {
  const BcdReal zero = Num(0);
  if (RealCompare(kRealCmpLt, v, &zero)) return -1;
  return RealCompare(kRealCmpGt, v, &zero) ? 1 : 0;
}

bool Bad(const BcdReal *v) { return RealErrorCode(v) != 0; }

BcdReal Sq(const BcdReal *v) {
  BcdReal r;
  ConicMul(v, v, &r);
  return r;
}

BcdReal Sqrt(const BcdReal *v) {
  BcdReal r;
  RealSqrt(v, &r);
  RealNormalize(&r, &r);
  return r;
}

// ---- the evaluation routines ------------------------------------------------

// Forms 1 and 3: x of y (K inside, H added) or y of x (H inside, K added).
u32 EvalVertexForm(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx) {
  const Coef c = Read();
  const bool xOfY = (ctx->entries[idx].type & kGraphTypeY) != 0;
  BcdReal t;
  ConicSub(v, xOfY ? &c.k : &c.h, &t);
  t = Sq(&t);
  ConicMul(&c.a, &t, &t);
  ConicAdd(&t, xOfY ? &c.h : &c.k, out);
  return 0;
}

// Forms 2 and 4: A v^2 + B v + C.
u32 EvalPolyForm(const BcdReal *v, BcdReal *out, GraphContext *, i32) {
  const Coef c = Read();
  BcdReal t, u;
  t = Sq(v);
  ConicMul(&c.a, &t, &t);
  ConicMul(&c.b, v, &u);
  ConicAdd(&t, &u, &t);
  ConicAdd(&t, &c.c, out);
  return 0;
}

// centre - radius (cos T, sin T) in the context's angle unit.
void Around(const BcdReal *cx, const BcdReal *cy, const BcdReal *rx, const BcdReal *ry, const BcdReal *t,
            BcdReal *x, BcdReal *y, GraphContext *ctx, bool minus) {
  BcdReal co, si;
  RealCos(t, &co, GraphAngleUnit(ctx));
  RealSin(t, &si, GraphAngleUnit(ctx));
  RealNormalize(&co, &co);
  RealNormalize(&si, &si);
  ConicMul(rx, &co, &co);
  ConicMul(ry, &si, &si);
  if (minus) {
    ConicSub(cx, &co, x);
    ConicSub(cy, &si, y);
  } else {
    ConicAdd(cx, &co, x);
    ConicAdd(cy, &si, y);
  }
}

u32 EvalCircle(const BcdReal *t, BcdReal *x, BcdReal *y, GraphContext *ctx, i32) {
  const Coef c = Read();
  Around(&c.h, &c.k, &c.r, &c.r, t, x, y, ctx, true);
  return 0;
}

// The radius of form 6: sqrt((B^2 + C^2) / (4A^2) - D/A).
BcdReal GeneralRadius(const Coef &c) {
  BcdReal s, q, four = Num(4), r;
  ConicAdd(&(s = Sq(&c.b)), &(q = Sq(&c.c)), &s);
  q = Sq(&c.a);
  ConicMul(&four, &q, &q);
  ConicDiv(&s, &q, &s);
  ConicDiv(&c.d, &c.a, &q);
  ConicSub(&s, &q, &s);
  r = Sqrt(&s);
  return r;
}

u32 EvalGeneralCircle(const BcdReal *t, BcdReal *x, BcdReal *y, GraphContext *ctx, i32) {
  const Coef c = Read();
  const BcdReal r = GeneralRadius(c);
  BcdReal cx, cy;
  ConicAxis(&c.a, &c.b, &cx);
  ConicAxis(&c.a, &c.c, &cy);
  Around(&cx, &cy, &r, &r, t, x, y, ctx, false);
  return 0;
}

u32 EvalEllipse(const BcdReal *t, BcdReal *x, BcdReal *y, GraphContext *ctx, i32) {
  const Coef c = Read();
  Around(&c.h, &c.k, &c.a, &c.b, t, x, y, ctx, true);
  return 0;
}

// centre +- A sqrt((v - shift)^2 / B^2 + 1).
void Branch(const BcdReal *v, const BcdReal *shift, const BcdReal *centre, const Coef &c, bool minus, BcdReal *out) {
  BcdReal t, one = Num(1);
  ConicSub(v, shift, &t);
  t = Sq(&t);
  BcdReal b2 = Sq(&c.b);
  ConicDiv(&t, &b2, &t);
  ConicAdd(&t, &one, &t);
  t = Sqrt(&t);
  ConicMul(&c.a, &t, &t);
  if (minus) {
    ConicSub(centre, &t, out);
  } else {
    ConicAdd(centre, &t, out);
  }
}

u32 EvalHyperX1(const BcdReal *v, BcdReal *out, GraphContext *, i32) {
  const Coef c = Read();
  Branch(v, &c.k, &c.h, c, false, out);
  return 0;
}
u32 EvalHyperX2(const BcdReal *v, BcdReal *out, GraphContext *, i32) {
  const Coef c = Read();
  Branch(v, &c.k, &c.h, c, true, out);
  return 0;
}
u32 EvalHyperY1(const BcdReal *v, BcdReal *out, GraphContext *, i32) {
  const Coef c = Read();
  Branch(v, &c.h, &c.k, c, false, out);
  return 0;
}
u32 EvalHyperY2(const BcdReal *v, BcdReal *out, GraphContext *, i32) {
  const Coef c = Read();
  Branch(v, &c.h, &c.k, c, true, out);
  return 0;
}

// ---- analyses -----------------------------------------------------------------

void Point(ConicResult *r, const BcdReal &x, const BcdReal &y) {
  r->kind = kConicPoints;
  r->x[r->count] = x;
  r->y[r->count] = y;
  ++r->count;
}

// The vertex of forms 2 and 4 along their axis: C - B^2/(4A).
BcdReal PolyVertex(const Coef &c) {
  BcdReal s, out;
  ConicVertexShift(&c.a, &c.b, &s);
  ConicAdd(&c.c, &s, &out);
  return out;
}

// The two intercepts centre -+ half (minus first), one at t = 0 (at
// `single`), Not Found for t < 0. (x, y) as given by `onX`.
u32 TwoPoints(ConicResult *r, const BcdReal &t, const BcdReal &centre, const BcdReal &half, const BcdReal &single,
              bool onX) {
  if (Bad(&t)) return kErrMa;
  const int s = Sign(&t);
  if (s < 0) return kErrNotFound;
  const BcdReal zero = Num(0);
  if (s == 0) {
    onX ? Point(r, single, zero) : Point(r, zero, single);
    return 0;
  }
  BcdReal lo, hi;
  ConicSub(&centre, &half, &lo);
  ConicAdd(&centre, &half, &hi);
  onX ? Point(r, lo, zero) : Point(r, zero, lo);
  onX ? Point(r, hi, zero) : Point(r, zero, hi);
  return 0;
}

// (-P +- sqrt(P^2 - 4 A Q)) / (2A): the roots of A v^2 + P v + Q. The
// half-width is taken as sqrt(t / (2A)^2), which keeps the last digit.
u32 Quadratic(ConicResult *r, const BcdReal &a, const BcdReal &p, const BcdReal &q, bool onX) {
  BcdReal t, four = Num(4), two = Num(2), aq, twoA, centre, half;
  ConicMul(&a, &q, &aq);
  ConicMul(&four, &aq, &aq);
  ConicSub(&(t = Sq(&p)), &aq, &t);
  ConicAxis(&a, &p, &centre);
  ConicMul(&two, &a, &twoA);
  if (Sign(&t) > 0) {
    BcdReal d = Sq(&twoA);
    ConicDiv(&t, &d, &half);
    half = Sqrt(&half);
    if (Sign(&a) < 0) RealNeg(&half, &half);
  } else {
    half = Num(0);
  }
  return TwoPoints(r, t, centre, half, centre, onX);
}

// The intercepts of forms 7-9: centre -+ scale sqrt(inner) / |w|, where
// inner is w^2 - u^2 (sign -1), w^2 + u^2 (0) or u^2 - w^2 (+1); t decides
// how many there are.
u32 ScaledRoot(ConicResult *r, const BcdReal &t, const BcdReal &u, const BcdReal &w, int sign, const BcdReal &centre,
               const BcdReal &scale, bool onX) {
  BcdReal half = Num(0);
  if (Sign(&t) > 0) {
    BcdReal u2 = Sq(&u), w2 = Sq(&w), inner, aw;
    if (sign < 0) {
      ConicSub(&w2, &u2, &inner);
    } else if (sign > 0) {
      ConicSub(&u2, &w2, &inner);
    } else {
      ConicAdd(&w2, &u2, &inner);
    }
    inner = Sqrt(&inner);
    ConicMul(&scale, &inner, &half);
    RealAbs(&w, &aw);
    ConicDiv(&half, &aw, &half);
  }
  return TwoPoints(r, t, centre, half, centre, onX);
}

u32 Intercepts(const Coef &c, u32 form, bool onX, ConicResult *r) {
  const BcdReal zero = Num(0);
  BcdReal t, u;
  switch (form) {
    case 1:
    case 3: {
      // The single point on the far axis, or the pair on the near one.
      const bool single = (form == 1) == onX;
      const BcdReal &inner = form == 1 ? c.k : c.h;  // shift inside the square
      const BcdReal &outer = form == 1 ? c.h : c.k;  // value added
      if (single) {
        ConicMul(&c.a, &(u = Sq(&inner)), &u);
        ConicAdd(&u, &outer, &u);
        onX ? Point(r, u, zero) : Point(r, zero, u);
        return Bad(&u) ? kErrMa : 0;
      }
      ConicMul(&c.a, &outer, &t);
      RealNeg(&t, &t);
      BcdReal half = Num(0);
      if (Sign(&t) > 0) {
        ConicDiv(&outer, &c.a, &u);
        RealNeg(&u, &u);
        half = Sqrt(&u);
      }
      return TwoPoints(r, t, inner, half, inner, onX);
    }
    case 2:
    case 4: {
      if ((form == 2) == onX) {
        onX ? Point(r, c.c, zero) : Point(r, zero, c.c);
        return 0;
      }
      return Quadratic(r, c.a, c.b, c.c, onX);
    }
    case 5: {
      const BcdReal &other = onX ? c.k : c.h;
      const BcdReal &centre = onX ? c.h : c.k;
      ConicSub(&(t = Sq(&c.r)), &(u = Sq(&other)), &t);
      BcdReal half = Sign(&t) > 0 ? Sqrt(&t) : zero;
      return TwoPoints(r, t, centre, half, centre, onX);
    }
    case 6: return Quadratic(r, c.a, onX ? c.b : c.c, c.d, onX);
    case 7: {
      // On X: t = B^2 - K^2, x = H -+ A sqrt(1 - (K/B)^2); on Y the roles swap.
      const BcdReal &along = onX ? c.a : c.b, &across = onX ? c.b : c.a;
      const BcdReal &off = onX ? c.k : c.h, &centre = onX ? c.h : c.k;
      ConicSub(&(t = Sq(&across)), &(u = Sq(&off)), &t);
      return ScaledRoot(r, t, off, across, -1, centre, along, onX);
    }
    case 8:
    case 9: {
      // Across the opening: always two; along it: t = off^2 - A^2.
      const bool opensAlongX = form == 8;
      const BcdReal &off = onX ? c.k : c.h, &centre = onX ? c.h : c.k;
      if (opensAlongX == onX) {
        const BcdReal one = Num(1);
        return ScaledRoot(r, one, off, c.b, 0, centre, c.a, onX);
      }
      ConicSub(&(t = Sq(&off)), &(u = Sq(&c.a)), &t);
      return ScaledRoot(r, t, off, c.a, 1, centre, c.b, onX);
    }
    default: return kErrSyntax;
  }
}

u32 Analyze(u32 code, u32 form, const Coef &c, ConicResult *r) {
  const bool parabola = form >= 1 && form <= 4;
  BcdReal f, v, w;
  switch (code) {
    case kConicFocus:
      if (parabola) {
        ConicFocalDist(&c.a, &f);
        if (form == 1 || form == 3) {
          if (form == 1) {
            ConicAdd(&c.h, &f, &v);
            Point(r, v, c.k);
          } else {
            ConicAdd(&c.k, &f, &v);
            Point(r, c.h, v);
          }
        } else {
          BcdReal along = PolyVertex(c), axis;
          ConicAdd(&along, &f, &along);
          ConicAxis(&c.a, &c.b, &axis);
          form == 2 ? Point(r, along, axis) : Point(r, axis, along);
        }
        return 0;
      }
      if (form >= 7) {
        const bool sideways = form == 8 || (form == 7 && RealCompare(kRealCmpGt, &c.a, &c.b));
        form == 7 ? ConicEllipseC(&c.a, &c.b, &f) : ConicHyperbolaC(&c.a, &c.b, &f);
        if (sideways) {
          ConicAdd(&c.h, &f, &v);
          ConicSub(&c.h, &f, &w);
          Point(r, v, c.k);
          Point(r, w, c.k);
        } else {
          ConicAdd(&c.k, &f, &v);
          ConicSub(&c.k, &f, &w);
          Point(r, c.h, v);
          Point(r, c.h, w);
        }
        return 0;
      }
      return kErrSyntax;
    case kConicSymmetry:
      if (!parabola) return kErrSyntax;
      r->kind = (form == 1 || form == 2) ? kConicLineY : kConicLineX;
      if (form <= 2 ? form == 1 : form == 3) {
        r->value = form == 1 ? c.k : c.h;
      } else {
        ConicAxis(&c.a, &c.b, &r->value);
      }
      return 0;
    case kConicDirectrix:
      if (!parabola) return kErrSyntax;
      ConicFocalDist(&c.a, &f);
      r->kind = (form == 1 || form == 2) ? kConicLineX : kConicLineY;
      if (form == 1 || form == 3) {
        ConicSub(form == 1 ? &c.h : &c.k, &f, &r->value);
      } else {
        v = PolyVertex(c);
        ConicSub(&v, &f, &r->value);
      }
      return 0;
    case kConicVertex:
      if (form == 1 || form == 3) {
        Point(r, c.h, c.k);
      } else if (form == 2 || form == 4) {
        BcdReal along = PolyVertex(c), axis;
        ConicAxis(&c.a, &c.b, &axis);
        form == 2 ? Point(r, along, axis) : Point(r, axis, along);
      } else if (form == 7) {
        BcdReal p;
        ConicAdd(&c.h, &c.a, &p);
        Point(r, p, c.k);
        ConicAdd(&c.k, &c.b, &p);
        Point(r, c.h, p);
        ConicSub(&c.h, &c.a, &p);
        Point(r, p, c.k);
        ConicSub(&c.k, &c.b, &p);
        Point(r, c.h, p);
      } else if (form == 8 || form == 9) {
        const BcdReal &centre = form == 8 ? c.h : c.k;
        ConicAdd(&centre, &c.a, &v);
        ConicSub(&centre, &c.a, &w);
        form == 8 ? Point(r, v, c.k) : Point(r, c.h, v);
        form == 8 ? Point(r, w, c.k) : Point(r, c.h, w);
      } else {
        return kErrSyntax;
      }
      return 0;
    case kConicLength:
      if (!parabola) return kErrSyntax;
      r->kind = kConicValue;
      r->name = 'L';
      v = Num(1);
      ConicDiv(&v, &c.a, &v);
      RealAbs(&v, &r->value);
      return 0;
    case kConicEccentricity:
      r->kind = kConicValue;
      r->name = 'e';
      if (parabola) {
        r->value = Num(1);
        return 0;
      }
      if (form == 7) {
        if (RealCompare(kRealCmpEq, &c.a, &c.b)) {
          r->value = Num(0);
          return 0;
        }
        const bool aLarger = RealCompare(kRealCmpGt, &c.a, &c.b) != 0;
        ConicDiv(aLarger ? &c.b : &c.a, aLarger ? &c.a : &c.b, &v);
        v = Sq(&v);
        w = Num(1);
        ConicSub(&w, &v, &v);
        r->value = Sqrt(&v);
        if (RealCompare(kRealCmpEq, &r->value, &w)) return kErrMa;
        return 0;
      }
      if (form == 8 || form == 9) {
        ConicDiv(&c.b, &c.a, &v);
        v = Sq(&v);
        w = Num(1);
        ConicAdd(&w, &v, &v);
        r->value = Sqrt(&v);
        if (RealCompare(kRealCmpLe, &r->value, &w)) return kErrMa;
        return 0;
      }
      return kErrSyntax;
    case kConicXIcpt: return Intercepts(c, form, true, r);
    case kConicYIcpt: return Intercepts(c, form, false, r);
    case kConicCenter:
      if (form == 6) {
        ConicAxis(&c.a, &c.b, &v);
        ConicAxis(&c.a, &c.c, &w);
        Point(r, v, w);
        return 0;
      }
      if (form == 5 || form >= 7) {
        Point(r, c.h, c.k);
        return 0;
      }
      return kErrSyntax;
    case kConicRadius:
      if (form != 5 && form != 6) return kErrSyntax;
      r->kind = kConicValue;
      r->name = 'r';
      r->value = form == 5 ? c.r : GeneralRadius(c);
      return 0;
    case kConicAsymptotes:
      if (form != 8 && form != 9) return kErrSyntax;
      r->kind = kConicAsymptote;
      r->count = 1;
      r->x[0] = c.h;
      r->y[0] = c.k;
      ConicDiv(form == 8 ? &c.b : &c.a, form == 8 ? &c.a : &c.b, &r->value);
      return 0;
    default: return kErrSyntax;
  }
}

}  // namespace

void ConicAdd(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  RealAdd(a, b, out);
  RealNormalize(out, out);
}
void ConicSub(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  RealSub(a, b, out);
  RealNormalize(out, out);
}
void ConicMul(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  RealMul(a, b, out);
  RealNormalize(out, out);
}
void ConicDiv(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  RealDiv(a, b, out);
  RealNormalize(out, out);
}

void ConicFocalDist(const BcdReal *a, BcdReal *out) {
  const BcdReal one = Num(1), four = Num(4);
  BcdReal t;
  ConicMul(&four, a, &t);
  ConicDiv(&one, &t, out);
}

void ConicAxis(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  const BcdReal two = Num(2);
  BcdReal t;
  ConicMul(&two, a, &t);
  ConicDiv(b, &t, out);
  RealNeg(out, out);
}

void ConicEllipseC(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  BcdReal t;
  ConicSub(&(t = Sq(a)), &(*out = Sq(b)), &t);
  RealAbs(&t, &t);
  *out = Sqrt(&t);
}

void ConicHyperbolaC(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  BcdReal t;
  ConicAdd(&(t = Sq(a)), &(*out = Sq(b)), &t);
  *out = Sqrt(&t);
}

void ConicVertexShift(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  const BcdReal four = Num(4);
  BcdReal t, s = Sq(b);
  ConicMul(&four, a, &t);
  ConicDiv(&s, &t, out);
  RealNeg(out, out);
}

const char *ConicLetters(u32 form) {
  static const char *const kLetters[kConicForms] = {"AKH", "ABC", "AHK", "ABC", "HKR", "ABCD", "ABHK", "ABHK", "ABKH"};
  return form >= 1 && form <= kConicForms ? kLetters[form - 1] : "";
}

u32 ConicCheckCoefficients(u32 form) {
  const Coef c = Read();
  switch (form) {
    case 1:
    case 2:
    case 3:
    case 4: return Sign(&c.a) == 0 ? 1 : 0;
    case 5: return Sign(&c.r) <= 0 ? 1 : 0;
    case 6: {
      if (Sign(&c.a) <= 0) return 1;
      BcdReal s, q, four = Num(4);
      ConicAdd(&(s = Sq(&c.b)), &(q = Sq(&c.c)), &s);
      ConicMul(&four, &c.a, &q);
      ConicMul(&q, &c.d, &q);
      return RealCompare(kRealCmpLe, &s, &q) ? 1 : 0;
    }
    case 7:
    case 8:
    case 9: return (Sign(&c.a) <= 0 || Sign(&c.b) <= 0) ? 1 : 0;
    default: return 1;
  }
}

u32 ConicSetupEntry(u32 form, GraphEntry *entries) {
  entries[0] = GraphEntry{};
  if (form < 1 || form > kConicForms) return 0;
  GraphEntry e{};
  e.style = kGraphStyleNormal;
  e.slot = static_cast<i32>(form);
  e.labelKind = 12;
  e.label = 4;
  e.readoutKind = 1;
  const u32 xOfY = kGraphTypeBuiltin | kGraphTypeY | kGraphTypeFunc;
  const u32 yOfX = kGraphTypeBuiltin | kGraphTypeX | kGraphTypeFunc;
  const u32 param = kGraphTypeBuiltin | kGraphTypeT | kGraphTypeParam | kGraphTypeFunc;
  u32 n = 1;
  switch (form) {
    case 1: e.type = xOfY; e.builtin = EvalVertexForm; break;
    case 2: e.type = xOfY; e.builtin = EvalPolyForm; break;
    case 3: e.type = yOfX; e.builtin = EvalVertexForm; break;
    case 4: e.type = yOfX; e.builtin = EvalPolyForm; break;
    case 5: e.type = param; e.builtinParam = EvalCircle; e.readoutKind = 3; break;
    case 6: e.type = param; e.builtinParam = EvalGeneralCircle; e.readoutKind = 3; break;
    case 7: e.type = param; e.builtinParam = EvalEllipse; e.readoutKind = 3; break;
    case 8:
      e.type = xOfY;
      e.builtin = EvalHyperX1;
      entries[1] = e;
      entries[1].builtin = EvalHyperX2;
      n = 2;
      break;
    default:
      e.type = yOfX;
      e.builtin = EvalHyperY1;
      entries[1] = e;
      entries[1].builtin = EvalHyperY2;
      n = 2;
      break;
  }
  entries[0] = e;
  entries[n] = GraphEntry{};
  return n;
}

u32 ConicAnalyze(u32 code, u32 form, ConicResult *out) {
  std::memset(out, 0, sizeof *out);
  const Coef c = Read();
  const u32 e = Analyze(code, form, c, out);
  if (e != 0) return e;
  for (u32 i = 0; i < out->count; ++i) {
    if (Bad(&out->x[i]) || Bad(&out->y[i])) return kErrMa;
  }
  if ((out->kind != kConicPoints) && Bad(&out->value)) return kErrMa;
  return 0;
}

u32 ConicReadMem() {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr("@CONICS", "conicmem", &size, &data) != 0 || data == nullptr || size < 2) return 0;
  const u32 form = static_cast<u32>(data[0] | (data[1] << 8));
  return form >= 1 && form <= kConicForms ? form : 0;
}

u32 ConicWriteMem(u32 form) {
  const u8 bytes[2] = {static_cast<u8>(form & 0xFF), static_cast<u8>(form >> 8)};
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr("@CONICS", "conicmem", &size, &data) == 0 && size == 2) {
    return McsWriteInFolder("@CONICS", "conicmem", 2, bytes, 0) <= 2 ? 0u : 4u;
  }
  McsDeleteInFolder("@CONICS", "conicmem");
  return McsCreateInFolder("@CONICS", "conicmem", 2, bytes) == 0 ? 0u : 4u;
}
