// The list and matrix result viewers and the element grid they share with
// the matrix editor.
#include "apps/calc/ans_view.h"

#include <cstdio>
#include <initializer_list>
#include <cstring>

#include "memory/item_array.h"
#include "number/numtext.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr i32 kErrMemory = 4;
constexpr i32 kMiniNormal = 16;
constexpr i32 kMiniReverse = 18;
constexpr u16 kListMaxShown = 999;
constexpr u32 kGridRows = 5;
constexpr u32 kGridCols = 4;

const FkeyItem kBlankPage[6] = {};

// Prints text right-aligned so that its last character is in column 21.
void PrintRight(u32 row, const char *text) {
  u32 chars = 0;
  for (const u8 *p = reinterpret_cast<const u8 *>(text); *p; ++chars)
    p += (*p == 0x7F || (*p >= 0xE5 && *p <= 0xE7) || *p == 0xF7 || *p == 0xF9) && p[1] ? 2 : 1;
  if (chars > 21) chars = 21;
  TextLocate(static_cast<i32>(22 - chars), static_cast<i32>(row));
  TextPrint(text);
}

// The element's full text on row 7, or its two parts on rows 6 and 7. True
// when it took two rows.
bool PrintBottom(const char *text) {
  const char *brk = std::strchr(text, 13);
  if (!brk) {
    PrintRight(7, text);
    return false;
  }
  char first[kNumTextSize];
  const size_t n = static_cast<size_t>(brk - text);
  std::memcpy(first, text, n);
  first[n] = 0;
  PrintRight(6, first);
  PrintRight(7, brk + 1);
  return true;
}

void Cell(const Value *v, char *out) {
  if (SetupGetItem(kSetupComplexMode) == 2) {
    NumFormatCell6Polar(v, out);
  } else {
    NumFormatCell6(v, out);
  }
  if (std::strcmp(out, "ERROR") == 0) std::strcpy(out, " ERROR");
}

// The conversion keys on an element: its new text, kept until the next move.
bool Convert(u32 key, Value *v, char *text) { return KeyConvertValue(key, v, text); }

// The frame of both viewers: a blank page 0, the OPT group, the key mask.
struct Frame {
  const FkeyItem *page0;
  u16 groups[6];
  u16 mask;
};

void EnterFrame(Frame *f) {
  FkeySavePages(0, 0, &f->page0);
  FkeySetPage(0, kBlankPage);
  FkeySaveGroups(f->groups);
  FkeyBuildOptGroup(6);
  f->mask = KeyGetMenuMask();
  KeySetMenuMask(230);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
}

void LeaveFrame(const Frame *f) {
  FkeyPopLevel();
  FkeyRestorePages(0, 0, &f->page0);
  FkeyRestoreGroups(f->groups);
  KeySetMenuMask(f->mask);
  KeyForgetDrawnRow();
}

// The keys that end a viewer; AC ends it only when it closed no menu level.
bool EndKey(u32 key) {
  if (key == kKeyExit || key == kKeyExe || key == kKeyQuit) return true;
  return key == kKeyAc && FkeyBack() < 0;
}

}  // namespace

