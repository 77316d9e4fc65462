// The statistics calculations: the data-list checks, single-variable and
// paired-variable statistics, the regression driver with its fit measures
// and residuals, and the models the graphs and estimations evaluate.
#include "apps/stat/stat_calc.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_glue.h"
#include "apps/stat/stat_real.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/list_mem.h"
#include "numeric/list_stats.h"
#include "numeric/reg_fit.h"
#include "ui/lcd.h"
#include "ui/setup.h"

namespace {

using namespace statreal;

u32 Size(int list) { return list > 0 ? ItemListSize(0, static_cast<u8>(list)) : 0; }

bool Open(int list, Value *out) { return ListFromMemory(0, list, out) == 1; }

Value FromReal(const BcdReal &r) {
  Value v{};
  v.re = r;
  return v;
}

// The error that stops a calculation: Break and Memory only; every other
// error stays in the value of its result.
u32 Fatal(const void *v) {
  const u8 e = ValErrorCode(v);
  return e == kStatErrBreak || e == kStatErrMemory ? e : 0;
}

// Element i of a result list: an error value is written as the stored
// error real (the element operations refuse error values), so a result that
// could not be computed reads back as its error.
u32 PutElement(u8 file, u8 list, int i, const Value &v) {
  if (ValErrorCode(&v) == 0) return ItemListSet(file, list, static_cast<u32>(i), &v) == 0 ? 0 : kStatErrMemory;
  char name[9];
  ItemListName(file, list, name);
  const u32 r = McsWriteByKind(kMcsKindList, name, 12, &v.re, kItemArrayHeader + 12 * static_cast<u32>(i - 1));
  return (r & 0xFF) <= 2 ? 0 : kStatErrMemory;
}

// Writes the values as a new result list of `type`: 0 or 4.
u32 StoreResults(u8 type, const Value *values, int count) {
  if (StatNewResultList(type, count) != 0) return kStatErrMemory;
  for (int i = 0; i < count; ++i) {
    if (PutElement(kStatResultFile, 0, i + 1, values[i]) != 0) {
      StatDeleteResultList();
      return kStatErrMemory;
    }
  }
  return 0;
}

}  // namespace

i32 StatCompareReals(const BcdReal *a, const BcdReal *b) {
  if (RealIsEqual(a, b) == 1) return 0;
  return RealIsLess(a, b) == 1 ? -1 : 1;
}

u32 StatReadListElement(i8 file, u8 list, int i, BcdReal *out) {
  Value v;
  if (i < 1 || ItemListGet(static_cast<u8>(file), list, static_cast<u32>(i), &v) != 0) return kStatErrMemory;
  if (ValIsComplex(&v) == 1) return kStatErrComplexList;
  *out = v.re;
  return 0;
}

u32 StatCheckLists(int type, int xList, int yList, int freqList) {
  if (type == kStatSin || type == kStatLogistic) freqList = 0;
  int lists[3];
  int n = 0;
  for (int l : {xList, yList, freqList})
    if (l > 0) lists[n++] = l;
  u32 length = 0;
  if (type == 1 || type == 2) {
    for (int i = 0; i < n; ++i) {
      const u32 s = Size(lists[i]);
      if (s == 0) return kStatErrDimension;
      if (i == 0 || s < length) length = s;
    }
  } else {
    for (int i = 0; i < n; ++i) {
      const u32 s = Size(lists[i]);
      if (i == 0) length = s;
      else if (s != length) return kStatErrDimension;
    }
  }
  if (length == 0) return kStatErrDimension;
  for (int i = 0; i < n; ++i)
    if (ItemListIsReal(0, static_cast<u8>(lists[i])) == 0) return kStatErrComplexList;
  u32 least = 1;
  switch (type) {
    case kStatLinear: case kStatLog: case kStatExp: case kStatPower: least = 2; break;
    case kStatMedMed: case kStatQuad: case kStatLogistic: least = 3; break;
    case kStatCubic: case kStatSin: least = 4; break;
    case kStatQuart: least = 5; break;
    default: break;
  }
  return length < least ? kStatErrMa : 0;
}

