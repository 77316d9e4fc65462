// The progress bar the storage format shows.
#include "graph/progress_bar.h"

#include <gtest/gtest.h>

#include "tests/support/screen_reader.h"
#include "ui/lcd.h"

namespace {

TEST(ProgressBar, StartsWithNoticeAndFrameThenGrows) {
  LcdClearVram();
  LcdSetPixel(0, 0, 1);
  GraphProgressBar(0, 6);
  EXPECT_EQ(LcdGetPixel(0, 0), 0);  // the screen was cleared
  EXPECT_NE(ScreenRowTrimmed(3).find("One Moment Please"), std::string::npos) << ScreenText();
  // The frame's corners, and nothing inside it yet.
  EXPECT_EQ(LcdGetPixel(18, 31), 1);
  EXPECT_EQ(LcdGetPixel(107, 41), 1);
  EXPECT_EQ(LcdGetPixel(18, 36), 1);
  EXPECT_EQ(LcdGetPixel(19, 36), 0);
  struct Step {
    int done, total, right;  // the bar's last filled dot
  };
  const Step steps[] = {{1, 6, 32}, {3, 6, 62}, {6, 6, 106}};
  for (const auto &s : steps) {
    GraphProgressBar(s.done, s.total);
    for (int y = 32; y <= 40; ++y) {
      EXPECT_EQ(LcdGetPixel(s.right, y), 1) << s.done << " y " << y;
      if (s.right < 106) {
        EXPECT_EQ(LcdGetPixel(s.right + 1, y), 0) << s.done << " y " << y;
      }
    }
  }
  EXPECT_EQ(LcdGetPixel(106, 41), 1);  // the frame's lower edge
  // No total, or more done than the total, never draws outside the frame.
  GraphProgressBar(0, 6);
  GraphProgressBar(3, 0);
  GraphProgressBar(9, 6);
  EXPECT_EQ(LcdGetPixel(106, 36), 1);
  EXPECT_EQ(LcdGetPixel(108, 36), 0);
  EXPECT_EQ(GraphProgressBarState()->done, 9);
}

}  // namespace
