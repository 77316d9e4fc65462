// The graph screen's zoom against plotting alone: zoom IN on sin x, x^2 - 2
// and 1/x from the key that fixes the point to the display hand-off (the new
// V-Window computed and stored, the buffer cleared with its axes, the three
// plotted, the picture shown), against GraphPlotAll of the same three on
// the same window followed by the hand-off. "ratio" is the median of the
// paired ratios of the two timed in turn; the time column is one zoom.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "graph/engine/graph_context.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "ui/lcd_shadow.h"
#include "ui/setup.h"

namespace {

const u8 kSin[] = {0x81, 'X', 0};
const u8 kSquareLess2[] = {'X', 0x8B, 0x99, '2', 0};
const u8 kInverse[] = {'1', 0xB9, 'X', 0};

struct Scene {
  GraphContext ctx;
  GraphEntry entries[4];
};

Scene *MakeScene() {
  static bool ready = false;
  if (!ready) {
    HostAllocCalcRam();
    ready = true;
  }
  McsClearAll();
  SetupResetAll();
  SetupSetItem(kSetupAngle, 1);
  SetupSetItem(kSetupDualScreen, 3);
  SetupSetItem(kSetupSimulGraph, 1);
  static Scene scene;
  std::memset(&scene, 0, sizeof scene);
  GraphInitContext(&scene.ctx);
  GmemResetVwin(1);
  GraphLoadVwin(&scene.ctx, 1);
  const u8 *texts[3] = {kSin, kSquareLess2, kInverse};
  for (int i = 0; i < 3; ++i) {
    scene.entries[i].text = texts[i];
    scene.entries[i].type = kGraphFuncY;
    scene.entries[i].style = kGraphStyleNormal;
    scene.entries[i].slot = i + 1;
  }
  scene.ctx.entries = scene.entries;
  return &scene;
}

// The window the zoom starts from, stored again before every zoom.
void InitialWindow(Scene *s) {
  GmemResetVwin(1);
  RealSetZero(&s->ctx.view.extXlow);
  RealSetZero(&s->ctx.view.extYlow);
}

// EXE on the pointer at (0, 0) after ZOOM IN, to the display hand-off.
inline void ZoomIn(Scene *s) {
  const u32 code = GraphZoomApply(kGraphKeyZoomIn, &s->ctx);
  const i32 r = GraphRedrawByMode(&s->ctx, 2);
  ShellUpdateDisplay();
  benchmark::DoNotOptimize(code);
  benchmark::DoNotOptimize(r);
}

// The same three plotted on the zoomed window, to the hand-off.
inline void PlotThree(Scene *s) {
  GraphClearBuffer(&s->ctx);
  const u32 code = GraphPlotAll(&s->ctx);
  ShellUpdateDisplay();
  benchmark::DoNotOptimize(code);
}

void BM_ZoomIn(benchmark::State &state) {
  Scene *s = MakeScene();
  for (auto _ : state) {
    state.PauseTiming();
    InitialWindow(s);
    state.ResumeTiming();
    ZoomIn(s);
  }
}
BENCHMARK(BM_ZoomIn)->Unit(benchmark::kMillisecond);

void BM_ZoomInRatio(benchmark::State &state) {
  using Clock = std::chrono::steady_clock;
  Scene *s = MakeScene();
  std::vector<double> ratios;
  for (auto _ : state) {
    InitialWindow(s);
    const auto t0 = Clock::now();
    ZoomIn(s);
    const auto t1 = Clock::now();
    PlotThree(s);
    const auto t2 = Clock::now();
    ratios.push_back(std::chrono::duration<double>(t1 - t0).count() / std::chrono::duration<double>(t2 - t1).count());
  }
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_ZoomInRatio)->Unit(benchmark::kMillisecond);

}  // namespace
