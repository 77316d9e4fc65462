// The run history "REPLAY", the function memories and the table range.
#include "memory/item_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/memory/mcs_test_util.h"
#include "ui/setup.h"

namespace {

std::vector<std::string> History() {
  std::vector<std::string> out;
  const u32 n = ItemReplayCount();
  for (u32 i = 1; i <= n; ++i) {
    char line[kItemReplayMax];
    EXPECT_EQ(ItemReplayLine(i, line), 0u);
    EXPECT_EQ(ItemReplayLineSize(i), static_cast<i32>(std::strlen(line) + 1));
    out.emplace_back(line);
  }
  return out;
}

class SystemItems : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupResetAll();
    SysSetAppName("@RUNMAT");
  }
  void TearDown() override {
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
    SysSetAppName(nullptr);
    MemFreeAll();
    HostFreeCalcRam();
  }
  // Fills main memory with one item until exactly `left` bytes are free.
  void FillUntil(u32 left) {
    const u32 free_bytes = McsFreeBytes();
    ASSERT_GE(free_bytes, left + 24);
    ASSERT_EQ(McsCreateInFolder("@STAT", "FILL", free_bytes - left - 20, nullptr), 0u);
    ASSERT_EQ(McsFreeBytes(), left);
  }
};

TEST_F(SystemItems, ReplayKeepsTheNewestLinesWithin256Bytes) {
  EXPECT_EQ(ItemReplayCount(), 0u);
  EXPECT_EQ(ItemReplayLineSize(1), -1);
  ASSERT_EQ(ItemReplayAdd("1+2"), 0u);
  ASSERT_EQ(ItemReplayAdd("\x7F\x50*3"), 0u);
  ASSERT_EQ(ItemReplayAdd(""), 0u) << "an empty line adds nothing";
  EXPECT_EQ(History(), (std::vector<std::string>{"1+2", "\x7F\x50*3"}));
  u32 size = 0;
  ASSERT_EQ(McsFindItem("@RUNMAT", "REPLAY", nullptr, nullptr, nullptr, &size), 0u);
  EXPECT_EQ(size % 4, 0u);

  // 4 + 5 + 100 + 100 + 56 bytes pass 256: the two oldest lines go,
  // leaving exactly 256.
  const std::string a(99, 'A'), b(99, 'B'), c(55, 'C');
  ASSERT_EQ(ItemReplayAdd(a.c_str()), 0u);
  ASSERT_EQ(ItemReplayAdd(b.c_str()), 0u);
  EXPECT_EQ(History(), (std::vector<std::string>{"1+2", "\x7F\x50*3", a, b}));
  ASSERT_EQ(ItemReplayAdd(c.c_str()), 0u);
  EXPECT_EQ(History(), (std::vector<std::string>{a, b, c}));
  ASSERT_EQ(ItemReplayAdd("D"), 0u);
  EXPECT_EQ(History(), (std::vector<std::string>{b, c, "D"}));

  // A 257-byte line (256 bytes and its zero) is cut to 256, alone in the
  // history; a two-byte character at the cut goes whole.
  const std::string long_line(256, 'L');
  ASSERT_EQ(ItemReplayAdd(long_line.c_str()), 0u);
  EXPECT_EQ(History(), (std::vector<std::string>{long_line.substr(0, 255)}));
  EXPECT_EQ(ItemReplayLineSize(1), 256);
  const std::string split = std::string(254, 'S') + "\xE6\x4B" + "T";
  ASSERT_EQ(ItemReplayAdd(split.c_str()), 0u);
  EXPECT_EQ(History(), (std::vector<std::string>{std::string(254, 'S')}));

  // A token whose second byte is 0 ("If", "Xmin") stays inside its line.
  const char tokens[] = "\xF7\x00" "A\x7F\x00";
  ASSERT_EQ(ItemReplayAdd(tokens), 0u);
  ASSERT_EQ(ItemReplayAdd("B"), 0u);
  EXPECT_EQ(ItemReplayCount(), 2u);
  EXPECT_EQ(ItemReplayLineSize(1), 6);
  char line[kItemReplayMax];
  ASSERT_EQ(ItemReplayLine(1, line), 0u);
  EXPECT_EQ(std::string(line, 6), std::string(tokens, 6));

  ItemReplayDelete();
  EXPECT_EQ(ItemReplayCount(), 0u);
  EXPECT_NE(McsFindItem("@RUNMAT", "REPLAY", nullptr, nullptr, nullptr, nullptr), 0u);
}

