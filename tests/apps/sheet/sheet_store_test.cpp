// The sheet item byte for byte, the current sheet, and the cell store's
// changes, refusals and checks of items that come from outside.
#include <gtest/gtest.h>

#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

class SheetStore : public Sheet {};

TEST_F(SheetStore, NewSheetAndAValueAtTheLastCell) {
  std::vector<u8> b = Item();
  ASSERT_EQ(b.size(), 16u);
  EXPECT_EQ(b[0], 1);
  for (size_t i = 1; i < 16; ++i) EXPECT_EQ(b[i], 0) << i;
  PutNum(26, 999, "5");
  b = Item();
  ASSERT_EQ(b.size(), 16u + 244u);
  EXPECT_EQ(b[2], 26);  // N0
  const size_t block = 16 + 26 * 4;
  EXPECT_EQ(Get32(b, 16 + 25 * 4), 140u);
  EXPECT_EQ(b[block + 124], 0x02);
  EXPECT_EQ(Num(26, 999), "5");
  // Writing the same cell again overwrites in place.
  PutNum(26, 999, "7");
  EXPECT_EQ(Item().size(), b.size());
  EXPECT_EQ(Num(26, 999), "7");
  // Its removal takes the block and the index with it.
  SheetClearValues(nullptr, 26, 999, 1);
  EXPECT_EQ(Item().size(), 16u);
}

TEST_F(SheetStore, NumbersAndAFormulaByteForByte) {
  PutNum(1, 1, "5");
  PutNum(1, 3, "7");
  PutFormula(2, 2, "=A1+1");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  const std::vector<u8> b = Item();
  ASSERT_EQ(b.size(), 344u);
  EXPECT_EQ(b[2], 2);  // N0
  EXPECT_EQ(b[6], 2);  // N1
  const size_t values = 16 + 4 * 4;
  EXPECT_EQ(b[values], 0xA0);
  EXPECT_EQ(b[values + 152], 0x40);
  EXPECT_EQ(Get32(b, 16 + 8), 0u);    // no text in A
  EXPECT_EQ(Get32(b, 16 + 12), 20u);  // B's text block
  const size_t text = values + 152 + 140;
  EXPECT_EQ(Get32(b, text), 2u);
  EXPECT_EQ(Get32(b, text + 4), 0x0000FFFFu);
  EXPECT_EQ(Get32(b, text + 8), 0x04000000u);
  EXPECT_EQ(Num(2, 2), "6");
  EXPECT_EQ(Formula(2, 2), Tok("=A1+1"));
}

TEST_F(SheetStore, RecordsArePaddedAndTextsFollowFormulas) {
  // "=" and two characters take 4 bytes; four characters take 8.
  struct Case {
    const char *text;
    u32 bytes;
  } cases[] = {{"=12", 4 + 4 + 4}, {"=123", 4 + 4 + 8}};
  for (const Case &c : cases) {
    SheetClearColumns(nullptr, 3, 1);
    ASSERT_EQ(SheetWriteFormula(nullptr, 3, 1, c.text), 0u);
    const std::vector<u8> b = Item();
    EXPECT_EQ(Get32(b, 16 + 4 * 2), c.bytes) << c.text;
  }
  ASSERT_EQ(SheetWritePlainText(nullptr, 3, 1, "\"ab"), 0u);
  char *t = nullptr;
  ASSERT_EQ(SheetReadPlainText(nullptr, 3, 1, &t), 1u);
  EXPECT_STREQ(t, "\"ab");
  EXPECT_EQ(Formula(3, 1), "=123");
  EXPECT_EQ(SheetTextKinds(nullptr, 3, 1), 0x06u);
  SheetClearFormula(nullptr, 3, 1, 1);
  EXPECT_EQ(SheetTextKinds(nullptr, 3, 1), 0x02u);
  EXPECT_EQ(SheetReadPlainText(nullptr, 3, 1, &t), 1u);
  EXPECT_STREQ(t, "\"ab");
  // A text of 256 bytes is refused.
  const std::string longText(256, 'x');
  EXPECT_NE(SheetWritePlainText(nullptr, 3, 2, longText.c_str()), 0u);
}

