#include <gtest/gtest.h>

#include <string>

#include "kernel/keyqueue.h"
#include "tests/support/golden.h"
#include "tests/support/screen_reader.h"
#include "ui/fkey.h"
#include "ui/lcd.h"

namespace {

std::string Golden(const std::string &name) { return std::string(CORVANTA_GOLDEN_DIR) + "/" + name; }

// The bottom eight dot rows, where the function-key row is drawn.
std::string Row() { return ScreenPictureRegion(0, 56, 128, 8); }

void Reset() {
  FkeyClearAll();
  FkeyClearStack();
  for (i32 id = 0; id < 240; ++id) FkeySetPage(id, nullptr);
  LcdClearVram();
}

// Fills the row area black, so what the drawing leaves alone stays visible.
void FillRowBlack() { LcdDrawAreaVram(LcdArea{0, 56, 127, 63, 1}); }

const FkeyItem kAppPage[6] = {{1, kFkeyKeyCode, 1},    {2, kFkeyKeyCode, 2},  {-4, kFkeySubMenu, 7},
                              {768, kFkeyKeyCode, 4}, {-1, kFkeyKeyCode, 5}, {0, kFkeyBlank, 0}};

TEST(FkeyRow, ApplicationPage) {
  Reset();
  u8 user[24];
  for (int r = 0; r < 8; ++r) {
    user[r * 3] = 0xAA;
    user[r * 3 + 1] = 0x55;
    user[r * 3 + 2] = 0xA8;
  }
  FkeySetUserIcon(4, user);
  FkeySetPage(3, kAppPage);
  FkeyPushLevel(3);
  FillRowBlack();
  FkeyDrawRow();
  EXPECT_TRUE(MatchesGolden(Golden("fkey_row_app_page.txt"), Row()));
  // The shell's logs see the captions of the shown icons (user icons have none).
  EXPECT_STREQ(HostFkeyLabelText(0), "GRPH");
  EXPECT_STREQ(HostFkeyLabelText(3), "MAT");
  EXPECT_STREQ(HostFkeyLabelText(2), "");
  Reset();
}

// An application id without a page draws the blank icon on every key.
TEST(FkeyRow, ApplicationIdWithoutPage) {
  Reset();
  FkeyPushLevel(8);
  FillRowBlack();
  FkeyDrawRow();
  EXPECT_TRUE(MatchesGolden(Golden("fkey_row_no_page.txt"), Row()));
  Reset();
}

struct BlankCase {
  i32 id;
  bool drawsBlankIcons;
};

// A blank page in the OPT or VARS range draws icon 0 on every key; in the
// SHIFT, SHIFT+VARS, CLIP and ALPHA ranges it draws nothing.
TEST(FkeyRow, BlankGroupPages) {
  const BlankCase cases[] = {{100, true}, {141, true}, {192, false}, {213, false}, {234, false}, {237, false}};
  for (const BlankCase &c : cases) {
    Reset();
    FkeySetPage(c.id, nullptr);
    FkeyPush(static_cast<u32>(c.id));
    FillRowBlack();
    const std::string before = Row();
    FkeyDrawRow();
    if (c.drawsBlankIcons) {
      EXPECT_TRUE(MatchesGolden(Golden("fkey_row_no_page.txt"), Row())) << c.id;
    } else {
      EXPECT_EQ(Row(), before) << c.id;
    }
  }
  Reset();
}

// In the SHIFT range the row ends at the first blank entry; group pages show
// icon -n-1 for a negative n.
TEST(FkeyRow, ShiftGroupEndsAtFirstBlank) {
  Reset();
  const FkeyItem page[6] = {{559, kFkeySubMenu, 193}, {-561, kFkeyKeyCode, 30030}, {0, kFkeyBlank, 0},
                            {563, kFkeyKeyCode, 30039}, {0, 0, 0}, {0, 0, 0}};
  FkeySetPage(192, page);
  FkeyPush(192);
  FillRowBlack();
  FkeyDrawRow();
  EXPECT_TRUE(MatchesGolden(Golden("fkey_row_shift_group.txt"), Row()));
  Reset();
}

// Icon 16384 on F3 leaves F3-F6 as they were; with the row switch at 0
// nothing is drawn.
TEST(FkeyRow, NoIconAndHiddenRow) {
  Reset();
  const FkeyItem page[6] = {{3, kFkeyKeyCode, 1}, {4, kFkeyKeyCode, 2}, {kFkeyNoIcon, 0, 0},
                            {5, kFkeyKeyCode, 3}, {6, kFkeyKeyCode, 4}, {7, kFkeyKeyCode, 5}};
  FkeySetPage(2, page);
  FkeyPushLevel(2);
  FillRowBlack();
  FkeyDrawRow();
  EXPECT_TRUE(MatchesGolden(Golden("fkey_row_no_icon_f3.txt"), Row()));

  FillRowBlack();
  const std::string before = Row();
  FkeyHideRow(1);
  FkeyDrawRow();
  EXPECT_EQ(Row(), before);
  FkeyHideRow(0);
  FkeyDrawRow();
  EXPECT_NE(Row(), before);
  Reset();
}

TEST(FkeyRow, DrawIconReplacesAndClearsTheLeftEdge) {
  Reset();
  FillRowBlack();
  const u8 *icon = nullptr;
  FkeyIconBitmap(0, &icon);  // the blank icon
  FkeyDrawIcon(0, icon);
  // Dots 0-22 of the row are clear now, dot 23 and beyond still black.
  const std::string row = ScreenPictureRegion(0, 60, 128, 1);
  EXPECT_EQ(row.substr(0, 23), std::string(23, '.'));
  EXPECT_EQ(row[23], '#');
  FkeyDrawIcon(6, icon);  // no seventh key: nothing
  EXPECT_EQ(ScreenPictureRegion(0, 60, 128, 1), row);
  Reset();
}

}  // namespace
