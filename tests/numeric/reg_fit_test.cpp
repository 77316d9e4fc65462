#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "array_testutil.h"
#include "kernel/heap.h"
#include "numeric/reg_fit.h"
#include "ui/setup.h"

using arrtest::List;
using arrtest::Show;

namespace {

std::string DataPath(const char *name) {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../data/" + name;
}

// Runs a fit by its short name; freq may be empty (no frequency list).
int Fit(const std::string &kind, const Value *x, const Value *y, const Value *f, Value *out) {
  if (kind == "lin") return RegPolynomialFit(x, y, f, 1, out);
  if (kind == "quad") return RegPolynomialFit(x, y, f, 2, out);
  if (kind == "cubic") return RegPolynomialFit(x, y, f, 3, out);
  if (kind == "quart") return RegPolynomialFit(x, y, f, 4, out);
  if (kind == "log") return RegLogFit(x, y, f, out);
  if (kind == "exp") return RegExpFit(x, y, f, out);
  if (kind == "pow") return RegPowerFit(x, y, f, out);
  return RegMedMedFit(x, y, f, out);
}

int Model(const std::string &kind) {
  const std::map<std::string, int> codes = {{"lin", 9}, {"quad", 11}, {"cubic", 12}, {"quart", 13},
                                            {"log", 14}, {"exp", 15}, {"pow", 16}};
  return codes.at(kind);
}

// The elements of a result that the reference lists: the coefficients, and
// r and r² for the fits that give them.
std::vector<u32> Checked(const std::string &kind) {
  if (kind == "quad") return {0, 1, 2};
  if (kind == "cubic") return {0, 1, 2, 3};
  if (kind == "quart") return {0, 1, 2, 3, 4};
  if (kind == "med") return {0, 1, 2, 3, 4, 5, 6, 7};
  return {0, 1, 5, 6};
}

long double Num(const std::string &t) { return std::strtold(t.c_str(), nullptr); }

std::vector<std::string> Elems(const Value &list) {
  std::string s = Show(list);
  std::vector<std::string> out;
  if (s.size() < 2 || s.front() != '{') return out;
  std::stringstream ss(s.substr(1, s.size() - 2));
  std::string t;
  while (std::getline(ss, t, ',')) out.push_back(t);
  return out;
}

// Each fit against coefficients computed exactly or at 50 digits
// (tools/gen_regfit_refs.py), on random data with and without frequencies.
// The error is measured against the size of the largest coefficient of the
// row, since a small coefficient of a polynomial carries the rounding of the
// large ones.
TEST(RegFit, AgreesWithReferences) {
  MemFreeAll();
  std::ifstream in(DataPath("reg_fit_refs.txt"));
  ASSERT_TRUE(in.good());
  const std::map<std::string, long double> tolerance = {
      {"lin", 1e-12L}, {"log", 1e-11L}, {"exp", 1e-11L}, {"pow", 1e-11L},
      {"med", 5e-14L}, {"quad", 1e-10L}, {"cubic", 1e-10L}, {"quart", 1e-9L}};
  std::map<std::string, long double> worst;
  std::string line;
  while (std::getline(in, line)) {
    std::stringstream ss(line);
    std::string kind, tok;
    ss >> kind >> tok;
    std::vector<std::string> part[4];
    for (int p = 0; p < 3; ++p) {
      while (ss >> tok && tok != ";") part[p].push_back(tok);
    }
    std::vector<std::string> measures;
    while (ss >> tok && tok != "|") part[3].push_back(tok);
    while (ss >> tok) measures.push_back(tok);
    const bool hasFreq = part[2].size() != 1 || part[2][0] != "-";
    Value x = List(part[0]), y = List(part[1]), f = hasFreq ? List(part[2]) : Value{}, out;
    const u32 before = arrtest::BlocksInUse();
    ASSERT_EQ(Fit(kind, &x, &y, hasFreq ? &f : nullptr, &out), 1) << line.substr(0, 60) << " " << Show(out);
    const std::vector<std::string> got = Elems(out);
    const std::vector<u32> idx = Checked(kind);
    ASSERT_EQ(idx.size(), part[3].size()) << kind;
    long double scale = 1;
    for (const std::string &w : part[3]) scale = std::max(scale, std::fabs(Num(w)));
    if (kind == "med" || kind == "lin" || kind == "log" || kind == "exp" || kind == "pow") scale = 1;
    for (size_t i = 0; i < idx.size(); ++i) {
      const long double w = Num(part[3][i]), g = Num(got.at(idx[i]));
      const long double err = std::fabs(g - w) / (kind == "quad" || kind == "cubic" || kind == "quart" ? scale : std::max(1.0L, std::fabs(w)));
      worst[kind] = std::max(worst[kind], err);
      EXPECT_LE(err, tolerance.at(kind)) << kind << " element " << idx[i] << " got " << got.at(idx[i]) << " want " << part[3][i];
    }
    if (!measures.empty()) {
      BcdReal mse, r2;
      ASSERT_EQ(RegFitMeasuresOf(Model(kind), &x, &y, hasFreq ? &f : nullptr, &out, 1, &mse, &r2), 0);
      const std::string got2[2] = {numtest::Show(mse), numtest::Show(r2)};
      for (int i = 0; i < 2; ++i) {
        if (measures[i] == "-") {
          EXPECT_EQ(got2[i], i == 0 ? "E3" : "0") << kind;
          continue;
        }
        const long double w = Num(measures[i]), err = std::fabs(Num(got2[i]) - w) / std::max(1.0L, std::fabs(w));
        worst[kind + (i == 0 ? " MSe" : " r2")] = std::max(worst[kind + (i == 0 ? " MSe" : " r2")], err);
        EXPECT_LE(err, 1e-12L) << kind << (i == 0 ? " MSe" : " r2") << " got " << got2[i] << " want " << measures[i];
      }
    }
    ValFreeTemp(&out);
    EXPECT_EQ(arrtest::BlocksInUse(), before) << "work blocks left behind by " << kind;
    arrtest::Drop(&x);
    arrtest::Drop(&y);
    if (hasFreq) arrtest::Drop(&f);
  }
  for (const auto &[k, e] : worst) std::printf("worst relative error %s: %.3Lg\n", k.c_str(), e);
}

// Fits of small data sets whose results are known exactly, and the failures:
// each row gives the result list or the error code left in out.
TEST(RegFit, SmallSetsAndFailures) {
  MemFreeAll();
  struct Case {
    std::string kind;
    std::vector<std::string> x, y, f;  // f {"none"}: no frequency list
    std::string want;
  } cases[] = {
      // Two points: r is ±1 by the slope's sign and r² is 1.
      {"lin", {"1", "3"}, {"5", "1"}, {"none"}, "1 {-2,7,0,0,0,-1,1}"},
      {"lin", {"0", "2"}, {"0", "1"}, {"none"}, "1 {0.5,0,0,0,0,1,1}"},
      {"lin", {"1", "2", "3"}, {"2", "4", "6"}, {"none"}, "1 {2,0,0,0,0,1,1}"},
      // Weights count as repeated points.
      {"lin", {"1", "2", "3"}, {"1", "2", "4"}, {"1", "0", "1"}, "1 {1.5,-0.5,0,0,0,1,1}"},
      {"lin", {"1", "1", "1"}, {"1", "2", "3"}, {"none"}, "0 E3"},
      {"lin", {"1", "2"}, {"1"}, {"none"}, "0 E9"},
      {"lin", {"1", "2"}, {"1", "2"}, {"1"}, "0 E9"},
      // A polynomial through as many points as it has coefficients.
      {"quad", {"-1", "0", "2"}, {"6", "1", "3"}, {"none"}, "1 {2,-3,1,0,0,0,0}"},
      {"quad", {"1", "2"}, {"1", "4"}, {"none"}, "0 E3"},
      {"cubic", {"0", "1", "2", "3"}, {"1", "2", "9", "28"}, {"none"}, "1 {1,0,0,1,0,0,0}"},
      {"quart", {"1", "2", "3", "4"}, {"1", "2", "3", "4"}, {"none"}, "0 E3"},
      {"quad", {"1", "2", "3"}, {"1", "2"}, {"none"}, "0 E9"},
      // Med-Med: three points, one per group; the same list as x and y.
      {"med", {"1", "2", "3"}, {"1", "5", "3"}, {"none"}, "1 {1,1,1,1,2,5,3,3}"},
      {"med", {"1", "2", "3", "4", "5", "6"}, {"1", "2", "3", "4", "5", "6"}, {"none"}, "1 {1,0,1.5,1.5,3.5,3.5,5.5,5.5}"},
      // Equal x values stay in one group: the tie of 2s at the left
      // boundary has as many points on either side and goes to the outer
      // group, as it does when given as one point of frequency 2.
      {"med", {"1", "2", "2", "3", "4", "5", "6"}, {"1", "2", "2", "3", "4", "5", "6"}, {"none"}, "1 {1,0,2,2,3.5,3.5,5.5,5.5}"},
      {"med", {"6", "2", "3", "4", "5", "1"}, {"6", "2", "3", "4", "5", "1"}, {"1", "2", "1", "1", "1", "1"}, "1 {1,0,2,2,3.5,3.5,5.5,5.5}"},
      {"med", {"4", "4", "4", "4"}, {"1", "2", "3", "4"}, {"none"}, "0 E3"},
      {"med", {"1", "2"}, {"1", "2"}, {"none"}, "0 E3"},
      // Frequencies: a point of frequency 0 is left out; weights act as
      // repeated points; frequencies must be whole numbers 0..65535.
      {"med", {"1", "2", "3", "9"}, {"1", "5", "3", "100"}, {"1", "1", "1", "0"}, "1 {1,1,1,1,2,5,3,3}"},
      {"med", {"1", "2", "3"}, {"1", "5", "3"}, {"2", "2", "2"}, "1 {1,1,1,1,2,5,3,3}"},
      {"med", {"1", "2", "3", "4"}, {"1", "2", "3", "4"}, {"1", "0", "0", "1"}, "0 E3"},
      {"med", {"1", "2", "3"}, {"1", "5", "3"}, {"1", "2.5", "1"}, "0 E3"},
      {"med", {"1", "2", "3"}, {"1", "5", "3"}, {"1", "-1", "1"}, "0 E3"},
      {"med", {"1", "2", "3"}, {"1", "5", "3"}, {"1", "70000", "1"}, "0 E3"},
      {"med", {"1", "2", "3|1"}, {"1", "5", "3"}, {"none"}, "0 E25"},
      // Transformed fits: exact models, logarithms of 0, complex lists.
      // ln 2 = 0.6931471805599453 to 3·10^-15, the rounding of ln 6 and ln 12.
      {"exp", {"0", "1", "2"}, {"3", "6", "12"}, {"none"}, "1 {3,0.693147180559947,0,0,0,1,1}"},
      {"pow", {"1", "2", "4"}, {"5", "20", "80"}, {"none"}, "1 {5,2,0,0,0,1,1}"},
      {"log", {"1", "2.718281828459045"}, {"3", "5"}, {"none"}, "1 {3,2,0,0,0,1,1}"},
      {"exp", {"1", "2"}, {"0", "2"}, {"none"}, "0 E3"},
      {"log", {"0", "2"}, {"1", "2"}, {"none"}, "0 E3"},
      {"pow", {"1", "2"}, {"1", "-2"}, {"none"}, "0 E3"},
      {"log", {"5"}, {"1"}, {"none"}, "0 E3"},
      {"pow", {"1", "2"}, {"1|1", "2"}, {"none"}, "0 E25"},
      {"exp", {"1", "2"}, {"1", "2"}, {"1", "1", "1"}, "0 E9"},
      // A negative frequency is refused by every least-squares fit.
      {"lin", {"1", "2", "3"}, {"1", "2", "4"}, {"1", "-1", "1"}, "0 E3"},
      {"quad", {"1", "2", "3", "4"}, {"1", "2", "4", "3"}, {"1", "1", "-2", "1"}, "0 E3"},
      {"log", {"1", "2", "3"}, {"1", "2", "4"}, {"-1", "1", "1"}, "0 E3"},
      {"exp", {"1", "2", "3"}, {"1", "2", "4"}, {"1", "1", "-0.5"}, "0 E3"},
      {"pow", {"1", "2", "3"}, {"1", "2", "4"}, {"1", "-3", "1"}, "0 E3"},
      {"quad", {"1", "2", "3|1"}, {"1", "2", "4"}, {"none"}, "0 E25"},
  };
  for (const Case &c : cases) {
    const bool hasFreq = c.f.size() != 1 || c.f[0] != "none";
    Value x = List(c.x), y = List(c.y), f = hasFreq ? List(c.f) : Value{}, out;
    const u32 before = arrtest::BlocksInUse();
    const int ok = Fit(c.kind, &x, &y, hasFreq ? &f : nullptr, &out);
    std::string got = std::to_string(ok) + " " + Show(out);
    EXPECT_EQ(got, c.want) << c.kind << " " << Show(x) << " " << Show(y);
    if (ok) ValFreeTemp(&out);
    EXPECT_EQ(arrtest::BlocksInUse(), before) << c.kind << " " << Show(x);
    arrtest::Drop(&x);
    arrtest::Drop(&y);
    if (hasFreq) arrtest::Drop(&f);
  }
}

// Measures of given coefficients: each row gives MSe and r² as texts.
TEST(RegFit, FitMeasures) {
  MemFreeAll();
  struct Case {
    int model;
    u16 angle;
    std::vector<std::string> x, y, f, coef;  // f {"none"}: no frequency list
    std::string want;
  } cases[] = {
      // Two points leave no degree of freedom.
      {9, 1, {"1", "3"}, {"5", "1"}, {"none"}, {"-2", "7"}, "E3 0"},
      // Residuals 1, -1, 1: SSE 3 over 3 - 2.
      {9, 1, {"0", "1", "2"}, {"1", "0", "3"}, {"none"}, {"1", "0"}, "3 0"},
      // Four points for a parabola: MSe = SSE / 1, r² = 1 - 1 / 44.75.
      {11, 1, {"0", "1", "2", "3"}, {"0", "2", "4", "9"}, {"none"}, {"1", "0", "0"}, "1 0.977653631284916"},
      // An exact fit.
      {12, 1, {"0", "1", "2", "3", "4"}, {"1", "2", "9", "28", "65"}, {"none"}, {"1", "0", "0", "1"}, "0 1"},
      // Weights: a point of weight 2 counts twice; a negative weight spoils
      // both measures; r² below 0 is refused.
      {9, 1, {"0", "1", "2"}, {"1", "0", "3"}, {"1", "1", "2"}, {"1", "0"}, "2 0"},
      {11, 1, {"0", "1", "2", "3"}, {"0", "2", "4", "9"}, {"1", "-1", "1", "1"}, {"1", "0", "0"}, "E3 E3"},
      {11, 1, {"0", "1", "2", "3"}, {"0", "1", "0", "1"}, {"none"}, {"5", "0", "0"}, "E3"},
      // The sine model in degrees and in radians: the same residuals.
      {17, 0, {"0", "90", "180"}, {"0", "2", "1"}, {"none"}, {"2", "1", "0", "0"}, "1 E3"},
      {17, 1, {"0", "1.570796326794897", "3.141592653589793"}, {"0", "2", "1"}, {"none"}, {"2", "1", "0", "0"}, "1 E3"},
      {17, 2, {"0", "100", "200"}, {"0", "2", "1"}, {"none"}, {"2", "1", "0", "0"}, "1 E3"},
      // Logistic: y = 4 / (1 + e^-x) exactly at x = 0.
      {18, 1, {"0", "0", "0"}, {"2", "2", "3"}, {"none"}, {"1", "1", "4"}, "1 E3"},
      // Exponential residuals in logarithms: ln 1 - ln 1, ...
      {15, 1, {"0", "1", "2"}, {"1", "1", "1"}, {"none"}, {"1", "0"}, "0 0"},
  };
  for (const Case &c : cases) {
    const bool hasFreq = c.f.size() != 1 || c.f[0] != "none";
    Value x = List(c.x), y = List(c.y), f = hasFreq ? List(c.f) : Value{}, k = List(c.coef);
    BcdReal mse, r2;
    EXPECT_EQ(RegFitMeasuresOf(c.model, &x, &y, hasFreq ? &f : nullptr, &k, c.angle, &mse, &r2), 0);
    const std::string got = numtest::Show(mse) + " " + numtest::Show(r2);
    if (c.want.find(' ') == std::string::npos) {
      EXPECT_EQ(numtest::Show(r2), c.want) << c.model << " " << Show(y);
    } else {
      EXPECT_EQ(got, c.want) << c.model << " " << Show(y);
    }
    for (Value *v : {&x, &y, &k}) arrtest::Drop(v);
    if (hasFreq) arrtest::Drop(&f);
  }
  Value x = List({}), y = List({}), k = List({"1", "2"});
  BcdReal mse, r2;
  EXPECT_EQ(RegFitMeasuresOf(9, &x, &y, nullptr, &k, 1, &mse, &r2), 9);
  for (Value *v : {&x, &y, &k}) arrtest::Drop(v);
}

TEST(RegFit, PowersAndRange) {
  MemFreeAll();
  const char *powers[] = {"-1.5", "2.25", "-3.375", "5.0625", "-7.59375", "11.390625", "-17.0859375", "25.62890625"};
  for (int k = 1; k <= 8; ++k) {
    BcdReal x = numtest::V("-1.5").re, out;
    EXPECT_EQ(RegPowerInt(&x, k, &out), 1);
    EXPECT_EQ(numtest::Show(out), powers[k - 1]) << k;
    EXPECT_EQ(RegPowerInt(&x, k, &x), 1);  // in place
    EXPECT_EQ(numtest::Show(x), powers[k - 1]) << k;
  }
  BcdReal x = numtest::V("3").re, out;
  EXPECT_EQ(RegPowerInt(&x, 9, &out), 0);
  EXPECT_EQ(numtest::Show(out), "3");
  EXPECT_EQ(RegPowerInt(&x, 0, &out), 0);

  BcdReal lo, hi;
  Value l = List({"4", "-2.5", "9", "0"});
  EXPECT_EQ(RegListMinMax(&l, &lo, &hi), 1);
  EXPECT_EQ(numtest::Show(lo) + " " + numtest::Show(hi), "-2.5 9");
  arrtest::Drop(&l);
  // A complex list is refused with its error in both outputs.
  l = List({"1|2", "3"});
  RealSetOne(&lo);
  RealSetOne(&hi);
  EXPECT_EQ(RegListMinMax(&l, &lo, &hi), 0);
  EXPECT_EQ(numtest::Show(lo) + " " + numtest::Show(hi), "E25 E25");
  arrtest::Drop(&l);
}

TEST(RegFit, MedMedTiesAndMedians) {
  // Sorted data with a block of equal values at indices 2..4.
  std::vector<BcdReal> d;
  for (const char *t : {"1", "2", "5", "5", "5", "8"}) d.push_back(numtest::V(t).re);
  const u32 f[] = {1, 2, 3, 1, 2, 4};
  EXPECT_EQ(RegMedMedTieBack(d.data(), 3), 1);
  EXPECT_EQ(RegMedMedTieForward(d.data(), 6, 3), 5);
  EXPECT_EQ(RegMedMedTieBack(d.data(), 0), -1);
  EXPECT_EQ(RegMedMedTieForward(d.data(), 6, 5), 6);
  u32 count = 0;
  EXPECT_EQ(RegMedMedTieBackFreq(d.data(), f, 4, &count), 1);
  EXPECT_EQ(count, 4u);
  count = 0;
  EXPECT_EQ(RegMedMedTieForwardFreq(d.data(), f, 6, 2, &count), 5);
  EXPECT_EQ(count, 3u);
  struct Median {
    int lo, hi;
    bool weighted;
    std::string want;
  } medians[] = {
      {0, 6, false, "5"}, {0, 5, false, "5"}, {0, 2, false, "1.5"}, {5, 6, false, "8"},
      // Weights 1,2,3,1,2,4 (13 units): the 7th unit is the third 5.
      {0, 6, true, "5"},
      // Weights 1,2 (3 units): the 2nd unit is 2; weights 2,3,1,2 (8):
      // units 4 and 5 are both 5.
      {0, 2, true, "2"}, {1, 5, true, "5"},
      // Weights 1,2,3 (6 units): units 3 and 4 are 2 and 5.
      {0, 3, true, "3.5"},
  };
  for (const Median &m : medians) {
    BcdReal out;
    const int ok = m.weighted ? RegMedMedGroupMedianFreq(d.data(), f, m.lo, m.hi, &out)
                              : RegMedMedGroupMedian(d.data(), m.lo, m.hi, &out);
    EXPECT_EQ(std::to_string(ok) + " " + numtest::Show(out), "1 " + m.want) << m.lo << ".." << m.hi << " " << m.weighted;
  }
}

}  // namespace

