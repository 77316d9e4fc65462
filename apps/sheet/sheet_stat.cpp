// Cell ranges read into lists, sorting of a range, and the histogram
// setting the statistics application hands over.
#include "apps/sheet/sheet_stat.h"

#include <algorithm>
#include <cstring>

#include "apps/sheet/sheet_eval.h"
#include "apps/stat/stat_app.h"
#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_glue.h"
#include "graph/memory/gmem_vwin.h"
#include "ui/errbox.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "numeric/list_mem.h"
#include "numeric/sort.h"

namespace {

u32 Nibble(u16 options, int n) { return (options >> (4 * n)) & 15u; }

}  // namespace

u32 SheetReadRangeToListOpt(SheetRange *r, u8 listFile, u8 list, u16 options) {
  if (r->col1 != r->col2 && r->row1 != r->row2) return kSheetErrLimit;
  if (r->col1 > r->col2) std::swap(r->col1, r->col2);
  if (r->row1 > r->row2) std::swap(r->row1, r->row2);
  ItemListDelete(listFile, list);
  const bool down = r->col1 == r->col2;
  const i32 n = down ? r->row2 - r->row1 + 1 : r->col2 - r->col1 + 1;
  u32 result = 0;
  for (i32 i = 0; i < n && i < kSheetRows && result == 0; ++i) {
    const i32 c = down ? r->col1 : r->col1 + i, w = down ? r->row1 + i : r->row1;
    KeyBreakArm();
    if (KeyBreakPoll()) {
      result = kSheetErrBreak;
      break;
    }
    const u32 kinds = SheetCellKinds(nullptr, c, w);
    Value v{};
    bool take = false;
    if (kinds & kSheetFlagMark) {
      result = kSheetErrSyntax;
    } else if (kinds & kSheetFlagFormula) {
      if (Nibble(options, 1) == 1) result = kSheetErrSyntax;
      else if (SheetReadValue(nullptr, c, w, &v)) {
        if (ValErrorCode(&v)) result = kSheetErrSyntax;
        else take = true;
      }
    } else if (kinds & kSheetFlagText) {
      const u32 o = Nibble(options, 0);
      if (o == 1) result = kSheetErrSyntax;
      else take = o == 2;
    } else if (kinds & kSheetFlagNumber) {
      SheetReadValue(nullptr, c, w, &v);
      if (const u8 e = ValErrorCode(&v)) {
        const u32 o = Nibble(options, 3);
        if (o == 1) result = e;
        else if (o == 2) {
          v = Value{};
          take = true;
        }
      } else {
        take = true;
      }
    } else {
      const u32 o = Nibble(options, 2);
      if (o == 1) result = kSheetErrSyntax;
      else take = o == 2;
    }
    if (take && ItemListSet(listFile, list, 0, &v) != 0) result = kSheetErrMemory;
  }
  if (result != 0) ItemListDelete(listFile, list);
  return result;
}

u32 SheetSortRange(const SheetRange *range, u32 descending) {
  constexpr u8 kFile = 253, kList = 0;
  SheetRange r = *range;
  if (const u32 e = SheetReadRangeToListOpt(&r, kFile, kList, kSheetOptSort)) return e;
  Value list;
  if (!ListFromMemory(kFile, kList, &list)) {
    ItemListDelete(kFile, kList);
    return 0;
  }
  Value *lists[1] = {&list};
  if (const u32 e = descending ? SortListsDescending(1, lists) : SortListsAscending(1, lists)) {
    ItemListDelete(kFile, kList);
    return e;
  }
  const bool down = r.col1 == r.col2;
  const i32 span = down ? r.row2 - r.row1 + 1 : r.col2 - r.col1 + 1;
  const i32 n = static_cast<i32>(ItemListSize(kFile, kList));
  for (i32 i = 1; i <= span; ++i) {
    const i32 c = down ? r.col1 : r.col1 + i - 1, w = down ? r.row1 + i - 1 : r.row1;
    if (i > n) {
      // The cells behind the sorted numbers were empty: they stay so. Only
      // the range's own cells are touched, along a row as down a column.
      SheetClearValues(nullptr, c, w, 1);
      continue;
    }
    Value v;
    if (ItemListGet(kFile, kList, static_cast<u32>(i), &v) != 0 || SheetWriteValue(nullptr, c, w, &v) != 0) {
      ItemListDelete(kFile, kList);
      return kSheetErrMemory;
    }
  }
  ItemListDelete(kFile, kList);
  return 0;
}

