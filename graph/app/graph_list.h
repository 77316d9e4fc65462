// The screens of the graph-function list shared by GRAPH, TABLE and the
// other applications that edit graph functions: the list display with its
// prefixes, selection marks and line-style marks, the list cursor, the
// one-line formula editor, the delete confirmation, the graph-memory
// pop-up, the table range screen and the screen title. Calculator thread
// only.
#pragma once
#include "kernel/types.h"

// The list cursor: the first slot shown on row 2 and its part (1 when row 2
// shows the second line of a parametric slot), the cursor slot and part.
struct GraphListCursor {
  i32 top;
  i32 topPart;
  i32 slot;
  i32 part;
};

// Lines a slot takes in the list (2 for a parametric slot).
i32 GraphSlotLines(i32 n);
// The 12 x 8 picture of a line style (16 bytes, two a row); an unknown
// style gives the first one.
const u8 *GraphStyleGlyph(u8 style);
// Row 1 the title, rows 2-7 the lines from the top.
void GraphDrawFuncList(const char *title, const GraphListCursor *c);
// UP and DOWN over the lines of slots 1-20, scrolling the six-row window.
void GraphFuncListKeys(GraphListCursor *c, u32 key);
// Cursor to slot 1 at the top.
void GraphListCursorHome(GraphListCursor *c);
// The screen row of the cursor line.
i32 GraphCursorRow(const GraphListCursor *c);
// Edits the cursor line in place. key: the first typed character (typed
// != 0), or RIGHT to edit the stored text. 0 stored (the cursor then moves
// down a line), -2 EXIT, -1 SHIFT+EXIT, -6 refused.
i32 GraphEditFuncLine(u32 key, u32 typed, const char *title, GraphListCursor *c);
i32 GraphFuncLineEditor(u32 key, u32 typed, const char *title, GraphListCursor *c);
// "Delete Formula?": 0 deleted, -2 cancelled, -1 SHIFT+EXIT.
i32 GraphDeleteFuncConfirm(i32 n);
// Graph memory n (1..20) stored (recall 0) or recalled (recall 1): the
// number input's result (0, -1, -2).
i32 GraphMemPopup(i32 recall);
// The table range screen: 0 EXE, -2 EXIT, -1 SHIFT+EXIT.
i32 TableSettingScreen();
// The title of the list screen into buf (at least 32 bytes).
void TableScreenTitle(char *buf);
