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
// negative). The word is kept in host order and only handled as a u16.
struct BcdWork {
  u8 b[12];
};

// Extended form: kind nibble and 23 digits in bytes 0-11, the exponent word
// in bytes 12-13.
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
// Stored form (number or fraction) to working form; fills all 12 bytes.
void RealUnpack(const BcdReal *src, BcdWork *dst);
// Error code of a stored real or value: byte 1 when byte 0's high nibble is
// 0xF, else 0.
u8 ValErrorCode(const void *v);
// Real part (complex flag cleared) and imaginary part (zero for a real). An
// error value is copied to the real half and the imaginary half left alone.
void ValSplit(const Value *v, CplxPair *out);
