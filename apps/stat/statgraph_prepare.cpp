// StatGraph preparation: the data checks, the working lists of each drawn
// graph (box-plot values, histogram classes, normal-probability points,
// normal-curve parameters, regression coefficients) and the automatic
// V-Window that shows every drawn graph.
#include <cstdio>
#include <cstring>
#include <vector>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_data.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/statgraph.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "numeric/list_mem.h"
#include "number/numtext.h"
#include "number/value.h"
#include "numeric/list_stats.h"
#include "ui/edit.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace statreal;

namespace {
constexpr u32 kMaxClasses = 126;

// The highest list number a graph may name: the 26 lists, and in the
// spreadsheet its own work lists behind them.
int HighestList() { return SysIsAppName("@SSHEET") ? 43 : 26; }

bool ListNumberOk(int list) { return list >= 1 && list <= HighestList(); }

u32 Size(int list) { return list > 0 ? ItemListSize(0, static_cast<u8>(list)) : 0; }

// Element i of data list `list` of the current list file.
u32 DataGet(int list, u32 i, R *out) {
  Value v{};
  if (ItemListGet(0, static_cast<u8>(list), i, &v) != 0) return kStatErrMemory;
  if (ValIsComplex(&v) == 1) return kStatErrComplexList;
  *out = v.re;
  return 0;
}

}  // namespace

// Small helpers shared with the drawing code through this file's header.
int StatGraphListCount(int type) {
  if (type >= kSgNpp && type <= kSgBroken) return 1;
  if (type == kSgScatter || type == kSgXyLine || (type >= kStatLinear && type <= kStatLogistic)) return 2;
  return 0;
}

u32 StatGraphCheckLists(int type, int xList, int yList, int freqList) {
  const int kind = StatGraphListCount(type);
  if (kind == 0) return 0;
  if (type == kSgNpp || type == kStatSin || type == kStatLogistic) freqList = 0;
  // A condition read from a file may name anything: refuse before reading.
  if (!ListNumberOk(xList) || (kind == 2 && !ListNumberOk(yList)) || (freqList != 0 && !ListNumberOk(freqList)))
    return kStatErrDimension;
  if (kind == 2) {
    if (const u32 e = StatCheckLists(type, xList, yList, freqList)) return e;
    return 0;
  }
  const u32 n = Size(xList);
  if (n == 0 || (freqList != 0 && Size(freqList) != n)) return kStatErrDimension;
  if (ItemListIsReal(0, static_cast<u8>(xList)) == 0) return kStatErrComplexList;
  if (freqList != 0 && ItemListIsReal(0, static_cast<u8>(freqList)) == 0) return kStatErrComplexList;
  // Frequencies weigh the data of histograms, broken lines and the normal
  // curve: a negative one would subtract data.
  if (freqList != 0 && (type == kSgHist || type == kSgBroken || type == kSgNDist)) {
    for (u32 i = 1; i <= n; ++i) {
      R f;
      if (const u32 e = DataGet(freqList, i, &f)) return e;
      if (Lt(f, Zero())) return kStatErrMa;
    }
  }
  return 0;
}

u32 StatGraphPairCount(const i16 block[7]) {
  u32 n = Size(block[kSgX]);
  for (int w : {kSgY, kSgFreq}) {
    if (block[w] == 0) continue;
    const u32 s = Size(block[w]);
    if (s < n) n = s;
  }
  return n;
}

