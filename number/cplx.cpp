// Complex operations on pairs, written on the real operations so that exact
// parts stay exact.
#include "number/cplx.h"

#include <cstring>
#include <initializer_list>

#include "number/bcd.h"
#include "number/digits/digits.h"
#include "number/numparse.h"
#include "number/realop.h"

namespace {

bool IsError(const BcdReal *x) { return (x->b[0] >> 4) == 0xF; }
bool IsFracForm(const BcdReal *x) { return (x->b[0] & 0x0F) == 0x0A && !IsError(x); }
bool IsExact(const BcdReal *x) { return IsFracForm(x) || RealIsInteger(x) == 1; }

BcdReal Zero() {
  BcdReal z;
  return *RealSetZero(&z);
}

BcdReal Int(i32 n) {
  BcdReal r;
  return *NumFromInt32(n, RealSetZero(&r));
}

// Comparisons with zero read the stored form: a number is zero when its
// first digit is 0 (a fraction never is) and negative by its sign nibble.
bool IsZero(const BcdReal *x) { return !IsError(x) && !IsFracForm(x) && (x->b[1] & 0x0F) == 0; }

bool IsNegative(const BcdReal *x) {
  const u8 s = x->b[0] >> 4;
  return (s == 5 || s == 6) && (IsFracForm(x) || (x->b[1] & 0x0F) != 0);
}

void Set(CplxPair *out, const BcdReal &re, const BcdReal &im) {
  out->re = re;
  out->im = im;
}

// Unpacks a pair, runs a working-form routine on it, packs both parts.
template <typename Fn>
CplxPair *ViaWork(const CplxPair *a, const CplxPair *b, CplxPair *out, Fn fn) {
  BcdWork wa[2], wb[2];
  RealUnpack(&a->re, &wa[0]);
  RealUnpack(&a->im, &wa[1]);
  if (b) {
    RealUnpack(&b->re, &wb[0]);
    RealUnpack(&b->im, &wb[1]);
  }
  fn(wa, wb);
  BcdReal re, im;
  RealSetZero(&re);
  RealSetZero(&im);
  RealPack(&wa[0], &re);
  RealPack(&wa[1], &im);
  Set(out, re, im);
  return out;
}

// An error part of either operand, first found, as a pair result; a
// malformed part (bytes read from outside) is Ma ERROR.
bool PassError(const CplxPair *a, const CplxPair *b, CplxPair *out) {
  const BcdReal *parts[4] = {&a->re, &a->im, b ? &b->re : nullptr, b ? &b->im : nullptr};
  for (const BcdReal *p : parts) {
    if (!p) continue;
    if (IsError(p) || !RealIsWellFormed(p)) {
      BcdReal e = *p;
      if (!RealIsWellFormed(p)) RealMakeError(3, RealSetZero(&e));
      out->re = e;
      out->im = Zero();
      return true;
    }
  }
  return false;
}

// a := the larger and c the smaller of abs(x), abs(y); q := (c / a)^2.
void LargerAndRatioSquared(const CplxPair *z, BcdReal *a, BcdReal *q) {
  BcdReal x, y, c;
  RealAbs(&z->re, &x);
  RealAbs(&z->im, &y);
  if (RealIsGreaterEqual(&x, &y) == 1) {
    *a = x;
    c = y;
  } else {
    *a = y;
    c = x;
  }
  RealDiv(&c, a, q);
  RealMul(q, q, q);
}

// a / b when b is real (a / br part by part) or purely imaginary
// (ai / bi, -(ar / bi)), the quotients by div; false for any other b.
bool DivideByAxisValue(const CplxPair *a, const CplxPair *b, BcdReal *(*div)(const BcdReal *, const BcdReal *, BcdReal *),
                       CplxPair *out) {
  BcdReal re, im;
  if (IsZero(&b->im)) {
    div(&a->re, &b->re, &re);
    div(&a->im, &b->re, &im);
  } else if (IsZero(&b->re)) {
    div(&a->im, &b->im, &re);
    div(&a->re, &b->im, &im);
    RealNeg(&im, &im);
  } else {
    return false;
  }
  Set(out, re, im);
  return true;
}

// a / b as ((ar br + ai bi) / den, (ai br - ar bi) / den) with
// den = br^2 + bi^2, the quotients by div. False (out untouched) when den is
// zero or an error, or a part of the result is an error.
bool TextbookQuotient(const CplxPair *a, const CplxPair *b, BcdReal *(*div)(const BcdReal *, const BcdReal *, BcdReal *),
                      CplxPair *out) {
  BcdReal t1, t2, den;
  RealMul(&b->re, &b->re, &t1);
  RealMul(&b->im, &b->im, &t2);
  RealAddMaru(&t1, &t2, &den);
  if (IsError(&den) || IsZero(&den)) return false;
  BcdReal nre, nim, re, im;
  RealMul(&a->re, &b->re, &t1);
  RealMul(&a->im, &b->im, &t2);
  RealAddMaru(&t1, &t2, &nre);
  RealMul(&a->im, &b->re, &t1);
  RealMul(&a->re, &b->im, &t2);
  RealSubMaru(&t1, &t2, &nim);
  div(&nre, &den, &re);
  div(&nim, &den, &im);
  if (IsError(&re) || IsError(&im)) return false;
  Set(out, re, im);
  return true;
}

}  // namespace