namespace {

// The six sums and deviations of a list (with frequencies when freq).
void SixOf(const Value *x, const Value *freq, Value out[6]) {
  Value *p[6] = {&out[0], &out[1], &out[2], &out[3], &out[4], &out[5]};
  if (freq) ListOneVarStatsFreq(x, freq, p);
  else ListOneVarStats(x, p);
}

// n of zero (every frequency 0) or one that could not be counted.
bool NoData(const Value &n) {
  if (ValErrorCode(&n) != 0) return true;
  BcdReal zero{};
  return RealIsEqual(&n.re, &zero) == 1;
}

void MinMax(const Value *x, Value *min, Value *max) {
  BcdReal lo{}, hi{};
  if (RegListMinMax(x, &lo, &hi) == 0 && ValErrorCode(&lo) == 0) {
    RealMakeError(kStatErrComplexList, &lo);
    hi = lo;
  }
  *min = FromReal(lo);
  *max = FromReal(hi);
}

// An exact ordering key of a stored real: the sign, then the exponent, then
// the 15 digits, as one integer. False for an error value or a malformed
// real, which the general path handles.
bool OrderKey(const BcdReal &stored, i64 *key) {
  if (RealErrorCode(&stored) != 0 || !RealIsWellFormed(&stored)) return false;
  BcdReal x = stored;
  if (RealIsFrac(&x)) RealFracToDecimal(&stored, &x);
  if (RealErrorCode(&x) != 0) return false;
  if ((x.b[1] & 0x0F) == 0) {
    *key = 0;
    return true;
  }
  const u8 s = x.b[0] >> 4;
  // Sign codes 0 and 1 are positive, 5 and 6 negative; 1 and 6 carry a
  // positive exponent.
  const bool upExp = s == 1 || s == 6;
  const i64 exp = (upExp ? 1000 : 900) + (x.b[0] & 0x0F) * 10 + (x.b[1] >> 4);
  i64 m = x.b[1] & 0x0F;
  for (int i = 2; i <= 8; ++i) m = m * 100 + (x.b[i] >> 4) * 10 + (x.b[i] & 0x0F);
  const i64 mag = exp * 1000000000000000LL + m;
  *key = s >= 5 ? -mag : mag;
  return true;
}

// The data sorted ascending with their keys; false when an element has no
// key.
bool SortedByKey(const Value *x, std::vector<std::pair<i64, BcdReal>> *out) {
  const ArrInfo a = ArrInfoOf(x);
  const BcdReal *e = ArrElems(a.handle);
  if (e == nullptr || a.complex) return false;
  out->resize(a.count);
  for (u32 i = 0; i < a.count; ++i) {
    if (!OrderKey(e[i], &(*out)[i].first)) return false;
    (*out)[i].second = e[i];
  }
  std::stable_sort(out->begin(), out->end(), [](const auto &p, const auto &q) { return p.first < q.first; });
  return true;
}

// A real list of the given elements into list <file, list> (the result
// lists keep their type byte): 0 or 4.
u32 StoreReals(u8 file, u8 list, const std::vector<BcdReal> &v) {
  const MemHandle h = MemAlloc(static_cast<u32>(v.size()) * 12);
  if (h == 0) return kStatErrMemory;
  std::memcpy(ArrElems(h), v.data(), v.size() * 12);
  Value lv;
  ArrSetList(&lv, false, static_cast<u16>(v.size()), h);
  const u32 r = ItemListStoreValue(file, list, &lv);
  MemFree(h);
  return r == 0 ? 0 : kStatErrMemory;
}

// The quartiles, median, extremes and modes of data without frequencies
// from one sorted copy; the modes go to List Ans and the mode list. 0, an
// error code, or 0xFFFF when the data need the general path.
u32 OneVarSorted(const Value *x, Value r[12], Value *modeF) {
  std::vector<std::pair<i64, BcdReal>> sorted;
  if (!SortedByKey(x, &sorted)) return 0xFFFF;
  if (KeyBreakPoll()) return kStatErrBreak;
  const u32 n = static_cast<u32>(sorted.size());
  std::vector<BcdReal> s(n);
  for (u32 i = 0; i < n; ++i) s[i] = sorted[i].second;
  BcdReal q{};
  ListQuartileSorted(s.data(), n, false, &q);
  r[8] = FromReal(q);
  ListMedianSorted(s.data(), n, &r[9]);
  ListQuartileSorted(s.data(), n, true, &q);
  r[10] = FromReal(q);
  r[6] = FromReal(s[0]);
  r[7] = FromReal(s[n - 1]);
  // Runs of equal values: the longest ones are the modes, ascending.
  u32 best = 0;
  for (u32 i = 0; i < n;) {
    u32 j = i;
    while (j < n && sorted[j].first == sorted[i].first) ++j;
    if (j - i > best) best = j - i;
    i = j;
  }
  std::vector<BcdReal> modes;
  for (u32 i = 0; i < n;) {
    u32 j = i;
    while (j < n && sorted[j].first == sorted[i].first) ++j;
    if (j - i == best) modes.push_back(sorted[i].second);
    i = j;
  }
  *modeF = Value{};
  NumFromInt32(static_cast<i32>(best), &modeF->re);
  if (StoreReals(0, 0, modes) != 0) return kStatErrMemory;
  if (StatNewModeList(static_cast<int>(modes.size())) != 0 || StoreReals(kStatResultFile, 1, modes) != 0)
    return kStatErrMemory;
  return 0;
}

u32 OneVar(int xList, int freqList) {
  if (const u32 e = StatCheckLists(kStatOneVar, xList, 0, freqList)) return e;
  Value x, f;
  if (!Open(xList, &x) || (freqList && !Open(freqList, &f))) return kStatErrMemory;
  const Value *fp = freqList ? &f : nullptr;
  Value r[12];
  std::memset(r, 0, sizeof r);
  if (fp == nullptr) {
    Value modeF;
    const u32 e = OneVarSorted(&x, r, &modeF);
    if (e != 0xFFFF) {
      if (e != 0) return e;
      SixOf(&x, nullptr, r);
      for (const Value &v : r)
        if (const u32 e2 = Fatal(&v)) return e2;
      if (NoData(r[0])) return kStatErrMa;
      r[11] = modeF;
      return StoreResults(kStatOneVar, r, 12);
    }
  }
  BcdReal q{};
  if (fp) ListQuartile1Freq(&x, fp, &q); else ListQuartile1(&x, &q);
  r[8] = FromReal(q);
  if (fp) ListMedianFreqStat(&x, fp, &r[9]); else ListMedian(&x, &r[9]);
  if (fp) ListQuartile3Freq(&x, fp, &q); else ListQuartile3(&x, &q);
  r[10] = FromReal(q);
  MinMax(&x, &r[6], &r[7]);
  SixOf(&x, fp, r);
  for (const Value &v : r)
    if (const u32 e = Fatal(&v)) return e;
  if (NoData(r[0])) return kStatErrMa;
  Value modeF;
  const u32 m = ListModes(static_cast<u8>(xList), static_cast<u32>(freqList), &modeF);
  if (m != 0) return m;
  if (StatCopyModeList() != 0) return kStatErrMemory;
  r[11] = modeF;
  return StoreResults(kStatOneVar, r, 12);
}

u32 TwoVar(int xList, int yList, int freqList) {
  if (const u32 e = StatCheckLists(kStatTwoVar, xList, yList, freqList)) return e;
  Value x, y, f;
  if (!Open(xList, &x) || !Open(yList, &y) || (freqList && !Open(freqList, &f))) return kStatErrMemory;
  const Value *fp = freqList ? &f : nullptr;
  Value r[16];
  std::memset(r, 0, sizeof r);
  MinMax(&x, &r[6], &r[7]);
  MinMax(&y, &r[14], &r[15]);
  SixOf(&x, fp, r);
  if (const u32 e = Fatal(&r[0])) return e;
  if (NoData(r[0])) return kStatErrMa;
  SixOf(&y, fp, r + 8);
  BcdReal sxy{};
  if (fp) ListSumOfProductsFreq(&x, &y, fp, &sxy); else ListSumOfProducts(&x, &y, &sxy);
  r[8] = FromReal(sxy);
  for (const Value &v : r)
    if (const u32 e = Fatal(&v)) return e;
  return StoreResults(kStatTwoVar, r, 16);
}

}  // namespace

