// The statistics commands and values as a program line meets them on the
// run screen: the calculation commands, the result values, t(, x̂ and ŷ,
// the residual list and the result screen of a command that ends the line.
#include <gtest/gtest.h>

#include <string>

#include "memory/item_array.h"
#include "number/numtext.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

namespace {

constexpr u16 kOneVar = 0xF740;
constexpr u16 kLinearReg = 0xF742;
constexpr u16 kResidList = 0xF777;
constexpr u16 kMean = 0xC2;
constexpr u16 kCoefA = 0xC8;
constexpr u16 kEstX = 0xCB;
constexpr u16 kEstY = 0xCC;
constexpr u16 kNormT = 0xFE;

class StatProg : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
  static testing::AssertionResult Codes(std::initializer_list<u16> codes) { return CalcPostCodes(codes); }
  // The last result: the rightmost text of the lowest non-empty row.
  static std::string Answer() {
    for (int r = 7; r >= 1; --r) {
      std::string s = CalcRow(r);
      if (s.empty()) continue;
      s.erase(0, s.find_first_not_of(' '));
      return s;
    }
    return "";
  }
  static std::string ListText(u8 list) {
    const u32 n = ItemListSize(0, list);
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
  // {values} -> List n, and the viewer of the result closed.
  static testing::AssertionResult StoreList(std::initializer_list<u16> values, u16 list) {
    std::vector<u16> codes = {kChrListOpen};
    bool first = true;
    for (u16 v : values) {
      if (!first) codes.push_back(',');
      first = false;
      for (char c : std::to_string(v)) codes.push_back(static_cast<u16>(c));
    }
    for (u16 c : {static_cast<u16>(kChrListClose), static_cast<u16>(kChrArrow), static_cast<u16>(kChrList),
                  static_cast<u16>('0' + list), static_cast<u16>(kKeyExe)})
      codes.push_back(c);
    for (u16 c : codes) {
      if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << "code refused";
      testing::AssertionResult idle = CalcWaitIdle();
      if (!idle) return idle;
    }
    // The stored list opens the list viewer.
    return CalcPress("EXIT");
  }
};

TEST_F(StatProg, ValuesBeforeAnyCalculationAreMemoryError) {
  ASSERT_TRUE(Codes({kMean, kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(Codes({'6', kEstY, kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
}

TEST_F(StatProg, OneVariableGivesItsValuesAndTheNormalVariate) {
  ASSERT_TRUE(StoreList({2, 4, 4, 4, 5, 5, 7, 9}, 1));
  ASSERT_TRUE(Codes({kOneVar, kChrList, '1', ',', '1', ':', kMean, kKeyExe}));
  EXPECT_EQ(Answer(), "5") << CalcScreenText();
  ASSERT_TRUE(Codes({kNormT, '7', ')', kKeyExe}));
  EXPECT_EQ(Answer(), "1") << CalcScreenText();
  // A regression value is not part of a single-variable result.
  ASSERT_TRUE(Codes({kCoefA, kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
}

TEST_F(StatProg, LinearRegressionEstimatesAndWritesResiduals) {
  ASSERT_TRUE(StoreList({1, 2, 3, 4, 5}, 1));
  ASSERT_TRUE(StoreList({2, 4, 5, 4, 5}, 2));
  ASSERT_TRUE(Codes({kResidList, kChrList, '3', kKeyExe}));
  ASSERT_TRUE(Codes({kLinearReg, kChrList, '1', ',', kChrList, '2', ',', '1', ':', kCoefA, kKeyExe}));
  EXPECT_EQ(Answer(), "0.6") << CalcScreenText();
  ASSERT_TRUE(Codes({'6', kEstY, kKeyExe}));
  EXPECT_EQ(Answer(), "5.8") << CalcScreenText();
  ASSERT_TRUE(Codes({'5', '.', '8', kEstX, kKeyExe}));
  EXPECT_EQ(Answer(), "6") << CalcScreenText();
  EXPECT_EQ(ListText(3), "-0.8,0.6,1,-0.6,-0.2");
  ASSERT_TRUE(Codes({kMean, kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << CalcScreenText();
}

TEST_F(StatProg, UnequalListsAreDimensionError) {
  ASSERT_TRUE(StoreList({1, 2, 3}, 1));
  ASSERT_TRUE(StoreList({1, 2}, 2));
  ASSERT_TRUE(Codes({kLinearReg, kChrList, '1', ',', kChrList, '2', kKeyExe}));
  EXPECT_TRUE(CalcScreenHas("Dimension ERROR")) << CalcScreenText();
}

TEST_F(StatProg, CommandEndingTheLineShowsItsResultScreen) {
  ASSERT_TRUE(StoreList({2, 4, 4, 4, 5, 5, 7, 9}, 1));
  ASSERT_TRUE(Codes({kOneVar, kChrList, '1', ',', '1', kKeyExe}));
  EXPECT_EQ(CalcRow(1), "1-Variable") << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas("\xC2    =5") || CalcScreenHas("x̄    =5")) << CalcScreenText();
  // G<->T shows the graph screen and comes back to the results.
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_NE(CalcRow(1), "1-Variable") << CalcScreenText();
  EXPECT_FALSE(CalcScreenHas("ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("SHIFT F6"));
  EXPECT_EQ(CalcRow(1), "1-Variable") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_NE(CalcRow(1), "1-Variable") << CalcScreenText();
}

}  // namespace
