// The digit routines on the extended and working forms: register arithmetic
// digit for digit, rounding, clean-up, integer parts, comparisons, scaling
// and integer conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "number/digits/dd.h"
#include "number/digits/digits.h"
#include "number/digits/reg.h"
#include "tests/number/work_text.h"

using numtest::ExtFromText;
using numtest::ExtToText;
using numtest::WorkFromText;
using numtest::WorkToText;

namespace {

using ExtBinary = void (*)(BcdExt *, BcdExt *);
void Add(BcdExt *a, BcdExt *b) { ShExtAdd(a, b); }
void AddMaru(BcdExt *a, BcdExt *b) { ShExtAddMaru(a, b); }
void Mul(BcdExt *a, BcdExt *b) { ShExtMul(a, b); }
void Div(BcdExt *a, BcdExt *b) { ShExtDiv(a, b); }

struct BinaryCase {
  const char *name;
  ExtBinary op;
  const char *a, *b;
  const char *raw;      // the 23-digit register after the routine
  const char *rounded;  // after ShExtRound
};

TEST(ShExtArithmetic, RegisterAndRounding) {
  const BinaryCase cases[] = {
      {"2/3", Div, "2", "3", "6.6666666666666666666666e-1", "6.66666666666667e-1"},
      {"0.333333333333333 x 3", Mul, "0.333333333333333", "3", "9.99999999999999e-1", "9.99999999999999e-1"},
      {"1 - 0.99999999999999", ShExtSub, "1", "0.99999999999999", "1e-14", "1e-14"},
      {"1 - 0.99999999999999 cancels", ShExtSubMaru, "1", "0.99999999999999", "0", "0"},
      {"1 - 0.9999999999999 cancels", ShExtSubMaru, "1", "0.9999999999999", "0", "0"},
      {"1 - 0.999999999999 keeps", ShExtSubMaru, "1", "0.999999999999", "1e-12", "1e-12"},
      {"1 + 2 under the rule", AddMaru, "1", "2", "3", "3"},
      {"1 + 1e-22", Add, "1", "1e-22", "1.0000000000000000000001", "1"},
      {"1 + 1e-23", Add, "1", "1e-23", "1", "1"},
      {"1 + 5e-15", Add, "1", "5e-15", "1.000000000000005", "1.00000000000001"},
      {"1 + 4.99999e-15", Add, "1", "4.99999e-15", "1.00000000000000499999", "1"},
      {"-1 - 5e-15", ShExtSub, "-1", "5e-15", "-1.000000000000005", "-1.00000000000001"},
      {"9.99999999999999 + 5e-15", Add, "9.99999999999999", "5e-15", "9.999999999999995", "1e1"},
      {"1 - 5.00000000000001e-16 (no sticky digit)", ShExtSub, "1", "5.00000000000001e-16",
       "9.999999999999995e-1", "1"},
      {"max x 10", Mul, "9.99999999999999e999", "10", "inf", "inf"},
      {"-max x 10", Mul, "-9.99999999999999e999", "10", "-inf", "-inf"},
      {"1e-999 / 10", Div, "1e-999", "10", "0", "0"},
      {"quotient overflow", Div, "9e999", "1e-5", "inf", "inf"},
      {"negative quotient overflow", Div, "-9e999", "3e-5", "-inf", "-inf"},
      {"1 / 0", Div, "1", "0", "undef", "undef"},
      {"-6 / 3", Div, "-6", "3", "-2", "-2"},
      {"-2 x -3", Mul, "-2", "-3", "6", "6"},
      {"1e-500 x 1e-500", Mul, "1e-500", "1e-500", "0", "0"},
      {"5e-500 x 2e-500", Mul, "5e-500", "2e-500", "1e-999", "1e-999"},
      {"0 + 7", Add, "0", "7", "7", "7"},
      {"7 + 0", Add, "7", "0", "7", "7"},
      {"0 x 7", Mul, "0", "7", "0", "0"},
      {"0 / 7", Div, "0", "7", "0", "0"},
      {"exponent gap of 23", Add, "-1e23", "9", "-1e23", "-1e23"},
      {"exponent gap of 22", Add, "1e22", "9", "1.0000000000000000000009e22", "1e22"},
      {"smaller first", ShExtSub, "3", "5", "-2", "-2"},
      {"23-digit product", Mul, "1.2345678901234567890123", "9.8765432109876543210987",
       "1.2193263113702179522617e1", "1.21932631137022e1"},
      {"23-digit quotient", Div, "1.2345678901234567890123", "9.8765432109876543210987",
       "1.2499999886093750001423e-1", "1.24999998860938e-1"},
  };
  for (const BinaryCase &c : cases) {
    BcdExt a = ExtFromText(c.a), b = ExtFromText(c.b);
    c.op(&a, &b);
    EXPECT_EQ(ExtToText(a), c.raw) << c.name;
    ShExtRound(&a);
    EXPECT_EQ(ExtToText(a), c.rounded) << c.name;
  }
}

TEST(ShExtArithmetic, SubtractFlipsTheSecondOperandInPlace) {
  BcdExt a = ExtFromText("5"), b = ExtFromText("2");
  ShExtSub(&a, &b);
  EXPECT_EQ(ExtToText(a), "3");
  EXPECT_EQ(ExtToText(b), "-2");
}

TEST(ShExtArithmetic, SpecialKindsPassOn) {
  BcdExt inf;
  BcdExt one = ExtFromText("1");
  BcdExt big = ExtFromText("9e999"), ten = ExtFromText("10");
  ShExtMul(&big, &ten);
  inf = big;
  ASSERT_EQ(ExtToText(inf), "inf");
  BcdExt a = inf;
  ShExtAdd(&a, &one);  // a special first operand stays
  EXPECT_EQ(ExtToText(a), "inf");
  a = ExtFromText("0");
  ShExtAdd(&a, &inf);  // 0 + infinity gives infinity
  EXPECT_EQ(ExtToText(a), "inf");
  a = one;
  ShExtMul(&a, &inf);
  EXPECT_EQ(ExtToText(a), "inf");
  a = one;
  BcdExt zero = ExtFromText("0");
  ShExtDiv(&a, &zero);
  ShExtDiv(&a, &one);
  EXPECT_EQ(ExtToText(a), "undef");
  ShExtRound(&a);
  EXPECT_EQ(ExtToText(a), "undef");
}

TEST(ShExtRounding, DigitsAndNormalize) {
  struct Case {
    const char *x;
    u16 n;
    bool up;
    const char *out;
  } cases[] = {
      {"7.25", 3, false, "7.3"}, {"7.25", 1, false, "1e1"}, {"3.2", 1, false, "0"},
      {"3.21", 3, true, "3.3"},  {"3.2", 3, true, "3.2"},   {"-7.25", 3, false, "-7.3"},
      {"9.96", 3, false, "1e1"}, {"0.691462461", 6, false, "6.9146e-1"},
  };
  for (const Case &c : cases) {
    BcdExt x = ExtFromText(c.x);
    if (c.up)
      ShExtRoundUpDigits(&x, c.n);
    else
      ShExtRoundDigits(&x, c.n);
    EXPECT_EQ(ExtToText(x), c.out) << c.x << " n=" << c.n;
  }
  struct Norm {
    const char *x, *out;
  } norms[] = {
      {"1.99999999999991", "2"},  {"1.99999999999999", "2"},  {"2.00000000000009", "2"},
      {"2.0000000000001", "2.0000000000001"}, {"9.99999999999995", "1e1"},
      {"1.99999999999990", "1.9999999999999"}, {"-3.00000000000005", "-3"},
      {"1.2345678901", "1.2345678901"},
  };
  for (const Norm &c : norms) {
    BcdWork w = WorkFromText(c.x);
    ShWorkNormalize(&w);
    EXPECT_EQ(WorkToText(w), c.out) << c.x;
  }
}

TEST(ShExtIntegerParts, IntFracIntgCint) {
  struct Case {
    void (*op)(BcdExt *);
    const char *x, *out;
  } cases[] = {
      {ShExtCint, "2.5", "3"},       {ShExtCint, "-2.5", "-3"},   {ShExtCint, "2.4999", "2"},
      {ShExtCint, "0.4", "0"},       {ShExtInt, "-2.7", "-2"},    {ShExtFrac, "-2.7", "-7e-1"},
      {ShExtIntg, "-2.7", "-3"},     {ShExtIntg, "2.7", "2"},     {ShExtIntg, "-0.5", "-1"},
      {ShExtIntg, "-3", "-3"},       {ShExtIntg, "-9.5", "-1e1"}, {ShExtInt, "0.9", "0"},
      {ShExtFrac, "0.9", "9e-1"},    {ShExtFrac, "12", "0"},      {ShExtInt, "1.5e30", "1.5e30"},
      {ShExtFrac, "123.456", "4.56e-1"},
  };
  for (const Case &c : cases) {
    BcdExt x = ExtFromText(c.x);
    c.op(&x);
    EXPECT_EQ(ExtToText(x), c.out) << c.x;
  }
}

TEST(ShWorkComparisons, CodesAndEquality) {
  struct Case {
    const char *a, *b;
    u16 code;
  } cases[] = {
      {"0", "-1", 4}, {"-2", "-1", 2}, {"-0.5", "0.5", 2}, {"0", "0", 1},
      {"1", "0.99999999999999", 4}, {"1e5", "9e4", 4}, {"-1e5", "-9e4", 2}, {"3", "3", 1},
  };
  for (const Case &c : cases) {
    const BcdWork a = WorkFromText(c.a), b = WorkFromText(c.b);
    EXPECT_EQ(ShWorkCompare(&a, &b), c.code) << c.a << " vs " << c.b;
  }
  const BcdWork x = WorkFromText("1.5"), y = WorkFromText("1.5"), z = WorkFromText("-1.5");
  EXPECT_EQ(ShWorkEqual(&x, &y), 1);
  EXPECT_EQ(ShWorkEqual(&x, &z), 6);
  EXPECT_EQ(ShWorkSign(&z), 2);
  EXPECT_EQ(ShWorkSign(&x), 4);
  const BcdWork zero = WorkFromText("0");
  EXPECT_EQ(ShWorkSign(&zero), 1);
  EXPECT_EQ(ShWorkIsZero(&zero), 1);
  EXPECT_EQ(ShWorkIsZero(&x), 6);
  EXPECT_EQ(ShWorkIsPlainZero(&zero), 1);
  EXPECT_EQ(ShWorkIsPlainZero(&x), 2);
}

TEST(ShWorkExponents, ExponentValueAndScale) {
  struct Exp {
    const char *x, *out;
  } exps[] = {{"2.5e12", "1.2e1"}, {"-4.2e-120", "-1.2e2"}, {"7", "0"}, {"9e999", "9.99e2"}};
  for (const Exp &c : exps) {
    BcdWork w = WorkFromText(c.x);
    ShWorkExponentValue(&w);
    EXPECT_EQ(WorkToText(w), c.out) << c.x;
  }
  struct Scale {
    const char *x;
    i16 n;
    const char *out;
  } scales[] = {
      {"1.5", 3, "1.5e3"}, {"1e-5", -994, "1e-999"}, {"1e-5", -995, "0"},
      {"9e999", 1, "inf"}, {"-9e999", 1, "-inf"},    {"-2", -3, "-2e-3"},
  };
  for (const Scale &c : scales) {
    BcdWork w = WorkFromText(c.x);
    EXPECT_EQ(ShWorkScale10(&w, c.n), 0);
    EXPECT_EQ(WorkToText(w), c.out) << c.x << " n=" << c.n;
  }
  const u16 w = 0x6120;
  EXPECT_EQ(ShExpDecimal(&w), 120);
  u16 word = 0x1003;
  ShExpNegate(&word);
  EXPECT_EQ(word, 0x6003);
  ShExpAbs(&word);
  EXPECT_EQ(word, 0x1003);
  word = 0;
  ShExpNegate(&word);
  EXPECT_EQ(word, 0);
}

TEST(ShIntegers, ExactConversions) {
  for (i16 n : {i16(-32768), i16(1234), i16(0), i16(32767), i16(-1)}) {
    BcdWork w;
    ShFromInt16(n, &w);
    i16 back = 99;
    ShToInt16(&w, &back);
    EXPECT_EQ(back, n);
  }
  for (i32 n : {i32(-2147483647 - 1), i32(2147483647), i32(0), i32(-7), i32(1000000000)}) {
    BcdWork w;
    ShFromInt32(n, &w);
    i32 back = 99;
    ShToInt32(&w, &back);
    EXPECT_EQ(back, n);
  }
  BcdWork w;
  ShFromInt32(-2147483647 - 1, &w);
  EXPECT_EQ(WorkToText(w), "-2.147483648e9");
  EXPECT_EQ(ShSmallToBcd(12345), 0x12345u);
  EXPECT_EQ(ShSmallFromBcd(0x99999), 99999u);
  BcdWork s = WorkFromText("-0.25");
  ShWorkSignum(&s);
  EXPECT_EQ(WorkToText(s), "-1");
}

TEST(ShKinds, KindAndErrorCodes) {
  BcdWork e{};
  e.b[0] = 0xF0;
  BcdSetWord(&e, 16);
  EXPECT_EQ(ShWorkKind(&e), 240);
  EXPECT_EQ(ShWorkErrorCode(&e), 16);
  const BcdWork n = WorkFromText("5");
  EXPECT_EQ(ShWorkKind(&n), 4);
  EXPECT_EQ(ShWorkErrorCode(&n), 0);
  BcdExt x;
  ShExtWiden(&n, &x);
  EXPECT_EQ(ShExtKind(&x), 4);
  BcdWork back;
  ShExtNarrow(&x, &back);
  EXPECT_EQ(WorkToText(back), "5");
}

// The kernels' rounding helpers against the library functions they stand
// in for: ties go to even, negatives round down.
TEST(DoubleDouble, NearestAndFloorWithoutTheLibrary) {
  for (const double x : {0.0, 0.25, 0.5, 1.5, 2.5, 3.49, 3.51, -0.5, -1.5, -2.5, -3.51, 63.5, -64.5, 1e9 + 0.5}) {
    EXPECT_EQ(dig::NearestSmall(x), std::nearbyint(x)) << x;
    EXPECT_EQ(dig::FloorSmall(x), std::floor(x)) << x;
  }
  EXPECT_EQ(dig::FloorSmall(-1.0), -1.0);
  EXPECT_EQ(dig::FloorSmall(-1e-300), -1.0);
}

}  // namespace

