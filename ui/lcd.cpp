#include "ui/lcd.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ui/font.h"
#include "ui/lcd_shadow.h"

namespace {

std::array<u8, kLcdVramBytes> g_vram{};

// Screen-save slots 1, 2, 3, 7 and 8.
std::array<std::array<u8, kLcdVramBytes>, 5> g_slots{};

// The driver cursor; the window's blink timer reads it from its own thread.
std::atomic<u8> g_cursor_col{0};
std::atomic<u8> g_cursor_row{0};
std::atomic<u16> g_cursor_type{0};
std::atomic<u8> g_cursor_flash{0};

bool OnScreen(i32 x, i32 y) { return x >= 0 && x < kLcdWidth && y >= 0 && y < kLcdHeight; }

// ---- byte access by target -----------------------------------------------------

u8 ReadByte(LcdTarget target, i32 col, i32 y) {
  if (target == kLcdToScreen) return ShellGetLcdByte(col, y);
  return g_vram[16 * y + col];
}

// Writes a byte to the target; for both, display memory takes it and the
// shown screen gets display memory's result.
void WriteByte(LcdTarget target, i32 col, i32 y, u8 b) {
  if (target != kLcdToScreen) g_vram[16 * y + col] = b;
  if (target != kLcdToVram) ShellSetLcdByte(col, y, b);
}

// Combines src into the bits of mask of one byte under a write mode.
u8 Combine(u8 dst, u8 src, u8 mask, u8 mode) {
  switch (mode) {
    case kLcdWriteOr: return static_cast<u8>(dst | (src & mask));
    case kLcdWriteAnd: return static_cast<u8>(dst & (src | ~mask));
    case kLcdWriteXor: return static_cast<u8>(dst ^ (src & mask));
    default: return static_cast<u8>((dst & ~mask) | (src & mask));
  }
}

void MergeByte(LcdTarget target, i32 col, i32 y, u8 src, u8 mask, u8 mode) {
  if (col < 0 || col >= 16 || y < 0 || y >= kLcdHeight || mask == 0) return;
  u8 dst = ReadByte(target, col, y);
  u8 out = Combine(dst, src, mask, mode);
  if (target == kLcdToBoth || out != dst) WriteByte(target, col, y, out);
}

// One dot of a shape under its colour and write mode.
void PlotShapeDot(LcdTarget target, i32 x, i32 y, u8 colour, u8 mode) {
  if (!OnScreen(x, y)) return;
  bool black = colour != 2;
  if (colour == 3 && ((x + y) & 1)) return;
  u8 m = LcdPixelMask(x);
  u8 src = black ? m : 0;
  if (mode == kLcdWriteOr && !black) return;
  if (mode == kLcdWriteAnd && black) return;
  if (mode == kLcdWriteXor && !black) return;
  MergeByte(target, x >> 3, y, src, m, mode);
}

// Whether the n-th dot (from 1) of a dashed line is drawn.
bool DashOn(const LcdShape &s, i32 n) {
  i32 a = std::max<i32>(s.dash_a, 1);
  i32 b = std::max<i32>(s.dash_b, 1);
  i32 i = n - 1;
  if (s.shape == kLcdShapeDash) return i % (a + b) < a;
  if (s.shape == kLcdShapeDashDot) {
    i32 k = i % (a + b + 1 + b);
    return k < a || k == a + b;
  }
  return true;
}

void PlotLineDot(LcdTarget target, const LcdShape &s, i32 x, i32 y, i32 n) {
  if (DashOn(s, n)) PlotShapeDot(target, x, y, s.colour, s.write_mode);
}

// Coordinates beyond this reach are brought in before a line is walked, so
// the walk stays short and its arithmetic cannot overflow.
constexpr i64 kLineReach = 32767;

// Cuts the segment to the square of kLineReach around the origin (keeping
// its direction); false when it misses the square.
bool ClipToReach(i64 *x1, i64 *y1, i64 *x2, i64 *y2) {
  double t0 = 0, t1 = 1;
  double dx = static_cast<double>(*x2 - *x1), dy = static_cast<double>(*y2 - *y1);
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {static_cast<double>(*x1 + kLineReach), static_cast<double>(kLineReach - *x1),
                       static_cast<double>(*y1 + kLineReach), static_cast<double>(kLineReach - *y1)};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  i64 ax = *x1, ay = *y1;
  *x1 = ax + static_cast<i64>(std::llround(t0 * dx));
  *y1 = ay + static_cast<i64>(std::llround(t0 * dy));
  *x2 = ax + static_cast<i64>(std::llround(t1 * dx));
  *y2 = ay + static_cast<i64>(std::llround(t1 * dy));
  return true;
}

// Bresenham line from (x1, y1) to (x2, y2); the dot counter drives the dashes.
void DrawLineDots(LcdTarget target, const LcdShape &s, i32 ix1, i32 iy1, i32 ix2, i32 iy2) {
  i64 x1 = ix1, y1 = iy1, x2 = ix2, y2 = iy2;
  bool far = std::max({std::llabs(x1), std::llabs(y1), std::llabs(x2), std::llabs(y2)}) > kLineReach;
  if (far && !ClipToReach(&x1, &y1, &x2, &y2)) return;
  i64 dx = std::llabs(x2 - x1), dy = std::llabs(y2 - y1);
  i64 sx = x2 > x1 ? 1 : (x2 < x1 ? -1 : 0);
  i64 sy = y2 > y1 ? 1 : (y2 < y1 ? -1 : 0);
  bool steep = dy > dx;
  if (steep) std::swap(dx, dy);
  i64 e = 2 * dy - dx;
  i64 x = x1, y = y1;
  i32 n = 0;
  for (i64 i = 1; i <= dx; ++i) {
    PlotLineDot(target, s, static_cast<i32>(x), static_cast<i32>(y), ++n);
    while (e >= 0 && dx > 0) {
      if (steep) x += sx; else y += sy;
      e -= 2 * dx;
    }
    if (steep) y += sy; else x += sx;
    e += 2 * dy;
  }
  PlotLineDot(target, s, static_cast<i32>(x2), static_cast<i32>(y2), ++n);
}

void DrawCircle(LcdTarget target, const LcdShape &s) {
  i32 cx = s.x1, cy = s.y1, r = s.x2;
  // A radius beyond the line reach would take long to walk for an arc that
  // could only graze the screen; such circles are not drawn.
  if (r < 0 || r > kLineReach) return;
  // A centre too far off for the circle to reach the screen draws nothing.
  if (i64{cx} + r < 0 || i64{cx} - r >= kLcdWidth || i64{cy} + r < 0 || i64{cy} - r >= kLcdHeight) return;
  i32 x = 0, y = r, d = 2 * (1 - r);
  while (y >= 0) {
    // Each distinct dot once, so XOR circles keep their top, bottom and sides.
    PlotShapeDot(target, cx + x, cy - y, s.colour, s.write_mode);
    if (y != 0) PlotShapeDot(target, cx + x, cy + y, s.colour, s.write_mode);
    if (x != 0) {
      if (y != 0) PlotShapeDot(target, cx - x, cy + y, s.colour, s.write_mode);
      PlotShapeDot(target, cx - x, cy - y, s.colour, s.write_mode);
    }
    auto diagonal = [&] {
      ++x;
      --y;
      d += 2 * x - 2 * y + 2;
    };
    if (d < 0) {
      if (2 * (d + y) - 1 > 0) {
        diagonal();
      } else {
        ++x;
        d += 2 * x + 1;
      }
    } else if (d > 0) {
      if (2 * (d - x) - 1 > 0) {
        --y;
        d += -2 * y + 1;
      } else {
        diagonal();
      }
    } else {
      diagonal();
    }
  }
}

// Normalised rectangle; false when it leaves the screen.
bool InsideRect(const LcdRect &r, i32 *x1, i32 *y1, i32 *x2, i32 *y2) {
  *x1 = std::min(r.x1, r.x2);
  *x2 = std::max(r.x1, r.x2);
  *y1 = std::min(r.y1, r.y2);
  *y2 = std::max(r.y1, r.y2);
  return *x1 >= 0 && *y1 >= 0 && *x2 < kLcdWidth && *y2 < kLcdHeight;
}

// Mask of the dots x1..x2 that fall in byte column col.
u8 SpanMask(i32 col, i32 x1, i32 x2) {
  i32 lo = std::max(x1, col * 8) - col * 8, hi = std::min(x2, col * 8 + 7) - col * 8;
  if (lo > hi) return 0;
  return static_cast<u8>((0xFF >> lo) & (0xFF << (7 - hi)));
}

i32 ReadArea(LcdTarget target, const LcdRect &rect, u8 *out) {
  i32 x1, y1, x2, y2;
  if (!out || !InsideRect(rect, &x1, &y1, &x2, &y2)) return 0;
  i32 width = x2 - x1 + 1;
  i32 row_bytes = (width + 7) / 8;
  for (i32 y = y1; y <= y2; ++y) {
    u8 *row = out + (y - y1) * row_bytes;
    std::memset(row, 0, static_cast<size_t>(row_bytes));
    for (i32 i = 0; i < width; ++i) {
      i32 x = x1 + i;
      if (ReadByte(target, x >> 3, y) & LcdPixelMask(x)) row[i >> 3] |= static_cast<u8>(0x80 >> (i & 7));
    }
  }
  return 1;
}

// ---- text -----------------------------------------------------------------------

// Draws one glyph row of 6 dots (bits 7..2 of bits) at (x, y) into display
// memory under the text flags; dots off the screen are dropped. The six dots
// are placed in a 16-dot window from byte column x >> 3.
void PutGlyphRow(i32 x, i32 y, u8 bits, u32 flags) {
  if (y < 0 || y >= kLcdHeight || x >= kLcdWidth || x <= -6) return;
  i32 col = x >> 3;
  i32 shift = x & 7;
  u16 src = static_cast<u16>(static_cast<u16>(bits & 0xFC) << 8) >> shift;
  u16 mask = static_cast<u16>(0xFC00) >> shift;
  u8 *row = g_vram.data() + 16 * y;
  for (i32 k = 0; k < 2; ++k) {
    i32 c = col + k;
    u8 s = static_cast<u8>(k == 0 ? src >> 8 : src & 0xFF);
    u8 m = static_cast<u8>(k == 0 ? mask >> 8 : mask & 0xFF);
    if (c < 0 || c >= 16 || !m) continue;
    u8 &dst = row[c];
    if (flags & kLcdTextXor) dst = static_cast<u8>(dst ^ s);
    else if (flags & kLcdTextOr) dst = static_cast<u8>(dst | s);
    else dst = static_cast<u8>((dst & ~m) | s);
  }
}

// The shared 6 x 8 text writer; returns the final x.
i32 DrawText(i32 x0, i32 y0, const char *text, u32 flags, bool cursor_form) {
  if (!text) return x0;
  const char *p = text;
  i64 x = x0, y = y0;  // wide, so layout codes cannot overflow
  // Drawing stops once x reaches the right edge or y the bottom.
  while (x < kLcdWidth && y < kLcdHeight) {
    int len = 0;
    u16 code = FontReadChar(p, &len);
    if (len == 0) break;
    p += len;
    if (code == kLcdCodeBack) {
      x -= 6;
      continue;
    }
    if (code == kLcdCodeAdvance) {
      x += 6;
      continue;
    }
    if (code == kLcdCodeNewLine) {
      y += 8;
      if (cursor_form) {
        u8 row = g_cursor_row.load(std::memory_order_relaxed);
        if (row + 1 < kLcdRows) g_cursor_row.store(static_cast<u8>(row + 1), std::memory_order_relaxed);
      }
      continue;
    }
    if (code == kLcdCodeLineStart) {
      x = 0;
      continue;
    }
    const u8 *rows = LcdGetGlyph(code);
    if (!rows) rows = kFontFallbackRows;
    if (y > -8 && x > -6) {
      i32 cx = static_cast<i32>(x), cy = static_cast<i32>(y);
      for (i32 r = 0; r < 8; ++r) {
        u8 bits = rows[r];
        if (flags & kLcdTextReverse) bits = static_cast<u8>(~bits & 0xFC);
        PutGlyphRow(cx, cy + r, static_cast<u8>(bits & 0xFC), flags);
        if (cursor_form && cx == 120 && cy + r >= 0 && cy + r < kLcdHeight) g_vram[16 * (cy + r) + 15] &= 0xFC;
      }
    }
    x += 6;
  }
  return static_cast<i32>(std::clamp<i64>(x, INT32_MIN, INT32_MAX));
}

// ---- small font -----------------------------------------------------------------

void PutMiniRow(i32 x, i32 y, i32 width, u8 bits, u32 mode) {
  if (y < 0 || y >= kLcdHeight) return;
  for (i32 i = 0; i < width; ++i) {
    i32 px = x + i;
    if (px < 0 || px >= kLcdWidth) continue;
    bool on = (bits & (0x80 >> i)) != 0;
    u8 m = LcdPixelMask(px);
    u8 &dst = g_vram[16 * y + (px >> 3)];
    if (mode & kLcdMiniOr) {
      if (on) dst = static_cast<u8>(dst | m);
    } else if (mode & kLcdMiniXor) {
      if (on) dst = static_cast<u8>(dst ^ m);
    } else {
      dst = on ? static_cast<u8>(dst | m) : static_cast<u8>(dst & ~m);
    }
  }
}

}  // namespace

