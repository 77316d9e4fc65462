// The calculator's two tasks and the switching between applications.
//
// MAIN and CHLD each run on a stack of their own (kernel/fiber.h). Control
// passes between them by jumps carrying a code 2-11 (SysJumpCode) to one of
// four jump points: boot (on MAIN), CHLD start, MAIN resume and CHLD resume.
// A jump to a point on the other task's stack first switches to that stack and
// only then jumps outward on it, so no jump ever enters a frame that returned.
//
// Everything here runs on the calculator thread, except the accessors marked
// as safe from any thread.
#pragma once
#include "kernel/apps.h"
#include "kernel/types.h"

enum SysJumpCode : u32 {
  kSysJumpEnterMain = 2,     // to boot: start the requested MAIN application
  kSysJumpEnterChild = 3,    // to CHLD start: start the requested CHLD application
  kSysJumpMenu = 4,          // to MAIN resume: MENU pressed over the CHLD task
  kSysJumpMenuBack = 5,      // to CHLD resume after code 4
  kSysJumpStripLeave = 6,    // to MAIN resume: strip key while CHLD is current
  kSysJumpStripEnter = 7,    // to CHLD resume: strip key while MAIN is current
  kSysJumpStripSwitch = 8,   // to MAIN resume: SHIFT + (3,6) under e-activity
  kSysJumpStripBack = 9,     // to CHLD resume after code 8
  kSysJumpChildCallback = 10,  // to CHLD resume: run the CHLD pending callback
  kSysJumpCallbackBack = 11,   // to MAIN resume after code 10
};

enum SysTask : u32 { kSysTaskMain = 0, kSysTaskChild = 1, kSysTaskRunning = 0xFFFFFFFFu };

// ---- Kernel state --------------------------------------------------------------

u8 SysGetTaskFlag();              // 0 MAIN current, 1 CHLD current
void SysSetTaskFlag(u8 flag);
u8 SysGetKernelState();           // non-zero while the kernel itself runs
void SysSetKernelState(u8 state);
u8 SysGetSavedState();
void SysSetSavedState(u8 state);
u8 SysGetStripState();
void SysEnableStripSwitch();      // strip state 1
u8 SysInMainMenu();               // 1 while the main menu runs (any thread)
void SysSetInMainMenu(u8 flag);
u16 SysGetMenuTopRow();
void SysSetMenuTopRow(u16 row);
u8 SysGetLinkState();
void SysSetLinkState(u8 state);
void SysInitLinkState();          // 129 when the running MAIN id is 11, else 0
u32 SysLinkFlagTest();            // bit 0x40 of the link state

// Requested and running (id, sub-id) pairs of both tasks. The requested MAIN
// id is also the main menu's cursor.
struct SysAppPair {
  u16 id;
  u16 sub_id;
};
SysAppPair SysGetRequestedMain();
void SysSetRequestedMain(SysAppPair pair);
SysAppPair SysGetRunningMain();
SysAppPair SysGetRequestedChild();
SysAppPair SysGetRunningChild();

// Gives the kernel state its reset values (without the text cursor and the
// graph cursor, which the boot's SysResetKernel adds).
void SysResetTaskState();

// ---- Jumps and the dispatcher ---------------------------------------------------

// Acts on a jump code as the jump table says; returns the code. Codes below 2
// and above 11 change nothing.
u32 SysDispatchJump(u32 code);

// The key wait's resume point: when the kernel state byte is 0, records the
// running task's resume point first (a later jump there dispatches its code
// and runs `wait` again from its start). Then returns wait(context).
u32 SysKeyWaitRun(u32 (*wait)(void *context), void *context);

// Kernel key hook, called by the key wait for every key with its position.
// Returns non-zero to deliver the key, 0 to swallow it; it may leave the wait
// for good by a jump to the other task.
u32 SysKeyHook(i32 *column, i32 *row);

// ---- Running applications ---------------------------------------------------------

u32 SysRunApp(u32 reserved, u16 sub_id, u16 id, u32 restart);
u32 SysSelectApp(u32 reserved, u16 sub_id, u16 id, u32 restart, u32 mode);
u32 SysEnterMainTask();
void SysEnterChildTask();
u32 SysLaunchApp(u32 use_child, u32 from_main_menu, u16 submode);
u32 SysStartChild(const SysChildApp *entry, u32 mode);
u32 SysRunChildApp(const SysChildApp *entry);
u32 SysCheckChildEntry(const SysChildApp *entry);
u32 SysStripSwitch();

// Pending callbacks: run on the task that was current when they were set.
using SysCallback = void (*)();
u32 SysSetPendingCallback(SysCallback fn);
void SysRunPendingCallbacks(u32 mode);
void SysRunChildCallback();

// Work-area glue of e-activity (successful steps until e-activity exists).
u32 SysStripEnter();
u32 SysStripLeave();
u32 SysEactPrepare();
void SysEactRestore();
u32 SysEactReenter();

// The running application's name (9 bytes with the terminating 0). The getter
// may be called from any thread.
void SysSetAppName(const char *name);
char *SysGetAppName(char *dst);
u32 SysIsAppName(const char *name);
u32 SysIsEactMain();
// flag 0 and the CHLD sub-id while e-activity is MAIN, else flag 1.
void SysGetMainAppId(u8 *flag, u16 *sub_id);

// The owner a new handle-heap block is tagged with: 1 + the task flag while
// an application runs (kernel state byte 0), 0 while the kernel itself runs.
// A task's tagged blocks are freed when the task is started afresh.
u8 SysHeapOwner();

// Saves the 1024-byte display memory into the saved screen.
void SysSaveScreen();
const u8 *SysSavedScreen();

// Hook run each time the MAIN task is entered (empty).
void SysBootHook();

// ---- Task stacks -------------------------------------------------------------------

// Runs `main_entry` as the MAIN task, with the CHLD task ready beside it,
// until SysThreadExit; then frees both stacks and returns. The calculator
// thread runs SysBoot this way; tests may run their own entry.
bool SysRunTasks(void (*main_entry)());
// True while SysRunTasks runs on this thread.
bool SysTasksRunning();
// Leaves SysRunTasks: the tasks are dropped where they stand.
[[noreturn]] void SysThreadExit();

// Usable stack bytes of each task.
constexpr u32 kSysTaskStackSize = 1024 * 1024;

// The boot loop from taking the boot point on: the dispatch of every jump to
// boot, the stack reservation on the first pass, then main-menu passes.
[[noreturn]] void SysBootLoop();

// Reserves the stack regions: records the low bounds, then enters the CHLD
// task's start point once, which jumps back to boot with code 1.
[[noreturn]] void SysReserveMainStack();
void SysReserveChildStack();
[[noreturn]] void SysSetChildStart();

// Fills the running task's stack with 'U' (0x55) from just below the caller's
// frame down to its low bound.
void SysFillStack();
// Consecutive 'U' bytes from the low bound of task 0 (MAIN) or 1 (CHLD)
// upward; kSysTaskRunning means the running task.
u32 SysStackUnused(u32 task);
// Bytes between the caller's stack position and the running task's low bound.
u32 SysStackDepth();
// Bytes the last fill of task 0 or 1 covered (from its low bound up).
u32 SysStackFilled(u32 task);
