// The key reader: turns key events into key codes and characters under the
// SHIFT / ALPHA / CLIP states, the insert mode and the function-key menus.
// Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "ui/keycodes.h"

// What the key at (column, row) gives under a modifier state (SET UP item
// 20): the action of the state's column of the layout, the key's plain
// action where that column is empty, the lower-case letter in the lower-case
// alpha states. kActNone for a position without a key.
KeyAction KeyMapPosition(i32 column, i32 row, u8 modifier);

// The modifier state (SET UP item 20).
u8 KeyGetModifier();
void KeySetModifier(u8 modifier);
// The modifier state after the modifier key `code` (kKeyShift or kKeyAlpha)
// is pressed in state `modifier`.
u8 KeyNextModifier(u8 modifier, u32 code);
// Insert mode (SET UP item 21): kInsertOverwrite or kInsertInsert.
u8 KeyGetInsertMode();
void KeySetInsertMode(u8 mode);
void KeyToggleInsertMode();
// The text-cursor shape code for a modifier and insert state.
i32 KeyCursorShape(u8 modifier, u8 insertMode);
