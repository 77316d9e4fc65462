// List and matrix operands of the evaluator: the dispatch handlers of list
// and matrix literals, names and functions, and the list and matrix token
// functions the operator appliers call. The evaluator core only routes to
// these; until the list and matrix engines are built each gives System
// ERROR (23).
#pragma once
#include "eval/eval.h"

// Dispatch handlers (call kind 4).
u32 EvalListLiteral(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalMatLiteral(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalListName(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalMatName(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalDeltaList(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalAugment(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalListToMat(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalMatToList(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);
u32 EvalListStatFunc(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area);

// Prefix token functions on a list or matrix operand: the result (a new
// value, or an error value) goes to out, which is returned.
Value *MatDetToken(const Value *x, Value *out);
Value *MatTransposeToken(const Value *x, Value *out);
Value *MatDimToken(const Value *x, Value *out);
Value *MatIdentityToken(const Value *x, Value *out);
Value *ListSumToken(const Value *x, Value *out);
Value *ListProdToken(const Value *x, Value *out);
Value *ListPercentToken(const Value *x, Value *out);
Value *ListCumlToken(const Value *x, Value *out);

// Every fraction element of a list or matrix cell becomes a decimal, in
// place; 1, or 0 with the error value in the cell.
u32 EvalArrayToDecimal(EvalCell *cell);
