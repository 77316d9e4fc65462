// List and matrix operands of the evaluator: literals, stored lists and
// matrices with their element forms, the list of differences, Augment(,
// List->Mat(, Mat->List( and Max( Min( Mean( Median(.
#include "eval/eval_lists.h"

#include <cstring>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_func.h"
#include "numeric/list_mem.h"
#include "numeric/list_ops.h"
#include "numeric/list_seq.h"
#include "numeric/list_stats.h"
#include "numeric/mat_ops.h"
#include "ui/setup.h"

namespace {

u16 g_substIndex = 1;

constexpr u32 kElementFlags = 0x0901;   // scalars, complex allowed, argument marker
constexpr u32 kMatElementFlags = 0x0102;
constexpr u32 kIndexFlags = 0x8101;
constexpr u32 kRowColFlags = 0x8102;
constexpr u32 kColumnFlags = 0x8104;
constexpr u32 kAnyArgFlags = 0x0F04;

bool SubstMode() { return (SetupGetByte(kSetupGraphVars) & 0x10) != 0; }

// A plain index: one to three digits without a leading zero closed by ']'
// in the decimal mode (List 1[3]), read directly as the number the index
// evaluation (EvalExpr, then EvalIntArg) reads there; tok is left on the
// ']'. False with nothing read for any other text, a pending break or a
// full operator stack: the evaluator then reads the index and meets them.
bool PlainIndex(TokPos *pos, EvalCell *tok, EvalStackArea *area, u16 *k) {
  const u8 c = TokByte0(tok);
  if (c < '1' || c > '9') return false;
  const u8 *q = *pos;
  u32 v = c - '0';
  while (*q >= '0' && *q <= '9') {
    v = v * 10 + (*q - '0');
    if (v > kValListMax) return false;
    ++q;
  }
  if (*q != ']') return false;
  if (SetupGetItem(kSetupMode) != 0 || KeyBreakPoll() != 0) return false;
  if (area->operators->count + 1 > kEvalOperatorMax) return false;
  *pos = q;
  TokNext(tok, pos);
  *k = static_cast<u16>(v);
  return true;
}

bool IsListCell(const EvalCell *c) { return ValKind(c) == kValKindList; }
bool IsMatCell(const EvalCell *c) { return ValKind(c) == kValKindMatrix; }

// A list or matrix value copied into a fresh heap block of its own.
u32 Copied(const Value *src, EvalCell *result) {
  const ArrInfo a = ArrInfoOf(src);
  const u32 bytes = a.count * 12 * (a.complex ? 2 : 1);
  const u8 *from = MemDeref(a.handle);
  if (from == nullptr || !ArrFits(a)) return EvalErrMemory(result);
  const MemHandle h = MemAlloc(bytes);
  if (h == 0) return EvalErrMemory(result);
  std::memcpy(MemDeref(h), from, bytes);
  *result = *src;
  EvalArrayHeader hd;
  ValGetHeader(result, &hd);
  hd.handle = h;
  ValSetHeader(&hd, result);
  return 1;
}

// A Value result of an engine: 1, or 0 when it is an error value.
u32 Status(const EvalCell *v) { return ValErrorCode(v) == 0 ? 1 : 0; }

// The end of an argument list: ')' is consumed, a token that ends an
// operand is left; anything else is Syntax ERROR.
bool CloseArgs(TokPos *pos, EvalCell *tok) {
  if (TokByte0(tok) == ')') {
    TokNext(tok, pos);
    return true;
  }
  return TokEndsOperand(tok) != 0;
}

// Tokens that cannot stand inside a literal: their commas would be
// miscounted. List1-List6 are single names and may stand there.
bool Forbidden(const EvalCell *t) { return TokIsBracketFunction(t) || TokIsMat(t) || TokIsList(t); }

void Release(EvalCell *c) { EvalFreeCell(c); }

}  // namespace

void EvalSetListSubstIndex(u16 k) { g_substIndex = k; }
u16 EvalListSubstIndex() { return g_substIndex; }

