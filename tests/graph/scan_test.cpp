// The entry table scan and the formula pre-scan.
#include "graph/engine/graph_scan.h"

#include "graph_testutil.h"
#include "kernel/task.h"
#include "memory/item_array.h"

using namespace graphtest;

namespace {

class Scan : public Fixture {
 protected:
  void SetUp() override {
    Fixture::SetUp();
    Open();
  }
  // "code/count/list count" of scanning one entry.
  std::string ScanOne(u32 type, const std::string &formula) {
    table.clear();
    texts.clear();
    ctx.view.plotTmin = ctx.view.tmin;
    ctx.view.plotTmax = ctx.view.tmax;
    GraphEntry &e = Add(type, formula);
    (void)e;
    Relink();
    i32 count = 0;
    const u32 code = GraphScanEntries(&ctx, &count);
    return std::to_string(code) + "/" + std::to_string(count) + "/" + std::to_string(ctx.entries[0].listCount);
  }
  void MakeList(u8 n, u32 count) {
    ASSERT_EQ(ItemListCreate(0, n, count), 0u);
  }
};

std::string Nested(int n) { return std::string(n, '(') + "X" + std::string(n, ')'); }

TEST_F(Scan, FormulasAndTails) {
  MakeList(1, 3);
  MakeList(2, 256);
  struct Case {
    u32 type;
    std::string formula;
    const char *expected;
  };
  const Case cases[] = {
      {kGraphFuncY, "X^2", "0/1/1"},
      {kGraphFuncY, "{#7B}1,2,3{#7D}X", "0/3/3"},
      {kGraphFuncY, "{#7B}1,2{#7D}X+{#7B}1,2,3{#7D}", "9/1/1"},
      {kGraphFuncY, "{#7B}1,2{#7D}X,[1,2]", "2/1/1"},  // a list formula takes no tail
      {kGraphFuncY, "{List}1X", "0/3/3"},
      {kGraphFuncY, "{List}1X+{#7B}1,2{#7D}", "9/1/1"},
      {kGraphFuncY, "{List}5X", "9/1/1"},  // no such list
      {kGraphFuncY, "{List}2X", "2/1/1"},  // 256 elements
      {kGraphFuncY, "{List}1[2]X", "0/1/1"},  // an element is no list
      {kGraphFuncY, "{Pol}1,2)", "0/2/2"},
      {kGraphFuncY, "{Pol}1)", "2/1/1"},
      {kGraphFuncY, "X^2,[~1,2]", "0/1/1"},
      {kGraphFuncY, "X^2,[,2]", "0/1/1"},
      {kGraphFuncY, "X^2,[~1,]", "0/1/1"},
      {kGraphFuncY, "X^2,[3,1]", "2/1/1"},
      {kGraphFuncY, "X^2,[1,2]3", "2/1/1"},
      {kGraphFuncY, "X^2,[1]", "2/1/1"},
      {kGraphFuncY, "X^2,[1,X]", "2/1/1"},     // a bound may not use X
      {kGraphFuncY, "X^2,[1,{sqrt}(~1)]", "17/1/1"},  // a bound must be real
      {kGraphFuncY, "AX^2,[A=1,2,3]", "0/3/3"},
      {kGraphFuncY, "AX^2,[A=1,2,3]4", "2/3/3"},
      {kGraphFuncY, "AX^2,[X=1,2]", "2/1/1"},
      {kGraphFuncY, "X^2,5", "2/1/1"},
      {kGraphFuncY, "X^2)", "2/1/1"},
      {kGraphFuncXc, "2,[0,1]", "2/1/1"},
      {kGraphFuncY, "{Solve}X,1)", "2/1/1"},
      {kGraphFuncY, "{int}(X,0,1)", "2/1/1"},
      {kGraphFuncY, "{ddx}X^2,X)", "0/1/1"},
      {kGraphFuncY, "{ddx}X^2,X),[1,2]", "0/1/1"},
      {kGraphFuncY, "{logab}2)", "2/1/1"},
      {kGraphFuncY, "{logab}2,X)", "0/1/1"},
      {kGraphFuncY, "{RndFix}X)", "0/1/1"},
      {kGraphFuncY, "X:X", "2/1/1"},  // a statement end outside programs
      {kGraphFuncY, Nested(26), "0/1/1"},
      {kGraphFuncY, Nested(27), "7/1/1"},
      {kGraphFuncParam, "T{#F6}T,[0,1]", "0/1/1"},
      {kGraphFuncParam | kGraphTypeBracket, "T{#F6}T),[0,1]", "0/1/1"},
  };
  for (const Case &c : cases) EXPECT_EQ(ScanOne(c.type, c.formula), c.expected) << c.formula;
}

TEST_F(Scan, TwoByteCharactersAreSteppedWhole) {
  // Characters 0xE5-0xE7 whose second byte reads as "(", ")", "," or "{".
  struct Case {
    std::string text;
    u32 code;
    size_t consumed;  // bytes up to and including the end
  };
  const Case cases[] = {
      {"1{#E529}2", 0, 5},
      {"1{#E62C}2", 0, 5},
      {"{#E77B}X", 0, 4},
      {"{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}"
       "{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}{#E528}",
       0, 55},
      {"{#7F51}{#E528}", 0, 5},
  };
  for (const Case &c : cases) {
    std::vector<u8> t = evaltest::Tokens(c.text);
    TokPos pos = t.data();
    i32 size = -1;
    EXPECT_EQ(GraphPreScan(&pos, &size), c.code) << c.text;
    EXPECT_EQ(static_cast<size_t>(pos - t.data()), c.consumed) << c.text;
    EXPECT_EQ(size, 0) << c.text;
  }
}

TEST_F(Scan, CurveLimitAndRanges) {
  // 200 + 56 curves pass the limit of 255.
  std::string big = "{#7B}";
  for (int i = 1; i <= 200; ++i) big += (i > 1 ? "," : "") + std::to_string(i);
  big += "{#7D}X";
  std::string small = "{#7B}";
  for (int i = 1; i <= 56; ++i) small += (i > 1 ? "," : "") + std::to_string(i);
  small += "{#7D}X";
  Add(kGraphFuncY, big);
  Add(kGraphFuncY, small);
  Relink();
  i32 count = 0;
  EXPECT_EQ(GraphScanEntries(&ctx, &count), 2u);
  table.pop_back();
  texts.pop_back();
  Add(kGraphFuncY, "X");
  Relink();
  EXPECT_EQ(GraphScanEntries(&ctx, &count), 0u);
  EXPECT_EQ(count, 201);

  // Range states on the initial window: x 1..3 starts inside; -10..0 runs
  // from the left edge; 7..8 lies right of the screen; -10..10 covers it.
  struct Case {
    const char *formula;
    u8 state;
  };
  const Case cases[] = {
      {"X,[1,3]", kGraphRangeWaiting | kGraphRangeEndInside},
      {"X,[1,]", kGraphRangeWaiting},
      {"X,[~10,0]", kGraphRangeDrawing},
      {"X,[,0]", kGraphRangeDrawing},
      {"X,[7,8]", kGraphRangeDone},
      {"X,[~10,10]", kGraphRangeToEdge},
      {"X,[2,2]", kGraphRangeWaiting | kGraphRangeEndInside | kGraphRangeSingle},
  };
  for (const Case &c : cases) {
    ScanOne(kGraphFuncY, c.formula);
    EXPECT_EQ(ctx.entries[0].rangeState, c.state) << c.formula;
    EXPECT_TRUE(ctx.entries[0].type & kGraphTypeRanged) << c.formula;
  }
  // A parametric range widens the plot's T range.
  ScanOne(kGraphFuncParam, "T{#F6}T,[~1,9]");
  EXPECT_EQ(Show(ctx.view.plotTmin), "-1");
  EXPECT_EQ(Show(ctx.view.plotTmax), "9");
}

TEST_F(Scan, StatementEndsEndFormulasInPrograms) {
  SysSetAppName("@PROG");
  std::vector<u8> t = evaltest::Tokens("X^2:3");
  TokPos pos = t.data();
  i32 size = 0;
  EXPECT_EQ(GraphPreScan(&pos, &size), 0u);
  EXPECT_EQ(pos - t.data(), 4);
  SysSetAppName("@GRAPH");
  pos = t.data();
  EXPECT_EQ(GraphPreScan(&pos, &size), 2u);
}

}  // namespace
