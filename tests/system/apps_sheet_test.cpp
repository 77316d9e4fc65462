// The spreadsheet as a user meets it: cells typed on the input line,
// formulas with relative and absolute references copied and pasted,
// recalculation, rows deleted and inserted with their references rewritten,
// errors shown once, and the cursor's moves and jumps.
#include "memory/mcs_api.h"
#include "tests/system/apps_sheet_fixture.h"
#include "ui/setup.h"

namespace {

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

TEST_F(SheetApp, AChainThroughLaterCellsAndACircle) {
  ASSERT_TRUE(Type("=B5*2"));
  ASSERT_TRUE(CalcPress("UP RIGHT DOWN DOWN DOWN DOWN"));
  ASSERT_TRUE(Type("=C1+1"));
  ASSERT_TRUE(CalcPress("RIGHT UP UP UP UP UP"));
  ASSERT_TRUE(Type("3"));
  EXPECT_EQ(Num(1, 1), "8");
  // A circle: both cells show ERROR after one Circular ERROR box.
  ASSERT_TRUE(CalcPress("LEFT LEFT UP"));
  ASSERT_TRUE(Type("=B1"));
  ASSERT_TRUE(CalcPress("UP RIGHT"));
  ASSERT_TRUE(Type("=A1"));
  EXPECT_TRUE(CalcScreenHas("Circular ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(CalcScreenHas("Circular ERROR"));
  EXPECT_EQ(Num(1, 1), "ERROR");
  EXPECT_EQ(Num(2, 1), "ERROR");
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

TEST_F(SheetApp, CursorEdgesJumpsAndGoTo) {
  for (int i = 0; i < 25; ++i) ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(CalcPress("RIGHT"));  // nothing past Z
  // BOT down: row 999, rows 995-999 shown.
  ASSERT_TRUE(CalcPress("F2 F4 F4"));
  ASSERT_TRUE(Type("4"));
  EXPECT_EQ(Num(26, 999), "4");
  // Go To takes B12 and refuses A1000 (a five-character field).
  ASSERT_TRUE(CalcPress("EXIT EXIT F2 F4 F1 B 1 2 EXE"));
  ASSERT_TRUE(Type("6"));
  EXPECT_EQ(Num(2, 12), "6");
  ASSERT_TRUE(CalcPress("EXIT EXIT F2 F4 F1 A 1 0 0 0 EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
}

// The screen at A1: a number, a text running on over empty cells, a
// formula that shows ERROR, the cursor; a selected range; the last window.
TEST_F(SheetApp, ScreensAsPictures) {
  ASSERT_TRUE(Type("12.5"));
  ASSERT_TRUE(CalcPostCodes({'"', 'L', 'O', 'N', 'G', 'E', 'R'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(Type("=A1+A9"));
  ASSERT_TRUE(Type("=1/0"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT UP UP UP UP"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "sheet_a1.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("SHIFT 8 RIGHT DOWN"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "sheet_range.txt"), CalcScreenPicture()));
  EXPECT_NE(CalcRow(7).find("A1:B2"), std::string::npos) << CalcRow(7);
  ASSERT_TRUE(CalcPress("EXIT F2 F4 F4 F2 F4 F5"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "sheet_last.txt"), CalcScreenPicture()));
}

// Auto Calc Off: an edited formula shows its own value, cells that depend
// on a changed cell wait for RECAL. A paste that finds no room says so
// whether or not Auto Calc is on, and changes nothing.
TEST_F(SheetApp, AutoCalcOffWaitsForRecalAndAPasteWithoutRoomSaysSo) {
  SetupSetItem(kSetupAutoCalc, 1);
  ASSERT_TRUE(Type("2"));
  ASSERT_TRUE(Type("=A1*3"));
  EXPECT_EQ(Num(1, 2), "6");
  ASSERT_TRUE(CalcPress("UP UP"));
  ASSERT_TRUE(Type("5"));
  EXPECT_EQ(Num(1, 2), "6");
  // FILE, RECAL.
  ASSERT_TRUE(CalcPress("F1 F4 EXIT"));
  EXPECT_EQ(Num(1, 2), "15");

  // Main memory taken but for a few bytes: COPY A2, paste at B4.
  McsDeleteInFolder("main", "FILLER");
  u32 want = SheetFreeBytes() > 64 ? (SheetFreeBytes() - 64) & ~3u : 0;
  while (want > 0 && McsCreateInFolder("main", "FILLER", want, nullptr) != 0) want -= 4;
  ASSERT_LT(SheetFreeBytes(), 200u);
  for (u8 autoCalc : {1, 0}) {
    SCOPED_TRACE(autoCalc ? "Auto Calc Off" : "Auto Calc On");
    SetupSetItem(kSetupAutoCalc, autoCalc);
    u32 size = 0;
    const u8 *item = SheetOpen(nullptr, &size);
    ASSERT_NE(item, nullptr);
    const std::string before(reinterpret_cast<const char *>(item), size);
    ASSERT_TRUE(CalcPress("F2 F2 RIGHT DOWN DOWN F1"));
    EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT EXIT LEFT UP UP"));
    item = SheetOpen(nullptr, &size);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(item), size), before);
    EXPECT_EQ(Formula(2, 4), "");
  }
}

// Row 7 shows the current cell's formula or its value as SET UP's Show Cell
// says; above row 1 the cursor selects the whole column (header mode), its
// range on row 7.
TEST_F(SheetApp, Row7InFormulaAndValueAndTheColumnHeading) {
  ASSERT_TRUE(Type("5"));
  ASSERT_TRUE(Type("=A1*2"));
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_NE(CalcRow(7).find("=A1"), std::string::npos) << CalcRow(7);
  SetupSetItem(kSetupShowCell, 1);
  ASSERT_TRUE(CalcPress("DOWN UP"));
  EXPECT_EQ(CalcRow(7).find("=A1"), std::string::npos) << CalcRow(7);
  EXPECT_NE(CalcRow(7).find("10"), std::string::npos) << CalcRow(7);
  ASSERT_TRUE(CalcPress("UP UP"));
  EXPECT_NE(CalcRow(7).find("A1:A999"), std::string::npos) << CalcRow(7);
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "sheet_header.txt"), CalcScreenPicture()));
}

}  // namespace
