// Regression fits: an x list, a y list and an optional frequency list (null:
// every point counts once) give the coefficients of a model in a new real
// heap list that the caller frees. Every fit returns 1 with that list in
// out, or 0 with the error value in out (Break 1, Ma ERROR 3, Memory ERROR
// 4, Dimension ERROR 9, complex list 25). Work copies are freed on every
// path. A negative frequency gives Ma ERROR.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// y = a·x + b by least squares: {a, b, 0, 0, 0, r, r²}.
int RegLinearFit(const Value *x, const Value *y, const Value *freq, Value *out);
// Degree 1 to 4: {a, b, c, d, e} from the highest power down, then zeros.
// Degree 1 is the linear fit with its list normalised.
int RegPolynomialFit(const Value *x, const Value *y, const Value *freq, int degree, Value *out);
// The median-median line: {a, b, x1, y1, x2, y2, x3, y3} (the line and the
// three group medians). Frequencies must be whole numbers 0..65535; points
// of frequency 0 are left out.
int RegMedMedFit(const Value *x, const Value *y, const Value *freq, Value *out);
// y = a + b·ln x, y = a·e^(b·x), y = a·x^b through a straight line on the
// transformed data: {a, b, 0, 0, 0, r, r²} with r of that line.
int RegLogFit(const Value *x, const Value *y, const Value *freq, Value *out);
int RegExpFit(const Value *x, const Value *y, const Value *freq, Value *out);
int RegPowerFit(const Value *x, const Value *y, const Value *freq, Value *out);

// Smallest and largest element of a real list: 1; 0 with an element's error
// value (or Break) in both, error 25 for a complex list or no list.
int RegListMinMax(const Value *list, BcdReal *min, BcdReal *max);
// out = x^k for k 1..8 by a fixed chain of products (out may be x): 1; any
// other k copies x and gives 0.
int RegPowerInt(const BcdReal *x, int k, BcdReal *out);

// Helpers of the median-median line on arrays sorted ascending.
// Index of the last value below data[i] (-1 when none).
int RegMedMedTieBack(const BcdReal *data, int i);
// Index of the first value above data[i] (n when none).
int RegMedMedTieForward(const BcdReal *data, int n, int i);
// The same, adding the frequencies of the equal values passed to *count.
int RegMedMedTieBackFreq(const BcdReal *data, const u32 *freq, int i, u32 *count);
int RegMedMedTieForwardFreq(const BcdReal *data, const u32 *freq, int n, int i, u32 *count);
// Median of data[lo, hi), plain or weighted by freq: 1, or 0 with an error
// value in out.
int RegMedMedGroupMedian(const BcdReal *data, int lo, int hi, BcdReal *out);
int RegMedMedGroupMedianFreq(const BcdReal *data, const u32 *freq, int lo, int hi, BcdReal *out);
// data[i + 1] for an odd count, else (data[i] + data[i + 1])·0.5.
int RegMedMedMiddle(const BcdReal *data, int i, int count, BcdReal *out);

// Fit measures of a regression whose coefficients {a, b, c, d, e} are in
// coef (a fit's result list): the mean square error of the residuals into
// mse and, for the polynomials of degree 2 to 4, the coefficient of
// determination into r2 (other models leave 0 there; the sinusoidal (17)
// and logistic (18) models an error value). model is the regression code
// (9 linear, 11-13 polynomials, 14 log, 15 exp, 16 power, 17 sine, 18
// logistic); angle the angle unit of the sine (0 Deg, 1 Rad, 2 Gra). The
// exponential and power models measure their residuals in the logarithmic
// space they were fitted in. Too few points, a negative frequency or r² < 0
// make the output concerned Ma ERROR. Result 0, or 9 for an empty y list.
int RegFitMeasuresOf(int model, const Value *x, const Value *y, const Value *freq, const Value *coef, u16 angle,
                     BcdReal *mse, BcdReal *r2);

// y = a·sin(b·x + c) + d by least squares at the frequency where the
// derivative of the residual sum changes sign: {a, b, c, d} with b and c in
// the angle unit of SET UP. No frequencies.
int RegSinFit(const Value *x, const Value *y, Value *out);
// RegSinFit with its search bounded: at most maxWalk steps of the coarse
// walk and maxBrent passes of the root refinement, either bound reached
// giving Ma ERROR.
inline constexpr int kRegSinWalkLimit = 4096;
inline constexpr int kRegSinBrentLimit = 200;
int RegSinFitCapped(const Value *x, const Value *y, Value *out, int maxWalk, int maxBrent);
// y = c / (1 + a·e^(−b·x)) by Newton's method on the residual sum from the
// start values of the curve's integral equation: {a, b, c, 0, S, 0, 0}.
int RegLogisticFit(const Value *x, const Value *y, Value *out);
