// LINK as a user meets it: the settings, a transmission and a reception
// that no partner answers, and AC ending a wait.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "kernel/keyqueue.h"
#include "tests/support/harness.h"

namespace {

class Link : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
  static testing::AssertionResult Open(const char *key, const char *title) {
    testing::AssertionResult r = CalcPress(std::string("MENU ") + key);
    if (!r) return r;
    if (CalcTitle() != title) return testing::AssertionFailure() << "title " << CalcTitle();
    return testing::AssertionSuccess();
  }
  static int RowWith(const std::string &text) {
    for (int r = 1; r <= 8; ++r)
      if (CalcRow(r).find(text) != std::string::npos) return r;
    return 0;
  }
  static std::string Screen() { return "\n" + CalcScreenText(); }
  // Posts a key without waiting for the calculator to be idle again.
  static void Post(const char *name) {
    i32 column = 0, row = 0;
    ASSERT_TRUE(CalcKeyPosition(name, &column, &row));
    ASSERT_TRUE(CalcPost(column, row));
  }
  // Waits until the text shows (the calculator is busy meanwhile).
  static bool WaitFor(const std::string &text) {
    for (int i = 0; i < 5000; ++i) {
      if (RowWith(text)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
};

TEST_F(Link, SettingsShowOnTheMainScreen) {
  ASSERT_TRUE(Open("C", "@LINK"));
  EXPECT_EQ(CalcRow(1), "Communication") << Screen();
  EXPECT_EQ(CalcRow(3), "Cable Type   :USB") << Screen();
  EXPECT_EQ(CalcRow(4), "Wakeup       :On") << Screen();
  EXPECT_EQ(CalcRow(5), "Image Set    :Auto") << Screen();
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_EQ(CalcRow(1), "Select Cable Type") << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(3), "Cable Type   :3pin") << Screen();
  ASSERT_TRUE(CalcPress("F5 F2"));
  EXPECT_EQ(CalcRow(4), "Wakeup       :Off") << Screen();
  ASSERT_TRUE(CalcPress("F6 F1"));
  EXPECT_EQ(CalcRow(5), "Image Set    :Off") << Screen();
  ASSERT_TRUE(CalcPress("F6 F2"));
  EXPECT_EQ(CalcRow(5), "Image Set    :Auto") << Screen();
  // EXIT leaves a setting as it was.
  ASSERT_TRUE(CalcPress("F4 EXIT"));
  EXPECT_EQ(CalcRow(3), "Cable Type   :3pin") << Screen();
}

TEST_F(Link, TransmitEndsInTransmitErrorAndKeepsTheChoice) {
  ASSERT_TRUE(Open("C", "@LINK"));
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(1), "Select Data Type") << Screen();
  ASSERT_TRUE(CalcPress("F1 F1"));
  EXPECT_EQ(CalcRow(1).substr(0, 8), "Main Mem") << Screen();
  ASSERT_TRUE(RowWith("ALPHA MEM")) << Screen();
  // Mark the first entry; TRAN, F6 goes back to the browser.
  ASSERT_TRUE(CalcPress("F1 F6"));
  EXPECT_NE(RowWith("Transmit OK?"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(CalcRow(1).substr(0, 8), "Main Mem") << Screen();
  ASSERT_TRUE(CalcPress("F6"));
  Post("F1");
  EXPECT_TRUE(WaitFor("Transmitting...")) << Screen();
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_NE(RowWith("Transmit ERROR"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Communication") << Screen();
  // TRAN, MAIN, CRNT brings the same choice back: ALPHA MEM is still marked.
  ASSERT_TRUE(CalcPress("F1 F1"));
  EXPECT_EQ(CalcRow(1), "Select Trans Type") << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  const int row = RowWith("ALPHA MEM");
  ASSERT_NE(row, 0) << Screen();
  EXPECT_EQ(CalcRow(row).rfind("ALPHA", 0), std::string::npos) << "a mark in column 1" << Screen();
}

TEST_F(Link, ReceiveEndsWithAcOrInReceiveError) {
  ASSERT_TRUE(Open("C", "@LINK"));
  Post("F2");
  ASSERT_TRUE(WaitFor("Receiving...")) << Screen();
  Post("AC");
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_NE(RowWith("Terminated!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Communication") << Screen();
  Post("F2");
  ASSERT_TRUE(WaitFor("Receiving...")) << Screen();
  // The receive waits 3,599 polls for a partner; each poll's sleep can take
  // several times its length on a loaded machine, so the wait is generous.
  ASSERT_TRUE(CalcWaitIdle(100000));
  EXPECT_NE(RowWith("Receive ERROR"), 0) << Screen();
}

}  // namespace
