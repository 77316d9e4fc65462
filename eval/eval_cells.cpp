// Evaluator cells: header writers, constants, release, element readers,
// argument tests and the error raisers.
#include <cstring>

#include "eval/eval.h"
#include "kernel/heap.h"
#include "number/value.h"

void EvalMakeListHeader(EvalCell *cell, u32 handle, u16 count, u32 isReal) {
  cell->re.b[0] = isReal == 1 ? kValRealList : kValComplexList;
  std::memcpy(&cell->re.b[2], &count, 2);
  std::memcpy(&cell->re.b[8], &handle, 4);
}

void EvalMakeMatHeader(EvalCell *cell, u32 handle, u16 rows, u16 cols, u32 isReal) {
  cell->re.b[0] = isReal == 1 ? kValRealMatrix : kValComplexMatrix;
  std::memcpy(&cell->re.b[2], &rows, 2);
  std::memcpy(&cell->re.b[4], &cols, 2);
  std::memcpy(&cell->re.b[8], &handle, 4);
}

void EvalSetListHeader(u8 kind, u16 count, u32 handle, EvalCell *cell) {
  EvalMakeListHeader(cell, handle, count, 1);
  cell->re.b[0] = kind;
  cell->re.b[1] = 0;
}

void EvalSetMatHeader(u8 kind, u16 rows, u16 cols, u32 handle, EvalCell *cell) {
  EvalMakeMatHeader(cell, handle, rows, cols, 1);
  cell->re.b[0] = kind;
  cell->re.b[1] = 0;
}

BcdReal *EvalSetMinusOne(BcdReal *dst) {
  std::memset(dst->b, 0, 9);
  dst->b[0] = 0x60;
  dst->b[1] = 0x01;
  return dst;
}

BcdReal *EvalSetMaxReal(BcdReal *dst) {
  dst->b[0] = 0x19;
  std::memset(&dst->b[1], 0x99, 8);
  return dst;
}

BcdReal *EvalSetMinReal(BcdReal *dst) {
  dst->b[0] = 0x69;
  std::memset(&dst->b[1], 0x99, 8);
  return dst;
}

BcdReal *EvalSetSixty(BcdReal *dst) {
  std::memset(dst->b, 0, 9);
  dst->b[0] = 0x10;
  dst->b[1] = 0x16;
  return dst;
}

BcdReal *EvalSetThirtySixHundred(BcdReal *dst) {
  std::memset(dst->b, 0, 9);
  dst->b[0] = 0x10;
  dst->b[1] = 0x33;
  dst->b[2] = 0x60;
  return dst;
}

// ---- release ----

void EvalFreeBlock(u32 handle) {
  if (handle != 0 && MemClassify(handle) == 0) MemFree(handle);
}

void EvalFreeCell(EvalCell *cell) {
  if (!EvalIsArrayCell(cell)) return;
  u32 handle;
  std::memcpy(&handle, &cell->re.b[8], 4);
  EvalFreeBlock(handle);
  // A second release of the same cell finds no handle.
  handle = 0;
  std::memcpy(&cell->re.b[8], &handle, 4);
}

void EvalReleaseUnlessKept(EvalCell *operand, const EvalCell *result) {
  if (!EvalIsArrayCell(operand)) return;
  if (EvalIsArrayCell(result) && std::memcmp(&result->re.b[8], &operand->re.b[8], 4) == 0) return;
  EvalFreeCell(operand);
}

// ---- element readers ----

namespace {

const u8 *Elements(const EvalCell *cell) {
  u32 handle;
  std::memcpy(&handle, &cell->re.b[8], 4);
  return MemDeref(handle);
}

u16 Field16(const EvalCell *cell, int at) {
  u16 v;
  std::memcpy(&v, &cell->re.b[at], 2);
  return v;
}

u32 ReadElement(const EvalCell *cell, u32 index, u32 total, EvalCell *out) {
  const u8 *block = Elements(cell);
  if (block == nullptr) return EvalErrMemory(out);
  std::memcpy(&out->re, block + 12 * index, 12);
  if (cell->re.b[0] & 0x80) std::memcpy(&out->im, block + 12 * (total + index), 12);
  return 1;
}

}  // namespace

