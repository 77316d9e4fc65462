// StatGraph preparation and drawing: the automatic windows, histogram
// classes, working lists and the dots the graphs put into the planes, for
// data whose windows and positions were worked out by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/statgraph.h"
#include "graph/memory/gmem_vwin.h"
#include "tests/apps/stat/stat_test_util.h"
#include "tests/support/golden.h"
#include "ui/setup.h"

namespace {

using namespace stattest;

class StatGraph : public Memory {
 protected:
  void SetUp() override {
    Memory::SetUp();
    ASSERT_EQ(StatLoadGraphCond(reinterpret_cast<u16 *>(cond)), 0);
    for (int s = 0; s < 5; ++s) cond[7 * s] = 0;
    ASSERT_EQ(GmemResetVwin(1), 0u);
  }
  // Block of slot s: drawn, with its type, lists and mark.
  void Block(int s, i16 type, i16 x, i16 y = 2, i16 f = 0, i16 mark = 0) {
    const i16 b[7] = {1, type, x, y, f, mark, 0};
    std::memcpy(cond + 7 * s, b, sizeof b);
  }
  u32 Compute() {
    StatWriteGraphCond(reinterpret_cast<const u16 *>(cond));
    i32 cancel = 0;
    return StatGraphComputeAll(1, cond, &vwin, &cancel);
  }
  // The window as stored, each value against its expectation.
  void ExpectWindow(double xmin, double xmax, double ymin, double ymax, double rel = 1e-12) {
    const double want[4] = {xmin, xmax, ymin, ymax};
    const int fields[4] = {kVwinXmin, kVwinXmax, kVwinYmin, kVwinYmax};
    for (int i = 0; i < 4; ++i) {
      BcdReal v;
      ASSERT_EQ(GmemReadVwinValue(&v, fields[i]), 0u);
      EXPECT_TRUE(Near(v, want[i], rel)) << "field " << fields[i];
    }
  }
  std::string Work(int slot, int k) {
    std::string out;
    const u32 n = ItemListSize(kStatWorkFile, static_cast<u8>(10 * slot + k));
    for (u32 i = 1; i <= n; ++i) {
      Value v{};
      ItemListGet(kStatWorkFile, static_cast<u8>(10 * slot + k), i, &v);
      char t[32];
      std::snprintf(t, sizeof t, "%.10g", D(v.re));
      out += (i > 1 ? "," : "") + std::string(t);
    }
    return out;
  }
  // Draws the prepared graphs without axes: 0 or the error.
  u32 Draw() {
    SetupSetItem(kSetupAxes, 1);
    SetupSetItem(kSetupGrid, 1);
    std::memset(&ctx, 0, sizeof ctx);
    if (const u32 e = StatGraphPrepareContext(&ctx)) return e;
    return StatGraphDrawAll(cond, &ctx);
  }
  // The planes as a text picture, one row a line.
  std::string Picture() const {
    std::string out;
    for (int y = 0; y <= 63; ++y) {
      for (int x = 0; x <= 127; ++x) out += Lit(x, y) ? '#' : '.';
      out += '\n';
    }
    return out;
  }
  bool Lit(int x, int y) const {
    const u32 i = static_cast<u32>(x / 8 + 16 * y);
    const u8 m = static_cast<u8>(0x80 >> (x % 8));
    return ((ctx.planes[i] | ctx.planes[kGraphPlaneBytes + i]) & m) != 0;
  }
  i16 cond[35] = {};
  VwinRecord vwin{};
  GraphContext ctx{};
};

const std::vector<std::string> kHistData = {"2", "4", "4", "4", "5", "5", "7", "9"};

TEST_F(StatGraph, AutomaticWindowsOfEachKind) {
  SetList(1, {"1", "2", "3", "4", "5"});
  SetList(2, {"2", "4", "5", "4", "5"});
  for (i16 type : {i16{kSgScatter}, i16{kSgXyLine}, static_cast<i16>(kStatLinear)}) {
    Block(1, type, 1, 2);
    ASSERT_EQ(Compute(), 0u) << type;
    ExpectWindow(1.0 / 3, 17.0 / 3, 1, 6);
  }
  SetList(3, {"3", "1", "4", "1", "5"});
  Block(1, kSgNpp, 3);
  ASSERT_EQ(Compute(), 0u);
  ExpectWindow(1.0 / 3, 17.0 / 3, -2.13591927590767, 2.13591927590767, 1e-7);
  EXPECT_EQ(Work(1, 0), "1,1,3,4,5");

  SetList(4, kHistData);
  Block(1, kSgNDist, 4);
  ASSERT_EQ(Compute(), 0u);
  ExpectWindow(0.833333333333333, 10.1666666666667, -0.0664903800669054, 0.265961520267622);
  EXPECT_EQ(Work(1, 0), "5,2");
}

TEST_F(StatGraph, HistogramClassesAndWindows) {
  SetList(1, kHistData);
  Block(1, kSgHist, 1);
  ASSERT_EQ(Compute(), 0u);
  BcdReal start, width;
  ASSERT_EQ(StatReadHistParams(&start, &width), 0);
  EXPECT_EQ(D(start), 2);
  EXPECT_EQ(D(width), 0.7778);
  EXPECT_EQ(Work(1, 1), "1,0,3,2,0,0,1,0,1,0");
  ExpectWindow(0.703666666666667, 11.0743333333333, -1, 4);

  // With frequencies; the width is rounded up, never to nearest.
  SetList(2, {"1", "2", "3", "4", "5"});
  SetList(3, {"2", "3", "1", "0", "4"});
  Block(1, kSgHist, 2, 0, 3);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(StatReadHistParams(&start, &width), 0);
  EXPECT_EQ(D(width), 0.4445);
  EXPECT_EQ(Work(1, 1), "2,0,3,0,1,0,0,0,4,0");
  ExpectWindow(0.259166666666667, 6.18583333333333, -4.0 / 3, 16.0 / 3);

  // Both at once: the smaller Start, the larger Width, the same classes.
  Block(1, kSgHist, 1);
  Block(2, kSgHist, 2, 0, 3);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(StatReadHistParams(&start, &width), 0);
  EXPECT_EQ(D(start), 1);
  EXPECT_EQ(D(width), 0.7778);
  EXPECT_EQ(ItemListSize(kStatWorkFile, 10), 12u);
  EXPECT_EQ(ItemListSize(kStatWorkFile, 20), 12u);
  ExpectWindow(-0.5556, 11.8892, -4.0 / 3, 16.0 / 3);
}

TEST_F(StatGraph, BoxPlotsKeepOrTakeTheYRange) {
  SetList(1, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "100"});
  Block(1, kSgBox, 1);
  ASSERT_EQ(Compute(), 0u);
  // A lone box plot keeps Y of the initial window.
  ExpectWindow(-15.5, 116.5, -3.1, 3.1);
  EXPECT_EQ(Work(1, 0), "1,3,5.5,8,100");

