// Formulas of the current sheet: evaluation of one formula cell, the values
// the evaluator reads through cell references and cell functions,
// recalculation with circular-reference detection, and the latched error
// that one user action shows once.
#pragma once
#include "apps/sheet/sheet_store.h"

inline constexpr u32 kSheetErrCircular = 34;
inline constexpr u32 kSheetErrPlainText = 32;
inline constexpr u32 kSheetErrNone = 39;  // what SheetLatchError(39) returns when nothing was latched

// Input kinds of a typed line: 3 plain text ('"'), 2 formula ('='), 1 number
// or expression.
u32 SheetInputKind(const char *text);

// 0 clears; another code is latched when none is; returns the latched code.
u32 SheetLatchError(u32 code);

// Evaluates and stores one formula cell; text is the formula after '='.
// whole 1 accepts any result kind. 0, or 4 when the result could not be
// stored.
u32 SheetEvalFormulaText(const char *text, Value *out, const i16 cell[2], u32 whole);
u32 SheetEvalCell(Value *out, const i16 cell[2], u32 whole);
// The same, restarting from the top when a deep chain of references ran
// short of stack.
u32 SheetEvalCellDeep(Value *out, const i16 cell[2], u32 whole);
// The value of a referenced cell: 1 when out holds no error value (an empty
// cell gives 0 and the result 0).
u32 SheetGetCellValue(const i16 cell[2], Value *out);
u32 SheetGetCellValueDeep(const i16 cell[2], Value *out);
// Recalculates every formula: 1 after Break, else the latched error (39 none).
u32 SheetRecalcAll();
// Cell functions: func 233 Sum, 234 Prod, 235 Min, 236 Max, 237 Mean, 238 Med.
u32 SheetCellRangeFunc(u8 func, SheetRange *r, Value *out);
// Reads [$]letter[$]digits at *text: 1 with out {col, row} and *text behind
// the reference, else 0.
u32 SheetParseCellRef(i16 out[2], const char **text);
// 1 while cell references and cell functions are taken: the spreadsheet
// application runs or its engine is evaluating.
u32 SheetEngineActive();
// Nesting of formula evaluations reached before a cell is deferred.
inline constexpr u32 kSheetEvalDepthMax = 12;
