// The trace along the table of the graph-and-table screen: the point and
// read-out of the cursor's cell, the pointer's dot and its hiding, the
// cursor's walk over the function cells, and the keys that end the trace.
#include <initializer_list>
#include <string>
#include <vector>

#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "graph/table/graph_table.h"
#include "graph/table/table_trace.h"
#include "graph_testutil.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "ui/keycodes.h"
#include "ui/sysvar.h"

namespace {

using graphtest::R;
using graphtest::Show;

class TableTrace : public graphtest::Fixture {
 protected:
  void SetUp() override {
    graphtest::Fixture::SetUp();
    Open();
    ctx.optionFlags = 0;
    // The graph on the left half, the table beside it.
    ctx.screenFlags = static_cast<u8>(ctx.screenFlags | 0x30);
    ctx.runFlags = static_cast<u8>(ctx.runFlags | kGraphRunHalf);
    ctx.tableKind = kGraphTableMatrix;
    // Half a unit a column on the half screen (column 32 is x = 0) and one
    // unit a row (row 32 is y = 0).
    ctx.view.xmin = R("-15.5");
    ctx.view.xmax = R("15.5");
    ctx.view.xdot = R("0.24603174603175");
    ctx.view.xdotHalf = R("0.5");
    ctx.view.ymin = R("-31");
    ctx.view.ymax = R("31");
    ctx.view.ydot = R("1");
  }
  void TearDown() override {
    HostClearKeyQueue();
    graphtest::Fixture::TearDown();
  }

