// The equation application's back ends: simultaneous equations through the
// linear-system solver, quadratics and cubics in closed form.
#include "numeric/equa_solve.h"

#include <cstring>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/bcd.h"
#include "number/digits/digits.h"
#include "number/frac.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/mat_solve.h"
#include "numeric/solve.h"
#include "ui/setup.h"

namespace {

constexpr u32 kErrBreak = 1;
constexpr u32 kErrMath = 3;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrNonReal = 17;
constexpr u32 kErrNoRealRoots = 35;
constexpr u16 kRadians = 1;

// Real arithmetic in the forms the closed formulas use: sums by the rounding
// adder and subtracter, quotients exact where both sides are fractions.
BcdReal Int(i32 n) {
  BcdReal r;
  RealSetZero(&r);
  NumFromInt32(n, &r);
  return r;
}
BcdReal Mul(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealMul(&a, &b, &r);
  return r;
}
BcdReal Add(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealAddMaru(&a, &b, &r);
  return r;
}
BcdReal Sub(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealSubMaru(&a, &b, &r);
  return r;
}
BcdReal Div(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealDivToFrac(&a, &b, &r);
  return r;
}
BcdReal Neg(const BcdReal &a) {
  BcdReal r;
  RealNeg(&a, &r);
  return r;
}
BcdReal Abs(const BcdReal &a) {
  BcdReal r;
  RealAbs(&a, &r);
  return r;
}
BcdReal Sqrt(const BcdReal &a) {
  BcdReal r;
  RealSqrt(&a, &r);
  return r;
}
// The real cube root, a negative radicand included: a power by the exact
// fraction one third.
BcdReal Cbrt(const BcdReal &a) {
  BcdReal third, r;
  RealSetOneThird(&third);
  RealPow(&a, &third, &r);
  return r;
}
// -1, 0 or 1 by the sign of a (0 also for an error value).
int Sign(const BcdReal &a) {
  const BcdReal zero = Int(0);
  if (RealIsLess(&a, &zero) == 1) return -1;
  if (RealIsGreater(&a, &zero) == 1) return 1;
  return 0;
}
bool IsErr(const BcdReal &a) { return ValErrorCode(&a) != 0; }

Value Real(const BcdReal &re) {
  Value v;
  v.re = re;
  RealSetZero(&v.im);
  return v;
}
Value Complex(const BcdReal &re, const BcdReal &im) {
  Value v;
  ValFromParts(&re, &im, &v);
  return v;
}

// Gives the error value of the first root that has one (in r[0]) and 0, or
// 1 when all n are numbers.
int CheckRoots(Value *r, u32 n) {
  for (u32 k = 0; k < n; ++k) {
    if (ValErrorCode(&r[k]) != 0) {
      r[0] = r[k];
      return 0;
    }
  }
  return 1;
}

int Breaks(Value *r) {
  if (KeyBreakPoll() == 0) return 0;
  ArrFail(&r[0], kErrBreak);
  return 1;
}

// Order of two values by real part, then imaginary part: 1 when a comes
// before b (greater), 0 when equal, -1 after.
int Order(const Value &a, const Value &b) {
  CplxPair pa, pb;
  ValSplit(&a, &pa);
  ValSplit(&b, &pb);
  if (RealIsGreater(&pa.re, &pb.re) == 1) return 1;
  if (RealIsLess(&pa.re, &pb.re) == 1) return -1;
  if (RealIsGreater(&pa.im, &pb.im) == 1) return 1;
  if (RealIsLess(&pa.im, &pb.im) == 1) return -1;
  return 0;
}

// |x - y| relative to |y| (absolute when y is 0).
BcdReal Distance(const Value &x, const Value &y) {
  Value d, m, ym;
  ValSub(&x, &y, &d, 1);
  ValAbs(&d, &m);
  ValAbs(&y, &ym);
  if (Sign(ym.re) == 0) return m.re;
  return Div(m.re, ym.re);
}

// Complex numbers in the 23-digit extended form, for residuals that must
// not lose the digits the root itself carries.
struct ExtC {
  BcdExt re, im;
};

BcdExt Wide(const BcdReal &x) {
  BcdWork w;
  RealUnpack(&x, &w);
  BcdExt e;
  ShExtWiden(&w, &e);
  return e;
}

BcdReal Narrow(BcdExt e) {
  ShExtRound(&e);
  BcdWork w;
  ShExtNarrow(&e, &w);
  BcdReal r;
  RealSetZero(&r);
  RealPack(&w, &r);
  return r;
}

ExtC WideC(const Value &v) {
  CplxPair p;
  ValSplit(&v, &p);
  return {Wide(p.re), Wide(p.im)};
}

ExtC AddC(ExtC a, const ExtC &b) {
  BcdExtAdd(&a.re, &b.re);
  BcdExtAdd(&a.im, &b.im);
  return a;
}

ExtC MulC(const ExtC &a, const ExtC &b) {
  BcdExt rr = a.re, ii = a.im, ri = a.re, ir = a.im;
  BcdExtMul(&rr, &b.re);
  BcdExtMul(&ii, &b.im);
  BcdExtMul(&ri, &b.im);
  BcdExtMul(&ir, &b.re);
  BcdExtSub(&rr, &ii);
  BcdExtAdd(&ri, &ir);
  return {rr, ri};
}

Value NarrowC(const ExtC &x) {
  const BcdReal re = Narrow(x.re), im = Narrow(x.im);
  Value v;
  ValFromParts(&re, &im, &v);
  return v;
}

// p(r) and p'(r) of the monic cubic by Horner's rule, in the extended form.
void Residual(const BcdReal *list, const Value &r, Value *p, Value *dp) {
  const BcdReal zero = Int(0);
  const ExtC x = WideC(r), a = {Wide(list[0]), Wide(zero)}, b = {Wide(list[1]), Wide(zero)},
             c = {Wide(list[2]), Wide(zero)};
  const ExtC three = {Wide(Int(3)), Wide(zero)}, two = {Wide(Int(2)), Wide(zero)};
  *p = NarrowC(AddC(MulC(AddC(MulC(AddC(x, a), x), b), x), c));
  *dp = NarrowC(AddC(MulC(AddC(MulC(three, x), MulC(two, a)), x), b));
}

BcdReal Magnitude(const Value &v) {
  Value m;
  ValAbs(&v, &m);
  return m.re;
}

// Newton steps on a simple root of the monic cubic: the closed forms carry
// the rounding of pi, the square roots and the cube roots into the last
// digits, which one step removes. A step is taken only while it makes the
// residual smaller, so an exact root stays as it is.
void Polish(const BcdReal *list, Value *r) {
  if (ValErrorCode(r) != 0) return;
  Value p, dp;
  Residual(list, *r, &p, &dp);
  for (int step = 0; step < 3; ++step) {
    if (ValErrorCode(&p) != 0 || ValErrorCode(&dp) != 0 || Sign(Magnitude(dp)) == 0) return;
    Value q, next, np, ndp;
    ValDiv(&p, &dp, &q, 1);
    ValSub(r, &q, &next, 1);
    if (ValErrorCode(&next) != 0) return;
    Residual(list, next, &np, &ndp);
    const BcdReal before = Magnitude(p), after = Magnitude(np);
    if (ValErrorCode(&np) != 0 || RealIsLess(&after, &before) != 1) return;
    *r = next;
    p = np;
    dp = ndp;
  }
}

}  // namespace

