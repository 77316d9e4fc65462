// The spreadsheet's range commands: SEQ writes a sequence down a column or
// along a row, FILL puts one number, formula or text into every cell of a
// range, STO copies a range into a variable, a list, the lists of a list
// file or a matrix, RCL copies a list, a list file or a matrix into the
// sheet. Room is checked before anything changes.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "apps/sheet/sheet_app.h"
#include "apps/sheet/sheet_cmds.h"
#include "apps/sheet/sheet_eval.h"
#include "apps/sheet/sheet_refs.h"
#include "apps/stat/stat_calc.h"
#include "eval/eval.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/sysvar.h"
#include "graph/screen/vwin_screen.h"

namespace {

constexpr u32 kErrDimension = 9;
constexpr u32 kErrComplexList = 25;
constexpr u32 kErrComplexMat = 26;
constexpr u8 kTempFile = 253;  // the scratch list file (list file -3)
constexpr u32 kElementBytes = 12;
constexpr u32 kHeaderBytes = 36;
constexpr u32 kColumnBytes = 128 + 4;  // a column's bitmap and index entry
constexpr u16 kMaskDialog = 231;

constexpr FkeyItem kBlank{0, kFkeyBlank, 0};
constexpr FkeyItem kExePage[6] = {kBlank, kBlank, kBlank, kBlank, kBlank, {388, kFkeyKeyCode, 1}};

bool InSheet(i32 col, i32 row) { return col >= 1 && col <= kSheetCols && row >= 1 && row <= kSheetRows; }

SheetRange Ordered(const i16 a[2], const i16 b[2]) {
  return {std::min(a[0], b[0]), std::min(a[1], b[1]), std::max(a[0], b[0]), std::max(a[1], b[1])};
}

void ClearCells(i32 col, i32 row, i32 count) {
  SheetClearValues(nullptr, col, row, count);
  SheetRemoveTexts(nullptr, col, row, count, 1, kSheetFlagText | kSheetFlagFormula);
}

// A cell's number as stored in a list or matrix: 0 for none or an error.
Value CellNumber(i32 col, i32 row) {
  Value v{};
  if (!SheetReadValue(nullptr, col, row, &v) || ValErrorCode(&v)) v = Value{};
  return v;
}

u32 ListBytes(u8 file, u8 list) {
  const u32 n = ItemListSize(file, list);
  return n ? ItemArrayBytes(n, ItemListIsReal(file, list) == 0) : 0;
}

// The room values written into `cells` cells of `columns` columns may take.
u64 CellsBytes(u64 cells, u32 columns) { return cells * kElementBytes + u64{columns} * kColumnBytes; }

// The bytes numbers written into every cell of the range add: cells that
// hold one add nothing, a column without numbers its bitmap as well.
u64 FillNeed(const SheetRange &r) {
  u64 need = 0;
  for (i32 c = r.col1; c <= r.col2; ++c) {
    const u32 first = SheetValueNeed(nullptr, c, r.row1);
    if (first > kElementBytes) {
      need += first + u64{kElementBytes} * static_cast<u32>(r.row2 - r.row1);
      continue;
    }
    for (i32 w = r.row1; w <= r.row2; ++w) need += SheetValueNeed(nullptr, c, w);
  }
  return need;
}

u32 Recalculate() {
  SheetLatchError(0);
  SheetMaskEvalStates(nullptr, 0);
  const u8 saved = SetupGetItem(kSetupAutoCalc);
  SetupSetItem(kSetupAutoCalc, 0);
  const u32 r = SheetRecalcAll();
  SetupSetItem(kSetupAutoCalc, saved);
  return r == kSheetErrNone ? 0 : r;
}

}  // namespace

u32 SheetStoreCellValue(const char *name, i32 col, i32 row, const Value *v) {
  if (!InSheet(col, row)) return kSheetErrLimit;
  Value real{};
  if (!ValErrorCode(v)) real.re = v->re;
  return SheetWriteValue(name, col, row, &real) == 0 ? 0 : kSheetErrMemory;
}

