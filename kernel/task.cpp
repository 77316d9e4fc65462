// The MAIN and CHLD tasks, the jump dispatcher and the start of applications.
//
// How a jump works here: a jump point records the stack (fiber) and frame it
// was taken in. A jump to a point on the running stack is a plain longjmp
// outward. A jump to a point on the other stack stores the point and the code,
// switches to that stack (the stack being left keeps its frames), and the
// resumed stack then makes the longjmp outward on itself. A point whose frame
// lies below the place it would be entered from has returned; jumping there is
// a kernel fault and stops the program with a message.
#include "kernel/task.h"

#include <pthread.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "kernel/fiber.h"
#include "kernel/mainmenu.h"
#include "kernel/task_glue.h"
#include "memory/mcs_workarea.h"
#include "ui/setup.h"

namespace {

struct JumpPoint {
  jmp_buf env;
  SysFiber *fiber;   // the stack it was taken on
  const u8 *frame;   // the frame it was taken in
  u8 valid;
};

// ---- kernel state ----
u8 g_task_flag = 0;
u8 g_state = 0;
u8 g_saved_state = 0;
u8 g_strip = 0;
std::atomic<u8> g_in_menu{0};
u16 g_menu_top = 0;
u8 g_link_state = 0;
SysAppPair g_req_main{0, 0xFFFF};
SysAppPair g_run_main{0, 0xFFFF};
SysAppPair g_req_child{0xFFFF, 0xFFFF};
SysAppPair g_run_child{0xFFFF, 0xFFFF};
SysAppEntry g_entry_slot = nullptr;
SysCallback g_main_callback = nullptr;
SysCallback g_child_callback = nullptr;
u8 g_saved_screen[1024];
u32 g_eact_work_flag = 0;
// The strip's screen while the e-activity editor shows.
u8 g_strip_screen[1024];
bool g_strip_screen_held = false;

// The application's name, up to 8 characters zero-padded into one word: read
// without a lock, as the evaluator asks for it on every variable it reads.
std::atomic<u64> g_app_name{0};

// The first 8 characters of a name, zero-padded, in memory order; false when
// the name is longer.
bool PackAppName(const char *name, u64 *word) {
  u64 w = 0;
  int n = 0;
  for (; n < 8 && name[n] != 0; ++n) w |= u64(static_cast<u8>(name[n])) << (8 * n);
  *word = w;
  return n < 8 || name[8] == 0;
}

// ---- task stacks and jump points ----
thread_local bool g_tasks_running = false;
void (*g_main_entry)() = nullptr;
SysFiber g_origin;
SysFiber g_main_fiber;
SysFiber g_child_fiber;
bool g_child_started = false;
const u8 *g_low[2] = {nullptr, nullptr};
const u8 *g_fill_top[2] = {nullptr, nullptr};

JumpPoint g_boot;
JumpPoint g_child_start;
JumpPoint g_main_resume;
JumpPoint g_child_resume;
JumpPoint *const g_points[] = {&g_boot, &g_child_start, &g_main_resume, &g_child_resume};

JumpPoint *g_pending_point = nullptr;
u32 g_pending_code = 0;

// The fill starts this far below the frame of the function asking for it, so
// the few calls that follow at once leave the count whole.
constexpr u32 kFillMargin = 512;

[[noreturn]] void Fatal(const char *what) {
  std::fprintf(stderr, "corvanta: kernel fault: %s\n", what);
  std::abort();
}

void MarkPoint(JumpPoint *point, const void *frame) {
  point->fiber = SysFiberCurrent();
  point->frame = static_cast<const u8 *>(frame);
  point->valid = 1;
}

// Records the jump point in the caller's frame; `code` receives 0 at once and
// the jump code when the point is jumped to.
#define SYS_TAKE_JUMP(code, point)                 \
  MarkPoint(&(point), __builtin_frame_address(0)); \
  code = static_cast<u32>(setjmp((point).env))

// A longjmp to `point` leaves every frame below it on that stack: the points
// taken in those frames are gone.
void DropPointsBelow(const JumpPoint *point) {
  for (JumpPoint *p : g_points) {
    if (p != point && p->valid && p->fiber == point->fiber && p->frame < point->frame) p->valid = 0;
  }
}

[[noreturn]] __attribute__((noinline)) void LongJumpHere(JumpPoint *point, u32 code) {
  const u8 *here = static_cast<const u8 *>(__builtin_frame_address(0));
  if (point->fiber != SysFiberCurrent()) Fatal("jump to a point of another stack");
  if (point->frame <= here) Fatal("jump into a frame that has returned");
  DropPointsBelow(point);
  std::longjmp(point->env, static_cast<int>(code));
}

// Suspends the running stack and continues `target`. When this stack is
// continued later, the jump that continued it is made here, outward.
__attribute__((noinline)) void SwitchTo(SysFiber *target) {
  SysFiber *self = SysFiberCurrent();
  SysFiberSwitch(self, target);
  JumpPoint *point = g_pending_point;
  u32 code = g_pending_code;
  g_pending_point = nullptr;
  if (point != nullptr) LongJumpHere(point, code);
}

[[noreturn]] void JumpTo(JumpPoint *point, u32 code) {
  if (!g_tasks_running) Fatal("task jump outside the tasks");
  if (point->valid == 0 || point->fiber == nullptr) Fatal("jump to a point that is not taken");
  if (code == 0) code = 1;
  if (point->fiber == SysFiberCurrent()) LongJumpHere(point, code);
  g_pending_point = point;
  g_pending_code = code;
  SwitchTo(point->fiber);
  Fatal("task continued without a jump");
}

int TaskOfCurrentFiber() {
  SysFiber *f = SysFiberCurrent();
  if (f == &g_child_fiber) return 1;
  if (f == &g_main_fiber) return 0;
  return -1;
}

void MainTaskStart() {
  g_main_entry();
  SysThreadExit();
}

void ChildTaskStart() {
  u32 code;
  SYS_TAKE_JUMP(code, g_child_start);
  g_task_flag = 1;
  SysDispatchJump(code);
  // The CHLD application returned: it waits nowhere any more.
  g_child_resume.valid = 0;
  JumpTo(&g_boot, 1);
}

void UpdateTitle() {
  char name[9];
  SysGetAppName(name);
  SysGlueSetTitle(g_in_menu.load() == 1 ? "MAIN MENU" : name);
}

}  // namespace

