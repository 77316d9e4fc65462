// Operations on stored reals by operation number: three dispatchers over the
// working-form operations, the relation test, and one wrapper per operation.
#include "number/realop.h"

#include <cstring>
#include <initializer_list>

#include "number/bcd.h"
#include "number/frac.h"
#include "number/numparse.h"

namespace {

using BinaryFn = i16 (*)(BcdWork *, const BcdWork *);
using UnaryFn = i16 (*)(BcdWork *);
using AngleFn = i16 (*)(BcdWork *, u16);

constexpr int kOpCount = 65;

struct OpEntry {
  const char *word;
  BinaryFn binary;
  UnaryFn unary;
  AngleFn angle;
};

constexpr OpEntry MakeTable(int op) {
  switch (op) {
    case 0: return {"add", BcdAdd, nullptr, nullptr};
    case 1: return {"sub", BcdSub, nullptr, nullptr};
    case 2: return {"mul", BcdMul, nullptr, nullptr};
    case 3: return {"div", BcdDiv, nullptr, nullptr};
    case 4: return {"pow", BcdPow, nullptr, nullptr};
    case 5: return {"req", BcdRelEq, nullptr, nullptr};
    case 6: return {"rne", BcdRelNe, nullptr, nullptr};
    case 7: return {"rlt", BcdRelLt, nullptr, nullptr};
    case 8: return {"rgt", BcdRelGt, nullptr, nullptr};
    case 9: return {"rle", BcdRelLe, nullptr, nullptr};
    case 10: return {"rge", BcdRelGe, nullptr, nullptr};
    case 11: return {"sqrt", nullptr, BcdSqrt, nullptr};
    case 12: return {"exp", nullptr, BcdExp, nullptr};
    case 13: return {"log", nullptr, BcdLn, nullptr};
    case 14: return {"log10", nullptr, BcdLog10, nullptr};
    case 15: return {"sin", nullptr, nullptr, BcdSin};
    case 16: return {"cos", nullptr, nullptr, BcdCos};
    case 17: return {"tan", nullptr, nullptr, BcdTan};
    case 18: return {"asin", nullptr, nullptr, BcdAsin};
    case 19: return {"acos", nullptr, nullptr, BcdAcos};
    case 20: return {"atan", nullptr, nullptr, BcdAtan};
    case 21: return {"sinh", nullptr, BcdSinh, nullptr};
    case 22: return {"cosh", nullptr, BcdCosh, nullptr};
    case 23: return {"tanh", nullptr, BcdTanh, nullptr};
    case 24: return {"asinh", nullptr, BcdAsinh, nullptr};
    case 25: return {"acosh", nullptr, BcdAcosh, nullptr};
    case 26: return {"atanh", nullptr, BcdAtanh, nullptr};
    case 27: return {"fabs", nullptr, BcdAbs, nullptr};
    case 28: return {nullptr, nullptr, BcdSignum, nullptr};
    case 29: return {"intg", nullptr, BcdIntg, nullptr};
    case 30: return {"int", nullptr, BcdInt, nullptr};
    case 31: return {"frac", nullptr, BcdFrac, nullptr};
    case 33: return {"exp10", nullptr, BcdExp10, nullptr};
    case 34: return {"cint", nullptr, BcdCint, nullptr};
    case 35: return {"factori", nullptr, BcdFactorial, nullptr};
    case 36: return {"npr", BcdNpr, nullptr, nullptr};
    case 37: return {"ncr", BcdNcr, nullptr, nullptr};
    case 38: return {"degc", nullptr, nullptr, BcdFromDegrees};
    case 39: return {"radc", nullptr, nullptr, BcdFromRadians};
    case 40: return {"grac", nullptr, nullptr, BcdFromGrads};
    case 41: return {"and", BcdLogicAnd, nullptr, nullptr};
    case 42: return {"or", BcdLogicOr, nullptr, nullptr};
    case 43: return {"not", nullptr, BcdLogicNot, nullptr};
    case 44: return {nullptr, nullptr, BcdNormalize, nullptr};
    case 45: return {"mod", BcdMod, nullptr, nullptr};
    case 46: return {"logs", nullptr, BcdLogs, nullptr};
    case 47: return {"log10s", nullptr, BcdLog10s, nullptr};
    case 48: return {"addmaru", BcdAddMaru, nullptr, nullptr};
    case 49: return {"submaru", BcdSubMaru, nullptr, nullptr};
    case 50: return {nullptr, nullptr, BcdNeg, nullptr};
    case 64: return {"exp10s", nullptr, BcdExp10s, nullptr};
    default: return {nullptr, nullptr, nullptr, nullptr};
  }
}

struct OpTable {
  OpEntry e[kOpCount];
  constexpr OpTable() : e() {
    for (int i = 0; i < kOpCount; ++i) e[i] = MakeTable(i);
  }
};

constexpr OpTable kOps;

const OpEntry *Entry(int op) { return (op >= 0 && op < kOpCount) ? &kOps.e[op] : nullptr; }

bool IsError(const BcdReal *x) { return (x->b[0] >> 4) == 0xF; }
bool IsFracForm(const BcdReal *x) { return (x->b[0] & 0x0F) == 0x0A && !IsError(x); }

void Copy(const BcdReal *src, BcdReal *dst) {
  if (src != dst) std::memmove(dst->b, src->b, sizeof dst->b);
}

// True when x is a fraction or an integer: the operands the exact forms take.
bool IsExactOperand(const BcdReal *x) { return IsFracForm(x) || RealIsInteger(x) == 1; }

bool TakesFracForm(const BcdReal *a, const BcdReal *b) {
  const bool fa = IsFracForm(a), fb = IsFracForm(b);
  if (!fa && !fb) return false;
  return (fa || RealIsInteger(a) == 1) && (fb || RealIsInteger(b) == 1);
}

}  // namespace

