// The recursion formula items.
#include "graph/recur/recur_items.h"

#include <cstring>
#include <vector>

#include "eval/token.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"

namespace {

constexpr u8 kFuncKind = 2;
constexpr u8 kTableMatrix = 36;

const char *Name(int which) {
  static const char *const kNames[3] = {"AN", "BN", "CN"};
  return which >= 1 && which <= 3 ? kNames[which - 1] : nullptr;
}

bool Open(int which, u8 **data, u32 *size) {
  const char *name = Name(which);
  return name != nullptr && McsOpenByKindPtr(kFuncKind, name, size, data) == 0 && *data != nullptr;
}

// Length of a text up to its first statement end, two-byte tokens whole.
u32 StatementLength(const u8 *p) {
  u32 i = 0;
  while (p[i] != 0 && p[i] != ':' && p[i] != 0x0D && p[i] != 0x0C) {
    if (TokIsLeadByte(p[i]) && p[i + 1] != 0) ++i;
    ++i;
  }
  return i;
}

}  // namespace

void RecurForgetState() {
  ItemMatDelete(kTableMatrix);
  GmemDeleteGraphRecord();
}

const u8 *RecurItemText(int which) {
  static const u8 kEmpty[1] = {0};
  u8 *data = nullptr;
  u32 size = 0;
  if (!Open(which, &data, &size)) return nullptr;
  if (size <= kGmemFuncHeader || size > kGmemFuncHeader + kGmemFuncTextMax) return kEmpty;
  if (std::memchr(data + kGmemFuncHeader, 0, size - kGmemFuncHeader) == nullptr) return kEmpty;
  return data + kGmemFuncHeader;
}

bool RecurItemSelected(int which) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!Open(which, &data, &size) || size < kGmemFuncHeader) return false;
  if (!(data[2] & kRecurSelectBit)) return false;
  const u8 *text = RecurItemText(which);
  return text != nullptr && text[0] != 0;
}

u8 RecurItemStyle(int which) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!Open(which, &data, &size) || size < kGmemFuncHeader) return 2;
  const u8 s = data[3];
  return (s == 2 || s == 3 || s == 5 || s == 8) ? s : 2;
}

u32 RecurItemWrite(int which, const u8 *text) {
  const char *name = Name(which);
  if (name == nullptr) return 4;
  const u32 len = StatementLength(text);
  std::vector<u8> item(kGmemFuncHeader + len + 1, 0);
  // An existing formula keeps its selection and style.
  u8 *data = nullptr;
  u32 size = 0;
  const bool had = Open(which, &data, &size) && size >= kGmemFuncHeader;
  item[0] = static_cast<u8>(kRecurFormulaType & 0xFF);
  item[1] = static_cast<u8>(kRecurFormulaType >> 8);
  item[2] = had ? data[2] : kRecurSelectBit;
  item[3] = had ? data[3] : 2;
  std::memcpy(item.data() + kGmemFuncHeader, text, len);
  RecurForgetState();
  McsDeleteByKind(kFuncKind, name);
  return McsCreateByKind(kFuncKind, name, static_cast<u32>(item.size()), item.data()) == 0 ? 0u : 4u;
}

u32 RecurItemSetFlags(int which, u8 mask, bool on) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!Open(which, &data, &size) || size < kGmemFuncHeader) return 0;
  const u8 b = on ? static_cast<u8>(data[2] | mask) : static_cast<u8>(data[2] & ~mask);
  RecurForgetState();
  return McsWriteByKind(kFuncKind, Name(which), 1, &b, 2) <= 2 ? 0u : 4u;
}

u32 RecurItemSetStyle(int which, u8 style) {
  u8 *data = nullptr;
  u32 size = 0;
  if (!Open(which, &data, &size) || size < kGmemFuncHeader) return 0;
  RecurForgetState();
  return McsWriteByKind(kFuncKind, Name(which), 1, &style, 3) <= 2 ? 0u : 4u;
}

void RecurItemDelete(int which) {
  const char *name = Name(which);
  if (name == nullptr) return;
  RecurForgetState();
  McsDeleteByKind(kFuncKind, name);
}
