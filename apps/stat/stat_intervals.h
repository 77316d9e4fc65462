// Confidence interval kernels: Z and t intervals of one and two samples and
// the Z intervals of one and two proportions. Data mode 1 reads the sample
// statistics from lists (written back into the out fields), 0 takes them as
// typed; the proportion kernels ignore it. Results are normalised; bounds
// beyond the range become -9.99E+99 and 9.99E+99. Returns a calculator
// error code.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct StatZInt1Rec {
  u32 angle;
  BcdReal level, sigma, mean, n;
  u32 list, freq;
  BcdReal lower, upper, outSx, outMean, outN;
};

struct StatZInt2Rec {
  u32 angle;
  BcdReal level, sigma1, sigma2, mean1, mean2, n1, n2;
  u32 list1, list2, freq1, freq2;
  BcdReal lower, upper, outSx1, outSx2, outMean1, outMean2, outN1, outN2;
};

struct StatPropZInt1Rec {
  u32 angle;
  BcdReal level, x, n;
  BcdReal lower, upper, phat;
};

struct StatPropZInt2Rec {
  u32 angle;
  BcdReal level, x1, x2, n1, n2;
  BcdReal lower, upper, phat1, phat2;
};

struct StatTInt1Rec {
  u32 angle;
  BcdReal level, mean, sx, n;
  u32 list, freq;
  BcdReal lower, upper, outSx, outMean, outN;
};

struct StatTInt2Rec {
  u32 angle;
  BcdReal level, mean1, mean2, sx1, sx2, n1, n2;
  u32 list1, list2, freq1, freq2, pooled;
  BcdReal lower, upper, df, sp, outMean1, outMean2, outSx1, outSx2, outN1, outN2;
};

u32 StatZInt1(u32 mode, StatZInt1Rec *r);
u32 StatZInt2(u32 mode, StatZInt2Rec *r);
u32 StatPropZInt1(u32 mode, StatPropZInt1Rec *r);
u32 StatPropZInt2(u32 mode, StatPropZInt2Rec *r);
u32 StatTInt1(u32 mode, StatTInt1Rec *r);
u32 StatTInt2(u32 mode, StatTInt2Rec *r);