// ---- display memory and screen ------------------------------------------------------

u8 *LcdVramAddress() { return g_vram.data(); }

void LcdClearVram() { g_vram.fill(0); }

void LcdCopyVram(u8 *out) {
  if (out) std::memcpy(out, g_vram.data(), kLcdVramBytes);
}

void LcdFlushAndClear() {
  ShellBlankLcd();
  LcdClearVram();
}

void LcdRedraw() { ShellRedrawLcd(0); }

// ---- dots ------------------------------------------------------------------------

u8 LcdPixelMask(i32 x) { return static_cast<u8>(0x80 >> (x & 7)); }

i32 LcdGetPixel(i32 x, i32 y) {
  if (!OnScreen(x, y)) return 0;
  return (g_vram[16 * y + (x >> 3)] & LcdPixelMask(x)) ? 1 : 0;
}

i32 LcdTestPixel(i32 x, i32 y) { return LcdGetPixel(x, y); }

void LcdSetPixel(i32 x, i32 y, i32 on) {
  if (!OnScreen(x, y)) return;
  u8 &b = g_vram[16 * y + (x >> 3)];
  b = on ? static_cast<u8>(b | LcdPixelMask(x)) : static_cast<u8>(b & ~LcdPixelMask(x));
}

void LcdSetPixelBoth(i32 x, i32 y, i32 on) {
  LcdSetPixel(x, y, on);
  LcdShape dot{x, y, x, y, 2, kLcdShapePoint, static_cast<u8>(on ? 1 : 2), kLcdWriteSet, 0, 0};
  LcdDrawShapeScreen(dot);
}

