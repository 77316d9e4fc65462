// The task layer's steps in the neighbouring subsystems.
#include "kernel/task_glue.h"

#include <cstring>

#include "kernel/host.h"
#include "kernel/task.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "ui/keys.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

u8 SysGlueGetModifier() { return KeyGetModifier(); }

void SysGlueSetModifier(u8 modifier) { KeySetModifier(modifier); }

void SysGlueSetTitle(const char *title) { HostSetAppTitle(title); }

void SysGlueInstallKeyHook() { HostSetKeyHook(SysKeyHook); }

u32 SysGlueCreateFolder(const char *name) { return McsCreateFolder(name) & 0xFF; }

void SysGlueResetForLaunch() {
  SetupSetItem(kSetupMode, 0);
  McsDeleteAllOfKind(0xFF);
  SysGlueSetModifier(0);
}

void SysGlueCopyScreen(u8 *buf, bool restore) {
  if (restore) {
    std::memcpy(SysGlueVram(), buf, 1024);
  } else {
    std::memcpy(buf, SysGlueVram(), 1024);
  }
}

void SysGlueShowScreen() {}

void SysGlueFreeTaskBlocks(u32 task) { MemFreeOwned(static_cast<u8>(task + 1)); }

u32 SysGlueGetKey(u32 *code) {
  // A plain reading of the key matrix under the modifier state, with SHIFT
  // and ALPHA changing the state.
  for (;;) {
    SysGlueShowScreen();
    i32 column = 0, row = 0;
    u16 posted = 0;
    HostWaitKey(&column, &row, &posted);
    if (column < 0) {
      *code = posted;
      return posted >= 30000 ? 0 : 1;
    }
    const u8 modifier = KeyGetModifier();
    const KeyAction action = KeyMapPosition(column, row, modifier);
    if (action.kind == kActNone) continue;
    if (action.kind == kActKey && (action.code == kKeyShift || action.code == kKeyAlpha)) {
      KeySetModifier(KeyNextModifier(modifier, action.code));
      *code = action.code;
      return 0;
    }
    if ((modifier & 0x80) == 0 && modifier != kModNone) KeySetModifier(kModNone);
    *code = action.code;
    return action.kind == kActChar ? 1 : 0;
  }
}

void SysGlueShowPlaceholder(const char *name) { (void)name; }

namespace {
u8 g_vram[1024];
u8 g_graph_cursor_shown = 0;
u16 g_menu_mask = 0;
}  // namespace

u8 *SysGlueVram() { return g_vram; }
void SysGlueTextAt(u32 column, u32 line, const u8 *text) {
  (void)column;
  (void)line;
  (void)text;
}
void SysGlueMessageAt(u32 column, u32 line, u32 id) {
  (void)column;
  (void)line;
  (void)id;
}
void SysGluePopupWindow(u32 size) { (void)size; }
void SysGlueSaveCursor(SysGlueCursor *cursor) { *cursor = SysGlueCursor{}; }
void SysGlueRestoreCursor(const SysGlueCursor *cursor) { (void)cursor; }
void SysGlueTextCursorOff() {}
u8 SysGlueGraphCursorShown() { return g_graph_cursor_shown; }
void SysGlueSetGraphCursorShown(u8 shown) { g_graph_cursor_shown = shown; }
u16 SysGlueMenuMask() { return g_menu_mask; }
void SysGlueSetMenuMask(u16 mask) { g_menu_mask = mask; }
void SysGlueClearKeyQueue() { HostClearKeyQueue(); }

void SysGlueInitRamSettings() { SysClearVariables(); }
void SysGlueClearMainMemory() { McsClearAll(); }

u32 SysGlueCheckMainMemory() {
  u8 folder = 0;
  return McsCheckArea(&folder);
}
i32 SysGlueMountStorage() { return 0; }
i32 SysGlueFormatStorage() { return 0; }
