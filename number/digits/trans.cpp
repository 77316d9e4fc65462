// Transcendental kernels: logarithms, powers, trigonometric and hyperbolic
// functions, permutations and combinations. They compute in double-double
// (about 32 digits) or exactly, and leave a 23-digit result correct to well
// over the 22 digits the final rounding to 15 needs.
//
// The file is compiled twice: as itself, and by trans_fused.cpp for
// processors with fused multiply-add, whose exact products (TwoProd) then take
// one instruction. Both builds compute the same bits (an exact product is
// exact either way, and nothing else is fused); the entry points at the end
// of this file pick the build once, by what the processor offers.
#include <atomic>
#include <cstring>

#include "number/digits/dd.h"
#include "number/digits/dd_tables.h"
#include "number/digits/digits.h"
#include "number/digits/reg.h"

using namespace dig;

// ---------------------------------------------------------------- conversions

namespace dig {
inline namespace DIG_KERNEL_NS {

// 10^k beyond the table: up to 10^+-350 as the table's steps, further by
// products of those.
DD Pow10Far(int k) {
  constexpr int kSteps = 350;
  if (k >= -kSteps && k <= kSteps) return k >= 0 ? Pow10Steps(k) : Div(DD{1, 0}, Pow10Steps(-k));
  if (k < 0) return Div(DD{1, 0}, Pow10Far(-k));
  return Mul(Pow10Far(k - kSteps), Pow10Far(kSteps));
}

DD ExtToDD(const BcdExt *x) {
  if (ExtIsZero(x)) return DD{0, 0};
  return DecValue(ExtToDec(x));
}

namespace {

// The decimal exponent of the power of two 2^(be - 1) from below: the
// estimate of a number's decimal exponent from its binary exponent be.
constexpr int DecimalOfBinary(int be) { return static_cast<int>(FloorSmall((be - 1) * 0.30102999566398120)); }

// DecimalOfBinary for every exponent field of a normal double (field f is
// the binary exponent f - 1022).
struct DecimalOfBinaryTable {
  i16 e[2048];
};
constexpr DecimalOfBinaryTable MakeDecimalOfBinary() {
  DecimalOfBinaryTable t{};
  for (int f = 0; f < 2048; ++f) t.e[f] = static_cast<i16>(DecimalOfBinary(f - 1022));
  return t;
}
constexpr DecimalOfBinaryTable kDecimalOfBinary = MakeDecimalOfBinary();

// The digits of v x 10^scale rounded to 23: *r in [10^22, 10^23) with the
// exponent *e and the sign *neg, or zero or infinity.
// With nearHalf, *nearHalf tells whether v lay within margin (in v's own
// units) of a rounding boundary, a half unit of the 23rd digit.
enum class Digits23 { kZero, kInf, kDigits };
[[gnu::always_inline]] inline Digits23 DigitsOfDD(DD v, int scale, u128 *out, int *outE, bool *outNeg,
                                                  double margin = 0, bool *nearHalf = nullptr) {
  if (v.hi == 0) return Digits23::kZero;
  const bool neg = v.hi < 0;
  *outNeg = neg;
  v = NegIf(v, neg);
  // Decimal exponent from the binary one, then checked against 10^e.
  // The binary exponent of v.hi (its exponent field; frexp for a subnormal).
  u64 bits;
  std::memcpy(&bits, &v.hi, sizeof bits);
  int e;
  if ((bits >> 52) != 0) {
    // The estimate for each exponent field, from the table, then one step up
    // where v reaches the next power (no branch: which way it goes is as good
    // as random).
    e = kDecimalOfBinary.e[bits >> 52];
    if (e + 1 <= kPow10Span && e + 1 >= -kPow10Span) e += v.hi >= Pow10(e + 1).hi;
  } else {
    int be;
    std::frexp(v.hi, &be);
    e = DecimalOfBinary(be);
    if (e + 1 <= kPow10Span && e + 1 >= -kPow10Span && v.hi >= Pow10(e + 1).hi) ++e;
  }
  DD n = Mul(v, Pow10(22 - e));
  if (n.hi >= 1e23) {
    ++e;
    n = Mul(v, Pow10(22 - e));
  } else if (n.hi < 1e22) {
    --e;
    n = Mul(v, Pow10(22 - e));
  }
  // n.hi is near 10^22, far above 2^53, so already an integer: its bits give
  // it without a conversion call.
  double flo;
  u128 r;
  if (n.hi >= 9007199254740992.0) {
    flo = n.hi;
    std::memcpy(&bits, &flo, sizeof bits);
    r = static_cast<u128>((bits & 0xFFFFFFFFFFFFFull) | 1ull << 52) << ((bits >> 52) - 1075);
  } else {
    flo = std::floor(n.hi);
    r = static_cast<u128>(flo);
  }
  const double frac = (n.hi - flo) + n.lo;
  const i64 adj = static_cast<i64>(FloorSmall(frac + 0.5));
  if (nearHalf) {
    // Where frac + 0.5 lies between the integers below and above it, and
    // the margin in units of the 23rd digit.
    const double f = (frac + 0.5) - static_cast<double>(adj), m = margin * Pow10(22 - e).hi;
    *nearHalf = f < m || f > 1 - m;
  }
  r += static_cast<u128>(static_cast<__int128>(adj));  // modulo 2^128: adds a negative adj too
  if (r >= Pow10u128(23)) {
    r = (r + 5) / 10;
    ++e;
  }
  e += scale;
  if (e > 999) return Digits23::kInf;
  if (e < -999) return Digits23::kZero;
  *out = r;
  *outE = e;
  return Digits23::kDigits;
}

// Writes zero or infinity for v x 10^scale, or hands its 23 digits, exponent
// and sign to store. With check, a v that lies within margin of a rounding
// boundary of the 23 digits is left unwritten (answers false).
template <bool check = false, typename Store>
[[gnu::always_inline]] inline bool StoreDigits(BcdExt *x, DD v, int scale, double margin, Store store) {
  u128 r;
  int e;
  bool neg = false, nearHalf = false;
  switch (DigitsOfDD(v, scale, &r, &e, &neg, margin, check ? &nearHalf : nullptr)) {
    case Digits23::kZero: ExtZero(x); return true;
    case Digits23::kInf: ExtInf(x, neg); return true;
    case Digits23::kDigits: break;
  }
  if (check && nearHalf) [[unlikely]]
    return false;
  store(r, e, neg);
  return true;
}

// r below 10^23 as r / 10^16 and r mod 10^16, the division through
// (r >> 16) / 5^16, which fits 64 bits (as BinToReg splits it).
inline void Split16(u128 r, u64 *hi, u64 *lo) {
  *hi = static_cast<u64>(r >> 16) / 152587890625ull;
  *lo = static_cast<u64>(r - static_cast<u128>(*hi) * 10000000000000000ull);
}

// Writes the 23-digit integer r (10^22 <= r < 10^23) of exponent e rounded
// half up to 15 digits (one unit at d15 when d16..d23 reach 5 x 10^7); a
// carry out of d1 moves the exponent.
void StoreRounded23(BcdExt *x, u128 r, int e, bool neg) {
  u64 hi, lo;
  Split16(r, &hi, &lo);  // hi holds d1..d7, lo d8..d23
  u64 mid = lo / 100000000ull + (lo % 100000000ull >= 50000000ull);  // d8..d15, rounded
  if (mid == 100000000ull) {
    mid = 0;
    if (++hi == 10000000ull) {
      hi = 1000000ull;
      if (++e > 999) return ExtInf(x, neg);
    }
  }
  const u128 top = BinToBcd8(static_cast<u32>(hi)), low = BinToBcd8(static_cast<u32>(mid));
  SetExt(x, top << 64 | low << 32, MakeWord(e, neg));
}

template <bool check>
[[gnu::always_inline]] inline bool StoreDDOrNot(BcdExt *x, DD v, int scale, double margin) {
  return StoreDigits<check>(x, v, scale, margin,
                            [x](u128 r, int e, bool neg) { SetExt(x, BinToReg(r), MakeWord(e, neg)); });
}

// StoreDD and then ShExtRound in one: the guard digits are never written out
// and read back.
template <bool check>
[[gnu::always_inline]] inline bool StoreDDRoundedOrNot(BcdExt *x, DD v, int scale, double margin) {
  return StoreDigits<check>(x, v, scale, margin, [x](u128 r, int e, bool neg) { StoreRounded23(x, r, e, neg); });
}

// StoreDD, ShExtMul by a positive constant (its 23 digits as base-10^8 limbs,
// least significant first, and its exponent) and ShExtRound in one, each
// step as the register routines take it: zero times c stays zero and
// infinity passes the product and the rounding; then the product's top
// digits, the range test before the carry or the leading zeros move the
// exponent, and the rounding.
template <bool check>
[[gnu::always_inline]] inline bool StoreDDTimesRoundedOrNot(BcdExt *x, DD v, const u64 c[3], int ce,
                                                          double margin) {
  return StoreDigits<check>(x, v, 0, margin, [x, c, ce](u128 r, int e, bool neg) {
    u64 hi, lo;
    Split16(r, &hi, &lo);
    const u64 limbs[3] = {lo % 100000000ull, lo / 100000000ull, hi};
    u128 p = MulTop(limbs, c);
    e += ce;
    if (e < -1000) return ExtZero(x);
    if (e > 999) return ExtInf(x, neg);
    if (p >= Pow10u128(23)) {
      p /= 10;  // the carry digit moves in, the last digit drops
      ++e;
    } else {
      if (p == 0) return ExtZero(x);
      while (p < Pow10u128(22)) {
        p *= 10;
        --e;
      }
    }
    if (e < -999) return ExtZero(x);
    if (e > 999) return ExtInf(x, neg);
    StoreRounded23(x, p, e, neg);
  });
}

}  // namespace

void StoreDD(BcdExt *x, DD v, int scale) { StoreDDOrNot<false>(x, v, scale, 0); }
void StoreDDRounded(BcdExt *x, DD v, int scale) { StoreDDRoundedOrNot<false>(x, v, scale, 0); }
void StoreDDTimesRounded(BcdExt *x, DD v, const u64 c[3], int ce) {
  StoreDDTimesRoundedOrNot<false>(x, v, c, ce, 0);
}
bool StoreDDClear(BcdExt *x, DD v, double margin) { return StoreDDOrNot<true>(x, v, 0, margin); }
bool StoreDDRoundedClear(BcdExt *x, DD v, double margin) { return StoreDDRoundedOrNot<true>(x, v, 0, margin); }
bool StoreDDTimesRoundedClear(BcdExt *x, DD v, const u64 c[3], int ce, double margin) {
  return StoreDDTimesRoundedOrNot<true>(x, v, c, ce, margin);
}

}  // namespace DIG_KERNEL_NS
}  // namespace dig

