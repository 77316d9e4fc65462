// The evaluator core: stack limits, flag words, nested evaluations on one
// stack area, element access and release, the entry points, Getkey and
// Break.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "eval_testutil.h"
#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "number/valop.h"
#include "number/value.h"

namespace {

using evaltest::Eval;
using evaltest::Tokens;

struct Area {
  EvalOperandStack operands{};
  EvalOperatorStack operators{};
  EvalReturnStack returns{};
  EvalStackArea area{&operands, &operators, &returns};
};

// EvalExpr on a caller's area, as the calculus engines call it.
u32 RunIn(Area &a, const std::string &text, u32 flags, EvalCell *result) {
  static std::vector<u8> t;
  t = Tokens(text);
  TokPos pos = t.data();
  EvalCell tok{};
  tok.re.b[0] = '0';
  TokNext(&tok, &pos);
  std::memset(result, 0, sizeof *result);
  return EvalExpr(&pos, &tok, result, &a.area, flags);
}

// A temporary real list {1, 2, ..., n}.
EvalCell HeapList(u16 n) {
  const MemHandle h = MemAlloc(12u * n);
  for (u16 k = 0; k < n; ++k) {
    BcdReal r;
    NumFromInt32(k + 1, &r);
    std::memcpy(MemDeref(h) + 12 * k, &r, 12);
  }
  EvalCell c{};
  EvalSetListHeader(kValRealList, n, h, &c);
  return c;
}

u32 HandleOf(const EvalCell &c) {
  u32 h;
  std::memcpy(&h, &c.re.b[8], 4);
  return h;
}

class Core : public ::testing::Test {
 protected:
  void SetUp() override { evaltest::ResetState(); }
  void TearDown() override {
    KeyBreakDisarm();
    evaltest::ResetState();
  }
};

TEST_F(Core, StackLimits) {
  // Ten operands wait on the stack at most; a complex one takes two entries.
  std::string ten, eleven, complexNine;
  for (int k = 0; k < 10; ++k) ten += "1+(";
  for (int k = 0; k < 11; ++k) eleven += "1+(";
  EXPECT_EQ(Eval(ten + "1"), "11");
  EXPECT_EQ(Eval(eleven + "1"), "E7");
  SetupSetItem(kSetupComplexMode, 1);
  for (int k = 0; k < 4; ++k) complexNine += "{i}+(";
  EXPECT_EQ(Eval(complexNine + "1+(1+(1"), "(3,4)");
  EXPECT_EQ(Eval(complexNine + "{i}+(1+(1"), "E7");
  // 26 bytes of operators: each "{sin}" waits as one byte.
  std::string sines;
  for (int k = 0; k < 26; ++k) sines += "{sin}";
  EXPECT_EQ(Eval(sines + "0"), "0");
  EXPECT_EQ(Eval(sines + "{sin}0"), "E7");
}

TEST_F(Core, FlagWordsTestTheResultKind) {
  Area a;
  EvalCell r;
  struct Case {
    const char *text;
    u32 flags;
    const char *want;
  };
  const Case cases[] = {
      {"1{frac}3", 0x0100, "1/3"},
      {"1{frac}3", 0x8100, "0.333333333333333"},
      {"{i}", 0x0100, "E3"},
      {"{i}", 0x0900, "(0,1)"},
      {"{Pol}1,0)", 0x0100, "E3"},
      {"1", 0x0200, "E3"},
      {"1", 0x0F00, "1"},
  };
  SetupSetItem(kSetupComplexMode, 1);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    RunIn(a, c.text, c.flags, &r);
    EXPECT_EQ(numtest::ShowV(r), c.want);
    EXPECT_EQ(a.operands.count, 0);
    EXPECT_EQ(a.operators.count, 0);
  }
  // The refused list was released: its slot serves the next block.
  RunIn(a, "{Pol}1,0)", 0x0100, &r);
  const MemHandle first = MemAlloc(16);
  RunIn(a, "{Pol}1,0)", 0x0F00, &r);
  EXPECT_EQ(ValKind(&r), kValKindList);
  EXPECT_NE(HandleOf(r), first);
  EvalFreeCell(&r);
  MemFree(first);
}