int PolySolveQuadratic(const BcdReal *list, Value *r, u8 *complexFlag) {
  const BcdReal p = list[0], q = list[1], two = Int(2);
  const BcdReal d = Sub(Mul(p, p), Mul(two, Mul(two, q)));
  if (Breaks(r)) return 0;
  if (IsErr(d)) {
    r[0] = Real(d);
    return 0;
  }
  const int sd = Sign(d);
  if (sd == 0) {
    r[0] = r[1] = Real(Div(Neg(p), two));
  } else if (sd < 0) {
    *complexFlag = 2;
    const BcdReal re = Div(Neg(p), two), im = Div(Sqrt(Neg(d)), two);
    r[0] = Complex(re, im);
    r[1] = Complex(re, Neg(im));
  } else {
    // One root from s = |p| + sqrt(D), the other from the product of the
    // roots: no difference of nearly equal numbers is formed.
    const BcdReal s = Add(Abs(p), Sqrt(d));
    if (Sign(p) >= 0) {
      r[0] = Real(Neg(Mul(Div(q, s), two)));
      r[1] = Real(Neg(Div(s, two)));
    } else {
      r[0] = Real(Div(s, two));
      r[1] = Real(Mul(Div(q, s), two));
    }
  }
  return CheckRoots(r, 2);
}

