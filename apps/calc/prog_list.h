// The program application "@PROG": the list of the programs of main memory,
// the name, password and delete dialogs, the run of a program on the run
// screen, and the program editor. Calculator thread only.
//
// A program item (kind 1, folder "system") holds the password in bytes 0-7
// (zero-padded, all zero = none), the mode in byte 8 (1 = Base-N program),
// a zero in byte 9 and the token text from byte 10, zero-ended. Items read
// from a backup are untrusted: every walk over a text is bounded by the
// item's size.
#pragma once
#include "kernel/types.h"

// One program of the list, taken from the runtime library's heap.
struct ProgListNode {
  char name[9];
  char password[9];
  u8 mode;   // 1 = Base-N program
  u32 size;  // item size, kept up to date by the editor
  ProgListNode *previous;
  ProgListNode *next;
};

// The list screen's record: every program in the item store's order, the
// one under the list cursor (also the one the editor works on) and the one
// on the first list row.
struct ProgList {
  ProgListNode *first;
  ProgListNode *selected;
  ProgListNode *top;
};

inline constexpr u32 kProgHeaderSize = 10;
inline constexpr u32 kProgNameMax = 8;

// The application's entry; never returns in normal use.
u32 ProgEditAppMain(u32 from_main_menu, u16 submode);

// Frees every node.
void ProgListFree(ProgList *list);
// Rebuilds the list from main memory and selects the program `name` (shown
// on the top row), or, without a name or when it is missing, the first
// (direction >= 0) or the last (direction < 0) program. 0, or the error box
// code when an item could not be read (the list then holds what was read).
u32 ProgListLoad(const char *name, ProgList *list, i32 direction);
// Creates the program (11-byte header) or, when one of that name exists,
// replaces its password and mode and keeps its text; then loads the list at
// it. 0, or the error box code of the failure.
u32 ProgListCreate(const char *name, const char *password, u8 mode, ProgList *list);

// The error box code for a failed item call, from the store's raw code
// (McsLastError): no room gives Memory Full, a taken name Already Exists, a
// missing item Not Found, anything else Memory ERROR.
i32 ProgItemErrorCode(u32 store_code);

// 1 when c may stand in a program name or password.
u32 ProgEditIsNameChar(u32 c);

// The text of a program item: its address and the bytes of token text
// before the terminator, never more than the item holds after its header.
// Null when the item is missing or shorter than its header.
const u8 *ProgItemText(const char *name, u32 *len);

// The editor, on the list's selected program. start: 1-based byte position
// the cursor opens on (0 the top). Returns when the user leaves; the list's
// top and selected node are then the edited program (EXIT), or the first
// program (SHIFT+EXIT, which returns kKeyQuit).
u32 ProgEditMain(u32 start, ProgList *list);
// Base-N refusals of the editor: -1 when the selected program is a Base-N
// program and the token cannot be typed in it.
i32 ProgEditBaseNRefuses(u16 token, const ProgList *list);
