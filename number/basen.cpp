// Base-N bitwise logic. A real converts to bits through its greatest integer
// (5.7 gives 5, -1.5 gives -2), computed exactly from its digits.
#include "number/basen.h"

#include <cstring>

#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"

namespace {

bool IsError(const BcdReal *x) { return (x->b[0] >> 4) == 0xF; }

// Greatest integer not above x into *out with *isInt telling whether x was
// an integer; false when x is beyond +-10^17 (outside every width).
bool Floor(const BcdReal *x, i64 *out, bool *isInt) {
  if ((x->b[0] & 0x0F) == 0x0A) {
    NumFracParts p;
    NumFracUnpack(x, &p);
    u64 w, n;
    if (!NumToU64(&p.whole, &w) || !NumToU64(&p.num, &n) || w >= 100000000000000000ull) return false;
    *isInt = n == 0;
    const i64 v = static_cast<i64>(w);
    *out = p.sign < 0 ? -v - (n != 0 ? 1 : 0) : v;
    return true;
  }
  NumDecimal d;
  if (!NumGetDecimal(x, &d)) {
    *out = 0;
    *isInt = true;
    return true;
  }
  if (d.exp > 16) return false;
  i64 ip = 0;
  bool frac = false;
  for (int i = 0; i < 15; ++i) {
    if (i <= d.exp) ip = ip * 10 + d.d[i];
    else if (d.d[i] != 0) frac = true;
  }
  for (int i = 15; i <= d.exp; ++i) ip *= 10;
  *isInt = !frac;
  *out = d.sign < 0 ? -ip - (frac ? 1 : 0) : ip;
  return true;
}

int WidthFlag() { return SetupGetItem(kSetupMode) == 1 ? 1 : 0; }

enum BitOp { kAnd, kOr, kXor, kXnor, kNot };

BcdReal *Combine(BitOp op, const BcdReal *a, const BcdReal *b, BcdReal *dst) {
  if (RealPassError(a, b, dst)) return dst;
  const int flag = WidthFlag();
  const int w = flag == 1 ? 16 : 32;
  u32 ba[32], bb[32], r[32];
  if (!RealToBits(a, ba, flag) || (b && !RealToBits(b, bb, flag))) {
    RealMakeError(3, dst);
    return dst;
  }
  std::memset(r, 0, sizeof r);
  for (int i = 0; i < w; ++i) {
    switch (op) {
      case kAnd: r[i] = ba[i] & bb[i]; break;
      case kOr: r[i] = ba[i] | bb[i]; break;
      case kXor: r[i] = ba[i] ^ bb[i]; break;
      case kXnor: r[i] = 1 - (ba[i] ^ bb[i]); break;
      case kNot: r[i] = 1 - ba[i]; break;
    }
  }
  return RealFromBits(r, dst, flag);
}

}  // namespace

int RealToBits(const BcdReal *x, BasenBits bits, int flag) {
  if (IsError(x)) return 0;
  const int w = flag == 1 ? 16 : 32;
  const i64 max = (i64{1} << (w - 1)) - 1;
  const i64 min = -(i64{1} << (w - 1));
  i64 f = 0;
  bool isInt = false;
  if (!Floor(x, &f, &isInt)) return 0;
  if (f > max || (f == max && !isInt) || f < min) return 0;
  const u64 u = static_cast<u64>(f) & ((u64{1} << w) - 1);
  for (int i = 0; i < w; ++i) bits[i] = static_cast<u32>((u >> i) & 1);
  return 1;
}

BcdReal *RealFromBits(const BasenBits bits, BcdReal *dst, int flag) {
  const int w = flag == 1 ? 16 : 32;
  i64 acc = 0;
  for (int i = w - 1; i >= 0; --i) acc = acc * 2 + (bits[i] != 0 ? 1 : 0);
  if (acc > (i64{1} << (w - 1)) - 1) acc -= i64{1} << w;
  RealSetZero(dst);
  return NumFromInt32(static_cast<i32>(acc), dst);
}

BcdReal *RealBitAnd(const BcdReal *a, const BcdReal *b, BcdReal *dst) { return Combine(kAnd, a, b, dst); }
BcdReal *RealBitOr(const BcdReal *a, const BcdReal *b, BcdReal *dst) { return Combine(kOr, a, b, dst); }
BcdReal *RealBitXor(const BcdReal *a, const BcdReal *b, BcdReal *dst) { return Combine(kXor, a, b, dst); }
BcdReal *RealBitXnor(const BcdReal *a, const BcdReal *b, BcdReal *dst) { return Combine(kXnor, a, b, dst); }
BcdReal *RealBitNot(const BcdReal *a, BcdReal *dst) { return Combine(kNot, a, nullptr, dst); }
