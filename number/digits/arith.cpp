// Digit routines: moves, kinds, the adder, multiplier and divider, rounding,
// integer parts, comparisons, scaling and integer conversions.
#include <cstring>

#include "number/digits/digits.h"
#include "number/digits/reg.h"

using namespace dig;

// ---------------------------------------------------------------- moves

void ShExtWiden(const BcdWork *src, BcdExt *dst) {
  std::memcpy(dst->b, src->b, 8);
  std::memset(dst->b + 8, 0, 4);
  std::memcpy(dst->b + 12, src->b + 10, 2);
}

void ShExtNarrow(const BcdExt *src, BcdWork *dst) {
  std::memcpy(dst->b, src->b, 8);
  StoreBe32(dst->b + 8, ExtWord(src));  // two zero bytes, then the word
}

void ShWorkCopy(const BcdWork *src, BcdWork *dst) { std::memmove(dst->b, src->b, 12); }

static u16 KindOf(u8 nib, u16 word) {
  switch (nib) {
    case BCD_NIB_ERROR: return BCD_KIND_ERROR;
    case BCD_NIB_NUMBER: return BCD_KIND_NUMBER;
    case BCD_NIB_INF: return word < 0x5000 ? BCD_KIND_POS_INF : BCD_KIND_NEG_INF;
    case BCD_NIB_FALSE: return BCD_KIND_FALSE;
    case BCD_NIB_TRUE: return BCD_KIND_TRUE;
    default: return BCD_KIND_UNDEF;
  }
}

u16 ShWorkKind(const BcdWork *x) { return KindOf(WorkKindNib(x), WorkWord(x)); }
u16 ShExtKind(const BcdExt *x) { return KindOf(ExtKindNib(x), ExtWord(x)); }
u16 ShWorkErrorCode(const BcdWork *x) { return WorkKindNib(x) == BCD_NIB_ERROR ? WorkWord(x) : 0; }
u16 ShExtErrorCode(const BcdExt *x) { return ExtKindNib(x) == BCD_NIB_ERROR ? ExtWord(x) : 0; }

// ---------------------------------------------------------------- adder

// a := a + b (b's sign as given), with or without the cancellation rule.
static void AddImpl(BcdExt *a, const BcdExt *b, bool maru) {
  if (ExtKindNib(a) != BCD_NIB_NUMBER) return;
  if (ExtKindNib(b) != BCD_NIB_NUMBER || ExtIsZero(a)) {
    if (ExtKindNib(b) == BCD_NIB_NUMBER && ExtIsZero(b)) return ExtZero(a);
    *a = *b;
    return;
  }
  if (ExtIsZero(b)) return;
  const u16 wa = ExtWord(a), wb = ExtWord(b);
  const u128 ma = ExtDigits(a), mb = ExtDigits(b);
  const u16 ma_w = WordMag(wa), mb_w = WordMag(wb);
  const bool aLarger = ma_w != mb_w ? ma_w > mb_w : ma >= mb;
  const BcdExt *L = aLarger ? a : b;
  const u16 wl = aLarger ? wa : wb, ws = aLarger ? wb : wa;
  u128 ml = aLarger ? ma : mb, ms = aLarger ? mb : ma;
  const int el = WordExp(wl), d = el - WordExp(ws);
  if (d >= 23) {
    if (L != a) *a = *L;
    return;
  }
  ms >>= 4 * d;
  Reg r{0, el, WordNeg(wl)};
  r.m = WordNeg(wa) == WordNeg(wb) ? dig::BcdAdd(ml, ms) : dig::BcdSub(ml, ms);
  if (maru && (r.m >> 40) == 0) return ExtZero(a);
  StoreReg(a, r);
}

void ShExtAdd(BcdExt *a, const BcdExt *b) { AddImpl(a, b, false); }
void ShExtAddMaru(BcdExt *a, const BcdExt *b) { AddImpl(a, b, true); }

void ShExtSub(BcdExt *a, BcdExt *b) {
  u16 w = ExtWord(b);
  ShExpNegate(&w);
  StoreWord(b->b + 12, w);
  AddImpl(a, b, false);
}

void ShExtSubMaru(BcdExt *a, BcdExt *b) {
  u16 w = ExtWord(b);
  ShExpNegate(&w);
  StoreWord(b->b + 12, w);
  AddImpl(a, b, true);
}

