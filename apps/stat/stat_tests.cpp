// Hypothesis test kernels over the distribution kernels, in the number
// core's 15-digit arithmetic. Overflow guards are part of each formula: a
// statistic that would overflow ends the test with Ma ERROR.
#include "apps/stat/stat_tests.h"

#include <vector>

#include "apps/stat/stat_data.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/value.h"

using namespace statreal;

namespace {

void Store(const R &v, R *field) { RealNormalize(&v, field); }
R NegLimit() { return Constant<RealSetNegLimit>(); }
R Max() { return Constant<RealSetMax>(); }
R Big11() { return Num("1e11"); }
R RootLimit() { return Num("9.99499875e49"); }
u32 CodeOf(const R &v) { return RealErrorCode(&v); }
u32 ErrMa(const R &v) { return IsErr(v) ? kStatErrMa : 0; }

// Standard normal, Student-t, chi-square and F probabilities of [lo, up].
u32 Normal(const R &lo, const R &up, R *p) {
  StatNormRec n{};
  n.lower = lo, n.upper = up, n.sigma = One(), n.mu = Zero();
  const u32 e = StatNormCd(0, &n);
  *p = n.cd;
  return e;
}
u32 Student(const R &lo, const R &up, const R &df, R *p) {
  StatTRec t{};
  t.lower = lo, t.upper = up, t.df = df;
  const u32 e = StatTCd(0, &t);
  *p = t.cd;
  return e;
}
u32 ChiSquare(const R &lo, const R &up, const R &df, R *p) {
  StatChiRec c{};
  c.lower = lo, c.upper = up, c.df = df;
  const u32 e = StatChiCd(0, &c);
  *p = c.cd;
  return e;
}
u32 FDist(const R &lo, const R &up, const R &ndf, const R &ddf, R *p) {
  StatFRec f{};
  f.lower = lo, f.upper = up, f.ndf = ndf, f.ddf = ddf;
  const u32 e = StatFCd(0, &f);
  *p = f.cd;
  return e;
}

// The statistic (estimate - hypothesis) / standard error, divided first
// when the error is at least 1 so that large values do not overflow.
u32 Quotient(const R &est, const R &hyp, const R &se, R *out) {
  *out = Ge(se, One()) ? Sub(Div(est, se), Div(hyp, se)) : Div(Sub(est, hyp), se);
  return ErrMa(*out);
}

u32 TwoTermRoot(const R &a, const R &b, R *out) { return StatTwoTermRoot(&a, &b, out); }

// p of a one-sample Z statistic: both tails as twice the upper one.
u32 OneSampleNormalP(i32 cond, const R &z, R *p) {
  if (cond == kStatCondNotEqual) {
    R q;
    if (u32 e = Normal(Abs(z), Limit(), &q)) return e;
    *p = Mul(Two(), q);
    return 0;
  }
  return cond == kStatCondLess ? Normal(NegLimit(), z, p) : Normal(z, Limit(), p);
}

// p of a two-sample Z statistic: the tails as 1 minus the rest.
u32 TwoSampleNormalP(i32 cond, const R &z, R *p) {
  R c;
  if (cond == kStatCondNotEqual) {
    if (u32 e = Normal(Neg(Abs(z)), Abs(z), &c)) return e;
    *p = Sub(One(), c);
    return 0;
  }
  if (u32 e = Normal(Neg(Big11()), z, &c)) return e;
  *p = cond == kStatCondLess ? c : Sub(One(), c);
  return 0;
}

// p of a t statistic. Both tails are taken as twice the upper one: 1 minus
// the central area would lose the digits of a small p.
u32 StudentP(i32 cond, const R &t, const R &df, R *p) {
  if (cond == kStatCondNotEqual) {
    R q;
    if (u32 e = Student(Abs(t), Limit(), df, &q)) return e;
    *p = Mul(Two(), q);
    return 0;
  }
  return cond == kStatCondLess ? Student(NegLimit(), t, df, p) : Student(t, Limit(), df, p);
}

// Stores the statistic and its p after checking p as a probability.
u32 FinishTest(const R &stat, const R &p, R *statOut, R *pOut) {
  if (u32 e = StatCheckProb(&p)) return e;
  Store(stat, statOut);
  Store(p, pOut);
  return 0;
}

// One sample's n, mean and deviation from its list (list mode).
u32 ReadSample(u32 list, u32 freq, R *n, R *mean, R *sx) { return StatReadDataList(n, list, freq, mean, sx); }

}  // namespace

