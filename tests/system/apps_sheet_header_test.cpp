// Whole rows and columns as a user picks them on the row numbers and the
// column letters: CLIP starts picking, the arrows extend it, EXIT ends it;
// DEL, INS, CLR, cut, COPY, the sorts and the statistics set-ups act on
// every picked row or column, and the heading corner takes no command.
#include <string>
#include <vector>

#include "tests/system/apps_sheet_fixture.h"

namespace {

// Header-mode keys: F3 DEL, F4 INS, F5 CLR on the first page; EDIT (F2)
// holds cut, COPY, SRT-A, SRT-D; F6 leads to GRPH and CALC.
constexpr char kDel[] = "F3";
constexpr char kIns[] = "F4";
constexpr char kClr[] = "F5";
constexpr char kCut[] = "F2 F1";
constexpr char kCopy[] = "F2 F2";
constexpr char kSortUp[] = "F2 F3";
constexpr char kSortDown[] = "F2 F4";

bool Row7Has(const std::string &text) { return CalcRow(7).find(text) != std::string::npos; }

// No dot set on the function-key row (dot rows 56-63).
bool FkeyRowEmpty() {
  for (int y = 56; y < 64; ++y)
    for (int x = 0; x < 128; ++x)
      if (CalcDot(x, y)) return false;
  return true;
}

// Rows 2-4 picked downward from row 2 or upward from row 4: the same three
// rows go, the rows below move up, references follow them.
TEST_F(SheetApp, PickedRowsDeletedWhicheverWayTheyWerePicked) {
  struct Case {
    const char *name;
    const char *toStart;  // from A7 onto the row number the picking starts on
    const char *extend;
    const char *range;    // row 7 while picking
  };
  const std::vector<Case> cases = {
      {"downward", "UP UP UP UP UP LEFT", "DOWN DOWN", "A2:Z4"},
      {"upward", "UP UP UP LEFT", "UP UP", "A4:Z2"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    // An empty sheet: DEL, ALL, Yes; the cursor on A1.
    ASSERT_TRUE(CalcPress("F3 F3 F1"));
    for (const char *n : {"1", "2", "3", "4", "5", "6"}) ASSERT_TRUE(Type(n));
    ASSERT_TRUE(CalcPress(c.toStart));
    ASSERT_TRUE(CalcPress("SHIFT 8"));
    ASSERT_TRUE(CalcPress(c.extend));
    EXPECT_TRUE(Row7Has(c.range)) << CalcRow(7);
    // RIGHT does not leave the row numbers while picking.
    ASSERT_TRUE(CalcPress("RIGHT"));
    EXPECT_TRUE(Row7Has(c.range)) << CalcRow(7);
    ASSERT_TRUE(CalcPress(kDel));
    EXPECT_EQ(Num(1, 1), "1");
    EXPECT_EQ(Num(1, 2), "5");
    EXPECT_EQ(Num(1, 3), "6");
    EXPECT_EQ(Num(1, 4), "");
    // Picking ended, the sheet takes typing again.
    ASSERT_TRUE(CalcPress("EXIT SHIFT EXIT RIGHT"));
    ASSERT_TRUE(Type("=A2+A3"));
    EXPECT_EQ(Num(2, 1), "11") << CalcScreenText();
  }
}

// Picking shows the rows' numbers and cells inverted and the range on row
// 7; UP stops at row 1 rather than the corner; EXIT ends picking and the
// next DEL takes the cursor's row alone; a reference into deleted rows
// becomes ?? while one below them moves up.
TEST_F(SheetApp, PickingShownStoppedAtRowOneAndEndedWithExit) {
  for (const char *n : {"1", "2", "3", "4", "5", "6"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP UP RIGHT RIGHT"));
  ASSERT_TRUE(Type("=A2+A6"));
  ASSERT_TRUE(CalcPress("LEFT LEFT LEFT"));
  EXPECT_TRUE(Row7Has("A2:Z2")) << CalcRow(7);
  ASSERT_TRUE(CalcPress("SHIFT 8 DOWN DOWN"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "sheet_rows_picked.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP"));
  EXPECT_TRUE(Row7Has("A2:Z1")) << CalcRow(7);
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(Row7Has("A1:Z1")) << CalcRow(7);
  ASSERT_TRUE(CalcPress("DOWN DOWN"));
  ASSERT_TRUE(CalcPress(kDel));
  EXPECT_EQ(Num(1, 3), "4");
  EXPECT_EQ(Num(1, 2), "2");
  EXPECT_EQ(Formula(3, 1), Tok("=A2+A5"));
  EXPECT_EQ(Num(3, 1), "8");
  // Rows 2-3 picked again and deleted: A2 is gone from the formula.
  ASSERT_TRUE(CalcPress("UP SHIFT 8 DOWN"));
  ASSERT_TRUE(CalcPress(kDel));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Formula(3, 1), Tok("=??+A3"));
  EXPECT_EQ(Num(3, 1), "ERROR");
  EXPECT_EQ(Num(1, 2), "5");
  // SHIFT EXIT leaves picking and the header for A1.
  ASSERT_TRUE(CalcPress("SHIFT 8 DOWN"));
  ASSERT_TRUE(CalcPress("SHIFT EXIT"));
  ASSERT_TRUE(Type("9"));
  EXPECT_EQ(Num(1, 1), "9");
}

// Columns A:B picked and copied onto D: the copies' relative references
// follow; COPY pastes again until EXIT. Columns cut from rows 1-2 onto
// rows 6-7: the source is emptied, the moved formulas follow their cells
// and a formula outside the block keeps its references.
TEST_F(SheetApp, PickedColumnsCopiedAndPickedRowsCut) {
  ASSERT_TRUE(Type("1"));
  ASSERT_TRUE(Type("2"));
  ASSERT_TRUE(CalcPress("UP UP RIGHT"));
  ASSERT_TRUE(Type("=A1*2"));
  ASSERT_TRUE(Type("=A2*2"));
  // Onto column letter A, pick A:B.
  ASSERT_TRUE(CalcPress("UP UP UP LEFT SHIFT 8 RIGHT"));
  EXPECT_TRUE(Row7Has("A1:B999")) << CalcRow(7);
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "sheet_columns_picked.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress(kCopy));
  ASSERT_TRUE(CalcPress("RIGHT RIGHT F1 RIGHT RIGHT F1 EXIT"));
  EXPECT_EQ(Num(4, 2), "2");
  EXPECT_EQ(Formula(5, 1), Tok("=D1*2"));
  EXPECT_EQ(Num(5, 2), "4");
  EXPECT_EQ(Formula(7, 2), Tok("=F2*2"));
  EXPECT_EQ(Num(7, 1), "2");
  // Picking ended with the paste: row 7 names the cursor's column alone.
  EXPECT_TRUE(Row7Has("F1:F999")) << CalcRow(7);

  // A9 =A1+A2 refers into rows 1-2; rows 1-2 cut and pasted on row 6.
  ASSERT_TRUE(CalcPress("DOWN LEFT LEFT LEFT LEFT LEFT"));
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(CalcPress("DOWN"));
  ASSERT_TRUE(Type("=A1+A2"));
  EXPECT_EQ(Num(1, 9), "3");
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(CalcPress("UP"));
  ASSERT_TRUE(CalcPress("LEFT SHIFT 8 DOWN"));
  EXPECT_TRUE(Row7Has("A1:Z2")) << CalcRow(7);
  ASSERT_TRUE(CalcPress(kCut));
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN F1"));
  EXPECT_EQ(Num(1, 1), "");
  EXPECT_EQ(Num(2, 2), "");
  EXPECT_EQ(Num(1, 6), "1");
  EXPECT_EQ(Num(2, 7), "4");
  EXPECT_EQ(Num(6, 7), "2");
  EXPECT_EQ(Formula(2, 7), Tok("=A7*2"));
  EXPECT_EQ(Formula(1, 9), Tok("=A1+A2"));
  // The cut pasted once: the cursor's row alone again.
  EXPECT_TRUE(Row7Has("A6:Z6")) << CalcRow(7);
}

// Sorting in header mode: a picked span of several rows or columns is
// refused with Range ERROR and nothing moves; one picked column, or the
// row under the cursor, is sorted.
TEST_F(SheetApp, SortsOnPickedRowsAndColumns) {
  ASSERT_TRUE(Type("3"));
  ASSERT_TRUE(Type("1"));
  ASSERT_TRUE(Type("2"));
  ASSERT_TRUE(CalcPress("UP UP UP RIGHT"));
  ASSERT_TRUE(Type("9"));
  ASSERT_TRUE(CalcPress("UP RIGHT"));
  ASSERT_TRUE(Type("7"));
  const std::vector<std::string> before = {Num(1, 1), Num(1, 2), Num(1, 3), Num(2, 1), Num(3, 1)};
  struct Refused {
    const char *name;
    const char *pick;  // from C2, picking and extending
  };
  const std::vector<Refused> refused = {
      {"rows 1-2", "UP LEFT LEFT LEFT SHIFT 8 DOWN"},
      {"columns A:B", "UP UP LEFT LEFT SHIFT 8 RIGHT"},
  };
  for (const Refused &r : refused) {
    for (const char *sort : {kSortUp, kSortDown}) {
      SCOPED_TRACE(std::string(r.name) + " " + sort);
      ASSERT_TRUE(CalcPress(r.pick));
      ASSERT_TRUE(CalcPress(sort));
      EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
      ASSERT_TRUE(CalcPress("EXIT"));
      EXPECT_EQ((std::vector<std::string>{Num(1, 1), Num(1, 2), Num(1, 3), Num(2, 1), Num(3, 1)}), before);
      // Picking ended, the EDIT page closed; back onto C2 by SHIFT EXIT and moves.
      ASSERT_TRUE(CalcPress("EXIT EXIT SHIFT EXIT DOWN RIGHT RIGHT"));
    }
  }
  // Column A picked alone: sorted ascending.
  ASSERT_TRUE(CalcPress("SHIFT EXIT UP SHIFT 8"));
  ASSERT_TRUE(CalcPress(kSortUp));
  EXPECT_EQ(Num(1, 1), "1");
  EXPECT_EQ(Num(1, 2), "2");
  EXPECT_EQ(Num(1, 3), "3");
  // Row 1 under the cursor, not picked: sorted descending.
  ASSERT_TRUE(CalcPress("EXIT EXIT SHIFT EXIT LEFT"));
  ASSERT_TRUE(CalcPress(kSortDown));
  EXPECT_EQ(Num(1, 1), "9");
  EXPECT_EQ(Num(2, 1), "7");
  EXPECT_EQ(Num(3, 1), "1");
}

// INS with rows 2-3 picked puts two empty rows at row 2; CLR with columns
// A:B picked empties both columns and leaves C.
TEST_F(SheetApp, PickedRowsInsertedAndPickedColumnsCleared) {
  for (const char *n : {"1", "2", "3", "4"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("UP UP UP UP RIGHT RIGHT"));
  ASSERT_TRUE(Type("=A3"));
  ASSERT_TRUE(CalcPress("LEFT LEFT LEFT SHIFT 8 DOWN"));
  ASSERT_TRUE(CalcPress(kIns));
  EXPECT_EQ(Num(1, 1), "1");
  EXPECT_EQ(Num(1, 2), "");
  EXPECT_EQ(Num(1, 3), "");
  EXPECT_EQ(Num(1, 4), "2");
  EXPECT_EQ(Num(1, 6), "4");
  EXPECT_EQ(Formula(3, 1), "=A5");
  EXPECT_EQ(Num(3, 1), "3");

  ASSERT_TRUE(CalcPress("EXIT SHIFT EXIT RIGHT RIGHT DOWN"));
  ASSERT_TRUE(Type("8"));
  ASSERT_TRUE(CalcPress("UP UP UP LEFT LEFT SHIFT 8 RIGHT"));
  EXPECT_TRUE(Row7Has("A1:B999")) << CalcRow(7);
  ASSERT_TRUE(CalcPress(kClr));
  EXPECT_EQ(Num(1, 1), "");
  EXPECT_EQ(Num(1, 6), "");
  EXPECT_EQ(Num(2, 1), "");
  EXPECT_EQ(Formula(3, 1), "=A5");
  EXPECT_EQ(Num(3, 2), "8");
}

// GRPH SET and CALC SET take the picked columns as their ranges.
TEST_F(SheetApp, StatisticsSetUpsTakeThePickedColumns) {
  struct Case {
    const char *name;
    const char *keys;  // after picking A:B
    std::vector<const char *> shown;
  };
  const std::vector<Case> cases = {
      {"CALC SET", "F6 F2 F6", {"2Var XCell:A1:A999", "2Var YCell:B1:B999"}},
      {"GRPH SET", "F6 F1 F6", {"XCellRange:A1:A999", "YCellRange:B1:B999"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(CalcPress("SHIFT EXIT UP SHIFT 8 RIGHT"));
    ASSERT_TRUE(CalcPress(c.keys));
    for (const char *s : c.shown) EXPECT_TRUE(CalcScreenHas(s)) << s << "\n" << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT"));
  }
}

// The heading corner takes no command: a page opened on a row number does
// not stay there, so its keys cannot cut or copy a row 0 over row 1; CLIP
// does not start picking there.
TEST_F(SheetApp, TheCornerTakesNoCommand) {
  ASSERT_TRUE(Type("5"));
  ASSERT_TRUE(CalcPress("UP RIGHT"));
  ASSERT_TRUE(Type("6"));
  ASSERT_TRUE(CalcPress("UP LEFT LEFT"));
  EXPECT_TRUE(Row7Has("A1:Z1")) << CalcRow(7);
  for (const char *keys : {"F2 UP F1 F1", "F2 UP F2 F1 EXIT", "UP SHIFT 8 F3", "UP F5 F4 F3"}) {
    SCOPED_TRACE(keys);
    ASSERT_TRUE(CalcPress(keys));
    EXPECT_TRUE(Row7Has("SHEET")) << CalcRow(7);
    EXPECT_TRUE(FkeyRowEmpty()) << CalcScreenPicture();
    EXPECT_EQ(Num(1, 1), "5");
    EXPECT_EQ(Num(2, 1), "6");
    ASSERT_TRUE(CalcPress("DOWN"));
    EXPECT_TRUE(Row7Has("A1:Z1")) << CalcRow(7);
  }
}

}  // namespace
