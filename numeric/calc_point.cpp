// Expression evaluation at a point and the small real helpers of the
// calculus engines.
#include "numeric/calc_point.h"

#include <cstring>

#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "ui/sysvar.h"

int CalcEvalAt(const CalcExpr *e, const BcdReal *x, u32 flags, Value *out, EvalCell *after) {
  Value xv;
  std::memset(&xv, 0, sizeof xv);
  RealNormalize(x, &xv.re);
  if (ValErrorCode(&xv) != 0) {
    CalcFail(out, 3);
    return 0;
  }
  SysStoreVariable(e->var, &xv);
  TokPos p = e->pos;
  EvalCell t = e->tok;
  Value v;
  std::memset(&v, 0, sizeof v);
  const u32 ok = EvalExpr(&p, &t, &v, e->area, flags);
  if (after != nullptr) *after = t;
  if (!ok) {
    std::memset(out, 0, sizeof *out);
    out->re = v.re;
    return 0;
  }
  std::memset(out, 0, sizeof *out);
  RealNormalize(&v.re, &out->re);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

BcdReal CalcConst(const char *text) {
  BcdReal r;
  RealSetZero(&r);
  NumParse(text, &r);
  return r;
}

void CalcFail(Value *out, u8 code) {
  std::memset(out, 0, sizeof *out);
  RealMakeError(code, &out->re);
}

int CalcIsZero(const BcdReal *x) {
  BcdReal zero;
  RealSetZero(&zero);
  return RealIsEqual(x, &zero) == 1 ? 1 : 0;
}

int RealDecimalExponent(const BcdReal *x) {
  if (ValErrorCode(x) != 0 || CalcIsZero(x)) return -100;
  return RealExponent(x);
}

int RealToSmallCount(const BcdReal *x) {
  if (ValErrorCode(x) != 0 || RealIsInteger(x) != 1) return 0;
  const BcdReal limit = CalcConst("256");
  BcdReal zero;
  RealSetZero(&zero);
  if (RealIsLess(x, &zero) != 0 || RealIsLess(x, &limit) != 1) return 0;
  return NumToInt16(x);
}

BcdReal CalcSignedPowerOfTen(const BcdReal *x) {
  BcdReal one, r;
  RealSetOne(&one);
  if (CalcIsZero(x)) return one;
  RealScale10(&one, &r, RealExponent(x));
  BcdReal zero;
  RealSetZero(&zero);
  if (RealIsLess(x, &zero) == 1) RealNeg(&r, &r);
  return r;
}

BcdReal *CalcRoundSignificant(const BcdReal *x, BcdReal *dst, int digits) {
  // The digit count of the rounding routine includes the working form's
  // leading guard digit.
  return RealRoundDigits(x, dst, digits + 1);
}
