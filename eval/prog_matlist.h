// The list and matrix commands of programs (statement class 16): the row
// operations "*Row", "*Row+", "Row+", "Swap", "Fill(" on a matrix or list,
// and "SortA(" / "SortD(" with up to five companion lists. They change the
// stored list or matrix in place.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// *p is on the command token; on success *p is past the command (and an
// optional ')'), on the statement end. 1, or 0 with the error value in
// result. *number (may be null) receives the list or matrix number.
u32 ProgMatListCommand(const u8 **p, Value *result, u32 *number);
