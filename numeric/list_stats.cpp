// List statistics.
#include "numeric/list_stats.h"

#include <cstring>
#include <vector>

#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/sort.h"

namespace {

bool IsList(const Value *v) { return ValKind(v) == kValKindList; }

int FailV(Value *out, u8 code) {
  ArrFail(out, code);
  return 0;
}

int FailR(BcdReal *out, u8 code) {
  RealMakeError(code, out);
  return 0;
}

Value Elem(const ArrInfo &a, u32 i) {
  Value v;
  ArrGet(ArrElems(a.handle), a.count, a.complex, i, &v);
  return v;
}

Value FromReal(const BcdReal &r) {
  Value v;
  v.re = r;
  RealSetZero(&v.im);
  return v;
}

// (x + y) / 2, normalised.
Value Mid(const Value &x, const Value &y) {
  Value s, two, q, r;
  ValAddMaru(&x, &y, &s, 0);
  ArrInt(2, &two);
  ValDiv(&s, &two, &q, 0);
  ValNormalize(&q, &r);
  return r;
}

// A heap block holding the real parts of a list's elements; 0 when memory
// runs out.
MemHandle RealCopy(const ArrInfo &a) {
  const MemHandle h = MemAlloc(a.count * 12 + 12);
  if (h == 0) return 0;
  std::memcpy(MemDeref(h), MemDeref(a.handle), a.count * 12);
  return h;
}

// Checks shared by the routines on real lists: 0 or an error code.
u8 RealListCheck(const Value *list) {
  if (ValErrorCode(list) != 0) return ValErrorCode(list);
  if (!IsList(list)) return kArrErrMath;
  if (ValIsComplex(list) == 1) return kArrErrComplexList;
  return 0;
}

}  // namespace

int ListCountAsReal(const Value *list, Value *out) {
  if (ValErrorCode(list) != 0) {
    *out = *list;
    return 0;
  }
  if (!IsList(list)) return FailV(out, kArrErrMath);
  if (ValIsComplex(list) == 1) return FailV(out, kArrErrComplexList);
  const ArrInfo a = ArrInfoOf(list);
  if (a.count == 0) return FailV(out, kArrErrDimension);
  ArrInt(static_cast<i32>(a.count), out);
  return 1;
}

void ListSetSixErrors(u8 code, Value *out[6]) {
  for (int i = 0; i < 6; ++i) ArrFail(out[i], code);
}

namespace {

int SumOrProd(const Value *list, Value *out, bool prod) {
  if (ValErrorCode(list) != 0) {
    *out = *list;
    return 0;
  }
  if (!IsList(list)) return FailV(out, kArrErrMath);
  const ArrInfo a = ArrInfoOf(list);
  Value s;
  ArrInt(prod ? 1 : 0, &s);
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i);
    Value t;
    if (prod) ValMul(&s, &x, &t, 1);
    else ValAddMaru(&s, &x, &t, 1);
    ValNormalize(&t, &s);
    if (ValErrorCode(&s) != 0) {
      *out = s;
      return 0;
    }
  }
  *out = s;
  return 1;
}

}  // namespace

int ListSum(const Value *list, Value *out) { return SumOrProd(list, out, false); }
int ListProd(const Value *list, Value *out) { return SumOrProd(list, out, true); }

int ListSumReal(const Value *list, BcdReal *out) {
  if (const u8 e = RealListCheck(list)) return FailR(out, e);
  const ArrInfo a = ArrInfoOf(list);
  Value s;
  ArrInt(0, &s);
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i);
    Value t;
    ValAddMaru(&s, &x, &t, 0);
    s = t;
  }
  *out = s.re;
  return ValErrorCode(&s) == 0 ? 1 : 0;
}

