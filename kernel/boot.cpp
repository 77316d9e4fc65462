// The calculator thread's boot: RAM check, notice boxes, storage mount and
// the hand-over to the kernel loop.
#include "kernel/boot.h"

#include <cstring>

#include "kernel/calc_ram.h"
#include "kernel/mainmenu.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"
#include "ui/keycodes.h"
#include "ui/setup.h"

namespace {

constexpr u8 kSignature[8] = {'O', 'R', 'V', 'E', 'K', 'W', 'I', 'N'};
u8 g_signature[8] = {};

void BootHook() {}

}  // namespace

u32 SysThreadMain(u32 parameter) {
  (void)parameter;
  // The host allocates the RAM block before it starts the thread; a host
  // that did not gets it here.
  HostAllocCalcRam();
  SysRunTasks(SysBoot);
  return 1;
}

void SysBoot() {
  BootHook();
  SysGlueInstallKeyHook();
  SysCheckRam();
  SysResetKernel();
  SysBootLoop();
}

const u8 *SysRamSignature() { return g_signature; }

void SysClearRamSignature() { std::memset(g_signature, 0, sizeof g_signature); }

void SysInitRam() {
  std::memcpy(g_signature, kSignature, sizeof g_signature);
  SetupResetAll();
  SysGlueInitRamSettings();
}

u32 SysCheckRam() {
  u32 flags = 0;
  if (std::memcmp(g_signature, kSignature, sizeof kSignature) != 0) {
    SysInitRam();
    flags |= kSysBootRamInit;
    SysGlueClearMainMemory();
    flags |= kSysBootMainCleared;
  } else if (SysGlueCheckMainMemory() != 0) {
    SysGlueClearMainMemory();
    flags |= kSysBootMainCleared;
    SysInitRam();
    flags |= kSysBootRamInit;
    if (SysGlueCheckMainMemory() != 0) SysGlueClearMainMemory();
  }
  if ((flags & (kSysBootRamInit | kSysBootMainCleared)) != 0) SysShowResetBox(kSysBoxMainCleared);
  // Storage memory: an image that does not mount cleanly is formatted.
  const i32 mount = SysGlueMountStorage();
  if (mount != 0) {
    const i32 formatted = SysFormatStorage();
    SysShowResetBox(formatted >= 0 ? kSysBoxStorageCleared : kSysBoxStorageFailed);
    if (formatted >= 0) flags |= kSysBootStorageFormatted;
  }
  return flags;
}

void SysResetKernel() {
  SysResetTaskState();
  SysGlueSetGraphCursorShown(0);
  SysGlueTextCursorOff();
  SysInitLinkState();
}

void SysShowResetBox(u32 mode) {
  static const u32 kLines[4][5] = {
      {45, 46, 47, 48, 49},
      {497, 498, 499, 38, 9},
      {35, 36, 37, 38, 9},
      {497, 498, 76, 38, 9},  // "Memory ERROR" in place of "CLEARED!"
  };
  if (mode > 3) return;
  SysGlueCursor cursor;
  SysGlueSaveCursor(&cursor);
  const u8 shown = SysGlueGraphCursorShown();
  SysGlueSetGraphCursorShown(0);
  u8 screen[1024];
  SysGlueCopyScreen(screen, false);
  SysGluePopupWindow(5);
  for (u32 i = 0; i < 5; ++i) SysGlueMessageAt(1, 2 + i, kLines[mode][i]);
  if (mode == kSysBoxLowBattery) {
    SysGlueShowScreen();
  } else {
    const u8 in_menu = SysInMainMenu();
    SysSetInMainMenu(1);
    SysGlueSetModifier(0);
    for (;;) {
      u32 code = 0;
      if (SysGlueGetKey(&code) == 0 && code == kKeyMenu) break;
    }
    SysSetInMainMenu(in_menu);
  }
  SysGlueCopyScreen(screen, true);
  SysGlueRestoreCursor(&cursor);
  SysGlueSetGraphCursorShown(shown);
}

void SysResetMainMemory() {
  SysInitRam();
  SysGlueClearMainMemory();
}

i32 SysFormatStorage() { return SysGlueFormatStorage(); }

void SysInitializeAll() {
  SysResetMainMemory();
  SysFormatStorage();
}

void SysInitializeAllHook() {}

u32 SysBatteryLevel() { return 0; }

u32 SysCheckBattery(u32 level_wanted) {
  (void)level_wanted;
  if (SysBatteryLevel() == 0) return 0;
  SysShowResetBox(kSysBoxLowBattery);
  return 1;
}

u32 SysWarnLowBattery(u32 level_wanted) {
  (void)level_wanted;
  if (SysBatteryLevel() != 2) return 0;
  SysShowResetBox(kSysBoxLowBattery);
  return 1;
}