u32 SheetListToCells(u8 file, u8 list, const i16 first[2], const i16 last[2], u32 alongRow) {
  const i32 n = alongRow ? last[0] - first[0] + 1 : last[1] - first[1] + 1;
  if (alongRow) {
    for (i32 c = first[0]; c <= last[0]; ++c) ClearCells(c, first[1], 1);
  } else {
    ClearCells(first[0], first[1], n);
  }
  KeyBreakArm();
  for (i32 i = 0; i < n; ++i) {
    if (KeyBreakPoll()) return kSheetErrBreak;
    Value v{};
    if (ItemListGet(file, list, static_cast<u32>(i + 1), &v) != 0) v = Value{};
    const i32 c = alongRow ? first[0] + i : first[0], r = alongRow ? first[1] : first[1] + i;
    if (const u32 e = SheetStoreCellValue(nullptr, c, r, &v)) return e;
  }
  return 0;
}

u32 SheetCellsToList(u8 file, u8 list, u32 alongRow, const SheetRange *range) {
  const i32 n = alongRow ? range->col2 - range->col1 + 1 : range->row2 - range->row1 + 1;
  ItemListDelete(file, list);
  if (ItemListCreate(file, list, static_cast<u32>(n)) != 0) return kSheetErrMemory;
  KeyBreakArm();
  for (i32 i = 0; i < n; ++i) {
    if (KeyBreakPoll()) return kSheetErrBreak;
    const Value v = alongRow ? CellNumber(range->col1 + i, range->row1) : CellNumber(range->col1, range->row1 + i);
    if (ItemListSet(file, list, static_cast<u32>(i + 1), &v) != 0) return kSheetErrMemory;
  }
  return 0;
}

u32 SheetStoreRange(const i16 first[2], const i16 last[2], u32 number, u32 kind) {
  const SheetRange r = Ordered(first, last);
  if (!InSheet(r.col1, r.row1) || !InSheet(r.col2, r.row2)) return kSheetErrLimit;
  const u32 rows = static_cast<u32>(r.row2 - r.row1 + 1), cols = static_cast<u32>(r.col2 - r.col1 + 1);
  const u64 free = SheetFreeBytes();
  if (kind == 1) {
    Value v;
    if (!SheetReadValue(nullptr, r.col1, r.row1, &v) || ValErrorCode(&v)) return kSheetErrSyntax;
    const u8 code = number <= 26 ? static_cast<u8>(64 + number) : number == 27 ? 0xCD : 0xCE;
    SysStoreVariable(code, &v);
    return 0;
  }
  if (kind == 2) {
    if (cols != 1 && rows != 1) return kSheetErrLimit;
    const u8 list = static_cast<u8>(number);
    const u32 count = cols == 1 ? rows : cols;
    const u32 had = ListBytes(0, list);
    if (u64{count} * kElementBytes + kHeaderBytes > free + had) return kSheetErrMemory;
    return SheetCellsToList(0, list, cols == 1 ? 0 : 1, &r);
  }
  if (kind == 3) {
    const u8 file = static_cast<u8>(number);
    u64 had = 0;
    for (u32 j = 1; j <= cols; ++j) had += ListBytes(file, static_cast<u8>(j));
    if (u64{cols} * (rows * kElementBytes + kHeaderBytes) > free + had) return kSheetErrMemory;
    u32 err = 0;
    for (u32 j = 1; j <= cols; ++j) {
      const i16 c = static_cast<i16>(r.col1 + j - 1);
      const SheetRange column{c, r.row1, c, r.row2};
      const u32 e = SheetCellsToList(file, static_cast<u8>(j), 0, &column);
      if (e == kSheetErrBreak) return e;
      if (e && !err) err = e;
    }
    return err;
  }
  // A matrix: its old room counts as free.
  const u8 mat = static_cast<u8>(number);
  u32 mr = 0, mc = 0;
  u64 had = 0;
  if (ItemMatDims(mat, &mr, &mc) == 0) had = ItemArrayBytes(mr * mc, ItemMatIsReal(mat) == 0);
  if (u64{rows} * cols * kElementBytes + kHeaderBytes > free + had) return kSheetErrMemory;
  ItemMatDelete(mat);
  if (ItemMatCreate(mat, rows, cols) != 0) return kSheetErrMemory;
  KeyBreakArm();
  for (u32 j = 0; j < cols; ++j) {
    for (u32 i = 0; i < rows; ++i) {
      if (KeyBreakPoll()) return kSheetErrBreak;
      const Value v = CellNumber(r.col1 + static_cast<i32>(j), r.row1 + static_cast<i32>(i));
      if (ItemMatSet(mat, i + 1, j + 1, &v) != 0) return kSheetErrMa;
    }
  }
  return 0;
}