u32 StatOneSampleZTest(u32 mode, StatOneSampleZRec *r) {
  if (u32 e = StatCheckPositive(&r->sigma)) return e;
  R n = r->n, mean = r->mean, sx = Zero();
  if (mode == 1) {
    if (u32 e = ReadSample(r->list, r->freq, &n, &mean, &sx)) return e;
  } else if (u32 e = StatCheckPosInt(&n)) {
    return e;
  }
  R z, p;
  if (u32 e = Quotient(mean, r->mu0, Div(r->sigma, Sqrt(n)), &z)) return e;
  if (u32 e = OneSampleNormalP(r->cond, z, &p)) return e;
  if (u32 e = FinishTest(z, p, &r->z, &r->p)) return e;
  Store(mean, &r->outMean);
  Store(sx, &r->outSx);
  Store(n, &r->outN);
  return 0;
}

u32 StatTwoSampleZTest(u32 mode, StatTwoSampleZRec *r) {
  if (u32 e = StatCheckPositive(&r->sigma1)) return e;
  if (u32 e = StatCheckPositive(&r->sigma2)) return e;
  R n1 = r->n1, n2 = r->n2, m1 = r->mean1, m2 = r->mean2, s1 = Zero(), s2 = Zero();
  if (mode == 1) {
    if (u32 e = ReadSample(r->list1, r->freq1, &n1, &m1, &s1)) return e;
    if (u32 e = ReadSample(r->list2, r->freq2, &n2, &m2, &s2)) return e;
  } else {
    if (u32 e = StatCheckPosInt(&n1)) return e;
    if (u32 e = StatCheckPosInt(&n2)) return e;
  }
  R se, z, p;
  if (u32 e = TwoTermRoot(Div(r->sigma1, Sqrt(n1)), Div(r->sigma2, Sqrt(n2)), &se)) return e;
  if (u32 e = Quotient(m1, m2, se, &z)) return e;
  if (u32 e = TwoSampleNormalP(r->cond, z, &p)) return e;
  if (u32 e = FinishTest(z, p, &r->z, &r->p)) return e;
  Store(m1, &r->outMean1);
  Store(m2, &r->outMean2);
  Store(s1, &r->outSx1);
  Store(s2, &r->outSx2);
  Store(n1, &r->outN1);
  Store(n2, &r->outN2);
  return 0;
}

u32 StatOnePropZTest(u32, StatOnePropZRec *r) {
  const R p0 = r->p0, one = One(), lim = Limit();
  if (u32 e = CodeOf(p0)) return e;
  if (Le(p0, Zero()) || Ge(p0, one)) return kStatErrMa;
  if (u32 e = StatCheckNonNegInt(&r->x)) return e;
  if (u32 e = StatCheckPosInt(&r->n)) return e;
  if (Gt(r->x, r->n)) return kStatErrMa;
  const R phat = Div(r->x, r->n);
  if (u32 e = StatCheckProb(&phat)) return e;
  const R t1 = Mul(Sqrt(r->n), Sub(phat, p0));
  if (IsErr(t1) || Ge(Abs(t1), Mul(Sqrt(p0), lim))) return kStatErrMa;
  const R t2 = Div(t1, Sqrt(p0));
  if (IsErr(t2) || Ge(Abs(t2), Mul(Sqrt(Sub(one, p0)), lim))) return kStatErrMa;
  const R z = Div(t2, Sqrt(Sub(one, p0)));
  if (IsErr(z)) return kStatErrMa;
  R p;
  if (u32 e = OneSampleNormalP(r->cond, z, &p)) return e;
  if (u32 e = FinishTest(z, p, &r->z, &r->p)) return e;
  Store(phat, &r->phat);
  return 0;
}

