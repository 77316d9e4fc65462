// Matrix operations.
#include "numeric/mat_ops.h"

#include <cstring>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_func.h"
#include "numeric/list_ops.h"
#include "numeric/mat_alg.h"

namespace {

bool IsMat(const Value *v) { return ValKind(v) == kValKindMatrix; }

// The heap block of the operand that the output replaces (0 when none).
MemHandle Consumed(const Value *out, const Value *a, const Value *b) {
  if (out == a && IsMat(a)) {
    const ArrInfo i = ArrInfoOf(a);
    if (MemClassify(i.handle) == kArrHeapBlock) return i.handle;
  }
  if (b && out == b && IsMat(b)) {
    const ArrInfo i = ArrInfoOf(b);
    if (MemClassify(i.handle) == kArrHeapBlock) return i.handle;
  }
  return 0;
}

bool KnownBlock(const Value *v) {
  if (!IsMat(v)) return true;
  const ArrInfo a = ArrInfoOf(v);
  return MemClassify(a.handle) != kArrUnknownBlock && ArrFits(a);
}

// One product element: the sum over l of a(i,l) * b(l,j), added in order.
Value DotRow(const BcdReal *ea, const ArrInfo &ia, const BcdReal *eb, const ArrInfo &ib, u32 i, u32 j, u32 cf) {
  Value s, x, y, p, t;
  ArrInt(0, &s);
  for (u32 l = 0; l < ia.cols; ++l) {
    ArrGet(ea, ia.count, ia.complex, i * ia.cols + l, &x);
    ArrGet(eb, ib.count, ib.complex, l * ib.cols + j, &y);
    ValMul(&x, &y, &p, cf);
    ValAddMaru(&s, &p, &t, cf);
    s = t;
    if (ValErrorCode(&s) != 0) break;
  }
  return s;
}

}  // namespace

Value *MatAdd(const Value *a, const Value *b, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyArith, kListOpAdd, a, b, out, cf, 0, false);
}
Value *MatSubtract(const Value *a, const Value *b, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyArith, kListOpSub, a, b, out, cf, 0, false);
}
Value *MatIntg(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyIntPart, kListOpIntg, x, nullptr, out, cf, 0, false);
}
Value *MatInt(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyIntPart, kListOpInt, x, nullptr, out, cf, 0, false);
}
Value *MatFrac(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyIntPart, kListOpFrac, x, nullptr, out, cf, 0, false);
}
Value *MatAbs(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyRealResult, kListOpAbs, x, nullptr, out, cf, 0, false);
}
Value *MatNegate(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyKindKeeping, kListOpNeg, x, nullptr, out, cf, 0, false);
}
Value *MatNormalize(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyKindKeeping, kListOpNormalize, x, nullptr, out, cf, 0, false);
}
Value *MatToFraction(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyKindKeeping, kListOpToFraction, x, nullptr, out, cf, 0, false);
}
Value *MatToDecimal(const Value *x, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyKindKeeping, kListOpToDecimal, x, nullptr, out, cf, 0, false);
}
Value *MatRoundFix(const Value *x, Value *out, int n) {
  return ArrElementwise(kArrFamilyKindKeeping, kListOpRound, x, nullptr, out, 1, n, false);
}
Value *MatScale(const Value *a, const Value *b, Value *out, u32 cf) {
  return ArrElementwise(kArrFamilyArith, kListOpMul, a, b, out, cf, 0, true);
}

