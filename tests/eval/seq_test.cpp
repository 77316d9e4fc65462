// Seq( and Sigma( engines: an expression text evaluated again for every
// value of the variable.
#include <gtest/gtest.h>

#include <string>

#include "../numeric/array_testutil.h"
#include "eval_testutil.h"
#include "eval/eval_lists.h"
#include "numeric/list_seq.h"

namespace {

struct Area {
  EvalOperandStack operands{};
  EvalOperatorStack operators{};
  EvalReturnStack returns{};
  EvalStackArea area{&operands, &operators, &returns};
};

class Seq : public ::testing::Test {
 protected:
  void SetUp() override { evaltest::ResetState(); }
  void TearDown() override { evaltest::ResetState(); }
  // Seq(text, X, a, b, s) or Sigma(text, X, a, b, s) as shown by the tests.
  std::string Run(const std::string &text, const char *a, const char *b, const char *s, bool sum) {
    const std::vector<u8> t = evaltest::Tokens(text);
    TokPos pos = t.data();
    EvalCell tok{};
    tok.re.b[0] = '1';
    TokNext(&tok, &pos);
    Area ar;
    const Value va = numtest::V(a), vb = numtest::V(b), vs = numtest::V(s);
    Value out{};
    const int ok = sum ? NumericSumSequence(&va, &vb, &vs, &out, pos, &tok, &ar.area, 'X')
                       : ListSequence(&out, &va, &vb, &vs, pos, &tok, &ar.area, 'X');
    const std::string shown = arrtest::Show(out);
    arrtest::Drop(&out);
    EXPECT_EQ(ok != 0, shown[0] != 'E') << text;
    return shown;
  }
};

TEST_F(Seq, SequencesAndSums) {
  struct Case {
    std::string text;
    const char *a, *b, *s;
    bool sum;
    std::string want;
  } cases[] = {
      {"X^2", "1", "5", "1", false, "{1,4,9,16,25}"},
      {"X", "1", "2", "0.3", false, "{1,1.3,1.6,1.9}"},
      {"X", "5", "1", "1", false, "E3"},
      {"X", "5", "1", "-2", false, "{5,3,1}"},
      {"X", "1", "1", "0", false, "E3"},
      {"X", "1", "1", "1", false, "{1}"},
      {"X", "1", "1000", "1", false, "E9"},
      {"{sqrt}X", "-1", "1", "1", false, "E17"},
      {"X", "1", "10", "1", true, "55"},
      {"X^2", "1", "3", "1", true, "14"},
      {"X", "1.5", "3", "1", true, "E3"},
      {"X", "1", "3", "-1", true, "E8"},
      {"X", "3", "1", "1", true, "E3"},
      {"X", "1", "3", "0", true, "E3"},
      {"1/(X-2)", "1", "3", "1", true, "E3"},
  };
  for (const Case &c : cases) EXPECT_EQ(Run(c.text, c.a, c.b, c.s, c.sum), c.want) << c.text << " " << c.a;
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
}

}  // namespace

namespace {

// The argument lists of Seq( and Sigma(, entered on the function's token.
std::string Args(const std::string &text, u32 sum) {
  const std::vector<u8> t = evaltest::Tokens(text);
  TokPos pos = t.data();
  EvalCell tok{};
  tok.re.b[0] = '1';
  TokNext(&tok, &pos);
  Area ar;
  Value out{};
  const u32 ok = EvalSeqArguments(&out, &pos, &tok, &ar.area, sum);
  std::string shown = arrtest::Show(out);
  arrtest::Drop(&out);
  if ((ok != 0) == (shown[0] == 'E')) return "status mismatch " + shown;
  return shown + " next " + std::to_string(TokByte0(&tok));
}

TEST_F(Seq, ArgumentLists) {
  EXPECT_EQ(Args("{#7F2C}X^2,X,1,5,1)", 0), "{1,4,9,16,25} next 0");
  EXPECT_EQ(Args("{#7F2C}(A+1)*2,A,1,3,1)+1", 0), "{4,6,8} next 137");
  EXPECT_EQ(Args("{#7F2C}X,X,1,3)", 0), "E2 next 41");
  EXPECT_EQ(Args("{#7F2C}X,2,1,3,1)", 0), "E2 next 50");
  EXPECT_EQ(Args("{#7F29}X,X,1,10)", 1), "55 next 0");
  EXPECT_EQ(Args("{#7F29}{Pol}X,1),X,1,2,1)", 1), "E2 next 0");  // a term that is a list
  EXPECT_EQ(Args("{#7F29}X,X,1.5,3)", 1), "E3 next 0");
  EXPECT_EQ(Args("{#7F29}X,X,1,3,~1)", 1), "E8 next 0");
}

}  // namespace
