// The graph screen's entry by mode, its menus and its key loop, and the
// redisplay of the last drawn graph from RUN-MAT and programs.
#include "graph/screen/graph_screen.h"
#include "graph/table/table_screen.h"
#include "graph/table/table_trace.h"

#include <cstring>

#include "graph/command/graph_command.h"
#include "graph/engine/graph_glue.h"
#include "graph/engine/graph_plot.h"
#include "graph/engine/graph_scan.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/vwin_screen.h"
#include "graph/screen_save.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/popup.h"
#include "ui/setup.h"
#include "ui/setup_screen.h"

namespace {

constexpr u8 kTableMatrix = 35;
constexpr u8 kRecurMatrix = 36;
constexpr u16 kGraphMenuMask = 198;
constexpr u32 kNoFunction = 30;
constexpr u32 kSyntaxError = 2;

u32 MatrixRows(u8 matrix) {
  u32 rows = 0, cols = 0;
  return ItemMatDims(matrix, &rows, &cols) == 0 ? rows : 0;
}

bool InRunOrProg() { return SysIsAppName("@RUNMAT") || SysIsAppName("@PROG"); }

// Whether the graph screen runs in e-activity's graph strip (the child with
// sub-id 0 while e-activity is the main application).
bool InEactGraphStrip() {
  u8 flag = 1;
  u16 sub = 0xFFFF;
  SysGetMainAppId(&flag, &sub);
  return flag == 0 && sub == 0;
}

i32 ShowError(u32 code) {
  ErrBox(static_cast<i32>(code));
  return kGraphExitShown;
}

// The view of the screen mode for the View Window screen: one window, the
// left one of two, or a split screen.
i8 VwinWhich(const GraphContext *ctx) {
  const u32 mode = GraphScreenMode(ctx);
  return mode == 0 ? i8{0} : mode == 1 ? i8{1} : i8{17};
}

// What leaving the loop returns: a single screen goes back to the table in
// TABLE and RECUR.
i32 Leave(const GraphContext *ctx, i32 r) {
  if (GraphScreenMode(ctx) != 0) return r;
  if (SysIsAppName("@TABLE") || SysIsAppName("@RECUR")) return kGraphShowTable;
  return r;
}

i32 AcResult(const GraphContext *ctx) {
  const u32 mode = GraphScreenMode(ctx);
  if (mode == 2) return kGraphTableOnly;
  if (mode == 3) return kGraphShowTable;
  return Leave(ctx, kGraphExitAc);
}

// A sub-menu closed over the graph: the graph comes back in its place.
void RepaintGraph(void *ctx) { GraphPrepareScreen(static_cast<GraphContext *>(ctx)); }

// The graph of the table (modes 32 and 33).
i32 GraphDrawTableGraph(GraphContext *ctx, i32 mode) {
  const u8 grp = mode == kGraphTableConnect ? kGrpTableConnect : kGrpTablePlot;
  if (GmemReadGraphMode() == grp) return kGraphShowLast;
  if (GraphScreenMode(ctx) == 1 || GraphScreenMode(ctx) == 2) {
    SetupSetItem(kSetupDualScreen, 2);
    ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphScreenModeMask) | (3 << 4));
    GmemForgetGraphTable();
  }
  if (MatrixRows(kTableMatrix) == 0) {
    // The table is built from the functions selected for it, so their
    // entries stand until it is made.
    GraphEntry *keep = ctx->entries;
    const bool any = GraphDrawKind(ctx, kGraphSelTable) > 0;
    const u32 e = any ? GraphGlueBuildTable(ctx) : 0;
    ctx->entries = keep;
    if (!any) return ShowError(kNoFunction);
    if (e != 0) return ShowError(e);
  }
  if (GmemCreateScreenIfMissing(ctx->planes) != 0) return ShowError(4);
  if (GraphScreenMode(ctx) != 0) ctx->runFlags |= kGraphRunHalf;
  GraphDrawKind(ctx, mode == kGraphTableConnect ? kGraphSelTableConn : kGraphSelTablePlot);
  GraphClearBuffer(ctx);
  GraphRefreshScreen(ctx);
  ctx->screenFlags &= static_cast<u8>(~kGraphIneqMask);
  if (const u32 e = GraphPlotAll(ctx)) {
    GmemDeleteGraphRecord();
    return ShowError(e);
  }
  GmemWriteGraphMode(grp);
  const i32 r = GraphScreenMode(ctx) != 0 ? GraphMenu(ctx, 12, 3, 0, 0) : GraphMenu(ctx, 5, 3, 0, 0);
  GmemWriteScreen(ctx->planes);
  return r;
}

