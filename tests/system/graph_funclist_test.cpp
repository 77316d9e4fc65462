// GRAPH and TABLE as a new user meets them: formulas typed into the list,
// selection, line style, type and conversion, deletion, graph memories, the
// table range screen and the function memories of the line editor.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "memory/item_array.h"
#include "number/numtext.h"
#include "tests/support/golden.h"
#include "tests/support/harness.h"
#include "ui/setup.h"

namespace {

class GraphListSystem : public CalcSystemTest {
 protected:
  void Open(const char *keys, const char *title) {
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress(keys));
    ASSERT_EQ(CalcTitle(), title);
  }
  void OpenGraph() { Open("RIGHT RIGHT RIGHT EXE", "@GRAPH"); }
  void OpenTable() { Open("DOWN RIGHT EXE", "@TABLE"); }
  // The first 16 columns of a list row: prefix, relation and formula.
  static std::string Line(int row) {
    const std::string r = CalcRow(row);
    std::string out;
    int cols = 0;
    for (size_t i = 0; i < r.size() && cols < 16; ++cols) {
      size_t n = 1;
      const unsigned char c = static_cast<unsigned char>(r[i]);
      if (c >= 0xF0) n = 4; else if (c >= 0xE0) n = 3; else if (c >= 0xC0) n = 2;
      out += r.substr(i, n);
      i += n;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  }
  // Whether the middle dot of the style mark's row k (0-7) is lit on list row.
  static bool StyleDot(int row, int k) { return CalcDot(105, 8 * (row - 1) + k); }
};

TEST_F(GraphListSystem, TypingStoresAndStepsDown) {
  OpenGraph();
  EXPECT_EQ(CalcRow(1).substr(0, 13), "Graph Func:Y=");
  EXPECT_EQ(Line(2), "𝐘1:");
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  // Stored, selected for drawing (the reversed relation) and the cursor on Y2.
  EXPECT_EQ(Line(2), "𝐘1＝X²");
  ASSERT_TRUE(CalcPress("2 XtT + 1 EXE"));
  EXPECT_EQ(Line(3), "𝐘2＝2X+1");
  // A typed character replaces the old formula; RIGHT edits it.
  ASSERT_TRUE(CalcPress("UP 3 EXE"));
  EXPECT_EQ(Line(3), "𝐘2＝3");
  ASSERT_TRUE(CalcPress("UP RIGHT RIGHT X EXE"));
  EXPECT_EQ(Line(3), "𝐘2＝3X") << CalcScreenText();
  // EXIT leaves the line as it was.
  ASSERT_TRUE(CalcPress("UP 9 9 EXIT"));
  EXPECT_EQ(Line(3), "𝐘2＝3X");
  // SEL toggles the selection; on an empty slot it does nothing.
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Line(3), "𝐘2=3X");
  ASSERT_TRUE(CalcPress("DOWN F1"));
  EXPECT_EQ(Line(4), "𝐘3:");
}

TEST_F(GraphListSystem, LineStyleOfAFilledSlotOnly) {
  OpenGraph();
  ASSERT_TRUE(CalcPress("XtT EXE"));
  // Y1 normal: one line of dots in the mark (its row 3); thick adds row 4.
  EXPECT_TRUE(StyleDot(2, 3));
  EXPECT_FALSE(StyleDot(2, 4));
  ASSERT_TRUE(CalcPress("UP F4 F2 DOWN"));
  EXPECT_TRUE(StyleDot(2, 3));
  EXPECT_TRUE(StyleDot(2, 4));
  // On the empty Y2 the style key changes nothing.
  ASSERT_TRUE(CalcPress("F4 F2 DOWN"));
  EXPECT_TRUE(StyleDot(3, 3));
  EXPECT_FALSE(StyleDot(3, 4));
}

