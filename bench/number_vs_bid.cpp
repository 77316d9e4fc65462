// The digit arithmetic against the Intel decimal floating-point library
// (BID64, 16 digits) on the same operands: add, subtract, multiply, divide,
// square root, ln, log, e^x, 10^x, x^y, and sin, cos, tan and atan in
// radians. Each operation is one benchmark in
// which ours and BID64 run in turn, batch after batch, so that both meet the
// same machine; after the runs the program prints each side's time per call
// and the ratio ours / BID64 (below 1 means ours is faster). With
// --benchmark_repetitions the median of the repetitions is taken.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "number/bcd.h"
#include "tests/number/work_text.h"

extern "C" {
#define DECIMAL_CALL_BY_REFERENCE 0
#define DECIMAL_GLOBAL_ROUNDING 0
#define DECIMAL_GLOBAL_EXCEPTION_FLAGS 0
#include <bid_conf.h>
#include <bid_functions.h>
}

namespace {

constexpr int kCount = 1024;
constexpr _IDEC_round kRound = BID_ROUNDING_TIES_AWAY;

// The operands of both sides and the results of the last batch, all on the
// heap, so that their placement does not move with the program's static
// data.
struct Operands {
  std::vector<BcdWork> a, b, out;
  std::vector<BID_UINT64> da, db, dout;
};

std::string RandomText(std::mt19937_64 &rng, int emin, int emax, bool positive) {
  std::string s = positive || rng() % 2 ? "" : "-";
  s += static_cast<char>('1' + rng() % 9);
  s += '.';
  for (int i = 0; i < 14; ++i) s += static_cast<char>('0' + rng() % 10);
  s += "e" + std::to_string(emin + static_cast<int>(rng() % (emax - emin + 1)));
  return s;
}

// The first operands have exponents emin..emax, the second ones bmin..bmax
// (the same range when not given).
Operands Make(int emin, int emax, bool positive, u64 seed, int bmin = 0, int bmax = -1, bool bpositive = false) {
  std::mt19937_64 rng(seed);
  Operands o;
  for (int i = 0; i < kCount; ++i) {
    for (int k = 0; k < 2; ++k) {
      const bool own = k == 1 && bmin <= bmax;
      std::string t = own ? RandomText(rng, bmin, bmax, bpositive) : RandomText(rng, emin, emax, positive);
      _IDEC_flags flags = 0;
      BID_UINT64 d = bid64_from_string(t.data(), kRound, &flags);
      (k ? o.b : o.a).push_back(numtest::WorkFromText(t));
      (k ? o.db : o.da).push_back(d);
    }
  }
  o.out.resize(kCount);
  o.dout.resize(kCount);
  return o;
}

Operands &Basic() {
  static Operands o = Make(-10, 10, false, 1);
  return o;
}
Operands &Positive() {
  static Operands o = Make(-20, 20, true, 2);
  return o;
}
Operands &ExpArgs() {
  static Operands o = Make(-3, 1, false, 3);
  return o;
}
Operands &SinArgs() {
  static Operands o = Make(-3, 2, false, 4);
  return o;
}
// 10^x up to 10^99 either way.
Operands &Exp10Args() {
  static Operands o = Make(-3, 1, false, 5);
  return o;
}
// x^y: x from 10^-5 to 10^5, y between -10 and 10, so every power stays
// within both formats.
Operands &PowArgs() {
  static Operands o = Make(-5, 4, true, 6, -3, 0, false);
  return o;
}

// One batch runs the operation once on each of the kCount operand pairs and
// keeps the results, so that no call can be left out.

template <i16 (*Op)(BcdWork *, const BcdWork *)>
void OursBinary(Operands &o) {
  for (int i = 0; i < kCount; ++i) {
    BcdWork r = o.a[i];
    Op(&r, &o.b[i]);
    o.out[i] = r;
  }
}

template <BID_UINT64 (*Op)(BID_UINT64, BID_UINT64, _IDEC_round, _IDEC_flags *)>
void BidBinary(Operands &o) {
  _IDEC_flags flags = 0;
  for (int i = 0; i < kCount; ++i) o.dout[i] = Op(o.da[i], o.db[i], kRound, &flags);
}

template <i16 (*Op)(BcdWork *)>
void OursUnary(Operands &o) {
  for (int i = 0; i < kCount; ++i) {
    BcdWork r = o.a[i];
    Op(&r);
    o.out[i] = r;
  }
}

template <BID_UINT64 (*Op)(BID_UINT64, _IDEC_round, _IDEC_flags *)>
void BidUnary(Operands &o) {
  _IDEC_flags flags = 0;
  for (int i = 0; i < kCount; ++i) o.dout[i] = Op(o.da[i], kRound, &flags);
}

i16 SinRadians(BcdWork *a) { return BcdSin(a, 1); }
i16 CosRadians(BcdWork *a) { return BcdCos(a, 1); }
i16 TanRadians(BcdWork *a) { return BcdTan(a, 1); }
i16 AtanRadians(BcdWork *a) { return BcdAtan(a, 1); }

using Batch = void (*)(Operands &);

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The times of both sides move by up to half with the position of the
// stack against the operands (a run keeps the one it is given), so each
// batch runs with the stack moved down by one of kShifts steps of 64 bytes
// that together cover a page.
constexpr int kShifts = 64;

[[gnu::noinline]] double TimedBatch(int shift, Batch batch, Operands &o) {
  using Clock = std::chrono::steady_clock;
  char *gap = static_cast<char *>(__builtin_alloca(64 * shift + 16));
  benchmark::DoNotOptimize(gap);
  const Clock::time_point t0 = Clock::now();
  batch(o);
  const double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
  benchmark::DoNotOptimize(o.out.data());
  benchmark::DoNotOptimize(o.dout.data());
  return ns;
}

// Ours and BID64 timed in turn on the same operands: one iteration runs a
// batch of each at every stack position, the two of a pair back to back in
// alternating order, so that a change in the machine's speed falls on both
// alike. Another program taking the core for a while spoils the pairs it
// falls on, so each position keeps the median over the iterations of its
// pairs' ratios and of each side's times; the figures are the means of
// those over the positions.
void Paired(benchmark::State &state, Operands &(*args)(), Batch ours, Batch bid) {
  Operands &o = args();
  std::vector<std::vector<double>> ns[2], ratio;
  ns[0].resize(kShifts);
  ns[1].resize(kShifts);
  ratio.resize(kShifts);
  for (auto _ : state) {
    for (int shift = 0; shift < kShifts; ++shift) {
      double t[2];
      for (int k = 0; k < 2; ++k) {
        const int side = (shift + k) % 2;  // 0 ours, 1 BID64
        t[side] = TimedBatch(shift, side == 0 ? ours : bid, o);
        ns[side][shift].push_back(t[side] / kCount);
      }
      ratio[shift].push_back(t[0] / t[1]);
    }
  }
  double mean[3] = {0, 0, 0};
  for (int shift = 0; shift < kShifts; ++shift) {
    mean[0] += Median(ns[0][shift]) / kShifts;
    mean[1] += Median(ns[1][shift]) / kShifts;
    mean[2] += Median(ratio[shift]) / kShifts;
  }
  state.counters["ours_ns"] = mean[0];
  state.counters["bid64_ns"] = mean[1];
  state.counters["ratio"] = mean[2];
}

BENCHMARK_CAPTURE(Paired, add, Basic, OursBinary<BcdAdd>, BidBinary<bid64_add>)->Name("add");
BENCHMARK_CAPTURE(Paired, sub, Basic, OursBinary<BcdSub>, BidBinary<bid64_sub>)->Name("sub");
BENCHMARK_CAPTURE(Paired, mul, Basic, OursBinary<BcdMul>, BidBinary<bid64_mul>)->Name("mul");
BENCHMARK_CAPTURE(Paired, div, Basic, OursBinary<BcdDiv>, BidBinary<bid64_div>)->Name("div");
BENCHMARK_CAPTURE(Paired, sqrt, Positive, OursUnary<BcdSqrt>, BidUnary<bid64_sqrt>)->Name("sqrt");
BENCHMARK_CAPTURE(Paired, ln, Positive, OursUnary<BcdLn>, BidUnary<bid64_log>)->Name("ln");
BENCHMARK_CAPTURE(Paired, exp, ExpArgs, OursUnary<BcdExp>, BidUnary<bid64_exp>)->Name("exp");
BENCHMARK_CAPTURE(Paired, log, Positive, OursUnary<BcdLog10>, BidUnary<bid64_log10>)->Name("log");
BENCHMARK_CAPTURE(Paired, exp10, Exp10Args, OursUnary<BcdExp10>, BidUnary<bid64_exp10>)->Name("exp10");
BENCHMARK_CAPTURE(Paired, pow, PowArgs, OursBinary<BcdPow>, BidBinary<bid64_pow>)->Name("pow");
BENCHMARK_CAPTURE(Paired, sin, SinArgs, OursUnary<SinRadians>, BidUnary<bid64_sin>)->Name("sin");
BENCHMARK_CAPTURE(Paired, cos, SinArgs, OursUnary<CosRadians>, BidUnary<bid64_cos>)->Name("cos");
BENCHMARK_CAPTURE(Paired, tan, SinArgs, OursUnary<TanRadians>, BidUnary<bid64_tan>)->Name("tan");
BENCHMARK_CAPTURE(Paired, atan, Basic, OursUnary<AtanRadians>, BidUnary<bid64_atan>)->Name("atan");

// Keeps the counters of every operation besides printing them; with
// repetitions the median of the repetitions stands for the operation.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, benchmark::UserCounters> counters;
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      const std::string name = r.benchmark_name();
      counters[name.substr(0, name.find_first_of("/_"))] = r.counters;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-6s %12s %12s %14s\n", "op", "ours ns", "bid64 ns", "ours / bid64");
  for (const char *op : {"add", "sub", "mul", "div", "sqrt", "ln", "log", "exp", "exp10", "pow", "sin", "cos",
                         "tan", "atan"}) {
    const auto it = reporter.counters.find(op);
    if (it == reporter.counters.end()) continue;
    const benchmark::UserCounters &c = it->second;
    std::printf("%-6s %12.1f %12.1f %14.3f\n", op, c.at("ours_ns").value, c.at("bid64_ns").value, c.at("ratio").value);
  }
  return 0;
}
