// The e-activity editor's side of the document engine. The e-activity
// application (its file list, the leave question and saving) is not built:
// nothing opens "EACT1" yet, and leaving it ends the editor.
#include "apps/calcdoc/calcdoc.h"

u32 EactLeaveQuestion(u32) { return 1; }
