// Key press to display on the run screen, with the calculator thread
// running headless: the time from a key event posted to the key queue until
// the calculator has handed its display over again (idle at its next key
// wait), for a typed digit and for EXE of a 20-token line. Each benchmark
// runs 1,000 presses and reports the median and the worst press.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "storage/fls_image.h"
#include "ui/keycodes.h"

namespace {

using Clock = std::chrono::steady_clock;

// Posts one key and waits until the calculator took it and is waiting again.
double Press(i32 column, i32 row, u16 code = 0) {
  const u64 seen = HostIdleCount();
  const auto start = Clock::now();
  HostPushKeyEvent(column, row, code, 0);
  while (HostKeyQueueCount() != 0 || HostIdleCount() == seen) std::this_thread::yield();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

char g_image[] = "/tmp/corvanta-bench-XXXXXX";

void Stop() {
  SysStopThread(10000);
  FlsImageClose();
  unlink(g_image);
}

void Start() {
  static bool started = false;
  if (started) return;
  started = true;
  const int fd = mkstemp(g_image);
  close(fd);
  FlsImageOpen(g_image);
  std::atexit(Stop);
  HostAllocCalcRam();
  SysStartThread(nullptr);
  // The two boot notices close with MENU; EXE opens RUN-MAT, the first icon.
  while (HostIdleCount() == 0) std::this_thread::yield();
  Press(4, 9);
  Press(4, 9);
  Press(3, 2);
}

void Report(benchmark::State &state, std::vector<double> &times) {
  std::sort(times.begin(), times.end());
  state.counters["median_us"] = times[times.size() / 2];
  state.counters["worst_us"] = times.back();
}

void BM_TypedDigit(benchmark::State &state) {
  Start();
  Press(1, 1);  // AC: an empty line
  std::vector<double> times;
  for (auto _ : state) {
    const double t = Press(7, 3);  // 1
    state.SetIterationTime(t / 1e6);
    times.push_back(t);
    state.PauseTiming();
    Press(4, 5);  // DEL
    state.ResumeTiming();
  }
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
