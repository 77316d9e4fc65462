// Plotting against evaluating: GraphPlotAll of y = sin x on the initial
// window (127 columns, every dot put on the display as it is drawn, then the
// display handed to the window) against the same 127 evaluations of sin X
// through EvalArgument alone. "ratio" is the median of the paired ratios of
// the two timed in turn; the time column is the time of one plot. Further plots:
// x^2 - 2, 1/x, and the three together with Simul Graph off and on.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/bench_graph.h"
#include "bench/bench_values.h"
#include "eval/eval.h"
#include "graph/engine/graph_context.h"
#include "graph/engine/graph_plot.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/realop.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

const u8 kSin[] = {0x81, 'X', 0};
const u8 kSquareLess2[] = {'X', 0x8B, 0x99, '2', 0};
const u8 kInverse[] = {'1', 0xB9, 'X', 0};

struct Scene {
  GraphContext ctx;
  GraphEntry entries[4];
};

Scene *MakeScene(std::vector<const u8 *> texts, bool simul) {
  static Scene scene;
  std::memset(&scene, 0, sizeof scene);
  BenchGraphStart(&scene.ctx);
  SetupSetItem(kSetupSimulGraph, simul ? 0 : 1);
  GraphInitContext(&scene.ctx);
  GraphLoadVwin(&scene.ctx, 1);
  GraphClearBuffer(&scene.ctx);
  for (size_t i = 0; i < texts.size(); ++i) {
    scene.entries[i].text = texts[i];
    scene.entries[i].type = kGraphFuncY;
    scene.entries[i].style = kGraphStyleNormal;
    scene.entries[i].slot = static_cast<i32>(i) + 1;
  }
  scene.ctx.entries = scene.entries;
  return &scene;
}

inline void PlotOnce(Scene *s) {
  const u32 code = GraphPlotAll(&s->ctx);
  ShellUpdateDisplay();
  benchmark::DoNotOptimize(code);
}

// The evaluations a plot of sin x makes, through the evaluator alone.
inline void EvaluateColumns() {
  static const BcdReal xmin = BenchValue("-6.3").re, dot = BenchValue("0.1").re;
  for (int col = 0; col < 127; ++col) {
    Value x;
    std::memset(&x, 0, sizeof x);
    BcdReal k;
    NumFromInt32(col, RealSetZero(&k));
    RealMul(&k, &dot, &x.re);
    RealAdd(&xmin, &x.re, &x.re);
    SysStoreVariable('X', &x);
    TokPos pos = kSin;
    EvalCell tok, r;
    std::memset(&tok, 0, sizeof tok);
    EvalArgument(&pos, &tok, &r, 1, kEvalWhole);
    benchmark::DoNotOptimize(r);
  }
}

void BM_PlotSin(benchmark::State &state) {
  Scene *s = MakeScene({kSin}, false);
  for (auto _ : state) PlotOnce(s);
}
BENCHMARK(BM_PlotSin)->Unit(benchmark::kMillisecond);

void BM_EvaluateSinColumns(benchmark::State &state) {
  MakeScene({kSin}, false);
  for (auto _ : state) EvaluateColumns();
}
BENCHMARK(BM_EvaluateSinColumns)->Unit(benchmark::kMillisecond);

void BM_PlotSinRatio(benchmark::State &state) {
  using Clock = std::chrono::steady_clock;
  Scene *s = MakeScene({kSin}, false);
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    PlotOnce(s);
    const auto t1 = Clock::now();
    EvaluateColumns();
    const auto t2 = Clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() / std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_PlotSinRatio)->Unit(benchmark::kMillisecond);

void BM_PlotSquareLess2(benchmark::State &state) {
  Scene *s = MakeScene({kSquareLess2}, false);
  for (auto _ : state) PlotOnce(s);
}
BENCHMARK(BM_PlotSquareLess2)->Unit(benchmark::kMillisecond);

void BM_PlotInverse(benchmark::State &state) {
  Scene *s = MakeScene({kInverse}, false);
  for (auto _ : state) PlotOnce(s);
}
BENCHMARK(BM_PlotInverse)->Unit(benchmark::kMillisecond);

void BM_PlotThree(benchmark::State &state) {
  Scene *s = MakeScene({kSin, kSquareLess2, kInverse}, state.range(0) != 0);
  for (auto _ : state) PlotOnce(s);
  state.SetLabel(state.range(0) ? "Simul on" : "Simul off");
}
BENCHMARK(BM_PlotThree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
