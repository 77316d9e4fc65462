// Native entries into the routines of the code image. Each sets the operand
// windows over its arguments, passes them in R4 and R5 (a window's emulated
// address or a plain integer), runs the routine and returns what it left in
// R0 together with the fault that stopped the run, if any.
//
// The calculator computes with the native digit routines (number/digits/);
// these entries run the same arithmetic as SuperH code, and the tests hold
// the two against each other.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct ShResult {
  u16 value;  // the low 16 bits of R0 (0 for routines without a result)
  u32 fault;  // ShFault: 0 when the routine returned normally
};

// The 24-digit registers (bytes 0-11 of an extended number): a := a + b or
// a - b through the decimal adder; the value is the carry or borrow out.
ShResult ShThunkRegAdd(BcdExt *a, const BcdExt *b);
ShResult ShThunkRegSub(BcdExt *a, const BcdExt *b);
// Shifts the register by n digits (0-24), dropping what leaves it.
ShResult ShThunkRegShiftRight(BcdExt *a, u16 n);
ShResult ShThunkRegShiftLeft(BcdExt *a, u16 n);
// a := a x digit (0-9); the value is the digit carried out at the top.
ShResult ShThunkRegMulDigit(BcdExt *a, u16 digit);
// The adder of extended numbers, as ShExtAdd, ShExtAddMaru, ShExtSub and
// ShExtSubMaru (the subtractions flip b's sign in place first).
ShResult ShThunkExtAdd(BcdExt *a, const BcdExt *b);
ShResult ShThunkExtAddMaru(BcdExt *a, const BcdExt *b);
ShResult ShThunkExtSub(BcdExt *a, BcdExt *b);
ShResult ShThunkExtSubMaru(BcdExt *a, BcdExt *b);
// a := a x b, as ShExtMul.
ShResult ShThunkExtMul(BcdExt *a, const BcdExt *b);
// a := a / b, as ShExtDiv (b = 0 gives UNDEF).
ShResult ShThunkExtDiv(BcdExt *a, const BcdExt *b);
// Rounds to 15 digits, as ShExtRound.
ShResult ShThunkExtRound(BcdExt *x);
// The compare code of ShWorkCompare: 1 equal, 2 a < b, 4 a > b.
ShResult ShThunkWorkCompare(const BcdWork *a, const BcdWork *b);
// Exponent words as ShExpNegate, ShExpAbs and ShExpDecimal (the value is the
// signed exponent's low 16 bits).
ShResult ShThunkExpNegate(u16 *word);
ShResult ShThunkExpAbs(u16 *word);
ShResult ShThunkExpDecimal(const u16 *word);