Value *MatMultiply(const Value *a, const Value *b, Value *out, u32 cf) {
  if (!KnownBlock(a) || !KnownBlock(b)) return ArrFail(out, kArrErrMemory);
  const MemHandle consumed = Consumed(out, a, b);
  const ArrInfo ia = ArrInfoOf(a), ib = ArrInfoOf(b);
  auto fail = [&](u8 code) {
    if (consumed) MemFree(consumed);
    return ArrFail(out, code);
  };
  if (ia.cols != ib.rows) return fail(kArrErrDimension);
  const bool two = ia.complex || ib.complex;
  const u32 r = ia.rows, c = ib.cols, count = r * c;
  const MemHandle h = MemAlloc(count * 12 * (two ? 2 : 1));
  if (h == 0) return fail(kArrErrMemory);
  const BcdReal *ea = ArrElems(ia.handle), *eb = ArrElems(ib.handle);
  BcdReal *er = ArrElems(h);
  bool anyComplex = false;
  for (u32 i = 0; i < r; ++i) {
    for (u32 j = 0; j < c; ++j) {
      Value s = DotRow(ea, ia, eb, ib, i, j, cf);
      if (ValErrorCode(&s) == 0 && KeyBreakPoll() != 0) ArrFail(&s, kArrErrBreak);
      if (ValErrorCode(&s) != 0) {
        MemFree(h);
        if (consumed) MemFree(consumed);
        *out = s;
        return out;
      }
      if (s.re.b[0] & 0x80) anyComplex = true;
      ArrPut(er, count, two, i * c + j, &s);
    }
  }
  if (consumed) MemFree(consumed);
  if (two && !anyComplex && MemRealloc(h, count * 12) == 0) {
    MemFree(h);
    return ArrFail(out, kArrErrMemory);
  }
  ArrSetMatrix(out, anyComplex, static_cast<u16>(r), static_cast<u16>(c), h);
  return out;
}

Value *MatReciprocal(const Value *x, Value *out, u32) {
  const MemHandle consumed = Consumed(out, x, nullptr);
  const Value m = *x;
  if (!KnownBlock(&m)) return ArrFail(out, kArrErrMemory);
  MatInverse(&m, out);
  if (consumed) MemFree(consumed);
  return out;
}

Value *MatPower(const Value *m, const Value *nv, Value *out, u32 cf) {
  if (!KnownBlock(m)) return ArrFail(out, kArrErrMemory);
  const MemHandle consumed = Consumed(out, m, nullptr);
  auto fail = [&](u8 code) {
    if (consumed) MemFree(consumed);
    return ArrFail(out, code);
  };
  if (ValIsComplex(nv) == 1 || RealIsInteger(&nv->re) != 1) return fail(kArrErrMath);
  BcdReal minus1, big;
  NumFromInt32(-1, RealSetZero(&minus1));
  RealSet32767(&big);
  if (RealIsEqual(&nv->re, &minus1) == 1) return MatReciprocal(m, out, cf);
  BcdReal zero;
  RealSetZero(&zero);
  if (RealIsLessEqual(&nv->re, &zero) == 1 || RealIsGreaterEqual(&nv->re, &big) == 1) return fail(kArrErrMath);
  const i32 n = NumToInt32(&nv->re);
  const ArrInfo im = ArrInfoOf(m);
  if (im.rows != im.cols) return fail(kArrErrDimension);
  const u32 r = im.rows, count = r * r, parts = im.complex ? 2 : 1;
  // The power P starts as a copy of M; T holds the previous power.
  const MemHandle hp = MemAlloc(count * 12 * parts);
  const MemHandle ht = MemAlloc(count * 12 * parts);
  if (hp == 0 || ht == 0) {
    if (hp) MemFree(hp);
    if (ht) MemFree(ht);
    return fail(kArrErrMemory);
  }
  std::memcpy(MemDeref(hp), MemDeref(im.handle), count * 12 * parts);
  ArrInfo it = im;
  it.handle = ht;
  bool anyComplex = im.complex;
  for (i32 rep = 1; rep < n; ++rep) {
    std::memcpy(MemDeref(ht), MemDeref(hp), count * 12 * parts);
    const BcdReal *em = ArrElems(im.handle), *et = ArrElems(ht);
    BcdReal *ep = ArrElems(hp);
    anyComplex = false;
    for (u32 i = 0; i < r; ++i) {
      for (u32 j = 0; j < r; ++j) {
        Value s = DotRow(em, im, et, it, i, j, cf);
        if (ValErrorCode(&s) == 0 && KeyBreakPoll() != 0) ArrFail(&s, kArrErrBreak);
        if (ValErrorCode(&s) != 0) {
          MemFree(hp);
          MemFree(ht);
          if (consumed) MemFree(consumed);
          *out = s;
          return out;
        }
        if (s.re.b[0] & 0x80) anyComplex = true;
        ArrPut(ep, count, parts == 2, i * r + j, &s);
      }
    }
  }
  MemFree(ht);
  if (consumed) MemFree(consumed);
  if (parts == 2 && !anyComplex && MemRealloc(hp, count * 12) == 0) {
    MemFree(hp);
    return ArrFail(out, kArrErrMemory);
  }
  ArrSetMatrix(out, parts == 2 && anyComplex, static_cast<u16>(r), static_cast<u16>(r), hp);
  return out;
}

