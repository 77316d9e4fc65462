// The result graphs of the TEST and DIST commands: each sets up the graph of
// its statistic's distribution (density, degrees of freedom, shaded bounds)
// from the results, or the cell means of the two-way ANOVA, and shows it.
#include <algorithm>
#include <vector>

#include "apps/stat/dist_graph.h"
#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_data.h"
#include "apps/stat/stat_fcrit.h"
#include "apps/stat/stat_real.h"
#include "graph/screen/graph_screen.h"
#include "kernel/keyqueue.h"
#include "ui/errbox.h"
#include "ui/lcd.h"

using namespace statreal;

namespace {

i32 SetUpFailed(u32 e) {
  ErrBox(static_cast<i32>(e));
  return kGraphExitExit;
}

// The statistic's shaded bounds by the condition: "<" left of it, ">"
// right of it, "not equal" both tails beyond -|s| and |s|.
u32 ShadeOf(i32 cond, const R &s, R bounds[2]) {
  if (cond == 0) {
    bounds[0] = Neg(Abs(s)), bounds[1] = Abs(s);
    return kDistShadeTails;
  }
  bounds[0] = bounds[1] = s;
  return cond == 1 ? kDistShadeLeft : kDistShadeRight;
}

// The 2-sample F test: both bounds at F for one tail; for two tails the
// critical pair of the p-value, the one on F's side replaced by F itself.
i32 TwoSampleF(const StatResultBlock *b, u32 view, DistGraph *g) {
  const R f = b->value[1], p = b->value[2];
  const R n1 = b->value[b->count - 2], n2 = b->value[b->count - 1];
  const R limit = Num("1e13");
  if (!Lt(n1, limit) || !Lt(n2, limit)) {
    ErrBox(3);
    return kGraphExitShown;
  }
  if (view == kStatGraphRedraw) return DistGraphRedraw(g);
  R bounds[2] = {f, f};
  u32 shade = b->cond == 1 ? kDistShadeLeft : kDistShadeRight;
  if (b->cond == 0) {
    shade = kDistShadeTails;
    const R one = One();
    if (!(Eq(f, one) && Eq(n1, n2))) {
      R pair[2];
      u32 e = 0;
      {
        u32 slot = 0;
        LcdBusySave(&slot);
        LcdShowBusyIndicator();
        KeyBreakArm();
        e = StatFCritPair(&n1, &n2, &p, pair);
        LcdBusyRestore(&slot);
      }
      if (e != 0) {
        ErrBox(static_cast<i32>(e));
        return kGraphExitShown;
      }
      bounds[0] = pair[0], bounds[1] = pair[1];
      if (Lt(f, one) && Gt(bounds[1], f)) bounds[0] = f;
      if (Gt(f, one) && Lt(bounds[0], f)) bounds[1] = f;
      if (Eq(f, one)) {
        if (Lt(n1, n2)) bounds[1] = f;
        if (Gt(n1, n2)) bounds[0] = f;
      }
    }
  }
  const R args[3] = {Sub(n1, One()), Sub(n2, One()), Zero()};
  if (u32 e = DistGraphSetUp(g, kDistGraphTwoF, shade, bounds, args, &p)) return SetUpFailed(e);
  return DistGraphShow(g);
}

// The distinct values of a list, ascending, into a statistics work list.
u32 LevelsInto(u32 from, u32 to) {
  u32 n = 0;
  if (u32 e = StatDataListSize(from, &n)) return e;
  std::vector<R> v;
  for (u32 i = 1; i <= n; ++i) {
    R x;
    if (u32 e = StatDataListGet(from, i, &x)) return e;
    v.push_back(x);
  }
  std::sort(v.begin(), v.end(), [](const R &a, const R &b) { return Lt(a, b); });
  v.erase(std::unique(v.begin(), v.end(), [](const R &a, const R &b) { return Eq(a, b); }), v.end());
  StatDataListDelete(to);
  if (u32 e = StatDataListCreate(to, static_cast<u32>(v.size()))) return e;
  for (u32 i = 0; i < v.size(); ++i)
    if (u32 e = StatDataListSet(to, i + 1, &v[i])) return e;
  return 0;
}

}  // namespace

i32 StatResultGraph(u32 view, u32 code, const StatResultBlock *b, const StatAp *ap) {
  DistGraph *g = DistGraphCurrent();
  const R zero = Zero();
  R args[3] = {zero, zero, zero};
  R bounds[2] = {zero, zero};
  u32 id = 0;
  u32 shade = kDistShadeNone;
  const R *p = nullptr;
  switch (code) {
    case 53:
    case 54:
    case 55:
    case 56:
    case 57:
    case 58: {
      static const u32 kId[6] = {kDistGraphOneZ, kDistGraphTwoZ, kDistGraphOnePropZ, kDistGraphTwoPropZ,
                                 kDistGraphOneT, kDistGraphTwoT};
      id = kId[code - 53];
      shade = ShadeOf(b->cond, b->value[1], bounds);
      p = &b->value[2];
      if (code == 57) args[0] = Sub(b->value[b->count - 1], One());  // n - 1
      if (code == 58) args[0] = b->value[3];                          // df
      break;
    }
    case 50:
      id = kDistGraphChi;
      shade = kDistShadeRight;
      bounds[0] = bounds[1] = b->value[0];
      p = &b->value[1];
      args[0] = b->value[2];
      break;
    case 51: return TwoSampleF(b, view, g);
    case 67:
      id = kDistGraphNormPd;
      args[0] = ap->sigma1, args[1] = ap->mu;
      break;
    case 70:
      id = kDistGraphTPd;
      args[0] = ap->df;
      break;
    case 72:
      id = kDistGraphChiPd;
      args[0] = ap->df;
      break;
    case 74:
      id = kDistGraphFPd;
      args[0] = ap->ndf, args[1] = ap->ddf;
      break;
    default: return kGraphExitNothing;
  }
  if (view == kStatGraphRedraw) return DistGraphRedraw(g);
  if (u32 e = DistGraphSetUp(g, id, shade, bounds, args, p)) return SetUpFailed(e);
  return DistGraphShow(g);
}

i32 StatAnovaGraph(u32 view, StatAnova2Rec *two) {
  DistGraph *g = DistGraphCurrent();
  if (view == kStatGraphRedraw) return DistGraphRedraw(g);
  u32 slot = 0;
  LcdBusySave(&slot);
  LcdShowBusyIndicator();
  KeyBreakArm();
  u32 e = StatAnovaCellMeans(0, two);
  if (e == 0) e = LevelsInto(two->factorAList, kDistAnovaLevelsA);
  if (e == 0) e = LevelsInto(two->factorBList, kDistAnovaLevelsB);
  LcdBusyRestore(&slot);
  if (e != 0) return SetUpFailed(e);
  DistGraphSetUp(g, kDistGraphAnova, kDistShadeNone, nullptr, nullptr, nullptr);
  return DistGraphShow(g);
}
