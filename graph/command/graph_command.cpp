#include "graph/command/graph_command.h"

#include <cstring>

#include "eval/eval.h"
#include "graph/command/command_util.h"
#include "eval/token.h"
#include "graph/dyna/dyna_play.h"
#include "graph/engine/graph_context.h"
#include "graph/engine/graph_glue.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "memory/item_array.h"
#include "memory/str.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/sysvar.h"

using namespace gcmd;

namespace {

constexpr u8 kGrpDrawGraph = 2;
constexpr u8 kPixelSet = kGraphOpSet0;
constexpr u8 kPixelClear = kGraphOpClearBoth;

// One plot point as "PLOT" keeps it: column and row, column -1 for none.
struct PlotPoint {
  i32 col, row;
};

}  // namespace

namespace gcmd {

u32 Raise(u32 code, Value *result) {
  std::memset(result, 0, sizeof *result);
  RealMakeError(static_cast<u8>(code), &result->re);
  return 0;
}

bool AtStatementEnd(const u8 *p) { return *p == 0 || *p == ':' || *p == 0x0D || *p == 0x0C; }

// Evaluates one argument at *p into a real: 0, or the error code. *p ends
// on the token after the argument.
u32 ReadValue(const u8 **p, BcdReal *out, u32 flags) {
  TokPos pos = *p;
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  Value v;
  std::memset(&v, 0, sizeof v);
  const u32 ok = EvalArgument(&pos, &tok, &v, 1, flags);
  const u8 b0 = TokByte0(&tok);
  if (b0 != 0) pos -= TokIsLeadByte(b0) ? 2 : 1;
  *p = pos;
  if (!ok) return RealErrorCode(&v.re) ? RealErrorCode(&v.re) : kErrSyntax;
  if (EvalIsArrayCell(&v)) {
    // A list or matrix argument is refused; its block goes with it.
    EvalFreeCell(&v);
    return kErrSyntax;
  }
  if (ValIsComplex(&v)) return 3;
  RealFracToDecimal(&v.re, out);
  RealNormalize(out, out);
  return 0;
}

u32 ReadComma(const u8 **p) {
  if (**p != ',') return kErrSyntax;
  ++*p;
  return 0;
}

// n values separated by commas.
u32 ReadValues(const u8 **p, BcdReal *out, u32 n) {
  for (u32 i = 0; i < n; ++i) {
    if (i > 0) {
      if (const u32 e = ReadComma(p)) return e;
    }
    if (const u32 e = ReadValue(p, &out[i])) return e;
  }
  return 0;
}

// A whole number lo..hi: 0 with *n, else Argument ERROR.
u32 WholeIn(const BcdReal *v, i32 lo, i32 hi, i32 *n) {
  if (RealIsInteger(v) != 1) return kErrArgument;
  const i32 k = NumToInt32(v);
  if (k < lo || k > hi) return kErrArgument;
  *n = k;
  return 0;
}


// Row (1..63) and column (1..127) of a pixel command.
u32 ReadPixelPair(const u8 **p, i32 *row, i32 *col) {
  BcdReal v[2];
  if (const u32 e = ReadValues(p, v, 2)) return e;
  if (const u32 e = WholeIn(&v[0], 1, kGraphLastRow, row)) return e;
  return WholeIn(&v[1], 1, kGraphLastColumn, col);
}


void StoreXY(const BcdReal *x, const BcdReal *y) {
  Value v;
  std::memset(&v, 0, sizeof v);
  v.re = *x;
  SysStoreVariable('X', &v);
  v.re = *y;
  SysStoreVariable('Y', &v);
}


bool PixelLit(const GraphContext *ctx, i32 col, i32 row) {
  const u8 mask = static_cast<u8>(0x80 >> (col % 8));
  const i32 i = col / 8 + 16 * row;
  return ((ctx->planes[i] | ctx->planes[kGraphPlaneBytes + i]) & mask) != 0;
}


// The dot of (x, y): true when it lies on the screen.
bool DotOf(const GraphContext *ctx, const BcdReal *x, const BcdReal *y, i32 *col, i32 *row) {
  const u32 cx = GraphXToColumn(x, col, &ctx->view, ctx->runFlags);
  const u32 cy = GraphYToRow(y, row, &ctx->view);
  return (cx | cy) == 0;
}


u32 ReadPlot(PlotPoint pts[2]) {
  u8 raw[16];
  const u32 n = GmemReadPlot(raw);
  std::memcpy(pts, raw, sizeof raw);
  return n;
}

u32 AddPlot(const PlotPoint &pt) {
  u8 raw[8];
  std::memcpy(raw, &pt, sizeof raw);
  return GmemAddPlotPoint(raw);
}

u32 SetPlot(const PlotPoint &pt) {
  u8 raw[8];
  std::memcpy(raw, &pt, sizeof raw);
  return GmemSetPlotPoint(raw);
}


// The context of a sketch: the single screen on "VWIN", the stored image
// (or a fresh one with its axes when nothing was drawn).
u32 OpenSketch(GraphContext *ctx, u8 *style) {
  std::memset(ctx, 0, sizeof *ctx);
  GraphInitContext(ctx);
  if (*style == 0) *style = ctx->lineStyle;
  ctx->screenFlags = static_cast<u8>(ctx->screenFlags & ~kGraphScreenModeMask);
  ctx->runFlags = kPlanesOnly;
  if (const u32 e = GraphLoadVwin(ctx, 1)) return e;
  ctx->runFlags = kPlanesOnly | (ctx->runFlags & (kGraphRunXReversed | kGraphRunYReversed));
  if (GmemCreateScreenIfMissing(ctx->planes) != 0) return kErrMemory;
  if (GmemReadGraphMode() == 0) {
    if (GmemWriteGraphMode(0) != 0) return kErrMemory;
    GmemSaveOrigVwin();
    GraphClearBuffer(ctx);
  } else if (GmemReadScreen(ctx->planes) != 0) {
    GraphClearBuffer(ctx);
  }
  return 0;
}

u32 CloseSketch(GraphContext *ctx, u8 mode) {
  if (mode != 0 || GmemReadGraphMode() == 0) {
    if (GmemWriteGraphMode(mode != 0 ? mode : kGrpSketch) != 0) return kErrMemory;
  }
  return GmemWriteScreen(ctx->planes) == 0 ? 0 : kErrMemory;
}

u32 PlotKeepingAux(GraphContext *ctx) {
  const u8 aux = static_cast<u8>(GmemReadGraphModeAux() & kGraphIneqMask);
  ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphIneqMask) | aux);
  const u32 e = GraphPlotAll(ctx);
  GmemWriteGraphModeAux(static_cast<u8>(ctx->screenFlags & kGraphIneqMask));
  return e;
}

}  // namespace gcmd

