// StatGraphs: the statistical graphs of the three StatGraph blocks of
// "G_CND" (and of the regression overlay, block 0). Preparation turns each
// drawn graph's data into small working lists of list file 255 (lists 10s,
// 10s+1, 10s+2 of slot s) and, when SET UP Stat Wind is Auto, writes the
// V-Window that shows them all; drawing reads only those lists and the
// window. The screen, trace and the program redraw sit on top.
// Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/types.h"
#include "number/real.h"

// Graph types of a block's word 1.
enum StatGraphType : i16 {
  kSgScatter = 1,
  kSgXyLine = 2,
  kSgNpp = 3,
  kSgHist = 4,
  kSgBox = 5,
  kSgBoxOut = 6,
  kSgNDist = 7,
  kSgBroken = 8,
};

// Words of a graph block.
enum StatGraphBlockWord : u32 { kSgDraw = 0, kSgType = 1, kSgX = 2, kSgY = 3, kSgFreq = 4, kSgMark = 5, kSgOut = 6 };

// Statistics list number (stat_data.h numbering) of part k of slot s's
// working lists.
inline u32 StatGraphWorkList(int slot, int k) { return static_cast<u32>(100 + 10 * slot + k); }

// ---- preparation (statgraph_prepare.cpp) ----

// 1 for the single-variable types 3-8, 2 for 1, 2 and the regressions
// 9-18, 0 for anything else.
int StatGraphListCount(int type);
// The data check of one graph type: 0, 9 an empty list, unequal lengths or
// a list number the graph cannot use, 25 complex, 3 too few data or a
// negative frequency where frequencies weigh data.
u32 StatGraphCheckLists(int type, int xList, int yList, int freqList);
// Prepares every drawn block of slots 1-3 (and refits a drawn overlay in
// slot 0) and, with Stat Wind Auto, writes the window into "VWIN" and into
// *vwin. quiet 0 shows the histogram pop-up and, on an error, clears the
// result lists and shows the error box. *cancel -2 when the pop-up was left
// (the result is then 0). Sets the angle unit to radians.
u32 StatGraphComputeAll(u32 quiet, i16 cond[35], VwinRecord *vwin, i32 *cancel);
// Start = Intg(minX), Width = (maxX - Start) / 9 rounded up to four
// significant digits (1 when that is 0): 0 or an error code.
u32 StatHistAutoParams(const i16 block[7], BcdReal *start, BcdReal *width);
// The classes of a histogram slot into lists 10s (lower edges) and 10s+1
// (counts): 0, 9, 3 (more than 126 classes), 4.
u32 StatHistBuild(int slot, const i16 block[7], const BcdReal *start, const BcdReal *width);
// The Start/Width pop-up: 0 accepted (values written to "G_CND"), -2 EXIT,
// -1 SHIFT+EXIT.
i32 StatHistParamsPopup(BcdReal *start, BcdReal *width);

// ---- drawing (statgraph_draw.cpp) ----

// Draws every drawn block (slot 0 first) into the context's planes and
// shows them: 0, 1 break, or an error code.
u32 StatGraphDrawAll(const i16 cond[35], GraphContext *ctx);
// "StatGraph1".."StatGraph3" or "Regression" on the top row (unless SET UP
// Graph Func is off).
void StatGraphDrawTitle(int slot);
// One block's graph: 0, 1 break, or an error code.
u32 StatGraphDrawBlock(int slot, const i16 block[7], GraphContext *ctx);
// The curve of a model block (7, 9-18) column by column.
u32 StatDrawCurve(int slot, const i16 block[7], GraphContext *ctx);
// Value to dot with far coordinates for off-screen ends: the engine's code
// (1024 right: column 255, 2048 left: -127; 256 above: row -63, 512 below:
// 127).
u32 StatPlotXToColumnClip(const BcdReal *x, i32 *col, const GraphContext *ctx);
u32 StatPlotYToRowClip(const BcdReal *y, i32 *row, const GraphContext *ctx);
// The model's coefficients of slot s (list 10s): 0, 4 unreadable.
u32 StatGraphReadCoefs(int slot, int type, BcdReal c[5]);
// Row of the model at x (-1 above or an error, 65 below); y the value.
i32 StatGraphModelRowAt(int type, const BcdReal c[5], const GraphContext *ctx, const BcdReal *x, BcdReal *y);
// The start point of a graph for the pointer: 0 or an error code; column
// and row -1 when the point is off the screen.
u32 StatGraphMidPoint(int slot, const i16 block[7], const GraphContext *ctx, i32 *col, i32 *row, BcdReal *x,
                      BcdReal *y);
