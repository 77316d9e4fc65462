// The one-line token editor, driven as an application drives it: a small
// host screen reads keys, puts characters with EditPutChar, hands the editing
// keys to EditMoveCursor and redraws with EditRedrawLine, until EXE.
#include "ui/edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/item_clip.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/value.h"
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

class EditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartScreenTest();
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
  void TearDown() override {
    StopKeyFeed();
    MemFreeAll();
  }
};

// The host screen: a line on `row` from column `col`. Returns when EXE is
// read; hand-backs are handled as the editor asks (a character put in, a key
// code taken as the next key).
struct HostLine {
  u8 buf[kEditLineMax + 1] = {};
  u32 start = 0;
  u32 cursor = 0;
  i32 col = 1;
  i32 row = 7;
  u32 handed_back = 0;  // how many keys came back

  void Run() {
    start = EditRedrawLine(buf, start, cursor, col, row);
    for (;;) {
      u32 key = 0;
      u32 typed = KeyGetKey(&key);
      for (;;) {
        if (typed) {
          cursor = EditPutChar(buf, kEditLineMax, cursor, key);
          start = EditRedrawLine(buf, start, cursor, col, row);
          break;
        }
        if (key == kKeyExe) return;
        const i32 r = EditMoveCursor(buf, kEditLineMax, &start, &cursor, &key, col, row);
        if (r == kEditHandBackChar) {
          ++handed_back;
          typed = 1;
          continue;
        }
        if (r == kEditHandBackKey) {
          ++handed_back;
          continue;
        }
        break;
      }
    }
  }
  std::string Text() const { return reinterpret_cast<const char *>(buf); }
};

// The shown part of the host line's row, trailing blanks dropped.
std::string Shown(const HostLine &h) { return ScreenRowTrimmed(h.row); }

i32 CursorColumn() {
  TextCursorState st;
  TextGetCursor(&st);
  return st.x;
}

TEST_F(EditTest, TypingInsertOverwriteAndDeleteTable) {
  struct Case {
    const char *name;
    u8 insert_mode;
    std::initializer_list<u32> keys;
    const char *text;
  } cases[] = {
      {"typing", kInsertInsert, {'1', kChrPlus, '2'}, "1\x89" "2"},
      {"insert before the last", kInsertInsert, {'1', '3', kKeyLeft, '2'}, "123"},
      {"overwrite the last", kInsertOverwrite, {'1', '3', kKeyLeft, '2'}, "12"},
      {"overwrite at the end appends", kInsertOverwrite, {'1', '2'}, "12"},
      {"left stops at the start", kInsertInsert, {'1', kKeyLeft, kKeyLeft, '0'}, "01"},
      {"right stops at the end", kInsertInsert, {'1', kKeyRight, '2'}, "12"},
      {"DEL in insert mode takes the one before", kInsertInsert, {'1', '2', '3', kKeyLeft, kKeyDel}, "13"},
      {"DEL in overwrite mode takes the one at the cursor", kInsertOverwrite,
       {'1', '2', '3', kKeyLeft, kKeyLeft, kKeyDel}, "13"},
      {"DEL at the end takes the last", kInsertOverwrite, {'1', '2', kKeyDel}, "1"},
      {"DEL at the start does nothing", kInsertInsert, {'1', kKeyLeft, kKeyDel}, "1"},
      {"AC empties", kInsertInsert, {'1', '2', kKeyAc, '5'}, "5"},
      {"two-byte token in the middle", kInsertInsert, {'2', kKeyLeft, kChrList}, "\x7F\x51" "2"},
      {"LEFT steps over a two-byte token", kInsertInsert, {kChrList, '1', kKeyLeft, kKeyLeft, '0'}, "0\x7F\x51" "1"},
      {"DEL takes a two-byte token whole", kInsertInsert, {'1', kChrMat, kKeyDel}, "1"},
      {"overwriting a two-byte token", kInsertOverwrite, {kChrMat, '1', kKeyLeft, kKeyLeft, '7'}, "71"},
  };
  for (const Case &c : cases) {
    ClearKeys();
    KeySetInsertMode(c.insert_mode);
    Press(c.keys);
    Post(kKeyExe);
    HostLine h;
    h.Run();
    EXPECT_EQ(h.Text(), c.text) << c.name;
  }
}

TEST_F(EditTest, LineShowsFromItsColumnWithTheCursorBehindTheText) {
  PressText("12345");
  Post(kKeyExe);
  HostLine h;
  h.col = 4;
  h.row = 3;
  h.Run();
  EXPECT_EQ(ScreenRow(3), "   12345             ");
  EXPECT_EQ(CursorColumn(), 9);
  Press({kKeyLeft, kKeyLeft, kKeyExe});
  h.Run();
  EXPECT_EQ(CursorColumn(), 7);
}

