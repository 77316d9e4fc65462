// The graph context: the working record of one graph screen, its view of the
// V-Window, the table of graph entries it draws, and the conversions between
// graph values and the dots of the 128 x 64 display.
//
// A context lives on the stack of the screen that owns it: GraphInitContext
// takes the flags from SET UP, GraphLoadVwin loads the view (again after
// every V-Window, zoom or SET UP change), the screen sets the entry table,
// then any number of GraphClearBuffer / GraphPlotAll cycles draw into the
// two pixel planes. The graph area is columns 1..127 and rows 1..63 (row 1
// at the top); column and row 0 are never drawn.
//
// Calculator thread only.
#pragma once
#include "graph/memory/gmem_vwin.h"
#include "kernel/types.h"
#include "number/real.h"

// ---- the view ----------------------------------------------------------------

// The view: the V-Window values the conversions and plotters work from.
struct GraphView {
  BcdReal xmin, xmax;
  BcdReal xscale;    // made non-negative by GraphLoadVwin
  BcdReal xdot;      // x width of one dot on the full screen
  BcdReal xdotHalf;  // x width of one dot on a half screen
  BcdReal ymin, ymax;
  BcdReal yscale;  // made non-negative
  BcdReal ydot;    // (Ymax - Ymin) / 62
  BcdReal tmin, tmax;
  BcdReal tpitch;  // its sign points from Tmin to Tmax
  // The T range of the current plot: Tmin and Tmax, widened by the entry
  // scan to cover entries with a range of their own (simultaneous plots).
  BcdReal plotTmin, plotTmax;
  // The extent of what an extent pass plotted (error values: nothing yet).
  BcdReal extXlow, extXhigh, extYlow, extYhigh;
};
static_assert(sizeof(GraphView) == 18 * 12);

// ---- flags ---------------------------------------------------------------------

// Screen flags (GraphContext::screenFlags).
enum GraphScreenFlag : u8 {
  kGraphIneqMask = 0x03,      // inequalities drawn so far: 0, 1, 2 = two or more
  kGraphAngleMask = 0x0C,     // angle unit << 2
  kGraphScreenModeMask = 0x30,  // screen mode << 4: 0 single, 1-3 split layouts
  kGraphLabelsShown = 0x40,   // function names are shown while drawing
  kGraphLabelMask = 0xC0,
};
// Option flags (GraphContext::optionFlags).
enum GraphOptionFlag : u8 {
  kGraphOptPlot = 0x01,        // Draw Type Plot (else Connect)
  kGraphOptDerivative = 0x02,
  kGraphOptCoord = 0x04,
  kGraphOptLabel = 0x08,
  kGraphOptSimul = 0x10,       // all entries drawn together, column by column
  kGraphOptLocus = 0x20,
  kGraphOptSpeedHigh = 0x40,   // Y=Draw Speed High
};
// Run flags (GraphContext::runFlags); also the flags argument of the pixel,
// line and conversion routines.
enum GraphRunFlag : u8 {
  kGraphRunXReversed = 0x01,  // Xmin > Xmax
  kGraphRunYReversed = 0x02,  // Ymin > Ymax
  kGraphRunExtent = 0x04,     // plotting only measures the extent (view ext*)
  kGraphRunStripRight = 0x08, // with kGraphRunStrip: the right strip
  kGraphRunStrip = 0x10,      // draw only columns 1-11 (or 117-127)
  kGraphRunPlanesOnly = 0x20, // draw into the planes only, not on the display
  kGraphRunRightHalf = 0x40,  // with kGraphRunHalf: the right half
  kGraphRunHalf = 0x80,       // half-width screen: 63 columns
};

// ---- entries ---------------------------------------------------------------------

// Type word bits of an entry and of a graph function.
enum GraphTypeBit : u32 {
  kGraphTypeParam = 0x0001,    // parametric pair (variable T)
  kGraphTypePolar = 0x0002,    // polar: the result is r
  kGraphTypeBracket = 0x0004,  // second formula of a pair read after an opening bracket
  kGraphTypeFunc = 0x0008,     // every graph-function type
  kGraphTypeRelMask = 0x0030,  // inequality relation: 0 "<", 0x10 ">", 0x20 "<=", 0x30 ">="
  kGraphTypeAbove = 0x0010,    // shade above the curve
  kGraphTypeArea = 0x0040,     // area shading between the curve and the x axis
  kGraphTypeIneq = 0x0080,     // inequality (shaded)
  kGraphTypeX = 0x0100,        // variable X: Y= plotted by columns
  kGraphTypeY = 0x0200,        // variable Y: X= plotted by rows
  kGraphTypeT = 0x0400,        // parametric or polar: plotted by T or theta steps
  kGraphTypePoints = 0x0800,   // points from a table (GraphTablePoint)
  kGraphTypeBuiltin = 0x1000,  // evaluated by a routine, not a formula
  kGraphTypeListValued = 0x2000,
  kGraphTypeRanged = 0x4000,   // a range of its own after the formula
  kGraphTypeValueList = 0x8000,  // drawn once per value of a coefficient letter
};

