// The calculator's numbers: the stored real, the working and extended forms,
// and the 24-byte typed value. These layouts are stored in main memory and in
// files, so every byte position is fixed.
#pragma once
#include "kernel/types.h"

// Stored real, 12 bytes: sign-and-exponent nibble, two exponent digits and
// 15 packed-decimal mantissa digits in bytes 0-8; bytes 9-11 carry nothing.
// High nibble 0xF of byte 0 marks an error value (code in byte 1); low
// nibble 0xA of byte 0 marks an exact fraction.
struct BcdReal {
  u8 b[12];
};

// Working form, 12 bytes: kind nibble and 15 digits in bytes 0-7, bytes 8-9
// zero, bytes 10-11 the exponent word (BCD of e + 1000, plus 0x5000 when
// negative). The word is only handled as a u16 through BcdGetWord and
// BcdSetWord; in memory its high byte comes first.
struct BcdWork {
  u8 b[12];
};

// Extended form: kind nibble and 23 digits (15 working digits, then 8 guard
// digits) in bytes 0-11, the exponent word in bytes 12-13 (high byte first).
struct BcdExt {
  u8 b[14];
};

// Typed value, 24 bytes: real part then imaginary part. Bit 7 of byte 0 is
// the complex flag; byte 0 & 0x70 of 0x20 / 0x30 makes it a list / matrix
// header (EvalArrayHeader).
struct Value {
  BcdReal re;
  BcdReal im;
};

// A complex number as two plain stored reals (complex flag clear).
struct CplxPair {
  BcdReal re;
  BcdReal im;
};

static_assert(sizeof(BcdReal) == 12);
static_assert(sizeof(BcdWork) == 12);
static_assert(sizeof(BcdExt) == 14);
static_assert(sizeof(Value) == 24);
static_assert(sizeof(CplxPair) == 24);

// Exponent word of a working form (bytes 10-11).
u16 BcdGetWord(const BcdWork *w);
void BcdSetWord(BcdWork *w, u16 word);

