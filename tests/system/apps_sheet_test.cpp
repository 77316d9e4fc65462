// The spreadsheet as a user meets it: cells typed on the input line,
// formulas with relative and absolute references copied and pasted,
// recalculation, rows deleted and inserted with their references rewritten,
// errors shown once, and the cursor's moves and jumps.
#include <gtest/gtest.h>

#include <string>

#include "apps/sheet/sheet_app.h"
#include "apps/sheet/sheet_store.h"
#include "number/numtext.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

namespace {

class SheetApp : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("F"));
    ASSERT_EQ(CalcTitle(), "@SSHEET");
  }
  // Types a line of calculator codes (letters, digits, '=', '$' stand for
  // themselves; '+' and '*' are the operator tokens) and EXE.
  static testing::AssertionResult Type(const std::string &line) {
    for (char c : line) {
      u16 code = static_cast<u8>(c);
      if (c == '+') code = 0x89;
      if (c == '*') code = 0xA9;
      testing::AssertionResult r = CalcPostCodes({code});
      if (!r) return r;
    }
    return CalcPress("EXE");
  }
  // The cell's number as the result line writes it ("ERROR" for an error
  // value, "" for none). Read while the calculator waits for a key.
  static std::string Num(i32 col, i32 row) {
    Value v;
    if (!SheetReadValue(nullptr, col, row, &v)) return "";
    if (ValErrorCode(&v)) return "ERROR";
    char out[kNumTextSize];
    NumToText(&v, out);
    std::string s(out);
    return s.substr(s.find_first_not_of(' '));
  }
  static std::string Formula(i32 col, i32 row) {
    char *f = nullptr;
    return SheetReadFormula(nullptr, col, row, &f) ? std::string(f) : std::string();
  }
  static std::string Tok(std::string s) {
    for (char &c : s) {
      if (c == '+') c = static_cast<char>(0x89);
      if (c == '*') c = static_cast<char>(0xA9);
    }
    return s;
  }
};

TEST_F(SheetApp, FormulasCopiedPastedAndRewritten) {
  // The cursor moves down after each cell.
  ASSERT_TRUE(Type("5"));
  ASSERT_TRUE(Type("7"));
  ASSERT_TRUE(Type("=A1+A2"));
  EXPECT_EQ(Num(1, 3), "12");
  ASSERT_TRUE(CalcPress("UP UP UP RIGHT"));
  ASSERT_TRUE(Type("=$A$1*2"));
  ASSERT_TRUE(CalcPress("UP RIGHT"));
  ASSERT_TRUE(Type("=A1+B1"));
  EXPECT_EQ(Num(3, 1), "15");
  // COPY C1, paste into C2 and C3; the relative references follow.
  ASSERT_TRUE(CalcPress("UP F2 F2 DOWN F1 DOWN F1 EXIT"));
  EXPECT_EQ(Formula(3, 2), Tok("=A2+B2"));
  EXPECT_EQ(Num(3, 3), "12");
  // COPY B1 to B2: the absolute reference stays.
  ASSERT_TRUE(CalcPress("UP UP LEFT F2 F2 DOWN F1 EXIT"));
  EXPECT_EQ(Formula(2, 2), Tok("=$A$1*2"));
  EXPECT_EQ(Num(2, 2), "10");
  EXPECT_EQ(Num(3, 2), "17");
  EXPECT_EQ(Num(3, 3), "12");
  // The formula of the current cell shows on the bottom line.
  EXPECT_NE(CalcRow(7).find("=$A$1"), std::string::npos) << CalcRow(7);
  // DEL ROW 2: references into it become ?? and show ERROR; one box.
  ASSERT_TRUE(CalcPress("F3 F1"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Formula(1, 2), Tok("=A1+??"));
  EXPECT_EQ(Num(1, 2), "ERROR");
  EXPECT_EQ(Num(3, 2), "ERROR");
  EXPECT_FALSE(CalcScreenHas("ERROR  ")) << CalcScreenText();
  // INS ROW at 1: the absolute reference moves with its row.
  ASSERT_TRUE(CalcPress("EXIT UP F4 F1"));
  EXPECT_EQ(Formula(2, 2), Tok("=$A$2*2"));
  EXPECT_EQ(Num(2, 2), "10");
}

TEST_F(SheetApp, AChainThroughLaterCells) {
  ASSERT_TRUE(Type("=B5*2"));
  ASSERT_TRUE(CalcPress("UP RIGHT DOWN DOWN DOWN DOWN"));
  ASSERT_TRUE(Type("=C1+1"));
  ASSERT_TRUE(CalcPress("RIGHT UP UP UP UP UP"));
  ASSERT_TRUE(Type("3"));
  EXPECT_EQ(Num(1, 1), "8");
}

TEST_F(SheetApp, ErrorsKeepTheLineOpenWithTheCursorAtTheError) {
  // "1+*2": Syntax ERROR; the line stays with its text.
  ASSERT_TRUE(CalcPostCodes({'1', 0x89, 0xA9, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Num(1, 1), "");
  // The cursor stands behind the operator that was refused.
  ASSERT_TRUE(CalcPress("DEL EXE"));
  EXPECT_EQ(Num(1, 1), "3");
}

}  // namespace
