#include "memory/mcs_api.h"

#include <gtest/gtest.h>

#include "tests/memory/mcs_test_util.h"

#include <cstring>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "memory/mcs_store.h"

namespace {

std::vector<u8> Bytes(u32 n, u8 first) { return McsTestBytes(n, first); }
std::vector<u8> Concat(std::vector<u8> a, const std::vector<u8> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::vector<u8> ItemBytes(const char *folder, const char *name) { return McsTestItemBytes(folder, name); }
std::string CurrentName() {
  char name[9];
  if (McsCurrentName(name)) return "<none>";
  return name;
}
u8 CurrentKind() {
  u8 kind = 0xEE;
  McsCurrentKindSize(&kind, nullptr);
  return kind;
}
// A text item: 10 header bytes, the text and its terminator, then slack.
std::vector<u8> TextItem(const char *text, u32 slack) {
  const size_t n = std::strlen(text) + 1;
  std::vector<u8> v(10 + n + slack, 0);
  std::memset(v.data(), 0xAA, 10);
  std::memcpy(v.data() + 10, text, n);
  return v;
}

class Items : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
  void TearDown() override {
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
    MemFreeAll();
    HostFreeCalcRam();
  }
};

TEST_F(Items, ClearAllStartsMainMemoryAfresh) {
  ASSERT_EQ(McsCreateByKind(5, "1LIST1", 16, nullptr), 0u);
  Value v;
  std::memset(&v, 0x42, sizeof v);
  ASSERT_EQ(McsStoreVariable('A', &v), 0u);
  const MemHandle h = MemAlloc(40);
  ASSERT_NE(h, 0u);

  ASSERT_EQ(McsClearAll(), 0u);
  EXPECT_EQ(McsOpenByKind(5, "1LIST1", nullptr), 64u);
  EXPECT_EQ(MemDeref(h), nullptr) << "the handle table was emptied";
  Value got;
  ASSERT_EQ(McsReadVariable('A', &got), 0u);
  const BcdReal zero = {};
  EXPECT_EQ(std::memcmp(&got.re, &zero, sizeof zero), 0);
  for (const char *f : {"@RUNMAT", "@STAT", "@EACT", "@GRAPH", "@DYNA", "@TABLE", "@RECUR", "@CONICS", "@EQUA",
                        "@PROG", "@FINANCE", "@SSHEET", "main", "system", "@APLWORK", "@REV2", "@LOCAL1", "@LOCAL40"})
    EXPECT_EQ(McsFindFolder(f, nullptr, nullptr), 0u) << f;
  ASSERT_EQ(McsClearAll(), 0u);
  char name[9];
  EXPECT_EQ(McsCurrentName(name), 80u);
  EXPECT_EQ(McsLastError(), 48u);
  u32 total, used, free_bytes;
  ASSERT_EQ(McsGetMemoryUse(&total, &used, &free_bytes), 0u);
  EXPECT_EQ(total, 65536u);
  EXPECT_EQ(free_bytes, 62928u);
}

TEST_F(Items, KindTypeSlotAndErrorTables) {
  const u8 kinds[][3] = {  // kind, type, folder index
      {0, 0x82, 2}, {1, 0xC7, 147}, {2, 0xC8, 2}, {3, 0xD5, 2},   {4, 0x85, 2},  {5, 0x8A, 2},
      {6, 0x8C, 2}, {7, 0xCE, 2},   {10, 0xCD, 144}, {254, 0xD4, 2}, {255, 0xD3, 1}};
  for (const auto &k : kinds) {
    EXPECT_EQ(McsKindToType(k[0]), k[1]) << int(k[0]);
    EXPECT_EQ(McsTypeToKind(k[1]), k[0]) << int(k[0]);
    u8 index;
    ASSERT_EQ(McsFindFolder(McsKindFolder(k[0]), nullptr, &index), 0u);
    EXPECT_EQ(index, k[2]) << int(k[0]);
  }
  EXPECT_EQ(McsKindToType(8), 0);
  EXPECT_EQ(McsTypeToKind(0x10), 128);

  const u32 slots[][2] = {{'A', 0}, {'Z', 25}, {0xCE, 26}, {0xCD, 27}, {0xC0, 28}, {'a', 29}, {'0', 29}, {0, 29}};
  for (const auto &s : slots) EXPECT_EQ(McsVarSlotIndex(static_cast<u8>(s[0])), s[1]) << s[0];

  const u32 map[][2] = {{0, 0},   {16, 19}, {17, 81}, {18, 23}, {19, 21}, {20, 51}, {21, 24},  {22, 22},
                        {23, 64}, {24, 25}, {48, 64}, {64, 64}, {65, 18}, {80, 48}, {81, 50},  {82, 82},
                        {255, 255}, {50, 64}, {52, 64}, {240, 64}, {1, 64}};
  for (const auto &m : map) EXPECT_EQ(McsMapError(m[0]), m[1]) << m[0];
}

TEST_F(Items, CreateCodesAndRounding) {
  EXPECT_EQ(McsCreateByKind(0, "A", 4, nullptr), 16u);
  EXPECT_EQ(McsCreateByKind(5, "", 4, nullptr), 18u);
  EXPECT_EQ(McsCreateByKind(5, nullptr, 4, nullptr), 18u);
  EXPECT_EQ(McsCreateByKind(5, "Z", 0, nullptr), 19u) << "size 0 is refused by the store (16), mapped";
  EXPECT_EQ(McsLastError(), 16u);

  ASSERT_EQ(McsCreateByKind(5, "X", 8, Bytes(8, 1).data()), 0u);
  EXPECT_EQ(McsCreateByKind(5, "X", 8, Bytes(8, 9).data()), 36u);
  EXPECT_EQ(ItemBytes("main", "X"), Bytes(8, 1)) << "the first item's data is kept";

  // Size 5 stores 8 bytes: the 5 given and 3 zero bytes (only 5 are read).
  const std::vector<u8> five = Bytes(5, 20);
  ASSERT_EQ(McsCreateByKind(6, "FIVE", 5, five.data()), 0u);
  EXPECT_EQ(ItemBytes("main", "FIVE"), Concat(five, {0, 0, 0}));
  EXPECT_EQ(CurrentName(), "FIVE");
  EXPECT_EQ(CurrentKind(), 6);

  EXPECT_EQ(McsCreateInFolder("", "A", 4, nullptr), 17u);
  EXPECT_EQ(McsCreateInFolder("@STAT", "", 4, nullptr), 18u);
  EXPECT_EQ(McsCreateInFolder("nowhere", "A", 4, nullptr), 64u);
  ASSERT_EQ(McsCreateInFolder("@STAT", "STATap", 6, nullptr), 0u);
  EXPECT_EQ(McsCreateInFolder("@STAT", "STATap", 4, nullptr), 37u);
  u8 type;
  u32 size;
  McsFindItem("@STAT", "STATap", &type, nullptr, nullptr, &size);
  EXPECT_EQ(type, 0xD4);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(ItemBytes("@STAT", "STATap"), std::vector<u8>(8, 0));
  EXPECT_EQ(CurrentKind(), 254);
}

TEST_F(Items, OpenGivesSizeAndDataAndMakesCurrent) {
  ASSERT_EQ(McsCreateInFolder("@FINANCE", "fina_mem", 12, Bytes(12, 3).data()), 0u);
  u32 size = 99;
  EXPECT_EQ(McsOpenByKind(5, "NONE", &size), 64u);
  EXPECT_EQ(size, 0u);
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenInFolderPtr("@FINANCE", "fina_mem", &size, &data), 0u);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(std::vector<u8>(data, data + 12), Bytes(12, 3));
  u8 *cur;
  u32 cur_size;
  ASSERT_EQ(McsCurrentPtr(&cur_size, &cur), 0u);
  EXPECT_EQ(cur, data);
  ASSERT_EQ(McsCreateByKind(7, "PICT1", 16, nullptr), 0u);
  ASSERT_EQ(McsOpenByKindPtr(7, "PICT1", &size, &data), 0u);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(CurrentKind(), 7);
}

