// The graph applications' step into the graph screen: the screen that
// draws the selected functions, shows the table and runs zoom, trace and
// G-Solve. Until that screen is part of the system the step reports System
// ERROR through the error word.
#pragma once
#include "kernel/types.h"

// Graph screen modes.
enum GraphScreenModeCode : i32 {
  kGraphScreenTable = 31,
  kGraphScreenDraw = 34,
  kGraphScreenLast = 35,
};

// Runs the graph screen in mode; *err receives the error to show after the
// list is redrawn (0 for none). Returns the screen's exit code (-1 when the
// user left with SHIFT+EXIT).
i32 GraphAppOpenScreen(i32 mode, i32 *err);
