// Digit arithmetic on the working form: screening, domain errors, widening,
// the digit routine, rounding to 15 digits and narrowing.
#include <cmath>
#include <cstring>

#include "number/bcd.h"
#include "number/digits/digits.h"
#include "number/digits/reg.h"

using namespace dig;

namespace {

constexpr u16 kErrMa = 3;
constexpr u16 kErrArgument = 8;
constexpr u16 kErrDomain = 16;
constexpr u16 kErrDomainNeg = 17;

// kind nibble and 15 digits as one 16-nibble literal, then the word.
BcdWork *Const(BcdWork *dst, u64 digits, u16 word) {
  SetWork(dst, static_cast<u128>(digits) << 32, word);
  return dst;
}
BcdExt *ExtConst(BcdExt *dst, u64 digits, u32 guard, u16 word) {
  SetExt(dst, static_cast<u128>(digits) << 32 | guard, word);
  return dst;
}

bool IsError(const BcdWork *x) { return WorkKindNib(x) == BCD_NIB_ERROR; }
bool IsError(const BcdExt *x) { return ExtKindNib(x) == BCD_NIB_ERROR; }

// The exponent word of either form; an error value carries its code there.
u16 FormWord(const BcdWork *x) { return WorkWord(x); }
u16 FormWord(const BcdExt *x) { return ExtWord(x); }

// Step 1 and 2 of the common sequence, for the working and the extended form.
// Returns true when an error operand decided the result (*code set).
template <typename Form>
bool ScreenFormErrors(Form *a, const Form *b, i16 *code) {
  if (IsError(a)) {
    *code = static_cast<i16>(FormWord(a));
    return true;
  }
  if (b && IsError(b)) {
    if (a != b) *a = *b;
    *code = static_cast<i16>(FormWord(b));
    return true;
  }
  return false;
}

bool ScreenErrors(BcdWork *a, const BcdWork *b, i16 *code) { return ScreenFormErrors(a, b, code); }

i16 Fail(BcdWork *a, u16 code) { return static_cast<i16>(BcdMakeError(code, a)); }

// Narrows the extended result (rounded when asked) into a; returns the code
// of the result.
i16 Finish(BcdExt *t, BcdWork *a, bool round) {
  if (round) ShExtRound(t);
  ShExtNarrow(t, a);
  return static_cast<i16>(ShWorkErrorCode(a));
}

using Binary = void (*)(BcdExt *, BcdExt *);
using Unary = void (*)(BcdExt *);

// Kept out of line (as RunUnary): the direct paths that fall back on it then
// need no stack frame of their own.
[[gnu::noinline]] i16 RunBinary(BcdWork *a, const BcdWork *b, Binary routine) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  BcdExt ea, eb;
  ShExtWiden(a, &ea);
  ShExtWiden(b, &eb);
  routine(&ea, &eb);
  return Finish(&ea, a, true);
}

[[gnu::noinline]] i16 RunUnary(BcdWork *a, Unary routine, bool round) {
  BcdExt t;
  ShExtWiden(a, &t);
  routine(&t);
  return Finish(&t, a, round);
}

// An error operand screened, then the routine on the one operand.
i16 Screened(BcdWork *a, Unary routine, bool round) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  return RunUnary(a, routine, round);
}

// An error operand screened, then a change made in place.
i16 ScreenedWord(BcdWork *a, void (*change)(u16 *)) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  u16 w = WorkWord(a);
  change(&w);
  StoreWord(a->b + 10, w);
  return 0;
}
i16 ScreenedInPlace(BcdWork *a, void (*change)(BcdWork *)) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  change(a);
  return 0;
}

bool IsNeg(const BcdWork *x) { return WordNeg(WorkWord(x)); }
bool IsZero(const BcdWork *x) { return WorkWord(x) == 0; }
// Magnitude compared with a constant: BcdCompareCode of |x| against c.
u16 AbsCompare(const BcdWork *x, const BcdWork *c) {
  return CompareMagnitude(WorkWord(x), WorkDigits(x), WorkWord(c), WorkDigits(c));
}

void AddRoutine(BcdExt *a, BcdExt *b) { ShExtAdd(a, b); }
void MulRoutine(BcdExt *a, BcdExt *b) { ShExtMul(a, b); }
void DivRoutine(BcdExt *a, BcdExt *b) { ShExtDiv(a, b); }
void AddMaruRoutine(BcdExt *a, BcdExt *b) { ShExtAddMaru(a, b); }

}  // namespace

// ---------------------------------------------------------------- constants

