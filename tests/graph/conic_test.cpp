// Conic sections: the analyses of each form against reference values
// (mpmath, 30 digits, rounded to 15), the coefficient checks, and the
// pictures of the nine forms.
#include "graph/conics/conic_model.h"

#include <string>
#include <vector>

#include "../support/golden.h"
#include "graph_testutil.h"
#include "ui/sysvar.h"

namespace {

using graphtest::Golden;
using graphtest::Picture;
using numtest::R;
using numtest::Show;

class Conic : public graphtest::Fixture {
 protected:
  // Stores the coefficients of a form in editor order.
  static void Coefs(u32 form, const std::vector<const char *> &values) {
    const std::string letters = ConicLetters(form);
    ASSERT_EQ(letters.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      Value v{};
      v.re = R(values[i]);
      SysStoreVariable(static_cast<u8>(letters[i]), &v);
    }
  }
  // The points of an analysis as "(x,y) (x,y)", a line as "X=v", a value
  // as "e=v", or "E<code>".
  static std::string Run(u32 code, u32 form) {
    ConicResult r;
    const u32 e = ConicAnalyze(code, form, &r);
    if (e != 0) return "E" + std::to_string(e);
    std::string s;
    switch (r.kind) {
      case kConicPoints:
        for (u32 i = 0; i < r.count; ++i) s += (i ? " (" : "(") + Show(r.x[i]) + "," + Show(r.y[i]) + ")";
        return s;
      case kConicLineX: return "X=" + Show(r.value);
      case kConicLineY: return "Y=" + Show(r.value);
      case kConicValue: return std::string(1, r.name) + "=" + Show(r.value);
      default: return "Y=" + Show(r.y[0]) + "+-" + Show(r.value) + "(X-" + Show(r.x[0]) + ")";
    }
  }
};

TEST_F(Conic, AnalysesOfEachForm) {
  struct Case {
    u32 form;
    std::vector<const char *> coefs;
    u32 code;
    const char *result;
  } cases[] = {
      {4, {"2", "-4", "1"}, kConicVertex, "(1,-1)"},
      {4, {"2", "-4", "1"}, kConicFocus, "(1,-0.875)"},
      {4, {"2", "-4", "1"}, kConicDirectrix, "Y=-1.125"},
      {4, {"2", "-4", "1"}, kConicLength, "L=0.5"},
      {4, {"2", "-4", "1"}, kConicXIcpt, "(0.292893218813452,0) (1.70710678118655,0)"},
      {4, {"2", "-4", "1"}, kConicYIcpt, "(0,1)"},
      {4, {"2", "-4", "1"}, kConicSymmetry, "X=1"},
      {4, {"2", "-4", "1"}, kConicEccentricity, "e=1"},
      {4, {"1", "0", "1"}, kConicXIcpt, "E21"},
      {4, {"1", "0", "0"}, kConicXIcpt, "(0,0)"},
      {4, {"1", "0", "0"}, kConicFocus, "(0,0.25)"},
      {3, {"0.5", "1", "-2"}, kConicFocus, "(1,-1.5)"},
      {3, {"0.5", "1", "-2"}, kConicDirectrix, "Y=-2.5"},
      {3, {"0.5", "1", "-2"}, kConicXIcpt, "(-1,0) (3,0)"},
      {3, {"0.5", "1", "-2"}, kConicYIcpt, "(0,-1.5)"},
      {2, {"1", "2", "-3"}, kConicVertex, "(-4,-1)"},
      {2, {"1", "2", "-3"}, kConicFocus, "(-3.75,-1)"},
      {2, {"1", "2", "-3"}, kConicXIcpt, "(-3,0)"},
      {2, {"1", "2", "-3"}, kConicYIcpt, "(0,-3) (0,1)"},
      {2, {"1", "2", "-3"}, kConicSymmetry, "Y=-1"},
      {1, {"-0.25", "1", "2"}, kConicFocus, "(1,1)"},
      {1, {"-0.25", "1", "2"}, kConicDirectrix, "X=3"},
      {1, {"-0.25", "1", "2"}, kConicXIcpt, "(1.75,0)"},
      {1, {"-0.25", "1", "2"}, kConicYIcpt, "(0,-1.82842712474619) (0,3.82842712474619)"},
      {5, {"1", "-2", "3"}, kConicCenter, "(1,-2)"},
      {5, {"1", "-2", "3"}, kConicRadius, "r=3"},
      {5, {"1", "-2", "3"}, kConicXIcpt, "(-1.23606797749979,0) (3.23606797749979,0)"},
      {5, {"1", "-2", "3"}, kConicYIcpt, "(0,-4.82842712474619) (0,0.82842712474619)"},
      {6, {"2", "-4", "8", "-8"}, kConicCenter, "(1,-2)"},
      {6, {"2", "-4", "8", "-8"}, kConicRadius, "r=3"},
      {6, {"2", "-4", "8", "-8"}, kConicXIcpt, "(-1.23606797749979,0) (3.23606797749979,0)"},
      {6, {"2", "-4", "8", "-8"}, kConicYIcpt, "(0,-4.82842712474619) (0,0.82842712474619)"},
      {7, {"3", "2", "1", "-1"}, kConicFocus, "(3.23606797749979,-1) (-1.23606797749979,-1)"},
      {7, {"3", "2", "1", "-1"}, kConicVertex, "(4,-1) (1,1) (-2,-1) (1,-3)"},
      {7, {"3", "2", "1", "-1"}, kConicEccentricity, "e=0.74535599249993"},
      {7, {"3", "2", "1", "-1"}, kConicXIcpt, "(-1.59807621135332,0) (3.59807621135332,0)"},
      {7, {"3", "2", "1", "-1"}, kConicCenter, "(1,-1)"},
      {7, {"2", "2", "1", "-1"}, kConicEccentricity, "e=0"},
      {7, {"2", "2", "1", "-1"}, kConicFocus, "(1,-1) (1,-1)"},
      {8, {"2", "3", "1", "2"}, kConicFocus, "(4.60555127546399,2) (-2.60555127546399,2)"},
      {8, {"2", "3", "1", "2"}, kConicVertex, "(3,2) (-1,2)"},
      {8, {"2", "3", "1", "2"}, kConicEccentricity, "e=1.80277563773199"},
      {8, {"2", "3", "1", "2"}, kConicXIcpt, "(-1.40370085030933,0) (3.40370085030933,0)"},
      {8, {"2", "3", "1", "2"}, kConicYIcpt, "E21"},
      {8, {"2", "3", "1", "2"}, kConicAsymptotes, "Y=2+-1.5(X-1)"},
      {9, {"1", "2", "0", "0"}, kConicFocus, "(0,2.23606797749979) (0,-2.23606797749979)"},
      {9, {"1", "2", "0", "0"}, kConicEccentricity, "e=2.23606797749979"},
      {9, {"1", "2", "0", "0"}, kConicXIcpt, "E21"},
      {9, {"1", "2", "0", "0"}, kConicYIcpt, "(0,-1) (0,1)"},
      {9, {"1", "2", "0", "0"}, kConicAsymptotes, "Y=0+-0.5(X-0)"},
      // Analyses a form does not have.
      {5, {"1", "-2", "3"}, kConicFocus, "E2"},
      {4, {"2", "-4", "1"}, kConicRadius, "E2"},
  };
  for (const Case &c : cases) {
    Coefs(c.form, c.coefs);
    EXPECT_EQ(Run(c.code, c.form), c.result) << "form " << c.form << " code " << c.code;
  }
}

TEST_F(Conic, CoefficientsThatCannotBeDrawn) {
  struct Case {
    u32 form;
    std::vector<const char *> coefs;
    u32 bad;
  } cases[] = {
      {4, {"0", "1", "1"}, 1},          {4, {"1", "0", "0"}, 0},      {5, {"0", "0", "0"}, 1},
      {5, {"0", "0", "-1"}, 1},         {6, {"-1", "0", "0", "-4"}, 1}, {6, {"1", "0", "0", "0"}, 1},
      {6, {"1", "0", "0", "-4"}, 0},    {7, {"1", "0", "0", "0"}, 1}, {8, {"0", "1", "0", "0"}, 1},
      {9, {"1", "1", "0", "0"}, 0},
  };
  for (const Case &c : cases) {
    Coefs(c.form, c.coefs);
    EXPECT_EQ(ConicCheckCoefficients(c.form), c.bad) << c.form;
  }
}

TEST_F(Conic, PictureOfEachForm) {
  struct Case {
    u32 form;
    std::vector<const char *> coefs;
  } cases[] = {
      {1, {"-0.25", "1", "2"}}, {2, {"1", "2", "-3"}},         {3, {"0.5", "1", "-2"}},
      {4, {"2", "-4", "1"}},    {5, {"1", "-1", "2"}},         {6, {"1", "0", "0", "-4"}},
      {7, {"3", "2", "1", "-1"}}, {8, {"2", "1", "0", "0"}}, {9, {"1", "2", "0", "0"}},
  };
  for (const Case &c : cases) {
    Coefs(c.form, c.coefs);
    Open();
    GraphEntry e[3];
    ASSERT_GE(ConicSetupEntry(c.form, e), 1u);
    ctx.entries = e;
    ASSERT_EQ(GraphPlotAll(&ctx), 0u) << c.form;
    EXPECT_TRUE(MatchesGolden(Golden("conic_" + std::to_string(c.form)), Picture(ctx))) << c.form;
  }
}

TEST_F(Conic, RememberedFormStaysInRange) {
  EXPECT_EQ(ConicReadMem(), 0u);
  ASSERT_EQ(ConicWriteMem(7), 0u);
  EXPECT_EQ(ConicReadMem(), 7u);
  for (u16 bad : {u16{0}, u16{10}, u16{0xFFFF}}) {
    ASSERT_LE(McsWriteInFolder("@CONICS", "conicmem", 2, &bad, 0), 2u);
    EXPECT_EQ(ConicReadMem(), 0u);
  }
}

}  // namespace