int ListMean(const Value *list, Value *out) {
  Value n, s, q;
  if (!ListCountAsReal(list, &n)) {
    *out = n;
    return 0;
  }
  if (!ListSum(list, &s)) {
    *out = s;
    return 0;
  }
  ValDiv(&s, &n, &q, 1);
  ValNormalize(&q, out);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

int ListMeanReal(const Value *list, BcdReal *out) {
  if (const u8 e = RealListCheck(list)) return FailR(out, e);
  BcdReal s;
  if (!ListSumReal(list, &s)) {
    *out = s;
    return 0;
  }
  Value n, sv = FromReal(s), q;
  ArrInt(ArrInfoOf(list).count, &n);
  ValDiv(&sv, &n, &q, 0);
  *out = q.re;
  return ValErrorCode(&q) == 0 ? 1 : 0;
}

int ListMeanFreq(const Value *data, const Value *freq, Value *out) {
  Value n1, n2;
  if (!ListCountAsReal(data, &n1)) {
    *out = n1;
    return 0;
  }
  if (!ListCountAsReal(freq, &n2)) {
    *out = n2;
    return 0;
  }
  const int eq = RealIsEqual(&n1.re, &n2.re);
  if (eq < 0) return FailV(out, kArrErrMath);
  if (eq == 0) return FailV(out, kArrErrDimension);
  Value total;
  if (!ListSum(freq, &total)) {
    *out = total;
    return 0;
  }
  const ArrInfo a = ArrInfoOf(data), f = ArrInfoOf(freq);
  Value s;
  ArrInt(0, &s);
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i), w = Elem(f, i);
    Value p, t;
    ValMul(&x, &w, &p, 1);
    ValAddMaru(&s, &p, &t, 1);
    s = t;
  }
  Value q;
  ValDiv(&s, &total, &q, 1);
  ValNormalize(&q, out);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

namespace {

int MedianPlain(const Value *list, Value *out) {
  Value n;
  if (!ListCountAsReal(list, &n)) {
    *out = n;
    return 0;
  }
  const ArrInfo a = ArrInfoOf(list);
  const MemHandle h = RealCopy(a);
  if (h == 0) return FailV(out, kArrErrMemory);
  const u32 r = ListHeapSort(static_cast<int>(a.count), h);
  if (r != 0) {
    MemFree(h);
    return FailV(out, static_cast<u8>(r));
  }
  const int ok = ListMedianSorted(ArrElems(h), a.count, out);
  MemFree(h);
  return ok;
}

// The (value, frequency) pairs whose frequency is not 0, frequencies checked:
// 0 or an error code. *total receives the sum of the frequencies.
u8 Pairs(const Value *data, const Value *freq, MemHandle *hv, MemHandle *hf, u32 *m, u32 *total) {
  if (ValErrorCode(data) != 0) return ValErrorCode(data);
  if (ValErrorCode(freq) != 0) return ValErrorCode(freq);
  if (!IsList(data) || !IsList(freq)) return kArrErrMath;
  const ArrInfo a = ArrInfoOf(data), f = ArrInfoOf(freq);
  if (a.count != f.count) return kArrErrDimension;
  if (a.complex || f.complex) return kArrErrComplexList;
  if (a.count == 0) return kArrErrDimension;
  *hv = MemAlloc(a.count * 12 + 12);
  *hf = MemAlloc(a.count * 12 + 12);
  if (*hv == 0 || *hf == 0) return kArrErrMemory;
  BcdReal *v = ArrElems(*hv), *w = ArrElems(*hf);
  const BcdReal *ev = ArrElems(a.handle), *ef = ArrElems(f.handle);
  BcdReal zero;
  RealSetZero(&zero);
  u32 k = 0;
  for (u32 i = 0; i < a.count; ++i) {
    BcdReal fi = ef[i];
    const int z = RealIsEqual(&fi, &zero);
    if (z < 0) return kArrErrMath;
    if (z == 1) continue;
    v[k] = ev[i];
    w[k] = fi;
    ++k;
  }
  *m = k;
  *total = 0;
  const u32 c = ListFreqCheck(*hf, *hf, static_cast<u16>(k), total);
  return static_cast<u8>(c);
}

void FreePair(MemHandle a, MemHandle b) {
  if (a) MemFree(a);
  if (b) MemFree(b);
}

}  // namespace

int ListMedian(const Value *list, Value *out) { return MedianPlain(list, out); }
int ListMedianValue(const Value *list, Value *out) { return MedianPlain(list, out); }