BcdWork *BcdOne(BcdWork *d) { return Const(d, 0x0100000000000000ull, 0x1000); }
BcdWork *BcdZero(BcdWork *d) { return Const(d, 0, 0); }
BcdWork *BcdHalf(BcdWork *d) { return Const(d, 0x0500000000000000ull, 0x0999); }
BcdWork *BcdInt16Max(BcdWork *d) { return Const(d, 0x0327670000000000ull, 0x1004); }
BcdWork *BcdInt16Min(BcdWork *d) { return Const(d, 0x0327680000000000ull, 0x6004); }
BcdWork *BcdInt32Max(BcdWork *d) { return Const(d, 0x0214748364700000ull, 0x1009); }
BcdWork *BcdInt32Min(BcdWork *d) { return Const(d, 0x0214748364800000ull, 0x6009); }
BcdWork *BcdPi(BcdWork *d) { return Const(d, 0x0314159265358980ull, 0x1000); }
BcdWork *BcdTwoPi(BcdWork *d) { return Const(d, 0x0628318530717960ull, 0x1000); }
BcdWork *BcdHalfPi(BcdWork *d) { return Const(d, 0x0157079632679490ull, 0x1000); }
BcdWork *BcdQuarterPi(BcdWork *d) { return Const(d, 0x0785398163397450ull, 0x0999); }
BcdWork *BcdE(BcdWork *d) { return Const(d, 0x0271828182845905ull, 0x1000); }
BcdWork *BcdLn10(BcdWork *d) { return Const(d, 0x0230258509299405ull, 0x1000); }
BcdWork *BcdThreeHalvesPi(BcdWork *d) { return Const(d, 0x0471238898038470ull, 0x1000); }
BcdWork *Bcd180(BcdWork *d) { return Const(d, 0x0180000000000000ull, 0x1002); }
BcdWork *Bcd270(BcdWork *d) { return Const(d, 0x0270000000000000ull, 0x1002); }
BcdWork *Bcd360(BcdWork *d) { return Const(d, 0x0360000000000000ull, 0x1002); }
BcdWork *Bcd90(BcdWork *d) { return Const(d, 0x0900000000000000ull, 0x1001); }
BcdWork *BcdTrigLimitDeg(BcdWork *d) { return Const(d, 0x0900000000000000ull, 0x1009); }
BcdWork *BcdTrigLimitRad(BcdWork *d) { return Const(d, 0x0157079632679489ull, 0x1008); }
BcdWork *BcdTrigLimitGra(BcdWork *d) { return Const(d, 0x0100000000000000ull, 0x1010); }
BcdWork *BcdSmallArg(BcdWork *d) { return Const(d, 0x0100000000000000ull, 0x0993); }
BcdWork *BcdHugeArg(BcdWork *d) { return Const(d, 0x0500000000000000ull, 0x1999); }
BcdWork *BcdNegHugeArg(BcdWork *d) { return Const(d, 0x0500000000000000ull, 0x6999); }
BcdWork *BcdTen10(BcdWork *d) { return Const(d, 0x0100000000000000ull, 0x1010); }

BcdExt *BcdExtPi(BcdExt *d) { return ExtConst(d, 0x0314159265358979ull, 0x32384626u, 0x1000); }
BcdExt *BcdExtTwoPi(BcdExt *d) { return ExtConst(d, 0x0628318530717958ull, 0x64769253u, 0x1000); }
BcdExt *BcdExt180(BcdExt *d) { return ExtConst(d, 0x0180000000000000ull, 0, 0x1002); }
BcdExt *BcdExt200(BcdExt *d) { return ExtConst(d, 0x0200000000000000ull, 0, 0x1002); }
BcdExt *BcdExtNineTenths(BcdExt *d) { return ExtConst(d, 0x0900000000000000ull, 0, 0x0999); }
BcdExt *BcdExt200OverPi(BcdExt *d) { return ExtConst(d, 0x0636619772367581ull, 0x34307554u, 0x1001); }
BcdExt *BcdExtPiOver200(BcdExt *d) { return ExtConst(d, 0x0157079632679489ull, 0x66192313u, 0x0998); }

// ---------------------------------------------------------------- arithmetic
//
// The four operations and the square root first try a direct path for two
// normalised finite numbers that keeps the register in machine words. It
// gives the same digits as widening, the digit routine, rounding and
// narrowing (the routine's result then only depends on 15-digit operands);
// anything else (zero, special kinds, errors) takes the general road.

