// The digit routines of the number core: the decimal kernels that compute on
// the working form (BcdWork, 15 digits) and the extended form (BcdExt, 23
// digits: 15 working digits and 8 guard digits). Each routine takes one or
// two arguments (number pointers, a pointer to an exponent word, or a 16- or
// 32-bit integer), acts in place on its first number argument unless stated
// otherwise, and those that answer return a 16-bit result. The digit-
// arithmetic layer (number/bcd.h) is their caller: it screens error operands
// and domain errors before a routine runs, so the routines define no result
// for them.
//
// Arithmetic routines work on the 24-nibble register (a carry nibble above
// d1, then d1..d23); digits shifted out at the right are dropped (no sticky
// digit). Overflow (exponent above 999) gives infinity with the sign of the
// result; underflow (below -999) gives zero. An operand of a special kind
// (infinity, UNDEF, TRUE, FALSE) is passed on to the result: the first
// operand's kind wins, so a chain of routines that overflowed still ends in a
// special kind, which packing reports as Ma ERROR.
//
// The transcendental kernels leave a result correct to about 22 of the 23
// digits; ShExtRound then rounds it to 15.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Moves and kinds.
void ShExtWiden(const BcdWork *src, BcdExt *dst);
void ShExtNarrow(const BcdExt *src, BcdWork *dst);
void ShWorkCopy(const BcdWork *src, BcdWork *dst);
// Clean-up of the last four digits d12-d15: 9991-9999 round up at d11,
// 0000-0009 are cleared, anything else is left.
void ShWorkNormalize(BcdWork *x);
u16 ShWorkErrorCode(const BcdWork *x);
u16 ShExtErrorCode(const BcdExt *x);
// BcdKindCode of the number (240 error, 4 number, 2/3 infinity, 1 FALSE,
// 0 TRUE, 5 UNDEF and any other kind).
u16 ShWorkKind(const BcdWork *x);
u16 ShExtKind(const BcdExt *x);

// Arithmetic on the extended form: a := a op b.
void ShExtAdd(BcdExt *a, const BcdExt *b);
void ShExtSub(BcdExt *a, BcdExt *b);  // flips b's sign in place first
// With the cancellation rule: a result whose d1-d13 cancel to 0 is zero.
void ShExtAddMaru(BcdExt *a, const BcdExt *b);
void ShExtSubMaru(BcdExt *a, BcdExt *b);  // flips b's sign in place first
void ShExtMul(BcdExt *a, const BcdExt *b);
void ShExtDiv(BcdExt *a, const BcdExt *b);  // b = 0 gives UNDEF
void ShExtSqrt(BcdExt *a);

// Signs, integer parts and comparisons.
void ShExpAbs(u16 *word);
void ShExpNegate(u16 *word);
void ShWorkSignum(BcdWork *x);
void ShExtInt(BcdExt *x);   // toward zero
void ShExtFrac(BcdExt *x);  // x - Int(x)
void ShExtIntg(BcdExt *x);  // greatest integer not above x
void ShExtCint(BcdExt *x);  // nearest integer, halves away from zero
// BcdCompareCode: 1 equal, 2 a < b, 4 a > b.
u16 ShWorkCompare(const BcdWork *a, const BcdWork *b);
// 1 zero, 2 negative, 4 positive.
u16 ShWorkSign(const BcdWork *x);
u16 ShExtSign(const BcdExt *x);
// 1 when the exponent words and bytes 0-7 are identical, else 6.
u16 ShWorkEqual(const BcdWork *a, const BcdWork *b);
// 1 when the exponent word is 0, else 6.
u16 ShWorkIsZero(const BcdWork *x);
// 1 when byte 0 is at most 0x10 and the exponent word is 0, else 2.
u16 ShWorkIsPlainZero(const BcdWork *x);

// Rounding and scaling.
void ShExtRoundDigits(BcdExt *x, u16 n);    // half up at digit n (1-15)
void ShExtRound(BcdExt *x);                 // 23 digits to 15, half up
void ShExtRoundUpDigits(BcdExt *x, u16 n);  // adds 9 at digit n
i16 ShExpDecimal(const u16 *word);          // the decimal exponent
void ShWorkExponentValue(BcdWork *x);       // x := its decimal exponent
u16 ShWorkScale10(BcdWork *x, i16 n);       // x := x * 10^n
u16 ShExtScale10(BcdExt *x, i16 n);

// Integer conversions (exact).
void ShFromInt16(i16 n, BcdWork *out);
void ShToInt16(const BcdWork *x, i16 *out);
void ShFromInt32(i32 n, BcdWork *out);
void ShToInt32(const BcdWork *x, i32 *out);
// 0-99999 to packed decimal digits and back.
u32 ShSmallToBcd(u32 n);
u32 ShSmallFromBcd(u32 packed);

// Permutations and combinations of non-negative integers n >= r.
void ShExtPermutations(BcdExt *n, const BcdExt *r);
void ShExtCombinations(BcdExt *n, const BcdExt *r);

// Logarithms and powers.
void ShExtLog10(BcdExt *x);   // zero gives negative infinity
void ShExtLn(BcdExt *x);
void ShExtLog10s(BcdExt *x);  // log10(1 + x)
void ShExtLogs(BcdExt *x);    // ln(1 + x)
void ShExtExp10(BcdExt *x);
void ShExtExp10s(BcdExt *x);  // 10^x - 1
void ShExtExp(BcdExt *x);
void ShExtPow(BcdExt *x, const BcdExt *y);     // x > 0, or x < 0 with y an integer
void ShExtPowAlt(BcdExt *x, const BcdExt *y);  // the same power

// Trigonometric functions of an angle in the unit (0 degrees, 1 radians,
// 2 grads); the inverse ones answer in grads.
void ShExtSin(BcdExt *x, u16 unit);
void ShExtCos(BcdExt *x, u16 unit);
void ShExtTan(BcdExt *x, u16 unit);
// The same followed by ShExtRound, with the rounding done before the 23
// digits are written (the same bits, for callers that round at once).
void ShExtSinRounded(BcdExt *x, u16 unit);
void ShExtCosRounded(BcdExt *x, u16 unit);
void ShExtTanRounded(BcdExt *x, u16 unit);
void ShExtAsin(BcdExt *x);
void ShExtAcos(BcdExt *x);
void ShExtAtan(BcdExt *x);
// The arctangent in the unit (1 radians, 0 degrees, others grads), rounded
// to 15 digits: the bits of ShExtAtan, the product by pi/200 or 9/10 and
// ShExtRound, without writing the intermediate registers out.
void ShExtAtanRounded(BcdExt *x, u16 unit);

// Hyperbolic functions. The A routines take any argument; the B routines are
// the small-argument forms (|x| up to 10^-7) the callers use below that
// bound. ShExtSinhB and ShExtTanhB are the small-argument sinh and tanh.
void ShExtSinhA(BcdExt *x);
void ShExtSinhB(BcdExt *x);
void ShExtCosh(BcdExt *x);
void ShExtTanhA(BcdExt *x);
void ShExtTanhB(BcdExt *x);
void ShExtAsinhA(BcdExt *x);
void ShExtAsinhB(BcdExt *x);
void ShExtAcosh(BcdExt *x);
void ShExtAtanhA(BcdExt *x);
void ShExtAtanhB(BcdExt *x);

// The transcendental kernels come in two builds of the same code: plain, and
// fused for processors with fused multiply-add (picked at the first call
// when the processor has it). Both give the same bits; the choice can be
// forced (tests compare the builds).
bool ShKernelFusedAvailable();
void ShKernelUseFused(bool fused);
