// What the number core reads of the statistics application: the kind of the
// last statistics calculation and its result values, read from the
// statistics application's result list.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// The kind of the last statistics calculation (20 one-variable statistics,
// a regression model code after a regression), 0 when there is none.
u32 NumGlueStatKind();
// The statistics value of a result token (0xC2 mean, 0xC4 population
// deviation, 0xC8 a, 0xC9 b) into out: 1 when available, 0 when not.
int NumGlueStatValue(u8 token, BcdReal *out);
