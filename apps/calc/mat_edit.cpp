// The matrix editor: list screen, dimension dialog, element grid, rows and
// columns, and the row operations.
#include "apps/calc/mat_edit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "apps/calc/ans_view.h"
#include "apps/calc/runmat_glue.h"
#include "eval/eval.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/value.h"
#include "numeric/mat_rowop.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {

constexpr i32 kErrSyntax = 2;
constexpr i32 kErrMa = 3;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrArgument = 8;
// While an element is typed: the catalog, the ALPHA and the SHIFT groups
// rest.
constexpr u16 kElementInputMask = 224;
constexpr u32 kErrDimension = 9;
constexpr u32 kMatCount = 27;  // Mat A..Z and Mat Ans (the 27th row)
constexpr u32 kMatMaxSide = 255;

enum MatKey : u32 {
  kKeyMatDel = 1,
  kKeyMatDelAll = 2,
  kKeyMatDim = 3,
  kKeyRowDel = 4,
  kKeyRowIns = 5,
  kKeyRowAdd = 6,
  kKeyColDel = 7,
  kKeyColIns = 8,
  kKeyColAdd = 9,
  kKeyEdit = 10,
  kKeyOpExe = 15,
};

constexpr FkeyItem B{0, 0, 0};
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }
constexpr FkeyItem M(i16 icon, u32 menu) { return {icon, kFkeySubMenu, menu}; }

const FkeyItem kPages[7][6] = {
    {B, B, B, B, B, B},
    {K(56, kKeyMatDel), K(260, kKeyMatDelAll), K(306, kKeyMatDim), B, B, B},
    {M(261, 3), M(262, 4), M(263, 5), K(42, kKeyEdit), B, B},
    {K(258, kMatRowSwap), K(269, kMatRowScale), K(270, kMatRowScaleAdd), K(271, kMatRowAdd), B, B},
    {K(9, kKeyRowDel), K(11, kKeyRowIns), K(140, kKeyRowAdd), B, B, B},
    {K(9, kKeyColDel), K(11, kKeyColIns), K(140, kKeyColAdd), B, B, B},
    {B, B, B, B, B, K(388, kKeyOpExe)},
};

// List row index 1..27 to matrix number: rows 1-26 Mat A-Z, row 27 Mat Ans.
u8 MatOfRow(u32 row) { return row == kMatCount ? 0 : static_cast<u8>(row); }
u32 RowOfMat(u8 mat) { return mat == 0 ? kMatCount : mat; }

bool Dims(u8 mat, u32 *rows, u32 *cols) {
  *rows = *cols = 0;
  return ItemMatDims(mat, rows, cols) < 16 && *rows > 0 && *cols > 0;
}

// "Mat A       : 3×  2 " or "Mat A       :None    ".
void RowText(u32 row, char *out) {
  const u8 mat = MatOfRow(row);
  char name[4];
  if (mat == 0) {
    std::strcpy(name, "Ans");
  } else {
    name[0] = static_cast<char>('A' + mat - 1);
    name[1] = 0;
  }
  u32 r = 0, c = 0;
  if (Dims(mat, &r, &c)) {
    std::snprintf(out, 32, "Mat %-7s :%3u\xA9%3u ", name, r % 1000, c % 1000);
  } else {
    std::snprintf(out, 32, "Mat %-7s :None    ", name);
  }
}

void DrawList(u32 cursor, u32 top) {
  LcdClearVram();
  char title[32];
  TextLocate(1, 1);
  TextPrint(MsgText(162, title));
  for (u32 i = 0; i < 6; ++i) {
    const u32 row = top + i;
    if (row > kMatCount) break;
    char text[32];
    RowText(row, text);
    TextLocate(1, static_cast<i32>(2 + i));
    if (row == cursor) {
      TextPrintRev(text);
    } else {
      TextPrint(text);
    }
  }
}

// Asks a question in a pop-up: true for F1 (yes), false for EXIT, F6 or
// SHIFT+EXIT.
bool Confirm(i32 size, std::initializer_list<i32> messages) {
  PopupOpen(5);
  PopupDrawWindow(size);
  i32 row = PopupFirstRow(size);
  char text[32];
  for (i32 id : messages) {
    TextLocate(3, row++);
    TextPrint(MsgText(id, text));
  }
  TextLocate(3, row + 1);
  TextPrint(MsgText(2, text));
  TextLocate(3, row + 2);
  TextPrint(MsgText(3, text));
  const u32 key = PopupWaitKey({kKeyF1, kKeyExit, kKeyF6, kKeyQuit});
  PopupClose(5);
  return key == kKeyF1;
}

