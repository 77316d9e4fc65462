// The window's side of the calculator thread: the bridge functions the
// calculator thread calls (screen hand-off, status and title, sleep, clock,
// clipboard), and the start and stop of that thread.
//
// The calculator thread never touches a widget: every bridge function that
// must reach the window posts the work to the UI thread.
#pragma once
#include <string>

#include "kernel/types.h"

class ShellFrame;

// UI thread: where the hand-offs go (null detaches). Also starts following
// the PC clipboard, whose text the calculator thread reads from a copy.
void ShellBridgeAttach(ShellFrame *frame);

// UI thread: allocates the calculator's memory, clears main memory and
// starts the calculator thread. False when it cannot start.
bool ShellBridgeStart();
// UI thread: asks the calculator thread to end (its key wait wakes up) and
// waits for it; frees the calculator's memory once it has ended. False
// when it did not end in time (the memory is then left alone).
bool ShellBridgeStop(u32 timeout_ms);
bool ShellBridgeStarted();

// The bridge functions, as the calculator thread calls them (tests call
// them from a thread of their own).
void ShellBridgeScreenChanged();
void ShellBridgeStatusChanged(const char *status, const char *title);
void ShellBridgeClipboardPut(const char *utf8);
u32 ShellBridgeClipboardGet(char *dst, u32 cap);
