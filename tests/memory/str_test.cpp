// Texts in the calculator's two-byte character set.
#include "memory/str.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/token_names.h"
#include "ui/font.h"

namespace {

// 0xF7 0xE5 is one two-byte character whose second byte holds a lead byte's
// value; the texts below use it to catch any step that looks one byte back.
const char kTricky[] = "A\xF7\xE5" "B\x7F\x50" "C";

TEST(Str, LeadBytes) {
  for (u32 c = 0; c < 256; ++c) {
    const bool lead = c == 0x7F || c == 0xE5 || c == 0xE6 || c == 0xE7 || c == 0xF7 || c == 0xF9;
    EXPECT_EQ(StrIsLeadByte(static_cast<u8>(c)), lead ? 1u : 0u) << c;
    EXPECT_EQ(StrIsLeadByte2(static_cast<u8>(c)), lead ? 1u : 0u) << c;
  }
}

TEST(Str, LengthsAndCounts) {
  struct Case {
    const char *text;
    u32 bytes;
    u32 chars;
  } cases[] = {
      {"", 0, 0},
      {"ABC", 3, 3},
      {kTricky, 7, 5},
      {"\xE5\x96\xE6\x4B", 4, 2},
      {"AB\xE6", 2, 2},   // a cut two-byte character ends the text
      {"\xE5", 0, 0},
      {"\xF7\x00" "A\x7F\x00", 5, 3},  // "If", "A", "Xmin"; the text ends at the next zero
  };
  for (const Case &c : cases) {
    EXPECT_EQ(StrByteLen(c.text), c.bytes) << c.text;
    EXPECT_EQ(StrCharCount(c.text), c.chars) << c.text;
  }
  EXPECT_EQ(StrByteLen(nullptr), 0u);
  EXPECT_EQ(StrCharCount(nullptr), 0u);
}

TEST(Str, StepForwardAndBack) {
  const char *s = kTricky;
  // Character starts: 0 A, 1 F7E5, 3 B, 4 7F50, 6 C, 7 end.
  const int starts[] = {0, 1, 3, 4, 6, 7};
  for (int i = 0; i + 1 < 6; ++i) {
    EXPECT_EQ(StrNextChar(s + starts[i]), s + starts[i + 1]) << i;
    EXPECT_EQ(StrPrevChar(s, s + starts[i + 1]), s + starts[i]) << i;
    EXPECT_EQ(StrPrevCharWrap(s, s + starts[i + 1]), s + starts[i]) << i;
  }
  EXPECT_EQ(StrNextChar(s + 7), s + 7) << "no step past the end";
  EXPECT_EQ(StrPrevChar(s, s), s) << "no step before the start";
  // p right after "\xF7\xE5B": the byte two before is 0xE5, a second byte.
  EXPECT_EQ(StrPrevChar(s, s + 4), s + 3);

  const bool trail[] = {false, false, true, false, false, true, false};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(StrIsTrailByte(s, s + i), trail[i] ? 1u : 0u) << i;
    EXPECT_EQ(StrIsTrailByte2(s, s + i), trail[i] ? 1u : 0u) << i;
  }
  EXPECT_EQ(StrCharAt(s + 1), 0xF7E5u);
  EXPECT_EQ(StrCharAt(s + 3), u32('B'));
  EXPECT_EQ(StrCharAt(s + 7), 0u);
}

TEST(Str, CopyAndCat) {
  char buf[32];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(StrCopy(buf, kTricky), buf);
  EXPECT_STREQ(buf, kTricky);
  EXPECT_EQ(StrCat(buf, "\xE6\x4B" "D"), buf);
  EXPECT_STREQ(buf, "A\xF7\xE5" "B\x7F\x50" "C\xE6\x4B" "D");
  StrCopy(buf, nullptr);
  EXPECT_STREQ(buf, "");
  StrCat(buf, nullptr);
  EXPECT_STREQ(buf, "");
  // A cut character at the end of the source is not carried over.
  StrCopy(buf, "Q\xE5");
  EXPECT_STREQ(buf, "Q");
  // A token group's second byte may be 0.
  const char if_a[] = "\xF7\x00" "A";
  StrCopy(buf, if_a);
  EXPECT_EQ(std::string(buf, 4), std::string(if_a, 4));
}

