// Digit arithmetic on the working form. Each operation takes its operands by
// address, leaves its result in the first operand and returns 0 or an error
// code (3 Ma ERROR, 8 Argument ERROR for an angle unit other than 0, 1, 2,
// 16 and 17 argument outside the domain). A failing operation leaves the
// working error value with its code in the first operand; an error operand
// is passed on (the first operand's error wins, a second operand's error is
// copied into the first) and its code returned. The second operand is never
// changed, except by BcdCompare, which copies an error b into a.
//
// Operands are widened to the extended form, computed by a digit routine
// (number/digits/digits.h), rounded half up to 15 digits and narrowed back.
// Angle units are 0 degrees, 1 radians, 2 grads (the SET UP Angle values).
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Comparison codes: a against b, or a number against zero (BcdSign).
enum BcdCompareCode : u16 {
  BCD_CMP_EQUAL = 1,
  BCD_CMP_LESS = 2,
  BCD_CMP_GREATER = 4,
  BCD_CMP_ERROR = 240,
};

// ---------------------------------------------------------------- constants
// Working-form constants (all 12 bytes written); each returns dst.
BcdWork *BcdOne(BcdWork *dst);
BcdWork *BcdZero(BcdWork *dst);
BcdWork *BcdHalf(BcdWork *dst);
BcdWork *BcdInt16Max(BcdWork *dst);   // 32767
BcdWork *BcdInt16Min(BcdWork *dst);   // -32768
BcdWork *BcdInt32Max(BcdWork *dst);   // 2147483647
BcdWork *BcdInt32Min(BcdWork *dst);   // -2147483648
BcdWork *BcdPi(BcdWork *dst);         // 3.14159265358980
BcdWork *BcdTwoPi(BcdWork *dst);      // 6.28318530717960
BcdWork *BcdHalfPi(BcdWork *dst);     // 1.57079632679490
BcdWork *BcdQuarterPi(BcdWork *dst);  // 0.785398163397450
BcdWork *BcdE(BcdWork *dst);          // 2.71828182845905
BcdWork *BcdLn10(BcdWork *dst);       // 2.30258509299405
BcdWork *BcdThreeHalvesPi(BcdWork *dst);  // 4.71238898038470
BcdWork *Bcd180(BcdWork *dst);
BcdWork *Bcd270(BcdWork *dst);
BcdWork *Bcd360(BcdWork *dst);
BcdWork *Bcd90(BcdWork *dst);
BcdWork *BcdTrigLimitDeg(BcdWork *dst);  // 9 x 10^9
BcdWork *BcdTrigLimitRad(BcdWork *dst);  // 157079632.679489
BcdWork *BcdTrigLimitGra(BcdWork *dst);  // 1 x 10^10
BcdWork *BcdSmallArg(BcdWork *dst);      // 1 x 10^-7
BcdWork *BcdHugeArg(BcdWork *dst);       // 5 x 10^999
BcdWork *BcdNegHugeArg(BcdWork *dst);    // -5 x 10^999
BcdWork *BcdTen10(BcdWork *dst);         // 1 x 10^10

// Extended-form constants (23 digits); each returns dst.
BcdExt *BcdExtPi(BcdExt *dst);             // 3.1415926535897932384626
BcdExt *BcdExtTwoPi(BcdExt *dst);          // 6.2831853071795864769253
BcdExt *BcdExt180(BcdExt *dst);
BcdExt *BcdExt200(BcdExt *dst);
BcdExt *BcdExtNineTenths(BcdExt *dst);     // 0.9
BcdExt *BcdExt200OverPi(BcdExt *dst);      // 63.661977236758134307554
BcdExt *BcdExtPiOver200(BcdExt *dst);      // 0.015707963267948966192313

