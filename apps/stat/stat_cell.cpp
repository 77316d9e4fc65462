// The list editor's cell editing on the bottom line and its list tools:
// deleting a whole list and sorting up to six lists together.
#include <cstdio>
#include <cstring>

#include "apps/calc/runmat_glue.h"
#include "apps/stat/stat_editor.h"
#include "apps/stat/stat_error.h"
#include "eval/eval.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/value.h"
#include "numeric/list_mem.h"
#include "numeric/sort.h"
#include "kernel/keyqueue.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {
constexpr u16 kCellInputMask = 224;  // SHIFT and ALPHA groups and the catalog rest
constexpr u32 kSubNameBytes = 8;
constexpr i32 kLineRow = 7;



// The cursor one row down after a cell was entered (or left unchanged),
// the first shown row following it.
void StepDown(i32 *row, i32 *topRow, i32 count) {
  if (*row == -1) {
    *row = 1;
    *topRow = 1;
    return;
  }
  if (*row < kStatMaxRow && *row <= count) ++*row;
  const i32 visible = StatVisibleRows();
  if (*row > *topRow + visible - 1) *topRow = *row - visible + 1;
}

// Moves the edit cursor to the character before the one where evaluation
// stopped.
u32 CursorBefore(const u8 *buf, TokPos stop) {
  const u32 at = static_cast<u32>(stop - buf);
  const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<const char *>(buf)));
  u32 prev = 0;
  for (u32 i = 0; i < at && i < len; i += StrIsLeadByte(buf[i]) && buf[i + 1] ? 2 : 1) prev = i;
  return at > 0 && at <= len ? prev : 0;
}

// Fills the line with the cell's present content: 1, or 0 when the
// element cannot be read.
bool FillFromCell(u8 *buf, i32 list, i32 row) {
  if (row == -1) {
    char sub[9];
    ItemListGetSubName(0, static_cast<u8>(list), sub);
    std::memcpy(buf, sub, sizeof sub);
    return true;
  }
  Value v;
  if (row < 1 || ItemListGet(0, static_cast<u8>(list), static_cast<u32>(row), &v) != 0) return false;
  u8 tokens[45];
  NumToTokens(&v, tokens);
  std::memcpy(buf, tokens, sizeof tokens);
  return true;
}

// EXE on a title cell: a list value replaces the whole list. 1 stored, 0
// error shown (editing goes on).
bool StoreWholeList(const u8 *buf, i32 list, u32 *cursor) {
  TokPos pos = buf;
  EvalCell cell;
  if (EvalFormula(&pos, 4, &cell) == 0) {
    const i32 code = ValErrorCode(&cell);
    ErrBox(code != 0 ? code : kStatErrSyntax);
    *cursor = CursorBefore(buf, pos);
    return false;
  }
  if (ValKind(&cell) != kValKindList) {
    EvalFreeCell(&cell);
    ErrBox(kStatErrMa);
    return false;
  }
  u32 busy = 0;
  LcdBusySave(&busy);
  LcdShowBusyIndicator();
  const u32 r = ItemListStoreValue(0, static_cast<u8>(list), &cell);
  LcdBusyRestore(&busy);
  EvalFreeCell(&cell);
  if (r != 0) {
    ErrBox(static_cast<i32>(r));
    return false;
  }
  return true;
}

}  // namespace

i32 StatVisibleRows() { return SetupGetItem(kSetupSubName) == 0 ? 4 : 5; }

i32 StatEditCell(u32 typed, u32 *key, i32 firstList, i32 *topRow, i32 curList, i32 *row, i32 *count) {
  // The bottom text may have covered the last element row: the table is
  // drawn again with the bottom line empty.
  StatDrawListTable(firstList, topRow, curList, *row, "");
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kCellInputMask);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  const bool subRow = *row == -1;
  const u32 size = subRow ? kSubNameBytes : kEditLineMax;
  u8 buf[kEditLineMax + 1] = {};
  u32 cursor = 0;
  u32 start = 0;
  i32 result = -2;
  bool editing = true;
  if (typed) {
    cursor = EditPutChar(buf, size, 0, *key);
  } else if (!FillFromCell(buf, curList, *row)) {
    editing = false;
  } else {
    buf[size] = 0;
    cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
  }
  while (editing) {
    start = EditRedrawLine(buf, start, cursor, 1, kLineRow);
    FkeyDrawRow();
    u32 k = 0;
    u32 isChar = KeyGetKey(&k);
    if (!isChar && k == kKeyXThetaT) {
      k = subRow ? 'X' : RunMatGlueGraphVarChar();
      isChar = 1;
    }
    if (isChar) {
      if (subRow || (k != 13 && k != 0x0E && k != 0)) cursor = EditPutChar(buf, size, cursor, k);
      continue;
    }
    if (k == kKeyExit || k == kKeyQuit) {
      result = k == kKeyExit ? -2 : -1;
      break;
    }
    if (k != kKeyExe) {
      EditMoveCursorEx(buf, size, &start, &cursor, &k, 1, kLineRow, 21);
      continue;
    }
    if (buf[0] == 0) {
      // An empty line leaves the cell as it is; the cursor moves on unless
      // it is on the append cell.
      if (*row == -1 || (*row >= 1 && *row <= *count)) StepDown(row, topRow, *count);
      result = -6;
      break;
    }
    if (subRow) {
      if (ItemListSetSubName(0, static_cast<u8>(curList), reinterpret_cast<char *>(buf)) != 0) {
        ErrBox(kStatErrMemory);
        result = -2;
        break;
      }
      StepDown(row, topRow, *count);
      result = 0;
      break;
    }
    if (*row == 0) {
      if (!StoreWholeList(buf, curList, &cursor)) continue;
      *count = static_cast<i32>(ItemListSize(0, static_cast<u8>(curList)));
      result = 0;
      break;
    }
    TokPos pos = buf;
    EvalCell cell;
    if (EvalFormula(&pos, 2, &cell) == 0) {
      const i32 code = ValErrorCode(&cell);
      ErrBox(code != 0 ? code : kStatErrSyntax);
      cursor = CursorBefore(buf, pos);
      continue;
    }
    if (ItemListSet(0, static_cast<u8>(curList), static_cast<u32>(*row), &cell) != 0) {
      ErrBox(kStatErrMemory);
      result = -2;
      break;
    }
    *count = static_cast<i32>(ItemListSize(0, static_cast<u8>(curList)));
    StepDown(row, topRow, *count);
    result = 0;
    break;
  }
  TextCursorOff();
  FkeyPopLevel();
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return result;
}

