// Golden pictures of the graph screen: a trace, a root found, a zoom box
// being chosen, and the two-graph screen swapped and swapped back.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/golden.h"
#include "tests/system/graph_testapp.h"

namespace {

using gapp::kSel;
using gapp::kY;

std::string Rep(const std::string &key, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + key;
  return s;
}

std::string Golden(const char *name) { return GoldenBeside(__FILE__, name); }

using GraphGolden = gapp::GraphScreenTest;

TEST_F(GraphGolden, Trace) {
  Open({{kY, kSel, 2, "X^2"}});
  ASSERT_TRUE(CalcPress("F1 " + Rep("RIGHT", 7)));
  EXPECT_TRUE(MatchesGolden(Golden("graph_trace.txt"), CalcScreenPicture()));
}

TEST_F(GraphGolden, Root) {
  Open({{kY, kSel, 2, "X^2-2"}});
  ASSERT_TRUE(CalcPress("F5 F1"));
  EXPECT_TRUE(MatchesGolden(Golden("graph_root.txt"), CalcScreenPicture()));
}

TEST_F(GraphGolden, BoxBeingChosen) {
  Open({{kY, kSel, 2, "{sin}X"}});
  ASSERT_TRUE(CalcPress("F2 F1 " + Rep("LEFT", 20) + " " + Rep("UP", 10) + " EXE " + Rep("RIGHT", 30) + " " +
                        Rep("DOWN", 20)));
  EXPECT_TRUE(MatchesGolden(Golden("graph_box.txt"), CalcScreenPicture()));
}

TEST_F(GraphGolden, TwoGraphsSwapped) {
  Open({{kY, kSel, 2, "X^2"}, {kY, 0x40, 2, "X"}}, kGraphDrawFuncs, {{kSetupDualScreen, 0}});
  const std::string before = CalcScreenPicture();
  EXPECT_TRUE(MatchesGolden(Golden("graph_dual.txt"), before));
  ASSERT_TRUE(CalcPress("OPTN F2"));
  ASSERT_TRUE(CalcPress("EXIT"));  // the OPT row closes; the graphs stay swapped
  EXPECT_TRUE(MatchesGolden(Golden("graph_dual_swapped.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("OPTN F2 EXIT"));
  EXPECT_EQ(CalcScreenPicture(), before);
}

}  // namespace
