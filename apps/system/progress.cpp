#include "apps/system/progress.h"

#include "kernel/keyqueue.h"
#include "storage/wstr.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr i32 kBarLeft = 18;
constexpr i32 kBarTop = 31;
constexpr i32 kBarRight = 107;
constexpr i32 kBarBottom = 41;
constexpr i32 kBarWidth = 88;

bool g_open = false;
// The bar's filled right edge: each step draws only the dots it adds, and
// the window is refreshed when the bar grew by an eighth of its width or
// came to its end (a backup takes a fraction of a millisecond; refreshing
// at each of its steps would cost more than the work).
i32 g_right = kBarLeft;
i32 g_shown = kBarLeft;
constexpr i32 kRefreshStep = kBarWidth / 8;

}  // namespace

void BrowseShowProgress(const u16 *path, i32 done, i32 total) {
  if (done == 0) {
    KeyBreakArm();
    if (g_open) PopupCloseKind5();
    PopupOpenFramed(5);
    g_open = true;
    char name[16] = {};
    if (path) {
      const u16 *slash = WstrFindLast(path, '\\');
      const u16 *p = slash ? slash + 1 : path;
      for (i32 i = 0; i < 13 && !WstrIsEnd(p[i]); ++i) name[i] = p[i] < 0x100 ? static_cast<char>(p[i]) : '?';
    }
    TextLocate(4, 3);
    TextPrint(name);
    PopupBlankRow(5);
    PopupBlankRow(6);
    LcdShape frame = {kBarLeft, kBarTop, kBarRight, kBarBottom, 0, kLcdShapeFrame, 1, kLcdWriteSet, 0, 0};
    LcdDrawShapeVram(frame);
    g_right = g_shown = kBarLeft;
  } else if (total > 0 && done > 0) {
    if (done > total) done = total;
    const i32 right = kBarLeft + static_cast<i32>(static_cast<i64>(done) * kBarWidth / total);
    if (right <= g_right) return;
    for (i32 y = kBarTop + 1; y < kBarBottom; ++y) LcdDrawLine(g_right, y, right, y);
    g_right = right;
    if (right - g_shown < kRefreshStep && done < total) return;
    g_shown = right;
  }
  LcdShowBusyIndicator();
  ShellUpdateDisplay();
}

void BrowseCloseProgress() {
  if (!g_open) return;
  g_open = false;
  PopupCloseKind5();
}
