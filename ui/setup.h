// The SET UP item array: 100 bytes of calculator settings and state shared
// between the layers (angle unit, key modifier, display format, ...).
// Calculator thread only.
#pragma once
#include "kernel/types.h"

constexpr int kSetupItemCount = 100;

// Item numbers the system names.
enum SetupItem : u8 {
  kSetupAngle = 19,        // 0 Deg, 1 Rad, 2 Gra
  kSetupKeyModifier = 20,  // KeyModifier state
  kSetupInsertMode = 21,
  kSetupMode = 23,         // Base-N mode: 0 off, else base minus one
  kSetupFuncType = 24,
  kSetupComplexMode = 42,
  kSetupDisplay = 43,      // bits 4-6 Norm1/Norm2/Fix/Sci, low nibble digits, bit 7 Eng
  kSetupEvalFlags = 59,
  kSetupDisplayState = 61,
  kSetupEngShown = 62,     // signed 16-bit word at 62-63
  kSetupEngShown2 = 64,    // signed 16-bit word at 64-65
  kSetupProgLevel = 71,
  kSetupGraphVars = 74,
  kSetupFracResult = 87,
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
