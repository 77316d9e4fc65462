// The steps the task layer takes in the neighbouring subsystems (screen,
// keys, main memory), gathered in one place.
#pragma once
#include "kernel/types.h"

// The key modifier state (SET UP item 20).
u8 SysGlueGetModifier();
void SysGlueSetModifier(u8 modifier);
// Reports the title ("MAIN MENU" or the application's name) to the host.
void SysGlueSetTitle(const char *title);
// Posts the SHIFT key code again when the modifier state is SHIFT.
void SysGlueRepostShift();
// Installs SysKeyHook as the key wait's hook.
void SysGlueInstallKeyHook();
// Creates the application's main-memory folder: 0 made, 66 exists, else a
// failure.
u32 SysGlueCreateFolder(const char *name);
// The launch resets: screen cleared, function-key groups reset, capture
// boxes forgotten, SET UP item 23 = 0, items of every kind of the current folder's
// scratch removed, modifier none, text cursor off, graph cursor hidden.
void SysGlueResetForLaunch();
// Copies the 1024-byte display memory into buf, or back from it.
void SysGlueCopyScreen(u8 *buf, bool restore);
// Hands the display to the host (ShellUpdateDisplay).
void SysGlueShowScreen();
// Host pointer and size of the data of the main-memory item (folder, name),
// looked up now; null when there is no such item.
u8 *SysGlueItemData(const char *folder, const char *name, u32 *size);
// Frees the handle-heap blocks the task (0 MAIN, 1 CHLD) allocated while an
// application ran on it.
void SysGlueFreeTaskBlocks(u32 task);
// Reads one key through the key reader: returns 1 with a character code, 0
// with a key code, in *code.
u32 SysGlueGetKey(u32 *code);
// Clears the screen and shows `name` as a placeholder application's screen.
void SysGlueShowPlaceholder(const char *name);

// ---- for the group files of main memory ----

// The SET UP array (100 bytes).
u8 *SysGlueSetupArray();
// Break detection armed and the busy mark shown, before a long file
// operation.
void SysGlueBusyStart();
// The progress box of copies and restores (done 0 opens it) and its close.
void SysGlueShowProgress(const u16 *path, i32 done, i32 total);
void SysGlueCloseProgress();

// The window's back-up (restore false) or restore of main memory through
// the host file C:\BACKUP.MCS, with the box that tells how it went.
void SysGlueHostBackup(bool restore);

// ---- screen, cursors and keys for the main menu and the boot ----

// The 1024-byte display memory (128 x 64, 16 bytes a row, leftmost dot in
// the high bit).
u8 *SysGlueVram();
// Prints the calculator text `text` at text column `column` (1-21) and line
// `line` (1-8).
void SysGlueTextAt(u32 column, u32 line, const u8 *text);
// Prints message `id` of the current language at the column and line.
void SysGlueMessageAt(u32 column, u32 line, u32 id);
// Draws the empty pop-up window of size `size`, saving the screen in slot 8.
void SysGluePopupWindow(u32 size);
// The text cursor, kept opaque.
struct SysGlueCursor {
  u8 bytes[32];
};
void SysGlueSaveCursor(SysGlueCursor *cursor);
void SysGlueRestoreCursor(const SysGlueCursor *cursor);
void SysGlueTextCursorOff();
// The shown byte of the graph cursor.
u8 SysGlueGraphCursorShown();
void SysGlueSetGraphCursorShown(u8 shown);
// The key reader's menu-key mask.
u16 SysGlueMenuMask();
void SysGlueSetMenuMask(u16 mask);
// Empties the key queue (unless held).
void SysGlueClearKeyQueue();

// ---- memories for the boot ----

// The RAM-held settings SysInitRam re-initialises besides SET UP: the
// variables, the message language, the catalog's character table, the
// textbook state.
void SysGlueInitRamSettings();
// Main memory: clear it all; the item store's consistency walk (0 passes).
void SysGlueClearMainMemory();
u32 SysGlueCheckMainMemory();
// Storage memory: reset the open files and check the image (0 mounted,
// negative codes as the file system gives them); format it in full.
i32 SysGlueMountStorage();
i32 SysGlueFormatStorage();

// ---- for the e-activity work areas ----

// SET UP back to its defaults.
void SysGlueResetSetup();
// The work-area service's error box for its code.
void SysGlueWorkAreaBox(u32 code);
// The current strip of "EACT1": its application's folder name (false when
// there is no current strip), the offset of its data area, and the shift of
// the entries behind it after the area changed size.
bool SysGlueStripFolder(char out[9]);
i32 SysGlueStripDataOffset();
void SysGlueShiftStripOffsets(i32 delta);
// The e-activity editor's and strip's states around a strip switch: 1
// entering, 0 leaving, 2 a strip started afresh.
void SysGlueEactCarry(u32 mode);
