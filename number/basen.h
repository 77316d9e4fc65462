// Base-N bitwise logic on integers in two's complement. Values stay stored
// reals; the word width is 32 bits, or 16 when SET UP item 23 holds 1.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Bit i of the value in entry i (0 or 1), least significant first.
using BasenBits = u32[32];

// x (its greatest integer not above x) into bits; 1 when x lay within the
// signed range of the width, 0 otherwise (bits untouched). flag 1: 16 bits.
int RealToBits(const BcdReal *x, BasenBits bits, int flag);
// The signed value of the bits.
BcdReal *RealFromBits(const BasenBits bits, BcdReal *dst, int flag);
// Bitwise operations in the width of SET UP item 23; an operand outside the
// range gives Ma ERROR, an error operand is passed through.
BcdReal *RealBitAnd(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealBitOr(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealBitXor(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealBitXnor(const BcdReal *a, const BcdReal *b, BcdReal *dst);
BcdReal *RealBitNot(const BcdReal *a, BcdReal *dst);
