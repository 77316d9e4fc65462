// The textbook editor driven by keys: a small host screen in place of the
// first application edits one formula with the editor and shows it, and the
// test reads the formula's tokens back after every key.
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "kernel/apps.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/mprint.h"

namespace {

std::mutex g_lock;
std::string g_shown;  // the formula's tokens as of the last key wait
u16 g_cursor_shown = 0;

// The host screen: lays the formula out with its cursor, waits for a key,
// hands cursor and edit keys to the editor and everything else to
// MprintDrawAt.
u32 HostScreen(u32, u16) {
  u8 text[kMprTextMax + 1] = {};
  u16 cursor = 0;
  for (;;) {
    LcdClearVram();
    u8 h = 0, w = 0;
    MprintLayout(text, &cursor, 0, 0, 1, 1, &h, &w);
    {
      std::lock_guard<std::mutex> guard(g_lock);
      g_shown = reinterpret_cast<const char *>(text);
      g_cursor_shown = cursor;
    }
    u32 key = 0;
    if (KeyGetKey(&key) == 1) {
      cursor = MprintDrawAt(text, kMprTextMax, cursor, key, KeyGetInsertMode());
    } else if (key == kKeyMatTemplate) {
      cursor = MprintDrawAt(text, kMprTextMax, cursor, key, KeyGetInsertMode());
    } else {
      MprintEditKey(text, kMprTextMax, &cursor, key);
    }
  }
}

std::string Shown(u16 *cursor = nullptr) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (cursor) *cursor = g_cursor_shown;
  return g_shown;
}

std::string Linear(const std::string &text) {
  u8 out[600];
  const i32 n = MprintToLinear(reinterpret_cast<const u8 *>(text.c_str()), out, sizeof out, 0, kMprLinearWhole);
  return n < 0 ? "<no fit>" : std::string(reinterpret_cast<char *>(out), static_cast<size_t>(n));
}

// Any dot set in the rows of the formula's area.
bool FormulaDrawn() {
  for (int y = 0; y < 56; ++y)
    for (int x = 0; x < 128; ++x)
      if (CalcDot(x, y)) return true;
  return false;
}

using UiMprintEditor = CalcSystemTest;

TEST_F(UiMprintEditor, FractionRootAndDeleteByKeys) {
  SysReplaceMainMenuEntry(0, HostScreen);
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Shown(), "");

  // The fraction key, the numerator, down into the denominator and out.
  ASSERT_TRUE(CalcPress("ab/c 1 DOWN 2"));
  u16 cursor = 0;
  EXPECT_EQ(Shown(&cursor), "\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1E");
  EXPECT_EQ(cursor, 7) << "in the denominator";
  EXPECT_TRUE(FormulaDrawn());
  ASSERT_TRUE(CalcPress("RIGHT"));
  Shown(&cursor);
  EXPECT_EQ(cursor, 9) << "after the fraction";

  // A root around a number: 9, back before it, SHIFT x² (the root key).
  ASSERT_TRUE(CalcPress("+ 9 LEFT SHIFT ^2"));
  EXPECT_EQ(Shown(&cursor), "\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1E\x89\x86\x1D\x1A" "9\x1B\x1E");
  EXPECT_EQ(cursor, 14) << "after the 9, inside the root";
  EXPECT_EQ(Linear(Shown()), "((1)\xBB(2))\x89(\x86(9))");

  // DEL at the start of the root's content removes the root, keeps the 9.
  ASSERT_TRUE(CalcPress("LEFT DEL"));
  EXPECT_EQ(Shown(&cursor), "\xBB\x1D\x1A" "1\x1B\x1A" "2\x1B\x1E\x89" "9");
  EXPECT_EQ(cursor, 10);
  EXPECT_EQ(Linear(Shown()), "((1)\xBB(2))\x89" "9");
  EXPECT_EQ(MprintCheckTemplates(reinterpret_cast<const u8 *>(Shown().c_str())), 1);
}

}  // namespace
