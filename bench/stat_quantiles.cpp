// The statistics quantiles against mpmath at 15 digits solving the same
// equations (findroot on the regularized incomplete beta function), and the
// ANOVA tables on their largest data. Python is started once for all the
// comparisons; each benchmark reports the calculator's time, mpmath's and
// their ratio (calculator / mpmath; aim 0.25 or less).
//
//   build/bench/bench_stat_quantiles
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_dist.h"
#include "apps/stat/stat_fcrit.h"
#include "bench/bench_python.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "ui/setup.h"

namespace {

BcdReal R(const char *text) {
  BcdReal r{};
  NumParse(text, &r);
  return r;
}

// Seconds per solve in mpmath: t for df 10, 11.45 and 1000 (two-sided 95 %),
// then the F pair of samples of 11 and 16 at alpha 0.05.
const char *kPython =
    "import timeit, mpmath\n"
    "mpmath.mp.dps = 15\n"
    "def tq(df):\n"
    "    df = mpmath.mpf(df)\n"
    "    f = lambda t: mpmath.betainc(df/2, 0.5, 0, df/(df+t*t), regularized=True)/2 - 0.025\n"
    "    return lambda: mpmath.findroot(f, 2)\n"
    "def fq(p, n, d):\n"
    "    f = lambda F: mpmath.betainc(d/2.0, n/2.0, 0, d/(d+n*F), regularized=True) - p\n"
    "    return lambda: mpmath.findroot(f, 1)\n"
    "pair = lambda: (fq(0.975, 10, 15)(), fq(0.025, 10, 15)())\n"
    "for g in [tq(10), tq(\"11.45\"), tq(1000), pair]:\n"
    "    n = 20\n"
    "    print(timeit.timeit(g, number=n) / n)\n";

double Theirs(int k) {
  static double s[4] = {-1, -1, -1, -1};
  static bool ran = false;
  if (!ran) {
    ran = true;
    FILE *p = popen(("/usr/bin/python3 -c '" + std::string(kPython) + "' 2>/dev/null").c_str(), "r");
    if (p) {
      for (double &v : s)
        if (std::fscanf(p, "%lf", &v) != 1) v = -1;
      pclose(p);
    }
  }
  return s[k];
}

template <typename Run>
void Compare(benchmark::State &state, int k, Run run) {
  u64 n = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    run();
    ++n;
  }
  const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / n;
  const double theirs = Theirs(k);
  state.counters["calc_us"] = ours * 1e6;
  state.counters["mpmath_us"] = theirs * 1e6;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : -1;
}

void BM_InverseT(benchmark::State &state) {
  static const char *const kDf[3] = {"10", "11.45", "1000"};
  const int k = static_cast<int>(state.range(0));
  StatTRec t{};
  t.area = R("0.95");
  t.df = R(kDf[k]);
  Compare(state, k, [&] {
    StatInvT(0, &t);
    benchmark::DoNotOptimize(t.second);
  });
}
BENCHMARK(BM_InverseT)->Arg(0)->Arg(1)->Arg(2);

void BM_FCriticalPair(benchmark::State &state) {
  const BcdReal n1 = R("11"), n2 = R("16"), alpha = R("0.05");
  BcdReal out[2];
  Compare(state, 3, [&] {
    StatFCritPair(&n1, &n2, &alpha, out);
    benchmark::DoNotOptimize(out[0]);
  });
}
BENCHMARK(BM_FCriticalPair);

void Lists(u32 n, u32 levelsA, u32 levelsB) {
  HostAllocCalcRam();
  McsClearAll();
  SetupResetAll();
  for (u8 l = 1; l <= 3; ++l) ItemListDelete(0, l);
  for (u32 i = 0; i < n; ++i) {
    Value a{}, b{}, y{};
    NumFromInt32(static_cast<i32>(i % levelsA), &a.re);
    NumFromInt32(static_cast<i32>(i / levelsA % levelsB), &b.re);
    NumFromInt32(static_cast<i32>((i * 37) % 101), &y.re);
    ItemListSet(0, 1, 0, &a);
    ItemListSet(0, 2, 0, &b);
    ItemListSet(0, 3, 0, &y);
  }
}

void BM_AnovaOneWay999(benchmark::State &state) {
  Lists(999, 7, 1);
  StatAnova1Rec r{};
  r.factorList = 1, r.dependentList = 3;
  for (auto _ : state) benchmark::DoNotOptimize(StatAnova1(0, &r));
}
BENCHMARK(BM_AnovaOneWay999)->Unit(benchmark::kMillisecond);

void BM_AnovaTwoWay256(benchmark::State &state) {
  Lists(256, 4, 4);
  StatAnova2Rec r{};
  r.factorAList = 1, r.factorBList = 2, r.dependentList = 3;
  for (auto _ : state) benchmark::DoNotOptimize(StatAnova2(0, &r));
}
BENCHMARK(BM_AnovaTwoWay256)->Unit(benchmark::kMillisecond);

}  // namespace
