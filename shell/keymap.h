// Mapping of mouse clicks on the skin and PC keys to calculator keys.
//
// Every input travels one road: a shell key number and a PC code, then
// ShellMapKey, then the key queue. A shell key number is the key-matrix
// column times 10 plus (row - 1) for ordinary keys; AC is 34 (column 1,
// row 1); 711, 611, 411 and 211 are the row-12 service keys; -1 means a
// character event that carries the character code alone.
#pragma once
#include "kernel/types.h"

constexpr i16 kShellKeyChar = -1;
constexpr u16 kShellNoCode = 0xFFFF;

// A skin key rectangle in skin pixels, bounds inclusive.
struct ShellKeyRect {
  i16 key;
  u16 code;
  i16 left, top, right, bottom;
};

constexpr int kShellSkinKeyCount = 50;
extern const ShellKeyRect kShellSkinKeyRects[kShellSkinKeyCount];

// The key-matrix position of a shell key number. False for an unknown key
// number; a character event (-1) gives (-1, -1).
bool ShellMapKey(i16 key, i32 *column, i32 *row);
// The name of a shell key number ("EXE", "F1", "7", ...), or null.
const char *ShellKeyName(i16 key);
// The shell key number of a name, first match; 0 when none.
i16 ShellKeyByName(const char *name);

// The first skin key whose rectangle holds (x, y), or null.
const ShellKeyRect *ShellSkinKeyAt(i32 x, i32 y);
// The skin rectangle of a key number, or null (service keys have none).
const ShellKeyRect *ShellSkinKeyRect(i16 key);

// A click in the function-key label band under the display moves onto the
// function-key row; any other point is left alone.
void ShellRemapLabelBand(i32 *x, i32 *y);

// PC virtual-key codes the key-down table is written in.
enum ShellVirtualKey : i32 {
  kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkEscape = 27, kVkSpace = 32,
  kVkPrior = 33, kVkNext = 34, kVkEnd = 35, kVkHome = 36, kVkLeft = 37,
  kVkUp = 38, kVkRight = 39, kVkDown = 40, kVkInsert = 45, kVkDelete = 46,
  kVkMultiply = 106, kVkAdd = 107, kVkSubtract = 109, kVkDecimal = 110,
  kVkDivide = 111, kVkF1 = 112, kVkF2, kVkF3, kVkF4, kVkF5, kVkF6, kVkF7,
  kVkF8, kVkF9, kVkF10, kVkF11, kVkF12,
};

// The key-down table: the key number and code of a virtual key. False when
// the key is not in the table.
bool ShellLookupKeyDown(i32 vkey, i16 *key, u16 *code);
// The numeric-pad keys the key-down handler leaves to the character road.
bool ShellIsCharRoadKey(i32 vkey);
// The character table: the key number of a typed character (-1 for the
// characters sent as character events). False when it is not in the table.
bool ShellLookupChar(i32 ch, i16 *key);
