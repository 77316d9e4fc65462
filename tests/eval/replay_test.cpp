// A statement text evaluated again is replayed from the steps of its first
// evaluation. Every replayed evaluation must leave the result cell, the
// token cell and the position exactly as a full evaluation of the same text
// in the same state leaves them: values, error codes and error positions.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../number/numparse_testutil.h"
#include "eval/eval_replay.h"
#include "eval_testutil.h"
#include "kernel/keyqueue.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

using evaltest::Tokens;

// What an evaluation leaves behind.
struct Outcome {
  u32 ok;
  EvalCell result;
  EvalCell tok;
  long offset;  // position after the evaluation, from the text's start
};

enum Entry { kWhole, kGraphArgument, kFormula };

// The cells start filled with a pattern, so bytes an evaluation leaves alone
// are compared as well.
Outcome Evaluate(const std::vector<u8> &text, Entry entry, u8 fill = 0x5A) {
  Outcome r;
  std::memset(&r.result, fill, sizeof r.result);
  std::memset(&r.tok, fill, sizeof r.tok);
  TokPos pos = text.data();
  switch (entry) {
    case kWhole:
      r.ok = EvalWholeExpr(&pos, &r.tok, &r.result, 1);
      break;
    case kGraphArgument:
      r.ok = EvalArgument(&pos, &r.tok, &r.result, 1, kEvalWhole | kEvalOpenBracket);
      break;
    case kFormula:
      std::memset(&r.tok, 0, sizeof r.tok);
      r.ok = EvalFormula(&pos, 0, &r.result);
      break;
  }
  r.offset = pos - text.data();
  return r;
}

std::string Bytes(const u8 *p, size_t n) {
  static const char *hex = "0123456789ABCDEF";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += hex[p[i] >> 4];
    s += hex[p[i] & 15];
  }
  return s;
}

void ExpectSame(const Outcome &got, const Outcome &want) {
  EXPECT_EQ(got.ok, want.ok);
  // The value as it is stored: bytes 0-8 of each part (bytes 9-11 are
  // working room); an error value by its code alone.
  const bool error = (want.result.re.b[0] & 0xF0) == 0xF0;
  const size_t n = error ? 2 : 9;
  EXPECT_EQ(Bytes(got.result.re.b, n), Bytes(want.result.re.b, n));
  if (!error) {
    EXPECT_EQ(Bytes(got.result.im.b, n), Bytes(want.result.im.b, n));
  }
  EXPECT_EQ(Bytes(got.tok.re.b, sizeof got.tok), Bytes(want.tok.re.b, sizeof want.tok));
  EXPECT_EQ(got.offset, want.offset);
}

// The full evaluation: nothing recorded before it.
Outcome Full(const std::vector<u8> &text, Entry entry) {
  EvalReplayForget();
  Outcome r = Evaluate(text, entry);
  EvalFreeCell(&r.result);
  return r;
}

void Store(u8 code, const char *re, const char *im = nullptr) {
  Value v = numtest::V(re);
  if (im != nullptr) {
    const Value i = numtest::V(im);
    ValFromParts(&v.re, &i.re, &v);
  }
  SysStoreVariable(code, &v);
}

// Variable values the same texts are replayed with: ordinary values first
// (the recording is made with them), then zeros, signs, huge and tiny
// values, fractions and complex values.
struct Values {
  const char *a, *aIm, *b, *x;
};
const Values kValueSets[] = {
    {"4", nullptr, "2", "0.7"},
    {"0", nullptr, "0", "0"},
    {"-3", nullptr, "0.5", "1E50"},
    {"1E99", nullptr, "-1E-99", "-2"},
    {"2", "3", "-1", "90"},
    {"0.0000000001", nullptr, "99999999999", "-0.25"},
};

void SetValues(const Values &v) {
  Store('A', v.a, v.aIm);
  Store('B', v.b);
  Store('X', v.x);
}

class Replay : public ::testing::Test {
 protected:
  void SetUp() override {
    evaltest::ResetState();
    KeyBreakDisarm();
    EvalReplayForget();
  }
  void TearDown() override {
    EvalReplayForget();
    evaltest::ResetState();
  }