TEST_F(EditTest, LongLineScrollsBothWaysAndKeepsTheCursorInView) {
  // 30 characters on a field of 21 columns.
  const std::string text = "123456789012345678901234567890";
  PressText(text.c_str());
  Post(kKeyExe);
  HostLine h;
  h.Run();
  EXPECT_EQ(h.Text(), text);
  // The end is in view with the cursor cell after it in column 21.
  EXPECT_EQ(Shown(h), text.substr(10));
  EXPECT_EQ(CursorColumn(), 21);
  // Back to the start: the window follows the cursor back.
  for (int i = 0; i < 30; ++i) Post(kKeyLeft);
  Post(kKeyExe);
  h.Run();
  EXPECT_EQ(h.start, 0u);
  EXPECT_EQ(Shown(h), text.substr(0, 21));
  EXPECT_EQ(CursorColumn(), 1);
  // And forward again past the field's end.
  for (int i = 0; i < 25; ++i) Post(kKeyRight);
  Post(kKeyExe);
  h.Run();
  EXPECT_EQ(CursorColumn(), 21);
  EXPECT_EQ(Shown(h), text.substr(5, 21));
}

TEST_F(EditTest, TokensShowByTheirNamesAndScrollByTheirWidth) {
  Press({kChrSin, '3', kChrPlus, kChrList, '1', kKeyExe});
  HostLine h;
  h.Run();
  EXPECT_EQ(Shown(h), "sin 3+List 1");
  EXPECT_EQ(CursorColumn(), 13);
  // Eight "sin " tokens take 32 columns: the window starts at the first
  // token that leaves the cursor room in column 21 (five tokens, 20 columns).
  ClearKeys();
  HostLine g;
  for (int i = 0; i < 8; ++i) Post(kChrSin);
  Post(kKeyExe);
  g.Run();
  EXPECT_EQ(g.start, 3u);
  EXPECT_EQ(Shown(g), "sin sin sin sin sin");
  EXPECT_EQ(CursorColumn(), 21);
  // LEFT over a token moves the cursor by its width.
  Press({kKeyLeft, kKeyExe});
  g.Run();
  EXPECT_EQ(CursorColumn(), 17);
}

TEST_F(EditTest, LineHoldsAtMost255BytesAndATwoByteTokenStaysWhole) {
  for (int i = 0; i < 254; ++i) Post('1');
  // One byte left: a two-byte token does not fit and is refused whole.
  Press({kChrList, '2', '3', kKeyExe});
  HostLine h;
  h.Run();
  ASSERT_EQ(h.Text().size(), 255u);
  EXPECT_EQ(h.Text().back(), '2');
  // At the limit, overwrite of a one-byte character by a two-byte token is
  // refused too; by a one-byte one it is taken.
  KeySetInsertMode(kInsertOverwrite);
  Press({kKeyLeft, kChrMat, '9', kKeyExe});
  h.Run();
  EXPECT_EQ(h.Text().size(), 255u);
  EXPECT_EQ(h.Text().back(), '9');
  // A two-byte token at the very end of a line with room for it.
  u8 buf[8] = "12345";
  EXPECT_EQ(EditPutCharAt(buf, 7, 5, kChrList, 1), 7u);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), "12345\x7F\x51");
  EXPECT_EQ(EditPutCharAt(buf, 7, 7, '6', 1), 7u) << "full: the cursor stays";
}

TEST_F(EditTest, ClipSelectionCopiesAndHandsBackTheKeyThatEndsIt) {
  // Select "23" from behind the 3 with two CLIP-state LEFTs, COPY, then paste
  // at the end.
  PressText("123");
  Press({kKeyClipLeft, kKeyClipLeft, kKeyCopy, kKeyPaste, kKeyExe});
  HostLine h;
  h.Run();
  EXPECT_EQ(h.Text(), "12323");
  EXPECT_EQ(std::string(ItemClipData()), "23");
  EXPECT_EQ(h.handed_back, 0u);
  // CUT removes the selection: the cursor stood after the first "23"; LEFT,
  // then the "2" before it selected and cut.
  ClearKeys();
  Press({kKeyLeft, kKeyClipLeft, kKeyCut, kKeyExe});
  h.Run();
  EXPECT_EQ(h.Text(), "1323");
  EXPECT_EQ(std::string(ItemClipData()), "2");
  // A character ends the selection and is handed back (-3) to be put in; a
  // key code is handed back (-4) as well.
  Press({kKeyClipRight, '7', kKeyClipRight, kKeyDel, kKeyExe});
  h.Run();
  EXPECT_EQ(h.handed_back, 2u);
  EXPECT_EQ(h.Text(), "1373") << "7 put in after the 3, then DEL takes the selected 2";
  EXPECT_EQ(KeyGetModifier(), kModNone);
}

