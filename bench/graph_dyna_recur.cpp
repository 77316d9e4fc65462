// The dynamic graph and the recursion table against the evaluator alone.
//
// Frames: DynaComputeFrames of 20 frames of Y = AX^2 + B (A = 1..20; the
// progress bar, the plane clears, the axes and the drawing included, no
// sleeps) against the same 20 x 127 evaluations of A X^2 + B through
// EvalArgument. Table: RecurGenerateTable of 255 Fibonacci rows with sums
// against 253 evaluations of B + A through EvalArgument with A and B stored
// each time. "ratio" is the median of the paired ratios of the two timed in
// turn.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench/bench_values.h"
#include "eval/eval.h"
#include "graph/dyna/dyna_cond.h"
#include "graph/dyna/dyna_play.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

using Clock = std::chrono::steady_clock;

const u8 kQuadratic[] = {'A', 'X', 0x8B, 0x89, 'B', 0};
const u8 kSum[] = {'B', 0x89, 'A', 0};
constexpr u32 kFrames = 20;

void Fresh() {
  static bool ready = false;
  if (!ready) {
    HostAllocCalcRam();
    ready = true;
  }
  McsClearAll();
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
  SetupSetItem(kSetupGrid, 1);
}

void StoreInt(u8 var, i32 n) {
  Value v;
  std::memset(&v, 0, sizeof v);
  NumFromInt32(n, &v.re);
  SysStoreVariable(var, &v);
}

void Evaluate(const u8 *text) {
  TokPos pos = text;
  EvalCell tok, r;
  std::memset(&tok, 0, sizeof tok);
  EvalArgument(&pos, &tok, &r, 1, kEvalWhole);
  benchmark::DoNotOptimize(r);
}

struct FrameScene {
  GraphContext ctx;
  GraphEntry entries[21];
  DynaCond cond;
  std::vector<u8> frames;
};

FrameScene *MakeFrames() {
  Fresh();
  const u8 head[4] = {static_cast<u8>(kGraphFuncY & 0xFF), static_cast<u8>(kGraphFuncY >> 8), kDynaSelectBit, 2};
  GmemWriteFuncItem(1, head, reinterpret_cast<const char *>(kQuadratic));
  static FrameScene s;
  std::memset(&s.ctx, 0, sizeof s.ctx);
  GraphInitContext(&s.ctx);
  GraphLoadVwin(&s.ctx, 1);
  DynaBuildEntries(s.entries);
  s.ctx.entries = s.entries;
  DynaResetCond(&s.cond);
  NumFromInt32(kFrames, &s.cond.end);
  s.frames.assign(kFrames * kDynaFrameBytes, 0);
  return &s;
}

void EvaluateFrames() {
  static const BcdReal xmin = BenchValue("-6.3").re, dot = BenchValue("0.1").re;
  for (u32 f = 1; f <= kFrames; ++f) {
    StoreInt('A', static_cast<i32>(f));
    for (int col = 0; col < 127; ++col) {
      Value x;
      std::memset(&x, 0, sizeof x);
      BcdReal k;
      NumFromInt32(col, RealSetZero(&k));
      RealMul(&k, &dot, &x.re);
      RealAdd(&xmin, &x.re, &x.re);
      SysStoreVariable('X', &x);
      Evaluate(kQuadratic);
    }
  }
}

void BM_DynaFrames(benchmark::State &state) {
  FrameScene *s = MakeFrames();
  for (auto _ : state) benchmark::DoNotOptimize(DynaComputeFrames(&s->ctx, &s->cond, kFrames, s->frames.data()));
}
BENCHMARK(BM_DynaFrames)->Unit(benchmark::kMillisecond);

void BM_DynaFramesRatio(benchmark::State &state) {
  FrameScene *s = MakeFrames();
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    DynaComputeFrames(&s->ctx, &s->cond, kFrames, s->frames.data());
    const auto t1 = Clock::now();
    EvaluateFrames();
    const auto t2 = Clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() / std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_DynaFramesRatio)->Unit(benchmark::kMillisecond);

void MakeFibonacci() {
  Fresh();
  const char f[] = {'\x7F', '\xA1', '\x89', '\x7F', '\xA0', 0, 0};
  RecurWriteFormula(1, f);
  SetupSetItem(kSetupRecurType, 3);
  SetupSetItem(kSetupSumDisplay, 0);
  BcdReal one, end;
  NumFromInt32(1, &one);
  NumFromInt32(254, &end);
  RecurWriteValue(kRecurIdA0, &one);
  RecurWriteValue(kRecurIdA1, &one);
  RecurWriteValue(kRecurIdEnd, &end);
}

void EvaluateFibonacci() {
  for (i32 i = 0; i < 253; ++i) {
    StoreInt('A', i);
    StoreInt('B', i + 1);
    Evaluate(kSum);
  }
}

void BM_RecurTable(benchmark::State &state) {
  MakeFibonacci();
  for (auto _ : state) benchmark::DoNotOptimize(RecurGenerateTable());
}
BENCHMARK(BM_RecurTable)->Unit(benchmark::kMillisecond);

void BM_RecurTableRatio(benchmark::State &state) {
  MakeFibonacci();
  std::vector<double> ratios;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    RecurGenerateTable();
    const auto t1 = Clock::now();
    EvaluateFibonacci();
    const auto t2 = Clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() / std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_RecurTableRatio)->Unit(benchmark::kMillisecond);

}  // namespace
