// The entry table scan and the formula pre-scan that run before anything is
// drawn: curves counted (a formula holding a list draws once per element,
// at most 255 curves), formulas checked, and the tail after a formula read:
// a range ", [a, b]" or a value list ", [A=v1, v2, ...]".
#pragma once
#include "eval/token.h"
#include "graph/engine/graph_context.h"

// Scans the entry table: 0 with *count curves; 2 (Syntax ERROR: over 255
// curves, a bad tail or range), 7 (Stack ERROR), 9 (Dimension ERROR), or a
// bound's error code. Entries keep the marks of what was scanned.
u32 GraphScanEntries(GraphContext *ctx, i32 *count);
// Scans one formula from *pos to the character that ends it (the end, a
// top-level ",", or a ")" closing an enclosing pair) and leaves *pos just
// after it. 0 with *listSize (the size of the formula's lists, 0 for none);
// 2 for a forbidden function or a statement end outside programs, 7 for more
// than 26 nested brackets, 9 for lists of different sizes or a missing list.
u32 GraphPreScan(TokPos *pos, i32 *listSize);

// Steps of the scan, for the screens that scan one entry.
u32 GraphScanEntryTail(GraphContext *ctx, i32 idx, i32 *count, TokPos pos);
u32 GraphParseRange(GraphContext *ctx, i32 idx, TokPos pos);
u32 GraphSetRange(GraphContext *ctx, i32 idx, const BcdReal bounds[2]);
void GraphInitRangeState(GraphContext *ctx, i32 idx, const BcdReal bounds[2]);
void GraphWidenTRange(GraphContext *ctx, i32 idx, const BcdReal bounds[2]);
u32 GraphParseValueList(GraphContext *ctx, i32 idx, i32 *count, TokPos pos);
// The position after an entry's formula (and the ")" of a bracketed pair):
// where its tail starts. 0 or the pre-scan's code.
u32 GraphSkipFormula(const GraphEntry *entry, TokPos *pos, i32 *listSize);
