#include "ui/setup_screen.h"

#include <cstdio>
#include <cstring>

#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

// What a function-key choice does.
enum ChoiceAct : u8 {
  kSet,        // the item takes the value
  kAskFix,     // Fix with digits asked for
  kAskSci,     // Sci with digits asked for
  kNormFlip,   // Norm 1 <-> Norm 2 (Norm 1 from Fix or Sci)
  kEngFlip,    // engineering notation on <-> off
};

struct Choice {
  i16 icon;
  ChoiceAct act;
  u8 value;
};

struct Row {
  const char *name;
  u8 item;
  const Choice *choices;
  u8 count;
};

constexpr Choice kInputChoices[] = {{407, kSet, kInputMath}, {664, kSet, kInputLinear}};
constexpr Choice kModeChoices[] = {
    {352, kSet, kModeComp}, {353, kSet, kModeDec}, {354, kSet, kModeHex}, {355, kSet, kModeBin}, {356, kSet, kModeOct}};
constexpr Choice kFracChoices[] = {{408, kSet, kFracImproper}, {409, kSet, kFracMixed}};
constexpr Choice kAngleChoices[] = {{359, kSet, kAngleDeg}, {360, kSet, kAngleRad}, {361, kSet, kAngleGra}};
constexpr Choice kComplexChoices[] = {
    {277, kSet, kComplexReal}, {278, kSet, kComplexRect}, {279, kSet, kComplexPolar}};
constexpr Choice kPaymentChoices[] = {{815, kSet, 0}, {816, kSet, 1}};
constexpr Choice kDateModeChoices[] = {{817, kSet, 0}, {818, kSet, 1}};
constexpr Choice kDisplayChoices[] = {{372, kAskFix, 0}, {373, kAskSci, 0}, {374, kNormFlip, 0}, {375, kEngFlip, 0}};

#define ROW(name, item, choices) \
  Row { name, item, choices, static_cast<u8>(sizeof choices / sizeof choices[0]) }

constexpr Row kRunMatRows[] = {
    ROW("Input Mode", kSetupInputMode, kInputChoices),   ROW("Mode", kSetupMode, kModeChoices),
    ROW("Frac Result", kSetupFracResult, kFracChoices),  ROW("Angle", kSetupAngle, kAngleChoices),
    ROW("Complex Mode", kSetupComplexMode, kComplexChoices), ROW("Display", kSetupDisplay, kDisplayChoices),
};
constexpr Row kEquaRows[] = {
    ROW("Input Mode", kSetupInputMode, kInputChoices),
    ROW("Angle", kSetupAngle, kAngleChoices),
    ROW("Complex Mode", kSetupComplexMode, kComplexChoices),
    ROW("Display", kSetupDisplay, kDisplayChoices),
};
constexpr Row kProgRows[] = {
    ROW("Mode", kSetupMode, kModeChoices),
    ROW("Angle", kSetupAngle, kAngleChoices),
    ROW("Complex Mode", kSetupComplexMode, kComplexChoices),
    ROW("Display", kSetupDisplay, kDisplayChoices),
};
constexpr Row kFinanceRows[] = {
    ROW("Payment", kSetupPayment, kPaymentChoices),
    ROW("Date Mode", kSetupDateMode, kDateModeChoices),
    ROW("Display", kSetupDisplay, kDisplayChoices),
};
constexpr Choice kDynaTypeChoices[] = {{386, kSet, 0}, {387, kSet, 1}};  // Cnt, Stop (ten cycles)
constexpr Choice kDrawTypeChoices[] = {{357, kSet, 0}, {358, kSet, 1}};  // Con, Plot
constexpr Choice kOnOffChoices[] = {{17, kSet, 0}, {18, kSet, 1}};
constexpr Choice kDrawSpeedChoices[] = {{374, kSet, 0}, {137, kSet, 1}};  // Norm, High
constexpr Row kDynaRows[] = {
    ROW("Dynamic Type", kSetupDynamicType, kDynaTypeChoices), ROW("Draw Type", kSetupDrawType, kDrawTypeChoices),
    ROW("Graph Func", kSetupGraphFunc, kOnOffChoices),        ROW("Y=Draw Speed", kSetupDrawSpeed, kDrawSpeedChoices),
    ROW("Grid", kSetupGrid, kOnOffChoices),                   ROW("Axes", kSetupAxes, kOnOffChoices),
    ROW("Label", kSetupLabel, kOnOffChoices),                 ROW("Angle", kSetupAngle, kAngleChoices),
    ROW("Complex Mode", kSetupComplexMode, kComplexChoices),
};
// Every item the screen knows, for the service mode's check of the screen.
constexpr Row kAllRows[] = {
    ROW("Input Mode", kSetupInputMode, kInputChoices),     ROW("Mode", kSetupMode, kModeChoices),
    ROW("Frac Result", kSetupFracResult, kFracChoices),    ROW("Angle", kSetupAngle, kAngleChoices),
    ROW("Complex Mode", kSetupComplexMode, kComplexChoices), ROW("Display", kSetupDisplay, kDisplayChoices),
    ROW("Payment", kSetupPayment, kPaymentChoices),        ROW("Date Mode", kSetupDateMode, kDateModeChoices),
};
#undef ROW

