// Special functions behind the statistical distributions, tests and
// intervals, computed in the calculator's 15-digit decimal arithmetic. Every
// function reads its inputs by address (never changing them), writes the
// result to a caller-owned real and returns that pointer. An error value in
// an input or an intermediate becomes the result. Nothing here draws or
// reads settings.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// erf(x) for mode 0, erfc(x) for mode 1.
BcdReal *StatErfCore(const BcdReal *x, u32 mode, BcdReal *out);
BcdReal *StatErfc(const BcdReal *x, BcdReal *out);
// x with erf(x) = y. abs(y) >= 1 gives the error value of the logarithm or
// root on its path (callers treat +-1 themselves).
BcdReal *StatErfInv(const BcdReal *y, BcdReal *out);
// ln Gamma(x); a negative x gives -2147483648, x = 0 the division error.
BcdReal *StatLnGamma(const BcdReal *x, BcdReal *out);
// The series sum of x^n / ((a+1)...(a+n)), n from 0.
BcdReal *StatGammaSeries(const BcdReal *a, const BcdReal *x, BcdReal *out);
// The continued fraction of the upper incomplete gamma function, such that
// Q(a, x) = exp(a ln x - x - ln Gamma(a)) times this value.
BcdReal *StatGammaCf(const BcdReal *a, const BcdReal *x, BcdReal *out);
// Regularized incomplete gamma functions P(a, x) and Q(a, x) = 1 - P.
BcdReal *StatGammaP(const BcdReal *a, const BcdReal *x, BcdReal *out);
BcdReal *StatGammaQ(const BcdReal *a, const BcdReal *x, BcdReal *out);
// ln B(a, b), with a precise path when either argument is 1/2.
BcdReal *StatLnBeta(const BcdReal *a, const BcdReal *b, BcdReal *out);
// ln B(1/2, x).
BcdReal *StatLnBetaHalf(const BcdReal *x, BcdReal *out);
// I_x(a, b) into out and 1 - I_x(a, b) into outComplement; y is 1 - x given
// separately so that a tail close to 0 keeps its digits. Bad arguments give
// Ma ERROR in out (outComplement untouched); the break key gives Break.
BcdReal *StatBetaInc(const BcdReal *a, const BcdReal *b, const BcdReal *x, const BcdReal *y, BcdReal *out,
                     BcdReal *outComplement);
// ln[(1 + t^2/n)^(-(n+1)/2) / sqrt(n)], the log-density of Student's t up to
// the constant -ln B(1/2, n/2).
BcdReal *StatTLogKernel(const BcdReal *t, const BcdReal *n, BcdReal *out);
// P(T > abs(t)) for Student's t with n degrees of freedom.
BcdReal *StatTUpper(const BcdReal *t, const BcdReal *n, BcdReal *out);
// t with P(T > t) = p; a p above 1/2 gives the negated quantile of 1 - p.
BcdReal *StatTInvUpper(const BcdReal *p, const BcdReal *n, BcdReal *out);