u32 StatOneVarRun(int xList, int freqList) {
  StatDeleteResultList();
  StatDeleteModeList();
  const u32 e = OneVar(xList, freqList);
  if (e != 0) {
    StatDeleteResultList();
    StatDeleteModeList();
  }
  return e;
}

u32 StatTwoVarRun(int xList, int yList, int freqList) {
  StatDeleteResultList();
  StatDeleteModeList();
  const u32 e = TwoVar(xList, yList, freqList);
  if (e != 0) StatDeleteResultList();
  return e;
}

namespace {

// Coefficients the result list keeps for a model (before r² and MSe).
int CoefCount(int type) {
  switch (type) {
    case kStatMedMed: return 8;
    case kStatQuad: case kStatLogistic: return 3;
    case kStatCubic: case kStatSin: return 4;
    case kStatQuart: return 5;
    default: return 4;  // a, b, r, r²
  }
}

// The fit of a model into an 8-slot record: 0 or the fit's error.
u32 Fit(int type, const Value *x, const Value *y, const Value *f, Value rec[8]) {
  Value out;
  int ok = 0;
  switch (type) {
    case kStatLinear: ok = RegPolynomialFit(x, y, f, 1, &out); break;
    case kStatMedMed: ok = RegMedMedFit(x, y, f, &out); break;
    case kStatQuad: case kStatCubic: case kStatQuart: ok = RegPolynomialFit(x, y, f, type - 9, &out); break;
    case kStatLog: ok = RegLogFit(x, y, f, &out); break;
    case kStatExp: ok = RegExpFit(x, y, f, &out); break;
    case kStatPower: ok = RegPowerFit(x, y, f, &out); break;
    case kStatSin: ok = RegSinFit(x, y, &out); break;
    case kStatLogistic: ok = RegLogisticFit(x, y, &out); break;
    default: return kStatErrMa;
  }
  if (!ok) return ValErrorCode(&out) != 0 ? ValErrorCode(&out) : kStatErrMa;
  const ArrInfo a = ArrInfoOf(&out);
  const BcdReal *e = ArrElems(a.handle);
  for (u32 k = 0; k < 8; ++k) {
    rec[k] = Value{};
    if (k < a.count && e != nullptr) ArrGet(e, a.count, a.complex, k, &rec[k]);
    if (ValIsComplex(&rec[k]) == 1) {
      rec[k] = Value{};
      RealMakeError(kStatErrNonReal, &rec[k].re);
    }
  }
  ArrFreeHeap(a.handle);
  if (type == kStatLinear || type == kStatLog || type == kStatExp || type == kStatPower) {
    rec[2] = rec[5];
    rec[3] = rec[6];
  }
  return 0;
}

}  // namespace

