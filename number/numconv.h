// Display conversions of a shown result: the fraction/decimal toggle, the
// mixed/improper toggle, degrees-minutes-seconds and the engineering shift.
// Each writes the converted text (kNumTextSize bytes) and leaves its state in
// SET UP item 61 and words 62 and 64, so that the next key continues from the
// form now shown; a plain NumToText clears that state.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// SET UP item 61 (NumDisplayState).
constexpr u8 kNumStateFracMask = 0x0F;  // 0 none, 1 improper, 2 decimal, 4 fraction, 8 stored form
constexpr u8 kNumStateImproper = 1;
constexpr u8 kNumStateDecimal = 2;
constexpr u8 kNumStateFraction = 4;
constexpr u8 kNumStateStored = 8;
constexpr u8 kNumStateShiftMask = 0x70;  // engineering shift: 0 none, 1 started, 2 active
constexpr u8 kNumShiftStarted = 0x10;
constexpr u8 kNumShiftActive = 0x20;
constexpr u8 kNumStateUp = 0x80;  // shift direction up

// The key operations. The fraction keys may replace *v with its fraction.
char *NumFormatFracForm(Value *v, char *out);
char *NumFormatFracDec(Value *v, char *out);
char *NumToTextDms(const Value *v, char *out);
char *NumToTextEng(const Value *v, char *out, int up);

// Each fraction part with a whole field rebuilt as improper (d/c) when its
// text stays under 16 characters. Returns 1 when the real part is a fraction
// or the imaginary part was turned improper, else 0.
int NumFracToImproper(const Value *in, Value *out);
// Applies the fraction-result setting (item 87) before a part is formatted.
void NumApplyFracResult(Value *v);
// Sets the shown exponents (words 62 and 64) and the shift bits of item 61
// for the value about to be formatted in the rectangular form.
void NumSetEngExponents(const Value *v, int engDisplay);
// The sexagesimal text of a value (the work of option 5 of NumToTextOpt).
char *NumFormatDms(const Value *v, char *out);
