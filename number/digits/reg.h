// Inside the digit routines: the 24-nibble digit register held in one
// unsigned 128-bit integer, packed-decimal arithmetic on it, exponent words,
// and the conversions between packed decimal and binary.
#pragma once
#include <cassert>

#include "kernel/types.h"
#include "number/real.h"

using u128 = unsigned __int128;

// The transcendental kernels are compiled twice (trans.cpp, and
// trans_fused.cpp for processors with fused multiply-add), so every inline
// routine of the digit layer lives in a namespace named after the build that
// compiled it: the two builds' copies never stand in for each other.
// (DIG_FUSED_COPY marks the fused build, which the target pragma of
// trans_fused.cpp does not announce through __FMA__.)
#if defined(__FMA__) || defined(DIG_FUSED_COPY)
#define DIG_FMA 1
#define DIG_KERNEL_NS fused
#else
#define DIG_FMA 0
#define DIG_KERNEL_NS plain
#endif
// Whether the fused build exists: GCC on x86-64 whose baseline lacks
// fused multiply-add (trans_fused.cpp holds the same test).
#if !defined(DIG_FUSED_COPY) && !defined(__FMA__) && defined(__x86_64__) && defined(__GNUC__) && \
    !defined(__clang__)
#define DIG_FUSED_EXISTS 1
#else
#define DIG_FUSED_EXISTS 0
#endif

