// The basic services of the number core that every subsystem uses.
#include "number/real.h"

#include <cstring>
#include <initializer_list>

u16 BcdGetWord(const BcdWork *w) { return static_cast<u16>(w->b[10] << 8 | w->b[11]); }

void BcdSetWord(BcdWork *w, u16 word) {
  w->b[10] = static_cast<u8>(word >> 8);
  w->b[11] = static_cast<u8>(word & 0xFF);
}

BcdReal *RealSetZero(BcdReal *dst) {
  std::memset(dst->b, 0, sizeof dst->b);
  return dst;
}

void RealUnpack(const BcdReal *src, BcdWork *dst) {
  if (RealUnpackPlain(src, dst)) return;
  // An error value becomes the working error value with its code (rather
  // than a number with a meaningless exponent word).
  if (const u8 code = RealErrorCode(src)) {
    BcdMakeError(code, dst);
    return;
  }
  constexpr u16 kMaError = 3;
  if (!RealIsWellFormed(src)) {
    BcdMakeError(kMaError, dst);
    return;
  }
  RealUnpackChecked(src, dst);
}

void RealUnpackChecked(const BcdReal *src, BcdWork *dst) {
  // A fraction is made decimal first, on a private copy.
  BcdReal dec;
  if (RealIsFrac(src)) src = RealFracToDecimal(src, &dec);
  // Working bytes 0-7 are the stored bytes 1-8 with the exponent's low digit
  // (high nibble of stored byte 1) cleared, leaving d1 in the low nibble.
  const u8 b0 = src->b[0], b1 = src->b[1];
  std::memmove(dst->b, src->b + 1, 8);
  dst->b[0] &= 0x0F;
  dst->b[8] = 0;
  dst->b[9] = 0;
  if (dst->b[0] == 0) {
    std::memset(dst->b, 0, 8);
    BcdSetWord(dst, 0);
    return;
  }
  const u16 s = b0 >> 4;
  const u16 x1 = b0 & 0x0F;
  const u16 x2 = b1 >> 4;
  u16 word = static_cast<u16>(s << 12 | x1 << 4 | x2);
  if (s == 0 || s == 5) word = static_cast<u16>(word + 0x0900);
  BcdSetWord(dst, word);
}

namespace {

// Nibble n of a stored real (0 = high nibble of byte 0).
u8 StoredNibble(const BcdReal *x, int n) {
  const u8 b = x->b[n / 2];
  return (n & 1) ? (b & 0x0F) : (b >> 4);
}

int FracIsWellFormed(const BcdReal *x) {
  const int count = (x->b[1] >> 4) + 1;
  if (count > 10) return 0;
  int separators = 0, fieldDigits = 0, lastFieldNonZero = 0;
  for (int i = 0; i < count; ++i) {
    const u8 v = StoredNibble(x, 3 + i);
    if (v > 10) return 0;
    if (v == 10) {
      if (fieldDigits == 0 || ++separators > 2) return 0;
      fieldDigits = 0;
      lastFieldNonZero = 0;
    } else {
      ++fieldDigits;
      lastFieldNonZero |= v != 0;
    }
  }
  return separators >= 1 && fieldDigits > 0 && lastFieldNonZero;
}

}  // namespace

int RealIsWellFormed(const BcdReal *x) {
  const u8 s = x->b[0] >> 4;
  if (s == 0xF) return x->b[1] != 0;  // an error value carries its code
  if ((x->b[0] & 0x0F) == 0x0A) return (s == 1 || s == 5 || s == 6) && FracIsWellFormed(x);
  if ((x->b[1] & 0x0F) == 0) return 1;  // d1 = 0: every reader takes it as zero
  if (s != 0 && s != 1 && s != 5 && s != 6) return 0;
  if ((x->b[0] & 0x0F) > 9) return 0;
  // Bytes 1-8 hold the exponent's low digit and d1..d15.
  u64 v;
  std::memcpy(&v, x->b + 1, 8);
  if (!RealDigitBytesDecimal(v)) return 0;
  // A negative exponent stored as 00 would be 10^-100: below the range.
  if ((s == 0 || s == 5) && (x->b[0] & 0x0F) == 0 && (x->b[1] >> 4) == 0) return 0;
  return 1;
}

void ValSplit(const Value *v, CplxPair *out) {
  if (ValErrorCode(v) != 0) {
    std::memcpy(out->re.b, v->re.b, 12);
    return;
  }
  out->re = v->re;
  out->re.b[0] &= 0x7F;
  if (v->re.b[0] & 0x80)
    out->im = v->im;
  else
    RealSetZero(&out->im);
}