// ---------------------------------------------------------------- multiplier

namespace dig {

// floor(A x B / 10^22) for A, B below 10^23 given as three base-10^8 limbs.
u128 MulTop(const u64 a[3], const u64 b[3]) {
  constexpr u64 kB = 100000000ull;
  u64 p0 = a[0] * b[0];
  u64 p1 = a[1] * b[0] + a[0] * b[1];
  u64 p2 = a[2] * b[0] + a[1] * b[1] + a[0] * b[2];
  u64 p3 = a[2] * b[1] + a[1] * b[2];
  u64 p4 = a[2] * b[2];
  p1 += p0 / kB;
  p2 += p1 / kB;
  p3 += p2 / kB;
  const u64 c2 = p2 % kB;
  p4 += p3 / kB;
  const u64 c3 = p3 % kB;
  return static_cast<u128>(p4) * 10000000000ull + c3 * 100ull + c2 / 1000000ull;
}

static void Limbs(u128 m, u64 out[3]) {
  out[0] = Bcd8ToBin(static_cast<u32>(m));
  out[1] = Bcd8ToBin(static_cast<u32>(m >> 32));
  out[2] = Bcd8ToBin(static_cast<u32>(m >> 64));
}

bool PassSpecial(BcdExt *a, const BcdExt *b) {
  if (ExtKindNib(a) != BCD_NIB_NUMBER) return true;
  if (ExtKindNib(b) != BCD_NIB_NUMBER) {
    *a = *b;
    return true;
  }
  return false;
}

}  // namespace dig

void ShExtMul(BcdExt *a, const BcdExt *b) {
  if (PassSpecial(a, b)) return;
  if (ExtIsZero(a) || ExtIsZero(b)) return ExtZero(a);
  const u16 wa = ExtWord(a), wb = ExtWord(b);
  u64 la[3], lb[3];
  Limbs(ExtDigits(a) & kDigitsMask, la);
  Limbs(ExtDigits(b) & kDigitsMask, lb);
  Reg r{BinToReg(MulTop(la, lb)), WordExp(wa) + WordExp(wb), WordNeg(wa) != WordNeg(wb)};
  if (r.e < -1000) return ExtZero(a);
  if (r.e > 999) return ExtInf(a, r.neg);
  StoreReg(a, r);
}

// ---------------------------------------------------------------- divider

void ShExtDiv(BcdExt *a, const BcdExt *b) {
  if (PassSpecial(a, b)) return;
  if (ExtIsZero(b)) return ExtUndef(a);
  if (ExtIsZero(a)) return ExtZero(a);
  const u16 wa = ExtWord(a), wb = ExtWord(b);
  u128 A = RegToBin(ExtDigits(a) & kDigitsMask);
  const u128 B = RegToBin(ExtDigits(b) & kDigitsMask);
  int e = WordExp(wa) - WordExp(wb);
  if (A < B) {
    A *= 10;
    --e;
  }
  constexpr u64 k11 = 100000000000ull;
  u128 x = A * k11;
  const u128 q1 = x / B;
  x = (x - q1 * B) * k11;
  const u128 q2 = x / B;
  Reg r{BinToReg(q1 * k11 + q2), e, WordNeg(wa) != WordNeg(wb)};
  StoreReg(a, r);
}

// ---------------------------------------------------------------- rounding

void ShExtRound(BcdExt *x) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER || ExtIsZero(x)) return;
  const u16 w = ExtWord(x);
  const u128 m = ExtDigits(x);
  const int e = WordExp(w);
  // A normalised number (d1 not 0) in range: d16 below 5 only drops the
  // guard digits, else one unit goes in at d15; unless that carries out of
  // d1 the exponent stays. Every transcendental result ends here.
  if ((m >> 88) != 0 && e >= -999 && e <= 999) {
    // The unit is added or not by d16 without a branch: whether d16 reaches
    // five is as good as random.
    const u128 kept = m & ~kGuardMask;
    const u128 up = dig::BcdAdd(kept, static_cast<u128>(((m >> 28) & 0xF) >= 5) << (4 * DigitNibble(15)));
    if ((up >> 92) == 0) return SetExt(x, up, MakeWord(e, WordNeg(w)));
  }
  Reg r{dig::BcdAdd(m, One(DigitNibble(16)) * 5), e, WordNeg(w)};
  r.m &= ~kGuardMask;
  StoreReg(x, r);
}

