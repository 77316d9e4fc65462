// Cost of the drawing that every screen does: a full text row, a text screen
// through the grid, a long line, a pop-up window, a bitmap and the screen
// hand-off to the window.
#include <benchmark/benchmark.h>

#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/msg.h"
#include "ui/text.h"

namespace {

void BM_PrintRow(benchmark::State &state) {
  LcdClearVram();
  for (auto _ : state) benchmark::DoNotOptimize(LcdPrintAtPixel(0, 8, "0123456789ABCDEFGHIJK", 0));
}
BENCHMARK(BM_PrintRow);

void BM_TextScreen(benchmark::State &state) {
  char line[32];
  for (auto _ : state) {
    LcdClearVram();
    for (i32 row = 1; row <= 8; ++row) {
      TextLocate(1, row);
      TextPrintField(MsgText(310 + row, line), 21);
    }
  }
}
BENCHMARK(BM_TextScreen);

void BM_DiagonalLine(benchmark::State &state) {
  LcdClearVram();
  for (auto _ : state) LcdDrawLine(0, 0, 127, 63);
}
BENCHMARK(BM_DiagonalLine);

void BM_PopupWindow(benchmark::State &state) {
  for (auto _ : state) LcdDrawPopupWindow(1, 6);
}
BENCHMARK(BM_PopupWindow);

void BM_Bitmap(benchmark::State &state) {
  static u8 bits[8 * 3];
  for (u8 &b : bits) b = 0xA5;
  for (auto _ : state) LcdWriteGraphicVram(LcdGraphic{5, 56, 21, 8, bits, 1, 1});
}
BENCHMARK(BM_Bitmap);

void BM_HandOff(benchmark::State &state) {
  for (auto _ : state) ShellUpdateDisplay();
}
BENCHMARK(BM_HandOff);

}  // namespace
