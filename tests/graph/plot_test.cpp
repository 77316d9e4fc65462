// Plotting on the initial window in radians, Connect, axes on, grid off:
// the pictures of the planes against golden files, and the dots that must
// and must not be lit, counted independently of the pictures.
#include "graph/engine/graph_plot.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "graph/engine/graph_axes.h"
#include "graph/engine/graph_draw.h"
#include "../support/screen_reader.h"
#include "graph/memory/gmem_func.h"
#include "graph_testutil.h"
#include "../support/golden.h"

using namespace graphtest;

namespace {

class Plotting : public Fixture {
 protected:
  void SetUp() override {
    Fixture::SetUp();
    Open();
    axes = LitDots(ctx);
  }
  // The dots the curves added to the axes.
  Dots Curve() const {
    Dots d;
    for (const auto &p : LitDots(ctx))
      if (!axes.count(p)) d.insert(p);
    return d;
  }
  Dots axes;
};

TEST_F(Plotting, AxesAndGrid) {
  EXPECT_EQ(LitCount(ctx), 207);
  EXPECT_TRUE(MatchesGolden(Golden("axes"), Picture(ctx)));
  for (int c = 4; c <= 124; c += 10) EXPECT_TRUE(Lit(ctx, c, 31)) << "mark at column " << c;
  for (int r = 2; r <= 62; r += 10) EXPECT_TRUE(Lit(ctx, 65, r)) << "mark at row " << r;
  EXPECT_FALSE(Lit(ctx, 5, 31));
  EXPECT_FALSE(Lit(ctx, 65, 3));
  SetupSetItem(kSetupGrid, 0);
  GraphClearBuffer(&ctx);
  EXPECT_EQ(LitCount(ctx), 279);
  EXPECT_TRUE(Lit(ctx, 4, 2) && Lit(ctx, 124, 62) && !Lit(ctx, 5, 2));
  // Axes off, grid on: the grid dots alone.
  SetupSetItem(kSetupAxes, 1);
  GraphClearBuffer(&ctx);
  EXPECT_EQ(LitCount(ctx), 91);
}

TEST_F(Plotting, AxesOffTheScreenAndDenseScales) {
  struct Case {
    const char *xmin, *xmax, *xscale, *ymin, *ymax, *yscale;
    int count;
    std::pair<int, int> lit, dark;
  };
  const Case cases[] = {
      // x from 0.5: the first mark at 1 (column 6); x = 0 is left of the
      // screen, so the y marks run down column 1.
      {"0.5", "13.1", "1", "-3.1", "3.1", "1", 127 + 12 + 7, {6, 31}, {1, 32 + 1}},
      // Xmin -10: the first mark at -10 itself.
      {"-10", "2.6", "1", "-3.1", "3.1", "1", 127 + 62 + 12 + 6, {1, 31}, {2, 31}},
      // An Xscale finer than a dot: a solid row of marks.
      {"-6.3", "6.3", "0.05", "-3.1", "3.1", "1", 189 + 126 + 6, {5, 31}, {5, 30}},
      // Xscale 0: no x marks.
      {"-6.3", "6.3", "0", "-3.1", "3.1", "1", 207 - 12, {65, 2}, {4, 31}},
  };
  for (const Case &c : cases) {
    VwinRecord rec{};
    VwinPreset(&rec, kVwinPresetInitial);
    rec.f[kVwinXmin] = R(c.xmin);
    rec.f[kVwinXmax] = R(c.xmax);
    rec.f[kVwinXscale] = R(c.xscale);
    rec.f[kVwinYmin] = R(c.ymin);
    rec.f[kVwinYmax] = R(c.ymax);
    rec.f[kVwinYscale] = R(c.yscale);
    VwinSetDots(&rec);
    VwinSetTRange(&rec);
    ASSERT_EQ(GmemWriteVwin(&rec), 0u);
    ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
    GraphClearBuffer(&ctx);
    EXPECT_EQ(LitCount(ctx), c.count) << c.xmin << " " << c.xscale;
    EXPECT_TRUE(Lit(ctx, c.lit.first, c.lit.second)) << c.xmin;
    EXPECT_FALSE(Lit(ctx, c.dark.first, c.dark.second)) << c.xmin;
  }
}

TEST_F(Plotting, StraightLine) {
  Add(kGraphFuncY, "X");
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 269);
  Dots expected;
  for (int c = 33; c <= 95; ++c)
    if (!axes.count({c, 96 - c})) expected.insert({c, 96 - c});
  EXPECT_EQ(Curve(), expected);
  EXPECT_TRUE(MatchesGolden(Golden("y_x"), Picture(ctx)));
  // Each dot went to the display as it was drawn.
  EXPECT_EQ(LcdTestPixel(33, 63), 1);
}

