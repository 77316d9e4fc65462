// The application tables of the main menu and of the e-activity strips.
#include "kernel/apps.h"

#include "data/menu_icons.h"

namespace {

SysMainMenuEntry g_menu[kSysMainMenuCount] = {
    {"@RUNMAT", RunMatAppMain, 0, kMenuIcons[0]},   {"@STAT", StatAppMain, 0, kMenuIcons[1]},
    {"@EACT", EactAppMain, 0, kMenuIcons[2]},       {"@GRAPH", GraphAppMain, 0, kMenuIcons[3]},
    {"@DYNA", DynaAppMain, 0, kMenuIcons[4]},       {"@TABLE", GraphAppMain, 0, kMenuIcons[5]},
    {"@RECUR", RecurAppMain, 0, kMenuIcons[6]},     {"@CONICS", ConicAppMain, 0, kMenuIcons[7]},
    {"@EQUA", EquaAppMain, 0, kMenuIcons[8]},       {"@PROG", ProgEditAppMain, 0, kMenuIcons[9]},
    {"@FINANCE", FinAppMain, 0, kMenuIcons[10]},    {"@LINK", LinkAppMain, 0, kMenuIcons[11]},
    {"@MEMORY", MemMgrAppMain, 0, kMenuIcons[12]},  {"@SYSTEM", SysMgrAppMain, 0, kMenuIcons[13]},
    {"@SSHEET", SheetAppMain, 0, kMenuIcons[14]},
};

SysChildApp g_child[kSysChildAppCount + 1] = {
    {1, 0, "@RUNMAT", 605, RunMatAppMain, kChildIcons[0]},
    {2, 0, "@GRAPH", 606, GraphAppMain, kChildIcons[1]},
    {3, 1, "@GRAPH", 607, GraphAppMain, kChildIcons[2]},
    {4, 2, "@TABLE", 608, GraphAppMain, kChildIcons[3]},
    {5, 0, "@CONICS", 609, ConicAppMain, kChildIcons[4]},
    {6, 1, "@CONICS", 610, ConicAppMain, kChildIcons[5]},
    {7, 0, "@STAT", 611, StatAppMain, kChildIcons[6]},
    {8, 1, "@STAT", 612, StatAppMain, kChildIcons[7]},
    {9, 2, "@EQUA", 616, EquaAppMain, kChildIcons[8]},
    {10, 0, "@RECUR", 618, RecurAppMain, kChildIcons[9]},
    {11, 0, "@EACT", 620, CalcDocTextMain, kChildIcons[10]},
    {12, 1, "@RUNMAT", 613, RunMatAppMain, kChildIcons[11]},
    {13, 0, "@EQUA", 614, EquaAppMain, kChildIcons[12]},
    {14, 1, "@EQUA", 615, EquaAppMain, kChildIcons[13]},
    {15, 0, "@DYNA", 617, DynaAppMain, kChildIcons[14]},
    {16, 1, "@FINANCE", 619, FinAppMain, kChildIcons[15]},
    {17, 0, "@SSHEET", 621, SheetAppMain, kChildIcons[16]},
    {0, 0, nullptr, 0, nullptr, nullptr},
};

}  // namespace

const SysMainMenuEntry *SysMainMenuRow(u16 id) { return id < kSysMainMenuCount ? &g_menu[id] : nullptr; }

SysAppEntry SysMainMenuHandler(u16 id) { return id < kSysMainMenuCount ? g_menu[id].entry : nullptr; }

u32 SysChildAppRange(u32 *first, u32 *count) {
  if (first != nullptr) *first = 0;
  if (count != nullptr) *count = kSysChildAppCount;
  return kSysChildAppCount;
}

u32 SysGetChildApp(u32 index, SysChildApp *out) {
  if (index >= kSysChildAppCount) return 0;
  *out = g_child[index];
  return 1;
}

u32 SysFindChildApp(u16 id, SysChildApp *out) {
  const SysChildApp *row = SysChildAppRow(id);
  *out = row != nullptr ? *row : g_child[kSysChildAppCount];
  return row != nullptr ? 1 : 0;
}

const SysChildApp *SysChildAppRow(u16 id) {
  if (id == 0) return nullptr;
  for (u16 i = 0; i < kSysChildAppCount; ++i) {
    if (g_child[i].id == id) return &g_child[i];
  }
  return nullptr;
}

SysAppEntry SysReplaceMainMenuEntry(u16 id, SysAppEntry entry) {
  if (id >= kSysMainMenuCount) return nullptr;
  SysAppEntry old = g_menu[id].entry;
  g_menu[id].entry = entry;
  return old;
}

SysAppEntry SysReplaceChildEntry(u16 child_id, SysAppEntry entry) {
  for (u16 i = 0; i < kSysChildAppCount; ++i) {
    if (g_child[i].id == child_id && child_id != 0) {
      SysAppEntry old = g_child[i].entry;
      g_child[i].entry = entry;
      return old;
    }
  }
  return nullptr;
}
