// The trace keyed as a user: the read-outs as the small-font cells show them,
// typed values, the edge scroll and a parametric entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/system/graph_testapp.h"

namespace {

using gapp::kParam;
using gapp::kSel;
using gapp::kY;
using gapp::MiniCell;

using gapp::Rep;

using TraceScreen = gapp::GraphScreenTest;

TEST_F(TraceScreen, SquareStepsAndSlope) {
  Open({{kY, kSel, 2, "X^2"}}, kGraphDrawFuncs, {{kSetupDerivative, 0}});
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(MiniCell(1, 8), "X=0");
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 7)));
  EXPECT_EQ(MiniCell(1, 8), "X=0.7");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.49");
  EXPECT_EQ(MiniCell(17, 7), "dY/dX=1.4");
  ASSERT_TRUE(CalcPress(Rep("LEFT", 20)));
  EXPECT_EQ(MiniCell(1, 8), "X=-1.3");
  EXPECT_EQ(MiniCell(17, 8), "Y=1.69");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(gapp::Last().x, "-1.3");
  EXPECT_EQ(gapp::Last().y, "1.69");
}

TEST_F(TraceScreen, SineTypedValueAndNeighbours) {
  Open({{kY, kSel, 2, "{sin}X"}});
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 16)));
  EXPECT_EQ(MiniCell(1, 8), "X=1.6");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.999573603");
  // A typed x between two columns.
  ASSERT_TRUE(CalcPress("2"));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress(". 5 5 EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=2.55");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.5576837174");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=2.6");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.5155013718");
  ASSERT_TRUE(CalcPress("2 . 5 5 EXE LEFT"));
  EXPECT_EQ(MiniCell(1, 8), "X=2.5");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.5984721441");
}

TEST_F(TraceScreen, EdgeScrollsTheWindow) {
  Open({{kY, kSel, 2, "{sin}X"}});
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 64)));
  EXPECT_EQ(MiniCell(1, 8), "X=6.4");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(gapp::Last().vwin[kVwinXmin], "-5.5");
  EXPECT_EQ(gapp::Last().vwin[kVwinXmax], "7.1");
}

TEST_F(TraceScreen, ParametricSteps) {
  std::string text = "4{cos}T";
  text += '\xF6';
  text += "4{sin}T";
  Open({{kParam, kSel, 2, text}});
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 10)));
  EXPECT_EQ(MiniCell(1, 7), "T=0.6283185307");
  EXPECT_EQ(MiniCell(1, 8), "X=3.236067977");
  EXPECT_EQ(MiniCell(17, 8), "Y=2.351141009");
  // It stops at Tmin.
  ASSERT_TRUE(CalcPress(Rep("LEFT", 12)));
  EXPECT_EQ(MiniCell(1, 7), "T=0");
}

// T from 7 down to 0: the pitch is negative.
void NegativePitch() {
  const BcdReal tmin = numtest::R("7"), tmax = numtest::R("0"), pitch = numtest::R("-0.5");
  GmemWriteVwinValue(&tmin, kVwinTmin);
  GmemWriteVwinValue(&tmax, kVwinTmax);
  GmemWriteVwinValue(&pitch, kVwinTpitch);
}

// A parametric entry with its own range [0, 2] under a negative pitch:
// RIGHT walks t up from the range's start, LEFT back, and both ends stop it.
TEST_F(TraceScreen, RangedParametricWithANegativePitch) {
  std::string text = "T";
  text += '\xF6';
  text += "T^2,[0,2]";
  Open({{kParam, kSel, 2, text}}, kGraphDrawFuncs, {}, NegativePitch);
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(MiniCell(1, 7), "T=0");
  struct Step {
    const char *keys, *t, *y;
  } steps[] = {{"RIGHT", "T=0.5", "Y=0.25"}, {"RIGHT", "T=1", "Y=1"},      {"RIGHT RIGHT", "T=2", "Y=4"},
               {"RIGHT", "T=2", "Y=4"},      {"LEFT", "T=1.5", "Y=2.25"}, {"LEFT LEFT LEFT LEFT", "T=0", "Y=0"}};
  for (const Step &st : steps) {
    ASSERT_TRUE(CalcPress(st.keys));
    EXPECT_EQ(MiniCell(1, 7), st.t) << st.keys;
    EXPECT_EQ(MiniCell(17, 8), st.y) << st.keys;
  }
}

TEST_F(TraceScreen, UpDownChangesTheEntry) {
  Open({{kY, kSel, 2, "X"}, {kY, kSel, 2, "X+1"}});
  ASSERT_TRUE(CalcPress("F1 RIGHT"));
  EXPECT_EQ(MiniCell(17, 8), "Y=0.1");
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(MiniCell(1, 8), "X=0.1");
  EXPECT_EQ(MiniCell(17, 8), "Y=1.1");
  ASSERT_TRUE(CalcPress("DOWN"));  // round to the first again
  EXPECT_EQ(MiniCell(17, 8), "Y=0.1");
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(MiniCell(17, 8), "Y=1.1");
}

}  // namespace

