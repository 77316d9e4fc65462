// Key press to display hand-off with the calculator thread running
// headless: boots a calculator on a temporary storage image, posts key
// events and waits until the calculator took each one and waits again.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "storage/fls_image.h"
#include "ui/setup.h"

namespace bench_keys {

using Clock = std::chrono::steady_clock;

// Posts one key and waits until the calculator took it and is waiting again;
// returns the time in microseconds.
inline double Press(i32 column, i32 row, u16 code = 0) {
  const u64 seen = HostIdleCount();
  const auto start = Clock::now();
  HostPushKeyEvent(column, row, code, 0);
  while (HostKeyQueueCount() != 0 || HostIdleCount() == seen) std::this_thread::yield();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

inline double Code(u16 code) { return Press(-1, -1, code); }

inline char g_image[] = "/tmp/corvanta-bench-XXXXXX";

inline void Stop() {
  SysStopThread(10000);
  FlsImageClose();
  unlink(g_image);
}

// Boots a new calculator once per process and opens RUN-MAT: the two boot
// notices close with MENU, EXE opens the first icon; `linear` sets Input Mode
// Linear first (the plain run screen), else RUN-MAT opens in Math input (the
// calculation document). Returns false when the calculator was already
// started.
inline bool StartRunMat(bool linear) {
  static bool started = false;
  if (started) return false;
  started = true;
  const int fd = mkstemp(g_image);
  close(fd);
  FlsImageOpen(g_image);
  std::atexit(Stop);
  HostAllocCalcRam();
  SysStartThread(nullptr);
  while (HostIdleCount() == 0) std::this_thread::yield();
  Press(4, 9);
  Press(4, 9);
  // The calculator waits for a key at the main menu: SET UP may be written
  // until the next key is posted.
  if (linear) SetupSetItem(kSetupInputMode, 1);
  Press(3, 2);
  return true;
}

// The median and the worst press of a run.
inline void Report(benchmark::State &state, std::vector<double> &times) {
  std::sort(times.begin(), times.end());
  state.counters["median_us"] = times[times.size() / 2];
  state.counters["worst_us"] = times.back();
}

// A digit typed on the linear run screen's empty line and deleted again:
// the time of each digit. The run screen must be open.
inline std::vector<double> LinearTypedDigits(benchmark::State &state) {
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
  return times;
}

}  // namespace bench_keys
