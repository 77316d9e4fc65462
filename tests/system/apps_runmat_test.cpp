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

}  // namespace