// ---- kernel state ---------------------------------------------------------------

u8 SysGetTaskFlag() { return g_task_flag; }
void SysSetTaskFlag(u8 flag) { g_task_flag = flag; }
u8 SysGetKernelState() { return g_state; }
void SysSetKernelState(u8 state) { g_state = state; }
u8 SysGetSavedState() { return g_saved_state; }
void SysSetSavedState(u8 state) { g_saved_state = state; }
u8 SysGetStripState() { return g_strip; }
void SysEnableStripSwitch() { g_strip = 1; }
u8 SysInMainMenu() { return g_in_menu.load(); }
void SysSetInMainMenu(u8 flag) {
  if (g_in_menu.exchange(flag) != flag) UpdateTitle();
}
u16 SysGetMenuTopRow() { return g_menu_top; }
void SysSetMenuTopRow(u16 row) { g_menu_top = row; }
u8 SysGetLinkState() { return g_link_state; }
void SysSetLinkState(u8 state) { g_link_state = state; }
void SysInitLinkState() { g_link_state = g_run_main.id == kSysAppLink ? 129 : 0; }
u32 SysLinkFlagTest() { return (g_link_state & 0x40) != 0 ? 1 : 0; }

SysAppPair SysGetRequestedMain() { return g_req_main; }
void SysSetRequestedMain(SysAppPair pair) { g_req_main = pair; }
SysAppPair SysGetRunningMain() { return g_run_main; }
SysAppPair SysGetRequestedChild() { return g_req_child; }
SysAppPair SysGetRunningChild() { return g_run_child; }

void SysResetTaskState() {
  g_task_flag = 0;
  g_state = 2;
  g_saved_state = 0;
  g_strip = 0;
  g_menu_top = 0;
  g_main_callback = nullptr;
  g_child_callback = nullptr;
  g_req_main = SysAppPair{0, 0xFFFF};
  g_run_main = SysAppPair{0, 0xFFFF};
  g_req_child = SysAppPair{0xFFFF, 0xFFFF};
  g_run_child = SysAppPair{0xFFFF, 0xFFFF};
  SysInitLinkState();
}

// ---- dispatcher ------------------------------------------------------------------

