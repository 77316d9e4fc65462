// Critical values of the F distribution for the two-sample F test's graph:
// bisection on the finite series of the upper tail for degrees of freedom
// up to 30, a normal approximation of the cube root above. Self-contained:
// no special functions.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct StatFQuantRec {
  BcdReal x, j, k, term, sum;  // the series' point, counters, term and sum
  BcdReal n, d, p;             // degrees of freedom and the upper-tail area
  BcdReal f;                   // the result
};

// The two F values that cut off alpha/2 in each tail for samples of n1 and
// n2 values, smaller first. 0, 1 Break or 3 Ma ERROR.
u32 StatFCritPair(const BcdReal *n1, const BcdReal *n2, const BcdReal *alpha, BcdReal out[2]);
// F with upper-tail area p for the record's n and d, into rec->f.
u32 StatFQuantile(StatFQuantRec *rec);
// The upper-tail area at (d/n)(1/x - 1) for whole n and d, into rec->sum.
u32 StatFSeries(StatFQuantRec *rec);
// 1 for an odd whole v, 2 for an even one.
BcdReal *StatParityStart(const BcdReal *v, BcdReal *out);
// An approximation of the standard normal quantile of 1 - p (Ma ERROR when
// it breaks down).
u32 StatNormQuantileApprox(const BcdReal *p, BcdReal *z);
