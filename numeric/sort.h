// Sorting: SortA( and SortD( order a key list and reorder companion lists
// the same way (an index quicksort, then one permutation applied to every
// list); the heap sorts order plain arrays of reals in heap blocks, carrying
// one or two companion arrays along.
#pragma once
#include "kernel/heap.h"
#include "kernel/types.h"
#include "number/real.h"

// lists[0] is the key list; every list has its element count. Results: 0,
// 4 (memory), 9 (no elements) or the key list's error code. Every list is
// either reordered or left as it was: all copies are made before any list
// is rewritten, and no list's value is overwritten with an error. Stored
// lists are sorted in main memory.
u32 SortListsAscending(int count, Value *const lists[]);
u32 SortListsDescending(int count, Value *const lists[]);
// Index sorts: perm[1..n] receives the 1-based index of the element that
// goes to each position. 0, 3 (a comparison failed or the segment stack
// overflowed) or 4 (no stack block); the error is also written into key.
u32 SortIndexAscending(u16 n, u32 complex, Value *key, u16 *perm);
u32 SortIndexDescending(u16 n, u32 complex, Value *key, u16 *perm);
// Element i becomes element perm[i]: 0, or 4 with Memory ERROR in the list.
u32 SortApplyPermutation(Value *list, const u16 *perm, u16 n);

// Heap sorts of n reals in a heap block: 0, 1 when a break was requested
// (the array then partly ordered), 9 when n is below 1, 4 for a handle that
// names no block.
u32 ListHeapSort(int n, MemHandle a);
u32 ListHeapSortPair(int n, MemHandle key, MemHandle companion);
u32 ListHeapSortPairDesc(int n, MemHandle key, MemHandle companion);
u32 ListHeapSortTriple(int n, MemHandle key, MemHandle c1, MemHandle c2);
