// Zoom on the graph screen, keyed as a user: the V-Window each zoom leaves,
// from the initial window with the pointer starting at (0, 0).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/system/graph_testapp.h"

namespace {

using gapp::kSel;
using gapp::kY;

using gapp::Rep;

struct ZoomCase {
  const char *name;
  const char *formula;
  std::vector<std::string> keys;  // pressed in turn on the graph screen
  // Expected Xmin, Xmax, Ymin, Ymax (empty: not checked).
  const char *xmin, *xmax, *ymin, *ymax;
};

void PrintTo(const ZoomCase &c, std::ostream *os) { *os << c.name; }

class ZoomTable : public gapp::GraphScreenTest, public testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomTable, LeavesTheWindow) {
  const ZoomCase &c = GetParam();
  Open({{kY, kSel, 2, c.formula}});
  for (const std::string &k : c.keys) ASSERT_TRUE(CalcPress(k)) << k;
  ASSERT_TRUE(CalcPress("EXIT"));
  const gapp::Noted n = gapp::Last();
  EXPECT_EQ(n.result, kGraphExitExit) << CalcScreenText();
  if (*c.xmin) {
    EXPECT_EQ(n.vwin[kVwinXmin], c.xmin);
  }
  if (*c.xmax) {
    EXPECT_EQ(n.vwin[kVwinXmax], c.xmax);
  }
  if (*c.ymin) {
    EXPECT_EQ(n.vwin[kVwinYmin], c.ymin);
  }
  if (*c.ymax) {
    EXPECT_EQ(n.vwin[kVwinYmax], c.ymax);
  }
}

const std::string kIn = "F2 F3";
const std::string kOut = "F2 F4";
const std::string kBox = "F2 F1";
const std::string kAuto = "F2 F5";
const std::string kSquare = "F2 F6 F2";
const std::string kRound = "F2 F6 F3";
const std::string kInteger = "F2 F6 F4";
const std::string kPrev = "F2 F6 F5";
const std::string kBoxKeys = Rep("LEFT", 20) + " " + Rep("UP", 10) + " EXE " + Rep("RIGHT", 50) + " " + Rep("DOWN", 25) + " EXE";

INSTANTIATE_TEST_SUITE_P(
    Graph, ZoomTable,
    testing::Values(
        ZoomCase{"In", "X", {kIn, "EXE"}, "-3.15", "3.15", "-1.55", "1.55"},
        ZoomCase{"Out", "X", {kOut, "EXE"}, "-12.6", "12.6", "-6.2", "6.2"},
        ZoomCase{"InThenOut", "X", {kIn, "EXE", kOut, "EXE"}, "-6.3", "6.3", "-3.1", "3.1"},
        ZoomCase{"Box", "X", {kBox, kBoxKeys}, "-2", "3", "-1.5", "1"},
        ZoomCase{"BoxRound", "X", {kBox, kBoxKeys, kRound}, "-2", "3.0022", "-1.5", "0.9986"},
        ZoomCase{"AutoSquare", "X^2", {kAuto}, "-6.3", "6.3", "0", "39.69"},
        ZoomCase{"AutoSine", "{sin}X", {kAuto}, "", "", "-0.999923257564101", "0.999923257564101"},
        ZoomCase{"AutoConstant", "2", {kAuto}, "", "", "-1.1", "5.1"},
        ZoomCase{"Square", "X", {kSquare}, "-6.2", "6.2", "-3.1", "3.1"},
        ZoomCase{"SquareStandard", "X", {"SHIFT F3 F3 EXIT", "EXE", kSquare}, "-20", "20", "-10", "10"},
        ZoomCase{"Integer", "X", {kInteger, "EXE"}, "-63", "63", "-31", "31"},
        ZoomCase{"IntegerMoved", "X", {kInteger, Rep("RIGHT", 24) + " " + Rep("DOWN", 5) + " EXE"}, "-61", "65", "-31",
                 "31"},
        ZoomCase{"InMoved", "X", {kIn, Rep("RIGHT", 10) + " " + Rep("UP", 5) + " EXE"}, "-2.15", "4.15", "-1.05", "2.05"},
        ZoomCase{"Previous", "X", {kIn, Rep("RIGHT", 10) + " " + Rep("UP", 5) + " EXE", kPrev}, "-6.3", "6.3", "-3.1",
                 "3.1"},
        ZoomCase{"PreviousTwice", "X", {kIn, Rep("RIGHT", 10) + " " + Rep("UP", 5) + " EXE", kPrev, kPrev}, "-2.15",
                 "4.15", "-1.05", "2.05"}),
    [](const testing::TestParamInfo<ZoomCase> &i) { return std::string(i.param.name); });

using ZoomScreen = gapp::GraphScreenTest;

TEST_F(ZoomScreen, ZoomDetails) {
  Open({{kY, kSel, 2, "X"}});
  // The box's second corner in the first corner's column is not taken.
  ASSERT_TRUE(CalcPress(kBox + " EXE " + Rep("DOWN", 5) + " EXE"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 5) + " EXE"));
  ASSERT_TRUE(CalcPress("EXIT"));
  gapp::Noted n = gapp::Last();
  EXPECT_EQ(n.vwin[kVwinXmin], "0");
  EXPECT_EQ(n.vwin[kVwinXmax], "0.5");
  EXPECT_EQ(n.vwin[kVwinXdot], "0.00396825396825397");
  // A zoom that would leave the range is refused and changes nothing: OUT
  // twice with a huge factor.
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("F2 F2 9 EXP 9 7 EXE EXE"));
  ASSERT_TRUE(CalcPress(kOut + " EXE"));
  ASSERT_TRUE(CalcPress(kOut + " EXE"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  n = gapp::Last();
  EXPECT_EQ(n.vwin[kVwinXmin], "-2.25e97");
  EXPECT_EQ(n.vwin[kVwinXmax], "2.25e97");
}

}  // namespace
