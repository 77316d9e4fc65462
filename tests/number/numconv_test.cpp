// The display conversion keys as key sequences: the text after each press and
// the state they leave in SET UP item 61 (and the shown exponents).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "number/numconv.h"
#include "number/numtext.h"
#include "numparse_testutil.h"
#include "numtext_testutil.h"
#include "ui/setup.h"

using numtest::C;
using numtest::ShowV;
using numtest::V;
using numtext_test::ApplyMode;
using numtext_test::Mode;
using numtext_test::Readable;

namespace {

// Keys: 'T' plain NumToText, 'D' fraction/decimal, 'F' mixed/improper, 'M'
// degrees-minutes-seconds, '<' Eng shift down, '>' Eng shift up.
struct Press {
  char key;
  const char *want;
  u8 state;
};

struct Sequence {
  const char *name;
  Value value;
  Mode mode;
  std::vector<Press> presses;
  const char *finalValue;
};

char *Dispatch(char key, Value *v, char *out) {
  switch (key) {
    case 'T':
      return NumToText(v, out);
    case 'D':
      return NumFormatFracDec(v, out);
    case 'F':
      return NumFormatFracForm(v, out);
    case 'M':
      return NumToTextDms(v, out);
    default:
      return NumToTextEng(v, out, key == '>');
  }
}

std::string PressKey(char key, Value *v) {
  char out[kNumTextSize];
  std::memset(out, 0x55, sizeof out);
  return Readable(Dispatch(key, v, out));
}

void RunSequences(const std::vector<Sequence> &seqs) {
  for (const Sequence &s : seqs) {
    ApplyMode(s.mode);
    Value v = s.value;
    int step = 0;
    for (const Press &p : s.presses) {
      ++step;
      EXPECT_EQ(PressKey(p.key, &v), p.want) << s.name << ", press " << step << " '" << p.key << "'";
      EXPECT_EQ(SetupGetItem(kSetupDisplayState), p.state)
          << s.name << ", press " << step << " '" << p.key << "'";
    }
    if (s.finalValue) {
      EXPECT_EQ(ShowV(v), s.finalValue) << s.name;
    }
  }
}

Mode WithFrac(u8 fracResult) {
  Mode m;
  m.fracResult = fracResult;
  return m;
}

Mode WithDisplay(u8 display) {
  Mode m;
  m.display = display;
  return m;
}

TEST(NumConv, FractionDecimalToggle) {
  RunSequences({
      {"0.75 twice", V("0.75"), Mode{},
       {{'T', "0.75", 0x00}, {'D', "3/4", 0x81}, {'D', "0.75", 0x82}, {'D', "3/4", 0x81}},
       "3/4"},
      {"no short fraction", V("3.14159265358980"), Mode{},
       {{'T', "3.141592654", 0x00}, {'D', "3.141592654", 0x82}, {'D', "3.141592654", 0x82}},
       "3.1415926535898"},
      {"shown fraction to decimal", V("1a1a2"), Mode{},
       {{'T', "3/2", 0x01}, {'D', "1.5", 0x82}, {'D', "3/2", 0x81}},
       "1_1/2"},
      {"complex", C("0.5", "0.25"), Mode{},
       {{'T', "0.5+0.25i", 0x00}, {'D', "0.5|+0.25i", 0x82}, {'D', "1/2|+1/4i", 0x81}, {'D', "0.5|+0.25i", 0x82}},
       "(1/2,1/4)"},
      {"complex fraction", C("1a2", "1a4"), Mode{},
       {{'D', "0.5|+0.25i", 0x82}},
       "(1/2,1/4)"},
      {"Eng display: no conversion", V("0.75"), WithDisplay(0x80),
       {{'D', "750m", 0xA0}},
       "0.75"},
  });
}

TEST(NumConv, MixedImproperToggle) {
  RunSequences({
      {"mixed setting", V("1a1a2"), WithFrac(1),
       {{'T', "1/1/2", 0x00}, {'F', "3/2", 0x81}, {'F', "1/1/2", 0x88}, {'F', "3/2", 0x81}},
       "1_1/2"},
      {"improper setting", V("1a1a2"), WithFrac(0),
       {{'T', "3/2", 0x01}, {'F', "1/1/2", 0x88}, {'F', "3/2", 0x81}, {'F', "1/1/2", 0x88}},
       "1_1/2"},
      {"decimal made fraction", V("1.5"), WithFrac(0),
       {{'T', "1.5", 0x00}, {'F', "1/1/2", 0x88}, {'F', "3/2", 0x81}},
       "1_1/2"},
      {"decimal made fraction, mixed setting", V("1.5"), WithFrac(1),
       {{'F', "3/2", 0x81}},
       "1_1/2"},
      {"no fraction form", V("3.14159265358980"), WithFrac(0),
       {{'F', "3.141592654", 0x82}},
       "3.1415926535898"},
      {"polar setting shows a real plainly", V("0.75"), [] {
         Mode m;
         m.complexMode = 2;
         return m;
       }(),
       {{'F', "3/4", 0x88}},
       "3/4"},
  });
}

TEST(NumConv, EngineeringShift) {
  RunSequences({
      {"Eng display", V("12345"), WithDisplay(0x80),
       {{'T', "12.345k", 0xA0}, {'<', "12345 ", 0x20}, {'>', "12.345k", 0xA0}, {'>', "0.012345{M}", 0xA0}},
       nullptr},
      {"Eng display, up first", V("12345"), WithDisplay(0x80),
       {{'T', "12.345k", 0xA0}, {'>', "0.012345{M}", 0xA0}},
       nullptr},
      {"Norm, down", V("12345"), Mode{},
       {{'T', "12345", 0x00},
        {'<', "12.345E+03", 0x20},
        {'<', "12345E+00", 0x20},
        {'<', "12345000E~03", 0x20},
        {'<', "12345000E~03", 0x20},
        {'>', "12345E+00", 0xA0}},
       nullptr},
      {"Norm, up", V("12345"), Mode{},
       {{'>', "0.012345E+06", 0xA0}, {'>', "0.000012345E+09", 0xA0}, {'T', "12345", 0x00}},
       nullptr},
      {"Norm, multiple of three", V("1000"), Mode{},
       {{'>', "1E+03", 0xA0}, {'>', "0.001E+06", 0xA0}},
       nullptr},
      {"fraction made decimal", V("3a4"), Mode{},
       {{'<', "750E~03", 0x20}},
       "3/4"},
      {"Fix 2", V("12345.678"), WithDisplay(0x22),
       {{'<', "12.34568E+03", 0x20}},
       nullptr},
      {"Sci 3", V("12345"), WithDisplay(0x33),
       {{'<', "12.3E+03", 0x20}, {'<', "12300E+00", 0x20}},
       nullptr},
      {"complex", C("12345", "0.5"), Mode{},
       {{'<', "12.345E+03|+500E~03i", 0x20}},
       nullptr},
  });
  // A shown exponent kept from another value gives way to the part's own.
  {
    ApplyMode(Mode{});
    SetupSetItem(kSetupDisplayState, kNumShiftActive);
    NumSetEngExpRe(90);
    const Value x = V("1.5");
    char text[kNumTextSize];
    EXPECT_EQ(Readable(NumToTextEng(&x, text, 0)), "1.5E+00");
  }
  // DMS in Eng display leaves the shift of the whole value's normal text.
  {
    ApplyMode(WithDisplay(0x80));
    const Value z = C("-8.48517638461e-7", "-5.19642262733778e77");
    char text[kNumTextSize];
    EXPECT_EQ(Readable(NumToTextDms(&z, text)), "~0o00'00\"|-519.6422627E+75i");
    EXPECT_EQ(NumGetEngExpRe(), -9);
    EXPECT_EQ(NumGetEngExpIm(), 75);
    EXPECT_EQ(Readable(NumToTextEng(&z, text, 0)), "~848517.6385p|-519642.2627E+72i");
  }
  // The shown exponents stay in words 62 and 64.
  ApplyMode(Mode{});
  Value v = C("12345", "0.5");
  char out[kNumTextSize];
  NumToTextEng(&v, out, 1);
  EXPECT_EQ(NumGetEngExpRe(), 6);
  EXPECT_EQ(NumGetEngExpIm(), 0);
}

TEST(NumConv, DegreesMinutesSeconds) {
  struct D {
    Value v;
    const char *want;
  };
  const D cases[] = {
      {V("1.5"), "1o30'00\""},
      {V("1e7"), "10000000"},
      {V("-1e7"), "~10000000"},
      {V("9999999.5"), "9999999o30'00\""},
      {V("12.345678"), "12o20'44.44\""},
      {V("-0.5"), "~0o30'00\""},
      {V("-1.5"), "~1o30'00\""},
      {V("0"), "0o00'00\""},
      {V("59.9999999"), "60o00'00\""},
      {V("12345.5"), "12345o30'00\""},
      {V("12345.501"), "12345o30'03.6\""},
      {V("123456.75"), "123456o45'00\""},
      {V("3a4"), "0o45'00\""},
      {C("1.5", "2.25"), "1o30'00\"|+2o15'00\"i"},
      {C("0", "-2.25"), "~2o15'00\"i"},
      // A part in exponent form keeps its normal text beside the other.
      {C("1e10", "1.5"), "1E+10|+1o30'00\"i"},
      {C("1.5", "-2e-12"), "1o30'00\"|-0o00'00\"i"},
  };
  for (const D &c : cases) {
    ApplyMode(Mode{});
    SetupSetItem(kSetupDisplayState, 0x04);
    char out[kNumTextSize];
    EXPECT_EQ(Readable(NumToTextDms(&c.v, out)), c.want) << ShowV(c.v);
    EXPECT_EQ(SetupGetItem(kSetupDisplayState), 0);
  }
}

// The sexagesimal form of a complex value takes the shape of the complex
// mode, under every display mode, and never writes past the output: the
// bytes after kNumTextSize keep their filler.
TEST(NumConv, DegreesMinutesSecondsOfComplexInEachMode) {
  struct D {
    Value v;
    u8 complexMode;
    u8 display;
    const char *want;
  };
  const D cases[] = {
      {C("3", "4"), 1, 0x00, "3o00'00\"|+4o00'00\"i"},
      {C("3", "4"), 2, 0x00, "5o00'00\"|<53o07'48.37\""},
      {C("-3", "-4"), 2, 0x00, "5o00'00\"|<~126o52'11.63\""},
      // Parts beyond the sexagesimal range keep their plain text, never a
      // polar text of their own.
      {C("-1e8", "-2e9"), 2, 0x3A, "2.002498439E+09|<~92o51'44.66\""},
      {C("-1e8", "-2e9"), 2, 0x29, "2002498439.|<~92o51'44.66\""},
      {C("-1e8", "-2e9"), 1, 0x3A, "~1.000000000E+08|-2.000000000E+09i"},
      {C("-1e8", "-2e9"), 1, 0x29, "~100000000.0|-2000000000.i"},
      {C("1e20", "-1e20"), 2, 0x3A, "1.414213562E+20|<~45o00'00\""},
      {C("-1.5", "-2.5e9"), 1, 0x80, "~1o30'00\"|-2.5{G}i"},
      // A real keeps its own sexagesimal text in the polar mode.
      {V("-1.5"), 2, 0x3A, "~1o30'00\""},
      {V("-1e8"), 2, 0x3A, "~1.000000000E+08"},
  };
  for (const D &c : cases) {
    Mode m;
    m.complexMode = c.complexMode;
    m.display = c.display;
    ApplyMode(m);
    char out[kNumTextSize + 64];
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(Readable(NumToTextDms(&c.v, out)), c.want) << ShowV(c.v) << " mode " << int(c.complexMode);
    EXPECT_LT(std::strlen(out), static_cast<size_t>(kNumTextSize));
    for (int i = kNumTextSize; i < kNumTextSize + 64; ++i) ASSERT_EQ(out[i], 0x55) << ShowV(c.v);
  }
}

// The joiners bound their output whatever the part texts hold.
TEST(NumConv, JoinersStayInsideTheOutput) {
  const std::string part(60, '7');
  for (int lineRule : {0, 21, -1}) {
    char out[kNumTextSize + 64];
    std::memset(out, 0x55, sizeof out);
    NumJoinRect(out, -1, part.c_str(), -1, part.c_str(), 0, lineRule);
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(kNumTextSize - 1));
    for (int i = kNumTextSize; i < kNumTextSize + 64; ++i) ASSERT_EQ(out[i], 0x55);
    std::memset(out, 0x55, sizeof out);
    NumJoinPolar(out, 1, part.c_str(), -1, part.c_str(), lineRule);
    EXPECT_EQ(std::strlen(out), static_cast<size_t>(kNumTextSize - 1));
    for (int i = kNumTextSize; i < kNumTextSize + 64; ++i) ASSERT_EQ(out[i], 0x55);
  }
}

