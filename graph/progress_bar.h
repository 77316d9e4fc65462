// The progress bar that long operations (the storage format) show on the screen.
#pragma once
#include "kernel/types.h"

// done = 0 clears display memory and draws the notice "One Moment Please"
// with the bar's frame; done > 0 fills the bar to done / total of its width.
void GraphProgressBar(int done, int total);

// What the bar was last asked to show, and how often it was called.
struct GraphProgressState {
  u32 calls;
  int done;
  int total;
};
const GraphProgressState *GraphProgressBarState();
void GraphProgressBarResetState();
