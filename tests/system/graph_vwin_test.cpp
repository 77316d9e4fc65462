// The View Window screen as a user meets it from RUN-MAT: SHIFT F3, values
// typed over the lines, a value out of range, the presets and the V-Window
// memories, and the values read back in a formula.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

class VwinSystem : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
};

TEST_F(VwinSystem, EditFromRunMat) {
  ASSERT_TRUE(CalcPress("SHIFT F3"));
  EXPECT_EQ(CalcRow(1), "View Window");
  EXPECT_EQ(CalcRow(2), "Xmin  :\u22126.3");
  EXPECT_EQ(CalcRow(3), " max  :6.3");
  EXPECT_EQ(CalcRow(5), " dot  :0.1");
  EXPECT_EQ(CalcRow(7), " max  :3.1");
  // A value typed over line 2 (Xmax); the dot follows and the cursor moves on.
  ASSERT_TRUE(CalcPress("DOWN 1 0 EXE"));
  EXPECT_EQ(CalcRow(3), " max  :10");
  EXPECT_EQ(CalcRow(5), " dot  :0.12936507");
  // Out of range: Range ERROR, then the same line is edited again.
  ASSERT_TRUE(CalcPress("1 EXP 9 9 EXE"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT AC 2 EXE"));
  EXPECT_EQ(CalcRow(4), " scale:2");
  // UP from line 1 goes round to the last line, lines 5-10 shown.
  ASSERT_TRUE(CalcPress("UP UP UP UP"));
  EXPECT_EQ(CalcRow(2), "Ymin  :\u22123.1");
  EXPECT_EQ(CalcRow(6), "  max :360");  // degrees
  EXPECT_EQ(CalcRow(7), "  ptch:3.6") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(2), "Xmin  :\u22126.3");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  // The values are the formula's variables.
  ASSERT_TRUE(CalcPostCodes({0x7F01, 0x89, 0x7F02}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("12")) << CalcScreenText();
}

TEST_F(VwinSystem, PresetsAndMemories) {
  ASSERT_TRUE(CalcPress("SHIFT F3 F3"));  // standard
  EXPECT_EQ(CalcRow(2), "Xmin  :\u221210");
  // Store in memory 2, back to the initial window, recall memory 2.
  ASSERT_TRUE(CalcPress("F4 2 EXE"));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "Xmin  :\u22126.3");
  ASSERT_TRUE(CalcPress("F5 2 EXE"));
  EXPECT_EQ(CalcRow(2), "Xmin  :\u221210") << CalcScreenText();
  // An empty memory changes nothing.
  ASSERT_TRUE(CalcPress("F5 5 EXE"));
  EXPECT_EQ(CalcRow(2), "Xmin  :\u221210");
  // A memory number outside 1..6 is asked again.
  ASSERT_TRUE(CalcPress("F4 9 EXE"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
}

}  // namespace