  SetList(2, {"-40", "1", "2", "3", "4", "5", "6", "7", "8", "9", "60", "100"});
  SetList(3, kHistData);
  Block(1, kSgBoxOut, 2, 0, 0, 2);
  Block(2, kSgNDist, 3);
  ASSERT_EQ(Compute(), 0u);
  ExpectWindow(-63.3333333333333, 123.333333333333, -0.0664903800669054, 0.265961520267622);
  EXPECT_EQ(Work(1, 0), "-40,1,2.5,5.5,8.5,9,100");
  EXPECT_EQ(Work(1, 1), "");
  EXPECT_EQ(Work(1, 2), "60");
  ASSERT_EQ(Draw(), 0u);
  // Whisker ends, box sides and median on the whisker row; the outliers'
  // hollow squares around it.
  for (int col : {44, 45, 47, 49, 50}) EXPECT_TRUE(Lit(col, 15)) << col;
  for (int col : {17, 84, 111}) EXPECT_TRUE(Lit(col, 14) && Lit(col - 1, 15) && !Lit(col, 15)) << col;
}

TEST_F(StatGraph, RefusedDataChangeNeitherWindowNorCondition) {
  struct Case {
    const char *what;
    std::vector<std::string> x, f;
    i16 type;
    u32 code;
  };
  const Case cases[] = {
      {"empty list", {}, {}, kSgScatter, 9},
      {"frequency list of another length", {"1", "2", "3", "4", "5"}, {"1", "1", "1", "1"}, kSgHist, 9},
      {"negative frequency", {"1", "2", "3"}, {"1", "-1", "1"}, kSgHist, 3},
      {"negative frequency, broken line", {"1", "2", "3"}, {"1", "-1", "1"}, kSgBroken, 3},
      {"negative frequency, normal curve", {"1", "2", "3"}, {"1", "-1", "1"}, kSgNDist, 3},
      {"Quad on two points", {"1", "2"}, {}, static_cast<i16>(kStatQuad), 3},
  };
  VwinRecord before;
  ASSERT_EQ(GmemReadVwin(&before), 0u);
  for (const Case &c : cases) {
    ItemListDelete(0, 5);
    ItemListDelete(0, 6);
    if (!c.x.empty()) SetList(5, c.x);
    if (!c.f.empty()) SetList(6, c.f);
    SetList(7, {"1", "2", "3", "4", "5"});
    Block(1, c.type, 5, c.type == kSgScatter || c.type >= kStatLinear ? 5 : 0, c.f.empty() ? 0 : 6);
    EXPECT_EQ(Compute(), c.code) << c.what;
    VwinRecord after;
    ASSERT_EQ(GmemReadVwin(&after), 0u);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << c.what;
  }
  // A list number from a file that names no list of the editor.
  Block(1, kSgScatter, 27, 2);
  EXPECT_EQ(Compute(), 9u);
  Block(1, kSgScatter, 1, 0);
  EXPECT_EQ(Compute(), 9u);
  // The normal curve of equal data has no width: its error, no window.
  SetList(8, {"4", "4", "4"});
  Block(1, kSgNDist, 8);
  EXPECT_NE(Compute(), 0u);
  VwinRecord after;
  ASSERT_EQ(GmemReadVwin(&after), 0u);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  // Manual Start 0, Width 1 would need more than 126 classes.
  SetupSetItem(kSetupStatWind, 1);
  SetList(9, {"0", "200"});
  const BcdReal start = R("0"), width = R("1");
  ASSERT_EQ(StatWriteHistParams(&start, &width), 0);
  Block(1, kSgHist, 9);
  EXPECT_EQ(Compute(), 3u);
}