int RegFitMeasures(int model, int xList, int yList, int freqList, BcdReal *mse, BcdReal *r2) {
  if (Size(yList) == 0) return static_cast<int>(kStatErrDimension);
  Value x, y, f;
  if (!Open(xList, &x) || !Open(yList, &y) || (freqList && !Open(freqList, &f))) {
    RealMakeError(kStatErrMa, mse);
    RealMakeError(kStatErrMa, r2);
    return 0;
  }
  // The coefficients as the last calculation stored them.
  const int count = model == kStatQuad || model == kStatLogistic ? 3
                    : model == kStatCubic || model == kStatSin ? 4
                    : model == kStatQuart ? 5 : 2;
  const MemHandle h = MemAlloc(12 * 5);
  if (h == 0) return static_cast<int>(kStatErrMemory);
  BcdReal *k = ArrElems(h);
  for (int i = 0; i < 5; ++i) {
    Value v{};
    if (i < count && StatCalcValue(kValA + i, &v) < 0) RealMakeError(kStatErrMa, &v.re);
    k[i] = v.re;
  }
  Value coef;
  ArrSetList(&coef, false, 5, h);
  const int r = RegFitMeasuresOf(model, &x, &y, freqList ? &f : nullptr, &coef, SetupGetAngle(), mse, r2);
  MemFree(h);
  return r;
}

