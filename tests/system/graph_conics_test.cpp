// CONICS as a user meets it: a form chosen from the list, its coefficients
// typed, the conic drawn, and its analyses read from the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph_testapp.h"
#include "tests/support/harness.h"

namespace {

using gapp::MiniCell;

class ConicsSystem : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("8"));
    ASSERT_EQ(CalcTitle(), "@CONICS");
  }
};

TEST_F(ConicsSystem, ParabolaDrawnAndAnalysed) {
  EXPECT_EQ(CalcRow(1), "Select Equation") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN EXE"));
  EXPECT_EQ(CalcRow(1), "Y=AX\u00B2+BX+C") << CalcScreenText();
  ASSERT_TRUE(CalcPress("2 EXE (-) 4 EXE 1 EXE"));
  EXPECT_EQ(CalcRow(3), "A=2") << CalcScreenText();
  EXPECT_EQ(CalcRow(4), "B=\u22124");
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("F1"));  // FOCUS
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  EXPECT_EQ(MiniCell(17, 8), "Y=-0.875");
  ASSERT_TRUE(CalcPress("EXIT F2"));  // SYMMETRY: the line X = 1
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  ASSERT_TRUE(CalcPress("EXIT F6 F1"));  // X-ICPT, the one with the minus sign first
  EXPECT_EQ(MiniCell(1, 8), "X=0.2928932188");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=1.707106781");
  ASSERT_TRUE(CalcPress("EXIT F5"));  // LENGTH, stored in L
  EXPECT_EQ(MiniCell(1, 8), "L=0.5");
  // Back to the editor; A = 0 cannot be drawn.
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ASSERT_TRUE(CalcPress("0 EXE EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
}

TEST_F(ConicsSystem, CoefficientChangedElsewhereIsDrawnAgain) {
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN EXE 2 EXE (-) 4 EXE 1 EXE EXE"));
  // Y = 2X^2 - 4X + 1 at X = 0.5: Y = -0.5.
  EXPECT_TRUE(CalcDot(69, 37));
  // A = 3 stored in RUN-MAT, then the same form drawn again.
  ASSERT_TRUE(CalcPress("MENU 1"));
  ASSERT_TRUE(CalcPress("3 -> A EXE"));
  ASSERT_TRUE(CalcPress("MENU 8 DOWN DOWN DOWN EXE"));
  EXPECT_EQ(CalcRow(3), "A=3") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  // Y = 3X^2 - 4X + 1 at X = 0.5: Y = -0.25; the old curve is gone.
  EXPECT_FALSE(CalcDot(69, 37));
  EXPECT_TRUE(CalcDot(69, 35) || CalcDot(69, 34));
}

// The read-out of the graph screen's bottom line: "X=.. Y=.." for a point,
// "Y=.." for a line, "e=.." for a value, or "Not Found" for the error box.
std::string Readout() {
  if (CalcScreenHas("Not Found")) return "Not Found";
  const std::string left = MiniCell(1, 8), right = MiniCell(17, 8);
  return right.empty() ? left : left + " " + right;
}

// From the top of the form list: the form chosen, its coefficients typed
// in editor order, then DRAW (EXE).
testing::AssertionResult TypeAndDraw(int form, const std::vector<const char *> &coefs) {
  if (CalcRow(1) != "Select Equation") return testing::AssertionFailure() << "no form list:\n" << CalcScreenText();
  for (int i = 1; i < form; ++i) {
    if (auto r = CalcPress("DOWN"); !r) return r;
  }
  if (auto r = CalcPress("EXE"); !r) return r;
  for (const char *v : coefs) {
    if (auto r = CalcPress(std::string(v) + " EXE"); !r) return r;
  }
  return CalcPress("EXE");
}

// A read-out against the expected one; "Y=?" takes any Y: there the
// pointer stands over the Y read-out at the bottom of the screen.
bool Matches(const std::string &shown, const std::string &expected) {
  const size_t any = expected.find(" Y=?");
  if (any == std::string::npos) return shown == expected;
  return shown.substr(0, any) == expected.substr(0, any) && (shown.size() == any || shown[any] == ' ');
}

// Every form drawn from the keys a user types, and each of its analyses read
// from the screen: the points in order (RIGHT steps on and wraps to the
// first), the lines, the values, and the intercepts that do not exist.
TEST_F(ConicsSystem, EveryFormAnalysedOnItsScreen) {
  struct Analysis {
    const char *keys;
    std::vector<std::string> shown;
  };
  struct Case {
    int form;
    std::vector<const char *> coefs;
    std::vector<Analysis> analyses;
  } cases[] = {
      {4, {"2", "(-) 4", "1"},
       {{"F4", {"X=1 Y=-1"}},
        {"F1", {"X=1 Y=-0.875"}},
        {"F3", {"Y=-1.125"}},
        {"F5", {"L=0.5"}},
        {"F6 F1", {"X=0.2928932188 Y=0", "X=1.707106781 Y=0"}},
        {"F6 F2", {"X=0 Y=1"}},
        {"F6 F3", {"e=1"}}}},
      {3, {"0 . 5", "1", "(-) 2"},
       {{"F1", {"X=1 Y=-1.5"}},
        {"F3", {"Y=-2.5"}},
        {"F6 F1", {"X=-1 Y=0", "X=3 Y=0"}},
        {"F6 F2", {"X=0 Y=-1.5"}}}},
      {2, {"1", "2", "(-) 3"},
       {{"F4", {"X=-4 Y=-1"}},
        {"F1", {"X=-3.75 Y=-1"}},
        {"F2", {"Y=-1"}},
        {"F6 F1", {"X=-3 Y=0"}},
        {"F6 F2", {"X=0 Y=?", "X=0 Y=1"}}}},
      {1, {"(-) 0 . 2 5", "1", "2"},
       {{"F1", {"X=1 Y=1"}},
        {"F3", {"X=3"}},
        {"F6 F1", {"X=1.75 Y=0"}},
        {"F6 F2", {"X=0 Y=-1.828427125", "X=0 Y=3.828427125"}}}},
      {5, {"1", "(-) 2", "3"},
       {{"F1", {"X=1 Y=-2"}},
        {"F2", {"r=3"}},
        {"F3", {"X=-1.236067977 Y=0", "X=3.236067977 Y=0"}},
        {"F4", {"X=0 Y=-4.828427125", "X=0 Y=0.8284271247"}}}},
      {6, {"2", "(-) 4", "8", "(-) 8"},
       {{"F1", {"X=1 Y=-2"}},
        {"F2", {"r=3"}},
        {"F3", {"X=-1.236067977 Y=0", "X=3.236067977 Y=0"}},
        {"F4", {"X=0 Y=-4.828427125", "X=0 Y=0.8284271247"}}}},
      {7, {"3", "2", "1", "(-) 1"},
       {{"F1", {"X=3.236067977 Y=-1", "X=-1.236067977 Y=-1"}},
        {"F4", {"X=4 Y=-1", "X=1 Y=1", "X=-2 Y=-1", "X=1 Y=?"}},
        {"F5", {"X=1 Y=-1"}},
        {"F6 F1", {"e=0.7453559925"}},
        {"F2", {"X=-1.598076211 Y=0", "X=3.598076211 Y=0"}}}},
      // A = B: a circle, both foci at the centre.
      {7, {"2", "2", "1", "(-) 1"}, {{"F6 F1", {"e=0"}}, {"F1", {"X=1 Y=-1", "X=1 Y=-1"}}}},
      {9, {"1", "2", "0", "0"},
       {{"F1", {"X=0 Y=2.236067977", "X=0 Y=-2.236067977"}},
        {"F6 F2", {"e=2.236067977"}},
        {"F2", {"Not Found"}},
        {"F3", {"X=0 Y=-1", "X=0 Y=1"}}}},
      {8, {"2", "3", "1", "2"},
       {{"F1", {"X=4.605551275 Y=2", "X=-2.605551275 Y=2"}},
        {"F3", {"Not Found"}},
        {"F2", {"X=-1.40370085 Y=0", "X=3.40370085 Y=0"}},
        {"F6 F2", {"e=1.802775638"}},
        {"F4", {"X=3 Y=2", "X=-1 Y=2"}}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("form " + std::to_string(c.form));
    ASSERT_TRUE(TypeAndDraw(c.form, c.coefs));
    for (const Analysis &a : c.analyses) {
      SCOPED_TRACE(a.keys);
      ASSERT_TRUE(CalcPress(a.keys));
      for (const std::string &shown : a.shown) {
        EXPECT_TRUE(Matches(Readout(), shown)) << Readout() << " for " << shown << "\n" << CalcScreenPicture();
        if (a.shown.size() > 1) {
          ASSERT_TRUE(CalcPress("RIGHT"));
        }
      }
      if (a.shown.size() > 1) {
        EXPECT_TRUE(Matches(Readout(), a.shown[0])) << Readout();  // wrapped round
      }
      ASSERT_TRUE(CalcPress("EXIT"));
    }
    ASSERT_TRUE(CalcPress("SHIFT EXIT"));  // QUIT: the list at its top
  }
  // What the analyses stored: X and Y of the last point (3, 2), R of the
  // last radius, L of the latus rectum, E of the last eccentricity.
  ASSERT_TRUE(CalcPress("MENU 1"));
  ASSERT_TRUE(CalcPress("X * 1 0 0 + Y * 1 0 + R EXE"));
  EXPECT_TRUE(CalcScreenHas("323")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("E + L EXE"));
  EXPECT_TRUE(CalcScreenHas("2.302775638")) << CalcScreenText();
}

// Coefficients that cannot be drawn: Ma ERROR on DRAW, and EXIT returns to
// the editor of the form with the values as typed.
TEST_F(ConicsSystem, CoefficientsThatCannotBeDrawnGiveMaError) {
  struct Case {
    int form;
    std::vector<const char *> coefs;
    const char *row3;
  } cases[] = {
      {4, {"0", "1", "1"}, "A=0"},
      {5, {"1", "1", "0"}, "H=1"},
      {6, {"(-) 1", "0", "0", "(-) 4"}, "A=\u22121"},
      {6, {"1", "0", "0", "0"}, "A=1"},
      {7, {"1", "0", "0", "0"}, "A=1"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("form " + std::to_string(c.form));
    ASSERT_TRUE(TypeAndDraw(c.form, c.coefs));
    EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_EQ(CalcRow(3), c.row3) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT SHIFT EXIT"));  // the list, then its top
  }
}

// CONICS as an e-activity strip: entered not from the main menu, with no
// form remembered in the e-activity's memory, it opens the form list at its
// top; a conic drawn there is still shown when the user switches back to
// the strip, and drawn again once a coefficient changed in between (the
// picture kept with the graph record would otherwise come back).
class ConicsStrip : public CalcSystemTest {};

TEST_F(ConicsStrip, ListAtItsTopGraphKeptAndRedrawnAfterACoefficientChanged) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(CalcPress("3 F2"));
  ASSERT_TRUE(CalcPostCodes({'A', 'B'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("F2 DOWN DOWN DOWN DOWN EXE"));  // the conic strip
  ASSERT_TRUE(CalcPress("EXE"));                         // runs it
  EXPECT_EQ(CalcTitle(), "@CONICS");
  EXPECT_EQ(CalcRow(1), "Select Equation") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "X=A(Y-K)\u00B2+H");
  EXPECT_EQ(CalcRow(6), "Y=A(X-H)\u00B2+K");
  ASSERT_TRUE(TypeAndDraw(4, {"2", "(-) 4", "1"}));
  EXPECT_TRUE(CalcDot(69, 37));  // Y = 2X^2 - 4X + 1 at X = 0.5
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  EXPECT_EQ(CalcTitle(), "@EACT");
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  EXPECT_EQ(CalcTitle(), "@CONICS");
  EXPECT_TRUE(CalcDot(69, 37));
  ASSERT_TRUE(CalcPress("F1"));  // FOCUS on the kept graph
  EXPECT_EQ(Readout(), "X=1 Y=-0.875");
  // A = 3 stored by a calculation line of the e-activity while the graph
  // waits; back in the strip, DRAW from the editor draws the new conic.
  ASSERT_TRUE(CalcPress("EXIT SHIFT ->"));
  ASSERT_TRUE(CalcPress("DOWN F3 3 -> A EXE"));
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  EXPECT_EQ(CalcTitle(), "@CONICS");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(3), "A=3") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  // Y = 3X^2 - 4X + 1 at X = 0.5: Y = -0.25; the old curve is gone.
  EXPECT_FALSE(CalcDot(69, 37));
  EXPECT_TRUE(CalcDot(69, 35) || CalcDot(69, 34));
}

// A View Window changed while an analysis is shown is not left over the old
// picture: as from the graph itself, the coefficients come back, and DRAW
// draws in the new window.
TEST_F(ConicsSystem, ViewWindowChangedDuringAnAnalysis) {
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN EXE 2 EXE (-) 4 EXE 1 EXE EXE"));
  // The vertex (1, -1) on the initial window.
  EXPECT_TRUE(CalcDot(74, 42));
  ASSERT_TRUE(CalcPress("F1"));  // FOCUS
  ASSERT_TRUE(CalcPress("SHIFT F3 F3 EXIT"));  // STD: -10..10 both ways
  EXPECT_EQ(CalcRow(1), "Y=AX\u00B2+BX+C") << CalcScreenText();
  EXPECT_EQ(CalcRow(3), "A=2");
  ASSERT_TRUE(CalcPress("EXE"));
  // The vertex six dots right and three down from the middle.
  EXPECT_TRUE(CalcDotNear(70, 35)) << CalcScreenPicture();
  EXPECT_FALSE(CalcDot(74, 42));
}

// Left unchanged, the analysis stays with its read-out.
TEST_F(ConicsSystem, ViewWindowLeftUnchangedDuringAnAnalysis) {
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN EXE 2 EXE (-) 4 EXE 1 EXE EXE"));
  ASSERT_TRUE(CalcPress("F1"));
  const std::string before = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT F3 EXIT"));
  EXPECT_EQ(MiniCell(1, 8), "X=1") << CalcScreenText();
  EXPECT_EQ(MiniCell(17, 8), "Y=-0.875");
  EXPECT_EQ(CalcScreenPicture(), before);
}

}  // namespace