namespace {

// Digits (kind nibble and d1..d15) of a normalised finite number, or 0.
inline u64 PlainDigits(const BcdWork *x, u16 w) {
  const u64 d = LoadBe64(x->b);
  return (d >> 60) == 0 && (d >> 56) != 0 && w != 0 && w != 0x5000 ? d : 0;
}

// Stores a rounded 15-digit binary mantissa r (10^14 <= r <= 10^15, the
// top one from a rounding carry), whose top seven digits are hi, with
// exponent e; overflow gives infinity.
inline void StoreBin15(BcdWork *a, u64 r, u64 hi, int e, bool neg) {
  if (r == 1000000000000000ull) {
    r = 100000000000000ull;
    hi = 1000000;
    ++e;
  }
  if (e > 999) return SetWork(a, static_cast<u128>(BCD_NIB_INF) << 92, neg ? 0x6000 : 0x1000);
  const u64 lo = r - hi * 100000000u;
  const u64 digits = static_cast<u64>(BinToBcd8(static_cast<u32>(hi))) << 32 | BinToBcd8(static_cast<u32>(lo));
  SetWork(a, static_cast<u128>(digits) << 32, MakeWord(e, neg));
}

// Rounds a 16-digit binary mantissa q (10^15 <= q < 10^16) half up to 15
// digits and stores it with exponent e; overflow gives infinity, underflow
// zero (e is the exponent before a rounding carry). The top seven digits
// come straight from q, beside the rounding rather than after it.
inline void StoreRounded16(BcdWork *a, u64 q, int e, bool neg) {
  if (e < -999) return WorkZero(a);
  StoreBin15(a, (q + 5) / 10, (q + 5) / 1000000000u, e, neg);
}

// a + b + cin on 16 packed decimal digits; *carry receives the carry out of
// the top digit.
inline u64 BcdAdd64(u64 a, u64 b, unsigned cin, bool *carry) {
  const u64 t1 = a + 0x6666666666666666ull;
  u64 t2;
  bool c = __builtin_add_overflow(t1, b, &t2);
  c |= __builtin_add_overflow(t2, static_cast<u64>(cin), &t2);
  const u64 t4 = t2 ^ t1 ^ b;
  const u64 t5 = ~t4 & 0x1111111111111110ull;
  u64 t6 = (t5 >> 2) | (t5 >> 3);
  if (!c) t6 |= 0x6000000000000000ull;
  *carry = c;
  return t2 - t6;
}

// The exponent of a word from its two bytes, one table per byte: the high
// byte holds the sign (0x50 added when negative) with the thousands and
// hundreds digits of exponent + 1000, the low byte the tens and units. The
// adder needs both exponents before it can align, and two loads are quicker
// than the arithmetic of WordExp.
struct WordExpTable {
  i16 hi[256];
  u8 lo[256];
};
constexpr WordExpTable MakeWordExpTable() {
  WordExpTable t{};
  for (int v = 0; v < 256; ++v) {
    const int top = v >> 4;
    t.hi[v] = static_cast<i16>(((top >= 5 ? top - 5 : top) * 10 + (v & 0xF)) * 100 - 1000);
    t.lo[v] = static_cast<u8>((v >> 4) * 10 + (v & 0xF));
  }
  return t;
}
constexpr WordExpTable kWordExp = MakeWordExpTable();
inline int WordExpByTable(u16 w) { return kWordExp.hi[w >> 8] + kWordExp.lo[w & 0xFF]; }

// With maru set, the sum takes the cancellation rule of the '+' and '-'
// keys (a result that lost its leading digits is 0): only the paths whose
// result keeps its leading digit are taken here, where that rule cannot act;
// the others return false before a is touched and the full adder decides.
__attribute__((always_inline)) inline bool FastAddSub(BcdWork *a, const BcdWork *b, bool negateB, bool maru) {
  const u16 wa = WorkWord(a), wb = WorkWord(b);
  const u64 da = PlainDigits(a, wa), db = PlainDigits(b, wb);
  if (!da || !db) return false;
  const bool na = WordNeg(wa), nb = WordNeg(wb) != negateB;
  const int ea = WordExpByTable(wa), eb = WordExpByTable(wb);
  const bool aLarger = ea != eb ? ea > eb : da >= db;
  const u64 dl = aLarger ? da : db, ds = aLarger ? db : da;
  const int el = aLarger ? ea : eb, d = el - (aLarger ? eb : ea);
  const bool neg = aLarger ? na : nb;
  // The larger operand's word serves the result while the exponent stays.
  u16 wl = aLarger ? wa : wb;
  if (!aLarger && negateB) wl = WordNegated(wl);
  if (d >= 23) [[unlikely]] {
    SetWork(a, static_cast<u128>(dl) << 32, wl);
    return true;
  }
  // Sixteen digits and a little bookkeeping suffice: a sum cannot carry up
  // from below d16 (the larger operand has zeros there); a difference takes
  // a borrow when the smaller operand has digits at d17-d23 (digits beyond
  // d23 are dropped), and d17 of the difference comes up when it loses its
  // leading digit.
  const u64 l16 = dl << 4, sFull = ds << 4;
  const u64 s16 = d >= 16 ? 0 : sFull >> (4 * d);
  int e = el;
  bool carry;
  u64 m;
  // The rounding five goes in at d16 with the digits (d16 of the larger
  // operand is 0, so that digit stays below 16). When the result keeps its
  // leading digit, that one addition is the rounded result.
  if (na == nb) {
    m = BcdAdd64(l16, s16 + 5, 0, &carry);
    if (!carry) [[likely]] {
      SetWork(a, static_cast<u128>(m >> 4) << 32, wl);
      return true;
    }
    m = BcdAdd64(l16, s16, 0, &carry);
    if (carry) {
      m = 1ull << 60 | m >> 4;
      ++e;
    }
  } else {
    u64 lost = d == 0 ? 0 : d <= 16 ? sFull << (64 - 4 * d) : sFull >> (4 * (d - 16));
    lost &= 0xFFFFFFF000000000ull;  // d17-d23
    const bool borrow = lost != 0;
    const u64 ns16 = 0x9999999999999999ull - s16;
    // Below 1000000000000005 the unrounded difference has lost its leading
    // digit.
    m = BcdAdd64(l16, ns16 + 5, borrow ? 0 : 1, &carry);
    if (m >= 0x1000000000000005ull) [[likely]] {
      SetWork(a, static_cast<u128>(m >> 4) << 32, wl);
      return true;
    }
    if (maru) return false;
    m = BcdAdd64(l16, ns16, borrow ? 0 : 1, &carry);
    if (m == 0) {
      WorkZero(a);
      return true;
    }
    const int k = __builtin_clzll(m) / 4;
    if (k) {
      const u64 d17 = borrow ? ((lost << 4) != 0 ? 9 : 10) - (lost >> 60) : 0;
      m = m << (4 * k) | (k == 1 ? d17 : 0);
      e -= k;
      if (e < -999) {
        WorkZero(a);
        return true;
      }
    }
  }
  m = BcdAdd64(m & ~0xFull, (m & 0xF) >= 5 ? 0x10 : 0, 0, &carry);
  if (carry) {
    m = 1ull << 60;
    ++e;
  }
  if (e > 999) {
    SetWork(a, static_cast<u128>(BCD_NIB_INF) << 92, neg ? 0x6000 : 0x1000);
    return true;
  }
  SetWork(a, static_cast<u128>(m >> 4) << 32, MakeWord(e, neg));
  return true;
}

__attribute__((always_inline)) inline bool FastMul(BcdWork *a, const BcdWork *b) {
  const u16 wa = WorkWord(a), wb = WorkWord(b);
  const u64 da = PlainDigits(a, wa), db = PlainDigits(b, wb);
  if (!da || !db) return false;
  // Limbs of 7 and 8 digits: the product is hi 10^16 + mid 10^8 + lo.
  const u64 a1 = Bcd8ToBin(static_cast<u32>(da >> 32)), a0 = Bcd8ToBin(static_cast<u32>(da));
  const u64 b1 = Bcd8ToBin(static_cast<u32>(db >> 32)), b0 = Bcd8ToBin(static_cast<u32>(db));
  const u64 hi = a1 * b1, t = a1 * b0 + a0 * b1 + a0 * b0 / 100000000u;
  // The leading 16 digits: product / 10^14 when it has 30 digits, else / 10^13.
  u64 q = hi * 100 + t / 1000000u;
  const bool carry = q >= 1000000000000000ull;
  if (!carry) q = hi * 1000 + t / 100000u;
  const int e = WordExp(wa) + WordExp(wb);
  if (e < -1000) {
    WorkZero(a);
    return true;
  }
  StoreRounded16(a, q, e + carry, WordNeg(wa) != WordNeg(wb));
  return true;
}

__attribute__((always_inline)) inline bool FastDiv(BcdWork *a, const BcdWork *b) {
  const u16 wa = WorkWord(a), wb = WorkWord(b);
  const u64 da = PlainDigits(a, wa), db = PlainDigits(b, wb);
  if (!da || !db) return false;
  u64 A = Bcd16ToBin(da);
  const u64 B = Bcd16ToBin(db);
  int e = WordExp(wa) - WordExp(wb);
  if (A < B) {
    A *= 10;
    --e;
  }
  StoreRounded16(a, Div128By64(static_cast<u128>(A) * kPow10[15], B, nullptr), e, WordNeg(wa) != WordNeg(wb));
  return true;
}

__attribute__((always_inline)) inline bool FastSqrt(BcdWork *a) {
  const u16 w = WorkWord(a);
  const u64 d = PlainDigits(a, w);
  if (!d || WordNeg(w)) return false;
  // The 15 digits as an integer A scaled to n = A 10^14 (A 10^15 for an odd
  // exponent), whose root has 15 digits before the point.
  const u64 A = Bcd16ToBin(d);
  const int e = WordExp(w);
  const bool odd = (e & 1) != 0;
  const u64 n = A * kPow10[odd ? 15 : 14];  // modulo 2^64: enough for remainders
  // The floating root is within 0.2 of the exact one, so adding one half and
  // truncating rounds it half up, unless the exact root lies that close to
  // a half. The remainder n - s^2 (below 2^52 in magnitude) tells: s is the
  // rounded root exactly when (s - 1/2)^2 <= n < (s + 1/2)^2, that is when
  // 1 - s <= n - s^2 <= s, and otherwise it is one off. The check is a
  // branch, rarely taken, so that the digits need not wait for it.
  u64 s = static_cast<u64>(static_cast<i64>(std::sqrt(static_cast<double>(A) * (odd ? 1e15 : 1e14)) + 0.5));
  const u64 r = n - s * s;
  if (r + s - 1 > 2 * s - 1) [[unlikely]]  // outside 1 - s .. s
    s = static_cast<i64>(r) > 0 ? s + 1 : s - 1;
  StoreBin15(a, s, s / 100000000u, e >= 0 ? e / 2 : -((-e + 1) / 2), false);
  return true;
}

}  // namespace

