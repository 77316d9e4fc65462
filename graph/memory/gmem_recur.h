// The recursion formulas "AN", "BN" and "CN" (which 1..3) of main memory:
// items of the graph-function layout (type word, attribute byte with the
// selection bit 0x10, kind byte, then the formula text ending in a zero
// byte). Every change forgets the drawn recursion graph first. Calculator
// thread only.
#pragma once
#include "kernel/types.h"

inline constexpr u16 kRecurFormulaType = 2308;
inline constexpr u8 kRecurSelected = 0x10;

// Bytes of a token text up to its end, two-byte tokens whole (a group lead
// byte with a zero second byte is such a token: the text carries a second
// zero byte after its end).
u32 RecurTextLength(const u8 *text);
// Stores the whole text (up to its end, at most 255 bytes, read as
// RecurTextLength) from byte 4; an existing formula keeps its header, a new
// one gets type 2308 and the selection bit. An empty text changes nothing.
// 0, or 4.
u32 RecurWriteFormula(int which, const char *text);
// Sets (on != 0) or clears the selection bit; a missing formula is left alone.
void RecurSelectFormula(int which, u8 on);
// Writes the kind byte; a missing formula is made with type 2308 first.
u32 RecurSetFormulaKind(int which, u8 kind);
void RecurDeleteFormula(int which);
// Bytes after the header (0 when missing).
u32 RecurFormulaLength(int which);
// The text into buf (at least 257 bytes) with a second zero byte after its
// end; empty when missing or unreadable.
char *RecurReadFormula(int which, char *buf);
u8 RecurReadFormulaKind(int which);
// 1 when the selection bit is set.
u32 RecurFormulaSelected(int which);
// The text in place (valid until main memory changes); nullptr when missing,
// the empty text when its tokens do not end inside its item.
const char *RecurFormulaDataPtr(int which);
