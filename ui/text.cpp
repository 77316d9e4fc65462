#include "ui/text.h"

#include <vector>

#include "ui/edit.h"
#include "ui/font.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/setup.h"

namespace {

u32 g_popup_mask = 0;

struct ShapeType {
  i32 shape, type;
};
constexpr ShapeType kShapeTypes[] = {{1, 1},   {3, 2},   {4, 4},   {5, 8},   {6, 16},
                                     {7, 17},  {9, 18},  {10, 20}, {11, 24}, {12, 64}};

i32 CursorColumn() {
  i32 c[4];
  LcdGetCursor(c);
  return c[0];
}

// The mini-font mode of a caller's mode.
u32 MiniMode(i32 mode) {
  switch (mode) {
    case 18: return kLcdMiniNormal | kLcdMiniReverse;
    case 34: return kLcdMiniOr | kLcdMiniReverse;
    case 32: return kLcdMiniOr;
    case 17: return kLcdMiniNormal | kLcdMiniXor;
    default: return kLcdMiniNormal;
  }
}

}  // namespace

void TextLocate(i32 x, i32 y) {
  if (x >= 1 && x <= kLcdColumns && y >= 1 && y <= kLcdRows) LcdLocate(x - 1, y - 1);
}

i32 TextPrintCore(i32 mode, const char *text, i32 last_column) {
  bool field = mode == kTextField || mode == kTextFieldRev;
  u32 flags = (mode == kTextToEndRev || mode == kTextFieldRev) ? kLcdTextReverse : 0;
  if (!field || last_column > kLcdColumns) last_column = kLcdColumns;
  const char *p = text ? text : "";
  bool ended = false;
  i32 result = 0;
  for (;;) {
    i32 col = CursorColumn();
    if (col + 1 > last_column) break;
    char ch[3] = {' ', 0, 0};
    if (!ended) {
      int len = 0;
      FontReadChar(p, &len);
      if (len == 0) {
        ended = true;
        if (!field) break;
      } else {
        ch[0] = p[0];
        if (len == 2) ch[1] = p[1];
        p += len;
      }
    }
    result = LcdPrintAtCursor(ch, flags);
    // The last grid column leaves the cursor where it was: nothing further fits.
    if (col == kLcdColumns - 1 && CursorColumn() == kLcdColumns - 1) break;
  }
  return result;
}

i32 TextPrint(const char *text) { return TextPrintCore(kTextToEnd, text, kLcdColumns); }
i32 TextPrintRev(const char *text) { return TextPrintCore(kTextToEndRev, text, kLcdColumns); }
i32 TextPrintField(const char *text, i32 last_column) { return TextPrintCore(kTextField, text, last_column); }

void TextClearRows(i32 first, i32 last) {
  for (i32 r = first; r <= last; ++r) {
    TextLocate(1, r);
    TextPrintField("", 21);
  }
}
i32 TextPrintFieldRev(const char *text, i32 last_column) {
  return TextPrintCore(kTextFieldRev, text, last_column);
}

namespace {
i32 PutOne(const char *c, u32 flags) {
  if (!c) return 0;
  int len = 0;
  u16 code = FontReadChar(c, &len);
  if (len == 0) return 0;
  return LcdPrintCharAtCursor(code, flags);
}
}  // namespace

i32 TextPutChar(const char *c) { return PutOne(c, 0); }
i32 TextPutCharRev(const char *c) { return PutOne(c, kLcdTextReverse); }

i32 TextShapeToType(i32 shape) {
  for (const ShapeType &st : kShapeTypes)
    if (st.shape == shape) return st.type;
  return 0;
}

i32 TextTypeToShape(i32 type) {
  for (const ShapeType &st : kShapeTypes)
    if (st.type == type) return st.shape;
  return 0;
}

void TextGetCursor(TextCursorState *state) {
  if (!state) return;
  i32 c[4];
  i32 flash = LcdGetCursor(c);
  state->shape = flash ? TextTypeToShape(c[2]) : -1;
  state->x = c[0] + 1;
  state->y = c[1] + 1;
  state->graph_word = ShellGetGraphCursorWord();
}

i32 TextCursorShape() {
  TextCursorState st;
  TextGetCursor(&st);
  return st.shape;
}

