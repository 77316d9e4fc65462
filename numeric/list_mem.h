// Lists and matrices of main memory as list and matrix values that reach
// the stored elements in place (a reference handle of the handle heap: no
// address is ever written into the item). Such a value owns nothing:
// nobody frees its block, and the element engines never write into it.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// <file, list> as a list value: 1, or 0 with Memory ERROR in out (numbers
// outside 0..255 or naming no list, a missing item).
int ListFromMemory(int file, int list, Value *out);
// List n of the current list file (0 List Ans).
int ListRecall(int list, Value *out);
// Matrix 0..99 (0 Mat Ans, 1-26 Mat A-Z) as a matrix value: 1, or 0 with
// Memory ERROR.
int MatFromMemory(int matrix, Value *out);
// 'A'..'Z' or the Ans token 0xC0; any other token Memory ERROR.
int MatRecallByToken(const u8 *token, Value *out);
// Copies a list's real elements into out[n] (a complex element becomes
// Non-Real ERROR) and releases the list's block when it is a heap block;
// returns 0 or the list's error code.
u32 ListCopyRealElements(const Value *list, BcdReal *out);