// Type words of the graph functions.
inline constexpr u32 kGraphFuncY = 264;       // Y=
inline constexpr u32 kGraphFuncR = 1034;      // r=
inline constexpr u32 kGraphFuncParam = 1033;  // X=, Y= of T
inline constexpr u32 kGraphFuncXc = 521;      // X=c
inline constexpr u32 kGraphFuncYGt = 408;     // Y>
inline constexpr u32 kGraphFuncYLt = 392;     // Y<
inline constexpr u32 kGraphFuncYGe = 440;     // Y>=
inline constexpr u32 kGraphFuncYLe = 424;     // Y<=
inline constexpr u32 kGraphFuncRecur = 2308;

// Draw styles (GraphEntry::style): 1 points only, 2 normal, 3 thick, 5
// broken, 8 dot, 64 the shading pattern; see GraphStyledDot for all codes.
enum GraphLineStyle : u8 {
  kGraphStylePlot = 1,
  kGraphStyleNormal = 2,
  kGraphStyleThick = 3,
  kGraphStyleBroken = 5,
  kGraphStyleDot = 8,
  kGraphStyleShade = 64,
};

// Range state bits of an entry with a range of its own.
enum GraphRangeState : u8 {
  kGraphRangeWaiting = 0x01,  // waiting for the start bound's column
  kGraphRangeDrawing = 0x02,  // drawing; stop after the end bound's column
  kGraphRangeDone = 0x04,     // finished, or nothing to draw
  kGraphRangeToEdge = 0x08,   // drawing to the last column
  kGraphRangeReversedBounds = 0x10,
  kGraphRangeSingle = 0x20,   // the two bounds are equal
  kGraphRangeAgainst = 0x40,  // columns (or T steps) run against the bounds
  kGraphRangeEndInside = 0x80,
};

struct GraphContext;
struct GraphEntry;

// A built-in entry's routine: y (or r) of x (or theta) into out, or the
// point (x, y) of t for a parametric built-in (the second form). 0 or an
// error code.
using GraphBuiltinFunc = u32 (*)(const BcdReal *v, BcdReal *out, GraphContext *ctx, i32 idx);
using GraphBuiltinParam = u32 (*)(const BcdReal *t, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx);
// Gives the current address of an entry's formula text: texts that live in
// main memory move when items change, so GraphRefreshEntries asks again
// before every plot. Null keeps the text as set.
using GraphTextSource = const u8 *(*)(const GraphEntry *entry);

// One entry of a context's entry table; the table ends with an entry whose
// style is 0.
struct GraphEntry {
  const u8 *text;              // formula (tokens, ended by 0); parametric halves split by 0xF6
  GraphTextSource textSource;  // re-takes `text` (may be null)
  GraphBuiltinFunc builtin;    // built-in entries (kGraphTypeBuiltin)
  GraphBuiltinParam builtinParam;
  const BcdReal *areaBounds;   // area shading: the two bounds
  u32 pointCount;              // point entries: number of points
  i32 slot;                    // graph-function slot shown in the label (or recursion term)
  u8 areaState;
  u8 rangeState;               // kGraphRange* bits
  u8 letter;                   // value-list entries: the coefficient letter 'A'..'Z'
  u8 joinMode;                 // point entries: 0 join the points with lines
  u8 markType;                 // point entries: GraphDrawMark type
  u8 style;                    // GraphLineStyle; 0 ends the table
  i8 labelKind;                // 0 none, 1-4 "Y" "X" "f" "r" + slot, 5-8 without it, 9-11 recursion, 12 conic, 13 labelText
  u8 label;                    // second label code of recursion and conic graphs
  u8 readoutKind;              // what the cursor read-out shows (1 Y=/X=, 2 polar, 3 parametric ...)
  u32 listCount;               // list-valued and value-list entries: curves drawn
  const char *labelText;       // label kind 13
  u32 type;                    // GraphTypeBit word
};

// Previous-point record of a plot run: {column, row, code, dash counter}.
struct GraphPoint {
  i16 col, row, code, dash;
};

// ---- the context -------------------------------------------------------------

constexpr u32 kGraphPlaneBytes = 1024;
constexpr i32 kGraphLastColumn = 127;
constexpr i32 kGraphLastRow = 63;

