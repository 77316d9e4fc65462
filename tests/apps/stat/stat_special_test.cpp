// The statistical special functions against references computed outside
// this code (tools/gen_stat_special_refs.py, mpmath at 40 digits), their
// exact edge values, their refusals and how error values travel through them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "apps/stat/stat_special.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "tests/apps/finance/fin_test_util.h"

namespace {

using fintest::D;  // reals from text and back, shared with the financial tests
using fintest::R;

bool Same(const BcdReal &a, const BcdReal &b) { return std::memcmp(a.b, b.b, 9) == 0; }

BcdReal Err(u8 code) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  RealMakeError(code, &r);
  return r;
}

// Runs the named function on its text arguments.
BcdReal Call(const std::string &name, const std::vector<std::string> &a) {
  std::vector<BcdReal> v;
  for (const std::string &s : a) v.push_back(R(s));
  BcdReal out = R("12345"), other = R("12345");
  if (name == "erf") StatErfCore(&v[0], 0, &out);
  if (name == "erfc") StatErfc(&v[0], &out);
  if (name == "erfinv") StatErfInv(&v[0], &out);
  if (name == "lngamma") StatLnGamma(&v[0], &out);
  if (name == "gammap") StatGammaP(&v[0], &v[1], &out);
  if (name == "gammaq") StatGammaQ(&v[0], &v[1], &out);
  if (name == "lnbeta") StatLnBeta(&v[0], &v[1], &out);
  if (name == "lnbetahalf") StatLnBetaHalf(&v[0], &out);
  if (name == "betainc") {
    StatBetaInc(&v[0], &v[1], &v[2], &v[3], &out, &other);
    EXPECT_NEAR(D(out) + D(other), 1.0, 2e-14) << "complement of betainc";
  }
  if (name == "tlogkernel") StatTLogKernel(&v[0], &v[1], &out);
  if (name == "tupper") StatTUpper(&v[0], &v[1], &out);
  if (name == "tinvupper") StatTInvUpper(&v[0], &v[1], &out);
  return out;
}

TEST(StatSpecial, AgreeWithTheReferenceTable) {
  // Error allowed relative to max(1, |reference|) for the logarithms, and
  // relative to the reference for the probabilities and quantiles.
  // Error allowed relative to max(1, |reference|) for the logarithms, and
  // relative to the reference for the probabilities and quantiles. The
  // Lanczos sum and the cancellations of ln Gamma differences leave the last
  // two digits; the fractions stop at their own tolerance.
  const std::map<std::string, double> tol = {
      {"erf", 3e-14},         {"erfc", 3e-14},       {"erfinv", 1e-12},   {"lngamma", 5e-13},
      {"gammap", 3e-12},      {"gammaq", 3e-12},     {"lnbeta", 1e-12},   {"lnbetahalf", 1e-12},
      {"betainc", 1e-11},     {"tlogkernel", 1e-12}, {"tupper", 5e-11},   {"tinvupper", 1e-12}};
  const std::map<std::string, bool> absolute = {{"lngamma", true}, {"lnbeta", true}, {"lnbetahalf", true},
                                                {"tlogkernel", true}};
  std::string path = __FILE__;
  path = path.substr(0, path.rfind('/')) + "/../../data/stat_special_refs.txt";
  std::ifstream in(path);
  ASSERT_TRUE(in.good()) << path;
  std::map<std::string, double> worst;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string name, word;
    std::vector<std::string> args;
    s >> name;
    if (!tol.count(name)) continue;  // the distribution kernels' lines
    while (s >> word) args.push_back(word);
    const double want = std::stod(args.back());
    args.pop_back();
    const BcdReal got = Call(name, args);
    ASSERT_EQ(RealErrorCode(&got), 0) << line;
    if (std::fabs(want) < 1e-99) {  // below the range of the stored real
      EXPECT_EQ(D(got), 0.0) << line;
      continue;
    }
    double allowed = tol.at(name);
    // erf is flat far out: a last-digit change of y moves its inverse by
    // 1e-15 / erf'(x), which no method can avoid.
    if (name == "erfinv") allowed *= std::max(1.0, 1 / (std::fabs(want) * 2 / std::sqrt(M_PI) * std::exp(-want * want)));
    double scale = std::fabs(want);
    if (absolute.count(name) || scale == 0) scale = std::max(1.0, scale);
    const double err = std::fabs(D(got) - want) / scale;
    worst[name] = std::max(worst[name], err);
    EXPECT_LE(err, allowed) << line << " got " << D(got);
  }
  for (const auto &[name, err] : worst) std::printf("%-11s worst %.2e\n", name.c_str(), err);
}

TEST(StatSpecial, ErfIsExactAtTheFarEndsAndSymmetric) {
  struct Case {
    const char *x;
    const char *erf;
    const char *erfc;
  };
  for (const Case &c : {Case{"0", "0", "1"}, Case{"16", "1", "0"}, Case{"-16", "-1", "2"}, Case{"1e50", "1", "0"},
                        Case{"-75.5", "-1", "2"}}) {
    const BcdReal x = R(c.x);
    BcdReal e, ec;
    StatErfCore(&x, 0, &e);
    StatErfc(&x, &ec);
    EXPECT_TRUE(Same(e, R(c.erf))) << c.x << " erf " << D(e);
    EXPECT_TRUE(Same(ec, R(c.erfc))) << c.x << " erfc " << D(ec);
  }
  // erfc(-x) = 2 - erfc(x) on the digits from the second range on.
  for (const char *t : {"0.5", "1.25", "3.99", "4", "9.5"}) {
    const BcdReal x = R(t), nx = R(std::string("-") + t), two = R("2");
    BcdReal a, b, want;
    StatErfc(&x, &a);
    StatErfc(&nx, &b);
    RealSubMaru(&two, &a, &want);
    EXPECT_TRUE(Same(b, want)) << t;
  }
}

