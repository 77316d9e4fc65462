// The start of the graph benchmarks: main memory allocated once and emptied,
// SET UP reset to radians on one graph screen, and a context on the initial
// window.
#pragma once
#include <cstring>

#include "graph/engine/graph_context.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

inline void BenchGraphStart(GraphContext *ctx) {
  static bool ready = false;
  if (!ready) {
    HostAllocCalcRam();
    ready = true;
  }
  McsClearAll();
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
  SetupSetItem(kSetupDualScreen, 3);
  std::memset(ctx, 0, sizeof *ctx);
}