TEST_F(SystemItems, ReplayLivesInTheRunningApplicationsFolderAndNotesBaseN) {
  struct Case {
    u8 mode;
    u8 byte10;
  } cases[] = {{0, 0}, {1, 1}, {15, 1}};
  for (const Case &c : cases) {
    ItemReplayDelete();
    SetupSetByte(10, 7);
    SetupSetItem(kSetupMode, c.mode);
    ASSERT_EQ(ItemReplayAdd("X"), 0u);
    EXPECT_EQ(SetupGetByte(10), c.byte10) << int(c.mode);
    // Adding to an existing item leaves the byte alone.
    SetupSetByte(10, 7);
    ASSERT_EQ(ItemReplayAdd("Y"), 0u);
    EXPECT_EQ(SetupGetByte(10), 7);
  }
  SysSetAppName("@PROG");
  EXPECT_EQ(ItemReplayCount(), 0u);
  ASSERT_EQ(ItemReplayAdd("P"), 0u);
  EXPECT_EQ(McsFindItem("@PROG", "REPLAY", nullptr, nullptr, nullptr, nullptr), 0u);
  SysSetAppName("@RUNMAT");
  EXPECT_EQ(History(), (std::vector<std::string>{"X", "Y"}));
}

TEST_F(SystemItems, FunctionMemories) {
  EXPECT_EQ(ItemFmemData(1), nullptr);
  EXPECT_EQ(ItemFmemLength(1), 0u);
  ASSERT_EQ(ItemFmemStore(1, "\x81X"), 0u);   // sin X
  ASSERT_EQ(ItemFmemStore(20, "2X+1"), 0u);
  ASSERT_NE(ItemFmemData(1), nullptr);
  EXPECT_STREQ(ItemFmemData(1), "\x81X");
  EXPECT_EQ(ItemFmemLength(20), 4u);
  // Stored as text items of kind 4 in "main": 10 header bytes, the text.
  u32 size = 0;
  ASSERT_EQ(McsOpenByKind(kMcsKindText, "FMEM20", &size), 0u);
  EXPECT_EQ(size, 16u);
  // Replacing, shorter and longer, and deleting with an empty text.
  ASSERT_EQ(ItemFmemStore(1, "Y"), 0u);
  EXPECT_STREQ(ItemFmemData(1), "Y");
  const std::string longer(40, 'Z');
  ASSERT_EQ(ItemFmemStore(1, longer.c_str()), 0u);
  EXPECT_EQ(std::string(ItemFmemData(1)), longer);
  ASSERT_EQ(ItemFmemStore(1, ""), 0u);
  EXPECT_EQ(ItemFmemData(1), nullptr);
  EXPECT_STREQ(ItemFmemData(20), "2X+1");
  EXPECT_EQ(ItemFmemStore(0, "X"), 21u);
  EXPECT_EQ(ItemFmemStore(21, "X"), 21u);
  EXPECT_EQ(ItemFmemData(21), nullptr);
  // "Xmin" (0x7F 0x00) inside a function memory.
  const char xmin[] = "2\x7F\x00";
  ASSERT_EQ(ItemFmemStore(2, xmin), 0u);
  EXPECT_EQ(ItemFmemLength(2), 3u);
}

TEST_F(SystemItems, TableRange) {
  u8 rec[kItemTableRangeSize];
  EXPECT_EQ(ItemTableRangeRead(rec), 65u);
  u8 want[kItemTableRangeSize];
  for (u32 k = 0; k < sizeof want; ++k) want[k] = static_cast<u8>(k + 1);
  ASSERT_EQ(ItemTableRangeWrite(want), 0u);
  ASSERT_EQ(ItemTableRangeRead(rec), 0u);
  EXPECT_EQ(std::memcmp(rec, want, sizeof rec), 0);
  want[0] = 0x99;
  ASSERT_EQ(ItemTableRangeWrite(want), 0u);
  ASSERT_EQ(ItemTableRangeRead(rec), 0u);
  EXPECT_EQ(rec[0], 0x99);
  // The folder is made when it is missing.
  ASSERT_EQ(McsDeleteAllInFolder("@TABLE"), 0u);
  ASSERT_EQ(McsDeleteFolder("@TABLE"), 0u);
  ASSERT_EQ(ItemTableRangeWrite(want), 0u);
  EXPECT_EQ(ItemTableRangeRead(rec), 0u);
}

TEST_F(SystemItems, MemoryFullLeavesTheOldItems) {
  ASSERT_EQ(ItemReplayAdd("OLD"), 0u);
  ASSERT_EQ(ItemFmemStore(3, "OLD"), 0u);
  FillUntil(0);
  const auto before = McsTestSnapshot();
  EXPECT_NE(ItemReplayAdd("A NEW LINE"), 0u);
  EXPECT_NE(ItemFmemStore(3, "A LONGER TEXT"), 0u);
  EXPECT_NE(ItemFmemStore(4, "NEW"), 0u);
  u8 rec[kItemTableRangeSize] = {};
  EXPECT_NE(ItemTableRangeWrite(rec), 0u);
  EXPECT_EQ(McsTestSnapshot(), before);
  EXPECT_EQ(History(), (std::vector<std::string>{"OLD"}));
  EXPECT_STREQ(ItemFmemData(3), "OLD");
  // What fits in the room the old item had still goes in.
  EXPECT_EQ(ItemFmemStore(3, "NEW"), 0u);
  EXPECT_STREQ(ItemFmemData(3), "NEW");
}

}  // namespace