// The plain and the fused build of the transcendental kernels leave the same
// 23-digit register for every kernel, over random arguments of every size the
// kernels branch on (tiny, near one, near multiples of a right angle, large).
TEST(KernelBuilds, PlainAndFusedGiveTheSameBits) {
  if (!ShKernelFusedAvailable()) GTEST_SKIP() << "no fused multiply-add on this processor";
  using Unary = void (*)(BcdExt *);
  const Unary unary[] = {ShExtExp10, ShExtExp, ShExtExp10s, ShExtLog10,  ShExtLn,     ShExtLog10s, ShExtLogs,
                         ShExtAtan,  ShExtAsin, ShExtAcos,  ShExtSinhA,  ShExtSinhB,  ShExtCosh,   ShExtTanhA,
                         ShExtTanhB, ShExtAsinhA, ShExtAsinhB, ShExtAcosh, ShExtAtanhA, ShExtAtanhB};
  using Angle = void (*)(BcdExt *, u16);
  const Angle angle[] = {ShExtSin, ShExtCos, ShExtTan};
  u64 seed = 88172645463325252ull;
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  auto random = [&](int emin, int emax) {
    std::string t = next() % 2 ? "-" : "";
    t += static_cast<char>('1' + next() % 9);
    t += '.';
    for (int i = 0; i < 22; ++i) t += static_cast<char>('0' + next() % 10);
    t += "e" + std::to_string(emin + static_cast<int>(next() % static_cast<u64>(emax - emin + 1)));
    return ExtFromText(t);
  };
  auto same = [](const BcdExt &a, const BcdExt &b) { return std::memcmp(a.b, b.b, sizeof a.b) == 0; };
  auto WordExpOf = [](const BcdExt &a) { return dig::WordExp(BcdExtGetWord(&a)); };
  for (int n = 0; n < 4000; ++n) {
    const int band = n % 4;
    const BcdExt x = band == 0 ? random(-45, -8) : band == 1 ? random(-1, 0) : band == 2 ? random(1, 3) : random(4, 12);
    BcdExt ax = x;
    ax.b[12] = static_cast<u8>(ax.b[12] >= 0x50 ? ax.b[12] - 0x50 : ax.b[12]);  // |x|
    for (const Unary f : unary) {
      // The inverse sine, cosine and hyperbolic tangent take |x| < 1, the
      // inverse hyperbolic cosine x >= 1: other arguments are screened out
      // before the kernels run.
      const bool belowOne = WordExpOf(ax) < 0;
      if ((f == ShExtAsin || f == ShExtAcos || f == ShExtAtanhA) && !belowOne) continue;
      BcdExt a = (f == ShExtLog10 || f == ShExtLn || f == ShExtAcosh) ? ax : x, b = a;
      if (f == ShExtAcosh && belowOne) continue;
      if ((f == ShExtLog10s || f == ShExtLogs) && WordExpOf(ax) >= 0 && (x.b[12] >= 0x50)) continue;
      ShKernelUseFused(false);
      f(&a);
      ShKernelUseFused(true);
      f(&b);
      ASSERT_TRUE(same(a, b)) << ExtToText(x);
    }
    for (const Angle f : angle) {
      for (u16 unit = 0; unit < 3; ++unit) {
        BcdExt a = x, b = x;
        ShKernelUseFused(false);
        f(&a, unit);
        ShKernelUseFused(true);
        f(&b, unit);
        ASSERT_TRUE(same(a, b)) << ExtToText(x) << " unit " << unit;
      }
    }
    BcdExt p = ax, q = ax, y = random(-3, 1);
    ShKernelUseFused(false);
    ShExtPow(&p, &y);
    ShKernelUseFused(true);
    ShExtPow(&q, &y);
    ASSERT_TRUE(same(p, q)) << ExtToText(ax) << " ^ " << ExtToText(y);
  }
}