namespace {

std::vector<std::string> Seq(int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(std::to_string(i));
  return v;
}

// The elements of a fit as numbers; empty when it failed.
std::vector<long double> Coefs(int ok, const Value &out) {
  std::vector<long double> v;
  if (!ok) return v;
  for (const std::string &t : Elems(out)) v.push_back(Num(t));
  return v;
}

testing::AssertionResult Near(long double got, long double want, long double rel) {
  const long double err = std::fabs(got - want) / std::max(1e-300L, std::fabs(want));
  if (err <= rel) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got " << static_cast<double>(got) << " want " << static_cast<double>(want);
}

}  // namespace

// The sine fit on the seasonal table (6 digits), in radians and degrees, on
// exact data, and its failures; every work block is given back.
TEST(RegFit, SineFit) {
  MemFreeAll();
  const u8 angle = SetupGetItem(kSetupAngle);
  struct Case {
    u8 angle;
    std::vector<std::string> x, y;
    std::vector<long double> want;  // a b c d, empty: an error
    std::string error;
  } cases[] = {
      {1, Seq(1, 12), {"58", "62", "70", "77", "83", "85", "83", "77", "70", "62", "58", "56"},
       {14.3423L, 0.543651L, -1.69163L, 70.5981L}, ""},
      {0, Seq(1, 12), {"58", "62", "70", "77", "83", "85", "83", "77", "70", "62", "58", "56"},
       {14.3423L, 31.1489L, -96.9234L, 70.5981L}, ""},
      // y = 2 sin(0.5x + 1) + 3 at x = 1..12, to the root search's tolerance.
      {1, Seq(1, 12),
       {"4.99498997320811", "4.81859485365136", "4.19694428820791", "3.28224001611973", "2.29843354462076",
        "1.48639500938414", "1.04493976466981", "1.08215145067372", "1.58891934885922", "2.44116900360215",
        "3.43023997617563", "4.31397319743758"},
       {2, 0.5L, 1, 3}, ""},
      {1, {"1", "2", "2", "3"}, {"1", "2", "3", "4"}, {}, "E3"},
      {1, {"1", "2", "3"}, {"1", "2", "3"}, {}, "E3"},
      {1, {"1", "2", "3", "4"}, {"1", "2", "3"}, {}, "E9"},
      {1, {"1", "2", "3", "4|1"}, {"1", "2", "3", "4"}, {}, "E25"},
  };
  for (const Case &c : cases) {
    SetupSetItem(kSetupAngle, c.angle);
    Value x = List(c.x), y = List(c.y), out;
    const u32 before = arrtest::BlocksInUse();
    const int ok = RegSinFit(&x, &y, &out);
    if (c.want.empty()) {
      EXPECT_EQ(std::to_string(ok) + " " + Show(out), "0 " + c.error) << Show(x);
    } else {
      const std::vector<long double> got = Coefs(ok, out);
      ASSERT_EQ(got.size(), 4u) << Show(out);
      for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(got[i], c.want[i], 5e-6L)) << "element " << i << " " << Show(x);
      ValFreeTemp(&out);
    }
    EXPECT_EQ(arrtest::BlocksInUse(), before);
    arrtest::Drop(&x);
    arrtest::Drop(&y);
  }
  // The walk and the root search are bounded: each bound reached is Ma ERROR.
  SetupSetItem(kSetupAngle, 1);
  Value x = List(Seq(1, 12)), y = List({"58", "62", "70", "77", "83", "85", "83", "77", "70", "62", "58", "56"}), out;
  EXPECT_EQ(RegSinFitCapped(&x, &y, &out, 0, kRegSinBrentLimit), 0);
  EXPECT_EQ(Show(out), "E3");
  EXPECT_EQ(RegSinFitCapped(&x, &y, &out, kRegSinWalkLimit, 0), 0);
  EXPECT_EQ(Show(out), "E3");
  arrtest::Drop(&x);
  arrtest::Drop(&y);
  SetupSetItem(kSetupAngle, angle);
}

