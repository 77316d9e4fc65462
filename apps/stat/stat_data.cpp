// Statistics list numbers over the list items of main memory, range checks
// and the data readers of the tests and intervals.
#include "apps/stat/stat_data.h"

#include <vector>

#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/value.h"
#include "numeric/list_mem.h"
#include "numeric/list_stats.h"
#include "ui/setup.h"

using namespace statreal;

namespace {

u32 Check(const BcdReal *x, bool ok) { return IsErr(*x) ? RealErrorCode(x) : ok ? 0 : kStatErrMa; }
bool Whole(const BcdReal *x) { return RealIsInteger(x) == 1; }

// <file, list> of a statistics list number: 1 when it names one.
bool Locate(u32 list, u8 *file, u8 *num) {
  if (list <= 26) return *file = 0, *num = static_cast<u8>(list), true;
  if (list > 100 && list <= 355) return *file = 255, *num = static_cast<u8>(list - 100), true;
  return false;
}

}  // namespace

u32 StatCheckPosInt(const BcdReal *x) { return Check(x, Gt(*x, Zero()) && Whole(x)); }
u32 StatCheckNonNegInt(const BcdReal *x) { return Check(x, Ge(*x, Zero()) && Whole(x)); }
u32 StatCheckNonNeg(const BcdReal *x) { return Check(x, Ge(*x, Zero())); }
u32 StatCheckPositive(const BcdReal *x) { return Check(x, Gt(*x, Zero())); }
u32 StatCheckUnitOpen(const BcdReal *x) { return Check(x, Ge(*x, Zero()) && Lt(*x, One())); }
u32 StatCheckProb(const BcdReal *x) { return Check(x, Ge(*x, Zero()) && Le(*x, One())); }

u32 StatTwoTermRoot(const BcdReal *a, const BcdReal *b, BcdReal *out) {
  const R &l = Ge(*a, *b) ? *a : *b, &m = Ge(*a, *b) ? *b : *a;
  if (Eq(l, Zero())) return *out = Zero(), 0;
  const R r = Div(m, l), q = Sqrt(Add(One(), Mul(r, r)));
  if (IsErr(q) || Gt(l, Div(Limit(), q))) return kStatErrMa;
  *out = Mul(l, q);
  return IsErr(*out) ? kStatErrMa : 0;
}

u32 StatDataListSize(u32 list, u32 *count) {
  u8 file, num;
  *count = 0;
  if (!Locate(list, &file, &num)) return kStatErrSystem;
  *count = ItemListSize(file, num);
  return 0;
}

u32 StatDataListGet(u32 list, u32 i, BcdReal *out) {
  u8 file, num;
  if (!Locate(list, &file, &num)) return kStatErrSystem;
  Value v{};
  if (ItemListGet(file, num, i, &v) != 0) return kStatErrMemory;
  if (ValIsComplex(&v) == 1) return kStatErrComplexList;
  *out = v.re;
  return 0;
}

u32 StatDataListSet(u32 list, u32 i, const BcdReal *x) {
  u8 file, num;
  if (!Locate(list, &file, &num)) return kStatErrSystem;
  Value v{};
  v.re = *x;
  RealSetZero(&v.im);
  return ItemListSet(file, num, i, &v) == 0 ? 0 : kStatErrMemory;
}

u32 StatDataListCreate(u32 list, u32 count) {
  u8 file, num;
  if (!Locate(list, &file, &num)) return kStatErrSystem;
  return ItemListCreate(file, num, count) == 0 ? 0 : kStatErrMemory;
}

void StatDataListDelete(u32 list) {
  u8 file, num;
  if (Locate(list, &file, &num)) ItemListDelete(file, num);
}

u32 StatMatDims(u32 m, u32 *rows, u32 *cols) {
  *rows = *cols = 0;
  if (m > 255) return kStatErrMemory;
  return ItemMatDims(static_cast<u8>(m), rows, cols) == 0 ? 0 : kStatErrMemory;
}

u32 StatMatGetReal(u32 m, u32 r, u32 c, BcdReal *out) {
  Value v{};
  if (m > 255 || ItemMatGet(static_cast<u8>(m), r, c, &v) != 0) return kStatErrMemory;
  if (ValIsComplex(&v) == 1) return kStatErrComplexMatrix;
  const R zero = Zero();
  RealAdd(&zero, &v.re, out);
  RealNormalize(out, out);
  return 0;
}