TEST(Str, FindChar) {
  const char *s = kTricky;
  struct Case {
    u32 code;
    int at;  // -1 when absent
  } cases[] = {
      {'A', 0}, {0xF7E5, 1}, {'B', 3}, {0x7F50, 4}, {'C', 6},
      {0xE5, -1},    // only the second byte of 0xF7E5
      {0x50, -1},    // only the second byte of 0x7F50
      {0xE5F7, -1}, {'Z', -1}, {0, -1},
  };
  for (const Case &c : cases) {
    const char *got = StrFindChar(s, c.code);
    EXPECT_EQ(got, c.at < 0 ? nullptr : s + c.at) << std::hex << c.code;
  }
  EXPECT_EQ(StrFindChar(static_cast<const char *>(nullptr), 'A'), nullptr);
}

// The token table is sorted, names no code twice, and every name shows in
// characters the text font draws (no '?' stand-in, no missing glyph).
TEST(StrTokens, EveryNameIsDrawable) {
  for (int k = 0; k < kTokenNameCount; ++k) {
    const u16 code = kTokenNames[k].code;
    if (k > 0) {
      EXPECT_LT(kTokenNames[k - 1].code, code) << std::hex << code;
    }
    char name[kStrTokenNameMax];
    StrTokenName(code, name);
    EXPECT_GT(StrByteLen(name), 0u) << std::hex << code;
    EXPECT_EQ(StrFindChar(name, '?'), nullptr) << kTokenNames[k].utf8;
    for (const char *p = name; *p != 0; p = StrNextChar(p)) {
      EXPECT_NE(LcdGetGlyph(static_cast<u16>(StrCharAt(p))), nullptr)
          << kTokenNames[k].utf8 << " " << std::hex << StrCharAt(p);
    }
  }
}

TEST(StrTokens, NamesAndExpansion) {
  struct Case {
    u32 code;
    const char *name;
  } names[] = {
      {0x81, "sin "},
      {0x7F40, "Mat "},
      {0xF706, " Step "},
      {0xD0, "\xE6\x4E"},          // pi as its Greek letter glyph
      {0x91, "sin\x9B "},           // the inverse mark drawn by its own glyph
      {0xC4, "x\xE6\x51n"},        // sigma
      {0x7F52, "\xE5\xCBList "},    // delta
      {'A', "A"},                     // a plain character names itself
      {0xE640, "\xE6\x40"},         // so does a two-byte character
      {0, ""},
  };
  for (const Case &c : names) {
    char dst[kStrTokenNameMax];
    EXPECT_STREQ(StrTokenName(c.code, dst), c.name) << std::hex << c.code;
  }
  EXPECT_STREQ(StrTokenNameUtf8(0x7F51), "List ");
  EXPECT_EQ(StrTokenNameUtf8('A'), nullptr);

  struct Expand {
    const char *src;
    i32 width;
    const char *out;
  } cases[] = {
      {"\x81" "30", 8, "sin 30  "},          // padded
      {"\x81" "30", 5, "sin 3"},             // cut
      {"\x7F\x51" "1\xF7\x06", 9, "List 1 St"},
      {"\xE6\x40\xE6\x41", 2, "\xE6\x40\xE6\x41"},  // two-byte characters count once
      {"\xE6\x40\xE6\x41", 1, "\xE6\x40"},          // and are never split
      {"", 3, "   "},
      {"AB", 0, ""},
  };
  for (const Expand &e : cases) {
    char dst[64];
    std::memset(dst, '#', sizeof dst);
    EXPECT_STREQ(StrExpandTokens(e.src, dst, e.width), e.out) << e.src;
  }
}

}  // namespace