int EvalListNumber(TokPos *pos, EvalCell *tok, u32 stepFirst) {
  if (stepFirst) TokNext(tok, pos);
  if (TokByte0(tok) == kTokAns) {
    TokNext(tok, pos);
    return 0;
  }
  if (!TokIsDigit1to9(tok)) return -1;
  int n = TokByte0(tok) - '0';
  TokNext(tok, pos);
  if (TokIsDigit(tok)) {
    n = n * 10 + (TokByte0(tok) - '0');
    TokNext(tok, pos);
  }
  return n < 27 ? n : -1;
}

u32 EvalListRef(TokPos *pos, EvalCell *tok, EvalCell *result, u32 allowBare) {
  TokNext(tok, pos);
  int n;
  if (TokByte0(tok) == 0x7F && TokByte1(tok) >= 0x6A && TokByte1(tok) <= 0x6F) {
    n = TokByte1(tok) - 0x6A + 1;
    TokNext(tok, pos);
  } else if (TokIsList(tok)) {
    n = EvalListNumber(pos, tok, 1);
    if (n < 0) return EvalErrArgument(result);
  } else if (allowBare) {
    n = EvalListNumber(pos, tok, 0);
    if (n < 0) return EvalErrSyntax(result);
  } else {
    return EvalErrArgument(result);
  }
  if (!ListRecall(n, result)) return EvalErrDimension(result);
  return 1;
}

u32 EvalListArg(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, u32 allowBare) {
  if (**pos == '{') {
    if (SubstMode()) return EvalErrSyntax(result);
    TokNext(tok, pos);
    return EvalListLiteral(result, pos, tok, area);
  }
  return EvalListRef(pos, tok, result, allowBare);
}

u32 EvalListLiteral(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  // Counting pass on a second token cell.
  TokPos scan = *pos;
  EvalCell t;
  std::memset(&t, 0, sizeof t);
  t.re.b[0] = '1';  // primed: a cell holding the end token reads no further
  TokNext(&t, &scan);
  u32 count = 1;
  for (;;) {
    if (TokByte0(&t) == '}') break;
    if (Forbidden(&t)) return EvalErrSyntax(result);
    if (TokIsComma(&t)) ++count;
    else if (TokEndsOperand(&t)) break;
    TokNext(&t, &scan);
  }
  if (count > kValListMax) return EvalErrDimension(result);
  const bool subst = SubstMode();
  const u16 k = g_substIndex;
  if (subst && (k < 1 || k > count)) return EvalErrDimension(result);
  MemHandle h = 0;
  if (!subst) {
    h = MemAlloc(count * 12);
    if (h == 0) return EvalErrMemory(result);
  }
  auto fail = [&](u32 (*raise)(EvalCell *)) {
    if (h) MemFree(h);
    return raise(result);
  };
  bool complex = false;
  u32 got = 0;
  TokNext(tok, pos);
  for (;;) {
    EvalCell el;
    std::memset(&el, 0, sizeof el);
    if (!EvalExpr(pos, tok, &el, area, kElementFlags)) {
      if (h) MemFree(h);
      *result = el;
      return 0;
    }
    if (got >= count) return fail(EvalErrSyntax);
    if (subst) {
      if (got + 1 == k) *result = el;
    } else {
      if (ValIsComplex(&el) == 1 && !complex) {
        if (MemRealloc(h, count * 24) == 0) return fail(EvalErrMemory);
        std::memset(MemDeref(h) + count * 12, 0, count * 12);
        complex = true;
      }
      ArrPut(ArrElems(h), count, complex, got, &el);
    }
    ++got;
    if (!TokIsComma(tok)) break;
    TokNext(tok, pos);
  }
  if (got != count) return fail(EvalErrSyntax);
  if (TokByte0(tok) == '}') TokNext(tok, pos);
  else if (!TokEndsOperand(tok)) return fail(EvalErrSyntax);
  if (subst) return 1;
  ArrSetList(result, complex, static_cast<u16>(count), h);
  return 1;
}