u32 SheetSortAscending(const SheetRange *r) { return SheetSortRange(r, 0); }
u32 SheetSortDescending(const SheetRange *r) { return SheetSortRange(r, 1); }

u32 SheetWriteHistogramChecked(const BcdReal *start, const BcdReal *width, int create) {
  BcdReal low, high;
  NumParse("-1e98", &low);
  NumParse("1e98", &high);
  const BcdReal zero{};
  const bool startOk = RealCompare(kRealCmpGt, start, &low) == 1 && RealCompare(kRealCmpLt, start, &high) == 1;
  const bool widthOk = RealCompare(kRealCmpGt, width, &zero) == 1 && RealCompare(kRealCmpLt, width, &high) == 1;
  u32 size = 0;
  if (McsOpenInFolder(kSheetFolder, kSheetGraphCondItem, &size) != 0) {
    if (!create) return kSheetErrMemory;
    if (McsCreateInFolder(kSheetFolder, kSheetGraphCondItem, kSheetGraphCondBytes, nullptr) != 0)
      return kSheetErrMemory;
  }
  if (startOk && McsWriteInFolder(kSheetFolder, kSheetGraphCondItem, 12, start, 0) > 2) return kSheetErrMemory;
  if (widthOk && McsWriteInFolder(kSheetFolder, kSheetGraphCondItem, 12, width, 12) > 2) return kSheetErrMemory;
  return startOk && widthOk ? 0 : kSheetErrRange;
}

// ---- the statistics application's seams ----

void SheetWriteHistogram(const BcdReal *start, const BcdReal *width) { SheetWriteHistogramChecked(start, width, 1); }

u32 SheetReadRangeToList(const i16 range[4], u8 list) {
  SheetRange r{range[0], range[1], range[2], range[3]};
  // A corner outside the sheet (an unset range) is no range of numbers.
  if (r.col1 < 1 || r.col1 > kSheetCols || r.col2 < 1 || r.col2 > kSheetCols || r.row1 < 1 || r.row1 > kSheetRows ||
      r.row2 < 1 || r.row2 > kSheetRows)
    return kSheetErrLimit;
  return SheetReadRangeToListOpt(&r, 0, list, kSheetOptStat);
}

// ---- the statistics condition items ----

namespace {

constexpr u32 kErrVwin = 48;

bool RangeSound(const u16 *r, bool optional) {
  if (optional && r[0] == 0) return true;
  return r[0] >= 1 && r[0] <= kSheetCols && r[2] >= 1 && r[2] <= kSheetCols && r[1] >= 1 && r[1] <= kSheetRows &&
         r[3] >= 1 && r[3] <= kSheetRows;
}

bool GraphSound(const u8 *d, u32 size) {
  if (size != kSheetGraphCondBytes) return false;
  for (u32 b = 0; b < 5; ++b) {
    u16 w[16];
    std::memcpy(w, d + kSheetGraphBlocksAt + 32 * b, sizeof w);
    if (w[0] > 1 || w[1] < 1 || w[1] > 18 || w[14] > 2 || !RangeSound(w + 2, false) || !RangeSound(w + 6, false) ||
        !RangeSound(w + 10, true))
      return false;
  }
  return true;
}

bool CalcSound(const u8 *d, u32 size) {
  // The store keeps items in whole words: 44 bytes hold the 42.
  if (size < kSheetCalcCondBytes || size > kSheetCalcCondBytes + 3 || d[1] != 0 || d[0] < 9 || d[0] > 21) return false;
  for (u32 at = 2; at < kSheetCalcCondBytes; at += 8) {
    u16 w[4];
    std::memcpy(w, d + at, sizeof w);
    if (!RangeSound(w, at == 10 || at == 34)) return false;
  }
  return true;
}

void DefaultBlocks(u8 out[kSheetGraphBlockBytes]) {
  for (u32 b = 0; b < 5; ++b) {
    const u16 w[16] = {static_cast<u16>(b == 1), 1, 1, 1, 1, 5, 2, 1, 2, 5, 0, 0, 0, 0, 2, 0};
    std::memcpy(out + 32 * b, w, sizeof w);
  }
}

void DefaultCalc(u8 out[kSheetCalcCondBytes]) {
  std::memset(out, 0, kSheetCalcCondBytes);
  out[0] = 20;
  const u16 x[4] = {1, 1, 1, 5}, y[4] = {2, 1, 2, 5};
  std::memcpy(out + 2, x, 8);
  std::memcpy(out + 18, x, 8);
  std::memcpy(out + 26, y, 8);
}

// The item's bytes when it is sound; else it is made anew with the
// defaults first. 0 or an error code.
u32 ReadGraph(u8 buf[kSheetGraphBlockBytes]) {
  u32 size = 0;
  u8 *d = nullptr;
  if (McsOpenInFolderPtr(kSheetFolder, kSheetGraphCondItem, &size, &d) != 0 || !GraphSound(d, size)) {
    if (const u32 e = SheetResetGraphCond()) return e;
    if (McsOpenInFolderPtr(kSheetFolder, kSheetGraphCondItem, &size, &d) != 0 || !GraphSound(d, size))
      return kSheetErrMemory;
  }
  std::memcpy(buf, d + kSheetGraphBlocksAt, kSheetGraphBlockBytes);
  return 0;
}

}  // namespace

