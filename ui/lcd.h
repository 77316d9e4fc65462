// Display memory and the drawing operations on it.
//
// Display memory (LcdVram) is 1024 bytes: 64 dot rows of 16 bytes from the
// top, the leftmost dot in the high bit, a set bit a black dot; dot (x, y),
// x 0..127, y 0..63, is bit 7 - x % 8 of byte 16 * y + x / 8. Everything the
// calculator shows is drawn here; the key wait hands it to the window
// (ShellUpdateDisplay). A few operations draw onto the shown screen as well,
// through the shadow bytes of ui/lcd_shadow.h.
//
// Every writer clips to the 128 x 64 screen: coordinates outside it, negative
// or too large, never write outside display memory. Calculator thread only,
// except LcdGetCursor, which the window's cursor blinking may call.
#pragma once
#include "kernel/types.h"

constexpr int kLcdWidth = 128;
constexpr int kLcdHeight = 64;
constexpr int kLcdVramBytes = 1024;
constexpr int kLcdColumns = 21;  // text cells of 6 x 8 dots
constexpr int kLcdRows = 8;

// Where a shape, area or bitmap goes.
enum LcdTarget : u8 {
  kLcdToVram = 0,    // display memory
  kLcdToScreen = 1,  // the shown screen only
  kLcdToBoth = 2,    // display memory, and its result onto the shown screen
};

// Write modes of shapes and bitmaps.
enum LcdWriteMode : u8 { kLcdWriteSet = 1, kLcdWriteOr = 2, kLcdWriteAnd = 3, kLcdWriteXor = 4 };

struct LcdRect {
  i32 x1, y1, x2, y2;  // corners in any order, both included
};

// A bitmap: height rows of ceil(width / 8) bytes, leftmost dot in the high bit.
// kind 1 normal, 2 reverse, 3 dotted by row parity.
struct LcdGraphic {
  i32 x, y, width, height;
  const u8 *bitmap;
  u8 write_mode;
  u8 kind;
};

// A shape: 1 point (x1, y1); 2 line; 3 dashed line (dash_a dots on, dash_b
// off); 4 dash-dot line (dash_a on, dash_b off, one on, dash_b off); 5
// rectangle frame; 6 circle of centre (x1, y1) and radius x2. colour 1 black,
// 2 white, 3 dotted (only dots with x + y even). The style byte is carried
// for the callers and does not change the drawing.
struct LcdShape {
  i32 x1, y1, x2, y2;
  u8 style;
  u8 shape;
  u8 colour;
  u8 write_mode;
  i32 dash_a, dash_b;
};

enum LcdShapeKind : u8 {
  kLcdShapePoint = 1,
  kLcdShapeLine = 2,
  kLcdShapeDash = 3,
  kLcdShapeDashDot = 4,
  kLcdShapeFrame = 5,
  kLcdShapeCircle = 6,
};

// An area: kind 1 fill black, 2 dotted (0xAA on even rows, 0x55 on odd), 3
// clear, 4 reverse.
struct LcdArea {
  i32 x1, y1, x2, y2;
  u8 kind;
};

// ---- display memory and screen --------------------------------------------
u8 *LcdVramAddress();
void LcdClearVram();
// Copies display memory into the caller's 1024 bytes.
void LcdCopyVram(u8 *out);
// Blanks the shown screen, then clears display memory.
void LcdFlushAndClear();
// Asks the window to redraw the shown screen from the shadow.
void LcdRedraw();

// ---- dots --------------------------------------------------------------------
u8 LcdPixelMask(i32 x);  // 0x80 >> (x % 8)
i32 LcdGetPixel(i32 x, i32 y);   // 1 when set; 0 also outside the screen
i32 LcdTestPixel(i32 x, i32 y);  // the same
void LcdSetPixel(i32 x, i32 y, i32 on);
// The dot in display memory and on the shown screen.
void LcdSetPixelBoth(i32 x, i32 y, i32 on);

// ---- lines, shapes and areas -------------------------------------------------
void LcdDrawLine(i32 x1, i32 y1, i32 x2, i32 y2);   // black, display memory
void LcdClearLine(i32 x1, i32 y1, i32 x2, i32 y2);  // white, display memory
void LcdDrawShape(const LcdShape &shape, LcdTarget target);
void LcdDrawShapeVram(const LcdShape &shape);
void LcdDrawShapeScreen(const LcdShape &shape);
void LcdDrawShapeBoth(const LcdShape &shape);
// Areas draw nothing when the rectangle leaves the screen.
void LcdDrawArea(const LcdArea &area, LcdTarget target);
void LcdDrawAreaVram(const LcdArea &area);
void LcdDrawAreaScreen(const LcdArea &area);
void LcdDrawAreaBoth(const LcdArea &area);
void LcdClearArea(const LcdRect &rect);
void LcdClearAreaScreen(const LcdRect &rect);
void LcdClearAreaBoth(const LcdRect &rect);
// Inverts every dot of the rectangle that lies on the screen.
void LcdReverseArea(i32 x1, i32 y1, i32 x2, i32 y2);
// Copies the rectangle out, row by row, ceil(width / 8) bytes a row, left
// aligned; returns 0 and copies nothing when the rectangle leaves the screen.
i32 LcdReadAreaVram(const LcdRect &rect, u8 *out);
i32 LcdReadAreaScreen(const LcdRect &rect, u8 *out);

