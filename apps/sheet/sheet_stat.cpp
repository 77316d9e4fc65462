// Cell ranges read into lists, sorting of a range, and the histogram
// setting the statistics application hands over.
#include "apps/sheet/sheet_stat.h"

#include <algorithm>
#include <cstring>

#include "apps/sheet/sheet_eval.h"
#include "apps/stat/stat_glue.h"
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

u32 SheetReadRangeToList(const u8 *range, u8 list) {
  const char *p = reinterpret_cast<const char *>(range);
  i16 a[2], b[2];
  if (!SheetParseCellRef(a, &p) || *p++ != ':' || !SheetParseCellRef(b, &p) || *p) return kSheetErrSyntax;
  SheetRange r{a[0], a[1], b[0], b[1]};
  return SheetReadRangeToListOpt(&r, 0, list, kSheetOptStat);
}
