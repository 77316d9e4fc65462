// The token reader and the follow tests that decide implicit multiplication.
#include <gtest/gtest.h>

#include "eval_testutil.h"

namespace {

using evaltest::Tokens;

EvalCell Cell(u8 b0, u8 b1 = 0) {
  EvalCell c{};
  c.re.b[0] = b0;
  c.re.b[1] = b1;
  return c;
}

TEST(TokReader, ReadsOneAndTwoByteTokensAndStopsAtTheEnd) {
  const std::vector<u8> t = Tokens("{sin}A{Mat}");
  TokPos pos = t.data();
  EvalCell tok = Cell('0');
  TokNext(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 0x81);
  TokNext(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 'A');
  TokNext(&tok, &pos);
  EXPECT_TRUE(TokIs2(&tok, 0x7F, 0x40));
  EXPECT_EQ(pos, t.data() + 4);
  TokNext(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 0);
  TokNext(&tok, &pos);  // the end is sticky
  EXPECT_EQ(TokByte0(&tok), 0);
  EXPECT_EQ(pos, t.data() + 4);
}

TEST(TokReader, LeadByteCutOffByTheEndNeverPassesIt) {
  // A character lead byte before the end stands alone.
  for (u8 lead : {0xE5, 0xE6, 0xE7}) {
    const u8 t[] = {'1', lead, 0x00, 0xAA, 0xAA};
    TokPos pos = t;
    EvalCell tok = Cell('0');
    TokNext(&tok, &pos);
    TokNext(&tok, &pos);
    EXPECT_EQ(TokByte0(&tok), lead);
    EXPECT_EQ(pos, t + 2);
    TokNext(&tok, &pos);
    EXPECT_EQ(TokByte0(&tok), 0);
    EXPECT_EQ(pos, t + 2);
  }
  // A token group's lead byte takes a zero second byte (Xmin, If): a lone
  // one at the end of a text takes the end byte, and the text's second zero
  // byte ends it.
  for (u8 lead : {0x7F, 0xF7, 0xF9}) {
    const u8 t[] = {'1', lead, 0x00, 0x00, 0xAA};
    TokPos pos = t;
    EvalCell tok = Cell('0');
    TokNext(&tok, &pos);
    TokNext(&tok, &pos);
    EXPECT_TRUE(TokIs2(&tok, lead, 0x00));
    EXPECT_EQ(pos, t + 3);
    TokNext(&tok, &pos);
    EXPECT_EQ(TokByte0(&tok), 0);
    EXPECT_EQ(pos, t + 3);
  }
}

TEST(TokReader, BackAndSkipSigns) {
  // The look-behind of TokBack reads up to two bytes before the position: a
  // text read directly carries two bytes before it, as the evaluator's own
  // copies do.
  std::vector<u8> t = Tokens("A+B");
  t.insert(t.begin(), 2, 0);
  TokPos pos = t.data() + 2;
  EvalCell tok = Cell('0');
  TokNext(&tok, &pos);
  TokNext(&tok, &pos);
  ASSERT_EQ(TokByte0(&tok), 0x89);
  TokBack(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 'A');
  TokNext(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 0x89);

  const std::vector<u8> s = Tokens("++-A");
  pos = s.data();
  tok = Cell('0');
  TokNext(&tok, &pos);
  TokSkipSigns(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 0x87);
  TokNext(&tok, &pos);
  EXPECT_EQ(TokByte0(&tok), 'A');

  const std::vector<u8> two = Tokens("1{Mat}2");
  pos = two.data() + 3;  // after "Mat"
  TokReread(&tok, &pos);
  EXPECT_TRUE(TokIs2(&tok, 0x7F, 0x40));
}

TEST(TokReader, ImplicitMultiplicationMarks) {
  struct Case {
    EvalCell tok;
    int follows;
    u8 mark;  // byte 0 afterwards
  };
  const Case cases[] = {
      {Cell('A'), 1, 0xF8},         {Cell(0x81), 1, 0xFA},       {Cell('('), 1, 0xFA},
      {Cell(0x7F, 0x50), 1, 0xF8},  {Cell(0xD0), 1, 0xF8},       {Cell(0xC0), 1, 0xF8},
      {Cell('{'), 1, 0xFA},         {Cell(0x7F, 0x20), 1, 0xFA}, {Cell(0x80), 1, 0xFA},
      {Cell(0xF9, 0x21), 1, 0xF8},  {Cell(0xF9, 0x01), 1, 0xF9}, {Cell('3'), 0, '3'},
      {Cell(0x87), 0, 0x87},        {Cell(0x89), 1, 0x89},       {Cell(')'), 1, ')'},
      {Cell(0x0E), 1, 0x0E},        {Cell(0xF7, 0x00), 0, 0xF7}, {Cell(0x84), 1, 0xFA},
  };
  for (const Case &c : cases) {
    EvalCell t = c.tok;
    EXPECT_EQ(TokFollowsOperand(&t), c.follows) << std::hex << int(TokByte0(&c.tok));
    EXPECT_EQ(TokByte0(&t), c.mark) << std::hex << int(TokByte0(&c.tok));
  }
}

TEST(TokReader, ClassesDependOnModes) {
  EvalCell two = Cell('2'), hex = Cell(0x1C), rel = Cell('<');
  SetupResetAll();
  EXPECT_TRUE(TokIsNumberChar(&two));
  EXPECT_FALSE(TokIsNumberChar(&hex));
  SetupSetItem(kSetupMode, 1);
  EXPECT_FALSE(TokIsNumberChar(&two));
  SetupSetItem(kSetupMode, 9);
  EXPECT_FALSE(TokIsNumberChar(&hex));
  SetupSetItem(kSetupMode, 15);
  EXPECT_TRUE(TokIsNumberChar(&hex));
  SetupResetAll();
  EXPECT_FALSE(TokEndsOperand(&rel));
  SetupSetByte(kSetupEvalFlags, 2);
  EXPECT_TRUE(TokEndsOperand(&rel));
  SetupResetAll();
}

}  // namespace
