// The statistics calculations: single-variable, paired-variable and the ten
// regressions on lists of the current list file, their result screens and
// set-up screens. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// The StatGraph selection and set-up screens and the calculation set-up
// screen: -1 SHIFT+EXIT, -2 EXIT, -10 draw (selection), 0 otherwise.
i32 StatGraphSelectScreen();
i32 StatGraphSetScreen();
i32 StatCalcSetScreen(u16 *cond, u32 sheet);
