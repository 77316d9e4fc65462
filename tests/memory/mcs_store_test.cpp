#include "memory/mcs_store.h"

#include "kernel/heap.h"

#include <gtest/gtest.h>

#include "tests/memory/mcs_test_util.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<u8> Snapshot() { return McsTestSnapshot(); }
u32 Off(u32 addr) { return addr - kMcsAreaAddr; }
std::string FolderName(u32 offset) {
  const char *p = reinterpret_cast<const char *>(McsAreaAddress() + offset);
  return std::string(p, strnlen(p, 8));
}
std::vector<u8> Bytes(u32 n, u8 first) { return McsTestBytes(n, first); }
std::vector<u8> ItemBytes(const char *folder, const char *name) { return McsTestItemBytes(folder, name); }

class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsInitArea(), 0u);
  }
  void TearDown() override {
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << "folder " << int(folder);
    HostFreeCalcRam();
  }
  // Fills the area up to exactly `left` free bytes with one item.
  void FillLeaving(u32 left) {
    const u32 size = McsFreeBytes() - left - 20;
    ASSERT_EQ(McsCreateItem("@REV1", "FILLER", 0x10, size, nullptr), 0u);
    ASSERT_EQ(McsFreeBytes(), left);
  }
};

TEST_F(Store, FreshAreaLayout) {
  const McsAreaHeader *h = McsHeader();
  EXPECT_EQ(Off(h->data_top), 2608u);
  EXPECT_EQ(Off(h->block_bottom), 65536u);
  EXPECT_EQ(Off(h->table_bottom), 65536u);
  EXPECT_EQ(h->tracked, 0u);
  EXPECT_EQ(Off(h->current), 2576u) << "\"main\" is the current folder";
  for (u32 w : h->changed) EXPECT_EQ(w, 0u);
  for (u32 i = 20; i < 256; ++i) {
    if (i < 24 || i >= 40) {
      EXPECT_EQ(McsAreaAddress()[i], 0) << i;
    }
  }

  struct Slot {
    u32 offset;
    const char *name;
  };
  const Slot slots[] = {{256, "system"},  {272, "library"}, {288, "@REV3"},    {304, "@REV2"},
                        {320, "@REV1"},   {336, "@LOCAL40"}, {352, "@LOCAL39"}, {480, "@LOCAL31"},
                        {816, "@LOCAL10"}, {832, "@LOCAL9"}, {960, "@LOCAL1"},  {976, ""},
                        {2560, ""},       {2576, "main"},    {2592, "@APLWORK"}};
  for (const Slot &s : slots) EXPECT_EQ(FolderName(s.offset), s.name) << s.offset;
  int named = 0;
  for (u32 i = 1; i <= kMcsFolderCount; ++i) {
    McsFolderRecord *r;
    ASSERT_EQ(McsFolderByIndex(i, &r), 0u);
    EXPECT_EQ(Off(r->block), 2608u);
    EXPECT_EQ(r->count, 0u);
    named += r->name[0] != 0;
  }
  EXPECT_EQ(named, 47);
  McsFolderRecord *r;
  EXPECT_EQ(McsFolderByIndex(0, &r), kMcsBadFolderIndex);
  EXPECT_EQ(McsFolderByIndex(148, &r), kMcsBadFolderIndex);
  u8 index;
  ASSERT_EQ(McsFindFolder("@APLWORK", &r, &index), 0u);
  EXPECT_EQ(index, 1);
  ASSERT_EQ(McsFindFolder("system", &r, &index), 0u);
  EXPECT_EQ(index, 147);

  u32 total, used, free_bytes;
  McsGetSizes(&total, &used, &free_bytes);
  EXPECT_EQ(total, 65536u);
  EXPECT_EQ(used, 2608u);
  EXPECT_EQ(free_bytes, 62928u);
  EXPECT_EQ(McsFreeBytes(), 62928u);
  char name[9];
  ASSERT_EQ(McsCurrentFolderName(name, &index), 0u);
  EXPECT_STREQ(name, "main");
  EXPECT_EQ(index, 2);
}

TEST_F(Store, CreateSizesAndRoom) {
  struct Case {
    u32 size;
    u32 expect;
  };
  for (const Case &c : {Case{0, kMcsBadSize}, Case{6, kMcsBadSize}, Case{1, kMcsBadSize}, Case{4, 0}, Case{24, 0}})
    EXPECT_EQ(McsCreateItem("main", ("S" + std::to_string(c.size)).c_str(), 0x8A, c.size, nullptr), c.expect)
        << c.size;

  const u32 free_now = McsFreeBytes();
  const auto before = Snapshot();
  EXPECT_EQ(McsCreateItem("main", "BIG", 0x8A, free_now - 16, nullptr), kMcsNoRoom);
  EXPECT_EQ(Snapshot(), before) << "a refused create changes nothing";
  EXPECT_EQ(McsCreateItem("main", "BIG", 0x8A, free_now - 20, nullptr), 0u);
  EXPECT_EQ(McsFreeBytes(), 0u);
  EXPECT_EQ(McsCreateItem("main", "MORE", 0x8A, 4, nullptr), kMcsNoRoom);
}

TEST_F(Store, ItemsAreKeptSortedByUnsignedName) {
  const char *names[] = {"b", "A", "\xC0", "Z", "a", "AB", "ABC", "zz", "0", "ABCDEFGH"};
  u8 n = 0;
  for (const char *name : names) {
    const u8 v = n++;
    ASSERT_EQ(McsCreateItem("main", name, 0x8A, 4, std::vector<u8>(4, v).data()), 0u) << name;
  }
  std::vector<std::string> sorted(std::begin(names), std::end(names));
  std::sort(sorted.begin(), sorted.end(), [](const std::string &a, const std::string &b) {
    return std::memcmp(std::string(a + std::string(8, '\0')).data(), std::string(b + std::string(8, '\0')).data(), 8) <
           0;
  });
  McsFolderRecord *f;
  ASSERT_EQ(McsFindFolder("main", &f, nullptr), 0u);
  ASSERT_EQ(f->count, 10u);
  const McsItemRecord *items = McsFolderItems(f);
  for (u32 j = 0; j < 10; ++j) {
    EXPECT_EQ(std::string(items[j].name, strnlen(items[j].name, 8)), sorted[j]) << j;
    EXPECT_EQ(items[j].folder, 2);
    EXPECT_EQ(items[j].offset, 200 + 4 * j) << "data follows the records in record order";
  }
  // Every item still holds its own bytes after the others moved around it.
  n = 0;
  for (const char *name : names) EXPECT_EQ(ItemBytes("main", name), std::vector<u8>(4, n++)) << name;
}

