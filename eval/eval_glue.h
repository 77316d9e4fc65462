// The evaluator's seam to the subsystems above it: the records of the graph,
// table, recursion, statistics, equation, spreadsheet and financial
// applications, the calculation document, random numbers and assignment.
// Each seam answers 0 with the value, or an error code; a seam whose owner
// is not yet part of the system answers System ERROR (23), never a made-up
// value.
#pragma once
#include "eval/eval.h"

constexpr u8 kEvalGlueWaiting = kEvalErrSystem;

// Statistics result n (1-36) into out: 0, -2 when it is not available, or an
// error code.
i32 EvalGlueStatValue(u32 n, BcdReal *out);
// The statistics mode list as a real list value: 0 or an error code.
u8 EvalGlueStatModes(EvalCell *out);
// V-Window value by index 0-10 (right: the right-hand window).
u8 EvalGlueVwinValue(u32 right, u32 index, BcdReal *out);
u8 EvalGlueZoomFactor(u32 isY, BcdReal *out);
// Start, end or pitch (0, 1, 2) of the dynamic-graph or table range record.
u8 EvalGlueDynaValue(u32 which, BcdReal *out);
u8 EvalGlueTableRange(u32 which, BcdReal *out);
u8 EvalGlueRecurValue(u32 id, BcdReal *out);
// A stored equation or table result matrix by number (30-36).
u8 EvalGlueEquaMatrix(u32 number, EvalCell *out);
// The financial variable at the byte offset of its record.
u8 EvalGlueFinValue(u32 offset, BcdReal *out);
// 1 while the spreadsheet application runs.
u32 EvalGlueSheetRunning();
// Value of a cell (column 1-26, row 1-999): 0 or the sheet's error code.
u8 EvalGlueSheetCell(u32 column, u32 row, Value *out);
// A cell function (second token byte 0xE9-0xEE) over the range {column,
// row, column, row}: 0 or the error code in out.
u8 EvalGlueSheetRange(u8 func, const i16 range[4], Value *out);
// The latest scalar result of the current calculation document.
u8 EvalGlueDocLastAns(Value *out);
// Type word of graph function n (1-20), 0 when there is none.
u16 EvalGlueGraphFuncType(u32 n);
// Text of graph function n, null when there is none.
const char *EvalGlueGraphFuncText(u32 n);
// Pixel (column, row) of the stored graph image: 1 lit, 0 not, -1 when no
// graph was drawn.
i32 EvalGluePixelTest(i32 column, i32 row);
// "Ran# " (call kind 3).
u32 EvalRandom(EvalCell *result, TokPos *pos, EvalCell *tok);
// An assignment arrow after a formula: stores value into what follows the
// arrow (the token cell holds the arrow). 1, or 0 with the error in value.
u32 EvalGlueAssign(TokPos *pos, EvalCell *tok, EvalCell *value);