TEST_F(GraphListSystem, TypeChangesEmptySlotsAndConvTurnsInequalities) {
  OpenGraph();
  ASSERT_TRUE(CalcPress("XtT EXE"));
  // Y> from the TYPE menu: the list starts at the cursor's slot; Y1 keeps its
  // type, the empty slots and the next formula are Y>.
  ASSERT_TRUE(CalcPress("F3 F6 F1"));
  EXPECT_EQ(CalcRow(1).substr(0, 13), "Graph Func:Y>");
  EXPECT_EQ(Line(2), "𝐘2:");
  ASSERT_TRUE(CalcPress("XtT EXE"));
  EXPECT_EQ(Line(2), "𝐘2＞X");
  ASSERT_TRUE(CalcPress("UP UP"));
  EXPECT_EQ(Line(2), "𝐘1＝X");
  // conv turns Y2 into Y<= ...
  ASSERT_TRUE(CalcPress("DOWN F3 F5 F5"));
  EXPECT_EQ(Line(3), "𝐘2≦X") << CalcScreenText();
  // ... but leaves an r= function as it is, the conv page staying open.
  ASSERT_TRUE(CalcPress("F3 F2 DOWN XtT EXE"));
  EXPECT_EQ(Line(3), "𝐫3＝θ") << CalcScreenText();
  ASSERT_TRUE(CalcPress("UP F3 F5 F1"));
  EXPECT_EQ(Line(3), "𝐫3＝θ");
  ASSERT_TRUE(CalcPress("DOWN F1"));  // still the conv page: >Y= on an empty slot
  EXPECT_EQ(Line(4), "𝐫4:");
}

TEST_F(GraphListSystem, ParametricPairAndItsDeletion) {
  OpenGraph();
  ASSERT_TRUE(CalcPress("F3 F3"));  // Parm
  ASSERT_TRUE(CalcPress("2 XtT EXE XtT ^2 EXE"));
  EXPECT_EQ(Line(2), "𝐗t1＝2T");
  EXPECT_EQ(Line(3), "𝐘t1＝T²");
  EXPECT_EQ(Line(4), "𝐗t2:");
  // Back to Y=: the pair keeps its two lines; delete it from its second line.
  ASSERT_TRUE(CalcPress("F3 F1 UP UP"));
  ASSERT_TRUE(CalcPress("DOWN DEL"));
  EXPECT_TRUE(CalcScreenHas("Delete Formula?")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));  // No
  EXPECT_EQ(Line(3), "𝐘t1＝T²");
  ASSERT_TRUE(CalcPress("DEL F1"));
  EXPECT_EQ(Line(2), "𝐘1:");
  EXPECT_EQ(Line(3), "𝐘2:");
  // The cursor stands on the single line again: typing fills Y1.
  ASSERT_TRUE(CalcPress("5 EXE"));
  EXPECT_EQ(Line(2), "𝐘1＝5") << CalcScreenText();
}

TEST_F(GraphListSystem, ScrollingStopsAtBothEnds) {
  OpenGraph();
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(Line(2), "𝐘1:");
  for (int i = 0; i < 25; ++i) ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Line(2), "𝐘15:");
  EXPECT_EQ(Line(7), "𝐘20:");
  ASSERT_TRUE(CalcPress("7 EXE"));
  EXPECT_EQ(Line(7), "𝐘20＝7");
}

TEST_F(GraphListSystem, GraphMemoryStoreAndRecall) {
  OpenGraph();
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  ASSERT_TRUE(CalcPress("F5 F1"));
  EXPECT_TRUE(CalcScreenHas("Graph Memory")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("3 EXE EXIT"));
  ASSERT_TRUE(CalcPress("UP DEL F1"));
  EXPECT_EQ(Line(2), "𝐘1:");
  ASSERT_TRUE(CalcPress("F5 F2 3 EXE"));
  EXPECT_EQ(Line(2), "𝐘1＝X²") << CalcScreenText();
}

TEST_F(GraphListSystem, FunctionMemoriesFromTheLineEditor) {
  OpenGraph();
  // Store the line as f18: the list then shows f15 to f20.
  ASSERT_TRUE(CalcPress("XtT + 1 OPTN F1 1 8 EXE"));
  EXPECT_EQ(CalcRow(1), "== Function Memory ==");
  EXPECT_EQ(CalcRow(2).rfind("f₁₅:", 0), 0u);
  EXPECT_EQ(CalcRow(5).rfind("f₁₈:X+1", 0), 0u);
  // DOWN at the end wraps round to f1 .. f6; UP goes back.
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(2).rfind(" f₁:", 0), 0u) << CalcScreenText();
  EXPECT_EQ(CalcRow(7).rfind(" f₆:", 0), 0u) << CalcScreenText();
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(CalcRow(2).rfind("f₁₅:", 0), 0u);
  // fn puts the function-memory token into the line, which stays as typed.
  ASSERT_TRUE(CalcPress("F3 1 8 EXE"));
  EXPECT_EQ(Line(2), "𝐘1＝X+1fn18") << CalcScreenText();
  // RCL inserts the memory's text at the cursor.
  ASSERT_TRUE(CalcPress("XtT OPTN F2 1 8 EXE EXE"));
  EXPECT_EQ(Line(3), "𝐘2＝XX+1") << CalcScreenText();
}