TEST_F(StatGraph, SinAndLogisticKeepTheStoredFrequencyWordAndAngleTurnsRadians) {
  SetupSetItem(kSetupAngle, 0);
  SetList(1, {"1", "2", "3", "4", "5", "6", "7", "8"});
  SetList(2, {"3", "5", "4", "2", "1", "2", "4", "5"});
  SetList(3, {"1", "1", "1", "1", "1", "1", "1", "1"});
  Block(1, static_cast<i16>(kStatSin), 1, 2, 3);
  ASSERT_EQ(Compute(), 0u);
  EXPECT_EQ(cond[7 + kSgFreq], 3);
  EXPECT_EQ(SetupGetItem(kSetupAngle), 1);
  // The logistic fit and the normal probability plot, which take no
  // frequencies either, as the overlay and as a slot.
  SetList(4, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
  SetList(5, {"4", "7", "12", "21", "33", "46", "57", "64", "68", "70"});
  SetList(6, {"1", "1", "1", "1", "1", "1", "1", "1", "1", "1"});
  Block(1, static_cast<i16>(kStatLogistic), 4, 5, 6);
  Block(0, static_cast<i16>(kStatLogistic), 4, 5, 6);
  ASSERT_EQ(Compute(), 0u);
  EXPECT_EQ(cond[7 + kSgFreq], 6);
  EXPECT_EQ(cond[kSgFreq], 6);
  cond[0] = 0;
  Block(1, kSgNpp, 5, 0, 6);
  ASSERT_EQ(Compute(), 0u);
  EXPECT_EQ(cond[7 + kSgFreq], 6);
}

TEST_F(StatGraph, ScatterAndRegressionDots) {
  SetList(1, {"1", "2", "3", "4", "5"});
  SetList(2, {"2", "4", "5", "4", "5", "9", "9"});
  Block(1, kSgScatter, 1, 2, 0, 0);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(Draw(), 0u);
  const int dots[5][2] = {{17, 51}, {40, 26}, {64, 13}, {88, 26}, {111, 13}};
  int lit = 0;
  for (int y = 1; y <= 63; ++y)
    for (int x = 1; x <= 127; ++x) lit += Lit(x, y);
  EXPECT_EQ(lit, 5);  // the longer Y list adds nothing
  for (const auto &d : dots) EXPECT_TRUE(Lit(d[0], d[1])) << d[0];

  // The square mark around its dot; the linear fit through the window.
  Block(1, kSgScatter, 1, 2, 0, 2);
  ItemListDelete(0, 2);
  SetList(2, {"2", "4", "5", "4", "5"});
  Block(2, static_cast<i16>(kStatLinear), 1, 2);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(Draw(), 0u);
  EXPECT_FALSE(Lit(17, 51));
  for (int dx = -1; dx <= 1; ++dx) EXPECT_TRUE(Lit(17 + dx, 50) && Lit(17 + dx, 52));
  EXPECT_TRUE(Lit(1, 46));
  EXPECT_TRUE(Lit(64, 26));
  EXPECT_TRUE(Lit(127, 6));
}

// An xyLine joins the pairs there are: with an XList longer than the YList
// the line ends at the last pair instead of running on to the lone x.
TEST_F(StatGraph, XyLineJoinsOnlyThePairsThereAre) {
  SetList(1, {"1", "2", "3", "4", "5", "6", "7"});
  SetList(2, {"2", "4", "5", "4", "5"});
  Block(1, kSgXyLine, 1, 2);
  ASSERT_EQ(Compute(), 0u);
  ExpectWindow(1.0 / 3, 17.0 / 3, 1, 6);
  ASSERT_EQ(Draw(), 0u);
  for (const auto &d : {std::pair{17, 51}, {40, 26}, {64, 13}, {88, 26}, {111, 13}})
    EXPECT_TRUE(Lit(d.first, d.second)) << d.first;
  for (int x = 112; x <= 127; ++x)
    for (int y = 0; y <= 63; ++y) ASSERT_FALSE(Lit(x, y)) << x << "," << y << "\n" << Picture();
}

TEST_F(StatGraph, CurveStartsWhereTheModelIsDefinedAndLeavesWithoutGap) {
  SetupSetItem(kSetupStatWind, 1);
  SetList(1, {"1", "2", "3", "4", "5", "6"});
  SetList(2, {"2.1", "3.5", "4.2", "4.9", "5.3", "5.6"});
  Block(1, static_cast<i16>(kStatLog), 1, 2);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(Draw(), 0u);
  for (int x = 1; x < 65; ++x)
    for (int y = 1; y <= 63; ++y) ASSERT_FALSE(Lit(x, y)) << x << "," << y;
  EXPECT_TRUE(Lit(65, 56));
  for (int y = 44; y <= 55; ++y) EXPECT_TRUE(Lit(65, y) || Lit(66, y)) << y;
  EXPECT_TRUE(Lit(66, 43));

  // Exp leaving the top: the last column before it reaches row 1.
  SetList(3, {"1", "2", "4", "8", "16", "32"});
  Block(1, static_cast<i16>(kStatExp), 1, 3);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(Draw(), 0u);
  bool top = false;
  for (int x = 1; x <= 127; ++x) top = top || Lit(x, 1);
  EXPECT_TRUE(top);
}

TEST_F(StatGraph, MidPointCountsClassesAndShortestPairs) {
  SetList(1, kHistData);
  Block(1, kSgHist, 1);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(Draw(), 0u);
  i32 col, row;
  BcdReal x, y;
  ASSERT_EQ(StatGraphMidPoint(1, cond + 7, &ctx, &col, &row, &x, &y), 0u);
  // Ten classes: the sixth, lower edge 5.889.
  EXPECT_NEAR(D(x), 5.889 + 0.3889, 1e-12);
  EXPECT_EQ(D(y), 0);

  SetList(2, {"1", "2", "3"});
  SetList(3, {"7", "8", "9", "10", "11"});
  Block(1, kSgScatter, 2, 3);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(StatGraphMidPoint(1, cond + 7, &ctx, &col, &row, &x, &y), 0u);
  EXPECT_EQ(D(x), 2);
  EXPECT_EQ(D(y), 8);
}

// Every graph kind and the ten regressions drawn on the automatic window,
// against pictures checked by eye once (the dot positions above are the
// exact checks).
TEST_F(StatGraph, PicturesOfEveryGraph) {
  const auto seq = [](int n) {
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back(std::to_string(i));
    return v;
  };
  struct Case {
    const char *golden;
    std::vector<i16> types;  // slots 1, 2, ...
    std::vector<std::string> y;
  };
  const Case cases[] = {
      {"statgraph_scatter.txt", {kSgScatter}, {"2", "4", "5", "4", "5"}},
      {"statgraph_xyline.txt", {kSgXyLine}, {"2", "4", "5", "4", "5"}},
      {"statgraph_npp.txt", {kSgNpp}, {"3", "1", "4", "1", "5", "9", "2", "6"}},
      {"statgraph_hist.txt", {kSgHist}, {"2", "4", "4", "4", "5", "5", "7", "9"}},
      {"statgraph_box.txt", {kSgBox, kSgBoxOut}, {"-40", "1", "2", "3", "4", "5", "6", "7", "8", "9", "60", "100"}},
      {"statgraph_ndist.txt", {kSgNDist}, {"2", "4", "4", "4", "5", "5", "7", "9"}},
      {"statgraph_broken.txt", {kSgBroken}, {"2", "4", "4", "4", "5", "5", "7", "9"}},
      {"statgraph_linear.txt", {kSgScatter, kStatLinear}, {"2", "4", "5", "4", "5"}},
      {"statgraph_medmed.txt", {kStatMedMed}, {"1", "3", "2", "5", "4", "7", "8", "7", "10", "9"}},
      {"statgraph_quad.txt", {kStatQuad}, {"1", "4", "8", "17", "24", "37"}},
      {"statgraph_cubic.txt", {kStatCubic}, {"2", "3", "7", "15", "30", "52", "80"}},
      {"statgraph_quart.txt", {kStatQuart}, {"3", "1", "4", "1", "5", "9", "2", "6"}},
      {"statgraph_log.txt", {kStatLog}, {"2.1", "3.5", "4.2", "4.9", "5.3", "5.6"}},
      {"statgraph_exp.txt", {kStatExp}, {"3", "7", "12", "25", "50"}},
      {"statgraph_power.txt", {kStatPower}, {"2.1", "8.3", "17.9", "32.5", "50.2"}},
      {"statgraph_sin.txt", {kStatSin}, {"58", "62", "70", "77", "83", "85", "83", "77", "70", "62", "58", "56"}},
      {"statgraph_logistic.txt", {kStatLogistic}, {"4", "7", "12", "21", "33", "46", "57", "64", "68", "70"}},
  };
  for (const Case &c : cases) {
    for (int s = 0; s < 5; ++s) cond[7 * s] = 0;
    SetList(1, seq(static_cast<int>(c.y.size())));
    SetList(2, c.y);
    for (size_t k = 0; k < c.types.size(); ++k) {
      const i16 t = c.types[k];
      const bool single = t >= kSgNpp && t <= kSgBroken;
      Block(static_cast<int>(k) + 1, t, single ? 2 : 1, 2, 0, 2);
    }
    ASSERT_EQ(Compute(), 0u) << c.golden;
    ASSERT_EQ(Draw(), 0u) << c.golden;
    EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, c.golden), Picture())) << c.golden;
  }
  // Exp leaving the top of a window set by hand: no gap where it leaves.
  SetupSetItem(kSetupStatWind, 1);
  ASSERT_EQ(GmemResetVwin(1), 0u);
  for (int s = 0; s < 5; ++s) cond[7 * s] = 0;
  SetList(1, seq(5));
  SetList(2, {"3", "7", "12", "25", "50"});
  Block(1, static_cast<i16>(kStatExp), 1, 2);
  ASSERT_EQ(Compute(), 0u);
  ASSERT_EQ(Draw(), 0u);
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "statgraph_exp_top.txt"), Picture()));
}

