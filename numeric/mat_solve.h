// Square linear systems A·x = b with real or complex coefficients: the
// simultaneous-equation solver and the least-squares fits stand on these.
// Quotients use the fraction-making division, so that integer or fraction
// coefficients give exact fractions where the number core can hold them.
//
// Calling order: fill A and b (heap blocks of the caller), poll the break
// key, MatRealizeRhs, poll the break key, MatSolveLinear, then free A's and
// b's blocks.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Makes the right-hand side real: each equation whose constant b_i is
// complex is multiplied by conj(b_i) / |b_i| (a factor of modulus 1, so the
// solution is unchanged), which leaves |b_i| as its constant. A and b are
// rewritten in place: A becomes complex or real as its elements now are, b
// real. 1 when done, 0 on a memory failure (A then holds Memory ERROR and b
// a copy of it). n is the number of equations.
int MatRealizeRhs(u32 n, Value *a, Value *b);

// Solves A·x = b (A n x n, b n x 1). 1 with the solution in out (an n x 1
// matrix in a new heap block that belongs to the caller; complex when A is),
// 0 with an error value in out: Dimension ERROR for a non-square A, Ma ERROR
// for a singular or nearly singular system, Memory ERROR, Break, or the
// first error value the arithmetic met. A and b are left as they are. The
// size comes from A's header; the first argument is not used.
int MatSolveLinear(u32 n, const Value *a, const Value *b, Value *out);

// The two elimination solvers over prepared working values: W (n x n),
// c, y and z (n x 1) of matching kind in heap blocks, and out, whose block
// takes the solution. 1, or 0 with the error value in out.
int MatSolveCroutReal(const Value *a, const Value *b, Value *out, Value *w, Value *c, Value *y, Value *z);
int MatSolveCroutComplex(const Value *a, const Value *b, Value *out, Value *w, Value *c, Value *y, Value *z);