i16 BcdAdd(BcdWork *a, const BcdWork *b) {
  if (FastAddSub(a, b, false, false)) return 0;
  return RunBinary(a, b, AddRoutine);
}
i16 BcdSub(BcdWork *a, const BcdWork *b) {
  if (FastAddSub(a, b, true, false)) return 0;
  return RunBinary(a, b, ShExtSub);
}
i16 BcdMul(BcdWork *a, const BcdWork *b) {
  if (FastMul(a, b)) return 0;
  return RunBinary(a, b, MulRoutine);
}
i16 BcdDiv(BcdWork *a, const BcdWork *b) {
  if (FastDiv(a, b)) return 0;
  return RunBinary(a, b, DivRoutine);
}
i16 BcdAddMaru(BcdWork *a, const BcdWork *b) {
  if (FastAddSub(a, b, false, true)) return 0;
  return RunBinary(a, b, AddMaruRoutine);
}
i16 BcdSubMaru(BcdWork *a, const BcdWork *b) {
  if (FastAddSub(a, b, true, true)) return 0;
  return RunBinary(a, b, ShExtSubMaru);
}

i16 BcdSquare(BcdWork *a) {
  const BcdWork b = *a;
  return BcdMul(a, &b);
}

i16 BcdPow(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  if (IsZero(a)) {
    if (IsZero(b) || IsNeg(b)) return Fail(a, kErrMa);
    return 0;
  }
  if (IsZero(b)) {
    BcdOne(a);
    return 0;
  }
  if (IsNeg(a) && BcdIsNonInteger(b)) return Fail(a, kErrDomain);
  BcdExt ea, eb;
  ShExtWiden(a, &ea);
  ShExtWiden(b, &eb);
  ShExtPow(&ea, &eb);
  return Finish(&ea, a, true);
}

