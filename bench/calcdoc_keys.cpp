// A key in RUN-MAT's Math input, with the calculator thread running
// headless: the time from a key event posted until the calculator has handed
// its display over again, for a digit typed into (and a cursor move inside)
// a line of 150 bytes of nested fractions and square roots. Each benchmark
// runs 1,000 presses and reports the median and the worst press; compare
// with bench_runmat_keys (the same press on the linear screen).
#include "bench/bench_keys.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"

namespace {

using bench_keys::Code;
using bench_keys::Report;

// Boots a new calculator (Input Mode Math), opens RUN-MAT and types the
// line: ten times a fraction with a square root in its numerator, then +.
void Start() {
  if (!bench_keys::StartRunMat(false)) return;
  for (int i = 0; i < 10; ++i) {
    for (u16 c : {u16{0xBB}, u16{0x86}, u16{'3'}, u16{kKeyRight}, u16{kKeyDown}, u16{'2'}, u16{kKeyRight},
                  u16{kChrPlus}})
      Code(c);
  }
}

// The typed line fills the document area (the calculator waits for a key).
bool LineShown() {
  const u8 *v = LcdVramAddress();
  int dots = 0;
  for (int i = 0; i < 16 * 56; ++i) dots += __builtin_popcount(v[i]);
  return dots > 300;
}

void BM_MathLineTypedDigit(benchmark::State &state) {
  Start();
  if (!LineShown()) state.SkipWithError("the Math line is not shown");
  std::vector<double> times;
  for (auto _ : state) {
    const double t = Code('1');
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
    state.PauseTiming();
    Code(kKeyDel);
    state.ResumeTiming();
  }
  Report(state, times);
}
BENCHMARK(BM_MathLineTypedDigit)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_MathLineCursorMove(benchmark::State &state) {
  Start();
  std::vector<double> times;
  bool left = true;
  for (auto _ : state) {
    const double t = Code(left ? kKeyLeft : kKeyRight);
    left = !left;
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
  }
  Report(state, times);
}
BENCHMARK(BM_MathLineCursorMove)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
