// The run-and-matrix application as a user meets it: opened from the main
// menu, a line typed, EXE, the result read back from the screen.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

class RunMat : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    // RUN-MAT is the first icon of the main menu.
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
  // Row r padded to 21 columns, to check right alignment.
  static std::string Row(int r) {
    std::string s = CalcRow(r);
    return s + std::string(s.size() < 21 ? 21 - s.size() : 0, ' ');
  }
};

TEST_F(RunMat, TypedLineShowsOnTheFirstRow) {
  ASSERT_TRUE(CalcPress("1 2 3"));
  EXPECT_EQ(CalcRow(1), "123");
  // Insert mode: DEL takes the character before the cursor.
  ASSERT_TRUE(CalcPress("LEFT DEL"));
  EXPECT_EQ(CalcRow(1), "13") << CalcScreenText();
}

TEST_F(RunMat, OnePlusTwoShowsThreeRightAlignedOnTheNextRow) {
  ASSERT_TRUE(CalcPress("1 + 2"));
  EXPECT_EQ(CalcRow(1), "1+2");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "1+2") << CalcScreenText();
  EXPECT_EQ(Row(2), std::string(20, ' ') + "3") << CalcScreenText();
  // An operator right after a result takes Ans as its left operand.
  ASSERT_TRUE(CalcPress("+ 3"));
  EXPECT_EQ(CalcRow(3), "Ans+3");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(4), std::string(20, ' ') + "6") << CalcScreenText();
  // A digit after a result starts a plain line.
  ASSERT_TRUE(CalcPress("7 EXE"));
  EXPECT_EQ(CalcRow(5), "7");
  EXPECT_EQ(Row(6), std::string(20, ' ') + "7");
}

}  // namespace