u32 SysDispatchJump(u32 code) {
  switch (code) {
    case kSysJumpEnterMain:
      SysEnterMainTask();
      break;
    case kSysJumpEnterChild:
      SysEnterChildTask();
      break;
    case kSysJumpMenu:
      SysMenuRound();
      g_state = g_saved_state;
      JumpTo(&g_child_resume, kSysJumpMenuBack);
    case kSysJumpMenuBack:
    case kSysJumpStripEnter:
    case kSysJumpStripBack:
      g_task_flag = 1;
      break;
    case kSysJumpStripLeave:
      g_task_flag = 0;
      SysStripLeave();
      break;
    case kSysJumpStripSwitch:
      g_task_flag = 0;
      SysStripSwitch();
      JumpTo(&g_child_resume, kSysJumpStripBack);
    case kSysJumpChildCallback:
      g_task_flag = 1;
      SysRunChildCallback();
      JumpTo(&g_main_resume, kSysJumpCallbackBack);
    case kSysJumpCallbackBack:
      g_task_flag = 0;
      break;
    default:
      break;
  }
  return code;
}

u32 SysKeyWaitRun(u32 (*wait)(void *context), void *context) {
  if (g_state == 0 && g_tasks_running) {
    JumpPoint *point = g_task_flag != 0 ? &g_child_resume : &g_main_resume;
    u32 code;
    SYS_TAKE_JUMP(code, *point);
    SysDispatchJump(code);
  }
  return wait(context);
}

u32 SysKeyHook(i32 *column, i32 *row) {
  if (g_state != 0) return 1;
  const u8 modifier = SysGlueGetModifier();
  const u8 in_menu = g_in_menu.load();
  if (*column == 4 && *row == 9) {  // MENU
    if (in_menu == 1 || (modifier & 3) != 0) return 1;
    g_state = 3;
    if (g_task_flag == 1) {
      g_task_flag = 0;
      JumpTo(&g_main_resume, kSysJumpMenu);
    }
    SysMenuRound();
    return 0;
  }
  if (*column == 2 && *row == 6 && in_menu == 0) {  // strip switch
    if (!(modifier == 1 && SysIsEactMain() == 1 && g_strip >= 2)) return 1;
    if (g_task_flag == 1) JumpTo(&g_main_resume, kSysJumpStripLeave);
    if (SysStripEnter() != 0) JumpTo(&g_child_resume, kSysJumpStripEnter);
    return 0;
  }
  if (*column == 3 && *row == 6 && in_menu == 0 && modifier == 1) {  // strip list
    if (SysIsEactMain() == 1 && g_task_flag == 1) {
      SysGlueSetModifier(0);
      JumpTo(&g_main_resume, kSysJumpStripSwitch);
    }
  }
  return 1;
}

// ---- running applications ----------------------------------------------------------

u32 SysSelectApp(u32 reserved, u16 sub_id, u16 id, u32 restart, u32 mode) {
  (void)reserved;
  if (id == 0xFFFF) {
    g_entry_slot = nullptr;
  } else if (id < kSysMainMenuCount) {
    g_entry_slot = SysMainMenuHandler(id);
  }
  SysAppPair &requested = mode == 1 ? g_req_main : g_req_child;
  const SysAppPair &running = mode == 1 ? g_run_main : g_run_child;
  requested = SysAppPair{id, sub_id};
  return running.id == id && running.sub_id == sub_id && restart == 0 ? 3 : 0;
}

u32 SysRunApp(u32 reserved, u16 sub_id, u16 id, u32 restart) {
  const u8 before = g_state;
  g_state = 3;
  if (SysSelectApp(reserved, sub_id, id, restart, 1) == 0) {
    SysRunPendingCallbacks(0);
    if (SysIsEactMain() == 1) SysEactRestore();
    JumpTo(&g_boot, kSysJumpEnterMain);
  }
  g_state = before;
  return 3;
}

u32 SysEnterMainTask() {
  g_task_flag = 0;
  SysFillStack();
  SysBootHook();
  g_run_main = g_req_main;
  SysGlueFreeTaskBlocks(0);
  if (g_run_main.id != kSysAppEact) {
    g_strip = 0;
    g_req_child = g_run_main;
    u32 code;
    SYS_TAKE_JUMP(code, g_main_resume);
    if (code == 0) JumpTo(&g_child_start, kSysJumpEnterChild);
    SysDispatchJump(code);
    return code;
  }
  g_strip = 1;
  if (SysEactPrepare() == 0) return 8;
  return SysLaunchApp(0, 1, g_run_main.sub_id);
}