u32 SheetRecallRange(const i16 first[2], const i16 last[2], u32 number, u32 kind) {
  (void)last;
  const i32 col = first[0], row = first[1];
  if (!InSheet(col, row)) return kSheetErrLimit;
  const u64 free = SheetFreeBytes();
  if (kind == 2) {
    const u8 list = static_cast<u8>(number);
    if (ItemListIsReal(0, list) == 0) return kErrComplexList;
    const i32 count = static_cast<i32>(ItemListSize(0, list));
    if (count == 0) return kErrDimension;
    const u32 along = SetupGetItem(kSetupMove) == 1 ? 1 : 0;
    i16 end[2] = {static_cast<i16>(col), static_cast<i16>(row)};
    bool cut = false;
    if (along) {
      end[0] = static_cast<i16>(std::min(col + count - 1, kSheetCols));
      cut = col + count - 1 > kSheetCols;
    } else {
      if (row + count - 1 > kSheetRows) return kSheetErrLimit;
      end[1] = static_cast<i16>(row + count - 1);
    }
    const u32 written = along ? static_cast<u32>(end[0] - col + 1) : static_cast<u32>(count);
    if (CellsBytes(written, along ? written : 1) > free) return kSheetErrMemory;
    if (const u32 e = SheetListToCells(0, list, first, end, along)) return e;
    return cut ? kSheetErrLimit : 0;
  }
  if (kind == 3) {
    const u8 file = static_cast<u8>(number);
    const i32 lists = kSheetCols + 1 - col;
    u64 cells = 0;
    bool any = false;
    for (i32 j = 1; j <= lists; ++j) {
      if (ItemListIsReal(file, static_cast<u8>(j)) == 0) return kErrComplexList;
      const i32 n = static_cast<i32>(ItemListSize(file, static_cast<u8>(j)));
      any = any || n > 0;
      cells += static_cast<u64>(std::min(n, kSheetRows - row + 1));
    }
    if (!any) return kErrDimension;
    if (CellsBytes(cells, static_cast<u32>(lists)) > free) return kSheetErrMemory;
    u32 err = 0;
    for (i32 j = 1; j <= lists; ++j) {
      const i32 n = static_cast<i32>(ItemListSize(file, static_cast<u8>(j)));
      if (n == 0) continue;
      const i16 top[2] = {static_cast<i16>(col + j - 1), static_cast<i16>(row)};
      const i16 bottom[2] = {top[0], static_cast<i16>(std::min(row + n - 1, kSheetRows))};
      const u32 e = SheetListToCells(file, static_cast<u8>(j), top, bottom, 0);
      if (e == kSheetErrBreak) return e;
      // A list longer than the rows left is cut: said, not kept quiet.
      if (!err) err = e ? e : row + n - 1 > kSheetRows ? kSheetErrLimit : 0;
    }
    return err;
  }
  const u8 mat = static_cast<u8>(number);
  u32 rows = 0, cols = 0;
  if (ItemMatDims(mat, &rows, &cols) != 0 || rows == 0 || cols == 0) return kErrDimension;
  if (ItemMatIsReal(mat) == 0) return kErrComplexMat;
  const i32 lastCol = col + static_cast<i32>(cols) - 1, lastRow = row + static_cast<i32>(rows) - 1;
  if (lastCol > kSheetCols || lastRow > kSheetRows) return kSheetErrLimit;
  if (CellsBytes(u64{rows} * cols, cols) > free) return kSheetErrMemory;
  for (i32 c = col; c <= lastCol; ++c) ClearCells(c, row, static_cast<i32>(rows));
  KeyBreakArm();
  for (u32 j = 0; j < cols; ++j) {
    for (u32 i = 0; i < rows; ++i) {
      if (KeyBreakPoll()) return kSheetErrBreak;
      Value v{};
      if (ItemMatGet(mat, i + 1, j + 1, &v) != 0) v = Value{};
      if (const u32 e = SheetStoreCellValue(nullptr, col + static_cast<i32>(j), row + static_cast<i32>(i), &v))
        return e;
    }
  }
  return 0;
}

