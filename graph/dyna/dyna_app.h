// The dynamic graph application: the function list with the built-in
// forms, the coefficient screen, the range and speed screens, and the
// animation with its pause screen.
#pragma once
#include "kernel/types.h"

u32 DynaAppMain(u32 fromMainMenu, u16 submode);
// The coefficient screen: -2 back to the list, -1 SHIFT+EXIT.
i32 DynaVarScreen(i32 recall);
// The built-in forms: the chosen one 1-7, -2 EXIT, -1 SHIFT+EXIT.
i32 DynaBuiltInList();
