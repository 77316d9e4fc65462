// DYNA as a user meets it: a built-in form chosen, the coefficient screen,
// the animation played to its pause screen, and Stop&Go stepped frame by
// frame.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "graph/dyna/dyna_play.h"
#include "tests/support/harness.h"

namespace {

class DynaSystem : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("5"));
    ASSERT_EQ(CalcTitle(), "@DYNA");
  }
};

TEST_F(DynaSystem, BuiltInFormPlaysToThePauseScreen) {
  EXPECT_EQ(CalcRow(1), "Dynamic Func:Y=") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F5"));  // B-IN
  EXPECT_EQ(CalcRow(1), "Y=AX+B") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(CalcRow(2).find("AX+B"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F4"));  // VAR: A and B, A moving
  EXPECT_EQ(CalcRow(1), "Y1=AX+B") << CalcScreenText();
  EXPECT_EQ(CalcRow(2).substr(0, 14), "Dynamic Var :A") << CalcScreenText();
  EXPECT_EQ(CalcRow(3), " A=0");
  EXPECT_EQ(CalcRow(4), " B=0");
  // B = 1, then the animation, which goes on until AC stops it at the
  // pause screen with the range.
  ASSERT_TRUE(CalcPress("DOWN 1 EXE"));
  EXPECT_EQ(CalcRow(4), " B=1");
  i32 col = 0, row = 0;
  ASSERT_TRUE(CalcKeyPosition("F6", &col, &row));
  ASSERT_TRUE(CalcPost(col, row));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(CalcPress("AC"));
  EXPECT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
  EXPECT_EQ(CalcRow(4), " Start:1");
  EXPECT_EQ(CalcRow(5), " End  :5");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2).substr(0, 14), "Dynamic Var :A");
}

TEST_F(DynaSystem, StopAndGoShowsOneFrameAKey) {
  ASSERT_TRUE(CalcPress("F5 EXE F4"));
  // SPEED: Stop&Go.
  ASSERT_TRUE(CalcPress("F3 F1 EXE"));
  ASSERT_TRUE(CalcPress("F6"));
  // Frame 0: Y = X (A = 1, B = 0) through (0.5, 0.5), not (0.5, 1).
  EXPECT_TRUE(CalcDot(69, 27));
  EXPECT_FALSE(CalcDot(69, 22));
  ASSERT_TRUE(CalcPress("EXE"));
  // Frame 1: Y = 2X through (0.5, 1).
  EXPECT_TRUE(CalcDot(69, 22));
  EXPECT_FALSE(CalcDot(69, 27));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
}

// STO on the pause screen keeps the animation; after the function is gone,
// RCL brings it back and plays the stored frames.
TEST_F(DynaSystem, StoredAnimationIsRecalled) {
  ASSERT_TRUE(CalcPress("F5 EXE F4"));
  ASSERT_TRUE(CalcPress("F3 F1 EXE"));  // Stop&Go
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcDot(69, 27));
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_TRUE(CalcScreenHas("Store In")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
  // Back to the list; the function deleted.
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ASSERT_TRUE(CalcPress("F2 F1"));
  EXPECT_FALSE(CalcScreenHas("AX+B")) << CalcScreenText();
  // RCL plays the stored first frame at once.
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcDot(69, 27));
  EXPECT_FALSE(CalcDot(69, 22));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcDot(69, 22));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_TRUE(CalcScreenHas("AX+B")) << CalcScreenText();
}

// Dynamic Type Stop: ten forward-and-back passes over five frames, then the
// pause screen. Each frame waits one 250 ms sleep at Fast, two at Normal,
// three at Slow; a speed chosen on the pause screen replays the same frames.
TEST_F(DynaSystem, TenCyclesAtEachSpeed) {
  ASSERT_TRUE(CalcPress("F5 EXE DOWN F5 DOWN EXE"));  // Y=AX+B and Y=A(X-B)^2+C
  ASSERT_TRUE(CalcPress("SHIFT MENU"));
  ASSERT_EQ(CalcRow(1).substr(0, 16), "Dynamic Type:Cnt") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_EQ(CalcRow(1).substr(0, 17), "Dynamic Type:Stop") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT F4"));
  ASSERT_TRUE(CalcPress("F3 F4 EXE"));  // Fast
  DynaPlayStats *stats = DynaStats();
  *stats = DynaPlayStats{};
  ASSERT_TRUE(CalcPress("F6", 60000));
  ASSERT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
  EXPECT_EQ(stats->framesComputed, 5u);
  EXPECT_EQ(stats->framesShown, 100u);
  EXPECT_EQ(stats->sleeps, 100u);
  struct Case {
    const char *key;
    u32 sleepsPerFrame;
  } cases[] = {{"F3", 2}, {"F2", 3}, {"F4", 1}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.key);
    *stats = DynaPlayStats{};
    ASSERT_TRUE(CalcPress(c.key, 60000));
    ASSERT_EQ(CalcRow(2), "Dynamic Setting") << CalcScreenText();
    EXPECT_EQ(stats->framesComputed, 0u);
    EXPECT_EQ(stats->framesShown, 100u);
    EXPECT_EQ(stats->sleeps, 100u * c.sleepsPerFrame);
  }
}

TEST_F(DynaSystem, NothingSelectedAndNoCoefficient) {
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_TRUE(CalcScreenHas("ERROR")) << CalcScreenText();
}

// A View Window changed between two runs: the frames are drawn again in the
// new window, not shown as they were made in the old one.
TEST_F(DynaSystem, FramesFollowAChangedViewWindow) {
  ASSERT_TRUE(CalcPress("F5 EXE F4"));
  ASSERT_TRUE(CalcPress("F3 F1 EXE"));  // Stop&Go
  ASSERT_TRUE(CalcPress("F6"));
  // Frame 0, Y = X on the initial window: through (0.5, 0.5).
  EXPECT_TRUE(CalcDot(69, 27));
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcRow(2).substr(0, 14), "Dynamic Var :A") << CalcScreenText();
  // SHIFT F3, STD (-10..10 both ways), EXIT.
  ASSERT_TRUE(CalcPress("SHIFT F3 F3 EXIT"));
  EXPECT_EQ(CalcRow(2).substr(0, 14), "Dynamic Var :A") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  // Y = X on the standard window: 12 dots right of the middle is x 1.9,
  // 6 dots up is y 1.9; (0.5, 0.5) of the old window is off the line.
  EXPECT_FALSE(CalcDot(69, 27)) << CalcScreenPicture();
  EXPECT_TRUE(CalcDotNear(76, 26)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
}

// The View Window left unchanged: F6 still plays, from the frames already
// made.
TEST_F(DynaSystem, UnchangedViewWindowKeepsTheFrames) {
  ASSERT_TRUE(CalcPress("F5 EXE F4"));
  ASSERT_TRUE(CalcPress("F3 F1 EXE"));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcDot(69, 27));
  ASSERT_TRUE(CalcPress("EXIT EXIT SHIFT F3 EXIT F6"));
  EXPECT_TRUE(CalcDot(69, 27)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
}

}  // namespace
