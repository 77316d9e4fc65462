// The statistics application's entry and the list editor's key loop: the
// cursor over the 26 lists, the function-key tree and every key's action.
#include "apps/stat/stat_app.h"

#include <cstring>

#include "apps/calc/runmat_glue.h"
#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cmd.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_editor.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_glue.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/apps.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "number/numtext.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"
#include "ui/value_keys.h"

namespace {
constexpr u16 kEditorMask = 0;
constexpr i32 kPageCount = 23;

enum EditorCode : u32 {
  kCodeDel = 1,
  kCodeDelAll = 2,
  kCodeIns = 3,
  kCodeGrp1 = 5,
  kCodeSel = 8,
  kCodeGraphSet = 9,
  kCodeOneVar = 10,
  kCodeCalcSet = 13,
  kCodeLgst = 23,
  kCodeEdit = 24,
  kCodeSortUp = 26,
  kCodeSortDown = 27,
  kCodeTop = 28,
  kCodeBottom = 29,
};

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem O(i16 icon, u32 page) { return {icon, kFkeySubMenu, page}; }
constexpr FkeyItem N(u32 page) { return {6, kFkeySibling, page}; }

// The editor's menu tree, pages 0..22 (page 0 empty, page 1 the root).
const FkeyItem kPages[kPageCount][6] = {
    {B, B, B, B, B, B},
    {O(1, 3), O(2, 4), O(3, 8), O(4, 11), O(5, 14), N(2)},
    {O(284, 7), K(42, kCodeEdit), K(9, kCodeDel), K(260, kCodeDelAll), K(11, kCodeIns), N(1)},
    {K(12, 5), K(13, 6), K(14, 7), K(15, kCodeSel), B, K(16, kCodeGraphSet)},
    {K(20, kCodeOneVar), K(21, 12), O(22, 5), B, B, K(16, kCodeCalcSet)},
    {K(31, 14), K(32, 15), K(33, 16), K(34, 17), K(35, 18), N(6)},
    {K(36, 19), K(37, 20), K(38, 21), K(39, 22), K(40, kCodeLgst), N(5)},
    {K(7, kCodeSortUp), K(8, kCodeSortDown), K(393, kCodeTop), K(394, kCodeBottom), B, B},
    {O(819, 9), O(820, 10), K(821, 50), K(822, 51), K(823, 52), B},
    {K(830, 53), K(831, 54), K(832, 55), K(833, 56), B, B},
    {K(830, 57), K(831, 58), K(834, 59), B, B, B},
    {O(819, 12), O(820, 13), B, B, B, B},
    {K(830, 61), K(831, 62), K(832, 63), K(833, 64), B, B},
    {K(830, 65), K(831, 66), B, B, B, B},
    {O(824, 16), O(820, 17), O(825, 18), O(826, 19), O(827, 20), N(15)},
    {O(828, 21), O(829, 22), B, B, B, N(14)},
    {K(835, 67), K(836, 68), K(837, 69), B, B, B},
    {K(838, 70), K(839, 71), B, B, B, B},
    {K(840, 72), K(841, 73), B, B, B, B},
    {K(842, 74), K(843, 75), B, B, B, B},
    {K(844, 76), K(845, 77), B, B, B, B},
    {K(846, 78), K(847, 79), B, B, B, B},
    {K(848, 80), K(849, 81), B, B, B, B},
};
// Page 2 without its way back to page 1 (modes 2 and 10).
const FkeyItem kToolRootPage[6] = {O(284, 7), K(42, kCodeEdit), K(9, kCodeDel), K(260, kCodeDelAll), K(11, kCodeIns), B};

struct Editor {
  i32 firstList = 1;
  i32 curList = 1;
  i32 row = 1;
  i32 topRow = 1;
  i32 count = 0;
  i32 subNames = 0;
  i32 graphShown = 0;
  i32 bottomFormatted = 0;
  u8 savedListFile = 0;
  char bottomText[kNumTextSize + 4] = "";
  u16 mode = 0;
};

void StatEditorBuildMenus(u16 mode) {
  for (i32 p = 0; p < kPageCount; ++p) FkeySetPage(p, kPages[p]);
  if (mode == 2 || mode == 10) FkeySetPage(2, kToolRootPage);
}

i32 CountOf(i32 list) { return static_cast<i32>(ItemListSize(0, static_cast<u8>(list))); }

void StatEditorReset(Editor *e) {
  if (e->mode != 10) {
    FkeyBackToLevelRoot();
    FkeyRestoreLevelRoot();
    KeyForgetDrawnRow();
  }
  e->topRow = e->firstList = e->row = e->curList = 1;
  e->graphShown = 0;
}

// Moves the cursor up to the new list's append cell when it is shorter.
void StatClampRow(Editor *e) {
  e->count = CountOf(e->curList);
  if (e->row > e->count) {
    e->row = e->count + 1;
    e->topRow = e->count < 5 ? 1 : e->row - 4;
  }
}

// The bottom line: the sub-name right-aligned, or the element's value.
void RefreshBottom(Editor *e) {
  e->count = CountOf(e->curList);
  if (e->row > e->count || e->row == 0 || e->row == -1) {
    e->bottomText[0] = 0;
    if (e->row == -1) {
      char raw[9];
      ItemListGetSubName(0, static_cast<u8>(e->curList), raw);
      char wide[48];
      StrExpandTokens(raw, wide, 21);
      // Trailing blanks move to the front.
      i32 n = static_cast<i32>(std::strlen(wide));
      while (n > 0 && wide[n - 1] == ' ') wide[--n] = 0;
      std::strcpy(e->bottomText, wide);
    }
    return;
  }
  Value v;
  if (ItemListGet(0, static_cast<u8>(e->curList), static_cast<u32>(e->row), &v) != 0) {
    std::strcpy(e->bottomText, "Mem ERROR");
    return;
  }
  NumToText(&v, e->bottomText);
}

i32 Visible(const Editor &e) { return 5 - e.subNames; }

void KeyUp(Editor *e) {
  if (e->row == -1) {
    e->row = 0;
  } else if (e->row == 1 && e->subNames) {
    e->row = -1;
  } else if (e->row >= 2) {
    if (e->row == e->topRow && e->topRow > 1) --e->topRow;
    --e->row;
  } else if (e->row == 1) {
    e->row = 0;
  } else {
    e->row = e->count + 1 > kStatMaxRow ? kStatMaxRow : e->count + 1;
    const i32 vis = Visible(*e);
    e->topRow = e->row > vis ? e->row - (vis - 1) : 1;
  }
}

void KeyDown(Editor *e) {
  if (e->row == -1) {
    e->row = 1;
  } else if (e->row == 0) {
    e->row = e->subNames ? -1 : 1;
  } else if (e->row >= e->count + 1 || e->row >= kStatMaxRow) {
    e->row = 0;
    e->topRow = 1;
  } else {
    ++e->row;
    if (e->row > e->topRow + Visible(*e) - 1) ++e->topRow;
  }
}

void KeyLeftRight(Editor *e, bool right) {
  if (right ? e->curList >= kStatListCount : e->curList <= 1) return;
  e->curList += right ? 1 : -1;
  if (e->curList < e->firstList) e->firstList = e->curList;
  if (e->curList > e->firstList + 3) e->firstList = e->curList - 3;
  StatClampRow(e);
}

void KeyDelete(Editor *e) {
  if (e->row == -1) {
    if (e->count > 0) ItemListSetSubName(0, static_cast<u8>(e->curList), "");
    return;
  }
  if (e->row < 1 || e->row > e->count) return;
  ItemListDeleteElement(0, static_cast<u8>(e->curList), static_cast<u32>(e->row));
  HostClearKeyQueue();
  e->graphShown = 0;
  if (e->row == e->count && e->row != 1) {
    if (e->row == e->topRow && e->topRow > 1) --e->topRow;
    --e->row;
  }
}

void KeyInsert(Editor *e) {
  if (e->row < 1 || e->count >= kStatMaxRow) return;
  Value zero{};
  if (ItemListInsert(0, static_cast<u8>(e->curList), static_cast<u32>(e->row), &zero) != 0) ErrBox(kStatErrMemory);
  e->graphShown = 0;
}

void KeyBottom(Editor *e) {
  e->row = e->count + 1 > kStatMaxRow ? kStatMaxRow : e->count + 1;
  e->topRow = e->row > 5 ? e->row + e->subNames - 4 : 1;
}

// A GRPH or CALC menu result as the editor takes it.
void TakeMenuResult(Editor *e, i32 r) {
  if (r == -21 || r == -27) e->graphShown = 0;
  else if (r == -23) e->graphShown = 1;
  else if (r == -22) StatEditorReset(e);
}

i32 RunCell(Editor *e, u32 typed, u32 key) {
  i32 rowVar = e->row;
  const i32 r = StatEditCell(typed, &key, e->firstList, &e->topRow, e->curList, &rowVar, &e->count);
  e->row = rowVar;
  if (r == 0) e->graphShown = 0;
  else if (r == -1) StatEditorReset(e);
  return r;
}

// After every key: the cursor within the list and in view.
void Settle(Editor *e) {
  e->subNames = SetupGetItem(kSetupSubName) == 0 ? 1 : 0;
  if (!e->subNames && e->row == -1) e->row = 1;
  if (e->topRow > e->subNames + 996) e->topRow = e->subNames + 996;
  if (e->row >= 1 && e->topRow < e->row - (4 - e->subNames)) e->topRow = e->row - (4 - e->subNames);
  if (e->row >= 1 && e->row < e->topRow) e->topRow = e->row;
  if (e->topRow < 1) e->topRow = 1;
  e->count = CountOf(e->curList);
  if (e->row > e->count && e->row != 0) {
    e->row = e->count + 1 > kStatMaxRow ? kStatMaxRow : e->count + 1;
    e->topRow = e->row > 5 - e->subNames ? e->row - (4 - e->subNames) : 1;
  }
}

// Acts on one key code; true when the editor leaves (mode 10).
bool Dispatch(Editor *e, u32 key, i32 *result) {
  switch (key) {
    case kKeyUp: KeyUp(e); break;
    case kKeyDown: KeyDown(e); break;
    case kKeyLeft: KeyLeftRight(e, false); break;
    case kKeyRight: KeyLeftRight(e, true); break;
    case kCodeTop:
      e->row = 1;
      e->topRow = 1;
      break;
    case kCodeBottom: KeyBottom(e); break;
    case kCodeDel: KeyDelete(e); break;
    case kCodeDelAll:
      if (StatDeleteListConfirm(e->curList) == 0) {
        e->row = e->topRow = 1;
        e->graphShown = 0;
      }
      break;
    case kCodeIns: KeyInsert(e); break;
    case kCodeEdit:
      if ((e->row >= 1 && e->row <= e->count) || e->row == -1) RunCell(e, 0, kKeyRight);
      break;
    case kCodeSortUp:
    case kCodeSortDown:
      e->graphShown = 0;
      StatSortListsDialog(key);
      break;
    case kKeyXThetaT: RunCell(e, 1, e->row == -1 ? u32{'X'} : RunMatGlueGraphVarChar()); break;
    case kKeyVWindow:
      if (VwinScreen(0) == 0) e->graphShown = 0;
      break;
    case kKeySetup: {
      u32 changed = 0;
      SetupScreen("@STAT", &changed);
      if (changed == 1) e->graphShown = 0;
      break;
    }
    case kKeyGraphTable:
      if (e->graphShown) TakeMenuResult(e, StatMenuCommand(0, 0));
      break;
    case kKeyExit:
      *result = -2;
      return e->mode == 10;
    case kKeyQuit:
      StatEditorReset(e);
      *result = -1;
      return e->mode == 10;
    default:
      if (key >= kCodeGrp1 && key <= kCodeLgst) {
        TakeMenuResult(e, StatMenuCommand(key, 0));
      } else if ((key >= 50 && key <= 59) || (key >= 61 && key <= 81)) {
        FkeyBackToLevelRoot();
        KeyForgetDrawnRow();
        e->graphShown = 0;
        if (StatRunCommand(key) == -1) StatEditorReset(e);
      }
      break;
  }
  return false;
}

// F<>D and the other value keys: the element in another form on the
// bottom line until the next key.
bool ConvertBottom(Editor *e, u32 key) {
  if (!KeyIsValueConversion(key)) return false;
  if (e->row < 1 || e->row > e->count) return true;
  Value v;
  if (ItemListGet(0, static_cast<u8>(e->curList), static_cast<u32>(e->row), &v) != 0) return true;
  char text[kNumTextSize];
  if (KeyConvertValue(key, &v, text)) {
    std::strncpy(e->bottomText, text, sizeof e->bottomText - 1);
    e->bottomText[sizeof e->bottomText - 1] = 0;
    e->bottomFormatted = 1;
  }
  return true;
}

}  // namespace

