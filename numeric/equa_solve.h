// The equation application's back ends: simultaneous linear equations from
// "SIMLCOEF" into "SIMLRSLT", polynomial equations of degree 2 and 3 from
// "POLYCOEF" into "POLYRSLT" and "POLYMULT", and one typed equation handed
// to the numeric root finder. Each returns a calculator error code (0 for
// success) for the application's error box. The result items are deleted
// first, so a failed solve leaves none; the coefficient items are never
// changed. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Matrix numbers of the equation items.
inline constexpr u8 kEquaPolyCoef = 30;
inline constexpr u8 kEquaPolyResult = 31;
inline constexpr u8 kEquaSimlCoef = 32;
inline constexpr u8 kEquaSimlResult = 33;
inline constexpr u8 kEquaPolyMult = 34;

// The system of n unknowns in "SIMLCOEF" (n rows: n coefficients, then the
// constant) solved into "SIMLRSLT" (n x 1, complex when a solution is):
// 0, 1 Break, 3 Ma ERROR (singular), 4 Memory ERROR, 9 Dimension ERROR or
// an error code of the arithmetic.
u32 NumericSolveSimultaneous(u32 n);

// The polynomial of degree 2 or 3 in row 1 of "POLYCOEF" (highest power
// first) solved into "POLYRSLT" (one row per distinct root, descending by
// real part, then imaginary part; a second column of imaginary parts in
// Complex Mode) and "POLYMULT" (the multiplicities): 0, 1 Break, 3 Ma ERROR
// (leading coefficient 0), 4 Memory ERROR, 17 Non-Real ERROR (a complex
// coefficient), 35 No Real Roots (a quadratic without real roots in Real
// mode).
u32 NumericSolvePolynomial(u32 degree);

// Solves the typed equation at *pos (token text: a side, or two sides around
// '=') for the variable ('A'..'Z', r, theta) between the bounds, from the
// variable's present value: 0 with the root in the variable and the two
// sides' values in left and right; 29 Time Out when the search stopped
// without an exact solution (the variable then holds its last estimate);
// otherwise the error code (2 Syntax ERROR, 3 Ma ERROR, 27 Can't Solve!,
// 1 Break, an evaluation error).
u32 NumericSolveEquation(const u8 **pos, u8 variable, const BcdReal *upper, const BcdReal *lower, Value *left,
                         Value *right);

// The roots of the monic polynomial x^d + list[0] x^(d-1) + ... + list[d-1]
// (d = 2 or 3) as two m x 1 matrices in new heap blocks: the distinct roots
// (complex kind in Complex Mode, SET UP item 42; only the real roots in Real
// mode) and their multiplicities. 1 done, 0 failed with the error value in
// roots (and mults).
int PolySolveRoots(u32 degree, const BcdReal *list, Value *roots, Value *mults);

// The roots r0, r1 of x^2 + list[0] x + list[1] and r0, r1, r2 of x^3 +
// list[0] x^2 + list[1] x + list[2] as values; *complexFlag becomes 2 when
// complex roots occur. The cubic's real root is r2 when it has complex ones.
// 1, or 0 with the error value in r0.
int PolySolveQuadratic(const BcdReal *list, Value *roots, u8 *complexFlag);
int PolySolveCubic(const BcdReal *list, Value *roots, u8 *complexFlag);

// Sorts n values by real part descending, then imaginary part descending,
// and merges those within the relative tolerance of each other: the groups
// (their mean) go to values[0..m-1] and their sizes to counts[0..m-1]; the
// positions after them become 0. Returns m.
u32 PolyGroupRoots(Value *values, BcdReal *counts, u32 n, const BcdReal *tolerance);
