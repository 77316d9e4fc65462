// The launch resets the task layer makes in the neighbouring subsystems.
#include "kernel/task_glue.h"

#include <gtest/gtest.h>

#include "graph/screen_save.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_api.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

TEST(TaskGlue, LaunchResetsCursorsCaptureBoxesAndState) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  ASSERT_EQ(McsClearAll(), 0u);
  SetupResetAll();
  // State an application may leave behind when MENU leaves it: a flashing
  // text cursor, the graph cursor shown, a capture box open, Base-N mode and
  // a shifted key state.
  LcdSetCursorFlash(1);
  GraphCursorState()->shown = 1;
  PopupMarkOpen(128);
  SetupSetItem(kSetupMode, 9);
  SetupSetItem(kSetupKeyModifier, 1);
  ASSERT_EQ(McsCreateByKind(kMcsKindWork, "SCREEN", 8, nullptr), 0u);

  SysGlueResetForLaunch();

  i32 cursor[4] = {};
  EXPECT_EQ(LcdGetCursor(cursor), 0) << "text cursor off";
  EXPECT_EQ(GraphCursorState()->shown, 0) << "graph cursor hidden";
  EXPECT_EQ(PopupOpenMask() & 128u, 0u) << "capture boxes forgotten";
  EXPECT_EQ(SetupGetItem(kSetupMode), 0);
  EXPECT_EQ(SetupGetItem(kSetupKeyModifier), 0);
  u32 size = 0;
  EXPECT_NE(McsOpenByKind(kMcsKindWork, "SCREEN", &size), 0u) << "work items removed";
  MemFreeAll();
  HostFreeCalcRam();
}

}  // namespace
