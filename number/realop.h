// Operations on stored reals by operation number, with one entry point per
// operation. Every operation takes its operands by address and writes a whole
// result to a destination that may be an operand's own storage; an error
// operand is passed through as the result (the first operand's error wins).
#pragma once
#include "kernel/types.h"
#include "number/real.h"

enum RealOpCode : u8 {
  kRealOpAdd = 0,
  kRealOpSub = 1,
  kRealOpMul = 2,
  kRealOpDiv = 3,
  kRealOpPow = 4,
  kRealOpEq = 5,
  kRealOpNe = 6,
  kRealOpLt = 7,
  kRealOpGt = 8,
  kRealOpLe = 9,
  kRealOpGe = 10,
  kRealOpSqrt = 11,
  kRealOpExp = 12,
  kRealOpLn = 13,
  kRealOpLog10 = 14,
  kRealOpSin = 15,
  kRealOpCos = 16,
  kRealOpTan = 17,
  kRealOpAsin = 18,
  kRealOpAcos = 19,
  kRealOpAtan = 20,
  kRealOpSinh = 21,
  kRealOpCosh = 22,
  kRealOpTanh = 23,
  kRealOpAsinh = 24,
  kRealOpAcosh = 25,
  kRealOpAtanh = 26,
  kRealOpAbs = 27,
  kRealOpSignum = 28,
  kRealOpIntg = 29,
  kRealOpInt = 30,
  kRealOpFrac = 31,
  kRealOpExp10 = 33,
  kRealOpCint = 34,
  kRealOpFactorial = 35,
  kRealOpNpr = 36,
  kRealOpNcr = 37,
  kRealOpFromDegrees = 38,
  kRealOpFromRadians = 39,
  kRealOpFromGrads = 40,
  kRealOpAnd = 41,
  kRealOpOr = 42,
  kRealOpNot = 43,
  kRealOpNormalize = 44,
  kRealOpMod = 45,
  kRealOpLogs = 46,
  kRealOpLog10s = 47,
  kRealOpAddMaru = 48,
  kRealOpSubMaru = 49,
  kRealOpNeg = 50,
  kRealOpExp10s = 64,
};

// The relation numbers of RealCompare (5 to 10, as in RealOpCode).
enum RealCompareOp : u8 {
  kRealCmpEq = 5,
  kRealCmpNe = 6,
  kRealCmpLt = 7,
  kRealCmpGt = 8,
  kRealCmpLe = 9,
  kRealCmpGe = 10,
};

// The word that names an operation number in the self-check vocabulary
// ("add", "sqrt", ...); null for a number without a word.
const char *RealOpWord(int op);

// The error passing of every operation: when a (else b, which may be null)
// is an error value it is copied to dst and 1 returned; a malformed operand
// (RealIsWellFormed) makes dst Ma ERROR (bytes 0-11 written) and returns 1;
// otherwise 0.
int RealPassError(const BcdReal *a, const BcdReal *b, BcdReal *dst);

