#include "ui/text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/screen_reader.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/msg.h"
#include "ui/setup.h"

namespace {

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LcdClearVram();
    SetupResetAll();
    TextLocate(1, 1);
    TextCursorOff();
    LcdSetCursorType(0);
    ShellSetGraphCursorWord(0);
    PopupMarkClosed(~0u);
    MsgSelectDefaultLanguage();
  }
};

i32 CursorColumn() {
  TextCursorState st;
  TextGetCursor(&st);
  return st.x;
}

TEST_F(TextTest, LocateIsOneBasedAndIgnoresOutside) {
  TextLocate(5, 3);
  TextCursorState st;
  TextGetCursor(&st);
  EXPECT_EQ(st.x, 5);
  EXPECT_EQ(st.y, 3);
  for (auto [x, y] : std::vector<std::pair<i32, i32>>{{22, 1}, {1, 0}, {0, 1}, {1, 9}, {-4, -4}}) {
    TextLocate(x, y);
    TextGetCursor(&st);
    EXPECT_EQ(st.x, 5) << x << "," << y;
    EXPECT_EQ(st.y, 3) << x << "," << y;
  }
}

TEST_F(TextTest, PrintModesTable) {
  struct Case {
    const char *name;
    i32 mode;
    const char *text;
    i32 start, last;
    const char *row;       // the row as read back, trailing blanks kept
    const char *reversed;  // 'R' marks reversed cells
    i32 column_after;
  } cases[] = {
      {"to end", kTextToEnd, "AB", 1, 0, "AB                   ", ".....................", 3},
      {"field pads", kTextField, "AB", 1, 5, "AB                   ", "....................." , 6},
      {"field cuts", kTextField, "ABCDEFG", 3, 5, "  ABC                ", ".....................", 6},
      {"long text stops at 21", kTextToEnd, "0123456789abcdefghijklmnop", 1, 0,
       "0123456789abcdefghijk", ".....................", 21},
      {"reverse to end", kTextToEndRev, "Hi", 4, 0, "   Hi                ", "...RR................", 6},
      {"reverse field", kTextFieldRev, "Hi", 1, 6, "Hi                   ", "RRRRRR...............", 7},
      {"reverse field past 21", kTextFieldRev, "x", 19, 40, "                  x  ", "..................RRR", 21},
      {"empty field", kTextField, "", 2, 4, "                     ", ".....................", 5},
      {"two-byte characters", kTextToEnd, "\xE6\x47=\xE5\xC2\xE6\x08", 1, 0, "θ=²é                 ",
       ".....................", 5},
      {"layout codes", kTextToEnd, "\xF9\xC9\xF9\xC9OK", 1, 0, "  OK                 ",
       ".....................", 5},
  };
  for (const Case &c : cases) {
    LcdClearVram();
    TextLocate(c.start, 2);
    TextPrintCore(c.mode, c.text, c.last);
    EXPECT_EQ(ScreenRow(2), c.row) << c.name;
    EXPECT_EQ(ScreenRowReversed(2), c.reversed) << c.name;
    EXPECT_EQ(CursorColumn(), c.column_after) << c.name;
    EXPECT_EQ(ScreenRowTrimmed(1), "") << c.name;
    EXPECT_EQ(ScreenRowTrimmed(3), "") << c.name;
  }
}

TEST_F(TextTest, WrappersAndPutChar) {
  TextLocate(1, 1);
  TextPrint("ab");
  TextPrintRev("cd");
  TextPrintField("ef", 8);
  TextPrintFieldRev("gh", 12);
  TextPutChar("i");
  TextPutCharRev("\xE6\x92zz");  // one character only
  EXPECT_EQ(ScreenRow(1), "abcdef  gh  i↑       ");
  EXPECT_EQ(ScreenRowReversed(1), "..RR....RRRR.R.......");
  EXPECT_EQ(TextPutChar(""), 0);
}