TEST_F(SheetStore, RefusedWritesLeaveTheItemByteIdentical) {
  PutNum(1, 1, "5");
  PutFormula(2, 5, "=A1*2");
  FillMemory(60);
  const std::vector<u8> before = Item();
  const Value v = V("9");
  EXPECT_NE(SheetWriteValue(nullptr, 20, 7, &v), 0u);
  EXPECT_EQ(Item(), before);
  const std::string big(200, '1');
  EXPECT_NE(SheetWriteFormula(nullptr, 2, 900, ("=" + big).c_str()), 0u);
  EXPECT_EQ(Item(), before);
  EXPECT_NE(SheetInsertColumns(nullptr, 1, 20), 0u);
  EXPECT_EQ(Item(), before);
}

TEST_F(SheetStore, RowsMoveWithTheirContents) {
  PutNum(1, 1, "1");
  PutNum(1, 3, "3");
  PutFormula(1, 4, "=1+1");
  ASSERT_EQ(SheetWritePlainText(nullptr, 1, 5, "\"x"), 0u);
  ASSERT_EQ(SheetInsertRows(nullptr, 1, 2, 2), 0u);
  EXPECT_EQ(Num(1, 1), "1");
  EXPECT_EQ(Num(1, 5), "3");
  EXPECT_EQ(Formula(1, 6), Tok("=1+1"));
  EXPECT_EQ(SheetTextKinds(nullptr, 1, 7), 0x02u);
  // Deleting rows removes their numbers, formulas and texts; lower rows move up.
  ASSERT_EQ(SheetDeleteRows(nullptr, 1, 5, 2), 0u);
  EXPECT_EQ(Num(1, 5), "");
  EXPECT_EQ(Formula(1, 5), "");
  EXPECT_EQ(SheetTextKinds(nullptr, 1, 5), 0x02u);
  EXPECT_TRUE(SheetCheckItem(Item().data(), static_cast<u32>(Item().size())));
  // A number in row 999 cannot move down: nothing changes.
  PutNum(2, 999, "1");
  const std::vector<u8> before = Item();
  EXPECT_EQ(SheetInsertRows(nullptr, 2, 1, 1), kSheetErrLimit);
  EXPECT_EQ(Item(), before);
}

TEST_F(SheetStore, ColumnsInsertDeleteAndClear) {
  PutNum(1, 1, "1");
  PutNum(2, 1, "2");
  PutFormula(3, 1, "=1");
  ASSERT_EQ(SheetInsertColumns(nullptr, 2, 1), 0u);
  EXPECT_EQ(Num(3, 1), "2");
  EXPECT_EQ(Formula(4, 1), "=1");
  SheetDeleteColumns(nullptr, 1, 2);
  EXPECT_EQ(Num(1, 1), "2");
  EXPECT_EQ(Formula(2, 1), "=1");
  SheetClearColumns(nullptr, 1, 26);
  EXPECT_EQ(Item().size(), 16u);
  PutNum(26, 1, "1");
  EXPECT_EQ(SheetInsertColumns(nullptr, 1, 1), kSheetErrLimit);
}

TEST_F(SheetStore, StatesFlagsAndTheFormulaWalk) {
  PutFormula(1, 2, "=1");
  PutFormula(1, 5, "=2");
  PutFormula(3, 1, "=3");
  EXPECT_EQ(SheetSetEvalState(nullptr, 1, 5, kSheetStateDone), 1u);
  EXPECT_EQ(SheetSetEvalState(nullptr, 1, 3, kSheetStateDone), 0u);
  i32 c = 0, r = 0;
  char *t = nullptr;
  std::vector<std::pair<i32, i32>> seen;
  for (u32 f = SheetFirstFormula(nullptr, &c, &r, &t, 0); f; f = SheetNextFormula(nullptr, &c, &r, &t, 0))
    seen.push_back({c, r});
  EXPECT_EQ(seen, (std::vector<std::pair<i32, i32>>{{1, 2}, {3, 1}}));
  SheetMaskEvalStates(nullptr, 0);
  EXPECT_EQ(SheetCellFlags(nullptr, 1, 5, 0, 3), 0u);
  EXPECT_EQ(SheetSetMark(nullptr, 1, 5), 1u);
  EXPECT_EQ(SheetTestMark(nullptr, 1, 5), 1u);
  EXPECT_EQ(SheetCellKinds(nullptr, 1, 5), 0x84u);
}

