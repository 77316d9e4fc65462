// Regression fits.
#include "numeric/reg_fit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/frac.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_stats.h"
#include "numeric/mat_solve.h"

namespace {

bool Err(const Value &v) { return ValErrorCode(&v) != 0; }

int Fail(Value *out, u8 code) {
  ArrFail(out, code);
  return 0;
}

Value FromReal(const BcdReal &r) {
  Value v;
  v.re = r;
  RealSetZero(&v.im);
  return v;
}

Value Int(i32 n) {
  Value v;
  ArrInt(n, &v);
  return v;
}

Value Add(const Value &a, const Value &b) {
  Value r;
  ValAddMaru(&a, &b, &r, 0);
  return r;
}
Value Sub(const Value &a, const Value &b) {
  Value r;
  ValSubMaru(&a, &b, &r, 0);
  return r;
}
Value Mul(const Value &a, const Value &b) {
  Value r;
  ValMul(&a, &b, &r, 0);
  return r;
}
Value Div(const Value &a, const Value &b) {
  Value r;
  ValDiv(&a, &b, &r, 0);
  return r;
}
// The fraction form of a real where it has one, so that sums stay exact.
Value Frac(const Value &a) {
  if (Err(a)) return a;
  Value r = a;
  RealToFrac(&a.re, &r.re);
  return r;
}
Value Dec(const Value &a) {
  if (Err(a)) return a;
  Value r = a;
  if (RealIsFrac(&a.re)) RealFracToDecimal(&a.re, &r.re);
  return r;
}
Value Neg(const Value &a) {
  Value r;
  ValNeg(&a, &r);
  return r;
}
Value Norm(const Value &a) {
  Value r;
  ValNormalize(&a, &r);
  return r;
}

bool IsRealList(const Value *v) { return ValErrorCode(v) == 0 && ValKind(v) == kValKindList && ValIsComplex(v) != 1; }

Value Elem(const Value *list, u32 i) {
  const ArrInfo a = ArrInfoOf(list);
  Value v;
  ArrGet(ArrElems(a.handle), a.count, a.complex, i, &v);
  return v;
}

u32 Count(const Value *list) { return ArrInfoOf(list).count; }

// A new real heap list of n elements, all 0; false when memory runs out.
bool NewList(u16 n, Value *out) {
  const MemHandle h = MemAlloc(n * 12u);
  if (h == 0) return false;
  BcdReal *e = ArrElems(h);
  for (u16 i = 0; i < n; ++i) RealSetZero(&e[i]);
  ArrSetList(out, false, n, h);
  return true;
}

void SetElem(Value *list, u32 i, const Value &v) { ArrElems(ArrInfoOf(list).handle)[i] = v.re; }
Value GetElem(const Value *list, u32 i) { return FromReal(ArrElems(ArrInfoOf(list).handle)[i]); }

// Frees a result list and leaves the error value of code in out.
int Drop(Value *list, Value *out, u8 code) {
  ValFreeTemp(list);
  return Fail(out, code);
}

// Normalises every element of a result list; 0 with Ma ERROR in out when one
// of them is an error value.
int NormalizeList(Value *list, Value *out) {
  const u32 n = Count(list);
  for (u32 i = 0; i < n; ++i) {
    const Value v = Norm(Dec(GetElem(list, i)));
    if (Err(v)) return Drop(list, out, kArrErrMath);
    SetElem(list, i, v);
  }
  *out = *list;
  return 1;
}

// Length checks shared by the fits: 0 or an error code.
u8 CheckLists(const Value *x, const Value *y, const Value *f, bool refuseComplex) {
  for (const Value *v : {x, y, f}) {
    if (v == nullptr) continue;
    if (ValErrorCode(v) != 0) return ValErrorCode(v);
    if (ValKind(v) != kValKindList) return kArrErrMath;
    if (refuseComplex && ValIsComplex(v) == 1) return kArrErrComplexList;
  }
  if (Count(y) != Count(x)) return kArrErrDimension;
  if (f != nullptr && Count(f) != Count(x)) return kArrErrDimension;
  return 0;
}

// The minima of x and y in fraction form: 0 or the error value in out.
int Minima(const Value *x, const Value *y, Value *mx, Value *my, Value *out) {
  BcdReal lo, hi;
  if (!IsRealList(x) || !IsRealList(y)) return Fail(out, kArrErrComplexList), 0;
  if (!RegListMinMax(x, &lo, &hi)) return (*out = FromReal(lo)), 0;
  *mx = Frac(FromReal(lo));
  if (!RegListMinMax(y, &lo, &hi)) return (*out = FromReal(lo)), 0;
  *my = Frac(FromReal(lo));
  return 1;
}

Value Weight(const Value *f, u32 i) { return f ? Frac(Elem(f, i)) : Int(1); }

}  // namespace

