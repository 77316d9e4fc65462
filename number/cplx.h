// Complex operations on pairs of stored reals (real part, imaginary part,
// complex flag clear). Built on the fraction-aware real operations, so exact
// parts stay exact; division and the square root fall back to working-form
// routines with extended precision when the exact formulas do not apply.
// An error arising in a part stays in that part; the working-form routines
// put an error into the real part.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

CplxPair *CplxAdd(const CplxPair *a, const CplxPair *b, CplxPair *out);
CplxPair *CplxAddMaru(const CplxPair *a, const CplxPair *b, CplxPair *out);
CplxPair *CplxSub(const CplxPair *a, const CplxPair *b, CplxPair *out);
CplxPair *CplxSubMaru(const CplxPair *a, const CplxPair *b, CplxPair *out);
CplxPair *CplxMul(const CplxPair *a, const CplxPair *b, CplxPair *out);
CplxPair *CplxDiv(const CplxPair *a, const CplxPair *b, CplxPair *out);
// The quotient with exact fraction parts where possible.
CplxPair *CplxDivToFrac(const CplxPair *a, const CplxPair *b, CplxPair *out);
CplxPair *CplxPow(const CplxPair *z, const CplxPair *w, CplxPair *out);
// 1 or 0 as a real: both parts equal / some part differs (the relation
// operations, under the cancellation rule).
BcdReal *CplxRelEqual(const CplxPair *a, const CplxPair *b, BcdReal *out);
BcdReal *CplxRelNotEqual(const CplxPair *a, const CplxPair *b, BcdReal *out);
CplxPair *CplxSqrt(const CplxPair *z, CplxPair *out);
CplxPair *CplxExp(const CplxPair *z, CplxPair *out);
CplxPair *CplxExp10(const CplxPair *z, CplxPair *out);
CplxPair *CplxLn(const CplxPair *z, CplxPair *out);
CplxPair *CplxLog10(const CplxPair *z, CplxPair *out);
CplxPair *CplxAbs(const CplxPair *z, CplxPair *out);
CplxPair *CplxArg(const CplxPair *z, CplxPair *out, u16 unit);
// A real operation on each part.
CplxPair *CplxEachPart(const CplxPair *z, CplxPair *out, BcdReal *(*fn)(const BcdReal *, BcdReal *));
CplxPair *CplxIntg(const CplxPair *z, CplxPair *out);
CplxPair *CplxInt(const CplxPair *z, CplxPair *out);
CplxPair *CplxFrac(const CplxPair *z, CplxPair *out);
CplxPair *CplxNeg(const CplxPair *z, CplxPair *out);
CplxPair *CplxRoundDecimals(const CplxPair *z, CplxPair *out, int n);
// sqrt(z^2 + 1) for s = 1, sqrt(z^2 - 1) for s = -1; other s: Ma ERROR.
CplxPair *CplxSqrtOfSquareShift(const CplxPair *z, CplxPair *out, int s);

// Working-form pairs: the real part in pair[0], the imaginary part in
// pair[1]; the result replaces a; the code is returned (0 success).
i16 BcdCplxMul(BcdWork a[2], const BcdWork b[2]);
i16 BcdCplxDiv(BcdWork a[2], const BcdWork b[2]);
// mode 1: real square root of the real part (17 for a complex operand);
// mode 2: principal complex square root.
i16 BcdCplxRoot(BcdWork a[2], int mode);
// abs(z) into the real part, the imaginary part 0.
i16 BcdCplxAbs(BcdWork a[2]);