// ---------------------------------------------------------------- stored and working forms

#include "number/bcd.h"
#include "number/numparse.h"

u16 BcdExtGetWord(const BcdExt *x) { return static_cast<u16>(x->b[12] << 8 | x->b[13]); }

void BcdExtSetWord(BcdExt *x, u16 word) {
  x->b[12] = static_cast<u8>(word >> 8);
  x->b[13] = static_cast<u8>(word & 0xFF);
}

BcdReal *RealMakeError(u8 code, BcdReal *dst) {
  dst->b[0] = 0xF0;
  dst->b[1] = code;
  return dst;
}

u8 RealErrorCode(const void *v) { return ValErrorCode(v); }

int RealIsFrac(const BcdReal *x) { return (x->b[0] & 0x0F) == 0x0A; }

BcdReal *RealPack(const BcdWork *src, BcdReal *dst) {
  constexpr u8 kMaError = 3;
  if (src->b[0] >> 4) return RealMakeError(kMaError, dst);
  if ((src->b[0] & 0x0F) == 0) return RealSetZero(dst);
  const u16 word = BcdGetWord(src);
  const u8 t = word >> 12, h = (word >> 8) & 0x0F, x1 = (word >> 4) & 0x0F, x2 = word & 0x0F;
  if (t == 1 || t == 6) {
    if (h != 0) return RealMakeError(kMaError, dst);
  } else if (t == 0 || t == 5) {
    if (h != 9 || (word & 0xFF) == 0) return RealSetZero(dst);
  } else {
    return RealMakeError(kMaError, dst);
  }
  std::memmove(dst->b + 1, src->b, 8);
  dst->b[0] = static_cast<u8>(t << 4 | x1);
  dst->b[1] = static_cast<u8>(x2 << 4 | (dst->b[1] & 0x0F));
  return dst;
}

u16 BcdMakeError(u16 code, BcdWork *dst) {
  std::memset(dst->b, 0, 12);
  dst->b[0] = 0xF0;
  BcdSetWord(dst, code);
  return code;
}

u16 BcdExtMakeError(u16 code, BcdExt *dst) {
  std::memset(dst->b, 0, 14);
  dst->b[0] = 0xF0;
  BcdExtSetWord(dst, code);
  return code;
}

u16 BcdExtFromSmallInt(u16 n, BcdExt *dst) {
  constexpr u16 kDomainError = 16;
  if (n > 10) return BcdExtMakeError(kDomainError, dst);
  std::memset(dst->b, 0, 14);
  if (n == 0) return 0;
  dst->b[0] = static_cast<u8>(n == 10 ? 1 : n);
  BcdExtSetWord(dst, n == 10 ? 0x1001 : 0x1000);
  return 0;
}

u16 BcdKind(const BcdWork *x) {
  switch (x->b[0] >> 4) {
    case BCD_NIB_ERROR: return BCD_KIND_ERROR;
    case BCD_NIB_NUMBER: return BCD_KIND_NUMBER;
    case BCD_NIB_INF: return BcdGetWord(x) < 0x5000 ? BCD_KIND_POS_INF : BCD_KIND_NEG_INF;
    case BCD_NIB_FALSE: return BCD_KIND_FALSE;
    case BCD_NIB_TRUE: return BCD_KIND_TRUE;
    default: return BCD_KIND_UNDEF;
  }
}

// ---------------------------------------------------------------- fractions

BcdReal *RealFracToDecimal(const BcdReal *src, BcdReal *dst) {
  if (!RealIsWellFormed(src)) {
    RealMakeError(3, RealSetZero(dst));
    return dst;
  }
  if (!RealIsFrac(src) || RealErrorCode(src)) {
    if (dst != src) *dst = *src;
    return dst;
  }
  NumFracParts p;
  NumFracUnpack(src, &p);
  BcdWork whole, num, den;
  RealUnpack(&p.whole, &whole);
  RealUnpack(&p.num, &num);
  RealUnpack(&p.den, &den);
  // whole + num / den, each step through the stored form as the stored
  // operations do, negated for a negative fraction.
  BcdReal r;
  BcdDiv(&num, &den);
  RealPack(&num, &r);
  RealUnpack(&r, &num);
  BcdAdd(&num, &whole);
  RealPack(&num, &r);
  if (p.sign < 0) {
    RealUnpack(&r, &num);
    BcdNeg(&num);
    RealPack(&num, &r);
  }
  std::memmove(dst->b, r.b, 9);
  return dst;
}

// ---------------------------------------------------------------- stored constants

