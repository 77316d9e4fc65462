// The equation application as a user meets it: opened from the main menu,
// sizes chosen, coefficients typed cell by cell, solved, scrolled, and the
// Solver run on a typed equation; the items read back where the screen
// cannot show what changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "memory/item_array.h"
#include "apps/calc/equa_model.h"
#include "numeric/equa_solve.h"
#include "tests/support/golden.h"
#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"
#include "ui/keycodes.h"

namespace {

// The golden pictures beside this file (the compiler names it relative to
// the build folder; the test runs two folders below it).
std::string GoldenPath(const std::string &name) {
  const std::string here = __FILE__;
  std::string dir = here.substr(0, here.rfind('/'));
  if (!dir.empty() && dir[0] != '/' && !std::filesystem::exists(dir + "/golden")) dir = "../../" + dir;
  return dir + "/golden/" + name;
}

class Equa : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    // EQUA is the first icon of the third row.
    ASSERT_TRUE(CalcPress("DOWN DOWN EXE"));
    ASSERT_EQ(CalcTitle(), "@EQUA");
  }
  static testing::AssertionResult Codes(std::initializer_list<u16> codes) {
    for (u16 c : codes) {
      if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << "code refused";
      testing::AssertionResult idle = CalcWaitIdle();
      if (!idle) return idle;
    }
    return testing::AssertionSuccess();
  }
  // Types each number of a list followed by EXE ("-4" with the (-) key).
  static testing::AssertionResult Cells(std::initializer_list<const char *> numbers) {
    for (const char *n : numbers) {
      std::string keys;
      for (const char *p = n; *p; ++p) {
        if (*p == '-') keys += "(-) ";
        else keys += std::string(1, *p) + " ";
      }
      testing::AssertionResult r = CalcPress(keys + "EXE");
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  // The value line (row 7) without its leading blanks.
  static std::string Shown() {
    std::string s = CalcRow(7);
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first);
  }
  static bool HasResult(u8 matrix) {
    u32 r = 0, c = 0;
    return ItemMatDims(matrix, &r, &c) == 0;
  }
  static std::string Screen() { return CalcScreenPicture(); }
};

TEST_F(Equa, TypeMenuShowsTheThreeTools) {
  EXPECT_EQ(CalcRow(1), "Equation");
  EXPECT_EQ(CalcRow(2), "Select Type");
  EXPECT_TRUE(CalcScreenHas("F1:Simultaneous")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("F2:Polynomial"));
  EXPECT_TRUE(CalcScreenHas("F3:Solver"));
}

TEST_F(Equa, ThreeUnknownsTypedSolvedAndSolvedAgainAfterAnyChange) {
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "No Data In Memory") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(1), "aₙX+bₙY+CₙZ=dₙ") << CalcScreenText();
  EXPECT_EQ(Shown(), "0");
  ASSERT_TRUE(Cells({"1", "1", "1", "6", "0", "2", "5", "-4", "2", "5", "-1", "27"}));
  // EXE on the last cell leaves the cursor there.
  EXPECT_EQ(Shown(), "27");
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Shown(), "5") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Shown(), "3");
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Shown(), "−2");
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Shown(), "5") << "DOWN from the last unknown wraps to the first";
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(Shown(), "−2");
  EXPECT_TRUE(HasResult(kEquaSimlResult));
  // Back in the editor (cursor on the first cell), the same value stored
  // again still deletes the results, and SOLV solves afresh.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Shown(), "1");
  ASSERT_TRUE(CalcPress("1 EXE"));
  EXPECT_FALSE(HasResult(kEquaSimlResult));
  // 5x+y+z=6 in place of x+y+z=6.
  ASSERT_TRUE(CalcPress("LEFT 5 EXE F1"));
  EXPECT_EQ(Shown(), "35⌟43") << CalcScreenText();
}

TEST_F(Equa, TheStoredSizeKeepsTheCoefficientsAnotherSizeZeroesThem) {
  ASSERT_TRUE(CalcPress("F1 F1"));
  ASSERT_TRUE(Cells({"2", "3", "1", "1", "-1", "2"}));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Shown(), "7⌟5") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcRow(2), "Data Exists In Memory") << CalcScreenText();
  EXPECT_EQ(CalcRow(4), "          Unknowns:2");
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Shown(), "2");
  // Values survive leaving the application through MENU.
  ASSERT_TRUE(CalcPress("MENU EXE"));
  EXPECT_EQ(CalcTitle(), "@EQUA");
  EXPECT_EQ(Shown(), "2") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT F2"));
  EXPECT_EQ(CalcRow(1), "aₙX+bₙY+CₙZ=dₙ");
  EXPECT_EQ(Shown(), "0");
  u32 r = 0, c = 0;
  ASSERT_EQ(ItemMatDims(kEquaSimlCoef, &r, &c), 0u);
  EXPECT_EQ(r * 10 + c, 34u);
}