// Writes the stored value 0 (twelve zero bytes) and returns the destination.
BcdReal *RealSetZero(BcdReal *dst);
// Stored form (number or fraction) to working form; fills all 12 bytes. An
// error value gives the working error value with the same code; a malformed
// real (see RealIsWellFormed) gives the working error value 3 (Ma ERROR).
void RealUnpack(const BcdReal *src, BcdWork *dst);
// RealUnpack of a value already known to be well formed and not an error
// (RealPassError let it through): the same working number, without the
// checks.
void RealUnpackChecked(const BcdReal *src, BcdWork *dst);
// 1 when bytes 0-8 hold a real every reader of the stored form reads alike:
// an error value with a code other than 0; a number whose first digit is 0
// (zero, whatever follows); a number with sign code 0, 1, 5 or 6 whose
// exponent and 15 digits are decimal digits, a negative exponent not stored
// as 00; a fraction with sign code 1, 5 or 6 of at most 10 nibbles holding
// two or three non-empty decimal fields, the last one not zero. Reals read
// from outside (files, images) pass this test before anything computes with
// them.
int RealIsWellFormed(const BcdReal *x);
// Whether the eight bytes after byte 0 of a stored real (the exponent's low
// digit and d1..d15, read as one little-endian word) hold decimal digits
// only: a nibble above 9 carries into bit 4 of its byte once 6 is added.
inline bool RealDigitBytesDecimal(u64 v) {
  constexpr u64 kLow = 0x0F0F0F0F0F0F0F0Full, kSix = 0x0606060606060606ull, kCarry = 0x1010101010101010ull;
  return ((((v & kLow) + kSix) | (((v >> 4) & kLow) + kSix)) & kCarry) == 0;
}
// RealUnpack of a plain decimal number in one pass, checks included: 1 with
// dst set when src is a well-formed number of sign code 0, 1, 5 or 6 (not a
// fraction, not an error), the same working form RealUnpack gives it; 0
// for anything else, dst untouched (the full RealUnpack decides then).
inline bool RealUnpackPlain(const BcdReal *src, BcdWork *dst) {
  const u8 b0 = src->b[0];
  const u32 s = b0 >> 4, x1 = b0 & 0x0F;
  if (((0x63u >> s) & 1) == 0 || x1 > 9) return false;
  u64 v;
  __builtin_memcpy(&v, src->b + 1, 8);
  const u32 b1 = static_cast<u32>(v & 0xFF);
  if ((b1 & 0x0F) == 0) {
    // d1 = 0: zero.
    __builtin_memset(dst->b, 0, 12);
    return true;
  }
  if (!RealDigitBytesDecimal(v)) return false;
  const bool negExp = s == 0 || s == 5;
  if (negExp && x1 == 0 && (b1 >> 4) == 0) return false;  // 10^-100
  v &= ~u64{0xF0};
  __builtin_memcpy(dst->b, &v, 8);
  const u32 word = (s << 12 | x1 << 4 | b1 >> 4) + (negExp ? 0x0900u : 0u);
  dst->b[8] = 0;
  dst->b[9] = 0;
  dst->b[10] = static_cast<u8>(word >> 8);
  dst->b[11] = static_cast<u8>(word);
  return true;
}
// The stored form of a plain working number whose stored form unpacks to it
// again (kind number, d1 not 0, bytes 8-9 zero, an exponent the stored form
// holds): 1 with *byte0 and *digits (bytes 1-8, little-endian) as RealPack
// writes them; 0 for anything else (RealPack decides).
inline bool RealPlainStoredWords(const BcdWork *src, u8 *byte0, u64 *digits) {
  // Byte 0 from 0x01 to 0x0F: kind number, d1 not 0.
  if (static_cast<u8>(src->b[0] - 1) >= 0x0F || (src->b[8] | src->b[9]) != 0) return false;
  // Word high byte: sign code 1 or 6 with digit 0 (exponent 0 to 99), or 0
  // or 5 with digit 9 and an exponent above -100.
  const u32 hi = src->b[10], lo = src->b[11];
  if (hi != 0x10 && hi != 0x60 && ((hi != 0x09 && hi != 0x59) || lo == 0)) return false;
  u64 v;
  __builtin_memcpy(&v, src->b, 8);
  *digits = (v & ~u64{0xF0}) | u64{(lo & 0x0F) << 4};
  *byte0 = static_cast<u8>((hi & 0xF0) | lo >> 4);
  return true;
}
// RealPack of such a plain working number: 1 with bytes 0-8 of dst written
// as RealPack writes them, bytes 9-11 left alone; 0 for anything else, dst
// untouched (RealPack decides).
inline bool RealPackPlain(const BcdWork *src, BcdReal *dst) {
  u8 b0;
  u64 v;
  if (!RealPlainStoredWords(src, &b0, &v)) return false;
  __builtin_memcpy(dst->b + 1, &v, 8);
  dst->b[0] = b0;
  return true;
}
// Error code of a stored real or value: byte 1 when byte 0's high nibble is
// 0xF, else 0 (the same test as RealErrorCode).
inline u8 ValErrorCode(const void *v) {
  const u8 *p = static_cast<const u8 *>(v);
  return (p[0] >> 4) == 0xF ? p[1] : 0;
}
// Real part (complex flag cleared) and imaginary part (zero for a real). An
// error value is copied to the real half and the imaginary half left alone.
void ValSplit(const Value *v, CplxPair *out);

// Kinds of a working number (BcdKind).
enum BcdKindCode : u16 {
  BCD_KIND_TRUE = 0,
  BCD_KIND_FALSE = 1,
  BCD_KIND_POS_INF = 2,
  BCD_KIND_NEG_INF = 3,
  BCD_KIND_NUMBER = 4,
  BCD_KIND_UNDEF = 5,
  BCD_KIND_ERROR = 240,
};

// Kind nibbles (high nibble of byte 0) of the working and extended forms.
constexpr u8 BCD_NIB_NUMBER = 0x0;
constexpr u8 BCD_NIB_INF = 0x4;
constexpr u8 BCD_NIB_UNDEF = 0x8;
constexpr u8 BCD_NIB_TRUE = 0x9;
constexpr u8 BCD_NIB_FALSE = 0xA;
constexpr u8 BCD_NIB_ERROR = 0xF;