// Dispatchers: unpack, run the working operation the number names, pack.
// A number without an operation gives the first operand back repacked.
BcdReal *RealBinaryOp(int op, const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealUnaryOp(int op, const BcdReal *a, BcdReal *dst);
BcdReal *RealAngleOp(int op, const BcdReal *a, BcdReal *dst, u16 unit);
// 1 when the relation holds on the exact digits, 0 when not (and for a
// number that is not a relation), -1 when an operand is an error value.
int RealCompare(int op, const BcdReal *a, const BcdReal *b);
// Angle of the point (x, y) in the unit.
BcdReal *RealAtan2(const BcdReal *y, const BcdReal *x, BcdReal *dst, u16 unit);
BcdReal *RealRoundDigits(const BcdReal *src, BcdReal *dst, int n);
BcdReal *RealRoundUpDigits(const BcdReal *src, BcdReal *dst, int n);

// Decimal forms.
BcdReal *RealAddDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealSubDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealMulDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealDivDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealAddMaruDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealSubMaruDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
// Exact fraction forms.
BcdReal *RealAddFrac(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealSubFrac(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealMulFrac(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealDivFrac(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealPowFrac(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealSqrtFrac(const BcdReal *a, BcdReal *dst);
// Fraction-aware: exact when both operands are fractions, or one is a
// fraction and the other an integer; decimal otherwise.
BcdReal *RealAdd(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealSub(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealMul(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealDiv(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealAddMaru(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealSubMaru(const BcdReal *a, const BcdReal *b, BcdReal *dst);
// Exact division when both operands are fractions or integers (1 and 3 give
// the fraction 1/3).
BcdReal *RealDivToFrac(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealPowDecimal(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealPow(const BcdReal *a, const BcdReal *b, BcdReal *dst);

// Relations: RealIs* answer 1, 0 or -1 on the exact digits; RealRel* give
// the real 1 or 0 under the cancellation rule.
int RealIsEqual(const BcdReal *a, const BcdReal *b);
int RealIsNotEqual(const BcdReal *a, const BcdReal *b);
int RealIsLess(const BcdReal *a, const BcdReal *b);
int RealIsGreater(const BcdReal *a, const BcdReal *b);
int RealIsLessEqual(const BcdReal *a, const BcdReal *b);
int RealIsGreaterEqual(const BcdReal *a, const BcdReal *b);
BcdReal *RealRelEqual(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealRelNotEqual(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealRelLess(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealRelGreater(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealRelLessEqual(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealRelGreaterEqual(const BcdReal *a, const BcdReal *b, BcdReal *dst);

BcdReal *RealSqrtDecimal(const BcdReal *a, BcdReal *dst);
BcdReal *RealSqrt(const BcdReal *a, BcdReal *dst);
BcdReal *RealExp(const BcdReal *a, BcdReal *dst);
BcdReal *RealExp10(const BcdReal *a, BcdReal *dst);
BcdReal *RealLn(const BcdReal *a, BcdReal *dst);
BcdReal *RealLog10(const BcdReal *a, BcdReal *dst);
BcdReal *RealSin(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealCos(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealTan(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealAsin(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealAcos(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealAtan(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealSinh(const BcdReal *a, BcdReal *dst);
BcdReal *RealCosh(const BcdReal *a, BcdReal *dst);
BcdReal *RealTanh(const BcdReal *a, BcdReal *dst);
BcdReal *RealAsinh(const BcdReal *a, BcdReal *dst);
BcdReal *RealAcosh(const BcdReal *a, BcdReal *dst);
BcdReal *RealAtanh(const BcdReal *a, BcdReal *dst);
BcdReal *RealAbsDecimal(const BcdReal *a, BcdReal *dst);
BcdReal *RealAbsFrac(const BcdReal *a, BcdReal *dst);
BcdReal *RealAbs(const BcdReal *a, BcdReal *dst);
BcdReal *RealSignum(const BcdReal *a, BcdReal *dst);
BcdReal *RealIntg(const BcdReal *a, BcdReal *dst);
BcdReal *RealInt(const BcdReal *a, BcdReal *dst);
BcdReal *RealFrac(const BcdReal *a, BcdReal *dst);
BcdReal *RealCint(const BcdReal *a, BcdReal *dst);
BcdReal *RealFactorial(const BcdReal *a, BcdReal *dst);
BcdReal *RealNegDecimal(const BcdReal *a, BcdReal *dst);
BcdReal *RealNegFrac(const BcdReal *a, BcdReal *dst);
BcdReal *RealNeg(const BcdReal *a, BcdReal *dst);
BcdReal *RealNpr(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealNcr(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealMod(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealLogicAnd(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealLogicOr(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealLogicNot(const BcdReal *a, BcdReal *dst);
BcdReal *RealLogs(const BcdReal *a, BcdReal *dst);
BcdReal *RealLog10s(const BcdReal *a, BcdReal *dst);
BcdReal *RealExp10s(const BcdReal *a, BcdReal *dst);
BcdReal *RealFromDegrees(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealFromRadians(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealFromGrads(const BcdReal *a, BcdReal *dst, u16 unit);
BcdReal *RealNormalize(const BcdReal *a, BcdReal *dst);

// x rounded to n decimal places (n from 0 to 10; else Argument ERROR). A
// value with nothing to round beyond its 15 digits is given back unchanged.
BcdReal *RealRoundDecimals(const BcdReal *src, BcdReal *dst, int n);
// x times 10^n by exponent arithmetic (above the range Ma ERROR, below it 0).
BcdReal *RealScale10(const BcdReal *src, BcdReal *dst, int n);
// Decimal exponent -99..99; 0 for zero; -100 for an error value.
int RealExponent(const BcdReal *src);
BcdReal *RealFromExponent(const BcdReal *src, BcdReal *dst);
// 1 when the value is an integer, 0 when not, -1 for an error value.
int RealIsInteger(const BcdReal *src);
