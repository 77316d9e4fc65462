// List functions that build a new list or matrix: cumulative sums,
// percentages, the token functions Sum, Prod, Cuml and Percent, List->Mat(,
// Fill(, the transposition and Augment(. Results get new heap blocks; the
// operands' blocks are left to the caller. Each returns 1, or 0 with the
// error value in out.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

int ListCuml(const Value *list, Value *out);
int ListPercent(const Value *list, Value *out, Value *scratch);
// An error operand is copied; a list goes to its function; any other
// operand gives Ma ERROR.
Value *ListSumToken(const Value *v, Value *out);
Value *ListProdToken(const Value *v, Value *out);
Value *ListCumlToken(const Value *v, Value *out);
Value *ListPercentToken(const Value *v, Value *out);

// List->Mat( of one list (n x 1), of two lists (n x 2), and each further
// list appended as a column.
int ListToMatColumn(const Value *list, Value *out);
int ListPairToMat(const Value *a, const Value *b, Value *out);
int MatAppendListColumn(const Value *list, const Value *mat, Value *out);

// Every element of the list or matrix becomes v, in the value's own block (a
// stored list is filled in place). The block is resized to the parts the
// filled value needs when it is a heap block; a block in main memory that
// has no room for imaginary parts gives Memory ERROR (the caller makes the
// item complex first). The value is updated with its new kind.
int ListFill(const Value *v, Value *list);
int MatFill(const Value *v, Value *mat);

int MatTranspose(const Value *m, Value *out);
int MatAugment(const Value *a, const Value *b, Value *out);
