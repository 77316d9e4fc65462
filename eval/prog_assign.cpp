// Assignment targets of the arrow (variables, letter ranges, list and matrix
// elements and wholes, their sizes through Dim, list sub-names), Ans after a
// statement, and the clearing of lists and matrices.
#include <cstring>

#include "eval/prog_internal.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/sysvar.h"

namespace {

constexpr u8 kTokAns = 0xC0;
// ReadListName's number for "List" followed by a number outside 1..26.
constexpr u32 kBadList = 0xFFFF;

bool IsVariableLetter(u8 c) { return (c >= 'A' && c <= 'Z') || c == kVarR || c == kVarTheta; }

// A list operand at run->p: List1-List6, or List followed by a number 1..26
// or Ans (list 0). 1 with *n, 0 when none stands there (nothing raised).
bool ReadListName(const u8 **p, u32 *n) {
  const u8 *q = *p;
  if (q[0] == 0x7F && q[1] >= 0x6A && q[1] <= 0x6F) {
    *n = q[1] - 0x6A + 1u;
    *p = q + 2;
    return true;
  }
  if (!(q[0] == 0x7F && q[1] == 0x51)) return false;
  q += 2;
  if (*q == kTokAns) {
    *n = 0;
    *p = q + 1;
    return true;
  }
  if (*q < '0' || *q > '9') return false;
  u32 v = *q++ - '0';
  if (*q >= '0' && *q <= '9') v = v * 10 + (*q++ - '0');
  if (v < 1 || v > 26) {
    *n = kBadList;
    *p = q;
    return true;
  }
  *n = v;
  *p = q;
  return true;
}

// Mat followed by a letter A-Z (1-26) or Ans (0).
bool ReadMatName(const u8 **p, u32 *n) {
  const u8 *q = *p;
  if (!(q[0] == 0x7F && q[1] == 0x40)) return false;
  q += 2;
  if (*q == kTokAns) {
    *n = 0;
  } else if (*q >= 'A' && *q <= 'Z') {
    *n = *q - 'A' + 1u;
  } else {
    return false;
  }
  *p = q + 1;
  return true;
}

// An item code to the calculator error it means here.
u32 ItemError(u32 code) {
  switch (code) {
    case 0: return 0;
    case kItemListNoRoom:
    case kItemMatNoRoom:
    case kItemArrayStoreFailed: return kProgErrMemory;
    case kItemArrayBadIndex:
    case kItemArrayBadSize: return kProgErrDimension;
    case kItemArrayBadValue: return kProgErrMa;
    default: return kProgErrMemory;
  }
}

// A list or matrix value whose elements lie in main memory is first copied
// into a heap block of its own, so storing it cannot read elements that the
// store itself moves.
u32 OwnElements(Value *v) {
  EvalArrayHeader h;
  ValGetHeader(v, &h);
  if (h.handle == 0 || MemClassify(h.handle) == 0) return 1;
  const u32 n = (v->re.b[0] & 0x70) == 0x30 ? u32{h.count} * h.cols : u32{h.count};
  const u32 bytes = n * ((v->re.b[0] & 0x80) ? 24u : 12u);
  const MemHandle copy = MemAlloc(bytes);
  if (copy == 0) return 0;
  const u8 *src = MemDeref(h.handle);
  if (src && bytes) std::memcpy(MemDeref(copy), src, bytes);
  h.handle = copy;
  ValSetHeader(&h, v);
  return 1;
}

// Index [i] or [i, j] after a list or matrix name: 1 with the numbers, or 0
// with the error raised. An index past the limit is Argument ERROR.
u32 ReadIndex(ProgRunState *run, u32 *i, u32 *j, bool two) {
  ++run->p;  // '['
  if (!ProgEvalIntArg(&run->p, run->result, i, two ? kItemMatMaxDim : kItemListMaxCount)) return 0;
  if (two) {
    if (*run->p != ',') return ProgFail(run, kProgErrSyntax);
    ++run->p;
    if (!ProgEvalIntArg(&run->p, run->result, j, kItemMatMaxDim)) return 0;
  }
  if (*run->p == ']') ++run->p;
  return 1;
}

// A count from a real value: 1..limit, else Argument ERROR.
bool CountOf(const BcdReal *r, u32 limit, u32 *out) {
  BcdReal x = *r;
  if (RealIsFrac(&x)) RealFracToDecimal(&x, &x);
  u64 n = 0;
  if (!NumToU64(&x, &n) || n < 1 || n > limit) return false;
  *out = static_cast<u32>(n);
  return true;
}

u32 AssignDim(ProgRunState *run, Value *v) {
  u32 n = 0;
  if (ReadListName(&run->p, &n)) {
    u32 count = 0;
    if (n == kBadList || !ProgIsScalar(v) || (v->re.b[0] & 0x80) || !CountOf(&v->re, kItemListMaxCount, &count)) {
      return ProgFail(run, kProgErrArgument);
    }
    const u32 e = ItemListCreate(0, static_cast<u8>(n), count);
    return e ? ProgFail(run, ItemError(e) == kProgErrDimension ? kProgErrArgument : kProgErrMemory) : 1;
  }
  if (ReadMatName(&run->p, &n)) {
    // The size comes as the list {rows, columns}.
    EvalArrayHeader h;
    ValGetHeader(v, &h);
    if (ValKind(v) != kValKindList || (v->re.b[0] & 0x80) || h.count != 2) {
      return ProgFail(run, kProgErrArgument);
    }
    const u8 *cells = MemDeref(h.handle);
    BcdReal r;
    BcdReal c;
    if (!cells) return ProgFail(run, kProgErrArgument);
    std::memcpy(&r, cells, 12);
    std::memcpy(&c, cells + 12, 12);
    u32 rows = 0;
    u32 cols = 0;
    if (!CountOf(&r, kItemMatMaxDim, &rows) || !CountOf(&c, kItemMatMaxDim, &cols)) {
      return ProgFail(run, kProgErrArgument);
    }
    const u32 e = ItemMatCreate(static_cast<u8>(n), rows, cols);
    return e ? ProgFail(run, e == kItemArrayBadSize ? kProgErrArgument : kProgErrMemory) : 1;
  }
  return ProgFail(run, kProgErrSyntax);
}

u32 AssignList(ProgRunState *run, Value *v, u32 n) {
  if (n == kBadList) return ProgFail(run, kProgErrArgument);
  const u8 list = static_cast<u8>(n);
  if (*run->p == '[') {
    u32 i = 0;
    if (!ReadIndex(run, &i, nullptr, false)) return 0;
    if (!ProgIsScalar(v)) return ProgFail(run, kProgErrMa);
    // Element 1 can always be written (a missing list is made); past it the
    // element must exist or follow the last one.
    if (i > 1 && i > ItemListSize(0, list) + 1) return ProgFail(run, kProgErrDimension);
    const u32 e = ItemListSet(0, list, i, v);
    return e ? ProgFail(run, ItemError(e)) : 1;
  }
  if (ValKind(v) != kValKindList) return ProgFail(run, kProgErrMa);
  if (!OwnElements(v)) return ProgFail(run, kProgErrMemory);
  const u32 e = ItemListStoreValue(0, list, v);
  return e ? ProgFail(run, kProgErrMemory) : 1;
}

u32 AssignMat(ProgRunState *run, Value *v, u32 n) {
  const u8 mat = static_cast<u8>(n);
  if (*run->p == '[') {
    u32 i = 0;
    u32 j = 0;
    if (!ReadIndex(run, &i, &j, true)) return 0;
    if (!ProgIsScalar(v)) return ProgFail(run, kProgErrMa);
    u32 rows = 0;
    u32 cols = 0;
    if (ItemMatDims(mat, &rows, &cols) != 0 || i > rows || j > cols) return ProgFail(run, kProgErrDimension);
    const u32 e = ItemMatSet(mat, i, j, v);
    return e ? ProgFail(run, ItemError(e)) : 1;
  }
  if (ValKind(v) != kValKindMatrix) return ProgFail(run, kProgErrMa);
  if (!OwnElements(v)) return ProgFail(run, kProgErrMemory);
  const u32 e = ItemMatStoreValue(mat, v);
  return e ? ProgFail(run, kProgErrMemory) : 1;
}

}  // namespace

