// The statistics application: its entry, the list editor's key loop and
// menu tree, and the GRPH and CALC commands. Calculator thread only.
#pragma once
#include "kernel/types.h"

u32 StatAppMain(u32 fromMainMenu, u16 submode);
// The list editor as a sub-screen of another application: returns -2 on
// EXIT, -1 on SHIFT+EXIT.
i32 StatRunMode10();
// The editor loop; mode 0, 1 (draws the selected graphs on entry), 2 (page
// 2 as the root) or 10 (a sub-screen that EXIT leaves).
i32 StatListEditor(u32 ignored, u16 mode);
// A GRPH or CALC menu code (5-23), or 0 to draw the graphs again: -21 stay,
// -22 reset the menus, -23 a graph is shown, -27 / -29 from the graphs.
i32 StatMenuCommand(u32 code, i32 direct);
// Runs calculation type calcType (9-18, 20, 21) on the lists of the
// calculation condition with its result screen: the screen's code, or -2
// after an error box.
i32 StatRunCalcMenu(u16 calcType, u32 sheet);
i32 StatDrawGraphsCode(i16 *graphCond, u32 direct);
