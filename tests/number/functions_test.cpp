// The transcendental operations: the listed values, exact results, domain
// screening, overflow, and the choices for angle conversion, large radian
// arguments and special kinds inside chains.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "number/bcd.h"
#include "number/digits/digits.h"
#include "tests/number/work_text.h"

using numtest::ExtFromText;
using numtest::ExtToText;
using numtest::WorkFromText;
using numtest::WorkToText;

namespace {

struct Case {
  const char *name;
  const char *a;
  const char *b;  // second operand or angle unit
  i16 code;
  const char *out;
};

std::string Packed(const BcdWork &w) {
  BcdReal r;
  RealPack(&w, &r);
  if (RealErrorCode(&r)) return "err" + std::to_string(RealErrorCode(&r));
  BcdWork back;
  RealUnpack(&r, &back);
  return WorkToText(back);
}

template <typename Op>
void RunCases(const Case *cases, size_t n, Op op, bool packed = false) {
  for (size_t i = 0; i < n; ++i) {
    const Case &c = cases[i];
    BcdWork a = WorkFromText(c.a);
    EXPECT_EQ(op(&a, c.b), c.code) << c.name;
    EXPECT_EQ(packed ? Packed(a) : WorkToText(a), c.out) << c.name;
  }
}

TEST(Trigonometry, ValuesByUnit) {
  using Fn = i16 (*)(BcdWork *, u16);
  struct T {
    Fn fn;
    const char *a;
    u16 unit;
    i16 code;
    const char *out;
  } cases[] = {
      {BcdSin, "30", 0, 0, "5e-1"},
      {BcdCos, "60", 0, 0, "5e-1"},
      {BcdTan, "45", 0, 0, "1"},
      {BcdSin, "180", 0, 0, "0"},
      {BcdCos, "90", 0, 0, "0"},
      {BcdSin, "-270", 0, 0, "1"},
      {BcdSin, "3.14159265358979", 1, 0, "0"},
      {BcdSin, "3.1415926535898", 1, 0, "0"},  // the stored pi
      {BcdCos, "1.5707963267949", 1, 0, "0"},  // the stored pi / 2
      {BcdSin, "6.2831853071796", 1, 0, "0"},
      {BcdSin, "1", 1, 0, "8.41470984807897e-1"},
      {BcdSin, "3.1415926535897", 1, 0, "9.32384626433833e-14"},
      {BcdSin, "314.15926535898", 1, 0, "0"},  // 100 x the stored pi
      {BcdSin, "3.14159265358982", 1, 0, "-2.67615373566167e-14"},
      {BcdSin, "30", 2, 0, "4.53990499739547e-1"},
      {BcdSin, "100", 2, 0, "1"},
      {BcdSin, "9e9", 0, 16, "err16"},
      {BcdSin, "-9e9", 0, 16, "err16"},
      {BcdSin, "8.99999999999999e9", 0, 0, "-1.74532925199432e-7"},
      {BcdCos, "157079632.679489", 1, 16, "err16"},
      {BcdCos, "157079632.679488", 1, 0, "9.99999999998619e-1"},
      {BcdTan, "1e10", 2, 16, "err16"},
      {BcdSin, "1", 3, 8, "err8"},
      {BcdSin, "1e-50", 1, 0, "1e-50"},
      {BcdSin, "1e-50", 0, 0, "1.74532925199433e-52"},
      {BcdCos, "1e-50", 0, 0, "1"},
      {BcdAsin, "0.5", 2, 0, "3.33333333333333e1"},
      {BcdAtan, "1", 2, 0, "5e1"},
      {BcdAsin, "1", 0, 0, "9e1"},
      {BcdAsin, "1", 2, 0, "1e2"},
      {BcdAsin, "1", 1, 0, "1.5707963267949"},
      {BcdAsin, "-0.5", 0, 0, "-3e1"},
      {BcdAcos, "0.5", 0, 0, "6e1"},
      {BcdAcos, "-1", 0, 0, "1.8e2"},
      {BcdAcos, "1", 1, 0, "0"},
      {BcdAsin, "1.00000000000001", 0, 17, "err17"},
      {BcdAcos, "-1.5", 1, 17, "err17"},
      {BcdAtan, "1e99", 0, 0, "9e1"},
      {BcdAtan, "-1", 1, 0, "-7.85398163397448e-1"},
  };
  for (const T &c : cases) {
    BcdWork a = WorkFromText(c.a);
    EXPECT_EQ(c.fn(&a, c.unit), c.code) << c.a << " unit " << c.unit;
    EXPECT_EQ(WorkToText(a), c.out) << c.a << " unit " << c.unit;
  }
}

TEST(Trigonometry, TangentOfARightAngleIsMaError) {
  for (const char *deg : {"90", "-90", "270"}) {
    BcdWork a = WorkFromText(deg);
    BcdTan(&a, 0);
    EXPECT_EQ(Packed(a), "err3") << deg;
  }
  BcdWork a = WorkFromText("100");
  BcdTan(&a, 2);
  EXPECT_EQ(Packed(a), "err3");
}

TEST(Trigonometry, KernelReducesLargeRadiansExactly) {
  // The kernel itself takes arguments beyond the operation's limit.
  BcdExt x = ExtFromText("1e10");
  ShExtSin(&x, 1);
  ShExtRound(&x);
  EXPECT_EQ(ExtToText(x), "-4.87506025087511e-1");
  x = ExtFromText("1e31");  // beyond exact reduction: UNDEF
  ShExtCos(&x, 1);
  EXPECT_EQ(ExtToText(x), "undef");
  x = ExtFromText("7.2e25");  // degrees reduce exactly at any size
  ShExtSin(&x, 0);
  EXPECT_EQ(ExtToText(x), "0");
}

TEST(Atan2, QuadrantsAndAxes) {
  struct A {
    const char *x, *y;
    u16 unit;
    i16 code;
    const char *out;
  } cases[] = {
      {"1", "1", 1, 0, "7.85398163397448e-1"},
      {"1", "1", 0, 0, "4.5e1"},
      {"-1", "-1", 0, 0, "-1.35e2"},
      {"-1", "1", 2, 0, "1.5e2"},
      {"-1", "0", 1, 0, "3.1415926535898"},
      {"2", "0", 0, 0, "0"},
      {"0", "1", 1, 0, "1.5707963267949"},
      {"0", "-3", 0, 0, "-9e1"},
      {"0", "0", 0, 3, "err3"},
      {"0", "5", 7, 0, "1e2"},  // other units count as grads
  };
  for (const A &c : cases) {
    BcdWork x = WorkFromText(c.x);
    const BcdWork y = WorkFromText(c.y);
    EXPECT_EQ(BcdAtan2(&x, &y, c.unit), c.code) << c.x << "," << c.y;
    EXPECT_EQ(WorkToText(x), c.out) << c.x << "," << c.y << " unit " << c.unit;
  }
}

TEST(LogarithmsAndPowers, ValuesAndDomains) {
  using U = i16 (*)(BcdWork *);
  struct L {
    U fn;
    const char *a;
    i16 code;
    const char *out;
  } cases[] = {
      {BcdLn, "-1", 17, "err17"},        {BcdLn, "0", 3, "err3"},
      {BcdLog10, "1000", 0, "3"},        {BcdLog10, "1e-99", 0, "-9.9e1"},
      {BcdLn, "1", 0, "0"},              {BcdLn, "0.99999999999999", 0, "-1.00000000000001e-14"},
      {BcdExp, "0", 0, "1"},             {BcdExp, "1", 0, "2.71828182845905"},
      {BcdExp, "-1e-50", 0, "1"},        {BcdExp10, "2", 0, "1e2"},
      {BcdExp10, "-3", 0, "1e-3"},       {BcdExp10, "0.5", 0, "3.16227766016838"},
      {BcdExp10s, "2", 0, "9.9e1"},      {BcdExp10s, "1e-10", 0, "2.30258509325914e-10"},
      {BcdExp10s, "0", 0, "0"},          {BcdLog10s, "1e-10", 0, "4.34294481881537e-11"},
      {BcdLogs, "-1.5", 17, "err17"},    {BcdLog10s, "99", 0, "2"},
      {BcdLogs, "1e-60", 0, "1e-60"},    {BcdSqrt, "1e-99", 0, "3.16227766016838e-50"},
  };
  for (const L &c : cases) {
    BcdWork a = WorkFromText(c.a);
    EXPECT_EQ(c.fn(&a), c.code) << c.a;
    EXPECT_EQ(WorkToText(a), c.out) << c.a;
  }
  // ln(-1) reaches the stored form as Ma ERROR.
  BcdWork a = WorkFromText("-1");
  BcdLn(&a);
  EXPECT_EQ(Packed(a), "err3");
  // The logarithm of 1 + x at -1 is negative infinity: Ma ERROR.
  a = WorkFromText("-1");
  BcdLogs(&a);
  EXPECT_EQ(Packed(a), "err3");
  const Case pows[] = {
      {"2^10", "2", "10", 0, "1.024e3"},
      {"(-2)^3", "-2", "3", 0, "-8"},
      {"2^0.5", "2", "0.5", 0, "1.4142135623731"},
      {"5^22 (a tie, exact)", "5", "22", 0, "2.38418579101563e15"},
      {"2^-1", "2", "-1", 0, "5e-1"},
      {"(-3)^-3", "-3", "-3", 0, "-3.7037037037037e-2"},
      {"10^-3", "10", "-3", 0, "1e-3"},
      {"1^1e99", "1", "1e99", 0, "1"},
      {"(-1)^1e99", "-1", "1e99", 0, "1"},
      {"0.5^1e5", "0.5", "1e5", 0, "0"},
      {"1e99^-2 (working range)", "1e99", "-2", 0, "1e-198"},
      {"7^20 (17 digits, exact then rounded)", "7", "20", 0, "7.9792266297612e16"},
      {"1.5^-3", "1.5", "-3", 0, "2.96296296296296e-1"},
  };
  RunCases(pows, std::size(pows), [](BcdWork *w, const char *b) {
    const BcdWork y = WorkFromText(b);
    return BcdPow(w, &y);
  });
  // A negative power of a huge number underflows to 0, of a tiny one
  // overflows.
  for (auto [x, y, out] : {std::tuple{"1e600", "-2", "0"}, std::tuple{"1e-600", "-2", "inf"},
                           std::tuple{"-1e-600", "-3", "-inf"}, std::tuple{"2e300", "-3", "1.25e-901"}}) {
    BcdExt ex = ExtFromText(x);
    const BcdExt ey = ExtFromText(y);
    ShExtPow(&ex, &ey);
    EXPECT_EQ(ExtToText(ex), out) << x << "^" << y;
  }
  // 10^200 overflows the stored range: Ma ERROR.
  BcdWork big = WorkFromText("10"), e200 = WorkFromText("200");
  BcdPow(&big, &e200);
  EXPECT_EQ(Packed(big), "err3");
}

TEST(LogarithmsAndPowers, KernelDigitsAndRange) {
  struct K {
    void (*fn)(BcdExt *);
    const char *x, *out;
    int digits;  // leading digits that must agree
  } cases[] = {
      {ShExtSqrt, "2", "1.4142135623730950488016", 23},
      {ShExtLog10, "2", "3.0102999566398119521374e-1", 21},
      {ShExtExp, "1", "2.7182818284590452353603", 21},
      {ShExtExp, "2302.585093", "inf", 0},
      {ShExtExp10, "1000", "inf", 0},
      {ShExtExp10, "-1000", "0", 0},
      {ShExtLog10, "0", "-inf", 0},
      {ShExtExp10, "999.5", "3.1622776601683793319988e999", 21},
  };
  for (const K &c : cases) {
    BcdExt x = ExtFromText(c.x);
    c.fn(&x);
    const std::string got = ExtToText(x);
    if (c.digits == 0) {
      EXPECT_EQ(got, c.out) << c.x;
    } else {
      EXPECT_EQ(got.substr(0, c.digits + 1), std::string(c.out).substr(0, c.digits + 1)) << c.x << " " << got;
    }
  }
}

TEST(Hyperbolic, ValuesAndDomains) {
  using U = i16 (*)(BcdWork *);
  struct H {
    U fn;
    const char *a;
    i16 code;
    const char *out;
  } cases[] = {
      {BcdSinh, "1", 0, "1.1752011936438"},
      {BcdSinh, "1e-8", 0, "1e-8"},
      {BcdSinh, "-2e-7", 0, "-2.00000000000001e-7"},
      {BcdCosh, "0", 0, "1"},
      {BcdTanh, "1", 0, "7.61594155955765e-1"},
      {BcdTanh, "-1e3", 0, "-1"},
      {BcdAsinh, "-1", 0, "-8.81373587019543e-1"},
      {BcdAsinh, "5e999", 16, "err16"},
      {BcdAsinh, "1e50", 0, "1.15822401830262e2"},
      {BcdAcosh, "1", 0, "0"},
      {BcdAcosh, "0.5", 17, "err17"},
      {BcdAcosh, "5e999", 16, "err16"},
      {BcdAtanh, "0.5", 0, "5.49306144334055e-1"},
      {BcdAtanh, "1", 3, "err3"},
      {BcdAtanh, "-1.5", 17, "err17"},
      {BcdAtanh, "1e-9", 0, "1e-9"},
  };
  for (const H &c : cases) {
    BcdWork a = WorkFromText(c.a);
    EXPECT_EQ(c.fn(&a), c.code) << c.a;
    EXPECT_EQ(WorkToText(a), c.out) << c.a;
  }
  BcdWork a = WorkFromText("1000");
  BcdSinh(&a);
  EXPECT_EQ(WorkToText(a), "9.85035557008523e433");
  EXPECT_EQ(Packed(a), "err3");
}

TEST(Counting, PermutationsAndCombinations) {
  const Case npr[] = {
      {"5P2", "5", "2", 0, "2e1"},
      {"3P4", "3", "4", 16, "err16"},
      {"1e10 P 1", "1e10", "1", 16, "err16"},
      {"5P0", "5", "0", 0, "1"},
      {"2.5P1", "2.5", "1", 16, "err16"},
      {"5P-1", "5", "-1", 16, "err16"},
      {"9999999999 P 2", "9999999999", "2", 0, "9.999999997e19"},
  };
  RunCases(npr, std::size(npr), [](BcdWork *w, const char *b) {
    const BcdWork y = WorkFromText(b);
    return BcdNpr(w, &y);
  });
  const Case ncr[] = {
      {"5C2", "5", "2", 0, "1e1"},
      {"5C5", "5", "5", 0, "1"},
      {"5C0", "5", "0", 0, "1"},
      {"50C25", "50", "25", 0, "1.26410606437752e14"},
      {"60C30", "60", "30", 0, "1.18264581564861e17"},
      {"1000C500", "1000", "500", 0, "2.70288240945437e299"},
      {"3C4", "3", "4", 16, "err16"},
  };
  RunCases(ncr, std::size(ncr), [](BcdWork *w, const char *b) {
    const BcdWork y = WorkFromText(b);
    return BcdNcr(w, &y);
  });
  const Case fact[] = {
      {"0!", "0", nullptr, 0, "1"},
      {"10!", "10", nullptr, 0, "3.6288e6"},
      {"69!", "69", nullptr, 0, "1.71122452428141e98"},
      {"70! overflows the stored range", "70", nullptr, 0, "err3"},
      {"-1! (16 packs to Ma ERROR)", "-1", nullptr, 16, "err3"},
      {"2.5!", "2.5", nullptr, 16, "err3"},
      {"huge", "9999999999", nullptr, 0, "err3"},
  };
  RunCases(fact, std::size(fact), [](BcdWork *w, const char *) { return BcdFactorial(w); }, true);
}

TEST(SpecialKinds, PropagateThroughChainsToMaError) {
  // An overflowing quotient inside the remainder operation stops it.
  BcdWork a = WorkFromText("9e22"), b = WorkFromText("1e-999");
  BcdMod(&a, &b);
  EXPECT_EQ(Packed(a), "err3");
  // exp10s of a large argument: 10^x overflows and the subtraction keeps it.
  a = WorkFromText("5000");
  BcdExp10s(&a);
  EXPECT_EQ(WorkToText(a), "inf");
  EXPECT_EQ(Packed(a), "err3");
  // Division by zero inside the angle of a point stays UNDEF-free: the axes
  // are decided first.
  BcdWork x = WorkFromText("0"), y = WorkFromText("2");
  EXPECT_EQ(BcdAtan2(&x, &y, 0), 0);
  EXPECT_EQ(WorkToText(x), "9e1");
}

}  // namespace
