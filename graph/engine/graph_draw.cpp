#include "graph/engine/graph_draw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graph/engine/graph_context.h"
#include "graph/screen_save.h"
#include "memory/item_array.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

i32 g_dash = 0;

void Block2(i32 x, i32 y, u8 *buf, u8 flags) {
  GraphPlotPixel(x, y, buf, kGraphOpSet0, flags);
  GraphPlotPixel(x - 1, y, buf, kGraphOpSet0, flags);
  GraphPlotPixel(x, y - 1, buf, kGraphOpSet0, flags);
  GraphPlotPixel(x - 1, y - 1, buf, kGraphOpSet0, flags);
}

// The 3 x 3 dots around (x, y) that pass the test.
template <typename Keep>
void Block3(i32 x, i32 y, u8 *buf, u8 flags, Keep keep) {
  for (i32 dy = -1; dy <= 1; ++dy) {
    for (i32 dx = -1; dx <= 1; ++dx) {
      if (keep(dx, dy)) GraphPlotPixel(x + dx, y + dy, buf, kGraphOpSet0, flags);
    }
  }
}

// The dots of a line after its first one: the major axis steps one dot at a
// time, the minor one whenever the running error goes negative.
template <typename Dot>
void StepLine(i32 x1, i32 y1, i32 x2, i32 y2, Dot dot) {
  const i32 dx = std::abs(x2 - x1);
  const i32 dy = std::abs(y2 - y1);
  const i32 sx = x2 >= x1 ? 1 : -1;
  const i32 sy = y2 >= y1 ? 1 : -1;
  const bool xMajor = dy <= dx;
  const i32 major = xMajor ? dx : dy;
  const i32 minor = xMajor ? dy : dx;
  i32 x = x1;
  i32 y = y1;
  i32 error = major;
  for (i32 i = 0; i < major; ++i) {
    error -= 2 * minor;
    if (error < 0) {
      if (xMajor) y += sy; else x += sx;
      error += 2 * major;
    }
    if (xMajor) x += sx; else y += sy;
    dot(x, y);
  }
}

// GraphPlotPixel's dot into plane 0 or 1 (op without its clearing bit),
// for drawing into the planes alone: the same clipping, no display.
inline void PlaneDot(i32 x, i32 y, u8 *buf, u8 op, u8 flags) {
  if (y < 1 || y > kGraphLastRow || x < 1 || x > ((flags & kGraphRunHalf) ? 63 : kGraphLastColumn)) return;
  if (flags & kGraphRunStrip) {
    if ((flags & kGraphRunStripRight) ? x < 117 : x > 11) return;
  }
  if ((flags & (kGraphRunHalf | kGraphRunRightHalf)) == (kGraphRunHalf | kGraphRunRightHalf)) x += 64;
  buf[((op & 0x40) ? kGraphPlaneBytes : 0) + static_cast<u32>(x / 8 + 16 * y)] |= static_cast<u8>(0x80 >> (x % 8));
}

// PlaneDot for the dots xa..xb (xa <= xb) of row y at once: the same
// clipping, the run set a byte at a time.
void PlaneRow(i32 xa, i32 xb, i32 y, u8 *buf, u8 flags) {
  if (y < 1 || y > kGraphLastRow) return;
  xa = std::max(xa, 1);
  xb = std::min(xb, (flags & kGraphRunHalf) ? 63 : kGraphLastColumn);
  if (flags & kGraphRunStrip) {
    if (flags & kGraphRunStripRight) xa = std::max(xa, 117);
    else xb = std::min(xb, 11);
  }
  if (xa > xb) return;
  if ((flags & (kGraphRunHalf | kGraphRunRightHalf)) == (kGraphRunHalf | kGraphRunRightHalf)) xa += 64, xb += 64;
  u8 *row = buf + 16 * y;
  const i32 first = xa / 8, last = xb / 8;
  const u8 head = static_cast<u8>(0xFF >> (xa % 8)), tail = static_cast<u8>(0xFF << (7 - xb % 8));
  if (first == last) {
    row[first] |= static_cast<u8>(head & tail);
    return;
  }
  row[first] |= head;
  for (i32 b = first + 1; b < last; ++b) row[b] = 0xFF;
  row[last] |= tail;
}

}  // namespace

