// Graph statements typed on the run line as a user types them: the integral
// and probability graphs show their values on the graph screen, and the
// screen's keys go on from there.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"
#include "tests/system/graph_testapp.h"
#include "ui/keycodes.h"

namespace {

class RunLineGraph : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
};

TEST_F(RunLineGraph, IntegralGraphShowsItsBoundsAndValue) {
  // Graph ∫ X², 0, 3
  ASSERT_TRUE(CalcPostCodes({0xEF, 'X', 0x8B, ',', '0', ',', '3'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(gapp::MiniText(0, 50, 64), "LOWER=0") << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniText(64, 50, 127), "UPPER=3");
  // After the integral sign: "dx=" and the value.
  EXPECT_EQ(gapp::MiniText(4, 58, 127), "dx=9") << CalcScreenPicture();
  // The area under the curve is shaded: x = 2 (column 84) is dotted from
  // the axis to the top, x = 4 has only its grid dots.
  int shaded = 0, beyond = 0;
  for (int row = 1; row < 30; ++row) {
    shaded += CalcDot(84, row);
    beyond += CalcDot(104, row);
  }
  EXPECT_GT(shaded, beyond + 10);
  // EXIT leaves the graph for the run screen.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1).rfind("Graph", 0), 0u) << CalcScreenText();
}

TEST_F(RunLineGraph, ProbabilityGraphShowsItsValue) {
  // Graph Y=P(1)
  ASSERT_TRUE(CalcPostCodes({0xEE, 0xFB, '1', ')'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(gapp::MiniCell(1, 8), "P(t)=0.8413447461") << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
}

}  // namespace
