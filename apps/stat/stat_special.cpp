// Special functions of the statistical distributions in 15-digit decimal
// arithmetic: every step goes through the number core, so each result is
// what the calculator's own operations give, and error values travel.
#include "apps/stat/stat_special.h"

#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "kernel/keyqueue.h"

using namespace statreal;

BcdReal *StatErfCore(const BcdReal *xp, u32 mode, BcdReal *out) {
  if (PassError({xp}, out)) return out;
  static const auto kA = Table({"0.185777706184603", "3.16112374387057", "113.864154151050", "377.485237685302",
                                "3209.37758913847"});
  static const auto kB = Table({"23.6012909523441", "244.024637934444", "1282.61652607737", "2844.23683343917"});
  static const auto kG = Table({"2.15311535474404e-8", "0.564188496988670", "8.88314979438838", "66.1191906371416",
                                "298.635138197400", "881.952221241769", "1712.04761263407", "2051.07837782607",
                                "1230.33935479800"});
  static const auto kH = Table({"15.7449261107098", "117.693950891312", "537.181101862010", "1621.38957456669",
                                "3290.79923573346", "4362.61909014325", "3439.36767414372", "1230.33935480375"});
  static const auto kP = Table({"0.0163153871373021", "0.305326634961232", "0.360344899949804", "0.125781726111229",
                                "0.0160837851487423", "6.58749161529838e-4"});
  static const auto kQ = Table({"2.56852019228982", "1.87295284992346", "0.527905102951428", "0.0605183413124413",
                                "2.33520497626869e-3"});
  const R x = *xp;
  const R y = Abs(x);
  const R one = One();
  if (Lt(y, Half())) {
    const R z = Mul(x, x);
    R num = Mul(kA[0], z), den = z;
    for (int i = 1; i <= 3; ++i) {
      num = Mul(Add(num, kA[i]), z);
      den = Mul(Add(den, kB[i - 1]), z);
    }
    const R r = Div(Mul(x, Add(num, kA[4])), Add(den, kB[3]));
    return Put(mode == 0 ? r : Sub(one, r), out);
  }
  // From here r is erfc(y).
  R r = Zero();
  if (Lt(y, Int(4))) {
    R num = Mul(kG[0], y), den = y;
    for (int i = 1; i <= 7; ++i) {
      num = Mul(Add(num, kG[i]), y);
      den = Mul(Add(den, kH[i - 1]), y);
    }
    r = Mul(Exp(Neg(Mul(y, y))), Div(Add(num, kG[8]), Add(den, kH[7])));
  } else if (Lt(y, Int(16))) {
    const R z = Div(one, Mul(y, y));
    R num = Mul(kP[0], z), den = z;
    for (int i = 1; i <= 4; ++i) {
      num = Mul(Add(num, kP[i]), z);
      den = Mul(Add(den, kQ[i - 1]), z);
    }
    const R s = Mul(z, Div(Add(num, kP[5]), Add(den, kQ[4])));
    static const R kInvSqrtPi = Num("0.564189583547756");
    r = Div(Mul(Exp(Neg(Mul(y, y))), Sub(kInvSqrtPi, s)), y);
  }
  const bool neg = Lt(x, Zero());
  if (mode == 0) return Put(neg ? Sub(r, one) : Sub(one, r), out);
  return Put(neg ? Sub(Two(), r) : r, out);
}

BcdReal *StatErfc(const BcdReal *x, BcdReal *out) { return StatErfCore(x, 1, out); }