void SysEnterChildTask() {
  g_task_flag = 1;
  g_state = 0;
  g_saved_state = 0;
  g_child_resume.valid = 0;
  SysFillStack();
  g_run_child = g_req_child;
  g_strip = 2;
  SysGlueFreeTaskBlocks(1);
  SysSaveScreen();
  if (SysIsEactMain() == 1) {
    SysLaunchApp(1, 0, g_run_child.sub_id);
  } else {
    SysLaunchApp(1, 1, g_run_child.sub_id);
  }
}

u32 SysLaunchApp(u32 use_child, u32 from_main_menu, u16 submode) {
  const u16 id = use_child != 0 ? g_run_child.id : g_run_main.id;
  const char *name = nullptr;
  if (from_main_menu == 1 && id < kSysMainMenuCount) {
    name = SysMainMenuRow(id)->name;
  } else if (from_main_menu == 0 && id != 0) {
    const SysChildApp *row = SysChildAppRow(id);
    if (row != nullptr) name = row->name;
  }
  if (name != nullptr) {
    SysSetAppName(name);
    const u32 created = SysGlueCreateFolder(name);
    if (created != 0 && created != 66) return 1;
  }
  SysGlueResetForLaunch();
  SysInitLinkState();
  g_state = 0;
  g_saved_state = 0;
  if (g_entry_slot == nullptr) return 0;
  return g_entry_slot(from_main_menu, submode);
}

u32 SysCheckChildEntry(const SysChildApp *entry) {
  if (entry == nullptr || entry->id == 0) return 2;
  if (entry->id > kSysChildAppCount) return 4;
  const SysChildApp *row = SysChildAppRow(entry->id);
  g_entry_slot = row->entry;
  g_req_child = SysAppPair{row->id, row->sub_id};
  return 0;
}

u32 SysStartChild(const SysChildApp *entry, u32 mode) {
  const volatile u8 before = g_state;
  g_state = 3;
  const u32 check = SysCheckChildEntry(entry);
  if (check != 0) {
    g_state = before;
    return check;
  }
  SysSaveScreen();
  SysRunPendingCallbacks(1);
  if (mode != 1) JumpTo(&g_child_start, kSysJumpEnterChild);
  u32 code;
  SYS_TAKE_JUMP(code, g_main_resume);
  if (code == 0) {
    if (SysEactReenter() == 1) JumpTo(&g_child_start, kSysJumpEnterChild);
    g_state = before;
    return 6;
  }
  SysDispatchJump(code);
  g_state = before;
  return 0;
}

u32 SysRunChildApp(const SysChildApp *entry) { return SysStartChild(entry, 1); }

u32 SysStripSwitch() {
  const u8 before = g_state;
  g_state = 3;
  u8 screen[1024];
  SysGlueCopyScreen(screen, false);
  SysChildApp row{};
  u32 result = 7;
  if (EactSelectStripApp(&row) == 1) result = SysStartChild(&row, 0);
  SysGlueCopyScreen(screen, true);
  SysGlueShowScreen();
  g_state = before;
  return result;
}

u32 SysSetPendingCallback(SysCallback fn) {
  if (g_task_flag != 0) {
    g_child_callback = fn;
  } else {
    g_main_callback = fn;
  }
  return g_task_flag;
}

void SysRunPendingCallbacks(u32 mode) {
  const JumpPoint saved = g_main_resume;
  u32 code;
  SYS_TAKE_JUMP(code, g_main_resume);
  if (code == 0) {
    if (g_child_callback != nullptr) {
      // The callback runs on the CHLD stack; a CHLD task that waits nowhere
      // has nothing left for it to act on.
      if (g_child_resume.valid != 0) JumpTo(&g_child_resume, kSysJumpChildCallback);
      g_child_callback = nullptr;
    }
  } else {
    SysDispatchJump(code);
  }
  g_main_resume = saved;
  if (mode != 1 && g_main_callback != nullptr) {
    SysCallback fn = g_main_callback;
    g_main_callback = nullptr;
    fn();
  }
}