// The kernels of this build, under the names of the entry points.
namespace dig {
inline namespace DIG_KERNEL_NS {
namespace entry {

namespace {

// ---------------------------------------------------------------- exponentials

struct Factorials {
  DD inv[32];
};

// 1/k! for k = 0..31, computed while compiling with the run-time steps' bits.
constexpr Factorials MakeFactorials() {
  Factorials f{};
  f.inv[0] = DD{1, 0};
  for (int k = 1; k < 32; ++k) f.inv[k] = Div(f.inv[k - 1], DD{static_cast<double>(k), 0});
  return f;
}
constexpr Factorials kFactorials = MakeFactorials();

const DD *InvFactorials() { return kFactorials.inv; }

// e^t - 1 for |t| up to about 1/128, with relative accuracy.
DD Expm1Tiny(DD t) {
  const DD *inv = InvFactorials();
  const double x = t.hi;
  const double c5 = 1.0 / 120 + x * (1.0 / 720 + x * (1.0 / 5040 + x * (1.0 / 40320)));
  DD u = Add(inv[4], x * c5);
  u = Add(Mul(u, t), inv[3]);
  u = Add(Mul(u, t), 0.5);
  return Add(t, Mul(u, Mul(t, t)));
}

// e^z through the table of e^(j/64), |z| up to 2.5; *em1 receives e^z - 1
// with relative accuracy when asked.
DD ExpTable(DD z, DD *em1) {
  const double j = NearestSmall(z.hi * 64);
  const DD em = Expm1Tiny(Add(z, -j / 64));
  if (j == 0) {
    if (em1) *em1 = em;
    return Add(em, 1.0);
  }
  const DD &ej = kExpTable[kExpTableHalf + static_cast<int>(j)];
  const DD r = Add(ej, Mul(ej, em));
  if (em1) *em1 = Add(r, -1.0);
  return r;
}

// e^z for moderate z (|z| below about 700).
DD ExpDD(DD z) {
  if (std::fabs(z.hi) <= 2.45) return ExpTable(z, nullptr);
  const double k = std::nearbyint(z.hi / kLn2.hi);
  const DD v = ExpTable(Sub(z, Mul(kLn2, k)), nullptr);
  return DD{std::ldexp(v.hi, static_cast<int>(k)), std::ldexp(v.lo, static_cast<int>(k))};
}

// e^z - 1 with relative accuracy for any moderate z.
DD Expm1DD(DD z) {
  if (std::fabs(z.hi) <= 2.45) {
    DD em;
    ExpTable(z, &em);
    return em;
  }
  return Add(ExpDD(z), -1.0);
}

// 10^t split as m x 10^n with m near [1, 10).
void Exp10Split(DD t, DD *m, int *n) {
  double f0 = std::floor(t.hi);
  DD f = Add(t, -f0);
  if (f.hi < 0) {
    f = Add(f, 1.0);
    f0 -= 1;
  } else if (f.hi >= 1) {
    f = Add(f, -1.0);
    f0 += 1;
  }
  *n = static_cast<int>(f0);
  *m = ExpDD(Mul(f, kLn10));
}

// ln(1 + d), |d| below 1, with relative accuracy.
DD Log1pDD(DD d) {
  if (d.hi == 0) return DD{0, 0};
  const double y0 = std::log1p(d.hi);
  const DD em = Expm1DD(DD{y0, 0});
  return Sub(DD{y0, 0}, Div(Sub(em, d), Add(em, 1.0)));
}

// ln m for m in [1, 10].
DD LnMant(DD m) {
  const double y0 = std::log(m.hi);
  const DD e = Add(Expm1DD(DD{-y0, 0}), 1.0);
  return Add(DD{y0, 0}, Add(Mul(m, e), -1.0));
}

void ExtOne(BcdExt *x, bool neg = false) { SetExt(x, One(DigitNibble(1)), neg ? 0x6000 : 0x1000); }

bool IsOneMagnitude(const BcdExt *x) {
  return (ExtWord(x) & 0x0FFF) == 0x000 && WordMag(ExtWord(x)) == 0x1000 &&
         (ExtDigits(x) & kDigitsMask) == One(DigitNibble(1));
}

// ln u for a positive double-double u.
DD LnDD(DD u) {
  const int e = static_cast<int>(std::floor(std::log10(u.hi)));
  const DD m = Mul(u, Pow10(-e));
  return Add(LnMant(m), Mul(kLn10, static_cast<double>(e)));
}

// ln(1 + d) for d above -0.5.
DD Log1pSafe(DD d) {
  if (std::fabs(d.hi) < 0.5) return Log1pDD(d);
  return LnDD(Add(d, 1.0));
}

// Natural logarithm and common logarithm of a positive extended number, as
// double-double; *log10 chooses which.
DD LogOf(const BcdExt *x, bool log10) {
  const Dec d = ExtToDec(x);
  if ((d.e == 0 && d.m.hi < 2) || (d.e == -1 && d.m.hi >= 5)) {
    BcdExt delta = *x, minusOne;
    ExtOne(&minusOne, true);
    ShExtAdd(&delta, &minusOne);
    const DD l = Log1pDD(ExtToDD(&delta));
    return log10 ? Mul(l, kLog10E) : l;
  }
  const DD lm = LnMant(d.m);
  if (log10) return Add(Mul(lm, kLog10E), static_cast<double>(d.e));
  return Add(lm, Mul(kLn10, static_cast<double>(d.e)));
}

// 10^t for t = sign x tm x 10^te; writes the result with sign neg.
void StoreExp10(BcdExt *x, DD t, bool neg) {
  if (t.hi > 1100) return ExtInf(x, neg);
  if (t.hi < -1100) return ExtZero(x);
  DD m;
  int n;
  Exp10Split(t, &m, &n);
  StoreDD(x, neg ? Neg(m) : m, n);
}

// Tiny arguments: the result is x times a 23-digit constant.
void MulConst(BcdExt *x, u64 digits, u32 guard, u16 word) {
  BcdExt c;
  SetExt(&c, static_cast<u128>(digits) << 32 | guard, word);
  ShExtMul(x, &c);
}
void MulLn10(BcdExt *x) { MulConst(x, 0x0230258509299404ull, 0x56840180u, 0x1000); }
void MulLog10E(BcdExt *x) { MulConst(x, 0x0434294481903251ull, 0x82765113u, 0x0999); }
void Mul200OverPi(BcdExt *x) { MulConst(x, 0x0636619772367581ull, 0x34307554u, 0x1001); }

bool Special(const BcdExt *x) { return ExtKindNib(x) != BCD_NIB_NUMBER; }

}  // namespace

void ShExtExp10(BcdExt *x) {
  if (Special(x)) return;
  if (ExtIsZero(x)) return ExtOne(x);
  const Dec d = ExtToDec(x);
  if (d.e >= 5) return d.neg ? ExtZero(x) : ExtInf(x, false);
  if (d.e < -40) return ExtOne(x);
  StoreExp10(x, DecValue(d), false);
}

void ShExtExp(BcdExt *x) {
  if (Special(x)) return;
  if (ExtIsZero(x)) return ExtOne(x);
  const Dec d = ExtToDec(x);
  if (d.e >= 5) return d.neg ? ExtZero(x) : ExtInf(x, false);
  if (d.e < -40) return ExtOne(x);
  StoreExp10(x, Mul(DecValue(d), kLog10E), false);
}

void ShExtExp10s(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e >= 0) {
    BcdExt minusOne;
    ExtOne(&minusOne, true);
    entry::ShExtExp10(x);
    ShExtAdd(x, &minusOne);
    return;
  }
  if (d.e < -40) return MulLn10(x);
  StoreDD(x, Expm1DD(Mul(DecValue(d), kLn10)));
}

void ShExtLog10(BcdExt *x) {
  if (Special(x)) return;
  if (ExtIsZero(x)) return ExtInf(x, true);
  StoreDD(x, LogOf(x, true));
}

void ShExtLn(BcdExt *x) {
  if (Special(x)) return;
  if (ExtIsZero(x)) return ExtInf(x, true);
  StoreDD(x, LogOf(x, false));
}

static void LogOnePlus(BcdExt *x, bool log10) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e < -40) {
    if (log10) MulLog10E(x);
    return;
  }
  if (d.e < -1 || (d.e == -1 && d.m.hi < 5)) {
    const DD l = Log1pDD(DecValue(d));
    return StoreDD(x, log10 ? Mul(l, kLog10E) : l);
  }
  BcdExt one;
  ExtOne(&one);
  ShExtAdd(x, &one);
  if (ExtIsZero(x)) return ExtInf(x, true);
  StoreDD(x, LogOf(x, log10));
}