i32 StatListEditor(u32, u16 mode) {
  Editor e;
  e.mode = mode;
  const u16 mask = KeyGetMenuMask();
  u16 groups[6];
  const FkeyItem *saved[kPageCount];
  FkeySaveGroups(groups);
  FkeySavePages(0, kPageCount - 1, saved);
  StatEditorBuildMenus(mode);
  if (mode == 10) {
    FkeyPushLevel(2);
  } else {
    FkeyClearStack();
    FkeyPushLevel(mode == 2 ? 2 : 1);
  }
  KeySetMenuMask(kEditorMask);
  KeyForgetDrawnRow();
  e.savedListFile = SetupGetItem(kSetupListFile);
  e.subNames = SetupGetItem(kSetupSubName) == 0 ? 1 : 0;
  bool first = mode == 1;
  i32 result = 0;
  for (;;) {
    if (first) {
      first = false;
      TakeMenuResult(&e, StatMenuCommand(kCodeSel, 1));
    }
    FkeyBuildShiftGroup(e.graphShown ? 6 : 2);
    if (SetupGetItem(kSetupListFile) != e.savedListFile) {
      StatEditorReset(&e);
      e.savedListFile = SetupGetItem(kSetupListFile);
    }
    Settle(&e);
    if (!e.bottomFormatted) RefreshBottom(&e);
    e.bottomFormatted = 0;
    TextCursorOff();
    StatDrawListTable(e.firstList, &e.topRow, e.curList, e.row, e.bottomText);
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key) != 0) {
      if (key != 13 && key != 14) RunCell(&e, 1, key);
      Settle(&e);
      continue;
    }
    if (ConvertBottom(&e, key)) {
      Settle(&e);
      continue;
    }
    if (Dispatch(&e, key, &result)) break;
    Settle(&e);
  }
  FkeyPopLevel();
  FkeyRestoreGroups(groups);
  FkeyRestorePages(0, kPageCount - 1, saved);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return result;
}

