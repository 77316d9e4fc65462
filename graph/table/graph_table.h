// The numeric table of graph functions: a matrix item ("GRAPHTBL", matrix
// 35) with one row per value of the table variable. Column 1 holds the
// variable; each entry of the context's entry table adds its columns:
//   Y= style  Y              (with the derivative: Y, dY/dX)
//   polar     r              (r, dr/dtheta, dY/dX)
//   param.    X, Y           (X, Y, dX/dT, dY/dT, dY/dX)
// All entries of one table take the column count of the first entry's
// type. The rows come from the range record "RANGE" of "@TABLE" (Start,
// End, Step) or from the list SET UP's Variable names; at most 255 rows.
//
// The view of the table (first shown row, cursor row 1..4, first shown
// function column, cursor column 1..4 with 1 the variable column) lives in
// the context. Calculator thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"
#include "number/real.h"

inline constexpr u8 kGraphTableMatrix = 35;

// The matrix item holding the context's table: its table kind, else the
// function table.
inline u8 GraphTableOf(const GraphContext *ctx) { return ctx->tableKind ? ctx->tableKind : kGraphTableMatrix; }
// Parametric (T and parametric bits) and polar (T without it) entry types.
inline bool GraphTypeIsParam(u32 type) {
  return (type & (kGraphTypeT | kGraphTypeParam)) == (kGraphTypeT | kGraphTypeParam);
}
inline bool GraphTypeIsPolar(u32 type) { return (type & kGraphTypeT) && !(type & kGraphTypeParam); }
inline constexpr u32 kGraphTableMaxRows = 255;
// Columns of a table: the variable and five for each of 20 functions.
inline constexpr u32 kGraphTableMaxCols = 101;

// Row commands of the table screen.
enum GraphTableRowKey : u32 {
  kGraphTableDelRow = 332,
  kGraphTableInsRow = 333,
  kGraphTableAddRow = 334,
};

// Columns one function of type word `type` takes (derivative d on or off).
u32 GraphTableFuncColumns(u32 type, u32 d);
// Builds the whole matrix from the context's entries. 0, or 2 (an entry
// type no table takes), 4 (no room), 9 (a list of 0 or more than 255
// values), 28 (a range outside +-1E98, a step of 0, more than 255 rows) or
// the code of an evaluation. The old table stands after 9 and 28; an
// evaluation code other than Ma ERROR, Non-Real ERROR and Time Out deletes it.
u32 GraphBuildTable(GraphContext *ctx);
// Stores x in column 1 of row and computes the function columns. An
// evaluation that fails with Ma ERROR, Non-Real ERROR or Time Out leaves
// its error value in the cell; any other code deletes the table, forgets
// the drawn graph and is returned.
u32 GraphFillTableRow(const BcdReal *x, GraphContext *ctx, i32 row);
// The point of row (from 1) of table-graph entry idx: the variable and Y
// columns of a Y= group, X and Y of a parametric group, r at theta turned
// into x and y for a polar group; stored into X and Y as well. 0 or an
// error code (4 when the row or the columns are missing).
u32 GraphTablePoint(i32 row, BcdReal *x, BcdReal *y, GraphContext *ctx, i32 idx);
// DEL, INS, ADD of a row at the cursor (keys 332-334): 0, or 1 after an
// error box. Nothing happens on an empty table.
u32 GraphTableRowCommand(u32 key, GraphContext *ctx);
// Inserts a copy of row before it: 0 or 4.
u32 GraphInsertTableRow(i32 row, u8 table);
// Copies the values of column `column` (1 the variable) of table matrix
// `table` that are not error values, in row order, into List `list` (1-26)
// of the current list file: 0, also when no value is left to copy (the
// list then stays as it was), or 4 when the list cannot be made.
u32 GraphStoreTableColumn(u8 list, i32 column, u8 table);
// Moves the table cursor by a cursor key over a table of rows x cols.
void GraphTableMoveCursor(GraphContext *ctx, u32 key, i32 rows, i32 cols);
// Entry index of function column p (1-based among the function columns).
i32 GraphTableEntryOfColumn(i32 p, GraphContext *ctx);
// The four-character header of column p (0 the variable column) into out
// (at least 8 bytes), followed by the slot number for a function column.
void GraphTableHeaderText(i32 p, GraphContext *ctx, char *out);
// The header of column p drawn at screen column screenColumn (0-3).
void GraphTableHeader(i32 p, i32 screenColumn, GraphContext *ctx);
// Text row 1 for function column p: the derivative's name or the formula;
// blank on the variable column (p 0).
void GraphTableTopLine(i32 p, GraphContext *ctx);
// The bracket strokes at both sides of the shown cells (split: the right
// half).
void GraphTableBrackets(GraphContext *ctx);
// Draws the shown part of the table; how 0 also shows the cursor cell's
// full value on row 7 and the top line.
void GraphDrawTable(GraphContext *ctx, i32 how);
// The cursor cell's value line (text row 7, or the right half's bottom
// line on a split screen) showing text.
void GraphTableShowValueText(GraphContext *ctx, const char *text);
// The value under the table cursor into v: false for a missing or error
// cell.
bool GraphTableCursorValue(GraphContext *ctx, Value *v);
// The range record: Start, End and Step.
struct TableRange {
  BcdReal start, end, step;
};
// Reads "RANGE", making it with 1, 5, 1 when missing: 0 or 4.
u32 TableReadRange(TableRange *r);
// Writes the defaults Start 1, End 5, Step 1: 0 or an error code.
u32 TableResetRange();
// Writes the record: 0 or an error code.
u32 TableWriteRange(const TableRange *r);
