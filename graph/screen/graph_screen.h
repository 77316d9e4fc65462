// The graph screen: draws the selected graph functions (or shows the last
// drawn graph again) and runs the key loop from which trace, G-Solve, zoom,
// sketch, pictures, the View Window and SET UP are reached.
//
// Exit codes of the screen functions (to the function list that opened
// them):
//   -14 SET UP or the View Window changed something (redraw from scratch)
//   -13 AC       -12 EXE in RUN-MAT or PROG     -11 an error was shown, or
//   G<->T        -6 nothing to do               -2 EXIT
//   -1 SHIFT+EXIT  0 done  31..36 go on with that mode  other: a key code.
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "kernel/types.h"

// Modes of GraphScreenEntry.
enum GraphScreenModeCode : i32 {
  kGraphShowTable = 31,      // the function table
  kGraphTableConnect = 32,   // graph of the table, points joined
  kGraphTablePlot = 33,      // graph of the table, points only
  kGraphDrawFuncs = 34,      // draw the functions selected for GRAPH
  kGraphShowLast = 35,       // show the last drawn graph again
  kGraphTableOnly = 36,      // the table with its own short menu
};

// Exit codes.
enum GraphExitCode : i32 {
  kGraphExitChanged = -14,
  kGraphExitAc = -13,
  kGraphExitExe = -12,
  kGraphExitShown = -11,
  kGraphExitNothing = -6,
  kGraphExitExit = -2,
  kGraphExitQuit = -1,
};

// "GRPMODE" values the screen writes and reads.
enum GraphDrawnMode : u8 {
  kGrpNone = 0,
  kGrpCommands = 1,
  kGrpTableConnect = 5,
  kGrpTablePlot = 6,
  kGrpFuncs = 7,
  kGrpWeb = 10,
  kGrpPlain = 11,
};

// Runs the screen of a mode; *out is set to 0. Returns an exit code.
i32 GraphScreenEntry(i32 mode, i32 *out);
// The key loop of a drawn graph; a non-zero firstKey is handled before the
// first key is read.
i32 GraphKeyLoop(GraphContext *ctx, u32 firstKey);
// The key loop inside one menu of the graph screen: the OPT and SHIFT
// groups of the variants, the SHIFT group's pages as the application's own
// pages (so F1-F6 reach the graph tools at once) and the menu mask with
// extraMask added; all put back afterwards. The loop's result.
i32 GraphMenu(GraphContext *ctx, u16 optVariant, u16 shiftVariant, u16 extraMask, u32 firstKey);
// Mode 34: draws the functions selected for GRAPH and runs the key loop.
i32 GraphDrawSelected(GraphContext *ctx);
// Builds the context's entry table from the graph functions whose attribute
// has the bits of kind (and, from "@GRAPH" on a single screen, the graph
// commands that follow them); returns the number of entries, 0 = nothing to
// draw. Draws nothing.
i32 GraphDrawKind(GraphContext *ctx, u8 kind);
// The entry table GraphDrawKind fills (31 entries and the end).
GraphEntry *GraphEntryTable();

// Shows the last drawn graph again (G<->T of RUN-MAT and programs, the
// graph output of a program) and runs its key loop; *key is the first key
// (0 for none) and holds on return the key that ended the screen: EXIT
// 30002, AC 30015, EXE 30004, G<->T 30039, SHIFT+EXIT 30029. 0 or an error
// code.
u32 GraphRedisplay(u32 *key);

// Shows the context's planes on the display by screen mode.
void GraphPrepareScreen(GraphContext *ctx);
// As GraphPrepareScreen; split screens are cleared first.
void GraphRefreshScreen(GraphContext *ctx);
// ORs the two planes into one image and puts it on the display; flags 0x80
// take the left half only (with 0x40 the right half).
void GraphCopyBuffer(GraphContext *ctx, i32 flags);
// The axis letters of the Label setting for a screen mode.
void GraphDrawAxisLetters(u32 screenMode);
// Draws the graph again: how 0 everything, 1 the left graph of a two-graph
// screen, 2 the right one after a zoom. 0, or -11 after an error box.
i32 GraphRedrawByMode(GraphContext *ctx, u8 how);
// Redraws the function-key row when a menu other than the level's root is
// open; at the root the graph keeps the whole screen.
void GraphRedrawFkeys();

// The two-graph screen commands.
void GraphSwapScreens(GraphContext *ctx);
void GraphCopySelectionRight(GraphContext *ctx);
void GraphResetSelectionRight(GraphContext *ctx);

// PASTE on a single screen: the clipboard's formula (after blanks and a
// leading "Y=") is drawn over the graph as Y=, and kept in the command ring
// while the entry table holds fewer than 30 entries. 0, -6 (nothing to
// paste, not a single screen, or the ring is full) or -11 after an error box.
i32 GraphPasteFromClip(GraphContext *ctx);
// The result lines of an integral graph ("GRPMODE" 15) or a probability
// graph (16-18) again, from "COMOBCD"; waits for a key and returns it (the
// cursor keys, EXIT, EXE, AC, G<->T, SHIFT+EXIT, a menu key), or -14 when
// the View Window or SET UP screen opened here changed something.
i32 GraphShowReadOut(GraphContext *ctx);

// SET UP from a graph or calculation screen: 1 when a setting changed (the
// drawn graph is then forgotten), else 0.
i32 GraphRunSetup();

// Moves "VWIN" by 12 dots for a cursor key: 0 scrolled, 1 refused (the
// error box was shown).
i32 VwinScrollByKey(u32 key);
// 0 when every value of rec lies inside +-1E98 and Xdot, the T pitch and the
// half-width Xdot are not 0; else 28.
u32 VwinCheckValues(const VwinRecord *rec);
