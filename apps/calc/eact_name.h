// The rule for names of e-activity documents, also used by the file
// browser's name inputs (folders, searches, renames).
#pragma once
#include "kernel/types.h"

// 1 when c may stand in a document or folder name: a digit, a capital A-Z,
// a blank, '~', an apostrophe, '[', ']', '{' or '}'; else 0.
u32 EactIsNameChar(u32 c);