// The table screens (modes 31 and 36) need the function table.
i32 GraphShowTable(GraphContext *ctx) {
  const bool any = GraphDrawKind(ctx, kGraphSelTable) > 0;
  if (!any) return ShowError(kNoFunction);
  ctx->entries = GraphEntryTable();
  if (MatrixRows(kTableMatrix) == 0 || GraphScreenMode(ctx) != 0) {
    if (const u32 e = GraphGlueBuildTable(ctx)) return ShowError(e);
  }
  ctx->tableTop = ctx->tableLeft = ctx->tableCursorCol = ctx->tableCursorRow = 1;
  if (GraphScreenMode(ctx) != 0) {
    // The table beside its graph: the last image, or the empty axes.
    ctx->screenFlags = static_cast<u8>(ctx->screenFlags | kGraphScreenModeMask);
    ctx->runFlags = static_cast<u8>(ctx->runFlags | kGraphRunHalf);
    if (GmemReadGraphMode() == 0 || GmemReadScreen(ctx->planes) != 0) GraphClearBuffer(ctx);
    GraphRefreshScreen(ctx);
  }
  return GraphTableScreenMenu(ctx);
}

i32 GraphTableOnly(GraphContext *ctx) {
  if (MatrixRows(kTableMatrix) == 0) return kGraphShowLast;
  return GraphShowTable(ctx);
}

// The graph on the left half with the table on the right: screen mode 3
// draws the functions selected for TABLE beside their whole table; screen
// mode 2 the functions selected for GRAPH beside a table that starts empty
// and takes a row for each EXE of the trace.
i32 DrawBesideTable(GraphContext *ctx, u32 mode) {
  ctx->runFlags |= kGraphRunHalf;
  if (GraphDrawKind(ctx, mode == 3 ? kGraphSelTable : kGraphSelGraph) == 0 && (mode == 3 || !InEactGraphStrip()))
    return ShowError(kNoFunction);
  u32 e = 0;
  if (mode == 3) {
    e = GraphGlueBuildTable(ctx);
  } else {
    i32 count = 0;
    e = GraphScanEntries(ctx, &count);
    for (i32 i = 0; e == 0 && ctx->entries[i].style != 0; ++i)
      if (ctx->entries[i].type & 0xE000) e = kSyntaxError;  // lists and ranges take no table column
    if (e == 0) ItemMatDelete(kTableMatrix);
  }
  if (e == 0) {
    GraphClearBuffer(ctx);
    GraphRefreshScreen(ctx);
    ctx->screenFlags &= static_cast<u8>(~kGraphIneqMask);
    e = GraphPlotAll(ctx);
  }
  if (e != 0) {
    GmemDeleteGraphRecord();
    return ShowError(e);
  }
  GraphPrepareScreen(ctx);
  GmemWriteGraphMode(kGrpFuncs);
  i32 r = 0;
  if (mode == 3) {
    r = GraphMenu(ctx, 12, 3, 0, 0);
  } else {
    r = GraphMenu(ctx, 10, 4, MatrixRows(kTableMatrix) == 0 ? u16{kMaskOpt} : u16{0}, 0);
  }
  GmemWriteScreen(ctx->planes);
  return r;
}

