// The StatGraph screen: the drawn StatGraphs under a menu that runs a
// calculation on a drawn graph (choosing the graph with the pointer when
// more than one is drawn), draws the fitted regression over the graphs,
// scrolls, zooms, traces and switches to the settings screens.
#include <cstring>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_glue.h"
#include "apps/stat/stat_estimate.h"
#include "apps/stat/statgraph.h"
#include "graph/app/graph_temp.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"
#include "ui/text.h"

namespace {
constexpr u16 kScreenMask = 198;
constexpr u32 kPageCount = 6;
constexpr u32 kChooserPage = 5;
constexpr u32 kCodeDefg = 2;
constexpr u32 kKeyCursorFirst = 30000, kKeyCursorEnd = 30200;

constexpr FkeyItem B{0, kFkeyBlank, 0};
constexpr FkeyItem K(i16 icon, u32 code) { return {icon, kFkeyKeyCode, code}; }
constexpr FkeyItem O(i16 icon, u32 page) { return {icon, kFkeySubMenu, page}; }
constexpr FkeyItem N(u32 page) { return {6, kFkeySibling, page}; }

// Page 0 the root of paired graphs, pages 1-3 its calculations, page 4 the
// root of single-variable graphs, page 5 the chooser's empty row.
const FkeyItem kPages[kPageCount][6] = {
    {O(2, 1), K(285, kCodeDefg), B, B, B, B},
    {K(483, 39), K(31, 40), K(32, 41), K(33, 42), K(34, 43), N(2)},
    {K(35, 44), K(36, 45), K(37, 46), K(38, 47), K(39, 48), N(3)},
    {K(40, 49), B, B, B, B, N(1)},
    {K(20, 37), B, B, B, B, B},
    {B, B, B, B, B, B},
};

// The screen's context lives outside the calculator thread's small frames.
GraphContext g_ctx;
GraphEntry g_noEntries[1];
// The calculation whose result screen G<->T shows again.
i32 g_lastCalcType = 0;
i32 g_lastCalcSlot = 1;

bool IsRegression(int type) { return type >= kStatLinear && type <= kStatLogistic; }

// The screen's own row stays under the graph: a closed sub-menu or tool
// gives back the graph and the root row, as the key loop draws them.
void RepaintGraph(void *ctx) {
  GraphPrepareScreen(static_cast<GraphContext *>(ctx));
  FkeyDrawRow();
}

// The menu state a screen changes, saved on entry and put back on leaving.
struct ScreenMenus {
  u16 mask = 0;
  u16 groups[6] = {};
  const FkeyItem *pages[kPageCount] = {};
  KeyRootRow hook{nullptr, nullptr};
  void Enter(int kind, GraphContext *ctx) {
    mask = KeyGetMenuMask();
    FkeySaveGroups(groups);
    FkeySavePages(0, kPageCount - 1, pages);
    for (u32 p = 0; p < kPageCount; ++p) FkeySetPage(static_cast<i32>(p), kPages[p]);
    FkeyBuildOptGroup(5);
    // Estimation needs a regression, which only paired data can have.
    FkeyBuildShiftGroup(kind == 2 ? 16 : 18);
    KeySetMenuMask(kScreenMask);
    FkeyPushLevel(kind == 1 ? 4 : kind == 2 ? 0 : kChooserPage);
    hook = KeySetRootRowHook({RepaintGraph, ctx});
    KeyForgetDrawnRow();
  }
  void Leave() {
    KeySetRootRowHook(hook);
    FkeyPopLevel();
    FkeyRestorePages(0, kPageCount - 1, pages);
    FkeyRestoreGroups(groups);
    KeySetMenuMask(mask);
    KeyForgetDrawnRow();
  }
};

i32 ShowError(u32 e) {
  StatClearResultLists();
  ErrBox(static_cast<i32>(e));
  return 0;
}

}  // namespace

