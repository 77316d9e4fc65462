// Matrix algebra: Crout decomposition, determinant and inverse.
#include "numeric/mat_alg.h"

#include <cstring>
#include <vector>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"

namespace {

// A square working matrix in a heap block (split layout when complex).
struct Sq {
  BcdReal *e;
  u32 n;
  bool cx;
  Value Get(u32 i, u32 j) const {
    Value v;
    ArrGet(e, n * n, cx, i * n + j, &v);
    return v;
  }
  void Put(u32 i, u32 j, const Value &v) { ArrPut(e, n * n, cx, i * n + j, &v); }
};

Sq SqOf(const Value *w) {
  const ArrInfo a = ArrInfoOf(w);
  return Sq{ArrElems(a.handle), a.rows, a.complex};
}

bool IsErr(const Value &v) { return ValErrorCode(&v) != 0; }

// Magnitude of an element (the modulus of a complex one).
Value Mag(const Value &v) {
  Value r;
  ValAbs(&v, &r);
  return r;
}

// s - a*b with the rounding subtracter.
Value SubProd(const Value &s, const Value &a, const Value &b) {
  Value p, r;
  ValMul(&a, &b, &p, 1);
  ValSubMaru(&s, &p, &r, 1);
  return r;
}

Value Div(const Value &a, const Value &b) {
  Value r;
  ValDivFrac(&a, &b, &r, 1);
  return r;
}

void SwapEntries(Value *perm, u32 a, u32 b) {
  const ArrInfo p = ArrInfoOf(perm);
  BcdReal *e = ArrElems(p.handle);
  const BcdReal t = e[a];
  e[a] = e[b];
  e[b] = t;
}

// The threshold below which a pivot counts as zero.
BcdReal Tiny() {
  BcdReal t;
  RealSetZero(&t);
  NumParse("1e-99", &t);
  return t;
}

}  // namespace

int MatPivotColumn(Value *w, int k, Value *perm, u32 *exchanges) {
  if (ValErrorCode(w) != 0) return 0;
  if (ValErrorCode(perm) != 0) {
    *w = *perm;
    return 0;
  }
  Sq s = SqOf(w);
  const u32 kk = static_cast<u32>(k);
  Value best = Mag(s.Get(kk, kk));
  u32 row = kk;
  for (u32 r = kk + 1; r < s.n; ++r) {
    const Value m = Mag(s.Get(r, kk));
    const int lt = RealIsLess(&best.re, &m.re);
    if (lt < 0) {
      ArrFail(w, kArrErrMath);
      return 0;
    }
    if (lt == 1) {
      best = m;
      row = r;
    }
  }
  const BcdReal tiny = Tiny();
  const int small = RealIsLess(&best.re, &tiny);
  if (small != 0) {
    ArrFail(w, kArrErrMath);
    return small < 0 ? 0 : 2;
  }
  if (row == kk) return 1;
  ++*exchanges;
  for (u32 c = 0; c < s.n; ++c) {
    const Value a = s.Get(kk, c), b = s.Get(row, c);
    s.Put(kk, c, b);
    s.Put(row, c, a);
  }
  SwapEntries(perm, kk, row);
  return 1;
}

int MatCroutDecompose(Value *w, Value *perm, u32 *exchanges) {
  if (ValErrorCode(w) != 0) return 0;
  Sq s = SqOf(w);
  const u32 n = s.n;
  auto fail = [&](const Value &err) {
    *w = err;
    return 0;
  };
  // Row 0 of U.
  const Value p0 = s.Get(0, 0);
  for (u32 c = 1; c < n; ++c) {
    const Value q = Div(s.Get(0, c), p0);
    if (IsErr(q)) return fail(q);
    s.Put(0, c, q);
  }
  for (u32 k = 1; k + 1 < n; ++k) {
    // Column k of L.
    for (u32 r = k; r < n; ++r) {
      Value acc = s.Get(r, k);
      for (u32 l = 0; l < k; ++l) acc = SubProd(acc, s.Get(r, l), s.Get(l, k));
      if (IsErr(acc)) return fail(acc);
      s.Put(r, k, acc);
    }
    const int piv = MatPivotColumn(w, static_cast<int>(k), perm, exchanges);
    if (piv != 1) return piv;
    if (KeyBreakPoll() != 0) {
      ArrFail(w, kArrErrBreak);
      return 0;
    }
    // Row k of U.
    const Value pk = s.Get(k, k);
    for (u32 c = k + 1; c < n; ++c) {
      Value acc = s.Get(k, c);
      for (u32 l = 0; l < k; ++l) acc = SubProd(acc, s.Get(k, l), s.Get(l, c));
      const Value q = Div(acc, pk);
      if (IsErr(q)) return fail(q);
      s.Put(k, c, q);
    }
  }
  // The last pivot.
  if (n >= 2) {
    Value acc = s.Get(n - 1, n - 1);
    for (u32 l = 0; l + 1 < n; ++l) acc = SubProd(acc, s.Get(n - 1, l), s.Get(l, n - 1));
    if (IsErr(acc)) return fail(acc);
    s.Put(n - 1, n - 1, acc);
  }
  const Value last = Mag(s.Get(n - 1, n - 1));
  BcdReal zero;
  RealSetZero(&zero);
  if (RealIsEqual(&last.re, &zero) == 1) {
    ArrFail(w, kArrErrMath);
    return 2;
  }
  return 1;
}

