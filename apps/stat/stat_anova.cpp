// Analysis of variance: one-way sums of squares by levels, two-way sums of
// squares as differences of residual sums of nested least-squares fits.
#include "apps/stat/stat_anova.h"

#include <vector>

#include "apps/stat/stat_data.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"

using namespace statreal;

namespace {

void Store(const R &v, R *field) { RealNormalize(&v, field); }
R Max() { return Constant<RealSetMax>(); }
R FromU32(u32 v) {
  R r = Zero();
  NumFromInt32(static_cast<i32>(v), &r);
  return r;
}
u32 CodeOf(const R &v) { return RealErrorCode(&v); }

// Reads a whole list into v.
u32 ReadList(u32 list, u32 count, std::vector<R> *v) {
  v->resize(count);
  for (u32 i = 0; i < count; ++i)
    if (u32 e = StatDataListGet(list, i + 1, &(*v)[i])) return e;
  return 0;
}

// The size shared by the given lists: 9 when one differs or is empty.
u32 CommonSize(std::initializer_list<u32> lists, u32 *n) {
  bool first = true;
  for (u32 l : lists) {
    u32 c = 0;
    if (u32 e = StatDataListSize(l, &c)) return e;
    if (first) *n = c;
    if (c != *n) return kStatErrDimension;
    first = false;
  }
  return *n < 1 ? kStatErrDimension : 0;
}

// A factor's level (from 1) of each observation, numbered by ascending
// value; the number of levels into *levels.
u32 LevelsByValue(u32 list, const std::vector<R> &values, std::vector<u32> *level, u32 *levels) {
  const u32 n = static_cast<u32>(values.size());
  std::vector<u32> index(n);
  for (u32 i = 0; i < n; ++i) index[i] = i;
  if (u32 e = StatSortIndexByList(list, index.data())) return e;
  level->assign(n, 0);
  u32 k = 0;
  R first = Zero();
  for (u32 s = 0; s < n; ++s) {
    const R &v = values[index[s]];
    if (s == 0 || Gt(v, first)) {
      ++k;
      first = v;
    }
    (*level)[index[s]] = k;
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  *levels = k;
  return 0;
}

// The two-way data: levels of A and B, y, and the counts of each cell.
struct TwoWay {
  u32 n = 0, a = 0, b = 0;
  std::vector<u32> la, lb;
  std::vector<R> y;
};

u32 PrepareTwoWay(const StatAnova2Rec *r, TwoWay *d) {
  if (u32 e = CommonSize({r->factorAList, r->factorBList, r->dependentList}, &d->n)) return e;
  // The design matrix and the index of the levels are bounded.
  if (d->n > kStatAnova2MaxRows) return kStatErrDimension;
  std::vector<R> fa, fb;
  if (u32 e = ReadList(r->factorAList, d->n, &fa)) return e;
  if (u32 e = ReadList(r->factorBList, d->n, &fb)) return e;
  if (u32 e = ReadList(r->dependentList, d->n, &d->y)) return e;
  for (const std::vector<R> *v : {&fa, &fb, &d->y})
    for (const R &x : *v)
      if (u32 e = CodeOf(x)) return e;
  if (u32 e = LevelsByValue(r->factorAList, fa, &d->la, &d->a)) return e;
  if (u32 e = LevelsByValue(r->factorBList, fb, &d->lb, &d->b)) return e;
  if (d->n < d->a * d->b) return kStatErrDimension;
  // Every cell needs an observation: a missing one leaves the model singular.
  std::vector<u32> count(d->a * d->b, 0);
  for (u32 i = 0; i < d->n; ++i) ++count[(d->la[i] - 1) * d->b + d->lb[i] - 1];
  for (u32 c : count)
    if (c == 0) return kStatErrDimension;
  return 0;
}

// Effect code of level `lev` for the code k (1..levels-1).
i16 Code(u32 lev, u32 k, u32 levels) { return lev == levels ? -1 : lev == k ? 1 : 0; }

enum Block { kIntercept, kMainA, kMainB, kInteraction };

// Appends the columns of one block of the effect-coded design.
void AddBlock(const TwoWay &d, Block block, std::vector<R> *cells) {
  const u32 n = d.n;
  auto column = [&](auto code) {
    for (u32 i = 0; i < n; ++i) cells->push_back(Int(code(i)));
  };
  if (block == kIntercept) column([](u32) -> i16 { return 1; });
  if (block == kMainA)
    for (u32 k = 1; k < d.a; ++k) column([&](u32 i) { return Code(d.la[i], k, d.a); });
  if (block == kMainB)
    for (u32 k = 1; k < d.b; ++k) column([&](u32 i) { return Code(d.lb[i], k, d.b); });
  if (block == kInteraction)
    for (u32 l = 1; l < d.b; ++l)
      for (u32 k = 1; k < d.a; ++k)
        column([&](u32 i) { return static_cast<i16>(Code(d.la[i], k, d.a) * Code(d.lb[i], l, d.b)); });
}

// Residual sum of squares of y on the blocks; `extra` blocks are then added
// to the same factorisation and their residual sum goes to *rssExtra.
u32 Fit(const TwoWay &d, std::initializer_list<Block> blocks, std::initializer_list<Block> extra, R *rss,
        R *rssExtra) {
  std::vector<R> cells;
  for (Block b : blocks) AddBlock(d, b, &cells);
  const u32 p = static_cast<u32>(cells.size() / d.n);
  for (Block b : extra) AddBlock(d, b, &cells);
  const u32 all = static_cast<u32>(cells.size() / d.n);
  std::vector<R> diag(all), y = d.y;
  StatQrMatrix m{d.n, all, cells.data(), diag.data()};
  if (u32 e = StatQrFactor(&m, 1, p)) return e;
  if (u32 e = StatQrSolve(&m, y.data(), 1, p, rss, nullptr)) return e;
  if (all == p) return 0;
  if (u32 e = StatQrFactor(&m, p + 1, all)) return e;
  return StatQrSolve(&m, y.data(), p + 1, all, rssExtra, nullptr);
}

// Fills a row: df, SS, MS, and F and p against the error row.
u32 TableRow(const R &df, const R &ss, const StatAnovaRow &err, StatAnovaRow *row) {
  const R ms = Div(ss, df);
  if (u32 e = CodeOf(ms)) return e;
  R f, p;
  StatAnovaFP(&ms, &df, &err.ms, &err.df, &f, &p);
  if (u32 e = CodeOf(p)) return e;
  Store(df, &row->df);
  Store(ss, &row->ss);
  Store(ms, &row->ms);
  Store(f, &row->f);
  Store(p, &row->p);
  return 0;
}

}  // namespace

void StatAnovaFP(const BcdReal *msRow, const BcdReal *dfRow, const BcdReal *msErr, const BcdReal *dfErr, BcdReal *f,
                 BcdReal *p) {
  const R zero = Zero(), lim = Limit();
  if (Eq(*msRow, zero)) {
    if (Eq(*msErr, zero)) {
      *f = zero;
      *p = Error(kStatErrMa);
      return;
    }
    *f = zero;
    *p = One();
    return;
  }
  if (Lt(*msErr, One()) && Gt(*msRow, Mul(*msErr, lim))) {
    *f = lim;
    *p = zero;
    return;
  }
  *f = Div(*msRow, *msErr);
  if (IsErr(*f)) {
    *p = Error(kStatErrMa);
    return;
  }
  StatFRec rec{};
  rec.lower = *f, rec.upper = lim, rec.ndf = *dfRow, rec.ddf = *dfErr;
  const u32 e = StatFCd(0, &rec);
  *p = e ? Error(static_cast<u8>(e)) : rec.cd;
}

u32 StatAnova1(u32, StatAnova1Rec *r) {
  u32 n = 0;
  if (u32 e = CommonSize({r->factorList, r->dependentList}, &n)) return e;
  if (n == 1) return kStatErrMa;
  std::vector<R> x, y;
  if (u32 e = ReadList(r->factorList, n, &x)) return e;
  if (u32 e = ReadList(r->dependentList, n, &y)) return e;
  // Levels in order of first appearance, with their sums and counts.
  std::vector<R> level, sum;
  std::vector<u32> count, of(n);
  R grand = Zero();
  for (u32 i = 0; i < n; ++i) {
    if (u32 e = CodeOf(x[i])) return e;
    u32 k = 0;
    while (k < level.size() && !Eq(level[k], x[i])) ++k;
    if (k == level.size()) {
      level.push_back(x[i]);
      sum.push_back(Zero());
      count.push_back(0);
    }
    of[i] = k;
    sum[k] = Add(sum[k], y[i]);
    ++count[k];
    grand = Add(grand, y[i]);
    if (u32 e = CodeOf(sum[k])) return e;
    if (u32 e = CodeOf(grand)) return e;
  }
  const R mean = Div(grand, FromU32(n));
  std::vector<R> levelMean(level.size());
  for (size_t k = 0; k < level.size(); ++k) levelMean[k] = Div(sum[k], FromU32(count[k]));
  R ssErr = Zero(), ssFactor = Zero();
  for (u32 i = 0; i < n; ++i) {
    const R d = Sub(levelMean[of[i]], y[i]);
    ssErr = Add(ssErr, Mul(d, d));
  }
  const u32 k = static_cast<u32>(level.size());
  // One level leaves the factor no degree of freedom; as many levels as
  // observations leave the error none.
  if (n <= k || k < 2) return kStatErrMa;
  for (u32 j = 0; j < k; ++j) {
    const R d = Sub(levelMean[j], mean);
    ssFactor = Add(ssFactor, Mul(Mul(d, d), FromU32(count[j])));
  }
  const R dfErr = FromU32(n - k), dfFactor = FromU32(k - 1);
  const R msFactor = Div(ssFactor, dfFactor), msErr = Div(ssErr, dfErr);
  if (const R *e = FirstError({&ssErr, &ssFactor, &msFactor, &msErr})) return CodeOf(*e);
  R f, p;
  const R zero = Zero();
  if (!Eq(msFactor, zero)) {
    if (Lt(msErr, One()) && Gt(msFactor, Mul(msErr, Limit()))) {
      f = Max();
      p = zero;
    } else {
      f = Div(msFactor, msErr);
      if (u32 e = CodeOf(f)) return e;
      StatFRec rec{};
      rec.lower = f, rec.upper = Limit(), rec.ndf = dfFactor, rec.ddf = dfErr;
      if (u32 e = StatFCd(0, &rec)) return e;
      p = rec.cd;
    }
  } else {
    if (Eq(msErr, zero)) return kStatErrMa;
    f = zero;
    p = One();
  }
  if (!Ge(p, zero) || !Le(p, One()) || Lt(ssFactor, zero) || Lt(ssErr, zero)) return kStatErrMa;
  Store(dfFactor, &r->a.df);
  Store(ssFactor, &r->a.ss);
  Store(msFactor, &r->a.ms);
  Store(f, &r->a.f);
  Store(p, &r->a.p);
  Store(dfErr, &r->err.df);
  Store(ssErr, &r->err.ss);
  Store(msErr, &r->err.ms);
  Store(zero, &r->err.f);
  Store(zero, &r->err.p);
  return 0;
}

u32 StatAnova2(u32, StatAnova2Rec *r) {
  TwoWay d;
  if (u32 e = PrepareTwoWay(r, &d)) return e;
  const u32 cells = d.a * d.b;
  // A factor of one level has no effect to test.
  if (d.a < 2 || d.b < 2) return kStatErrMa;
  const bool single = d.n == cells;
  R r1, r2, r3, r4 = Zero(), unused;
  if (u32 e = Fit(d, {kIntercept, kMainA, kMainB}, {}, &r1, &unused)) return e;
  if (u32 e = Fit(d, {kIntercept, kInteraction, kMainB}, {}, &r2, &unused)) return e;
  if (u32 e = Fit(d, {kIntercept, kInteraction, kMainA}, {kMainB}, &r3, &r4)) return e;
  const R dfA = FromU32(d.a - 1), dfB = FromU32(d.b - 1), dfAB = FromU32((d.a - 1) * (d.b - 1));
  StatAnovaRow err{};
  if (single) {
    err.df = dfAB;
    err.ss = Abs(r1);
  } else {
    err.df = FromU32(d.n - cells);
    err.ss = r4;
  }
  err.ms = Div(err.ss, err.df);
  if (u32 e = CodeOf(err.ms)) return e;
  StatAnovaRow a{}, b{}, ab{};
  if (u32 e = TableRow(dfA, single ? Abs(r2) : Abs(Sub(r2, r4)), err, &a)) return e;
  if (u32 e = TableRow(dfB, single ? Abs(r3) : Abs(Sub(r3, r4)), err, &b)) return e;
  if (!single)
    if (u32 e = TableRow(dfAB, Abs(Sub(r1, r4)), err, &ab)) return e;
  r->single = single ? 1 : 0;
  r->a = a;
  r->b = b;
  if (!single) r->ab = ab;
  Store(err.df, &r->err.df);
  Store(err.ss, &r->err.ss);
  Store(err.ms, &r->err.ms);
  Store(Zero(), &r->err.f);
  Store(Zero(), &r->err.p);
  return 0;
}

u32 StatAnovaCellMeans(u32, StatAnova2Rec *r) {
  TwoWay d;
  if (u32 e = PrepareTwoWay(r, &d)) return e;
  std::vector<R> sum(d.a * d.b, Zero());
  std::vector<u32> count(d.a * d.b, 0);
  for (u32 i = 0; i < d.n; ++i) {
    const u32 c = (d.la[i] - 1) * d.b + d.lb[i] - 1;
    sum[c] = Add(sum[c], d.y[i]);
    ++count[c];
  }
  if (ItemMatCreate(0, d.a, d.b) != 0) return kStatErrMemory;
  for (u32 i = 0; i < d.a; ++i)
    for (u32 j = 0; j < d.b; ++j) {
      Value v{};
      Store(Div(sum[i * d.b + j], FromU32(count[i * d.b + j])), &v.re);
      RealSetZero(&v.im);
      if (IsErr(v.re) || ItemMatSet(0, i + 1, j + 1, &v) != 0) {
        ItemMatDelete(0);
        return IsErr(v.re) ? CodeOf(v.re) : kStatErrMemory;
      }
    }
  return 0;
}

u32 StatVecNorm(i32 count, const BcdReal *v, BcdReal *out) {
  if (count < 0) return kStatErrDimension;
  if (count == 0) return *out = Zero(), 0;
  if (count == 1) return *out = Abs(v[0]), CodeOf(*out);
  const R big = Num("1e50"), small = Num("1e-50"), zero = Zero();
  R large = zero, middle = zero, tiny = zero;
  for (i32 i = 0; i < count; ++i) {
    const R a = Abs(v[i]);
    if (u32 e = CodeOf(a)) return e;
    if (Ge(a, big)) {
      const R s = Mul(a, small);
      large = Add(large, Mul(s, s));
    } else if (Gt(a, small)) {
      middle = Add(middle, Mul(a, a));
    } else if (!Eq(a, zero) && Eq(large, zero)) {
      const R s = Mul(a, big);
      tiny = Add(tiny, Mul(s, s));
    }
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  if (!Eq(large, zero))
    *out = Mul(big, Sqrt(Add(large, Mul(Mul(middle, small), small))));
  else if (!Eq(middle, zero))
    *out = Sqrt(Add(middle, Mul(Mul(tiny, small), small)));
  else
    *out = Mul(small, Sqrt(tiny));
  return CodeOf(*out);
}

u32 StatVecDot(i32 count, const BcdReal *x, const BcdReal *y, BcdReal *out) {
  if (count < 0) return kStatErrDimension;
  R s = Zero();
  for (i32 i = 0; i < count; ++i) {
    s = Add(s, Mul(x[i], y[i]));
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  *out = s;
  return CodeOf(s);
}

u32 StatVecAxpy(i32 count, const BcdReal *x, const BcdReal *y, const BcdReal *alpha, BcdReal *out) {
  if (count < 0) return kStatErrDimension;
  for (i32 i = 0; i < count; ++i) {
    out[i] = Add(x[i], Mul(*alpha, y[i]));
    if (u32 e = CodeOf(out[i])) return e;
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  return 0;
}

namespace {

// Applies the reflection of column k (from 1) to the vector v of m->rows.
u32 Reflect(const StatQrMatrix *m, u32 k, BcdReal *v) {
  const u32 n = m->rows, from = k - 1;
  const BcdReal *h = m->cell + (k - 1) * n + from;
  R t;
  if (u32 e = StatVecDot(static_cast<i32>(n - from), h, v + from, &t)) return e;
  const R minus = Neg(t);
  return StatVecAxpy(static_cast<i32>(n - from), v + from, h, &minus, v + from);
}

}  // namespace

u32 StatQrFactor(StatQrMatrix *m, u32 first, u32 last) {
  const u32 n = m->rows;
  if (last < 1 || last > n || last > m->cols || first < 1) return kStatErrDimension;
  for (u32 k = 1; k < first; ++k)
    for (u32 c = first; c <= last; ++c)
      if (u32 e = Reflect(m, k, m->cell + (c - 1) * n)) return e;
  for (u32 l = first; l <= last; ++l) {
    BcdReal *col = m->cell + (l - 1) * n;
    R norm;
    if (u32 e = StatVecNorm(static_cast<i32>(n - l + 1), col + l - 1, &norm)) return e;
    // A zero column: the design is singular.
    if (Eq(norm, Zero())) return kStatErrMa;
    const R x = col[l - 1];
    const bool up = Ge(x, Zero());
    const R u = up ? Add(x, norm) : Sub(x, norm);
    m->diag[l - 1] = up ? Neg(norm) : norm;
    col[l - 1] = u;
    const R scale = Div(One(), Mul(Sqrt(norm), Sqrt(Abs(u))));
    for (u32 i = l - 1; i < n; ++i) col[i] = Mul(col[i], scale);
    if (u32 e = CodeOf(scale)) return e;
    for (u32 c = l + 1; c <= last; ++c)
      if (u32 e = Reflect(m, l, m->cell + (c - 1) * n)) return e;
    if (KeyBreakPoll() != 0) return kStatErrBreak;
  }
  return 0;
}

u32 StatQrSolve(const StatQrMatrix *m, BcdReal *y, u32 first, u32 last, BcdReal *rss, BcdReal *coef) {
  const u32 n = m->rows;
  if (last < 1 || last > n || last > m->cols || first < 1) return kStatErrDimension;
  for (u32 k = first; k <= last; ++k)
    if (u32 e = Reflect(m, k, y)) return e;
  if (coef) {
    for (u32 l = last; l >= 1; --l) {
      R s = y[l - 1];
      for (u32 j = l + 1; j <= last; ++j) s = Sub(s, Mul(m->cell[(j - 1) * n + l - 1], coef[j - 1]));
      coef[l - 1] = Div(s, m->diag[l - 1]);
      if (u32 e = CodeOf(coef[l - 1])) return e;
    }
  }
  R s = Zero();
  for (u32 i = last; i < n; ++i) s = Add(s, Mul(y[i], y[i]));
  *rss = s;
  return CodeOf(s);
}
