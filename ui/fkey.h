// Function-key menus: the pages of six entries by menu id, the six menu
// groups (OPT, VARS, SHIFT, SHIFT+VARS, CLIP, ALPHA), the menu stack with its
// level marks and level history, the key reader's menu-key mask, the
// open-pop-up mask, the user icons, and the function-key row with its icons
// and captions. Calculator thread only.
#pragma once
#include "kernel/types.h"

// One entry of a page. icon: an icon number 0-1013; a negative n stands for
// icon -n-1 in the group ranges and for user icon slot -n in the application
// range; kFkeyNoIcon ends the drawn row.
struct FkeyItem {
  i16 icon;
  u16 kind;
  u32 value;
};

enum FkeyKind : u16 {
  kFkeySubMenu = 0,  // push the menu whose id is value
  kFkeyInput = 1,    // input the character or token code value
  kFkeyKeyCode = 2,  // return value as a key code
  kFkeySibling = 3,  // replace the current menu by the menu value
  kFkeyCommand = 6,  // returned as a key code, like kind 2
  kFkeyBlank = 10,   // the key does nothing
};

constexpr i16 kFkeyNoIcon = 16384;
constexpr int kFkeyStackSize = 32;
constexpr int kFkeyUserIconCount = 24;
constexpr int kFkeyIconBytes = 24;

// Menu id ranges.
enum FkeyMenuId : i32 {
  kFkeyAppFirst = 0,
  kFkeyAppLast = 99,
  kFkeyOptFirst = 100,
  kFkeyOptLast = 140,
  kFkeyVarsFirst = 141,
  kFkeyVarsLast = 191,
  kFkeyShiftFirst = 192,
  kFkeyShiftLast = 212,
  kFkeyShiftVarsFirst = 213,
  kFkeyShiftVarsLast = 233,
  kFkeyClipFirst = 234,
  kFkeyClipLast = 236,
  kFkeyAlphaFirst = 237,
  kFkeyAlphaLast = 239,
};

// Stack entry values besides menu ids.
constexpr u32 kFkeyMark = 0xFFFFFFFEu;  // -2, a level mark
constexpr u32 kFkeyEnd = 0xFFFFFFFFu;   // -1, end of the entries in use

// GetKey menu-key mask bits.
enum KeyMenuMaskBit : u16 {
  kMaskOpt = 1,
  kMaskVars = 2,
  kMaskShiftVars = 4,
  kMaskClip = 16,
  kMaskShiftGroup = 32,
  kMaskAlphaGroup = 64,
  kMaskCatalog = 128,
};

// ---- stack and levels ----
u32 FkeyPush(u32 id);
void FkeyPushMark();
void FkeyPushHistory(u32 id);
void FkeyPushLevel(u32 id);
void FkeyPopLevel();
i32 FkeyStackOp(u32 mode);
i32 FkeyTop();
i32 FkeyPop();
i32 FkeyBack();
i32 FkeyLeaveLevel();
void FkeyBackToLevelRoot();
u32 FkeyReplaceLevelMenu(u32 id);
u32 FkeySetLevelMenu(u32 id);
void FkeyRestoreLevelRoot();
u32 FkeyLevelRoot();
u32 FkeyLevelCount();
void FkeyClearStack();
i32 FkeyPopRange(u32 lo, u32 hi);
i32 FkeyPopAlphaMenus();
i32 FkeyPopShiftMenus();
void FkeyResetStack();
// The menu the key reader and the row act on: the top, or the current
// level's root when the top is a level mark or the stack is empty.
u32 FkeyCurrentMenu();
// The stack entries in use (for inspection), count written to *count.
const u32 *FkeyStackEntries(u32 *count);

// The whole stack with its levels, saved around a screen that builds a menu
// stack of its own.
struct FkeyStackState {
  u32 stack[kFkeyStackSize + 1];
  u32 history[kFkeyStackSize];
  u32 levelCount;
};
void FkeySaveStack(FkeyStackState *out);
void FkeyRestoreStack(const FkeyStackState *in);

// ---- pages ----
void FkeySetPage(i32 id, const FkeyItem *page);
u32 FkeyGetPage(i32 id, FkeyItem out[6]);
// The page installed for id (the blank page included), or null.
const FkeyItem *FkeyPageOf(i32 id);
void FkeySavePages(i32 first, i32 last, const FkeyItem **out);
void FkeyRestorePages(i32 first, i32 last, const FkeyItem *const *in);
// The variant words of the six menu groups; FkeyRestoreGroups takes the
// saved array back and rebuilds every group with its variant.
void FkeySaveGroups(u16 out[6]);
void FkeyRestoreGroups(const u16 in[6]);
void FkeyBuildShiftVarsGroup(u16 variant);
void FkeyBuildVarsGroup(u16 variant);
void FkeyBuildOptGroup(u16 variant);
void FkeyBuildAlphaGroup(u16 variant);
void FkeyBuildShiftGroup(u16 variant);
void FkeyBuildClipGroup(u16 variant);
// The SHIFT group's pages for a variant written to out (up to 21 pages of
// six entries); returns the number of pages.
u32 FkeyShiftGroupPages(u16 variant, FkeyItem *out);
void FkeyOpenShiftVarsGroup();
void FkeyOpenVarsGroup();
void FkeyOpenOptGroup();
void FkeyOpenClipGroup();
void FkeyOpenShiftGroup();
void FkeyOpenAlphaGroup();

// ---- masks, switches, user icons ----
u16 KeyGetMenuMask();
void KeySetMenuMask(u16 mask);
void KeyAddMenuMask(u16 bits);
void KeyRemoveMenuMask(u16 bits);
void KeyClearMenuMask();
// The open-pop-up mask (the bits themselves are set and cleared by
// PopupOpen / PopupClose and PopupMarkOpen / PopupMarkClosed of ui/text.h).
u32 PopupMarkGet();
void PopupMarkClearAll();
void FkeySetUserIcon(i32 slot, const u8 *bitmap);
// The bitmap of user icon slot 1-24; null for another slot.
const u8 *FkeyUserIcon(i32 slot);
void FkeyClearAll();
void FkeyResetGroups();
u32 SysIsStarted();
void SysSetStarted(u32 started);

// ---- row, icons, captions ----
void FkeyDrawRow();
void FkeyDrawIcon(i32 key, const u8 *bitmap);
u32 FkeyIconBitmap(i32 icon, const u8 **out);
// Caption of an icon; the empty text for a number outside 0-1013.
const char *FkeyLabelText(u32 icon);
void FkeyHideRow(u32 hide);
// The row-drawing switch: 1 draws, 0 does not.
u8 FkeyRowSwitch();
// The icon number an entry shows (group form -n-1 resolved), or -1 for a
// user icon or no icon.
i32 FkeyEntryIcon(i32 id, const FkeyItem &item);