void ShExtLog10s(BcdExt *x) { LogOnePlus(x, true); }
void ShExtLogs(BcdExt *x) { LogOnePlus(x, false); }

// ---------------------------------------------------------------- power

namespace {

// x^n exactly when x's significant digits raised to n fit 38 digits.
bool ExactPower(BcdExt *x, const BcdExt *y) {
  const Dec dy = ExtToDec(y);
  if (dy.e < 0 || dy.e > 2) return false;
  BcdWork wy;
  ShExtNarrow(y, &wy);
  const u64 n = IntMagnitude(&wy);
  if (n == 0 || n > 128) return false;
  BcdExt frac = *y;
  ShExtFrac(&frac);
  if (!ExtIsZero(&frac)) return false;
  // Mantissa without trailing zeros.
  u128 mant = RegToBin(ExtDigits(x) & kDigitsMask);
  int exp = WordExp(ExtWord(x)) - 22;
  while (mant % 10 == 0) {
    mant /= 10;
    ++exp;
  }
  int digits = 0;
  for (u128 t = mant; t; t /= 10) ++digits;
  if (digits * static_cast<int>(n) > 38) return false;
  u128 p = 1;
  for (u64 i = 0; i < n; ++i) p *= mant;
  exp *= static_cast<int>(n);
  int pd = 0;
  for (u128 t = p; t; t /= 10) ++pd;
  // p x 10^exp = m x 10^E with m in [1, 10) (its leading 23 digits); a
  // negative power divides 1 by m and negates E.
  int E = exp + pd - 1;
  if (pd > 23) {
    p /= Pow10u128(pd - 23);
    pd = 23;
  }
  const bool neg = WordNeg(ExtWord(x)) && (n & 1);
  SetExt(x, BinToReg(p * Pow10u128(23 - pd)), MakeWord(0, neg));
  if (dy.neg) {
    BcdExt q;
    ExtOne(&q);
    ShExtDiv(&q, x);
    *x = q;
    E = -E;
  }
  if (E > 1100) {
    ExtInf(x, neg);
  } else if (E < -1100) {
    ExtZero(x);
  } else {
    ShExtScale10(x, static_cast<i16>(E));
  }
  return true;
}

// Whether an integral y is odd.
bool IsOdd(const BcdExt *y) {
  const int e = WordExp(ExtWord(y));
  if (e < 0 || e > 22) return false;
  return ((ExtDigits(y) >> (4 * DigitNibble(e + 1))) & 1) != 0;
}

void Power(BcdExt *x, const BcdExt *y) {
  if (Special(x)) return;
  if (Special(y)) {
    *x = *y;
    return;
  }
  if (ExtIsZero(y)) return ExtOne(x);
  if (ExtIsZero(x)) return ExtZero(x);
  if (ExactPower(x, y)) return;
  const bool neg = WordNeg(ExtWord(x)) && IsOdd(y);
  BcdExt ax;
  ExtAbsInto(x, &ax);
  if (IsOneMagnitude(&ax)) return ExtOne(x, neg);
  const DD l = LogOf(&ax, true);
  const Dec dy = ExtToDec(y);
  if (dy.e > 1100) {
    const bool up = (l.hi > 0) != dy.neg;
    return up ? ExtInf(x, neg) : ExtZero(x);
  }
  if (dy.e < -60) return ExtOne(x, neg);
  // t = y log10|x|; the magnitude decides overflow before scaling.
  DD t = Mul(dy.m, l);
  if (dy.neg) t = Neg(t);
  const double mag = std::log10(std::fabs(t.hi)) + dy.e;
  if (mag > 5) return t.hi > 0 ? ExtInf(x, neg) : ExtZero(x);
  t = Mul(t, Pow10(dy.e));
  StoreExp10(x, t, neg);
}

}  // namespace