u32 EvalMatLiteral(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  // Counting pass: rows of equal length.
  TokPos scan = *pos;
  EvalCell t;
  std::memset(&t, 0, sizeof t);
  t.re.b[0] = '1';  // primed: a cell holding the end token reads no further
  TokNext(&t, &scan);
  u32 rows = 0, cols = 0;
  for (;;) {
    if (TokByte0(&t) != '[') return EvalErrSyntax(result);
    u32 c = 1;
    TokNext(&t, &scan);
    for (;;) {
      if (TokByte0(&t) == ']') break;
      if (TokByte0(&t) == '[' || Forbidden(&t) || (TokEndsOperand(&t) && !TokIsComma(&t))) return EvalErrSyntax(result);
      if (TokIsComma(&t)) ++c;
      TokNext(&t, &scan);
    }
    if (rows > 0 && c != cols) return EvalErrDimension(result);
    cols = c;
    ++rows;
    if (rows > kValMatrixMax || cols > kValMatrixMax) return EvalErrDimension(result);
    TokNext(&t, &scan);
    if (TokByte0(&t) == '[') continue;
    if (TokByte0(&t) == ']' || TokEndsOperand(&t)) break;
    return EvalErrSyntax(result);
  }
  const MemHandle h = MemAlloc(rows * cols * 12);
  if (h == 0) return EvalErrMemory(result);
  auto fail = [&](u32 (*raise)(EvalCell *)) {
    MemFree(h);
    return raise(result);
  };
  TokNext(tok, pos);
  for (u32 r = 0; r < rows; ++r) {
    if (TokByte0(tok) != '[') return fail(EvalErrSyntax);
    TokNext(tok, pos);
    for (u32 c = 0; c < cols; ++c) {
      EvalCell el;
      std::memset(&el, 0, sizeof el);
      if (!EvalExpr(pos, tok, &el, area, kMatElementFlags)) {
        MemFree(h);
        *result = el;
        return 0;
      }
      ArrPut(ArrElems(h), rows * cols, false, r * cols + c, &el);
      const bool last = c + 1 == cols;
      if (last ? TokByte0(tok) != ']' : !TokIsComma(tok)) return fail(EvalErrSyntax);
      TokNext(tok, pos);
    }
  }
  if (TokByte0(tok) == ']') TokNext(tok, pos);
  else if (!TokEndsOperand(tok)) return fail(EvalErrSyntax);
  ArrSetMatrix(result, false, static_cast<u16>(rows), static_cast<u16>(cols), h);
  return 1;
}

u32 EvalListName(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  int n;
  if (TokByte1(tok) >= 0x6A && TokByte1(tok) <= 0x6F) {
    n = TokByte1(tok) - 0x6A + 1;
    TokNext(tok, pos);
  } else {
    n = EvalListNumber(pos, tok, 1);
    if (n < 0) return EvalErrSyntax(result);
  }
  Value list;
  // Element form: List n[k].
  if (TokByte0(tok) == '[' && **pos != '[') {
    TokNext(tok, pos);
    u16 k = 0;
    if (PlainIndex(pos, tok, area, &k)) {
      TokNext(tok, pos);
    } else {
      EvalCell idx;
      std::memset(&idx, 0, sizeof idx);
      if (!EvalExpr(pos, tok, &idx, area, kIndexFlags)) {
        *result = idx;
        return 0;
      }
      if (TokByte0(tok) == ']') TokNext(tok, pos);
      else if (!TokEndsOperand(tok)) return EvalErrSyntax(result);
      if (!EvalIntArg(&idx, &k, kValListMax)) {
        *result = idx;
        return 0;
      }
    }
    // The element alone, read as the list value's element reads.
    if (!ListElementRecall(n, k, result)) return EvalErrDimension(result);
    return 1;
  }
  if (!ListRecall(n, &list)) return EvalErrDimension(result);
  const ArrInfo a = ArrInfoOf(&list);
  if (SubstMode()) {
    // Element k stands for the list; past the count it is Dimension ERROR.
    const u16 k = g_substIndex;
    if (k < 1 || k > a.count) return EvalErrDimension(result);
    Value el;
    ArrGet(ArrElems(a.handle), a.count, a.complex, k - 1u, &el);
    std::memset(result, 0, sizeof *result);
    result->re = el.re;
    result->re.b[0] &= 0x7F;
    return 1;
  }
  return Copied(&list, result);
}