// New dimensions for a matrix: 0, or Memory ERROR (4) with nothing changed.
u32 ApplyDims(u8 mat, u32 m, u32 n) {
  u32 r = 0, c = 0;
  const bool exists = Dims(mat, &r, &c);
  if (exists && r == m && c == n) return 0;
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  const u64 need = static_cast<u64>(m) * n * 12 + 29;
  u64 room = freeBytes;
  if (exists) room += static_cast<u64>(r) * c * 12 + 29 + 13;
  if (need >= 65536 || need > room) return kErrMemory;
  ItemMatDelete(mat);
  const u32 code = ItemMatCreateNew(mat, m, n);
  return code <= 2 ? 0 : kErrMemory;
}

// The dimension dialog: true with *m and *n entered, false when cancelled.
bool DimensionDialog(u8 mat, u32 first_digit, u32 *m, u32 *n) {
  u32 values[2] = {1, 1};
  u32 r = 0, c = 0;
  if (Dims(mat, &r, &c)) {
    values[0] = r;
    values[1] = c;
  }
  PopupOpen(5);
  bool done = false, ok = false;
  u32 field = 0;
  u32 pending = first_digit;
  while (!done) {
    PopupDrawWindow(4);
    char text[32];
    TextLocate(3, 2);
    TextPrint(MsgText(169, text));
    TextLocate(3, 3);
    TextPrint(MsgText(170, text));
    for (u32 f = 0; f < 2; ++f) {
      char line[24];
      std::snprintf(line, sizeof line, "%s%-3u", f == 0 ? "  m  :" : "  n  :", values[f]);
      TextLocate(3, static_cast<i32>(4 + f));
      if (f == field) {
        TextPrintRev(line);
      } else {
        TextPrint(line);
      }
    }
    u32 key = pending;
    const u32 isChar = pending ? 1 : KeyGetKey(&key);
    pending = 0;
    const bool edit = !isChar && key == kKeyRight;
    if ((isChar && key >= '0' && key <= '9') || edit) {
      // A digit starts a new number in the selected field; RIGHT edits the
      // number it holds.
      char digits[4] = {};
      i32 got = 0;
      if (edit) {
        std::snprintf(digits, sizeof digits, "%u", values[field] % 1000);
        got = TextEditDigits(digits, 9, static_cast<i32>(4 + field), 3);
      } else {
        got = TextInputDigits(digits, 9, static_cast<i32>(4 + field), 3, static_cast<i32>(key));
      }
      if (got == 0) {
        const u32 v = static_cast<u32>(std::atoi(digits));
        if (v < 1 || v > kMatMaxSide) {
          ErrBox(kErrArgument);
          pending = 0;
        } else {
          values[field] = v;
          field = 1;
        }
      }
      continue;
    }
    if (isChar) continue;
    switch (key) {
      case kKeyUp:
      case kKeyDown:
        field ^= 1;
        break;
      case kKeyExe:
        *m = values[0];
        *n = values[1];
        ok = done = true;
        break;
      case kKeyExit:
      case kKeyQuit:
        done = true;
        break;
      default:
        break;
    }
  }
  PopupClose(5);
  return ok;
}

// Rows and columns: DEL, INS, ADD; refused past 1 or 255.
void RowsAndColumns(u32 key, MatEditState *st) {
  const bool rows = key <= kKeyRowAdd;
  const u32 have = rows ? st->rows : st->cols;
  const bool del = key == kKeyRowDel || key == kKeyColDel;
  if ((del && have <= 1) || (!del && have >= kMatMaxSide)) {
    HostClearKeyQueue();
    return;
  }
  LcdShowBusyIndicator();
  u32 &at = rows ? st->row : st->col;
  u32 code = 0;
  switch (key) {
    case kKeyRowDel:
      code = ItemMatDeleteRows(st->matrix, at, 1);
      break;
    case kKeyColDel:
      code = ItemMatDeleteCols(st->matrix, at, 1);
      break;
    case kKeyRowIns:
      code = ItemMatInsertRows(st->matrix, at, 1);
      break;
    case kKeyColIns:
      code = ItemMatInsertCols(st->matrix, at, 1);
      break;
    case kKeyRowAdd:
      code = ItemMatInsertRows(st->matrix, at + 1 > st->rows ? 0 : at + 1, 1);
      break;
    default:
      code = ItemMatInsertCols(st->matrix, at + 1 > st->cols ? 0 : at + 1, 1);
      break;
  }
  if (code > 2) {
    ErrBox(kErrMemory);
  } else {
    Dims(st->matrix, &st->rows, &st->cols);
    const u32 now = rows ? st->rows : st->cols;
    if (del && at > now) at = now;
    if (key == kKeyRowAdd || key == kKeyColAdd) ++at;
    if (st->row < st->top) st->top = st->row;
    if (st->row >= st->top + 5) st->top = st->row - 4;
    if (st->col < st->left) st->left = st->col;
    if (st->col >= st->left + 4) st->left = st->col - 3;
  }
  HostClearKeyQueue();
}

