// The statistics condition items and result lists.
#include "apps/stat/stat_cond.h"

#include <cstring>

#include "apps/stat/stat_error.h"
#include "apps/stat/stat_glue.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/list_mem.h"

namespace {

constexpr const char *kGraphCondItem = "G_CND";
constexpr const char *kCalcCondItem = "C_CND";
constexpr u32 kBlocksOffset = 24;
constexpr u32 kBlocksBytes = kStatGraphWords * 2;

// Item results count by their low byte; writes of 0, 1 or 2 succeed.
u32 Low(u32 r) { return r & 0xFF; }
bool WriteOk(u32 r) { return Low(r) <= 2; }

void DefaultBlocks(u16 out[kStatGraphWords]) {
  for (u32 b = 0; b < 5; ++b) {
    const u16 block[7] = {static_cast<u16>(b == 1 ? 1 : 0), 1, 1, 2, 0, 2, 0};
    std::memcpy(out + 7 * b, block, sizeof block);
  }
}

// Reads count bytes at offset of an item of "@STAT": 0 or the store's error.
i32 ReadItem(const char *name, u32 offset, u32 count, void *dst) {
  u32 size = 0;
  u8 *data = nullptr;
  const u32 r = Low(McsOpenInFolderPtr(kStatFolder, name, &size, &data));
  if (r != 0) return static_cast<i32>(r);
  if (data == nullptr || size < offset + count) return kStatErrMemory;
  std::memcpy(dst, data + offset, count);
  return 0;
}

bool ItemExists(const char *name) {
  u32 size = 0;
  u8 *data = nullptr;
  return Low(McsOpenInFolderPtr(kStatFolder, name, &size, &data)) == 0;
}

// Start lies in (-1e98, 1e98); Width in (0, 1e98).
bool StartGood(const BcdReal *s) {
  if (ValErrorCode(s) != 0) return false;
  const BcdReal hi = [] { BcdReal r{}; NumParse("1E98", &r); return r; }();
  const BcdReal lo = [] { BcdReal r{}; NumParse("-1E98", &r); return r; }();
  return RealIsGreater(s, &lo) == 1 && RealIsLess(s, &hi) == 1;
}
bool WidthGood(const BcdReal *w) {
  if (ValErrorCode(w) != 0) return false;
  BcdReal zero{};
  const BcdReal hi = [] { BcdReal r{}; NumParse("1E98", &r); return r; }();
  return RealIsGreater(w, &zero) == 1 && RealIsLess(w, &hi) == 1;
}

// Creates G_CND with zero Start and Width and the default blocks: 0 or 4.
i32 CreateGraphCond() {
  u8 bytes[kStatGraphCondBytes] = {};
  u16 blocks[kStatGraphWords];
  DefaultBlocks(blocks);
  std::memcpy(bytes + kBlocksOffset, blocks, kBlocksBytes);
  return WriteOk(McsCreateInFolder(kStatFolder, kGraphCondItem, kStatGraphCondBytes, bytes)) ? 0 : kStatErrMemory;
}

}  // namespace

i32 StatResetGraphCond() {
  u16 blocks[kStatGraphWords];
  DefaultBlocks(blocks);
  return StatWriteGraphCond(blocks);
}

i32 StatResetCalcCond() {
  const u16 cond[kStatCalcCondWords] = {kStatOneVar, 1, 0, 1, 2, 0};
  return StatWriteCalcCond(cond);
}

i32 StatReadGraphCond(u16 out[kStatGraphWords]) { return ReadItem(kGraphCondItem, kBlocksOffset, kBlocksBytes, out); }

i32 StatReadHistParams(BcdReal *start, BcdReal *width) {
  const i32 r = ReadItem(kGraphCondItem, 0, 12, start);
  return r != 0 ? r : ReadItem(kGraphCondItem, 12, 12, width);
}

i32 StatReadCalcCond(u16 out[kStatCalcCondWords]) { return ReadItem(kCalcCondItem, 0, 12, out); }