namespace {

CplxPair *PartByPart(const CplxPair *a, const CplxPair *b, CplxPair *out,
                     BcdReal *(*fn)(const BcdReal *, const BcdReal *, BcdReal *)) {
  BcdReal re, im;
  fn(&a->re, &b->re, &re);
  fn(&a->im, &b->im, &im);
  Set(out, re, im);
  return out;
}

}  // namespace

CplxPair *CplxAdd(const CplxPair *a, const CplxPair *b, CplxPair *out) { return PartByPart(a, b, out, RealAddMaru); }

CplxPair *CplxAddMaru(const CplxPair *a, const CplxPair *b, CplxPair *out) { return CplxAdd(a, b, out); }

CplxPair *CplxSub(const CplxPair *a, const CplxPair *b, CplxPair *out) { return PartByPart(a, b, out, RealSubMaru); }

CplxPair *CplxSubMaru(const CplxPair *a, const CplxPair *b, CplxPair *out) { return CplxSub(a, b, out); }

CplxPair *CplxMul(const CplxPair *a, const CplxPair *b, CplxPair *out) {
  BcdReal p1, p2, p3, p4, re{}, im{};
  RealMul(&a->re, &b->re, &p1);
  RealMul(&a->im, &b->im, &p2);
  RealMul(&a->re, &b->im, &p3);
  RealMul(&a->im, &b->re, &p4);
  RealSubMaru(&p1, &p2, &re);
  RealAddMaru(&p3, &p4, &im);
  Set(out, re, im);
  return out;
}

CplxPair *CplxDiv(const CplxPair *a, const CplxPair *b, CplxPair *out) {
  if (DivideByAxisValue(a, b, RealDiv, out)) return out;
  if (IsExact(&a->re) && IsExact(&a->im) && IsExact(&b->re) && IsExact(&b->im) &&
      TextbookQuotient(a, b, RealDiv, out))
    return out;
  return ViaWork(a, b, out, [](BcdWork *wa, BcdWork *wb) { BcdCplxDiv(wa, wb); });
}

CplxPair *CplxDivToFrac(const CplxPair *a, const CplxPair *b, CplxPair *out) {
  if (DivideByAxisValue(a, b, RealDivToFrac, out)) return out;
  if (!IsExact(&a->re) || !IsExact(&a->im) || !IsExact(&b->re) || !IsExact(&b->im)) return CplxDiv(a, b, out);
  // Multiply all four parts by the least common multiple of b's denominators
  // so that b's parts become integers.
  NumFracParts pr, pi;
  NumFracUnpack(&b->re, &pr);
  NumFracUnpack(&b->im, &pi);
  u64 dr, di;
  if (!NumToU64(&pr.den, &dr) || !NumToU64(&pi.den, &di) || dr == 0 || di == 0) return CplxDiv(a, b, out);
  const unsigned __int128 lcm = static_cast<unsigned __int128>(dr / NumGcd(dr, di)) * di;
  if (lcm >= 1000000000000000ull) return CplxDiv(a, b, out);
  BcdReal L;
  NumFromU64(static_cast<u64>(lcm), RealSetZero(&L));
  CplxPair sa, sb;
  RealMul(&a->re, &L, &sa.re);
  RealMul(&a->im, &L, &sa.im);
  RealMul(&b->re, &L, &sb.re);
  RealMul(&b->im, &L, &sb.im);
  if (TextbookQuotient(&sa, &sb, RealDivToFrac, out)) return out;
  return CplxDiv(a, b, out);
}