i32 GraphDashCounter() { return g_dash; }
void GraphSetDashCounter(i32 n) { g_dash = n; }

void GraphPlotPixel(i32 x, i32 y, u8 *buf, u8 op, u8 flags) {
  if (y < 1 || y > kGraphLastRow || x < 1 || x > ((flags & kGraphRunHalf) ? 63 : kGraphLastColumn)) return;
  if (flags & kGraphRunStrip) {
    if ((flags & kGraphRunStripRight) ? x < 117 : x > 11) return;
  }
  if ((flags & (kGraphRunHalf | kGraphRunRightHalf)) == (kGraphRunHalf | kGraphRunRightHalf)) x += 64;
  const u32 index = static_cast<u32>(x / 8 + 16 * y);
  const u8 mask = static_cast<u8>(0x80 >> (x % 8));
  u8 *p0 = buf + index;
  u8 *p1 = buf + kGraphPlaneBytes + index;
  if (op & 0x80) {
    if (op & 0x20) *p0 &= static_cast<u8>(~mask);
    if (op & 0x40) *p1 &= static_cast<u8>(~mask);
  } else if (op & 0x40) {
    *p1 |= mask;
  } else {
    *p0 |= mask;
  }
  if (!(flags & kGraphRunPlanesOnly)) {
    // The dot in display memory, and its byte on the shown screen at once.
    LcdSetPixel(x, y, ((*p0 | *p1) & mask) != 0);
    ShellSetLcdByte(x >> 3, y, LcdVramAddress()[16 * y + (x >> 3)]);
  }
}

i32 GraphStyledDot(i32 x, i32 y, u8 *buf, u8 style, u8 flags) {
  switch (style) {
    case 1:
    case 2: GraphPlotPixel(x, y, buf, kGraphOpSet0, flags); break;
    case 3: Block2(x, y, buf, flags); break;
    case 4: Block3(x, y, buf, flags, [](i32, i32) { return true; }); break;
    case 5:
      if (g_dash % 3 == 0) Block2(x, y, buf, flags);
      break;
    case 6:
      if (g_dash & 1) Block3(x, y, buf, flags, [](i32 dx, i32 dy) { return dx != 0 || dy != 0; });
      break;
    case 7: Block3(x, y, buf, flags, [x, y](i32 dx, i32 dy) { return ((x + dx + y + dy) & 1) != 0; }); break;
    case 8:
      if (!(g_dash & 1)) GraphPlotPixel(x, y, buf, kGraphOpSet0, flags);
      break;
    case 9:
      if (y & 1) GraphPlotPixel(x, y, buf, kGraphOpSet0, flags);
      break;
    case 10:
      if (x & 1) GraphPlotPixel(x, y, buf, kGraphOpSet0, flags);
      break;
    case 11:
      GraphPlotPixel(x, y, buf, kGraphOpSet0, flags);
      if (!(g_dash & 1)) GraphPlotPixel(x, y, buf, kGraphOpSet1, flags);
      break;
    case kGraphStyleShade:
      if ((x + y) & 1) GraphPlotPixel(x, y, buf, kGraphOpSet1, flags);
      break;
    default: GraphPlotPixel(x, y, buf, static_cast<u8>(style & 0xE0), flags); break;
  }
  return ++g_dash;
}

void GraphDrawLine(i32 x1, i32 y1, i32 x2, i32 y2, u8 *buf, u8 style, u8 flags) {
  GraphStyledDot(x1, y1, buf, style, flags);
  GraphLineRest(x1, y1, x2, y2, buf, style, flags);
}

