// The settings record "STATap", command titles, result rounding and the
// "Save Res" stores of the statistics commands.
#include "apps/stat/stat_cmd.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_data.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace statreal;

namespace {

constexpr const char *kFolder = "@STAT";
constexpr const char *kItem = "STATap";

struct Title {
  u32 code, msg;
};
constexpr Title kTitles[] = {
    {53, 252}, {54, 253}, {55, 254}, {56, 255}, {57, 256}, {58, 257}, {59, 258}, {50, 259},
    {51, 260}, {52, 261}, {61, 262}, {62, 263}, {63, 264}, {64, 265}, {65, 266}, {66, 267},
    {67, 268}, {68, 269}, {69, 270}, {70, 271}, {71, 272}, {72, 273}, {73, 274}, {74, 275},
    {75, 276}, {76, 277}, {77, 278}, {78, 279}, {79, 280}, {80, 281}, {81, 282},
};

bool In(i16 v, i16 lo, i16 hi) { return v >= lo && v <= hi; }

// Shows a "Save Res" code and gives it back.
u32 Shown(u32 code) {
  if (code) ErrBox(static_cast<i32>(code));
  return code;
}

u32 WriteList(u32 list, i32 count, const BcdReal *values) {
  if (u32 e = StatDataListCreate(list, static_cast<u32>(count))) return e;
  for (i32 i = 0; i < count; ++i) {
    R v;
    RealNormalize(&values[i], &v);
    if (u32 e = StatDataListSet(list, static_cast<u32>(i + 1), &v)) {
      StatDataListDelete(list);
      return e;
    }
  }
  return 0;
}

}  // namespace

u32 StatLoadSettings(StatAp *ap) {
  u32 size = 0;
  if (McsOpenInFolder(kFolder, kItem, &size) != 0 || size != sizeof(StatAp)) return kStatErrMemory;
  if (McsReadCurrent(0, sizeof(StatAp), ap) != 0) return kStatErrMemory;
  StatSanitizeSettings(ap);
  return 0;
}

u32 StatSaveSettings(const StatAp *ap) {
  u32 size = 0;
  if (McsOpenInFolder(kFolder, kItem, &size) == 0 && size == sizeof(StatAp)) {
    const u32 r = McsWriteCurrent(sizeof(StatAp), ap, 0);
    return r <= 2 ? 0 : kStatErrMemory;
  }
  McsDeleteInFolder(kFolder, kItem);
  return McsCreateInFolder(kFolder, kItem, sizeof(StatAp), ap) == 0 ? 0 : kStatErrMemory;
}

void StatDefaultSettings(StatAp *ap) {
  const i16 command = ap->command, valid = ap->resultValid;
  std::memset(ap, 0, sizeof *ap);
  ap->command = command;
  ap->resultValid = valid;
  ap->data = 1;
  ap->cond = 0;
  ap->rows = 1;
  ap->pooled = 0;
  ap->dependent = 2;
  ap->list1 = 1;
  ap->list2 = 2;
  ap->factorA = 1;
  ap->factorB = 2;
  ap->observed = 1;
  ap->expected = 2;
  ap->howMany = 1;
  ap->tail = -1;
  ap->saveRes = 0;
  BcdReal *reals = &ap->mu;
  for (int i = 0; i < 23; ++i) reals[i] = Zero();
  ap->sigma1 = ap->sigma2 = ap->sx1 = ap->sx2 = One();
  ap->level = Num("0.95");
}

void StatSanitizeSettings(StatAp *ap) {
  // A record from a backup may hold anything: each selector out of its
  // range takes its default.
  StatAp d;
  std::memset(&d, 0, sizeof d);
  StatDefaultSettings(&d);
  auto fix = [](i16 *v, i16 lo, i16 hi, i16 def) {
    if (!In(*v, lo, hi)) *v = def;
  };
  fix(&ap->data, 0, 1, d.data);
  fix(&ap->cond, -1, 1, d.cond);
  fix(&ap->rows, 1, 11, d.rows);
  fix(&ap->pooled, 0, 1, d.pooled);
  fix(&ap->dependent, 1, 26, d.dependent);
  fix(&ap->list1, 1, 26, d.list1);
  fix(&ap->list2, 1, 26, d.list2);
  fix(&ap->factorA, 1, 26, d.factorA);
  fix(&ap->factorB, 1, 26, d.factorB);
  fix(&ap->freq1, 0, 26, d.freq1);
  fix(&ap->freq2, 0, 26, d.freq2);
  fix(&ap->observed, 1, 26, d.observed);
  fix(&ap->expected, 1, 26, d.expected);
  fix(&ap->howMany, 1, 2, d.howMany);
  fix(&ap->tail, -1, 1, d.tail);
  fix(&ap->saveRes, 0, 26, d.saveRes);
  fix(&ap->resultValid, 0, 1, 0);
}

