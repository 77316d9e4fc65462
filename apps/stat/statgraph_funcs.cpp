// DEFG on the StatGraph screen: the graph-function list from which Y=
// functions are chosen (SEL), deleted, given a line style and edited, and
// drawn over the statistical graphs.
#include <cstring>

#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/statgraph.h"
#include "graph/app/graph_fmem.h"
#include "graph/app/graph_funcs.h"
#include "graph/app/graph_list.h"
#include "graph/app/graph_temp.h"
#include "graph/memory/gmem_func.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"

namespace {
constexpr i32 kFirstPage = 6;  // after the StatGraph screen's own pages
constexpr i32 kPageCount = 2;

enum FuncKey : u32 { kSel = 1, kDelete = 2, kDraw = 4, kStyleFirst = 30, kStyleLast = 35 };

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }

// The root page and the line styles (Normal, Thick, Broken, Dot).
const FkeyItem kPages[kPageCount][6] = {
    {K(55, kSel), K(56, kDelete), {622, kFkeyInput, 0x7FF0}, {1012, kFkeySubMenu, kFirstPage + 1}, K(19, kDraw), B},
    {K(977, 30), K(978, 31), K(979, 32), K(982, 35), B, B},
};

u8 StyleOfCode(u32 code) {
  switch (code) {
    case 30: return 2;
    case 31: return 3;
    case 32: return 5;
    case 35: return 8;
    default: return 0;
  }
}

// The menus and the root-row hook of the StatGraph screen, put aside while
// the list is shown.
struct Menus {
  u16 mask;
  const FkeyItem *pages[kPageCount];
  KeyRootRow hook;
  void Enter() {
    mask = KeyGetMenuMask();
    FkeySavePages(kFirstPage, kFirstPage + kPageCount - 1, pages);
    for (i32 p = 0; p < kPageCount; ++p) FkeySetPage(kFirstPage + p, kPages[p]);
    KeySetMenuMask(0);
    hook = KeySetRootRowHook({nullptr, nullptr});
    FkeyPushLevel(kFirstPage);
    KeyForgetDrawnRow();
  }
  void Leave() {
    FkeyPopLevel();
    KeySetRootRowHook(hook);
    FkeyRestorePages(kFirstPage, kFirstPage + kPageCount - 1, pages);
    KeySetMenuMask(mask);
    KeyForgetDrawnRow();
  }
};

bool IsYSlot(i32 n) { return GraphSlotType(n) == kGraphFuncY; }

// The line editor's result on the list: -1 (SHIFT+EXIT) leaves the screen.
bool EditLine(u32 key, u32 typed, const char *title, GraphListCursor *c) {
  const i32 r = GraphEditFuncLine(key, typed, title, c);
  FkeyBackToLevelRoot();
  return r == -1;
}

// The StatGraphs of cond drawn again (functions drawn before and since
// taken back leave no trace) with the selected functions over them: 0, or
// -11 after the error box (Condition ERROR when none is selected).
i32 DrawOver(const u16 cond[kStatGraphWords], GraphContext *ctx) {
  i16 graphs[kStatGraphWords];
  std::memcpy(graphs, cond, sizeof graphs);
  graphs[kStatFuncBlockFlag] = 0;
  u32 e = StatGraphRedraw(graphs, ctx);
  if (e == 0) e = GraphDrawTempFuncs(ctx);
  if (e != 0) {
    StatClearResultLists();
    ErrBox(static_cast<i32>(e));
    return -11;
  }
  GraphPrepareScreen(ctx);
  return 0;
}

}  // namespace

i32 StatGraphFuncScreen(GraphContext *ctx) {
  SetupSetItem(kSetupFuncType, 0);
  u16 cond[kStatGraphWords];
  if (StatLoadGraphCond(cond) != 0) {
    ErrBox(static_cast<i32>(kStatErrMemory));
    return -11;
  }
  Menus menus{};
  menus.Enter();
  GraphListCursor c;
  GraphListCursorHome(&c);
  char title[32];
  LcdClearVram();
  i32 result = 0;
  for (bool done = false; !done;) {
    TableScreenTitle(title);
    GraphDrawFuncList(title, &c);
    u32 key = 0;
    const i32 n = c.slot;
    if (KeyGetKey(&key) != 0) {
      // A typed character starts editing a Y= line; other slots refuse it.
      if (IsYSlot(n) && EditLine(key, 1, title, &c)) result = -1, done = true;
      continue;
    }
    if (key >= kStyleFirst && key <= kStyleLast) {
      const u8 style = StyleOfCode(key);
      if (style != 0 && GraphFuncTextLength(n) != 0) GmemSetFuncKind(n, style);
      FkeyBackToLevelRoot();
      continue;
    }
    switch (key) {
      case kSel:
        if (GmemReadFuncType(n) == kGraphFuncY && GraphFuncTextLength(n) != 0)
          GmemSetFuncFlags(n, GmemTestFuncFlags(n, kGraphSelStat) == 0 ? 1 : 0, kGraphSelStat);
        break;
      case kDelete:
      case kKeyDel: {
        const u16 before = GraphSlotType(n);
        const i32 r = GraphDeleteFuncConfirm(n);
        if (r == 0 && GraphSlotType(n) != before) GraphListCursorHome(&c);
        LcdClearVram();
        break;
      }
      case kKeyXThetaT:
        if (IsYSlot(n) && EditLine('X', 1, title, &c)) result = -1, done = true;
        break;
      case kKeyRight:
        if (IsYSlot(n) && EditLine(kKeyRight, 0, title, &c)) result = -1, done = true;
        break;
      case kKeyFmemSee:
        if (GraphFmemListPopup() == kGraphFmemAskFn && IsYSlot(n) && EditLine(0xF91B, 1, title, &c))
          result = -1, done = true;
        LcdClearVram();
        break;
      case kKeyUp:
      case kKeyDown:
        GraphFuncListKeys(&c, key);
        break;
      case kDraw:
      case kKeyExe:
        result = DrawOver(cond, ctx);
        done = true;
        break;
      case kKeySetup:
        if (GraphRunSetup() != 0) result = -11, done = true;
        LcdClearVram();
        break;
      case kKeyVWindow:
        if (GraphOpenVwinScreen(0) == 1) result = -11, done = true;
        LcdClearVram();
        break;
      case kKeyExit:
        result = -2, done = true;
        break;
      case kKeyQuit:
        result = -1, done = true;
        break;
      default:
        break;
    }
  }
  menus.Leave();
  return result;
}
