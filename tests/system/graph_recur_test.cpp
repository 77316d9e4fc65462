// RECUR as a user meets it: a formula typed with the term keys, the range
// and the initial term set, the table of terms and sums, the type pop-up,
// and the errors of a range that cannot be tabulated.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/golden.h"
#include "tests/support/harness.h"
#include "ui/setup.h"
#include "tests/system/graph_testapp.h"

namespace {

class RecurSystem : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    // The table on the whole screen (the table applications' Dual Screen
    // Off); the split screen has its own tests below.
    SetupSetItem(kSetupTableDual, 1);
    ASSERT_TRUE(CalcPress("7"));
    ASSERT_EQ(CalcTitle(), "@RECUR");
  }
};

TEST_F(RecurSystem, FirstOrderTableWithSums) {
  // TYPE F2: an+1 = f(an, n), from a0.
  ASSERT_TRUE(CalcPress("F3 F2"));
  EXPECT_EQ(CalcRow(1), "Recursion") << CalcScreenText();
  // an+1 = 2an + 1, typed with the term keys of the n.an page.
  ASSERT_TRUE(CalcPress("2 F4 F2 + 1 EXE"));
  EXPECT_EQ(CalcRow(2), "an+1=2an+1") << CalcScreenText();
  // RANGE: End 4, a0 1.
  ASSERT_TRUE(CalcPress("EXIT F5"));
  EXPECT_TRUE(CalcScreenHas("Table Setting")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN 4 EXE 1 EXE EXE"));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(CalcRow(1), "n  an    \u03A3an") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "  0     1     1");
  EXPECT_EQ(CalcRow(5), "  3    15    26");  // 1 + 3 + 7 + 15
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN RIGHT"));
  EXPECT_EQ(CalcRow(6), "  4    31    57");
  EXPECT_EQ(CalcRow(7), "57") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Recursion");
}

// WEB on the table's keys: the curve and y = x, and the trace steps from
// an Start 0 to the curve and across to the line.
TEST_F(RecurSystem, WebGraphTrace) {
  ASSERT_TRUE(CalcPress("F3 F2"));
  ASSERT_TRUE(CalcPress("F4 F2 / 2 + 1 EXE EXIT"));
  ASSERT_TRUE(CalcPress("F6"));
  ASSERT_TRUE(CalcPress("F4"));
  ASSERT_TRUE(CalcPress("F1"));
  struct Step {
    const char *x, *y;
  } steps[] = {{"X=0", "Y=0"}, {"X=0", "Y=1"}, {"X=1", "Y=1"}, {"X=1", "Y=1.5"}, {"X=1.5", "Y=1.5"}};
  for (const Step &st : steps) {
    EXPECT_EQ(gapp::MiniCell(1, 8), st.x);
    EXPECT_EQ(gapp::MiniCell(17, 8), st.y);
    ASSERT_TRUE(CalcPress("EXE"));
  }
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_TRUE(CalcScreenHas("an")) << CalcScreenText();
  // A formula reading n has no web.
  ASSERT_TRUE(CalcPress("EXIT UP F4 F2 + F1 EXE EXIT F6 F4"));
  EXPECT_TRUE(CalcScreenHas("ERROR")) << CalcScreenText();
}

// The web graph runs on the graph screen: EXE (or TRACE) walks the web,
// EXIT leaves the trace and the graph for the table, the V-Window screen
// opens over it, G<->T on the table shows the stored web again with its
// trace.
TEST_F(RecurSystem, WebGraphOnTheGraphScreenAndItsRedisplay) {
  ASSERT_TRUE(CalcPress("F3 F2"));
  ASSERT_TRUE(CalcPress("F4 F2 / 2 + 1 EXE EXIT"));
  ASSERT_TRUE(CalcPress("F6 F4"));
  const std::string web = CalcScreenPicture();
  EXPECT_NE(CalcRow(1).rfind("n", 0), 0u) << CalcScreenText();
  // V-Window opens over the web; left unchanged, the web is back as it was.
  ASSERT_TRUE(CalcPress("SHIFT F3"));
  EXPECT_NE(CalcScreenPicture(), web);
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcScreenPicture(), web);
  // EXE starts the walk at (an Start, 0), the next EXE goes to the curve.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(gapp::MiniCell(1, 8), "X=0");
  EXPECT_EQ(gapp::MiniCell(17, 8), "Y=0");
  ASSERT_TRUE(CalcPress("EXE EXE"));
  EXPECT_EQ(gapp::MiniCell(1, 8), "X=1");
  EXPECT_EQ(gapp::MiniCell(17, 8), "Y=1");
  // EXIT ends the walk and the graph: the table.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1).rfind("n", 0), 0u) << CalcScreenText();
  // G<->T: the stored web again, traced from its start.
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_NE(CalcRow(1).rfind("n", 0), 0u) << CalcScreenText();
  const std::string kept = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("F1 EXE"));
  EXPECT_EQ(gapp::MiniCell(17, 8), "Y=1");
  ASSERT_TRUE(CalcPress("EXE EXE"));
  EXPECT_EQ(gapp::MiniCell(1, 8), "X=1");
  EXPECT_EQ(gapp::MiniCell(17, 8), "Y=1.5");
  // AC leaves the walk and the graph for the table as well.
  ASSERT_TRUE(CalcPress("AC"));
  EXPECT_EQ(CalcRow(1).rfind("n", 0), 0u) << CalcScreenText();
  // The steps walked stay on the stored web: every dot of before is there.
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  const std::string now = CalcScreenPicture();
  ASSERT_EQ(now.size(), kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    if (kept[i] == '#') {
      ASSERT_EQ(now[i], '#') << i;
    }
  }
  EXPECT_NE(now, kept);
}

