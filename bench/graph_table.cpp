// The function table against evaluating: GraphBuildTable of 255 rows (0 to
// 25.4 by 0.1) of y = sin x, x^2 - 2 and 1/x against the same 765
// evaluations through EvalArgument alone. "ratio" is the median of the
// paired ratios of the two timed in turn; the time column is the time of one
// table. The table with the derivative columns is timed as well.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/bench_graph.h"
#include "bench/bench_values.h"
#include "eval/eval.h"
#include "graph/engine/graph_context.h"
#include "graph/table/graph_table.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

const u8 kSin[] = {0x81, 'X', 0};
const u8 kSquareLess2[] = {'X', 0x8B, 0x99, '2', 0};
const u8 kInverse[] = {'1', 0xB9, 'X', 0};
const u8 *const kTexts[3] = {kSin, kSquareLess2, kInverse};
constexpr int kRows = 255;

struct Scene {
  GraphContext ctx;
  GraphEntry entries[4];
};

Scene *MakeScene(bool derivative) {
  static Scene scene;
  std::memset(&scene, 0, sizeof scene);
  BenchGraphStart(&scene.ctx);
  SetupSetItem(kSetupDerivative, derivative ? 0 : 1);
  GraphInitContext(&scene.ctx);
  GraphLoadVwin(&scene.ctx, 1);
  for (int i = 0; i < 3; ++i) {
    scene.entries[i].text = kTexts[i];
    scene.entries[i].type = kGraphFuncY;
    scene.entries[i].style = kGraphStyleNormal;
    scene.entries[i].slot = i + 1;
  }
  scene.ctx.entries = scene.entries;
  TableRange r{BenchValue("0").re, BenchValue("25.4").re, BenchValue("0.1").re};
  TableWriteRange(&r);
  return &scene;
}

inline void BuildOnce(Scene *s) {
  const u32 code = GraphBuildTable(&s->ctx);
  benchmark::DoNotOptimize(code);
}

// The evaluations of the table, through the evaluator alone.
inline void EvaluateRows() {
  static const BcdReal step = BenchValue("0.1").re;
  for (int row = 0; row < kRows; ++row) {
    Value x;
    std::memset(&x, 0, sizeof x);
    BcdReal k;
    NumFromInt32(row, &k);
    RealMul(&k, &step, &x.re);
    SysStoreVariable('X', &x);
    for (const u8 *text : kTexts) {
      TokPos pos = text;
      EvalCell tok, r;
      std::memset(&tok, 0, sizeof tok);
      EvalArgument(&pos, &tok, &r, 1, kEvalWhole);
      benchmark::DoNotOptimize(r);
    }
  }
}

void BM_BuildTable(benchmark::State &state) {
  Scene *s = MakeScene(state.range(0) != 0);
  for (auto _ : state) BuildOnce(s);
  state.SetLabel(state.range(0) ? "Derivative on" : "Derivative off");
}
BENCHMARK(BM_BuildTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_EvaluateTableRows(benchmark::State &state) {
  MakeScene(false);
  for (auto _ : state) EvaluateRows();
}
BENCHMARK(BM_EvaluateTableRows)->Unit(benchmark::kMillisecond);

void BM_BuildTableRatio(benchmark::State &state) {
  using Clock = std::chrono::steady_clock;
  Scene *s = MakeScene(false);
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    BuildOnce(s);
    const auto t1 = Clock::now();
    EvaluateRows();
    const auto t2 = Clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() / std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_BuildTableRatio)->Unit(benchmark::kMillisecond);

}  // namespace