TEST_F(Store, NamesAreEightZeroPaddedBytesWithCaseKept) {
  ASSERT_EQ(McsCreateItem("main", "ABC", 0x8A, 4, nullptr), 0u);
  const char padded[9] = {'A', 'B', 'C', 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(McsFindItem("main", padded, nullptr, nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(McsFindItem("main", "abc", nullptr, nullptr, nullptr, nullptr), kMcsNoItem);
  EXPECT_EQ(McsCreateItem("main", "ABCDEFGHIJ", 0x8A, 4, nullptr), 0u);
  EXPECT_EQ(McsFindItem("main", "ABCDEFGH", nullptr, nullptr, nullptr, nullptr), 0u) << "names are cut at 8 bytes";
  EXPECT_EQ(McsFindItem("main", "", nullptr, nullptr, nullptr, nullptr), kMcsEmptyName);
  EXPECT_EQ(McsFindItem("main", nullptr, nullptr, nullptr, nullptr, nullptr), kMcsEmptyName);
  EXPECT_EQ(McsFindItem("nowhere", "ABC", nullptr, nullptr, nullptr, nullptr), kMcsNoFolder);

  char out[8];
  struct Case {
    const char *text;
    u32 mode;
    const char *expect;
  };
  for (const Case &c : {Case{"aBc9", 0, "ABC9"}, Case{"aBc9", 1, "abc9"}, Case{"aBc9", 2, "aBc9"}}) {
    ASSERT_EQ(McsNormaliseName(c.text, c.mode, out), 0u);
    char expect[8] = {};
    std::memcpy(expect, c.expect, std::strlen(c.expect));
    EXPECT_EQ(std::memcmp(out, expect, 8), 0) << c.text << " mode " << c.mode;
  }
  EXPECT_EQ(McsNormaliseName("", 2, out), kMcsEmptyName);
}

TEST_F(Store, CreatedItemWithoutSourceIsZero) {
  // Leave stale bytes where the next item's data will go.
  ASSERT_EQ(McsCreateItem("main", "OLD", 0x8A, 64, std::vector<u8>(64, 0xEE).data()), 0u);
  ASSERT_EQ(McsDeleteItem("main", "OLD"), 0u);
  ASSERT_EQ(McsCreateItem("main", "NEW", 0x8A, 64, nullptr), 0u);
  EXPECT_EQ(ItemBytes("main", "NEW"), std::vector<u8>(64, 0));
  // The same over an existing item.
  ASSERT_EQ(McsCreateItem("main", "NEW", 0x8A, 32, std::vector<u8>(32, 0x11).data()), 0u);
  ASSERT_EQ(McsCreateItem("main", "NEW", 0x8A, 48, nullptr), 0u);
  EXPECT_EQ(ItemBytes("main", "NEW"), std::vector<u8>(48, 0));
}

TEST_F(Store, CreateOverAnExistingItem) {
  ASSERT_EQ(McsCreateItem("main", "X", 0x8A, 8, Bytes(8, 1).data()), 0u);
  ASSERT_EQ(McsCreateItem("main", "Y", 0x8A, 8, Bytes(8, 50).data()), 0u);
  ASSERT_EQ(McsSetItemFlags("main", "X", 0x10), 0u);
  ASSERT_EQ(McsCreateItem("main", "X", 0x8C, 16, Bytes(16, 100).data()), 0u);
  u8 type, flags;
  u32 size;
  ASSERT_EQ(McsFindItem("main", "X", &type, nullptr, nullptr, &size), 0u);
  McsGetItemFlags("main", "X", &flags);
  EXPECT_EQ(type, 0x8C);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(flags, 0x10) << "flags are kept";
  EXPECT_EQ(ItemBytes("main", "X"), Bytes(16, 100));
  EXPECT_EQ(ItemBytes("main", "Y"), Bytes(8, 50));
  ASSERT_EQ(McsCreateItem("main", "X", 0x8A, 4, Bytes(4, 7).data()), 0u);
  EXPECT_EQ(ItemBytes("main", "X"), Bytes(4, 7));

  struct Case {
    u8 flags;
    u8 type;
    u32 expect;
  };
  for (const Case &c : {Case{kMcsReadOnly, 0x8A, kMcsReadOnlyItem}, Case{kMcsProtected, 0x8A, kMcsProtectedItem},
                        Case{kMcsMarked, 0x8A, kMcsProtectedItem}, Case{0, 0xCA, kMcsTypeFixed}}) {
    ASSERT_EQ(McsCreateItem("main", "F", c.type, 4, nullptr), 0u);
    McsSetItemFlags("main", "F", c.flags);
    const auto before = Snapshot();
    EXPECT_EQ(McsCreateItem("main", "F", 0x8A, 8, nullptr), c.expect) << int(c.flags) << " " << int(c.type);
    EXPECT_EQ(Snapshot(), before);
    McsSetItemFlags("main", "F", 0);
    McsHeader();
    ASSERT_EQ(McsDeleteItem("main", "F"), 0u);
  }
}

TEST_F(Store, ByteOperationCodes) {
  ASSERT_EQ(McsCreateItem("main", "I", 0x8A, 16, Bytes(16, 0).data()), 0u);
  struct Case {
    const char *what;
    u32 (*op)();
    u32 expect;
  };
  static u8 buf[64];
  const Case cases[] = {
      {"insert count 6", [] { return McsInsertBytes("main", "I", 0, 6, buf); }, kMcsBadSize},
      {"insert count 0", [] { return McsInsertBytes("main", "I", 0, 0, buf); }, 0},
      {"insert beyond", [] { return McsInsertBytes("main", "I", 17, 4, buf); }, kMcsInsertBeyond},
      {"insert no item", [] { return McsInsertBytes("main", "J", 0, 4, buf); }, kMcsNoItem},
      {"write count > size", [] { return McsWriteBytes("main", "I", 0, 20, buf); }, kMcsWriteTooBig},
      {"write offset at end", [] { return McsWriteBytes("main", "I", 16, 1, buf); }, kMcsWriteOffset},
      {"write past end", [] { return McsWriteBytes("main", "I", 12, 8, buf); }, kMcsWritePastEnd},
      {"cut count 3", [] { return McsCutBytes("main", "I", 0, 3); }, kMcsCutBadCount},
      {"cut offset beyond", [] { return McsCutBytes("main", "I", 17, 4); }, kMcsCutOffset},
      {"cut past end", [] { return McsCutBytes("main", "I", 8, 12); }, kMcsCutPastEnd},
      {"read count > size", [] { return McsReadBytes("main", "I", 0, 17, buf); }, kMcsReadTooBig},
      {"read offset at end", [] { return McsReadBytes("main", "I", 16, 1, buf); }, kMcsReadOffset},
      {"read past end", [] { return McsReadBytes("main", "I", 12, 8, buf); }, kMcsReadPastEnd},
      {"delete no item", [] { return McsDeleteItem("main", "J"); }, kMcsNoItem},
  };
  const auto before = Snapshot();
  for (const Case &c : cases) {
    EXPECT_EQ(c.op(), c.expect) << c.what;
    // Compare everything but the change flags, which a refused change may set.
    auto now = Snapshot();
    std::memset(now.data() + 24, 0, 16);
    auto was = before;
    std::memset(was.data() + 24, 0, 16);
    EXPECT_EQ(now, was) << c.what;
  }
}

TEST_F(Store, FlagsRefuseChanges) {
  ASSERT_EQ(McsCreateItem("main", "I", 0x8A, 8, nullptr), 0u);
  u8 buf[8] = {};
  struct Case {
    u8 flags;
    u32 expect;  // for changes
    u32 read;    // for a read
  };
  for (const Case &c : {Case{kMcsReadOnly, kMcsReadOnlyItem, 0}, Case{kMcsProtected, kMcsProtectedItem, kMcsProtectedItem},
                        Case{kMcsMarked, kMcsProtectedItem, 0}}) {
    McsSetItemFlags("main", "I", c.flags);
    const auto before = Snapshot();
    EXPECT_EQ(McsInsertBytes("main", "I", 0, 4, buf), c.expect);
    EXPECT_EQ(McsWriteBytes("main", "I", 0, 4, buf), c.expect);
    EXPECT_EQ(McsCutBytes("main", "I", 0, 4), c.expect);
    EXPECT_EQ(McsDeleteItem("main", "I"), c.expect);
    EXPECT_EQ(McsMoveItem("main", "I", "@REV1", "I"), c.expect);
    EXPECT_EQ(McsRenameItem("main", "I", "K"), c.expect);
    EXPECT_EQ(McsReadBytes("main", "I", 0, 4, buf), c.read);
    EXPECT_EQ(Snapshot(), before) << int(c.flags);
  }
  // Lock and unlock refuse a protected or marked item; protect and mark do not.
  McsSetItemFlags("main", "I", kMcsMarked);
  EXPECT_EQ(McsLockItem("main", "I"), kMcsProtectedItem);
  EXPECT_EQ(McsProtectItem("main", "I"), 0u);
  EXPECT_EQ(McsCopyItem("main", "I", "main", "C"), kMcsProtectedItem);
  EXPECT_EQ(McsUnmarkItem("main", "I"), 0u);
  EXPECT_EQ(McsUnprotectItem("main", "I"), 0u);
  EXPECT_EQ(McsLockItem("main", "I"), 0u);
  u8 flags;
  McsGetItemFlags("main", "I", &flags);
  EXPECT_EQ(flags, kMcsReadOnly);
  EXPECT_EQ(McsUnlockItem("main", "I"), 0u);
  McsMarkItem("main", "I");
  ASSERT_EQ(McsCreateItem("@REV1", "J", 0x8A, 4, nullptr), 0u);
  McsMarkItem("@REV1", "J");
  McsClearAllMarks();
  McsGetItemFlags("main", "I", &flags);
  EXPECT_EQ(flags, 0);
  McsGetItemFlags("@REV1", "J", &flags);
  EXPECT_EQ(flags, 0);
}

TEST_F(Store, InsertWriteCutReadMoveTheRightBytes) {
  ASSERT_EQ(McsCreateItem("main", "A", 0x8A, 8, Bytes(8, 10).data()), 0u);
  ASSERT_EQ(McsCreateItem("main", "B", 0x8A, 8, Bytes(8, 20).data()), 0u);
  ASSERT_EQ(McsCreateItem("@REV1", "C", 0x8A, 8, Bytes(8, 30).data()), 0u);
  ASSERT_EQ(McsInsertBytes("main", "A", 4, 4, Bytes(4, 100).data()), 0u);
  EXPECT_EQ(ItemBytes("main", "A"), (std::vector<u8>{10, 11, 12, 13, 100, 101, 102, 103, 14, 15, 16, 17}));
  ASSERT_EQ(McsInsertFill("main", "A", 12, 4, 0x5A), 0u);
  EXPECT_EQ(ItemBytes("main", "A").back(), 0x5A);
  ASSERT_EQ(McsWriteBytes("main", "A", 14, 2, Bytes(2, 1).data()), 0u);
  ASSERT_EQ(McsCutBytes("main", "A", 0, 4), 0u);
  EXPECT_EQ(ItemBytes("main", "A"), (std::vector<u8>{100, 101, 102, 103, 14, 15, 16, 17, 0x5A, 0x5A, 1, 2}));
  u8 got[4];
  ASSERT_EQ(McsReadBytes("main", "A", 8, 4, got), 0u);
  EXPECT_EQ(std::vector<u8>(got, got + 4), (std::vector<u8>{0x5A, 0x5A, 1, 2}));
  EXPECT_EQ(ItemBytes("main", "B"), Bytes(8, 20));
  EXPECT_EQ(ItemBytes("@REV1", "C"), Bytes(8, 30));
  // A cut of the whole item deletes it.
  ASSERT_EQ(McsCutBytes("main", "B", 0, 8), 0u);
  EXPECT_EQ(McsFindItem("main", "B", nullptr, nullptr, nullptr, nullptr), kMcsNoItem);
}

TEST_F(Store, SourcesInsideTheAreaAreCopiedBeforeTheyMove) {
  ASSERT_EQ(McsCreateItem("main", "M", 0x8A, 16, Bytes(16, 1).data()), 0u);
  u8 *data;
  McsFindItem("main", "M", nullptr, nullptr, &data, nullptr);
  // "A" sorts before "M", so creating it moves M's data under the source.
  ASSERT_EQ(McsCreateItem("main", "A", 0x8A, 16, data), 0u);
  EXPECT_EQ(ItemBytes("main", "A"), Bytes(16, 1));
  McsFindItem("main", "M", nullptr, nullptr, &data, nullptr);
  ASSERT_EQ(McsInsertBytes("main", "M", 0, 8, data + 8), 0u);
  std::vector<u8> expect = Bytes(8, 9);
  const auto rest = Bytes(16, 1);
  expect.insert(expect.end(), rest.begin(), rest.end());
  EXPECT_EQ(ItemBytes("main", "M"), expect);
}

TEST_F(Store, MemoryFullLeavesTheAreaExactlyAsItWas) {
  ASSERT_EQ(McsCreateItem("main", "ITEM", 0x8A, 64, Bytes(64, 3).data()), 0u);
  ASSERT_EQ(McsCreateItem("@REV2", "OTHER", 0x8A, 32, Bytes(32, 5).data()), 0u);
  const u32 block = McsBlockAlloc(32);
  ASSERT_NE(block, 0u);
  FillLeaving(12);
  McsClearChanged();
  struct Case {
    const char *what;
    u32 (*op)();
    u32 expect;
  };
  static u32 s_block;
  s_block = block;
  const Case cases[] = {
      {"create", [] { return McsCreateItem("main", "NEW", 0x8A, 4, nullptr); }, kMcsNoRoom},
      {"create over, growing", [] { return McsCreateItem("main", "ITEM", 0x8A, 80, nullptr); }, kMcsNoRoomInsert},
      {"insert", [] { return McsInsertBytes("main", "ITEM", 0, 16, nullptr); }, kMcsNoRoomInsert},
      {"insert fill", [] { return McsInsertFill("main", "ITEM", 0, 16, 1); }, kMcsNoRoomInsert},
      {"copy", [] { return McsCopyItem("main", "ITEM", "main", "COPY"); }, kMcsNoRoom},
      {"move", [] { return McsMoveItem("main", "ITEM", "@REV1", "ITEM"); }, kMcsNoRoomMove},
      {"rename", [] { return McsRenameItem("main", "ITEM", "RENAMED"); }, kMcsNoRoomMove},
      {"block alloc", [] { return McsBlockAlloc(8) == 0 ? 0u : 1u; }, 0},
      {"block realloc", [] { return McsBlockRealloc(s_block, 48) == 0 ? 0u : 1u; }, 0},
  };
  const auto before = Snapshot();
  for (const Case &c : cases) {
    EXPECT_EQ(c.op(), c.expect) << c.what;
    EXPECT_EQ(Snapshot(), before) << c.what;
    u8 folder;
    EXPECT_EQ(McsCheckArea(&folder), 0u) << c.what;
  }
  EXPECT_EQ(ItemBytes("main", "ITEM"), Bytes(64, 3));
  // What fits still works.
  EXPECT_EQ(McsInsertBytes("main", "ITEM", 0, 12, nullptr), 0u);
  EXPECT_EQ(McsFreeBytes(), 0u);
}

TEST_F(Store, CopyMoveAndRename) {
  ASSERT_EQ(McsCreateItem("main", "A", 0xCE, 8, Bytes(8, 1).data()), 0u);
  ASSERT_EQ(McsCopyItem("main", "A", "@REV1", "B"), 0u);
  EXPECT_EQ(ItemBytes("@REV1", "B"), Bytes(8, 1));
  u8 type;
  McsFindItem("@REV1", "B", &type, nullptr, nullptr, nullptr);
  EXPECT_EQ(type, 0xCE);
  EXPECT_EQ(McsCopyItem("main", "A", "main", "A"), 0u) << "onto itself";
  EXPECT_EQ(McsMoveItem("main", "A", "main", "A"), 0u) << "onto itself";
  EXPECT_EQ(ItemBytes("main", "A"), Bytes(8, 1));
  EXPECT_EQ(McsMoveItem("main", "A", "nowhere", "A"), kMcsNoFolder);
  ASSERT_EQ(McsMoveItem("main", "A", "@REV2", "C"), 0u);
  EXPECT_EQ(McsFindItem("main", "A", nullptr, nullptr, nullptr, nullptr), kMcsNoItem);
  EXPECT_EQ(ItemBytes("@REV2", "C"), Bytes(8, 1));

  // Rename: codes, and the item keeps its data, type and flags.
  ASSERT_EQ(McsCreateItem("main", "P", 0xC7, 12, Bytes(12, 40).data()), 0u);
  ASSERT_EQ(McsCreateItem("main", "Q", 0xC7, 4, nullptr), 0u);
  McsSetItemFlags("main", "P", 0x20);
  EXPECT_EQ(McsRenameItem("main", "NONE", "R"), kMcsNoItem);
  EXPECT_EQ(McsRenameItem("main", "P", "Q"), kMcsNameTaken);
  EXPECT_EQ(McsRenameItem("main", "P", "P"), kMcsNameTaken);
  ASSERT_EQ(McsRenameItem("main", "P", "ZED"), 0u);
  EXPECT_EQ(McsFindItem("main", "P", nullptr, nullptr, nullptr, nullptr), kMcsNoItem);
  EXPECT_EQ(ItemBytes("main", "ZED"), Bytes(12, 40));
  u8 flags;
  McsFindItem("main", "ZED", &type, nullptr, nullptr, nullptr);
  McsGetItemFlags("main", "ZED", &flags);
  EXPECT_EQ(type, 0xC7);
  EXPECT_EQ(flags, 0x20);
}

TEST_F(Store, RenameLeavesAWorkItemNamedValRenAlone) {
  ASSERT_EQ(McsCreateItem("@APLWORK", "val_ren", 0xD3, 8, Bytes(8, 77).data()), 0u);
  ASSERT_EQ(McsCreateItem("main", "OLD", 0x8A, 16, Bytes(16, 5).data()), 0u);
  ASSERT_EQ(McsRenameItem("main", "OLD", "NEW"), 0u);
  EXPECT_EQ(ItemBytes("@APLWORK", "val_ren"), Bytes(8, 77));
  EXPECT_EQ(ItemBytes("main", "NEW"), Bytes(16, 5));
}

TEST_F(Store, Searches) {
  for (const char *name : {"LIST1", "LIST2", "LIST3", "MAT_A", "MAT_B", "PICT1"})
    ASSERT_EQ(McsCreateItem("main", name, 0x8A, 4, nullptr), 0u);
  McsItemRecord *r;
  ASSERT_EQ(McsFindPrefix("main", "MAT", 3, &r), 0u);
  EXPECT_EQ(std::string(r->name, 5), "MAT_A");
  ASSERT_EQ(McsFindPrefix("main", "LIST", 4, &r), 0u);
  EXPECT_EQ(std::string(r->name, 5), "LIST1");
  EXPECT_EQ(McsFindPrefix("main", "Q", 1, &r), kMcsNoItem);
  char out[9];
  ASSERT_EQ(McsFindNearest("main", "PICT", 4, out), 0u);
  EXPECT_STREQ(out, "PICT1");
  ASSERT_EQ(McsFindNearest("main", "MAT_B", 5, out), 0u);
  EXPECT_STREQ(out, "MAT_B");
  EXPECT_EQ(McsFindNearest("@REV1", "X", 1, out), kMcsNoItem);
  EXPECT_EQ(McsFindPrefix("nowhere", "X", 1, &r), kMcsNoFolder);
}

TEST_F(Store, FolderOperationCodes) {
  for (int n = 0; n < 100; ++n) ASSERT_EQ(McsCreateFolder(("F" + std::to_string(n)).c_str()), 0u) << n;
  EXPECT_EQ(McsCreateFolder("F100"), kMcsNoFolderSlot);
  ASSERT_EQ(McsDeleteFolder("F5"), 0u);
  ASSERT_EQ(McsCreateFolder("AGAIN"), 0u);
  u8 index;
  McsFindFolder("AGAIN", nullptr, &index);
  EXPECT_EQ(index, 8) << "the first free slot from index 1 upward";

  ASSERT_EQ(McsCreateItem("F1", "I", 0x8A, 4, nullptr), 0u);
  ASSERT_EQ(McsSelectFolder("F2"), 0u);
  struct Case {
    const char *what;
    u32 (*op)();
    u32 expect;
  };
  const Case cases[] = {
      {"create existing", [] { return McsCreateFolder("main"); }, kMcsFolderExists},
      {"create empty name", [] { return McsCreateFolder(""); }, kMcsEmptyName},
      {"delete main", [] { return McsDeleteFolder("main"); }, kMcsFolderFixed},
      {"delete system", [] { return McsDeleteFolder("system"); }, kMcsFolderFixed},
      {"delete @LOCAL1", [] { return McsDeleteFolder("@LOCAL1"); }, kMcsFolderFixed},
      {"delete missing", [] { return McsDeleteFolder("nowhere"); }, kMcsNoFolder},
      {"delete not empty", [] { return McsDeleteFolder("F1"); }, kMcsFolderNotEmpty},
      {"delete current", [] { return McsDeleteFolder("F2"); }, kMcsFolderCurrent},
      {"rename fixed", [] { return McsRenameFolder("@APLWORK", "X"); }, kMcsFolderFixed},
      {"rename to taken", [] { return McsRenameFolder("F3", "F4"); }, kMcsFolderExists},
      {"select @APLWORK", [] { return McsSelectFolder("@APLWORK"); }, kMcsFolderFixed},
      {"select system", [] { return McsSelectFolder("system"); }, kMcsFolderFixed},
      {"select missing", [] { return McsSelectFolder("nowhere"); }, kMcsNoFolder},
  };
  for (const Case &c : cases) EXPECT_EQ(c.op(), c.expect) << c.what;

  ASSERT_EQ(McsLockFolder("F3"), 0u);
  EXPECT_EQ(McsDeleteFolder("F3"), kMcsFolderLocked);
  EXPECT_EQ(McsRenameFolder("F3", "G3"), kMcsFolderLocked);
  ASSERT_EQ(McsUnlockFolder("F3"), 0u);
  ASSERT_EQ(McsRenameFolder("F3", "G3"), 0u);
  EXPECT_EQ(McsFindFolder("F3", nullptr, nullptr), kMcsNoFolder);
  McsProtectItem("F1", "I");
  EXPECT_EQ(McsRenameFolder("F1", "G1"), kMcsFolderHasProtected);
  McsUnprotectItem("F1", "I");

  // Locking a folder locks its items.
  ASSERT_EQ(McsLockFolder("F1"), 0u);
  u8 flags;
  McsGetItemFlags("F1", "I", &flags);
  EXPECT_EQ(flags, kMcsReadOnly);
  McsGetFolderFlags("F1", &flags);
  EXPECT_EQ(flags, 1);
  EXPECT_EQ(McsDeleteItem("F1", "I"), kMcsReadOnlyItem);
  ASSERT_EQ(McsUnlockFolder("F1"), 0u);
  EXPECT_EQ(McsDeleteItem("F1", "I"), 0u);
  ASSERT_EQ(McsSelectFolder("main"), 0u);
  EXPECT_EQ(McsDeleteFolder("F2"), 0u);

  // A folder whose block does not meet the next one's is refused.
  McsFolderRecord *f;
  McsFindFolder("F7", &f, &index);
  f->block -= 4;
  EXPECT_EQ(McsDeleteFolder("F7"), kMcsInconsistent);
  f->block += 4;
}

TEST_F(Store, ChangeFlags) {
  u32 words[4];
  McsGetChanged(words);
  for (u32 w : words) EXPECT_EQ(w, 0u);
  ASSERT_EQ(McsCreateItem("main", "I", 0x8A, 4, nullptr), 0u);
  McsGetChanged(words);
  for (u32 w : words) EXPECT_EQ(w, 0xFFFFFFFFu);
  McsClearChanged();
  const u32 some[4] = {0x1, 0x0, 0x80000000u, 0x4};
  McsSetChanged(some);
  struct Case {
    u32 bit;
    i32 expect;
  };
  for (const Case &c : {Case{0, 1}, Case{0, 0}, Case{1, 0}, Case{95, 1}, Case{95, 0}, Case{98, 1}, Case{127, 0},
                        Case{128, -1}, Case{1000, -1}})
    EXPECT_EQ(McsTestClearChanged(c.bit), c.expect) << c.bit;
  McsGetChanged(words);
  for (u32 w : words) EXPECT_EQ(w, 0u);
  // Every kind of change sets the flags.
  for (auto op : {+[] { return McsWriteBytes("main", "I", 0, 4, nullptr); },
                  +[] { return McsInsertBytes("main", "I", 0, 4, nullptr); },
                  +[] { return McsCutBytes("main", "I", 0, 4); }, +[] { return McsRenameItem("main", "I", "J"); },
                  +[] { return McsSelectFolder("main"); }, +[] { return McsDeleteItem("main", "J"); }}) {
    McsClearChanged();
    ASSERT_EQ(op(), 0u);
    EXPECT_EQ(McsTestClearChanged(77), 1);
  }
}

// A place remembered for an item holds across what leaves every item where
// it stands (writes in place, flags, reads, movable blocks) and lapses with
// every change that may move, remove, rename or retype an item or change a
// folder.
TEST_F(Store, RememberedPlacesLapseWithEveryChangeThatMovesItems) {
  struct Change {
    const char *what;
    bool lapses;
    u32 (*run)();
  };
  const Change changes[] = {
      {"write in place", false, [] { return McsWriteBytes("main", "B", 4, 4, "wxyz"); }},
      {"flags", false, [] { return McsLockItem("main", "B") | McsUnlockItem("main", "B"); }},
      {"read", false, [] { u8 d[4]; return McsReadBytes("main", "B", 0, 4, d); }},
      {"movable block", false, [] { McsBlockFree(McsBlockAlloc(16)); return 0u; }},
      {"change flags cleared", false, [] { McsClearChanged(); return 0u; }},
      {"item created before it", true, [] { return McsCreateItem("main", "A0", 0x10, 8, nullptr); }},
      {"item created after it", true, [] { return McsCreateItem("main", "D", 0x10, 8, nullptr); }},
      {"item before it grows", true, [] { return McsInsertBytes("main", "A", 0, 4, nullptr); }},
      {"item grows", true, [] { return McsInsertBytes("main", "B", 0, 4, nullptr); }},
      {"item cut", true, [] { return McsCutBytes("main", "B", 0, 4); }},
      {"item replaced, same size, new type", true, [] { return McsCreateItem("main", "B", 0x11, 12, "abcdefghijkl"); }},
      {"item deleted", true, [] { return McsDeleteItem("main", "B"); }},
      {"item renamed", true, [] { return McsRenameItem("main", "B", "Z"); }},
      {"item in a lower folder made", true, [] { return McsCreateItem("@REV1", "X", 0x10, 8, nullptr); }},
      {"folder created", true, [] { return McsCreateFolder("F"); }},
      {"folder selected", true, [] { return McsSelectFolder("main"); }},
      {"area cleared", true, [] { return McsInitArea(); }},
      {"area rewritten", true, [] { McsNoteAreaRewritten(); return 0u; }},
  };
  for (const Change &c : changes) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(McsInitArea(), 0u);
    ASSERT_EQ(McsCreateItem("main", "A", 0x10, 8, "aaaaaaaa"), 0u);
    ASSERT_EQ(McsCreateItem("main", "B", 0x10, 12, "bbbbbbbbbbbb"), 0u);
    ASSERT_EQ(McsCreateItem("main", "C", 0x10, 8, "cccccccc"), 0u);
    McsItemPlace place;
    McsItemRecord *found = nullptr;
    u8 *data = nullptr;
    ASSERT_EQ(McsFindItemPlace("main", "B", &place, nullptr, &found, &data, nullptr), 0u);
    const u64 before = McsChangeCount();
    ASSERT_EQ(c.run(), 0u);
    u8 *now = nullptr;
    McsItemRecord *at = McsItemAt(&place, &now);
    if (c.lapses) {
      EXPECT_GT(McsChangeCount(), before);
      EXPECT_EQ(at, nullptr);
    } else {
      EXPECT_EQ(McsChangeCount(), before);
      EXPECT_EQ(at, found);
      EXPECT_EQ(now, data);
    }
  }
  // A missing item leaves no place.
  McsItemPlace none;
  u8 *data = nullptr;
  EXPECT_EQ(McsFindItemPlace("main", "Q", &none, nullptr, nullptr, nullptr, nullptr), kMcsNoItem);
  EXPECT_EQ(McsItemAt(&none, &data), nullptr);
}

// A place is checked against the record it names: bytes written over the
// area without a change of the count (an old copy put back) never make it
// reach another item.
TEST_F(Store, RememberedPlacesRefuseARecordThatIsNoLongerTheirs) {
  ASSERT_EQ(McsCreateItem("main", "B", 0x10, 8, "bbbbbbbb"), 0u);
  ASSERT_EQ(McsCreateItem("main", "C", 0x10, 8, "cccccccc"), 0u);
  const std::vector<u8> old = Snapshot();
  ASSERT_EQ(McsCreateItem("main", "A", 0x10, 8, "aaaaaaaa"), 0u);
  McsItemPlace place;
  ASSERT_EQ(McsFindItemPlace("main", "B", &place, nullptr, nullptr, nullptr, nullptr), 0u);
  EXPECT_EQ(place.pos, 1u);
  std::memcpy(McsAreaAddress(), old.data(), old.size());
  u8 *data = nullptr;
  EXPECT_EQ(McsItemAt(&place, &data), nullptr) << "C stands at B's old place";
  // A cleared area holds no item at any place.
  std::memset(McsAreaAddress(), 0, kMcsAreaSize);
  EXPECT_EQ(McsItemAt(&place, &data), nullptr);
  ASSERT_EQ(McsInitArea(), 0u);
}

TEST_F(Store, TrackedAddressMovesWithItsBytes) {
  ASSERT_EQ(McsCreateItem("main", "M", 0x8A, 16, nullptr), 0u);
  ASSERT_EQ(McsCreateItem("@APLWORK", "W", 0x8A, 16, nullptr), 0u);
  u8 *data;
  McsFindItem("main", "M", nullptr, nullptr, &data, nullptr);
  McsHeader()->tracked = CalcPtrToAddr(data + 8);
  ASSERT_EQ(McsCreateItem("main", "A", 0x8A, 32, nullptr), 0u);  // moves M by 52
  McsFindItem("main", "M", nullptr, nullptr, &data, nullptr);
  EXPECT_EQ(McsHeader()->tracked, CalcPtrToAddr(data + 8));
  ASSERT_EQ(McsDeleteItem("main", "A"), 0u);
  McsFindItem("main", "M", nullptr, nullptr, &data, nullptr);
  EXPECT_EQ(McsHeader()->tracked, CalcPtrToAddr(data + 8));
  // A move that does not cover it leaves it alone.
  const u32 was = McsHeader()->tracked;
  ASSERT_EQ(McsInsertBytes("@APLWORK", "W", 0, 8, nullptr), 0u);
  EXPECT_EQ(McsHeader()->tracked, was);
}

TEST_F(Store, MovableBlocks) {
  EXPECT_EQ(McsBlockAlloc(0), 0u);
  EXPECT_EQ(McsBlockAlloc(6), 0u);
  const u32 a = McsBlockAlloc(16), b = McsBlockAlloc(8), c = McsBlockAlloc(12);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(Off(a), 65528u);
  EXPECT_EQ(Off(b), 65520u);
  EXPECT_EQ(Off(c), 65512u);
  EXPECT_EQ(McsBlockRegionSize(), 36u + 24u);
  u8 folder;
  ASSERT_EQ(McsCheckArea(&folder), 0u);
  for (u32 i = 0; i < 16; ++i) ASSERT_EQ(MemDeref(a)[i], 0) << "blocks start zeroed";
  std::memset(MemDeref(a), 0xA1, 16);
  std::memset(MemDeref(b), 0xB2, 8);
  std::memset(MemDeref(c), 0xC3, 12);
  auto all = [](u32 h, u32 n, u8 v) {
    for (u32 i = 0; i < n; ++i)
      if (MemDeref(h)[i] != v) return false;
    return true;
  };

  // A freed middle block leaves a free entry that the next allocation reuses.
  McsBlockFree(b);
  ASSERT_EQ(McsCheckArea(&folder), 0u);
  EXPECT_TRUE(all(a, 16, 0xA1) && all(c, 12, 0xC3));
  const u32 d = McsBlockAlloc(20);
  EXPECT_EQ(d, b);
  ASSERT_EQ(McsCheckArea(&folder), 0u);
  EXPECT_TRUE(all(a, 16, 0xA1) && all(c, 12, 0xC3) && all(d, 20, 0));

  // Resizing keeps the first bytes and zero-fills growth; lower blocks follow.
  std::memset(MemDeref(d), 0xD4, 20);
  ASSERT_EQ(McsBlockRealloc(a, 32), a);
  ASSERT_EQ(McsCheckArea(&folder), 0u);
  EXPECT_TRUE(all(a, 16, 0xA1));
  for (u32 i = 16; i < 32; ++i) EXPECT_EQ(MemDeref(a)[i], 0);
  EXPECT_TRUE(all(d, 20, 0xD4) && all(c, 12, 0xC3));
  ASSERT_EQ(McsBlockRealloc(a, 8), a);
  EXPECT_TRUE(all(a, 8, 0xA1) && all(d, 20, 0xD4) && all(c, 12, 0xC3));
  EXPECT_EQ(McsBlockRealloc(a, 8), a);
  EXPECT_EQ(McsBlockRealloc(a, 0), 0u);
  EXPECT_EQ(McsBlockRealloc(a, 10), 0u);
  ASSERT_EQ(McsCheckArea(&folder), 0u);

  // Freeing the lowest block drops it and the free entries above it.
  McsBlockFree(d);
  McsBlockFree(c);
  ASSERT_EQ(McsCheckArea(&folder), 0u);
  EXPECT_TRUE(all(a, 8, 0xA1));
  EXPECT_EQ(Off(McsHeader()->table_bottom), 65528u);
  EXPECT_EQ(McsBlockRegionSize(), 8u + 8u);
  McsBlockFree(a);
  EXPECT_EQ(McsBlockRegionSize(), 0u);
  EXPECT_EQ(Off(McsHeader()->table_bottom), 65536u);
  McsBlockFree(a);  // already free: nothing
  McsBlockFree(kMcsAreaAddr + 12345);
  EXPECT_EQ(McsBlockRegionSize(), 0u);

  // A handle that is no entry allocates anew.
  const u32 e = McsBlockRealloc(kMcsAreaAddr + 100, 8);
  EXPECT_EQ(Off(e), 65528u);
  McsBlockFreeAll();
  EXPECT_EQ(McsBlockRegionSize(), 0u);
}

TEST_F(Store, ItemsAndBlocksShareTheFreeBytes) {
  ASSERT_EQ(McsBlockAlloc(1000), kMcsAreaAddr + 65528);
  EXPECT_EQ(McsFreeBytes(), 62928u - 1008u);
  FillLeaving(16);
  EXPECT_EQ(McsBlockAlloc(12), 0u) << "needs size + 8";
  EXPECT_NE(McsBlockAlloc(8), 0u);
  EXPECT_EQ(McsFreeBytes(), 0u);
}

// Each corruption is found, and found without reading outside the area
// (the sanitizer build checks the second half).
TEST_F(Store, CheckAreaFindsCorruptionsAndStaysInside) {
  ASSERT_EQ(McsCreateItem("main", "A", 0x8A, 8, nullptr), 0u);
  ASSERT_EQ(McsCreateItem("main", "B", 0x8A, 12, nullptr), 0u);
  ASSERT_EQ(McsCreateItem("@REV1", "C", 0x8A, 4, nullptr), 0u);
  ASSERT_NE(McsBlockAlloc(16), 0u);
  ASSERT_NE(McsBlockAlloc(8), 0u);
  const auto good = Snapshot();
  McsFolderRecord *main_f, *rev1;
  McsFindFolder("main", &main_f, nullptr);
  McsFindFolder("@REV1", &rev1, nullptr);
  const u32 main_rec = static_cast<u32>(reinterpret_cast<u8 *>(main_f) - McsAreaAddress());
  const u32 a_rec = Off(main_f->block);
  struct Case {
    const char *what;
    u32 offset;  // byte offset in the area of a u32 or u16 to overwrite
    u32 value;
    int width;
    u32 expect;
  };
  const Case cases[] = {
      {"data top wild", 0, 0xFFFFFFFF, 4, 210},
      {"data top below data start", 0, kMcsAreaAddr + 100, 4, 210},
      {"data top off by 4", 0, good[0] | good[1] << 8 | good[2] << 16 | u32(good[3]) << 24, -4, 194},
      {"current folder wild", 4, 0x12345678, 4, 207},
      {"block bottom wild", 8, 0, 4, 203},
      {"table bottom unaligned", 12, kMcsAreaAddr + 65530, 4, 204},
      {"folder block wild", main_rec + 8, 0xFFFFFFF0, 4, 208},
      {"folder block unaligned", main_rec + 8, 0, -2, 208},
      {"top folder block wild", 256 + 8, 0xFFFFFFF0, 4, 207},
      {"folder count huge", main_rec + 12, 0xFFFF, 2, 193},
      {"folder count one less", main_rec + 12, 1, 2, 209},
      {"item offset unaligned", a_rec + 8, 0, -2, 206},
      {"item offset wild", a_rec + 8, 0xFFFFFF00, 4, 209},
      {"item size zero", a_rec + 12, 0, 4, 198},
      {"item size unaligned", a_rec + 12, 10, 4, 199},
      {"item size huge", a_rec + 12, 0xFFFFFFF8, 4, 192},
      {"second offset smaller", a_rec + 28, 0, 4, 200},
      {"entry size zero", 65532, 0, 4, 201},
      {"entry size unaligned", 65532, 18, 4, 202},
      {"entry address wild", 65528, 0xFFFFFFFF, 4, 204},
  };
  for (const Case &c : cases) {
    std::memcpy(McsAreaAddress(), good.data(), kMcsAreaSize);
    u8 *at = McsAreaAddress() + c.offset;
    if (c.width == 4) std::memcpy(at, &c.value, 4);
    if (c.width == 2) {
      const u16 v = static_cast<u16>(c.value);
      std::memcpy(at, &v, 2);
    }
    if (c.width < 0) {  // add to the word
      u32 v;
      std::memcpy(&v, at, 4);
      v -= c.width;
      std::memcpy(at, &v, 4);
    }
    u8 folder = 0;
    EXPECT_EQ(McsCheckArea(&folder), c.expect) << c.what;
  }
  // An empty folder whose block is not its end (the folder below it ends
  // there, so the walk, going up from index 147, meets that one first).
  std::memcpy(McsAreaAddress(), good.data(), kMcsAreaSize);
  McsFolderRecord *r;
  McsFindFolder("@REV3", &r, nullptr);
  r->block += 4;
  u8 folder;
  EXPECT_NE(McsCheckArea(&folder), 0u);
  EXPECT_EQ(folder, 146);
  // An area of nothing but noise.
  for (u32 seed = 1; seed < 50; ++seed) {
    u32 x = seed * 2654435761u;
    for (u32 i = 0; i < kMcsAreaSize; ++i) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      McsAreaAddress()[i] = static_cast<u8>(x);
    }
    EXPECT_NE(McsCheckArea(&folder), 0u);
  }
  std::memset(McsAreaAddress(), 0xFF, kMcsAreaSize);
  EXPECT_NE(McsCheckArea(&folder), 0u);
  std::memcpy(McsAreaAddress(), good.data(), kMcsAreaSize);
}

TEST_F(Store, OperationsBeforeTheRamBlockExistRefuse) {
  HostFreeCalcRam();
  EXPECT_EQ(McsInitArea(), kMcsInconsistent);
  EXPECT_EQ(McsCreateItem("main", "A", 0x8A, 4, nullptr), kMcsInconsistent);
  EXPECT_EQ(McsCheckArea(nullptr), kMcsInconsistent);
  EXPECT_EQ(McsBlockAlloc(8), 0u);
  EXPECT_EQ(McsFreeBytes(), 0u);
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  ASSERT_EQ(McsInitArea(), 0u);
}

}  // namespace