u32 StatTwoPropZTest(u32, StatTwoPropZRec *r) {
  if (u32 e = StatCheckNonNegInt(&r->x1)) return e;
  if (u32 e = StatCheckPosInt(&r->n1)) return e;
  if (Gt(r->x1, r->n1)) return kStatErrMa;
  if (u32 e = StatCheckNonNegInt(&r->x2)) return e;
  if (u32 e = StatCheckPosInt(&r->n2)) return e;
  if (Gt(r->x2, r->n2)) return kStatErrMa;
  const R one = One();
  const R phat = Div(Add(r->x1, r->x2), Add(r->n1, r->n2));
  const R p1 = Div(r->x1, r->n1), p2 = Div(r->x2, r->n2);
  for (const R *v : {&phat, &p1, &p2})
    if (u32 e = StatCheckProb(v)) return e;
  // No successes, or no failures, in both samples leave no spread to test.
  const R var = Mul(Mul(phat, Sub(one, phat)), Add(Div(one, r->n1), Div(one, r->n2)));
  if (IsErr(var) || !Gt(var, Zero())) return kStatErrMa;
  const R z = Div(Sub(p1, p2), Sqrt(var));
  if (IsErr(z)) return kStatErrMa;
  R p;
  if (u32 e = TwoSampleNormalP(r->cond, z, &p)) return e;
  if (u32 e = FinishTest(z, p, &r->z, &r->p)) return e;
  Store(p1, &r->phat1);
  Store(p2, &r->phat2);
  Store(phat, &r->phat);
  return 0;
}

u32 StatOneSampleTTest(u32 mode, StatOneSampleTRec *r) {
  R n = r->n, mean = r->mean, sx = r->sx;
  if (mode == 1)
    if (u32 e = ReadSample(r->list, r->freq, &n, &mean, &sx)) return e;
  if (u32 e = StatCheckPositive(&sx)) return e;
  if (u32 e = StatCheckPosInt(&n)) return e;
  R t, p;
  if (u32 e = Quotient(mean, r->mu0, Div(sx, Sqrt(n)), &t)) return e;
  if (u32 e = StudentP(r->cond, t, Sub(n, One()), &p)) return e;
  if (u32 e = FinishTest(t, p, &r->t, &r->p)) return e;
  Store(mean, &r->outMean);
  Store(sx, &r->outSx);
  Store(n, &r->outN);
  return 0;
}

u32 StatTwoSampleTTest(u32 mode, StatTwoSampleTRec *r) {
  R n1 = r->n1, n2 = r->n2, m1 = r->mean1, m2 = r->mean2, s1 = r->sx1, s2 = r->sx2;
  const R one = One(), lim = Limit();
  if (mode == 1) {
    if (u32 e = ReadSample(r->list1, r->freq1, &n1, &m1, &s1)) return e;
    if (u32 e = ReadSample(r->list2, r->freq2, &n2, &m2, &s2)) return e;
  } else {
    for (const R *v : {&s1, &s2})
      if (u32 e = StatCheckNonNeg(v)) return e;
    for (const R *v : {&n1, &n2})
      if (u32 e = StatCheckPosInt(v)) return e;
  }
  if (Eq(n1, one) || Eq(n2, one)) return kStatErrMa;
  R t, df, sp = Zero();
  if (r->pooled == 1) {
    df = Sub(Add(n1, n2), Two());
    const R a = Mul(s1, Sqrt(Div(Sub(n1, one), df))), b = Mul(s2, Sqrt(Div(Sub(n2, one), df)));
    if (u32 e = TwoTermRoot(a, b, &sp)) return e;
    R num;
    if (u32 e = Quotient(m1, m2, sp, &num)) return e;
    const R w = Sqrt(Add(Div(one, n1), Div(one, n2)));
    if (Gt(Abs(num), Mul(w, lim))) return kStatErrMa;
    t = Div(num, w);
    if (IsErr(t)) return kStatErrMa;
    if (u32 e = StatCheckNonNeg(&sp)) return e;
  } else {
    const R a = Div(s1, Sqrt(n1)), b = Div(s2, Sqrt(n2));
    R se;
    if (u32 e = TwoTermRoot(a, b, &se)) return e;
    if (u32 e = Quotient(m1, m2, se, &t)) return e;
    const R c = Mul(Div(a, se), Div(a, se)), c1 = Sub(one, c);
    const R d = Add(Div(Mul(c, c), Sub(n1, one)), Div(Mul(c1, c1), Sub(n2, one)));
    if (IsErr(d) || Gt(one, Mul(d, lim))) return kStatErrMa;
    df = Div(one, d);
  }
  R p;
  if (u32 e = StudentP(r->cond, t, df, &p)) return e;
  if (u32 e = FinishTest(t, p, &r->t, &r->p)) return e;
  Store(df, &r->df);
  Store(m1, &r->outMean1);
  Store(m2, &r->outMean2);
  Store(s1, &r->outSx1);
  Store(s2, &r->outSx2);
  Store(n1, &r->outN1);
  Store(n2, &r->outN2);
  Store(sp, &r->sp);
  return 0;
}

