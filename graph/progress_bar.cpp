// The progress bar. Until the screen layer is part of the system it only
// keeps what it was asked to show.
#include "graph/progress_bar.h"

namespace {
GraphProgressState g_state = {0, 0, 0};
}

void GraphProgressBar(int done, int total) {
  ++g_state.calls;
  g_state.done = done;
  g_state.total = total;
}

const GraphProgressState *GraphProgressBarState() { return &g_state; }

void GraphProgressBarResetState() { g_state = {0, 0, 0}; }
