#include "ui/lcd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/golden.h"
#include "tests/support/screen_reader.h"
#include "ui/lcd_shadow.h"

namespace {

std::string Golden(const std::string &name) { return std::string(CORVANTA_GOLDEN_DIR) + "/" + name + ".txt"; }

class LcdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LcdClearVram();
    LcdLocate(0, 0);
    LcdSetCursorType(0);
    LcdSetCursorFlash(0);
    ShellResetShadow();
  }
};

int CountDots(int x1, int y1, int x2, int y2) {
  int n = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) n += LcdGetPixel(x, y);
  return n;
}

TEST_F(LcdTest, PixelAddressingAndMask) {
  LcdSetPixel(0, 0, 1);
  LcdSetPixel(127, 63, 1);
  LcdSetPixel(9, 1, 1);
  const u8 *v = LcdVramAddress();
  EXPECT_EQ(v[0], 0x80);
  EXPECT_EQ(v[1023], 0x01);
  EXPECT_EQ(v[16 + 1], 0x40);
  EXPECT_EQ(LcdGetPixel(9, 1), 1);
  EXPECT_EQ(LcdTestPixel(10, 1), 0);
  LcdSetPixel(9, 1, 0);
  EXPECT_EQ(v[17], 0);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(LcdPixelMask(x + 16), 0x80 >> x);
  u8 copy[1024];
  LcdCopyVram(copy);
  EXPECT_EQ(std::memcmp(copy, v, 1024), 0);
  LcdClearVram();
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(v[i], 0);
}

// Writers given coordinates off the screen write nothing outside display
// memory and nothing at wrapped-around places inside it.
TEST_F(LcdTest, EveryWriterClipsToTheScreen) {
  struct Probe {
    const char *what;
    void (*draw)();
    int expected_dots;  // dots that land on the screen
  } probes[] = {
      {"pixel", [] { LcdSetPixel(-1, 0, 1); LcdSetPixel(128, 0, 1); LcdSetPixel(0, 64, 1); LcdSetPixel(5, -3, 1); }, 0},
      {"line", [] { LcdDrawLine(-10, 5, 200, 5); }, 128},
      {"steep line", [] { LcdDrawLine(3, -100, 3, 100); }, 64},
      {"circle", [] { LcdDrawShapeVram(LcdShape{0, 0, 10, 0, 2, kLcdShapeCircle, 1, 1, 0, 0}); }, -1},
      {"reverse", [] { LcdReverseArea(-5, -5, 3, 3); }, 16},
      {"text left", [] { LcdPrintAtPixel(-3, 0, "H", 0); }, -1},
      {"text up", [] { LcdPrintAtPixel(0, -4, "H", 0); }, -1},
      {"text right", [] { LcdPrintAtPixel(125, 60, "HH", 0); }, -1},
      {"bitmap", [] {
         static const u8 bits[4] = {0xFF, 0xFF, 0xFF, 0xFF};
         LcdWriteGraphicVram(LcdGraphic{-4, -2, 8, 4, bits, 1, 1});
         LcdWriteGraphicVram(LcdGraphic{124, 62, 8, 4, bits, 1, 1});
       }, 8 + 8},
      {"mini", [] { i32 x = -2; LcdPrintMiniAt(&x, -3, "88", 16); x = 126; LcdPrintMiniAt(&x, 61, "88", 16); }, -1},
  };
  for (const Probe &p : probes) {
    LcdClearVram();
    p.draw();
    if (p.expected_dots >= 0) {
      EXPECT_EQ(CountDots(0, 0, 127, 63), p.expected_dots) << p.what;
    }
  }
  // The text drawn partly off the left edge shows the right part of its glyph.
  LcdClearVram();
  LcdPrintAtPixel(-3, 0, "H", 0);
  EXPECT_EQ(ScreenPictureRegion(0, 0, 4, 7), ".#..\n.#..\n.#..\n##..\n.#..\n.#..\n.#..\n");
  LcdClearVram();
  LcdPrintAtPixel(0, -4, "H", 0);
  EXPECT_EQ(ScreenPictureRegion(0, 0, 6, 4), "#...#.\n#...#.\n#...#.\n......\n");
}

