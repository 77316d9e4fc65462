#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/keyqueue.h"
#include "tests/support/screen_reader.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"

namespace {

// The stack as text: ids, "M" for a level mark.
std::string Stack() {
  u32 n = 0;
  const u32 *e = FkeyStackEntries(&n);
  std::string s;
  for (u32 i = 0; i < n; ++i) {
    if (!s.empty()) s += ' ';
    s += e[i] == kFkeyMark ? "M" : std::to_string(e[i]);
  }
  return s;
}

void Reset() {
  FkeyClearAll();
  FkeyClearStack();
  HostClearKeyQueue();
  HostSetKeyHook(nullptr);
}

enum Op {
  kPush, kPushMark, kPushHistory, kPushLevel, kPopLevel, kTop, kPop, kBack, kLeaveLevel, kBackToRoot,
  kReplaceLevel, kSetLevel, kRestoreRoot, kLevelRoot, kClearStack, kPopRange, kPopAlpha, kPopShift, kResetStack,
};

struct Step {
  Op op;
  u32 arg;
  i64 result;  // checked when the operation has one
  const char *stack;
  u32 levels;
};

constexpr i64 kNone = 0x7FFFFFFF;

i64 RunStep(const Step &s) {
  switch (s.op) {
    case kPush: return FkeyPush(s.arg);
    case kPushMark: FkeyPushMark(); return kNone;
    case kPushHistory: FkeyPushHistory(s.arg); return kNone;
    case kPushLevel: FkeyPushLevel(s.arg); return kNone;
    case kPopLevel: FkeyPopLevel(); return kNone;
    case kTop: return FkeyTop();
    case kPop: return FkeyPop();
    case kBack: return FkeyBack();
    case kLeaveLevel: return FkeyLeaveLevel();
    case kBackToRoot: FkeyBackToLevelRoot(); return kNone;
    case kReplaceLevel: return FkeyReplaceLevelMenu(s.arg);
    case kSetLevel: return FkeySetLevelMenu(s.arg);
    case kRestoreRoot: FkeyRestoreLevelRoot(); return kNone;
    case kLevelRoot: return FkeyLevelRoot();
    case kClearStack: FkeyClearStack(); return kNone;
    case kPopRange: return FkeyPopRange(s.arg >> 16, s.arg & 0xFFFF);
    case kPopAlpha: return FkeyPopAlphaMenus();
    case kPopShift: return FkeyPopShiftMenus();
    case kResetStack: FkeyResetStack(); return kNone;
  }
  return kNone;
}

struct StackCase {
  const char *name;
  std::vector<Step> steps;
};

TEST(FkeyStack, Operations) {
  const StackCase cases[] = {
      {"push and top", {{kPush, 5, 5, "5", 0}, {kPush, 7, 7, "5 7", 0}, {kTop, 0, 7, "5 7", 0}}},
      {"empty stack: top, pop and back answer -1",
       {{kTop, 0, -1, "", 0}, {kPop, 0, -1, "", 0}, {kBack, 0, -1, "", 0}, {kPopLevel, 0, kNone, "", 0}}},
      {"levels record their roots",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPushLevel, 4, kNone, "M 3 M 4", 2},
        {kLevelRoot, 0, 4, "M 3 M 4", 2}}},
      {"back directly above a mark keeps the root; one higher removes the top",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kBack, 0, -2, "M 3", 1},
        {kPush, 9, 9, "M 3 9", 1},
        {kBack, 0, 9, "M 3", 1}}},
      {"back without a mark empties a one-entry stack", {{kPush, 5, 5, "5", 0}, {kBack, 0, 5, "", 0}}},
      {"pop of a level mark leaves the level",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPushLevel, 4, kNone, "M 3 M 4", 2},
        {kPush, 9, 9, "M 3 M 4 9", 2},
        {kPop, 0, 9, "M 3 M 4", 2},
        {kPop, 0, 4, "M 3 M", 2},
        {kPop, 0, -2, "M", 1},
        {kPop, 0, -2, "", 1}}},
      {"pop level cuts at the last mark, not at the bottom",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPopLevel, 0, kNone, "M 3", 1},
        {kPushLevel, 4, kNone, "M 3 M 4", 2},
        {kPush, 9, 9, "M 3 M 4 9", 2},
        {kPopLevel, 0, kNone, "M 3", 1}}},
      {"leave level drops the menus above the last mark",
       {{kPushLevel, 3, kNone, "M 3", 1}, {kPush, 9, 9, "M 3 9", 1}, {kLeaveLevel, 0, 9, "M", 1}}},
      {"back to the level root",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPush, 9, 9, "M 3 9", 1},
        {kPush, 10, 10, "M 3 9 10", 1},
        {kBackToRoot, 0, kNone, "M 3", 1},
        {kClearStack, 0, kNone, "", 1},
        {kPush, 5, 5, "5", 1},
        {kPush, 6, 6, "5 6", 1},
        {kBackToRoot, 0, kNone, "5", 1}}},
      {"replace the level's menu",
       {{kPushLevel, 3, kNone, "M 3", 1}, {kPush, 9, 9, "M 3 9", 1}, {kReplaceLevel, 8, 8, "M 8", 1}}},
      {"set the level's menu in place",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPush, 9, 9, "M 3 9", 1},
        {kSetLevel, 6, 6, "M 6 9", 1},
        {kClearStack, 0, kNone, "", 1},
        {kSetLevel, 7, 7, "7", 1}}},
      {"restore the level root",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPush, 9, 9, "M 3 9", 1},
        {kPush, 10, 10, "M 3 9 10", 1},
        {kRestoreRoot, 0, kNone, "M 3", 1}}},
      {"pop ranges of the SHIFT and ALPHA groups",
       {{kPush, 1, 1, "1", 0},
        {kPush, 192, 192, "1 192", 0},
        {kPush, 193, 193, "1 192 193", 0},
        {kPopShift, 0, 1, "1", 0},
        {kPush, 237, 237, "1 237", 0},
        {kPopAlpha, 0, 1, "1", 0},
        {kPush, 100, 100, "1 100", 0},
        {kPopRange, 100 << 16 | 140, 1, "1", 0}}},
      {"reset to the first level's root",
       {{kPushLevel, 3, kNone, "M 3", 1},
        {kPushLevel, 4, kNone, "M 3 M 4", 2},
        {kResetStack, 0, kNone, "3", 1}}},
  };
  for (const StackCase &c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(i);
      const Step &s = c.steps[i];
      const i64 r = RunStep(s);
      if (s.result != kNone) {
        EXPECT_EQ(r, s.result);
      }
      EXPECT_EQ(Stack(), s.stack);
      EXPECT_EQ(FkeyLevelCount(), s.levels);
    }
  }
  Reset();
}