void ShExtPow(BcdExt *x, const BcdExt *y) { Power(x, y); }
void ShExtPowAlt(BcdExt *x, const BcdExt *y) { Power(x, y); }

// ---------------------------------------------------------------- decimal big integers

namespace {

// Non-negative integer in base 10^9 limbs, least significant first.
struct Big {
  static constexpr int kMax = 130;
  u32 limb[kMax];
  int n;
};

void BigSet(Big &b, u128 v) {
  b.n = 0;
  while (v) {
    b.limb[b.n++] = static_cast<u32>(v % 1000000000u);
    v /= 1000000000u;
  }
}

// b *= f (f below 10^10); false when the number outgrows the limbs.
bool BigMulSmall(Big &b, u64 f) {
  u64 carry = 0;
  for (int i = 0; i < b.n; ++i) {
    const u128 t = static_cast<u128>(b.limb[i]) * f + carry;
    b.limb[i] = static_cast<u32>(t % 1000000000u);
    carry = static_cast<u64>(t / 1000000000u);
  }
  while (carry) {
    if (b.n == Big::kMax) return false;
    b.limb[b.n++] = static_cast<u32>(carry % 1000000000u);
    carry /= 1000000000u;
  }
  return true;
}

void BigDivSmall(Big &b, u64 d) {
  u128 rem = 0;
  for (int i = b.n - 1; i >= 0; --i) {
    const u128 cur = rem * 1000000000u + b.limb[i];
    b.limb[i] = static_cast<u32>(cur / d);
    rem = cur % d;
  }
  while (b.n > 0 && b.limb[b.n - 1] == 0) --b.n;
}

int BigDigits(const Big &b) {
  if (b.n == 0) return 0;
  int d = 9 * (b.n - 1);
  for (u32 t = b.limb[b.n - 1]; t; t /= 10) ++d;
  return d;
}

// Leading 23 digits (truncated) and the decimal exponent of the first.
void BigStore(const Big &b, BcdExt *x, bool neg) {
  const int digits = BigDigits(b);
  if (digits == 0) return ExtZero(x);
  // Gather the top limbs into a u128 holding at least 23 digits.
  u128 v = 0;
  int used = 0, i = b.n - 1;
  for (; i >= 0 && used < 4; --i, ++used) v = v * 1000000000u + b.limb[i];
  const int vDigits = digits - 9 * (i + 1);
  if (vDigits > 23) v /= Pow10u128(vDigits - 23);
  else if (vDigits < 23) v *= Pow10u128(23 - vDigits);
  const int e = digits - 1;
  if (e > 999) return ExtInf(x, neg);
  SetExt(x, BinToReg(v), MakeWord(e, neg));
}

u64 ExtToU64(const BcdExt *x) {
  BcdWork w;
  ShExtNarrow(x, &w);
  return IntMagnitude(&w);
}

}  // namespace

void ShExtPermutations(BcdExt *n, const BcdExt *r) {
  if (PassSpecial(n, r)) return;
  const u64 nn = ExtToU64(n), rr = ExtToU64(r);
  Big b;
  BigSet(b, 1);
  for (u64 i = 0; i < rr; ++i) {
    if (!BigMulSmall(b, nn - i) || BigDigits(b) > 1001) return ExtInf(n, false);
  }
  BigStore(b, n, false);
}

void ShExtCombinations(BcdExt *n, const BcdExt *r) {
  if (PassSpecial(n, r)) return;
  const u64 nn = ExtToU64(n), rr = ExtToU64(r);
  // C(n - r + i, i) for i = 1 .. r stays an integer at every step.
  Big b;
  BigSet(b, 1);
  for (u64 i = 1; i <= rr; ++i) {
    if (!BigMulSmall(b, nn - rr + i)) return ExtInf(n, false);
    BigDivSmall(b, i);
    if (BigDigits(b) > 1001) return ExtInf(n, false);
  }
  BigStore(b, n, false);
}

// ---------------------------------------------------------------- trigonometry

