// The spreadsheet's file commands (NEW, OPEN, DEL, SV-AS) and its range
// commands (SEQ, FILL, STO, RCL) as a user meets them, key by key.
#include <cstring>

#include "apps/sheet/sheet_store.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "tests/system/apps_sheet_fixture.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

std::string Current() {
  char name[9];
  return SheetGetCurrentName(name);
}

Value Real(const std::string &text) {
  Value v{};
  NumParse(text.c_str(), &v.re);
  return v;
}

bool Same(const Value &v, const char *text) {
  const Value w = Real(text);
  return RealCompare(kRealCmpEq, &v.re, &w.re) == 1;
}

// FILE (F1 of the first page) and EDIT, STO and RCL on the second.
constexpr char kSaveAs[] = "F1 F3";
constexpr char kNew[] = "F1 F1";
constexpr char kOpen[] = "F1 F2";

TEST_F(SheetApp, SheetsSavedMadeOpenedAndDeleted) {
  ASSERT_TRUE(Type("5"));
  ASSERT_TRUE(CalcPress(kSaveAs));
  EXPECT_TRUE(CalcScreenHas("Spread Sheet Name")) << CalcScreenText();
  ASSERT_TRUE(Codes("BUDGET"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Current(), "BUDGET");
  EXPECT_EQ(Num(1, 1), "5");
  ASSERT_TRUE(CalcPress(kNew));
  ASSERT_TRUE(Codes("EMPTY"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Current(), "EMPTY");
  EXPECT_EQ(Num(1, 1), "");

  // The list in the folder's order; EXE on the first opens BUDGET.
  ASSERT_TRUE(CalcPress(kOpen));
  EXPECT_EQ(CalcRow(1).substr(0, 17), "Spread Sheet List");
  EXPECT_EQ(CalcRow(2).substr(0, 7), " BUDGET");
  EXPECT_EQ(CalcRow(3).substr(0, 6), " EMPTY");
  EXPECT_EQ(CalcRow(4).substr(0, 6), " SHEET");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Current(), "BUDGET");
  EXPECT_EQ(Num(1, 1), "5");

  // Saving over an existing sheet asks; F6 goes back to the typed name.
  ASSERT_TRUE(CalcPress(kSaveAs));
  ASSERT_TRUE(Codes("SHEET"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Already Exists")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("[SHEET   ]")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(CalcRow(2).substr(0, 6), "[SHEET") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Current(), "BUDGET");

  // UP from the first entry wraps to the last; DEL of the current sheet
  // makes SHEET current.
  ASSERT_TRUE(CalcPress(kOpen));
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_NE(CalcScreenText().find("SHEET"), std::string::npos);
  ASSERT_TRUE(CalcPress("DOWN F1"));
  EXPECT_TRUE(CalcScreenHas("Delete Sheet?")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2).substr(0, 6), " EMPTY") << CalcScreenText();
  EXPECT_EQ(Current(), "SHEET");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(SheetClassifyName("BUDGET"), 1u);
}

TEST_F(SheetApp, AFailedSaveAsKeepsTheOldSheetCurrent) {
  for (const char *n : {"1", "2", "3", "4", "5", "6", "7", "8"}) ASSERT_TRUE(Type(n));
  u32 size = 0;
  ASSERT_NE(SheetOpen(nullptr, &size), nullptr);
  // Main memory is taken but for less than the copy needs.
  McsDeleteInFolder("main", "FILLER");
  u32 want = (SheetFreeBytes() - size / 2) & ~3u;
  while (want > 0 && McsCreateInFolder("main", "FILLER", want, nullptr) != 0) want -= 4;
  ASSERT_LT(SheetFreeBytes(), size);
  ASSERT_TRUE(CalcPress(kSaveAs));
  ASSERT_TRUE(Codes("COPY"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Current(), "SHEET");
  EXPECT_EQ(SheetClassifyName("COPY"), 1u);
  EXPECT_EQ(Num(1, 8), "8");
}

TEST_F(SheetApp, SequenceWrittenDownTheColumnOrRefusedPastTheEdge) {
  // EDIT, SEQ: X², X, 1, 3, 0.5 from A1.
  ASSERT_TRUE(CalcPress("F2 F5"));
  EXPECT_TRUE(CalcScreenHas("Sequence")) << CalcScreenText();
  ASSERT_TRUE(CalcPostCodes({'X', 0x8B}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(Type("X"));
  ASSERT_TRUE(Type("1"));
  ASSERT_TRUE(Type("3"));
  ASSERT_TRUE(Type("0.5"));
  EXPECT_NE(CalcRow(7).find("1st Cell:A1"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Num(1, 1), "1");
  EXPECT_EQ(Num(1, 2), "2.25");
  EXPECT_EQ(Num(1, 3), "4");
  EXPECT_EQ(Num(1, 4), "6.25");
  EXPECT_EQ(Num(1, 5), "9");
  EXPECT_EQ(Num(1, 6), "");

  // Five numbers from Z997 would pass row 999: Range ERROR, nothing
  // written. The EDIT page is still shown.
  ASSERT_TRUE(CalcPress("F5"));
  for (const char *field : {"X", "X", "1", "5", "1", "Z997"}) ASSERT_TRUE(Type(field));
  EXPECT_NE(CalcRow(7).find("Z997"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(Num(26, 997), "");
  EXPECT_EQ(Num(26, 999), "");
  // Along the row (SET UP Move) from X1: five cells do not fit in X-Z.
  SetupSetItem(kSetupMove, 1);
  ASSERT_TRUE(CalcPress("F5"));
  for (const char *field : {"X", "X", "1", "5", "1", "X1"}) ASSERT_TRUE(Type(field));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  for (i32 col = 24; col <= 26; ++col) EXPECT_EQ(Num(col, 1), "") << col;
}

TEST_F(SheetApp, FillPutsOneFormulaNumberOrTextIntoARange) {
  ASSERT_TRUE(Type("2"));
  ASSERT_TRUE(Type("3"));
  ASSERT_TRUE(Type("4"));
  // B1:B3 selected, EDIT, next page, Fill: =A1*10 with relative rows.
  ASSERT_TRUE(CalcPress("UP UP UP RIGHT SHIFT 8 DOWN DOWN F2 F6 F1"));
  EXPECT_TRUE(CalcScreenHas("Fill")) << CalcScreenText();
  EXPECT_NE(CalcRow(3).find("Cell Range:B1:B3"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(Type("=A1*10"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Formula(2, 1), Tok("=A1*10"));
  EXPECT_EQ(Formula(2, 3), Tok("=A3*10"));
  EXPECT_EQ(Num(2, 2), "30");
  // A number over C1:C2 typed as a range on the dialog's cell line.
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(Type("7"));
  ASSERT_TRUE(Type("C1:C2"));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(Num(3, 1), "7");
  EXPECT_EQ(Num(3, 2), "7");
  EXPECT_EQ(Num(3, 3), "");
}

TEST_F(SheetApp, StoreRangesIntoListsMatricesAndVariables) {
  ASSERT_TRUE(Type("1.5"));
  ASSERT_TRUE(CalcPress("UP RIGHT"));
  ASSERT_TRUE(Type("2"));
  ASSERT_TRUE(CalcPress("UP RIGHT"));
  ASSERT_TRUE(Type("3"));
  // A1:C1 into List 2 (the number typed; a letter is not taken).
  ASSERT_TRUE(CalcPress("UP LEFT LEFT SHIFT 8 RIGHT RIGHT F6 F3 F2"));
  EXPECT_TRUE(CalcScreenHas("Store In List Memory")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN"));
  ASSERT_TRUE(Codes("27"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT AC"));
  ASSERT_TRUE(Codes("2A"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(CalcRow(3).find("List[1~26]:2"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  ASSERT_EQ(ItemListSize(0, 2), 3u);
  Value v;
  ASSERT_EQ(ItemListGet(0, 2, 1, &v), 0u);
  EXPECT_TRUE(Same(v, "1.5"));

  // A1:B2 is neither one row nor one column: Range ERROR, List 2 kept.
  // The STO page is still shown; the cursor stands on C1.
  ASSERT_TRUE(CalcPress("EXIT LEFT LEFT SHIFT 8 RIGHT DOWN F3 F2 F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(ItemListSize(0, 2), 3u);

  // The same block into Mat B: empty cells give 0.
  ASSERT_TRUE(CalcPress("EXIT UP LEFT SHIFT 8 RIGHT DOWN F3 F4"));
  ASSERT_TRUE(CalcPress("DOWN"));
  ASSERT_TRUE(Type("B"));
  ASSERT_TRUE(CalcPress("F6"));
  u32 rows = 0, cols = 0;
  ASSERT_EQ(ItemMatDims(2, &rows, &cols), 0u);
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(cols, 2u);
  ASSERT_EQ(ItemMatGet(2, 1, 2, &v), 0u);
  EXPECT_TRUE(Same(v, "2"));

  // STO VAR from an empty cell: Syntax ERROR, the variable unchanged.
  ASSERT_TRUE(CalcPress("EXIT DOWN F3 F1"));
  EXPECT_TRUE(CalcScreenHas("Var Name  :A")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  // The dialog stays: A1 into theta (a letter field that takes r and theta).
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(Type("A1"));
  ASSERT_TRUE(CalcPostCodes({kVarTheta}));
  ASSERT_TRUE(CalcPress("EXE F6"));
  Value theta;
  SysReadVariable(kVarTheta, &theta);
  EXPECT_TRUE(Same(theta, "1.5"));
}

TEST_F(SheetApp, RecallListsAndMatricesIntoCells) {
  // List 1: 30 elements 1..30; Mat C: 2 x 3.
  ASSERT_EQ(ItemListCreate(0, 1, 30), 0u);
  for (u32 i = 1; i <= 30; ++i) {
    const Value e = Real(std::to_string(i));
    ASSERT_EQ(ItemListSet(0, 1, i, &e), 0u);
  }
  ASSERT_EQ(ItemMatCreate(3, 2, 3), 0u);
  for (u32 r = 1; r <= 2; ++r)
    for (u32 c = 1; c <= 3; ++c) {
      const Value e = Real(std::to_string(10 * r + c));
      ASSERT_EQ(ItemMatSet(3, r, c, &e), 0u);
    }
  SetupSetItem(kSetupMove, 1);

  // From X1 along the row: X1:Z1 are written, then Range ERROR.
  ASSERT_TRUE(CalcPress("F2 F4 F1"));
  ASSERT_TRUE(Codes("X1"));
  ASSERT_TRUE(CalcPress("EXE EXIT F6 F4 F1"));
  EXPECT_TRUE(CalcScreenHas("Recall From List Mem")) << CalcScreenText();
  EXPECT_NE(CalcRow(3).find("1st Cell  :X1"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(Num(24, 1), "1");
  EXPECT_EQ(Num(26, 1), "3");

  // Mat C into B2: B2:D3 cleared and filled, nothing around it touched.
  SetupSetItem(kSetupMove, 0);
  ASSERT_TRUE(CalcPress("EXIT F6 F2 F4 F1"));
  ASSERT_TRUE(Codes("B2"));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(Type("\"T"));
  ASSERT_TRUE(CalcPress("UP EXIT F6 F4 F3"));
  ASSERT_TRUE(Type("C"));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(Num(2, 2), "11");
  EXPECT_EQ(Num(4, 3), "23");
  EXPECT_EQ(Num(5, 2), "");
  char *text = nullptr;
  EXPECT_EQ(SheetReadPlainText(nullptr, 2, 2, &text), 0u);

  // A missing matrix: Dimension ERROR.
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(Type("Q"));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("Dimension ERROR")) << CalcScreenText();
}

TEST_F(SheetApp, GrabPicksCellsAndRangesIntoTheFormula) {
  ASSERT_TRUE(Type("5"));
  ASSERT_TRUE(Type("7"));
  // In A3: "=", GRAB, two cells up, SET; "+", GRAB, one up, EXE.
  ASSERT_TRUE(Codes("="));
  ASSERT_TRUE(CalcPress("F1 UP UP"));
  EXPECT_NE(CalcRow(7).find("5"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(Codes("+"));
  ASSERT_TRUE(CalcPress("F1 UP EXE"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Formula(1, 3), Tok("=A1+A2"));
  EXPECT_EQ(Num(1, 3), "12");
  // In A4: CellSum( with a range picked from A1 down to A3.
  ASSERT_TRUE(CalcPostCodes({'=', 0x7FE9}));
  ASSERT_TRUE(CalcPress("F1 UP UP UP SHIFT 8 DOWN DOWN EXE"));
  ASSERT_TRUE(Codes(")"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Formula(1, 4), std::string("=\x7F\xE9") + "A1:A3)");
  EXPECT_EQ(Num(1, 4), "24");
  // EXIT leaves the picker without a reference; the line stays open.
  ASSERT_TRUE(Codes("="));
  ASSERT_TRUE(CalcPress("F1 UP EXIT"));
  ASSERT_TRUE(Codes("9"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Formula(1, 5), "=9");
}

}  // namespace

namespace {

// CALC (second page, F2): 1VAR on the stored range A1:A5, then on A1:A8
// chosen by a selection and the calculation SET; REG X on two columns; an
// empty cell in the range is refused.
TEST_F(SheetApp, StatisticsOnCellRanges) {
  for (const char *n : {"2", "4", "4", "4", "5", "5", "7", "9"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("F6 F2 F1"));
  EXPECT_TRUE(CalcScreenHas("1-Variable")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("=3.8")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(CalcPress("UP"));
  ASSERT_TRUE(CalcPress("SHIFT 8"));
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(CalcPress("DOWN"));
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("1Var XCell:A1:A8")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE F1"));
  const std::string screen = CalcScreenText();
  for (const char *v : {"=5 ", "=2 ", "=2.13808993"}) EXPECT_NE(screen.find(v), std::string::npos) << v << "\n" << screen;
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN DOWN DOWN"));
  for (const char *v : {"=4 ", "=4.5 ", "=6 "}) EXPECT_TRUE(CalcScreenHas(v)) << v << "\n" << CalcScreenText();
  // REG X with X in B1:B5 and Y in C1:C5, chosen by a two-column selection.
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT"));
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(CalcPress("UP"));
  ASSERT_TRUE(CalcPress("RIGHT"));
  for (const char *n : {"1", "2", "3", "4", "5"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP RIGHT"));
  for (const char *n : {"2", "4", "5", "4", "5"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP LEFT SHIFT 8 RIGHT DOWN DOWN DOWN DOWN"));
  ASSERT_TRUE(CalcPress("F2 F6"));
  EXPECT_TRUE(CalcScreenHas("2Var YCell:C1:C5")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE F3 F1"));
  EXPECT_TRUE(CalcScreenHas("LinearReg")) << CalcScreenText();
  for (const char *v : {"=0.6 ", "=2.2 ", "=0.7745966"}) EXPECT_TRUE(CalcScreenHas(v)) << v << "\n" << CalcScreenText();
  // A range that reaches empty cells (C5:C10) is refused with its box.
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT EXIT"));
  ASSERT_TRUE(CalcPress("SHIFT 8 DOWN DOWN DOWN DOWN DOWN F2 F6 EXE F1"));
  EXPECT_TRUE(CalcScreenHas("ERROR")) << CalcScreenText();
}

}  // namespace

namespace {

// REG X over a column of formulas copied down: Y = 2X + 1 exactly.
TEST_F(SheetApp, RegressionOverFormulasCopiedDown) {
  for (const char *n : {"1", "2", "3", "4", "5"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP RIGHT"));
  ASSERT_TRUE(Type("=2A1+1"));
  EXPECT_EQ(Num(2, 1), "3");
  // COPY B1, paste into B2 to B5.
  ASSERT_TRUE(CalcPress("UP F2 F2 DOWN F1 DOWN F1 DOWN F1 DOWN F1 EXIT"));
  EXPECT_EQ(Formula(2, 5), "=2A5" + Tok("+") + "1");
  EXPECT_EQ(Num(2, 5), "11");
  // A1:B5 selected; CALC, SET takes it as the X and Y ranges; REG X.
  ASSERT_TRUE(CalcPress("UP UP UP UP LEFT SHIFT 8 RIGHT DOWN DOWN DOWN DOWN F6 F2 F6"));
  EXPECT_TRUE(CalcScreenHas("2Var XCell:A1:A5")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("2Var YCell:B1:B5")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE F3 F1"));
  EXPECT_TRUE(CalcScreenHas("LinearReg")) << CalcScreenText();
  for (const char *v : {"a =2 ", "b =1 ", "r =1 "}) EXPECT_TRUE(CalcScreenHas(v)) << v << "\n" << CalcScreenText();
}

}  // namespace

namespace {

// The conversion keys change how row 7 shows the current cell's number,
// not the number; the next key shows it plainly again.
TEST_F(SheetApp, Row7ShowsTheNumberInTheFormOfTheConversionKey) {
  ASSERT_TRUE(Type("0.75"));
  ASSERT_TRUE(Type("1234"));
  ASSERT_TRUE(CalcPress("UP UP F<>D"));
  EXPECT_EQ(CalcRow(7).find("0.75"), std::string::npos) << CalcRow(7);
  EXPECT_NE(CalcRow(7).find("3"), std::string::npos) << CalcRow(7);
  EXPECT_NE(CalcRow(7).find("4"), std::string::npos) << CalcRow(7);
  EXPECT_EQ(Num(1, 1), "0.75");
  ASSERT_TRUE(CalcPress("DOWN"));
  ASSERT_TRUE(CalcPostCodes({kKeyEngDown}));
  EXPECT_NE(CalcRow(7).find("1.234ᴇ+03"), std::string::npos) << CalcRow(7);
  ASSERT_TRUE(CalcPress("UP DOWN"));
  EXPECT_NE(CalcRow(7).find("1234"), std::string::npos) << CalcRow(7);
}

}  // namespace

namespace {

// GRPH GRP1 draws StatGraph1 (a scatter of A1:A5 against B1:B5) on the
// StatGraph screen; EXIT comes back to the sheet.
TEST_F(SheetApp, Grp1DrawsTheCellsAsAScatter) {
  for (const char *n : {"1", "2", "3", "4", "5"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP RIGHT"));
  for (const char *n : {"2", "4", "5", "4", "5"}) ASSERT_TRUE(Type(n));
  ASSERT_TRUE(CalcPress("F6 F1 F1"));
  EXPECT_FALSE(CalcScreenHas("ERROR")) << CalcScreenText();
  EXPECT_FALSE(CalcScreenHas("Not built")) << CalcScreenText();
  // The sheet's grid is gone: its corner dots at the left edge are not set.
  EXPECT_FALSE(CalcDot(0, 12) && CalcDot(1, 12)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Num(2, 5), "5");
}

}  // namespace