// The logistic fit: the growth table (6 digits), exact data and the
// failures.
TEST(RegFit, LogisticFit) {
  MemFreeAll();
  struct Case {
    std::vector<std::string> x, y;
    std::vector<long double> want;  // a b c, empty: an error
    std::string error;
  } cases[] = {
      {Seq(1, 10), {"4", "7", "12", "21", "33", "46", "57", "64", "68", "70"}, {42.5068L, 0.716387L, 72.6051L}, ""},
      // y = 10 / (1 + 20 e^-x) at x = 0..10.
      {Seq(0, 10),
       {"0.476190476190476", "1.19651734624309", "2.69781334276034", "5.01066929992126", "7.31896836702868",
        "8.81244434184514", "9.5276655648515", "9.82089014777111", "9.93335461513836", "9.97537880910955",
        "9.99092825118269"},
       {20, 1, 10}, ""},
      {{"1", "1", "2"}, {"1", "2", "3"}, {}, "E3"},
      {{"1", "2"}, {"1", "2"}, {}, "E3"},
      {{"1", "2", "3"}, {"1", "2"}, {}, "E9"},
  };
  for (const Case &c : cases) {
    Value x = List(c.x), y = List(c.y), out;
    const u32 before = arrtest::BlocksInUse();
    const int ok = RegLogisticFit(&x, &y, &out);
    if (c.want.empty()) {
      EXPECT_EQ(std::to_string(ok) + " " + Show(out), "0 " + c.error) << Show(x);
    } else {
      const std::vector<long double> got = Coefs(ok, out);
      ASSERT_EQ(got.size(), 7u) << Show(out);
      for (int i = 0; i < 3; ++i) EXPECT_TRUE(Near(got[i], c.want[i], 5e-6L)) << "element " << i << " " << Show(x);
      // Element 4 is the residual sum of the coefficients given back, not
      // of a trial the search turned down.
      long double sse = 0;
      for (size_t i = 0; i < c.x.size(); ++i) {
        const long double f = got[2] / (1 + got[0] * std::exp(-got[1] * Num(c.x[i]))) - Num(c.y[i]);
        sse += f * f;
      }
      EXPECT_NEAR(static_cast<double>(got[4]), static_cast<double>(sse), 1e-9 + 1e-9 * static_cast<double>(sse));
      ValFreeTemp(&out);
    }
    EXPECT_EQ(arrtest::BlocksInUse(), before);
    arrtest::Drop(&x);
    arrtest::Drop(&y);
  }
}