static void RoundAt(BcdExt *x, u16 n, u32 add) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER || ExtIsZero(x) || n < 1 || n > 23) return;
  const u16 w = ExtWord(x);
  const int nib = DigitNibble(n);
  Reg r{dig::BcdAdd(ExtDigits(x), One(nib) * add), WordExp(w), WordNeg(w)};
  r.m &= ~((One(nib + 1)) - 1);
  StoreReg(x, r);
}

void ShExtRoundDigits(BcdExt *x, u16 n) { RoundAt(x, n, 5); }
void ShExtRoundUpDigits(BcdExt *x, u16 n) { RoundAt(x, n, 9); }

void ShWorkNormalize(BcdWork *x) {
  if (WorkKindNib(x) != BCD_NIB_NUMBER) return;
  const u16 w = WorkWord(x);
  if (w == 0) return;
  u128 m = WorkDigits(x);
  const u32 tail = static_cast<u32>(m >> 32) & 0xFFFF;  // d12-d15
  if (tail >= 0x9991 && tail <= 0x9999) {
    m &= ~(static_cast<u128>(0xFFFF) << 32);
    Reg r{dig::BcdAdd(m, One(DigitNibble(11))), WordExp(w), WordNeg(w)};
    BcdExt t;
    StoreReg(&t, r);
    ShExtNarrow(&t, x);
  } else if (tail <= 0x0009) {
    x->b[6] = 0;
    x->b[7] = 0;
  }
}

// ---------------------------------------------------------------- integer parts

// Clears the digits below the units digit; the count of units digits is e + 1.
static u128 IntDigits(u128 m, int e) {
  if (e < 0) return 0;
  if (e >= 22) return m;
  return m & ~(One(DigitNibble(e + 1)) - 1);
}

void ShExtInt(BcdExt *x) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER) return;
  if (ExtIsZero(x)) return ExtZero(x);
  const u16 w = ExtWord(x);
  const int e = WordExp(w);
  if (e < 0) return ExtZero(x);
  SetExt(x, IntDigits(ExtDigits(x), e), w);
  if (ExtIsZero(x)) ExtZero(x);
}

void ShExtFrac(BcdExt *x) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER) return;
  if (ExtIsZero(x)) return ExtZero(x);
  const u16 w = ExtWord(x);
  const int e = WordExp(w);
  if (e < 0) return;
  const u128 m = ExtDigits(x);
  StoreReg(x, Reg{m - IntDigits(m, e), e, WordNeg(w)});
}

void ShExtIntg(BcdExt *x) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER) return;
  if (ExtIsZero(x)) return ExtZero(x);
  const u16 w = ExtWord(x);
  const int e = WordExp(w);
  const u128 m = ExtDigits(x);
  const u128 im = IntDigits(m, e);
  if (!WordNeg(w) || im == m) return ShExtInt(x);
  if (e < 0) return SetExt(x, One(DigitNibble(1)), 0x6000);
  StoreReg(x, Reg{dig::BcdAdd(im, One(DigitNibble(e + 1))), e, true});
}

void ShExtCint(BcdExt *x) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER) return;
  BcdExt half;
  SetExt(&half, One(DigitNibble(1)) * 5, WordNeg(ExtWord(x)) ? 0x5999 : 0x0999);
  ShExtAdd(x, &half);
  if (!ExtIsZero(x)) ShExtInt(x);
}

// ---------------------------------------------------------------- signs

void ShExpAbs(u16 *word) {
  if (*word >= 0x5000) *word = static_cast<u16>(*word - 0x5000);
}

void ShExpNegate(u16 *word) {
  if (*word == 0) return;
  *word = WordNegated(*word);
}

void ShWorkSignum(BcdWork *x) {
  const u16 w = WorkWord(x);
  if (w == 0) return;
  SetWork(x, One(DigitNibble(1)), WordNeg(w) ? 0x6000 : 0x1000);
}

// ---------------------------------------------------------------- comparisons

u16 dig::CompareMagnitude(u16 wa, u128 ma, u16 wb, u128 mb) {
  wa = WordMag(wa);
  wb = WordMag(wb);
  if (wa != wb) return wa < wb ? 2 : 4;
  if (ma != mb) return ma < mb ? 2 : 4;
  return 1;
}