namespace {

void PrintMsg(i32 id, i32 col, i32 row) {
  char text[40];
  if (MsgText(id, text) == nullptr) return;
  TextLocate(col, row);
  TextPrint(text);
}

// The pop-up frame of the list tools with its messages from row 2.
void OpenToolWindow(std::initializer_list<i32> messages) {
  PopupDrawWindow(6);
  i32 row = 2;
  for (i32 id : messages) PrintMsg(id, 1, row++);
}

}  // namespace

i32 StatDeleteListConfirm(i32 list) {
  PopupOpen(5);
  PopupDrawWindow(4);
  i32 row = PopupFirstRow(4);
  for (i32 id : {222, 223, 2, 3}) PrintMsg(id, 1, row++);
  const u32 key = PopupWaitKey({kKeyF1, kKeyExit, kKeyF6, kKeyQuit});
  PopupClose(5);
  if (key == kKeyF1) {
    ItemListDelete(0, static_cast<u8>(list));
    return 0;
  }
  return key == kKeyQuit ? -1 : -2;
}

i32 StatInputListNumber(Value *out, int *number) {
  for (;;) {
    TextLocate(3, 5);
    TextPrint("     List No:    ");
    char digits[4] = {};
    const i32 r = TextInputTwoDigits(digits, 17, 5);
    if (r != 0) return r;
    int n = 0;
    std::sscanf(digits, "%d", &n);
    if (n < 1 || n > kStatListCount) {
      ErrBox(kStatErrArgument);
      continue;
    }
    if (ItemListSize(0, static_cast<u8>(n)) == 0) {
      ErrBox(kStatErrDimension);
      continue;
    }
    ListFromMemory(0, n, out);
    *number = n;
    return 0;
  }
}

i32 StatSortListsDialog(u32 code) {
  const bool up = code == 26;
  PopupOpen(5);
  i32 howMany = 0;
  i32 result = 0;
  for (;;) {
    OpenToolWindow(up ? std::initializer_list<i32>{427, 428, 429, 430} : std::initializer_list<i32>{203, 204, 205, 206});
    PrintMsg(up ? 431 : 207, 1, 6);
    char digits[4] = {};
    result = TextInputDigitsField(digits, 17, 6, 2);
    if (result != 0) break;
    std::sscanf(digits, "%d", &howMany);
    if (howMany >= 1 && howMany <= 6) break;
    ErrBox(kStatErrArgument);
  }
  Value lists[6];
  int numbers[6] = {};
  if (result == 0) {
    for (i32 i = 0; i < howMany && result == 0; ++i) {
      for (;;) {
        if (howMany == 1) {
          OpenToolWindow({208, 209});
        } else {
          OpenToolWindow({6, 210 + 2 * i, 211 + 2 * i});
        }
        result = StatInputListNumber(&lists[i], &numbers[i]);
        if (result != 0) break;
        bool bad = false;
        for (i32 j = 0; j < i; ++j) bad = bad || numbers[j] == numbers[i];
        if (i > 0 && ItemListSize(0, static_cast<u8>(numbers[i])) != ItemListSize(0, static_cast<u8>(numbers[0])))
          bad = true;
        if (!bad) break;
        ErrBox(kStatErrDimension);
      }
    }
  }
  PopupClose(5);
  if (result != 0) return result;
  Value *ptrs[6];
  for (i32 i = 0; i < howMany; ++i) {
    ListFromMemory(0, numbers[i], &lists[i]);
    ptrs[i] = &lists[i];
  }
  u32 busy = 0;
  LcdBusySave(&busy);
  LcdShowBusyIndicator();
  KeyBreakArm();
  const u32 r = up ? SortListsAscending(howMany, ptrs) : SortListsDescending(howMany, ptrs);
  LcdBusyRestore(&busy);
  if (r != 0) ErrBox(static_cast<i32>(r));
  return 0;
}
