// A typical mixed expression chain through the generic value operations:
// ten operations on reals, fractions and complex values, as the evaluator
// would run them. The "per_op" counter is the cost of one generic operation.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_values.h"
#include "number/numparse.h"
#include "number/valop.h"
#include "number/value.h"

namespace {

Value Parse(const char *re, const char *im = nullptr) { return BenchValue(re, im); }

constexpr int kOpsPerChain = 10;

void BM_MixedChain(benchmark::State &state) {
  const Value third = Parse("1a3"), x = Parse("2.5"), z = Parse("3", "4"), w = Parse("1", "-2");
  const Value twoSevenths = Parse("2a7"), two = Parse("2"), thirty = Parse("30"), threeQuarters = Parse("3a4");
  for (auto _ : state) {
    Value a, b, c, d, e, f, g, h, i, j;
    ValAdd(&third, &x, &a, 1);                 // fraction + real
    ValMul(&a, &z, &b, 1);                     // real x complex
    ValDiv(&b, &w, &c, 1);                     // complex / complex
    ValSqrt(&c, &d, 1);                        // complex root
    ValSub(&third, &twoSevenths, &e, 1);       // fraction - fraction
    ValPow(&e, &two, &f, 1);                   // fraction ^ integer
    ValAbs(&d, &g);                            // complex magnitude
    ValLn(&g, &h, 1);                          // real logarithm
    ValSin(&thirty, &i, 0);                    // real sine in degrees
    ValAdd(&threeQuarters, &f, &j, 1);         // fraction + fraction
    benchmark::DoNotOptimize(h);
    benchmark::DoNotOptimize(i);
    benchmark::DoNotOptimize(j);
  }
  state.counters["per_op"] = benchmark::Counter(static_cast<double>(state.iterations()) * kOpsPerChain,
                                                benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixedChain);

// The three kinds alone, for comparison with the chain.
void BM_RealAdd(benchmark::State &state) {
  const Value a = Parse("1.23456789012345"), b = Parse("9.87654321098765e-3");
  for (auto _ : state) {
    Value r;
    benchmark::DoNotOptimize(ValAdd(&a, &b, &r, 0));
  }
  state.counters["per_op"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RealAdd);

void BM_FractionAdd(benchmark::State &state) {
  const Value a = Parse("12a1a7"), b = Parse("-5a13");
  for (auto _ : state) {
    Value r;
    benchmark::DoNotOptimize(ValAdd(&a, &b, &r, 0));
  }
  state.counters["per_op"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FractionAdd);

void BM_ComplexMul(benchmark::State &state) {
  const Value a = Parse("1.5", "-2.25"), b = Parse("0.3", "7");
  for (auto _ : state) {
    Value r;
    benchmark::DoNotOptimize(ValMul(&a, &b, &r, 1));
  }
  state.counters["per_op"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ComplexMul);

}  // namespace