u32 StatReadDataList(BcdReal *n, u32 list, u32 freqList, BcdReal *mean, BcdReal *sx) {
  u32 c = 0;
  if (u32 e = StatDataListSize(list, &c)) return e;
  if (c < 1) return kStatErrDimension;
  u8 file = 0, num = 0;
  Locate(list, &file, &num);
  Value data{}, freq{}, r[6]{};
  Value *out[6] = {&r[0], &r[1], &r[2], &r[3], &r[4], &r[5]};
  if (!ListFromMemory(file, num, &data)) return kStatErrMemory;
  int ok;
  if (freqList == 0) {
    ok = ListOneVarStats(&data, out);
  } else {
    u32 fc = 0;
    if (u32 e = StatDataListSize(freqList, &fc)) return e;
    if (fc != c) return kStatErrDimension;
    for (u32 i = 1; i <= c; ++i) {
      BcdReal f;
      if (u32 e = StatDataListGet(freqList, i, &f)) return e;
      if (u32 e = StatCheckNonNegInt(&f)) return e;
    }
    u8 ffile = 0, fnum = 0;
    Locate(freqList, &ffile, &fnum);
    if (!ListFromMemory(ffile, fnum, &freq)) return kStatErrMemory;
    ok = ListOneVarStatsFreq(&data, &freq, out);
  }
  if (!ok) {
    const u32 e = RealErrorCode(&r[0].re);
    return e ? e : kStatErrMa;
  }
  if (u32 e = RealErrorCode(&r[0].re)) return e;
  *n = r[0].re;
  if (u32 e = RealErrorCode(&r[1].re)) return e;
  *mean = r[1].re;
  *sx = r[5].re;
  return RealErrorCode(&r[5].re);
}

u32 StatSumCrossDev(u32 xList, u32 yList, u32 freqList, BcdReal xMean, BcdReal yMean, BcdReal *out) {
  u32 nx = 0, ny = 0, nf = 0;
  if (u32 e = StatDataListSize(xList, &nx)) return e;
  if (u32 e = StatDataListSize(yList, &ny)) return e;
  if (nx != ny) return kStatErrDimension;
  if (freqList != 0) {
    if (u32 e = StatDataListSize(freqList, &nf)) return e;
    if (nf != nx) return kStatErrDimension;
  }
  R sum = Zero();
  for (u32 i = 1; i <= nx; ++i) {
    R x, y;
    if (u32 e = StatDataListGet(xList, i, &x)) return e;
    if (u32 e = StatDataListGet(yList, i, &y)) return e;
    R term = Mul(Sub(x, xMean), Sub(y, yMean));
    if (freqList != 0) {
      R f;
      if (u32 e = StatDataListGet(freqList, i, &f)) return e;
      if (u32 e = StatCheckNonNegInt(&f)) return e;
      term = Mul(term, f);
    }
    sum = Add(sum, term);
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  *out = sum;
  return RealErrorCode(&sum);
}

u32 StatSortIndexByList(u32 list, u32 *index) {
  u32 c = 0;
  if (u32 e = StatDataListSize(list, &c)) return e;
  std::vector<R> key(c);
  for (u32 i = 0; i < c; ++i)
    if (u32 e = StatDataListGet(list, i + 1, &key[i])) return e;
  // Bottom-up merge sort into a work copy sized to the list.
  std::vector<u32> work(c);
  for (u32 w = 2; w / 2 < c; w *= 2) {
    for (u32 i = 0; i < c; ++i) work[i] = index[i];
    for (u32 k = 0; k < c; k += w) {
      const u32 mid = k + w / 2 < c ? k + w / 2 : c, end = k + w < c ? k + w : c;
      u32 a = k, b = mid, o = k;
      while (a < mid && b < end) index[o++] = Le(key[work[a]], key[work[b]]) ? work[a++] : work[b++];
      while (a < mid) index[o++] = work[a++];
      while (b < end) index[o++] = work[b++];
      if (KeyBreakPoll() != 0) return kStatErrBreak;
    }
  }
  return 0;
}
