// Adaptive Gauss-Kronrod integration in 15-digit decimal arithmetic.
#include "numeric/integrate.h"

#include <cstdio>
#include <cstring>

#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/calc_point.h"
#include "ui/setup.h"

namespace {

constexpr u8 kErrSyntax = 2, kErrMa = 3, kErrTimeOut = 29;
constexpr int kDepthLimit = 47, kGrowthLimit = 256;

// The 15-point Kronrod nodes from the outermost inwards (the second, fourth
// and sixth are the 7-point Gauss nodes), the Kronrod weights in the same
// order followed by the centre's, and the Gauss weights of the Gauss nodes
// followed by the centre's.
const char *const kNodes[7] = {"0.991455371120813", "0.949107912342759", "0.864864423359769", "0.741531185599394",
                               "0.586087235467691", "0.405845151377397", "0.207784955007898"};
const char *const kKronrod[8] = {"0.0229353220105292", "0.0630920926299786", "0.104790010322250",
                                 "0.140653259715526",  "0.169004726639268",  "0.190350578064785",
                                 "0.204432940075299",  "0.209482141084728"};
const char *const kGauss[4] = {"0.129484966168870", "0.279705391489277", "0.381830050505119", "0.417959183673469"};

struct Rule {
  BcdReal node[7], kronrod[8], gauss[4];
};

const Rule &TheRule() {
  static const Rule rule = [] {
    Rule r;
    for (int i = 0; i < 7; ++i) r.node[i] = CalcConst(kNodes[i]);
    for (int i = 0; i < 8; ++i) r.kronrod[i] = CalcConst(kKronrod[i]);
    for (int i = 0; i < 4; ++i) r.gauss[i] = CalcConst(kGauss[i]);
    return r;
  }();
  return rule;
}

BcdReal FromU64(u64 n) {
  char text[24];
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(n));
  return CalcConst(text);
}

struct Integrator {
  CalcExpr expr;
  bool checkedToken;
  Value *out;
  BcdReal a, b, d;
};

// f at x: 1 with the value in v, 0 with the error in out.
int F(Integrator &s, const BcdReal &x, BcdReal *v) {
  if (ValErrorCode(&x) != 0) {
    CalcFail(s.out, kErrMa);
    return 0;
  }
  Value r;
  EvalCell after;
  std::memset(&after, 0, sizeof after);
  if (!CalcEvalAt(&s.expr, &x, kCalcPointFlags, &r, &after)) {
    *s.out = r;
    return 0;
  }
  if (!s.checkedToken) {
    // The expression must end where the argument list goes on.
    s.checkedToken = true;
    const bool endOk = SetupGetByte(kSetupGraphVars) != 0 && TokByte0(&after) == kTokEnd;
    if (!TokIsComma(&after) && !endOk) {
      CalcFail(s.out, kErrSyntax);
      return 0;
    }
  }
  *v = r.re;
  return 1;
}

// a + (b - a) (n / Q).
BcdReal Edge(const Integrator &s, u64 n, u64 q) {
  const BcdReal bn = FromU64(n), bq = FromU64(q);
  BcdReal t, u, r;
  RealMul(&s.d, &bn, &t);
  RealDiv(&t, &bq, &u);
  RealAdd(&s.a, &u, &r);
  return r;
}

// The G7-K15 sums over [lo, hi] into K and G (already times h). 1, or 0 with
// the error in out.
int Rule15(Integrator &s, const BcdReal &lo, const BcdReal &hi, const BcdReal &h, BcdReal *K, BcdReal *G) {
  const Rule &rule = TheRule();
  BcdReal c, fc;
  if (!IntegrateMidpoint(&lo, &hi, &c)) {
    CalcFail(s.out, kErrMa);
    return 0;
  }
  if (!F(s, c, &fc)) return 0;
  RealMul(&rule.kronrod[7], &fc, K);
  RealMul(&rule.gauss[3], &fc, G);
  const bool loZero = CalcIsZero(&lo), hiZero = CalcIsZero(&hi);
  BcdReal one;
  RealSetOne(&one);
  // The Gauss node pairs first, then the Kronrod-only ones.
  static const int kOrder[7] = {1, 3, 5, 0, 2, 4, 6};
  for (int n = 0; n < 7; ++n) {
    const int i = kOrder[n];
    const BcdReal &xi = rule.node[i];
    BcdReal x1, x2, t, u;
    if (loZero) {
      // Near an end at 0 the points are formed without cancellation.
      RealSub(&one, &xi, &t);
      RealMul(&h, &t, &x1);
      RealAdd(&one, &xi, &t);
      RealMul(&h, &t, &x2);
    } else if (hiZero) {
      RealAdd(&one, &xi, &t);
      RealMul(&c, &t, &x1);
      RealSub(&one, &xi, &t);
      RealMul(&c, &t, &x2);
    } else {
      RealMul(&h, &xi, &t);
      RealSub(&c, &t, &x1);
      RealAdd(&c, &t, &x2);
    }
    BcdReal f1, f2, sum;
    if (!F(s, x1, &f1) || !F(s, x2, &f2)) return 0;
    RealAddMaru(&f1, &f2, &sum);
    RealMul(&rule.kronrod[i], &sum, &t);
    RealAddMaru(K, &t, K);
    if (n < 3) {
      RealMul(&rule.gauss[n], &sum, &u);
      RealAddMaru(G, &u, G);
    }
  }
  RealMul(K, &h, K);
  RealMul(G, &h, G);
  if (ValErrorCode(K) != 0 || ValErrorCode(G) != 0) {
    CalcFail(s.out, kErrMa);
    return 0;
  }
  return 1;
}