u32 EvalMatName(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  TokNext(tok, pos);
  const u8 name = TokByte0(tok);
  if (!((name >= 'A' && name <= 'Z') || name == kTokAns)) return EvalErrSyntax(result);
  TokNext(tok, pos);
  Value mat;
  if (TokByte0(tok) == '[' && **pos != '[') {
    TokNext(tok, pos);
    EvalCell row, col;
    std::memset(&row, 0, sizeof row);
    std::memset(&col, 0, sizeof col);
    if (!EvalExpr(pos, tok, &row, area, kRowColFlags)) {
      *result = row;
      return 0;
    }
    if (!TokIsComma(tok)) return EvalErrSyntax(result);
    TokNext(tok, pos);
    if (!EvalExpr(pos, tok, &col, area, kRowColFlags)) {
      *result = col;
      return 0;
    }
    if (TokByte0(tok) == ']') TokNext(tok, pos);
    else if (!TokEndsOperand(tok)) return EvalErrSyntax(result);
    u16 r = 0, c = 0;
    if (!EvalIntArg(&row, &r, kValMatrixMax)) {
      *result = row;
      return 0;
    }
    if (!EvalIntArg(&col, &c, kValMatrixMax)) {
      *result = col;
      return 0;
    }
    if (!MatRecallByToken(&name, &mat)) return EvalErrDimension(result);
    const ArrInfo a = ArrInfoOf(&mat);
    if (r > a.rows || c > a.cols) return EvalErrDimension(result);
    ArrGet(ArrElems(a.handle), a.count, a.complex, (r - 1u) * a.cols + (c - 1u), result);
    return 1;
  }
  if (!MatRecallByToken(&name, &mat)) return EvalErrDimension(result);
  return Copied(&mat, result);
}

u32 EvalListDiff(const EvalCell *list, EvalCell *result) {
  const ArrInfo a = ArrInfoOf(list);
  if (a.count < 2) return EvalErrDimension(result);
  const u32 n = a.count - 1;
  MemHandle h = MemAlloc(n * 12);
  if (h == 0) return EvalErrMemory(result);
  bool complex = false;
  for (u32 i = 0; i < n; ++i) {
    Value x, y, d;
    const BcdReal *e = ArrElems(a.handle);
    ArrGet(e, a.count, a.complex, i, &x);
    ArrGet(e, a.count, a.complex, i + 1, &y);
    ValSubClean(&y, &x, &d, 1);
    ValNormalize(&d, &d);
    if (ValErrorCode(&d) != 0) {
      MemFree(h);
      *result = d;
      return 0;
    }
    if (ValIsComplex(&d) == 1 && !complex) {
      if (MemRealloc(h, n * 24) == 0) {
        MemFree(h);
        return EvalErrMemory(result);
      }
      std::memset(MemDeref(h) + n * 12, 0, n * 12);
      complex = true;
    }
    ArrPut(ArrElems(h), n, complex, i, &d);
  }
  ArrSetList(result, complex, static_cast<u16>(n), h);
  return 1;
}

u32 EvalDeltaList(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  TokNext(tok, pos);
  EvalCell list;
  std::memset(&list, 0, sizeof list);
  if (TokByte0(tok) == '{') {
    if (SubstMode()) return EvalErrSyntax(result);
    if (!EvalListLiteral(&list, pos, tok, area)) {
      *result = list;
      return 0;
    }
  } else {
    const int n = EvalListNumber(pos, tok, 0);
    if (n < 0) return EvalErrArgument(result);
    if (!ListRecall(n, &list)) return EvalErrDimension(result);
  }
  const u32 ok = EvalListDiff(&list, result);
  Release(&list);
  return ok;
}