int RegListMinMax(const Value *list, BcdReal *min, BcdReal *max) {
  if (ValErrorCode(list) != 0) {
    *min = *max = list->re;
    return 0;
  }
  if (ValKind(list) != kValKindList || ValIsComplex(list) == 1) return 0;
  const u32 n = Count(list);
  if (n == 0) {
    RealMakeError(kArrErrDimension, min);
    *max = *min;
    return 0;
  }
  BcdReal lo = Elem(list, 0).re, hi = lo;
  for (u32 i = 0; i < n; ++i) {
    if (KeyBreakPoll()) {
      RealMakeError(kArrErrBreak, min);
      *max = *min;
      return 0;
    }
    const BcdReal e = Elem(list, i).re;
    if (RealErrorCode(&e) != 0) {
      *min = *max = e;
      return 0;
    }
    if (RealIsLess(&e, &lo) == 1) lo = e;
    if (RealIsLess(&hi, &e) == 1) hi = e;
  }
  *min = lo;
  *max = hi;
  return 1;
}

int RegPowerInt(const BcdReal *x, int k, BcdReal *out) {
  const Value v = FromReal(*x);
  if (k < 1 || k > 8) {
    *out = *x;
    return 0;
  }
  const Value x2 = Mul(v, v);
  Value r;
  switch (k) {
    case 1: r = v; break;
    case 2: r = x2; break;
    case 3: r = Mul(x2, v); break;
    case 4: r = Mul(x2, x2); break;
    case 5: r = Mul(Mul(x2, x2), v); break;
    case 6: {
      const Value x3 = Mul(Mul(v, v), v);
      r = Mul(x3, x3);
      break;
    }
    case 7: {
      const Value x3 = Mul(Mul(v, v), v);
      r = Mul(Mul(x3, x3), v);
      break;
    }
    default: {
      const Value x4 = Mul(x2, x2);
      r = Mul(x4, x4);
      break;
    }
  }
  *out = r.re;
  return 1;
}

