// The calculator's RAM block and its 32-bit address space.
//
// Everything the calculator keeps in its own memory lives in one block of
// 128 KB; the main-memory item store is the 64 KB area that begins 32 KB into
// it. Records of the calculator hold 32-bit calculator addresses, never host
// pointers: a calculator address is kCalcRamBase plus the offset into the
// block, so an area saved and restored whole stays valid. Every subsystem
// converts with CalcAddrToPtr / CalcPtrToAddr below and nothing else.
#pragma once
#include "kernel/types.h"

inline constexpr u32 kCalcRamSize = 131072;         // the whole block
inline constexpr u32 kCalcRamAreaOffset = 32768;    // where the item store begins
inline constexpr u32 kCalcRamBase = 0x10000000;     // calculator address of the block's first byte
inline constexpr u32 kMcsAreaSize = 65536;          // the item store
inline constexpr u32 kMcsAreaAddr = kCalcRamBase + kCalcRamAreaOffset;  // calculator address of the item store
inline constexpr u8 kCalcRamFill = 90;              // 'Z', every byte of a fresh block

// Allocates the block (every byte 90) when it is not allocated yet; returns
// 1 when the block exists afterwards, 0 when the allocation failed. Called by
// the shell before the calculator thread starts.
u32 HostAllocCalcRam();
// Frees the block (after the calculator thread has ended); nothing when there
// is none.
void HostFreeCalcRam();

// Host pointer of the block's first byte, null before HostAllocCalcRam.
u8 *CalcRamBlock();
// Host pointer of the item store's first byte (the block plus 32 KB), or null.
u8 *CalcRamArea();

// Host pointer of a calculator address inside the block; null for an address
// outside it (or before the block exists). `span` bytes from the address must
// lie inside the block as well.
u8 *CalcAddrToPtr(u32 addr, u32 span = 1);
// Calculator address of a host pointer inside the block; 0 for any other
// pointer.
u32 CalcPtrToAddr(const void *ptr);
