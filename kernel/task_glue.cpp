// The task layer's steps in the neighbouring subsystems.
#include "kernel/task_glue.h"

#include <cstdio>
#include <cstring>

#include "apps/calcdoc/calcdoc.h"
#include "apps/system/memmgr.h"
#include "apps/system/progress.h"
#include "memory/mcs_group.h"
#include "memory/mcs_workarea.h"
#include "kernel/host.h"
#include "kernel/task.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "number/real.h"
#include "storage/file.h"
#include "storage/fls.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/mprint.h"
#include "ui/msg.h"
#include "ui/text.h"
#include "memory/mcs_store.h"
#include "graph/screen_save.h"
#include "ui/catalog.h"
#include "ui/fkey.h"
#include "ui/keys.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/sysvar.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"

u8 SysGlueGetModifier() { return KeyGetModifier(); }

void SysGlueSetModifier(u8 modifier) { KeySetModifier(modifier); }

void SysGlueSetTitle(const char *title) { HostSetAppTitle(title); }

void SysGlueRepostShift() {
  if (KeyGetModifier() == kModShift) KeyPost(kKeyShift);
}

void SysGlueInstallKeyHook() { HostSetKeyHook(SysKeyHook); }

u8 *SysGlueItemData(const char *folder, const char *name, u32 *size) {
  u8 *data = nullptr;
  u32 n = 0;
  if (McsFindItem(folder, name, nullptr, nullptr, &data, &n) != 0) return nullptr;
  *size = n;
  return data;
}

u32 SysGlueCreateFolder(const char *name) { return McsCreateFolder(name) & 0xFF; }

void SysGlueResetForLaunch() {
  LcdClearVram();
  FkeyResetGroups();
  PopupResetCaptureBoxes();
  SetupSetItem(kSetupMode, 0);
  McsDeleteAllOfKind(0xFF);
  SysGlueSetModifier(0);
  TextCursorOff();
  GraphCursorState()->shown = 0;
  // A screen left by MENU never put its function-key row painter back: it
  // would paint the old screen's graph over the new application.
  KeySetRootRowHook({nullptr, nullptr});
}

void SysGlueCopyScreen(u8 *buf, bool restore) {
  if (restore) {
    std::memcpy(SysGlueVram(), buf, 1024);
  } else {
    std::memcpy(buf, SysGlueVram(), 1024);
  }
}

void SysGlueShowScreen() { ShellUpdateDisplay(); }

void SysGlueFreeTaskBlocks(u32 task) { MemFreeOwned(static_cast<u8>(task + 1)); }

u32 SysGlueGetKey(u32 *code) { return KeyGetKey(code); }

void SysGlueShowPlaceholder(const char *name) {
  LcdClearVram();
  TextLocate(1, 1);
  TextPrint(name);
  ShellUpdateDisplay();
}

u8 *SysGlueSetupArray() { return SetupItemAddress(0); }

void SysGlueBusyStart() {
  KeyBreakArm();
  LcdShowBusyIndicator();
}

void SysGlueShowProgress(const u16 *path, i32 done, i32 total) { BrowseShowProgress(path, done, total); }
void SysGlueCloseProgress() { BrowseCloseProgress(); }

void SysGlueHostBackup(bool restore) {
  // Backup and restore act on the user's own memory, also while e-activity
  // holds it aside and works on the memory of its file.
  const i32 r = McsWorkOnUserMemory(
      [](void *restoring) -> i32 {
        static const u16 kPath[] = {'C', ':', '\\', 'B', 'A', 'C', 'K', 'U', 'P', '.', 'M', 'C', 'S', 0};
        return *static_cast<bool *>(restoring) ? McsRestoreBackup(kPath) : McsSaveBackup(kPath, 1);
      },
      &restore);
  MemMgrReport(r);
}

u8 *SysGlueVram() { return LcdVramAddress(); }

