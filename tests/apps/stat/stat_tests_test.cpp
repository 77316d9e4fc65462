// The test and interval kernels on the two reference samples against values
// computed outside this code (tools/gen_stat_test_refs.py, mpmath), their
// refusals, and the data readers under them.
#include <gtest/gtest.h>

#include "apps/stat/stat_data.h"
#include "apps/stat/stat_intervals.h"
#include "apps/stat/stat_tests.h"
#include "memory/item_array.h"
#include "tests/apps/stat/stat_test_util.h"

namespace {

using namespace stattest;
constexpr double kTol = 1e-11;

using StatKernels = Memory;

TEST_F(StatKernels, OneAndTwoSampleZAndTMatchTheReferences) {
  StatOneSampleZRec z1{};
  z1.cond = kStatCondNotEqual, z1.mu0 = R("5"), z1.sigma = R("0.5"), z1.list = 1;
  ASSERT_EQ(StatOneSampleZTest(1, &z1), 0u);
  EXPECT_TRUE(Near(z1.z, Ref("onez.z"), kTol));
  EXPECT_TRUE(Near(z1.p, Ref("onez.p"), kTol));
  EXPECT_TRUE(Near(z1.outMean, Ref("list1.mean"), kTol));
  EXPECT_TRUE(Near(z1.outSx, Ref("list1.sx"), kTol));
  EXPECT_EQ(D(z1.outN), 8);

  StatOneSampleTRec t1{};
  t1.cond = kStatCondGreater, t1.mu0 = R("5"), t1.list = 1;
  ASSERT_EQ(StatOneSampleTTest(1, &t1), 0u);
  EXPECT_TRUE(Near(t1.t, Ref("onet.t"), kTol));
  EXPECT_TRUE(Near(t1.p, Ref("onet.p"), kTol));

  StatTwoSampleZRec z2{};
  z2.cond = kStatCondNotEqual, z2.sigma1 = R("0.5"), z2.sigma2 = R("0.4"), z2.list1 = 1, z2.list2 = 2;
  ASSERT_EQ(StatTwoSampleZTest(1, &z2), 0u);
  EXPECT_TRUE(Near(z2.z, Ref("twoz.z"), kTol));
  EXPECT_TRUE(Near(z2.p, Ref("twoz.p"), kTol));

  StatTwoSampleTRec pooled{};
  pooled.cond = kStatCondNotEqual, pooled.list1 = 1, pooled.list2 = 2, pooled.pooled = 1;
  ASSERT_EQ(StatTwoSampleTTest(1, &pooled), 0u);
  EXPECT_TRUE(Near(pooled.t, Ref("twotp.t"), kTol));
  EXPECT_TRUE(Near(pooled.p, Ref("twotp.p"), kTol));
  EXPECT_TRUE(Near(pooled.sp, Ref("twotp.sp"), kTol));
  EXPECT_EQ(D(pooled.df), 12);

  StatTwoSampleTRec welch{};
  welch.cond = kStatCondGreater, welch.list1 = 1, welch.list2 = 2;
  ASSERT_EQ(StatTwoSampleTTest(1, &welch), 0u);
  EXPECT_TRUE(Near(welch.t, Ref("twotw.t"), kTol));
  EXPECT_TRUE(Near(welch.df, Ref("twotw.df"), kTol));
  EXPECT_TRUE(Near(welch.p, Ref("twotw.p"), 1e-10));
}

TEST_F(StatKernels, VariableModeUsesTheTypedStatistics) {
  // The same 1-Sample Z from typed statistics, and a z of 9 whose p keeps
  // its digits in the one-sample form but is 0 as 1 - P(-9 < Z < 9).
  StatOneSampleZRec z1{};
  z1.cond = kStatCondNotEqual, z1.mu0 = R("5"), z1.sigma = R("0.5"), z1.mean = R("5.35"), z1.n = R("8");
  ASSERT_EQ(StatOneSampleZTest(0, &z1), 0u);
  EXPECT_TRUE(Near(z1.p, Ref("onez.p"), kTol));
  z1.mean = R("6.590990257669732"), z1.n = R("8");  // z = 9
  ASSERT_EQ(StatOneSampleZTest(0, &z1), 0u);
  EXPECT_TRUE(Near(z1.p, Ref("onez.z9p"), 1e-9));

  StatTwoSampleZRec z2{};
  z2.cond = kStatCondNotEqual, z2.sigma1 = R("1"), z2.sigma2 = R("1"), z2.mean1 = R("9"), z2.mean2 = R("0");
  z2.n1 = R("2"), z2.n2 = R("2");
  ASSERT_EQ(StatTwoSampleZTest(0, &z2), 0u);
  EXPECT_EQ(D(z2.z), 9);
  EXPECT_EQ(D(z2.p), 0);
}

TEST_F(StatKernels, ProportionsFTestRegressionAndChiSquare) {
  StatOnePropZRec p1{};
  p1.cond = kStatCondNotEqual, p1.p0 = R("0.5"), p1.x = R("45"), p1.n = R("80");
  ASSERT_EQ(StatOnePropZTest(0, &p1), 0u);
  EXPECT_TRUE(Near(p1.z, Ref("oneprop.z"), kTol));
  EXPECT_TRUE(Near(p1.p, Ref("oneprop.p"), kTol));
  EXPECT_EQ(D(p1.phat), 0.5625);

  StatTwoPropZRec p2{};
  p2.cond = kStatCondGreater, p2.x1 = R("45"), p2.n1 = R("80"), p2.x2 = R("30"), p2.n2 = R("75");
  ASSERT_EQ(StatTwoPropZTest(0, &p2), 0u);
  EXPECT_TRUE(Near(p2.z, Ref("twoprop.z"), kTol));
  EXPECT_TRUE(Near(p2.p, Ref("twoprop.p"), kTol));

  StatTwoSampleFRec f{};
  f.cond = kStatCondNotEqual, f.list1 = 1, f.list2 = 2;
  ASSERT_EQ(StatTwoSampleFTest(1, &f), 0u);
  EXPECT_TRUE(Near(f.f, Ref("twof.f"), kTol));
  EXPECT_TRUE(Near(f.p, Ref("twof.p"), kTol));
  // A one-tail area above 1/2 still reports a two-sided p of at most 1.
  f.sx1 = R("1"), f.sx2 = R("1.0001"), f.n1 = R("5"), f.n2 = R("5");
  ASSERT_EQ(StatTwoSampleFTest(0, &f), 0u);
  EXPECT_LE(D(f.p), 1);
  EXPECT_GT(D(f.p), 0.99);

  SetList(3, {"1", "2", "3", "4", "5", "6", "7", "8"});
  SetList(4, {"2.1", "3.9", "6.2", "7.8", "10.1", "12.2", "13.8", "16.1"});
  StatLinRegTRec lr{};
  lr.cond = kStatCondNotEqual, lr.xList = 3, lr.yList = 4;
  ASSERT_EQ(StatLinRegTTest(0, &lr), 0u);
  EXPECT_TRUE(Near(lr.t, Ref("linreg.t"), kTol));
  EXPECT_TRUE(Near(lr.p, Ref("linreg.p"), 1e-10));
  EXPECT_TRUE(Near(lr.s, Ref("linreg.s"), kTol));
  EXPECT_TRUE(Near(lr.a, Ref("linreg.a"), kTol));
  EXPECT_TRUE(Near(lr.b, Ref("linreg.b"), kTol));
  EXPECT_TRUE(Near(lr.r, Ref("linreg.r"), kTol));
  EXPECT_EQ(D(lr.df), 6);

  SetMatrix(1, {{"20", "15", "25"}, {"30", "25", "10"}});
  StatChiSquareRec chi{};
  chi.observed = 1;
  ASSERT_EQ(StatChiSquareTest(0, &chi), 0u);
  EXPECT_TRUE(Near(chi.chi2, Ref("chi.x2"), kTol));
  EXPECT_TRUE(Near(chi.p, Ref("chi.p"), kTol));
  EXPECT_EQ(D(chi.df), 2);
  for (u32 i = 1; i <= 2; ++i)
    for (u32 j = 1; j <= 3; ++j) {
      Value v{};
      ASSERT_EQ(ItemMatGet(kStatChiWorkMatrix, i, j, &v), 0u);
      EXPECT_TRUE(Near(v.re, Ref("chi.e" + std::to_string(i) + std::to_string(j)), 1e-14));
    }
}

TEST_F(StatKernels, RegressionOnAnExactLineGivesTheLimitNotAnError) {
  // y = 3x + 1 exactly: r = 1 (or -1 for a falling line); s is 0 even when
  // rounding leaves the residual sum a hair below 0.
  SetList(3, {"0.1", "0.2", "0.3", "0.7", "1.3"});
  SetList(4, {"1.3", "1.6", "1.9", "3.1", "4.9"});
  SetList(5, {"-1.3", "-1.6", "-1.9", "-3.1", "-4.9"});
  for (u32 y : {4u, 5u}) {
    StatLinRegTRec lr{};
    lr.cond = kStatCondNotEqual, lr.xList = 3, lr.yList = y;
    ASSERT_EQ(StatLinRegTTest(0, &lr), 0u) << y;
    EXPECT_EQ(D(lr.s), 0);
    EXPECT_EQ(D(lr.t), y == 4 ? 9.99e99 : -9.99e99);
    EXPECT_EQ(D(lr.p), 0);
    EXPECT_EQ(std::fabs(D(lr.r)), 1);
  }
}

struct Refusal {
  const char *what;
  u32 (*run)();
  u32 code;
};

u32 OneZ(const char *sigma, const char *n) {
  StatOneSampleZRec r{};
  r.sigma = R(sigma), r.n = R(n), r.mean = R("1");
  return StatOneSampleZTest(0, &r);
}
u32 OneProp(const char *p0, const char *x, const char *n) {
  StatOnePropZRec r{};
  r.p0 = R(p0), r.x = R(x), r.n = R(n);
  return StatOnePropZTest(0, &r);
}
u32 TwoProp(const char *x1, const char *n1, const char *x2, const char *n2) {
  StatTwoPropZRec r{};
  r.x1 = R(x1), r.n1 = R(n1), r.x2 = R(x2), r.n2 = R(n2);
  return StatTwoPropZTest(0, &r);
}
u32 TwoT(u32 mode, const char *n1) {
  StatTwoSampleTRec r{};
  r.sx1 = R("1"), r.sx2 = R("1"), r.n1 = R(n1), r.n2 = R("5"), r.list1 = 6, r.list2 = 2;
  return StatTwoSampleTTest(mode, &r);
}
u32 LinReg(u32 x, u32 y, u32 f) {
  StatLinRegTRec r{};
  r.xList = x, r.yList = y, r.freq = f;
  return StatLinRegTTest(0, &r);
}
u32 Chi(u8 m) {
  StatChiSquareRec r{};
  r.observed = m;
  return StatChiSquareTest(0, &r);
}
u32 OneZList(u32 list, u32 freq) {
  StatOneSampleZRec r{};
  r.sigma = R("1"), r.list = list, r.freq = freq;
  return StatOneSampleZTest(1, &r);
}

TEST_F(StatKernels, RefusalsAndTheirCodes) {
  SetList(6, {"3"});
  SetList(7, {"1", "2"});
  SetList(8, {"2", "3"});
  SetList(9, {"1", "-1", "2", "1", "1", "1", "1", "1"});
  SetList(10, {"1", "2.5", "2", "1", "1", "1", "1", "1"});
  SetList(11, {"1", "1", "1"});
  SetMatrix(12, {{"1", "2", "3"}});
  SetMatrix(13, {{"1", "2"}, {"0", "0"}});
  const Refusal cases[] = {
      {"sigma 0", [] { return OneZ("0", "5"); }, 3},
      {"n 2.5", [] { return OneZ("1", "2.5"); }, 3},
      {"p0 0", [] { return OneProp("0", "3", "5"); }, 3},
      {"p0 1", [] { return OneProp("1", "3", "5"); }, 3},
      {"x > n", [] { return OneProp("0.5", "6", "5"); }, 3},
      {"no successes in both", [] { return TwoProp("0", "5", "0", "7"); }, 3},
      {"all successes in both", [] { return TwoProp("5", "5", "7", "7"); }, 3},
      {"x2 > n2", [] { return TwoProp("1", "5", "8", "7"); }, 3},
      {"n1 1 typed", [] { return TwoT(0, "1"); }, 3},
      {"n1 1 from a list", [] { return TwoT(1, "5"); }, 3},
      {"two points", [] { return LinReg(7, 8, 0); }, 3},
      {"unequal regression lists", [] { return LinReg(1, 2, 0); }, 9},
      {"1 x 3 matrix", [] { return Chi(12); }, 9},
      {"zero row", [] { return Chi(13); }, 3},
      {"missing matrix", [] { return Chi(14); }, 9},
      {"frequency -1", [] { return OneZList(1, 9); }, 3},
      {"frequency 2.5", [] { return OneZList(1, 10); }, 3},
      {"frequency list shorter", [] { return OneZList(1, 11); }, 9},
      {"empty list", [] { return OneZList(20, 0); }, 9},
      {"list 30", [] { return OneZList(30, 0); }, 23},
  };
  for (const Refusal &c : cases) EXPECT_EQ(c.run(), c.code) << c.what;
}

TEST_F(StatKernels, DataReaderWithFrequenciesAndTheWorkFile) {
  SetList(3, {"1", "2", "3"});
  SetList(4, {"2", "0", "1"});
  BcdReal n, mean, sx;
  ASSERT_EQ(StatReadDataList(&n, 3, 4, &mean, &sx), 0u);
  EXPECT_EQ(D(n), 3);
  EXPECT_TRUE(Near(mean, 5.0 / 3, 1e-14));
  EXPECT_TRUE(Near(sx, std::sqrt(4.0 / 3), 1e-14));  // 1, 1, 3
  // One datum: n and the mean are written, then Ma ERROR for the deviation.
  SetList(5, {"7"});
  EXPECT_EQ(StatReadDataList(&n, 5, 0, &mean, &sx), 3u);
  EXPECT_EQ(D(n), 1);
  EXPECT_EQ(D(mean), 7);
  // List 101 is list 1 of the statistics work file.
  Value v{};
  v.re = R("4");
  ASSERT_EQ(ItemListSet(255, 1, 0, &v), 0u);
  v.re = R("6");
  ASSERT_EQ(ItemListSet(255, 1, 0, &v), 0u);
  ASSERT_EQ(StatReadDataList(&n, 101, 0, &mean, &sx), 0u);
  EXPECT_EQ(D(mean), 5);
  // Stable sort by value: equal values keep their order.
  SetList(6, {"3", "1", "2", "1", "3"});
  u32 index[5] = {0, 1, 2, 3, 4};
  ASSERT_EQ(StatSortIndexByList(6, index), 0u);
  const u32 want[5] = {1, 3, 2, 0, 4};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(index[i], want[i]) << i;
}

TEST_F(StatKernels, ListNumbersAndMatrices) {
  // 1..26 the current file, 101 and up the work file, 27..100 refused.
  struct Case {
    u32 list;
    u32 code;
  } cases[] = {{1, 0}, {26, 0}, {27, 23}, {64, 23}, {100, 23}, {101, 0}, {126, 0}};
  const BcdReal two = R("2");
  for (const Case &c : cases) {
    u32 count = 99;
    EXPECT_EQ(StatDataListCreate(c.list, 1), c.code) << c.list;
    EXPECT_EQ(StatDataListSet(c.list, 1, &two), c.code) << c.list;
    EXPECT_EQ(StatDataListSize(c.list, &count), c.code) << c.list;
    EXPECT_EQ(count, c.code == 0 ? 1u : 0u) << c.list;
    BcdReal got = R("0");
    EXPECT_EQ(StatDataListGet(c.list, 1, &got), c.code) << c.list;
    StatDataListDelete(c.list);
  }
  // Matrices: a real element normalised, a complex one 26, a missing one 4.
  ASSERT_EQ(ItemMatCreate(3, 2, 2), 0u);
  Value v{};
  v.re = R("1.5");
  ASSERT_EQ(ItemMatSet(3, 2, 1, &v), 0u);
  u32 rows = 0, cols = 0;
  ASSERT_EQ(StatMatDims(3, &rows, &cols), 0u);
  EXPECT_EQ(rows * 10 + cols, 22u);
  BcdReal x;
  ASSERT_EQ(StatMatGetReal(3, 2, 1, &x), 0u);
  EXPECT_EQ(D(x), 1.5);
  const BcdReal one = R("1");
  ValFromParts(&v.re, &one, &v);
  ASSERT_EQ(ValIsComplex(&v), 1);
  ASSERT_EQ(ItemMatSet(3, 1, 2, &v), 0u);
  EXPECT_EQ(StatMatGetReal(3, 1, 2, &x), 26u);
  EXPECT_EQ(StatMatGetReal(3, 3, 1, &x), 4u);
  ItemMatDelete(3);
  EXPECT_EQ(StatMatDims(3, &rows, &cols), 4u);
  EXPECT_EQ(StatMatGetReal(3, 1, 1, &x), 4u);
}

TEST_F(StatKernels, IntervalsMatchTheReferences) {
  StatZInt1Rec z1{};
  z1.level = R("0.95"), z1.sigma = R("0.5"), z1.list = 1;
  ASSERT_EQ(StatZInt1(1, &z1), 0u);
  EXPECT_TRUE(Near(z1.lower, Ref("zint1.lo"), kTol));
  EXPECT_TRUE(Near(z1.upper, Ref("zint1.up"), kTol));

  StatZInt2Rec z2{};
  z2.level = R("0.95"), z2.sigma1 = R("0.5"), z2.sigma2 = R("0.4"), z2.list1 = 1, z2.list2 = 2;
  ASSERT_EQ(StatZInt2(1, &z2), 0u);
  EXPECT_TRUE(Near(z2.lower, Ref("zint2.lo"), kTol));
  EXPECT_TRUE(Near(z2.upper, Ref("zint2.up"), kTol));

  StatPropZInt1Rec p1{};
  p1.level = R("95"), p1.x = R("45"), p1.n = R("80");
  EXPECT_EQ(StatPropZInt1(0, &p1), 3u);  // percentages are the screen's business
  p1.level = R("0.95");
  ASSERT_EQ(StatPropZInt1(0, &p1), 0u);
  EXPECT_TRUE(Near(p1.lower, Ref("pint1.lo"), kTol));
  EXPECT_TRUE(Near(p1.upper, Ref("pint1.up"), kTol));

  StatPropZInt2Rec p2{};
  p2.level = R("0.95"), p2.x1 = R("45"), p2.n1 = R("80"), p2.x2 = R("30"), p2.n2 = R("75");
  ASSERT_EQ(StatPropZInt2(0, &p2), 0u);
  EXPECT_TRUE(Near(p2.lower, Ref("pint2.lo"), kTol));
  EXPECT_TRUE(Near(p2.upper, Ref("pint2.up"), kTol));

  StatTInt1Rec t1{};
  t1.level = R("0.95"), t1.list = 1;
  ASSERT_EQ(StatTInt1(1, &t1), 0u);
  EXPECT_TRUE(Near(t1.lower, Ref("tint1.lo"), kTol));
  EXPECT_TRUE(Near(t1.upper, Ref("tint1.up"), kTol));

  StatTInt2Rec t2{};
  t2.level = R("0.99"), t2.list1 = 1, t2.list2 = 2;
  ASSERT_EQ(StatTInt2(1, &t2), 0u);
  EXPECT_TRUE(Near(t2.lower, Ref("tint2w.lo"), 1e-10));
  EXPECT_TRUE(Near(t2.upper, Ref("tint2w.up"), 1e-10));
  t2.level = R("0.95"), t2.pooled = 1;
  ASSERT_EQ(StatTInt2(1, &t2), 0u);
  EXPECT_TRUE(Near(t2.lower, Ref("tint2p.lo"), kTol));
  EXPECT_TRUE(Near(t2.upper, Ref("tint2p.up"), kTol));
  EXPECT_TRUE(Near(t2.sp, Ref("twotp.sp"), kTol));
}

TEST_F(StatKernels, IntervalEdges) {
  // C-Level 0: width 0; 1: refused; a huge sigma: the whole range.
  StatZInt1Rec z{};
  z.level = R("0"), z.sigma = R("1"), z.mean = R("3"), z.n = R("4");
  ASSERT_EQ(StatZInt1(0, &z), 0u);
  EXPECT_EQ(D(z.lower), 3);
  EXPECT_EQ(D(z.upper), 3);
  EXPECT_EQ(D(z.outSx), -1);
  z.level = R("1");
  EXPECT_EQ(StatZInt1(0, &z), 3u);
  z.level = R("0.99"), z.sigma = R("9e99"), z.n = R("1");
  ASSERT_EQ(StatZInt1(0, &z), 0u);
  EXPECT_EQ(D(z.lower), -9.99e99);
  EXPECT_EQ(D(z.upper), 9.99e99);
  // x = n: p-hat 1 and no margin.
  StatPropZInt1Rec p{};
  p.level = R("0.9"), p.x = R("5"), p.n = R("5");
  ASSERT_EQ(StatPropZInt1(0, &p), 0u);
  EXPECT_EQ(D(p.lower), 1);
  EXPECT_EQ(D(p.upper), 1);
  // n = 1 leaves no degrees of freedom.
  StatTInt1Rec t{};
  t.level = R("0.9"), t.sx = R("1"), t.n = R("1");
  EXPECT_EQ(StatTInt1(0, &t), 3u);
  StatTInt2Rec t2{};
  t2.level = R("0.9"), t2.sx1 = R("1"), t2.sx2 = R("1"), t2.n1 = R("4"), t2.n2 = R("1");
  EXPECT_EQ(StatTInt2(0, &t2), 3u);
}

}  // namespace
