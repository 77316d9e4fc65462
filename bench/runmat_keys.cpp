// Key press to display on the run screen, with the calculator thread
// running headless: the time from a key event posted to the key queue until
// the calculator has handed its display over again (idle at its next key
// wait), for a typed digit and for EXE of a 20-token line. Each benchmark
// runs 1,000 presses and reports the median and the worst press.
#include "bench/bench_keys.h"
#include "ui/keycodes.h"

namespace {

using bench_keys::Press;
using bench_keys::Report;

void Start() { bench_keys::StartRunMat(true); }

void BM_TypedDigit(benchmark::State &state) {
  Start();
  std::vector<double> times = bench_keys::LinearTypedDigits(state);
  Report(state, times);
}
BENCHMARK(BM_TypedDigit)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Exe20Tokens(benchmark::State &state) {
  Start();
  Press(1, 1);  // AC
  // 12+34×5-6÷7+8.5×9-1 : 20 tokens.
  const u16 line[] = {'1', '2', kChrPlus, '3', '4', kChrTimes, '5', kChrMinus, '6', kChrDivide,
                      '7', kChrPlus, '8', '.', '5', kChrTimes, '9', kChrMinus, '1', '0'};
  for (u16 c : line) Press(-1, -1, c);
  Press(3, 2);  // EXE once; each press below runs the newest line again
  std::vector<double> times;
  for (auto _ : state) {
    const double t = Press(3, 2);
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
  }
  Report(state, times);
}
BENCHMARK(BM_Exe20Tokens)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
