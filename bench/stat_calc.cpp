// The statistics calculations on 999 data: 1-Variable against the same
// steps in CPython's decimal module at 15 digits (two passes over the data,
// three sorts for the quartiles and the median, the modes), side by side in
// one run with the ratio ours / CPython (aim 1.0 or less); LinearReg and
// QuadReg on 999 points, timed.
//
//   build/bench/bench_stat_calc
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "bench/bench_python.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "ui/setup.h"

namespace {

// List `list` of the current file: 999 values k / 1000 from the same
// generator as the Python side (k uniform in -100000..100000, seed 1).
void FillList(u8 list, u32 seed) {
  std::mt19937 rng(seed);
  ItemListDelete(0, list);
  ItemListCreate(0, list, 999);
  for (u32 i = 1; i <= 999; ++i) {
    const i32 k = static_cast<i32>(rng() % 200001) - 100000;
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", k / 1000.0);
    Value v{};
    NumParse(text, &v.re);
    ItemListSet(0, list, i, &v);
  }
}

void Ready() {
  static bool done = false;
  if (done) return;
  HostAllocCalcRam();
  McsClearAll();
  SetupResetAll();
  FillList(1, 1);
  FillList(2, 2);
  done = true;
}

// The same steps as 1-Variable in CPython's decimal at 15 digits, on data of
// the same kind.
const char *kOneVarPy =
    "import decimal, timeit, random\n"
    "decimal.getcontext().prec = 15\n"
    "D = decimal.Decimal\n"
    "random.seed(1)\n"
    "xs = [D(random.randint(-100000, 100000)) / 1000 for _ in range(999)]\n"
    "def one():\n"
    "    n = D(len(xs)); s = sum(xs, D(0)); sq = sum((x * x for x in xs), D(0)); m = s / n\n"
    "    v = sum(((x - m) * (x - m) for x in xs), D(0)); a = (v / n).sqrt(); b = (v / (n - 1)).sqrt()\n"
    "    q1 = sorted(xs)[249]; med = sorted(xs)[499]; q3 = sorted(xs)[749]\n"
    "    lo = min(xs); hi = max(xs)\n"
    "    c = {}\n"
    "    for x in xs: c[x] = c.get(x, 0) + 1\n"
    "    f = max(c.values()); modes = sorted(k for k, w in c.items() if w == f)\n"
    "    return a, b, q1, med, q3, lo, hi, modes\n"
    "print(timeit.timeit(one, number=20) / 20)\n";

void BM_OneVariable999VsDecimal(benchmark::State &state) {
  Ready();
  u64 n = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    const u32 e = StatOneVarRun(1, 0);
    benchmark::DoNotOptimize(e);
    ++n;
  }
  const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / n;
  const double theirs = BenchPythonSeconds(kOneVarPy);
  state.counters["calc_us"] = ours * 1e6;
  state.counters["decimal_us"] = theirs * 1e6;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : -1;
}
BENCHMARK(BM_OneVariable999VsDecimal)->Unit(benchmark::kMicrosecond);

void BM_Regression999(benchmark::State &state) {
  Ready();
  const int type = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const u32 e = StatRegression(0, 0, type, 1, 2, 0);
    benchmark::DoNotOptimize(e);
  }
}
BENCHMARK(BM_Regression999)->Arg(kStatLinear)->Arg(kStatQuad)->Unit(benchmark::kMillisecond);

}  // namespace
