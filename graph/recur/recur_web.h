// The web graph of a first-order recursion (the curves y = f(x) of the
// formulas with their own term read as X, and the line y = x), its steps
// from a start value, and the recursion statements of programs: the
// recursion graphs, the web graph and the table display.
//
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/real.h"

// Room of one web entry's text: the formula, its end and a second zero.
inline constexpr u32 kRecurWebTextRoom = 258;

// The web entries of the formulas in `which` (bits 1 a, 2 b, 4 c) that are
// selected and have text, then the line y = x and the end entry: the count
// of formula entries; 0 when there is none; -1 when one of them reads a term
// other than its own term (n, an+1, another sequence's term ...).
i32 RecurBuildWebEntries(u32 which, GraphEntry entries[5], u8 texts[3][kRecurWebTextRoom]);

// A walk along the web: the point and the next step's direction.
struct RecurWebState {
  BcdReal x, y;
  i32 entry;      // formula entry walked (from 0)
  bool vertical;  // the next step goes to the curve
};
// Starts at (start value of the entry's sequence, 0).
void RecurWebStart(RecurWebState *web, const GraphContext *ctx, i32 entry);
// One step: to the curve (y = f(x)), or across to the line (x = y). Draws
// the line between the two points into the buffer when both fall on the
// screen. 0, or the error of the evaluation (the point keeps its place).
u32 RecurWebStep(RecurWebState *web, GraphContext *ctx);
// `steps` steps of formula entry k from its start value: 0 or the error.
u32 RecurWebSteps(GraphContext *ctx, i32 steps, i32 k);

// The web entries of the selected first-order formulas into ctx->entries:
// the count of formula entries; 0 (entries unchanged) when there is no web.
i32 RecurWebEntries(GraphContext *ctx);
// The trace along the web of ctx's entries: EXE steps to the curve and
// across to the line y = x, up and down change the formula. An exit code of
// the graph screen (EXIT -2, SHIFT+EXIT -1, G<->T -11, AC 31062, a changed
// V-Window or SET UP -14) or a key for the graph screen to handle.
i32 RecurWebTrace(GraphContext *ctx);
// The web graph on the graph screen of ctx (set up by RecurSetupContext
// and RecurLoadView): an exit code of the graph screen, or 31 (back to the
// table) after Condition ERROR (30) for formulas with no web. Drawn once; a
// second visit shows the stored picture.
i32 RecurWebGraph(GraphContext *ctx);
// The stored web graph again with its keys from `key`: -6 when the last
// recursion graph drawn is not the web.
i32 RecurRedrawWeb(GraphContext *ctx, u32 key);

// A recursion statement of a program at *p (DrawR-Con, DrawR-Plt, the two
// sum forms, DrawWeb, DispR-Tbl): -1 when the token is none of them (*p
// unchanged); else 1 done (*show 0 for the graph screen, 3 for the
// recursion table) or 0 with the error value in result.
i32 RecurRunProgramCommand(const u8 **p, Value *result, u32 *show);
// The table display at a program's end: 0, 30 (nothing selected) or 4 (no
// table); *key the key that ended it (EXIT, EXE, AC or QUIT).
u32 RecurShowTableFromProgram(u32 *key);
