// Lists and matrices of main memory as values in place.
#include "numeric/list_mem.h"

#include <cstring>

#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_stats.h"
#include "numeric/sort.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"

namespace {

// The item's data size, or 0 when the item does not exist.
u32 ItemSize(u8 kind, const char *name) {
  u32 size = 0;
  u8 *data = nullptr;
  if (name[0] == 0) return 0;
  if (McsFindItem(McsKindFolder(kind), name, nullptr, nullptr, &data, &size) != 0) return 0;
  return size;
}

}  // namespace

int ListFromMemory(int file, int list, Value *out) {
  // Numbers are refused outside the byte range, never taken modulo 256.
  if (file < 0 || file > 255 || list < 0 || list > 255) return ArrFail(out, kArrErrMemory), 0;
  char name[9];
  ItemListName(static_cast<u8>(file), static_cast<u8>(list), name);
  const u32 size = ItemSize(kMcsKindList, name);
  if (size < kItemArrayHeader) return ArrFail(out, kArrErrMemory), 0;
  const u32 n = ItemListSize(static_cast<u8>(file), static_cast<u8>(list));
  const MemHandle h = MemRefHandle(McsKindFolder(kMcsKindList), name, kItemArrayHeader);
  if (h == 0) return ArrFail(out, kArrErrMemory), 0;
  ArrSetList(out, 12 * n != size - kItemArrayHeader, static_cast<u16>(n), h);
  return 1;
}

int ListRecall(int list, Value *out) { return ListFromMemory(0, list, out); }

int ListElementRecall(int list, u32 k, Value *out) {
  if (list < 0 || list > 255) return 0;
  BcdReal parts[2];
  bool complex = false;
  if (ItemListGetParts(0, static_cast<u8>(list), k, &parts[0], &parts[1], &complex) != 0) return 0;
  // The element as a one-element array of its stored parts.
  ArrGet(parts, 1, complex, 0, out);
  return 1;
}

int MatFromMemory(int matrix, Value *out) {
  if (matrix < 0 || matrix > 99) return ArrFail(out, kArrErrMemory), 0;
  char name[9];
  ItemMatName(static_cast<u8>(matrix), name);
  u32 rows = 0, cols = 0;
  if (name[0] == 0 || ItemMatDims(static_cast<u8>(matrix), &rows, &cols) != 0) return ArrFail(out, kArrErrMemory), 0;
  const u32 size = ItemSize(kMcsKindMatrix, name);
  if (size < kItemArrayHeader) return ArrFail(out, kArrErrMemory), 0;
  const MemHandle h = MemRefHandle(McsKindFolder(kMcsKindMatrix), name, kItemArrayHeader);
  if (h == 0) return ArrFail(out, kArrErrMemory), 0;
  ArrSetMatrix(out, rows * cols * 12 != size - kItemArrayHeader, static_cast<u16>(rows), static_cast<u16>(cols), h);
  return 1;
}

int MatRecallByToken(const u8 *token, Value *out) {
  int m = -1;
  if (token[0] >= 'A' && token[0] <= 'Z') m = token[0] - 'A' + 1;
  else if (token[0] == 0xC0) m = 0;
  return MatFromMemory(m, out);
}

u32 ListCopyRealElements(const Value *list, BcdReal *out) {
  if (ValErrorCode(list) != 0) return ValErrorCode(list);
  const ArrInfo a = ArrInfoOf(list);
  const BcdReal *e = ArrElems(a.handle);
  if (e == nullptr) return kArrErrMemory;
  for (u32 i = 0; i < a.count; ++i) {
    Value v;
    ArrGet(e, a.count, a.complex, i, &v);
    out[i] = v.re;
    if (ValIsComplex(&v) == 1) RealMakeError(kArrErrNonReal, &out[i]);
  }
  // Only a heap block is the list's own to release.
  ArrFreeHeap(a.handle);
  return 0;
}

