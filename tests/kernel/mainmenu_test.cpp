// The main menu's page drawing and key mapping.
#include <gtest/gtest.h>

#include <cstring>

#include "data/menu_icons.h"
#include "kernel/mainmenu.h"
#include "kernel/task.h"
#include "tests/support/screen_reader.h"
#include "ui/lcd.h"

namespace {

bool Dot(int x, int y) { return (LcdVramAddress()[y * 16 + x / 8] >> (7 - x % 8)) & 1; }

void DrawWithCursor(u16 cursor) {
  SysSetRequestedMain(SysAppPair{cursor, 0});
  SysDrawMenuPage(14);
}

// The icon cell of page position p: 30 dots from x 30 * (p % 4), 19 rows
// from y 7 + 19 * (p / 4).
bool CellSelected(int position) { return Dot((position % 4) * 30 + 15, 7 + (position / 4) * 19); }

TEST(MainMenuPage, HeadingIconsCursorAndArrows) {
  SysSetMenuTopRow(0);
  DrawWithCursor(0);
  EXPECT_EQ(std::memcmp(LcdVramAddress(), kMenuHeading, sizeof kMenuHeading), 0);
  EXPECT_EQ(SysGetMenuTopRow(), 0);
  for (int p = 0; p < 12; ++p) EXPECT_EQ(CellSelected(p), p == 0) << p;
  // Each cell: the icon from its second row, the bottom line under it.
  for (int p = 0; p < 12; ++p) {
    const int x0 = (p % 4) * 30, y0 = 7 + (p / 4) * 19;
    const bool inverted = p == 0;
    EXPECT_EQ(Dot(x0 + 1, y0 + 18), !inverted) << p;   // bottom line, dots 1-28
    EXPECT_EQ(Dot(x0 + 29, y0 + 18), inverted) << p;
    const u32 row3 = kMenuIcons[p][3];
    for (int x = 0; x < 23; ++x) EXPECT_EQ(Dot(x0 + x, y0 + 4), (((row3 >> (31 - x)) & 1) != 0) != inverted);
  }
  // Only the arrow down: more icons below, none above.
  EXPECT_EQ(ScreenRowCodes(2).back(), ' ');
  EXPECT_EQ(ScreenRowCodes(8).substr(ScreenRowCodes(8).size() - 2), "\xE6\x93");
}

TEST(MainMenuPage, LabelMaskCutsTheKeyIntoTheTab) {
  SysSetMenuTopRow(0);
  DrawWithCursor(5);
  // Icon 0 ("1") is drawn normally: its tab (dots 23-29, icon rows 11-16)
  // shows the label's dots white.
  for (int r = 0; r < 5; ++r) {
    const u8 mask = kMenuLabelMasks[0][r];
    for (int b = 0; b < 6; ++b) {
      const bool cut = ((mask >> (7 - b)) & 1) == 0;
      EXPECT_EQ(Dot(24 + b, 7 + 13 + r), !cut && 24 + b <= 29) << r << "," << b;
    }
  }
}

TEST(MainMenuPage, TopRowFollowsTheCursor) {
  SysSetMenuTopRow(0);
  DrawWithCursor(12);
  EXPECT_EQ(SysGetMenuTopRow(), 1);
  EXPECT_TRUE(CellSelected(8));  // icon 12 is the first of the last page row
  EXPECT_EQ(ScreenRowCodes(2).substr(ScreenRowCodes(2).size() - 2), "\xE6\x92");
  // Icons 15 and up do not exist: the last row shows three icons.
  EXPECT_FALSE(Dot(90 + 5, 7 + 38 + 1));
  DrawWithCursor(14);
  EXPECT_EQ(SysGetMenuTopRow(), 1);
  DrawWithCursor(3);
  EXPECT_EQ(SysGetMenuTopRow(), 0);
  DrawWithCursor(11);
  EXPECT_EQ(SysGetMenuTopRow(), 0);
}

TEST(MainMenuKeys, CharactersToApplicationIndexes) {
  const struct {
    u32 code;
    u32 index;
  } cases[] = {
      {'1', 0}, {'9', 8}, {'A', 9}, {'F', 14}, {'G', 15}, {'Z', 34}, {14, 20},  {40, 17}, {41, 18},
      {44, 19}, {129, 12}, {130, 13}, {131, 14}, {133, 11}, {149, 10}, {'0', '0'}, {'a', 'a'}, {200, 200},
  };
  for (const auto &c : cases) EXPECT_EQ(SysMenuKeyIndex(c.code), c.index) << c.code;
  EXPECT_EQ(SysMainMenuCount(), 15u);
}

}  // namespace
