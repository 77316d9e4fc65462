// The handle heap: the calculator's temporary memory.
//
// 256 slots, each holding one block from the system allocator. A MemHandle is
// a 32-bit calculator handle: the handle of slot n is kMemSlotBase + 4 * n
// (the calculator address of the slot), and a handle of a movable block of
// the item store is the calculator address of its table entry, whose first
// word holds the block's address. Handles are never host pointers, so they
// can be kept inside values and items. Whoever allocates a block frees it.
#pragma once
#include "kernel/types.h"

using MemHandle = u32;

inline constexpr u32 kMemSlotCount = 256;
inline constexpr u32 kMemSlotBase = 0x20000000;   // calculator address of slot 0
// The largest block the heap hands out; larger requests fail like an
// exhausted allocator.
inline constexpr u32 kMemMaxBlock = 64u << 20;

// A new block of `size` bytes in the first free slot from slot 0 upward; 0
// when no slot is free or the block cannot be had (the table is unchanged).
MemHandle MemAlloc(u32 size);
// Resizes the handle's block, keeping its contents up to the smaller size;
// gives the handle, or 0 when the block cannot be resized (the block and its
// slot are kept as they were) or the handle names no block. A caller that
// gets 0 still owns the old block, unchanged, and frees it itself: nothing is
// freed on its behalf, so no handle it holds is left dangling.
MemHandle MemRealloc(MemHandle h, u32 size);
// Frees the handle's block and empties its slot; nothing for a handle that
// names no heap block.
void MemFree(MemHandle h);
// Frees every block of the table.
void MemFreeAll();
// Frees the blocks taken while the application of a task ran (owner as
// SysHeapOwner gives it): the task is being started afresh.
void MemFreeOwned(u8 owner);
// Empties the table when main memory is cleared; the dropped blocks are
// freed as well.
void MemClearTable();
// 1 when the address the handle points to lies in the main-memory area (its
// first byte to 65,536 bytes past it, both ends included), 0 when it lies in
// a heap block (its first byte to its recorded size past it, both included),
// 2 otherwise.
u32 MemClassify(MemHandle h);

// Host pointer of the block the handle points to: a heap slot's block, the
// bytes a reference handle names, or the block named by the word at a
// calculator address; null when there is none.
u8 *MemDeref(MemHandle h);
// Bytes from the handle's address to the end of its block: the recorded
// size of a heap block, the rest of the item for a reference handle, 0 for
// any other handle.
u32 MemRoom(MemHandle h);

// Reference handles reach the bytes of a main-memory item in place, from an
// offset on, without any address being written into the item: the handle
// names an entry of a table kept beside the store, which holds the item's
// folder, name and the offset, and every use looks the item up afresh, so a
// reference never goes stale when the store moves data (an item that no
// longer exists, or is now shorter than the offset, gives no block).
inline constexpr u32 kMemRefCount = 512;
inline constexpr u32 kMemRefBase = 0x30000000;   // handle of entry 0; entry n is + 4 * n
// The handle of (folder, name, offset): the same handle for the same three,
// so the table does not grow with repeated recalls; 0 when the table is
// full or a name is too long.
MemHandle MemRefHandle(const char *folder, const char *name, u32 offset);
// True for a handle of the reference table.
bool MemIsRef(MemHandle h);
// Recorded size of a heap block; 0 for a handle that names no heap block.
u32 MemSize(MemHandle h);
// Slot number of a heap handle, or kMemSlotCount when it names no slot.
u32 MemSlotOf(MemHandle h);