void SysRunChildCallback() {
  SysCallback fn = g_child_callback;
  g_child_callback = nullptr;
  if (fn != nullptr) fn();
}

// ---- e-activity work areas ----------------------------------------------------------

// Entering a strip: the e-activity's own items of the strip application's
// folder go aside (2048), the strip's items come in from "EACT1" (4096),
// then the editor's state is kept and the strip's brought back (8192).
// Leaving does the reverse and puts the e-activity's screen back. The
// strip data steps run while the editor's state is current. The SHIFT that
// started the switch is posted again where the switch lands.
namespace {
u32 EnterStripAreas() {
  if (SysSaveAppAreas(kAreaEactSide, nullptr) != 0) return 0;
  if (SysRestoreAppAreas(kAreaStrip, nullptr) != 0) {
    SysRestoreAppAreas(kAreaEactSide, nullptr);
    return 0;
  }
  SysSaveAppAreas(kAreaCarry, nullptr);
  return 1;
}
}  // namespace

u32 SysStripEnter() {
  SysSaveScreen();
  const bool strip_screen = g_strip_screen_held;
  const u32 ok = EnterStripAreas();
  if (ok == 1) {
    const SysChildApp *row = SysChildAppRow(g_run_child.id);
    if (row != nullptr) SysSetAppName(row->name);
  }
  // The strip's screen as it was left.
  if (ok == 1 && strip_screen) {
    SysGlueCopyScreen(g_strip_screen, true);
    SysGlueShowScreen();
  }
  SysGlueRepostShift();
  return ok;
}

u32 SysStripLeave() {
  SysGlueCopyScreen(g_strip_screen, false);
  g_strip_screen_held = true;
  SysGlueCopyScreen(g_saved_screen, true);
  SysRestoreAppAreas(kAreaCarry, nullptr);
  const u32 saved = SysSaveAppAreas(kAreaStrip, nullptr);
  const u32 restored = SysRestoreAppAreas(kAreaEactSide, nullptr);
  if (g_run_main.id < kSysMainMenuCount) SysSetAppName(SysMainMenuRow(g_run_main.id)->name);
  SysGlueShowScreen();
  SysGlueRepostShift();
  return saved == 0 && restored == 0 ? 1 : 0;
}

// The user's main memory goes aside while e-activity runs and comes back
// when another application is chosen.
u32 SysEactPrepare() {
  if (SysSaveAppAreas(kAreaUser, nullptr) != 0) return 0;
  g_eact_work_flag = 1;
  return 1;
}

void SysEactRestore() {
  if (g_eact_work_flag != 0) SysRestoreAppAreas(kAreaUser, nullptr);
  g_eact_work_flag = 0;
}

// A strip started from the editor: as entering it, on a fresh CHLD task.
u32 SysEactReenter() {
  g_strip_screen_held = false;
  SysGlueEactCarry(2);
  return EnterStripAreas();
}

// ---- application name -------------------------------------------------------------

void SysSetAppName(const char *name) {
  u64 word = 0;
  if (name != nullptr) PackAppName(name, &word);
  g_app_name.store(word, std::memory_order_release);
  UpdateTitle();
}

char *SysGetAppName(char *dst) {
  const u64 word = g_app_name.load(std::memory_order_acquire);
  for (int i = 0; i < 8; ++i) dst[i] = static_cast<char>(word >> (8 * i));
  dst[8] = 0;
  return dst;
}

u32 SysIsAppName(const char *name) {
  if (name == nullptr) return 0;
  const u64 current = g_app_name.load(std::memory_order_acquire);
  // Most asks name another application: the first character tells.
  if (static_cast<u8>(current) != static_cast<u8>(name[0])) return 0;
  u64 word = 0;
  return PackAppName(name, &word) && word == current ? 1 : 0;
}

u32 SysIsEactMain() { return g_run_main.id == kSysAppEact ? 1 : 0; }

void SysGetMainAppId(u8 *flag, u16 *sub_id) {
  if (SysIsEactMain() == 1) {
    *flag = 0;
    *sub_id = g_run_child.sub_id;
  } else {
    *flag = 1;
  }
}

u8 SysHeapOwner() {
  if (!g_tasks_running || g_state != 0) return 0;
  return static_cast<u8>(1 + g_task_flag);
}

void SysSaveScreen() { SysGlueCopyScreen(g_saved_screen, false); }
const u8 *SysSavedScreen() { return g_saved_screen; }

