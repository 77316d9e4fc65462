// Numeric first and second derivatives of a typed expression in X at a
// point: central differences refined by Richardson extrapolation (first
// derivative) and seven-point differences refined by Wynn's epsilon
// algorithm (second derivative). Each evaluation stores the trial value into
// X and runs the evaluator from the expression's start (tok holds its first
// token, pos the position after it).
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"
#include "number/real.h"

// tolerance: 0 means 1E-10 (written back in place); -1 the quick mode, a
// single difference quotient rounded to 11 digits. 1 with the derivative in
// out, 0 with an error value (Time Out (29) without convergence, Memory
// ERROR (4) when the work rows cannot be had, an evaluation error).
int NumericDerivative(const Value *x, BcdReal *tolerance, Value *out, TokPos pos, const EvalCell *tok,
                      EvalStackArea *area);
int NumericSecondDerivative(const Value *x, BcdReal *tolerance, Value *out, TokPos pos, const EvalCell *tok,
                            EvalStackArea *area);

// The steps, for the graph engine's quick derivatives and the tests. Each
// gives 1, or 0 with an error value in out.
// Shrinks h (by 10, at most 7 times) until f(x + h) / f(x) lies in 0.9..1.1.
int DerivStepAdjust(const BcdReal *x, BcdReal *h, Value *out, TokPos pos, const EvalCell *tok, EvalStackArea *area);
// (f(x + h) - f(x - h)) / 2h, digits lost to cancellation cleared.
int DerivCentralDifference(const BcdReal *x, BcdReal *h, Value *out, TokPos pos, const EvalCell *tok,
                           EvalStackArea *area);
// The seven-point second difference.
int DerivSecondDifference(const BcdReal *x, BcdReal *h, Value *out, TokPos pos, const EvalCell *tok,
                          EvalStackArea *area);
// 1 when |a - b| <= |a| x tolerance.
int DerivConverged(const BcdReal *a, const BcdReal *b, const BcdReal *tolerance);
