#include "number/numparse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "number/real.h"
#include "numparse_testutil.h"

using numtest::R;
using numtest::Show;

namespace {

std::vector<u8> Bytes(const BcdReal &r, int n = 9) { return std::vector<u8>(r.b, r.b + n); }

TEST(NumParse, StoredBytes) {
  struct Case {
    const char *text;
    std::vector<u8> bytes;  // bytes 0-8
  } cases[] = {
      {"1", {0x10, 0x01, 0, 0, 0, 0, 0, 0, 0}},
      {"1e99", {0x19, 0x91, 0, 0, 0, 0, 0, 0, 0}},
      {"0.95", {0x09, 0x99, 0x50, 0, 0, 0, 0, 0, 0}},
      {"-9E99", {0x69, 0x99, 0, 0, 0, 0, 0, 0, 0}},
      {"32767", {0x10, 0x43, 0x27, 0x67, 0, 0, 0, 0, 0}},
      {"-32768", {0x60, 0x43, 0x27, 0x68, 0, 0, 0, 0, 0}},
      {"10", {0x10, 0x11, 0, 0, 0, 0, 0, 0, 0}},
      {"0.05", {0x09, 0x85, 0, 0, 0, 0, 0, 0, 0}},
      {"-0.05", {0x59, 0x85, 0, 0, 0, 0, 0, 0, 0}},
      {"1e-99", {0x00, 0x11, 0, 0, 0, 0, 0, 0, 0}},
      {"3.14159265358980", {0x10, 0x03, 0x14, 0x15, 0x92, 0x65, 0x35, 0x89, 0x80}},
      // Sixteen and more digits: truncated, never rounded, point still counts.
      {"1234567890123456789", {0x11, 0x81, 0x23, 0x45, 0x67, 0x89, 0x01, 0x23, 0x45}},
      {"0.999999999999999999", {0x09, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}},
      {"007.5", {0x10, 0x07, 0x50, 0, 0, 0, 0, 0, 0}},
      {"--2", {0x10, 0x02, 0, 0, 0, 0, 0, 0, 0}},
      {"1.5e-3", {0x09, 0x71, 0x50, 0, 0, 0, 0, 0, 0}},
      {"", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"0.000", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"-0", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case &c : cases) {
    BcdReal r;
    std::memset(&r, 0xEE, sizeof r);
    NumParse(c.text, &r);
    EXPECT_EQ(Bytes(r), c.bytes) << c.text;
    EXPECT_EQ(r.b[9], 0xEE) << c.text;  // bytes 9-11 left alone
    EXPECT_EQ(r.b[11], 0xEE) << c.text;
  }
}

TEST(NumParse, ExponentOutsideTheRange) {
  // Below the range the value underflows to 0; above it is Ma ERROR.
  struct Case {
    const char *text;
    const char *shown;
  } cases[] = {
      {"1e-100", "0"},         {"0.1e-99", "0"},       {"-5e-123456789", "0"},
      {"1e100", "E3"},         {"10e99", "E3"},        {"-1e999999999999", "E3"},
      {"9.99999e99", "9.99999e99"}, {"99.9e98", "9.99e99"},
  };
  for (const Case &c : cases) EXPECT_EQ(Show(R(c.text)), c.shown) << c.text;
}

TEST(NumParse, FractionTexts) {
  struct Case {
    const char *text;
    const char *shown;
  } cases[] = {
      {"1a3", "1/3"},        {"2a1a3", "2_1/3"},     {"4a6", "2/3"},
      {"-1a2", "-1/2"},      {"1a-2", "-1/2"},       {"-1a-2", "1/2"},
      {"-2a1a3", "-2_1/3"},  {"7A2", "3_1/2"},       {"6a3", "2"},
      {"0a5", "0"},          {"-6a3", "-2"},         {"3a0a5", "3"},
      {"1a0", "E3"},         {"1.5a2", "E3"},        {"1a2a3a4", "E3"},
      {"123456789a2", "61728394.5"},
      // Too long for ten nibbles: the correctly rounded decimal.
      {"1234a5678a9999", "1234.56785678568"},
      {"1a997", "1/997"},
      {"1a9999999999", "1.0000000001e-10"},
  };
  for (const Case &c : cases) EXPECT_EQ(Show(R(c.text)), c.shown) << c.text;
  // The constant 1/3 has the bytes 1A 21 A3.
  EXPECT_EQ(Bytes(R("1a3"), 3), (std::vector<u8>{0x1A, 0x21, 0xA3}));
}

TEST(NumFrac, UnpackAndPack) {
  NumFracParts p;
  const BcdReal mixed = R("-2a1a3"), seven = R("-7"), half = R("0.5");
  NumFracUnpack(&mixed, &p);
  EXPECT_EQ(p.sign, -1);
  EXPECT_EQ(Show(p.whole), "2");
  EXPECT_EQ(Show(p.num), "1");
  EXPECT_EQ(Show(p.den), "3");
  NumFracUnpack(&seven, &p);
  EXPECT_EQ(p.sign, -1);
  EXPECT_EQ(Show(p.whole), "7");
  EXPECT_EQ(Show(p.num), "0");
  EXPECT_EQ(Show(p.den), "1");
  NumFracUnpack(&half, &p);
  EXPECT_EQ(p.sign, 1);
  EXPECT_EQ(Show(p.whole), "E3");
  EXPECT_EQ(Show(p.den), "E3");

  // Reduce carries whole multiples and divides by the gcd.
  NumFracParts q{1, R("1"), R("14"), R("4")};
  NumFracReduce(&q, &q);
  EXPECT_EQ(Show(q.whole), "4");
  EXPECT_EQ(Show(q.num), "1");
  EXPECT_EQ(Show(q.den), "2");
  BcdReal out;
  NumFracPack(&q, RealSetZero(&out));
  EXPECT_EQ(Show(out), "4_1/2");
  // Ten nibbles fit with and without a whole part; eleven do not.
  NumFracParts fit{1, R("0"), R("1234"), R("56789")};
  EXPECT_EQ(Show(*NumFracPack(&fit, &out)), "1234/56789");
  NumFracParts fit3{-1, R("123"), R("45"), R("678")};
  EXPECT_EQ(Show(*NumFracPack(&fit3, &out)), "-123_45/678");
  NumFracParts over{1, R("1234"), R("45"), R("678")};
  EXPECT_EQ(Show(*NumFracPack(&over, &out)), "1234.06637168142");
}

TEST(NumInt, ToIntegerSaturates) {
  struct Case {
    const char *text;
    i32 i16v, i32v;
  } cases[] = {
      {"-3.7", -3, -3},
      {"3.7", 3, 3},
      {"0", 0, 0},
      {"32767.9", 32767, 32767},
      {"-32768", -32768, -32768},
      {"40000", 32767, 40000},
      {"-40000", -32768, -40000},
      {"2147483647", 32767, 2147483647},
      {"-2147483648", -32768, -2147483647 - 1},
      {"3e9", 32767, 2147483647},
      {"-1e99", -32768, -2147483647 - 1},
      {"1e-50", 0, 0},
      {"-7a2", -3, -3},  // the fraction -3 1/2
      {"1e100", 0, 0},   // Ma ERROR: no defined integer, 0
  };
  for (const Case &c : cases) {
    const BcdReal x = R(c.text);
    EXPECT_EQ(NumToInt16(&x), c.i16v) << c.text;
    EXPECT_EQ(NumToInt32(&x), c.i32v) << c.text;
  }
}

TEST(NumInt, FromIntegerExact) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  EXPECT_EQ(Bytes(*NumFromInt16(-32768, &r), 4), (std::vector<u8>{0x60, 0x43, 0x27, 0x68}));
  EXPECT_EQ(Bytes(*NumFromInt16(32767, &r), 4), (std::vector<u8>{0x10, 0x43, 0x27, 0x67}));
  EXPECT_EQ(Bytes(*NumFromInt32(2147483647, &r), 7), (std::vector<u8>{0x10, 0x92, 0x14, 0x74, 0x83, 0x64, 0x70}));
  EXPECT_EQ(Bytes(*NumFromInt32(-2147483647 - 1, &r), 7),
            (std::vector<u8>{0x60, 0x92, 0x14, 0x74, 0x83, 0x64, 0x80}));
  EXPECT_EQ(Show(*NumFromInt32(0, &r)), "0");
  EXPECT_EQ(Show(*NumFromInt32(-10, &r)), "-10");
}

std::vector<u8> Tokens(const BcdReal &x) {
  u8 out[22];
  std::memset(out, 0x55, sizeof out);
  NumRealToTokens(&x, out);
  return std::vector<u8>(out, out + std::strlen(reinterpret_cast<char *>(out)));
}

std::vector<u8> ValueTokens(const Value &v) {
  u8 out[45];
  NumToTokens(&v, out);
  return std::vector<u8>(out, out + std::strlen(reinterpret_cast<char *>(out)));
}

std::vector<u8> Str(const char *s) { return std::vector<u8>(s, s + std::strlen(s)); }

TEST(NumTokens, RealsAsInputText) {
  struct Case {
    const char *value;
    std::vector<u8> text;
  } cases[] = {
      {"0.05", Str("0.05")},
      {"0.5", Str("0.5")},
      {"123", Str("123")},
      {"1.5", Str("1.5")},
      {"0", Str("0")},
      {"-2.5", {0x87, '2', '.', '5'}},
      {"1234567890", Str("1234567890")},
      {"1e10", {'1', '.', 0x0F, 0x89, '1', '0'}},
      {"0.001", {'1', '.', 0x0F, 0x87, '0', '3'}},
      {"-1.25e-20", {0x87, '1', '.', '2', '5', 0x0F, 0x87, '2', '0'}},
      {"9.99999999999999e99", {'9', '.', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', 0x0F,
                               0x89, '9', '9'}},
      {"-0.0123456789012345", {0x87, '0', '.', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', '3',
                               '4', '5'}},
      {"-1a3", {0x87, '1', 0xBB, '3'}},
      {"2a1a3", {'2', 0xBB, '1', 0xBB, '3'}},
      {"1e100", {}},  // error value: empty text
  };
  for (const Case &c : cases) EXPECT_EQ(Tokens(R(c.value)), c.text) << c.value;
}

TEST(NumTokens, ComplexValuesAsInputText) {
  struct Case {
    Value v;
    std::vector<u8> text;
  } cases[] = {
      {numtest::C("0", "1"), {0x7F, 0x50}},
      {numtest::C("2", "-1"), {'2', 0x99, 0x7F, 0x50}},
      {numtest::C("0", "-3"), {0x99, '3', 0x7F, 0x50}},
      {numtest::C("1", "2"), {'1', 0x89, '2', 0x7F, 0x50}},
      {numtest::C("-1.5", "1a3"), {0x87, '1', '.', '5', 0x89, '1', 0xBB, '3', 0x7F, 0x50}},
      {numtest::V("-4"), {0x87, '4'}},
  };
  for (const Case &c : cases) EXPECT_EQ(ValueTokens(c.v), c.text) << numtest::ShowV(c.v);
  Value e = numtest::V("1");
  RealMakeError(3, &e.re);
  EXPECT_TRUE(ValueTokens(e).empty());
}

// Input text back to ASCII for NumParse: 0x87 and 0x99 are minus signs, 0x0F
// the exponent, 0x89 a plus, 0xBB the fraction separator.
std::string ToAscii(const std::vector<u8> &t) {
  std::string s;
  for (u8 c : t) {
    if (c == 0x87 || c == 0x99) s += '-';
    else if (c == 0x0F) s += 'e';
    else if (c == 0x89) continue;
    else if (c == 0xBB) s += 'a';
    else s += static_cast<char>(c);
  }
  return s;
}

TEST(NumTokens, RoundTripOfRandomReals) {
  std::mt19937_64 rng(20261210);
  for (int i = 0; i < 400; ++i) {
    NumDecimal d{};
    d.sign = (rng() & 1) ? -1 : 1;
    d.exp = static_cast<i32>(rng() % 199) - 99;
    const int digits = 1 + static_cast<int>(rng() % 15);
    for (int k = 0; k < digits; ++k) d.d[k] = static_cast<u8>(rng() % 10);
    if (d.d[0] == 0) d.d[0] = 1 + static_cast<u8>(rng() % 9);
    BcdReal x;
    RealSetZero(&x);
    NumSetDecimal(&d, &x);
    const std::string text = ToAscii(Tokens(x));
    const BcdReal back = R(text.c_str());
    EXPECT_EQ(Bytes(back), Bytes(x)) << text;
  }
  // Fractions come back as the same fraction.
  for (const char *f : {"1a3", "-2a1a3", "1234a56789", "1a99999999"}) {
    const BcdReal x = R(f);
    EXPECT_EQ(Bytes(R(ToAscii(Tokens(x)).c_str())), Bytes(x)) << f;
  }
}

}  // namespace
