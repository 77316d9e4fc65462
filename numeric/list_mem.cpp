// Lists and matrices of main memory as values in place.
#include "numeric/list_mem.h"

#include <cstring>

#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/value.h"
#include "numeric/array.h"

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
