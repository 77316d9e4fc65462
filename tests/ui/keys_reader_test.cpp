#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "kernel/keyqueue.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

using Press = std::pair<i32, i32>;

constexpr Press kShift{7, 9};
constexpr Press kAlpha{7, 8};
constexpr Press kExit{4, 8};
constexpr Press kExe{3, 2};
constexpr Press kDel{4, 5};
constexpr Press kOpt{6, 9};
constexpr Press kVars{5, 9};
constexpr Press kSin{4, 7};
constexpr Press kXThetaT{7, 7};
constexpr Press kEight{6, 5};
constexpr Press kUp{2, 9};
constexpr Press kF1{7, 10};
constexpr Press kF2{6, 10};
constexpr Press kF3{5, 10};
constexpr Press kF4{4, 10};
constexpr Press kF5{3, 10};

struct Read {
  u32 result;
  u32 key;
};

class KeyReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetupResetAll();
    FkeyClearAll();
    FkeyClearStack();
    for (i32 id = 0; id < 240; ++id) FkeySetPage(id, nullptr);
    HostClearKeyQueue();
    HostSetKeyHook(nullptr);
    LcdClearVram();
    KeyForgetDrawnRow();
  }
  void TearDown() override {
    HostClearKeyQueue();
    SetupResetAll();
    FkeyClearAll();
    FkeyClearStack();
  }
  // Posts the presses and reads keys until none is left; the last read.
  static Read Get(std::vector<Press> presses) {
    for (auto [c, r] : presses) HostPostKey(c, r, 0);
    Read r{};
    do {
      r.result = KeyGetKey(&r.key);
    } while (HostKeyQueueCount() != 0);
    return r;
  }
};

struct SequenceCase {
  const char *name;
  std::vector<Press> presses;  // read with one KeyGetKey each until the last
  u32 result;                  // of the last read
  u32 key;
  u8 modifierAfter;
};

// Key sequences, each read key by key; the last read is checked with the
// modifier state it leaves.
TEST_F(KeyReaderTest, Sequences) {
  const SequenceCase cases[] = {
      {"plain character", {{7, 3}}, 1, '1', kModNone},
      {"plain key code", {kExe}, 0, kKeyExe, kModNone},
      {"SHIFT is returned and sets the state", {kShift}, 0, kKeyShift, kModShift},
      {"SHIFT sin gives the inverse sine and ends SHIFT", {kShift, kSin}, 1, 0x91, kModNone},
      {"SHIFT twice cancels", {kShift, kShift}, 0, kKeyShift, kModNone},
      {"SHIFT EXIT is QUIT", {kShift, kExit}, 0, kKeyQuit, kModNone},
      {"SHIFT MENU is SET UP", {kShift, {4, 9}}, 0, kKeySetup, kModNone},
      {"ALPHA gives one letter", {kAlpha, kXThetaT}, 1, 'A', kModNone},
      {"SHIFT ALPHA locks alpha", {kShift, kAlpha, kXThetaT}, 1, 'A', kModAlphaLock},
      {"alpha lock stays after letters", {kShift, kAlpha, kXThetaT, kSin}, 1, 'D', kModAlphaLock},
      {"ALPHA in the lock ends it", {kShift, kAlpha, kAlpha}, 0, kKeyAlpha, kModNone},
      {"SHIFT in alpha gives lower case", {kAlpha, kShift, kSin}, 1, 'd', kModNone},
      {"lower-case lock", {kShift, kAlpha, kShift, kSin}, 1, 'd', kModLowerLock},
      {"ALPHA on a key without a letter gives the key", {kAlpha, kExe}, 0, kKeyExe, kModNone},
      {"EXIT ends a one-key ALPHA and is not returned", {kAlpha, kExit, kExe}, 0, kKeyExe, kModNone},
      {"SHIFT 8 enters the CLIP state", {kShift, kEight}, 0, kKeyClip, kModClip},
      {"arrows in the CLIP state select", {kShift, kEight, kUp}, 0, kKeyClipUp, kModClip},
      {"SHIFT in the CLIP state", {kShift, kEight, kShift}, 0, kKeyClipShift, kModClip},
      {"another key ends the CLIP state", {kShift, kEight, kUp, kExe}, 0, kKeyExe, kModNone},
      {"a position without a key is skipped", {{1, 2}, kExe}, 0, kKeyExe, kModNone},
      {"SHIFT DEL toggles insert and is not returned", {kShift, kDel, kExe}, 0, kKeyExe, kModNone},
  };
  for (const SequenceCase &c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    FkeyBuildClipGroup(1);
    const Read r = Get(c.presses);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.key, c.key);
    EXPECT_EQ(KeyGetModifier(), c.modifierAfter);
  }
}

