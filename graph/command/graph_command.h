// The graph and sketch statements of programs: Cls, Plot, Line, the pixel
// and point commands, lines, circles, text, pictures, DrawGraph, the table
// display and "Graph Y=" and its relatives. They draw into the stored graph
// image ("SCREEN") and record what was drawn ("GRPMODE", "PLOT", the
// command ring); the graph screen shows it when the program ends or stops.
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/value.h"

// What a command leaves to show at the end of the run.
enum GraphCommandShow : u32 {
  kGraphShowGraph = 0,    // the graph screen
  kGraphShowPlot = 1,     // the graph screen with the plot pointer
  kGraphShowFTable = 2,   // the function table
  kGraphShowRTable = 3,   // the recursion table
};

// Runs the statement whose command token is at *p: 1 with *p on the token
// that ends the statement, 0 with the error in result. *show tells what the
// end of the run shows; *key is the key that ended a dynamic display (0).
u32 GraphRunSketchCommand(const u8 **p, Value *result, u32 *show, i32 *key);
// The stored image's pixel (column 1..127, row 1..63): -1 when no graph was
// drawn, else 1 lit (in either plane) or 0.
i32 GraphPixelTest(i32 column, i32 row);
// The standard normal density exp(-x^2/2) / sqrt(2 pi), the curve of the
// probability graphs: a built-in entry's routine.
u32 GraphNormalDensity(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx);