TEST_F(Plotting, Parabola) {
  Add(kGraphFuncY, "X^2");
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 269);
  for (int r = 1; r <= 4; ++r) {
    EXPECT_TRUE(Lit(ctx, 47, r)) << r;
    EXPECT_TRUE(Lit(ctx, 81, r)) << r;
  }
  EXPECT_FALSE(Lit(ctx, 47, 5));
  for (int c = 62; c <= 66; ++c) EXPECT_TRUE(Lit(ctx, c, 32));
  EXPECT_TRUE(Lit(ctx, 61, 31) && Lit(ctx, 67, 31));
  for (const auto &p : Curve()) EXPECT_TRUE(p.first >= 47 && p.first <= 81) << p.first;
  EXPECT_TRUE(MatchesGolden(Golden("y_x2"), Picture(ctx)));
}

TEST_F(Plotting, Sine) {
  Add(kGraphFuncY, "{sin}X");
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 328);
  // One curve dot a column, except where it lies on the axes.
  std::map<int, int> perColumn;
  for (const auto &p : Curve()) ++perColumn[p.first];
  for (const auto &[col, n] : perColumn) EXPECT_EQ(n, 1) << "column " << col;
  for (int c = 79; c <= 81; ++c) EXPECT_TRUE(Lit(ctx, c, 22)) << c;
  EXPECT_FALSE(Lit(ctx, 80, 21));
  EXPECT_TRUE(MatchesGolden(Golden("y_sin"), Picture(ctx)));
}

TEST_F(Plotting, BranchesAreNotJoined) {
  Add(kGraphFuncY, "1/X");
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 357);
  for (const auto &p : Curve()) EXPECT_TRUE(p.first < 61 || p.first > 67) << p.first << "," << p.second;
  EXPECT_TRUE(MatchesGolden(Golden("y_1_x"), Picture(ctx)));

  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphClearBuffer(&ctx);
  table.clear();
  texts.clear();
  Add(kGraphFuncY, "{tan}X");
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 454);
  for (const auto &p : Curve()) {
    const int c = p.first;
    const bool gap = (c >= 14 && c <= 19) || (c >= 46 && c <= 51) || (c >= 77 && c <= 82) || (c >= 109 && c <= 114);
    EXPECT_FALSE(gap) << c << "," << p.second;
  }
  EXPECT_TRUE(MatchesGolden(Golden("y_tan"), Picture(ctx)));
}

TEST_F(Plotting, Circle) {
  Add(kGraphFuncParam, "4{cos}T{#F6}4{sin}T");
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 329);
  int lo = 200, hi = -1;
  for (const auto &p : Curve()) {
    lo = std::min(lo, p.first);
    hi = std::max(hi, p.first);
    EXPECT_TRUE(p.second >= 1 && p.second <= 63);
  }
  EXPECT_EQ(lo, 24);
  EXPECT_EQ(hi, 104);
  EXPECT_TRUE(Lit(ctx, 64, 1) && Lit(ctx, 64, 63));
  EXPECT_TRUE(MatchesGolden(Golden("circle"), Picture(ctx)));
}

TEST_F(Plotting, OwnRangeDrawsOnlyItsColumns) {
  Add(kGraphFuncY, "X,[1,3]");
  ASSERT_EQ(Plot(), 0u);
  Dots expected;
  for (int c = 74; c <= 94; ++c) expected.insert({c, 96 - c});
  EXPECT_EQ(Curve(), expected);
  // A Y= entry given as points only (Plot) draws the same dots.
  GraphClearBuffer(&ctx);
  ctx.optionFlags |= kGraphOptPlot;
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(Curve(), expected);
}