u32 StatLinRegTTest(u32, StatLinRegTRec *r) {
  R n, xm, sx, ny, ym, sy;
  const R one = One(), zero = Zero();
  if (u32 e = StatReadDataList(&n, r->xList, r->freq, &xm, &sx)) return e;
  if (Le(n, Two())) return kStatErrMa;
  const R n1 = Sub(n, one), sxx = Mul(Mul(sx, sx), n1);
  if (u32 e = StatReadDataList(&ny, r->yList, r->freq, &ym, &sy)) return e;
  if (!Eq(ny, n)) return kStatErrDimension;
  const R syy = Mul(Mul(sy, sy), n1);
  R sxy;
  if (u32 e = StatSumCrossDev(r->xList, r->yList, r->freq, xm, ym, &sxy)) return e;
  if (Lt(sxx, one) && Gt(Abs(sxy), Mul(sxx, Limit()))) return kStatErrMa;
  const R b = Div(sxy, sxx), a = Sub(ym, Mul(b, xm));
  R rr = Div(sxy, Mul(Mul(n1, sx), sy));
  const R df = Sub(n, Two());
  // On an exact line rounding may leave the residual sum or 1 - r^2 a
  // little below 0: both are 0 there.
  R rss = Sub(syy, Mul(b, sxy));
  if (Lt(rss, zero)) rss = zero;
  if (Gt(rr, one)) rr = one;
  if (Lt(rr, Neg(one))) rr = Neg(one);
  const R s = Sqrt(Div(rss, df)), r2 = Mul(rr, rr);
  for (const R *v : std::initializer_list<const R *>{&b, &a, &rr, &s, &r2})
    if (u32 e = CodeOf(*v)) return e;
  const R u = Mul(rr, Sqrt(df)), rest = Sub(one, r2);
  const R v = Sqrt(Lt(rest, zero) ? zero : rest);
  const bool negative = Lt(rr, zero);
  // A statistic beyond the range (an exact line) gives p from the largest
  // real and shows as the limit.
  const bool beyond = Ge(Abs(u), Mul(Limit(), v));
  R t = beyond ? (negative ? Neg(Max()) : Max()) : Div(u, v);
  if (u32 e = CodeOf(t)) return e;
  R p;
  if (u32 e = StudentP(r->cond, t, df, &p)) return e;
  if (beyond) t = negative ? NegLimit() : Limit();
  if (u32 e = FinishTest(t, p, &r->t, &r->p)) return e;
  Store(df, &r->df);
  Store(a, &r->a);
  Store(b, &r->b);
  Store(s, &r->s);
  Store(rr, &r->r);
  Store(r2, &r->r2);
  return 0;
}