int PolySolveCubic(const BcdReal *list, Value *r, u8 *complexFlag) {
  const BcdReal a = list[0], b = list[1], c = list[2];
  const BcdReal two = Int(2), three = Int(3), four = Int(4);
  if (Sign(c) == 0 && !IsErr(c)) {
    const int ok = PolySolveQuadratic(list, r, complexFlag);
    r[2] = Real(Int(0));
    return ok;
  }
  const BcdReal a2 = Mul(a, a), a3 = Mul(a2, a);
  const BcdReal p = Sub(Mul(three, b), a2);
  const BcdReal q = Add(Sub(Mul(Int(27), c), Mul(Int(9), Mul(a, b))), Mul(two, a3));
  // The negated discriminant, accumulated term by term.
  BcdReal delta = Mul(Int(27), Mul(c, c));
  delta = Add(delta, Mul(four, Mul(a3, c)));
  delta = Add(delta, Mul(four, Mul(Mul(b, b), b)));
  delta = Sub(delta, Mul(Int(18), Mul(Mul(a, b), c)));
  delta = Sub(delta, Mul(a2, Mul(b, b)));
  if (Breaks(r)) return 0;
  if (IsErr(delta)) {
    r[0] = Real(delta);
    return 0;
  }
  const int sd = Sign(delta);
  if (sd == 0) {
    // A repeated root.
    r[0] = r[1] = Real(Div(Sub(Cbrt(Div(q, two)), a), three));
    r[2] = Real(Neg(Div(Add(Cbrt(Mul(four, q)), a), three)));
  } else if (sd > 0) {
    // One real root and a conjugate pair.
    *complexFlag = 2;
    const BcdReal s = Sqrt(Abs(Mul(Int(27), delta)));
    const BcdReal u = Cbrt(Div(Sub(s, q), two)), v = Cbrt(Div(Add(s, q), two));
    const BcdReal uv = Sub(u, v);
    const BcdReal re = Neg(Div(Add(Div(uv, two), a), three));
    const BcdReal im = Div(Div(Add(u, v), two), Sqrt(three));
    r[0] = Complex(re, im);
    r[2] = Real(Div(Sub(uv, a), three));
    Polish(list, &r[0]);
    Polish(list, &r[2]);
    // The pair stays exactly conjugate.
    ValConj(&r[0], &r[1]);
  } else {
    // Three real roots by the trigonometric form.
    const BcdReal s = Sqrt(Abs(Mul(Int(27), delta)));
    BcdReal theta;
    const BcdReal ratio = Div(s, q);
    if (IsErr(ratio)) RealAtan2(&s, &q, &theta, kRadians);
    else RealAtan(&ratio, &theta, kRadians);
    BcdReal m = Mul(two, Sqrt(Neg(p)));
    if (Sign(q) < 0) m = Neg(m);
    BcdReal twoPi;
    RealSetZero(&twoPi);
    RealSetTwoPi(&twoPi);
    for (i32 k = 0; k < 3; ++k) {
      const BcdReal angle = Div(Add(theta, Mul(Int(k), twoPi)), three);
      BcdReal cs;
      RealCos(&angle, &cs, kRadians);
      r[k] = Real(Neg(Div(Add(Mul(m, cs), a), three)));
      Polish(list, &r[k]);
    }
  }
  return CheckRoots(r, 3);
}

u32 PolyGroupRoots(Value *values, BcdReal *counts, u32 n, const BcdReal *tolerance) {
  if (n == 0) return 0;
  // Rank sort: real part descending, then imaginary part; equal values keep
  // their order.
  Value sorted[8];
  Value *tmp = n <= 8 ? sorted : new Value[n];
  for (u32 i = 0; i < n; ++i) {
    u32 rank = 0;
    for (u32 j = 0; j < n; ++j) {
      const int o = Order(values[j], values[i]);
      if (o > 0 || (o == 0 && j < i)) ++rank;
    }
    tmp[rank] = values[i];
  }
  const bool exact = Sign(*tolerance) == 0;
  u32 m = 0;
  bool *merged = new bool[n]();
  for (u32 i = 0; i < n; ++i) {
    if (merged[i]) continue;
    Value sum = tmp[i];
    u32 count = 1;
    for (u32 j = i + 1; j < n && !merged[j]; ++j) {
      CplxPair pi, pj;
      ValSplit(&tmp[i], &pi);
      ValSplit(&tmp[j], &pj);
      const BcdReal dre = Distance(Real(pj.re), Real(pi.re));
      if (RealIsGreater(&dre, tolerance) == 1) break;
      const BcdReal d = Distance(tmp[j], tmp[i]);
      if (RealIsLessEqual(&d, tolerance) == 1) {
        merged[j] = true;
        ++count;
        Value s;
        ValAdd(&sum, &tmp[j], &s, 1);
        sum = s;
      }
    }
    Value mean = tmp[i];
    if (!exact && count > 1) {
      Value k = Real(Int(static_cast<i32>(count)));
      ValDiv(&sum, &k, &mean, 1);
    }
    values[m] = mean;
    counts[m] = Int(static_cast<i32>(count));
    ++m;
  }
  for (u32 i = m; i < n; ++i) {
    values[i] = Real(Int(0));
    counts[i] = Int(0);
  }
  delete[] merged;
  if (tmp != sorted) delete[] tmp;
  return m;
}

