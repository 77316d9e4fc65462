// The basic services of the number core that every subsystem uses.
#include "number/real.h"

#include <cstring>

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
  // Working bytes 0-7 are the stored bytes 1-8 with the exponent's low digit
  // (high nibble of stored byte 1) cleared, leaving d1 in the low nibble.
  std::memcpy(dst->b, src->b + 1, 8);
  dst->b[0] &= 0x0F;
  dst->b[8] = 0;
  dst->b[9] = 0;
  if (dst->b[0] == 0) {
    BcdSetWord(dst, 0);
    return;
  }
  const u16 s = src->b[0] >> 4;
  const u16 x1 = src->b[0] & 0x0F;
  const u16 x2 = src->b[1] >> 4;
  u16 word = static_cast<u16>(s << 12 | x1 << 4 | x2);
  if (s == 0 || s == 5) word = static_cast<u16>(word + 0x0900);
  BcdSetWord(dst, word);
}

u8 ValErrorCode(const void *v) {
  const u8 *p = static_cast<const u8 *>(v);
  return (p[0] >> 4) == 0xF ? p[1] : 0;
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
