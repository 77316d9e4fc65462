// The progress bar of long operations (the storage format): a notice and a
// frame on a cleared screen, then a bar that grows to done / total of it.
#include "graph/progress_bar.h"

#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/text.h"

namespace {

GraphProgressState g_state = {0, 0, 0};

constexpr i32 kBarLeft = 18;
constexpr i32 kBarTop = 31;
constexpr i32 kBarRight = 107;
constexpr i32 kBarBottom = 41;
constexpr i32 kBarWidth = 88;   // dots the bar grows over

}  // namespace

void GraphProgressBar(int done, int total) {
  ++g_state.calls;
  g_state.done = done;
  g_state.total = total;
  if (done == 0) {
    LcdClearVram();
    const i32 ids[3] = {507, 508, 509};
    for (i32 i = 0; i < 3; ++i) {
      char line[64];
      if (!MsgText(ids[i], line)) continue;
      TextLocate(1, 2 + i);
      TextPrint(line);
    }
    LcdShape frame = {kBarLeft, kBarTop, kBarRight, kBarBottom, 0, kLcdShapeFrame, 1, kLcdWriteSet, 0, 0};
    LcdDrawShapeVram(frame);
    return;
  }
  // A total of 0 or less has no bar, and the bar never grows past its frame.
  if (total <= 0 || done < 0) return;
  if (done > total) done = total;
  i32 right = kBarLeft + static_cast<i32>(static_cast<i64>(done) * kBarWidth / total);
  for (i32 y = kBarTop + 1; y < kBarBottom; ++y) LcdDrawLine(kBarLeft, y, right, y);
}

const GraphProgressState *GraphProgressBarState() { return &g_state; }

void GraphProgressBarResetState() { g_state = {0, 0, 0}; }
