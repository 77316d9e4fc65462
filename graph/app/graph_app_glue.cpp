#include "graph/app/graph_app_glue.h"

namespace {
constexpr i32 kErrSystem = 23;
constexpr i32 kExitErrorShown = -11;
}  // namespace

i32 GraphAppOpenScreen(i32, i32 *err) {
  *err = kErrSystem;
  return kExitErrorShown;
}
