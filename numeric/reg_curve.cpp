// The sinusoidal and logistic regressions.
#include "numeric/array.h"
#include "numeric/reg_fit.h"

int RegSinFit(const Value *, const Value *, Value *out) {
  ArrFail(out, 23);
  return 0;
}
int RegLogisticFit(const Value *, const Value *, Value *out) {
  ArrFail(out, 23);
  return 0;
}
