// The document on the screen: each line drawn by its kind at its pixel row,
// the current line marked, results right-aligned, and the rules that keep
// the current line (and the editor's cursor) in view.
#include "apps/calcdoc/calcdoc_draw.h"

#include <algorithm>
#include <cstring>

#include "apps/calcdoc/calcdoc.h"
#include "kernel/heap.h"
#include "number/value.h"
#include "memory/str.h"
#include "ui/edit.h"
#include "ui/font.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/mprint.h"
#include "ui/text.h"

namespace {

constexpr i32 kArea = static_cast<i32>(kDocAreaHeight);

void CopyText(const u8 *text, u8 *out) {
  const size_t n = text ? std::min<size_t>(std::strlen(reinterpret_cast<const char *>(text)), kMprTextMax) : 0;
  if (n) std::memcpy(out, text, n);
  out[n] = 0;
}

// Lays a text out at row y from x 0 (mode 2) or with the editor's cursor
// (mode 1). The textbook backup belongs to the edited line: another line's
// layout must not fall back on it.
void LayText(u8 *text, u16 *cursor, i32 y, u8 mode) {
  MprintState *s = MprintGetState();
  const u8 backup = s->backup_valid;
  if (mode != 1) s->backup_valid = 0;
  u8 h = 0, w = 0;
  u16 c = cursor ? *cursor : 0;
  MprintLayout(text, &c, 0, static_cast<i16>(y), mode, 1, &h, &w);
  if (cursor) *cursor = c;
  if (mode != 1) s->backup_valid = backup;
}

void Reverse(i32 x1, i32 y1, i32 x2, i32 y2) {
  if (y1 < 0) y1 = 0;
  if (y2 > kArea - 1) y2 = kArea - 1;
  if (x1 < 0) x1 = 0;
  if (x2 > 127) x2 = 127;
  if (y1 <= y2 && x1 <= x2) LcdReverseArea(x1, y1, x2, y2);
}

void PrintRight(const char *text, i32 y) {
  const i32 chars = static_cast<i32>(std::strlen(text));
  LcdPrintAtPixel(128 - 6 * chars, y, text, 0);
}

// A result: its textbook form right-aligned, or its display text.
void DrawResult(u32 index, i32 y) {
  Value v{};
  CalcDocResultFormat f{};
  CalcDocResultFormatOf(index, &f);
  if (!CalcDocResultValue(index, &v)) return;
  u8 tokens[kMprTextMax + 1];
  const bool textbook = f.form == 0 && MprintFromValue(&v, tokens, sizeof tokens) != 0;
  if (textbook) {
    LayText(tokens, nullptr, y, 0);
  } else {
    const int kind = ValKind(&v);
    char text[64];
    if (kind == kValKindList) {
      std::strcpy(text, "List Result");
    } else if (kind == kValKindMatrix) {
      std::strcpy(text, "Mat Result");
    } else {
      CalcDocValueToText(&v, f, text);
    }
    char *brk = std::strchr(text, 13);
    if (brk) {
      *brk = 0;
      PrintRight(text, y);
      PrintRight(brk + 1, y + 8);
    } else {
      PrintRight(text, y);
    }
  }
  ValFreeTemp(&v);
}

void DrawStop(i32 y) {
  LcdDrawLine(1, y + 3, 119, y + 3);
  LcdSetPixel(123, y + 4, 1);
  LcdDrawLine(122, y + 5, 123, y + 5);
  LcdDrawLine(121, y + 6, 123, y + 6);
  LcdDrawLine(120, y + 3, 123, y + 3);
}

void DrawStrip(u32 index, i32 y, const u8 *edit, const u16 *cursor) {
  LcdClearArea({0, y < 0 ? 0 : y, 127, y + 11 > 55 ? 55 : y + 11});
  LcdDrawLine(0, y, 127, y);
  LcdDrawLine(0, y + 10, 127, y + 10);
  LcdDrawLine(0, y, 0, y + 10);
  LcdDrawLine(127, y, 127, y + 10);
  const u8 *d = CalcDocEntryData(index);
  if (d == nullptr) return;
  char app[13] = {};
  std::memcpy(app, d, 12);
  // The strip's mark: its application's name in the small font at the right.
  i32 x = 100;
  LcdPrintMiniAt(&x, y + 3, app[0] == '@' ? app + 1 : app, 0, 5);
  const u8 *name = edit != nullptr ? edit : d + kDocStripHead;
  const i32 end = CalcDocPrintStripName(name, 1, y + 2, cursor ? *cursor : 0xFFFF);
  if (edit != nullptr) {
    // The name editor's cursor stands on the bar, at the cursor's character.
    KeyCursorFromState();
    ShellSetGraphCursor(end, y + 2);
  }
}

}  // namespace

u32 CalcDocStripNameColumns(const u8 *name) {
  u32 cols = 0;
  for (const char *p = reinterpret_cast<const char *>(name); *p != 0;) {
    int len = 0;
    const u16 code = FontReadChar(p, &len);
    if (len == 0) break;
    cols += static_cast<u32>(EditCharColumns(code, nullptr));
    p += len;
  }
  return cols;
}

