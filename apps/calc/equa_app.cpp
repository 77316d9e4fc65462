// The EQUA application's key loops: the type menu, the size screens, the
// coefficient editors and the result screens of the simultaneous and
// polynomial tools.
#include <cstring>

#include "apps/calc/equa.h"
#include "eval/eval.h"
#include "kernel/apps.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/value.h"
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

namespace {

constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMath = 3;
constexpr u32 kErrMemory = 4;
constexpr u32 kSolveFailed = 65535;
constexpr u32 kEditSize = 255;

enum EquaKey : u32 { kKey1 = 1, kKey2 = 2, kKey3 = 3, kKey4 = 4 };

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 key) { return {icon, kFkeyKeyCode, key}; }

const FkeyItem kTypePage[6] = {K(320, 1), K(321, 2), K(322, 3), B, B, B};
const FkeyItem kSimlSizePage[6] = {K(323, 1), K(324, 2), K(325, 3), K(326, 4), K(327, 5), B};
const FkeyItem kPolySizePage[6] = {K(323, 1), K(324, 2), B, B, B, B};
const FkeyItem kEditorPage[6] = {K(328, 1), K(56, 2), K(329, 3), K(42, 4), B, B};
const FkeyItem kBlankPage[6] = {B, B, B, B, B, B};
const FkeyItem kResultPage[6] = {K(697, 1), B, B, B, B, B};

void PrintMsgAt(i32 id, i32 col, i32 row) {
  char text[64];
  if (MsgText(id, text) == nullptr) return;
  TextLocate(col, row);
  TextPrint(text);
}

// The menu state a screen changes, saved on entry and put back on every
// way out.
struct MenuSave {
  u16 mask;
  u16 groups[6];
  const FkeyItem *pages[2];
  void Save(u16 newMask) {
    mask = KeyGetMenuMask();
    FkeySaveGroups(groups);
    FkeySavePages(0, 1, pages);
    KeySetMenuMask(newMask);
  }
  void Restore() {
    FkeyPopLevel();
    FkeyRestoreGroups(groups);
    FkeyRestorePages(0, 1, pages);
    KeySetMenuMask(mask);
    KeyForgetDrawnRow();
  }
};

void Reopen(i32 menu) {
  FkeyPopLevel();
  FkeyPushLevel(static_cast<u32>(menu));
  KeyForgetDrawnRow();
}


u8 ResultOf(u8 coef) { return coef == kEquaSimlCoef ? kEquaSimlResult : kEquaPolyResult; }

// Draws a coefficient or result window: row 1 the header, the cells with
// their labels, rules and brackets, the value line.
void DrawWindow(EquaCellWindow *w, u8 coef, u32 size, u32 convKey) {
  EquaShowCellValue(w, convKey);
  EquaWindowFollow(w);
  EquaDrawHeader(coef, size);
  EquaClearLines(2, 7);
  EquaDrawCells(w);
  EquaDrawLabels(w);
  EquaDrawLabelRules(w);
  if (w->matrix == kEquaPolyResult) {
    EquaPolyDrawMultiplicity(w);
    TextPrintMiniChar(w->wide ? 46 : 27, 8, 'X', 16);
  }
  if (w->matrix == kEquaSimlCoef) EquaSimlDrawBrackets(w);
  else if (w->matrix == kEquaPolyCoef) EquaPolyDrawBrackets(w);
  else EquaDrawResultBrackets(w);
  EquaShowCellValue(w, convKey);
}

// The TEST key on the polynomial result: a value read in a pop-up goes to
// the first root; the item grows a column only for a complex value.
void TestKeyValue() {
  PopupOpen(5);
  PopupDrawWindow(3);
  TextLocate(1, 3);
  TextPrint(">");
  Value v;
  std::memset(&v, 0, sizeof v);
  // The field starts empty, with the first character typed.
  u32 key = 0;
  i32 got = -2;
  for (;;) {
    if (KeyGetKey(&key) != 0) {
      got = EditReadValue(1, &key, 3, &v, ">");
      break;
    }
    if (key == kKeyExit || key == kKeyQuit) break;
  }
  PopupClose(5);
  if (got != 0) return;
  u32 rows = 0, cols = 0;
  if (ItemMatDims(kEquaPolyResult, &rows, &cols) != 0) return;
  CplxPair parts;
  ValSplit(&v, &parts);
  Value re, im;
  std::memset(&re, 0, sizeof re);
  std::memset(&im, 0, sizeof im);
  re.re = parts.re;
  im.re = parts.im;
  const bool complex = ValIsComplex(&v) == 1;
  u32 code = 0;
  if (complex && cols < 2) code = ItemMatInsertCols(kEquaPolyResult, 0, 1);
  if (code <= 2) code = ItemMatSet(kEquaPolyResult, 1, 1, &re);
  if (code <= 2 && (complex || cols >= 2)) code = ItemMatSet(kEquaPolyResult, 1, 2, &im);
  if (code > 2) ErrBox(static_cast<i32>(kErrMemory));
}

