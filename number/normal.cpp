// Standard normal probabilities by the five-term polynomial of the upper
// tail, t = 1 / (1 + p z):
//   Q(z) ~ (1 / sqrt(2 pi)) e^(-z^2 / 2) t (b1 + t (b2 + t (b3 + t (b4 + t b5))))
// with an absolute error below 7.5E-8, which is why the probabilities are
// shown to five significant digits. The arithmetic is the calculator's own
// (fractions taken as they come), so every step rounds to 15 digits.
#include "number/normal.h"

#include <cstring>

#include "number/numparse.h"
#include "number/realop.h"
#include "number/stat_glue.h"
#include "number/value.h"
#include "numeric/list_ops.h"

namespace {

constexpr u8 kErrMa = 3;
constexpr u8 kErrMemory = 4;

// Statistics result tokens.
constexpr u8 kTokMean = 0xC2;
constexpr u8 kTokSigmaN = 0xC4;
constexpr u8 kTokA = 0xC8;
constexpr u8 kTokB = 0xC9;

BcdReal Const(const char *text) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  NumParse(text, &r);
  return r;
}

struct TailConstants {
  BcdReal p, b[5], invSqrt2Pi, half, one, thousand;
};

const TailConstants &Tail() {
  static const TailConstants c = {
      Const("0.2316419"),
      {Const("0.319381530"), Const("-0.356563782"), Const("1.781477937"), Const("-1.821255978"),
       Const("1.330274429")},
      Const("0.398942280401432"),
      Const("0.5"),
      Const("1"),
      Const("1000"),
  };
  return c;
}

bool IsError(const BcdReal *x) { return RealErrorCode(x) != 0; }

// Result of an in-place operation: 1 unless x holds an error value.
int Done(const BcdReal *x) { return IsError(x) ? 0 : 1; }

}  // namespace

int RealNormalUpperTail(BcdReal *x) {
  const TailConstants &c = Tail();
  BcdReal zero;
  RealSetZero(&zero);
  if (IsError(x)) {
    // An argument that does not compare with 0 has no tail.
    RealMakeError(kErrMa, x);
    return 0;
  }
  const int sign = RealCompare(kRealOpGt, x, &zero) ? 1 : RealCompare(kRealOpLt, x, &zero) ? -1 : 0;
  if (sign == 0) {
    *x = c.half;
    return 1;
  }
  BcdReal z, tail;
  RealAbs(x, &z);
  if (RealCompare(kRealOpGe, &z, &c.thousand)) {
    // Far out the tail is 0 to every digit the calculator keeps.
    RealSetZero(&tail);
  } else {
    BcdReal t, poly, e;
    RealMul(&c.p, &z, &t);
    RealAdd(&c.one, &t, &t);
    RealDiv(&c.one, &t, &t);
    poly = c.b[4];
    for (int k = 3; k >= 0; --k) {
      RealMul(&t, &poly, &poly);
      RealAdd(&c.b[k], &poly, &poly);
    }
    RealMul(&z, &z, &e);
    RealMul(&e, &c.half, &e);
    RealNeg(&e, &e);
    RealExp(&e, &e);
    RealMul(&c.invSqrt2Pi, &e, &tail);
    RealMul(&tail, &t, &tail);
    RealMul(&tail, &poly, &tail);
    if (IsError(&tail)) {
      *x = tail;
      return 0;
    }
  }
  if (sign < 0)
    RealSub(&c.one, &tail, x);
  else
    *x = tail;
  return Done(x);
}

namespace {

// P, Q and R keep five significant digits.
int Rounded(BcdReal *x) {
  RealRoundDigits(x, x, 6);
  return Done(x);
}

// T = upper tail of |x|, or the error of x.
bool AbsTail(const BcdReal *x, BcdReal *t) {
  if (IsError(x)) {
    RealMakeError(kErrMa, t);
    return false;
  }
  RealAbs(x, t);
  RealNormalUpperTail(t);
  return !IsError(t);
}

}  // namespace

int RealNormalP(BcdReal *x) {
  BcdReal t, zero;
  RealSetZero(&zero);
  if (!AbsTail(x, &t)) {
    *x = t;
    return 0;
  }
  if (RealCompare(kRealOpLt, x, &zero))
    *x = t;
  else
    RealSub(&Tail().one, &t, x);
  return Rounded(x);
}

int RealNormalQ(BcdReal *x) {
  BcdReal t;
  if (!AbsTail(x, &t)) {
    *x = t;
    return 0;
  }
  RealSub(&Tail().half, &t, x);
  return Rounded(x);
}

int RealNormalR(BcdReal *x) {
  RealNormalUpperTail(x);
  if (IsError(x)) return 0;
  return Rounded(x);
}