// ---- lines, shapes and areas ----------------------------------------------------

void LcdDrawLine(i32 x1, i32 y1, i32 x2, i32 y2) {
  LcdShape s{x1, y1, x2, y2, 2, kLcdShapeLine, 1, kLcdWriteSet, 0, 0};
  LcdDrawShapeVram(s);
}

void LcdClearLine(i32 x1, i32 y1, i32 x2, i32 y2) {
  LcdShape s{x1, y1, x2, y2, 2, kLcdShapeLine, 2, kLcdWriteSet, 0, 0};
  LcdDrawShapeVram(s);
}

void LcdDrawShape(const LcdShape &s, LcdTarget target) {
  switch (s.shape) {
    case kLcdShapePoint:
      PlotShapeDot(target, s.x1, s.y1, s.colour, s.write_mode);
      break;
    case kLcdShapeLine:
    case kLcdShapeDash:
    case kLcdShapeDashDot:
      DrawLineDots(target, s, s.x1, s.y1, s.x2, s.y2);
      break;
    case kLcdShapeFrame: {
      LcdShape edge = s;
      edge.shape = kLcdShapeLine;
      DrawLineDots(target, edge, s.x1, s.y1, s.x2, s.y1);
      // The sides: every row after y1 up to y2, as far as it is on the screen.
      i64 from = s.y2 > s.y1 ? i64{s.y1} + 1 : s.y2, to = s.y2 > s.y1 ? s.y2 : i64{s.y1} - 1;
      for (i64 y = std::max<i64>(from, 0); y <= std::min<i64>(to, kLcdHeight - 1); ++y) {
        PlotShapeDot(target, s.x1, static_cast<i32>(y), s.colour, s.write_mode);
        if (s.x2 != s.x1) PlotShapeDot(target, s.x2, static_cast<i32>(y), s.colour, s.write_mode);
      }
      if (s.y2 != s.y1) DrawLineDots(target, edge, s.x1, s.y2, s.x2, s.y2);
      break;
    }
    case kLcdShapeCircle:
      DrawCircle(target, s);
      break;
    default:
      break;
  }
  if (target != kLcdToVram) LcdRedraw();
}