TEST_F(Core, CalculusArgumentInsideAnother) {
  Area a;
  EvalCell r;
  EvalCell marker{};
  marker.re.b[0] = kEvalCalcMarker;
  EvalPushOperator(&marker, &a.operators);
  EXPECT_EQ(RunIn(a, "1", kEvalScalarArg, &r), 0u);
  EXPECT_EQ(numtest::ShowV(r), "E2");
  EXPECT_EQ(a.operators.count, 1);
}

// A failure deep inside a nested evaluation leaves the caller's stacks as
// they were, and the area evaluates cleanly again.
TEST_F(Core, NestedFailureRestoresTheStacks) {
  Area a;
  EvalCell r;
  // What an enclosing evaluation left on the area.
  EvalCell five = evaltest::Whole("5").value, plus{};
  plus.re.b[0] = 0x89;
  EvalPushOperand(&five, &a.operands);
  EvalPushOperator(&plus, &a.operators);
  const EvalOperandStack before = a.operands;
  const char *failing[] = {
      "1+2*{Pol}3,(4+(5/0",   // Ma ERROR two brackets deep in the second argument
      "1+2*{Pol}3,(4+(5+)",   // Syntax ERROR there
      "2*(3+{Rec}1,{Pol}1,1",  // a list argument inside a nested argument
      "((((((((((((((((((((((((((1",  // Stack ERROR: 26 brackets over the caller's two bytes
  };
  for (const char *t : failing) {
    SCOPED_TRACE(t);
    EXPECT_EQ(RunIn(a, t, kEvalScalarArg, &r), 0u);
    EXPECT_NE(ValErrorCode(&r), 0);
    EXPECT_EQ(a.operands.count, before.count);
    EXPECT_EQ(std::memcmp(a.operands.entry, before.entry, sizeof(BcdReal) * before.count), 0);
    EXPECT_EQ(a.operators.count, 1);
    EXPECT_EQ(a.operators.bytes[0], 0x89);
    EXPECT_EQ(a.returns.count, 0);
  }
  EXPECT_EQ(RunIn(a, "2+3", kEvalScalarArg, &r), 1u);
  EXPECT_EQ(numtest::ShowV(r), "5");
  EXPECT_EQ(a.operands.count, before.count);
  EXPECT_EQ(a.operators.count, 1);
}

// Element indexes are checked at both ends (index 0 used to read before the
// block); an index outside gives 0 and leaves the output cell as it was.
TEST_F(Core, ElementReadersCheckBothBounds) {
  EvalCell list = HeapList(3);
  EvalCell out{};
  const Value marker = numtest::V("77");
  struct Case {
    u32 n;
    const char *want;  // "77": out unchanged
  };
  const Case cases[] = {{0, "77"}, {1, "1"}, {3, "3"}, {4, "77"}, {0xFFFFFFFFu, "77"}};
  for (const Case &c : cases) {
    out = marker;
    EXPECT_EQ(EvalGetListElement(c.n, &list, &out), std::string(c.want) == "77" ? 0u : 1u) << c.n;
    EXPECT_EQ(numtest::ShowV(out), c.want) << c.n;
  }
  // A 2 x 3 matrix over the same six... three elements: rows and columns.
  EvalCell mat{};
  const MemHandle h = MemAlloc(12 * 6);
  for (int k = 0; k < 6; ++k) {
    BcdReal r;
    NumFromInt32(10 + k, &r);
    std::memcpy(MemDeref(h) + 12 * k, &r, 12);
  }
  EvalSetMatHeader(kValRealMatrix, 2, 3, h, &mat);
  struct MCase {
    u32 row, col;
    const char *want;
  };
  const MCase mcases[] = {{1, 1, "10"}, {2, 3, "15"}, {1, 3, "12"}, {0, 1, "77"},
                          {1, 0, "77"}, {3, 1, "77"}, {1, 4, "77"}};
  for (const MCase &c : mcases) {
    out = marker;
    EXPECT_EQ(EvalGetMatElement(c.row, c.col, &mat, &out), std::string(c.want) == "77" ? 0u : 1u);
    EXPECT_EQ(numtest::ShowV(out), c.want) << c.row << "," << c.col;
  }
  EvalFreeCell(&list);
  EvalFreeCell(&mat);
}

