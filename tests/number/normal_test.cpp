// Normal probabilities against references made outside this code
// (tools/gen_normal.py, mpmath), the cases a user checks by hand, and the
// estimates and the variate with their errors.
#include "number/normal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "number/numparse.h"
#include "number/value.h"
#include "tests/number/work_text.h"

namespace {

BcdReal R(const char *text) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  NumParse(text, &r);
  return r;
}

std::string Text(const BcdReal &r) {
  if (RealErrorCode(&r)) return "err" + std::to_string(RealErrorCode(&r));
  BcdWork w;
  RealUnpack(&r, &w);
  return numtest::WorkToText(w);
}

std::string Apply(int (*fn)(BcdReal *), const char *x, int *ret = nullptr) {
  BcdReal r = R(x);
  const int got = fn(&r);
  if (ret) *ret = got;
  return Text(r);
}

TEST(NormalProbability, CasesWorkedByHand) {
  struct C {
    int (*fn)(BcdReal *);
    const char *x, *out;
  } cases[] = {
      {RealNormalP, "0", "5e-1"},        {RealNormalQ, "0", "0"},
      {RealNormalR, "0", "5e-1"},        {RealNormalP, "1.96", "9.75e-1"},
      {RealNormalR, "1.96", "2.4998e-2"}, {RealNormalP, "-1.96", "2.4998e-2"},
      {RealNormalQ, "-1.96", "4.75e-1"}, {RealNormalR, "1000", "0"},
      {RealNormalR, "5000", "0"},        {RealNormalP, "-1000", "0"},
      {RealNormalP, "1000", "1"},        {RealNormalR, "-1000", "1"},
      {RealNormalQ, "1000", "5e-1"},
  };
  for (const C &c : cases) {
    int ret = 0;
    EXPECT_EQ(Apply(c.fn, c.x, &ret), c.out) << c.x;
    // A probability far out is still a result, not a failure.
    EXPECT_EQ(ret, 1) << c.x;
  }
}

TEST(NormalProbability, ErrorArgumentGivesMaError) {
  for (int (*fn)(BcdReal *) : {RealNormalP, RealNormalQ, RealNormalR, RealNormalUpperTail}) {
    BcdReal x;
    RealMakeError(17, &x);
    EXPECT_EQ(fn(&x), 0);
    EXPECT_EQ(RealErrorCode(&x), 3);
  }
}

TEST(NormalProbability, AgreesWithReferenceWithinThePolynomialsError) {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind('/')) + "/../data/normal_ref.txt";
  std::ifstream in(path);
  ASSERT_TRUE(in.good()) << path;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string x;
    double ref[3];
    s >> x >> ref[0] >> ref[1] >> ref[2];
    int (*fns[3])(BcdReal *) = {RealNormalP, RealNormalQ, RealNormalR};
    for (int k = 0; k < 3; ++k) {
      const std::string got = Apply(fns[k], x.c_str());
      ASSERT_NE(got.substr(0, 3), "err") << x;
      const double v = std::stod(got);
      // Five significant digits of the result: half a unit of the fifth.
      const double half = ref[k] == 0 ? 0 : 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(v ? v : ref[k]))) - 4);
      EXPECT_LE(std::fabs(v - ref[k]), 7.5e-8 + half * 1.0000001) << "fn " << k << " x " << x << " got " << got;
      // Fewer than six significant digits are kept.
      const std::string mant = got.substr(0, got.find('e'));
      EXPECT_LE(mant.size(), mant[0] == '-' ? 7u : 6u) << got;
    }
    ++n;
  }
  EXPECT_GT(n, 100);
}

TEST(Estimates, EachRegressionKindInvertsItsModel) {
  struct C {
    u32 kind;
    const char *a, *b, *x, *y;
  } cases[] = {
      {kNumStatLinear, "2", "1", "3", "7"},
      {kNumStatLog, "1", "2", "2.71828182845904", "3"},
      {kNumStatExp, "2", "0.5", "2", "5.4365636569181"},  // 2 x e rounded
      {kNumStatPower, "3", "2", "4", "48"},
  };
  for (const C &c : cases) {
    const BcdReal a = R(c.a), b = R(c.b);
    BcdReal v = R(c.x);
    EXPECT_EQ(NumEstimateY(c.kind, &a, &b, &v), 1);
    EXPECT_EQ(Text(v), Text(R(c.y))) << "y-hat kind " << c.kind;
    if (c.kind == kNumStatLog) continue;  // e^1 comes back as e rounded, not as x
    v = R(c.y);
    EXPECT_EQ(NumEstimateX(c.kind, &a, &b, &v), 1);
    EXPECT_EQ(Text(v), Text(R(c.x))) << "x-hat kind " << c.kind;
  }
}

TEST(Estimates, WrongKindOrFailedArithmeticGivesTheError) {
  const BcdReal a = R("2"), b = R("0"), zero = R("0");
  BcdReal v = R("7");
  EXPECT_EQ(NumEstimateX(kNumStatOneVar, &a, &b, &v), 0);
  EXPECT_EQ(RealErrorCode(&v), 4);
  v = R("7");
  EXPECT_EQ(NumNormVariate(kNumStatLinear, &a, &a, &v), 0);  // t( after a regression
  EXPECT_EQ(RealErrorCode(&v), 4);
  v = R("7");
  EXPECT_EQ(NumEstimateX(kNumStatLog, &a, &b, &v), 0);  // division by b = 0
  EXPECT_NE(RealErrorCode(&v), 0);
  v = R("-1");
  EXPECT_EQ(NumEstimateY(kNumStatLog, &a, &a, &v), 0);  // ln of a negative x
  EXPECT_NE(RealErrorCode(&v), 0);
  v = R("5");
  EXPECT_EQ(NumNormVariate(kNumStatOneVar, &a, &zero, &v), 0);  // deviation 0
  EXPECT_NE(RealErrorCode(&v), 0);
  v = R("5");
  const BcdReal mean = R("3"), sigma = R("4");
  EXPECT_EQ(NumNormVariate(kNumStatOneVar, &mean, &sigma, &v), 1);
  EXPECT_EQ(Text(v), "5e-1");
}

TEST(Estimates, NoStatisticsYetIsMemoryError) {
  for (int (*fn)(BcdReal *) : {RealNormVariate, RealEstimateX, RealEstimateY}) {
    BcdReal v = R("1");
    EXPECT_EQ(fn(&v), 0);
    EXPECT_EQ(RealErrorCode(&v), 4);
  }
}

TEST(NormalValues, ScalarsInPlaceComplexRefused) {
  Value v;
  std::memset(&v, 0, sizeof v);
  v.re = R("1.96");
  EXPECT_EQ(ValNormalR(&v), 1);
  EXPECT_EQ(Text(v.re), "2.4998e-2");
  Value c;
  std::memset(&c, 0, sizeof c);
  ValFromParts(&v.re, &v.re, &c);
  int (*const fns[])(Value *) = {ValNormalP, ValNormalQ, ValNormalR, ValNormVariate, ValEstimateX, ValEstimateY};
  for (auto fn : fns) {
    Value z = c;
    EXPECT_EQ(fn(&z), 0);
    EXPECT_EQ(ValErrorCode(&z), 3);
  }
}

}  // namespace