int PolySolveRoots(u32 degree, const BcdReal *list, Value *roots, Value *mults) {
  const bool complexMode = SetupGetItem(kSetupComplexMode) != 0;
  Value r[3];
  u8 flag = 0;
  const int ok = degree == 2 ? PolySolveQuadratic(list, r, &flag) : PolySolveCubic(list, r, &flag);
  auto fail = [&](const Value &err) {
    *roots = err;
    *mults = err;
    return 0;
  };
  if (!ok) return fail(r[0]);
  u32 count = degree;
  if (!complexMode && flag == 2) {
    if (degree == 2) {
      Value e;
      return fail(*ArrFail(&e, kErrNoRealRoots));
    }
    count = 1;
  }
  Value e;
  if (KeyBreakPoll() != 0) return fail(*ArrFail(&e, kErrBreak));
  Value v[3];
  BcdReal counts[3];
  for (u32 k = 0; k < count; ++k) {
    ValNormalize(&r[degree - 1 - k], &v[k]);
    if (ValErrorCode(&v[k]) != 0) return fail(v[k]);
  }
  BcdReal zero;
  RealSetZero(&zero);
  const u32 m = PolyGroupRoots(v, counts, count, &zero);
  const u32 parts = complexMode ? 2 : 1;
  const MemHandle hr = MemAlloc(m * 12 * parts);
  const MemHandle hm = MemAlloc(m * 12);
  if (hr == 0 || hm == 0) {
    if (hr) MemFree(hr);
    if (hm) MemFree(hm);
    return fail(*ArrFail(&e, kErrMemory));
  }
  BcdReal *er = ArrElems(hr), *em = ArrElems(hm);
  for (u32 k = 0; k < m; ++k) {
    ArrPut(er, m, complexMode, k, &v[k]);
    em[k] = counts[k];
  }
  ArrSetMatrix(roots, complexMode, static_cast<u16>(m), 1, hr);
  ArrSetMatrix(mults, false, static_cast<u16>(m), 1, hm);
  return 1;
}

u32 NumericSolvePolynomial(u32 degree) {
  ItemMatDelete(kEquaPolyResult);
  ItemMatDelete(kEquaPolyMult);
  if (degree < 2 || degree > 3) return kErrMath;
  Value lead;
  if (ItemMatGet(kEquaPolyCoef, 1, 1, &lead) != 0) return kErrMemory;
  if (ValIsComplex(&lead) == 1) return kErrNonReal;
  if (ValErrorCode(&lead) != 0) return ValErrorCode(&lead);
  if (Sign(lead.re) == 0) return kErrMath;
  BcdReal list[3];
  for (u32 k = 1; k <= degree; ++k) {
    Value c;
    if (ItemMatGet(kEquaPolyCoef, 1, k + 1, &c) != 0) return kErrMemory;
    if (ValIsComplex(&c) == 1) return kErrNonReal;
    BcdReal q = Div(c.re, lead.re), nq, f;
    RealNormalize(&q, &nq);
    RealToFrac(&nq, &f);
    if (u8 code = ValErrorCode(&f)) return code;
    list[k - 1] = f;
  }
  if (KeyBreakPoll() != 0) return kErrBreak;
  Value roots, mults;
  if (PolySolveRoots(degree, list, &roots, &mults) != 1) return ValErrorCode(&roots);
  const ArrInfo ri = ArrInfoOf(&roots);
  const u32 m = ri.rows, cols = ri.complex ? 2 : 1;
  u32 code = 0;
  if (ItemMatCreate(kEquaPolyResult, m, cols) > 2 || ItemMatCreate(kEquaPolyMult, m, 1) > 2) code = kErrMemory;
  const BcdReal *er = ArrElems(ri.handle), *em = ArrElems(ArrInfoOf(&mults).handle);
  for (u32 k = 0; k < m && code == 0; ++k) {
    const Value mk = Real(em[k]);
    Value rk;
    ArrGet(er, m, ri.complex, k, &rk);
    CplxPair part;
    ValSplit(&rk, &part);
    const Value re = Real(part.re), im = Real(part.im);
    if (ItemMatSet(kEquaPolyMult, k + 1, 1, &mk) > 2 || ItemMatSet(kEquaPolyResult, k + 1, 1, &re) > 2 ||
        (cols == 2 && ItemMatSet(kEquaPolyResult, k + 1, 2, &im) > 2)) {
      code = kErrMemory;
    }
  }
  ValFreeTemp(&roots);
  ValFreeTemp(&mults);
  if (code != 0) {
    ItemMatDelete(kEquaPolyResult);
    ItemMatDelete(kEquaPolyMult);
  }
  return code;
}