TEST_F(SheetStore, TheCurrentNameCreationAndDeletion) {
  char buf[9];
  EXPECT_STREQ(SheetGetCurrentName(buf), "SHEET");
  EXPECT_EQ(SheetSetCurrentName("@X"), 0u);
  // A name that is too long (or none) is taken as SHEET; the caller's
  // buffer is never written.
  const char shortName[1] = {0};
  char out[9];
  EXPECT_TRUE(SheetCreate(shortName, out));
  EXPECT_STREQ(out, "SHEET");
  EXPECT_TRUE(SheetCreate(nullptr, nullptr));
  // Opening a current name that has no item creates it.
  ASSERT_EQ(SheetSetCurrentName("BUDGET"), 1u);
  ASSERT_NE(SheetOpen(nullptr), nullptr);
  EXPECT_EQ(SheetClassifyName("BUDGET"), 0u);
  PutNum(1, 1, "4");
  EXPECT_EQ(SheetSaveAs("COPY", "BUDGET"), 0u);
  EXPECT_EQ(Item("COPY"), Item("BUDGET"));
  // Deleting the current sheet makes SHEET current.
  EXPECT_EQ(SheetDelete("BUDGET"), 0u);
  EXPECT_STREQ(SheetGetCurrentName(buf), "SHEET");
  EXPECT_EQ(SheetCount(), 2u);
  char names[4][9];
  ASSERT_EQ(SheetListNames(names, 1, 4), 2u);
  // "@SNAME" is rebuilt when it was damaged.
  const u8 junk[10] = {9, 9, 'Q'};
  McsWriteInFolder(kSheetFolder, kSheetNameItem, 10, junk, 0);
  EXPECT_STREQ(SheetGetCurrentName(buf), "");
}

TEST_F(SheetStore, ItemsThatAreNoSoundSheetAreRefused) {
  PutNum(1, 3, "5");
  PutFormula(2, 2, "=A3");
  ASSERT_EQ(SheetWritePlainText(nullptr, 2, 4, "\"t"), 0u);
  const std::vector<u8> good = Item();
  ASSERT_TRUE(SheetCheckItem(good.data(), static_cast<u32>(good.size())));
  struct Damage {
    const char *what;
    size_t at;
    u8 value;
  };
  // A holds the only number; B the formula (not yet evaluated) and the text.
  ASSERT_EQ(good[2], 1);
  ASSERT_EQ(good[6], 2);
  const size_t values = 16 + 3 * 4;
  const size_t text = values + 140;
  const Damage cases[] = {
      {"N0 past 26", 2, 27},
      {"a row past 999", values + 124, 0x01},
      {"bitmap count", values, 0xFF},
      {"L past 999", text + 1, 0x04},
      {"a link offset", text + 8, 0x04},
      {"unknown flag", text + 11, 0x44},
      {"mark on a plain text", text + 19, 0x82},
      {"flags on an empty link", text + 7, 0x04},
      {"unterminated record", text + 20 + 7, 'x'},
      {"area sizes", 8, 0},
  };
  for (const Damage &d : cases) {
    std::vector<u8> bad = good;
    bad[d.at] = d.value;
    if (d.at == text + 20 + 7) {
      for (size_t i = text + 20; i < bad.size(); ++i)
        if (bad[i] == 0) bad[i] = 'x';
    }
    EXPECT_FALSE(SheetCheckItem(bad.data(), static_cast<u32>(bad.size()))) << d.what;
    McsDeleteInFolder(kSheetFolder, "BAD");
    ASSERT_EQ(McsCreateInFolder(kSheetFolder, "BAD", static_cast<u32>(bad.size()), bad.data()), 0u);
    EXPECT_EQ(SheetClassifyName("BAD"), 2u) << d.what;
    EXPECT_EQ(SheetOpen("BAD"), nullptr) << d.what;
    EXPECT_EQ(SheetSetCurrentName("BAD"), 2u) << d.what;
  }
}

TEST_F(SheetStore, StoringAListChecksTheLastCellFirst) {
  SetupSetItem(kSetupMove, 1);
  for (int i = 1; i <= 5; ++i) {
    const Value v = V(std::to_string(i));
    ASSERT_EQ(ItemListSet(253, 0, 0, &v), 0u);
  }
  const std::vector<u8> before = Item();
  EXPECT_EQ(SheetStoreList(nullptr, 253, 0, 24, 1), kSheetErrLimit);
  EXPECT_EQ(Item(), before);
  EXPECT_EQ(ItemListSize(253, 0), 0u);
  for (int i = 1; i <= 3; ++i) {
    const Value v = V(std::to_string(i));
    ASSERT_EQ(ItemListSet(253, 0, 0, &v), 0u);
  }
  EXPECT_EQ(SheetStoreList(nullptr, 253, 0, 24, 1), 0u);
  EXPECT_EQ(Num(26, 1), "3");
}

}  // namespace