// The row-operation dialog. True when the element editor is to be left.
bool RowOpDialog(u32 op, MatEditState *st) {
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(231);
  FkeyPushLevel(6);
  KeyForgetDrawnRow();
  // The multiplication sign, the arrow "into" and the two-way arrow of Swap.
  static const char *const kTexts[] = {" Swap Row m\xE6\x94Row n", " k\xA9Row m\x0ERow m",
                                       " k\xA9Row m+Row n\x0ERow n", " Row m+Row n\x0ERow n"};
  // Fields: k, m, n as the operation asks them.
  const bool hasK = op == kMatRowScale || op == kMatRowScaleAdd;
  const bool hasN = op != kMatRowScale;
  const char *prompts[3];
  u32 ids[3];
  u32 count = 0;
  if (hasK) prompts[count] = "   k  :", ids[count++] = 0;
  prompts[count] = "   m  :", ids[count++] = 1;
  if (hasN) prompts[count] = "   n  :", ids[count++] = 2;
  BcdReal vals[3] = {};
  bool entered[3] = {};
  u32 field = 0;
  bool leave = false;
  for (;;) {
    LcdClearVram();
    char text[32];
    TextLocate(1, 1);
    TextPrint(MsgText(163, text));
    TextLocate(1, 2);
    TextPrint(kTexts[op - kMatRowSwap]);
    for (u32 f = 0; f < count; ++f) {
      char line[96];
      char cell[kNumTextSize] = "";
      if (entered[f]) {
        Value v{};
        v.re = vals[f];
        NumFormatCell10(&v, cell);
      }
      std::snprintf(line, sizeof line, "%s%s", prompts[f], cell);
      TextLocate(1, static_cast<i32>(4 + f));
      if (f == field) {
        TextPrintRev(line);
      } else {
        TextPrint(line);
      }
    }
    FkeyDrawRow();
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    if (!isChar && (key == kKeyUp || key == kKeyDown)) {
      field = key == kKeyUp ? (field + count - 1) % count : (field + 1) % count;
      continue;
    }
    if (isChar || key == kKeyRight || key == kKeyXThetaT) {
      u32 k2 = key;
      BcdReal v = vals[field];
      const u32 typed = isChar ? 1 : 0;
      if (!typed && !entered[field]) std::memset(&v, 0, sizeof v);
      if (EditReadNumber(typed, &k2, static_cast<i32>(4 + field), &v, prompts[field]) != 0) continue;
      if (ids[field] != 0) {
        Value iv{};
        iv.re = v;
        char t[kNumTextSize];
        NumToText(&iv, t);
        const i32 n = std::atoi(t);
        if (n <= 0 || n >= 256 || std::strchr(t, '.') || std::strchr(t, 0x0F)) {
          ErrBox(kErrArgument);
          continue;
        }
        if (static_cast<u32>(n) > st->rows) {
          ErrBox(kErrDimension);
          continue;
        }
      }
      vals[field] = v;
      entered[field] = true;
      if (field + 1 < count) ++field;
      continue;
    }
    if (key == kKeyExe || key == kKeyOpExe) {
      bool all = true;
      for (u32 f = 0; f < count; ++f) all = all && entered[f];
      if (!all) {
        ErrBox(kErrArgument);
        continue;
      }
      u32 mn[3] = {0, 0, 0};
      for (u32 f = 0; f < count; ++f) {
        if (ids[f] == 0) continue;
        Value iv{};
        iv.re = vals[f];
        char t[kNumTextSize];
        NumToText(&iv, t);
        mn[ids[f]] = static_cast<u32>(std::atoi(t));
      }
      Value k{};
      k.re = vals[0];
      LcdShowBusyIndicator();
      const u32 code = MatRowOperation(st->matrix, static_cast<u8>(op), hasK ? &k : nullptr, static_cast<int>(mn[1]),
                                       static_cast<int>(mn[2]));
      HostClearKeyQueue();
      if (code) ErrBox(static_cast<i32>(code));
      break;
    }
    if (key == kKeyExit) break;
    if (key == kKeyQuit) {
      leave = true;
      break;
    }
  }
  FkeyPopLevel();
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return leave;
}

}  // namespace