u32 SheetReadGraphCond(u8 buf[kSheetGraphBlockBytes]) { return ReadGraph(buf); }

u32 SheetWriteGraphBlocks(const u8 buf[kSheetGraphBlockBytes]) {
  u32 size = 0;
  if (McsOpenInFolder(kSheetFolder, kSheetGraphCondItem, &size) != 0 || size != kSheetGraphCondBytes) {
    // Made anew: the histogram starts at the V-Window's Xmin, width 1.
    McsDeleteInFolder(kSheetFolder, kSheetGraphCondItem);
    VwinRecord w;
    if (GmemReadVwin(&w) != 0 && (GmemResetVwin(1) != 0 || GmemReadVwin(&w) != 0)) return kErrVwin;
    BcdReal one;
    NumParse("1", &one);
    if (const u32 e = SheetWriteHistogramChecked(&w.f[kVwinXmin], &one, 1); e == kSheetErrMemory) return e;
  }
  const u32 r = McsWriteInFolder(kSheetFolder, kSheetGraphCondItem, kSheetGraphBlockBytes, buf, kSheetGraphBlocksAt);
  return r <= 2 ? 0 : kSheetErrMemory;
}

u32 SheetReadCalcCond(u8 buf[kSheetCalcCondBytes]) {
  u32 size = 0;
  u8 *d = nullptr;
  if (McsOpenInFolderPtr(kSheetFolder, kSheetCalcCondItem, &size, &d) != 0 || !CalcSound(d, size)) {
    if (const u32 e = SheetResetCalcCond()) return e;
    if (McsOpenInFolderPtr(kSheetFolder, kSheetCalcCondItem, &size, &d) != 0) return kSheetErrMemory;
  }
  std::memcpy(buf, d, kSheetCalcCondBytes);
  return 0;
}

u32 SheetWriteCalcCondItem(const u8 buf[kSheetCalcCondBytes]) {
  u32 size = 0;
  if (McsOpenInFolder(kSheetFolder, kSheetCalcCondItem, &size) != 0 || size < kSheetCalcCondBytes) {
    McsDeleteInFolder(kSheetFolder, kSheetCalcCondItem);
    if (McsCreateInFolder(kSheetFolder, kSheetCalcCondItem, kSheetCalcCondBytes, buf) != 0) return kSheetErrMemory;
    return 0;
  }
  return McsWriteInFolder(kSheetFolder, kSheetCalcCondItem, kSheetCalcCondBytes, buf, 0) <= 2 ? 0 : kSheetErrMemory;
}

u32 SheetResetGraphCond() {
  u8 blocks[kSheetGraphBlockBytes];
  DefaultBlocks(blocks);
  return SheetWriteGraphBlocks(blocks);
}

u32 SheetResetCalcCond() {
  u8 calc[kSheetCalcCondBytes];
  DefaultCalc(calc);
  return SheetWriteCalcCondItem(calc);
}