TEST_F(TextTest, CursorShapesRoundTrip) {
  struct Case {
    i32 shape, type;
  } cases[] = {{1, 1}, {3, 2}, {4, 4}, {5, 8}, {6, 16}, {7, 17}, {9, 18}, {10, 20}, {11, 24}, {12, 64}};
  for (const Case &c : cases) {
    EXPECT_EQ(TextSetCursorShape(c.shape), 1);
    i32 d[4];
    EXPECT_EQ(LcdGetCursor(d), 1);
    EXPECT_EQ(d[2], c.type) << c.shape;
    EXPECT_EQ(TextCursorShape(), c.shape);
  }
  // Shape 0 and unknown shapes set type 0, which reads back as shape 0.
  for (i32 shape : {0, 2, 8, 13, -5}) {
    TextSetCursorShape(shape);
    EXPECT_EQ(TextCursorShape(), 0) << shape;
  }
  TextCursorOff();
  EXPECT_EQ(TextCursorShape(), -1);
}

TEST_F(TextTest, CursorStateSaveAndRestore) {
  TextLocate(7, 4);
  TextSetCursorShape(9);
  ShellSetGraphCursorWord(1);
  TextCursorState saved;
  TextGetCursor(&saved);
  EXPECT_EQ(saved.shape, 9);
  EXPECT_EQ(saved.graph_word, 1u);
  TextLocate(1, 1);
  TextSetCursorShape(3);
  EXPECT_EQ(ShellGetGraphCursorWord(), 0u) << "setting a shape clears the graphics-cursor word";
  TextSetCursor(&saved);
  TextCursorState now;
  TextGetCursor(&now);
  EXPECT_EQ(now.x, 7);
  EXPECT_EQ(now.y, 4);
  EXPECT_EQ(now.shape, 9);
  EXPECT_EQ(now.graph_word, 1u);
  saved.shape = -1;
  TextSetCursor(&saved);
  EXPECT_EQ(TextCursorShape(), -1);
}

TEST_F(TextTest, CursorShapeFromKeyState) {
  struct Case {
    u8 modifier, insert;
    i32 shape;
  } cases[] = {
      {0, 2, 0},  {1, 2, 1},  {2, 2, 5},  {4, 2, 3},   {132, 2, 3}, {8, 2, 4},  {136, 2, 4},
      {0, 1, 6},  {1, 1, 7},  {2, 1, 11}, {4, 1, 9},   {132, 1, 9}, {8, 1, 10}, {136, 1, 10},
  };
  for (const Case &c : cases) {
    SetupSetItem(kSetupKeyModifier, c.modifier);
    SetupSetItem(kSetupInsertMode, c.insert);
    KeyCursorFromState();
    EXPECT_EQ(TextCursorShape(), c.shape) << int(c.modifier) << "/" << int(c.insert);
  }
}

TEST_F(TextTest, PopupsRestoreTheScreenUnderneath) {
  struct Case {
    i32 kind, slot;
    u32 bit;
  } cases[] = {{1, 3, 0}, {3, 8, 32}, {4, 7, 16}, {5, 1, 1}, {6, 2, 2}, {2, 7, 1}, {9, 7, 1}};
  SetupSetItem(kSetupInsertMode, 1);  // overwrite: shape 6 with no modifier
  for (const Case &c : cases) {
    LcdClearVram();
    TextLocate(1, 1);
    TextPrint("Screen underneath");
    TextLocate(4, 6);
    TextPrint("with text");
    std::vector<u8> under(LcdVramAddress(), LcdVramAddress() + 1024);
    TextLocate(3, 2);
    TextSetCursorShape(6);
    u32 mask_before = PopupOpenMask();
    EXPECT_EQ(PopupOpen(c.kind), 1);
    EXPECT_EQ(std::memcmp(LcdScreenSlotAddress(c.slot), under.data(), 1024), 0) << c.kind;
    EXPECT_EQ(PopupOpenMask(), mask_before | c.bit) << c.kind;
    LcdDrawPopupWindow(0, 4);
    TextLocate(3, 3);
    TextPrint("Pop-up text");
    PopupClose(c.kind);
    EXPECT_EQ(std::memcmp(LcdVramAddress(), under.data(), 1024), 0) << "kind " << c.kind;
    EXPECT_EQ(PopupOpenMask(), mask_before & ~c.bit) << c.kind;
    // The cursor stays where the pop-up left it (callers save and restore
    // their own), and takes its shape from the key state again.
    TextCursorState st;
    TextGetCursor(&st);
    EXPECT_EQ(st.x, 14);
    EXPECT_EQ(st.y, 3);
    EXPECT_EQ(st.shape, 6);
  }
}

