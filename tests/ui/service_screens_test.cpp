// Text pictures of the UI services' screens: the SET UP list with its
// choices on the function keys, the catalog, the zoom-factor pop-up and an
// edit line with the cursor's row. Kept in golden/; rewrite them with
// CORVANTA_UPDATE_GOLDEN=1 after a deliberate change and review the diff.
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "tests/support/golden.h"
#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/catalog.h"
#include "ui/edit.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"
#include "ui/ui_glue.h"

namespace {

std::string Golden(const std::string &name) { return std::string(CORVANTA_GOLDEN_DIR) + "/" + name; }

class ServiceScreens : public ::testing::Test {
 protected:
  void SetUp() override {
    StartScreenTest();
    CatalogReset();
  }
  void TearDown() override { StopKeyFeed(); }
};

// A key hook that keeps the picture of the dots as the last waiting key
// arrives (before it acts).
u32 GrabLast(i32 *, i32 *) {
  bool last;
  {
    std::lock_guard g(keyfeed::lock);
    last = keyfeed::pending.empty();
  }
  if (last) keyfeed::seen.push_back(ScreenPicture());
  return 1;
}

TEST_F(ServiceScreens, SetupScreenOnTheDisplayRow) {
  // The dots once the Display row is selected, as EXIT arrives.
  HostSetKeyHook(GrabLast);
  Press({kKeyDown, kKeyDown, kKeyDown, kKeyDown, kKeyDown, kKeyExit});
  u32 changed = 0;
  SetupScreen("@RUNMAT", &changed);
  ASSERT_FALSE(keyfeed::seen.empty());
  EXPECT_TRUE(MatchesGolden(Golden("setup_runmat_display.txt"), keyfeed::seen.back()));
}

TEST_F(ServiceScreens, CatalogAtTheLetterS) {
  HostSetKeyHook(GrabLast);
  Press({'S', kKeyDown, kKeyExit});
  CatalogScreen();
  ASSERT_FALSE(keyfeed::seen.empty());
  EXPECT_TRUE(MatchesGolden(Golden("catalog_letter_s.txt"), keyfeed::seen.back()));
}

BcdReal g_factor[2];
i32 ReadFactor(u32 isY, BcdReal *out) {
  *out = g_factor[isY ? 1 : 0];
  return 0;
}
i32 WriteFactor(u32 isY, const BcdReal *f) {
  g_factor[isY ? 1 : 0] = *f;
  return 0;
}

TEST_F(ServiceScreens, ZoomFactorPopupWhileEditingYfact) {
  RealSetTwo(&g_factor[0]);
  RealSetTwo(&g_factor[1]);
  UiGlueSetZoomFactorStore(ReadFactor, WriteFactor);
  LcdClearVram();
  TextLocate(1, 1);
  TextPrint("Screen under it");
  HostSetKeyHook(GrabLast);
  Press({kKeyDown, '0', '.', '5', kKeyExit});
  EXPECT_EQ(PopupZoomFactors(), -2);
  UiGlueSetZoomFactorStore(nullptr, nullptr);
  ASSERT_FALSE(keyfeed::seen.empty());
  EXPECT_TRUE(MatchesGolden(Golden("zoom_factors_editing.txt"), keyfeed::seen.back()));
}

TEST_F(ServiceScreens, EditLineScrolledWithTokens) {
  u8 buf[kEditLineMax + 1] = {};
  u32 cursor = 0;
  for (u32 c : {u32{kChrSin}, u32{'3'}, u32{'0'}, u32{kChrPlus}, u32{kChrList}, u32{'1'}, u32{kChrTimes},
                u32{kChrLog}, u32{'2'}, u32{kChrPlus}, u32{kChrSqrt}, u32{'2'}})
    cursor = EditPutChar(buf, kEditLineMax, cursor, c);
  TextLocate(1, 6);
  TextPrint("k=");
  EditRedrawLine(buf, 0, cursor, 3, 6);
  EXPECT_TRUE(MatchesGolden(Golden("edit_line_scrolled.txt"), ScreenPicture()));
}

}  // namespace
