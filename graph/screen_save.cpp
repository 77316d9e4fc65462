#include "graph/screen_save.h"

#include "ui/lcd.h"

namespace {

GraphCursor g_cursor{};

}  // namespace

GraphCursor *GraphCursorState() { return &g_cursor; }

void GraphSaveScreen(u8 *buffer) { LcdReadAreaVram(LcdRect{0, 0, kLcdWidth - 1, kLcdHeight - 1}, buffer); }

void GraphRestoreScreen(const u8 *buffer) {
  LcdWriteGraphicVram(LcdGraphic{0, 0, kLcdWidth, kLcdHeight, buffer, kLcdWriteSet, 1});
}