namespace {

// pi / 2 to 84 decimals, for exact reduction of radian arguments.
constexpr const char *kHalfPiDigits =
    "1570796326794896619231321691639751442098584699687552910487472296153908203143104499314";

struct Angle {
  DD r;          // reduced angle in radians, |r| <= pi/4 (plus rounding)
  int quadrant;  // multiples of a right angle taken off, modulo 4
  bool exact;    // r is exactly 0
  bool ok;       // false when the argument is beyond exact reduction
};

// sin and cos of |r| <= pi/4 (and a little more): r = j/64 + t with the
// table of sin and cos of j/64 and short series in t. Either result may be
// left out (nullptr).
void SinCosDD(DD r, DD *s, DD *c) {
  const DD *inv = InvFactorials();
  const bool neg = r.hi < 0;
  r = NegIf(r, neg);
  const double j = NearestSmall(r.hi * 64);
  const DD t = Add(r, -j / 64);
  const DD t2 = Mul(t, t);
  const double x2 = t2.hi;
  const double cs = 1.0 / 120 - x2 * (1.0 / 5040 - x2 * (1.0 / 362880));
  const DD st = Sub(t, Mul(Mul(t2, t), Add(inv[3], -(x2 * cs))));
  const double cc = 1.0 / 720 - x2 * (1.0 / 40320);
  const DD ct = Sub(DD{1, 0}, Mul(t2, Sub(DD{0.5, 0}, Mul(t2, Add(inv[4], -(x2 * cc))))));
  const int k = static_cast<int>(j);
  if (k == 0) {
    if (s) *s = NegIf(st, neg);
    if (c) *c = ct;
    return;
  }
  const DD &sj = kSinTable[k], &cj = kCosTable[k];
  if (s) *s = NegIf(Add(Mul(sj, ct), Mul(cj, st)), neg);
  if (c) *c = Sub(Mul(cj, ct), Mul(sj, st));
}

// Big signed number for the radian reduction: value = sign x magnitude.
bool BigFromDigits(Big &b, const char *digits, int count) {
  // Most significant digit first.
  b.n = 0;
  const int limbs = (count + 8) / 9;
  if (limbs > Big::kMax) return false;
  for (int l = 0; l < limbs; ++l) {
    u32 v = 0;
    const int end = count - 9 * l;
    const int start = end - 9 < 0 ? 0 : end - 9;
    for (int i = start; i < end; ++i) v = v * 10 + static_cast<u32>(digits[i] - '0');
    b.limb[b.n++] = v;
  }
  while (b.n > 0 && b.limb[b.n - 1] == 0) --b.n;
  return true;
}

void BigMul(const Big &a, const Big &b, Big &out) {
  u64 acc[2 * Big::kMax + 2];
  std::memset(acc, 0, sizeof(u64) * static_cast<size_t>(a.n + b.n + 2));
  for (int i = 0; i < a.n; ++i)
    for (int j = 0; j < b.n; ++j) {
      acc[i + j] += static_cast<u64>(a.limb[i]) * b.limb[j];
      if (acc[i + j] >= 8000000000000000000ull) {
        acc[i + j + 1] += acc[i + j] / 1000000000u;
        acc[i + j] %= 1000000000u;
      }
    }
  out.n = a.n + b.n;
  u64 carry = 0;
  for (int i = 0; i < out.n; ++i) {
    const u64 t = acc[i] + carry;
    out.limb[i] = static_cast<u32>(t % 1000000000u);
    carry = t / 1000000000u;
  }
  while (out.n > 0 && out.limb[out.n - 1] == 0) --out.n;
}

int BigCompare(const Big &a, const Big &b) {
  if (a.n != b.n) return a.n < b.n ? -1 : 1;
  for (int i = a.n - 1; i >= 0; --i)
    if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
  return 0;
}

// a - b for a >= b.
void BigSub(const Big &a, const Big &b, Big &out) {
  i64 borrow = 0;
  out.n = a.n;
  for (int i = 0; i < a.n; ++i) {
    i64 t = static_cast<i64>(a.limb[i]) - borrow - (i < b.n ? b.limb[i] : 0);
    borrow = t < 0;
    if (t < 0) t += 1000000000;
    out.limb[i] = static_cast<u32>(t);
  }
  while (out.n > 0 && out.limb[out.n - 1] == 0) --out.n;
}

void BigAdd(const Big &a, const Big &b, Big &out) {
  u32 carry = 0;
  const int n = a.n > b.n ? a.n : b.n;
  out.n = n;
  for (int i = 0; i < n; ++i) {
    u32 t = (i < a.n ? a.limb[i] : 0) + (i < b.n ? b.limb[i] : 0) + carry;
    carry = t >= 1000000000u;
    if (carry) t -= 1000000000u;
    out.limb[i] = t;
  }
  if (carry) out.limb[out.n++] = 1;
}

// Value of b x 10^-scale as double-double.
DD BigToDD(const Big &b, int scale) {
  if (b.n == 0) return DD{0, 0};
  DD v{0, 0};
  int used = 0, i = b.n - 1;
  for (; i >= 0 && used < 3; --i, ++used) v = Add(Mul(v, 1e9), static_cast<double>(b.limb[i]));
  return Mul(v, Pow10(9 * (i + 1) - scale));
}

Big BigPow10(int k) {
  Big b;
  BigSet(b, 1);
  for (; k >= 9; k -= 9) BigMulSmall(b, 1000000000u);
  BigMulSmall(b, kPow10[k]);
  return b;
}

// The exact reduction of ReduceRadians (kept out of line: its big numbers
// would otherwise make every call set up their stack space).
[[gnu::noinline]] Angle ReduceRadiansExact(const BcdExt *x, const Dec &d, const DD &v) {
  Angle a{{0, 0}, 0, false, true};
  // k = nearest integer to x / (pi/2).
  const DD q = Div(v, kHalfPi);
  double kf = std::nearbyint(q.hi);
  const double rest = (q.hi - kf) + q.lo;
  if (rest > 0.5) kf += 1;
  if (rest < -0.5) kf -= 1;
  const u128 k = static_cast<u128>(kf);
  // Fixed point with F decimals: X = x 10^F exactly, Q = pi/2 10^F rounded.
  const int F = (22 - d.e > d.e + 34 ? 22 - d.e : d.e + 34) + 2;
  Big X, Q, K, KQ, R;
  BigSet(X, RegToBin(ExtDigits(x) & kDigitsMask));
  const Big scale = BigPow10(F - 22 + d.e);
  BigMul(X, scale, R);
  X = R;
  BigFromDigits(Q, kHalfPiDigits, F + 1);
  BigSet(K, k);
  BigMul(K, Q, KQ);
  bool neg = false;
  if (BigCompare(X, KQ) >= 0) {
    BigSub(X, KQ, R);
  } else {
    BigSub(KQ, X, R);
    neg = true;
  }
  // Snap: the argument counts as the multiple k of pi/2 only when it is the
  // fifteen-digit rounding of k pi / 2, or of k times the stored pi / 2
  // (1.57079632679490, half the pi constant 3.14159265358980), so that sin
  // of any multiple of either pi is 0 and tan of their halves is undefined.
  // Every other argument, however close, keeps its own remainder.
  const Big unit = BigPow10(F + d.e - 14);
  Big twice;
  BigAdd(R, R, twice);
  bool snap = BigCompare(twice, unit) <= 0;  // no ties: pi is irrational
  if (!snap) {
    Big halfStored, kHalfStored, S, D;
    BigSet(halfStored, 1570796326794900u);  // stored pi / 2 x 10^15
    BigMul(K, halfStored, kHalfStored);
    BigMul(kHalfStored, BigPow10(F - 15), S);
    // Half-up rounding of S gives X when -unit/2 < X - S <= unit/2.
    const bool above = BigCompare(X, S) >= 0;
    if (above)
      BigSub(X, S, D);
    else
      BigSub(S, X, D);
    BigAdd(D, D, twice);
    const int c = BigCompare(twice, unit);
    snap = above ? c <= 0 : c < 0;
  }
  if (snap) {
    a.exact = true;
  } else {
    a.r = BigToDD(R, F);
    if (neg) a.r = Neg(a.r);
  }
  a.quadrant = static_cast<int>(k % 4);
  return a;
}

// Radians: x - k pi/2 computed exactly from the 23 digits of x and pi/2 to
// enough places. An argument within one unit of its fifteenth digit of a
// multiple of pi/2 counts as that multiple.
Angle ReduceRadians(const BcdExt *x) {
  Angle a{{0, 0}, 0, false, true};
  const Dec d = ExtToDec(x);
  const DD v = DecValue(Dec{d.m, d.e, false});
  if (d.e < 0 && v.hi < 0.785) {
    a.r = v;
    return a;
  }
  if (d.e > 30) {
    a.ok = false;
    return a;
  }
  if (d.e <= 2) {
    // Below 1000: Cody-Waite with a three-part pi/2 is exact enough unless
    // the angle lies close to a multiple of pi/2.
    const double kf = NearestSmall(v.hi / kHalfPi.hi);
    DD r = Sub(v, TwoProd(kf, kHalfPi.hi));
    r = Sub(r, TwoProd(kf, kHalfPi.lo));
    r = Add(r, -kf * kHalfPiThird);
    if (std::fabs(r.hi) >= 1e-3) {
      a.r = r;
      a.quadrant = static_cast<int>(kf) & 3;
      return a;
    }
  }
  return ReduceRadiansExact(x, d, v);
}

// Degrees (full turn 360) or grads (400): exact decimal reduction.
Angle ReduceDecimal(const BcdExt *x, u32 turn, const DD &toRadians) {
  Angle a{{0, 0}, 0, false, true};
  const int e = WordExp(ExtWord(x));
  const u128 M = RegToBin(ExtDigits(x) & kDigitsMask);
  const u32 right = turn / 4;
  u128 R;
  int s;  // R x 10^-s is the reduced angle
  if (e > 22) {
    u128 p = 1 % turn;
    for (int i = 0; i < e - 22; ++i) p = p * 10 % turn;
    R = M % turn * p % turn;
    s = 0;
  } else if (e >= 0) {
    s = 22 - e;
    R = M % (static_cast<u128>(turn) * Pow10u128(s));
  } else {
    a.r = Mul(ExtToDD(x), toRadians);
    if (a.r.hi < 0) a.r = Neg(a.r);
    return a;
  }
  const u128 q = static_cast<u128>(right) * Pow10u128(s);
  a.quadrant = static_cast<int>(R / q);
  R -= static_cast<u128>(a.quadrant) * q;
  if (R == 0) {
    a.exact = true;
    return a;
  }
  if (2 * R > q) {
    // Past half a right angle: take the next quadrant, negative remainder.
    a.quadrant = (a.quadrant + 1) % 4;
    R = q - R;
    const double hi = static_cast<double>(R);
    const DD v = Add(DD{hi, 0}, static_cast<double>(static_cast<i64>(R - static_cast<u128>(hi))));
    a.r = Neg(Mul(Mul(v, Pow10(-s)), toRadians));
    return a;
  }
  const double hi = static_cast<double>(R);
  const DD v = Add(DD{hi, 0}, static_cast<double>(static_cast<i64>(R - static_cast<u128>(hi))));
  a.r = Mul(Mul(v, Pow10(-s)), toRadians);
  return a;
}

enum TrigFn { kSin, kCos, kTan };

// Stores the angle function's result; rounded to 15 digits when asked, and
// then answers true.
bool TrigStore(BcdExt *x, DD v, bool round) {
  if (round)
    StoreDDRounded(x, v);
  else
    StoreDD(x, v);
  return round;
}

// sin, cos or tan of x in the unit; with round the result is already what
// ShExtRound would make of it. Answers whether it rounded.
bool TrigRoundedOrNot(BcdExt *x, u16 unit, TrigFn fn, bool round) {
  if (Special(x)) return false;
  if (ExtIsZero(x)) {
    if (fn == kCos)
      ExtOne(x);
    else
      ExtZero(x);
    return false;
  }
  const bool neg = WordNeg(ExtWord(x));
  // Tiny angles: sin x = tan x = x in radians, cos x = 1.
  if (WordExp(ExtWord(x)) < -40) {
    if (fn == kCos) {
      ExtOne(x);
      return false;
    }
    if (unit == 0) MulConst(x, 0x0174532925199432ull, 0x95769236u, 0x0998);  // pi/180
    if (unit == 2) MulConst(x, 0x0157079632679489ull, 0x66192313u, 0x0998);  // pi/200
    return false;
  }
  BcdExt ax;
  ExtAbsInto(x, &ax);
  Angle a;
  if (unit == 1)
    a = ReduceRadians(&ax);
  else if (unit == 0)
    a = ReduceDecimal(&ax, 360, kPiOver180);
  else
    a = ReduceDecimal(&ax, 400, kPiOver200);
  if (!a.ok) {
    ExtUndef(x);
    return false;
  }
  // sin alone needs one of the pair in each quadrant, and so does cos.
  DD s{0, 0}, c{1, 0};
  const bool even = (a.quadrant & 1) == 0;
  const bool needSin = fn == kTan || (fn == kSin) == even, needCos = fn == kTan || (fn == kCos) == even;
  if (!a.exact) SinCosDD(a.r, needSin ? &s : nullptr, needCos ? &c : nullptr);
  // Rotate by the quadrant: odd ones swap the pair; sin changes sign in
  // quadrants 2 and 3, cos in 1 and 2 (selects and sign flips, no branch on
  // the quadrant, which is as good as random).
  const int q = a.quadrant & 3;
  const DD sn = NegIf((q & 1) ? c : s, ((q & 2) != 0) != neg);
  const DD cs = NegIf((q & 1) ? s : c, ((q + 1) & 2) != 0);
  if (fn == kSin) return TrigStore(x, sn, round);
  if (fn == kCos) return TrigStore(x, cs, round);
  if (cs.hi == 0) {
    ExtUndef(x);
    return false;
  }
  return TrigStore(x, Div(sn, cs), round);
}

void Trig(BcdExt *x, u16 unit, TrigFn fn) { TrigRoundedOrNot(x, unit, fn, false); }

void TrigRounded(BcdExt *x, u16 unit, TrigFn fn) {
  if (!TrigRoundedOrNot(x, unit, fn, true)) ShExtRound(x);
}


// Angle of (x, y) with x, y >= 0, as double-double radians in [0, pi/2].
DD AtanDD(DD t) {
  // atan t for t >= 0: Newton step on a double estimate.
  if (t.hi > 1) return Sub(kHalfPi, AtanDD(Div(DD{1, 0}, t)));
  const double y0 = std::atan(t.hi);
  DD s, c;
  SinCosDD(DD{y0, 0}, &s, &c);
  return Add(DD{y0, 0}, Mul(c, Sub(Mul(t, c), s)));
}

// Stores radians r (|r| below pi) as grads.
DD Grads(DD r) { return Div(Mul(r, 200.0), kPi); }
void StoreGrads(BcdExt *x, DD r) { StoreDD(x, Grads(r)); }

// 1 - x and 1 + x (x in [0, 1]) exactly in decimal, as double-double.
void OneMinusPlus(const BcdExt *x, DD *minus, DD *plus) {
  BcdExt m, p = *x, one;
  ExtOne(&one);
  ExtOne(&m);
  BcdExt neg = *x;
  StoreWord(neg.b + 12, static_cast<u16>(WordMag(ExtWord(x)) + 0x5000));
  ShExtAdd(&m, &neg);
  ShExtAdd(&p, &one);
  *minus = ExtToDD(&m);
  *plus = ExtToDD(&p);
}

}  // namespace

