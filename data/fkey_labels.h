// Captions and pictures of the function-key icons, by icon number, generated
// from data/fkey_labels.txt at build time.
#pragma once
#include "kernel/types.h"

constexpr int kFkeyIconCount = 1014;

extern const char *const kFkeyLabels[kFkeyIconCount];

// The icon pictures: 8 rows of 3 bytes, leftmost dot in the high bit, 21
// dots a row used.
extern const u8 kFkeyIcons[kFkeyIconCount][24];
