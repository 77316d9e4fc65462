// The three recursion formulas "AN", "BN", "CN" (graph-function items of
// kind 2): a 4-byte head (type word 2308, the attribute byte whose bit 0x10
// selects the formula, the line-style byte) and a token text. Formula
// numbers: 1 a, 2 b, 3 c.
//
// Every change forgets the recursion table and what the graph screen drew.
// Calculator thread only.
#pragma once
#include "kernel/types.h"

inline constexpr u16 kRecurFormulaType = 2308;
inline constexpr u8 kRecurSelectBit = 0x10;

// The formula text (valid until main memory next changes); nullptr when the
// item is missing, the empty text when the item holds no readable text.
const u8 *RecurItemText(int which);
// 1 when the formula has text and is selected.
bool RecurItemSelected(int which);
// The line style byte (2 when the item is missing).
u8 RecurItemStyle(int which);
// Stores a text (up to its first statement end) as the formula: a new one
// is selected with style normal, an existing one keeps both. 0, or 4.
u32 RecurItemWrite(int which, const u8 *text);
// Sets or clears bits of the attribute byte; a missing item is left alone.
u32 RecurItemSetFlags(int which, u8 mask, bool on);
// Writes the line style byte; a missing item is left alone.
u32 RecurItemSetStyle(int which, u8 style);
void RecurItemDelete(int which);
// Deletes the recursion table (matrix 36) and what the graph screen drew.
void RecurForgetState();