CplxPair *CplxPow(const CplxPair *z, const CplxPair *w, CplxPair *out) {
  if (PassError(z, w, out)) return out;
  const BcdReal zero = Zero(), one = Int(1);
  if (IsZero(&z->re) && IsZero(&z->im)) {
    if (RealIsGreater(&w->re, &zero) == 1) {
      Set(out, zero, zero);
    } else {
      BcdReal e;
      RealMakeError(3, RealSetZero(&e));
      Set(out, e, zero);
    }
    return out;
  }
  if (IsZero(&w->re) && IsZero(&w->im)) {
    Set(out, one, zero);
    return out;
  }
  if (RealIsEqual(&w->re, &one) == 1 && IsZero(&w->im)) {
    const CplxPair zz = *z;
    *out = zz;
    return out;
  }
  if (IsZero(&z->re) && IsZero(&w->im) && RealIsInteger(&w->re) == 1) {
    BcdReal r, k;
    RealPow(&z->im, &w->re, &r);
    const BcdReal four = Int(4);
    RealMod(&w->re, &four, &k);
    i32 kk = NumToInt32(&k);
    if (kk < 0) kk += 4;
    CplxPair unit, rr;
    switch (kk) {
      case 0: Set(&unit, one, zero); break;
      case 1: Set(&unit, zero, one); break;
      case 2: Set(&unit, Int(-1), zero); break;
      default: Set(&unit, zero, Int(-1)); break;
    }
    Set(&rr, r, zero);
    return CplxMul(&rr, &unit, out);
  }
  CplxPair l, m;
  CplxLn(z, &l);
  CplxMul(w, &l, &m);
  return CplxExp(&m, out);
}

BcdReal *CplxRelEqual(const CplxPair *a, const CplxPair *b, BcdReal *out) {
  BcdReal r1, r2;
  RealRelEqual(&a->re, &b->re, &r1);
  RealRelEqual(&a->im, &b->im, &r2);
  return RealMul(&r1, &r2, out);
}

BcdReal *CplxRelNotEqual(const CplxPair *a, const CplxPair *b, BcdReal *out) {
  BcdReal r1, r2, s;
  RealRelNotEqual(&a->re, &b->re, &r1);
  RealRelNotEqual(&a->im, &b->im, &r2);
  RealAdd(&r1, &r2, &s);
  return RealSignum(&s, out);
}

CplxPair *CplxAbs(const CplxPair *z, CplxPair *out) {
  const BcdReal zero = Zero();
  BcdReal r;
  if (IsZero(&z->re)) {
    RealAbs(&z->im, &r);
  } else if (IsZero(&z->im)) {
    RealAbs(&z->re, &r);
  } else {
    BcdReal a, q, one = Int(1);
    LargerAndRatioSquared(z, &a, &q);
    RealAdd(&one, &q, &q);
    RealSqrt(&q, &q);
    RealMul(&a, &q, &r);
  }
  Set(out, r, zero);
  return out;
}

CplxPair *CplxArg(const CplxPair *z, CplxPair *out, u16 unit) {
  BcdReal r;
  RealAtan2(&z->im, &z->re, &r, unit);
  Set(out, r, Zero());
  return out;
}

CplxPair *CplxSqrt(const CplxPair *z, CplxPair *out) {
  if (PassError(z, nullptr, out)) return out;
  const BcdReal zero = Zero(), two = Int(2);
  BcdReal x = z->re, y = z->im;
  if (IsZero(&y)) {
    BcdReal r;
    if (IsNegative(&x)) {
      RealAbs(&x, &r);
      RealSqrt(&r, &r);
      Set(out, zero, r);
    } else {
      RealSqrt(&x, &r);
      Set(out, r, zero);
    }
    return out;
  }
  if (IsZero(&x)) {
    BcdReal t, ay;
    RealAbs(&y, &ay);
    RealDiv(&ay, &two, &t);
    RealSqrt(&t, &t);
    if (IsZero(&t)) {
      BcdReal h;
      RealSetHalfSqrt2(RealSetZero(&h));
      RealSqrt(&ay, &t);
      RealMul(&t, &h, &t);
    }
    BcdReal s, im;
    RealSignum(&y, &s);
    RealMul(&t, &s, &im);
    Set(out, t, im);
    return out;
  }
  CplxPair m;
  CplxAbs(z, &m);
  if (IsError(&m.re)) {
    Set(out, m.re, zero);
    return out;
  }
  const bool neg = IsNegative(&x);
  BcdReal s, t;
  if (neg) RealSub(&m.re, &x, &t);
  else RealAdd(&m.re, &x, &t);
  RealMul(&t, &two, &t);
  RealSqrt(&t, &s);
  if (IsExact(&s) && !IsZero(&s)) {
    BcdReal p, q;
    if (!neg) {
      RealDiv(&s, &two, &p);
      RealDiv(&y, &s, &q);
      Set(out, p, q);
    } else {
      RealDiv(&y, &s, &p);
      RealDiv(&s, &two, &q);
      if (IsNegative(&y)) {
        RealNeg(&p, &p);
        RealNeg(&q, &q);
      }
      Set(out, p, q);
    }
    return out;
  }
  return ViaWork(z, nullptr, out, [](BcdWork *wa, BcdWork *) { BcdCplxRoot(wa, 2); });
}

