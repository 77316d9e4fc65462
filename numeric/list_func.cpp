// List functions: cumulative sums, percentages, List->Mat(, Fill(, the
// transposition and Augment(.
#include "numeric/list_func.h"

#include <cstring>

#include "kernel/heap.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_stats.h"

namespace {

bool IsList(const Value *v) { return ValKind(v) == kValKindList; }
bool IsMat(const Value *v) { return ValKind(v) == kValKindMatrix; }

int Fail(Value *out, u8 code) {
  ArrFail(out, code);
  return 0;
}

// Copies the elements of a (count elements, complex or not) into a block of
// `total` elements at position `at` and on, in a block with two parts when
// `two`; the imaginary half of a real source is left as zero.
void CopyElems(const ArrInfo &a, BcdReal *dst, u32 total, bool two, u32 at, u32 stride, u32 step) {
  const BcdReal *src = ArrElems(a.handle);
  for (u32 i = 0; i < a.count; ++i) {
    Value v;
    ArrGet(src, a.count, a.complex, i, &v);
    ArrPut(dst, total, two, at + (i / step) * stride + (i % step), &v);
  }
}

}  // namespace

int ListCuml(const Value *list, Value *out) {
  if (ValErrorCode(list) != 0) {
    *out = *list;
    return 0;
  }
  const ArrInfo a = ArrInfoOf(list);
  const u32 n = a.count, parts = a.complex ? 2 : 1;
  const MemHandle h = MemAlloc(n * 12 * parts);
  if (h == 0) return Fail(out, kArrErrMemory);
  const BcdReal *src = ArrElems(a.handle);
  BcdReal *dst = ArrElems(h);
  Value s, x, t;
  ArrInt(0, &s);
  for (u32 i = 0; i < n; ++i) {
    ArrGet(src, n, a.complex, i, &x);
    ValAddMaru(&s, &x, &t, 1);
    ValNormalize(&t, &s);
    if (ValErrorCode(&s) != 0) {
      MemFree(h);
      *out = s;
      return 0;
    }
    ArrPut(dst, n, parts == 2, i, &s);
  }
  ArrSetList(out, a.complex, static_cast<u16>(n), h);
  return 1;
}

int ListPercent(const Value *list, Value *out, Value *scratch) {
  Value cnt;
  if (!ListCountAsReal(list, &cnt)) {
    *out = cnt;
    *scratch = cnt;
    return 0;
  }
  const ArrInfo a = ArrInfoOf(list);
  const u32 n = a.count;
  const BcdReal *src = ArrElems(a.handle);
  BcdReal zero;
  RealSetZero(&zero);
  for (u32 i = 0; i < n; ++i) {
    BcdReal x = src[i];
    if (RealIsLess(&x, &zero) == 1) {
      ArrFail(scratch, kArrErrMath);
      return Fail(out, kArrErrMath);
    }
  }
  const MemHandle h = MemAlloc(n * 12);
  if (h == 0) {
    ArrFail(scratch, kArrErrMemory);
    return Fail(out, kArrErrMemory);
  }
  if (!ListSum(list, scratch)) {
    MemFree(h);
    return Fail(out, kArrErrMath);
  }
  src = ArrElems(a.handle);
  BcdReal *dst = ArrElems(h);
  Value hundred;
  ArrInt(100, &hundred);
  for (u32 i = 0; i < n; ++i) {
    Value x, q, qn, r;
    ArrGet(src, n, a.complex, i, &x);
    ValDiv(&x, scratch, &q, 0);
    ValNormalize(&q, &qn);
    ValMul(&qn, &hundred, &r, 0);
    if (ValErrorCode(&r) != 0) {
      MemFree(h);
      *out = r;
      return 0;
    }
    dst[i] = r.re;
    dst[i].b[0] &= 0x7F;
  }
  ArrSetList(out, false, static_cast<u16>(n), h);
  return 1;
}

namespace {

Value *Token(const Value *v, Value *out, int which) {
  if (ValErrorCode(v) != 0) {
    if (v != out) *out = *v;
    return out;
  }
  if (!IsList(v)) {
    ArrFail(out, kArrErrMath);
    return out;
  }
  const Value list = *v;
  Value scratch;
  switch (which) {
    case 0: ListSum(&list, out); break;
    case 1: ListProd(&list, out); break;
    case 2: ListCuml(&list, out); break;
    default: ListPercent(&list, out, &scratch); break;
  }
  return out;
}

}  // namespace

Value *ListSumToken(const Value *v, Value *out) { return Token(v, out, 0); }
Value *ListProdToken(const Value *v, Value *out) { return Token(v, out, 1); }
Value *ListCumlToken(const Value *v, Value *out) { return Token(v, out, 2); }
Value *ListPercentToken(const Value *v, Value *out) { return Token(v, out, 3); }

int ListToMatColumn(const Value *list, Value *out) {
  if (ValErrorCode(list) != 0) return 0;
  const ArrInfo a = ArrInfoOf(list);
  if (a.count < 1 || a.count > kValMatrixMax) return Fail(out, kArrErrDimension);
  const u32 parts = a.complex ? 2 : 1;
  const MemHandle h = MemAlloc(a.count * 12 * parts);
  if (h == 0) return Fail(out, kArrErrMemory);
  std::memcpy(MemDeref(h), MemDeref(a.handle), a.count * 12 * parts);
  ArrSetMatrix(out, a.complex, a.rows, 1, h);
  return 1;
}