TEST_F(LcdTest, LineEndPointsAndDotCounts) {
  LcdDrawLine(5, 5, 5, 5);
  EXPECT_EQ(CountDots(0, 0, 127, 63), 1);
  LcdClearVram();
  LcdDrawLine(10, 3, 30, 3);
  EXPECT_EQ(CountDots(0, 0, 127, 63), 21);
  LcdClearLine(12, 3, 14, 3);
  EXPECT_EQ(CountDots(0, 0, 127, 63), 18);
  // Both directions give the same dots.
  LcdClearVram();
  LcdDrawLine(0, 0, 17, 5);
  std::string forward = ScreenPicture();
  LcdClearVram();
  LcdDrawLine(17, 5, 0, 0);
  EXPECT_EQ(ScreenPicture(), forward);
  EXPECT_EQ(LcdGetPixel(0, 0), 1);
  EXPECT_EQ(LcdGetPixel(17, 5), 1);
}

TEST_F(LcdTest, GoldenLinesAndDashes) {
  auto shape = [](i32 x1, i32 y1, i32 x2, i32 y2, u8 kind, i32 a, i32 b, u8 colour = 1, u8 mode = 1) {
    LcdDrawShapeVram(LcdShape{x1, y1, x2, y2, 0, kind, colour, mode, a, b});
  };
  shape(0, 0, 127, 0, kLcdShapeLine, 0, 0);
  shape(0, 2, 127, 2, kLcdShapeDash, 1, 1);
  shape(0, 4, 127, 4, kLcdShapeDash, 4, 2);
  shape(0, 6, 127, 6, kLcdShapeDashDot, 5, 2);
  shape(0, 8, 127, 8, kLcdShapeDash, 0, -3);  // dash lengths below 1 count as 1
  shape(0, 10, 127, 10, kLcdShapeLine, 0, 0, 3);  // dotted colour
  shape(0, 12, 127, 63, kLcdShapeLine, 0, 0);
  shape(127, 12, 60, 63, kLcdShapeDash, 3, 3);
  shape(10, 63, 30, 12, kLcdShapeDashDot, 4, 2);
  shape(40, 20, 40, 50, kLcdShapeLine, 0, 0);
  shape(40, 30, 40, 40, kLcdShapeLine, 0, 0, 2);  // white cuts the black line
  shape(50, 20, 90, 20, kLcdShapeLine, 0, 0);
  shape(60, 20, 80, 20, kLcdShapeLine, 0, 0, 1, kLcdWriteXor);  // XOR punches a gap
  EXPECT_TRUE(MatchesGolden(Golden("lines"), ScreenPicture()));
}

TEST_F(LcdTest, GoldenCirclesAndFrames) {
  auto circle = [](i32 cx, i32 cy, i32 r, u8 mode = 1) {
    LcdDrawShapeVram(LcdShape{cx, cy, r, 0, 0, kLcdShapeCircle, 1, mode, 0, 0});
  };
  circle(4, 4, 0);
  circle(10, 4, 1);
  circle(20, 5, 3);
  circle(40, 20, 12);
  circle(100, 32, 40);  // runs off the right, top and bottom edges
  circle(70, 50, 6, kLcdWriteXor);
  LcdDrawShapeVram(LcdShape{2, 40, 30, 60, 0, kLcdShapeFrame, 1, 1, 0, 0});
  LcdDrawShapeVram(LcdShape{30, 35, 6, 45, 0, kLcdShapeFrame, 1, 1, 0, 0});  // corners swapped
  LcdDrawShapeVram(LcdShape{50, 58, 60, 58, 0, kLcdShapeFrame, 1, 1, 0, 0});  // flat
  EXPECT_TRUE(MatchesGolden(Golden("circles_frames"), ScreenPicture()));
  // A circle of radius 0 is its centre; of radius 1 the four neighbours.
  LcdClearVram();
  circle(4, 4, 0);
  EXPECT_EQ(ScreenPictureRegion(3, 3, 3, 3), "...\n.#.\n...\n");
  circle(4, 4, 0, kLcdWriteXor);
  EXPECT_EQ(CountDots(0, 0, 127, 63), 0) << "XOR of a dot twice removes it";
  circle(10, 10, 1);
  EXPECT_EQ(ScreenPictureRegion(9, 9, 3, 3), ".#.\n#.#\n.#.\n");
}

