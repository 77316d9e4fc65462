// Recursion formula items.
#include "graph/memory/gmem_recur.h"

#include <cstring>
#include <vector>

#include "eval/token_len.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "memory/mcs_api.h"

namespace {

constexpr u8 kFormulaKind = 2;
constexpr u32 kHeader = 4;
constexpr u32 kTextMax = 256;

const char *Name(int which) {
  static const char *const kNames[3] = {"AN", "BN", "CN"};
  return which >= 1 && which <= 3 ? kNames[which - 1] : nullptr;
}

u8 *Open(int which, u32 *size) {
  const char *name = Name(which);
  u8 *data = nullptr;
  if (name == nullptr || McsOpenByKindPtr(kFormulaKind, name, size, &data) != 0) return nullptr;
  return *size >= kHeader ? data : nullptr;
}

// Makes the formula as the header `head` and an empty text when missing.
u32 Ensure(int which, const u8 head[4]) {
  u32 size = 0;
  if (Open(which, &size) != nullptr) return 0;
  const char *name = Name(which);
  if (name == nullptr) return 4;
  McsDeleteByKind(kFormulaKind, name);
  u8 item[kHeader + 1] = {head[0], head[1], head[2], head[3], 0};
  return McsCreateByKind(kFormulaKind, name, sizeof item, item) == 0 ? 0 : 4;
}

// A new formula: selected, drawn with the normal line style (2).
constexpr u8 kFresh[4] = {kRecurFormulaType & 0xFF, kRecurFormulaType >> 8, kRecurSelected, 2};

}  // namespace

u32 RecurTextLength(const u8 *text) {
  u32 i = 0;
  while (const u32 n = TokLenAt(text + i)) i += n;
  return i;
}

u32 RecurWriteFormula(int which, const char *text) {
  const char *name = Name(which);
  if (name == nullptr) return 4;
  const u32 len = RecurTextLength(reinterpret_cast<const u8 *>(text));
  if (len == 0) return 0;
  if (len >= kTextMax) return 4;
  RecurResetGraphState();
  u8 head[4];
  std::memcpy(head, kFresh, sizeof head);
  u32 size = 0;
  if (const u8 *old = Open(which, &size)) std::memcpy(head, old, kHeader);
  std::vector<u8> item(kHeader + len + 1, 0);
  std::memcpy(item.data(), head, kHeader);
  std::memcpy(item.data() + kHeader, text, len);
  // A new item of the full size is made before the old one goes.
  McsDeleteByKind(kFormulaKind, name);
  return McsCreateByKind(kFormulaKind, name, static_cast<u32>(item.size()), item.data()) == 0 ? 0 : 4;
}

void RecurSelectFormula(int which, u8 on) {
  const char *name = Name(which);
  if (name == nullptr) return;
  RecurResetGraphState();
  GmemSetItemFlags(kFormulaKind, name, static_cast<i8>(on != 0), kRecurSelected);
}

u32 RecurSetFormulaKind(int which, u8 kind) {
  RecurResetGraphState();
  if (Ensure(which, kFresh) != 0) return 4;
  u32 size = 0;
  u8 *data = Open(which, &size);
  if (data == nullptr) return 4;
  data[3] = kind;
  return 0;
}

void RecurDeleteFormula(int which) {
  const char *name = Name(which);
  if (name == nullptr) return;
  RecurResetGraphState();
  McsDeleteByKind(kFormulaKind, name);
}

u32 RecurFormulaLength(int which) {
  u32 size = 0;
  return Open(which, &size) != nullptr ? size - kHeader : 0;
}

const char *RecurFormulaDataPtr(int which) {
  static const char kEmpty[1] = {0};
  u32 size = 0;
  const u8 *data = Open(which, &size);
  if (data == nullptr) return nullptr;
  if (size <= kHeader || size > kHeader + kTextMax) return kEmpty;
  // Whole tokens to a zero byte inside the item: a lead byte at the end
  // would take the zero as its second byte and run past it.
  const u8 *text = data + kHeader;
  const u32 room = size - kHeader;
  u32 i = 0;
  while (i < room && text[i] != 0) {
    if (i + 1 >= room) return kEmpty;
    i += TokLenAt(text + i);
  }
  if (i >= room) return kEmpty;
  return reinterpret_cast<const char *>(text);
}

char *RecurReadFormula(int which, char *buf) {
  buf[0] = 0;
  const char *text = RecurFormulaDataPtr(which);
  if (text == nullptr) return buf;
  const u32 len = RecurTextLength(reinterpret_cast<const u8 *>(text));
  std::memcpy(buf, text, len);
  buf[len] = 0;
  buf[len + 1] = 0;
  return buf;
}

u8 RecurReadFormulaKind(int which) {
  u32 size = 0;
  const u8 *data = Open(which, &size);
  return data != nullptr ? data[3] : 0;
}

u32 RecurFormulaSelected(int which) {
  u32 size = 0;
  const u8 *data = Open(which, &size);
  return data != nullptr && (data[2] & kRecurSelected) ? 1 : 0;
}
