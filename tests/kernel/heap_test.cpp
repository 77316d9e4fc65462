#include "kernel/heap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kernel/calc_ram.h"
#include "memory/mcs_store.h"

namespace {

class Heap : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsInitArea(), 0u);
    MemFreeAll();
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
};

TEST_F(Heap, HoldsAllSlotsAndRefusesOneMore) {
  std::vector<MemHandle> held;
  for (u32 n = 0; n < kMemSlotCount; ++n) {
    const MemHandle h = MemAlloc(16);
    ASSERT_NE(h, 0u) << n;
    EXPECT_EQ(MemSlotOf(h), n) << "slots are taken from slot 0 upward";
    held.push_back(h);
  }
  EXPECT_EQ(MemAlloc(16), 0u);
  for (u32 n = 0; n < kMemSlotCount; ++n) EXPECT_EQ(MemSize(held[n]), 16u);

  // A freed slot is the next one taken.
  MemFree(held[100]);
  EXPECT_EQ(MemDeref(held[100]), nullptr);
  EXPECT_EQ(MemAlloc(8), held[100]);
  EXPECT_EQ(MemSize(held[100]), 8u);
}

TEST_F(Heap, SizesAreKeptInFull) {
  const MemHandle h = MemAlloc(70000);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(MemSize(h), 70000u);
  std::memset(MemDeref(h), 0xAB, 70000);
  ASSERT_EQ(MemRealloc(h, 140000), h);
  EXPECT_EQ(MemSize(h), 140000u);
  EXPECT_EQ(MemDeref(h)[69999], 0xAB);
}

TEST_F(Heap, ReallocKeepsContentsAndKeepsTheBlockWhenItFails) {
  const MemHandle h = MemAlloc(24);
  ASSERT_NE(h, 0u);
  for (int i = 0; i < 24; ++i) MemDeref(h)[i] = static_cast<u8>(i);
  ASSERT_EQ(MemRealloc(h, 48), h);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(MemDeref(h)[i], i);
  ASSERT_EQ(MemRealloc(h, 8), h);
  EXPECT_EQ(MemSize(h), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(MemDeref(h)[i], i);

  // A resize the heap cannot satisfy gives 0 and leaves block and slot alone.
  u8 *before = MemDeref(h);
  EXPECT_EQ(MemRealloc(h, kMemMaxBlock + 4), 0u);
  EXPECT_EQ(MemDeref(h), before);
  EXPECT_EQ(MemSize(h), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(MemDeref(h)[i], i);

  // Handles that name no block.
  EXPECT_EQ(MemRealloc(0, 8), 0u);
  EXPECT_EQ(MemRealloc(kMemSlotBase + 4 * 200, 8), 0u);
  EXPECT_EQ(MemAlloc(kMemMaxBlock + 1), 0u);
}

TEST_F(Heap, FreeIgnoresHandlesItDoesNotKnow) {
  const MemHandle h = MemAlloc(4);
  for (MemHandle bogus : {0u, 1u, kMemSlotBase + 2, kMemSlotBase + 4 * kMemSlotCount, kMcsAreaAddr, 0xFFFFFFFFu})
    MemFree(bogus);
  EXPECT_NE(MemDeref(h), nullptr);
  MemFree(h);
  MemFree(h);
  EXPECT_EQ(MemDeref(h), nullptr);
}

TEST_F(Heap, ClearTableFreesEveryBlockItDrops) {
  for (u32 n = 0; n < kMemSlotCount; ++n) ASSERT_NE(MemAlloc(32), 0u);
  MemClearTable();  // the leak checker of the sanitizer build sees any block left behind
  for (u32 n = 0; n < kMemSlotCount; ++n) ASSERT_NE(MemAlloc(32), 0u) << n;
  MemFreeAll();
  EXPECT_EQ(MemSlotOf(MemAlloc(4)), 0u);
}

TEST_F(Heap, ClassifyTellsHeapBlocksFromItemStoreAddresses) {
  const MemHandle heap_block = MemAlloc(64);
  const u32 movable = McsBlockAlloc(16);
  ASSERT_NE(movable, 0u);

  // A word in the calculator RAM below the item store serves as a handle
  // whose target is chosen freely.
  u8 *word = CalcRamBlock();
  const u32 word_handle = kCalcRamBase;
  auto point_at = [&](u32 addr) { std::memcpy(word, &addr, 4); };

  struct Case {
    const char *what;
    u32 target;
    u32 expect;
  };
  const Case cases[] = {
      {"area start", kMcsAreaAddr, 1},
      {"area end, included", kMcsAreaAddr + kMcsAreaSize, 1},
      {"just below the area", kMcsAreaAddr - 1, 2},
      {"just past the area", kMcsAreaAddr + kMcsAreaSize + 1, 2},
      {"outside the RAM block", 0x7000000, 2},
  };
  for (const Case &c : cases) {
    point_at(c.target);
    EXPECT_EQ(MemClassify(word_handle), c.expect) << c.what;
  }
  EXPECT_EQ(MemClassify(heap_block), 0u);
  EXPECT_EQ(MemClassify(movable), 1u);
  EXPECT_EQ(MemClassify(0), 2u);
  EXPECT_EQ(MemClassify(kMemSlotBase + 4 * 255), 2u) << "free slot";
  MemFree(heap_block);
  EXPECT_EQ(MemClassify(heap_block), 2u);
}

}  // namespace
