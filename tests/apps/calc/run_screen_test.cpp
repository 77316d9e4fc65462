// The run screen's line editor driven directly: the 255-byte limit under
// insert and overwrite, layout and scrolling on the 21 x 7 grid, DEL, the
// selection and the clipboard.
#include "apps/calc/run_screen.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/calc_ram.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "tests/support/screen_reader.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

class RunScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetupResetAll();
    MsgSelectDefaultLanguage();
    HostSetKeyHook(nullptr);
    HostClearKeyQueue();
    FkeyClearAll();
    FkeyClearStack();
    KeySetMenuMask(0);
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    ASSERT_EQ(RunScreenInit(&rs), 0);
  }
  void TearDown() override {
    RunScreenFree(&rs);
    HostClearKeyQueue();
    HostFreeCalcRam();
  }
  void Type(const std::string &s) {
    for (unsigned char c : s) ASSERT_EQ(RunScreenInsertToken(c, &rs), 0);
  }
  std::string Line() const { return std::string(rs.tok, rs.tok_end - 1); }
  void Keys(std::initializer_list<u32> keys) {
    for (u32 k : keys) {
      if (k == kKeyDel) {
        RunScreenDeleteChar(k, &rs);
      } else {
        RunScreenCursorKey(k, &rs, 1);
      }
    }
  }
  RunScreen rs{};
};

TEST_F(RunScreenTest, LineLimitUnderInsertAndOverwrite) {
  struct Case {
    const char *name;
    u32 filled;  // one-byte tokens typed first
    u8 mode;     // insert mode while the token goes in
    u32 lefts;   // cursor steps left before it
    u16 token;
    u32 length;  // bytes of the line afterwards
  } cases[] = {
      {"255 bytes fill the line", 254, kInsertInsert, 0, 'a', 255},
      {"a 256th byte is refused at the end", 255, kInsertInsert, 0, 'a', 255},
      {"a 256th byte is refused inside in insert mode", 255, kInsertInsert, 3, 'b', 255},
      {"overwrite inside a full line replaces", 255, kInsertOverwrite, 3, 'b', 255},
      {"overwrite of a newline inside a full line is refused", 255, kInsertOverwrite, 3, 13, 255},
      {"two bytes after 253 fit", 253, kInsertInsert, 0, 0xE540, 255},
      {"two bytes after 254 are refused at the end", 254, kInsertInsert, 0, 0xE540, 254},
      {"two bytes after 254 are refused inside in insert mode", 254, kInsertInsert, 2, 0xE540, 254},
      {"two bytes over one after 254 in overwrite", 254, kInsertOverwrite, 2, 0xE540, 255},
      {"two bytes over one after 255 are refused", 255, kInsertOverwrite, 2, 0xE540, 255},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RunScreenFree(&rs);
    ASSERT_EQ(RunScreenInit(&rs), 0);
    KeySetInsertMode(kInsertInsert);
    Type(std::string(c.filled, 'a'));
    for (u32 i = 0; i < c.lefts; ++i) RunScreenCursorKey(kKeyLeft, &rs, 1);
    KeySetInsertMode(c.mode);
    ASSERT_EQ(RunScreenInsertToken(c.token, &rs), 0);
    EXPECT_EQ(rs.tok_end - 1, c.length);
    EXPECT_EQ(Line().size(), c.length);
    if (c.length > c.filled && c.lefts && c.mode == kInsertOverwrite) {
      // The replaced character is the one the cursor stood on.
      EXPECT_EQ(static_cast<u8>(Line()[c.filled - c.lefts]), c.token >> 8);
    }
  }
}

TEST_F(RunScreenTest, LongLineWrapsAndScrolls) {
  // 21 characters fill row 1; the 22nd goes to row 2.
  Type(std::string(22, '1'));
  EXPECT_EQ(ScreenRowTrimmed(1), std::string(21, '1'));
  EXPECT_EQ(ScreenRowTrimmed(2), "1");
  EXPECT_EQ(rs.row, 2u);
  EXPECT_EQ(rs.col, 2u);
  // Eight rows' worth scrolls the first row off.
  RunScreenFree(&rs);
  ASSERT_EQ(RunScreenInit(&rs), 0);
  std::string text;
  for (char c = 'a'; c <= 'h'; ++c) text += std::string(21, c);
  Type(text.substr(0, 21 * 7 + 5));
  EXPECT_EQ(ScreenRowTrimmed(1), std::string(21, 'b'));
  EXPECT_EQ(ScreenRowTrimmed(7), "hhhhh");
  EXPECT_EQ(rs.row, 7u);
  // LEFT back over the start of row 1 scrolls the first row back in.
  for (int i = 0; i < 5 + 21 * 6 + 1; ++i) RunScreenCursorKey(kKeyLeft, &rs, 1);
  EXPECT_EQ(rs.row, 1u);
  EXPECT_EQ(ScreenRowTrimmed(1), std::string(21, 'a'));
  EXPECT_EQ(ScreenRowTrimmed(7), std::string(21, 'g'));
  EXPECT_EQ(rs.col, 21u);
  // RIGHT wraps to the next row; UP and DOWN keep the column across rows.
  RunScreenCursorKey(kKeyRight, &rs, 1);
  RunScreenCursorKey(kKeyRight, &rs, 1);
  EXPECT_EQ(rs.row, 2u);
  EXPECT_EQ(rs.col, 2u);
  RunScreenCursorKey(kKeyDown, &rs, 1);
  EXPECT_EQ(rs.row, 3u);
  EXPECT_EQ(rs.col, 2u);
  RunScreenCursorKey(kKeyUp, &rs, 1);
  RunScreenCursorKey(kKeyUp, &rs, 1);
  EXPECT_EQ(rs.row, 1u);
  EXPECT_EQ(rs.col, 2u);
}