  // The text is recorded with the first values, then evaluated with every
  // set of values: each outcome must be the full evaluation's.
  void CheckText(const std::vector<u8> &text, Entry entry) {
    std::vector<Outcome> want;
    for (const Values &v : kValueSets) {
      SetValues(v);
      want.push_back(Full(text, entry));
    }
    EvalReplayForget();
    SetValues(kValueSets[0]);
    Outcome first = Evaluate(text, entry);
    EvalFreeCell(&first.result);
    for (size_t k = 0; k < std::size(kValueSets); ++k) {
      SCOPED_TRACE("values " + std::to_string(k));
      SetValues(kValueSets[k]);
      Outcome got = Evaluate(text, entry);
      EvalFreeCell(&got.result);
      ExpectSame(got, want[k]);
    }
  }
};

// Texts the replay takes, texts it leaves to the full evaluation, and texts
// that fail, in each way of entering the evaluator.
TEST_F(Replay, SameOutcomeAsTheFullEvaluation) {
  const char *texts[] = {
      // replayed: literals, letters, operators, prefix and postfix functions
      "2.5*A+3/(4-B)^2-{sin}30+{sqrt}(16+A)*72",
      "({sin}X)^2+({cos}X)^2",
      "A+B*X-A/B",
      "~A^B",
      "A{sq}+B{inv}-3{!}",
      "{sqrt}A+{ln}B+{Abs}X+{Int}X",
      "2A+3B(X+1)",
      "A(B+1)(X-2)",
      "A{xrt}B+A{P}B-A{C}B",
      "A<B",
      "A=B",
      "1{e}5+A{e}~2",
      "12{k}+A{m}",
      "(((((((A+B)))))))",
      "A+(A+(A+(A+(A+(A+(A+(A+(A+1))))))))",
      "0.0+.5+00012",
      "1234567890123456789+A",
      "{pi}A+{theta}{r}",
      "Y+T*2",
      // left to the full evaluation
      "A{frac}B+1",
      "12{dms}30{dms}+A",
      "{Pol}A,B)+1",
      "Ans+A",
      "{Xmin}+A",
      // errors
      "A/0",
      "1/(A-4)",
      "{sqrt}(B-2)",
      "A+",
      "A++*B",
      "(A+B",
      "A+B)",
      "1{e}999",
      "{ln}(A-A)",
  };
  for (const char *t : texts) {
    SCOPED_TRACE(t);
    const std::vector<u8> text = Tokens(t);
    CheckText(text, kWhole);
    CheckText(text, kGraphArgument);
    CheckText(text, kFormula);
  }
}

// A statement in a longer text: the token after it and the position in the
// caller's text come back as the full evaluation gives them.
TEST_F(Replay, StatementEndsAndTheTokenAfter) {
  const char *texts[] = {
      "A+1:B+2",
      "A*B{->}C",
      "X+1{#0D}Y",
      "A{#0C}",
      "A+{#7F40}",                 // a two-byte token after the expression
      "A+B{#F700}",                // a token group with a zero second byte
      "2A",                        // the implicit product reads a token again
      "{#7F50}A",                  // i: not replayed
      "A+B{#E5}",                  // a character lead byte at the end
  };
  for (const char *t : texts) {
    SCOPED_TRACE(t);
    const std::vector<u8> text = Tokens(t);
    CheckText(text, kWhole);
    // A token cell the caller filled otherwise: byte 1 stays the caller's
    // where no two-byte token was read.
    EvalReplayForget();
    SetValues(kValueSets[0]);
    Outcome first = Evaluate(text, kWhole, 0x11);
    Outcome again = Evaluate(text, kWhole, 0xEE);
    EvalReplayForget();
    Outcome want = Evaluate(text, kWhole, 0xEE);
    ExpectSame(again, want);
    EvalFreeCell(&first.result);
  }
}

