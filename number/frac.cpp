// Exact fraction arithmetic on machine integers. Every operand is brought to
// sign x N / d (N the improper numerator); the exact result is reduced and
// packed, so a result that fits the 10-nibble form is exact and one that does
// not is the correctly rounded decimal.
#include "number/frac.h"

#include <cstring>

#include "number/bcd.h"
#include "number/digits/digits.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/list_ops.h"
#include "numeric/mat_ops.h"

namespace {

using u128 = unsigned __int128;
using i128 = __int128;

constexpr u128 kLimit = static_cast<u128>(1000000000000000000ull) * 1000000000000000000ull;  // 10^36

bool IsError(const BcdReal *x) { return (x->b[0] >> 4) == 0xF; }
bool IsFracForm(const BcdReal *x) { return (x->b[0] & 0x0F) == 0x0A && !IsError(x); }
// Above zero: sign class 0 or 1, and not zero (whose first two bytes are 0).
bool IsPositive(const BcdReal *x) { return (x->b[0] >> 4) <= 1 && (x->b[0] != 0 || x->b[1] != 0); }

void Copy(const BcdReal *src, BcdReal *dst) {
  if (src != dst) std::memmove(dst->b, src->b, sizeof dst->b);
}


// Integer square root of v when v is a perfect square.
bool ExactSqrt(u64 v, u64 *root) {
  u64 r = 0;
  for (u64 bit = 1ull << 62; bit != 0; bit >>= 2) {
    if (v >= r + bit) {
      v -= r + bit;
      r = (r >> 1) + bit;
    } else {
      r >>= 1;
    }
  }
  if (v != 0) return false;
  *root = r;
  return true;
}

// base^e, false when it reaches 10^36. A base of 0 or 1 is answered at
// once (its powers never grow, so the loop below would run e times); any
// larger base passes 10^36 within 120 steps.
bool PowU128(u128 base, u64 e, u128 *out) {
  if (base <= 1) {
    *out = e == 0 ? 1 : base;
    return true;
  }
  u128 r = 1;
  for (u64 i = 0; i < e; ++i) {
    if (base != 0 && r > kLimit / base) return false;
    r *= base;
  }
  *out = r;
  return true;
}

// Reduces sign x n / d and writes it: the fraction form when it fits, else
// the correctly rounded decimal. n and d below 10^36, d != 0.
BcdReal *PackExact(i32 sign, u128 n, u128 d, BcdReal *dst) {
  if (n == 0) return RealSetZero(dst);
  const u128 g = NumGcd(n, d);
  n /= g;
  d /= g;
  const u128 w = n / d;
  const u128 r = n % d;
  auto digits = [](u128 v) {
    int k = 1;
    for (; v >= 10; v /= 10) ++k;
    return k;
  };
  if (r == 0 || (w != 0 ? digits(w) + 1 : 0) + digits(r) + 1 + digits(d) <= 10) {
    // Fits the fraction form (or is an integer): the builder writes it.
    constexpr u128 kTen18 = 1000000000000000000ull;
    if (w >= kTen18) return NumFromRatio(sign, n, d, RealSetZero(dst));
    return NumFracWrite(sign, static_cast<u64>(w), static_cast<u64>(r), static_cast<u64>(d), RealSetZero(dst));
  }
  // Too long for any fraction: the correctly rounded decimal n / d. A design
  // choice: the exact quotient is rounded once, never recomputed from
  // rounded decimal operands (1/7 / 2E8 keeps its 15th digit right).
  return NumFromRatio(sign, n, d, RealSetZero(dst));
}

// sqrt(n / d) as sqrt(n) / sqrt(d) in the extended form, so that the
// fraction's exact value is rounded once (a design choice: sqrt(2/9) is
// 0.471404520791032, where the root of the rounded decimal 2/9 would be one
// unit lower); operands beyond 15 digits take the decimal root of a.
BcdReal *SqrtOfRatio(const BcdReal *a, u64 n, u64 d, BcdReal *dst) {
  constexpr u64 kTen15 = 1000000000000000ull;
  if (n >= kTen15 || d >= kTen15) return RealSqrtDecimal(a, dst);
  BcdReal rn, rd;
  NumFromU64(n, RealSetZero(&rn));
  NumFromU64(d, RealSetZero(&rd));
  BcdWork wn, wd;
  RealUnpack(&rn, &wn);
  RealUnpack(&rd, &wd);
  BcdExt en, ed;
  ShExtWiden(&wn, &en);
  ShExtWiden(&wd, &ed);
  BcdExtSqrt(&en);
  BcdExtSqrt(&ed);
  BcdExtDiv(&en, &ed);
  ShExtRound(&en);
  ShExtNarrow(&en, &wn);
  return RealPack(&wn, dst);
}

// An exact operand as sign x n / d x 10^e: a fraction or an integer below
// 10^18 has e = 0; a larger integer is its mantissa (trailing zeros dropped)
// times a power of ten, so integers of every exponent stay exact.
bool ScaledRatio(const BcdReal *x, i32 *sign, u64 *n, u64 *d, i32 *e) {
  *e = 0;
  if (!IsFracForm(x) && RealIsInteger(x) != 1) return false;
  if (NumToRatio(x, sign, n, d)) return true;
  NumDecimal dec;
  if (IsFracForm(x) || !NumGetDecimal(x, &dec)) return false;
  int last = 14;
  while (last > 0 && dec.d[last] == 0) --last;
  u64 m = 0;
  for (int i = 0; i <= last; ++i) m = m * 10 + dec.d[i];
  *sign = dec.sign;
  *n = m;
  *d = 1;
  *e = dec.exp - last;
  return true;
}

// Packs sign x n / d x 10^e exactly when the power of ten folds into n or d
// below 10^36; false when it does not (the caller then works in decimal).
bool PackScaled(i32 sign, u128 n, u128 d, i32 e, BcdReal *dst) {
  if (n != 0) {
    const u128 g = NumGcd(n, d);
    n /= g;
    d /= g;
  }
  for (; e < 0 && n % 10 == 0 && n != 0; ++e) n /= 10;
  for (; e > 0 && d % 10 == 0; --e) d /= 10;
  for (; e > 0; --e) {
    if (n > kLimit / 10) return false;
    n *= 10;
  }
  for (; e < 0; ++e) {
    if (d > kLimit / 10) return false;
    d *= 10;
  }
  if (n >= kLimit || d >= kLimit) return false;
  PackExact(sign, n, d, dst);
  return true;
}

// v x 10^k (k >= 0) when it stays below 10^36.
bool MulBelowLimit(u128 v, i32 k, u128 *out) {
  if (v >= kLimit) return false;
  for (i32 i = 0; i < k && v != 0; ++i) {
    if (v > kLimit / 10) return false;
    v *= 10;
  }
  *out = v;
  return true;
}

// The q-th root of a positive decimal a (q from 2 to 99): the power routine
// with the decimal exponent 0.333... is off by about ln(a) x 10^-15 relative,
// so its answer y is refined by one Newton step, y - (y^q - a) / (q y^(q-1)),
// in the extended form and rounded once. False when the decimal power fails.
bool DecimalRoot(const BcdReal *a, const BcdReal *b, u64 q, BcdReal *dst) {
  BcdReal y;
  RealPowDecimal(a, b, &y);
  if (IsError(&y) || (y.b[0] == 0 && y.b[1] == 0)) return false;
  BcdReal rq;
  NumFromU64(q, RealSetZero(&rq));
  BcdWork wy, wa, wq;
  RealUnpack(&y, &wy);
  RealUnpack(a, &wa);
  RealUnpack(&rq, &wq);
  BcdExt ey, ea, eq, pw;
  ShExtWiden(&wy, &ey);
  ShExtWiden(&wa, &ea);
  ShExtWiden(&wq, &eq);
  pw = ey;  // y^(q-1)
  for (u64 i = 2; i < q; ++i) BcdExtMul(&pw, &ey);
  BcdExt num = pw;  // y^q - a
  BcdExtMul(&num, &ey);
  BcdExtSub(&num, &ea);
  BcdExtMul(&pw, &eq);  // q y^(q-1)
  BcdExtDiv(&num, &pw);
  BcdExtSub(&ey, &num);
  if (ShExtErrorCode(&ey) != 0 || ShExtKind(&ey) != 4) return false;
  ShExtRound(&ey);
  ShExtNarrow(&ey, &wy);
  RealPack(&wy, dst);
  return !IsError(dst);
}

}  // namespace