void LcdDrawShapeVram(const LcdShape &s) { LcdDrawShape(s, kLcdToVram); }
void LcdDrawShapeScreen(const LcdShape &s) { LcdDrawShape(s, kLcdToScreen); }
void LcdDrawShapeBoth(const LcdShape &s) { LcdDrawShape(s, kLcdToBoth); }

void LcdDrawArea(const LcdArea &a, LcdTarget target) {
  i32 x1, y1, x2, y2;
  if (!InsideRect(LcdRect{a.x1, a.y1, a.x2, a.y2}, &x1, &y1, &x2, &y2)) return;
  for (i32 y = y1; y <= y2; ++y) {
    for (i32 col = x1 >> 3; col <= x2 >> 3; ++col) {
      u8 mask = SpanMask(col, x1, x2);
      u8 dst = ReadByte(target, col, y);
      u8 out = dst;
      switch (a.kind) {
        case 1: out = static_cast<u8>(dst | mask); break;
        case 2: out = static_cast<u8>((dst & ~mask) | ((y & 1 ? 0x55 : 0xAA) & mask)); break;
        case 3: out = static_cast<u8>(dst & ~mask); break;
        case 4: out = static_cast<u8>(dst ^ mask); break;
        default: break;
      }
      WriteByte(target, col, y, out);
    }
  }
  if (target != kLcdToVram) LcdRedraw();
}

