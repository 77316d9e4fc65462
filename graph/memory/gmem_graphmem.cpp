#include "graph/memory/gmem_graphmem.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "eval/token_len.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

constexpr const char *kFolder = "@GRAPH";
constexpr u32 kSetupBytes = 15;
constexpr u32 kCountAt = 15;
constexpr u32 kVwinAt = 20;
constexpr u32 kVwinBytes = sizeof(VwinRecord);
constexpr u8 kFuncKind = 2;

struct KeptItem {
  u8 item;
  u8 max;  // the largest value the item takes
};

// The SET UP items a graph memory keeps, in stored order.
constexpr KeptItem kKept[kSetupBytes] = {
    {kSetupFuncType, 11},   {kSetupDrawType, 1},   {kSetupGraphFunc, 1}, {kSetupDualScreen, 3},
    {kSetupSimulGraph, 1},  {kSetupDerivative, 1}, {kSetupSketchLine, 3}, {kSetupBackground, 20},
    {kSetupAngle, 2},       {kSetupComplexMode, 2}, {kSetupCoord, 1},    {kSetupGrid, 1},
    {kSetupAxes, 1},        {kSetupLabel, 1},      {kSetupDisplay, 0xFF},
};

// The Display byte: Norm/Fix/Sci in bits 4-6 with a digit count 0-9, the Eng
// bit 7.
bool ValidSetupByte(u32 i, u8 v) {
  if (kKept[i].item == kSetupDisplay) return (v & 0x70) <= 0x30 && (v & 0x0F) <= 9;
  return v <= kKept[i].max;
}

void SlotName(u32 n, char *dst) { std::snprintf(dst, 4, "%u", static_cast<unsigned>(n)); }

// The slot's item size, 0 when it is missing.
u32 SlotSize(u32 n) {
  char name[4];
  SlotName(n, name);
  u32 size = 0;
  return McsOpenByKind(kFuncKind, name, &size) == 0 ? size : 0;
}

u32 FreeBytes() {
  u32 total = 0;
  u32 used = 0;
  u32 free_bytes = 0;
  McsGetMemoryUse(&total, &used, &free_bytes);
  return free_bytes;
}

void Append(std::vector<u8> *out, const void *src, u32 n) {
  const u8 *p = static_cast<const u8 *>(src);
  out->insert(out->end(), p, p + n);
}

}  // namespace

char *GmemGmemName(i32 n, char *dst) {
  std::snprintf(dst, 12, "GMEM%d", static_cast<int>(n));
  return dst;
}

u32 GmemStoreGraphMem(i32 n) {
  char name[12];
  GmemGmemName(n, name);
  const bool dual = SetupGetItem(kSetupDualScreen) == 0;
  // The windows are made first: failing here leaves the old memory alone.
  VwinRecord vwin;
  VwinRecord vwinr;
  if (GmemReadVwin(&vwin) != 0 && (GmemResetVwin(1) != 0 || GmemReadVwin(&vwin) != 0)) return kGmemNoRoom;
  if (dual && GmemReadVwinr(&vwinr) != 0 && (GmemResetVwin(0) != 0 || GmemReadVwinr(&vwinr) != 0)) {
    return kGmemNoRoom;
  }
  std::vector<u8> mem(kVwinAt, 0);
  for (u32 i = 0; i < kSetupBytes; ++i) mem[i] = SetupGetItem(kKept[i].item);
  mem[kCountAt] = kGmemFuncSlots;
  Append(&mem, &vwin, kVwinBytes);
  if (dual) Append(&mem, &vwinr, kVwinBytes);
  std::vector<u8> texts;
  for (int f = 1; f <= kGmemFuncSlots; ++f) {
    char slot[4];
    SlotName(static_cast<u32>(f), slot);
    u32 size = 0;
    u8 *data = nullptr;
    u8 head[4] = {};
    if (McsOpenByKindPtr(kFuncKind, slot, &size, &data) == 0 && data != nullptr && size >= 4) {
      std::memcpy(head, data, 4);
      const char *text = GmemFuncDataPtr(f);
      if (text != nullptr) Append(&texts, text, TokTextLen(text));
    }
    texts.push_back(0);
    Append(&mem, head, 4);
  }
  Append(&mem, texts.data(), static_cast<u32>(texts.size()));
  const u32 needed = static_cast<u32>(mem.size());
  u32 old_size = 0;
  const bool exists = McsOpenInFolder(kFolder, name, &old_size) == 0;
  const u32 room = FreeBytes() + (exists ? old_size : 0);
  if (needed > room) return kGmemNoRoom;
  if (exists) McsDeleteInFolder(kFolder, name);
  const u32 e = McsCreateInFolder(kFolder, name, needed, mem.data());
  return e <= 2 ? 0 : e;
}

u32 GmemRecallGraphMem(i32 n) {
  char name[12];
  GmemGmemName(n, name);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFolder, name, &size, &data) != 0 || data == nullptr) return 0;
  // Copied first: storing the items below moves main memory.
  const std::vector<u8> mem(data, data + size);
  if (mem.size() < kVwinAt + kVwinBytes) return 4;
  u32 count = mem[kCountAt] | (mem[kCountAt + 1] << 8);
  if (count > static_cast<u32>(kGmemFuncSlots)) count = kGmemFuncSlots;
  const bool dual = mem[3] == 0;  // the stored Dual Screen byte
  const u32 vwin_part = dual ? 2 * kVwinBytes : kVwinBytes;
  const u32 heads_at = kVwinAt + vwin_part;
  if (mem.size() < heads_at + 4 * count) return 4;
  // Room: the incoming functions against free memory and what the slots
  // being replaced give back.
  u32 room = FreeBytes();
  for (u32 f = 1; f <= count; ++f) {
    if (const u32 s = SlotSize(f)) room += s + 20;
  }
  if (static_cast<u32>(mem.size()) - heads_at > room) return kGmemNoRoom;
  if (dual) {
    VwinRecord r;
    if (GmemReadVwinr(&r) != 0 && GmemResetVwin(0) != 0) return kGmemNoRoom;
  }
  for (u32 i = 0; i < kSetupBytes; ++i) {
    if (ValidSetupByte(i, mem[i])) SetupSetItem(kKept[i].item, mem[i]);
  }
  VwinRecord w;
  std::memcpy(&w, mem.data() + kVwinAt, kVwinBytes);
  if (GmemWriteVwin(&w) != 0) return 4;
  if (dual) {
    std::memcpy(&w, mem.data() + kVwinAt + kVwinBytes, kVwinBytes);
    if (GmemWriteVwinr(&w) != 0) return 4;
  }
  GmemForgetGraphTable();
  for (int f = 1; f <= kGmemFuncSlots; ++f) {
    char slot[4];
    SlotName(static_cast<u32>(f), slot);
    McsDeleteByKind(kFuncKind, slot);
  }
  u32 t = heads_at + 4 * count;
  for (u32 f = 1; f <= count && t < mem.size(); ++f) {
    // A text runs to its end, found token by token, at most 256 bytes and
    // never past the item.
    const u32 len = TokTextLen(mem.data() + t, static_cast<u32>(mem.size()) - t);
    if (len > 0 && len <= kGmemFuncTextMax) {
      std::vector<char> text(mem.begin() + t, mem.begin() + t + len);
      text.push_back(0);
      text.push_back(0);
      if (GmemWriteFuncItem(static_cast<int>(f), mem.data() + heads_at + 4 * (f - 1), text.data()) != 0) return 4;
    }
    t += len + 1;
  }
  return 0;
}