void SysGlueTextAt(u32 column, u32 line, const u8 *text) {
  TextLocate(static_cast<i32>(column), static_cast<i32>(line));
  TextPrint(reinterpret_cast<const char *>(text));
}

void SysGlueMessageAt(u32 column, u32 line, u32 id) {
  char text[64];
  if (MsgText(static_cast<i32>(id), text) == nullptr) return;
  TextLocate(static_cast<i32>(column), static_cast<i32>(line));
  TextPrint(text);
}

void SysGluePopupWindow(u32 size) { LcdDrawPopupWindow(8, static_cast<i32>(size)); }

static_assert(sizeof(TextCursorState) <= sizeof(SysGlueCursor::bytes));

void SysGlueSaveCursor(SysGlueCursor *cursor) {
  TextCursorState state{};
  TextGetCursor(&state);
  std::memcpy(cursor->bytes, &state, sizeof state);
}

void SysGlueRestoreCursor(const SysGlueCursor *cursor) {
  TextCursorState state{};
  std::memcpy(&state, cursor->bytes, sizeof state);
  TextSetCursor(&state);
}

void SysGlueTextCursorOff() { TextCursorOff(); }
u8 SysGlueGraphCursorShown() { return GraphCursorState()->shown; }
void SysGlueSetGraphCursorShown(u8 shown) { GraphCursorState()->shown = shown; }
u16 SysGlueMenuMask() { return KeyGetMenuMask(); }
void SysGlueSetMenuMask(u16 mask) { KeySetMenuMask(mask); }
void SysGlueClearKeyQueue() { HostClearKeyQueue(); }

void SysGlueInitRamSettings() {
  SysClearVariables();
  CatalogReset();
  MsgSelectDefaultLanguage();
  MsgResetAltLanguage();
  MprintInit();
}
void SysGlueClearMainMemory() {
  McsClearAll();
  // Ans is 0 in a cleared memory: the host's answer texts follow it, so an
  // answer asked for before anything is stored reads 0, not an older value.
  Value ans;
  std::memset(&ans, 0, sizeof ans);
  RealSetZero(&ans.re);
  HostPublishAnswer(&ans);
}

u32 SysGlueCheckMainMemory() {
  u8 folder = 0;
  return McsCheckArea(&folder);
}
namespace {
const u16 kStorageDevice[] = {'f', 'l', 's', '0', 0};
}  // namespace

i32 SysGlueMountStorage() {
  FlsResetOpenFiles();
  return FlsCheck();
}

i32 SysGlueFormatStorage() { return FileFormatStorage(kStorageDevice, 1); }

// ---- e-activity work areas ----

void SysGlueResetSetup() { SetupResetAll(); }

void SysGlueWorkAreaBox(u32 code) {
  const char *what = "Invalid File";
  if (code == 101) what = "Data Too Large";
  else if (code == 102 || code == 201 || code == 305 || code == 402) what = "Memory ERROR";
  else if ((code >= 103 && code <= 106) || code == 300) what = "Storage ERROR";
  TextCursorState saved{};
  TextGetCursor(&saved);
  const u8 modifier = KeyGetModifier();
  KeySetModifier(kModNone);
  PopupOpenFramed(4);
  TextLocate(3, 2);
  TextPrint(what);
  char line[22];
  std::snprintf(line, sizeof line, "Code:%u", static_cast<unsigned>(code));
  TextLocate(3, 3);
  TextPrint(line);
  TextLocate(3, 5);
  TextPrint(" Press:[EXIT]");
  PopupWaitKey({kKeyExit, kKeyQuit, kKeyAc});
  PopupCloseKind5();
  KeySetModifier(modifier);
  PopupRestoreCursor(saved);
}

bool SysGlueStripFolder(char out[9]) { return EactStripFolder(out) == 1; }
i32 SysGlueStripDataOffset() { return EactStripDataOffset(); }
void SysGlueShiftStripOffsets(i32 delta) { EactShiftEntryOffsets(delta); }
void SysGlueEactCarry(u32 mode) { EactCarryState(mode); }
