// The statistics commands of TEST, INTR and DIST as a user meets them: the
// parameter screen filled by keys, Execute, the result screen read back,
// Save Res, and the errors. A small host application stands in for STAT's
// menus and starts one command at a time through StatRunCommand.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

#include "apps/stat/stat_cmd.h"
#include "graph/memory/gmem_func.h"
#include "kernel/apps.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "tests/support/golden.h"
#include "kernel/calc_ram.h"
#include "tests/support/harness.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/text.h"

namespace {

std::string Golden(const std::string &name) { return GoldenBeside(__FILE__, name); }

std::atomic<u32> g_code{53};
std::atomic<i32> g_result{0};
std::mutex g_lock;
std::string g_saved;  // List 5 and List Ans after the last command, as text
std::string g_func;   // graph function 1 then

void SetList(u8 list, std::initializer_list<const char *> values) {
  ItemListDelete(0, list);
  for (const char *t : values) {
    Value v{};
    NumParse(t, &v.re);
    ItemListSet(0, list, 0, &v);
  }
}

std::string ListText(u8 list) {
  std::string s;
  for (u32 i = 1; i <= ItemListSize(0, list); ++i) {
    Value v{};
    ItemListGet(0, list, i, &v);
    char text[40];
    NumToText(&v, text);
    s += (i > 1 ? "," : "") + std::string(text);
  }
  return s;
}

// Puts the samples in List 1 and List 2, then runs the chosen command again
// after each key once it has ended.
u32 CommandHost(u32, u16) {
  SetList(1, {"5.1", "4.9", "5.6", "5.8", "6", "5.2", "4.7", "5.5"});
  SetList(2, {"4.8", "5", "4.6", "5.1", "4.4", "4.9"});
  SetList(3, {"0", "1", "2", "3"});
  SetList(6, {"1", "1", "1", "2", "2", "2", "3", "3", "3", "3"});
  SetList(7, {"4", "5", "6", "7", "8", "6", "9", "10", "11", "12"});
  SetList(8, {"1", "2", "3", "4"});
  SetList(9, {"3", "5", "7", "9"});
  for (;;) {
    g_result = StatRunCommand(g_code);
    {
      std::lock_guard<std::mutex> guard(g_lock);
      g_saved = ListText(5) + "|" + ListText(0);
      const char *f = GmemFuncDataPtr(1);
      g_func = f ? f : "";
    }
    LcdClearVram();
    TextLocate(1, 1);
    TextPrint("ended");
    u32 key = 0;
    KeyGetKey(&key);
  }
}

std::string Saved() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_saved;
}

class StatCommands : public CalcSystemTest {
 protected:
  void SetUp() override {
    // Each test from empty memory: the calculator's RAM outlives a restart.
    HostFreeCalcRam();
    CalcSystemTest::SetUp();
    SysReplaceMainMenuEntry(0, CommandHost);
  }
  static testing::AssertionResult Run(u32 code) {
    g_code = code;
    return CalcPress("EXE");
  }
};

TEST_F(StatCommands, OneSampleZTestFromResetWithTypedStatistics) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(53));
  // The defaults after a reset: List data, two-sided, sigma 1, Save Res None.
  EXPECT_EQ(CalcRow(1), "1-Sample ZTest");
  EXPECT_EQ(CalcRow(2), "Data    :List");
  EXPECT_EQ(CalcRow(3), "\xCE\xBC       :\xE2\x89\xA0\xCE\xBC" "0");
  EXPECT_EQ(CalcRow(5), "\xCF\x83       :1");
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "Data    :Variable");
  EXPECT_EQ(CalcRow(6), "x\xCC\x84       :0");
  // Each number moves the cursor on; DOWN past Execute wraps to Data.
  ASSERT_TRUE(CalcPress("DOWN DOWN 5 EXE 0 . 5 EXE 5 . 3 5 EXE 8 EXE"));
  // The view followed the cursor down to Save Res.
  EXPECT_EQ(CalcRow(3), "\xCE\xBC" "0      :5");
  EXPECT_EQ(CalcRow(6), "n       :8");
  EXPECT_EQ(CalcRow(7), "Save Res:None       \xE2\x86\x93");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "1-Sample ZTest");
  EXPECT_EQ(CalcRow(2), " \xCE\xBC   \xE2\x89\xA0" "5");
  EXPECT_EQ(CalcRow(3), " z   =1.97989899");
  EXPECT_EQ(CalcRow(4), " p   =0.04771488");
  EXPECT_EQ(CalcRow(5), " x\xCC\x84   =5.35");
  EXPECT_EQ(CalcRow(6), " n   =8");
  // EXIT goes back to the parameters as they were; SHIFT EXIT leaves.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(3), "\xCE\xBC" "0      :5");
  ASSERT_TRUE(CalcPress("SHIFT EXIT"));
  EXPECT_EQ(g_result, -1);
  EXPECT_EQ(CalcRow(1), "ended");
}