// Release is idempotent: a released cell forgets its handle, so a second
// release cannot free a block that has since been given to someone else.
TEST_F(Core, ReleaseTwiceFreesOnce) {
  EvalCell list = HeapList(2);
  const u32 h = HandleOf(list);
  EvalFreeCell(&list);
  EXPECT_EQ(HandleOf(list), 0u);
  const MemHandle other = MemAlloc(24);
  ASSERT_EQ(other, h);  // the slot is reused
  EvalFreeCell(&list);
  EXPECT_NE(MemDeref(other), nullptr);
  MemFree(other);

  // A failed operation on a list (lengths differ) releases the operand once.
  EvalCell left = HeapList(2), right = HeapList(3), op{};
  op.re.b[0] = 0x89;
  EXPECT_EQ(EvalApplyBinary(&left, &op, &right), 0u);
  EXPECT_NE(ValErrorCode(&right), 0);
  const MemHandle again = MemAlloc(24);
  EvalFreeCell(&left);
  EXPECT_NE(MemDeref(again), nullptr);
  MemFree(again);

  // A block the operation keeps for its result is not released.
  evaltest::Outcome o = evaltest::Whole("{Pol}1,1){k}");
  ASSERT_EQ(o.ok, 1u);
  EvalCell e{};
  EXPECT_EQ(EvalGetListElement(2, &o.value, &e), 1u);
  EXPECT_EQ(numtest::ShowV(e), "45000");
  EvalFreeCell(&o.value);
}

TEST_F(Core, ValueHeaderWritersAndArgumentTests) {
  EvalCell c{};
  EvalMakeListHeader(&c, 0x1234, 7, 0);
  EXPECT_EQ(c.re.b[0], 0xA0);
  EvalMakeMatHeader(&c, 0x1234, 2, 3, 1);
  EXPECT_EQ(c.re.b[0], 0x30);
  EXPECT_EQ(c.re.b[4], 3);
  struct Case {
    const char *text;
    u32 test;     // EvalIntegerTest
    u32 intArg;   // EvalIntArg with limit 9999
  };
  const Case cases[] = {{"0", 3, 0}, {"1", 3, 1}, {"9999", 3, 1}, {"10000", 3, 0}, {"2.5", 0, 0},
                        {"-3", 3, 0}, {"1{frac}3", 5, 0}, {"0.5", 0, 0}, {"1{e}25", 3, 0}};
  for (const Case &k : cases) {
    EvalCell v = evaltest::Whole(k.text).value;
    EXPECT_EQ(EvalIntegerTest(&v.re), k.test) << k.text;
    u16 n = 0;
    EXPECT_EQ(EvalIntArg(&v, &n, 9999), k.intArg) << k.text;
    if (!k.intArg) {
      EXPECT_EQ(numtest::ShowV(v), "E8") << k.text;
    }
  }
}

