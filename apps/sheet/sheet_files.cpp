// The spreadsheet's file screens: the name screen of NEW and SV-AS, the
// sheet list of OPEN with its DEL, their pop-ups, and the one-field input
// the range dialogs use.
#include <cstdio>
#include <cstring>

#include "apps/calc/prog_list.h"
#include "apps/calc/runmat_glue.h"
#include "apps/sheet/sheet_cmds.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/popup.h"
#include "ui/text.h"

namespace {

constexpr u16 kMaskDialog = 231;
constexpr u16 kMaskName = 247;
constexpr FkeyItem kBlank{0, kFkeyBlank, 0};
constexpr FkeyItem kBlankPage[6] = {kBlank, kBlank, kBlank, kBlank, kBlank, kBlank};

// The closing keys of a Yes/No pop-up: F1 (or EXE) 0, F6 or EXIT -2,
// SHIFT+EXIT -1. F1 may come as the code of the page under the pop-up.
i32 YesNo() {
  const u32 k = PopupWaitKey({kKeyF1, 1, kKeyExe, kKeyF6, kKeyExit, kKeyQuit});
  if (k == kKeyQuit) return -1;
  return k == kKeyF6 || k == kKeyExit ? -2 : 0;
}

void PaddedName(const char *name, char out[11]) {
  std::snprintf(out, 11, "[%-8.8s]", name);
}

// Saves the current sheet under name and makes it current; the old sheet
// stays current when anything fails. 0 or Memory ERROR's code.
u32 SaveAs(const char *name) {
  char old[9];
  SheetGetCurrentName(old);
  if (SheetSaveAs(name, old) != 0) return kSheetErrMemory;
  return SheetSetCurrentName(name) == 1 ? 0 : kSheetErrMemory;
}

// NEW: an empty sheet of that name (or the sheet that has it) becomes
// current. 0, 4, or 36 when the name belongs to an item that is no sheet.
u32 MakeCurrent(const char *name) {
  const u32 kind = SheetClassifyName(name);
  if (kind == 2) return kSheetErrNotSheet;
  if (kind == 1 && !SheetCreate(name, nullptr)) return kSheetErrMemory;
  return SheetSetCurrentName(name) == 1 ? 0 : kSheetErrMemory;
}

}  // namespace

void SheetScreenEnter(SheetScreenSave *s, u16 mask, const FkeyItem page0[6]) {
  s->mask = KeyGetMenuMask();
  s->modifier = KeyGetModifier();
  TextGetCursor(&s->cursor);
  FkeySaveGroups(s->groups);
  FkeySavePages(0, 2, s->pages);
  KeySetMenuMask(mask);
  FkeySetPage(0, page0);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
}

void SheetScreenLeave(const SheetScreenSave *s) {
  FkeyPopLevel();
  FkeyRestorePages(0, 2, s->pages);
  FkeyRestoreGroups(s->groups);
  KeySetMenuMask(s->mask);
  KeySetModifier(s->modifier);
  PopupRestoreCursor(s->cursor);
  KeyForgetDrawnRow();
}

i32 SheetOverwritePopup(const char *name) {
  char field[11];
  PaddedName(name, field);
  PopupOpenFramed(5);
  const i32 top = PopupFirstRow(5);
  const char *lines[5] = {field, "Already Exists", "Overwrite OK?", "Yes:[F1]", "No :[F6]"};
  for (i32 i = 0; i < 5; ++i) {
    TextLocate(3, top + i);
    TextPrint(lines[i]);
  }
  const i32 r = YesNo();
  PopupCloseKind5();
  return r;
}

i32 SheetDeletePopup(const char *name) {
  PopupOpenFramed(4);
  const i32 top = PopupFirstRow(4);
  const char *lines[4] = {"Delete Sheet?", "", "Yes:[F1]", "No :[F6]"};
  for (i32 i = 0; i < 4; ++i) {
    TextLocate(3, top + i);
    TextPrint(lines[i]);
  }
  const i32 r = YesNo();
  PopupCloseKind5();
  if (r != 0) return r;
  if (const u32 e = SheetDelete(name)) ErrBox(static_cast<i32>(e));
  return 0;
}