namespace {

// A one-matrix token: the operand's error passes, a non-matrix is Ma ERROR,
// and a heap block that out held as the operand is freed after the result.
Value *OnMatrixOperand(const Value *x, Value *out, int (*op)(const Value *, Value *)) {
  if (ValErrorCode(x) != 0) {
    *out = *x;
    return out;
  }
  if (!IsMat(x)) return ArrFail(out, kArrErrMath);
  if (!KnownBlock(x)) return ArrFail(out, kArrErrMemory);
  const MemHandle consumed = Consumed(out, x, nullptr);
  const Value m = *x;
  op(&m, out);
  if (consumed) MemFree(consumed);
  return out;
}

}  // namespace

Value *MatDetToken(const Value *x, Value *out) { return OnMatrixOperand(x, out, MatDeterminant); }

Value *MatTransposeToken(const Value *x, Value *out) { return OnMatrixOperand(x, out, MatTranspose); }

Value *MatDimToken(const Value *x, Value *out) {
  if (ValErrorCode(x) != 0) {
    *out = *x;
    return out;
  }
  const int k = ValKind(x);
  if (k != kValKindList && k != kValKindMatrix) return ArrFail(out, kArrErrSyntax);
  const ArrInfo a = ArrInfoOf(x);
  const bool owned = out == x && MemClassify(a.handle) == kArrHeapBlock;
  if (k == kValKindList) {
    if (owned) MemFree(a.handle);
    return ArrInt(a.rows, out);
  }
  MemHandle h = 0;
  if (owned) {
    h = MemRealloc(a.handle, 24);
    if (h == 0) MemFree(a.handle);
  } else {
    h = MemAlloc(24);
  }
  if (h == 0) return ArrFail(out, kArrErrMemory);
  BcdReal *e = ArrElems(h);
  NumFromInt32(a.rows, RealSetZero(&e[0]));
  NumFromInt32(a.cols, RealSetZero(&e[1]));
  ArrSetList(out, false, 2, h);
  return out;
}

Value *MatIdentityToken(const Value *nv, Value *out) {
  if (ValErrorCode(nv) != 0) {
    *out = *nv;
    return out;
  }
  if (ValKind(nv) != kValKindScalar || ValIsComplex(nv) == 1) return ArrFail(out, kArrErrMath);
  BcdReal zero, max;
  RealSetZero(&zero);
  NumFromInt32(kValMatrixMax, RealSetZero(&max));
  if (RealIsInteger(&nv->re) != 1 || RealIsLessEqual(&nv->re, &zero) == 1 || RealIsGreater(&nv->re, &max) == 1) {
    return ArrFail(out, kArrErrArgument);
  }
  const u32 n = static_cast<u32>(NumToInt32(&nv->re));
  const MemHandle h = MemAlloc(n * n * 12);
  if (h == 0) return ArrFail(out, kArrErrMemory);
  BcdReal *e = ArrElems(h);
  std::memset(e, 0, n * n * 12);
  for (u32 i = 0; i < n; ++i) RealSetOne(&e[i * n + i]);
  ArrSetMatrix(out, false, static_cast<u16>(n), static_cast<u16>(n), h);
  return out;
}
