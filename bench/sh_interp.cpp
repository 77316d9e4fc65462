// The SuperH interpreter against the native digit routines: one extended
// add (aligned operands, carry out and normalisation) either way, and the
// register add alone (three steps of the decimal adder).
#include <benchmark/benchmark.h>

#include "number/digits/digits.h"
#include "number/digits/reg.h"
#include "number/sh/sh_thunk.h"

namespace {

void Operands(BcdExt *a, BcdExt *b) {
  dig::SetExt(a, dig::Rep(0x3456789012345678ull, 0x01234567u), dig::MakeWord(3, false));
  dig::SetExt(b, dig::Rep(0x9876543210987654ull, 0x09876543u), dig::MakeWord(1, false));
}

void BM_NativeExtAdd(benchmark::State &state) {
  BcdExt a, b;
  for (auto _ : state) {
    Operands(&a, &b);
    ShExtAdd(&a, &b);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_NativeExtAdd);

void BM_InterpretedExtAdd(benchmark::State &state) {
  BcdExt a, b;
  for (auto _ : state) {
    Operands(&a, &b);
    benchmark::DoNotOptimize(ShThunkExtAdd(&a, &b));
  }
}
BENCHMARK(BM_InterpretedExtAdd);

void BM_InterpretedRegisterAdd(benchmark::State &state) {
  BcdExt a, b;
  for (auto _ : state) {
    Operands(&a, &b);
    benchmark::DoNotOptimize(ShThunkRegAdd(&a, &b));
  }
}
BENCHMARK(BM_InterpretedRegisterAdd);

}  // namespace
