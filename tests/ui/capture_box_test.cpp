#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "tests/support/screen_reader.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

// What the screen and the open-pop-up mask were each time a key was taken.
struct Taken {
  std::vector<u8> screen;
  u32 mask;
};
std::vector<Taken> g_taken;

u32 RecordKey(i32 *, i32 *) {
  g_taken.push_back({std::vector<u8>(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes), PopupMarkGet()});
  return 1;
}

std::vector<u8> Vram() { return std::vector<u8>(LcdVramAddress(), LcdVramAddress() + kLcdVramBytes); }

// The text of columns 3-19 of a row (inside the window's frame), without
// the blanks around it.
std::string Inside(const std::vector<u8> &screen, int row) {
  std::string s = ScreenRow(row, screen.data()).substr(2, 17);
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  s = s.substr(first);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

void DrawBackground() {
  LcdClearVram();
  for (int row = 1; row <= 8; ++row) {
    TextLocate(1, row);
    TextPrint("ABCDEFGHIJKLMNOPQRSTU");
  }
}

// SHIFT then 7, as the user presses them.
void PressCapture() {
  HostPostKey(7, 9, 0);
  HostPostKey(7, 5, 0);
}

void Press(std::initializer_list<u32> codes) {
  for (u32 c : codes) KeyPost(c);
}

// Reads keys as an application does, passing over SHIFT (which the reader
// hands back after changing its state): the capture key itself never
// reaches the caller. Tests end each sequence with 'A'.
u32 ReadThroughBoxes() {
  u32 key = 0;
  u32 typed = 0;
  do {
    typed = KeyGetKey(&key);
  } while (typed == 0 && key == kKeyShift);
  EXPECT_EQ(typed, 1u);
  return key;
}

// Capture pictures 3 (a pattern) and 4 (too short); 5 is missing.
std::vector<u8> g_picture;

class CaptureBoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    McsClearAll();
    g_picture.assign(4 + kLcdVramBytes, 0);
    g_picture[1] = 128;
    g_picture[3] = 64;
    for (int i = 0; i < kLcdVramBytes; ++i) g_picture[4 + i] = static_cast<u8>(i * 13 + 5);
    ASSERT_EQ(McsCreateByKind(10, "CAPT3", static_cast<u32>(g_picture.size()), g_picture.data()), 0u);
    ASSERT_EQ(McsCreateByKind(10, "CAPT4", 100, g_picture.data()), 0u);
  }
  void SetUp() override {
    SetupResetAll();
    MsgSelectDefaultLanguage();
    FkeyClearAll();
    FkeyClearStack();
    // SHIFT opens its menu group; with the row hidden it draws nothing, so
    // the screen before and after a box can be compared byte for byte.
    FkeyHideRow(1);
    KeySetMenuMask(0);
    HostClearKeyQueue();
    HostSetKeyHook(RecordKey);
    g_taken.clear();
    DrawBackground();
    TextCursorOff();
  }
  void TearDown() override {
    HostSetKeyHook(nullptr);
    HostClearKeyQueue();
    FkeyHideRow(0);
    PopupMarkClosed(PopupMarkGet());
  }
};

TEST_F(CaptureBoxTest, BoxTextAndLeavingRestoresTheScreen) {
  struct Case {
    const char *name;
    u32 leave;
  } cases[] = {{"EXIT", kKeyExit}, {"SHIFT+EXIT", kKeyQuit}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DrawBackground();
    TextLocate(5, 6);
    TextSetCursorShape(9);
    const std::vector<u8> before = Vram();
    g_taken.clear();
    PressCapture();
    Press({'1', c.leave, 'A'});
    EXPECT_EQ(ReadThroughBoxes(), static_cast<u32>('A'));
    // Keys taken: SHIFT, 7, then '1' and the leaving key inside the box.
    ASSERT_EQ(g_taken.size(), 5u);
    const std::vector<u8> &typed = g_taken[3].screen;
    EXPECT_EQ(Inside(g_taken[2].screen, 2), "Store In");
    EXPECT_EQ(Inside(g_taken[2].screen, 3), "Capture Memory");
    EXPECT_EQ(Inside(g_taken[2].screen, 4), "");
    EXPECT_EQ(Inside(g_taken[2].screen, 5), "Capture[1~20]:");
    EXPECT_EQ(Inside(typed, 5), "Capture[1~20]:1");
    EXPECT_EQ(ScreenRow(8, typed.data()), "ABCDEFGHIJKLMNOPQRSTU");
    EXPECT_EQ(g_taken[2].mask & 128u, 128u);
    EXPECT_EQ(g_taken[4].mask, 0u);  // 'A' is read with the box closed

    TextCursorState st;
    TextGetCursor(&st);
    EXPECT_EQ(st.x, 5);
    EXPECT_EQ(st.y, 6);
    EXPECT_NE(st.shape, -1);
    TextCursorOff();
    EXPECT_EQ(Vram(), before);
  }
}