void StatGraphEvalModel(i32 type, const BcdReal c[5], const BcdReal *xp, BcdReal *y) {
  auto N = [](const R &v) {
    R r;
    RealNormalize(&v, &r);
    return r;
  };
  const R x = *xp;
  const u16 unit = SetupGetAngle();
  switch (type) {
    case 7: {
      const R z = N(Div(N(Sub(x, c[0])), c[1]));
      const R d = N(Mul(c[1], N(Sqrt(N(Mul(Two(), Pi()))))));
      *y = N(Div(N(Exp(N(Neg(N(Div(N(Mul(z, z)), Two())))))), d));
      return;
    }
    case kStatLinear: case kStatMedMed: case kStatQuad: case kStatCubic: case kStatQuart: {
      const int degree = type <= kStatMedMed ? 1 : type - 9;
      R p = c[0];
      for (int d = 1; d <= degree; ++d) p = N(Add(N(Mul(p, x)), c[d]));
      *y = p;
      return;
    }
    case kStatLog: *y = N(Add(c[0], N(Mul(c[1], N(Ln(x)))))); return;
    case kStatExp: *y = N(Mul(c[0], N(Exp(N(Mul(c[1], x)))))); return;
    case kStatPower: {
      R p;
      RealPow(&x, &c[1], &p);
      *y = N(Mul(c[0], N(p)));
      return;
    }
    case kStatSin: {
      const R arg = N(Add(N(Mul(c[1], x)), c[2]));
      R s;
      RealSin(&arg, &s, unit);
      *y = N(Add(N(Mul(c[0], N(s))), c[3]));
      return;
    }
    case kStatLogistic:
      *y = N(Div(c[2], N(Add(One(), N(Mul(c[0], N(Exp(N(Neg(N(Mul(c[1], x))))))))))));
      return;
    default: return;
  }
}

u32 StatRegEstimateAt(int slot, const i16 block[7], const BcdReal *xp, BcdReal *y) {
  const int type = block[1];
  if (type < kStatLinear || type > kStatLogistic) return 1;
  BcdReal c[5] = {};
  for (int i = 0; i < 5; ++i) {
    Value v;
    if (ItemListGet(kStatWorkFile, static_cast<u8>(10 * slot), static_cast<u32>(i + 1), &v) == 0) c[i] = v.re;
  }
  const R x = *xp;
  R r;
  switch (type) {
    case kStatLinear: case kStatMedMed: case kStatQuad: case kStatCubic: case kStatQuart: {
      const int degree = type <= kStatMedMed ? 1 : type - 9;
      r = c[0];
      for (int d = 1; d <= degree; ++d) r = Add(Mul(r, x), c[d]);
      break;
    }
    case kStatLog: r = Add(c[0], Mul(c[1], Ln(x))); break;
    case kStatExp: r = Mul(c[0], Exp(Mul(c[1], x))); break;
    case kStatPower: RealPow(&x, &c[1], &r); r = Mul(c[0], r); break;
    case kStatSin: {
      const R arg = Add(Mul(c[1], x), c[2]);
      RealSin(&arg, &r, SetupGetAngle());
      r = Add(Mul(c[0], r), c[3]);
      break;
    }
    default: r = Div(c[2], Add(One(), Mul(c[0], Exp(Neg(Mul(c[1], x)))))); break;
  }
  if (!IsErr(r)) RealNormalize(&r, &r);
  *y = r;
  return RealErrorCode(y);
}

u32 StatWriteResiduals(int xList, int yList, int type, const Value coef[8]) {
  const u8 target = SetupGetItem(kSetupResidList);
  if (target == 0) return 0;
  const u32 n = Size(xList);
  if (n == 0) return kStatErrMemory;
  if (ItemListCreate(0, 0, n) != 0) return kStatErrMemory;
  BcdReal c[5];
  for (int i = 0; i < 5; ++i) c[i] = coef[i].re;
  for (u32 i = 1; i <= n; ++i) {
    BcdReal xi{}, yi{}, fit{}, u{};
    u32 e = StatReadListElement(0, static_cast<u8>(xList), static_cast<int>(i), &xi);
    if (e == 0) {
      StatGraphEvalModel(type, c, &xi, &fit);
      e = StatReadListElement(0, static_cast<u8>(yList), static_cast<int>(i), &yi);
    }
    if (e == 0) {
      RealSub(&yi, &fit, &u);
      e = RealErrorCode(&u);
    }
    const Value v = FromReal(u);
    if (e == 0 && ItemListSet(0, 0, i, &v) != 0) e = kStatErrMemory;
    if (e != 0) {
      ItemListDelete(0, 0);
      return e;
    }
  }
  Value work;
  if (!Open(0, &work) || ItemListStoreValue(0, target, &work) != 0) {
    ItemListDelete(0, 0);
    return kStatErrMemory;
  }
  return 0;
}

