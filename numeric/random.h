// Ran#: pseudo-random numbers between 0 and 1 with 10 significant digits.
// The generator is the minimal standard multiplicative generator (16807
// modulo 2^31 - 1, by Schrage's factorisation) carried out in the
// calculator's decimal arithmetic; its state lives in SET UP bytes 50-58
// (the last result) and 60 (the digit of the running sequence).
#pragma once
#include "eval/token.h"
#include "kernel/types.h"
#include "number/real.h"

// The Ran# token: Ran# 0 gives 0 and restarts the sequences; Ran# 1 to
// Ran# 9 give repeatable sequences; a plain Ran# mixes the host's
// millisecond clock into the state. tok holds Ran#; the token after it (the
// digit, when there is one) is read. 1, or 0 with an error value when the
// stored state is not one the generator wrote (the state is then kept);
// out's real part is written.
u32 NumericRandomToken(Value *out, TokPos *pos, EvalCell *tok);
// The plain Ran# at the given tick count: 1, or 0 with an error value.
int NumericRandomPlain(u32 tick, Value *out);
// The next number of the generator. n: the sequence number 1-9 (or the
// clock's value for a plain Ran#; 0 gives 0 and a zero state); s: -1 to
// start sequence n, an integer seed, or the previous result. 1 with the
// number in out and in s; 0 with Argument ERROR (8) for a negative state,
// Ma ERROR (3) for an error value.
int NumericRandomNext(const int *n, BcdReal *s, Value *out);
