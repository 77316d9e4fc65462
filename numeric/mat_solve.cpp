// Square linear systems: the right-hand side made real, the closed form for
// a real 2 x 2 system and Crout elimination with partial pivoting for the
// rest.
#include "numeric/mat_solve.h"

#include <cstring>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/mat_alg.h"

namespace {

bool IsErr(const Value &v) { return ValErrorCode(&v) != 0; }

// Element i of a vector or matrix value's block.
Value At(const Value *m, u32 i) {
  const ArrInfo a = ArrInfoOf(m);
  Value v;
  ArrGet(ArrElems(a.handle), a.count, a.complex, i, &v);
  return v;
}

void Put(Value *m, u32 i, const Value &v) {
  const ArrInfo a = ArrInfoOf(m);
  ArrPut(ArrElems(a.handle), a.count, a.complex, i, &v);
}

bool AnyComplex(const BcdReal *e, u32 count) {
  for (u32 i = 0; i < count; ++i) {
    Value v;
    ArrGet(e, count, true, i, &v);
    if (ValIsComplex(&v) == 1) return true;
  }
  return false;
}

// The elimination shared by both solvers; `allow` is the arithmetic's
// complex-result switch.
int Crout(const Value *a, const Value *b, Value *out, Value *w, Value *c, Value *y, Value *z, u32 allow) {
  const ArrInfo ai = ArrInfoOf(a);
  const u32 n = ai.rows;
  // W = A, element by element (the kinds of A and W may differ in size).
  for (u32 i = 0; i < n * n; ++i) Put(w, i, At(a, i));
  // The row exchanges of the decomposition are recorded in z's block, which
  // is free until the back substitution: entry i names the row of A that
  // now stands in row i.
  Value perm;
  ArrSetList(&perm, false, static_cast<u16>(n), ArrInfoOf(z).handle);
  BcdReal *pe = ArrElems(ArrInfoOf(z).handle);
  for (u32 i = 0; i < n; ++i) {
    Value k;
    ArrInt(static_cast<i32>(i), &k);
    pe[i] = k.re;
  }
  u32 exchanges = 0;
  if (MatPivotColumn(w, 0, &perm, &exchanges) != 1) {
    *out = *w;
    return 0;
  }
  if (KeyBreakPoll() != 0) {
    ArrFail(out, kArrErrBreak);
    return 0;
  }
  if (MatCroutDecompose(w, &perm, &exchanges) != 1) {
    *out = *w;
    return 0;
  }
  if (KeyBreakPoll() != 0) {
    ArrFail(out, kArrErrBreak);
    return 0;
  }
  // c = b in the decomposition's row order.
  for (u32 i = 0; i < n; ++i) {
    Value k;
    k.re = pe[i];
    RealSetZero(&k.im);
    const u32 from = static_cast<u32>(NumToInt32(&k.re));
    Put(c, i, At(b, from < n ? from : i));
  }
  auto L = [&](u32 i, u32 j) { return At(w, i * n + j); };
  // Forward substitution with L (diagonal included).
  for (u32 i = 0; i < n; ++i) {
    Value s = At(c, i);
    for (u32 j = 0; j < i; ++j) {
      Value p, d;
      const Value lij = L(i, j), yj = At(y, j);
      ValMul(&lij, &yj, &p, allow);
      ValSubMaru(&s, &p, &d, allow);
      s = d;
    }
    Value q;
    const Value lii = L(i, i);
    ValDivFrac(&s, &lii, &q, allow);
    Put(y, i, q);
  }
  // Back substitution with U (unit diagonal), each entry normalised.
  for (u32 ii = n; ii-- > 0;) {
    Value s = At(y, ii);
    for (u32 j = ii + 1; j < n; ++j) {
      Value p, d;
      const Value uij = L(ii, j), zj = At(z, j);
      ValMul(&uij, &zj, &p, allow);
      ValSubMaru(&s, &p, &d, allow);
      s = d;
    }
    Value zn;
    ValNormalize(&s, &zn);
    Put(z, ii, zn);
  }
  for (u32 i = 0; i < n; ++i) {
    const Value v = At(z, i);
    if (IsErr(v)) {
      *out = v;
      return 0;
    }
    Put(out, i, v);
  }
  return 1;
}

}  // namespace