void LcdDrawAreaVram(const LcdArea &a) { LcdDrawArea(a, kLcdToVram); }
void LcdDrawAreaScreen(const LcdArea &a) { LcdDrawArea(a, kLcdToScreen); }
void LcdDrawAreaBoth(const LcdArea &a) { LcdDrawArea(a, kLcdToBoth); }

void LcdClearArea(const LcdRect &r) { LcdDrawArea(LcdArea{r.x1, r.y1, r.x2, r.y2, 3}, kLcdToVram); }
void LcdClearAreaScreen(const LcdRect &r) { LcdDrawArea(LcdArea{r.x1, r.y1, r.x2, r.y2, 3}, kLcdToScreen); }
void LcdClearAreaBoth(const LcdRect &r) { LcdDrawArea(LcdArea{r.x1, r.y1, r.x2, r.y2, 3}, kLcdToBoth); }

void LcdReverseArea(i32 x1, i32 y1, i32 x2, i32 y2) {
  i32 lx = std::max(std::min(x1, x2), 0), hx = std::min(std::max(x1, x2), kLcdWidth - 1);
  i32 ly = std::max(std::min(y1, y2), 0), hy = std::min(std::max(y1, y2), kLcdHeight - 1);
  for (i32 y = ly; y <= hy; ++y)
    for (i32 x = lx; x <= hx; ++x) g_vram[16 * y + (x >> 3)] ^= LcdPixelMask(x);
}

