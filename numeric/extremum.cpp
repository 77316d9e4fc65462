// Extremum search by scanning and refining.
#include "numeric/extremum.h"

#include <cstring>

#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/calc_point.h"

namespace {

constexpr u8 kErrBreak = 1, kErrMa = 3, kErrArgument = 8;
constexpr u32 kLaterFlags = 0x0104;  // the points after the first

int FailBoth(Value *outX, Value *outY, const Value &err) {
  *outX = err;
  *outY = err;
  return 0;
}

int FailBoth(Value *outX, Value *outY, u8 code) {
  Value e;
  CalcFail(&e, code);
  return FailBoth(outX, outY, e);
}

struct Search {
  CalcExpr expr;
  int isMax;
  BcdReal upper;
  BcdReal xBest, yBest;
};

// Evaluates at x (replaced by upper above it) and keeps the better point;
// the last of equal values wins. 1, or 0 with the error in err.
int Visit(Search &s, BcdReal x, Value *err) {
  if (RealIsGreater(&x, &s.upper) == 1) x = s.upper;
  Value y;
  if (!CalcEvalAt(&s.expr, &x, kLaterFlags, &y)) {
    *err = y;
    return 0;
  }
  const int better = s.isMax ? RealIsGreaterEqual(&y.re, &s.yBest) : RealIsLessEqual(&y.re, &s.yBest);
  if (better < 0) {
    CalcFail(err, kErrMa);
    return 0;
  }
  if (better == 1) {
    s.xBest = x;
    s.yBest = y.re;
  }
  if (KeyBreakPoll() != 0) {
    CalcFail(err, kErrBreak);
    return 0;
  }
  return 1;
}

BcdReal AddTimes(const BcdReal &base, int i, const BcdReal &h) {
  BcdReal bi, t, r;
  NumFromInt32(i, RealSetZero(&bi));
  RealMul(&bi, &h, &t);
  RealAdd(&base, &t, &r);
  return r;
}

}  // namespace

int NumericExtremum(const Value *lower, const Value *upper, const BcdReal *precision, Value *outX, Value *outY,
                    TokPos pos, const EvalCell *tok, EvalStackArea *area, int isMax) {
  if (RealIsEqual(&lower->re, &upper->re) != 0) return FailBoth(outX, outY, kErrMa);
  const int digits = RealToSmallCount(precision);
  if (digits < 1 || digits > 9) return FailBoth(outX, outY, kErrArgument);
  Search s;
  s.expr = CalcExpr{pos, *tok, area, 'X'};
  s.isMax = isMax;
  s.upper = upper->re;
  // The coarse step: the power of ten of (upper - lower) / 100.
  BcdReal width, h, hundred = CalcConst("100"), one;
  RealSub(&upper->re, &lower->re, &width);
  RealDiv(&width, &hundred, &h);
  if (ValErrorCode(&h) != 0) return FailBoth(outX, outY, kErrMa);
  RealSetOne(&one);
  RealScale10(&one, &h, RealExponent(&h));
  BcdReal n, n1;
  RealDiv(&width, &h, &n);
  RealAdd(&n, &one, &n1);
  const BcdReal limit = CalcConst("32767");
  BcdReal an1;
  RealAbs(&n1, &an1);
  if (ValErrorCode(&n1) != 0 || RealIsGreater(&an1, &limit) != 0) return FailBoth(outX, outY, kErrArgument);
  const int count = NumToInt32(&n1);
  Value y0;
  if (!CalcEvalAt(&s.expr, &lower->re, kCalcPointFlags, &y0)) return FailBoth(outX, outY, y0);
  s.xBest = lower->re;
  s.yBest = y0.re;
  Value err;
  for (int i = 0; i <= count; ++i)
    if (!Visit(s, AddTimes(lower->re, i, h), &err)) return FailBoth(outX, outY, err);
  const BcdReal ten = CalcConst("10");
  for (int r = 2; r <= digits; ++r) {
    RealDiv(&h, &ten, &h);
    const BcdReal centre = s.xBest;
    const int from = RealIsEqual(&centre, &lower->re) == 1 ? 0 : -10;
    const int to = RealIsEqual(&centre, &upper->re) == 1 ? 0 : 10;
    for (int i = from; i <= to; ++i)
      if (!Visit(s, AddTimes(centre, i, h), &err)) return FailBoth(outX, outY, err);
  }
  if (ValErrorCode(&s.xBest) != 0 || ValErrorCode(&s.yBest) != 0) return FailBoth(outX, outY, kErrMa);
  std::memset(outX, 0, sizeof *outX);
  std::memset(outY, 0, sizeof *outY);
  outX->re = s.xBest;
  outY->re = s.yBest;
  return 1;
}
