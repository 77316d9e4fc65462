// Definite integrals of a typed expression in X: adaptive Gauss-Kronrod
// quadrature (7-point Gauss, 15-point Kronrod) with depth-first bisection of
// the intervals whose error estimate exceeds their share of the tolerance,
// positive and negative contributions summed apart. Each evaluation stores
// the point into X and runs the evaluator from the expression's start (tok
// holds its first token, pos the position after it).
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"
#include "number/real.h"

// The integral from a to b. A tolerance of 0 is replaced by 1E-5 in place.
// 1 with the integral (11 significant digits) in out; 0 with an error value:
// an evaluation error, Ma ERROR (3) for an interval that can no longer be
// halved, error estimates that keep growing or add up beyond the tolerance,
// Time Out (29) when the deepest bisection still changes the total by more
// than the tolerance, Syntax ERROR (2) when the expression is not followed
// by ',' (or, for the graph screen, the end of the text).
int NumericIntegrate(const BcdReal *a, const BcdReal *b, BcdReal *tolerance, Value *out, TokPos pos,
                     const EvalCell *tok, EvalStackArea *area);
// (b' - a') / 2 and (a' + b') / 2; 1 unless out is an error value.
int IntegrateHalfLength(const BcdReal *a, const BcdReal *b, BcdReal *out);
int IntegrateMidpoint(const BcdReal *a, const BcdReal *b, BcdReal *out);