TEST_F(EditTest, DirectHandBackResults) {
  u8 buf[16] = "12";
  u32 start = 0, cursor = 2;
  Press({'5'});
  u32 key = kKeyClipLeft;
  EXPECT_EQ(EditMoveCursor(buf, 15, &start, &cursor, &key, 1, 1), kEditHandBackChar);
  EXPECT_EQ(key, static_cast<u32>('5'));
  Press({kKeyUp});
  key = kKeyClipLeft;
  EXPECT_EQ(EditMoveCursor(buf, 15, &start, &cursor, &key, 1, 1), kEditHandBackKey);
  EXPECT_EQ(key, static_cast<u32>(kKeyUp));
  // The small field takes no selection.
  EXPECT_EQ(EditMoveCursorIn(buf, 15, &start, &cursor, kKeyClipLeft, 2, 1, 8), 0);
}

TEST_F(EditTest, SmallFieldScrollsInItsWidth) {
  u8 buf[32] = {};
  u32 cursor = 0, start = 0;
  for (const char *p = "ABCDEFGHIJ"; *p; ++p) cursor = EditPutChar(buf, 31, cursor, static_cast<u8>(*p));
  start = EditRedrawLineIn(buf, start, cursor, 2, 4, 8);
  EXPECT_EQ(ScreenRow(4).substr(0, 10), " DEFGHIJ  ");
  EXPECT_EQ(CursorColumn(), 9);
  EXPECT_EQ(EditMoveCursorIn(buf, 31, &start, &cursor, kKeyDel, 2, 4, 8), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), "ABCDEFGHI");
}

// ---- number input ----

std::string RealText(const BcdReal &r) {
  u8 t[22];
  NumRealToTokens(&r, t);
  return reinterpret_cast<char *>(t);
}

TEST_F(EditTest, NumberTextTable) {
  struct Case {
    const char *text;
    const char *parsed;  // null: not a number
  } cases[] = {
      {"12", "12"},
      {"\x87" "3.5", "\x87" "3.5"},
      {"1\x0F" "5", "100000"},
      {"2\x0F\x87" "3", "2.\x0F\x87" "03"},
      {".5", "0.5"},
      {"1\xBB" "2", nullptr},  // compared below: a fraction
      {"", nullptr},
      {"1.2.3", nullptr},
      {"1\x0F", nullptr},
      {"\x0F" "5", nullptr},
      {"2\xB9" "3", nullptr},
      {"\xBB" "3", nullptr},
      {"1\xBB", nullptr},
      {"A", nullptr},
  };
  for (const Case &c : cases) {
    BcdReal r;
    RealSetOne(&r);
    const i32 ok = EditParseNumber(reinterpret_cast<const u8 *>(c.text), &r);
    if (std::strcmp(c.text, "1\xBB" "2") == 0) {
      EXPECT_EQ(ok, 1);
      EXPECT_TRUE(RealIsFrac(&r));
      continue;
    }
    if (c.parsed) {
      ASSERT_EQ(ok, 1) << c.text;
      EXPECT_EQ(RealText(r), c.parsed) << c.text;
    } else {
      EXPECT_EQ(ok, 0) << c.text;
    }
  }
}

TEST_F(EditTest, ReadNumberEndsByExeExitAndShiftExit) {
  BcdReal v;
  RealSetTwo(&v);
  // Typed first character, more digits, EXE.
  Press({'5', kKeyExe});
  u32 key = '4';
  EXPECT_EQ(EditReadNumber(1, &key, 5, &v, "X="), 0);
  EXPECT_EQ(key, static_cast<u32>(kKeyExe));
  EXPECT_EQ(RealText(v), "45");
  EXPECT_EQ(ScreenRowTrimmed(5), "X=45");
  // Not typed: the field starts with the value's text.
  Press({'6', kKeyExe});
  EXPECT_EQ(EditReadNumber(0, &key, 5, &v, "X="), 0);
  EXPECT_EQ(RealText(v), "456");
  // EXIT and SHIFT+EXIT leave the value.
  Press({'9', kKeyExit});
  EXPECT_EQ(EditReadNumber(0, &key, 5, &v, "X="), -2);
  EXPECT_EQ(key, static_cast<u32>(kKeyExit));
  Press({kKeyQuit});
  key = '1';
  EXPECT_EQ(EditReadNumber(1, &key, 5, &v, "X="), -1);
  EXPECT_EQ(RealText(v), "456");
  // An empty text is not taken.
  Press({kKeyAc, kKeyExe, '7', kKeyExe});
  EXPECT_EQ(EditReadNumber(0, &key, 5, &v, ""), 0);
  EXPECT_EQ(RealText(v), "7");
}