int MatRealizeRhs(u32 n, Value *a, Value *b) {
  (void)n;
  const ArrInfo bi = ArrInfoOf(b);
  if (!bi.complex) return 1;
  ArrInfo ai = ArrInfoOf(a);
  const u32 rows = ai.rows, count = ai.count;
  auto memoryFail = [&] {
    ArrFail(a, kArrErrMemory);
    *b = *a;
    return 0;
  };
  if (!ai.complex) {
    if (MemRealloc(ai.handle, count * 24) == 0) return memoryFail();
    std::memset(ArrElems(ai.handle) + count, 0, count * 12);
    ArrSetMatrix(a, true, ai.rows, ai.cols, ai.handle);
    ai = ArrInfoOf(a);
  }
  BcdReal *ae = ArrElems(ai.handle);
  BcdReal *be = ArrElems(bi.handle);
  for (u32 i = 0; i < rows && i < bi.count; ++i) {
    Value bv;
    ArrGet(be, bi.count, true, i, &bv);
    if (ValIsComplex(&bv) != 1) continue;
    Value r, cj, f;
    ValAbs(&bv, &r);
    ValConj(&bv, &cj);
    ValDiv(&cj, &r, &f, 1);
    for (u32 j = 0; j < ai.cols; ++j) {
      Value e, p;
      ArrGet(ae, count, true, i * ai.cols + j, &e);
      ValMul(&e, &f, &p, 1);
      ArrPut(ae, count, true, i * ai.cols + j, &p);
    }
    ArrPut(be, bi.count, true, i, &r);
  }
  const bool cx = AnyComplex(ae, count);
  if (!cx) {
    // Every element is real again: clear the complex marks and drop the
    // imaginary half.
    for (u32 i = 0; i < count; ++i) ae[i].b[0] &= ValErrorCode(&ae[i]) ? 0xFF : 0x7F;
    if (MemRealloc(ai.handle, count * 12) == 0) return memoryFail();
  }
  ArrSetMatrix(a, cx, ai.rows, ai.cols, ai.handle);
  for (u32 i = 0; i < bi.count; ++i) be[i].b[0] &= ValErrorCode(&be[i]) ? 0xFF : 0x7F;
  if (MemRealloc(bi.handle, bi.count * 12) == 0) return memoryFail();
  ArrSetMatrix(b, false, bi.rows, bi.cols, bi.handle);
  return 1;
}

int MatSolveCroutReal(const Value *a, const Value *b, Value *out, Value *w, Value *c, Value *y, Value *z) {
  return Crout(a, b, out, w, c, y, z, 0);
}

int MatSolveCroutComplex(const Value *a, const Value *b, Value *out, Value *w, Value *c, Value *y, Value *z) {
  return Crout(a, b, out, w, c, y, z, 1);
}

int MatSolveLinear(u32, const Value *a, const Value *b, Value *out) {
  if (IsErr(*a)) {
    *out = *a;
    return 0;
  }
  if (IsErr(*b)) {
    *out = *b;
    return 0;
  }
  const ArrInfo ai = ArrInfoOf(a), bi = ArrInfoOf(b);
  if (!ai.matrix || ai.rows != ai.cols || bi.rows != ai.rows || bi.count != ai.rows) {
    ArrFail(out, kArrErrDimension);
    return 0;
  }
  if (!ArrFits(ai) || !ArrFits(bi)) {
    ArrFail(out, kArrErrMemory);
    return 0;
  }
  const u32 n = ai.rows;
  if (n == 2 && !ai.complex) {
    Value inv, x;
    if (MatInverse2x2(a, &inv, 0) != 1) {
      *out = inv;
      return 0;
    }
    ValMul(&inv, b, &x, 1);
    ValFreeTemp(&inv);
    if (IsErr(x)) {
      *out = x;
      return 0;
    }
    // Normalised in place: the product's block becomes the solution's.
    ValNormalize(&x, &x);
    *out = x;
    return IsErr(*out) ? 0 : 1;
  }
  if (n == 2) {
    Value det;
    MatDeterminant(a, &det);
    BcdReal zero;
    RealSetZero(&zero);
    if (IsErr(det) || (ValIsComplex(&det) == 0 && RealIsEqual(&det.re, &zero) != 0)) {
      ArrFail(out, kArrErrMath);
      return 0;
    }
  }
  // The right-hand side is normally real by now; a complex one still gets
  // the complex solver rather than a failure.
  const bool cx = ai.complex || bi.complex;
  const u32 parts = cx ? 2 : 1;
  const u32 sizes[5] = {n * 12 * parts, n * n * 12 * parts, n * 12 * parts, n * 12 * parts, n * 12 * parts};
  MemHandle h[5] = {};
  for (int k = 0; k < 5; ++k) {
    h[k] = MemAlloc(sizes[k]);
    if (h[k] == 0) {
      for (int j = 0; j < k; ++j) MemFree(h[j]);
      ArrFail(out, kArrErrMemory);
      return 0;
    }
    std::memset(MemDeref(h[k]), 0, sizes[k]);
  }
  Value res, w, c, y, z;
  ArrSetMatrix(&res, cx, static_cast<u16>(n), 1, h[0]);
  ArrSetMatrix(&w, cx, static_cast<u16>(n), static_cast<u16>(n), h[1]);
  ArrSetMatrix(&c, cx, static_cast<u16>(n), 1, h[2]);
  ArrSetMatrix(&y, cx, static_cast<u16>(n), 1, h[3]);
  ArrSetMatrix(&z, cx, static_cast<u16>(n), 1, h[4]);
  Value sol = res;
  const int ok = cx ? MatSolveCroutComplex(a, b, &sol, &w, &c, &y, &z) : MatSolveCroutReal(a, b, &sol, &w, &c, &y, &z);
  for (int k = 1; k < 5; ++k) MemFree(h[k]);
  if (ok != 1) {
    MemFree(h[0]);
    *out = sol;
    return 0;
  }
  for (u32 i = 0; i < n; ++i) {
    const Value v = At(&res, i);
    Value nv;
    ValNormalize(&v, &nv);
    Put(&res, i, nv);
  }
  *out = res;
  return 1;
}
