// The financial kernels. Powers of 1 + i go through the logarithm of 1 + i
// and 10^x - 1 of the number core, so that small rates and long terms keep
// their digits; the equation is evaluated in whichever of its two forms
// keeps the powers small.
#include "apps/finance/fin_calc.h"
#include "apps/finance/fin_real.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/bcd.h"
#include "number/digits/digits.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

using namespace fin_real;

constexpr u32 kNewtonSteps = 256;

bool IsErr(const BcdReal &x) { return RealErrorCode(&x) != 0; }
u32 ErrOf(const BcdReal &x) { return RealErrorCode(&x); }

// ---- the extended form ----
// The amounts of a loan are often the small difference of large ones (a
// balance near the end, the future value of a plan that almost pays off), so
// the value solvers compute in the number core's 23-digit extended form and
// round once at the end. Operands are screened first: only well-formed
// numbers go in; an overflow or a division by zero comes out as Ma ERROR
// when the result is packed.
struct Ext {
  BcdExt x;
};

BcdReal MathError() {
  BcdReal r;
  RealSetZero(&r);
  return *RealMakeError(kFinErrMath, &r);
}
bool Plain(const BcdReal &r) { return !RealErrorCode(&r) && !RealIsFrac(&r) && RealIsWellFormed(&r); }
Ext XOf(const BcdReal &r) {
  BcdWork w;
  RealUnpack(&r, &w);
  Ext e;
  ShExtWiden(&w, &e.x);
  return e;
}
Ext XAdd(Ext a, Ext b) {
  ShExtAdd(&a.x, &b.x);
  return a;
}
Ext XSub(Ext a, Ext b) {
  ShExtSub(&a.x, &b.x);
  return a;
}
Ext XMul(Ext a, Ext b) {
  ShExtMul(&a.x, &b.x);
  return a;
}
Ext XDiv(Ext a, Ext b) {
  ShExtDiv(&a.x, &b.x);
  return a;
}
Ext XNeg(Ext a) {
  BcdWork zero;
  BcdZero(&zero);
  Ext z;
  ShExtWiden(&zero, &z.x);
  return XSub(z, a);
}
BcdReal XRound(Ext a) {
  ShExtRound(&a.x);
  BcdWork w;
  ShExtNarrow(&a.x, &w);
  BcdReal r;
  RealSetZero(&r);
  return *RealPack(&w, &r);
}
// (1 + a)^b - 1 for a > -1 (screened by the caller).
Ext XPow1pMinus1(Ext a, Ext b) {
  ShExtLog10s(&a.x);
  ShExtMul(&a.x, &b.x);
  ShExtExp10s(&a.x);
  return a;
}

bool Less(const BcdReal &a, const BcdReal &b) { return RealIsLess(&a, &b) == 1; }
bool LessEq(const BcdReal &a, const BcdReal &b) { return RealIsLessEqual(&a, &b) == 1; }
bool Equal(const BcdReal &a, const BcdReal &b) { return RealIsEqual(&a, &b) == 1; }
bool Negative(const BcdReal &x) { return Less(x, Zero()); }
bool IsZero(const BcdReal &x) { return Equal(x, Zero()); }
// One negative and the other not.
bool Opposite(const BcdReal &a, const BcdReal &b) { return Negative(a) != Negative(b); }

// Ends with the error value of code in *out; returns code.
u32 Fail(u32 code, BcdReal *out) {
  RealSetZero(out);
  RealMakeError(static_cast<u8>(code), out);
  return code;
}
// Stores a result: normalised, or its error code.
u32 Result(const BcdReal &r, BcdReal *out) {
  if (IsErr(r)) return Fail(ErrOf(r), out);
  RealNormalize(&r, out);
  if (IsErr(*out)) return Fail(ErrOf(*out), out);
  return kFinOk;
}

bool Break() { return KeyBreakPoll() != 0; }

// ---- the time-value equation ----

// 1 + iS: the payment's growth for payments at the beginning of a period.
BcdReal TimingFactor(const FinTvmState *st) { return st->bgn ? Add(One(), st->i) : One(); }

bool TinyRate(const BcdReal &i) { return Less(Abs(i), Scale(One(), -10)); }

