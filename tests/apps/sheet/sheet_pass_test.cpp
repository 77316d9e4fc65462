// The current sheet kept open through a pass (a recalculation or another
// long walk over cells): what it keeps must never outlive a change. Memory
// moving under the pass, cells written in the middle of it or between
// passes, and another sheet becoming current all show in the results.
#include <gtest/gtest.h>

#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

class SheetPass : public Sheet {
 protected:
  void TearDown() override {
    // A failed check must not leave a pass open for the next test.
    while (open_ > 0) {
      SheetSessionEnd();
      --open_;
    }
    Sheet::TearDown();
  }
  void Begin() {
    SheetSessionBegin();
    ++open_;
  }
  void End() {
    SheetSessionEnd();
    --open_;
  }
  static void ExpectSound() {
    const std::vector<u8> b = Item();
    EXPECT_TRUE(SheetCheckItem(b.data(), static_cast<u32>(b.size())));
  }
  int open_ = 0;
};

// Formulas that read cells evaluated in the middle of their own evaluation:
// each nested cell stores a number (the item grows, columns' blocks move)
// before the outer one stores its own, first as new numbers, then over the
// previous pass's numbers, then after cells changed between passes.
TEST_F(SheetPass, NestedStoresMoveTheItemUnderTheOuterFormula) {
  PutFormula(1, 1, "=A3+B2");
  PutFormula(1, 3, "=B1+1");
  PutNum(2, 1, "5");
  PutFormula(2, 2, "=A3*2");
  PutFormula(3, 7, "=A1+A3+B2");
  struct Step {
    const char *b1;      // number written into B1 before the pass, or null
    const char *a2;      // number written into A2 before the pass, or null
    const char *a1, *a3, *b2, *c7;
  } steps[] = {
      {nullptr, nullptr, "18", "6", "12", "36"},  // numbers made by the pass
      {nullptr, nullptr, "18", "6", "12", "36"},  // written over in place
      {"7", nullptr, "24", "8", "16", "48"},      // a number changed between passes
      {nullptr, "100", "24", "8", "16", "48"},    // a number put above A3's
  };
  for (const Step &s : steps) {
    if (s.b1) PutNum(2, 1, s.b1);
    if (s.a2) PutNum(1, 2, s.a2);
    SheetMaskEvalStates(nullptr, 0);
    SheetLatchError(0);
    EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
    EXPECT_EQ(Num(1, 1), s.a1);
    EXPECT_EQ(Num(1, 3), s.a3);
    EXPECT_EQ(Num(2, 2), s.b2);
    EXPECT_EQ(Num(3, 7), s.c7);
    if (s.a2) {
      EXPECT_EQ(Num(1, 2), s.a2);
    }
    ExpectSound();
  }
}

// Within one pass: numbers read, then the column changed by the store in
// ways that move rows without moving the item (a row inserted in a column
// of numbers only rewrites its bitmap), then read and written again.
TEST_F(SheetPass, CellsChangedInThePassAreReadAfresh) {
  for (int r = 1; r <= 20; ++r) PutNum(1, r, std::to_string(r * 10));
  Begin();
  EXPECT_EQ(Num(1, 15), "150");
  ASSERT_EQ(SheetInsertRows(nullptr, 1, 3, 2), 0u);
  EXPECT_EQ(Num(1, 15), "130");
  EXPECT_EQ(Num(1, 17), "150");
  ASSERT_EQ(SheetDeleteRows(nullptr, 1, 1, 1), 0u);
  EXPECT_EQ(Num(1, 16), "150");
  SheetClearValues(nullptr, 1, 5, 3);
  EXPECT_EQ(Num(1, 9), "80");
  PutNum(1, 6, "-1");  // a new number before those read
  EXPECT_EQ(Num(1, 9), "80");
  EXPECT_EQ(Num(1, 16), "150");
  PutNum(1, 16, "151");  // over the one there
  End();
  EXPECT_EQ(Num(1, 6), "-1");
  EXPECT_EQ(Num(1, 9), "80");
  EXPECT_EQ(Num(1, 16), "151");
  EXPECT_EQ(Num(1, 17), "160");
  ExpectSound();
}

// Items made and removed in front of the sheet during a pass move it:
// reads and writes in place then reach the item where it now lies.
TEST_F(SheetPass, MemoryMovingUnderThePassIsFollowed) {
  PutNum(1, 1, "1");
  PutNum(1, 2, "2");
  PutFormula(2, 1, "=A1+A2");
  ASSERT_EQ(McsCreateInFolder(kSheetFolder, "@SPAD", 64, nullptr), 0u);
  Begin();
  EXPECT_EQ(Num(1, 2), "2");
  const u8 *before = SheetOpen(nullptr);
  ASSERT_EQ(McsDeleteInFolder(kSheetFolder, "@SPAD"), 0u);
  ASSERT_EQ(McsCreateInFolder(kSheetFolder, "@SBIG", 400, nullptr), 0u);
  ASSERT_NE(SheetOpen(nullptr), before);  // the sheet did move
  PutNum(1, 2, "20");                    // written in place
  EXPECT_EQ(Num(1, 2), "20");
  EXPECT_EQ(SheetSetEvalState(nullptr, 2, 1, kSheetStateDone), 1u);
  EXPECT_EQ(SheetCellFlags(nullptr, 2, 1, 0, 3), kSheetStateDone);
  ASSERT_EQ(McsDeleteInFolder(kSheetFolder, "@SBIG"), 0u);
  SheetMaskEvalStates(nullptr, 0);
  SheetLatchError(0);
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);  // a pass inside the pass
  End();
  EXPECT_EQ(Num(1, 2), "20");
  EXPECT_EQ(Num(2, 1), "21");
  EXPECT_EQ(SheetCellFlags(nullptr, 2, 1, 0, 3), 0u);
  ExpectSound();
}