  void Build(const char *start, const char *end, const char *step) {
    TableRange r{R(start), R(end), R(step)};
    ASSERT_EQ(TableWriteRange(&r), 0u);
    Relink();
    ASSERT_EQ(GraphBuildTable(&ctx), 0u);
  }
  void At(i32 top, i32 row, i32 left, i32 col) {
    ctx.tableTop = top;
    ctx.tableCursorRow = row;
    ctx.tableLeft = left;
    ctx.tableCursorCol = col;
  }
  std::string Where() const {
    return std::to_string(ctx.tableTop) + "," + std::to_string(ctx.tableCursorRow) + "," +
           std::to_string(ctx.tableLeft) + "," + std::to_string(ctx.tableCursorCol);
  }
  static std::string Var(u8 code) {
    Value v{};
    SysReadVariable(code, &v);
    return Show(v.re);
  }
  static std::string Val(const BcdReal &v) { return RealErrorCode(&v) ? "ERROR" : Show(v); }
  static void Keys(std::initializer_list<u32> keys) {
    for (u32 k : keys) ASSERT_EQ(HostPushKeyEvent(-1, -1, static_cast<u16>(k), 0), 1u);
  }
};

// The point of the cursor's row and the entry of its function column, the
// slopes from the row's derivative columns, and the pointer's dot.
TEST_F(TableTrace, PointAndReadoutOfTheCursorCell) {
  ctx.optionFlags = kGraphOptDerivative;
  Add(kGraphFuncY, "X^2");
  Add(kGraphFuncY, "X+1");
  Build("-2", "2", "1");  // X, Y1, Y1', Y2, Y2'
  struct Case {
    i32 top, row, left, col;
    const char *x, *y, *slope;
    i32 dotCol, dotRow;
  } cases[] = {
      {1, 4, 1, 2, "1", "1", "2", 34, 31},     // Y1 at x = 1
      {1, 4, 2, 2, "1", "1", "2", 34, 31},     // its derivative column: the same point
      {1, 4, 3, 2, "1", "2", "1", 34, 30},     // Y2
      {2, 4, 4, 2, "2", "3", "1", 36, 29},     // Y2' of the last row, the view scrolled
      {1, 1, 1, 2, "-2", "4", "-4", 28, 28},   // the first row
  };
  for (const Case &c : cases) {
    At(c.top, c.row, c.left, c.col);
    TraceReadout ro{};
    GraphPointer cur{};
    EXPECT_EQ(GraphTableTracePoint(&ctx, false, &ro, &cur), 0u);
    const std::string at = Where();
    EXPECT_EQ(Val(ro.x), c.x) << at;
    EXPECT_EQ(Val(ro.y), c.y) << at;
    EXPECT_EQ(Val(ro.slope[0]), c.slope) << at;
    EXPECT_EQ(ro.derivative, 1) << at;
    EXPECT_EQ(ro.kind, 1) << at;
    EXPECT_EQ(cur.hidden, 0u) << at;
    EXPECT_EQ(cur.col, c.dotCol) << at;
    EXPECT_EQ(cur.row, c.dotRow) << at;
    EXPECT_EQ(Var('X'), c.x) << at;
    EXPECT_EQ(Var('Y'), c.y) << at;
  }
}

TEST_F(TableTrace, ParametricAndPolarRows) {
  ctx.optionFlags = kGraphOptDerivative;
  Add(kGraphFuncParam, "2T{#F6}T^2");
  Build("1", "2", "1");  // T, Xt, Yt, Xt', Yt', Y'
  At(1, 2, 1, 2);
  TraceReadout ro{};
  GraphPointer cur{};
  ASSERT_EQ(GraphTableTracePoint(&ctx, false, &ro, &cur), 0u);
  EXPECT_EQ(ro.kind, 3);
  EXPECT_EQ(Val(ro.t), "2");
  EXPECT_EQ(Val(ro.x), "4");
  EXPECT_EQ(Val(ro.y), "4");
  EXPECT_EQ(Val(ro.slope[1]), "2");  // dX/dT
  EXPECT_EQ(Val(ro.slope[2]), "4");  // dY/dT
  EXPECT_EQ(Val(ro.slope[0]), "2");  // dY/dX
  EXPECT_EQ(Var('T'), "2");
  EXPECT_EQ(cur.col, 40);
  EXPECT_EQ(cur.row, 28);

  // A polar table without the derivative: r from the entry's own column.
  table.clear();
  texts.clear();
  ctx.optionFlags = 0;
  Add(kGraphFuncR, "3");
  Add(kGraphFuncR, "2");
  Build("0", "1", "1");  // theta, r1, r2
  At(1, 1, 2, 2);  // r2 at theta 0
  ro = TraceReadout{};
  ASSERT_EQ(GraphTableTracePoint(&ctx, false, &ro, &cur), 0u);
  EXPECT_EQ(ro.kind, 2);
  EXPECT_EQ(ro.derivative, 0);
  EXPECT_EQ(Val(ro.r), "2");
  EXPECT_EQ(Val(ro.t), "0");
  EXPECT_EQ(Val(ro.x), "2");
  EXPECT_EQ(Val(ro.y), "0");
  EXPECT_EQ(Var(0xCD), "2");
  EXPECT_EQ(Var(0xCE), "0");
  EXPECT_EQ(cur.col, 36);
  EXPECT_EQ(cur.row, 32);
}

// An undefined cell, a point off the half screen and a variable outside the
// T range each hide the pointer; the read-out still has the row's values.
TEST_F(TableTrace, PointerHidesWhereThereIsNoPoint) {
  Add(kGraphFuncY, "1/X");
  Add(kGraphFuncY, "X*100");
  Build("-1", "1", "1");
  ctx.view.tmin = R("0");
  ctx.view.tmax = R("6.28");
  struct Case {
    i32 row, left;
    bool checkT;
    const char *y;
    bool hidden;
  } cases[] = {
      {2, 1, false, "ERROR", true},  // 1/0
      {3, 1, false, "1", false},
      {1, 1, false, "-1", false},
      {1, 1, true, "-1", true},       // x = -1 lies below Tmin
      {3, 1, true, "1", false},
      {3, 2, false, "100", true},     // above Ymax
  };
  for (const Case &c : cases) {
    At(1, c.row, c.left, 2);
    TraceReadout ro{};
    GraphPointer cur{};
    EXPECT_EQ(GraphTableTracePoint(&ctx, c.checkT, &ro, &cur), 0u);
    EXPECT_EQ(Val(ro.y), c.y) << c.row << " " << c.checkT;
    EXPECT_EQ(cur.hidden != 0, c.hidden) << c.row << " " << c.checkT;
  }
}

// The cursor stays on the function cells: RIGHT from the last column goes
// to the first function column of the next row, LEFT from the first to the
// last of the row above; the view scrolls with the rows.
TEST_F(TableTrace, CursorWalksTheFunctionCells) {
  Add(kGraphFuncY, "X");
  Add(kGraphFuncY, "X+1");
  Add(kGraphFuncY, "X+2");
  Build("1", "6", "1");  // 6 rows, 4 columns; split: one function column shown
  struct Step {
    u32 key;
    const char *where;  // top, cursor row, offset, cursor column
  } steps[] = {
      {kKeyLeft, "1,1,1,2"},   // first row, first function column: nothing
      {kKeyRight, "1,1,2,2"},  // the offset grows
      {kKeyRight, "1,1,3,2"},
      {kKeyRight, "1,2,1,2"},  // the next row's first function column
      {kKeyLeft, "1,1,3,2"},   // back to the last column of the row above
      {kKeyLeft, "1,1,2,2"},
      {kKeyDown, "1,2,2,2"},
      {kKeyDown, "1,3,2,2"},
      {kKeyDown, "1,4,2,2"},
      {kKeyDown, "2,4,2,2"},   // the view scrolls
      {kKeyDown, "3,4,2,2"},
      {kKeyDown, "3,4,2,2"},   // the last row
      {kKeyRight, "3,4,3,2"},
      {kKeyRight, "3,4,3,2"},  // the last cell: nothing
      {kKeyUp, "3,3,3,2"},
  };
  At(1, 1, 1, 2);
  for (const Step &s : steps) {
    GraphTableTraceMove(&ctx, s.key);
    EXPECT_EQ(Where(), s.where) << s.key << " after " << Where();
  }
  // A full screen shows three function columns.
  ctx.screenFlags = static_cast<u8>(ctx.screenFlags & ~0x30);
  At(1, 2, 1, 4);
  GraphTableTraceMove(&ctx, kKeyRight);
  EXPECT_EQ(Where(), "1,3,1,2");
  GraphTableTraceMove(&ctx, kKeyLeft);
  EXPECT_EQ(Where(), "1,2,1,4");
}

// Each ending key's code, after the moves before it; keys the trace does not
// take are ignored; a key from 30200 on goes back to the caller.
TEST_F(TableTrace, KeysEndTheTraceWithTheirCodes) {
  Add(kGraphFuncY, "X^2");
  Add(kGraphFuncY, "X+1");
  Build("-2", "2", "1");
  struct Case {
    std::vector<u32> keys;
    i32 result;
    const char *where, *x, *y;
  } cases[] = {
      {{kKeyExit}, kGraphExitExit, "1,1,1,2", "-2", "4"},
      {{kKeyDown, kKeyRight, kKeyAc}, kGraphExitShown, "1,2,2,2", "-1", "0"},
      {{kKeyDown, kKeyDown, kKeyGraphTable}, kGraphExitShown, "1,3,1,2", "0", "0"},
      {{kKeyLeft, kKeyQuit}, kGraphExitQuit, "1,1,1,2", "-2", "4"},
      {{kKeyGraphStoreColumn, kKeyXThetaT, kKeyDown, kKeyExit}, kGraphExitExit, "1,2,1,2", "-1", "1"},
      {{kKeyRight, kKeyGraphAc}, static_cast<i32>(kKeyGraphAc), "1,1,2,2", "-2", "-1"},
      {{kKeyGraphTableTrace}, static_cast<i32>(kKeyGraphTableTrace), "1,1,1,2", "-2", "4"},
  };
  for (const Case &c : cases) {
    At(1, 1, 1, 1);  // the variable column: the trace starts on the first function column
    for (u32 k : c.keys) Keys({k});
    Keys({kKeyExit});  // ends a trace that ignored the case's last key
    EXPECT_EQ(GraphTableTrace(&ctx), c.result) << c.keys.back();
    HostClearKeyQueue();
    EXPECT_EQ(Where(), c.where) << c.keys.back();
    EXPECT_EQ(Var('X'), c.x) << c.keys.back();
    EXPECT_EQ(Var('Y'), c.y) << c.keys.back();
  }
}

TEST_F(TableTrace, EmptyTableIsNothingToTrace) {
  Add(kGraphFuncY, "X");
  Relink();
  ItemMatDelete(kGraphTableMatrix);
  EXPECT_EQ(GraphTableTrace(&ctx), kGraphExitNothing);
  // The recursion table's columns are not the function table's.
  Build("1", "3", "1");
  ctx.tableKind = 36;
  EXPECT_EQ(GraphTableTrace(&ctx), kGraphExitNothing);
}

// A table with more function columns than the context has entries (made
// for other functions): the cells beyond give no point.
TEST_F(TableTrace, ColumnBeyondTheEntriesGivesNoPoint) {
  Add(kGraphFuncY, "X");
  Add(kGraphFuncY, "X+1");
  Build("1", "2", "1");
  table.pop_back();
  Relink();
  At(1, 1, 2, 2);
  TraceReadout ro{};
  GraphPointer cur{};
  EXPECT_EQ(GraphTableTracePoint(&ctx, false, &ro, &cur), 4u);
  EXPECT_NE(cur.hidden, 0u);
  EXPECT_EQ(Val(ro.y), "ERROR");
  At(1, 1, 1, 2);
  EXPECT_EQ(GraphTableTracePoint(&ctx, false, &ro, &cur), 0u);
  EXPECT_EQ(Val(ro.y), "1");
}

}  // namespace