namespace {

void PointOp(GraphContext *ctx, i32 col, i32 row, u8 which) {
  u8 op = kPixelSet;
  if (which == 1) op = kPixelClear;
  if (which == 2) op = PixelLit(ctx, col, row) ? kPixelClear : kPixelSet;
  GraphPlotPixel(col, row, ctx->planes, op, kPlanesOnly);
}

// Plot with or without its point.
u32 Plot(GraphContext *ctx, const u8 **p) {
  BcdReal xy[2];
  i32 col = 64, row = 32;
  bool inside = true;
  if (AtStatementEnd(*p)) {
    GraphColumnToX(&xy[0], col, &ctx->view, ctx->runFlags);
    GraphRowToY(&xy[1], row, &ctx->view);
  } else {
    if (const u32 e = ReadValues(p, xy, 2)) return e;
    inside = DotOf(ctx, &xy[0], &xy[1], &col, &row);
  }
  PlotPoint pts[2];
  const u32 count = ReadPlot(pts);
  const bool lastValid = count >= 1 && pts[0].col >= 0;
  if (!inside) {
    if (lastValid) {
      GraphPlotPixel(pts[0].col, pts[0].row, ctx->planes, kPixelSet, kPlanesOnly);
      if (AddPlot(PlotPoint{-1, -1}) != 0) return kErrMemory;
    }
    return 0;
  }
  const PlotPoint pt{col, row};
  if (count == 0) {
    if (SetPlot(pt) != 0) return kErrMemory;
  } else if (lastValid) {
    GraphPlotPixel(pts[0].col, pts[0].row, ctx->planes, kPixelSet, kPlanesOnly);
    if (AddPlot(pt) != 0) return kErrMemory;
  } else if (SetPlot(pt) != 0) {
    return kErrMemory;
  }
  StoreXY(&xy[0], &xy[1]);
  return 0;
}

u32 Line(GraphContext *ctx, u8 style) {
  PlotPoint pts[2];
  if (ReadPlot(pts) == 2 && pts[0].col >= 0 && pts[1].col >= 0) {
    GraphDrawLine(pts[0].col, pts[0].row, pts[1].col, pts[1].row, ctx->planes, style, kPlanesOnly);
  }
  return 0;
}

u32 Text(GraphContext *ctx, const u8 **p) {
  BcdReal rc[2];
  if (const u32 e = ReadValues(p, rc, 2)) return e;
  i32 row = 0, col = 0;
  if (const u32 e = WholeIn(&rc[0], 1, kGraphLastRow, &row)) return e;
  if (const u32 e = WholeIn(&rc[1], 1, kGraphLastColumn, &col)) return e;
  if (const u32 e = ReadComma(p)) return e;
  char shown[2 * 32 + 1];
  if (**p == '"') {
    const u8 *q = *p + 1;
    char raw[256];
    u32 n = 0;
    while (*q != 0 && *q != '"' && *q != 0x0D && n + 2 < sizeof raw) {
      const u32 len = TokIsLeadByte(*q) && q[1] != 0 ? 2 : 1;
      std::memcpy(raw + n, q, len);
      n += len;
      q += len;
    }
    raw[n] = 0;
    if (*q == '"') ++q;
    *p = q;
    if (!AtStatementEnd(*p)) return kErrSyntax;
    StrExpandTokens(raw, shown, 32);
  } else {
    BcdReal v;
    if (const u32 e = ReadValue(p, &v)) return e;
    Value val;
    std::memset(&val, 0, sizeof val);
    val.re = v;
    char text[kNumTextSize];
    NumToText(&val, text);
    std::strncpy(shown, text, sizeof shown - 1);
    shown[sizeof shown - 1] = 0;
  }
  // Trailing blanks of the expanded text are not drawn.
  size_t len = std::strlen(shown);
  while (len > 0 && shown[len - 1] == ' ') shown[--len] = 0;
  GraphDrawText(shown, 0, col, row, ctx->planes, 0, ctx->runFlags);
  return 0;
}

u32 Picture(GraphContext *ctx, const u8 **p, bool store) {
  BcdReal v;
  if (const u32 e = ReadValue(p, &v)) return e;
  i32 n = 0;
  if (const u32 e = WholeIn(&v, 1, 20, &n)) return e;
  if (store) return GmemStorePict(ctx->planes, n) == 0 ? 0 : kErrMemory;
  const u8 *pict = GmemPictDataPtr(n);
  if (pict == nullptr) return kErrMemory;
  for (u32 i = 0; i < 2 * kGraphPlaneBytes; ++i) ctx->planes[i] |= pict[i];
  return 0;
}

// The sketch family: common start, the command, the common end.
u32 RunSketch(u32 cmd, const u8 **p, u8 style) {
  if (cmd >= 0xF7A0 && cmd <= 0xF7A2) return RunCurveSketch(cmd, p, style);
  GraphContext ctx;
  if (const u32 e = OpenSketch(&ctx, &style)) return e;
  u32 e = 0;
  BcdReal v[4];
  i32 col = 0, row = 0, c2 = 0, r2 = 0;
  switch (cmd) {
    case 0xE0: e = Plot(&ctx, p); break;
    case 0xE1:
      if (!AtStatementEnd(*p)) return kErrSyntax;
      e = Line(&ctx, style);
      break;
    case 0xF793:
    case 0xF794: e = Picture(&ctx, p, cmd == 0xF793); break;
    case 0xF7A3:  // Vertical
      e = ReadValue(p, &v[0]);
      if (e == 0 && GraphXToColumn(&v[0], &col, &ctx.view, ctx.runFlags) == 0) {
        GraphDrawLine(col, 1, col, kGraphLastRow, ctx.planes, style, kPlanesOnly);
      }
      break;
    case 0xF7A4:  // Horizontal
      e = ReadValue(p, &v[0]);
      if (e == 0 && GraphYToRow(&v[0], &row, &ctx.view) == 0) {
        GraphDrawLine(1, row, kGraphLastColumn, row, ctx.planes, style, kPlanesOnly);
      }
      break;
    case 0xF7A5: e = Text(&ctx, p); break;
    case 0xF7A6:  // Circle
      e = ReadValues(p, v, 3);
      if (e == 0) {
        ctx.view.extXlow = v[0];
        ctx.view.extYlow = v[1];
        ctx.view.extXhigh = v[2];
        GraphEntry none[1] = {};
        ctx.entries = none;
        ctx.lineStyle = style;
        e = GraphSketchCircle(&ctx, 1);
        if (e != 0) GmemDeleteGraphRecord();
      }
      break;
    case 0xF7A7:  // F-Line
      e = ReadValues(p, v, 4);
      if (e == 0 && DotOf(&ctx, &v[0], &v[1], &col, &row) && DotOf(&ctx, &v[2], &v[3], &c2, &r2)) {
        GraphDrawLine(col, row, c2, r2, ctx.planes, style, kPlanesOnly);
      }
      break;
    case 0xF7A8:
    case 0xF7A9:
    case 0xF7AA:  // PlotOn, PlotOff, PlotChg
      e = ReadValues(p, v, 2);
      if (e == 0 && DotOf(&ctx, &v[0], &v[1], &col, &row)) {
        StoreXY(&v[0], &v[1]);
        PointOp(&ctx, col, row, static_cast<u8>(cmd - 0xF7A8));
      }
      break;
    case 0xF7AB:
    case 0xF7AC:
    case 0xF7AD:  // PxlOn, PxlOff, PxlChg
      e = ReadPixelPair(p, &row, &col);
      if (e == 0) {
        GraphColumnToX(&v[0], col, &ctx.view, ctx.runFlags);
        GraphRowToY(&v[1], row, &ctx.view);
        StoreXY(&v[0], &v[1]);
        PointOp(&ctx, col, row, static_cast<u8>(cmd - 0xF7AB));
      }
      break;
    default:
      return kErrSystem;
  }
  if (e != 0) return e;
  if (!AtStatementEnd(*p)) return kErrSyntax;
  return CloseSketch(&ctx, 0);
}

// DrawGraph and the table display.
u32 RunDraw(u32 cmd, const u8 **p, u32 *show) {
  if (!AtStatementEnd(*p)) return kErrSyntax;
  GraphContext ctx;
  if (cmd == 0xF72E) {
    // DispF-Tbl: the table is made when the run's end shows it.
    std::memset(&ctx, 0, sizeof ctx);
    GraphInitContext(&ctx);
    if (GraphDrawKind(&ctx, kGraphSelTable) == 0) return kErrNothing;
    *show = kGraphShowFTable;
    return 0;
  }
  if (cmd != 0xF720) return kErrSystem;
  u8 style = 0;
  if (const u32 e = OpenSketch(&ctx, &style)) return e;
  if (GraphDrawKind(&ctx, kGraphSelGraph) == 0) return kErrNothing;
  ctx.entries = GraphEntryTable();
  GmemDeleteCommands();
  const u32 e = GraphPlotAll(&ctx);
  if (e != 0) {
    GmemDeleteGraphRecord();
    return e;
  }
  return CloseSketch(&ctx, kGrpDrawGraph);
}

// The V-Window preset of a built-in graph "Graph Y=" + function token, 0
// for a token that has none.
i32 BuiltinPreset(u8 token) {
  struct Builtin {
    u8 token;
    i16 preset;
  };
  static const Builtin kBuiltins[] = {
      {0x81, 305}, {0x82, 305}, {0x83, 306}, {0x91, 307}, {0x92, 308}, {0x93, 309}, {0xA1, 310},
      {0xA2, 311}, {0xA3, 312}, {0xB1, 313}, {0xB2, 314}, {0xB3, 315}, {0x95, 316}, {0xA5, 317},
      {0xB5, 318}, {0x8B, 319}, {0x9B, 320}, {0x85, 321}, {0x86, 322}, {0x96, 323},
  };
  for (const Builtin &b : kBuiltins) {
    if (b.token == token) return b.preset;
  }
  return 0;
}

// "Graph Y=" followed by a function token alone: the function of X, drawn on
// the function's own window. 0 with the formula in text (4 bytes), or an
// error code; -1 when the statement is not a built-in graph.
i32 BuiltinGraph(const u8 *p, u8 *text) {
  const i32 preset = BuiltinPreset(p[0]);
  if (preset == 0 || TokIsLeadByte(p[0]) || !AtStatementEnd(p + 1)) return -1;
  const bool postfix = p[0] == 0x8B || p[0] == 0x9B;
  text[0] = postfix ? 'X' : p[0];
  text[1] = postfix ? p[0] : 'X';
  text[2] = 0;
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0) {
    if (GmemResetVwin(1) != 0 || GmemReadVwin(&rec) != 0) return kErrMemory;
  }
  VwinPreset(&rec, preset);
  if (GmemWriteVwin(&rec) != 0) return kErrMemory;
  GmemDeleteGraphRecord();
  return 0;
}