void SheetFillGraphRanges(i16 blocks[80], const SheetRange *sel) {
  const i16 cols = static_cast<i16>(sel->col2 - sel->col1 + 1);
  for (u32 g = 1; g <= 3; ++g) {
    i16 *b = blocks + 16 * g;
    if (b[0] != 1) continue;
    for (i16 k = 0; k < 3 && k < cols; ++k) {
      i16 *r = b + 2 + 4 * k;
      r[0] = r[2] = static_cast<i16>(sel->col1 + k);
      r[1] = sel->row1;
      r[3] = sel->row2;
    }
  }
}

void SheetFillCalcRanges(i16 cond[21], const SheetRange *sel) {
  // Words: 1-4 single-variable X, 9-12 paired X, 13-16 paired Y.
  const i16 x[4] = {sel->col1, sel->row1, sel->col1, sel->row2};
  std::memcpy(cond + 1, x, sizeof x);
  std::memcpy(cond + 9, x, sizeof x);
  if (sel->col2 > sel->col1) {
    const i16 y[4] = {static_cast<i16>(sel->col1 + 1), sel->row1, static_cast<i16>(sel->col1 + 1), sel->row2};
    std::memcpy(cond + 13, y, sizeof y);
  }
}

namespace {

// The StatGraphs of the sheet's blocks prepared and drawn: the drawing's
// result, or -21 after the error box.
i32 DrawGraphs(const u8 blocks[kSheetGraphBlockBytes], u32 direct) {
  i16 cond[29];
  if (const u32 e = StatSheetRangeCalc(cond, reinterpret_cast<const u16 *>(blocks))) {
    ErrBox(static_cast<i32>(e == kSheetErrLimit ? kSheetErrRange : e));
    return -21;
  }
  return StatDrawGraphsCode(cond, direct);
}

i32 ScreenResult(i32 r) { return r == -1 ? -22 : -21; }

}  // namespace

i32 SheetStatCommand(u32 command, const SheetRange *sel) {
  // The whole graph record: start and width, then the blocks, as the
  // set-up screens edit it.
  alignas(2) u8 record[kSheetGraphCondBytes] = {};
  u8 *blocks = record + kSheetGraphBlocksAt;
  alignas(2) u8 calc[kSheetCalcCondBytes];
  if (ReadGraph(blocks) != 0 || SheetReadCalcCond(calc) != 0) {
    ErrBox(kSheetErrMemory);
    return -2;
  }
  i16 *words = reinterpret_cast<i16 *>(blocks);
  if (command == 0) return DrawGraphs(blocks, 0);
  words[0] = 0;
  words[64] = 0;
  if (command >= 5 && command <= 9) {
    if (command <= 7)
      for (u32 g = 1; g <= 3; ++g) words[16 * g] = g == command - 4 ? 1 : 0;
    if (sel) SheetFillGraphRanges(words, sel);
    if (const u32 e = SheetWriteGraphBlocks(blocks)) {
      ErrBox(static_cast<i32>(e));
      return -21;
    }
    if (command <= 7) return DrawGraphs(blocks, 1);
    u16 *rec = reinterpret_cast<u16 *>(record);
    if (command == 9) return ScreenResult(StatGraphSetupScreen(nullptr, rec));
    const i32 r = StatGraphSelectScreen(nullptr, rec);
    if (r != -10) return ScreenResult(r);
    ReadGraph(blocks);
    return DrawGraphs(blocks, 1);
  }
  if (command == 13) {
    if (sel) SheetFillCalcRanges(reinterpret_cast<i16 *>(calc), sel);
    SheetWriteCalcCondItem(calc);
    return ScreenResult(StatCalcSetupScreen(nullptr, calc));
  }
  static const u8 kTypes[] = {20, 19, 21, 0, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  if (command < 10 || command > 23 || kTypes[command - 10] == 0) return -21;
  calc[0] = kTypes[command - 10];
  SheetWriteCalcCondItem(calc);
  const i32 r = StatRunCalcMenu(kTypes[command - 10], 1);
  if (r == -21 || r == -13 || r == -12 || r == -2 || r == 0) return -21;
  return r == -1 ? -22 : r;
}