u32 EvalJoinLists(const EvalCell *a, const EvalCell *b, EvalCell *result) {
  const ArrInfo ia = ArrInfoOf(a), ib = ArrInfoOf(b);
  const u32 total = ia.count + ib.count;
  if (total > kValListMax) return EvalErrDimension(result);
  const bool complex = ia.complex || ib.complex;
  const MemHandle h = MemAlloc(total * 12 * (complex ? 2 : 1));
  if (h == 0) return EvalErrMemory(result);
  BcdReal *e = ArrElems(h);
  for (u32 i = 0; i < total; ++i) {
    Value v;
    if (i < ia.count) ArrGet(ArrElems(ia.handle), ia.count, ia.complex, i, &v);
    else ArrGet(ArrElems(ib.handle), ib.count, ib.complex, i - ia.count, &v);
    ArrPut(e, total, complex, i, &v);
  }
  ArrSetList(result, complex, static_cast<u16>(total), h);
  return 1;
}

u32 EvalAugment(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  EvalCell a, b;
  std::memset(&a, 0, sizeof a);
  std::memset(&b, 0, sizeof b);
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &a, area, kAnyArgFlags)) {
    *result = a;
    return 0;
  }
  if (!TokIsComma(tok)) {
    Release(&a);
    return EvalErrSyntax(result);
  }
  TokNext(tok, pos);
  if (!EvalExpr(pos, tok, &b, area, kAnyArgFlags)) {
    Release(&a);
    *result = b;
    return 0;
  }
  if (TokByte0(tok) == ')') TokNext(tok, pos);
  u32 ok;
  if (IsMatCell(&a) && IsMatCell(&b)) {
    ok = MatAugment(&a, &b, result) ? 1 : 0;
  } else if (IsListCell(&a) && IsListCell(&b)) {
    ok = EvalJoinLists(&a, &b, result);
  } else if ((IsMatCell(&a) || IsListCell(&a)) && (IsMatCell(&b) || IsListCell(&b))) {
    ok = EvalErrArgument(result);
  } else {
    ok = EvalErrSyntax(result);
  }
  Release(&a);
  Release(&b);
  return ok;
}

u32 EvalListToMat(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  EvalCell first, mat;
  std::memset(&first, 0, sizeof first);
  std::memset(&mat, 0, sizeof mat);
  if (!EvalListArg(pos, tok, &first, area, 1)) {
    *result = first;
    return 0;
  }
  const ArrInfo f = ArrInfoOf(&first);
  auto done = [&](u32 ok) {
    Release(&first);
    return ok;
  };
  if (f.count > kValMatrixMax) return done(EvalErrDimension(result));
  if (!TokIsComma(tok)) {
    if (!CloseArgs(pos, tok)) return done(EvalErrSyntax(result));
    if (f.complex) return done(EvalErrMa(result));
    return done(ListToMatColumn(&first, result) ? 1 : 0);
  }
  u32 cols = 1;
  bool haveMat = false;
  while (TokIsComma(tok)) {
    EvalCell next;
    std::memset(&next, 0, sizeof next);
    if (!EvalListArg(pos, tok, &next, area, 1)) {
      if (haveMat) Release(&mat);
      *result = next;
      return done(0);
    }
    const ArrInfo ni = ArrInfoOf(&next);
    u32 err = 0;
    if (ni.count != f.count || cols + 1 > kValMatrixMax) err = kEvalErrDimension;
    else if (ni.complex || f.complex) err = kEvalErrMa;
    if (err == 0) {
      EvalCell grown;
      std::memset(&grown, 0, sizeof grown);
      const int ok = haveMat ? MatAppendListColumn(&next, &mat, &grown) : ListPairToMat(&first, &next, &grown);
      if (!ok) {
        err = ValErrorCode(&grown) ? ValErrorCode(&grown) : static_cast<u32>(kEvalErrMemory);
      } else {
        if (haveMat) Release(&mat);
        mat = grown;
        haveMat = true;
        ++cols;
      }
    }
    Release(&next);
    if (err != 0) {
      if (haveMat) Release(&mat);
      return done(EvalErrorCodeInto(result, static_cast<u8>(err)));
    }
  }
  if (!CloseArgs(pos, tok)) {
    Release(&mat);
    return done(EvalErrSyntax(result));
  }
  *result = mat;
  return done(1);
}

