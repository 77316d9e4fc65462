// The calculation document engine: lines shown in textbook form on the
// 128 x 56 document area, a line cursor that moves over them, the textbook
// line editor in place, execution of calculation lines down to the next stop
// line with the results laid out under them, result conversions and the
// function-key commands. One engine serves RUN-MAT's natural-display screen
// ("RUN2D1"), the text strip ("TEXT1") and the e-activity editor ("EACT1").
// Calculator thread only.
#pragma once
#include "apps/calcdoc/calcdoc_store.h"
#include "kernel/types.h"
#include "number/real.h"

// Command codes of the document's function-key pages.
enum CalcDocCommand : u32 {
  kDocCmdDeleteLine = 1,
  kDocCmdInsertText = 2,
  kDocCmdInsertCalc = 3,
  kDocCmdInsertStop = 4,
  kDocCmdStrip = 5,
  kDocCmdSwitchKind = 6,
  kDocCmdTop = 7,
  kDocCmdBottom = 8,
  kDocCmdDeleteAll = 9,
  kDocCmdMat22 = 10,
  kDocCmdMat33 = 11,
  kDocCmdMatMN = 12,
  kDocCmdSave = 13,
  kDocCmdSaveAs = 14,
  kDocCmdExecute = 15,
  kDocCmdCase = 16,
  kDocCmdMatEditor = 17,
  kDocCmdListEditor = 18,
  kDocCmdChar = 19,
  kDocCmdCapacity = 20,
  kDocCmdOptimize = 21,
  kDocCmdStripSize = 22,
  kDocCmdNothing = 23,
  kDocCmdLineUp = 24,
  kDocCmdLineDown = 25,
};

// Runs the open document from its first command; returns the key that
// ended it (SET UP leaving natural display in "RUN2D1", EXIT or SHIFT+EXIT
// in "EACT1").
u32 CalcDocEngine(u32 first_command);
// RUN-MAT's natural-display screen; returns 1 when the user left it for
// linear input or Base-N.
u32 RunMatCalcDocMain(u32 from_main_menu, u32 submode);
// The text strip's entry in the child-application table.
u32 CalcDocTextMain(u32 from_main_menu, u16 submode);
// The e-activity editor over "EACT1" (already opened); the ending key.
u32 EactEditorMain();
// Called by the engine on EXIT or SHIFT+EXIT in "EACT1": 1 ends the editor.
u32 EactLeaveQuestion(u32 key);

// True when a token typed first on a fresh line needs Ans in front of it.
bool CalcDocIsOperatorToken(u16 token);
// The display text of a result by its format record (form code).
void CalcDocValueToText(const Value *value, const CalcDocResultFormat &format, char *out);
// Textbook width and height of a result; 0 width when it has no textbook form.
void CalcDocLayoutResult(const Value *value, const CalcDocResultFormat &format, u16 *width, u16 *height);
// Measures a textbook text: laid-out width (at most 128) and height.
void CalcDocMeasure(const u8 *text, u16 *width, u16 *height);
