// Short expressions of programs (A+I, I<5000, A-1, 10000) are worked out
// without the evaluator's token reader: the value, the success flag and the
// position they leave must be those of the evaluator, byte for byte, in
// every mode and for every kind of value the variables may hold, and a
// statement that fails must point at the same byte as before.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "eval/prog_internal.h"
#include "number/bcd.h"
#include "kernel/keyqueue.h"
#include "prog_test_util.h"

namespace {

struct Outcome {
  u32 ok;
  Value value;
  long end;  // offset of the token the evaluation stopped at
};

// The evaluator's own road: a whole expression read token by token.
Outcome General(const std::string &text) {
  const u8 *start = reinterpret_cast<const u8 *>(text.c_str());
  TokPos pos = start;
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  Outcome o{};
  o.ok = EvalWholeExpr(&pos, &tok, &o.value, 1);
  const u8 b0 = TokByte0(&tok);
  if (b0 != 0) {
    const bool alone = TokIsLeadByte(b0) && !TokIsGroupLead(b0) && TokByte1(&tok) == 0;
    pos -= TokIsLeadByte(b0) && !alone ? 2 : 1;
  }
  o.end = pos - start;
  return o;
}

// What the interpreter's evaluation gives for the same text.
Outcome Interpreter(const std::string &text) {
  const u8 *start = reinterpret_cast<const u8 *>(text.c_str());
  const u8 *p = start;
  Outcome o{};
  o.ok = ProgEvalAt(&p, &o.value, 0x0F00);
  o.end = p - start;
  return o;
}

// A variable set to the value of an expression.
void Set(u8 var, const std::string &expr) {
  const Outcome o = General(ProgTok(expr));
  ASSERT_EQ(o.ok, 1u) << expr;
  SysStoreVariable(var, &o.value);
}

class ProgShortExpr : public ::testing::Test {
 protected:
  void SetUp() override {
    HostAllocCalcRam();
    McsClearAll();
    SetupResetAll();
    SysClearVariables();
  }
};

// Values the variables A and B take in turn: integers, decimals, values at
// the ends of the range, a fraction, complex numbers.
const std::vector<std::pair<std::string, std::string>> &States() {
  static const std::vector<std::pair<std::string, std::string>> s = {
      {"0", "0"},
      {"7", "10000"},
      {"0.1", "0.2"},
      {"1/3", "2/3"},
      {"123456789012345", "0.000000000012345"},
      {"9.99999999999999\x0F" "99", "9.99999999999999\x0F" "99"},
      {"1\x0F\x87" "99", "3"},
      {"1\xBB" "3", "5"},
      {"1\xBB" "3", "1\xBB" "6"},
      {"2\x89" "3\x7F\x50", "4"},
      {"\x87" "12.5", "2.5"},
      // Relations of numbers that differ below the subtraction's
      // cancellation limit compare equal; just above it they do not.
      {"1", "1.00000000000001"},
      {"123456789012345", "123456789012346"},
      {"4999", "5000"},
      {"\x87" "3", "\x87" "3.0000000000001"},
  };
  return s;
}

const std::vector<std::string> &Expressions() {
  static const std::vector<std::string> e = {
      "A+B", "A-B", "A*B", "A/B", "A<B", "A>B", "A=B", "A{ne}B", "A{le}B", "A{ge}B", "A+1", "B-1", "5000-A",
      "A<5000", "A/0", "A", "B", "10000", "0", "123456789", "A+B->C", "A+B:", "A+B\n", "A+B{Disp}", "A=>B",
      // Not short: the evaluator reads them as it always did.
      "A+B+1", "007", "1234567890", "AB", "2A", "A1", "1.5", "-A", "A+B{Disp}1", "A+", "+A", "A+B)",
  };
  return e;
}

void ExpectSame(const std::string &expr, const std::string &what) {
  const std::string text = ProgTok(expr);
  const Outcome g = General(text);
  const Outcome f = Interpreter(text);
  EXPECT_EQ(f.ok, g.ok) << what << " " << expr;
  EXPECT_EQ(f.end, g.end) << what << " " << expr;
  // The number's nine bytes of each part (the three bytes after them carry
  // nothing); of an error value its code.
  auto hex = [](Value v) {
    if (ValErrorCode(&v) != 0) return std::string("error ") + std::to_string(ValErrorCode(&v));
    std::memset(v.re.b + 9, 0, 3);
    std::memset(v.im.b + 9, 0, 3);
    std::string h;
    const u8 *b = reinterpret_cast<const u8 *>(&v);
    for (size_t i = 0; i < sizeof v; ++i) {
      static const char d[] = "0123456789abcdef";
      h += d[b[i] >> 4];
      h += d[b[i] & 15];
      if (i % 12 == 11) h += ' ';
    }
    return h;
  };
  EXPECT_EQ(hex(f.value), hex(g.value)) << what << " " << expr;
}

TEST_F(ProgShortExpr, GivesTheEvaluatorsValueAndPositionForEveryValueKindAndMode) {
  struct Mode {
    const char *name;
    u8 complex;  // SET UP complex mode
    u8 baseN;    // SET UP Base-N mode
  };
  const Mode modes[] = {{"real", 0, 0}, {"a+bi", 1, 0}, {"Base-N decimal", 0, 9}};
  for (const Mode &m : modes) {
    for (const auto &[a, b] : States()) {
      SetupResetAll();
      SetupSetItem(kSetupComplexMode, 1);
      Set('A', a);
      Set('B', b);
      SetupSetItem(kSetupComplexMode, m.complex);
      SetupSetItem(kSetupMode, m.baseN);
      for (const std::string &e : Expressions()) ExpectSame(e, std::string(m.name) + " A=" + a + " B=" + b);
    }
  }
}

TEST_F(ProgShortExpr, RestrictedGraphVariablesAndAPendingBreakGoTheEvaluatorsWay) {
  Set('X', "2");
  Set('A', "3");
  // While a graph function is evaluated only X may be named.
  SetupSetByte(kSetupGraphVars, 0x01);
  ExpectSame("A+1", "graph variables");
  ExpectSame("X+1", "graph variables");
  SetupSetByte(kSetupGraphVars, 0);
  // AC pressed while armed: the evaluation stops with Break.
  KeyBreakDisarm();
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);
  const Outcome f = Interpreter(ProgTok("A+1"));
  EXPECT_EQ(f.ok, 0u);
  EXPECT_EQ(ValErrorCode(&f.value), 1);
  HostClearKeyQueue();
  KeyBreakDisarm();
}

