// The main menu: the 15 applications as icons, three rows of four at a time.
#pragma once
#include "kernel/types.h"

// One pass of the main menu with the screen, cursors, modifier and menu mask
// saved around it.
void SysMenuRound();
// The menu's key loop.
void SysMainMenu();
// Starts application `id` from the menu: SysRunApp(0, 0, id, 0).
u32 SysMenuLaunch(u16 id);
u32 SysMainMenuCount();
// Draws the page: heading, the visible icon rows, the cursor and the arrows.
void SysDrawMenuPage(u16 last);
// Draws the icon at position 0-11 of the page; `normal` 0 draws it selected.
void SysDrawMenuIcon(u16 position, u32 normal, u16 last);
// Maps a character code of the menu to an application index (digits 0-8,
// letters 9-34); other codes come back as they are.
u32 SysMenuKeyIndex(u32 code);
