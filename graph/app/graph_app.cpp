// GRAPH and TABLE: the graph-function list and its keys, from which the
// graph screen and the table screen are opened.
#include <cstring>

#include "apps/system/basetool.h"
#include "graph/app/graph_app.h"
#include "graph/app/graph_fmem.h"
#include "graph/app/graph_funcs.h"
#include "graph/app/graph_list.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/apps.h"
#include "kernel/task.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"

namespace {

// Key codes of the list's pages.
enum ListKey : u32 {
  kSel = 1,
  kDraw = 5,
  kDelete = 7,
  kTypeFirst = 10,
  kTypeLast = 17,
  kConvFirst = 18,
  kConvLast = 22,
  kGmemStore = 23,
  kGmemRecall = 24,
  kStyleFirst = 30,
  kStyleLast = 35,
  kTableSet = 40,
  kTableShow = 41,
};

enum ListMode : i32 {
  kModeEditor = 0,
  kModeDrawFirst = 1,
  kModeTableEditor = 2,
};

constexpr u16 kListMask = 68;
constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem Sub(i16 icon, u32 id) { return {icon, kFkeySubMenu, id}; }
constexpr FkeyItem Sib(u32 id) { return {6, kFkeySibling, id}; }

const FkeyItem kGraphPages[6][6] = {
    {K(55, kSel), K(56, kDelete), Sub(57, 1), Sub(1012, 4), Sub(59, 3), K(19, kDraw)},
    {K(61, 10), K(62, 11), K(63, 12), K(64, 13), Sub(106, 5), Sib(2)},
    {K(65, 14), K(66, 15), K(67, 16), K(68, 17), B, Sib(1)},
    {K(69, kGmemStore), K(70, kGmemRecall), B, B, B, B},
    {K(977, 30), K(978, 31), K(979, 32), K(982, 35), B, B},
    {K(127, 18), K(128, 19), K(129, 20), K(130, 21), K(131, 22), B},
};
const FkeyItem kTablePages[6][6] = {
    {K(55, kSel), K(56, kDelete), Sub(57, 1), Sub(1012, 4), K(16, kTableSet), K(135, kTableShow)},
    {K(61, 10), K(62, 11), K(63, 12), Sub(106, 5), B, B},
    {B, B, B, B, B, B},
    {B, B, B, B, B, B},
    {K(977, 30), K(978, 31), K(979, 32), K(982, 35), B, B},
    {K(127, 18), K(128, 19), K(129, 20), K(130, 21), K(131, 22), B},
};

const u8 kStyles[6] = {2, 3, 5, 6, 7, 8};
const u16 kConvTypes[5] = {264, 408, 392, 440, 424};

struct Editor {
  bool table;
  bool drawn;
  GraphListCursor cur;
  char title[32];
};

void AfterLineEdit(Editor *ed, i32 r) {
  if (r == -1) GraphListCursorHome(&ed->cur);
  if (r == 0) ed->drawn = false;
  FkeyBackToLevelRoot();
}

void Draw(Editor *ed, u32 key) {
  FkeyBackToLevelRoot();
  if (BaseToolCheckGate()) {
    BaseToolMain();
    LcdClearVram();
    return;
  }
  ed->drawn = true;
  const i32 mode = key == kKeyGraphTable ? i32{kGraphShowLast} : ed->table ? i32{kGraphShowTable}
                                                                          : i32{kGraphDrawFuncs};
  i32 err = 0;
  const i32 r = GraphScreenEntry(mode, &err);
  if (r == -1) GraphListCursorHome(&ed->cur);
  if (GmemReadGraphMode() == 0) ed->drawn = false;
  LcdClearVram();
  TableScreenTitle(ed->title);
  GraphDrawFuncList(ed->title, &ed->cur);
  KeyForgetDrawnRow();
  FkeyDrawRow();
  if (err != 0) {
    ed->drawn = false;
    ErrBox(err);
  }
}

void HandleKey(Editor *ed, u32 key) {
  GraphListCursor &c = ed->cur;
  const i32 n = c.slot;
  if (key >= kTypeFirst && key <= kTypeLast) {
    GraphSelectFuncType(key - kTypeFirst);
    c.topPart = c.part = 0;
    c.top = c.slot;
    ed->drawn = false;
    FkeyPopLevel();
    FkeyPushLevel(0);
    return;
  }
  if (key >= kConvFirst && key <= kConvLast) {
    if (GraphConvertFuncType(n, kConvTypes[key - kConvFirst])) {
      ed->drawn = false;
      FkeyBackToLevelRoot();
    }
    return;
  }
  if (key >= kStyleFirst && key <= kStyleLast) {
    if (GraphFuncTextLength(n) != 0) {
      GmemSetFuncKind(n, kStyles[key - kStyleFirst]);
      ed->drawn = false;
    }
    return;
  }
  switch (key) {
    case kSel: {
      if (GraphFuncTextLength(n) == 0) return;
      if (ed->table) {
        GmemSetFuncFlags(n, !GmemTestFuncFlags(n, kGraphSelTable), kGraphSelTable);
      } else {
        ed->drawn = false;
        if (GmemTestFuncFlags(n, kGraphSelGraph | kGraphSelRight)) {
          GmemSetFuncFlags(n, 0, kGraphSelGraph | kGraphSelRight);
        } else {
          GmemSetFuncFlags(n, !GmemTestFuncFlags(n, kGraphSelGraph), kGraphSelGraph);
        }
        GmemDeleteGraphRecord();
      }
      return;
    }
    case kDelete:
    case kKeyDel: {
      const u16 before = GraphSlotType(n);
      if (GraphDeleteFuncConfirm(n) != 0) return;
      ed->drawn = false;
      if (GraphSlotType(n) != before) {
        c.part = 0;
        if (c.slot == c.top) c.topPart = 0;
      }
      return;
    }
    case kGmemStore:
      GraphMemPopup(0);
      return;
    case kGmemRecall:
      if (GraphMemPopup(1) == 0) {
        ed->drawn = false;
        GraphListCursorHome(&c);
      }
      return;
    case kTableSet:
      FkeyBackToLevelRoot();
      ed->drawn = false;
      if (TableSettingScreen() == -1) GraphListCursorHome(&c);
      LcdClearVram();
      return;
    case kDraw:
    case kTableShow:
    case kKeyExe:
    case kKeyGraphTable:
      Draw(ed, key);
      return;
    case kKeyXThetaT: {
      const u16 t = GraphSlotType(n);
      const u32 ch = t == kGraphFuncParam ? 'T' : t == kGraphFuncR ? 0xCE : 'X';
      AfterLineEdit(ed, GraphEditFuncLine(ch, 1, ed->title, &c));
      return;
    }
    case kKeyUp:
    case kKeyDown:
      GraphFuncListKeys(&c, key);
      return;
    case kKeyRight:
      AfterLineEdit(ed, GraphEditFuncLine(kKeyRight, 0, ed->title, &c));
      return;
    case kKeyQuit:
      GraphListCursorHome(&c);
      return;
    case kKeyVWindow: {
      const i32 mode = ed->table ? i32{kVwinModeSingle}
                                 : SetupGetItem(kSetupDualScreen) == 0 ? i32{kVwinModeLeft} : i32{kVwinModeSplit};
      if (VwinScreen(mode) == 0) ed->drawn = false;
      LcdClearVram();
      return;
    }
    case kKeySetup: {
      u32 changed = 0;
      char app[9] = {};
      SysGetAppName(app);
      SetupScreen(app, &changed);
      if (changed) {
        ed->drawn = false;
        GmemForgetGraphTable();
      }
      LcdClearVram();
      return;
    }
    case kKeyFmemSee:
      if (GraphFmemListPopup() == kGraphFmemAskFn) AfterLineEdit(ed, GraphEditFuncLine(0xF91B, 1, ed->title, &c));
      return;
    default:
      return;
  }
}

}  // namespace

