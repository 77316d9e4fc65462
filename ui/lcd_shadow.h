// The shown screen: the shell's display shadow and the screen hand-off.
//
// The calculator draws into its display memory (ui/lcd.h). What the window
// shows is the shadow (LcdShadow): 1024 bytes, 64 rows of 16, leftmost dot in
// the high bit, every bit inverted (a set bit is a clear dot). The calculator
// thread hands display memory over at every key wait and writes single shadow
// bytes for the few operations that draw straight onto the shown screen; the
// window thread reads the shadow to paint it and writes it to blink cursors.
// Every access goes through one lock, so the two threads never race; this
// module knows nothing of any window toolkit.
#pragma once
#include "kernel/types.h"

constexpr int kLcdShadowBytes = 1024;

// ---- calculator thread -------------------------------------------------------

// The shown byte at byte column x (0..15) of dot row y (0..63), as display
// memory would hold it (a set bit is a black dot); 0 outside the screen.
u8 ShellGetLcdByte(i32 x, i32 y);
// Shows byte b (set bit = black dot) at byte column x of dot row y; nothing
// outside the screen.
void ShellSetLcdByte(i32 x, i32 y, u8 b);

// The screen hand-off: copies display memory into the shadow (unless the
// display is frozen), records the key state (SET UP item 20) for the status
// text and title, and asks the window to redraw.
void ShellUpdateDisplay();
// Blanks the shown screen: the shadow becomes all clear and the window redraws.
void ShellBlankLcd();
// Asks the window to redraw from the shadow; mode 1 blanks the shadow first.
void ShellRedrawLcd(i32 mode);
// The busy mark: on makes the 4 x 4 dots at x 124-127, y 0-3 black, off clear.
void ShellShowBusyIndicator(i32 on);

// The graphics cursor: ShellSetGraphCursor clamps x to 0..127 and y to 0..63,
// stores the position, marks the graphics cursor shown, locates the text
// cursor there and switches flashing on; returns the locate result.
i32 ShellSetGraphCursor(i32 x, i32 y);
// The graphics-cursor shown word (0 when not shown) and its position.
u32 ShellGetGraphCursorWord();
void ShellSetGraphCursorWord(u32 word);
void ShellGetGraphCursorPos(i32 *x, i32 *y);

// While frozen (capture and replay tools), hand-offs leave the shadow alone.
void ShellSetDisplayFreeze(bool frozen);
bool ShellDisplayFrozen();

// ---- window thread -------------------------------------------------------

// A consistent copy of the whole shadow (inverted bits, as stored).
void ShellCopyShadow(u8 out[kLcdShadowBytes]);
// Display memory as it was at the last hand-off (set bit = black dot), for
// restoring cells under a blinking cursor.
void ShellCopyHandedFrame(u8 out[kLcdShadowBytes]);
// Writes shadow bytes under the lock: 'count' bytes from 'offset' (inverted bits).
void ShellWriteShadow(i32 offset, const u8 *bytes, i32 count);
// Fills the shadow with 0xFF (all clear), as when the view is built.
void ShellResetShadow();
// Counts hand-offs and shown-screen changes; the window may poll it.
u32 ShellDisplaySerial();
// The key state (SET UP item 20) recorded at the last hand-off.
u8 ShellHandedKeyState();
// The status text of a key state: "<SHIFT>", "<CLIP>", "<ALPHA>",
// "<ALPHA-LOCK>", "<small-ALPHA>", "<small-ALPHA-LOCK>", or "".
const char *ShellKeyStateText(u8 modifier);

// The window registers a function the calculator thread calls after each
// hand-off or shown-screen change (mode 1: blanked); null removes it. It must
// only post a repaint to the window's own thread.
using ShellDisplayHook = void (*)(i32 mode);
void ShellSetDisplayHook(ShellDisplayHook hook);
