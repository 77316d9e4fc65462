#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "kernel/keyqueue.h"
#include "tests/support/screen_reader.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

class TextInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetupResetAll();
    MsgSelectDefaultLanguage();
    HostSetKeyHook(nullptr);
    HostClearKeyQueue();
    FkeyClearAll();
    FkeyClearStack();
    KeySetMenuMask(0);
    LcdClearVram();
    TextLocate(4, 6);
    TextCursorOff();
  }
  void TearDown() override { HostClearKeyQueue(); }
};

// Queues the keys and characters the user will press.
void Press(std::initializer_list<u32> codes) {
  for (u32 c : codes) KeyPost(c);
}

TEST_F(TextInputTest, DigitFieldEditingTable) {
  struct Case {
    const char *name;
    std::initializer_list<u32> keys;
    i32 result;
    const char *text;
  } cases[] = {
      {"two digits", {'1', '7', kKeyExe}, 0, "17"},
      {"full field ignores more", {'1', '2', '3', '4', kKeyExe}, 0, "123"},
      {"letters are ignored", {'A', '4', kKeyExe}, 0, "4"},
      {"empty EXE is ignored", {kKeyExe, '5', kKeyExe}, 0, "5"},
      {"AC empties", {'9', '9', kKeyAc, '1', kKeyExe}, 0, "1"},
      {"LEFT then insert", {'1', '3', kKeyLeft, '2', kKeyExe}, 0, "123"},
      {"DEL at the cursor", {'1', '2', '3', kKeyLeft, kKeyLeft, kKeyDel, kKeyExe}, 0, "13"},
      {"DEL at the end takes the last", {'4', '5', kKeyDel, kKeyExe}, 0, "4"},
      {"RIGHT stops at the end", {'1', kKeyRight, kKeyRight, '2', kKeyExe}, 0, "12"},
      {"EXIT", {'1', kKeyExit}, -2, "keep"},
      {"SHIFT+EXIT", {'1', kKeyQuit}, -1, "keep"},
  };
  for (const Case &c : cases) {
    HostClearKeyQueue();
    Press(c.keys);
    char buf[8] = "keep";
    EXPECT_EQ(TextInputDigits(buf, 5, 3, 3), c.result) << c.name;
    EXPECT_STREQ(buf, c.text) << c.name;
  }
}

TEST_F(TextInputTest, FieldShowsDigitsAndRestoresMaskAndCursor) {
  KeySetMenuMask(1);
  TextLocate(2, 7);
  TextSetCursorShape(6);
  Press({'4', '2', kKeyExe});
  char buf[4];
  ASSERT_EQ(TextInputTwoDigits(buf, 10, 4), 0);
  EXPECT_EQ(ScreenRow(4).substr(9, 2), "42");
  EXPECT_EQ(KeyGetMenuMask(), 1);
  TextCursorState st;
  TextGetCursor(&st);
  EXPECT_EQ(st.x, 2);
  EXPECT_EQ(st.y, 7);
  EXPECT_EQ(st.shape, 6);
  // A typed first digit goes in before any key is read.
  Press({'3', kKeyExe});
  char wide[6];
  ASSERT_EQ(TextInputDigits(wide, 1, 1, 5, '7'), 0);
  EXPECT_STREQ(wide, "73");
  Press({'8', kKeyExe});
  ASSERT_EQ(TextInputDigitsField(wide, 20, 1, 5), 0) << "the field is cut at column 21";
  EXPECT_STREQ(wide, "8");
}

TEST_F(TextInputTest, NumberOutsideItsRangeShowsTheArgumentBoxAndAsksAgain) {
  // 25 is refused with the Argument ERROR box (closed by EXIT), then 12 is taken.
  Press({'2', '5', kKeyExe, kKeyExit, '1', '2', kKeyExe});
  i32 n = -1;
  EXPECT_EQ(TextInputNumber(&n, 17, 5, 1, 20), 0);
  EXPECT_EQ(n, 12);
  Press({'0', kKeyExe, kKeyExit, kKeyExit});
  EXPECT_EQ(TextInputNumber(&n, 17, 5, 1, 20), -2);
  EXPECT_EQ(n, 12);
  Press({kKeyQuit});
  EXPECT_EQ(TextInputNumber(&n, 17, 5, 1, 20), -1);
}

}  // namespace
