// Standard normal probabilities, the normalised variate and the regression
// estimates. Each works in place on one stored real and returns 1 when it
// produced a result, 0 otherwise (the argument then holds the error value).
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Probability that a standard normal variable exceeds x, by the five-term
// tail polynomial; x = 0 gives 0.5, |x| >= 1000 a tail of 0 (and 0 returned).
int RealNormalUpperTail(BcdReal *x);
// P(x) = probability below x, Q(x) = probability between 0 and |x|,
// R(x) = probability above x; each rounded to five significant digits.
int RealNormalP(BcdReal *x);
int RealNormalQ(BcdReal *x);
int RealNormalR(BcdReal *x);
// t(x) = (x - mean) / population deviation of the last one-variable
// statistics; Memory ERROR (4) when the last calculation was not one.
int RealNormVariate(BcdReal *x);
// x-hat from y and y-hat from x with the coefficients of the last regression
// (linear, logarithmic, exponential or power); Memory ERROR (4) after any
// other kind of calculation or none.
int RealEstimateX(BcdReal *y);
int RealEstimateY(BcdReal *x);

// The kinds of statistics calculation the estimates read.
enum NumStatKind : u32 {
  kNumStatNone = 0,
  kNumStatLinear = 9,   // y = a x + b
  kNumStatLog = 14,     // y = a + b ln x
  kNumStatExp = 15,     // y = a e^(b x)
  kNumStatPower = 16,   // y = a x^b
  kNumStatOneVar = 20,  // one-variable statistics
};

// The estimates for a given kind and coefficients (what RealEstimateX/Y
// compute once they have read the last statistics result).
int NumEstimateX(u32 kind, const BcdReal *a, const BcdReal *b, BcdReal *y);
int NumEstimateY(u32 kind, const BcdReal *a, const BcdReal *b, BcdReal *x);
// t(x) for a given kind, mean and population deviation.
int NumNormVariate(u32 kind, const BcdReal *mean, const BcdReal *sigma, BcdReal *x);

// The same on values: a real (or a fraction) in place; a complex number or a
// matrix gives Ma ERROR (3), a complex list ERROR 25, a real list is done
// element by element, an error value stays. Return as above.
int ValNormalP(Value *v);
int ValNormalQ(Value *v);
int ValNormalR(Value *v);
int ValNormVariate(Value *v);
int ValEstimateX(Value *v);
int ValEstimateY(Value *v);
