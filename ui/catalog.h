// The catalog: every named command and function in one alphabetical list,
// opened by SHIFT 4 from any input; EXE types the entry's token, a letter
// jumps to the first entry beginning with it. And the character select
// pop-up: a grid of the characters the keyboard has no key for.
// Calculator thread only.
#pragma once
#include "kernel/types.h"

// The entries, in the order shown.
u32 CatalogEntryCount();
// The token of entry i (one byte, or lead << 8 | second byte); 0 for an i
// past the end.
u32 CatalogEntryCode(u32 i);
// The text entry i shows (the token's display name without leading blanks),
// in the calculator's characters; empty for an i past the end.
const char *CatalogEntryText(u32 i);
// The first entry whose text begins with the letter (either case), or the
// count when none does.
u32 CatalogFindLetter(char letter);

// Shows the catalog over the screen (which is put back afterwards) from the
// entry chosen last; returns the chosen entry's token on EXE, 0 on EXIT or
// SHIFT+EXIT. The key reader opens it on the catalog key and hands the token
// on as a typed one.
u32 CatalogScreen();
// Forgets the entry chosen last (the catalog opens at its top again).
void CatalogReset();

// The character select pop-up: arrows move over the grid, EXE returns the
// character code (lead << 8 | byte for a two-byte one), EXIT and SHIFT+EXIT 0.
u32 CatalogCharSelect();
