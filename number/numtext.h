// Number texts: a value becomes a NUL-terminated text in the calculator's own
// character set, for the result line (under the SET UP display settings) or
// for a fixed-width cell of a list, matrix or table screen.
//
// Characters: '0'-'9', '.', 0x0F exponent marker, 0x87 negative sign, '+'
// and '-' between the parts of a complex result, 0x7F 0x50 imaginary unit,
// 0x7F 0x54 angle sign, 0x0D line break, 0xBB fraction separator, 0x1A-0x1F
// hexadecimal digits 10-15, '>' cut mark of a cell. A value that cannot be
// formatted shows "ERROR"; one that has no Base-N integer "Ma ERROR".
//
// The display conversion state lives in SET UP item 61 (NumDisplayState) and
// the signed words 62 and 64; see number/numconv.h.
#pragma once
#include "kernel/types.h"
#include "number/real.h"

// Longest text any formatter writes, terminator included. Callers give an
// output buffer of at least this size.
constexpr int kNumTextSize = 64;

// Digit record of one real part.
struct NumDigits {
  i32 exponent;   // power of ten of the first digit; 100 for a fraction
  i32 sign;       // +1 or -1
  i32 fracCount;  // digit nibbles of a fraction, 0 for a decimal
  u8 d[15];       // decimal 0-9; fraction 0-10 (10 separates the fields)
};

// Display modes (bits 4-6 of SET UP item 43).
enum NumDisplayMode : u8 {
  kNumNorm1 = 0,
  kNumNorm2 = 1,
  kNumFix = 2,
  kNumSci = 3,
};

// Options of NumToTextOpt.
enum NumTextOption : u16 {
  kNumOptNormal = 0,
  kNumOptDecimal = 1,  // Base-N mode only: force the base
  kNumOptHex = 2,
  kNumOptBinary = 3,
  kNumOptOctal = 4,
  kNumOptDms = 5,    // degrees, minutes and seconds
  kNumOptRect = 6,   // force a+bi
  kNumOptPolar = 7,  // force r angle theta
};

// Splits a stored real (complex flag ignored) into its record: 1, or 0 when
// it is not a well-formed number or fraction (every error value fails).
int NumDecompose(NumDigits *rec, const BcdReal *x);
// The mantissa with n significant digits (1-15). mode bit 0: drop trailing
// zeros; bit 1: always write the point. Returns the sign, or 0 when the first
// n digits are all zero.
int NumWriteDigits(char *out, const NumDigits *rec, int n, int mode);
// 0x0F, the sign (0x87, or '+' with plus), two digits of abs(e) (one when
// shortForm and abs(e) < 10). Returns the length.
int NumWriteExponent(char *out, int e, int plus, int shortForm);

// Display rounding of one part in place (complex flag kept): mode is a
// NumDisplayMode, n the digits of Fix and Sci.
void NumRoundPart(BcdReal *part, int mode, int n);
// The same on both parts of a value (the imaginary one when complex).
int NumRoundNorm(Value *v, int norm2);
int NumRoundFix(Value *v, int n);
int NumRoundSci(Value *v, int n);

// Characters of a text (a two-byte character counts once).
int NumTextChars(const char *text);
// text right-aligned in width characters (a longer text: its first width
// characters); width is at most kNumTextSize - 1. Returns out.
char *NumAlignRight(char *out, const char *text, int width);
// text left-aligned and filled with spaces to width characters, cut after
// width characters. Returns out.
char *NumPadRight(char *out, const char *text, int width);

// Joins the texts of two parts. A sign of 0 marks a zero part: a zero real
// text is left out when the imaginary part is not zero, a zero imaginary part
// ends the text. unitRule: an imaginary text of exactly "1" is left out.
// lineRule: 0 always a 0x0D between the parts, -1 never, else when the whole
// text holds 21 characters or more.
char *NumJoinRect(char *out, int reSign, const char *re, int imSign, const char *im, int unitRule,
                  int lineRule);
char *NumJoinPolar(char *out, int rSign, const char *r, int thetaSign, const char *theta, int lineRule);
// (x, y) replaced by (r, theta) in the angle unit of item 19, complex flag
// set. Returns 1, or 0 when either could not be computed (v unchanged).
int NumToPolarParts(Value *v);

// The result-line texts. out holds kNumTextSize bytes.
char *NumToText(const Value *v, char *out);
char *NumToTextOpt(const Value *v, char *out, const u16 *option);
// Base-N text: option 1-4 chooses the base, else item 23.
char *NumFormatBaseN(const Value *v, char *out, int option);
// Formats a value a conversion key has already converted: display rounding by
// mode, the engineering exponents, the mode's formatter; polar joins the
// parts in the polar form (no conversion is made). v is rounded in place.
char *NumFormatConverted(Value *v, char *out, int polar);

// Cells (real and complex values; lists and matrices are never passed). A
// polar cell whose conversion fails (a modulus beyond the range) shows the
// rectangular cell instead.
char *NumFormatCell6(const Value *v, char *out);
char *NumFormatCell6Polar(const Value *v, char *out);
char *NumFormatCell13(const Value *v, char *out);
char *NumFormatCell14(const Value *v, char *out);
char *NumFormatCell14Polar(const Value *v, char *out);
char *NumFormatCell10(const Value *v, char *out);
char *NumFormatCell10Polar(const Value *v, char *out);

// The exponents shown while an engineering shift is active (SET UP words 62
// and 64, high byte first).
i16 NumGetEngExpRe();
i16 NumGetEngExpIm();
void NumSetEngExpRe(i16 e);
void NumSetEngExpIm(i16 e);