BcdReal *RealFracOp(int op, const BcdReal *a, const BcdReal *b, BcdReal *dst) {
  if (RealPassError(a, op == kRealOpSqrt ? nullptr : b, dst)) return dst;
  i32 sa = 1, sb = 1, ea = 0, eb = 0;
  u64 na = 0, da = 1, nb = 0, db = 1;
  const bool exactA = ScaledRatio(a, &sa, &na, &da, &ea);
  const bool exactB = op == kRealOpSqrt || ScaledRatio(b, &sb, &nb, &db, &eb);
  if (!exactA || !exactB) {
    if (op == kRealOpSqrt) return RealSqrtDecimal(a, dst);
    return RealBinaryOp(op, a, b, dst);
  }
  BcdReal out;
  if (ea != 0 || eb != 0) {
    // An integer of 10^18 or more takes part: the sum, product or quotient
    // stays exact while its power of ten folds into 36 digits.
    bool packed = false;
    switch (op) {
      case kRealOpAdd:
      case kRealOpSub: {
        const i32 lo = ea < eb ? ea : eb;
        u128 ux, uy;
        if (!MulBelowLimit(static_cast<u128>(na) * db, ea - lo, &ux) ||
            !MulBelowLimit(static_cast<u128>(nb) * da, eb - lo, &uy)) {
          break;
        }
        const i128 x = static_cast<i128>(ux) * sa, y = static_cast<i128>(uy) * sb;
        const i128 n = op == kRealOpAdd ? x + y : x - y;
        packed = PackScaled(n < 0 ? -1 : 1, static_cast<u128>(n < 0 ? -n : n), static_cast<u128>(da) * db, lo, &out);
        break;
      }
      case kRealOpMul:
        packed = PackScaled(sa * sb, static_cast<u128>(na) * nb, static_cast<u128>(da) * db, ea + eb, &out);
        break;
      case kRealOpDiv:
        if (nb == 0) break;
        packed = PackScaled(sa * sb, static_cast<u128>(na) * db, static_cast<u128>(da) * nb, ea - eb, &out);
        break;
      default:
        break;
    }
    if (!packed) return op == kRealOpSqrt ? RealSqrtDecimal(a, dst) : RealBinaryOp(op, a, b, dst);
    Copy(&out, dst);
    return dst;
  }
  switch (op) {
    case kRealOpAdd:
    case kRealOpSub: {
      // sa x na/da +- sb x nb/db over the common denominator da x db.
      const i128 x = static_cast<i128>(static_cast<u128>(na) * db) * sa;
      const i128 y = static_cast<i128>(static_cast<u128>(nb) * da) * sb;
      i128 n = op == kRealOpAdd ? x + y : x - y;
      i32 sign = 1;
      if (n < 0) {
        n = -n;
        sign = -1;
      }
      PackExact(sign, static_cast<u128>(n), static_cast<u128>(da) * db, &out);
      break;
    }
    case kRealOpMul:
      PackExact(sa * sb, static_cast<u128>(na) * nb, static_cast<u128>(da) * db, &out);
      break;
    case kRealOpDiv:
      if (nb == 0) {
        RealMakeError(3, dst);
        return dst;
      }
      PackExact(sa * sb, static_cast<u128>(na) * db, static_cast<u128>(da) * nb, &out);
      break;
    case kRealOpPow: {
      if (db == 1) {
        // Integer exponent: exact powers of numerator and denominator.
        u128 pn, pd;
        if (sb < 0 && na == 0) {
          RealMakeError(3, dst);
          return dst;
        }
        if (!PowU128(na, nb, &pn) || !PowU128(da, nb, &pd)) return RealBinaryOp(kRealOpPow, a, b, dst);
        const i32 sign = (sa < 0 && (nb & 1)) ? -1 : 1;
        if (sb < 0) PackExact(sign, pd, pn, &out);
        else PackExact(sign, pn, pd, &out);
        break;
      }
      if (sa < 0) return RealBinaryOp(kRealOpPow, a, b, dst);
      // Fractional exponent: exact only when both roots come out whole.
      BcdReal e, base, rn, rd;
      NumFromU64(nb, RealSetZero(&rn));
      NumFromU64(db, RealSetZero(&rd));
      RealDivDecimal(&rn, &rd, &e);
      NumFromU64(na, RealSetZero(&base));
      RealNormalize(RealPowDecimal(&base, &e, &rn), &rn);
      NumFromU64(da, RealSetZero(&base));
      RealNormalize(RealPowDecimal(&base, &e, &rd), &rd);
      u64 pn, pd;
      if (!NumToU64(&rn, &pn) || !NumToU64(&rd, &pd)) return RealBinaryOp(kRealOpPow, a, b, dst);
      if (sb < 0) {
        if (pn == 0) {
          RealMakeError(3, dst);
          return dst;
        }
        PackExact(1, pd, pn, &out);
      } else {
        PackExact(1, pn, pd, &out);
      }
      break;
    }
    case kRealOpSqrt: {
      if (sa < 0 && na != 0) {
        RealMakeError(3, dst);
        return dst;
      }
      u64 rn, rd;
      if (!ExactSqrt(na, &rn) || !ExactSqrt(da, &rd)) return SqrtOfRatio(a, na, da, dst);
      PackExact(1, rn, rd, &out);
      break;
    }
    default:
      return RealBinaryOp(op, a, b, dst);
  }
  Copy(&out, dst);
  return dst;
}