namespace {

// Smallest and largest of the first n elements of a data list.
u32 DataRange(int list, u32 n, R *lo, R *hi) {
  for (u32 i = 1; i <= n; ++i) {
    R x;
    if (const u32 e = DataGet(list, i, &x)) return e;
    if (i == 1 || Lt(x, *lo)) *lo = x;
    if (i == 1 || Gt(x, *hi)) *hi = x;
    if (KeyBreakPoll()) return kStatErrBreak;
  }
  return n == 0 ? kStatErrDimension : 0;
}

u32 WorkRange(int slot, int k, R *lo, R *hi) {
  const u32 list = StatGraphWorkList(slot, k);
  u32 n = 0;
  StatDataListSize(list, &n);
  for (u32 i = 1; i <= n; ++i) {
    R x;
    if (StatDataListGet(list, i, &x) != 0) return kStatErrMemory;
    if (i == 1 || Lt(x, *lo)) *lo = x;
    if (i == 1 || Gt(x, *hi)) *hi = x;
  }
  return n == 0 ? kStatErrDimension : 0;
}

// Writes reals as the whole working list (made anew).
u32 WriteWork(int slot, int k, const std::vector<R> &v) {
  const u32 list = StatGraphWorkList(slot, k);
  StatDataListDelete(list);
  if (v.empty()) return 0;
  if (StatDataListCreate(list, static_cast<u32>(v.size())) != 0) return kStatErrMemory;
  for (u32 i = 0; i < v.size(); ++i)
    if (StatDataListSet(list, i + 1, &v[i]) != 0) return kStatErrMemory;
  return 0;
}

u32 Fail(int slot, u32 e) {
  for (int k = 0; k < 3; ++k) StatDataListDelete(StatGraphWorkList(slot, k));
  return e;
}

// minX, Q1, Med, Q3, maxX of a block's data.
u32 BoxValues(const i16 *block, R out[5]) {
  const int x = block[kSgX], f = block[kSgFreq];
  if (const u32 e = DataRange(x, Size(x), &out[0], &out[4])) return e;
  Value xv, fv, med;
  if (ListFromMemory(0, x, &xv) != 1) return kStatErrMemory;
  int ok;
  if (f != 0) {
    if (ListFromMemory(0, f, &fv) != 1) return kStatErrMemory;
    ok = ListQuartile1Freq(&xv, &fv, &out[1]) & ListMedianFreqStat(&xv, &fv, &med) & ListQuartile3Freq(&xv, &fv, &out[3]);
  } else {
    ok = ListQuartile1(&xv, &out[1]) & ListMedian(&xv, &med) & ListQuartile3(&xv, &out[3]);
  }
  out[2] = med.re;
  for (int i = 1; i <= 3; ++i)
    if (IsErr(out[i])) return RealErrorCode(&out[i]);
  return ok ? 0 : kStatErrMa;
}

u32 BoxPrepare(int slot, const i16 *block) {
  R v[5];
  if (const u32 e = BoxValues(block, v)) return Fail(slot, e);
  if (const u32 e = WriteWork(slot, 0, std::vector<R>(v, v + 5))) return Fail(slot, e);
  return 0;
}

// Inserts x into a sorted working list unless it is there already.
void InsertSortedUnique(std::vector<R> *list, const R &x) {
  auto it = list->begin();
  while (it != list->end() && Lt(*it, x)) ++it;
  if (it != list->end() && Eq(*it, x)) return;
  list->insert(it, x);
}

u32 BoxOutlierPrepare(int slot, const i16 *block) {
  R v[5];
  if (const u32 e = BoxValues(block, v)) return Fail(slot, e);
  const R &minX = v[0], &q1 = v[1], &q3 = v[3], &maxX = v[4];
  const R step = Mul(Add(One(), Half()), Sub(q3, q1));
  const R low = Sub(q1, step), high = Add(q3, step);
  if (const R *bad = FirstError({&step, &low, &high})) return Fail(slot, RealErrorCode(bad));
  R lowEnd = Le(low, minX) ? minX : q1, highEnd = Le(maxX, high) ? maxX : q3;
  std::vector<R> lower, upper;
  const int x = block[kSgX];
  const u32 n = Size(x);
  for (u32 i = 1; i <= n; ++i) {
    R d;
    if (const u32 e = DataGet(x, i, &d)) return Fail(slot, e);
    if (Gt(low, minX) && Le(low, d) && Le(d, q1) && Lt(d, lowEnd)) lowEnd = d;
    if (Gt(maxX, high) && Ge(high, d) && Ge(d, q3) && Gt(d, highEnd)) highEnd = d;
    if (Lt(minX, d) && Lt(d, low)) InsertSortedUnique(&lower, d);
    if (Lt(high, d) && Lt(d, maxX)) InsertSortedUnique(&upper, d);
    if (KeyBreakPoll()) return Fail(slot, kStatErrBreak);
  }
  const std::vector<R> seven = {minX, lowEnd, q1, v[2], q3, highEnd, maxX};
  if (u32 e = WriteWork(slot, 0, seven)) return Fail(slot, e);
  if (u32 e = WriteWork(slot, 1, lower)) return Fail(slot, e);
  if (u32 e = WriteWork(slot, 2, upper)) return Fail(slot, e);
  return 0;
}

u32 NppPrepare(int slot, const i16 *block) {
  for (int k = 0; k < 3; ++k) StatDataListDelete(StatGraphWorkList(slot, k));
  if (Size(block[kSgX]) == 0) return kStatErrDimension;
  if (const u32 e = ListSortedWorkCopy(block[kSgX], 10 * slot, static_cast<u8>(10 * slot + 1))) return Fail(slot, e);
  return 0;
}

u32 NDistPrepare(int slot, const i16 *block, R *xmin, R *xmax, R *ymax) {
  const int x = block[kSgX], f = block[kSgFreq];
  if (const u32 e = DataRange(x, Size(x), xmin, xmax)) return Fail(slot, e);
  Value xv, fv, out[6];
  Value *outs[6] = {&out[0], &out[1], &out[2], &out[3], &out[4], &out[5]};
  if (ListFromMemory(0, x, &xv) != 1) return Fail(slot, kStatErrMemory);
  if (f != 0) {
    if (ListFromMemory(0, f, &fv) != 1) return Fail(slot, kStatErrMemory);
    ListOneVarStatsFreq(&xv, &fv, outs);
  } else {
    ListOneVarStats(&xv, outs);
  }
  const R mean = out[1].re, sd = out[4].re;
  if (IsErr(mean)) return Fail(slot, RealErrorCode(&mean));
  if (IsErr(sd)) return Fail(slot, RealErrorCode(&sd));
  if (const u32 e = WriteWork(slot, 0, {mean, sd})) return Fail(slot, e);
  const R c[5] = {mean, sd, Zero(), Zero(), Zero()};
  StatGraphEvalModel(kSgNDist, c, &mean, ymax);
  return 0;
}

// The working window: Xmin, Xmax, Ymin, Ymax and whether each pair is set.
struct Window {
  R v[4];
  bool x = false, y = false;
};

void Merge(Window *w, const R &xmin, const R &xmax, const R *ymin, const R *ymax) {
  if (!w->x) {
    w->v[0] = xmin, w->v[1] = xmax, w->x = true;
  } else {
    if (Lt(xmin, w->v[0]) || IsErr(xmin)) w->v[0] = xmin;
    if (Gt(xmax, w->v[1]) || IsErr(xmax)) w->v[1] = xmax;
  }
  if (!ymin) return;
  if (!w->y) {
    w->v[2] = *ymin, w->v[3] = *ymax, w->y = true;
  } else {
    if (Lt(*ymin, w->v[2]) || IsErr(*ymin)) w->v[2] = *ymin;
    if (Gt(*ymax, w->v[3]) || IsErr(*ymax)) w->v[3] = *ymax;
  }
}

// The margins and the write into "VWIN" (and *vwin).
u32 WriteWindow(Window *w, bool yMargin, VwinRecord *vwin) {
  R *v = w->v;
  const R d = Div(Sub(v[1], v[0]), Int(6));
  v[0] = Sub(v[0], d), v[1] = Add(v[1], d);
  if (yMargin && w->y) {
    const R e = Div(Sub(v[3], v[2]), Int(3));
    v[2] = Sub(v[2], e), v[3] = Add(v[3], e);
  }
  if (!w->y) {
    if (GmemReadVwinValue(&v[2], kVwinYmin) != 0 || GmemReadVwinValue(&v[3], kVwinYmax) != 0) return kStatErrMemory;
  }
  for (int i = 0; i < 4; ++i)
    if (IsErr(v[i])) return RealErrorCode(&v[i]);
  for (int i = 0; i < 4; i += 2)
    if (Gt(v[i], v[i + 1])) std::swap(v[i], v[i + 1]);
  if (Eq(v[0], v[1]) || Eq(v[2], v[3])) return kStatErrRange;
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0) return kStatErrMemory;
  static const int kFields[4] = {kVwinXmin, kVwinXmax, kVwinYmin, kVwinYmax};
  for (int i = 0; i < 4; ++i) RealFracToDecimal(&v[i], &rec.f[kFields[i]]);
  VwinSetDots(&rec);
  if (const u32 e = VwinCheckValues(&rec)) return e;
  GmemDeleteGraphRecord();
  for (int i = 0; i < 4; ++i)
    if (GmemWriteVwinValue(&rec.f[kFields[i]], kFields[i]) != 0) return kStatErrMemory;
  if (GmemReadVwin(&rec) != 0) return kStatErrMemory;
  *vwin = rec;
  return 0;
}

