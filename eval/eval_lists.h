// List and matrix operands of the evaluator: the dispatch handlers of list
// and matrix literals, names and functions, and the list and matrix token
// functions the operator appliers call. Every list or matrix a handler
// gives owns a fresh heap block; stored items are only read.
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

// List numbers and list arguments. EvalListNumber: after an optional
// TokNext, Ans gives 0 and one or two digits (first 1-9) a number below 27;
// anything else -1. EvalListRef reads "List1"-"List6", "List" n, or (when
// allowed) a bare number, and recalls the list in place (missing:
// Dimension ERROR); EvalListArg also takes a '{' literal.
int EvalListNumber(TokPos *pos, EvalCell *tok, u32 stepFirst);
u32 EvalListRef(TokPos *pos, EvalCell *tok, EvalCell *result, u32 allowBare);
u32 EvalListArg(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, u32 allowBare);
// The engines of the handlers: differences, joined lists, the smallest or
// largest element, and the element-wise smaller or larger of two lists.
u32 EvalListDiff(const EvalCell *list, EvalCell *result);
u32 EvalJoinLists(const EvalCell *a, const EvalCell *b, EvalCell *result);
u32 EvalListMinMax(const EvalCell *list, EvalCell *out, u32 wantMin);
u32 EvalListPairMinMax(const EvalCell *a, const EvalCell *b, EvalCell *result, u32 wantMin);

// List substitution mode (SET UP byte 74, bit 0x10): while the graph engine
// draws one graph per list element, a list literal or a "List" reference
// stands for its element k, which the graph engine sets here (from 1).
void EvalSetListSubstIndex(u16 k);
u16 EvalListSubstIndex();

// The argument lists of Seq( (sum = 0) and of the sum Sigma( (sum = 1),
// entered on the function's token: the expression's text is skipped and
// kept, the variable (a letter, r or theta) and the numbers are read, and
// the engine (ListSequence, NumericSumSequence) evaluates the expression
// again for every value. The token cell ends after the arguments.
u32 EvalSeqArguments(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32 sum);
