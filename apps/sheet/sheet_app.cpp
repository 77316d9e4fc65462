// The spreadsheet's key loop: cursor and selection, the cell input line,
// cut, copy and paste with reference rewriting, row and column commands,
// jumps, recalculation; the statistics commands go to the statistics
// application.
#include "apps/sheet/sheet_app.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "apps/sheet/sheet_cmds.h"
#include "apps/sheet/sheet_eval.h"
#include "apps/sheet/sheet_refs.h"
#include "apps/sheet/sheet_stat.h"
#include "apps/stat/stat_app.h"
#include "apps/stat/stat_glue.h"
#include "eval/eval.h"
#include "kernel/keyqueue.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"

namespace {

constexpr FkeyItem Blank{0, kFkeyBlank, 0};
constexpr FkeyItem Sub(i16 icon, u32 id) { return {icon, kFkeySubMenu, id}; }
constexpr FkeyItem Next(u32 id) { return {6, kFkeySibling, id}; }
constexpr FkeyItem Code(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem Input(i16 icon, u32 token) { return {icon, kFkeyInput, token}; }

// Cell-mode pages 0-13.
const FkeyItem kPages[14][6] = {
    {Sub(947, 2), Sub(42, 3), Sub(9, 5), Sub(948, 6), Code(511, 1), Next(1)},
    {Sub(1, 9), Sub(2, 10), Sub(69, 7), Sub(70, 8), Blank, Next(0)},
    {Code(390, 4), Code(945, 5), Code(946, 6), Code(955, 7), Blank, Blank},
    {Code(105, 8), Code(52, 9), Code(963, 10), Sub(508, 13), Code(950, 12), Next(4)},
    {Code(75, 13), Code(7, 14), Code(8, 15), Blank, Blank, Next(3)},
    {Code(960, 16), Code(961, 17), Code(949, 18), Blank, Blank, Blank},
    {Code(960, 46), Code(961, 47), Blank, Blank, Blank, Blank},
    {Code(341, 19), Code(76, 20), Code(276, 21), Code(286, 22), Blank, Blank},
    {Code(76, 50), Code(276, 51), Code(286, 52), Blank, Blank, Blank},
    {Code(12, 28), Code(13, 29), Code(14, 30), Code(15, 31), Blank, Code(16, 32)},
    {Code(20, 33), Code(21, 34), Sub(22, 11), Blank, Blank, Code(16, 35)},
    {Code(31, 36), Code(32, 37), Code(33, 38), Code(34, 39), Code(35, 40), Next(12)},
    {Code(36, 41), Code(37, 42), Code(38, 43), Code(39, 44), Code(40, 45), Next(11)},
    {Code(964, 23), Code(965, 24), Code(966, 25), Code(967, 26), Code(968, 27), Blank},
};
// Header-mode pages, installed as 0-6 while the cursor is on a heading.
const FkeyItem kHeaderPages[7][6] = {
    {Blank, Sub(42, 1), Code(9, 54), Code(948, 55), Code(511, 1), Sub(6, 2)},
    {Code(105, 8), Code(52, 9), Code(7, 14), Code(8, 15), Blank, Blank},
    {Sub(1, 3), Sub(2, 4), Blank, Blank, Blank, Sub(6, 0)},
    {Code(12, 28), Code(13, 29), Code(14, 30), Code(15, 31), Blank, Code(16, 32)},
    {Code(20, 33), Code(21, 34), Sub(22, 5), Blank, Blank, Code(16, 35)},
    {Code(31, 36), Code(32, 37), Code(33, 38), Code(34, 39), Code(35, 40), Next(6)},
    {Code(36, 41), Code(37, 42), Code(38, 43), Code(39, 44), Code(40, 45), Next(5)},
};
// The cell input line's pages, as menus 20-22.
constexpr u32 kEditMenu = 20;
const FkeyItem kEditPages[3][6] = {
    {Code(971, 48), Input(952, '$'), Input(515, ':'), Input(516, 0x7FEF), Sub(124, 21), Sub(513, 22)},
    {Input(169, 0x7FEB), Input(170, 0x7FEC), Input(171, 0x7FED), Input(32, 0x7FEE), Input(173, 0x7FE9),
     Input(174, 0x7FEA)},
    {Input(548, 0x3D), Input(549, 0x11), Input(550, 0x3E), Input(551, 0x3C), Input(552, 0x12), Input(553, 0x10)},
};
// The paste page.
const FkeyItem kPastePage[6] = {Code(969, 49), Blank, Blank, Blank, Blank, Blank};
const FkeyItem kBlankPage[6] = {Blank, Blank, Blank, Blank, Blank, Blank};

bool AutoCalcOn() { return SetupGetItem(kSetupAutoCalc) == 0; }

void ShowLatched(u32 result) {
  if (result != kSheetErrNone && result != 0) ErrBox(static_cast<i32>(result));
}

// Recalculates when Auto Calc is on and shows the error it latched.
void RecalcIfAuto() {
  if (!AutoCalcOn()) return;
  SheetLatchError(0);
  SheetMaskEvalStates(nullptr, 0);
  ShowLatched(SheetRecalcAll());
}

void Recalc() {
  SheetLatchError(0);
  SheetMaskEvalStates(nullptr, 0);
  const u8 saved = SetupGetItem(kSetupAutoCalc);
  SetupSetItem(kSetupAutoCalc, 0);
  ShowLatched(SheetRecalcAll());
  SetupSetItem(kSetupAutoCalc, saved);
}

void InstallCellPages() {
  for (i32 id = 0; id < 14; ++id) FkeySetPage(id, kPages[id]);
  FkeyClearStack();
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
}

void InstallHeaderPages() {
  for (i32 id = 0; id < 7; ++id) FkeySetPage(id, kHeaderPages[id]);
  FkeyClearStack();
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
}

void ResetCursor(SheetView *v) {
  v->firstCol = v->firstRow = v->curCol = v->curRow = 1;
  v->selecting = 0;
  v->marked = 0;
  v->redraw = 1;
}

// Moves the cursor after a stored cell by SET UP "Move".
void MoveAfterInput(SheetView *v) {
  if (SetupGetItem(kSetupMove) == 1) {
    if (v->curCol < kSheetCols) ++v->curCol;
    if (v->curCol > v->firstCol + 3) ++v->firstCol;
  } else {
    if (v->curRow < kSheetRows) ++v->curRow;
    if (v->curRow > v->firstRow + v->visibleRows - 1) ++v->firstRow;
  }
}

// The range the commands act on: the selection (ordered) while selecting,
// else the current cell.
SheetRange CommandRange(const SheetView *v) {
  SheetRange r{v->curCol, v->curRow, v->curCol, v->curRow};
  if (v->selecting) {
    r = {v->selStartCol, v->selStartRow, v->selEndCol, v->selEndRow};
    if (r.col1 > r.col2) std::swap(r.col1, r.col2);
    if (r.row1 > r.row2) std::swap(r.row1, r.row2);
  }
  return r;
}

// ---- the cell input line ----

// Stores the typed line: 0 done, 1 the line stays open (cursor set).
i32 Commit(u8 *buf, u32 *cursor, SheetView *v) {
  const char *text = reinterpret_cast<const char *>(buf);
  const i32 col = v->curCol, row = v->curRow;
  const u32 len = static_cast<u32>(std::strlen(text));
  SheetLatchError(0);
  SheetMaskEvalStates(nullptr, 0);
  const u32 kind = SheetInputKind(text);
  if (kind == 1) {
    TokPos pos = buf;
    Value val;
    if (EvalFormula(&pos, 2, &val) == 0) {
      u32 code = ValErrorCode(&val);
      if (code == 31 || code == 0) code = kSheetErrSyntax;
      ErrBox(static_cast<i32>(code));
      *cursor = static_cast<u32>(pos - buf);
      return 1;
    }
    if (ValIsComplex(&val) == 1) {
      ErrBox(kSheetErrMa);
      return 1;
    }
    // The need is checked before anything is removed.
    if (SheetValueNeed(nullptr, col, row) > SheetFreeBytes()) {
      ErrBox(kSheetErrMemory);
      return 0;
    }
    SheetRemoveTexts(nullptr, col, row, 1, 1, kSheetFlagText | kSheetFlagFormula);
    if (SheetWriteValue(nullptr, col, row, &val) != 0) {
      ErrBox(kSheetErrMemory);
      return 0;
    }
    RecalcIfAuto();
    return 0;
  }
  if (kind == 2 && len == 1) {
    ErrBox(kSheetErrSyntax);
    *cursor = 1;
    return 1;
  }
  const u32 flag = kind == 3 ? kSheetFlagText : kSheetFlagFormula;
  const i32 need = SheetTextNeed(nullptr, col, row, len, flag, true);
  if (need == kSheetNeedRefused || (need > 0 && static_cast<u32>(need) > SheetFreeBytes())) {
    ErrBox(kSheetErrMemory);
    return 0;
  }
  SheetClearCell(nullptr, col, row);
  if (SheetWriteText(nullptr, col, row, text, flag) != 0) {
    ErrBox(kSheetErrMemory);
    return 0;
  }
  if (kind == 2 && !AutoCalcOn()) {
    const i16 cell[2] = {static_cast<i16>(col), static_cast<i16>(row)};
    Value out;
    SheetEvalCellDeep(&out, cell, 0);
    SheetMaskEvalStates(nullptr, 0);
    ShowLatched(SheetLatchError(kSheetErrNone));
  } else {
    RecalcIfAuto();
  }
  return 0;
}

}  // namespace

i32 SheetEditCell(u32 isChar, u32 key, SheetView *v, u32 kinds) {
  if (v->curCol == 0 || v->curRow == 0) return 0;
  u8 buf[kSheetTextMax + 1] = {};
  u32 cursor = 0, start = 0;
  if (isChar) {
    cursor = EditPutChar(buf, kSheetTextMax, 0, key);
  } else if (kinds) {
    char *text = nullptr;
    if ((kinds & kSheetFlagFormula) && SheetReadFormula(nullptr, v->curCol, v->curRow, &text)) {
      std::strcpy(reinterpret_cast<char *>(buf), text);
    } else if ((kinds & kSheetFlagText) && SheetReadPlainText(nullptr, v->curCol, v->curRow, &text)) {
      std::strcpy(reinterpret_cast<char *>(buf), text);
    } else {
      Value val;
      if (SheetReadValue(nullptr, v->curCol, v->curRow, &val)) NumToTokens(&val, buf);
    }
    cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
  }
  const FkeyItem *saved[3];
  FkeySavePages(kEditMenu, kEditMenu + 2, saved);
  for (u32 i = 0; i < 3; ++i) FkeySetPage(static_cast<i32>(kEditMenu + i), kEditPages[i]);
  FkeyPushLevel(kEditMenu);
  KeyForgetDrawnRow();
  i32 result = 0;
  for (;;) {
    FkeyDrawRow();
    start = EditRedrawLine(buf, start, cursor, 1, 7);
    u32 k = 0;
    const u32 isKey = KeyGetKey(&k);
    if (isKey) {
      if (k != kChrNewline && k != kChrArrow) cursor = EditPutChar(buf, kSheetTextMax, cursor, k);
      continue;
    }
    if (k == kKeyXThetaT) {
      cursor = EditPutChar(buf, kSheetTextMax, cursor, 'X');
      continue;
    }
    if (k == kKeyExit) {
      TextLocate(1, 7);
      TextPrint("                     ");
      result = -2;
      break;
    }
    if (k == kKeyQuit) {
      result = -1;
      break;
    }
    if (k == kKeyExe) {
      TextCursorOff();
      if (buf[0] == 0 || Commit(buf, &cursor, v) == 0) {
        MoveAfterInput(v);
        break;
      }
      continue;
    }
    if (k == 48) {  // GRAB: a reference picked on the sheet goes into the line
      u32 length = 0;
      if (SheetPickReference(v, reinterpret_cast<char *>(buf), &cursor, &length) == -1) {
        result = -1;
        break;
      }
      start = 0;
      continue;
    }
    if (k < 30000) continue;
    EditMoveCursor(buf, kSheetTextMax, &start, &cursor, &k, 1, 7);
  }
  TextCursorOff();
  FkeyPopLevel();
  FkeyRestorePages(kEditMenu, kEditMenu + 2, saved);
  KeyForgetDrawnRow();
  return result;
}

// ---- paste ----

u32 SheetPasteBlock(const i16 target[2], const i16 source[2], const SheetView *v, u32 op) {
  if (target[0] == source[0] && target[1] == source[1]) return 0;
  SheetRange src{v->markCol1, v->markRow1, v->markCol2, v->markRow2};
  if (src.col1 > src.col2) std::swap(src.col1, src.col2);
  if (src.row1 > src.row2) std::swap(src.row1, src.row2);
  const i32 dc = target[0] - source[0], dr = target[1] - source[1];
  // Room, before anything changes: the targets' numbers, texts, rewritten
  // formulas, their links, bitmaps and index entries.
  u64 need = 4u * 2 * kSheetCols + (128u + 4u) * static_cast<u64>(src.col2 - src.col1 + 1);
  for (i32 c = src.col1; c <= src.col2; ++c) {
    for (i32 r = src.row1; r <= src.row2; ++r) {
      if (KeyBreakPoll()) return kSheetErrBreak;
      const u32 kinds = SheetCellKinds(nullptr, c, r);
      if (!kinds) continue;
      need += 4;
      if (kinds & kSheetFlagNumber) need += 12;
      char *text = nullptr;
      if ((kinds & kSheetFlagFormula) && SheetReadFormula(nullptr, c, r, &text)) {
        char out[kSheetTextMax + 1];
        const i32 len = op == 2 ? SheetMoveRefs(text, out, &src, dc, dr) : SheetCopyRefs(text, out, dc, dr);
        if (len < 0) return kSheetErrMemory;
        need += (static_cast<u32>(len) + 4) & ~3u;
      }
      u32 tlen = 0;
      if ((kinds & kSheetFlagText) && SheetReadText(nullptr, c, r, nullptr, kSheetFlagText, &tlen))
        need += (tlen + 4) & ~3u;
    }
  }
  if (need > SheetFreeBytes()) return kSheetErrMemory;
  // Order: away from the overlap, so every source is read before it is
  // overwritten.
  const i32 rStart = dr > 0 ? src.row2 : src.row1, rEnd = dr > 0 ? src.row1 : src.row2, rStep = dr > 0 ? -1 : 1;
  const i32 cStart = dc < 0 ? src.col1 : src.col2, cEnd = dc < 0 ? src.col2 : src.col1, cStep = dc < 0 ? 1 : -1;
  for (i32 r = rStart;; r += rStep) {
    for (i32 c = cStart;; c += cStep) {
      const i32 tc = c + dc, tr = r + dr;
      const u32 kinds = SheetCellKinds(nullptr, c, r);
      char formula[kSheetTextMax + 1] = {}, text[kSheetTextMax + 1] = {};
      char *p = nullptr;
      const bool hasFormula = (kinds & kSheetFlagFormula) && SheetReadFormula(nullptr, c, r, &p);
      if (hasFormula) {
        if (op == 2)
          SheetMoveRefs(p, formula, &src, dc, dr);
        else
          SheetCopyRefs(p, formula, dc, dr);
      }
      const bool hasText = op != 3 && (kinds & kSheetFlagText) && SheetReadPlainText(nullptr, c, r, &p);
      if (hasText) std::strcpy(text, p);
      Value num{};
      const bool hasNumber = op != 3 && (kinds & kSheetFlagNumber) && SheetReadValue(nullptr, c, r, &num);
      const bool mark = hasFormula && (kinds & kSheetFlagMark);
      SheetClearCell(nullptr, tc, tr);
      if (hasFormula) {
        SheetWriteFormula(nullptr, tc, tr, formula);
        if (mark) SheetSetMark(nullptr, tc, tr);
      }
      if (hasNumber) SheetWriteValue(nullptr, tc, tr, &num);
      if (hasText) SheetWritePlainText(nullptr, tc, tr, text);
      // A cut clears its source only once the target holds the content.
      // A source cell inside the target block is written by a later step.
      if (op == 2 && !(c - dc >= src.col1 && c - dc <= src.col2 && r - dr >= src.row1 && r - dr <= src.row2))
        SheetClearCell(nullptr, c, r);
      if (c == cEnd) break;
    }
    if (r == rEnd) break;
  }
  return 0;
}

i32 SheetPasteMode(SheetView *v, u32 sourceKind, u32 op, u32 *lastError) {
  if (sourceKind == 1) {
    v->markCol1 = v->markCol2 = v->curCol;
    v->markRow1 = v->markRow2 = v->curRow;
  } else if (sourceKind == 2) {
    if (v->curCol == 0) {
      v->markCol1 = 1, v->markCol2 = kSheetCols, v->markRow1 = v->markRow2 = v->curRow;
    } else {
      v->markCol1 = v->markCol2 = v->curCol, v->markRow1 = 1, v->markRow2 = kSheetRows;
    }
  } else {
    v->markCol1 = v->selStartCol, v->markRow1 = v->selStartRow;
    v->markCol2 = v->selEndCol, v->markRow2 = v->selEndRow;
    v->selecting = 0;
    v->redraw = 1;
  }
  v->marked = 1;
  if (v->markCol1 > v->markCol2) std::swap(v->markCol1, v->markCol2);
  if (v->markRow1 > v->markRow2) std::swap(v->markRow1, v->markRow2);
  const FkeyItem *saved[1];
  FkeySavePages(0, 0, saved);
  FkeySetPage(0, kPastePage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  i32 result = -2;
  for (;;) {
    SheetDrawScreen(v, 0, 0, nullptr, nullptr);
    SheetDrawSelection(v, 0, 0);
    FkeyDrawRow();
    u32 k = 0;
    if (KeyGetKey(&k)) continue;
    const bool rowHead = v->curCol == 0, colHead = v->curRow == 0;
    if (k == kKeyLeft && !rowHead && v->curCol > 1) {
      --v->curCol;
      if (v->curCol < v->firstCol) --v->firstCol;
    } else if (k == kKeyRight && !rowHead && v->curCol < kSheetCols) {
      ++v->curCol;
      if (v->curCol > v->firstCol + 3) ++v->firstCol;
    } else if (k == kKeyUp && !colHead && v->curRow > 1) {
      --v->curRow;
      if (v->curRow < v->firstRow) --v->firstRow;
    } else if (k == kKeyDown && !colHead && v->curRow < kSheetRows) {
      ++v->curRow;
      if (v->curRow > v->firstRow + v->visibleRows - 1) ++v->firstRow;
    } else if (k == kKeyExit) {
      result = -2;
      break;
    } else if (k == kKeyQuit) {
      result = -1;
      break;
    } else if (k == 49) {
      const i16 target[2] = {static_cast<i16>(v->curCol ? v->curCol : 1), static_cast<i16>(v->curRow ? v->curRow : 1)};
      if (v->markCol2 - v->markCol1 + target[0] > kSheetCols || target[1] + v->markRow2 - v->markRow1 > kSheetRows) {
        ErrBox(kSheetErrRange);
        continue;
      }
      const i16 source[2] = {v->markCol1, v->markRow1};
      u32 err = SheetPasteBlock(target, source, v, op);
      if (AutoCalcOn()) {
        SheetLatchError(0);
        SheetMaskEvalStates(nullptr, 0);
        const u32 r = SheetRecalcAll();
        if (r != kSheetErrNone && err == 0) err = r;
      }
      // A paste refused for room or Break is shown with Auto Calc off too.
      if (err) ErrBox(static_cast<i32>(err));
      if (lastError) *lastError = err;
      if (op == 2) {
        result = -12;
        break;
      }
    }
  }
  v->marked = 0;
  FkeyPopLevel();
  FkeyRestorePages(0, 0, saved);
  return result;
}

u32 SheetRowInsert(i32 first, i32 count) {
  for (i32 c = 1; c <= kSheetCols; ++c) {
    const u32 r = SheetInsertRows(nullptr, c, first, count);
    if (r == kSheetErrMemory || r == kSheetErrLimit) {
      for (i32 u = c - 1; u >= 1; --u) SheetDeleteRows(nullptr, u, first, count);
      return r;
    }
  }
  return 0;
}

u32 SheetStatCmdFromCode(u32 code, u32 *command) {
  // 28-32 GRP1-3, SEL, SET: 5-9; 33 1VAR 10; 34 2Var 12; 35 SET 13; 36-45
  // the regressions 14-23.
  *command = code <= 33 ? code - 23 : code == 34 ? 12 : code - 22;
  return 1;
}

u32 SheetParseGoTo(const char *text, i16 *col, i16 *row) {
  if (text[0] < 'A' || text[0] > 'Z' || text[1] < '0' || text[1] > '9') return 0;
  i32 n = 0;
  const char *p = text + 1;
  while (*p >= '0' && *p <= '9') {
    n = n * 10 + (*p - '0');
    if (n > kSheetRows) return 0;
    ++p;
  }
  if (*p || n < 1) return 0;
  *col = static_cast<i16>(text[0] - 'A' + 1);
  *row = static_cast<i16>(n);
  return 1;
}

namespace {

// ---- commands ----

void ClearRange(const SheetRange &r) {
  for (i32 c = r.col1; c <= r.col2; ++c) {
    SheetClearValues(nullptr, c, r.row1, r.row2 - r.row1 + 1);
    SheetRemoveTexts(nullptr, c, r.row1, r.row2 - r.row1 + 1, 1, kSheetFlagText | kSheetFlagFormula);
  }
}

// Rows first..first+count-1 deleted from every column, the references
// rewritten. Checked first: a formula that would not fit leaves everything
// as it was.
void DeleteRows(i32 first, i32 count) {
  if (const u32 e = SheetCheckRefPass(1, first, 1, count, 0)) {
    ErrBox(static_cast<i32>(e));
    return;
  }
  for (i32 c = 1; c <= kSheetCols; ++c)
    if (SheetDeleteRows(nullptr, c, first, count) != 0) {
      ErrBox(kSheetErrMemory);
      break;
    }
  SheetRefPass(1, first, 1, count);
  RecalcIfAuto();
}

void InsertRows(i32 first, i32 count) {
  u32 e = SheetCheckRefPass(1, first, 0, count, 4u * kSheetCols * static_cast<u32>(count));
  if (e == 0) e = SheetRowInsert(first, count);
  if (e) {
    ErrBox(static_cast<i32>(e));
    return;
  }
  SheetRefPass(1, first, 0, count);
  RecalcIfAuto();
}

void DeleteCols(i32 first, i32 count) {
  if (const u32 e = SheetCheckRefPass(0, first, 1, count, 0)) {
    ErrBox(static_cast<i32>(e));
    return;
  }
  SheetDeleteColumns(nullptr, first, count);
  SheetRefPass(0, first, 1, count);
  RecalcIfAuto();
}

void InsertCols(i32 first, i32 count) {
  u32 e = SheetCheckRefPass(0, first, 0, count, 12u * static_cast<u32>(count));
  if (e == 0) e = SheetInsertColumns(nullptr, first, count);
  if (e) {
    ErrBox(static_cast<i32>(e));
    return;
  }
  SheetRefPass(0, first, 0, count);
  RecalcIfAuto();
}

// A field of `width` characters at (col, row): 0 on EXE with text, -2 EXIT,
// -1 QUIT.
i32 FieldInput(char *buf, u32 width, i32 col, i32 row) {
  u32 start = 0, cursor = static_cast<u32>(std::strlen(buf));
  for (;;) {
    start = EditRedrawLineIn(reinterpret_cast<u8 *>(buf), start, cursor, col, row, static_cast<i32>(width));
    u32 k = 0;
    if (KeyGetKey(&k)) {
      cursor = EditPutChar(reinterpret_cast<u8 *>(buf), width, cursor, k);
      continue;
    }
    if (k == kKeyExit || k == kKeyQuit) {
      TextCursorOff();
      return k == kKeyExit ? -2 : -1;
    }
    if (k == kKeyExe) {
      if (!buf[0]) continue;
      TextCursorOff();
      return 0;
    }
    if (k == kKeyAc || k == kKeyLeft || k == kKeyRight || k == kKeyDel)
      EditMoveCursorIn(reinterpret_cast<u8 *>(buf), width, &start, &cursor, k, col, row, static_cast<i32>(width));
  }
}

void GoTo(SheetView *v) {
  PopupOpenFramed(3);
  const i32 top = PopupFirstRow(3);
  TextLocate(3, top);
  TextPrint("Go To");
  TextLocate(8, top + 2);
  TextPrint("Cell:");
  for (;;) {
    // Five characters: a sixth is refused rather than read as a shorter row.
    char field[8] = {};
    const i32 r = FieldInput(field, 5, 13, top + 2);
    if (r == -2) break;
    if (r == -1) {
      ResetCursor(v);
      break;
    }
    i16 col = 0, row = 0;
    if (!SheetParseGoTo(field, &col, &row)) {
      ErrBox(kSheetErrSyntax);
      continue;
    }
    v->curCol = col;
    v->curRow = row;
    v->firstCol = static_cast<i16>(std::min<i32>(col, kSheetCols - 3));
    v->firstRow = static_cast<i16>(std::min<i32>(row, kSheetRows + 1 - v->visibleRows));
    if (v->selecting) {
      v->selEndCol = col;
      v->selEndRow = row;
    }
    break;
  }
  PopupCloseKind5();
}

// A GRPH or CALC command over the selection (or the rows or columns of the
// header mode); the graph flag follows its result, which is returned.
// What a statistics command's result means for the sheet: -27, -21 and
// -22 drop the graph flag, and -22 (QUIT) puts the cursor back on A1. The
// result is returned.
i32 FollowStatResult(i32 r, SheetView *v, bool *graphFlag) {
  if (r == -27 || r == -21 || r == -22) *graphFlag = false;
  if (r == -22) ResetCursor(v);
  return r;
}

i32 StatCommand(u32 code, SheetView *v, const SheetRange *sel, bool *graphFlag) {
  u32 command = 0;
  SheetStatCmdFromCode(code, &command);
  const i32 r = SheetStatCommand(command, sel);
  if (r == -23) *graphFlag = true;
  return FollowStatResult(r, v, graphFlag);
}

void MoveCursor(SheetView *v, u32 k) {
  if (v->selecting && (v->curCol == 0 || v->curRow == 0)) {
    // Whole rows or columns being picked: the cursor stays on its heading
    // (never the corner) and the selection's end follows it.
    if (v->curCol == 0) {
      if (k == kKeyUp && v->curRow > 1) --v->curRow;
      if (k == kKeyDown && v->curRow < kSheetRows) ++v->curRow;
      v->selEndRow = v->curRow;
    } else {
      if (k == kKeyLeft && v->curCol > 1) --v->curCol;
      if (k == kKeyRight && v->curCol < kSheetCols) ++v->curCol;
      v->selEndCol = v->curCol;
    }
  } else if (v->selecting) {
    if (k == kKeyLeft && v->curCol > 1) --v->curCol;
    if (k == kKeyRight && v->curCol >= 1 && v->curCol < kSheetCols) ++v->curCol;
    if (k == kKeyUp && v->curRow > 1) --v->curRow;
    if (k == kKeyDown && v->curRow >= 1 && v->curRow < kSheetRows) ++v->curRow;
    v->selEndCol = v->curCol;
    v->selEndRow = v->curRow;
  } else {
    if (k == kKeyLeft && v->curCol > 0) --v->curCol;
    if (k == kKeyRight && v->curCol < kSheetCols) ++v->curCol;
    if (k == kKeyUp && v->curRow > 0) --v->curRow;
    if (k == kKeyDown && v->curRow < kSheetRows) ++v->curRow;
  }
  if (v->curCol > 0 && v->curCol < v->firstCol) v->firstCol = v->curCol;
  if (v->curCol > v->firstCol + 3) v->firstCol = static_cast<i16>(v->curCol - 3);
  if (v->curRow > 0 && v->curRow < v->firstRow) v->firstRow = v->curRow;
  if (v->curRow > v->firstRow + v->visibleRows - 1) v->firstRow = static_cast<i16>(v->curRow - v->visibleRows + 1);
}

}  // namespace

u32 SheetInsertReference(char *text, u32 *cursor, const char *ref) {
  char joined[2 * (kSheetTextMax + 1)];
  const u32 len = static_cast<u32>(std::strlen(text));
  const u32 at = std::min(*cursor, len);
  std::memcpy(joined, text, at);
  const u32 refLen = static_cast<u32>(std::strlen(ref));
  std::memcpy(joined + at, ref, refLen);
  std::memcpy(joined + at + refLen, text + at, len - at + 1);
  // Cut at 255 bytes between characters: a two-byte token that would pass
  // the limit goes whole.
  u32 keep = 0;
  while (joined[keep]) {
    const u32 step = StrIsLeadByte(static_cast<u8>(joined[keep])) && joined[keep + 1] ? 2 : 1;
    if (keep + step > kSheetTextMax) break;
    keep += step;
  }
  joined[keep] = 0;
  std::memcpy(text, joined, keep + 1);
  *cursor = std::min(at + refLen, keep);
  return keep;
}

i32 SheetPickReference(SheetView *v, char *text, u32 *cursor, u32 *length) {
  static const FkeyItem kPickPage[6] = {Code(972, 32), Code(964, 23), Code(965, 24),
                                        Code(966, 25), Code(967, 26), Code(968, 27)};
  SheetView pick = *v;
  pick.selecting = 0;
  pick.marked = 0;
  pick.redraw = 1;
  const FkeyItem *saved[1];
  FkeySavePages(0, 0, saved);
  FkeySetPage(0, kPickPage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  TextCursorOff();
  i32 result = 0;
  for (;;) {
    SheetDrawScreen(&pick, 0, 0, nullptr, nullptr);
    SheetDrawSelection(&pick, 1, 0);
    FkeyDrawRow();
    u32 k = 0;
    if (KeyGetKey(&k)) continue;
    if (k == kKeyLeft || k == kKeyRight || k == kKeyUp || k == kKeyDown) {
      // The picker stays on cells: the headers are not reached.
      if (!((k == kKeyLeft && pick.curCol == 1) || (k == kKeyUp && pick.curRow == 1))) MoveCursor(&pick, k);
    } else if (k == kKeyClip) {
      pick.selStartCol = pick.selEndCol = pick.curCol;
      pick.selStartRow = pick.selEndRow = pick.curRow;
      pick.selecting = 1;
      pick.redraw = 0;
    } else if (k == kKeyExit) {
      if (!pick.selecting) break;
      pick.selecting = 0;
      pick.redraw = 1;
    } else if (k == kKeyQuit) {
      result = -1;
      break;
    } else if (k == 23) {
      GoTo(&pick);
    } else if (k >= 24 && k <= 27) {
      if (k == 24) pick.curRow = pick.firstRow = 1;
      if (k == 25) pick.curCol = pick.firstCol = 1;
      if (k == 26) pick.curRow = kSheetRows, pick.firstRow = static_cast<i16>(kSheetRows + 1 - pick.visibleRows);
      if (k == 27) pick.curCol = kSheetCols, pick.firstCol = kSheetCols - 3;
      if (pick.selecting) pick.selEndCol = pick.curCol, pick.selEndRow = pick.curRow;
    } else if (k == kKeyExe || k == 32) {
      char ref[16];
      SheetCellName(pick.selecting ? pick.selStartCol : pick.curCol, pick.selecting ? pick.selStartRow : pick.curRow,
                    ref);
      if (pick.selecting) {
        std::strcat(ref, ":");
        SheetCellName(pick.selEndCol, pick.selEndRow, ref + std::strlen(ref));
      }
      *length = SheetInsertReference(text, cursor, ref);
      break;
    }
  }
  FkeyPopLevel();
  FkeyRestorePages(0, 0, saved);
  KeyForgetDrawnRow();
  SheetDrawScreen(v, 0, 0, nullptr, nullptr);
  return result;
}

namespace {

void EndSelection(SheetView *v) {
  v->selecting = 0;
  v->marked = 0;
  v->redraw = 1;
}

}  // namespace

i32 SheetHeaderMode(SheetView *v, bool *graphFlag) {
  const FkeyItem *saved[7];
  FkeySavePages(0, 6, saved);
  InstallHeaderPages();
  bool onCorner = false, leave = false;
  i32 result = 0;
  while (!leave && (v->curCol == 0 || v->curRow == 0)) {
    const bool corner = v->curCol == 0 && v->curRow == 0;
    if (corner != onCorner) {
      // The corner has no commands: an empty row, and the menu back at its
      // root so that no page opened on a heading stays usable there.
      onCorner = corner;
      FkeySetPage(0, corner ? kBlankPage : kHeaderPages[0]);
      FkeyClearStack();
      FkeyPushLevel(0);
      KeyForgetDrawnRow();
    }
    SheetDrawScreen(v, 0, 2, nullptr, nullptr);
    SheetDrawSelection(v, v->selecting, 0);
    FkeyDrawRow();
    u16 mask = kMaskShiftVars | kMaskClip;
    if (v->selecting) mask |= kMaskOpt | kMaskShiftGroup;
    KeySetMenuMask(mask);
    u32 k = 0;
    if (KeyGetKey(&k)) continue;  // nothing is typed on a heading
    if (k == kKeyLeft || k == kKeyRight || k == kKeyUp || k == kKeyDown) {
      MoveCursor(v, k);
      continue;
    }
    if (k == kKeyQuit) {
      result = -1;
      break;
    }
    if (k == kKeyExit) {
      if (v->selecting) EndSelection(v);
      continue;
    }
    if (k == kKeySetup) {
      u32 changed = 0;
      SetupScreen(kSheetFolder, &changed);
      continue;
    }
    if (k == kKeyGraphTable) {
      if (*graphFlag && FollowStatResult(SheetStatCommand(0, nullptr), v, graphFlag) == -22) {
        result = -1;
        leave = true;
      }
      continue;
    }
    if (corner) continue;
    const bool rows = v->curCol == 0;
    i32 first = 0, count = 0;
    SheetHeaderSpan(v, &first, &count);
    const i32 last = first + count - 1;
    switch (k) {
      case kKeyClip:  // picks whole rows or columns from the cursor's
        if (rows) {
          v->selStartCol = v->markCol1 = 1;
          v->selEndCol = v->markCol2 = kSheetCols;
          v->selStartRow = v->selEndRow = v->markRow1 = v->markRow2 = v->curRow;
        } else {
          v->selStartCol = v->selEndCol = v->markCol1 = v->markCol2 = v->curCol;
          v->selStartRow = v->markRow1 = 1;
          v->selEndRow = v->markRow2 = kSheetRows;
        }
        v->selecting = 1;
        v->marked = 1;
        break;
      case 1:  // CLR
        if (rows) ClearRange({1, static_cast<i16>(first), kSheetCols, static_cast<i16>(last)});
        else SheetClearColumns(nullptr, first, count);
        RecalcIfAuto();
        break;
      case 8: case 9: {  // cut, COPY: the picked block, else the row or column
        SheetMaskEvalStates(nullptr, 0);
        u32 err = 0;
        const i32 r = SheetPasteMode(v, v->selecting ? 3 : 2, k == 8 ? 2 : 1, &err);
        EndSelection(v);
        if (r == -1) {
          result = -1;
          leave = true;
        } else {
          InstallHeaderPages();
          onCorner = false;
        }
        break;
      }
      case 14: case 15: {  // SRT-A, SRT-D: one row or one column
        if (v->selecting && v->selStartCol != v->selEndCol && v->selStartRow != v->selEndRow) {
          ErrBox(kSheetErrRange);
          break;
        }
        SheetRange r = rows ? SheetRange{1, v->curRow, kSheetCols, v->curRow}
                            : SheetRange{v->curCol, 1, v->curCol, kSheetRows};
        if (const u32 e = SheetSortRange(&r, k == 15)) {
          ErrBox(static_cast<i32>(e == kSheetErrLimit ? kSheetErrRange : e));
          break;
        }
        RecalcIfAuto();
        break;
      }
      case 54:  // DEL
        if (rows) DeleteRows(first, count);
        else DeleteCols(first, count);
        break;
      case 55:  // INS
        if (rows) InsertRows(first, count);
        else InsertCols(first, count);
        break;
      default:
        if (k >= 28 && k <= 45) {  // GRPH, CALC over the rows or columns
          const SheetRange sel = rows ? SheetRange{1, static_cast<i16>(first), kSheetCols, static_cast<i16>(last)}
                                      : SheetRange{static_cast<i16>(first), 1, static_cast<i16>(last), kSheetRows};
          if (StatCommand(k, v, &sel, graphFlag) == -22) {
            result = -1;
            leave = true;
          }
        }
        break;
    }
  }
  EndSelection(v);
  FkeyRestorePages(0, 6, saved);
  KeyForgetDrawnRow();
  return result;
}

u32 SheetAppMain(u32, u16) {
  SheetView view{};
  SheetView *v = &view;
  view.visibleRows = 5;
  ResetCursor(v);
  if (SheetClassifyName(kSheetDefaultName) == 1) SheetMakeDefault();
  char name[9];
  SheetGetCurrentName(name);
  if (!SheetOpen(nullptr)) {
    // A current item that is no sheet: the default sheet takes its place.
    SheetMakeDefault();
    if (!SheetOpen(nullptr)) ErrBox(kSheetErrNotSheet);
  }
  bool graphFlag = false;
  InstallCellPages();
  u32 lastKey = 0;
  for (;;) {
    if (v->curCol == 0 || v->curRow == 0) {
      // On a row number or a column letter the header mode runs until the
      // cursor is back on a cell.
      if (SheetHeaderMode(v, &graphFlag) == -1) ResetCursor(v);
      InstallCellPages();
      lastKey = 0;
    }
    SheetDrawScreen(v, lastKey, 0, nullptr, nullptr);
    SheetDrawSelection(v, 0, 0);
    FkeyDrawRow();
    u16 mask = kMaskShiftVars | kMaskClip;
    if (v->selecting) mask |= kMaskOpt | kMaskShiftGroup;
    KeySetMenuMask(mask);
    u32 k = 0;
    if (KeyGetKey(&k)) {
      if (!v->selecting) {
        if (SheetEditCell(1, k, v, 0) == -1) ResetCursor(v);
      }
      continue;
    }
    lastKey = (k == kKeyDms || k == kKeyEngDown || k == kKeyEngUp || k == kKeyFracForm || k == kKeyFracDec) ? k : 0;
    const SheetRange range = CommandRange(v);
    const i32 count = range.row2 - range.row1 + 1;
    switch (k) {
      case kKeyLeft: case kKeyRight: case kKeyUp: case kKeyDown:
        MoveCursor(v, k);
        break;
      case kKeyExit: case kKeyShift: case kKeyOptn:
        if (k == kKeyExit || v->selecting) EndSelection(v);
        break;
      case kKeyClip:
        v->selStartCol = v->selEndCol = v->markCol1 = v->markCol2 = v->curCol;
        v->selStartRow = v->selEndRow = v->markRow1 = v->markRow2 = v->curRow;
        v->selecting = 1;
        v->marked = 1;
        v->redraw = 0;
        break;
      case kKeyQuit:
        ResetCursor(v);
        InstallCellPages();
        break;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen(kSheetFolder, &changed);
        break;
      }
      case 1:  // CLR
        ClearRange(range);
        RecalcIfAuto();
        break;
      case 7:  // RECAL
        Recalc();
        break;
      case 8: case 9: {  // cut, COPY
        SheetMaskEvalStates(nullptr, 0);
        u32 err = 0;
        const i32 r = SheetPasteMode(v, v->selecting ? 3 : 1, k == 8 ? 2 : 1, &err);
        if (r == -1) ResetCursor(v);
        EndSelection(v);
        InstallCellPages();
        break;
      }
      case 10: {  // CELL
        const u32 kinds = SheetCellKinds(nullptr, v->curCol, v->curRow);
        if (!v->selecting && kinds && SheetEditCell(0, kKeyRight, v, kinds) == -1) ResetCursor(v);
        break;
      }
      case 16: DeleteRows(range.row1, count); break;
      case 17: DeleteCols(range.col1, range.col2 - range.col1 + 1); break;
      case 46: InsertRows(range.row1, count); break;
      case 47: InsertCols(range.col1, range.col2 - range.col1 + 1); break;
      case 18: {  // DEL ALL
        PopupOpenFramed(4);
        const i32 top = PopupFirstRow(4);
        TextLocate(3, top);
        TextPrint("Delete All?");
        TextLocate(3, top + 2);
        TextPrint("Yes:[F1]");
        TextLocate(3, top + 3);
        TextPrint("No :[F6]");
        // F1 and F6 answer whatever page the DEL menu left on the row: a
        // blank page of its own hands them over as plain keys.
        FkeyStackState menus{};
        FkeySaveStack(&menus);
        const FkeyItem *page = FkeyPageOf(0);
        FkeySetPage(0, kBlankPage);
        FkeyResetStack();
        FkeyPushLevel(0);
        KeyForgetDrawnRow();
        const u32 answer = PopupWaitKey({kKeyF1, kKeyF6, kKeyExit, kKeyQuit, kKeyExe});
        FkeySetPage(0, page);
        FkeyRestoreStack(&menus);
        KeyForgetDrawnRow();
        PopupCloseKind5();
        if (answer == kKeyF1 || answer == kKeyExe) {
          SheetClearColumns(nullptr, 1, kSheetCols);
          ResetCursor(v);
        } else if (answer == kKeyQuit) {
          ResetCursor(v);
        }
        break;
      }
      case 23: GoTo(v); FkeyPop(); break;
      case 24: v->curRow = v->firstRow = 1; if (v->selecting) v->selEndRow = 1; FkeyPop(); break;
      case 25: v->curCol = v->firstCol = 1; if (v->selecting) v->selEndCol = 1; FkeyPop(); break;
      case 26:
        v->curRow = kSheetRows;
        v->firstRow = static_cast<i16>(kSheetRows + 1 - v->visibleRows);
        if (v->selecting) v->selEndRow = kSheetRows;
        FkeyPop();
        break;
      case 27:
        v->curCol = kSheetCols;
        v->firstCol = kSheetCols - 3;
        if (v->selecting) v->selEndCol = kSheetCols;
        FkeyPop();
        break;
      case 14: case 15: {  // SRT-A, SRT-D
        if (!v->selecting) break;
        SheetRange r = range;
        const u32 e = SheetSortRange(&r, k == 15);
        if (e) {
          ErrBox(static_cast<i32>(e == kSheetErrLimit ? kSheetErrRange : e));
          break;
        }
        EndSelection(v);
        v->curCol = v->selEndCol;
        v->curRow = v->selEndRow;
        RecalcIfAuto();
        break;
      }
      case kKeyGraphTable:
        if (graphFlag) FollowStatResult(SheetStatCommand(0, nullptr), v, &graphFlag);
        break;
      default:
        if (k >= 28 && k <= 45) StatCommand(k, v, v->selecting ? &range : nullptr, &graphFlag);
        break;
      case 4: case 5: case 6: {  // NEW, OPEN, SV-AS
        char typed[9] = {};
        const i32 r = k == 5 ? SheetOpenScreen() : SheetNameInput(typed, k == 6 ? 1 : 0);
        if (r == -1) ResetCursor(v);
        if (r == 0 && k != 6) ResetCursor(v);
        SheetGetCurrentName(name);
        if (!SheetOpen(nullptr)) ErrBox(kSheetErrNotSheet);
        v->selecting = 0;
        v->marked = 0;
        InstallCellPages();
        break;
      }
      case 12: {  // SEQ
        const i16 cell[2] = {v->curCol, v->curRow};
        const i32 r = SheetSeqCommand(cell);
        if (r == -1) {
          ResetCursor(v);
        } else if (r == 0) {
          RecalcIfAuto();
        }
        break;
      }
      case 13: {  // Fill
        if (SheetRangeDialog(&range, 5, 0) == -1) ResetCursor(v);
        break;
      }
      case 19: case 20: case 21: case 22:  // STO VAR, LIST, FILE, MAT
      case 50: case 51: case 52: {         // RCL LIST, FILE, MAT
        const bool store = k <= 22;
        const i32 r = SheetRangeDialog(&range, store ? k - 18 : k - 48, store ? 1 : 0);
        if (r == -1) ResetCursor(v);
        if (r == 0 && !store) RecalcIfAuto();
        EndSelection(v);
        break;
      }
    }
  }
}