BcdReal *RealRootPow(const BcdReal *a, const BcdReal *b, BcdReal *dst) {
  i32 sign = 1;
  u64 n = 0, q = 1;
  if (!IsFracForm(a) && !IsError(a) && IsPositive(a) && IsFracForm(b) && NumToRatio(b, &sign, &n, &q) && sign > 0 &&
      n == 1 && q >= 2 && q <= 99 && DecimalRoot(a, b, q, dst)) {
    return dst;
  }
  return RealPowDecimal(a, b, dst);
}

BcdReal *RealPowNegBase(const BcdReal *a, const BcdReal *b, BcdReal *dst) {
  if (RealPassError(a, b, dst)) return dst;
  BcdReal f;
  RealToFrac(b, RealSetZero(&f));
  if (!IsFracForm(&f)) {
    RealMakeError(17, dst);
    return dst;
  }
  i32 sign;
  u64 p, q;
  if (!NumToRatio(&f, &sign, &p, &q)) {
    RealMakeError(3, dst);
    return dst;
  }
  if ((q & 1) == 0) {
    RealMakeError(17, dst);
    return dst;
  }
  BcdReal mag;
  RealAbs(a, &mag);
  RealPow(&mag, b, dst);
  if (p & 1) RealNeg(dst, dst);
  return dst;
}

