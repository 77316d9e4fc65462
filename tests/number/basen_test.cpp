#include "number/basen.h"

#include <gtest/gtest.h>

#include <string>

#include "numparse_testutil.h"
#include "ui/setup.h"

using numtest::R;
using numtest::Show;

namespace {

enum Op { kAnd, kOr, kXor, kXnor, kNot };

std::string RunBitOp(Op op, const char *a, const char *b) {
  const BcdReal x = R(a), y = R(b ? b : "0");
  BcdReal out;
  RealSetZero(&out);
  switch (op) {
    case kAnd: RealBitAnd(&x, &y, &out); break;
    case kOr: RealBitOr(&x, &y, &out); break;
    case kXor: RealBitXor(&x, &y, &out); break;
    case kXnor: RealBitXnor(&x, &y, &out); break;
    case kNot: RealBitNot(&x, &out); break;
  }
  return Show(out);
}

struct Case {
  Op op;
  const char *a, *b, *want;
};

class BasenTest : public ::testing::Test {
 protected:
  void TearDown() override { SetupSetItem(kSetupMode, 0); }
};

TEST_F(BasenTest, ThirtyTwoBits) {
  SetupSetItem(kSetupMode, 0);
  const Case cases[] = {
      {kAnd, "-1", "255", "255"},
      {kAnd, "12", "10", "8"},
      {kAnd, "5.7", "3", "1"},  // 5.7 converts as 5
      {kAnd, "-2147483648", "-1", "-2147483648"},
      {kOr, "2147483647", "1", "2147483647"},
      {kOr, "12", "10", "14"},
      {kOr, "-2147483648", "2147483647", "-1"},
      {kXor, "12", "10", "6"},
      {kXor, "-1", "1", "-2"},
      {kXnor, "6", "3", "-6"},
      {kXnor, "0", "0", "-1"},
      {kNot, "0", nullptr, "-1"},
      {kNot, "-1", nullptr, "0"},
      {kNot, "2147483647", nullptr, "-2147483648"},
      {kNot, "-1.5", nullptr, "1"},  // -1.5 converts as -2
      {kAnd, "2147483648", "1", "E3"},
      {kAnd, "1", "-2147483649", "E3"},
      {kAnd, "2147483647.5", "1", "E3"},
      {kNot, "1e99", nullptr, "E3"},
      {kAnd, "1e100", "1e-100", "E3"},  // an error operand passes through
      {kOr, "7a2", "0", "3"},           // the fraction 3 1/2 converts as 3
  };
  for (const Case &c : cases) EXPECT_EQ(RunBitOp(c.op, c.a, c.b), c.want) << c.op << " " << c.a << " " << (c.b ? c.b : "");
}

TEST_F(BasenTest, SixteenBitsWhenModeItemIsOne) {
  SetupSetItem(kSetupMode, 1);
  const Case cases[] = {
      {kNot, "0", nullptr, "-1"},
      {kXor, "32767", "-1", "-32768"},
      {kAnd, "-1", "255", "255"},
      {kOr, "-32768", "32767", "-1"},
      {kXnor, "6", "3", "-6"},
      {kNot, "32767", nullptr, "-32768"},
      {kAnd, "40000", "1", "E3"},
      {kAnd, "32768", "1", "E3"},
      {kOr, "-32769", "0", "E3"},
      {kAnd, "-32768", "-1", "-32768"},
  };
  for (const Case &c : cases) EXPECT_EQ(RunBitOp(c.op, c.a, c.b), c.want) << c.op << " " << c.a << " " << (c.b ? c.b : "");
}

TEST_F(BasenTest, BitsRoundTrip) {
  BasenBits bits;
  for (u32 &b : bits) b = 7;
  const BcdReal x = R("-6");
  ASSERT_EQ(RealToBits(&x, bits, 0), 1);
  EXPECT_EQ(bits[0], 0u);
  EXPECT_EQ(bits[1], 1u);
  EXPECT_EQ(bits[2], 0u);
  EXPECT_EQ(bits[31], 1u);
  BcdReal back;
  EXPECT_EQ(Show(*RealFromBits(bits, &back, 0)), "-6");
  // Out of range: refused and the array untouched.
  BasenBits keep;
  for (u32 &b : keep) b = 7;
  const BcdReal big = R("65536");
  EXPECT_EQ(RealToBits(&big, keep, 1), 0);
  EXPECT_EQ(keep[0], 7u);
  ASSERT_EQ(RealToBits(&x, keep, 1), 1);
  EXPECT_EQ(keep[15], 1u);
  EXPECT_EQ(keep[16], 7u);  // 16-bit width writes entries 0-15 only
  EXPECT_EQ(Show(*RealFromBits(keep, &back, 1)), "-6");
}

}  // namespace
