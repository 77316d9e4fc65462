#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/screen_save.h"
#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "tests/support/screen_reader.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

// The screen as it stood when the box took its closing key.
std::vector<u8> g_shown;
u32 g_keysTaken = 0;

u32 CaptureScreen(i32 *, i32 *) {
  g_shown.assign(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes);
  ++g_keysTaken;
  return 1;
}

std::string ShownRow(int row) { return ScreenRow(row, g_shown.data()); }

std::vector<u8> Vram() { return std::vector<u8>(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes); }

// A screen with something on every row, so the restore is seen.
void DrawBackground() {
  LcdClearVram();
  for (int row = 1; row <= 8; ++row) {
    TextLocate(1, row);
    TextPrint("ABCDEFGHIJKLMNOPQRSTU");
  }
}

class ErrBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MsgSelectDefaultLanguage();
    FkeyClearAll();
    FkeyClearStack();
    HostClearKeyQueue();
    HostSetKeyHook(CaptureScreen);
    g_keysTaken = 0;
    DrawBackground();
  }
  void TearDown() override {
    HostSetKeyHook(nullptr);
    HostClearKeyQueue();
    MsgSelectDefaultLanguage();
  }
};

struct BoxCase {
  i32 code;
  const char *row2;
  const char *row3;
  const char *row4;
  int pressRow;
};

// Every code with lines of its own, the fixed texts of 36-38 and codes
// without lines. Rows are read back without trailing blanks.
const BoxCase kBoxCases[] = {
    {1, "", "Break", "", 5},
    {2, "", "Syntax ERROR", "", 5},
    {3, "", "Ma ERROR", "", 5},
    {4, "", "Memory ERROR", "", 5},
    {5, "", "Go ERROR", "", 5},
    {6, "", "Nesting ERROR", "", 5},
    {7, "", "Stack ERROR", "", 5},
    {8, "", "Argument ERROR", "", 5},
    {9, "", "Dimension ERROR", "", 5},
    {10, "", "Com ERROR", "", 5},
    {11, "", "Transmit ERROR", "", 5},
    {12, "", "Receive ERROR", "", 5},
    {13, "", "Memory Full", "", 5},
    {14, "", "Undefined", "", 5},
    {15, "", "Overflow ERROR", "", 5},
    {16, "", "Domain ERROR", "", 5},
    {17, "", "Non-Real ERROR", "", 5},
    {18, "", "No Solution", "", 5},
    {19, "", "Mismatch", "", 5},
    {20, "", "No Variable", "", 5},
    {21, "", "Not Found", "", 5},
    {22, "", "Application ERROR", "", 5},
    {23, "", "System ERROR", "", 5},
    {24, "", "Already Exists", "", 5},
    {25, "Complex Number", "In List", "", 5},
    {26, "Complex Number", "In Matrix", "", 5},
    {27, "Can't Solve!", "Adjust initial", "value or bounds.", 6},
    {28, "", "Range ERROR", "", 5},
    {29, "", "Time Out", "", 5},
    {30, "", "Condition ERROR", "", 5},
    {31, "Undefinition", "Error", "Error No[31]", 5},
    {32, "Undefinition", "Error", "Error No[32]", 5},
    {33, "", "Range ERROR", "", 5},
    {34, "", "Circular ERROR", "", 5},
    {35, "", "No Real Roots", "", 5},
    {36, "Version Error", "No language", "", 5},
    {37, "SD Card Error", "No language", "", 5},
    {38, "SD Card Ptotect", "No language", "", 5},
    {39, "Undefinition", "Error", "Error No[39]", 5},
    {-5, "Undefinition", "Error", "Error No[-5]", 5},
    {1000, "Undefinition", "Error", "Error No[1000]", 5},
};

