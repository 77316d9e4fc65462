// A key in RUN-MAT's Math input, with the calculator thread running
// headless: the time from a key event posted until the calculator has handed
// its display over again, for a digit typed at the end of (and in the middle
// of, inside a root inside a fraction) a line of 150 bytes of nested
// fractions and square roots, and for a cursor move in it. Each benchmark
// runs 1,000 presses and reports the median and the worst press. The last
// one switches to Linear input and types the same digit on the linear run
// screen (as bench_runmat_keys does): ratio_to_linear is the Math line's
// median digit over the linear screen's.
#include <cstring>

#include "apps/calcdoc/calcdoc_store.h"
#include "bench/bench_keys.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/setup.h"

namespace {

using bench_keys::Code;
using bench_keys::Report;

constexpr u32 kLineBytes = 150;
// From the line's end, eight LEFT presses cross one fraction and its "+";
// four fractions and five presses more stand after the 3 inside the root of
// the sixth fraction of ten.
constexpr int kLeftToTheMiddle = 4 * 8 + 5;

double g_math_digit_median = 0;

// Boots a new calculator (Input Mode Math), opens RUN-MAT and types the
// line: ten times a fraction with a square root in its numerator, then +
// (15 bytes each: the fraction's head, parts and end, the root's, "3", "2",
// "+").
void Start() {
  if (!bench_keys::StartRunMat(false)) return;
  for (int i = 0; i < 10; ++i) {
    for (u16 c : {u16{0xBB}, u16{0x86}, u16{'3'}, u16{kKeyRight}, u16{kKeyDown}, u16{'2'}, u16{kKeyRight},
                  u16{kChrPlus}})
      Code(c);
  }
}

// The typed line is the current line of the document, 150 bytes long, and
// fills the document area (the calculator waits for a key).
bool LineShown() {
  const u8 *text = CalcDocEntryText(CalcDocGetState()->current);
  if (text == nullptr || std::strlen(reinterpret_cast<const char *>(text)) != kLineBytes) return false;
  const u8 *v = LcdVramAddress();
  int dots = 0;
  for (int i = 0; i < 16 * 56; ++i) dots += __builtin_popcount(v[i]);
  return dots > 300;
}

// Types a digit and deletes it again 1,000 times; the digit's times.
std::vector<double> TypedDigits(benchmark::State &state) {
  std::vector<double> times;
  for (auto _ : state) {
    const double t = Code('1');
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
    state.PauseTiming();
    Code(kKeyDel);
    state.ResumeTiming();
  }
  return times;
}

void BM_MathLineTypedDigit(benchmark::State &state) {
  Start();
  if (!LineShown()) return state.SkipWithError("the 150-byte Math line is not shown");
  std::vector<double> times = TypedDigits(state);
  Report(state, times);
  g_math_digit_median = times[times.size() / 2];
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

// The digit goes into the root of the sixth fraction: the line scrolls to
// the cursor and everything after it moves.
void BM_MathLineDigitInTheMiddle(benchmark::State &state) {
  Start();
  for (int i = 0; i < kLeftToTheMiddle; ++i) Code(kKeyLeft);
  if (!LineShown()) return state.SkipWithError("the 150-byte Math line is not shown");
  std::vector<double> times = TypedDigits(state);
  Report(state, times);
  for (int i = 0; i < kLeftToTheMiddle; ++i) Code(kKeyRight);
}
BENCHMARK(BM_MathLineDigitInTheMiddle)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// SET UP, Input Mode Linear, EXIT: the linear run screen, the digit typed as
// in bench_runmat_keys. Runs last: the Math line is gone from the screen.
void BM_LinearScreenTypedDigit(benchmark::State &state) {
  Start();
  Code(kKeySetup);
  Code(kKeyF2);
  Code(kKeyExit);
  if (SetupGetItem(kSetupInputMode) != 1) return state.SkipWithError("Input Mode is not Linear");
  std::vector<double> times = bench_keys::LinearTypedDigits(state);
  Report(state, times);
  if (g_math_digit_median > 0) state.counters["ratio_to_linear"] = g_math_digit_median / times[times.size() / 2];
}
BENCHMARK(BM_LinearScreenTypedDigit)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
