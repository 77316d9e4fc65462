// Text between the PC (UTF-8) and the calculator's character set.
#include "ui/charset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/token_names.h"
#include "ui/font.h"

namespace {

using Convert = u32 (*)(const char *, u32, char *, u32);

// Runs a conversion into a buffer of cap bytes and checks its bound.
std::string Run(Convert convert, const std::string &in, u32 cap) {
  std::vector<char> out(cap + 1, '#');
  const u32 n = convert(in.data(), static_cast<u32>(in.size()), out.data(), cap);
  EXPECT_LT(n, cap);
  EXPECT_EQ(out[n], '\0') << "terminated";
  EXPECT_EQ(out[cap], '#') << "nothing written past the bound";
  return std::string(out.data(), n);
}
std::string FromUtf8(const std::string &in, u32 cap = 256) { return Run(CharsetFromUtf8, in, cap); }
std::string ToUtf8(const std::string &in, u32 cap = 256) { return Run(CharsetToUtf8, in, cap); }

TEST(CharsetFromUtf8, MapsTextToTheCalculatorSet) {
  struct Case {
    const char *what;
    std::string in, out;
  } cases[] = {
      {"printable ASCII stays, the operators become the keys' tokens", "1+2*(x-3)/4 = \"ok\" ~",
       "1\x89" "2\xA9(x\x99" "3)\xB9" "4 = \"ok\" ~"},
      {"newlines of every kind", "a\nb\r\nc\rd", "a\x0D" "b\x0D" "c\x0D" "d"},
      {"a tab is a blank", "a\tb", "a b"},
      {"pi is the constant", "2\u03C0", "2\xD0"},
      {"the square is the operator", "x\u00B2", "x\x8B"},
      {"theta is the variable", "\u03B8", "\xCE"},
      {"times, divide, root", "\u00D7\u00F7\u221A", "\xA9\xB9\x86"},
      {"arrow, negative sign, exponent", "\u2192\u2212\u1D07", "\x0E\x87\x0F"},
      {"Greek letters", "\u03B1\u03B2\u03C9", "\xE6\x40\xE6\x41\xE6\x58"},
      {"accented letters", "\u00E9\u00C0\u00DF\u00F1", "\xE6\x08\xE6\x21\xE6\x19\xE6\x0F"},
      {"summation and angle", "\u03A3\u2220", "\xE5\x51\x7F\x54"},
      {"a letter with a combining mark", "x\u0304", "\xC2"},
      {"two code points for one glyph", "x\u208B\u2081", "x\xE5\xDA"},
      {"half of that pair", "x\u208B", "x?"},
      {"no such character", "5\u20AC", "5?"},
      {"outside the basic plane", "\xF0\x9F\x98\x80!", "?!"},
      {"control characters", "a\x01" "b\x7F", "a?b?"},
      {"a stray continuation byte", "a\x80" "b", "a?b"},
      {"an invalid lead byte", "\xFF\xC0\xC1", "???"},
      {"an overlong form", "\xC0\xAF", "??"},
      {"a surrogate", "\xED\xA0\x80", "???"},
      {"above the last code point", "\xF4\x90\x80\x80", "????"},
      {"a sequence cut short mid-text", "\xE2\x82" "A", "?A"},
      {"a sequence cut short at the end", "ab\xC3", "ab?"},
      {"a four-byte sequence cut short", "\xF0\x9F\x98", "?"},
      {"the text ends at a zero byte", std::string("ab\0cd", 5), "ab"},
      {"empty", "", ""},
  };
  for (const Case &c : cases) EXPECT_EQ(FromUtf8(c.in), c.out) << c.what;
}

TEST(CharsetToUtf8, ReadsCalculatorTextAsUnicode) {
  struct Case {
    const char *what;
    std::string in, out;
  } cases[] = {
      {"printable ASCII stays", "1+2*(x-3)/4 = \"ok\"", "1+2*(x-3)/4 = \"ok\""},
      {"newline", "a\x0D" "b", "a\nb"},
      {"tokens with a symbol", "\xD0\x8B\x89\x99\xA8", "\u03C0\u00B2+-^"},
      {"glyphs of the font", "\xCE\xA9\xB9\x86\x0E\x87", "\u03B8\u00D7\u00F7\u221A\u2192\u2212"},
      {"two-byte glyphs", "\xE6\x08\xE6\x40\xE5\x51\x7F\x54", "\u00E9\u03B1\u03A3\u2220"},
      {"the Greek letter pi", "\xE6\x4E", "\u03C0"},
      {"a glyph read as two code points", "\xE5\xDA", "\u208B\u2081"},
      {"a token by its name", "\x81" "30", "sin 30"},
      {"a code without a name or glyph", "\xF9\x3F" "30", "?30"},
      {"a two-byte code without a glyph", "\xF9\xC9!", "?!"},
      {"a lead byte at the end", "ab\x7F", "ab"},
      {"a lead byte before the terminator", std::string("ab\xE6\0x", 5), "ab"},
      {"the text ends at a zero byte", std::string("ab\0cd", 5), "ab"},
  };
  for (const Case &c : cases) EXPECT_EQ(ToUtf8(c.in), c.out) << c.what;
}

TEST(CharsetTokens, PastedNamesBecomeTokens) {
  struct Case {
    const char *what;
    std::string in, out;
  } cases[] = {
      {"a function and its bracket", "sin(30)", "\x81(30)"},
      {"the name's own space is taken", "sin 30", "\x81" "30"},
      {"the longest name wins", "sinh 1+sin\u207B\u00B9 1", "\xA1" "1\x89\x91" "1"},
      {"two-byte tokens", "Mat A+List 1", "\x7F\x40" "A\x89\x7F\x51" "1"},
      {"the PC's operators are the operator keys' tokens", "1+2*3/4^5-6", "1\x89" "2\xA9" "3\xB9" "4\xA8" "5\x99" "6"},
      {"program words with spaces around", "For 1\u2192A To 9 Step 2", "\xF7\x04" "1\x0E" "A\xF7\x05" "9\xF7\x06" "2"},
      {"inside a word a name is letters", "using", "using"},
      {"a name cut from a longer word", "Answer", "Answer"},
      {"inside a number a name is digits", "x10", "x10"},
      {"a name right after a capital", "Asin 1", "A\x81" "1"},
      {"a one-character name is the character", "r", "r"},
      {"a name two tokens share stays letters", "Not A", "Not A"},
  };
  for (const Case &c : cases) EXPECT_EQ(FromUtf8(c.in), c.out) << c.what;
}

// Every token of the name table goes out by its name and, where the name is
// not shared with another token and has two characters or more, comes back
// as the same token.
TEST(CharsetTokens, EveryPasteableNameRoundTrips) {
  std::vector<std::string> kept_as_text;
  for (int k = 0; k < kTokenNameCount; ++k) {
    const u16 code = kTokenNames[k].code;
    if (code > 0xFF && (code & 0xFF) == 0) {
      // No zero-ended text can hold it: it ends the text.
      EXPECT_FALSE(CharsetTokenNameIsPasteable(code));
      continue;
    }
    std::string token;
    if (code > 0xFF) token += static_cast<char>(code >> 8);
    token += static_cast<char>(code & 0xFF);
    const std::string name = ToUtf8(token);
    EXPECT_EQ(name, kTokenNames[k].utf8) << std::hex << code;
    if (CharsetTokenNameIsPasteable(code)) {
      EXPECT_EQ(FromUtf8(name), token) << name;
      EXPECT_EQ(ToUtf8(FromUtf8(name)), name) << name;
    } else {
      kept_as_text.push_back(name);
    }
  }
  // The names that read back as their characters: one character long, or
  // shared by two tokens.
  const std::vector<std::string> want = {
      "f", "p", "n", "μ", "m", "k", "M", "G", "T", "P", "E", "◢", "→", "ᴇ", "≤", "≠", "≥", "⇒",
      "h", "√", "−", "P", "+", "²", "d", "∛", "C", "-", "°", "o", "Not ", "^", "×", "!", "ʳ", "n",
      "b", "÷", "⌟", "ᵍ", "ȳ", "a", "b", "r", "ŷ", "r", "θ", "π", "c", "d", "e", "𝑖", "∠", "n", "n",
      "Not ", "Y", "r", "X"};
  EXPECT_EQ(kept_as_text, want);
}

TEST(CharsetBound, NeverCutsACharacterAndAlwaysTerminates) {
  struct Case {
    const char *what;
    bool from_utf8;
    std::string in;
    u32 cap;
    std::string out;
  } cases[] = {
      {"one-byte characters fill the bound", true, "abcdef", 4, "abc"},
      {"a two-byte code does not fit in one byte", true, "a\u00E9", 3, "a"},
      {"a two-byte code fits exactly", true, "a\u00E9b", 4, "a\xE6\x08"},
      {"room for the terminator only", true, "abc", 1, ""},
      {"UTF-8 fills the bound", false, "abcdef", 4, "abc"},
      {"a two-byte reading does not fit in one byte", false, "a\xE6\x08", 3, "a"},
      {"a reading fits exactly", false, "a\xE6\x08" "b", 4, "a\u00E9"},
      {"a two-code-point reading is not split", false, "a\xE5\xDA", 6, "a"},
      {"UTF-8 room for the terminator only", false, "abc", 1, ""},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(c.from_utf8 ? FromUtf8(c.in, c.cap) : ToUtf8(c.in, c.cap), c.out) << c.what;
  }

  // A large text stops at the bound, two-byte codes whole.
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "\u03B1";
  const std::string got = FromUtf8(many, 4096);
  ASSERT_EQ(got.size(), 4094u);
  for (size_t i = 0; i < got.size(); i += 2) ASSERT_EQ(got.substr(i, 2), "\xE6\x40") << i;
  EXPECT_EQ(FromUtf8(std::string(5000, 'x'), 4096).size(), 4095u);

  // No room at all: nothing is written.
  char untouched = '#';
  EXPECT_EQ(CharsetFromUtf8("abc", 3, &untouched, 0), 0u);
  EXPECT_EQ(CharsetToUtf8("abc", 3, &untouched, 0), 0u);
  EXPECT_EQ(untouched, '#');
}

// Every glyph's reading reads back to a character with the same reading, so
// a text copied out and pasted back in shows as it did. The ASCII '*' and '/'
// are the exception: pasted, they are the multiply and divide of a
// calculation and show as its x and division signs.
TEST(CharsetRoundTrip, EveryGlyphReadsBackAsItself) {
  for (int i = 0; i < kFontGlyphCount; ++i) {
    const u16 code = kFontGlyphs[i].code;
    std::string text;
    if (code > 0xFF) text += static_cast<char>(code >> 8);
    text += static_cast<char>(code & 0xFF);
    const std::string reading = ToUtf8(text);
    ASSERT_FALSE(reading.empty()) << std::hex << code;
    if (reading == "*" || reading == "/") {
      EXPECT_EQ(ToUtf8(FromUtf8(reading)), reading == "*" ? "\u00D7" : "\u00F7");
      continue;
    }
    EXPECT_EQ(ToUtf8(FromUtf8(reading)), reading) << std::hex << code;
    if (reading.size() > 1 || static_cast<u8>(reading[0]) >= 0x80) {
      EXPECT_EQ(FromUtf8(reading).find('?'), std::string::npos) << std::hex << code << " " << reading;
    }
  }
}

}  // namespace
