// Number parsing, the fraction builder, input text of values and the
// conversions between reals and machine integers.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// The a b/c exchange record: sign, then whole part, numerator and denominator
// as stored reals holding non-negative integers.
struct NumFracParts {
  i32 sign;
  BcdReal whole;
  BcdReal num;
  BcdReal den;
};

// Parses an ASCII number text ("-6.3", "1e-15", "9E99", or a fraction text
// with 'a' marks such as "2a1a3") into bytes 0-8 of out; bytes 9-11 are left
// as they were. Digits after the fifteenth are dropped, not rounded. An
// exponent below the range gives 0, one above it Ma ERROR.
BcdReal *NumParse(const char *text, BcdReal *out);

// Exact conversions between machine integers and stored reals.
BcdReal *NumFromInt16(i16 n, BcdReal *out);
BcdReal *NumFromInt32(i32 n, BcdReal *out);
// The integer part of x (toward zero). A value outside the range saturates
// to the nearest bound; an error value gives 0.
i32 NumToInt16(const BcdReal *x);
i32 NumToInt32(const BcdReal *x);

// x as input text in the calculator's codes (22-byte area, zero-filled,
// zero-terminated); an error value gives an empty text.
u8 *NumRealToTokens(const BcdReal *x, u8 out[22]);
// A value as input text (45-byte area); complex values end with the
// imaginary unit 0x7F 0x50.
u8 *NumToTokens(const Value *v, u8 out[45]);

// Fraction form: split, text, reduce and build.
void NumFracUnpack(const BcdReal *x, NumFracParts *out);
void NumFracSplitText(const char *text, NumFracParts *out);
BcdReal *NumFracFromText(const char *text, BcdReal *out);
void NumFracReduce(const NumFracParts *in, NumFracParts *out);
BcdReal *NumFracPack(const NumFracParts *in, BcdReal *out);

// The fraction sign x (w + n / d) from machine integers (n < d, reduced):
// the fraction form when it fits ten nibbles, else the correctly rounded
// decimal; n = 0 gives the plain integer. Writes bytes 0-8.
BcdReal *NumFracWrite(i32 sign, u64 w, u64 n, u64 d, BcdReal *out);

// Machine-integer views of stored reals used inside the number core.
// Non-negative integer value of x below 10^18 into *out: 1, else 0 (errors,
// fractions, negatives, non-integers and larger values).
int NumToU64(const BcdReal *x, u64 *out);
// Writes v exactly (v below 10^15) or rounded half up to 15 digits.
BcdReal *NumFromU64(u64 v, BcdReal *out);
// sign x n / d rounded half up to 15 digits (d != 0; n and d below 10^37).
BcdReal *NumFromRatio(i32 sign, unsigned __int128 n, unsigned __int128 d, BcdReal *out);
// Exact value of a number or fraction x as sign x n / d with d >= 1 and
// n, d below 10^18: 1, else 0 (errors, or magnitudes that do not fit).
int NumToRatio(const BcdReal *x, i32 *sign, u64 *n, u64 *d);

// Greatest common divisor (Euclid's remainder loop).
template <typename T>
T NumGcd(T a, T b) {
  while (b != 0) {
    const T r = a % b;
    a = b;
    b = r;
  }
  return a;
}

// The fields of a decimal stored real: sign (+1 or -1), decimal exponent and
// the 15 mantissa digits d1..d15 (all zero for zero, d1 != 0 otherwise).
struct NumDecimal {
  i32 sign;
  i32 exp;
  u8 d[15];
};
// Splits a number (not an error, not a fraction); returns 0 for zero, else 1.
int NumGetDecimal(const BcdReal *x, NumDecimal *out);
// Writes bytes 0-8 of a number from its fields; an exponent above 99 gives
// Ma ERROR, one below -99 (or d1 = 0) gives zero.
BcdReal *NumSetDecimal(const NumDecimal *in, BcdReal *out);