TEST_F(StatCommands, ConfidenceLevelTakesPercentagesAndRefusesTheRest) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(61));
  EXPECT_EQ(CalcRow(1), "1-Sample ZInterval");
  EXPECT_EQ(CalcRow(3), "C-Level :0.95");
  ASSERT_TRUE(CalcPress("DOWN 9 0 EXE"));
  EXPECT_EQ(CalcRow(3), "C-Level :0.9");
  ASSERT_TRUE(CalcPress("UP 1 EXE"));
  EXPECT_EQ(CalcRow(3), "C-Level :0.01");
  ASSERT_TRUE(CalcPress("UP 0 . 8 EXE"));
  EXPECT_EQ(CalcRow(3), "C-Level :0.8");
  // 100 is refused with Ma ERROR and edited again; EXIT keeps the old value.
  ASSERT_TRUE(CalcPress("UP 1 0 0 EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(3), "C-Level :100");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(3), "C-Level :0.8");
  // The interval of List 1 at 80 %, sigma 1.
  ASSERT_TRUE(CalcPress("F1"));  // no item on a number row: nothing happens
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN DOWN F1"));
  EXPECT_EQ(CalcRow(2), "Left =4.8969031");
  EXPECT_EQ(CalcRow(3), "Right=5.8030969");
  EXPECT_EQ(CalcRow(4), "x\xCC\x84    =5.35");
  EXPECT_EQ(CalcRow(6), "n    =8");
}

TEST_F(StatCommands, NormalProbabilityIntoSaveResList) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(68));
  EXPECT_EQ(CalcRow(1), "Normal C.D");
  // A reversed interval gives the negated probability.
  ASSERT_TRUE(CalcPress("1 EXE 0 . 5 EXE DOWN DOWN F2 5 EXE"));
  EXPECT_EQ(CalcRow(6), "Save Res:List5");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(2), "p    =\xE2\x88\x92" "0.1498822");
  EXPECT_EQ(CalcRow(3), "z:Low=1");
  EXPECT_EQ(CalcRow(4), "z:Up =0.5");
  ASSERT_TRUE(CalcPress("SHIFT EXIT"));
  EXPECT_EQ(Saved(), "\x87" "0.1498822848,1,0.5|");
}

TEST_F(StatCommands, ErrorsLeaveParametersAndSaveResAlone) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(53));
  // sigma 0 in a Save Res command: Ma ERROR, nothing saved, sigma kept.
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN 0 EXE DOWN DOWN F2 5 EXE EXE"));
  EXPECT_TRUE(CalcScreenHas("Ma ERROR"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("\xCF\x83       :0"));
  // List 30 is no statistics list: the list pop-up refuses it.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(g_result, -2);
  EXPECT_EQ(Saved(), "|");
}

TEST_F(StatCommands, BinomialOverAListIntoListAns) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(76));
  EXPECT_EQ(CalcRow(1), "Binomial P.D");
  EXPECT_EQ(CalcRow(3), "List    :List1");
  ASSERT_TRUE(CalcPress("DOWN F1 3 EXE"));
  EXPECT_EQ(CalcRow(3), "List    :List3");
  ASSERT_TRUE(CalcPress("DOWN 4 EXE 0 . 5 EXE EXE"));
  EXPECT_EQ(CalcRow(1), "Binomial P.D");
  ASSERT_TRUE(CalcPress("DOWN DOWN EXIT SHIFT EXIT"));
  EXPECT_EQ(Saved(), "|0.0625,0.25,0.375,0.25");
}

