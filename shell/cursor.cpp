#include "shell/cursor.h"

#include "kernel/keyqueue.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"

namespace {

// Rows of six dots, bit 5 leftmost.
const u8 kBlock[7] = {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F};
// Insert mode: a bar (only its first two columns are drawn) or a small
// mark of the modifier beside it.
const u8 kShift[7] = {0x30, 0x34, 0x3E, 0x3F, 0x34, 0x34, 0x30};  // arrow up
const u8 kClip[7] = {0x30, 0x37, 0x34, 0x34, 0x34, 0x37, 0x30};   // C
const u8 kAlpha[7] = {0x32, 0x35, 0x35, 0x37, 0x35, 0x35, 0x30};  // A
const u8 kLower[7] = {0x30, 0x30, 0x33, 0x35, 0x35, 0x33, 0x30};  // a
// Overwrite mode: a block with the modifier's mark cut out.
const u8 kShiftOver[7] = {0x3F, 0x3B, 0x31, 0x20, 0x3B, 0x3B, 0x3F};
const u8 kClipOver[7] = {0x3F, 0x31, 0x37, 0x37, 0x37, 0x31, 0x3F};
const u8 kAlphaOver[7] = {0x3B, 0x35, 0x35, 0x31, 0x35, 0x35, 0x3F};
const u8 kLowerOver[7] = {0x3F, 0x3F, 0x33, 0x35, 0x35, 0x33, 0x3F};
// A cross for the free-standing cursor type.
const u8 kCross[7] = {0x04, 0x04, 0x04, 0x3F, 0x04, 0x04, 0x04};

bool InScreen(i32 x, i32 y) { return x >= 0 && x < 128 && y >= 0 && y < 64; }

}  // namespace

const u8 *ShellCursorGlyph(i32 type) {
  switch (type) {
    case 0: return kBlock;
    case 1: return kShift;
    case 2: return kClip;
    case 4: return kAlpha;
    case 8: return kLower;
    case 16: return kBlock;
    case 17: return kShiftOver;
    case 18: return kClipOver;
    case 20: return kAlphaOver;
    case 24: return kLowerOver;
    case 64: return kCross;
    default: return kBlock;
  }
}

void ShellDrawCursorCell(i32 x, i32 y, i32 type, bool on) {
  u8 shadow[kLcdShadowBytes];
  u8 handed[kLcdShadowBytes];
  ShellCopyShadow(shadow);
  ShellCopyHandedFrame(handed);
  const u8 *glyph = ShellCursorGlyph(type);
  const i32 width = type == 0 ? 2 : 6;
  for (i32 dy = 0; dy < 7; ++dy) {
    const i32 py = y + dy;
    i32 first = -1, last = -1;
    for (i32 dx = 0; dx < width; ++dx) {
      const i32 px = x + dx;
      if (!InScreen(px, py)) continue;
      const i32 at = 16 * py + px / 8;
      const u8 mask = static_cast<u8>(0x80 >> (px % 8));
      const bool black = on ? ((glyph[dy] >> (5 - dx)) & 1) != 0 : (handed[at] & mask) != 0;
      // The shadow holds inverted dots: a set bit is a clear dot.
      shadow[at] = static_cast<u8>(black ? shadow[at] & ~mask : shadow[at] | mask);
      if (first < 0) first = at;
      last = at;
    }
    if (first >= 0) ShellWriteShadow(first, shadow + first, last - first + 1);
  }
}

void ShellDrawCursorDot(i32 x, i32 y, bool on) {
  if (!InScreen(x, y)) return;
  u8 shadow[kLcdShadowBytes];
  u8 handed[kLcdShadowBytes];
  ShellCopyShadow(shadow);
  ShellCopyHandedFrame(handed);
  const i32 at = 16 * y + x / 8;
  const u8 mask = static_cast<u8>(0x80 >> (x % 8));
  const bool black = on || (handed[at] & mask) != 0;
  u8 b = static_cast<u8>(black ? shadow[at] & ~mask : shadow[at] | mask);
  ShellWriteShadow(at, &b, 1);
}

bool ShellBlinkTick(ShellBlinkState *s) {
  bool changed = false;
  i32 c[4] = {};
  const bool flash = LcdGetCursor(c) != 0;
  const bool graph_shown = ShellGetGraphCursorWord() != 0;
  // Text cursor: the phase turning on remembers the cell, turning off
  // restores the remembered one.
  if (flash && !graph_shown) {
    s->text_phase = !s->text_phase;
    if (s->text_phase) {
      s->text_x = 6 * c[0];
      s->text_y = 8 * c[1];
    }
    ShellDrawCursorCell(s->text_x, s->text_y, c[2], s->text_phase);
    changed = true;
  } else {
    s->text_phase = false;
  }
  if (flash && graph_shown) {
    s->graph_phase = !s->graph_phase;
    if (s->graph_phase) ShellGetGraphCursorPos(&s->graph_x, &s->graph_y);
    ShellDrawCursorCell(s->graph_x, s->graph_y, c[2], s->graph_phase);
    changed = true;
  } else {
    s->graph_phase = false;
  }
  i32 ax = 0, ay = 0;
  if (HostGetAuxCursor(&ax, &ay) != 0) {
    s->aux_phase = !s->aux_phase;
    if (s->aux_phase) {
      s->aux_x = ax;
      s->aux_y = ay;
    }
    ShellDrawCursorDot(s->aux_x, s->aux_y, s->aux_phase);
    changed = true;
  }
  return changed;
}
