// Calculus engines through the evaluator: integrals, derivatives, Solve(,
// FMin( and FMax(, against reference values computed with mpmath
// (tests/data/calculus_refs.txt, written by tools/gen_calculus_refs.py) and
// the errors each function reports.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "../eval/eval_testutil.h"
#include "numeric/calc_point.h"

namespace {

std::string DataPath(const char *name) {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../data/" + name;
}

std::string Trim(const std::string &s) {
  const size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

class Calculus : public ::testing::Test {
 protected:
  void SetUp() override {
    evaltest::ResetState();
    SetupSetItem(kSetupAngle, 1);  // radians
  }
  void TearDown() override { evaltest::ResetState(); }
  static Value X() {
    Value x;
    SysReadVariable('X', &x);
    return x;
  }
  static void SetX(const char *v) {
    const Value x = numtest::V(v);
    SysStoreVariable('X', &x);
  }
};

TEST_F(Calculus, ValuesAgainstReferences) {
  std::ifstream in(DataPath("calculus_refs.txt"));
  ASSERT_TRUE(in.good());
  std::string line;
  int cases = 0;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    std::string text, want, tol;
    std::getline(fields, text, ';');
    std::getline(fields, want, ';');
    std::getline(fields, tol, ';');
    text = Trim(text);
    SetX("7");
    const std::string got = evaltest::Eval(text);
    ASSERT_NE(got[0], 'E') << text << " gave " << got;
    const long double expect = std::stold(Trim(want)), value = std::stold(got);
    if (expect == 0) {
      EXPECT_EQ(value, 0) << text;
    } else {
      EXPECT_LE(std::fabs(value - expect), std::fabs(expect) * std::stold(Trim(tol))) << text << " gave " << got;
    }
    // Solve( leaves the root in X; the other functions give X back as it was.
    const std::string x = numtest::ShowV(X());
    if (text.rfind("{Solve}", 0) == 0) EXPECT_EQ(x, got) << text;
    else EXPECT_EQ(x, "7") << text;
    ++cases;
  }
  EXPECT_GT(cases, 0);
}

TEST_F(Calculus, Errors) {
  struct Case {
    const char *text;
    const char *want;
  } cases[] = {
      // Integrals: singularities, tolerances, a nested calculus function.
      {"{int}1/{sqrt}X,0,1,1{e}~10)", "E29"},
      {"{int}1/X,~1,2)", "E29"},
      {"{int}1/X,~1,1)", "E3"},
      {"{int}X,0,1,0)", "E8"},
      {"{int}X,0,1,~1)", "E8"},
      {"{int}{ddx}X{sq}),0,1)", "E2"},
      {"{int}{ddx}X{sq},X),0,1)", "E2"},
      {"{int}X,0)", "E2"},
      {"{int}X,2,2)", "0"},
      // Derivatives.
      {"{ddx}X{sq},1,0)", "E8"},
      {"{#7F27}X{sq},1,~1)", "E8"},
      {"{ddx}{sqrt}X,~1)", "E17"},
      {"{#7F27}X,5)", "0"},
      // Solve(.
      {"{Solve}X{sq}+1,0)", "E27"},
      {"{Solve}X,1,5,2)", "E3"},
      {"{Solve}X+,1)", "E2"},
      {"{Solve}X{sq}=4)", "E2"},
      {"{Solve}X,1,0)", "E2"},
      {"{Solve}{ddx}X{sq},X),1)", "E2"},
      // FMin( and FMax(.
      {"{#7F2A}1/X,~1,1)", "E3"},
      {"{#7F2A}X,1,1)", "E3"},
      {"{#7F2A}X,2,1)", "E3"},
      {"{#7F2A}X,1,2,0)", "E8"},
      {"{#7F2A}X,1,2,10)", "E8"},
      {"{#7F2A}X,1,2,1.5)", "E8"},
      {"{#7F2A}X,1)", "E2"},
  };
  for (const Case &c : cases) {
    SetX("3");
    EXPECT_EQ(evaltest::Eval(c.text), c.want) << c.text;
  }
}

TEST_F(Calculus, DerivativeWithoutPointEndsAtItsBracket) {
  // The point is X; the expression ends at the closing bracket and the
  // evaluation goes on after it.
  struct Case {
    const char *text;
    const char *want;
  } cases[] = {
      {"{ddx}X{sq})+1", "7"},
      {"{ddx}X{sq})", "6"},
      {"2{ddx}(X+1){sq})", "16"},
      {"{#7F27}X^3)-1", "17"},
  };
  for (const Case &c : cases) {
    SetX("3");
    EXPECT_EQ(evaltest::Eval(c.text), c.want) << c.text;
  }
  // A complex X is refused.
  const Value i = numtest::V("0");
  Value xi = i;
  xi.re.b[0] |= 0x80;
  xi.im = numtest::V("1").re;
  SysStoreVariable('X', &xi);
  EXPECT_EQ(evaltest::Eval("{ddx}X{sq})"), "E8");
}

TEST_F(Calculus, QuickDerivativeWhileAGraphIsDrawn) {
  // With a graph function being drawn an omitted tolerance selects a single
  // difference quotient.
  SetupSetByte(kSetupGraphVars, 1);
  EXPECT_EQ(evaltest::Eval("{ddx}X^3,2)"), "12");
  EXPECT_EQ(evaltest::Eval("{#7F27}X^3,1)"), "6");
  SetupSetByte(kSetupGraphVars, 0);
}

TEST_F(Calculus, SolveSnapsAndRestarts) {
  // A root where the sides cannot be evaluated at the snap candidate 0 is
  // kept, not turned into Can't Solve!.
  EXPECT_EQ(evaltest::Eval("{Solve}1/X=2{e}13,4{e}~14)"), "5e-14");
  // Bounds that exclude the first root found: another start finds 2.
  EXPECT_EQ(evaltest::Eval("{Solve}X{sq}=4,~3,0,10)"), "2");
  // Can't Solve! gives X back as it was.
  SetX("3");
  EXPECT_EQ(evaltest::Eval("{Solve}X{sq}+1,0)"), "E27");
  EXPECT_EQ(numtest::ShowV(X()), "0");  // Solve( stored its start
  // The function goes on after its bracket.
  EXPECT_EQ(evaltest::Eval("{Solve}X-3,0)+1"), "4");
}

TEST_F(Calculus, ExtremumSearch) {
  struct Case {
    const char *text;
    const char *x, *y;
    double xTol;
  } cases[] = {
      {"{#7F2B}{sin}X,0,3)", "1.5708", "0.999999999993254", 0},
      {"{#7F2B}{sin}X,0,3,1)", "1.57", "0.999999682931835", 0},
      {"{#7F2A}X^4-3X{sq}+X,~2,2)", "-1.30084", "-3.51390503893344", 0},
      {"{#7F2A}X{sq},~1,1,5)", "0", "0", 0},
      {"{#7F2B}1,0,1)", "1", "1", 0},  // the last of equal values
      {"{#7F2B}X{exp}~X,0,1000)", "1", "0.367879441171442", 0},
      // Precision 9: the true extremum within 2E-7 (the sums of 15 digits
      // are flat that close to it).
      {"{#7F2B}{sin}X,0,3,9)", "1.5707963267949", "1", 2e-7},
      {"{#7F2A}X^4-3X{sq}+X,~2,2,9)", "-1.30083956594158", "-3.5139050389348", 1e-7},
  };
  for (const Case &c : cases) {
    SetX("7");
    const std::string got = evaltest::Eval(c.text);
    ASSERT_EQ(got.front(), '{') << c.text << " gave " << got;
    const size_t comma = got.find(',');
    const std::string x = got.substr(1, comma - 1), y = got.substr(comma + 1, got.size() - comma - 2);
    if (c.xTol == 0) {
      EXPECT_EQ(x, c.x) << c.text;
      EXPECT_EQ(y, c.y) << c.text;
    } else {
      EXPECT_NEAR(std::stod(x), std::stod(c.x), c.xTol) << c.text;
      EXPECT_NEAR(std::stod(y), std::stod(c.y), 1e-13) << c.text;
    }
    EXPECT_EQ(numtest::ShowV(X()), "7") << c.text;
  }
}

TEST_F(Calculus, SmallHelpers) {
  struct Case {
    const char *v;
    int exponent, count;
  } cases[] = {
      {"0", -100, 0}, {"1", 0, 1}, {"255", 2, 255}, {"256", 2, 0}, {"-3", 0, 0},
      {"2.5", 0, 0},  {"1e-7", -7, 0}, {"-4.2e12", 12, 0},
  };
  for (const Case &c : cases) {
    const BcdReal r = numtest::V(c.v).re;
    EXPECT_EQ(RealDecimalExponent(&r), c.exponent) << c.v;
    EXPECT_EQ(RealToSmallCount(&r), c.count) << c.v;
  }
}

}  // namespace