TEST_F(Plotting, InequalitiesKeepTheirCommonRegion) {
  Add(kGraphFuncYGt, "X");
  ASSERT_EQ(Plot(), 0u);
  // One inequality: its whole region checkered in plane 1.
  for (int c = 1; c <= 127; ++c) {
    const int row = 96 - c;  // the curve's row (off the screen at the ends)
    for (int r = 1; r <= 63; ++r) {
      if (r >= row || ((c + r) & 1) == 0) continue;
      ASSERT_TRUE(Lit1(ctx, c, r)) << c << "," << r;
    }
  }
  GraphClearBuffer(&ctx);
  ctx.screenFlags &= ~kGraphIneqMask;
  Add(kGraphFuncYLt, "~X");
  ASSERT_EQ(Plot(), 0u);
  int shaded = 0;
  for (int c = 1; c <= 127; ++c) {
    for (int r = 1; r <= 63; ++r) {
      if (!Lit1(ctx, c, r)) continue;
      ++shaded;
      // Above y = x and below y = -x: the left wedge.
      EXPECT_TRUE(r <= 96 - c && r >= c - 32 && c <= 64) << c << "," << r;
    }
  }
  EXPECT_GT(shaded, 400);
  EXPECT_TRUE(MatchesGolden(Golden("two_inequalities"), Picture(ctx)));
}

TEST_F(Plotting, SimulDrawsTheSamePlanes) {
  Add(kGraphFuncY, "{sin}X", kGraphStyleBroken);
  Add(kGraphFuncY, "X^2-2", kGraphStyleBroken);
  Add(kGraphFuncParam, "3{cos}T{#F6}2{sin}T", kGraphStyleDot);
  ASSERT_FALSE(ctx.optionFlags & kGraphOptSimul);
  ASSERT_EQ(Plot(), 0u);
  const std::string apart = Picture(ctx);
  GraphClearBuffer(&ctx);
  ctx.optionFlags |= kGraphOptSimul;
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(Picture(ctx), apart);
  EXPECT_TRUE(MatchesGolden(Golden("broken_pair"), apart));
}

// A built-in entry that counts its evaluations and draws the point (t, 0).
int g_calls = 0;
u32 CountingParam(const BcdReal *t, BcdReal *x, BcdReal *y, GraphContext *, i32) {
  ++g_calls;
  *x = *t;
  RealSetZero(y);
  return 0;
}

TEST_F(Plotting, TStepsAndTheirLimit) {
  VwinRecord rec{};
  ASSERT_EQ(GmemReadVwin(&rec), 0u);
  rec.f[kVwinTmin] = R("0");
  rec.f[kVwinTmax] = R("360");
  struct Case {
    const char *pitch;
    u32 code;
    int calls;
  };
  for (const Case &c : {Case{"7", 0, 53}, Case{"36", 0, 11}, Case{"100", 0, 5}, Case{"0.01", 28, 0}}) {
    rec.f[kVwinTpitch] = R(c.pitch);
    ASSERT_EQ(GmemWriteVwin(&rec), 0u);
    ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
    table.clear();
    texts.clear();
    GraphEntry &e = Add(kGraphFuncParam | kGraphTypeBuiltin, "");
    e.builtinParam = CountingParam;
    Relink();
    g_calls = 0;
    EXPECT_EQ(GraphPlotAll(&ctx), c.code) << c.pitch;
    EXPECT_EQ(g_calls, c.calls) << c.pitch;
  }
}

TEST_F(Plotting, ErrorsEndThePlot) {
  struct Case {
    const char *formula;
    u32 code;
  };
  for (const Case &c : {Case{"X+", 2u}, Case{"{sqrt}X", 0u}, Case{"{List}9X", 9u}, Case{"X,[3,1]", 2u}}) {
    table.clear();
    texts.clear();
    Add(kGraphFuncY, c.formula);
    EXPECT_EQ(Plot(), c.code) << c.formula;
  }
  // A graph function called in a formula: the plot ends with what the call
  // gives, never with a silent gap.
  table.clear();
  texts.clear();
  Add(kGraphFuncY, "{#7FF0}1+1");
  EXPECT_NE(Plot(), 0u);
  // Nothing left of 0 for the square root, and its first column is one dot.
  GraphClearBuffer(&ctx);
  table.clear();
  texts.clear();
  Add(kGraphFuncY, "{sqrt}X");
  ASSERT_EQ(Plot(), 0u);
  for (const auto &p : Curve()) EXPECT_GE(p.first, 64);
}

