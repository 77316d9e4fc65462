#include "number/cplx.h"

#include <gtest/gtest.h>

#include <string>

#include "number/bcd.h"
#include "number/realop.h"
#include "numparse_testutil.h"

using numtest::R;
using numtest::Show;

namespace {

CplxPair P(const char *re, const char *im) { return CplxPair{R(re), R(im)}; }

std::string ShowP(const CplxPair &p) { return "(" + Show(p.re) + "," + Show(p.im) + ")"; }

using Fn2 = CplxPair *(*)(const CplxPair *, const CplxPair *, CplxPair *);
using Fn1 = CplxPair *(*)(const CplxPair *, CplxPair *);

TEST(CplxBinary, ExactResults) {
  struct Case {
    Fn2 fn;
    CplxPair a, b;
    const char *want;
  } cases[] = {
      {CplxAdd, P("2", "3"), P("1", "-3"), "(3,0)"},
      {CplxSub, P("1a2", "1"), P("1a3", "1"), "(1/6,0)"},
      {CplxMul, P("1", "2"), P("3", "-1"), "(5,5)"},
      {CplxMul, P("0", "1"), P("0", "1"), "(-1,0)"},
      {CplxMul, P("1a2", "1a3"), P("2", "3"), "(0,2_1/6)"},
      {CplxDiv, P("1", "2"), P("3", "-1"), "(0.1,0.7)"},
      {CplxDiv, P("1", "1"), P("1", "-1"), "(0,1)"},
      {CplxDiv, P("4", "2"), P("2", "0"), "(2,1)"},
      {CplxDiv, P("4", "2"), P("0", "2"), "(1,-2)"},
      {CplxDiv, P("1", "0"), P("0", "0"), "(E3,E3)"},
      {CplxDivToFrac, P("1", "2"), P("3", "-1"), "(1/10,7/10)"},
      {CplxDivToFrac, P("1", "0"), P("3", "0"), "(1/3,0)"},
      {CplxDivToFrac, P("1", "1"), P("1a2", "1a3"), "(2_4/13,6/13)"},
      {CplxPow, P("0", "1"), P("2", "0"), "(-1,0)"},
      {CplxPow, P("0", "2"), P("3", "0"), "(0,-8)"},
      {CplxPow, P("0", "2"), P("-1", "0"), "(0,-0.5)"},
      {CplxPow, P("0", "1"), P("4", "0"), "(1,0)"},
      {CplxPow, P("0", "0"), P("1", "1"), "(0,0)"},
      {CplxPow, P("0", "0"), P("0", "1"), "(E3,0)"},
      {CplxPow, P("5", "7"), P("0", "0"), "(1,0)"},
      {CplxPow, P("5", "7"), P("1", "0"), "(5,7)"},
  };
  for (const auto &c : cases) {
    CplxPair out;
    EXPECT_EQ(ShowP(*c.fn(&c.a, &c.b, &out)), c.want) << ShowP(c.a) << " " << ShowP(c.b);
  }
}

TEST(CplxBinary, DivisionThroughTheWorkingForm) {
  // Non-exact parts go through the extended-form quotient.
  struct Case {
    CplxPair a, b;
    const char *want;
  } cases[] = {
      {P("1.5", "2.5"), P("0.5", "-0.5"), "(-1,4)"},
      {P("1", "0"), P("0.3", "0.4"), "(1.2,-1.6)"},
      {P("1e99", "1e99"), P("1e-99", "1e-99"), "E3"},
      {P("1e-99", "1e-99"), P("1e99", "2e99"), "(0,0)"},
      {P("3e50", "4e50"), P("3e50", "-4e50"), "(-0.28,0.96)"},
      {P("2.2", "0"), P("1.1", "1.1"), "(1,-1)"},
  };
  for (const auto &c : cases) {
    CplxPair out;
    const std::string got = ShowP(*CplxDiv(&c.a, &c.b, &out));
    if (std::string(c.want) == "E3") EXPECT_EQ(got.substr(0, 3), "(E3") << got;
    else EXPECT_EQ(got, c.want) << ShowP(c.a) << " / " << ShowP(c.b);
  }
}

TEST(CplxUnary, ExactResults) {
  struct Case {
    Fn1 fn;
    CplxPair z;
    const char *want;
  } cases[] = {
      {CplxSqrt, P("-4", "0"), "(0,2)"},
      {CplxSqrt, P("4", "0"), "(2,0)"},
      {CplxSqrt, P("0", "2"), "(1,1)"},
      {CplxSqrt, P("0", "-2"), "(1,-1)"},
      {CplxSqrt, P("-3", "-4"), "(1,-2)"},
      {CplxSqrt, P("3", "4"), "(2,1)"},
      {CplxSqrt, P("-3", "4"), "(1,2)"},
      {CplxSqrt, P("1", "1"), "(1.09868411346781,0.455089860562227)"},
      {CplxSqrt, P("-1", "1"), "(0.455089860562227,1.09868411346781)"},
      {CplxSqrt, P("1e99", "1e99"), "(3.47434422760116e49,1.43912049942507e49)"},
      {CplxSqrt, P("1e-99", "-1e-99"), "(3.47434422760116e-50,-1.43912049942507e-50)"},
      {CplxLn, P("-1", "0"), "(0,3.1415926535898)"},
      {CplxLn, P("1", "0"), "(0,0)"},
      {CplxLn, P("0", "1"), "(0,1.5707963267949)"},
      {CplxLn, P("0", "0"), "(E3,0)"},
      {CplxExp, P("0", "0"), "(1,0)"},
      {CplxLog10, P("100", "0"), "(2,0)"},
      {CplxAbs, P("3", "4"), "(5,0)"},
      {CplxAbs, P("-3", "0"), "(3,0)"},
      {CplxAbs, P("0", "-1a2"), "(1/2,0)"},
      {CplxAbs, P("1", "1"), "(1.4142135623731,0)"},
      {CplxNeg, P("1a2", "-2"), "(-1/2,2)"},
      {CplxIntg, P("-1.5", "2.5"), "(-2,2)"},
      {CplxInt, P("-1.5", "2.5"), "(-1,2)"},
      {CplxFrac, P("-1.5", "2.5"), "(-0.5,0.5)"},
  };
  for (const auto &c : cases) {
    CplxPair out;
    EXPECT_EQ(ShowP(*c.fn(&c.z, &out)), c.want) << ShowP(c.z);
  }
}

TEST(CplxUnary, ArgumentRoundingAndShift) {
  CplxPair out;
  const CplxPair m1 = P("-1", "0"), i = P("0", "1"), z = P("1.234", "-5.678");
  EXPECT_EQ(ShowP(*CplxArg(&m1, &out, 0)), "(180,0)");
  EXPECT_EQ(ShowP(*CplxArg(&i, &out, 2)), "(100,0)");
  EXPECT_EQ(ShowP(*CplxRoundDecimals(&z, &out, 1)), "(1.2,-5.7)");
  EXPECT_EQ(ShowP(*CplxRoundDecimals(&z, &out, 11)), "(E8,E8)");
  // sqrt(z^2 + 1) and sqrt(z^2 - 1).
  const CplxPair three = P("3", "0"), i2 = P("0", "2");
  EXPECT_EQ(ShowP(*CplxSqrtOfSquareShift(&three, &out, -1)), "(2.82842712474619,0)");
  EXPECT_EQ(ShowP(*CplxSqrtOfSquareShift(&i2, &out, 1)), "(0,1.73205080756888)");
  EXPECT_EQ(ShowP(*CplxSqrtOfSquareShift(&three, &out, 2)), "(E3,0)");
  // Relations give a real 1 or 0.
  BcdReal r;
  const CplxPair a = P("1", "2"), b = P("1", "2"), c = P("1", "3");
  EXPECT_EQ(Show(*CplxRelEqual(&a, &b, &r)), "1");
  EXPECT_EQ(Show(*CplxRelEqual(&a, &c, &r)), "0");
  EXPECT_EQ(Show(*CplxRelNotEqual(&a, &c, &r)), "1");
  EXPECT_EQ(Show(*CplxRelNotEqual(&a, &b, &r)), "0");
}

TEST(CplxWork, PairRoutines) {
  BcdWork a[2], b[2];
  auto load = [](BcdWork w[2], const char *re, const char *im) {
    const BcdReal x = R(re), y = R(im);
    RealUnpack(&x, &w[0]);
    RealUnpack(&y, &w[1]);
  };
  auto show = [](const BcdWork w[2]) {
    BcdReal x, y;
    RealSetZero(&x);
    RealSetZero(&y);
    RealPack(&w[0], &x);
    RealPack(&w[1], &y);
    return "(" + Show(x) + "," + Show(y) + ")";
  };
  load(a, "1", "2");
  load(b, "3", "-1");
  EXPECT_EQ(BcdCplxMul(a, b), 0);
  EXPECT_EQ(show(a), "(5,5)");
  load(a, "1", "2");
  EXPECT_EQ(BcdCplxDiv(a, b), 0);
  EXPECT_EQ(show(a), "(0.1,0.7)");
  load(a, "3", "4");
  EXPECT_EQ(BcdCplxAbs(a), 0);
  EXPECT_EQ(show(a), "(5,0)");
  load(a, "-4", "0");
  EXPECT_EQ(BcdCplxRoot(a, 1), 17);
  load(a, "-4", "0");
  EXPECT_EQ(BcdCplxRoot(a, 2), 0);
  EXPECT_EQ(show(a), "(0,2)");
  load(a, "2", "1");
  EXPECT_EQ(BcdCplxRoot(a, 1), 17);
  load(a, "9", "0");
  EXPECT_EQ(BcdCplxRoot(a, 1), 0);
  EXPECT_EQ(show(a), "(3,0)");
  // An error part of b is copied into a's real part.
  load(a, "1", "1");
  BcdMakeError(9, &b[1]);
  EXPECT_EQ(BcdCplxDiv(a, b), 9);
  EXPECT_EQ(BcdErrorCode(&a[0]), 9);
}

}  // namespace