TEST_F(KeyReaderTest, InsertModeToggles) {
  EXPECT_EQ(KeyGetInsertMode(), kInsertInsert);
  Get({kShift, kDel, kExe});
  EXPECT_EQ(KeyGetInsertMode(), kInsertOverwrite);
  Get({kShift, kDel, kExe});
  EXPECT_EQ(KeyGetInsertMode(), kInsertInsert);
}

TEST_F(KeyReaderTest, CursorShapeFollowsTheState) {
  TextLocate(1, 1);
  KeyCursorFromState();
  EXPECT_EQ(TextCursorShape(), 0);
  Get({kShift});
  EXPECT_EQ(TextCursorShape(), 1);
  Get({kAlpha});  // SHIFT ALPHA: alpha lock
  EXPECT_EQ(TextCursorShape(), 3);
  TextCursorOff();
  Get({kAlpha});  // a hidden cursor stays hidden
  EXPECT_EQ(TextCursorShape(), -1);
}

TEST_F(KeyReaderTest, PostedCodesAndLogWords) {
  KeyPost(kKeyExe);
  Read r{};
  r.result = KeyGetKey(&r.key);
  EXPECT_EQ(r.result, 0u);
  EXPECT_EQ(r.key, kKeyExe);
  EXPECT_EQ(HostGetLogKeyCode(), kKeyExe);
  EXPECT_EQ(HostGetLogCharCode(), 0u);
  KeyPost('Q');
  r.result = KeyGetKey(&r.key);
  EXPECT_EQ(r.result, 1u);
  EXPECT_EQ(r.key, static_cast<u32>('Q'));
  EXPECT_EQ(HostGetLogCharCode(), static_cast<u32>('Q'));
  EXPECT_EQ(HostGetLogKeyCode(), 0u);
  KeyPost(0x7F50);  // a two-byte token is a character, not a key code
  r.result = KeyGetKey(&r.key);
  EXPECT_EQ(r.result, 1u);
  EXPECT_EQ(r.key, 0x7F50u);
}

// F1-F6 act by the kind of the current page's entry.
TEST_F(KeyReaderTest, FunctionKeysByEntryKind) {
  const FkeyItem root[6] = {{1, kFkeySubMenu, 5},  {2, kFkeyInput, 0x81},  {3, kFkeyKeyCode, 7},
                            {4, kFkeySibling, 6}, {5, kFkeyCommand, 9},   {0, kFkeyBlank, 0}};
  const FkeyItem sub[6] = {{9, kFkeyKeyCode, 55}, {}, {}, {}, {}, {}};
  const FkeyItem sibling[6] = {{10, kFkeyKeyCode, 66}, {}, {}, {}, {}, {}};
  FkeySetPage(4, root);
  FkeySetPage(5, sub);
  FkeySetPage(6, sibling);
  FkeyPushLevel(4);

  Read r = Get({kF2});
  EXPECT_EQ(r.result, 1u);
  EXPECT_EQ(r.key, 0x81u);
  r = Get({kF3});
  EXPECT_EQ(r.result, 0u);
  EXPECT_EQ(r.key, 7u);
  EXPECT_STREQ(HostActiveFkeyLabelText(), "TEST");
  r = Get({kF5});  // kind 6 works like kind 2
  EXPECT_EQ(r.key, 9u);
  r = Get({{2, 10}});  // a blank entry: the plain F6 code
  EXPECT_EQ(r.key, kKeyF6);

  // Kind 0 opens the sub-menu (nothing returned), whose F1 then answers.
  r = Get({kF1, kF1});
  EXPECT_EQ(r.key, 55u);
  EXPECT_EQ(FkeyTop(), 5);
  // EXIT closes the sub-menu without reaching the caller; on the level's
  // root it is returned.
  r = Get({kExit, kExe});
  EXPECT_EQ(r.key, kKeyExe);
  EXPECT_EQ(FkeyTop(), 4);
  r = Get({kExit});
  EXPECT_EQ(r.key, kKeyExit);
  EXPECT_EQ(FkeyTop(), 4);

  // Kind 3 replaces the current menu by its sibling.
  r = Get({kF4, kF1});
  EXPECT_EQ(r.key, 66u);
  EXPECT_EQ(FkeyTop(), 6);
}

TEST_F(KeyReaderTest, FunctionKeysWithoutPageReachTheCaller) {
  FkeyPushLevel(8);
  const Read r = Get({kF1});
  EXPECT_EQ(r.result, 0u);
  EXPECT_EQ(r.key, kKeyF1);
}