u32 ComputeAll(u32 quiet, i16 cond[35], VwinRecord *vwin, i32 *cancel) {
  const bool autoWin = SetupGetItem(kSetupStatWind) == 0;
  // Checks first, so that a refused graph changes nothing.
  for (int s = 1; s <= 3; ++s) {
    const i16 *b = cond + 7 * s;
    if (b[kSgDraw] != 1) continue;
    if (const u32 e = StatGraphCheckLists(b[kSgType], b[kSgX], b[kSgY], b[kSgFreq])) return e;
  }
  Window win;
  bool yMargin = false;
  int histSlots[3];
  int histCount = 0;
  R histStart[3], histWidth[3];
  for (int s = 1; s <= 3; ++s) {
    const i16 *b = cond + 7 * s;
    if (b[kSgDraw] != 1) continue;
    // The preparation works on a copy: the stored block keeps its words.
    i16 block[7];
    std::memcpy(block, b, sizeof block);
    const int type = block[kSgType];
    if (type != kSgBox && type != kSgBoxOut) yMargin = true;
    R xmin, xmax, ymin, ymax;
    if (type == kSgScatter || type == kSgXyLine || (type >= kStatLinear && type <= kStatLogistic)) {
      if (type == kStatSin || type == kStatLogistic) block[kSgFreq] = 0;
      u32 n;
      if (type >= kStatLinear) {
        if (const u32 e = StatRegression(1, s, type, block[kSgX], block[kSgY], block[kSgFreq])) return e;
        n = Size(block[kSgX]);
      } else {
        for (int k = 0; k < 3; ++k) StatDataListDelete(StatGraphWorkList(s, k));
        n = StatGraphPairCount(block);
      }
      if (const u32 e = DataRange(block[kSgX], n, &xmin, &xmax)) return e;
      if (const u32 e = DataRange(block[kSgY], n, &ymin, &ymax)) return e;
      Merge(&win, xmin, xmax, &ymin, &ymax);
    } else if (type == kSgNpp) {
      if (const u32 e = NppPrepare(s, block)) return e;
      if (WorkRange(s, 0, &xmin, &xmax) != 0 || WorkRange(s, 1, &ymin, &ymax) != 0) return Fail(s, kStatErrMemory);
      Merge(&win, xmin, xmax, &ymin, &ymax);
    } else if (type == kSgBox || type == kSgBoxOut) {
      if (const u32 e = type == kSgBox ? BoxPrepare(s, block) : BoxOutlierPrepare(s, block)) return e;
      if (WorkRange(s, 0, &xmin, &xmax) != 0) return Fail(s, kStatErrMemory);
      Merge(&win, xmin, xmax, nullptr, nullptr);
    } else if (type == kSgNDist) {
      if (const u32 e = NDistPrepare(s, block, &xmin, &xmax, &ymax)) return e;
      ymin = Zero();
      Merge(&win, xmin, xmax, &ymin, &ymax);
    } else if (type == kSgHist || type == kSgBroken) {
      R start, width;
      if (autoWin) {
        if (const u32 e = StatHistAutoParams(block, &start, &width)) return e;
      } else if (StatReadHistParams(&start, &width) != 0) {
        if (GmemReadVwinValue(&start, kVwinXmin) != 0) return kStatErrMemory;
        width = One();
      }
      histSlots[histCount] = s;
      histStart[histCount] = start;
      histWidth[histCount++] = width;
    }
  }
  if (histCount > 0) {
    R start = histStart[0], width = histWidth[0];
    for (int i = 1; i < histCount; ++i) {
      if (Lt(histStart[i], start)) start = histStart[i];
      if (Gt(histWidth[i], width)) width = histWidth[i];
    }
    if (const i32 e = StatWriteHistParams(&start, &width)) return static_cast<u32>(e);
    if (quiet == 0) {
      const i32 r = StatHistParamsPopup(&start, &width);
      if (r != 0) {
        *cancel = -2;
        return 0;
      }
    }
    R histXmax;
    for (int i = 0; i < histCount; ++i) {
      const int s = histSlots[i];
      const i16 *block = cond + 7 * s;
      if (const u32 e = StatHistBuild(s, block, &start, &width)) return e;
      if (!autoWin) continue;
      R lastEdge, cmin, cmax;
      const u32 n = ItemListSize(kStatWorkFile, static_cast<u8>(10 * s));
      if (StatDataListGet(StatGraphWorkList(s, 0), n, &lastEdge) != 0) return Fail(s, kStatErrMemory);
      if (WorkRange(s, 1, &cmin, &cmax) != 0) return Fail(s, kStatErrMemory);
      const R xmax = Add(lastEdge, width);
      const R ymin = Lt(cmin, Zero()) ? cmin : Zero();
      Merge(&win, start, xmax, &ymin, &cmax);
      if (i == 0 || Gt(xmax, histXmax)) histXmax = xmax;
    }
    if (autoWin) {
      // Every histogram spans the same classes: empty ones are appended.
      const R last = Sub(histXmax, width);
      for (int i = 0; i < histCount; ++i) {
        const int s = histSlots[i];
        const u32 edges = StatGraphWorkList(s, 0), counts = StatGraphWorkList(s, 1);
        u32 n = 0;
        StatDataListSize(edges, &n);
        R edge;
        if (StatDataListGet(edges, n, &edge) != 0) return Fail(s, kStatErrMemory);
        const R base = edge;
        for (i16 j = 1; Lt(edge, last) && n < 2 * kMaxClasses; ++j) {
          edge = Add(base, Mul(Int(j), width));
          const R zero = Zero();
          ++n;
          if (StatDataListSet(edges, n, &edge) != 0 || StatDataListSet(counts, n, &zero) != 0)
            return Fail(s, kStatErrMemory);
        }
      }
    }
  }
  // A drawn regression overlay (block 0) is fitted again after the others.
  if (cond[0] == 1 && cond[1] >= kStatLinear && cond[1] <= kStatLogistic) {
    i16 block[7];
    std::memcpy(block, cond, sizeof block);
    if (block[kSgType] == kStatSin || block[kSgType] == kStatLogistic) block[kSgFreq] = 0;
    if (const u32 e = StatGraphCheckLists(block[kSgType], block[kSgX], block[kSgY], block[kSgFreq])) return e;
    if (const u32 e = StatRegression(1, 0, block[kSgType], block[kSgX], block[kSgY], block[kSgFreq])) return e;
  }
  if (!autoWin || !win.x) {
    if (GmemReadVwin(vwin) != 0) return kStatErrMemory;
    return 0;
  }
  return WriteWindow(&win, yMargin, vwin);
}

}  // namespace

