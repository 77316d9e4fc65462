// The Solver: one equation typed in the variables A-Z, r and theta, the
// values of its variables and the bounds, and the root of the variable
// under the cursor.
#include <cstdio>
#include <cstring>

#include "apps/calc/equa.h"
#include "kernel/keyqueue.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/equa_solve.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/setup_screen.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

constexpr u32 kErrMath = 3;
constexpr u32 kErrTimeOut = 29;
constexpr u32 kEditSize = 255;
constexpr u32 kShownLines = 6;
constexpr size_t kLineBytes = 96;

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }
const FkeyItem kSolverPage[6] = {K(70, 1), K(56, 2), B, B, B, K(328, 3)};
const FkeyItem kBlankPage[6] = {B, B, B, B, B, B};
const FkeyItem kResultPage[6] = {K(697, 1), B, B, B, B, B};

bool IsBound(u8 c) { return c == kEquaLineLower || c == kEquaLineUpper; }

void Reopen(u32 menu) {
  FkeyPopLevel();
  FkeyPushLevel(menu);
  KeyForgetDrawnRow();
}

// "A", "r", "θ": the variable's name as text.
void NameOf(u8 code, char *out) {
  out[0] = static_cast<char>(code);
  out[1] = 0;
}

// The variable's value made real (a complex value keeps its real part).
Value RealValue(u8 code) {
  Value v;
  SysReadVariable(code, &v);
  if (ValIsComplex(&v) == 1) {
    v.re.b[0] &= 0x7F;
    RealSetZero(&v.im);
    SysStoreVariable(code, &v);
  }
  return v;
}

void EquationLine(const u8 *text, bool reversed) {
  char line[96] = "Eq:";
  char expanded[2 * 42 + 1];
  StrExpandTokens(reinterpret_cast<const char *>(text), expanded, 42);
  std::strncat(line, expanded, sizeof line - 4);
  TextLocate(1, 1);
  if (reversed) TextPrintFieldRev(line, 21);
  else TextPrintField(line, 21);
}

// The text of line entry `code` (a variable or a bound).
void EntryText(u8 code, const BcdReal *lower, const BcdReal *upper, char *out) {
  char value[kNumTextSize];
  if (IsBound(code)) {
    Value v;
    std::memset(&v, 0, sizeof v);
    v.re = code == kEquaLineLower ? *lower : *upper;
    NumToText(&v, value);
    std::snprintf(out, kLineBytes, "%s%s", code == kEquaLineLower ? " Lower=" : " Upper=", value);
    return;
  }
  Value v = RealValue(code);
  NumFormatCell10(&v, value);
  if (std::strcmp(value, "ERROR") == 0) {
    // A variable that cannot be shown is set to 0.
    std::memset(&v, 0, sizeof v);
    SysStoreVariable(code, &v);
    NumFormatCell10(&v, value);
  }
  char name[2];
  NameOf(code, name);
  std::snprintf(out, kLineBytes, "     %s=%s", name, value);
}

}  // namespace

void EquaSolverDrawLines(u32 *top, u32 *cursor, const u8 *codes, i16 count, const u8 *text, u32 key) {
  const u32 n = count > 0 ? static_cast<u32>(count) : 0;
  if (key == kKeyUp) {
    if (*cursor == 0) {
      *cursor = n;
      *top = n > kShownLines ? n - kShownLines : 0;
    } else {
      --*cursor;
      if (*cursor >= 1 && *cursor - 1 < *top) *top = *cursor - 1;
    }
  } else if (key == kKeyDown) {
    if (*cursor >= n) {
      *cursor = 0;
      *top = 0;
    } else {
      ++*cursor;
      if (*cursor - 1 >= *top + kShownLines) *top = *cursor - kShownLines;
    }
  }
  BcdReal lower, upper;
  EquaSolverShownLimits(&lower, &upper);
  EquationLine(text, *cursor == 0);
  EquaClearLines(2, 7);
  u32 row = 2;
  for (u32 k = *top; k < n && row <= 7; ++k) {
    char line[96];
    EntryText(codes[k], &lower, &upper, line);
    TextLocate(1, static_cast<i32>(row));
    if (k + 1 == *cursor) TextPrintFieldRev(line, 21);
    else TextPrintField(line, 21);
    if (row == 2 && *top > 0) {
      TextLocate(21, 2);
      TextPrint("\xE6\x92");
    }
    if (row == 7 && k + 1 < n) {
      TextLocate(21, 7);
      TextPrint("\xE6\x93");
    }
    ++row;
  }
}

u32 EquaSolverRecall(u8 *) {
  // The graph functions to recall from are not part of the system yet.
  EquaNotAvailableBox();
  return kKeyExit;
}

