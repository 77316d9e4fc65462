// Graph statements typed on the run line as a user types them: the integral
// and probability graphs show their values on the graph screen, and the
// screen's keys go on from there.
#include <gtest/gtest.h>

#include <string>

#include "memory/mcs_api.h"
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
// shows the line with its read-out as the graph screen does (the line's
// equation, then the point), and the screen's keys go on from there.
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
    // The line's equation over the upper line (Derivative is on).
    const std::string line = c.command == 0xF7A0 ? "Y=2X-1" : "Y=0.25X+4.5";
    EXPECT_EQ(gapp::MiniText(0, 50, 127), line) << CalcScreenPicture();
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

// Programs run from the program list that end on a tangent or normal: the
// graph screen shows the line and, with Coord on, the read-out the trace
// shows after drawing it; a key takes the read-out away, EXIT goes back to
// the program's text screen and then to the list.
class ProgGraph : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
  static void MakeProgram(const char *name, const std::string &text) {
    std::string item(10, '\0');
    item += text;
    item += '\0';
    ASSERT_EQ(McsCreateByKind(kMcsKindProgram, name, static_cast<u32>(item.size()), item.data()), 0u);
  }
  // Runs the only program from the list (PROG is ALPHA X,theta,T).
  static testing::AssertionResult Run() {
    testing::AssertionResult r = CalcPress("A");
    if (!r) return r;
    if (CalcTitle() != "@PROG") return testing::AssertionFailure() << "title " << CalcTitle();
    return CalcPress("EXE");
  }
};

TEST_F(ProgGraph, TangentAndNormalEndOnTheirReadOut) {
  // AxesOff:"X²"→Y1 first; the line's command follows.
  const std::string store = std::string("\xF7\xD2:\"X\x8B\"\x0E\x7F\xF0" "1:", 12);
  struct Case {
    const char *name;
    std::string command;  // after "Y1,"
    std::string line, x, y;
    int dotX, dotY;  // a dot of the line away from the curve (or the one below it)
  } cases[] = {
      {"tangent", std::string("\xF7\xA0\x7F\xF0" "1,1", 7), "Y=2X-1", "X=1", "Y=1", 84, 2},
      {"normal", std::string("\xF7\xA1\x7F\xF0" "1,1", 7), "Y=-0.5X+1.5", "X=1", "Y=1", 34, 2},
      // At the vertex the normal is vertical: its equation is X=.
      {"vertical normal", std::string("\xF7\xA1\x7F\xF0" "1,0", 7), "X=0", "X=0", "Y=0", 64, 1},
      // Slopes 1 and -1 are written without their 1.
      {"slope one", std::string("\xF7\xA0\x7F\xF0" "1,0.5", 9), "Y=X-0.25", "X=0.5", "Y=0.25", 94, 4},
      {"slope minus one", std::string("\xF7\xA0\x7F\xF0" "1,\x87" "0.5", 10), "Y=-X-0.25", "X=-0.5", "Y=0.25",
       34, 4},
      // A horizontal tangent: Y= and the intercept alone.
      {"horizontal tangent", std::string("\xF7\xA0\x7F\xF0" "1,0", 7), "Y=0", "X=0", "Y=0", 10, 32},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    McsDeleteByKind(kMcsKindProgram, "LINE");
    MakeProgram("LINE", store + c.command);
    ASSERT_TRUE(Run());
    auto drawn = [&c] { return CalcDot(c.dotX, c.dotY) || CalcDot(c.dotX, c.dotY + 1); };
    EXPECT_TRUE(drawn()) << CalcScreenPicture();
    EXPECT_EQ(gapp::MiniText(0, 50, 127), c.line) << CalcScreenPicture();
    EXPECT_EQ(gapp::MiniCell(1, 8), c.x);
    EXPECT_EQ(gapp::MiniCell(17, 8), c.y);
    // A cursor key takes the read-out away; the picture stays.
    ASSERT_TRUE(CalcPress("LEFT"));
    EXPECT_EQ(gapp::MiniText(0, 50, 127), "") << CalcScreenPicture();
    EXPECT_EQ(gapp::MiniCell(1, 8), "");
    EXPECT_TRUE(drawn());
    // EXIT: the program's text screen, then the list.
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_FALSE(drawn()) << CalcScreenPicture();
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_EQ(CalcRow(1), "Program List") << CalcScreenText();
  }
}

// Derivative off: the point alone; Coord off: no read-out at all.
TEST_F(ProgGraph, TangentReadOutFollowsCoordAndDerivative) {
  const std::string tangent = std::string("\"X\x8B\"\x0E\x7F\xF0" "1:\xF7\xA0\x7F\xF0" "1,1", 16);
  MakeProgram("LINE", std::string("\xF7\xD5:", 3) + tangent);  // DerivOff
  ASSERT_TRUE(Run());
  EXPECT_TRUE(CalcDot(84, 2)) << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniText(0, 50, 127), "") << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniCell(1, 8), "X=1");
  EXPECT_EQ(gapp::MiniCell(17, 8), "Y=1");
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(CalcPress("EXIT"));
  McsDeleteByKind(kMcsKindProgram, "LINE");
  MakeProgram("LINE", std::string("\xF7\xD3:", 3) + tangent);  // CoordOff
  ASSERT_TRUE(Run());
  EXPECT_TRUE(CalcDot(84, 2)) << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniText(0, 50, 127), "") << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniText(0, 58, 127), "");
}

// A display stop after the tangent shows the graph with the line's read-out;
// EXIT comes to "- Disp -", where G<->T shows it again, and EXE goes on.
TEST_F(ProgGraph, TangentAtADisplayStop) {
  MakeProgram("LINE", std::string("\"X\x8B\"\x0E\x7F\xF0" "1:\xF7\xA0\x7F\xF0" "1,1\x0C" "7", 18));
  ASSERT_TRUE(CalcPress("A"));
  ASSERT_EQ(CalcTitle(), "@PROG");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(gapp::MiniText(0, 50, 127), "Y=2X-1") << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniCell(1, 8), "X=1");
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(CalcScreenHas("- Disp -")) << CalcScreenText();
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTable}));
  EXPECT_EQ(gapp::MiniText(0, 50, 127), "Y=2X-1") << CalcScreenPicture();
  EXPECT_TRUE(CalcDot(84, 2));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_FALSE(CalcScreenHas("- Disp -")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("7")) << CalcScreenText();
}

}  // namespace
