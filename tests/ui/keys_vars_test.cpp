#include <gtest/gtest.h>

#include <cstring>

#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "number/real.h"
#include "ui/sysvar.h"

namespace {

Value Real(u8 first, u8 second) {
  Value v;
  std::memset(&v, 0, sizeof v);
  v.re.b[0] = first;
  v.re.b[1] = second;
  return v;
}

class VarsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(HostAllocCalcRam(), 1u); }
};

TEST_F(VarsTest, StoreReadAndRefuseErrors) {
  const Value five = Real(0x10, 0x05);
  SysStoreVariable('A', &five);
  Value out;
  EXPECT_EQ(SysReadVariable('A', &out), &out);
  EXPECT_EQ(std::memcmp(&out, &five, sizeof out), 0);

  const Value error = Real(0xF0, 3);  // Ma ERROR
  SysStoreVariable('A', &error);
  SysReadVariable('A', &out);
  EXPECT_EQ(std::memcmp(&out, &five, sizeof out), 0);
}

TEST_F(VarsTest, ClearLeavesAns) {
  const Value seven = Real(0x10, 0x07);
  for (u8 c : {u8('A'), u8('Z'), kVarR, kVarTheta, kVarAns}) SysStoreVariable(c, &seven);
  SysClearVariables();
  Value out;
  for (u8 c : {u8('A'), u8('Z'), kVarR, kVarTheta}) {
    SysReadVariable(c, &out);
    for (u8 b : out.re.b) EXPECT_EQ(b, 0) << int(c);
  }
  SysReadVariable(kVarAns, &out);
  EXPECT_EQ(std::memcmp(&out, &seven, sizeof out), 0);
  EXPECT_EQ(SysBusyQuery(), 0u);
}

// The answer texts of Ans: the kind is looked at before anything is unpacked.
// Nothing here reads main memory, so the current item stays as it was.
TEST_F(VarsTest, AnswerTexts) {
  struct Case {
    Value ans;
    const char *re;
    const char *im;
  } cases[] = {
      {Real(0x10, 0x12), "+2.00000000000000E+001", "+0.00000000000000E+000"},
      {Real(0xF0, 2), "ERROR", ""},
      {Real(0x20, 0), "LIST", ""},
      {Real(0x30, 0), "MATRIX", ""},
  };
  // A complex Ans, 1+2i: both parts have their texts.
  Value c = Real(0x80 | 0x10, 0x01);
  c.im.b[0] = 0x10;
  c.im.b[1] = 0x02;
  for (const Case &k : cases) {
    HostPublishAnswer(&k.ans);
    const char *re = nullptr, *im = nullptr;
    EXPECT_EQ(HostFormatAnswer(&re, &im), 'C');
    EXPECT_STREQ(re, k.re);
    EXPECT_STREQ(im, k.im);
  }
  // Storing Ans publishes its texts; a refused error value changes nothing.
  SysStoreVariable(kVarAns, &c);
  const Value error = Real(0xF0, 2);
  SysStoreVariable(kVarAns, &error);
  const char *re = nullptr, *im = nullptr;
  HostFormatAnswer(&re, &im);
  EXPECT_STREQ(re, "+1.00000000000000E+000");
  EXPECT_STREQ(im, "+2.00000000000000E+000");
}

}  // namespace
