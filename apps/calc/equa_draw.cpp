// The equation application's drawing: the type menu, the equation headers,
// the cell window with its labels, rules and brackets, the multiplicity
// marks and the value line.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "apps/calc/equa.h"
#include "memory/item_array.h"
#include "number/numconv.h"
#include "number/numtext.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr i32 kMiniNormal = 16;
constexpr i32 kMiniReverse = 18;

void PrintMsgAt(i32 id, i32 col, i32 row) {
  char text[64];
  if (MsgText(id, text) == nullptr) return;
  TextLocate(col, row);
  TextPrint(text);
}

bool IsSiml(u8 m) { return m == kEquaSimlCoef || m == kEquaSimlResult; }
bool IsResult(u8 m) { return m == kEquaSimlResult || m == kEquaPolyResult; }

// The headers as bytes of the character set: superscripts 0xE5C2 and
// 0xE5C3, the subscript n 0xE5DE, a dot of the ellipsis 0xE6AA.
const char *const kPolyHeaders[2] = {
    "aX\xE5\xC2+bX+c=0",
    "aX\xE5\xC3+bX\xE5\xC2+cX+d=0",
};
const char kSimlHeaders[5][26] = {
    "a\xE5\xDEX+b\xE5\xDEY=C\xE5\xDE",
    "a\xE5\xDEX+b\xE5\xDEY+C\xE5\xDEZ=d\xE5\xDE",
    "a\xE5\xDEX+b\xE5\xDEY+C\xE5\xDEZ+d\xE5\xDET=e\xE5\xDE",
    "a\xE5\xDEX+b\xE5\xDEY+\xE6\xAA\xE6\xAA\xE6\xAA+e\xE5\xDEU=f\xE5\xDE",
    "a\xE5\xDEX+b\xE5\xDEY+\xE6\xAA\xE6\xAA\xE6\xAA+f\xE5\xDEV=g\xE5\xDE",
};

}  // namespace

void EquaClearLines(i32 first, i32 last) {
  for (i32 r = first; r <= last; ++r) {
    TextLocate(1, r);
    TextPrintField("", 21);
  }
}

void EquaDrawTypeMenu() {
  EquaClearLines(1, 7);
  PrintMsgAt(179, 1, 1);
  PrintMsgAt(180, 1, 2);
  const char *const keys[3] = {"F1:", "F2:", "F3:"};
  for (i32 i = 0; i < 3; ++i) {
    PrintMsgAt(181 + i, 1, 5 + i);
    TextLocate(1, 5 + i);
    TextPrint(keys[i]);
  }
}

void EquaDrawHeader(u8 matrix, u32 size) {
  const char *text = "";
  if (IsSiml(matrix)) {
    if (size >= 2 && size <= 6) text = kSimlHeaders[size - 2];
  } else if (size >= 2 && size <= 3) {
    text = kPolyHeaders[size - 2];
  }
  TextLocate(1, 1);
  TextPrintField(text, 21);
}

namespace {

void CellText(const EquaCellWindow *w, const Value &v, char *out) {
  const u8 mode = SetupGetItem(kSetupComplexMode);
  if (mode >= 3) {
    std::strcpy(out, "  0");
  } else if (w->wide) {
    if (mode == 2) NumFormatCell14Polar(&v, out);
    else NumFormatCell14(&v, out);
  } else if (mode == 2) {
    NumFormatCell6Polar(&v, out);
  } else {
    NumFormatCell6(&v, out);
  }
}

}  // namespace

void EquaDrawCells(const EquaCellWindow *w) {
  const u32 sr = EquaShownRows(w), sc = EquaShownCols(w);
  for (u32 r = 0; r < sr; ++r) {
    for (u32 c = 0; c < sc; ++c) {
      const u32 row = w->top + r, col = w->left + c;
      const Value v = EquaCellValue(w, row, col);
      char text[kNumTextSize];
      CellText(w, v, text);
      const i32 x = 28 * static_cast<i32>(c) + 17, y = 8 * static_cast<i32>(r) + 18;
      const bool cur = row == w->row && col == w->col;
      TextPrintMiniN(x, y, text, w->wide ? 14 : 6, cur ? kMiniReverse : kMiniNormal);
    }
  }
}

void EquaDrawLabels(const EquaCellWindow *w) {
  const u32 sr = EquaShownRows(w), sc = EquaShownCols(w);
  char text[8];
  if (!IsResult(w->matrix)) {
    for (u32 c = 0; c < sc; ++c) {
      const char letter = static_cast<char>('a' + w->left + c);
      if (IsSiml(w->matrix)) std::snprintf(text, sizeof text, "%c", letter);
      else std::snprintf(text, sizeof text, " %c ", letter);
      TextPrintMini(28 * static_cast<i32>(c) + 20, 8, text, kMiniNormal);
    }
  }
  if (w->matrix == kEquaPolyCoef) return;
  static const char kNames[] = "XYZTUV";
  for (u32 r = 0; r < sr; ++r) {
    const u32 row = w->top + r;
    const i32 y = 8 * static_cast<i32>(r) + 18;
    if (w->matrix == kEquaSimlResult) {
      std::snprintf(text, sizeof text, "%c", row < 6 ? kNames[row] : '?');
      TextPrintMini(1, y, text, kMiniNormal);
    } else {
      std::snprintf(text, sizeof text, "%2u", (row + 1) % 100);
      TextPrintMini(5, y, text, kMiniNormal);
    }
  }
}

