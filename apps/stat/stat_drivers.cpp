// The command drivers of TEST, INTR and DIST: each runs its parameter
// screen, builds its kernel record from "STATap", calls the kernel, saves
// the results ("Save Res") and shows them. StatRunCommand is the entry.
#include <cstring>

#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_intervals.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/stat_tests.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "ui/errbox.h"
#include "ui/lcd.h"
#include "ui/setup.h"

using namespace statreal;

namespace {

using Block = StatResultBlock;

void Put(Block *b, u32 id, const BcdReal &v) {
  if (b->count >= kStatResultMax) return;
  b->id[b->count] = id;
  b->value[b->count++] = v;
}

u32 Angle() { return SetupGetItem(kSetupAngle); }
bool ListMode(const StatAp *ap) { return ap->data == 1; }
u32 U(i16 v) { return static_cast<u32>(v < 0 ? 0 : v); }

// ---- tests ----

u32 RunOneZ(StatAp *ap, Block *b) {
  StatOneSampleZRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.mu0 = ap->mu0, r.sigma = ap->sigma1, r.mean = ap->mean1, r.n = ap->n1;
  r.list = U(ap->list1), r.freq = U(ap->freq1);
  if (u32 e = StatOneSampleZTest(ListMode(ap), &r)) return e;
  Put(b, kStatResMu, ap->mu0), Put(b, kStatResZ, r.z), Put(b, kStatResP, r.p), Put(b, kStatResMean, r.outMean);
  if (ListMode(ap)) Put(b, kStatResSx, r.outSx);
  Put(b, kStatResN, r.outN);
  return 0;
}

u32 RunTwoZ(StatAp *ap, Block *b) {
  StatTwoSampleZRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.sigma1 = ap->sigma1, r.sigma2 = ap->sigma2;
  r.mean1 = ap->mean1, r.mean2 = ap->mean2, r.n1 = ap->n1, r.n2 = ap->n2;
  r.list1 = U(ap->list1), r.list2 = U(ap->list2), r.freq1 = U(ap->freq1), r.freq2 = U(ap->freq2);
  if (u32 e = StatTwoSampleZTest(ListMode(ap), &r)) return e;
  Put(b, kStatResMu1, Zero()), Put(b, kStatResZ, r.z), Put(b, kStatResP, r.p);
  Put(b, kStatResMean1, r.outMean1), Put(b, kStatResMean2, r.outMean2);
  if (ListMode(ap)) Put(b, kStatResSx1, r.outSx1), Put(b, kStatResSx2, r.outSx2);
  Put(b, kStatResN1, r.outN1), Put(b, kStatResN2, r.outN2);
  return 0;
}

u32 RunOneProp(StatAp *ap, Block *b) {
  StatOnePropZRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.p0 = ap->p0, r.x = ap->x1, r.n = ap->n1;
  if (u32 e = StatOnePropZTest(0, &r)) return e;
  Put(b, kStatResProp, ap->p0), Put(b, kStatResZ, r.z), Put(b, kStatResP, r.p), Put(b, kStatResPhat, r.phat);
  Put(b, kStatResN, ap->n1);
  return 0;
}

u32 RunTwoProp(StatAp *ap, Block *b) {
  StatTwoPropZRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.x1 = ap->x1, r.x2 = ap->x2, r.n1 = ap->n1, r.n2 = ap->n2;
  if (u32 e = StatTwoPropZTest(0, &r)) return e;
  Put(b, kStatResP1, Zero()), Put(b, kStatResZ, r.z), Put(b, kStatResP, r.p), Put(b, kStatResPhat1, r.phat1);
  Put(b, kStatResPhat2, r.phat2), Put(b, kStatResPhat, r.phat), Put(b, kStatResN1, ap->n1);
  Put(b, kStatResN2, ap->n2);
  return 0;
}

u32 RunOneT(StatAp *ap, Block *b) {
  StatOneSampleTRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.mu0 = ap->mu0, r.mean = ap->mean1, r.sx = ap->sx1, r.n = ap->n1;
  r.list = U(ap->list1), r.freq = U(ap->freq1);
  if (u32 e = StatOneSampleTTest(ListMode(ap), &r)) return e;
  Put(b, kStatResMu, ap->mu0), Put(b, kStatResT, r.t), Put(b, kStatResP, r.p), Put(b, kStatResMean, r.outMean);
  Put(b, kStatResSx, r.outSx), Put(b, kStatResN, r.outN);
  return 0;
}

u32 RunTwoT(StatAp *ap, Block *b) {
  StatTwoSampleTRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.mean1 = ap->mean1, r.mean2 = ap->mean2, r.sx1 = ap->sx1;
  r.sx2 = ap->sx2, r.n1 = ap->n1, r.n2 = ap->n2, r.pooled = ap->pooled == 1;
  r.list1 = U(ap->list1), r.list2 = U(ap->list2), r.freq1 = U(ap->freq1), r.freq2 = U(ap->freq2);
  if (u32 e = StatTwoSampleTTest(ListMode(ap), &r)) return e;
  Put(b, kStatResMu1, Zero()), Put(b, kStatResT, r.t), Put(b, kStatResP, r.p), Put(b, kStatResDf, r.df);
  Put(b, kStatResMean1, r.outMean1), Put(b, kStatResMean2, r.outMean2), Put(b, kStatResSx1, r.outSx1);
  Put(b, kStatResSx2, r.outSx2);
  if (r.pooled) Put(b, kStatResSp, r.sp);
  Put(b, kStatResN1, r.outN1), Put(b, kStatResN2, r.outN2);
  return 0;
}

u32 RunLinRegT(StatAp *ap, Block *b) {
  StatLinRegTRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.xList = U(ap->list1), r.yList = U(ap->list2), r.freq = U(ap->freq1);
  if (u32 e = StatLinRegTTest(0, &r)) return e;
  Put(b, kStatResBeta, Zero()), Put(b, kStatResT, r.t), Put(b, kStatResP, r.p), Put(b, kStatResDf, r.df);
  Put(b, kStatResA, r.a), Put(b, kStatResB, r.b), Put(b, kStatResS, r.s), Put(b, kStatResR, r.r);
  Put(b, kStatResR2, r.r2);
  return 0;
}

u32 RunChi(StatAp *ap, Block *b) {
  StatChiSquareRec r{};
  r.spare = Angle(), r.observed = U(ap->observed);
  if (u32 e = StatChiSquareTest(0, &r)) return e;
  Put(b, kStatResChi2, r.chi2), Put(b, kStatResP, r.p), Put(b, kStatResDf, r.df);
  return 0;
}

u32 RunTwoF(StatAp *ap, Block *b) {
  StatTwoSampleFRec r{};
  r.spare = Angle(), r.cond = ap->cond, r.sx1 = ap->sx1, r.sx2 = ap->sx2, r.n1 = ap->n1, r.n2 = ap->n2;
  r.list1 = U(ap->list1), r.list2 = U(ap->list2), r.freq1 = U(ap->freq1), r.freq2 = U(ap->freq2);
  if (u32 e = StatTwoSampleFTest(ListMode(ap), &r)) return e;
  Put(b, kStatResSigma1, Zero()), Put(b, kStatResF, r.f), Put(b, kStatResP, r.p);
  if (ListMode(ap)) Put(b, kStatResMean1, r.outMean1), Put(b, kStatResMean2, r.outMean2);
  Put(b, kStatResSx1, r.outSx1), Put(b, kStatResSx2, r.outSx2), Put(b, kStatResN1, r.outN1);
  Put(b, kStatResN2, r.outN2);
  return 0;
}

// ---- intervals ----

u32 RunZInt1(StatAp *ap, Block *b) {
  StatZInt1Rec r{};
  r.angle = Angle(), r.level = ap->level, r.sigma = ap->sigma1, r.mean = ap->mean1, r.n = ap->n1;
  r.list = U(ap->list1), r.freq = U(ap->freq1);
  if (u32 e = StatZInt1(ListMode(ap), &r)) return e;
  Put(b, kStatResLeft, r.lower), Put(b, kStatResRight, r.upper), Put(b, kStatResMean, r.outMean);
  if (ListMode(ap)) Put(b, kStatResSx, r.outSx);
  Put(b, kStatResN, r.outN);
  return 0;
}

u32 RunZInt2(StatAp *ap, Block *b) {
  StatZInt2Rec r{};
  r.angle = Angle(), r.level = ap->level, r.sigma1 = ap->sigma1, r.sigma2 = ap->sigma2, r.mean1 = ap->mean1;
  r.mean2 = ap->mean2, r.n1 = ap->n1, r.n2 = ap->n2;
  r.list1 = U(ap->list1), r.list2 = U(ap->list2), r.freq1 = U(ap->freq1), r.freq2 = U(ap->freq2);
  if (u32 e = StatZInt2(ListMode(ap), &r)) return e;
  Put(b, kStatResLeft, r.lower), Put(b, kStatResRight, r.upper), Put(b, kStatResMean1, r.outMean1);
  Put(b, kStatResMean2, r.outMean2);
  if (ListMode(ap)) Put(b, kStatResSx1, r.outSx1), Put(b, kStatResSx2, r.outSx2);
  Put(b, kStatResN1, r.outN1), Put(b, kStatResN2, r.outN2);
  return 0;
}

u32 RunPInt1(StatAp *ap, Block *b) {
  StatPropZInt1Rec r{};
  r.angle = Angle(), r.level = ap->level, r.x = ap->x1, r.n = ap->n1;
  if (u32 e = StatPropZInt1(0, &r)) return e;
  Put(b, kStatResLeft, r.lower), Put(b, kStatResRight, r.upper), Put(b, kStatResPhat, r.phat);
  Put(b, kStatResN, ap->n1);
  return 0;
}

u32 RunPInt2(StatAp *ap, Block *b) {
  StatPropZInt2Rec r{};
  r.angle = Angle(), r.level = ap->level, r.x1 = ap->x1, r.x2 = ap->x2, r.n1 = ap->n1, r.n2 = ap->n2;
  if (u32 e = StatPropZInt2(0, &r)) return e;
  Put(b, kStatResLeft, r.lower), Put(b, kStatResRight, r.upper), Put(b, kStatResPhat1, r.phat1);
  Put(b, kStatResPhat2, r.phat2), Put(b, kStatResN1, ap->n1), Put(b, kStatResN2, ap->n2);
  return 0;
}

u32 RunTInt1(StatAp *ap, Block *b) {
  StatTInt1Rec r{};
  r.angle = Angle(), r.level = ap->level, r.mean = ap->mean1, r.sx = ap->sx1, r.n = ap->n1;
  r.list = U(ap->list1), r.freq = U(ap->freq1);
  if (u32 e = StatTInt1(ListMode(ap), &r)) return e;
  Put(b, kStatResLeft, r.lower), Put(b, kStatResRight, r.upper), Put(b, kStatResMean, r.outMean);
  Put(b, kStatResSx, r.outSx), Put(b, kStatResN, r.outN);
  return 0;
}

u32 RunTInt2(StatAp *ap, Block *b) {
  StatTInt2Rec r{};
  r.angle = Angle(), r.level = ap->level, r.mean1 = ap->mean1, r.mean2 = ap->mean2, r.sx1 = ap->sx1;
  r.sx2 = ap->sx2, r.n1 = ap->n1, r.n2 = ap->n2, r.pooled = ap->pooled == 1;
  r.list1 = U(ap->list1), r.list2 = U(ap->list2), r.freq1 = U(ap->freq1), r.freq2 = U(ap->freq2);
  if (u32 e = StatTInt2(ListMode(ap), &r)) return e;
  Put(b, kStatResLeft, r.lower), Put(b, kStatResRight, r.upper), Put(b, kStatResDf, r.df);
  Put(b, kStatResMean1, r.outMean1), Put(b, kStatResMean2, r.outMean2), Put(b, kStatResSx1, r.outSx1);
  Put(b, kStatResSx2, r.outSx2);
  if (r.pooled) Put(b, kStatResSp, r.sp);
  Put(b, kStatResN1, r.outN1), Put(b, kStatResN2, r.outN2);
  return 0;
}

// ---- distributions ----

StatNormRec Norm(const StatAp *ap) {
  StatNormRec r{};
  r.angle = Angle(), r.tail = ap->tail, r.x = ap->x1, r.lower = ap->lower, r.upper = ap->upper;
  r.area = ap->area, r.sigma = ap->sigma1, r.mu = ap->mu;
  return r;
}
StatTRec Student(const StatAp *ap) {
  StatTRec r{};
  r.angle = Angle(), r.x = ap->x1, r.lower = ap->lower, r.upper = ap->upper, r.area = ap->area, r.df = ap->df;
  return r;
}
StatChiRec Chi(const StatAp *ap) {
  StatChiRec r{};
  r.angle = Angle(), r.x = ap->x1, r.lower = ap->lower, r.upper = ap->upper, r.df = ap->df;
  return r;
}
StatFRec FRec(const StatAp *ap) {
  StatFRec r{};
  r.angle = Angle(), r.x = ap->x1, r.lower = ap->lower, r.upper = ap->upper, r.ndf = ap->ndf, r.ddf = ap->ddf;
  return r;
}

u32 RunNormPd(StatAp *ap, Block *b) {
  StatNormRec r = Norm(ap);
  if (u32 e = StatNormPd(0, &r)) return e;
  return Put(b, kStatResP, r.pd), 0;
}
u32 RunNormCd(StatAp *ap, Block *b) {
  StatNormRec r = Norm(ap);
  if (u32 e = StatNormCd(0, &r)) return e;
  return Put(b, kStatResP, r.cd), Put(b, kStatResZLow, r.zLow), Put(b, kStatResZUp, r.zUp), 0;
}
u32 RunInvNorm(StatAp *ap, Block *b) {
  StatNormRec r = Norm(ap);
  if (u32 e = StatInvNorm(0, &r)) return e;
  if (r.tail == 0) return Put(b, kStatResXLow, r.inv2), Put(b, kStatResXUp, r.inv1), 0;
  return Put(b, kStatResX, r.inv1), 0;
}
u32 RunTPd(StatAp *ap, Block *b) {
  StatTRec r = Student(ap);
  if (u32 e = StatTPd(0, &r)) return e;
  return Put(b, kStatResP, r.pd), 0;
}
u32 RunTCd(StatAp *ap, Block *b) {
  StatTRec r = Student(ap);
  if (u32 e = StatTCd(0, &r)) return e;
  return Put(b, kStatResP, r.cd), Put(b, kStatResTLow, r.first), Put(b, kStatResTUp, r.second), 0;
}
u32 RunChiPd(StatAp *ap, Block *b) {
  StatChiRec r = Chi(ap);
  if (u32 e = StatChiPd(0, &r)) return e;
  return Put(b, kStatResP, r.pd), 0;
}
u32 RunChiCd(StatAp *ap, Block *b) {
  StatChiRec r = Chi(ap);
  if (u32 e = StatChiCd(0, &r)) return e;
  return Put(b, kStatResP, r.cd), 0;
}
u32 RunFPd(StatAp *ap, Block *b) {
  StatFRec r = FRec(ap);
  if (u32 e = StatFPd(0, &r)) return e;
  return Put(b, kStatResP, r.pd), 0;
}
u32 RunFCd(StatAp *ap, Block *b) {
  StatFRec r = FRec(ap);
  if (u32 e = StatFCd(0, &r)) return e;
  return Put(b, kStatResP, r.cd), 0;
}

template <class Rec>
u32 Discrete(StatAp *ap, Block *b, Rec *r, u32 (*kernel)(u32, Rec *)) {
  r->angle = Angle(), r->list = U(ap->list1), r->x = ap->x1;
  if (u32 e = kernel(ListMode(ap), r)) return e;
  if (!ListMode(ap)) Put(b, kStatResP, r->result);
  return 0;
}
u32 RunBinomPd(StatAp *ap, Block *b) {
  StatBinomRec r{};
  r.n = ap->numtrial, r.p = ap->p;
  return Discrete(ap, b, &r, StatBinomPd);
}
u32 RunBinomCd(StatAp *ap, Block *b) {
  StatBinomRec r{};
  r.n = ap->numtrial, r.p = ap->p;
  return Discrete(ap, b, &r, StatBinomCd);
}
u32 RunPoissonPd(StatAp *ap, Block *b) {
  StatPoissonRec r{};
  r.mu = ap->mu;
  return Discrete(ap, b, &r, StatPoissonPd);
}
u32 RunPoissonCd(StatAp *ap, Block *b) {
  StatPoissonRec r{};
  r.mu = ap->mu;
  return Discrete(ap, b, &r, StatPoissonCd);
}
u32 RunGeoPd(StatAp *ap, Block *b) {
  StatGeoRec r{};
  r.p = ap->p;
  return Discrete(ap, b, &r, StatGeoPd);
}
u32 RunGeoCd(StatAp *ap, Block *b) {
  StatGeoRec r{};
  r.p = ap->p;
  return Discrete(ap, b, &r, StatGeoCd);
}

// ---- the commands ----

enum Family { kTest, kInterval, kDistribution, kDiscrete };

struct Rows {
  u32 count;
  u32 id[11];
};

struct Command {
  u32 code;
  Rows list;      // Data = List, or the only rows
  Rows variable;  // Data = Variable (count 0: no Data row)
  u32 indent;
  Family family;
  u32 (*run)(StatAp *, Block *);
};

const Command kCommands[] = {
    {50, {4, {49, 50, 61, 62}}, {0, {}}, 3, kTest, RunChi},
    {51, {8, {1, 34, 36, 37, 40, 41, 61, 62}}, {8, {1, 34, 44, 18, 45, 19, 61, 62}}, 0, kTest, RunTwoF},
    {53, {8, {1, 59, 53, 20, 35, 26, 61, 62}}, {8, {1, 59, 53, 20, 23, 17, 61, 62}}, 1, kTest, RunOneZ},
    {54, {10, {1, 60, 21, 22, 36, 37, 40, 41, 61, 62}}, {10, {1, 60, 21, 22, 24, 18, 25, 19, 61, 62}}, 0, kTest,
     RunTwoZ},
    {55, {6, {57, 2, 13, 17, 61, 62}}, {0, {}}, 1, kTest, RunOneProp},
    {56, {7, {58, 14, 18, 15, 19, 61, 62}}, {0, {}}, 3, kTest, RunTwoProp},
    {57, {7, {1, 59, 53, 35, 26, 61, 62}}, {8, {1, 59, 53, 23, 43, 17, 61, 62}}, 1, kTest, RunOneT},
    {58, {9, {1, 60, 36, 37, 40, 41, 12, 61, 62}}, {11, {1, 60, 24, 44, 18, 25, 45, 19, 12, 61, 62}}, 0, kTest,
     RunTwoT},
    {59, {6, {51, 38, 39, 26, 61, 63}}, {0, {}}, 2, kTest, RunLinRegT},
    {61, {7, {1, 11, 20, 35, 26, 61, 63}}, {7, {1, 11, 20, 23, 17, 61, 63}}, 0, kInterval, RunZInt1},
    {62, {10, {1, 11, 21, 22, 36, 37, 40, 41, 61, 63}}, {10, {1, 11, 21, 22, 24, 18, 25, 19, 61, 63}}, 0,
     kInterval, RunZInt2},
    {63, {5, {11, 13, 17, 61, 63}}, {0, {}}, 0, kInterval, RunPInt1},
    {64, {7, {11, 14, 18, 15, 19, 61, 63}}, {0, {}}, 0, kInterval, RunPInt2},
    {65, {6, {1, 11, 35, 26, 61, 63}}, {7, {1, 11, 23, 43, 17, 61, 63}}, 0, kInterval, RunTInt1},
    {66, {9, {1, 11, 36, 37, 40, 41, 12, 61, 63}}, {11, {1, 11, 24, 44, 18, 25, 45, 19, 12, 61, 63}}, 0,
     kInterval, RunTInt2},
    {67, {5, {13, 20, 55, 61, 62}}, {0, {}}, 0, kDistribution, RunNormPd},
    {68, {6, {5, 6, 20, 55, 61, 63}}, {0, {}}, 0, kDistribution, RunNormCd},
    {69, {6, {64, 10, 20, 55, 61, 63}}, {0, {}}, 0, kDistribution, RunInvNorm},
    {70, {4, {13, 9, 61, 62}}, {0, {}}, 0, kDistribution, RunTPd},
    {71, {5, {5, 6, 9, 61, 63}}, {0, {}}, 0, kDistribution, RunTCd},
    {72, {4, {13, 9, 61, 62}}, {0, {}}, 0, kDistribution, RunChiPd},
    {73, {5, {5, 6, 9, 61, 63}}, {0, {}}, 0, kDistribution, RunChiCd},
    {74, {5, {13, 7, 8, 61, 62}}, {0, {}}, 0, kDistribution, RunFPd},
    {75, {6, {5, 6, 7, 8, 61, 63}}, {0, {}}, 0, kDistribution, RunFCd},
    {76, {6, {1, 35, 4, 3, 61, 63}}, {6, {1, 13, 4, 3, 61, 63}}, 0, kDiscrete, RunBinomPd},
    {77, {6, {1, 35, 4, 3, 61, 63}}, {6, {1, 13, 4, 3, 61, 63}}, 0, kDiscrete, RunBinomCd},
    {78, {5, {1, 35, 55, 61, 63}}, {5, {1, 13, 55, 61, 63}}, 0, kDiscrete, RunPoissonPd},
    {79, {5, {1, 35, 55, 61, 63}}, {5, {1, 13, 55, 61, 63}}, 0, kDiscrete, RunPoissonCd},
    {80, {5, {1, 35, 3, 61, 63}}, {5, {1, 13, 3, 61, 63}}, 0, kDiscrete, RunGeoPd},
    {81, {5, {1, 35, 3, 61, 63}}, {5, {1, 13, 3, 61, 63}}, 0, kDiscrete, RunGeoCd},
};

// What a result graph's answer does to the kept-result flag: a graph left
// with EXIT or G<->T may be shown again; true when the user quit.
bool AfterGraph(StatAp *ap, i32 r, u32 view) {
  if (r == -1) return true;
  if (view == kStatGraphDraw) {
    if (r == -11) ap->resultValid = 1;
    if (r == -14 || r == -6 || r == -2 || r == 0) ap->resultValid = 0;
  } else if (r == -14) {
    ap->resultValid = 0;
  }
  return false;
}

// Runs a kernel with the busy indicator and the break key armed.
template <class F>
u32 Busy(F run) {
  u32 slot = 0;
  LcdBusySave(&slot);
  LcdShowBusyIndicator();
  KeyBreakArm();
  const u32 e = run();
  LcdBusyRestore(&slot);
  return e;
}

// "Save Res" of a command's results: 0, or the code already shown.
u32 SaveResults(const Command &c, StatAp *ap, const Block &b) {
  const u8 list = static_cast<u8>(U(ap->saveRes));
  if (c.family == kDiscrete && ListMode(ap)) return StatSaveWorkList(list);
  // A test's first row is its condition, which is not saved.
  const u32 from = c.family == kTest && c.code != 50 ? 1 : 0;
  if (c.code == 59) {
    // The residuals take the Resid List; Save Res only without it.
    if (SetupGetItem(kSetupResidList) == 0)
      if (u32 e = StatSaveResultList(list, static_cast<i32>(b.count - from), b.value + from)) return e;
    if (u32 e = StatSaveResiduals(U(ap->list1), U(ap->list2), &b.value[5], &b.value[4])) {
      ErrBox(static_cast<i32>(e));
      return e;
    }
    return 0;
  }
  if (c.code == 50) {
    const u8 target = static_cast<u8>(U(ap->expected));
    if (ItemMatCopy(target, kStatChiWorkMatrix) != 0) {
      ItemMatDelete(target);
      ErrBox(4);
      return 4;
    }
  }
  return StatSaveResultList(list, static_cast<i32>(b.count - from), b.value + from);
}

i32 Drive(const Command &c, StatAp *ap) {
  i32 first = 1, cursor = 1;
  Block kept{};  // the results the last graph was drawn from
  for (;;) {
    const Rows &rows = c.variable.count && !ListMode(ap) ? c.variable : c.list;
    ap->rows = static_cast<i16>(rows.count);
    const i32 r = StatParamScreen(&first, &cursor, ap, rows.id);
    if (r == 2) return -1;
    if (r == 3) return -2;
    if (r == 1) {
      first = cursor = 1;
      continue;
    }
    if (r == 6) {
      if (ap->resultValid == 1 &&
          AfterGraph(ap, StatResultGraph(kStatGraphRedraw, c.code, &kept, ap), kStatGraphRedraw))
        return -1;
      continue;
    }
    if (r != 4 && r != 5) continue;
    Block b{};
    b.cond = ap->cond;
    if (u32 e = Busy([&] { return c.run(ap, &b); })) {
      ErrBox(static_cast<i32>(e));
      continue;
    }
    if (SaveResults(c, ap, b) != 0) continue;
    if (r == 5) {
      for (u32 i = 0; i < b.count; ++i) StatKeepResultParams(&b.value[i], ap, b.id[i]);
      kept = b;
      if (AfterGraph(ap, StatResultGraph(kStatGraphDraw, c.code, &b, ap), kStatGraphDraw)) return -1;
      continue;
    }
    const u32 shown = c.family == kDiscrete && ListMode(ap) ? StatWorkListScreen(c.code)
                                                           : StatResultScreen(&b, c.indent, ap);
    if (shown == 2) return -1;
  }
}

i32 DriveAnova(StatAp *ap) {
  // ANOVA writes five lists from Save Res on: List 23 and above leave no room.
  if (ap->saveRes > 22) {
    ap->saveRes = 0;
    StatSaveSettings(ap);
  }
  static const u32 kOne[5] = {29, 27, 28, 65, 63};
  static const u32 kTwo[6] = {29, 30, 31, 28, 65, 62};
  i32 first = 1, cursor = 1;
  for (;;) {
    const bool two = ap->howMany == 2;
    ap->rows = two ? 6 : 5;
    const i32 r = StatParamScreen(&first, &cursor, ap, two ? kTwo : kOne);
    if (r == 2) return -1;
    if (r == 3) return -2;
    if (r == 1) continue;
    if (r == 6) {
      if (ap->resultValid == 1 && AfterGraph(ap, StatAnovaGraph(kStatGraphRedraw, nullptr), kStatGraphRedraw))
        return -1;
      continue;
    }
    if (r != 4 && r != 5) continue;
    StatAnova1Rec one{};
    StatAnova2Rec both{};
    one.angle = both.angle = Angle();
    one.factorList = both.factorAList = U(ap->factorA);
    both.factorBList = U(ap->factorB);
    one.dependentList = both.dependentList = U(ap->dependent);
    if (u32 e = Busy([&] { return two ? StatAnova2(0, &both) : StatAnova1(0, &one); })) {
      ErrBox(static_cast<i32>(e));
      continue;
    }
    if (StatSaveAnovaResults(U(ap->saveRes), two ? 2 : 1, &one, &both) != 0) continue;
    if (r == 5) {
      if (two && AfterGraph(ap, StatAnovaGraph(kStatGraphDraw, &both), kStatGraphDraw)) return -1;
      continue;
    }
    if (StatAnovaScreen(two ? 2 : 1, &one, &both) == 2) return -1;
  }
}

}  // namespace

i32 StatRunCommand(u32 code) {
  if (code < 50 || code > 81 || code == 60) return -2;
  StatAp ap;
  std::memset(&ap, 0, sizeof ap);
  if (StatLoadSettings(&ap) != 0) {
    StatDefaultSettings(&ap);
    StatSaveSettings(&ap);
  }
  ap.command = static_cast<i16>(code);
  ap.resultValid = 0;
  if (code == 52) return DriveAnova(&ap);
  for (const Command &c : kCommands)
    if (c.code == code) return Drive(c, &ap);
  return -2;
}
