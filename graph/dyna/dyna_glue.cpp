// The dynamic graph's answers to the evaluator and the interpreter.
#include "graph/dyna/dyna_glue.h"

#include "graph/dyna/dyna_cond.h"
#include "number/realop.h"
#include "number/value.h"

u8 DynaGlueValue(u32 which, BcdReal *out) {
  if (which > 2) return 2;
  DynaCond cond;
  if (DynaReadCond(&cond) != 0) DynaResetCond(&cond);
  *out = which == 0 ? cond.start : which == 1 ? cond.end : cond.pitch;
  return 0;
}

u32 DynaAssignValue(const u8 **p, const Value *v, u32 *err) {
  const u8 *t = *p;
  if (t[0] != 0x7F || t[1] < 0x0D || t[1] > 0x0F) return 0;
  *p += 2;
  *err = ValErrorCode(v);
  if (*err != 0) return 1;
  if (ValKind(v) != kValKindScalar) {
    *err = 2;
    return 1;
  }
  if (v->re.b[0] & 0x80) {
    *err = 3;
    return 1;
  }
  DynaCond cond;
  if (DynaReadCond(&cond) != 0) DynaResetCond(&cond);
  BcdReal x;
  RealFracToDecimal(&v->re, &x);
  RealNormalize(&x, &x);
  BcdReal *target = t[1] == 0x0D ? &cond.start : t[1] == 0x0E ? &cond.end : &cond.pitch;
  *target = x;
  *err = DynaWriteCond(&cond);
  return 1;
}

u32 DynaSetVar(u16 var) {
  DynaCond cond;
  if (DynaReadCond(&cond) != 0) DynaResetCond(&cond);
  cond.var = var;
  return DynaWriteCond(&cond);
}
