#include "ui/setup_screen.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

class SetupScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartScreenTest();
  }
  void TearDown() override { StopKeyFeed(); }
};

// Runs the screen with the keys and EXIT after them; returns changed.
u32 RunSetup(const char *app, std::initializer_list<u32> keys) {
  Press(keys);
  Post(kKeyExit);
  u32 changed = 7;
  EXPECT_EQ(SetupScreen(app, &changed), 0);
  return changed;
}

TEST_F(SetupScreenTest, RunMatDefaultsShowAfterAReset) {
  keyfeed::record = true;
  EXPECT_EQ(RunSetup("@RUNMAT", {}), 0u);
  ASSERT_EQ(keyfeed::seen.size(), 1u);
  EXPECT_EQ(keyfeed::seen[0].substr(0, 22 * 7),
            "Input Mode  :Math    \n"
            "Mode        :Comp    \n"
            "Frac Result :d/c     \n"
            "Angle       :Deg     \n"
            "Complex Mode:Real    \n"
            "Display     :Norm1   \n"
            "                     \n");
  // The selected row is reversed; the function keys carry its choices.
  EXPECT_EQ(ScreenRowReversed(1), std::string(21, 'R'));
  EXPECT_EQ(ScreenRowReversed(2), std::string(21, '.'));
  EXPECT_STREQ(HostFkeyLabelText(0), "math");
  EXPECT_STREQ(HostFkeyLabelText(1), "Line");
}

TEST_F(SetupScreenTest, EveryRunMatChoiceIsWrittenToItsItem) {
  struct Case {
    u32 downs;
    u32 fkey;
    u8 item;
    u8 value;
    const char *shown;
  } cases[] = {
      {0, kKeyF2, kSetupInputMode, kInputLinear, "Linear"},
      {0, kKeyF1, kSetupInputMode, kInputMath, "Math"},
      {1, kKeyF2, kSetupMode, kModeDec, "Dec"},
      {1, kKeyF3, kSetupMode, kModeHex, "Hex"},
      {1, kKeyF4, kSetupMode, kModeBin, "Bin"},
      {1, kKeyF5, kSetupMode, kModeOct, "Oct"},
      {1, kKeyF1, kSetupMode, kModeComp, "Comp"},
      {2, kKeyF2, kSetupFracResult, kFracMixed, "ab/c"},
      {2, kKeyF1, kSetupFracResult, kFracImproper, "d/c"},
      {3, kKeyF2, kSetupAngle, kAngleRad, "Rad"},
      {3, kKeyF3, kSetupAngle, kAngleGra, "Gra"},
      {3, kKeyF1, kSetupAngle, kAngleDeg, "Deg"},
      {4, kKeyF2, kSetupComplexMode, kComplexRect, "a+bi"},
      {4, kKeyF3, kSetupComplexMode, kComplexPolar, "r\xE2\x88\xA0\xCE\xB8"},
      {4, kKeyF1, kSetupComplexMode, kComplexReal, "Real"},
  };
  for (const Case &c : cases) {
    ClearKeys();
    keyfeed::record = true;
    for (u32 i = 0; i < c.downs; ++i) Post(kKeyDown);
    Post(c.fkey);
    const u32 changed = RunSetup("@RUNMAT", {});
    EXPECT_EQ(SetupGetItem(c.item), c.value) << c.shown;
    EXPECT_EQ(changed, 1u) << c.shown;
    // The screen as EXIT arrived shows the new choice on the row.
    const std::string last = keyfeed::seen.back();
    const std::string row = last.substr(22 * c.downs, 21);
    EXPECT_NE(row.find(std::string(":") + c.shown), std::string::npos) << row;
  }
}

TEST_F(SetupScreenTest, ChangedOnlyWhenAValueChanges) {
  // Deg is the angle already; UP at the top and DOWN past the end stay put.
  EXPECT_EQ(RunSetup("@RUNMAT", {kKeyUp, kKeyDown, kKeyDown, kKeyDown, kKeyF1}), 0u);
  EXPECT_EQ(RunSetup("@RUNMAT", {kKeyF6, kKeyF3}), 0u) << "keys without a choice do nothing";
  for (int i = 0; i < 10; ++i) Post(kKeyDown);
  EXPECT_EQ(RunSetup("@RUNMAT", {kKeyF1, '2', kKeyExe}), 1u) << "Fix 2 on the last row";
  EXPECT_EQ(SetupGetItem(kSetupDisplay), kDisplayFix | 2);
  EXPECT_EQ(SetupGetItem(kSetupInputMode), kInputMath);
  // A character key and SET UP inside SET UP do nothing; EXE leaves too.
  Press({'7', kKeySetup, kKeyExe});
  u32 changed = 9;
  EXPECT_EQ(SetupScreen("@RUNMAT", &changed), 0);
  EXPECT_EQ(changed, 0u);
}

