// The dynamic graph memory: "D_MEM" of "@DYNA" keeps what an animation
// needs (the SET UP values of graphing, the condition, variables A..Z, r and
// theta, the V-Window and the twenty graph functions) and "D_MEMG" its
// frames, so that a stored animation plays again later exactly as it was.
//
// "D_MEM" layout: bytes 0-13 SET UP items 36, 25, 33, 44, 19, 42, 28, 29, 30,
// 24, 84, 85 and two zero bytes; 14-15 the function count (20); 16-59 the
// condition; 60-683 A..Z (24-byte values); 684-707 r; 708-731 theta;
// 732-863 the V-Window; 864-943 the 4-byte headers of functions 1-20; then
// their texts, each ended by a zero byte (an empty slot: the zero alone).
//
// Calculator thread only.
#pragma once
#include "graph/dyna/dyna_cond.h"
#include "kernel/types.h"

inline constexpr u32 kDynaMemFixedBytes = 944;
inline constexpr u32 kDynaMemFuncs = 20;

enum DynaMemError : u32 {
  kDynaMemDamaged = 4,   // an item that is no dynamic graph memory
  kDynaMemNoRoom = 50,   // not enough free main memory
  kDynaMemMissing = 66,  // nothing stored
};

// Stores the current functions and settings with the condition, and the
// frames (count x 1024 bytes) when frames is not null: 0, 50 when main
// memory cannot hold them (the old memory is kept), or 4.
u32 DynaMemStore(const u8 *frames, u32 count, const DynaCond *cond);
// Checks "D_MEM" whole, then puts its settings, variables, V-Window and
// functions back and its condition into cond: 0; 66 when there is none; 4
// for a damaged item (more than 20 functions, a text with no end within 256
// bytes or the item, a speed outside 1-4 or a letter outside 1-26, a value
// that is no number), 50 when main memory cannot hold its functions (and the
// V-Window when that is missing): then nothing is changed.
u32 DynaMemRecall(DynaCond *cond);
