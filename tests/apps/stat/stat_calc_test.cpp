// The statistics calculations on lists of main memory: the single- and
// paired-variable results, the regressions with their fit measures as the
// result list holds them (values computed independently with mpmath), the
// residual list, the failures that leave no result, and the value lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "tests/apps/finance/fin_test_util.h"

namespace {

using fintest::D;
using fintest::Near;
using fintest::SetList;

std::vector<std::string> Seq(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(std::to_string(i));
  return v;
}

class StatCalc : public fintest::Memory {
 protected:
  // Value `code` of the last result: the real, NaN when it holds an error,
  // and a failure when it is not available.
  static double Val(int code) {
    Value v{};
    if (StatCalcValue(code, &v) < 0) {
      ADD_FAILURE() << "value " << code << " not available";
      return -1e300;
    }
    return D(v.re);
  }
  static u8 ErrorOf(int code) {
    Value v{};
    return StatCalcValue(code, &v) < 0 ? 255 : RealErrorCode(&v.re);
  }
  static bool Available(int code) {
    Value v{};
    return StatCalcValue(code, &v) >= 0;
  }
};

TEST_F(StatCalc, OneVariableWithAndWithoutFrequencies) {
  SetList(1, {"2", "4", "4", "4", "5", "5", "7", "9"});
  ASSERT_EQ(StatOneVarRun(1, 0), 0u);
  const struct {
    int code;
    double want;
  } plain[] = {{kValN, 8},      {kValMeanX, 5}, {kValSumX, 40}, {kValSumX2, 232}, {kValSdnX, 2},
               {kValSdn1X, 2.1380899352994}, {kValMinX, 2}, {kValMaxX, 9}, {kValQ1, 4}, {kValMed, 4.5},
               {kValQ3, 6},     {kValModF, 3}};
  for (const auto &c : plain) EXPECT_NEAR(Val(c.code), c.want, 1e-13 * (1 + c.want)) << c.code;
  ASSERT_EQ(StatResultListSize(), 1);
  Value mode;
  ASSERT_EQ(StatResultListValue(1, &mode), 0);
  EXPECT_EQ(D(mode.re), 4);

  SetList(1, {"1", "2", "3", "4", "5"});
  SetList(2, {"2", "3", "1", "0", "4"});
  ASSERT_EQ(StatOneVarRun(1, 2), 0u);
  EXPECT_EQ(Val(kValN), 10);
  EXPECT_NEAR(Val(kValMeanX), 3.1, 1e-14);
  EXPECT_NEAR(Val(kValSdnX), 1.64012194668567, 1e-13);
  EXPECT_EQ(Val(kValQ1), 2);
  EXPECT_EQ(Val(kValMed), 2.5);
  EXPECT_EQ(Val(kValQ3), 5);
  ASSERT_EQ(StatResultListSize(), 1);
  ASSERT_EQ(StatResultListValue(1, &mode), 0);
  EXPECT_EQ(D(mode.re), 5);
  // Every frequency 0: Ma ERROR, and no result is left behind.
  SetList(2, {"0", "0", "0", "0", "0"});
  EXPECT_EQ(StatOneVarRun(1, 2), 3u);
  EXPECT_FALSE(Available(kValMeanX));
  EXPECT_EQ(StatResultListSize(), 0);
}

// The sorted path of the plain data orders signs, exponents, zero and
// fractions exactly as the general path of weighted data does.
TEST_F(StatCalc, OneVariableOrdersEveryKindOfNumberAlike) {
  const std::vector<std::string> data = {"3", "-2", "1E-5", "-100000", "0", "-0.5", "1E-5", "2.5E20", "-2E-30", "3"};
  SetList(1, data);
  // One third as an exact fraction.
  Value third{};
  NumParse("1\xBB" "3", &third.re);
  ASSERT_EQ(ItemListSet(0, 1, 0, &third), 0u);
  std::vector<std::string> ones(data.size() + 1, "1");
  SetList(2, ones);
  double plain[13], weighted[13];
  ASSERT_EQ(StatOneVarRun(1, 0), 0u);
  for (int c = 1; c <= 12; ++c) plain[c] = Val(c <= 8 ? c : c + 15);
  const int plainModes = StatResultListSize();
  ASSERT_EQ(StatOneVarRun(1, 2), 0u);
  for (int c = 1; c <= 12; ++c) weighted[c] = Val(c <= 8 ? c : c + 15);
  for (int c = 1; c <= 12; ++c) EXPECT_EQ(plain[c], weighted[c]) << "value " << (c <= 8 ? c : c + 15);
  EXPECT_EQ(plainModes, StatResultListSize());
  EXPECT_EQ(plain[7], -100000);
  EXPECT_EQ(plain[8], 2.5e20);
}

TEST_F(StatCalc, TwoVariableKeepsSumOfProductsAsElementNine) {
  SetList(1, Seq(1, 5));
  SetList(2, {"2", "4", "5", "4", "5"});
  ASSERT_EQ(StatTwoVarRun(1, 2, 0), 0u);
  EXPECT_NEAR(Val(kValSdnY), 1.09544511501033, 1e-13);
  EXPECT_EQ(Val(kValSumXY), 66);
  EXPECT_EQ(Val(kValMeanY), 4);
  EXPECT_EQ(Val(kValMaxY), 5);
  Value e9;
  ASSERT_EQ(ItemListGet(kStatResultFile, 0, 9, &e9), 0u);
  EXPECT_EQ(D(e9.re), 66);
  EXPECT_FALSE(Available(kValA));
  SetList(3, {"0", "0", "0", "0", "0"});
  EXPECT_EQ(StatTwoVarRun(1, 2, 3), 3u);
  SetList(2, {"1", "2"});
  EXPECT_EQ(StatTwoVarRun(1, 2, 0), 9u);
}

// The regressions against the table of values computed at 30 digits
// (x = 1..n), as the result list keeps them.
TEST_F(StatCalc, RegressionsAgreeWithIndependentValues) {
  SetupSetItem(kSetupAngle, 1);
  struct Case {
    int type;
    std::vector<std::string> y, f;
    std::vector<std::pair<int, double>> want;
    double rel;
  } cases[] = {
      {kStatLinear, {"2", "4", "5", "4", "5"}, {}, {{kValA, 0.6}, {kValB, 2.2}, {kValR, 0.774596669241483}, {kValMSe, 0.8}}, 1e-12},
      {kStatLinear, {"3", "5", "7", "10"}, {"1", "2", "1", "1"}, {{kValA, 30.0 / 13}, {kValB, 6.0 / 13}, {kValMSe, 4.0 / 39}}, 1e-12},
      {kStatQuad, {"1", "4", "8", "17", "24", "37"}, {}, {{kValA, 31.0 / 28}, {kValB, -89.0 / 140}, {kValC, 0.6}, {kValR2, 0.99642411430609}}, 1e-12},
      {kStatCubic, {"2", "3", "7", "15", "30", "52", "80"}, {}, {{kValA, 1.0 / 6}, {kValD, 4.42857142857143}, {kValMSe, 0.365079365079365}}, 1e-12},
      {kStatQuart, {"3", "1", "4", "1", "5", "9", "2", "6"}, {}, {{kValE, 11.3392857142857}, {kValMSe, 11.5528499278499}}, 1e-12},
      {kStatLog, {"2.1", "3.5", "4.2", "4.9", "5.3", "5.6"}, {}, {{kValA, 2.10631351826963}, {kValB, 1.97015108143622}}, 1e-12},
      {kStatExp, {"3", "7", "12", "25", "50"}, {}, {{kValA, 1.58745078663875}, {kValB, 0.689978710933296}}, 1e-12},
      {kStatPower, {"2.1", "8.3", "17.9", "32.5", "50.2"}, {}, {{kValA, 2.09906701759733}, {kValMSe, 0.00020555170219817}}, 1e-12},
      {kStatMedMed, {"1", "3", "2", "5", "4", "7", "8", "7", "10", "9"}, {}, {{kValA, 1}, {kValB, 1.0 / 6}}, 1e-12},
      {kStatSin, {"58", "62", "70", "77", "83", "85", "83", "77", "70", "62", "58", "56"}, {},
       {{kValA, 14.3423}, {kValB, 0.543651}, {kValC, -1.69163}, {kValD, 70.5981}, {kValMSe, 0.131633}}, 5e-6},
      {kStatLogistic, {"4", "7", "12", "21", "33", "46", "57", "64", "68", "70"}, {},
       {{kValA, 42.5068}, {kValB, 0.716387}, {kValC, 72.6051}}, 5e-6},
  };
  for (const Case &c : cases) {
    SetList(1, Seq(1, static_cast<int>(c.y.size())));
    SetList(2, c.y);
    if (!c.f.empty()) SetList(3, c.f);
    ASSERT_EQ(StatRegression(0, 0, c.type, 1, 2, c.f.empty() ? 0 : 3), 0u) << c.type;
    for (const auto &[code, want] : c.want) EXPECT_NEAR(Val(code), want, c.rel * std::max(1.0, std::fabs(want))) << c.type << " value " << code;
    // A regression keeps no single-variable values.
    EXPECT_FALSE(Available(kValMeanX)) << c.type;
  }
  // Med-Med keeps a tie of x in the left group.
  SetList(1, {"1", "2", "2", "2", "3", "4", "5", "6", "7"});
  SetList(2, {"2", "3", "5", "4", "6", "7", "9", "8", "10"});
  ASSERT_EQ(StatRegression(0, 0, kStatMedMed, 1, 2, 0), 0u);
  EXPECT_NEAR(Val(kValA), 1.375, 1e-14);
  EXPECT_NEAR(Val(kValB), 1.0625, 1e-14);
}

TEST_F(StatCalc, RegressionFailuresLeaveNoResult) {
  const struct {
    int type;
    std::vector<std::string> x, y, f;
    u32 want;
  } cases[] = {
      {kStatQuad, {"1", "2"}, {"1", "4"}, {}, 3},
      {kStatExp, {"1", "2", "3"}, {"1", "0", "3"}, {}, 3},
      {kStatMedMed, {"1", "2", "3"}, {"1", "5", "3"}, {"1", "2.5", "1"}, 3},
      {kStatSin, {"1", "2", "2", "3"}, {"1", "2", "3", "4"}, {}, 3},
      {kStatLogistic, {"1", "1", "2"}, {"1", "2", "3"}, {}, 3},
      {kStatLinear, {"1", "2", "3"}, {"1", "2"}, {}, 9},
      {kStatLinear, {"1", "2", "3"}, {"1", "2", "4"}, {"1", "-1", "1"}, 3},
  };
  for (const auto &c : cases) {
    SetList(1, c.x);
    SetList(2, c.y);
    if (!c.f.empty()) SetList(3, c.f);
    SetList(4, {"1", "2", "3"});
    ASSERT_EQ(StatOneVarRun(4, 0), 0u);
    EXPECT_EQ(StatRegression(0, 0, c.type, 1, 2, c.f.empty() ? 0 : 3), c.want) << c.type;
    EXPECT_FALSE(Available(kValA)) << c.type;
    EXPECT_FALSE(Available(kValMeanX)) << c.type;
  }
  // Two points: r is ±1 and MSe, with no freedom left, is Ma ERROR.
  SetList(1, {"1", "2"});
  SetList(2, {"5", "3"});
  ASSERT_EQ(StatRegression(0, 0, kStatLinear, 1, 2, 0), 0u);
  EXPECT_EQ(Val(kValR), -1);
  EXPECT_EQ(ErrorOf(kValMSe), 3);
}

TEST_F(StatCalc, FitMeasuresByListNumbers) {
  SetList(1, Seq(1, 4));
  SetList(2, {"1", "4", "9", "16"});
  ASSERT_EQ(StatRegression(0, 0, kStatQuad, 1, 2, 0), 0u);
  BcdReal mse, r2;
  ASSERT_EQ(RegFitMeasures(kStatQuad, 1, 2, 0, &mse, &r2), 0);
  EXPECT_EQ(D(mse), 0);
  EXPECT_EQ(D(r2), 1);
  // A negative frequency makes both measures Ma ERROR.
  SetList(3, {"1", "-1", "1", "1"});
  ASSERT_EQ(RegFitMeasures(kStatQuad, 1, 2, 3, &mse, &r2), 0);
  EXPECT_EQ(RealErrorCode(&mse), 3);
  EXPECT_EQ(RealErrorCode(&r2), 3);
  // An empty y list: 9; a list that cannot be opened: Ma ERROR in both.
  EXPECT_EQ(RegFitMeasures(kStatQuad, 1, 9, 0, &mse, &r2), 9);
  SetList(5, {"1", "2", "3", "4"});
  ASSERT_EQ(RegFitMeasures(kStatQuad, 7, 5, 0, &mse, &r2), 0);
  EXPECT_EQ(RealErrorCode(&mse), 3);
  EXPECT_EQ(RealErrorCode(&r2), 3);
}

TEST_F(StatCalc, ResidualsGoToTheResidList) {
  SetList(1, Seq(1, 5));
  SetList(2, {"2", "4", "5", "4", "5"});
  SetupSetItem(kSetupResidList, 3);
  ASSERT_EQ(StatRegression(0, 0, kStatLinear, 1, 2, 0), 0u);
  const double want[] = {-0.8, 0.6, 1, -0.6, -0.2};
  ASSERT_EQ(ItemListSize(0, 3), 5u);
  for (u32 i = 1; i <= 5; ++i) {
    Value v;
    ASSERT_EQ(ItemListGet(0, 3, i, &v), 0u);
    EXPECT_NEAR(D(v.re), want[i - 1], 1e-14) << i;
  }
  // An x whose model value is an error (ln 0) ends the step with its code.
  SetList(1, {"0", "1", "2"});
  SetList(2, {"1", "2", "3"});
  SetList(4, {"1", "2", "3"});
  ASSERT_EQ(StatRegression(0, 0, kStatLog, 4, 2, 0), 0u);
  Value coef[8] = {};
  StatCalcValue(kValA, &coef[0]);
  StatCalcValue(kValB, &coef[1]);
  EXPECT_EQ(StatWriteResiduals(1, 2, kStatLog, coef), 3u);
}

// Start and Width come from G_CND whether or not a result exists.
TEST_F(StatCalc, ValueLookupByTypeAndCode) {
  EXPECT_EQ(StatResultIndex(kStatLinear, kValMSe), 5);
  EXPECT_EQ(StatResultIndex(kStatQuart, kValR2), 6);
  EXPECT_EQ(StatResultIndex(kStatTwoVar, kValSumXY), 9);
  EXPECT_EQ(StatResultIndex(kStatTwoVar, kValQ1), 0);
  EXPECT_EQ(StatResultIndex(kStatMedMed, 35), 8);
  Value v;
  EXPECT_EQ(StatCalcValue(0, &v), -2);
  EXPECT_EQ(StatCalcValue(kValHStart, &v), -2);
  ASSERT_EQ(StatResetGraphCond(), 0);
  EXPECT_EQ(StatCalcValue(kValHWidth, &v), -1);
  EXPECT_EQ(D(v.re), 1);
  const BcdReal bad = fintest::R("0"), start = fintest::R("9.99999999999999E97");
  EXPECT_EQ(StatWriteHistParams(&start, &bad), 28);
  EXPECT_EQ(StatCalcValue(kValHStart, &v), -1);
  EXPECT_EQ(D(v.re), 9.99999999999999e97);
  EXPECT_EQ(StatCalcValue(kValHWidth, &v), -1);
  EXPECT_EQ(D(v.re), 1);
  const BcdReal big = fintest::R("1E98");
  EXPECT_EQ(StatWriteHistParams(&big, &bad), 28);
  u16 blocks[kStatGraphWords];
  ASSERT_EQ(StatReadGraphCond(blocks), 0);
  EXPECT_EQ(blocks[7], 1);
  EXPECT_EQ(blocks[14], 0);
}

}  // namespace