TEST_F(Equa, SixUnknownsScrollAndWrap) {
  ASSERT_TRUE(CalcPress("F1 F5"));
  // LEFT from the first cell reaches the constant of the last equation.
  ASSERT_TRUE(CalcPress("LEFT"));
  ASSERT_TRUE(Cells({"7"}));
  EXPECT_EQ(Shown(), "7");
  // RIGHT there goes to the first cell.
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(Shown(), "0");
  ASSERT_TRUE(Cells({"1"}));
  // UP from row 1 shows row 6 in the last place of the window, no row past
  // the matrix.
  ASSERT_TRUE(CalcPress("LEFT UP"));
  EXPECT_EQ(Shown(), "0");
  EXPECT_TRUE(MatchesGolden(GoldenPath("equa_siml6_scrolled.txt"), Screen()));
}

TEST_F(Equa, QuadraticWithoutRealRootsThenInComplexMode) {
  ASSERT_TRUE(CalcPress("F2 F1"));
  EXPECT_EQ(CalcRow(1), "aX²+bX+c=0") << CalcScreenText();
  ASSERT_TRUE(Cells({"1", "0", "1"}));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("No Real Roots")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(HasResult(kEquaPolyResult));
  // SET UP: Complex Mode a+bi.
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN DOWN F2 EXIT"));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Shown(), "𝑖") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Shown(), "−𝑖");
}

TEST_F(Equa, RepeatedRootShownOnceWithItsMultiplicity) {
  ASSERT_TRUE(CalcPress("F2 F2"));
  ASSERT_TRUE(Cells({"1", "0", "-3", "2"}));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Shown(), "1");
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Shown(), "−2");
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Shown(), "1") << "two distinct roots only";
  EXPECT_TRUE(MatchesGolden(GoldenPath("equa_cubic_double_root.txt"), Screen()));
  // In a+bi mode (the cursor back on the first cell) the cubic x³-1 shows its complex pair in the wide cells.
  ASSERT_TRUE(CalcPress("EXIT SHIFT MENU DOWN DOWN F2 EXIT"));
  ASSERT_TRUE(Cells({"1", "0", "0", "-1"}));
  ASSERT_TRUE(CalcPress("F1 DOWN"));
  EXPECT_TRUE(MatchesGolden(GoldenPath("equa_cubic_complex.txt"), Screen()));
  EXPECT_EQ(Shown(), "−0.5+0.8660254038𝑖") << CalcScreenText();
}

TEST_F(Equa, LeadingZeroAndSingularSystemLeaveNoResult) {
  ASSERT_TRUE(CalcPress("F2 F1"));
  ASSERT_TRUE(Cells({"0", "1", "2"}));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(HasResult(kEquaPolyResult));
  EXPECT_EQ(CalcRow(1), "aX²+bX+c=0");
  ASSERT_TRUE(CalcPress("EXIT EXIT F1 F1"));
  ASSERT_TRUE(Cells({"1", "2", "3", "2", "4", "6"}));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(HasResult(kEquaSimlResult));
}

