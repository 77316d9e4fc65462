// Dispatch handlers of the functions that take arguments and of function
// memories. "Pol(" and "Rec(" are in eval.h; "logab(" and "RndFix(" compute;
// the calculus, "PxlTest(", cell-range and function-memory handlers give
// System ERROR (23) until the numeric algorithms, the graph screen, the
// spreadsheet and the function memories are built.
#pragma once
#include "eval/eval.h"

u32 EvalFnMemCall(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalLogAB(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalRndFix(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalIntegral(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalDerivative(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32 flags);
u32 EvalSecondDerivative(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32 flags);
u32 EvalSolve(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalSigma(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalFMinMax(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalSeq(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalPxlTest(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalCellRangeFunc(EvalCell *result, TokPos *pos, EvalCell *tok);
u32 EvalCellIf(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32 flags);