const char *StatTitleText(u32 code, char *out, u32 size) {
  out[0] = 0;
  for (const Title &t : kTitles)
    if (t.code == code) MsgTextPlain(static_cast<i32>(t.msg), out, size);
  return out;
}

void StatShowTitle(u32 code) {
  char text[40];
  StatTitleText(code, text, sizeof text);
  TextLocate(1, 1);
  TextPrintField(text, 21);
}

u32 StatKeepResultParams(const BcdReal *value, StatAp *ap, u32 resultId) {
  BcdReal *field = nullptr;
  switch (resultId) {
    case kStatResMean:
    case kStatResMean1: field = &ap->mean1; break;
    case kStatResMean2: field = &ap->mean2; break;
    case kStatResSx:
    case kStatResSx1: field = &ap->sx1; break;
    case kStatResSx2: field = &ap->sx2; break;
    case kStatResN:
    case kStatResN1: field = &ap->n1; break;
    case kStatResN2: field = &ap->n2; break;
    case kStatResDf: field = &ap->df; break;
    default: break;
  }
  if (field) *field = *value;
  return StatSaveSettings(ap);
}

BcdReal *StatRoundForDisplay(const BcdReal *src, BcdReal *dst) {
  if (IsErr(*src)) return Put(*src, dst);
  const int e = RealExponent(src);
  int digits = e >= -2 && e <= 5 ? 10 : 6;
  if (Lt(*src, Zero())) --digits;
  // The core's rounding keeps digits - 1 significant digits, which with the
  // sign and point fills the ten columns of the value.
  R r;
  RealRoundDigits(src, &r, digits);
  return Put(IsErr(r) ? *src : r, dst);
}

u32 StatSaveResultList(u8 list, i32 count, const BcdReal *values) {
  for (i32 i = 0; i < count; ++i)
    if (IsErr(values[i])) return Shown(kStatErrMa);
  if (list == 0) return 0;
  return Shown(WriteList(list, count, values));
}

u32 StatSaveWorkList(u8 list) {
  const u32 n = ItemListSize(0, 0);
  std::vector<R> v(n);
  for (u32 i = 0; i < n; ++i) {
    if (StatDataListGet(0, i + 1, &v[i]) != 0 || IsErr(v[i])) {
      StatDataListDelete(0);
      return Shown(kStatErrMa);
    }
  }
  if (list == 0) return 0;
  return Shown(WriteList(list, static_cast<i32>(n), v.data()) ? kStatErrMemory : 0);
}

u32 StatSaveResultLists(u32 base, u32 k, i32 count, const BcdReal *values) {
  const u32 e = StatSaveResultList(static_cast<u8>(base + k), count, values);
  if (e)
    for (u32 j = 0; j <= k; ++j) StatDataListDelete(base + k - j);
  return e;
}

u32 StatSaveAnovaResults(u32 list, u32 howMany, const StatAnova1Rec *one, const StatAnova2Rec *two) {
  if (list == 0) return 0;
  // Rows: A (B, AB) and ERR; F and p without ERR.
  std::vector<const StatAnovaRow *> rows;
  if (howMany == 1) {
    rows = {&one->a, &one->err};
  } else {
    rows = {&two->a, &two->b};
    if (two->single == 0) rows.push_back(&two->ab);
    rows.push_back(&two->err);
  }
  const i32 n = static_cast<i32>(rows.size());
  std::vector<R> col[5];
  for (i32 i = 0; i < n; ++i) {
    const StatAnovaRow &r = *rows[i];
    col[0].push_back(r.df);
    col[1].push_back(r.ss);
    col[2].push_back(r.ms);
    if (i + 1 < n) {
      col[3].push_back(r.f);
      col[4].push_back(r.p);
    }
  }
  for (const std::vector<R> &c : col)
    for (const R &v : c)
      if (IsErr(v)) return Shown(kStatErrMa);
  for (u32 k = 0; k < 5; ++k)
    if (u32 e = StatSaveResultLists(list, k, static_cast<i32>(col[k].size()), col[k].data())) return e;
  return 0;
}

u32 StatSaveResiduals(u32 xList, u32 yList, const BcdReal *b, const BcdReal *a) {
  const u32 target = SetupGetItem(kSetupResidList);
  if (target == 0) return 0;
  u32 n = 0;
  if (u32 e = StatDataListSize(xList, &n)) return e;
  std::vector<R> e(n);
  for (u32 i = 0; i < n; ++i) {
    R x, y;
    if (u32 c = StatDataListGet(xList, i + 1, &x)) return c;
    if (u32 c = StatDataListGet(yList, i + 1, &y)) return c;
    const R sum = Add(*a, Mul(*b, x));
    R fit;
    RealNormalize(&sum, &fit);
    e[i] = Sub(y, fit);
    if (IsErr(e[i])) return RealErrorCode(&e[i]);
  }
  return WriteList(target, static_cast<i32>(n), e.data()) ? kStatErrMemory : 0;
}
