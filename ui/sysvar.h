// The single-letter variables as the applications read and store them, and
// the busy query.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Variable codes: 'A'-'Z', 0xCD (r), 0xCE (theta), 0xC0 (Ans).
constexpr u8 kVarR = 0xCD;
constexpr u8 kVarTheta = 0xCE;
constexpr u8 kVarAns = 0xC0;

// Reads the variable into out; returns out.
Value *SysReadVariable(u8 code, Value *out);
// Stores the value unless it carries an error code.
void SysStoreVariable(u8 code, const Value *value);
// Zero into 'A' to 'Z', then theta, then r; Ans is not touched.
void SysClearVariables();
// Always 0: nothing keeps the calculator busy between keys.
u32 SysBusyQuery();
