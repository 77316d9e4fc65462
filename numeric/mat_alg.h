// Matrix algebra: determinant and inverse of a square matrix, real or
// complex, through a Crout decomposition with partial pivoting. Products go
// through ValMul, differences through the rounding subtracter and quotients
// through the fraction-making division, so that integer matrices give exact
// fractions where the number core can hold them.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// 1 with the determinant in out, 0 with an error value in out. A singular
// matrix has determinant 0.
int MatDeterminant(const Value *m, Value *out);
// 1 with the inverse (a new heap block) in out, 0 with an error value. A
// singular matrix gives Ma ERROR; a real 2 x 2 one the division's error.
int MatInverse(const Value *m, Value *out);
// Closed-form inverse of a 2 x 2 matrix; `complex` says whether m is.
int MatInverse2x2(const Value *m, Value *out, u32 complex);

// The decomposition, on a working matrix value w (n x n, heap block) and a
// real list value perm of n entries whose entries move with the rows.
// Results: 1 done, 2 singular (w holds Ma ERROR), 0 error or break (w holds
// the error value).
int MatPivotColumn(Value *w, int k, Value *perm, u32 *exchanges);
int MatCroutDecompose(Value *w, Value *perm, u32 *exchanges);