u32 StatChiSquareTest(u32, StatChiSquareRec *r) {
  u32 rows = 0, cols = 0;
  if (r->observed > 99 || ItemMatDims(static_cast<u8>(r->observed), &rows, &cols) != 0) return kStatErrDimension;
  if (rows < 2 || cols < 2) return kStatErrDimension;
  std::vector<R> obs(rows * cols), rowTotal(rows, Zero()), expected(rows * cols);
  R total = Zero(), chi = Zero();
  for (u32 i = 0; i < rows; ++i) {
    for (u32 j = 0; j < cols; ++j) {
      Value v{};
      if (ItemMatGet(static_cast<u8>(r->observed), i + 1, j + 1, &v) != 0) return kStatErrMemory;
      if (ValIsComplex(&v) == 1) return kStatErrComplexList;
      if (u32 e = StatCheckNonNegInt(&v.re)) return e;
      obs[i * cols + j] = v.re;
      rowTotal[i] = Add(rowTotal[i], v.re);
      if (KeyBreakPoll() != 0) return kStatErrBreak;
    }
    if (u32 e = CodeOf(rowTotal[i])) return e;
    if (Eq(rowTotal[i], Zero())) return kStatErrMa;
    total = Add(total, rowTotal[i]);
  }
  const R big = Num("1e50");
  for (u32 j = 0; j < cols; ++j) {
    R k = Zero();
    for (u32 i = 0; i < rows; ++i) k = Add(k, obs[i * cols + j]);
    if (u32 e = CodeOf(k)) return e;
    if (Eq(k, Zero())) return kStatErrMa;
    for (u32 i = 0; i < rows; ++i) {
      const R &ri = rowTotal[i];
      const R e = Lt(k, Div(Limit(), ri)) ? Div(Mul(k, ri), total)
                                          : Mul(Mul(Div(Mul(Div(ri, big), Div(k, big)), total), big), big);
      const R root = Sqrt(e), d = Sub(Div(obs[i * cols + j], root), root);
      chi = Add(chi, Mul(d, d));
      if (u32 c = CodeOf(e)) return c;
      expected[i * cols + j] = e;
      if (KeyBreakPoll() != 0) return kStatErrBreak;
    }
  }
  if (u32 e = CodeOf(chi)) return e;
  R rd, cd;
  NumFromInt32(static_cast<i32>(rows) - 1, &rd);
  NumFromInt32(static_cast<i32>(cols) - 1, &cd);
  const R df = Mul(rd, cd);
  R p;
  if (u32 e = ChiSquare(chi, Big11(), df, &p)) return e;
  if (u32 e = StatCheckProb(&p)) return e;
  // The expected counts go to the work matrix only when everything worked.
  if (ItemMatCreate(kStatChiWorkMatrix, rows, cols) != 0) return kStatErrMemory;
  for (u32 i = 0; i < rows; ++i)
    for (u32 j = 0; j < cols; ++j) {
      Value v{};
      Store(expected[i * cols + j], &v.re);
      RealSetZero(&v.im);
      if (ItemMatSet(kStatChiWorkMatrix, i + 1, j + 1, &v) != 0) {
        ItemMatDelete(kStatChiWorkMatrix);
        return kStatErrMemory;
      }
    }
  Store(chi, &r->chi2);
  Store(p, &r->p);
  Store(df, &r->df);
  return 0;
}

u32 StatTwoSampleFTest(u32 mode, StatTwoSampleFRec *r) {
  R n1 = r->n1, n2 = r->n2, s1 = r->sx1, s2 = r->sx2, m1 = Zero(), m2 = Zero();
  const R one = One(), root = RootLimit();
  if (mode == 1) {
    if (u32 e = ReadSample(r->list1, r->freq1, &n1, &m1, &s1)) return e;
    if (u32 e = ReadSample(r->list2, r->freq2, &n2, &m2, &s2)) return e;
  } else {
    for (const R *v : {&s1, &s2})
      if (u32 e = StatCheckNonNeg(v)) return e;
    for (const R *v : {&n1, &n2})
      if (u32 e = StatCheckPosInt(v)) return e;
  }
  if (Lt(s2, one) && Ge(s1, Mul(s2, root))) return kStatErrMa;
  const R q = Div(s1, s2);
  if (IsErr(q) || Ge(q, root)) return kStatErrMa;
  const R f = Mul(q, q), d1 = Sub(n1, one), d2 = Sub(n2, one);
  R left, right, two;
  if (u32 e = FDist(Zero(), f, d1, d2, &left)) return e;
  if (Lt(left, Half())) {
    right = Sub(one, left);
    two = Mul(Two(), left);
  } else {
    if (u32 e = FDist(Zero(), Div(one, f), d2, d1, &right)) return e;
    left = Sub(one, right);
    two = Mul(Two(), right);
  }
  if (Gt(two, one)) two = one;
  const R p = r->cond == kStatCondNotEqual ? two : r->cond == kStatCondLess ? left : right;
  if (u32 e = FinishTest(f, p, &r->f, &r->p)) return e;
  Store(s1, &r->outSx1);
  Store(s2, &r->outSx2);
  Store(m1, &r->outMean1);
  Store(m2, &r->outMean2);
  Store(n1, &r->outN1);
  Store(n2, &r->outN2);
  return 0;
}
