// Digit arithmetic on the working form: screening of errors and domains,
// rounding to 15 digits, relations, integer and logic operations, angle
// conversions, the remainder, conversions and constants.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "number/bcd.h"
#include "number/digits/digits.h"
#include "tests/number/work_text.h"

using numtest::ExtToText;
using numtest::WorkFromText;
using numtest::WorkToText;

namespace {

BcdWork Err(u16 code) {
  BcdWork w;
  BcdMakeError(code, &w);
  return w;
}

using BinaryOp = i16 (*)(BcdWork *, const BcdWork *);
struct BinaryCase {
  const char *name;
  BinaryOp op;
  const char *a, *b;
  i16 code;
  const char *out;
};

void RunBinaryCases(const BinaryCase *cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const BinaryCase &c = cases[i];
    BcdWork a = WorkFromText(c.a);
    const BcdWork b = WorkFromText(c.b), bCopy = b;
    EXPECT_EQ(c.op(&a, &b), c.code) << c.name;
    EXPECT_EQ(WorkToText(a), c.out) << c.name;
    EXPECT_EQ(std::memcmp(b.b, bCopy.b, 12), 0) << c.name << ": second operand changed";
  }
}

TEST(BcdArithmetic, RoundedResults) {
  const BinaryCase cases[] = {
      {"2/3", BcdDiv, "2", "3", 0, "6.66666666666667e-1"},
      {"1/3", BcdDiv, "1", "3", 0, "3.33333333333333e-1"},
      {"1 + 5e-15", BcdAdd, "1", "5e-15", 0, "1.00000000000001"},
      {"1 - 5.00000000000001e-16", BcdSub, "1", "5.00000000000001e-16", 0, "1"},
      {"1 - 0.99999999999999", BcdSub, "1", "0.99999999999999", 0, "1e-14"},
      {"1 - 0.99999999999999 cancels", BcdSubMaru, "1", "0.99999999999999", 0, "0"},
      {"2 + 3 under the rule", BcdAddMaru, "2", "3", 0, "5"},
      {"-2 x -3", BcdMul, "-2", "-3", 0, "6"},
      {"by zero", BcdDiv, "1", "0", 0, "undef"},
      {"product rounds up", BcdMul, "1.23456789012345", "9.87654321098765", 0, "1.21932631137021e1"},
      {"difference of near values", BcdSub, "1.00000000000001", "1", 0, "1e-14"},
      // Where rounding at the sixteenth digit meets a carry or a lost leading digit.
      {"sum rounds up to a carry", BcdAdd, "9.99999999999999", "5e-15", 0, "1e1"},
      {"sum rounds down below a carry", BcdAdd, "9.99999999999999", "4e-15", 0, "9.99999999999999"},
      {"sum carries, then rounds", BcdAdd, "9.99999999999999", "9.99999999999999", 0, "2e1"},
      {"difference loses its leading digit at five", BcdSub, "1", "5e-15", 0, "9.99999999999995e-1"},
      {"difference loses its leading digit at four", BcdSub, "1", "4e-15", 0, "9.99999999999996e-1"},
      {"negative sum loses its leading digit", BcdAdd, "-1", "5e-15", 0, "-9.99999999999995e-1"},
      {"larger second operand takes the sign", BcdSub, "5e-15", "1", 0, "-9.99999999999995e-1"},
      {"2 - 3", BcdSub, "2", "3", 0, "-1"},
      {"-2 - -3", BcdSub, "-2", "-3", 0, "1"},
  };
  RunBinaryCases(cases, std::size(cases));
}