void MatGridDraw(MatEditState *st, const char *text) {
  LcdClearVram();
  const bool two = std::strchr(text, 13) != nullptr;
  const u32 shownRows = two ? kGridRows - 1 : kGridRows;
  if (st->row >= st->top + shownRows) st->top = st->row - shownRows + 1;
  // The name at the top left.
  if (st->matrix == 0) {
    // From x = 0, so that a dot of space parts it from the left arrow at 12.
    TextPrintMini(0, 1, "Ans", kMiniNormal);
  } else {
    const char name[2] = {static_cast<char>('A' + st->matrix - 1), 0};
    TextLocate(1, 1);
    TextPrint(name);
  }
  const u32 lastCol = st->left + kGridCols - 1 < st->cols ? st->left + kGridCols - 1 : st->cols;
  char buf[kNumTextSize];
  for (u32 c = st->left; c <= lastCol; ++c) {
    const i32 x = 20 + 28 * static_cast<i32>(c - st->left);
    std::snprintf(buf, sizeof buf, "%3u", c);
    TextPrintMini(x, 1, buf, kMiniNormal);
    LcdDrawLine(x, 7, x + 11, 7);
  }
  if (st->left > 1) TextPrintMiniChar(12, 1, 0xE690, kMiniNormal);
  // The right arrow follows the fourth header (x 104..115) on the screen.
  if (lastCol < st->cols) TextPrintMiniChar(20 + 28 * static_cast<i32>(kGridCols - 1) + 12, 1, 0xE691, kMiniNormal);
  const u32 lastRow = st->top + shownRows - 1 < st->rows ? st->top + shownRows - 1 : st->rows;
  for (u32 r = st->top; r <= lastRow; ++r) {
    const i32 y = 10 + 8 * static_cast<i32>(r - st->top);
    std::snprintf(buf, sizeof buf, "%3u", r);
    TextPrintMini(0, y, buf, kMiniNormal);
    for (u32 c = st->left; c <= lastCol; ++c) {
      Value v;
      char cell[kNumTextSize];
      if (ItemMatGet(st->matrix, r, c, &v) != 0) {
        std::strcpy(cell, " ERROR");
      } else {
        Cell(&v, cell);
      }
      const bool cur = r == st->row && c == st->col;
      TextPrintMiniN(16 + 28 * static_cast<i32>(c - st->left), y, cell, 6, cur ? kMiniReverse : kMiniNormal);
    }
  }
  // The brackets: the left one always, the right one when the last column
  // shows; corners where the first or last row shows.
  const i32 yTop = 9, yBottom = 9 + 8 * static_cast<i32>(lastRow - st->top + 1);
  LcdDrawLine(14, st->top == 1 ? yTop : 8, 14, yBottom);
  if (st->top == 1) LcdDrawLine(14, yTop, 16, yTop);
  if (lastRow == st->rows) LcdDrawLine(14, yBottom, 16, yBottom);
  if (lastCol == st->cols) {
    const i32 xr = 16 + 28 * static_cast<i32>(lastCol - st->left + 1) - 2;
    LcdDrawLine(xr, st->top == 1 ? yTop : 8, xr, yBottom);
    if (st->top == 1) LcdDrawLine(xr - 2, yTop, xr, yTop);
    if (lastRow == st->rows) LcdDrawLine(xr - 2, yBottom, xr, yBottom);
  }
  PrintBottom(text);
}

void MatGridMoveCursor(MatEditState *st, u32 key) {
  auto up = [st] {
    if (st->row > 1) {
      --st->row;
      if (st->row < st->top) st->top = st->row;
    } else {
      st->row = st->rows;
      st->top = st->rows > kGridRows ? st->rows - kGridRows + 1 : 1;
    }
  };
  auto down = [st] {
    if (st->row < st->rows) {
      ++st->row;
      if (st->row >= st->top + kGridRows) st->top = st->row - kGridRows + 1;
    } else {
      st->row = 1;
      st->top = 1;
    }
  };
  switch (key) {
    case kKeyUp:
      up();
      break;
    case kKeyDown:
      down();
      break;
    case kKeyLeft:
      if (st->col > 1) {
        --st->col;
        if (st->col < st->left) st->left = st->col;
      } else {
        st->col = st->cols;
        st->left = st->cols > kGridCols ? st->cols - kGridCols + 1 : 1;
        up();
      }
      break;
    case kKeyRight:
      if (st->col < st->cols) {
        ++st->col;
        if (st->col >= st->left + kGridCols) st->left = st->col - kGridCols + 1;
      } else {
        st->col = 1;
        st->left = 1;
        down();
      }
      break;
    default:
      break;
  }
}

