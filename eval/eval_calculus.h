// Dispatch handlers of the functions that take arguments and of function
// memories. "Pol(" and "Rec(" are in eval.h; "logab(", "RndFix(" and the
// calculus functions compute; the function-memory calls are in
// eval/eval_fmem.cpp; "PxlTest(" and the cell-range handlers give System
// ERROR (23) until the graph screen and the spreadsheet are built.
#pragma once
#include "eval/eval.h"

// A function memory f1-f6, fn1-fn20 or a graph function Y, r, Xt, Yt, X
// with its number, optionally with an argument in brackets: the stored text
// is evaluated with the function's variable set to the argument.
u32 EvalFnMemCall(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
// 1 when the real is above 0.
u32 EvalIsPositiveReal(const BcdReal *x);
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
