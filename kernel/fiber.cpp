// Task stacks and the context switch between them (see fiber.h).
#include "kernel/fiber.h"

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#define CORVANTA_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define CORVANTA_TSAN 1
#endif

namespace {

thread_local SysFiber *t_current = nullptr;

u64 PageSize() {
  long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? static_cast<u64>(page) : 4096;
}

// Tells the address sanitizer that the stack in use is about to become `to`'s.
// `from` null means the stack being left is never used again.
void AnnounceSwitch(SysFiber *from, SysFiber *to) {
#if defined(CORVANTA_ASAN)
  __sanitizer_start_switch_fiber(from != nullptr ? &from->asan_fake_stack : nullptr, to->asan_bottom,
                                 to->asan_size);
#else
  (void)from;
  (void)to;
#endif
#if defined(CORVANTA_TSAN)
  __tsan_switch_to_fiber(to->tsan_fiber, 0);
#endif
}

// Completes a switch on the stack just entered.
void CompleteSwitch(SysFiber *self) {
#if defined(CORVANTA_ASAN)
  const void *bottom = nullptr;
  size_t size = 0;
  __sanitizer_finish_switch_fiber(self != nullptr ? self->asan_fake_stack : nullptr, &bottom, &size);
#else
  (void)self;
#endif
}

void FiberStart() {
  SysFiber *self = t_current;
  CompleteSwitch(nullptr);
  self->entry();
  std::fprintf(stderr, "corvanta: a task entry returned\n");
  std::abort();
}

}  // namespace

void SysFiberInitOrigin(SysFiber *fiber) {
  *fiber = SysFiber{};
#if defined(CORVANTA_ASAN)
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void *addr = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &addr, &size) == 0) {
      fiber->asan_bottom = addr;
      fiber->asan_size = size;
    }
    pthread_attr_destroy(&attr);
  }
#endif
#if defined(CORVANTA_TSAN)
  fiber->tsan_fiber = __tsan_get_current_fiber();
#endif
  t_current = fiber;
}

bool SysFiberCreate(SysFiber *fiber, u64 size, void (*entry)()) {
  *fiber = SysFiber{};
  u64 page = PageSize();
  u64 guard = kSysFiberGuard > page ? kSysFiberGuard : page;
  u64 usable = (size + page - 1) / page * page;
  u64 total = usable + guard;
  void *map = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK,
                   -1, 0);
  if (map == MAP_FAILED) return false;
  if (mprotect(map, guard, PROT_NONE) != 0) {
    munmap(map, total);
    return false;
  }
  fiber->map = static_cast<u8 *>(map);
  fiber->map_size = total;
  fiber->low = fiber->map + guard;
  fiber->high = fiber->map + total;
  fiber->entry = entry;
  fiber->asan_bottom = fiber->low;
  fiber->asan_size = usable;
  if (getcontext(&fiber->context) != 0) {
    munmap(map, total);
    *fiber = SysFiber{};
    return false;
  }
  fiber->context.uc_stack.ss_sp = fiber->low;
  fiber->context.uc_stack.ss_size = usable;
  fiber->context.uc_link = nullptr;
  makecontext(&fiber->context, FiberStart, 0);
#if defined(CORVANTA_TSAN)
  fiber->tsan_fiber = __tsan_create_fiber(0);
#endif
  return true;
}

void SysFiberDestroy(SysFiber *fiber) {
  if (fiber->map == nullptr) return;
#if defined(CORVANTA_ASAN)
  // Frames left on the stack may still be marked; the pages may be mapped
  // again for other memory.
  ASAN_UNPOISON_MEMORY_REGION(fiber->low, static_cast<size_t>(fiber->high - fiber->low));
#endif
#if defined(CORVANTA_TSAN)
  if (fiber->tsan_fiber != nullptr) __tsan_destroy_fiber(fiber->tsan_fiber);
#endif
  munmap(fiber->map, fiber->map_size);
  *fiber = SysFiber{};
}

void SysFiberSwitch(SysFiber *from, SysFiber *to) {
  t_current = to;
  AnnounceSwitch(from, to);
  if (swapcontext(&from->context, &to->context) != 0) {
    std::fprintf(stderr, "corvanta: task switch failed\n");
    std::abort();
  }
  CompleteSwitch(from);
}

void SysFiberLeave(SysFiber *from, SysFiber *to) {
  (void)from;
  t_current = to;
  AnnounceSwitch(nullptr, to);
  setcontext(&to->context);
  std::fprintf(stderr, "corvanta: task switch failed\n");
  std::abort();
}

SysFiber *SysFiberCurrent() { return t_current; }