TEST(BcdArithmetic, ErrorOperandsPassOn) {
  BcdWork a = Err(3), b = WorkFromText("2");
  EXPECT_EQ(BcdAdd(&a, &b), 3);
  EXPECT_EQ(WorkToText(a), "err3");
  a = WorkFromText("2");
  b = Err(16);
  EXPECT_EQ(BcdMul(&a, &b), 16);
  EXPECT_EQ(WorkToText(a), "err16");
  EXPECT_EQ(WorkToText(b), "err16");
  // The first operand's error wins.
  a = Err(8);
  EXPECT_EQ(BcdDiv(&a, &b), 8);
  // Relations too.
  a = WorkFromText("1");
  b = Err(17);
  EXPECT_EQ(BcdRelLt(&a, &b), 17);
  EXPECT_EQ(WorkToText(a), "err17");
}

TEST(BcdPower, ScreeningRules) {
  const BinaryCase cases[] = {
      {"0^0", BcdPow, "0", "0", 3, "err3"},
      {"0^-1", BcdPow, "0", "-1", 3, "err3"},
      {"0^2", BcdPow, "0", "2", 0, "0"},
      {"(-8)^0.5", BcdPow, "-8", "0.5", 16, "err16"},
      {"x^0", BcdPow, "-123.456", "0", 0, "1"},
      {"1e99^0", BcdPow, "1e99", "0", 0, "1"},
  };
  RunBinaryCases(cases, std::size(cases));
}

TEST(BcdRelations, CancellationCountsAsEqual) {
  struct Case {
    BinaryOp op;
    const char *a, *b, *out;
  } cases[] = {
      {BcdRelEq, "1", "0.99999999999999", "1"}, {BcdRelNe, "1", "0.99999999999999", "0"},
      {BcdRelEq, "1", "0.999999999999", "0"},   {BcdRelLt, "1", "2", "1"},
      {BcdRelLt, "2", "1", "0"},                {BcdRelGt, "-1", "-2", "1"},
      {BcdRelLe, "1", "0.99999999999999", "1"}, {BcdRelGe, "0.99999999999999", "1", "1"},
      {BcdRelLt, "0.99999999999999", "1", "0"}, {BcdRelGt, "0", "-1e-99", "1"},
  };
  for (const Case &c : cases) {
    BcdWork a = WorkFromText(c.a);
    const BcdWork b = WorkFromText(c.b);
    EXPECT_EQ(c.op(&a, &b), 0);
    EXPECT_EQ(WorkToText(a), c.out) << c.a << " " << c.b;
  }
  BcdWork a = WorkFromText("1");
  const BcdWork b = WorkFromText("0.99999999999999");
  EXPECT_EQ(BcdCompare(&a, &b), BCD_CMP_GREATER);
}

TEST(BcdCompareCodes, ErrorsAndZeroCodes) {
  BcdWork a = WorkFromText("1");
  const BcdWork e = Err(3);
  EXPECT_EQ(BcdCompare(&a, &e), BCD_CMP_ERROR);
  EXPECT_EQ(WorkToText(a), "err3");  // the error b is copied into a
  BcdWork ea = Err(3);
  const BcdWork one = WorkFromText("1");
  EXPECT_EQ(BcdCompare(&ea, &one), BCD_CMP_ERROR);
  EXPECT_EQ(BcdSign(&e), 240);
  EXPECT_EQ(BcdZeroCode(&e), 240);
  const BcdWork zero = WorkFromText("0"), neg = WorkFromText("-3");
  EXPECT_EQ(BcdZeroCode(&zero), 1);
  EXPECT_EQ(BcdZeroCode(&neg), 6);
  EXPECT_EQ(BcdSign(&neg), 2);
  BcdWork s = WorkFromText("-3");
  EXPECT_EQ(BcdSameCode(&s, &neg), 1);
  EXPECT_EQ(BcdSameCode(&s, &one), 6);
  BcdWork pair[2] = {WorkFromText("1"), WorkFromText("0")};
  EXPECT_EQ(BcdComplexKind(pair), 1);
  pair[1] = WorkFromText("2");
  EXPECT_EQ(BcdComplexKind(pair), 2);
  pair[0] = Err(3);
  EXPECT_EQ(BcdComplexKind(pair), 240);
  EXPECT_EQ(BcdWordIsNegative(0x5000), 1);
  EXPECT_EQ(BcdWordIsNegative(0x4FFF), 0);
  EXPECT_EQ(BcdExponent(&e), 5000);
  EXPECT_EQ(BcdExponent(&zero), 0);
  const BcdWork small = WorkFromText("-4.2e-120");
  EXPECT_EQ(BcdExponent(&small), -120);
  EXPECT_EQ(BcdErrorCode(&e), 3);
  EXPECT_EQ(BcdErrorCode(&one), 0);
}

