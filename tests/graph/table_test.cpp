// The function table: the matrix built from the range or a list, the cells
// of Y=, derivative and error values, the refused ranges that keep the old
// table, the row commands and the cursor over the view.
#include <cmath>
#include <string>
#include <vector>

#include "graph/table/graph_table.h"
#include "graph_testutil.h"
#include "memory/item_array.h"
#include "ui/keycodes.h"

namespace {

using graphtest::R;
using graphtest::Show;

class TableTest : public graphtest::Fixture {
 protected:
  void SetUp() override {
    graphtest::Fixture::SetUp();
    Open();
    SetupSetItem(kSetupDerivative, 1);
    ctx.optionFlags = 0;
  }

  void Range(const char *start, const char *end, const char *step) {
    TableRange r{R(start), R(end), R(step)};
    ASSERT_EQ(TableWriteRange(&r), 0u);
  }

  u32 Build() {
    Relink();
    return GraphBuildTable(&ctx);
  }

  u32 Rows() {
    u32 rows = 0, cols = 0;
    ItemMatDims(kGraphTableMatrix, &rows, &cols);
    return rows;
  }
  u32 Cols() {
    u32 rows = 0, cols = 0;
    ItemMatDims(kGraphTableMatrix, &rows, &cols);
    return cols;
  }
  std::string Cell(u32 row, u32 col) {
    Value v{};
    if (ItemMatGet(kGraphTableMatrix, row, col, &v) != 0) return "missing";
    if (RealErrorCode(&v.re)) return "E" + std::to_string(RealErrorCode(&v.re));
    return Show(v.re);
  }
  double Num(u32 row, u32 col) { return std::stod(Cell(row, col)); }
  std::vector<std::string> Column(u32 col) {
    std::vector<std::string> out;
    for (u32 r = 1; r <= Rows(); ++r) out.push_back(Cell(r, col));
    return out;
  }
};

TEST_F(TableTest, CubicAndReciprocalOverARange) {
  Add(kGraphFuncY, "X^3-2X");
  Add(kGraphFuncY, "1/X");
  Range("-2", "2", "0.5");
  ASSERT_EQ(Build(), 0u);
  EXPECT_EQ(Rows(), 9u);
  EXPECT_EQ(Cols(), 3u);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"-2", "-1.5", "-1", "-0.5", "0", "0.5", "1", "1.5", "2"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"-4", "-0.375", "1", "0.875", "0", "-0.875", "-1", "0.375", "4"}));
  // 1/0 is a missing value, not the end of the table.
  EXPECT_EQ(Cell(5, 3), "E3");
  EXPECT_EQ(Cell(4, 3), "-2");
  EXPECT_EQ(Cell(8, 3), "0.666666666666667");
  EXPECT_EQ(ctx.tableTop, 1);
  EXPECT_EQ(ctx.tableCursorRow, 1);
}

TEST_F(TableTest, DerivativeColumnsFollowEachFunction) {
  ctx.optionFlags = kGraphOptDerivative;
  Add(kGraphFuncY, "X^3-2X");
  Add(kGraphFuncY, "X^2");
  Range("-2", "2", "0.5");
  ASSERT_EQ(Build(), 0u);
  ASSERT_EQ(Cols(), 5u);  // X, Y1, Y1', Y2, Y2'
  const double slope1[] = {10, 4.75, 1, -1.25, -2, -1.25, 1, 4.75, 10};
  for (u32 r = 1; r <= 9; ++r) {
    const double x = -2 + 0.5 * (r - 1);
    EXPECT_NEAR(Num(r, 3), slope1[r - 1], 1e-6) << "row " << r;
    EXPECT_NEAR(Num(r, 5), 2 * x, 1e-6) << "row " << r;
  }
  char h[8];
  GraphTableHeaderText(1, &ctx, h);
  EXPECT_STREQ(h, "  Y1");
  GraphTableHeaderText(2, &ctx, h);
  EXPECT_STREQ(h, " Y'1");
  GraphTableHeaderText(4, &ctx, h);
  EXPECT_STREQ(h, " Y'2");
  GraphTableHeaderText(0, &ctx, h);
  EXPECT_STREQ(h, "   X");
  EXPECT_EQ(GraphTableEntryOfColumn(4, &ctx), 1);
}