u32 SheetFillRange(const char *name, const SheetRange *range, const char *text) {
  const i16 a[2] = {range->col1, range->row1}, b[2] = {range->col2, range->row2};
  if (!InSheet(a[0], a[1]) || !InSheet(b[0], b[1])) return kSheetErrRange;
  const SheetRange r = Ordered(a, b);
  const u32 kind = SheetInputKind(text);
  u32 err = 0;
  u32 busy = 0;
  if (kind == 1) {
    TokPos pos = reinterpret_cast<const u8 *>(text);
    Value val{};
    if (EvalFormula(&pos, 2, &val) == 0) {
      err = ValErrorCode(&val);
      if (err == 0 || err == 31) err = kSheetErrSyntax;
    } else if (ValIsComplex(&val) == 1) {
      return kSheetErrMa;
    }
    if (FillNeed(r) > SheetFreeBytes()) return kSheetErrMemory;
    for (i32 c = r.col1; c <= r.col2; ++c) {
      ClearCells(c, r.row1, r.row2 - r.row1 + 1);
      for (i32 w = r.row1; w <= r.row2; ++w) {
        if (SheetWriteValue(name, c, w, &val) != 0) {
          if (!err) err = kSheetErrMemory;
          SheetClearValues(name, c, w, r.row2 - w + 1);
          for (i32 rest = c + 1; rest <= r.col2; ++rest) ClearCells(rest, r.row1, r.row2 - r.row1 + 1);
          c = r.col2;
          break;
        }
      }
    }
  } else {
    LcdBusySave(&busy);
    LcdShowBusyIndicator();
    for (i32 c = r.col1; c <= r.col2; ++c) ClearCells(c, r.row1, r.row2 - r.row1 + 1);
    if (kind == 2) {
      if (SheetWriteFormula(name, r.col1, r.row1, text) != 0) {
        err = kSheetErrMemory;
      } else {
        SheetView v{};
        v.markCol1 = v.markCol2 = r.col1;
        v.markRow1 = v.markRow2 = r.row1;
        const i16 src[2] = {r.col1, r.row1};
        for (i32 c = r.col1; c <= r.col2 && !err; ++c)
          for (i32 w = r.row1; w <= r.row2 && !err; ++w) {
            const i16 target[2] = {static_cast<i16>(c), static_cast<i16>(w)};
            if (SheetPasteBlock(target, src, &v, 3) != 0) err = kSheetErrMemory;
          }
      }
    } else {
      for (i32 c = r.col1; c <= r.col2 && !err; ++c)
        for (i32 w = r.row1; w <= r.row2 && !err; ++w)
          if (SheetWritePlainText(name, c, w, text) != 0) err = kSheetErrMemory;
    }
    LcdBusyRestore(&busy);
  }
  const u32 recalc = Recalculate();
  return err ? err : recalc;
}

// ---- SEQ ----