struct GraphContext {
  u8 planes[2 * kGraphPlaneBytes];  // plane 0 then plane 1; a dot is lit when set in either
  GraphView view;
  GraphPoint *points;   // previous-point records, only during GraphPlotAll
  GraphEntry *entries;  // the entry table (at most 255 curves)
  u8 screenFlags;
  u8 optionFlags;
  u8 runFlags;
  u8 lineStyle;   // sketch line style
  u8 tableKind;   // matrix number of the table shown beside the graph (35, 36)
  i32 tableTop, tableLeft, tableCursorCol, tableCursorRow;
};

// The entries of the context's table before the one with style 0 (none
// without a table).
inline i32 GraphEntryCount(const GraphContext *ctx) {
  i32 n = 0;
  while (ctx->entries != nullptr && ctx->entries[n].style != 0) ++n;
  return n;
}

// Angle unit and screen mode held in the screen flags.
inline u16 GraphAngleUnit(const GraphContext *ctx) { return (ctx->screenFlags >> 2) & 3; }
inline u32 GraphScreenMode(const GraphContext *ctx) { return (ctx->screenFlags >> 4) & 3; }

// Fills the screen flags, option flags and line style from SET UP, clears
// the run flags and sets the table view to 1. View and entries untouched.
void GraphInitContext(GraphContext *ctx);
// Loads "VWIN" (fromVwin != 0) or "VWINR" into the view, making the item
// with the initial window when it is missing. A negative Xscale or Yscale,
// and a T pitch that points away from Tmax, are made right in the view and
// in the item. 0; 4 when the item cannot be made; 28 (Range ERROR) when the
// window is unusable: a zero dot size or pitch, equal ends, or a width or
// height 12 or more decades below both its ends. After 28 the view must not
// be used for plotting.
u32 GraphLoadVwin(GraphContext *ctx, i32 fromVwin);
// Clears the planes (a half of them on a half screen, where the right half
// also gets its dividing line), lays the background picture under a full
// screen, and draws the axes and grid from SET UP.
void GraphClearBuffer(GraphContext *ctx);

// ---- SET UP readers ----------------------------------------------------------

i32 GraphBackgroundPict();   // 0 none, else picture memory n
u32 GraphAxesFlag();         // 1 when the axes are off
u32 GraphDerivativeOn();
u32 GraphCoordOn();
u32 GraphGridStyle();        // 2 when the grid is on, else 0
u32 GraphSimulOn();
u32 GraphLabelOn();
u32 GraphFuncOn();
u32 GraphDrawTypePlot();
u32 GraphDualScreenMode();   // screen mode 0-3
u32 GraphLocusOn();
u32 GraphDrawSpeedHigh();
u8 GraphSketchLineStyle();   // 2 normal, 3 thick, 5 broken, 8 dot

// ---- value <-> dot -------------------------------------------------------------

// Result codes of the conversions; callers OR the x and y codes together.
enum GraphDotCode : u32 {
  kGraphDotOn = 0,
  kGraphDotAbove = 256,
  kGraphDotBelow = 512,
  kGraphDotRight = 1024,
  kGraphDotLeft = 2048,
  kGraphDotYError = 4096,
  kGraphDotXError = 8192,
};

// Rounds half toward +infinity: 0 with *n = floor(v + 0.5) for |v| < 1000,
// +1 when v >= 1000 (or rounds to 1000), -1 when v <= -1000.
i32 GraphRoundToInt(const BcdReal *v, i32 *n);
// x to its dot column 1..127 (1..63 on a half screen, flags bit 7); *col is
// written whenever the value is near enough to round.
u32 GraphXToColumn(const BcdReal *x, i32 *col, const GraphView *view, u32 flags);
// y to its dot row 1..63 (row 1 at the top).
u32 GraphYToRow(const BcdReal *y, i32 *row, const GraphView *view);
// Wide forms for clipping: columns -127..255 (-63..127), rows -63..127.
u32 GraphXToColumnWide(const BcdReal *x, i32 *col, const GraphView *view, u32 flags);
u32 GraphYToRowWide(const BcdReal *y, i32 *row, const GraphView *view);
// x of a dot column; the last column gives Xmax exactly.
void GraphColumnToX(BcdReal *x, i32 col, const GraphView *view, u32 flags);
// y of a dot row; row 63 gives Ymin.
void GraphRowToY(BcdReal *y, i32 row, const GraphView *view);
// v := 0 when it is 9 or more decades smaller than the dot size.
void GraphSnapToZero(BcdReal *v, const BcdReal *dot);
// x = r cos theta, y = r sin theta, each normalised.
void GraphPolarToRect(const BcdReal *r, const BcdReal *theta, BcdReal *x, BcdReal *y, u16 angleUnit);