TEST_F(RecurSystem, RangeErrorAndNothingSelected) {
  ASSERT_TRUE(CalcPress("F3 F2"));
  ASSERT_TRUE(CalcPress("F4 F2 + 1 EXE EXIT"));
  // End - Start = 255: too many rows.
  ASSERT_TRUE(CalcPress("F5 DOWN 2 5 5 EXE EXIT F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  // SEL turns the formula off: no table.
  ASSERT_TRUE(CalcPress("UP F1 F6"));
  EXPECT_TRUE(CalcScreenHas("Condition ERROR") || CalcScreenHas("ERROR")) << CalcScreenText();
}

}  // namespace

namespace {

// RECUR with SET UP's defaults: the table on the right half of the screen
// and its graphs on the left.
class RecurSplit : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("7"));
    ASSERT_EQ(CalcTitle(), "@RECUR");
    // an+1 = an/2 + 1 from a0 = 0, n = 0..5, the sums shown.
    ASSERT_TRUE(CalcPress("F3 F2"));
    ASSERT_TRUE(CalcPress("F4 F2 / 2 + 1 EXE EXIT"));
    ASSERT_TRUE(CalcPress("F6"));
  }
  // A cell of the shown table: view row 1-4, screen column 0 (n) or 1.
  static std::string Cell(int row, int column) {
    std::string s = gapp::MiniText(column == 0 ? 72 : 100, 8 * row + 10, column == 0 ? 100 : 127);
    return s.substr(s.find_first_not_of(' ') == std::string::npos ? s.size() : s.find_first_not_of(' '));
  }
  // The value under the cursor, below the table.
  static std::string Value() { return gapp::MiniText(66, 50); }
  // The left half (the graph) of the screen picture.
  static std::string LeftHalf(const std::string &picture) {
    std::string out;
    for (size_t at = 0; at + 128 <= picture.size(); at += 129) out += picture.substr(at, 64) + "\n";
    return out;
  }
};

// The rows of a picture from `first` to `last` (0-63), columns from..to-1.
std::string Area(const std::string &picture, int first, int last, int from, int to) {
  std::string out;
  for (int r = first; r <= last; ++r) out += picture.substr(static_cast<size_t>(r) * 129 + from, to - from) + "\n";
  return out;
}