// ---------------------------------------------------------------- relations

namespace {

// Equality code (bit 1 equal) and order code (2 less, 4 greater) of a and b.
void RelationCodes(const BcdWork *a, const BcdWork *b, u16 *eq, u16 *order) {
  BcdWork d = *a;
  if (BcdSubMaru(&d, b) != 0) {
    BcdWork c = *a;
    *eq = BcdSameCode(&c, b);
    c = *a;
    *order = BcdCompare(&c, b);
    return;
  }
  *eq = BcdZeroCode(&d);
  *order = BcdSign(&d);
}

i16 Relation(BcdWork *a, const BcdWork *b, bool useEq, u16 mask) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  u16 eq, order;
  RelationCodes(a, b, &eq, &order);
  const u16 c = useEq ? eq : order;
  if (c & mask)
    BcdOne(a);
  else
    BcdZero(a);
  return 0;
}

}  // namespace

i16 BcdRelEq(BcdWork *a, const BcdWork *b) { return Relation(a, b, true, 1); }
i16 BcdRelNe(BcdWork *a, const BcdWork *b) { return Relation(a, b, true, 6); }
i16 BcdRelLt(BcdWork *a, const BcdWork *b) { return Relation(a, b, false, 2); }
i16 BcdRelGt(BcdWork *a, const BcdWork *b) { return Relation(a, b, false, 4); }
i16 BcdRelLe(BcdWork *a, const BcdWork *b) { return Relation(a, b, false, 1 | 2); }
i16 BcdRelGe(BcdWork *a, const BcdWork *b) { return Relation(a, b, false, 1 | 4); }

// ---------------------------------------------------------------- roots, logarithms, powers

i16 BcdSqrt(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsNeg(a)) return Fail(a, kErrDomainNeg);
  if (FastSqrt(a)) return 0;
  return RunUnary(a, ShExtSqrt, true);
}

i16 BcdExp(BcdWork *a) { return Screened(a, ShExtExp, true); }

i16 BcdExp10(BcdWork *a) { return Screened(a, ShExtExp10, true); }

i16 BcdExp10s(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsZero(a)) return 0;
  return RunUnary(a, ShExtExp10s, true);
}

static i16 Logarithm(BcdWork *a, Unary routine) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsNeg(a)) return Fail(a, kErrDomainNeg);
  if (IsZero(a)) return Fail(a, kErrMa);
  return RunUnary(a, routine, true);
}

i16 BcdLn(BcdWork *a) { return Logarithm(a, ShExtLn); }
i16 BcdLog10(BcdWork *a) { return Logarithm(a, ShExtLog10); }

static i16 LogOnePlus(BcdWork *a, Unary routine) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdWork minusOne;
  Const(&minusOne, 0x0100000000000000ull, 0x6000);
  if (ShWorkCompare(a, &minusOne) == BCD_CMP_LESS) return Fail(a, kErrDomainNeg);
  return RunUnary(a, routine, true);
}

i16 BcdLogs(BcdWork *a) { return LogOnePlus(a, ShExtLogs); }
i16 BcdLog10s(BcdWork *a) { return LogOnePlus(a, ShExtLog10s); }

// ---------------------------------------------------------------- trigonometry

namespace {

using Trig = void (*)(BcdExt *, u16);

i16 Forward(BcdWork *a, u16 unit, Trig routine) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (unit > 2) return Fail(a, kErrArgument);
  BcdWork limit;
  if (unit == 0)
    BcdTrigLimitDeg(&limit);
  else if (unit == 1)
    BcdTrigLimitRad(&limit);
  else
    BcdTrigLimitGra(&limit);
  if (AbsCompare(a, &limit) != BCD_CMP_LESS) return Fail(a, kErrDomain);
  BcdExt t;
  ShExtWiden(a, &t);
  routine(&t, unit);  // rounds to 15 digits itself
  return Finish(&t, a, false);
}

// Grads to the unit on the extended form (unit 1 radians, 0 degrees, others
// grads).
void GradsToUnit(BcdExt *t, u16 unit) {
  BcdExt f;
  if (unit == 1)
    ShExtMul(t, BcdExtPiOver200(&f));
  else if (unit == 0)
    ShExtMul(t, BcdExtNineTenths(&f));
}

i16 Inverse(BcdWork *a, u16 unit, Unary routine, bool rangeTest) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdWork one;
  if (rangeTest && AbsCompare(a, BcdOne(&one)) == BCD_CMP_GREATER) return Fail(a, kErrDomainNeg);
  BcdExt t;
  ShExtWiden(a, &t);
  routine(&t);
  GradsToUnit(&t, unit);
  return Finish(&t, a, true);
}

}  // namespace

i16 BcdSin(BcdWork *a, u16 unit) { return Forward(a, unit, ShExtSinRounded); }
i16 BcdCos(BcdWork *a, u16 unit) { return Forward(a, unit, ShExtCosRounded); }
i16 BcdTan(BcdWork *a, u16 unit) { return Forward(a, unit, ShExtTanRounded); }
i16 BcdAsin(BcdWork *a, u16 unit) { return Inverse(a, unit, ShExtAsin, true); }
i16 BcdAcos(BcdWork *a, u16 unit) { return Inverse(a, unit, ShExtAcos, true); }
i16 BcdAtan(BcdWork *a, u16 unit) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdExt t;
  ShExtWiden(a, &t);
  ShExtAtanRounded(&t, unit);  // in the unit and rounded to 15 digits
  return Finish(&t, a, false);
}

