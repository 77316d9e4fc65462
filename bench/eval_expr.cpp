// The evaluator against the value operations it calls: a 30-token
// expression with mixed operators and two functions, and sin(X)^2+cos(X)^2 as
// a graph evaluates it at each point. "per_eval" is the time of one
// evaluation; the Overhead benchmarks time the evaluator and the same
// sequence of value operations called directly in turn, batch by batch, and
// report the median of the paired ratios as "ratio".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/bench_values.h"
#include "eval/eval.h"
#include "number/valop.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

// Token texts: 2.5*A+3/(4-B)^2-sin 30+sqrt(16+A)*72 (30 tokens) and
// sin X^2 ... written with the power of each function's bracket.
const u8 kExpr30[] = {'2', '.', '5', 0xA9, 'A', 0x89, '3', 0xB9, '(', '4', 0x99, 'B', ')', 0xA8, '2',
                      0x99, 0x81, '3', '0', 0x89, 0x86, '(', '1', '6', 0x89, 'A', ')', 0xA9, '7', '2', 0x00};
const u8 kTrig[] = {'(', 0x81, 'X', ')', 0xA8, '2', 0x89, '(', 0x82, 'X', ')', 0xA8, '2', 0x00};
static_assert(sizeof kExpr30 == 31);

void Prepare() {
  SetupResetAll();
  const Value a = BenchValue("4"), b = BenchValue("2"), x = BenchValue("0.7");
  SysStoreVariable('A', &a);
  SysStoreVariable('B', &b);
  SysStoreVariable('X', &x);
}

inline void Evaluate(const u8 *text, Value *out) {
  TokPos pos = text;
  EvalCell tok;
  tok.re.b[0] = 0;
  EvalWholeExpr(&pos, &tok, out, 1);
}

inline void Direct30(Value *out) {
  static const Value k25 = BenchValue("2.5"), k3 = BenchValue("3"), k4 = BenchValue("4"), k2 = BenchValue("2"),
                     k30 = BenchValue("30"), k16 = BenchValue("16"), k72 = BenchValue("72");
  static const Value a = BenchValue("4"), b = BenchValue("2");
  Value t1, t2, t3, t4, t5, t6, t7, t8, t9, t10;
  ValMul(&k25, &a, &t1, 0);
  ValSubMaru(&k4, &b, &t2, 0);
  ValPow(&t2, &k2, &t3, 0);
  ValDiv(&k3, &t3, &t4, 0);
  ValAddMaru(&t1, &t4, &t5, 0);
  ValSin(&k30, &t6, 0);
  ValSubMaru(&t5, &t6, &t7, 0);
  ValAddMaru(&k16, &a, &t8, 0);
  ValSqrt(&t8, &t9, 0);
  ValMul(&t9, &k72, &t10, 0);
  ValAddMaru(&t7, &t10, out, 0);
}

inline void DirectTrig(Value *out) {
  static const Value x = BenchValue("0.7"), k2 = BenchValue("2");
  Value s, c, s2, c2;
  ValSin(&x, &s, 0);
  ValPow(&s, &k2, &s2, 0);
  ValCos(&x, &c, 0);
  ValPow(&c, &k2, &c2, 0);
  ValAddMaru(&s2, &c2, out, 0);
}

void PerEval(benchmark::State &state, const u8 *text) {
  Prepare();
  Value r;
  for (auto _ : state) {
    Evaluate(text, &r);
    benchmark::DoNotOptimize(r);
  }
  state.counters["per_eval"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Expr30(benchmark::State &state) { PerEval(state, kExpr30); }
BENCHMARK(BM_Expr30);

void BM_SinCosGraph(benchmark::State &state) { PerEval(state, kTrig); }
BENCHMARK(BM_SinCosGraph);

void BM_Expr30Direct(benchmark::State &state) {
  Value r;
  for (auto _ : state) {
    Direct30(&r);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Expr30Direct);

void BM_SinCosDirect(benchmark::State &state) {
  Value r;
  for (auto _ : state) {
    DirectTrig(&r);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_SinCosDirect);

// Evaluator and direct calls timed in turn inside one run.
void Overhead(benchmark::State &state, const u8 *text, void (*direct)(Value *)) {
  using Clock = std::chrono::steady_clock;
  Prepare();
  constexpr int kBatch = 200;
  std::vector<double> ratios;
  Value r;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    for (int k = 0; k < kBatch; ++k) {
      Evaluate(text, &r);
      benchmark::DoNotOptimize(r);
    }
    const auto t1 = Clock::now();
    for (int k = 0; k < kBatch; ++k) {
      direct(&r);
      benchmark::DoNotOptimize(r);
    }
    const auto t2 = Clock::now();
    const double e = std::chrono::duration<double>(t1 - t0).count();
    const double d = std::chrono::duration<double>(t2 - t1).count();
    ratios.push_back(e / d);
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}

void BM_Expr30Overhead(benchmark::State &state) { Overhead(state, kExpr30, Direct30); }
BENCHMARK(BM_Expr30Overhead);

void BM_SinCosOverhead(benchmark::State &state) { Overhead(state, kTrig, DirectTrig); }
BENCHMARK(BM_SinCosOverhead);

}  // namespace