// A run line whose last statement fails in or just after a short
// expression: the error and the byte the run points at are those the
// evaluator's road gives for that statement.
TEST_F(ProgShortExpr, FailingStatementsPointWhereTheyAlwaysDid) {
  struct Case {
    const char *before;  // statements that run
    const char *failing;
    u8 code;
  };
  const Case cases[] = {
      {"1->A:", "A/0->B", 3},
      {"9.99999999999999\x0F" "99->A:", "A*A->B", 3},
      {"9.99999999999999\x0F" "99->A:", "A+A", 3},
      {"1->A:", "A+1->", 2},
      {"1->A:", "A+1->{List}0[2]", 0},
      {"1->A:", "A<2=>", 2},
  };
  for (const Case &c : cases) {
    SetUp();
    const std::string before = ProgTok(c.before);
    const std::string failing = ProgTok(c.failing);
    const std::string text = before + failing;
    ProgRunContext ctx;
    ProgContextClear(&ctx);
    const u8 *p = reinterpret_cast<const u8 *>(text.c_str());
    Value r{};
    EXPECT_EQ(ProgRun(&p, 1, &r, &ctx), 0u) << c.failing;
    if (c.code != 0) {
      EXPECT_EQ(ValErrorCode(&r), c.code) << c.failing;
    }
    // The evaluator's road on the failing statement, in the state the run
    // left (the statements before it run again first).
    SetUp();
    ProgRunContext ctx2;
    ProgContextClear(&ctx2);
    const u8 *q = reinterpret_cast<const u8 *>(before.c_str());
    Value r2{};
    if (!before.empty()) {
      ASSERT_EQ(ProgRun(&q, 1, &r2, &ctx2), 1u) << c.before;
    }
    const Outcome g = General(failing);
    if (!g.ok) {
      EXPECT_EQ(static_cast<long>(ctx.errorOffset), static_cast<long>(before.size()) + g.end) << c.failing;
    } else {
      EXPECT_GE(static_cast<long>(ctx.errorOffset), static_cast<long>(before.size()) + g.end) << c.failing;
    }
  }
}

// The interpreter packs the values it makes (loop values, results of short
// expressions) and builds their cells word by word; every number must come
// out with the bytes the number core's own packing and a plain copy give:
// the working forms of numbers across the range, of sums and of the
// relations' 0 and 1.
TEST_F(ProgShortExpr, WordWisePackingGivesTheNumberCoresBytes) {
  const char *texts[] = {"0", "1", "7", "10000", "4999", "0.1", "123456789012345", "9.99999999999999\x0F" "99",
                         "1\x0F\x87" "99", "1\x0F\x87" "5", "\x87" "12.5", "\x87" "1\x0F" "99", "1\xBB" "3",
                         "2\x89" "3\x7F\x50", "\x87" "0.000001234"};
  std::vector<BcdWork> forms;
  std::vector<BcdReal> reals;
  for (const char *t : texts) {
    const Outcome o = General(ProgTok(t));
    ASSERT_EQ(o.ok, 1u) << t;
    reals.push_back(o.value.re);
    BcdWork w;
    RealUnpack(&o.value.re, &w);
    forms.push_back(w);
  }
  const size_t plain = forms.size();
  for (size_t i = 0; i < plain; ++i) {
    for (size_t j = 0; j < plain; ++j) {
      BcdWork sum = forms[i];
      BcdAdd(&sum, &forms[j]);
      forms.push_back(sum);
      BcdWork less = forms[i];
      BcdRelLt(&less, &forms[j]);
      forms.push_back(less);
    }
  }
  for (const BcdWork &w : forms) {
    BcdReal a{}, b{};
    const bool packedA = RealPackPlain(&w, &a);
    const bool packedB = ProgPackPlain(&w, &b);
    EXPECT_EQ(packedA, packedB);
    EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a));
    if (packedA) reals.push_back(a);
  }
  for (BcdReal r : reals) {
    // Bytes 9-11 carry nothing: a plain copy keeps them, a result clears them.
    r.b[9] = 0xA5;
    r.b[10] = 0x5A;
    r.b[11] = 0xFF;
    Value copy{};
    copy.re = r;
    Value made;
    std::memset(&made, 0xEE, sizeof made);
    ProgRealValue(&r, &made, false);
    EXPECT_EQ(0, std::memcmp(&copy, &made, sizeof made));
    Value result{};
    result.re = r;
    result.re.b[0] &= 0x7F;
    result.re.b[9] = result.re.b[10] = result.re.b[11] = 0;
    std::memset(&made, 0xEE, sizeof made);
    ProgRealValue(&r, &made, true);
    EXPECT_EQ(0, std::memcmp(&result, &made, sizeof made));
  }
}

}  // namespace