// "Graph Y=" and its relatives: the formula is drawn and kept in the
// command ring so the graph screen can redraw it.
u32 RunGraph(u32 cmd, const u8 **p, u8 style) {
  u16 type = 0;
  switch (cmd) {
    case 0xEE: type = 268; break;
    case 0xF0: type = 412; break;
    case 0xF1: type = 396; break;
    case 0xF2: type = 444; break;
    case 0xF3: type = 428; break;
    case 0xF4: type = 1038; break;
    case 0xF5: type = 1037; break;
    case 0xF762: type = 525; break;
    case 0xEF: return RunIntegralGraph(p, style == 0 ? u8{kGraphStyleNormal} : style);
    default: return kErrSystem;
  }
  if (style == 0) style = (cmd == 0xF0 || cmd == 0xF1) ? u8{kGraphStyleDot} : u8{kGraphStyleNormal};
  u8 builtin[4] = {};
  const char *formula = reinterpret_cast<const char *>(*p);
  if (cmd == 0xEE) {
    const i32 b = BuiltinGraph(*p, builtin);
    if (b > 0) return static_cast<u32>(b);
    if (b == 0) formula = reinterpret_cast<const char *>(builtin);
    const i32 pr = b < 0 ? RunProbabilityGraph(p, style) : -1;
    if (pr >= 0) return static_cast<u32>(pr);
  }
  const u8 mode = GmemReadGraphMode();
  if (mode != kGrpCommands && !(mode >= 15 && mode <= 18)) GmemDeleteCommands();
  if (const u32 e = GmemAppendGraphCommand(formula, type, style)) return e;
  GraphContext ctx;
  u8 sketchStyle = style;
  if (const u32 e = OpenSketch(&ctx, &sketchStyle)) return e;
  const char *text = nullptr;
  if (GmemCommandTextPtr(0, &text) != 0) return kErrMemory;
  GraphEntry table[2] = {};
  table[0].text = reinterpret_cast<const u8 *>(text);
  table[0].type = type;
  table[0].style = style;
  table[0].labelKind = 5;
  table[0].slot = GmemCommandCount();
  ctx.entries = table;
  const u32 e = PlotKeepingAux(&ctx);
  if (e != 0) {
    GmemDeleteGraphRecord();
    return e;
  }
  while (!AtStatementEnd(*p)) *p += TokIsLeadByte(**p) && (*p)[1] != 0 ? 2 : 1;
  return CloseSketch(&ctx, kGrpCommands);
}

