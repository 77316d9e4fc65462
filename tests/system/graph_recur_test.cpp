// RECUR as a user meets it: a formula typed with the term keys, the range
// and the initial term set, the table of terms and sums, the type pop-up,
// and the errors of a range that cannot be tabulated.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"
#include "tests/system/graph_testapp.h"

namespace {

class RecurSystem : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
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