u32 StatGraphCheckKinds(const i16 *cond, int *kind) {
  *kind = 0;
  for (int s = 1; s <= 3; ++s) {
    const i16 *b = cond + 7 * s;
    if (b[kSgDraw] != 1) continue;
    const int k = StatGraphListCount(b[kSgType]);
    if (k == 0) return kStatErrSyntax;
    if (*kind != 0 && k != *kind) return kStatErrCondition;
    *kind = k;
  }
  return *kind == 0 ? kStatErrCondition : 0;
}

u32 StatGraphLoadVwin(VwinRecord *rec) {
  if (GmemReadVwin(rec) == 0) return 0;
  if (GmemResetVwin(1) != 0 || GmemReadVwin(rec) != 0) return kStatErrMemory;
  return 0;
}

namespace {

i32 CalcTypeOfCode(u32 code) {
  if (code == 37) return kStatOneVar;
  if (code == 38) return kStatModeList;
  if (code == 39) return kStatTwoVar;
  if (code >= 40 && code <= 49) return static_cast<i32>(code) - 31;
  return -2;
}

u32 WriteCalcCondHere(const u16 *calc) {
  if (SysIsAppName("@SSHEET")) return 0;
  return StatWriteCalcCond(calc) == 0 ? 0 : kStatErrMemory;
}

u32 WriteGraphCondHere(const i16 *cond) {
  if (SysIsAppName("@SSHEET")) return StatSheetWriteOverlay(cond);
  return StatWriteGraphCond(reinterpret_cast<const u16 *>(cond)) == 0 ? 0 : kStatErrMemory;
}

// The pointer over the middle point of one drawn graph after another: 0
// with *slot chosen, -2 EXIT, -1 SHIFT+EXIT.
i32 ChooseGraph(i32 *slot, const i16 *cond, GraphContext *ctx) {
  int drawn[3];
  int count = 0;
  for (int s = 1; s <= 3; ++s)
    if (cond[7 * s] == 1) drawn[count++] = s;
  if (count == 0) return -2;
  const u16 mask = KeyGetMenuMask();
  KeySetMenuMask(231);
  FkeyPushLevel(kChooserPage);
  int at = 0;
  i32 result = 0;
  for (;;) {
    const int s = drawn[at];
    GraphPrepareScreen(ctx);
    char title[12] = "StatGraph0";
    title[9] = static_cast<char>('0' + s);
    TextLocate(1, 1);
    TextPrintField(title, 21);
    GraphPointer p{};
    BcdReal x, y;
    if (const u32 e = StatGraphMidPoint(s, cond + 7 * s, ctx, &p.col, &p.row, &x, &y)) {
      ErrBox(static_cast<i32>(e));
      result = -2;
      break;
    }
    p.hidden = p.col < 0 ? 1 : 0;
    u32 typed = 0;
    const u32 key = GraphCursorKey(&p, kCursorPointer, &typed);
    if (key == kKeyUp) at = (at + count - 1) % count;
    else if (key == kKeyDown) at = (at + 1) % count;
    else if (key == kKeyExe) {
      *slot = s;
      break;
    } else if (key == kKeyExit) {
      result = -2;
      break;
    } else if (key == kKeyQuit) {
      result = -1;
      break;
    }
  }
  FkeyPopLevel();
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  GraphPrepareScreen(ctx);
  return result;
}

i32 ChooseGraphIfMany(i32 *slot, const i16 *cond, GraphContext *ctx) {
  int count = 0;
  for (int s = 1; s <= 3; ++s)
    if (cond[7 * s] == 1) ++count, *slot = s;
  return count >= 2 ? ChooseGraph(slot, cond, ctx) : 0;
}

// The regression of the last calculation drawn over the graphs.
i32 DrawRegression(i32 slot, i32 type, i16 *cond, GraphContext *ctx) {
  GraphPrepareScreen(ctx);
  if (!IsRegression(type)) return -28;
  const i16 *b = cond + 7 * slot;
  const i16 overlay[7] = {1, static_cast<i16>(type), b[kSgX], b[kSgY], b[kSgFreq], 0, 0};
  std::memcpy(cond, overlay, sizeof overlay);
  WriteGraphCondHere(cond);
  StatGraphDrawTitle(0);
  if (const u32 e = StatDrawCurve(0, cond, ctx)) return ShowError(e);
  GraphPrepareScreen(ctx);
  return -28;
}

// Runs a calculation on slot's lists (again: shows the last result again)
// and its result screen.
i32 RunCalc(bool again, i32 slot, i32 type, i16 *cond, GraphContext *ctx) {
  if (!again) {
    u16 calc[kStatCalcCondWords];
    if (StatLoadCalcCond(calc) != 0) return ShowError(kStatErrMemory);
    StatDeleteResultList();
    StatDeleteModeList();
    const i16 *b = cond + 7 * slot;
    u32 busy = 0;
    LcdBusySave(&busy);
    LcdShowBusyIndicator();
    KeyBreakArm();
    u32 e = 0;
    calc[kCondType] = static_cast<u16>(type);
    if (type == kStatTwoVar || IsRegression(type)) {
      calc[kCondTwoX] = static_cast<u16>(b[kSgX]);
      calc[kCondTwoY] = static_cast<u16>(b[kSgY]);
      calc[kCondTwoFreq] = static_cast<u16>(b[kSgFreq]);
      e = WriteCalcCondHere(calc);
      if (e == 0) {
        e = type == kStatTwoVar ? StatTwoVarRun(b[kSgX], b[kSgY], b[kSgFreq])
                                : StatRegression(3, 0, type, b[kSgX], b[kSgY], b[kSgFreq]);
      }
    } else if (type == kStatOneVar) {
      calc[kCondOneX] = static_cast<u16>(b[kSgX]);
      calc[kCondOneFreq] = static_cast<u16>(b[kSgFreq]);
      e = WriteCalcCondHere(calc);
      if (e == 0) e = StatOneVarRun(b[kSgX], b[kSgFreq]);
    } else {
      LcdBusyRestore(&busy);
      return -21;
    }
    cond[kSgDraw] = 0;
    WriteGraphCondHere(cond);
    LcdBusyRestore(&busy);
    if (e != 0) return ShowError(e);
    g_lastCalcType = type;
    g_lastCalcSlot = slot;
  }
  // The result screen is no graph: a menu closed there must not paint the
  // graph over it.
  const KeyRootRow hook = KeySetRootRowHook({nullptr, nullptr});
  const i32 r = StatCalcResultMenu(g_lastCalcType);
  KeySetRootRowHook(hook);
  if (r == -28) return DrawRegression(g_lastCalcSlot, g_lastCalcType, cond, ctx);
  if (r == -23) GraphPrepareScreen(ctx);
  return r;
}

// Scroll, zoom and sketch keys map the graph engine's results to the
// screen's codes.
i32 MapEngineResult(i32 r, const i16 *cond, GraphContext *ctx) {
  if (r == -14) return -27;
  if (r == -11) return -23;
  if (r == -6 || r == -2) return -21;
  if (r == -1) return -22;
  if (r == 0) {
    if (const u32 e = StatGraphRedraw(cond, ctx)) {
      ShowError(e);
      return -27;
    }
    return -21;
  }
  return r;
}

}  // namespace

