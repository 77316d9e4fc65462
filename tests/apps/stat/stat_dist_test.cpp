// The distribution kernels against references computed outside this code
// (tools/gen_stat_special_refs.py, mpmath at 40 digits), and their ends,
// refusals and reversed intervals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "apps/stat/stat_dist.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "tests/apps/finance/fin_test_util.h"

namespace {

using fintest::D;  // reals from text and back, shared with the financial tests
using fintest::R;

struct Outcome {
  u32 code;
  BcdReal value;
};

// Runs the named kernel with its record filled from text arguments in the
// order of the reference table; gives the code and the main result.
Outcome Kernel(const std::string &name, const std::vector<std::string> &a) {
  std::vector<BcdReal> v;
  for (const std::string &s : a) v.push_back(R(s));
  StatNormRec n{};
  StatTRec t{};
  StatChiRec c{};
  StatFRec f{};
  StatBinomRec b{};
  StatPoissonRec p{};
  StatGeoRec g{};
  if (name == "normpd") return n.x = v[0], n.sigma = v[1], n.mu = v[2], Outcome{StatNormPd(0, &n), n.pd};
  if (name == "normcd")
    return n.lower = v[0], n.upper = v[1], n.sigma = v[2], n.mu = v[3], Outcome{StatNormCd(0, &n), n.cd};
  if (name == "invnorm") {
    n.tail = static_cast<i32>(std::stoi(a[0]));
    n.area = v[1], n.sigma = v[2], n.mu = v[3];
    return Outcome{StatInvNorm(0, &n), n.inv1};
  }
  if (name == "tpd") return t.x = v[0], t.df = v[1], Outcome{StatTPd(0, &t), t.pd};
  if (name == "tcd") return t.lower = v[0], t.upper = v[1], t.df = v[2], Outcome{StatTCd(0, &t), t.cd};
  if (name == "invt") return t.area = v[0], t.df = v[1], Outcome{StatInvT(0, &t), t.second};
  if (name == "chipd") return c.x = v[0], c.df = v[1], Outcome{StatChiPd(0, &c), c.pd};
  if (name == "chicd") return c.lower = v[0], c.upper = v[1], c.df = v[2], Outcome{StatChiCd(0, &c), c.cd};
  if (name == "fpd") return f.x = v[0], f.ndf = v[1], f.ddf = v[2], Outcome{StatFPd(0, &f), f.pd};
  if (name == "fcd")
    return f.lower = v[0], f.upper = v[1], f.ndf = v[2], f.ddf = v[3], Outcome{StatFCd(0, &f), f.cd};
  if (name == "binompd") return b.x = v[0], b.n = v[1], b.p = v[2], Outcome{StatBinomPd(0, &b), b.result};
  if (name == "binomcd") return b.x = v[0], b.n = v[1], b.p = v[2], Outcome{StatBinomCd(0, &b), b.result};
  if (name == "poissonpd") return p.x = v[0], p.mu = v[1], Outcome{StatPoissonPd(0, &p), p.result};
  if (name == "poissoncd") return p.x = v[0], p.mu = v[1], Outcome{StatPoissonCd(0, &p), p.result};
  if (name == "geopd") return g.x = v[0], g.p = v[1], Outcome{StatGeoPd(0, &g), g.result};
  if (name == "geocd") return g.x = v[0], g.p = v[1], Outcome{StatGeoCd(0, &g), g.result};
  ADD_FAILURE() << "no kernel " << name;
  return Outcome{99, R("0")};
}

TEST(StatDist, AgreeWithTheReferenceTable) {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind('/')) + "/../../data/stat_special_refs.txt";
  std::ifstream in(path);
  ASSERT_TRUE(in.good()) << path;
  const std::map<std::string, double> tol = {
      {"normpd", 1e-12},  {"normcd", 1e-13},  {"invnorm", 1e-12}, {"tpd", 1e-12},      {"tcd", 1e-11},
      {"invt", 1e-12},    {"chipd", 1e-12},   {"chicd", 5e-12},   {"fpd", 1e-12},      {"fcd", 1e-11},
      {"binompd", 1e-11}, {"binomcd", 1e-11}, {"poissonpd", 5e-12}, {"poissoncd", 5e-12}, {"geopd", 1e-12},
      {"geocd", 1e-12}};
  std::map<std::string, double> worst;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string name, word;
    s >> name;
    if (!tol.count(name)) continue;  // the special functions' own lines
    std::vector<std::string> args;
    while (s >> word) args.push_back(word);
    const double want = std::stod(args.back());
    args.pop_back();
    const Outcome got = Kernel(name, args);
    ASSERT_EQ(got.code, 0u) << line;
    const double err = std::fabs(D(got.value) - want) / std::max(std::fabs(want), 1e-300);
    worst[name] = std::max(worst[name], err);
    EXPECT_LE(err, tol.at(name)) << line << " got " << D(got.value);
  }
  for (const auto &[name, err] : worst) std::printf("%-10s worst %.2e\n", name.c_str(), err);
}