u16 ShWorkCompare(const BcdWork *a, const BcdWork *b) {
  const u16 wa = WorkWord(a), wb = WorkWord(b);
  const bool na = WordNeg(wa), nb = WordNeg(wb);
  if (na && !nb) return 2;
  if (!na && nb) return 4;
  const u128 ma = WorkDigits(a), mb = WorkDigits(b);
  return na ? CompareMagnitude(wb, mb, wa, ma) : CompareMagnitude(wa, ma, wb, mb);
}

static u16 SignOfWord(u16 w) { return w >= 0x5000 ? 2 : (w == 0 ? 1 : 4); }
u16 ShWorkSign(const BcdWork *x) { return SignOfWord(WorkWord(x)); }
u16 ShExtSign(const BcdExt *x) { return SignOfWord(ExtWord(x)); }

u16 ShWorkEqual(const BcdWork *a, const BcdWork *b) {
  return std::memcmp(a->b, b->b, 8) == 0 && WorkWord(a) == WorkWord(b) ? 1 : 6;
}

u16 ShWorkIsZero(const BcdWork *x) { return WorkWord(x) == 0 ? 1 : 6; }

u16 ShWorkIsPlainZero(const BcdWork *x) { return x->b[0] <= 0x10 && WorkWord(x) == 0 ? 1 : 2; }

// ---------------------------------------------------------------- exponents and scaling

i16 ShExpDecimal(const u16 *word) { return *word == 0 ? 0 : static_cast<i16>(WordExp(*word)); }

void ShWorkExponentValue(BcdWork *x) {
  const u16 w = WorkWord(x);
  if (w == 0) return;
  const int e = WordExp(w);
  ShFromInt16(static_cast<i16>(e), x);
}

static void ScaleExt(BcdExt *x, i16 n) {
  if (ExtKindNib(x) != BCD_NIB_NUMBER || ExtIsZero(x)) return;
  const u16 w = ExtWord(x);
  const int e = WordExp(w) + n;
  if (e <= -1000) return ExtZero(x);
  if (e >= 1000) return ExtInf(x, WordNeg(w));
  StoreWord(x->b + 12, MakeWord(e, WordNeg(w)));
}

u16 ShExtScale10(BcdExt *x, i16 n) {
  ScaleExt(x, n);
  return 0;
}

u16 ShWorkScale10(BcdWork *x, i16 n) {
  BcdExt t;
  ShExtWiden(x, &t);
  ScaleExt(&t, n);
  ShExtNarrow(&t, x);
  return 0;
}

// ---------------------------------------------------------------- integers

void dig::FromU64(u64 v, bool neg, BcdWork *out) {
  if (v == 0) return WorkZero(out);
  BcdExt t;
  StoreReg(&t, Reg{BinToReg(v), 22, neg});
  ShExtNarrow(&t, out);
}

void ShFromInt16(i16 n, BcdWork *out) {
  dig::FromU64(n < 0 ? static_cast<u64>(-static_cast<i32>(n)) : static_cast<u64>(n), n < 0, out);
}

void ShFromInt32(i32 n, BcdWork *out) {
  dig::FromU64(n < 0 ? static_cast<u64>(-static_cast<i64>(n)) : static_cast<u64>(n), n < 0, out);
}

u64 dig::IntMagnitude(const BcdWork *x) {
  const u16 w = WorkWord(x);
  if (w == 0) return 0;
  const int e = WordExp(w);
  if (e < 0) return 0;
  const u64 d = Bcd16ToBin(LoadBe64(x->b) & 0x0FFFFFFFFFFFFFFFull);  // d1..d15
  if (e >= 14) return d * kPow10[e - 14];
  return d / kPow10[14 - e];
}

void ShToInt16(const BcdWork *x, i16 *out) {
  const i64 v = static_cast<i64>(dig::IntMagnitude(x));
  *out = static_cast<i16>(WordNeg(WorkWord(x)) ? -v : v);
}

void ShToInt32(const BcdWork *x, i32 *out) {
  const i64 v = static_cast<i64>(dig::IntMagnitude(x));
  *out = static_cast<i32>(WordNeg(WorkWord(x)) ? -v : v);
}

u32 ShSmallToBcd(u32 n) { return BinToBcd8(n % 100000); }
u32 ShSmallFromBcd(u32 packed) { return Bcd8ToBin(packed & 0xFFFFF); }