void TextSetCursor(const TextCursorState *state) {
  if (!state) return;
  TextLocate(state->x, state->y);
  if (state->shape == -1) TextCursorOff();
  else TextSetCursorShape(state->shape);
  ShellSetGraphCursorWord(state->graph_word);
}

i32 TextSetCursorShape(i32 shape) {
  i32 r = LcdSetCursorType(TextShapeToType(shape));
  LcdSetCursorFlash(1);
  ShellSetGraphCursorWord(0);
  return r;
}

void TextCursorOff() { LcdSetCursorFlash(0); }

i32 KeyCursorFromState() {
  return TextSetCursorShape(KeyCursorShape(SetupGetItem(kSetupKeyModifier), SetupGetItem(kSetupInsertMode)));
}

i32 PopupSlotOfKind(i32 kind) {
  switch (kind) {
    case 1: return 3;
    case 3: return 8;
    case 4: return 7;
    case 5: return 1;
    case 6: return 2;
    default: return 7;
  }
}

u32 PopupMaskBitOfKind(i32 kind) {
  switch (kind) {
    case 3: return 32;
    case 4: return 16;
    case 6: return 2;
    default: return 1;
  }
}

i32 PopupOpen(i32 kind) {
  i32 r = LcdSaveScreen(PopupSlotOfKind(kind));
  if (kind != 1) PopupMarkOpen(PopupMaskBitOfKind(kind));
  return r;
}

void PopupClose(i32 kind) {
  TextCursorState st;
  TextGetCursor(&st);
  TextCursorOff();
  LcdRestoreScreen(PopupSlotOfKind(kind));
  if (kind != 1) PopupMarkClosed(PopupMaskBitOfKind(kind));
  TextLocate(st.x, st.y);
  if (st.shape != -1) KeyCursorFromState();
}

u32 PopupOpenMask() { return g_popup_mask; }
void PopupMarkOpen(u32 bits) { g_popup_mask |= bits; }
void PopupMarkClosed(u32 bits) { g_popup_mask &= ~bits; }

i32 TextPrintMiniChar(i32 x, i32 y, u16 code, i32 mode) {
  i32 nx = x;
  return LcdPrintMiniCharAt(&nx, y, code, MiniMode(mode)) ? nx : 0;
}

i32 TextPrintMiniN(i32 x, i32 y, const char *text, i32 max_chars, i32 mode) {
  i32 nx = x;
  return LcdPrintMiniAt(&nx, y, text, MiniMode(mode), max_chars) > 0 ? nx : 0;
}

i32 TextPrintMini(i32 x, i32 y, const char *text, i32 mode) { return TextPrintMiniN(x, y, text, -1, mode); }

i32 TextPrintMiniCharAtCell(i32 col, i32 row, u16 code, i32 mode) {
  return TextPrintMiniChar(4 * col - 4, 8 * row - 6, code, mode);
}

i32 TextPrintMiniAtCell(i32 col, i32 row, const char *text, i32 mode) {
  i32 x = TextPrintMini(4 * col - 4, 8 * row - 6, text, mode);
  return x ? x / 4 + 1 : 0;
}

i32 TextScrollStart(i32 from_column, i32 to_column, const char *text, i32 cursor_index) {
  i32 room = to_column - from_column;
  if (!text || cursor_index <= 0 || room <= 0) return 0;
  // Start bytes and display widths of the characters before the cursor.
  std::vector<i32> starts;
  std::vector<i32> widths;
  i32 total = 0;
  for (i32 i = 0; i < cursor_index;) {
    int len = 0;
    const u16 code = FontReadChar(text + i, &len);
    if (len == 0) break;
    starts.push_back(i);
    widths.push_back(EditCharColumns(code, nullptr));
    total += widths.back();
    i += len;
  }
  // The cursor's own cell takes one column.
  if (total + 1 <= room) return 0;
  // Step back from the cursor while the characters still fit before it.
  i32 used = 1;
  i32 first = static_cast<i32>(starts.size());
  while (first > 0 && used + widths[static_cast<size_t>(first - 1)] <= room) {
    --first;
    used += widths[static_cast<size_t>(first)];
  }
  return first < static_cast<i32>(starts.size()) ? starts[static_cast<size_t>(first)] : cursor_index;
}