// The table stays on the right half while the graphs are drawn on the left:
// G-CON, AC back to the table (the graph kept beside it), the cursor over
// the sums, the sums' graph, EXIT back to the formulas.
TEST_F(RecurSplit, TableBesideItsGraphs) {
  const std::string table = CalcScreenPicture();
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "recur_split_table.txt"), table));
  const char *const kTerms[4][2] = {{"", "0"}, {"1", "1"}, {"2", "1.5"}, {"3", "1.75"}};
  for (int r = 1; r <= 4; ++r) {
    if (r > 1) {
      EXPECT_EQ(Cell(r, 0), kTerms[r - 1][0]) << r;
    }
    EXPECT_EQ(Cell(r, 1), kTerms[r - 1][1]) << r;
  }
  EXPECT_EQ(Value(), "0");
  // G-CON: the terms joined on the left half; the table stays.
  ASSERT_TRUE(CalcPress("F5"));
  const std::string graph = CalcScreenPicture();
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "recur_split_graph.txt"), graph));
  EXPECT_EQ(Area(graph, 8, 47, 64, 128), Area(table, 8, 47, 64, 128));
  EXPECT_NE(Area(graph, 0, 63, 0, 64), Area(table, 0, 63, 0, 64));
  // AC: the table's keys again, its graph beside it.
  ASSERT_TRUE(CalcPress("AC"));
  EXPECT_EQ(Area(CalcScreenPicture(), 0, 55, 0, 64), Area(graph, 0, 55, 0, 64));
  EXPECT_EQ(Value(), "0");
  // Right twice: past the terms to their sums; down to n = 2.
  ASSERT_TRUE(CalcPress("RIGHT RIGHT DOWN DOWN"));
  const char *const kSums[4] = {"0", "1", "", "4.25"};
  for (int r = 1; r <= 4; ++r) {
    if (r != 3) {
      EXPECT_EQ(Cell(r, 1), kSums[r - 1]) << r;
    }
  }
  EXPECT_EQ(Value(), "2.5");
  // The sums joined: another graph beside the same table view.
  ASSERT_TRUE(CalcPress("F2"));
  const std::string sums = CalcScreenPicture();
  EXPECT_NE(Area(sums, 0, 55, 0, 64), Area(graph, 0, 55, 0, 64));
  EXPECT_EQ(Cell(4, 1), "4.25");
  // The cursor keys scroll the graph; the table keeps its place.
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_NE(Area(CalcScreenPicture(), 0, 55, 0, 64), Area(sums, 0, 55, 0, 64));
  EXPECT_EQ(Area(CalcScreenPicture(), 8, 47, 64, 128), Area(sums, 8, 47, 64, 128));
  ASSERT_TRUE(CalcPress("AC EXIT"));
  EXPECT_EQ(CalcRow(1), "Recursion") << CalcScreenText();
}

// WEB on the split screen: the web on the left half beside the table,
// walked with EXE; AC goes back to the table with the web beside it.
TEST_F(RecurSplit, WebBesideTheTable) {
  ASSERT_TRUE(CalcPress("F4"));
  const std::string web = CalcScreenPicture();
  EXPECT_EQ(Cell(4, 1), "1.75");
  struct Step {
    const char *x, *y;
  } steps[] = {{"X=0", "Y=0"}, {"X=0", "Y=1"}, {"X=1", "Y=1"}, {"X=1", "Y=1.5"}, {"X=1.5", "Y=1.5"}};
  for (const Step &st : steps) {
    ASSERT_TRUE(CalcPress("EXE"));
    EXPECT_EQ(gapp::MiniCell(1, 8), st.x);
    EXPECT_EQ(gapp::MiniCell(17, 8), st.y);
  }
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "recur_split_web.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("AC"));
  EXPECT_EQ(Value(), "0");
  EXPECT_NE(Area(CalcScreenPicture(), 0, 55, 0, 64), Area(web, 0, 55, 0, 64));  // the steps stay
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Recursion") << CalcScreenText();
}

// MENU from the graph beside the table and another application: nothing of
// the recursion graph is painted over it.
TEST_F(RecurSplit, MenuFromTheGraphLeavesItBehind) {
  ASSERT_TRUE(CalcPress("F5 MENU"));
  ASSERT_TRUE(CalcMainMenuShown());
  ASSERT_TRUE(CalcPress("8"));
  EXPECT_EQ(CalcRow(1), "Select Equation") << CalcScreenText();
  const std::string list = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("DOWN UP"));
  EXPECT_EQ(CalcScreenPicture(), list);
}

}  // namespace

namespace {

// The View Window from the formula list gives the list its own key row
// back.
TEST_F(RecurSystem, ListKeepsItsKeyRowAfterTheViewWindow) {
  ASSERT_TRUE(CalcPress("F3 F2"));
  ASSERT_TRUE(CalcPress("2 F4 F2 + 1 EXE EXIT"));
  const size_t keyRow = 129 * 56;  // 129 characters a line, 56 lines above
  const std::string before = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT F3 EXIT"));
  EXPECT_EQ(CalcScreenPicture().substr(keyRow), before.substr(keyRow)) << CalcScreenPicture();
  EXPECT_EQ(CalcRow(2), "an+1=2an+1") << CalcScreenText();
}

}  // namespace
