// Switching between applications: MENU over a running application and back,
// restarts, the e-activity strip keys and pending callbacks, driven as a user.
#include <gtest/gtest.h>

#include <cstring>

#include "kernel/heap.h"
#include "kernel/task.h"
#include "tests/support/harness.h"
#include "tests/system/kernel_probe.inc"

namespace {

class KernelSwitch : public CalcSystemTest {
 protected:
  void SetUp() override {
    ProbeInstallEverywhere();
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
};

std::string Screen() { return CalcScreenPicture(); }

TEST_F(KernelSwitch, MenuOverAnApplicationAndBackKeepsItRunning) {
  ASSERT_TRUE(CalcPress("4"));  // @GRAPH
  EXPECT_EQ(CalcTitle(), "@GRAPH");
  ASSERT_TRUE(CalcPress("7 7"));
  EXPECT_EQ(g_probe.keys[3].load(), 2);
  const std::string app_screen = Screen();

  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_TRUE(CalcMainMenuShown());
  EXPECT_EQ(CalcTitle(), "MAIN MENU");
  EXPECT_EQ(CalcMenuCursor(), 3);  // on the running application
  EXPECT_EQ(g_probe.keys[3].load(), 2);  // MENU never reached it

  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_FALSE(CalcMainMenuShown());
  EXPECT_EQ(CalcTitle(), "@GRAPH");
  EXPECT_EQ(Screen(), app_screen);
  ASSERT_TRUE(CalcPress("7"));
  EXPECT_EQ(g_probe.keys[3].load(), 3);  // the same run goes on
  EXPECT_EQ(g_probe.starts[3].load(), 1);
}

TEST_F(KernelSwitch, ChoosingTheRunningApplicationReturnsToItChoosingAnotherRestarts) {
  ASSERT_TRUE(CalcPress("RIGHT RIGHT RIGHT EXE"));  // @GRAPH
  ASSERT_TRUE(CalcPress("7"));
  const std::string app_screen = Screen();
  ASSERT_TRUE(CalcPress("MENU EXE"));  // the running one: back to it
  EXPECT_EQ(CalcTitle(), "@GRAPH");
  EXPECT_EQ(Screen(), app_screen);
  EXPECT_EQ(g_probe.starts[3].load(), 1);
  ASSERT_TRUE(CalcPress("MENU 4"));  // by digit, the same
  EXPECT_EQ(g_probe.starts[3].load(), 1);
  EXPECT_EQ(CalcTitle(), "@GRAPH");

  ASSERT_TRUE(CalcPress("MENU RIGHT EXE"));  // another one
  EXPECT_EQ(CalcTitle(), "@DYNA");
  EXPECT_EQ(g_probe.starts[4].load(), 1);
  ASSERT_TRUE(CalcPress("MENU LEFT EXE"));  // the first again: a fresh start
  EXPECT_EQ(CalcTitle(), "@GRAPH");
  EXPECT_EQ(g_probe.starts[3].load(), 2);
  EXPECT_EQ(g_probe.keys[3].load(), 1);
}

TEST_F(KernelSwitch, ShiftMenuIsDeliveredToTheApplication) {
  ASSERT_TRUE(CalcPress("1"));
  ASSERT_TRUE(CalcPress("SHIFT MENU"));
  EXPECT_FALSE(CalcMainMenuShown());
  EXPECT_EQ(g_probe.keys[0].load(), 1);
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
}

TEST_F(KernelSwitch, StackMeterOfAFreshTaskShrinksWithUseAndComesBackOnRestart) {
  ASSERT_TRUE(CalcPress("1"));
  const u32 filled = g_probe.filled.load();
  const u32 fresh = g_probe.unused_start.load();
  EXPECT_GT(filled, kSysTaskStackSize - 64 * 1024);
  EXPECT_LE(fresh, filled);
  EXPECT_GT(fresh + 64 * 1024, filled);  // only the start path used stack
  ASSERT_TRUE(CalcPress("8"));
  const u32 deep = g_probe.unused_deep.load();
  EXPECT_LE(deep + 100 * 1024, fresh);
  ASSERT_TRUE(CalcPress("9"));
  EXPECT_EQ(g_probe.unused_later.load(), deep);  // never grows back
  ASSERT_TRUE(CalcPress("MENU RIGHT EXE"));   // another application: a fresh fill
  EXPECT_EQ(g_probe.filled.load(), filled);
  EXPECT_LE(g_probe.unused_start.load(), filled);
  EXPECT_GT(g_probe.unused_start.load() + 64 * 1024, filled);
}

TEST_F(KernelSwitch, HeapBlocksOfARestartedApplicationAreFreed) {
  ASSERT_TRUE(CalcPress("1 3"));  // @RUNMAT takes a block
  const u32 first = g_probe.block[0].load();
  ASSERT_NE(first, 0u);
  EXPECT_EQ(MemSize(first), 100u);
  ASSERT_TRUE(CalcPress("MENU MENU"));  // away and back: still its block
  EXPECT_EQ(MemSize(first), 100u);
  ASSERT_TRUE(CalcPress("MENU 2"));  // another application on the CHLD task
  EXPECT_EQ(MemSize(first), 0u);
  ASSERT_TRUE(CalcPress("3"));
  const u32 stat_block = g_probe.block[1].load();
  EXPECT_EQ(MemSize(stat_block), 100u);
  ASSERT_TRUE(CalcPress("MENU 3 3"));  // e-activity on MAIN takes one; the CHLD one stays
  const u32 eact_block = g_probe.block[2].load();
  EXPECT_EQ(MemSize(eact_block), 100u);
  EXPECT_EQ(MemSize(stat_block), 100u);
  ASSERT_TRUE(CalcPress("MENU 1"));  // a new MAIN and CHLD start frees both
  EXPECT_EQ(MemSize(eact_block), 0u);
  EXPECT_EQ(MemSize(stat_block), 0u);
}

TEST_F(KernelSwitch, ChildCallbackRunsOnTheChildTaskBeforeTheNextStart) {
  ASSERT_TRUE(CalcPress("1"));        // @RUNMAT on CHLD
  ASSERT_TRUE(CalcPress("2"));        // sets a CHLD callback
  EXPECT_EQ(g_probe.child_callbacks.load(), 0);
  ASSERT_TRUE(CalcPress("MENU EXE"));  // the same application: no start, no callback
  EXPECT_EQ(g_probe.child_callbacks.load(), 0);
  ASSERT_TRUE(CalcPress("MENU RIGHT EXE"));  // another one: codes 10 and 11
  EXPECT_EQ(g_probe.child_callbacks.load(), 1);
  EXPECT_EQ(g_probe.child_callback_task.load(), 1);
  EXPECT_EQ(g_probe.main_callbacks.load(), 0);
  EXPECT_EQ(CalcTitle(), "@STAT");
  ASSERT_TRUE(CalcPress("MENU LEFT EXE"));  // the callback ran once only
  EXPECT_EQ(g_probe.child_callbacks.load(), 1);
}

TEST_F(KernelSwitch, EactivityRunsOnMainAndSwitchesToItsStrip) {
  ASSERT_TRUE(CalcPress("3"));  // @EACT on the MAIN task
  EXPECT_EQ(CalcTitle(), "@EACT");
  EXPECT_EQ(g_probe.task[2].load(), 0);
  ASSERT_TRUE(CalcPress("2"));  // a MAIN callback
  // Strip keys do nothing before a strip application was entered.
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  EXPECT_EQ(g_probe.keys[2].load(), 2);

  ASSERT_TRUE(CalcPress("1"));  // runs child application 1 as the CHLD task
  EXPECT_EQ(g_probe.starts[15].load(), 1);
  EXPECT_EQ(g_probe.task[15].load(), 1);
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPress("7"));
  EXPECT_EQ(g_probe.keys[15].load(), 1);

