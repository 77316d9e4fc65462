// The graphs of the TEST and DIST results as a user meets them: DRAW on the
// parameter screen, the shaded density, the read-outs of the F-keys, the x
// typed into a P.D graph, the ANOVA means and their trace, and G<->T back to
// the kept graph.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>

#include "apps/stat/stat_cmd.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "tests/support/golden.h"
#include "tests/system/graph_testapp.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/text.h"

namespace {

using gapp::MiniCell;

std::string Golden(const std::string &name) { return GoldenBeside(__FILE__, name); }

std::atomic<u32> g_code{53};
std::atomic<i32> g_result{0};

void SetList(u8 list, std::initializer_list<const char *> values) {
  ItemListDelete(0, list);
  for (const char *t : values) {
    Value v{};
    NumParse(t, &v.re);
    ItemListSet(0, list, 0, &v);
  }
}

// Puts the data in the lists, then runs the chosen command again after each
// key once it has ended.
u32 GraphHost(u32, u16) {
  SetList(1, {"1", "1", "1", "1", "2", "2", "2", "2"});
  SetList(2, {"1", "1", "2", "2", "1", "1", "2", "2"});
  SetList(3, {"3", "5", "8", "10", "4", "6", "13", "15"});
  ItemMatCreate(1, 2, 2);  // Mat A, the observed counts
  const char *counts[4] = {"10", "20", "30", "40"};
  for (u32 i = 0; i < 4; ++i) {
    Value v{};
    NumParse(counts[i], &v.re);
    ItemMatSet(1, i / 2 + 1, i % 2 + 1, &v);
  }
  for (;;) {
    g_result = StatRunCommand(g_code);
    LcdClearVram();
    TextLocate(1, 1);
    TextPrint("ended");
    u32 key = 0;
    KeyGetKey(&key);
  }
}

// The F-key row against the icons it should show, dot by dot; -1 leaves a
// key out, 0 is a key that shows nothing.
testing::AssertionResult RowShows(const std::array<int, 6> &icons) {
  for (int key = 0; key < 6; ++key) {
    if (icons[key] < 0) continue;
    const u8 *bitmap = nullptr;
    if (FkeyIconBitmap(icons[key], &bitmap) != 1) return testing::AssertionFailure() << "no icon " << icons[key];
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 21; ++c)
        if (CalcDot(key * 21 + 2 + c, 56 + r) != (((bitmap[3 * r + c / 8] >> (7 - c % 8)) & 1) != 0))
          return testing::AssertionFailure() << "F" << key + 1 << " is not icon " << icons[key] << " at " << c << ","
                                             << r << "\n"
                                             << CalcScreenPicture();
  }
  return testing::AssertionSuccess();
}

// The graph above the F-key row.
std::string GraphPart() { return CalcScreenPicture().substr(0, 56 * 129); }

class StatResultGraph : public testing::Test {
 protected:
  void SetUp() override {
    // Each test from empty memory: the calculator's RAM outlives a restart.
    HostFreeCalcRam();
    CalcStart();
    SysReplaceMainMenuEntry(0, GraphHost);
    ASSERT_TRUE(CalcBootToMenu());
  }
  void TearDown() override { CalcStop(); }
  static testing::AssertionResult Run(u32 code) {
    g_code = code;
    return CalcPress("EXE");
  }
};