const char *RealOpWord(int op) {
  const OpEntry *e = Entry(op);
  return e ? e->word : nullptr;
}

int RealPassError(const BcdReal *a, const BcdReal *b, BcdReal *dst) {
  for (const BcdReal *x : {a, b}) {
    if (!x) continue;
    if (!RealIsWellFormed(x)) {
      // A malformed operand (bytes read from outside) is Ma ERROR, written
      // whole so that no byte of the result depends on what was there.
      RealMakeError(3, RealSetZero(dst));
      return 1;
    }
    if (IsError(x)) {
      Copy(x, dst);
      return 1;
    }
  }
  return 0;
}

namespace {

// The steps every dispatcher takes: pass an error operand through, unpack,
// run the working operation on the first operand, pack.
template <typename Fn>
BcdReal *OnWork(const BcdReal *a, const BcdReal *b, BcdReal *dst, Fn fn) {
  BcdWork wa, wb;
  // Plain decimal operands (the usual case) are checked while unpacked.
  if (RealUnpackPlain(a, &wa) && (!b || RealUnpackPlain(b, &wb))) {
    fn(&wa, &wb);
    if (!RealPackPlain(&wa, dst)) RealPack(&wa, dst);
    return dst;
  }
  if (RealPassError(a, b, dst)) return dst;
  RealUnpackChecked(a, &wa);
  if (b) RealUnpackChecked(b, &wb);
  fn(&wa, &wb);
  RealPack(&wa, dst);
  return dst;
}

}  // namespace

BcdReal *RealBinaryOp(int op, const BcdReal *a, const BcdReal *b, BcdReal *dst) {
  const OpEntry *e = Entry(op);
  return OnWork(a, b, dst, [e](BcdWork *wa, BcdWork *wb) {
    if (e && e->binary) e->binary(wa, wb);
  });
}

BcdReal *RealUnaryOp(int op, const BcdReal *a, BcdReal *dst) {
  const OpEntry *e = Entry(op);
  return OnWork(a, nullptr, dst, [e](BcdWork *wa, BcdWork *) {
    if (e && e->unary) e->unary(wa);
  });
}

BcdReal *RealAngleOp(int op, const BcdReal *a, BcdReal *dst, u16 unit) {
  const OpEntry *e = Entry(op);
  return OnWork(a, nullptr, dst, [e, unit](BcdWork *wa, BcdWork *) {
    if (e && e->angle) e->angle(wa, unit);
  });
}

int RealCompare(int op, const BcdReal *a, const BcdReal *b) {
  if (IsError(a) || IsError(b)) return -1;
  BcdWork wa, wb;
  RealUnpack(a, &wa);
  RealUnpack(b, &wb);
  const int c = BcdCompare(&wa, &wb);
  switch (op) {
    case kRealCmpEq: return c == 1;
    case kRealCmpNe: return c != 1;
    case kRealCmpLt: return c == 2;
    case kRealCmpGt: return c == 4;
    case kRealCmpLe: return c == 1 || c == 2;
    case kRealCmpGe: return c == 1 || c == 4;
    default: return 0;
  }
}