i32 SheetNameInput(char *out, u32 saveAs) {
  SheetScreenSave state;
  SheetScreenEnter(&state, kMaskName, kBlankPage);
  u8 buf[9] = {};
  u32 cursor = 0, start = 0;
  i32 result = 1;
  KeySetModifier(kModAlphaLock);
  KeyCursorFromState();
  while (result == 1) {
    LcdClearVram();
    TextLocate(1, 1);
    TextPrint("Spread Sheet Name");
    TextLocate(1, 2);
    TextPrint("[        ]");
    FkeyDrawRow();
    start = EditRedrawLineIn(buf, start, cursor, 2, 2, 8);
    u32 key = 0;
    if (KeyGetKey(&key)) {
      if (ProgEditIsNameChar(key) && key < 0x100) cursor = EditPutChar(buf, 8, cursor, key);
      continue;
    }
    switch (key) {
      case kKeyExit: result = -2; break;
      case kKeyQuit: result = -1; break;
      case kKeyXThetaT: cursor = EditPutChar(buf, 8, cursor, RunMatGlueGraphVarChar()); break;
      case kKeyExe: {
        if (!buf[0]) break;
        const char *name = reinterpret_cast<const char *>(buf);
        TextCursorOff();
        if (!saveAs) {
          const u32 e = MakeCurrent(name);
          if (e) ErrBox(static_cast<i32>(e));
          else std::memcpy(out, buf, 9);
          result = e ? -2 : 0;
          break;
        }
        std::memcpy(out, buf, 9);
        if (SheetClassifyName(name) != 1) {
          const i32 answer = SheetOverwritePopup(name);
          if (answer == -1) result = -1;
          if (answer != 0) {
            KeyCursorFromState();
            break;
          }
        }
        if (const u32 e = SaveAs(name)) {
          ErrBox(static_cast<i32>(e));
          result = -2;
        } else {
          result = 0;
        }
        break;
      }
      default:
        if (key == kKeyAc || key == kKeyLeft || key == kKeyRight || key == kKeyDel || key == kKeyPaste)
          EditMoveCursorIn(buf, 8, &start, &cursor, key, 2, 2, 8);
        break;
    }
  }
  TextCursorOff();
  SheetScreenLeave(&state);
  return result;
}

i32 SheetOpenScreen() {
  SheetScreenSave state;
  SheetScreenEnter(&state, kMaskDialog, kBlankPage);
  static const FkeyItem kListPage[6] = {{9, kFkeyKeyCode, 1}, kBlank, kBlank, kBlank, kBlank, kBlank};
  TextCursorOff();
  u32 count = SheetCount();
  u32 top = 1, sel = 1;
  i32 result = 1;
  while (result == 1) {
    FkeySetPage(0, count ? kListPage : kBlankPage);
    KeyForgetDrawnRow();
    LcdClearVram();
    TextLocate(1, 1);
    TextPrint("Spread Sheet List");
    char names[8][9] = {};
    const u32 got = count ? SheetListNames(names, top, 8) : 0;
    if (count == 0) {
      TextLocate(1, 4);
      TextPrint("No Sheets");
    }
    for (u32 i = 0; i < 6 && i < got; ++i) {
      char line[32];
      std::snprintf(line, sizeof line, " %-19.19s", names[i]);
      TextLocate(1, static_cast<i32>(i) + 2);
      if (top + i == sel) TextPrintRev(line);
      else TextPrint(line);
      const char *mark = " ";
      if (i == 0 && top > 1) mark = "\xE6\x92";
      if (i == 5 && top + 5 < count) mark = "\xE6\x93";
      TextLocate(21, static_cast<i32>(i) + 2);
      TextPrint(mark);
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) continue;
    const char *selName = sel >= top && sel - top < got ? names[sel - top] : nullptr;
    switch (key) {
      case kKeyDown:
        if (sel < count) {
          ++sel;
          if (sel > top + 5) ++top;
        } else {
          count = SheetCount();
          sel = top = 1;
        }
        break;
      case kKeyUp:
        if (sel > 1) {
          --sel;
          if (sel < top) top = sel;
        } else {
          count = SheetCount();
          sel = count ? count : 1;
          top = count > 6 ? count - 5 : 1;
        }
        break;
      case kKeyExe:
        if (selName) {
          if (SheetClassifyName(selName) == 0) SheetSetCurrentName(selName);
          else ErrBox(kSheetErrNotSheet);
        }
        result = 0;
        break;
      case 1: {
        if (!selName) break;
        char name[9];
        std::memcpy(name, selName, 9);
        const i32 r = SheetDeletePopup(name);
        if (r == -1) result = -1;
        if (r == 0) {
          count = SheetCount();
          sel = top = 1;
        }
        break;
      }
      case kKeyExit: result = -2; break;
      case kKeyQuit: result = -1; break;
      default: break;
    }
  }
  SheetScreenLeave(&state);
  return result;
}

// ---- one field of a dialog ----

