// The trace along the table on the graph-and-table screens, keyed as a
// user: the pointer on the graph at the cursor row's point, the read-out of
// that row, the view scrolling with the rows, and the codes it leaves with.
#include <gtest/gtest.h>

#include <string>

#include "graph/table/graph_table.h"
#include "tests/number/numparse_testutil.h"
#include "tests/system/graph_testapp.h"
#include "ui/keycodes.h"

namespace {

using gapp::kSel;
using gapp::kY;
using gapp::Last;
using gapp::MiniCell;
using gapp::MiniText;

using TableTraceScreen = gapp::GraphScreenTest;

constexpr u8 kSelTable = 0x20;

// The table's X from -3 to 3.
void RangeMinus3To3() {
  TableRange r{numtest::R("-3"), numtest::R("3"), numtest::R("1")};
  TableWriteRange(&r);
}

// The trace's pointer centred on dot (c, r): its image set, and the dots
// its mask clears (the centre among them) clear.
bool PointerAt(int c, int r) {
  static constexpr u8 kImage[7] = {0x1C, 0x14, 0x77, 0x41, 0x77, 0x14, 0x1C};
  static constexpr u8 kMask[7] = {0x63, 0x63, 0, 0, 0, 0x63, 0x63};
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x) {
      const u8 bit = static_cast<u8>(0x40 >> x);
      const bool dot = CalcDot(c - 3 + x, r - 3 + y);
      if ((kImage[y] & bit) && !dot) return false;
      if (!(kImage[y] & bit) && !(kMask[y] & bit) && dot) return false;
    }
  return true;
}

// Dual Screen "G+T": Y=X beside its table of X from -3 to 3. The graph
// screen's V-Window is the initial one: a half-screen column is 12.6 / 62
// wide with x = 0 at column 32, a row 0.1 high with y = 0 at row 32.
TEST_F(TableTraceScreen, PointerAndReadoutFollowTheTableRows) {
  Open({{kY, kSel | kSelTable, 2, "X"}}, kGraphDrawFuncs, {{kSetupDualScreen, 2}}, RangeMinus3To3);
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTableTrace}));
  // Row 1: x = -3 lies below Tmin (0) of the drawn functions' T range: the
  // pointer is not shown, the read-out is.
  EXPECT_EQ(MiniCell(1, 8), "X=-3");
  EXPECT_EQ(MiniCell(17, 8), "Y=-3");
  EXPECT_FALSE(PointerAt(17, 62));
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN"));
  EXPECT_EQ(MiniCell(1, 8), "X=0");
  EXPECT_TRUE(PointerAt(32, 32)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  EXPECT_EQ(MiniCell(17, 8), "Y=1");
  EXPECT_TRUE(PointerAt(37, 22)) << CalcScreenPicture();
  EXPECT_FALSE(PointerAt(32, 32));
  // The fifth row scrolled the view: -2 heads the X column.
  EXPECT_EQ(MiniText(72, 18, 97), "    -2");
  // RIGHT and LEFT wrap between the rows' one function cell.
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(MiniCell(1, 8), "X=2");
  ASSERT_TRUE(CalcPress("LEFT LEFT"));
  EXPECT_EQ(MiniCell(1, 8), "X=0");
  EXPECT_TRUE(PointerAt(32, 32)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, kGraphExitExit);
  EXPECT_EQ(Last().x, "0");
  EXPECT_EQ(Last().y, "0");
}

TEST_F(TableTraceScreen, AcLeavesTheScreen) {
  Open({{kY, kSel | kSelTable, 2, "X^2"}}, kGraphDrawFuncs, {{kSetupDualScreen, 2}}, RangeMinus3To3);
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTableTrace}));
  ASSERT_TRUE(CalcPress("DOWN AC"));
  EXPECT_EQ(Last().result, kGraphExitShown);
  EXPECT_EQ(Last().x, "-2");
  EXPECT_EQ(Last().y, "4");
}

// Dual Screen "G to T": the table starts empty, so there is nothing to trace
// until EXE of the graph's own trace has added rows.
TEST_F(TableTraceScreen, EmptyTableThenRowsAddedByTheTrace) {
  Open({{kY, kSel, 2, "X^2"}}, kGraphDrawFuncs, {{kSetupDualScreen, 1}});
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTableTrace}));
  EXPECT_EQ(MiniCell(1, 8), "");
  EXPECT_EQ(Last().runs, 0);  // still on the graph screen
  ASSERT_TRUE(CalcPress("F1 RIGHT RIGHT RIGHT RIGHT RIGHT EXE EXIT"));
  EXPECT_EQ(Last().result, kGraphExitExit);
  ASSERT_TRUE(CalcPress("EXE"));  // the graph again, its table kept
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTableTrace}));
  // x five half-screen dots (12.6 / 62 wide) right of 0.
  EXPECT_EQ(MiniCell(1, 8), "X=1.016129032");
  EXPECT_EQ(MiniCell(17, 8), "Y=1.03251821");
  EXPECT_TRUE(PointerAt(37, 22)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, kGraphExitExit);
}

// The graph of a parametric table (G-CON): the trace reads T and, with the
// derivative on, the slopes from the point's row.
TEST_F(TableTraceScreen, TableGraphTraceReadsTheRowsParameterAndSlopes) {
  std::string text = "2T";
  text += '\xF6';
  text += "T^2";
  Open({{gapp::kParam, kSelTable, 2, text}}, kGraphTableConnect, {{kSetupFuncType, 2}, {kSetupDerivative, 0}},
       RangeMinus3To3);
  ASSERT_TRUE(CalcPress("F1"));
  struct Step {
    const char *keys, *dxdt, *dydt, *t, *dydx;
  } steps[] = {
      {"", "dX/dT=2", "dY/dT=-6", "T=-3", "dY/dX=-3"},
      {"RIGHT", "dX/dT=2", "dY/dT=-4", "T=-2", "dY/dX=-2"},
      {"RIGHT RIGHT RIGHT RIGHT", "dX/dT=2", "dY/dT=4", "T=2", "dY/dX=2"},
  };
  for (const Step &st : steps) {
    if (*st.keys) {
      ASSERT_TRUE(CalcPress(st.keys));
    }
    EXPECT_EQ(MiniCell(1, 7), st.dxdt) << st.keys;
    EXPECT_EQ(MiniCell(17, 7), st.dydt) << st.keys;
    EXPECT_EQ(MiniCell(1, 8), st.t) << st.keys;
    EXPECT_EQ(MiniCell(17, 8), st.dydx) << st.keys;
  }
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(gapp::ShowVar('T'), "2");
}

}  // namespace