BcdReal *StatErfInv(const BcdReal *yp, BcdReal *out) {
  if (PassError({yp}, out)) return out;
  static const auto kA = Table({"0.886226899", "-1.645349621", "0.914624893", "-0.140543331"});
  static const auto kB = Table({"-2.118377725", "1.442710462", "-0.329097515", "0.012229801"});
  static const auto kE = Table({"-1.970840454", "-1.624906493", "3.429567803", "1.641345311"});
  static const auto kF = Table({"3.5438892", "1.6370678"});
  static const R kTwoOverSqrtPi = Num("1.12837916709551");
  static const R kCentral = Num("0.7");
  const R y = *yp;
  const R one = One(), two = Two();
  R x;
  if (Lt(Abs(y), kCentral)) {
    const R z = Mul(y, y);
    const R num = Add(Mul(Add(Mul(Add(Mul(kA[3], z), kA[2]), z), kA[1]), z), kA[0]);
    const R den = Add(Mul(Add(Mul(Add(Mul(Add(Mul(kB[3], z), kB[2]), z), kB[1]), z), kB[0]), z), one);
    x = Div(Mul(y, num), den);
  } else {
    const bool neg = Lt(y, Zero());
    const R w = Sqrt(Neg(Ln(Div(neg ? Add(one, y) : Sub(one, y), two))));
    const R num = Add(Mul(Add(Mul(Add(Mul(kE[3], w), kE[2]), w), kE[1]), w), kE[0]);
    const R den = Add(Mul(Add(Mul(kF[1], w), kF[0]), w), one);
    x = Div(num, den);
    if (neg) x = Neg(x);
  }
  for (int i = 0; i < 2; ++i) {
    R e;
    StatErfCore(&x, 0, &e);
    x = Sub(x, Div(Sub(e, y), Mul(kTwoOverSqrtPi, Exp(Neg(Mul(x, x))))));
  }
  return Put(x, out);
}

BcdReal *StatLnGamma(const BcdReal *xp, BcdReal *out) {
  if (PassError({xp}, out)) return out;
  static const auto kL = Table({"5716.40018827434", "-14815.3042676841", "14291.4927765748", "-6348.16021764148",
                                "1301.60828605840", "-108.176705351664", "2.60569650598251", "-7.42345286729904e-3",
                                "5.40284401800000e-8", "-4.06463200000000e-9"});
  const R x = *xp;
  if (Lt(x, Zero())) return RealSetMinus2147483648(out);
  const R t = Add(x, Num("9.5"));
  const R s = Sub(Mul(Add(x, Half()), Ln(t)), t);
  R ser = One(), v = x;
  const R one = One();
  for (const R &l : kL) {
    v = Add(v, one);
    ser = Add(ser, Div(l, v));
  }
  R root2pi = Zero();
  RealSetSqrt2Pi(&root2pi);
  return Put(Add(s, Ln(Div(Mul(root2pi, ser), x))), out);
}

BcdReal *StatGammaSeries(const BcdReal *ap, const BcdReal *xp, BcdReal *out) {
  if (PassError({ap, xp}, out)) return out;
  static const R kTol = Num("5e-16");
  const R a = *ap, x = *xp, one = One();
  R s = one, term = one;
  for (int n = 1; n < 500; ++n) {
    const R prev = term;
    const R q = Div(x, Add(a, Int(static_cast<i16>(n))));
    term = Mul(term, q);
    s = Add(s, term);
    if (const R *e = FirstError({&s})) return Put(*e, out);
    if (Lt(prev, Mul(kTol, Sub(one, q)))) break;
  }
  return Put(s, out);
}

BcdReal *StatGammaCf(const BcdReal *ap, const BcdReal *xp, BcdReal *out) {
  if (PassError({ap, xp}, out)) return out;
  static const R kTol = Num("5e-16");
  const R a = *ap, x = *xp, one = One(), zero = Zero();
  const R x1a = Sub(Add(x, one), a);  // x + 1 - a
  R k = zero, kd = Sub(one, a);
  R pn = Mul(Sub(Sub(x, one), a), x1a);
  R pd = Mul(Int(4), x1a);
  R rho = zero, term = one, s = one;
  const R eight = Int(8), two = Two();
  for (int i = 1; i <= 100; ++i) {
    const R prev = term;
    k = Add(k, kd);
    pn = Add(pn, pd);
    pd = Add(pd, eight);
    kd = Add(kd, two);
    const R w = Mul(k, Add(one, rho));
    rho = Div(w, Sub(pn, w));
    term = Mul(rho, term);
    s = Add(s, term);
    if (const R *e = FirstError({&s})) return Put(*e, out);
    if (Gt(prev, zero) && Gt(rho, zero) && Lt(prev, Mul(kTol, Sub(one, rho)))) break;
  }
  return Put(Div(s, x1a), out);
}