TEST_F(Items, InsertKeepsExactlyTheSourceBytesAndTheOldData) {
  // A neighbour after the item shows that nothing past the item is read.
  ASSERT_EQ(McsCreateByKind(5, "N", 8, Bytes(8, 10).data()), 0u);
  ASSERT_EQ(McsCreateByKind(5, "NZ", 8, std::vector<u8>(8, 0xEE).data()), 0u);
  const std::vector<u8> three = {1, 2, 3};
  ASSERT_EQ(McsInsertByKind(5, "N", 3, three.data(), 0), 0u);
  EXPECT_EQ(ItemBytes("main", "N"), Concat(Concat(three, Bytes(8, 10)), {0}));

  struct Case {
    u32 count, offset;
  };
  for (const Case &c : {Case{1, 4}, Case{2, 11}, Case{5, 12}, Case{4, 0}, Case{7, 6}}) {
    const std::vector<u8> old = ItemBytes("main", "N");
    const std::vector<u8> src = Bytes(c.count, 200);
    ASSERT_EQ(McsInsertByKind(5, "N", c.count, src.data(), c.offset), 0u) << c.count << "@" << c.offset;
    std::vector<u8> expect(old.begin(), old.begin() + c.offset);
    expect = Concat(Concat(expect, src), std::vector<u8>(old.begin() + c.offset, old.end()));
    expect.resize((expect.size() + 3) & ~size_t{3}, 0);
    EXPECT_EQ(ItemBytes("main", "N"), expect) << c.count << "@" << c.offset;
  }
  EXPECT_EQ(ItemBytes("main", "NZ"), std::vector<u8>(8, 0xEE));
  EXPECT_EQ(McsInsertByKind(0, "A", 4, three.data(), 0), 85u);
  EXPECT_EQ(McsInsertByKind(5, "N", 4, three.data(), 1000), 23u) << "offset beyond the item (18), mapped";
  EXPECT_EQ(McsInsertByKind(5, "NONE", 4, three.data(), 0), 64u);
}