i32 CalcDocPrintStripName(const u8 *name, i32 x, i32 y, u16 cursor) {
  i32 at_cursor = -1;
  u32 cols = 0;
  const char *start = reinterpret_cast<const char *>(name);
  for (const char *p = start; *p != 0;) {
    if (static_cast<u16>(p - start) == cursor) at_cursor = x;
    int len = 0;
    const u16 code = FontReadChar(p, &len);
    if (len == 0) break;
    char text[kStrTokenNameMax];
    const u32 n = static_cast<u32>(EditCharColumns(code, text));
    if (cols + n > kDocStripNameColumns) break;
    x = LcdPrintAtPixel(x, y, text, 0);
    cols += n;
    p += len;
  }
  return at_cursor >= 0 ? at_cursor : x;
}

void CalcDocDrawEntry(u32 index, i32 y, bool marked, u8 *edit, u16 *cursor) {
  CalcDocLineInfo info{};
  if (!CalcDocEntryInfo(index, &info)) return;
  const u8 kind = DocKindOf(info.type);
  u8 text[kMprTextMax + 1];
  switch (kind) {
    case kDocTitle:
      LcdPrintAtPixel(1, y, reinterpret_cast<const char *>(CalcDocEntryText(index)), 0);
      break;
    case kDocCalc:
    case kDocText:
    case kDocTemplateText:
      if (edit != nullptr) {
        LayText(edit, cursor, y, 1);
      } else {
        CopyText(CalcDocEntryText(index), text);
        if (text[0] != 0 || kind != kDocCalc) LayText(text, nullptr, y, 2);
      }
      break;
    case kDocResult: DrawResult(index, y); break;
    case kDocStop: DrawStop(y); break;
    case kDocStrip: DrawStrip(index, y, edit, cursor); break;
    default: break;
  }
  if (marked && edit == nullptr) {
    const i32 w = info.width ? info.width : 6;
    const i32 h = kind == kDocStrip ? 11 : info.height;
    if (kind == kDocResult) {
      Reverse(128 - w, y, 127, y + h - 1);
    } else {
      Reverse(0, y, w - 1, y + h - 1);
    }
  }
}

void CalcDocDrawScreen(bool marked, u8 *edit, u16 *cursor) {
  const CalcDocState *st = CalcDocGetState();
  LcdClearArea({0, 0, 127, kArea - 1});
  const u32 n = CalcDocEntryCount();
  if (n == 0) return;
  const u32 cur = st->current < n ? st->current : n - 1;
  // The lines below the current one first: a tall line laid out later may
  // not clear what the current line drew.
  i32 y = st->row + static_cast<i32>(CalcDocEntryHeight(cur));
  for (u32 i = cur + 1; i < n && y < kArea; ++i) {
    CalcDocDrawEntry(i, y, false, nullptr, nullptr);
    y += static_cast<i32>(CalcDocEntryHeight(i));
  }
  y = st->row;
  for (u32 i = cur; i-- > 0 && y > 0;) {
    y -= static_cast<i32>(CalcDocEntryHeight(i));
    CalcDocDrawEntry(i, y, false, nullptr, nullptr);
  }
  CalcDocDrawEntry(cur, st->row, marked, edit, cursor);
  LcdClearArea({0, kArea, 127, 63});
}

void CalcDocScrollToCurrent() {
  CalcDocState *st = CalcDocGetState();
  const u32 n = CalcDocEntryCount();
  if (n == 0) return;
  if (st->current >= n) st->current = n - 1;
  const i32 h = static_cast<i32>(CalcDocEntryHeight(st->current));
  if (st->current > 0 && DocKindOf(CalcDocEntryType(st->current - 1)) == kDocTitle && st->row == 8) return;
  if (h > kArea && st->row <= 0 && st->row + h >= kArea) return;
  if (st->row + h > kArea) st->row = h > kArea ? 0 : kArea - h;
  if (st->row < 0 && h <= kArea) st->row = 0;
  // No gap under the last line, none above the first.
  i32 bottom = st->row;
  for (u32 i = st->current; i < n; ++i) bottom += static_cast<i32>(CalcDocEntryHeight(i));
  if (bottom < kArea) {
    i32 top = st->row;
    for (u32 i = 0; i < st->current; ++i) top -= static_cast<i32>(CalcDocEntryHeight(i));
    const i32 gap = kArea - bottom;
    const i32 room = top < 0 ? -top : 0;
    st->row += gap < room ? gap : room;
  }
  i32 top = st->row;
  for (u32 i = 0; i < st->current; ++i) top -= static_cast<i32>(CalcDocEntryHeight(i));
  if (top > 0) st->row -= top;
}

void CalcDocScrollToCursor(i32 cursor_row) {
  CalcDocState *st = CalcDocGetState();
  const i32 h = static_cast<i32>(CalcDocEntryHeight(st->current));
  const i32 c = cursor_row - 4;
  if (c < 0) {
    st->row -= c;
  } else if (c > 48) {
    st->row -= c - 48;
  } else if (c < 9 && st->row < 0) {
    st->row = st->row + 9 > 0 ? 0 : st->row + 9;
  } else if (c >= 39 && st->row + h > kArea) {
    const i32 hidden = st->row + h - kArea;
    st->row -= hidden < 11 ? hidden : 10;
  }
}
