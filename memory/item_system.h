// Named system items of main memory: the run screen's input history
// "REPLAY" (in the running application's folder), the function memories
// "FMEM1" to "FMEM20" (text items of kind 4 in "main") and the table range
// "RANGE" of "@TABLE".
//
// Every change is made in one step that either succeeds or leaves main
// memory as it was: when memory is full the old item stands. Pointers into
// main memory (ItemFmemData) are valid only until the next create, delete,
// insert or cut, any of which may move every item. Calculator thread only.
#pragma once
#include "kernel/types.h"

// Writes size bytes as the whole item <folder, name> of the given type,
// creating it or resizing it (size is rounded up to 4 with zeros). 0, or the
// store's code (80 and its kin when memory is full) with main memory left as
// it was.
u32 ItemWriteWhole(const char *folder, const char *name, u8 type, const void *data, u32 size);

// ---- REPLAY ----
// The item holds the input lines oldest first, each a token text and its
// zero byte (zeros pad it to a multiple of 4). A line with its zero byte
// takes at most 256 bytes, and so do all the lines together.
inline constexpr u32 kItemReplayMax = 256;

// Appends a line: a longer text is cut to 255 bytes (a two-byte character is
// never split); the oldest lines go until the new one fits. An empty text
// adds nothing. Creating the item sets SET UP byte 10 to 1 when SET UP item
// 23 (Mode) is not 0, else to 0. 0, or a store code with the history as it
// was.
u32 ItemReplayAdd(const char *text);
// Number of lines; 0 when there is no item.
u32 ItemReplayCount();
void ItemReplayDelete();
// Bytes of line i (from 1, the oldest) with its zero byte; -1 when absent.
i32 ItemReplayLineSize(u32 i);
// Copies line i with its zero byte into out (kItemReplayMax bytes suffice);
// 0, or 1 and an empty out when there is no such line.
u32 ItemReplayLine(u32 i, char *out);

// ---- function memories ----
inline constexpr u32 kItemFmemCount = 20;
// Replaces "FMEM" n (1-20) with the text and its terminator; an empty or
// null text deletes it. 0, 21 for a slot outside 1-20, or a store code with
// the old memory kept.
u32 ItemFmemStore(u32 slot, const char *text);
// The text of "FMEM" n (valid until main memory next changes), null when
// empty or for a slot outside 1-20.
const char *ItemFmemData(u32 slot);
// Bytes of that text before its terminator, 0 when empty.
u32 ItemFmemLength(u32 slot);
// The item name of a function memory ("FMEM" and the number).
char *ItemFmemName(u32 slot, char *dst);

// ---- table range ----
// Start, End and Step as 12-byte reals at bytes 0, 12 and 24.
inline constexpr u32 kItemTableRangeSize = 36;
// 0 and the record, or 65 when "RANGE" of "@TABLE" is missing.
u32 ItemTableRangeRead(u8 *dst);
// Writes the record, creating the item (and its folder) when missing; 0 or
// a store code with the old record kept.
u32 ItemTableRangeWrite(const u8 *rec);