void ShExtSin(BcdExt *x, u16 unit) { Trig(x, unit, kSin); }
void ShExtCos(BcdExt *x, u16 unit) { Trig(x, unit, kCos); }
void ShExtTan(BcdExt *x, u16 unit) { Trig(x, unit, kTan); }
void ShExtSinRounded(BcdExt *x, u16 unit) { TrigRounded(x, unit, kSin); }
void ShExtCosRounded(BcdExt *x, u16 unit) { TrigRounded(x, unit, kCos); }
void ShExtTanRounded(BcdExt *x, u16 unit) { TrigRounded(x, unit, kTan); }

namespace {

constexpr DD kInv3 = Div(DD{1, 0}, DD{3, 0}), kInv5 = Div(DD{1, 0}, DD{5, 0});

// The arctangent of t > 0 in grads, to about 30 digits, by the table of
// atan(j/128): with p/q the one of t and 1/t that is at most 1 and c = j/128
// the nearest to it, atan(p/q) = atan c + atan u, u = (p - c q)/(q + c p)
// and |u| <= 1/256, where a short series gives atan u; for t > 1 the angle
// is 100 grads less that. The two sides are picked by selects (which side
// an argument falls on is as good as random).
DD AtanGradsByTable(DD t) {
  const bool over = t.hi > 1;
  const DD one{1, 0};
  const DD p = over ? one : t, q = over ? t : one;
  const double j = NearestSmall(128 * p.hi / q.hi), c = j / 128;
  // n = p - c q. c q.hi is exact in two parts, and p.hi less the first is
  // exact as well: c is within half a step of p/q, so c q.hi is within a
  // factor 2 of p.hi (or both are zero).
  const DD cq = TwoProd(q.hi, c);
  const DD n = TwoSum(p.hi - cq.hi, (p.lo - cq.lo) - c * q.lo);
  // d = q + c p as an unnormalised pair dh + dl.
  const DD cp = TwoProd(p.hi, c);
  const DD dh = TwoSum(q.hi, cp.hi);
  const double dl = dh.lo + ((q.lo + cp.lo) + c * p.lo);
  // u = n / d: a quotient through the reciprocal and one correction, whose
  // remainder n - q1 d has its first difference exact (q1 dh is within a
  // factor 2 of n.hi).
  const double inv = 1 / dh.hi, q1 = n.hi * inv;
  const DD e = TwoProd(q1, dh.hi);
  const double rem = ((n.hi - e.hi) - e.lo) + (n.lo - q1 * dl);
  const DD u = QuickTwoSum(q1, rem * inv);
  // atan u = u - u x s, s = 1/3 - x/5 + x^2 (1/7 - x/9 + x^2/11 - x^3/13)
  // with x = u^2; the part from x^2 on needs only double precision.
  const DD x = Mul(u, u);
  const double xh = x.hi;
  const double tail = 1.0 / 7 - xh * (1.0 / 9 - xh * (1.0 / 11 - xh * (1.0 / 13)));
  const DD s = Add(Sub(kInv3, Mul(x, kInv5)), (xh * xh) * tail);
  // In grads, and 100 grads less for t > 1.
  const DD v = NegIf(Mul(kGradsPerRadian, u), over);
  const DD base = Add(kAtanGradsTable[over][static_cast<int>(j)], v);
  return Sub(base, Mul(Mul(v, x), s));
}

// The same by the Newton step on the library's double arctangent: slower,
// and the one whose 23 digits the table's result must give; it decides
// where the table's result lies too near a rounding boundary to tell.
// With supplement, pi less the angle.
[[gnu::noinline, gnu::cold]] DD AtanGradsByNewton(DD t, bool neg, bool supplement = false) {
  DD r = AtanDD(t);
  if (supplement) r = Sub(kPi, r);
  return Grads(neg ? Neg(r) : r);
}

// How far the table's result g must lie from a rounding boundary of its 23
// digits for the Newton step's result to give the same digits: a hundred
// times their combined error. The Newton step's error comes from the terms
// its sine and cosine series take in double precision: below 3.5e-27 grads,
// and for |g| below 0.1 (angles below 1/640 radian, where those terms shrink
// with the fifth power of the angle) below 1.1e-29 of g. The table's result
// is within 2e-31 of g.
double AtanMargin(DD g) {
  const double a = std::fabs(g.hi);
  return (a >= 0.1 ? 4e-25 : 0) + 1e-26 * a;
}

// Writes the arctangent of t > 0 in grads into x; with supplement 200 grads
// less it, and then negated with neg. The table's result stands where it
// gives the Newton step's 23 digits for certain; next to a rounding boundary
// the Newton step decides.
void StoreAtanGrads(BcdExt *x, DD t, bool neg, bool supplement = false) {
  DD g = AtanGradsByTable(t);
  if (supplement) g = Sub(DD{200, 0}, g);
  g = NegIf(g, neg);
  if (!StoreDDClear(x, g, AtanMargin(g))) StoreDD(x, AtanGradsByNewton(t, neg, supplement));
}

// The arctangent of x in grads: written into x (answers false), or, on the
// main road, its argument's magnitude left in *t for the caller (answers
// true).
bool AtanArgument(BcdExt *x, DD *t) {
  if (Special(x) || ExtIsZero(x)) return false;
  const bool neg = WordNeg(ExtWord(x));
  const Dec d = ExtToDec(x);
  if (d.e < -40) {
    Mul200OverPi(x);
    return false;
  }
  if (IsOneMagnitude(x)) {
    SetExt(x, One(DigitNibble(1)) * 5, neg ? 0x6001 : 0x1001);
    return false;
  }
  if (d.e > 40) {
    SetExt(x, One(DigitNibble(1)), neg ? 0x6002 : 0x1002);
    return false;
  }
  *t = DecValue(Dec{d.m, d.e, false});
  return true;
}

// pi / 200 and 9 / 10 as the multiplier's limbs (the constants the grads
// are turned into radians and degrees with) and their exponents.
constexpr u64 kPiOver200Limbs[3] = {66192313ull, 32679489ull, 1570796ull};
constexpr u64 kNineTenthsLimbs[3] = {0, 0, 9000000ull};

}  // namespace