i32 LcdReadAreaVram(const LcdRect &rect, u8 *out) { return ReadArea(kLcdToVram, rect, out); }
i32 LcdReadAreaScreen(const LcdRect &rect, u8 *out) { return ReadArea(kLcdToScreen, rect, out); }

// ---- bitmaps -------------------------------------------------------------------

void LcdWriteGraphic(const LcdGraphic &g, LcdTarget target) {
  if (g.width < 1 || g.height < 1 || !g.bitmap || g.x >= kLcdWidth) return;
  i64 right = i64{g.x} + g.width - 1;  // the bitmap's last dot column
  if (right < 0) return;
  i32 x2 = static_cast<i32>(std::min<i64>(right, kLcdWidth - 1));
  i64 row_bytes = (i64{g.width} + 7) / 8;
  i64 first_row = std::max<i64>(0, -i64{g.y});
  for (i64 r = first_row; r < g.height; ++r) {
    i64 y64 = g.y + r;
    if (y64 >= kLcdHeight) break;
    i32 y = static_cast<i32>(y64);
    const u8 *src_row = g.bitmap + r * row_bytes;
    i32 first = std::max(g.x, 0) >> 3, last = x2 >> 3;
    for (i32 col = first; col <= last; ++col) {
      u8 mask = SpanMask(col, std::max(g.x, 0), x2);
      if (!mask) continue;
      // The source dots that land on this byte, aligned to it. A bitmap
      // that starts on a byte boundary gives its own byte: the dots past
      // its width lie outside the mask.
      u8 src = 0;
      if (g.x >= 0 && (g.x & 7) == 0) {
        src = src_row[col - (g.x >> 3)];
      } else {
        for (i32 px = col * 8; px < col * 8 + 8; ++px) {
          i64 i = px - i64{g.x};
          if (i < 0 || i >= g.width) continue;
          if (src_row[i >> 3] & (0x80 >> (i & 7))) src = static_cast<u8>(src | LcdPixelMask(px));
        }
      }
      if (g.kind == 2) src = static_cast<u8>(~src);
      else if (g.kind == 3) src = static_cast<u8>(src & (y & 1 ? 0x55 : 0xAA));
      MergeByte(target, col, y, src, mask, g.write_mode);
    }
  }
  if (target != kLcdToVram) LcdRedraw();
}

void LcdWriteGraphicVram(const LcdGraphic &g) { LcdWriteGraphic(g, kLcdToVram); }
void LcdWriteGraphicScreen(const LcdGraphic &g) { LcdWriteGraphic(g, kLcdToScreen); }
void LcdWriteGraphicBoth(const LcdGraphic &g) { LcdWriteGraphic(g, kLcdToBoth); }

// ---- text ---------------------------------------------------------------------

i32 LcdLocate(i32 column, i32 row) {
  if (column < 0 || column >= kLcdColumns || row < 0 || row >= kLcdRows) return 0;
  g_cursor_col.store(static_cast<u8>(column), std::memory_order_relaxed);
  g_cursor_row.store(static_cast<u8>(row), std::memory_order_relaxed);
  return 1;
}

i32 LcdSetCursorType(i32 type) {
  switch (type) {
    case 0: case 1: case 2: case 4: case 8: case 16: case 17: case 18: case 20: case 24: case 64:
      g_cursor_type.store(static_cast<u16>(type), std::memory_order_relaxed);
      return 1;
    default:
      return 0;
  }
}

void LcdSetCursorFlash(i32 on) { g_cursor_flash.store(on ? 1 : 0, std::memory_order_relaxed); }

