// Whole-screen pictures of the calculation document as a user makes them:
// fractions stacked, ten to the power, a line too wide for the screen
// scrolled both ways, list and matrix results, and an e-activity with a
// stop line and a strip. Each picture is compared with its golden file
// (CORVANTA_UPDATE_GOLDEN=1 writes them).
#include <gtest/gtest.h>

#include <string>

#include "tests/support/golden.h"
#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"
#include "ui/keycodes.h"

namespace {

std::string Golden(const std::string &name) { return GoldenBeside(__FILE__, name); }

testing::AssertionResult ShowsGolden(const std::string &name) {
  return MatchesGolden(Golden(name), CalcScreenPicture());
}

class CalcDocPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    CalcUseMathInput();
    CalcStart();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
  void TearDown() override { CalcStop(); }
};

// 1/2+1/3 typed with the fraction key: 1/2 at the top (numerator glyph
// rows 0-6, bar row 8, denominator rows 10-16), 5/6 right-aligned under the
// line, the new empty line below it.
TEST_F(CalcDocPicture, FractionsOnTop) {
  ASSERT_TRUE(CalcPress("ab/c 1 DOWN 2 RIGHT + ab/c 1 DOWN 3 EXE"));
  EXPECT_TRUE(ShowsGolden("calcdoc_fractions_on_top.txt"));
}

// Ten to the power: the ten-power character, the exponent raised after it,
// the value under the line.
TEST_F(CalcDocPicture, TenPower) {
  ASSERT_TRUE(CalcPress("SHIFT log 3 EXE"));
  EXPECT_TRUE(ShowsGolden("calcdoc_ten_power.txt"));
}

// A line wider than the screen, a fraction first so that it is taller than
// a text row: with the cursor at its end the line is shown scrolled to its
// end with the left marker, with the cursor at its start from its start with
// the right marker; both markers on the rows of its text, beside the
// fraction bar.
TEST_F(CalcDocPicture, WideLineScrolledBothWays) {
  ASSERT_TRUE(CalcPress("ab/c 1 DOWN 2 RIGHT +"));
  ASSERT_TRUE(CalcPress("1 2 3 4 5 6 7 8 9 0 * 1 2 3 4 5 6 7 8 9 0 + 1 2"));
  EXPECT_TRUE(ShowsGolden("calcdoc_scrolled_end.txt"));
  std::string left;
  for (int i = 0; i < 30; ++i) left += "LEFT ";
  ASSERT_TRUE(CalcPress(left));
  EXPECT_TRUE(ShowsGolden("calcdoc_scrolled_start.txt"));
}

// A list result and a matrix result in textbook form, right-aligned under
// their lines.
TEST_F(CalcDocPicture, ListAndMatrixResults) {
  ASSERT_TRUE(CalcPostCodes({kChrListOpen, '1', ',', '2', ',', '3', kChrListClose, kChrTimes, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(ShowsGolden("calcdoc_list_result.txt"));
  ASSERT_TRUE(CalcPress("F2 F2 F1"));  // DEL, DEL-A, yes: a clear document
  ASSERT_TRUE(CalcPress("F4 F1 F1"));  // math, MAT, 2*2: the matrix template
  ASSERT_TRUE(CalcPress("1 RIGHT 2 RIGHT 3 RIGHT 4 RIGHT * 2 EXE"));
  EXPECT_TRUE(ShowsGolden("calcdoc_matrix_result.txt"));
}

class EactPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    CalcStart(true);
    ASSERT_TRUE(CalcBootToMenu());
  }
  void TearDown() override { CalcStop(); }
};

// An e-activity: its title, a calculation line with its result, a stop line
// and a Run strip inserted under it, each shown marked as the current line,
// then both unmarked.
TEST_F(EactPicture, StopLineAndStrip) {
  ASSERT_TRUE(CalcPress("3"));
  ASSERT_EQ(CalcTitle(), "@EACT");
  ASSERT_TRUE(CalcPress("F2"));  // NEW
  ASSERT_TRUE(CalcPostCodes({'A', 'B'}));
  ASSERT_TRUE(CalcPress("EXE"));
  // EXE on the text line under the title opens one below it; F3 makes that a
  // calculation line. After the run the new last line is a text line: its
  // second page, INS, STOP puts a stop line above it.
  ASSERT_TRUE(CalcPress("EXE F3 1 + 2 EXE"));
  ASSERT_TRUE(CalcPress("F6 F3 F3"));
  EXPECT_TRUE(ShowsGolden("eact_stop_line.txt"));
  ASSERT_TRUE(CalcPress("DOWN F2 EXE"));  // STRP, the first row: Run
  EXPECT_TRUE(ShowsGolden("eact_strip.txt"));
  // Up to the calculation line: the stop line and the strip unmarked.
  ASSERT_TRUE(CalcPress("UP UP UP"));
  EXPECT_TRUE(ShowsGolden("eact_stop_line_and_strip.txt"));
}

}  // namespace