TEST_F(LcdTest, AreasByKindAndReverse) {
  LcdDrawAreaVram(LcdArea{3, 1, 20, 4, 1});
  EXPECT_EQ(CountDots(0, 0, 127, 63), 18 * 4);
  LcdDrawAreaVram(LcdArea{20, 4, 3, 1, 3});  // corners in any order
  EXPECT_EQ(CountDots(0, 0, 127, 63), 0);
  LcdDrawAreaVram(LcdArea{0, 0, 7, 1, 2});
  EXPECT_EQ(LcdVramAddress()[0], 0xAA);
  EXPECT_EQ(LcdVramAddress()[16], 0x55);
  LcdDrawAreaVram(LcdArea{0, 0, 127, 64, 1});  // leaves the screen: nothing
  LcdDrawAreaVram(LcdArea{-1, 0, 10, 10, 1});
  EXPECT_EQ(CountDots(0, 0, 127, 63), 8);
  LcdReverseArea(0, 0, 7, 1);
  EXPECT_EQ(LcdVramAddress()[0], 0x55);
  EXPECT_EQ(LcdVramAddress()[16], 0xAA);

  LcdClearVram();
  LcdPrintAtPixel(2, 2, "Rev", 0);
  LcdReverseArea(0, 0, 21, 11);
  LcdDrawAreaVram(LcdArea{30, 0, 60, 11, 2});
  LcdReverseArea(45, 5, 70, 20);
  LcdClearArea(LcdRect{50, 8, 55, 9});
  EXPECT_TRUE(MatchesGolden(Golden("areas"), ScreenPictureRegion(0, 0, 72, 22)));
}

TEST_F(LcdTest, ReadAreaCopiesLeftAligned) {
  LcdDrawLine(10, 2, 20, 2);
  LcdSetPixel(10, 3, 1);
  u8 buf[8];
  std::memset(buf, 0xEE, sizeof buf);
  ASSERT_EQ(LcdReadAreaVram(LcdRect{10, 2, 20, 3}, buf), 1);
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(buf[1], 0xE0);
  EXPECT_EQ(buf[2], 0x80);
  EXPECT_EQ(buf[3], 0x00);
  EXPECT_EQ(buf[4], 0xEE);
  std::memset(buf, 0xEE, sizeof buf);
  EXPECT_EQ(LcdReadAreaVram(LcdRect{120, 0, 128, 1}, buf), 0);
  EXPECT_EQ(buf[0], 0xEE);
  // The shown screen reads back the same way.
  ShellSetLcdByte(1, 2, 0x3C);
  ASSERT_EQ(LcdReadAreaScreen(LcdRect{10, 2, 13, 2}, buf), 1);
  EXPECT_EQ(buf[0], 0xF0);
}

