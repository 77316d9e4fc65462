// Data access of the statistics tests, intervals and distributions: the
// argument range checks, the statistics list numbers (1-26 the lists of the
// current list file, 0 List Ans, 101 and up list n - 100 of the statistics
// work file 255, 27-100 refused with System ERROR), one-variable statistics
// of a data list with its frequencies, the cross-deviation sum and a stable
// index sort by a list's values. Routines return a calculator error code
// (0 success).
#pragma once
#include "kernel/types.h"
#include "number/real.h"
#include "number/value.h"

// Range checks of one argument: the value's own code for an error value,
// else Ma ERROR (3) when the condition fails, else 0.
u32 StatCheckPosInt(const BcdReal *x);     // a whole number >= 1
u32 StatCheckNonNegInt(const BcdReal *x);  // a whole number >= 0
u32 StatCheckNonNeg(const BcdReal *x);     // x >= 0
u32 StatCheckPositive(const BcdReal *x);   // x > 0
u32 StatCheckUnitOpen(const BcdReal *x);   // 0 <= x < 1
u32 StatCheckProb(const BcdReal *x);       // 0 <= x <= 1

// sqrt(a^2 + b^2) for a, b >= 0 without overflow in the squares: 0, or Ma
// ERROR when the result would leave the range.
u32 StatTwoTermRoot(const BcdReal *a, const BcdReal *b, BcdReal *out);

// List access by statistics list number.
u32 StatDataListSize(u32 list, u32 *count);  // 0 (count 0 when missing) or 23
// Element i from 1: 0; 4 unreadable; 25 complex; 23.
u32 StatDataListGet(u32 list, u32 i, BcdReal *out);
// Writes element i (i = count + 1 appends): 0; 4; 23.
u32 StatDataListSet(u32 list, u32 i, const BcdReal *v);
u32 StatDataListCreate(u32 list, u32 count);  // 0, 4 or 23
void StatDataListDelete(u32 list);            // nothing for 27..100
// Matrix access by matrix number (0 Mat Ans, 1..26 Mat A..Z, work matrices
// above): 0 or 4 (missing, out of its dimensions, or not made).
u32 StatMatDims(u32 m, u32 *rows, u32 *cols);
// Element (r, c) from 1, normalised: 0; 4; 26 for a complex element.
u32 StatMatGetReal(u32 m, u32 r, u32 c, BcdReal *out);

// n, mean and sample standard deviation of a data list with an optional
// frequency list (0: every frequency 1). Frequencies must be whole numbers
// >= 0. 9 for an empty list or a frequency list of another length. A single
// datum writes n and the mean and returns Ma ERROR (no sample deviation).
u32 StatReadDataList(BcdReal *n, u32 list, u32 freqList, BcdReal *mean, BcdReal *sx);
// Sum of (x_i - xMean)(y_i - yMean) f_i over two lists of one length.
u32 StatSumCrossDev(u32 xList, u32 yList, u32 freqList, BcdReal xMean, BcdReal yMean, BcdReal *out);
// Sorts index[0..count-1] (0-based element numbers, count = the list's size)
// ascending by the list's values; equal values keep their order.
u32 StatSortIndexByList(u32 list, u32 *index);
