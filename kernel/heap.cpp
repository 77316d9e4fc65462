// The handle heap: 256 slots of blocks from the system allocator.
#include "kernel/heap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kernel/calc_ram.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"

namespace {

struct MemSlot {
  u8 *addr;   // null = free slot
  u32 size;   // size requested, in full
  u8 owner;   // the task whose application took it (SysHeapOwner), 0 none
};

MemSlot g_slots[kMemSlotCount];

// An entry of the reference table: an item named by folder and name (each
// up to 8 bytes), and the offset into its data. An empty folder name marks
// a free entry.
struct MemRef {
  char folder[9];
  char name[9];
  u32 offset;
};

MemRef g_refs[kMemRefCount];

const MemRef *RefOf(MemHandle h) {
  if (h < kMemRefBase || (h - kMemRefBase) % 4 != 0) return nullptr;
  const u32 n = (h - kMemRefBase) / 4;
  if (n >= kMemRefCount || g_refs[n].folder[0] == 0) return nullptr;
  return &g_refs[n];
}

// Host pointer and remaining size of a reference; null when the item is
// gone or shorter than the offset.
u8 *RefResolve(const MemRef *r, u32 *room) {
  u32 size = 0;
  u8 *data = SysGlueItemData(r->folder, r->name, &size);
  if (!data || r->offset > size) return nullptr;
  if (room) *room = size - r->offset;
  return data + r->offset;
}

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

bool MemIsRef(MemHandle h) { return RefOf(h) != nullptr; }

MemHandle MemRefHandle(const char *folder, const char *name, u32 offset) {
  if (!folder || !name || folder[0] == 0 || std::strlen(folder) > 8 || std::strlen(name) > 8) return 0;
  u32 free_entry = kMemRefCount;
  for (u32 n = 0; n < kMemRefCount; ++n) {
    const MemRef &r = g_refs[n];
    if (r.folder[0] == 0) {
      if (free_entry == kMemRefCount) free_entry = n;
      continue;
    }
    if (r.offset == offset && std::strcmp(r.folder, folder) == 0 && std::strcmp(r.name, name) == 0) {
      return kMemRefBase + 4 * n;
    }
  }
  if (free_entry == kMemRefCount) return 0;
  MemRef &r = g_refs[free_entry];
  std::strcpy(r.folder, folder);
  std::strcpy(r.name, name);
  r.offset = offset;
  return kMemRefBase + 4 * free_entry;
}

u32 MemRoom(MemHandle h) {
  if (const MemSlot *s = SlotOf(h)) return s->addr ? s->size : 0;
  if (const MemRef *r = RefOf(h)) {
    u32 room = 0;
    return RefResolve(r, &room) ? room : 0;
  }
  return 0;
}

u8 *MemDeref(MemHandle h) {
  if (const MemSlot *s = SlotOf(h)) return s->addr;
  if (const MemRef *r = RefOf(h)) return RefResolve(r, nullptr);
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
