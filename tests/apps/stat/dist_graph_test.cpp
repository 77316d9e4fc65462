// The windows and densities of the distribution and test graphs, and the
// ANOVA means graph's checks of its data.
#include <gtest/gtest.h>

#include <string>

#include "apps/stat/dist_graph.h"
#include "apps/stat/stat_data.h"
#include "graph/memory/gmem_vwin.h"
#include "tests/apps/stat/stat_test_util.h"
#include "ui/setup.h"

namespace {

using stattest::D;
using stattest::Near;
using stattest::R;

class DistGraphTest : public stattest::Memory {
 protected:
  // The window of a graph set up from three argument texts.
  u32 Window(u32 id, const char *a0, const char *a1 = "0", VwinRecord *out = nullptr) {
    const BcdReal args[3] = {R(a0), R(a1), R("0")};
    EXPECT_EQ(DistGraphSetUp(DistGraphCurrent(), id, kDistShadeNone, nullptr, args, nullptr), 0u);
    w = Initial();
    const u32 e = DistGraphVwin(&DistGraphCurrent()->ctx, &w);
    if (out) *out = w;
    return e;
  }
  // The initial window with its T range, as "VWIN" holds it.
  static VwinRecord Initial() {
    VwinRecord r{};
    VwinPreset(&r, kVwinPresetInitial);
    VwinSetTRange(&r);
    return r;
  }
  VwinRecord w{};
};

struct WindowCase {
  u32 id;
  const char *a0, *a1;
  double xmin, xmax, ymin, ymax;
};

TEST_F(DistGraphTest, AutomaticWindowsFollowTheDensity) {
  const WindowCase cases[] = {
      // Normal P.D: mu +- 4.4 sigma, from -1/4 to 1.1 of the peak.
      {kDistGraphNormPd, "1", "0", -4.4, 4.4, -0.0997355701003582, 0.438836508441576},
      {kDistGraphNormPd, "2", "10", 1.2, 18.8, -0.0498677850501791, 0.219418254220788},
      // F with d1 > 2 follows its peak at the mode; d1 <= 2 keeps the preset.
      {kDistGraphFPd, "5", "10", -0.3, 6, -0.171901750692656, 0.756367703047686},
      {kDistGraphFPd, "2", "10", -0.3, 6, -0.25, 1.1},
      {kDistGraphTwoF, "5", "10", -0.3, 6, -0.171901750692656, 0.756367703047686},
      // Presets of the tests.
      {kDistGraphOneZ, "0", "0", -3.2, 3.2, -0.1, 0.45},
      {kDistGraphTPd, "5", "0", -3.2, 3.2, -0.1, 0.45},
      {kDistGraphChi, "4", "0", 0, 11.5, -0.1, 0.5},
  };
  for (const WindowCase &c : cases) {
    VwinRecord r;
    ASSERT_EQ(Window(c.id, c.a0, c.a1, &r), 0u) << c.id;
    EXPECT_TRUE(Near(r.f[kVwinXmin], c.xmin, 1e-12)) << c.id << " " << c.a0;
    EXPECT_TRUE(Near(r.f[kVwinXmax], c.xmax, 1e-12)) << c.id << " " << c.a0;
    EXPECT_TRUE(Near(r.f[kVwinYmin], c.ymin, 1e-12)) << c.id << " " << c.a0;
    EXPECT_TRUE(Near(r.f[kVwinYmax], c.ymax, 1e-12)) << c.id << " " << c.a0;
    EXPECT_TRUE(Near(r.f[kVwinXdot], (c.xmax - c.xmin) / 126, 1e-12)) << c.id;
  }
}

TEST_F(DistGraphTest, WindowWithoutWidthIsARangeError) {
  // mu 1E13 with sigma 1: 4 sigma vanishes against mu.
  const VwinRecord before = Initial();
  VwinRecord r;
  EXPECT_EQ(Window(kDistGraphNormPd, "1", "1E13", &r), 28u);
  EXPECT_EQ(std::memcmp(&w, &before, sizeof w), 0);
}

TEST_F(DistGraphTest, ManualStatWindKeepsTheWindowOfPdGraphsOnly) {
  SetupSetItem(kSetupStatWind, 1);
  const VwinRecord initial = Initial();
  VwinRecord r;
  ASSERT_EQ(Window(kDistGraphNormPd, "1", "0", &r), 0u);
  EXPECT_EQ(std::memcmp(&r, &initial, sizeof r), 0);
  ASSERT_EQ(Window(kDistGraphOneT, "5", "0", &r), 0u);
  EXPECT_TRUE(Near(r.f[kVwinXmin], -3.2, 1e-15));
}

TEST_F(DistGraphTest, DensitiesAtTheirReferencePoints) {
  struct Case {
    u32 id;
    const char *a0, *a1, *x;
    double want;
  };
  const Case cases[] = {
      {kDistGraphTPd, "5", "0", "1", 0.219679797350981},
      {kDistGraphChiPd, "4", "0", "2", 0.183939720585721},
      {kDistGraphChiPd, "4", "0", "0", 0},
      {kDistGraphChiPd, "4", "0", "-1", 0},
      {kDistGraphFPd, "5", "10", "0.5", 0.687607002770624},
      {kDistGraphFPd, "5", "10", "-2", 0},
      {kDistGraphNormPd, "2", "1", "3", 0.120985362259572},
      {kDistGraphOneZ, "0", "0", "0", 0.398942280401432},
      {kDistGraphOneZ, "0", "0", "1.5", 0.129517595665892},
  };
  for (const Case &c : cases) {
    const BcdReal args[3] = {R(c.a0), R(c.a1), R("0")};
    DistGraph *g = DistGraphCurrent();
    ASSERT_EQ(DistGraphSetUp(g, c.id, kDistShadeNone, nullptr, args, nullptr), 0u);
    const GraphBuiltinFunc f = g->entries[0].builtin;
    ASSERT_NE(f, nullptr);
    const BcdReal x = R(c.x);
    BcdReal y;
    ASSERT_EQ(f(&x, &y, &g->ctx, 0), 0u) << c.id << " " << c.x;
    EXPECT_TRUE(Near(y, c.want, 1e-12)) << c.id << " " << c.x;
  }
}

TEST_F(DistGraphTest, TestGraphsShadeTheirBounds) {
  const BcdReal bounds[2] = {R("-1.5"), R("1.5")};
  const BcdReal args[3] = {R("0"), R("0"), R("0")};
  DistGraph *g = DistGraphCurrent();
  ASSERT_EQ(DistGraphSetUp(g, kDistGraphOneZ, kDistShadeTails, bounds, args, nullptr), 0u);
  EXPECT_TRUE(g->entries[0].type & kGraphTypeArea);
  EXPECT_EQ(g->entries[0].type & kGraphTypeRelMask, u32{kDistShadeTails});
  EXPECT_EQ(g->entries[0].areaBounds, g->bounds);
  EXPECT_EQ(g->entries[1].style, 0);  // the table ends
  const BcdReal nu[3] = {R("5"), R("0"), R("0")};
  ASSERT_EQ(DistGraphSetUp(g, kDistGraphTPd, kDistShadeNone, nullptr, nu, nullptr), 0u);
  EXPECT_FALSE(g->entries[0].type & kGraphTypeArea);
}

class AnovaMeans : public DistGraphTest {
 protected:
  void SetUp() override {
    DistGraphTest::SetUp();
    for (u32 list : {101u, 102u}) StatDataListDelete(list);
    const char *levels[] = {"1", "2", "3"};
    for (u32 i = 0; i < 3; ++i) {
      const BcdReal v = R(levels[i]);
      ASSERT_EQ(StatDataListSet(101, i + 1, &v), 0u);
      if (i < 2) {
        ASSERT_EQ(StatDataListSet(102, i + 1, &v), 0u);
      }
    }
  }
};

TEST_F(AnovaMeans, WindowSpansTheLevelsAndTheMeans) {
  stattest::SetMatrix(0, {{"2", "4"}, {"6", "3"}, {"10", "5"}});
  VwinRecord r;
  ASSERT_EQ(Window(kDistGraphAnova, "0", "0", &r), 0u);
  EXPECT_TRUE(Near(r.f[kVwinXmin], 0.9, 1e-15));
  EXPECT_TRUE(Near(r.f[kVwinXmax], 3.1, 1e-15));
  EXPECT_TRUE(Near(r.f[kVwinYmin], 0, 1e-15));
  EXPECT_TRUE(Near(r.f[kVwinYmax], 12, 1e-15));
}

TEST_F(AnovaMeans, UnusableDataIsRefused) {
  // Equal means: no height.
  stattest::SetMatrix(0, {{"2", "2"}, {"2", "2"}, {"2", "2"}});
  EXPECT_EQ(Window(kDistGraphAnova, "0", "0"), 28u);
  // A Mat Ans smaller than the levels (changed since the ANOVA): no window,
  // and the drawing refuses it before reading a mean.
  ItemMatDelete(0);
  stattest::SetMatrix(0, {{"2", "4"}, {"6", "3"}});
  EXPECT_EQ(Window(kDistGraphAnova, "0", "0"), 28u);
  EXPECT_EQ(DistDrawAnovaMeans(&DistGraphCurrent()->ctx), 9u);
  // One level of factor A.
  ItemMatDelete(0);
  stattest::SetMatrix(0, {{"2", "4"}});
  StatDataListDelete(101);
  const BcdReal one = R("1");
  ASSERT_EQ(StatDataListSet(101, 1, &one), 0u);
  EXPECT_EQ(Window(kDistGraphAnova, "0", "0"), 28u);
}

TEST(StatIsVarNameChar, FirstCharactersOfAValue) {
  for (u32 c : {u32{'0'}, u32{'9'}, u32{'A'}, u32{'Z'}, 15u, 40u, 46u, 135u, 0x87u, 205u, 208u, 32592u})
    EXPECT_EQ(StatIsVarNameChar(c), 1u) << c;
  for (u32 c : {0u, u32{'a'}, u32{'+'}, 32u, 128u, 207u, 32593u, 30004u}) EXPECT_EQ(StatIsVarNameChar(c), 0u) << c;
}

}  // namespace
