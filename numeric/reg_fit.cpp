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
#include "ui/setup.h"

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
  // A negative frequency is no weight of a least-squares fit.
  if (f != nullptr) {
    BcdReal zero;
    RealSetZero(&zero);
    for (u32 i = 0; i < Count(f); ++i) {
      const Value w = Elem(f, i);
      if (RealIsLess(&w.re, &zero) == 1) return kArrErrMath;
    }
  }
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
  if (ValKind(list) != kValKindList || ValIsComplex(list) == 1) {
    RealMakeError(kArrErrComplexList, min);
    *max = *min;
    return 0;
  }
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
  if (degree == 4) {
    // The quartic's sums reach x'^8: from the smallest x they all grow one
    // way and the normal equations lose about two digits more than the
    // result may; x taken from the middle of its range halves the powers'
    // reach and lets the odd ones cancel.
    BcdReal lo, hi;
    RegListMinMax(x, &lo, &hi);
    mx = Frac(Div(Add(FromReal(lo), FromReal(hi)), Int(2)));
  }
  const int m = degree + 1;
  // Sums of f·x'^p (p = 0..2·degree) and of f·x'^p·y' (p = 0..degree) over
  // the shifted data.
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

// ---- sinusoidal and logistic regressions ----

namespace {

using Vals = std::vector<Value>;

// Solves the m x m system A·s = r (row by row in a): 0 with s, or the error
// value the solver gave.
Value SolveSmall(int m, const Vals &a, const Vals &r, Vals *s) {
  Value ma, mb, sol;
  const MemHandle ha = MemAlloc(static_cast<u32>(m * m * 12));
  const MemHandle hb = ha ? MemAlloc(static_cast<u32>(m * 12)) : 0;
  if (hb == 0) {
    if (ha) MemFree(ha);
    return *ArrFail(&sol, kArrErrMemory);
  }
  ArrSetMatrix(&ma, false, static_cast<u16>(m), static_cast<u16>(m), ha);
  ArrSetMatrix(&mb, false, static_cast<u16>(m), 1, hb);
  for (int i = 0; i < m * m; ++i) ArrElems(ha)[i] = a[i].re;
  for (int i = 0; i < m; ++i) ArrElems(hb)[i] = r[i].re;
  int ok = 0;
  if (KeyBreakPoll()) ArrFail(&sol, kArrErrBreak);
  else if (!MatRealizeRhs(static_cast<u32>(m), &ma, &mb)) sol = ma;
  else ok = MatSolveLinear(static_cast<u32>(m), &ma, &mb, &sol);
  MemFree(ha);
  MemFree(hb);
  if (!ok) return Err(sol) ? sol : *ArrFail(&sol, kArrErrMath);
  s->assign(m, Int(0));
  for (int i = 0; i < m; ++i) (*s)[i] = Dec(GetElem(&sol, static_cast<u32>(i)));
  ValFreeTemp(&sol);
  for (const Value &v : *s)
    if (Err(v)) return v;
  return Int(0);
}

Value Abs(const Value &a) {
  Value r;
  ValAbs(&a, &r);
  return r;
}
Value Sqrt(const Value &a) {
  Value r;
  ValSqrt(&a, &r, 0);
  return r;
}
Value ExpV(const Value &a) {
  Value r;
  ValExp(&a, &r, 0);
  return r;
}
Value SinRad(const Value &a) {
  Value r;
  ValSin(&a, &r, 1);
  return r;
}
Value CosRad(const Value &a) {
  Value r;
  ValCos(&a, &r, 1);
  return r;
}
Value Num(const char *text) {
  Value v{};
  NumParse(text, &v.re);
  return v;
}
bool Lt(const Value &a, const Value &b) { return RealIsLess(&a.re, &b.re) == 1; }
bool Gt(const Value &a, const Value &b) { return RealIsGreater(&a.re, &b.re) == 1; }
bool Eq(const Value &a, const Value &b) { return RealIsEqual(&a.re, &b.re) == 1; }
// 1, 0 or -1 by the sign; an error value counts as 0.
int Sign(const Value &a) {
  const Value z = Int(0);
  return Gt(a, z) ? 1 : Lt(a, z) ? -1 : 0;
}

// Copies of x and y (decimal) sorted ascending by x, y carried along.
void SortedPairs(const Value *x, const Value *y, Vals *xs, Vals *ys) {
  const u32 n = Count(x);
  std::vector<u32> idx(n);
  for (u32 i = 0; i < n; ++i) idx[i] = i;
  Vals ex(n), ey(n);
  for (u32 i = 0; i < n; ++i) {
    ex[i] = Dec(Elem(x, i));
    ey[i] = Dec(Elem(y, i));
  }
  std::stable_sort(idx.begin(), idx.end(), [&](u32 a, u32 b) { return Lt(ex[a], ex[b]); });
  xs->resize(n);
  ys->resize(n);
  for (u32 i = 0; i < n; ++i) {
    (*xs)[i] = ex[idx[i]];
    (*ys)[i] = ey[idx[i]];
  }
}

// The sine fit's working data: the sorted points, the spacing of equally
// spaced x (0 otherwise) and the cosine and sine tables.
struct SinData {
  Vals x, y, co, si;
  Value spacing;
};

// Equal spacing within 5E-13 of the first gap keeps the gap; else 0.
Value SinSpacing(const Vals &x) {
  const Value d = Sub(x[1], x[0]);
  const Value tol = Abs(Mul(d, Num("5E-13")));
  for (size_t i = 2; i < x.size(); ++i) {
    if (Gt(Abs(Sub(Sub(x[i], x[i - 1]), d)), tol)) return Int(0);
  }
  return d;
}

// cos(b x) and sin(b x), by one rotation a point when x is equally spaced.
void SinTables(SinData *w, const Value &b) {
  const size_t n = w->x.size();
  w->co.resize(n);
  w->si.resize(n);
  if (Eq(w->spacing, Int(0))) {
    for (size_t i = 0; i < n; ++i) {
      const Value t = Mul(b, w->x[i]);
      w->co[i] = CosRad(t);
      w->si[i] = SinRad(t);
    }
    return;
  }
  const Value th = Mul(b, w->spacing);
  const Value ct = CosRad(th), st = SinRad(th);
  const Value t0 = Mul(b, w->x[0]);
  Value c = CosRad(t0), s = SinRad(t0);
  for (size_t i = 0; i < n; ++i) {
    if (i > 0) {
      const Value nc = Sub(Mul(ct, c), Mul(st, s));
      s = Add(Mul(st, c), Mul(ct, s));
      c = nc;
    }
    w->co[i] = c;
    w->si[i] = s;
  }
}

// The linear least squares y = p0 + p1 cos(bx) + p2 sin(bx) at a fixed b and
// D(b), half the derivative of the residual sum: 0, or the error value.
Value SinSolveAt(SinData *w, const Value &b, Vals *p, Value *D) {
  if (KeyBreakPoll()) return Int(0), *ArrFail(D, kArrErrBreak);
  SinTables(w, b);
  const size_t n = w->x.size();
  Value sc = Int(0), ss = sc, scc = sc, scs = sc, sss = sc, sy = sc, syc = sc, sys = sc;
  for (size_t i = 0; i < n; ++i) {
    const Value &c = w->co[i], &s = w->si[i], &y = w->y[i];
    sc = Add(sc, c);
    ss = Add(ss, s);
    scc = Add(scc, Mul(c, c));
    scs = Add(scs, Mul(c, s));
    sss = Add(sss, Mul(s, s));
    sy = Add(sy, y);
    syc = Add(syc, Mul(y, c));
    sys = Add(sys, Mul(y, s));
  }
  for (const Value &v : {sc, ss, scc, scs, sss, sy, syc, sys})
    if (Err(v)) return v;
  // Sums that are rounding noise beside their companions are flushed.
  const Value eps = Num("1E-14");
  if (Lt(Abs(sc), Mul(eps, Abs(scc)))) sc = Int(0);
  if (Lt(Abs(ss), Mul(eps, Abs(sss)))) ss = Int(0);
  if (Lt(Abs(scs), Mul(eps, Abs(scc)))) scs = Int(0);
  if (Gt(Mul(eps, Abs(sys)), Abs(sy))) sy = Int(0);
  if (Gt(Mul(eps, Abs(sys)), Abs(syc))) syc = Int(0);
  const Value nn = Int(static_cast<i32>(n));
  const Value e = SolveSmall(3, {nn, sc, ss, sc, scc, scs, ss, scs, sss}, {sy, syc, sys}, p);
  if (Err(e)) return e;
  Value d = Int(0);
  for (size_t i = 0; i < n; ++i) {
    const Value r = Sub(Sub(Sub(w->y[i], (*p)[0]), Mul((*p)[1], w->co[i])), Mul((*p)[2], w->si[i]));
    d = Add(d, Mul(Mul(r, Sub(Mul((*p)[1], w->si[i]), Mul((*p)[2], w->co[i]))), w->x[i]));
  }
  *D = d;
  return Err(d) ? d : Int(0);
}

// Counts D values repeating the last distinct one: five in a row, or one
// that cannot be compared, end the search.
struct RepeatGuard {
  Value last;
  int repeats = 0;
  bool Take(const Value &d) {
    if (Err(d)) return false;
    if (!Eq(d, last)) {
      repeats = 0;
      last = d;
      return true;
    }
    return ++repeats < 5;
  }
};

// Brent's root search of D on [lo, hi]: 0 with the root in *root, or the
// error value (Ma ERROR after maxIter passes).
Value SinBrent(SinData *w, Value a, Value b, Value fa, Value fb, const Value &h, int maxIter, RepeatGuard *g,
               Value *root) {
  Vals p;
  Value c = a, fc = fa, d = Sub(b, a), e = d;
  bool first = true;
  for (int iter = 0;; ++iter) {
    if (first || Sign(fb) * Sign(fc) > 0) {
      if (first && Sign(fb) == 0) {
        first = false;
      } else {
        c = a;
        fc = fa;
        d = e = Sub(b, a);
      }
    }
    first = false;
    if (Lt(Abs(fc), Abs(fb))) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }
    const Value xm = Mul(Num("0.5"), Sub(c, b));
    const Value big = Gt(Abs(b), Abs(h)) ? Abs(b) : Abs(h);
    const Value tol1 = Mul(Num("5E-7"), big);
    if (Lt(Abs(xm), tol1) || Sign(fb) == 0) break;
    if (iter >= maxIter) return *ArrFail(root, kArrErrMath);
    if (!Lt(Abs(e), tol1) && !Lt(Abs(fa), Abs(fb))) {
      const Value s = Div(fb, fa);
      Value pp, q;
      if (Eq(a, c)) {
        pp = Mul(Mul(Int(2), xm), s);
        q = Sub(Int(1), s);
      } else {
        const Value q0 = Div(fa, fc), r = Div(fb, fc);
        pp = Mul(s, Sub(Mul(Mul(Mul(Int(2), xm), q0), Sub(q0, r)), Mul(Sub(b, a), Sub(r, Int(1)))));
        q = Mul(Mul(Sub(q0, Int(1)), Sub(r, Int(1))), Sub(s, Int(1)));
      }
      if (Err(pp) || Err(q)) return *ArrFail(root, kArrErrMath);
      if (Gt(pp, Int(0))) q = Neg(q);
      else pp = Neg(pp);
      const Value lim1 = Sub(Mul(Mul(Int(3), xm), q), Abs(Mul(tol1, q)));
      const Value lim2 = Abs(Mul(Mul(Num("0.5"), e), q));
      if (Lt(Mul(Int(2), pp), lim1) && Lt(pp, lim2)) {
        e = d;
        d = Div(pp, q);
      } else {
        d = e = xm;
      }
    } else {
      d = e = xm;
    }
    a = b;
    fa = fb;
    if (Gt(Abs(d), tol1)) b = Add(b, d);
    else b = Gt(b, c) ? Sub(b, tol1) : Add(b, tol1);
    const Value err = SinSolveAt(w, b, &p, &fb);
    if (Err(err)) return *root = err;
    if (!g->Take(fb)) return *ArrFail(root, kArrErrMath);
  }
  if (KeyBreakPoll()) return *ArrFail(root, kArrErrBreak);
  *root = b;
  return Int(0);
}

}  // namespace