struct AppRows {
  const char *app;
  const Row *rows;
  u32 count;
};

constexpr AppRows kApps[] = {
    {"@RUNMAT", kRunMatRows, sizeof kRunMatRows / sizeof kRunMatRows[0]},
    {"@MAT", kRunMatRows, sizeof kRunMatRows / sizeof kRunMatRows[0]},
    {"@EQUA", kEquaRows, sizeof kEquaRows / sizeof kEquaRows[0]},
    {"@PROG", kProgRows, sizeof kProgRows / sizeof kProgRows[0]},
    {"@FINANCE", kFinanceRows, sizeof kFinanceRows / sizeof kFinanceRows[0]},
    {"@DYNA", kDynaRows, sizeof kDynaRows / sizeof kDynaRows[0]},
    {"All", kAllRows, sizeof kAllRows / sizeof kAllRows[0]},
};

// The function-key menu of the screen: an application menu id, saved and
// put back around the screen.
constexpr i32 kSetupMenu = 99;
constexpr i32 kNameEnd = 12;    // names in columns 1-12
constexpr i32 kValueCol = 14;   // ':' in column 13, the value from 14
constexpr i32 kListRows = 7;

// The mask while the screen runs: no menu group, CLIP or catalog key.
constexpr u16 kSetupMask = kMaskOpt | kMaskVars | kMaskShiftVars | kMaskClip | kMaskShiftGroup |
                           kMaskAlphaGroup | kMaskCatalog;

const char *ChoiceText(const Row &row, u8 value) {
  static const char *const kModes[] = {"Comp", "Bin", "Oct", "Dec", "Hex"};
  switch (row.item) {
    case kSetupInputMode: return value == kInputLinear ? "Linear" : "Math";
    case kSetupMode:
      return value == kModeBin ? kModes[1] : value == kModeOct ? kModes[2] : value == kModeDec ? kModes[3]
           : value == kModeHex ? kModes[4] : kModes[0];
    case kSetupFracResult: return value == kFracMixed ? "ab/c" : "d/c";
    case kSetupAngle: return value == kAngleRad ? "Rad" : value == kAngleGra ? "Gra" : "Deg";
    case kSetupComplexMode:
      return value == kComplexRect ? "a+bi" : value == kComplexPolar ? "r\x7F\x54\xCE" : "Real";
    case kSetupPayment: return value == 1 ? "End" : "Bgn";
    case kSetupDateMode: return value == 1 ? "360" : "365";
    default:
      // Rows of plain choices read as their keys' captions.
      for (u8 i = 0; i < row.count; ++i) {
        if (row.choices[i].value == value) return FkeyLabelText(static_cast<u32>(row.choices[i].icon));
      }
      return "";
  }
}

void DrawRow(const Row &row, i32 line, bool selected) {
  char text[32];
  char value[16];
  SetupValueText(row.item, SetupGetItem(row.item), value);
  std::snprintf(text, sizeof text, "%-12s:%s", row.name, value);
  TextLocate(1, line);
  if (selected) {
    TextPrintFieldRev(text, kLcdColumns);
  } else {
    TextPrintField(text, kLcdColumns);
  }
}

void Draw(const AppRows &app, u32 top, u32 cursor) {
  LcdClearVram();
  for (u32 i = 0; i < kListRows && top + i < app.count; ++i)
    DrawRow(app.rows[top + i], static_cast<i32>(i + 1), top + i == cursor);
}

// The function-key page of a row: its choices, then blanks.
void MakePage(const Row &row, FkeyItem page[6]) {
  for (u32 i = 0; i < 6; ++i) {
    if (i < row.count) {
      page[i] = FkeyItem{row.choices[i].icon, kFkeyKeyCode, kKeyF1 + i};
    } else {
      page[i] = FkeyItem{0, kFkeyBlank, 0};
    }
  }
}

