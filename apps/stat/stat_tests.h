// Hypothesis test kernels of the statistics application: Z and t tests of
// one and two samples, proportion Z tests, the linear-regression t test, the
// chi-square test of a two-way table and the two-sample F test. Each takes a
// data mode (1 List: sample statistics from lists, 0 Variable: typed in) and
// its record, writes its results (normalised) into the record and returns a
// calculator error code: 0, 1 Break, 3 Ma ERROR, 4 Memory ERROR, 9
// Dimension ERROR, or the code of an error value met. A failing kernel
// never stores an error value as a result.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Alternative hypotheses (the condition word).
inline constexpr i32 kStatCondNotEqual = 0;
inline constexpr i32 kStatCondLess = 1;
inline constexpr i32 kStatCondGreater = -1;

struct StatOneSampleZRec {
  u32 spare;
  i32 cond;
  BcdReal mu0, sigma, mean, n;
  u32 list, freq;
  BcdReal z, p, outMean, outSx, outN;
};

struct StatTwoSampleZRec {
  u32 spare;
  i32 cond;
  BcdReal sigma1, sigma2, mean1, mean2, n1, n2;
  u32 list1, list2, freq1, freq2;
  BcdReal z, p, outMean1, outMean2, outSx1, outSx2, outN1, outN2;
};

struct StatOnePropZRec {
  u32 spare;
  i32 cond;
  BcdReal p0, x, n;
  BcdReal z, p, phat;
};

struct StatTwoPropZRec {
  u32 spare;
  i32 cond;
  BcdReal x1, x2, n1, n2;
  BcdReal z, p, phat1, phat2, phat;
};

struct StatOneSampleTRec {
  u32 spare;
  i32 cond;
  BcdReal mu0, mean, sx, n;
  u32 list, freq;
  BcdReal t, p, outMean, outSx, outN;
};

struct StatTwoSampleTRec {
  u32 spare;
  i32 cond;
  BcdReal mean1, mean2, sx1, sx2, n1, n2;
  u32 list1, list2, freq1, freq2, pooled;
  BcdReal t, p, df, outMean1, outMean2, outSx1, outSx2, outN1, outN2, sp;
};

struct StatLinRegTRec {
  u32 spare;
  i32 cond;
  u32 xList, yList, freq;
  BcdReal t, p, df, a, b, s, r, r2;
};

struct StatChiSquareRec {
  u32 spare;
  u32 observed;  // matrix number, 1 = Mat A
  BcdReal chi2, p, df;
};

struct StatTwoSampleFRec {
  u32 spare;
  i32 cond;
  u32 list1, list2, freq1, freq2;
  BcdReal sx1, sx2, n1, n2;
  BcdReal f, p, outSx1, outSx2, outMean1, outMean2, outN1, outN2;
};

// The matrix that receives the expected counts of the chi-square test (Mat
// Ans); the command copies it to the Expected matrix.
inline constexpr u8 kStatChiWorkMatrix = 0;

u32 StatOneSampleZTest(u32 mode, StatOneSampleZRec *r);
u32 StatTwoSampleZTest(u32 mode, StatTwoSampleZRec *r);
u32 StatOnePropZTest(u32 mode, StatOnePropZRec *r);
u32 StatTwoPropZTest(u32 mode, StatTwoPropZRec *r);
u32 StatOneSampleTTest(u32 mode, StatOneSampleTRec *r);
u32 StatTwoSampleTTest(u32 mode, StatTwoSampleTRec *r);
u32 StatLinRegTTest(u32 mode, StatLinRegTRec *r);
u32 StatChiSquareTest(u32 mode, StatChiSquareRec *r);
u32 StatTwoSampleFTest(u32 mode, StatTwoSampleFRec *r);
