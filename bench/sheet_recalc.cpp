// Recalculating the chain sheet (A1 1, A2..A999 =A(n-1)+1, B1..B999
// =A(n)*2: 1,997 formulas) against the same 1,997 evaluations of formulas
// on list elements by the evaluator alone (List 1[n-1]+1 and List 1[n]x2).
// "ratio" is the sheet's time over the evaluator's, measured in one run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "apps/sheet/sheet_eval.h"
#include "apps/sheet/sheet_store.h"
#include "eval/eval.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "ui/setup.h"

namespace {

constexpr char kPlus = static_cast<char>(0x89), kTimes = static_cast<char>(0xA9);

void Prepare(std::vector<std::string> *texts) {
  static bool ram = false;
  if (!ram) ram = HostAllocCalcRam() == 1;
  McsClearAll();
  SetupResetAll();
  SheetSetCurrentName("SHEET");
  Value one{};
  ItemListDelete(0, 1);
  for (int r = 1; r <= 999; ++r) {
    Value v{};
    NumFromInt32(r, &v.re);
    ItemListSet(0, 1, 0, &v);
  }
  NumFromInt32(1, &one.re);
  SheetWriteValue(nullptr, 1, 1, &one);
  for (int r = 2; r <= 999; ++r)
    SheetWriteFormula(nullptr, 1, r, ("=A" + std::to_string(r - 1) + kPlus + "1").c_str());
  for (int r = 1; r <= 999; ++r) SheetWriteFormula(nullptr, 2, r, ("=A" + std::to_string(r) + kTimes + "2").c_str());
  // The evaluator's share: the same shapes over list elements.
  const std::string list = std::string("\x7F\x51") + "1[";
  texts->clear();
  for (int r = 2; r <= 999; ++r) texts->push_back(list + std::to_string(r - 1) + "]" + kPlus + "1");
  for (int r = 1; r <= 999; ++r) texts->push_back(list + std::to_string(r) + "]" + kTimes + "2");
}

void BM_ChainRecalcVsEvaluator(benchmark::State &state) {
  std::vector<std::string> texts;
  Prepare(&texts);
  double sheetNs = 0, evalNs = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    SheetLatchError(0);
    SheetMaskEvalStates(nullptr, 0);
    benchmark::DoNotOptimize(SheetRecalcAll());
    const auto t1 = std::chrono::steady_clock::now();
    for (const std::string &t : texts) {
      TokPos pos = reinterpret_cast<const u8 *>(t.c_str());
      Value out;
      benchmark::DoNotOptimize(EvalFormula(&pos, 2, &out));
    }
    const auto t2 = std::chrono::steady_clock::now();
    sheetNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
    evalNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
  }
  state.counters["ratio"] = sheetNs / evalNs;
  state.counters["sheet_ms"] = sheetNs / 1e6 / static_cast<double>(state.iterations());
  state.counters["eval_ms"] = evalNs / 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ChainRecalcVsEvaluator)->Unit(benchmark::kMillisecond);

}  // namespace