int ListMedianFreq(const Value *data, const Value *freq, Value *out) {
  MemHandle hv = 0, hf = 0;
  u32 m = 0, total = 0;
  u8 e = Pairs(data, freq, &hv, &hf, &m, &total);
  if (e == 0) e = static_cast<u8>(ListHeapSortPair(static_cast<int>(m), hv, hf));
  if (e != 0) {
    FreePair(hv, hf);
    return FailV(out, e);
  }
  const BcdReal *v = ArrElems(hv), *w = ArrElems(hf);
  i32 r = static_cast<i32>(total / 2);
  Value res;
  ArrFail(&res, kArrErrMath);
  for (u32 j = 0; j < m; ++j) {
    r -= static_cast<i32>(ListFreqWord(&w[j]));
    if (r < 0) {
      res = FromReal(v[j]);
      break;
    }
    if (r == 0) {
      if (j + 1 >= m) {
        res = FromReal(v[j]);
      } else if (total % 2 == 1) {
        res = FromReal(v[j + 1]);
      } else {
        res = Mid(FromReal(v[j]), FromReal(v[j + 1]));
      }
      break;
    }
  }
  FreePair(hv, hf);
  ValNormalize(&res, out);
  return ValErrorCode(out) == 0 ? 1 : 0;
}

int ListMedianFreqStat(const Value *data, const Value *freq, Value *out) { return ListMedianFreq(data, freq, out); }

namespace {

int QuartilePlain(const Value *list, BcdReal *out, bool third) {
  if (const u8 e = RealListCheck(list)) return FailR(out, e);
  const ArrInfo a = ArrInfoOf(list);
  const u32 n = a.count;
  // An empty list has no quartiles.
  if (n == 0) return FailR(out, kArrErrDimension);
  if (third && n > kValListMax) return FailR(out, kArrErrMath);
  if (KeyBreakPoll() != 0) return FailR(out, kArrErrBreak);
  const MemHandle h = RealCopy(a);
  if (h == 0) return FailR(out, kArrErrMemory);
  const u32 r = ListHeapSort(static_cast<int>(n), h);
  if (r != 0 || KeyBreakPoll() != 0) {
    MemFree(h);
    return FailR(out, r != 0 ? static_cast<u8>(r) : kArrErrBreak);
  }
  const int ok = ListQuartileSorted(ArrElems(h), n, third, out);
  MemFree(h);
  return ok;
}

int QuartileFreq(const Value *data, const Value *freq, BcdReal *out, bool third) {
  // The quartiles take the frequency total first: a complex list is refused
  // before unequal sizes.
  if (ValErrorCode(data) == 0 && ValErrorCode(freq) == 0 && IsList(data) && IsList(freq) &&
      (ValIsComplex(data) == 1 || ValIsComplex(freq) == 1)) {
    return FailR(out, kArrErrComplexList);
  }
  MemHandle hv = 0, hf = 0;
  u32 m = 0, total = 0;
  u8 e = Pairs(data, freq, &hv, &hf, &m, &total);
  if (e == 0 && m == 0) e = kArrErrMath;
  if (e == 0 && KeyBreakPoll() != 0) e = kArrErrBreak;
  if (e == 0) {
    e = static_cast<u8>(third ? ListHeapSortPairDesc(static_cast<int>(m), hv, hf)
                              : ListHeapSortPair(static_cast<int>(m), hv, hf));
  }
  if (e != 0) {
    FreePair(hv, hf);
    return FailR(out, e);
  }
  const BcdReal *v = ArrElems(hv), *w = ArrElems(hf);
  Value q;
  ArrFail(&q, kArrErrMath);
  if (total == 1) {
    q = FromReal(v[0]);
  } else {
    const u32 h = (total - total % 2) / 2;
    const u32 t = h % 2 == 0 ? h / 2 : (h + 1) / 2;
    u32 c = 0;
    for (u32 j = 0; j < m; ++j) {
      c += ListFreqWord(&w[j]);
      if (h % 2 == 0) {
        if (c == t) {
          q = j + 1 < m ? Mid(FromReal(v[j]), FromReal(v[j + 1])) : FromReal(v[j]);
          break;
        }
        if (c > t) {
          q = FromReal(v[j]);
          break;
        }
      } else if (c >= t) {
        q = FromReal(v[j]);
        break;
      }
    }
  }
  FreePair(hv, hf);
  Value qn;
  ValNormalize(&q, &qn);
  *out = qn.re;
  return ValErrorCode(&qn) == 0 ? 1 : 0;
}

}  // namespace