TEST_F(TableTest, RowsOfARange) {
  Add(kGraphFuncY, "X");
  struct Case {
    const char *start, *end, *step;
    u32 rows;
    const char *first, *last, *storedStep;
  };
  const Case cases[] = {
      {"1", "5", "1", 5, "1", "5", "1"},
      {"5", "1", "1", 5, "5", "1", "-1"},  // the step is turned and stored
      {"0", "1", "0.3", 4, "0", "0.9", "0.3"},
      {"0", "1", "0.1", 11, "0", "1", "0.1"},
      {"0", "25.4", "0.1", 255, "0", "25.4", "0.1"},
      {"3", "3", "1", 1, "3", "3", "1"},
  };
  for (const Case &c : cases) {
    Range(c.start, c.end, c.step);
    ASSERT_EQ(Build(), 0u) << c.start << " " << c.end << " " << c.step;
    EXPECT_EQ(Rows(), c.rows) << c.end;
    EXPECT_EQ(Cell(1, 1), c.first) << c.end;
    EXPECT_EQ(Cell(c.rows, 1), c.last) << c.end;
    TableRange r;
    ASSERT_EQ(TableReadRange(&r), 0u);
    EXPECT_EQ(Show(r.step), c.storedStep);
  }
}

TEST_F(TableTest, RefusedRangesKeepTheOldTable) {
  Add(kGraphFuncY, "X");
  Range("1", "3", "1");
  ASSERT_EQ(Build(), 0u);
  const char *bad[][3] = {
      {"0", "25.5", "0.1"},  // 256 rows
      {"1", "5", "0"},       // no step
      {"1", "1e98", "1"},  // beyond the range
      {"-1e99", "1", "1"},
  };
  for (const auto &b : bad) {
    Range(b[0], b[1], b[2]);
    EXPECT_EQ(Build(), 28u) << b[1] << " " << b[2];
    EXPECT_EQ(Rows(), 3u);
    EXPECT_EQ(Cell(3, 2), "3");
  }
}

TEST_F(TableTest, ListVariableGivesTheRowsInItsOrder) {
  Add(kGraphFuncY, "X^2");
  for (const char *x : {"3", "-1", "0.25"}) {
    Value v{};
    v.re = R(x);
    ASSERT_EQ(ItemListSet(0, 1, 0, &v), 0u);
  }
  SetupSetItem(kSetupVariable, 1);
  ASSERT_EQ(Build(), 0u);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"3", "-1", "0.25"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"9", "1", "0.0625"}));
  // An empty list variable is refused.
  SetupSetItem(kSetupVariable, 2);
  EXPECT_EQ(Build(), 9u);
}

TEST_F(TableTest, AnEvaluationErrorDeletesTheTable) {
  Add(kGraphFuncY, "X");
  Range("1", "3", "1");
  ASSERT_EQ(Build(), 0u);
  // A missing matrix is not a missing point: the whole table goes.
  Add(kGraphFuncY, "{Det}{Mat}A+X");
  EXPECT_NE(Build(), 0u);
  EXPECT_EQ(Rows(), 0u);
}

