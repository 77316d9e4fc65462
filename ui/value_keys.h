// The keys that change how a shown value reads: F<>D (fraction / decimal),
// SHIFT F<>D (the fraction form), the sexagesimal key and ENG down and up.
// Every screen that shows a value offers them the same way.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// True for the key codes above.
bool KeyIsValueConversion(u32 key);
// The value's text after the conversion key (the fraction keys may replace
// *v with its fraction or decimal) in out (kNumTextSize bytes); false, and
// nothing written, for any other key.
bool KeyConvertValue(u32 key, Value *v, char *out);
