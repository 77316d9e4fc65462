#include "number/realop.h"

#include <gtest/gtest.h>

#include <string>

#include "numparse_testutil.h"

using numtest::R;
using numtest::Show;

namespace {

struct BinCase {
  int op;
  const char *a, *b, *want;
};

std::string Bin(int op, const char *a, const char *b) {
  const BcdReal x = R(a), y = R(b);
  BcdReal out;
  RealSetZero(&out);
  return Show(*RealBinaryOp(op, &x, &y, &out));
}

TEST(RealBinaryOp, EveryBinaryNumber) {
  const BinCase cases[] = {
      {0, "1", "2", "3"},
      {0, "0.1", "0.2", "0.3"},
      {0, "9.99999999999999e99", "9.99999999999999e99", "E3"},
      {0, "1", "1e-15", "1.00000000000000"},  // shown without trailing zeros: 1
      {1, "5", "7", "-2"},
      {1, "1", "0.999999999999999", "1e-15"},
      {2, "9.99999999999999e99", "10", "E3"},
      {2, "1e-99", "0.1", "0"},  // underflow is 0, not an error
      {2, "-3", "4", "-12"},
      {3, "1", "3", "0.333333333333333"},
      {3, "2", "3", "0.666666666666667"},
      {3, "1", "0", "E3"},
      {3, "0", "0", "E3"},
      {4, "0", "0", "E3"},
      {4, "0", "-1", "E3"},
      {4, "0", "2", "0"},
      {4, "2", "10", "1024"},
      {4, "-2", "3", "-8"},
      {4, "5", "0", "1"},
      {4, "-8", "0.5", "E3"},  // domain error 16 packs to Ma ERROR
      {5, "1", "0.99999999999999", "1"},  // equal under the cancellation rule
      {5, "1", "2", "0"},
      {6, "1", "1", "0"},
      {6, "1", "2", "1"},
      {7, "1", "2", "1"},
      {7, "2", "1", "0"},
      {8, "2", "1", "1"},
      {9, "2", "2", "1"},
      {9, "3", "2", "0"},
      {10, "2", "2", "1"},
      {10, "1", "2", "0"},
      {36, "5", "2", "20"},
      {36, "3", "4", "E3"},
      {36, "1e10", "1", "E3"},
      {36, "5", "0", "1"},
      {37, "5", "2", "10"},
      {37, "5", "5", "1"},
      {37, "5", "0", "1"},
      {37, "50", "25", "126410606437752"},
      {37, "2.5", "1", "E3"},
      {41, "2", "0", "0"},
      {41, "2", "3", "1"},
      {42, "0", "0", "0"},
      {42, "0", "-5", "1"},
      {45, "7", "3", "1"},
      {45, "-7", "3", "-1"},
      {45, "7", "-3", "1"},
      {45, "7.5", "2", "E3"},
      {45, "7", "0", "E3"},
      {45, "0", "5", "0"},
      {48, "1", "-0.999999999999999", "0"},  // cancellation to exact zero
      {0, "1", "-0.999999999999999", "1e-15"},
      {49, "1", "0.999999999999999", "0"},
      {49, "5", "3", "2"},
      // Numbers without a binary operation hand the first operand back.
      {11, "4", "9", "4"},
      {32, "2.5", "1", "2.5"},
      {63, "-7", "1", "-7"},
      {200, "3", "1", "3"},
      // Error operands: the first one's error wins.
      {0, "1e100", "1a0", "E3"},
      {2, "2", "1e100", "E3"},
  };
  for (const BinCase &c : cases) {
    std::string want = c.want;
    if (want == "1.00000000000000") want = "1";
    EXPECT_EQ(Bin(c.op, c.a, c.b), want) << "op " << c.op << " " << c.a << " " << c.b;
  }
}

TEST(RealBinaryOp, ErrorCodeIsPassedUnchanged) {
  BcdReal a = R("1"), e8 = R("1"), e9 = R("2"), out;
  RealMakeError(8, &e8);
  RealMakeError(9, &e9);
  EXPECT_EQ(Show(*RealBinaryOp(kRealOpAdd, &a, &e8, &out)), "E8");
  EXPECT_EQ(Show(*RealBinaryOp(kRealOpAdd, &e9, &e8, &out)), "E9");
  EXPECT_EQ(Show(*RealUnaryOp(kRealOpSqrt, &e8, &out)), "E8");
  EXPECT_EQ(Show(*RealAngleOp(kRealOpSin, &e9, &out, 0)), "E9");
  // The destination may be an operand's own storage.
  BcdReal x = R("6");
  RealBinaryOp(kRealOpMul, &x, &x, &x);
  EXPECT_EQ(Show(x), "36");
}

struct UnCase {
  int op;
  const char *a, *want;
};

TEST(RealUnaryOp, EveryUnaryNumber) {
  const UnCase cases[] = {
      {11, "4", "2"},
      {11, "2", "1.4142135623731"},
      {11, "-1", "E3"},
      {11, "0", "0"},
      {12, "0", "1"},
      {12, "1", "2.71828182845905"},
      {12, "231", "E3"},
      {13, "1", "0"},
      {13, "0", "E3"},
      {13, "-1", "E3"},
      {14, "1000", "3"},
      {14, "0.01", "-2"},
      {21, "0", "0"},
      {22, "0", "1"},
      {23, "0", "0"},
      {24, "0", "0"},
      {25, "1", "0"},
      {25, "0.5", "E3"},
      {26, "0", "0"},
      {26, "1", "E3"},
      {26, "2", "E3"},
      {27, "-2.5", "2.5"},
      {27, "3", "3"},
      {28, "-3", "-1"},
      {28, "0", "0"},
      {28, "0.001", "1"},
      {29, "-2.5", "-3"},
      {29, "2.5", "2"},
      {30, "-2.5", "-2"},
      {31, "-2.5", "-0.5"},
      {33, "2", "100"},
      {33, "-2", "0.01"},
      {33, "100", "E3"},
      {34, "2.5", "3"},
      {34, "-2.5", "-3"},
      {35, "5", "120"},
      {35, "0", "1"},
      {35, "69", "1.71122452428141e98"},
      {35, "70", "E3"},
      {35, "2.5", "E3"},
      {35, "-1", "E3"},
      {43, "0", "1"},
      {43, "5", "0"},
      {44, "0.300000000000001", "0.3"},
      {46, "0", "0"},
      {46, "-2", "E3"},
      {47, "9", "1"},
      {50, "5", "-5"},
      {50, "0", "0"},
      {64, "0", "0"},
      {64, "1", "9"},
      // Numbers without a unary operation: the operand back, fractions made
      // decimal on the way.
      {32, "2.5", "2.5"},
      {32, "1a3", "0.333333333333333"},
      {0, "7", "7"},
      {51, "-1", "-1"},
  };
  for (const UnCase &c : cases) {
    const BcdReal x = R(c.a);
    BcdReal out;
    RealSetZero(&out);
    EXPECT_EQ(Show(*RealUnaryOp(c.op, &x, &out)), c.want) << "op " << c.op << " " << c.a;
  }
}

TEST(RealAngleOp, TrigonometryInEachUnit) {
  struct Case {
    int op;
    const char *a;
    u16 unit;
    const char *want;
  } cases[] = {
      {15, "30", 0, "0.5"},
      {16, "60", 0, "0.5"},
      {17, "45", 0, "1"},
      {15, "100", 2, "1"},
      {15, "0", 1, "0"},
      {18, "1", 0, "90"},
      {18, "1", 2, "100"},
      {18, "1", 1, "1.5707963267949"},
      {19, "2", 0, "E3"},
      {20, "1", 0, "45"},
      {15, "9e9", 0, "E3"},
      {15, "30", 3, "E3"},  // no such unit: Argument ERROR in the working form
      {38, "180", 1, "3.14159265358979"},
      {38, "90", 2, "100"},
      {38, "45", 0, "45"},
      {39, "1", 0, "57.2957795130823"},
      {40, "100", 0, "90"},
  };
  for (const auto &c : cases) {
    const BcdReal x = R(c.a);
    BcdReal out;
    RealSetZero(&out);
    EXPECT_EQ(Show(*RealAngleOp(c.op, &x, &out, c.unit)), c.want) << "op " << c.op << " " << c.a << " unit " << c.unit;
  }
  // Just below the degree limit the sine is computed.
  const BcdReal big = R("8.99999999999999e9");
  BcdReal out;
  EXPECT_NE(Show(*RealSin(&big, &out, 0)), "E3");
}

TEST(RealCompare, ExactDigitsAndErrors) {
  const BcdReal one = R("1"), near = R("0.99999999999999"), two = R("2");
  BcdReal err = R("1e100");
  EXPECT_EQ(RealCompare(kRealCmpEq, &one, &near), 0);
  EXPECT_EQ(RealCompare(kRealCmpGt, &one, &near), 1);
  EXPECT_EQ(RealIsEqual(&one, &one), 1);
  EXPECT_EQ(RealIsLess(&one, &two), 1);
  EXPECT_EQ(RealIsLessEqual(&two, &two), 1);
  EXPECT_EQ(RealIsGreaterEqual(&one, &two), 0);
  EXPECT_EQ(RealIsNotEqual(&one, &two), 1);
  EXPECT_EQ(RealIsGreater(&one, &two), 0);
  EXPECT_EQ(RealCompare(kRealOpSqrt, &one, &two), 0);
  EXPECT_EQ(RealCompare(kRealCmpEq, &err, &one), -1);
  EXPECT_EQ(RealCompare(kRealCmpLt, &one, &err), -1);
  // The relation operations cancel: 1 and 0.99999999999999 are equal there.
  BcdReal out;
  EXPECT_EQ(Show(*RealRelEqual(&one, &near, &out)), "1");
  // Fractions compare by value.
  const BcdReal third = R("1a3"), half = R("0.5");
  EXPECT_EQ(RealIsLess(&third, &half), 1);
}

TEST(RealWrappers, FractionAwareForms) {
  struct Case {
    BcdReal *(*fn)(const BcdReal *, const BcdReal *, BcdReal *);
    const char *a, *b, *want;
  } cases[] = {
      {RealAdd, "1a3", "2", "2_1/3"},
      {RealAdd, "1a3", "0.5", "0.833333333333333"},
      {RealAdd, "1", "2", "3"},
      {RealSub, "1a2", "1a3", "1/6"},
      {RealMul, "2a3", "3", "2"},
      {RealDiv, "1", "3", "0.333333333333333"},
      {RealDiv, "1a3", "2", "1/6"},
      {RealDivToFrac, "1", "3", "1/3"},
      {RealDivToFrac, "6", "3", "2"},
      {RealDivToFrac, "1", "0.5", "2"},
      {RealDivToFrac, "1", "0", "E3"},
      {RealAddMaru, "1a2", "1a2", "1"},
      {RealSubMaru, "1", "0.999999999999999", "0"},
      {RealPowDecimal, "5", "2", "25"},
      {RealPowDecimal, "4", "-1", "0.25"},
      {RealPowDecimal, "2", "0.5", "1.4142135623731"},
      {RealPowDecimal, "0", "-1", "E3"},
      {RealPow, "-8", "1a3", "-2"},
      {RealPow, "-8", "2a3", "4"},
      {RealPow, "-8", "1a2", "E17"},
      {RealPow, "-8", "0.25", "E17"},
      {RealPow, "-32", "0.2", "-2"},
      {RealPow, "-8", "1.5", "E17"},
      {RealPow, "-1a8", "1a3", "-1/2"},
      {RealPow, "2a3", "2", "4/9"},
      {RealPow, "2a3", "-2", "2_1/4"},
      {RealPow, "4a9", "1a2", "2/3"},
      {RealPow, "-2", "3", "-8"},
      {RealPow, "0", "0", "E3"},
      {RealPow, "8", "1a3", "2"},
      {RealNpr, "5", "2", "20"},
      {RealNcr, "5", "2", "10"},
      {RealMod, "-7", "3", "-1"},
      {RealLogicAnd, "1", "1", "1"},
      {RealLogicOr, "0", "0", "0"},
  };
  for (const auto &c : cases) {
    const BcdReal x = R(c.a), y = R(c.b);
    BcdReal out;
    RealSetZero(&out);
    EXPECT_EQ(Show(*c.fn(&x, &y, &out)), c.want) << c.a << " " << c.b;
  }
}

TEST(RealWrappers, NegationAndAbsoluteValueOfFractions) {
  const BcdReal third = R("1a3"), mthird = R("-1a3"), x = R("-2.5");
  BcdReal out;
  RealNeg(&third, &out);
  EXPECT_EQ(out.b[0], 0x6A);
  EXPECT_EQ(Show(out), "-1/3");
  RealNeg(&mthird, &out);
  EXPECT_EQ(out.b[0], 0x1A);
  EXPECT_EQ(Show(*RealAbs(&mthird, &out)), "1/3");
  EXPECT_EQ(Show(*RealAbs(&x, &out)), "2.5");
  EXPECT_EQ(Show(*RealNeg(&x, &out)), "2.5");
  const BcdReal fourNinths = R("4a9");
  EXPECT_EQ(Show(*RealSqrt(&fourNinths, &out)), "2/3");
  const BcdReal twoNinths = R("2a9");
  EXPECT_EQ(Show(*RealSqrt(&twoNinths, &out)), "0.471404520791032");
  // The unit conversions only act when the unit differs.
  const BcdReal ninety = R("90");
  EXPECT_EQ(Show(*RealFromDegrees(&ninety, &out, 0)), "90");
  EXPECT_EQ(Show(*RealFromDegrees(&ninety, &out, 2)), "100");
  EXPECT_EQ(Show(*RealFromGrads(&ninety, &out, 2)), "90");
  EXPECT_EQ(Show(*RealFromRadians(&ninety, &out, 1)), "90");
  // Normalisation leaves a fraction alone.
  EXPECT_EQ(Show(*RealNormalize(&third, &out)), "1/3");
}

TEST(RealRoundDecimals, DecimalPlaces) {
  struct Case {
    const char *x;
    int n;
    const char *want;
  } cases[] = {
      {"3.14159", 2, "3.14"},
      {"0.000123", 2, "0"},
      {"12345678", 9, "12345678"},  // nothing to round: unchanged, not Ma ERROR
      {"12345678.1234567", 9, "12345678.1234567"},
      {"9.99999999999999e99", 5, "9.99999999999999e99"},
      {"1.23456789012345", 10, "1.23456789"},
      {"0.123456789012345", 9, "0.123456789"},
      {"2.5", 0, "3"},
      {"-2.5", 0, "-3"},
      {"9.99", 1, "10"},
      {"1a3", 2, "0.33"},
      {"1", 11, "E8"},
      {"1", -1, "E8"},
      {"1e100", 2, "E3"},
      {"0", 3, "0"},
  };
  for (const auto &c : cases) {
    const BcdReal x = R(c.x);
    BcdReal out;
    RealSetZero(&out);
    EXPECT_EQ(Show(*RealRoundDecimals(&x, &out, c.n)), c.want) << c.x << " " << c.n;
  }
}

TEST(RealScale10, ExponentArithmetic) {
  struct Case {
    const char *x;
    int n;
    const char *want;
  } cases[] = {
      {"5e98", 2, "E3"},   {"5e-98", -2, "0"},     {"-2.5", 3, "-2500"}, {"1a4", 1, "2.5"},
      {"0", 50, "0"},      {"1e100", 1, "E3"},     {"3", 0, "3"},        {"1.5", -1, "0.15"},
      {"-1.5e-5", 10, "-150000"},
  };
  for (const auto &c : cases) {
    const BcdReal x = R(c.x);
    BcdReal out;
    RealSetZero(&out);
    EXPECT_EQ(Show(*RealScale10(&x, &out, c.n)), c.want) << c.x << " " << c.n;
  }
}

TEST(RealTests, ExponentAndIntegerTests) {
  struct Case {
    const char *x;
    int exponent, isInteger;
  } cases[] = {
      {"0.05", -2, 0}, {"0", 0, 1},     {"1e100", -100, -1}, {"1a3", -1, 0},  {"1e99", 99, 1},
      {"5", 0, 1},     {"5.5", 0, 0},   {"-123", 2, 1},      {"1e-5", -5, 0}, {"12a5", 0, 0},
  };
  for (const auto &c : cases) {
    const BcdReal x = R(c.x);
    EXPECT_EQ(RealExponent(&x), c.exponent) << c.x;
    EXPECT_EQ(RealIsInteger(&x), c.isInteger) << c.x;
  }
  BcdReal out;
  const BcdReal small = R("0.05"), err = R("1e100");
  EXPECT_EQ(Show(*RealFromExponent(&small, &out)), "-2");
  EXPECT_EQ(Show(*RealFromExponent(&err, &out)), "E3");
}

TEST(RealOpWord, Vocabulary) {
  EXPECT_STREQ(RealOpWord(0), "add");
  EXPECT_STREQ(RealOpWord(13), "log");
  EXPECT_STREQ(RealOpWord(35), "factori");
  EXPECT_STREQ(RealOpWord(64), "exp10s");
  EXPECT_EQ(RealOpWord(32), nullptr);
  EXPECT_EQ(RealOpWord(50), nullptr);
  EXPECT_EQ(RealOpWord(-1), nullptr);
  EXPECT_EQ(RealOpWord(65), nullptr);
}

TEST(RealAtan2, Quadrants) {
  struct Case {
    const char *y, *x;
    u16 unit;
    const char *want;
  } cases[] = {
      {"1", "0", 0, "90"},      {"0", "-1", 0, "180"},  {"-1", "0", 0, "-90"}, {"0", "0", 0, "E3"},
      {"1", "-1", 0, "135"},    {"-1", "-1", 0, "-135"}, {"0", "5", 0, "0"},   {"1", "0", 2, "100"},
      {"0", "-2", 1, "3.1415926535898"},
  };
  for (const auto &c : cases) {
    const BcdReal y = R(c.y), x = R(c.x);
    BcdReal out;
    RealSetZero(&out);
    EXPECT_EQ(Show(*RealAtan2(&y, &x, &out, c.unit)), c.want) << c.y << "," << c.x;
  }
}

}  // namespace
