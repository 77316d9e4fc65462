// Analysis of variance kernels: the one-way table (levels in order of first
// appearance), the two-way table by least-squares comparison of nested
// effect-coded models (levels numbered by ascending value), the F and p of
// one table row, the fitted cell means, and the Householder least-squares
// solver with its vector primitives. Kernels return a calculator error code
// and store their results normalised.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct StatAnovaRow {
  BcdReal df, ss, ms, f, p;
};

struct StatAnova1Rec {
  u32 angle;
  u32 factorList, dependentList;
  StatAnovaRow a;    // the factor row
  StatAnovaRow err;  // df, SS, MS of the error row (F and p unused)
};

struct StatAnova2Rec {
  u32 angle;
  u32 factorAList, factorBList, dependentList;
  u32 single;  // 1 when every cell holds exactly one observation (no AB row)
  StatAnovaRow a, b, ab, err;
};

// The two-way kernel's design holds at most this many observations.
inline constexpr u32 kStatAnova2MaxRows = 256;

u32 StatAnova1(u32 mode, StatAnova1Rec *r);
u32 StatAnova2(u32 mode, StatAnova2Rec *r);
// F and p of a row from its mean square and degrees of freedom and the
// error row's. An unusable p is left as an error value in *p.
void StatAnovaFP(const BcdReal *msRow, const BcdReal *dfRow, const BcdReal *msErr, const BcdReal *dfErr,
                 BcdReal *f, BcdReal *p);
// The a x b table of cell means of the two-way data into matrix 0 (Mat
// Ans): rows the A levels, columns the B levels, both by ascending value.
u32 StatAnovaCellMeans(u32 mode, StatAnova2Rec *r);

// Vector primitives over reals (count < 0: Dimension ERROR; break key: 1).
// Euclidean norm with scaled sums, safe from overflow and underflow.
u32 StatVecNorm(i32 count, const BcdReal *v, BcdReal *out);
u32 StatVecDot(i32 count, const BcdReal *x, const BcdReal *y, BcdReal *out);
// out_i = x_i + alpha y_i (out may be x).
u32 StatVecAxpy(i32 count, const BcdReal *x, const BcdReal *y, const BcdReal *alpha, BcdReal *out);

// A column-major rows x cols matrix of the least-squares solver.
struct StatQrMatrix {
  u32 rows, cols;
  BcdReal *cell;  // cell[col * rows + row], both from 0
  BcdReal *diag;  // R's diagonal, one per column
};
// Householder factorisation of columns first..last (from 1), the earlier
// columns' reflections applied first. A zero column (a singular design)
// gives Ma ERROR.
u32 StatQrFactor(StatQrMatrix *m, u32 first, u32 last);
// Applies the reflections of columns first..last to y (in place) and gives
// the residual sum of squares of the fit on columns 1..last; with coef
// non-null also solves R b = (Q^T y) for the coefficients 1..last.
u32 StatQrSolve(const StatQrMatrix *m, BcdReal *y, u32 first, u32 last, BcdReal *rss, BcdReal *coef);