// The equation and its derivative at st->i in the state's form.
u32 TvmEval(FinTvmState *st, const void *) {
  const BcdReal &i = st->i;
  const BcdReal &n = st->n;
  const BcdReal one_i = Add(One(), i);
  const BcdReal timing = TimingFactor(st);
  const BcdReal s = st->bgn ? One() : Zero();
  const bool zero = IsZero(i);
  const bool tiny = TinyRate(i);
  // n (n - 1) / 2 and n (n + 1) / 2: the slopes of the annuity factors at 0.
  const BcdReal half = Scale(Int(5), -1);
  if (st->form == kFinFormFV) {
    BcdReal pw;
    FinPow1pMinus1(&i, &n, &pw);
    const BcdReal grown = Add(One(), pw);
    const BcdReal b = zero ? n : Div(pw, i);
    const BcdReal db = tiny ? Mul(Mul(n, Sub(n, One())), half)
                            : Div(Sub(Div(Mul(Mul(n, grown), i), one_i), pw), Mul(i, i));
    st->f = Add(Add(Mul(st->pv, grown), Mul(Mul(st->pmt, timing), b)), st->fv);
    st->f1 = Add(Div(Mul(Mul(st->pv, n), grown), one_i), Mul(st->pmt, Add(Mul(s, b), Mul(timing, db))));
  } else {
    BcdReal pv_n;
    const BcdReal minus_n = Neg(n);
    FinPow1pMinus1(&i, &minus_n, &pv_n);
    const BcdReal shrunk = Add(One(), pv_n);
    const BcdReal a = zero ? n : Neg(Div(pv_n, i));
    const BcdReal da = tiny ? Neg(Mul(Mul(n, Add(n, One())), half))
                            : Div(Add(Div(Mul(Mul(n, shrunk), i), one_i), pv_n), Mul(i, i));
    st->f = Add(Add(st->pv, Mul(Mul(st->pmt, timing), a)), Mul(st->fv, shrunk));
    st->f1 = Sub(Mul(st->pmt, Add(Mul(s, a), Mul(timing, da))), Div(Mul(Mul(st->fv, n), shrunk), one_i));
  }
  if (IsErr(st->f) || IsErr(st->f1)) return kFinErrMath;
  return kFinOk;
}

using RateEval = u32 (*)(FinTvmState *, const void *);

// Newton's iteration from st->i with st->f and st->f1 already evaluated
// there: ends when a step changes the rate by at most 1E-9 of it (by at most
// 1E-9 when the new rate is 0). A zero derivative, a rate at or below -100 %
// or an error value ends with Ma ERROR at once; so do 256 steps without
// convergence, the best rate seen being kept in the state.
u32 Newton(FinTvmState *st, RateEval eval, const void *ctx, BcdReal *rate) {
  const BcdReal tol = Scale(One(), -9);
  const BcdReal minus_one = Neg(One());
  st->steps = 0;
  st->best_i = st->i;
  st->best_f = Abs(st->f);
  for (;;) {
    if (IsErr(st->f) || IsErr(st->f1)) return kFinErrMath;
    if (IsZero(st->f)) {
      *rate = st->i;
      return kFinOk;
    }
    if (IsZero(st->f1)) return kFinErrMath;
    const BcdReal next = Sub(st->i, Div(st->f, st->f1));
    if (IsErr(next) || LessEq(next, minus_one)) return kFinErrMath;
    const BcdReal change = Abs(Sub(st->i, next));
    const bool done = IsZero(next) ? LessEq(change, tol) : LessEq(Div(change, Abs(next)), tol);
    if (done) {
      *rate = next;
      return kFinOk;
    }
    if (++st->steps >= kNewtonSteps) return kFinErrMath;
    st->i = next;
    if (u32 e = eval(st, ctx)) return e;
    if (Less(Abs(st->f), st->best_f)) {
      st->best_f = Abs(st->f);
      st->best_i = st->i;
    }
    if (Break()) return kFinErrBreak;
  }
}

// The rate per payment period from I%: I% / (100 C/Y) compounded C/Y / P/Y
// times a period.
u32 RateFromPercent(const BcdReal &percent, const BcdReal &py, const BcdReal &cy, u32 mode, BcdReal *i) {
  const BcdReal one = One();
  if ((mode != kFinCmpdList && mode != kFinAmortList) || (Equal(py, one) && Equal(cy, one))) {
    *i = Scale(percent, -2);
  } else {
    const BcdReal per = Div(Scale(percent, -2), cy);
    if (Equal(py, cy)) {
      *i = per;
    } else {
      const BcdReal ratio = Div(cy, py);
      FinPow1pMinus1(&per, &ratio, i);
    }
  }
  return ErrOf(*i);
}

