// Main-memory item store: create, find and delete of 1,000 items, and the
// handle heap's allocate/free. Each benchmark reports the cost of one
// operation (items_per_second is its inverse).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_store.h"

namespace {

constexpr int kItems = 1000;

const std::vector<std::string> &Names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    // Spread over the sort order so records land everywhere in the folder.
    for (int i = 0; i < kItems; ++i) {
      char buf[9];
      std::snprintf(buf, sizeof buf, "I%03d", (i * 389) % kItems);
      v.push_back(buf);
    }
    return v;
  }();
  return names;
}

void Fresh() {
  HostAllocCalcRam();
  McsInitArea();
}

void Fill() {
  for (const std::string &n : Names()) McsCreateItem("main", n.c_str(), 0x8A, 24, nullptr);
}

void BM_CreateItems(benchmark::State &state) {
  Fresh();
  for (auto _ : state) {
    state.PauseTiming();
    McsInitArea();
    state.ResumeTiming();
    Fill();
  }
  state.SetItemsProcessed(state.iterations() * kItems);
  state.counters["ns_per_op"] = benchmark::Counter(static_cast<double>(state.iterations() * kItems),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FindItems(benchmark::State &state) {
  Fresh();
  Fill();
  for (auto _ : state)
    for (const std::string &n : Names()) {
      u8 *data;
      benchmark::DoNotOptimize(McsFindItem("main", n.c_str(), nullptr, nullptr, &data, nullptr));
    }
  state.SetItemsProcessed(state.iterations() * kItems);
  state.counters["ns_per_op"] = benchmark::Counter(static_cast<double>(state.iterations() * kItems),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DeleteItems(benchmark::State &state) {
  Fresh();
  for (auto _ : state) {
    state.PauseTiming();
    McsInitArea();
    Fill();
    state.ResumeTiming();
    for (const std::string &n : Names()) McsDeleteItem("main", n.c_str());
  }
  state.SetItemsProcessed(state.iterations() * kItems);
  state.counters["ns_per_op"] = benchmark::Counter(static_cast<double>(state.iterations() * kItems),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_HeapAllocFree(benchmark::State &state) {
  std::vector<MemHandle> held(kMemSlotCount);
  for (auto _ : state) {
    for (MemHandle &h : held) h = MemAlloc(64);
    for (MemHandle h : held) MemFree(h);
  }
  state.SetItemsProcessed(state.iterations() * kMemSlotCount);
  state.counters["ns_per_op"] = benchmark::Counter(static_cast<double>(state.iterations() * kMemSlotCount),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_CreateItems)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindItems)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeleteItems)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeapAllocFree)->Unit(benchmark::kMicrosecond);