// ---- bitmaps -----------------------------------------------------------------
void LcdWriteGraphic(const LcdGraphic &g, LcdTarget target);
void LcdWriteGraphicVram(const LcdGraphic &g);
void LcdWriteGraphicScreen(const LcdGraphic &g);
void LcdWriteGraphicBoth(const LcdGraphic &g);

// ---- text in the 6 x 8 font ------------------------------------------------
// Layout codes inside texts.
constexpr u16 kLcdCodeBack = 0xF9C8;     // x back one cell
constexpr u16 kLcdCodeAdvance = 0xF9C9;  // x on one cell without drawing
constexpr u16 kLcdCodeNewLine = 0xF9CA;  // y down one row, x kept
constexpr u16 kLcdCodeLineStart = 0xF9CD;  // x to 0

// Draw flags: bit 0 reverse video, 16 XOR onto what is there, 32 OR onto what
// is there, otherwise the six dots of each glyph row are overwritten.
constexpr u32 kLcdTextReverse = 1;
constexpr u32 kLcdTextXor = 16;
constexpr u32 kLcdTextOr = 32;

// The driver's text cursor: cell column 0..20, row 0..7.
i32 LcdLocate(i32 column, i32 row);  // 1, or 0 leaving it unchanged
// Accepts 0, 1, 2, 4, 8, 16, 17, 18, 20, 24 and 64; 0 for anything else.
i32 LcdSetCursorType(i32 type);
void LcdSetCursorFlash(i32 on);
// out: column, row, type, flash; returns the flash flag.
i32 LcdGetCursor(i32 out[4]);
// Draws at the cursor cell, then moves the cursor column after the text (20
// once the text reaches the right edge); returns the x after the text.
i32 LcdPrintAtCursor(const char *text, u32 flags);
i32 LcdPrintCharAtCursor(u16 code, u32 flags);
// Draws at dot (x, y); returns the x after the text.
i32 LcdPrintAtPixel(i32 x, i32 y, const char *text, u32 flags);

// ---- the small font ------------------------------------------------------------
// Small-font modes: 16 overwrites the glyph box (the glyph and one clear column
// after it, 6 rows), 32 draws only the black dots (OR); bit 0 reverses the
// box; bit 1 combines the box by XOR.
constexpr u32 kLcdMiniNormal = 16;
constexpr u32 kLcdMiniReverse = 1;
constexpr u32 kLcdMiniXor = 2;
constexpr u32 kLcdMiniOr = 32;
// Draws one character at (*x, y) and moves *x past it; returns 1 when
// anything of it lay on the screen.
i32 LcdPrintMiniCharAt(i32 *x, i32 y, u16 code, u32 mode);
// Draws up to max_chars characters (all when negative) at (*x, y), moving *x;
// returns how many of them lay (at least partly) on the screen.
i32 LcdPrintMiniAt(i32 *x, i32 y, const char *text, u32 mode, i32 max_chars = -1);
// Width in dots of a text in the small font (with the clear columns).
i32 LcdMiniTextWidth(const char *text);

// ---- screen slots, pop-up window, grids -------------------------------------
// Slots 1, 2, 3, 7 and 8; any other number returns 0 and does nothing.
i32 LcdSaveScreen(i32 slot);
i32 LcdRestoreScreen(i32 slot);
u8 *LcdScreenSlotAddress(i32 slot);
// Saves display memory into the slot (none for slot 0), then draws an empty
// pop-up window of size 1..6; returns 0 for another size.
i32 LcdDrawPopupWindow(i32 slot, i32 size);
// The top and bottom dot rows of a pop-up window of a size (1..6).
void LcdPopupRows(i32 size, i32 *top, i32 *bottom);
// List-editor grid: vertical rules at x 12, 40, 68, 96, 124 over 8 * rows + 8
// dot rows, the header rule at row 8 and, with second_rule, at row 16.
void LcdDrawTableGrid(i32 rows, i32 second_rule);
// One of nine 4 x 8 bracket pieces at dot (x, y): 0 top-left corner, 1 left
// edge, 2 bottom-left corner, 3 top-right corner, 4 right edge, 5 bottom-right
// corner, 6 left bracket of a one-row matrix, 7 right bracket of a one-row
// matrix, 8 the rule under a header. Other numbers draw nothing.
void LcdDrawBracketCell(i32 x, i32 y, i32 piece);

// Bracket column of a matrix or list display.
struct LcdBracketColumn {
  i32 columns;  // element columns shown
  i32 rows;     // element rows shown (text rows)
  i32 left;     // text column of the first element (1-based)
  i32 top;      // text row of the first element (1-based)
  u32 flags;
};
enum : u32 {
  kLcdBracketFirstRow = 1,   // the first shown row is the matrix's first
  kLcdBracketLastRow = 2,    // the last shown row is the matrix's last
  kLcdBracketLeft = 4,       // draw the left bracket
  kLcdBracketRight = 8,      // draw the right bracket at x 124
  kLcdBracketHeader = 16,    // rule under the header row, narrow
  kLcdBracketHalf = 32,      // right bracket at x 60, narrow header rule
};
void LcdDrawBracketColumn(const LcdBracketColumn &column);

// ---- busy mark ---------------------------------------------------------------
void LcdShowBusyIndicator();
void LcdBusySave(u32 *slot);
void LcdBusyRestore(u32 *slot);
