// The graph functions chosen for the statistical graphs: drawn over the
// caller's image with its own entry table kept, and nothing to trace when
// none is chosen.
#include <string>
#include <vector>

#include "graph/app/graph_temp.h"
#include "graph/memory/gmem_func.h"
#include "graph_testutil.h"
#include "ui/keycodes.h"

namespace {

class TempFuncs : public graphtest::Fixture {
 protected:
  void SetUp() override {
    graphtest::Fixture::SetUp();
    SetupSetItem(kSetupAxes, 1);
  }
  static void Store(int slot, u8 attribute, const std::string &formula) {
    const u8 head[4] = {0x08, 0x01, attribute, 2};
    const std::vector<u8> t = evaltest::Tokens(formula);
    ASSERT_EQ(GmemWriteFuncItem(slot, head, std::string(t.begin(), t.end()).c_str()), 0u);
  }
  bool Lit(int col, int row) const {
    const u8 mask = static_cast<u8>(0x80 >> (col % 8));
    const int i = col / 8 + 16 * row;
    return ((ctx.planes[i] | ctx.planes[kGraphPlaneBytes + i]) & mask) != 0;
  }
};

TEST_F(TempFuncs, OnlyTheFunctionsChosenForStatisticsAreDrawn) {
  Open();
  GraphEntry own[1] = {};
  ctx.entries = own;
  // Chosen for GRAPH only: nothing to draw.
  Store(1, kGraphSelGraph, "2");
  EXPECT_EQ(GraphDrawTempFuncs(&ctx), 30u);
  BcdReal x = graphtest::R("1");
  EXPECT_EQ(TraceTempGraphs(&ctx, kKeyUp, &x), kGraphTempPrevious);
  EXPECT_EQ(TraceTempGraphs(&ctx, kKeyDown, &x), kGraphTempNext);
  Store(2, kGraphSelStat, "1");
  Store(3, kGraphSelStat, "");
  // Plot and Simul are set aside: y = 1 is joined across the screen.
  ctx.optionFlags |= kGraphOptPlot | kGraphOptSimul;
  ASSERT_EQ(GraphDrawTempFuncs(&ctx), 0u);
  EXPECT_EQ(ctx.entries, own);
  EXPECT_TRUE(Lit(1, 22));
  EXPECT_TRUE(Lit(64, 22));
  EXPECT_TRUE(Lit(127, 22));
  EXPECT_FALSE(Lit(64, 12));  // y = 2 is not chosen
}

}  // namespace