// I% from the rate per payment period: 100 C/Y ((1 + i)^(P/Y / C/Y) - 1).
BcdReal PercentFromRate(const BcdReal &i, const BcdReal &py, const BcdReal &cy) {
  if (Equal(py, cy)) return Scale(Mul(i, cy), 2);
  const BcdReal ratio = Div(py, cy);
  BcdReal g;
  FinPow1pMinus1(&i, &ratio, &g);
  return Scale(Mul(g, cy), 2);
}

// The form for the n, PV, PMT and FV solvers.
u32 SolverForm(const FinTvmState *st) {
  if (IsZero(st->i)) return kFinFormZero;
  return Negative(st->n) != Negative(st->i) ? kFinFormFV : kFinFormPV;
}

BcdReal SolveN(const FinTvmState *st) {
  if (IsZero(st->i)) return Neg(Div(Add(st->pv, st->fv), st->pmt));
  // q = (P' - FV i) / (P' + PV i); q - 1 keeps its digits when q is near 1.
  const BcdReal p = st->bgn ? Add(st->pmt, Mul(st->pmt, st->i)) : st->pmt;
  const BcdReal q_minus_1 = Neg(Div(Mul(st->i, Add(st->fv, st->pv)), Add(p, Mul(st->pv, st->i))));
  BcdReal lq, li;
  FinLog1p(&q_minus_1, &lq);
  FinLog1p(&st->i, &li);
  return Div(lq, li);
}

BcdReal SolveValue(const FinTvmState *st, u32 target) {
  const u32 form = SolverForm(st);
  if (form == kFinFormZero) {
    switch (target) {
      case kFinCmpdPV: return Neg(Add(Mul(st->pmt, st->n), st->fv));
      case kFinCmpdPMT: return Neg(Div(Add(st->pv, st->fv), st->n));
      default: return Neg(Add(Mul(st->pmt, st->n), st->pv));
    }
  }
  for (const BcdReal *x : {&st->n, &st->i, &st->pv, &st->pmt, &st->fv})
    if (!Plain(*x)) return MathError();
  if (LessEq(st->i, Neg(One()))) return MathError();
  const Ext i = XOf(st->i), n = XOf(st->n), pv = XOf(st->pv), fv = XOf(st->fv);
  const Ext timing = st->bgn ? XOf(Add(One(), st->i)) : XOf(One());
  const Ext pmt_s = XMul(XOf(st->pmt), timing);  // PMT' = PMT (1 + iS)
  // PV and FV as the one amount given exactly plus a product whose second
  // factor carries no cancellation, each with the factor of its own form:
  //   PV = -(FV + A (PMT' - FV i)),  A = (1 - (1+i)^-n) / i;
  //   FV = -(PV + B (PV i + PMT')),  B = ((1+i)^n - 1) / i.
  const Ext a = XNeg(XDiv(XPow1pMinus1(i, XNeg(n)), i));
  const Ext b = XDiv(XPow1pMinus1(i, n), i);
  switch (target) {
    case kFinCmpdPV: return XRound(XNeg(XAdd(fv, XMul(a, XSub(pmt_s, XMul(fv, i))))));
    case kFinCmpdFV: return XRound(XNeg(XAdd(pv, XMul(b, XAdd(XMul(pv, i), pmt_s)))));
    default: {
      // PMT' = -(PV + FV) / A + FV i, or -(PV + FV) / B - PV i in the
      // future-value form.
      const Ext sum = XAdd(pv, fv);
      const Ext p = form == kFinFormFV ? XSub(XNeg(XDiv(sum, b)), XMul(pv, i)) : XAdd(XNeg(XDiv(sum, a)), XMul(fv, i));
      return XRound(XDiv(p, timing));
    }
  }
}

// The I% solver's feasibility and sign checks; true when it may go on.
bool RateSignsAllowed(const FinTvmState *st) {
  const BcdReal &pv = st->pv, &pmt = st->pmt, &fv = st->fv;
  if (!st->bgn) {
    const BcdReal w = Add(fv, pmt);
    if (IsZero(pv)) return !IsZero(w) && Opposite(w, pmt);
    if (IsZero(fv) || Opposite(pv, fv)) return !IsZero(w);
    if (IsZero(w)) return true;
    return Opposite(w, pv);
  }
  if (IsZero(pv)) return true;
  const BcdReal w = Add(pv, pmt);
  if (IsZero(fv)) return !IsZero(w) && Opposite(w, pmt);
  if (Opposite(pv, fv)) return !IsZero(w);
  if (IsZero(w)) return true;
  return Opposite(w, fv);
}