int RegSinFitCapped(const Value *x, const Value *y, Value *out, int maxWalk, int maxBrent) {
  KeyBreakArm();
  if (Err(*x)) return (*out = *x), 0;
  if (Err(*y)) return (*out = *y), 0;
  if (ValKind(x) != kValKindList || ValKind(y) != kValKindList) return Fail(out, kArrErrMath);
  if (ValIsComplex(x) == 1 || ValIsComplex(y) == 1) return Fail(out, kArrErrComplexList);
  const u32 n = Count(x);
  if (n < 4) return Fail(out, kArrErrMath);
  if (Count(y) != n) return Fail(out, kArrErrDimension);
  SinData w;
  SortedPairs(x, y, &w.x, &w.y);
  int distinct = 1;
  for (u32 i = 1, last = 0; i < n && distinct < 4; ++i) {
    if (!Eq(w.x[i], w.x[last])) {
      ++distinct;
      last = i;
    }
  }
  if (distinct < 4) return Fail(out, kArrErrMath);
  if (KeyBreakPoll()) return Fail(out, kArrErrBreak);
  w.spacing = SinSpacing(w.x);
  // Start: the sign changes of y about its mean.
  Value mean = Int(0);
  for (const Value &v : w.y) mean = Add(mean, v);
  mean = Div(mean, Int(static_cast<i32>(n)));
  int s = 0, k = 0;
  for (const Value &v : w.y) {
    const int sg = Sign(Sub(v, mean));
    if (sg == 0) continue;
    if (s != 0 && sg != s) ++k;
    s = sg;
  }
  const Value pi = [] {
    Value v{};
    RealSetPi(&v.re);
    return v;
  }();
  const Value range = Abs(Sub(w.x[n - 1], w.x[0]));
  const Value b0 = Div(Mul(Int(k), pi), range);
  const Value h = Div(Mul(Num("0.25"), pi), range);
  if (Err(b0) || Err(h)) return Fail(out, kArrErrMath);
  Value b;
  Vals p;
  if (Eq(b0, Int(0))) {
    b = Mul(Int(4), h);
  } else {
    Value d0;
    Value e = SinSolveAt(&w, b0, &p, &d0);
    if (Err(e)) return (*out = e), 0;
    RepeatGuard g;
    g.last = d0;
    Value lo, hi, dlo, dhi;
    int steps = 0;
    if (Gt(d0, Int(0))) {
      lo = b0;
      dlo = d0;
      do {
        hi = lo;
        dhi = dlo;
        lo = Sub(hi, h);
        if (!Lt(lo, h)) {
          e = SinSolveAt(&w, lo, &p, &dlo);
          if (Err(e)) return (*out = e), 0;
          if (!g.Take(dlo) || ++steps > maxWalk) return Fail(out, kArrErrMath);
        }
      } while (Gt(dlo, Int(0)) && !Lt(lo, h));
    } else {
      hi = b0;
      dhi = d0;
      do {
        lo = hi;
        dlo = dhi;
        hi = Add(lo, h);
        e = SinSolveAt(&w, hi, &p, &dhi);
        if (Err(e)) return (*out = e), 0;
        // The upward walk has no natural end but the sign change: it is
        // bounded like the downward one.
        if (!g.Take(dhi) || ++steps > maxWalk) return Fail(out, kArrErrMath);
      } while (Lt(dhi, Int(0)));
    }
    if (Lt(lo, h)) {
      b = h;
    } else {
      e = SinBrent(&w, lo, hi, dlo, dhi, h, maxBrent, &g, &b);
      if (Err(e)) return (*out = e), 0;
    }
  }
  Value dfinal;
  const Value e = SinSolveAt(&w, b, &p, &dfinal);
  if (Err(e)) return (*out = e), 0;
  Value a = Int(0), c = Int(0);
  if (!Eq(p[1], Int(0)) || !Eq(p[2], Int(0))) {
    a = Sqrt(Add(Mul(p[1], p[1]), Mul(p[2], p[2])));
    RealAtan2(&p[1].re, &p[2].re, &c.re, 1);
  }
  const u16 unit = SetupGetAngle();
  RealFromRadians(&b.re, &b.re, unit);
  RealFromRadians(&c.re, &c.re, unit);
  if (KeyBreakPoll()) return Fail(out, kArrErrBreak);
  Value list;
  if (!NewList(4, &list)) return Fail(out, kArrErrMemory);
  SetElem(&list, 0, a);
  SetElem(&list, 1, b);
  SetElem(&list, 2, c);
  SetElem(&list, 3, p[0]);
  return NormalizeList(&list, out);
}