u32 NumericSolveSimultaneous(u32 n) {
  ItemMatDelete(kEquaSimlResult);
  if (n == 0 || n > kItemMatMaxDim - 1) return kErrMemory;
  const MemHandle ha = MemAlloc(n * n * 24), hb = MemAlloc(n * 24);
  if (ha == 0 || hb == 0) {
    if (ha) MemFree(ha);
    if (hb) MemFree(hb);
    return kErrMemory;
  }
  BcdReal *ea = ArrElems(ha), *eb = ArrElems(hb);
  std::memset(ea, 0, n * n * 24);
  std::memset(eb, 0, n * 24);
  bool cxA = false, cxB = false;
  for (u32 i = 0; i < n; ++i) {
    for (u32 j = 0; j <= n; ++j) {
      Value v;
      if (ItemMatGet(kEquaSimlCoef, i + 1, j + 1, &v) > 3) {
        MemFree(ha);
        MemFree(hb);
        return kErrMemory;
      }
      const bool cx = ValIsComplex(&v) == 1;
      if (j < n) {
        ArrPut(ea, n * n, true, i * n + j, &v);
        cxA = cxA || cx;
      } else {
        ArrPut(eb, n, true, i, &v);
        cxB = cxB || cx;
      }
    }
  }
  // Real parts only when nothing is complex (shrinking cannot fail for
  // want of room, but a failure keeps the complex layout).
  if (!cxA && MemRealloc(ha, n * n * 12) == 0) cxA = true;
  if (!cxB && MemRealloc(hb, n * 12) == 0) cxB = true;
  Value a, b, x;
  ArrSetMatrix(&a, cxA, static_cast<u16>(n), static_cast<u16>(n), ha);
  ArrSetMatrix(&b, cxB, static_cast<u16>(n), 1, hb);
  u32 code = 0;
  if (KeyBreakPoll() != 0) {
    code = kErrBreak;
  } else if (MatRealizeRhs(n, &a, &b) != 1) {
    code = kErrMemory;
  } else if (KeyBreakPoll() != 0) {
    code = kErrBreak;
  } else if (MatSolveLinear(n, &a, &b, &x) != 1) {
    code = ValErrorCode(&x);
  }
  MemFree(ha);
  MemFree(hb);
  if (code != 0) return code;
  if (ItemMatStoreValue(kEquaSimlResult, &x) != 0) code = kErrMemory;
  ValFreeTemp(&x);
  return code;
}

// The typed equation goes to the root finder in its equation form (side
// [= side] up to the end of the text), on evaluator stacks of its own. The
// text is read from a copy with two zero bytes before it, so the reader's
// look-behind stays inside it.
u32 NumericSolveEquation(const u8 **pos, u8 variable, const BcdReal *upper, const BcdReal *lower, Value *left,
                         Value *right) {
  constexpr u32 kCopyMax = 1024;
  constexpr u8 kErrTimeOut = 29;
  u8 copy[2 + kCopyMax + 1];
  const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<const char *>(*pos)));
  TokPos text = *pos;
  if (len <= kCopyMax) {
    copy[0] = 0;
    copy[1] = 0;
    std::memcpy(copy + 2, *pos, len + 1);
    text = copy + 2;
  }
  EvalOperandStack operands{};
  EvalOperatorStack operators{};
  EvalReturnStack returns{};
  EvalStackArea area{&operands, &operators, &returns};
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  tok.re.b[0] = '0';
  TokNext(&tok, &text);
  Value out;
  std::memset(&out, 0, sizeof out);
  if (NumericSolve(upper, lower, &out, variable, left, right, text, &tok, &area, kSolveModeEqua)) return 0;
  const u8 code = ValErrorCode(&out);
  return code != 0 ? code : kErrTimeOut;
}