TEST_F(RunScreenTest, DeleteTable) {
  struct Case {
    const char *name;
    u8 mode;
    std::initializer_list<u32> keys;
    const char *line;
    u32 col;
  } cases[] = {
      {"DEL at the end takes the last character", kInsertOverwrite, {kKeyDel}, "12", 3},
      {"DEL inside in overwrite takes the one under the cursor", kInsertOverwrite, {kKeyLeft, kKeyLeft, kKeyDel}, "13", 2},
      {"DEL inside in insert mode takes the one before", kInsertInsert, {kKeyLeft, kKeyDel}, "13", 2},
      {"DEL at the start in insert mode takes the first", kInsertInsert, {kKeyLeft, kKeyLeft, kKeyLeft, kKeyDel}, "23", 1},
      {"DEL on an emptied line does nothing", kInsertInsert, {kKeyDel, kKeyDel, kKeyDel, kKeyDel}, "", 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RunScreenFree(&rs);
    ASSERT_EQ(RunScreenInit(&rs), 0);
    Type("123");
    KeySetInsertMode(c.mode);
    Keys(c.keys);
    EXPECT_EQ(Line(), c.line);
    EXPECT_EQ(ScreenRowTrimmed(1), c.line);
    EXPECT_EQ(rs.col, c.col);
  }
}

TEST_F(RunScreenTest, TwoByteCharactersTakeOneColumn) {
  // Greek letters are two-byte characters: one column each.
  ASSERT_EQ(RunScreenInsertToken(0xE640, &rs), 0);
  ASSERT_EQ(RunScreenInsertToken('1', &rs), 0);
  ASSERT_EQ(RunScreenInsertToken(0xE641, &rs), 0);
  EXPECT_EQ(ScreenRowTrimmed(1), "α1β");
  EXPECT_EQ(rs.col, 4u);
  EXPECT_EQ(rs.tok_end, 6u);
  KeySetInsertMode(kInsertOverwrite);
  RunScreenCursorKey(kKeyLeft, &rs, 1);
  RunScreenCursorKey(kKeyLeft, &rs, 1);
  RunScreenDeleteChar(kKeyDel, &rs);
  EXPECT_EQ(ScreenRowTrimmed(1), "αβ");
  EXPECT_EQ(Line(), "\xE6\x40\xE6\x41");
}

TEST_F(RunScreenTest, SelectionCopiesAndDeletesExactlyTheSelectedCharacters) {
  ASSERT_EQ(RunScreenInsertToken('1', &rs), 0);
  ASSERT_EQ(RunScreenInsertToken(0xE640, &rs), 0);
  ASSERT_EQ(RunScreenInsertToken(0xE641, &rs), 0);
  ASSERT_EQ(RunScreenInsertToken('2', &rs), 0);
  // The selection starts on the character at the cursor (beta) and a step
  // left takes in alpha.
  RunScreenCursorKey(kKeyLeft, &rs, 1);
  RunScreenCursorKey(kKeyLeft, &rs, 1);
  RunScreenSelectKey(kKeyClipLeft, &rs);
  ASSERT_TRUE(rs.selecting);
  RunScreenSelectKey(kKeyClipLeft, &rs);
  EXPECT_EQ(ScreenRowReversed(1).substr(0, 4), ".RR.");
  ASSERT_EQ(RunScreenCopySelection(&rs), 0);
  ASSERT_NE(ItemClipData(), nullptr);
  EXPECT_EQ(std::string(ItemClipData()), "\xE6\x40\xE6\x41");
  ASSERT_EQ(RunScreenDeleteSelection(&rs), 0);
  EXPECT_FALSE(rs.selecting);
  EXPECT_EQ(Line(), "12");
  EXPECT_EQ(ScreenRowTrimmed(1), "12");
  EXPECT_EQ(ScreenRowReversed(1).substr(0, 4), "....");
  // Pasting it back puts the characters in at the cursor.
  ASSERT_EQ(RunScreenPaste(&rs), 0);
  EXPECT_EQ(Line(), "1\xE6\x40\xE6\x41" "2");
  EXPECT_EQ(ScreenRowTrimmed(1), "1αβ2");
}

TEST_F(RunScreenTest, PasteDropsALoneLeadByteAndBytesThatAreNoTokens) {
  struct Case {
    const char *name;
    std::string clip;
    std::string line;
  } cases[] = {
      {"plain text", "12+3", "12+3"},
      {"a lead byte at the end has no second byte", std::string("12\xE6", 3), "12"},
      {"bytes that are no token are skipped", std::string("1\x90\xFF" "2\x7F\xFF", 6), "12"},
      {"a two-byte character stays whole", "\xE6\x40" "5", "\xE6\x40" "5"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RunScreenFree(&rs);
    ASSERT_EQ(RunScreenInit(&rs), 0);
    ASSERT_EQ(ItemClipStore(c.clip.data(), static_cast<u32>(c.clip.size() + 1)), 0u);
    ASSERT_EQ(RunScreenPaste(&rs), 0);
    EXPECT_EQ(Line(), c.line);
  }
}

TEST_F(RunScreenTest, PasteStopsAtTheLineLimit) {
  const std::string clip(300, '7');
  ASSERT_EQ(ItemClipStore(clip.data(), static_cast<u32>(clip.size() + 1)), 0u);
  ASSERT_EQ(RunScreenPaste(&rs), 0);
  EXPECT_EQ(rs.tok_end - 1, 255u);
  EXPECT_EQ(rs.row, 7u);
}

}  // namespace