// The direct comparison of two positive numbers gives BcdCompare's code, and
// leaves every other pair (zero, negative, an error, a working form from
// outside the stored range) to BcdCompare. Random pairs: near ones (a shared
// exponent and leading digits) as well as far ones.
TEST(BcdCompareCodes, PositivePairsCompareDirectly) {
  std::mt19937 rng(7);
  auto positive = [&rng](u32 word, u64 lead) {
    BcdWork w{};
    u64 d = (1 + rng() % 9) << 56 | lead;
    for (int i = 0; i < 14; ++i) d |= u64{rng() % 10} << (4 * i);
    if (rng() % 3 == 0) d &= ~u64{0xFFFFFFFF};  // trailing zeros
    for (int i = 0; i < 8; ++i) w.b[i] = static_cast<u8>(d >> (56 - 8 * i));
    BcdSetWord(&w, static_cast<u16>(word));
    return w;
  };
  auto exponentWord = [&rng]() {
    const int e = static_cast<int>(rng() % 199) - 99;  // -99..99
    const int n = e < 0 ? 100 + e : e;
    return static_cast<u32>((e < 0 ? 0x0900 : 0x1000) | (n / 10) << 4 | n % 10);
  };
  for (int n = 0; n < 100000; ++n) {
    const u32 wa = exponentWord();
    const u32 wb = rng() % 4 == 0 ? exponentWord() : wa;
    BcdWork a = positive(wa, 0);
    BcdWork b = rng() % 2 ? a : positive(wb, 0);
    if (rng() % 2) b.b[7] = static_cast<u8>(rng() % 10 << 4 | rng() % 10);  // the last digits differ
    u16 direct = 0;
    ASSERT_TRUE(BcdComparePositive(&a, &b, &direct)) << n;
    BcdWork copy = a;
    ASSERT_EQ(direct, BcdCompare(&copy, &b)) << WorkToText(a) << " " << WorkToText(b);
  }
  const BcdWork one = WorkFromText("1");
  for (const char *other : {"0", "-1", "-0.5", "1e100", "-1e-99"}) {
    const BcdWork w = WorkFromText(other);
    u16 code = 0;
    EXPECT_FALSE(BcdComparePositive(&one, &w, &code)) << other;
    EXPECT_FALSE(BcdComparePositive(&w, &one, &code)) << other;
  }
  const BcdWork e = Err(3);
  u16 code = 0;
  EXPECT_FALSE(BcdComparePositive(&e, &one, &code));
}

using UnaryOp = i16 (*)(BcdWork *);
struct UnaryCase {
  const char *name;
  UnaryOp op;
  const char *a;
  i16 code;
  const char *out;
};

void RunUnaryCases(const UnaryCase *cases, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const UnaryCase &c = cases[i];
    BcdWork a = WorkFromText(c.a);
    EXPECT_EQ(c.op(&a), c.code) << c.name;
    EXPECT_EQ(WorkToText(a), c.out) << c.name;
  }
}