i32 StatRunMode10() { return StatListEditor(0, 10); }

u32 StatAppMain(u32 fromMainMenu, u16 submode) {
  const u16 mode = fromMainMenu != 0 || submode == 1 ? 0 : submode == 0 ? 1 : 2;
  StatListEditor(0, mode);
  return 0;
}

i32 StatDrawGraphsCode(i16 *graphCond, u32 direct) {
  const i32 r = StatGraphScreen(graphCond, direct);
  if (r == 0) {
    StatClearResultLists();
    return -21;
  }
  if (r == -27 || r == -22 || r == -21) {
    StatClearResultLists();
    return r;
  }
  return r == -23 ? r : -22;
}

i32 StatMenuCommand(u32 code, i32 direct) {
  u16 graph[kStatGraphWords];
  u16 calc[kStatCalcCondWords];
  if (StatLoadGraphCond(graph) != 0 || StatLoadCalcCond(calc) != 0) {
    ErrBox(kStatErrMemory);
    return -21;
  }
  i16 *cond = reinterpret_cast<i16 *>(graph);
  if (code == 0) return StatDrawGraphsCode(cond, 0);
  graph[0] = 0;
  graph[28] = 0;
  StatWriteGraphCond(graph);
  if (code >= 5 && code <= 7) {
    for (u32 b = 1; b <= 3; ++b) graph[7 * b] = b == code - 4 ? 1 : 0;
    StatWriteGraphCond(graph);
    return StatDrawGraphsCode(cond, 1);
  }
  if (code == kCodeSel) {
    if (direct) return StatDrawGraphsCode(cond, 1);
    const i32 r = StatGraphSelectScreen(graph, nullptr);
    if (r == -10) return StatDrawGraphsCode(cond, 1);
    return r == -1 ? -22 : -21;
  }
  if (code == kCodeGraphSet) return StatGraphSetupScreen(graph, nullptr) == -1 ? -22 : -21;
  if (code == kCodeCalcSet) return StatCalcSetupScreen(calc, nullptr) == -1 ? -22 : -21;
  static const u16 kTypes[] = {20, 19, 21, 0, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
  if (code < 10 || code > 23 || kTypes[code - 10] == 0) return -21;
  const i32 r = StatRunCalcMenu(kTypes[code - 10], 0);
  if (r == -15) return -29;
  if (r == -1) return -22;
  return -21;
}

i32 StatRunCalcMenu(u16 calcType, u32 sheet) {
  u16 cond[kStatCalcCondWords];
  if (StatLoadCalcCond(cond) != 0) {
    StatDeleteResultList();
    StatDeleteModeList();
    ErrBox(kStatErrMemory);
    return -2;
  }
  cond[kCondType] = calcType;
  StatWriteCalcCond(cond);
  u32 busy = 0;
  LcdBusySave(&busy);
  LcdShowBusyIndicator();
  KeyBreakArm();
  u32 err = 0;
  const i32 r = StatCalcRun(reinterpret_cast<const i16 *>(cond), &err, 0, static_cast<int>(sheet));
  LcdBusyRestore(&busy);
  if (r == -2) {
    StatDeleteResultList();
    StatDeleteModeList();
    ErrBox(static_cast<i32>(err != 0 ? err : kStatErrMemory));
    return -2;
  }
  return StatCalcResultScreen(calcType, &err, static_cast<int>(sheet));
}