void GraphLineRest(i32 x1, i32 y1, i32 x2, i32 y2, u8 *buf, u8 style, u8 flags) {
  if (style == kGraphStylePlot) return;
  if (style == kGraphStyleNormal && (flags & kGraphRunPlanesOnly)) {
    // Plain dots into plane 0, counted as GraphStyledDot counts them. A
    // level line lights a run of one row.
    if (y1 == y2) {
      if (x1 != x2) PlaneRow(x2 > x1 ? x1 + 1 : x2, x2 > x1 ? x2 : x1 - 1, y1, buf, flags);
      g_dash += std::abs(x2 - x1);
      return;
    }
    i32 dots = 0;
    StepLine(x1, y1, x2, y2, [&](i32 x, i32 y) {
      PlaneDot(x, y, buf, kGraphOpSet0, flags);
      ++dots;
    });
    g_dash += dots;
    return;
  }
  StepLine(x1, y1, x2, y2, [&](i32 x, i32 y) { GraphStyledDot(x, y, buf, style, flags); });
}

void GraphDrawMark(i32 x, i32 y, u8 markType, u8 *buf, u8 op, u8 flags) {
  static const u8 kRows[2][3] = {{0x7, 0x5, 0x7}, {0x5, 0x2, 0x5}};
  if (markType == 0) {
    GraphPlotPixel(x, y, buf, op, flags);
    return;
  }
  if (markType > 2) return;
  if ((flags & (kGraphRunPlanesOnly | kGraphRunStrip | kGraphRunHalf)) == kGraphRunPlanesOnly && !(op & 0x80) &&
      x >= 2 && x <= kGraphLastColumn - 1 && y >= 2 && y <= kGraphLastRow - 1) {
    // All nine dots on the screen: each row of the mark ORed in at once.
    u8 *plane = buf + ((op & 0x40) ? kGraphPlaneBytes : 0);
    const i32 shift = 13 - ((x - 1) & 7);
    const i32 byte = (x - 1) >> 3;
    for (i32 r = 0; r < 3; ++r) {
      const u32 bits = static_cast<u32>(kRows[markType - 1][r]) << shift;
      u8 *p = plane + 16 * (y - 1 + r) + byte;
      p[0] |= static_cast<u8>(bits >> 8);
      if (bits & 0xFF) p[1] |= static_cast<u8>(bits);
    }
    return;
  }
  for (i32 r = 0; r < 3; ++r) {
    const i32 py = y - 1 + r;
    if (py < 0 || py > kGraphLastRow) continue;
    for (i32 c = 0; c < 3; ++c) {
      const i32 px = x - 1 + c;
      if (px < 0 || px > kGraphLastColumn) continue;
      if (kRows[markType - 1][r] & (4 >> c)) GraphPlotPixel(px, py, buf, op, flags);
    }
  }
}

void GraphDrawBox(i32 x1, i32 y1, i32 x2, i32 y2, u8 *buf, u8 style, i8 filled, u8 flags) {
  if (filled) {
    for (i32 x = std::min(x1, x2); x <= std::max(x1, x2); ++x) GraphDrawLine(x, y1, x, y2, buf, style, flags);
    return;
  }
  GraphLineRest(x1, y1, x1, y2, buf, style, flags);
  GraphLineRest(x1, y2, x2, y2, buf, style, flags);
  GraphLineRest(x2, y2, x2, y1, buf, style, flags);
  GraphLineRest(x2, y1, x1, y1, buf, style, flags);
}

void GraphShowBuffer(const u8 *bitmap, u8 flags) {
  if (!(flags & kGraphRunHalf)) {
    // The whole screen replaced: display memory takes the bitmap and the
    // shown screen its inverted bytes under one lock, then one redraw, as
    // the bitmap written byte by byte would leave them.
    static_assert(kLcdShadowBytes == 16 * 64);
    u8 shown[kLcdShadowBytes];
    for (i32 i = 0; i < kLcdShadowBytes; ++i) shown[i] = static_cast<u8>(~bitmap[i]);
    std::memcpy(LcdVramAddress(), bitmap, kLcdShadowBytes);
    ShellWriteShadow(0, shown, kLcdShadowBytes);
    LcdRedraw();
    return;
  }
  const i32 x = (flags & kGraphRunRightHalf) ? 64 : 0;
  LcdWriteGraphicBoth(LcdGraphic{x, 0, 64, 64, bitmap, kLcdWriteSet, 1});
}

