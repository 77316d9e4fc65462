// Captions of the function-key icons, by icon number.
#pragma once
#include "kernel/types.h"

constexpr int kFkeyIconCount = 1014;

extern const char *const kFkeyLabels[kFkeyIconCount];
