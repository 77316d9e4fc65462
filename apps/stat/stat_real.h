// Value-style helpers over the number core's real operations, shared by the
// statistics kernels: every arithmetic step stays the calculator's own.
#pragma once
#include <array>
#include <cstring>
#include <initializer_list>

#include "number/numparse.h"
#include "number/real.h"
#include "number/realop.h"

#include "apps/stat/stat_error.h"

namespace statreal {
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

// Value-style wrappers over the core's operations (rounding adder for sums,
// radians for the circular functions).
using Binary = BcdReal *(*)(const BcdReal *, const BcdReal *, BcdReal *);
using Unary = BcdReal *(*)(const BcdReal *, BcdReal *);
using Angular = BcdReal *(*)(const BcdReal *, BcdReal *, u16);
using Setter = BcdReal *(*)(BcdReal *);
template <Binary F>
inline R Apply(const R &a, const R &b) {
  R r;
  F(&a, &b, &r);
  return r;
}
template <Unary F>
inline R Apply(const R &a) {
  R r;
  F(&a, &r);
  return r;
}
template <Angular F>
inline R Apply(const R &a) {
  R r;
  F(&a, &r, kRadians);
  return r;
}
// Constants: some setters write only bytes 0-8, so the rest starts cleared.
template <Setter F>
inline R Constant() {
  R r;
  std::memset(&r, 0, sizeof r);
  F(&r);
  return r;
}
inline R Add(const R &a, const R &b) { return Apply<RealAddMaru>(a, b); }
inline R Sub(const R &a, const R &b) { return Apply<RealSubMaru>(a, b); }
inline R Mul(const R &a, const R &b) { return Apply<RealMul>(a, b); }
inline R Div(const R &a, const R &b) { return Apply<RealDiv>(a, b); }
inline R Exp(const R &a) { return Apply<RealExp>(a); }
inline R Ln(const R &a) { return Apply<RealLn>(a); }
inline R Sqrt(const R &a) { return Apply<RealSqrt>(a); }
inline R Abs(const R &a) { return Apply<RealAbs>(a); }
inline R Neg(const R &a) { return Apply<RealNeg>(a); }
inline R Sin(const R &a) { return Apply<RealSin>(a); }
inline R Cos(const R &a) { return Apply<RealCos>(a); }
inline R Tan(const R &a) { return Apply<RealTan>(a); }
inline R Atan(const R &a) { return Apply<RealAtan>(a); }
inline R One() { return Constant<RealSetOne>(); }
inline R Two() { return Constant<RealSetTwo>(); }
inline R Half() { return Constant<RealSetHalf>(); }
inline R Zero() { return Constant<RealSetZero>(); }
inline R Pi() { return Constant<RealSetPi>(); }
inline R Sqrt2() { return Constant<RealSetSqrt2>(); }
inline R Limit() { return Constant<RealSetLimit>(); }
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
