// The program application's pieces that need no screen: the error box a
// failed item call shows, the characters of names, the bounded reading of a
// program item's text, and the list built from main memory.
#include "apps/calc/prog_list.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/calc_ram.h"
#include "kernel/host.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"

namespace {

// Each store failure shows its own message, not one for all of them.
TEST(ProgItemError, EachStoreCodeShowsItsOwnMessage) {
  struct Case {
    u32 store;
    i32 box;
  } const cases[] = {
      {kMcsNameTaken, 24},      // Already Exists
      {kMcsNoRoom, 13},         // Memory Full
      {kMcsNoRoomInsert, 13},
      {kMcsNoRoomMove, 13},
      {kMcsFolderFull, 13},
      {kMcsNoItem, 21},         // Not Found
      {kMcsReadOnlyItem, 4},    // Memory ERROR
      {kMcsProtectedItem, 4},
      {kMcsEmptyName, 4},
      {kMcsInconsistent, 4},
      {0, 4},                   // a failure the store did not report
  };
  for (const Case &c : cases) EXPECT_EQ(ProgItemErrorCode(c.store), c.box) << c.store;
}

TEST(ProgNameChars, DigitsCapitalsAndTheListedSigns) {
  for (u32 c : std::initializer_list<u32>{'0', '9', 'A', 'Z', ' ', '"', '.', '~', '\'', '[', ']', '{', '}', 0xCD, 0xCE, 0x89, 0x99, 0xA9, 0xB9})
    EXPECT_EQ(ProgEditIsNameChar(c), 1u) << c;
  for (u32 c : std::initializer_list<u32>{'a', 'z', '/', ':', 0x0E, 0x0D, 0x7F, 0xF7, 0xE5, 0u}) EXPECT_EQ(ProgEditIsNameChar(c), 0u) << c;
}

class ProgItems : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
  void TearDown() override { HostFreeCalcRam(); }
  static void Store(const char *name, const std::string &bytes) {
    ASSERT_EQ(McsCreateByKind(kMcsKindProgram, name, static_cast<u32>(bytes.size()), bytes.data()), 0u);
  }
};

// Text lengths read from items that may come from a backup: never past the
// item, a two-byte command whose second byte is zero taken whole, a cut
// character before the terminator not counted.
TEST_F(ProgItems, TextLengthStaysInsideTheItem) {
  const std::string head(10, '\0');
  struct Case {
    const char *name;
    std::string text;
    u32 len;
  } const cases[] = {
      {"PLAIN", "12\r3" + std::string(1, '\0'), 4},
      {"IF", std::string("\xF7\x00" "A\0", 4), 3},         // If is F7 00
      {"CUTE5", std::string("1\xE5\0\0", 4), 2},          // E5 before the end stands alone
      {"LEAD", "12\xF7" + std::string(1, '\x7F'), 4},       // item ends inside a command, no terminator
      {"NOTERM", "ABCD", 4},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Store(c.name, head + c.text);
    u32 len = 99;
    ASSERT_NE(ProgItemText(c.name, &len), nullptr);
    EXPECT_EQ(len, c.len);
  }
  // Shorter than its header: no text at all.
  Store("SHORT", std::string(4, '\0'));
  u32 len = 99;
  EXPECT_EQ(ProgItemText("SHORT", &len), nullptr);
  EXPECT_EQ(len, 0u);
}

TEST_F(ProgItems, ListLoadsInStoreOrderAndSelects) {
  ProgList list{};
  EXPECT_EQ(ProgListLoad(nullptr, &list, 1), 0u);
  EXPECT_EQ(list.first, nullptr);
  Store("B", std::string(11, '\0'));
  std::string pw = "SECRET" + std::string(4, '\0') + '\0';
  pw[8] = 1;
  Store("A", pw);
  Store("C", std::string(11, '\0'));
  ASSERT_EQ(ProgListLoad("B", &list, 1), 0u);
  ASSERT_NE(list.selected, nullptr);
  EXPECT_STREQ(list.selected->name, "B");
  std::string names;
  for (ProgListNode *n = list.first; n; n = n->next) names += n->name;
  EXPECT_EQ(names, "ABC");
  EXPECT_STREQ(list.first->password, "SECRET");
  EXPECT_EQ(list.first->mode, 1);
  ASSERT_EQ(ProgListLoad(nullptr, &list, -1), 0u);
  EXPECT_STREQ(list.selected->name, "C");
  ProgListFree(&list);
}

// Creating over an existing program keeps its text and replaces only the
// password and the mode.
TEST_F(ProgItems, CreateOverAnExistingProgramKeepsItsText) {
  Store("P", std::string(10, '\0') + "1+2" + std::string(3, '\0'));
  ProgList list{};
  ASSERT_EQ(ProgListCreate("P", "KEY", 1, &list), 0u);
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindProgram, "P", &size, &data), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(data), 14), std::string("KEY\0\0\0\0\0\x01\0" "1+2\0", 14));
  ASSERT_EQ(ProgListCreate("NEW", "", 0, &list), 0u);
  ASSERT_EQ(McsOpenByKindPtr(kMcsKindProgram, "NEW", &size, &data), 0u);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(data), 11), std::string(11, '\0'));
  EXPECT_STREQ(list.selected->name, "NEW");
  ProgListFree(&list);
}

}  // namespace