// ---------------------------------------------------------------- operations
// By operation number (the number in brackets).
i16 BcdAdd(BcdWork *a, const BcdWork *b);   // (0)
i16 BcdSub(BcdWork *a, const BcdWork *b);   // (1)
i16 BcdMul(BcdWork *a, const BcdWork *b);   // (2)
i16 BcdDiv(BcdWork *a, const BcdWork *b);   // (3) by zero: UNDEF (packs to Ma ERROR)
i16 BcdPow(BcdWork *a, const BcdWork *b);   // (4)
i16 BcdRelEq(BcdWork *a, const BcdWork *b);  // (5) a := 1 or 0
i16 BcdRelNe(BcdWork *a, const BcdWork *b);  // (6)
i16 BcdRelLt(BcdWork *a, const BcdWork *b);  // (7)
i16 BcdRelGt(BcdWork *a, const BcdWork *b);  // (8)
i16 BcdRelLe(BcdWork *a, const BcdWork *b);  // (9)
i16 BcdRelGe(BcdWork *a, const BcdWork *b);  // (10)
i16 BcdSqrt(BcdWork *a);                     // (11)
i16 BcdExp(BcdWork *a);                      // (12)
i16 BcdLn(BcdWork *a);                       // (13)
i16 BcdLog10(BcdWork *a);                    // (14)
i16 BcdSin(BcdWork *a, u16 unit);            // (15)
i16 BcdCos(BcdWork *a, u16 unit);            // (16)
i16 BcdTan(BcdWork *a, u16 unit);            // (17)
i16 BcdAsin(BcdWork *a, u16 unit);           // (18)
i16 BcdAcos(BcdWork *a, u16 unit);           // (19)
i16 BcdAtan(BcdWork *a, u16 unit);           // (20)
i16 BcdSinh(BcdWork *a);                     // (21)
i16 BcdCosh(BcdWork *a);                     // (22)
i16 BcdTanh(BcdWork *a);                     // (23)
i16 BcdAsinh(BcdWork *a);                    // (24)
i16 BcdAcosh(BcdWork *a);                    // (25)
i16 BcdAtanh(BcdWork *a);                    // (26)
i16 BcdAbs(BcdWork *a);                      // (27)
i16 BcdSignum(BcdWork *a);                   // (28)
i16 BcdIntg(BcdWork *a);                     // (29) greatest integer <= a
i16 BcdInt(BcdWork *a);                      // (30) toward zero
i16 BcdFrac(BcdWork *a);                     // (31)
i16 BcdExp10(BcdWork *a);                    // (33)
i16 BcdCint(BcdWork *a);                     // (34) nearest, halves away from zero
i16 BcdFactorial(BcdWork *a);                // (35)
i16 BcdNpr(BcdWork *a, const BcdWork *b);    // (36)
i16 BcdNcr(BcdWork *a, const BcdWork *b);    // (37)
i16 BcdFromDegrees(BcdWork *a, u16 unit);    // (38)
i16 BcdFromRadians(BcdWork *a, u16 unit);    // (39)
i16 BcdFromGrads(BcdWork *a, u16 unit);      // (40)
i16 BcdLogicAnd(BcdWork *a, const BcdWork *b);  // (41)
i16 BcdLogicOr(BcdWork *a, const BcdWork *b);   // (42)
i16 BcdLogicNot(BcdWork *a);                    // (43)
i16 BcdNormalize(BcdWork *a);                   // (44)
i16 BcdMod(BcdWork *a, const BcdWork *b);       // (45) sign of a
i16 BcdLogs(BcdWork *a);                        // (46) ln(1 + a)
i16 BcdLog10s(BcdWork *a);                      // (47) log10(1 + a)
i16 BcdAddMaru(BcdWork *a, const BcdWork *b);   // (48) cancellation rule
i16 BcdSubMaru(BcdWork *a, const BcdWork *b);   // (49) cancellation rule
i16 BcdNeg(BcdWork *a);                         // (50)
i16 BcdExp10s(BcdWork *a);                      // (64) 10^a - 1