namespace {

// The working copy and the permutation list of a decomposition.
struct Work {
  MemHandle w = 0, perm = 0;
  Value wv{}, pv{};
  void Free() {
    if (w) MemFree(w);
    if (perm) MemFree(perm);
    w = perm = 0;
  }
};

// Copies the square matrix m into a new working block and makes the
// permutation list 0 .. n-1; false when memory runs out.
bool MakeWork(const ArrInfo &m, Work *k) {
  const u32 n = m.rows, parts = m.complex ? 2 : 1;
  k->w = MemAlloc(n * n * 12 * parts);
  k->perm = MemAlloc(n * 12);
  if (k->w == 0 || k->perm == 0) {
    k->Free();
    return false;
  }
  std::memcpy(MemDeref(k->w), MemDeref(m.handle), n * n * 12 * parts);
  ArrSetMatrix(&k->wv, m.complex, static_cast<u16>(n), static_cast<u16>(n), k->w);
  BcdReal *p = ArrElems(k->perm);
  for (u32 i = 0; i < n; ++i) NumFromInt32(static_cast<i32>(i), RealSetZero(&p[i]));
  ArrSetList(&k->pv, false, static_cast<u16>(n), k->perm);
  return true;
}

int Decompose(Work *k, u32 *exchanges) {
  int r = MatPivotColumn(&k->wv, 0, &k->pv, exchanges);
  if (r == 1) r = MatCroutDecompose(&k->wv, &k->pv, exchanges);
  return r;
}

}  // namespace