int ListQuartile1(const Value *list, BcdReal *out) { return QuartilePlain(list, out, false); }
int ListQuartile3(const Value *list, BcdReal *out) { return QuartilePlain(list, out, true); }
int ListQuartile1Freq(const Value *d, const Value *f, BcdReal *out) { return QuartileFreq(d, f, out, false); }
int ListQuartile3Freq(const Value *d, const Value *f, BcdReal *out) { return QuartileFreq(d, f, out, true); }

u32 ListFreqWord(const BcdReal *f) { return (static_cast<u32>(f->b[7]) << 8) | f->b[8]; }

int ListFreqIsWhole(const BcdReal *f) {
  BcdReal x = *f;
  if (ValErrorCode(&x) != 0 || (x.b[0] & 0x80)) return 0;
  return RealIsInteger(&x) == 1 ? 1 : 0;
}

u32 ListFreqCheck(MemHandle freq, MemHandle copy, u16 n, u32 *total) {
  if (n == 0) return kArrErrMath;
  *total = 0;
  const BcdReal *src = ArrElems(freq);
  BcdReal *dst = ArrElems(copy);
  if (src == nullptr || dst == nullptr) return kArrErrMemory;
  BcdReal zero, max;
  RealSetZero(&zero);
  NumFromInt32(65535, RealSetZero(&max));
  for (u32 i = 0; i < n; ++i) {
    if (KeyBreakPoll() != 0) return kArrErrBreak;
    BcdReal f = src[i];
    if (RealIsEqual(&f, &zero) == 1) {
      dst[i] = f;
      continue;
    }
    // A whole number from 1 to 65535, as a plain decimal.
    if (RealIsFrac(&f) || !ListFreqIsWhole(&f) || RealIsLess(&f, &zero) != 0 || RealIsGreater(&f, &max) != 0) {
      return kArrErrMath;
    }
    const u32 w = static_cast<u32>(NumToInt32(&f));
    dst[i] = f;
    dst[i].b[7] = static_cast<u8>(w >> 8);
    dst[i].b[8] = static_cast<u8>(w & 0xFF);
    *total += w;
  }
  return 0;
}

int ListFreqTotal(const Value *data, const Value *freq, BcdReal *total) {
  if (ValIsComplex(data) == 1 || ValIsComplex(freq) == 1) return FailR(total, kArrErrComplexList);
  const ArrInfo a = ArrInfoOf(data), f = ArrInfoOf(freq);
  if (a.count != f.count || a.count == 0) return FailR(total, kArrErrDimension);
  return ListSumReal(freq, total);
}

namespace {

Value Sq(const Value &x) {
  Value r;
  ValMul(&x, &x, &r, 0);
  return r;
}

Value Add(const Value &a, const Value &b) {
  Value r;
  ValAddMaru(&a, &b, &r, 0);
  return r;
}

Value Norm(const Value &a) {
  Value r;
  ValNormalize(&a, &r);
  return r;
}

// sqrt(d / n), a variance at or below 0 taken as 0.
Value StdDev(const Value &d, const Value &n) {
  Value v, z, r;
  ValDiv(&d, &n, &v, 0);
  ArrInt(0, &z);
  if (ValErrorCode(&v) == 0 && RealIsLessEqual(&v.re, &z.re) == 1) v = z;
  ValSqrt(&v, &r, 0);
  return Norm(r);
}

bool Err(const Value &v) { return ValErrorCode(&v) != 0; }

}  // namespace