TEST_F(GraphListSystem, TableRangeScreen) {
  OpenTable();
  EXPECT_EQ(CalcRow(1).substr(0, 17), "Table+Graph:Y=");
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_EQ(CalcRow(1).substr(0, 13), "Table Setting");
  EXPECT_EQ(CalcRow(2).substr(0, 1), "X");
  EXPECT_EQ(CalcRow(4).substr(0, 8), " Start:1");
  EXPECT_EQ(CalcRow(5).substr(0, 8), " End  :5");
  EXPECT_EQ(CalcRow(6).substr(0, 8), " Step :1");
  ASSERT_TRUE(CalcPress("(-) 2 EXE 2 EXE . 5 EXE"));
  EXPECT_EQ(CalcRow(4).rfind(" Start:\u22122", 0), 0u) << CalcScreenText();
  EXPECT_EQ(CalcRow(6).rfind(" Step :0.5", 0), 0u);
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcTitle(), "@TABLE");
  // The range is what F Start and F pitch read in RUN-MAT.
  ASSERT_TRUE(CalcPress("MENU UP LEFT EXE"));
  ASSERT_EQ(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPostCodes({0x7F91, 0x89, 0x7F93}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("\u22121.5")) << CalcScreenText();
}

}  // namespace

namespace {

// TABLE with the table beside its graph: the cells of X^3-2X and 1/X, the
// cursor moved to Y1, the row commands of the ROW page.
TEST_F(GraphListSystem, TableScreenRowsAndCursor) {
  OpenTable();
  ASSERT_TRUE(CalcPress("XtT ^ 3 - 2 XtT EXE 1 / XtT EXE"));
  ASSERT_TRUE(CalcPress("F5 (-) 2 EXE 2 EXE . 5 EXE EXE"));
  ASSERT_TRUE(CalcPress("F6 DOWN RIGHT"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "graph_table_split.txt"), CalcScreenPicture()));
  // DEL, INS and ADD of the ROW page.
  ASSERT_TRUE(CalcPress("F3 F1 F2 F3"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "graph_table_rows.txt"), CalcScreenPicture()));
  // EXIT goes back to the list.
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcRow(1).rfind("Table+Graph:Y=", 0), 0u) << CalcScreenText();
}

}  // namespace

namespace {

// The function-memory keys of RUN-MAT's line: STO keeps the line, RCL puts a
// memory in at the cursor, SEE's fn puts the function-memory token.
TEST_F(GraphListSystem, FunctionMemoriesInRunMat) {
  Open("EXE", "@RUNMAT");
  ASSERT_TRUE(CalcPress("2 XtT + 1"));
  ASSERT_TRUE(CalcPostCodes({31001}));
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(CalcRow(1), "== Function Memory ==") << CalcScreenText();
  EXPECT_EQ(CalcRow(2).rfind(" f₃:2X+1", 0), 0u) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT AC 5 *"));
  ASSERT_TRUE(CalcPostCodes({31007}));
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(CalcRow(1).rfind("5×2X+1", 0), 0u) << CalcScreenText();
  ASSERT_TRUE(CalcPress("AC"));
  ASSERT_TRUE(CalcPostCodes({31000}));
  ASSERT_TRUE(CalcPress("F3 3"));
  EXPECT_EQ(CalcRow(1).rfind("fn3", 0), 0u) << CalcScreenText();
}

}  // namespace

