// The calculator thread's entry: boot, RAM check and initialisation, the
// notice boxes, the storage mount, and the kernel loop of main-menu passes.
#pragma once
#include "kernel/types.h"

// Bits of the boot result.
constexpr u32 kSysBootRamInit = 1;
constexpr u32 kSysBootMainCleared = 2;
constexpr u32 kSysBootStorageFormatted = 4;

// Reset box modes.
constexpr u32 kSysBoxLowBattery = 0;
constexpr u32 kSysBoxStorageCleared = 1;
constexpr u32 kSysBoxMainCleared = 2;
// The storage memory could not be formatted: the box says so in place of
// "CLEARED!".
constexpr u32 kSysBoxStorageFailed = 3;

// The thread procedure: runs the boot in the MAIN task; returns 1 once the
// thread is asked to end.
u32 SysThreadMain(u32 parameter);
// The boot sequence; never returns.
[[noreturn]] void SysBoot();
u32 SysCheckRam();
void SysInitRam();
void SysResetKernel();
// The RAM signature: "ORVEKWIN" while RAM is initialised.
const u8 *SysRamSignature();
void SysClearRamSignature();
void SysShowResetBox(u32 mode);

// Reset operations of the system manager.
void SysResetMainMemory();
i32 SysFormatStorage();
void SysInitializeAll();
void SysInitializeAllHook();

u32 SysBatteryLevel();
u32 SysCheckBattery(u32 level_wanted);
u32 SysWarnLowBattery(u32 level_wanted);
