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

// Waits for a key and returns 1 with *key a character or token code, or 0
// with *key a key code (30001-32000, or the value of a function-key entry of
// kind 2). Before it waits it disarms break detection, redraws the
// function-key row when the menu changed and hands the display to the
// window. It handles SHIFT and ALPHA (and returns their codes after changing
// the state), the insert toggle, the menu-group keys, F1-F6 by the kind of
// the current page's entry, EXIT closing an open menu level, and the catalog
// key, whose chosen token comes back as a typed one (result 1); the menu-key
// mask and open pop-ups keep keys from that handling.
u32 KeyGetKey(u32 *key);
// Queues a key or character code as if typed (position (-1, -1)).
void KeyPost(u32 code);
// Makes the next KeyGetKey redraw the function-key row.
void KeyForgetDrawnRow();
// Takes the current menu's row as drawn, so KeyGetKey leaves the screen's
// bottom rows alone until another menu opens (the graph screens).
void KeyNoteDrawnRow();
// While a hook is set, KeyGetKey does not draw the row of the level's root
// menu: when that menu comes back (a sub-menu closed), it calls the hook,
// which puts the screen's own bottom rows back (the graph screens). Returns
// the hook that was set, so callers can put it back.
using KeyRootRowHook = void (*)(void *arg);
struct KeyRootRow {
  KeyRootRowHook hook;
  void *arg;
};
KeyRootRow KeySetRootRowHook(KeyRootRow row);
