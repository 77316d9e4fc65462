// The V-Window values and zoom factors as variables: read in formulas and
// assigned with the arrow, with the window's rules.
#include "tests/eval/eval_testutil.h"
#include "tests/eval/prog_test_util.h"

namespace {

class GraphValues : public ProgFixture {};

TEST_F(GraphValues, ReadAndAssigned) {
  const std::string xmax = "\x7F\x01";
  const std::string xdot = "\xF9\x21";
  const std::string rxmax = "\x7F\x11";
  const std::string xfct = "\x7F\x0B";
  const std::string yfct = "\x7F\x0C";
  // A refused value stops the line before A is read again: A keeps what the
  // line's first statement read.
  struct Case {
    std::string line;
    u32 error;
    const char *a;  // variable A afterwards
  } cases[] = {
      {"\x7F\x05->A", 0, "3.1"},  // Ymax: the window is made on first use
      {"2->" + xmax + ":" + xdot + "->A", 0, "0.06587301587"},
      {xmax + "->A:1\x0F" "98->" + xmax, 28, "6.3"},
      {xmax + "->A:{neg}2->" + xdot, 28, "6.3"},
      {"1/4->" + xdot + ":" + xmax + "->A", 0, "25.2"},  // a fraction is stored as its decimal
      {"9->" + rxmax + ":" + rxmax + "-" + xmax + "->A", 0, "2.7"},
      {xfct + "+" + yfct + "->A", 0, "4"},
      {yfct + "->A:0->" + yfct, 28, "2"},
      {xfct + "->A:{neg}1->" + xfct, 28, "2"},
      {"5->" + yfct + ":" + yfct + "->A", 0, "5"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(&c - cases);
    ASSERT_EQ(McsClearAll(), 0u);
    SysClearVariables();
    EXPECT_EQ(RunLine(ProgTok(c.line)), c.error);
    EXPECT_EQ(ProgTestVar('A'), c.a);
  }
  // In a formula as well.
  ASSERT_EQ(McsClearAll(), 0u);
  EXPECT_EQ(evaltest::Eval("2*{Xmin}"), "-12.6");
  EXPECT_EQ(evaltest::Eval("{Xfct}"), "2");
}

// Two-byte tokens whose second byte is 0 (Xmin 0x7F 0x00, If 0xF7 0x00) do
// not end the text they stand in: what follows them is read.
TEST_F(GraphValues, ZeroSecondByteTokensInsideATextAreReadOn) {
  struct Formula {
    const char *text;
    const char *shown;
  } const formulas[] = {
      {"{Xmin}*2", "-12.6"},
      {"{Xmin}+{Xmin}", "-12.6"},
      {"({Xmin}-1)*2", "-14.6"},
      {"2{Xmin}+1", "-11.6"},
      {"{Xmin}", "-6.3"},
  };
  for (const Formula &f : formulas) {
    SCOPED_TRACE(f.text);
    EXPECT_EQ(evaltest::Eval(f.text), f.shown);
  }

  const std::string xmin("\x7F\x00", 2);
  struct Line {
    std::string line;
    const char *a;
  } const lines[] = {
      {xmin + "*2->A", "-12.6"},
      {"{If}" + xmin + "<0:{Then}" + xmin + "*2->A:{Else}1->A:{IfEnd}", "-12.6"},
      {"{If}" + xmin + ">0:{Then}1->A:{Else}" + xmin + "-1->A:{IfEnd}", "-7.3"},
      {"0->A:{For}1->I{To}3:A+" + xmin + "->A:{Next}", "-18.9"},
  };
  for (const Line &l : lines) {
    SCOPED_TRACE(&l - lines);
    ASSERT_EQ(McsClearAll(), 0u);
    SysClearVariables();
    EXPECT_EQ(RunLine(ProgTok(l.line)), 0u);
    EXPECT_EQ(ProgTestVar('A'), l.a);
    // The same text as a stored program.
    SysClearVariables();
    ASSERT_EQ(ProgTestStore("ZERO2", ProgTok(l.line)), 0u);
    EXPECT_EQ(RunProgram("ZERO2"), 0u);
    EXPECT_EQ(ProgTestVar('A'), l.a);
  }
}

}  // namespace