TEST_F(LcdTest, BitmapModesKindsAndClipping) {
  static const u8 arrow[8 * 2] = {0x18, 0x00, 0x3C, 0x00, 0x7E, 0x00, 0xFF, 0x80,
                                  0x18, 0x00, 0x18, 0x00, 0x18, 0x00, 0x18, 0x00};
  static const u8 solid[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  int x = 1;
  for (u8 mode = 1; mode <= 4; ++mode) {
    for (u8 kind = 1; kind <= 3; ++kind) {
      LcdWriteGraphicVram(LcdGraphic{x, 13, 8, 8, solid, 1, 1});  // ground for AND and XOR
      LcdWriteGraphicVram(LcdGraphic{x + 4, 2, 9, 8, arrow, 1, 1});
      LcdWriteGraphicVram(LcdGraphic{x + 3, 12, 9, 8, arrow, mode, kind});
      x += 10;
    }
  }
  LcdWriteGraphicVram(LcdGraphic{123, 40, 9, 8, arrow, 1, 1});  // cut at the right edge
  LcdWriteGraphicVram(LcdGraphic{-4, 40, 9, 8, arrow, 1, 1});   // cut at the left edge
  LcdWriteGraphicVram(LcdGraphic{60, 60, 9, 8, arrow, 1, 1});   // cut at the bottom
  LcdWriteGraphicVram(LcdGraphic{60, 30, 0, 8, arrow, 1, 1});   // no columns: nothing
  LcdWriteGraphicVram(LcdGraphic{128, 30, 8, 8, solid, 1, 1});  // off the right: nothing
  EXPECT_TRUE(MatchesGolden(Golden("bitmaps"), ScreenPicture()));
  // Drawn onto both, the shown screen gets display memory's result.
  LcdClearVram();
  LcdSetPixel(64, 0, 1);
  LcdWriteGraphicBoth(LcdGraphic{66, 0, 8, 1, solid, kLcdWriteOr, 1});
  EXPECT_EQ(ShellGetLcdByte(8, 0), 0xBF);
  LcdWriteGraphicScreen(LcdGraphic{0, 63, 8, 1, solid, 1, 1});
  EXPECT_EQ(ShellGetLcdByte(0, 63), 0xFF);
  EXPECT_EQ(LcdVramAddress()[16 * 63], 0) << "the screen-only writer leaves display memory alone";
}

TEST_F(LcdTest, BitmapOnAByteBoundaryMatchesItOffTheBoundary) {
  // A 13-dot-wide bitmap over a ground, once at x = 16 (bytes taken whole)
  // and once 50 columns to the right (dot by dot; an even step keeps the
  // checkered kind's phase): every mode and kind leaves the same dots in
  // both, and none past the bitmap's width.
  static const u8 bits[2 * 4] = {0xA5, 0xFF, 0x3C, 0x0F, 0xFF, 0xF8, 0x81, 0x70};
  static const u8 ground[3 * 4] = {0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0xFF, 0x00, 0xFF, 0x55, 0xAA, 0x55};
  for (u8 mode = 1; mode <= 4; ++mode) {
    for (u8 kind = 1; kind <= 3; ++kind) {
      LcdClearVram();
      for (i32 at : {8, 58}) {
        LcdWriteGraphicVram(LcdGraphic{at, 10, 24, 4, ground, 1, 1});
        LcdWriteGraphicVram(LcdGraphic{at + 8, 10, 13, 4, bits, mode, kind});
      }
      for (i32 y = 10; y < 14; ++y) {
        for (i32 x = 8; x < 32; ++x) {
          ASSERT_EQ(LcdGetPixel(x, y), LcdGetPixel(x + 50, y)) << "mode " << int{mode} << " kind " << int{kind}
                                                               << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(LcdTest, DriverCursorLocateAndTypes) {
  i32 c[4];
  ASSERT_EQ(LcdLocate(3, 4), 1);
  EXPECT_EQ(LcdLocate(21, 0), 0);
  EXPECT_EQ(LcdLocate(0, 8), 0);
  EXPECT_EQ(LcdLocate(-1, 2), 0);
  LcdGetCursor(c);
  EXPECT_EQ(c[0], 3);
  EXPECT_EQ(c[1], 4);
  for (i32 t : {0, 1, 2, 4, 8, 16, 17, 18, 20, 24, 64}) EXPECT_EQ(LcdSetCursorType(t), 1) << t;
  LcdSetCursorType(17);
  for (i32 t : {3, 5, 19, 32, 65, -1}) EXPECT_EQ(LcdSetCursorType(t), 0) << t;
  LcdSetCursorFlash(5);
  EXPECT_EQ(LcdGetCursor(c), 1);
  EXPECT_EQ(c[2], 17);
  LcdSetCursorFlash(0);
  EXPECT_EQ(LcdGetCursor(c), 0);
}

TEST_F(LcdTest, PrintAtCursorMovesTheColumn) {
  i32 c[4];
  LcdLocate(2, 1);
  EXPECT_EQ(LcdPrintAtCursor("abc", 0), 30);
  LcdGetCursor(c);
  EXPECT_EQ(c[0], 5);
  // Column 20 stays at 20, and the two dots right of the grid are cleared.
  LcdSetPixel(126, 9, 1);
  LcdSetPixel(127, 10, 1);
  LcdLocate(20, 1);
  LcdPrintAtCursor("\x7F", 0);  // a lead byte alone ends the text at once
  LcdGetCursor(c);
  EXPECT_EQ(c[0], 20);
  LcdPrintAtCursor("#", 0);
  LcdGetCursor(c);
  EXPECT_EQ(c[0], 20);
  EXPECT_EQ(LcdGetPixel(126, 9), 0);
  EXPECT_EQ(LcdGetPixel(127, 10), 0);
  // The pixel form leaves them alone.
  LcdSetPixel(126, 20, 1);
  EXPECT_EQ(LcdPrintAtPixel(120, 16, "#", 0), 126);
  EXPECT_EQ(LcdGetPixel(126, 20), 1);
  EXPECT_EQ(ScreenRowTrimmed(2), "  abc               #");
  EXPECT_EQ(ScreenRowTrimmed(3), "                    #");
}

TEST_F(LcdTest, GoldenTextLayoutCodesAndFlags) {
  LcdPrintAtPixel(0, 0, "Normal \xF9\xC9\xF9\xC9gap", 0);
  LcdPrintAtPixel(0, 8, "Back\xF9\xC8X", 0);
  LcdPrintAtPixel(0, 16, "Two\xF9\xCAlines\xF9\xCDstart", 0);
  LcdPrintAtPixel(0, 32, "Reverse", kLcdTextReverse);
  LcdDrawAreaVram(LcdArea{48, 32, 95, 39, 2});
  LcdPrintAtPixel(48, 32, "XorXor", kLcdTextXor);
  LcdDrawAreaVram(LcdArea{0, 40, 47, 47, 2});
  LcdPrintAtPixel(0, 40, "OrOrOr", kLcdTextOr);
  LcdPrintAtPixel(50, 40, "Ov", kLcdTextReverse | kLcdTextOr);
  LcdPrintAtPixel(3, 49, "odd x \x0F\x87\x7F\x50\x7F\x54\xBB\xE6\x92\xE6\x93\x9C", 0);
  LcdLocate(20, 7);
  LcdPrintAtCursor("Z", kLcdTextReverse);
  i32 x = LcdPrintAtPixel(100, 56, "overflow", 0);
  EXPECT_EQ(x, 130) << "drawing stops once x reaches 128";
  EXPECT_TRUE(MatchesGolden(Golden("text"), ScreenPicture()));
}

TEST_F(LcdTest, MissingGlyphDrawsAVisibleBox) {
  // 0xF7 0x01 is a token code with no glyph: the box shows and the text goes on.
  LcdPrintAtPixel(0, 0, "a\xF7\x01" "b", 0);
  EXPECT_EQ(ScreenRowTrimmed(1), "a\u25AFb");
}

TEST_F(LcdTest, ScreenSlots) {
  for (i32 n : {1, 2, 3, 7, 8}) {
    LcdClearVram();
    LcdSetPixel(n, 0, 1);
    ASSERT_EQ(LcdSaveScreen(n), 1) << n;
  }
  for (i32 n : {0, 4, 5, 6, 9, -1}) {
    EXPECT_EQ(LcdSaveScreen(n), 0) << n;
    EXPECT_EQ(LcdRestoreScreen(n), 0) << n;
    EXPECT_EQ(LcdScreenSlotAddress(n), nullptr) << n;
  }
  for (i32 n : {1, 2, 3, 7, 8}) {
    LcdClearVram();
    ASSERT_EQ(LcdRestoreScreen(n), 1);
    EXPECT_EQ(CountDots(0, 0, 127, 63), 1) << n;
    EXPECT_EQ(LcdGetPixel(n, 0), 1) << "slot " << n << " is a buffer of its own";
    EXPECT_EQ(LcdScreenSlotAddress(n)[0], 0x80 >> n);
  }
}

TEST_F(LcdTest, GoldenPopupWindows) {
  for (i32 size = 1; size <= 6; ++size) {
    LcdClearVram();
    LcdDrawAreaVram(LcdArea{0, 0, 127, 63, 2});  // a busy screen underneath
    std::vector<u8> under(LcdVramAddress(), LcdVramAddress() + 1024);
    ASSERT_EQ(LcdDrawPopupWindow(size == 6 ? 0 : 2, size), 1);
    EXPECT_TRUE(MatchesGolden(Golden("popup_" + std::to_string(size)), ScreenPicture())) << size;
    if (size != 6) {
      EXPECT_EQ(std::memcmp(LcdScreenSlotAddress(2), under.data(), 1024), 0);
    }
  }
  EXPECT_EQ(LcdDrawPopupWindow(0, 0), 0);
  EXPECT_EQ(LcdDrawPopupWindow(0, 7), 0);
  // Size 6 runs from row 3 to 59 with its shadow on x 118 and row 60.
  LcdClearVram();
  LcdDrawPopupWindow(0, 6);
  EXPECT_EQ(LcdGetPixel(9, 3), 1);
  EXPECT_EQ(LcdGetPixel(117, 59), 1);
  EXPECT_EQ(LcdGetPixel(118, 3), 0);
  EXPECT_EQ(LcdGetPixel(118, 4), 1);
  EXPECT_EQ(LcdGetPixel(118, 60), 1);
  EXPECT_EQ(LcdGetPixel(10, 60), 1);
  EXPECT_EQ(LcdGetPixel(9, 60), 0);
}

TEST_F(LcdTest, GoldenTableGridAndBrackets) {
  LcdDrawTableGrid(5, 1);
  EXPECT_TRUE(MatchesGolden(Golden("table_grid"), ScreenPicture()));
  LcdClearVram();
  LcdDrawTableGrid(7, 0);
  EXPECT_EQ(CountDots(12, 0, 12, 63), 64);
  LcdClearVram();
  LcdDrawTableGrid(-3, 0);  // no rows: only the header rule
  EXPECT_EQ(CountDots(0, 0, 127, 63), 113);

  LcdClearVram();
  for (i32 piece = 0; piece <= 9; ++piece) LcdDrawBracketCell(2 + 6 * piece, 1, piece);
  LcdDrawBracketColumn(LcdBracketColumn{2, 3, 3, 3, kLcdBracketFirstRow | kLcdBracketLastRow | kLcdBracketLeft |
                                                        kLcdBracketRight | kLcdBracketHalf});
  LcdDrawBracketColumn(LcdBracketColumn{2, 1, 14, 6, kLcdBracketFirstRow | kLcdBracketLastRow | kLcdBracketLeft |
                                                         kLcdBracketRight});
  EXPECT_TRUE(MatchesGolden(Golden("brackets"), ScreenPicture()));
}

TEST_F(LcdTest, GoldenMiniFont) {
  i32 x = 0;
  LcdPrintMiniAt(&x, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", kLcdMiniNormal);
  x = 0;
  LcdPrintMiniAt(&x, 7, "abcdefghijklmnopqrstuvwxyz", kLcdMiniNormal);
  x = 0;
  LcdPrintMiniAt(&x, 14, "0123456789 +-*/=()[]<>.,:;!?", kLcdMiniNormal);
  x = 0;
  LcdPrintMiniAt(&x, 21, "\x0F\x87\xA9\xB9\xC2\xC3\xE5\x51\xE6\x51\xE6\x4B\xE5\xC2\xE6\x47\xE6\x90\xE6\x91\xE6\x92\xE6\x93",
                 kLcdMiniNormal);
  x = 0;
  LcdPrintMiniAt(&x, 28, " Rev ", kLcdMiniNormal | kLcdMiniReverse);
  LcdPrintMiniAt(&x, 28, "\xF7\x01", kLcdMiniNormal);  // no glyph: the small box
  EXPECT_TRUE(MatchesGolden(Golden("mini_font"), ScreenPictureRegion(0, 0, 128, 36)));
  EXPECT_EQ(LcdMiniTextWidth("AB"), 8);
  EXPECT_EQ(LcdMiniTextWidth("iM"), 2 + 6);
}

TEST_F(LcdTest, ShownScreenOperations) {
  // A dot onto both: display memory and the shadow.
  LcdSetPixelBoth(3, 2, 1);
  EXPECT_EQ(LcdGetPixel(3, 2), 1);
  EXPECT_EQ(ShellGetLcdByte(0, 2), 0x10);
  LcdSetPixelBoth(3, 2, 0);
  EXPECT_EQ(ShellGetLcdByte(0, 2), 0x00);
  // Shapes and areas onto the shown screen only.
  LcdDrawShapeScreen(LcdShape{0, 5, 15, 5, 0, kLcdShapeLine, 1, 1, 0, 0});
  EXPECT_EQ(ShellGetLcdByte(0, 5), 0xFF);
  EXPECT_EQ(ShellGetLcdByte(1, 5), 0xFF);
  EXPECT_EQ(LcdGetPixel(0, 5), 0);
  LcdClearAreaScreen(LcdRect{0, 5, 7, 5});
  EXPECT_EQ(ShellGetLcdByte(0, 5), 0x00);
  LcdDrawAreaBoth(LcdArea{8, 6, 15, 6, 1});
  EXPECT_EQ(ShellGetLcdByte(1, 6), 0xFF);
  EXPECT_EQ(LcdVramAddress()[16 * 6 + 1], 0xFF);
  LcdClearAreaBoth(LcdRect{8, 6, 11, 6});
  EXPECT_EQ(ShellGetLcdByte(1, 6), 0x0F);
  // Blank and clear.
  LcdSetPixel(0, 0, 1);
  ShellUpdateDisplay();
  EXPECT_EQ(ShellGetLcdByte(0, 0), 0x80);
  LcdFlushAndClear();
  EXPECT_EQ(ShellGetLcdByte(0, 0), 0x00);
  EXPECT_EQ(LcdGetPixel(0, 0), 0);
}

}  // namespace

namespace {

TEST_F(LcdTest, ScreenReaderReadsWhatTheWritersDrew) {
  LcdPrintAtPixel(0, 0, "Ab\xE6\x47\xE5\xC2\xE6\x08", 0);
  LcdPrintAtPixel(6, 8, "rev", kLcdTextReverse);
  LcdPrintAtPixel(0, 16, "\x87" "1\x0F" "5", 0);
  LcdDrawPopupWindow(0, 6);  // frame lines through cells 2 and 20 of rows 1-8
  LcdPrintAtPixel(12, 24, "in box", 0);
  EXPECT_EQ(ScreenRow(4), "  in box             ");
  EXPECT_EQ(ScreenRowReversed(4), ".....................");
  LcdClearVram();
  LcdPrintAtPixel(0, 0, "Ab\xE6\x47\xE5\xC2\xE6\x08", 0);
  LcdPrintAtPixel(6, 8, "rev", kLcdTextReverse);
  LcdPrintAtPixel(0, 16, "\x87" "1\x0F" "5", 0);
  EXPECT_EQ(ScreenRowTrimmed(1), "Abθ²é");
  EXPECT_EQ(ScreenRowCodes(1).substr(0, 7), "Ab\xCE\xE5\xC2\xE6\x08");
  EXPECT_EQ(ScreenRowTrimmed(2), " rev");
  EXPECT_EQ(ScreenRowReversed(2), ".RRR.................");
  EXPECT_EQ(ScreenRowTrimmed(3), "−1ᴇ5");
  EXPECT_EQ(ScreenText().substr(0, 4), "Abθ");
  // A cell no glyph matches reads as '?'.
  LcdSetPixel(7, 40, 1);
  EXPECT_EQ(ScreenRowTrimmed(6), " ?");
  // Pictures round-trip.
  std::vector<u8> back = ScreenFromPicture(ScreenPicture());
  EXPECT_EQ(std::memcmp(back.data(), LcdVramAddress(), 1024), 0);
}

}  // namespace

namespace {

TEST_F(LcdTest, TextStopsAtTheEdges) {
  // Once x reaches 128 nothing more is read, layout codes included.
  EXPECT_EQ(LcdPrintAtPixel(120, 0, "ab\xF9\xCD\xF9\xCA" "cd", 0), 132);
  EXPECT_EQ(ScreenRowTrimmed(2), "");
  EXPECT_EQ(CountDots(126, 0, 127, 7), 9) << "the b shows its first two columns";
  EXPECT_EQ(LcdPrintAtPixel(0, 60, "x\xF9\xCAy", 0), 6);
  EXPECT_EQ(CountDots(6, 0, 127, 63) - CountDots(120, 0, 127, 7), 0) << "nothing below the last row";
}

}  // namespace

namespace {

// Coordinates at the ends of the 32-bit range draw what falls on the screen,
// quickly, without overflowing (the sanitizer build checks the arithmetic).
TEST_F(LcdTest, ExtremeCoordinatesAreSafe) {
  const i32 lo = INT32_MIN, hi = INT32_MAX;
  LcdDrawLine(-1000000, 10, 1000000, 10);
  EXPECT_EQ(CountDots(0, 10, 127, 10), 128);
  EXPECT_EQ(CountDots(0, 0, 127, 63), 128);
  LcdClearVram();
  LcdDrawLine(lo, lo, hi, hi);
  LcdDrawLine(hi, lo, lo, hi);
  LcdDrawLine(lo, 5, lo, 5);
  LcdDrawShapeVram(LcdShape{hi, hi, 5, 0, 0, kLcdShapeCircle, 1, 1, 0, 0});
  LcdDrawShapeVram(LcdShape{lo, 0, hi, 0, 0, kLcdShapeCircle, 1, 1, 0, 0});
  LcdDrawShapeVram(LcdShape{20, lo, 30, hi, 0, kLcdShapeFrame, 1, 1, 0, 0});
  EXPECT_EQ(CountDots(20, 0, 20, 63), 64) << "the frame's sides run down the whole screen";
  static const u8 solid[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  LcdWriteGraphicVram(LcdGraphic{lo, lo, hi, hi, solid, 1, 1});
  LcdWriteGraphicVram(LcdGraphic{127, lo + 1, hi, 2, solid, 1, 1});
  EXPECT_EQ(LcdPrintAtPixel(lo, lo, "\xF9\xC8\xF9\xCA" "ab", 0), lo + 6);
  LcdPrintAtPixel(hi - 3, hi - 3, "ab\xF9\xC9\xF9\xCA", 0);
  LcdReverseArea(lo, lo, hi, hi);
  LcdDrawAreaVram(LcdArea{lo, lo, hi, hi, 1});
}

}  // namespace

namespace {

TEST_F(LcdTest, NullArgumentsAreRefused) {
  LcdCopyVram(nullptr);
  EXPECT_EQ(LcdReadAreaVram(LcdRect{0, 0, 7, 7}, nullptr), 0);
  EXPECT_EQ(LcdReadAreaScreen(LcdRect{0, 0, 7, 7}, nullptr), 0);
  LcdSetCursorFlash(1);
  EXPECT_EQ(LcdGetCursor(nullptr), 1);
  EXPECT_EQ(LcdPrintMiniCharAt(nullptr, 0, 'A', kLcdMiniNormal), 0);
  EXPECT_EQ(LcdPrintMiniAt(nullptr, 0, "A", kLcdMiniNormal), 0);
  EXPECT_EQ(LcdPrintAtPixel(3, 0, nullptr, 0), 3);
  LcdWriteGraphicVram(LcdGraphic{0, 0, 8, 8, nullptr, 1, 1});
  EXPECT_EQ(CountDots(0, 0, 127, 63), 0);
}

}  // namespace