namespace {

struct SeqState {
  char field[5][kSheetTextMax + 1];
  i16 cell[2];
  i32 line;
};

const char *const kSeqLabels[6] = {" Expr   :", " Var    :", " Start  :", " End    :", " Incre  :", "1st Cell:"};

void PrintLine(i32 row, const std::string &text, bool reversed) {
  char line[22];
  std::snprintf(line, sizeof line, "%-21.21s", text.c_str());
  TextLocate(1, row);
  if (reversed) TextPrintRev(line);
  else TextPrint(line);
}

// The label and the value, token names expanded, cut to 21 columns.
std::string Labelled(const char *label, const char *value) {
  const i32 width = 21 - static_cast<i32>(std::strlen(label));
  char out[2 * 21 + 1];
  StrExpandTokens(value, out, width);
  return std::string(label) + out;
}

std::string SeqText(const SeqState &s) {
  std::string t = "\x7F\x2C";
  for (i32 i = 0; i < 5; ++i) t += std::string(s.field[i]) + (i < 4 ? "," : "");
  return t;
}

void SeqDraw(const SeqState &s) {
  LcdClearVram();
  PrintLine(1, "Sequence", false);
  char cell[8];
  SheetCellName(s.cell[0], s.cell[1], cell);
  for (i32 n = 1; n <= 6; ++n)
    PrintLine(n + 1, Labelled(kSeqLabels[n - 1], n == 6 ? cell : s.field[n - 1]), n == s.line);
  FkeyDrawRow();
}

// Edits the selected line: 0 taken, -1 SHIFT+EXIT, -2 left unchanged.
i32 SeqEdit(SeqState *s, u32 isChar, u32 key) {
  if (s->line == 6) {
    u16 a[2] = {static_cast<u16>(s->cell[0]), static_cast<u16>(s->cell[1])};
    const u32 k = StatEditCellRange(1, isChar ? 1 : 0, key, a, nullptr, 10, 7, kSeqLabels[5]);
    if (k == kKeyQuit) return -1;
    if (k != kKeyExe) return -2;
    s->cell[0] = static_cast<i16>(a[0]);
    s->cell[1] = static_cast<i16>(a[1]);
    return 0;
  }
  char *field = s->field[s->line - 1];
  char text[kSheetTextMax + 1];
  std::strcpy(text, field);
  for (;;) {
    u32 unused = 0;
    const u32 k = SheetFieldInput(isChar, key, 10, static_cast<u32>(s->line + 1), 0, &unused,
                                  kSeqLabels[s->line - 1], text, kSheetFieldExpr);
    if (k == kKeyQuit) return -1;
    if (k != kKeyExe) return -2;
    char keep[kSheetTextMax + 1];
    std::strcpy(keep, field);
    std::strcpy(field, text);
    if (SeqText(*s).size() <= kSheetTextMax) return 0;
    // Too long for the sequence's text: the typed field is edited again.
    std::strcpy(field, keep);
    ErrBox(kSheetErrMemory);
    isChar = 0;
    key = kKeyRight;
  }
}

// Evaluates the sequence and writes it: 0 done, else the error shown.
u32 SeqRun(const SeqState &s) {
  const std::string text = SeqText(s);
  TokPos pos = reinterpret_cast<const u8 *>(text.c_str());
  Value list{};
  if (EvalFormula(&pos, 4, &list) == 0) {
    const u32 code = ValErrorCode(&list);
    return code ? code : kSheetErrSyntax;
  }
  u32 busy = 0;
  LcdBusySave(&busy);
  LcdShowBusyIndicator();
  u32 e = ValKind(&list) == kValKindList ? ItemListStoreValue(kTempFile, 0, &list) : kSheetErrSyntax;
  EvalFreeCell(&list);
  if (e == 0) {
    e = SheetStoreList(nullptr, kTempFile, 0, s.cell[0], s.cell[1]);
    // Past the sheet's edge nothing was written: Range ERROR; any other
    // failure is memory.
    if (e != 0 && e != kSheetErrLimit) e = kSheetErrMemory;
  }
  ItemListDelete(kTempFile, 0);
  LcdBusyRestore(&busy);
  return e;
}

}  // namespace