// Rounding 23 digits to 15 gives what the register adder and its
// normalisation give (a five added at d16, the guard digits dropped), over
// random digits of every shape the shortcut of ShExtRound tells apart: d16
// below and above five, runs of nines that carry out of d1, an unnormalised
// register and the exponent limits.
TEST(ShExtRounding, MatchesTheRegisterAdder) {
  u64 seed = 0x9E3779B97F4A7C15ull;
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  auto reference = [](BcdExt *x) {
    if (dig::ExtKindNib(x) != BCD_NIB_NUMBER || dig::ExtIsZero(x)) return;
    const u16 w = dig::ExtWord(x);
    dig::Reg r{dig::BcdAdd(dig::ExtDigits(x), dig::One(dig::DigitNibble(16)) * 5), dig::WordExp(w), dig::WordNeg(w)};
    r.m &= ~dig::kGuardMask;
    dig::StoreReg(x, r);
  };
  for (int n = 0; n < 200000; ++n) {
    u128 m = 0;
    const int shape = n % 5;
    for (int d = 1; d <= 23; ++d) {
      u64 digit = next() % 10;
      if (shape == 1 && d <= 15) digit = 9;             // carries out of d1 when d16 >= 5
      if (shape == 2 && d == 1) digit = 0;              // not normalised
      if (shape == 3 && d == 16) digit = 4 + next() % 2;  // the boundary at d16
      if (d == 1 && shape != 2 && digit == 0) digit = 1 + next() % 9;
      m |= static_cast<u128>(digit) << (4 * dig::DigitNibble(d));
    }
    const int e = shape == 4 ? (next() % 2 ? 999 : -999) : static_cast<int>(next() % 1999) - 999;
    BcdExt x;
    dig::SetExt(&x, m, dig::MakeWord(e, next() % 2));
    BcdExt want = x;
    reference(&want);
    ShExtRound(&x);
    ASSERT_EQ(std::memcmp(x.b, want.b, sizeof x.b), 0) << ExtToText(want);
  }
}

