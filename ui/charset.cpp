#include "ui/charset.h"

#include <cstring>
#include <string>
#include <vector>

#include "data/token_names.h"
#include "memory/str.h"
#include "ui/font.h"
#include "ui/keycodes.h"

namespace {

struct Reading {
  u16 code;
  const char *utf8;
};

// Tokens with a symbol of their own. They come before the font's looks both
// ways, so "π" and "²" read in as the constant and the square rather than
// the Greek letter and the superscript digit. On the way in the PC's
// operators "+ - * / ^" become the tokens their keys type (OperatorToken), so
// a pasted calculation runs as typed.
constexpr Reading kTokenReadings[] = {
    {kChrPi, "\u03C0"},      {kChrSquare, "\u00B2"}, {kChrPlus, "+"},
    {kChrMinus, "-"},        {kChrPower, "^"},
};

struct Look {
  const char *utf8;
  u32 len;
  u16 code;
};

// Every reading longer than one ASCII byte, tokens first, then the font's
// glyphs in code order: on equal matches the earlier entry wins.
const std::vector<Look> &Looks() {
  static const std::vector<Look> looks = [] {
    std::vector<Look> v;
    auto add = [&v](u16 code, const char *utf8) {
      const u32 len = static_cast<u32>(std::strlen(utf8));
      if (len == 0 || (len == 1 && static_cast<u8>(utf8[0]) < 0x80)) return;
      v.push_back({utf8, len, code});
    };
    for (const Reading &r : kTokenReadings) add(r.code, r.utf8);
    for (int i = 0; i < kFontGlyphCount; ++i) add(kFontGlyphs[i].code, kFontGlyphs[i].look);
    return v;
  }();
  return looks;
}

// The longest reading at s (avail bytes); false when none matches.
bool MatchLook(const char *s, u32 avail, u16 *code, u32 *used) {
  u32 best = 0;
  for (const Look &l : Looks()) {
    if (l.len > best && l.len <= avail && std::memcmp(s, l.utf8, l.len) == 0) {
      best = l.len;
      *code = l.code;
    }
  }
  if (best == 0) return false;
  *used = best;
  return true;
}

bool IsContinuation(u8 b) { return (b & 0xC0) == 0x80; }

// The operator token the calculator's key gives for an ASCII operator, or the
// byte itself.
u16 OperatorToken(u8 b) {
  switch (b) {
    case '+': return kChrPlus;
    case '-': return kChrMinus;
    case '*': return kChrTimes;
    case '/': return kChrDivide;
    case '^': return kChrPower;
    default: return b;
  }
}

// A token name that pasted text turns into its token: the name without its
// surrounding spaces (core), and whether the name has a space before and
// after it.
struct PasteName {
  std::string core;
  u16 code;
  bool space_before;
  bool space_after;
};

u32 CodePoints(const std::string &s) {
  u32 n = 0;
  for (char c : s) n += IsContinuation(static_cast<u8>(c)) ? 0 : 1;
  return n;
}

// The names pasted text is read by: every name of at least two characters
// that no other token shares (a one-character name reads as the character
// itself; a shared name cannot say which token it means).
const std::vector<PasteName> &PasteNames() {
  static const std::vector<PasteName> names = [] {
    std::vector<PasteName> v;
    for (int k = 0; k < kTokenNameCount; ++k) {
      const std::string name = kTokenNames[k].utf8;
      if (!CharsetTokenNameIsPasteable(kTokenNames[k].code)) continue;
      const size_t first = name.find_first_not_of(' ');
      const size_t last = name.find_last_not_of(' ');
      v.push_back({name.substr(first, last - first + 1), kTokenNames[k].code, first > 0, last + 1 < name.size()});
    }
    return v;
  }();
  return names;
}

bool IsLower(u8 c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(u8 c) { return c >= '0' && c <= '9'; }

// Whether two characters that meet at a name's edge belong to one word or
// number, so that the name there is only part of it ("sin" in "using", "x1"
// in "x10").
bool Joined(u8 a, u8 b) { return (IsLower(a) && IsLower(b)) || (IsDigit(a) && IsDigit(b)); }

// The longest token name at text[i] (len bytes in all), respecting word
// edges; false when none matches.
bool MatchTokenName(const char *text, u32 i, u32 len, u16 *code, u32 *used, bool *space_before) {
  u32 best = 0;
  for (const PasteName &n : PasteNames()) {
    const u32 m = static_cast<u32>(n.core.size());
    if (m <= best || m > len - i || std::memcmp(text + i, n.core.data(), m) != 0) continue;
    const u8 first = static_cast<u8>(n.core.front()), last = static_cast<u8>(n.core.back());
    if (i > 0 && Joined(static_cast<u8>(text[i - 1]), first)) continue;
    if (i + m < len && Joined(last, static_cast<u8>(text[i + m]))) continue;
    best = m;
    *code = n.code;
    *used = m + (n.space_after && i + m < len && text[i + m] == ' ' ? 1 : 0);
    *space_before = n.space_before;
  }
  return best != 0;
}

// Bytes of the UTF-8 sequence at s (avail >= 1 bytes) that one '?' stands
// for: a whole well-formed sequence, or the longest start of one that is
// still valid (at least one byte).
u32 SequenceLength(const u8 *s, u32 avail) {
  const u8 b = s[0];
  u32 need;
  u8 lo = 0x80, hi = 0xBF;  // the second byte's range
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 3;
    if (b == 0xE0) lo = 0xA0;  // no overlong forms
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 1;  // a stray continuation byte or an invalid lead byte
  }
  u32 n = 1;
  if (n < avail && s[n] >= lo && s[n] <= hi) {
    ++n;
    while (n < need && n < avail && IsContinuation(s[n])) ++n;
  }
  return n;
}

// A calculator character from its reading, or the reading of a code.
const char *ReadingOf(u16 code) {
  if (code == kChrNewline) return "\n";
  if (const char *name = StrTokenNameUtf8(code)) return name;
  for (const Reading &r : kTokenReadings)
    if (r.code == code) return r.utf8;
  if (const FontGlyph *g = FontFindGlyph(code)) return g->look;
  return "?";
}

}  // namespace