[[noreturn]] void GraphFuncListEditor(u32 fromMainMenu, i32 mode) {
  (void)fromMainMenu;
  KeySetMenuMask(kListMask);
  Editor ed{};
  char app[9] = {};
  SysGetAppName(app);
  ed.table = std::strcmp(app, "@TABLE") == 0;
  if (ed.table && SetupGetItem(kSetupFuncType) > 2) SetupSetItem(kSetupFuncType, 0);
  const FkeyItem(*pages)[6] = ed.table ? kTablePages : kGraphPages;
  for (i32 id = 0; id < 6; ++id) FkeySetPage(id, pages[id]);
  FkeyClearStack();
  FkeyPushLevel(0);
  FkeyBuildOptGroup(2);
  FkeyBuildVarsGroup(2);
  GmemForgetGraphTable();
  bool firstPass = true;
  GraphListCursorHome(&ed.cur);
  LcdClearVram();
  for (;;) {
    FkeyBuildShiftGroup(2);
    if (mode == kModeDrawFirst && firstPass) {
      firstPass = false;
      Draw(&ed, kDraw);
    }
    TableScreenTitle(ed.title);
    GraphDrawFuncList(ed.title, &ed.cur);
    u32 key = 0;
    if (KeyGetKey(&key) != 0) {
      AfterLineEdit(&ed, GraphEditFuncLine(key, 1, ed.title, &ed.cur));
      continue;
    }
    HandleKey(&ed, key);
  }
}

u32 GraphAppMain(u32 fromMainMenu, u16 submode) {
  i32 mode = kModeEditor;
  if (!fromMainMenu) mode = submode == 1 ? kModeEditor : submode == 2 ? kModeTableEditor : kModeDrawFirst;
  GraphFuncListEditor(fromMainMenu, mode);
}
