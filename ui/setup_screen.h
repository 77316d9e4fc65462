// The SET UP screen: a list of the settings an application uses, each with
// its current choice; UP and DOWN select a row, the function keys show the
// row's choices and set it, a choice that needs a number asks for it in a
// pop-up. EXIT, SHIFT+EXIT and EXE leave. Calculator thread only.
#pragma once
#include "kernel/types.h"

// Values of the settings the screen sets (SET UP items of ui/setup.h).
enum SetupAngleUnit : u8 { kAngleDeg = 0, kAngleRad = 1, kAngleGra = 2 };
enum SetupBaseMode : u8 { kModeComp = 0, kModeBin = 1, kModeOct = 7, kModeDec = 9, kModeHex = 15 };
enum SetupComplexMode : u8 { kComplexReal = 0, kComplexRect = 1, kComplexPolar = 2 };
enum SetupInputMode : u8 { kInputMath = 0, kInputLinear = 1 };
enum SetupFracResult : u8 { kFracImproper = 0, kFracMixed = 1 };
// The display item (43): the form in bits 4-6, the Fix or Sci digits in the
// low nibble, engineering notation in bit 7.
enum SetupDisplayBits : u8 {
  kDisplayNorm1 = 0x00,
  kDisplayNorm2 = 0x10,
  kDisplayFix = 0x20,
  kDisplaySci = 0x30,
  kDisplayFormMask = 0x70,
  kDisplayDigitsMask = 0x0F,
  kDisplayEng = 0x80,
};

// Shows the SET UP screen of the application named app ("@RUNMAT", "@MAT",
// "@EQUA", "@PROG"); an application without a list of its own shows none and
// returns at once. *changed is 0 on entry and becomes 1 once a setting took
// a new value. The menu-key mask and the function-key menus are as they were
// when it returns. Returns 0.
i32 SetupScreen(const char *app, u32 *changed);

// The text of item's current value as the screen shows it (at most 8
// characters), for the items the screen lists; null for any other item.
const char *SetupValueText(u8 item, u8 value, char out[16]);
