// The number-base tool: exact digits in four bases, figures and grouping,
// the digit-string arithmetic, and the tool on its keys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "apps/system/basetool.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/keycodes.h"

namespace {

BcdReal Parse(const char *text) {
  BcdReal r{};
  const bool negative = text[0] == '-';
  EXPECT_NE(NumParse(negative ? text + 1 : text, &r), nullptr) << text;
  if (negative) r.b[0] = static_cast<u8>((r.b[0] & 0x0F) | ((r.b[0] >> 4) == 0 ? 0x50 : 0x60));
  return r;
}

// Row r (1-8) of a screen text, trailing blanks removed.
std::string Row(const std::string &screen, int r) {
  size_t at = 0;
  for (int i = 1; i < r; ++i) at = screen.find('\n', at) + 1;
  std::string row = screen.substr(at, screen.find('\n', at) - at);
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

TEST(BaseToolFormat, DigitsInEveryBase) {
  struct Case {
    const char *value;
    u32 base, figures, group;
    const char *want;
    u32 error;
  };
  const Case kCases[] = {
      {"255", 1, 0, 0, "0FF", 0},        {"255", 1, 4, 0, "00FF", 0},     {"-1", 1, 4, 0, "FFFF", 0},
      {"10", 2, 0, 0, "1010", 0},        {"64", 3, 0, 0, "100", 0},       {"127", 1, 0, 0, "7F", 0},
      {"-2", 2, 8, 0, "11111110", 0},    {"-8", 3, 4, 0, "7770", 0},      {"65535", 1, 2, 0, "", 15},
      {"1E15", 1, 0, 0, "", 15},         {"1E15", 0, 0, 0, "", 15},       {"1E-14", 0, 0, 0, "", 3},
      {"0", 1, 0, 0, "0", 0},            {"123.25", 0, 0, 0, "123.25", 0}, {"-0.0625", 0, 0, 0, "-0.0625", 0},
      {"999999999999999", 1, 0, 0, "38D7EA4C67FFF", 0},
      {"1234567", 0, 0, 3, "1 234 567", 0}, {"255", 2, 0, 4, "1111 1111", 0},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(std::string(c.value) + " base " + std::to_string(c.base));
    const BcdReal v = Parse(c.value);
    BaseToolState s{0, c.base, c.figures, c.group};
    char out[80] = "";
    EXPECT_EQ(BaseToolFormat(&v, &s, out), c.error);
    if (!c.error) {
      EXPECT_STREQ(out, c.want);
    }
  }
}

TEST(BaseToolDigits, SubtractionPowersAndComplement) {
  char a[64] = "1000";
  DigitStrSub(a, "1");
  EXPECT_STREQ(a, "999");
  DigitStrSub(a, "999");
  EXPECT_STREQ(a, "0");
  std::strcpy(a, "5");
  DigitStrSub(a, "12");
  EXPECT_STREQ(a, "-7");
  EXPECT_EQ(DigitStrCompare("99", "100"), -1);
  EXPECT_EQ(DigitStrCompare("100", "100"), 0);
  DigitStrPow16(a, 0);
  EXPECT_STREQ(a, "1");
  DigitStrPow16(a, 12);
  EXPECT_STREQ(a, "281474976710656");
  DigitStrToHex("281474976710655", a);
  EXPECT_STREQ(a, "FFFFFFFFFFFF");
  std::strcpy(a, "0010");
  HexComplement(a);
  EXPECT_STREQ(a, "FFF0");
}

class BaseToolScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    StartScreenTest();
  }
  void TearDown() override { StopKeyFeed(); }
};

TEST_F(BaseToolScreen, TypedValueShownInTheChosenBases) {
  keyfeed::record = true;
  PressText("255");
  Press({kKeyExe, kKeyF2, kKeyF4, kKeyF3, kKeyF1, kKeyExit});
  BaseToolMain();
  // Each screen is the one the next key met.
  ASSERT_GE(keyfeed::seen.size(), 9u);
  EXPECT_EQ(Row(keyfeed::seen[3], 1), "[Dec]255");
  EXPECT_EQ(Row(keyfeed::seen[4], 3), "                  255");
  EXPECT_EQ(Row(keyfeed::seen[5], 2), "--------[Hex]--------");
  EXPECT_EQ(Row(keyfeed::seen[5], 3), "                  0FF");
  EXPECT_EQ(Row(keyfeed::seen[6], 3), "                  377");
  EXPECT_EQ(Row(keyfeed::seen[7], 3), "             11111111");
  EXPECT_EQ(SetupGetItem(kSetupMode), 0);
}

TEST_F(BaseToolScreen, TooLargeAValueShowsItsErrorAndTheToolStays) {
  keyfeed::record = true;
  PressText("1");
  Press({kChrExp});
  PressText("15");
  Press({kKeyExe, kKeyExit, kKeyExit});
  BaseToolMain();
  ASSERT_GE(keyfeed::seen.size(), 6u);
  const std::string &box = keyfeed::seen[5];
  EXPECT_NE(box.find("ERROR"), std::string::npos) << box;
  EXPECT_EQ(Row(keyfeed::seen[6], 1), "[Dec]1\u1D0715") << keyfeed::seen[6];
}

}  // namespace