u32 StatRegression(int mode, int slot, int type, int xList, int yList, int freqList) {
  // The old results go first, so that a refused calculation leaves none.
  if (mode == 3) slot = 0;
  if (mode == 0 || mode == 3) StatDeleteResultList();
  if (mode == 1 || mode == 3) StatClearSlotLists(slot);
  if (const u32 e = StatCheckLists(type, xList, yList, freqList)) return e;
  const bool curve = type == kStatSin || type == kStatLogistic;
  Value x, y, f;
  if (!Open(xList, &x) || !Open(yList, &y)) return kStatErrMemory;
  const bool useFreq = !curve && freqList != 0;
  if (useFreq && !Open(freqList, &f)) return kStatErrMemory;
  Value rec[8];
  if (const u32 e = Fit(type, &x, &y, useFreq ? &f : nullptr, rec)) return e;
  const int k = CoefCount(type);
  if (mode == 0 || mode == 3) {
    Value res[8];
    int count = k;
    for (int i = 0; i < k; ++i) res[i] = rec[i];
    if (type != kStatMedMed) {
      if (const u32 e = StoreResults(static_cast<u8>(type), res, k)) return e;
      BcdReal mse{}, r2{};
      if (RegFitMeasures(type, xList, yList, useFreq ? freqList : 0, &mse, &r2) != 0) {
        RealMakeError(kStatErrMa, &mse);
        RealMakeError(kStatErrMa, &r2);
      }
      if (type == kStatLinear || type == kStatLog || type == kStatExp || type == kStatPower) {
        res[count++] = FromReal(mse);
      } else {
        res[count++] = FromReal(r2);
        res[count++] = FromReal(mse);
      }
    }
    if (const u32 e = StoreResults(static_cast<u8>(type), res, count)) return e;
    if (const u32 e = StatWriteResiduals(xList, yList, type, rec)) {
      StatDeleteResultList();
      return e;
    }
  }
  if (mode == 1 || mode == 3) {
    if (StatCreateGraphCoefList(static_cast<u8>(type), static_cast<u8>(10 * slot), k) != 0) return kStatErrMemory;
    for (int i = 0; i < k; ++i)
      if (PutElement(kStatWorkFile, static_cast<u8>(10 * slot), i + 1, rec[i]) != 0) return kStatErrMemory;
  }
  return 0;
}

namespace {

// Runs the calculation of the condition's type: 0 or an error code.
u32 RunType(const i16 *cond) {
  const int type = cond[kCondType];
  if (type == kStatOneVar) return StatOneVarRun(cond[kCondOneX], cond[kCondOneFreq]);
  if (type == kStatTwoVar) return StatTwoVarRun(cond[kCondTwoX], cond[kCondTwoY], cond[kCondTwoFreq]);
  if (type >= kStatLinear && type <= kStatLogistic)
    return StatRegression(0, 0, type, cond[kCondTwoX], cond[kCondTwoY], cond[kCondTwoFreq]);
  return 0xFFFF;
}

// A cell range {column, row, column, row} at byte `at` of a record.
void RangeOf(const u8 *rec, u32 at, i16 out[4]) { std::memcpy(out, rec + at, 8); }

}  // namespace

u32 StatSheetCondToLists(i16 out[6], const u8 *sheetCond, int oneVar) {
  // Work lists 27-31 of file 0: the single-variable X and frequency, the
  // paired X, Y and frequency ranges. A frequency range whose first word is
  // 0 is not set: each datum counts once.
  i16 range[4];
  out[kCondOneX] = 27;
  out[kCondOneFreq] = 0;
  out[kCondTwoX] = 29;
  out[kCondTwoY] = 30;
  out[kCondTwoFreq] = 0;
  if (oneVar) {
    RangeOf(sheetCond, 2, range);
    if (const u32 e = SheetReadRangeToList(range, 27)) return e;
    RangeOf(sheetCond, 10, range);
    if (range[0] == 0) return 0;
    out[kCondOneFreq] = 28;
    return SheetReadRangeToList(range, 28);
  }
  RangeOf(sheetCond, 18, range);
  if (const u32 e = SheetReadRangeToList(range, 29)) return e;
  RangeOf(sheetCond, 26, range);
  if (const u32 e = SheetReadRangeToList(range, 30)) return e;
  RangeOf(sheetCond, 34, range);
  if (range[0] == 0) return 0;
  out[kCondTwoFreq] = 31;
  return SheetReadRangeToList(range, 31);
}