// ---- straight into display memory ----------------------------------------------

void GraphLcdLine(i32 x1, i32 y1, i32 x2, i32 y2) {
  LcdSetPixel(x1, y1, 1);
  StepLine(x1, y1, x2, y2, [](i32 x, i32 y) { LcdSetPixel(x, y, 1); });
}

void GraphLcdVRule(i32 x) { GraphLcdLine(x, 1, x, kGraphLastRow); }

void GraphLcdHRule(i32 y, i8 flags) {
  const u8 f = static_cast<u8>(flags);
  if (!(f & kGraphRunHalf)) {
    GraphLcdLine(1, y, kGraphLastColumn, y);
  } else if (f & kGraphRunRightHalf) {
    GraphLcdLine(65, y, kGraphLastColumn, y);
  } else {
    GraphLcdLine(1, y, 63, y);
  }
}

void GraphDrawFrame(i32 x1, i32 y1, i32 x2, i32 y2) {
  LcdShape shape{};
  shape.x1 = x1;
  shape.y1 = y1;
  shape.x2 = x2;
  shape.y2 = y2;
  shape.style = 2;
  shape.shape = kLcdShapeFrame;
  shape.colour = 1;
  shape.write_mode = 1;
  LcdDrawShapeVram(shape);
}

i32 GraphLcdTestPixel(i32 x, i32 y) {
  if (x < 0 || x > 127 || y < 0 || y > 63) return 0;
  return LcdTestPixel(x, y) ? 1 : 0;
}

// ---- small services ------------------------------------------------------------

void GraphSaveCursorState(u8 rec[9]) {
  const GraphCursor *c = GraphCursorState();
  std::memcpy(rec, &c->x, 4);
  std::memcpy(rec + 4, &c->y, 4);
  rec[8] = c->shown;
}

void GraphRestoreCursorState(const u8 rec[9]) {
  GraphCursor *c = GraphCursorState();
  std::memcpy(&c->x, rec, 4);
  std::memcpy(&c->y, rec + 4, 4);
  c->shown = rec[8];
}

void GraphSetCursor(i32 x, i32 y) {
  GraphCursor *c = GraphCursorState();
  c->x = x;
  c->y = y;
  c->shown = 1;
}

u32 GraphCursorShown() { return GraphCursorState()->shown; }

void GraphTraceBeginHook() {}
void GraphTraceEndHook() {}

u32 GraphStoreMatElement(u8 matrixNumber, i32 row, i32 col, const BcdReal *v) {
  u32 rows = 0;
  u32 cols = 0;
  if (ItemMatDims(matrixNumber, &rows, &cols) != 0) return 4;
  if (row < 1 || col < 1 || static_cast<u32>(row) > rows || static_cast<u32>(col) > cols) return 4;
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = *v;
  return ItemMatSet(matrixNumber, static_cast<u32>(row), static_cast<u32>(col), &value) == 0 ? 0 : 4;
}

i32 GraphConfirmDeleteTable() {
  constexpr i32 kKind = 4;
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(kKind);
  PopupDrawWindow(kKind);
  static const i32 kLines[4][2] = {{308, 2}, {309, 3}, {2, 4}, {3, 5}};
  for (const auto &line : kLines) {
    char text[64];
    TextLocate(3, line[1]);
    if (MsgText(line[0], text)) TextPrint(text);
  }
  const u32 key = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit});
  PopupClose(kKind);
  PopupRestoreCursor(saved);
  return key == kKeyF1 ? 0 : -2;
}
