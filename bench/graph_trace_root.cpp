// Key press to display on the graph screen, with the calculator thread
// running headless: GRAPH with Y1 = sin X (radians) drawn on the initial
// window, then
// one trace step (RIGHT and LEFT in turn, so the cursor stays inside the
// window and nothing scrolls: the point evaluated, its read-out written, the
// cursor drawn) and G-Solve's ROOT (F1 of the G-Solve menu: the first root
// from the left searched, refined and shown with its read-out). Each time is
// from the key event posted until the calculator waits again; the median
// and the worst press are reported.
#include "bench/bench_keys.h"
#include "ui/keycodes.h"

namespace {

using bench_keys::Press;
using bench_keys::Report;

// Key positions (column, row) of the keyboard matrix.
constexpr i32 kRight[2] = {2, 8}, kLeft[2] = {3, 9}, kExe[2] = {3, 2}, kExit[2] = {4, 8};
constexpr i32 kF1[2] = {7, 10}, kF5[2] = {3, 10}, kF6[2] = {2, 10};

double Tap(const i32 (&k)[2]) { return Press(k[0], k[1]); }

// Boots a new calculator once, opens GRAPH (the fourth icon), stores
// Y1 = sin X, draws it and goes back to the function list.
void StartGraph() {
  static bool started = false;
  if (started) return;
  started = true;
  const int fd = mkstemp(bench_keys::g_image);
  close(fd);
  FlsImageOpen(bench_keys::g_image);
  std::atexit(bench_keys::Stop);
  HostAllocCalcRam();
  SysStartThread(nullptr);
  while (HostIdleCount() == 0) std::this_thread::yield();
  Press(4, 9);  // MENU closes the two boot notices
  Press(4, 9);
  // The calculator waits for a key at the main menu: SET UP may be written
  // until the next key is posted.
  SetupSetItem(kSetupAngle, 1);  // Rad
  for (int i = 0; i < 3; ++i) Tap(kRight);
  Tap(kExe);
  Press(4, 7);  // sin
  Press(7, 7);  // X,theta,T
  Tap(kExe);
  Tap(kF6);
  Tap(kExit);
}

void BM_TraceStepSin(benchmark::State &state) {
  StartGraph();
  Tap(kF6);  // the stored graph
  Tap(kF1);  // the trace from the middle column
  std::vector<double> times;
  bool right = true;
  for (auto _ : state) {
    const double t = Tap(right ? kRight : kLeft);
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
    right = !right;
  }
  Tap(kExit);  // leaves the trace and the graph screen for the list
  Report(state, times);
}
BENCHMARK(BM_TraceStepSin)->Iterations(500)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RootSin(benchmark::State &state) {
  StartGraph();
  std::vector<double> times;
  for (auto _ : state) {
    state.PauseTiming();
    Tap(kF6);  // the stored graph again
    Tap(kF5);  // the G-Solve menu
    state.ResumeTiming();
    const double t = Tap(kF1);
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
    state.PauseTiming();
    Tap(kExit);
    state.ResumeTiming();
  }
  Report(state, times);
}
BENCHMARK(BM_RootSin)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
