// What the graph statements of programs share: their error codes, the
// argument readers and the opening and closing of the stored image.
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/value.h"

namespace gcmd {

constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMa = 3;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrArgument = 8;
constexpr u32 kErrSystem = 23;
constexpr u32 kErrNothing = 30;
constexpr u8 kGrpSketch = 11;
constexpr u8 kPlanesOnly = kGraphRunPlanesOnly;

// Writes the error value of code into result; returns 0.
u32 Raise(u32 code, Value *result);
// ':', new line, display-stop or the end of the text.
bool AtStatementEnd(const u8 *p);
// One real argument at *p (a list or matrix: Syntax ERROR, complex: Ma
// ERROR): 0 or the error code; *p ends on the token after it.
// flags: those of EvalArgument (0x0F00 a whole expression).
u32 ReadValue(const u8 **p, BcdReal *out, u32 flags = 0x0F00);
u32 ReadComma(const u8 **p);
// n values separated by commas.
u32 ReadValues(const u8 **p, BcdReal *out, u32 n);
// A whole number lo..hi: 0 with *n, else Argument ERROR.
u32 WholeIn(const BcdReal *v, i32 lo, i32 hi, i32 *n);
// X := x, Y := y.
void StoreXY(const BcdReal *x, const BcdReal *y);
// The dot of (x, y): true when it lies on the screen.
bool DotOf(const GraphContext *ctx, const BcdReal *x, const BcdReal *y, i32 *col, i32 *row);
// The single screen on "VWIN" with the stored image (or a fresh one with
// its axes when nothing was drawn); a style of 0 becomes the Sketch Line
// style. 0 or an error code.
u32 OpenSketch(GraphContext *ctx, u8 *style);
// Writes "GRPMODE" (mode, or 11 when mode is 0 and nothing was recorded)
// and the image back to "SCREEN".
u32 CloseSketch(GraphContext *ctx, u8 mode);
// Plots the context's entries with the inequality count kept in
// "GRPMODE", which takes the new count. 0 or the plot's error code.
u32 PlotKeepingAux(GraphContext *ctx);

// Tangent, Normal and Inverse of a graph function (cmd: the two-byte token).
u32 RunCurveSketch(u32 cmd, const u8 **p, u8 style);
// "Graph Y=" with P(, Q( or R( whose argument closes the statement: -1
// when the formula is another one, else 0 or an error code.
i32 RunProbabilityGraph(const u8 **p, u8 style);
// The integral graph: formula, lower and upper bound, tolerance.
u32 RunIntegralGraph(const u8 **p, u8 style);
// DrawFTG-Con (0xF724) and DrawFTG-Plt.
u32 RunTableGraph(u32 cmd, const u8 **p);
u32 RunZoomAuto(const u8 **p);

}  // namespace gcmd
