// The elementary row operations on a stored matrix.
#include "numeric/mat_rowop.h"

#include <cstring>
#include <vector>

#include "kernel/heap.h"
#include "memory/item_array.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_mem.h"
#include "ui/setup.h"

u32 MatRowOperation(u8 matrix, u8 code, const Value *k, int m, int n) {
  Value stored;
  if (!MatFromMemory(matrix, &stored)) return kArrErrMemory;
  const ArrInfo a = ArrInfoOf(&stored);
  // Rows are checked before anything is read: 1..rows, and 0 only as the
  // absent second row of *Row.
  if (m < 1 || m > a.rows) return kArrErrDimension;
  if (code == kMatRowScale ? (n < 0 || n > a.rows) : (n < 1 || n > a.rows)) return kArrErrDimension;
  const u32 cf = SetupGetItem(kSetupComplexMode) != 0 ? 1 : 0;
  const u32 cols = a.cols;
  const BcdReal *e = ArrElems(a.handle);
  if (e == nullptr) return kArrErrMemory;
  const u32 rm = static_cast<u32>(m - 1), rn = n > 0 ? static_cast<u32>(n - 1) : rm;
  // The trial pass: every new element, nothing written yet.
  std::vector<Value> row(cols);
  u32 target = code == kMatRowScale ? rm : rn;
  bool anyComplex = false;
  for (u32 c = 0; c < cols; ++c) {
    Value x, y, t, r;
    ArrGet(e, a.count, a.complex, rm * cols + c, &x);
    ArrGet(e, a.count, a.complex, rn * cols + c, &y);
    switch (code) {
      case kMatRowSwap: r = x; break;
      case kMatRowScale: ValMul(k, &x, &t, cf); r = t; break;
      case kMatRowScaleAdd: ValMul(k, &x, &t, cf); ValAdd(&t, &y, &r, cf); break;
      case kMatRowAdd: ValAdd(&x, &y, &r, cf); break;
      default: return kArrErrMath;
    }
    if (ValErrorCode(&r) != 0) return ValErrorCode(&r);
    ValNormalize(&r, &row[c]);
    if (ValErrorCode(&row[c]) != 0) return ValErrorCode(&row[c]);
    if (ValIsComplex(&row[c]) == 1) anyComplex = true;
  }
  // The changed matrix in a heap block, stored in one step.
  const bool complex = a.complex || anyComplex;
  const u32 bytes = a.count * 12 * (complex ? 2 : 1);
  const MemHandle h = MemAlloc(bytes);
  if (h == 0) return kArrErrMemory;
  BcdReal *w = ArrElems(h);
  std::memset(w, 0, bytes);
  e = ArrElems(a.handle);
  for (u32 i = 0; i < a.count; ++i) {
    Value v;
    ArrGet(e, a.count, a.complex, i, &v);
    ArrPut(w, a.count, complex, i, &v);
  }
  if (code == kMatRowSwap) {
    for (u32 c = 0; c < cols; ++c) {
      Value y;
      ArrGet(e, a.count, a.complex, rn * cols + c, &y);
      ArrPut(w, a.count, complex, rm * cols + c, &y);
    }
  }
  for (u32 c = 0; c < cols; ++c) ArrPut(w, a.count, complex, target * cols + c, &row[c]);
  Value v;
  ArrSetMatrix(&v, complex, a.rows, a.cols, h);
  const u32 r = ItemMatStoreValue(matrix, &v);
  MemFree(h);
  return r == 0 ? 0 : kArrErrMemory;
}

namespace {

u8 Number(char matrix) { return matrix >= 'A' && matrix <= 'Z' ? static_cast<u8>(matrix - 'A' + 1) : 0; }

Value RealValue(const BcdReal *k) {
  Value v;
  v.re = *k;
  RealSetZero(&v.im);
  return v;
}

}  // namespace

u32 MatEditRowSwap(char matrix, int a, int b) { return MatRowOperation(Number(matrix), kMatRowSwap, nullptr, b, a); }

u32 MatEditRowScale(char matrix, const BcdReal *k, int row) {
  const Value kv = RealValue(k);
  return MatRowOperation(Number(matrix), kMatRowScale, &kv, row, 0);
}

u32 MatEditRowScaleAdd(char matrix, const BcdReal *k, int row1, int row2) {
  const Value kv = RealValue(k);
  return MatRowOperation(Number(matrix), kMatRowScaleAdd, &kv, row1, row2);
}

u32 MatEditRowAdd(char matrix, int a, int b) { return MatRowOperation(Number(matrix), kMatRowAdd, nullptr, b, a); }