TEST(BcdUnary, SignsPartsAndLogic) {
  const UnaryCase cases[] = {
      {"abs", BcdAbs, "-2.5", 0, "2.5"},
      {"abs of zero", BcdAbs, "0", 0, "0"},
      {"neg", BcdNeg, "2.5", 0, "-2.5"},
      {"neg of zero", BcdNeg, "0", 0, "0"},
      {"signum", BcdSignum, "-0.001", 0, "-1"},
      {"signum of zero", BcdSignum, "0", 0, "0"},
      {"intg", BcdIntg, "-2.7", 0, "-3"},
      {"int", BcdInt, "-2.7", 0, "-2"},
      {"frac", BcdFrac, "-2.7", 0, "-7e-1"},
      {"cint", BcdCint, "-2.5", 0, "-3"},
      {"cint of zero", BcdCint, "0", 0, "0"},
      {"not 0", BcdLogicNot, "0", 0, "1"},
      {"not 5", BcdLogicNot, "5", 0, "0"},
      {"normalize", BcdNormalize, "1.99999999999999", 0, "2"},
      {"square", BcdSquare, "-1.1", 0, "1.21"},
      {"sqrt of -1", BcdSqrt, "-1", 17, "err17"},
      {"sqrt 2", BcdSqrt, "2", 0, "1.4142135623731"},
      {"sqrt 0.01", BcdSqrt, "0.01", 0, "1e-1"},
      {"sqrt 1e-999", BcdSqrt, "1e-999", 0, "3.16227766016838e-500"},
      // Roots whose sixteenth digit is 4 followed by nines: they round down.
      {"sqrt just below a half", BcdSqrt, "2.55738348141311e14", 0, "1.59918212890624e7"},
      {"sqrt just below a half, odd exponent", BcdSqrt, "5.47721051611007e15", 0, "7.40081787109375e7"},
      {"sqrt 0", BcdSqrt, "0", 0, "0"},
  };
  RunUnaryCases(cases, std::size(cases));
  struct Logic {
    BinaryOp op;
    const char *a, *b, *out;
  } logic[] = {
      {BcdLogicAnd, "1", "2", "1"}, {BcdLogicAnd, "1", "0", "0"}, {BcdLogicOr, "0", "0", "0"},
      {BcdLogicOr, "0", "-3", "1"},
  };
  for (const Logic &c : logic) {
    BcdWork a = WorkFromText(c.a);
    const BcdWork b = WorkFromText(c.b);
    EXPECT_EQ(c.op(&a, &b), 0);
    EXPECT_EQ(WorkToText(a), c.out);
  }
}

TEST(BcdRemainder, SignOfTheDividend) {
  const BinaryCase cases[] = {
      {"7 mod 3", BcdMod, "7", "3", 0, "1"},
      {"-7 mod 3", BcdMod, "-7", "3", 0, "-1"},
      {"7 mod -3", BcdMod, "7", "-3", 0, "1"},
      {"7.5 mod 2", BcdMod, "7.5", "2", 3, "err3"},
      {"7 mod 0", BcdMod, "7", "0", 3, "err3"},
      {"0 mod 0 (b tested first)", BcdMod, "0", "0", 3, "err3"},
      {"0 mod 5", BcdMod, "0", "5", 0, "0"},
      {"1e23 mod 7", BcdMod, "1e23", "7", 3, "err3"},
      {"large", BcdMod, "123456789012345e8", "97", 0, "2"},
      {"exact multiple", BcdMod, "1e15", "5", 0, "0"},
  };
  RunBinaryCases(cases, std::size(cases));
}

TEST(BcdRounding, DigitsAndScale) {
  struct Case {
    const char *x;
    u16 n;
    bool up;
    i16 code;
    const char *out;
  } cases[] = {
      {"0.691462461", 6, false, 0, "6.9146e-1"}, {"7.25", 3, false, 0, "7.3"},
      {"3.21", 3, true, 0, "3.3"},                {"7.25", 0, false, 16, "err16"},
      {"7.25", 16, false, 16, "err16"},           {"0", 16, false, 0, "0"},
      {"9.99999999999999", 15, false, 0, "1e1"}, {"1.23456789012344", 15, false, 0, "1.2345678901234"},
  };
  for (const Case &c : cases) {
    BcdWork w = WorkFromText(c.x);
    EXPECT_EQ(c.up ? BcdRoundUpDigits(&w, c.n) : BcdRoundDigits(&w, c.n), c.code);
    EXPECT_EQ(WorkToText(w), c.out) << c.x << " n=" << c.n;
  }
  struct Scale {
    const char *x;
    i16 n, code;
    const char *out;
  } scales[] = {
      {"1.5", 3, 0, "1.5e3"},    {"1.5", 1999, 3, "err3"}, {"1.5", -1999, 0, "0"},
      {"1.5", -1998, 0, "0"},    {"0", 1999, 0, "0"},      {"5", 999, 0, "5e999"}, {"5", 1000, 0, "inf"},
  };
  for (const Scale &c : scales) {
    BcdWork w = WorkFromText(c.x);
    EXPECT_EQ(BcdScale10(&w, c.n), c.code);
    EXPECT_EQ(WorkToText(w), c.out) << c.x << " n=" << c.n;
  }
}

