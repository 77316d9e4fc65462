// The run screen: the 21 x 7 text area of the run-and-matrix application
// (row 8 is the function-key row) with its one input line. The line is held
// twice, as token text (what the interpreter reads) and as display text (the
// names of its tokens), laid out in rows of 21 columns under the earlier
// screen content. The screen keeps its own copy of the 7 text rows so that it
// can scroll and restore them. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

constexpr u32 kRunScreenRows = 7;
constexpr u32 kRunScreenCols = 21;
constexpr u32 kRunScreenRowBytes = 42;  // 21 characters of one or two bytes
constexpr u32 kRunLineMax = 255;        // bytes of token text in one line

struct RunScreen {
  u32 disp_cursor;       // 1-based display index of the character at the cursor
  u32 disp_end;          // display text length + 1
  u32 scroll_base;       // start row + rows the line has scrolled up
  u32 start_row;         // row (1..7) of display line 1 when the line began
  u32 tok_cursor;        // 1-based token-text index of the token at the cursor
  u32 tok_end;           // token text length + 1
  u32 col;               // cursor column 1..21
  u32 row;               // cursor row 1..7
  u32 recall_allowed;    // the line is untouched: the arrows may recall history
  u32 browsing;          // a history line shown by UP or DOWN is on the screen
  u32 history_index;     // 1-based history line shown, 0 none
  u32 selecting;
  u32 base_n;            // Base-N mode when the screen was set up
  u32 result_shown;      // a result stands under the line and nothing was typed
  u32 error;             // the last execution failed; cleared by editing
  u32 pause;             // written by the Disp pause; not read here
  u32 batch;             // many tokens go in at once: no drawing per token
  u32 result_on_bottom;  // the last result row is row 7
  u32 output_kind;       // 0 a value shown, 1 "Done", 2 a statement's output
  u32 quiet_delete;      // DEL called by another operation
  u32 anchor_width;      // display bytes of the token at the selection anchor
  u32 result_rows;       // 1 or 2
  u32 cursor_byte_col;   // 1-based byte index of the cursor in its row copy
  u32 move_counter;
  u8 screen[kRunScreenRows][kRunScreenRowBytes];
  u8 saved_screen[kRunScreenRows][kRunScreenRowBytes];
  char result_text[64];   // the shown result's text (code 13 between two rows)
  u32 result_row;        // first row of the shown result
  char *disp;            // display text (heap, owned)
  char *tok;             // token text (heap, owned)
  u32 disp_cap;          // bytes allocated for disp and tok
  u32 tok_cap;
  u32 sel_anchor_tok, sel_anchor_disp, sel_end_tok, sel_end_disp;
  Value last_result;
};

// Sets up the screen: display cleared, copy blanked, two empty 256-byte
// buffers, cursor at column 1 row 1. 0, or -1 after Memory ERROR was shown.
i32 RunScreenInit(RunScreen *rs);
// Releases both buffers.
void RunScreenFree(RunScreen *rs);
// Starts a new empty line at the cursor row. 0, or -1 after Memory ERROR.
i32 RunScreenResetLine(RunScreen *rs);
// Replaces the line by `text` (token text, zero-ended) laid out from the
// cursor's start row; the cursor at its start. 0, or the error code of the
// memory failure (nothing shown).
i32 RunScreenLoadText(RunScreen *rs, const u8 *text, u32 len);
// Types one token (one byte, or lead byte * 256 + second byte) at the cursor.
// 0 (also when the token was refused), or -1 after Memory ERROR.
i32 RunScreenInsertToken(u16 token, RunScreen *rs);
// DEL. 0, or -1 after Memory ERROR.
i32 RunScreenDeleteChar(u32 key, RunScreen *rs);
// The cursor keys UP, LEFT, RIGHT, DOWN (and the four diagonals); direct = 1
// moves without history recall.
void RunScreenCursorKey(u32 key, RunScreen *rs, u32 direct);
// The CLIP arrows (and the plain arrows during a selection).
void RunScreenSelectKey(u32 key, RunScreen *rs);
void RunScreenEndSelection(RunScreen *rs);
// Copies the selection into the clipboard item. 0, or an error code shown.
i32 RunScreenCopySelection(RunScreen *rs);
i32 RunScreenDeleteSelection(RunScreen *rs);
i32 RunScreenCutSelection(RunScreen *rs);
// Inserts the clipboard's text as tokens. 0, or -1 after an error was shown.
i32 RunScreenPaste(RunScreen *rs);

// Draws rows 1..7 from the screen copy (the selection in reverse video) and
// puts the cursor back.
void RunScreenRedraw(RunScreen *rs);
// Puts the text cursor at the cursor position with the shape of the key
// modifier state.
void RunScreenShowCursor(RunScreen *rs);
// Moves the cursor to token index `tok` (1-based), scrolling as needed.
void RunScreenMoveTo(RunScreen *rs, u32 tok);
// Lays the line out again from row 1 over a blank copy.
void RunScreenLayoutFromTop(RunScreen *rs);
// Scrolls the screen copy up one row (and the display).
void RunScreenScrollUp(RunScreen *rs);
// Writes `text` (at most 21 characters) right-aligned into row `row` of the
// copy and the display.
void RunScreenPrintRight(RunScreen *rs, u32 row, const char *text);
// The length in bytes of the token at p (1 or 2).
u32 RunScreenTokenLen(const u8 *p);
