// StatGraphs as a user meets them in STAT: GRP1 draws, the pop-up of a
// histogram, bad data refused with its error box, the screen's scroll,
// trace and CALC with the graph chooser, and leaving back to the editor.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "apps/stat/stat_cond.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "tests/support/harness.h"
#include "tests/system/graph_testapp.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

// A value as the display shows it, read back as a double.
double Shown(const Value &v) {
  char t[kNumTextSize];
  NumToText(&v, t);
  std::string s = t;
  for (char &c : s)
    if (static_cast<u8>(c) == 0x87) c = '-';
  return std::stod(s);
}

double Var(char name) {
  Value v;
  SysReadVariable(static_cast<u8>(name), &v);
  return Shown(v);
}

double Vwin(int field) {
  Value v{};
  GmemReadVwinValue(&v.re, field);
  return Shown(v);
}

// The hollow square mark around (x, y).
bool Square(int x, int y) { return CalcDot(x - 1, y - 1) && CalcDot(x + 1, y + 1) && !CalcDot(x, y); }

class StatGraphScreen : public CalcSystemTest {
 protected:
  void SetUp() override {
    // The calculator's RAM outlives a restart, as the lists of a real one
    // do: each test starts from empty lists rather than the last test's.
    HostFreeCalcRam();
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("RIGHT EXE"));
    ASSERT_EQ(CalcTitle(), "@STAT");
    // The grid off, so that the marks stand alone.
    SetupSetItem(kSetupGrid, 1);
    ASSERT_EQ(GmemResetVwin(1), 0u);
    editorTop_ = CalcRow(1);
  }
  // Back in the list editor: its header row as on entry.
  void ExpectEditor() { EXPECT_EQ(CalcRow(1), editorTop_) << CalcScreenText(); }
  std::string editorTop_;
  // Types each number followed by EXE into the current list.
  static testing::AssertionResult Cells(std::initializer_list<const char *> numbers) {
    for (const char *n : numbers) {
      std::string keys;
      for (const char *p = n; *p; ++p) keys += *p == '-' ? std::string("(-) ") : std::string(1, *p) + " ";
      testing::AssertionResult r = CalcPress(keys + "EXE");
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  // List 1 and List 2 of the editor filled, the cursor back on List 1.
  static testing::AssertionResult Pairs(std::initializer_list<const char *> x, std::initializer_list<const char *> y) {
    testing::AssertionResult r = Cells(x);
    if (r) r = CalcPress("RIGHT");
    if (r) r = Cells(y);
    if (r) r = CalcPress("LEFT");
    return r;
  }
  // Block s of "G_CND" (slots 1-3), written while the calculator waits.
  static void SetBlock(int s, i16 draw, i16 type, i16 x, i16 y, i16 f, i16 mark) {
    u16 cond[kStatGraphWords];
    ASSERT_EQ(StatLoadGraphCond(cond), 0);
    const u16 b[7] = {static_cast<u16>(draw), static_cast<u16>(type), static_cast<u16>(x), static_cast<u16>(y),
                      static_cast<u16>(f), static_cast<u16>(mark), 0};
    std::memcpy(cond + 7 * s, b, sizeof b);
    ASSERT_EQ(StatWriteGraphCond(cond), 0);
  }
};

TEST_F(StatGraphScreen, Grp1DrawsTheScatterPlotAndTraceWalksItsPoints) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetupSetItem(kSetupAngle, 0);
  ASSERT_TRUE(CalcPress("F1 F1"));
  EXPECT_NEAR(Vwin(kVwinXmin), 1.0 / 3, 1e-9);
  EXPECT_NEAR(Vwin(kVwinYmax), 6, 1e-9);
  for (const auto &d : {std::pair{17, 51}, {40, 26}, {64, 13}, {88, 26}, {111, 13}})
    EXPECT_TRUE(Square(d.first, d.second)) << d.first << "\n" << CalcScreenPicture();
  // Drawing turns the angle unit to radians, and it stays.
  EXPECT_EQ(SetupGetItem(kSetupAngle), 1);

  // SHIFT F1: trace from the first pair; RIGHT moves to the next one.
  ASSERT_TRUE(CalcPress("SHIFT F1"));
  EXPECT_EQ(Var('X'), 1);
  EXPECT_EQ(Var('Y'), 2);
  EXPECT_TRUE(CalcScreenHas("StatGraph1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(Var('X'), 2);
  EXPECT_EQ(Var('Y'), 4);
  ASSERT_TRUE(CalcPress("EXIT"));

  // A scroll moves the window by 12 dots and draws again.
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_NEAR(Vwin(kVwinXmin), 1.0 / 3 + 12 * (16.0 / 3) / 126, 1e-9);
  EXPECT_TRUE(Square(17 - 12, 51)) << CalcScreenPicture();

  // EXIT: back in the list editor, the lists unchanged.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcTitle(), "@STAT");
  ExpectEditor();
}

TEST_F(StatGraphScreen, HistogramPopUpDrawsOrLeavesWithoutDrawing) {
  ASSERT_TRUE(Cells({"2", "4", "4", "4", "5", "5", "7", "9"}));
  SetBlock(1, 1, 4, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F1"));
  EXPECT_TRUE(CalcScreenHas("Histogram Setting")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("Start:2")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("Width:0.7778")) << CalcScreenText();
  // EXIT draws nothing: the editor again.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(CalcScreenHas("Histogram Setting"));
  ExpectEditor();

  // A new Width typed on its line, then EXE draws with it.
  ASSERT_TRUE(CalcPress("F1 F1 DOWN 1 EXE"));
  BcdReal start, width;
  ASSERT_EQ(StatReadHistParams(&start, &width), 0);
  Value v{};
  v.re = width;
  char t[kNumTextSize];
  NumToText(&v, t);
  EXPECT_STREQ(t + std::strspn(t, " "), "1");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_FALSE(CalcScreenHas("Histogram Setting")) << CalcScreenText();
  // Trace: the class's lower edge and count in X and F.
  ASSERT_TRUE(CalcPress("SHIFT F1"));
  EXPECT_EQ(Var('X'), 2);
  EXPECT_EQ(Var('F'), 1);
  ASSERT_TRUE(CalcPress("RIGHT RIGHT"));
  EXPECT_EQ(Var('X'), 4);
  EXPECT_EQ(Var('F'), 3);
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

TEST_F(StatGraphScreen, BadDataShowsItsErrorAndChangesNothing) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"1", "1", "1", "1"}));
  struct Case {
    i16 type, y, f;
    const char *error;
  };
  const Case cases[] = {
      {1, 3, 0, "Dimension ERROR"},   // empty Y list
      {4, 2, 2, "Dimension ERROR"},   // frequency list of another length
      {9, 2, 0, "Dimension ERROR"},   // both lists must hold the same count
  };
  VwinRecord before;
  ASSERT_EQ(GmemReadVwin(&before), 0u);
  for (const Case &c : cases) {
    SetBlock(1, 1, c.type, 1, c.y, c.f, 2);
    SetBlock(2, 0, 1, 1, 2, 0, 2);
    ASSERT_TRUE(CalcPress("F1 F4 F3"));  // SEL, its Draw
    EXPECT_TRUE(CalcScreenHas(c.error)) << c.type << "\n" << CalcScreenText();
    // The box, then the GRPH menu.
    ASSERT_TRUE(CalcPress("EXIT EXIT"));
    ExpectEditor();
    VwinRecord after;
    ASSERT_EQ(GmemReadVwin(&after), 0u);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << c.type;
  }
  // A histogram and a scatter plot cannot be drawn together.
  SetBlock(1, 1, 4, 1, 2, 0, 2);
  SetBlock(2, 1, 1, 1, 1, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F4 F3"));
  EXPECT_TRUE(CalcScreenHas("Condition ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
}

TEST_F(StatGraphScreen, CalcFromTwoGraphsChoosesOneAndDrawsItsRegression) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  SetBlock(2, 1, 1, 2, 1, 0, 1);
  ASSERT_TRUE(CalcPress("F1 F4 F3"));
  // CALC, X: the chooser starts on StatGraph1; DOWN shows StatGraph2, EXIT
  // keeps the graph screen.
  ASSERT_TRUE(CalcPress("F1 F2"));
  EXPECT_TRUE(CalcScreenHas("StatGraph1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_TRUE(CalcScreenHas("StatGraph2")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(CalcScreenHas("StatGraph2"));
  // Again, EXE on StatGraph1: the linear fit's result, Draw draws its line.
  ASSERT_TRUE(CalcPress("F1 F2"));
  EXPECT_TRUE(CalcScreenHas("StatGraph1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "LinearReg") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "   a =0.6");
  ASSERT_TRUE(CalcPress("F6"));
  // The line y = 0.6x + 2.2 in the window of both graphs.
  u16 cond[kStatGraphWords];
  ASSERT_EQ(StatReadGraphCond(cond), 0);
  EXPECT_EQ(cond[0], 1);
  EXPECT_EQ(cond[1], 9);
  // Trace starts on the regression at the middle column, steps a column,
  // and DOWN takes x to the nearest pair of StatGraph1.
  ASSERT_TRUE(CalcPress("SHIFT F1"));
  EXPECT_NEAR(Var('X'), 3, 1e-9) << CalcScreenPicture();
  EXPECT_NEAR(Var('Y'), 4, 1e-9);
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_NEAR(Var('X'), 3.04232804232804, 1e-9);
  EXPECT_NEAR(Var('Y'), 4.02539682539683, 1e-9);
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Var('X'), 3);
  EXPECT_EQ(Var('Y'), 5);
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// Zoom out (SHIFT F2, OUT, EXE at the pointer's start in the middle) halves
// the scale about the window's centre and draws the StatGraphs again under
// the screen's row; G<->T goes to the editor and back to the same picture,
// whose trace still walks the pairs. A sub-menu closed gives the row back.
TEST_F(StatGraphScreen, ZoomOutAndGraphTableKeepTheStatGraphs) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F1"));
  const std::string before = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT F2 F4 EXE"));
  EXPECT_NEAR(Vwin(kVwinXmin), 3 - 16.0 / 3, 1e-9);
  EXPECT_NEAR(Vwin(kVwinXmax), 3 + 16.0 / 3, 1e-9);
  EXPECT_NEAR(Vwin(kVwinYmin), 3.5 - 5, 1e-9);
  EXPECT_NEAR(Vwin(kVwinYmax), 3.5 + 5, 1e-9);
  const std::string zoomed = CalcScreenPicture();
  EXPECT_NE(zoomed, before);
  EXPECT_EQ(zoomed.substr(56 * 129), before.substr(56 * 129));  // CALC, DEFG
  // The pair (3, 5) at the middle column, 1.5 units above the middle row.
  EXPECT_TRUE(Square(64, 23)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  ExpectEditor();
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_EQ(CalcScreenPicture(), zoomed);
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(CalcScreenPicture(), zoomed);
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcScreenPicture(), zoomed);
  ASSERT_TRUE(CalcPress("SHIFT F1 RIGHT RIGHT"));
  EXPECT_EQ(Var('X'), 3);
  EXPECT_EQ(Var('Y'), 5);
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// CALC and Draw put the regression into the overlay; leaving STAT clears
// its fit. DrawStat in RUN-MAT then fits it again and draws it with the
// scatter plot: the trace starts on the regression and goes on to the data.
TEST_F(StatGraphScreen, DrawStatAfterCalcDrawFitsTheRegressionAgain) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F1 F1 F2 F6 EXIT EXIT"));
  ExpectEditor();
  ASSERT_TRUE(CalcPress("MENU LEFT EXE"));
  ASSERT_EQ(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPostCodes({0xF723, kKeyExe}));  // DrawStat
  EXPECT_FALSE(CalcScreenHas("ERROR")) << CalcScreenText();
  EXPECT_TRUE(Square(64, 13)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT F1"));
  EXPECT_EQ(CalcRow(1), "Regression") << CalcScreenText();
  EXPECT_NEAR(Var('X'), 3, 1e-9);
  EXPECT_NEAR(Var('Y'), 4, 1e-9);
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(1), "StatGraph1") << CalcScreenText();
  EXPECT_EQ(Var('Y'), 5);
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
}

TEST_F(StatGraphScreen, TraceWalksABoxPlotFromMinimumThroughOutliersToMaximum) {
  ASSERT_TRUE(Cells({"-40", "1", "2", "3", "4", "5", "6", "7", "8", "9", "60", "100"}));
  SetBlock(1, 1, 6, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F1 SHIFT F1"));
  for (double want : {-40.0, 1.0, 2.5, 5.5, 8.5, 9.0, 60.0, 100.0}) {
    EXPECT_EQ(Var('X'), want);
    ASSERT_TRUE(CalcPress("RIGHT"));
  }
  EXPECT_EQ(Var('X'), 100);  // the walk stops at maxX
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// Estimation (SHIFT, G-SLV, Y-CAL) with a scatter plot in
// StatGraph1 and the linear regression y = 0.6x + 2.2 in StatGraph2.
TEST_F(StatGraphScreen, EstimateReadsXAndStoresTheRegressionsY) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  SetBlock(2, 1, 9, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F4 F3"));
  // The mode opens on the only regression; UP and DOWN stay on it.
  ASSERT_TRUE(CalcPress("SHIFT F5 F1"));
  EXPECT_EQ(CalcRow(1), "StatGraph2") << CalcScreenText();
  for (const char *key : {"UP", "DOWN"}) {
    ASSERT_TRUE(CalcPress(key));
    EXPECT_EQ(CalcRow(1), "StatGraph2") << key << "\n" << CalcScreenText();
    EXPECT_FALSE(CalcScreenHas("X-Value")) << key;
  }
  // EXE asks for x with an empty field; the estimate lands in X and Y.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_FALSE(CalcScreenHas("X-Value")) << CalcScreenText();
  EXPECT_DOUBLE_EQ(Var('X'), 3);
  EXPECT_DOUBLE_EQ(Var('Y'), 4);
  // A digit typed on the graph opens the input with that digit entered; a
  // y far above the window is still estimated.
  ASSERT_TRUE(CalcPress("1"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("X:1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("0 0 EXE"));
  EXPECT_DOUBLE_EQ(Var('X'), 100);
  EXPECT_DOUBLE_EQ(Var('Y'), 62.2);
  // x outside (-1E98, 1E98): Argument ERROR, the input is asked again and
  // X and Y keep the last estimate.
  for (const char *x : {"1 EXP 9 8", "(-) 1 EXP 9 8", "2 EXP 9 9"}) {
    ASSERT_TRUE(CalcPress(std::string("XtT ") + x + " EXE"));
    EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << x << "\n" << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << x << "\n" << CalcScreenText();
    ASSERT_TRUE(CalcPress("AC 2 EXE"));
    EXPECT_DOUBLE_EQ(Var('X'), 2) << x;
    EXPECT_DOUBLE_EQ(Var('Y'), 3.4) << x;
  }
  // EXIT in the input leaves the mode; EXIT again leaves the graph screen.
  ASSERT_TRUE(CalcPress("EXE EXIT"));
  EXPECT_FALSE(CalcScreenHas("X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  ExpectEditor();
}

// Without a drawn regression the mode ends at once: the graph screen and X
// stay as they were.
TEST_F(StatGraphScreen, EstimateWithoutARegressionReturnsAtOnce) {
  ASSERT_TRUE(Pairs({"1", "2", "3"}, {"2", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  SetBlock(2, 0, 9, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F4 F3"));
  // The graph's dots (the menu row aside).
  auto graph = [] { return CalcScreenPicture().substr(0, 56 * 129); };
  const std::string before = graph();
  const double x = Var('X');
  ASSERT_TRUE(CalcPress("SHIFT F5 F1"));
  EXPECT_FALSE(CalcScreenHas("X-Value")) << CalcScreenText();
  EXPECT_EQ(graph(), before);
  EXPECT_EQ(Var('X'), x);
  ASSERT_TRUE(CalcPress("EXIT"));
  ExpectEditor();
}

// A regression line wholly above a manual window: the trace's pointer is
// hidden, yet LEFT and RIGHT still step x a dot and show the new values.
TEST_F(StatGraphScreen, CurveTraceStepsOnWhileThePointerIsOffTheScreen) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  SetBlock(2, 1, 9, 1, 2, 0, 2);
  SetupSetItem(kSetupStatWind, 1);
  for (const auto &f : {std::pair{kVwinYmin, "-10"}, {kVwinYmax, "0"}}) {
    BcdReal v;
    NumParse(f.second, &v);
    ASSERT_EQ(GmemWriteVwinValue(&v, f.first), 0u);
  }
  ASSERT_TRUE(CalcPress("F1 F4 F3"));
  // The initial window: a dot is 0.1 wide. DOWN from the first pair takes
  // x = 1 to the line y = 0.6x + 2.2.
  ASSERT_TRUE(CalcPress("SHIFT F1 DOWN"));
  EXPECT_EQ(Var('X'), 1);
  EXPECT_NEAR(Var('Y'), 2.8, 1e-9);
  const struct {
    const char *key;
    double x;
  } steps[] = {{"RIGHT", 1.1}, {"RIGHT", 1.2}, {"LEFT", 1.1}, {"LEFT", 1}, {"LEFT", 0.9}};
  for (const auto &st : steps) {
    ASSERT_TRUE(CalcPress(st.key));
    EXPECT_NEAR(Var('X'), st.x, 1e-9) << st.key << "\n" << CalcScreenText();
    EXPECT_NEAR(Var('Y'), 0.6 * st.x + 2.2, 1e-9) << st.key;
  }
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// DEFG: a Y= function typed in the list, chosen, styled and drawn over the
// scatter plot; it is drawn again after a scroll and traced after the data.
TEST_F(StatGraphScreen, DefgDrawsAGraphFunctionOverTheStatGraphs) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  ASSERT_TRUE(CalcPress("F1 F1"));
  ASSERT_FALSE(CalcDot(64, 26)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(1), "Graph Func:Y=") << CalcScreenText();
  // A typed line is stored and chosen for the statistical graphs; SEL
  // takes the choice back and gives it again.
  ASSERT_TRUE(CalcPress("XtT + 1 EXE UP"));
  EXPECT_TRUE(CalcScreenHas("X+1")) << CalcScreenText();
  EXPECT_NE(GmemTestFuncFlags(1, kGraphSelStat), 0u);
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(GmemTestFuncFlags(1, kGraphSelStat), 0u);
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(GmemTestFuncFlags(1, kGraphSelStat), 0u);
  // STYL, the second Line: thick.
  ASSERT_TRUE(CalcPress("F4 F2"));
  EXPECT_EQ(GmemReadFuncKind(1), 3);
  // Draw: y = x + 1 over the scatter plot (x = 3 at column 64, y = 4 at
  // row 26), the squares kept, the flag of the drawn functions written.
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_FALSE(CalcScreenHas("Graph Func")) << CalcScreenText();
  EXPECT_TRUE(CalcDot(64, 26)) << CalcScreenPicture();
  EXPECT_TRUE(Square(111, 13)) << CalcScreenPicture();
  u16 cond[kStatGraphWords];
  ASSERT_EQ(StatReadGraphCond(cond), 0);
  EXPECT_EQ(cond[28], 1);
  // A scroll draws both again on the moved window.
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_TRUE(CalcDot(64 - 12, 26)) << CalcScreenPicture();
  EXPECT_TRUE(Square(17 - 12, 51)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("LEFT"));
  // Trace: the data first, DOWN goes on to the function at the same x,
  // DOWN again back to the data.
  ASSERT_TRUE(CalcPress("SHIFT F1 RIGHT"));
  EXPECT_EQ(Var('X'), 2);
  EXPECT_EQ(Var('Y'), 4);
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_NEAR(Var('X'), 2, 1e-9) << CalcScreenText();
  EXPECT_NEAR(Var('Y'), 3, 1e-9) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Var('X'), 2);
  EXPECT_EQ(Var('Y'), 4);
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// Estimation goes on from the regression to the graph function drawn over
// the StatGraphs (y = x + 1): its label on top, x asked, the estimate
// stored, shown and marked; past the function the regression again.
TEST_F(StatGraphScreen, EstimateGoesOnToTheGraphFunctionsDrawnOverTheStatGraphs) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  SetBlock(1, 1, 1, 1, 2, 0, 2);
  SetBlock(2, 1, 9, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F4 F3 F2 XtT + 1 EXE F5"));
  ASSERT_TRUE(CalcPress("SHIFT F5 F1"));
  EXPECT_EQ(CalcRow(1), "StatGraph2") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(1), "Y1=X+1") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(Var('X'), 3);
  EXPECT_EQ(Var('Y'), 4);
  EXPECT_EQ(gapp::MiniCell(1, 8) + " " + gapp::MiniCell(17, 8), "X=3 Y=4") << CalcScreenPicture();
  // A digit typed on the graph starts the input with it.
  ASSERT_TRUE(CalcPress("2"));
  EXPECT_TRUE(CalcScreenHas("X:2")) << CalcScreenText();
  ASSERT_TRUE(CalcPress(". 5 EXE"));
  EXPECT_EQ(Var('X'), 2.5);
  EXPECT_EQ(Var('Y'), 3.5);
  EXPECT_EQ(gapp::MiniCell(1, 8) + " " + gapp::MiniCell(17, 8), "X=2.5 Y=3.5") << CalcScreenPicture();
  // DOWN past the only function: the regression; UP before it: the
  // function, from the middle column's x.
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(1), "StatGraph2") << CalcScreenText();
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(CalcRow(1), "Y1=X+1") << CalcScreenText();
  EXPECT_EQ(Var('X'), 3);
  EXPECT_EQ(Var('Y'), 4);
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// With a function of its own x range (-2..2) drawn over a scatter plot and
// no regression, estimation opens on the function at the middle column's x
// kept inside the range, stays there, and refuses an x outside the range.
TEST_F(StatGraphScreen, EstimateWithOnlyAGraphFunctionOpensOnItInsideItsRange) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  ASSERT_TRUE(CalcPress("F1 F1 F2 XtT + 1 , SHIFT + (-) 2 , 2 SHIFT - EXE F5"));
  ASSERT_TRUE(CalcPress("SHIFT F5 F1"));
  const std::string label = CalcRow(1);
  EXPECT_EQ(label.substr(0, 6), "Y1=X+1") << CalcScreenText();
  EXPECT_EQ(Var('X'), 2);
  EXPECT_EQ(Var('Y'), 3);
  for (const char *key : {"UP", "DOWN"}) {
    ASSERT_TRUE(CalcPress(key));
    EXPECT_EQ(CalcRow(1), label) << key;
  }
  ASSERT_TRUE(CalcPress("XtT 2 . 5 EXE"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("AC (-) 2 EXE"));
  EXPECT_EQ(Var('X'), -2);
  EXPECT_EQ(Var('Y'), -1);
  EXPECT_EQ(gapp::MiniCell(1, 8) + " " + gapp::MiniCell(17, 8), "X=-2 Y=-1") << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ExpectEditor();
}

// SHIFT on the StatGraph screen offers the tools a StatGraph takes: paired
// data G-SLV with Y-CAL alone, single-variable data nothing on F5; ZOOM
// without AUTO.
TEST_F(StatGraphScreen, ShiftRowOffersTheToolsOfTheDrawnKind) {
  ASSERT_TRUE(Pairs({"1", "2", "3"}, {"2", "4", "5"}));
  const struct {
    i16 type;
    const char *keys;
    int icons[6];
  } rows[] = {
      {1, "SHIFT", {558, 559, 560, 561, 562, 563}},
      {1, "SHIFT F2", {98, 565, 566, 567, 0, 6}},
      {1, "SHIFT F5", {82, -1, -1, -1, -1, -1}},
      {5, "SHIFT", {558, 559, 560, 561, 0, 563}},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.keys);
    SetBlock(1, 1, row.type, 1, 2, 0, 2);
    ASSERT_TRUE(CalcPress("F1 F1 " + std::string(row.keys)));
    for (int key = 0; key < 6; ++key) {
      if (row.icons[key] < 0) continue;
      const u8 *bitmap = nullptr;
      ASSERT_EQ(FkeyIconBitmap(row.icons[key], &bitmap), 1u);
      for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 21; ++c)
          ASSERT_EQ(CalcDot(key * 21 + 2 + c, 56 + r), ((bitmap[3 * r + c / 8] >> (7 - c % 8)) & 1) != 0)
              << row.keys << " F" << key + 1 << " at " << c << "," << r << "\n" << CalcScreenPicture();
    }
    // SHIFT again takes a pending SHIFT back; AC leaves the graph and EXIT
    // the editor's GRPH menu.
    ASSERT_TRUE(CalcPress(std::string(row.keys) == "SHIFT" ? "SHIFT AC EXIT" : "AC EXIT"));
    ExpectEditor();
  }
  // F5 of the box plot's row does nothing: the graph stays.
  SetBlock(1, 1, 5, 1, 2, 0, 2);
  ASSERT_TRUE(CalcPress("F1 F1"));
  const std::string before = CalcScreenPicture().substr(0, 56 * 129);
  ASSERT_TRUE(CalcPress("SHIFT F5"));
  EXPECT_EQ(CalcScreenPicture().substr(0, 56 * 129), before);
  EXPECT_FALSE(CalcScreenHas("X-Value"));
  ASSERT_TRUE(CalcPress("AC"));
  ExpectEditor();
}

// DEFG's other ways out: EXIT keeps the graph as it was; Draw with no
// function chosen shows its error and ends the graph screen.
TEST_F(StatGraphScreen, DefgExitKeepsTheGraphAndDrawWithoutAFunctionFails) {
  ASSERT_TRUE(Pairs({"1", "2", "3", "4", "5"}, {"2", "4", "5", "4", "5"}));
  ASSERT_TRUE(CalcPress("F1 F1"));
  auto graph = [] { return CalcScreenPicture().substr(0, 56 * 129); };
  const std::string before = graph();
  ASSERT_TRUE(CalcPress("F2 EXIT"));
  EXPECT_EQ(graph(), before);
  ASSERT_TRUE(CalcPress("F2 F5"));
  EXPECT_TRUE(CalcScreenHas("Condition ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  ExpectEditor();
  u16 cond[kStatGraphWords];
  ASSERT_EQ(StatReadGraphCond(cond), 0);
  EXPECT_EQ(cond[28], 0);
}

}  // namespace

namespace {

// StatGraphs set and drawn by a program line on the run screen.
class StatGraphProg : public CalcSystemTest {
 protected:
  void SetUp() override {
    HostFreeCalcRam();
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
    SetupSetItem(kSetupGrid, 1);
  }
  static void SetList(u8 list, std::initializer_list<const char *> values) {
    ASSERT_EQ(ItemListCreate(0, list, static_cast<u32>(values.size())), 0u);
    u32 i = 1;
    for (const char *t : values) {
      Value v{};
      NumParse(t, &v.re);
      ASSERT_EQ(ItemListSet(0, list, i++, &v), 0u);
    }
  }
};

constexpr u16 kSGph1 = 0xF74A, kDrawOn = 0xF7CC, kScatter = 0xF750, kHist = 0xF752, kSquare = 0xF74D,
              kDrawStat = 0xF723, kListWord = 0x7F51;

TEST_F(StatGraphProg, SGph1AndDrawStatDrawGrp1sPictureAndWindow) {
  SetList(1, {"1", "2", "3", "4", "5"});
  SetList(2, {"2", "4", "5", "4", "5"});
  ASSERT_TRUE(CalcPostCodes({kSGph1, kDrawOn, ',', kScatter, ',', kListWord, '1', ',', kListWord, '2', ',', '1', ',', kSquare,
                             ':', kDrawStat, kKeyExe}));
  EXPECT_NEAR(Vwin(kVwinXmin), 1.0 / 3, 1e-9);
  EXPECT_NEAR(Vwin(kVwinXmax), 17.0 / 3, 1e-9);
  EXPECT_NEAR(Vwin(kVwinYmin), 1, 1e-9);
  EXPECT_NEAR(Vwin(kVwinYmax), 6, 1e-9);
  for (const auto &d : {std::pair{17, 51}, {40, 26}, {64, 13}, {88, 26}, {111, 13}})
    EXPECT_TRUE(Square(d.first, d.second)) << d.first << "\n" << CalcScreenPicture();
  // The picture's own keys: trace over the pairs.
  ASSERT_TRUE(CalcPress("SHIFT F1 RIGHT"));
  Value x;
  SysReadVariable('X', &x);
  char t[kNumTextSize];
  NumToText(&x, t);
  EXPECT_STREQ(t + std::strspn(t, " "), "2");
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
}

TEST_F(StatGraphProg, HistogramFromAProgramUsesTheAutomaticClassesWithoutPopUp) {
  SetList(1, {"2", "4", "4", "4", "5", "5", "7", "9"});
  ASSERT_TRUE(CalcPostCodes({kSGph1, kDrawOn, ',', kHist, ',', kListWord, '1', ',', '1', ':', kDrawStat, kKeyExe}));
  EXPECT_FALSE(CalcScreenHas("Histogram Setting")) << CalcScreenText();
  BcdReal start, width;
  ASSERT_EQ(StatReadHistParams(&start, &width), 0);
  Value v{};
  v.re = width;
  char t[kNumTextSize];
  NumToText(&v, t);
  EXPECT_STREQ(t + std::strspn(t, " "), "0.7778");
  u16 cond[kStatGraphWords];
  ASSERT_EQ(StatReadGraphCond(cond), 0);
  EXPECT_EQ(cond[7 + 1], 4);
  EXPECT_EQ(cond[7 + 4], 0);
  ASSERT_TRUE(CalcPress("EXIT"));
}

// DrawStat draws the StatGraphs alone, even where "G_CND" still says graph
// functions were drawn over the last picture: the picture's trace stays on
// the data instead of walking on to a function not drawn (y = x + 3).
TEST_F(StatGraphProg, DrawStatForgetsTheGraphFunctionsOfAnEarlierPicture) {
  SetList(1, {"1", "2", "3", "4", "5"});
  SetList(2, {"2", "4", "5", "4", "5"});
  const u8 head[4] = {0x08, 0x01, kGraphSelStat, 2};
  ASSERT_EQ(GmemWriteFuncItem(1, head, "X\x89" "3"), 0u);
  u16 cond[kStatGraphWords];
  ASSERT_EQ(StatLoadGraphCond(cond), 0);
  cond[28] = 1;
  ASSERT_EQ(StatWriteGraphCond(cond), 0);
  ASSERT_TRUE(CalcPostCodes({kSGph1, kDrawOn, ',', kScatter, ',', kListWord, '1', ',', kListWord, '2', ',', '1', ',', kSquare,
                             ':', kDrawStat, kKeyExe}));
  ASSERT_EQ(StatReadGraphCond(cond), 0);
  EXPECT_EQ(cond[28], 0);
  EXPECT_FALSE(CalcDot(17, 26)) << CalcScreenPicture();  // no y = x + 3 through (1, 4)
  ASSERT_TRUE(CalcPress("SHIFT F1"));
  for (const char *key : {"DOWN", "UP"}) {
    ASSERT_TRUE(CalcPress(key));
    EXPECT_EQ(Var('X'), 1) << key;
    EXPECT_EQ(Var('Y'), 2) << key << "\n" << CalcScreenText();
  }
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
}

}  // namespace
