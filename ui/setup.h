// The SET UP item array: 100 bytes of calculator settings and state shared
// between the layers (angle unit, key modifier, display format, ...).
// Calculator thread only.
#pragma once
#include "kernel/types.h"

constexpr int kSetupItemCount = 100;

// Item numbers the system names.
enum SetupItem : u8 {
  kSetupReplayBaseN = 10,  // the run history was written in Base-N mode
  kSetupFmemTextPos = 12,  // 32-bit text position at 12-15
  kSetupAngle = 19,        // 0 Deg, 1 Rad, 2 Gra
  kSetupKeyModifier = 20,  // KeyModifier state
  kSetupInsertMode = 21,   // 1 overwrite, 2 insert
  kSetupMode = 23,         // Base-N mode: 0 off, else base minus one
  kSetupFuncType = 24,     // 0 Y=, 1 r=, 2 Param, 3 X=c, 4-7 inequalities
  kSetupDrawType = 25,     // 0 Connect, 1 Plot
  kSetupDerivative = 26,   // 0 On
  kSetupCoord = 27,        // 0 On
  kSetupGrid = 28,         // 0 On
  kSetupAxes = 29,         // 0 On
  kSetupLabel = 30,        // 0 On
  kSetupStatWind = 32,     // 0 Auto, 1 Manual
  kSetupGraphFunc = 33,    // 0 On
  kSetupDualScreen = 34,
  kSetupSimulGraph = 35,   // 0 On
  kSetupDynamicType = 36,
  kSetupSumDisplay = 37,   // recursion sums, 0 On
  kSetupSlope = 38,        // 0 On
  kSetupPayment = 39,      // 0 Bgn, 1 End
  kSetupDateMode = 40,     // 0 365 days, 1 360 days
  kSetupComplexMode = 42,  // 0 Real, 1 a+bi, 2 r<theta
  kSetupDisplay = 43,      // bits 4-6 Norm1/Norm2/Fix/Sci, low nibble digits, bit 7 Eng
  kSetupBackground = 44,   // 0 none, else a picture number
  kSetupResidList = 45,    // 0 none, else a list number
  kSetupListFile = 46,     // current list file 1-6
  kSetupVariable = 47,     // 0 Range, else a list
  kSetupRecurType = 48,
  kSetupTableDual = 49,
  kSetupRandomState = 50,  // random generator state at 50-58 and 60
  kSetupEvalFlags = 59,
  kSetupDisplayState = 61,
  kSetupEngShown = 62,     // signed 16-bit word at 62-63
  kSetupEngShown2 = 64,    // signed 16-bit word at 64-65
  kSetupProgLevel = 71,
  kSetupGraphVars = 74,
  kSetupAutoCalc = 78,     // 0 On
  kSetupShowCell = 79,     // 0 formula, 1 value
  kSetupMove = 80,         // 0 down, 1 right
  kSetupSubName = 81,      // 0 shown
  kSetupInputMode = 83,    // 0 natural display, 1 linear
  kSetupLocus = 84,        // 0 On
  kSetupDrawSpeed = 85,    // 0 Norm, 1 High
  kSetupSketchLine = 86,   // 0 normal, 1 thick, 2 broken, 3 dot
  kSetupFracResult = 87,   // 0 d/c, 1 a b/c
  kSetupCableType = 88,    // 0 USB
  kSetupWakeup = 89,       // 0 On
  kSetupImageSet = 90,     // 1 Off, else Auto
};

// Byte n of the array. Indexes of 100 and above are refused: the getter
// answers 0 and the setter stores nothing.
u8 SetupGetByte(u8 n);
void SetupSetByte(u8 n, u8 value);
// The same access under the item's name.
u8 SetupGetItem(u8 item);
void SetupSetItem(u8 item, u8 value);
// Address of byte n (for the 16-bit words at 62 and 64); null for n >= 100.
u8 *SetupItemAddress(u8 n);
// The angle unit, item 19.
u8 SetupGetAngle();
// Every item back to its default value.
void SetupResetAll();
// The default value of item n (0 for n >= 100).
u8 SetupDefault(u8 n);