TEST(BcdIntegers, RangesAndSmallInts) {
  struct Case {
    const char *x;
    i16 code;
    i16 value;
  } cases16[] = {{"32767", 0, 32767}, {"32767.9", 16, 7}, {"-32768", 0, -32768}, {"-32768.5", 16, 7},
                 {"-2.9", 0, -2},     {"1234", 0, 1234}};
  for (const auto &c : cases16) {
    const BcdWork w = WorkFromText(c.x);
    i16 out = 7;
    EXPECT_EQ(BcdToInt16(&w, &out), c.code) << c.x;
    EXPECT_EQ(out, c.value) << c.x;
  }
  struct Case32 {
    const char *x;
    i16 code;
    i32 value;
  } cases32[] = {{"2147483647", 0, 2147483647}, {"2147483648", 16, 7}, {"-2147483648", 0, -2147483647 - 1}};
  for (const auto &c : cases32) {
    const BcdWork w = WorkFromText(c.x);
    i32 out = 7;
    EXPECT_EQ(BcdToInt32(&w, &out), c.code) << c.x;
    EXPECT_EQ(out, c.value) << c.x;
  }
  BcdWork e = Err(3);
  i16 out16 = 0;
  EXPECT_EQ(BcdToInt16(&e, &out16), 3);
  BcdWork w;
  EXPECT_EQ(BcdFromSmallInt(10, &w), 0);
  EXPECT_EQ(WorkToText(w), "1e1");
  EXPECT_EQ(BcdFromSmallInt(0, &w), 0);
  EXPECT_EQ(WorkToText(w), "0");
  EXPECT_EQ(BcdFromSmallInt(7, &w), 0);
  EXPECT_EQ(WorkToText(w), "7");
  EXPECT_EQ(BcdFromSmallInt(11, &w), 16);
  EXPECT_EQ(WorkToText(w), "err16");
  EXPECT_EQ(BcdFromInt16(-32768, &w), 0);
  EXPECT_EQ(WorkToText(w), "-3.2768e4");
  const BcdWork half = WorkFromText("0.5"), three = WorkFromText("3");
  EXPECT_EQ(BcdIsNonInteger(&half), 1);
  EXPECT_EQ(BcdIsNonInteger(&three), 0);
}