CplxPair *CplxExp(const CplxPair *z, CplxPair *out) {
  BcdReal e, c, s, re, im;
  RealExp(&z->re, &e);
  RealCos(&z->im, &c, 1);
  RealSin(&z->im, &s, 1);
  RealMul(&e, &c, &re);
  RealMul(&e, &s, &im);
  Set(out, re, im);
  return out;
}

CplxPair *CplxExp10(const CplxPair *z, CplxPair *out) {
  BcdReal ln10;
  RealSetLn10(RealSetZero(&ln10));
  CplxPair t;
  RealMul(&z->re, &ln10, &t.re);
  RealMul(&z->im, &ln10, &t.im);
  return CplxExp(&t, out);
}

CplxPair *CplxLn(const CplxPair *z, CplxPair *out) {
  if (PassError(z, nullptr, out)) return out;
  const BcdReal zero = Zero();
  if (IsZero(&z->re) && IsZero(&z->im)) {
    BcdReal e;
    RealMakeError(3, RealSetZero(&e));
    Set(out, e, zero);
    return out;
  }
  BcdReal a, q, l, re, im;
  LargerAndRatioSquared(z, &a, &q);
  RealLogs(&q, &l);
  const BcdReal two = Int(2);
  RealDiv(&l, &two, &l);
  RealLn(&a, &q);
  RealAdd(&q, &l, &re);
  RealAtan2(&z->im, &z->re, &im, 1);
  Set(out, re, im);
  return out;
}

CplxPair *CplxLog10(const CplxPair *z, CplxPair *out) {
  CplxPair l;
  CplxLn(z, &l);
  BcdReal ln10, re, im;
  RealSetLn10(RealSetZero(&ln10));
  RealDiv(&l.re, &ln10, &re);
  RealDiv(&l.im, &ln10, &im);
  Set(out, re, im);
  return out;
}

CplxPair *CplxEachPart(const CplxPair *z, CplxPair *out, BcdReal *(*fn)(const BcdReal *, BcdReal *)) {
  BcdReal re, im;
  fn(&z->re, &re);
  fn(&z->im, &im);
  Set(out, re, im);
  return out;
}

CplxPair *CplxIntg(const CplxPair *z, CplxPair *out) { return CplxEachPart(z, out, RealIntg); }
CplxPair *CplxInt(const CplxPair *z, CplxPair *out) { return CplxEachPart(z, out, RealInt); }
CplxPair *CplxFrac(const CplxPair *z, CplxPair *out) { return CplxEachPart(z, out, RealFrac); }
CplxPair *CplxNeg(const CplxPair *z, CplxPair *out) { return CplxEachPart(z, out, RealNeg); }

CplxPair *CplxRoundDecimals(const CplxPair *z, CplxPair *out, int n) {
  BcdReal re, im;
  RealRoundDecimals(&z->re, &re, n);
  RealRoundDecimals(&z->im, &im, n);
  Set(out, re, im);
  return out;
}

CplxPair *CplxSqrtOfSquareShift(const CplxPair *z, CplxPair *out, int s) {
  const BcdReal zero = Zero(), one = Int(1);
  if (s != 1 && s != -1) {
    BcdReal e;
    RealMakeError(3, RealSetZero(&e));
    Set(out, e, zero);
    return out;
  }
  // z^2 - c^2 as (z + c)(z - c), with c = i for s = 1 and c = 1 for s = -1.
  CplxPair c, p, q, r;
  if (s == 1) Set(&c, zero, one);
  else Set(&c, one, zero);
  CplxAdd(z, &c, &p);
  CplxSub(z, &c, &q);
  CplxMul(&p, &q, &r);
  return CplxSqrt(&r, out);
}

