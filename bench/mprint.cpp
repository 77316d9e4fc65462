// Cost of the textbook display: laying out and drawing formulas nested to a
// depth (each level measures its parts before placing them), the stack one
// nesting level of the layout takes, and the linear form of a long formula.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ui/lcd.h"
#include "ui/mprint.h"

namespace {

// depth fractions, each in the numerator of the next.
std::vector<u8> NestedFractions(int depth) {
  std::string t = "1";
  for (int i = 0; i < depth; ++i) t = "\xBB\x1D\x1A" + t + "\x1B\x1A" "2\x1B\x1E";
  std::vector<u8> v(t.begin(), t.end());
  v.resize(kMprTextMax + 1, 0);
  return v;
}

// depth square roots around each other.
std::vector<u8> NestedRoots(int depth) {
  std::string t = "2";
  for (int i = 0; i < depth; ++i) t = "\x86\x1D\x1A" + t + "\x1B\x1E";
  std::vector<u8> v(t.begin(), t.end());
  v.resize(kMprTextMax + 1, 0);
  return v;
}

void LayOut(benchmark::State &state, std::vector<u8> text) {
  MprintInit();
  u16 cursor = 0;
  u8 h = 0, w = 0;
  for (auto _ : state) {
    LcdClearVram();
    benchmark::DoNotOptimize(MprintLayout(text.data(), &cursor, 0, 0, 1, 1, &h, &w));
  }
  state.counters["height"] = h;
  state.counters["stack_bytes_per_level"] = MprintGetState()->level_bytes;
}

void BM_LayoutNestedFractions(benchmark::State &state) {
  LayOut(state, NestedFractions(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_LayoutNestedFractions)->Arg(1)->Arg(4)->Arg(11);

void BM_LayoutNestedRoots(benchmark::State &state) { LayOut(state, NestedRoots(static_cast<int>(state.range(0)))); }
BENCHMARK(BM_LayoutNestedRoots)->Arg(1)->Arg(10)->Arg(40);

void BM_LinearForm(benchmark::State &state) {
  std::vector<u8> text = NestedFractions(28);  // 253 bytes
  u8 out[1024];
  for (auto _ : state) benchmark::DoNotOptimize(MprintToLinear(text.data(), out, sizeof out, 0, kMprLinearWhole));
}
BENCHMARK(BM_LinearForm);

void BM_CheckTemplates(benchmark::State &state) {
  std::vector<u8> text = NestedFractions(28);
  for (auto _ : state) benchmark::DoNotOptimize(MprintCheckTemplates(text.data()));
}
BENCHMARK(BM_CheckTemplates);

}  // namespace