u32 ProgAssign(ProgRunState *run, Value *v) {
  const u8 c = *run->p;
  if (IsVariableLetter(c)) {
    if (!ProgIsScalar(v)) return ProgFail(run, kProgErrSyntax);
    ++run->p;
    if (*run->p == '~') {
      const u8 last = run->p[1];
      if (c < 'A' || c > 'Z' || last < 'A' || last > 'Z' || last < c) {
        return ProgFail(run, kProgErrSyntax);
      }
      run->p += 2;
      for (u32 x = c; x <= last; ++x) SysStoreVariable(static_cast<u8>(x), v);
      return 1;
    }
    SysStoreVariable(c, v);
    return 1;
  }
  u32 n = 0;
  if (ReadListName(&run->p, &n)) return AssignList(run, v, n);
  if (ReadMatName(&run->p, &n)) return AssignMat(run, v, n);
  if (run->p[0] == 0x7F && run->p[1] == 0x46) {  // Dim
    run->p += 2;
    return AssignDim(run, v);
  }
  // System variables (V-Window, zoom, table, recursion and financial values)
  // and recursion terms belong to the records of their applications.
  if (run->p[0] == 0x7F || run->p[0] == 0xF9) return ProgGlueAssignSystem(&run->p, v, run->result);
  return ProgFail(run, kProgErrSyntax);
}

