#include "number/real.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace {

BcdReal Stored(std::initializer_list<u8> bytes) {
  BcdReal r{};
  int i = 0;
  for (u8 b : bytes) r.b[i++] = b;
  return r;
}

TEST(RealUnpack, DigitsAndExponentWord) {
  struct Case {
    BcdReal stored;
    u8 d0, d1;
    u16 word;
  } cases[] = {
      {Stored({0x10, 0x01}), 0x01, 0x00, 0x1000},              // 1
      {Stored({0x10, 0x11}), 0x01, 0x00, 0x1001},              // 10
      {Stored({0x09, 0x95}), 0x05, 0x00, 0x0999},              // 0.5
      {Stored({0x60, 0x43, 0x27, 0x68}), 0x03, 0x27, 0x6004},  // -32768
      {Stored({0x19, 0x99, 0x99}), 0x09, 0x99, 0x1099},        // 9.99E99
      {Stored({0x00, 0x11}), 0x01, 0x00, 0x0901},              // 1E-99
  };
  for (const Case &c : cases) {
    BcdWork w;
    std::memset(&w, 0xAA, sizeof w);
    RealUnpack(&c.stored, &w);
    EXPECT_EQ(w.b[0], c.d0);
    EXPECT_EQ(w.b[1], c.d1);
    EXPECT_EQ(w.b[8], 0);
    EXPECT_EQ(w.b[9], 0);
    EXPECT_EQ(BcdGetWord(&w), c.word);
  }
}

TEST(RealUnpack, LeadingZeroDigitIsZero) {
  BcdReal r = Stored({0x10, 0x50, 0x12, 0x34});  // d1 = 0, other nibbles set
  BcdWork w;
  RealUnpack(&r, &w);
  EXPECT_EQ(BcdGetWord(&w), 0);
  EXPECT_EQ(w.b[0], 0);
}

TEST(ValueServices, ErrorCodeAndSplit) {
  Value v{};
  v.re = Stored({0xF0, 3, 0x12});
  EXPECT_EQ(ValErrorCode(&v), 3);
  CplxPair p;
  std::memset(&p, 0x55, sizeof p);
  ValSplit(&v, &p);
  EXPECT_EQ(p.re.b[0], 0xF0);
  EXPECT_EQ(p.re.b[1], 3);
  EXPECT_EQ(p.im.b[0], 0x55);  // imaginary half left alone for an error

  Value real{};
  real.re = Stored({0x10, 0x02});
  std::memset(real.im.b, 0x77, 12);  // not meaningful for a real
  ValSplit(&real, &p);
  EXPECT_EQ(ValErrorCode(&real), 0);
  EXPECT_EQ(p.re.b[0], 0x10);
  for (u8 b : p.im.b) EXPECT_EQ(b, 0);

  Value cplx{};
  cplx.re = Stored({0x90, 0x01});  // complex flag over 1
  cplx.im = Stored({0x10, 0x02});
  ValSplit(&cplx, &p);
  EXPECT_EQ(p.re.b[0], 0x10);
  EXPECT_EQ(p.im.b[1], 0x02);
}

TEST(ValueServices, SetZeroClearsAllTwelveBytes) {
  BcdReal r;
  std::memset(r.b, 0xEE, 12);
  EXPECT_EQ(RealSetZero(&r), &r);
  for (u8 b : r.b) EXPECT_EQ(b, 0);
}

}  // namespace
