// The financial application as a user meets it: opened from the main menu,
// values typed into the variable lists, quantities solved by the function
// keys and read back from the screen; the variables from RUN-MAT.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/golden.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

namespace {

std::string Golden(const std::string &name) { return GoldenBeside(__FILE__, name); }

class Finance : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
  // Opens "@FINANCE" from the main menu (its key is ALPHA log).
  static testing::AssertionResult Open() {
    testing::AssertionResult r = CalcPress("B");
    if (!r) return r;
    if (CalcTitle() != "@FINANCE") return testing::AssertionFailure() << "title " << CalcTitle();
    return testing::AssertionSuccess();
  }
  // Types a number (a leading '-' by the (-) key) and EXE.
  static testing::AssertionResult Enter(const std::string &number) {
    std::string keys;
    for (char c : number) {
      keys += c == '-' ? "(-)" : std::string(1, c);
      keys += ' ';
    }
    return CalcPress(keys + "EXE");
  }
  static testing::AssertionResult EnterAll(std::initializer_list<const char *> numbers) {
    for (const char *n : numbers) {
      testing::AssertionResult r = Enter(n);
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  // The highlighted text row: the one drawn reversed (the blank bottom dot
  // row under its characters is set).
  static int Highlighted() {
    for (int row = 2; row <= 7; ++row)
      if (CalcDot(60, (row - 1) * 8 + 7)) return row;
    return 0;
  }
};

TEST_F(Finance, MenuPagesListTheSubApplications) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(CalcRow(1), "Financial(1/2)");
  EXPECT_EQ(CalcRow(2), "F1:Simple Interest");
  EXPECT_EQ(CalcRow(7), "F6:Next Page");
  // EXIT does nothing on a menu page; F6 turns it.
  ASSERT_TRUE(CalcPress("EXIT F6"));
  EXPECT_EQ(CalcRow(1), "Financial(2/2)");
  EXPECT_EQ(CalcRow(3), "F2:Days Calculation");
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(CalcRow(1), "Financial(1/2)");
}

TEST_F(Finance, SimpleInterestTypedAsAUser) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(1), "Simple Interest:365");
  EXPECT_EQ(Highlighted(), 2);
  ASSERT_TRUE(EnterAll({"90", "7", "1000"}));
  EXPECT_EQ(CalcRow(2), "n  =90");
  EXPECT_EQ(CalcRow(4), "PV =1000");
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "SI =−17.26027397") << CalcScreenText();
  // REPT keeps the highlight where it was; EXIT puts it on the first line.
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Highlighted(), 4);
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "SFV=−1017.260274");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Highlighted(), 2);
  // RIGHT edits the stored value; the assignment arrow and comma do nothing.
  ASSERT_TRUE(CalcPress("-> , RIGHT DEL 1 EXE"));
  EXPECT_EQ(CalcRow(2), "n  =91") << CalcScreenText();
}

