// The program interpreter's steps into the layers above it (the run screen's
// input line, the graph engine, the list and matrix commands), gathered in
// one place. A step whose owner is not part of the system yet reports
// System ERROR instead of pretending to succeed.
#include <cstring>

#include "apps/calc/ans_view.h"
#include "apps/calc/run_input.h"
#include "apps/finance/fin_mem.h"
#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "eval/prog_internal.h"
#include "eval/prog_matlist.h"
#include "graph/app/graph_funcs.h"
#include "graph/command/graph_command.h"
#include "graph/dyna/dyna_glue.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/recur/recur_glue.h"
#include "graph/recur/recur_web.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "graph/table/graph_table.h"
#include "graph/table/table_screen.h"
#include "memory/item_system.h"
#include "kernel/keyqueue.h"
#include "number/value.h"
#include "number/realop.h"
#include "ui/keycodes.h"
#include "ui/lcd.h"
#include "ui/popup.h"

namespace {
// The sketch key that shows a plot's point with the pointer.
constexpr u32 kGraphPlotKey = 343;
}  // namespace

u32 ProgGlueInput(const u8 **pos, Value *status, ProgRunContext *ctx, u8 *text) {
  return RunMatProgInput(pos, status, ctx, text);
}

u32 ProgGlueGraphCommand(const u8 **p, Value *result, ProgRunContext *ctx) {
  u32 show = kGraphShowGraph;
  i32 key = 0;
  static const u32 kModes[4] = {kProgOutGraph, kProgOutPlot, kProgOutFTable, kProgOutRTable};
  if (const i32 r = RecurRunProgramCommand(p, result, &show); r >= 0) {
    if (r == 0) return 0;
    ctx->outputMode = kModes[show];
    return 1;
  }
  if (!GraphRunSketchCommand(p, result, &show, &key)) return 0;
  ctx->outputMode = kModes[show];
  return 1;
}

u32 ProgGlueMatListCommand(const u8 **p, Value *result) { return ProgMatListCommand(p, result, nullptr); }

namespace {

enum : i32 { kNoGraphTarget = -1, kXfactTarget = 11, kYfactTarget = 12 };

// The V-Window value (0..10, *right for the right-hand window) or zoom
// factor a token names, else kNoGraphTarget.
i32 GraphTarget(const u8 *t, bool *right) {
  *right = false;
  if (t[0] == 0xF9 && (t[1] == 0x21 || t[1] == 0x22)) {
    *right = t[1] == 0x22;
    return *right ? 10 : 3;
  }
  if (t[0] != 0x7F) return kNoGraphTarget;
  if (t[1] == 0x0B) return kXfactTarget;
  if (t[1] == 0x0C) return kYfactTarget;
  u8 s = t[1];
  if (s >= 0x10) {
    s = static_cast<u8>(s - 0x10);
    *right = true;
  }
  if (s > 0x0A || s == 0x03 || s == 0x07) return kNoGraphTarget;
  return s <= 0x06 ? s : s - 1;
}

// Stores a real into a V-Window value or zoom factor: 0 or an error code.
u32 AssignGraphValue(i32 target, bool right, const Value *v) {
  if (const u32 e = ValErrorCode(v)) return e;
  if (ValKind(v) != 1) return kProgErrSyntax;  // a list or matrix
  if (ValIsComplex(v)) return kProgErrMa;
  BcdReal x;
  RealFracToDecimal(&v->re, &x);
  if (const u32 e = RealErrorCode(&x)) return e;
  RealNormalize(&x, &x);
  if (target == kXfactTarget || target == kYfactTarget) return GmemWriteZoomFactor(target == kYfactTarget, &x);
  return right ? GmemWriteVwinrValue(&x, target) : GmemWriteVwinValue(&x, target);
}

// Stores a real into Start, End or Step of the table range.
u32 AssignTableRange(u32 which, const Value *v) {
  if (const u32 e = ValErrorCode(v)) return e;
  if (ValKind(v) != 1) return kProgErrSyntax;
  if (ValIsComplex(v)) return kProgErrMa;
  TableRange r;
  if (TableReadRange(&r) != 0) return kProgErrMemory;
  BcdReal x;
  RealFracToDecimal(&v->re, &x);
  RealNormalize(&x, &x);
  (which == 0 ? r.start : which == 1 ? r.end : r.step) = x;
  return TableWriteRange(&r) == 0 ? 0u : u32{kProgErrMemory};
}

}  // namespace

