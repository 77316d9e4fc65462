// The pages the menu-group builders install, by group and variant.
#pragma once
#include "ui/fkey.h"

// The pages of the group whose first menu id is firstId for a variant: a run
// of *count pages of six entries, installed at firstId, firstId + 1, ...
// A variant without pages of its own gives *count = 0 (the group then shows
// the blank page).
const FkeyItem *FkeyGroupPages(i32 firstId, u16 variant, u32 *count);