i32 StatGraphZoomKey(u32 key, const i16 *cond, GraphContext *ctx) {
  FkeyRestoreLevelRoot();
  i32 r;
  if (key == 30220) r = 0;
  else if (key <= 30209) r = GraphZoomMenuKeys(key, ctx);
  else r = GraphSketchMenuKeys(key, ctx);
  return MapEngineResult(r, cond, ctx);
}

namespace {
ScreenMenus g_menus[2];
int g_menuDepth = 0;
}  // namespace

void StatGraphMenusEnter(int kind, GraphContext *ctx) {
  if (g_menuDepth < 2) g_menus[g_menuDepth].Enter(kind, ctx);
  ++g_menuDepth;
}

void StatGraphMenusLeave() {
  if (g_menuDepth == 0) return;
  --g_menuDepth;
  if (g_menuDepth < 2) g_menus[g_menuDepth].Leave();
}

u32 StatGraphPrepareContext(GraphContext *ctx) {
  GraphInitContext(ctx);
  ctx->screenFlags &= static_cast<u8>(~kGraphScreenModeMask);
  ctx->entries = g_noEntries;
  if (const u32 e = GraphLoadVwin(ctx, 1)) return e;
  ctx->runFlags |= kGraphRunPlanesOnly;
  GraphClearBuffer(ctx);
  GraphPrepareScreen(ctx);
  return 0;
}