u32 ProgGlueAssignSystem(const u8 **p, const Value *v, Value *result) {
  // The financial variables belong to the financial record.
  if (FinIsVariableToken(*p)) {
    const u32 err = FinAssignToken(p, v);
    return err ? ProgRaise(err, result) : 1;
  }
  // F Start, F End, F pitch: the table range record.
  if ((*p)[0] == 0x7F && (*p)[1] >= 0x91 && (*p)[1] <= 0x93) {
    if (const u32 err = AssignTableRange((*p)[1] - 0x91, v)) return ProgRaise(err, result);
    *p += 2;
    return 1;
  }
  u32 owned_err = 0;
  if (RecurAssignValue(p, v, &owned_err) || DynaAssignValue(p, v, &owned_err))
    return owned_err ? ProgRaise(owned_err, result) : 1;
  bool right = false;
  const i32 target = GraphTarget(*p, &right);
  if (target == kNoGraphTarget) return ProgRaise(kProgErrSystem, result);
  if (const u32 err = AssignGraphValue(target, right, v)) return ProgRaise(err, result);
  *p += 2;
  return 1;
}

u32 ProgGlueSetDynaVar(u16 var) { return DynaSetVar(var); }

// A text into a recursion formula, a function memory (fn n) or a graph
// function (Y, r, Xt, Yt, X and n).
u32 ProgGlueAssignText(const u8 **p, const u8 *text, u32 len, Value *result) {
  u32 recur_err = 0;
  if (RecurAssignText(p, text, len, &recur_err)) return recur_err ? ProgRaise(recur_err, result) : 1;
  const u8 *q = *p;
  const bool fmem = q[0] == 0xF9 && q[1] == 0x1B;
  const bool func = q[0] == 0x7F && q[1] >= 0xF0 && q[1] <= 0xF4;
  if (!fmem && !func) return ProgRaise(kProgErrSystem, result);
  const u8 which = q[1];
  q += 2;
  int n = 0;
  if (GraphParseMemNumber(&q, &n) != 0) return ProgRaise(kProgErrArgument, result);
  u32 err = 0;
  if (fmem) {
    char buf[kGraphFuncTextRoom + 1];
    if (len > kGraphFuncTextRoom) return ProgRaise(kProgErrMemory, result);
    std::memcpy(buf, text, len);
    buf[len] = 0;
    err = ItemFmemStore(static_cast<u32>(n), buf) == 0 ? 0u : u32{kProgErrMemory};
  } else {
    err = GraphAssignFuncText(which, n, text, len);
  }
  if (err) return ProgRaise(err, result);
  *p = q;
  return 1;
}

// A list or matrix result opens its viewer on List Ans or Mat Ans; a capture
// is recalled onto the screen until EXIT, EXE, AC or SHIFT+EXIT; a graph is
// shown on the graph screen until a key leaves it, and a function table on
// the table screen, and the recursion table on its own.
u32 ProgGlueShowResult(ProgRunContext *ctx, u32 *key) {
  *key = kKeyExit;
  i32 exitKey = kKeyExit;
  if (ctx->outputMode == kProgOutList || ctx->outputMode == kProgOutMatrix) {
    const i32 code = ctx->outputMode == kProgOutList ? AnsViewList(0, 0, &exitKey) : AnsViewMatrix(0, &exitKey);
    *key = static_cast<u32>(exitKey);
    return static_cast<u32>(code);
  }
  if (ctx->outputMode == kProgOutGraph || ctx->outputMode == kProgOutPlot) {
    // A plot shows its point with the pointer.
    u32 graphKey = ctx->outputMode == kProgOutPlot ? kGraphPlotKey : 0;
    const u32 code = GraphRedisplay(&graphKey);
    *key = graphKey;
    return code;
  }
  if (ctx->outputMode == kProgOutFTable) {
    u32 tableKey = 0;
    const u32 code = TableShowFromProgram(&tableKey);
    *key = tableKey;
    return code;
  }
  if (ctx->outputMode == kProgOutRTable) return RecurShowTableFromProgram(key);
  if (ctx->outputMode != kProgOutCapture) return 0;
  if (const i32 code = PopupRecallCapture(static_cast<i32>(ctx->captureNumber))) return static_cast<u32>(code);
  *key = PopupWaitKey({kKeyExit, kKeyExe, kKeyAc, kKeyQuit});
  return 0;
}

u32 ProgGlueShowGraph(u32 *key) { return GraphRedisplay(key); }

void ProgGlueVwinScreen() { GraphOpenVwinScreen(); }

namespace {

// The calculation type of a statistics command token (0xF7 code).
i32 StatTypeOfToken(u8 code) {
  switch (code) {
    case 0x34: return 17;
    case 0x36: return 18;
    case 0x40: return 20;
    case 0x41: return 21;
    default: return code >= 0x42 && code <= 0x49 ? code - 0x42 + 9 : 0;
  }
}

}  // namespace