i32 LcdGetCursor(i32 out[4]) {
  if (!out) return g_cursor_flash.load(std::memory_order_relaxed);
  out[0] = g_cursor_col.load(std::memory_order_relaxed);
  out[1] = g_cursor_row.load(std::memory_order_relaxed);
  out[2] = g_cursor_type.load(std::memory_order_relaxed);
  out[3] = g_cursor_flash.load(std::memory_order_relaxed);
  return out[3];
}

i32 LcdPrintAtCursor(const char *text, u32 flags) {
  i32 x = 6 * g_cursor_col.load(std::memory_order_relaxed);
  i32 y = 8 * g_cursor_row.load(std::memory_order_relaxed);
  i32 after = DrawText(x, y, text, flags, true);
  i32 col = after < 126 ? after / 6 : 20;
  if (col < 0) col = 0;
  g_cursor_col.store(static_cast<u8>(col), std::memory_order_relaxed);
  return after;
}

i32 LcdPrintCharAtCursor(u16 code, u32 flags) {
  char buf[3] = {0, 0, 0};
  if (code > 0xFF) {
    buf[0] = static_cast<char>(code >> 8);
    buf[1] = static_cast<char>(code & 0xFF);
  } else {
    buf[0] = static_cast<char>(code);
  }
  return LcdPrintAtCursor(buf, flags);
}

i32 LcdPrintAtPixel(i32 x, i32 y, const char *text, u32 flags) { return DrawText(x, y, text, flags, false); }

// ---- small font -------------------------------------------------------------------

i32 LcdPrintMiniCharAt(i32 *x, i32 y, u16 code, u32 mode) {
  if (!x) return 0;
  int width = 0;
  const u8 *rows = LcdGetMiniGlyph(code, &width);
  if (!rows) {
    rows = kFontMiniFallbackRows;
    width = kFontMiniFallbackWidth;
  }
  i32 x0 = *x;
  *x += width + 1;
  if (x0 >= kLcdWidth || y >= kLcdHeight || x0 + width < 0 || y + 6 <= 0) return 0;
  for (i32 r = 0; r < 6; ++r) {
    u8 bits = rows[r];
    if (mode & kLcdMiniReverse) bits = static_cast<u8>(~bits);
    PutMiniRow(x0, y + r, width + 1, static_cast<u8>(bits & (0xFF00 >> (width + 1))), mode);
  }
  return 1;
}

i32 LcdPrintMiniAt(i32 *x, i32 y, const char *text, u32 mode, i32 max_chars) {
  if (!text || !x) return 0;
  i32 drawn = 0;
  const char *p = text;
  while (max_chars < 0 || drawn < max_chars) {
    int len = 0;
    u16 code = FontReadChar(p, &len);
    if (len == 0 || *x >= kLcdWidth) break;
    p += len;
    drawn += LcdPrintMiniCharAt(x, y, code, mode);
  }
  return drawn;
}

i32 LcdMiniTextWidth(const char *text) {
  i32 width = 0;
  for (const char *p = text;;) {
    int len = 0;
    u16 code = FontReadChar(p, &len);
    if (len == 0) break;
    p += len;
    int w = kFontMiniFallbackWidth;
    LcdGetMiniGlyph(code, &w);
    width += w + 1;
  }
  return width;
}

// ---- screen slots, pop-up window, grids --------------------------------------------

u8 *LcdScreenSlotAddress(i32 slot) {
  switch (slot) {
    case 1: return g_slots[0].data();
    case 2: return g_slots[1].data();
    case 3: return g_slots[2].data();
    case 7: return g_slots[3].data();
    case 8: return g_slots[4].data();
    default: return nullptr;
  }
}

i32 LcdSaveScreen(i32 slot) {
  u8 *p = LcdScreenSlotAddress(slot);
  if (!p) return 0;
  std::memcpy(p, g_vram.data(), kLcdVramBytes);
  return 1;
}

i32 LcdRestoreScreen(i32 slot) {
  u8 *p = LcdScreenSlotAddress(slot);
  if (!p) return 0;
  std::memcpy(g_vram.data(), p, kLcdVramBytes);
  return 1;
}

