// The line input of the program interpreter's '?' command, on the run screen.
#pragma once
#include "eval/prog.h"
#include "kernel/types.h"

// Reads a line into text (at least 256 bytes; it holds the line to start
// from) on the rows of ctx, from ctx->row. When status holds an error and
// text is not empty the line is edited again from row 1 with the cursor
// before the character at *pos. Returns 2 after EXE, 1 after AC (text holds
// the line, ctx->row the row after it), 0 when memory ran out (status holds
// Memory ERROR or Memory Full).
u32 RunMatProgInput(const u8 **pos, Value *status, ProgRunContext *ctx, u8 *text);
