// The graph screen's pointer cursor word and whole-screen save and restore,
// as the kernel and the pop-ups use them.
#pragma once
#include "kernel/types.h"

// The pointer cursor of the graph screen. shown: 0 when it is not drawn;
// x, y: its dot column (0-127) and row (0-63).
struct GraphCursor {
  u8 shown;
  i32 x;
  i32 y;
};

// The one pointer cursor.
GraphCursor *GraphCursorState();
// Copies the whole 128 x 64 screen (display memory) into buffer (1024 bytes).
void GraphSaveScreen(u8 *buffer);
// Puts a screen saved by GraphSaveScreen back into display memory.
void GraphRestoreScreen(const u8 *buffer);
