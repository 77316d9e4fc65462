// The UI services as a user meets them in RUN-MAT: the catalog behind SHIFT 4
// types its entry into the run line, the SET UP screen behind SHIFT MENU sets
// the angle unit, and the OPTN pages type their commands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/harness.h"
#include "ui/catalog.h"
#include "ui/charset.h"

namespace {

class UiServices : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
};

// How many DOWNs from the first entry of the name's letter to the entry.
int DownsTo(const char *name) {
  const u32 first = CatalogFindLetter(name[0]);
  for (u32 i = first; i < CatalogEntryCount(); ++i) {
    char utf8[64];
    const char *t = CatalogEntryText(i);
    CharsetToUtf8(t, static_cast<u32>(std::strlen(t)), utf8, sizeof utf8);
    if (std::string(utf8) == name) return static_cast<int>(i - first);
  }
  return -1;
}

TEST_F(UiServices, CatalogEntryGoesIntoTheRunLineAndComputes) {
  const int downs = DownsTo("Abs ");
  ASSERT_GE(downs, 0);
  ASSERT_TRUE(CalcPress("SHIFT 4"));
  // The catalog lists its entries from the top: names beginning with a
  // symbol or a digit before the letters.
  EXPECT_EQ(CalcRow(1), "!") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "*Row") << CalcScreenText();
  // The letter A (the X,theta,T key: ALPHA is on inside the catalog) jumps.
  ASSERT_TRUE(CalcPress("XtT"));
  EXPECT_EQ(CalcRow(1), "a") << CalcScreenText();
  std::string keys;
  for (int i = 0; i < downs; ++i) keys += "DOWN ";
  ASSERT_TRUE(CalcPress(keys + "EXE"));
  EXPECT_EQ(CalcRow(1), "Abs") << CalcScreenText();
  ASSERT_TRUE(CalcPress("(-) 3 EXE"));
  EXPECT_EQ(CalcRow(2).substr(CalcRow(2).size() - 1), "3") << CalcScreenText();
}

TEST_F(UiServices, SetupScreenSetsTheAngleUnit) {
  // SHIFT MENU opens SET UP; Angle is the fourth row; F2 Rad.
  ASSERT_TRUE(CalcPress("SHIFT MENU"));
  EXPECT_NE(CalcScreenText().find("Angle       :Deg"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN F2"));
  EXPECT_NE(CalcScreenText().find("Angle       :Rad"), std::string::npos) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  // sin of pi/2 in radians: 1. (SHIFT EXP types pi.)
  ASSERT_TRUE(CalcPress("sin ( SHIFT EXP / 2 ) EXE"));
  EXPECT_EQ(CalcRow(2).substr(CalcRow(2).size() - 1), "1") << CalcScreenText();
}

TEST_F(UiServices, OptnPagesTypeTheirCommands) {
  // OPTN, page 2 (F6), HYP (F1), sinh (F1): "sinh 0" computes 0.
  ASSERT_TRUE(CalcPress("OPTN F6 F1 F1 0 EXE"));
  EXPECT_EQ(CalcRow(1), "sinh 0") << CalcScreenText();
  EXPECT_EQ(CalcRow(2).substr(CalcRow(2).size() - 1), "0") << CalcScreenText();
}

}  // namespace