// The arctangent's fast kernel leaves the same 23 digits as the Newton step
// it stands in for, also where the exact value lies so near a rounding
// boundary that the two would round apart on their own (arguments found by
// comparing them over millions of arguments): there the Newton step decides.
TEST(ShExtAtanKernel, NextToARoundingBoundaryTheNewtonStepDecides) {
  struct Case {
    const char *x, *grads;
  };
  const Case cases[] = {
      {"-6.77740497260605e-3", "-4.3145639511101104730445e-1"},
      {"-8.3376594857556e-3", "-5.3077958929327654043307e-1"},
      {"3.87868294247346e-2", "2.4680091088247063354315"},
      {"7.27839226570231e-3", "4.6334866089074481968717e-1"},
      {"5.24492538274526e-3", "3.3389925857541786549271e-1"},
      {"6.7554016410038424358144e-3", "4.3005568364594803356069e-1"},
      {"-8.1118194376014783543208e-3", "-5.1640313786393839928359e-1"},
  };
  for (const bool fused : {false, true}) {
    if (fused && !ShKernelFusedAvailable()) continue;
    ShKernelUseFused(fused);
    for (const Case &c : cases) {
      BcdExt x = ExtFromText(c.x);
      ShExtAtan(&x);
      EXPECT_EQ(ExtToText(x), c.grads) << c.x << (fused ? " (fused)" : " (plain)");
    }
  }
  ShKernelUseFused(ShKernelFusedAvailable());
}

