// The elementary row operations on a stored matrix, shared by the matrix
// editor and the program commands. Each first computes every new element
// (a trial pass: the first error code ends the operation with nothing
// written), then stores the changed matrix in one step, so a failure leaves
// main memory as it was.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// The row-operation codes.
enum MatRowOp : u8 {
  kMatRowSwap = 11,      // rows m and n exchanged
  kMatRowScale = 12,     // row m := k x row m
  kMatRowScaleAdd = 13,  // row n := k x row m + row n
  kMatRowAdd = 14,       // row n := row m + row n
};

// The engine on matrix number `matrix` (0 Mat Ans, 1-26 Mat A-Z): 0, 4 when
// the matrix does not exist or does not fit, 9 when a row lies outside
// 1..rows (n = 0 only for *Row, which has no second row), or the first
// arithmetic error code. k is read by *Row and *Row+ only.
u32 MatRowOperation(u8 matrix, u8 code, const Value *k, int m, int n);

// The program commands' entries: the letter 'A'..'Z' selects Mat A..Z, any
// other value Mat Ans. Swap and Row+ hand the engine their rows as m = b,
// n = a.
u32 MatEditRowSwap(char matrix, int a, int b);
u32 MatEditRowScale(char matrix, const BcdReal *k, int row);
u32 MatEditRowScaleAdd(char matrix, const BcdReal *k, int row1, int row2);
u32 MatEditRowAdd(char matrix, int a, int b);