TEST_F(Finance, CompoundInterestSolvesThePaymentWithEndPayments) {
  ASSERT_TRUE(Open());
  // SET UP from the menu: Payment End.
  ASSERT_TRUE(CalcPress("SHIFT MENU"));
  EXPECT_TRUE(CalcScreenHas("Payment")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F2 EXIT F2"));
  EXPECT_EQ(CalcRow(1), "Compound Interest:End") << CalcScreenText();
  ASSERT_TRUE(EnterAll({"60", "7.5", "25000", "-500", "-5000"}));
  EXPECT_EQ(Highlighted(), 7);
  EXPECT_EQ(CalcRow(7).substr(0, 6), "P/Y=12");
  // DOWN on the last row scrolls: C/Y comes into view, the up arrow shows.
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcRow(2).substr(0, 7), "I% =7.5");
  EXPECT_EQ(CalcRow(7).substr(0, 6), "C/Y=12");
  EXPECT_EQ(Highlighted(), 7);
  EXPECT_TRUE(MatchesGolden(Golden("fin_compound_scrolled.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("UP UP UP UP UP UP"));
  EXPECT_EQ(CalcRow(2).substr(0, 6), "n  =60");
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_EQ(CalcRow(2), "PMT=−432.0089719") << CalcScreenText();
  // The result replaced PMT; with -500 again, n and then I% from the rest.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(5), "PMT=−432.0089719");
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN"));
  ASSERT_TRUE(Enter("-500"));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "n  =49.77970496") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(Enter("60"));
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "I% =12.35749331") << CalcScreenText();
}

TEST_F(Finance, PeriodsPerYearAreWholeAndSetTheCompoundingToo) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2 DOWN DOWN DOWN DOWN DOWN"));
  EXPECT_EQ(Highlighted(), 7);
  ASSERT_TRUE(Enter("2.5"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  // The line is edited again from the refused text.
  ASSERT_TRUE(CalcPress("EXIT AC 4 EXE"));
  // P/Y = 4 also made C/Y 4, and the list scrolled to show it.
  EXPECT_EQ(CalcRow(6).substr(0, 5), "P/Y=4") << CalcScreenText();
  EXPECT_EQ(CalcRow(7).substr(0, 5), "C/Y=4") << CalcScreenText();
}

TEST_F(Finance, AmortisationAndTheJumpsToAndFromCompoundInterest) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("SHIFT MENU F2 EXIT F4"));
  EXPECT_EQ(CalcRow(1), "Amortization:End") << CalcScreenText();
  ASSERT_TRUE(EnterAll({"1", "1", "12", "12", "1000", "-100"}));
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "INT=−10") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT F1"));
  EXPECT_EQ(CalcRow(2), "BAL=910") << CalcScreenText();
  // The graph of 12 payments' interest, traced at payment 2.
  ASSERT_TRUE(CalcPress("EXIT DOWN DOWN"));
  ASSERT_TRUE(Enter("12"));
  ASSERT_TRUE(CalcPress("F1 F6 F1 RIGHT"));
  EXPECT_TRUE(MatchesGolden(Golden("fin_amort_trace.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("EXIT F1"));
  // CMDP on a result lands in compound interest, AMT there back here.
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_EQ(CalcRow(1), "Compound Interest:End") << CalcScreenText();
  EXPECT_EQ(CalcRow(3).substr(0, 6), "I% =12");
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(CalcRow(1), "Amortization:End");
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(CalcRow(1), "Compound Interest:End");
  // A sum over one payment is refused.
  ASSERT_TRUE(CalcPress("F6 F4"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
}

TEST_F(Finance, InternalRateOfReturnGoesIntoTheRate) {
  // The flows as List 1, typed in RUN-MAT.
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("SHIFT * (-) 1 0 0 0 , 5 0 0 , 5 0 0 , 5 0 0 SHIFT / -> SHIFT 1 1 EXE MENU"));
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F3"));
  EXPECT_EQ(CalcRow(1), "Cash Flow");
  EXPECT_EQ(CalcRow(3), "Csh=List 1");
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "IRR=23.37519285") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "I% =23.37519285") << CalcScreenText();
  ASSERT_TRUE(Enter("10"));
  ASSERT_TRUE(CalcPress("F3"));
  EXPECT_EQ(CalcRow(2), "PBP=2.352") << CalcScreenText();
  // The flows as a graph, traced from the first; the labels of the axes.
  ASSERT_TRUE(CalcPress("F6 F1 RIGHT"));
  EXPECT_TRUE(MatchesGolden(Golden("fin_cash_trace.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Cash Flow") << CalcScreenText();
  // F6 on the list line chooses another list; List 2 is empty.
  ASSERT_TRUE(CalcPress("DOWN F6 2 EXE"));
  EXPECT_EQ(CalcRow(3), "Csh=List 2") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Dimension ERROR")) << CalcScreenText();
}

TEST_F(Finance, DaysShowDatesAndRefuseADayTheMonthLacks) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F6 F2"));
  EXPECT_EQ(CalcRow(1), "Days Calculation:365");
  EXPECT_EQ(CalcRow(2), "d1 =01M01D1997Y(WED)");
  // 31 February: Ma ERROR, d1 unchanged.
  ASSERT_TRUE(CalcPress("RIGHT 2 EXE 3 1 EXE 2 0 0 0 EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "d1 =01M01D1997Y(WED)");
  // Month 13 is refused and asked for again; then 1 March 1999.
  ASSERT_TRUE(CalcPress("RIGHT 1 3 EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT 3 EXE 1 EXE 1 9 9 9 EXE"));
  EXPECT_EQ(CalcRow(2), "d1 =03M01D1999Y(MON)") << CalcScreenText();
  EXPECT_EQ(Highlighted(), 3);
  ASSERT_TRUE(CalcPress("RIGHT 3 EXE 1 EXE 2 0 0 0 EXE"));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "Prd=366") << CalcScreenText();
  // D must be a whole number of days.
  ASSERT_TRUE(CalcPress("EXIT DOWN DOWN"));
  ASSERT_TRUE(Enter("2.5"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(Enter("1000"));
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "d+D=11M25D2001Y(SUN)") << CalcScreenText();
}

TEST_F(Finance, ProgramsReadAndAssignTheVariables) {
  ASSERT_TRUE(CalcPress("EXE"));
  // Fresh memory: no record yet.
  ASSERT_TRUE(CalcPostCodes({0x7F66, kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT AC"));
  ASSERT_TRUE(CalcPress("1 0 0 0 ->"));
  ASSERT_TRUE(CalcPostCodes({0x7F66, kKeyExe, 0x7F66, kKeyExe, 0x7FCC, kKeyExe}));
  EXPECT_EQ(CalcRow(4), std::string(17, ' ') + "1000") << CalcScreenText();
  EXPECT_EQ(CalcRow(6), std::string(19, ' ') + "12") << CalcScreenText();
  ASSERT_TRUE(CalcPress("0 ->"));
  ASSERT_TRUE(CalcPostCodes({0x7FCC, kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
}

TEST_F(Finance, SimpleInterestGraphAndItsTrace) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(EnterAll({"90", "7", "1000"}));
  ASSERT_TRUE(CalcPress("F1 F6"));
  EXPECT_TRUE(MatchesGolden(Golden("fin_simple_graph.txt"), CalcScreenPicture()));
  // F1 traces from PV; LEFT from the first point wraps to the last.
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(CalcScreenPicture().find('#'), std::string::npos);
  EXPECT_TRUE(MatchesGolden(Golden("fin_simple_trace_pv.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_TRUE(MatchesGolden(Golden("fin_simple_trace_sfv.txt"), CalcScreenPicture()));
  // EXIT ends the trace and the graph: the list again.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Simple Interest:365") << CalcScreenText();
}

TEST_F(Finance, GraphsRefuseWhatTheyCannotDraw) {
  ASSERT_TRUE(Open());
  // Compound interest with n = 0: Range ERROR at once.
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(EnterAll({"0", "5", "1000", "-100", "0"}));
  ASSERT_TRUE(CalcPress("F3 F6"));
  EXPECT_TRUE(CalcScreenHas("Range ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Compound Interest:Bgn") << CalcScreenText();
  // Amortisation over 10000 payments: Ma ERROR.
  ASSERT_TRUE(CalcPress("UP UP UP UP UP UP"));
  ASSERT_TRUE(Enter("10000"));
  ASSERT_TRUE(CalcPress("F6"));
  ASSERT_TRUE(EnterAll({"1", "1"}));
  ASSERT_TRUE(CalcPress("F1 F6"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR")) << CalcScreenText();
}

TEST_F(Finance, CompoundGraphOfAHugeTermEndsAtOnce) {
  // 1E99 payments: one line per dot column, not one per payment (the
  // harness's wait would run out long before).
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2 1 EXP 9 9 EXE 5 EXE DOWN (-) 1 0 0 EXE 0 EXE"));
  ASSERT_TRUE(CalcPress("F3"));
  EXPECT_EQ(CalcRow(2).substr(0, 4), "PV =") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6", 5000));
  EXPECT_NE(CalcRow(1).substr(0, 8), "Compound") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Compound Interest:Bgn") << CalcScreenText();
}

}  // namespace

// SHIFT F3 opens the View Window from a menu page and from a sub-application's
// list; EXIT comes back to the screen as it was, the typed values kept.
TEST_F(Finance, ViewWindowFromTheMenuAndAList) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("SHIFT F3"));
  EXPECT_EQ(CalcRow(1), "View Window") << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN 1 0 EXE EXIT"));
  EXPECT_EQ(CalcRow(1), "Financial(1/2)") << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(EnterAll({"90"}));
  ASSERT_TRUE(CalcPress("SHIFT F3"));
  EXPECT_EQ(CalcRow(1), "View Window") << CalcScreenText();
  EXPECT_EQ(CalcRow(3), " max  :10");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Simple Interest:365") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "n  =90");
}