u32 SolveRate(FinTvmState *st, const BcdReal &py, const BcdReal &cy, BcdReal *out) {
  const BcdReal &n = st->n, &pv = st->pv, &pmt = st->pmt, &fv = st->fv;
  const bool any_neg = Negative(pv) || Negative(pmt) || Negative(fv);
  const bool any_pos = Less(Zero(), pv) || Less(Zero(), pmt) || Less(Zero(), fv);
  if (Negative(n) || !any_neg || !any_pos) return Fail(kFinErrMath, out);
  const BcdReal s = Add(Add(Mul(n, pmt), pv), fv);
  if (IsErr(s)) return Fail(ErrOf(s), out);
  if (IsZero(s)) return Result(Zero(), out);
  if (!RateSignsAllowed(st)) return Fail(kFinErrMath, out);
  const bool v_is_pv = st->bgn ? IsZero(fv) : !IsZero(pv);
  const BcdReal &v = v_is_pv ? pv : fv;
  const bool same = Negative(v) == Negative(s);
  st->form = (v_is_pv == same) ? kFinFormFV : kFinFormPV;
  // Period checks.
  if (IsZero(pv)) {
    if (IsZero(n) || (!st->bgn && Equal(n, One()))) return Fail(kFinErrMath, out);
  } else if (IsZero(fv) || !Opposite(pv, fv)) {
    if (IsZero(n)) return Fail(kFinErrMath, out);
  }
  BcdReal rate;
  if (st->form == kFinFormFV && IsZero(Mul(n, pmt))) {
    // No payments: (1 + i)^n = -FV / PV.
    const BcdReal ratio = Neg(Div(Add(fv, pv), pv));
    const BcdReal inv_n = Div(One(), n);
    FinPow1pMinus1(&ratio, &inv_n, &rate);
    if (IsErr(rate)) return Fail(kFinErrMath, out);
  } else {
    st->i = Zero();
    TvmEval(st, nullptr);
    if (u32 e = Newton(st, TvmEval, nullptr, &rate)) return Fail(e, out);
  }
  if (LessEq(rate, Neg(One()))) return Fail(kFinErrMath, out);
  st->i = rate;
  return Result(PercentFromRate(rate, py, cy), out);
}

// ---- cash flow ----

struct CashPass {
  u32 list;
  u32 code;
  u32 size;
  BcdReal npv, prev, deriv;
  u32 sign_flag;  // 1 first flow positive, 5 negative, 8 a flow of the other sign followed
  bool paid_back;
  BcdReal payback;
};

// One pass over the flows at the state's rate.
u32 CashRun(FinTvmState *st, const void *ctx) {
  CashPass *c = static_cast<CashPass *>(const_cast<void *>(ctx));
  c->size = ItemListSize(0, static_cast<u8>(c->list));
  if (c->size == 0) return kFinErrDim;
  c->npv = Zero();
  c->deriv = Zero();
  c->sign_flag = 0;
  c->paid_back = false;
  BcdReal d = One();
  for (u32 k = 1; k <= c->size; ++k) {
    Value v;
    if (ItemListGet(0, static_cast<u8>(c->list), k, &v) != 0) return kFinErrMem;
    if (ValErrorCode(&v)) return kFinErrMem;
    if (ValIsComplex(&v)) return kFinErrComplex;
    const BcdReal cf = Decimal(v.re);
    if (IsErr(cf)) return ErrOf(cf);
    const bool neg = Negative(cf);
    if (c->sign_flag == 0) {
      if (!IsZero(cf)) c->sign_flag = neg ? 5 : 1;
    } else if ((c->sign_flag == 1 && neg) || (c->sign_flag == 5 && Less(Zero(), cf))) {
      // Only a flow of the other strict sign counts: a zero is no change.
      c->sign_flag = 8;
    }
    c->prev = c->npv;
    c->npv = Add(c->npv, Mul(d, cf));
    const BcdReal minus_k = Int(-static_cast<i32>(k));
    FinPow1p(&st->i, &minus_k, &d);
    if (IsErr(d)) return ErrOf(d);
    if (IsZero(d)) return kFinErrMath;
    if (IsErr(c->npv)) return ErrOf(c->npv);
    if (c->code == kFinCashPBP && !Negative(c->npv)) {
      BcdReal r = Int(static_cast<i32>(k - 1));
      if (!IsZero(c->npv)) r = Sub(r, Div(c->npv, Add(Abs(c->prev), c->npv)));
      if (Negative(r)) r = Zero();
      c->payback = r;
      c->paid_back = true;
      return kFinOk;
    }
    if (c->code == kFinCashIRR) c->deriv = Sub(c->deriv, Mul(Mul(Int(static_cast<i32>(k - 1)), cf), d));
    if (Break()) return kFinErrBreak;
  }
  st->f = c->npv;
  st->f1 = c->deriv;
  return kFinOk;
}

