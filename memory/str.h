// Texts in the calculator's character set: one byte a character, or two where
// the first is a lead byte (0x7F, 0xE5, 0xE6, 0xE7, 0xF7, 0xF9). Formula and
// program text uses the same encoding for its tokens. Every text ends at a
// zero byte. The token groups' lead bytes (0x7F, 0xF7, 0xF9) always take
// their next byte, even a zero (0x7F 0x00 is the token "Xmin", 0xF7 0x00
// "If"), as the token reader does: a text must not end in a lone one of them.
// A character group's lead byte (0xE5-0xE7) followed by the zero byte counts
// as the end, so a cut character is never read past its terminator.
#pragma once
#include "kernel/types.h"

// 1 when the byte leads a two-byte character, else 0. Both names are the one
// test (the evaluator calls it by the second).
u32 StrIsLeadByte(u8 c);
u32 StrIsLeadByte2(u8 c);

// 1 when p is the second byte of a two-byte character of the text that
// begins at start, else 0. The text is walked from its start: a byte before
// p that holds a lead byte's value may itself be a second byte, so looking
// one byte back does not decide it.
u32 StrIsTrailByte(const char *start, const char *p);
u32 StrIsTrailByte2(const char *start, const char *p);

// The character at p: its code (one byte, or lead * 256 + next byte); 0 at
// the end of the text.
u32 StrCharAt(const char *p);
// p moved past one character; p itself at the end of the text.
const char *StrNextChar(const char *p);
char *StrNextChar(char *p);
// The start of the character before p in the text that begins at start;
// start when p is at start. StrPrevCharWrap is the same step.
const char *StrPrevChar(const char *start, const char *p);
char *StrPrevChar(char *start, char *p);
const char *StrPrevCharWrap(const char *start, const char *p);

// Bytes before the terminator; 0 for a null text. A character group's lead
// byte just before the terminator is a cut character and is not counted (nor
// copied by StrCopy and StrCat).
u32 StrByteLen(const char *s);
// Characters before the terminator, a two-byte character counting once; 0
// for a null text.
u32 StrCharCount(const char *s);

// Copies src with its terminator and returns dst; a null src gives an empty
// dst. dst must hold StrByteLen(src) + 1 bytes.
char *StrCopy(char *dst, const char *src);
// Appends src to dst and terminates; returns dst. A null src appends nothing.
char *StrCat(char *dst, const char *src);

// The first character of s equal to code (below 256 a one-byte character,
// else lead * 256 + second byte), or null. Only whole characters match: the
// second byte of a two-byte character is never taken for a one-byte one.
const char *StrFindChar(const char *s, u32 code);
char *StrFindChar(char *s, u32 code);

// ---- token names ----

// Bytes a display name may take, its terminator included.
inline constexpr u32 kStrTokenNameMax = 32;

// The display text of a token or character (one byte, or lead * 256 + second
// byte) in dst (kStrTokenNameMax bytes suffice): the token's name from the
// token table, or the character itself for a code the table does not name;
// empty for 0. Returns dst.
char *StrTokenName(u32 code, char *dst);
// The same name as it reads in Unicode (UTF-8), or null for a code the table
// does not name.
const char *StrTokenNameUtf8(u32 code);
// The display names of src's tokens joined into exactly width characters in
// dst: the last name cut (never inside a two-byte character) or the text
// padded with spaces. dst must hold 2 * width + 1 bytes. Returns dst.
char *StrExpandTokens(const char *src, char *dst, i32 width);