TEST_F(EditTest, BadNumberShowsSyntaxErrorAndKeepsTheFieldAsTyped) {
  BcdReal v;
  RealSetTwo(&v);
  keyfeed::record = true;
  // "7/" EXE: the error box (closed by EXIT) over the field; the field still
  // reads as typed; DEL, EXE: 7 is taken.
  Press({kChrDivide, kKeyExe, kKeyExit, kKeyDel, kKeyExe});
  u32 key = '7';
  EXPECT_EQ(EditReadNumber(1, &key, 2, &v, "k="), 0);
  ASSERT_EQ(keyfeed::seen.size(), 5u);
  EXPECT_NE(keyfeed::seen[2].find("Syntax ERROR"), std::string::npos) << keyfeed::seen[2];
  EXPECT_NE(keyfeed::seen[3].find("k=7\xC3\xB7 "), std::string::npos) << "the field as typed after the box:\n"
                                                                       << keyfeed::seen[3];
  EXPECT_EQ(keyfeed::seen[3].find("Syntax ERROR"), std::string::npos);
  EXPECT_EQ(RealText(v), "7");
}

TEST_F(EditTest, NumberInputTakesFormulasThroughTheEvaluator) {
  struct Case {
    std::initializer_list<u32> keys;
    const char *value;  // null: an error box, then EXIT leaves
    const char *box;
  } cases[] = {
      {{'2', kChrDivide, '3'}, "0.666666666666667", nullptr},
      {{kChrSin, '3', '0'}, "0.5", nullptr},
      {{'1', kChrPlus, '2'}, "3", nullptr},
      {{'1', kChrFraction, '4'}, "0.25", nullptr},
      {{'1', kChrDivide, '0'}, nullptr, "Ma ERROR"},
      {{'1', kChrPlus}, nullptr, "Syntax ERROR"},
      {{kChrSqrt, kChrNeg, '1'}, nullptr, "Non-Real ERROR"},
  };
  for (const Case &c : cases) {
    ClearKeys();
    keyfeed::record = true;
    Press({kKeyAc});
    Press(c.keys);
    Press({kKeyExe});
    if (!c.value) Press({kKeyExit, kKeyExit});
    BcdReal v;
    RealSetOne(&v);
    u32 key = 0;
    const i32 r = EditReadNumber(0, &key, 4, &v, "");
    if (c.value) {
      EXPECT_EQ(r, 0);
      EXPECT_EQ(RealText(v), c.value);
    } else {
      EXPECT_EQ(r, -2);
      EXPECT_EQ(RealText(v), "1");
      const std::string &box = keyfeed::seen[keyfeed::seen.size() - 2];
      EXPECT_NE(box.find(c.box), std::string::npos) << box;
    }
  }
}

TEST_F(EditTest, ReadValueTakesRealAndComplexTexts) {
  struct Case {
    const char *text;
    bool ok;
    bool complex;
  } cases[] = {
      {"3", true, false},
      {"1\x89" "2\x7F\x50", true, true},
      {"\x87" "2\x7F\x50", true, true},
      {"\x7F\x50", true, true},
      {"1\x99\x7F\x50", true, true},
      {"3\x7F\x50", true, true},
      {"1\x89" "2", true, false},
      {"1\x89", false, false},
  };
  SetupSetItem(kSetupComplexMode, 1);  // a+bi: complex results are shown
  for (const Case &c : cases) {
    ClearKeys();
    Value v;
    std::memset(&v, 0, sizeof v);
    Post(kKeyAc);  // the field starts with the value's text
    for (const char *p = c.text; *p; ++p) {
      const u8 b = static_cast<u8>(*p);
      if (b == 0x7F) {
        Post(0x7F00u | static_cast<u8>(p[1]));
        ++p;
      } else {
        Post(b);
      }
    }
    Post(kKeyExe);
    if (!c.ok) Press({kKeyExit, kKeyExit});  // close the error box, leave
    u32 key = 0;
    const i32 r = EditReadValue(0, &key, 3, &v, "");
    EXPECT_EQ(r, c.ok ? 0 : -2) << c.text;
    if (c.ok) {
      EXPECT_EQ(ValIsComplex(&v) == 1, c.complex) << c.text;
    }
  }
}

}  // namespace
