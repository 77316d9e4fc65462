// GRAPH and TABLE share one entry (GraphAppMain of kernel/apps.h) and one
// screen, the list of the twenty graph functions.
#pragma once
#include "kernel/types.h"

// The list editor; mode 0 the list, 1 the graph drawn at once, 2 the list
// of the table. Never returns: the MENU key leaves the application.
[[noreturn]] void GraphFuncListEditor(u32 fromMainMenu, i32 mode);