int ListOneVarStats(const Value *list, Value *out[6]) {
  if (ValErrorCode(list) != 0) {
    ListSetSixErrors(ValErrorCode(list), out);
    return 0;
  }
  if (ValIsComplex(list) == 1) {
    ListSetSixErrors(kArrErrComplexList, out);
    return 0;
  }
  const ArrInfo a = ArrInfoOf(list);
  if (a.count < 1 || a.count > kValListMax) {
    ListSetSixErrors(kArrErrDimension, out);
    return 0;
  }
  Value n, sx, sxx;
  ArrInt(static_cast<i32>(a.count), &n);
  ArrInt(0, &sx);
  ArrInt(0, &sxx);
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i);
    sx = Add(sx, x);
    sxx = Add(sxx, Sq(x));
    if (KeyBreakPoll() != 0) {
      ListSetSixErrors(kArrErrBreak, out);
      return 0;
    }
  }
  sx = Norm(sx);
  sxx = Norm(sxx);
  *out[0] = n;
  *out[2] = sx;
  *out[3] = sxx;
  if (Err(sx)) {
    for (int k : {1, 2, 3, 4, 5}) ArrFail(out[k], kArrErrMath);
    return 1;
  }
  Value mean;
  ValDiv(&sx, &n, &mean, 0);
  mean = Norm(mean);
  *out[1] = mean;
  if (Err(sxx)) {
    for (int k : {3, 4, 5}) ArrFail(out[k], kArrErrMath);
    return 1;
  }
  Value d;
  ArrInt(0, &d);
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i);
    Value diff;
    ValSubMaru(&x, &mean, &diff, 0);
    d = Add(d, Sq(diff));
    if (KeyBreakPoll() != 0) {
      ListSetSixErrors(kArrErrBreak, out);
      return 0;
    }
  }
  *out[4] = StdDev(d, n);
  if (a.count <= 1) {
    ArrFail(out[5], kArrErrMath);
  } else {
    Value one, n1;
    ArrInt(1, &one);
    ValSub(&n, &one, &n1, 0);
    *out[5] = StdDev(d, n1);
  }
  return 1;
}

int ListOneVarStatsFreq(const Value *data, const Value *freq, Value *out[6]) {
  for (const Value *v : {data, freq}) {
    if (ValErrorCode(v) != 0) {
      ListSetSixErrors(ValErrorCode(v), out);
      return 0;
    }
  }
  if (ValIsComplex(data) == 1 || ValIsComplex(freq) == 1) {
    ListSetSixErrors(kArrErrComplexList, out);
    return 0;
  }
  const ArrInfo a = ArrInfoOf(data), f = ArrInfoOf(freq);
  if (a.count != f.count || a.count < 1 || a.count > kValListMax) {
    ListSetSixErrors(kArrErrDimension, out);
    return 0;
  }
  Value total;
  if (!ListSum(freq, &total)) {
    ListSetSixErrors(kArrErrMath, out);
    return 0;
  }
  Value zero;
  ArrInt(0, &zero);
  if (RealIsEqual(&total.re, &zero.re) == 1) {
    ListSetSixErrors(kArrErrMath, out);
    *out[0] = zero;
    return 1;
  }
  Value sf = zero, sfx = zero, sfxx = zero;
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i), w = Elem(f, i);
    Value fx, fxx;
    ValMul(&w, &x, &fx, 0);
    ValMul(&fx, &x, &fxx, 0);
    sf = Add(sf, w);
    sfx = Add(sfx, fx);
    sfxx = Add(sfxx, fxx);
    if (KeyBreakPoll() != 0) {
      ListSetSixErrors(kArrErrBreak, out);
      return 0;
    }
  }
  sf = Norm(sf);
  sfx = Norm(sfx);
  sfxx = Norm(sfxx);
  *out[0] = sf;
  *out[2] = sfx;
  *out[3] = sfxx;
  if (Err(sf)) {
    ListSetSixErrors(kArrErrMath, out);
    return 0;
  }
  if (Err(sfx)) {
    for (int k : {1, 2, 3, 4, 5}) ArrFail(out[k], kArrErrMath);
    return 1;
  }
  if (RealIsEqual(&sf.re, &zero.re) == 1) {
    for (int k : {1, 4, 5}) ArrFail(out[k], kArrErrMath);
    return 0;
  }
  Value mean;
  ValDiv(&sfx, &sf, &mean, 0);
  mean = Norm(mean);
  *out[1] = mean;
  if (Err(sfxx)) {
    for (int k : {3, 4, 5}) ArrFail(out[k], kArrErrMath);
    return 1;
  }
  Value d = zero;
  for (u32 i = 0; i < a.count; ++i) {
    const Value x = Elem(a, i), w = Elem(f, i);
    Value diff, t;
    ValSubMaru(&x, &mean, &diff, 0);
    const Value s2 = Sq(diff);
    ValMul(&w, &s2, &t, 0);
    d = Add(d, t);
    if (KeyBreakPoll() != 0) {
      ListSetSixErrors(kArrErrBreak, out);
      return 0;
    }
  }
  Value one, sf1;
  ArrInt(1, &one);
  ValSub(&sf, &one, &sf1, 0);
  if (RealIsLess(&sf.re, &zero.re) == 1) {
    // Negative weights: a variance below 0 cannot be taken.
    Value pv, sv;
    ValDiv(&d, &sf, &pv, 0);
    ValDiv(&d, &sf1, &sv, 0);
    if (RealIsGreaterEqual(&pv.re, &zero.re) == 1) *out[4] = zero;
    else ArrFail(out[4], kArrErrMath);
    if (RealIsGreaterEqual(&sv.re, &zero.re) == 1) *out[5] = zero;
    else ArrFail(out[5], kArrErrMath);
    return 1;
  }
  *out[4] = StdDev(d, sf);
  if (RealIsLessEqual(&sf.re, &one.re) == 1) ArrFail(out[5], kArrErrMath);
  else *out[5] = StdDev(d, sf1);
  return 1;
}

