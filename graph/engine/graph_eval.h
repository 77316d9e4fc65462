// Evaluation of graph entries at one value of their variable, for plotting,
// trace, G-Solve and tables.
//
// Results are calculator error codes (0 success); the output reals then
// hold the error value. Ma ERROR, Non-Real ERROR and Time Out are not errors
// of the plot: they return 0 and leave their error value in the output, and
// the point is simply missing. A complex result is a missing point as well.
// The variables X, Y, T, theta and r and the graph-list element number keep
// the values of the last evaluation (trace and G-Solve read them).
#pragma once
#include "eval/token.h"
#include "graph/engine/graph_context.h"

// Evaluation modes: the high byte names the variable, the low byte what
// the result may be and where the formula may end.
enum GraphEvalMode : u32 {
  kGraphModeX = 0x000,      // variable X
  kGraphModeConst = 0x100,  // no graph variable (X=c entries)
  kGraphModeTheta = 0x200,
  kGraphModeT = 0x300,      // variable T; may also end at 0xF6 (parametric pair)
  kGraphModeTBracket = 0x400,  // variable T, read as if an opening bracket came first
  kGraphModeList = 0x001,   // low byte 1: a real list is accepted (one curve per element)
  kGraphModeItem = 0x002,   // a tail item: no variable, may end at "]"
};

// Evaluates the formula at *pos with the mode's graph variables allowed
// (SET UP byte 74 for the time of the evaluation) into result; *pos ends
// after the token that ended the formula, which must be the end of the
// text, ",", "]" (items) or 0xF6 (T modes). 0, or the error code (result
// holds the error value).
u32 GraphEvalExpr(TokPos *pos, Value *result, u32 mode);
// A tail item (a range bound or a coefficient value): a real, else its
// error (Ma ERROR included; a list or matrix is Syntax ERROR).
u32 GraphEvalItem(TokPos *pos, BcdReal *out);
// The same, giving the token that ended the item (0, ",", "]").
u32 GraphEvalItemEnd(TokPos *pos, BcdReal *out, u8 *end);

// y of entry idx (element n of a list-valued or value-list entry) at x, or
// x at y for an X= entry. GraphEvalFunc starts a sweep (arms the break key,
// sets the coefficient of a value list); GraphEvalFuncNext continues it.
u32 GraphEvalFunc(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx, i32 n);
u32 GraphEvalFuncNext(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx, i32 n);
// (x, y) of a parametric or polar entry at t (r: the polar radius).
u32 GraphEvalParam(const BcdReal *t, BcdReal *x, BcdReal *y, BcdReal *r, GraphContext *ctx, i32 idx, i32 n);
u32 GraphEvalParamNext(const BcdReal *t, BcdReal *x, BcdReal *y, BcdReal *r, GraphContext *ctx, i32 idx, i32 n);
// r of a polar entry at theta.
u32 GraphEvalPolar(const BcdReal *theta, BcdReal *r, GraphContext *ctx, i32 idx, i32 n);
// A list in v: element n (from 1) into out, the list released, the element
// count returned; n outside the list gives Dimension ERROR in out. Any other
// value is copied and 0 returned.
u32 GraphPickListElement(Value *v, Value *out, i32 n);
// 0 when t lies in the entry's T range (its own range, or Tmin..Tmax), else
// 12288. The Simul form allows half a pitch beyond either bound, and lets an
// entry whose bounds are equal through once.
u32 GraphTInRange(const BcdReal *t, GraphContext *ctx, i32 idx);
u32 GraphTInRangeSimul(const BcdReal *t, GraphContext *ctx, i32 idx);
// Bound `which` (0 lower, 1 upper) of the range written after entry idx's
// formula; an empty lower bound is -9.99999999999999E99, an empty upper one
// 9.99999999999999E99. 0 or an error code.
u32 GraphEntryText(i32 which, const GraphEntry *entries, i32 idx, BcdReal *out);