u32 ClearGraph(const u8 **p, bool all) {
  if (!AtStatementEnd(*p)) return kErrSyntax;
  GmemDeleteCommands();
  GmemDeleteGraphRecord();
  GmemDeletePlot();
  if (all) {
    GmemDeleteVwin();
    GmemDeleteVwinr();
    GmemDeleteOrigVwin();
    GmemDeletePrevVwin();
    GmemDeleteScreen();
  }
  return 0;
}

}  // namespace

u32 GraphRunSketchCommand(const u8 **p, Value *result, u32 *show, i32 *key) {
  *show = kGraphShowGraph;
  *key = 0;
  u8 style = 0;
  auto next = [&]() -> u32 {
    const u8 *q = *p;
    const u32 t = TokIsLeadByte(q[0]) ? (u32{q[0]} << 8) | q[1] : q[0];
    *p += TokIsLeadByte(q[0]) ? 2 : 1;
    return t;
  };
  u32 t = next();
  if (t >= 0xF78C && t <= 0xF78F) {
    static const u8 kStyles[4] = {kGraphStyleNormal, kGraphStyleThick, kGraphStyleBroken, kGraphStyleDot};
    style = kStyles[t - 0xF78C];
    t = next();
  }
  const bool refusesStyle = t == 0xD1 || t == 0xF719 || t == 0xF793 || t == 0xF794 || (t >= 0xF720 && t <= 0xF72F) ||
                            t == 0xF920;
  if (style != 0 && refusesStyle) return Raise(kErrSyntax, result);
  // A tangent's read-out belongs to the picture only until the next command.
  GmemDeleteLineReadout();
  u32 e = kErrSyntax;
  if (t == 0xD1 || t == 0xF719) {
    e = ClearGraph(p, t == 0xF719);
  } else if (t == 0xE0 || t == 0xE1 || t == 0xF793 || t == 0xF794 || (t >= 0xF7A0 && t <= 0xF7AD)) {
    e = RunSketch(t, p, style);
    if (t == 0xE0 && e == 0) *show = kGraphShowPlot;
  } else if (t == 0xEE || t == 0xEF || (t >= 0xF0 && t <= 0xF5) || t == 0xF762) {
    e = RunGraph(t, p, style);
  } else if (t == 0xF720 || t == 0xF72E) {
    e = RunDraw(t, p, show);
  } else if (t == 0xF724 || t == 0xF725) {
    e = RunTableGraph(t, p);
  } else if (t == 0xF920) {
    e = RunZoomAuto(p);
  } else if (t == 0xF722) {
    if (!AtStatementEnd(*p)) return Raise(kErrSyntax, result);
    int k = 0;
    if (!DynaDrawFromProgram(0, &result->re, &k)) return 0;
    *key = k;
    return 1;
  } else if (t == 0xF723) {
    // DrawStat: the statistics application draws its graphs on the stored
    // image and records them.
    if (!AtStatementEnd(*p)) return Raise(kErrSyntax, result);
    if (GmemEnsureGraphMode() != 0) return Raise(kErrMemory, result);
    u8 planes[2 * kGraphPlaneBytes] = {};
    if (GmemCreateScreenIfMissing(planes) != 0) return Raise(kErrMemory, result);
    i32 k = 0;
    const i32 drawn = GraphGlueStatRedraw(0, &result->re, &k);
    *key = k;
    if (drawn == 0) return 0;
    GmemWriteGraphMode(4);
    return 1;
  } else if ((t >= 0xF726 && t <= 0xF72A) || t == 0xF72F) {
    // The recursion graphs and DispR-Tbl wait for their owner.
    e = kErrSystem;
  }
  if (e != 0) return Raise(e, result);
  return 1;
}

i32 GraphPixelTest(i32 column, i32 row) {
  if (GmemReadGraphMode() == 0) return -1;
  GraphContext ctx;
  if (GmemReadScreen(ctx.planes) != 0) return -1;
  return PixelLit(&ctx, column, row) ? 1 : 0;
}
