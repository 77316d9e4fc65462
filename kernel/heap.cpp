// The handle heap: 256 slots of blocks from the system allocator.
#include "kernel/heap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kernel/calc_ram.h"
#include "kernel/task.h"

namespace {

struct MemSlot {
  u8 *addr;   // null = free slot
  u32 size;   // size requested, in full
  u8 owner;   // the task whose application took it (SysHeapOwner), 0 none
};

MemSlot g_slots[kMemSlotCount];

MemSlot *SlotOf(MemHandle h) {
  const u32 n = MemSlotOf(h);
  return n < kMemSlotCount ? &g_slots[n] : nullptr;
}

}  // namespace

u32 MemSlotOf(MemHandle h) {
  if (h < kMemSlotBase || (h - kMemSlotBase) % 4 != 0) return kMemSlotCount;
  const u32 n = (h - kMemSlotBase) / 4;
  return n < kMemSlotCount ? n : kMemSlotCount;
}

MemHandle MemAlloc(u32 size) {
  if (size > kMemMaxBlock) return 0;
  for (u32 n = 0; n < kMemSlotCount; ++n) {
    if (g_slots[n].addr) continue;
    // A block of 0 bytes still gets an address of its own.
    u8 *p = static_cast<u8 *>(std::malloc(size ? size : 1));
    if (!p) return 0;
    g_slots[n] = {p, size, SysHeapOwner()};
    return kMemSlotBase + 4 * n;
  }
  return 0;
}

MemHandle MemRealloc(MemHandle h, u32 size) {
  MemSlot *s = SlotOf(h);
  if (!s || !s->addr || size > kMemMaxBlock) return 0;
  u8 *p = static_cast<u8 *>(std::realloc(s->addr, size ? size : 1));
  if (!p) return 0;
  s->addr = p;
  s->size = size;
  return h;
}

void MemFree(MemHandle h) {
  MemSlot *s = SlotOf(h);
  if (!s || !s->addr) return;
  std::free(s->addr);
  *s = {nullptr, 0, 0};
}

void MemFreeAll() {
  for (MemSlot &s : g_slots) {
    std::free(s.addr);
    s = {nullptr, 0, 0};
  }
}

void MemFreeOwned(u8 owner) {
  if (owner == 0) return;
  for (MemSlot &s : g_slots) {
    if (s.addr == nullptr || s.owner != owner) continue;
    std::free(s.addr);
    s = {nullptr, 0, 0};
  }
}

void MemClearTable() { MemFreeAll(); }

u8 *MemDeref(MemHandle h) {
  if (const MemSlot *s = SlotOf(h)) return s->addr;
  const u8 *word = CalcAddrToPtr(h, 4);
  if (!word) return nullptr;
  u32 addr;
  std::memcpy(&addr, word, 4);
  return CalcAddrToPtr(addr);
}

u32 MemSize(MemHandle h) {
  const MemSlot *s = SlotOf(h);
  return s && s->addr ? s->size : 0;
}

u32 MemClassify(MemHandle h) {
  const u8 *target = MemDeref(h);
  if (!target) return 2;
  const std::uintptr_t p = reinterpret_cast<std::uintptr_t>(target);
  if (const u8 *area = CalcRamArea()) {
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(area);
    if (p >= a && p - a <= kMcsAreaSize) return 1;
  }
  for (const MemSlot &s : g_slots) {
    if (!s.addr) continue;
    const std::uintptr_t b = reinterpret_cast<std::uintptr_t>(s.addr);
    if (p >= b && p - b <= s.size) return 0;
  }
  return 2;
}
