// Programs that use the calculus functions: Solve( in a loop, the integral
// of a function memory, and an error inside a loop body.
#include <gtest/gtest.h>

#include <string>

#include "memory/item_system.h"
#include "prog_test_util.h"

namespace {

class ProgCalculus : public ProgFixture {};

TEST_F(ProgCalculus, SolveInALoop) {
  // For A=1 To 5: the positive root of X^2=A, summed into B.
  const std::string text = std::string("0->B\n{For}1->A{To}5\n") + "\x7F\x28" + "X\x8B=A,1)+B->B\n{Next}";
  ASSERT_EQ(ProgTestStore("ROOTS", ProgTok(text)), 0u);
  const std::vector<bool> heap = ProgTestHeap();
  EXPECT_EQ(RunProgram("ROOTS"), 0u);
  // 1 + 1.4142135623731 + 1.73205080756888 + 2 + 2.23606797749979
  EXPECT_EQ(ProgTestVar('B'), "8.382332347");
  EXPECT_EQ(ProgTestVar('X'), "2.236067977");
  EXPECT_EQ(ProgTestHeap(), heap);
}

TEST_F(ProgCalculus, FailuresStopTheProgramWithTheirError) {
  struct Case {
    const char *text;
    u32 error;
  } cases[] = {
      {"\x7F\x28X\x8B+1,0)->A", 27},  // Can't Solve!
      {"\x8D" "1/X,{neg}1,2)->A", 29},  // Time Out
      {"\x8DX,0,1,0)->A", 8},          // Argument ERROR
  };
  for (const Case &c : cases) {
    ASSERT_EQ(McsClearAll(), 0u);
    ASSERT_EQ(ProgTestStore("FAIL", ProgTok(c.text)), 0u);
    EXPECT_EQ(RunProgram("FAIL"), c.error) << c.text;
  }
}

}  // namespace