// ---- amortisation ----

// The balance after k payments (k = 0: PV).
BcdReal BalanceAfter(const FinTvmState *st, u32 k) {
  BcdReal pv = st->pv;
  if (k == 0) return pv;
  if (st->bgn) {
    // The first payment carries no interest.
    pv = Add(pv, st->pmt);
    --k;
  }
  const BcdReal kk = Int(static_cast<i32>(k));
  if (IsZero(st->i)) return Add(pv, Mul(kk, st->pmt));
  if (!Plain(pv) || !Plain(st->pmt) || !Plain(st->i) || LessEq(st->i, Neg(One()))) return MathError();
  // PV (1+i)^k + PMT ((1+i)^k - 1) / i = PV + (PV i + PMT) ((1+i)^k - 1) / i.
  const Ext i = XOf(st->i), p = XOf(pv);
  return XRound(XAdd(p, XMul(XAdd(XMul(p, i), XOf(st->pmt)), XDiv(XPow1pMinus1(i, XOf(kk)), i))));
}

// Payment k with the balance before it: its interest t and principal p.
void PaymentParts(const FinTvmState *st, u32 k, const BcdReal &bal, BcdReal *t, BcdReal *p) {
  if (k == 1 && st->bgn) {
    *t = Zero();
    *p = st->pmt;
    return;
  }
  const BcdReal interest = Mul(bal, st->i);
  *t = st->sign < 0 ? Neg(Abs(interest)) : Abs(interest);
  *p = Add(st->pmt, interest);
}

// The payment range for a code: 0, or 8 for a range outside 1-9999 or a sum
// whose first payment is not below its last.
u32 AmortStart(const FinMem *mem, u32 code, FinTvmState *st) {
  i32 pm1 = 0, pm2 = 0;
  if (FinCheckPeriod(&mem->pm1, &pm1) || FinCheckPeriod(&mem->pm2, &pm2)) return kFinErrArg;
  const bool sum = code == kFinAmortSumINT || code == kFinAmortSumPRN;
  if (sum && pm1 >= pm2) return kFinErrArg;
  st->start = static_cast<u32>(pm1);
  st->end = code == kFinAmortBAL || sum ? static_cast<u32>(pm2) : static_cast<u32>(pm1);
  st->k = 0;
  st->bal = st->pv;
  st->intr = st->prn = Zero();
  st->sign = Negative(st->pmt) ? -1 : 1;
  return kFinOk;
}

// ---- days ----

constexpr u8 kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool Leap(u32 year) { return year % 4 == 0; }  // true for every year 1901-2099 it should be

// floor(365.25 (year - 1901)): the days before 1 January of year.
u32 DaysBeforeYear(u32 year) { return (year - 1901) * 36525 / 100; }

u32 DaysBeforeMonth(u32 year, u32 month) {
  u32 days = 0;
  for (u32 m = 1; m < month; ++m) days += FinMonthDays(year, m);
  return days;
}

}  // namespace

// ---- checks ----

u32 FinCheckWhole(const BcdReal *value, i32 lo, i32 hi, i32 *out) {
  const BcdReal v = Decimal(*value);
  if (IsErr(v) || RealIsInteger(&v) != 1) return kFinErrMath;
  if (Less(v, Int(lo)) || Less(Int(hi), v)) return kFinErrMath;
  if (out) *out = NumToInt32(&v);
  return kFinOk;
}

u32 FinCheckPeriod(const BcdReal *value, i32 *out) {
  return FinCheckWhole(value, 1, 9999, out) ? kFinErrArg : kFinOk;
}