BcdReal *RealAtan2(const BcdReal *y, const BcdReal *x, BcdReal *dst, u16 unit) {
  // x is the first operand of the working operation: its error comes first.
  return OnWork(x, y, dst, [unit](BcdWork *wx, BcdWork *wy) { BcdAtan2(wx, wy, unit); });
}

BcdReal *RealRoundDigits(const BcdReal *src, BcdReal *dst, int n) {
  return OnWork(src, nullptr, dst, [n](BcdWork *w, BcdWork *) { BcdRoundDigits(w, static_cast<u16>(n)); });
}

BcdReal *RealRoundUpDigits(const BcdReal *src, BcdReal *dst, int n) {
  return OnWork(src, nullptr, dst, [n](BcdWork *w, BcdWork *) { BcdRoundUpDigits(w, static_cast<u16>(n)); });
}

// ---- decimal wrappers ----

BcdReal *RealAddDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpAdd, a, b, d); }
BcdReal *RealSubDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpSub, a, b, d); }
BcdReal *RealMulDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpMul, a, b, d); }
BcdReal *RealDivDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpDiv, a, b, d); }
BcdReal *RealAddMaruDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return OnWork(a, b, d, [](BcdWork *wa, BcdWork *wb) { BcdAddMaru(wa, wb); });
}
BcdReal *RealSubMaruDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return OnWork(a, b, d, [](BcdWork *wa, BcdWork *wb) { BcdSubMaru(wa, wb); });
}

// ---- fraction wrappers ----

BcdReal *RealAddFrac(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealFracOp(kRealOpAdd, a, b, d); }
BcdReal *RealSubFrac(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealFracOp(kRealOpSub, a, b, d); }
BcdReal *RealMulFrac(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealFracOp(kRealOpMul, a, b, d); }
BcdReal *RealDivFrac(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealFracOp(kRealOpDiv, a, b, d); }
BcdReal *RealPowFrac(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealFracOp(kRealOpPow, a, b, d); }
BcdReal *RealSqrtFrac(const BcdReal *a, BcdReal *d) { return RealFracOp(kRealOpSqrt, a, a, d); }

// ---- fraction-aware forms ----

BcdReal *RealAdd(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return TakesFracForm(a, b) ? RealAddFrac(a, b, d) : RealAddDecimal(a, b, d);
}
BcdReal *RealSub(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return TakesFracForm(a, b) ? RealSubFrac(a, b, d) : RealSubDecimal(a, b, d);
}
BcdReal *RealMul(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return TakesFracForm(a, b) ? RealMulFrac(a, b, d) : RealMulDecimal(a, b, d);
}
BcdReal *RealDiv(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return TakesFracForm(a, b) ? RealDivFrac(a, b, d) : RealDivDecimal(a, b, d);
}
BcdReal *RealAddMaru(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return TakesFracForm(a, b) ? RealAddFrac(a, b, d) : RealAddMaruDecimal(a, b, d);
}
BcdReal *RealSubMaru(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return TakesFracForm(a, b) ? RealSubFrac(a, b, d) : RealSubMaruDecimal(a, b, d);
}
BcdReal *RealDivToFrac(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  if (!IsError(a) && !IsError(b) && IsExactOperand(a) && IsExactOperand(b)) return RealDivFrac(a, b, d);
  return RealDivDecimal(a, b, d);
}

BcdReal *RealPowDecimal(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  if (RealIsInteger(b) == 1) {
    BcdReal k;
    NumFromInt32(2, RealSetZero(&k));
    if (RealCompare(kRealCmpEq, b, &k) == 1) return RealMulDecimal(a, a, d);
    NumFromInt32(-1, RealSetZero(&k));
    if (RealCompare(kRealCmpEq, b, &k) == 1) {
      BcdReal one;
      NumFromInt32(1, RealSetZero(&one));
      return RealDivDecimal(&one, a, d);
    }
  }
  return RealBinaryOp(kRealOpPow, a, b, d);
}

BcdReal *RealPow(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  BcdReal zero;
  RealSetZero(&zero);
  if (RealCompare(kRealCmpLt, a, &zero) == 1 && RealIsInteger(b) == 0) return RealPowNegBase(a, b, d);
  const bool fa = IsFracForm(a), fb = IsFracForm(b);
  if ((fa && fb) || (fa && RealIsInteger(b) == 1)) return RealPowFrac(a, b, d);
  if (fb) return RealRootPow(a, b, d);
  return RealPowDecimal(a, b, d);
}