// ---- working-form pairs ----

namespace {

constexpr u16 kKindNumber = 4;

bool ExtIsZero(const BcdExt *x) { return BcdExtGetWord(x) == 0; }
bool ExtIsNegative(const BcdExt *x) { return BcdExtGetWord(x) >= 0x5000; }
bool ExtIsNumber(const BcdExt *x) { return (x->b[0] >> 4) == 0; }

void ExtAbs(BcdExt *x) {
  const u16 w = BcdExtGetWord(x);
  if (w >= 0x5000) BcdExtSetWord(x, static_cast<u16>(w - 0x5000));
}

void ExtNeg(BcdExt *x) {
  const u16 w = BcdExtGetWord(x);
  if (w == 0) return;
  BcdExtSetWord(x, static_cast<u16>(w >= 0x5000 ? w - 0x5000 : w + 0x5000));
}

int ExtExponent(const BcdExt *x) {
  u16 w = BcdExtGetWord(x);
  if (w == 0) return 0;
  return ShExpDecimal(&w);
}

BcdExt ExtSmall(u16 n) {
  BcdExt e;
  BcdExtFromSmallInt(n, &e);
  return e;
}

// Rounds an extended result to 15 digits and narrows it.
void Finish(BcdExt *x, BcdWork *out) {
  if (ExtIsNumber(x)) ShExtRound(x);
  ShExtNarrow(x, out);
}

i16 ErrorOf(const BcdWork *x) { return static_cast<i16>(BcdErrorCode(x)); }

// Screening shared by the pair routines: an error part of a returns its code;
// an error part of b is copied into a's real part.
bool ScreenPairs(BcdWork a[2], const BcdWork *b, i16 *code) {
  for (int i = 0; i < 2; ++i) {
    if (ErrorOf(&a[i]) != 0) {
      *code = ErrorOf(&a[i]);
      if (i == 1) a[0] = a[1];
      return true;
    }
  }
  if (b) {
    for (int i = 0; i < 2; ++i) {
      if (ErrorOf(&b[i]) != 0) {
        a[0] = b[i];
        *code = ErrorOf(&b[i]);
        return true;
      }
    }
  }
  return false;
}

// abs(x + iy) in the extended form, scaled so that no square overflows.
void ExtHypot(const BcdWork *x, const BcdWork *y, BcdExt *out) {
  BcdExt L, S;
  ShExtWiden(x, &L);
  ShExtWiden(y, &S);
  ExtAbs(&L);
  ExtAbs(&S);
  if (ExtIsZero(&S)) {
    *out = L;
    return;
  }
  if (ExtIsZero(&L)) {
    *out = S;
    return;
  }
  BcdWork lw, sw;
  ShExtNarrow(&L, &lw);
  ShExtNarrow(&S, &sw);
  if (BcdCompare(&lw, &sw) == 2) {
    const BcdExt t = L;
    L = S;
    S = t;
  }
  const int e = ExtExponent(&L);
  BcdExtScale10(&L, static_cast<i16>(-e));
  BcdExtScale10(&S, static_cast<i16>(-e));
  BcdExtSquare(&L);
  BcdExtSquare(&S);
  BcdExtAdd(&L, &S);
  BcdExtSqrt(&L);
  BcdExtScale10(&L, static_cast<i16>(e));
  *out = L;
}

}  // namespace

i16 BcdCplxMul(BcdWork a[2], const BcdWork b[2]) {
  i16 code;
  if (ScreenPairs(a, b, &code)) return code;
  if (BcdZeroCode(&a[1]) == 1 && BcdZeroCode(&b[1]) == 1) return BcdMul(&a[0], &b[0]);
  BcdExt p, q, c, d;
  ShExtWiden(&a[0], &p);
  ShExtWiden(&a[1], &q);
  ShExtWiden(&b[0], &c);
  ShExtWiden(&b[1], &d);
  BcdExt pc = p, qd = q, pd = p, qc = q;
  BcdExtMul(&pc, &c);
  BcdExtMul(&qd, &d);
  BcdExtMul(&pd, &d);
  BcdExtMul(&qc, &c);
  BcdExtSubMaru(&pc, &qd);
  BcdExtAddMaru(&pd, &qc);
  Finish(&pc, &a[0]);
  Finish(&pd, &a[1]);
  return 0;
}

