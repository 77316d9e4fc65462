// Confidence interval kernels: centre plus and minus a margin, with the
// critical value from the inverse normal or inverse t kernel.
#include "apps/stat/stat_intervals.h"

#include "apps/stat/stat_data.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"

using namespace statreal;

namespace {

void Store(const R &v, R *field) { RealNormalize(&v, field); }

// z with P(Z <= z) = (1 + C) / 2.
u32 CriticalZ(const R &level, R *z) {
  if (u32 e = StatCheckUnitOpen(&level)) return e;
  StatNormRec n{};
  n.tail = -1;
  n.area = Add(Mul(level, Half()), Half());
  n.sigma = One();
  n.mu = Zero();
  if (u32 e = StatInvNorm(0, &n)) return e;
  *z = n.inv1;
  return 0;
}

// t of the central interval holding the area C.
u32 CriticalT(const R &level, const R &df, R *t) {
  StatTRec r{};
  r.area = level;
  r.df = df;
  if (u32 e = StatInvT(0, &r)) return e;
  *t = r.second;
  return 0;
}

// centre -+ margin, each end clipped to the range.
u32 Bounds(const R &centre, const R &margin, R *lower, R *upper) {
  const R lim = Limit(), half = Half(), edge = Mul(lim, half);
  const R hc = Mul(centre, half), hm = Mul(margin, half);
  R up = Add(centre, margin), lo = Sub(centre, margin);
  if (Ge(Abs(Add(hc, hm)), edge)) up = lim;
  if (Ge(Abs(Sub(hc, hm)), edge)) lo = Neg(lim);
  if (IsErr(lo)) return RealErrorCode(&lo);
  if (IsErr(up)) return RealErrorCode(&up);
  Store(lo, lower);
  Store(up, upper);
  return 0;
}

// The whole range as the interval.
u32 Everything(R *lower, R *upper) {
  Store(Neg(Limit()), lower);
  Store(Limit(), upper);
  return 0;
}

u32 Combined(const R &a, const R &b, R *out) { return StatTwoTermRoot(&a, &b, out); }

// Difference of two means, refused when it would overflow.
u32 Difference(const R &m1, const R &m2, R *out) {
  const R half = Half();
  if (IsErr(m1) || IsErr(m2) || Ge(Abs(Sub(Mul(m1, half), Mul(m2, half))), Mul(Limit(), half))) return kStatErrMa;
  *out = Sub(m1, m2);
  return 0;
}

}  // namespace

u32 StatZInt1(u32 mode, StatZInt1Rec *r) {
  R z;
  if (u32 e = CriticalZ(r->level, &z)) return e;
  if (u32 e = StatCheckPositive(&r->sigma)) return e;
  R n = r->n, mean = r->mean, sx = Neg(One());
  if (mode == 1) {
    if (u32 e = StatReadDataList(&n, r->list, r->freq, &mean, &sx)) return e;
  } else if (u32 e = StatCheckPosInt(&n)) {
    return e;
  }
  const R m = Div(z, Sqrt(n)), s = r->sigma;
  const u32 e = Ge(s, One()) && Ge(m, Div(Limit(), s)) ? Everything(&r->lower, &r->upper)
                                                       : Bounds(mean, Mul(m, s), &r->lower, &r->upper);
  if (e) return e;
  Store(sx, &r->outSx);
  Store(mean, &r->outMean);
  Store(n, &r->outN);
  return 0;
}

u32 StatZInt2(u32 mode, StatZInt2Rec *r) {
  R z;
  if (u32 e = CriticalZ(r->level, &z)) return e;
  if (u32 e = StatCheckPositive(&r->sigma1)) return e;
  if (u32 e = StatCheckPositive(&r->sigma2)) return e;
  R n1 = r->n1, n2 = r->n2, m1 = r->mean1, m2 = r->mean2, s1 = Neg(One()), s2 = s1;
  if (mode == 1) {
    if (u32 e = StatReadDataList(&n1, r->list1, r->freq1, &m1, &s1)) return e;
    if (u32 e = StatReadDataList(&n2, r->list2, r->freq2, &m2, &s2)) return e;
  } else {
    if (u32 e = StatCheckPosInt(&n1)) return e;
    if (u32 e = StatCheckPosInt(&n2)) return e;
  }
  R se, centre;
  if (u32 e = Combined(Div(r->sigma1, Sqrt(n1)), Div(r->sigma2, Sqrt(n2)), &se)) return e;
  if (u32 e = Difference(m1, m2, &centre)) return e;
  const u32 e = Ge(se, One()) && Ge(z, Div(Limit(), se)) ? Everything(&r->lower, &r->upper)
                                                         : Bounds(centre, Mul(z, se), &r->lower, &r->upper);
  if (e) return e;
  Store(s1, &r->outSx1);
  Store(s2, &r->outSx2);
  Store(m1, &r->outMean1);
  Store(m2, &r->outMean2);
  Store(n1, &r->outN1);
  Store(n2, &r->outN2);
  return 0;
}

