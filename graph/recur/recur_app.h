// The recursion application: the formula list and its editor, the type
// pop-up, the table setting screen and the table screen.
#pragma once
#include "kernel/types.h"

// The application's entry; never returns in normal use.
u32 RecurAppMain(u32 fromMainMenu, u16 submode);
// Draws the formula list with the cursor on line (1-3).
void RecurDrawFormulas(i32 line);
// The "Table Setting" screen: Start, End and the initial terms of the type.
// 0 on EXE or EXIT, -1 on SHIFT+EXIT; *changed set when a value changed.
i32 RecurTableSetting(u32 *changed);
// EXE on an edited line: stores the text as formula `which` (style normal,
// selected). 0, or 4 shown in the error box.
u32 RecurStoreFormula(int which, const u8 *text);
// Generates the table unless one is there: 0, or the error (shown).
u32 RecurMakeTable();
// The table screen: 0 back to the list, -1 SHIFT+EXIT.
i32 RecurTableScreen();
// The table alone, as a program shows it: the key that ended it (EXIT,
// EXE, AC or SHIFT+EXIT).
u32 RecurTableView();