TEST(BcdConstants, WorkingAndExtended) {
  using Ctor = BcdWork *(*)(BcdWork *);
  struct Case {
    Ctor ctor;
    const char *text;
  } cases[] = {
      {BcdOne, "1"},
      {BcdZero, "0"},
      {BcdHalf, "5e-1"},
      {BcdInt16Max, "3.2767e4"},
      {BcdInt16Min, "-3.2768e4"},
      {BcdInt32Max, "2.147483647e9"},
      {BcdInt32Min, "-2.147483648e9"},
      {BcdPi, "3.1415926535898"},
      {BcdTwoPi, "6.2831853071796"},
      {BcdHalfPi, "1.5707963267949"},
      {BcdQuarterPi, "7.8539816339745e-1"},
      {BcdE, "2.71828182845905"},
      {BcdLn10, "2.30258509299405"},
      {BcdThreeHalvesPi, "4.7123889803847"},
      {Bcd180, "1.8e2"},
      {Bcd270, "2.7e2"},
      {Bcd360, "3.6e2"},
      {Bcd90, "9e1"},
      {BcdTrigLimitDeg, "9e9"},
      {BcdTrigLimitRad, "1.57079632679489e8"},
      {BcdTrigLimitGra, "1e10"},
      {BcdSmallArg, "1e-7"},
      {BcdHugeArg, "5e999"},
      {BcdNegHugeArg, "-5e999"},
      {BcdTen10, "1e10"},
  };
  for (const Case &c : cases) {
    BcdWork w;
    std::memset(w.b, 0xEE, 12);
    EXPECT_EQ(c.ctor(&w), &w);
    EXPECT_EQ(WorkToText(w), c.text);
    EXPECT_EQ(w.b[8], 0);
    EXPECT_EQ(w.b[9], 0);
  }
  using ExtCtor = BcdExt *(*)(BcdExt *);
  struct ExtCase {
    ExtCtor ctor;
    const char *text;
  } ext[] = {
      {BcdExtPi, "3.1415926535897932384626"},
      {BcdExtTwoPi, "6.2831853071795864769253"},
      {BcdExt180, "1.8e2"},
      {BcdExt200, "2e2"},
      {BcdExtNineTenths, "9e-1"},
      {BcdExt200OverPi, "6.3661977236758134307554e1"},
      {BcdExtPiOver200, "1.5707963267948966192313e-2"},
  };
  for (const ExtCase &c : ext) {
    BcdExt x;
    EXPECT_EQ(c.ctor(&x), &x);
    EXPECT_EQ(ExtToText(x), c.text);
  }
}

TEST(BcdAngleUnits, Conversions) {
  struct Case {
    i16 (*op)(BcdWork *, u16);
    const char *a;
    u16 unit;
    i16 code;
    const char *out;
  } cases[] = {
      {BcdFromDegrees, "180", 0, 0, "1.8e2"},
      {BcdFromDegrees, "180", 1, 0, "3.14159265358979"},
      {BcdFromDegrees, "90", 2, 0, "1e2"},
      {BcdFromDegrees, "90", 3, 8, "err8"},
      {BcdFromRadians, "1", 0, 0, "5.72957795130823e1"},
      {BcdFromRadians, "3.14159265358979", 2, 0, "2e2"},
      {BcdFromRadians, "1", 1, 0, "1"},
      {BcdFromRadians, "1", 9, 8, "err8"},
      {BcdFromGrads, "100", 0, 0, "9e1"},
      {BcdFromGrads, "200", 1, 0, "3.14159265358979"},
      {BcdFromGrads, "7", 2, 0, "7"},
      {BcdFromGrads, "7", 5, 8, "err8"},
  };
  for (const Case &c : cases) {
    BcdWork a = WorkFromText(c.a);
    EXPECT_EQ(c.op(&a, c.unit), c.code);
    EXPECT_EQ(WorkToText(a), c.out) << c.a << " unit " << c.unit;
  }
}

TEST(BcdExtended, OperationsWithoutRounding) {
  BcdExt a = numtest::ExtFromText("2"), b = numtest::ExtFromText("3");
  EXPECT_EQ(BcdExtDiv(&a, &b), 0);
  EXPECT_EQ(ExtToText(a), "6.6666666666666666666666e-1");
  EXPECT_EQ(BcdExtSub(&a, &b), 0);
  EXPECT_EQ(ExtToText(b), "3");  // not flipped: the operation works on a copy
  EXPECT_EQ(ExtToText(a), "-2.3333333333333333333334");
  BcdExt s = numtest::ExtFromText("2");
  EXPECT_EQ(BcdExtSqrt(&s), 0);
  EXPECT_EQ(ExtToText(s), "1.4142135623730950488016");
  s = numtest::ExtFromText("-2");
  EXPECT_EQ(BcdExtSqrt(&s), 17);
  BcdExt q = numtest::ExtFromText("1.5");
  EXPECT_EQ(BcdExtSquare(&q), 0);
  EXPECT_EQ(ExtToText(q), "2.25");
  EXPECT_EQ(BcdExtScale10(&q, -2), 0);
  EXPECT_EQ(ExtToText(q), "2.25e-2");
  BcdExt e;
  BcdExtMakeError(3, &e);
  BcdExt one = numtest::ExtFromText("1");
  EXPECT_EQ(BcdExtAdd(&one, &e), 3);
  EXPECT_EQ(one.b[0], 0xF0);
}

}  // namespace

