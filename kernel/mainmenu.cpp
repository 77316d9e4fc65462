// The main menu: draws the icon pages and starts the application chosen.
#include "kernel/mainmenu.h"

#include <cstring>

#include "data/menu_icons.h"
#include "kernel/apps.h"
#include "kernel/boot.h"
#include "kernel/task.h"
#include "kernel/task_glue.h"
#include "ui/keycodes.h"

namespace {

constexpr u16 kIconTop = 7;      // first pixel row of the icon rows
constexpr u16 kCellHeight = 19;  // pixel rows of one icon cell
constexpr u16 kCellWidth = 30;

u16 Cursor() { return SysGetRequestedMain().id; }

void SetCursor(u16 id) {
  SysAppPair pair = SysGetRequestedMain();
  pair.id = id;
  SysSetRequestedMain(pair);
}

void OrPixel(u8 *vram, u32 x, u32 y) {
  if (x < 128 && y < 64) vram[y * 16 + x / 8] |= static_cast<u8>(0x80 >> (x % 8));
}

void LeaveMenu() {
  SysSetInMainMenu(0);
  SysSetKernelState(SysGetSavedState());
  SysGlueClearKeyQueue();
}

// Launches application `index` from the menu. Comes back only when it is
// the application already running (the menu is then left).
void Launch(u16 index) {
  SysSetInMainMenu(0);
  SysSetKernelState(SysGetSavedState());
  SysMenuLaunch(index);
  LeaveMenu();
}

}  // namespace

u32 SysMainMenuCount() { return kSysMainMenuCount; }

u32 SysMenuLaunch(u16 id) { return SysRunApp(0, 0, id, 0); }

u32 SysMenuKeyIndex(u32 code) {
  switch (code) {
    case 14: code = 'L'; break;
    case 40: code = 'I'; break;
    case 41: code = 'J'; break;
    case 44: code = 'K'; break;
    case 129: code = 'D'; break;
    case 130: code = 'E'; break;
    case 131: code = 'F'; break;
    case 133: code = 'C'; break;
    case 149: code = 'B'; break;
    default: break;
  }
  if (code >= '1' && code <= '9') return code - '1';
  if (code >= 'A' && code <= 'Z') return code - 'A' + 9;
  return code;
}

void SysDrawMenuIcon(u16 position, u32 normal, u16 last) {
  const u16 index = static_cast<u16>(position + SysGetMenuTopRow() * 4);
  if (index > last || position > 11) return;
  const SysMainMenuEntry *row = SysMainMenuRow(index);
  u32 cell[kCellHeight] = {};
  for (int r = 0; r < kMenuIconRows; ++r) cell[r + 1] = row != nullptr && row->icon != nullptr ? row->icon[r] : 0;
  cell[kCellHeight - 1] = 0x7FFFFFF8u;  // the bottom line, pixels 1-28
  const u8 *mask = kMenuLabelMasks[index < 35 ? index : 35];
  // The label is cut into the last byte of cell rows 13-17 (pixels 24-31).
  for (int r = 13; r <= 17; ++r) cell[r] &= 0xFFFFFF00u | mask[r - 13];
  if (normal == 0) {
    for (u32 &bits : cell) bits ^= 0xFFFFFFFCu;
  }
  u8 *vram = SysGlueVram();
  const u32 x0 = (position % 4) * kCellWidth;
  const u32 y0 = kIconTop + (position / 4) * kCellHeight;
  for (u32 r = 0; r < kCellHeight; ++r) {
    for (u32 c = 0; c < kCellWidth; ++c) {
      if ((cell[r] >> (31 - c)) & 1) OrPixel(vram, x0 + c, y0 + r);
    }
  }
}

void SysDrawMenuPage(u16 last) {
  u8 *vram = SysGlueVram();
  std::memset(vram, 0, 1024);
  std::memcpy(vram, kMenuHeading, sizeof kMenuHeading);
  const u16 cursor = Cursor();
  u16 top = SysGetMenuTopRow();
  if (cursor < top * 4) top = cursor / 4;
  if (cursor > top * 4 + 11) top = static_cast<u16>(cursor / 4 - 2);
  SysSetMenuTopRow(top);
  for (u16 position = 0; position < 12; ++position) {
    SysDrawMenuIcon(position, position + top * 4 == cursor ? 0 : 1, last);
  }
  static const u8 kUp[] = {0xE6, 0x92, 0};
  static const u8 kDown[] = {0xE6, 0x93, 0};
  if (top != 0) SysGlueTextAt(21, 2, kUp);
  if (top * 4 + 12 <= last) SysGlueTextAt(21, 8, kDown);
}

void SysMainMenu() {
  SysSetKernelState(3);
  SysSetInMainMenu(1);
  SetCursor(SysGetRunningMain().id);
  const u16 last = kSysMainMenuCount - 1;
  if (Cursor() > last) SetCursor(0);
  SysGlueTextCursorOff();
  for (;;) {
    SysDrawMenuPage(last);
    SysGlueShowScreen();
    u32 code = 0;
    const u32 is_char = SysGlueGetKey(&code);
    const u16 cursor = Cursor();
    if (is_char == 0) {
      if (code == kKeyXThetaT) {  // its letter under ALPHA
        code = 'A';
      } else if (code == kKeyFracDec) {  // likewise
        code = 'H';
      } else {
        switch (code) {
          case kKeyLeft:
            if (cursor > 0) SetCursor(cursor - 1);
            break;
          case kKeyRight:
            if (cursor < last) SetCursor(cursor + 1);
            break;
          case kKeyDown:
            if (cursor + 4 <= last) {
              SetCursor(cursor + 4);
            } else if (cursor / 4 < last / 4) {
              SetCursor(last);
            }
            break;
          case kKeyUp:
            if (cursor >= 4) SetCursor(cursor - 4);
            break;
          case kKeyExe:
            Launch(cursor);
            return;
          case kKeyMenu:
            if (SysInMainMenu() == 1) {
              LeaveMenu();
              return;
            }
            break;
          case kKeyShift:
            SysGlueSetModifier(SysGlueGetModifier() & 1);
            break;
          case kKeyBackupMain:
          case kKeyRestoreMain:
            SysGlueHostBackup(code == kKeyRestoreMain);
            break;
          default:
            break;
        }
        continue;
      }
    }
    if (code == 187) code = 'G';
    const u32 index = SysMenuKeyIndex(code);
    if (index <= last) {
      SysCheckBattery(0);
      Launch(static_cast<u16>(index));
      return;
    } else {
      SysGlueSetModifier(0);
    }
  }
}

void SysMenuRound() {
  SysGlueCursor cursor;
  SysGlueSaveCursor(&cursor);
  const u8 shown = SysGlueGraphCursorShown();
  SysGlueSetGraphCursorShown(0);
  const u8 modifier = SysGlueGetModifier();
  SysGlueSetModifier(0);
  const u16 mask = SysGlueMenuMask();
  SysGlueSetMenuMask(128);
  const u8 link = SysGetLinkState();
  if ((link & 0x60) == 0) SysSetLinkState(0);
  u8 screen[1024];
  SysGlueCopyScreen(screen, false);
  SysMainMenu();
  SysGlueCopyScreen(screen, true);
  SysGlueShowScreen();
  SysSetLinkState(link);
  SysGlueSetModifier(modifier);
  SysGlueSetMenuMask(mask);
  SysGlueRestoreCursor(&cursor);
  SysGlueSetGraphCursorShown(shown);
}
