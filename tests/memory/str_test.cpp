// Texts in the calculator's two-byte character set.
#include "memory/str.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
      {"AB\x7F", 2, 2},   // a cut two-byte character ends the text
      {"\xF9", 0, 0},
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

}  // namespace
