// The graph screen as a user meets it: functions drawn, the keys that leave
// it, the cursor keys scrolling the V-Window, and G<->T from RUN-MAT.
#include <gtest/gtest.h>

#include "tests/system/graph_testapp.h"

namespace {

using gapp::GraphScreenTest;
using gapp::kSel;
using gapp::kY;
using gapp::Last;

// Dots lit in the graph area (rows 0..55 so the function-key row is left out).
int DotsLit() {
  int n = 0;
  for (int y = 0; y < 56; ++y)
    for (int x = 0; x < 128; ++x) n += CalcDot(x, y) ? 1 : 0;
  return n;
}

TEST_F(GraphScreenTest, DrawsSelectedAndLeavesByKey) {
  Open({{kY, kSel, 2, "X^2"}, {kY, 0, 2, "X"}, {kY, kSel, 0, "X-1"}});
  // x^2 through the origin (column 64, row 32); y = x - 1 drawn although its
  // kind byte is 0; y = x not selected.
  EXPECT_TRUE(CalcDot(64, 32));
  EXPECT_TRUE(CalcDot(64, 42)) << CalcScreenPicture();  // (0, -1) on y = x - 1
  EXPECT_FALSE(CalcDot(84, 12));                         // (2, 2) only on y = x
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, kGraphExitExit);
  // Open again: the graph is shown as drawn; AC leaves with -13.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcDot(64, 32));
  ASSERT_TRUE(CalcPress("AC"));
  EXPECT_EQ(Last().result, kGraphExitAc);
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("SHIFT EXIT"));
  EXPECT_EQ(Last().result, kGraphExitQuit);
}

TEST_F(GraphScreenTest, NothingSelectedShowsTheError) {
  Open({{kY, 0, 2, "X^2"}});
  EXPECT_TRUE(CalcScreenHas("No Variable") || CalcScreenHas("ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, kGraphExitShown);
}

TEST_F(GraphScreenTest, CursorKeysScrollTheWindow) {
  Open({{kY, kSel, 2, "{sin}X"}});
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(CalcPress("EXIT"));
  gapp::Noted n = Last();
  EXPECT_EQ(n.vwin[kVwinXmin], "-5.1");
  EXPECT_EQ(n.vwin[kVwinXmax], "7.5");
  ASSERT_TRUE(CalcPress("EXE UP UP EXIT"));
  n = Last();
  EXPECT_EQ(n.vwin[kVwinYmin], "-0.7");
  EXPECT_EQ(n.vwin[kVwinYmax], "5.5");
  EXPECT_EQ(n.vwin[kVwinXmin], "-5.1");
}

TEST_F(GraphScreenTest, ViewWindowChangeAsksForRedraw) {
  Open({{kY, kSel, 2, "X"}});
  ASSERT_TRUE(CalcPress("SHIFT F3"));
  EXPECT_EQ(CalcRow(1), "View Window");
  ASSERT_TRUE(CalcPress("EXIT"));
  // Nothing changed: the graph is back.
  EXPECT_TRUE(CalcDot(64, 32));
  ASSERT_TRUE(CalcPress("SHIFT F3 2 EXE EXIT"));
  EXPECT_EQ(Last().result, kGraphExitChanged);
  EXPECT_EQ(Last().vwin[kVwinXmin], "2");
}

TEST_F(GraphScreenTest, ZoomMenuRowShownOnlyInSubMenus) {
  Open({{kY, kSel, 2, "X"}});
  const int plain = DotsLit();
  ASSERT_TRUE(CalcPress("F2"));  // ZOOM: its row appears at the bottom
  EXPECT_GT(DotsLit() + 0, 0);
  int row = 0;
  for (int x = 0; x < 128; ++x) row += CalcDot(x, 60) ? 1 : 0;
  EXPECT_GT(row, 20);
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(DotsLit(), plain);
}

class RedisplaySystem : public CalcSystemTest {};

TEST_F(RedisplaySystem, GraphTableKeyFromRunMat) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("1 + 2 EXE"));
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  // Nothing was drawn: the empty axes (axes on by default), no text.
  EXPECT_TRUE(CalcDot(64, 10));
  EXPECT_TRUE(CalcDot(10, 32));
  EXPECT_FALSE(CalcScreenHas("3"));
  // The cursor keys do nothing on this plain screen.
  const std::string before = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(CalcScreenPicture(), before);
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  EXPECT_TRUE(CalcScreenHas("3")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("SHIFT F6 EXIT"));
  EXPECT_TRUE(CalcScreenHas("3"));
}

}  // namespace