u32 EquaSolverResult(const u8 *text, u8 variable) {
  const FkeyItem *saved[1];
  FkeySavePages(0, 0, saved);
  FkeySetPage(0, kResultPage);
  Reopen(0);
  u32 back = 1;
  bool solve = true;
  u32 code = 0;
  Value lft, rgt;
  std::memset(&lft, 0, sizeof lft);
  std::memset(&rgt, 0, sizeof rgt);
  for (;;) {
    if (solve) {
      solve = false;
      BcdReal lower, upper;
      EquaSolverReadLimits(&lower, &upper);
      KeyBreakArm();
      LcdShowBusyIndicator();
      const u8 *pos = text;
      code = NumericSolveEquation(&pos, variable, &upper, &lower, &lft, &rgt);
      KeyBreakDisarm();
      if (code != 0 && code != kErrTimeOut) {
        ErrBox(static_cast<i32>(code));
        break;
      }
    }
    EquaClearLines(2, 7);
    char value[kNumTextSize], line[96], name[2];
    Value x;
    SysReadVariable(variable, &x);
    NameOf(variable, name);
    NumToText(&x, value);
    std::snprintf(line, sizeof line, "  %s=%s", name, value);
    TextLocate(1, 2);
    TextPrintField(line, 21);
    NumToText(&lft, value);
    std::snprintf(line, sizeof line, "Lft=%s", value);
    TextLocate(1, 3);
    TextPrintField(line, 21);
    NumToText(&rgt, value);
    std::snprintf(line, sizeof line, "Rgt=%s", value);
    TextLocate(1, 4);
    TextPrintField(line, 21);
    if (code == kErrTimeOut) {
      char retry[64];
      if (MsgText(411, retry)) {
        TextLocate(2, 7);
        TextPrint(retry);
      }
    }
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    if (key == kKeyExe && code == kErrTimeOut) {
      solve = true;
    } else if (key == 1 || key == kKeyExit) {
      break;
    } else if (key == kKeyQuit) {
      back = 0;
      break;
    } else if (key == kKeySetup) {
      u32 changed = 0;
      SetupScreen("@EQUA", &changed);
    }
  }
  FkeyRestorePages(0, 0, saved);
  Reopen(0);
  return back;
}