void LcdPopupRows(i32 size, i32 *top, i32 *bottom) {
  static constexpr i32 kTop[7] = {0, 19, 11, 11, 3, 3, 3};
  static constexpr i32 kBottom[7] = {0, 35, 35, 43, 43, 51, 59};
  if (size < 1 || size > 6) size = 0;
  *top = kTop[size];
  *bottom = kBottom[size];
}

i32 LcdDrawPopupWindow(i32 slot, i32 size) {
  if (size < 1 || size > 6) return 0;
  if (slot != 0) LcdSaveScreen(slot);
  i32 top, bottom;
  LcdPopupRows(size, &top, &bottom);
  LcdClearArea(LcdRect{10, top + 1, 116, bottom});
  LcdShape frame{9, top, 117, bottom, 2, kLcdShapeFrame, 1, kLcdWriteSet, 0, 0};
  LcdDrawShapeVram(frame);
  LcdDrawLine(118, top + 1, 118, bottom);
  LcdDrawLine(10, bottom + 1, 118, bottom + 1);
  return 1;
}

void LcdDrawTableGrid(i32 rows, i32 second_rule) {
  i32 last = std::min(64 - (7 - rows) * 8 - 1, kLcdHeight - 1);
  for (i32 y = 0; y <= last; ++y)
    for (i32 x : {12, 40, 68, 96, 124}) LcdSetPixel(x, y, 1);
  auto rule = [](i32 y) {
    u8 *row = g_vram.data() + 16 * y;
    row[0] = 0;
    row[1] = 0x0F;
    std::memset(row + 2, 0xFF, 13);
    row[15] = 0xF8;
  };
  rule(8);
  if (second_rule) rule(16);
}

void LcdDrawBracketCell(i32 x, i32 y, i32 piece) {
  // Four dots wide, eight high; the bracket's stroke sits at the inner edge.
  static constexpr u8 kPieces[9][8] = {
      {0xE0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // top-left corner
      {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // left edge
      {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0xE0},  // bottom-left corner
      {0x70, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},  // top-right corner
      {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},  // right edge
      {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x70},  // bottom-right corner
      {0xE0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0xE0},  // left bracket, one row
      {0x70, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x70},  // right bracket, one row
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0},  // header rule
  };
  if (piece < 0 || piece > 8) return;
  LcdGraphic g{x, y, 4, 8, kPieces[piece], kLcdWriteOr, 1};
  LcdWriteGraphicVram(g);
}

void LcdDrawBracketColumn(const LcdBracketColumn &c) {
  if (c.rows < 1) return;
  i32 left_x = 6 * (c.left - 1) - 4;
  i32 right_x = (c.flags & kLcdBracketHalf) ? 60 : 124;
  for (i32 i = 0; i < c.rows; ++i) {
    i32 y = 8 * (c.top - 1 + i);
    bool first = i == 0 && (c.flags & kLcdBracketFirstRow);
    bool last = i == c.rows - 1 && (c.flags & kLcdBracketLastRow);
    i32 lp = first && last ? 6 : first ? 0 : last ? 2 : 1;
    if (c.flags & kLcdBracketLeft) LcdDrawBracketCell(left_x, y, lp);
    if (c.flags & kLcdBracketRight) LcdDrawBracketCell(right_x, y, lp + (lp == 6 ? 1 : 3));
  }
  if (c.flags & (kLcdBracketHeader | kLcdBracketHalf)) {
    i32 y = 8 * (c.top - 1) - 1;
    i32 x2 = (c.flags & kLcdBracketHalf) ? 60 : 124;
    if (y >= 0) LcdDrawLine(std::max(left_x, 0), y, x2 + 3, y);
  }
}

// ---- busy mark -------------------------------------------------------------------

void LcdShowBusyIndicator() { ShellShowBusyIndicator(1); }
void LcdBusySave(u32 *) {}
void LcdBusyRestore(u32 *) {}