void SysBootHook() {}

// ---- task stacks --------------------------------------------------------------------

bool SysRunTasks(void (*main_entry)()) {
  if (g_tasks_running || main_entry == nullptr) return false;
  if (!SysFiberCreate(&g_main_fiber, kSysTaskStackSize, MainTaskStart)) return false;
  if (!SysFiberCreate(&g_child_fiber, kSysTaskStackSize, ChildTaskStart)) {
    SysFiberDestroy(&g_main_fiber);
    return false;
  }
  for (JumpPoint *p : g_points) *p = JumpPoint{};
  g_pending_point = nullptr;
  g_child_started = false;
  g_low[0] = g_main_fiber.low;
  g_low[1] = g_child_fiber.low;
  g_fill_top[0] = g_fill_top[1] = nullptr;
  g_main_entry = main_entry;
  g_tasks_running = true;
  SysFiberInitOrigin(&g_origin);
  SysFiberSwitch(&g_origin, &g_main_fiber);
  // Back from SysThreadExit.
  g_tasks_running = false;
  for (JumpPoint *p : g_points) *p = JumpPoint{};
  SysFiberDestroy(&g_main_fiber);
  SysFiberDestroy(&g_child_fiber);
  g_low[0] = g_low[1] = nullptr;
  g_fill_top[0] = g_fill_top[1] = nullptr;
  return true;
}

bool SysTasksRunning() { return g_tasks_running; }

void SysThreadExit() {
  if (!g_tasks_running) Fatal("thread exit outside the tasks");
  SysFiberLeave(SysFiberCurrent(), &g_origin);
}

void SysBootLoop() {
  u32 code;
  SYS_TAKE_JUMP(code, g_boot);
  g_task_flag = 0;
  SysDispatchJump(code);
  if (code == 0) SysReserveMainStack();
  for (;;) {
    g_state = 3;
    SysMenuRound();
  }
}

void SysReserveMainStack() {
  // Each task has a stack of its own; the bounds were set when the stacks
  // were made. The CHLD start point is taken once, on the CHLD stack.
  SysReserveChildStack();
  SysSetChildStart();
}

void SysReserveChildStack() {
  g_low[0] = g_main_fiber.low;
  g_low[1] = g_child_fiber.low;
}

void SysSetChildStart() {
  if (!g_child_started) {
    g_child_started = true;
    SwitchTo(&g_child_fiber);
  } else {
    JumpTo(&g_child_start, 1);
  }
  Fatal("CHLD start returned");
}

__attribute__((noinline, no_sanitize("address", "thread"))) void SysFillStack() {
  const int task = TaskOfCurrentFiber();
  if (task < 0) return;
  volatile u8 *top = static_cast<u8 *>(__builtin_frame_address(0)) - kFillMargin;
  const u8 *low = g_low[task];
  g_fill_top[task] = const_cast<const u8 *>(top);
  for (volatile u8 *p = top; p > low;) *--p = 0x55;
}

__attribute__((noinline, no_sanitize("address", "thread"))) u32 SysStackUnused(u32 task) {
  int t = task == kSysTaskRunning ? TaskOfCurrentFiber() : static_cast<int>(task);
  if (t != 0 && t != 1) return 0;
  const volatile u8 *p = g_low[t];
  if (p == nullptr) return 0;
  const u8 *high = t == 0 ? g_main_fiber.high : g_child_fiber.high;
  u32 n = 0;
  while (p + n < high && p[n] == 0x55) ++n;
  return n;
}

__attribute__((noinline)) u32 SysStackDepth() {
  const u8 *here = static_cast<const u8 *>(__builtin_frame_address(0));
  const int task = TaskOfCurrentFiber();
  if (task >= 0) return static_cast<u32>(here - g_low[task]);
  // Outside the tasks (tools and unit tests): the room of the thread's stack.
  pthread_attr_t attr;
  u32 room = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    void *addr = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &addr, &size) == 0) room = static_cast<u32>(here - static_cast<u8 *>(addr));
    pthread_attr_destroy(&attr);
  }
  return room;
}

u32 SysStackFilled(u32 task) {
  if (task > 1 || g_fill_top[task] == nullptr) return 0;
  return static_cast<u32>(g_fill_top[task] - g_low[task]);
}