// The checked stores write what the plain ones write when the value lies
// clear of every half unit of its 23rd digit by more than the margin, and
// write nothing otherwise: on the half, within the margin either side, and
// for a negative value alike.
TEST(DoubleDouble, CheckedStoresRefuseValuesNextToARoundingBoundary) {
  const BcdExt r = ExtFromText("1.2345678901234567890123e-1");  // 23 digits, last unit 10^-23
  const double unit = 1e-23, margin = 1e-3 * unit;
  struct Case {
    double f;  // the value is r + f units
    bool clear;
  };
  const Case cases[] = {{0.5, false},   {0.5005, false}, {0.4995, false}, {0.502, true}, {0.498, true},
                        {0.0, true},    {0.25, true},    {0.9, true},     {-0.5, false}, {-0.4995, false},
                        {-0.498, true}, {1.5, false},    {1.503, true}};
  constexpr u64 kLimbs[3] = {66192313ull, 32679489ull, 1570796ull};  // pi/200
  for (const bool negative : {false, true}) {
    for (const Case &c : cases) {
      dig::DD v = dig::Add(dig::ExtToDD(&r), c.f * unit);
      if (negative) v = dig::Neg(v);
      BcdExt plain[3], checked[3];
      dig::StoreDD(&plain[0], v);
      dig::StoreDDRounded(&plain[1], v);
      dig::StoreDDTimesRounded(&plain[2], v, kLimbs, -2);
      for (BcdExt &x : checked) x = ExtFromText("7");
      const bool got[3] = {dig::StoreDDClear(&checked[0], v, margin), dig::StoreDDRoundedClear(&checked[1], v, margin),
                           dig::StoreDDTimesRoundedClear(&checked[2], v, kLimbs, -2, margin)};
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(got[k], c.clear) << c.f << " store " << k;
        EXPECT_EQ(ExtToText(checked[k]), c.clear ? ExtToText(plain[k]) : "7") << c.f << " store " << k;
      }
    }
  }
}
