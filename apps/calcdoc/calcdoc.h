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
// Installs the open document's function-key pages (by document; in "EACT1"
// slots 0-2 follow the current line's kind).
void EactInstallMenus();

// ---- the e-activity application ----
// The open file's full path (such as \\fls0\NAME.EAC).
const u16 *EactPath();
// Saves the e-activity: command 13 SAVE, 14 SV-AS, or the key that asked the
// leave question. 1 saved or nothing to save, 0 not saved (the title line
// and the path as they were).
u32 EactSaveFile(u32 command);
// Asks a file name; the path takes it. The ending key (EXE with a name).
u32 EactAskFileName();
// Checks the room on the path's device: EXE to go on, EXIT not to. After a
// save (1) it only warns.
u32 EactCheckStorageRoom(u32 after_save);
// The CAPA (20) and SIZE (22) pop-ups.
void EactShowSizes(u32 command);
void EactOptimizeStorage();
// The folder of the current strip's application (1), or 0 with no strip.
u32 EactStripFolder(char out[9]);
// The editor's and the strip's states (document record, menus) around a
// strip switch: entering keeps the editor's and brings back the strip's,
// leaving the reverse; a fresh strip start forgets the strip's.
enum : u32 { kEactCarryLeave = 0, kEactCarryEnter = 1, kEactCarryFresh = 2 };
void EactCarryState(u32 mode);

// True when a token typed first on a fresh line needs Ans in front of it.
bool CalcDocIsOperatorToken(u16 token);
// The display text of a result by its format record (form code).
void CalcDocValueToText(const Value *value, const CalcDocResultFormat &format, char *out);
// Textbook width and height of a result; 0 width when it has no textbook form.
void CalcDocLayoutResult(const Value *value, const CalcDocResultFormat &format, u16 *width, u16 *height);
// Measures a textbook text: laid-out width (at most 128) and height.
void CalcDocMeasure(const u8 *text, u16 *width, u16 *height);
