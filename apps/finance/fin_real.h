// Reals as values for the financial code: each wraps one operation of the
// number core (fraction-aware, error values passed on) and returns its
// result. Calculator thread only.
#pragma once
#include <cstring>

#include "number/numparse.h"
#include "number/realop.h"

namespace fin_real {

inline BcdReal Int(i32 v) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  return *NumFromInt32(v, &r);
}
inline BcdReal Zero() {
  BcdReal r;
  return *RealSetZero(&r);
}
inline BcdReal One() {
  BcdReal r;
  return *RealSetOne(&r);
}
inline BcdReal Add(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  return *RealAdd(&a, &b, &r);
}
inline BcdReal Sub(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  return *RealSub(&a, &b, &r);
}
inline BcdReal Mul(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  return *RealMul(&a, &b, &r);
}
inline BcdReal Div(const BcdReal &a, const BcdReal &b) {
  BcdReal r;
  return *RealDiv(&a, &b, &r);
}
inline BcdReal Neg(const BcdReal &a) {
  BcdReal r;
  return *RealNeg(&a, &r);
}
inline BcdReal Abs(const BcdReal &a) {
  BcdReal r;
  return *RealAbs(&a, &r);
}
inline BcdReal Scale(const BcdReal &a, int n) {
  BcdReal r;
  return *RealScale10(&a, &r, n);
}
inline BcdReal Decimal(const BcdReal &a) {
  BcdReal r;
  return *RealFracToDecimal(&a, &r);
}
// The larger of a and b.
inline BcdReal Larger(const BcdReal &a, const BcdReal &b) { return RealIsLess(&a, &b) == 1 ? b : a; }

}  // namespace fin_real