namespace {

// The direct machine-word paths against the register road (widen, digit
// routine, round, narrow) on many operand pairs of every exponent gap.
TEST(BcdArithmetic, DirectPathsMatchTheRegisterRoad) {
  u64 state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  auto number = [&next](int emin, int emax) {
    std::string t = next() % 2 ? "-" : "";
    t += static_cast<char>('1' + next() % 9);
    t += '.';
    const int digits = static_cast<int>(next() % 15);
    for (int i = 0; i < digits; ++i) t += static_cast<char>(next() % 4 == 0 ? '9' : '0' + next() % 10);
    t += "e" + std::to_string(emin + static_cast<int>(next() % (emax - emin + 1)));
    return WorkFromText(t);
  };
  using Routine = void (*)(BcdExt *, BcdExt *);
  struct Op {
    const char *name;
    BinaryOp direct;
    Routine routine;
  } ops[] = {
      {"add", BcdAdd, [](BcdExt *x, BcdExt *y) { ShExtAdd(x, y); }},
      {"sub", BcdSub, ShExtSub},
      {"mul", BcdMul, [](BcdExt *x, BcdExt *y) { ShExtMul(x, y); }},
      {"div", BcdDiv, [](BcdExt *x, BcdExt *y) { ShExtDiv(x, y); }},
      {"add, cancellation rule", BcdAddMaru, [](BcdExt *x, BcdExt *y) { ShExtAddMaru(x, y); }},
      {"sub, cancellation rule", BcdSubMaru, ShExtSubMaru},
  };
  int mismatches = 0;
  for (int i = 0; i < 40000; ++i) {
    const BcdWork a = number(-999, 999);
    BcdWork b = number(-999, 999);
    if (i % 2) {  // close exponents: every alignment and cancellation
      const int gap = static_cast<int>(next() % 26);
      b = number(0, 0);
      BcdScale10(&b, static_cast<i16>(BcdExponent(&a) - gap));
    }
    if (i % 3 == 0) {  // near a: differences that lose up to all their digits
      BcdWork near = number(0, 0);
      BcdScale10(&near, static_cast<i16>(BcdExponent(&a) - 10 - static_cast<int>(next() % 14)));
      b = a;
      BcdAdd(&b, &near);
      if (next() % 2) BcdNeg(&b);
    }
    for (const Op &op : ops) {
      BcdWork direct = a;
      op.direct(&direct, &b);
      BcdExt x, y;
      ShExtWiden(&a, &x);
      ShExtWiden(&b, &y);
      op.routine(&x, &y);
      ShExtRound(&x);
      BcdWork road;
      ShExtNarrow(&x, &road);
      if (WorkToText(direct) != WorkToText(road) && ++mismatches < 20)
        ADD_FAILURE() << op.name << " " << WorkToText(a) << " " << WorkToText(b) << ": " << WorkToText(direct)
                      << " vs " << WorkToText(road);
    }
    BcdWork r = a;
    BcdAbs(&r);
    BcdWork root = r;
    BcdSqrt(&root);
    BcdExt x;
    ShExtWiden(&r, &x);
    ShExtSqrt(&x);
    ShExtRound(&x);
    BcdWork road;
    ShExtNarrow(&x, &road);
    if (WorkToText(root) != WorkToText(road) && ++mismatches < 20)
      ADD_FAILURE() << "sqrt " << WorkToText(r) << ": " << WorkToText(root) << " vs " << WorkToText(road);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
