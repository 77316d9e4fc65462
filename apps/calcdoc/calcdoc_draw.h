// Drawing the open document and keeping its current line in view.
// Calculator thread only.
#pragma once
#include "kernel/types.h"

// Draws entry index with its top at pixel row y: marked shows it reversed;
// edit (with its cursor) draws the editor's text in its place.
void CalcDocDrawEntry(u32 index, i32 y, bool marked, u8 *edit, u16 *cursor);
// Clears the document area and draws the lines around the current one.
void CalcDocDrawScreen(bool marked, u8 *edit, u16 *cursor);
// Moves the view so that the current line is seen and no gap is left under
// the last line or above the first.
void CalcDocScrollToCurrent();
// Moves the edited line so that the cursor (its centre row) stays in view.
void CalcDocScrollToCursor(i32 cursor_row);

// A strip's name: its buffer, and it shows at most this many display columns.
inline constexpr u32 kDocStripNameSize = 32;
inline constexpr u32 kDocStripNameColumns = 16;
// The display columns of a strip name (a token by its display name).
u32 CalcDocStripNameColumns(const u8 *name);
// Prints a strip name at dot (x, y), at most kDocStripNameColumns columns;
// returns the x of the character at byte `cursor` (the x after the name
// when the cursor stands at its end or beyond).
i32 CalcDocPrintStripName(const u8 *name, i32 x, i32 y, u16 cursor);