namespace {

// exp(a ln x - x - ln Gamma(g)) with g = a + 1 for the series, a for the
// continued fraction: the prefactor shared by P and Q.
R GammaFront(const R &a, const R &x, const R &g) {
  R lg;
  StatLnGamma(&g, &lg);
  return Exp(Sub(Sub(Mul(a, Ln(x)), x), lg));
}

// P(a, x) when lower, else Q(a, x).
R GammaReg(const R &a, const R &x, bool lower) {
  const R one = One();
  R v;
  if (Lt(x, Add(a, one))) {
    StatGammaSeries(&a, &x, &v);
    const R p = Mul(GammaFront(a, x, Add(a, one)), v);
    return lower ? p : Sub(one, p);
  }
  StatGammaCf(&a, &x, &v);
  const R q = Mul(GammaFront(a, x, a), v);
  return lower ? Sub(one, q) : q;
}

}  // namespace

BcdReal *StatGammaP(const BcdReal *a, const BcdReal *x, BcdReal *out) {
  if (PassError({a, x}, out)) return out;
  return Put(GammaReg(*a, *x, true), out);
}

BcdReal *StatGammaQ(const BcdReal *a, const BcdReal *x, BcdReal *out) {
  if (PassError({a, x}, out)) return out;
  return Put(GammaReg(*a, *x, false), out);
}

BcdReal *StatLnBeta(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  if (PassError({a, b}, out)) return out;
  const R half = Half();
  if (Eq(*a, half)) return StatLnBetaHalf(b, out);
  if (Eq(*b, half)) return StatLnBetaHalf(a, out);
  R la, lb, lab;
  const R ab = Add(*a, *b);
  StatLnGamma(a, &la);
  StatLnGamma(b, &lb);
  StatLnGamma(&ab, &lab);
  return Put(Sub(Add(la, lb), lab), out);
}

BcdReal *StatLnBetaHalf(const BcdReal *xp, BcdReal *out) {
  if (PassError({xp}, out)) return out;
  static const R kLnRootPi = Num("0.572364942924700");
  static const R kTiny = Num("1e-15");
  const R x = *xp;
  const R x2 = Mul(Two(), x);
  if (Le(x2, kTiny)) return Put(Neg(Ln(x)), out);
  if (Gt(x2, Int(30))) {
    // Asymptotic series of ln Gamma(x) - ln Gamma(x + 1/2) in u = 1/(2x).
    const R u = Div(One(), x2), w = Mul(u, u);
    R s = Mul(Int(-4340), w);
    s = Mul(Add(s, Int(765)), w);
    s = Mul(Sub(s, Int(252)), w);
    s = Mul(Add(s, Int(210)), w);
    s = Mul(Sub(s, Int(1260)), u);
    return Put(Add(kLnRootPi, Div(Add(s, Mul(Int(2520), Ln(x))), Int(-5040))), out);
  }
  R g1, g2;
  const R xh = Add(x, Half());
  StatLnGamma(&x, &g1);
  StatLnGamma(&xh, &g2);
  return Put(Add(Sub(g1, g2), kLnRootPi), out);
}

BcdReal *StatBetaInc(const BcdReal *ap, const BcdReal *bp, const BcdReal *xp, const BcdReal *yp, BcdReal *out,
                     BcdReal *outComplement) {
  if (PassError({ap, bp, xp, yp}, out)) return out;
  static const R kEps3 = Num("1.5e-13");
  static const R kStop = Num("7.5e-12");
  const R a = *ap, b = *bp, x = *xp, y = *yp;
  const R zero = Zero(), one = One(), half = Half();
  const bool bad = Lt(a, zero) || Lt(b, zero) || (Eq(a, zero) && Eq(b, zero)) || Lt(x, zero) || Gt(x, one) ||
                   Lt(y, zero) || Gt(y, one) || Gt(Abs(Sub(Sub(Add(x, y), half), half)), kEps3) ||
                   (Eq(x, zero) && Eq(a, zero)) || (Eq(y, zero) && Eq(b, zero));
  if (bad) return Put(Error(kStatErrMa), out);
  if (Eq(x, zero) || Eq(b, zero)) {
    *outComplement = one;
    return Put(zero, out);
  }
  if (Eq(y, zero) || Eq(a, zero)) {
    *outComplement = zero;
    return Put(one, out);
  }
  const bool direct = Lt(x, Div(Add(a, one), Add(Add(a, b), Two())));
  const R aa = direct ? a : b, bb = direct ? b : a, xx = direct ? x : y, yy = direct ? y : x;
  const R qab = Add(aa, bb), qap = Add(aa, one), qam = Sub(aa, one);
  R am = one, bm = one, az = one, bz = Sub(one, Div(Mul(qab, xx), qap)), aold = zero;
  const R limit = Limit();
  for (int m = 1; m <= 500; ++m) {
    if (Le(Abs(Sub(az, aold)), Mul(kStop, Abs(az)))) break;
    const R mr = Int(static_cast<i16>(m));
    const R tem = Add(mr, mr);
    R d = Div(Mul(Mul(mr, Sub(bb, mr)), xx), Mul(Add(qam, tem), Add(aa, tem)));
    const R ap1 = Add(az, Mul(d, am));
    const R bp1 = Add(bz, Mul(d, bm));
    d = Neg(Div(Mul(Mul(Add(aa, mr), Add(qab, mr)), xx), Mul(Add(aa, tem), Add(qap, tem))));
    const R app = Add(ap1, Mul(d, az));
    const R bpp = Add(bp1, Mul(d, bz));
    aold = az;
    if (const R *e = FirstError({&app, &bpp})) return Put(*e, out);
    if (Lt(bpp, one) && Gt(Abs(app), Mul(limit, bpp))) return Put(Error(kStatErrMa), out);
    az = Div(app, bpp);
    am = Div(ap1, bpp);
    bm = Div(bp1, bpp);
    bz = one;
    if (KeyBreakPoll()) return Put(Error(kStatErrBreak), out);
  }
  R lbeta;
  StatLnBeta(&aa, &bb, &lbeta);
  const R front = Exp(Sub(Sub(Add(Mul(aa, Ln(xx)), Mul(bb, Ln(yy))), Ln(aa)), lbeta));
  const R v = Mul(front, az);
  if (direct) {
    *outComplement = Sub(one, v);
    return Put(v, out);
  }
  *outComplement = v;
  return Put(Sub(one, v), out);
}

