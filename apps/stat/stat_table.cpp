// The list editor's table: four lists side by side in the small font, the
// element numbers, the title and sub-name rows, and the bottom text.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "apps/stat/stat_editor.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr i32 kMiniNormal = 16;
constexpr i32 kMiniReverse = 18;
constexpr i32 kMiniOr = 32;

// Dot x of the left edge of a visible list's column.
i32 ColumnX(i32 list, i32 firstList) { return (list - firstList) * 28 + 16; }

// The sub-name's tokens as characters, at most width of them, trailing
// blanks dropped.
void SubNameText(i32 list, char *out, i32 width) {
  char raw[9];
  out[0] = 0;
  if (ItemListGetSubName(0, static_cast<u8>(list), raw) == 0 || raw[0] == 0) return;
  StrExpandTokens(raw, out, width);
  for (i32 n = static_cast<i32>(std::strlen(out)); n > 0 && out[n - 1] == ' '; --n) out[n - 1] = 0;
}

// One text row of the bottom line, right-aligned in 21 columns.
void BottomRow(i32 row, const char *text) {
  TextLocate(1, row);
  StatPrintRightAligned(text);
}

}  // namespace

void StatFormatCell(const Value *v, char *out) {
  if (SetupGetItem(kSetupComplexMode) == 2) NumFormatCell6Polar(v, out);
  else NumFormatCell6(v, out);
  if (strcasecmp(out, "ERROR") == 0) std::strcpy(out, " ERROR");
}

void StatDrawIndex(int col, int row, int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%3d", n % 1000);
  TextPrintMiniAtCell(col, row, text, kMiniNormal);
}

void StatPrintRightAligned(const char *text) {
  const i32 chars = static_cast<i32>(StrCharCount(text));
  char line[64];
  i32 pos = 0;
  for (i32 i = chars; i < 21 && pos < 21; ++i) line[pos++] = ' ';
  line[pos] = 0;
  TextPrint(line);
  TextPrintField(text, 21);
}

i32 StatDrawListTable(i32 firstList, i32 *topRow, i32 curList, i32 row, const char *bottomText) {
  const i32 subNames = SetupGetItem(kSetupSubName) == 0 ? 1 : 0;
  const char *cr = std::strchr(bottomText, 13);
  const i32 visible = cr ? 4 - subNames : 5 - subNames;
  // With a two-row bottom text the last normally visible row is hidden.
  if (cr && row >= 1 && row == *topRow + visible) ++*topRow;
  LcdClearVram();
  LcdDrawTableGrid(5, subNames);
  if (!cr && *topRow >= subNames + 996) LcdClearArea(LcdRect{0, 40, 127, 47});
  TextPrintMiniAtCell(1, 1, "   ", kMiniNormal);
  if (subNames) TextPrintMiniAtCell(1, 2, "SUB", kMiniNormal);
  const i32 firstScreenRow = 2 + subNames;
  for (i32 r = 0; r < visible && *topRow + r <= kStatMaxRow; ++r) StatDrawIndex(1, firstScreenRow + r, *topRow + r);
  for (i32 list = firstList; list < firstList + 4 && list <= kStatListCount; ++list) {
    const i32 x = ColumnX(list, firstList);
    char title[12];
    std::snprintf(title, sizeof title, list < 10 ? "List %d " : "List%d ", list);
    TextPrintMiniN(x, 2, title, 6, list == curList && row == 0 ? kMiniReverse : kMiniOr);
    if (subNames) {
      char sub[32];
      SubNameText(list, sub, 12);
      if (sub[0] == 0) std::strcpy(sub, "      ");
      TextPrintMiniN(x, 10, sub, 6, list == curList && row == -1 ? kMiniReverse : kMiniNormal);
    }
    const u32 count = ItemListSize(0, static_cast<u8>(list));
    for (i32 r = 0; r < visible && *topRow + r <= kStatMaxRow; ++r) {
      const i32 element = *topRow + r;
      char cell[32] = "      ";
      if (element <= static_cast<i32>(count)) {
        Value v;
        if (ItemListGet(0, static_cast<u8>(list), static_cast<u32>(element), &v) == 0) StatFormatCell(&v, cell);
        else cell[0] = 0;
      }
      const bool cursor = list == curList && element == row;
      // The cursor cell is drawn reversed over its box; OR-ing a reversed
      // cell would leave it solid black.
      const i32 mode = cursor ? kMiniReverse : r == 0 ? kMiniNormal : kMiniOr;
      if (cell[0] != 0) TextPrintMiniAtCell((list - firstList) * 7 + 5, firstScreenRow + r, cell, mode);
    }
  }
  if (cr) {
    char first[64];
    const size_t n = static_cast<size_t>(cr - bottomText) < sizeof first - 1 ? static_cast<size_t>(cr - bottomText)
                                                                               : sizeof first - 1;
    std::memcpy(first, bottomText, n);
    first[n] = 0;
    BottomRow(6, first);
    BottomRow(7, cr + 1);
  } else {
    BottomRow(7, bottomText);
  }
  return visible;
}
