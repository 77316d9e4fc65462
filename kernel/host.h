// The host bridge: what the program around the calculator system (the window,
// or the headless host of the tests) gives the calculator thread, and the
// start and stop of that thread.
//
// A host fills one HostBridge with plain function pointers and hands it to
// SysStartThread. While the thread runs, every screen hand-off of the screen
// layer (ShellUpdateDisplay and its kin, ui/lcd_shadow.h) comes to the host
// as screen_changed, and a change of the key state as status_changed; the
// host paints from the shadow (ShellCopyShadow) and does not install a
// display hook of its own. Every bridge function is called on the calculator thread; a
// host that must touch its widgets posts the work to its own UI thread. Any
// pointer may be null: the calculator thread then uses the headless default
// (real sleeping, a steady millisecond clock, a clipboard kept in memory, no
// screen or status output).
#pragma once
#include "kernel/types.h"

struct HostBridge {
  void *context;  // handed back to every call
  // The calculator handed its screen over: the display shadow holds the
  // picture to show; repaint from it.
  void (*screen_changed)(void *context);
  // The status-bar text (the key state: "<SHIFT>", "<ALPHA-LOCK>", ... or
  // empty) and the window title ("Corvanta" and that text) changed.
  void (*status_changed)(void *context, const char *status, const char *title);
  // Sleep for `ms` milliseconds.
  void (*sleep)(void *context, u32 ms);
  // Milliseconds since a fixed start (wraps at 2^32).
  u32 (*tick_count)(void *context);
  // Puts `text` (UTF-8, zero-terminated) on the host clipboard.
  void (*clipboard_put)(void *context, const char *text);
  // Copies the host clipboard's text (UTF-8) into dst: at most cap - 1 bytes
  // and a terminating zero. Returns the bytes copied, 0 when there is none.
  u32 (*clipboard_get)(void *context, char *dst, u32 cap);
};

// ---- Calculator thread side ------------------------------------------------

// Sleeps through the bridge; 0 ms sleeps 10 ms, so a polling loop that asks
// for no time still gives the machine up. When a stop of the calculator thread has been
// requested, the thread ends here instead (its tasks are left where they
// stand): callers hold no lock across it.
inline constexpr u32 kShellSleepDefaultMs = 10;
void ShellSleep(u32 ms);
// The key wait calls this each time it finds the key queue empty, before it
// waits, holding no lock: the calculator thread counts as idle (waiting for a
// key), and it ends here when a stop has been requested.
void HostKeyWaitIdle();
// Milliseconds from the bridge's clock.
u32 ShellGetTickCount();
// Tell the host that the shadow changed / the status and title texts changed.
void HostScreenChanged();
void HostStatusChanged(const char *status, const char *title);
// The host clipboard (UTF-8 text).
void HostClipboardPut(const char *text);
u32 HostClipboardGet(char *dst, u32 cap);

// ---- Host side ---------------------------------------------------------------

// Starts the calculator thread (SysThreadMain) with the given bridge, which
// must outlive the thread. False when a thread already runs or cannot start.
bool SysStartThread(const HostBridge *bridge);
// Asks the calculator thread to end and waits up to timeout_ms for it.
// True when it has ended (or never ran); the calculator's memory may be
// released then.
bool SysStopThread(u32 timeout_ms);
// True from SysStartThread until the thread has ended.
bool SysThreadRunning();
// True once a stop has been asked for (the calculator thread's waits end).
bool SysStopRequested();

// Idle tracking for hosts and tests: how many times the calculator thread
// has found the key queue empty in its key wait.
u64 HostIdleCount();