// ---- powers ----

BcdReal *FinLog1p(const BcdReal *a, BcdReal *out) { return RealLog10s(a, out); }

namespace {

// (1 + a)^b - 1 (minus_one) or (1 + a)^b, with the logarithm, the product and
// the power in the extended form and one rounding at the end.
BcdReal *PowNearOne(const BcdReal *a, const BcdReal *b, BcdReal *out, bool minus_one) {
  BcdReal l;
  RealLog10s(a, &l);  // Ma ERROR for a <= -1, and any error of a
  if (!IsErr(l) && Plain(*a) && Plain(*b)) {
    Ext r = XPow1pMinus1(XOf(*a), XOf(*b));
    if (!minus_one) r = XAdd(r, XOf(One()));
    *out = XRound(r);
    return out;
  }
  const BcdReal x = Mul(*b, l);
  return minus_one ? RealExp10s(&x, out) : RealExp10(&x, out);
}

}  // namespace

BcdReal *FinPow1p(const BcdReal *a, const BcdReal *b, BcdReal *out) { return PowNearOne(a, b, out, false); }

BcdReal *FinPow1pMinus1(const BcdReal *a, const BcdReal *b, BcdReal *out) { return PowNearOne(a, b, out, true); }

// ---- compound interest ----

u32 FinPrepareTvm(const FinMem *mem, u32 mode, FinTvmState *st) {
  std::memset(st, 0, sizeof *st);
  st->mode = mode;
  st->bgn = SetupGetItem(kSetupPayment) == 0;
  if (FinCheckPeriod(&mem->py, nullptr) || FinCheckPeriod(&mem->cy, nullptr)) return kFinErrArg;
  const BcdReal py = Decimal(mem->py), cy = Decimal(mem->cy);
  st->ratio = Div(cy, py);
  st->n = Decimal(mem->n);
  st->pv = Decimal(mem->pv);
  st->pmt = Decimal(mem->pmt);
  st->fv = Decimal(mem->fv);
  for (const BcdReal *x : {&st->n, &st->pv, &st->pmt, &st->fv})
    if (IsErr(*x)) return ErrOf(*x);
  return RateFromPercent(Decimal(mem->i), py, cy, mode, &st->i);
}

u32 FinCmpdSolve(const FinMem *mem, u32 target, BcdReal *out, FinTvmState *st) {
  const BcdReal percent = Decimal(mem->i);
  if (IsErr(percent)) return Fail(ErrOf(percent), out);
  // A rate of -100 % or less leaves nothing to compound.
  if (target != kFinCmpdI && LessEq(percent, Int(-100))) return Fail(kFinErrMath, out);
  if (u32 e = FinPrepareTvm(mem, kFinCmpdList, st)) return Fail(e, out);
  st->target = target;
  switch (target) {
    case kFinCmpdN:
      return Result(SolveN(st), out);
    case kFinCmpdI:
      return SolveRate(st, Decimal(mem->py), Decimal(mem->cy), out);
    case kFinCmpdPV:
    case kFinCmpdPMT:
    case kFinCmpdFV:
      st->form = SolverForm(st);
      return Result(SolveValue(st, target), out);
    default:
      return Fail(kFinErrArg, out);
  }
}

// ---- cash flow ----

u32 FinCashSolve(const FinMem *mem, u32 code, BcdReal *out, FinTvmState *st) {
  std::memset(st, 0, sizeof *st);
  st->target = code;
  if (mem->list < 1 || mem->list > 20) return Fail(kFinErrArg, out);
  const BcdReal percent = Decimal(mem->i);
  if (IsErr(percent)) return Fail(ErrOf(percent), out);
  if (code != kFinCashIRR && LessEq(percent, Int(-100))) return Fail(kFinErrMath, out);
  st->i = code == kFinCashIRR ? Zero() : Scale(percent, -2);
  st->best_i = st->i;
  CashPass pass{};
  pass.list = mem->list;
  pass.code = code;
  if (u32 e = CashRun(st, &pass)) return Fail(e, out);
  switch (code) {
    case kFinCashNPV:
      return Result(pass.npv, out);
    case kFinCashNFV: {
      const BcdReal span = Int(static_cast<i32>(pass.size - 1));
      BcdReal g;
      FinPow1p(&st->i, &span, &g);
      return Result(Mul(pass.npv, g), out);
    }
    case kFinCashPBP:
      if (!pass.paid_back) return Fail(kFinErrMath, out);
      return Result(pass.payback, out);
    case kFinCashIRR: {
      if (pass.sign_flag < 8) return Fail(kFinErrMath, out);
      BcdReal rate;
      if (u32 e = Newton(st, CashRun, &pass, &rate)) return Fail(e, out);
      if (LessEq(rate, Neg(One()))) return Fail(kFinErrMath, out);
      st->i = rate;
      return Result(Scale(rate, 2), out);
    }
    default:
      return Fail(kFinErrArg, out);
  }
}