int RegLinearFit(const Value *x, const Value *y, const Value *f, Value *out) {
  KeyBreakArm();
  if (const u8 e = CheckLists(x, y, f, false)) return Fail(out, e);
  Value mx, my;
  if (!Minima(x, y, &mx, &my, out)) return 0;
  const u32 n = Count(x);
  Value N = Int(0), sx = N, sy = N, sxy = N, sxx = N, syy = N;
  for (u32 i = 0; i < n; ++i) {
    if (KeyBreakPoll()) return Fail(out, kArrErrBreak);
    const Value w = Weight(f, i);
    if (Err(w)) return (*out = w), 0;
    const Value xi = Sub(Frac(Elem(x, i)), mx), yi = Sub(Frac(Elem(y, i)), my);
    const Value wx = Mul(w, xi), wy = Mul(w, yi);
    N = Add(N, w);
    sx = Add(sx, wx);
    sy = Add(sy, wy);
    sxy = Add(sxy, Mul(wx, yi));
    sxx = Add(sxx, Mul(wx, xi));
    syy = Add(syy, Mul(wy, yi));
  }
  for (const Value &s : {N, sx, sy, sxy, sxx, syy}) {
    if (Err(s)) return Fail(out, kArrErrMath);
  }
  const Value qxy = Sub(Mul(N, sxy), Mul(sx, sy));
  const Value qxx = Sub(Mul(N, sxx), Mul(sx, sx));
  const Value qyy = Sub(Mul(N, syy), Mul(sy, sy));
  Value list;
  if (!NewList(7, &list)) return Fail(out, kArrErrMemory);
  const Value a = Div(qxy, qxx);
  if (Err(a)) return Drop(&list, out, kArrErrMath);
  Value b = Div(Sub(sy, Mul(a, sx)), N);
  b = Add(Sub(b, Mul(a, mx)), my);
  if (Err(b)) return Drop(&list, out, kArrErrMath);
  const Value pq = Mul(qxx, qyy);
  Value root;
  ValSqrt(&pq, &root, 0);
  Value r = Div(qxy, root);
  if (Err(r)) return Drop(&list, out, kArrErrMath);
  Value r2 = Div(Mul(qxy, qxy), pq);
  if (Err(r2)) return Drop(&list, out, kArrErrMath);
  if (n == 2) {
    const Value zero = Int(0);
    r = Int(RealIsLess(&r.re, &zero.re) == 1 ? -1 : 1);
    r2 = Int(1);
  }
  // 1.0000000004: r and r² may exceed 1 by rounding only.
  const Value limit = Dec(Add(Int(1), Div(Div(Int(4), Int(1000000000)), Int(10))));
  Value ar;
  ValAbs(&r, &ar);
  const Value dar = Dec(ar), dr2 = Dec(r2);
  if (RealIsLess(&limit.re, &dar.re) == 1 || RealIsLess(&limit.re, &dr2.re) == 1) {
    return Drop(&list, out, kArrErrMath);
  }
  r = Norm(Dec(r));
  r2 = Norm(Dec(r2));
  Value fr;
  ValFrac(&r, &fr);
  const Value zero = Int(0);
  if (!Err(fr) && RealIsEqual(&fr.re, &zero.re) == 1) r2 = Mul(r, r);
  SetElem(&list, 0, Dec(a));
  SetElem(&list, 1, Dec(b));
  SetElem(&list, 5, Dec(r));
  SetElem(&list, 6, Dec(r2));
  *out = list;
  return 1;
}