TEST_F(Plotting, ExtentPass) {
  Add(kGraphFuncY, "X^2");
  ctx.runFlags |= kGraphRunExtent;
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(Curve(), Dots{});
  EXPECT_EQ(Show(ctx.view.extXlow), "-6.3");
  EXPECT_EQ(Show(ctx.view.extXhigh), "6.3");
  EXPECT_EQ(Show(ctx.view.extYlow), "0");
  EXPECT_EQ(Show(ctx.view.extYhigh), "39.69");
}

TEST_F(Plotting, Labels) {
  std::string longText;
  for (int i = 0; i < 120; ++i) longText += "X+";
  longText += "X";
  struct Case {
    u32 type;
    std::string formula;
    i8 kind;
    i32 slot;
    const char *shown;
  };
  const Case cases[] = {
      {kGraphFuncY, "X^2", 1, 12, "Y12=X^2"},
      {kGraphFuncY, "X^2", 5, 12, "Y=X^2"},
      {kGraphFuncXc, "2", 2, 3, "X3=2"},
      {kGraphFuncR, "2{theta}", 4, 1, "r1=2θ"},
      {kGraphFuncYGt, "X", 1, 1, "Y1>X"},
      {kGraphFuncYGe, "X", 1, 1, "Y1≥X"},
      {kGraphFuncYLe, "X", 7, 1, "f≤X"},
      {kGraphFuncY, longText, 1, 1, "Y1=X+X+X+X+X+X+X+X+X+"},  // cut at 21 columns
      {kGraphFuncY, "X", 9, 1, ""},  // recursion terms: not drawn yet
  };
  for (const Case &c : cases) {
    table.clear();
    texts.clear();
    GraphEntry &e = Add(c.type, c.formula);
    e.labelKind = c.kind;
    e.slot = c.slot;
    Relink();
    LcdClearVram();
    GraphShowFuncLabel(&ctx, 0);
    EXPECT_EQ(ScreenRowTrimmed(1), c.shown) << c.formula;
  }
  table.clear();
  texts.clear();
  GraphEntry &e = Add(kGraphFuncY, "X");
  e.labelKind = 13;
  e.labelText = "Ready text";
  Relink();
  LcdClearVram();
  GraphShowFuncLabel2(&ctx, 0);
  EXPECT_EQ(ScreenRowTrimmed(2), "Ready text");
  // While plotting one entry after another, each shows its label first.
  ctx.screenFlags |= kGraphLabelsShown;
  ctx.entries[0].labelKind = 1;
  table[0].labelKind = 1;
  LcdClearVram();
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(ScreenRowTrimmed(1).substr(0, 4), "Y1=X");
}

TEST_F(Plotting, OtherKindsOfEntries) {
  struct Case {
    u32 type;
    const char *formula;
    Dots must;  // curve dots that must be lit
    int lo, hi;  // the columns the curve may use
  };
  const Case cases[] = {
      {kGraphFuncXc, "2", {{84, 1}, {84, 33}, {84, 63}}, 84, 84},
      {kGraphFuncR, "3", {{94, 32}, {34, 32}, {64, 2}, {64, 62}}, 34, 94},
      {kGraphFuncY, "X+A,[A=0,2]", {{40, 56}, {40, 36}}, 1, 127},
      {kGraphFuncY, "{#7B}0,2{#7D}+X", {{40, 56}, {40, 36}}, 1, 127},
      {kGraphFuncY, "X,[,~1]", {{53, 43}, {33, 63}}, 33, 54},
  };
  for (const Case &c : cases) {
    GraphClearBuffer(&ctx);
    table.clear();
    texts.clear();
    Add(c.type, c.formula);
    ASSERT_EQ(Plot(), 0u) << c.formula;
    for (const auto &p : c.must) EXPECT_TRUE(Lit(ctx, p.first, p.second)) << c.formula << " " << p.first << "," << p.second;
    for (const auto &p : Curve()) EXPECT_TRUE(p.first >= c.lo && p.first <= c.hi) << c.formula << " " << p.first;
  }
}