// ---------------------------------------------------------------- direct
// n from 0 to 10 exactly; above 10 the error value 16 (returned).
i16 BcdFromSmallInt(u16 n, BcdWork *out);
// BcdCompareCode of a against b; an error a gives 240, an error b is copied
// into a and 240 returned.
u16 BcdCompare(BcdWork *a, const BcdWork *b);
// BcdCompare of two positive numbers as RealUnpack writes them (d1 from 1
// to 9, exponent word 0x0901-0x1099): 1 with *code set, as one comparison
// of the words and then of the digits; 0 for any other pair, which
// BcdCompare then decides.
inline bool BcdComparePositive(const BcdWork *a, const BcdWork *b, u16 *code) {
  const u32 ha = a->b[10], hb = b->b[10];
  if ((ha != 0x09 && ha != 0x10) || (hb != 0x09 && hb != 0x10)) return false;
  if (static_cast<u8>(a->b[0] - 1) >= 9 || static_cast<u8>(b->b[0] - 1) >= 9) return false;
  const u32 wa = ha << 8 | a->b[11], wb = hb << 8 | b->b[11];
  u64 da, db;
  __builtin_memcpy(&da, a->b, 8);
  __builtin_memcpy(&db, b->b, 8);
  da = __builtin_bswap64(da);
  db = __builtin_bswap64(db);
  if (wa != wb) {
    *code = wa < wb ? BCD_CMP_LESS : BCD_CMP_GREATER;
  } else if (da != db) {
    *code = da < db ? BCD_CMP_LESS : BCD_CMP_GREATER;
  } else {
    *code = BCD_CMP_EQUAL;
  }
  return true;
}
u16 BcdSign(const BcdWork *a);       // 1 zero, 2 negative, 4 positive, 240 error
u16 BcdZeroCode(const BcdWork *a);   // 1 zero, 6 not zero, 240 error
// 1 when exponent words and digit bytes are identical, else 6; errors as
// BcdCompare.
u16 BcdSameCode(BcdWork *a, const BcdWork *b);
u16 BcdIsNonInteger(const BcdWork *a);  // 1 when Frac(a) != 0
u16 BcdWordIsNegative(u16 word);        // 1 when the word is above 0x4FFF
// 240 when either part of the pair (real part, imaginary part) is an error,
// 1 when the imaginary part is a zero number, 2 otherwise.
u16 BcdComplexKind(const BcdWork pair[2]);
u16 BcdErrorCode(const BcdWork *a);
i16 BcdExponent(const BcdWork *a);  // 0 for zero, 5000 for an error
// a := a * 10^n; n >= 1999 gives 3, n < -1998 gives zero.
i16 BcdScale10(BcdWork *a, i16 n);
i16 BcdSquare(BcdWork *a);
// Keeps the first n - 1 significant digits after adding 5 (RoundUp: 9) at
// digit n; n outside 1..15 gives 16.
i16 BcdRoundDigits(BcdWork *a, u16 n);
i16 BcdRoundUpDigits(BcdWork *a, u16 n);
i16 BcdFromInt16(i16 n, BcdWork *out);
// Int(x) into *out; outside -32768..32767 gives 16 with *out unchanged.
i16 BcdToInt16(const BcdWork *x, i16 *out);
i16 BcdFromInt32(i32 n, BcdWork *out);
i16 BcdToInt32(const BcdWork *x, i32 *out);
// Angle of the point (x, y) in the unit, into x, in (-half turn, half turn].
i16 BcdAtan2(BcdWork *x, const BcdWork *y, u16 unit);

// Extended-form operations, without widening or rounding.
i16 BcdExtAtanUnit(BcdExt *a, u16 unit);
i16 BcdExtAdd(BcdExt *a, const BcdExt *b);
i16 BcdExtSub(BcdExt *a, const BcdExt *b);
i16 BcdExtAddMaru(BcdExt *a, const BcdExt *b);
i16 BcdExtSubMaru(BcdExt *a, const BcdExt *b);
i16 BcdExtMul(BcdExt *a, const BcdExt *b);
i16 BcdExtDiv(BcdExt *a, const BcdExt *b);
i16 BcdExtSqrt(BcdExt *a);
i16 BcdExtSquare(BcdExt *a);
i16 BcdExtScale10(BcdExt *a, i16 n);