u32 StatPropZInt1(u32, StatPropZInt1Rec *r) {
  R z;
  if (u32 e = CriticalZ(r->level, &z)) return e;
  if (u32 e = StatCheckNonNegInt(&r->x)) return e;
  if (u32 e = StatCheckPosInt(&r->n)) return e;
  if (Gt(r->x, r->n)) return kStatErrMa;
  const R p = Div(r->x, r->n);
  const R se = Div(Mul(Sqrt(p), Sqrt(Sub(One(), p))), Sqrt(r->n));
  if (u32 e = Bounds(p, Mul(z, se), &r->lower, &r->upper)) return e;
  Store(p, &r->phat);
  return 0;
}

u32 StatPropZInt2(u32, StatPropZInt2Rec *r) {
  R z;
  if (u32 e = CriticalZ(r->level, &z)) return e;
  for (const R *v : {&r->x1, &r->x2})
    if (u32 e = StatCheckNonNegInt(v)) return e;
  for (const R *v : {&r->n1, &r->n2})
    if (u32 e = StatCheckPosInt(v)) return e;
  if (Gt(r->x1, r->n1) || Gt(r->x2, r->n2)) return kStatErrMa;
  const R one = One(), p1 = Div(r->x1, r->n1), p2 = Div(r->x2, r->n2);
  const R v1 = Mul(p1, Sub(one, p1)), v2 = Mul(p2, Sub(one, p2));
  // The smaller sample's variance is scaled up to the larger one's size.
  const R se = Lt(r->n1, r->n2) ? Div(Sqrt(Add(Div(Mul(r->n2, v1), r->n1), v2)), Sqrt(r->n2))
                                : Div(Sqrt(Add(Div(Mul(r->n1, v2), r->n2), v1)), Sqrt(r->n1));
  if (u32 e = Bounds(Sub(p1, p2), Mul(z, se), &r->lower, &r->upper)) return e;
  Store(p1, &r->phat1);
  Store(p2, &r->phat2);
  return 0;
}

u32 StatTInt1(u32 mode, StatTInt1Rec *r) {
  if (u32 e = StatCheckUnitOpen(&r->level)) return e;
  R n = r->n, mean = r->mean, sx = r->sx;
  if (mode == 1) {
    if (u32 e = StatReadDataList(&n, r->list, r->freq, &mean, &sx)) return e;
  } else {
    if (u32 e = StatCheckNonNeg(&sx)) return e;
    if (u32 e = StatCheckPosInt(&n)) return e;
  }
  R t;
  if (u32 e = CriticalT(r->level, Sub(n, One()), &t)) return e;
  const R m = Div(t, Sqrt(n));
  const u32 e = Ge(sx, One()) && Ge(m, Div(Limit(), sx)) ? Everything(&r->lower, &r->upper)
                                                         : Bounds(mean, Mul(m, sx), &r->lower, &r->upper);
  if (e) return e;
  Store(sx, &r->outSx);
  Store(mean, &r->outMean);
  Store(n, &r->outN);
  return 0;
}

u32 StatTInt2(u32 mode, StatTInt2Rec *r) {
  if (u32 e = StatCheckUnitOpen(&r->level)) return e;
  R n1 = r->n1, n2 = r->n2, m1 = r->mean1, m2 = r->mean2, s1 = r->sx1, s2 = r->sx2;
  const R one = One(), lim = Limit();
  if (mode == 1) {
    if (u32 e = StatReadDataList(&n1, r->list1, r->freq1, &m1, &s1)) return e;
    if (u32 e = StatReadDataList(&n2, r->list2, r->freq2, &m2, &s2)) return e;
  } else {
    for (const R *v : {&s1, &s2})
      if (u32 e = StatCheckNonNeg(v)) return e;
    for (const R *v : {&n1, &n2})
      if (u32 e = StatCheckPosInt(v)) return e;
  }
  if (Eq(n1, one) || Eq(n2, one)) return kStatErrMa;
  R df, se, sp = Zero(), t;
  if (r->pooled == 0) {
    const R a = Div(s1, Sqrt(n1)), b = Div(s2, Sqrt(n2));
    if (u32 e = Combined(a, b, &se)) return e;
    const R c = Mul(Div(a, se), Div(a, se)), c1 = Sub(one, c);
    const R k = Add(Div(Mul(c, c), Sub(n1, one)), Div(Mul(c1, c1), Sub(n2, one)));
    if (IsErr(k) || Gt(one, Mul(k, lim))) return kStatErrMa;
    df = Div(one, k);
    if (u32 e = CriticalT(r->level, df, &t)) return e;
  } else {
    df = Sub(Add(n1, n2), Two());
    const R a = Mul(Sqrt(Div(Sub(n1, one), df)), s1), b = Mul(Sqrt(Div(Sub(n2, one), df)), s2);
    if (u32 e = Combined(a, b, &sp)) return e;
    if (u32 e = CriticalT(r->level, df, &t)) return e;
    se = Mul(sp, Sqrt(Add(Div(one, n1), Div(one, n2))));
  }
  if (Gt(se, one) && Gt(t, Div(lim, se))) return kStatErrMa;
  R centre;
  if (u32 e = Difference(m1, m2, &centre)) return e;
  if (u32 e = Bounds(centre, Mul(t, se), &r->lower, &r->upper)) return e;
  Store(df, &r->df);
  Store(sp, &r->sp);
  Store(m1, &r->outMean1);
  Store(m2, &r->outMean2);
  Store(s1, &r->outSx1);
  Store(s2, &r->outSx2);
  Store(n1, &r->outN1);
  Store(n2, &r->outN2);
  return 0;
}