i16 BcdCplxDiv(BcdWork a[2], const BcdWork b[2]) {
  i16 code;
  if (ScreenPairs(a, b, &code)) return code;
  const bool qZero = BcdZeroCode(&a[1]) == 1, dZero = BcdZeroCode(&b[1]) == 1;
  if (qZero && dZero) return BcdDiv(&a[0], &b[0]);
  if (dZero) {
    BcdDiv(&a[0], &b[0]);
    BcdDiv(&a[1], &b[0]);
    if (ErrorOf(&a[1]) != 0) a[0] = a[1];
    return ErrorOf(&a[0]);
  }
  const BcdWork *parts[4] = {&a[0], &a[1], &b[0], &b[1]};
  for (const BcdWork *w : parts) {
    if (BcdKind(w) != kKindNumber) return static_cast<i16>(BcdMakeError(8, &a[0]));
  }
  const int ep = BcdExponent(&a[0]), eq = BcdExponent(&a[1]);
  const int ec = BcdExponent(&b[0]), ed = BcdExponent(&b[1]);
  const int m = ec > ed ? ec : ed;
  BcdExt p, q, c, d;
  ShExtWiden(&a[0], &p);
  ShExtWiden(&a[1], &q);
  ShExtWiden(&b[0], &c);
  ShExtWiden(&b[1], &d);
  BcdExtScale10(&p, static_cast<i16>(-ep));
  BcdExtScale10(&q, static_cast<i16>(-eq));
  BcdExtScale10(&c, static_cast<i16>(-ec));
  BcdExtScale10(&d, static_cast<i16>(-ed));
  // Denominator c^2 + d^2 relative to 10^(2m).
  BcdExt c2 = c, d2 = d;
  BcdExtSquare(&c2);
  BcdExtScale10(&c2, static_cast<i16>(2 * (ec - m)));
  BcdExtSquare(&d2);
  BcdExtScale10(&d2, static_cast<i16>(2 * (ed - m)));
  BcdExtAdd(&c2, &d2);
  auto product = [m](const BcdExt &x, int ex, const BcdExt &y, int ey) {
    BcdExt r = x;
    BcdExtMul(&r, &y);
    BcdExtScale10(&r, static_cast<i16>(ex + ey - 2 * m));
    return r;
  };
  BcdExt re = product(p, ep, c, ec), qd = product(q, eq, d, ed);
  BcdExt im = product(q, eq, c, ec), pd = product(p, ep, d, ed);
  BcdExtAddMaru(&re, &qd);
  BcdExtSubMaru(&im, &pd);
  BcdExtDiv(&re, &c2);
  BcdExtDiv(&im, &c2);
  if (!ExtIsNumber(&re)) {
    // Ratio form from the unscaled parts.
    ShExtWiden(&a[0], &p);
    ShExtWiden(&a[1], &q);
    ShExtWiden(&b[0], &c);
    ShExtWiden(&b[1], &d);
    BcdExt ac = c, ad = d;
    ExtAbs(&ac);
    ExtAbs(&ad);
    BcdWork acw, adw;
    ShExtNarrow(&ac, &acw);
    ShExtNarrow(&ad, &adw);
    BcdExt r, den, t;
    if (BcdCompare(&acw, &adw) != 2) {
      r = d;
      BcdExtDiv(&r, &c);
      den = d;
      BcdExtMul(&den, &r);
      BcdExtAdd(&den, &c);
      re = q;
      BcdExtMul(&re, &r);
      BcdExtAdd(&re, &p);
      t = p;
      BcdExtMul(&t, &r);
      im = q;
      BcdExtSub(&im, &t);
    } else {
      r = c;
      BcdExtDiv(&r, &d);
      den = c;
      BcdExtMul(&den, &r);
      BcdExtAdd(&den, &d);
      re = p;
      BcdExtMul(&re, &r);
      BcdExtAdd(&re, &q);
      im = q;
      BcdExtMul(&im, &r);
      BcdExtSub(&im, &p);
    }
    BcdExtDiv(&re, &den);
    BcdExtDiv(&im, &den);
  }
  Finish(&re, &a[0]);
  Finish(&im, &a[1]);
  if (BcdKind(&a[1]) != kKindNumber && ErrorOf(&a[0]) == 0) a[0] = a[1];
  return ErrorOf(&a[0]);
}