i32 RunMode(GraphContext *ctx, i32 mode, u32 key) {
  switch (mode) {
    case kGraphShowTable:
      return GraphShowTable(ctx);
    case kGraphTableConnect:
    case kGraphTablePlot:
      return GraphDrawTableGraph(ctx, mode);
    case kGraphDrawFuncs:
      return GraphDrawSelected(ctx);
    case kGraphTableOnly:
      return GraphTableOnly(ctx);
    default:
      break;
  }
  // Mode 35: the last drawn graph again.
  if (GmemReadScreen(ctx->planes) != 0) std::memset(ctx->planes, 0, sizeof ctx->planes);
  const u8 grp = GmemReadGraphMode();
  if (grp == kGrpTableConnect) GraphDrawKind(ctx, kGraphSelTableConn);
  else if (grp == kGrpTablePlot) GraphDrawKind(ctx, kGraphSelTablePlot);
  else GraphDrawKind(ctx, kGraphSelGraph);
  if (GraphScreenMode(ctx) != 0) ctx->runFlags |= kGraphRunHalf;
  // A table beside the graph is drawn again.
  if (GraphScreenMode(ctx) >= 2) GraphRefreshScreen(ctx);
  i32 r = 0;
  if (GraphScreenMode(ctx) == 1) r = GraphMenu(ctx, 7, 4, 0, key);
  else if (GraphScreenMode(ctx) == 2) r = GraphMenu(ctx, 10, 4, 0, key);
  else if (GraphScreenMode(ctx) == 3) r = GraphMenu(ctx, 12, 3, 0, key);
  else r = GraphMenu(ctx, 5, grp == kGrpFuncs ? 4 : 3, 0, key);
  // What was sketched on the graph stays with it.
  if (GmemReadGraphMode() != kGrpNone) GmemWriteScreen(ctx->planes);
  return r;
}

// The key a redisplay hands back for a screen's exit code.
void MapExit(i32 r, u32 *key) {
  switch (r) {
    case kGraphExitChanged:
    case kGraphExitNothing:
    case kGraphExitExit:
      *key = kKeyExit;
      break;
    case kGraphExitAc:
      *key = kKeyAc;
      break;
    case kGraphExitExe:
    case 0:
      *key = kKeyExe;
      break;
    case kGraphExitShown:
      *key = kKeyGraphTable;
      break;
    case kGraphExitQuit:
      *key = kKeyQuit;
      break;
    default:
      break;
  }
}

}  // namespace

i32 GraphMenu(GraphContext *ctx, u16 optVariant, u16 shiftVariant, u16 extraMask, u32 firstKey) {
  static FkeyItem pages[21 * 6];
  const u16 mask = KeyGetMenuMask();
  u16 groups[6];
  FkeySaveGroups(groups);
  const FkeyItem *saved[20];
  FkeySavePages(0, 19, saved);
  FkeyItem kept[21 * 6];
  std::memcpy(kept, pages, sizeof kept);  // an outer graph screen's pages
  FkeyBuildOptGroup(optVariant);
  FkeyBuildShiftGroup(shiftVariant);
  KeySetMenuMask(static_cast<u16>(kGraphMenuMask | extraMask));
  const u32 count = FkeyShiftGroupPages(shiftVariant, pages);
  for (u32 i = 0; i < count && i < 20; ++i) FkeySetPage(static_cast<i32>(i), pages + 6 * i);
  FkeyPushLevel(0);
  const KeyRootRow outer = KeySetRootRowHook({RepaintGraph, ctx});
  const i32 r = GraphKeyLoop(ctx, firstKey);
  KeySetRootRowHook(outer);
  FkeyPopLevel();
  std::memcpy(pages, kept, sizeof kept);
  FkeyRestorePages(0, 19, saved);
  FkeyRestoreGroups(groups);
  KeySetMenuMask(mask);
  KeyForgetDrawnRow();
  return r;
}