u32 EvalMatToList(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  TokNext(tok, pos);
  EvalCell mat;
  std::memset(&mat, 0, sizeof mat);
  bool owned = false;
  if (TokByte0(tok) == '[') {
    if (!EvalMatLiteral(&mat, pos, tok, area)) {
      *result = mat;
      return 0;
    }
    owned = true;
  } else {
    if (TokIsMat(tok)) TokNext(tok, pos);
    const u8 name = TokByte0(tok);
    if (!((name >= 'A' && name <= 'Z') || name == kTokAns)) return EvalErrSyntax(result);
    if (!MatRecallByToken(&name, &mat)) {
      *result = mat;
      return 0;
    }
    TokNext(tok, pos);
  }
  auto done = [&](u32 ok) {
    if (owned) Release(&mat);
    return ok;
  };
  if (!TokIsComma(tok)) return done(EvalErrSyntax(result));
  TokNext(tok, pos);
  EvalCell col;
  std::memset(&col, 0, sizeof col);
  if (!EvalExpr(pos, tok, &col, area, kColumnFlags)) {
    *result = col;
    return done(0);
  }
  u16 c = 0;
  if (!EvalIntArg(&col, &c, kValMatrixMax)) {
    *result = col;
    return done(0);
  }
  const ArrInfo a = ArrInfoOf(&mat);
  if (c > a.cols) return done(EvalErrDimension(result));
  const MemHandle h = MemAlloc(a.rows * 24u);
  if (h == 0) return done(EvalErrMemory(result));
  bool complex = false;
  for (u32 r = 0; r < a.rows; ++r) {
    Value v;
    ArrGet(ArrElems(a.handle), a.count, a.complex, r * a.cols + (c - 1u), &v);
    if (ValIsComplex(&v) == 1) complex = true;
    ArrPut(ArrElems(h), a.rows, true, r, &v);
  }
  if (!complex) MemRealloc(h, a.rows * 12u);
  if (TokByte0(tok) == ')') TokNext(tok, pos);
  ArrSetList(result, complex, a.rows, h);
  return done(1);
}

u32 EvalListMinMax(const EvalCell *list, EvalCell *out, u32 wantMin) {
  const ArrInfo a = ArrInfoOf(list);
  if (a.count == 0) return EvalErrDimension(out);
  const BcdReal *e = ArrElems(a.handle);
  Value best, bestKey;
  ArrGet(e, a.count, a.complex, 0, &best);
  ValAbs(&best, &bestKey);
  if (!a.complex) bestKey = best;
  for (u32 i = 1; i < a.count; ++i) {
    Value v, key;
    ArrGet(e, a.count, a.complex, i, &v);
    if (a.complex) ValAbs(&v, &key);
    else key = v;
    if (ValErrorCode(&key) != 0) {
      *out = key;
      return 0;
    }
    const int better = wantMin ? RealIsLess(&key.re, &bestKey.re) : RealIsGreater(&key.re, &bestKey.re);
    if (better == 1) {
      best = v;
      bestKey = key;
    }
  }
  *out = best;
  return Status(out);
}

u32 EvalListPairMinMax(const EvalCell *a, const EvalCell *b, EvalCell *result, u32 wantMin) {
  const ArrInfo ia = ArrInfoOf(a), ib = ArrInfoOf(b);
  if (ia.count != ib.count) return EvalErrDimension(result);
  const u32 n = ia.count;
  const MemHandle h = MemAlloc(n * 24);
  if (h == 0) return EvalErrMemory(result);
  bool complex = false;
  for (u32 i = 0; i < n; ++i) {
    Value x, y, kx, ky;
    ArrGet(ArrElems(ia.handle), n, ia.complex, i, &x);
    ArrGet(ArrElems(ib.handle), n, ib.complex, i, &y);
    ValAbs(&x, &kx);
    ValAbs(&y, &ky);
    if (!ia.complex && !ib.complex) {
      kx = x;
      ky = y;
    }
    const int takeB = wantMin ? RealIsLess(&ky.re, &kx.re) : RealIsGreater(&ky.re, &kx.re);
    const Value &v = takeB == 1 ? y : x;
    if (ValIsComplex(&v) == 1) complex = true;
    ArrPut(ArrElems(h), n, true, i, &v);
  }
  if (!complex) MemRealloc(h, n * 12);
  ArrSetList(result, complex, static_cast<u16>(n), h);
  return 1;
}