int RegSinFit(const Value *x, const Value *y, Value *out) {
  return RegSinFitCapped(x, y, out, kRegSinWalkLimit, kRegSinBrentLimit);
}

namespace {

// The logistic curve's parameters p = (c, a, b) and its residual sum.
struct Logistic {
  Value c, a, b, S;
};

Value LogisticSum(const Vals &x, const Vals &y, const Value &c, const Value &a, const Value &b) {
  Value s = Int(0);
  for (size_t i = 0; i < x.size(); ++i) {
    const Value f = Div(c, Add(Int(1), Mul(a, ExpV(Neg(Mul(b, x[i]))))));
    const Value r = Sub(f, y[i]);
    s = Add(s, Mul(r, r));
  }
  return s;
}

// Start values from the integral equation y' = b y − (b/c) y².
Value LogisticStart(const Vals &x, const Vals &y, Logistic *L) {
  const size_t n = x.size();
  Value P = Int(0), Q = Int(0);
  Value spp = Int(0), spq = spp, sqq = spp, spy = spp, sqy = spp;
  for (size_t i = 0; i + 1 < n; ++i) {
    const Value hh = Mul(Num("0.5"), Sub(x[i + 1], x[i]));
    P = Add(P, Mul(hh, Add(y[i], y[i + 1])));
    Q = Sub(Q, Mul(hh, Add(Mul(y[i], y[i]), Mul(y[i + 1], y[i + 1]))));
    const Value dy = Sub(y[i + 1], y[0]);
    spp = Add(spp, Mul(P, P));
    spq = Add(spq, Mul(P, Q));
    sqq = Add(sqq, Mul(Q, Q));
    spy = Add(spy, Mul(P, dy));
    sqy = Add(sqy, Mul(Q, dy));
  }
  Vals s;
  const Value e = SolveSmall(2, {spp, spq, spq, sqq}, {spy, sqy}, &s);
  if (Err(e)) return e;
  L->b = s[0];
  L->c = Div(s[0], s[1]);
  Value num = Int(0), den = Int(0);
  Vals E(n);
  for (size_t i = 0; i < n; ++i) {
    E[i] = ExpV(Neg(Mul(L->b, x[i])));
    const Value ye = Mul(y[i], E[i]);
    num = Add(num, Mul(Sub(L->c, y[i]), ye));
    den = Add(den, Mul(ye, ye));
  }
  L->a = Div(num, den);
  Value sy = Int(0), sg = Int(0);
  for (size_t i = 0; i < n; ++i) {
    const Value g = Div(Int(1), Add(Int(1), Mul(L->a, E[i])));
    sy = Add(sy, Mul(y[i], g));
    sg = Add(sg, Mul(g, g));
  }
  L->c = Div(sy, sg);
  L->S = LogisticSum(x, y, L->c, L->a, L->b);
  if (KeyBreakPoll()) return *ArrFail(&sy, kArrErrBreak);
  for (const Value &v : {L->a, L->b, L->c, L->S})
    if (Err(v)) return v;
  return Int(0);
}

// Gradient and second derivatives of S in the order (c, a, b).
Value LogisticDerivs(const Vals &x, const Vals &y, const Logistic &L, Vals *g, Vals *H) {
  g->assign(3, Int(0));
  H->assign(9, Int(0));
  const Value two = Int(2);
  for (size_t i = 0; i < x.size(); ++i) {
    const Value E = ExpV(Neg(Mul(L.b, x[i])));
    const Value G = Div(Int(1), Add(Int(1), Mul(L.a, E)));
    const Value G2 = Mul(G, G), G3 = Mul(G2, G);
    const Value xi = x[i];
    const Value r = Sub(Mul(L.c, G), y[i]);
    const Value df[3] = {G, Neg(Mul(Mul(L.c, E), G2)), Mul(Mul(Mul(L.c, L.a), xi), Mul(E, G2))};
    const Value E2G3 = Mul(Mul(E, E), G3);
    const Value dcc = Int(0);
    const Value dca = Neg(Mul(E, G2));
    const Value dcb = Mul(Mul(L.a, xi), Mul(E, G2));
    const Value daa = Mul(Mul(two, L.c), E2G3);
    const Value dab = Sub(Mul(Mul(L.c, xi), Mul(E, G2)), Mul(Mul(Mul(two, L.c), Mul(L.a, xi)), E2G3));
    const Value x2 = Mul(xi, xi);
    const Value dbb = Add(Neg(Mul(Mul(Mul(L.c, L.a), x2), Mul(E, G2))),
                          Mul(Mul(Mul(two, L.c), Mul(Mul(L.a, L.a), x2)), E2G3));
    const Value d2[9] = {dcc, dca, dcb, dca, daa, dab, dcb, dab, dbb};
    for (int j = 0; j < 3; ++j) {
      (*g)[j] = Add((*g)[j], Mul(two, Mul(r, df[j])));
      for (int k2 = 0; k2 < 3; ++k2)
        (*H)[j * 3 + k2] = Add((*H)[j * 3 + k2], Mul(two, Add(Mul(df[j], df[k2]), Mul(r, d2[j * 3 + k2]))));
    }
  }
  if (KeyBreakPoll()) {
    Value b;
    return *ArrFail(&b, kArrErrBreak);
  }
  for (const Value &v : *g)
    if (Err(v)) return v;
  for (const Value &v : *H)
    if (Err(v)) return v;
  return Int(0);
}

// The step-length search along delta from L: 1 with L moved to the first
// trial that does not raise S (lambda set), 0 when all six are rejected (L
// unchanged, lambda 0), or an error value in *err.
int LogisticSearch(const Vals &x, const Vals &y, Logistic *L, const Vals &delta, Value *lambda, Value *err) {
  for (int t = 0; t < 6; ++t) {
    *lambda = Mul(*lambda, Num("0.1"));
    const Value c = Add(L->c, Mul(*lambda, delta[0]));
    const Value a = Add(L->a, Mul(*lambda, delta[1]));
    const Value b = Add(L->b, Mul(*lambda, delta[2]));
    const Value S = LogisticSum(x, y, c, a, b);
    if (KeyBreakPoll()) return ArrFail(err, kArrErrBreak), 0;
    if (Err(S)) continue;
    if (!Gt(S, L->S)) {
      *L = {c, a, b, S};
      return 1;
    }
  }
  *lambda = Int(0);
  return 0;
}

}  // namespace

