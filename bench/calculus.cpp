// The calculus functions through the evaluator. The integrals are timed side
// by side with mpmath's quad at 15 digits on the same four integrands
// (e^X on 0..1, X sin 30X on 0..2pi, 1/sqrt X on 0..1, cos X^2 on 0..3): each
// benchmark times the calculator, then once the same integral in
// /usr/bin/python3, and reports both times and their ratio (calculator /
// mpmath); BM_IntegralsTogether gives the ratio over the four together (aim
// 1.0 or less). d/dx( and Solve( are timed alone.
//
//   build/bench/bench_calculus
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_python.h"
#include "eval/eval.h"
#include "kernel/heap.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

struct Case {
  const char *name;
  std::vector<u8> text;  // token text
  const char *python;    // the integrand and bounds for mpmath.quad
};

const std::vector<Case> &Integrals() {
  static const std::vector<Case> cases = {
      {"exp", {0x8D, 0xA5, 'X', ',', '0', ',', '1', ')', 0}, "mpmath.exp, [0, 1]"},
      {"xsin30x",
       {0x8D, 'X', 0x81, '(', '3', '0', 'X', ')', ',', '0', ',', '2', 0xD0, ')', 0},
       "lambda x: x*mpmath.sin(30*x), [0, 2*mpmath.pi]"},
      {"rsqrt", {0x8D, '1', 0xB9, 0x86, 'X', ',', '0', ',', '1', ')', 0}, "lambda x: 1/mpmath.sqrt(x), [0, 1]"},
      {"cosx2", {0x8D, 0x82, '(', 'X', 0x8B, ')', ',', '0', ',', '3', ')', 0}, "lambda x: mpmath.cos(x*x), [0, 3]"},
  };
  return cases;
}

void Ready() {
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
}

u32 Run(const std::vector<u8> &text) {
  TokPos pos = text.data();
  EvalCell tok{}, r{};
  return EvalWholeExpr(&pos, &tok, &r, 1);
}

// Seconds per integral of mpmath.quad at 15 digits, or -1.
double PythonSeconds(const char *args) {
  return BenchPythonSeconds(std::string("import timeit, mpmath\nmpmath.mp.dps = 15\nn = 20\n") +
                            "print(timeit.timeit(lambda: mpmath.quad(" + args + "), number=n) / n)\n");
}

double TimeOurs(benchmark::State &state, const std::vector<u8> &text) {
  u64 n = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Run(text));
    ++n;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / static_cast<double>(n);
}

void BM_Integral(benchmark::State &state) {
  Ready();
  const Case &c = Integrals()[static_cast<size_t>(state.range(0))];
  state.SetLabel(c.name);
  const double ours = TimeOurs(state, c.text), theirs = PythonSeconds(c.python);
  state.counters["calc_us"] = ours * 1e6;
  state.counters["mpmath_us"] = theirs * 1e6;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : -1;
}
BENCHMARK(BM_Integral)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_IntegralsTogether(benchmark::State &state) {
  Ready();
  u64 n = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (const Case &c : Integrals()) benchmark::DoNotOptimize(Run(c.text));
    ++n;
  }
  const double ours = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / n;
  double theirs = 0;
  for (const Case &c : Integrals()) {
    const double s = PythonSeconds(c.python);
    if (s < 0) {
      theirs = -1;
      break;
    }
    theirs += s;
  }
  state.counters["calc_us"] = ours * 1e6;
  state.counters["mpmath_us"] = theirs * 1e6;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : -1;
}
BENCHMARK(BM_IntegralsTogether)->Unit(benchmark::kMicrosecond);

void BM_Derivative(benchmark::State &state) {
  Ready();
  // d/dx(X^X,2) and d2/dx2(cos(X^2),1.5).
  const std::vector<u8> first = {0x7F, 0x26, 'X', 0xA8, 'X', ',', '2', ')', 0};
  const std::vector<u8> second = {0x7F, 0x27, 0x82, '(', 'X', 0x8B, ')', ',', '1', '.', '5', ')', 0};
  const std::vector<u8> &text = state.range(0) == 0 ? first : second;
  state.SetLabel(state.range(0) == 0 ? "d/dx X^X" : "d2/dx2 cos X^2");
  for (auto _ : state) benchmark::DoNotOptimize(Run(text));
}
BENCHMARK(BM_Derivative)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

void BM_Solve(benchmark::State &state) {
  Ready();
  // Solve(cos X=X,0) and Solve(ln X=1,-1) (which needs its later starts).
  const std::vector<u8> cosx = {0x7F, 0x28, 0x82, 'X', '=', 'X', ',', '0', ')', 0};
  const std::vector<u8> lnx = {0x7F, 0x28, 0x85, 'X', '=', '1', ',', 0x87, '1', ')', 0};
  const std::vector<u8> &text = state.range(0) == 0 ? cosx : lnx;
  state.SetLabel(state.range(0) == 0 ? "cos X=X" : "ln X=1 from -1");
  for (auto _ : state) benchmark::DoNotOptimize(Run(text));
}
BENCHMARK(BM_Solve)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

}  // namespace
