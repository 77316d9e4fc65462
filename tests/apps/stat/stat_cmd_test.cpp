// The settings record, result rounding and the "Save Res" stores of the
// statistics commands, with main memory at its defaults.
#include <gtest/gtest.h>

#include <cstring>

#include "apps/stat/stat_anova.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_dist.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "tests/apps/stat/stat_test_util.h"
#include "ui/setup.h"

namespace {

using namespace stattest;

using StatSettings = Memory;

TEST_F(StatSettings, DefaultsSaveAndLoad) {
  StatAp ap;
  std::memset(&ap, 0x55, sizeof ap);
  EXPECT_EQ(StatLoadSettings(&ap), 4u);  // none after a reset
  StatDefaultSettings(&ap);
  EXPECT_EQ(ap.command, 0x5555);  // words 0 and 2 are the caller's
  EXPECT_EQ(ap.data, 1);
  EXPECT_EQ(ap.cond, 0);
  EXPECT_EQ(ap.tail, -1);
  EXPECT_EQ(ap.saveRes, 0);
  EXPECT_EQ(ap.dependent, 2);
  EXPECT_EQ(D(ap.level), 0.95);
  EXPECT_EQ(D(ap.sigma1), 1);
  EXPECT_EQ(D(ap.sx2), 1);
  EXPECT_EQ(D(ap.mu0), 0);
  ap.command = 53;
  ap.resultValid = 0;
  ap.mu0 = R("5");
  ASSERT_EQ(StatSaveSettings(&ap), 0u);
  ap.mu0 = R("7");
  ASSERT_EQ(StatSaveSettings(&ap), 0u);  // overwritten in place
  StatAp back;
  ASSERT_EQ(StatLoadSettings(&back), 0u);
  EXPECT_EQ(std::memcmp(&ap, &back, sizeof ap), 0);
  u32 size = 0;
  ASSERT_EQ(McsOpenInFolder("@STAT", "STATap", &size), 0u);
  EXPECT_EQ(size, 312u);
}

TEST_F(StatSettings, ForeignRecordTakesDefaultsForItsSelectors) {
  // A record from a backup with selectors out of range: each takes its
  // default on load; numbers are kept.
  StatAp ap;
  std::memset(&ap, 0, sizeof ap);
  StatDefaultSettings(&ap);
  ap.data = 7, ap.cond = 5, ap.list1 = 300, ap.freq1 = -4, ap.observed = 0, ap.howMany = 9, ap.tail = 2;
  ap.saveRes = 40, ap.resultValid = 3, ap.pooled = 2;
  ap.mu0 = R("3.5");
  ASSERT_EQ(StatSaveSettings(&ap), 0u);
  StatAp back;
  ASSERT_EQ(StatLoadSettings(&back), 0u);
  EXPECT_EQ(back.data, 1);
  EXPECT_EQ(back.cond, 0);
  EXPECT_EQ(back.list1, 1);
  EXPECT_EQ(back.freq1, 0);
  EXPECT_EQ(back.observed, 1);
  EXPECT_EQ(back.howMany, 1);
  EXPECT_EQ(back.tail, -1);
  EXPECT_EQ(back.saveRes, 0);
  EXPECT_EQ(back.resultValid, 0);
  EXPECT_EQ(back.pooled, 0);
  EXPECT_EQ(D(back.mu0), 3.5);
  // A record of another size is no record.
  ASSERT_EQ(McsDeleteInFolder("@STAT", "STATap"), 0u);
  ASSERT_EQ(McsCreateInFolder("@STAT", "STATap", 20, &ap), 0u);
  EXPECT_EQ(StatLoadSettings(&back), 4u);
  EXPECT_EQ(StatSaveSettings(&ap), 0u);
  EXPECT_EQ(StatLoadSettings(&back), 0u);
}

TEST_F(StatSettings, RoundingForTheResultScreen) {
  const struct {
    const char *in;
    double out;
  } cases[] = {
      {"0.0123456789012", 0.0123456789},  // exponent -2: the long form
      {"0.00123456789", 0.0012346},       // -3: the short form
      {"-1234.56789012", -1234.5679},     // negative: one digit fewer
      {"123456.789012", 123456.789},      // 5: the long form
      {"1234567.89", 1234600},            // 6: the short form
  };
  for (const auto &c : cases) {
    const BcdReal in = R(c.in);
    BcdReal out;
    StatRoundForDisplay(&in, &out);
    EXPECT_TRUE(Near(out, c.out, 1e-15)) << c.in;
  }
}

TEST_F(StatSettings, KeptResultsBecomeVariableParameters) {
  StatAp ap;
  std::memset(&ap, 0, sizeof ap);
  StatDefaultSettings(&ap);
  const BcdReal v = R("4.25");
  StatKeepResultParams(&v, &ap, kStatResMean1);
  StatKeepResultParams(&v, &ap, kStatResSx2);
  StatKeepResultParams(&v, &ap, kStatResN);
  StatKeepResultParams(&v, &ap, kStatResP);  // not a parameter
  EXPECT_EQ(D(ap.mean1), 4.25);
  EXPECT_EQ(D(ap.sx2), 4.25);
  EXPECT_EQ(D(ap.n1), 4.25);
  EXPECT_EQ(D(ap.p), 0);
  StatAp back;
  ASSERT_EQ(StatLoadSettings(&back), 0u);
  EXPECT_EQ(D(back.n1), 4.25);
}

using StatSaveRes = Memory;

TEST_F(StatSaveRes, ResultListsAndTheirRefusals) {
  BcdReal v[3] = {R("1.5"), R("2"), R("-3")};
  ASSERT_EQ(StatSaveResultList(5, 3, v), 0u);
  EXPECT_EQ(ItemListSize(0, 5), 3u);
  EXPECT_EQ(ListAt(5, 3), -3);
  EXPECT_EQ(StatSaveResultList(0, 3, v), 0u);  // None
  // An error value among them: Ma ERROR and the list stays as it was.
  RealMakeError(3, &v[1]);
  HostPostKey(4, 8, 0);  // EXIT closes the error box
  EXPECT_EQ(StatSaveResultList(5, 3, v), 3u);
  EXPECT_EQ(ListAt(5, 2), 2);
  // List Ans copied: an error element deletes it.
  SetList(0, {"0.5", "0.25"});
  ASSERT_EQ(StatSaveWorkList(6), 0u);
  EXPECT_EQ(ListAt(6, 2), 0.25);
}

TEST_F(StatSaveRes, AnovaListsAndResiduals) {
  SetList(3, {"1", "1", "1", "2", "2", "2", "3", "3", "3", "3"});
  SetList(4, {"4", "5", "6", "7", "8", "6", "9", "10", "11", "12"});
  StatAnova1Rec one{};
  one.factorList = 3, one.dependentList = 4;
  ASSERT_EQ(StatAnova1(0, &one), 0u);
  ASSERT_EQ(StatSaveAnovaResults(10, 1, &one, nullptr), 0u);
  EXPECT_EQ(ItemListSize(0, 10), 2u);  // df of A and ERR
  EXPECT_EQ(ListAt(10, 2), 7);
  EXPECT_EQ(ListAt(11, 1), 54.6);      // SS
  EXPECT_EQ(ItemListSize(0, 13), 1u);  // F without ERR
  EXPECT_NEAR(ListAt(14, 1), Ref("anova1.p"), 1e-15);

  // Residuals of a regression into the Resid List of SET UP.
  SetList(5, {"1", "2", "3", "4", "5", "6", "7", "8"});
  SetList(6, {"2.1", "3.9", "6.2", "7.8", "10.1", "12.2", "13.8", "16.1"});
  const BcdReal b = R("1.99761904761905"), a = R("0.0357142857142857");
  EXPECT_EQ(StatSaveResiduals(5, 6, &b, &a), 0u);  // no Resid List: nothing
  EXPECT_EQ(ItemListSize(0, 9), 0u);
  SetupSetItem(kSetupResidList, 9);
  ASSERT_EQ(StatSaveResiduals(5, 6, &b, &a), 0u);
  EXPECT_NEAR(ListAt(9, 1), Ref("linreg.resid1"), 1e-13);
  EXPECT_EQ(ItemListSize(0, 9), 8u);
}

TEST(StatDistEdges, InverseTAtAreaOneIsRefused) {
  StatTRec t{};
  t.area = R("1"), t.df = R("5");
  EXPECT_EQ(StatInvT(0, &t), 3u);
  t.area = R("0");
  ASSERT_EQ(StatInvT(0, &t), 0u);
  EXPECT_EQ(D(t.second), 0);
}

}  // namespace
