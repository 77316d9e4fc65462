// Numeric derivatives.
#include "numeric/deriv.h"

#include <cstring>
#include <utility>

#include "kernel/heap.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/calc_point.h"

namespace {

constexpr u8 kErrMa = 3, kErrMemory = 4, kErrNonReal = 17, kErrTimeOut = 29;
constexpr int kTries = 7;

int EvalF(const BcdReal *x, TokPos pos, const EvalCell *tok, EvalStackArea *area, Value *out) {
  const CalcExpr e{pos, *tok, area, 'X'};
  return CalcEvalAt(&e, x, kCalcPointFlags, out);
}

bool IsMinusOne(const BcdReal *t) {
  BcdReal m;
  EvalSetMinusOne(&m);
  return RealIsEqual(t, &m) == 1;
}

BcdReal Scaled(const BcdReal *x, const char *factor) {
  const BcdReal p = CalcSignedPowerOfTen(x), f = CalcConst(factor);
  BcdReal r;
  RealMul(&p, &f, &r);
  return r;
}

void DivBy(BcdReal *h, const char *by) {
  const BcdReal d = CalcConst(by);
  RealDiv(h, &d, h);
}

// Rounded to 11 digits into out; 1 unless it is an error value.
int Rounded(const BcdReal *v, Value *out) {
  std::memset(out, 0, sizeof *out);
  CalcRoundSignificant(v, &out->re, 11);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

// Two work rows of n reals from the heap.
struct Rows {
  MemHandle a, b;
};

bool TakeRows(Rows *r, u32 n) {
  r->a = MemAlloc(n * sizeof(BcdReal));
  r->b = r->a != 0 ? MemAlloc(n * sizeof(BcdReal)) : 0;
  if (r->b == 0) {
    MemFree(r->a);
    return false;
  }
  std::memset(ArrElems(r->a), 0, n * sizeof(BcdReal));
  std::memset(ArrElems(r->b), 0, n * sizeof(BcdReal));
  return true;
}

int FreeRows(const Rows &r, int result) {
  MemFree(r.a);
  MemFree(r.b);
  return result;
}

}  // namespace

int DerivConverged(const BcdReal *a, const BcdReal *b, const BcdReal *tolerance) {
  BcdReal d, ad, aa, lim;
  RealSub(a, b, &d);
  RealAbs(&d, &ad);
  RealAbs(a, &aa);
  RealMul(&aa, tolerance, &lim);
  return RealIsLessEqual(&ad, &lim) == 1 ? 1 : 0;
}

int DerivStepAdjust(const BcdReal *x, BcdReal *h, Value *out, TokPos pos, const EvalCell *tok, EvalStackArea *area) {
  Value f0;
  if (!EvalF(x, pos, tok, area, &f0)) {
    *out = f0;
    return 0;
  }
  const BcdReal lowest = CalcConst("0"), highest = CalcConst("0.2"), nine = CalcConst("0.9");
  for (int reductions = 0; reductions < kTries;) {
    BcdReal xh;
    RealAddMaru(x, h, &xh);
    Value f1;
    if (!EvalF(&xh, pos, tok, area, &f1)) {
      const u8 code = ValErrorCode(&f1);
      if (code != kErrMa && code != kErrNonReal) {
        *out = f1;
        return 0;
      }
      DivBy(h, "10");
      ++reductions;
      continue;
    }
    if (CalcIsZero(&f0.re) || CalcIsZero(&f1.re)) return 1;
    BcdReal ratio, ar, dev;
    RealDiv(&f1.re, &f0.re, &ratio);
    RealAbs(&ratio, &ar);
    RealSub(&ar, &nine, &dev);
    if (ValErrorCode(&ratio) == 0 && RealIsLess(&ratio, &lowest) == 0 && RealIsGreaterEqual(&dev, &lowest) == 1 &&
        RealIsLessEqual(&dev, &highest) == 1)
      return 1;
    DivBy(h, "10");
    ++reductions;
  }
  return 1;
}

int DerivCentralDifference(const BcdReal *x, BcdReal *h, Value *out, TokPos pos, const EvalCell *tok,
                           EvalStackArea *area) {
  for (int tries = 1;; ++tries) {
    BcdReal xp, xm;
    RealAddMaru(x, h, &xp);
    RealSubMaru(x, h, &xm);
    Value fp, fm;
    const bool ok = EvalF(&xp, pos, tok, area, &fp) && EvalF(&xm, pos, tok, area, &fm);
    if (!ok) {
      const Value &bad = ValErrorCode(&fp) != 0 ? fp : fm;
      if (ValErrorCode(&bad) != kErrMa) {
        *out = bad;
        return 0;
      }
      if (tries >= kTries) {
        CalcFail(out, kErrMa);
        return 0;
      }
      DivBy(h, "10");
      continue;
    }
    const int ep = RealDecimalExponent(&fp.re), em = RealDecimalExponent(&fm.re);
    const int e = ep > em ? ep : em;
    BcdReal d;
    RealSub(&fp.re, &fm.re, &d);
    int lost = e - RealDecimalExponent(&d) + 1;
    if (lost < 0) lost = 0;
    if (lost > 14) lost = 14;
    if (15 - lost < 3) RealSetZero(&d);
    BcdReal q, two;
    RealDiv(&d, h, &q);
    RealSetTwo(&two);
    std::memset(out, 0, sizeof *out);
    RealDiv(&q, &two, &out->re);
    return ValErrorCode(out) == 0 ? 1 : 0;
  }
}

int DerivSecondDifference(const BcdReal *x, BcdReal *h, Value *out, TokPos pos, const EvalCell *tok,
                          EvalStackArea *area) {
  Value f0;
  if (!EvalF(x, pos, tok, area, &f0)) {
    *out = f0;
    return 0;
  }
  const int e0 = RealDecimalExponent(&f0.re);
  for (int tries = 1;; ++tries) {
    // f(x + 3h), f(x - 3h), f(x + 2h), f(x - 2h), f(x + h), f(x - h).
    Value f[6];
    bool ok = true;
    for (int i = 0; i < 6 && ok; ++i) {
      BcdReal k, kh, xi;
      NumFromInt32(3 - i / 2, RealSetZero(&k));
      RealMul(&k, h, &kh);
      if (i % 2 == 0) RealAdd(x, &kh, &xi);
      else RealSub(x, &kh, &xi);
      ok = EvalF(&xi, pos, tok, area, &f[i]) != 0;
      if (!ok) {
        const u8 code = ValErrorCode(&f[i]);
        if ((code != kErrMa && code != kErrNonReal) || tries >= kTries) {
          *out = f[i];
          return 0;
        }
      }
    }
    if (!ok) {
      DivBy(h, "10");
      continue;
    }
    BcdReal c490 = CalcConst("-490"), c270 = CalcConst("270"), c27 = CalcConst("27"), c2 = CalcConst("2");
    BcdReal t, s, n;
    RealMul(&c490, &f0.re, &n);
    RealAddMaru(&f[4].re, &f[5].re, &s);
    RealMul(&c270, &s, &t);
    RealAddMaru(&n, &t, &n);
    RealAddMaru(&f[2].re, &f[3].re, &s);
    RealMul(&c27, &s, &t);
    RealSubMaru(&n, &t, &n);
    RealAddMaru(&f[0].re, &f[1].re, &s);
    RealMul(&c2, &s, &t);
    RealAddMaru(&n, &t, &n);
    int eref = e0;
    const int e3p = RealDecimalExponent(&f[0].re), e3m = RealDecimalExponent(&f[1].re);
    if (e3p < eref) eref = e3p;
    if (e3m < eref) eref = e3m;
    if (!CalcIsZero(&n) && eref - RealDecimalExponent(&n) > 12) RealSetZero(&n);
    BcdReal h2, den, c180 = CalcConst("180");
    RealMul(h, h, &h2);
    RealMul(&c180, &h2, &den);
    std::memset(out, 0, sizeof *out);
    RealDiv(&n, &den, &out->re);
    return ValErrorCode(out) == 0 ? 1 : 0;
  }
}

int NumericDerivative(const Value *x, BcdReal *tolerance, Value *out, TokPos pos, const EvalCell *tok,
                      EvalStackArea *area) {
  const BcdReal *xr = &x->re;
  if (IsMinusOne(tolerance)) {
    Value f;
    if (!EvalF(xr, pos, tok, area, &f)) {
      *out = f;
      return 0;
    }
    BcdReal h = Scaled(xr, "1E-8");
    Value d;
    if (!DerivCentralDifference(xr, &h, &d, pos, tok, area)) {
      *out = d;
      return 0;
    }
    return Rounded(&d.re, out);
  }
  if (CalcIsZero(tolerance)) *tolerance = CalcConst("1E-10");
  Rows rows;
  if (!TakeRows(&rows, 16)) {
    CalcFail(out, kErrMemory);
    return 0;
  }
  BcdReal h = Scaled(xr, "1E-2");
  Value d;
  if (!DerivStepAdjust(xr, &h, &d, pos, tok, area) || !DerivCentralDifference(xr, &h, &d, pos, tok, area)) {
    *out = d;
    return FreeRows(rows, 0);
  }
  MemHandle ha = rows.a, hb = rows.b;
  ArrElems(hb)[0] = d.re;
  const BcdReal small = CalcConst("1E-10"), one = CalcConst("1"), four = CalcConst("4");
  for (int k = 1; k <= 15; ++k) {
    std::swap(ha, hb);
    DivBy(&h, "2");
    if (!DerivCentralDifference(xr, &h, &d, pos, tok, area)) {
      *out = d;
      return FreeRows(rows, 0);
    }
    BcdReal *A = ArrElems(ha), *B = ArrElems(hb);
    B[0] = d.re;
    BcdReal p4 = one;
    for (int j = 1; j <= k; ++j) {
      RealMul(&p4, &four, &p4);
      BcdReal diff, den, q;
      RealSub(&B[j - 1], &A[j - 1], &diff);
      RealSub(&p4, &one, &den);
      RealDiv(&diff, &den, &q);
      RealAdd(&B[j - 1], &q, &B[j]);
    }
    if (ValErrorCode(&B[k]) != 0) {
      CalcFail(out, ValErrorCode(&B[k]));
      return FreeRows(rows, 0);
    }
    if (DerivConverged(&B[k], &A[k - 1], tolerance)) return FreeRows(rows, Rounded(&B[k], out));
    BcdReal ab;
    RealAbs(&B[k], &ab);
    if (RealIsLess(&ab, &small) == 1) {
      std::memset(out, 0, sizeof *out);
      return FreeRows(rows, 1);
    }
  }
  CalcFail(out, kErrTimeOut);
  return FreeRows(rows, 0);
}

int NumericSecondDerivative(const Value *x, BcdReal *tolerance, Value *out, TokPos pos, const EvalCell *tok,
                            EvalStackArea *area) {
  const BcdReal *xr = &x->re;
  if (IsMinusOne(tolerance)) {
    BcdReal h = Scaled(xr, "1E-2");
    Value d;
    if (!DerivSecondDifference(xr, &h, &d, pos, tok, area)) {
      *out = d;
      return 0;
    }
    return Rounded(&d.re, out);
  }
  if (CalcIsZero(tolerance)) *tolerance = CalcConst("1E-10");
  Rows rows;
  if (!TakeRows(&rows, 21)) {
    CalcFail(out, kErrMemory);
    return 0;
  }
  BcdReal h = CalcConst("0.1");
  Value d;
  if (!CalcIsZero(xr)) {
    const int e = RealDecimalExponent(xr);
    if (e >= 2) {
      h = Scaled(xr, "0.1");
      if (!DerivStepAdjust(xr, &h, &d, pos, tok, area)) {
        *out = d;
        return FreeRows(rows, 0);
      }
    } else if (e < -4) {
      h = Scaled(xr, "0.1");
    }
  }
  if (!DerivSecondDifference(xr, &h, &d, pos, tok, area)) {
    *out = d;
    return FreeRows(rows, 0);
  }
  if (CalcIsZero(&d.re)) {
    std::memset(out, 0, sizeof *out);
    return FreeRows(rows, 1);
  }
  BcdReal prev = d.re;
  MemHandle ha = rows.a, hb = rows.b;
  ArrElems(hb)[0] = d.re;
  const BcdReal shrink = CalcConst("0.9"), one = CalcConst("1");
  for (int k = 1; k <= 20; ++k) {
    std::swap(ha, hb);
    RealMul(&h, &shrink, &h);
    if (!DerivSecondDifference(xr, &h, &d, pos, tok, area)) {
      *out = d;
      return FreeRows(rows, 0);
    }
    BcdReal *A = ArrElems(ha), *B = ArrElems(hb);
    B[0] = d.re;
    for (int j = 1; j <= k; ++j) {
      BcdReal diff, e;
      RealSub(&B[j - 1], &A[j - 1], &diff);
      if (CalcIsZero(&diff)) RealSetZero(&e);
      else RealDiv(&one, &diff, &e);
      if (j == 1) B[j] = e;
      else RealAdd(&A[j - 2], &e, &B[j]);
    }
    if (ValErrorCode(&B[k]) != 0) {
      CalcFail(out, ValErrorCode(&B[k]));
      return FreeRows(rows, 0);
    }
    if (k >= 2 && k % 2 == 0) {
      if (DerivConverged(&B[k], &prev, tolerance)) return FreeRows(rows, Rounded(&B[k], out));
      prev = B[k];
    }
  }
  CalcFail(out, kErrTimeOut);
  return FreeRows(rows, 0);
}
