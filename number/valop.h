// Generic value operations: one function per operator or function of the
// evaluator. Each looks at the kinds of its Value operands and routes the
// work to the real operations, the complex pairs, Base-N logic or the list
// and matrix engines, or raises an error. Results are written to a caller-
// supplied Value (which may be an operand) and its address returned.
//
// Errors: an error operand is the result (the first operand's wins); a kind
// combination an operation does not take is Ma ERROR (3); a result outside
// the reals while allowComplex is 0 is Non-Real ERROR (17); a complex list,
// or a complex scalar with a list, where only reals are taken is 25.
// allowComplex: 0 = complex results are not allowed.
//
// Lists and matrices go to the element-wise engines of numeric/list_ops.h
// and numeric/mat_ops.h, which compute element by element; a list with a
// matrix is Ma ERROR. The heap block of a list or matrix operand whose
// Value is also the output belongs to the operation (reused for the result
// or freed); blocks of other operands stay with the caller. The complex
// flag that the trigonometric, hyperbolic and integer-part members could
// take changes no result (a complex scalar is Ma ERROR there, and no real
// element of a list gives a complex value), so those members keep their
// shorter argument lists; ValEq and ValNe take allowComplex and ignore it.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Two operands.
Value *ValAdd(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValAddMaru(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValSub(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValSubMaru(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValMul(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValDiv(const Value *a, const Value *b, Value *out, u32 allowComplex);
// Division giving fractions: two integers or fractions give a fraction.
Value *ValDivFrac(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValPow(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValEq(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValNe(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValLt(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValGt(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValLe(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValGe(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValPermutations(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValCombinations(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValLogicAnd(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValLogicOr(const Value *a, const Value *b, Value *out, u32 allowComplex);
// Base-N bitwise operations in the width of SET UP item 23.
Value *ValBitAnd(const Value *a, const Value *b, Value *out);
Value *ValBitOr(const Value *a, const Value *b, Value *out);
Value *ValBitXor(const Value *a, const Value *b, Value *out);
Value *ValBitXnor(const Value *a, const Value *b, Value *out);
// Pol(x, y): the two-element list {r, theta}; Rec(r, theta): {x, y}; the
// list's block comes from the handle heap (Memory ERROR when none is left).
Value *ValPol(const Value *x, const Value *y, Value *out, u16 angle);
Value *ValRec(const Value *r, const Value *theta, Value *out, u16 angle);
// r angle theta as a complex value (real when the sine is zero).
Value *ValFromPolar(const Value *r, const Value *theta, Value *out, u16 angle);

// One operand.
Value *ValSqrt(const Value *x, Value *out, u32 allowComplex);
Value *ValLn(const Value *x, Value *out, u32 allowComplex);
Value *ValLog(const Value *x, Value *out, u32 allowComplex);
Value *ValExp(const Value *x, Value *out, u32 allowComplex);
Value *ValExp10(const Value *x, Value *out, u32 allowComplex);
Value *ValSin(const Value *x, Value *out, u16 angle);
Value *ValCos(const Value *x, Value *out, u16 angle);
Value *ValTan(const Value *x, Value *out, u16 angle);
Value *ValAsin(const Value *x, Value *out, u16 angle);
Value *ValAcos(const Value *x, Value *out, u16 angle);
Value *ValAtan(const Value *x, Value *out, u16 angle);
Value *ValSinh(const Value *x, Value *out);
Value *ValCosh(const Value *x, Value *out);
Value *ValTanh(const Value *x, Value *out);
Value *ValAsinh(const Value *x, Value *out);
Value *ValAcosh(const Value *x, Value *out);
Value *ValAtanh(const Value *x, Value *out);
Value *ValAbs(const Value *x, Value *out);
Value *ValIntg(const Value *x, Value *out);
Value *ValInt(const Value *x, Value *out);
Value *ValFrac(const Value *x, Value *out);
Value *ValNeg(const Value *x, Value *out);
Value *ValArg(const Value *x, Value *out, u16 angle);
Value *ValRealPart(const Value *x, Value *out);
Value *ValImagPart(const Value *x, Value *out);
Value *ValConj(const Value *x, Value *out);
Value *ValFactorial(const Value *x, Value *out);
Value *ValDegMark(const Value *x, Value *out, u16 angle);
Value *ValRadMark(const Value *x, Value *out, u16 angle);
Value *ValGradMark(const Value *x, Value *out, u16 angle);
Value *ValLogicNot(const Value *x, Value *out);
Value *ValBitNot(const Value *x, Value *out);
Value *ValNormalize(const Value *x, Value *out);
Value *ValRound(const Value *x, Value *out, int n);
Value *ValToFraction(const Value *x, Value *out);
Value *ValSignum(const Value *x, Value *out);

// Built on the others.
Value *ValSquare(const Value *x, Value *out, u32 allowComplex);
Value *ValReciprocal(const Value *x, Value *out, u32 allowComplex);
Value *ValCubeRoot(const Value *x, Value *out, u32 allowComplex);
// The n-th root of x.
Value *ValXRoot(const Value *n, const Value *x, Value *out, u32 allowComplex);
// Logarithm of x to the base b.
Value *ValLogBase(const Value *b, const Value *x, Value *out, u32 allowComplex);
// The operation on both operands normalised first.
Value *ValAddClean(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValSubClean(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValMulClean(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *ValDivClean(const Value *a, const Value *b, Value *out, u32 allowComplex);
