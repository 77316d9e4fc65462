// Formulas and recalculation: references, cell functions, long chains in
// both directions, circular references and memory shortage while storing.
#include <gtest/gtest.h>

#include "memory/item_array.h"
#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

class SheetEval : public Sheet {};

TEST_F(SheetEval, CellFunctionsOverARange) {
  const char *nums[] = {"2.5", "-1.25", "7", "0.4", "10", "4"};
  for (int i = 0; i < 6; ++i) PutNum(1, i + 1, nums[i]);
  PutNum(1, 8, "1");  // outside the range
  struct Case {
    u8 fn;
    const char *want;
  } cases[] = {{0xE9, "22.65"}, {0xEA, "-350"}, {0xEB, "-1.25"}, {0xEC, "10"}, {0xED, "3.775"}, {0xEE, "3.25"}};
  for (const Case &c : cases) {
    PutFormula(2, 1, "={#7F" + std::string(c.fn == 0xE9 ? "E9" : c.fn == 0xEA ? "EA" : c.fn == 0xEB ? "EB" : c.fn == 0xEC ? "EC" : c.fn == 0xED ? "ED" : "EE") + "}A6:A1)");
    EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
    EXPECT_EQ(Num(2, 1), c.want) << int(c.fn);
  }
  // Empty cells are skipped; a range of empty cells gives 0; a plain text
  // gives Syntax ERROR. The scratch list is gone afterwards.
  PutFormula(2, 2, "={#7FE9}C1:C9)");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(2, 2), "0");
  ASSERT_EQ(SheetWritePlainText(nullptr, 3, 4, "\"x"), 0u);
  EXPECT_EQ(SheetRecalcAll(), kSheetErrSyntax);
  EXPECT_EQ(Num(2, 2), "ERROR 2");
  EXPECT_EQ(ItemListSize(253, 0), 0u);
}

TEST_F(SheetEval, NestedCellFunctionsKeepTheirOwnNumbers) {
  PutNum(1, 1, "1");
  PutNum(1, 2, "2");
  PutFormula(2, 1, "={#7FE9}A1:A2)");      // 3
  PutFormula(2, 2, "=10");
  PutFormula(3, 1, "={#7FE9}B1:B2)*2");    // 26
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(3, 1), "26");
}

TEST_F(SheetEval, ReferencesAbsoluteMarksAndIf) {
  PutNum(1, 1, "5");
  PutFormula(2, 1, "=$A$1*2");
  PutFormula(3, 1, "={#7FEF}B1>9,A1,0-A1)");
  PutFormula(4, 1, "={#7FEF}B1<9,1,1/0)");  // the other branch fails too
  EXPECT_EQ(SheetRecalcAll(), kSheetErrMa);
  EXPECT_EQ(Num(2, 1), "10");
  EXPECT_EQ(Num(3, 1), "5");
  EXPECT_EQ(Num(4, 1), "ERROR 3");
}

TEST_F(SheetEval, AReferenceToAPlainTextShowsTheText) {
  ASSERT_EQ(SheetWritePlainText(nullptr, 1, 1, "\"hello"), 0u);
  PutFormula(2, 1, "=A1");
  PutFormula(3, 1, "=A1+1");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrSyntax);
  char *t = nullptr;
  ASSERT_EQ(SheetReadPlainText(nullptr, 2, 1, &t), 1u);
  EXPECT_STREQ(t, "\"hello");
  EXPECT_EQ(Num(2, 1), "");
  EXPECT_EQ(Num(3, 1), "ERROR 2");
}

TEST_F(SheetEval, ChainsDownAndUpTheWholeColumn) {
  PutNum(1, 1, "1");
  for (int r = 2; r <= 999; ++r) PutFormula(1, r, "=A" + std::to_string(r - 1) + "+1");
  for (int r = 1; r <= 999; ++r) PutFormula(2, r, "=A" + std::to_string(r) + "*2");
  PutFormula(3, 1, "={#7FE9}B1:B999)");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(1, 999), "999");
  EXPECT_EQ(Num(3, 1), "999000");
  // Reversed: each cell refers to the one below, so the first formula
  // walks the whole chain.
  SheetClearColumns(nullptr, 1, 3);
  PutNum(1, 999, "1");
  for (int r = 998; r >= 1; --r) PutFormula(1, r, "=A" + std::to_string(r + 1) + "+1");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(1, 1), "999");
  EXPECT_EQ(Num(1, 500), "500");
}