i32 AnsViewList(u8 file, u8 list, i32 *exitKey) {
  *exitKey = kKeyExit;
  u32 size = ItemListSize(file, list);
  if (size == 0) return kErrMemory;
  if (size > kListMaxShown) size = kListMaxShown;
  Frame frame;
  EnterFrame(&frame);
  u32 top = 1, line = 1;
  bool converted = false;
  char text[kNumTextSize];
  Value v{};
  for (;;) {
    const u32 cur = top + line - 1;
    if (!converted) {
      if (ItemListGet(file, list, cur, &v) != 0) {
        std::strcpy(text, "Mem ERROR");
      } else {
        NumToText(&v, text);
      }
    }
    LcdClearVram();
    u32 maxLines = 5;
    if (std::strchr(text, 13)) {
      maxLines = 4;
      if (line == 5) {
        ++top;
        line = 4;
      }
    }
    PrintBottom(text);
    const u32 lines = size - top + 1 < maxLines ? size - top + 1 : maxLines;
    TextPrintMini(2, 1, "Ans", kMiniNormal);
    char buf[kNumTextSize];
    for (u32 i = 0; i < lines; ++i) {
      const u32 index = top + i;
      Value e;
      char cell[kNumTextSize];
      if (ItemListGet(file, list, index, &e) != 0) {
        std::strcpy(cell, " ERROR");
      } else {
        Cell(&e, cell);
      }
      const i32 y = 10 + 8 * static_cast<i32>(i);
      std::snprintf(buf, sizeof buf, "%3u", index);
      TextPrintMini(0, y, buf, kMiniNormal);
      TextPrintMiniN(16, y, cell, 6, i + 1 == line ? kMiniReverse : kMiniNormal);
    }
    const bool atTop = top == 1, atBottom = top + lines - 1 >= size;
    const i32 yEnd = 6 + 8 * static_cast<i32>(lines) + (atBottom ? 0 : 1);
    for (i32 x : {12, 43}) LcdDrawLine(x, atTop ? 10 : 8, x, yEnd);
    if (atTop) {
      LcdDrawLine(12, 10, 14, 10);
      LcdDrawLine(41, 10, 43, 10);
    }
    if (atBottom) {
      LcdDrawLine(12, yEnd, 14, yEnd);
      LcdDrawLine(41, yEnd, 43, yEnd);
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;  // characters and tokens are ignored
    if (EndKey(key)) {
      *exitKey = static_cast<i32>(key);
      break;
    }
    if (Convert(key, &v, text)) {
      converted = true;
      continue;
    }
    if (key == kKeyUp || key == kKeyLeft) {
      converted = false;
      if (cur == 1) {
        line = size < 5 ? size : 5;
        top = size - line + 1;
      } else if (line > 1) {
        --line;
      } else {
        --top;
      }
    } else if (key == kKeyDown || key == kKeyRight) {
      converted = false;
      if (cur >= size) {
        top = 1;
        line = 1;
      } else if (line < maxLines) {
        ++line;
      } else {
        ++top;
      }
    }
  }
  LeaveFrame(&frame);
  return 0;
}

i32 AnsViewMatrix(u8 matrix, i32 *exitKey) {
  *exitKey = kKeyExit;
  MatEditState st{matrix, 1, 1, 1, 1, 0, 0};
  if (ItemMatDims(matrix, &st.rows, &st.cols) >= 16 || st.rows == 0 || st.cols == 0) return kErrMemory;
  Frame frame;
  EnterFrame(&frame);
  bool converted = false;
  char text[kNumTextSize];
  Value v{};
  for (;;) {
    if (!converted) {
      if (ItemMatGet(matrix, st.row, st.col, &v) != 0) {
        std::strcpy(text, "Mem ERROR");
      } else {
        NumToText(&v, text);
      }
    }
    MatGridDraw(&st, text);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    if (EndKey(key)) {
      *exitKey = static_cast<i32>(key);
      break;
    }
    if (Convert(key, &v, text)) {
      converted = true;
    } else if (key == kKeyUp || key == kKeyDown || key == kKeyLeft || key == kKeyRight) {
      converted = false;
      MatGridMoveCursor(&st, key);
    }
  }
  LeaveFrame(&frame);
  return 0;
}
