// Text between the PC (UTF-8) and the calculator's character set.
//
// Printable ASCII maps to itself; a newline is the calculator's newline code
// 0x0D; the characters the text font draws map to and from how they read in
// Unicode (the glyph looks of ui/font.h: "θ", "×", "é", "α", "²", ...), and a
// few tokens have a symbol of their own ("π" the constant 0xD0, "²" the
// square 0x8B). Tokens go out as their names (memory/str.h: the sin token
// becomes "sin "), and a token's name in pasted text comes back as the token
// ("sin(" is the sin token and '('), unless the name is only part of a word
// or number ("sin" in "using", "x1" in "x10"). Anything else becomes '?'.
#pragma once
#include "kernel/types.h"

// Longest UTF-8 text one calculator character turns into.
inline constexpr u32 kCharsetUtf8PerChar = 8;

// True when pasted text turns the token's name back into the token: names of
// at least two characters that no other token shares, of tokens whose second
// byte is not 0 (a zero byte would end the text). The others read as their
// characters.
bool CharsetTokenNameIsPasteable(u16 code);

// Converts the UTF-8 text at utf8 (len bytes, ending earlier at a zero byte)
// into calculator text at dst: at most cap - 1 bytes, a two-byte character
// never cut, always terminated (when cap > 0). "\r\n", "\r" and "\n" become
// 0x0D, a tab a blank; each invalid or truncated UTF-8 sequence and each
// character without a code becomes one '?'. Returns the bytes written
// without the terminator.
u32 CharsetFromUtf8(const char *utf8, u32 len, char *dst, u32 cap);

// Converts calculator text (len bytes, ending earlier at a zero byte; a lead
// byte without its second byte ends it) into UTF-8 at dst: at most cap - 1
// bytes, a character never cut, always terminated (when cap > 0). Codes
// without a reading become '?'. Returns the bytes written without the
// terminator.
u32 CharsetToUtf8(const char *text, u32 len, char *dst, u32 cap);