TEST_F(TableTest, RowCommands) {
  Add(kGraphFuncY, "X^2");
  Range("1", "3", "1");
  ASSERT_EQ(Build(), 0u);
  // INS copies the cursor's row in front of it; ADD moves the cursor down.
  ctx.tableCursorRow = 2;
  ASSERT_EQ(GraphTableRowCommand(kGraphTableInsRow, &ctx), 0u);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"1", "2", "2", "3"}));
  ASSERT_EQ(GraphTableRowCommand(kGraphTableAddRow, &ctx), 0u);
  EXPECT_EQ(Rows(), 5u);
  EXPECT_EQ(ctx.tableCursorRow, 3);
  // DEL on the last row moves the cursor up.
  ctx.tableCursorRow = 4;
  ctx.tableTop = 2;
  ASSERT_EQ(GraphTableRowCommand(kGraphTableDelRow, &ctx), 0u);
  EXPECT_EQ(Rows(), 4u);
  EXPECT_EQ(ctx.tableCursorRow, 3);
  // Deleting the rows one by one ends with no table, and then nothing
  // happens.
  ctx.tableTop = ctx.tableCursorRow = 1;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(GraphTableRowCommand(kGraphTableDelRow, &ctx), 0u);
  EXPECT_EQ(Rows(), 0u);
  for (u32 key : {kGraphTableDelRow, kGraphTableInsRow, kGraphTableAddRow}) {
    EXPECT_EQ(GraphTableRowCommand(key, &ctx), 0u);
    EXPECT_EQ(Rows(), 0u);
  }
  // A full table takes no more rows.
  Range("0", "25.4", "0.1");
  ASSERT_EQ(Build(), 0u);
  ASSERT_EQ(GraphTableRowCommand(kGraphTableInsRow, &ctx), 0u);
  ASSERT_EQ(GraphTableRowCommand(kGraphTableAddRow, &ctx), 0u);
  EXPECT_EQ(Rows(), 255u);
}

TEST_F(TableTest, ColumnIntoAList) {
  Add(kGraphFuncY, "X^2");
  Add(kGraphFuncY, "1/X");
  Add(kGraphFuncY, "1/0");
  Range("-1", "1", "0.5");
  ASSERT_EQ(Build(), 0u);
  auto list = [](u8 n) {
    std::vector<std::string> out;
    for (u32 i = 1; i <= ItemListSize(0, n); ++i) {
      Value v{};
      if (ItemListGet(0, n, i, &v) != 0) return std::vector<std::string>{"unreadable"};
      out.push_back(Show(v.re));
    }
    return out;
  };
  // 1/X: the error cell at 0 is left out, the others keep their order.
  ASSERT_EQ(GraphStoreTableColumn(3, 3, kGraphTableMatrix), 0u);
  EXPECT_EQ(list(3), (std::vector<std::string>{"-1", "-2", "2", "1"}));
  // The variable column; an existing list is replaced.
  ASSERT_EQ(GraphStoreTableColumn(3, 1, kGraphTableMatrix), 0u);
  EXPECT_EQ(list(3), (std::vector<std::string>{"-1", "-0.5", "0", "0.5", "1"}));
  // Nothing but error values, or a column the table does not have: the
  // list stays as it was.
  ASSERT_EQ(GraphStoreTableColumn(3, 4, kGraphTableMatrix), 0u);
  ASSERT_EQ(GraphStoreTableColumn(3, 5, kGraphTableMatrix), 0u);
  EXPECT_EQ(list(3).size(), 5u);
  EXPECT_EQ(ItemListSize(0, 4), 0u);
  ASSERT_EQ(GraphStoreTableColumn(4, 4, kGraphTableMatrix), 0u);
  EXPECT_EQ(ItemListSize(0, 4), 0u);
}

