// The sheet screen: headings, grid, the 4 x 5 cells of the window, the
// current cell or selection in reverse video, and the current cell's line.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "apps/sheet/sheet_app.h"
#include "apps/sheet/sheet_refs.h"
#include "apps/stat/stat_editor.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr i32 kMini = 16;

i32 CellX(i32 k) { return 16 + 28 * k; }
i32 CellY(i32 j) { return 9 + 8 * j; }

// The text of row 7 (and 6 when only 4 rows show), right-aligned.
void CellLine(const SheetView *v, const char *text) {
  char expanded[2 * 21 + 1];
  StrExpandTokens(text, expanded, 21);
  // Trailing blanks of the expansion are dropped, then the text is put
  // against column 21.
  size_t n = std::strlen(expanded);
  while (n > 0 && expanded[n - 1] == ' ') expanded[--n] = 0;
  const i32 chars = static_cast<i32>(StrCharCount(expanded));
  char line[64];
  i32 p = 0;
  for (i32 i = chars; i < 21; ++i) line[p++] = ' ';
  line[p] = 0;
  if (v->visibleRows == 4) {
    TextLocate(1, 6);
    TextPrint("                     ");
  }
  TextLocate(1, 7);
  TextPrint(line);
  TextPrintField(expanded, 21);
}

void FormatValue(const Value *v, u32 key, char *out) {
  // The conversion keys (sexagesimal, the two engineering shifts, the two
  // fraction forms) show the value as the run screen does; the cell keeps
  // its number.
  Value x = *v;
  if (!KeyConvertValue(key, &x, out)) {
    NumToText(&x, out);
  }
  // Carriage returns of the result form are dropped.
  char *w = out;
  for (const char *r = out; *r; ++r)
    if (*r != 13) *w++ = *r;
  *w = 0;
  char *s = out;
  while (*s == ' ') ++s;
  if (s != out) std::memmove(out, s, std::strlen(s) + 1);
}

}  // namespace

void SheetDrawScreen(SheetView *v, u32 key, int keep, char *out, Value *cur) {
  char name[9];
  SheetGetCurrentName(name);
  LcdClearVram();
  // Heading band.
  TextPrintMiniN(1, 2, name, 14, kMini);
  LcdDrawLine(16, 0, 127, 0);
  for (i32 k = 0; k < 4; ++k) {
    char field[8] = "       ";
    field[3] = static_cast<char>('A' + v->firstCol + k - 1);
    TextPrintMini(CellX(k), 2, field, kMini);
  }
  for (i32 j = 0; j < v->visibleRows; ++j) {
    char num[8];
    std::snprintf(num, sizeof num, "%d ", v->firstRow + j);
    TextPrintMini(2, CellY(j) + 1, num, kMini);
  }
  const i32 bottom = CellY(v->visibleRows) - 1;
  for (i32 x : {43, 71, 99, 127}) LcdDrawLine(x, 0, x, bottom);
  for (i32 j = 0; j <= v->visibleRows; ++j) LcdDrawLine(16, 8 + 8 * j, 127, 8 + 8 * j);
  // Cells, column by column.
  SheetWindow w;
  SheetWindowCells(nullptr, v->firstCol, v->firstRow, &w);
  for (i32 k = 0; k < 4; ++k) {
    for (i32 j = 0; j < v->visibleRows; ++j) {
      const i32 idx = k * 5 + j;
      const i32 y = CellY(j);
      if (w.number[idx] || w.text[idx]) {
        // A filled cell blanks itself and the cells to its right, so a
        // long text runs on only over empty cells.
        LcdClearArea({CellX(k), y, 126, y + 6});
        for (i32 x : {43, 71, 99}) if (x >= CellX(k)) LcdDrawLine(x, y, x, y + 6);
      }
      if (w.number[idx]) {
        Value val{};
        val.re = *w.number[idx];
        char text[16];
        StatFormatCell(&val, text);
        TextPrintMini(CellX(k) + 2, y + 1, text, kMini);
      } else if (w.text[idx]) {
        LcdReverseArea(CellX(k), y, CellX(k) + 1, y + 6);
        char expanded[2 * 32 + 1];
        StrExpandTokens(w.text[idx][0] == '"' ? w.text[idx] + 1 : w.text[idx], expanded, 32);
        TextPrintMini(CellX(k) + 3, y + 1, expanded, 32);
      } else if (w.formula[idx]) {
        TextPrintMini(CellX(k) + 2, y + 1, " ERROR", kMini);
      }
    }
  }
  // The current cell and its line.
  const i32 k = v->curCol - v->firstCol, j = v->curRow - v->firstRow;
  const bool single = v->curCol >= 1 && v->curRow >= 1;
  if (single && v->redraw == 1 && !v->selecting && k >= 0 && k < 4 && j >= 0 && j < v->visibleRows)
    LcdReverseArea(CellX(k), CellY(j), CellX(k) + 26, CellY(j) + 6);
  if (!single) return;
  const u32 kinds = SheetCellKinds(nullptr, v->curCol, v->curRow);
  const bool showFormula = SetupGetItem(kSetupShowCell) == 0;
  char *text = nullptr;
  if (showFormula && (kinds & kSheetFlagFormula) && SheetReadFormula(nullptr, v->curCol, v->curRow, &text)) {
    CellLine(v, text);
  } else if (kinds & kSheetFlagNumber) {
    Value val;
    SheetReadValue(nullptr, v->curCol, v->curRow, &val);
    char line[kNumTextSize];
    if (!keep || !out) {
      FormatValue(&val, key, line);
      if (cur) *cur = val;
      if (out) std::strcpy(out, line);
    } else {
      std::strcpy(line, out);
    }
    CellLine(v, line);
  } else if ((kinds & kSheetFlagText) && SheetReadPlainText(nullptr, v->curCol, v->curRow, &text)) {
    CellLine(v, text);
  } else {
    CellLine(v, "");
  }
}