i16 BcdExtAtanUnit(BcdExt *a, u16 unit) {
  if (IsError(a)) return static_cast<i16>(ExtWord(a));
  ShExtAtan(a);
  GradsToUnit(a, unit);
  return static_cast<i16>(ShExtErrorCode(a));
}

i16 BcdAtan2(BcdWork *x, const BcdWork *y, u16 unit) {
  i16 code;
  if (ScreenErrors(x, y, &code)) return code;
  if (IsZero(x) && IsZero(y)) return Fail(x, kErrMa);
  BcdWork half;
  if (unit == 0)
    Bcd180(&half);
  else if (unit == 1)
    BcdPi(&half);
  else
    Const(&half, 0x0200000000000000ull, 0x1002);
  if (IsZero(y)) {
    if (IsNeg(x))
      *x = half;
    else
      BcdZero(x);
    return 0;
  }
  if (IsZero(x)) {
    BcdWork two;
    BcdFromSmallInt(2, &two);
    BcdDiv(&half, &two);
    if (IsNeg(y)) BcdNeg(&half);
    *x = half;
    return 0;
  }
  BcdExt r, ex;
  ShExtWiden(y, &r);
  ShExtWiden(x, &ex);
  ShExtDiv(&r, &ex);
  BcdExtAtanUnit(&r, unit);
  ShExtRound(&r);
  const bool xNeg = IsNeg(x);
  ShExtNarrow(&r, x);
  if (xNeg) {
    if (IsNeg(y)) BcdNeg(&half);
    BcdAdd(x, &half);
  }
  return static_cast<i16>(ShWorkErrorCode(x));
}

// ---------------------------------------------------------------- hyperbolic

namespace {

// The small-argument bound 10^-7 splits the hyperbolic routines.
bool AboveSmallArg(const BcdWork *a) {
  BcdWork s;
  return AbsCompare(a, BcdSmallArg(&s)) == BCD_CMP_GREATER;
}

i16 Split(BcdWork *a, Unary main, Unary small) {
  if (IsError(a)) return static_cast<i16>(WorkWord(a));
  return RunUnary(a, AboveSmallArg(a) ? main : small, true);
}

}  // namespace

i16 BcdSinh(BcdWork *a) { return Split(a, ShExtSinhA, ShExtSinhB); }

i16 BcdCosh(BcdWork *a) { return Screened(a, ShExtCosh, true); }

i16 BcdTanh(BcdWork *a) { return Split(a, ShExtTanhA, ShExtTanhB); }

i16 BcdAsinh(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdWork huge;
  if (AbsCompare(a, BcdHugeArg(&huge)) != BCD_CMP_LESS) return Fail(a, kErrDomain);
  return Split(a, ShExtAsinhA, ShExtAsinhB);
}

i16 BcdAcosh(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdWork c;
  if (ShWorkCompare(a, BcdHugeArg(&c)) != BCD_CMP_LESS) return Fail(a, kErrDomain);
  if (ShWorkCompare(a, BcdOne(&c)) == BCD_CMP_LESS) return Fail(a, kErrDomainNeg);
  return RunUnary(a, ShExtAcosh, true);
}

i16 BcdAtanh(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdWork one;
  const u16 c = AbsCompare(a, BcdOne(&one));
  if (c == BCD_CMP_GREATER) return Fail(a, kErrDomainNeg);
  if (c == BCD_CMP_EQUAL) return Fail(a, kErrMa);
  return Split(a, ShExtAtanhA, ShExtAtanhB);
}

// ---------------------------------------------------------------- signs and parts

i16 BcdAbs(BcdWork *a) { return ScreenedWord(a, ShExpAbs); }

i16 BcdNeg(BcdWork *a) { return ScreenedWord(a, ShExpNegate); }

i16 BcdSignum(BcdWork *a) { return ScreenedInPlace(a, ShWorkSignum); }

i16 BcdIntg(BcdWork *a) { return Screened(a, ShExtIntg, false); }

i16 BcdInt(BcdWork *a) { return Screened(a, ShExtInt, false); }

i16 BcdFrac(BcdWork *a) { return Screened(a, ShExtFrac, false); }

i16 BcdCint(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsZero(a)) return 0;
  return RunUnary(a, ShExtCint, false);
}

i16 BcdNormalize(BcdWork *a) { return ScreenedInPlace(a, ShWorkNormalize); }

// ---------------------------------------------------------------- permutations

namespace {

// The screening shared by nPr and nCr; returns 0 when the routine may run.
i16 CountScreen(BcdWork *a, const BcdWork *b) {
  BcdWork ten10;
  BcdTen10(&ten10);
  if (ShWorkCompare(a, &ten10) != BCD_CMP_LESS || BcdIsNonInteger(a) || IsNeg(a) ||
      BcdIsNonInteger(b) || IsNeg(b) || ShWorkCompare(a, b) == BCD_CMP_LESS)
    return Fail(a, kErrDomain);
  return 0;
}

}  // namespace