// A menu key opens its group unless the mask has its bit or a pop-up is
// open; the key is returned either way.
TEST_F(KeyReaderTest, MenuGroupsMasksAndPopups) {
  const FkeyItem optPage[6] = {{157, kFkeyInput, 0x97}, {}, {}, {}, {}, {}};
  FkeyPushLevel(0);
  FkeyBuildOptGroup(3);
  FkeySetPage(kFkeyOptFirst, optPage);
  FkeyBuildVarsGroup(0);

  Read r = Get({kOpt});
  EXPECT_EQ(r.key, kKeyOptn);
  EXPECT_EQ(FkeyTop(), kFkeyOptFirst);
  r = Get({kF1});  // the OPT page's entry
  EXPECT_EQ(r.result, 1u);
  EXPECT_EQ(r.key, 0x97u);
  Get({kExit, kExe});  // EXIT closes the OPT menu
  EXPECT_EQ(FkeyTop(), 0);

  r = Get({kVars});  // VARS group disabled (word 0): returned, nothing opened
  EXPECT_EQ(r.key, kKeyVars);
  EXPECT_EQ(FkeyTop(), 0);

  KeySetMenuMask(kMaskOpt);
  Get({kOpt});
  EXPECT_EQ(FkeyTop(), 0);
  KeyClearMenuMask();

  PopupMarkOpen(16);  // an open pop-up: no menu handling at all
  Get({kOpt});
  EXPECT_EQ(FkeyTop(), 0);
  r = Get({kF1});
  EXPECT_EQ(r.key, kKeyF1);
  PopupMarkClearAll();
}

TEST_F(KeyReaderTest, ShiftAndAlphaGroupsOpenAndClose) {
  const FkeyItem shiftPage[6] = {{560, kFkeyKeyCode, kKeyVWindow}, {}, {}, {}, {}, {}};
  FkeyPushLevel(0);
  FkeyBuildShiftGroup(5);
  FkeySetPage(kFkeyShiftFirst, shiftPage);
  FkeyBuildAlphaGroup(1);

  Get({kShift});
  EXPECT_EQ(FkeyTop(), kFkeyShiftFirst);
  Read r = Get({kF1});  // SHIFT F1 acts on the SHIFT page
  EXPECT_EQ(r.key, kKeyVWindow);
  EXPECT_EQ(FkeyTop(), 0);
  EXPECT_EQ(KeyGetModifier(), kModNone);

  Get({kAlpha});
  EXPECT_EQ(FkeyTop(), kFkeyAlphaFirst);
  Get({kXThetaT});
  EXPECT_EQ(FkeyTop(), 0);

  KeySetMenuMask(kMaskShiftGroup);
  Get({kShift});
  EXPECT_EQ(FkeyTop(), 0);
  Get({kShift});
}

// Under SHIFT a page below the group's first takes F1-F6 as its entries
// and EXIT as going back a page; on the group's first page SHIFT EXIT is
// QUIT as everywhere.
TEST_F(KeyReaderTest, ShiftSubPageTakesItsEntriesAndExitGoesBack) {
  const FkeyItem first[6] = {{559, kFkeySubMenu, kFkeyShiftFirst + 1}, {}, {}, {}, {}, {}};
  const FkeyItem sub[6] = {{82, kFkeyKeyCode, 30245}, {}, {}, {}, {}, {}};
  FkeyPushLevel(0);
  FkeyBuildShiftGroup(5);
  FkeySetPage(kFkeyShiftFirst, first);
  FkeySetPage(kFkeyShiftFirst + 1, sub);

  Get({kShift});
  // The sub-page, back to the SHIFT page, the sub-page again and its entry.
  Read r = Get({kF1, kExit, kF1, kF1});
  EXPECT_EQ(r.key, 30245u);
  EXPECT_EQ(FkeyTop(), 0);
  EXPECT_EQ(KeyGetModifier(), kModNone);

  Get({kShift});
  r = Get({kExit});
  EXPECT_EQ(r.key, kKeyQuit);
}

// The row is redrawn when the menu changes, before the wait.
TEST_F(KeyReaderTest, RedrawsTheRowWhenTheMenuChanges) {
  const FkeyItem page[6] = {{1, kFkeyKeyCode, 1}, {}, {}, {}, {}, {}};
  FkeySetPage(3, page);
  FkeyPushLevel(3);
  Get({kExe});
  // F1's icon is on the screen: its top row is black over 20 dots, then the
  // clear column that parts it from F2.
  EXPECT_EQ(LcdGetPixel(2, 56), 1);
  EXPECT_EQ(LcdGetPixel(21, 56), 1);
  EXPECT_EQ(LcdGetPixel(22, 56), 0);
  LcdClearVram();
  Get({kExe});  // same menu: not drawn again
  EXPECT_EQ(LcdGetPixel(2, 56), 0);
}

TEST_F(KeyReaderTest, DisarmsBreakBeforeWaiting) {
  KeyBreakArm();
  Get({kExe});
  EXPECT_EQ(KeyBreakArmedState(), 0);
}

}  // namespace
