// The graph statements that draw from a stored function or a formula with
// more than its curve: Tangent, Normal and Inverse of a graph function, the
// integral graph and the normal-probability graphs of "Graph", the graphs
// of the function table (DrawFTG-Con, DrawFTG-Plt) and ZoomAuto, which fits
// the V-Window to what was drawn and draws it again.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "eval/token.h"
#include "graph/app/graph_funcs.h"
#include "graph/command/command_util.h"
#include "graph/command/graph_command.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_glue.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/recur/recur_graph.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/graph_trace.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

using namespace gcmd;

namespace {

constexpr u8 kTableMatrix = 35;
constexpr u8 kRecurMatrix = 36;
constexpr u16 kTypeIntegral = 269;
constexpr u16 kTypeProbability = 4356;
constexpr u8 kGrpIntegral = 15;
constexpr u8 kGrpProbP = 16;

u32 MatrixRows(u8 matrix) {
  u32 rows = 0, cols = 0;
  return ItemMatDims(matrix, &rows, &cols) == 0 ? rows : 0;
}

bool IsCommandMode(u8 mode) { return mode == kGrpCommands || (mode >= kGrpIntegral && mode <= kGrpProbP + 2); }

// Evaluates with the graph variables allowed (bit 0 of SET UP byte 74);
// the bit is cleared again whatever the outcome.
u32 ReadGraphValue(const u8 **p, BcdReal *out, u32 flags) {
  const u8 vars = SetupGetByte(kSetupGraphVars);
  SetupSetByte(kSetupGraphVars, static_cast<u8>(vars | 1));
  const u32 e = ReadValue(p, out, flags);
  SetupSetByte(kSetupGraphVars, static_cast<u8>(SetupGetByte(kSetupGraphVars) & ~1u));
  return e;
}

// Whether the token at c opens a bracket: "(" or a name ending in it.
bool OpensBracket(const u8 *c) {
  const u32 code = TokIsLeadByte(*c) && c[1] != 0 ? (u32{c[0]} << 8) | c[1] : *c;
  char name[kStrTokenNameMax];
  StrTokenName(code, name);
  const size_t n = std::strlen(name);
  return n > 0 && name[n - 1] == '(';
}

// The probability a graph shades, to the last of its 15 digits: P below
// t, Q between 0 and |t|, R above t. The error function is taken in the
// host's extended precision (19 digits) and rounded once, which the
// 15-digit routines of expressions (P( gives five digits) cannot promise.
u32 NormalProbability(u8 mode, const BcdReal *t, BcdReal *out) {
  NumDigits rec{};
  if (NumDecompose(&rec, t) != 1) return kErrMa;
  long double x = 0;
  for (int i = 14; i >= 0; --i) x = x / 10 + rec.d[i];
  x *= std::pow(10.0L, static_cast<long double>(rec.exponent)) * rec.sign;
  const long double s = x / std::sqrt(2.0L);
  long double p = 0;
  if (mode == kGrpProbP) {
    p = std::erfc(-s) / 2;
  } else if (mode == kGrpProbP + 1) {
    p = std::erf(std::fabs(s)) / 2;
  } else {
    p = std::erfc(s) / 2;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%.14LE", p);
  RealSetZero(out);
  NumParse(text, out);
  RealNormalize(out, out);
  return RealErrorCode(out);
}

// The entry of the newest command of the ring.
void NewestCommandEntry(GraphEntry *e, const char *text, u16 type, u8 style) {
  *e = GraphEntry{};
  e->text = reinterpret_cast<const u8 *>(text);
  e->type = type;
  e->style = style;
  e->labelKind = (type & (kGraphTypeFunc | kGraphTypeBuiltin)) ? 0 : 5;
  e->slot = GmemCommandCount();
  e->readoutKind = 1;
  if ((type & (kGraphTypeBuiltin | kGraphTypeX)) == (kGraphTypeBuiltin | kGraphTypeX)) e->builtin = GraphNormalDensity;
}

// The shading of a probability graph: P from the left to t, R from t to
// the right, Q between 0 and t.
void ProbabilityArea(GraphEntry *e, u8 mode, BcdReal bounds[2]) {
  const u32 rel = mode == kGrpProbP ? 0x00u : mode == kGrpProbP + 2 ? 0x10u : 0x20u;
  e->type |= kGraphTypeArea | rel;
  if (rel == 0x20 && RealCompare(kRealCmpLt, &bounds[1], &bounds[0]) == 1) {
    const BcdReal t = bounds[0];
    bounds[0] = bounds[1];
    bounds[1] = t;
  }
  e->areaBounds = bounds;
}

// Draws the entry table (and, for an integral or probability graph, its
// shading from the bounds in "COMOBCD") on ctx. 0 or the plot's code.
u32 PlotWithAreas(GraphContext *ctx, u8 mode) {
  if (const u32 e = PlotKeepingAux(ctx)) return e;
  if (mode < kGrpIntegral || mode > kGrpProbP + 2 || ctx->entries[0].style == 0) return 0;
  // The shaded graph is the newest command, which the ring lists first.
  const i32 last = 0;
  BcdReal bounds[2];
  if (GmemReadComValue(&bounds[0], 1) != 0 || GmemReadComValue(&bounds[1], 2) != 0) return 0;
  GraphEntry table[2] = {ctx->entries[last], GraphEntry{}};
  if (mode == kGrpIntegral) {
    table[0].type |= kGraphTypeArea | 0x20;
    table[0].areaBounds = bounds;
  } else {
    ProbabilityArea(&table[0], mode, bounds);
  }
  GraphEntry *keep = ctx->entries;
  ctx->entries = table;
  GraphPrepareArea(ctx, 0);
  const u32 e = GraphPlotAll(ctx);
  ctx->entries = keep;
  return e;
}

// A new command of the ring drawn as one entry into the stored image: the
// ring starts anew unless graph commands are on the screen. 0 with ctx
// open and e set, or an error code (the drawn graph forgotten).
u32 DrawNewCommand(const char *formula, u16 type, u8 style, GraphContext *ctx, GraphEntry *e) {
  if (!IsCommandMode(GmemReadGraphMode())) GmemDeleteCommands();
  if (const u32 err = GmemAppendGraphCommand(formula, type, style)) return err;
  u8 sketchStyle = style;
  if (const u32 err = OpenSketch(ctx, &sketchStyle)) return err;
  const char *text = nullptr;
  if (GmemCommandTextPtr(0, &text) != 0) return kErrMemory;
  NewestCommandEntry(e, text, type, style);
  return 0;
}

u32 Fail(u32 code) {
  GmemDeleteGraphRecord();
  return code;
}

// The values of an integral or probability graph kept for the read-out;
// a failure forgets the graph and its commands.
u32 KeepValues(const BcdReal *value, const BcdReal *lower, const BcdReal *upper) {
  if (GmemWriteComValue(value, 0) == 0 && GmemWriteComValue(lower, 1) == 0 && GmemWriteComValue(upper, 2) == 0)
    return 0;
  GmemDeleteGraphRecord();
  GmemDeleteCommands();
  return kErrMemory;
}

// The function token and slot of Tangent, Normal and Inverse: 0 with the
// slot and its type word, else the error code.
u32 ReadFunctionRef(u32 cmd, const u8 **p, int *slot, u16 *type) {
  const u8 *q = *p;
  u16 need = 0;
  if (q[0] == 0x7F && q[1] == 0xF0) {
    need = 256;
  } else if (q[0] == 0x7F && q[1] == 0xF1) {
    need = 1026;
  } else if ((q[0] == 0x7F && (q[1] == 0xF2 || q[1] == 0xF3)) || (q[0] == 0xF9 && q[1] == 0x1B)) {
    need = 1025;
  } else if (q[0] == 0x7F && q[1] == 0xF4) {
    return kErrArgument;
  } else {
    return kErrSyntax;
  }
  if (cmd == 0xF7A2 && need != 256) return kErrArgument;
  q += 2;
  if (GraphParseMemNumber(&q, slot) != 0) return kErrArgument;
  *type = GmemReadFuncType(*slot);
  if ((*type & need) != need) return kErrArgument;
  *p = q;
  return 0;
}

}  // namespace

u32 GraphNormalDensity(const BcdReal *v, BcdReal *out, GraphContext *, i32) {
  static const BcdReal kScale = [] {
    BcdReal r;
    RealSetZero(&r);
    NumParse("0.398942280401432", &r);
    return r;
  }();
  BcdReal sq, half, e;
  RealMul(v, v, &sq);
  RealSetZero(&half);
  NumParse("-0.5", &half);
  RealMul(&sq, &half, &sq);
  RealExp(&sq, &e);
  RealMul(&e, &kScale, out);
  RealNormalize(out, out);
  return RealErrorCode(out);
}

namespace gcmd {

u32 RunCurveSketch(u32 cmd, const u8 **p, u8 style) {
  int slot = 0;
  u16 type = 0;
  if (const u32 e = ReadFunctionRef(cmd, p, &slot, &type)) return e;
  BcdReal at;
  RealSetZero(&at);
  if (cmd == 0xF7A2) {
    if (type != kGraphFuncY) return kErrArgument;
  } else {
    if (const u32 e = ReadComma(p)) return e;
    if (const u32 e = ReadValue(p, &at)) return e;
  }
  if (!AtStatementEnd(*p)) return kErrSyntax;
  if (type & 0xE000) return kErrSyntax;
  GraphContext ctx;
  if (const u32 e = OpenSketch(&ctx, &style)) return e;
  ctx.lineStyle = style;
  GraphEntry table[2] = {};
  table[0].text = reinterpret_cast<const u8 *>(GmemFuncDataPtr(slot));
  table[0].textSource = GraphFuncSlotText;
  table[0].type = type;
  table[0].slot = slot;
  table[0].style = GmemReadFuncKind(slot) != 0 ? GmemReadFuncKind(slot) : u8{kGraphStyleNormal};
  table[0].readoutKind = (type & kGraphTypePolar) ? 2 : (type & kGraphTypeParam) ? 3 : 1;
  if (table[0].text == nullptr || table[0].text[0] == 0) return kErrArgument;
  ctx.entries = table;
  GraphPrepareScreen(&ctx);
  if (const u32 e = PlotKeepingAux(&ctx)) return Fail(e);
  GraphPrepareScreen(&ctx);
  u32 e = 0;
  GmemLineReadout line{};
  if (cmd == 0xF7A2) {
    const i32 entry[4] = {0, 1, 0, 0};
    e = GraphDrawInverse(&ctx, entry);
  } else {
    TraceReadout ro{};
    ro.type = type;
    u32 ev = 0;
    if (type & kGraphTypeX) {
      ro.x = at;
      ev = GraphEvalFunc(&ro.x, &ro.y, &ctx, 0, 1);
    } else {
      ro.t = at;
      ev = GraphEvalParam(&ro.t, &ro.x, &ro.y, &ro.r, &ctx, 0, 1);
    }
    if (ev == 0) ev = RealErrorCode(&ro.y) != 0 ? RealErrorCode(&ro.y) : RealErrorCode(&ro.x);
    if (ev == 0) ev = GraphSlopeDispatch(&ro, &ctx, 0, 1);
    if (ev == 0) {
      u32 key = cmd == 0xF7A0 ? u32{kGraphKeyTangent} : u32{kGraphKeyNormal};
      ev = GraphDrawTangentLine(&key, &ro.x, &ro.y, &ro.slope[0], &ctx);
    }
    if (ev == 0) StoreXY(&ro.x, &ro.y);
    e = ev;
    line = GmemLineReadout{ro.x, ro.y, ro.slope[0], ctx.view.extXlow, ctx.view.extXhigh, type, 0};
  }
  if (e != 0) return Fail(e);
  if (const u32 c = CloseSketch(&ctx, 0)) return c;
  // The line's read-out is shown with the graph, as the graph screen shows it.
  if (cmd != 0xF7A2 && GmemWriteLineReadout(&line) != 0) return kErrMemory;
  return 0;
}

i32 RunProbabilityGraph(const u8 **p, u8 style) {
  const u8 *q = *p;
  if (q[0] < 0xFB || q[0] > 0xFD) return -1;
  // The argument must close the statement (its bracket may be left open).
  i32 depth = 0;
  for (const u8 *c = q + 1; !AtStatementEnd(c); c += TokIsLeadByte(*c) && c[1] != 0 ? 2 : 1) {
    if (OpensBracket(c)) ++depth;
    if (*c == ')' && depth-- == 0 && !AtStatementEnd(c + 1)) return -1;
  }
  const u8 *arg = q + 1;
  BcdReal t;
  const u32 ae = ReadGraphValue(&arg, &t, kEvalWhole | kEvalOpenBracket);
  if (ae != 0) return static_cast<i32>(ae);
  if (!AtStatementEnd(arg)) return -1;
  const u8 mode = static_cast<u8>(kGrpProbP + (q[0] - 0xFB));
  BcdReal value;
  if (const u32 e = NormalProbability(mode, &t, &value)) return static_cast<i32>(e);
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0) {
    if (GmemResetVwin(1) != 0 || GmemReadVwin(&rec) != 0) return kErrMemory;
  }
  VwinPreset(&rec, kVwinPresetProbability);
  if (GmemWriteVwin(&rec) != 0) return kErrMemory;
  GmemDeleteGraphRecord();
  GraphContext ctx;
  GraphEntry table[2] = {};
  if (const u32 e = DrawNewCommand(reinterpret_cast<const char *>(q), kTypeProbability, style, &ctx, &table[0]))
    return static_cast<i32>(e);
  BcdReal bounds[2] = {t, t};
  RealSetZero(&bounds[1]);
  if (mode != kGrpProbP + 1) bounds[1] = t;
  ProbabilityArea(&table[0], mode, bounds);
  ctx.entries = table;
  GraphPrepareArea(&ctx, 0);
  GraphPrepareScreen(&ctx);
  if (const u32 e = PlotKeepingAux(&ctx)) {
    GmemDeleteCommands();
    return static_cast<i32>(Fail(e));
  }
  GraphPrepareScreen(&ctx);
  if (const u32 e = KeepValues(&value, &bounds[0], &bounds[1])) return static_cast<i32>(e);
  *p = arg;
  return static_cast<i32>(CloseSketch(&ctx, mode));
}

u32 RunIntegralGraph(const u8 **p, u8 style) {
  // The statement is read from a copy without its closing bracket, which
  // may stand after the last argument.
  const u8 *start = *p;
  if (*start == '(') ++start;
  const u8 *end = start;
  i32 depth = 0;
  const u8 *close = nullptr;
  while (!AtStatementEnd(end)) {
    if (close != nullptr) return kErrSyntax;  // text after the closing bracket
    if (*end == '{' || *end == '}') return kErrSyntax;  // no lists
    if (*end == '(' || *end == '[') ++depth;
    if (*end == ')' || *end == ']') {
      if (depth == 0 && *end == ')') close = end;
      if (depth > 0) --depth;
    }
    end += TokIsLeadByte(*end) && end[1] != 0 ? 2 : 1;
  }
  std::vector<u8> copy(start, close != nullptr ? close : end);
  // Ended as every evaluated text is: a zero and a second one, so that a
  // lead byte at the end still reads its second byte inside the copy.
  copy.push_back(0);
  copy.push_back(0);
  const u8 *formula = copy.data();
  // The formula runs to the first comma outside brackets.
  const u8 *q = formula;
  depth = 0;
  while (!(*q == 0 || (*q == ',' && depth == 0))) {
    if (*q == '(' || *q == '[') ++depth;
    if ((*q == ')' || *q == ']') && depth > 0) --depth;
    q += TokIsLeadByte(*q) && q[1] != 0 ? 2 : 1;
  }
  if (q == formula) return kErrSyntax;
  BcdReal lo, hi, tol;
  RealSetZero(&tol);
  if (const u32 e = ReadComma(&q)) return e;
  if (const u32 e = ReadValue(&q, &lo)) return e;
  if (const u32 e = ReadComma(&q)) return e;
  if (const u32 e = ReadValue(&q, &hi)) return e;
  if (*q == ',') {
    ++q;
    if (const u32 e = ReadValue(&q, &tol)) return e;
  }
  if (*q != 0) return kErrSyntax;
  GraphContext ctx;
  GraphEntry table[2] = {};
  if (const u32 e = DrawNewCommand(reinterpret_cast<const char *>(formula), kTypeIntegral, style, &ctx, &table[0]))
    return e;
  ctx.entries = table;
  GraphPrepareScreen(&ctx);
  // Drawing and integrating run through X; the user's X stays.
  Value x{};
  SysReadVariable('X', &x);
  u32 e = PlotKeepingAux(&ctx);
  BcdReal value;
  if (e == 0) {
    ctx.view.extXlow = lo;
    ctx.view.extXhigh = hi;
    bool shaded = false;
    e = GsolveIntegral(&ctx, 0, &tol, &value, &shaded);
  }
  SysStoreVariable('X', &x);
  if (e != 0) {
    GmemDeleteCommands();
    return Fail(e);
  }
  if (const u32 ke = KeepValues(&value, &ctx.view.extXlow, &ctx.view.extXhigh)) return ke;
  *p = end;
  return CloseSketch(&ctx, kGrpIntegral);
}

u32 RunTableGraph(u32 cmd, const u8 **p) {
  if (!AtStatementEnd(*p)) return kErrSyntax;
  GraphContext ctx;
  u8 style = 0;
  if (const u32 e = OpenSketch(&ctx, &style)) return e;
  ctx.tableKind = kTableMatrix;
  if (MatrixRows(kTableMatrix) == 0) {
    if (GraphDrawKind(&ctx, kGraphSelTable) == 0) return kErrNothing;
    if (const u32 e = GraphGlueBuildTable(&ctx)) return e;
  }
  const bool joined = cmd == 0xF724;
  GraphDrawKind(&ctx, joined ? kGraphSelTableConn : kGraphSelTablePlot);
  GraphPrepareScreen(&ctx);
  if (const u32 e = PlotKeepingAux(&ctx)) return Fail(e);
  GraphPrepareScreen(&ctx);
  return CloseSketch(&ctx, joined ? kGrpTableConnect : kGrpTablePlot);
}

u32 RunZoomAuto(const u8 **p) {
  if (!AtStatementEnd(*p)) return kErrSyntax;
  GraphContext ctx;
  u8 style = 0;
  if (const u32 e = OpenSketch(&ctx, &style)) return e;
  const u8 mode = GmemReadGraphMode();
  ctx.tableKind = mode == 8 || mode == 9 || mode == 13 || mode == 14 ? kRecurMatrix : kTableMatrix;
  GraphEntry recur[4] = {};
  // The entries of what was drawn. Their texts live in main memory, so they
  // are taken again after the zoom has written its windows.
  auto build = [&]() -> u32 {
    switch (mode) {
      case kGrpCommands:
      case kGrpIntegral:
      case kGrpProbP:
      case kGrpProbP + 1:
      case kGrpProbP + 2:
        GraphCommandEntries(&ctx);
        break;
      case 2:
        GraphDrawKind(&ctx, kGraphSelGraph);
        break;
      case kGrpTableConnect:
      case kGrpTablePlot:
        if (MatrixRows(kTableMatrix) == 0) return kErrSyntax;
        GraphDrawKind(&ctx, mode == kGrpTableConnect ? kGraphSelTableConn : kGraphSelTablePlot);
        break;
      case 8:
      case 9:
      case 13:
      case 14: {
        if (MatrixRows(kRecurMatrix) == 0) return kErrSyntax;
        const i32 kind = mode == 8    ? kRecurGraphSumPoints
                         : mode == 9  ? kRecurGraphSumLines
                         : mode == 13 ? kRecurGraphPoints
                                      : kRecurGraphLines;
        RecurBuildEntries(kind, recur);
        ctx.entries = recur;
        break;
      }
      default:
        return kErrNothing;
    }
    return ctx.entries[0].style == 0 ? kErrNothing : 0u;
  };
  if (const u32 e = build()) return e;
  if (const u32 e = GraphZoomApply(kGraphKeyZoomAuto, &ctx)) return Fail(e);
  if (const u32 e = GraphLoadVwin(&ctx, 1)) return Fail(e);
  if (const u32 e = build()) return Fail(e);
  ctx.runFlags = static_cast<u8>(kPlanesOnly | (ctx.runFlags & (kGraphRunXReversed | kGraphRunYReversed)));
  GraphClearBuffer(&ctx);
  GmemWriteGraphModeAux(0);
  if (const u32 e = PlotWithAreas(&ctx, mode)) return Fail(e);
  GraphPrepareScreen(&ctx);
  return CloseSketch(&ctx, mode);
}

}  // namespace gcmd