BcdReal *StatTLogKernel(const BcdReal *tp, const BcdReal *np, BcdReal *out) {
  if (PassError({tp, np}, out)) return out;
  const R t = *tp, n = *np, one = One();
  const R at = Abs(t), sn = Sqrt(n);
  R a, b;
  if (Le(at, sn)) {
    const R r = Div(at, sn), r2 = Mul(r, r);
    if (Ge(r, Num("0.1"))) {
      a = Neg(Mul(n, Ln(Sqrt(Add(one, r2)))));
    } else {
      // ln(1 + u) / u = 1 - u/2 + u^2/3 - ... + u^6/7 keeps the digits of a
      // small r that the logarithm of 1 + r^2 would lose.
      R h = Div(r2, Int(7));
      for (i16 d = 6; d >= 2; --d) h = Mul(r2, Sub(Div(one, Int(d)), h));
      a = Neg(Mul(Div(Mul(t, t), Two()), Sub(one, h)));
    }
    b = Ln(Mul(sn, Sqrt(Add(one, r2))));
  } else {
    const R r = Div(sn, at), root = Sqrt(Add(one, Mul(r, r)));
    a = Mul(n, Ln(Div(r, root)));
    b = Ln(Mul(at, root));
  }
  return Put(Sub(a, b), out);
}

BcdReal *StatTUpper(const BcdReal *tp, const BcdReal *np, BcdReal *out) {
  if (PassError({tp, np}, out)) return out;
  const R n = *np, a = Abs(*tp), one = One(), half = Half();
  R whole;
  RealIntg(&n, &whole);
  if (Eq(n, whole) && Lt(n, Int(500)) && Ge(n, one)) {
    const R th = Atan(Div(a, Sqrt(n)));
    const R c = Cos(th), c2 = Mul(c, c);
    const i32 nn = NumToInt32(&n);
    i32 k = nn - 1, m = nn;
    R s = one;
    while (k > 2) {
      k -= 2;
      m -= 2;
      s = Add(one, Mul(Div(Mul(Int(static_cast<i16>(k)), s), Int(static_cast<i16>(m))), c2));
      if (KeyBreakPoll()) return Put(Error(kStatErrBreak), out);
    }
    R r;
    if (k == 0)
      r = Div(th, Pi());
    else if (k == 1)
      r = Mul(Mul(half, Sin(th)), s);
    else
      r = Div(Add(th, Mul(Mul(Sin(th), c), s)), Pi());
    // Far in the tail 1/2 - r has lost its leading digits: the incomplete
    // beta function below keeps them.
    const R p = Sub(half, r);
    if (!Lt(p, Num("0.001"))) return Put(p, out);
  }
  const R sn = Sqrt(n);
  if (Ge(n, Num("2e6"))) {
    // Normal approximation with the first correction in 1/n.
    const R inv = Div(one, Mul(Two(), sn));
    const R v = Mul(a, Sub(one, Mul(inv, inv)));
    const R big = Mul(Sqrt2(), sn);
    R z;
    if (Lt(a, big)) {
      const R q = Div(a, big);
      z = Div(v, Sqrt(Add(one, Mul(q, q))));
    } else {
      const R q = Div(big, a);
      z = Div(Mul(v, q), Sqrt(Add(one, Mul(q, q))));
    }
    const R zs = Div(z, Sqrt2());
    R e;
    StatErfc(&zs, &e);
    return Put(Mul(half, e), out);
  }
  R x;
  if (Gt(sn, a)) {
    const R q = Div(a, sn);
    x = Div(one, Add(one, Mul(q, q)));
  } else {
    const R q = Div(sn, a), g = Mul(q, q);
    x = Div(g, Add(one, g));
  }
  const R y = Sub(one, x), h = Div(n, Two());
  R i, ic;
  StatBetaInc(&h, &half, &x, &y, &i, &ic);
  if (IsErr(i)) return Put(i, out);
  return Put(Mul(half, i), out);
}