i16 BcdNpr(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  if ((code = CountScreen(a, b)) != 0) return code;
  if (IsZero(b)) {
    BcdOne(a);
    return 0;
  }
  BcdExt ea, eb;
  ShExtWiden(a, &ea);
  ShExtWiden(b, &eb);
  ShExtPermutations(&ea, &eb);
  return Finish(&ea, a, true);
}

i16 BcdNcr(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  if ((code = CountScreen(a, b)) != 0) return code;
  if (IsZero(b) || ShWorkCompare(a, b) == BCD_CMP_EQUAL) {
    BcdOne(a);
    return 0;
  }
  BcdWork rest = *a;
  BcdSub(&rest, b);
  const BcdWork *r = ShWorkCompare(&rest, b) == BCD_CMP_LESS ? &rest : b;
  BcdExt ea, er;
  ShExtWiden(a, &ea);
  ShExtWiden(r, &er);
  ShExtCombinations(&ea, &er);
  return Finish(&ea, a, true);
}

i16 BcdFactorial(BcdWork *a) {
  const BcdWork b = *a;
  return BcdNpr(a, &b);
}

// ---------------------------------------------------------------- angle units

namespace {

// a := a x (num / den) on the extended form, rounded.
i16 Convert(BcdWork *a, const BcdExt *num, const BcdExt *den) {
  BcdExt t, f = *num;
  ShExtDiv(&f, den);
  ShExtWiden(a, &t);
  ShExtMul(&t, &f);
  return Finish(&t, a, true);
}

i16 ConvertBy(BcdWork *a, const BcdExt *factor) {
  BcdExt t;
  ShExtWiden(a, &t);
  ShExtMul(&t, factor);
  return Finish(&t, a, true);
}

}  // namespace

i16 BcdFromDegrees(BcdWork *a, u16 unit) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdExt n, d;
  switch (unit) {
    case 0: return 0;
    case 1: return Convert(a, BcdExtPi(&n), BcdExt180(&d));
    case 2:
      BcdExtFromSmallInt(10, &n);
      BcdExtFromSmallInt(9, &d);
      return Convert(a, &n, &d);
    default: return Fail(a, kErrArgument);
  }
}

i16 BcdFromRadians(BcdWork *a, u16 unit) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdExt n, d;
  switch (unit) {
    case 1: return 0;
    case 0: return Convert(a, BcdExt180(&n), BcdExtPi(&d));
    case 2: return ConvertBy(a, BcdExt200OverPi(&n));
    default: return Fail(a, kErrArgument);
  }
}

i16 BcdFromGrads(BcdWork *a, u16 unit) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  BcdExt f;
  switch (unit) {
    case 2: return 0;
    case 0: return ConvertBy(a, BcdExtNineTenths(&f));
    case 1: return ConvertBy(a, BcdExtPiOver200(&f));
    default: return Fail(a, kErrArgument);
  }
}

// ---------------------------------------------------------------- logic

i16 BcdLogicAnd(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  if (!IsZero(a) && !IsZero(b))
    BcdOne(a);
  else
    BcdZero(a);
  return 0;
}

i16 BcdLogicOr(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  if (!IsZero(a) || !IsZero(b))
    BcdOne(a);
  else
    BcdZero(a);
  return 0;
}

i16 BcdLogicNot(BcdWork *a) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsZero(a))
    BcdOne(a);
  else
    BcdZero(a);
  return 0;
}

// ---------------------------------------------------------------- remainder

i16 BcdMod(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return code;
  if (IsZero(b)) return Fail(a, kErrMa);
  if (IsZero(a)) return 0;
  if (BcdIsNonInteger(a) || BcdIsNonInteger(b)) return Fail(a, kErrMa);
  BcdWork big;
  Const(&big, 0x0100000000000000ull, 0x1023);
  if (AbsCompare(a, &big) != BCD_CMP_LESS || AbsCompare(b, &big) != BCD_CMP_LESS)
    return Fail(a, kErrMa);
  BcdExt q, eb, ea;
  ShExtWiden(a, &q);
  ShExtWiden(a, &ea);
  ShExtWiden(b, &eb);
  ShExtDiv(&q, &eb);
  if (ExtKindNib(&q) != BCD_NIB_NUMBER) return Finish(&q, a, false);
  ShExtInt(&q);
  ShExtMul(&q, &eb);
  ShExtSub(&ea, &q);
  return Finish(&ea, a, true);
}

// ---------------------------------------------------------------- direct operations

i16 BcdFromSmallInt(u16 n, BcdWork *out) {
  BcdExt t;
  const u16 code = BcdExtFromSmallInt(n, &t);
  if (code) return Fail(out, code);
  ShExtNarrow(&t, out);
  return 0;
}

u16 BcdCompare(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return BCD_CMP_ERROR;
  return ShWorkCompare(a, b);
}

u16 BcdSign(const BcdWork *a) { return IsError(a) ? static_cast<u16>(BCD_CMP_ERROR) : ShWorkSign(a); }

u16 BcdZeroCode(const BcdWork *a) {
  if (IsError(a)) return BCD_CMP_ERROR;
  return IsZero(a) ? 1 : 6;
}

u16 BcdSameCode(BcdWork *a, const BcdWork *b) {
  i16 code;
  if (ScreenErrors(a, b, &code)) return BCD_CMP_ERROR;
  return ShWorkEqual(a, b);
}

