// CONICS as a user meets it: a form chosen from the list, its coefficients
// typed, the conic drawn, and its analyses read from the screen.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
