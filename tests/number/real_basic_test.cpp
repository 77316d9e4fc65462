#include "number/real.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <random>

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

// The one-pass unpack and pack of plain numbers against the checked ones,
// on random stored bytes (mostly decimal nibbles, some of every value):
// RealUnpackPlain takes exactly the well-formed numbers of sign code 0, 1,
// 5 or 6 and gives RealUnpack's working form; RealPackPlain gives
// RealPack's bytes, leaves bytes 9-11 alone and unpacks to its source.
TEST(RealUnpack, PlainFormsMatchTheCheckedOnes) {
  std::mt19937 rng(41);
  auto nibble = [&rng]() -> u8 {
    const u32 r = rng();
    return static_cast<u8>((r & 0x70) == 0 ? (r >> 8) & 0x0F : (r >> 8) % 10);
  };
  u32 plain = 0;
  for (int n = 0; n < 200000; ++n) {
    BcdReal x{};
    for (int i = 0; i < 9; ++i) x.b[i] = static_cast<u8>(nibble() << 4 | nibble());
    const u8 signs[] = {0x0, 0x1, 0x5, 0x6, 0x0, 0x1, 0x5, 0x6, 0xF, 0x2, 0x9};
    x.b[0] = static_cast<u8>(signs[rng() % 11] << 4 | (x.b[0] & 0x0F));
    if (rng() % 16 == 0) x.b[1] &= 0xF0;  // d1 = 0
    if (rng() % 16 == 0) x.b[0] &= 0xF0;  // exponent digits 00
    if (rng() % 16 == 0) x.b[1] &= 0x0F;
    const u32 s = x.b[0] >> 4;
    const bool expect = RealIsWellFormed(&x) && (s == 0 || s == 1 || s == 5 || s == 6) && (x.b[0] & 0x0F) <= 9;
    BcdWork want, got;
    RealUnpack(&x, &want);
    std::memset(&got, 0xAA, sizeof got);
    ASSERT_EQ(RealUnpackPlain(&x, &got), expect) << n;
    if (!expect) continue;
    ++plain;
    ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << n;
    BcdReal packed, viaPack;
    std::memset(&packed, 0xCC, sizeof packed);
    std::memset(&viaPack, 0xCC, sizeof viaPack);
    RealPack(&want, &viaPack);
    if (!RealPackPlain(&want, &packed)) {
      ASSERT_EQ(BcdGetWord(&want), 0) << n;  // only zero takes RealPack's road
      continue;
    }
    ASSERT_EQ(std::memcmp(&packed, &viaPack, sizeof packed), 0) << n;
    ASSERT_EQ(std::memcmp(packed.b, x.b, 9), 0) << n;
    BcdWork again;
    RealUnpack(&packed, &again);
    ASSERT_EQ(std::memcmp(&again, &want, sizeof again), 0) << n;
  }
  EXPECT_GT(plain, 50000u);
  // Working forms RealPack refuses or turns to zero are left to it.
  struct Work {
    u8 b0, b8;
    u16 word;
  } refused[] = {
      {0xF1, 0, 0x1000},  // an error kind
      {0x41, 0, 0x1000},  // infinity
      {0x01, 1, 0x1000},  // a byte 8 digit
      {0x00, 0, 0x1000},  // d1 = 0
      {0x01, 0, 0x1100},  // exponent 100
      {0x01, 0, 0x0800},  // below 1E-99
      {0x01, 0, 0x0900},  // 1E-100
      {0x01, 0, 0x2000},  // no sign code
  };
  for (const Work &r : refused) {
    BcdWork w{};
    w.b[0] = r.b0;
    w.b[8] = r.b8;
    BcdSetWord(&w, r.word);
    BcdReal d;
    std::memset(&d, 0x5A, sizeof d);
    EXPECT_FALSE(RealPackPlain(&w, &d)) << std::hex << r.word;
    for (u8 b : d.b) EXPECT_EQ(b, 0x5A);
  }
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