TEST_F(StatCommands, AnovaTableWalk) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(52));
  EXPECT_EQ(CalcRow(1), "ANOVA");
  EXPECT_EQ(CalcRow(2), "How Many:1");
  ASSERT_TRUE(CalcPress("DOWN F1 6 EXE DOWN F1 7 EXE"));
  EXPECT_EQ(CalcRow(3), "Factor A:List6");
  EXPECT_EQ(CalcRow(4), "Dependnt:List7");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "ANOVA");
  EXPECT_EQ(CalcRow(7), "2");  // A df
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(CalcRow(7), "54.6");
  ASSERT_TRUE(CalcPress("RIGHT RIGHT"));
  EXPECT_EQ(CalcRow(7), "21.23333333");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(CalcRow(7), "1.065979563\xE1\xB4\x87\xE2\x88\x92" "03");
  // Back to SS and down to the error row, which has df, SS and MS only:
  // RIGHT past its MS wraps to the first cell.
  ASSERT_TRUE(CalcPress("LEFT LEFT LEFT DOWN"));
  EXPECT_EQ(CalcRow(7), "9");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(CalcRow(7), "1.285714286");
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(CalcRow(7), "2");
  // Two factors: How Many 2 shows Factor B.
  ASSERT_TRUE(CalcPress("EXIT UP UP F2"));
  EXPECT_EQ(CalcRow(4), "Factor B:List2");
}

TEST_F(StatCommands, DrawShowsTheGraphAndCodeSixtyNothing) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(53));
  // DRAW covers the parameters with the graph; EXIT brings them back.
  ASSERT_TRUE(CalcPress("UP F6"));
  EXPECT_FALSE(CalcScreenHas("Not built yet"));
  EXPECT_NE(CalcRow(1), "1-Sample ZTest");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "1-Sample ZTest");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(g_result, -2);
  ASSERT_TRUE(Run(60));
  EXPECT_EQ(g_result, -2);
  EXPECT_EQ(CalcRow(1), "ended");
}

TEST_F(StatCommands, RegressionOnAnExactLineAndItsCopyToAGraphFunction) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(Run(59));
  EXPECT_EQ(CalcRow(1), "LinearReg tTest");
  ASSERT_TRUE(CalcPress("DOWN F1 8 EXE DOWN F1 9 EXE EXE"));
  EXPECT_EQ(CalcRow(2), "  \xCE\xB2\xE2\x89\xA0" "0 & \xCF\x81\xE2\x89\xA0" "0");
  EXPECT_EQ(CalcRow(3), "  t  =9.99\xE1\xB4\x87+99");
  EXPECT_EQ(CalcRow(4), "  p  =0");
  // F1 copies b X + a (2X+1) into the graph function chosen.
  ASSERT_TRUE(CalcPress("F1 1 EXE"));
  ASSERT_TRUE(CalcPress("SHIFT EXIT"));
  std::lock_guard<std::mutex> guard(g_lock);
  EXPECT_EQ(g_func, "2X\x89" "1");
}

// From STAT's own menus: the list typed in the editor, TEST Z 1-S with
// List data, the result, and DIST NORM Ncd.
TEST_F(CalcSystemTest, StatMenusReachTheCommands) {
  ASSERT_TRUE(CalcBootToMenu());
  ASSERT_TRUE(CalcPress("RIGHT EXE"));
  ASSERT_EQ(CalcTitle(), "@STAT");
  ASSERT_TRUE(CalcPress("5 . 1 EXE 4 . 9 EXE 5 . 6 EXE 5 . 8 EXE 6 EXE 5 . 2 EXE 4 . 7 EXE 5 . 5 EXE"));
  ASSERT_TRUE(CalcPress("F3 F1 F1"));
  EXPECT_EQ(CalcRow(1), "1-Sample ZTest");
  EXPECT_TRUE(MatchesGolden(Golden("stat_ztest_params.txt"), CalcScreenPicture()));
  ASSERT_TRUE(CalcPress("DOWN DOWN 5 EXE 0 . 5 EXE EXE"));
  EXPECT_EQ(CalcRow(3), " z   =1.97989899");
  EXPECT_EQ(CalcRow(4), " p   =0.04771488");
  EXPECT_EQ(CalcRow(6), " x\xCF\x83\xE2\x82\x99\xE2\x82\x8B\xE2\x82\x81=0.45039665");
  EXPECT_TRUE(MatchesGolden(Golden("stat_ztest_result.txt"), CalcScreenPicture()));
  // EXIT twice: the parameters, then the list editor as it was.
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(CalcTitle(), "@STAT");
  ASSERT_TRUE(CalcPress("F5 F1 F2"));
  EXPECT_EQ(CalcRow(1), "Normal C.D");
  // sigma 0.5 stays from the Z test: the parameters are shared.
  ASSERT_TRUE(CalcPress("(-) 1 EXE 1 EXE EXE"));
  EXPECT_EQ(CalcRow(2), "p    =0.95449973");
  // SHIFT EXIT from a result leaves the command for the editor.
  ASSERT_TRUE(CalcPress("SHIFT EXIT"));
  EXPECT_EQ(CalcTitle(), "@STAT");
}

}  // namespace
