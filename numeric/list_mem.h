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
// Element k (from 1) of List n of the current list file, exactly as the
// element of ListRecall's value reads (ArrGet), without forming the value:
// 1, or 0 when the list is missing or k is 0 or beyond its count.
int ListElementRecall(int list, u32 k, Value *out);
// Matrix 0..99 (0 Mat Ans, 1-26 Mat A-Z) as a matrix value: 1, or 0 with
// Memory ERROR.
int MatFromMemory(int matrix, Value *out);
// 'A'..'Z' or the Ans token 0xC0; any other token Memory ERROR.
int MatRecallByToken(const u8 *token, Value *out);
// Copies a list's real elements into out[n] (a complex element becomes
// Non-Real ERROR) and releases the list's block when it is a heap block;
// returns 0 or the list's error code.
u32 ListCopyRealElements(const Value *list, BcdReal *out);

// The statistics modes of list <0, dataList>, with list <0, freqList> as
// frequencies (0: none): the modes go to List Ans in ascending order and
// their frequency to out. 0, or the error code (also in out): 1 break, 3 a
// missing list or frequencies summing to 0, 4 memory, 9 lengths differ, 25
// a complex list.
u32 ListModes(u8 dataList, u32 freqList, Value *out);
// The normal probability plot's data: list <0, srcList> sorted into the
// work list <255, sortedList>, and the standard normal quantiles of
// (2i - 1) / 2n into <255, quantileList>. 0 or an error code.
u32 ListSortedWorkCopy(int srcList, int sortedList, u8 quantileList);
// The standard normal quantile of p (0 < p < 1; else Ma ERROR): 0 or an
// error code, the value in out.
u32 ListNormalQuantile(const BcdReal *p, BcdReal *out);