// Leaving the StatGraph screen clears the working lists, slot 0's fit
// among them, while the overlay block stays drawn: a fresh redraw (DrawStat,
// the graph screen) fits it again instead of failing on the missing list.
TEST_F(StatGraph, RedrawFitsTheOverlayAgainAfterTheListsWereCleared) {
  SetList(1, {"1", "2", "3", "4", "5"});
  SetList(2, {"2", "4", "5", "4", "5"});
  Block(1, kSgScatter, 1, 2);
  Block(0, static_cast<i16>(kStatLinear), 1, 2);
  StatWriteGraphCond(reinterpret_cast<const u16 *>(cond));
  StatClearResultLists();
  BcdReal result;
  i32 key = 5;
  EXPECT_EQ(StatRedrawGraphs(0, &result, &key), 1);
  EXPECT_EQ(RealErrorCode(&result), 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(Work(0, 0), "0.6,2.2,0.7745966692,0.6");  // a, b, r, r²

  // An error comes back as a value: no graph drawn at all.
  for (int s = 0; s < 5; ++s) cond[7 * s] = 0;
  StatWriteGraphCond(reinterpret_cast<const u16 *>(cond));
  EXPECT_EQ(StatRedrawGraphs(0, &result, &key), 0);
  EXPECT_EQ(RealErrorCode(&result), 30);
}

TEST_F(StatGraph, NextRegressionSearchEndsAfterOneRound) {
  EXPECT_EQ(StatNextRegGraph(0, cond, 1), -1);
  EXPECT_EQ(StatNextRegGraph(2, cond, -1), -1);
  Block(2, static_cast<i16>(kStatQuad), 1, 2);
  Block(3, kSgScatter, 1, 2);
  EXPECT_EQ(StatNextRegGraph(0, cond, 1), 2);
  EXPECT_EQ(StatNextRegGraph(2, cond, 1), 2);  // round the ring to itself
  EXPECT_EQ(StatNextRegGraph(1, cond, -1), 2);
  cond[28] = 1;  // graph functions drawn over the graphs
  EXPECT_EQ(StatNextRegGraph(2, cond, 1), 4);
}

// With no graph drawn (a stored picture whose blocks were switched off
// since) the trace has nothing to walk and ends at once.
TEST_F(StatGraph, TraceWithNothingDrawnEndsAtOnce) {
  cond[0] = 1;  // an overlay flag with no regression type is no graph
  cond[1] = kSgScatter;
  EXPECT_EQ(StatGraphTrace(cond, &ctx), -21);
}

TEST_F(StatGraph, WindowThatOverflowsLeavesVwinAsItWas) {
  VwinRecord before;
  ASSERT_EQ(GmemReadVwin(&before), 0u);
  SetList(1, {"-9e99", "9e99"});
  SetList(2, {"1", "2"});
  Block(1, kSgScatter, 1, 2);
  EXPECT_NE(Compute(), 0u);
  VwinRecord after;
  ASSERT_EQ(GmemReadVwin(&after), 0u);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

}  // namespace
