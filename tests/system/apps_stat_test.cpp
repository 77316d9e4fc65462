// The statistics application's list editor as a user meets it: values typed
// into cells, the cursor over rows and lists, sub-names, a list formula on a
// title row, the list tools and the boxes of what is not built yet. The
// lists are read back from main memory where the small-font table cannot be
// read as text.
#include <gtest/gtest.h>

#include <string>

#include "graph/memory/gmem_func.h"
#include "memory/item_array.h"
#include "number/numtext.h"
#include "tests/support/golden.h"
#include "kernel/calc_ram.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

namespace {

class Stat : public CalcSystemTest {
 protected:
  void SetUp() override {
    // Each test from empty memory: the calculator's RAM outlives a restart.
    HostFreeCalcRam();
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    // STAT is the second icon of the first row.
    ASSERT_TRUE(CalcPress("RIGHT EXE"));
    ASSERT_EQ(CalcTitle(), "@STAT");
  }
  static testing::AssertionResult Codes(std::initializer_list<u16> codes) { return CalcPostCodes(codes); }
  // Types each number followed by EXE ("-4" with the (-) key).
  static testing::AssertionResult Cells(std::initializer_list<const char *> numbers) {
    for (const char *n : numbers) {
      std::string keys;
      for (const char *p = n; *p; ++p) keys += *p == '-' ? std::string("(-) ") : std::string(1, *p) + " ";
      testing::AssertionResult r = CalcPress(keys + "EXE");
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  // List n of the current list file as "a,b,c" ("-" when it does not exist).
  static std::string ListText(u8 list) {
    const u32 n = ItemListSize(0, list);
    if (n == 0) return "-";
    std::string out;
    for (u32 i = 1; i <= n; ++i) {
      Value v;
      if (ItemListGet(0, list, i, &v) != 0) return "unreadable";
      char text[kNumTextSize];
      NumToText(&v, text);
      std::string t = text;
      t.erase(0, t.find_first_not_of(' '));
      if (!t.empty() && static_cast<u8>(t[0]) == 0x87) t = "-" + t.substr(1);
      out += (i > 1 ? "," : "") + t;
    }
    return out;
  }
  // The bottom line without its leading blanks.
  static std::string Bottom() {
    std::string s = CalcRow(7);
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first);
  }
};

TEST_F(Stat, ValuesTypedFillTheListAndTheBottomLineFollowsTheCursor) {
  ASSERT_TRUE(Cells({"2", "4", "5"}));
  EXPECT_EQ(ListText(1), "2,4,5");
  // The cursor waits on the append cell: nothing on the bottom line.
  EXPECT_EQ(Bottom(), "");
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(Bottom(), "5");
  // A value typed over an element replaces it; the cursor moves down.
  ASSERT_TRUE(CalcPress("UP"));
  ASSERT_TRUE(Cells({"-7"}));
  EXPECT_EQ(ListText(1), "2,-7,5");
  EXPECT_EQ(Bottom(), "5");
  // A formula is evaluated; an error shows its box and the line stays.
  ASSERT_TRUE(CalcPress("UP 1 + EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT AC 1 2 EXE"));
  EXPECT_EQ(ListText(1), "2,12,5");
  // LEFT at list 1 does nothing; RIGHT to an empty list pulls the cursor
  // up to its append cell, where a value makes the list.
  ASSERT_TRUE(CalcPress("LEFT RIGHT"));
  EXPECT_EQ(Bottom(), "");
  ASSERT_TRUE(Cells({"9"}));
  EXPECT_EQ(ListText(2), "9");
  EXPECT_EQ(ListText(1), "2,12,5");
}

TEST_F(Stat, CursorWrapsBetweenTitleRowAndAppendCellAndVisitsTheSubName) {
  ASSERT_TRUE(Cells({"1", "2"}));
  // Element 1, then the sub-name row, then the title row.
  ASSERT_TRUE(CalcPress("UP UP"));
  EXPECT_EQ(Bottom(), "1");
  ASSERT_TRUE(CalcPress("UP"));  // sub-name
  EXPECT_EQ(Bottom(), "");
  ASSERT_TRUE(CalcPress("A B EXE"));
  char sub[9];
  ItemListGetSubName(0, 1, sub);
  EXPECT_EQ(std::string(sub), "AB");
  // After a sub-name the cursor is on element 1.
  EXPECT_EQ(Bottom(), "1");
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(Bottom(), "AB");
  // UP from the title row goes to the append cell, DOWN from it back.
  ASSERT_TRUE(CalcPress("UP UP"));
  EXPECT_EQ(Bottom(), "");
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(Bottom(), "2");
  ASSERT_TRUE(CalcPress("DOWN DOWN"));
  ASSERT_TRUE(CalcPress("DOWN DOWN"));  // sub-name, element 1
  EXPECT_EQ(Bottom(), "1");
  // EXIT does nothing in the application's own editor.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcTitle(), "@STAT");
  EXPECT_EQ(Bottom(), "1");
}

TEST_F(Stat, ListFormulaOnTitleRowReplacesTheWholeList) {
  ASSERT_TRUE(CalcPress("RIGHT UP UP"));  // List 2's title row
  ASSERT_TRUE(Codes({kChrListOpen, '1', ',', '2', ',', '3', kChrListClose, kChrTimes, '2', kKeyExe}));
  EXPECT_EQ(ListText(2), "2,4,6");
  // A single value on a title row is refused with Ma ERROR, the line kept.
  ASSERT_TRUE(CalcPress("RIGHT 5 EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(ListText(3), "-");
  // A sequence fills 999 rows; BTM stops at row 999, DOWN from it goes to
  // the title row, INS on a full list does nothing.
  ASSERT_TRUE(Codes({0x7F2C, 'X', ',', 'X', ',', '1', ',', '9', '9', '9', ',', '1', ')', kKeyExe}));
  ASSERT_EQ(ItemListSize(0, 3), 999u);
  ASSERT_TRUE(CalcPress("F6 F1 F4"));
  EXPECT_EQ(Bottom(), "999");
  ASSERT_TRUE(CalcPress("EXIT F5"));
  EXPECT_EQ(ItemListSize(0, 3), 999u);
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Bottom(), "");
  ASSERT_TRUE(CalcPress("DOWN DOWN"));
  EXPECT_EQ(Bottom(), "1");
}

TEST_F(Stat, DeleteInsertAndDeleteAllChangeTheList) {
  ASSERT_TRUE(Cells({"2", "4", "5"}));
  ASSERT_TRUE(CalcPress("UP UP"));           // element 2
  ASSERT_TRUE(CalcPress("F6 F3"));           // DEL
  EXPECT_EQ(ListText(1), "2,5");
  EXPECT_EQ(Bottom(), "5");
  ASSERT_TRUE(CalcPress("F5"));              // INS before element 2
  EXPECT_EQ(ListText(1), "2,0,5");
  // EDIT starts the line with the cell's content.
  ASSERT_TRUE(CalcPress("F2 DEL 3 EXE"));
  EXPECT_EQ(ListText(1), "2,3,5");
  // DEL on the last element moves the cursor up.
  ASSERT_TRUE(CalcPress("F3"));
  EXPECT_EQ(ListText(1), "2,3");
  EXPECT_EQ(Bottom(), "3");
  // DEL-A asks first: F6 keeps the list, F1 deletes it.
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_TRUE(CalcScreenHas("Delete List?")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(ListText(1), "2,3");
  ASSERT_TRUE(CalcPress("F4 F1"));
  EXPECT_EQ(ListText(1), "-");
}

TEST_F(Stat, SortAscendingCarriesTheSecondListAlong) {
  ASSERT_TRUE(Cells({"3", "1", "2"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"30", "10"}));
  // Lists of different lengths are refused at the second list's number.
  ASSERT_TRUE(CalcPress("F6 F1 F1"));
  EXPECT_TRUE(CalcScreenHas("How Many")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("2 EXE 1 EXE 2 EXE"));
  EXPECT_TRUE(CalcScreenHas("Dimension ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(ListText(1), "3,1,2");
  // EXIT closes the TOOL page: page 2 again.
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(Cells({"20"}));
  ASSERT_TRUE(CalcPress("F1 F1 2 EXE 1 EXE 2 EXE"));
  EXPECT_EQ(ListText(1), "1,2,3");
  EXPECT_EQ(ListText(2), "10,20,30");
}

TEST_F(Stat, GraphsOfEmptyListsShowTheirErrorAndReturnToTheEditor) {
  // GRP1 and SEL's Draw check the lists first: empty lists cannot be drawn.
  for (const char *keys : {"F1 F1", "F1 F4 F3"}) {
    ASSERT_TRUE(CalcPress(keys));
    EXPECT_TRUE(CalcScreenHas("Dimension ERROR")) << keys << "\n" << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT"));
    EXPECT_FALSE(CalcScreenHas("Dimension ERROR")) << keys;
    ASSERT_TRUE(CalcPress("EXIT EXIT EXIT"));
  }
  EXPECT_EQ(CalcTitle(), "@STAT");
}

TEST_F(Stat, CashFlowListIsEditedInTheEditorThatExitLeaves) {
  ASSERT_TRUE(CalcPress("MENU B"));
  ASSERT_EQ(CalcTitle(), "@FINANCE");
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_EQ(CalcRow(1), "Cash Flow");
  // F5 opens the list editor on its tool page; EXIT leaves it.
  ASSERT_TRUE(CalcPress("F5"));
  ASSERT_TRUE(Cells({"-100", "60", "70"}));
  EXPECT_EQ(ListText(1), "-100,60,70");
  ASSERT_TRUE(CalcPress("UP F3"));  // DEL on the tool page
  EXPECT_EQ(ListText(1), "-100,60");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Cash Flow") << CalcScreenText();
}

TEST_F(Stat, OneVariableShowsItsResultsAndScrolls) {
  ASSERT_TRUE(Cells({"2", "4", "4", "4", "5", "5", "7", "9"}));
  ASSERT_TRUE(CalcPress("F2 F1"));
  EXPECT_EQ(CalcRow(1), "1-Variable");
  EXPECT_EQ(CalcRow(2), "x̄    =5") << CalcScreenText();
  EXPECT_EQ(CalcRow(5), "xσₙ  =2");
  EXPECT_EQ(CalcRow(6), "xσₙ₋₁ =2.13808993");
  EXPECT_EQ(CalcRow(7), "n    =8             ↓");
  // Thirteen lines and one mode: the screen scrolls by eight.
  for (int i = 0; i < 9; ++i) ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(2), "Med  =4.5           ↑") << CalcScreenText();
  EXPECT_EQ(CalcRow(3), "Q3   =6");
  EXPECT_EQ(CalcRow(5), "Mod  =4");
  EXPECT_EQ(CalcRow(6), "Mod:n=1");
  EXPECT_EQ(CalcRow(7), "Mod:F=3");
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(CalcRow(2), "Q1   =4             ↑") << CalcScreenText();
  // EXIT goes back to the editor.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Bottom(), "");
  EXPECT_NE(CalcRow(1), "1-Variable") << CalcScreenText();
}

TEST_F(Stat, FrequenciesAllZeroAreMaError) {
  ASSERT_TRUE(Cells({"1", "2"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"0", "0"}));
  // SET: the frequency list of the single-variable calculation.
  ASSERT_TRUE(CalcPress("F2 F6"));
  ASSERT_TRUE(CalcPress("DOWN F2 2 EXE EXIT"));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(ListText(1), "1,2");
}

// SET's list pop-up: its title and "List[1~26]:" over the screen, EXIT
// keeping the list chosen, 27 refused with Argument ERROR and asked again,
// then a number in range choosing the list.
TEST_F(Stat, SetupListPopupAsksForAListNumber) {
  ASSERT_TRUE(CalcPress("F2 F6"));
  EXPECT_TRUE(CalcScreenHas("1Var XList  :List1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Select List No.")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("List[1~26]:")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(CalcScreenHas("List[1~26]:")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("1Var XList  :List1")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1 2 7 EXE"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("List[1~26]:")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("5 EXE"));
  EXPECT_FALSE(CalcScreenHas("List[1~26]:")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("1Var XList  :List5")) << CalcScreenText();
}

TEST_F(Stat, LinearRegressionShowsItsFormulaAndCopiesIt) {
  ASSERT_TRUE(Cells({"1", "2", "3", "4", "5"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"2", "4", "5", "4", "5"}));
  ASSERT_TRUE(CalcPress("F2 F3 F1"));
  EXPECT_EQ(CalcRow(1), "LinearReg") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "   a =0.6");
  EXPECT_EQ(CalcRow(3), "   b =2.2");
  EXPECT_EQ(CalcRow(4), "   r =0.77459666");
  EXPECT_EQ(CalcRow(6), "  MSe=0.8");
  EXPECT_EQ(CalcRow(7), "y=ax+b");
  // COPY into the second graph function.
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(CalcScreenHas("Graph Func")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN EXE"));
  EXPECT_EQ(CalcRow(1), "LinearReg") << CalcScreenText();
  const char *text = GmemFuncDataPtr(2);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text), "0.6X\x89" "2.2");
  EXPECT_EQ(GmemReadFuncType(2), 0x0108);
}

TEST_F(Stat, CubicRegressionScrollsBetweenTwoPositions) {
  ASSERT_TRUE(Cells({"1", "2", "3", "4", "5", "6", "7"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"2", "3", "7", "15", "30", "52", "80"}));
  ASSERT_TRUE(CalcPress("F2 F3 F4"));
  EXPECT_EQ(CalcRow(1), "CubicReg") << CalcScreenText();
  EXPECT_EQ(CalcRow(7).substr(0, 6), "  MSe=") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN DOWN"));
  EXPECT_EQ(CalcRow(7), "y=ax³+bx²+cx+d") << CalcScreenText();
  EXPECT_EQ(CalcRow(2).substr(0, 6), "   b =");
}

TEST_F(Stat, LogisticAndSineRegressionsShowTheirFits) {
  ASSERT_TRUE(Cells({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"4", "7", "12", "21", "33", "46", "57", "64", "68", "70"}));
  ASSERT_TRUE(CalcPress("F2 F3 F6 F5"));
  EXPECT_EQ(CalcRow(1), "LogisticReg") << CalcScreenText();
  EXPECT_EQ(CalcRow(2).substr(0, 12), "   a =42.506") << CalcScreenText();
  EXPECT_EQ(CalcRow(4).substr(0, 12), "   c =72.605");
}

TEST_F(Stat, SineRegressionFollowsTheAngleUnit) {
  ASSERT_TRUE(Cells({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"58", "62", "70", "77", "83", "85", "83", "77", "70", "62", "58", "56"}));
  // The angle unit starts as Deg: b comes out in degrees.
  ASSERT_TRUE(CalcPress("F2 F3 F6 F4"));
  EXPECT_EQ(CalcRow(1), "SinReg") << CalcScreenText();
  EXPECT_EQ(CalcRow(2).substr(0, 12), "   a =14.342") << CalcScreenText();
  EXPECT_EQ(CalcRow(3).substr(0, 12), "   b =31.148");
  EXPECT_EQ(CalcRow(5).substr(0, 12), "   d =70.598");
  EXPECT_EQ(CalcRow(7), "y=a·sin(bx+c)+d");
}

// The table as drawn: titles, sub-names, element numbers, cells in the small
// font, the reversed cursor cell and the bottom line, against golden
// pictures (the small font cannot be read back as text).
TEST_F(Stat, TableAndResultScreensMatchTheirPictures) {
  ASSERT_TRUE(Cells({"2", "-4.5", "0.000123", "123456789"}));
  ASSERT_TRUE(CalcPress("RIGHT"));
  ASSERT_TRUE(Cells({"1", "2", "3", "4"}));
  ASSERT_TRUE(CalcPress("UP UP"));
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "stat_list_table.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("F2 F2"));
  EXPECT_EQ(CalcRow(1), "2-Variable") << CalcScreenText();
  EXPECT_TRUE(MatchesGolden(GoldenBeside(__FILE__, "stat_two_variable.txt"), CalcScreenPicture()));
}

}  // namespace
