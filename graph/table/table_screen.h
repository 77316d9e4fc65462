// The screen of the function table: the table shown four rows at a time,
// the cursor moved over its cells, a row's variable value typed anew, rows
// deleted, inserted and added, and the table graphs started. Calculator
// thread only.
#pragma once
#include "graph/engine/graph_context.h"
#include "kernel/types.h"

// Keys of the table screen's pages.
enum GraphTableKey : u32 {
  kGraphTableEdit = 327,
  kGraphTableForm = 328,
  kGraphTableDelete = 329,
  kGraphTableGraphCon = 330,
  kGraphTableGraphPlt = 331,
};

// The key loop over the drawn table; a non-zero firstKey is handled first.
// Returns an exit code of the graph screen or a key the caller handles.
i32 GraphTableScreen(GraphContext *ctx, u32 firstKey);
// The table screen with its two pages (the table must be built).
i32 GraphTableScreenMenu(GraphContext *ctx);
// The table of the functions selected for TABLE, made and shown after a
// program's DispF-Tbl: 0, 30 when none is selected, or the code of the
// build. *key is the first key and on return the key that left the screen.
u32 TableShowFromProgram(u32 *key);
// Asks for a list number 1-26 in a pop-up (another number shows Argument
// ERROR and is asked again): the number, or 0 after EXIT.
i32 GraphAskListNumber();