int RegPolynomialFit(const Value *x, const Value *y, const Value *f, int degree, Value *out) {
  KeyBreakArm();
  if (f != nullptr && ValKind(f) == kValKindList && ValKind(x) == kValKindList && Count(f) != Count(x)) {
    return Fail(out, kArrErrDimension);
  }
  if (const u8 e = CheckLists(x, y, f, false)) return Fail(out, e);
  if (degree < 1 || degree > 4) return Fail(out, kArrErrArgument);
  const u32 n = Count(x);
  if (n <= static_cast<u32>(degree)) return Fail(out, kArrErrMath);
  if (degree == 1) {
    Value list;
    if (!RegLinearFit(x, y, f, &list)) return (*out = list), 0;
    return NormalizeList(&list, out);
  }
  Value mx, my;
  if (!Minima(x, y, &mx, &my, out)) return 0;
  const int m = degree + 1;
  // Sums of f·x'^p (p = 0..2·degree) and of f·x'^p·y' (p = 0..degree) over
  // the data shifted by the minima.
  std::vector<Value> sxp(2 * degree + 1, Int(0)), sxy(m, Int(0));
  for (u32 i = 0; i < n; ++i) {
    if (KeyBreakPoll()) return Fail(out, kArrErrBreak);
    const Value w = Weight(f, i);
    if (Err(w)) return (*out = w), 0;
    const Value xi = Sub(Frac(Elem(x, i)), mx), yi = Sub(Frac(Elem(y, i)), my);
    if (Err(xi)) return (*out = xi), 0;
    if (Err(yi)) return (*out = yi), 0;
    for (int p = 0; p <= 2 * degree; ++p) {
      Value pw = Int(1);
      if (p > 0) pw = xi, RegPowerInt(&pw.re, p, &pw.re);
      const Value t = Mul(w, pw);
      sxp[p] = Add(sxp[p], t);
      if (p <= degree) sxy[p] = Add(sxy[p], Mul(t, yi));
    }
  }
  for (const Value &s : sxp) {
    if (Err(s)) return (*out = s), 0;
  }
  for (const Value &s : sxy) {
    if (Err(s)) return (*out = s), 0;
  }
  Value list, a, b;
  if (!NewList(7, &list)) return Fail(out, kArrErrMemory);
  const MemHandle ha = MemAlloc(static_cast<u32>(m * m * 12));
  const MemHandle hb = ha ? MemAlloc(static_cast<u32>(m * 12)) : 0;
  if (hb == 0) {
    if (ha) MemFree(ha);
    return Drop(&list, out, kArrErrMemory);
  }
  ArrSetMatrix(&a, false, static_cast<u16>(m), static_cast<u16>(m), ha);
  ArrSetMatrix(&b, false, static_cast<u16>(m), 1, hb);
  // Row r, column c holds the sum of f·x'^(2·degree − r − c): the highest
  // powers at the top left, as the coefficients come out highest first.
  for (int r = 0; r < m; ++r) {
    for (int c = 0; c < m; ++c) ArrElems(ha)[r * m + c] = Frac(sxp[2 * degree - r - c]).re;
    ArrElems(hb)[r] = Frac(sxy[degree - r]).re;
  }
  Value sol;
  int ok = 0;
  if (KeyBreakPoll()) {
    ArrFail(&sol, kArrErrBreak);
  } else if (!MatRealizeRhs(static_cast<u32>(m), &a, &b)) {
    sol = a;
  } else if (KeyBreakPoll()) {
    ArrFail(&sol, kArrErrBreak);
  } else {
    ok = MatSolveLinear(static_cast<u32>(m), &a, &b, &sol);
  }
  MemFree(ha);
  MemFree(hb);
  if (!ok) {
    ValFreeTemp(&list);
    *out = Err(sol) ? sol : *ArrFail(&sol, kArrErrMath);
    return 0;
  }
  std::vector<Value> c(m);
  for (int i = 0; i < m; ++i) c[i] = Norm(Dec(GetElem(&sol, static_cast<u32>(i))));
  ValFreeTemp(&sol);
  for (const Value &v : c) {
    if (Err(v)) return Drop(&list, out, kArrErrMath);
  }
  // Back to the unshifted x and y: expand c0·(x − mx)^deg + ... + my.
  const Value m1 = mx, m2 = Mul(mx, mx), m3 = Mul(mx, m2), m4 = Mul(mx, m3);
  std::vector<Value> k(m);
  k[0] = c[0];
  if (degree == 2) {
    k[1] = Sub(c[1], Mul(Mul(Int(2), c[0]), m1));
    k[2] = Add(Add(c[2], Sub(Mul(c[0], m2), Mul(c[1], m1))), my);
  } else if (degree == 3) {
    k[1] = Sub(c[1], Mul(Mul(Int(3), c[0]), m1));
    k[2] = Add(c[2], Sub(Mul(Mul(Int(3), c[0]), m2), Mul(Mul(Int(2), c[1]), m1)));
    k[3] = Add(Add(c[3], Sub(Sub(Mul(c[1], m2), Mul(c[0], m3)), Mul(c[2], m1))), my);
  } else {
    k[1] = Sub(c[1], Mul(Mul(Int(4), c[0]), m1));
    k[2] = Add(c[2], Sub(Mul(Mul(Int(6), c[0]), m2), Mul(Mul(Int(3), c[1]), m1)));
    k[3] = Add(c[3], Sub(Sub(Mul(Mul(Int(3), c[1]), m2), Mul(Mul(Int(4), c[0]), m3)), Mul(Mul(Int(2), c[2]), m1)));
    k[4] = Add(Add(c[4], Sub(Add(Sub(Mul(c[0], m4), Mul(c[1], m3)), Mul(c[2], m2)), Mul(c[3], m1))), my);
  }
  for (int i = 0; i < m; ++i) SetElem(&list, static_cast<u32>(i), k[i]);
  return NormalizeList(&list, out);
}