int MatDeterminant(const Value *m, Value *out) {
  const ArrInfo a = ArrInfoOf(m);
  if (a.rows != a.cols) {
    ArrFail(out, kArrErrDimension);
    return 0;
  }
  const BcdReal *e = ArrElems(a.handle);
  if (e == nullptr || !ArrFits(a)) {
    ArrFail(out, kArrErrMemory);
    return 0;
  }
  const u32 n = a.rows;
  // An all-zero real matrix needs no work.
  bool allZero = true;
  const u32 parts = a.complex ? 2 : 1;
  for (u32 i = 0; i < a.count * parts && allZero; ++i) {
    for (u32 b = 0; b < 12 && allZero; ++b) allZero = e[i].b[b] == 0 || b >= 9;
  }
  if (allZero) {
    ArrInt(0, out);
    return 1;
  }
  Value det;
  if (n == 2) {
    Sq s{const_cast<BcdReal *>(e), 2, a.complex};
    Value ad, bc;
    const Value a11 = s.Get(0, 0), a22 = s.Get(1, 1), a12 = s.Get(0, 1), a21 = s.Get(1, 0);
    ValMul(&a11, &a22, &ad, 1);
    ValMul(&a12, &a21, &bc, 1);
    ValSubMaru(&ad, &bc, &det, 1);
  } else {
    Work k;
    if (!MakeWork(a, &k)) {
      ArrFail(out, kArrErrMemory);
      return 0;
    }
    u32 ex = 0;
    const int r = Decompose(&k, &ex);
    if (r == 2) {
      k.Free();
      ArrInt(0, out);
      return 1;
    }
    if (r == 0) {
      const Value err = k.wv;
      k.Free();
      *out = err;
      return 0;
    }
    if (KeyBreakPoll() != 0) {
      k.Free();
      ArrFail(out, kArrErrBreak);
      return 0;
    }
    Sq s = SqOf(&k.wv);
    ArrInt(1, &det);
    for (u32 i = 0; i < n; ++i) {
      const Value d = s.Get(i, i);
      Value p;
      ValMul(&det, &d, &p, 1);
      det = p;
    }
    k.Free();
    if (ex % 2 == 1) {
      Value neg;
      ValNeg(&det, &neg);
      det = neg;
    }
  }
  ValNormalize(&det, out);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

int MatInverse2x2(const Value *m, Value *out, u32 complex) {
  const ArrInfo a = ArrInfoOf(m);
  Sq s{ArrElems(a.handle), 2, a.complex};
  const Value ma = s.Get(0, 0), mb = s.Get(0, 1), mc = s.Get(1, 0), md = s.Get(1, 1);
  Value ad, bc, det, dn;
  ValMul(&ma, &md, &ad, 1);
  ValMul(&mb, &mc, &bc, 1);
  ValSubMaru(&ad, &bc, &det, 1);
  ValNormalize(&det, &dn);
  if (IsErr(dn)) {
    *out = dn;
    return 0;
  }
  const u32 parts = complex ? 2 : 1;
  const MemHandle h = MemAlloc(4 * 12 * parts);
  if (h == 0) {
    ArrFail(out, kArrErrMemory);
    return 0;
  }
  Sq r{ArrElems(h), 2, complex != 0};
  const Value *src[4] = {&md, &mb, &mc, &ma};
  const bool negate[4] = {false, true, true, false};
  Value el[4];
  for (int i = 0; i < 4; ++i) {
    Value q;
    ValDivFrac(src[i], &dn, &q, 1);
    if (IsErr(q)) {
      MemFree(h);
      *out = q;
      return 0;
    }
    if (negate[i]) ValNeg(&q, &el[i]);
    else el[i] = q;
  }
  for (int i = 0; i < 4; ++i) {
    Value nv;
    ValNormalize(&el[i], &nv);
    r.Put(static_cast<u32>(i / 2), static_cast<u32>(i % 2), nv);
  }
  ArrSetMatrix(out, complex != 0, 2, 2, h);
  return 1;
}

int MatInverse(const Value *m, Value *out) {
  if (ValErrorCode(m) != 0) {
    *out = *m;
    return 0;
  }
  const ArrInfo a = ArrInfoOf(m);
  if (a.rows != a.cols) {
    ArrFail(out, kArrErrDimension);
    return 0;
  }
  if (ArrElems(a.handle) == nullptr || !ArrFits(a)) {
    ArrFail(out, kArrErrMemory);
    return 0;
  }
  const u32 n = a.rows;
  if (n == 2 && !a.complex) return MatInverse2x2(m, out, 0);
  if (n == 2) {
    Value det;
    MatDeterminant(m, &det);
    BcdReal zero;
    RealSetZero(&zero);
    if (ValErrorCode(&det) == 0 && ValIsComplex(&det) == 0 && RealIsEqual(&det.re, &zero) == 1) {
      ArrFail(out, kArrErrMath);
      return 0;
    }
  }
  const u32 parts = a.complex ? 2 : 1;
  const MemHandle res = MemAlloc(n * n * 12 * parts);
  const MemHandle yz = MemAlloc(2 * n * 12 * parts);
  Work k;
  if (res == 0 || yz == 0 || !MakeWork(a, &k)) {
    if (res) MemFree(res);
    if (yz) MemFree(yz);
    ArrFail(out, kArrErrMemory);
    return 0;
  }
  auto fail = [&](const Value &err) {
    MemFree(res);
    MemFree(yz);
    k.Free();
    *out = err;
    return 0;
  };
  u32 ex = 0;
  if (Decompose(&k, &ex) != 1) return fail(k.wv);
  const Sq w = SqOf(&k.wv);
  std::vector<u32> p(n);
  const BcdReal *pe = ArrElems(k.perm);
  for (u32 i = 0; i < n; ++i) p[i] = static_cast<u32>(NumToInt32(&pe[i]));
  BcdReal *vyz = ArrElems(yz);
  auto Y = [&](u32 i) {
    Value v;
    ArrGet(vyz, 2 * n, a.complex, i, &v);
    return v;
  };
  auto Z = [&](u32 i) {
    Value v;
    ArrGet(vyz, 2 * n, a.complex, n + i, &v);
    return v;
  };
  auto SetY = [&](u32 i, const Value &v) { ArrPut(vyz, 2 * n, a.complex, i, &v); };
  auto SetZ = [&](u32 i, const Value &v) { ArrPut(vyz, 2 * n, a.complex, n + i, &v); };
  Sq r{ArrElems(res), n, a.complex};
  Value one, zero;
  ArrInt(1, &one);
  ArrInt(0, &zero);
  for (u32 j = 0; j < n; ++j) {
    // Forward substitution with L.
    for (u32 i = 0; i < n; ++i) {
      Value s = p[i] == j ? one : zero;
      for (u32 l = 0; l < i; ++l) s = SubProd(s, w.Get(i, l), Y(l));
      const Value y = Div(s, w.Get(i, i));
      if (IsErr(y)) return fail(y);
      SetY(i, y);
    }
    // Back substitution with U (unit diagonal).
    for (u32 ii = n; ii-- > 0;) {
      Value s = Y(ii);
      for (u32 l = ii + 1; l < n; ++l) s = SubProd(s, w.Get(ii, l), Z(l));
      Value z;
      ValNormalize(&s, &z);
      if (IsErr(z)) return fail(z);
      SetZ(ii, z);
    }
    for (u32 i = 0; i < n; ++i) r.Put(i, j, Z(i));
  }
  MemFree(yz);
  k.Free();
  ArrSetMatrix(out, a.complex, static_cast<u16>(n), static_cast<u16>(n), res);
  return 1;
}