// An error estimate of a single significant digit from 1 to 4 is taken as
// no error at all: it is the rounding of the two sums, not their difference.
void DropRoundingEstimate(BcdReal *e) {
  const u8 first = e->b[1] & 0x0F;
  if (first < 1 || first > 4) return;
  for (int i = 2; i <= 8; ++i)
    if (e->b[i] != 0) return;
  RealSetZero(e);
}

}  // namespace

int IntegrateHalfLength(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  BcdReal d, two;
  RealSub(b, a, &d);
  RealSetTwo(&two);
  RealDiv(&d, &two, out);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

int IntegrateMidpoint(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  BcdReal s, two;
  RealAdd(a, b, &s);
  RealSetTwo(&two);
  RealDiv(&s, &two, out);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

int NumericIntegrate(const BcdReal *a, const BcdReal *b, BcdReal *tolerance, Value *out, TokPos pos,
                     const EvalCell *tok, EvalStackArea *area) {
  if (CalcIsZero(tolerance)) *tolerance = CalcConst("1E-5");
  const BcdReal tol = *tolerance;
  Integrator s;
  s.expr = CalcExpr{pos, *tok, area, 'X'};
  s.checkedToken = false;
  s.out = out;
  RealNormalize(a, &s.a);
  RealNormalize(b, &s.b);
  RealSub(&s.b, &s.a, &s.d);
  if (ValErrorCode(&s.d) != 0) {
    CalcFail(out, kErrMa);
    return 0;
  }
  if (std::memcmp(s.a.b, s.b.b, 9) == 0) {
    std::memset(out, 0, sizeof *out);
    return 1;
  }
  u64 P = 1, Q = 1;
  int depth = 0, growths = 0;
  BcdReal lo = s.a, hi = s.b, localTol = tol;
  BcdReal posSum, negSum, errSum, zero;
  RealSetZero(&posSum);
  RealSetZero(&negSum);
  RealSetZero(&errSum);
  RealSetZero(&zero);
  const BcdReal huge = CalcConst("9.99999999999999E99");
  for (;;) {
    // A new interval.
    BcdReal prevE = huge, K, G, E;
    for (;;) {
      BcdReal h;
      if (!IntegrateHalfLength(&lo, &hi, &h) || CalcIsZero(&h)) {
        CalcFail(out, kErrMa);
        return 0;
      }
      if (!Rule15(s, lo, hi, h, &K, &G)) return 0;
      BcdReal diff;
      RealSub(&K, &G, &diff);
      RealAbs(&diff, &E);
      if (ValErrorCode(&E) != 0) {
        CalcFail(out, kErrMa);
        return 0;
      }
      DropRoundingEstimate(&E);
      if (RealIsGreater(&E, &prevE) == 1 && ++growths >= kGrowthLimit) {
        CalcFail(out, kErrMa);
        return 0;
      }
      prevE = E;
      if (RealIsLessEqual(&E, &localTol) == 1) break;
      // Bisect: the left half next.
      ++depth;
      Q *= 2;
      if (depth >= kDepthLimit) {
        BcdReal T, TK, change;
        RealAdd(&posSum, &negSum, &T);
        RealAdd(&T, &K, &TK);
        RealSub(&TK, &T, &change);
        RealAbs(&change, &change);
        if (RealIsGreater(&change, &tol) == 1) {
          CalcFail(out, kErrTimeOut);
          return 0;
        }
        --depth;
        Q /= 2;
        break;
      }
      P *= 2;
      BcdReal t;
      RealMul(&tol, &h, &t);
      RealDiv(&t, &s.d, &localTol);
      RealAbs(&localTol, &localTol);
      hi = Edge(s, P - Q + 1, Q);
    }
    // Accept the interval.
    if (RealIsGreaterEqual(&K, &zero) == 1) RealAddMaru(&posSum, &K, &posSum);
    else RealAddMaru(&negSum, &K, &negSum);
    RealAddMaru(&errSum, &E, &errSum);
    if (RealIsGreater(&errSum, &tol) == 1) {
      CalcFail(out, kErrMa);
      return 0;
    }
    // Move on to the next interval, depth first.
    for (;;) {
      if (P == 1) {
        BcdReal total, norm;
        RealAdd(&posSum, &negSum, &total);
        RealNormalize(&total, &norm);
        std::memset(out, 0, sizeof *out);
        CalcRoundSignificant(&norm, &out->re, 11);
        return ValErrorCode(out) == 0 ? 1 : 0;
      }
      if (P % 2 == 0) {
        ++P;
        lo = hi;
        hi = Edge(s, P - Q + 1, Q);
        break;
      }
      --depth;
      Q /= 2;
      P = (P - 1) / 2;
      BcdReal two;
      RealSetTwo(&two);
      RealMul(&localTol, &two, &localTol);
      lo = Edge(s, P - Q, Q);
    }
  }
}