// Closing the box clears only its own bit of the open-pop-up mask.
TEST_F(CaptureBoxTest, OtherPopupBitsStay) {
  PopupMarkOpen(16);
  Press({kKeyExit});
  PopupCaptureBox();
  ASSERT_EQ(g_taken.size(), 1u);
  EXPECT_EQ(g_taken[0].mask, 16u | 128u);
  EXPECT_EQ(PopupMarkGet(), 16u);
}

// A number outside 1-20 shows the Argument error box, then asks again with
// an empty field.
TEST_F(CaptureBoxTest, NumberOutsideTheRangeAsksAgain) {
  struct Case {
    std::initializer_list<u32> digits;
  } cases[] = {{{'0'}}, {{'0', '0'}}, {{'2', '1'}}, {{'9', '9'}}};
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.digits.begin(), c.digits.end()));
    DrawBackground();
    const std::vector<u8> before = Vram();
    g_taken.clear();
    Press(c.digits);
    Press({kKeyExe, kKeyExit, kKeyExit});
    PopupCaptureBox();
    const size_t n = c.digits.size();
    ASSERT_EQ(g_taken.size(), n + 3);
    const std::vector<u8> &errBox = g_taken[n + 1].screen;
    EXPECT_EQ(Inside(errBox, 3), "Argument ERROR");
    EXPECT_EQ(Inside(errBox, 5), "Press:[EXIT]");
    const std::vector<u8> &again = g_taken[n + 2].screen;
    EXPECT_EQ(Inside(again, 3), "Capture Memory");
    EXPECT_EQ(Inside(again, 5), "Capture[1~20]:");
    EXPECT_EQ(g_taken[n + 2].mask & 128u, 128u);
    EXPECT_EQ(PopupMarkGet(), 0u);
    EXPECT_EQ(Vram(), before);
  }
}

TEST_F(CaptureBoxTest, RecallsThePicture) {
  struct Case {
    std::initializer_list<u32> digits;
  } cases[] = {{{'3'}}, {{'0', '3'}}};
  for (const Case &c : cases) {
    DrawBackground();
    g_taken.clear();
    Press(c.digits);
    Press({kKeyExe});
    PopupCaptureBox();
    EXPECT_EQ(g_taken.size(), c.digits.size() + 1);
    EXPECT_EQ(Vram(), std::vector<u8>(g_picture.begin() + 4, g_picture.end()));
    EXPECT_EQ(PopupMarkGet(), 0u);
  }
}

// A missing or unreadable picture shows the Memory error box over the
// screen as it was, and leaves that screen and screen slot 7 as they were.
TEST_F(CaptureBoxTest, MissingPictureShowsMemoryError) {
  for (u32 digit : {'5', '4', '2'}) {
    SCOPED_TRACE(static_cast<char>(digit));
    DrawBackground();
    LcdSaveScreen(7);
    const std::vector<u8> slot(LcdScreenSlotAddress(7), LcdScreenSlotAddress(7) + kLcdVramBytes);
    LcdClearVram();
    TextLocate(1, 7);
    TextPrint("UNDER");
    const std::vector<u8> before = Vram();
    g_taken.clear();
    Press({digit, kKeyExe, kKeyExit});
    PopupCaptureBox();
    ASSERT_EQ(g_taken.size(), 3u);
    EXPECT_EQ(Inside(g_taken[2].screen, 3), "Memory ERROR");
    EXPECT_EQ(ScreenRowTrimmed(7, g_taken[2].screen.data()), "UNDER");
    EXPECT_EQ(g_taken[2].mask & 128u, 128u);
    EXPECT_EQ(Vram(), before);
    EXPECT_EQ(std::vector<u8>(LcdScreenSlotAddress(7), LcdScreenSlotAddress(7) + kLcdVramBytes), slot);
    EXPECT_EQ(PopupMarkGet(), 0u);
  }
}

// The capture key inside a box's field opens a second box; a third is
// refused. Closing the inner box puts the outer one back and keeps bit 128
// until the outer one closes too.
TEST_F(CaptureBoxTest, AtMostTwoBoxesNest) {
  const std::vector<u8> before = Vram();
  PressCapture();  // outer box
  PressCapture();  // inner box
  PressCapture();  // refused
  Press({kKeyExit, kKeyExit, 'A', kKeyExit, 'B'});
  // With a third box open, its field would take 'A', the last EXIT would
  // close it and 'B' would come back instead.
  EXPECT_EQ(ReadThroughBoxes(), static_cast<u32>('A'));
  EXPECT_EQ(HostKeyQueueCount(), 2u);
  ASSERT_EQ(g_taken.size(), 9u);
  const std::vector<u8> &outer = g_taken[2].screen;  // the outer box waiting
  EXPECT_EQ(Inside(outer, 5), "Capture[1~20]:");
  EXPECT_EQ(g_taken[7].screen, outer);  // the inner box closed
  EXPECT_EQ(g_taken[7].mask & 128u, 128u);
  EXPECT_EQ(g_taken[8].mask, 0u);
  EXPECT_EQ(Vram(), before);
  HostClearKeyQueue();
}

}  // namespace
