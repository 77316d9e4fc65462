// The dispatch table against its source list and the counts of its rows.
#include <gtest/gtest.h>

#include <map>

#include "eval/eval_calculus.h"
#include "eval/eval_glue.h"
#include "eval/eval_lists.h"
#include "eval/eval_table.h"

namespace {

TEST(DispatchTable, RowCountsByCallKind) {
  std::map<int, int> byKind;
  for (int row = 0; row < kEvalTableRows; ++row) ++byKind[EvalDispatchRow(row)->kind];
  EXPECT_EQ(byKind[kEvalKindSyntaxError], 811);
  EXPECT_EQ(byKind[kEvalKindSystemError], 9);
  const int real = kEvalTableRows - byKind[kEvalKindSyntaxError] - byKind[kEvalKindSystemError];
  EXPECT_EQ(real, 204);
  EXPECT_EQ(byKind[kEvalKindToken], 76);
  EXPECT_EQ(byKind[kEvalKindText], 29);
  EXPECT_EQ(byKind[kEvalKindArea], 68);
  EXPECT_EQ(byKind[kEvalKindValue], 7);
  EXPECT_EQ(byKind[kEvalKindFlags], 0);
  EXPECT_EQ(byKind[kEvalKindTokenFlags], 21);
  EXPECT_EQ(byKind[kEvalKindAreaFlags], 3);
}

TEST(DispatchTable, DefaultRowsHaveTheStub) {
  for (int row = 0; row < kEvalTableRows; ++row) {
    const EvalTokenEntry *e = EvalDispatchRow(row);
    if (e->kind == kEvalKindSyntaxError || e->kind == kEvalKindSystemError) {
      EXPECT_EQ(e->handler.value, &EvalDefaultHandler) << row;
    } else {
      EXPECT_NE(e->handler.value, nullptr) << row;
    }
  }
  // The prefix and logic operators of the 0x7F group are the System ERROR rows.
  for (int s : {0x21, 0x22, 0x23, 0x24, 0x25, 0xB0, 0xB1, 0xB2, 0xB3}) {
    EXPECT_EQ(EvalDispatchRow(0x100 + s)->kind, kEvalKindSystemError) << s;
  }
}

TEST(DispatchTable, RowsNameTheirHandlers) {
  struct Row {
    u8 b0, b1;
    u8 kind;
    const void *handler;
  };
  const Row rows[] = {
      {'7', 0, kEvalKindText, reinterpret_cast<const void *>(&EvalNumberLiteral)},
      {0x0F, 0, kEvalKindText, reinterpret_cast<const void *>(&EvalNumberLiteral)},
      {0x1C, 0, kEvalKindText, reinterpret_cast<const void *>(&EvalNumberLiteral)},
      {0xB4, 0, kEvalKindText, reinterpret_cast<const void *>(&EvalBinLiteral)},
      {0x84, 0, kEvalKindText, reinterpret_cast<const void *>(&EvalHexLiteral)},
      {'S', 0, kEvalKindArea, reinterpret_cast<const void *>(&EvalVariable)},
      {'T', 0, kEvalKindArea, reinterpret_cast<const void *>(&EvalVarT)},
      {'X', 0, kEvalKindArea, reinterpret_cast<const void *>(&EvalVarX)},
      {'Y', 0, kEvalKindArea, reinterpret_cast<const void *>(&EvalVarY)},
      {0xCE, 0, kEvalKindValue, reinterpret_cast<const void *>(&EvalVarTheta)},
      {0xC0, 0, kEvalKindValue, reinterpret_cast<const void *>(&EvalAns)},
      {0x7F, 0x50, kEvalKindValue, reinterpret_cast<const void *>(&EvalImagUnit)},
      {0x7F, 0x8F, kEvalKindValue, reinterpret_cast<const void *>(&EvalGetkey)},
      {0xC1, 0, kEvalKindText, reinterpret_cast<const void *>(&EvalRandom)},
      {0x8F, 0, kEvalKindToken, reinterpret_cast<const void *>(&EvalGetStatVar)},
      {0x7F, 0xDD, kEvalKindToken, reinterpret_cast<const void *>(&EvalGetStatVar)},
      {0xF9, 0x21, kEvalKindToken, reinterpret_cast<const void *>(&EvalVwinValue)},
      {0xF9, 0x22, kEvalKindToken, reinterpret_cast<const void *>(&EvalRightVwinValue)},
      {0xF9, 0x18, kEvalKindTokenFlags, reinterpret_cast<const void *>(&EvalRecurValue)},
      {0x7F, 0xCD, kEvalKindToken, reinterpret_cast<const void *>(&EvalFinValue)},
      {'{', 0, kEvalKindArea, reinterpret_cast<const void *>(&EvalListLiteral)},
      {0x7F, 0x40, kEvalKindArea, reinterpret_cast<const void *>(&EvalMatName)},
      {0x7F, 0x2F, kEvalKindArea, reinterpret_cast<const void *>(&EvalListStatFunc)},
      {0xA0, 0, kEvalKindArea, reinterpret_cast<const void *>(&EvalPolRec)},
      {0x7F, 0x26, kEvalKindAreaFlags, reinterpret_cast<const void *>(&EvalDerivative)},
      {0xF7, 0xAF, kEvalKindArea, reinterpret_cast<const void *>(&EvalPxlTest)},
      {0x7F, 0xEE, kEvalKindText, reinterpret_cast<const void *>(&EvalCellRangeFunc)},
      {0x7F, 0xEF, kEvalKindAreaFlags, reinterpret_cast<const void *>(&EvalCellIf)},
      {0xF9, 0x1B, kEvalKindArea, reinterpret_cast<const void *>(&EvalFnMemCall)},
  };
  for (const Row &r : rows) {
    EvalCell tok{};
    tok.re.b[0] = r.b0;
    tok.re.b[1] = r.b1;
    const EvalTokenEntry *e = EvalDispatchRow(EvalTokenRow(&tok));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->kind, r.kind) << std::hex << int(r.b0) << " " << int(r.b1);
    EXPECT_EQ(reinterpret_cast<const void *>(e->handler.value), r.handler) << std::hex << int(r.b0) << " " << int(r.b1);
  }
  // Syntax rows among the operands' neighbours; the character groups have no rows.
  const int syntaxRows[] = {0x00, ')', '+', 0x89, 0x7F, 0xF7, 0xF9, 0x100 + 0x03, 0x100 + 0x13, 0x300 + 0x00};
  for (int row : syntaxRows) {
    EXPECT_EQ(EvalDispatchRow(row)->kind, kEvalKindSyntaxError) << row;
  }
  EvalCell ch{};
  ch.re.b[0] = 0xE6;
  ch.re.b[1] = 0x41;
  EXPECT_EQ(EvalTokenRow(&ch), -1);
}

}  // namespace