namespace {

constexpr FkeyItem In(i16 icon, u32 token) { return {icon, kFkeyInput, token}; }
const FkeyItem kFormulaPages[3][6] = {
    {In(952, '$'), In(515, ':'), In(516, 0x7FEF), {124, kFkeySubMenu, 1}, {513, kFkeySubMenu, 2}, kBlank},
    {In(169, 0x7FEB), In(170, 0x7FEC), In(171, 0x7FED), In(32, 0x7FEE), In(173, 0x7FE9), In(174, 0x7FEA)},
    {In(548, 0x3D), In(549, 0x11), In(550, 0x3E), In(551, 0x3C), In(552, 0x12), In(553, 0x10)},
};


bool Takes(u32 kind, u32 c) {
  const bool letter = c >= 'A' && c <= 'Z';
  switch (kind) {
    case kSheetFieldNumber: return c >= '0' && c <= '9';
    case kSheetFieldLetter: return letter;
    case kSheetFieldVariable: return letter || c == kChrR || c == kChrTheta;
    default: return true;
  }
}

}  // namespace

u32 SheetFieldInput(u32 isChar, u32 key, u32 column, u32 row, u32 maximum, u32 *result, const char *prompt,
                    char *text, u32 kind) {
  const bool expr = kind == kSheetFieldExpr || kind == kSheetFieldFormula;
  const u32 size = kind == kSheetFieldNumber ? 2 : expr ? kSheetTextMax : 1;
  if (isChar && !Takes(kind, key)) return key;
  SheetScreenSave state;
  SheetScreenEnter(&state, kMaskDialog, kBlankPage);
  if (kind == kSheetFieldFormula)
    for (i32 p = 0; p < 3; ++p) FkeySetPage(p, kFormulaPages[p]);
  KeyForgetDrawnRow();
  u8 buf[kSheetTextMax + 1] = {};
  u32 cursor = 0, start = 0;
  if (isChar) {
    cursor = EditPutChar(buf, size, 0, key);
  } else if (key == kKeyRight) {
    if (expr) {
      std::strncpy(reinterpret_cast<char *>(buf), text, kSheetTextMax);
    } else if (kind == kSheetFieldNumber) {
      std::snprintf(reinterpret_cast<char *>(buf), sizeof buf, "%u", *result % 100);
    } else if (*result >= 1 && *result <= 26) {
      buf[0] = static_cast<u8>(64 + *result);
    } else if (kind == kSheetFieldVariable && (*result == 27 || *result == 28)) {
      buf[0] = *result == 27 ? kChrR : kChrTheta;
    }
    cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(buf)));
  }
  const i32 col = static_cast<i32>(column), line = static_cast<i32>(row);
  const i32 width = 22 - col;
  TextLocate(1, line);
  TextPrintField(prompt, col - 1);
  u32 end = 0;
  while (end == 0) {
    start = EditRedrawLineIn(buf, start, cursor, col, line, width);
    FkeyDrawRow();
    u32 k = 0;
    if (KeyGetKey(&k)) {
      if (Takes(kind, k)) cursor = EditPutChar(buf, size, cursor, k);
      continue;
    }
    if (k == kKeyXThetaT) {
      if (expr) cursor = EditPutChar(buf, size, cursor, 'X');
      continue;
    }
    if (k == kKeyExit || k == kKeyQuit) {
      end = k;
      continue;
    }
    if (k == kKeyExe) {
      const char *s = reinterpret_cast<const char *>(buf);
      if (expr) {
        std::strcpy(text, s);
        end = k;
        continue;
      }
      if (kind != kSheetFieldNumber) {
        if (!buf[0]) continue;
        if (buf[0] >= 'A' && buf[0] <= 'Z') *result = buf[0] - 64u;
        else if (kind == kSheetFieldVariable && (buf[0] == kChrR || buf[0] == kChrTheta))
          *result = buf[0] == kChrR ? 27 : 28;
        else {
          ErrBox(kSheetErrSyntax);
          continue;
        }
        end = k;
        continue;
      }
      u32 n = 0;
      bool digits = buf[0] != 0;
      for (const char *p = s; *p; ++p) {
        if (*p < '0' || *p > '9') digits = false;
        else n = n * 10 + static_cast<u32>(*p - '0');
      }
      if (!digits) {
        ErrBox(kSheetErrSyntax);
        continue;
      }
      if (n < 1 || n > maximum) {
        ErrBox(8);
        continue;
      }
      *result = n;
      end = k;
      continue;
    }
    if (k == kKeyAc || k == kKeyLeft || k == kKeyRight || k == kKeyDel || k == kKeyPaste || k == kKeyClipLeft ||
        k == kKeyClipRight)
      EditMoveCursorIn(buf, size, &start, &cursor, k, col, line, width);
  }
  TextCursorOff();
  SheetScreenLeave(&state);
  return end;
}
