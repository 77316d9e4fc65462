// List statistics: sums and products, mean, median, quartiles, the
// one-variable result set and the sums of products, with and without a list
// of frequencies. Functions return 1, or 0 with the error value in their
// output(s). Sorting works on copies in heap blocks, never on the list.
#pragma once
#include "kernel/heap.h"
#include "kernel/types.h"
#include "number/real.h"

int ListSum(const Value *list, Value *out);
int ListProd(const Value *list, Value *out);
int ListSumReal(const Value *list, BcdReal *out);
int ListMean(const Value *list, Value *out);
int ListMeanReal(const Value *list, BcdReal *out);
int ListMeanFreq(const Value *data, const Value *freq, Value *out);
int ListMedian(const Value *list, Value *out);
int ListMedianValue(const Value *list, Value *out);
int ListMedianFreq(const Value *data, const Value *freq, Value *out);
int ListMedianFreqStat(const Value *data, const Value *freq, Value *out);
int ListQuartile1(const Value *list, BcdReal *out);
// The median and the first (third false) or third quartile of n reals
// already sorted ascending: 1, or 0 with the error value in out.
int ListMedianSorted(const BcdReal *sorted, u32 n, Value *out);
int ListQuartileSorted(const BcdReal *sorted, u32 n, bool third, BcdReal *out);
int ListQuartile3(const Value *list, BcdReal *out);
int ListQuartile1Freq(const Value *data, const Value *freq, BcdReal *out);
int ListQuartile3Freq(const Value *data, const Value *freq, BcdReal *out);
// Outputs: n, mean, sum, sum of squares, population and sample standard
// deviation; an output that cannot be computed holds an error value while
// the others keep theirs.
int ListOneVarStats(const Value *list, Value *out[6]);
int ListOneVarStatsFreq(const Value *data, const Value *freq, Value *out[6]);
int ListSumOfProducts(const Value *x, const Value *y, BcdReal *out);
int ListSumOfProductsFreq(const Value *x, const Value *y, const Value *freq, BcdReal *out);

// Frequencies: checks n frequencies of the block `freq` (whole numbers 0 to
// 65535, else 3; 1 on a break), copies them into `copy` with the value also
// as a 16-bit word in bytes 7-8, and adds them into *total.
u32 ListFreqCheck(MemHandle freq, MemHandle copy, u16 n, u32 *total);
u32 ListFreqWord(const BcdReal *f);
int ListFreqIsWhole(const BcdReal *f);
int ListFreqTotal(const Value *data, const Value *freq, BcdReal *total);
// n as a real: an error list passes its error, complex 25, empty 9.
int ListCountAsReal(const Value *list, Value *out);
void ListSetSixErrors(u8 code, Value *out[6]);

// One-pass routines with the textbook formulas, beside the two-pass result
// sets: sums of x f, x^2, f x^2, the weighted mean, and the population and
// sample deviations sqrt((Sxx - Sx^2/N) / N) and / (N - 1) (a negative
// variance taken as 0; an error value gives Ma ERROR).
int ListSumWeighted(const Value *x, const Value *f, BcdReal *out);
int ListSumSquares(const Value *x, BcdReal *out);
int ListSumSquaresWeighted(const Value *x, const Value *f, BcdReal *out);
int ListMeanFreqReal(const Value *x, const Value *f, BcdReal *out);
int ListPopStdDev(const Value *x, BcdReal *out);
int ListPopStdDevFreq(const Value *x, const Value *f, BcdReal *out);
int ListSampleStdDev(const Value *x, BcdReal *out);
int ListSampleStdDevFreq(const Value *x, const Value *f, BcdReal *out);