void EquaSolverScreen() {
  KeyClearMenuMask();
  KeySetMenuMask(8);
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(102);
  u16 groups[6];
  FkeySaveGroups(groups);
  FkeyBuildOptGroup(2);
  const FkeyItem *pages[2];
  FkeySavePages(0, 1, pages);
  FkeySetPage(0, kSolverPage);
  FkeySetPage(1, kBlankPage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  TextCursorOff();
  u32 cursor = 0, top = 0;
  bool leave = false;
  while (!leave) {
    // A round: the stored equation, its variables and the screen afresh.
    u8 text[kEditSize + 1];
    u8 codes[kEquaSolverMaxVars];
    u16 count = 0;
    EquaSolverLoadEquation(text);
    if (EquaSolverScanVars(text, codes, &count) != 0) count = 0;
    EquaSolverRealVars(codes, static_cast<i16>(count));
    if (cursor > count) cursor = top = 0;
    EquaSolverDrawLines(&top, &cursor, codes, static_cast<i16>(count), text, 0);
    bool editing = false;
    u8 buf[kEditSize + 1] = {};
    u32 edCursor = 0, edStart = 0;
    for (;;) {
      if (editing) edStart = EditRedrawLine(buf, edStart, edCursor, 4, 1);
      FkeyDrawRow();
      u32 key = 0;
      u32 isChar = KeyGetKey(&key);
      if (!isChar && key == kKeyXThetaT) {
        isChar = 1;
        key = 'X';
      }
      const bool onEquation = cursor == 0;
      const u8 entry = onEquation ? 0 : codes[cursor - 1];
      const bool startLine = !editing && (isChar || key == kKeyRight);
      if (isChar && (key == 13 || key == 14)) continue;
      if (startLine && !onEquation) {
        static const u32 kRefused[] = {0x20, 0x22, 0x2C, 0x5B, 0x5D, 0x3D, 0x7B, 0x7D, 0xC0, 0x7F40, 0x7F51};
        bool refused = false;
        for (u32 r : kRefused) refused = refused || (isChar && key == r);
        if (refused) continue;
        // A number for a variable or a bound on its own row.
        const i32 row = static_cast<i32>(2 + (cursor - 1 - top));
        char prompt[16];
        BcdReal lower, upper, value;
        EquaSolverShownLimits(&lower, &upper);
        if (IsBound(entry)) {
          std::strcpy(prompt, entry == kEquaLineLower ? " Lower=" : " Upper=");
          value = entry == kEquaLineLower ? lower : upper;
        } else {
          char name[2];
          NameOf(entry, name);
          std::strcpy(prompt, "     ");
          std::strcat(prompt, name);
          std::strcat(prompt, "=");
          value = RealValue(entry).re;
        }
        Reopen(1);
        u32 k2 = key;
        const i32 got = EditReadNumber(isChar ? 1 : 0, &k2, row, &value, prompt);
        Reopen(0);
        TextCursorOff();
        if (got == -1) {
          leave = true;
          break;
        }
        if (got == 0) {
          if (IsBound(entry)) {
            EquaSolverWriteLimit(entry == kEquaLineLower ? 0 : 1, &value);
            if (entry == kEquaLineUpper) break;
          } else {
            Value v;
            std::memset(&v, 0, sizeof v);
            v.re = value;
            SysStoreVariable(entry, &v);
          }
          EquaSolverDrawLines(&top, &cursor, codes, static_cast<i16>(count), text, kKeyDown);
        } else {
          EquaSolverDrawLines(&top, &cursor, codes, static_cast<i16>(count), text, 0);
        }
        continue;
      }
      if (startLine) {
        // The equation line: a typed character starts a new equation, RIGHT
        // edits the stored one.
        editing = true;
        Reopen(1);
        TextLocate(1, 1);
        TextPrintField("Eq:", 21);
        std::memset(buf, 0, sizeof buf);
        edCursor = edStart = 0;
        if (!isChar) std::memcpy(buf, text, sizeof buf);
        KeyCursorFromState();
        if (isChar) edCursor = EditPutChar(buf, kEditSize, edCursor, key);
        continue;
      }
      if (editing) {
        if (isChar) {
          Reopen(1);
          edCursor = EditPutChar(buf, kEditSize, edCursor, key);
          continue;
        }
        switch (key) {
          case kKeyExe: {
            const bool hadLimits = EquaSolverLimitsExist();
            BcdReal lower, upper;
            u8 scan[kEquaSolverMaxVars];
            u16 n = 0;
            u32 code = EquaSolverReadLimits(&lower, &upper);
            if (code == 0) {
              code = EquaSolverScanVars(buf, scan, &n);
              if (code == 0) code = EquaSolverStoreEquation(buf);
              if (code != 0 && !hadLimits) EquaSolverDeleteLimits();
            }
            if (code != 0) {
              ErrBox(static_cast<i32>(code));
              edCursor = edStart = 0;
              KeyCursorFromState();
              break;
            }
            EquaSolverRealVars(scan, static_cast<i16>(n));
            editing = false;
            TextCursorOff();
            Reopen(0);
            cursor = 1;
            top = 0;
            goto round;
          }
          case kKeyExit:
            editing = false;
            TextCursorOff();
            Reopen(0);
            goto round;
          case kKeyQuit:
            leave = true;
            goto round;
          case kKeyLeft:
          case kKeyRight:
          case kKeyDel:
          case kKeyAc:
          case kKeyPaste:
          case kKeyClipLeft:
          case kKeyClipRight:
            EquaLineKey(buf, &edStart, &edCursor, key, 4, 1);
            break;
          default:
            if (EquaIsFmemKey(key)) EquaNotAvailableBox();
            break;
        }
        continue;
      }
      if (isChar) continue;
      switch (key) {
        case 3:
        case kKeyExe:
          if (onEquation || IsBound(entry)) break;
          {
            BcdReal lower, upper;
            if (u32 code = EquaSolverReadLimits(&lower, &upper)) {
              ErrBox(static_cast<i32>(code));
              break;
            }
            if (RealIsLessEqual(&upper, &lower) == 1) {
              ErrBox(static_cast<i32>(kErrMath));
              break;
            }
            if (EquaSolverResult(text, entry) == 0) leave = true;
            goto round;
          }
        case 1:
          if (EquaSolverRecall(text) == kKeyQuit) leave = true;
          goto round;
        case 2:
          if (EquaConfirmDeleteFormula()) {
            EquaSolverDeleteEquation();
            cursor = top = 0;
          }
          goto round;
        case kKeyUp:
        case kKeyDown:
          EquaSolverDrawLines(&top, &cursor, codes, static_cast<i16>(count), text, key);
          break;
        case kKeyExit:
        case kKeyQuit:
          leave = true;
          goto round;
        case kKeySetup: {
          u32 changed = 0;
          SetupScreen("@EQUA", &changed);
          goto round;
        }
        default:
          if (EquaIsFmemKey(key)) EquaNotAvailableBox();
          break;
      }
      if (key != 0 && key != kKeyOptn && !EquaIsFmemKey(key)) Reopen(0);
    }
  round:;
  }
  FkeyPopLevel();
  FkeyRestoreGroups(groups);
  FkeyRestorePages(0, 1, pages);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  TextCursorOff();
}
