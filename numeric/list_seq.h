// Seq( and the sum Sigma(: an expression evaluated for a stepped variable.
// The expression is never parsed in advance: for every value the variable
// is stored and the evaluator runs again from the saved text position and
// token cell.
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"
#include "number/real.h"

// The step test of Seq(: 1, or 0 with the error in out (a complex bound or
// step 3; a step of the wrong sign 3; bounds that cannot be compared 8).
int ListSeqCheckStep(Value *out, const Value *start, const Value *end, const Value *step);
// Seq(expression, variable, start, end, step): a real list of the values at
// start, start + step, ... up to end (at most 999). 1, or 0 with the error
// in out (an element that is complex: 25; a break: 1).
int ListSequence(Value *out, const Value *start, const Value *end, const Value *step, TokPos pos,
                 const EvalCell *tok, EvalStackArea *area, u8 var);
// Sigma(expression, variable, start, end, step): start and end whole
// numbers with start <= end, step above 0. 1, or 0 with the error in out.
// The variable keeps the last value used.
int NumericSumSequence(const Value *start, const Value *end, const Value *step, Value *out, TokPos pos,
                       const EvalCell *tok, EvalStackArea *area, u8 var);
