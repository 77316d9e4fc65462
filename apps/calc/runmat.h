// The run-and-matrix application "@RUNMAT": the calculation screen where a
// line is typed, run by the program interpreter and its result shown, with
// the history, the conversions of the shown result, the function-key pages
// and SET UP. Calculator thread only.
#pragma once
#include "apps/calc/run_screen.h"
#include "kernel/types.h"

// The entry of "@RUNMAT" in the main-menu and child-application tables;
// never returns in normal use.
u32 RunMatAppMain(u32 from_main_menu, u16 submode);
// Installs the application's seven function-key pages and its menu groups.
void RunMatSetupFkeys();
// The calculation screen; returns only when it cannot set up its screen.
u32 RunMatCalcLoop(u32 from_main_menu, u32 submode);
// EXE: 0 when done, -1 when memory for the line ran out.
i32 RunMatExecLine(u32 key, RunScreen *rs);
// SET UP.
void RunMatSetupKey(u32 key, RunScreen *rs);
// Prints the result text of rs under the line (reprint: in place, after a
// conversion).
void RunScreenPrintResult(RunScreen *rs, u32 reprint);
void RunScreenReprintResult(RunScreen *rs);

// Base-N input: -1 for a token the integer calculator refuses, else 0.
i32 RunMatBaseNRefuses(u16 token);
// The hexadecimal digit the keys of sin, cos, tan, ln and log give in Base-N
// mode; any other token unchanged.
u16 RunMatBaseNDigit(u16 token);
// True when a token typed right after a result needs Ans in front of it.
bool RunMatNeedsAns(u16 token, bool base_n);
