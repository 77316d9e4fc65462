// The digit arithmetic against the Intel decimal floating-point library
// (BID64, 16 digits) on the same operands: add, subtract, multiply, divide,
// square root, ln, e^x and sin (radians). After the runs the program prints
// each operation's CPU time per call and the ratio ours / BID64 (below 1
// means ours is faster); with --benchmark_repetitions the median of the
// repetitions is taken, which steadies the figures on a busy machine.
#include <benchmark/benchmark.h>

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

struct Operands {
  std::vector<BcdWork> a, b;
  std::vector<BID_UINT64> da, db;
};

std::string RandomText(std::mt19937_64 &rng, int emin, int emax, bool positive) {
  std::string s = positive || rng() % 2 ? "" : "-";
  s += static_cast<char>('1' + rng() % 9);
  s += '.';
  for (int i = 0; i < 14; ++i) s += static_cast<char>('0' + rng() % 10);
  s += "e" + std::to_string(emin + static_cast<int>(rng() % (emax - emin + 1)));
  return s;
}

Operands Make(int emin, int emax, bool positive, u64 seed) {
  std::mt19937_64 rng(seed);
  Operands o;
  for (int i = 0; i < kCount; ++i) {
    for (int k = 0; k < 2; ++k) {
      std::string t = RandomText(rng, emin, emax, positive);
      _IDEC_flags flags = 0;
      BID_UINT64 d = bid64_from_string(t.data(), kRound, &flags);
      (k ? o.b : o.a).push_back(numtest::WorkFromText(t));
      (k ? o.db : o.da).push_back(d);
    }
  }
  return o;
}

const Operands &Basic() {
  static const Operands o = Make(-10, 10, false, 1);
  return o;
}
const Operands &Positive() {
  static const Operands o = Make(-20, 20, true, 2);
  return o;
}
const Operands &ExpArgs() {
  static const Operands o = Make(-3, 1, false, 3);
  return o;
}
const Operands &SinArgs() {
  static const Operands o = Make(-3, 2, false, 4);
  return o;
}

template <i16 (*Op)(BcdWork *, const BcdWork *)>
void OursBinary(benchmark::State &state) {
  const Operands &o = Basic();
  int i = 0;
  for (auto _ : state) {
    BcdWork r = o.a[i];
    Op(&r, &o.b[i]);
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kCount - 1);
  }
}

template <BID_UINT64 (*Op)(BID_UINT64, BID_UINT64, _IDEC_round, _IDEC_flags *)>
void BidBinary(benchmark::State &state) {
  const Operands &o = Basic();
  int i = 0;
  _IDEC_flags flags = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Op(o.da[i], o.db[i], kRound, &flags));
    i = (i + 1) & (kCount - 1);
  }
}

template <i16 (*Op)(BcdWork *), const Operands &(*Args)()>
void OursUnary(benchmark::State &state) {
  const Operands &o = Args();
  int i = 0;
  for (auto _ : state) {
    BcdWork r = o.a[i];
    Op(&r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kCount - 1);
  }
}

template <BID_UINT64 (*Op)(BID_UINT64, _IDEC_round, _IDEC_flags *), const Operands &(*Args)()>
void BidUnary(benchmark::State &state) {
  const Operands &o = Args();
  int i = 0;
  _IDEC_flags flags = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Op(o.da[i], kRound, &flags));
    i = (i + 1) & (kCount - 1);
  }
}

i16 SinRadians(BcdWork *a) { return BcdSin(a, 1); }

BENCHMARK(OursBinary<BcdAdd>)->Name("ours/add");
BENCHMARK(BidBinary<bid64_add>)->Name("bid64/add");
BENCHMARK(OursBinary<BcdSub>)->Name("ours/sub");
BENCHMARK(BidBinary<bid64_sub>)->Name("bid64/sub");
BENCHMARK(OursBinary<BcdMul>)->Name("ours/mul");
BENCHMARK(BidBinary<bid64_mul>)->Name("bid64/mul");
BENCHMARK(OursBinary<BcdDiv>)->Name("ours/div");
BENCHMARK(BidBinary<bid64_div>)->Name("bid64/div");
BENCHMARK((OursUnary<BcdSqrt, Positive>))->Name("ours/sqrt");
BENCHMARK((BidUnary<bid64_sqrt, Positive>))->Name("bid64/sqrt");
BENCHMARK((OursUnary<BcdLn, Positive>))->Name("ours/ln");
BENCHMARK((BidUnary<bid64_log, Positive>))->Name("bid64/ln");
BENCHMARK((OursUnary<BcdExp, ExpArgs>))->Name("ours/exp");
BENCHMARK((BidUnary<bid64_exp, ExpArgs>))->Name("bid64/exp");
BENCHMARK((OursUnary<SinRadians, SinArgs>))->Name("ours/sin");
BENCHMARK((BidUnary<bid64_sin, SinArgs>))->Name("bid64/sin");

// Collects the time per iteration of every run besides printing it.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  void ReportRuns(const std::vector<Run> &runs) override {
    // With repetitions the median stands for the operation.
    for (const Run &r : runs) {
      std::string name = r.benchmark_name();
      if (r.run_type == Run::RT_Aggregate) {
        if (r.aggregate_name != "median") continue;
        name = name.substr(0, name.size() - std::string("_median").size());
      }
      ns[name] = r.GetAdjustedCPUTime();
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
  for (const char *op : {"add", "sub", "mul", "div", "sqrt", "ln", "exp", "sin"}) {
    const auto ours = reporter.ns.find(std::string("ours/") + op);
    const auto bid = reporter.ns.find(std::string("bid64/") + op);
    if (ours == reporter.ns.end() || bid == reporter.ns.end()) continue;
    std::printf("%-6s %12.1f %12.1f %14.2f\n", op, ours->second, bid->second, ours->second / bid->second);
  }
  return 0;
}
