// The graph of a test, interval or distribution result: the density curve of
// the statistic's distribution with the tail area shaded between its bounds,
// or the cell means of a two-way ANOVA, one series per level of factor B.
// This file computes the window of such a graph, draws it and runs its key
// loop with the read-outs (the statistic and its density, the p-value, the
// density at a typed x, the ANOVA means). Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/types.h"
#include "number/real.h"

// What a graph shows.
enum DistGraphId : u32 {
  kDistGraphOneZ = 1,
  kDistGraphTwoZ = 2,
  kDistGraphOnePropZ = 3,
  kDistGraphTwoPropZ = 4,
  kDistGraphOneT = 5,
  kDistGraphTwoT = 6,
  kDistGraphChi = 7,
  kDistGraphTwoF = 8,
  kDistGraphAnova = 9,
  kDistGraphNormPd = 10,
  kDistGraphTPd = 11,
  kDistGraphChiPd = 12,
  kDistGraphFPd = 13,
};

// The ANOVA graph's levels of factor A and of factor B, ascending: lists 1
// and 2 of the statistics work file (statistics list numbers).
inline constexpr u32 kDistAnovaLevelsA = 101;
inline constexpr u32 kDistAnovaLevelsB = 102;

// The shaded area: left of the lower bound, right of it, or both tails
// outside [lower, upper]; the P.D and ANOVA graphs shade nothing.
enum DistShade : u32 {
  kDistShadeLeft = 0x00,
  kDistShadeRight = 0x10,
  kDistShadeTails = 0x30,
  kDistShadeNone = 0xFF,
};

// One graph. The context comes first: a density callback receives the
// context and finds the graph's arguments from it.
struct DistGraph {
  GraphContext ctx;
  GraphEntry entries[2];
  u32 id;            // DistGraphId
  u32 shade;         // DistShade
  BcdReal bounds[2]; // lower, upper (tests)
  // The density's arguments: normal {sigma, mu}; Student-t and chi-square
  // {nu, K}; F {d1, d2, K}, the constant K made by DistGraphSetUp.
  BcdReal arg[3];
  BcdReal p;  // the p-value the read-out shows (tests)
};

// The one graph of the calculator (too large for a screen's stack).
DistGraph *DistGraphCurrent();
// The graph of a context made by DistGraphSetUp.
DistGraph *DistGraphOf(GraphContext *ctx);

// Sets the graph up: its id, shading, bounds, density arguments (args[0..2]
// as above, without K) and p-value; computes the constant K. 0, or the
// error code of K.
u32 DistGraphSetUp(DistGraph *g, u32 id, u32 shade, const BcdReal bounds[2], const BcdReal args[3],
                   const BcdReal *p);

// The window of the graph into rec (rec keeps what the graph leaves alone):
// 0, or 28 (Range ERROR) for a graph without width or height.
u32 DistGraphVwin(GraphContext *ctx, VwinRecord *rec);

// The densities the graph plots, in the form of a built-in graph entry:
// 0 with the value in out, or an error code (the point is left out).
u32 DistDensityNormalStd(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32 idx);
u32 DistDensityT(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32 idx);
u32 DistDensityChi(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32 idx);
u32 DistDensityF(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32 idx);
u32 DistDensityNormal(const BcdReal *x, BcdReal *out, GraphContext *ctx, i32 idx);

// Writes the graph's window to "VWIN" (for every id but a P.D or ANOVA
// graph under Stat Wind Manual), loads it, draws and runs the screen, then
// keeps the picture as "SCREEN". Returns the screen's result: -14 a setting
// or the window changed, -13 AC, -11 EXIT or G<->T, -2 after an error
// (shown), -1 SHIFT+EXIT.
i32 DistGraphShow(DistGraph *g);
// Shows the kept picture ("SCREEN") again with the same read-outs.
i32 DistGraphRedraw(DistGraph *g);
// Draws the graph into the context's planes: the density curve with its
// shading, or the ANOVA means. 0, 1 (Break) or an error code.
u32 DistGraphDrawEntries(GraphContext *ctx);
// The two-way ANOVA's cell means: levels of factor A (list 1 of the
// statistics work file) across, one marked series for each level of factor
// B (list 2), the means from Mat Ans. 0, 1 (Break), 9 (Mat Ans smaller than
// the levels) or 4.
u32 DistDrawAnovaMeans(GraphContext *ctx);
// The key loop of the drawn graph (results as DistGraphShow).
i32 DistGraphScreen(GraphContext *ctx);
// The pop-up "Enter X-Value" that reads x; key 0 starts it empty, another
// key must be a first character of a value (StatIsVarNameChar) and starts
// it typed. 0 with *x set, -2 left, -6 for a key that types no value.
i32 DistReadX(u32 key, BcdReal *x, GraphContext *ctx);
// The "Enter X-Value" pop-up around EditReadNumber's "   X:" input (its
// typed, key and result).
i32 StatXValuePopup(u32 typed, u32 *key, BcdReal *x);
// 1 for the characters that may start a typed value (digits, letters, the
// point, brackets, the negative sign, the exponent mark, the functions that
// take an argument ...), else 0.
u32 StatIsVarNameChar(u32 code);
