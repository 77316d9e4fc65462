// The EQUA application: the type menu, the simultaneous and polynomial
// tools (size screens, coefficient editors, result screens) and the Solver.
// EquaAppMain (kernel/apps.h) enters it. Calculator thread only.
#pragma once
#include "apps/calc/equa_model.h"
#include "kernel/types.h"

// ---- screens and key loops (equa_app.cpp) ----
// Never returns: the kernel leaves EQUA by switching applications.
void EquaTypeMenu(u32 fromMainMenu, u16 submode);
void EquaSimlSizeScreen();
void EquaPolyDegreeScreen();
// The editors return the key that ended them: EXIT, SHIFT+EXIT, or DEL
// after a confirmed deletion (the size is then 0).
u32 EquaSimlCoefEditor(i32 *unknowns);
u32 EquaPolyCoefEditor(i16 *degree);
// Solve when the result item is missing, then show it: the key that ended
// the screen (1 REPT, EXIT, SHIFT+EXIT), or 65535 when the solve failed.
u32 EquaSimlResultScreen(u32 n);
u32 EquaPolyResultScreen(u32 degree);
// 1 for the item codes 0-2; otherwise Memory ERROR is shown and 0 given.
u32 EquaItemOk(u32 code);
// Shows the error an error value holds (in its real part, or in the
// imaginary part of a complex value) and returns its code; 0 for none.
u32 EquaShowValueError(const Value *v);
// An editing key on the input line of 255 bytes shown from column col of
// row; a key the line does not take is posted again for the screen.
void EquaLineKey(u8 *buf, u32 *start, u32 *cursor, u32 key, i32 col, i32 row);
// What the function-memory keys and RCL reach (the graph functions) is not
// part of the system yet: a box says so and nothing changes.
void EquaNotAvailableBox();
// The function-memory keys of the editors.
inline bool EquaIsFmemKey(u32 key) { return key == 31000 || key == 31001 || key == 31007; }
// Yes/No pop-ups: 1 for F1, 0 for EXIT, F6 or SHIFT+EXIT.
u32 EquaConfirmDeleteCoefs();
u32 EquaConfirmDeleteFormula();

// ---- drawing (equa_draw.cpp) ----
void EquaDrawTypeMenu();
// Blanks text rows first..last.
void EquaClearLines(i32 first, i32 last);
// Row 1: the equation the tool solves, by its size.
void EquaDrawHeader(u8 matrix, u32 size);
// The cells of the window, the current one reversed.
void EquaDrawCells(const EquaCellWindow *w);
void EquaDrawLabels(const EquaCellWindow *w);
void EquaDrawLabelRules(const EquaCellWindow *w);
void EquaDrawResultBrackets(const EquaCellWindow *w);
void EquaPolyDrawBrackets(const EquaCellWindow *w);
void EquaSimlDrawBrackets(const EquaCellWindow *w);
void EquaPolyDrawMultiplicity(const EquaCellWindow *w);
// The value line of the current cell, converted as the key asks (31050
// sexagesimal, 31051 and 31052 engineering, 30026 and 30046 the fraction
// forms, anything else plain). Sets w->twoRowValue when the text takes two
// rows.
void EquaShowCellValue(EquaCellWindow *w, u32 key);

// ---- the Solver (equa_solver.cpp) ----
void EquaSolverScreen();
// Draws rows 1 to 7 after moving the line cursor for UP (30018) or DOWN
// (30023); other keys only draw.
void EquaSolverDrawLines(u32 *top, u32 *cursor, const u8 *codes, i16 count, const u8 *text, u32 key);
// The graph-function list to recall an equation from: the key that ended
// it (EXE chosen, EXIT, SHIFT+EXIT).
u32 EquaSolverRecall(u8 *text);
// Solves for the variable and shows the result: 1 back to the Solver
// screen, 0 leave the Solver.
u32 EquaSolverResult(const u8 *text, u8 variable);