TEST_F(Items, TextItemsUseTheirSlackFirst) {
  const std::vector<u8> text = TextItem("AB", 5);  // 10 + 3 used, 5 slack: 16 bytes
  ASSERT_EQ(McsCreateByKind(4, "FMEM1", 16, text.data()), 0u);
  ASSERT_EQ(McsInsertByKind(4, "FMEM1", 2, "XY", 11), 0u);
  EXPECT_EQ(ItemBytes("main", "FMEM1").size(), 16u) << "the slack took the bytes";
  EXPECT_EQ(ItemBytes("main", "FMEM1"), TextItem("AXYB", 1));
  // More than the slack: the item grows.
  ASSERT_EQ(McsInsertByKind(4, "FMEM1", 4, "1234", 10), 0u);
  const std::vector<u8> grown = ItemBytes("main", "FMEM1");
  EXPECT_EQ(grown.size(), 20u);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(grown.data()) + 10), "1234AXYB");
  // A cut leaves less than 4 bytes of slack.
  ASSERT_EQ(McsCutByKind(4, "FMEM1", 4, 10), 0u);
  EXPECT_EQ(ItemBytes("main", "FMEM1"), TextItem("AXYB", 1));
  ASSERT_EQ(McsCreateByKind(4, "FMEM2", 24, TextItem("ABC", 10).data()), 0u);
  ASSERT_EQ(McsCutByKind(4, "FMEM2", 1, 10), 0u);
  EXPECT_EQ(ItemBytes("main", "FMEM2"), TextItem("BC", 3)) << "8 of the 11 slack bytes were cut";
  // A text without terminator counts as full.
  ASSERT_EQ(McsCreateByKind(1, "PROG", 12, std::vector<u8>(12, 'Q').data()), 0u);
  ASSERT_EQ(McsInsertByKind(1, "PROG", 4, "abcd", 12), 0u);
  EXPECT_EQ(ItemBytes("system", "PROG").size(), 16u);
}

