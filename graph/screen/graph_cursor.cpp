// The graph cursor, the cursor loops' key cycle and the read-out lines.
#include "graph/screen/graph_cursor.h"

#include <cstring>

#include "graph/screen/graph_screen.h"
#include "number/numtext.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

constexpr u8 kImage[2][7] = {{0x1C, 0x14, 0x77, 0x41, 0x77, 0x14, 0x1C}, {0, 0, 0x1C, 0x1C, 0x1C, 0, 0}};
constexpr u8 kMask[2][7] = {{0x63, 0x63, 0, 0, 0, 0x63, 0x63}, {0x7F, 0x41, 0x41, 0x41, 0x41, 0x41, 0x7F}};

bool OnScreen(i32 x, i32 y) { return x >= 0 && x < 128 && y >= 0 && y < 64; }

void PutRows(i32 cx, i32 cy, const u8 *rows) {
  for (i32 r = 0; r < 7; ++r)
    for (i32 c = 0; c < 7; ++c) {
      const i32 x = cx - 3 + c, y = cy - 3 + r;
      if (OnScreen(x, y)) LcdSetPixel(x, y, (rows[r] >> (6 - c)) & 1);
    }
}

}  // namespace

void GraphDrawCursor(GraphPointer *c, u8 shape) {
  c->drawn = false;
  if (c->hidden) return;
  u8 now[7];
  for (i32 r = 0; r < 7; ++r) {
    c->saved[r] = 0;
    for (i32 k = 0; k < 7; ++k) {
      const i32 x = c->col - 3 + k, y = c->row - 3 + r;
      if (OnScreen(x, y) && LcdGetPixel(x, y)) c->saved[r] |= static_cast<u8>(0x40 >> k);
    }
    now[r] = static_cast<u8>((c->saved[r] & kMask[shape][r]) | kImage[shape][r]);
  }
  PutRows(c->col, c->row, now);
  c->drawn = true;
}

void GraphEraseCursor(GraphPointer *c) {
  if (!c->drawn) return;
  PutRows(c->col, c->row, c->saved);
  c->drawn = false;
}

void GraphDrawFixedMark(i32 x, i32 y, i32 flag) {
  static constexpr u8 kDiamond[7] = {0, 0x08, 0x1C, 0x3E, 0x1C, 0x08, 0};
  static constexpr u8 kPlus[7] = {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08};
  static constexpr u8 kPlusClear[7] = {0x14, 0x14, 0x77, 0, 0x77, 0x14, 0x14};
  for (i32 r = 0; r < 7; ++r)
    for (i32 c = 0; c < 7; ++c) {
      const i32 px = x - 3 + c, py = y - 3 + r;
      if (!OnScreen(px, py)) continue;
      const u8 bit = static_cast<u8>(0x40 >> c);
      if (flag == 0) {
        if (kDiamond[r] & bit) LcdSetPixel(px, py, 1);
      } else {
        if (kPlusClear[r] & bit) LcdSetPixel(px, py, 0);
        if (kPlus[r] & bit) LcdSetPixel(px, py, 1);
      }
    }
}

namespace {
// A sub-menu closed during a cursor loop's key wait: the strip under it
// comes back.
void RestoreStrip(void *strip) { std::memcpy(LcdVramAddress() + 56 * 16, strip, 128); }
}  // namespace

u32 GraphCursorKey(GraphPointer *c, u8 shape, u32 *typed) {
  u8 strip[128];
  std::memcpy(strip, LcdVramAddress() + 56 * 16, sizeof strip);
  GraphRedrawFkeys();
  GraphDrawCursor(c, shape);
  u32 key = 0;
  const KeyRootRow outer = KeySetRootRowHook({RestoreStrip, strip});
  const u32 isChar = KeyGetKey(&key);
  KeySetRootRowHook(outer);
  GraphEraseCursor(c);
  std::memcpy(LcdVramAddress() + 56 * 16, strip, sizeof strip);
  *typed = 0;
  if (isChar) {
    *typed = key == 0 ? 0x20 : key;
    return kKeyXThetaT;
  }
  return key;
}

void GraphCellText(const BcdReal *v, bool shortCell, char *out) {
  if (RealErrorCode(v) != 0) {
    std::strcpy(out, "ERROR");
    return;
  }
  Value val{};
  val.re = *v;
  char cell[kNumTextSize];
  if (shortCell) NumFormatCell6(&val, cell);
  else NumFormatCell13(&val, cell);
  const char *p = cell;
  while (*p == ' ') ++p;
  std::strcpy(out, p);
}

void GraphShowField(i32 col, i32 row, const char *text, i32 width) {
  const i32 x = 4 * col - 4, y = 8 * row - 6;
  LcdClearArea(LcdRect{x, y - 1, x + 4 * width - 1, y + 5});
  TextPrintMiniN(x, y, text, width, 32);
}

void GraphShowValue(i32 col, i32 row, const char *label, const BcdReal *v, bool shortCell, i32 width) {
  char text[64];
  std::strcpy(text, label);
  GraphCellText(v, shortCell, text + std::strlen(text));
  GraphShowField(col, row, text, width);
}

void GraphShowTwoValues(const BcdReal *x, const BcdReal *y) {
  GraphShowValue(1, 8, "X=", x, false);
  GraphShowValue(17, 8, "Y=", y, false);
}

void GraphClearReadout() { LcdClearArea(LcdRect{0, 49, 127, 63}); }

void GraphStoreVar(u8 code, const BcdReal *v) {
  Value val{};
  val.re = *v;
  SysStoreVariable(code, &val);
}