TEST_F(SetupScreenTest, DisplayChoicesTable) {
  struct Case {
    u8 before;
    std::initializer_list<u32> keys;  // after moving to the Display row
    u8 after;
    const char *shown;
  } cases[] = {
      {kDisplayNorm1, {kKeyF1, '3', kKeyExe}, kDisplayFix | 3, "Fix3"},
      {kDisplayNorm1, {kKeyF2, '9', kKeyExe}, kDisplaySci | 9, "Sci9"},
      {kDisplayFix | 3, {kKeyF3}, kDisplayNorm1, "Norm1"},
      {kDisplayNorm1, {kKeyF3}, kDisplayNorm2, "Norm2"},
      {kDisplayNorm2, {kKeyF3}, kDisplayNorm1, "Norm1"},
      {kDisplayNorm1, {kKeyF4}, kDisplayEng, "EngNorm1"},
      {kDisplayEng | kDisplayFix | 2, {kKeyF4}, kDisplayFix | 2, "Fix2"},
      {kDisplayEng, {kKeyF2, '4', kKeyExe}, kDisplayEng | kDisplaySci | 4, "EngSci4"},
      // Digits outside 0-9 give the Argument box (closed by EXIT) and are
      // asked again; EXIT in the pop-up keeps the setting.
      {kDisplayNorm1, {kKeyF1, '1', '2', kKeyExe, kKeyExit, '5', kKeyExe}, kDisplayFix | 5, "Fix5"},
      {kDisplayNorm2, {kKeyF1, kKeyExit}, kDisplayNorm2, "Norm2"},
  };
  for (const Case &c : cases) {
    ClearKeys();
    SetupSetItem(kSetupDisplay, c.before);
    for (int i = 0; i < 5; ++i) Post(kKeyDown);
    const u32 changed = RunSetup("@RUNMAT", c.keys);
    EXPECT_EQ(SetupGetItem(kSetupDisplay), c.after) << c.shown;
    EXPECT_EQ(changed, c.before != c.after ? 1u : 0u) << c.shown;
    char text[16];
    EXPECT_STREQ(SetupValueText(kSetupDisplay, c.after, text), c.shown);
  }
}

TEST_F(SetupScreenTest, FixPopupAsksForDigits) {
  keyfeed::record = true;
  for (int i = 0; i < 5; ++i) Post(kKeyDown);
  EXPECT_EQ(RunSetup("@RUNMAT", {kKeyF1, '6', kKeyExe}), 1u);
  // Seen as '6' arrived: the pop-up over the list.
  const std::string &popup = keyfeed::seen[6];
  EXPECT_NE(popup.find("Fix[0~9]:"), std::string::npos) << popup;
}

TEST_F(SetupScreenTest, OtherApplicationsListTheirOwnRows) {
  struct Case {
    const char *app;
    const char *first_row;
    const char *last_row;
    u32 rows;
  } cases[] = {
      {"@MAT", "Input Mode  :Math", "Display     :Norm1", 6},
      {"@EQUA", "Input Mode  :Math", "Display     :Norm1", 4},
      {"@PROG", "Mode        :Comp", "Display     :Norm1", 4},
  };
  for (const Case &c : cases) {
    ClearKeys();
    keyfeed::record = true;
    EXPECT_EQ(RunSetup(c.app, {}), 0u) << c.app;
    ASSERT_FALSE(keyfeed::seen.empty());
    const std::string &s = keyfeed::seen[0];
    EXPECT_EQ(s.substr(0, std::string(c.first_row).size()), c.first_row) << c.app;
    EXPECT_EQ(s.substr(22 * (c.rows - 1), std::string(c.last_row).size()), c.last_row) << c.app;
    EXPECT_EQ(s.substr(22 * c.rows, 21), std::string(21, ' ')) << c.app;
  }
  // An application without a list returns at once, reading no key.
  u32 changed = 5;
  EXPECT_EQ(SetupScreen("@NONE", &changed), 0);
  EXPECT_EQ(changed, 0u);
}

TEST_F(SetupScreenTest, MenusMaskAndCursorAreAsTheyWere) {
  static const FkeyItem app_page[6] = {{1, kFkeyKeyCode, 1}, {}, {}, {}, {}, {}};
  FkeySetPage(99, app_page);
  FkeySetPage(3, app_page);
  FkeyPushHistory(3);
  KeySetMenuMask(kMaskOpt);
  TextLocate(5, 2);
  TextSetCursorShape(6);
  u32 before = 0;
  const u32 *entries = FkeyStackEntries(&before);
  const std::vector<u32> stack(entries, entries + before);
  // Inside, the row's choices are on the function keys.
  keyfeed::record = true;
  EXPECT_EQ(RunSetup("@RUNMAT", {kKeyDown}), 0u);
  u32 after = 0;
  entries = FkeyStackEntries(&after);
  EXPECT_EQ(std::vector<u32>(entries, entries + after), stack);
  EXPECT_EQ(FkeyPageOf(99), app_page);
  EXPECT_EQ(KeyGetMenuMask(), kMaskOpt);
  TextCursorState st;
  TextGetCursor(&st);
  EXPECT_EQ(st.x, 5);
  EXPECT_EQ(st.y, 2);
  EXPECT_EQ(st.shape, 6);
  // Over an empty stack the stack is empty again afterwards.
  FkeyClearStack();
  EXPECT_EQ(RunSetup("@RUNMAT", {}), 0u);
  EXPECT_EQ(FkeyTop(), -1);
}

}  // namespace