i32 StatWriteGraphCond(const u16 cond[kStatGraphWords]) {
  if (!ItemExists(kGraphCondItem)) {
    VwinRecord vw;
    if (GmemReadVwin(&vw) != 0) {
      if (GmemResetVwin(1) != 0 || GmemReadVwin(&vw) != 0) return kStatErrNoCondition;
    }
    BcdReal one{};
    RealSetOne(&one);
    if (StatWriteHistParams(&vw.f[kVwinXmin], &one) != 0) return kStatErrNoCondition;
  }
  const u32 r = McsWriteInFolder(kStatFolder, kGraphCondItem, kBlocksBytes, cond, kBlocksOffset);
  return WriteOk(r) ? 0 : static_cast<i32>(Low(r));
}

i32 StatWriteHistParams(const BcdReal *start, const BcdReal *width) {
  const bool startOk = StartGood(start);
  const bool widthOk = WidthGood(width);
  SheetWriteHistogram(start, width);
  if (!ItemExists(kGraphCondItem) && CreateGraphCond() != 0) return kStatErrMemory;
  if (startOk && !WriteOk(McsWriteInFolder(kStatFolder, kGraphCondItem, 12, start, 0))) return kStatErrMemory;
  if (widthOk && !WriteOk(McsWriteInFolder(kStatFolder, kGraphCondItem, 12, width, 12))) return kStatErrMemory;
  return startOk && widthOk ? 0 : kStatErrRange;
}

i32 StatWriteCalcCond(const u16 cond[kStatCalcCondWords]) {
  if (cond == nullptr) return 0;
  if (!ItemExists(kCalcCondItem)) {
    const u32 r = McsCreateInFolder(kStatFolder, kCalcCondItem, kStatCalcCondWords * 2, cond);
    return WriteOk(r) ? 0 : static_cast<i32>(Low(r));
  }
  const u32 r = McsWriteInFolder(kStatFolder, kCalcCondItem, kStatCalcCondWords * 2, cond, 0);
  return WriteOk(r) ? 0 : static_cast<i32>(Low(r));
}

i32 StatLoadGraphCond(u16 out[kStatGraphWords]) {
  if (StatReadGraphCond(out) == 0) return 0;
  StatResetGraphCond();
  return StatReadGraphCond(out) == 0 ? 0 : kStatErrMemory;
}

i32 StatLoadCalcCond(u16 out[kStatCalcCondWords]) {
  if (StatReadCalcCond(out) == 0) return 0;
  StatResetCalcCond();
  return StatReadCalcCond(out) == 0 ? 0 : kStatErrMemory;
}

namespace {

// The type byte lives in the first byte of the list's header (its
// sub-name's first byte).
i32 MakeTyped(u8 file, u8 type, u8 list, int count) {
  ItemListDelete(file, list);
  if (count <= 0 || count > static_cast<int>(kItemListMaxCount)) return kStatErrMemory;
  if (ItemListCreate(file, list, static_cast<u32>(count)) != 0) return kStatErrMemory;
  const char tag[2] = {static_cast<char>(type), 0};
  if (ItemListSetSubName(file, list, tag) != 0) {
    ItemListDelete(file, list);
    return kStatErrMemory;
  }
  return 0;
}

}  // namespace

i32 StatCreateResultList(u8 type, u8 list, int count) { return MakeTyped(kStatResultFile, type, list, count); }
i32 StatNewResultList(u8 type, int count) { return StatCreateResultList(type, 0, count); }
i32 StatNewModeList(int count) { return StatCreateResultList(kStatModeList, 1, count); }
i32 StatCreateGraphCoefList(u8 type, u8 list, int count) { return MakeTyped(kStatWorkFile, type, list, count); }
void StatDeleteResultList() { ItemListDelete(kStatResultFile, 0); }
void StatDeleteModeList() { ItemListDelete(kStatResultFile, 1); }

void StatClearSlotLists(int slot) {
  ItemListDelete(kStatWorkFile, 0);
  for (int k = 0; k < 3; ++k) ItemListDelete(kStatWorkFile, static_cast<u8>(10 * slot + k));
}