TEST_F(Core, FormulaModes) {
  struct Case {
    const char *text;
    u32 mode;
    const char *want;
    int ansAfter;  // Ans afterwards (-1: unchanged 0)
  };
  SetupSetItem(kSetupComplexMode, 1);
  const Case cases[] = {
      {"1+2", 2, "3", -1},
      {"1+2", 3, "3", 3},
      {"{i}", 3, "E3", -1},
      {"{i}", 2, "(0,1)", -1},
      {"{Pol}1,0)", 2, "E2", -1},
      {"{Pol}1,0)", 4, "{1,0}", -1},
      {"1{frac}4", 5, "0.25", -1},
      {"1{frac}4", 2, "1/4", -1},
      {"1+2:3", 2, "E2", -1},
      {"1+2{->}A", 3, "3", 3},     // the interpreter stores the trailing assignment
      {"1+2{->}A", 5, "3", -1},
      {"1+2{->}A", 2, "E2", -1},    // mode 2 takes no assignment
      {"1/0", 3, "E3", -1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    evaltest::ResetState();
    SetupSetItem(kSetupComplexMode, 1);
    std::vector<u8> t = Tokens(c.text);
    TokPos pos = t.data();
    EvalCell r{};
    const u32 ok = EvalFormula(&pos, c.mode, &r);
    std::string shown = numtest::ShowV(r);
    if (shown == "list") {
      shown = "{";
      for (u32 n = 1; n <= 2; ++n) {
        EvalCell e{};
        EvalGetListElement(n, &r, &e);
        shown += (n > 1 ? "," : "") + numtest::ShowV(e);
      }
      shown += "}";
      EvalFreeCell(&r);
    }
    EXPECT_EQ(shown, c.want);
    EXPECT_EQ(ok != 0, c.want[0] != 'E');
    Value ans;
    SysReadVariable(kVarAns, &ans);
    EXPECT_EQ(numtest::ShowV(ans), c.ansAfter < 0 ? "0" : std::to_string(c.ansAfter));
    if (std::string(c.text).find("{->}A") != std::string::npos) {
      Value a;
      SysReadVariable('A', &a);
      EXPECT_EQ(numtest::ShowV(a), ok ? "3" : "0");
    }
  }
}

// Text that lies in the item store is evaluated from a copy; the position
// given back is the matching place in the caller's text.
TEST_F(Core, TextInTheItemStore) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  ASSERT_EQ(McsClearAll(), 0u);
  const std::vector<u8> text = Tokens("1+2)+3");
  ASSERT_EQ(McsCreateInFolder("main", "EVALTXT", static_cast<u32>(text.size()), text.data()), 0u);
  u8 *data = nullptr;
  u32 size = 0;
  ASSERT_EQ(McsOpenInFolderPtr("main", "EVALTXT", &size, &data), 0u);
  TokPos pos = data;
  EvalCell tok{}, r{};
  EXPECT_EQ(EvalWholeExpr(&pos, &tok, &r, 1), 0u);
  EXPECT_EQ(numtest::ShowV(r), "E2");
  EXPECT_EQ(pos, data + 4);  // just past the unmatched bracket
  pos = data;
  EXPECT_EQ(EvalFormula(&pos, 2, &r), 0u);
  EXPECT_EQ(pos, data + 4);
  pos = data;
  const std::vector<u8> good = Tokens("12*3");
  McsWriteInFolder("main", "EVALTXT", static_cast<u32>(good.size()), good.data(), 0);
  ASSERT_EQ(McsOpenInFolderPtr("main", "EVALTXT", &size, &data), 0u);
  pos = data;
  EXPECT_EQ(EvalFormula(&pos, 3, &r), 1u);
  EXPECT_EQ(numtest::ShowV(r), "36");
  EXPECT_EQ(pos, data + 4);
}

// An assignment after a formula creates a list item, and the item holding
// the formula's text moves: the rest of the formula is still read right.
TEST_F(Core, FormulaTextMovesDuringItsAssignment) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  ASSERT_EQ(McsClearAll(), 0u);
  // A long formula, so that what moves over its old place is its own text.
  std::string formula = "5";
  for (int k = 0; k < 60; ++k) formula += "+0";
  const std::vector<u8> text = Tokens(formula + "{->}{#7F46}{List}1");
  ASSERT_EQ(McsCreateInFolder("main", "ZZTEXT", static_cast<u32>(text.size()), text.data()), 0u);
  u8 *before = nullptr;
  u32 size = 0;
  ASSERT_EQ(McsOpenInFolderPtr("main", "ZZTEXT", &size, &before), 0u);
  TokPos pos = before;
  EvalCell r{};
  EXPECT_EQ(EvalFormula(&pos, 5, &r), 1u);
  EXPECT_EQ(numtest::ShowV(r), "5");
  u8 *after = nullptr;
  ASSERT_EQ(McsOpenInFolderPtr("main", "ZZTEXT", &size, &after), 0u);
  EXPECT_NE(after, before);  // the text did move under the evaluation
  EXPECT_EQ(pos - before, static_cast<long>(text.size() - 1));
}