// A stale entry beyond a cleared stack never comes back into use.
TEST(FkeyStack, ClearedStackForgetsOldEntries) {
  Reset();
  FkeyPush(5);
  FkeyPush(6);
  FkeyPush(7);
  FkeyClearStack();
  FkeySetLevelMenu(8);
  EXPECT_EQ(Stack(), "8");
  FkeyClearStack();
  FkeyPushMark();
  EXPECT_EQ(Stack(), "M");
  Reset();
}

std::vector<u8> g_shownScreen;

u32 CaptureScreen(i32 *, i32 *) {
  g_shownScreen.assign(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes);
  return 1;
}

// The 33rd push shows the overflow pop-up, returns 0 and changes nothing;
// the screen under the pop-up comes back.
TEST(FkeyStack, ThirtyThirdPushRefusedWithPopup) {
  Reset();
  LcdClearVram();
  LcdDrawLine(0, 0, 127, 63);
  std::vector<u8> before(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes);
  for (u32 i = 0; i < kFkeyStackSize; ++i) ASSERT_EQ(FkeyPush(i), i);
  const std::string full = Stack();
  HostSetKeyHook(CaptureScreen);
  HostPostKey(4, 8, 0);  // EXIT closes the pop-up
  EXPECT_EQ(FkeyPush(99), 0u);
  EXPECT_EQ(Stack(), full);
  EXPECT_NE(ScreenText(g_shownScreen.data()).find("Function Menu"), std::string::npos);
  EXPECT_NE(ScreenText(g_shownScreen.data()).find("Stack Overflow!"), std::string::npos);
  EXPECT_EQ(std::vector<u8>(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes), before);
  // A mark or history entry into a full stack is not written either.
  FkeyPushMark();
  EXPECT_EQ(Stack(), full);
  Reset();
}

// Far more levels than the history holds: the count stops at the history's
// size and nothing is written past it.
TEST(FkeyStack, HistoryNeverOverflows) {
  Reset();
  for (u32 i = 0; i < 16; ++i) FkeyPushLevel(i);
  EXPECT_EQ(FkeyLevelCount(), 16u);
  FkeyClearStack();
  HostSetKeyHook(nullptr);
  for (u32 i = 0; i < 80; ++i) {
    if (i % 30 == 29) {
      FkeyClearStack();  // keep the stack from overflowing; the history grows on
    }
    FkeyPushHistory(100 + i);
  }
  EXPECT_EQ(FkeyLevelCount(), static_cast<u32>(kFkeyStackSize));
  FkeySetLevelMenu(7);
  FkeyReplaceLevelMenu(8);
  EXPECT_LE(FkeyLevelCount(), static_cast<u32>(kFkeyStackSize));
  Reset();
}

}  // namespace