// The same text under conditions that change how it reads: Base-N, the
// graph's free variables, relations ending an operand. None may take the
// recording of another condition.
TEST_F(Replay, ConditionsThatChangeTheReading) {
  struct Condition {
    const char *name;
    void (*apply)();
  };
  const Condition conditions[] = {
      {"plain", [] {}},
      {"Base-N Hex", [] { SetupSetItem(kSetupMode, 15); }},
      {"Base-N Dec", [] { SetupSetItem(kSetupMode, 9); }},
      {"graph, X free", [] { SetupSetByte(kSetupGraphVars, 0x01); }},
      {"graph, T free", [] { SetupSetByte(kSetupGraphVars, 0x08); }},
      {"relations end", [] { SetupSetByte(kSetupEvalFlags, SetupGetByte(kSetupEvalFlags) | 2); }},
      {"degrees", [] { SetupSetItem(kSetupAngle, 0); }},
      {"radians", [] { SetupSetItem(kSetupAngle, 1); }},
  };
  const char *texts[] = {"A+1", "X*2+B", "{sin}X+A<B", "12+A", "A=B+1", "T+Y", "{r}{theta}"};
  for (const char *t : texts) {
    const std::vector<u8> text = Tokens(t);
    for (const Condition &recorded : conditions) {
      for (const Condition &later : conditions) {
        SCOPED_TRACE(std::string(t) + ": " + recorded.name + " then " + later.name);
        evaltest::ResetState();
        SetValues(kValueSets[0]);
        later.apply();
        const Outcome want = Full(text, kWhole);
        EvalReplayForget();
        evaltest::ResetState();
        SetValues(kValueSets[0]);
        recorded.apply();
        Outcome first = Evaluate(text, kWhole);
        EvalFreeCell(&first.result);
        evaltest::ResetState();
        SetValues(kValueSets[0]);
        later.apply();
        Outcome got = Evaluate(text, kWhole);
        EvalFreeCell(&got.result);
        ExpectSame(got, want);
      }
    }
  }
}

// A graph function is read as if opened by a bracket: a text recorded in
// one way of entering the evaluator is not replayed in the other.
TEST_F(Replay, GraphArgumentAndWholeExpressionKeptApart) {
  SetValues(kValueSets[0]);
  const Entry entries[] = {kWhole, kGraphArgument, kFormula};
  for (const char *t : {"A+B)", "(A+B", "A+B", "A+B)*2"}) {
    const std::vector<u8> text = Tokens(t);
    for (Entry recorded : entries) {
      for (Entry later : entries) {
        SCOPED_TRACE(std::string(t) + " " + std::to_string(recorded) + " then " + std::to_string(later));
        const Outcome want = Full(text, later);
        EvalReplayForget();
        Outcome first = Evaluate(text, recorded);
        EvalFreeCell(&first.result);
        ExpectSame(Evaluate(text, later), want);
      }
    }
  }
}

// AC during a replayed evaluation stops it as it stops the full one.
TEST_F(Replay, BreakStopsAReplayedText) {
  SetValues(kValueSets[0]);
  const std::vector<u8> text = Tokens("A+B*X");
  Outcome first = Evaluate(text, kWhole);
  EXPECT_EQ(first.ok, 1u);
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);
  const Outcome got = Evaluate(text, kWhole);
  KeyBreakDisarm();
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);
  const Outcome want = Full(text, kWhole);
  KeyBreakDisarm();
  EXPECT_EQ(numtest::ShowV(got.result), "E1");
  ExpectSame(got, want);
  EXPECT_EQ(numtest::ShowV(Evaluate(text, kWhole).result), numtest::ShowV(first.result));
}

// Random texts over the tokens the replay takes and some it refuses, with
// now and then a token dropped or doubled: each is recorded once and then
// evaluated with every set of values.
TEST_F(Replay, RandomTexts) {
  const char *operands[] = {"2", "0", "2.5", "17", "1{e}3", "A", "B", "X", "A", "B", "X", "{pi}", "Ans", "0.1"};
  const char *binary[] = {"+", "-", "*", "/", "^", "{xrt}", "{P}", "{C}", "=", "<", "{!=}", "{and}"};
  const char *prefix[] = {"{sin}", "{cos}", "{tan}", "{sqrt}", "{ln}", "~", "{Abs}", "{Int}", "{exp}", "{atan}"};
  const char *postfix[] = {"{sq}", "{inv}", "{!}", "{deg}", "{k}", "{frac}2"};
  std::mt19937 rng(41);
  auto pick = [&](auto &arr) { return std::string(arr[rng() % std::size(arr)]); };
  auto chance = [&](u32 percent) { return rng() % 100 < percent; };
  std::function<std::string(int)> expr = [&](int depth) {
    std::string s;
    const int terms = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < terms; ++k) {
      if (k > 0) s += chance(10) ? "" : pick(binary);  // juxtaposed: implicit product
      while (chance(25)) s += pick(prefix);
      if (depth < 3 && chance(25)) {
        s += "(" + expr(depth + 1) + (chance(90) ? ")" : "");
      } else {
        s += pick(operands);
      }
      while (chance(15)) s += pick(postfix);
    }
    return s;
  };
  for (int n = 0; n < 400; ++n) {
    std::string t = expr(0);
    if (chance(10)) {
      // Somewhere between two tokens, never inside a token's name.
      size_t at = rng() % (t.size() + 1);
      auto inside = [&](size_t i) {
        if (i == 0) return false;
        const size_t open = t.rfind('{', i - 1);
        if (open == std::string::npos) return false;
        const size_t close = t.rfind('}', i - 1);
        return close == std::string::npos || close < open;
      };
      while (inside(at)) ++at;
      t.insert(at, pick(binary));
    }
    SCOPED_TRACE(t);
    const std::vector<u8> text = Tokens(t);
    CheckText(text, n % 2 ? kWhole : kGraphArgument);
  }
}

