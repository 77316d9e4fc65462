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

}  // namespace
