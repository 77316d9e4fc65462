// Text on the 21 x 8 character grid, the cursor state and the pop-up slots.
//
// Positions here are 1-based (column 1..21, row 1..8). Texts are in the
// calculator's character set: one byte a character, or two when the first
// is a lead byte (0x7F, 0xE5, 0xE6, 0xE7, 0xF7, 0xF9), ending at a 0 byte.
#pragma once
#include "kernel/types.h"

// The text cursor as saved around pop-ups. shape is -1 when the flashing
// cursor is off; graph_word is the graphics-cursor shown word.
struct TextCursorState {
  i32 shape;
  i32 x;
  i32 y;
  u32 graph_word;
};

// Moves the cursor to (x, y) when 1 <= x <= 21 and 1 <= y <= 8.
void TextLocate(i32 x, i32 y);

// Printing modes of TextPrintCore.
enum TextPrintMode : i32 {
  kTextToEnd = 0,         // to the end of the text or column 21
  kTextField = 1,         // to the last column, blanks after the text
  kTextToEndRev = 10,
  kTextFieldRev = 11,
};
// Prints at the cursor character by character until the text ends (modes 0
// and 10) or the cursor passes last_column (1-based; forced to 21 for modes 0
// and 10), printing blanks after the text in modes 1 and 11. Returns the x
// after the last character printed (0 when nothing was printed).
i32 TextPrintCore(i32 mode, const char *text, i32 last_column);
i32 TextPrint(const char *text);
i32 TextPrintRev(const char *text);
i32 TextPrintField(const char *text, i32 last_column);
i32 TextPrintFieldRev(const char *text, i32 last_column);
// Blanks text rows first..last (1-8) across the whole width.
void TextClearRows(i32 first, i32 last);
// One character (two bytes when the first is a lead byte) at the cursor.
i32 TextPutChar(const char *c);
i32 TextPutCharRev(const char *c);

// Cursor shapes (1, 3-7, 9-12) against the driver's cursor types.
i32 TextShapeToType(i32 shape);
i32 TextTypeToShape(i32 type);
void TextGetCursor(TextCursorState *state);
i32 TextCursorShape();
void TextSetCursor(const TextCursorState *state);
// Sets the driver cursor type of the shape, switches flashing on and clears
// the graphics-cursor word; returns the result of setting the type.
i32 TextSetCursorShape(i32 shape);
void TextCursorOff();
// Sets the cursor shape that follows from the key modifier (SET UP item 20)
// and the insert mode (item 21), by KeyCursorShape of ui/keys.h; returns
// TextSetCursorShape's result.
i32 KeyCursorFromState();

// Pop-ups by kind: kind 1 saves into screen slot 3, 3 into 8, 4 into 7, 5 into
// 1, 6 into 2, any other into 7. Kinds other than 1 also mark themselves in
// the open-pop-up mask (kind 3 bit 32, 4 bit 16, 6 bit 2, others bit 1), which
// makes the key reader skip function-key and menu-key handling.
i32 PopupSlotOfKind(i32 kind);
u32 PopupMaskBitOfKind(i32 kind);
// Saves display memory into the kind's slot and marks the kind open; returns
// the save result.
i32 PopupOpen(i32 kind);
// Restores display memory from the kind's slot, clears the kind's mark and
// puts the cursor back where it was (its shape from the key state when it
// was on).
void PopupClose(i32 kind);
// The open-pop-up mask.
u32 PopupOpenMask();
void PopupMarkOpen(u32 bits);
void PopupMarkClosed(u32 bits);

// ---- small font ----------------------------------------------------------------
// Modes: 16 normal, 18 reverse, 32 OR onto what is there, 34 OR reversed; 17
// draws by XOR. Character forms return the x after the character, or 0 when
// nothing of it lay on the screen.
i32 TextPrintMiniChar(i32 x, i32 y, u16 code, i32 mode);
// Returns the x after the text, or 0 when nothing was drawn.
i32 TextPrintMini(i32 x, i32 y, const char *text, i32 mode);
// At most max_chars characters; returns x when drawn, else 0.
i32 TextPrintMiniN(i32 x, i32 y, const char *text, i32 max_chars, i32 mode);
// At small-font cell (col, row): dot (4 * col - 4, 8 * row - 6).
i32 TextPrintMiniCharAtCell(i32 col, i32 row, u16 code, i32 mode);
// Returns (x after the text) / 4 + 1, or 0 when nothing was drawn.
i32 TextPrintMiniAtCell(i32 col, i32 row, const char *text, i32 mode);

// ---- digit fields ---------------------------------------------------------------
// A field of up to width digits at (col, row) (cut at column 21): digits go
// in at the cursor, AC empties it, LEFT and RIGHT move, DEL deletes. EXE with
// digits copies them, 0-terminated, into buffer (width + 1 bytes) and
// returns 0; EXE on an empty field is ignored. EXIT returns -2, SHIFT+EXIT
// -1. first, when it is a digit's code, is put in before the first key is
// read. While the field runs the key reader's menu mask also holds 144
// (catalog and CLIP); the mask and the cursor are restored on the way out.
i32 TextInputDigits(char *buffer, i32 col, i32 row, i32 width, i32 first = 0);
// The same field starting with the digits in buffer, the cursor after them.
i32 TextEditDigits(char *buffer, i32 col, i32 row, i32 width);
i32 TextInputDigitsField(char *buffer, i32 col, i32 row, i32 width);
i32 TextInputTwoDigits(char *buffer, i32 col, i32 row);
// Reads two-digit numbers at (col, row) until one lies in [low, high],
// showing error box 8 for any other; returns 0 with *out set, -1 on
// SHIFT+EXIT, -2 on EXIT.
i32 TextInputNumber(i32 *out, i32 col, i32 row, i32 low, i32 high);

// The first byte of text to show so that the character at cursor_index fits
// into to_column - from_column columns: 0 when the text up to the cursor fits.
// Each character counts the columns of its display text (EditCharColumns).
i32 TextScrollStart(i32 from_column, i32 to_column, const char *text, i32 cursor_index);