TEST(NumConv, FracToImproper) {
  struct I {
    Value in;
    int result;
    const char *out;
  };
  const I cases[] = {
      {V("1a1a2"), 1, "3/2"},
      {V("-2a1a3"), 1, "-7/3"},
      {V("3a4"), 1, "3/4"},
      {V("1.5"), 0, "1.5"},
      {C("1.5", "1a1a2"), 1, "(1.5,3/2)"},
      {C("1.5", "1a2"), 0, "(1.5,1/2)"},
  };
  for (const I &c : cases) {
    Value out;
    EXPECT_EQ(NumFracToImproper(&c.in, &out), c.result) << ShowV(c.in);
    EXPECT_EQ(ShowV(out), c.out) << ShowV(c.in);
  }
}

}  // namespace

namespace {

// Random reals and complex values under every display setting and any
// sequence of conversion keys: a valid value never shows "ERROR", and every
// text ends well inside the buffer.
TEST(NumConv, RandomValuesAndKeysNeverFail) {
  u32 seed = 12345;
  auto next = [&seed](u32 n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  auto randomReal = [&](char *buf) {
    char digits[16];
    const int nd = 1 + static_cast<int>(next(15));
    for (int i = 0; i < nd; ++i) digits[i] = static_cast<char>('0' + (i == 0 ? 1 + next(9) : next(10)));
    digits[nd] = 0;
    const int e = next(4) == 0 ? static_cast<int>(next(199)) - 99 : static_cast<int>(next(25)) - 12;
    std::snprintf(buf, 40, "%s%c.%se%d", next(3) == 0 ? "-" : "", digits[0], nd > 1 ? digits + 1 : "0", e);
  };
  const u8 displays[] = {0x00, 0x10, 0x20, 0x25, 0x29, 0x30, 0x31, 0x36, 0x80, 0x90, 0xA3, 0xB4};
  const char keys[] = {'T', 'D', 'F', 'M', '<', '>'};
  for (int round = 0; round < 1500; ++round) {
    char re[40], im[40];
    randomReal(re);
    randomReal(im);
    Value v = next(2) ? V(re) : C(re, next(4) == 0 ? "0" : im);
    if (next(5) == 0) v = V(next(2) ? "7a9" : "-12a5a7");
    Mode m;
    m.display = displays[next(sizeof displays)];
    m.complexMode = static_cast<u8>(next(3));
    m.fracResult = static_cast<u8>(next(2));
    m.angle = static_cast<u8>(next(3));
    ApplyMode(m);
    for (int k = 0; k < 6; ++k) {
      const char key = keys[next(sizeof keys)];
      char out[kNumTextSize + 8];
      std::memset(out, 0x55, sizeof out);
      Dispatch(key, &v, out);
      const void *end = std::memchr(out, 0, kNumTextSize);
      ASSERT_NE(end, nullptr) << ShowV(v) << " display 0x" << std::hex << int(m.display) << " complex "
                              << int(m.complexMode) << " state " << int(SetupGetItem(kSetupDisplayState)) << " key " << key << " "
                              << Readable(std::string(out, sizeof out).c_str());
      EXPECT_EQ(std::string(out).find("ERROR"), std::string::npos)
          << ShowV(v) << " display 0x" << std::hex << int(m.display) << " key " << key;
    }
    char cell[kNumTextSize];
    EXPECT_EQ(std::string(NumFormatCell6(&v, cell)).find("ERROR"), std::string::npos) << ShowV(v);
    EXPECT_EQ(std::string(NumFormatCell14Polar(&v, cell)).find("ERROR"), std::string::npos) << ShowV(v);
    EXPECT_EQ(std::string(NumFormatCell10(&v, cell)).find("ERROR"), std::string::npos) << ShowV(v);
  }
}

}  // namespace