TEST_F(TableTest, CursorWalksTheViewAndWraps) {
  // Seven columns: X and six functions; three shown beside X.
  for (int i = 0; i < 6; ++i) Add(kGraphFuncY, "X");
  Range("1", "6", "1");
  ASSERT_EQ(Build(), 0u);
  auto at = [&] {
    return std::to_string(ctx.tableTop) + "," + std::to_string(ctx.tableCursorRow) + "," +
           std::to_string(ctx.tableLeft) + "," + std::to_string(ctx.tableCursorCol);
  };
  for (int i = 0; i < 3; ++i) GraphTableMoveCursor(&ctx, kKeyRight, 6, 7);
  EXPECT_EQ(at(), "1,1,1,4");
  for (int i = 0; i < 3; ++i) GraphTableMoveCursor(&ctx, kKeyRight, 6, 7);
  EXPECT_EQ(at(), "1,1,4,4");
  GraphTableMoveCursor(&ctx, kKeyRight, 6, 7);  // the next row's X
  EXPECT_EQ(at(), "1,2,1,1");
  GraphTableMoveCursor(&ctx, kKeyLeft, 6, 7);  // back to the last column
  EXPECT_EQ(at(), "1,1,4,4");
  GraphTableMoveCursor(&ctx, kKeyLeft, 6, 7);
  EXPECT_EQ(at(), "1,1,4,3");
  GraphTableMoveCursor(&ctx, kKeyLeft, 6, 7);  // the view moves from column 2 only
  GraphTableMoveCursor(&ctx, kKeyLeft, 6, 7);
  EXPECT_EQ(at(), "1,1,3,2");
  GraphTableMoveCursor(&ctx, kKeyUp, 6, 7);  // row 1: nothing
  EXPECT_EQ(at(), "1,1,3,2");
  for (int i = 0; i < 8; ++i) GraphTableMoveCursor(&ctx, kKeyDown, 6, 7);
  EXPECT_EQ(at(), "3,4,3,2");  // the view scrolled to the last row
  // On a split screen one function column is shown.
  ctx.screenFlags = static_cast<u8>(ctx.screenFlags | 0x30);
  ctx.tableTop = ctx.tableCursorRow = ctx.tableLeft = ctx.tableCursorCol = 1;
  GraphTableMoveCursor(&ctx, kKeyRight, 6, 7);
  GraphTableMoveCursor(&ctx, kKeyRight, 6, 7);
  EXPECT_EQ(at(), "1,1,2,2");
  GraphTableMoveCursor(&ctx, kKeyLeft, 6, 7);
  GraphTableMoveCursor(&ctx, kKeyLeft, 6, 7);
  EXPECT_EQ(at(), "1,1,1,1");
}

TEST_F(TableTest, RangeAndResultReadInFormulas) {
  // Made with its defaults on the first read.
  EXPECT_EQ(evaltest::Eval("{FStart}"), "1");
  EXPECT_EQ(evaltest::Eval("{#7F92}"), "5");
  EXPECT_EQ(evaltest::Eval("{#7F93}"), "1");
  Add(kGraphFuncY, "X^2");
  Range("-2", "2", "0.5");
  EXPECT_EQ(evaltest::Eval("{FStart}+{#7F93}"), "-1.5");
  ASSERT_EQ(Build(), 0u);
  // F Result is the table matrix.
  EXPECT_EQ(evaltest::Eval("{#7F90}"), "matrix");
  EXPECT_EQ(evaltest::Eval("{#7F46}{#7F90}"), "{9,2}");
}

TEST_F(TableTest, ParametricAndPolarColumns) {
  ctx.optionFlags = kGraphOptDerivative;
  Add(kGraphFuncParam, "2T{#F6}T^2");
  Range("1", "2", "1");
  ASSERT_EQ(Build(), 0u);
  ASSERT_EQ(Cols(), 6u);  // T, Xt, Yt, Xt', Yt', Y'
  EXPECT_EQ(Cell(2, 2), "4");
  EXPECT_EQ(Cell(2, 3), "4");
  EXPECT_NEAR(Num(2, 4), 2, 1e-6);
  EXPECT_NEAR(Num(2, 5), 4, 1e-6);
  EXPECT_NEAR(Num(2, 6), 2, 1e-6);
  char h[8];
  GraphTableHeaderText(3, &ctx, h);
  EXPECT_STREQ(h, "Xt'1");
  GraphTableHeaderText(0, &ctx, h);
  EXPECT_STREQ(h, "   T");
}

}  // namespace