u32 StatHistAutoParams(const i16 block[7], BcdReal *start, BcdReal *width) {
  R lo, hi;
  if (const u32 e = DataRange(block[kSgX], Size(block[kSgX]), &lo, &hi)) return e;
  R s;
  RealIntg(&lo, &s);
  R w = Div(Sub(hi, s), Int(9));
  if (IsErr(w)) return RealErrorCode(&w);
  // Rounded up at the fourth significant digit, so that nine classes always
  // reach the largest datum: the digits shifted into 1000..9999.x, the
  // ceiling taken, shifted back (decimal shifts are exact).
  R rounded = w;
  if (Gt(w, Zero())) {
    int k = 0;
    R t = w;
    while (Ge(t, Int(10000))) t = Div(t, Int(10)), ++k;
    while (Lt(t, Int(1000))) t = Mul(t, Int(10)), --k;
    R down, neg = Neg(t);
    RealIntg(&neg, &down);
    const R up = Neg(down);
    RealScale10(&up, &rounded, k);
  }
  if (Eq(rounded, Zero())) rounded = One();
  *start = s;
  *width = rounded;
  return 0;
}

u32 StatHistBuild(int slot, const i16 block[7], const BcdReal *startp, const BcdReal *widthp) {
  const R start = *startp, width = *widthp;
  const int x = block[kSgX], f = block[kSgFreq];
  const u32 n = Size(x);
  if (n == 0 || (f != 0 && Size(f) != n)) return Fail(slot, kStatErrDimension);
  R lo, hi;
  if (const u32 e = DataRange(x, n, &lo, &hi)) return Fail(slot, e);
  // The lower edges Start + i Width up to the first one not below maxX.
  std::vector<R> edges{start};
  while (Lt(edges.back(), hi)) {
    if (edges.size() >= kMaxClasses) return Fail(slot, kStatErrMa);
    const R next = Add(start, Mul(Int(static_cast<i16>(edges.size())), width));
    if (IsErr(next)) return Fail(slot, RealErrorCode(&next));
    if (!Gt(next, edges.back())) return Fail(slot, kStatErrMa);
    edges.push_back(next);
  }
  std::vector<R> counts(edges.size(), Zero());
  const R top = Add(edges.back(), width);
  for (u32 i = 1; i <= n; ++i) {
    R d, w = One();
    if (const u32 e = DataGet(x, i, &d)) return Fail(slot, e);
    if (f != 0)
      if (const u32 e = DataGet(f, i, &w)) return Fail(slot, e);
    if (Lt(d, start) || !Lt(d, top)) continue;
    // The class whose edges hold d: the last edge not above it.
    size_t a = 0, b = edges.size();
    while (b - a > 1) {
      const size_t m = (a + b) / 2;
      if (Le(edges[m], d)) a = m;
      else b = m;
    }
    counts[a] = Add(counts[a], w);
    if (KeyBreakPoll()) return Fail(slot, kStatErrBreak);
  }
  if (u32 e = WriteWork(slot, 0, edges)) return Fail(slot, e);
  if (u32 e = WriteWork(slot, 1, counts)) return Fail(slot, e);
  StatDataListDelete(StatGraphWorkList(slot, 2));
  return 0;
}

