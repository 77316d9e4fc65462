// The list and matrix engines: + on two 999-element lists, SortA of 999
// elements with five companion lists, and the determinant and inverse of
// n x n matrices from 10 up to 73 x 73 (the largest square matrix a matrix
// item can hold). The matrix benchmarks fit the growth in n; the algorithms
// are cubic.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "kernel/heap.h"
#include "number/numparse.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "numeric/mat_alg.h"
#include "numeric/sort.h"

namespace {

// A real list of n elements of the form k/1000 in a heap block.
Value RandomList(u32 n, std::mt19937 *rng, int spread) {
  const MemHandle h = MemAlloc(n * 12);
  BcdReal *e = ArrElems(h);
  for (u32 i = 0; i < n; ++i) {
    RealSetZero(&e[i]);
    NumFromInt32(static_cast<i32>((*rng)() % static_cast<u32>(spread)) - spread / 2, &e[i]);
  }
  Value v;
  ArrSetList(&v, false, static_cast<u16>(n), h);
  return v;
}

Value RandomMatrix(u32 n, std::mt19937 *rng) {
  const MemHandle h = MemAlloc(n * n * 12);
  BcdReal *e = ArrElems(h);
  for (u32 i = 0; i < n * n; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03d", static_cast<int>((*rng)() % 200) - 100, static_cast<int>((*rng)() % 1000));
    RealSetZero(&e[i]);
    NumParse(text, &e[i]);
  }
  Value v;
  ArrSetMatrix(&v, false, static_cast<u16>(n), static_cast<u16>(n), h);
  return v;
}

void BM_ListAdd999(benchmark::State &state) {
  MemFreeAll();
  std::mt19937 rng(1);
  Value a = RandomList(999, &rng, 100000), b = RandomList(999, &rng, 100000);
  for (auto _ : state) {
    Value out;
    ValAdd(&a, &b, &out, 0);
    benchmark::DoNotOptimize(out);
    ValFreeTemp(&out);
  }
  state.counters["per_element"] = benchmark::Counter(static_cast<double>(state.iterations()) * 999,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  MemFreeAll();
}
BENCHMARK(BM_ListAdd999);

// Each iteration sorts the same shuffled data with ties: the six lists are
// restored from their copies first (a copy of 6 x 12 KB, small beside the
// sort).
void BM_SortA999With5Companions(benchmark::State &state) {
  MemFreeAll();
  std::mt19937 rng(2);
  std::vector<Value> lists;
  std::vector<std::vector<u8>> saved;
  for (int i = 0; i < 6; ++i) {
    lists.push_back(RandomList(999, &rng, i == 0 ? 200 : 100000));
    const u8 *p = MemDeref(ArrInfoOf(&lists.back()).handle);
    saved.emplace_back(p, p + 999 * 12);
  }
  std::vector<Value *> ptrs;
  for (Value &v : lists) ptrs.push_back(&v);
  for (auto _ : state) {
    for (int i = 0; i < 6; ++i) std::memcpy(MemDeref(ArrInfoOf(&lists[i]).handle), saved[i].data(), 999 * 12);
    benchmark::DoNotOptimize(SortListsAscending(6, ptrs.data()));
  }
  MemFreeAll();
}
BENCHMARK(BM_SortA999With5Companions);

void BM_Determinant(benchmark::State &state) {
  MemFreeAll();
  std::mt19937 rng(3);
  const u32 n = static_cast<u32>(state.range(0));
  Value m = RandomMatrix(n, &rng);
  for (auto _ : state) {
    Value det;
    MatDeterminant(&m, &det);
    benchmark::DoNotOptimize(det);
  }
  state.SetComplexityN(n);
  MemFreeAll();
}
BENCHMARK(BM_Determinant)->Arg(10)->Arg(20)->Arg(40)->Arg(73)->Complexity(benchmark::oNCubed)->Unit(benchmark::kMillisecond);

void BM_Inverse(benchmark::State &state) {
  MemFreeAll();
  std::mt19937 rng(4);
  const u32 n = static_cast<u32>(state.range(0));
  Value m = RandomMatrix(n, &rng);
  for (auto _ : state) {
    Value inv;
    MatInverse(&m, &inv);
    benchmark::DoNotOptimize(inv);
    ValFreeTemp(&inv);
  }
  state.SetComplexityN(n);
  MemFreeAll();
}
BENCHMARK(BM_Inverse)->Arg(10)->Arg(20)->Arg(40)->Arg(73)->Complexity(benchmark::oNCubed)->Unit(benchmark::kMillisecond);

}  // namespace
