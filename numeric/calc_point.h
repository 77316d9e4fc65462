// One evaluation of a typed expression at a trial value: the engines that
// evaluate an expression many times (solve, derivatives, integral, extremum)
// store the value into the variable and run the evaluator again from the
// saved text position and token cell of the expression's start.
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"
#include "number/real.h"

// Flag word of an evaluation at a point: a real scalar, fractions as
// decimals, the calculus marker pushed (a calculus function inside the
// expression is Syntax ERROR).
inline constexpr u32 kCalcPointFlags = 0x8104;
// The same without turning fractions into decimals.
inline constexpr u32 kCalcPointFlagsPlain = 0x0104;

// An expression: its first token in tok, the text position after it.
struct CalcExpr {
  TokPos pos;
  EvalCell tok;
  EvalStackArea *area;
  u8 var;
};

// Stores x (imaginary part 0) into the variable and evaluates the
// expression. 1 with the normalised real result in out, 0 with the error
// value in out. after, when given, receives the token that ended the
// expression.
int CalcEvalAt(const CalcExpr *e, const BcdReal *x, u32 flags, Value *out, EvalCell *after = nullptr);

// Small helpers over stored reals shared by the engines.
// A real from a decimal text ("1E-13").
BcdReal CalcConst(const char *text);
// An error value with the code (imaginary part 0).
void CalcFail(Value *out, u8 code);
// 1 when the real is exactly 0.
int CalcIsZero(const BcdReal *x);
// Signed decimal exponent; -100 for 0 and for an error value.
int RealDecimalExponent(const BcdReal *x);
// The value as an integer 1..255 when it is a non-negative integer below
// 256, else 0.
int RealToSmallCount(const BcdReal *x);
// x rounded (half up) to `digits` significant digits, 1..14.
BcdReal *CalcRoundSignificant(const BcdReal *x, BcdReal *dst, int digits);
// 10^e(x) with x's sign, where e(x) is x's decimal exponent; 1 for x = 0.
BcdReal CalcSignedPowerOfTen(const BcdReal *x);