namespace {

int SumProducts(const Value *x, const Value *y, const Value *f, BcdReal *out) {
  for (const Value *v : {x, y, f}) {
    if (v && ValErrorCode(v) != 0) return FailR(out, ValErrorCode(v));
  }
  const ArrInfo ax = ArrInfoOf(x), ay = ArrInfoOf(y);
  if (ax.count != ay.count) return FailR(out, kArrErrDimension);
  ArrInfo af{};
  if (f) {
    af = ArrInfoOf(f);
    if (ax.count != af.count) return FailR(out, kArrErrDimension);
    Value t, zero;
    ArrInt(0, &zero);
    if (!ListSum(f, &t) || RealIsEqual(&t.re, &zero.re) == 1) return FailR(out, kArrErrMath);
  }
  Value s;
  ArrInt(0, &s);
  for (u32 i = 0; i < ax.count; ++i) {
    const Value a = Elem(ax, i), b = Elem(ay, i);
    Value p, q;
    ValMul(&a, &b, &p, 0);
    if (f) {
      const Value w = Elem(af, i);
      ValMul(&p, &w, &q, 0);
      p = q;
    }
    s = Add(s, p);
    if (KeyBreakPoll() != 0) return FailR(out, kArrErrBreak);
  }
  if (Err(s)) return FailR(out, kArrErrMath);
  *out = s.re;
  return 1;
}

}  // namespace

int ListSumOfProducts(const Value *x, const Value *y, BcdReal *out) { return SumProducts(x, y, nullptr, out); }
int ListSumOfProductsFreq(const Value *x, const Value *y, const Value *f, BcdReal *out) {
  return SumProducts(x, y, f, out);
}

