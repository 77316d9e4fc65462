// The one-line token editor: a line of token text (one- and two-byte
// characters, zero-ended) shown in a window of columns on one text row,
// scrolled so the cursor stays in view. Applications keep the buffer, the
// window start and the cursor (byte indexes) and pass keys in; the editor
// puts characters, moves the cursor, deletes, pastes and selects for CLIP.
//
// `size` is the most bytes of text a line may hold: the buffer must have
// room for size + 1 bytes (the terminating zero). A two-byte character is
// never split: it goes in whole or not at all.
// Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// The longest line of the editors (matrix element, equation, search text).
inline constexpr u32 kEditLineMax = 255;

// Results of EditMoveCursor besides 0 (key applied, line redrawn).
enum EditMoveResult : i32 {
  kEditHandBackChar = -3,  // *key holds a typed character the caller handles
  kEditHandBackKey = -4,   // *key holds a key code the caller handles
};

// Puts the character or token `code` (two-byte codes as lead << 8 | byte)
// at byte index pos: inserted when insert is non-zero, else written over the
// character at pos (appended at the end of the text). Returns the index after
// the new character, or pos unchanged when the text has no room for it.
u32 EditPutCharAt(u8 *buf, u32 size, u32 pos, u32 code, u32 insert);
// EditPutCharAt inserting or overwriting by the insert mode (SET UP item 21).
u32 EditPutChar(u8 *buf, u32 size, u32 pos, u32 code);

// Applies an editing key to the line shown from column col of row, width
// columns wide, and redraws it:
//   AC empties the line; LEFT and RIGHT move over one character (they stop
//   at the ends); DEL deletes the character before the cursor in insert mode,
//   the one at the cursor in overwrite mode (the last one at the end);
//   paste (30036) inserts the text of "CLIP".
//   The CLIP-state arrows (30042, 30043) select from the cursor: the editor
//   then reads keys itself, moving the selection's end with them, until
//   COPY (30035) or CUT (30051) takes the selection into "CLIP", or another
//   key ends the selection. That key is handed back: -3 with *key a typed
//   character, -4 with *key a key code; the CLIP state is left in both.
// Other keys leave the line as it is. Returns 0, -3 or -4.
i32 EditMoveCursorEx(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 *key, i32 col, i32 row, i32 width);
// EditMoveCursorEx on the line from col to column 21.
i32 EditMoveCursor(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 *key, i32 col, i32 row);
// The small field of the name and password dialogs: EditMoveCursorEx on a
// field of `columns` columns, the key passed by value (no CLIP selection).
i32 EditMoveCursorIn(u8 *buf, u32 size, u32 *start, u32 *cursor, u32 key, i32 col, i32 row, i32 columns);

// Shows the line from window start at column col of row up to column 21
// (blanks after the text), scrolled so that the cursor is in view, and puts
// the text cursor on it with the shape of the key state. Returns the window
// start it used.
u32 EditRedrawLine(const u8 *buf, u32 start, u32 cursor, i32 col, i32 row);
// The same in a field of width columns.
u32 EditRedrawLineIn(const u8 *buf, u32 start, u32 cursor, i32 col, i32 row, i32 width);

// The columns the character `code` takes on the screen, and its display text
// (kStrTokenNameMax bytes of memory/str.h suffice) when text is not null.
i32 EditCharColumns(u16 code, char *text);

// One-line number input on a text row: prompt at column 1, the field behind
// it to column 21. typed != 0: *key is the first character typed (the field
// starts empty); typed == 0: the field starts with *value's text. EXE takes
// the text's value (a plain number, or any formula the evaluator computes to
// a real: "2/3", "sin 30"); a text without one shows its error box (Syntax
// ERROR, a complex result Ma ERROR) and the field stays as typed for
// editing; an empty text is ignored. Returns 0 with *value set, -2 on EXIT
// and -1 on SHIFT+EXIT (value unchanged); *key holds the key that ended the
// input.
i32 EditReadNumber(u32 typed, u32 *key, i32 row, BcdReal *value, const char *prompt);
// The real value of a text as EditReadNumber takes it: 0 with *out set, or
// the error code to show.
i32 EditEvaluateNumber(const u8 *text, BcdReal *out);
// The same for a value: a real or complex result.
i32 EditReadValue(u32 typed, u32 *key, i32 row, Value *value, const char *prompt);

// Converts number text (digits, point, exponent mark 0x0F, minus signs 0x87
// and 0x99, a leading plus 0x89, the fraction mark 0xBB) into a real: 1 with
// *out set, 0 when the text is not a number.
i32 EditParseNumber(const u8 *text, BcdReal *out);
