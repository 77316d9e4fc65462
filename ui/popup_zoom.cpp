// The zoom-factor pop-up of the graph screen.
#include <cstring>

#include "number/numparse.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/keys.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"
#include "ui/ui_glue.h"

namespace {

constexpr i32 kSize = 4;
constexpr i32 kTitleRow = 2;
constexpr i32 kFirstLine = 3;      // "Xfact:" on row 3, "Yfact:" on row 4
constexpr i32 kLabelCol = 3;
constexpr i32 kFieldCol = 9;
constexpr i32 kFieldWidth = 11;    // to column 19, inside the frame
constexpr u32 kFieldMax = 21;

const char *const kLabels[2] = {"Xfact:", "Yfact:"};

struct Line {
  u8 text[kFieldMax + 1];
  u32 start;
  u32 cursor;
};

void ShowLine(const Line &l, i32 i, bool selected, bool editing) {
  const i32 row = kFirstLine + i;
  TextLocate(kLabelCol, row);
  if (selected) {
    TextPrintRev(kLabels[i]);
  } else {
    TextPrint(kLabels[i]);
  }
  if (editing) {
    EditRedrawLineIn(l.text, l.start, l.cursor, kFieldCol, row, kFieldWidth);
  } else {
    TextLocate(kFieldCol, row);
    TextPrintField(reinterpret_cast<const char *>(l.text), kFieldCol + kFieldWidth - 1);
  }
}

void LoadLine(Line *l, u32 isY) {
  std::memset(l, 0, sizeof *l);
  BcdReal f;
  if (UiGlueReadZoomFactor(isY, &f) != 0) return;  // shown empty
  u8 text[22];
  NumRealToTokens(&f, text);
  std::memcpy(l->text, text, sizeof l->text - 1);
  l->cursor = static_cast<u32>(std::strlen(reinterpret_cast<char *>(l->text)));
}

}  // namespace

i32 PopupZoomFactors() {
  // A stored factor that cannot be read is reported before the box opens.
  for (u32 isY = 0; isY < 2; ++isY) {
    BcdReal f;
    const i32 err = UiGlueReadZoomFactor(isY, &f);
    if (err != 0) {
      ErrBox(err);
      break;
    }
  }
  TextCursorState saved;
  TextGetCursor(&saved);
  TextCursorOff();
  PopupOpenFramed(kSize);
  char title[64];
  if (MsgText(436, title)) {
    TextLocate(1, kTitleRow);
    TextPrint(title);
  }
  Line lines[2];
  LoadLine(&lines[0], 0);
  LoadLine(&lines[1], 1);
  i32 sel = 0;
  bool editing = false;
  i32 result = 0;
  for (;;) {
    ShowLine(lines[0], 0, sel == 0, editing && sel == 0);
    ShowLine(lines[1], 1, sel == 1, editing && sel == 1);
    if (!editing) TextCursorOff();
    u32 key = 0;
    u32 typed = KeyGetKey(&key);
    Line &l = lines[sel];
    if (typed) {
      if (key == kChrNewline || key == kChrArrow) continue;
      if (!editing) {
        // A typed character starts a new value.
        l.text[0] = 0;
        l.start = l.cursor = 0;
        editing = true;
      }
      l.cursor = EditPutChar(l.text, kFieldMax, l.cursor, key);
      continue;
    }
    if (key == kKeyExit || key == kKeyQuit) {
      result = key == kKeyExit ? -2 : -1;
      break;
    }
    if (key == kKeyExe) {
      if (!editing) break;  // both factors stand: done
      BcdReal f;
      i32 err = EditEvaluateNumber(l.text, &f);
      if (err == 0) err = UiGlueWriteZoomFactor(static_cast<u32>(sel), &f);
      if (err != 0) {
        ErrBox(err);
        continue;  // the line stays as typed
      }
      LoadLine(&l, static_cast<u32>(sel));
      editing = false;
      sel = 1 - sel;
      continue;
    }
    if (!editing && (key == kKeyUp || key == kKeyDown)) {
      sel = 1 - sel;
      continue;
    }
    if (!editing && (key == kKeyRight || key == kKeyLeft)) {
      editing = true;  // edit the value as it stands
      continue;
    }
    if (editing) {
      u32 k = key;
      EditMoveCursorIn(l.text, kFieldMax, &l.start, &l.cursor, k, kFieldCol, kFirstLine + sel, kFieldWidth);
    }
  }
  PopupCloseKind5();
  PopupRestoreCursor(saved);
  return result;
}
