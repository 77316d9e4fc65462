// The character conversion between the PC's UTF-8 and the calculator's text:
// every output stays inside its capacity, is terminated, never ends in a
// cut two-byte character, and the calculator's text reads as valid UTF-8.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_util.h"
#include "ui/charset.h"

namespace {

bool IsLead(u8 c) { return c == 0x7F || (c >= 0xE5 && c <= 0xE7) || c == 0xF7 || c == 0xF9; }

// Strict UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool ValidUtf8(const u8 *s, size_t n) {
  for (size_t i = 0; i < n;) {
    const u8 c = s[i];
    size_t len;
    u32 cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      cp = cp << 6 | (s[i + k] & 0x3F);
    }
    static const u32 kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::Reader in(data, size);
  const u32 cap = in.Byte() % 200;
  size_t n;
  const u8 *src = in.Take(4096, &n);
  const std::vector<char> text(src, src + n);  // exactly the input's bytes
  const char *p = text.empty() ? "" : text.data();
  constexpr u32 kGuard = 16;

  // PC text to calculator text.
  std::vector<char> calc(cap + kGuard, 0x5A);
  const u32 got = CharsetFromUtf8(p, static_cast<u32>(n), calc.data(), cap);
  for (u32 i = cap; i < cap + kGuard; ++i) FUZZ_CHECK(calc[i] == 0x5A, "write past the capacity %u", cap);
  if (cap > 0) {
    FUZZ_CHECK(got < cap, "%u bytes in a capacity of %u", got, cap);
    FUZZ_CHECK(calc[got] == 0, "not terminated");
    FUZZ_CHECK(std::strlen(calc.data()) == got, "a zero inside the text");
    // Every two-byte character is whole.
    for (u32 i = 0; i < got; ++i)
      if (IsLead(static_cast<u8>(calc[i]))) FUZZ_CHECK(++i < got, "a cut two-byte character");
  }

  // Calculator text (the input's bytes as they stand) to PC text.
  const u32 cap2 = cap * 8;
  std::vector<char> utf8(cap2 + kGuard, 0x5A);
  const u32 got2 = CharsetToUtf8(p, static_cast<u32>(n), utf8.data(), cap2);
  for (u32 i = cap2; i < cap2 + kGuard; ++i) FUZZ_CHECK(utf8[i] == 0x5A, "write past the capacity %u", cap2);
  if (cap2 > 0) {
    FUZZ_CHECK(got2 < cap2, "%u bytes in a capacity of %u", got2, cap2);
    FUZZ_CHECK(utf8[got2] == 0, "not terminated");
    FUZZ_CHECK(ValidUtf8(reinterpret_cast<const u8 *>(utf8.data()), got2), "invalid UTF-8 written");
  }

  // What the calculator wrote reads back as the same calculator text.
  if (cap > 0) {
    std::vector<char> pc(got * kCharsetUtf8PerChar + 1);
    const u32 m = CharsetToUtf8(calc.data(), got, pc.data(), static_cast<u32>(pc.size()));
    FUZZ_CHECK(ValidUtf8(reinterpret_cast<const u8 *>(pc.data()), m), "invalid UTF-8 written");
  }
  return 0;
}
