// Numbered graph function items.
#include "graph/memory/gmem_func.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "eval/token.h"
#include "graph/memory/gmem_record.h"
#include "memory/mcs_api.h"

namespace {

constexpr u8 kGraphFuncKind = 2;

// The item name of slot n ("1".."20"); false for a slot outside 1..20.
bool SlotName(int n, char (&name)[4]) {
  if (n < 1 || n > kGmemFuncSlots) return false;
  std::snprintf(name, sizeof name, "%d", n);
  return true;
}

// The item's data and size; false when it is missing.
bool OpenSlot(int n, u8 **data, u32 *size) {
  char name[4];
  if (!SlotName(n, name)) return false;
  return McsOpenByKindPtr(kGraphFuncKind, name, size, data) == 0;
}

}  // namespace

u16 GmemReadFuncType(int n) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!OpenSlot(n, &data, &size) || size < 2) return 0;
  return static_cast<u16>(data[0] | (data[1] << 8));
}

const char *GmemFuncDataPtr(int n) {
  static const char kEmpty[1] = {0};
  u8 *data = nullptr;
  u32 size = 0;
  if (!OpenSlot(n, &data, &size)) return nullptr;
  if (size <= kGmemFuncHeader || size > kGmemFuncHeader + kGmemFuncTextMax) return kEmpty;
  // The text must end inside its item, its end found token by token (the
  // zero second byte of Xmin or If ends nothing).
  const u32 room = size - kGmemFuncHeader;
  if (TokTextLen(data + kGmemFuncHeader, room) >= room) return kEmpty;
  return reinterpret_cast<const char *>(data + kGmemFuncHeader);
}

u32 GmemWriteFuncItem(int n, const u8 head[4], const char *text) {
  char name[4];
  if (!SlotName(n, name)) return 4;
  const u32 len = TokStatementLen(reinterpret_cast<const u8 *>(text));
  std::vector<u8> item(kGmemFuncHeader + len + 1, 0);
  std::memcpy(item.data(), head, kGmemFuncHeader);
  std::memcpy(item.data() + kGmemFuncHeader, text, len);
  GmemForgetGraphTable();
  McsDeleteByKind(kGraphFuncKind, name);
  if (McsCreateByKind(kGraphFuncKind, name, static_cast<u32>(item.size()), item.data()) != 0) return 4;
  return 0;
}

void GmemDeleteFunc(int n) {
  char name[4];
  if (!SlotName(n, name)) return;
  GmemForgetGraphTable();
  McsDeleteByKind(kGraphFuncKind, name);
}

u8 GmemReadFuncKind(int n) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!OpenSlot(n, &data, &size) || size < kGmemFuncHeader) return 0;
  return data[3];
}

u32 GmemTestFuncFlags(int n, u8 mask) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!OpenSlot(n, &data, &size) || size < kGmemFuncHeader) return 0;
  return (data[2] & mask) == mask ? 1 : 0;
}

char *GmemReadFuncText(int n, char *buf) {
  buf[0] = 0;
  const char *text = GmemFuncDataPtr(n);
  if (text == nullptr) return buf;
  const u32 len = TokTextLen(text);
  std::memcpy(buf, text, len);
  buf[len] = 0;
  buf[len + 1] = 0;  // the second zero that token readers step onto
  return buf;
}

namespace {

// Writes `count` header bytes at `at` of slot n, making the item from
// `fresh` when it is missing.
u32 WriteHeader(int n, const u8 *bytes, u32 at, u32 count, const u8 fresh[4]) {
  char name[4];
  if (!SlotName(n, name)) return 4;
  u8 *data = nullptr;
  u32 size = 0;
  GmemForgetGraphTable();
  if (!OpenSlot(n, &data, &size) || size < kGmemFuncHeader) {
    McsDeleteByKind(kGraphFuncKind, name);
    u8 item[kGmemFuncHeader + 1];
    std::memcpy(item, fresh, kGmemFuncHeader);
    item[kGmemFuncHeader] = 0;
    std::memcpy(item + at, bytes, count);
    return McsCreateByKind(kGraphFuncKind, name, sizeof item, item) == 0 ? 0 : 4;
  }
  std::memcpy(data + at, bytes, count);
  return 0;
}

}  // namespace

u32 GmemSetFuncKind(int n, u8 kind) {
  const u8 fresh[4] = {0, 0, 0, 0};
  return WriteHeader(n, &kind, 3, 1, fresh);
}

u32 GmemSetFuncType(int n, u16 type) {
  const u8 fresh[4] = {0, 0, 0, 2};
  const u8 bytes[2] = {static_cast<u8>(type & 0xFF), static_cast<u8>(type >> 8)};
  return WriteHeader(n, bytes, 0, 2, fresh);
}

void GmemSetFuncFlags(int n, u8 on, u8 mask) {
  char name[4];
  if (!SlotName(n, name)) return;
  GmemSetItemFlags(kGraphFuncKind, name, static_cast<i8>(on != 0), mask);
}

u32 GmemSetItemFlags(u8 kind, const char *name, i8 on, u8 mask) {
  u8 *data = nullptr;
  u32 size = 0;
  if (McsOpenByKindPtr(kind, name, &size, &data) != 0 || size < 3) return 0;
  data[2] = static_cast<u8>(on != 0 ? (data[2] | mask) : (data[2] & ~mask));
  return 0;
}