// Another sheet made current in the middle of a pass: cell operations on
// the current sheet go to it, and back again.
TEST_F(SheetPass, AnotherSheetMadeCurrentInThePass) {
  PutNum(1, 1, "1");
  Begin();
  EXPECT_EQ(Num(1, 1), "1");
  ASSERT_TRUE(SheetCreate("OTHER", nullptr));
  ASSERT_EQ(SheetSetCurrentName("OTHER"), 1u);
  EXPECT_EQ(Num(1, 1), "");
  PutNum(1, 1, "2");
  EXPECT_EQ(Num(1, 1), "2");
  ASSERT_EQ(SheetSetCurrentName("SHEET"), 1u);
  EXPECT_EQ(Num(1, 1), "1");
  End();
  Value v;
  ASSERT_EQ(SheetReadValue("OTHER", 1, 1, &v), 1u);
  EXPECT_EQ(Num(1, 1), "1");
  ExpectSound();
}

// The one look-up a reference makes agrees with the separate reads, and a
// recalculated number is stored in one go only over a formula cell's own
// number; elsewhere nothing changes. Outside a pass and inside one.
TEST_F(SheetPass, OneLookUpAgreesWithTheSeparateReads) {
  for (const bool inPass : {false, true}) {
    ASSERT_EQ(McsClearAll(), 0u);
    ASSERT_EQ(SheetSetCurrentName("SHEET"), 1u);
    ASSERT_NE(SheetOpen(nullptr), nullptr);
    PutNum(1, 1, "4");
    PutFormula(1, 2, "=1");
    PutFormula(1, 3, "=2");
    PutNum(1, 3, "9");
    ASSERT_EQ(SheetSetMark(nullptr, 1, 3), 1u);
    ASSERT_EQ(SheetCellFlags(nullptr, 1, 3, kSheetStateBusy, 4), 1u);
    ASSERT_EQ(SheetWritePlainText(nullptr, 2, 1, "\"t"), 0u);
    PutFormula(2, 2, "=A1");
    PutNum(2, 2, "3");
    ASSERT_EQ(SheetWritePlainText(nullptr, 2, 2, "\"u"), 0u);
    PutNum(3, 999, "-2");
    if (inPass) Begin();
    const i32 cells[][2] = {{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {3, 999}, {3, 998}, {4, 4}, {0, 1}, {27, 1}, {1, 1000}};
    for (const auto &c : cells) {
      SheetCellState look;
      SheetCellRead(nullptr, c[0], c[1], &look);
      Value v;
      const u32 has = SheetReadValue(nullptr, c[0], c[1], &v);
      EXPECT_EQ(look.kinds, SheetCellKinds(nullptr, c[0], c[1])) << c[0] << "," << c[1];
      EXPECT_EQ(look.state, SheetCellFlags(nullptr, c[0], c[1], 0, 3)) << c[0] << "," << c[1];
      EXPECT_EQ((look.kinds & kSheetFlagNumber) != 0, has == 1) << c[0] << "," << c[1];
      EXPECT_EQ(std::memcmp(&look.number, &v, sizeof v), 0) << c[0] << "," << c[1];
    }
    // Refused: a number alone, a formula without a number, a formula with
    // a plain text, no cell at all, outside the sheet.
    const Value seven = V("7");
    const std::vector<u8> was = Item();
    for (const auto &c : std::vector<std::pair<i32, i32>>{{1, 1}, {1, 2}, {2, 2}, {4, 4}, {0, 1}, {1, 1000}})
      EXPECT_EQ(SheetFinishFormulaCell(nullptr, c.first, c.second, &seven, kSheetStateDone), 0u) << c.first;
    EXPECT_EQ(Item(), was);
    // Taken: the number replaced, the state set, the mark gone.
    EXPECT_EQ(SheetFinishFormulaCell(nullptr, 1, 3, &seven, kSheetStateDone), 1u);
    if (inPass) End();
    EXPECT_EQ(Num(1, 3), "7");
    EXPECT_EQ(SheetCellFlags(nullptr, 1, 3, 0, 3), kSheetStateDone);
    EXPECT_EQ(SheetTestMark(nullptr, 1, 3), 0u);
    EXPECT_EQ(Formula(1, 3), Tok("=2"));
    EXPECT_EQ(Item().size(), was.size());
    ExpectSound();
  }
}

}  // namespace
