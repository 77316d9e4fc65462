// Cost of one result-line text: NumToText of typical results under Norm 1,
// Fix 4, Sci 6 and Eng display, and of a complex value in both forms.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_values.h"
#include "number/numtext.h"
#include "ui/setup.h"

namespace {

void BM_NumToTextReal(benchmark::State &state) {
  SetupResetAll();
  SetupSetItem(kSetupDisplay, static_cast<u8>(state.range(0)));
  const Value values[4] = {BenchValue("0.333333333333333"), BenchValue("-123456.789012345"), BenchValue("1.5e-17"),
                           BenchValue("99999.99999")};
  char out[kNumTextSize];
  for (auto _ : state) {
    for (const Value &v : values) benchmark::DoNotOptimize(NumToText(&v, out));
  }
  state.SetItemsProcessed(state.iterations() * 4);
}
// Norm 1, Fix 4, Sci 6, Eng display.
BENCHMARK(BM_NumToTextReal)->Arg(0x00)->Arg(0x24)->Arg(0x36)->Arg(0x80);

void BM_NumToTextComplex(benchmark::State &state) {
  SetupResetAll();
  SetupSetItem(kSetupComplexMode, static_cast<u8>(state.range(0)));
  const Value z = BenchValue("3.25", "-4.125");
  char out[kNumTextSize];
  for (auto _ : state) benchmark::DoNotOptimize(NumToText(&z, out));
}
// a+bi, r angle theta.
BENCHMARK(BM_NumToTextComplex)->Arg(1)->Arg(2);

}  // namespace
