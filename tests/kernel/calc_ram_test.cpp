#include "kernel/calc_ram.h"

#include <gtest/gtest.h>

namespace {

TEST(CalcRam, BlockIsFilledAndTheAreaSits32KbIn) {
  HostFreeCalcRam();
  EXPECT_EQ(CalcRamBlock(), nullptr);
  EXPECT_EQ(CalcAddrToPtr(kCalcRamBase), nullptr);
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  u8 *block = CalcRamBlock();
  ASSERT_NE(block, nullptr);
  for (u32 i = 0; i < kCalcRamSize; i += 977) EXPECT_EQ(block[i], 90) << i;
  EXPECT_EQ(block[kCalcRamSize - 1], 90);
  EXPECT_EQ(CalcRamArea(), block + 32768);
  EXPECT_EQ(HostAllocCalcRam(), 1u) << "a second call keeps the block";
  EXPECT_EQ(CalcRamBlock(), block);
  HostFreeCalcRam();
  EXPECT_EQ(CalcRamArea(), nullptr);
}

TEST(CalcRam, AddressesConvertBothWaysInsideTheBlockOnly) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  u8 *block = CalcRamBlock();
  struct Case {
    u32 addr;
    u32 span;
    long offset;  // -1: no pointer
  };
  const Case cases[] = {
      {kCalcRamBase, 1, 0},
      {kMcsAreaAddr, 1, 32768},
      {kCalcRamBase + kCalcRamSize - 1, 1, kCalcRamSize - 1},
      {kCalcRamBase + kCalcRamSize - 4, 4, kCalcRamSize - 4},
      {kCalcRamBase + kCalcRamSize - 3, 4, -1},
      {kCalcRamBase + kCalcRamSize, 1, -1},
      {kCalcRamBase - 1, 1, -1},
      {0, 1, -1},
      {0xFFFFFFFF, 1, -1},
  };
  for (const Case &c : cases) {
    u8 *p = CalcAddrToPtr(c.addr, c.span);
    if (c.offset < 0) {
      EXPECT_EQ(p, nullptr) << std::hex << c.addr;
    } else {
      EXPECT_EQ(p, block + c.offset) << std::hex << c.addr;
      EXPECT_EQ(CalcPtrToAddr(p), c.addr);
    }
  }
  u8 outside = 0;
  EXPECT_EQ(CalcPtrToAddr(&outside), 0u);
  EXPECT_EQ(CalcPtrToAddr(nullptr), 0u);
  EXPECT_EQ(CalcPtrToAddr(block + kCalcRamSize), 0u);
  HostFreeCalcRam();
}

}  // namespace