// ---- relations ----

int RealIsEqual(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpEq, a, b); }
int RealIsNotEqual(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpNe, a, b); }
int RealIsLess(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpLt, a, b); }
int RealIsGreater(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpGt, a, b); }
int RealIsLessEqual(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpLe, a, b); }
int RealIsGreaterEqual(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpGe, a, b); }
BcdReal *RealRelEqual(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpEq, a, b, d); }
BcdReal *RealRelNotEqual(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpNe, a, b, d); }
BcdReal *RealRelLess(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpLt, a, b, d); }
BcdReal *RealRelGreater(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpGt, a, b, d); }
BcdReal *RealRelLessEqual(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return RealBinaryOp(kRealOpLe, a, b, d);
}
BcdReal *RealRelGreaterEqual(const BcdReal *a, const BcdReal *b, BcdReal *d) {
  return RealBinaryOp(kRealOpGe, a, b, d);
}

// ---- functions ----

BcdReal *RealSqrtDecimal(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpSqrt, a, d); }
BcdReal *RealSqrt(const BcdReal *a, BcdReal *d) { return IsFracForm(a) ? RealSqrtFrac(a, d) : RealSqrtDecimal(a, d); }
BcdReal *RealExp(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpExp, a, d); }
BcdReal *RealExp10(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpExp10, a, d); }
BcdReal *RealLn(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpLn, a, d); }
BcdReal *RealLog10(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpLog10, a, d); }
BcdReal *RealSin(const BcdReal *a, BcdReal *d, u16 u) { return RealAngleOp(kRealOpSin, a, d, u); }
BcdReal *RealCos(const BcdReal *a, BcdReal *d, u16 u) { return RealAngleOp(kRealOpCos, a, d, u); }
BcdReal *RealTan(const BcdReal *a, BcdReal *d, u16 u) { return RealAngleOp(kRealOpTan, a, d, u); }
BcdReal *RealAsin(const BcdReal *a, BcdReal *d, u16 u) { return RealAngleOp(kRealOpAsin, a, d, u); }
BcdReal *RealAcos(const BcdReal *a, BcdReal *d, u16 u) { return RealAngleOp(kRealOpAcos, a, d, u); }
BcdReal *RealAtan(const BcdReal *a, BcdReal *d, u16 u) { return RealAngleOp(kRealOpAtan, a, d, u); }
BcdReal *RealSinh(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpSinh, a, d); }
BcdReal *RealCosh(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpCosh, a, d); }
BcdReal *RealTanh(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpTanh, a, d); }
BcdReal *RealAsinh(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpAsinh, a, d); }
BcdReal *RealAcosh(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpAcosh, a, d); }
BcdReal *RealAtanh(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpAtanh, a, d); }

BcdReal *RealAbsDecimal(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpAbs, a, d); }
BcdReal *RealAbsFrac(const BcdReal *a, BcdReal *d) {
  if (RealPassError(a, nullptr, d)) return d;
  Copy(a, d);
  if (d->b[0] == 0x6A) d->b[0] = 0x1A;
  return d;
}
BcdReal *RealAbs(const BcdReal *a, BcdReal *d) { return IsFracForm(a) ? RealAbsFrac(a, d) : RealAbsDecimal(a, d); }

BcdReal *RealSignum(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpSignum, a, d); }
BcdReal *RealIntg(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpIntg, a, d); }
BcdReal *RealInt(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpInt, a, d); }
BcdReal *RealFrac(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpFrac, a, d); }
BcdReal *RealCint(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpCint, a, d); }
BcdReal *RealFactorial(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpFactorial, a, d); }

BcdReal *RealNegDecimal(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpNeg, a, d); }
BcdReal *RealNegFrac(const BcdReal *a, BcdReal *d) {
  if (RealPassError(a, nullptr, d)) return d;
  Copy(a, d);
  d->b[0] = d->b[0] == 0x6A ? 0x1A : 0x6A;
  return d;
}
BcdReal *RealNeg(const BcdReal *a, BcdReal *d) { return IsFracForm(a) ? RealNegFrac(a, d) : RealNegDecimal(a, d); }

