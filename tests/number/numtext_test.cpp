// Result-line texts of NumToText under every display mode, the cells, the
// Base-N texts and the helpers underneath (digit records, rounding, joining).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "number/numtext.h"
#include "number/realop.h"
#include "numparse_testutil.h"
#include "numtext_testutil.h"
#include "ui/setup.h"

using numtest::C;
using numtest::V;
using numtext_test::ApplyMode;
using numtext_test::Mode;
using numtext_test::Readable;

namespace {

std::string Text(const Value &v, const Mode &m, u16 option = 0) {
  ApplyMode(m);
  char out[kNumTextSize];
  std::memset(out, 0x55, sizeof out);
  return Readable(NumToTextOpt(&v, out, &option));
}

struct Case {
  const char *value;
  u8 display;
  const char *want;
};

void RunReal(const std::vector<Case> &cases) {
  for (const Case &c : cases) {
    Mode m;
    m.display = c.display;
    EXPECT_EQ(Text(V(c.value), m), c.want) << c.value << " display 0x" << std::hex << int(c.display);
  }
}

constexpr u8 kNorm1 = 0x00, kNorm2 = 0x10, kFix = 0x20, kSci = 0x30, kEng = 0x80;

// The exact bytes of a few texts, so that the readable notation itself is
// checked once.
TEST(NumToText, WritesTheCalculatorsCharacterCodes) {
  Mode m;
  ApplyMode(m);
  char out[kNumTextSize];
  Value v = V("0.001");
  EXPECT_STREQ(NumToText(&v, out), "1\x0F\x87" "03");
  v = V("1e11");
  EXPECT_STREQ(NumToText(&v, out), "1\x0F+11");
  v = C("3", "-4");
  EXPECT_STREQ(NumToText(&v, out), "3-4\x7F\x50");
  v = C("0", "-4");
  EXPECT_STREQ(NumToText(&v, out), "\x87" "4\x7F\x50");
  v = V("3a4");
  EXPECT_STREQ(NumToText(&v, out), "3\xBB" "4");
}

TEST(NumToText, Norm1And2Boundaries) {
  RunReal({
      {"0", kNorm1, "0"},
      {"1", kNorm1, "1"},
      {"-2.5", kNorm1, "~2.5"},
      {"0.333333333333333", kNorm1, "0.3333333333"},
      {"0.666666666666667", kNorm1, "0.6666666667"},
      {"0.01", kNorm1, "0.01"},
      {"0.001", kNorm1, "1E~03"},
      {"0.0123456789012", kNorm1, "0.0123456789"},
      {"0.00999999999999", kNorm1, "0.01"},
      {"0.0999999999999", kNorm1, "0.1"},
      {"9999999999", kNorm1, "9999999999"},
      {"9999999999.5", kNorm1, "1E+10"},
      {"99999999999", kNorm1, "1E+11"},
      {"1e10", kNorm1, "1E+10"},
      {"1e11", kNorm1, "1E+11"},
      {"123456789012345", kNorm1, "1.23456789E+14"},
      {"-1.5e-50", kNorm1, "~1.5E~50"},
      {"1e99", kNorm1, "1E+99"},
      {"-1e-99", kNorm1, "~1E~99"},
      // Rounding up would overflow: the digits are cut instead.
      {"9.99999999999999e99", kNorm1, "9.999999999E+99"},
      {"0.001", kNorm2, "0.001"},
      {"1e-9", kNorm2, "0.000000001"},
      {"1.23456789e-9", kNorm2, "0.00000000123"},
      {"1.23456789012e-5", kNorm2, "0.00001234567"},
      {"-4.56789e-3", kNorm2, "~0.00456789"},
      {"1e-10", kNorm2, "1E~10"},
      {"0.0123456789012", kNorm2, "0.0123456789"},
      {"9999999999", kNorm2, "9999999999"},
      {"1e10", kNorm2, "1E+10"},
  });
}

TEST(NumToText, FixAndSciWithCarries) {
  RunReal({
      {"2.5", kFix | 3, "2.500"},
      {"0.5", kFix | 0, "1."},
      {"0.4", kFix | 0, "0."},
      {"12", kFix | 0, "12."},
      {"9.99", kFix | 1, "10.0"},
      {"9.96", kFix | 1, "10.0"},
      {"0.004", kFix | 2, "0.00"},
      {"0.005", kFix | 2, "0.01"},
      {"0.0004", kFix | 2, "0.00"},
      {"-0.004", kFix | 2, "0.00"},
      {"-1.005", kFix | 2, "~1.01"},
      {"123.456", kFix | 2, "123.46"},
      {"12345.6789", kFix | 9, "12345.67890"},
      {"9999999999.996", kFix | 2, "1E+10"},
      {"1e10", kFix | 2, "1E+10"},
      {"0", kFix | 4, "0.0000"},
      {"0", kFix | 0, "0."},
      {"2.5", kSci | 3, "2.50E+00"},
      {"0.95", kSci | 1, "1E+00"},
      {"0.95", kSci | 2, "9.5E~01"},
      {"0.333333333333333", kSci | 0, "3.333333333E~01"},
      {"0", kSci | 4, "0.000E+00"},
      {"-123", kSci | 2, "~1.2E+02"},
      {"99999.5", kSci | 5, "1.0000E+05"},
      {"1e-99", kSci | 9, "1.00000000E~99"},
      {"9.9999e99", kSci | 3, "9.99E+99"},
  });
}

TEST(NumToText, EngPrefixesFromFemtoToExa) {
  RunReal({
      {"12345", kEng, "12.345k"},
      {"1", kEng, "1 "},
      {"0", kEng, "0 "},
      {"-2.5e-4", kEng, "~250{u}"},
      {"1e-15", kEng, "1{f}"},
      {"1.5e-13", kEng, "150{f}"},
      {"1e-12", kEng, "1p"},
      {"1e-9", kEng, "1{n}"},
      {"1e-6", kEng, "1{u}"},
      {"0.001", kEng, "1m"},
      {"1e6", kEng, "1{M}"},
      {"1e9", kEng, "1{G}"},
      {"1e12", kEng, "1{T}"},
      {"1e15", kEng, "1{P}"},
      {"1e18", kEng, "1{E}"},
      {"9.99e20", kEng, "999{E}"},
      {"1e21", kEng, "1E+21"},
      {"1e-16", kEng, "100E~18"},
      {"0.333333333333333", kEng, "333.3333333m"},
      {"12345", kEng | kFix | 1, "12.345k"},
      {"12345", kEng | kSci | 2, "12k"},
      {"3a4", kEng, "750m"},
  });
}

TEST(NumToText, ComplexRectangularForms) {
  struct C2 {
    const char *re, *im;
    u8 display;
    const char *want;
  };
  const C2 cases[] = {
      {"0", "1", kNorm1, "i"},
      {"0", "-1", kNorm1, "~i"},
      {"3", "-4", kNorm1, "3-4i"},
      {"0", "-4", kNorm1, "~4i"},
      {"1", "1", kNorm1, "1+i"},
      {"-1", "-1", kNorm1, "~1-i"},
      {"2.5", "0", kNorm1, "2.5"},
      {"0", "0", kNorm1, "0"},
      {"1e-3", "2", kNorm1, "1E~03+2i"},
      // 21 characters break before the imaginary part; 20 do not.
      {"1.23456789", "1.2345678", kNorm1, "1.23456789|+1.2345678i"},
      {"1.23456789", "1.234567", kNorm1, "1.23456789+1.234567i"},
      {"3", "0", kFix | 2, "3.00+0.00i"},
      {"0", "1", kFix | 1, "0.0+1.0i"},
      {"0", "1", kSci | 2, "0.0E+00+1.0E+00i"},
      {"12345", "0.001", kEng, "12.345k|+1mi"},
      {"3a4", "1a2", kNorm1, "3/4+1/2i"},
  };
  for (const C2 &c : cases) {
    Mode m;
    m.display = c.display;
    EXPECT_EQ(Text(C(c.re, c.im), m), c.want) << c.re << " " << c.im;
  }
}

TEST(NumToText, PolarFormAndForcedForms) {
  Mode polar;
  polar.complexMode = 2;
  EXPECT_EQ(Text(V("-5"), polar), "5<180");
  EXPECT_EQ(Text(V("5"), polar), "5");
  EXPECT_EQ(Text(V("2.5"), polar), "2.5");
  EXPECT_EQ(Text(C("1", "1"), polar), "1.414213562<45");
  EXPECT_EQ(Text(C("0", "2"), polar), "2<90");
  EXPECT_EQ(Text(C("0", "-2"), polar), "2<~90");
  EXPECT_EQ(Text(C("0", "0"), polar), "0");
  EXPECT_EQ(Text(C("9e99", "9e99"), polar), "9E+99+9E+99i");
  EXPECT_EQ(Text(C("1", "1"), polar, kNumOptRect), "1+i");
  Mode rad = polar;
  rad.angle = 1;
  EXPECT_EQ(Text(V("-1"), rad), "1<3.141592654");
  Mode rect;
  EXPECT_EQ(Text(C("3", "4"), rect, kNumOptPolar), "5<53.13010235");
  // Eng display does not apply to the polar form.
  Mode engPolar = polar;
  engPolar.display = kEng;
  EXPECT_EQ(Text(C("1000", "1000"), engPolar), "1414.213562<45");
}

TEST(NumToText, Fractions) {
  Mode m;
  EXPECT_EQ(Text(V("3a4"), m), "3/4");
  EXPECT_EQ(Text(V("-3a4"), m), "~3/4");
  EXPECT_EQ(Text(V("1a1a2"), m), "3/2");
  m.fracResult = 1;
  EXPECT_EQ(Text(V("1a1a2"), m), "1/1/2");
  // Fix and Sci leave fractions as they are.
  m.display = kFix | 2;
  EXPECT_EQ(Text(V("1a1a2"), m), "1/1/2");
}

TEST(NumToText, BaseN) {
  struct B {
    const char *value;
    u8 base;
    u16 option;
    const char *want;
  };
  const B cases[] = {
      {"255", 15, 0, "000000FF"},
      {"-1", 15, 0, "FFFFFFFF"},
      {"2147483647", 15, 0, "7FFFFFFF"},
      {"-2147483648", 15, 0, "80000000"},
      {"2147483648", 15, 0, "Ma ERROR"},
      {"5", 1, 0, "0000000000000101"},
      {"-1", 1, 0, "1111111111111111"},
      {"32767", 1, 0, "0111111111111111"},
      {"40000", 1, 0, "Ma ERROR"},
      {"8", 7, 0, "00000000010"},
      {"-1", 7, 0, "37777777777"},
      {"-123", 9, 0, "~123"},
      {"2147483647", 9, 0, "2147483647"},
      {"0", 9, 0, "0"},
      {"255", 15, kNumOptDecimal, "255"},
      {"10", 9, kNumOptHex, "0000000A"},
      {"10", 9, kNumOptBinary, "0000000000001010"},
      {"10", 9, kNumOptOctal, "00000000012"},
      {"7a2", 9, 0, "3"},
      {"-7a2", 15, 0, "FFFFFFFC"},
      {"5.9", 1, 0, "0000000000000101"},
  };
  for (const B &c : cases) {
    Mode m;
    m.base = c.base;
    EXPECT_EQ(Text(V(c.value), m, c.option), c.want) << c.value << " base " << int(c.base);
  }
  Mode hex;
  hex.base = 15;
  EXPECT_EQ(Text(C("1", "1"), hex), "Ma ERROR");
}

// "ERROR" only for values that really cannot be formatted.
TEST(NumToText, ErrorOnlyForInvalidValues) {
  Mode m;
  Value err;
  std::memset(&err, 0, sizeof err);
  RealMakeError(3, &err.re);
  EXPECT_EQ(Text(err, m), "ERROR");
  Value bad = V("1.5");
  bad.re.b[3] = 0xC0;  // a mantissa nibble above 9
  EXPECT_EQ(Text(bad, m), "ERROR");
  Value badFrac = V("3a4");
  badFrac.re.b[0] = 0x3A;  // sign nibble of a fraction must be 1 or 6
  EXPECT_EQ(Text(badFrac, m), "ERROR");
  // The extremes of the range and every mode format without error.
  const char *const extremes[] = {"9.99999999999999e99", "-9.99999999999999e99", "1e-99", "-1e-99", "0"};
  const u8 modes[] = {kNorm1, kNorm2, kFix | 0, kFix | 9, kSci | 0, kSci | 1, kEng, kEng | kFix | 3};
  for (const char *x : extremes) {
    for (u8 d : modes) {
      Mode mm;
      mm.display = d;
      EXPECT_EQ(Text(V(x), mm).find("ERROR"), std::string::npos) << x << " " << int(d);
      EXPECT_EQ(Text(C(x, x), mm).find("ERROR"), std::string::npos) << x << " " << int(d);
    }
  }
}

TEST(NumToText, ClearsTheConversionStateAndLeavesTheValue) {
  Mode m;
  ApplyMode(m);
  SetupSetItem(kSetupDisplayState, 0xA4);
  NumSetEngExpRe(6);
  NumSetEngExpIm(-3);
  Value v = V("0.123456789012345");
  const Value before = v;
  char out[kNumTextSize];
  NumToText(&v, out);
  EXPECT_EQ(Readable(out), "0.123456789");
  EXPECT_EQ(SetupGetItem(kSetupDisplayState), 0);
  EXPECT_EQ(NumGetEngExpRe(), 4 - 5);  // the real part's exponent
  EXPECT_EQ(NumGetEngExpIm(), 0);
  EXPECT_EQ(std::memcmp(&v, &before, sizeof v), 0);
}

// Our own reference: random reals under Norm 1, Fix 0-9 and Sci 0-9 against
// the texts of an independent formatter (tools/gen_numtext.py, Python's
// decimal with ROUND_HALF_UP).
TEST(NumToText, AgreesWithTheDecimalReference) {
  std::string here = __FILE__;
  const std::string path = here.substr(0, here.rfind('/')) + "/../data/numtext_ref.txt";
  std::ifstream in(path);
  ASSERT_TRUE(in.good()) << path;
  std::string line;
  int rows = 0, failures = 0;
  while (std::getline(in, line)) {
    std::stringstream ss(line);
    std::string value, want;
    std::getline(ss, value, '\t');
    const Value v = V(value.c_str());
    for (int col = 0; col < 21 && std::getline(ss, want, '\t'); ++col) {
      Mode m;
      m.display = col == 0 ? kNorm1 : col <= 10 ? static_cast<u8>(kFix | (col - 1)) : static_cast<u8>(kSci | (col - 11));
      const std::string got = Text(v, m);
      if (got != want && ++failures <= 20) ADD_FAILURE() << value << " display 0x" << std::hex << int(m.display) << ": " << got << " want " << want;
    }
    ++rows;
  }
  EXPECT_GT(rows, 2000);
  EXPECT_EQ(failures, 0);
}

TEST(NumWriteDigits, ModesAndExponentCases) {
  struct W {
    const char *value;
    int n, mode;
    const char *want;
    int sign;
  };
  const W cases[] = {
      {"0", 3, 0, "0.00", 0},  {"0", 3, 1, "0", 0},       {"0", 1, 2, "0.", 0},       {"0", 1, 0, "0", 0},
      {"1.5", 3, 0, "1.50", 1}, {"1.5", 3, 1, "1.5", 1},   {"12", 2, 0, "12", 1},      {"12", 2, 2, "12.", 1},
      {"-120", 5, 1, "120", -1}, {"0.05", 3, 0, "0.0500", 1}, {"0.05", 3, 1, "0.05", 1}, {"12345", 3, 0, "12300", 1},
      {"12345", 3, 2, "12300.", 1}, {"1.23456", 2, 1, "1.2", 1},
  };
  for (const W &c : cases) {
    NumDigits r;
    const Value v = V(c.value);
    ASSERT_EQ(NumDecompose(&r, &v.re), 1) << c.value;
    char out[kNumTextSize];
    EXPECT_EQ(NumWriteDigits(out, &r, c.n, c.mode), c.sign) << c.value;
    EXPECT_STREQ(out, c.want) << c.value << " n " << c.n << " mode " << c.mode;
  }
  char e[8];
  EXPECT_EQ(NumWriteExponent(e, -3, 1, 1), 3);
  EXPECT_EQ(Readable(e), "E~3");
  EXPECT_EQ(NumWriteExponent(e, 7, 1, 0), 4);
  EXPECT_EQ(Readable(e), "E+07");
  EXPECT_EQ(NumWriteExponent(e, 42, 0, 1), 3);
  EXPECT_EQ(Readable(e), "E42");
}

TEST(NumDecompose, RecordsAndFailures) {
  NumDigits r;
  Value v = V("-0.05");
  ASSERT_EQ(NumDecompose(&r, &v.re), 1);
  EXPECT_EQ(r.exponent, -2);
  EXPECT_EQ(r.sign, -1);
  EXPECT_EQ(r.fracCount, 0);
  EXPECT_EQ(r.d[0], 5);
  v = C("2", "1");  // the complex flag is ignored
  ASSERT_EQ(NumDecompose(&r, &v.re), 1);
  EXPECT_EQ(r.exponent, 0);
  EXPECT_EQ(r.sign, 1);
  v = V("-1a2a3");
  ASSERT_EQ(NumDecompose(&r, &v.re), 1);
  EXPECT_EQ(r.exponent, 100);
  EXPECT_EQ(r.sign, -1);
  EXPECT_EQ(r.fracCount, 5);
  const u8 want[5] = {1, 10, 2, 10, 3};
  EXPECT_EQ(std::memcmp(r.d, want, 5), 0);
  RealMakeError(3, &v.re);
  EXPECT_EQ(NumDecompose(&r, &v.re), 0);
}

TEST(NumRound, RoundsBothPartsInPlace) {
  Value v = C("9.99", "-0.004");
  NumRoundFix(&v, 2);
  EXPECT_EQ(numtest::ShowV(v), "(9.99,0)");
  EXPECT_TRUE(v.re.b[0] & 0x80);
  v = C("1.23456789012345", "0.95");
  NumRoundSci(&v, 1);
  EXPECT_EQ(numtest::ShowV(v), "(1,1)");
  v = V("0.666666666666667");
  EXPECT_EQ(NumRoundNorm(&v, 0), 1);
  EXPECT_EQ(numtest::Show(v.re), "0.6666666667");
  v = V("1a3");
  NumRoundNorm(&v, 0);
  EXPECT_EQ(numtest::Show(v.re), "1/3");
}

TEST(NumAlign, RightAndPad) {
  char out[kNumTextSize];
  EXPECT_STREQ(NumAlignRight(out, "12", 5), "   12");
  EXPECT_STREQ(NumAlignRight(out, "123456", 4), "1234");
  EXPECT_STREQ(NumAlignRight(out, "1\x7F\x50", 3), " 1\x7F\x50");
  EXPECT_STREQ(NumPadRight(out, "\x7F\x50", 4), "\x7F\x50   ");
  EXPECT_STREQ(NumPadRight(out, "1\x7F\x50" "23", 2), "1\x7F\x50");
  // A width beyond the buffer is held to it.
  EXPECT_EQ(std::strlen(NumPadRight(out, "1", 500)), static_cast<size_t>(kNumTextSize - 1));
  EXPECT_EQ(std::strlen(NumAlignRight(out, "1", 500)), static_cast<size_t>(kNumTextSize - 1));
}

TEST(NumFormatCell, CellsOfEveryWidth) {
  Mode m;
  ApplyMode(m);
  using Fn = char *(*)(const Value *, char *);
  struct K {
    Fn fn;
    const char *name;
    Value v;
    const char *want;
  };
  const K cases[] = {
      {NumFormatCell6, "6", V("1234567"), "1.23E6"},
      {NumFormatCell6, "6", V("-1234567"), "~1.2E6"},
      {NumFormatCell6, "6", V("123456"), "123456"},
      {NumFormatCell6, "6", V("-12345"), "~12345"},
      {NumFormatCell6, "6", V("-123456"), "~1.2E5"},
      {NumFormatCell6, "6", V("0.5"), "   0.5"},
      {NumFormatCell6, "6", V("1a3"), "0.3333"},
      {NumFormatCell6, "6", V("0.01"), "  0.01"},
      {NumFormatCell6, "6", V("0.001"), "  1E~3"},
      {NumFormatCell6, "6", V("1e-15"), " 1E~15"},
      {NumFormatCell6, "6", V("0"), "     0"},
      {NumFormatCell6, "6", C("1", "2"), "  1+2i"},
      {NumFormatCell6, "6", C("1.5", "2.5"), "1.5+2>"},
      {NumFormatCell6Polar, "6p", V("-5"), " 5<180"},
      {NumFormatCell13, "13", V("1a3"), " 0.3333333333"},
      {NumFormatCell13, "13", V("-0.0123456789012"), "~0.0123456789"},
      {NumFormatCell13, "13", V("1e15"), "         1E15"},
      {NumFormatCell13, "13", V("-1.23456789012e-15"), "~1.234567E~15"},
      {NumFormatCell13, "13", C("1", "1"), "        ERROR"},
      {NumFormatCell14, "14", C("3", "-4"), "          3-4i"},
      {NumFormatCell14, "14", C("-123456", "123456"), "~1.2E5+123456i"},
      {NumFormatCell14Polar, "14p", C("0", "2"), "          2<90"},
      {NumFormatCell10, "10", C("0", "1"), "i             "},
      {NumFormatCell10, "10", V("1a3"), "0.33333333"},
      {NumFormatCell10, "10", V("1234567"), "1.2345E+06"},
      {NumFormatCell10, "10", V("-12345"), "~12345    "},
      // A negative part leaves plain notation at exponent 5, also as the
      // imaginary part; a positive one at 6.
      {NumFormatCell10, "10", C("1", "-123456"), "1-1.2345E+05i "},
      {NumFormatCell10, "10", C("1", "123456"), "1+123456i     "},
      {NumFormatCell10, "10", C("1", "-12345"), "1-12345i      "},
      {NumFormatCell14, "14", C("1", "-123456"), "     1-123456i"},
      {NumFormatCell10Polar, "10p", C("0", "2"), "2<90         "},
      // The modulus overflows: the polar cells show the rectangular form.
      {NumFormatCell6Polar, "6p", C("9e99", "9e99"), "9E99+>"},
      {NumFormatCell14Polar, "14p", C("9e99", "9e99"), "    9E99+9E99i"},
      {NumFormatCell10Polar, "10p", C("9e99", "9e99"), "9E+99+9E+99i  "},
  };
  for (const K &c : cases) {
    char out[kNumTextSize];
    EXPECT_EQ(Readable(c.fn(&c.v, out)), c.want) << "cell " << c.name << " " << numtest::ShowV(c.v);
  }
  Value err;
  std::memset(&err, 0, sizeof err);
  RealMakeError(3, &err.re);
  char out[kNumTextSize];
  EXPECT_EQ(Readable(NumFormatCell6(&err, out)), " ERROR");
  EXPECT_EQ(Readable(NumFormatCell10(&err, out)), "ERROR     ");
}

}  // namespace
