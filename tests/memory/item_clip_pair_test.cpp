// The clipboard pair: a textbook text as "NAT_CLIP" and its linear form as
// "CLIP".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/memory/clip_test_util.h"

namespace {

class ItemClipPair : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    HostClipboardPut("");
  }
  void TearDown() override {
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
    MemFreeAll();
    HostFreeCalcRam();
  }
};

std::string Text(const std::vector<u8> &item) {
  std::string s(item.begin(), item.end());
  return s.substr(0, s.find('\0'));
}

TEST_F(ItemClipPair, KeepsTheTextbookTextAndItsLinearForm) {
  const std::string half = "\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1E";
  ASSERT_EQ(ItemClipStorePair(half.c_str(), static_cast<u32>(half.size() + 1)), 0u);
  EXPECT_EQ(Text(ClipTestItem("NAT_CLIP")), half);
  EXPECT_EQ(Text(ClipTestItem("CLIP")), "((1)\xBB(2))");
  EXPECT_EQ(ClipTestPcClipboard(), "((1)\xE2\x8C\x9F(2))") << "the linear form goes to the PC";
  // A later plain text replaces both.
  ASSERT_EQ(ItemClipStorePair("12", 3), 0u);
  EXPECT_EQ(Text(ClipTestItem("NAT_CLIP")), "12");
  EXPECT_EQ(Text(ClipTestItem("CLIP")), "12");
}

TEST_F(ItemClipPair, LinearFormTooLongLeavesBothItems) {
  ASSERT_EQ(ItemClipStorePair("7", 2), 0u);
  // Mixed numbers grow by a byte each in the linear form: 400 of them are
  // 4,800 bytes of textbook text and 5,200 of linear text.
  std::string big;
  for (int i = 0; i < 400; ++i) big += "\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1A" "3\x1B\x1E";
  EXPECT_EQ(ItemClipStorePair(big.c_str(), static_cast<u32>(big.size() + 1)), 48u);
  EXPECT_EQ(Text(ClipTestItem("CLIP")), "7");
  EXPECT_EQ(Text(ClipTestItem("NAT_CLIP")), "7");
}

TEST_F(ItemClipPair, ALockedItemRefusesAndNothingChanges) {
  for (const char *item : {"CLIP", "NAT_CLIP"}) {
    SCOPED_TRACE(item);
    ASSERT_EQ(ItemClipStorePair("7", 2), 0u);
    HostClipboardPut("pc text");
    ASSERT_EQ(McsProtectItem("@REV2", item), 0u);
    const std::vector<u8> before = McsTestSnapshot();
    const std::string half = "\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1E";
    const u32 r = ItemClipStorePair(half.c_str(), static_cast<u32>(half.size() + 1));
    EXPECT_NE(r, 0u);
    EXPECT_NE(r, 48u);
    EXPECT_EQ(McsTestSnapshot(), before);
    EXPECT_EQ(ClipTestPcClipboard(), "pc text");
    ASSERT_EQ(McsUnprotectItem("@REV2", item), 0u);
  }
}

}  // namespace
