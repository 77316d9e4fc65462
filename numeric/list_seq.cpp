// Seq( and Sigma(.
#include "numeric/list_seq.h"

#include <cstring>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/frac.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_stats.h"
#include "ui/sysvar.h"

namespace {

constexpr u32 kSeqFlags = 260;  // a scalar, the calculus marker pushed

int Fail(Value *out, u8 code) {
  ArrFail(out, code);
  return 0;
}

// The expression at the saved position with the variable set to x: 1 with
// the normalised value in r, or 0 with the error in r.
int EvalAt(const Value &x, TokPos pos, const EvalCell *tok, EvalStackArea *area, u8 var, Value *r) {
  SysStoreVariable(var, &x);
  TokPos p = pos;
  EvalCell t = *tok;
  Value v;
  std::memset(&v, 0, sizeof v);
  if (!EvalExpr(&p, &t, &v, area, kSeqFlags)) {
    *r = v;
    return 0;
  }
  ValNormalize(&v, r);
  return ValErrorCode(r) == 0 ? 1 : 0;
}

}  // namespace

int ListSeqCheckStep(Value *out, const Value *start, const Value *end, const Value *step) {
  if (ValIsComplex(start) == 1 || ValIsComplex(end) == 1 || ValIsComplex(step) == 1) return Fail(out, kArrErrMath);
  BcdReal zero;
  RealSetZero(&zero);
  const int lt = RealIsLess(&start->re, &end->re), gt = RealIsGreater(&start->re, &end->re);
  if (lt < 0 || gt < 0) return Fail(out, kArrErrArgument);
  int ok;
  if (lt == 1) ok = RealIsGreater(&step->re, &zero);
  else if (gt == 1) ok = RealIsLess(&step->re, &zero);
  else ok = RealIsNotEqual(&step->re, &zero);
  if (ok < 0) return Fail(out, kArrErrArgument);
  return ok == 1 ? 1 : Fail(out, kArrErrMath);
}

int ListSequence(Value *out, const Value *start, const Value *end, const Value *step, TokPos pos,
                 const EvalCell *tok, EvalStackArea *area, u8 var) {
  if (!ListSeqCheckStep(out, start, end, step)) return 0;
  // count = (end - start) / step + 1, fractions as decimals.
  Value d, q, one, count;
  ValSubMaru(end, start, &d, 1);
  ValDiv(&d, step, &q, 1);
  ArrInt(1, &one);
  ValAdd(&q, &one, &count, 1);
  ValFracToDecimal(&count, &count);
  if (ValErrorCode(&count) != 0) {
    *out = count;
    return 0;
  }
  BcdReal max;
  NumFromInt32(kValListMax, RealSetZero(&max));
  if (RealIsGreater(&count.re, &max) == 1) return Fail(out, kArrErrDimension);
  const i32 k = NumToInt16(&count.re);
  if (k <= 0) return Fail(out, kArrErrArgument);
  const MemHandle h = MemAlloc(static_cast<u32>(k) * 12);
  if (h == 0) return Fail(out, kArrErrMemory);
  for (i32 i = 0; i < k; ++i) {
    // x = start + i * step, from i rather than by repeated addition.
    Value iv, p, x, xs, r;
    ArrInt(i, &iv);
    ValMul(&iv, step, &p, 1);
    ValAdd(start, &p, &xs, 1);
    ValNormalize(&xs, &x);
    if (ValErrorCode(&x) != 0) {
      MemFree(h);
      *out = x;
      return 0;
    }
    if (!EvalAt(x, pos, tok, area, var, &r)) {
      MemFree(h);
      *out = r;
      return 0;
    }
    if (ValIsComplex(&r) == 1) {
      MemFree(h);
      return Fail(out, kArrErrComplexList);
    }
    ArrElems(h)[i] = r.re;
    if (KeyBreakPoll() != 0) {
      MemFree(h);
      return Fail(out, kArrErrBreak);
    }
  }
  ArrSetList(out, false, static_cast<u16>(k), h);
  return 1;
}

int NumericSumSequence(const Value *start, const Value *end, const Value *step, Value *out, TokPos pos,
                       const EvalCell *tok, EvalStackArea *area, u8 var) {
  if (!ListFreqIsWhole(&start->re) || !ListFreqIsWhole(&end->re)) return Fail(out, kArrErrMath);
  BcdReal zero;
  RealSetZero(&zero);
  if (ValIsComplex(step) == 1 || RealIsLess(&step->re, &zero) != 0) return Fail(out, kArrErrArgument);
  if (RealIsGreater(&start->re, &end->re) != 0) return Fail(out, kArrErrMath);
  // A step too small to change the difference (0 included) never ends.
  Value d, ds;
  ValSubMaru(end, start, &d, 0);
  ValSubMaru(&d, step, &ds, 0);
  if (RealIsEqual(&ds.re, &d.re) != 0) return Fail(out, kArrErrMath);
  Value x = *start, s;
  ArrInt(0, &s);
  for (;;) {
    Value r, t;
    if (!EvalAt(x, pos, tok, area, var, &r)) {
      *out = r;
      return 0;
    }
    ValAdd(&s, &r, &t, 1);
    ValNormalize(&t, &s);
    if (ValErrorCode(&s) != 0) {
      *out = s;
      return 0;
    }
    Value next;
    ValAdd(&x, step, &next, 0);
    const int same = RealIsEqual(&next.re, &x.re), past = RealIsGreater(&next.re, &end->re);
    if (same != 0) return Fail(out, kArrErrMath);
    if (past < 0) return Fail(out, kArrErrMath);
    if (past == 1) break;
    x = next;
  }
  *out = s;
  return 1;
}