i32 GraphScreenEntry(i32 mode, i32 *out) {
  *out = 0;
  GraphContext ctx;
  std::memset(&ctx, 0, sizeof ctx);
  GraphInitContext(&ctx);
  ctx.tableKind = kTableMatrix;
  if (mode == kGraphShowLast) {
    const u8 grp = GmemReadGraphMode();
    if (grp != kGrpTableConnect && grp != kGrpTablePlot && grp != kGrpFuncs) return kGraphExitNothing;
  } else if (const u32 e = GmemSaveOrigVwin()) {
    return ShowError(e);
  }
  u32 key = 0;
  for (;;) {
    if (!(mode == kGraphShowTable && GraphScreenMode(&ctx) == 0)) {
      u32 e = GmemEnsureGraphMode();
      if (e == 0) e = GraphLoadVwin(&ctx, 1);
      if (e != 0) return ShowError(e);
    }
    const i32 r = RunMode(&ctx, mode, key);
    key = 0;
    if (r == kGraphExitChanged || r == kGraphExitAc || r == kGraphExitShown || r == kGraphExitNothing ||
        r == kGraphExitExit || r == kGraphExitQuit || r == 0)
      return r;
    if (r >= kGraphShowTable && r <= kGraphTableOnly) {
      mode = r;
      continue;
    }
    mode = kGraphShowLast;
    key = static_cast<u32>(r);
  }
}

i32 GraphDrawSelected(GraphContext *ctx) {
  if (GmemReadGraphMode() == kGrpFuncs) return kGraphShowLast;
  if (GmemCreateScreenIfMissing(ctx->planes) != 0) return ShowError(4);
  const u32 mode = GraphScreenMode(ctx);
  if (mode >= 2) return DrawBesideTable(ctx, mode);
  i32 n = 0;
  if (mode == 1) {
    if (const u32 e = GraphLoadVwin(ctx, 0)) return ShowError(e);
    if (const u32 e = GraphLoadVwin(ctx, 1)) return ShowError(e);
    ctx->runFlags |= kGraphRunHalf;
    n = GraphDrawKind(ctx, kGraphSelRight);
    if (n > 0) n = GraphDrawKind(ctx, kGraphSelGraph);
  } else {
    n = GraphDrawKind(ctx, kGraphSelGraph);
  }
  // A graph strip of e-activity shows its empty axes rather than an error.
  if (n == 0 && !InEactGraphStrip()) return ShowError(kNoFunction);
  GmemWriteGraphMode(kGrpFuncs);
  const i32 drawn = GraphRedrawByMode(ctx, 0);
  if (drawn != 0) {
    GmemWriteScreen(ctx->planes);
    return drawn;
  }
  const i32 r = mode == 1 ? GraphMenu(ctx, 7, 4, 0, 0) : GraphMenu(ctx, 5, 4, 0, 0);
  GmemWriteScreen(ctx->planes);
  return r;
}

