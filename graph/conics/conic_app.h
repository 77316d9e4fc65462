// The conic sections application: the list of forms, the coefficient
// editor, and the graph screen of a conic with its analyses.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

u32 ConicAppMain(u32 fromMainMenu, u16 submode);
// The list of forms: the chosen form (1-9), or -2 EXIT, -1 SHIFT+EXIT.
i32 ConicSelectForm(u32 *top, u32 *cursor);
// The coefficient editor of a form: 34 draw, 35 show again, -2 back to the
// list, -1 SHIFT+EXIT.
i32 ConicEditCoefficients(u32 form);
// Draws (mode 34) or shows again (35) the conic of a form and runs its key
// loop: an exit code of the graph screen.
i32 ConicGraphScreen(u32 form, i32 mode);
// One analysis on the drawn conic: an exit code, or a key code to hand on.
i32 ConicGSolve(u32 code, u32 form, GraphContext *ctx);