u32 ProgStatCommand(ProgRunState *run, u8 code) {
  constexpr u8 kDispStop = 0x0C;
  const i32 type = StatTypeOfToken(code);
  u32 x = 0, y = 0, f = 0;
  if (!ProgReadListOperand(run, &x)) return 0;
  if (type != 20) {
    if (*run->p != ',') return ProgFail(run, kProgErrSyntax);
    ++run->p;
    if (!ProgReadListOperand(run, &y)) return 0;
  }
  if (type != 17 && type != 18 && *run->p == ',') {
    ++run->p;
    // "1" stands for no frequency list.
    if (run->p[0] == '1' && ProgTokIsEnd(run->p + 1)) ++run->p;
    else if (run->p[0] == '1' && run->p[1] == kDispStop) ++run->p;
    else if (!ProgReadListOperand(run, &f)) return 0;
  }
  const u8 end = *run->p;
  if (!ProgTokIsEnd(run->p) && end != kDispStop) return ProgFail(run, kProgErrSyntax);
  // The result screen follows when a display-stop follows or the command
  // ends the outer program.
  const bool show = end == kDispStop || (end == 0 && run->count <= 1);
  if (show) run->ctx->screenChanged = 1;
  i32 out = 0;
  const u32 err = StatSetCalcFromCommand(show ? 1 : 0, type, static_cast<i32>(x), type == 20 ? -1 : static_cast<i32>(y),
                                         static_cast<i32>(f), &out);
  if (show) ProgRedrawText(run->ctx);
  KeyBreakArm();
  LcdShowBusyIndicator();
  if (err != 0) return ProgFail(run, err);
  if (out == -13 && end != 0) return ProgFail(run, kProgErrBreak);
  return out == -1 || out == -2 ? 2 : 1;
}

namespace {

// The graph type a StatGraph type word names, 0 for none.
u16 StatGraphTypeOfToken(const u8 *t) {
  if (t[0] == 0xF9 && t[1] == 0x23) return 6;
  if (t[0] != 0xF7) return 0;
  // Scatter, xyLine, Hist, MedBox, (none), N-Dist, Broken, then the
  // regressions Linear .. Power.
  static const u8 kFromScatter[15] = {1, 2, 4, 5, 0, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  if (t[1] == 0x32) return 3;
  if (t[1] == 0x33) return 17;
  if (t[1] == 0x35) return 18;
  return t[1] >= 0x50 && t[1] <= 0x5E ? kFromScatter[t[1] - 0x50] : 0;
}

bool IsColourWord(const u8 *t) { return t[0] == 0x7F && t[1] >= 0x34 && t[1] <= 0x36; }

}  // namespace

u32 ProgSetStatGraph(ProgRunState *run, u8 code) {
  enum Operand { kX, kY, kFreq, kMark };
  const int slot = code - 0x49;
  u16 cond[kStatGraphWords];
  if (StatLoadGraphCond(cond) != 0) return ProgFail(run, kProgErrMemory);
  u16 *block = cond + 7 * slot;
  const u8 *p = run->p;
  if (p[0] != 0xF7 || (p[1] != 0xCC && p[1] != 0xDC)) return ProgFail(run, kProgErrSyntax);
  block[0] = p[1] == 0xCC ? 1 : 0;
  run->p += 2;
  if (run->p[0] == ',' && !IsColourWord(run->p + 1)) {
    ++run->p;
    const u16 type = StatGraphTypeOfToken(run->p);
    if (type == 0) return ProgFail(run, kProgErrSyntax);
    block[1] = type;
    run->p += 2;
    static const Operand kPaired[] = {kX, kY, kFreq, kMark};
    static const Operand kNpp[] = {kX, kMark};
    static const Operand kSingle[] = {kX, kFreq};
    static const Operand kReg[] = {kX, kY, kFreq};
    const Operand *ops = type <= 2 ? kPaired : type == 3 ? kNpp : type <= 8 ? kSingle : kReg;
    const int count = type <= 2 ? 4 : type == 3 ? 2 : type <= 8 ? 2 : type <= 16 ? 3 : 2;
    for (int i = 0; i < count && run->p[0] == ',' && !IsColourWord(run->p + 1); ++i) {
      ++run->p;
      u32 n = 0;
      if (ops[i] == kMark) {
        if (run->p[0] != 0xF7 || run->p[1] < 0x4D || run->p[1] > 0x4F) return ProgFail(run, kProgErrSyntax);
        block[5] = static_cast<u16>(0x4F - run->p[1]);
        run->p += 2;
        continue;
      }
      if (ops[i] == kFreq && run->p[0] == '1' && (run->p[1] == ',' || ProgTokIsEnd(run->p + 1))) {
        ++run->p;
        block[4] = 0;
        continue;
      }
      if (!ProgReadListOperand(run, &n)) return 0;
      block[ops[i] == kX ? 2 : ops[i] == kY ? 3 : 4] = static_cast<u16>(n);
    }
  }
  if (run->p[0] == ',' && IsColourWord(run->p + 1)) run->p += 3;
  if (!ProgTokIsEnd(run->p)) return ProgFail(run, kProgErrSyntax);
  if (StatWriteGraphCond(cond) != 0) return ProgFail(run, kProgErrMemory);
  StatClearResultLists();
  return 1;
}