// Random token sequences over the whole vocabulary of the evaluator, well
// formed or not, in every Base-N and complex mode: each is evaluated once,
// then again with other values, and must end as its full evaluation ends.
// Random numbers and Getkey are left out: two evaluations of them differ.
TEST_F(Replay, RandomTokenSequences) {
  const std::vector<std::vector<u8>> vocabulary = {
      {'0'}, {'1'}, {'2'}, {'5'}, {'9'}, {'.'}, {0x0F}, {'A'}, {'B'}, {'X'}, {'Y'}, {'T'}, {0xCE}, {0xCD},
      {0xC0}, {0xD0}, {0x7F, 0x50}, {0x89}, {0x99}, {0xA9}, {0xB9}, {0xA8}, {0xB8}, {0x87}, {0xBB},
      {0x88}, {0x98}, {0xBA}, {0xAA}, {0x9A}, {0x8A}, {0x7F, 0x54}, {0x7F, 0xB0}, {0x7F, 0xB1},
      {0x7F, 0xB3}, {0x3D}, {0x3C}, {0x3E}, {0x10}, {0x11}, {0x12}, {0x81}, {0x82}, {0x83}, {0x91},
      {0x85}, {0x95}, {0xA5}, {0xB5}, {0x86}, {0x96}, {0x97}, {0xA6}, {0xB6}, {0xDE}, {0xB7}, {0xA7},
      {0x7F, 0x22}, {0x7F, 0x23}, {0x7F, 0x24}, {0x7F, 0x25}, {0x8B}, {0x9B}, {0xAB}, {0x9C}, {0xAC},
      {0xBC}, {0x8C}, {0x01}, {0x06}, {0x0B}, {'('}, {'('}, {')'}, {')'}, {'['}, {']'}, {'{'}, {'}'},
      {','}, {':'}, {0x0E}, {0x80}, {0xA0}, {0x84}, {0x94}, {0xA4}, {0xB4}, {0x1A}, {0x1F}, {0xFB},
      {0x8D}, {0x7F, 0x26}, {0x7F, 0x40}, {0x7F, 0x51}, {0xF7, 0x00}, {0xF9, 0x21}, {0xE5, 0x41},
      {0x7F, 0x21}, {0x7F, 0x4C}, {0x14}, {'$'}, {0xF8}, {0xFA}, {0x13}, {0x0D}, {0x0C},
  };
  std::mt19937 rng(4141);
  for (int n = 0; n < 60000; ++n) {
    evaltest::SetRandomTextMode(n);
    const std::vector<u8> text = evaltest::RandomTokenText(rng, vocabulary, 20, 0);
    SCOPED_TRACE(Bytes(text.data(), text.size()) + " mode " + std::to_string(n % 6));
    const Entry entry = n % 3 == 0 ? kGraphArgument : kWhole;
    SetValues(kValueSets[n % 2]);
    Outcome first = Evaluate(text, entry);
    EvalFreeCell(&first.result);
    SetValues(kValueSets[2 + n % 4]);
    Outcome got = Evaluate(text, entry);
    EvalFreeCell(&got.result);
    ExpectSame(got, Full(text, entry));
    if (HasFailure()) break;
  }
  const MemHandle probe = MemAlloc(1);
  EXPECT_EQ(probe, kMemSlotBase) << "a heap block was left behind";
  MemFree(probe);
}

}  // namespace
