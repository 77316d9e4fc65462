// The statistics commands' data: any bytes as "STATap" and as the elements
// of the data lists and the observed matrix go through every test,
// interval, ANOVA, distribution and critical-value kernel. Each ends with a
// code, and a kernel that succeeds leaves well-formed results; the record
// read back always has its selectors in range.
#include <cstring>
#include <vector>

#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_fcrit.h"
#include "apps/stat/stat_intervals.h"
#include "apps/stat/stat_tests.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "ui/setup.h"

namespace {

void Check(u32 err, std::initializer_list<const BcdReal *> outs, const char *what) {
  if (err) return;
  for (const BcdReal *r : outs) FUZZ_CHECK(RealIsWellFormed(r) && RealErrorCode(r) == 0, "%s: bad result", what);
}

bool In(i16 v, i16 lo, i16 hi) { return v >= lo && v <= hi; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  fuzz::Reader in(data, size);
  StatAp ap;
  in.Bytes(&ap, sizeof ap);
  FUZZ_CHECK(McsCreateInFolder("@STAT", "STATap", sizeof ap, &ap) == 0u, "create");
  FUZZ_CHECK(StatLoadSettings(&ap) == 0u, "load");
  FUZZ_CHECK(In(ap.data, 0, 1) && In(ap.cond, -1, 1) && In(ap.list1, 1, 26) && In(ap.list2, 1, 26) &&
                 In(ap.freq1, 0, 26) && In(ap.freq2, 0, 26) && In(ap.observed, 1, 26) && In(ap.howMany, 1, 2) &&
                 In(ap.tail, -1, 1) && In(ap.saveRes, 0, 26) && In(ap.factorA, 1, 26) && In(ap.factorB, 1, 26),
             "selector out of range");

  // Lists 1-4 and Mat A from the rest: a count byte, then 12-byte reals.
  fuzz::FillListsFromInput(in);
  const u32 rows = 1 + in.Byte() % 4, cols = 1 + in.Byte() % 4;
  ItemMatCreate(1, rows, cols);
  for (u32 i = 1; i <= rows; ++i)
    for (u32 j = 1; j <= cols && in.Left() >= 12; ++j) {
      Value v{};
      in.Bytes(&v.re, 12);
      ItemMatSet(1, i, j, &v);
    }

  const u32 l1 = 1 + ap.list1 % 4, l2 = 1 + ap.list2 % 4, f1 = ap.freq1 % 5, f2 = ap.freq2 % 5;
  for (u32 mode : {0u, 1u}) {
    StatOneSampleZRec z1{0, ap.cond, ap.mu0, ap.sigma1, ap.mean1, ap.n1, l1, f1, {}, {}, {}, {}, {}};
    Check(StatOneSampleZTest(mode, &z1), {&z1.z, &z1.p}, "1-Z");
    StatTwoSampleZRec z2{};
    z2.cond = ap.cond, z2.sigma1 = ap.sigma1, z2.sigma2 = ap.sigma2, z2.mean1 = ap.mean1, z2.mean2 = ap.mean2;
    z2.n1 = ap.n1, z2.n2 = ap.n2, z2.list1 = l1, z2.list2 = l2, z2.freq1 = f1, z2.freq2 = f2;
    Check(StatTwoSampleZTest(mode, &z2), {&z2.z, &z2.p}, "2-Z");
    StatOneSampleTRec t1{};
    t1.cond = ap.cond, t1.mu0 = ap.mu0, t1.mean = ap.mean1, t1.sx = ap.sx1, t1.n = ap.n1, t1.list = l1, t1.freq = f1;
    Check(StatOneSampleTTest(mode, &t1), {&t1.t, &t1.p}, "1-t");
    StatTwoSampleTRec t2{};
    t2.cond = ap.cond, t2.mean1 = ap.mean1, t2.mean2 = ap.mean2, t2.sx1 = ap.sx1, t2.sx2 = ap.sx2;
    t2.n1 = ap.n1, t2.n2 = ap.n2, t2.list1 = l1, t2.list2 = l2, t2.freq1 = f1, t2.freq2 = f2;
    t2.pooled = ap.pooled == 1;
    Check(StatTwoSampleTTest(mode, &t2), {&t2.t, &t2.p, &t2.df}, "2-t");
    StatTwoSampleFRec f{};
    f.cond = ap.cond, f.sx1 = ap.sx1, f.sx2 = ap.sx2, f.n1 = ap.n1, f.n2 = ap.n2, f.list1 = l1, f.list2 = l2;
    Check(StatTwoSampleFTest(mode, &f), {&f.f, &f.p}, "2-F");
    StatZInt1Rec zi1{};
    zi1.level = ap.level, zi1.sigma = ap.sigma1, zi1.mean = ap.mean1, zi1.n = ap.n1, zi1.list = l1, zi1.freq = f1;
    Check(StatZInt1(mode, &zi1), {&zi1.lower, &zi1.upper}, "1-Z int");
    StatZInt2Rec zi2{};
    zi2.level = ap.level, zi2.sigma1 = ap.sigma1, zi2.sigma2 = ap.sigma2, zi2.mean1 = ap.mean1;
    zi2.mean2 = ap.mean2, zi2.n1 = ap.n1, zi2.n2 = ap.n2, zi2.list1 = l1, zi2.list2 = l2;
    Check(StatZInt2(mode, &zi2), {&zi2.lower, &zi2.upper}, "2-Z int");
    StatTInt1Rec ti1{};
    ti1.level = ap.level, ti1.mean = ap.mean1, ti1.sx = ap.sx1, ti1.n = ap.n1, ti1.list = l1, ti1.freq = f1;
    Check(StatTInt1(mode, &ti1), {&ti1.lower, &ti1.upper}, "1-t int");
    StatTInt2Rec ti2{};
    ti2.level = ap.level, ti2.mean1 = ap.mean1, ti2.mean2 = ap.mean2, ti2.sx1 = ap.sx1, ti2.sx2 = ap.sx2;
    ti2.n1 = ap.n1, ti2.n2 = ap.n2, ti2.list1 = l1, ti2.list2 = l2, ti2.pooled = ap.pooled == 1;
    Check(StatTInt2(mode, &ti2), {&ti2.lower, &ti2.upper, &ti2.df}, "2-t int");
    StatBinomRec b{};
    b.list = l1, b.n = ap.numtrial, b.p = ap.p, b.x = ap.x1;
    Check(StatBinomPd(mode, &b), {&b.result}, "binomial");
    Check(StatBinomCd(mode, &b), {&b.result}, "binomial C.D");
    StatPoissonRec po{};
    po.list = l1, po.mu = ap.mu, po.x = ap.x1;
    Check(StatPoissonPd(mode, &po), {&po.result}, "Poisson");
    Check(StatPoissonCd(mode, &po), {&po.result}, "Poisson C.D");
    StatGeoRec g{};
    g.list = l1, g.p = ap.p, g.x = ap.x1;
    Check(StatGeoPd(mode, &g), {&g.result}, "geometric");
    Check(StatGeoCd(mode, &g), {&g.result}, "geometric C.D");
  }
  StatOnePropZRec p1{};
  p1.cond = ap.cond, p1.p0 = ap.p0, p1.x = ap.x1, p1.n = ap.n1;
  Check(StatOnePropZTest(0, &p1), {&p1.z, &p1.p}, "1-prop");
  StatTwoPropZRec p2{};
  p2.cond = ap.cond, p2.x1 = ap.x1, p2.x2 = ap.x2, p2.n1 = ap.n1, p2.n2 = ap.n2;
  Check(StatTwoPropZTest(0, &p2), {&p2.z, &p2.p}, "2-prop");
  StatPropZInt1Rec pi1{};
  pi1.level = ap.level, pi1.x = ap.x1, pi1.n = ap.n1;
  Check(StatPropZInt1(0, &pi1), {&pi1.lower, &pi1.upper}, "1-prop int");
  StatPropZInt2Rec pi2{};
  pi2.level = ap.level, pi2.x1 = ap.x1, pi2.x2 = ap.x2, pi2.n1 = ap.n1, pi2.n2 = ap.n2;
  Check(StatPropZInt2(0, &pi2), {&pi2.lower, &pi2.upper}, "2-prop int");
  StatLinRegTRec lr{};
  lr.cond = ap.cond, lr.xList = l1, lr.yList = l2, lr.freq = f1;
  Check(StatLinRegTTest(0, &lr), {&lr.t, &lr.p, &lr.s, &lr.r2}, "regression");
  StatChiSquareRec chi{};
  chi.observed = 1;
  Check(StatChiSquareTest(0, &chi), {&chi.chi2, &chi.p}, "chi-square");
  StatAnova1Rec a1{};
  a1.factorList = l1, a1.dependentList = l2;
  Check(StatAnova1(0, &a1), {&a1.a.f, &a1.a.p, &a1.err.ss}, "ANOVA 1");
  StatAnova2Rec a2{};
  a2.factorAList = l1, a2.factorBList = l2, a2.dependentList = 1 + (l1 + l2) % 4;
  Check(StatAnova2(0, &a2), {&a2.a.p, &a2.b.p, &a2.err.ss}, "ANOVA 2");
  Check(StatAnovaCellMeans(0, &a2), {}, "cell means");
  // Critical values for small whole sample sizes and the record's alpha.
  BcdReal n1, n2, pair[2];
  NumFromInt16(static_cast<i16>(1 + (ap.rows & 63)), &n1);
  NumFromInt16(static_cast<i16>(1 + (ap.dependent & 63)), &n2);
  const BcdReal alpha = ap.p;
  Check(StatFCritPair(&n1, &n2, &alpha, pair), {&pair[0], &pair[1]}, "F pair");
  return 0;
}