TEST(StatDist, NormalEndsAndReversedIntervals) {
  StatNormRec r{};
  r.sigma = R("1"), r.mu = R("0");
  r.lower = R("0.7"), r.upper = R("0.7");
  ASSERT_EQ(StatNormCd(0, &r), 0u);
  EXPECT_EQ(D(r.cd), 0.0);
  r.lower = R("-0.3"), r.upper = R("1.2");
  ASSERT_EQ(StatNormCd(0, &r), 0u);
  const double forward = D(r.cd);
  std::swap(r.lower, r.upper);
  ASSERT_EQ(StatNormCd(0, &r), 0u);
  EXPECT_EQ(D(r.cd), -forward);
  EXPECT_NEAR(D(r.zLow), 1.2, 1e-15);

  struct Inv {
    i32 tail;
    const char *area;
    double first, second;
  };
  const double e = 9.99e99;
  for (const Inv &c : {Inv{0, "1", e, -e}, Inv{-1, "0", -e, 0}, Inv{-1, "1", e, 0}, Inv{1, "1", -e, 0},
                       Inv{1, "0", e, 0}, Inv{0, "0", 2.5, 2.5}}) {
    StatNormRec n{};
    n.tail = c.tail, n.area = R(c.area), n.sigma = R("3"), n.mu = R("2.5");
    ASSERT_EQ(StatInvNorm(0, &n), 0u) << c.tail << " " << c.area;
    EXPECT_EQ(D(n.inv1), c.first) << c.tail << " " << c.area;
    if (c.tail == 0) {
      EXPECT_EQ(D(n.inv2), c.second);
    }
  }
  // A huge deviation keeps the sign of the sum at the limit.
  StatNormRec n{};
  n.tail = -1, n.area = R("0.05"), n.sigma = R("1e99"), n.mu = R("-9e99");
  ASSERT_EQ(StatInvNorm(0, &n), 0u);
  EXPECT_EQ(D(n.inv1), -e);
}

TEST(StatDist, RefusalsGiveTheirCodes) {
  struct Case {
    const char *name;
    std::vector<std::string> args;
    u32 code;
  };
  const Case cases[] = {
      {"normpd", {"1", "0", "0"}, 3},         {"normcd", {"0", "1", "-2", "0"}, 3},
      {"invnorm", {"-1", "1.01", "1", "0"}, 3}, {"tpd", {"1", "0"}, 3},
      {"chipd", {"1", "1.5"}, 3},             {"chicd", {"0", "1", "0"}, 3},
      {"fpd", {"1", "2.5", "3"}, 3},          {"fcd", {"0", "1", "3", "1e10"}, 3},
      {"binompd", {"2.5", "10", "0.5"}, 3},   {"binompd", {"2", "10", "1.2"}, 3},
      {"binomcd", {"2", "0", "0.5"}, 3},      {"poissonpd", {"2", "0"}, 3},
      {"poissoncd", {"1.5", "2"}, 3},         {"geopd", {"3", "-0.1"}, 3},
      {"geocd", {"0.5", "0.3"}, 3},
  };
  for (const Case &c : cases) EXPECT_EQ(Kernel(c.name, c.args).code, c.code) << c.name;
  // Accepted where a refusal might be expected.
  EXPECT_EQ(Kernel("tpd", {"1", "1.5"}).code, 0u);
  EXPECT_EQ(D(Kernel("binompd", {"0", "10", "0"}).value), 1.0);
  EXPECT_EQ(D(Kernel("poissonpd", {"95", "2.7"}).value), 0.0);
  // An error value in a field comes back as its own code.
  StatNormRec n{};
  n.x = R("1"), n.mu = R("0");
  RealMakeError(19, &n.sigma);
  EXPECT_EQ(StatNormPd(0, &n), 19u);
}

}  // namespace
