// The equation back ends on the items of main memory: roots of quadratics
// and cubics with their multiplicities, simultaneous systems, their errors,
// and agreement with 30-digit references (tools/gen_equa_refs.py).
#include "numeric/equa_solve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "array_testutil.h"
#include "eval/eval.h"
#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/realop.h"
#include "numeric/list_mem.h"
#include "ui/setup.h"

namespace {

class EquaSolve : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    SetupSetItem(kSetupComplexMode, 0);
  }
  void TearDown() override {
    EXPECT_EQ(arrtest::BlocksInUse(), 0u);
    MemFreeAll();
    HostFreeCalcRam();
  }
  static void Store(u8 matrix, u32 rows, u32 cols, const std::vector<std::string> &cells) {
    ASSERT_EQ(ItemMatCreate(matrix, rows, cols), 0u);
    for (u32 i = 0; i < cells.size(); ++i) {
      const Value v = arrtest::Elem(cells[i]);
      ASSERT_LE(ItemMatSet(matrix, i / cols + 1, i % cols + 1, &v), 2u);
    }
  }
  // "2 1", "-1x2", "(1,2) (1,-2)" from "POLYRSLT" and "POLYMULT"; "E<code>"
  // when the solve fails (with "+items" when a result item was left).
  static std::string Poly(const std::vector<std::string> &coef) {
    Store(kEquaPolyCoef, 1, static_cast<u32>(coef.size()), coef);
    const u32 code = NumericSolvePolynomial(static_cast<u32>(coef.size() - 1));
    u32 rows = 0, cols = 0, mr = 0, mc = 0;
    const bool have = ItemMatDims(kEquaPolyResult, &rows, &cols) == 0;
    const bool haveMult = ItemMatDims(kEquaPolyMult, &mr, &mc) == 0;
    if (code != 0) return "E" + std::to_string(code) + (have || haveMult ? "+items" : "");
    if (!have || !haveMult || mr != rows) return "items missing";
    std::string s;
    for (u32 r = 1; r <= rows; ++r) {
      Value re, im, k;
      ItemMatGet(kEquaPolyResult, r, 1, &re);
      if (!s.empty()) s += " ";
      if (cols == 2) {
        ItemMatGet(kEquaPolyResult, r, 2, &im);
        s += "(" + numtest::ShowV(re) + "," + numtest::ShowV(im) + ")";
      } else {
        s += numtest::ShowV(re);
      }
      ItemMatGet(kEquaPolyMult, r, 1, &k);
      if (numtest::ShowV(k) != "1") s += "x" + numtest::ShowV(k);
    }
    return s;
  }
};

TEST_F(EquaSolve, RootsInRealMode) {
  struct Case {
    std::vector<std::string> coef;
    std::string want;
  } cases[] = {
      {{"1", "-3", "2"}, "2 1"},
      {{"2", "1", "-1"}, "1/2 -1"},
      {{"1", "2", "1"}, "-1x2"},
      {{"1", "0", "1"}, "E35"},
      {{"1", "-2", "5"}, "E35"},
      {{"1", "-6", "11", "-6"}, "3 2 1"},
      {{"1", "0", "-7", "6"}, "2 1 -3"},
      {{"1", "0", "-1", "0"}, "1 0 -1"},
      {{"1", "0", "-3", "2"}, "1x2 -2"},
      {{"1", "-3", "3", "-1"}, "1x3"},
      {{"1", "0", "0", "-1"}, "1"},
      {{"1", "0", "1", "0"}, "0"},
      {{"-2", "0", "0", "16"}, "2"},
      {{"0", "1", "2"}, "E3"},
      {{"1", "0|1", "2"}, "E17"},
      {{"1|1", "0", "2"}, "E17"},
  };
  for (const Case &c : cases) EXPECT_EQ(Poly(c.coef), c.want) << ::testing::PrintToString(c.coef);
}