// Asks for Fix or Sci digits 0-9 in a pop-up; -1 when it was left.
i32 AskDigits(const char *prompt) {
  PopupOpenFramed(1);
  const i32 row = PopupFirstRow(1);
  TextLocate(3, row);
  TextPrint(prompt);
  i32 n = 0;
  const i32 r = TextInputNumber(&n, 3 + static_cast<i32>(std::strlen(prompt)), row, 0, 9);
  PopupCloseKind5();
  return r == 0 ? n : -1;
}

// The new value of the row's item for a choice; false when nothing is to
// change (a number pop-up left).
bool Apply(const Row &row, const Choice &c, u8 *value) {
  const u8 old = SetupGetItem(row.item);
  switch (c.act) {
    case kSet:
      *value = c.value;
      return true;
    case kAskFix:
    case kAskSci: {
      const i32 n = AskDigits(c.act == kAskFix ? "Fix[0~9]:" : "Sci[0~9]:");
      if (n < 0) return false;
      *value = static_cast<u8>((old & kDisplayEng) | (c.act == kAskFix ? kDisplayFix : kDisplaySci) | n);
      return true;
    }
    case kNormFlip: {
      const u8 form = (old & kDisplayFormMask) == kDisplayNorm1 ? kDisplayNorm2 : kDisplayNorm1;
      *value = static_cast<u8>((old & kDisplayEng) | form);
      return true;
    }
    case kEngFlip:
      *value = static_cast<u8>(old ^ kDisplayEng);
      return true;
  }
  return false;
}

}  // namespace

const char *SetupValueText(u8 item, u8 value, char out[16]) {
  if (item == kSetupDisplay) {
    const char *eng = (value & kDisplayEng) ? "Eng" : "";
    const u8 digits = value & kDisplayDigitsMask;
    switch (value & kDisplayFormMask) {
      case kDisplayFix: std::snprintf(out, 16, "%sFix%u", eng, digits); break;
      case kDisplaySci: std::snprintf(out, 16, "%sSci%u", eng, digits); break;
      case kDisplayNorm2: std::snprintf(out, 16, "%sNorm2", eng); break;
      default: std::snprintf(out, 16, "%sNorm1", eng); break;
    }
    return out;
  }
  for (const AppRows &app : kApps) {
    for (u32 i = 0; i < app.count; ++i) {
      if (app.rows[i].item != item) continue;
      std::snprintf(out, 16, "%s", ChoiceText(app.rows[i], value));
      return out;
    }
  }
  return nullptr;
}

i32 SetupScreen(const char *app, u32 *changed) {
  if (changed) *changed = 0;
  const AppRows *rows = nullptr;
  for (const AppRows &a : kApps)
    if (app && std::strcmp(a.app, app) == 0) rows = &a;
  if (!rows) return 0;

  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(kSetupMask);
  const FkeyItem *saved_page = nullptr;
  FkeySavePages(kSetupMenu, kSetupMenu, &saved_page);
  TextCursorState cursor_state;
  TextGetCursor(&cursor_state);
  TextCursorOff();
  u32 entries = 0;
  FkeyStackEntries(&entries);
  FkeyItem page[6];
  FkeySetPage(kSetupMenu, page);
  FkeyPushLevel(kSetupMenu);

  u32 top = 0, cursor = 0;
  for (;;) {
    if (cursor < top) top = cursor;
    if (cursor >= top + kListRows) top = cursor - kListRows + 1;
    const Row &row = rows->rows[cursor];
    MakePage(row, page);
    KeyForgetDrawnRow();
    Draw(*rows, top, cursor);
    u32 key = 0;
    if (KeyGetKey(&key)) continue;  // characters do nothing here
    if (key == kKeyExit || key == kKeyQuit || key == kKeyExe) break;
    if (key == kKeyUp) {
      if (cursor > 0) --cursor;
    } else if (key == kKeyDown) {
      if (cursor + 1 < rows->count) ++cursor;
    } else if (KeyIsFkey(key) && key - kKeyF1 < row.count) {
      u8 value = 0;
      if (Apply(row, row.choices[key - kKeyF1], &value) && value != SetupGetItem(row.item)) {
        SetupSetItem(row.item, value);
        if (changed) *changed = 1;
      }
    }
  }

  // A level over an empty stack has its mark at the bottom, which closing a
  // level keeps: the stack is emptied again instead.
  if (entries == 0) {
    FkeyClearStack();
  } else {
    FkeyPopLevel();
  }
  FkeyRestorePages(kSetupMenu, kSetupMenu, &saved_page);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  TextSetCursor(&cursor_state);
  return 0;
}