// Element input on row 7 under the grid: the F-keys show a blank page and
// the menu-key mask is 224 while it runs. typed: the line starts with the
// token *key (else with the element's value). Returns 0 with *value set,
// -2 on EXIT, -1 on SHIFT+EXIT, or 1 with *key an F-key item's code (below
// 30000) that ended the input for the element editor to handle.
i32 ElementInput(bool typed, u32 *key, Value *value) {
  constexpr i32 kRow = 7;
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kElementInputMask);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  u8 buf[kEditLineMax + 1] = {};
  u32 cursor = 0, start = 0;
  if (typed) {
    cursor = EditPutChar(buf, kEditLineMax, 0, *key);
  } else {
    NumRealToTokens(&value->re, buf);
    cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
  }
  i32 result = 0;
  for (;;) {
    start = EditRedrawLine(buf, start, cursor, 1, kRow);
    FkeyDrawRow();
    u32 k = 0;
    u32 isChar = KeyGetKey(&k);
    if (!isChar && k == kKeyXThetaT) {
      k = RunMatGlueGraphVarChar();
      isChar = 1;
    }
    if (isChar) {
      if (k != 13 && k != 0x0E && k != 0) cursor = EditPutChar(buf, kEditLineMax, cursor, k);
      continue;
    }
    if (k == kKeyExit || k == kKeyQuit) {
      result = k == kKeyExit ? -2 : -1;
      break;
    }
    if (k >= 1 && k < 30000) {
      *key = k;
      result = 1;
      break;
    }
    if (k == kKeyExe) {
      if (buf[0] == 0) continue;
      TokPos pos = buf;
      EvalCell cell;
      if (EvalFormula(&pos, 2, &cell) == 0) {
        // The error box, then the cursor on the character before the one
        // where evaluation stopped (the one at fault), as on the run screen.
        const i32 code = ValErrorCode(&cell);
        ErrBox(code != 0 ? code : kErrSyntax);
        const u32 stop = static_cast<u32>(pos - buf);
        const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
        u32 prev = 0;
        for (u32 i = 0; i < stop && i < len; i += StrIsLeadByte(buf[i]) && buf[i + 1] ? 2 : 1) prev = i;
        cursor = stop > 0 && stop <= len ? prev : 0;
        continue;
      }
      if (ValIsComplex(&cell) == 1) {
        ErrBox(kErrMa);
        continue;
      }
      *value = Value{};
      value->re = cell.re;
      if (RealIsFrac(&value->re)) RealFracToDecimal(&value->re, &value->re);
      result = 0;
      break;
    }
    EditMoveCursorEx(buf, kEditLineMax, &start, &cursor, &k, 1, kRow, 21);
  }
  TextCursorOff();
  FkeyPopLevel();
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return result;
}

u32 MatListScreen(u8 *matrix, u8 *top, u32 *rows, u32 *cols) {
  u16 groups[6];
  FkeySaveGroups(groups);
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(231);
  FkeyPushLevel(1);
  KeyForgetDrawnRow();
  u32 cursor = RowOfMat(*matrix);
  u32 first = *top ? *top : 1;
  u32 result = 0;
  for (;;) {
    if (cursor < first) first = cursor;
    if (cursor >= first + 6) first = cursor - 5;
    DrawList(cursor, first);
    FkeyDrawRow();
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    u32 digit = 0;
    if (isChar) {
      if (key >= 'A' && key <= 'Z') {
        cursor = key - 'A' + 1;
      } else if (key == 0xC0) {
        cursor = kMatCount;
      } else if (key >= '0' && key <= '9') {
        digit = key;
      } else {
        continue;
      }
      if (!digit) {
        if (cursor >= 22) first = 22;
        else if (cursor < first || cursor >= first + 6) first = cursor;
        continue;
      }
    }
    const u8 mat = MatOfRow(cursor);
    if (digit || key == kKeyMatDim || key == kKeyRight || (key == kKeyExe && !Dims(mat, rows, cols))) {
      u32 m = 0, n = 0;
      if (DimensionDialog(mat, digit, &m, &n)) {
        const u32 code = ApplyDims(mat, m, n);
        if (code) {
          ErrBox(static_cast<i32>(code));
          continue;
        }
        Dims(mat, rows, cols);
        *matrix = mat;
        result = 1;
        break;
      }
      continue;
    }
    switch (key) {
      case kKeyUp:
        cursor = cursor == 1 ? kMatCount : cursor - 1;
        if (cursor == kMatCount) first = 22;
        break;
      case kKeyDown:
        cursor = cursor == kMatCount ? 1 : cursor + 1;
        if (cursor == 1) first = 1;
        break;
      case kKeyXThetaT:
        cursor = 'X' - 'A' + 1;
        break;
      case kKeyExe:
        *matrix = mat;
        result = 1;
        break;
      case kKeyMatDel:
      case kKeyDel:
        if (Confirm(4, {164, 165})) ItemMatDelete(mat);
        break;
      case kKeyMatDelAll:
        if (Confirm(5, {166, 167, 168})) {
          for (u8 i = 0; i < kMatCount; ++i) ItemMatDelete(i);
          cursor = first = 1;
        }
        break;
      case kKeySetup: {
        u32 changed = 0;
        PopupOpen(1);
        SetupScreen("@MAT", &changed);
        PopupClose(1);
        break;
      }
      default:
        break;
    }
    if (result || key == kKeyExit || key == kKeyQuit) break;
  }
  *top = static_cast<u8>(first);
  FkeyPopLevel();
  FkeyRestoreGroups(groups);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return result;
}