u32 EvalListStatFunc(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area) {
  const u8 which = TokByte1(tok);  // 0x20 Max, 0x2D Min, 0x2E Mean, 0x2F Median
  EvalCell a, b;
  std::memset(&a, 0, sizeof a);
  std::memset(&b, 0, sizeof b);
  if (!EvalListArg(pos, tok, &a, area, 0)) {
    *result = a;
    return 0;
  }
  bool two = false;
  if (TokIsComma(tok)) {
    if (!EvalListArg(pos, tok, &b, area, 0)) {
      Release(&a);
      *result = b;
      return 0;
    }
    two = true;
  }
  u32 ok;
  if (!CloseArgs(pos, tok)) {
    ok = EvalErrSyntax(result);
  } else if (which == 0x20 || which == 0x2D) {
    ok = two ? EvalListPairMinMax(&a, &b, result, which == 0x2D) : EvalListMinMax(&a, result, which == 0x2D);
  } else if (which == 0x2E) {
    ok = (two ? ListMeanFreq(&a, &b, result) : ListMean(&a, result)) ? 1 : 0;
  } else {
    ok = (two ? ListMedianFreq(&a, &b, result) : ListMedianValue(&a, result)) ? 1 : 0;
  }
  Release(&a);
  if (two) Release(&b);
  return ok;
}

u32 EvalArrayToDecimal(EvalCell *cell) {
  if (IsListCell(cell)) ListToDecimal(cell, cell, 1);
  else if (IsMatCell(cell)) MatToDecimal(cell, cell, 1);
  return Status(cell);
}

u32 EvalSeqArguments(EvalCell *result, TokPos *pos, EvalCell *tok, EvalStackArea *area, u32 sum) {
  // The expression: its first token and position are kept; its text is
  // skipped up to the comma that closes it.
  TokNext(tok, pos);
  const TokPos exprPos = *pos;
  const EvalCell exprTok = *tok;
  int depth = 0;
  for (;;) {
    const u8 t = TokByte0(tok);
    if (t == kTokEnd || TokIsStatementEnd(tok)) return EvalErrSyntax(result);
    if (t == '(' || t == '[' || t == '{' || TokIsBracketFunction(tok) || TokIsOpenBracket(tok)) {
      ++depth;
    } else if (TokIsCloseBracket(tok)) {
      if (depth == 0) return EvalErrSyntax(result);
      --depth;
    } else if (depth == 0 && TokIsComma(tok)) {
      break;
    }
    TokNext(tok, pos);
  }
  TokNext(tok, pos);
  const u8 var = TokByte0(tok);
  if (!((var >= 'A' && var <= 'Z') || var == 0xCD || var == 0xCE)) return EvalErrSyntax(result);
  TokNext(tok, pos);
  const u32 flags = sum ? kEvalScalarArg : 0x0104;
  Value args[3];
  std::memset(args, 0, sizeof args);
  ArrInt(1, &args[2]);
  const int needed = sum ? 2 : 3;
  int got = 0;
  while (got < 3 && TokIsComma(tok)) {
    TokNext(tok, pos);
    if (!EvalExpr(pos, tok, &args[got], area, flags)) {
      *result = args[got];
      return 0;
    }
    ++got;
  }
  if (got < needed) return EvalErrSyntax(result);
  if (!CloseArgs(pos, tok)) return EvalErrSyntax(result);
  if (sum) {
    if (EvalIntegerTest(&args[0].re) != 3 || EvalIntegerTest(&args[1].re) != 3) return EvalErrMa(result);
    if (RealIsGreater(&args[0].re, &args[1].re) != 0) return EvalErrMa(result);
    BcdReal zero;
    RealSetZero(&zero);
    if (got == 3 && RealIsGreater(&args[2].re, &zero) != 1) return EvalErrArgument(result);
  }
  const int ok = sum ? NumericSumSequence(&args[0], &args[1], &args[2], result, exprPos, &exprTok, area, var)
                     : ListSequence(result, &args[0], &args[1], &args[2], exprPos, &exprTok, area, var);
  return ok ? 1 : 0;
}