void StatClearResultLists() {
  for (int s = 0; s < 4; ++s) StatClearSlotLists(s);
}

i32 StatResultListSize() { return static_cast<i32>(ItemListSize(kStatResultFile, 1)); }

i32 StatResultListValue(int i, Value *out) {
  return static_cast<i32>(ItemListGet(kStatResultFile, 1, static_cast<u32>(i), out));
}

i32 StatSetResult(int i, const Value *v) {
  return ItemListSet(kStatResultFile, 0, static_cast<u32>(i), v) == 0 ? 0 : kStatErrMemory;
}

i32 StatCopyModeList() {
  Value modes;
  if (ItemListSize(0, 0) == 0 || ListFromMemory(0, 0, &modes) != 1) return kStatErrMemory;
  // The mode list is made whole from List Ans, then typed.
  if (StatNewModeList(static_cast<int>(ItemListSize(0, 0))) != 0 ||
      ItemListStoreValue(kStatResultFile, 1, &modes) != 0) {
    StatDeleteModeList();
    return kStatErrMemory;
  }
  return 0;
}

i32 StatReadResultListHeader(u32 *type) {
  char sub[9];
  if (ItemListGetSubName(kStatResultFile, 0, sub) == 0) return 0;
  *type = static_cast<u8>(sub[0]);
  return static_cast<i32>(ItemListSize(kStatResultFile, 0));
}

u8 StatResultIndex(u32 type, u32 code) {
  static const u8 kLinear[] = {kValA, kValB, kValR, kValR2, kValMSe};
  static const u8 kMedMed[] = {kValA, kValB, 30, 31, 32, 33, 34, 35};
  static const u8 kQuad[] = {kValA, kValB, kValC, kValR2, kValMSe};
  static const u8 kCubic[] = {kValA, kValB, kValC, kValD, kValR2, kValMSe};
  static const u8 kQuart[] = {kValA, kValB, kValC, kValD, kValE, kValR2, kValMSe};
  static const u8 kOne[] = {1, 2, 3, 4, 5, 6, 7, 8, kValQ1, kValMed, kValQ3, kValModF};
  static const u8 kTwo[] = {1, 2, 3, 4, 5, 6, 7, 8, 16, 9, 10, 11, 12, 13, 14, 15};
  const u8 *row = nullptr;
  u32 n = 0;
  auto use = [&](const u8 *r, u32 count) { row = r; n = count; };
  switch (type) {
    case kStatLinear: case kStatLog: case kStatExp: case kStatPower: use(kLinear, 5); break;
    case kStatMedMed: use(kMedMed, 8); break;
    case kStatQuad: case kStatLogistic: use(kQuad, 5); break;
    case kStatCubic: case kStatSin: use(kCubic, 6); break;
    case kStatQuart: use(kQuart, 7); break;
    case kStatOneVar: use(kOne, 12); break;
    case kStatTwoVar: use(kTwo, 16); break;
    default: return 0;
  }
  for (u32 i = 0; i < n; ++i)
    if (row[i] == code) return static_cast<u8>(i + 1);
  return 0;
}

i32 StatCalcValue(int code, Value *out) {
  u32 type = 0;
  const i32 count = StatReadResultListHeader(&type);
  if (code == 0) return count > 0 ? static_cast<i32>(type) : -2;
  if (code == kValHStart || code == kValHWidth) {
    BcdReal start{}, width{};
    if (StatReadHistParams(&start, &width) != 0) return -2;
    std::memset(out, 0, sizeof *out);
    out->re = code == kValHStart ? start : width;
    return count > 0 ? static_cast<i32>(type) : -1;
  }
  if (count <= 0 || code < 0) return -2;
  const u8 index = StatResultIndex(type, static_cast<u32>(code));
  if (index == 0 || ItemListGet(kStatResultFile, 0, index, out) != 0) return -2;
  return static_cast<i32>(type);
}