namespace {

// N, Sx and Sxx of x with weights f (null: all 1): 0 or an error code.
u8 OnePass(const Value *x, const Value *f, Value *n, Value *sx, Value *sxx) {
  Value cx, cf;
  if (!ListCountAsReal(x, &cx)) return ValErrorCode(&cx);
  if (f) {
    if (!ListCountAsReal(f, &cf)) return ValErrorCode(&cf);
    if (RealIsEqual(&cx.re, &cf.re) != 1) return kArrErrDimension;
  }
  const ArrInfo a = ArrInfoOf(x);
  ArrInfo w{};
  if (f) w = ArrInfoOf(f);
  ArrInt(0, n);
  ArrInt(0, sx);
  ArrInt(0, sxx);
  for (u32 i = 0; i < a.count; ++i) {
    const Value v = Elem(a, i);
    Value wt;
    if (f) wt = Elem(w, i);
    else ArrInt(1, &wt);
    Value fx, fxx;
    ValMul(&wt, &v, &fx, 0);
    ValMul(&fx, &v, &fxx, 0);
    *n = Add(*n, wt);
    *sx = Add(*sx, fx);
    *sxx = Add(*sxx, fxx);
  }
  if (Err(*n) || Err(*sx) || Err(*sxx)) return kArrErrMath;
  return 0;
}

int OneOut(u8 code, const Value &v, BcdReal *out) {
  if (code != 0) return FailR(out, code);
  if (Err(v)) return FailR(out, kArrErrMath);
  const Value nv = Norm(v);
  *out = nv.re;
  return 1;
}

// sqrt((Sxx - Sx^2 / N) / (N - less)).
int Deviation(const Value *x, const Value *f, int less, BcdReal *out) {
  Value n, sx, sxx;
  const u8 e = OnePass(x, f, &n, &sx, &sxx);
  if (e != 0) return FailR(out, e);
  Value sq, q, d, m, one, den, var, r;
  ValMul(&sx, &sx, &sq, 0);
  ValDiv(&sq, &n, &q, 0);
  ValSubMaru(&sxx, &q, &d, 0);
  ArrInt(less, &one);
  ValSub(&n, &one, &den, 0);
  ValDiv(&d, &den, &var, 0);
  ArrInt(0, &m);
  if (!Err(var) && RealIsLess(&var.re, &m.re) == 1) var = m;
  ValSqrt(&var, &r, 0);
  return OneOut(0, r, out);
}

}  // namespace

int ListSumWeighted(const Value *x, const Value *f, BcdReal *out) {
  Value n, sx, sxx;
  const u8 e = OnePass(x, f, &n, &sx, &sxx);
  return OneOut(e, sx, out);
}

int ListSumSquares(const Value *x, BcdReal *out) {
  Value n, sx, sxx;
  const u8 e = OnePass(x, nullptr, &n, &sx, &sxx);
  return OneOut(e, sxx, out);
}

int ListSumSquaresWeighted(const Value *x, const Value *f, BcdReal *out) {
  Value n, sx, sxx;
  const u8 e = OnePass(x, f, &n, &sx, &sxx);
  return OneOut(e, sxx, out);
}

int ListMeanFreqReal(const Value *x, const Value *f, BcdReal *out) {
  Value n, sx, sxx, q;
  const u8 e = OnePass(x, f, &n, &sx, &sxx);
  if (e != 0) return FailR(out, e);
  ValDiv(&sx, &n, &q, 0);
  return OneOut(0, q, out);
}

int ListPopStdDev(const Value *x, BcdReal *out) { return Deviation(x, nullptr, 0, out); }
int ListPopStdDevFreq(const Value *x, const Value *f, BcdReal *out) { return Deviation(x, f, 0, out); }
int ListSampleStdDev(const Value *x, BcdReal *out) { return Deviation(x, nullptr, 1, out); }
int ListSampleStdDevFreq(const Value *x, const Value *f, BcdReal *out) { return Deviation(x, f, 1, out); }

int ListMedianSorted(const BcdReal *s, u32 n, Value *out) {
  const u32 half = n / 2;
  Value m;
  if (n % 2 == 1) {
    const Value x = FromReal(s[half]);
    ValNormalize(&x, &m);
  } else {
    m = Mid(FromReal(s[half - 1]), FromReal(s[half]));
  }
  *out = m;
  return ValErrorCode(out) == 0 ? 1 : 0;
}

int ListQuartileSorted(const BcdReal *s, u32 n, bool third, BcdReal *out) {
  auto at = [&](u32 k) { return FromReal(s[k - 1]); };  // 1-based
  Value q;
  if (n <= 3) {
    q = third ? at(n) : at(1);
  } else {
    const u32 half = n / 2;
    if (!third) {
      const u32 k = half / 2;
      q = half % 2 == 0 ? Mid(at(k), at(k + 1)) : at(k + 1);
    } else {
      const u32 p = (n + 1) / 2 + half / 2 + (half % 2);
      q = half % 2 == 1 ? at(p) : Mid(at(p), at(p + 1));
    }
  }
  Value qn;
  ValNormalize(&q, &qn);
  *out = qn.re;
  return ValErrorCode(&qn) == 0 ? 1 : 0;
}
