// The hidden service mode: a menu over whatever application runs, from which
// a raw view of main memory (the variable manager) and the character, small
// font, message, SET UP and pop-up checks are reached. It gives the screen
// back as it found it. Calculator thread only.
#pragma once
#include "kernel/types.h"

// 1 when graph function 13 holds the access text and has bit 0x80 of its
// attribute byte set; else 0. The key reader asks it on ALPHA OPT under an
// ALPHA lock.
u32 TestModeCheckGate();
// The mode's menu; returns when left with EXIT or SHIFT+EXIT.
void TestModeMenu();

// 1 when graph function n's text is exactly access and bit 0x80 of its
// attribute byte is set (the gates of the hidden tools).
u32 TestModeAccessGate(int n, const char *access);

// Small number routines of the mode's screens.
// n upper-case hexadecimal digits of value, most significant first, NUL-ended.
void HexDigits(u32 value, char *out, u32 n);
// The two hexadecimal digits of a byte.
void HexByte(u8 b, char *out);
// value in decimal: an optional "-", no leading zeros, at most width digits
// (the lowest ones are kept when it has more). NUL-ended.
void IntToDecimal(i32 value, char *out, u32 width);
// IntToDecimal with width 10.
void IntToText(i32 value, char *out);
// Decimal digits of value (1 for 0..9; the sign is not counted).
u32 DecimalDigitCount(i32 value);

// The mode's screens, opened from its menus (tests open them directly).
void TestScreenMenu();
void TestCharCodeTable();
void TestMiniCharTable();
void TestMessageCheck();
void TestPopupMenu();
void TestPopupSize(i32 size);
void VarMgrMain();
