// The sketch keys and pictures of the graph screen keyed as a user: a circle
// and a vertical line drawn with the pointer, the inverse graph, Cls, and a
// picture stored and recalled over the cleared graph.
#include <gtest/gtest.h>

#include <string>

#include "tests/system/graph_testapp.h"

namespace {

using gapp::kSel;
using gapp::kY;

using gapp::Rep;

using SketchScreen = gapp::GraphScreenTest;

TEST_F(SketchScreen, CircleLineAndPictures) {
  Open({{kY, kSel, 2, "X-5"}});
  // A circle round the origin through (1, 0): radius 10 dots.
  ASSERT_TRUE(CalcPress("F4 F6 F2 EXE " + Rep("RIGHT", 10) + " EXE EXIT"));
  EXPECT_EQ(gapp::Last().result, kGraphExitExit);
  ASSERT_TRUE(CalcPress("EXE"));  // the drawn graph is shown as it was left
  EXPECT_TRUE(CalcDot(64, 22)) << CalcScreenPicture();
  EXPECT_TRUE(CalcDot(54, 32));
  // A vertical line five dots right of the centre.
  ASSERT_TRUE(CalcPress("F4 F6 F3 " + Rep("RIGHT", 5) + " EXE"));
  EXPECT_TRUE(CalcDot(69, 5));
  // Stored as picture 2, then Cls: the sketch is gone.
  ASSERT_TRUE(CalcPress("EXIT EXE"));
  const std::string sketched = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("OPTN F1 F1"));
  EXPECT_TRUE(CalcScreenHas("Pict")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("2 EXE"));
  ASSERT_TRUE(CalcPress("F4 F1"));
  EXPECT_FALSE(CalcDot(69, 5));
  EXPECT_NE(CalcScreenPicture(), sketched);
  EXPECT_TRUE(CalcDot(124, 22));  // y = x - 5 at x = 6 is drawn again
  // Recalled: laid over the graph, the sketch is back as it was.
  ASSERT_TRUE(CalcPress("OPTN F1 F2 2 EXE"));
  EXPECT_EQ(CalcScreenPicture(), sketched);
}

TEST_F(SketchScreen, InverseGraph) {
  Open({{kY, kSel, 2, "X^2-2"}});
  EXPECT_FALSE(CalcDot(54, 22));
  ASSERT_TRUE(CalcPress("F4 F4"));
  EXPECT_TRUE(CalcDot(54, 22)) << CalcScreenPicture();  // (-1, 1): x = y^2 - 2
  EXPECT_TRUE(CalcDot(54, 42));                         // (-1, -1) of the graph itself
}

}  // namespace
