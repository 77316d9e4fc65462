// StatGraphs of 999 data: the whole draw (preparation with the automatic
// window, the drawing into the planes, the display handed to the window)
// against the preparation alone, StatGraphComputeAll. "ratio" is the median
// of the paired ratios of the two timed in turn; the time column is the
// time of one whole draw, which must stay under a frame (16.7 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "apps/stat/stat_cond.h"
#include "apps/stat/statgraph.h"
#include "bench/bench_graph.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/lcd_shadow.h"

namespace {

constexpr u32 kCount = 999;

GraphContext g_ctx;
i16 g_cond[35];

// Lists 1 and 2 with 999 values each (x = i, y a sawtooth), and StatGraph1
// alone of the given type.
void MakeScene(i16 type) {
  BenchGraphStart(&g_ctx);
  ItemListCreate(0, 1, kCount);
  ItemListCreate(0, 2, kCount);
  for (u32 i = 1; i <= kCount; ++i) {
    Value v{};
    NumFromInt32(static_cast<i32>(i), RealSetZero(&v.re));
    ItemListSet(0, 1, i, &v);
    NumFromInt32(static_cast<i32>((i * 37) % 101), RealSetZero(&v.re));
    ItemListSet(0, 2, i, &v);
  }
  u16 words[kStatGraphWords];
  StatLoadGraphCond(words);
  for (int s = 0; s < 5; ++s) words[7 * s] = 0;
  const u16 block[7] = {1, static_cast<u16>(type), 1, 2, 0, 2, 0};
  std::memcpy(words + 7, block, sizeof block);
  StatWriteGraphCond(words);
  std::memcpy(g_cond, words, sizeof g_cond);
}

u32 Prepare() {
  VwinRecord rec;
  i32 cancel = 0;
  return StatGraphComputeAll(1, g_cond, &rec, &cancel);
}

void DrawOnce() {
  u32 e = Prepare();
  if (e == 0) e = StatGraphPrepareContext(&g_ctx);
  if (e == 0) e = StatGraphDrawAll(g_cond, &g_ctx);
  ShellUpdateDisplay();
  benchmark::DoNotOptimize(e);
}

void BM_Draw(benchmark::State &state) {
  MakeScene(static_cast<i16>(state.range(0)));
  for (auto _ : state) DrawOnce();
  state.SetLabel(state.range(0) == kSgScatter ? "scatter" : "histogram");
}
BENCHMARK(BM_Draw)->Arg(kSgScatter)->Arg(kSgHist)->Unit(benchmark::kMillisecond);

void BM_PrepareOnly(benchmark::State &state) {
  MakeScene(static_cast<i16>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Prepare());
  state.SetLabel(state.range(0) == kSgScatter ? "scatter" : "histogram");
}
BENCHMARK(BM_PrepareOnly)->Arg(kSgScatter)->Arg(kSgHist)->Unit(benchmark::kMillisecond);

void BM_DrawRatio(benchmark::State &state) {
  using Clock = std::chrono::steady_clock;
  MakeScene(static_cast<i16>(state.range(0)));
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    DrawOnce();
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(Prepare());
    const auto t2 = Clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() / std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
  state.SetLabel(state.range(0) == kSgScatter ? "scatter" : "histogram");
}
BENCHMARK(BM_DrawRatio)->Arg(kSgScatter)->Arg(kSgHist)->Unit(benchmark::kMillisecond);

}  // namespace
