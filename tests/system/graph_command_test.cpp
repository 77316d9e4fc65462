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

// Tangent and Normal of a stored function typed on the run line: the graph
// shows the line with its read-out as the graph screen does (the slope,
// then the point), and the screen's keys go on from there.
TEST_F(RunLineGraph, TangentAndNormalShowTheirReadOut) {
  // "X²"→Y1
  ASSERT_TRUE(CalcPostCodes({'"', 'X', 0x8B, '"', 0x0E, 0x7FF0, '1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  struct Case {
    u16 command;
    const char *x;
  } cases[] = {{0xF7A0, "1"}, {0xF7A1, "-2"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    // Tangent Y1,x or Normal Y1,x
    std::initializer_list<u16> typed = {c.command, 0x7FF0, '1', ','};
    ASSERT_TRUE(CalcPostCodes(typed));
    for (const char *d = c.x; *d; ++d) ASSERT_TRUE(CalcPostCodes({static_cast<u16>(*d == '-' ? 0x87 : *d)}));
    ASSERT_TRUE(CalcPress("EXE"));
    const std::string m = c.command == 0xF7A0 ? "m=2" : "m=-4";
    EXPECT_EQ(gapp::MiniCell(17, 7), m) << CalcScreenPicture();
    EXPECT_EQ(gapp::MiniCell(1, 8), std::string("X=") + c.x);
    EXPECT_EQ(gapp::MiniCell(17, 8), c.command == 0xF7A0 ? "Y=1" : "Y=4");
    // A key takes the read-out away: the graph alone.
    ASSERT_TRUE(CalcPress("RIGHT"));
    EXPECT_EQ(gapp::MiniCell(1, 8), "");
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_EQ(CalcTitle(), "@RUNMAT");
  }
  // Another graph command after it: no read-out of the old line.
  ASSERT_TRUE(CalcPostCodes({0xF7A8, '1', ',', '1'}));  // PlotOn 1,1
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(gapp::MiniCell(17, 7), "") << CalcScreenPicture();
}

}  // namespace
