// Task stacks, the stack meter and the jump dispatcher's state effects.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include "kernel/fiber.h"
#include "kernel/task.h"
#include "ui/setup.h"

namespace {

// ---- fibers ----

SysFiber g_origin;
SysFiber g_a;
SysFiber g_b;
int g_turns = 0;

void PingEntry() {
  for (;;) {
    ++g_turns;
    SysFiberSwitch(&g_a, &g_b);
  }
}

void PongEntry() {
  for (;;) {
    ++g_turns;
    if (g_turns >= 1000) SysFiberLeave(&g_b, &g_origin);
    SysFiberSwitch(&g_b, &g_a);
  }
}

TEST(TaskFiber, SwitchesBackAndForthKeepingEachStack) {
  ASSERT_TRUE(SysFiberCreate(&g_a, 256 * 1024, PingEntry));
  ASSERT_TRUE(SysFiberCreate(&g_b, 256 * 1024, PongEntry));
  SysFiberInitOrigin(&g_origin);
  g_turns = 0;
  SysFiberSwitch(&g_origin, &g_a);
  EXPECT_EQ(g_turns, 1000);
  EXPECT_EQ(SysFiberCurrent(), &g_origin);
  SysFiberDestroy(&g_a);
  SysFiberDestroy(&g_b);
}

SysFiber g_guarded;

void TouchBelowStack() {
  volatile u8 *below = g_guarded.low - 1;
  *below = 1;
}

TEST(TaskFiberDeathTest, GuardPageStopsAnOverflow) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ASSERT_TRUE(SysFiberCreate(&g_guarded, 64 * 1024, TouchBelowStack));
  EXPECT_EQ(g_guarded.high - g_guarded.low, 64 * 1024);
  EXPECT_DEATH(TouchBelowStack(), "");
  SysFiberDestroy(&g_guarded);
}

// ---- the stack meter on a task ----

u32 g_filled = 0;
u32 g_unused_fresh = 0;
u32 g_unused_deep = 0;
u32 g_unused_after = 0;
u32 g_depth = 0;
u32 g_main_unused = 0;

__attribute__((noinline)) u32 UseStack(u32 bytes) {
  volatile u8 block[1024];
  block[0] = static_cast<u8>(bytes);
  if (bytes <= 1024) return block[0];
  return UseStack(bytes - 1024) + block[0];
}

void MeterEntry() {
  SysFillStack();
  g_unused_fresh = SysStackUnused(kSysTaskRunning);
  g_main_unused = SysStackUnused(kSysTaskMain);
  g_filled = SysStackFilled(kSysTaskMain);
  UseStack(64 * 1024);
  g_unused_deep = SysStackUnused(kSysTaskRunning);
  UseStack(1024);
  g_unused_after = SysStackUnused(kSysTaskRunning);
  g_depth = SysStackDepth();
}

TEST(TaskStackMeter, CountsTheFillAndShrinksWithUse) {
  ASSERT_TRUE(SysRunTasks(MeterEntry));
  EXPECT_FALSE(SysTasksRunning());
  EXPECT_GT(g_filled, kSysTaskStackSize - 16 * 1024);
  EXPECT_EQ(g_unused_fresh, g_filled);
  EXPECT_EQ(g_main_unused, g_filled);
  EXPECT_LE(g_unused_deep + 64 * 1024, g_filled);
  EXPECT_EQ(g_unused_after, g_unused_deep);  // never grows back
  EXPECT_GT(g_depth, g_filled);
  EXPECT_LT(g_depth, kSysTaskStackSize);
}

TEST(TaskStackMeter, UnknownTaskCountsNothing) {
  EXPECT_EQ(SysStackUnused(2), 0u);
  EXPECT_EQ(SysStackFilled(5), 0u);
}

// ---- dispatcher codes that stay on the running task ----

struct DispatchCase {
  u32 code;
  u8 flag_before;
  u8 flag_after;
};

TEST(TaskDispatch, CodesWithoutJumpSetTheTaskFlagOnly) {
  const DispatchCase cases[] = {
      {0, 1, 1},  {1, 0, 0},  {1, 1, 1},   {5, 0, 1},   {6, 1, 0},          {7, 0, 1},
      {9, 0, 1},  {11, 1, 0}, {12, 1, 1},  {12, 0, 0},  {255, 1, 1},        {0xFFFFFFFFu, 0, 0},
      {100, 1, 1}, {0x10002u, 0, 0},
  };
  for (const DispatchCase &c : cases) {
    SysResetTaskState();
    SysSetKernelState(7);
    SysSetSavedState(5);
    SysSetTaskFlag(c.flag_before);
    const u8 strip = SysGetStripState();
    EXPECT_EQ(SysDispatchJump(c.code), c.code) << c.code;
    EXPECT_EQ(SysGetTaskFlag(), c.flag_after) << c.code;
    EXPECT_EQ(SysGetKernelState(), 7) << c.code;
    EXPECT_EQ(SysGetSavedState(), 5) << c.code;
    EXPECT_EQ(SysGetStripState(), strip) << c.code;
  }
}

// ---- selecting applications ----

struct SelectCase {
  u16 id;
  u16 sub_id;
  u32 restart;
  u32 mode;
  u32 expected;
};

