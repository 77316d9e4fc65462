// Element-wise list operations: every operator and scalar function of the
// calculator applied to lists element by element. The generic value
// operations (number/valop.h) call these once they have passed errors through
// and refused list-matrix mixtures.
//
// Blocks: when `out` is the very Value of a list operand whose block is a
// heap block, that block belongs to the operation: the result takes it over
// (resized as needed), or, when another operand lies in main memory and the
// take-over is cancelled, it is freed once the result stands in a new block;
// on an error it is freed too, since out then holds the error value. The
// blocks of operands that are not the output are never changed or freed
// here: the caller frees its temporaries. A block in main memory (a stored
// list used in place) is never written.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// The operation numbers of the list and matrix engines (ListOpCode).
enum ListOpCode : u8 {
  kListOpMul = 2,
  kListOpDiv = 3,
  kListOpPow = 4,
  kListOpEq = 5,
  kListOpNe = 6,
  kListOpLt = 7,
  kListOpGt = 8,
  kListOpLe = 9,
  kListOpGe = 10,
  kListOpSqrt = 11,
  kListOpExp = 12,
  kListOpLn = 13,
  kListOpLog = 14,
  kListOpSin = 15,
  kListOpCos = 16,
  kListOpTan = 17,
  kListOpAsin = 18,
  kListOpAcos = 19,
  kListOpAtan = 20,
  kListOpSinh = 21,
  kListOpCosh = 22,
  kListOpTanh = 23,
  kListOpAsinh = 24,
  kListOpAcosh = 25,
  kListOpAtanh = 26,
  kListOpAbs = 27,
  kListOpIntg = 29,
  kListOpInt = 30,
  kListOpFrac = 31,
  kListOpDivFrac = 32,
  kListOpExp10 = 33,
  kListOpFactorial = 35,
  kListOpNpr = 36,
  kListOpNcr = 37,
  kListOpDegrees = 38,
  kListOpRadians = 39,
  kListOpGrads = 40,
  kListOpAnd = 41,
  kListOpOr = 42,
  kListOpNot = 43,
  kListOpNormalize = 44,
  kListOpAdd = 48,
  kListOpSub = 49,
  kListOpNeg = 50,
  kListOpToDecimal = 51,
  kListOpArg = 52,
  kListOpReP = 53,
  kListOpImP = 54,
  kListOpConj = 55,
  kListOpProbP = 56,
  kListOpProbQ = 57,
  kListOpProbR = 58,
  kListOpNormVariate = 59,
  kListOpEstimateX = 60,
  kListOpEstimateY = 61,
  kListOpRound = 62,
  kListOpToFraction = 63,
};

// Two operands, at least one a list (the other a list or a scalar).
Value *ListAdd(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListSubtract(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListMultiply(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListDivide(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListFractionDivide(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListPower(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListEqual(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListNotEqual(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListLess(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListGreater(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListLessEqual(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListGreaterEqual(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListPermutations(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListCombinations(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListAnd(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ListOr(const Value *a, const Value *b, Value *out, u32 allowComplex);

// One list operand.
Value *ListExp(const Value *x, Value *out, u32 allowComplex);
Value *ListTenPower(const Value *x, Value *out, u32 allowComplex);
Value *ListSinh(const Value *x, Value *out, u32 allowComplex);
Value *ListCosh(const Value *x, Value *out, u32 allowComplex);
Value *ListTanh(const Value *x, Value *out, u32 allowComplex);
Value *ListAsinh(const Value *x, Value *out, u32 allowComplex);
Value *ListSqrt(const Value *x, Value *out, u32 allowComplex);
Value *ListLn(const Value *x, Value *out, u32 allowComplex);
Value *ListLog(const Value *x, Value *out, u32 allowComplex);
Value *ListAcosh(const Value *x, Value *out, u32 allowComplex);
Value *ListAtanh(const Value *x, Value *out, u32 allowComplex);
Value *ListIntg(const Value *x, Value *out, u32 allowComplex);
Value *ListInt(const Value *x, Value *out, u32 allowComplex);
Value *ListFrac(const Value *x, Value *out, u32 allowComplex);
Value *ListFactorial(const Value *x, Value *out, u32 allowComplex);
Value *ListNot(const Value *x, Value *out, u32 allowComplex);
Value *ListAbs(const Value *x, Value *out, u32 allowComplex);
Value *ListArg(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListReP(const Value *x, Value *out, u32 allowComplex);
Value *ListImP(const Value *x, Value *out, u32 allowComplex);
Value *ListNegate(const Value *x, Value *out, u32 allowComplex);
Value *ListNormalize(const Value *x, Value *out, u32 allowComplex);
Value *ListToFraction(const Value *x, Value *out, u32 allowComplex);
Value *ListToDecimal(const Value *x, Value *out, u32 allowComplex);
Value *ListConjugate(const Value *x, Value *out, u32 allowComplex);
// Each element rounded to n decimals.
Value *ListRoundFix(const Value *x, Value *out, int n);
Value *ListSin(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListCos(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListTan(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListAtan(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListAsin(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListAcos(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListDegrees(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListRadians(const Value *x, Value *out, u16 angle, u32 allowComplex);
Value *ListGrads(const Value *x, Value *out, u16 angle, u32 allowComplex);

// The element-wise engine shared with the matrix operations: families of
// like operations on lists or matrices of equal dimensions (Dimension ERROR
// otherwise) or with a scalar operand.
enum ArrFamily : u8 {
  kArrFamilyArith,        // complex only where a result element is
  kArrFamilyIntPart,      // block resized to the parts the results need
  kArrFamilyRealResult,   // always real, one part
  kArrFamilyKindKeeping,  // the operand's kind and block size kept
};
Value *ArrElementwise(u8 family, u8 code, const Value *a, const Value *b, Value *out, u32 allowComplex, int digits,
                      bool pollBreak);

// The statistics functions P( Q( R( t( and the regression estimates on a
// list, in place (codes 56-61): 1 with a real list in v, or 0 with the error
// value in v (a complex list: 25; the first failing element's error). The
// list's heap block is reused; a stored list gets a new block.
int ListStatFuncOp(u8 code, Value *v);
