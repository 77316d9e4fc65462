// Calculus functions in RUN-MAT as a user types them: OPTN CALC gives the
// integral, the derivatives, Solve(, FMin( and FMax(; OPTN PROB gives Ran#.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"

namespace {

class Calculus : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
  static std::string Right(const std::string &text) {
    size_t chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    return std::string(chars < 21 ? 21 - chars : 0, ' ') + text;
  }
  static std::string Row(int r) {
    std::string s = CalcRow(r);
    return s + std::string(s.size() < 21 ? 21 - s.size() : 0, ' ');
  }
};

TEST_F(Calculus, IntegralAndDerivatives) {
  // OPTN, F4 CALC, F4 the integral; XtT is the X,theta,T key.
  ASSERT_TRUE(CalcPress("OPTN F4 F4 XtT ^2 , 0 , 3 ) EXE"));
  EXPECT_EQ(Row(2), Right("9")) << CalcScreenText();
  // F2 d/dx at a point; without a point it takes X and goes on after the
  // bracket.
  ASSERT_TRUE(CalcPress("OPTN F4 F2 XtT ^ 3 , 2 ) EXE"));
  EXPECT_EQ(Row(4), Right("12")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("3 -> XtT EXE"));
  ASSERT_TRUE(CalcPress("OPTN F4 F2 XtT ^2 ) + 1 EXE"));
  EXPECT_EQ(CalcRow(6), "d/dx(X²)+1") << CalcScreenText();
  EXPECT_EQ(Row(7), Right("7")) << CalcScreenText();
}

TEST_F(Calculus, SolveChangesXAndReportsFailures) {
  // Solve(X^2-2,1): F1 of the CALC page.
  ASSERT_TRUE(CalcPress("OPTN F4 F1 XtT ^2 - 2 , 1 ) EXE"));
  EXPECT_EQ(Row(2), Right("1.414213562")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("XtT EXE"));
  EXPECT_EQ(Row(4), Right("1.414213562")) << CalcScreenText();
  // No real root: the Can't Solve! box; EXIT leaves the line to edit.
  ASSERT_TRUE(CalcPress("AC OPTN F4 F1 XtT ^2 + 1 , 0 ) EXE"));
  EXPECT_TRUE(CalcScreenHas("Can't Solve!")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(CalcScreenHas("Can't Solve!")) << CalcScreenText();
  // An integral that does not settle: the Time Out box.
  ASSERT_TRUE(CalcPress("AC OPTN F4 F4 1 / XtT , (-) 1 , 2 ) EXE"));
  EXPECT_TRUE(CalcScreenHas("Time Out")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
}

TEST_F(Calculus, FMinShowsItsListInTheViewer) {
  // FMin(X^2,-1,1,5): F5 of the CALC page.
  ASSERT_TRUE(CalcPress("OPTN F4 F5 XtT ^2 , (-) 1 , 1 , 5 ) EXE"));
  EXPECT_EQ(Row(7), Right("0")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Row(7), Right("0")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  // FMax(1,0,1): the last of equal values, x = 1.
  ASSERT_TRUE(CalcPress("AC OPTN F4 F6 F1 1 , 0 , 1 ) EXE"));
  EXPECT_EQ(Row(7), Right("1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
}

TEST_F(Calculus, RanOneRepeatsItsSequence) {
  // OPTN F6 F2 PROB, F4 Ran#.
  ASSERT_TRUE(CalcPress("OPTN F6 F2 F4 1 EXE"));
  EXPECT_EQ(Row(2), Right("0.1450073626")) << CalcScreenText();
  // EXE on the result runs the line again: the next numbers of the sequence.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(3), Right("0.1387441711")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(4), Right("0.8732846693")) << CalcScreenText();
}

}  // namespace
