#include <gtest/gtest.h>

#include <cstring>

#include "kernel/keyqueue.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/text.h"

namespace {

const FkeyItem kPageA[6] = {{1, kFkeyKeyCode, 1}, {2, kFkeyKeyCode, 2}, {3, kFkeySubMenu, 5},
                            {4, kFkeyInput, 'A'}, {5, kFkeySibling, 6}, {6, kFkeyBlank, 0}};

void Reset() {
  FkeyClearAll();
  FkeyClearStack();
  for (i32 id = 0; id < 240; ++id) FkeySetPage(id, nullptr);
}

TEST(FkeyPages, SetAndGet) {
  Reset();
  FkeyItem out[6] = {};
  FkeySetPage(7, kPageA);
  EXPECT_EQ(FkeyGetPage(7, out), 1u);
  EXPECT_EQ(std::memcmp(out, kPageA, sizeof out), 0);

  // A blank page (first entry kind 10) answers 0, also in the group ranges.
  FkeySetPage(100, nullptr);
  EXPECT_EQ(FkeyGetPage(100, out), 0u);
  EXPECT_EQ(out[0].kind, kFkeyBlank);
  // Ids outside 0-239: ignored by the setter, 0 from the getter, out untouched.
  FkeyItem untouched[6] = {{9, 9, 9}};
  FkeySetPage(240, kPageA);
  FkeySetPage(-1, kPageA);
  EXPECT_EQ(FkeyGetPage(240, untouched), 0u);
  EXPECT_EQ(FkeyGetPage(-1, untouched), 0u);
  EXPECT_EQ(untouched[0].icon, 9);
}

TEST(FkeyPages, ClearAllKeepsPage99AndResetsState) {
  Reset();
  FkeySetPage(0, kPageA);
  FkeySetPage(98, kPageA);
  FkeySetPage(99, kPageA);
  FkeyPushLevel(0);
  KeySetMenuMask(231);
  PopupMarkOpen(16);
  FkeyHideRow(1);
  FkeyBuildOptGroup(2);
  FkeyClearAll();
  FkeyItem out[6];
  EXPECT_EQ(FkeyPageOf(0), nullptr);
  EXPECT_EQ(FkeyPageOf(98), nullptr);
  EXPECT_EQ(FkeyGetPage(99, out), 1u);
  EXPECT_EQ(FkeyLevelCount(), 0u);
  EXPECT_EQ(KeyGetMenuMask(), 0);
  EXPECT_EQ(PopupMarkGet(), 0u);
  EXPECT_EQ(FkeyRowSwitch(), 1);
  u16 words[6];
  FkeySaveGroups(words);
  for (u16 w : words) EXPECT_EQ(w, 0);
  Reset();
}

TEST(FkeyPages, SaveAndRestorePages) {
  Reset();
  FkeySetPage(3, kPageA);
  const FkeyItem *saved[3];
  FkeySavePages(2, 4, saved);
  FkeyClearAll();
  EXPECT_EQ(FkeyPageOf(3), nullptr);
  FkeyRestorePages(2, 4, saved);
  EXPECT_EQ(FkeyPageOf(3), kPageA);
  EXPECT_EQ(FkeyPageOf(2), saved[0]);
  EXPECT_EQ(FkeyPageOf(4), saved[2]);
  Reset();
}

TEST(FkeyGroups, BuildSaveRestore) {
  Reset();
  FkeyResetGroups();
  u16 words[6];
  FkeySaveGroups(words);
  // SHIFT+VARS, VARS, OPT, ALPHA, SHIFT, CLIP: only CLIP is built, variant 1.
  const u16 afterReset[6] = {0, 0, 0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(words, afterReset, sizeof words), 0);

  FkeyBuildShiftVarsGroup(1);
  FkeyBuildVarsGroup(2);
  FkeyBuildOptGroup(2);
  FkeyBuildAlphaGroup(4);
  FkeyBuildShiftGroup(2);
  FkeyBuildClipGroup(2);
  FkeySaveGroups(words);
  const u16 built[6] = {1, 2, 2, 4, 2, 2};
  EXPECT_EQ(std::memcmp(words, built, sizeof words), 0);

  // The function-memory page of OPT variant 2.
  FkeyItem out[6];
  ASSERT_EQ(FkeyGetPage(kFkeyOptFirst, out), 1u);
  EXPECT_EQ(out[0].value, kKeyFmemSto);
  EXPECT_EQ(out[1].value, kKeyFmemRcl);
  EXPECT_EQ(out[2].kind, kFkeyInput);
  EXPECT_EQ(out[2].value, 0xF91Bu);
  EXPECT_EQ(out[3].value, kKeyFmemSee);
  // The CLIP page copies and cuts; the SHIFT page has V-WIN and G<>T.
  ASSERT_EQ(FkeyGetPage(kFkeyClipFirst, out), 1u);
  EXPECT_EQ(out[0].value, kKeyCopy);
  EXPECT_EQ(out[1].value, kKeyCut);
  FkeyItem shiftPages[21 * 6];
  ASSERT_GE(FkeyShiftGroupPages(2, shiftPages), 1u);
  EXPECT_EQ(shiftPages[1].value, kKeyVWindow);
  EXPECT_EQ(shiftPages[3].value, kKeyGraphTable);
  EXPECT_EQ(FkeyShiftGroupPages(0, shiftPages), 0u);

  // Restoring rebuilds every group with its saved variant; 0 clears.
  const u16 restore[6] = {0, 0, 0, 0, 0, 1};
  FkeyRestoreGroups(restore);
  FkeySaveGroups(words);
  EXPECT_EQ(std::memcmp(words, afterReset, sizeof words), 0);
  EXPECT_EQ(FkeyGetPage(kFkeyOptFirst, out), 0u);
  Reset();
}

std::string StackText() {
  u32 n = 0;
  const u32 *e = FkeyStackEntries(&n);
  std::string s;
  for (u32 i = 0; i < n; ++i) s += (s.empty() ? "" : " ") + (e[i] == kFkeyMark ? std::string("M") : std::to_string(e[i]));
  return s;
}

// Opening a group: nothing while its word is 0; SHIFT and ALPHA on top of
// the current menu; the other four first back to the level's root.
TEST(FkeyGroups, Opening) {
  struct Case {
    void (*build)(u16);
    void (*open)();
    const char *expect;
  } cases[] = {
      {FkeyBuildOptGroup, FkeyOpenOptGroup, "M 0 100"},
      {FkeyBuildVarsGroup, FkeyOpenVarsGroup, "M 0 141"},
      {FkeyBuildShiftVarsGroup, FkeyOpenShiftVarsGroup, "M 0 213"},
      {FkeyBuildClipGroup, FkeyOpenClipGroup, "M 0 234"},
      {FkeyBuildShiftGroup, FkeyOpenShiftGroup, "M 0 5 192"},
      {FkeyBuildAlphaGroup, FkeyOpenAlphaGroup, "M 0 5 237"},
  };
  for (const Case &c : cases) {
    Reset();
    FkeyPushLevel(0);
    FkeyPush(5);
    c.open();
    EXPECT_EQ(StackText(), "M 0 5") << c.expect;  // word 0: nothing happens
    c.build(1);
    c.open();
    EXPECT_EQ(StackText(), c.expect);
  }
  Reset();
}

TEST(FkeyGroups, MenuKeyMask) {
  KeyClearMenuMask();
  KeySetMenuMask(163);
  KeyAddMenuMask(4);
  EXPECT_EQ(KeyGetMenuMask(), 167);
  KeyRemoveMenuMask(32 | 1);
  EXPECT_EQ(KeyGetMenuMask(), 134);
  KeyClearMenuMask();
  EXPECT_EQ(KeyGetMenuMask(), 0);
}

TEST(FkeyIcons, NumbersAndUserSlotsAreRangeChecked) {
  const u8 *bitmap = nullptr;
  EXPECT_EQ(FkeyIconBitmap(kFkeyNoIcon, &bitmap), 0u);
  EXPECT_EQ(bitmap, nullptr);
  EXPECT_EQ(FkeyIconBitmap(1014, &bitmap), 0u);
  EXPECT_EQ(FkeyIconBitmap(-1, &bitmap), 0u);
  EXPECT_EQ(FkeyIconBitmap(1013, &bitmap), 1u);
  EXPECT_STREQ(FkeyLabelText(1013), "logab");
  EXPECT_STREQ(FkeyLabelText(1014), "");
  EXPECT_STREQ(FkeyLabelText(768), "MAT");
  EXPECT_STREQ(FkeyLabelText(84), "\x81\xE7" "dx");  // the integral sign in code page 932

  u8 icon[24];
  for (int i = 0; i < 24; ++i) icon[i] = static_cast<u8>(i);
  FkeySetUserIcon(1, icon);
  FkeySetUserIcon(24, icon);
  FkeySetUserIcon(0, icon);
  FkeySetUserIcon(25, icon);
  EXPECT_EQ(std::memcmp(FkeyUserIcon(24), icon, 24), 0);
  EXPECT_EQ(FkeyUserIcon(0), nullptr);
  EXPECT_EQ(FkeyUserIcon(25), nullptr);
}

// Blank icons: the listed ones have an all-clear picture and no caption,
// 60, 168 and 1013 an all-clear picture with a caption; every other icon
// shows its caption white on black (so its picture has black dots).
TEST(FkeyIcons, BlankAndDrawnPictures) {
  auto clear = [](i32 n) {
    const u8 *b = nullptr;
    FkeyIconBitmap(n, &b);
    for (int i = 0; i < 24; ++i)
      if (b[i] != 0) return false;
    return true;
  };
  int blank = 0;
  for (i32 n = 0; n < 1014; ++n) {
    const bool noCaption = FkeyLabelText(static_cast<u32>(n))[0] == '\0';
    if (noCaption) ++blank;
    if (noCaption || n == 60 || n == 168 || n == 1013) {
      EXPECT_TRUE(clear(n)) << n;
    } else {
      EXPECT_FALSE(clear(n)) << n;
    }
    const u8 *b = nullptr;
    FkeyIconBitmap(n, &b);
    for (int r = 0; r < 8; ++r) EXPECT_EQ(b[r * 3 + 2] & 0x07, 0) << n;  // 21 dots a row
  }
  EXPECT_EQ(blank, 131);
}

}  // namespace