// Exponent word of an extended form (bytes 12-13).
u16 BcdExtGetWord(const BcdExt *x);
void BcdExtSetWord(BcdExt *x, u16 word);

// Working form to stored form. A special kind (infinity, UNDEF, TRUE, FALSE,
// error) or an exponent of 100 or more gives Ma ERROR (code 3); an exponent
// below -99 gives zero. Bytes 9-11 of the destination are left alone unless
// the result is zero. Returns dst.
BcdReal *RealPack(const BcdWork *src, BcdReal *dst);
// Stored error value: byte 0 = 0xF0, byte 1 = code; writes bytes 0-1 only.
BcdReal *RealMakeError(u8 code, BcdReal *dst);
// Error code of a stored real or value (byte 1 when byte 0's high nibble is
// 0xF), else 0.
u8 RealErrorCode(const void *v);
// Non-zero when the stored real is an exact fraction (low nibble 0xA).
int RealIsFrac(const BcdReal *x);
// A fraction replaced by its decimal value whole + numerator / denominator
// (each step rounded to 15 digits); a malformed real (RealIsWellFormed)
// becomes Ma ERROR; any other value copied. Returns dst.
BcdReal *RealFracToDecimal(const BcdReal *src, BcdReal *dst);

// Working error value: kind 0xF, code in the exponent word. Returns code.
u16 BcdMakeError(u16 code, BcdWork *dst);
// Extended error value. Returns code.
u16 BcdExtMakeError(u16 code, BcdExt *dst);
// n from 0 to 10 exactly in the extended form; above 10 the error value 16.
// Returns 0 or 16.
u16 BcdExtFromSmallInt(u16 n, BcdExt *dst);
// Kind of a working number.
u16 BcdKind(const BcdWork *x);

// Stored constants: each writes the constant and returns dst. Those marked
// (0-8) write bytes 0-8 only; the others clear all 12 bytes first.
BcdReal *RealSetOne(BcdReal *dst);
BcdReal *RealSetTwo(BcdReal *dst);
BcdReal *RealSetFive(BcdReal *dst);
BcdReal *RealSetTen(BcdReal *dst);
BcdReal *RealSetOneThird(BcdReal *dst);  // the fraction 1/3
BcdReal *RealSetHalf(BcdReal *dst);
BcdReal *RealSet32767(BcdReal *dst);
BcdReal *RealSetMinus32768(BcdReal *dst);
BcdReal *RealSet65536(BcdReal *dst);
BcdReal *RealSet2147483647(BcdReal *dst);
BcdReal *RealSetMinus2147483648(BcdReal *dst);
BcdReal *RealSet4294967296(BcdReal *dst);
BcdReal *RealSetPi(BcdReal *dst);         // 3.14159265358980 (0-8)
BcdReal *RealSetTwoPi(BcdReal *dst);      // 6.28318530717960 (0-8)
BcdReal *RealSetHalfPi(BcdReal *dst);     // 1.57079632679490 (0-8)
BcdReal *RealSetQuarterPi(BcdReal *dst);  // 0.785398163397450 (0-8)
BcdReal *RealSetE(BcdReal *dst);          // 2.71828182845904 (0-8)
BcdReal *RealSetLn10(BcdReal *dst);       // 2.30258509299405 (0-8)
BcdReal *RealSetLn2(BcdReal *dst);        // 0.693147180559945 (0-8)
BcdReal *RealSetLimit(BcdReal *dst);      // 9.99 x 10^99
BcdReal *RealSetNegLimit(BcdReal *dst);   // -9.99 x 10^99
BcdReal *RealSetMax(BcdReal *dst);        // 9.99999999999999 x 10^99
BcdReal *RealSet227_85(BcdReal *dst);
BcdReal *RealSetSqrt2(BcdReal *dst);      // 1.41421356237310 (0-8)
BcdReal *RealSetHalfSqrt2(BcdReal *dst);  // 0.707106781186548 (0-8)
BcdReal *RealSetSqrt2Pi(BcdReal *dst);    // 2.50662827463100 (0-8)