namespace {

enum class Transform { kLog, kExp, kPower };

int TransformedFit(const Value *x, const Value *y, const Value *f, Transform t, Value *out) {
  KeyBreakArm();
  if (const u8 e = CheckLists(x, y, f, true)) return Fail(out, e);
  const u32 n = Count(x);
  if (n == 1) return Fail(out, kArrErrMath);
  if (t != Transform::kExp && KeyBreakPoll()) return Fail(out, kArrErrBreak);
  Value lx, ly;
  if (!NewList(static_cast<u16>(n), &lx)) return Fail(out, kArrErrMemory);
  if (!NewList(static_cast<u16>(n), &ly)) return Drop(&lx, out, kArrErrMemory);
  u8 code = 0;
  for (u32 i = 0; i < n && code == 0; ++i) {
    if (KeyBreakPoll()) {
      code = kArrErrBreak;
      break;
    }
    Value xi = Elem(x, i), yi = Elem(y, i);
    if (t != Transform::kExp) {
      const Value v = xi;
      ValLn(&v, &xi, 0);
    }
    if (t != Transform::kLog) {
      const Value v = yi;
      ValLn(&v, &yi, 0);
    }
    if (Err(xi) || Err(yi)) code = kArrErrMath;
    SetElem(&lx, i, xi);
    SetElem(&ly, i, yi);
  }
  Value line;
  int ok = 0;
  if (code == 0) ok = RegLinearFit(&lx, &ly, f, &line);
  ValFreeTemp(&lx);
  ValFreeTemp(&ly);
  if (code != 0) return Fail(out, code);
  if (!ok) return (*out = line), 0;
  const Value slope = GetElem(&line, 0), icpt = GetElem(&line, 1);
  Value a = icpt;
  if (t != Transform::kLog) ValExp(&icpt, &a, 0);
  if (Err(a)) return Drop(&line, out, kArrErrMath);
  SetElem(&line, 0, a);
  SetElem(&line, 1, slope);
  return NormalizeList(&line, out);
}

}  // namespace

int RegLogFit(const Value *x, const Value *y, const Value *f, Value *out) { return TransformedFit(x, y, f, Transform::kLog, out); }
int RegExpFit(const Value *x, const Value *y, const Value *f, Value *out) { return TransformedFit(x, y, f, Transform::kExp, out); }
int RegPowerFit(const Value *x, const Value *y, const Value *f, Value *out) { return TransformedFit(x, y, f, Transform::kPower, out); }

int RegMedMedTieBack(const BcdReal *data, int i) {
  int j = i - 1;
  while (j >= 0 && RealIsEqual(&data[j], &data[i]) == 1) --j;
  return j;
}

int RegMedMedTieForward(const BcdReal *data, int n, int i) {
  int j = i + 1;
  while (j < n && RealIsEqual(&data[j], &data[i]) == 1) ++j;
  return j;
}

int RegMedMedTieBackFreq(const BcdReal *data, const u32 *freq, int i, u32 *count) {
  int j = i - 1;
  while (j >= 0 && RealIsEqual(&data[j], &data[i]) == 1) *count += freq[j--];
  return j;
}

int RegMedMedTieForwardFreq(const BcdReal *data, const u32 *freq, int n, int i, u32 *count) {
  int j = i + 1;
  while (j < n && RealIsEqual(&data[j], &data[i]) == 1) *count += freq[j++];
  return j;
}

int RegMedMedMiddle(const BcdReal *data, int i, int count, BcdReal *out) {
  if (count % 2 == 1) {
    *out = data[i + 1];
    return 1;
  }
  BcdReal half;
  RealSetHalf(&half);
  const Value s = Add(FromReal(data[i]), FromReal(data[i + 1]));
  const Value m = Norm(Dec(Mul(s, FromReal(half))));
  *out = m.re;
  return Err(m) ? 0 : 1;
}

