#include "memory/str.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "data/token_names.h"
#include "ui/font.h"

namespace {

const u8 *Bytes(const char *p) { return reinterpret_cast<const u8 *>(p); }

// The token groups' lead bytes; their second byte may be 0 (0x7F 0x00 is
// "Xmin", 0xF7 0x00 "If").
bool IsTokenLead(u8 c) { return c == 0x7F || c == 0xF7 || c == 0xF9; }

// Bytes the character at p takes: 0 at the end of the text, 2 for a
// two-byte character, else 1. A token group's lead byte always takes its
// next byte, as the token reader does; a character group's lead byte (0xE5-
// 0xE7) before the terminator ends the text.
u32 CharLen(const char *p) {
  const u8 c = static_cast<u8>(p[0]);
  if (c == 0) return 0;
  if (!FontIsLeadByte(c)) return 1;
  if (p[1] == 0 && !IsTokenLead(c)) return 0;
  return 2;
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
  const u32 n = CharLen(p);
  if (n == 0) return 0;
  if (n == 1) return Bytes(p)[0];
  return static_cast<u32>(Bytes(p)[0]) << 8 | Bytes(p)[1];
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

namespace {

// A UTF-8 name in calculator characters: at each place the longest glyph
// look that matches, else the ASCII byte itself, else '?'.
std::string ToCalcText(const char *utf8) {
  std::string out;
  const size_t len = std::strlen(utf8);
  size_t i = 0;
  while (i < len) {
    size_t best = 0;
    u16 code = 0;
    for (int g = 0; g < kFontGlyphCount; ++g) {
      const char *look = kFontGlyphs[g].look;
      const size_t n = std::strlen(look);
      if (n > best && n <= len - i && std::memcmp(utf8 + i, look, n) == 0 &&
          !(n == 1 && kFontGlyphs[g].code != static_cast<u8>(look[0]))) {
        best = n;
        code = kFontGlyphs[g].code;
      }
    }
    if (best == 0) {
      const u8 b = static_cast<u8>(utf8[i]);
      code = b >= 0x20 && b < 0x7F ? b : '?';
      best = 1;
      while (b >= 0x80 && i + best < len && (static_cast<u8>(utf8[i + best]) & 0xC0) == 0x80) ++best;
    }
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
    i += best;
  }
  return out;
}

const TokenName *FindName(u32 code) {
  const TokenName *end = kTokenNames + kTokenNameCount;
  const TokenName *t =
      std::lower_bound(kTokenNames, end, code, [](const TokenName &a, u32 c) { return a.code < c; });
  return t != end && t->code == code ? t : nullptr;
}

// The names in calculator characters, in table order.
const std::vector<std::string> &CalcNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    v.reserve(static_cast<size_t>(kTokenNameCount));
    for (int k = 0; k < kTokenNameCount; ++k) v.push_back(ToCalcText(kTokenNames[k].utf8));
    return v;
  }();
  return names;
}

}  // namespace

const char *StrTokenNameUtf8(u32 code) {
  const TokenName *t = FindName(code);
  return t ? t->utf8 : nullptr;
}

char *StrTokenName(u32 code, char *dst) {
  dst[0] = 0;
  if (code == 0) return dst;
  if (const TokenName *t = FindName(code)) {
    const std::string &name = CalcNames()[static_cast<size_t>(t - kTokenNames)];
    const size_t n = std::min<size_t>(name.size(), kStrTokenNameMax - 1);
    std::memcpy(dst, name.data(), n);
    dst[n] = 0;
    return dst;
  }
  if (code > 0xFF) {
    dst[0] = static_cast<char>(code >> 8);
    dst[1] = static_cast<char>(code & 0xFF);
    dst[2] = 0;
  } else {
    dst[0] = static_cast<char>(code);
    dst[1] = 0;
  }
  return dst;
}

char *StrExpandTokens(const char *src, char *dst, i32 width) {
  u32 out = 0;
  i32 chars = 0;
  const char *p = src;
  while (p != nullptr && chars < width) {
    const u32 code = StrCharAt(p);
    if (code == 0) break;
    char name[kStrTokenNameMax];
    StrTokenName(code, name);
    for (const char *q = name; *q != 0 && chars < width; q = StrNextChar(q)) {
      const u32 n = static_cast<u32>(StrNextChar(q) - q);
      if (n == 0) break;
      std::memcpy(dst + out, q, n);
      out += n;
      ++chars;
    }
    p = StrNextChar(p);
  }
  while (chars < width) {
    dst[out++] = ' ';
    ++chars;
  }
  dst[out] = 0;
  return dst;
}