u16 BcdIsNonInteger(const BcdWork *a) {
  if (WorkKindNib(a) != BCD_NIB_NUMBER || IsZero(a)) return 0;
  BcdExt t;
  ShExtWiden(a, &t);
  ShExtFrac(&t);
  return ExtIsZero(&t) ? 0 : 1;
}

u16 BcdWordIsNegative(u16 word) { return word > 0x4FFF ? 1 : 0; }

u16 BcdComplexKind(const BcdWork pair[2]) {
  if (IsError(&pair[0]) || IsError(&pair[1])) return 240;
  return WorkKindNib(&pair[1]) == BCD_NIB_NUMBER && IsZero(&pair[1]) ? 1 : 2;
}

u16 BcdErrorCode(const BcdWork *a) { return ShWorkErrorCode(a); }

i16 BcdExponent(const BcdWork *a) {
  if (IsError(a)) return 5000;
  const u16 w = WorkWord(a);
  return ShExpDecimal(&w);
}

i16 BcdScale10(BcdWork *a, i16 n) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsZero(a)) return 0;
  if (n >= 1999) return Fail(a, kErrMa);
  if (n < -1998) {
    BcdZero(a);
    return 0;
  }
  return static_cast<i16>(ShWorkScale10(a, n));
}

static i16 RoundAtDigit(BcdWork *a, u16 n, void (*routine)(BcdExt *, u16)) {
  i16 code;
  if (ScreenErrors(a, nullptr, &code)) return code;
  if (IsZero(a)) return 0;
  if (n < 1 || n > 15) return Fail(a, kErrDomain);
  BcdExt t;
  ShExtWiden(a, &t);
  routine(&t, n);
  return Finish(&t, a, false);
}

i16 BcdRoundDigits(BcdWork *a, u16 n) { return RoundAtDigit(a, n, ShExtRoundDigits); }
i16 BcdRoundUpDigits(BcdWork *a, u16 n) { return RoundAtDigit(a, n, ShExtRoundUpDigits); }

i16 BcdFromInt16(i16 n, BcdWork *out) {
  ShFromInt16(n, out);
  return 0;
}

i16 BcdFromInt32(i32 n, BcdWork *out) {
  ShFromInt32(n, out);
  return 0;
}

// 0 when x is a number within [min, max], else its error code or 16.
static i16 IntRange(const BcdWork *x, BcdWork *(*max)(BcdWork *), BcdWork *(*min)(BcdWork *)) {
  if (IsError(x)) return static_cast<i16>(WorkWord(x));
  BcdWork lo, hi;
  if (ShWorkCompare(x, max(&hi)) == BCD_CMP_GREATER || ShWorkCompare(x, min(&lo)) == BCD_CMP_LESS)
    return kErrDomain;
  return 0;
}

i16 BcdToInt16(const BcdWork *x, i16 *out) {
  const i16 code = IntRange(x, BcdInt16Max, BcdInt16Min);
  if (code == 0) ShToInt16(x, out);
  return code;
}

i16 BcdToInt32(const BcdWork *x, i32 *out) {
  const i16 code = IntRange(x, BcdInt32Max, BcdInt32Min);
  if (code == 0) ShToInt32(x, out);
  return code;
}

// ---------------------------------------------------------------- extended operations

namespace {

bool ScreenExt(BcdExt *a, const BcdExt *b, i16 *code) { return ScreenFormErrors(a, b, code); }

i16 ExtBinary(BcdExt *a, const BcdExt *b, Binary routine) {
  i16 code;
  if (ScreenExt(a, b, &code)) return code;
  BcdExt eb = *b;
  routine(a, &eb);
  return static_cast<i16>(ShExtErrorCode(a));
}

}  // namespace

i16 BcdExtAdd(BcdExt *a, const BcdExt *b) { return ExtBinary(a, b, AddRoutine); }
i16 BcdExtSub(BcdExt *a, const BcdExt *b) { return ExtBinary(a, b, ShExtSub); }
i16 BcdExtAddMaru(BcdExt *a, const BcdExt *b) { return ExtBinary(a, b, AddMaruRoutine); }
i16 BcdExtSubMaru(BcdExt *a, const BcdExt *b) { return ExtBinary(a, b, ShExtSubMaru); }
i16 BcdExtMul(BcdExt *a, const BcdExt *b) { return ExtBinary(a, b, MulRoutine); }
i16 BcdExtDiv(BcdExt *a, const BcdExt *b) { return ExtBinary(a, b, DivRoutine); }

i16 BcdExtSquare(BcdExt *a) {
  const BcdExt b = *a;
  return BcdExtMul(a, &b);
}

i16 BcdExtSqrt(BcdExt *a) {
  i16 code;
  if (ScreenExt(a, nullptr, &code)) return code;
  if (WordNeg(ExtWord(a)) && !ExtIsZero(a)) return static_cast<i16>(BcdExtMakeError(kErrDomainNeg, a));
  ShExtSqrt(a);
  return static_cast<i16>(ShExtErrorCode(a));
}

i16 BcdExtScale10(BcdExt *a, i16 n) {
  i16 code;
  if (ScreenExt(a, nullptr, &code)) return code;
  if (ExtIsZero(a)) return 0;
  if (n >= 1999) return static_cast<i16>(BcdExtMakeError(kErrMa, a));
  if (n < -1998) {
    ExtZero(a);
    return 0;
  }
  return static_cast<i16>(ShExtScale10(a, n));
}
