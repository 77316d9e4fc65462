// The list and matrix commands of programs.
#include "eval/prog_matlist.h"

#include <cstring>

#include "eval/prog_internal.h"
#include "memory/item_array.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_func.h"
#include "numeric/list_mem.h"
#include "numeric/mat_rowop.h"
#include "numeric/sort.h"

namespace {

constexpr int kMaxSortLists = 6;

bool Comma(const u8 **p) {
  if (**p != ',') return false;
  ++*p;
  return true;
}

bool StatementEnd(const u8 *p) { return *p == ':' || *p == 0x0D || *p == 0x0C || *p == 0; }

// "Mat" and a letter or Ans: the matrix number (0 Ans, 1-26), or -1.
int MatOperand(const u8 **p) {
  const u8 *q = *p;
  if (q[0] != 0x7F || q[1] != 0x40) return -1;
  const u8 name = q[2];
  if (name >= 'A' && name <= 'Z') {
    *p = q + 3;
    return name - 'A' + 1;
  }
  if (name == 0xC0) {
    *p = q + 3;
    return 0;
  }
  return -1;
}

// "List1"-"List6", or "List" and a number 1-26: the list number, or -1.
int ListOperand(const u8 **p) {
  const u8 *q = *p;
  if (q[0] != 0x7F) return -1;
  if (q[1] >= 0x6A && q[1] <= 0x6F) {
    *p = q + 2;
    return q[1] - 0x6A + 1;
  }
  if (q[1] != 0x51) return -1;
  q += 2;
  if (*q < '1' || *q > '9') return -1;
  int n = *q++ - '0';
  if (*q >= '0' && *q <= '9') n = n * 10 + (*q++ - '0');
  if (n > 26) return -1;
  *p = q;
  return n;
}

u32 Raise(u32 code, Value *result) { return ProgRaise(code, result); }

// A row number argument, 1..255 (else Argument ERROR).
bool Row(const u8 **p, Value *result, int *row) {
  u32 r = 0;
  if (!ProgEvalIntArg(p, result, &r, 255)) return false;
  *row = static_cast<int>(r);
  return true;
}

u32 RowCommand(const u8 **p, Value *result, u8 which, u32 *number) {
  Value k;
  std::memset(&k, 0, sizeof k);
  const bool hasK = which == 0x42 || which == 0x43;
  if (hasK) {
    if (!ProgEvalAt(p, &k, 0x0F00)) {
      *result = k;
      return 0;
    }
    if (ValKind(&k) != kValKindScalar) {
      ValFreeTemp(&k);
      return Raise(kProgErrMa, result);
    }
    if (ValIsComplex(&k) == 1) return Raise(kProgErrMa, result);
    if (!Comma(p)) return Raise(kProgErrSyntax, result);
  }
  const int mat = MatOperand(p);
  if (mat < 0) return Raise(kProgErrSyntax, result);
  if (number) *number = static_cast<u32>(mat);
  if (!Comma(p)) return Raise(kProgErrSyntax, result);
  int m = 0, n = 0;
  if (!Row(p, result, &m)) return 0;
  if (which != 0x42) {
    if (!Comma(p)) return Raise(kProgErrSyntax, result);
    if (!Row(p, result, &n)) return 0;
  }
  const u8 code = which == 0x42 ? kMatRowScale : which == 0x43 ? kMatRowScaleAdd : which == 0x44 ? kMatRowAdd : kMatRowSwap;
  const u32 r = MatRowOperation(static_cast<u8>(mat), code, hasK ? &k : nullptr, m, n);
  if (r != 0) return Raise(r, result);
  return 1;
}

u32 FillCommand(const u8 **p, Value *result, u32 *number) {
  Value v;
  std::memset(&v, 0, sizeof v);
  if (!ProgEvalAt(p, &v, 0x0F00)) {
    *result = v;
    return 0;
  }
  if (ValKind(&v) != kValKindScalar) {
    ValFreeTemp(&v);
    return Raise(kProgErrMa, result);
  }
  if (!Comma(p)) return Raise(kProgErrSyntax, result);
  const bool complex = ValIsComplex(&v) == 1;
  const int mat = MatOperand(p);
  if (mat >= 0) {
    if (number) *number = static_cast<u32>(mat);
    if (complex) return Raise(kProgErrMa, result);
    Value m;
    if (!MatFromMemory(mat, &m)) return Raise(kProgErrDimension, result);
    // A complex matrix takes a real value as a real matrix.
    if (!MatFill(&v, &m)) return Raise(kProgErrMemory, result);
    if (ItemMatToReal(static_cast<u8>(mat)) > 1) return Raise(kProgErrMemory, result);
  } else {
    const int list = ListOperand(p);
    if (list < 0) return Raise(kProgErrSyntax, result);
    if (number) *number = static_cast<u32>(list);
    Value l;
    if (!ListRecall(list, &l)) return Raise(kProgErrDimension, result);
    // A complex value first makes the item complex, so the fill has room.
    if (complex && ItemListIsReal(0, static_cast<u8>(list)) && ItemListSet(0, static_cast<u8>(list), 1, &v) != 0) {
      return Raise(kProgErrMemory, result);
    }
    if (!ListRecall(list, &l) || !ListFill(&v, &l)) return Raise(kProgErrMemory, result);
    if (!complex && ItemListToReal(0, static_cast<u8>(list)) > 1) return Raise(kProgErrMemory, result);
    ProgListsChanged();
  }
  if (**p == ')') ++*p;
  return 1;
}

u32 SortCommand(const u8 **p, Value *result, bool descending, u32 *number) {
  int numbers[kMaxSortLists + 1];
  int count = 0;
  for (;;) {
    const int n = ListOperand(p);
    if (n < 0) return Raise(kProgErrSyntax, result);
    if (count == kMaxSortLists) return Raise(kProgErrSyntax, result);
    for (int i = 0; i < count; ++i) {
      if (numbers[i] == n) return Raise(kProgErrDimension, result);
    }
    numbers[count++] = n;
    if (!Comma(p)) break;
  }
  if (**p == ')') ++*p;
  if (!StatementEnd(*p)) return Raise(kProgErrSyntax, result);
  if (number) *number = static_cast<u32>(numbers[0]);
  Value lists[kMaxSortLists];
  Value *ptrs[kMaxSortLists];
  for (int i = 0; i < count; ++i) {
    if (!ListRecall(numbers[i], &lists[i])) return Raise(kProgErrDimension, result);
    const ArrInfo a = ArrInfoOf(&lists[i]);
    if (a.count == 0 || a.count != ArrInfoOf(&lists[0]).count) return Raise(kProgErrDimension, result);
    ptrs[i] = &lists[i];
  }
  const u32 r = descending ? SortListsDescending(count, ptrs) : SortListsAscending(count, ptrs);
  if (r != 0) return Raise(r, result);
  return 1;
}

}  // namespace

u32 ProgMatListCommand(const u8 **p, Value *result, u32 *number) {
  const u8 lead = (*p)[0], second = (*p)[1];
  *p += 2;
  if (lead == 0x7F && second >= 0x42 && second <= 0x45) return RowCommand(p, result, second, number);
  if (lead == 0x7F && second == 0x47) return FillCommand(p, result, number);
  if (lead == 0xF7 && (second == 0xB0 || second == 0xB1)) return SortCommand(p, result, second == 0xB1, number);
  *p -= 2;
  return 0;
}
