// The bridge between the shell thread and the calculator thread: the queue of
// key events, the key wait, the break request, and the words the calculator
// fills for the shell's logs (key-log words, function-key label ids, title,
// answer texts).
//
// Everything shared by the two threads is either guarded by the queue lock or
// an atomic word, so either thread may call the functions documented for it
// at any time.
#pragma once
#include "kernel/types.h"

struct Value;

constexpr int kHostKeyQueueSize = 20;
constexpr int kHostTitleSize = 32;

// One queued event: a key at (column, row) of the key matrix, or a code
// posted without a key at position (-1, -1).
struct HostKeyEvent {
  i32 column;
  i32 row;
  u16 code;
};

// ---- shell side ----

// Queues an event. Mode 1 queues only into an empty queue. Result: 1 queued;
// 0 refused (full, or mode 1 and not empty) or the first posting of a pair
// event; 2 or 3 for the second posting of a pair event that the calculator
// has already taken ((6, 11) gives 2, (7, 11) gives 3).
u32 HostPushKeyEvent(i32 column, i32 row, u16 code, u32 mode);
// While held, HostClearKeyQueue leaves the queue alone (key-log replay).
void HostHoldKeyQueue();
void HostReleaseKeyQueue();
u32 HostKeyQueueCount();
// 1 when a queued event carries the code.
u32 HostIsCodeQueued(u16 code);
// Copies the running application's title into dst (kHostTitleSize bytes)
// and returns 1 when it differs from the title reported last; else 0 and dst
// is left alone.
u32 HostPollAppTitle(char *dst);
u32 HostGetLogCharCode();
u32 HostGetLogKeyCode();
// Label text of the icon shown on F-key key (0-5) and of the F-key pressed
// last; an empty text for a key number out of range.
const char *HostFkeyLabelText(u32 key);
const char *HostActiveFkeyLabelText();
// Points the outputs at the fixed texts of Ans (real and imaginary part) as
// the calculator published them when Ans was last stored, and returns 'C'.
char HostFormatAnswer(const char **realText, const char **imagText);
// No auxiliary cursor exists: reports (0, 0) and 0.
u32 HostGetAuxCursor(i32 *x, i32 *y);
void HostSetFlagIfArmed();

// ---- calculator side ----

// The kernel's key hook: sees every key the wait takes (the position may be
// rewritten); a non-zero result delivers it, zero drops it.
using HostKeyHookFn = u32 (*)(i32 *column, i32 *row);
// Installs the kernel's hook; null restores the default, which delivers
// every key.
void HostSetKeyHook(HostKeyHookFn hook);
// Waits for the next delivered key; result 0.
u32 HostWaitKey(i32 *column, i32 *row, u16 *code);
// HostPushKeyEvent with mode 0.
u32 HostPostKey(i32 column, i32 row, u16 code);
// 0 when the queue is empty; else the newest event's position, the queue
// emptied, result 1.
u32 HostTakeNewestKey(i32 *column, i32 *row);
// Empties the queue unless the hold flag is set.
void HostClearKeyQueue();
void HostSetLogCharCode(u32 code);
void HostSetLogKeyCode(u32 code);
// key 0-5 records the label id of that F-key; a negative key zeroes all six.
void HostSetFkeyLabel(i32 key, u32 labelId);
// Records the label id of the F-key pressed last (0 for a negative index).
void HostSetActiveFkeyLabel(i32 index, u32 labelId);
// Sets the title that HostPollAppTitle reports ("MAIN MENU" or the running
// application's name); longer titles are cut to kHostTitleSize - 1 bytes.
void HostSetAppTitle(const char *title);
// Publishes a copy of a new Ans for HostFormatAnswer, which makes its texts
// (SysStoreVariable calls it whenever Ans is stored), so the shell never
// reads calculator memory. Takes no lock: the copy sits in a sequence lock
// of atomic words, and a value equal to the one published is not written
// again.
void HostPublishAnswer(const Value *ans);
// The fixed 22-character text of an unpacked real (working form), or
// "ERROR", "UNDEF", "TRUE", "FALSE", "INFINITY", "-INFINITY" by its kind.
// dst needs 23 bytes. Result 1 for an error value, else 0.
u32 HostValueText(const void *value, char *dst);

// ---- break detection (calculator side; the queue sets the request) ----

// Armed byte: 0 disarmed, 1 armed, 9 suspended.
void KeyBreakArm();
// Empties the key queue (unless held); 1 when armed and AC arrived since.
u32 KeyBreakPoll();
// Returns the armed byte as it was and suspends detection (9).
u8 KeyBreakSuspend();
void KeyBreakDisarm();
u8 KeyBreakArmedState();
u8 KeyBreakRequested();
