// The statistics calculations: single-variable, paired-variable and the ten
// regressions on lists of the current list file, their result screens and
// set-up screens. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// ---- set-up screens (stat_setup.cpp) ----

// Which StatGraphs are drawn: -10 draw (EXE or Draw), -2 EXIT, -1
// SHIFT+EXIT. Exactly one of the conditions is given: the 35 words of
// G_CND, or the spreadsheet's graph condition (its header, then four
// 32-byte graph blocks).
i32 StatGraphSelectScreen(u16 *statCond, u16 *sheetCond);
// Each StatGraph's type, lists, frequency, mark and outliers: 0 EXE, -2
// EXIT, -1 SHIFT+EXIT; the condition is written on leaving.
i32 StatGraphSetupScreen(u16 *statCond, u16 *sheetCond);
// The lists (or the spreadsheet's ranges) of the single- and
// paired-variable calculations: 0 EXE, -2 EXIT, -1 SHIFT+EXIT.
i32 StatCalcSetupScreen(u16 *statCalcCond, u8 *sheetCalcCond);
// Edits a cell reference (kind 1) or range (kind 2; kind 3 also takes "1"
// for none) on screen row `row`, the label at column 1 and the text from
// column col: the key that ended it (30004 after a valid entry, 30002,
// 30029, or the first key when it could not start an entry).
u32 StatEditCellRange(int kind, int typed, u32 key, u16 *refA, u16 *refB, int col, int row, const char *label);
// A range text "B1:B999" (kind 1 a single reference; kind 3 also "1"): 1
// with the references set (column, row), 0 when it is not valid.
int StatParseCellRange(int kind, u32 *refA, u32 *refB, const char *text);
// "C12" for {3, 12}: 1, or 0 with an empty text when a part is 0.
int StatCellRefText(const u16 ref[2], char *out);
// "A1:B9", or "1" when any part is 0.
void StatCellRangeText(const u16 a[2], const u16 b[2], char *out);
// "Select List No.": 0 with a number 1..26 in *out, -1 or -2 when left.
i32 StatInputListPopup(u32 *out);

// ---- calculations (stat_calc.cpp) ----

// Checks the data lists of a calculation type (1-2 shortest length, else
// equal lengths; the frequency list ignored for 17 and 18): 0, 9 an empty
// list or unequal lengths, 25 a complex list, 3 too few data.
u32 StatCheckLists(int type, int xList, int yList, int freqList);
// The single- and paired-variable calculations into the result lists: 0 or
// an error code (no result list is left behind on failure).
u32 StatOneVarRun(int xList, int freqList);
u32 StatTwoVarRun(int xList, int yList, int freqList);
// The regression driver: mode 0 the result list, 1 the coefficient list of
// graph slot `slot` (list 10 x slot of file 255), 3 both with slot 0.
u32 StatRegression(int mode, int slot, int type, int xList, int yList, int freqList);
// MSe and r² of the regression just stored (coefficients read back from the
// result list): 0, or 9 for an empty y list; failures are error values in
// the outputs.
int RegFitMeasures(int model, int xList, int yList, int freqList, BcdReal *mse, BcdReal *r2);
// y - ŷ of the last regression into the Resid List of SET UP (item 45):
// 0 or an error code.
u32 StatWriteResiduals(int xList, int yList, int type, const Value coef[8]);
// y = model(x) for graph type 7 (coeffs x̄, σ) and the regressions 9-18,
// each step normalised; an error travels into y.
void StatGraphEvalModel(i32 type, const BcdReal coeffs[5], const BcdReal *x, BcdReal *y);
// ŷ of graph slot `slot`'s regression (its coefficient list) at x: 0, 1 for
// a type that is no regression, or the error code of y.
u32 StatRegEstimateAt(int slot, const i16 block[7], const BcdReal *x, BcdReal *y);
// The calculation of C_CND's type: deletes the result lists, runs it; -2
// with *err set on failure; with showScreen the result screen's code, else
// 0.
i32 StatCalcRun(const i16 *cond, u32 *err, int showScreen, int sheet);
// The spreadsheet's calculation condition (42 bytes: type, then the
// single-variable X and frequency ranges, the paired X, Y and frequency
// ranges, each {column, row, column, row}) read into work lists 27-31 of
// file 0 (only the single-variable ones when oneVar); out receives the
// list numbers in the words of C_CND (0 for a frequency range not set).
// 0 or an error code.
u32 StatSheetCondToLists(i16 out[6], const u8 *sheetCond, int oneVar);
// Four StatGraph blocks of G_CND's form (and word 28, the draw flag of the
// fifth block) from the spreadsheet's graph blocks (160 bytes: 32 a graph),
// the ranges of the drawn graphs read into work lists 32-43: 0 or an error
// code.
u32 StatSheetRangeCalc(i16 out[29], const u16 *sheetGraphCond);
// The same for the program command: 0 with *err set on failure; with
// showScreen the program-mode result screen's code.
i32 StatCalcFromCommand(const i16 *cond, u32 *err, int showScreen);
// 0 when a equals b, -1 when a < b, 1 when a > b.
i32 StatCompareReals(const BcdReal *a, const BcdReal *b);
// Element i of list <file, list> as a real: 0, 4 unreadable, 25 complex.
u32 StatReadListElement(i8 file, u8 list, int i, BcdReal *out);

// ---- result screens (stat_calc_screen.cpp) ----

// The application's result screen of calculation `type`: -2 EXIT, -12 EXE,
// -13 AC, -1 SHIFT+EXIT, -21 after the View Window or a changed SET UP,
// -22 COPY ended with SHIFT+EXIT.
i32 StatCalcResultScreen(int type, u32 *err, int sheet);
// The program-mode screen: as above, and -11 for G<>T outside RUN-MAT and
// PROG.
i32 StatCalcResultScreenProgram(int type, u32 *err);
// The result screen of a calculation run from the StatGraph screen, with
// Draw on F6 (and COPY on F5 for a regression): -28 Draw, -21 EXIT, -22
// SHIFT+EXIT, -27 a setting changed, -23 G<->T.
i32 StatCalcResultMenu(int type);
// COPY of the regression's formula into a graph function: -2 or -1.
i32 StatCopyRegToGraphFunc(int type);
// Stores the regression's formula as graph function `slot`: 0 or an error.
i32 StatBuildRegFormula(int type, int slot);

// A calculation chosen and run by a program command: the type and the
// lists (-1 keeps the list of C_CND) are written to C_CND and the
// calculation runs, with the program-mode result screen when showScreen.
// Returns 0, 4 when C_CND cannot be read or made, or the calculation's
// error code; *result the screen's code (-21 given as -14).
u32 StatSetCalcFromCommand(u32 showScreen, i32 calcType, i32 xList, i32 yList, i32 freqList, i32 *result);
