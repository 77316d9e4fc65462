// The progress bar that long operations (the storage format) show on the screen.
#pragma once
#include "kernel/types.h"

// done = 0 starts the bar; done > 0 fills it to done of total.
void GraphProgressBar(int done, int total);

// What the bar was last asked to show, and how often it was called.
struct GraphProgressState {
  u32 calls;
  int done;
  int total;
};
const GraphProgressState *GraphProgressBarState();
void GraphProgressBarResetState();