// A complex coefficient is refused in the cell with the line kept; a typed
// formula that does not evaluate shows its error and keeps the line.
TEST_F(Equa, CellInputErrorsKeepTheLine) {
  ASSERT_TRUE(CalcPress("F2 F1"));
  ASSERT_TRUE(Codes({'2', 0x7F50}));  // 2i
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(7), "2𝑖") << CalcScreenText();
  ASSERT_TRUE(CalcPress("AC 1 + EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(Shown(), "0");
}

// The TEST key writes a value into the first root: the result item takes a
// second column only for a complex value, and a write that does not fit
// shows Memory ERROR.
TEST_F(Equa, TestKeyWritesTheFirstRoot) {
  ASSERT_TRUE(CalcPress("F2 F1"));
  ASSERT_TRUE(Cells({"1", "-3", "2"}));
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(Codes({kKeyTest}));
  ASSERT_TRUE(CalcPress("5 EXE"));
  u32 r = 0, c = 0;
  ASSERT_EQ(ItemMatDims(kEquaPolyResult, &r, &c), 0u);
  EXPECT_EQ(c, 1u) << "a real value keeps one column";
  EXPECT_EQ(Shown(), "5") << CalcScreenText();
  ASSERT_TRUE(Codes({kKeyTest, '1', 0x89, '2', 0x7F50}));  // 1+2i
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_EQ(ItemMatDims(kEquaPolyResult, &r, &c), 0u);
  EXPECT_EQ(c, 2u);
  EXPECT_EQ(Shown(), "1+2𝑖") << CalcScreenText();
}

// The Solver: an equation typed and stored, its variables listed in the
// order they first appear, then the two bounds.
class EquaSolver : public Equa {
 protected:
  void SetUp() override {
    Equa::SetUp();
    ASSERT_TRUE(CalcPress("F3"));
  }
  // Types an equation from calculator codes and stores it with EXE.
  static testing::AssertionResult Store(std::initializer_list<u16> codes) {
    testing::AssertionResult r = Codes(codes);
    return r ? CalcPress("EXE") : r;
  }
};

TEST_F(EquaSolver, StoredEquationListsItsVariablesAndTheBounds) {
  ASSERT_TRUE(Store({'B', '=', 'A', 0x89, 'B'}));
  EXPECT_EQ(CalcRow(1), "Eq:B=A+B") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "     B=0");
  EXPECT_EQ(CalcRow(3), "     A=0");
  EXPECT_EQ(CalcRow(4), " Lower=−9ᴇ+99");
  EXPECT_EQ(CalcRow(5), " Upper=9ᴇ+99");
  EXPECT_EQ(ScreenRowReversed(2).substr(0, 8), "RRRRRRRR") << "the cursor on the first variable";
  // A value typed on a variable's line; the cursor moves down.
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(CalcRow(2), "     B=3");
  EXPECT_EQ(ScreenRowReversed(3).substr(0, 8), "RRRRRRRR");
  // The list and the values outlive the Solver.
  ASSERT_TRUE(CalcPress("EXIT F3"));
  EXPECT_EQ(CalcRow(2), "     B=3") << CalcScreenText();
  // UP from the equation line wraps to Upper.
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(ScreenRowReversed(5).substr(0, 8), "RRRRRRRR") << CalcScreenText();
}

TEST_F(EquaSolver, RefusedEquationsKeepTheirText) {
  struct Case {
    std::initializer_list<u16> codes;
    const char *message, *row;
  } cases[] = {
      {{'X', '=', 'Y', '=', '1'}, "Syntax ERROR", "Eq:X=Y=1"},
      {{'1', '2', '=', '3'}, "No Variable", "Eq:12=3"},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(Store(c.codes));
    EXPECT_TRUE(CalcScreenHas(c.message)) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_EQ(CalcRow(1), c.row) << CalcScreenText();
    EXPECT_FALSE(EquaSolverLimitsExist()) << "no bounds item is left behind";
    u8 text[256];
    EXPECT_FALSE(EquaSolverLoadEquation(text));
    // EXIT drops the edit.
    ASSERT_TRUE(CalcPress("EXIT"));
  }
}

TEST_F(EquaSolver, BoundsAreCheckedAndResetByANewEquation) {
  ASSERT_TRUE(Store({'X', 0x8B, '=', 'A'}));
  // Lower 5, Upper 1: SOLV refuses with Ma ERROR.
  ASSERT_TRUE(CalcPress("DOWN DOWN 5 EXE 1 EXE"));
  EXPECT_EQ(CalcRow(4), " Lower=5") << CalcScreenText();
  EXPECT_EQ(CalcRow(5), " Upper=1");
  ASSERT_TRUE(CalcPress("UP UP UP F6"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  // A new equation starts with the default bounds.
  ASSERT_TRUE(CalcPress("UP"));
  ASSERT_TRUE(Store({'X', '=', 'A'}));
  EXPECT_EQ(CalcRow(4), " Lower=−9ᴇ+99") << CalcScreenText();
  EXPECT_EQ(CalcRow(5), " Upper=9ᴇ+99");
  // DEL deletes the equation and its bounds.
  ASSERT_TRUE(CalcPress("F2 F1"));
  EXPECT_EQ(CalcRow(1), "Eq:") << CalcScreenText();
  EXPECT_FALSE(EquaSolverLimitsExist());
}

}  // namespace