i16 BcdCplxAbs(BcdWork a[2]) {
  i16 code;
  if (ScreenPairs(a, nullptr, &code)) return code;
  if (BcdKind(&a[0]) != kKindNumber || BcdKind(&a[1]) != kKindNumber) {
    BcdZero(&a[1]);
    return static_cast<i16>(BcdMakeError(8, &a[0]));
  }
  BcdExt r;
  ExtHypot(&a[0], &a[1], &r);
  Finish(&r, &a[0]);
  BcdZero(&a[1]);
  return ErrorOf(&a[0]);
}

i16 BcdCplxRoot(BcdWork a[2], int mode) {
  i16 code;
  if (ScreenPairs(a, nullptr, &code)) return code;
  if (mode == 1) {
    if (BcdZeroCode(&a[1]) != 1) return static_cast<i16>(BcdMakeError(17, &a[0]));
    return BcdSqrt(&a[0]);
  }
  const BcdExt two = ExtSmall(2);
  if (BcdZeroCode(&a[1]) == 1) {
    const bool neg = BcdSign(&a[0]) == 2;
    BcdAbs(&a[0]);
    BcdSqrt(&a[0]);
    if (neg) {
      a[1] = a[0];
      BcdZero(&a[0]);
    }
    return ErrorOf(&a[0]);
  }
  for (const BcdWork *w : {&a[0], &a[1]}) {
    if (BcdKind(w) != kKindNumber) return static_cast<i16>(BcdMakeError(8, &a[0]));
  }
  const bool yNeg = BcdSign(&a[1]) == 2;
  if (BcdZeroCode(&a[0]) == 1) {
    // sqrt(iy) = t (1 + i sign(y)) with t = sqrt(|y| / 2).
    BcdExt t;
    ShExtWiden(&a[1], &t);
    ExtAbs(&t);
    BcdExtDiv(&t, &two);
    BcdExtSqrt(&t);
    BcdExt u = t;
    if (yNeg) ExtNeg(&u);
    Finish(&t, &a[0]);
    Finish(&u, &a[1]);
    return ErrorOf(&a[0]);
  }
  BcdExt m;
  ExtHypot(&a[0], &a[1], &m);
  const int ex = BcdExponent(&a[0]), ey = BcdExponent(&a[1]), em = ExtExponent(&m);
  int big = ex > ey ? ex : ey;
  if (em > big) big = em;
  const int k = big / 2;
  BcdExt x, y;
  ShExtWiden(&a[0], &x);
  ShExtWiden(&a[1], &y);
  BcdExtScale10(&x, static_cast<i16>(-2 * k));
  BcdExtScale10(&m, static_cast<i16>(-2 * k));
  BcdExt ys = y;
  BcdExtScale10(&ys, static_cast<i16>(-2 * k));
  const bool yUnscaled = ExtIsZero(&ys);
  if (!yUnscaled) y = ys;
  const bool xNeg = ExtIsNegative(&x);
  BcdExt s = m;
  if (xNeg) BcdExtSub(&s, &x);
  else BcdExtAdd(&s, &x);
  BcdExtMul(&s, &two);
  BcdExtSqrt(&s);
  BcdExt re, im;
  if (!xNeg) {
    re = s;
    BcdExtDiv(&re, &two);
    im = y;
    BcdExtDiv(&im, &s);
  } else {
    re = y;
    ExtAbs(&re);
    BcdExtDiv(&re, &s);
    im = s;
    BcdExtDiv(&im, &two);
    if (yNeg) ExtNeg(&im);
  }
  // Back to scale: the root scales by 10^k; a part divided by an unscaled y
  // carries y's own scale already, so it moves by 10^-k instead.
  BcdExt *divided = xNeg ? &re : &im;
  BcdExt *other = xNeg ? &im : &re;
  BcdExtScale10(other, static_cast<i16>(k));
  BcdExtScale10(divided, static_cast<i16>(yUnscaled ? -k : k));
  Finish(&re, &a[0]);
  Finish(&im, &a[1]);
  if (BcdKind(&a[1]) != kKindNumber && ErrorOf(&a[0]) == 0) a[0] = a[1];
  return ErrorOf(&a[0]);
}
