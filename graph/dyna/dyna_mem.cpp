// The dynamic graph memory.
#include "graph/dyna/dyna_mem.h"

#include <cstring>
#include <vector>

#include "eval/token_len.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr const char *kFolder = "@DYNA";
constexpr const char *kMemItem = "D_MEM";
constexpr const char *kFramesItem = "D_MEMG";
constexpr u8 kFuncKind = 2;

constexpr u8 kSetupItems[12] = {kSetupDynamicType, kSetupDrawType,    kSetupGraphFunc, kSetupBackground,
                                kSetupAngle,       kSetupComplexMode, kSetupGrid,      kSetupAxes,
                                kSetupLabel,       kSetupFuncType,    kSetupLocus,     kSetupDrawSpeed};
constexpr u32 kCountAt = 14, kCondAt = 16, kVarsAt = 60, kRAt = 684, kThetaAt = 708, kVwinAt = 732;
constexpr u32 kHeadsAt = 864;
constexpr u32 kValueBytes = sizeof(Value);

void SlotName(int n, char name[4]) {
  name[0] = static_cast<char>(n >= 10 ? '0' + n / 10 : '0' + n);
  name[1] = n >= 10 ? static_cast<char>('0' + n % 10) : 0;
  name[2] = 0;
}

// The stored item of graph function n (header and text), or nullptr.
const u8 *FuncItem(int n, u32 *size) {
  char name[4];
  SlotName(n, name);
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kFuncKind, name, size, &data) != 0 || data == nullptr || *size < kGmemFuncHeader) return nullptr;
  return data;
}

// Bytes of the text at p up to its zero byte, whole tokens, within room
// bytes (the zero included): the length, or -1 when it does not end there.
i32 TextWithin(const u8 *p, u32 room) {
  u32 i = 0;
  while (i < room && p[i] != 0) {
    if (i + 1 >= room) return -1;
    i += TokLenAt(p + i);
  }
  return i < room ? static_cast<i32>(i) : -1;
}

bool ValueOk(const u8 *p) {
  Value v;
  std::memcpy(&v, p, sizeof v);
  return RealIsWellFormed(&v.re) && RealIsWellFormed(&v.im);
}

// What an item of size bytes takes in main memory: its data in whole words
// and its record.
u64 ItemBytes(u32 size) { return u64{(size + 3u) & ~3u} + 20; }

void PutValue(std::vector<u8> &out, u32 at, u8 code) {
  Value v;
  std::memset(&v, 0, sizeof v);
  SysReadVariable(code, &v);
  std::memcpy(out.data() + at, &v, sizeof v);
}

void TakeValue(const u8 *p, u8 code) {
  Value v;
  std::memcpy(&v, p, sizeof v);
  SysStoreVariable(code, &v);
}

}  // namespace

u32 DynaMemStore(const u8 *frames, u32 count, const DynaCond *cond) {
  VwinRecord vwin;
  if (GmemReadVwin(&vwin) != 0) {
    if (GmemResetVwin(1) != 0 || GmemReadVwin(&vwin) != 0) return kDynaMemNoRoom;
  }
  std::vector<u8> mem(kDynaMemFixedBytes, 0);
  for (u32 i = 0; i < 12; ++i) mem[i] = SetupGetItem(kSetupItems[i]);
  const u16 funcs = kDynaMemFuncs;
  std::memcpy(mem.data() + kCountAt, &funcs, 2);
  std::memcpy(mem.data() + kCondAt, cond, sizeof *cond);
  for (u32 k = 0; k < 26; ++k) PutValue(mem, kVarsAt + k * kValueBytes, static_cast<u8>('A' + k));
  PutValue(mem, kRAt, kVarR);
  PutValue(mem, kThetaAt, kVarTheta);
  std::memcpy(mem.data() + kVwinAt, &vwin, sizeof vwin);
  for (int n = 1; n <= static_cast<int>(kDynaMemFuncs); ++n) {
    u32 size = 0;
    const u8 *item = FuncItem(n, &size);
    i32 len = item != nullptr ? TextWithin(item + kGmemFuncHeader, size - kGmemFuncHeader) : -1;
    if (item != nullptr) std::memcpy(mem.data() + kHeadsAt + 4 * (n - 1), item, kGmemFuncHeader);
    if (len < 0) len = 0;
    if (len > 0) mem.insert(mem.end(), item + kGmemFuncHeader, item + kGmemFuncHeader + len);
    mem.push_back(0);
  }
  const u32 memBytes = static_cast<u32>(mem.size());
  const u32 framesBytes = frames != nullptr ? count * kDynaFrameBytes : 0;
  // Room first: the old memory is given up only when the new one fits.
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  u32 oldMem = 0, oldFrames = 0;
  u8 *data = nullptr;
  const bool had = McsOpenInFolderPtr(kFolder, kMemItem, &oldMem, &data) == 0;
  if (!had) oldMem = 0;
  if (frames != nullptr && McsOpenInFolderPtr(kFolder, kFramesItem, &oldFrames, &data) != 0) oldFrames = 0;
  if (u64{freeBytes} + oldMem + oldFrames < u64{memBytes} + framesBytes + (had ? 0 : 40)) return kDynaMemNoRoom;
  McsDeleteInFolder(kFolder, kMemItem);
  if (frames != nullptr) McsDeleteInFolder(kFolder, kFramesItem);
  if (McsCreateInFolder(kFolder, kMemItem, memBytes, mem.data()) != 0) {
    McsDeleteInFolder(kFolder, kFramesItem);
    return kDynaMemNoRoom;
  }
  if (frames != nullptr && McsCreateInFolder(kFolder, kFramesItem, framesBytes, frames) != 0) {
    McsDeleteInFolder(kFolder, kMemItem);
    McsDeleteInFolder(kFolder, kFramesItem);
    return kDynaMemNoRoom;
  }
  return 0;
}

