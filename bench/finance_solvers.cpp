// The financial rate solvers against mpmath's findroot at 15 digits on the
// same equations (scaled so that its residual test can pass, started from
// two points near the root), side by side: each benchmark times the calculator's solve
// and then, once, the same solve in /usr/bin/python3 with mpmath, and
// reports both times and their ratio (calculator / mpmath; aim 0.5 or less).
//
//   build/bench/bench_finance_solvers
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "apps/finance/fin_calc.h"
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

void Ready() {
  static bool done = false;
  if (done) return;
  HostAllocCalcRam();
  McsClearAll();
  SetupResetAll();
  SetupSetItem(kSetupPayment, 1);
  done = true;
}

// Seconds per solve of the Python snippet (which prints them), or -1.
double PythonSeconds(const std::string &code) { return BenchPythonSeconds(code); }

const char *kRatePy =
    "import timeit, mpmath\n"
    "mpmath.mp.dps = 15\n"
    "f = lambda i: 1 - 0.006*(1 - (1+i)**-480)/i\n"
    "r = mpmath.findroot(f, (0.004, 0.006))\n"
    "assert abs(r*1200 - 6.70330535548574) < 1e-9\n"
    "n = 200\n"
    "print(timeit.timeit(lambda: mpmath.findroot(f, (0.004, 0.006)), number=n) / n)\n";

const char *kIrrPy =
    "import timeit, mpmath\n"
    "mpmath.mp.dps = 15\n"
    "cf = [-10000] + [300 + 10*k for k in range(1, 50)]\n"
    "f = lambda r: mpmath.fsum(c / (1+r)**k for k, c in enumerate(cf)) / 10000\n"
    "r = mpmath.findroot(f, (0.0, 0.01))\n"
    "assert abs(r*100 - 4.07772018430694) < 1e-9\n"
    "n = 50\n"
    "print(timeit.timeit(lambda: mpmath.findroot(f, (0.0, 0.01)), number=n) / n)\n";

// Times the solve over the benchmark's loop, then mpmath's once.
template <typename Solve>
void Compare(benchmark::State &state, const char *python, Solve solve) {
  u64 n = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    solve();
    ++n;
  }
  const double ours_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / n;
  const double theirs = PythonSeconds(python);
  state.counters["calc_us"] = ours_s * 1e6;
  state.counters["mpmath_us"] = theirs * 1e6;
  state.counters["ratio"] = theirs > 0 ? ours_s / theirs : -1;
}

void BM_RateOfALoan(benchmark::State &state) {
  Ready();
  FinMem mem;
  FinDefaultMem(&mem);
  mem.n = R("480"), mem.pv = R("300000"), mem.pmt = R("-1800"), mem.fv = R("0");
  FinTvmState st;
  BcdReal out;
  Compare(state, kRatePy, [&] {
    FinCmpdSolve(&mem, kFinCmpdI, &out, &st);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_RateOfALoan)->Unit(benchmark::kMicrosecond);

void BM_IrrOfFiftyFlows(benchmark::State &state) {
  Ready();
  ItemListDelete(0, 1);
  for (int k = 0; k < 50; ++k) {
    Value v{};
    NumFromInt32(k == 0 ? -10000 : 300 + 10 * k, &v.re);
    ItemListSet(0, 1, 0, &v);
  }
  FinMem mem;
  FinDefaultMem(&mem);
  FinTvmState st;
  BcdReal out;
  Compare(state, kIrrPy, [&] {
    FinCashSolve(&mem, kFinCashIRR, &out, &st);
    benchmark::DoNotOptimize(out);
  });
}
BENCHMARK(BM_IrrOfFiftyFlows)->Unit(benchmark::kMicrosecond);

}  // namespace