i32 SheetSeqCommand(const i16 cell[2]) {
  SheetScreenSave saved;
  SheetScreenEnter(&saved, kMaskDialog, kExePage);
  TextCursorOff();
  SeqState s{};
  s.cell[0] = cell[0];
  s.cell[1] = cell[1];
  s.line = 1;
  i32 result = 1;
  while (result == 1) {
    SeqDraw(s);
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    i32 edit = -3;
    if (isChar) {
      edit = SeqEdit(&s, 1, key);
    } else if (key == kKeyRight) {
      edit = SeqEdit(&s, 0, kKeyRight);
    } else if (key == kKeyXThetaT) {
      edit = SeqEdit(&s, 1, 'X');
    } else if (key == kKeyUp) {
      s.line = s.line == 1 ? 6 : s.line - 1;
    } else if (key == kKeyDown) {
      s.line = s.line == 6 ? 1 : s.line + 1;
    } else if (key == kKeyExit) {
      result = -2;
    } else if (key == kKeyQuit) {
      result = -1;
    } else if (key == kKeySetup) {
      u32 changed = 0;
      SetupScreen(kSheetFolder, &changed);
    } else if (key == kKeyExe || key == 1) {
      if (const u32 e = SeqRun(s)) ErrBox(static_cast<i32>(e));
      else result = 0;
    }
    if (edit == -1) result = -1;
    if (edit == 0 && s.line < 6) ++s.line;
  }
  SheetScreenLeave(&saved);
  return result;
}

// ---- the range dialog of STO, RCL and FILL ----

namespace {

struct DialogRow {
  u32 kind;
  const char *title;
  const char *label;
  u32 input;  // 3 letter, r or theta; 4 letter; 5 number 1-26; 6 number 1-6; 7 expression
};

const DialogRow kStoreRows[] = {
    {1, "Store In Variable Mem", "Var Name  :", 3},
    {2, "Store In List Memory ", "List[1~26]:", 5},
    {3, "Store In File Memory ", "File[1~6] :", 6},
    {4, "Store In Mat Memory  ", "Mat Name  :", 4},
};
const DialogRow kRecallRows[] = {
    {2, "Recall From List Mem ", "List[1~26]:", 5},
    {3, "Recall From File Mem ", "File[1~6] :", 6},
    {4, "Recall From Mat Mem  ", "Mat Alpha :", 4},
    {5, "Fill", " Formula  :", 7},
};

struct Dialog {
  const DialogRow *row;
  bool store;
  u16 a[2], b[2];  // the cell, or the range's corners
  u32 number;
  char formula[kSheetTextMax + 1];
  i32 line;
};

bool RangeLine(const Dialog &d) { return d.row->kind != 1 && (d.store || d.row->kind == 5); }
const char *CellLabel(const Dialog &d) {
  if (!d.store && d.row->kind != 5) return "1st Cell  :";
  return RangeLine(d) ? "Cell Range:" : "Cell      :";
}
// The screen row of the cell line and of the source or target line.
i32 CellRow(const Dialog &d) { return d.store ? 2 : 3; }
i32 ValueRow(const Dialog &d) { return d.store ? 3 : 2; }

std::string ValueText(const Dialog &d) {
  const u32 in = d.row->input;
  if (in == 7) return d.formula;
  if (in == 5 || in == 6) return std::to_string(d.number);
  if (d.number == 27) return "\xCD";
  if (d.number == 28) return "\xE6\x47";
  return std::string(1, static_cast<char>(64 + d.number));
}

void DialogDraw(const Dialog &d) {
  LcdClearVram();
  PrintLine(1, d.row->title, false);
  char cells[24];
  if (RangeLine(d)) StatCellRangeText(d.a, d.b, cells);
  else StatCellRefText(d.a, cells);
  const i32 selected = d.line + 1;
  PrintLine(CellRow(d), Labelled(CellLabel(d), cells), CellRow(d) == selected);
  PrintLine(ValueRow(d), Labelled(d.row->label, ValueText(d).c_str()), ValueRow(d) == selected);
  FkeyDrawRow();
}

// Edits the selected line: 0 taken, -1 SHIFT+EXIT, -2 kept.
i32 DialogEdit(Dialog *d, u32 isChar, u32 key) {
  const i32 row = d->line == 1 ? 2 : 3;
  if (row == CellRow(*d)) {
    u16 a[2] = {d->a[0], d->a[1]}, b[2] = {d->b[0], d->b[1]};
    const bool ranged = RangeLine(*d);
    const u32 k = StatEditCellRange(ranged ? 2 : 1, isChar ? 1 : 0, key, a, ranged ? b : nullptr, 12, row,
                                    CellLabel(*d));
    if (k == kKeyQuit) return -1;
    if (k != kKeyExe) return -2;
    std::memcpy(d->a, a, sizeof a);
    if (ranged) std::memcpy(d->b, b, sizeof b);
    else std::memcpy(d->b, a, sizeof a);
    return 0;
  }
  const u32 in = d->row->input;
  const u32 kind = in == 3 ? kSheetFieldVariable : in == 4 ? kSheetFieldLetter : in == 7 ? kSheetFieldFormula
                                                                                         : kSheetFieldNumber;
  u32 value = d->number;
  char text[kSheetTextMax + 1];
  std::strcpy(text, d->formula);
  const u32 k = SheetFieldInput(isChar, key, 12, static_cast<u32>(row), in == 6 ? 6 : 26, &value, d->row->label,
                                text, kind);
  if (k == kKeyQuit) return -1;
  if (k != kKeyExe) return -2;
  d->number = value;
  std::strcpy(d->formula, text);
  return 0;
}

u32 DialogRun(const Dialog &d) {
  const i16 a[2] = {static_cast<i16>(d.a[0]), static_cast<i16>(d.a[1])};
  const i16 b[2] = {static_cast<i16>(d.b[0]), static_cast<i16>(d.b[1])};
  if (d.store) return SheetStoreRange(a, b, d.number, d.row->kind);
  if (d.row->kind == 5) {
    const SheetRange r{a[0], a[1], b[0], b[1]};
    return SheetFillRange(nullptr, &r, d.formula);
  }
  return SheetRecallRange(a, b, d.number, d.row->kind);
}

}  // namespace