u32 ResultScreen(u8 coef, u32 size) {
  MenuSave save;
  save.Save(231);
  FkeySetPage(0, kResultPage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  TextCursorOff();
  const u8 result = ResultOf(coef);
  u32 ended = kSolveFailed;
  if (!EquaResultsPresent(coef)) {
    KeyBreakArm();
    LcdShowBusyIndicator();
    const u32 code = coef == kEquaSimlCoef ? NumericSolveSimultaneous(size) : NumericSolvePolynomial(size);
    KeyBreakDisarm();
    if (code != 0) {
      ErrBox(static_cast<i32>(code));
      save.Restore();
      return kSolveFailed;
    }
  }
  EquaCellWindow w;
  if (!EquaWindowOpen(&w, result)) {
    ErrBox(static_cast<i32>(kErrMemory));
    save.Restore();
    return kSolveFailed;
  }
  w.wide = EquaResultIsComplex(result) ? 1 : 0;
  u32 conv = 0;
  for (;;) {
    DrawWindow(&w, coef, size, conv);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    conv = 0;
    if (key == kKeyUp || key == kKeyDown || key == kKeyLeft || key == kKeyRight) {
      EquaWindowMove(&w, key);
    } else if (key == kKeyFracForm || key == kKeyFracDec) {
      conv = key;
    } else if (key == kKey1 || key == kKeyExit || key == kKeyQuit) {
      ended = key;
      break;
    } else if (key == kKeyTest && coef == kEquaPolyCoef) {
      TestKeyValue();
      if (!EquaWindowOpen(&w, result)) break;
      w.wide = EquaResultIsComplex(result) ? 1 : 0;
    }
  }
  save.Restore();
  return ended;
}

// The edit cursor where evaluation stopped: one byte back, two when that is
// the second byte of a two-byte character.
u32 ErrorCursor(const u8 *buf, TokPos stopped) {
  u32 at = static_cast<u32>(stopped - buf);
  const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<const char *>(buf)));
  if (at > len) at = len;
  if (at == 0) return 0;
  --at;
  u32 i = 0, start = 0;
  while (i <= at && i < len) {
    start = i;
    const u8 c = buf[i];
    i += (c == 0x7F || c == 0xF7 || c == 0xF9 || (c >= 0xE5 && c <= 0xE7)) ? 2 : 1;
  }
  return start;
}