namespace {

BcdReal *SetAll(BcdReal *dst, std::initializer_list<u8> bytes) {
  std::memset(dst->b, 0, 12);
  int i = 0;
  for (u8 b : bytes) dst->b[i++] = b;
  return dst;
}

BcdReal *SetNine(BcdReal *dst, std::initializer_list<u8> bytes) {
  int i = 0;
  for (u8 b : bytes) dst->b[i++] = b;
  return dst;
}

}  // namespace

BcdReal *RealSetOne(BcdReal *d) { return SetAll(d, {0x10, 0x01}); }
BcdReal *RealSetTwo(BcdReal *d) { return SetAll(d, {0x10, 0x02}); }
BcdReal *RealSetFive(BcdReal *d) { return SetAll(d, {0x10, 0x05}); }
BcdReal *RealSetTen(BcdReal *d) { return SetAll(d, {0x10, 0x11}); }
BcdReal *RealSetOneThird(BcdReal *d) { return SetAll(d, {0x1A, 0x21, 0xA3}); }
BcdReal *RealSetHalf(BcdReal *d) { return SetAll(d, {0x09, 0x95}); }
BcdReal *RealSet32767(BcdReal *d) { return SetAll(d, {0x10, 0x43, 0x27, 0x67}); }
BcdReal *RealSetMinus32768(BcdReal *d) { return SetAll(d, {0x60, 0x43, 0x27, 0x68}); }
BcdReal *RealSet65536(BcdReal *d) { return SetAll(d, {0x10, 0x46, 0x55, 0x36}); }
BcdReal *RealSet2147483647(BcdReal *d) { return SetAll(d, {0x10, 0x92, 0x14, 0x74, 0x83, 0x64, 0x70}); }
BcdReal *RealSetMinus2147483648(BcdReal *d) { return SetAll(d, {0x60, 0x92, 0x14, 0x74, 0x83, 0x64, 0x80}); }
BcdReal *RealSet4294967296(BcdReal *d) { return SetAll(d, {0x10, 0x94, 0x29, 0x49, 0x67, 0x29, 0x60}); }
BcdReal *RealSetPi(BcdReal *d) { return SetNine(d, {0x10, 0x03, 0x14, 0x15, 0x92, 0x65, 0x35, 0x89, 0x80}); }
BcdReal *RealSetTwoPi(BcdReal *d) { return SetNine(d, {0x10, 0x06, 0x28, 0x31, 0x85, 0x30, 0x71, 0x79, 0x60}); }
BcdReal *RealSetHalfPi(BcdReal *d) { return SetNine(d, {0x10, 0x01, 0x57, 0x07, 0x96, 0x32, 0x67, 0x94, 0x90}); }
BcdReal *RealSetQuarterPi(BcdReal *d) { return SetNine(d, {0x09, 0x97, 0x85, 0x39, 0x81, 0x63, 0x39, 0x74, 0x50}); }
BcdReal *RealSetE(BcdReal *d) { return SetNine(d, {0x10, 0x02, 0x71, 0x82, 0x81, 0x82, 0x84, 0x59, 0x04}); }
BcdReal *RealSetLn10(BcdReal *d) { return SetNine(d, {0x10, 0x02, 0x30, 0x25, 0x85, 0x09, 0x29, 0x94, 0x05}); }
BcdReal *RealSetLn2(BcdReal *d) { return SetNine(d, {0x09, 0x96, 0x93, 0x14, 0x71, 0x80, 0x55, 0x99, 0x45}); }
BcdReal *RealSetLimit(BcdReal *d) { return SetAll(d, {0x19, 0x99, 0x99}); }
BcdReal *RealSetNegLimit(BcdReal *d) { return SetAll(d, {0x69, 0x99, 0x99}); }
BcdReal *RealSetMax(BcdReal *d) {
  return SetAll(d, {0x19, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99});
}
BcdReal *RealSet227_85(BcdReal *d) { return SetAll(d, {0x10, 0x22, 0x27, 0x85}); }
BcdReal *RealSetSqrt2(BcdReal *d) { return SetNine(d, {0x10, 0x01, 0x41, 0x42, 0x13, 0x56, 0x23, 0x73, 0x10}); }
BcdReal *RealSetHalfSqrt2(BcdReal *d) { return SetNine(d, {0x09, 0x97, 0x07, 0x10, 0x67, 0x81, 0x18, 0x65, 0x48}); }
BcdReal *RealSetSqrt2Pi(BcdReal *d) { return SetNine(d, {0x10, 0x02, 0x50, 0x66, 0x28, 0x27, 0x46, 0x31, 0x00}); }
