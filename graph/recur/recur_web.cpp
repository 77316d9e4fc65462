// The web graph, its steps, and the recursion statements of programs.
#include "graph/recur/recur_web.h"

#include <cstring>

#include "eval/eval.h"
#include "eval/token.h"
#include "eval/token_len.h"
#include "graph/command/command_util.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/recur/recur_app.h"
#include "graph/recur/recur_graph.h"
#include "graph/recur/recur_model.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/numparse.h"
#include "number/value.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/setup.h"

namespace {

constexpr u32 kErrSyntax = 2;
constexpr u32 kErrMemory = 4;
constexpr u32 kErrNothing = 30;
constexpr u8 kWebGrpMode = 10;     // "GRPMODE" of the web graph on the graph screen
constexpr u8 kSketchGrpMode = 11;  // ... and of a program's DrawWeb
constexpr u8 kStyleNormal = 2;

// The term tokens of sequences a, b, c: an, an+1, an+2.
constexpr u16 kTerms[3][3] = {{0x7FA0, 0x7FA1, 0x7FA2}, {0x7FA7, 0x7FA8, 0x7FA9}, {0xF912, 0xF913, 0xF914}};

u16 TokenAt(const u8 *p) { return TokLenAt(p) == 2 ? static_cast<u16>((p[0] << 8) | p[1]) : p[0]; }

// The formula of sequence k with its own term as X into out: false when it
// reads n or any other term.
bool WebText(u32 k, const u8 *text, u8 out[kRecurWebTextRoom]) {
  u32 o = 0;
  for (const u8 *p = text; *p != 0;) {
    const u32 len = TokLenAt(p);
    const u16 t = TokenAt(p);
    if (t == 0x7FA3) return false;  // n
    for (u32 s = 0; s < 3; ++s) {
      for (u32 j = 0; j < 3; ++j) {
        if (t == kTerms[s][j] && (s != k || j != 0)) return false;
      }
    }
    if (o + len + 2 > kRecurWebTextRoom) return false;
    if (t == kTerms[k][0]) {
      out[o++] = 'X';
    } else {
      std::memcpy(out + o, p, len);
      o += len;
    }
    p += len;
  }
  out[o] = 0;
  out[o + 1] = 0;
  return true;
}

// The start value of the sequence an entry draws.
BcdReal StartValue(const GraphEntry &e) {
  BcdReal v;
  if (RecurReadValue(kRecurIdAStart + static_cast<u32>(e.slot - 1), &v) != 0) RealSetZero(&v);
  return v;
}

// The dot of (x, y) when it falls on the graph: the whole screen, or its
// left half beside a table.
bool Dot(const GraphContext *ctx, const BcdReal *x, const BcdReal *y, i32 *col, i32 *row) {
  const i32 last = (ctx->runFlags & kGraphRunHalf) ? kGraphLastColumn / 2 : kGraphLastColumn;
  return (GraphXToColumnWide(x, col, &ctx->view, ctx->runFlags) | GraphYToRowWide(y, row, &ctx->view)) == 0 &&
         *col >= 1 && *col <= last && *row >= 1 && *row <= kGraphLastRow;
}

bool AtEnd(const u8 *p) { return *p == 0 || *p == ':' || *p == 0x0D || *p == 0x0C; }

u32 Raise(u32 code, Value *result) {
  std::memset(result, 0, sizeof *result);
  RealMakeError(static_cast<u8>(code), &result->re);
  return 0;
}

// The context of a program's drawing: the single screen on "VWIN" over the
// stored picture (a cleared one when nothing was drawn).
u32 OpenDrawing(GraphContext *ctx) {
  std::memset(ctx, 0, sizeof *ctx);
  GraphInitContext(ctx);
  ctx->screenFlags = static_cast<u8>(ctx->screenFlags & ~(kGraphScreenModeMask | kGraphLabelMask));
  if (GmemEnsureGraphMode() != 0) return kErrMemory;
  if (const u32 e = GraphLoadVwin(ctx, 1)) return e;
  if (GmemCreateScreenIfMissing(ctx->planes) != 0) return kErrMemory;
  if (GmemReadGraphMode() == 0) {
    GmemSaveOrigVwin();
    GraphClearBuffer(ctx);
  } else if (GmemReadScreen(ctx->planes) != 0) {
    GraphClearBuffer(ctx);
  }
  return 0;
}

// The table graphs' draw commands: DrawR-Con, DrawR-Plt, DrawRΣ-Con,
// DrawRΣ-Plt (0xF726..0xF729).
u32 DrawTableGraph(u16 token) {
  static const i32 kModes[4] = {kRecurGraphLines, kRecurGraphPoints, kRecurGraphSumLines, kRecurGraphSumPoints};
  static const u8 kCodes[4] = {14, 13, 9, 8};
  const u32 i = token - 0xF726u;
  u32 rows = 0, cols = 0;
  if (ItemMatDims(kRecurTableMatrix, &rows, &cols) != 0 || rows == 0) return kErrMemory;
  if (i >= 2 && SetupGetItem(kSetupSumDisplay) != 0) return kErrMemory;
  GraphContext ctx;
  if (const u32 e = OpenDrawing(&ctx)) return e;
  ctx.tableKind = kRecurTableMatrix;
  if (SetupGetItem(kSetupSumDisplay) == 0) ctx.optionFlags |= kGraphOptDerivative;
  GraphEntry entries[4];
  if (RecurBuildEntries(kModes[i], entries) == 0) return kErrNothing;
  ctx.entries = entries;
  if (const u32 e = GraphPlotAll(&ctx)) {
    GmemDeleteGraphRecord();
    return e;
  }
  if (GmemWriteGraphMode(kCodes[i]) != 0) return kErrMemory;
  return GmemWriteScreen(ctx.planes) == 0 ? 0 : kErrMemory;
}

// DrawWeb formula[,count].
u32 DrawWeb(const u8 **p) {
  const u16 t = TokenAt(*p);
  const u32 k = t == 0x7FA1 ? 0 : t == 0x7FA8 ? 1 : t == 0xF913 ? 2 : 3;
  if (k == 3) return kErrSyntax;
  *p += 2;
  i32 count = 30;
  if (**p == ',') {
    ++*p;
    BcdReal v;
    if (const u32 e = gcmd::ReadValue(p, &v, kEvalWhole)) return e;
    // A whole count 0..255, else Argument ERROR.
    if (const u32 e = gcmd::WholeIn(&v, 0, 255, &count)) return e;
  }
  if (!AtEnd(*p)) return kErrSyntax;
  const u8 type = RecurType();
  if (type != 1 && type != 2) return kErrNothing;
  static GraphEntry entries[5];
  static u8 texts[3][kRecurWebTextRoom];
  if (RecurBuildWebEntries(1u << k, entries, texts) <= 0) return kErrNothing;
  GraphContext ctx;
  if (const u32 e = OpenDrawing(&ctx)) return e;
  ctx.entries = entries;
  if (const u32 e = GraphPlotAll(&ctx)) {
    GmemDeleteGraphRecord();
    return e;
  }
  if (const u32 e = RecurWebSteps(&ctx, count, 0)) {
    GmemDeleteGraphRecord();
    return e;
  }
  if (GmemWriteGraphMode(kSketchGrpMode) != 0) return kErrMemory;
  return GmemWriteScreen(ctx.planes) == 0 ? 0 : kErrMemory;
}

// The web entries of the graph screens: built once per drawing and kept
// while the screen that traces them runs.
GraphEntry g_webEntries[5];
u8 g_webTexts[3][kRecurWebTextRoom];

// The formula entries of a web table: those before the end entry, less the
// line y = x.
i32 WebFormulaCount(const GraphContext *ctx) {
  i32 n = 0;
  while (n < 4 && ctx->entries[n].style != 0) ++n;
  return n - 1;
}

}  // namespace