TEST_F(Core, GetkeyAndBreak) {
  KeyBreakDisarm();
  HostClearKeyQueue();
  EvalCell r{};
  EXPECT_EQ(EvalGetkey(&r), 1u);
  EXPECT_EQ(numtest::ShowV(r), "0");
  HostPushKeyEvent(2, 9, 0, 0);
  HostPushKeyEvent(5, 3, 0, 0);  // the newest key counts
  EXPECT_EQ(EvalGetkey(&r), 1u);
  EXPECT_EQ(numtest::ShowV(r), "52");
  EXPECT_EQ(HostKeyQueueCount(), 0u);
  HostPushKeyEvent(1, 1, 0, 0);
  EXPECT_EQ(EvalGetkey(&r), 0u);
  EXPECT_EQ(numtest::ShowV(r), "E1");

  // AC while break detection is armed stops the evaluation at its next
  // entry, nested ones included.
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);
  EXPECT_EQ(Eval("1+2"), "E1");
  EXPECT_EQ(Eval("{Pol}1,1)"), "E1");
  KeyBreakDisarm();
  EXPECT_EQ(Eval("1+2"), "3");
}

// The stored form of two values alike: bytes 0-8 of each part.
bool SameStoredForm(const Value &a, const Value &b) {
  return std::memcmp(a.re.b, b.re.b, 9) == 0 && std::memcmp(a.im.b, b.im.b, 9) == 0;
}

// Real operands take a shorter path through + - x / ^ and sin cos tan: the
// result, its clean-up and the status are those of the token tables.
TEST_F(Core, RealOperatorsGiveTheTokenTablesResult) {
  Value third, minusThird, one = numtest::V("1"), three = numtest::V("3"), minusOne = numtest::V("-1");
  ValDivFrac(&one, &three, &third, 0);
  ValDivFrac(&minusOne, &three, &minusThird, 0);
  const std::vector<Value> operands = {
      numtest::V("0"),   numtest::V("2"),    numtest::V("-2"),    numtest::V("0.5"),   numtest::V("-8"),
      numtest::V("1e99"), numtest::V("9e-99"), numtest::V("0.1000000000001"), numtest::V("30"),
      numtest::V("1.9999999999991"), third, minusThird};
  const std::vector<std::pair<const char *, u8>> binary = {{"+", 0x89}, {"-", 0x99}, {"*", 0xA9}, {"/", 0xB9}, {"^", 0xA8}};
  for (u8 complexMode : {0, 1}) {
    SetupSetItem(kSetupComplexMode, complexMode);
    for (const Value &a : operands) {
      for (const Value &b : operands) {
        SysStoreVariable('A', &a);
        SysStoreVariable('B', &b);
        for (const auto &[text, op] : binary) {
          const u8 tok[2] = {op, 0};
          Value want{};
          const u32 wantOk = EvalBinaryToken(tok, &a, &b, &want, SetupGetAngle(), complexMode) ? EvalNormalizeCell(&want) : 0;
          const evaltest::Outcome got = evaltest::Whole(std::string("A") + text + "B");
          const std::string where = numtest::ShowV(a) + text + numtest::ShowV(b) + " complex " + std::to_string(complexMode);
          EXPECT_EQ(got.ok, wantOk) << where;
          EXPECT_EQ(numtest::ShowV(got.value), numtest::ShowV(want)) << where;
          if (wantOk) {
          EXPECT_TRUE(SameStoredForm(got.value, want)) << where;
        }
        }
      }
    }
  }
  SetupSetItem(kSetupComplexMode, 0);
  for (u8 angle : {0, 1, 2}) {
    SetupSetItem(kSetupAngle, angle);
    for (const Value &a : operands) {
      SysStoreVariable('A', &a);
      for (const auto &[name, op] : std::vector<std::pair<const char *, u8>>{{"sin", 0x81}, {"cos", 0x82}, {"tan", 0x83}}) {
        const u8 tok[2] = {op, 0};
        Value want{};
        const u32 wantOk = EvalUnaryToken(tok, &a, &want, angle, 0) ? EvalNormalizeCell(&want) : 0;
        const evaltest::Outcome got = evaltest::Whole(std::string("{") + name + "}A");
        const std::string where = std::string(name) + " " + numtest::ShowV(a) + " angle " + std::to_string(angle);
        EXPECT_EQ(got.ok, wantOk) << where;
        EXPECT_EQ(numtest::ShowV(got.value), numtest::ShowV(want)) << where;
        if (wantOk) {
          EXPECT_TRUE(SameStoredForm(got.value, want)) << where;
        }
      }
    }
  }
}

}  // namespace
