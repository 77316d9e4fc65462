// 16-bit character strings of the storage memory and the file interface.
// Erased flash reads 0xFFFF, so a string ends at the first character that is
// 0 or 0xFFFF; fixed-size name fields are filled with 0xFFFF behind the name.
#pragma once
#include "kernel/types.h"

constexpr u16 kWstrEnd = 0;
constexpr u16 kWstrBlank = 0xFFFF;

inline bool WstrIsEnd(u16 c) { return c == 0 || c == 0xFFFF; }

// Copies n bytes; returns n.
i32 WstrCopyBytes(void *dst, const void *src, i32 n);
// 1 when the first n bytes are equal, else 0.
i32 WstrEqualBytes(const void *a, const void *b, i32 n);
// Characters before the terminator.
i32 WstrLength(const u16 *s);
// Copies up to and including the terminator.
void WstrCopy(u16 *dst, const u16 *src);
// Copies into a fixed field of n characters: at most n characters are taken;
// a terminator met in the source fills the rest of the field with its own
// value (0 or 0xFFFF). A name that fills the whole field is kept whole and
// left without a terminator (readers of fixed fields stop at the field's
// end). n <= 0 writes nothing.
void WstrCopyField(u16 *dst, const u16 *src, i32 n);
// Writes the low byte of each character, up to n bytes; behind a 0 terminator
// the rest is filled with 0, behind a 0xFFFF terminator with 0xFF.
void WstrToBytes(u8 *dst, const u16 *src, i32 n);
// Widens up to n bytes; behind a 0 byte the rest is 0, behind 0xFF it is 0xFFFF.
void WstrFromBytes(u16 *dst, const u8 *src, i32 n);
// From the terminator up to (not including) character n, writes value.
void WstrPad(u16 *s, u16 value, i32 n);
// Mode 1 turns 'a'..'z' into capitals, mode 2 'A'..'Z' into small letters;
// stops at either terminator and after n characters.
void WstrChangeCase(u16 *s, i32 mode, i32 n);
// The first c among positions 0..length (the terminator's position included);
// position length + 1 when there is none.
const u16 *WstrFindFirst(const u16 *s, u16 c);
// The last c among positions 0..length, scanning down from the terminator;
// null when there is none.
const u16 *WstrFindLast(const u16 *s, u16 c);
// Compares three-word keys: the first differing word decides; 1, -1 or 0.
i32 WstrCompareKeys(const u32 *a, const u32 *b);

// Collation of file names for sorted lists (8-bit names of at most 12
// characters, ending at 0 or 0xFF): -1, 0 or 1. Small letters weigh as their
// capitals; names that differ otherwise never compare equal.
i32 FileCollateNames(const u8 *a, const u8 *b);
// The same on 16-bit names, narrowed first; the result also goes to *out.
i32 FileCollateWideNames(const u16 *a, const u16 *b, i32 *out);
