// What the evaluator and the program interpreter reach of the dynamic
// graph: D Start, D End and D pitch, their stores, and "D Var".
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Start, End or Pitch (0, 1, 2) of the condition (its defaults when there
// is none): 0, or 2 for another index.
u8 DynaGlueValue(u32 which, BcdReal *out);
// value -> D Start, D End or D pitch: 1 when the token at *p is one of
// them (*p then steps over it; *err 0 or the error), else 0.
u32 DynaAssignValue(const u8 **p, const Value *v, u32 *err);
// "D Var" letter: the moving coefficient (1..26) of the condition. 0 or 4.
u32 DynaSetVar(u16 var);