// An index outside the list or matrix (0 included) gives 0 and leaves out as
// it was: a caller takes n = count + 1 as the place to append, and raises its
// own error otherwise.
u32 EvalGetListElement(u32 n, const EvalCell *list, EvalCell *out) {
  const u32 count = Field16(list, 2);
  if (n < 1 || n > count) return 0;
  return ReadElement(list, n - 1, count, out);
}

u32 EvalGetMatElement(u32 row, u32 col, const EvalCell *mat, EvalCell *out) {
  const u32 rows = Field16(mat, 2);
  const u32 cols = Field16(mat, 4);
  if (row < 1 || row > rows || col < 1 || col > cols) return 0;
  return ReadElement(mat, (row - 1) * cols + (col - 1), rows * cols, out);
}

// ---- argument tests ----

u32 EvalIntegerTest(const BcdReal *x) {
  const u8 b0 = x->b[0];
  if (b0 == 0 && x->b[1] == 0) return 3;
  if ((b0 & 0x0F) == 0x0A) return 5;
  const u8 cls = b0 >> 4;
  if (cls == 0 || cls == 5) return 0;  // negative exponent
  const int e = (b0 & 0x0F) * 10 + (x->b[1] >> 4);
  if (e >= 20) return 3;
  // Mantissa digit k (1..15) sits at nibble k + 2.
  for (int k = e + 2; k <= 15; ++k) {
    const int nib = k + 2;
    const u8 d = (nib & 1) ? (x->b[nib / 2] & 0x0F) : (x->b[nib / 2] >> 4);
    if (d != 0) return 0;
  }
  return 3;
}

u32 EvalIntArg(EvalCell *cell, u16 *out, u16 limit) {
  const BcdReal *x = &cell->re;
  const u8 cls = x->b[0] >> 4;
  const int e = (x->b[0] & 0x0F) * 10 + (x->b[1] >> 4);
  if (cls != 1 || (x->b[0] & 0x0F) == 0x0A || e > 3 || EvalIntegerTest(x) != 3) {
    EvalFreeCell(cell);
    return EvalErrArgument(cell);
  }
  u32 v = 0;
  for (int k = 1; k <= e + 1; ++k) {
    const int nib = k + 2;
    const u8 d = (nib & 1) ? (x->b[nib / 2] & 0x0F) : (x->b[nib / 2] >> 4);
    v = v * 10 + d;
  }
  if (v < 1 || v > limit) return EvalErrArgument(cell);
  *out = static_cast<u16>(v);
  return 1;
}

// ---- raisers ----

namespace {

u32 Raise(EvalCell *cell, u8 code) {
  RealMakeError(code, &cell->re);
  return 0;
}

}  // namespace

u32 EvalErrBreak(EvalCell *cell) { return Raise(cell, kEvalErrBreak); }
u32 EvalErrSyntax(EvalCell *cell) { return Raise(cell, kEvalErrSyntax); }
u32 EvalErrMa(EvalCell *cell) { return Raise(cell, kEvalErrMa); }
u32 EvalErrMemory(EvalCell *cell) { return Raise(cell, kEvalErrMemory); }
u32 EvalErrStack(EvalCell *cell) { return Raise(cell, kEvalErrStack); }
u32 EvalErrArgument(EvalCell *cell) { return Raise(cell, kEvalErrArgument); }
u32 EvalErrDimension(EvalCell *cell) { return Raise(cell, kEvalErrDimension); }
u32 EvalErrSystem(EvalCell *cell) { return Raise(cell, kEvalErrSystem); }
u32 EvalErrTimeOut(EvalCell *cell) { return Raise(cell, kEvalErrTimeOut); }

u32 EvalRaiseError(u8 code, EvalCell *cell) {
  EvalFreeCell(cell);
  return Raise(cell, code);
}
