// Shared helpers of the list and matrix engines.
#include "numeric/array.h"

#include <cstring>

#include "number/numparse.h"
#include "number/realop.h"

ArrInfo ArrInfoOf(const Value *v) {
  EvalArrayHeader h;
  ValGetHeader(v, &h);
  ArrInfo a{};
  a.kind = h.kind;
  a.matrix = (h.kind & 0x70) == 0x30;
  a.complex = (h.kind & 0x80) != 0;
  a.rows = h.count;
  a.cols = a.matrix ? h.cols : 0;
  a.handle = h.handle;
  a.count = a.matrix ? static_cast<u32>(h.count) * h.cols : h.count;
  return a;
}

BcdReal *ArrElems(MemHandle h) { return reinterpret_cast<BcdReal *>(MemDeref(h)); }

namespace {

bool IsZeroPart(const BcdReal &x) {
  bool zero = true;
  for (int k = 0; k < 9 && zero; ++k) zero = x.b[k] == 0;
  if (zero) return true;
  BcdReal a = x, z;
  RealSetZero(&z);
  return RealIsEqual(&a, &z) == 1;
}

}  // namespace

void ArrGet(const BcdReal *e, u32 count, bool complex, u32 i, Value *out) {
  std::memcpy(&out->re, &e[i], sizeof(BcdReal));
  if (ValErrorCode(&out->re) != 0) return;
  out->re.b[0] &= 0x7F;
  RealSetZero(&out->im);
  if (!complex) return;
  // Complex when the imaginary part is not zero, whether or not the stored
  // real part carries the complex bit (items of main memory store plain
  // reals).
  const BcdReal im = e[count + i];
  if (ValErrorCode(&im) != 0) {
    out->re = im;
    return;
  }
  if (IsZeroPart(im)) return;
  out->im = im;
  out->re.b[0] |= 0x80;
}

void ArrPut(BcdReal *e, u32 count, bool twoParts, u32 i, const Value *v) {
  std::memcpy(&e[i], &v->re, sizeof(BcdReal));
  const bool cx = ValErrorCode(v) == 0 && (v->re.b[0] & 0x80);
  if (twoParts) {
    if (cx) std::memcpy(&e[count + i], &v->im, sizeof(BcdReal));
    else RealSetZero(&e[count + i]);
  }
}

void ArrSetList(Value *out, bool complex, u16 n, MemHandle h) {
  EvalArrayHeader hd{};
  hd.kind = complex ? kValComplexList : kValRealList;
  hd.count = n;
  hd.cols = 0;
  hd.handle = h;
  ValSetHeader(&hd, out);
}

void ArrSetMatrix(Value *out, bool complex, u16 rows, u16 cols, MemHandle h) {
  EvalArrayHeader hd{};
  hd.kind = complex ? kValComplexMatrix : kValRealMatrix;
  hd.count = rows;
  hd.cols = cols;
  hd.handle = h;
  ValSetHeader(&hd, out);
}

Value *ArrFail(Value *out, u8 code) {
  RealMakeError(code, &out->re);
  return out;
}

Value *ArrInt(i32 n, Value *out) {
  std::memset(out, 0, sizeof *out);
  NumFromInt32(n, &out->re);
  return out;
}

void ArrFreeHeap(MemHandle h) {
  if (h != 0 && MemClassify(h) == kArrHeapBlock) MemFree(h);
}

bool ArrFits(const ArrInfo &a) {
  if (MemDeref(a.handle) == nullptr) return false;
  return MemRoom(a.handle) >= a.count * 12u * (a.complex ? 2u : 1u);
}