void EquaDrawLabelRules(const EquaCellWindow *w) {
  if (w->wide) {
    LcdDrawLine(16, 14, 71, 14);
    return;
  }
  const u32 sc = EquaShownCols(w);
  for (u32 c = 0; c < sc; ++c) {
    const i32 x = 16 + 28 * static_cast<i32>(c);
    LcdDrawLine(x, 14, x + 23, 14);
  }
}

namespace {

// Brackets round the shown cells; a corner is left open on a side beyond
// which rows or columns lie outside the window.
void DrawBrackets(const EquaCellWindow *w, bool scrollMarks) {
  const u32 sr = EquaShownRows(w), sc = EquaShownCols(w);
  const i32 y1 = 17, y2 = 8 * static_cast<i32>(sr) + 15;
  const i32 xl = 13, xr = w->wide ? 74 : 28 * static_cast<i32>(sc) + 14;
  const bool above = w->top > 0, below = w->top + sr < w->rows;
  const bool leftOut = w->left > 0, rightOut = w->left + sc < w->cols;
  LcdDrawLine(xl, y1, xl, y2);
  LcdDrawLine(xr, y1, xr, y2);
  if (!above && !leftOut) LcdDrawLine(xl, y1, xl + 2, y1);
  if (!below && !leftOut) LcdDrawLine(xl, y2, xl + 2, y2);
  if (!above && !rightOut) LcdDrawLine(xr - 2, y1, xr, y1);
  if (!below && !rightOut) LcdDrawLine(xr - 2, y2, xr, y2);
  if (!scrollMarks) return;
  if (w->cols > 4) {
    TextPrintMini(120, 8, rightOut ? "\xE6\x91" : "  ", kMiniNormal);
    TextPrintMini(12, 8, leftOut ? "\xE6\x90" : "  ", kMiniNormal);
  }
}

}  // namespace

void EquaDrawResultBrackets(const EquaCellWindow *w) { DrawBrackets(w, false); }
void EquaPolyDrawBrackets(const EquaCellWindow *w) { DrawBrackets(w, false); }
void EquaSimlDrawBrackets(const EquaCellWindow *w) { DrawBrackets(w, true); }

void EquaPolyDrawMultiplicity(const EquaCellWindow *w) {
  const u32 sr = EquaShownRows(w);
  const i32 col = w->wide ? 21 : 13;
  for (u32 r = 0; r < sr; ++r) {
    const i32 row = static_cast<i32>(r) + 3;
    Value k;
    u32 count = 0;
    if (ItemMatGet(kEquaPolyMult, w->top + r + 1, 1, &k) == 0 && ValErrorCode(&k) == 0) {
      char text[kNumTextSize];
      NumFormatCell6(&k, text);
      count = static_cast<u32>(std::atoi(text));
    }
    TextPrintMiniAtCell(col, row, "           ", kMiniNormal);
    if (count >= 2) {
      char digits[8];
      std::snprintf(digits, sizeof digits, "%u", count % 1000);
      TextPrintMiniCharAtCell(col, row, 0xA9, kMiniNormal);
      TextPrintMiniAtCell(col + 2, row, digits, kMiniNormal);
    }
  }
}

void EquaShowCellValue(EquaCellWindow *w, u32 key) {
  Value v = EquaCellValue(w, w->row, w->col);
  char text[kNumTextSize];
  switch (key) {
    case kKeyDms:
      NumToTextDms(&v, text);
      break;
    case kKeyEngDown:
    case kKeyEngUp:
      NumToTextEng(&v, text, key == kKeyEngUp);
      break;
    case kKeyFracForm:
      NumFormatFracForm(&v, text);
      break;
    case kKeyFracDec:
      NumFormatFracDec(&v, text);
      break;
    default:
      NumToText(&v, text);
      break;
  }
  char aligned[kNumTextSize];
  const char *brk = std::strchr(text, 13);
  if (brk != nullptr) {
    char first[kNumTextSize];
    const size_t n = static_cast<size_t>(brk - text);
    std::memcpy(first, text, n);
    first[n] = 0;
    w->twoRowValue = 1;
    TextLocate(1, 6);
    TextPrint(NumAlignRight(aligned, first, 21));
    TextLocate(1, 7);
    TextPrint(NumAlignRight(aligned, brk + 1, 21));
    return;
  }
  w->twoRowValue = 0;
  if (w->matrix == kEquaPolyCoef || w->cols == 2 || w->rows < 4 || w->wide) EquaClearLines(6, 6);
  TextLocate(1, 7);
  TextPrint(NumAlignRight(aligned, text, 21));
}
