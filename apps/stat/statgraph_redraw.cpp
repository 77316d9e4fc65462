// StatGraphs shown again by the graph screen and drawn by programs: a fresh
// drawing from "G_CND" without pop-ups, or the stored picture with the
// StatGraph keys. Errors come back as values, as the interpreter expects.
#include <cstring>

#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/statgraph.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/vwin_screen.h"
#include "number/realop.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/text.h"

namespace {
constexpr i32 kLeaveChanged = -14;

// The context of the redrawn picture (too large for the calculator
// thread's frames).
GraphContext g_ctx;

// A fresh drawing: the checks, the quiet preparation, the drawing.
u32 DrawFresh(i16 *cond, GraphContext *ctx) {
  VwinRecord rec;
  if (StatGraphLoadVwin(&rec) != 0) return kStatErrMemory;
  int kind = 0;
  if (const u32 e = StatGraphCheckKinds(cond, &kind)) return e;
  i32 cancel = 0;
  if (const u32 e = StatGraphComputeAll(1, cond, &rec, &cancel)) return e;
  if (const u32 e = StatGraphPrepareContext(ctx)) return e;
  GmemSaveOrigVwin();
  if (const u32 e = StatGraphDrawAll(cond, ctx)) return e;
  GmemWriteGraphMode(4);
  return 0;
}

// The stored picture with the StatGraph keys, starting with *key: 0 or an
// error code; *key the leaving code.
u32 KeyLoop(i16 *cond, GraphContext *ctx, i32 *key) {
  u8 planes[2 * kGraphPlaneBytes];
  if (GmemReadScreen(planes) != 0) return kStatErrMemory;
  if (const u32 e = StatGraphPrepareContext(ctx)) return e;
  std::memcpy(ctx->planes, planes, sizeof planes);
  StatGraphMenusEnter(0, ctx);
  u32 next = *key > 0 ? static_cast<u32>(*key) : 0;
  u32 err = 0;
  for (;;) {
    u32 k = next;
    next = 0;
    if (k == 0) {
      GraphPrepareScreen(ctx);
      FkeyDrawRow();
      if (KeyGetKey(&k) != 0) continue;
    }
    i32 r = 0;
    if (k == kGraphKeyPictStore || k == kGraphKeyPictRecall) {
      r = GraphPictPrompt(static_cast<i32>(k), ctx);
    } else if (k == 30210) {
      r = StatGraphTrace(cond, ctx);
    } else if ((k >= 30200 && k <= 30209) || k == 30220 || (k >= 30224 && k <= 30234)) {
      r = StatGraphZoomKey(k, cond, ctx);
    } else if (k == kKeyUp || k == kKeyDown || k == kKeyLeft || k == kKeyRight) {
      if (VwinScrollByKey(k) == 0 && (err = StatGraphRedraw(cond, ctx)) != 0) break;
      continue;
    } else if (k == kKeyVWindow) {
      if (GraphOpenVwinScreen(0) == 1) {
        *key = kLeaveChanged;
        break;
      }
      continue;
    } else if (k == kKeyExit) {
      *key = -2;
      break;
    } else if (k == kKeyExe) {
      *key = -12;
      break;
    } else if (k == kKeyAc || k == kKeyGraphAc) {
      *key = -13;
      break;
    } else if (k == kKeyQuit) {
      *key = -1;
      break;
    } else if (k == kKeyGraphTable) {
      r = -23;
    } else {
      continue;
    }
    if (r == -23) {
      if (GmemWriteScreen(ctx->planes) != 0) err = kStatErrMemory;
      *key = -11;
      break;
    }
    if (r == -12) {
      *key = -12;
      break;
    }
    if (r == -27 || r == -22) break;
    if (r > 0 && (r < 30000 || r >= 30200)) next = static_cast<u32>(r);
  }
  StatGraphMenusLeave();
  return err;
}

}  // namespace

i32 StatRedrawGraphs(i32 mode, BcdReal *result, i32 *key) {
  RealSetZero(result);
  i16 cond[35];
  u16 *words = reinterpret_cast<u16 *>(cond);
  u32 err = 0;
  // A fresh drawing has no graph functions over it: the trace and the
  // estimates of the picture's keys must not walk on to them.
  if (StatLoadGraphCond(words) != 0) err = kStatErrMemory;
  if (err == 0 && mode != 1) cond[kStatFuncBlockFlag] = 0;
  if (err == 0 && StatWriteGraphCond(words) != 0) err = kStatErrMemory;
  TextCursorOff();
  GraphContext *ctx = &g_ctx;
  std::memset(ctx, 0, sizeof *ctx);
  if (err == 0) {
    if (mode != 1) {
      err = DrawFresh(cond, ctx);
      *key = 0;
    } else {
      err = KeyLoop(cond, ctx, key);
    }
  }
  if (err == 0) {
    if (*key == kLeaveChanged) {
      StatClearResultLists();
      GmemDeleteGraphRecord();
      return 1;
    }
    if (GmemWriteScreen(ctx->planes) == 0) return 1;
    err = kStatErrMemory;
  }
  StatClearResultLists();
  RealMakeError(static_cast<u8>(err), result);
  // A picture cut short by the break key is not shown again.
  if (err == 1) GmemDeleteGraphRecord();
  return 0;
}
