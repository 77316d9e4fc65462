// Solving one equation in one variable: left side [= right side], or a
// single expression that is to equal 0. Newton's iteration with a numeric
// slope, damping of steps that do not reduce the residual, perturbation of
// points where a side cannot be evaluated, restarts from fixed starting
// points, and a clean-up that snaps the root to 0 or to a short decimal when
// the equation then holds exactly.
//
// The sides are never parsed in advance: every trial value is stored into
// the variable and each side evaluated afresh from its text.
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"
#include "number/real.h"

// Equation forms.
enum SolveMode : int {
  kSolveModeEqua = 0,      // the equation application: side [= side] up to the end of the text
  kSolveModeFunction = 1,  // Solve(: side [= side] followed by ','
};

// Finds a root between lower and upper, starting from the variable's value.
// tok holds the first token of the equation and pos the text position after
// it; var is the variable's letter ('A'..'Z', 0xCD, 0xCE); area the
// evaluator stacks of the caller.
//
// 1: out = the root (imaginary part 0), leftOut and rightOut the two sides'
// values there, and the variable holds the root.
// 0 with an error value in out: Ma ERROR (3) for complex or error bounds,
// lower above upper or a complex variable; Syntax ERROR (2) for text not of
// the mode's form; Can't Solve! (27) when no start finds a root; Break (1);
// or an evaluation error other than Ma ERROR and Non-Real. After Syntax
// ERROR and Can't Solve! the variable is back at its value at entry.
// 0 without an error value in out: the iteration limits ran out inside the
// bounds where the equation does not hold exactly (callers report Time
// Out); out holds that point.
int NumericSolve(const BcdReal *upper, const BcdReal *lower, Value *out, u8 var, Value *leftOut, Value *rightOut,
                 TokPos pos, const EvalCell *tok, EvalStackArea *area, int mode);
