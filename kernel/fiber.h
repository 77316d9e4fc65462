// Stacks of the calculator's tasks: each task runs on a stack of its own with
// an inaccessible guard page below it, and control passes between stacks only
// by a full context switch (the task being left keeps its frames intact).
// A jump into a task's saved frames is made on that task's own stack after the
// switch, so a frame is never entered once it has returned.
//
// The switches are announced to AddressSanitizer and ThreadSanitizer when the
// build uses them, so both keep tracking the right stack.
#pragma once
#include <ucontext.h>

#include "kernel/types.h"

struct SysFiber {
  ucontext_t context;
  u8 *map;         // the whole mapping, guard page included (null: the thread's own stack)
  u64 map_size;
  u8 *low;         // lowest usable byte, just above the guard page
  u8 *high;        // one past the highest usable byte
  void (*entry)();  // runs when the fiber is first switched to; never returns
  void *asan_fake_stack;
  const void *asan_bottom;  // stack bounds as the sanitizer knows them
  u64 asan_size;
  void *tsan_fiber;
};

constexpr u64 kSysFiberGuard = 4096;

// Makes `fiber` the record of the running thread's own stack (the origin to
// which the tasks return when the calculator thread ends).
void SysFiberInitOrigin(SysFiber *fiber);

// Maps a stack of `size` usable bytes (rounded up to whole pages) with a
// guard page below it; `entry` runs on it at the first switch. False when the
// memory cannot be had.
bool SysFiberCreate(SysFiber *fiber, u64 size, void (*entry)());

// Unmaps the stack of a fiber that is not running. Its frames are dropped
// without being unwound: the code running on it holds no resources that need
// a destructor.
void SysFiberDestroy(SysFiber *fiber);

// Saves the running context into `from` and continues `to`. Returns when some
// later switch continues `from` again.
void SysFiberSwitch(SysFiber *from, SysFiber *to);

// The last switch away from `from`: it is never continued again.
[[noreturn]] void SysFiberLeave(SysFiber *from, SysFiber *to);

// The fiber running now on this thread (null outside the fibers' run).
SysFiber *SysFiberCurrent();