BcdReal *RealNpr(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpNpr, a, b, d); }
BcdReal *RealNcr(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpNcr, a, b, d); }
BcdReal *RealMod(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpMod, a, b, d); }
BcdReal *RealLogicAnd(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpAnd, a, b, d); }
BcdReal *RealLogicOr(const BcdReal *a, const BcdReal *b, BcdReal *d) { return RealBinaryOp(kRealOpOr, a, b, d); }
BcdReal *RealLogicNot(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpNot, a, d); }
BcdReal *RealLogs(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpLogs, a, d); }
BcdReal *RealLog10s(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpLog10s, a, d); }
BcdReal *RealExp10s(const BcdReal *a, BcdReal *d) { return RealUnaryOp(kRealOpExp10s, a, d); }

namespace {

BcdReal *FromUnit(int op, u16 own, const BcdReal *a, BcdReal *d, u16 unit) {
  Copy(a, d);
  if (unit == own) return d;
  return RealAngleOp(op, d, d, unit);
}

}  // namespace

BcdReal *RealFromDegrees(const BcdReal *a, BcdReal *d, u16 u) { return FromUnit(kRealOpFromDegrees, 0, a, d, u); }
BcdReal *RealFromRadians(const BcdReal *a, BcdReal *d, u16 u) { return FromUnit(kRealOpFromRadians, 1, a, d, u); }
BcdReal *RealFromGrads(const BcdReal *a, BcdReal *d, u16 u) { return FromUnit(kRealOpFromGrads, 2, a, d, u); }

BcdReal *RealNormalize(const BcdReal *a, BcdReal *d) {
  Copy(a, d);
  if (IsFracForm(d) || IsError(d)) return d;
  const BcdReal kept = *d;
  RealUnaryOp(kRealOpNormalize, d, d);
  // Only the largest numbers round up past 9.99999999999999E99: the clean-up
  // then keeps the valid value it was given instead of overflowing.
  if (IsError(d)) Copy(&kept, d);
  return d;
}

// ---- rounding, scaling and tests ----

BcdReal *RealRoundDecimals(const BcdReal *src, BcdReal *dst, int n) {
  if (RealPassError(src, nullptr, dst)) return dst;
  if (n < 0 || n > 10) {
    RealMakeError(8, dst);
    return dst;
  }
  if (n == 10) return RealRoundDigits(src, dst, 11);
  const int k = n + RealExponent(src) + 2;
  if (k <= 0) return RealSetZero(dst);
  // Fifteen or more significant digits kept: nothing is rounded away.
  if (k > 15) return RealFracToDecimal(src, dst);
  return RealRoundDigits(src, dst, k);
}

BcdReal *RealScale10(const BcdReal *src, BcdReal *dst, int n) {
  Copy(src, dst);
  if (IsError(dst)) return dst;
  if (IsFracForm(dst)) RealFracToDecimal(dst, dst);
  if (n == 0 || ((dst->b[0] & 0x0F) == 0 && (dst->b[1] >> 4) == 0 && (dst->b[0] >> 4) == 0)) return dst;
  NumDecimal d;
  if (!NumGetDecimal(dst, &d)) return dst;
  const long e = static_cast<long>(d.exp) + n;
  if (e > 99) {
    RealMakeError(3, dst);
    return dst;
  }
  if (e < -99) return RealSetZero(dst);
  d.exp = static_cast<i32>(e);
  NumSetDecimal(&d, dst);
  return dst;
}

int RealExponent(const BcdReal *src) {
  if (IsError(src)) return -100;
  BcdReal dec;
  const BcdReal *x = src;
  if (IsFracForm(src)) x = RealFracToDecimal(src, RealSetZero(&dec));
  if (IsError(x)) return -100;
  const u8 s = x->b[0] >> 4;
  if (s == 0 && (x->b[0] & 0x0F) == 0 && (x->b[1] >> 4) == 0) return 0;
  int e = (x->b[0] & 0x0F) * 10 + (x->b[1] >> 4);
  if (s == 0 || s == 5) e -= 100;
  return e;
}

BcdReal *RealFromExponent(const BcdReal *src, BcdReal *dst) {
  const int e = RealExponent(src);
  if (e < -99 || e > 99) {
    RealMakeError(3, dst);
    return dst;
  }
  return NumFromInt32(e, RealSetZero(dst));
}

int RealIsInteger(const BcdReal *src) {
  if (IsError(src)) return -1;
  if (IsFracForm(src)) return 0;
  NumDecimal d;
  if (!NumGetDecimal(src, &d)) return 1;
  if (d.exp < 0) return 0;
  for (int i = d.exp + 1; i < 15; ++i)
    if (d.d[i] != 0) return 0;
  return 1;
}