TEST(StatSpecial, ExactSpecialValues) {
  BcdReal out;
  const BcdReal zero = R("0"), half = R("0.5"), one = R("1"), neg = R("-2.5");
  StatErfInv(&zero, &out);
  EXPECT_EQ(D(out), 0.0);
  StatLnGamma(&neg, &out);
  EXPECT_TRUE(Same(out, R("-2147483648")));
  for (const char *n : {"1", "2", "7", "2.5", "600", "3e6"}) {
    const BcdReal nn = R(n);
    StatTUpper(&zero, &nn, &out);
    EXPECT_NEAR(D(out), 0.5, 1e-14) << n;
    StatTInvUpper(&half, &nn, &out);
    EXPECT_TRUE(Same(out, zero)) << n;
  }
  // One degree of freedom: the quantile is the closed form, with no Newton
  // step to move its last digit.
  for (const char *p : {"0.1", "0.025", "0.3"}) {
    const BcdReal pp = R(p);
    StatTInvUpper(&pp, &one, &out);
    EXPECT_NEAR(D(out), std::tan(M_PI * (1 - 2 * std::stod(p)) / 2), 1e-12 * D(out)) << p;
  }
  // ln B(1/2, 1/2) = ln pi.
  StatLnBeta(&half, &half, &out);
  EXPECT_NEAR(D(out), std::log(M_PI), 1e-14);
}

TEST(StatSpecial, BetaIncEndsAndRefusals) {
  struct Case {
    const char *a, *b, *x, *y;
    int code;  // 0: result expected in out / complement
    const char *out, *comp;
  };
  const Case cases[] = {
      {"2", "3", "0", "1", 0, "0", "1"},         {"2", "3", "1", "0", 0, "1", "0"},
      {"0", "3", "0.4", "0.6", 0, "1", "0"},     {"2", "0", "0.4", "0.6", 0, "0", "1"},
      {"-1", "3", "0.4", "0.6", 3, "", ""},      {"2", "-0.5", "0.4", "0.6", 3, "", ""},
      {"0", "0", "0.4", "0.6", 3, "", ""},       {"2", "3", "-0.1", "1.1", 3, "", ""},
      {"2", "3", "0.4", "0.6000000000002", 3, "", ""}, {"0", "3", "0", "1", 3, "", ""},
      {"2", "0", "1", "0", 3, "", ""},            {"2", "3", "0.4", "0.6000000000001", 0, "0.5248", "0.4752"},
  };
  for (const Case &c : cases) {
    const BcdReal a = R(c.a), b = R(c.b), x = R(c.x), y = R(c.y), marker = R("777");
    BcdReal out, comp = marker;
    StatBetaInc(&a, &b, &x, &y, &out, &comp);
    const std::string at = std::string(c.a) + " " + c.b + " " + c.x + " " + c.y;
    if (c.code) {
      EXPECT_EQ(RealErrorCode(&out), c.code) << at;
      EXPECT_TRUE(Same(comp, marker)) << at << ": complement written on a refusal";
    } else {
      EXPECT_NEAR(D(out), std::stod(c.out), 1e-12) << at;
      EXPECT_NEAR(D(comp), std::stod(c.comp), 1e-12) << at;
    }
  }
}

TEST(StatSpecial, ErrorValuesTravelToTheResult) {
  const BcdReal e = Err(19), one = R("1"), half = R("0.5"), p = R("0.1");
  BcdReal out, comp;
  auto check = [&](const char *what) { EXPECT_EQ(RealErrorCode(&out), 19) << what; };
  StatErfCore(&e, 0, &out), check("erf");
  StatErfc(&e, &out), check("erfc");
  StatErfInv(&e, &out), check("erfinv");
  StatLnGamma(&e, &out), check("lngamma");
  StatGammaP(&one, &e, &out), check("gammap");
  StatGammaQ(&e, &one, &out), check("gammaq");
  StatLnBeta(&half, &e, &out), check("lnbeta");
  StatLnBetaHalf(&e, &out), check("lnbetahalf");
  StatBetaInc(&one, &one, &half, &e, &out, &comp), check("betainc");
  StatTLogKernel(&e, &one, &out), check("tlogkernel");
  StatTUpper(&one, &e, &out), check("tupper");
  StatTInvUpper(&p, &e, &out), check("tinvupper");
  // Outside the domain the core's own error comes out, never a number.
  for (const char *y : {"1", "-1", "1.5"}) {
    const BcdReal yy = R(y);
    StatErfInv(&yy, &out);
    EXPECT_NE(RealErrorCode(&out), 0) << y;
  }
  const BcdReal zero = R("0"), three = R("3");
  StatTInvUpper(&zero, &three, &out);
  EXPECT_NE(RealErrorCode(&out), 0);
  StatLnGamma(&zero, &out);
  EXPECT_NE(RealErrorCode(&out), 0);
}

}  // namespace