i32 GraphKeyLoop(GraphContext *ctx, u32 firstKey) {
  u32 pending = firstKey;
  for (;;) {
    GraphPrepareScreen(ctx);
    GraphRedrawFkeys();
    u32 key = pending;
    pending = 0;
    if (key == 0 && KeyGetKey(&key) != 0) continue;  // typed characters do nothing here
    i32 r = 0;
    switch (key) {
      case kKeyExit:
        return Leave(ctx, kGraphExitExit);
      case kKeyExe:
        if (InRunOrProg()) return kGraphExitExe;
        if (GmemReadGraphMode() == kGrpWeb) pending = kGraphKeyRecurWeb;
        continue;
      case kKeyAc:
      case kKeyGraphAc:
        return AcResult(ctx);
      case kKeyUp:
      case kKeyDown:
      case kKeyLeft:
      case kKeyRight: {
        const u8 grp = GmemReadGraphMode();
        if (grp == kGrpNone || grp == kGrpPlain) continue;
        if (VwinScrollByKey(key) != 0) continue;
        r = GraphRedrawByMode(ctx, 1);
        break;
      }
      case kKeyQuit:
        return kGraphExitQuit;
      case kKeyVWindow:
        if (GraphOpenVwinScreen(VwinWhich(ctx)) != 0) return kGraphExitChanged;
        continue;
      case kKeySetup:
        if (GraphRunSetup() != 0) return kGraphExitChanged;
        continue;
      case kKeyPaste:
        if (!(SysIsAppName("@GRAPH") && GraphScreenMode(ctx) == 0)) continue;
        r = GraphPasteFromClip(ctx);
        break;
      case kGraphKeyPaste:
        r = GraphPasteFromClip(ctx);
        break;
      case kGraphKeyReadOut:
        r = GraphShowReadOut(ctx);
        if (r > 0) {
          pending = static_cast<u32>(r);
          continue;
        }
        break;
      case kGraphKeyRecurWeb:
        if (const u32 e = GraphGlueRecurWebKey(ctx, &r)) r = ShowError(e);
        break;
      case kKeyGraphTable:
        return Leave(ctx, kGraphExitShown);
      case 330:  // G-CON
        return kGraphTableConnect;
      case 331:  // G-PLT
        return kGraphTablePlot;
      case kKeyGraphCopyRight:
        GraphCopySelectionRight(ctx);
        GmemDeletePlot();
        r = GraphRedrawByMode(ctx, 2);
        break;
      case kKeyGraphSwap:
        GraphSwapScreens(ctx);
        GmemDeletePlot();
        continue;
      case kKeyGraphTableTrace:
        r = GraphTableTrace(ctx);
        break;
      default:
        if ((key == 303 || key == kGraphKeyTrace) && GmemReadGraphMode() == kGrpWeb) {
          // A web graph is traced step by step along its web.
          pending = kGraphKeyRecurWeb;
          continue;
        }
        if (key == 303 || key == kGraphKeyTrace) {
          r = TraceRun(GraphScreenMode(ctx) == 2 ? 303u : u32{kGraphKeyTrace}, ctx);
        } else if (key >= kGraphKeyZoomFirst && key <= kGraphKeyZoomLast) {
          r = GraphZoomMenuKeys(key, ctx);
          if (r == 0) {
            if (GraphScreenMode(ctx) == 1) GraphResetSelectionRight(ctx);
            r = GraphRedrawByMode(ctx, 2);
          }
        } else if (key == 343 || (key >= kGraphKeySketchFirst && key <= kGraphKeySketchLast)) {
          r = GraphSketchMenuKeys(key, ctx);
        } else if (key >= kGraphKeySolveFirst && key <= kGraphKeySolveLast) {
          r = GsolveRun(key, ctx);
        } else if (key == kGraphKeyPictStore || key == kGraphKeyPictRecall) {
          GraphPictPrompt(static_cast<i32>(key), ctx);
          continue;
        } else if (key == 0 || (key >= 30000 && key < 30200)) {
          continue;
        } else {
          return static_cast<i32>(key);
        }
        break;
    }
    if (r == 0 || r == kGraphExitNothing || (r >= 30000 && r < 30200)) continue;
    if (r == kGraphExitExit || r == kGraphExitShown) return Leave(ctx, r);
    if (r == kGraphExitAc || r == kKeyGraphAc) return AcResult(ctx);
    return r;
  }
}