bool ProgIsTextTarget(const u8 *p) {
  const u8 *q = p;
  u32 n = 0;
  if (ReadListName(&q, &n)) return q[0] == '[' && q[1] == '0' && q[2] == ']';
  if (p[0] == 0xF9) return p[1] == 0x1B || (p[1] >= 0x12 && p[1] <= 0x14);
  if (p[0] == 0x7F) return (p[1] >= 0xF0 && p[1] <= 0xF4) || (p[1] >= 0xA0 && p[1] <= 0xA9);
  return false;
}

u32 ProgStringAssign(ProgRunState *run, const u8 *text, u32 len) {
  u32 n = 0;
  if (ReadListName(&run->p, &n)) {
    if (run->p[0] == '[' && run->p[1] == '0' && run->p[2] == ']') run->p += 3;
    if (n == 0 || n == kBadList) return ProgFail(run, kProgErrArgument);
    char name[9] = {};
    u32 k = 0;
    while (k < len && k < 8) {
      name[k] = static_cast<char>(text[k]);
      ++k;
    }
    // A lead byte cut from its second byte is dropped.
    if (k == 8 && len > 8 && ProgTokLen(text + 7) == 2) name[7] = 0;
    const u32 e = ItemListSetSubName(0, static_cast<u8>(n), name);
    return e ? ProgFail(run, kProgErrMemory) : 1;
  }
  // Function memories, graph functions and recursion formulas.
  if (run->p[0] == 0x7F || run->p[0] == 0xF9) return ProgGlueAssignText(&run->p, text, len, run->result);
  return ProgFail(run, kProgErrSyntax);
}

void ProgStoreAns(ProgRunContext *ctx, Value *v) {
  const int kind = ValKind(v);
  if (kind == kValKindList || kind == kValKindMatrix) {
    if (OwnElements(v)) {
      if (kind == kValKindList) {
        ItemListStoreValue(0, 0, v);
      } else {
        ItemMatStoreValue(0, v);
      }
    }
    ValFreeTemp(v);
    ctx->last = *v;
    return;
  }
  if (kind != kValKindError) SysStoreVariable(kVarAns, v);
  ctx->last = *v;
}

u32 ProgClearItems(ProgRunState *run, u32 tok) {
  const bool lists = tok == 0xF71A;
  const u8 c = *run->p;
  if (ProgTokIsEnd(run->p)) {
    for (u32 i = 0; i <= 26; ++i) {
      if (lists) {
        ItemListDelete(0, static_cast<u8>(i));
      } else {
        ItemMatDelete(static_cast<u8>(i));
      }
    }
    if (lists) ProgListsChanged();
    return 1;
  }
  u32 n = 0;
  if (c == kTokAns) {
    n = 0;
    ++run->p;
  } else if (lists && c >= '0' && c <= '9') {
    n = *run->p++ - '0';
    if (*run->p >= '0' && *run->p <= '9') n = n * 10 + (*run->p++ - '0');
    if (n < 1 || n > 26) return ProgFail(run, kProgErrArgument);
  } else if (!lists && c >= 'A' && c <= 'Z') {
    n = c - 'A' + 1u;
    ++run->p;
  } else {
    return ProgFail(run, kProgErrSyntax);
  }
  if (lists) {
    ItemListDelete(0, static_cast<u8>(n));
    ProgListsChanged();
  } else {
    ItemMatDelete(static_cast<u8>(n));
  }
  return 1;
}

u32 ProgPrintListName(ProgRunState *run, u32 n) {
  if (n == 0) return ProgFail(run, kProgErrArgument);
  char name[9] = {};
  if (!ItemListGetSubName(0, static_cast<u8>(n), name)) return ProgFail(run, kProgErrMemory);
  ProgPrintText(run->ctx, reinterpret_cast<const u8 *>(name), static_cast<u32>(std::strlen(name)));
  return 1;
}