namespace {

void PopupLine(int row, const char *label, const R &v, bool selected) {
  char text[kNumTextSize + 8];
  char num[kNumTextSize];
  Value val{};
  val.re = v;
  NumFormatCell10(&val, num);
  const char *p = num;
  while (*p == ' ') ++p;
  std::snprintf(text, sizeof text, "%s%s", label, p);
  TextLocate(3, row);
  if (selected) TextPrintFieldRev(text, 19);
  else TextPrintField(text, 19);
}

}  // namespace

i32 StatHistParamsPopup(BcdReal *start, BcdReal *width) {
  PopupOpen(5);
  int line = 0;  // 0 Start, 1 Width
  i32 result = 0;
  bool again = false;  // edit the selected line again (after a refused value)
  for (;;) {
    TextLocate(3, 2);
    TextPrintField("Histogram Setting", 19);
    TextLocate(3, 3);
    TextPrintField("", 19);
    PopupLine(4, "Start:", *start, line == 0);
    PopupLine(5, "Width:", *width, line == 1);
    TextLocate(3, 6);
    TextPrintField("   Draw:[EXE]", 19);
    u32 key = 0;
    u32 typed = 0;
    if (again) {
      again = false;
    } else {
      typed = KeyGetKey(&key) != 0 ? 1 : 0;
      if (!typed) {
        if (key == kKeyUp || key == kKeyDown) {
          line = key == kKeyUp ? 0 : 1;
          continue;
        }
        if (key == kKeyExe) break;
        if (key == kKeyExit || key == kKeyQuit) {
          result = key == kKeyExit ? -2 : -1;
          break;
        }
        if (key != kKeyRight && key != kKeyXThetaT) continue;
        if (key == kKeyXThetaT) typed = 1, key = 'X';
      }
    }
    R v = line == 0 ? *start : *width;
    const i32 r = EditReadNumber(typed, &key, line == 0 ? 4 : 5, &v, line == 0 ? "Start:" : "Width:");
    if (r != 0) continue;
    R s = line == 0 ? v : *start, w = line == 0 ? *width : v;
    if (const i32 e = StatWriteHistParams(&s, &w)) {
      ErrBox(e);
      again = true;
      continue;
    }
    *start = s;
    *width = w;
    if (line == 0) line = 1;
  }
  PopupClose(5);
  return result;
}

u32 StatGraphComputeAll(u32 quiet, i16 cond[35], VwinRecord *vwin, i32 *cancel) {
  *cancel = 0;
  u32 busy = 0;
  LcdBusySave(&busy);
  LcdShowBusyIndicator();
  KeyBreakArm();
  // The graphs are fitted and drawn in radians, and the unit stays, so that
  // the curve, the trace and the estimates agree.
  SetupSetItem(kSetupAngle, 1);
  const u32 e = ComputeAll(quiet, cond, vwin, cancel);
  LcdBusyRestore(&busy);
  if (e != 0 && quiet == 0) {
    StatClearResultLists();
    ErrBox(static_cast<i32>(e));
  }
  return e;
}