TEST_F(StatResultGraph, OneSampleZShadesBothTailsAndReadsItsBounds) {
  ASSERT_TRUE(Run(53));
  ASSERT_TRUE(CalcPress("F2 DOWN DOWN 5 EXE 0 . 5 EXE 5 . 3 5 EXE 8 EXE"));
  ASSERT_TRUE(CalcPress("DOWN F6"));
  EXPECT_TRUE(MatchesGolden(Golden("stat_ztest_graph.txt"), CalcScreenPicture()));
  // Z at the lower bound; RIGHT and LEFT switch between the two.
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(MiniCell(1, 8), "Z=-1.979898987");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "Z=1.979898987");
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(MiniCell(1, 8), "Z=-1.979898987");
  // EXIT leaves the read-out only; P shows the p-value.
  ASSERT_TRUE(CalcPress("EXIT F2"));
  EXPECT_EQ(MiniCell(1, 8), "P=0.0477148802");
  // EXIT leaves the read-out, then the graph: the parameters again, and
  // G<->T shows the kept graph.
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcRow(1), "1-Sample ZTest");
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_TRUE(MatchesGolden(Golden("stat_ztest_graph.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("EXIT SHIFT EXIT"));
  EXPECT_EQ(g_result, -1);
}

// The shading follows the condition and the statistic's distribution.
TEST_F(StatResultGraph, ShadedTestGraphs) {
  struct Case {
    u32 code;
    const char *keys;  // the parameters, then DRAW
    const char *golden;
    const char *readout;  // F1's read-out
    const char *right;    // after RIGHT
  };
  const Case cases[] = {
      // t below mu0: the left tail.
      {57, "F2 DOWN F2 DOWN 5 EXE 4 . 6 EXE 1 EXE 1 0 EXE DOWN F6", "stat_ttest_left_graph.txt", "T=-1.264911064",
       "T=-1.264911064"},
      // F of two variances, two-sided: both tails of the p-value.
      {51, "F2 DOWN F1 DOWN 2 EXE 1 0 EXE 1 EXE 1 2 EXE DOWN F6", "stat_ftest_graph.txt", "F=0.2269713528", "F=4"},
      // Chi-square: the right tail; its one bound stays under LEFT and RIGHT.
      {50, "UP F6", "stat_chi_graph.txt", "C=0.7936507937", "C=0.7936507937"},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(Run(c.code));
    ASSERT_TRUE(CalcPress(c.keys));
    EXPECT_TRUE(MatchesGolden(Golden(c.golden), CalcScreenPicture())) << c.code;
    ASSERT_TRUE(CalcPress("F1"));
    EXPECT_EQ(MiniCell(1, 8), c.readout) << c.code;
    ASSERT_TRUE(CalcPress("RIGHT"));
    EXPECT_EQ(MiniCell(1, 8), c.right) << c.code;
    ASSERT_TRUE(CalcPress("EXIT EXIT SHIFT EXIT"));
    EXPECT_EQ(g_result, -1);
  }
}

TEST_F(StatResultGraph, ChiSquarePdReadsTheDensityAtX) {
  ASSERT_TRUE(Run(72));
  ASSERT_TRUE(CalcPress("2 EXE 4 EXE DOWN F6 F5 F1 2 EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=2");
  EXPECT_EQ(MiniCell(17, 8), "P=0.1839397206");
}

TEST_F(StatResultGraph, StudentTPdTakesTypedX) {
  ASSERT_TRUE(Run(70));
  EXPECT_EQ(CalcRow(1), "Student-t P.D");
  ASSERT_TRUE(CalcPress("1 EXE 5 EXE DOWN F6"));
  EXPECT_TRUE(MatchesGolden(Golden("stat_tpd_graph.txt"), CalcScreenPicture()));
  // G-SLV, Y-CAL opens the input empty; the density at x is read out.
  ASSERT_TRUE(CalcPress("F5 F1"));
  EXPECT_TRUE(CalcScreenHas("X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("1 EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  EXPECT_EQ(MiniCell(17, 8), "P=0.2196797974");
  // A digit typed over the read-out opens the input with it.
  ASSERT_TRUE(CalcPress("2"));
  EXPECT_TRUE(CalcScreenHas("X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=2");
  EXPECT_EQ(MiniCell(17, 8), "P=0.0650903103");
  // EXIT from the input keeps the graph.
  ASSERT_TRUE(CalcPress("F5 F1 EXIT"));
  EXPECT_FALSE(CalcScreenHas("X-Value"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Student-t P.D");
}

TEST_F(StatResultGraph, NormalPdWithoutWidthIsARangeError) {
  ASSERT_TRUE(Run(67));
  EXPECT_EQ(CalcRow(1), "Normal P.D");
  ASSERT_TRUE(CalcPress("0 EXE 1 EXE 1 EXP 1 3 EXE DOWN F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Normal P.D");
}

TEST_F(StatResultGraph, TwoWayAnovaMeansAndTheirTrace) {
  ASSERT_TRUE(Run(52));
  EXPECT_EQ(CalcRow(1), "ANOVA");
  // Two factors: List 1 and List 2, the data in List 3.
  ASSERT_TRUE(CalcPress("F2 DOWN F1 1 EXE DOWN F1 2 EXE DOWN F1 3 EXE DOWN DOWN F6"));
  EXPECT_TRUE(MatchesGolden(Golden("stat_anova_graph.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(MiniCell(1, 8), "A=1");
  EXPECT_EQ(MiniCell(17, 8), "M=4");
  EXPECT_TRUE(CalcScreenHas("Factor B:1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "A=2");
  EXPECT_EQ(MiniCell(17, 8), "M=5");
  // UP from the first level of factor B goes to its last.
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_TRUE(CalcScreenHas("Factor B:2")) << CalcScreenText();
  EXPECT_EQ(MiniCell(17, 8), "M=14");
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(MiniCell(17, 8), "M=9");
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcRow(1), "ANOVA");
}

// The kept ANOVA graph shown again after Mat Ans shrank (another
// calculation since): its trace refuses the missing means with Dimension
// ERROR instead of reading past the matrix, and the graph stays.
TEST_F(StatResultGraph, AnovaTraceOverAShrunkMatAnsIsADimensionError) {
  ASSERT_TRUE(Run(52));
  ASSERT_TRUE(CalcPress("F2 DOWN F1 1 EXE DOWN F1 2 EXE DOWN F1 3 EXE DOWN DOWN F6"));
  const std::string screen = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "ANOVA");
  ItemMatDelete(0);
  ASSERT_EQ(ItemMatCreate(0, 1, 1), 0u);
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_EQ(CalcScreenPicture(), screen);
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Dimension ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcScreenPicture(), screen);
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "ANOVA");
}

// The graph fills the screen; SHIFT shows the row of its tools: a test
// graph the plain graph tools, the ANOVA means TRACE, a density G-SLV, each
// with V-WIN and G/T (also SHIFT F3 and F6). SHIFT again hides the row.
TEST_F(StatResultGraph, EachGraphKindShowsTheToolsItTakesUnderShift) {
  const struct {
    u32 code;
    const char *keys;  // the parameters, then DRAW
    std::array<int, 6> shift;
  } cases[] = {
      {53, "F2 DOWN DOWN 5 EXE 0 . 5 EXE 5 . 3 5 EXE 8 EXE DOWN F6", {559, 560, 561, 563, -1, -1}},
      {52, "F2 DOWN F1 1 EXE DOWN F1 2 EXE DOWN F1 3 EXE DOWN DOWN F6", {558, 0, 560, 0, 0, 563}},
      {70, "1 EXE 5 EXE DOWN F6", {0, 0, 560, 0, 562, 563}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.code);
    ASSERT_TRUE(Run(c.code));
    ASSERT_TRUE(CalcPress(c.keys));
    const std::string screen = CalcScreenPicture();
    ASSERT_TRUE(CalcPress("SHIFT"));
    EXPECT_TRUE(RowShows(c.shift));
    EXPECT_EQ(GraphPart(), screen.substr(0, 56 * 129));
    ASSERT_TRUE(CalcPress("SHIFT"));
    EXPECT_EQ(CalcScreenPicture(), screen);
    // SHIFT F3 opens the View Window; leaving it unchanged keeps the graph.
    ASSERT_TRUE(CalcPress("SHIFT F3"));
    EXPECT_TRUE(CalcScreenHas("Xmin")) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_EQ(CalcScreenPicture(), screen);
    // SHIFT F6 leaves the graph for the parameters, where it stays kept.
    ASSERT_TRUE(CalcPress("SHIFT F6"));
    EXPECT_NE(CalcScreenPicture(), screen) << CalcScreenText();
    ASSERT_TRUE(CalcPress("SHIFT F6"));
    EXPECT_EQ(CalcScreenPicture(), screen);
    // The kept graph takes the same tools.
    ASSERT_TRUE(CalcPress("SHIFT"));
    EXPECT_TRUE(RowShows(c.shift));
    ASSERT_TRUE(CalcPress("SHIFT"));
    EXPECT_EQ(CalcScreenPicture(), screen);
    ASSERT_TRUE(CalcPress("EXIT SHIFT EXIT"));
    EXPECT_EQ(g_result, -1);
  }
}

// The ANOVA means: F1 and SHIFT F1 both start the trace; the keys without
// a tool change nothing; EXIT leaves the trace, then the graph.
TEST_F(StatResultGraph, AnovaTraceFromTheKeyOrUnderShift) {
  ASSERT_TRUE(Run(52));
  ASSERT_TRUE(CalcPress("F2 DOWN F1 1 EXE DOWN F1 2 EXE DOWN F1 3 EXE DOWN DOWN F6"));
  const std::string screen = CalcScreenPicture();
  for (const char *key : {"F2", "F4", "F5", "SHIFT F2", "SHIFT F4", "SHIFT F5"}) {
    ASSERT_TRUE(CalcPress(key));
    EXPECT_EQ(CalcScreenPicture(), screen) << key;
  }
  for (const char *start : {"F1", "SHIFT F1"}) {
    SCOPED_TRACE(start);
    ASSERT_TRUE(CalcPress(start));
    EXPECT_TRUE(CalcScreenHas("Factor B:1")) << CalcScreenText();
    EXPECT_EQ(MiniCell(1, 8), "A=1");
    EXPECT_EQ(MiniCell(17, 8), "M=4");
    ASSERT_TRUE(CalcPress("DOWN RIGHT"));
    EXPECT_TRUE(CalcScreenHas("Factor B:2")) << CalcScreenText();
    EXPECT_EQ(MiniCell(17, 8), "M=14");
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_EQ(CalcScreenPicture(), screen);
  }
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "ANOVA");
}

// A density graph: G-SLV opens its page with Y-CAL alone, EXIT closes it
// with the graph kept; Y-CAL, reached with or without SHIFT, reads x and
// shows the density there; during the read-out Y-CAL asks for a new x.
TEST_F(StatResultGraph, DensityGraphReadsXThroughGSolveYCal) {
  ASSERT_TRUE(Run(70));
  ASSERT_TRUE(CalcPress("1 EXE 5 EXE DOWN F6"));
  const std::string screen = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_TRUE(RowShows({82, -1, -1, -1, -1, -1}));
  EXPECT_EQ(GraphPart(), screen.substr(0, 56 * 129));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcScreenPicture(), screen);
  // Under SHIFT, EXIT goes back to the SHIFT row rather than quitting.
  ASSERT_TRUE(CalcPress("SHIFT F5"));
  EXPECT_TRUE(RowShows({82, -1, -1, -1, -1, -1}));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(RowShows({0, 0, 560, 0, 562, 563}));
  EXPECT_EQ(GraphPart(), screen.substr(0, 56 * 129));
  ASSERT_TRUE(CalcPress("SHIFT"));
  EXPECT_EQ(CalcScreenPicture(), screen);
  // The keys without a tool do nothing.
  for (const char *key : {"F1", "F2", "F4", "SHIFT F1", "F5 F2 EXIT"}) {
    ASSERT_TRUE(CalcPress(key));
    EXPECT_FALSE(CalcScreenHas("X-Value")) << key;
    EXPECT_EQ(CalcScreenPicture(), screen) << key;
  }
  ASSERT_TRUE(CalcPress("SHIFT F5 F1"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("1 EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  EXPECT_EQ(MiniCell(17, 8), "P=0.2196797974");
  ASSERT_TRUE(CalcPress("F5 F1"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("0 EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=0");
  EXPECT_EQ(MiniCell(17, 8), "P=0.3796066898");
  // EXIT leaves the read-out, then the graph.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcScreenPicture(), screen);
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Student-t P.D");
}

}  // namespace