TEST_F(EquaSolve, RootsInComplexMode) {
  SetupSetItem(kSetupComplexMode, 1);
  struct Case {
    std::vector<std::string> coef;
    std::string want;
  } cases[] = {
      {{"1", "0", "1"}, "(0,1) (0,-1)"},
      {{"1", "-2", "5"}, "(1,2) (1,-2)"},
      {{"1", "-3", "2"}, "(2,0) (1,0)"},
      {{"1", "0", "0", "-1"}, "(1,0) (-0.5,0.866025403784439) (-0.5,-0.866025403784439)"},
      {{"1", "0", "1", "0"}, "(0,1) (0,0) (0,-1)"},
      {{"1", "0", "-3", "2"}, "(1,0)x2 (-2,0)"},
  };
  for (const Case &c : cases) EXPECT_EQ(Poly(c.coef), c.want) << ::testing::PrintToString(c.coef);
}

// A failed solve deletes the results of the last one.
TEST_F(EquaSolve, FailureLeavesNoResultItems) {
  EXPECT_EQ(Poly({"1", "-3", "2"}), "2 1");
  ItemMatDelete(kEquaPolyCoef);
  EXPECT_EQ(Poly({"0", "-3", "2"}), "E3");
  Store(kEquaSimlCoef, 2, 3, {"1", "1", "2", "1", "-1", "0"});
  ASSERT_EQ(NumericSolveSimultaneous(2), 0u);
  u32 r = 0, c = 0;
  EXPECT_EQ(ItemMatDims(kEquaSimlResult, &r, &c), 0u);
  Store(kEquaSimlCoef, 2, 3, {"1", "2", "3", "2", "4", "6"});
  EXPECT_EQ(NumericSolveSimultaneous(2), 3u);
  EXPECT_NE(ItemMatDims(kEquaSimlResult, &r, &c), 0u);
}

TEST_F(EquaSolve, SimultaneousIntoTheResultItem) {
  struct Case {
    u32 n;
    std::vector<std::string> cells;
    std::string want;
  } cases[] = {
      {2, {"2", "3", "1", "1", "-1", "2"}, "[[1_2/5][-3/5]]"},
      {3, {"1", "1", "1", "6", "0", "2", "5", "-4", "2", "5", "-1", "27"}, "[[5][3][-2]]"},
      {2, {"1", "1", "1|1", "1", "-1", "1|-1"}, "c[[1][0|1]]"},
      {2, {"1", "0|1", "1", "1", "0|-1", "3"}, "c[[2][0|1]]"},
      {2, {"1", "2", "3", "2", "4", "6"}, "E3"},
  };
  for (const Case &c : cases) {
    Store(kEquaSimlCoef, c.n, c.n + 1, c.cells);
    const u32 code = NumericSolveSimultaneous(c.n);
    Value x;
    std::string got = code != 0 ? "E" + std::to_string(code) : "";
    if (code == 0 && MatFromMemory(kEquaSimlResult, &x)) got = arrtest::Show(x);
    EXPECT_EQ(got, c.want) << c.cells[0];
  }
}

// Sim Coef, Ply Coef, Sim Result and Ply Result in a formula read the items.
TEST_F(EquaSolve, FormulasReadTheItems) {
  Store(kEquaSimlCoef, 2, 3, {"2", "3", "1", "1", "-1", "2"});
  Store(kEquaPolyCoef, 1, 3, {"1", "-3", "2"});
  ASSERT_EQ(NumericSolveSimultaneous(2), 0u);
  ASSERT_EQ(NumericSolvePolynomial(2), 0u);
  struct Case {
    u8 token;
    std::string want;
  } cases[] = {
      {0x60, "[[2,3,1][1,-1,2]]"},
      {0x61, "[[1,-3,2]]"},
      {0x62, "[[1_2/5][-3/5]]"},
      {0x63, "[[2][1]]"},
  };
  for (const Case &c : cases) {
    const u8 text[] = {0x7F, c.token, 0};
    TokPos pos = text;
    EvalCell tok, out;
    std::memset(&tok, 0, sizeof tok);
    std::memset(&out, 0, sizeof out);
    ASSERT_EQ(EvalWholeExpr(&pos, &tok, &out, 1), 1u) << int(c.token);
    EXPECT_EQ(arrtest::Show(out), c.want) << int(c.token);
    ValFreeTemp(&out);
  }
}

