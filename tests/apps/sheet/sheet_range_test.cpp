// FILL with little free memory: a fill over cells that hold numbers needs
// no room and goes through; one that needs more room than is free changes
// nothing. Sorting a range down a column or along a row.
#include "apps/sheet/sheet_cmds.h"
#include "apps/sheet/sheet_stat.h"
#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

class SheetFill : public Sheet {};

TEST_F(SheetFill, NumbersOverFilledCellsFitEmptyColumnsAreRefusedWhole) {
  for (i32 r = 1; r <= 3; ++r) PutNum(1, r, "1");
  PutNum(2, 1, "5");
  FillMemory(40);
  const SheetRange filled{1, 1, 1, 3};
  EXPECT_EQ(SheetFillRange(nullptr, &filled, "9"), 0u);
  for (i32 r = 1; r <= 3; ++r) EXPECT_EQ(Num(1, r), "9") << r;
  // C1:C3 would need a bitmap and three numbers.
  const std::vector<u8> before = Item();
  const SheetRange empty{2, 1, 3, 3};
  EXPECT_EQ(SheetFillRange(nullptr, &empty, "7"), kSheetErrMemory);
  EXPECT_EQ(Item(), before);
  // Corners outside the sheet.
  for (const SheetRange &bad : {SheetRange{0, 1, 1, 1}, SheetRange{1, 1, 27, 1}, SheetRange{1, 1, 1, 1000}})
    EXPECT_EQ(SheetFillRange(nullptr, &bad, "1"), kSheetErrRange);
}

}  // namespace

namespace {

using namespace sheettest;

class SheetSort : public Sheet {};

// A range sorted down a column or along a row: its numbers close up in
// order at the range's start, the cells behind them end empty, and no cell
// outside the range changes.
TEST_F(SheetSort, NumbersCloseUpInOrderAndNothingOutsideTheRangeMoves) {
  struct Case {
    const char *what;
    bool alongRow;
    u32 descending;
    const char *want[5];
  } cases[] = {
      {"down A1:A5", false, 0, {"1", "2", "3", "", ""}},
      {"down A1:A5, descending", false, 1, {"3", "2", "1", "", ""}},
      {"along A1:E1", true, 0, {"1", "2", "3", "", ""}},
      {"along A1:E1, descending", true, 1, {"3", "2", "1", "", ""}},
  };
  const char *data[5] = {"3", "", "1", "", "2"};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    SheetClearColumns(nullptr, 1, 26);
    for (i32 i = 0; i < 5; ++i) {
      const i32 col = c.alongRow ? 1 + i : 1, row = c.alongRow ? 1 : 1 + i;
      if (*data[i]) PutNum(col, row, data[i]);
    }
    // Neighbours: the rest of the 5 x 5 block the range starts, and the
    // cell past its end.
    for (i32 col = 1; col <= 5; ++col)
      for (i32 row = 1; row <= 5; ++row)
        if (c.alongRow ? row > 1 : col > 1) {
          PutNum(col, row, "99");
        }
    if (c.alongRow) {
      PutNum(6, 1, "77");
    } else {
      PutNum(1, 6, "77");
    }
    const SheetRange r = c.alongRow ? SheetRange{1, 1, 5, 1} : SheetRange{1, 1, 1, 5};
    ASSERT_EQ(SheetSortRange(&r, c.descending), 0u);
    for (i32 i = 0; i < 5; ++i) {
      const i32 col = c.alongRow ? 1 + i : 1, row = c.alongRow ? 1 : 1 + i;
      EXPECT_EQ(Num(col, row), c.want[i]) << "cell " << i + 1;
    }
    for (i32 col = 1; col <= 5; ++col)
      for (i32 row = 1; row <= 5; ++row)
        if (c.alongRow ? row > 1 : col > 1) {
          EXPECT_EQ(Num(col, row), "99") << "column " << col << " row " << row;
        }
    EXPECT_EQ(c.alongRow ? Num(6, 1) : Num(1, 6), "77");
    const std::vector<u8> b = Item();
    EXPECT_TRUE(SheetCheckItem(b.data(), static_cast<u32>(b.size())));
  }
}

// A text or a formula in the range, or a block of two rows and two
// columns, is refused and nothing changes.
TEST_F(SheetSort, RangesItCannotSortChangeNothing) {
  PutNum(1, 1, "3");
  PutNum(1, 2, "1");
  PutNum(2, 1, "5");
  ASSERT_EQ(SheetWritePlainText(nullptr, 1, 3, "\"x"), 0u);
  PutFormula(2, 2, "=A1");
  struct Case {
    const char *what;
    SheetRange r;
    u32 want;
  } cases[] = {
      {"a text", {1, 1, 1, 3}, kSheetErrSyntax},
      {"a formula", {2, 1, 2, 2}, kSheetErrSyntax},
      {"a block", {1, 1, 2, 2}, kSheetErrLimit},
  };
  for (const Case &c : cases) {
    const std::vector<u8> before = Item();
    EXPECT_EQ(SheetSortRange(&c.r, 0), c.want) << c.what;
    EXPECT_EQ(Item(), before) << c.what;
  }
}

}  // namespace
