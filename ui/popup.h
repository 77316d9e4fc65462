// Framed pop-up windows over the current screen: the message pop-up, the
// framed opener, the capture-recall box and the error box (ui/errbox.h).
// The screen under a pop-up is saved before and restored after.
// Calculator thread only.
#pragma once
#include <initializer_list>

#include "kernel/types.h"

struct TextCursorState;

// Draws the empty window of size k (1-6) without saving the screen.
void PopupDrawWindow(i32 k);
// Blanks text columns 3 to 19 of a row inside a window.
void PopupBlankRow(i32 row);
// Opens a kind-5 pop-up, blanks the inside rows of size k and draws the
// window; PopupCloseKind5 closes it.
void PopupOpenFramed(i32 k);
void PopupCloseKind5();
// A kind-4 pop-up of size k showing text from column 1 of the size's first
// text row; waits for EXIT, AC or SHIFT+EXIT, restores screen and cursor and
// returns 0.
i32 PopupMessage(i32 k, const char *text);
// Reads the picture item "CAPT" followed by n (kind 10) into display memory;
// 0 on success, 4 when the item is missing, too short or unreadable.
i32 PopupRecallCapture(i32 n);
// The capture box: asks for a capture number 1-20 in a window over the
// screen and recalls that picture into display memory (error box 4 when it is
// missing; error box 8 and a new question for a number outside 1-20). EXIT and
// SHIFT+EXIT leave it with the screen as it was. The key reader opens it on
// the capture key; at most two boxes are open at once (a third call returns
// at once), and while any is open bit 128 of the open-pop-up mask is set.
void PopupCaptureBox();
// Forgets every open capture box (the count and its bit of the open-pop-up
// mask): a launch leaves any box that was reading its number.
void PopupResetCaptureBoxes();
// The zoom factors of the graph screen in a pop-up titled by message 436:
// "Xfact:" and "Yfact:" lines, UP and DOWN switch the line, a typed
// character starts a new value and RIGHT or LEFT edit the stored one with the
// line editor; EXE stores the edited line (an invalid value shows its error
// box and stays for editing) and, with no line edited, closes the pop-up.
// Returns 0 on that EXE, -2 on EXIT, -1 on SHIFT+EXIT. A stored factor that
// cannot be read shows its error box first.
i32 PopupZoomFactors();
// Asks for a list number 1-26 in a size-4 pop-up: the messages ids, one a
// row from the window's first row, then "List[1~26]:" with a two-digit
// field. Returns 0 with the number in *out, -1 on SHIFT+EXIT, -2 on EXIT;
// the screen under it is restored.
i32 PopupAskListNumber(std::initializer_list<i32> ids, i32 *out);
// The first text row inside a window of size k.
i32 PopupFirstRow(i32 k);
// Reads keys until one of the closing key codes arrives; returns it.
u32 PopupWaitKey(std::initializer_list<u32> closing);
// Locates the cursor back to a saved state and, when it was on, sets its
// shape from the key state.
void PopupRestoreCursor(const TextCursorState &saved);