// A cell function reaching the deep end of a chain: the chain is deferred
// from inside the function's range walk and the pass starts again from the
// top until every cell is done.
TEST_F(SheetEval, ACellFunctionOverALongChainIsFinishedFromTheTop) {
  PutFormula(1, 1, "={#7FE9}B1:B999)");
  PutFormula(1, 2, "={#7FEC}B1:B999)");
  PutNum(2, 999, "1");
  for (int r = 998; r >= 1; --r) PutFormula(2, r, "=B" + std::to_string(r + 1) + "+1");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(2, 1), "999");
  EXPECT_EQ(Num(1, 1), "499500");
  EXPECT_EQ(Num(1, 2), "999");
  // The cell alone, as the input line evaluates an edited cell.
  SheetMaskEvalStates(nullptr, 0);
  const i16 a1[2] = {1, 1};
  Value v;
  SheetEvalCellDeep(&v, a1, 0);
  EXPECT_EQ(Num(1, 1), "499500");
}

TEST_F(SheetEval, CircularReferencesLatchOnce) {
  PutFormula(1, 1, "=B1");
  PutFormula(2, 1, "=A1");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrCircular);
  EXPECT_EQ(Num(1, 1), "ERROR 34");
  EXPECT_EQ(Num(2, 1), "ERROR 34");
  SheetLatchError(0);
  // A cycle through the whole column.
  SheetClearColumns(nullptr, 1, 2);
  for (int r = 1; r <= 998; ++r) PutFormula(1, r, "=A" + std::to_string(r + 1) + "+1");
  PutFormula(1, 999, "=A1+1");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrCircular);
  EXPECT_EQ(Num(1, 1), "ERROR 34");
}

TEST_F(SheetEval, AutoCalcOffReadsStoredNumbers) {
  SetupSetItem(kSetupAutoCalc, 1);
  PutNum(1, 1, "2");
  PutFormula(2, 1, "=A1*3");
  const i16 b1[2] = {2, 1};
  Value v;
  SheetEvalCellDeep(&v, b1, 0);
  EXPECT_EQ(Num(2, 1), "6");
  PutNum(1, 1, "5");
  PutFormula(3, 1, "=B1+1");
  const i16 c1[2] = {3, 1};
  SheetEvalCellDeep(&v, c1, 0);
  EXPECT_EQ(Num(3, 1), "7");  // B1 keeps its old number until recalculated
}

TEST_F(SheetEval, MemoryFullWhileStoringMarksTheCell) {
  PutFormula(1, 1, "=2");
  PutFormula(2, 5, "=A1+1");
  PutFormula(3, 1, "=B5");
  FillMemory(8);
  SheetLatchError(0);
  EXPECT_EQ(SheetRecalcAll(), kSheetErrMemory);
  EXPECT_EQ(SheetTestMark(nullptr, 1, 1), 1u);
  const std::vector<u8> b = Item();
  EXPECT_TRUE(SheetCheckItem(b.data(), static_cast<u32>(b.size())));
  // With room again the marks go as the cells are stored.
  McsDeleteInFolder("main", "FILLER");
  SheetClearFormula(nullptr, 1, 1, 1);
  PutFormula(1, 1, "=2");
  SheetMaskEvalStates(nullptr, 0);
  SheetLatchError(0);
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(3, 1), "3");
  EXPECT_EQ(SheetTestMark(nullptr, 1, 1), 0u);
}

TEST_F(SheetEval, LatchKeepsTheFirstError) {
  EXPECT_EQ(SheetLatchError(kSheetErrNone), kSheetErrNone);
  EXPECT_EQ(SheetLatchError(2), 2u);
  EXPECT_EQ(SheetLatchError(34), 2u);
  SheetLatchError(0);
  EXPECT_EQ(SheetLatchError(kSheetErrNone), kSheetErrNone);
}

TEST_F(SheetEval, ParsingCellReferences) {
  struct Case {
    const char *text;
    u32 ok;
    i16 col, row;
  } cases[] = {{"A1", 1, 1, 1}, {"$Z$999", 1, 26, 999}, {"B12+", 1, 2, 12}, {"A0", 0, 0, 0}, {"a1", 0, 0, 0},
               {"A1000", 0, 0, 0}, {"$", 0, 0, 0}};
  for (const Case &c : cases) {
    i16 cell[2] = {0, 0};
    const char *p = c.text;
    EXPECT_EQ(SheetParseCellRef(cell, &p), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(cell[0], c.col) << c.text;
      EXPECT_EQ(cell[1], c.row) << c.text;
    }
  }
}

}  // namespace

namespace {

using namespace sheettest;

class SheetEvalOrder : public Sheet {};

TEST_F(SheetEvalOrder, AFormulaReadsOneThatComesLaterInTheWalk) {
  PutFormula(1, 1, "=B5*2");
  PutFormula(2, 5, "=C1+1");
  PutNum(3, 1, "3");
  EXPECT_EQ(SheetRecalcAll(), kSheetErrNone);
  EXPECT_EQ(Num(1, 1), "8");
}

}  // namespace
