// Graph memories "GMEM"1.."GMEM"20 of folder "@GRAPH": the graph SET UP
// items, the V-Window (and the right-hand one while Dual Screen holds 0) and
// the twenty graph functions, stored and recalled whole.
//
// Layout: 15 SET UP bytes, the u16 function count (20), 3 zero bytes, the
// "VWIN" record from byte 20, the "VWINR" record when the stored Dual Screen
// byte is 0, 20 four-byte function headers, then 20 texts each ending in a
// zero byte (an empty slot is a single zero byte).
#pragma once
#include "kernel/types.h"

inline constexpr u32 kGmemNoRoom = 50;  // Memory ERROR of a graph memory

char *GmemGmemName(i32 n, char *dst);
// Stores memory n: 0, 50 when it does not fit (nothing changes) or the code
// of the item store. The windows are made before the old memory goes, and
// the memory is written whole, so no half-written memory is left.
u32 GmemStoreGraphMem(i32 n);
// Recalls memory n: 0 (also when it is missing), 50 when the functions do
// not fit, 4 when the stored memory is too short for what it claims; in
// both cases nothing changes. At most 20 functions are read, every read stays
// inside the item, and a stored SET UP byte outside its values is skipped.
u32 GmemRecallGraphMem(i32 n);
