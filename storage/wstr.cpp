// 16-bit strings and the collation of file names.
#include "storage/wstr.h"

#include <array>
#include <cstring>

i32 WstrCopyBytes(void *dst, const void *src, i32 n) {
  if (n > 0) std::memmove(dst, src, static_cast<size_t>(n));
  return n;
}

i32 WstrEqualBytes(const void *a, const void *b, i32 n) {
  if (n <= 0) return 1;
  return std::memcmp(a, b, static_cast<size_t>(n)) == 0 ? 1 : 0;
}

i32 WstrLength(const u16 *s) {
  i32 n = 0;
  while (!WstrIsEnd(s[n])) ++n;
  return n;
}

void WstrCopy(u16 *dst, const u16 *src) {
  i32 i = 0;
  for (;; ++i) {
    dst[i] = src[i];
    if (WstrIsEnd(src[i])) break;
  }
}

void WstrCopyField(u16 *dst, const u16 *src, i32 n) {
  for (i32 i = 0; i < n; ++i) {
    u16 c = src[i];
    if (WstrIsEnd(c)) {
      for (; i < n; ++i) dst[i] = c;
      return;
    }
    dst[i] = c;
  }
}

void WstrToBytes(u8 *dst, const u16 *src, i32 n) {
  i32 i = 0;
  for (; i < n; ++i) {
    u16 c = src[i];
    if (WstrIsEnd(c)) break;
    dst[i] = static_cast<u8>(c);
  }
  if (i < n) {
    u8 fill = src[i] == 0 ? 0 : 0xFF;
    for (; i < n; ++i) dst[i] = fill;
  }
}

void WstrFromBytes(u16 *dst, const u8 *src, i32 n) {
  i32 i = 0;
  for (; i < n; ++i) {
    u8 c = src[i];
    if (c == 0 || c == 0xFF) break;
    dst[i] = c;
  }
  if (i < n) {
    u16 fill = src[i] == 0 ? 0 : 0xFFFF;
    for (; i < n; ++i) dst[i] = fill;
  }
}

void WstrPad(u16 *s, u16 value, i32 n) {
  i32 i = 0;
  while (i < n && !WstrIsEnd(s[i])) ++i;
  for (; i < n; ++i) s[i] = value;
}

void WstrChangeCase(u16 *s, i32 mode, i32 n) {
  for (i32 i = 0; i < n && !WstrIsEnd(s[i]); ++i) {
    u16 c = s[i];
    if (mode == 1 && c >= 'a' && c <= 'z') s[i] = static_cast<u16>(c - 'a' + 'A');
    if (mode == 2 && c >= 'A' && c <= 'Z') s[i] = static_cast<u16>(c - 'A' + 'a');
  }
}

const u16 *WstrFindFirst(const u16 *s, u16 c) {
  i32 len = WstrLength(s);
  for (i32 i = 0; i <= len; ++i)
    if (s[i] == c) return s + i;
  return s + len + 1;
}

const u16 *WstrFindLast(const u16 *s, u16 c) {
  for (i32 i = WstrLength(s); i >= 0; --i)
    if (s[i] == c) return s + i;
  return nullptr;
}

i32 WstrCompareKeys(const u32 *a, const u32 *b) {
  for (int i = 0; i < 3; ++i) {
    if (a[i] > b[i]) return 1;
    if (a[i] < b[i]) return -1;
  }
  return 0;
}

namespace {

// The calculator's own characters at the end of the named order: r, theta,
// and the plus and minus of the operator keys.
constexpr u8 kCollateOrder[] = {
    ' ', '"', '\'', '.', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '=',
    'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O',
    'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z', '[', ']', '{', '}',
    '~', '+', '-', 0xCD, 0xCE, 0x89, 0x99};

// Weight of every byte: the named order first, then every other character in
// code order, small letters as their capitals. 0 and 0xFF end a name and weigh
// as the blank that fills the field. 228 weights, so base 256 keeps every
// weight a digit of its own and a key of four characters fits 32 bits.
struct CollateTable {
  std::array<u8, 256> w{};
  CollateTable() {
    u32 next = 1;
    for (u8 c : kCollateOrder) w[c] = static_cast<u8>(next++);
    for (u32 c = 1; c < 0xFF; ++c) {
      if (c >= 'a' && c <= 'z') continue;
      if (w[c] == 0) w[c] = static_cast<u8>(next++);
    }
    for (u32 c = 'a'; c <= 'z'; ++c) w[c] = w[c - 'a' + 'A'];
    w[0] = w[0xFF] = w[' '];
  }
};

const CollateTable kCollate;

void CollateKeys(const u8 *name, u32 *keys) {
  u8 field[12];
  bool ended = false;
  for (int i = 0; i < 12; ++i) {
    if (!ended && (name[i] == 0 || name[i] == 0xFF)) ended = true;
    field[i] = ended ? ' ' : name[i];
  }
  for (int g = 0; g < 3; ++g) {
    u32 k = 0;
    for (int i = 0; i < 4; ++i) k = k * 256 + kCollate.w[field[g * 4 + i]];
    keys[g] = k;
  }
}

}  // namespace

i32 FileCollateNames(const u8 *a, const u8 *b) {
  u32 ka[3], kb[3];
  CollateKeys(a, ka);
  CollateKeys(b, kb);
  return WstrCompareKeys(ka, kb);
}

i32 FileCollateWideNames(const u16 *a, const u16 *b, i32 *out) {
  u8 na[12], nb[12];
  WstrToBytes(na, a, 12);
  WstrToBytes(nb, b, 12);
  i32 r = FileCollateNames(na, nb);
  if (out) *out = r;
  return r;
}