TEST(TaskSelect, ReturnsThreeOnlyForTheRunningPairWithoutRestart) {
  // After the reset the running MAIN pair is (0, 0xFFFF) and CHLD (0xFFFF, 0xFFFF).
  const SelectCase cases[] = {
      {0, 0xFFFF, 0, 1, 3}, {0, 0xFFFF, 1, 1, 0}, {0, 0, 0, 1, 0},         {1, 0xFFFF, 0, 1, 0},
      {0xFFFF, 0xFFFF, 0, 0, 3}, {0xFFFF, 0xFFFF, 0, 2, 3}, {0xFFFF, 0xFFFF, 1, 0, 0}, {3, 0, 0, 0, 0},
  };
  for (const SelectCase &c : cases) {
    SysResetTaskState();
    EXPECT_EQ(SysSelectApp(0, c.sub_id, c.id, c.restart, c.mode), c.expected)
        << c.id << "/" << c.sub_id << " restart " << c.restart << " mode " << c.mode;
    const SysAppPair requested = c.mode == 1 ? SysGetRequestedMain() : SysGetRequestedChild();
    EXPECT_EQ(requested.id, c.id);
    EXPECT_EQ(requested.sub_id, c.sub_id);
  }
}

TEST(TaskSelect, ChildEntryCheck) {
  SysResetTaskState();
  SysChildApp row{};
  row.id = 0;
  EXPECT_EQ(SysCheckChildEntry(&row), 2u);
  row.id = 18;
  EXPECT_EQ(SysCheckChildEntry(&row), 4u);
  EXPECT_EQ(SysGetRequestedChild().id, 0xFFFF);
  row.id = 14;
  EXPECT_EQ(SysCheckChildEntry(&row), 0u);
  EXPECT_EQ(SysGetRequestedChild().id, 14);
  EXPECT_EQ(SysGetRequestedChild().sub_id, 1);
}

TEST(TaskApps, ChildTableLookups) {
  u32 first = 9, count = 9;
  EXPECT_EQ(SysChildAppRange(&first, &count), 17u);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(count, 17u);
  SysChildApp row{};
  ASSERT_EQ(SysGetChildApp(16, &row), 1u);
  EXPECT_EQ(row.id, 17);
  EXPECT_STREQ(row.name, "@SSHEET");
  EXPECT_EQ(row.message, 621u);
  EXPECT_EQ(SysGetChildApp(17, &row), 0u);
  ASSERT_EQ(SysFindChildApp(9, &row), 1u);
  EXPECT_EQ(row.sub_id, 2);
  EXPECT_STREQ(row.name, "@EQUA");
  EXPECT_EQ(SysFindChildApp(0, &row), 0u);
  EXPECT_EQ(row.id, 0);  // the end row
  EXPECT_EQ(SysFindChildApp(40, &row), 0u);
  EXPECT_EQ(SysMainMenuRow(15), nullptr);
  EXPECT_STREQ(SysMainMenuRow(5)->name, "@TABLE");
  EXPECT_EQ(SysMainMenuHandler(5), SysMainMenuHandler(3));  // the table runs in the graph application
}

TEST(TaskApps, AppName) {
  SysSetAppName("@FINANCEXYZ");
  char name[9];
  EXPECT_STREQ(SysGetAppName(name), "@FINANCE");
  EXPECT_EQ(SysIsAppName("@FINANCE"), 1u);
  EXPECT_EQ(SysIsAppName("@FINANC"), 0u);
  SysSetAppName("@RUNMAT");
  EXPECT_EQ(SysIsAppName("@RUNMAT"), 1u);
}

TEST(TaskCallbacks, SetOnTheCurrentTask) {
  SysResetTaskState();
  static int main_runs = 0;
  main_runs = 0;
  SysSetTaskFlag(0);
  EXPECT_EQ(SysSetPendingCallback([] { ++main_runs; }), 0u);
  SysSetTaskFlag(1);
  EXPECT_EQ(SysSetPendingCallback([] { ++main_runs; }), 1u);
  SysRunChildCallback();  // the CHLD one, called and cleared
  EXPECT_EQ(main_runs, 1);
  SysRunChildCallback();
  EXPECT_EQ(main_runs, 1);
}

// ---- the key hook where it delivers without a jump ----

struct HookCase {
  u8 state;
  u8 in_menu;
  u8 modifier;
  i32 column;
  i32 row;
};

TEST(TaskKeyHook, DeliversWhereNoSwitchIsDue) {
  const HookCase cases[] = {
      {3, 0, 0, 4, 9},  // kernel running: every key, MENU too
      {0, 1, 0, 4, 9},  // MENU while the menu runs
      {0, 0, 1, 4, 9},  // SHIFT + MENU
      {0, 0, 2, 4, 9},  // the second modifier bit + MENU
      {0, 0, 1, 2, 6},  // strip key without e-activity
      {0, 0, 0, 2, 6},
      {0, 1, 1, 2, 6},
      {0, 0, 1, 3, 6},  // strip list without e-activity
      {0, 0, 0, 7, 2},
  };
  for (const HookCase &c : cases) {
    SysResetTaskState();
    SysSetKernelState(c.state);
    SysSetInMainMenu(c.in_menu);
    SetupSetItem(kSetupKeyModifier, c.modifier);
    i32 column = c.column, row = c.row;
    EXPECT_EQ(SysKeyHook(&column, &row), 1u) << c.column << "," << c.row;
    EXPECT_EQ(SysGetKernelState(), c.state);
  }
  SysSetInMainMenu(0);
  SetupSetItem(kSetupKeyModifier, 0);
}

}  // namespace
