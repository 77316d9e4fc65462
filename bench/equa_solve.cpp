// The equation back ends against mpmath: 1,000 cubics with real
// coefficients (three real roots, one real root and a complex pair, a
// repeated root, a third each) solved by NumericSolvePolynomial from
// "POLYCOEF", and the 6-unknown tridiagonal system by
// NumericSolveSimultaneous from "SIMLCOEF". A python3 child times
// mpmath.polyroots and mpmath.lu_solve at mp.dps 15 on the same inputs in
// the same run; the counter "vs_mpmath" is the native time over mpmath's
// (the aim is 0.1 or less).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "numeric/equa_solve.h"
#include "ui/setup.h"

namespace {

using Cubic = std::vector<std::string>;

// n / 10^places as decimal text.
std::string Scaled(long long n, int places) {
  const bool neg = n < 0;
  unsigned long long a = static_cast<unsigned long long>(neg ? -n : n);
  std::string digits = std::to_string(a);
  while (static_cast<int>(digits.size()) <= places) digits = "0" + digits;
  std::string s = digits.substr(0, digits.size() - places) + "." + digits.substr(digits.size() - places);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return (neg ? "-" : "") + s;
}

// Monic cubics from roots given in hundredths, times a leading coefficient.
std::vector<Cubic> Cubics() {
  std::mt19937 rng(31);
  auto r = [&](int lo, int hi) { return static_cast<long long>(lo + static_cast<int>(rng() % static_cast<u32>(hi - lo + 1))); };
  std::vector<Cubic> out;
  for (int i = 0; i < 1000; ++i) {
    const long long lead = r(1, 9);
    long long a, b, c;  // x^3 + a/100 x^2 + b/10^4 x + c/10^6
    if (i % 3 == 0) {
      const long long p = r(-2000, 2000), q = r(-2000, 2000), s = r(-2000, 2000);
      a = -(p + q + s);
      b = p * q + p * s + q * s;
      c = -p * q * s;
    } else if (i % 3 == 1) {
      const long long p = r(-2000, 2000), u = r(-2000, 2000), v = r(1, 2000);
      a = -(p + 2 * u);
      b = 2 * u * p + u * u + v * v;
      c = -p * (u * u + v * v);
    } else {
      const long long p = 50 * r(-20, 20), s = 50 * r(-20, 20);
      a = -(2 * p + s);
      b = p * p + 2 * p * s;
      c = -p * p * s;
    }
    out.push_back({std::to_string(lead), Scaled(lead * a, 2), Scaled(lead * b, 4), Scaled(lead * c, 6)});
  }
  return out;
}

const char *const kTridiagonal[6][7] = {
    {"2", "-1", "0", "0", "0", "0", "0"},  {"-1", "2", "-1", "0", "0", "0", "0"}, {"0", "-1", "2", "-1", "0", "0", "0"},
    {"0", "0", "-1", "2", "-1", "0", "0"}, {"0", "0", "0", "-1", "2", "-1", "0"}, {"0", "0", "0", "0", "-1", "2", "7"},
};

Value Parse(const std::string &t) {
  Value v{};
  NumParse(t.c_str(), &v.re);
  return v;
}

// Seconds mpmath takes for the same work, timed by a python3 child.
double MpmathSeconds(const std::vector<Cubic> &cubics, int systems) {
  char path[] = "/tmp/corvanta_equa_benchXXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  FILE *f = fdopen(fd, "w");
  for (const Cubic &c : cubics) std::fprintf(f, "%s %s %s %s\n", c[0].c_str(), c[1].c_str(), c[2].c_str(), c[3].c_str());
  std::fclose(f);
  const std::string script =
      "import sys, time, mpmath\n"
      "mpmath.mp.dps = 15\n"
      "cs = [[mpmath.mpf(t) for t in l.split()] for l in open(sys.argv[1])]\n"
      "a = mpmath.matrix([[2 if i == j else (-1 if abs(i - j) == 1 else 0) for j in range(6)] for i in range(6)])\n"
      "b = mpmath.matrix([0, 0, 0, 0, 0, 7])\n"
      "t = time.perf_counter()\n"
      "for c in cs:\n"
      "  try: mpmath.polyroots(c, maxsteps=100, extraprec=20)\n"
      "  except mpmath.libmp.NoConvergence: pass\n"
      "t1 = time.perf_counter()\n"
      "for _ in range(int(sys.argv[2])): mpmath.lu_solve(a, b)\n"
      "t2 = time.perf_counter()\n"
      "print(t1 - t, t2 - t1)\n";
  const std::string cmd = "/usr/bin/python3 -c '" + script + "' " + path + " " + std::to_string(systems);
  FILE *p = popen(cmd.c_str(), "r");
  double poly = 0, siml = 0;
  if (p != nullptr) {
    if (std::fscanf(p, "%lf %lf", &poly, &siml) != 2) poly = siml = 0;
    pclose(p);
  }
  std::remove(path);
  return systems > 0 ? siml : poly;
}

void Boot() {
  static bool done = false;
  if (!done) {
    HostAllocCalcRam();
    done = true;
  }
  McsClearAll();
  SetupSetItem(kSetupComplexMode, 1);
}

void BM_ThousandCubics(benchmark::State &state) {
  Boot();
  const std::vector<Cubic> cubics = Cubics();
  std::vector<std::vector<Value>> values;
  for (const Cubic &c : cubics) values.push_back({Parse(c[0]), Parse(c[1]), Parse(c[2]), Parse(c[3])});
  ItemMatCreate(kEquaPolyCoef, 1, 4);
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    for (const std::vector<Value> &c : values) {
      for (u32 k = 0; k < 4; ++k) ItemMatSet(kEquaPolyCoef, 1, k + 1, &c[k]);
      benchmark::DoNotOptimize(NumericSolvePolynomial(3));
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  const double mp = MpmathSeconds(cubics, 0);
  state.counters["mpmath_s"] = mp;
  if (mp > 0) state.counters["vs_mpmath"] = seconds / static_cast<double>(state.iterations()) / mp;
}
BENCHMARK(BM_ThousandCubics)->Unit(benchmark::kMillisecond);

void BM_SixUnknowns(benchmark::State &state) {
  Boot();
  ItemMatCreate(kEquaSimlCoef, 6, 7);
  for (u32 i = 0; i < 6; ++i) {
    for (u32 j = 0; j < 7; ++j) {
      const Value v = Parse(kTridiagonal[i][j]);
      ItemMatSet(kEquaSimlCoef, i + 1, j + 1, &v);
    }
  }
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(NumericSolveSimultaneous(6));
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  constexpr int kRuns = 200;
  const double mp = MpmathSeconds({}, kRuns) / kRuns;
  state.counters["mpmath_s"] = mp;
  if (mp > 0) state.counters["vs_mpmath"] = seconds / static_cast<double>(state.iterations()) / mp;
}
BENCHMARK(BM_SixUnknowns)->Unit(benchmark::kMicrosecond);

}  // namespace