void SheetDrawSelection(SheetView *v, int picking, i16 noFrame) {
  (void)picking;
  char a[8], b[8], line[24];
  if (v->curCol == 0 && v->curRow == 0) {
    LcdReverseArea(0, 0, 127, CellY(v->visibleRows) - 2);
    char name[9];
    CellLine(v, SheetGetCurrentName(name));
    return;
  }
  if (v->curCol == 0 || v->curRow == 0) {
    // A row number or a column letter: that whole row or column; whole rows
    // or columns being picked show their headings and cells inverted.
    const bool rows = v->curCol == 0;
    i32 first = 0, count = 0;
    SheetHeaderSpan(v, &first, &count);
    const i32 last = first + count - 1;
    if (rows) {
      const i32 j1 = std::max(first - v->firstRow, 0), j2 = std::min(last - v->firstRow, v->visibleRows - 1);
      if (j1 <= j2) {
        LcdReverseArea(0, CellY(j1), 15, CellY(j2) + 6);
        if (v->selecting) LcdReverseArea(CellX(0), CellY(j1), CellX(3) + 26, CellY(j2) + 6);
      }
    } else {
      const i32 k1 = std::max(first - v->firstCol, 0), k2 = std::min(last - v->firstCol, 3);
      if (k1 <= k2) {
        LcdReverseArea(CellX(k1), 1, CellX(k2) + 26, 7);
        if (v->selecting) LcdReverseArea(CellX(k1), CellY(0), CellX(k2) + 26, CellY(v->visibleRows - 1) + 6);
      }
    }
    if (v->selecting) {
      std::snprintf(line, sizeof line, "%s:%s", SheetCellName(v->selStartCol, v->selStartRow, a),
                    SheetCellName(v->selEndCol, v->selEndRow, b));
    } else if (rows) {
      std::snprintf(line, sizeof line, "%s:%s", SheetCellName(1, v->curRow, a), SheetCellName(26, v->curRow, b));
    } else {
      std::snprintf(line, sizeof line, "%s:%s", SheetCellName(v->curCol, 1, a), SheetCellName(v->curCol, 999, b));
    }
    CellLine(v, line);
  } else if (v->selecting) {
    i32 c1 = v->selStartCol, c2 = v->selEndCol, r1 = v->selStartRow, r2 = v->selEndRow;
    if (c1 > c2) std::swap(c1, c2);
    if (r1 > r2) std::swap(r1, r2);
    const i32 k1 = std::max(c1 - v->firstCol, 0), k2 = std::min(c2 - v->firstCol, 3);
    const i32 j1 = std::max(r1 - v->firstRow, 0), j2 = std::min(r2 - v->firstRow, v->visibleRows - 1);
    if (k1 <= k2 && j1 <= j2) LcdReverseArea(CellX(k1), CellY(j1), CellX(k2) + 26, CellY(j2) + 6);
    std::snprintf(line, sizeof line, "%s:%s", SheetCellName(v->selStartCol, v->selStartRow, a),
                  SheetCellName(v->selEndCol, v->selEndRow, b));
    CellLine(v, line);
  }
  if (v->marked && !noFrame) {
    i32 c1 = v->markCol1, c2 = v->markCol2, r1 = v->markRow1, r2 = v->markRow2;
    if (c1 > c2) std::swap(c1, c2);
    if (r1 > r2) std::swap(r1, r2);
    for (i32 c = std::max(c1, static_cast<i32>(v->firstCol)); c <= std::min(c2, v->firstCol + 3); ++c)
      for (i32 r = std::max(r1, static_cast<i32>(v->firstRow)); r <= std::min(r2, v->firstRow + v->visibleRows - 1); ++r) {
        const i32 x = CellX(c - v->firstCol), y = CellY(r - v->firstRow);
        LcdDrawLine(x, y, x + 26, y);
        LcdDrawLine(x, y + 6, x + 26, y + 6);
        LcdDrawLine(x, y, x, y + 6);
        LcdDrawLine(x + 26, y, x + 26, y + 6);
      }
  }
}