u32 MatEditElements(i8 matrix) {
  MatEditState st{static_cast<u8>(matrix), 1, 1, 1, 1, 0, 0};
  if (!Dims(st.matrix, &st.rows, &st.cols)) {
    ErrBox(kErrMemory);
    return kKeyExit;
  }
  u16 groups[6];
  FkeySaveGroups(groups);
  FkeyBuildOptGroup(1);
  FkeyBuildVarsGroup(2);
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(100);
  FkeyPushLevel(2);
  KeyForgetDrawnRow();
  bool converted = false;
  char text[kNumTextSize];
  Value v{};
  u32 ended = kKeyExit;
  u32 handed = 0;
  for (;;) {
    if (!converted) {
      if (ItemMatGet(st.matrix, st.row, st.col, &v) != 0) {
        std::strcpy(text, "Mem ERROR");
      } else {
        NumToText(&v, text);
      }
    }
    MatGridDraw(&st, text);
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = 0;
    if (handed) {
      // An F-key item that ended the element input acts as pressed here.
      key = handed;
      handed = 0;
    } else {
      isChar = KeyGetKey(&key);
    }
    if (!isChar && key == kKeyXThetaT) {
      key = RunMatGlueGraphVarChar();
      isChar = 1;
    }
    const bool input = (isChar && key != 13 && key != 0x0E && key != 0) || (!isChar && key == kKeyEdit);
    if (input) {
      converted = false;
      // The input line on row 7 under the grid.
      u32 k2 = key;
      Value nv = v;
      const i32 got = ElementInput(key != kKeyEdit, &k2, &nv);
      if (got == -1) {
        ended = kKeyQuit;
        break;
      }
      if (got == 1) handed = k2;
      if (got != 0) continue;
      if (ItemMatSet(st.matrix, st.row, st.col, &nv) > 2) {
        ErrBox(kErrMemory);
        continue;
      }
      if (!(st.row == st.rows && st.col == st.cols)) MatGridMoveCursor(&st, kKeyRight);
      continue;
    }
    if (isChar) continue;
    switch (key) {
      case kKeyUp:
      case kKeyDown:
      case kKeyLeft:
      case kKeyRight:
        converted = false;
        MatGridMoveCursor(&st, key);
        break;
      case kKeyRowDel:
      case kKeyRowIns:
      case kKeyRowAdd:
      case kKeyColDel:
      case kKeyColIns:
      case kKeyColAdd:
        converted = false;
        RowsAndColumns(key, &st);
        break;
      case kMatRowSwap:
      case kMatRowScale:
      case kMatRowScaleAdd:
      case kMatRowAdd:
        converted = false;
        if (RowOpDialog(key, &st)) {
          ended = kKeyQuit;
          goto out;
        }
        break;
      case kKeyFracDec:
      case kKeyFracForm:
      case kKeyDms:
      case kKeyEngDown:
      case kKeyEngUp:
        converted = KeyConvertValue(key, &v, text);
        break;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@MAT", &changed);
        break;
      }
      case kKeyExit:
      case kKeyQuit:
        ended = key;
        goto out;
      default:
        break;
    }
  }
out:
  FkeyPopLevel();
  FkeyRestoreGroups(groups);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return ended;
}

void MatEditMain() {
  const FkeyItem *saved[7];
  FkeySavePages(0, 6, saved);
  for (i32 id = 0; id < 7; ++id) FkeySetPage(id, kPages[id]);
  TextCursorOff();
  u8 matrix = 1, top = 1;
  u32 rows = 0, cols = 0;
  while (MatListScreen(&matrix, &top, &rows, &cols)) MatEditElements(static_cast<i8>(matrix));
  FkeyRestorePages(0, 6, saved);
  KeyForgetDrawnRow();
}