TEST_F(Plotting, HalfScreensAndEdgeStrips) {
  Add(kGraphFuncY, "X");
  // The right half: x -6.3 .. 6.3 over columns 65..127, the left half untouched.
  ctx.runFlags |= kGraphRunHalf | kGraphRunRightHalf;
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphClearBuffer(&ctx);
  ASSERT_EQ(Plot(), 0u);
  int right = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) {
      if (!Lit(ctx, x, y)) continue;
      if (x < 64) ADD_FAILURE() << "left half lit at " << x << "," << y;
      ++right;
    }
  EXPECT_TRUE(Lit(ctx, 64, 10));  // the dividing line
  EXPECT_TRUE(Lit(ctx, 65 + 31, 32));
  EXPECT_GT(right, 63 + 63);
  // An edge strip draws only its eleven columns.
  ctx.runFlags = kGraphRunStrip;
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  table.clear();
  texts.clear();
  Add(kGraphFuncY, "X+6");
  ASSERT_EQ(Plot(), 0u);
  for (const auto &p : LitDots(ctx)) EXPECT_LE(p.first, 11);
  EXPECT_TRUE(Lit(ctx, 1, 35) && Lit(ctx, 10, 26));
  EXPECT_EQ(LitDots(ctx).size(), 10u);
}

TEST_F(Plotting, AreaBetweenCurveAndAxis) {
  const BcdReal bounds[2] = {R("-1"), R("1")};
  GraphEntry &e = Add(kGraphFuncY | kGraphTypeArea | 0x20, "X^2");
  e.areaBounds = bounds;
  ASSERT_EQ(Plot(), 0u);
  int shaded = 0;
  for (int c = 1; c <= 127; ++c)
    for (int r = 1; r <= 63; ++r)
      if (Lit1(ctx, c, r)) {
        ++shaded;
        EXPECT_TRUE(c >= 54 && c <= 74 && r >= 22 && r <= 32) << c << "," << r;
      }
  EXPECT_GT(shaded, 20);
}

TEST_F(Plotting, EntriesFollowTheirGraphFunctions) {
  const u8 head[4] = {kGraphFuncY & 0xFF, kGraphFuncY >> 8, 0x80, 2};
  const std::vector<u8> square = evaltest::Tokens("X^2");
  ASSERT_EQ(GmemWriteFuncItem(1, head, reinterpret_cast<const char *>(square.data())), 0u);
  GraphEntry &e = Add(kGraphFuncY, "");
  e.slot = 1;
  e.textSource = GraphFuncSlotText;
  ASSERT_EQ(Plot(), 0u);
  EXPECT_EQ(LitCount(ctx), 269);
  EXPECT_TRUE(Lit(ctx, 47, 1));
  // The function changes (main memory moves): the next plot takes the new text.
  const std::vector<u8> line = evaltest::Tokens("X");
  ASSERT_EQ(GmemWriteFuncItem(1, head, reinterpret_cast<const char *>(line.data())), 0u);
  GraphClearBuffer(&ctx);
  ASSERT_EQ(GraphPlotAll(&ctx), 0u);
  EXPECT_TRUE(Lit(ctx, 33, 63));
  EXPECT_FALSE(Lit(ctx, 47, 1));
}

// A built-in Y= entry: y = 2x, or its error code.
u32 Twice(const BcdReal *x, BcdReal *y, GraphContext *, i32) {
  BcdReal two;
  RealMul(x, RealSetTwo(&two), y);
  return 0;
}
u32 Fails(const BcdReal *, BcdReal *, GraphContext *, i32) { return 8; }

TEST_F(Plotting, BuiltInEntriesAndSeams) {
  GraphEntry &e = Add(kGraphFuncY | kGraphTypeBuiltin, "");
  e.builtin = Twice;
  ASSERT_EQ(Plot(), 0u);
  EXPECT_TRUE(Lit(ctx, 65, 30) && Lit(ctx, 49, 63) && Lit(ctx, 79, 1));
  table[0].builtin = Fails;
  EXPECT_EQ(Plot(), 8u);
  // Table points come from the function table: with no table the plot ends
  // with Memory ERROR.
  table.clear();
  texts.clear();
  GraphEntry &p = Add(kGraphTypePoints | kGraphTypeFunc, "");
  p.pointCount = 3;
  EXPECT_EQ(Plot(), 4u);
  ctx.optionFlags |= kGraphOptSimul;
  EXPECT_EQ(Plot(), 4u);
}

}  // namespace
