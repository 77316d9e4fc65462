// Value-style helpers over the number core's real operations, shared by the
// statistics kernels: every arithmetic step stays the calculator's own.
#pragma once
#include <array>
#include <cstring>
#include <initializer_list>

#include "number/numparse.h"
#include "number/real.h"
#include "number/realop.h"

namespace statreal {

constexpr u8 kErrBreak = 1;
constexpr u8 kErrMa = 3;
constexpr u16 kRadians = 1;

using R = BcdReal;

inline R Num(const char *text) {
  R r;
  std::memset(&r, 0, sizeof r);
  NumParse(text, &r);
  return r;
}

inline R Int(i16 n) {
  R r;
  std::memset(&r, 0, sizeof r);
  NumFromInt16(n, &r);
  return r;
}

template <size_t N>
inline std::array<R, N> Table(const char *const (&texts)[N]) {
  std::array<R, N> t{};
  for (size_t i = 0; i < N; ++i) t[i] = Num(texts[i]);
  return t;
}

// Value-style wrappers over the core's operations (rounding adder for sums).
inline R Add(const R &a, const R &b) {
  R r;
  RealAddMaru(&a, &b, &r);
  return r;
}
inline R Sub(const R &a, const R &b) {
  R r;
  RealSubMaru(&a, &b, &r);
  return r;
}
inline R Mul(const R &a, const R &b) {
  R r;
  RealMul(&a, &b, &r);
  return r;
}
inline R Div(const R &a, const R &b) {
  R r;
  RealDiv(&a, &b, &r);
  return r;
}
inline R Exp(const R &a) {
  R r;
  RealExp(&a, &r);
  return r;
}
inline R Ln(const R &a) {
  R r;
  RealLn(&a, &r);
  return r;
}
inline R Sqrt(const R &a) {
  R r;
  RealSqrt(&a, &r);
  return r;
}
inline R Abs(const R &a) {
  R r;
  RealAbs(&a, &r);
  return r;
}
inline R Neg(const R &a) {
  R r;
  RealNeg(&a, &r);
  return r;
}
inline R Sin(const R &a) {
  R r;
  RealSin(&a, &r, kRadians);
  return r;
}
inline R Cos(const R &a) {
  R r;
  RealCos(&a, &r, kRadians);
  return r;
}
inline R Tan(const R &a) {
  R r;
  RealTan(&a, &r, kRadians);
  return r;
}
inline R Atan(const R &a) {
  R r;
  RealAtan(&a, &r, kRadians);
  return r;
}
inline R One() {
  R r;
  RealSetOne(&r);
  return r;
}
inline R Two() {
  R r;
  RealSetTwo(&r);
  return r;
}
inline R Half() {
  R r;
  RealSetHalf(&r);
  return r;
}
inline R Zero() {
  R r;
  RealSetZero(&r);
  return r;
}
inline R Pi() {
  R r = Zero();
  RealSetPi(&r);
  return r;
}
inline R Sqrt2() {
  R r = Zero();
  RealSetSqrt2(&r);
  return r;
}
inline R Limit() {
  R r;
  RealSetLimit(&r);
  return r;
}
inline R Error(u8 code) {
  R r;
  RealMakeError(code, RealSetZero(&r));
  return r;
}
inline bool IsErr(const R &a) { return RealErrorCode(&a) != 0; }
// Relations that are false for an error operand.
inline bool Lt(const R &a, const R &b) { return RealIsLess(&a, &b) == 1; }
inline bool Le(const R &a, const R &b) { return RealIsLessEqual(&a, &b) == 1; }
inline bool Gt(const R &a, const R &b) { return RealIsGreater(&a, &b) == 1; }
inline bool Ge(const R &a, const R &b) { return RealIsGreaterEqual(&a, &b) == 1; }
inline bool Eq(const R &a, const R &b) { return RealIsEqual(&a, &b) == 1; }

inline R *Put(const R &v, R *out) {
  *out = v;
  return out;
}

// 1 (and the error copied to out) when an input is an error value.
inline bool PassError(std::initializer_list<const R *> in, R *out) {
  for (const R *x : in)
    if (RealPassError(x, nullptr, out)) return true;
  return false;
}

// First error among the intermediates, else nullptr.
inline const R *FirstError(std::initializer_list<const R *> v) {
  for (const R *x : v)
    if (IsErr(*x)) return x;
  return nullptr;
}


}  // namespace statreal