u32 CoefEditor(u8 coef, u32 *size) {
  MenuSave save;
  save.Save(100);
  FkeyBuildOptGroup(1);
  FkeyBuildVarsGroup(2);
  FkeySetPage(0, kEditorPage);
  FkeySetPage(1, kBlankPage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  TextCursorOff();
  EquaCellWindow w;
  u32 ended = kKeyExit;
  if (!EquaWindowOpen(&w, coef)) {
    save.Restore();
    return ended;
  }
  bool editing = false, redraw = true;
  u8 buf[kEditSize + 1] = {};
  u32 cursor = 0, start = 0, conv = 0;
  auto startEditing = [&](bool keep) {
    if (!keep) std::memset(buf, 0, sizeof buf);
    cursor = start = 0;
    editing = true;
    Reopen(1);
    EquaClearLines(6, 6);
    KeyCursorFromState();
  };
  auto stopEditing = [&] {
    editing = false;
    TextCursorOff();
    Reopen(0);
    redraw = true;
  };
  auto lastCell = [&] { return w.row + 1 == w.rows && w.col + 1 == w.cols; };
  for (;;) {
    if (redraw && !editing) {
      if (!EquaWindowReload(&w)) break;
      DrawWindow(&w, coef, *size, conv);
      redraw = false;
    }
    if (editing) start = EditRedrawLine(buf, start, cursor, 1, 7);
    FkeyDrawRow();
    u32 key = 0;
    u32 isChar = KeyGetKey(&key);
    if (!isChar && key == kKeyXThetaT) {
      isChar = 1;
      key = 'X';
    }
    if (isChar) {
      if (key == 13 || key == 14 || key == 0) continue;
      if (!editing) startEditing(false);
      else Reopen(1);
      cursor = EditPutChar(buf, kEditSize, cursor, key);
      continue;
    }
    if (editing) {
      switch (key) {
        case kKeyExe: {
          if (buf[0] == 0) {
            stopEditing();
            if (!lastCell()) EquaWindowMove(&w, kKeyRight);
            break;
          }
          TokPos pos = buf;
          Value v;
          if (EvalFormula(&pos, 2, &v) == 0) {
            if (EquaShowValueError(&v) == 0) ErrBox(static_cast<i32>(kErrSyntax));
            cursor = ErrorCursor(buf, pos);
            KeyCursorFromState();
            break;
          }
          if (ValIsComplex(&v) == 1) {
            ErrBox(static_cast<i32>(kErrMath));
            KeyCursorFromState();
            break;
          }
          if (EquaStoreCell(&w, &v) != 0) {
            ErrBox(static_cast<i32>(kErrMemory));
            KeyCursorFromState();
            break;
          }
          stopEditing();
          if (!lastCell()) EquaWindowMove(&w, kKeyRight);
          break;
        }
        case kKeyExit:
          stopEditing();
          break;
        case kKeyQuit:
          ended = kKeyQuit;
          goto out;
        case kKeyAc:
        case kKeyUp:
        case kKeyDown:
        case kKeyLeft:
        case kKeyRight:
        case kKeyDel:
        case kKeyFracForm:
        case kKeyPaste:
        case kKeySetup:
        case kKeyClipLeft:
        case kKeyClipRight:
        case kKeyFracDec:
          EquaLineKey(buf, &start, &cursor, key, 1, 7);
          break;
        default:
          if (EquaIsFmemKey(key)) EquaNotAvailableBox();
          break;
      }
      continue;
    }
    conv = 0;
    switch (key) {
      case kKey1:
      case kKeyExe: {
        const u32 r = ResultScreen(coef, *size);
        if (r == kKeyQuit) {
          ended = kKeyQuit;
          goto out;
        }
        if (r != kSolveFailed) {
          w.row = w.col = w.top = w.left = 0;
        }
        redraw = true;
        break;
      }
      case kKey2:
        if (EquaConfirmDeleteCoefs()) {
          EquaDeleteTool(coef);
          *size = 0;
          ended = kKeyDel;
          goto out;
        }
        redraw = true;
        break;
      case kKey3:
        EquaItemOk(EquaClearCoefs(coef) == 0 ? 0 : kErrMemory);
        w.row = w.col = w.top = w.left = 0;
        redraw = true;
        break;
      case kKey4: {
        Value v = EquaCellValue(&w, w.row, w.col);
        u8 text[45];
        NumToTokens(&v, text);
        startEditing(false);
        std::memcpy(buf, text, sizeof text);
        break;
      }
      case kKeyUp:
      case kKeyDown:
      case kKeyLeft:
      case kKeyRight:
        EquaWindowMove(&w, key);
        redraw = true;
        break;
      case kKeyFracForm:
      case kKeyFracDec:
      case kKeyDms:
      case kKeyEngDown:
      case kKeyEngUp:
        conv = key;
        redraw = true;
        break;
      case kKeyExit:
      case kKeyQuit:
        ended = key;
        goto out;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@EQUA", &changed);
        if (changed && coef == kEquaPolyCoef) EquaDeleteResults(coef);
        redraw = true;
        break;
      }
      default:
        if (EquaIsFmemKey(key)) EquaNotAvailableBox();
        break;
    }
    if (!editing && key != 0 && key != kKeyOptn && key != kKeyVars && !EquaIsFmemKey(key)) Reopen(0);
  }
out:
  TextCursorOff();
  save.Restore();
  return ended;
}

// The size screens of both tools.
void SizeScreen(u8 coef) {
  const bool siml = coef == kEquaSimlCoef;
  MenuSave save;
  save.Save(231);
  FkeySetPage(0, siml ? kSimlSizePage : kPolySizePage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  TextCursorOff();
  if (!siml) EquaDeleteResults(coef);
  const u32 most = siml ? 5 : 2;
  for (;;) {
    u32 stored = siml ? EquaSimlSize() : EquaPolySize();
    EquaClearLines(1, 7);
    PrintMsgAt(siml ? 184 : 192, 1, 1);
    if (stored == 0) {
      PrintMsgAt(185, 1, 2);
      PrintMsgAt(186, 1, 3);
    } else {
      PrintMsgAt(187, 1, 2);
      PrintMsgAt(188, 1, 3);
      PrintMsgAt(siml ? 189 : 193, 1, 4);
      char n[4] = {':', static_cast<char>('0' + stored % 10), 0, 0};
      TextLocate(19, 4);
      TextPrint(n);
    }
    PrintMsgAt(siml ? 190 : 194, 1, 6);
    PrintMsgAt(siml ? 191 : 195, 1, 7);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) continue;
    u32 open = 0;
    if (key >= 1 && key <= most) {
      const u32 size = key + 1;
      if (size != stored) {
        const u32 code = EquaNewSize(coef, size);
        if (code != 0) {
          ErrBox(static_cast<i32>(code));
          continue;
        }
        stored = size;
      }
      open = 1;
    } else if (key == kKeyExe && stored != 0) {
      open = 1;
    } else if (key == kKeyExit || key == kKeyQuit) {
      break;
    } else if (key == kKeySetup) {
      u32 changed = 0;
      SetupScreen("@EQUA", &changed);
      if (changed && !siml) EquaDeleteResults(coef);
    }
    if (open) {
      u32 r;
      if (siml) {
        i32 n = static_cast<i32>(stored);
        r = EquaSimlCoefEditor(&n);
      } else {
        i16 d = static_cast<i16>(stored);
        r = EquaPolyCoefEditor(&d);
      }
      if (r == kKeyQuit) break;
    }
  }
  save.Restore();
}

}  // namespace

