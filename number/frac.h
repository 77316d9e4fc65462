// Exact fraction arithmetic, the power of a negative base by a fraction, and
// the conversion of a decimal into a short fraction.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// op 0 add, 1 subtract, 2 multiply, 3 divide, 4 power, 11 square root (b
// not read). Exact where the result fits the fraction form; otherwise the
// decimal result.
BcdReal *RealFracOp(int op, const BcdReal *a, const BcdReal *b, BcdReal *dst);
// a < 0 to a non-integer power b: real only when b is a fraction with an odd
// denominator ((-8)^(1/3) = -2); otherwise Non-Real ERROR (17).
BcdReal *RealPowNegBase(const BcdReal *a, const BcdReal *b, BcdReal *dst);
// a^b for a decimal a > 0 and the fraction b = 1/q (q 2..99: cube root,
// x-th root) rounded once from the true root; any other operands take the
// decimal power.
BcdReal *RealRootPow(const BcdReal *a, const BcdReal *b, BcdReal *dst);
// The shortest fraction within the tolerance of x, or x itself when it has
// none that fits; the third argument is not read.
BcdReal *RealToFrac(const BcdReal *x, BcdReal *dst, const void *unused = nullptr);
// A value with every fraction made decimal.
Value *ValFracToDecimal(const Value *src, Value *dst);
