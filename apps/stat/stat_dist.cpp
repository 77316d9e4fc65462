// Probability distribution kernels over the special functions, in the
// number core's 15-digit arithmetic.
#include "apps/stat/stat_dist.h"

#include <utility>
#include <vector>

#include "apps/stat/stat_data.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/stat_special.h"
#include "kernel/keyqueue.h"

using namespace statreal;

namespace {
constexpr u32 kAnswerList = 0;

u32 CheckPositive(const R &v) { return StatCheckPositive(&v); }
u32 CheckWhole(const R &v) { return IsErr(v) ? RealErrorCode(&v) : RealIsInteger(&v) == 1 ? 0 : kStatErrMa; }
u32 CheckPosInt(const R &v) { return StatCheckPosInt(&v); }
u32 CheckUnit(const R &v) { return StatCheckProb(&v); }

// Stores a result normalised.
void Store(const R &v, R *field) { RealNormalize(&v, field); }

// Stores v when it is a number that satisfies ok, and gives the code.
u32 Finish(const R &v, bool ok, R *field) {
  if (IsErr(v)) return RealErrorCode(&v);
  if (!ok) return kStatErrMa;
  Store(v, field);
  return 0;
}

// The code of the first error value among two inputs, else 0.
u32 ErrorOf(const R &a, const R &b) { return IsErr(a) ? RealErrorCode(&a) : RealErrorCode(&b); }

bool InUnit(const R &v) { return Ge(v, Zero()) && Le(v, One()); }

// erf(v) near zero, erfc(abs(v)) elsewhere: the form that keeps the digits
// of each part of a normal probability.
R NormPart(const R &v) {
  R e;
  if (Le(Abs(v), Half()))
    StatErfCore(&v, 0, &e);
  else {
    const R a = Abs(v);
    StatErfc(&a, &e);
  }
  return e;
}

// Sum mu + s*d that stays within the range: at the limit it becomes the
// limit with the sign of the sum.
R ClampedSum(const R &mu, const R &d, bool plus) {
  const R half = Half();
  const R h = plus ? Add(Mul(mu, half), Mul(d, half)) : Sub(Mul(mu, half), Mul(d, half));
  if (Ge(Abs(h), Mul(Limit(), half))) return Lt(h, Zero()) ? Neg(Limit()) : Limit();
  return plus ? Add(mu, d) : Sub(mu, d);
}

// List mode of a discrete kernel: the one-value kernel over every element
// of the record's list, the results into List Ans. The parameters are
// checked (by a run at x = 0) before List Ans is touched, and the data are
// read first, so the data list may be List Ans itself.
template <class Rec>
u32 ListMode(Rec *r, u32 (*one)(Rec *)) {
  Rec probe = *r;
  probe.x = Zero();
  if (u32 e = one(&probe)) return e;
  u32 count = 0;
  if (u32 e = StatDataListSize(r->list, &count)) return e;
  if (count < 1) return kStatErrDimension;
  std::vector<R> data(count);
  for (u32 i = 0; i < count; ++i)
    if (u32 e = StatDataListGet(r->list, i + 1, &data[i])) return e;
  StatDataListDelete(kAnswerList);
  if (u32 e = StatDataListCreate(kAnswerList, count)) return e;
  for (u32 i = 0; i < count; ++i) {
    r->x = data[i];
    if (u32 e = one(r)) return e;
    if (u32 e = StatDataListSet(kAnswerList, i + 1, &r->result)) return e;
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  return 0;
}

}  // namespace

u32 StatNormPd(u32, StatNormRec *r) {
  if (u32 e = CheckPositive(r->sigma)) return e;
  if (u32 e = ErrorOf(r->x, r->mu)) return e;
  const R x = r->x, mu = r->mu, s = r->sigma, sixteen = Int(16), root2 = Sqrt2();
  const R bound = Mul(sixteen, root2);
  const bool far = Ge(s, sixteen) ? Gt(Abs(Sub(Div(x, s), Div(mu, s))), bound)
                                  : Gt(Abs(Sub(Div(x, Two()), Div(mu, Two()))), Mul(Mul(Two(), bound), s));
  if (far) return Finish(Zero(), true, &r->pd);
  R q = Div(Sub(x, mu), Mul(s, root2)), sq;
  const R two = Two();
  RealPow(&q, &two, &sq);
  R root2pi = Zero();
  RealSetSqrt2Pi(&root2pi);
  const R f = Div(Exp(Neg(sq)), Mul(s, root2pi));
  return Finish(f, Ge(f, Zero()), &r->pd);
}

u32 StatNormCd(u32, StatNormRec *r) {
  if (u32 e = CheckPositive(r->sigma)) return e;
  const R s = r->sigma, mu = r->mu, one = One();
  auto z = [&](const R &v) { return Ge(s, one) ? Sub(Div(v, s), Div(mu, s)) : Div(Sub(v, mu), s); };
  R zl = z(r->lower), zu = z(r->upper);
  if (const R *e = FirstError({&zl, &zu})) return RealErrorCode(e);
  Store(zl, &r->zLow);
  Store(zu, &r->zUp);
  Store(Zero(), &r->cd);
  if (Eq(zl, zu)) return 0;
  R sign = Half();
  if (Gt(r->lower, r->upper)) {
    std::swap(zl, zu);
    sign = Neg(sign);
  }
  const R a = Div(zl, Sqrt2()), b = Div(zu, Sqrt2());
  const R m16 = Int(-16), p16 = Int(16), mh = Neg(Half()), ph = Half(), two = Two();
  if (Lt(b, m16) || Gt(a, p16)) return 0;
  const R ea = NormPart(a), eb = NormPart(b);
  R v;
  if (Le(a, m16)) {
    v = Lt(b, mh) ? eb : Le(b, ph) ? Add(one, eb) : Lt(b, p16) ? Sub(two, eb) : two;
  } else if (Lt(a, mh)) {
    v = Lt(b, mh)   ? Sub(eb, ea)
        : Le(b, ph) ? Sub(Add(one, eb), ea)
        : Lt(b, p16) ? Sub(two, Add(eb, ea))
                     : Sub(two, ea);
  } else if (Le(a, ph)) {
    v = Le(b, ph) ? Sub(eb, ea) : Lt(b, p16) ? Sub(one, Add(eb, ea)) : Sub(one, ea);
  } else {
    v = Lt(b, p16) ? Sub(ea, eb) : ea;
  }
  const R p = Mul(sign, v);
  return Finish(p, Le(Abs(p), one), &r->cd);
}

u32 StatInvNorm(u32, StatNormRec *r) {
  if (u32 e = CheckUnit(r->area)) return e;
  if (u32 e = CheckPositive(r->sigma)) return e;
  if (u32 e = RealErrorCode(&r->mu)) return e;
  const R one = One(), lim = Limit(), nlim = Neg(lim), s = r->sigma, mu = r->mu;
  const R v = r->tail == 0 ? r->area : Sub(Mul(Two(), r->area), one);
  auto put = [&](const R &first, const R *second) {
    Store(first, &r->inv1);
    if (second) Store(*second, &r->inv2);
    return 0u;
  };
  if (Eq(v, one)) return r->tail < 0 ? put(lim, nullptr) : r->tail == 0 ? put(lim, &nlim) : put(nlim, nullptr);
  if (Eq(v, Neg(one))) return r->tail < 0 ? put(nlim, nullptr) : r->tail == 0 ? put(mu, &mu) : put(lim, nullptr);
  R w;
  StatErfInv(&v, &w);
  if (IsErr(w)) return RealErrorCode(&w);
  const R edge = Div(lim, Sqrt2());
  const bool over = Ge(s, one) ? Ge(Abs(w), Div(edge, s)) : Ge(Abs(Mul(w, s)), edge);
  if (over) return r->tail < 0 ? put(nlim, nullptr) : r->tail == 0 ? put(lim, &nlim) : put(lim, nullptr);
  const R d = Mul(Mul(Sqrt2(), s), w);
  if (r->tail < 0) return put(ClampedSum(mu, d, true), nullptr);
  if (r->tail > 0) return put(ClampedSum(mu, d, false), nullptr);
  const R second = ClampedSum(mu, d, false);
  return put(ClampedSum(mu, d, true), &second);
}

u32 StatTPd(u32, StatTRec *r) {
  if (u32 e = CheckPositive(r->df)) return e;
  R lk, lb;
  const R h = Div(r->df, Two());
  StatTLogKernel(&r->x, &r->df, &lk);
  StatLnBetaHalf(&h, &lb);
  const R l = Sub(lk, lb);
  if (IsErr(l)) return RealErrorCode(&l);
  R guard;
  RealSet227_85(&guard);
  if (Ge(l, guard)) return kStatErrMa;
  const R f = Exp(l);
  return Finish(f, Ge(f, Zero()), &r->pd);
}

u32 StatTCd(u32, StatTRec *r) {
  if (u32 e = CheckPositive(r->df)) return e;
  const R lo = r->lower, up = r->upper, zero = Zero(), one = One();
  if (u32 e = ErrorOf(lo, up)) return e;
  Store(lo, &r->first);
  Store(up, &r->second);
  if (Eq(lo, up)) return Finish(zero, true, &r->cd);
  R qu, ql;
  StatTUpper(&up, &r->df, &qu);
  if (IsErr(qu)) return RealErrorCode(&qu);
  R p;
  if (Eq(Neg(lo), up)) {
    p = Sub(one, Mul(Two(), qu));
    if (Gt(lo, up)) p = Neg(p);
  } else {
    StatTUpper(&lo, &r->df, &ql);
    if (IsErr(ql)) return RealErrorCode(&ql);
    if (Le(lo, up)) {
      p = Gt(lo, zero) ? Sub(ql, qu) : Gt(up, zero) ? Sub(Sub(one, ql), qu) : Sub(qu, ql);
    } else {
      p = Gt(up, zero) ? Sub(ql, qu) : Gt(lo, zero) ? Neg(Sub(Sub(one, ql), qu)) : Sub(qu, ql);
    }
  }
  return Finish(p, Le(Abs(p), one), &r->cd);
}

u32 StatInvT(u32, StatTRec *r) {
  if (u32 e = CheckPositive(r->df)) return e;
  if (u32 e = CheckUnit(r->area)) return e;
  const R p = Div(Sub(One(), r->area), Two());
  R t;
  StatTInvUpper(&p, &r->df, &t);
  if (IsErr(t)) return RealErrorCode(&t);
  if (!Ge(t, Zero())) return kStatErrMa;
  Store(Neg(t), &r->first);
  Store(t, &r->second);
  return 0;
}

u32 StatChiPd(u32, StatChiRec *r) {
  if (u32 e = CheckPosInt(r->df)) return e;
  if (u32 e = RealErrorCode(&r->x)) return e;
  const R x = r->x;
  if (Le(x, Zero())) return Finish(Zero(), true, &r->pd);
  const R h = Div(r->df, Two()), two = Two();
  R ln2 = Zero(), lg;
  RealSetLn2(&ln2);
  StatLnGamma(&h, &lg);
  const R s = Sub(Sub(Add(Neg(Mul(h, ln2)), Mul(Sub(h, One()), Ln(x))), Div(x, two)), lg);
  const R f = Exp(s);
  return Finish(f, Ge(f, Zero()), &r->pd);
}

u32 StatChiCd(u32, StatChiRec *r) {
  if (u32 e = CheckPosInt(r->df)) return e;
  if (u32 e = ErrorOf(r->lower, r->upper)) return e;
  const R zero = Zero();
  const R lo = Lt(r->lower, zero) ? zero : r->lower, up = Lt(r->upper, zero) ? zero : r->upper;
  if (Eq(lo, up)) return Finish(zero, true, &r->cd);
  const R h = Div(r->df, Two());
  auto lower = [&](const R &v) {
    if (Eq(v, zero)) return zero;
    const R half = Div(v, Two());
    R p;
    StatGammaP(&h, &half, &p);
    return p;
  };
  const R p = Sub(lower(up), lower(lo));
  return Finish(p, Le(p, One()), &r->cd);
}

u32 StatFPd(u32, StatFRec *r) {
  if (u32 e = CheckPosInt(r->ndf)) return e;
  if (u32 e = CheckPosInt(r->ddf)) return e;
  if (u32 e = RealErrorCode(&r->x)) return e;
  const R big = Num("1e10"), n = r->ndf, d = r->ddf, x = r->x;
  if (Ge(n, big) || Ge(d, big)) return kStatErrMa;
  if (Le(x, Zero()) || Ge(x, big)) return Finish(Zero(), true, &r->pd);
  const R a = Div(n, Two()), b = Div(d, Two());
  R lb;
  StatLnBeta(&a, &b, &lb);
  const R s = Sub(Add(Sub(Add(Mul(a, Ln(n)), Mul(b, Ln(d))), lb), Mul(Sub(a, One()), Ln(x))),
                  Mul(Add(a, b), Ln(Add(d, Mul(n, x)))));
  const R f = Exp(s);
  return Finish(f, Ge(f, Zero()), &r->pd);
}

u32 StatFCd(u32, StatFRec *r) {
  if (u32 e = CheckPosInt(r->ndf)) return e;
  if (u32 e = CheckPosInt(r->ddf)) return e;
  if (u32 e = ErrorOf(r->lower, r->upper)) return e;
  const R n = r->ndf, d = r->ddf, zero = Zero(), one = One(), big = Num("2e6");
  if (Ge(n, big) || Ge(d, big)) return kStatErrMa;
  Store(zero, &r->cd);
  R lo = r->lower, up = r->upper, sign = one;
  if (Eq(lo, up)) return 0;
  if (Gt(lo, up)) {
    std::swap(lo, up);
    sign = Neg(one);
  }
  if (Le(up, zero)) return 0;
  if (Lt(lo, zero)) lo = zero;
  const R ratio = Div(n, d), hd = Div(d, Two()), hn = Div(n, Two());
  // I_x(d/2, n/2) with x = 1/(1 + g): the upper tail P(F > v).
  auto tail = [&](const R &v) {
    R x = zero, y = one;
    if (!(Gt(v, one) && Gt(ratio, Div(Limit(), v)))) {
      const R g = Mul(ratio, v), g1 = Add(one, g);
      x = Div(one, g1);
      y = Div(g, g1);
    }
    R i, ic;
    StatBetaInc(&hd, &hn, &x, &y, &i, &ic);
    return i;
  };
  const R il = tail(lo), iu = tail(up);
  if (const R *e = FirstError({&il, &iu})) return RealErrorCode(e);
  const R p = Gt(il, Half()) ? Sub(Sub(one, iu), Sub(one, il)) : Sub(il, iu);
  if (IsErr(p)) return RealErrorCode(&p);
  if (!InUnit(p)) return kStatErrMa;
  return Finish(Mul(sign, p), true, &r->cd);
}

namespace {
u32 OneBinomPd(StatBinomRec *r) {
  if (u32 e = CheckUnit(r->p)) return e;
  if (u32 e = CheckWhole(r->x)) return e;
  if (u32 e = CheckPosInt(r->n)) return e;
  const R n = r->n, p = r->p, x = r->x, zero = Zero(), one = One();
  if (Gt(n, Num("1e97"))) return kStatErrMa;
  if (Eq(p, zero)) return Finish(Eq(x, zero) ? one : zero, true, &r->result);
  if (Eq(p, one)) return Finish(Eq(x, n) ? one : zero, true, &r->result);
  if (Lt(x, zero) || Gt(x, n)) return Finish(zero, true, &r->result);
  R l1p;  // ln(1 - p), by its series where 1 - p would lose the digits of p
  if (Le(p, Num("1e-85"))) {
    l1p = Neg(p);
  } else if (Le(p, Num("0.1"))) {
    R h = Div(p, Int(13));
    for (i16 k = 12; k >= 1; --k) h = Mul(p, Add(Div(one, Int(k)), h));
    l1p = Neg(h);
  } else {
    l1p = Ln(Sub(one, p));
  }
  const R a = Add(x, one), b = Add(Sub(n, x), one);
  R lb;
  StatLnBeta(&a, &b, &lb);
  const R lf = Sub(Add(Add(Neg(Ln(Add(n, one))), Mul(x, Ln(p))), Mul(Sub(n, x), l1p)), lb);
  const R f = Exp(lf);
  return Finish(f, InUnit(f), &r->result);
}
}  // namespace
u32 StatBinomPd(u32 mode, StatBinomRec *r) { return mode == 0 ? OneBinomPd(r) : ListMode(r, OneBinomPd); }

namespace {
u32 OneBinomCd(StatBinomRec *r) {
  if (u32 e = CheckUnit(r->p)) return e;
  if (u32 e = CheckWhole(r->x)) return e;
  if (u32 e = CheckPosInt(r->n)) return e;
  const R n = r->n, p = r->p, x = r->x, zero = Zero(), one = One();
  if (Lt(x, zero)) return Finish(zero, true, &r->result);
  if (Ge(x, n)) return Finish(one, true, &r->result);
  if (Eq(x, zero) && Eq(p, zero)) return Finish(one, true, &r->result);
  if (Eq(x, zero) && Eq(p, one)) return Finish(zero, true, &r->result);
  const R a = Sub(n, x), b = Add(x, one), q = Sub(one, p);
  R i, ic;
  StatBetaInc(&a, &b, &q, &p, &i, &ic);
  return Finish(i, InUnit(i), &r->result);
}
}  // namespace
u32 StatBinomCd(u32 mode, StatBinomRec *r) { return mode == 0 ? OneBinomCd(r) : ListMode(r, OneBinomCd); }

namespace {
u32 OnePoissonPd(StatPoissonRec *r) {
  if (u32 e = CheckPositive(r->mu)) return e;
  if (u32 e = CheckWhole(r->x)) return e;
  const R mu = r->mu, x = r->x, zero = Zero();
  if (Lt(x, zero)) return Finish(zero, true, &r->result);
  if (Eq(x, zero)) {
    const R f = Exp(Neg(mu));
    return Finish(f, InUnit(f), &r->result);
  }
  const R l = Ln(mu);
  if (Le(l, One()) && Ge(x, Int(90))) return Finish(zero, true, &r->result);
  if (Gt(x, Num("4e97"))) return kStatErrMa;
  const R x1 = Add(x, One());
  R lg;
  StatLnGamma(&x1, &lg);
  const R s = Sub(Sub(Mul(x, l), mu), lg);
  if (IsErr(s)) return RealErrorCode(&s);
  if (Lt(s, Int(-226))) return Finish(zero, true, &r->result);
  const R f = Exp(s);
  return Finish(f, InUnit(f), &r->result);
}
}  // namespace
u32 StatPoissonPd(u32 mode, StatPoissonRec *r) { return mode == 0 ? OnePoissonPd(r) : ListMode(r, OnePoissonPd); }

namespace {
u32 OnePoissonCd(StatPoissonRec *r) {
  if (u32 e = CheckPositive(r->mu)) return e;
  if (u32 e = CheckWhole(r->x)) return e;
  if (Lt(r->x, Zero())) return Finish(Zero(), true, &r->result);
  const R x1 = Add(r->x, One());
  R q;
  StatGammaQ(&x1, &r->mu, &q);
  return Finish(q, InUnit(q), &r->result);
}
}  // namespace
u32 StatPoissonCd(u32 mode, StatPoissonRec *r) { return mode == 0 ? OnePoissonCd(r) : ListMode(r, OnePoissonCd); }

namespace {
u32 OneGeoPd(StatGeoRec *r) {
  if (u32 e = CheckUnit(r->p)) return e;
  if (u32 e = CheckWhole(r->x)) return e;
  const R p = r->p, x = r->x, zero = Zero(), one = One();
  if (Le(x, zero) || Eq(p, zero)) return Finish(zero, true, &r->result);
  if (Eq(x, one)) return Finish(p, true, &r->result);
  if (Eq(p, one)) return Finish(zero, true, &r->result);
  const R l = Ln(Sub(one, p)), x1 = Sub(x, one);
  if (Gt(p, Num("0.63")) && Gt(x1, Div(Int(-230), l))) return Finish(zero, true, &r->result);
  const R f = Mul(p, Exp(Mul(x1, l)));
  return Finish(f, InUnit(f), &r->result);
}
}  // namespace
u32 StatGeoPd(u32 mode, StatGeoRec *r) { return mode == 0 ? OneGeoPd(r) : ListMode(r, OneGeoPd); }

namespace {
u32 OneGeoCd(StatGeoRec *r) {
  if (u32 e = CheckUnit(r->p)) return e;
  if (u32 e = CheckWhole(r->x)) return e;
  const R p = r->p, x = r->x, zero = Zero(), one = One();
  if (Le(x, zero) || Eq(p, zero)) return Finish(zero, true, &r->result);
  if (Eq(p, one)) return Finish(one, true, &r->result);
  if (Eq(x, one)) return Finish(p, true, &r->result);
  const R l = Ln(Sub(one, p));
  if (Gt(p, Num("0.63")) && Gt(x, Div(Int(-230), l))) return Finish(one, true, &r->result);
  const R f = Sub(one, Exp(Mul(x, l)));
  return Finish(f, InUnit(f), &r->result);
}
}  // namespace
u32 StatGeoCd(u32 mode, StatGeoRec *r) { return mode == 0 ? OneGeoCd(r) : ListMode(r, OneGeoCd); }