TEST_F(TextTest, NestedPopupsAndCursorOff) {
  TextPrint("base");
  std::vector<u8> base(LcdVramAddress(), LcdVramAddress() + 1024);
  PopupOpen(5);
  LcdDrawPopupWindow(0, 6);
  std::vector<u8> first(LcdVramAddress(), LcdVramAddress() + 1024);
  PopupOpen(4);
  LcdDrawPopupWindow(0, 2);
  EXPECT_EQ(PopupOpenMask(), 1u | 16u);
  PopupClose(4);
  EXPECT_EQ(std::memcmp(LcdVramAddress(), first.data(), 1024), 0);
  PopupClose(5);
  EXPECT_EQ(std::memcmp(LcdVramAddress(), base.data(), 1024), 0);
  EXPECT_EQ(PopupOpenMask(), 0u);
  EXPECT_EQ(TextCursorShape(), -1) << "a cursor that was off stays off";
}

TEST_F(TextTest, ErrorBoxLinesPrintInsideAWindow) {
  // The way the error box lays out message lines: window of size 4, lines from row 2.
  LcdDrawPopupWindow(0, 4);
  char line[32];
  for (i32 i = 0; i < 3; ++i) {
    TextLocate(1, 2 + i);
    TextPrint(MsgText(78 + i, line));
  }
  TextLocate(1, 5);
  TextPrint(MsgText(1, line));
  EXPECT_EQ(ScreenRow(3), "   Syntax ERROR      ");
  EXPECT_EQ(ScreenRow(5), "     Press:[EXIT]    ");
}

TEST_F(TextTest, MiniTextAtPixelsAndCells) {
  EXPECT_EQ(TextPrintMiniChar(0, 0, 'A', 16), 4);
  EXPECT_EQ(TextPrintMiniChar(130, 0, 'A', 16), 0);
  EXPECT_EQ(TextPrintMini(10, 10, "AB", 16), 18);
  EXPECT_EQ(TextPrintMini(10, 70, "AB", 16), 0);
  EXPECT_EQ(TextPrintMiniN(40, 10, "ABCD", 2, 16), 48);
  EXPECT_EQ(TextPrintMiniCharAtCell(2, 1, '1', 16), 8);
  EXPECT_EQ(LcdGetPixel(5, 2), 1) << "cell (2, 1) starts at dot (4, 2)";
  EXPECT_EQ(TextPrintMiniAtCell(5, 3, "12", 16), 24 / 4 + 1);
  EXPECT_EQ(TextPrintMiniAtCell(40, 3, "12", 16), 0);
  // Mode 18 reverses: the glyph box turns black around the glyph.
  LcdClearVram();
  TextPrintMini(0, 0, "1", 18);
  EXPECT_EQ(ScreenPictureRegion(0, 0, 5, 6), "#.##.\n..##.\n#.##.\n#.##.\n...#.\n####.\n");
  // Mode 32 only adds dots.
  LcdClearVram();
  LcdDrawAreaVram(LcdArea{0, 0, 3, 5, 1});
  TextPrintMini(0, 0, "1", 32);
  EXPECT_EQ(ScreenPictureRegion(0, 0, 4, 6), "####\n####\n####\n####\n####\n####\n");
  TextPrintMini(0, 0, "1", 16);
  EXPECT_EQ(ScreenPictureRegion(0, 0, 4, 6), ".#..\n##..\n.#..\n.#..\n###.\n....\n");
}

TEST_F(TextTest, ScrollStartKeepsTheCursorInView) {
  const char *t = "ABCDEFGHIJ";
  EXPECT_EQ(TextScrollStart(1, 21, t, 5), 0);
  EXPECT_EQ(TextScrollStart(1, 6, t, 4), 0);
  EXPECT_EQ(TextScrollStart(1, 6, t, 5), 1);
  EXPECT_EQ(TextScrollStart(1, 6, t, 9), 5);
  EXPECT_EQ(TextScrollStart(3, 4, t, 9), 9);
  EXPECT_EQ(TextScrollStart(1, 1, t, 9), 0);
  // Two-byte characters are stepped over whole.
  const char *two = "\xE6\x47\xE6\x47\xE6\x47" "AB";
  EXPECT_EQ(TextScrollStart(1, 3, two, 6), 4);
  EXPECT_EQ(TextScrollStart(1, 4, two, 6), 2);
}

}  // namespace