// The text of columns 3-19 of a row (inside the window's frame), without
// the blanks around it.
std::string Inside(const std::string &row) {
  std::string s = row.substr(2, 17);
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  s = s.substr(first);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

TEST_F(ErrBoxTest, EveryCodeShowsItsLinesAndRestoresTheScreen) {
  for (const BoxCase &c : kBoxCases) {
    SCOPED_TRACE(c.code);
    DrawBackground();
    const std::vector<u8> before = Vram();
    g_keysTaken = 0;
    HostPostKey(4, 8, 0);  // EXIT
    EXPECT_EQ(ErrBox(c.code), 0);
    ASSERT_EQ(g_keysTaken, 1u);
    EXPECT_EQ(Inside(ShownRow(2)), c.row2);
    EXPECT_EQ(Inside(ShownRow(3)), c.row3);
    EXPECT_EQ(Inside(ShownRow(4)), c.row4);
    EXPECT_EQ(Inside(ShownRow(c.pressRow)), "Press:[EXIT]");
    // Rows below the window are the screen underneath.
    EXPECT_EQ(ShownRow(8), "ABCDEFGHIJKLMNOPQRSTU");
    EXPECT_EQ(Vram(), before);
  }
}

// Code 27's window has five rows; the others four.
TEST_F(ErrBoxTest, SolveBoxIsTaller) {
  HostPostKey(4, 8, 0);
  ErrBox(27);
  EXPECT_EQ(Inside(ShownRow(5)), "Then try again.");
  // The frame's bottom line lies below row 6 for 27 and below row 5 otherwise.
  EXPECT_NE(ShownRow(7), "ABCDEFGHIJKLMNOPQRSTU");
  HostPostKey(4, 8, 0);
  ErrBox(2);
  EXPECT_EQ(ShownRow(7), "ABCDEFGHIJKLMNOPQRSTU");
}

TEST_F(ErrBoxTest, CodeZeroDrawsNothing) {
  const std::vector<u8> before = Vram();
  EXPECT_EQ(ErrBox(0), 0);
  EXPECT_EQ(g_keysTaken, 0u);
  EXPECT_EQ(Vram(), before);
}

// Only EXIT, AC, LEFT, RIGHT and SHIFT+EXIT close the box.
TEST_F(ErrBoxTest, ClosingKeys) {
  struct Keys {
    std::vector<std::pair<i32, i32>> presses;
    u32 taken;
  } cases[] = {
      {{{4, 8}}, 1},                           // EXIT
      {{{1, 1}}, 1},                           // AC
      {{{3, 9}}, 1},                           // LEFT
      {{{2, 8}}, 1},                           // RIGHT
      {{{7, 9}, {4, 8}}, 2},                   // SHIFT, EXIT: SHIFT+EXIT
      {{{3, 2}, {7, 3}, {7, 10}, {4, 8}}, 4},  // EXE, 1 and F1 are ignored
  };
  for (const Keys &k : cases) {
    g_keysTaken = 0;
    for (auto [c, r] : k.presses) HostPostKey(c, r, 0);
    ErrBox(8);
    EXPECT_EQ(g_keysTaken, k.taken);
    EXPECT_EQ(HostKeyQueueCount(), 0u);
  }
}

// The box is a kind-4 pop-up: while it waits, the open-pop-up mask keeps the
// key reader from menu handling, and afterwards the mask is as before.
TEST_F(ErrBoxTest, PopupMaskWhileOpen) {
  EXPECT_EQ(PopupMarkGet(), 0u);
  HostPostKey(4, 8, 0);
  ErrBox(3);
  EXPECT_EQ(PopupMarkGet(), 0u);
}

TEST_F(ErrBoxTest, CursorComesBack) {
  TextLocate(5, 6);
  TextSetCursorShape(9);
  HostPostKey(4, 8, 0);
  ErrBox(4);
  TextCursorState st;
  TextGetCursor(&st);
  EXPECT_EQ(st.x, 5);
  EXPECT_EQ(st.y, 6);
  EXPECT_NE(st.shape, -1);
  TextCursorOff();
}

TEST_F(ErrBoxTest, FixedTextsInEveryLanguage) {
  for (u32 lang = 0; lang < 5; ++lang) {
    ASSERT_EQ(MsgSelectLanguage(lang), 1u);
    HostPostKey(4, 8, 0);
    ErrBox(36);
    EXPECT_EQ(Inside(ShownRow(2)), "Version Error");
    EXPECT_EQ(Inside(ShownRow(3)), "No language");
  }
}

TEST_F(ErrBoxTest, KeepSlot7) {
  LcdSaveScreen(7);
  const std::vector<u8> slot(LcdScreenSlotAddress(7), LcdScreenSlotAddress(7) + kLcdVramBytes);
  LcdClearVram();
  HostPostKey(4, 8, 0);
  ErrBoxKeepSlot7(2);
  EXPECT_EQ(std::vector<u8>(LcdScreenSlotAddress(7), LcdScreenSlotAddress(7) + kLcdVramBytes), slot);
}

// Pop-ups restore the screen underneath.
TEST_F(ErrBoxTest, MessageAndFramedPopupsRestoreTheScreen) {
  const std::vector<u8> before = Vram();
  HostPostKey(4, 8, 0);
  EXPECT_EQ(PopupMessage(2, "\xF9\xC9\xF9\xC9" "Hello"), 0);
  EXPECT_EQ(Inside(ShownRow(3)), "Hello");
  EXPECT_EQ(Vram(), before);

  PopupOpenFramed(3);
  EXPECT_EQ(Inside(ScreenRow(3)), "");
  EXPECT_EQ(Inside(ScreenRow(5)), "");
  EXPECT_EQ(ScreenRow(1), "ABCDEFGHIJKLMNOPQRSTU");
  EXPECT_NE(PopupMarkGet(), 0u);
  PopupCloseKind5();
  EXPECT_EQ(PopupMarkGet(), 0u);
  EXPECT_EQ(Vram(), before);
}

TEST_F(ErrBoxTest, GraphScreenSaveAndRestore) {
  std::vector<u8> saved(kLcdVramBytes);
  const std::vector<u8> before = Vram();
  GraphSaveScreen(saved.data());
  EXPECT_EQ(saved, before);
  LcdClearVram();
  LcdDrawLine(0, 63, 127, 0);
  GraphRestoreScreen(saved.data());
  EXPECT_EQ(Vram(), before);
  GraphCursorState()->shown = 1;
  EXPECT_EQ(GraphCursorState()->shown, 1);
  GraphCursorState()->shown = 0;
}

TEST_F(ErrBoxTest, RecallCapture) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  McsClearAll();
  std::vector<u8> picture(4 + kLcdVramBytes);
  picture[1] = 128;
  picture[3] = 64;
  for (int i = 0; i < kLcdVramBytes; ++i) picture[4 + i] = static_cast<u8>(i * 7);
  ASSERT_EQ(McsCreateByKind(10, "CAPT3", static_cast<u32>(picture.size()), picture.data()), 0u);
  ASSERT_EQ(McsCreateByKind(10, "CAPT4", 100, picture.data()), 0u);
  const std::vector<u8> before = Vram();
  EXPECT_EQ(PopupRecallCapture(5), 4);  // missing
  EXPECT_EQ(PopupRecallCapture(4), 4);  // too short
  EXPECT_EQ(Vram(), before);
  EXPECT_EQ(PopupRecallCapture(3), 0);
  EXPECT_EQ(Vram(), std::vector<u8>(picture.begin() + 4, picture.end()));
}

}  // namespace
