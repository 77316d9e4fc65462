// Probability distribution kernels: densities, cumulative probabilities and
// inverses of the normal, Student-t, chi-square, F, binomial, Poisson and
// geometric distributions. Each kernel reads its parameter record, writes its
// results (normalised) into the record and returns a calculator error code
// (0 success, 3 Ma ERROR, 1 Break, or the code of an error value met).
// Kernels draw nothing and read no settings.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct StatNormRec {
  u32 angle;  // SET UP angle unit at the call (not used by the kernels)
  i32 tail;   // -1 Left, 0 Center, 1 Right
  BcdReal x, lower, upper, area, sigma, mu;
  BcdReal pd, cd, inv1, inv2, zLow, zUp;
};

struct StatTRec {
  u32 angle;
  BcdReal x, lower, upper, area, df;
  BcdReal pd, cd;
  BcdReal first, second;  // C.D: lower and upper as given; inverse: -t and t
};

struct StatChiRec {
  u32 angle;
  BcdReal x, lower, upper, df;
  BcdReal pd, cd;
};

struct StatFRec {
  u32 angle;
  BcdReal x, lower, upper, ndf, ddf;
  BcdReal pd, cd;
};

struct StatBinomRec {
  u32 angle;
  u32 list;  // list mode: the data list
  BcdReal n, p, x, result;
};

struct StatPoissonRec {
  u32 angle;
  u32 list;
  BcdReal mu, x, result;
};

struct StatGeoRec {
  u32 angle;
  u32 list;
  BcdReal p, x, result;
};

// Continuous kernels (the mode is not used).
u32 StatNormPd(u32 mode, StatNormRec *r);
u32 StatNormCd(u32 mode, StatNormRec *r);
u32 StatInvNorm(u32 mode, StatNormRec *r);
u32 StatTPd(u32 mode, StatTRec *r);
u32 StatTCd(u32 mode, StatTRec *r);
u32 StatInvT(u32 mode, StatTRec *r);
u32 StatChiPd(u32 mode, StatChiRec *r);
u32 StatChiCd(u32 mode, StatChiRec *r);
u32 StatFPd(u32 mode, StatFRec *r);
u32 StatFCd(u32 mode, StatFRec *r);

// Discrete kernels: mode 0 works on the one value x; list mode (1) runs it
// over every element of the record's list (statistics list number) into
// List Ans: Dimension ERROR for an empty list, the first element's error
// ends the run (the elements written before it stay).
u32 StatBinomPd(u32 mode, StatBinomRec *r);
u32 StatBinomCd(u32 mode, StatBinomRec *r);
u32 StatPoissonPd(u32 mode, StatPoissonRec *r);
u32 StatPoissonCd(u32 mode, StatPoissonRec *r);
u32 StatGeoPd(u32 mode, StatGeoRec *r);
u32 StatGeoCd(u32 mode, StatGeoRec *r);
