// Double-double arithmetic (about 32 significant digits): the working
// precision of the transcendental kernels, and the conversions between it
// and the 23-digit extended form.
#pragma once
#include <bit>
#include <cmath>
#include <type_traits>

#include "number/digits/reg.h"

namespace dig {

struct DD {
  double hi, lo;
};

constexpr DD kPi{3.141592653589793, 1.2246467991473532e-16};
constexpr DD kHalfPi{1.5707963267948966, 6.123233995736766e-17};
constexpr DD kLn10{2.302585092994046, -2.1707562233822494e-16};
constexpr DD kLn2{0.6931471805599453, 2.3190468138462996e-17};
constexpr DD kLog10E{0.4342944819032518, 1.098319650216765e-17};
constexpr DD kPiOver180{0.017453292519943295, 2.9486522708701687e-19};
constexpr DD kPiOver200{0.015707963267948967, -7.754553812077691e-19};

// A decimal number split for the kernels: value = sign x m x 10^e with the
// mantissa m in [1, 10).
struct Dec {
  DD m;
  int e;
  bool neg;
};

inline namespace DIG_KERNEL_NS {

constexpr DD QuickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}
constexpr DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}
// Exact product by Dekker's splitting (no fused multiply-add needed).
constexpr void Split(double a, double &hi, double &lo) {
  const double t = 134217729.0 * a;  // 2^27 + 1
  hi = t - (t - a);
  lo = a - hi;
}
constexpr DD TwoProd(double a, double b) {
  const double p = a * b;
#if DIG_FMA
  // The fused build: the same exact error term in one instruction.
  if (!std::is_constant_evaluated()) return {p, __builtin_fma(a, b, -p)};
#endif
  double ah = 0, al = 0, bh = 0, bl = 0;
  Split(a, ah, al);
  Split(b, bh, bl);
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

constexpr DD Add(DD a, DD b) {
  DD s = TwoSum(a.hi, b.hi);
  const DD t = TwoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = QuickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return QuickTwoSum(s.hi, s.lo);
}
constexpr DD Add(DD a, double b) {
  DD s = TwoSum(a.hi, b);
  s.lo += a.lo;
  return QuickTwoSum(s.hi, s.lo);
}
constexpr DD Neg(DD a) { return {-a.hi, -a.lo}; }
constexpr DD Sub(DD a, DD b) { return Add(a, Neg(b)); }
// -a when n, else a: the sign bits flipped as Neg flips them, without a
// branch.
inline DD NegIf(DD a, bool n) {
  const u64 m = static_cast<u64>(n) << 63;
  return {std::bit_cast<double>(std::bit_cast<u64>(a.hi) ^ m), std::bit_cast<double>(std::bit_cast<u64>(a.lo) ^ m)};
}
constexpr DD Mul(DD a, DD b) {
  DD p = TwoProd(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return QuickTwoSum(p.hi, p.lo);
}
constexpr DD Mul(DD a, double b) {
  DD p = TwoProd(a.hi, b);
  p.lo += a.lo * b;
  return QuickTwoSum(p.hi, p.lo);
}
constexpr DD Div(DD a, DD b) {
  const double q1 = a.hi / b.hi;
  DD r = Sub(a, Mul(b, q1));
  const double q2 = r.hi / b.hi;
  r = Sub(r, Mul(b, q2));
  const double q3 = r.hi / b.hi;
  return Add(QuickTwoSum(q1, q2), q3);
}
inline DD Sqrt(DD a) {
  if (a.hi <= 0) return {0, 0};
  const double x = 1.0 / std::sqrt(a.hi);
  const double ax = a.hi * x;
  const DD d = Sub(a, TwoProd(ax, ax));
  return Add(DD{ax, 0}, d.hi * (x * 0.5));
}
inline DD FromDouble(double d) { return {d, 0}; }

// Nearest integer of |x| below 2^51, ties to even as nearbyint in the
// default rounding, without the library call: adding 1.5 x 2^52 leaves no
// bits below the units.
inline double NearestSmall(double x) {
  constexpr double kShift = 6755399441055744.0;
  return (x + kShift) - kShift;
}
// floor of |x| below 2^62, without the library call.
constexpr double FloorSmall(double x) {
  const double t = static_cast<double>(static_cast<i64>(x));
  return t > x ? t - 1 : t;
}

// 10^k in double-double. From 10^-300 to 10^300 a table computed while
// compiling (with the same bits as the run-time arithmetic gives); further
// out (where the exact-product split overflows) the same steps at run time.
inline constexpr int kPow10Span = 300;
inline constexpr double kPow10Exact[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// 10^k for k >= 0: products of 10^22, then the exact power for the rest.
constexpr DD Pow10Steps(int k) {
  DD v{1, 0};
  int n = k;
  for (; n > 22; n -= 22) v = Mul(v, 1e22);
  return Mul(v, kPow10Exact[n]);
}
struct Pow10Table {
  DD p[2 * kPow10Span + 1];
};
constexpr Pow10Table MakePow10Table() {
  Pow10Table t{};
  for (int k = 0; k <= kPow10Span; ++k) {
    t.p[kPow10Span + k] = Pow10Steps(k);
    t.p[kPow10Span - k] = Div(DD{1, 0}, t.p[kPow10Span + k]);
  }
  return t;
}
inline constexpr Pow10Table kPow10Table = MakePow10Table();
DD Pow10Far(int k);
inline DD Pow10(int k) {
  if (k >= -kPow10Span && k <= kPow10Span) return kPow10Table.p[kPow10Span + k];
  return Pow10Far(k);
}

// Extended number (kind 0, non-zero) to its split form. Inline, so that
// the split form stays in registers.
[[gnu::always_inline]] inline Dec ExtToDec(const BcdExt *x) {
  const u128 m = ExtDigits(x) & kDigitsMask;
  const double a2 = Bcd8ToBin(static_cast<u32>(m >> 64));
  const double a1 = Bcd8ToBin(static_cast<u32>(m >> 32));
  const double a0 = Bcd8ToBin(static_cast<u32>(m));
  const DD v = Add(TwoProd(a2 * 1e8 + a1, 1e8), a0);
  const u16 w = ExtWord(x);
  return Dec{Mul(v, Pow10(-22)), WordExp(w), WordNeg(w)};
}
// Value of a split number (|e| small enough for double range).
[[gnu::always_inline]] inline DD DecValue(const Dec &d) {
  DD v = d.e == 0 ? d.m : Mul(d.m, Pow10(d.e));
  return d.neg ? Neg(v) : v;
}
// Extended number to double-double (the caller knows it is in range).
DD ExtToDD(const BcdExt *x);
// Writes v x 10^scale (rounded to 23 digits) into x; overflow gives
// infinity, underflow zero.
void StoreDD(BcdExt *x, DD v, int scale = 0);
// StoreDD followed by ShExtRound, in one step (the same bits).
void StoreDDRounded(BcdExt *x, DD v, int scale = 0);
// StoreDD, ShExtMul by a positive constant c (23 digits as base-10^8 limbs,
// least significant first; exponent ce) and ShExtRound, in one step.
void StoreDDTimesRounded(BcdExt *x, DD v, const u64 c[3], int ce);
// StoreDD, StoreDDRounded and StoreDDTimesRounded (scale 0) when v lies more
// than margin (in v's own units) from every rounding boundary of its 23
// digits, so that every value within margin of v gives the same 23 digits:
// then each writes and answers true; else it writes nothing and answers
// false.
bool StoreDDClear(BcdExt *x, DD v, double margin);
bool StoreDDRoundedClear(BcdExt *x, DD v, double margin);
bool StoreDDTimesRoundedClear(BcdExt *x, DD v, const u64 c[3], int ce, double margin);

}  // namespace DIG_KERNEL_NS

}  // namespace dig