TEST_F(Items, WriteResults) {
  ASSERT_EQ(McsCreateByKind(5, "W", 8, Bytes(8, 0).data()), 0u);
  const std::vector<u8> src = Bytes(10, 100);
  struct Case {
    u32 count, offset, result, size;
  };
  for (const Case &c : {Case{2, 0, 0, 8}, Case{4, 4, 1, 8}, Case{10, 4, 2, 16}, Case{0, 16, 1, 16},
                        Case{3, 16, 2, 20}}) {
    const std::vector<u8> old = ItemBytes("main", "W");
    EXPECT_EQ(McsWriteByKind(5, "W", c.count, src.data(), c.offset), c.result) << c.count << "@" << c.offset;
    std::vector<u8> expect = old;
    expect.resize(std::max<size_t>(old.size(), c.offset + c.count), 0);
    for (u32 i = 0; i < c.count; ++i) expect[c.offset + i] = src[i];
    expect.resize((expect.size() + 3) & ~size_t{3}, 0);
    EXPECT_EQ(ItemBytes("main", "W"), expect) << c.count << "@" << c.offset;
    EXPECT_EQ(ItemBytes("main", "W").size(), c.size);
  }
  EXPECT_EQ(McsWriteByKind(5, "W", 4, src.data(), 21), 24u) << "offset past the end (21), mapped";
  EXPECT_EQ(McsWriteInFolder("main", "NONE", 4, src.data(), 0), 64u);
  EXPECT_EQ(McsWriteInFolder("main", "W", 4, src.data(), 0), 0u);
  EXPECT_EQ(CurrentKind(), 5) << "the item's own kind, opened by folder";

  // Growing when main memory is full: refused before a byte is written.
  const u32 left = McsFreeBytes();
  ASSERT_EQ(McsCreateByKind(5, "FILL", left - 20 - 4, nullptr), 0u);
  const std::vector<u8> before = ItemBytes("main", "W");
  EXPECT_EQ(McsWriteByKind(5, "W", 16, Bytes(16, 50).data(), before.size() - 4), 81u);
  EXPECT_EQ(ItemBytes("main", "W"), before);
  McsLockItem("main", "W");
  EXPECT_EQ(McsWriteByKind(5, "W", 8, Bytes(8, 50).data(), before.size() - 4), 64u);
  EXPECT_EQ(McsLastError(), 50u);
  EXPECT_EQ(ItemBytes("main", "W"), before);
}

TEST_F(Items, CutResults) {
  ASSERT_EQ(McsCreateByKind(5, "C", 16, Bytes(16, 0).data()), 0u);
  ASSERT_EQ(McsCreateByKind(5, "CZ", 8, std::vector<u8>(8, 0xEE).data()), 0u);
  ASSERT_EQ(McsCutByKind(5, "C", 3, 2), 0u);
  EXPECT_EQ(ItemBytes("main", "C"), (std::vector<u8>{0, 1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 0, 0}));
  ASSERT_EQ(McsCutByKind(5, "C", 6, 8), 0u);
  EXPECT_EQ(ItemBytes("main", "C"), (std::vector<u8>{0, 1, 5, 6, 7, 8, 9, 10, 0, 0, 0, 0}));
  const std::vector<u8> before = ItemBytes("main", "C");
  EXPECT_EQ(McsCutByKind(5, "C", 8, 8), 64u) << "past the end (23), mapped";
  EXPECT_EQ(McsCutByKind(5, "C", 1, 13), 25u) << "offset beyond (24), mapped";
  EXPECT_EQ(ItemBytes("main", "C"), before);
  EXPECT_EQ(McsCutByKind(0, "A", 4, 0), 86u);

  // A non-text item cut whole comes back as 4 zero bytes.
  ASSERT_EQ(McsCutByKind(5, "C", 12, 0), 0u);
  EXPECT_EQ(ItemBytes("main", "C"), std::vector<u8>(4, 0));
  ASSERT_EQ(McsCutInFolder("main", "CZ", 8, 0), 0u);
  EXPECT_EQ(ItemBytes("main", "CZ"), std::vector<u8>(4, 0));
  EXPECT_EQ(CurrentKind(), 254);
}