  ASSERT_TRUE(CalcPress("SHIFT ->"));  // code 6: back to e-activity
  EXPECT_EQ(g_probe.strip_result.load(), 0);
  ASSERT_TRUE(CalcPress("7"));
  EXPECT_EQ(g_probe.keys[2].load(), 4);
  EXPECT_EQ(g_probe.keys[15].load(), 1);

  ASSERT_TRUE(CalcPress("SHIFT ->"));  // code 7: to the strip again
  ASSERT_TRUE(CalcPress("7"));
  EXPECT_EQ(g_probe.keys[15].load(), 2);
  EXPECT_EQ(g_probe.starts[15].load(), 1);

  ASSERT_TRUE(CalcPress("SHIFT , EXIT"));  // codes 8 and 9: the strip list, cancelled
  ASSERT_TRUE(CalcPress("7"));
  EXPECT_EQ(g_probe.keys[15].load(), 3);
  EXPECT_EQ(g_probe.starts[15].load(), 1);

  // MENU over the strip goes to the menu on MAIN; choosing another
  // application runs the MAIN callback there.
  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_TRUE(CalcMainMenuShown());
  EXPECT_EQ(g_probe.main_callbacks.load(), 0);
  ASSERT_TRUE(CalcPress("1"));
  EXPECT_EQ(g_probe.main_callbacks.load(), 1);
  EXPECT_EQ(g_probe.main_callback_task.load(), 0);
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  EXPECT_EQ(g_probe.task[0].load(), 1);
}

TEST_F(KernelSwitch, MenuOverEactivityRunsTheMenuInPlace) {
  ASSERT_TRUE(CalcPress("3 7"));
  const std::string app_screen = Screen();
  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_TRUE(CalcMainMenuShown());
  EXPECT_EQ(CalcMenuCursor(), 2);
  ASSERT_TRUE(CalcPress("MENU"));
  EXPECT_EQ(Screen(), app_screen);
  EXPECT_EQ(CalcTitle(), "@EACT");
  ASSERT_TRUE(CalcPress("7"));
  EXPECT_EQ(g_probe.keys[2].load(), 2);
  EXPECT_EQ(g_probe.starts[2].load(), 1);
}

}  // namespace