namespace {

// Work arrays of the statistics routines, freed on every path.
struct Work {
  MemHandle h[2] = {0, 0};
  ~Work() {
    for (MemHandle x : h)
      if (x) MemFree(x);
  }
};

u32 FailCode(u32 code, Value *out) {
  ArrFail(out, static_cast<u8>(code));
  return code;
}

BcdReal Decimal(const BcdReal &x) {
  BcdReal d;
  RealFracToDecimal(&x, &d);
  return d;
}

}  // namespace

u32 ListModes(u8 dataList, u32 freqList, Value *out) {
  Value data, freq;
  if (!ListFromMemory(0, dataList, &data)) return FailCode(kArrErrMath, out);
  if (ValIsComplex(&data) == 1) return FailCode(kArrErrComplexList, out);
  const u32 n = ArrInfoOf(&data).count;
  if (n == 0) return FailCode(kArrErrDimension, out);
  Work w;
  w.h[0] = MemAlloc(n * 12);
  w.h[1] = MemAlloc(n * 12);
  if (w.h[0] == 0 || w.h[1] == 0) return FailCode(kArrErrMemory, out);
  BcdReal *f = ArrElems(w.h[1]);
  if (freqList == 0) {
    for (u32 i = 0; i < n; ++i) RealSetOne(&f[i]);
  } else {
    if (freqList > 255 || !ListFromMemory(0, static_cast<int>(freqList), &freq)) return FailCode(kArrErrMath, out);
    if (ValIsComplex(&freq) == 1) return FailCode(kArrErrComplexList, out);
    if (ArrInfoOf(&freq).count != n) return FailCode(kArrErrDimension, out);
    Value total;
    if (!ListSum(&freq, &total)) return FailCode(kArrErrMath, out);
    BcdReal zero;
    RealSetZero(&zero);
    if (RealIsEqual(&total.re, &zero) == 1) return FailCode(kArrErrMath, out);
    std::memcpy(f, MemDeref(ArrInfoOf(&freq).handle), n * 12);
  }
  if (KeyBreakPoll() != 0) return FailCode(kArrErrBreak, out);
  std::memcpy(MemDeref(w.h[0]), MemDeref(ArrInfoOf(&data).handle), n * 12);
  if (u32 r = ListHeapSortPair(static_cast<int>(n), w.h[0], w.h[1])) return FailCode(r, out);
  // Equal values merged from the end; a merged entry's frequency becomes a
  // sentinel below every real frequency.
  BcdReal *d = ArrElems(w.h[0]);
  f = ArrElems(w.h[1]);
  BcdReal sentinel;
  NumParse("-9.99999999999999e99", RealSetZero(&sentinel));
  for (u32 i = n - 1; i >= 1; --i) {
    BcdReal a = Decimal(d[i]), b = Decimal(d[i - 1]);
    if (RealIsEqual(&a, &b) == 1) {
      BcdReal s;
      RealAdd(&f[i - 1], &f[i], &s);
      if (ValErrorCode(&s) != 0) return FailCode(kArrErrMath, out);
      f[i - 1] = s;
      f[i] = sentinel;
    }
  }
  if (KeyBreakPoll() != 0) return FailCode(kArrErrBreak, out);
  if (u32 r = ListHeapSortPairDesc(static_cast<int>(n), w.h[1], w.h[0])) return FailCode(r, out);
  d = ArrElems(w.h[0]);
  f = ArrElems(w.h[1]);
  std::memset(out, 0, sizeof *out);
  out->re = f[0];
  u32 k = 1;
  const BcdReal top = Decimal(f[0]);
  while (k < n) {
    BcdReal x = Decimal(f[k]);
    if (RealIsNotEqual(&x, &top) != 0) break;
    ++k;
  }
  if (u32 r = ListHeapSort(static_cast<int>(k), w.h[0])) return FailCode(r, out);
  if (ItemListCreate(0, 0, k) != 0) return FailCode(kArrErrMemory, out);
  d = ArrElems(w.h[0]);
  for (u32 i = 0; i < k; ++i) {
    Value v;
    std::memset(&v, 0, sizeof v);
    v.re = d[i];
    if (ItemListSet(0, 0, i + 1, &v) != 0) return FailCode(kArrErrMemory, out);
  }
  return 0;
}