int RegLogisticFit(const Value *x, const Value *y, Value *out) {
  KeyBreakArm();
  if (Err(*x)) return (*out = *x), 0;
  if (Err(*y)) return (*out = *y), 0;
  if (ValKind(x) != kValKindList || ValKind(y) != kValKindList) return Fail(out, kArrErrMath);
  if (ValIsComplex(x) == 1 || ValIsComplex(y) == 1) return Fail(out, kArrErrComplexList);
  const u32 n = Count(x);
  if (n < 3) return Fail(out, kArrErrMath);
  if (Count(y) != n) return Fail(out, kArrErrDimension);
  // Runs of equal x in the order given.
  int runs = 1;
  for (u32 i = 0; i + 1 < n; ++i) {
    const Value a = Elem(x, i), b = Elem(x, i + 1);
    if (RealIsEqual(&a.re, &b.re) != 1) ++runs;
  }
  if (runs < 3) return Fail(out, kArrErrMath);
  Vals xs, ys;
  SortedPairs(x, y, &xs, &ys);
  Logistic L;
  Value e = LogisticStart(xs, ys, &L);
  if (Err(e)) return (*out = e), 0;
  const Value tol = Sqrt(Num("5E-11"));
  for (int iter = 0; iter < 10; ++iter) {
    Vals g, H, s;
    e = LogisticDerivs(xs, ys, L, &g, &H);
    if (Err(e)) return (*out = e), 0;
    e = SolveSmall(3, H, g, &s);
    if (Err(e)) return (*out = e), 0;
    Vals delta = {Neg(s[0]), Neg(s[1]), Neg(s[2])};
    const Logistic old = L;
    Value lambda = Int(10);
    Value err = Int(0);
    int moved = LogisticSearch(xs, ys, &L, delta, &lambda, &err);
    if (Err(err)) return (*out = err), 0;
    if (!moved) {
      // Steepest descent, with the step that minimises the quadratic model.
      delta = {Neg(g[0]), Neg(g[1]), Neg(g[2])};
      Value gg = Int(0), gHg = Int(0);
      for (int j = 0; j < 3; ++j) {
        gg = Add(gg, Mul(g[j], g[j]));
        for (int k2 = 0; k2 < 3; ++k2) gHg = Add(gHg, Mul(Mul(g[j], H[j * 3 + k2]), g[k2]));
      }
      lambda = Mul(Int(10), Div(gg, gHg));
      if (Err(lambda)) lambda = Int(0);
      moved = LogisticSearch(xs, ys, &L, delta, &lambda, &err);
      if (Err(err)) return (*out = err), 0;
    }
    // No trial lowered S: the last accepted coefficients stand.
    if (!moved) break;
    const Value ma = Abs(Div(Mul(lambda, delta[1]), old.a));
    const Value mb = Abs(Div(Mul(lambda, delta[2]), old.b));
    const Value m = Gt(ma, mb) ? ma : mb;
    if (!Gt(m, tol)) break;
  }
  if (KeyBreakPoll()) return Fail(out, kArrErrBreak);
  Value list;
  if (!NewList(7, &list)) return Fail(out, kArrErrMemory);
  SetElem(&list, 0, L.a);
  SetElem(&list, 1, L.b);
  SetElem(&list, 2, L.c);
  SetElem(&list, 4, L.S);
  return NormalizeList(&list, out);
}