void ShExtAtan(BcdExt *x) {
  DD t;
  if (AtanArgument(x, &t)) StoreAtanGrads(x, t, WordNeg(ExtWord(x)));
}

void ShExtAtanRounded(BcdExt *x, u16 unit) {
  DD t;
  if (AtanArgument(x, &t)) {
    const bool neg = WordNeg(ExtWord(x));
    const DD g = NegIf(AtanGradsByTable(t), neg);
    const double margin = AtanMargin(g);
    if (unit == 1) {
      if (!StoreDDTimesRoundedClear(x, g, kPiOver200Limbs, -2, margin))
        StoreDDTimesRounded(x, AtanGradsByNewton(t, neg), kPiOver200Limbs, -2);
    } else if (unit == 0) {
      if (!StoreDDTimesRoundedClear(x, g, kNineTenthsLimbs, -1, margin))
        StoreDDTimesRounded(x, AtanGradsByNewton(t, neg), kNineTenthsLimbs, -1);
    } else if (!StoreDDRoundedClear(x, g, margin)) {
      StoreDDRounded(x, AtanGradsByNewton(t, neg));
    }
    return;
  }
  BcdExt c;
  if (unit == 1) {
    SetExt(&c, static_cast<u128>(0x0157079632679489ull) << 32 | 0x66192313u, 0x0998);
    ShExtMul(x, &c);
  } else if (unit == 0) {
    SetExt(&c, static_cast<u128>(0x0900000000000000ull) << 32, 0x0999);
    ShExtMul(x, &c);
  }
  ShExtRound(x);
}

void ShExtAsin(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const bool neg = WordNeg(ExtWord(x));
  const Dec d = ExtToDec(x);
  if (d.e < -40) return Mul200OverPi(x);
  if (IsOneMagnitude(x)) return SetExt(x, One(DigitNibble(1)), neg ? 0x6002 : 0x1002);
  BcdExt ax;
  ExtAbsInto(x, &ax);
  DD m, p;
  OneMinusPlus(&ax, &m, &p);
  const DD w = Sqrt(Mul(m, p));
  StoreAtanGrads(x, Div(DecValue(Dec{d.m, d.e, false}), w), neg);
}

void ShExtAcos(BcdExt *x) {
  if (Special(x)) return;
  if (ExtIsZero(x)) return SetExt(x, One(DigitNibble(1)), 0x1002);
  const bool neg = WordNeg(ExtWord(x));
  if (IsOneMagnitude(x)) {
    if (neg) return SetExt(x, One(DigitNibble(1)) * 2, 0x1002);
    return ExtZero(x);
  }
  BcdExt ax;
  ExtAbsInto(x, &ax);
  const Dec d = ExtToDec(&ax);
  DD m, p;
  OneMinusPlus(&ax, &m, &p);
  const DD w = Sqrt(Mul(m, p));
  const DD v = d.e < -300 ? DD{0, 0} : DecValue(Dec{d.m, d.e, false});
  // acos |x| = atan(w / |x|); a negative x takes the supplement.
  if (v.hi != 0) return StoreAtanGrads(x, Div(w, v), false, neg);
  DD r = kHalfPi;
  if (neg) r = Sub(kPi, r);
  StoreGrads(x, r);
}

// ---------------------------------------------------------------- hyperbolic

namespace {

// e^|x| / 2 for |x| above 40, written with the sign asked.
void HalfExp(BcdExt *x, const Dec &d, bool neg) {
  const DD t = Sub(Mul(DecValue(Dec{d.m, d.e, false}), kLog10E), Mul(kLn2, kLog10E));
  StoreExp10(x, t, neg);
}

}  // namespace

void ShExtSinhA(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e >= 5) return ExtInf(x, d.neg);
  const DD v = DecValue(Dec{d.m, d.e, false});
  if (v.hi > 40) return HalfExp(x, d, d.neg);
  const DD em = Expm1DD(v);
  DD r = Mul(Add(em, Div(em, Add(em, 1.0))), 0.5);
  StoreDD(x, d.neg ? Neg(r) : r);
}

void ShExtSinhB(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e < -40) return;
  const DD v = DecValue(d);
  StoreDD(x, Add(v, Mul(Mul(Mul(v, v), v), 1.0 / 6)));
}

