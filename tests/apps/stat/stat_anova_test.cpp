// ANOVA tables, the F critical values and the list mode of the discrete
// distributions against values computed outside this code.
#include <gtest/gtest.h>

#include <cmath>

#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_fcrit.h"
#include "tests/apps/stat/stat_test_util.h"

namespace {

using namespace stattest;
constexpr double kTol = 1e-11;

using StatAnova = Memory;

TEST_F(StatAnova, OneWayTable) {
  SetList(3, {"1", "1", "1", "2", "2", "2", "3", "3", "3", "3"});
  SetList(4, {"4", "5", "6", "7", "8", "6", "9", "10", "11", "12"});
  StatAnova1Rec r{};
  r.factorList = 3, r.dependentList = 4;
  ASSERT_EQ(StatAnova1(0, &r), 0u);
  EXPECT_EQ(D(r.a.df), 2);
  EXPECT_TRUE(Near(r.a.ss, Ref("anova1.ssa"), kTol));
  EXPECT_TRUE(Near(r.a.f, Ref("anova1.f"), kTol));
  EXPECT_TRUE(Near(r.a.p, Ref("anova1.p"), kTol));
  EXPECT_EQ(D(r.err.df), 7);
  EXPECT_TRUE(Near(r.err.ss, Ref("anova1.sse"), kTol));
}

TEST_F(StatAnova, TwoWayTablesBalancedUnbalancedAndSingle) {
  SetList(3, {"1", "1", "1", "1", "1", "1", "2", "2", "2", "2", "2", "2"});
  SetList(4, {"1", "1", "2", "2", "3", "3", "1", "1", "2", "2", "3", "3"});
  SetList(5, {"12", "14", "15", "17", "11", "10", "16", "18", "20", "19", "13", "15"});
  StatAnova2Rec r{};
  r.factorAList = 3, r.factorBList = 4, r.dependentList = 5;
  ASSERT_EQ(StatAnova2(0, &r), 0u);
  EXPECT_EQ(r.single, 0u);
  EXPECT_TRUE(Near(r.a.p, Ref("anova2.ap"), kTol));
  EXPECT_TRUE(Near(r.b.p, Ref("anova2.bp"), kTol));
  EXPECT_TRUE(Near(r.ab.p, Ref("anova2.abp"), 1e-10));
  EXPECT_TRUE(Near(r.a.ss, Ref("anova2.ass"), kTol));
  EXPECT_EQ(D(r.err.df), 6);
  EXPECT_TRUE(Near(r.err.ss, Ref("anova2.err"), kTol));

  // One more observation in cell (1, 1): the sums of squares of the
  // unbalanced design.
  SetList(3, {"1", "1", "1", "1", "1", "1", "2", "2", "2", "2", "2", "2", "1"});
  SetList(4, {"1", "1", "2", "2", "3", "3", "1", "1", "2", "2", "3", "3", "1"});
  SetList(5, {"12", "14", "15", "17", "11", "10", "16", "18", "20", "19", "13", "15", "13"});
  ASSERT_EQ(StatAnova2(0, &r), 0u);
  for (const char *k : {"ass", "bss", "abss", "err", "ap", "bp"}) {
    const std::string key = std::string("anova2u.") + k;
    const BcdReal &got = std::string(k) == "ass"    ? r.a.ss
                         : std::string(k) == "bss"  ? r.b.ss
                         : std::string(k) == "abss" ? r.ab.ss
                         : std::string(k) == "err"  ? r.err.ss
                         : std::string(k) == "ap"   ? r.a.p
                                                    : r.b.p;
    EXPECT_TRUE(Near(got, Ref(key), 1e-10)) << k;
  }

  // One observation per cell: no AB row, the error row takes its place.
  SetList(3, {"1", "1", "2", "2", "3", "3"});
  SetList(4, {"1", "2", "1", "2", "1", "2"});
  SetList(5, {"5", "7", "6", "9", "8", "12"});
  ASSERT_EQ(StatAnova2(0, &r), 0u);
  EXPECT_EQ(r.single, 1u);
  EXPECT_TRUE(Near(r.a.ss, Ref("anova2s.ass"), kTol));
  EXPECT_TRUE(Near(r.a.p, Ref("anova2s.ap"), kTol));
  EXPECT_TRUE(Near(r.b.p, Ref("anova2s.bp"), kTol));
  EXPECT_EQ(D(r.err.df), 2);
  EXPECT_TRUE(Near(r.err.ss, Ref("anova2s.err"), kTol));
}

TEST_F(StatAnova, LevelsByValueAndTheCellMeans) {
  // A given as 3, 1, 2: row 1 of the table belongs to A = 1.
  SetList(3, {"3", "3", "1", "1", "2", "2", "3", "1", "2", "3", "1", "2"});
  SetList(4, {"1", "2", "1", "2", "1", "2", "1", "2", "1", "2", "1", "2"});
  SetList(5, {"30", "31", "10", "11", "20", "21", "32", "13", "22", "33", "12", "23"});
  StatAnova2Rec r{};
  r.factorAList = 3, r.factorBList = 4, r.dependentList = 5;
  ASSERT_EQ(StatAnovaCellMeans(0, &r), 0u);
  const double want[3][2] = {{11, 12}, {21, 22}, {31, 32}};
  for (u32 i = 0; i < 3; ++i)
    for (u32 j = 0; j < 2; ++j) {
      Value v{};
      ASSERT_EQ(ItemMatGet(0, i + 1, j + 1, &v), 0u);
      EXPECT_TRUE(Near(v.re, want[i][j], 1e-14)) << i << j;
    }
}

TEST_F(StatAnova, RefusalsOfBothTables) {
  StatAnova1Rec one{};
  one.factorList = 3, one.dependentList = 4;
  // Two levels of one observation each: no error degrees of freedom.
  SetList(3, {"1", "2"});
  SetList(4, {"5", "6"});
  EXPECT_EQ(StatAnova1(0, &one), 3u);
  // One level: no factor degrees of freedom.
  SetList(3, {"1", "1", "1"});
  SetList(4, {"5", "6", "7"});
  EXPECT_EQ(StatAnova1(0, &one), 3u);
  // All y equal: both mean squares 0.
  SetList(3, {"1", "1", "2", "2"});
  SetList(4, {"5", "5", "5", "5"});
  EXPECT_EQ(StatAnova1(0, &one), 3u);
  SetList(4, {"5", "5", "5"});
  EXPECT_EQ(StatAnova1(0, &one), 9u);

  StatAnova2Rec two{};
  two.factorAList = 3, two.factorBList = 4, two.dependentList = 5;
  // Cell (2, 2) has no observation.
  SetList(3, {"1", "1", "2", "2", "1"});
  SetList(4, {"1", "2", "1", "1", "2"});
  SetList(5, {"1", "2", "3", "4", "5"});
  EXPECT_EQ(StatAnova2(0, &two), 9u);
  // B of one level.
  SetList(4, {"1", "1", "1", "1", "1"});
  EXPECT_EQ(StatAnova2(0, &two), 3u);
  // More observations than the design holds.
  std::vector<std::string> a, b, y;
  for (int i = 0; i < 257; ++i) {
    a.push_back(std::to_string(i % 2));
    b.push_back(std::to_string(i % 3));
    y.push_back(std::to_string(i));
  }
  SetList(3, a);
  SetList(4, b);
  SetList(5, y);
  EXPECT_EQ(StatAnova2(0, &two), 9u);
  a.pop_back(), b.pop_back(), y.pop_back();
  SetList(3, a);
  SetList(4, b);
  SetList(5, y);
  EXPECT_EQ(StatAnova2(0, &two), 0u);
}

TEST_F(StatAnova, OneWayTakesNineHundredNinetyNineRows) {
  std::vector<std::string> a, y;
  for (int i = 0; i < 999; ++i) {
    a.push_back(std::to_string(i % 7));
    y.push_back(std::to_string((i * 37) % 101));
  }
  SetList(3, a);
  SetList(4, y);
  StatAnova1Rec r{};
  r.factorList = 3, r.dependentList = 4;
  ASSERT_EQ(StatAnova1(0, &r), 0u);
  EXPECT_EQ(D(r.a.df), 6);
  EXPECT_EQ(D(r.err.df), 992);
}

TEST(StatFCrit, BisectionApproximationAndEnds) {
  BcdReal pair[2];
  auto crit = [&](const char *n1, const char *n2, const char *alpha) {
    const BcdReal a = R(n1), b = R(n2), c = R(alpha);
    return StatFCritPair(&a, &b, &c, pair);
  };
  ASSERT_EQ(crit("11", "16", "0.05"), 0u);
  // The bisection stops at a change of the point d/(d + nF) of 1E-6.
  auto point = [](double f, double n, double d) { return d / (d + n * f); };
  EXPECT_NEAR(point(D(pair[0]), 10, 15), point(Ref("fcrit.11.16.lo"), 10, 15), 1e-6);
  EXPECT_NEAR(point(D(pair[1]), 10, 15), point(Ref("fcrit.11.16.up"), 10, 15), 1e-6);
  // One degree of freedom each: the arc-tangent start.
  ASSERT_EQ(crit("2", "2", "0.05"), 0u);
  EXPECT_NEAR(point(D(pair[0]), 1, 1), point(Ref("fcrit.2.2.lo"), 1, 1), 1e-6);
  EXPECT_NEAR(point(D(pair[1]), 1, 1), point(Ref("fcrit.2.2.up"), 1, 1), 1e-6);
  // Above 30 degrees of freedom: the approximation, to its own digits.
  ASSERT_EQ(crit("40", "35", "0.05"), 0u);
  EXPECT_TRUE(Near(pair[0], Ref("fcrit.40.35.lo"), 1e-10));
  EXPECT_TRUE(Near(pair[1], Ref("fcrit.40.35.up"), 1e-10));
  // alpha 0: the pair (0, 1E99).
  ASSERT_EQ(crit("5", "7", "0"), 0u);
  EXPECT_EQ(D(pair[0]), 0);
  EXPECT_EQ(D(pair[1]), 1e99);
}

using StatListMode = Memory;

TEST_F(StatListMode, DiscreteKernelsFillListAns) {
  SetList(3, {"0", "1", "2", "3", "4"});
  StatBinomRec b{};
  b.list = 3, b.n = R("4"), b.p = R("0.5");
  ASSERT_EQ(StatBinomPd(1, &b), 0u);
  ASSERT_EQ(ItemListSize(0, 0), 5u);
  const double want[5] = {1 / 16.0, 4 / 16.0, 6 / 16.0, 4 / 16.0, 1 / 16.0};
  for (u32 i = 0; i < 5; ++i) EXPECT_NEAR(ListAt(0, i + 1), want[i], 1e-12 * want[i]);

  // List Ans as the data list: read before it is replaced.
  StatGeoRec g{};
  g.list = 0, g.p = R("0.5");
  SetList(0, {"1", "2", "3"});
  ASSERT_EQ(StatGeoCd(1, &g), 0u);
  EXPECT_NEAR(ListAt(0, 3), 0.875, 1e-14);
}

TEST_F(StatListMode, BadParametersLeaveListAnsAlone) {
  SetList(0, {"42"});
  SetList(3, {"1", "2"});
  StatBinomRec b{};
  b.list = 3, b.n = R("4"), b.p = R("1.5");
  EXPECT_EQ(StatBinomCd(1, &b), 3u);
  StatPoissonRec p{};
  p.list = 3, p.mu = R("-1");
  EXPECT_EQ(StatPoissonPd(1, &p), 3u);
  EXPECT_EQ(StatPoissonCd(1, &p), 3u);
  EXPECT_EQ(ListAt(0, 1), 42);
  // An empty list and a list number that names none.
  p.mu = R("2"), p.list = 9;
  EXPECT_EQ(StatPoissonPd(1, &p), 9u);
  p.list = 30;
  EXPECT_EQ(StatPoissonPd(1, &p), 23u);
  EXPECT_EQ(ListAt(0, 1), 42);
  // A bad element ends the run; what came before it stays.
  SetList(3, {"1", "2.5", "3"});
  EXPECT_EQ(StatPoissonPd(1, &p), 23u);
  p.list = 3;
  EXPECT_EQ(StatPoissonPd(1, &p), 3u);
  EXPECT_NEAR(ListAt(0, 1), 2 * std::exp(-2.0), 1e-14);
}

}  // namespace
