// Small helpers the graph screens share: real constants and tests, the
// small-font read-out fields, the function-key strip.
#pragma once
#include "kernel/types.h"
#include "number/numparse.h"
#include "number/realop.h"

namespace gscreen {

inline BcdReal Int(i32 n) {
  BcdReal r;
  NumFromInt32(n, &r);
  return r;
}
inline BcdReal Parse(const char *text) {
  BcdReal r;
  RealSetZero(&r);
  NumParse(text, &r);
  return r;
}
inline bool IsError(const BcdReal *v) { return RealErrorCode(v) != 0; }
inline bool IsZero(const BcdReal *v) {
  const BcdReal zero{};
  return !IsError(v) && RealCompare(kRealCmpEq, v, &zero) == 1;
}
inline bool Less(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpLt, a, b) == 1; }
inline bool Equal(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpEq, a, b) == 1; }
inline BcdReal Add(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealAdd(&a, &b, &r);
  return *RealNormalize(&r, &r);
}
inline BcdReal Sub(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealSub(&a, &b, &r);
  return *RealNormalize(&r, &r);
}
inline BcdReal Mul(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealMul(&a, &b, &r);
  return *RealNormalize(&r, &r);
}
inline BcdReal Div(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  RealDiv(&a, &b, &r);
  return *RealNormalize(&r, &r);
}
// v rounded to n significant digits (half away from zero).
inline BcdReal RoundSig(const BcdReal &v, int n) {
  BcdReal r;
  RealRoundDigits(&v, &r, n + 1);
  return *RealNormalize(&r, &r);
}
inline BcdReal Abs(const BcdReal &a) {
  BcdReal r;
  return *RealAbs(&a, &r);
}
inline BcdReal Neg(const BcdReal &a) {
  BcdReal r;
  return *RealNeg(&a, &r);
}

}  // namespace gscreen
