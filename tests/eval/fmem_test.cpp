// Function memories and graph functions called inside an expression.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eval_testutil.h"
#include "graph/memory/gmem_func.h"
#include "kernel/calc_ram.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"

namespace {

class FnMem : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    McsClearAll();
    evaltest::ResetState();
    SetupSetItem(kSetupAngle, 1);  // radians
  }
  void TearDown() override {
    evaltest::ResetState();
    HostFreeCalcRam();
  }
  static void Fmem(u32 slot, const std::string &text) {
    const std::vector<u8> t = evaltest::Tokens(text);
    ASSERT_EQ(ItemFmemStore(slot, reinterpret_cast<const char *>(t.data())), 0u);
  }
  static void Graph(int slot, u16 type, const std::string &text) {
    const std::vector<u8> t = evaltest::Tokens(text);
    const u8 head[4] = {static_cast<u8>(type & 0xFF), static_cast<u8>(type >> 8), 0x80, 2};
    ASSERT_EQ(GmemWriteFuncItem(slot, head, reinterpret_cast<const char *>(t.data())), 0u);
  }
  static void Set(u8 var, const char *v) {
    const Value x = numtest::V(v);
    SysStoreVariable(var, &x);
  }
  static std::string Var(u8 var) {
    Value v;
    SysReadVariable(var, &v);
    return numtest::ShowV(v);
  }
};

TEST_F(FnMem, CallsWithAndWithoutArguments) {
  Set('X', "7");
  Fmem(1, "2X");
  Fmem(2, "A+1");
  Fmem(12, "X{sq}");
  Fmem(4, "{Xmin}*2+X");  // a zero second byte inside the stored text
  struct Case {
    const char *text;
    const char *want;
  } cases[] = {
      {"{f1}", "14"},
      {"{f1}(3)", "6"},
      {"{f1}(3)+{f1}", "20"},
      {"{#15}(A=4)", "5"},
      {"{#F91B}12(3)+1", "10"},
      {"{#F91B}12", "49"},
      {"{#17}", "-5.6"},
      {"3{f1}(1)", "6"},
      {"{int}{#16},0,1)", "E4"},  // f3 is empty
      {"{f1}(1", "E2"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(evaltest::Eval(c.text), c.want) << c.text;
    // The argument's variable is given back.
    EXPECT_EQ(Var('X'), "7") << c.text;
    EXPECT_EQ(Var('A'), "0") << c.text;
  }
  Fmem(1, "X{sq}");
  const std::string third = evaltest::Eval("{int}{f1},0,1)");
  EXPECT_EQ(third.substr(0, 12), "0.3333333333") << third;
}

TEST_F(FnMem, GraphFunctions) {
  Graph(1, 0x108, "X{sq}+1");
  Graph(3, 0x409, "{cos}T{#F6}{sin}T");
  Graph(4, 0x40A, "2{theta}");
  Graph(5, 0x209, "Y+1");
  Graph(6, 0x409, "{cos}T");  // no Yt part
  Graph(7, 0x777, "X");       // a type the calls do not know
  struct Case {
    const char *text;
    const char *want;
  } cases[] = {
      {"{#7FF0}1(2)", "5"},
      {"{#7FF1}1", "E2"},
      {"{#7FF2}3(0)", "1"},
      {"{#7FF3}3({pi}/2)", "1"},
      {"{#7FF1}4(3)", "6"},
      {"{#7FF4}5(2)", "3"},
      {"{#7FF0}21", "E8"},
      {"{#7FF0}25", "E8"},
      {"{#7FF0}0", "E8"},
      {"{#7FF0}2", "E4"},
      {"{#7FF3}6(1)", "E4"},
      {"{#7FF0}7", "E23"},
  };
  for (const Case &c : cases) EXPECT_EQ(evaltest::Eval(c.text), c.want) << c.text;
}

TEST_F(FnMem, Faults) {
  Fmem(1, "{f1}+1");  // calls itself
  Fmem(3, "1/0");
  Fmem(4, "2X)");     // text that does not end where it should
  Fmem(5, "{f1}(");   // a text ending in an open argument
  struct Case {
    const char *text;
    const char *want;
  } cases[] = {
      {"{f1}", "E7"},
      {"{#16}", "E3"},  // f3 divides by 0
      {"{#17}", "E2"},
      {"{#18}", "E2"},
      {"{f1}(", "E2"},
      {"{#15}", "E4"},  // f2 was never stored
  };
  for (const Case &c : cases) EXPECT_EQ(evaltest::Eval(c.text), c.want) << c.text;
  // Six nested argument forms are too many.
  Fmem(2, "X");
  EXPECT_EQ(evaltest::Eval("{#15}({#15}({#15}({#15}({#15}(1)))))"), "1");
  EXPECT_EQ(evaltest::Eval("{#15}({#15}({#15}({#15}({#15}({#15}(1))))))"), "E7");
}

TEST_F(FnMem, ErrorInsideTheTextIsReportedAtTheCall) {
  Fmem(3, "1/0");
  for (const char *text : {"2+{#16}", "2+{#16}(5)"}) {
    std::vector<u8> t = evaltest::Tokens(text);
    TokPos pos = t.data();
    EvalCell tok{}, r{};
    EXPECT_EQ(EvalWholeExpr(&pos, &tok, &r, 1), 0u) << text;
    EXPECT_EQ(ValErrorCode(&r), 3) << text;
    // The position is in the caller's text, just after the reference.
    EXPECT_EQ(pos - t.data(), static_cast<long>(t.size() - 1)) << text;
    EXPECT_EQ(SetupGetByte(kSetupEvalFlags) & 1, 0) << text;
  }
}

}  // namespace