bool CharsetTokenNameIsPasteable(u16 code) {
  const char *name = StrTokenNameUtf8(code);
  // A token whose second byte is 0 cannot travel in a zero-ended text.
  if (name == nullptr || (code > 0xFF && (code & 0xFF) == 0)) return false;
  std::string core = name;
  core.erase(0, core.find_first_not_of(' '));
  core.erase(core.find_last_not_of(' ') + 1);
  if (CodePoints(core) < 2) return false;
  for (int k = 0; k < kTokenNameCount; ++k) {
    if (kTokenNames[k].code == code) continue;
    std::string other = kTokenNames[k].utf8;
    other.erase(0, other.find_first_not_of(' '));
    other.erase(other.find_last_not_of(' ') + 1);
    if (other == core) return false;
  }
  return true;
}

u32 CharsetFromUtf8(const char *utf8, u32 len, char *dst, u32 cap) {
  if (dst == nullptr || cap == 0) return 0;
  const u32 room = cap - 1;
  u32 out = 0;
  if (utf8 != nullptr) {
    const void *zero = std::memchr(utf8, 0, len);
    if (zero != nullptr) len = static_cast<u32>(static_cast<const char *>(zero) - utf8);
  } else {
    len = 0;
  }
  u32 i = 0;
  while (i < len) {
    const u8 b = static_cast<u8>(utf8[i]);
    const u8 next = i + 1 < len ? static_cast<u8>(utf8[i + 1]) : 0;
    u16 code = '?';
    u32 used = 1;
    bool space_before = false;
    if (MatchTokenName(utf8, i, len, &code, &used, &space_before)) {
      // A name with a space of its own in front takes the pasted space there.
      if (space_before && out > 0 && dst[out - 1] == ' ' && i > 0 && utf8[i - 1] == ' ') --out;
    } else if (b == '\r') {
      code = kChrNewline;
      if (next == '\n') used = 2;
    } else if (b == '\n') {
      code = kChrNewline;
    } else if (b == '\t') {
      code = kChrSpace;
    } else if ((b >= 0x80 || next >= 0x80) && MatchLook(utf8 + i, len - i, &code, &used)) {
      // a character the calculator has
    } else if (b >= 0x20 && b < 0x7F) {
      code = OperatorToken(b);
    } else {
      code = '?';
      used = SequenceLength(reinterpret_cast<const u8 *>(utf8) + i, len - i);
    }
    const u32 width = code > 0xFF ? 2 : 1;
    if (out + width > room) break;
    if (width == 2) dst[out++] = static_cast<char>(code >> 8);
    dst[out++] = static_cast<char>(code & 0xFF);
    i += used;
  }
  dst[out] = '\0';
  return out;
}

u32 CharsetToUtf8(const char *text, u32 len, char *dst, u32 cap) {
  if (dst == nullptr || cap == 0) return 0;
  const u32 room = cap - 1;
  u32 out = 0;
  u32 i = 0;
  while (text != nullptr && i < len && text[i] != '\0') {
    const u8 b = static_cast<u8>(text[i]);
    u16 code = b;
    u32 used = 1;
    if (FontIsLeadByte(b)) {
      if (i + 1 >= len || text[i + 1] == '\0') break;  // the text ends at a lone lead byte
      code = static_cast<u16>(b << 8 | static_cast<u8>(text[i + 1]));
      used = 2;
    }
    const char *reading = ReadingOf(code);
    const u32 n = static_cast<u32>(std::strlen(reading));
    if (out + n > room) break;
    std::memcpy(dst + out, reading, n);
    out += n;
    i += used;
  }
  dst[out] = '\0';
  return out;
}