u32 ListNormalQuantile(const BcdReal *p, BcdReal *out) {
  BcdReal zero, one;
  RealSetZero(&zero);
  RealSetOne(&one);
  if (ValErrorCode(p) != 0) {
    *out = *p;
    return ValErrorCode(p);
  }
  // The quantiles of 0 and 1 are infinite.
  if (RealIsLessEqual(p, &zero) != 0 || RealIsGreaterEqual(p, &one) != 0) {
    RealMakeError(kArrErrMath, out);
    return kArrErrMath;
  }
  if (KeyBreakPoll() != 0) return kArrErrBreak;
  // y = -ln(4pq); z = sqrt(y P(y)) by Horner's rule.
  static const char *kCoef[] = {"6.936233982e-13", "3.657763036e-11", "-3.231081277e-9", "8.360937017e-8",
                                "-1.04527497e-6",  "5.824238515e-6",  "6.841218299e-6",  "-2.250947176e-4",
                                "-8.364353589e-4", "3.706987906e-2",  "1.570796288"};
  Value pv, qv, four, t, u, y, acc, c, s, z;
  std::memset(&pv, 0, sizeof pv);
  pv.re = *p;
  ArrInt(1, &t);
  ValSub(&t, &pv, &qv, 0);
  ArrInt(4, &four);
  ValMul(&four, &pv, &t, 0);
  ValMul(&t, &qv, &u, 0);
  ValLn(&u, &t, 0);
  ValNeg(&t, &y);
  ArrInt(0, &acc);
  for (const char *k : kCoef) {
    std::memset(&c, 0, sizeof c);
    NumParse(k, &c.re);
    ValMul(&acc, &y, &t, 0);
    ValAdd(&t, &c, &acc, 0);
  }
  ValMul(&y, &acc, &s, 0);
  ValSqrt(&s, &z, 0);
  BcdReal half;
  RealSetHalf(&half);
  if (RealIsGreaterEqual(&qv.re, &half) == 1) ValNeg(&z, &z);
  ValNormalize(&z, &z);
  *out = z.re;
  return ValErrorCode(&z);
}

u32 ListSortedWorkCopy(int srcList, int sortedList, u8 quantileList) {
  Value src;
  if (!ListFromMemory(0, srcList, &src) || ArrInfoOf(&src).kind != kValRealList) return kArrErrComplexList;
  const u32 n = ArrInfoOf(&src).count;
  if (sortedList < 0 || sortedList > 255) return kArrErrMemory;
  if (ItemListCreate(255, static_cast<u8>(sortedList), n) != 0) return kArrErrMemory;
  for (u32 i = 1; i <= n; ++i) {
    Value v;
    if (ItemListGet(0, static_cast<u8>(srcList), i, &v) != 0 ||
        ItemListSet(255, static_cast<u8>(sortedList), i, &v) != 0)
      return kArrErrMemory;
    if (KeyBreakPoll() != 0) return kArrErrBreak;
  }
  Value sorted;
  if (!ListFromMemory(255, sortedList, &sorted)) return kArrErrMemory;
  if (u32 r = ListHeapSort(static_cast<int>(n), ArrInfoOf(&sorted).handle)) return r;
  if (ItemListCreate(255, quantileList, n) != 0) return kArrErrMemory;
  for (u32 i = 1; i <= n; ++i) {
    // p = (2i - 1) / (2n) as an exact fraction.
    BcdReal num, den, p, z;
    NumFromInt32(static_cast<i32>(2 * i - 1), RealSetZero(&num));
    NumFromInt32(static_cast<i32>(2 * n), RealSetZero(&den));
    RealDivToFrac(&num, &den, &p);
    if (u32 r = ListNormalQuantile(&p, &z)) return r;
    Value v;
    std::memset(&v, 0, sizeof v);
    v.re = z;
    if (ItemListSet(255, quantileList, i, &v) != 0) return kArrErrMemory;
  }
  return 0;
}
