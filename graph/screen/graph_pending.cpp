// Tools of the graph screen that are not built yet: their keys do nothing.
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/graph_trace.h"

i32 GsolveRun(u32, GraphContext *) { return kGraphExitNothing; }
i32 GsolveSelectEntry(i32 *, u32, GraphContext *) { return kGraphExitNothing; }
i32 GsolveFinishIntegral(GraphContext *, i32, i32) { return kGraphExitNothing; }