BcdReal *RealToFrac(const BcdReal *x, BcdReal *dst, const void *) {
  if (RealPassError(x, nullptr, dst)) return dst;
  Copy(x, dst);
  if (IsFracForm(x) || RealIsInteger(x) == 1) return dst;
  NumDecimal d;
  NumGetDecimal(x, &d);
  // |x| = M x 10^-k with M the 15-digit mantissa; W and F its integer and
  // fractional parts: F = Fm x 10^-k.
  const int k = 14 - d.exp;
  if (k > 28 + 14) return dst;
  u64 wPart = 0;
  u64 fm = 0;
  for (int i = 0; i < 15; ++i) {
    const int pos = d.exp - i;  // decimal position of digit i
    if (pos >= 0) wPart = wPart * 10 + d.d[i];
    else fm = fm * 10 + d.d[i];
  }
  if (fm == 0) return dst;
  // Exponent of F: position of its first non-zero digit.
  int eF = -1;
  {
    int first = d.exp < 0 ? 0 : d.exp + 1;
    for (int i = first; i < 15; ++i) {
      if (d.d[i] != 0) {
        eF = d.exp - i;
        break;
      }
    }
  }
  if (eF < -14) return dst;
  int budget;
  if (wPart == 0) {
    budget = 7;
  } else {
    int eW = 0;
    for (u64 t = wPart; t >= 10; t /= 10) ++eW;
    if (eW + 4 > 9) return dst;
    budget = 5 - eW;
  }
  // Tolerance: the error F x den - num may reach den x 10^t; with
  // F = Fm / 10^k and t = (exponent of F or W) - 13 this is
  // |Fm x den - num x 10^k| <= den x 10.
  i128 scale = 1;
  for (int i = 0; i < k; ++i) scale *= 10;
  const i128 F = fm;
  auto errLow = [&](i128 n, i128 dd) { return F * dd - n * scale; };   // F d - n, scaled
  auto errHigh = [&](i128 n, i128 dd) { return n * scale - F * dd; };  // n - F d, scaled
  // F is a proper fraction of scale for every well-formed real; the bounds
  // below divide by F and by scale - F.
  if (F <= 0 || F >= scale) return dst;
  i128 nl, dl, nu, du;
  if (2 * F < scale) {
    const i128 q = scale / F;  // Int(1 / F)
    nl = 0, dl = 1, nu = 1, du = q;
  } else {
    const i128 q = scale / (scale - F);  // Int(1 / (1 - F))
    nl = q - 1, dl = q, nu = 1, du = 1;
  }
  // No answer has a numerator or denominator of 10^9 or more (the budget is
  // at most 7), and once a step makes a bound that large every later bound
  // is larger still.
  constexpr i128 kTooBig = 1000000000;
  auto exponentOf = [](i128 v) {
    int e = 0;
    for (; v >= 10; v /= 10) ++e;
    return e;
  };
  i128 cn = 0, cd = 1;
  for (int guard = 0; guard < 400; ++guard) {
    const i128 e1 = errLow(nl, dl), e2 = errHigh(nu, du);
    const bool upperNearer = e1 > e2;
    cn = upperNearer ? nu : nl;
    cd = upperNearer ? du : dl;
    const i128 err = upperNearer ? e2 : e1;
    if (exponentOf(cn) + exponentOf(cd) > budget) return dst;
    if (err <= cd * 10) break;
    if (upperNearer) {
      const i128 m = e2 > 0 ? e1 / e2 : kTooBig;
      if (m >= kTooBig) return dst;
      nl = nl + m * nu;
      dl = dl + m * du;
      nu = nl + nu;
      du = dl + du;
    } else {
      const i128 m = e1 > 0 ? e2 / e1 : kTooBig;
      if (m >= kTooBig) return dst;
      nu = nu + m * nl;
      du = du + m * dl;
      nl = nl + nu;
      dl = dl + du;
    }
    if (nl >= kTooBig || dl >= kTooBig || nu >= kTooBig || du >= kTooBig || guard == 399) return dst;
  }
  NumFracParts p;
  p.sign = d.sign;
  u64 whole = wPart;
  if (cn == cd) {
    ++whole;
    cn = 0;
  }
  NumFromU64(whole, RealSetZero(&p.whole));
  NumFromU64(static_cast<u64>(cn), RealSetZero(&p.num));
  NumFromU64(static_cast<u64>(cd), RealSetZero(&p.den));
  RealSetZero(dst);
  return NumFracPack(&p, dst);
}

Value *ValFracToDecimal(const Value *src, Value *dst) {
  if (ValErrorCode(src) != 0) {
    if (src != dst) *dst = *src;
    return dst;
  }
  const int kind = ValKind(src);
  if (kind == kValKindList) return ListToDecimal(src, dst, 1);
  if (kind == kValKindMatrix) return MatToDecimal(src, dst, 1);
  CplxPair p;
  ValSplit(src, &p);
  RealFracToDecimal(&p.re, &p.re);
  if (!(src->re.b[0] & 0x80)) {
    if (src != dst) *dst = *src;
    dst->re = p.re;
    return dst;
  }
  RealFracToDecimal(&p.im, &p.im);
  return ValFromParts(&p.re, &p.im, dst);
}