i32 RecurBuildWebEntries(u32 which, GraphEntry entries[5], u8 texts[3][kRecurWebTextRoom]) {
  i32 n = 0;
  for (u32 k = 0; k < 3; ++k) {
    const int w = static_cast<int>(k) + 1;
    if (!(which & (1u << k)) || !RecurFormulaInUse(w)) continue;
    if (!WebText(k, RecurFormulaText(w), texts[n])) return -1;
    GraphEntry &e = entries[n];
    e = GraphEntry{};
    e.text = texts[n];
    e.type = kGraphFuncY;
    e.slot = w;
    e.style = RecurFormulaStyle(w);
    e.labelKind = 10;
    e.label = static_cast<u8>(k + 4);
    ++n;
  }
  if (n == 0) return 0;
  static const u8 kLine[3] = {'X', 0, 0};
  GraphEntry &line = entries[n];
  line = GraphEntry{};
  line.text = kLine;
  line.type = kGraphFuncY;
  line.style = kStyleNormal;
  line.labelKind = 5;
  line.label = 1;
  entries[n + 1] = GraphEntry{};
  return n;
}

void RecurWebStart(RecurWebState *web, const GraphContext *ctx, i32 entry) {
  web->entry = entry;
  web->x = StartValue(ctx->entries[entry]);
  RealSetZero(&web->y);
  web->vertical = true;
}

u32 RecurWebStep(RecurWebState *web, GraphContext *ctx) {
  BcdReal x = web->x, y = web->y;
  if (web->vertical) {
    if (const u32 e = GraphEvalFunc(&web->x, &y, ctx, web->entry, 0)) return e;
    if (const u32 e = RealErrorCode(&y)) return e;
  } else {
    x = web->y;
  }
  i32 c0 = 0, r0 = 0, c1 = 0, r1 = 0;
  if (Dot(ctx, &web->x, &web->y, &c0, &r0) && Dot(ctx, &x, &y, &c1, &r1)) {
    GraphDrawLine(c0, r0, c1, r1, ctx->planes, kStyleNormal, 0);
  }
  web->x = x;
  web->y = y;
  web->vertical = !web->vertical;
  GraphStoreVar('X', &web->x);
  GraphStoreVar('Y', &web->y);
  return 0;
}

