// The hidden number-base tool: a typed expression's value written out
// exactly, digit by digit, in decimal, hexadecimal, binary or octal, padded
// to a number of figures and grouped with blanks. Calculator thread only.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

struct BaseToolState {
  u32 in_base;   // 0 Dec, 1 Hex, 2 Bin, 3 Oct
  u32 out_base;  // the same codes
  u32 figures;   // 0 automatic, else 1-16
  u32 group;     // 0 off, else 3-16 characters a group
};

// Runs the tool until EXIT or SHIFT+EXIT.
void BaseToolMain();
// Its gate: the graph-function list editor opens the tool when graph
// function 7 holds the access text and has bit 0x80 of its attribute byte.
u32 BaseToolCheckGate();

// The value as the tool shows it (NUL-ended, at most 64 characters): 0, or
// the error code to show (15: too large or too many digits; 3: too small).
u32 BaseToolFormat(const BcdReal *value, const BaseToolState *state, char *out);

// Exact unsigned integers as decimal digit strings, most significant first.
// -1, 0 or 1; the longer string is the greater.
i32 DigitStrCompare(const char *a, const char *b);
// a := |a - b|, with a leading "-" when b was the greater; "0" when equal.
void DigitStrSub(char *a, const char *b);
// s := 16 s.
void DigitStrTimes16(char *s);
// out := 16^k.
void DigitStrPow16(char *out, u32 k);
// The hexadecimal digits of a decimal digit string ("0"-"9", "A"-"F").
void DigitStrToHex(const char *dec, char *out);
// Two's complement of a hexadecimal digit string, in place.
void HexComplement(char *s);
