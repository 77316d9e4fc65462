// G-Solve keyed as a user: roots, extrema, intercepts, intersections, Y-CAL,
// X-CAL and the integral, each result and the next ones with RIGHT, against
// values computed at 30 digits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/system/graph_testapp.h"

namespace {

using gapp::kSel;
using gapp::kY;
using gapp::MiniCell;

const std::string kRoot = "F5 F1", kMax = "F5 F2", kMin = "F5 F3", kYIcpt = "F5 F4", kIsect = "F5 F5";
const std::string kYCal = "F5 F6 F1", kXCal = "F5 F6 F2", kIntegral = "F5 F6 F3";

// Within 1E-12 relative (or exactly "0" for an exact zero).
testing::AssertionResult Close(const std::string &got, const char *want) {
  const double g = std::strtod(got.c_str(), nullptr), w = std::strtod(want, nullptr);
  if (got.empty()) return testing::AssertionFailure() << "nothing noted, want " << want;
  if (w == 0.0 ? got == "0" : std::fabs(g - w) <= 1e-12 * std::fabs(w)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << got << " is not " << want;
}

struct RootCase {
  const char *name;
  std::vector<gapp::Func> funcs;
  std::string keys;                 // the solve
  std::vector<const char *> xs;     // X of the first result and after each RIGHT
};

void PrintTo(const RootCase &c, std::ostream *os) { *os << c.name; }

class RootTable : public gapp::GraphScreenTest, public testing::WithParamInterface<RootCase> {};

// Each result in its own run: the solve, RIGHT k times, EXIT; X holds it.
TEST_P(RootTable, Results) {
  const RootCase &c = GetParam();
  Open(c.funcs);
  for (size_t k = 0; k < c.xs.size(); ++k) {
    std::string keys = c.keys;
    for (size_t i = 0; i < k; ++i) keys += " RIGHT";
    ASSERT_TRUE(CalcPress(keys));
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_TRUE(Close(gapp::Last().x, c.xs[k])) << "result " << k;
    ASSERT_TRUE(CalcPress("EXE"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Graph, RootTable,
    testing::Values(RootCase{"SquareMinusTwo", {{kY, kSel, 2, "X^2-2"}}, kRoot, {"-1.41421356237310", "1.41421356237310"}},
                    RootCase{"Cubic",
                             {{kY, kSel, 2, "X^3-3X+1"}},
                             kRoot,
                             {"-1.87938524157182", "0.347296355333861", "1.53208888623796"}},
                    RootCase{"Sine",
                             {{kY, kSel, 2, "{sin}X"}},
                             kRoot,
                             {"-6.28318530717959", "-3.14159265358979", "0", "3.14159265358979", "6.28318530717959",
                              "6.28318530717959"}},
                    RootCase{"XCal", {{kY, kSel, 2, "X^2-2X-3"}}, kXCal + " 5 EXE", {"-2", "4"}}),
    [](const testing::TestParamInfo<RootCase> &i) { return std::string(i.param.name); });

using SolveScreen = gapp::GraphScreenTest;

TEST_F(SolveScreen, MaximaOfSine) {
  Open({{kY, kSel, 2, "{sin}X"}});
  ASSERT_TRUE(CalcPress(kMax));
  EXPECT_EQ(MiniCell(1, 8), "X=-4.71238898");
  EXPECT_EQ(MiniCell(17, 8), "Y=1");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=1.570796327");
  EXPECT_EQ(MiniCell(17, 8), "Y=1");
}

TEST_F(SolveScreen, ParabolaMinInterceptAndValues) {
  Open({{kY, kSel, 2, "X^2-2X-3"}});
  ASSERT_TRUE(CalcPress(kMin));
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  EXPECT_EQ(MiniCell(17, 8), "Y=-4");
  ASSERT_TRUE(CalcPress("EXIT EXE " + kYIcpt));
  EXPECT_EQ(MiniCell(1, 8), "X=0");  // the cursor at (0, -3) covers the Y read-out
  ASSERT_TRUE(CalcPress("EXIT EXE " + kYCal));
  EXPECT_TRUE(CalcScreenHas("Enter X-Value")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("2 . 5 EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=2.5");
  EXPECT_EQ(MiniCell(17, 8), "Y=-1.75");
}

TEST_F(SolveScreen, Intersections) {
  Open({{kY, kSel, 2, "{sin}X"}, {kY, kSel, 2, "{cos}X"}});
  ASSERT_TRUE(CalcPress(kIsect));
  EXPECT_EQ(MiniCell(1, 8), "X=-5.497787144");
  EXPECT_EQ(MiniCell(17, 8), "Y=0.7071067812");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=-2.35619449");
  EXPECT_EQ(MiniCell(17, 8), "Y=-0.7071067812");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=0.7853981634");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=3.926990817");
  ASSERT_TRUE(CalcPress("RIGHT"));  // none further: the result stays
  EXPECT_EQ(MiniCell(1, 8), "X=3.926990817");
}

TEST_F(SolveScreen, IntersectionOfParabolaAndLine) {
  Open({{kY, kSel, 2, "X^2-2"}, {kY, kSel, 2, "X"}});
  ASSERT_TRUE(CalcPress(kIsect));
  EXPECT_EQ(MiniCell(1, 8), "X=-1");
  EXPECT_EQ(MiniCell(17, 8), "Y=-1");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=2");
  EXPECT_EQ(MiniCell(17, 8), "Y=2");
}

TEST_F(SolveScreen, Integrals) {
  Open({{kY, kSel, 2, "X^2"}});
  ASSERT_TRUE(CalcPress(kIntegral + " (-) 1 EXE 2 EXE"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(gapp::Last().readout, "3");
  // Bounds the other way round give the same integral.
  ASSERT_TRUE(CalcPress("EXE " + kIntegral + " 2 EXE (-) 1 EXE"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(gapp::Last().readout, "3");
}

TEST_F(SolveScreen, IntegralOfReciprocal) {
  Open({{kY, kSel, 2, "1/X"}});
  ASSERT_TRUE(CalcPress(kIntegral + " 1 EXE 2 EXE"));
  EXPECT_EQ(gapp::MiniText(0, 50, 64), "LOWER=1");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(Close(gapp::Last().readout, "0.693147180559945"));
}

struct NotFoundCase {
  const char *name;
  std::vector<gapp::Func> funcs;
  std::string keys;
  bool box;  // Not Found shown (else the solve returns at once)
};

void PrintTo(const NotFoundCase &c, std::ostream *os) { *os << c.name; }

class NotFoundTable : public gapp::GraphScreenTest, public testing::WithParamInterface<NotFoundCase> {};

TEST_P(NotFoundTable, Refused) {
  const NotFoundCase &c = GetParam();
  Open(c.funcs);
  ASSERT_TRUE(CalcPress(c.keys));
  EXPECT_EQ(CalcScreenHas("Not Found"), c.box) << CalcScreenText();
  if (c.box) {
    ASSERT_TRUE(CalcPress("EXIT"));
  }
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(gapp::Last().result, kGraphExitExit);
}

INSTANTIATE_TEST_SUITE_P(Graph, NotFoundTable,
                         testing::Values(NotFoundCase{"RootOfSquarePlusOne", {{kY, kSel, 2, "X^2+1"}}, kRoot, true},
                                         NotFoundCase{"MaxOfConstant", {{kY, kSel, 2, "2"}}, kMax, true},
                                         NotFoundCase{"InterceptOfRoot", {{kY, kSel, 2, "{sqrt}(X-1)"}}, kYIcpt, true},
                                         NotFoundCase{"IsectWithOneGraph", {{kY, kSel, 2, "X"}}, kIsect, false}),
                         [](const testing::TestParamInfo<NotFoundCase> &i) { return std::string(i.param.name); });

}  // namespace
