// The equation application's model: the coefficient and result items of the
// simultaneous and polynomial tools with the rule that every coefficient
// change deletes the results first, the cell window of the editors and
// result screens, and the Solver's equation and bound items. Nothing here
// draws or reads keys. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"
#include "numeric/equa_solve.h"

// The view state of a coefficient editor or result screen.
struct EquaCellWindow {
  u8 matrix;       // 30..33
  u32 rows, cols;  // of the item
  u32 row, col;    // cursor, 0-based in the matrix
  u32 top, left;   // first shown row and column
  u32 twoRowValue; // the value line takes two text rows: three rows shown
  u32 wide;        // result cells in the wide complex form: one column
};

// Rows and columns the window shows.
u32 EquaShownRows(const EquaCellWindow *w);
u32 EquaShownCols(const EquaCellWindow *w);
// Reads the item's dimensions and puts the cursor and window on the first
// cell; false when the item is missing.
bool EquaWindowOpen(EquaCellWindow *w, u8 matrix);
// Reads the dimensions again (the item may have changed) keeping the cursor
// inside; false when the item is missing.
bool EquaWindowReload(EquaCellWindow *w);
// Moves the cursor by UP, DOWN, LEFT or RIGHT and makes the window follow.
// Coefficient editors: a polynomial moves along its row and wraps at its
// ends; a system moves in two dimensions, LEFT from the first column to the
// last column of the row above, RIGHT from the constant to the first
// column of the row below, UP and DOWN wrapping at the first and last row.
// Result screens (31, 33): every key moves by one root or unknown, UP and
// LEFT back, DOWN and RIGHT forward, wrapping.
void EquaWindowMove(EquaCellWindow *w, u32 key);
// Keeps the cursor inside the window after its size changed.
void EquaWindowFollow(EquaCellWindow *w);

// The size of a tool as its coefficient item gives it: the number of
// unknowns (rows of "SIMLCOEF") or the degree (columns of "POLYCOEF" less
// 1); 0 without data.
u32 EquaSimlSize();
u32 EquaPolySize();
// The result items of a tool (by its coefficient matrix, 30 or 32).
void EquaDeleteResults(u8 coefMatrix);
bool EquaResultsPresent(u8 coefMatrix);
// All items of a tool.
void EquaDeleteTool(u8 coefMatrix);
// A new size: checks first that the zero coefficient matrix fits once the
// tool's items are gone (Memory ERROR, 4, with nothing deleted), then
// deletes them and creates the zero matrix. 0 or 4.
u32 EquaNewSize(u8 coefMatrix, u32 size);
// CLR: the tool's items replaced by a zero coefficient matrix of the same
// size. 0 or 4.
u32 EquaClearCoefs(u8 coefMatrix);
// Writes a real value into the cursor's cell after deleting the results.
// 0, or 4 with the cell unchanged.
u32 EquaStoreCell(const EquaCellWindow *w, const Value *v);
// True when the result item holds a non-zero second column (complex
// results shown in the wide form).
bool EquaResultIsComplex(u8 resultMatrix);
// The value of cell (row, col) of the window's matrix, 0-based; for a
// complex result row, column 1 is the imaginary part of column 0. An
// unreadable cell gives Memory ERROR.
Value EquaCellValue(const EquaCellWindow *w, u32 row, u32 col);

// ---- the Solver ----
inline constexpr u32 kEquaSolverMaxVars = 40;
inline constexpr u8 kEquaLineLower = 'l';
inline constexpr u8 kEquaLineUpper = 'u';
// The equation's variables in order of first use, then 'l' and 'u': 0, 2
// Syntax ERROR (a two-byte character, a character outside the accepted set,
// more than one '='), 20 No Variable.
u16 EquaSolverScanVars(const u8 *text, u8 codes[kEquaSolverMaxVars], u16 *count);
// Makes the listed variables real (the bound entries are skipped).
void EquaSolverRealVars(const u8 *codes, i16 count);
// The stored equation into text (256 bytes); false when there is none.
bool EquaSolverLoadEquation(u8 *text);
// Stores the equation, replacing the old one only once the new one stands,
// and resets the bounds to their defaults. 0, or 4 with both items as they
// were.
u32 EquaSolverStoreEquation(const u8 *text);
// Deletes the equation and its bounds.
void EquaSolverDeleteEquation();
// The bounds, creating "EQSLVLMT" with -9E99 and 9E99 when missing: 0, or 4.
u32 EquaSolverReadLimits(BcdReal *lower, BcdReal *upper);
// The bounds as they are shown: the stored ones, or the defaults while
// none are stored (nothing is created).
void EquaSolverShownLimits(BcdReal *lower, BcdReal *upper);
// Writes bound 0 (Lower) or 1 (Upper); an error value is not written and its
// code is returned. 0, or an error code.
u32 EquaSolverWriteLimit(u32 index, const BcdReal *value);
// Deletes the bounds alone.
void EquaSolverDeleteLimits();
// True when the bounds item exists.
bool EquaSolverLimitsExist();
