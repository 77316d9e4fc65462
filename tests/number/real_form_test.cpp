// Stored real <-> working form, the error and fraction forms, the stored
// constants.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "number/bcd.h"
#include "number/real.h"
#include "tests/number/work_text.h"

using numtest::WorkFromText;
using numtest::WorkToText;

namespace {

BcdReal Stored(std::initializer_list<u8> bytes) {
  BcdReal r{};
  int i = 0;
  for (u8 b : bytes) r.b[i++] = b;
  return r;
}

std::string Hex(const BcdReal &r, int n = 9) {
  static const char *h = "0123456789ABCDEF";
  std::string s;
  for (int i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += h[r.b[i] >> 4];
    s += h[r.b[i] & 15];
  }
  return s;
}

BcdWork WorkOfWord(std::initializer_list<u8> digits, u16 word) {
  BcdWork w{};
  int i = 0;
  for (u8 b : digits) w.b[i++] = b;
  BcdSetWord(&w, word);
  return w;
}

TEST(RealPack, RangeRules) {
  struct Case {
    const char *name;
    BcdWork work;
    const char *bytes;
  } cases[] = {
      {"one", WorkOfWord({0x01}, 0x1000), "10 01 00 00 00 00 00 00 00"},
      {"ten", WorkOfWord({0x01}, 0x1001), "10 11 00 00 00 00 00 00 00"},
      {"half", WorkOfWord({0x05}, 0x0999), "09 95 00 00 00 00 00 00 00"},
      {"-32768", WorkOfWord({0x03, 0x27, 0x68}, 0x6004), "60 43 27 68 00 00 00 00 00"},
      {"e-99 keeps digits 01", WorkOfWord({0x01}, 0x0901), "00 11 00 00 00 00 00 00 00"},
      {"e-100 is zero", WorkOfWord({0x01}, 0x0900), "00 00 00 00 00 00 00 00 00"},
      {"e-101 is zero", WorkOfWord({0x01}, 0x0899), "00 00 00 00 00 00 00 00 00"},
      {"-e-100 is zero", WorkOfWord({0x01}, 0x5900), "00 00 00 00 00 00 00 00 00"},
      {"e99 max", WorkOfWord({0x09, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99}, 0x1099),
       "19 99 99 99 99 99 99 99 99"},
      {"e100 overflows", WorkOfWord({0x01}, 0x1100), "F0 03"},
      {"-e100 overflows", WorkOfWord({0x01}, 0x6100), "F0 03"},
      {"word with bad top nibble", WorkOfWord({0x01}, 0x2000), "F0 03"},
      {"zero digits", WorkOfWord({0x00, 0x12}, 0x1000), "00 00 00 00 00 00 00 00 00"},
      {"infinity", WorkOfWord({0x40}, 0x1000), "F0 03"},
      {"-infinity", WorkOfWord({0x40}, 0x6000), "F0 03"},
      {"UNDEF", WorkOfWord({0x81}, 0x1000), "F0 03"},
      {"TRUE", WorkOfWord({0x90}, 0), "F0 03"},
      {"FALSE", WorkOfWord({0xA0}, 0), "F0 03"},
      {"working error keeps no code", WorkOfWord({0xF0}, 16), "F0 03"},
  };
  for (const Case &c : cases) {
    BcdReal r;
    std::memset(r.b, 0xEE, 12);
    RealPack(&c.work, &r);
    const int n = std::strlen(c.bytes) == 5 ? 2 : 9;
    EXPECT_EQ(Hex(r, n), c.bytes) << c.name;
  }
}

TEST(RealPack, LeavesBytesNineToElevenOfANumber) {
  BcdReal r;
  std::memset(r.b, 0xEE, 12);
  const BcdReal half = Stored({0x09, 0x95});
  BcdWork w;
  RealUnpack(&half, &w);
  EXPECT_EQ(WorkToText(w), "5e-1");
  EXPECT_EQ(BcdGetWord(&w), 0x0999);
  RealPack(&w, &r);
  EXPECT_EQ(Hex(r), "09 95 00 00 00 00 00 00 00");
  EXPECT_EQ(r.b[9], 0xEE);
  EXPECT_EQ(r.b[11], 0xEE);
  // Zero clears all twelve bytes.
  BcdWork z{};
  RealPack(&z, &r);
  for (u8 b : r.b) EXPECT_EQ(b, 0);
}

TEST(RealPack, OverflowAndUnderflowThroughArithmetic) {
  BcdReal r;
  BcdWork a = WorkFromText("9.99999999999999e99"), ten = WorkFromText("10");
  BcdMul(&a, &ten);
  RealPack(&a, &r);
  EXPECT_EQ(RealErrorCode(&r), 3);
  a = WorkFromText("1e-99");
  BcdDiv(&a, &ten);
  RealPack(&a, &r);
  EXPECT_EQ(Hex(r), "00 00 00 00 00 00 00 00 00");
}

TEST(RealUnpack, RoundTripsEveryExponentDigitPattern) {
  for (int e = -99; e <= 99; ++e) {
    for (bool neg : {false, true}) {
      std::string text = std::string(neg ? "-" : "") + "1.23456789012345e" + std::to_string(e);
      BcdWork w = WorkFromText(text), back;
      BcdReal r;
      RealPack(&w, &r);
      RealUnpack(&r, &back);
      EXPECT_EQ(std::memcmp(w.b, back.b, 12), 0) << text;
    }
  }
}

TEST(RealFrac, UnpackMakesTheDecimalValue) {
  struct Case {
    BcdReal frac;
    const char *value;
  } cases[] = {
      {Stored({0x1A, 0x21, 0xA3}), "3.33333333333333e-1"},           // 1/3
      {Stored({0x6A, 0x21, 0xA3}), "-3.33333333333333e-1"},          // -1/3
      {Stored({0x1A, 0x42, 0xA1, 0xA3}), "2.33333333333333"},         // 2 1/3
      {Stored({0x1A, 0x41, 0x2A, 0x73}), "1.64383561643836e-1"},      // 12/73
      {Stored({0x5A, 0x51, 0x0A, 0x2A, 0x30}), "-1.06666666666667e1"},  // -10 2/3 (5 is negative)
  };
  for (const Case &c : cases) {
    EXPECT_TRUE(RealIsFrac(&c.frac));
    BcdWork w;
    RealUnpack(&c.frac, &w);
    EXPECT_EQ(WorkToText(w), c.value);
  }
  BcdReal third, dec;
  RealSetOneThird(&third);
  EXPECT_EQ(Hex(third, 3), "1A 21 A3");
  RealFracToDecimal(&third, &dec);
  EXPECT_FALSE(RealIsFrac(&dec));
  EXPECT_EQ(Hex(dec), "09 93 33 33 33 33 33 33 33");
  // Other values are copied.
  BcdReal two, out;
  RealSetTwo(&two);
  RealFracToDecimal(&two, &out);
  EXPECT_EQ(Hex(out), "10 02 00 00 00 00 00 00 00");
}

TEST(RealError, MakeAndRead) {
  BcdReal r;
  std::memset(r.b, 0x11, 12);
  RealMakeError(3, &r);
  EXPECT_EQ(r.b[0], 0xF0);
  EXPECT_EQ(r.b[1], 3);
  EXPECT_EQ(r.b[2], 0x11);  // the rest not written
  EXPECT_EQ(RealErrorCode(&r), 3);
  EXPECT_FALSE(RealIsFrac(&r));
  BcdReal one;
  EXPECT_EQ(RealErrorCode(RealSetOne(&one)), 0);

  // Unpacking an error value keeps its code in the working error value.
  BcdWork w;
  RealUnpack(&r, &w);
  EXPECT_EQ(BcdKind(&w), BCD_KIND_ERROR);
  EXPECT_EQ(BcdGetWord(&w), 3);
  EXPECT_EQ(BcdMakeError(17, &w), 17);
  EXPECT_EQ(BcdKind(&w), BCD_KIND_ERROR);
  EXPECT_EQ(BcdGetWord(&w), 17);
  BcdExt x;
  EXPECT_EQ(BcdExtMakeError(8, &x), 8);
  EXPECT_EQ(x.b[0], 0xF0);
  EXPECT_EQ(BcdExtGetWord(&x), 8);
}

TEST(RealConstants, Bytes) {
  using Ctor = BcdReal *(*)(BcdReal *);
  struct Case {
    Ctor ctor;
    const char *bytes;
    bool all12;
  } cases[] = {
      {RealSetOne, "10 01 00 00 00 00 00 00 00", true},
      {RealSetTwo, "10 02 00 00 00 00 00 00 00", true},
      {RealSetFive, "10 05 00 00 00 00 00 00 00", true},
      {RealSetTen, "10 11 00 00 00 00 00 00 00", true},
      {RealSetOneThird, "1A 21 A3 00 00 00 00 00 00", true},
      {RealSetHalf, "09 95 00 00 00 00 00 00 00", true},
      {RealSet32767, "10 43 27 67 00 00 00 00 00", true},
      {RealSetMinus32768, "60 43 27 68 00 00 00 00 00", true},
      {RealSet65536, "10 46 55 36 00 00 00 00 00", true},
      {RealSet2147483647, "10 92 14 74 83 64 70 00 00", true},
      {RealSetMinus2147483648, "60 92 14 74 83 64 80 00 00", true},
      {RealSet4294967296, "10 94 29 49 67 29 60 00 00", true},
      {RealSetPi, "10 03 14 15 92 65 35 89 80", false},
      {RealSetTwoPi, "10 06 28 31 85 30 71 79 60", false},
      {RealSetHalfPi, "10 01 57 07 96 32 67 94 90", false},
      {RealSetQuarterPi, "09 97 85 39 81 63 39 74 50", false},
      {RealSetE, "10 02 71 82 81 82 84 59 04", false},
      {RealSetLn10, "10 02 30 25 85 09 29 94 05", false},
      {RealSetLn2, "09 96 93 14 71 80 55 99 45", false},
      {RealSetLimit, "19 99 99 00 00 00 00 00 00", true},
      {RealSetNegLimit, "69 99 99 00 00 00 00 00 00", true},
      {RealSetMax, "19 99 99 99 99 99 99 99 99", true},
      {RealSet227_85, "10 22 27 85 00 00 00 00 00", true},
      {RealSetSqrt2, "10 01 41 42 13 56 23 73 10", false},
      {RealSetHalfSqrt2, "09 97 07 10 67 81 18 65 48", false},
      {RealSetSqrt2Pi, "10 02 50 66 28 27 46 31 00", false},
  };
  for (const Case &c : cases) {
    BcdReal r;
    std::memset(r.b, 0xEE, 12);
    EXPECT_EQ(c.ctor(&r), &r);
    EXPECT_EQ(Hex(r), c.bytes);
    EXPECT_EQ(r.b[10], c.all12 ? 0x00 : 0xEE) << c.bytes;
  }
  BcdReal z;
  std::memset(z.b, 0xEE, 12);
  RealSetZero(&z);
  for (u8 b : z.b) EXPECT_EQ(b, 0);
}

TEST(BcdKindCodes, EveryKind) {
  struct Case {
    u8 b0;
    u16 word;
    u16 kind;
  } cases[] = {
      {0x01, 0x1000, BCD_KIND_NUMBER}, {0x00, 0x0000, BCD_KIND_NUMBER}, {0x40, 0x1000, BCD_KIND_POS_INF},
      {0x40, 0x6000, BCD_KIND_NEG_INF}, {0x80, 0x1000, BCD_KIND_UNDEF}, {0x90, 0, BCD_KIND_TRUE},
      {0xA0, 0, BCD_KIND_FALSE},       {0xF0, 3, BCD_KIND_ERROR},        {0x30, 0x1000, BCD_KIND_UNDEF},
  };
  for (const Case &c : cases) {
    BcdWork w{};
    w.b[0] = c.b0;
    BcdSetWord(&w, c.word);
    EXPECT_EQ(BcdKind(&w), c.kind) << int(c.b0);
  }
  BcdExt x;
  EXPECT_EQ(BcdExtFromSmallInt(10, &x), 0);
  EXPECT_EQ(x.b[0], 0x01);
  EXPECT_EQ(BcdExtGetWord(&x), 0x1001);
  EXPECT_EQ(BcdExtFromSmallInt(0, &x), 0);
  EXPECT_EQ(BcdExtGetWord(&x), 0);
  EXPECT_EQ(BcdExtFromSmallInt(11, &x), 16);
  EXPECT_EQ(x.b[0], 0xF0);
}

}  // namespace