u32 DynaMemRecall(DynaCond *cond) {
  u32 size = 0;
  u8 *item = nullptr;
  if (McsOpenInFolderPtr(kFolder, kMemItem, &size, &item) != 0 || item == nullptr) return kDynaMemMissing;
  // The whole item is checked before anything is changed.
  if (size < kDynaMemFixedBytes) return kDynaMemDamaged;
  u16 funcs = 0;
  std::memcpy(&funcs, item + kCountAt, 2);
  if (funcs > kDynaMemFuncs) return kDynaMemDamaged;
  DynaCond c;
  std::memcpy(&c, item + kCondAt, sizeof c);
  if (!DynaCondValid(&c)) return kDynaMemDamaged;
  for (u32 at = kVarsAt; at < kVwinAt; at += kValueBytes) {
    if (!ValueOk(item + at)) return kDynaMemDamaged;
  }
  VwinRecord vwin;
  std::memcpy(&vwin, item + kVwinAt, sizeof vwin);
  for (const BcdReal &f : vwin.f) {
    if (!RealIsWellFormed(&f)) return kDynaMemDamaged;
  }
  i32 lengths[kDynaMemFuncs] = {};
  u32 at = kDynaMemFixedBytes;
  for (u32 n = 0; n < funcs; ++n) {
    const u32 room = size - at < kGmemFuncTextMax ? size - at : kGmemFuncTextMax;
    lengths[n] = TextWithin(item + at, room);
    if (lengths[n] < 0) return kDynaMemDamaged;
    at += static_cast<u32>(lengths[n]) + 1;
  }
  // Room next: the functions to be written against free memory and what the
  // present ones give back (the V-Window too when it is missing), so that a
  // recall that cannot fit changes nothing.
  u64 need = 0;
  for (u32 n = 0; n < funcs; ++n) {
    if (lengths[n] > 0) need += ItemBytes(kGmemFuncHeader + static_cast<u32>(lengths[n]) + 1);
  }
  VwinRecord present;
  if (GmemReadVwin(&present) != 0) need += ItemBytes(sizeof present);
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  u64 room = freeBytes;
  for (int n = 1; n <= static_cast<int>(kDynaMemFuncs); ++n) {
    u32 was = 0;
    if (FuncItem(n, &was) != nullptr) room += ItemBytes(was);
  }
  if (need > room) return kDynaMemNoRoom;
  // Copied out: the writes below move main memory.
  const std::vector<u8> saved(item, item + size);
  const u8 *p = saved.data();
  for (u32 i = 0; i < 12; ++i) SetupSetItem(kSetupItems[i], p[i]);
  for (u32 k = 0; k < 26; ++k) TakeValue(p + kVarsAt + k * kValueBytes, static_cast<u8>('A' + k));
  TakeValue(p + kRAt, kVarR);
  TakeValue(p + kThetaAt, kVarTheta);
  if (GmemWriteVwin(&vwin) != 0) return kDynaMemNoRoom;
  for (int n = 1; n <= static_cast<int>(kDynaMemFuncs); ++n) GmemDeleteFunc(n);
  at = kDynaMemFixedBytes;
  for (u32 n = 0; n < funcs; ++n) {
    const u32 len = static_cast<u32>(lengths[n]);
    if (len > 0) {
      // The text with its end and a second zero byte.
      std::vector<char> text(p + at, p + at + len);
      text.push_back(0);
      text.push_back(0);
      if (GmemWriteFuncItem(static_cast<int>(n) + 1, p + kHeadsAt + 4 * n, text.data()) != 0) return kDynaMemNoRoom;
    }
    at += len + 1;
  }
  *cond = c;
  return 0;
}
