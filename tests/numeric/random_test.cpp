// Ran#: the repeatable sequences, the clock-seeded numbers and their spread.
#include "numeric/random.h"

#include <gtest/gtest.h>

#include <string>

#include "../eval/eval_testutil.h"

namespace {

class Random : public ::testing::Test {
 protected:
  void SetUp() override { evaltest::ResetState(); }
  void TearDown() override { evaltest::ResetState(); }
  // Digits after the point of a result shown in full; also checks 0 < r < 1.
  static double Checked(const Value &v) {
    const std::string s = numtest::ShowV(v);
    EXPECT_EQ(s.rfind("0.", 0), 0u) << s;
    size_t digits = 0;
    bool lead = true;
    for (char c : s.substr(2)) {
      if (c == 'e') break;
      if (lead && c == '0') continue;
      lead = false;
      ++digits;
    }
    EXPECT_LE(digits, 10u) << s;
    const double d = std::stod(s);
    EXPECT_GT(d, 0.0);
    EXPECT_LT(d, 1.0);
    return d;
  }
};

TEST_F(Random, SequencesOfEachDigit) {
  const char *first[] = {"0.1450073626", "0.2765451508", "0.4080829389", "0.4873184219", "0.61885621",
                         "0.8689623358", "0.8819317863", "0.06577187965", "0.3158780053"};
  for (int d = 1; d <= 9; ++d) {
    const std::string text = "{Ran}" + std::to_string(d);
    // After a start, after Ran# 0 and after another digit: the same start.
    evaltest::ResetState();
    EXPECT_EQ(evaltest::Eval(text), first[d - 1]) << d;
    EXPECT_EQ(evaltest::Eval("{Ran}0"), "0");
    EXPECT_EQ(evaltest::Eval(text), first[d - 1]) << d;
    EXPECT_EQ(evaltest::Eval(d == 1 ? "{Ran}2" : "{Ran}1").substr(0, 2), "0.");
    EXPECT_EQ(evaltest::Eval(text), first[d - 1]) << d;
  }
  evaltest::ResetState();
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(evaltest::Eval("{Ran}1"), "0.1450073626");
    EXPECT_EQ(evaltest::Eval("{Ran}1"), "0.1387441711");
    EXPECT_EQ(evaltest::Eval("{Ran}1"), "0.8732846693");
    EXPECT_EQ(evaltest::Eval("{Ran}0"), "0");
  }
  // Ran# takes part in an expression like any value.
  EXPECT_EQ(evaltest::Eval("2{Ran}1+1"), "1.2900147252");
}

TEST_F(Random, DrawsAreSpreadEvenly) {
  // Ran# 1 repeated, and plain Ran# under a clock stepping 1 ms.
  for (int plain = 0; plain < 2; ++plain) {
    evaltest::ResetState();
    double sum = 0, sumsq = 0;
    const int n = 10000;
    for (int i = 0; i < n; ++i) {
      Value v{};
      if (plain) {
        ASSERT_EQ(NumericRandomPlain(static_cast<u32>(1000 + i), &v), 1);
      } else {
        std::vector<u8> t = evaltest::Tokens("{Ran}1");
        TokPos pos = t.data();
        EvalCell tok{};
        ASSERT_EQ(EvalWholeExpr(&pos, &tok, &v, 1), 1u);
      }
      const double d = Checked(v);
      sum += d;
      sumsq += d * d;
    }
    const double mean = sum / n, var = sumsq / n - mean * mean;
    EXPECT_NEAR(mean, 0.5, 0.0116) << plain;
    EXPECT_NEAR(var, 1.0 / 12, 0.003) << plain;
  }
}

TEST_F(Random, ClockValuesThatSelectNoSequence) {
  // A clock at a multiple of 32768 still gives a number and keeps a state;
  // two draws at the same clock value differ.
  for (u32 tick : {32768u, 65536u + 32768u, 5u}) {
    evaltest::ResetState();
    Value a{}, b{};
    ASSERT_EQ(NumericRandomPlain(tick, &a), 1) << tick;
    Checked(a);
    EXPECT_NE(SetupGetByte(kSetupRandomState + 1), 0) << tick;
    ASSERT_EQ(NumericRandomPlain(tick, &b), 1) << tick;
    Checked(b);
    EXPECT_NE(numtest::ShowV(a), numtest::ShowV(b)) << tick;
  }
  // A plain Ran# in between restarts the sequences.
  evaltest::ResetState();
  EXPECT_EQ(evaltest::Eval("{Ran}1"), "0.1450073626");
  Value v{};
  NumericRandomPlain(77, &v);
  EXPECT_EQ(evaltest::Eval("{Ran}1"), "0.1450073626");
}

TEST_F(Random, GeneratorStates) {
  struct Case {
    int n;
    const char *s;
    const char *want;
  } cases[] = {
      {0, "0.5", "0"},
      {3, "-5", "E8"},
      {3, "123459876", "0"},  // XOR with the mask gives 0, and 0 stays 0
  };
  for (const Case &c : cases) {
    BcdReal s = numtest::V(c.s).re;
    Value out{};
    const int ok = NumericRandomNext(&c.n, &s, &out);
    EXPECT_EQ(numtest::ShowV(out), c.want) << c.s;
    EXPECT_EQ(ok != 0, c.want[0] != 'E') << c.s;
  }
}

}  // namespace