// ---- amortisation ----

u32 FinAmortEngine(const FinMem *mem, u32 code, BcdReal *out, FinTvmState *st) {
  if (FinCheckPeriod(&mem->pm1, nullptr) || FinCheckPeriod(&mem->pm2, nullptr)) return Fail(kFinErrArg, out);
  if (u32 e = FinPrepareTvm(mem, kFinAmortList, st)) return Fail(e, out);
  st->target = code;
  if (u32 e = AmortStart(mem, code, st)) return Fail(e, out);
  if (code == kFinAmortBAL) return Result(BalanceAfter(st, st->end), out);
  // The balance before the first payment of the range, in closed form; the
  // range is then walked payment by payment.
  st->k = st->start - 1;
  st->bal = BalanceAfter(st, st->k);
  while (st->k != st->end) {
    ++st->k;
    BcdReal t, p;
    PaymentParts(st, st->k, st->bal, &t, &p);
    if (code == kFinAmortINT || code == kFinAmortPRN) {
      st->intr = t;
      st->prn = p;
    } else {
      st->intr = Add(st->intr, t);
      st->prn = Add(st->prn, p);
    }
    st->bal = Add(st->bal, p);
    if (IsErr(st->bal) || IsErr(st->intr) || IsErr(st->prn)) break;
    if (Break()) return Fail(kFinErrBreak, out);
  }
  const bool interest = code == kFinAmortINT || code == kFinAmortSumINT;
  return Result(interest ? st->intr : st->prn, out);
}

u32 FinAmortPayment(const FinMem *mem, u32 k, BcdReal *intr, BcdReal *prn, BcdReal *bal) {
  FinTvmState st;
  if (u32 e = FinPrepareTvm(mem, kFinAmortList, &st)) return e;
  st.sign = Negative(st.pmt) ? -1 : 1;
  const BcdReal before = BalanceAfter(&st, k - 1);
  PaymentParts(&st, k, before, intr, prn);
  *bal = Add(before, *prn);
  for (const BcdReal *x : {intr, prn, bal})
    if (IsErr(*x)) return ErrOf(*x);
  return kFinOk;
}

// ---- simple interest ----

u32 FinSimpleSI(const FinMem *mem, BcdReal *out) {
  const BcdReal days = Int(SetupGetItem(kSetupDateMode) == 1 ? 360 : 365);
  const BcdReal i = Scale(Decimal(mem->i), -2);
  const BcdReal si = Mul(Mul(Neg(Div(Decimal(mem->n), days)), i), Decimal(mem->pv));
  return Result(si, out);
}

u32 FinSimpleSFV(const FinMem *mem, BcdReal *out) {
  BcdReal si;
  if (u32 e = FinSimpleSI(mem, &si)) return Fail(e, out);
  return Result(Sub(si, Decimal(mem->pv)), out);
}

// ---- conversion ----

u32 FinCnvtEff(const FinMem *mem, BcdReal *out) {
  const BcdReal n = Decimal(mem->n);
  const BcdReal t = Scale(Div(Decimal(mem->i), n), -2);
  BcdReal l, e;
  FinLog1p(&t, &l);
  const BcdReal x = Mul(l, n);
  RealExp10s(&x, &e);
  return Result(Scale(e, 2), out);
}

u32 FinCnvtApr(const FinMem *mem, BcdReal *out) {
  const BcdReal n = Decimal(mem->n);
  const BcdReal t = Scale(Decimal(mem->i), -2);
  BcdReal l, e;
  FinLog1p(&t, &l);
  const BcdReal x = Div(l, n);
  RealExp10s(&x, &e);
  return Result(Mul(Scale(e, 2), n), out);
}

// ---- cost, selling price, margin ----