int ListPairToMat(const Value *a, const Value *b, Value *out) {
  if (ValErrorCode(a) != 0 || ValErrorCode(b) != 0) return 0;
  const ArrInfo ia = ArrInfoOf(a), ib = ArrInfoOf(b);
  if (ia.count < 1 || ia.count > kValMatrixMax || ia.count != ib.count) return Fail(out, kArrErrDimension);
  const bool two = ia.complex || ib.complex;
  const u32 n = ia.count, total = 2 * n;
  const MemHandle h = MemAlloc(total * 12 * (two ? 2 : 1));
  if (h == 0) return Fail(out, kArrErrMemory);
  BcdReal *dst = ArrElems(h);
  std::memset(dst, 0, total * 12 * (two ? 2 : 1));
  CopyElems(ia, dst, total, two, 0, 2, 1);
  CopyElems(ib, dst, total, two, 1, 2, 1);
  ArrSetMatrix(out, two, static_cast<u16>(n), 2, h);
  return 1;
}

int MatAppendListColumn(const Value *list, const Value *mat, Value *out) {
  if (ValErrorCode(list) != 0 || ValErrorCode(mat) != 0) return 0;
  const ArrInfo il = ArrInfoOf(list), im = ArrInfoOf(mat);
  const bool two = il.complex || im.complex;
  const u32 cols = im.cols + 1u, total = static_cast<u32>(im.rows) * cols;
  if (total * 12 * (two ? 2 : 1) > 65519 || cols > kValMatrixMax) return Fail(out, kArrErrMemory);
  if (im.rows != il.count) return Fail(out, kArrErrDimension);
  const MemHandle h = MemAlloc(total * 12 * (two ? 2 : 1));
  if (h == 0) return Fail(out, kArrErrMemory);
  BcdReal *dst = ArrElems(h);
  std::memset(dst, 0, total * 12 * (two ? 2 : 1));
  CopyElems(im, dst, total, two, 0, cols, im.cols);
  CopyElems(il, dst, total, two, im.cols, cols, 1);
  ArrSetMatrix(out, two, im.rows, static_cast<u16>(cols), h);
  return 1;
}

namespace {

int Fill(const Value *v, Value *arr, bool matrix) {
  if (ValErrorCode(arr) != 0) return 0;
  const Value val = *v;
  if (ValErrorCode(&val) != 0) {
    *arr = val;
    return 0;
  }
  const ArrInfo a = ArrInfoOf(arr);
  const bool vc = ValIsComplex(&val) == 1;
  const bool two = vc || a.complex;
  const u32 need = a.count * 12 * (two ? 2 : 1);
  MemHandle h = a.handle;
  const u32 where = MemClassify(h);
  if (where == kArrUnknownBlock) return Fail(arr, kArrErrMemory);
  if (MemRoom(h) < need) {
    // Room for the imaginary parts: a heap block grows; a stored block must
    // have been made complex by the caller.
    if (where != kArrHeapBlock || MemRealloc(h, need) == 0) return Fail(arr, kArrErrMemory);
  }
  BcdReal *e = ArrElems(h);
  for (u32 i = 0; i < a.count; ++i) ArrPut(e, a.count, two, i, &val);
  if (matrix) ArrSetMatrix(arr, vc, a.rows, a.cols, h);
  else ArrSetList(arr, vc, a.rows, h);
  return 1;
}

}  // namespace

int ListFill(const Value *v, Value *list) { return Fill(v, list, false); }
int MatFill(const Value *v, Value *mat) { return Fill(v, mat, true); }

int MatTranspose(const Value *m, Value *out) {
  const ArrInfo a = ArrInfoOf(m);
  if (a.rows > kValMatrixMax || a.cols > kValMatrixMax) return Fail(out, kArrErrDimension);
  const u32 parts = a.complex ? 2 : 1;
  const MemHandle h = MemAlloc(a.count * 12 * parts);
  if (h == 0) return Fail(out, kArrErrMemory);
  const BcdReal *src = ArrElems(a.handle);
  BcdReal *dst = ArrElems(h);
  for (u32 i = 0; i < a.rows; ++i) {
    for (u32 j = 0; j < a.cols; ++j) {
      Value v;
      ArrGet(src, a.count, a.complex, i * a.cols + j, &v);
      ArrPut(dst, a.count, a.complex, j * a.rows + i, &v);
    }
  }
  ArrSetMatrix(out, a.complex, a.cols, a.rows, h);
  return 1;
}

int MatAugment(const Value *a, const Value *b, Value *out) {
  const ArrInfo ia = ArrInfoOf(a), ib = ArrInfoOf(b);
  if (!IsMat(a) || !IsMat(b)) return Fail(out, kArrErrMath);
  if (ia.rows != ib.rows || ia.cols + ib.cols > kValMatrixMax) return Fail(out, kArrErrDimension);
  const bool two = ia.complex || ib.complex;
  const u32 cols = ia.cols + ib.cols, total = ia.rows * cols;
  const MemHandle h = MemAlloc(total * 12 * (two ? 2 : 1));
  if (h == 0) return Fail(out, kArrErrMemory);
  BcdReal *dst = ArrElems(h);
  std::memset(dst, 0, total * 12 * (two ? 2 : 1));
  CopyElems(ia, dst, total, two, 0, cols, ia.cols);
  CopyElems(ib, dst, total, two, ia.cols, cols, ib.cols);
  ArrSetMatrix(out, two, ia.rows, static_cast<u16>(cols), h);
  return 1;
}