namespace {

using gapp::kParam;
using gapp::kSel;
using gapp::kY;
using gapp::MiniCell;
using gapp::Rep;
using TokenTrace = gapp::GraphScreenTest;

// Xmin (0x7F 0x00) inside a stored function: its zero second byte ends no
// formula, so the whole formula is drawn and traced.
std::string WithXmin(const std::string &before, const std::string &after) {
  return before + std::string("\x7F\0", 2) + after;
}

TEST_F(TokenTrace, FormulaWithXminIsDrawnAndTraced) {
  // Y = X + Xmin/9 = X - 0.7: the line crosses the x axis at column 70.
  Open({{kY, kSel, 2, "X+" + WithXmin("", "/9")}});
  EXPECT_TRUE(CalcDot(91, 12)) << CalcScreenPicture();  // (2.7, 2)
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 7)));
  EXPECT_EQ(MiniCell(1, 8), "X=0.7");
  EXPECT_EQ(MiniCell(17, 8), "Y=0");
}

TEST_F(TokenTrace, ParametricFirstHalfWithXmin) {
  // X = T + Xmin/9, Y = T: the second half is found past Xmin.
  std::string text = "T+" + WithXmin("", "/9");
  text += '\xF6';
  text += "T";
  Open({{kParam, kSel, 2, text}}, kGraphDrawFuncs, {{kSetupDerivative, 1}});
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 10)));
  EXPECT_EQ(MiniCell(1, 7), "T=0.6283185307");
  EXPECT_EQ(MiniCell(1, 8), "X=-0.0716814692");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.6283185307");
}

}  // namespace

namespace {

using TokenTable = gapp::GraphScreenTest;

// The same formula tabled: the rows of the default range 1..5.
TEST_F(TokenTable, FormulaWithXminIsTabled) {
  Open({{gapp::kY, 0x20, 2, "X+" + WithXmin("", "/9")}}, kGraphShowTable);
  // The Y1 column, rows 1 and 2 (X = 1, 2).
  EXPECT_EQ(gapp::MiniText(53, 18, 84), "0.3") << CalcScreenPicture();
  EXPECT_EQ(gapp::MiniText(53, 26, 84), "1.3");
}

// Tangent and normal lines drawn from the trace (SKTCH Tang, Norm): EXE
// draws the line and, with Coord and Derivative on, its equation takes the
// upper read-out line over the point; the next move shows the slope again.
TEST_F(TraceScreen, TangentAndNormalShowTheirLine) {
  Open({{kY, kSel, 2, "X^2"}}, kGraphDrawFuncs, {{kSetupDerivative, 0}, {kSetupAxes, 1}});
  struct Case {
    const char *keys;  // the sketch key and the moves from x = 0
    const char *x, *y, *slope, *line;
    int dotX, dotY;  // a dot of the line away from the curve (or the one below it)
  };
  const std::string right10 = Rep("RIGHT", 10);
  const Case cases[] = {
      {"F2", "X=0", "Y=0", "m=0", "Y=0", 10, 32},
      {"F3", "X=0", "Y=0", "m=0", "X=0", 64, 20},  // vertical normal at the vertex
      {"F2 RIGHT RIGHT RIGHT RIGHT RIGHT", "X=0.5", "Y=0.25", "m=1", "Y=X-0.25", 84, 14},
      {"F2 LEFT LEFT LEFT LEFT LEFT", "X=-0.5", "Y=0.25", "m=-1", "Y=-X-0.25", 44, 14},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.keys);
    ASSERT_TRUE(CalcPress(std::string("F4 ") + c.keys));
    EXPECT_EQ(MiniCell(1, 8), c.x) << CalcScreenPicture();
    EXPECT_EQ(MiniCell(17, 8), c.y);
    EXPECT_EQ(MiniCell(17, 7), c.slope);
    ASSERT_TRUE(CalcPress("EXE"));
    auto drawn = [&c] { return CalcDot(c.dotX, c.dotY) || CalcDot(c.dotX, c.dotY + 1); };
    EXPECT_TRUE(drawn()) << CalcScreenPicture();
    EXPECT_EQ(gapp::MiniText(0, 50, 127), c.line) << CalcScreenPicture();
    EXPECT_EQ(MiniCell(1, 8), c.x);
    EXPECT_EQ(MiniCell(17, 8), c.y);
    // EXIT leaves the trace; when it left the screen too, any key opens it again.
    const int runs = gapp::Last().runs;
    ASSERT_TRUE(CalcPress("EXIT"));
    if (gapp::Last().runs != runs) {
      ASSERT_TRUE(CalcPress("EXE"));
    }
  }
  // Tangent at 1, then at 1.1: the first line goes, the slope is shown again.
  ASSERT_TRUE(CalcPress("F4 F2 " + right10 + " EXE"));
  EXPECT_EQ(gapp::MiniText(0, 50, 127), "Y=2X-1") << CalcScreenPicture();
  EXPECT_TRUE(CalcDot(79, 12));  // (1.5, 2)
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(gapp::MiniText(0, 50, 60), "") << CalcScreenPicture();
  EXPECT_EQ(MiniCell(17, 7), "m=2.2");
  EXPECT_EQ(MiniCell(1, 8), "X=1.1");
  // EXE there draws the tangent at the new point.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(gapp::MiniText(0, 50, 127), "Y=2.2X-1.21") << CalcScreenPicture();
  EXPECT_EQ(MiniCell(1, 8), "X=1.1");
  EXPECT_EQ(MiniCell(17, 8), "Y=1.21");
}

}  // namespace