TEST_F(Items, VariablesAndTheCurrentVariable) {
  Value v;
  for (u32 i = 0; i < 24; ++i) reinterpret_cast<u8 *>(&v)[i] = static_cast<u8>(i + 1);
  ASSERT_EQ(McsStoreVariable('Q', &v), 0u);
  EXPECT_EQ(CurrentName(), "Q");
  Value got = {};
  ASSERT_EQ(McsReadCurrent(0, 24, &got), 0u);
  EXPECT_EQ(std::memcmp(&got, &v, 24), 0);
  u8 b = 0;
  ASSERT_EQ(McsReadCurrent(24, 1, &b), 0u);
  EXPECT_EQ(b, 24);
  EXPECT_EQ(McsReadCurrent(24, 2, &b), 26u);
  EXPECT_EQ(McsStoreVariable('a', &v), 64u);
  EXPECT_EQ(McsReadVariable('a', &got), 64u);
  EXPECT_EQ(McsVariablePtr('a', nullptr, nullptr), 64u);

  // Writes to a variable stay inside its 24-byte slot.
  const u8 src[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(McsWriteCurrent(8, src, 20), 21u);
  EXPECT_EQ(McsWriteCurrent(4, nullptr, 0), 19u);
  ASSERT_EQ(McsReadVariable('Q', &got), 0u);
  EXPECT_EQ(std::memcmp(&got, &v, 24), 0) << "refused writes change nothing";
  EXPECT_EQ(McsWriteCurrent(4, src, 20), 1u);
  EXPECT_EQ(McsWriteCurrent(4, src, 0), 0u);
  Value *slot;
  u32 size;
  ASSERT_EQ(McsVariablePtr(0xCE, &size, &slot), 0u);
  EXPECT_EQ(size, 24u);
  ASSERT_EQ(McsVariablePtr('Q', &size, &slot), 0u);
  EXPECT_EQ(reinterpret_cast<u8 *>(slot)[0], 9);
  EXPECT_EQ(reinterpret_cast<u8 *>(slot)[23], 9);
  EXPECT_EQ(reinterpret_cast<u8 *>(slot)[4], 5);

  // The item calls refuse a variable as the current item.
  EXPECT_EQ(McsInsertCurrent(4, src, 0), 85u);
  EXPECT_EQ(McsCutCurrent(4, 0), 86u);
  EXPECT_EQ(McsDeleteCurrent(), 87u);
  EXPECT_EQ(McsStepCurrent(1), 87u);
  u8 kind;
  ASSERT_EQ(McsCurrentKindSize(&kind, &size), 0u);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(size, 24u);
}

TEST_F(Items, CurrentItemCalls) {
  ASSERT_EQ(McsCreateByKind(5, "L1", 8, Bytes(8, 0).data()), 0u);
  const u8 src[4] = {7, 7, 7, 7};
  ASSERT_EQ(McsInsertCurrent(4, src, 8), 0u);
  EXPECT_EQ(McsWriteCurrent(4, src, 0), 0u);
  EXPECT_EQ(ItemBytes("main", "L1"), (std::vector<u8>{7, 7, 7, 7, 4, 5, 6, 7, 7, 7, 7, 7}));
  u8 got[4];
  ASSERT_EQ(McsReadCurrent(5, 4, got), 0u);
  EXPECT_EQ(std::vector<u8>(got, got + 4), (std::vector<u8>{4, 5, 6, 7}));
  EXPECT_EQ(McsReadCurrent(10, 4, got), 26u);
  ASSERT_EQ(McsCutCurrent(4, 0), 0u);
  EXPECT_EQ(ItemBytes("main", "L1"), (std::vector<u8>{4, 5, 6, 7, 7, 7, 7, 7}));
  ASSERT_EQ(McsDeleteCurrent(), 0u);
  EXPECT_EQ(CurrentName(), "<none>");
  EXPECT_EQ(McsInsertCurrent(4, src, 0), 85u);
  EXPECT_EQ(McsCutCurrent(4, 0), 86u);
  EXPECT_EQ(McsDeleteCurrent(), 87u);

  // The current name gone from the folder.
  ASSERT_EQ(McsCreateByKind(5, "GONE", 4, nullptr), 0u);
  ASSERT_EQ(McsDeleteItem("main", "GONE"), 0u);
  EXPECT_EQ(McsDeleteCurrent(), 80u);
}

TEST_F(Items, FindStepAndDeleteWalkTheFolderByKind) {
  for (const char *n : {"L1", "L2", "L3", "L4"}) ASSERT_EQ(McsCreateByKind(5, n, 4, nullptr), 0u);
  for (const char *n : {"L25", "M1", "A0"}) ASSERT_EQ(McsCreateByKind(6, n, 4, nullptr), 0u);
  EXPECT_EQ(McsFindByKind(0, nullptr, 1), 16u);
  EXPECT_EQ(McsFindByKind(10, nullptr, 1), 65u) << "@REV2 is empty";
  ASSERT_EQ(McsFindByKind(5, nullptr, 1), 0u);
  EXPECT_EQ(CurrentName(), "L1");
  ASSERT_EQ(McsFindByKind(5, nullptr, -1), 0u);
  EXPECT_EQ(CurrentName(), "L4");
  ASSERT_EQ(McsFindByKind(6, "L", 1), 0u);
  EXPECT_EQ(CurrentName(), "L25");
  EXPECT_EQ(McsFindByKind(6, "Q", 1), 64u);
  EXPECT_EQ(McsFindByKind(6, "TOOLONGNAME", 1), 64u);

  // Step forward and back among kind 5 only.
  ASSERT_EQ(McsFindByKind(5, "L2", 1), 0u);
  ASSERT_EQ(McsStepCurrent(1), 0u);
  EXPECT_EQ(CurrentName(), "L3") << "L25 is another kind";
  ASSERT_EQ(McsStepCurrent(1), 0u);
  EXPECT_EQ(CurrentName(), "L4");
  EXPECT_EQ(McsStepCurrent(1), 64u);
  ASSERT_EQ(McsStepCurrent(-1), 0u);
  EXPECT_EQ(CurrentName(), "L3");

  // Delete by kind keeps the deleted name current while a later one follows,
  // so a step forward lands on the next item.
  ASSERT_EQ(McsDeleteByKind(5, "L2"), 0u);
  EXPECT_EQ(CurrentName(), "L2");
  ASSERT_EQ(McsStepCurrent(1), 0u);
  EXPECT_EQ(CurrentName(), "L3");
  ASSERT_EQ(McsDeleteByKind(5, "L4"), 0u);
  EXPECT_EQ(CurrentName(), "<none>") << "the last of its kind";
  EXPECT_EQ(McsDeleteByKind(5, "M1"), 64u) << "M1 is another kind";
  EXPECT_EQ(CurrentName(), "<none>");
  EXPECT_EQ(McsDeleteByKind(0, "A"), 16u);

  // Delete current moves on to the next item of the same type.
  ASSERT_EQ(McsFindByKind(5, nullptr, 1), 0u);
  ASSERT_EQ(McsDeleteCurrent(), 0u);
  EXPECT_EQ(CurrentName(), "L3");

  // Folder calls see every record.
  ASSERT_EQ(McsFindInFolder("main", nullptr, 1), 0u);
  EXPECT_EQ(CurrentName(), "A0");
  ASSERT_EQ(McsStepCurrent(1), 0u);
  EXPECT_EQ(CurrentName(), "L25");
  ASSERT_EQ(McsDeleteInFolder("main", "L25"), 0u);
  EXPECT_EQ(McsDeleteInFolder("main", "L25"), 64u);
  EXPECT_EQ(McsFindInFolder("@RUNMAT", nullptr, 1), 65u);
  EXPECT_EQ(McsFindInFolder("nowhere", nullptr, 1), 64u);
}

TEST_F(Items, DeleteAllClearsTheCurrentItem) {
  for (const char *n : {"L1", "L2", "L3"}) ASSERT_EQ(McsCreateByKind(5, n, 4, nullptr), 0u);
  ASSERT_EQ(McsCreateByKind(6, "M", 4, nullptr), 0u);
  EXPECT_EQ(McsDeleteAllOfKind(0), 16u);
  ASSERT_EQ(McsDeleteAllOfKind(5), 0u);
  EXPECT_EQ(McsCountItemsOfType("main", 0x8A), 0u);
  EXPECT_EQ(McsCountItemsOfType("main", 0x8C), 1u);
  char name[9];
  EXPECT_EQ(McsCurrentName(name), 80u);
  u8 kind;
  EXPECT_NE(McsCurrentKindSize(&kind, nullptr), 0u);
  EXPECT_EQ(McsDeleteAllOfKind(10), 35u);
  ASSERT_EQ(McsCreateInFolder("@EQUA", "A", 4, nullptr), 0u);
  ASSERT_EQ(McsCreateInFolder("@EQUA", "B", 4, nullptr), 0u);
  McsLockItem("@EQUA", "A");
  EXPECT_EQ(McsDeleteAllInFolder("@EQUA"), 64u) << "a locked item stays";
  EXPECT_EQ(McsLastError(), 50u);
  EXPECT_EQ(McsFindItem("@EQUA", "A", nullptr, nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(McsFindItem("@EQUA", "B", nullptr, nullptr, nullptr, nullptr), 48u);
  ASSERT_EQ(McsDeleteAllOfKind(128), 0u);
  EXPECT_EQ(McsCountItemsOfType("main", 0x8C), 0u);
}

TEST_F(Items, ListAndCountByType) {
  for (const char *n : {"B", "A", "C"}) ASSERT_EQ(McsCreateByKind(7, n, 4, nullptr), 0u);
  ASSERT_EQ(McsCreateByKind(5, "L", 4, nullptr), 0u);
  u8 rows[9 * 4] = {};
  ASSERT_EQ(McsListItemsOfType("main", 0xCE, rows), 3u);
  EXPECT_STREQ(reinterpret_cast<char *>(rows), "A");
  EXPECT_STREQ(reinterpret_cast<char *>(rows + 9), "B");
  EXPECT_STREQ(reinterpret_cast<char *>(rows + 18), "C");
  EXPECT_EQ(rows[27], 0);
  EXPECT_EQ(McsCountItemsOfType("nowhere", 0xCE), 0u);
  EXPECT_EQ(McsListItemsOfType("nowhere", 0xCE, rows), 0u);
}

TEST_F(Items, StoreBlockTurnsAHeapBlockIntoAnItem) {
  MemHandle h = MemAlloc(10);
  std::memcpy(MemDeref(h), Bytes(10, 1).data(), 10);
  ASSERT_EQ(McsStoreBlock(6, "MAT_ANS", h, 0, nullptr), 0u);
  EXPECT_EQ(MemDeref(h), nullptr) << "the block is freed";
  EXPECT_EQ(ItemBytes("main", "MAT_ANS"), Concat(Bytes(10, 1), {0, 0}));
  EXPECT_EQ(CurrentName(), "MAT_ANS");

  h = MemAlloc(8);
  std::memcpy(MemDeref(h), Bytes(8, 50).data(), 8);
  const u8 prefix[4] = {0xA, 0xB, 0xC, 0xD};
  ASSERT_EQ(McsStoreBlock(6, "MAT_ANS", h, 4, prefix), 0u);
  EXPECT_EQ(ItemBytes("main", "MAT_ANS"), Concat({0xA, 0xB, 0xC, 0xD}, Bytes(8, 50)));

  // No room: the block is still freed and no half item is left.
  h = MemAlloc(McsFreeBytes());
  ASSERT_NE(h, 0u);
  EXPECT_EQ(McsStoreBlock(6, "BIG", h, 4, prefix), 48u);
  EXPECT_EQ(MemDeref(h), nullptr);
  EXPECT_EQ(McsFindItem("main", "BIG", nullptr, nullptr, nullptr, nullptr), 48u);
}

}  // namespace