namespace {

int LitDots() {
  int n = 0;
  for (int y = 0; y < 56; ++y)
    for (int x = 0; x < 128; ++x) n += CalcDot(x, y);
  return n;
}

// G-CON joins the table's points, G-PLT marks them alone.
TEST_F(GraphListSystem, TableGraphsJoinedAndPlotted) {
  OpenTable();
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  ASSERT_TRUE(CalcPress("F5 (-) 2 EXE 2 EXE 1 EXE EXE"));
  ASSERT_TRUE(CalcPress("F6 F6"));
  const int plotted = LitDots();
  const std::string plottedPicture = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT EXIT F6 F5"));
  const int joined = LitDots();
  EXPECT_GT(joined, plotted + 10) << plottedPicture << "\n" << CalcScreenPicture();
}

}  // namespace

namespace {

// The View Window opened from the table and left unchanged: the table comes
// back as it was, with its own keys (ROW's DEL takes the first row away).
TEST_F(GraphListSystem, TableKeepsItsScreenAndKeysAfterTheViewWindow) {
  OpenTable();
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  ASSERT_TRUE(CalcPress("F6"));
  const std::string table = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT F3 EXIT"));
  EXPECT_EQ(CalcScreenPicture(), table);
  // F3 opens ROW (only the key row changes), F1 deletes the first row.
  const size_t keyRow = 129 * 56;  // 129 characters a line, 56 lines above
  ASSERT_TRUE(CalcPress("F3"));
  const std::string rowPage = CalcScreenPicture();
  EXPECT_EQ(rowPage.substr(0, keyRow), table.substr(0, keyRow));
  EXPECT_NE(rowPage.substr(keyRow), table.substr(keyRow));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(CalcScreenPicture().substr(0, keyRow), table.substr(0, keyRow));
  EXPECT_EQ(CalcTitle(), "@TABLE");
}

}  // namespace

namespace {

std::vector<std::string> ListValues(u8 n) {
  std::vector<std::string> out;
  for (u32 i = 1; i <= ItemListSize(0, n); ++i) {
    Value v{};
    char t[kNumTextSize];
    if (ItemListGet(0, n, i, &v) != 0) return {"unreadable"};
    NumToText(&v, t);
    out.push_back(t + std::strspn(t, " "));
  }
  return out;
}

// OPTN's LMEM on the table: the column under the cursor into a list, the
// variable's values from the X column; a number outside 1-26 is asked
// again, EXIT stores nothing.
TEST_F(GraphListSystem, TableColumnIntoAList) {
  OpenTable();
  ASSERT_TRUE(CalcPress("XtT ^2 EXE"));
  ASSERT_TRUE(CalcPress("F6 RIGHT"));
  const std::string table = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("OPTN F1"));
  EXPECT_TRUE(CalcScreenHas("List[1~26]:")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(ListValues(3), (std::vector<std::string>{"1", "4", "9", "16", "25"}));
  EXPECT_EQ(CalcTitle(), "@TABLE");
  ASSERT_TRUE(CalcPress("EXIT"));  // OPT's page closed: the table as it was
  EXPECT_EQ(CalcScreenPicture(), table);
  ASSERT_TRUE(CalcPress("LEFT OPTN F1 2 7 EXE"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT 4 EXE"));
  EXPECT_EQ(ListValues(4), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  ASSERT_TRUE(CalcPress("OPTN F1 EXIT"));
  EXPECT_EQ(ItemListSize(0, 5), 0u);
  EXPECT_EQ(CalcTitle(), "@TABLE");
}

}  // namespace

namespace {

// F<>D on the table turns the cursor's value into a fraction and back on
// the value line; a cursor move shows the next value as it is.
TEST_F(GraphListSystem, TableValueLineTakesTheFractionKey) {
  OpenTable();
  SetupSetItem(kSetupTableDual, 1);  // the table on the whole screen
  ASSERT_TRUE(CalcPress("XtT / 4 EXE"));
  ASSERT_TRUE(CalcPress("F6 RIGHT"));
  EXPECT_EQ(CalcRow(7), "0.25") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(CalcRow(7), "1\u231F4") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(CalcRow(7), "0.25") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F<>D DOWN"));
  EXPECT_EQ(CalcRow(7), "0.5") << CalcScreenText();
  EXPECT_EQ(CalcTitle(), "@TABLE");
}

}  // namespace