u32 RecurWebSteps(GraphContext *ctx, i32 steps, i32 k) {
  RecurWebState web;
  RecurWebStart(&web, ctx, k);
  KeyBreakArm();
  for (i32 i = 0; i < steps; ++i) {
    if (KeyBreakPoll()) return 1;
    if (const u32 e = RecurWebStep(&web, ctx)) return e;
  }
  return 0;
}

i32 RecurWebEntries(GraphContext *ctx) {
  const u8 type = RecurType();
  const i32 n = type == 1 || type == 2 ? RecurBuildWebEntries(7, g_webEntries, g_webTexts) : 0;
  if (n > 0) ctx->entries = g_webEntries;
  return n > 0 ? n : 0;
}

i32 RecurWebTrace(GraphContext *ctx) {
  const i32 formulas = WebFormulaCount(ctx);
  if (formulas <= 0) return 0;
  RecurWebState web;
  RecurWebStart(&web, ctx, 0);
  GraphPointer cursor{};
  for (;;) {
    GraphPrepareScreen(ctx);
    i32 col = 0, row = 0;
    cursor.hidden = Dot(ctx, &web.x, &web.y, &col, &row) ? 0 : 1;
    cursor.col = col;
    cursor.row = row;
    if (ctx->optionFlags & kGraphOptCoord) GraphShowTwoValues(&web.x, &web.y);
    u32 typed = 0;
    const u32 key = GraphCursorKey(&cursor, kCursorPointer, &typed);
    switch (key) {
      case kKeyExe:
        if (const u32 e = RecurWebStep(&web, ctx)) {
          ErrBox(static_cast<i32>(e));
          return kGraphExitExit;
        }
        continue;
      case kKeyUp:
      case kKeyDown:
        RecurWebStart(&web, ctx, (web.entry + (key == kKeyDown ? 1 : formulas - 1)) % formulas);
        continue;
      case kKeyExit:
        return kGraphExitExit;
      case kKeyQuit:
        return kGraphExitQuit;
      case kKeyGraphTable:
        return kGraphExitShown;
      case kKeyAc:
        return kKeyGraphAc;
      case kKeyVWindow:
        if (GraphOpenVwinScreen(0) != 0) return kGraphExitChanged;
        continue;
      case kKeySetup:
        if (GraphRunSetup() != 0) return kGraphExitChanged;
        continue;
      default:
        if (key == 0 || typed != 0 || (key >= 30000 && key < 30200)) continue;
        return static_cast<i32>(key);
    }
  }
}

i32 RecurWebGraph(GraphContext *ctx) {
  if (RecurWebEntries(ctx) == 0) {
    ErrBox(static_cast<i32>(kErrNothing));
    return kRecurTableMode;
  }
  // Drawn once: the stored picture serves while nothing changed.
  if (GmemReadGraphMode() == kWebGrpMode && GmemReadScreen(ctx->planes) == 0) return RecurRunGraphLoop(ctx, 0);
  if (GmemCreateScreenIfMissing(ctx->planes) != 0) {
    ErrBox(static_cast<i32>(kErrMemory));
    return kGraphExitShown;
  }
  GraphClearBuffer(ctx);
  if (const u32 e = GraphPlotAll(ctx)) {
    GmemDeleteGraphRecord();
    ErrBox(static_cast<i32>(e));
    return kGraphExitShown;
  }
  GmemWriteGraphMode(kWebGrpMode);
  return RecurRunGraphLoop(ctx, 0);
}

i32 RecurRedrawWeb(GraphContext *ctx, u32 key) {
  if (GmemReadGraphMode() != kWebGrpMode) return kGraphExitNothing;
  if (RecurWebEntries(ctx) == 0) return kGraphExitNothing;
  if (GmemReadScreen(ctx->planes) != 0) {
    ErrBox(static_cast<i32>(kErrMemory));
    return kGraphExitShown;
  }
  return RecurRunGraphLoop(ctx, key);
}

i32 RecurRunProgramCommand(const u8 **p, Value *result, u32 *show) {
  const u16 t = TokenAt(*p);
  if (!((t >= 0xF726 && t <= 0xF72A) || t == 0xF72F)) return -1;
  *p += 2;
  *show = 0;
  u32 e = 0;
  if (t == 0xF72A) {
    e = DrawWeb(p);
  } else if (!AtEnd(*p)) {
    e = kErrSyntax;
  } else if (t == 0xF72F) {
    e = RecurGenerateTable();
    if (e != 0) {
      RecurResetGraphState();
    } else {
      *show = 3;
    }
  } else {
    e = DrawTableGraph(t);
  }
  if (e != 0) return static_cast<i32>(Raise(e, result));
  return 1;
}

u32 RecurShowTableFromProgram(u32 *key) {
  *key = kKeyExit;
  if ((RecurDependencyFlags() & (kRecurSelA | kRecurSelB | kRecurSelC)) == 0) return kErrNothing;
  u32 rows = 0, cols = 0;
  if (ItemMatDims(kRecurTableMatrix, &rows, &cols) != 0 || rows == 0) return kErrMemory;
  *key = RecurTableView();
  return 0;
}