int RegMedMedGroupMedian(const BcdReal *data, int lo, int hi, BcdReal *out) {
  const int count = hi - lo;
  if (count <= 0) {
    RealMakeError(kArrErrMath, out);
    return 0;
  }
  if (count % 2 == 1) {
    *out = data[lo + count / 2];
    return 1;
  }
  return RegMedMedMiddle(data, lo + count / 2 - 1, count, out);
}

int RegMedMedGroupMedianFreq(const BcdReal *data, const u32 *freq, int lo, int hi, BcdReal *out) {
  u32 total = 0;
  for (int i = lo; i < hi; ++i) total += freq[i];
  if (hi <= lo || total == 0) {
    RealMakeError(kArrErrMath, out);
    return 0;
  }
  i32 h = static_cast<i32>(total / 2);
  int i = lo;
  for (;; ++i) {
    h -= static_cast<i32>(freq[i]);
    if (h < 1 || i + 1 == hi) break;
  }
  if (h != 0 || i + 1 == hi) {
    *out = data[i];
    return 1;
  }
  // The lower half ends exactly with point i.
  if (total % 2 == 1) {
    *out = data[i + 1];
    return 1;
  }
  return RegMedMedMiddle(data, i, 2, out);
}

namespace {

struct MedPoint {
  BcdReal x, y;
  u32 f;
};

// The first index of the middle group (right = false) or of the right group
// (right = true) for outer groups of s units, keeping equal x values in one
// group; -1 when a group would be empty.
int Boundary(const std::vector<BcdReal> &xs, const std::vector<u32> &fs, u32 s, u32 rem, bool right) {
  const int n = static_cast<int>(xs.size());
  const BcdReal *x = xs.data();
  const u32 *f = fs.data();
  u32 inner = 0, outer = 0;  // units of the tie block on the middle / outer side
  int j;
  if (!right) {
    u32 total = 0;
    j = 0;
    while (j < n && total + f[j] < s) total += f[j++];
    if (j >= n) return -1;
    if (total + f[j] == s) {
      if (j + 1 >= n) return -1;
      if (RealIsEqual(&x[j + 1], &x[j]) != 1) return j + 1;
      ++j;
      outer = 0;
      inner = f[j];
    } else {
      outer = s - total;
      inner = total + f[j] - s;
    }
    const int lo = RegMedMedTieBackFreq(x, f, j, &outer);
    const int hi = RegMedMedTieForwardFreq(x, f, n, j, &inner);
    if (hi >= n) return -1;
    // The block goes to the side that holds more of it; a draw to the middle
    // group when the outer groups are the larger ones.
    if (outer < inner) return lo + 1;
    if (outer > inner) return hi;
    return rem == 2 ? lo + 1 : hi;
  }
  u32 total = 0;
  j = n - 1;
  while (j >= 0 && total + f[j] < s) total += f[j--];
  if (j < 0) return -1;
  if (total + f[j] == s) {
    if (j - 1 < 0) return -1;
    if (RealIsEqual(&x[j - 1], &x[j]) != 1) return j;
    --j;
    inner = f[j];
    outer = 0;
  } else {
    outer = s - total;
    inner = total + f[j] - s;
  }
  const int lo = RegMedMedTieBackFreq(x, f, j, &inner);
  const int hi = RegMedMedTieForwardFreq(x, f, n, j, &outer);
  if (lo < 0) return -1;
  if (inner < outer) return lo + 1;
  if (inner > outer) return hi;
  return rem == 2 ? hi : lo + 1;
}

}  // namespace

