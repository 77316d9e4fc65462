// What the evaluator and the program interpreter reach of the recursion
// engine: its values and terms, the result table as a matrix, and the
// assignments to the range, the initial terms and the formulas.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// A recursion value or term for the evaluator: 0, 2 (not a value of the
// type) or 4.
u8 RecurGlueValue(u32 id, BcdReal *out);
// The table without the rows that hold an error cell, as a real matrix
// value: 0; 9 when no row is left; 4 when there is no table or no memory.
u8 RecurResultMatrix(Value *out);
// value -> R Start, R End, an initial term or a web start value: 1 when
// the token at *p is one of them (*p then steps over it, *err the code of
// the store, 0 on success), else 0 and nothing happens.
u32 RecurAssignValue(const u8 **p, const Value *v, u32 *err);
// "text" -> an (an+1, an+2, bn.., cn..): the formula of that sequence. As
// RecurAssignValue.
u32 RecurAssignText(const u8 **p, const u8 *text, u32 len, u32 *err);