void EquaLineKey(u8 *buf, u32 *start, u32 *cursor, u32 key, i32 col, i32 row) {
  const i32 r = EditMoveCursor(buf, kEditSize, start, cursor, &key, col, row);
  // A key the line hands back is read again by the screen's loop.
  if (r == kEditHandBackKey || r == kEditHandBackChar) KeyPost(key);
}

void EquaNotAvailableBox() {
  PopupOpen(5);
  PopupDrawWindow(3);
  const i32 row = PopupFirstRow(3);
  TextLocate(3, row);
  TextPrint("Not available:");
  TextLocate(3, row + 1);
  TextPrint("graph functions");
  PopupWaitKey({kKeyExit, kKeyAc, kKeyExe, kKeyQuit});
  PopupClose(5);
}

u32 EquaItemOk(u32 code) {
  if (code <= 2) return 1;
  ErrBox(static_cast<i32>(kErrMemory));
  return 0;
}

u32 EquaShowValueError(const Value *v) {
  u32 code = ValErrorCode(&v->re);
  if (code == 0 && (v->re.b[0] & 0x80)) code = ValErrorCode(&v->im);
  if (code != 0) ErrBox(static_cast<i32>(code));
  return code;
}

namespace {

u32 Confirm(i32 size, std::initializer_list<i32> messages) {
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpen(5);
  PopupDrawWindow(size);
  i32 row = 2;
  for (i32 id : messages) PrintMsgAt(id, 1, row++);
  PrintMsgAt(2, 1, row++);
  PrintMsgAt(3, 1, row);
  const u32 key = PopupWaitKey({kKeyF1, kKeyExit, kKeyF6, kKeyQuit});
  PopupClose(5);
  PopupRestoreCursor(saved);
  return key == kKeyF1 ? 1 : 0;
}

}  // namespace

u32 EquaConfirmDeleteCoefs() { return Confirm(5, {200, 201}); }
u32 EquaConfirmDeleteFormula() { return Confirm(4, {7}); }

u32 EquaSimlCoefEditor(i32 *unknowns) {
  u32 size = static_cast<u32>(*unknowns);
  const u32 r = CoefEditor(kEquaSimlCoef, &size);
  *unknowns = static_cast<i32>(size);
  return r;
}

u32 EquaPolyCoefEditor(i16 *degree) {
  u32 size = static_cast<u32>(*degree);
  const u32 r = CoefEditor(kEquaPolyCoef, &size);
  *degree = static_cast<i16>(size);
  return r;
}

u32 EquaSimlResultScreen(u32 n) { return ResultScreen(kEquaSimlCoef, n); }
u32 EquaPolyResultScreen(u32 degree) { return ResultScreen(kEquaPolyCoef, degree); }

void EquaSimlSizeScreen() { SizeScreen(kEquaSimlCoef); }
void EquaPolyDegreeScreen() { SizeScreen(kEquaPolyCoef); }

void EquaTypeMenu(u32 fromMainMenu, u16 submode) {
  KeySetMenuMask(231);
  FkeySetPage(0, kTypePage);
  FkeyPushLevel(0);
  KeyForgetDrawnRow();
  bool first = fromMainMenu == 0;
  for (;;) {
    TextCursorOff();
    EquaDrawTypeMenu();
    FkeyDrawRow();
    u32 key = 0;
    if (first) {
      key = submode == 0 ? 1 : submode == 1 ? 2 : 3;
      first = false;
    } else if (KeyGetKey(&key) != 0) {
      continue;
    }
    switch (key) {
      case 1:
        EquaSimlSizeScreen();
        break;
      case 2:
        EquaPolyDegreeScreen();
        break;
      case 3:
        EquaSolverScreen();
        break;
      case kKeySetup: {
        u32 changed = 0;
        SetupScreen("@EQUA", &changed);
        break;
      }
      default:
        break;
    }
  }
}

u32 EquaAppMain(u32 from_main_menu, u16 submode) {
  EquaTypeMenu(from_main_menu, submode);
  return 0;
}