BcdReal *StatTInvUpper(const BcdReal *pp, const BcdReal *np, BcdReal *out) {
  if (PassError({pp, np}, out)) return out;
  const R p = *pp, n = *np, one = One(), two = Two(), half = Half();
  if (Gt(p, half)) {
    const R q = Sub(one, p);
    StatTInvUpper(&q, &n, out);
    if (!IsErr(*out)) *out = Neg(*out);
    return out;
  }
  const R q = p;
  if (Eq(p, half)) return Put(Zero(), out);
  const R oneMinus2q = Sub(one, Mul(two, q));
  R ei;
  StatErfInv(&oneMinus2q, &ei);
  const R z = Mul(Sqrt2(), ei);
  const R twoN = Mul(two, n), rootTwoN = Sqrt(twoN);
  R zn = z;
  if (!Ge(z, rootTwoN)) {
    const R c = Sub(one, Div(one, Mul(Int(4), n)));
    zn = Div(z, Sqrt(Sub(Mul(c, c), Div(Mul(z, z), twoN))));
  }
  if (Ge(n, Num("2e6"))) return Put(zn, out);
  R t = zn;
  if (Lt(n, Int(10)) || Ge(z, rootTwoN)) {
    const R t1 = Tan(Div(Mul(Pi(), oneMinus2q), two));
    if (Eq(n, one)) return Put(t1, out);
    const R t2 = Div(Mul(Sqrt2(), Div(oneMinus2q, two)), Mul(Sqrt(q), Sqrt(Sub(one, q))));
    if (Eq(n, two)) return Put(t2, out);
    // The eighth root of the quantile is close to a ratio of linear terms in
    // n; fit it through the exact n = 1, n = 2 and n -> infinity values.
    auto root8 = [](R v) { return Sqrt(Sqrt(Sqrt(v))); };
    const R r1 = root8(t1), r2 = root8(t2), rz = root8(z);
    const R g = Div(Sub(r2, rz), Sub(r1, r2));
    R v = Div(Add(Sub(Mul(r1, g), rz), Mul(rz, n)), Add(Sub(g, one), n));
    for (int i = 0; i < 3; ++i) v = Mul(v, v);
    t = v;
  }
  const R nh = Div(n, two);
  R lb;
  StatLnBetaHalf(&nh, &lb);
  if (IsErr(lb)) return Put(lb, out);
  static const R kTol = Num("5e-13");
  R guard;
  RealSet227_85(&guard);
  for (int i = 0; i < 13; ++i) {
    R pu, lk;
    StatTUpper(&t, &n, &pu);
    if (IsErr(pu)) return Put(pu, out);
    StatTLogKernel(&t, &n, &lk);
    const R l = Sub(lk, lb);
    if (IsErr(l)) return Put(l, out);
    if (Ge(l, guard)) return Put(Error(kStatErrMa), out);
    const R delta = Div(Sub(q, pu), Exp(l));
    t = Sub(t, delta);
    if (IsErr(t)) return Put(t, out);
    if (Lt(Abs(delta), Mul(kTol, t))) break;
    if (KeyBreakPoll()) return Put(Error(kStatErrBreak), out);
  }
  return Put(t, out);
}