i32 SheetRangeDialog(const SheetRange *range, u32 kind, u32 store) {
  Dialog d{};
  d.store = store != 0;
  const DialogRow *rows = store ? kStoreRows : kRecallRows;
  for (u32 i = 0; i < 4; ++i)
    if (rows[i].kind == kind) d.row = &rows[i];
  if (!d.row) return -2;
  d.a[0] = static_cast<u16>(range->col1);
  d.a[1] = static_cast<u16>(range->row1);
  d.b[0] = static_cast<u16>(RangeLine(d) ? range->col2 : range->col1);
  d.b[1] = static_cast<u16>(RangeLine(d) ? range->row2 : range->row1);
  d.number = 1;
  d.line = 1;
  SheetScreenSave saved;
  SheetScreenEnter(&saved, kMaskDialog, kExePage);
  TextCursorOff();
  i32 result = 1;
  while (result == 1) {
    DialogDraw(d);
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    i32 edit = -3;
    if (isChar) {
      edit = DialogEdit(&d, 1, key);
    } else if (key == kKeyRight) {
      edit = DialogEdit(&d, 0, kKeyRight);
    } else if (key == kKeyXThetaT) {
      edit = DialogEdit(&d, 1, 'X');
    } else if (key == kKeyUp || key == kKeyDown) {
      d.line = 3 - d.line;
    } else if (key == kKeyExit) {
      result = -2;
    } else if (key == kKeyQuit) {
      result = -1;
    } else if (key == kKeyVWindow) {
      VwinScreen(0);
    } else if (key == kKeySetup) {
      u32 changed = 0;
      SetupScreen(kSheetFolder, &changed);
    } else if (key == kKeyExe || key == 1) {
      const u32 e = DialogRun(d);
      if (e) ErrBox(static_cast<i32>(e));
      else result = 0;
    }
    if (edit == -1) result = -1;
    if (edit == 0) d.line = 2;
  }
  SheetScreenLeave(&saved);
  return result;
}