namespace dig {
inline namespace DIG_KERNEL_NS {

// Register layout: nibble 23 (bits 92-95) is the kind / carry nibble, nibbles
// 22..0 are d1..d23 (d1 most significant). Bits 96-127 are zero.
constexpr u128 kMask96 = (static_cast<u128>(0xFFFFFFFFu) << 64) | ~0ull;
constexpr u128 kDigitsMask = kMask96 >> 4;  // d1..d23
constexpr u128 Rep(u64 nibblePattern64, u32 nibblePattern32) {
  return (static_cast<u128>(nibblePattern32) << 64) | nibblePattern64;
}
constexpr u128 kSixes = Rep(0x6666666666666666ull, 0x66666666u);
constexpr u128 kNines = Rep(0x9999999999999999ull, 0x99999999u);
// Bits 4, 8, ..., 96: carries into nibbles 1..24.
constexpr u128 kCarryBits = (static_cast<u128>(1) << 96) | Rep(0x1111111111111110ull, 0x11111111u);
constexpr u128 kGuardMask = 0xFFFFFFFFull;  // d16..d23

constexpr u128 One(int nibble) { return static_cast<u128>(1) << (4 * nibble); }
// Nibble index of significant digit n (1..23).
constexpr int DigitNibble(int n) { return 23 - n; }

// a + b + cin on packed decimal nibbles (the sum may carry into bit 96).
inline u128 BcdAddRaw(u128 a, u128 b, unsigned cin) {
  const u128 t1 = a + kSixes;
  const u128 t2 = t1 + b + cin;
  const u128 t3 = t1 ^ b;
  const u128 t4 = t2 ^ t3;
  const u128 t5 = ~t4 & kCarryBits;
  const u128 t6 = (t5 >> 2) | (t5 >> 3);
  return t2 - t6;
}
inline u128 BcdAdd(u128 a, u128 b) { return BcdAddRaw(a, b, 0) & kMask96; }
// a - b for a >= b (both 24-nibble registers).
inline u128 BcdSub(u128 a, u128 b) { return BcdAddRaw(a, kNines - b, 1) & kMask96; }

inline int Clz96(u128 m) {
  const u64 hi = static_cast<u64>(m >> 64);
  if (hi) return __builtin_clzll(hi) - 32;
  const u64 lo = static_cast<u64>(m);
  return lo ? 32 + __builtin_clzll(lo) : 96;
}
// Number of leading zero digits among d1..d23 (carry nibble assumed 0).
inline int LeadingZeroDigits(u128 m) { return Clz96(m) / 4 - 1; }

// Exponent words.
inline bool WordNeg(u16 w) { return w >= 0x5000; }
inline u16 WordMag(u16 w) { return w >= 0x5000 ? static_cast<u16>(w - 0x5000) : w; }
// The word of the negated number (for a word of a nonzero number).
inline u16 WordNegated(u16 w) { return static_cast<u16>(w >= 0x5000 ? w - 0x5000 : w + 0x5000); }
inline int Bcd4ToInt(u16 w) {
  const u32 pairs = ((w >> 4) & 0x0F0Fu) * 10 + (w & 0x0F0Fu);  // two 2-digit values
  return static_cast<int>((pairs >> 8) * 100 + (pairs & 0xFF));
}
constexpr u16 IntToBcd4(int v) {
  return static_cast<u16>((v / 1000) << 12 | (v / 100 % 10) << 8 | (v / 10 % 10) << 4 | v % 10);
}
// Packed decimal of 0..9999 (exponent words and four-digit groups).
struct Bcd4Table {
  u16 bcd[10000];
};
constexpr Bcd4Table MakeBcd4Table() {
  Bcd4Table t{};
  for (int v = 0; v < 10000; ++v) t.bcd[v] = IntToBcd4(v);
  return t;
}
inline constexpr Bcd4Table kBcd4 = MakeBcd4Table();
// Decimal exponent of a non-zero word.
inline int WordExp(u16 w) { return Bcd4ToInt(WordMag(w)) - 1000; }
// Word of exponent e (-999..999).
inline u16 MakeWord(int e, bool neg) {
  assert(e >= -1000 && e < 9000);
  return static_cast<u16>(kBcd4.bcd[e + 1000] + (neg ? 0x5000 : 0));
}

// The register with its exponent and sign unpacked.
struct Reg {
  u128 m;  // 24 nibbles as above
  int e;   // decimal exponent of d1
  bool neg;
};

inline u64 LoadBe64(const u8 *p) {
  u64 v;
  __builtin_memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}
inline u32 LoadBe32(const u8 *p) {
  u32 v;
  __builtin_memcpy(&v, p, 4);
  return __builtin_bswap32(v);
}
inline void StoreBe64(u8 *p, u64 v) {
  v = __builtin_bswap64(v);
  __builtin_memcpy(p, &v, 8);
}
inline void StoreBe32(u8 *p, u32 v) {
  v = __builtin_bswap32(v);
  __builtin_memcpy(p, &v, 4);
}
inline u16 LoadWord(const u8 *p) { return static_cast<u16>(p[0] << 8 | p[1]); }
// One 16-bit store (not two byte stores): a wider load of the word just
// written then takes it straight from the store.
inline void StoreWord(u8 *p, u16 w) {
  w = __builtin_bswap16(w);
  __builtin_memcpy(p, &w, 2);
}

inline u128 ExtDigits(const BcdExt *x) {
  return static_cast<u128>(LoadBe64(x->b)) << 32 | LoadBe32(x->b + 8);
}
inline u128 WorkDigits(const BcdWork *x) { return static_cast<u128>(LoadBe64(x->b)) << 32; }
inline u16 ExtWord(const BcdExt *x) { return LoadWord(x->b + 12); }
inline u16 WorkWord(const BcdWork *x) { return LoadWord(x->b + 10); }
inline u8 ExtKindNib(const BcdExt *x) { return x->b[0] >> 4; }
inline u8 WorkKindNib(const BcdWork *x) { return x->b[0] >> 4; }

inline void SetExt(BcdExt *x, u128 m, u16 w) {
  StoreBe64(x->b, static_cast<u64>(m >> 32));
  StoreBe32(x->b + 8, static_cast<u32>(m));
  StoreWord(x->b + 12, w);
}
// The two bytes after the 15 digits are zero: one 32-bit store writes them
// with the word.
inline void SetWork(BcdWork *x, u128 m, u16 w) {
  StoreBe64(x->b, static_cast<u64>(m >> 32));
  StoreBe32(x->b + 8, w);
}
// |x| into ax, written as whole register and word (a copy of the bytes and
// a new word would leave the word in two stores a later load spans).
inline void ExtAbsInto(const BcdExt *x, BcdExt *ax) { SetExt(ax, ExtDigits(x), WordMag(ExtWord(x))); }
inline void ExtZero(BcdExt *x) { SetExt(x, 0, 0); }
inline void WorkZero(BcdWork *x) { SetWork(x, 0, 0); }
inline void ExtInf(BcdExt *x, bool neg) {
  SetExt(x, static_cast<u128>(BCD_NIB_INF) << 92, neg ? 0x6000 : 0x1000);
}
inline void ExtUndef(BcdExt *x) { x->b[0] = static_cast<u8>(BCD_NIB_UNDEF << 4 | (x->b[0] & 0x0F)); }

// An extended number the arithmetic treats as zero: word 0 or 0x5000, or all
// 23 digits 0.
inline bool ExtIsZero(const BcdExt *x) {
  const u16 w = ExtWord(x);
  return w == 0 || w == 0x5000 || (ExtDigits(x) & kDigitsMask) == 0;
}

// Normalisation after an operation: carry out, zero, leading zeros, range.
// Returns false when the result is zero; sets *inf on overflow.
inline bool Normalize(Reg &r, bool &inf) {
  inf = false;
  if (r.m >> 92) {
    r.m >>= 4;
    ++r.e;
    inf = r.e > 999;
    return r.e >= -999;
  }
  if (r.m == 0) return false;
  const int k = LeadingZeroDigits(r.m);
  r.m <<= 4 * k;
  r.e -= k;
  inf = r.e > 999;
  return r.e >= -999;
}
// Stores a normalised register (handling zero and infinity) into x.
inline void StoreReg(BcdExt *x, Reg r) {
  bool inf;
  if (!Normalize(r, inf)) return ExtZero(x);
  if (inf) return ExtInf(x, r.neg);
  SetExt(x, r.m, MakeWord(r.e, r.neg));
}

// Packed decimal <-> binary.
// 8 packed digits (u32) to binary.
inline u32 Bcd8ToBin(u32 x) {
  x = ((x >> 4) & 0x0F0F0F0Fu) * 10 + (x & 0x0F0F0F0Fu);
  x = ((x >> 8) & 0x00FF00FFu) * 100 + (x & 0x00FF00FFu);
  return (x >> 16) * 10000 + (x & 0xFFFFu);
}
// 16 packed digits (u64) to binary.
inline u64 Bcd16ToBin(u64 x) {
  x = ((x >> 4) & 0x0F0F0F0F0F0F0F0Full) * 10 + (x & 0x0F0F0F0F0F0F0F0Full);
  x = ((x >> 8) & 0x00FF00FF00FF00FFull) * 100 + (x & 0x00FF00FF00FF00FFull);
  x = ((x >> 16) & 0x0000FFFF0000FFFFull) * 10000 + (x & 0x0000FFFF0000FFFFull);
  return (x >> 32) * 100000000ull + (x & 0xFFFFFFFFull);
}
// Binary below 10^8 to 8 packed digits.
inline u32 BinToBcd8(u32 v) { return static_cast<u32>(kBcd4.bcd[v / 10000]) << 16 | kBcd4.bcd[v % 10000]; }
// Binary below 10^16 to 16 packed digits.
inline u64 BinToBcd16(u64 v) {
  const u64 hi = v / 100000000, lo = v % 100000000;
  const u64 h1 = hi / 10000, h0 = hi % 10000, l1 = lo / 10000, l0 = lo % 10000;
  return static_cast<u64>(kBcd4.bcd[h1]) << 48 | static_cast<u64>(kBcd4.bcd[h0]) << 32 |
         static_cast<u64>(kBcd4.bcd[l1]) << 16 | kBcd4.bcd[l0];
}
// 24-nibble register (carry nibble included) to binary: value below 10^24.
inline u128 RegToBin(u128 m) {
  const u32 w2 = static_cast<u32>(m >> 64), w1 = static_cast<u32>(m >> 32), w0 = static_cast<u32>(m);
  return (static_cast<u128>(Bcd8ToBin(w2)) * 100000000u + Bcd8ToBin(w1)) * 100000000u + Bcd8ToBin(w0);
}
// Binary below 10^24 to a 24-nibble register.
inline u128 BinToReg(u128 v) {
  // v / 10^16 through (v >> 16) / 5^16, which fits 64 bits.
  const u64 hi = static_cast<u64>(v >> 16) / 152587890625ull;
  const u64 lo = static_cast<u64>(v - static_cast<u128>(hi) * 10000000000000000ull);
  return static_cast<u128>(BinToBcd8(static_cast<u32>(hi))) << 64 | BinToBcd16(lo);
}

constexpr u64 kPow10[20] = {1ull,
                            10ull,
                            100ull,
                            1000ull,
                            10000ull,
                            100000ull,
                            1000000ull,
                            10000000ull,
                            100000000ull,
                            1000000000ull,
                            10000000000ull,
                            100000000000ull,
                            1000000000000ull,
                            10000000000000ull,
                            100000000000000ull,
                            1000000000000000ull,
                            10000000000000000ull,
                            100000000000000000ull,
                            1000000000000000000ull,
                            10000000000000000000ull};
inline u128 Pow10u128(int k) {
  return k < 20 ? static_cast<u128>(kPow10[k]) : static_cast<u128>(kPow10[19]) * kPow10[k - 19];
}

// 128-by-64 division whose quotient fits 64 bits.
inline u64 Div128By64(u128 n, u64 d, u64 *rem) {
#if defined(__x86_64__)
  u64 q, r;
  const u64 hi = static_cast<u64>(n >> 64), lo = static_cast<u64>(n);
  __asm__("divq %4" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), "rm"(d));
  if (rem) *rem = r;
  return q;
#else
  if (rem) *rem = static_cast<u64>(n % d);
  return static_cast<u64>(n / d);
#endif
}

}  // namespace DIG_KERNEL_NS

// Shared routines of the digit layer (arith.cpp).
// Special kinds pass on: the first operand's kind wins, then the second's.
// Returns true when the result has been decided.
bool PassSpecial(BcdExt *a, const BcdExt *b);
// Magnitude order of two numbers by word then digits: 1, 2 (a < b), 4.
u16 CompareMagnitude(u16 wa, u128 ma, u16 wb, u128 mb);
// Exact working number of sign and magnitude v (digits past the fifteenth
// are dropped).
void FromU64(u64 v, bool neg, BcdWork *out);
// floor(A x B / 10^22) for A, B below 10^23 given as three base-10^8
// limbs, least significant first (the multiplier's product).
u128 MulTop(const u64 a[3], const u64 b[3]);
// Magnitude of the integer part of a working number below 10^19.
u64 IntMagnitude(const BcdWork *x);

}  // namespace dig
