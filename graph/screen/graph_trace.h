// What the trace shares with G-Solve and the sketch lines: which entries a
// code admits, stepping from entry to entry, the slopes at a point, the value
// prompt and the read-out of a point. Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/real.h"

// Trace and solve codes besides the menu keys.
enum TraceCode : u32 {
  kTraceLower = 302,      // choosing the integral's lower bound
  kTraceTable = 303,      // trace beside the table
  kTraceIsect2 = 325,     // choosing an intersection's second entry
  kTraceUpper = 326,      // choosing the upper bound
  kTraceTangentDrawn = 336,
  kTraceNormalDrawn = 337,
  kTraceStatFrom = 342,
};

// The read-out record of a point.
struct TraceReadout {
  BcdReal slope[3];  // dY/dX; dX/dT or dr/dtheta; dY/dT
  u32 type;
  u8 kind;           // 1 Y=/X=, 2 polar, 3 parametric, 4 "m="
  u8 derivative;
  BcdReal x, y, t, r;
};

// The mask and exclusion mask of entry types a code admits.
void GsolveKeyMask(u32 code, u32 *mask, u32 *exclude);
// Whether entry idx may be used with the code.
bool GsolveAdmits(const GraphContext *ctx, i32 idx, u32 code);
// The number of curves of entry idx (its list elements, or 1).
i32 GraphEntryCurves(const GraphContext *ctx, i32 idx);
// Refreshes and scans the entries and takes the first the code admits: true
// with *idx, *sub (from 1).
bool GsolveFirstEntry(u32 code, GraphContext *ctx, i32 *idx, i32 *sub);
// The next admitted entry (UP: the previous), wrapping round; codes 302 and
// 326 keep the entry. false when the walk wrapped past the end (the entry
// is still changed).
bool GsolveNextEntry(u32 code, i32 *idx, i32 *sub, u32 key, GraphContext *ctx);

// The slopes of the point into the read-out (its x, y, t, r and type set).
// 0 or an error code; Ma, Non-Real and 29 make a slope an error value.
u32 GraphSlopeDispatch(TraceReadout *ro, GraphContext *ctx, i32 idx, i32 sub);
// dY/dX of a Y= entry at x by a central difference.
u32 GraphSlopeAt(const BcdReal *x, BcdReal *slope, GraphContext *ctx, i32 idx, i32 sub);

// The read-out lines of a point.
void TraceShowReadout(const TraceReadout *ro);
// The read-out of a drawn tangent or normal line: the point's, and with
// the derivative flag the line's equation from view fields 14 (slope; an
// error value for a vertical line) and 15 (intercept, or the line's x).
void TraceShowLine(const TraceReadout *ro, const GraphView *view);
// The label of entry idx when function names are shown.
void TraceShowLabel(GraphContext *ctx, i32 idx);

// Asks for a value of the entry's variable (code selects the message): 0
// with *out, -2 when left, -6 when no value may be typed here. typed: the
// character that opened the prompt, or 0.
i32 GraphValuePrompt(u32 typed, u32 code, BcdReal *out, GraphContext *ctx, i32 idx);

// The keys every cursor loop shares: true with *result when the loop ends.
bool TraceCommonKey(u32 key, u32 code, GraphContext *ctx, i32 *result);

// The column and row of a point; the cursor's hidden word is the dot code.
void TracePlace(const GraphContext *ctx, const BcdReal *x, const BcdReal *y, i32 *col, i32 *row, u32 *code);

// The trace of a code from entry idx (curve sub) on; TraceRun starts on
// the first entry the code admits.
i32 TraceRunFrom(u32 code, GraphContext *ctx, i32 idx, i32 sub);

// The integral's bounds chosen by the trace (code 302, then 326) on entry
// *idx; EXE on the upper bound hands over to GsolveFinishIntegral, whose
// result this returns.
i32 TraceForBound(u32 code, GraphContext *ctx, i32 *idx, i32 *sub);
// Shades and computes the integral between view fields 14 and 15 and waits
// on its result; G-Solve's exit code.
i32 GsolveFinishIntegral(GraphContext *ctx, i32 idx, i32 sub);
// Shades the area of entry idx between view fields 14 and 15 (put in
// order) and integrates its formula there with the tolerance (0: 1E-5)
// into *out. 0 or an error code; *shaded tells whether the shading was
// drawn (a plotting error forgets the drawn graph).
u32 GsolveIntegral(GraphContext *ctx, i32 idx, const BcdReal *tolerance, BcdReal *out, bool *shaded);