namespace {

TEST(PriorityTable, OperatorsBindInTheirOrder) {
  struct Row {
    u8 b0, b1;
    u32 priority;
  };
  const Row rows[] = {
      {0xA8, 0, 0},     {0xB8, 0, 0},     {0xBB, 0, 1},     {0xF8, 0, 2},     {0x81, 0, 3},
      {0x87, 0, 3},     {0xB7, 0, 3},     {0xDE, 0, 3},     {0x7F, 0x21, 3},  {0x7F, 0xB3, 3},
      {0x01, 0, 3},     {0xFA, 0, 4},     {0x88, 0, 5},     {0x98, 0, 5},     {0x7F, 0x54, 5},
      {0xA9, 0, 6},     {0xB9, 0, 6},     {0x89, 0, 7},     {0x99, 0, 7},     {'<', 0, 8},
      {0x12, 0, 8},     {0xBA, 0, 9},     {0x7F, 0xB0, 9},  {0x8A, 0, 10},    {0xAA, 0, 10},
      {0x7F, 0xB1, 10}, {'(', 0, 15},     {0x80, 0, 15},    {0x8D, 0, 15},    {0xFB, 0, 15},
      {0x7F, 0x26, 15}, {0xF7, 0xAF, 15}, {0xF7, 0x00, 255}, {0xF9, 0x21, 255}, {0xC0, 0, 255},
  };
  for (const Row &r : rows) {
    EXPECT_EQ(EvalOpPriority(r.b0, r.b1), r.priority) << std::hex << int(r.b0) << " " << int(r.b1);
  }
}

}  // namespace
