// The minimum or maximum of a typed expression in X over an interval: a
// coarse scan of 100 to 1000 points, then refinements around the best point
// with steps ten times smaller, one per digit of precision.
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"
#include "number/real.h"

// isMax 0 searches the minimum, 1 the maximum; precision an integer 1..9.
// 1 with the abscissa in outX and the value in outY (the last of equal
// values wins); 0 with an error value in both: Ma ERROR (3) for an empty
// interval or values that cannot be compared, Argument ERROR (8) for a bad
// precision, Break (1), or an evaluation error.
int NumericExtremum(const Value *lower, const Value *upper, const BcdReal *precision, Value *outX, Value *outY,
                    TokPos pos, const EvalCell *tok, EvalStackArea *area, int isMax);
