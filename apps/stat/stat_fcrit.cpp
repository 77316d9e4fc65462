// F quantiles by bisection on the series of the upper tail, or by a normal
// approximation for large degrees of freedom.
#include "apps/stat/stat_fcrit.h"

#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "kernel/keyqueue.h"

using namespace statreal;

BcdReal *StatParityStart(const BcdReal *v, BcdReal *out) {
  R h = Div(*v, Two()), i;
  RealIntg(&h, &i);
  *out = Add(Sub(Mul(Two(), i), *v), Two());
  return out;
}

u32 StatNormQuantileApprox(const BcdReal *p, BcdReal *z) {
  static const char *const kC[] = {"6.936233982e-13", "3.657763036e-11", "-3.231081277e-9", "8.360937017e-8",
                                   "-1.04527497e-6",  "5.824238515e-6",  "6.841218299e-6",  "-2.250947176e-4",
                                   "-8.364353589e-4", "0.03706987906",   "1.570796288"};
  const R y = Neg(Ln(Mul(Mul(Int(4), *p), Sub(One(), *p))));
  R w = Mul(y, Num(kC[0]));
  for (int k = 1; k <= 10; ++k) w = Mul(Add(w, Num(kC[k])), y);
  if (IsErr(w) || Lt(w, Zero())) return kStatErrMa;
  const R root = Sqrt(w);
  *z = Gt(*p, Half()) ? Neg(root) : root;
  return 0;
}

u32 StatFSeries(StatFQuantRec *r) {
  const R one = One(), two = Two(), x = r->x;
  const R s = Sqrt(Sub(one, x)), rx = Sqrt(x);
  R j, k;
  StatParityStart(&r->n, &j);
  StatParityStart(&r->d, &k);
  const bool jOdd = Eq(j, one), kOdd = Eq(k, one);
  R sum, t;
  if (jOdd && kOdd) {
    const R theta = Atan(Div(s, rx)), pi = Pi();
    sum = Sub(one, Mul(Div(two, pi), theta));
    t = Div(Mul(rx, s), pi);
  } else if (jOdd) {
    sum = Sub(one, s);
    t = Div(Mul(x, s), two);
  } else if (kOdd) {
    sum = rx;
    t = Div(Mul(sum, Sub(one, x)), two);
  } else {
    sum = x;
    t = Mul(Sub(one, x), x);
  }
  while (Lt(k, r->d)) {
    if (KeyBreakPoll() != 0) return kStatErrBreak;
    sum = Sub(sum, Mul(Div(two, k), t));
    t = Div(Mul(Mul(x, t), Add(j, k)), k);
    k = Add(k, two);
  }
  while (Lt(j, r->n)) {
    if (KeyBreakPoll() != 0) return kStatErrBreak;
    sum = Add(sum, Mul(Div(two, j), t));
    t = Div(Mul(Mul(Sub(one, x), t), Add(j, k)), j);
    j = Add(j, two);
  }
  r->j = j;
  r->k = k;
  r->term = t;
  r->sum = sum;
  return 0;
}

u32 StatFQuantile(StatFQuantRec *r) {
  const R one = One(), p = r->p, n = r->n, d = r->d;
  if (Eq(p, one)) return r->f = Zero(), 0;
  if (Le(p, Num("1e-15"))) return r->f = Num("1e99"), 0;
  const R thirty = Int(30);
  if (Gt(n, thirty) || Gt(d, thirty)) {
    const R ninth = Div(Two(), Int(9));
    const R a = Div(ninth, n), b = Sub(one, a), c = Div(ninth, d), e = Sub(one, c);
    R z;
    if (u32 code = StatNormQuantileApprox(&p, &z)) return code;
    const R z2 = Mul(z, z), e2 = Mul(e, e);
    const R disc = Add(Sub(Mul(a, e2), Mul(Mul(a, c), z2)), Mul(Mul(b, b), c));
    if (IsErr(disc) || Lt(disc, Zero())) return kStatErrMa;
    const R root = Div(Add(Mul(b, e), Mul(z, Sqrt(disc))), Sub(e2, Mul(c, z2)));
    const R f = Mul(Mul(root, root), root);
    if (IsErr(f)) return kStatErrMa;
    r->x = a, r->k = c, r->j = b, r->term = e, r->sum = z;
    r->f = f;
    return 0;
  }
  R lower = Zero(), upper = one, prev, x = Half();
  const R step = Num("1e-6");
  do {
    if (KeyBreakPoll() != 0) return kStatErrBreak;
    r->x = x;
    if (u32 code = StatFSeries(r)) return code;
    if (IsErr(r->sum)) return kStatErrMa;
    if (Le(r->sum, p))
      lower = x;
    else
      upper = x;
    prev = x;
    x = Div(Add(lower, upper), Two());
  } while (Gt(Abs(Sub(x, prev)), step));
  const R f = Mul(Sub(Div(one, x), one), Div(d, n));
  if (IsErr(f)) return kStatErrMa;
  r->x = x;
  r->f = f;
  return 0;
}

u32 StatFCritPair(const BcdReal *n1, const BcdReal *n2, const BcdReal *alpha, BcdReal out[2]) {
  StatFQuantRec lo{}, hi{};
  const R one = One(), half = Div(*alpha, Two());
  lo.n = hi.n = Sub(*n1, one);
  lo.d = hi.d = Sub(*n2, one);
  lo.p = half;
  hi.p = Sub(one, half);
  if (u32 e = StatFQuantile(&lo)) return e;
  if (u32 e = StatFQuantile(&hi)) return e;
  const bool order = Le(lo.f, hi.f);
  out[0] = order ? lo.f : hi.f;
  out[1] = order ? hi.f : lo.f;
  return 0;
}