int RegMedMedFit(const Value *x, const Value *y, const Value *f, Value *out) {
  KeyBreakArm();
  if (const u8 e = CheckLists(x, y, f, true)) return Fail(out, e);
  const u32 n = Count(x);
  if (n < 3) return Fail(out, kArrErrMath);
  std::vector<MedPoint> pts;
  pts.reserve(n);
  u32 total = 0;
  for (u32 i = 0; i < n; ++i) {
    if (KeyBreakPoll()) return Fail(out, kArrErrBreak);
    MedPoint p{Elem(x, i).re, Elem(y, i).re, 1};
    if (RealErrorCode(&p.x) != 0 || RealErrorCode(&p.y) != 0) return Fail(out, kArrErrMath);
    if (f != nullptr) {
      const BcdReal w = Elem(f, i).re;
      BcdReal zero, max;
      RealSetZero(&zero);
      RealSet65536(&max);
      if (RealIsFrac(&w) || !ListFreqIsWhole(&w) || RealIsLess(&w, &zero) == 1 || RealIsLess(&w, &max) != 1) {
        return Fail(out, kArrErrMath);
      }
      p.f = static_cast<u32>(NumToInt32(&w));
      if (p.f == 0) continue;
    }
    total += p.f;
    pts.push_back(p);
  }
  if (pts.size() < 3) return Fail(out, kArrErrMath);
  std::stable_sort(pts.begin(), pts.end(), [](const MedPoint &a, const MedPoint &b) { return RealIsLess(&a.x, &b.x) == 1; });
  const int m = static_cast<int>(pts.size());
  std::vector<BcdReal> xs(m);
  std::vector<u32> fs(m);
  for (int i = 0; i < m; ++i) xs[i] = pts[i].x, fs[i] = pts[i].f;
  const u32 k = total / 3, rem = total % 3;
  const u32 s = rem == 2 ? k + 1 : k;
  const int p = Boundary(xs, fs, s, rem, false);
  const int q = Boundary(xs, fs, s, rem, true);
  if (p <= 0 || q < 0 || q >= m || p >= q) return Fail(out, kArrErrMath);
  const int lo[3] = {0, p, q}, hi[3] = {p, q, m};
  BcdReal mx[3], my[3];
  for (int g = 0; g < 3; ++g) {
    if (!RegMedMedGroupMedianFreq(xs.data(), fs.data(), lo[g], hi[g], &mx[g])) return Fail(out, kArrErrMath);
    std::vector<MedPoint> grp(pts.begin() + lo[g], pts.begin() + hi[g]);
    std::stable_sort(grp.begin(), grp.end(), [](const MedPoint &a, const MedPoint &b) { return RealIsLess(&a.y, &b.y) == 1; });
    std::vector<BcdReal> ys(grp.size());
    std::vector<u32> gf(grp.size());
    for (size_t i = 0; i < grp.size(); ++i) ys[i] = grp[i].y, gf[i] = grp[i].f;
    if (!RegMedMedGroupMedianFreq(ys.data(), gf.data(), 0, static_cast<int>(ys.size()), &my[g])) {
      return Fail(out, kArrErrMath);
    }
  }
  const Value X1 = FromReal(mx[0]), X2 = FromReal(mx[1]), X3 = FromReal(mx[2]);
  const Value Y1 = FromReal(my[0]), Y2 = FromReal(my[1]), Y3 = FromReal(my[2]);
  const Value a = Norm(Dec(Div(Sub(Y3, Y1), Sub(X3, X1))));
  if (Err(a)) return Fail(out, kArrErrMath);
  // The outer groups' line, moved a third of the way towards the middle
  // group's point.
  const Value t = Mul(a, X2), u = Sub(Y1, Mul(a, X1));
  const Value tu = Add(t, u);
  const Value b = Norm(Dec(Sub(Div(Add(Add(tu, tu), Y2), Int(3)), t)));
  if (Err(b)) return Fail(out, kArrErrMath);
  Value list;
  if (!NewList(8, &list)) return Fail(out, kArrErrMemory);
  const Value items[8] = {a, b, X1, Y1, X2, Y2, X3, Y3};
  for (u32 i = 0; i < 8; ++i) SetElem(&list, i, Dec(items[i]));
  *out = list;
  return 1;
}

