// The one place where the window meets the calculator library: the display
// shadow it draws from, the key queue it posts to, the calculator thread it
// starts and stops. Everything else in shell/ goes through these calls.
#pragma once
#include <string>

#include "kernel/types.h"

constexpr i32 kLcdBytes = 1024;

// Typed letters carry the modifier they are to be read under, so the UI
// thread never rewrites the calculator's key modifier around a post.
enum ShellLetterMode : u8 {
  kLetterPlain = 0,      // not a letter event
  kLetterAlphaOnce = 1,  // an upper-case letter: ALPHA for this key only
                         // (lower case under lower-case alpha)
  kLetterAlphaStay = 2,  // a lower-case letter: ALPHA, and it stays
};

struct ShellKeyEvent {
  i32 column;
  i32 row;
  u16 code;
  ShellLetterMode letter;
};

// A copy of the display shadow: 1024 bytes, 64 rows of 16, leftmost dot in
// the high bit, a set bit a clear (white) dot.
void CalcLinkCopyShadow(u8 *out);
// Posts a key to the calculator's queue; false when the queue refused it.
bool CalcLinkPostKey(const ShellKeyEvent &event);
// The key modifier the calculator reported with its last screen hand-off.
u8 CalcLinkKeyModifier();

// True while the calculator thread runs.
bool CalcLinkRunning();
// How often the calculator thread has found its key queue empty, and how
// many keys wait in it: a replay sends its next key once the calculator
// has taken the last and waits again.
u64 CalcLinkIdleCount();
u32 CalcLinkQueueCount();
// Keeps the queue from being emptied by the calculator while a replay runs.
void CalcLinkHoldQueue(bool hold);
// The fixed texts of Ans (real and imaginary part) for the answer files.
void CalcLinkAnswer(std::string *real, std::string *imag);
// Text copy and paste through the calculator's clipboard item "CLIP": copy
// puts its text on the PC clipboard, paste stores the PC clipboard's text
// in it. Both run on the calculator thread; false when no calculator runs.
bool CalcLinkRequestCopy();
bool CalcLinkRequestPaste();
// True while the calculator's main menu shows.
bool CalcLinkInMainMenu();
// Backs main memory up to the host file C:\BACKUP.MCS, or restores it from
// there, on the calculator thread; false unless the main menu shows.
bool CalcLinkRequestBackup(bool restore);
// Writes shadow bytes (inverted bits, as stored) from the UI thread: the
// cursor blink, and tests that need a known picture.
void CalcLinkWriteShadow(i32 offset, const u8 *bytes, i32 count);
