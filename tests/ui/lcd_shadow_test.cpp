#include "ui/lcd_shadow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "ui/lcd.h"
#include "ui/setup.h"

namespace {

std::atomic<int> g_hook_calls{0};
std::atomic<int> g_hook_mode{-1};
void CountingHook(i32 mode) {
  g_hook_calls.fetch_add(1);
  g_hook_mode.store(mode);
}

class ShadowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellSetDisplayHook(nullptr);
    ShellSetDisplayFreeze(false);
    ShellResetShadow();
    LcdClearVram();
    SetupResetAll();
  }
  void TearDown() override { ShellSetDisplayHook(nullptr); }
};

TEST_F(ShadowTest, StartsBlankAndStoresInverted) {
  u8 shadow[kLcdShadowBytes];
  ShellCopyShadow(shadow);
  for (u8 b : shadow) ASSERT_EQ(b, 0xFF);
  ShellSetLcdByte(0, 0, 0x80);
  EXPECT_EQ(ShellGetLcdByte(0, 0), 0x80);
  ShellCopyShadow(shadow);
  EXPECT_EQ(shadow[0], 0x7F);
  // Outside the screen: nothing stored, 0 read.
  ShellSetLcdByte(16, 0, 0xFF);
  ShellSetLcdByte(0, 64, 0xFF);
  ShellSetLcdByte(-1, 3, 0xFF);
  EXPECT_EQ(ShellGetLcdByte(16, 0), 0);
  EXPECT_EQ(ShellGetLcdByte(3, -1), 0);
  ShellCopyShadow(shadow);
  for (int i = 1; i < kLcdShadowBytes; ++i) ASSERT_EQ(shadow[i], 0xFF) << i;
}

TEST_F(ShadowTest, HandOffCopiesDisplayMemoryAndKeyState) {
  g_hook_calls = 0;
  ShellSetDisplayHook(CountingHook);
  LcdSetPixel(0, 0, 1);
  LcdSetPixel(127, 63, 1);
  SetupSetItem(kSetupKeyModifier, 132);
  u32 serial = ShellDisplaySerial();
  ShellUpdateDisplay();
  EXPECT_GT(ShellDisplaySerial(), serial);
  EXPECT_EQ(g_hook_calls.load(), 1);
  EXPECT_EQ(g_hook_mode.load(), 0);
  EXPECT_EQ(ShellGetLcdByte(0, 0), 0x80);
  EXPECT_EQ(ShellGetLcdByte(15, 63), 0x01);
  EXPECT_EQ(ShellHandedKeyState(), 132);
  EXPECT_STREQ(ShellKeyStateText(ShellHandedKeyState()), "<ALPHA-LOCK>");
  u8 frame[kLcdShadowBytes];
  ShellCopyHandedFrame(frame);
  EXPECT_EQ(std::memcmp(frame, LcdVramAddress(), kLcdShadowBytes), 0);
  // Frozen: the shadow keeps what it showed.
  ShellSetDisplayFreeze(true);
  LcdClearVram();
  ShellUpdateDisplay();
  EXPECT_EQ(ShellGetLcdByte(0, 0), 0x80);
  ShellSetDisplayFreeze(false);
  ShellUpdateDisplay();
  EXPECT_EQ(ShellGetLcdByte(0, 0), 0x00);
  ShellBlankLcd();
  EXPECT_EQ(g_hook_mode.load(), 1);
}

TEST_F(ShadowTest, KeyStateTexts) {
  struct Case {
    u8 modifier;
    const char *text;
  } cases[] = {{0, ""},          {1, "<SHIFT>"},       {2, "<CLIP>"},
               {4, "<ALPHA>"},   {132, "<ALPHA-LOCK>"}, {8, "<small-ALPHA>"},
               {136, "<small-ALPHA-LOCK>"}, {3, ""},    {255, ""}};
  for (const Case &c : cases) EXPECT_STREQ(ShellKeyStateText(c.modifier), c.text) << int(c.modifier);
}

TEST_F(ShadowTest, BusyMarkAndGraphCursor) {
  ShellSetLcdByte(15, 0, 0xA0);
  LcdShowBusyIndicator();
  for (int y = 0; y < 4; ++y) EXPECT_EQ(ShellGetLcdByte(15, y) & 0x0F, 0x0F) << y;
  EXPECT_EQ(ShellGetLcdByte(15, 0), 0xAF) << "the dots left of the mark stay";
  EXPECT_EQ(ShellGetLcdByte(15, 4), 0x00);
  ShellShowBusyIndicator(0);
  EXPECT_EQ(ShellGetLcdByte(15, 0), 0xA0);
  i32 x, y;
  ShellSetGraphCursor(200, -5);
  ShellGetGraphCursorPos(&x, &y);
  EXPECT_EQ(x, 127);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(ShellGetGraphCursorWord(), 1u);
  i32 c[4];
  EXPECT_EQ(LcdGetCursor(c), 1) << "flashing is switched on";
}

// The calculator thread hands screens over while the window thread copies
// and blinks; run under ThreadSanitizer this shows there is no data race.
TEST_F(ShadowTest, TwoThreadsShareTheShadow) {
  std::atomic<bool> stop{false};
  std::thread window([&] {
    u8 shadow[kLcdShadowBytes];
    u8 frame[kLcdShadowBytes];
    while (!stop.load()) {
      ShellCopyShadow(shadow);
      ShellCopyHandedFrame(frame);
      u8 cell = 0x00;
      ShellWriteShadow(0, &cell, 1);
      i32 c[4];
      LcdGetCursor(c);
      (void)ShellDisplaySerial();
      (void)ShellGetGraphCursorWord();
    }
  });
  for (int i = 0; i < 2000; ++i) {
    LcdSetPixel(i % 128, (i / 128) % 64, 1);
    ShellUpdateDisplay();
    ShellSetLcdByte(i % 16, i % 64, static_cast<u8>(i));
    LcdLocate(i % 21, i % 8);
    LcdSetCursorFlash(i & 1);
  }
  stop = true;
  window.join();
  SUCCEED();
}

}  // namespace