// Number of data pairs a scatter or xyLine block draws: the shortest of its
// lists (0 when any is empty).
u32 StatGraphPairCount(const i16 block[7]);
// y of the box-plot row of slot s.
void StatGraphBoxY(int slot, const GraphContext *ctx, BcdReal *y);

// ---- the screen (statgraph_screen.cpp) ----

// Builds the context from "VWIN" for a full screen and clears the planes:
// 0 or an error code.
u32 StatGraphPrepareContext(GraphContext *ctx);
// Redraws the prepared StatGraphs on the current "VWIN" (after a scroll or
// zoom), and the selected graph functions over them while cond's function
// flag is 1: 0 or an error code.
u32 StatGraphRedraw(const i16 cond[35], GraphContext *ctx);
// 0 when the drawn blocks of slots 1-3 can be drawn together (*kind their
// list count, 1 or 2), else 2 (a type no graph has) or 30 (none drawn, or
// single- and paired-variable graphs mixed).
u32 StatGraphCheckKinds(const i16 cond[35], int *kind);
// "VWIN" into rec, made with the initial window when missing: 0 or 4.
u32 StatGraphLoadVwin(VwinRecord *rec);
// A zoom (30200-30209) or sketch key (30220, 30224-30234) on the StatGraph
// screen, the graphs drawn again on the new window: -21 stay, -27 a setting
// changed or a redraw failed (shown), -23 G<->T, -22 SHIFT+EXIT, or a key.
i32 StatGraphZoomKey(u32 key, const i16 cond[35], GraphContext *ctx);
// The StatGraph screen's menus (kind 1 single-variable graphs, 2 paired,
// 0 a blank row), put back by StatGraphMenusLeave.
void StatGraphMenusEnter(int kind, GraphContext *ctx);
void StatGraphMenusLeave();
// Is slot's block a drawn regression.
int StatIsRegGraphOn(const i16 block[7]);
// The next (dir >= 1) or previous drawn regression slot 0-3 (4: the graph
// functions drawn over them), wrapping; -1 when there is none.
i32 StatNextRegGraph(i32 slot, const i16 cond[35], i32 dir);

// The keys the pointer loops on the StatGraphs (trace, estimation) share:
// V-Window and SET UP give -27 when they changed what is drawn, G<->T -23;
// the empty key and the menu codes 30000-30199 give 0 (keep looping); any
// other key comes back as itself.
i32 StatGraphPointerKey(u32 key);

// ---- graph functions over the StatGraphs (statgraph_funcs.cpp) ----

// Word of the condition that is 1 while graph functions are drawn over the
// StatGraphs (the first word of block 4).
inline constexpr u32 kStatFuncBlockFlag = 28;
// DEFG: the graph-function list of the StatGraph screen. 0 the selected
// functions were drawn over the StatGraphs, -2 EXIT, -1 SHIFT+EXIT, -11
// after an error (shown), a changed SET UP or a changed View Window.
i32 StatGraphFuncScreen(GraphContext *ctx);

// ---- trace (statgraph_trace.cpp) ----

// The trace over the drawn StatGraphs: -21 EXIT, -22 SHIFT+EXIT, -27 a
// setting changed, -23 G<->T, -12 EXE in a program context, 31062 AC, or a
// key code handed back.
i32 StatGraphTrace(const i16 cond[35], GraphContext *ctx);

// ---- redraw for the graph screen and programs (statgraph_redraw.cpp) ----

// Mode 1 shows the stored picture and runs the StatGraph keys from *key;
// any other mode draws the StatGraphs afresh without pop-up. 1 done (*key
// the leaving code: -2 EXIT, -12 EXE, -13 AC, -1 SHIFT+EXIT, -11 G<->T, -14
// a V-Window change), 0 after an error (its error value in *result).
i32 StatRedrawGraphs(i32 mode, BcdReal *result, i32 *key);
