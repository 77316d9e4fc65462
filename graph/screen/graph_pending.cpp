// Tools of the graph screen that are not built yet: their keys do nothing.
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"

i32 TraceRun(u32, GraphContext *) { return kGraphExitNothing; }
i32 GsolveRun(u32, GraphContext *) { return kGraphExitNothing; }
i32 GraphSketchMenuKeys(u32, GraphContext *) { return kGraphExitNothing; }
i32 GraphZoomMenuKeys(u32, GraphContext *) { return kGraphExitNothing; }
i32 GraphPictPrompt(i32, GraphContext *) { return kGraphExitNothing; }
