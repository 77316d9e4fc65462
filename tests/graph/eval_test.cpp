// Evaluating graph formulas: modes, missing points, list elements, value
// lists, parametric pairs and the T range.
#include "graph/engine/graph_eval.h"

#include "eval/eval_lists.h"
#include "graph_testutil.h"
#include "memory/item_array.h"
#include "ui/sysvar.h"

using namespace graphtest;

namespace {

class GraphEval : public Fixture {
 protected:
  void SetX(const char *v) {
    const Value x = numtest::V(v);
    SysStoreVariable('X', &x);
  }
  void SetVar(u8 var, const char *v) {
    const Value x = numtest::V(v);
    SysStoreVariable(var, &x);
  }
  // "code:value" of one evaluation.
  std::string Run(const std::string &text, u32 mode) {
    std::vector<u8> t = evaltest::Tokens(text);
    TokPos pos = t.data();
    Value result{};
    const u32 code = GraphEvalExpr(&pos, &result, mode);
    EXPECT_EQ(SetupGetByte(kSetupGraphVars) & 0x1F, 0) << text;
    return std::to_string(code) + ":" + numtest::ShowV(result);
  }
};

TEST_F(GraphEval, ModesDecideVariablesResultsAndEnds) {
  SetX("3");
  SetVar('T', "2");
  SetVar(0xCE, "4");
  EvalSetListSubstIndex(2);
  struct Case {
    const char *text;
    u32 mode;
    const char *expected;
  };
  const Case cases[] = {
      {"X^2", kGraphModeX, "0:9"},
      {"X+1,[1,2]", kGraphModeX, "0:4"},           // a tail may follow
      {"X)", kGraphModeX, "2:E2"},                 // anything else may not
      {"X", kGraphModeConst, "2:E2"},              // X=c: no graph variable
      {"Y", kGraphModeX, "2:E2"},
      {"{r}", kGraphModeTheta, "2:E2"},
      {"T", kGraphModeX, "2:E2"},
      {"{theta}*2", kGraphModeTheta, "0:8"},
      {"5", kGraphModeConst, "0:5"},
      {"2T{#F6}3T", kGraphModeT, "0:4"},         // a pair's first half ends at 0xF6
      {"2X{#F6}", kGraphModeX, "2:E2"},
      {"3T)", kGraphModeTBracket, "0:6"},        // read after an opening bracket
      {"3]", kGraphModeItem, "0:3"},             // an item may end at "]"
      {"3]", kGraphModeX, "2:E2"},
      {"X]", kGraphModeItem, "2:E2"},
      {"{sqrt}(~X)", kGraphModeX, "0:E17"},      // no real value: a missing point
      {"1/(X-3)", kGraphModeX, "0:E3"},
      {"{#7B}1,2{#7D}X", kGraphModeX, "2:E2"},   // a list in a plain mode
      {"{#7B}1,2{#7D}X", kGraphModeX | kGraphModeList, "0:6"},  // element 2 of it
      {"{List}1", kGraphModeX, "2:E2"},
      {"{Mat}A", kGraphModeX, "2:E2"},
      {"1+", kGraphModeX, "2:E2"},
  };
  ASSERT_EQ(ItemMatCreate(1, 1, 1), 0u);
  ASSERT_EQ(ItemListCreate(0, 1, 3), 0u);
  for (const Case &c : cases) EXPECT_EQ(Run(c.text, c.mode), c.expected) << c.text << " mode " << c.mode;
}

TEST_F(GraphEval, ComplexResultIsAMissingPoint) {
  SetupSetItem(kSetupComplexMode, 1);
  SetX("1");
  const std::string r = Run("X+{i}", kGraphModeX);
  EXPECT_EQ(r, "0:E3");
}

TEST_F(GraphEval, PickListElementChecksTheCount) {
  const evaltest::Outcome o = evaltest::Whole("{#7B}7,8{#7D}");
  ASSERT_TRUE(o.ok);
  struct Case {
    i32 n;
    const char *expected;
  };
  for (const Case &c : {Case{1, "7"}, Case{2, "8"}, Case{3, "E9"}, Case{0, "E9"}}) {
    evaltest::Outcome copy = evaltest::Whole("{#7B}7,8{#7D}");
    Value out{};
    EXPECT_EQ(GraphPickListElement(&copy.value, &out, c.n), 2u);
    EXPECT_EQ(numtest::ShowV(out), c.expected) << c.n;
  }
  Value v = numtest::V("5");
  Value out{};
  EXPECT_EQ(GraphPickListElement(&v, &out, 4), 0u);
  EXPECT_EQ(numtest::ShowV(out), "5");
  Value list = o.value;
  EvalFreeCell(&list);
}

TEST_F(GraphEval, EntriesAtOnePoint) {
  Open();
  Add(kGraphFuncY, "X^2");
  Add(kGraphFuncY, "AX^2,[A=1,2,3]");
  Add(kGraphFuncY, "{#7B}1,2{#7D}X+1");
  Add(kGraphFuncXc, "2.5");
  Add(kGraphFuncR, "2{theta}");
  Add(kGraphFuncParam, "T+1{#F6}2T");
  Add(kGraphFuncParam | kGraphTypeBracket, "T+1{#F6}2T)");
  Relink();
  i32 count = 0;
  ASSERT_EQ(GraphScanEntries(&ctx, &count), 0u);
  EXPECT_EQ(count, 10);
  struct Case {
    i32 idx, n;
    const char *v, *out;
  };
  for (const Case &c : {Case{0, 1, "3", "9"}, Case{1, 2, "3", "18"}, Case{1, 3, "-1", "3"}, Case{2, 2, "3", "7"},
                        Case{3, 1, "0", "2.5"}}) {
    BcdReal v = R(c.v), out{};
    EXPECT_EQ(GraphEvalFunc(&v, &out, &ctx, c.idx, c.n), 0u) << c.idx;
    EXPECT_EQ(Show(out), c.out) << c.idx << " n " << c.n;
  }
  // The other graph variable receives the result.
  BcdReal v = R("3"), out{};
  GraphEvalFunc(&v, &out, &ctx, 0, 1);
  Value y{};
  SysReadVariable('Y', &y);
  EXPECT_EQ(numtest::ShowV(y), "9");
  // The value-list coefficient stays for the following points of a sweep.
  GraphEvalFunc(&v, &out, &ctx, 1, 3);
  v = R("2");
  EXPECT_EQ(GraphEvalFuncNext(&v, &out, &ctx, 1, 3), 0u);
  EXPECT_EQ(Show(out), "12");
  // Polar: r = 2 theta at theta = 0.5 gives r = 1, (cos 0.5, sin 0.5).
  BcdReal t = R("0.5"), x{}, yy{}, r{};
  ASSERT_EQ(GraphEvalParam(&t, &x, &yy, &r, &ctx, 4, 1), 0u);
  EXPECT_EQ(Show(r), "1");
  EXPECT_EQ(Show(x), "0.877582561890373");
  EXPECT_EQ(Show(yy), "0.479425538604203");
  // Parametric pairs, plain and bracketed.
  t = R("2");
  for (i32 idx : {5, 6}) {
    ASSERT_EQ(GraphEvalParam(&t, &x, &yy, &r, &ctx, idx, 1), 0u) << idx;
    EXPECT_EQ(Show(x), "3");
    EXPECT_EQ(Show(yy), "4");
  }
  BcdReal theta = R("3");
  EXPECT_EQ(GraphEvalPolar(&theta, &r, &ctx, 4, 1), 0u);
  EXPECT_EQ(Show(r), "6");
}

TEST_F(GraphEval, TRangeOfAnEntry) {
  Open();  // T 0 .. 2 pi, pitch 2 pi / 100
  Add(kGraphFuncParam, "T{#F6}T");
  Add(kGraphFuncParam, "T{#F6}T,[1,2]");
  Relink();
  i32 count = 0;
  ASSERT_EQ(GraphScanEntries(&ctx, &count), 0u);
  struct Case {
    i32 idx;
    const char *t;
    u32 plain, simul;
  };
  for (const Case &c : {Case{0, "0", 0, 0}, Case{0, "-0.01", 12288, 0}, Case{0, "-0.04", 12288, 12288},
                        Case{0, "6.3", 12288, 0}, Case{1, "1", 0, 0}, Case{1, "2", 0, 0},
                        Case{1, "2.02", 12288, 0}, Case{1, "0.9", 12288, 12288}}) {
    const BcdReal t = R(c.t);
    EXPECT_EQ(GraphTInRange(&t, &ctx, c.idx), c.plain) << c.idx << " at " << c.t;
    EXPECT_EQ(GraphTInRangeSimul(&t, &ctx, c.idx), c.simul) << c.idx << " at " << c.t;
  }
  BcdReal b{};
  EXPECT_EQ(GraphEntryText(1, ctx.entries, 1, &b), 0u);
  EXPECT_EQ(Show(b), "2");
}

}  // namespace
