#include "memory/str.h"

#include <cstring>

#include "ui/font.h"

namespace {

const u8 *Bytes(const char *p) { return reinterpret_cast<const u8 *>(p); }

// Bytes the character at p takes: 0 at the end of the text, 2 for a whole
// two-byte character, else 1.
u32 CharLen(const char *p) {
  int n = 0;
  FontReadChar(p, &n);
  return static_cast<u32>(n);
}

}  // namespace

u32 StrIsLeadByte(u8 c) { return FontIsLeadByte(c) ? 1 : 0; }
u32 StrIsLeadByte2(u8 c) { return StrIsLeadByte(c); }

u32 StrIsTrailByte(const char *start, const char *p) {
  if (start == nullptr || p == nullptr || p <= start) return 0;
  const char *q = start;
  while (q < p) {
    const u32 n = CharLen(q);
    if (n == 0) return 0;
    if (n == 2 && q + 1 == p) return 1;
    q += n;
  }
  return 0;
}
u32 StrIsTrailByte2(const char *start, const char *p) { return StrIsTrailByte(start, p); }

u32 StrCharAt(const char *p) {
  int n = 0;
  return FontReadChar(p, &n);
}

const char *StrNextChar(const char *p) { return p + CharLen(p); }
char *StrNextChar(char *p) { return p + CharLen(p); }

const char *StrPrevChar(const char *start, const char *p) {
  if (p <= start) return start;
  const char *q = start;
  const char *prev = start;
  while (q < p) {
    const u32 n = CharLen(q);
    if (n == 0) break;
    prev = q;
    q += n;
  }
  return prev;
}
char *StrPrevChar(char *start, char *p) {
  return const_cast<char *>(StrPrevChar(static_cast<const char *>(start), static_cast<const char *>(p)));
}
const char *StrPrevCharWrap(const char *start, const char *p) { return StrPrevChar(start, p); }

u32 StrByteLen(const char *s) {
  if (s == nullptr) return 0;
  const char *p = s;
  while (u32 n = CharLen(p)) p += n;
  return static_cast<u32>(p - s);
}

u32 StrCharCount(const char *s) {
  if (s == nullptr) return 0;
  u32 count = 0;
  while (u32 n = CharLen(s)) {
    s += n;
    ++count;
  }
  return count;
}

char *StrCopy(char *dst, const char *src) {
  const u32 n = StrByteLen(src);
  if (n != 0) std::memmove(dst, src, n);
  dst[n] = 0;
  return dst;
}

char *StrCat(char *dst, const char *src) {
  StrCopy(dst + StrByteLen(dst), src);
  return dst;
}

const char *StrFindChar(const char *s, u32 code) {
  if (s == nullptr || code == 0) return nullptr;
  while (u32 n = CharLen(s)) {
    const u32 here = n == 2 ? (static_cast<u32>(Bytes(s)[0]) << 8 | Bytes(s)[1]) : Bytes(s)[0];
    if (here == code) return s;
    s += n;
  }
  return nullptr;
}
char *StrFindChar(char *s, u32 code) {
  return const_cast<char *>(StrFindChar(static_cast<const char *>(s), code));
}