int RegFitMeasuresOf(int model, const Value *x, const Value *y, const Value *f, const Value *coef, u16 angle,
                     BcdReal *mse, BcdReal *r2) {
  const u32 n = Count(y);
  if (n == 0) return kArrErrDimension;
  RealSetZero(mse);
  RealSetZero(r2);
  const bool curve = model == 17 || model == 18;
  if (curve) f = nullptr;
  // Degrees of freedom taken by the model, and its smallest total weight.
  const i32 used = model == 11 ? 3 : model == 12 ? 4 : model == 13 ? 5 : 2;
  const Value zero = Int(0);
  bool negative = false;
  Value N = Int(static_cast<i32>(n)), sum = zero;
  if (f != nullptr) N = zero;
  std::vector<Value> ys(n);
  for (u32 i = 0; i < n; ++i) {
    ys[i] = Elem(y, i);
    if (f != nullptr) {
      const Value w = Elem(f, i);
      if (RealIsLess(&w.re, &zero.re) == 1) negative = true;
      N = Add(N, w);
      sum = Add(sum, Mul(w, ys[i]));
    } else {
      sum = Add(sum, ys[i]);
    }
  }
  const Value mean = Div(sum, N);
  Value k[5];
  for (u32 i = 0; i < 5; ++i) k[i] = i < Count(coef) ? GetElem(coef, i) : zero;
  Value lnA;
  ValLn(&k[0], &lnA, 0);
  Value sse = zero, sst = zero;
  for (u32 i = 0; i < n; ++i) {
    const Value xi = Elem(x, i), yi = ys[i];
    Value lx, ly, u, t;
    switch (model) {
      case 9: u = Sub(yi, Add(Mul(k[0], xi), k[1])); break;
      case 11:
      case 12:
      case 13: {
        Value p = k[0];
        for (int d = 1; d <= model - 9; ++d) p = Add(Mul(p, xi), k[d]);
        u = Sub(yi, p);
        break;
      }
      case 14:
        ValLn(&xi, &lx, 0);
        u = Sub(yi, Add(k[0], Mul(k[1], lx)));
        break;
      case 15:
        ValLn(&yi, &ly, 0);
        u = Sub(ly, Add(lnA, Mul(k[1], xi)));
        break;
      case 16:
        ValLn(&xi, &lx, 0);
        ValLn(&yi, &ly, 0);
        u = Sub(ly, Add(lnA, Mul(k[1], lx)));
        break;
      case 17: {
        const Value arg = Add(Mul(k[1], xi), k[2]);
        ValSin(&arg, &t, angle);
        u = Sub(yi, Add(Mul(k[0], t), k[3]));
        break;
      }
      default: {
        const Value e = Neg(Mul(k[1], xi));
        ValExp(&e, &t, 0);
        u = Sub(yi, Div(k[2], Add(Int(1), Mul(k[0], t))));
        break;
      }
    }
    const Value w = f != nullptr ? Elem(f, i) : Int(1);
    const Value dy = Sub(yi, mean);
    sse = Add(sse, Mul(w, Mul(u, u)));
    sst = Add(sst, Mul(w, Mul(dy, dy)));
  }
  if (curve) {
    RealMakeError(kArrErrMath, r2);
    const Value m = Norm(Dec(Div(sse, Int(static_cast<i32>(n) - 2))));
    *mse = m.re;
    return 0;
  }
  const Value minimum = Int(used);
  if (Err(N) || RealIsLessEqual(&N.re, &minimum.re) == 1) {
    RealMakeError(kArrErrMath, mse);
  } else {
    const Value m = Norm(Dec(Div(sse, Sub(N, minimum))));
    *mse = m.re;
    if (negative) RealMakeError(kArrErrMath, mse);
  }
  if (model >= 11 && model <= 13) {
    const Value r = Norm(Dec(Sub(Int(1), Div(sse, sst))));
    *r2 = r.re;
    if (negative || (!Err(r) && RealIsLess(&r.re, &zero.re) == 1)) RealMakeError(kArrErrMath, r2);
  }
  return 0;
}