int NumNormVariate(u32 kind, const BcdReal *mean, const BcdReal *sigma, BcdReal *x) {
  if (IsError(x)) return 0;
  if (kind != kNumStatOneVar) {
    RealMakeError(kErrMemory, x);
    return 0;
  }
  RealSub(x, mean, x);
  RealDiv(x, sigma, x);
  return Done(x);
}

int NumEstimateX(u32 kind, const BcdReal *a, const BcdReal *b, BcdReal *y) {
  if (IsError(y)) return 0;
  BcdReal r;
  switch (kind) {
    case kNumStatLinear:  // (y - b) / a
      RealSub(y, b, &r);
      RealDiv(&r, a, &r);
      break;
    case kNumStatLog:  // e^((y - a) / b)
      RealSub(y, a, &r);
      RealDiv(&r, b, &r);
      RealExp(&r, &r);
      break;
    case kNumStatExp:  // ln(y / a) / b
      RealDiv(y, a, &r);
      RealLn(&r, &r);
      RealDiv(&r, b, &r);
      break;
    case kNumStatPower: {  // (y / a)^(1 / b)
      BcdReal inv;
      RealDiv(&Tail().one, b, &inv);
      RealDiv(y, a, &r);
      RealPow(&r, &inv, &r);
      break;
    }
    default:
      RealMakeError(kErrMemory, y);
      return 0;
  }
  RealFracToDecimal(&r, y);
  return Done(y);
}

int NumEstimateY(u32 kind, const BcdReal *a, const BcdReal *b, BcdReal *x) {
  if (IsError(x)) return 0;
  BcdReal r;
  switch (kind) {
    case kNumStatLinear:  // a x + b
      RealMul(a, x, &r);
      RealAdd(&r, b, &r);
      break;
    case kNumStatLog:  // a + b ln x
      RealLn(x, &r);
      RealMul(b, &r, &r);
      RealAdd(a, &r, &r);
      break;
    case kNumStatExp:  // a e^(b x)
      RealMul(b, x, &r);
      RealExp(&r, &r);
      RealMul(a, &r, &r);
      break;
    case kNumStatPower:  // a x^b
      RealPow(x, b, &r);
      RealMul(a, &r, &r);
      break;
    default:
      RealMakeError(kErrMemory, x);
      return 0;
  }
  RealFracToDecimal(&r, x);
  return Done(x);
}

namespace {

// Reads the last statistics kind and two of its values; a value that is not
// available leaves the kind as none, so the caller answers Memory ERROR.
u32 ReadStat(u8 first, u8 second, BcdReal *v1, BcdReal *v2) {
  const u32 kind = NumGlueStatKind();
  if (!NumGlueStatValue(first, v1) || !NumGlueStatValue(second, v2)) return kNumStatNone;
  return kind;
}

}  // namespace

int RealNormVariate(BcdReal *x) {
  BcdReal mean, sigma;
  const u32 kind = ReadStat(kTokMean, kTokSigmaN, &mean, &sigma);
  return NumNormVariate(kind, &mean, &sigma, x);
}

int RealEstimateX(BcdReal *y) {
  BcdReal a, b;
  const u32 kind = ReadStat(kTokA, kTokB, &a, &b);
  return NumEstimateX(kind, &a, &b, y);
}

int RealEstimateY(BcdReal *x) {
  BcdReal a, b;
  const u32 kind = ReadStat(kTokA, kTokB, &a, &b);
  return NumEstimateY(kind, &a, &b, x);
}

namespace {

// A real operation applied in place to a value: a real scalar directly, a
// list element by element, a matrix or a complex number refused (Ma ERROR).
int OnScalar(Value *v, int (*op)(BcdReal *), u8 code) {
  if (ValErrorCode(v)) return 0;
  if (ValKind(v) == kValKindMatrix) {
    ValFreeTemp(v);
    RealMakeError(kErrMa, &v->re);
    return 0;
  }
  if (ValKind(v) == kValKindList) return ListStatFuncOp(code, v);
  if (ValIsComplex(v)) {
    // A complex number is outside these functions' domain (a complex list
    // is refused by the list engine as a complex list).
    RealMakeError(kErrMa, &v->re);
    return 0;
  }
  const int done = op(&v->re);
  RealSetZero(&v->im);
  return done;
}

}  // namespace

int ValNormalP(Value *v) { return OnScalar(v, RealNormalP, kListOpProbP); }
int ValNormalQ(Value *v) { return OnScalar(v, RealNormalQ, kListOpProbQ); }
int ValNormalR(Value *v) { return OnScalar(v, RealNormalR, kListOpProbR); }
int ValNormVariate(Value *v) { return OnScalar(v, RealNormVariate, kListOpNormVariate); }
int ValEstimateX(Value *v) { return OnScalar(v, RealEstimateX, kListOpEstimateX); }
int ValEstimateY(Value *v) { return OnScalar(v, RealEstimateY, kListOpEstimateY); }