u32 FinCostCst(FinMem *mem, BcdReal *out) {
  const BcdReal m = Scale(Decimal(mem->mrg), -2);
  const u32 e = Result(Mul(Decimal(mem->sel), Sub(One(), m)), out);
  if (!e) mem->cst = *out;
  return e;
}

u32 FinCostSel(FinMem *mem, BcdReal *out) {
  const BcdReal m = Scale(Decimal(mem->mrg), -2);
  const u32 e = Result(Div(Decimal(mem->cst), Sub(One(), m)), out);
  if (!e) mem->sel = *out;
  return e;
}

u32 FinCostMrg(FinMem *mem, BcdReal *out) {
  const BcdReal c = Div(Decimal(mem->cst), Decimal(mem->sel));
  const u32 e = Result(Scale(Sub(One(), c), 2), out);
  if (!e) mem->mrg = *out;
  return e;
}

// ---- days ----

u32 FinMonthDays(u32 year, u32 month) {
  if (month < 1 || month > 12) return 0;
  return month == 2 && Leap(year) ? 29 : kMonthDays[month - 1];
}

bool FinDateValid(const FinDate &d) {
  return d.year >= 1901 && d.year <= 2099 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= FinMonthDays(d.year, d.month);
}

u32 FinDaySerial365(const FinDate &d) { return DaysBeforeYear(d.year) + DaysBeforeMonth(d.year, d.month) + d.day; }

u32 FinDaySerial360(const FinDate &d) { return 360 * (d.year - 1901u) + 30 * (d.month - 1u) + d.day; }

bool FinSerialToDate365(u32 serial, FinDate *out) {
  if (serial < 1 || serial > kFinSerialLast) return false;
  // Whole years strictly below the serial: 36525 k < 100 serial.
  const u32 years = (serial * 100 - 1) / 36525;
  const u32 year = 1901 + years;
  u32 day = serial - DaysBeforeYear(year);
  u32 month = 1;
  while (day > FinMonthDays(year, month)) day -= FinMonthDays(year, month++);
  *out = {static_cast<u16>(day), static_cast<u16>(month), static_cast<u16>(year)};
  return true;
}

u32 FinWeekday(u32 serial365) { return (serial365 + 1) % 7; }

char *FinFormatDate(const FinDate &d, char *out) {
  static const char *const kDays[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  if (!FinDateValid(d)) {
    std::snprintf(out, 17, "%s", "");
    return out;
  }
  std::snprintf(out, 17, "%02uM%02uD%04uY(%s)", static_cast<unsigned>(d.month) % 100,
                static_cast<unsigned>(d.day) % 100, static_cast<unsigned>(d.year) % 10000,
                kDays[FinWeekday(FinDaySerial365(d))]);
  return out;
}

u32 FinDaysBetween(const FinMem *mem, u32 basis360, BcdReal *out) {
  if (!FinDateValid(mem->d1) || !FinDateValid(mem->d2)) return Fail(kFinErrMath, out);
  if (!basis360) {
    const i32 days = static_cast<i32>(FinDaySerial365(mem->d2)) - static_cast<i32>(FinDaySerial365(mem->d1));
    return Result(Int(days), out);
  }
  FinDate a = mem->d1, b = mem->d2;
  // 30-day months: a first day of 31, or the last day of February, counts as
  // the 30th; then a second day of 31 does too.
  if (a.day > 30 || (a.month == 2 && a.day == FinMonthDays(a.year, 2))) a.day = 30;
  if (b.day == 31 && a.day == 30) b.day = 30;
  const i32 days = static_cast<i32>(FinDaySerial360(b)) - static_cast<i32>(FinDaySerial360(a));
  return Result(Int(days), out);
}

u32 FinDateShift(const FinMem *mem, u32 minus, u32 basis360, FinDate *out) {
  if (basis360 || !FinDateValid(mem->d1)) return kFinErrMath;
  const BcdReal d = Decimal(mem->d);
  const BcdReal s = minus ? Sub(Int(static_cast<i32>(FinDaySerial365(mem->d1))), d)
                          : Add(Int(static_cast<i32>(FinDaySerial365(mem->d1))), d);
  i32 serial = 0;
  if (FinCheckWhole(&s, 1, static_cast<i32>(kFinSerialLast), &serial)) return kFinErrMath;
  return FinSerialToDate365(static_cast<u32>(serial), out) ? kFinOk : kFinErrMath;
}