u32 StatGraphRedraw(const i16 cond[35], GraphContext *ctx) {
  if (const u32 e = StatGraphPrepareContext(ctx)) return e;
  if (const u32 e = StatGraphDrawAll(cond, ctx)) return e;
  if (cond[kStatFuncBlockFlag] != 1) return 0;
  // Functions deselected or deleted since they were drawn leave nothing
  // to draw, which is no error.
  const u32 e = GraphDrawTempFuncs(ctx);
  if (e != 0 && e != kStatErrCondition) return e;
  GraphPrepareScreen(ctx);
  return 0;
}

int StatIsRegGraphOn(const i16 block[7]) { return block[kSgDraw] == 1 && IsRegression(block[kSgType]) ? 1 : 0; }

i32 StatNextRegGraph(i32 slot, const i16 cond[35], i32 dir) {
  const int step = dir >= 1 ? 1 : -1;
  const bool funcs = cond[28] == 1;
  const int ring = funcs ? 5 : 4;
  // One round over the slots (and the functions), then none.
  for (int i = 1; i <= ring; ++i) {
    const int s = ((slot + step * i) % ring + ring) % ring;
    if (s == 4) return 4;
    if (StatIsRegGraphOn(cond + 7 * s)) return s;
  }
  return -1;
}

i32 StatGraphScreen(i16 *cond, u32 draw) {
  GraphContext *ctx = &g_ctx;
  std::memset(ctx, 0, sizeof *ctx);
  int kind = 0;
  if (draw) {
    if (const u32 e = StatGraphCheckKinds(cond, &kind)) return ShowError(e);
    // A fresh drawing has no graph functions over it until DEFG draws them.
    if (cond[kStatFuncBlockFlag] != 0) {
      cond[kStatFuncBlockFlag] = 0;
      WriteGraphCondHere(cond);
    }
    VwinRecord rec;
    if (StatGraphLoadVwin(&rec) != 0) return ShowError(kStatErrMemory);
    i32 cancel = 0;
    if (StatGraphComputeAll(0, cond, &rec, &cancel) != 0) return 0;
    if (cancel == -2) return -21;
    if (const u32 e = StatGraphPrepareContext(ctx)) return ShowError(e);
    GmemSaveOrigVwin();
    if (const u32 e = StatGraphDrawAll(cond, ctx)) return ShowError(e);
    GmemWriteGraphMode(4);
  } else {
    if (GmemReadScreen(ctx->planes) != 0) return ShowError(kStatErrMemory);
    u8 planes[2 * kGraphPlaneBytes];
    std::memcpy(planes, ctx->planes, sizeof planes);
    if (const u32 e = StatGraphPrepareContext(ctx)) return ShowError(e);
    std::memcpy(ctx->planes, planes, sizeof planes);
    for (int s = 1; s <= 3 && kind == 0; ++s)
      if (cond[7 * s] == 1) kind = StatGraphListCount(cond[7 * s + 1]);
  }
  StatGraphMenusEnter(kind == 1 ? 1 : 2, ctx);
  bool resultShown = false;
  u32 next = 0;
  i32 result = 0;
  for (;;) {
    u32 key = next;
    next = 0;
    if (key == 0) {
      GraphPrepareScreen(ctx);
      FkeyDrawRow();
      if (KeyGetKey(&key) != 0) continue;
    }
    i32 r = 0;
    bool sub = false;
    if (key == kCodeDefg) {
      FkeyRestoreLevelRoot();
      const i32 d = StatGraphFuncScreen(ctx);
      if (d == -11) break;
      if (d == -1) {
        result = -22;
        break;
      }
      if (d == 0) {
        cond[kStatFuncBlockFlag] = 1;
        WriteGraphCondHere(cond);
      }
      continue;
    }
    if (key >= 37 && key <= 49) {
      FkeyRestoreLevelRoot();
      const i32 type = CalcTypeOfCode(key);
      if (type == kStatModeList) continue;
      i32 slot = 1;
      const i32 c = ChooseGraphIfMany(&slot, cond, ctx);
      if (c == -1) {
        result = -22;
        break;
      }
      if (c != 0) continue;
      r = RunCalc(false, slot, type, cond, ctx);
      if (r == -28 || r == -23) {
        resultShown = true;
        continue;
      }
      if (r == -27 || r == -22 || r == -21 || r == 0) {
        result = r;
        break;
      }
      continue;
    }
    switch (key) {
      case kKeyGraphTable:
        if (resultShown) {
          r = RunCalc(true, g_lastCalcSlot, g_lastCalcType, cond, ctx);
          if (r == -28 || r == -23) continue;
          if (r == -27 || r == -22 || r == -21 || r == 0) {
            result = r;
            goto done;
          }
          continue;
        }
        if (GmemWriteScreen(ctx->planes) != 0) {
          result = ShowError(kStatErrMemory);
          goto done;
        }
        result = -23;
        goto done;
      case kKeyUp: case kKeyDown: case kKeyLeft: case kKeyRight:
        if (VwinScrollByKey(key) == 0) {
          if (const u32 e = StatGraphRedraw(cond, ctx)) {
            result = ShowError(e);
            goto done;
          }
        }
        continue;
      case kKeyExit: case kKeyAc: case kKeyGraphAc:
        result = -21;
        goto done;
      case kKeyQuit:
        result = -22;
        goto done;
      case kKeyVWindow:
        if (GraphOpenVwinScreen(0) == 1) {
          result = -27;
          goto done;
        }
        continue;
      case kKeySetup:
        if (GraphRunSetup() != 0) {
          result = -27;
          goto done;
        }
        continue;
      case 30210:
        r = StatGraphTrace(cond, ctx);
        sub = true;
        break;
      case 30245:
        r = StatRegEstimate(cond, ctx);
        sub = true;
        break;
      case 30260: case 30261:
        r = GraphPictPrompt(static_cast<i32>(key), ctx);
        sub = true;
        break;
      default:
        if ((key >= 30200 && key <= 30209 && key != 30204) || key == 30220 || (key >= 30224 && key <= 30234)) {
          r = StatGraphZoomKey(key, cond, ctx);
          sub = true;
        }
        break;
    }
    if (!sub) continue;
    if (r == -27 || r == -22) {
      result = r;
      break;
    }
    if (r == -23) {
      next = kKeyGraphTable;
      continue;
    }
    if (r == 0 || r == -21 || r == -2 || r == -6) continue;
    if (r > 0 && (static_cast<u32>(r) < kKeyCursorFirst || static_cast<u32>(r) >= kKeyCursorEnd)) next = static_cast<u32>(r);
  }
done:
  StatGraphMenusLeave();
  if (result == -21 || result == -22 || result == -23 || result == -27) GmemWriteScreen(ctx->planes);
  return result;
}