u32 GraphRedisplay(u32 *key) {
  if (*key == kGraphKeyZoomFactor) {
    FkeyRestoreLevelRoot();
    PopupZoomFactors();
    return 0;
  }
  GraphContext ctx;
  std::memset(&ctx, 0, sizeof ctx);
  GraphInitContext(&ctx);
  ctx.screenFlags &= static_cast<u8>(~kGraphScreenModeMask);
  ctx.tableKind = kTableMatrix;
  if (GmemCreateScreenIfMissing(ctx.planes) != 0) return 4;
  if (const u32 e = GmemEnsureGraphMode()) return e;
  if (const u32 e = GraphLoadVwin(&ctx, 1)) return e;
  ctx.entries = GraphEntryTable();
  ctx.entries[0] = GraphEntry{};
  // The picture is the stored image; only the entries that trace and
  // G-Solve need are built again.
  const u8 grp = GmemReadGraphMode();
  switch (grp) {
    case kGrpCommands:
    case 15:
    case 16:
    case 17:
    case 18:
      GraphCommandEntries(&ctx);
      if (grp >= 15 && *key == 0) *key = kGraphKeyReadOut;
      break;
    case 2:
      GraphDrawKind(&ctx, kGraphSelGraph);
      break;
    case 4: {
      // The statistical graphs run their own keys over their picture.
      BcdReal err;
      i32 k = *key >= 30000 && *key < 30300 ? static_cast<i32>(*key) : 0;
      if (!GraphGlueStatRedraw(1, &err, &k)) return RealErrorCode(&err);
      *key = k == -12 ? kKeyExe : k == -13 ? kKeyAc : k == -1 ? kKeyQuit : k == -11 ? kKeyGraphTable : kKeyExit;
      return 0;
    }
    case kGrpTableConnect:
    case kGrpTablePlot:
      if (MatrixRows(kTableMatrix) > 0) {
        GraphDrawKind(&ctx, grp == kGrpTableConnect ? kGraphSelTableConn : kGraphSelTablePlot);
      } else {
        GmemWriteGraphMode(kGrpPlain);
      }
      break;
    case 8:
    case 9:
    case 13:
    case 14:
      // The recursion graphs are traced in RECUR only.
      if (MatrixRows(kRecurMatrix) == 0) GmemWriteGraphMode(kGrpPlain);
      break;
    case kGrpWeb:
      // The web graph keeps its picture and is traced along its web.
      if (GraphGlueRecurWebEntries(&ctx) == 0) GmemWriteGraphMode(kGrpPlain);
      break;
    case kGrpPlain:
      break;
    default:
      GmemSaveOrigVwin();
      GraphClearBuffer(&ctx);
      GmemWriteScreen(ctx.planes);
      GmemWriteGraphMode(kGrpPlain);
      GmemDeleteLineReadout();
      break;
  }
  // A program's tangent or normal shows its read-out over the graph, with
  // Coord on, as the graph screen does.
  GmemLineReadout line;
  if (*key == 0 && (ctx.optionFlags & kGraphOptCoord) && GmemReadLineReadout(&line) == 0) *key = kGraphKeyReadOut;
  if (GmemReadScreen(ctx.planes) != 0) GraphClearBuffer(&ctx);
  const u8 now = GmemReadGraphMode();
  const u16 shift = now == kGrpNone || now == kGrpPlain ? u16{14} : u16{8};
  const i32 r = GraphMenu(&ctx, 5, shift, 0, *key);
  GmemWriteScreen(ctx.planes);
  MapExit(r, key);
  return 0;
}

i32 GraphRunSetup() {
  if (SysIsAppName("@PROG")) return 0;
  if (SysIsAppName("@RUNMAT") && (SetupGetItem(kSetupInputMode) == 1 || SetupGetItem(kSetupMode) != 0)) return 0;
  char app[16];
  SysGetAppName(app);
  u8 screen[1024];
  GraphSaveScreen(screen);
  FkeyStackState menus;
  FkeySaveStack(&menus);
  const KeyRootRow hook = KeySetRootRowHook({nullptr, nullptr});
  u32 changed = 0;
  SetupScreen(app, &changed);
  KeySetRootRowHook(hook);
  FkeyRestoreStack(&menus);
  KeyForgetDrawnRow();
  GraphRestoreScreen(screen);
  if (!changed) return 0;
  GmemDeleteGraphRecord();
  if (SysIsAppName("@GRAPH") || SysIsAppName("@TABLE")) {
    GmemForgetGraphTable();
  } else if (SysIsAppName("@RECUR")) {
    RecurResetGraphState();
  } else if (SysIsAppName("@RUNMAT")) {
    RecurResetGraphState();
    GmemForgetGraphTable();
  }
  return 1;
}
