// Program interpreter: loops of 10,000 passes run as run lines. Each
// benchmark reports the time of one pass (ns_per_pass). The empty loop and
// the bare evaluation of "A+I" split a pass of the summing loop into
// statement dispatch (For/Next and the statement ends) and arithmetic (the
// evaluator and the number core).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "eval/eval.h"
#include "eval/prog.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

constexpr int kPasses = 10000;

// 0->A:For 1->I To 10000:A+I->A:Next
const std::string kSum = std::string("0\x0E" "A:\xF7\x04" "1\x0E" "I\xF7\x05" "10000:A\x89I\x0E" "A:\xF7\x07");
// For 1->I To 10000:Next
const std::string kEmpty = std::string("\xF7\x04" "1\x0E" "I\xF7\x05" "10000:\xF7\x07");
// 0->A:1->Dim List 1:For 1->I To 10000:If I<5000:Then A+I->A:Else A-1->A:IfEnd:I->List 1[1]:Next
// (a list holds at most 999 elements, so every pass writes element 1)
const std::string kIfList = std::string("0\x0E" "A:1\x0E\x7F\x46\x7F\x51" "1:\xF7\x04" "1\x0E" "I\xF7\x05" "10000:") +
                            std::string("\xF7\x00", 2) +
                            "I<5000:\xF7\x01" "A\x89I\x0E" "A:\xF7\x02" "A\x99" "1\x0E" "A:\xF7\x03:I\x0E\x7F\x51" "1[1]:\xF7\x07";

// 0->A:5->Dim List 1:For 1->I To 10000:A+List 1[3]->A:Next
const std::string kListRead = std::string("0\x0E" "A:5\x0E\x7F\x46\x7F\x51" "1:\xF7\x04" "1\x0E" "I\xF7\x05" "10000:") +
                              "A\x89\x7F\x51" "1[3]\x0E" "A:\xF7\x07";

// Ten setup statements, then a Goto loop of 10,000 passes:
// 0->A:...:0->J:Lbl 1:A+1->A:A<10000=>Goto 1
const std::string kGoto = [] {
  std::string t;
  for (char v = 'A'; v <= 'J'; ++v) t += std::string("0\x0E") + v + ":";
  return t + "\xE2" "1:A\x89" "1\x0E" "A:A<10000\x13\xEC" "1";
}();

void Fresh() {
  HostAllocCalcRam();
  McsClearAll();
  SetupResetAll();
  SysClearVariables();
}

void RunLine(benchmark::State &state, const std::string &line) {
  Fresh();
  ProgRunContext ctx;
  for (auto _ : state) {
    ProgContextClear(&ctx);
    const u8 *p = reinterpret_cast<const u8 *>(line.c_str());
    Value result{};
    if (!ProgRun(&p, 1, &result, &ctx)) state.SkipWithError("the run failed");
  }
  state.counters["ns_per_pass"] = benchmark::Counter(static_cast<double>(state.iterations() * kPasses),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ForSum(benchmark::State &state) { RunLine(state, kSum); }
void BM_ForEmpty(benchmark::State &state) { RunLine(state, kEmpty); }
void BM_ForIfElseListElement(benchmark::State &state) { RunLine(state, kIfList); }
void BM_GotoLoop(benchmark::State &state) { RunLine(state, kGoto); }
void BM_ForListElementRead(benchmark::State &state) { RunLine(state, kListRead); }

// The arithmetic of one pass alone: "A+I" evaluated 10,000 times.
void BM_EvalAPlusI(benchmark::State &state) {
  Fresh();
  static const u8 kExpr[] = {'A', 0x89, 'I', 0};
  for (auto _ : state) {
    for (int i = 0; i < kPasses; ++i) {
      TokPos pos = kExpr;
      EvalCell tok;
      EvalCell result;
      std::memset(&tok, 0, sizeof tok);
      EvalWholeExpr(&pos, &tok, &result, 1);
      benchmark::DoNotOptimize(result);
    }
  }
  state.counters["ns_per_pass"] = benchmark::Counter(static_cast<double>(state.iterations() * kPasses),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ForSum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForEmpty)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForIfElseListElement)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GotoLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForListElementRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvalAPlusI)->Unit(benchmark::kMillisecond);

}  // namespace