u32 StatSheetRangeCalc(i16 out[29], const u16 *sheetGraphCond) {
  // Graph g's X, Y and frequency ranges go to work lists 32 + 3g, 33 + 3g
  // and 34 + 3g.
  for (int g = 0; g < 4; ++g) {
    const u16 *blk = sheetGraphCond + 16 * g;
    const u8 *bytes = reinterpret_cast<const u8 *>(blk);
    const bool freq = blk[10] != 0;
    i16 *o = out + 7 * g;
    o[0] = static_cast<i16>(blk[0]);
    o[1] = static_cast<i16>(blk[1]);
    o[2] = static_cast<i16>(32 + 3 * g);
    o[3] = static_cast<i16>(33 + 3 * g);
    o[4] = freq ? static_cast<i16>(34 + 3 * g) : 0;
    o[5] = static_cast<i16>(blk[14]);
    o[6] = static_cast<i16>(blk[15]);
    if (blk[0] != 1) continue;
    i16 range[4];
    RangeOf(bytes, 4, range);
    if (const u32 e = SheetReadRangeToList(range, static_cast<u8>(o[2]))) return e;
    // The one-list graphs (probability plot to broken line) need no Y.
    RangeOf(bytes, 12, range);
    const u32 ey = SheetReadRangeToList(range, static_cast<u8>(o[3]));
    if (ey && !(blk[1] >= 3 && blk[1] <= 8)) return ey;
    if (freq) {
      RangeOf(bytes, 20, range);
      if (const u32 e = SheetReadRangeToList(range, static_cast<u8>(o[4]))) return e;
    }
  }
  out[28] = static_cast<i16>(sheetGraphCond[64]);
  return 0;
}

i32 StatCalcRun(const i16 *cond, u32 *err, int showScreen, int sheet) {
  StatDeleteResultList();
  StatDeleteModeList();
  i16 local[6];
  std::memcpy(local, cond, sizeof local);
  if (sheet) {
    u8 sheetCond[kSheetCalcCondBytes];
    u32 e = SheetReadCalcCond(sheetCond);
    if (e == 0) e = StatSheetCondToLists(local, sheetCond, local[kCondType] == kStatOneVar);
    if (e) {
      *err = e;
      return -2;
    }
  }
  const u32 e = RunType(local);
  if (e != 0) {
    *err = e == 0xFFFF ? 0 : e;
    return -2;
  }
  return showScreen ? StatCalcResultScreen(local[kCondType], err, sheet) : 0;
}

i32 StatCalcFromCommand(const i16 *cond, u32 *err, int showScreen) {
  StatDeleteResultList();
  StatDeleteModeList();
  const u32 e = RunType(cond);
  if (e != 0) {
    *err = e == 0xFFFF ? 0 : e;
    return 0;
  }
  return showScreen ? StatCalcResultScreenProgram(cond[kCondType], err) : 0;
}

u32 StatSetCalcFromCommand(u32 showScreen, i32 calcType, i32 xList, i32 yList, i32 freqList, i32 *result) {
  *result = 0;
  u16 cond[kStatCalcCondWords];
  if (StatLoadCalcCond(cond) != 0) return kStatErrMemory;
  auto set = [&](u32 word, i32 v) {
    if (v != -1) cond[word] = static_cast<u16>(v);
  };
  if ((calcType >= kStatLinear && calcType <= kStatLogistic) || calcType == kStatTwoVar) {
    cond[kCondType] = static_cast<u16>(calcType);
    set(kCondTwoX, xList);
    set(kCondTwoY, yList);
    set(kCondTwoFreq, freqList);
  } else if (calcType == kStatOneVar) {
    cond[kCondType] = kStatOneVar;
    set(kCondOneX, xList);
    set(kCondOneFreq, freqList);
  } else {
    return 0;
  }
  if (const i32 w = StatWriteCalcCond(cond)) return static_cast<u32>(w);
  u32 err = 0;
  const i32 r = StatCalcFromCommand(reinterpret_cast<const i16 *>(cond), &err, static_cast<int>(showScreen));
  *result = r == -21 ? -14 : r;
  return err;
}
