// Matrix operations: the arithmetic operators and the element-wise scalar
// functions on matrices, the matrix product, scalar multiple and integer
// power, and the matrix functions Det, Trn, Dim and Identity. The generic
// value operations (number/valop.h) call the members once they have passed
// errors through and refused list-matrix mixtures.
//
// Blocks: the heap block of an operand whose Value is the output belongs to
// the operation (taken over for the result, or freed when the operation
// ends, also on an error). Other operand blocks are neither changed nor
// freed. A block in main memory is never written.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

Value *MatAdd(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *MatSubtract(const Value *a, const Value *b, Value *out, u32 allowComplex);
Value *MatIntg(const Value *x, Value *out, u32 allowComplex);
Value *MatInt(const Value *x, Value *out, u32 allowComplex);
Value *MatFrac(const Value *x, Value *out, u32 allowComplex);
Value *MatAbs(const Value *x, Value *out, u32 allowComplex);
Value *MatNegate(const Value *x, Value *out, u32 allowComplex);
Value *MatNormalize(const Value *x, Value *out, u32 allowComplex);
Value *MatToFraction(const Value *x, Value *out, u32 allowComplex);
Value *MatToDecimal(const Value *x, Value *out, u32 allowComplex);
Value *MatRoundFix(const Value *x, Value *out, int n);
// Matrix product; Dimension ERROR when the inner dimensions differ. The
// break key ends it with Break (1).
Value *MatMultiply(const Value *a, const Value *b, Value *out, u32 allowComplex);
// A scalar times a matrix, in either order.
Value *MatScale(const Value *a, const Value *b, Value *out, u32 allowComplex);
// Matrix to an integer power 1..32766, or -1 for the inverse; anything else
// Ma ERROR; a non-square matrix Dimension ERROR.
Value *MatPower(const Value *m, const Value *n, Value *out, u32 allowComplex);
// The inverse (x^-1 on a matrix).
Value *MatReciprocal(const Value *x, Value *out, u32 allowComplex);
// The matrix functions of the evaluator.
Value *MatDetToken(const Value *x, Value *out);
Value *MatTransposeToken(const Value *x, Value *out);
Value *MatDimToken(const Value *x, Value *out);
Value *MatIdentityToken(const Value *n, Value *out);
