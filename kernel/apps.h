// The application tables: the 15 applications of the main menu and the 17
// child applications that an e-activity strip can run.
#pragma once
#include "kernel/types.h"

// An application entry: (from_main_menu, submode) -> result. Applications
// loop on the key reader and normally never return.
using SysAppEntry = u32 (*)(u32 from_main_menu, u16 submode);

// One main-menu row; the row index is the main-menu id.
struct SysMainMenuEntry {
  const char *name;  // the application's folder name, e.g. "@RUNMAT"
  SysAppEntry entry;
  u32 reserved;      // always 0
  const u32 *icon;   // 17 rows of 32 pixels, leftmost pixel in the high bit
};

// One child-application row (and the all-zero end row).
struct SysChildApp {
  u16 id;      // 1-17
  u16 sub_id;
  const char *name;
  u32 message;  // caption of the row in the strip list
  SysAppEntry entry;
  const u32 *icon;
};

constexpr u16 kSysMainMenuCount = 15;
constexpr u16 kSysChildAppCount = 17;
constexpr u16 kSysAppEact = 2;   // e-activity runs as the MAIN task
constexpr u16 kSysAppLink = 11;  // the link application

// Row `id` of the main-menu table (null for id >= 15).
const SysMainMenuEntry *SysMainMenuRow(u16 id);
// The main-menu row's entry function (SysMainMenuHandler); null for id >= 15.
SysAppEntry SysMainMenuHandler(u16 id);

// Child-application rows: SysChildAppRange gives first 0 and count 17 and
// returns 17; SysGetChildApp copies row `index` (0 when index >= 17);
// SysFindChildApp copies the row with child id `id` (id 0 never matches; the
// end row is copied when none does) and returns 1 when found.
u32 SysChildAppRange(u32 *first, u32 *count);
u32 SysGetChildApp(u32 index, SysChildApp *out);
u32 SysFindChildApp(u16 id, SysChildApp *out);
// Row index (0-16) of the child application `id`, or null when none.
const SysChildApp *SysChildAppRow(u16 id);

// Replaces the entry function of main-menu row `id` or child row `child_id`
// and returns the one it had (null and nothing changed for an unknown row).
// Lets the system tests run probe applications in place of a real one.
SysAppEntry SysReplaceMainMenuEntry(u16 id, SysAppEntry entry);
SysAppEntry SysReplaceChildEntry(u16 child_id, SysAppEntry entry);

// The placeholder entries of applications not built yet: each shows its
// application's name and reads keys.
u32 RunMatAppMain(u32 from_main_menu, u16 submode);
u32 StatAppMain(u32 from_main_menu, u16 submode);
u32 EactAppMain(u32 from_main_menu, u16 submode);
u32 GraphAppMain(u32 from_main_menu, u16 submode);
u32 DynaAppMain(u32 from_main_menu, u16 submode);
u32 RecurAppMain(u32 from_main_menu, u16 submode);
u32 ConicAppMain(u32 from_main_menu, u16 submode);
u32 EquaAppMain(u32 from_main_menu, u16 submode);
u32 ProgEditAppMain(u32 from_main_menu, u16 submode);
u32 FinAppMain(u32 from_main_menu, u16 submode);
u32 LinkAppMain(u32 from_main_menu, u16 submode);
u32 MemMgrAppMain(u32 from_main_menu, u16 submode);
u32 SysMgrAppMain(u32 from_main_menu, u16 submode);
u32 SheetAppMain(u32 from_main_menu, u16 submode);
u32 CalcDocTextMain(u32 from_main_menu, u16 submode);
// Shows the strip application list; 1 with the chosen row, else another value.
u32 EactSelectStripApp(SysChildApp *out);