void ShExtCosh(BcdExt *x) {
  if (Special(x)) return;
  if (ExtIsZero(x)) return ExtOne(x);
  const Dec d = ExtToDec(x);
  if (d.e >= 5) return ExtInf(x, false);
  if (d.e < -40) return ExtOne(x);
  const DD v = DecValue(Dec{d.m, d.e, false});
  if (v.hi > 40) return HalfExp(x, d, false);
  const DD e = ExpDD(v);
  StoreDD(x, Mul(Add(e, Div(DD{1, 0}, e)), 0.5));
}

void ShExtTanhA(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  const DD v = d.e >= 5 ? DD{100, 0} : DecValue(Dec{d.m, d.e, false});
  if (v.hi > 40) return ExtOne(x, d.neg);
  const DD em = Expm1DD(Mul(v, 2.0));
  const DD r = Div(em, Add(em, 2.0));
  StoreDD(x, d.neg ? Neg(r) : r);
}

void ShExtTanhB(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e < -40) return;
  const DD v = DecValue(d);
  StoreDD(x, Sub(v, Mul(Mul(Mul(v, v), v), 1.0 / 3)));
}

namespace {

// asinh |x| = ln 2 + ln |x| for large |x|.
void LogTwiceMagnitude(BcdExt *x, bool neg) {
  BcdExt ax;
  ExtAbsInto(x, &ax);
  const DD l = Add(LogOf(&ax, false), kLn2);
  StoreDD(x, neg ? Neg(l) : l);
}

}  // namespace

void ShExtAsinhA(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e >= 17) return LogTwiceMagnitude(x, d.neg);
  const DD a = DecValue(Dec{d.m, d.e, false});
  const DD a2 = Mul(a, a);
  const DD r = Log1pSafe(Add(a, Div(a2, Add(Sqrt(Add(a2, 1.0)), 1.0))));
  StoreDD(x, d.neg ? Neg(r) : r);
}

void ShExtAsinhB(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e < -40) return;
  const DD v = DecValue(d);
  StoreDD(x, Sub(v, Mul(Mul(Mul(v, v), v), 1.0 / 6)));
}

void ShExtAcosh(BcdExt *x) {
  if (Special(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e >= 17) return LogTwiceMagnitude(x, false);
  BcdExt t = *x, minusOne;
  ExtOne(&minusOne, true);
  ShExtAdd(&t, &minusOne);  // x - 1 exactly
  const DD tm = ExtToDD(&t);
  StoreDD(x, Log1pSafe(Add(tm, Sqrt(Mul(tm, Add(tm, 2.0))))));
}

void ShExtAtanhA(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const bool neg = WordNeg(ExtWord(x));
  BcdExt ax;
  ExtAbsInto(x, &ax);
  DD m, p;
  OneMinusPlus(&ax, &m, &p);
  const DD a = ExtToDD(&ax);
  const DD r = Mul(Log1pSafe(Div(Mul(a, 2.0), m)), 0.5);
  StoreDD(x, neg ? Neg(r) : r);
}

void ShExtAtanhB(BcdExt *x) {
  if (Special(x) || ExtIsZero(x)) return;
  const Dec d = ExtToDec(x);
  if (d.e < -40) return;
  const DD v = DecValue(d);
  StoreDD(x, Add(v, Mul(Mul(Mul(v, v), v), 1.0 / 3)));
}

}  // namespace entry
}  // namespace DIG_KERNEL_NS
}  // namespace dig

#if !defined(DIG_FUSED_COPY)

// Every kernel: its name, parameters and arguments.
#define DIG_KERNELS(X)                                                                         \
  X(ShExtExp10, (BcdExt * x), (x))                                                             \
  X(ShExtExp, (BcdExt * x), (x))                                                               \
  X(ShExtExp10s, (BcdExt * x), (x))                                                            \
  X(ShExtLog10, (BcdExt * x), (x))                                                             \
  X(ShExtLn, (BcdExt * x), (x))                                                                \
  X(ShExtLog10s, (BcdExt * x), (x))                                                            \
  X(ShExtLogs, (BcdExt * x), (x))                                                              \
  X(ShExtPow, (BcdExt * x, const BcdExt *y), (x, y))                                           \
  X(ShExtPowAlt, (BcdExt * x, const BcdExt *y), (x, y))                                        \
  X(ShExtPermutations, (BcdExt * x, const BcdExt *y), (x, y))                                  \
  X(ShExtCombinations, (BcdExt * x, const BcdExt *y), (x, y))                                  \
  X(ShExtSin, (BcdExt * x, u16 unit), (x, unit))                                               \
  X(ShExtCos, (BcdExt * x, u16 unit), (x, unit))                                               \
  X(ShExtTan, (BcdExt * x, u16 unit), (x, unit))                                               \
  X(ShExtSinRounded, (BcdExt * x, u16 unit), (x, unit))                                        \
  X(ShExtCosRounded, (BcdExt * x, u16 unit), (x, unit))                                        \
  X(ShExtTanRounded, (BcdExt * x, u16 unit), (x, unit))                                        \
  X(ShExtAtan, (BcdExt * x), (x))                                                              \
  X(ShExtAtanRounded, (BcdExt * x, u16 unit), (x, unit))                                       \
  X(ShExtAsin, (BcdExt * x), (x))                                                              \
  X(ShExtAcos, (BcdExt * x), (x))                                                              \
  X(ShExtSinhA, (BcdExt * x), (x))                                                             \
  X(ShExtSinhB, (BcdExt * x), (x))                                                             \
  X(ShExtCosh, (BcdExt * x), (x))                                                              \
  X(ShExtTanhA, (BcdExt * x), (x))                                                             \
  X(ShExtTanhB, (BcdExt * x), (x))                                                             \
  X(ShExtAsinhA, (BcdExt * x), (x))                                                            \
  X(ShExtAsinhB, (BcdExt * x), (x))                                                            \
  X(ShExtAcosh, (BcdExt * x), (x))                                                             \
  X(ShExtAtanhA, (BcdExt * x), (x))                                                            \
  X(ShExtAtanhB, (BcdExt * x), (x))

#if DIG_FUSED_EXISTS
#define DIG_DECLARE(name, params, args) void name params;
namespace dig::fused::entry {
DIG_KERNELS(DIG_DECLARE)
}
#undef DIG_DECLARE
#endif

namespace {

// 1 plain, 2 fused; 0 until the first call looks at the processor.
std::atomic<u8> gKernelBuild{0};

u8 PickBuild() {
#if DIG_FUSED_EXISTS
  __builtin_cpu_init();
  return __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx") ? 2 : 1;
#else
  return 1;
#endif
}

#if DIG_FUSED_EXISTS
bool Fused() {
  u8 b = gKernelBuild.load(std::memory_order_relaxed);
  if (b == 0) {
    b = PickBuild();
    gKernelBuild.store(b, std::memory_order_relaxed);
  }
  return b == 2;
}
#endif

}  // namespace

bool ShKernelFusedAvailable() { return PickBuild() == 2; }

void ShKernelUseFused(bool fused) {
  gKernelBuild.store(fused && ShKernelFusedAvailable() ? 2 : 1, std::memory_order_relaxed);
}

#if DIG_FUSED_EXISTS
#define DIG_DISPATCH(name, params, args) \
  void name params { Fused() ? dig::fused::entry::name args : dig::DIG_KERNEL_NS::entry::name args; }
#else
#define DIG_DISPATCH(name, params, args) \
  void name params { dig::DIG_KERNEL_NS::entry::name args; }
#endif
DIG_KERNELS(DIG_DISPATCH)
#undef DIG_DISPATCH

#endif  // !DIG_FUSED_COPY