long double Num(const BcdReal &r) {
  BcdReal d;
  RealFracToDecimal(&r, &d);
  return std::strtold(numtest::Show(d).c_str(), nullptr);
}

std::string DataPath(const char *name) {
  std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../data/" + name;
}

// Random quadratics and cubics (three real roots, a complex pair, repeated
// roots, random coefficients) and systems of 2 to 6 unknowns against mpmath
// at 30 digits: every root and multiplicity in the calculator's order to
// 1E-13 of the largest root, every solution to 1E-10 of the largest.
TEST_F(EquaSolve, AgreesWithHighPrecisionReferences) {
  SetupSetItem(kSetupComplexMode, 1);
  std::ifstream in(DataPath("equa_refs.txt"));
  ASSERT_TRUE(in.good());
  std::string line;
  double worstPoly = 0, worstSiml = 0;
  while (std::getline(in, line)) {
    std::istringstream ss(line);
    std::string kind, tok;
    u32 n;
    ss >> kind >> n;
    std::vector<std::string> cells;
    while (ss >> tok && tok != ";") cells.push_back(tok);
    std::vector<long double> ref;
    std::vector<int> mult;
    while (ss >> tok) {
      if (tok == ";") continue;
      ref.push_back(std::strtold(tok.c_str(), nullptr));
      if (kind == "poly") {
        ss >> tok;
        ref.push_back(std::strtold(tok.c_str(), nullptr));
        ss >> tok;
        mult.push_back(std::atoi(tok.c_str()));
      }
    }
    long double scale = 0;
    for (long double r : ref) scale = std::max(scale, std::fabs(r));
    if (kind == "poly") {
      Store(kEquaPolyCoef, 1, n + 1, cells);
      ASSERT_EQ(NumericSolvePolynomial(n), 0u) << line;
      u32 rows = 0, cols = 0;
      ItemMatDims(kEquaPolyResult, &rows, &cols);
      ASSERT_EQ(rows, mult.size()) << line;
      for (u32 r = 0; r < rows; ++r) {
        Value re, im, k;
        ItemMatGet(kEquaPolyResult, r + 1, 1, &re);
        ItemMatGet(kEquaPolyResult, r + 1, 2, &im);
        ItemMatGet(kEquaPolyMult, r + 1, 1, &k);
        const long double err = (std::fabs(Num(re.re) - ref[2 * r]) + std::fabs(Num(im.re) - ref[2 * r + 1])) / scale;
        EXPECT_LT(err, 1e-13) << line << " root " << r << " " << numtest::ShowV(re) << " " << numtest::ShowV(im);
        EXPECT_EQ(numtest::ShowV(k), std::to_string(mult[r])) << line;
        worstPoly = std::max(worstPoly, double(err));
      }
    } else {
      Store(kEquaSimlCoef, n, n + 1, cells);
      ASSERT_EQ(NumericSolveSimultaneous(n), 0u) << line;
      for (u32 r = 0; r < n; ++r) {
        Value x;
        ItemMatGet(kEquaSimlResult, r + 1, 1, &x);
        const long double err = std::fabs(Num(x.re) - ref[r]) / scale;
        EXPECT_LT(err, 1e-10) << line << " x" << r << " " << numtest::ShowV(x);
        worstSiml = std::max(worstSiml, double(err));
      }
    }
  }
  std::printf("worst relative error: polynomials %.3g, systems %.3g\n", worstPoly, worstSiml);
}

}  // namespace
