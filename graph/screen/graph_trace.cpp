// The trace: the cursor walks along one drawn entry, column by column (Y=),
// pitch by pitch (parametric and polar), row by row (X=) or point by point
// (table graphs), showing the point and its slopes, scrolling the window at
// the edge; UP and DOWN change the entry.
#include "graph/screen/graph_trace.h"

#include <cstring>
#include <utility>

#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_glue.h"
#include "graph/engine/graph_plot.h"
#include "graph/engine/graph_scan.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/gscreen_util.h"
#include "graph/screen/vwin_screen.h"
#include "graph/table/graph_table.h"
#include "graph/table/table_trace.h"
#include "memory/item_array.h"
#include "kernel/keyqueue.h"
#include "kernel/task.h"
#include "ui/errbox.h"
#include "ui/edit.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/msg.h"
#include "ui/popup.h"
#include "ui/text.h"

using namespace gscreen;

namespace {

constexpr u32 kMa = 3;
constexpr u32 kNonReal = 17;

i32 LastColumn(const GraphContext *ctx) { return (ctx->runFlags & kGraphRunHalf) ? 63 : kGraphLastColumn; }
bool Reversed(const GraphContext *ctx) { return (ctx->runFlags & kGraphRunXReversed) != 0; }

// The central-difference step of a parameter: 1E(E-8) for its exponent E.
BcdReal SlopeStep(const BcdReal &v) {
  i32 e = 0;
  if (!IsZero(&v) && !IsError(&v)) {
    BcdReal a = Abs(v);
    BcdReal lg;
    RealLogs(&a, &lg);
    BcdReal fl;
    RealIntg(&lg, &fl);
    i32 n = 0;
    GraphRoundToInt(&fl, &n);
    e = n;
  }
  BcdReal h;
  BcdReal ten = Int(10), p = Int(e - 8);
  RealPow(&ten, &p, &h);
  return *RealNormalize(&h, &h);
}

// An evaluation failure that only makes a slope undefined.
bool SoftError(u32 e) { return e == kMa || e == kNonReal || e == 29; }

void Undefined(BcdReal *v) { RealMakeError(kMa, v); }

bool InRunOrProg() { return SysIsAppName("@RUNMAT") || SysIsAppName("@PROG"); }

}  // namespace

// ---- entries ---------------------------------------------------------------------

void GsolveKeyMask(u32 code, u32 *mask, u32 *exclude) {
  *mask = 65535;
  *exclude = 0;
  if ((code >= kGraphKeyRoot && code <= kGraphKeyIsect) || code == kTraceIsect2) {
    *mask = 256;
    *exclude = 2048;
  } else if (code == kGraphKeyYCal) {
    *mask = 1280;
    *exclude = 2048;
  } else if (code == kGraphKeyXCal) {
    *mask = 1280;
    *exclude = 2049;
  } else if (code == kGraphKeyIntegral || code == kTraceLower || code == kTraceUpper) {
    *mask = 256;
    *exclude = 43136;
  } else if (code == kGraphKeyInverse) {
    *mask = 256;
    *exclude = 59520;
  } else if (code == kGraphKeyTangent || code == kGraphKeyNormal) {
    *exclude = 512;
  }
}

bool GsolveAdmits(const GraphContext *ctx, i32 idx, u32 code) {
  const GraphEntry &e = ctx->entries[idx];
  u32 mask = 0, exclude = 0;
  GsolveKeyMask(code, &mask, &exclude);
  if ((e.type & mask) == 0 || (e.type & exclude) != 0) return false;
  if ((e.type & 0x4100) == 0x4100 && (e.rangeState & kGraphRangeDone)) return false;
  return true;
}

i32 GraphEntryCurves(const GraphContext *ctx, i32 idx) {
  const GraphEntry &e = ctx->entries[idx];
  if ((e.type & (kGraphTypeListValued | kGraphTypeValueList)) && e.listCount > 0) return static_cast<i32>(e.listCount);
  return 1;
}

bool GsolveFirstEntry(u32 code, GraphContext *ctx, i32 *idx, i32 *sub) {
  GraphRefreshEntries(ctx);
  i32 count = 0;
  if (GraphScanEntries(ctx, &count) != 0) return false;
  for (i32 i = 0; ctx->entries[i].style != 0; ++i) {
    if (!GsolveAdmits(ctx, i, code)) continue;
    *idx = i;
    *sub = 1;
    return true;
  }
  return false;
}

bool GsolveNextEntry(u32 code, i32 *idx, i32 *sub, u32 key, GraphContext *ctx) {
  if (code == kTraceLower || code == kTraceUpper) return true;
  const i32 n = GraphEntryCount(ctx);
  if (n == 0) return true;
  bool wrapped = false;
  for (i32 tries = 0; tries < 256 * 31; ++tries) {
    if (key == kKeyUp) {
      if (*sub > 1) {
        --*sub;
      } else {
        if (*idx == 0) wrapped = true;
        *idx = *idx == 0 ? n - 1 : *idx - 1;
        *sub = GraphEntryCurves(ctx, *idx);
      }
    } else {
      if (*sub < GraphEntryCurves(ctx, *idx)) {
        ++*sub;
      } else {
        if (*idx == n - 1) wrapped = true;
        *idx = *idx == n - 1 ? 0 : *idx + 1;
        *sub = 1;
      }
    }
    if (GsolveAdmits(ctx, *idx, code)) break;
  }
  return !wrapped;
}

// ---- slopes ----------------------------------------------------------------------

u32 GraphSlopeAt(const BcdReal *x, BcdReal *slope, GraphContext *ctx, i32 idx, i32 sub) {
  const BcdReal h = SlopeStep(*x);
  const BcdReal a = Add(*x, h), b = Sub(*x, h);
  BcdReal fa, fb;
  u32 e = GraphEvalFunc(&a, &fa, ctx, idx, sub);
  if (e == 0) e = GraphEvalFunc(&b, &fb, ctx, idx, sub);
  if (e != 0) {
    Undefined(slope);
    return SoftError(e) ? 0 : e;
  }
  const BcdReal d = Sub(fa, fb), twoH = Mul(h, Int(2));
  if (ctx->entries[idx].type & kGraphTypeY) {
    *slope = Div(twoH, d);  // X= entry: f gives x of y
  } else {
    *slope = Div(d, twoH);
  }
  if (IsError(slope)) Undefined(slope);
  return 0;
}

u32 GraphSlopeDispatch(TraceReadout *ro, GraphContext *ctx, i32 idx, i32 sub) {
  for (BcdReal &s : ro->slope) Undefined(&s);
  const u32 type = ro->type;
  u32 e = 0;
  if (type & (kGraphTypeX | kGraphTypeY)) {
    const BcdReal at = (type & kGraphTypeY) ? ro->y : ro->x;
    e = GraphSlopeAt(&at, &ro->slope[0], ctx, idx, sub);
  } else {
    const BcdReal h = SlopeStep(ro->t);
    const BcdReal a = Add(ro->t, h), b = Sub(ro->t, h), twoH = Mul(h, Int(2));
    BcdReal xa, ya, ra, xb, yb, rb;
    e = GraphEvalParam(&a, &xa, &ya, &ra, ctx, idx, sub);
    if (e == 0) e = GraphEvalParam(&b, &xb, &yb, &rb, ctx, idx, sub);
    if (e == 0) {
      ro->slope[0] = Div(Sub(ya, yb), Sub(xa, xb));
      if (type & kGraphTypeParam) {
        ro->slope[1] = Div(Sub(xa, xb), twoH);
        ro->slope[2] = Div(Sub(ya, yb), twoH);
      } else {
        ro->slope[1] = Div(Sub(ra, rb), twoH);
      }
      for (BcdReal &s : ro->slope)
        if (IsError(&s)) Undefined(&s);
    }
    // The point itself again, so the variables hold it.
    BcdReal x, y, r;
    GraphEvalParam(&ro->t, &x, &y, &r, ctx, idx, sub);
  }
  GraphStoreVar('X', &ro->x);
  GraphStoreVar('Y', &ro->y);
  if (SoftError(e)) return 0;
  return e;
}

// ---- read-outs -------------------------------------------------------------------

void TraceShowReadout(const TraceReadout *ro) {
  char rel[4] = "Y=";
  if (ro->type & kGraphTypeIneq) {
    static const char kRel[4] = {'<', '>', 0x10, 0x12};
    rel[1] = kRel[(ro->type >> 4) & 3];
  }
  const bool d = ro->derivative != 0;
  GraphClearReadout();
  switch (ro->kind) {
    case 2: {
      const char dr[] = {'d', 'r', '/', 'd', static_cast<char>(0xCE), '=', 0};
      const char th[] = {static_cast<char>(0xCE), '=', 0};
      if (d) {
        GraphShowValue(1, 7, dr, &ro->slope[1], true);
        GraphShowValue(17, 7, "dY/dX=", &ro->slope[0], true);
      }
      GraphShowValue(1, 8, "r=", &ro->r, false);
      GraphShowValue(17, 8, th, &ro->t, false);
      break;
    }
    case 3:
      if (d) {
        GraphShowValue(1, 7, "dX/dT=", &ro->slope[1], true);
        GraphShowValue(17, 7, "dY/dT=", &ro->slope[2], true);
        GraphShowValue(1, 8, "T=", &ro->t, false);
        GraphShowValue(17, 8, "dY/dX=", &ro->slope[0], true);
      } else {
        GraphShowValue(1, 7, "T=", &ro->t, false);
        GraphShowValue(1, 8, "X=", &ro->x, false);
        GraphShowValue(17, 8, "Y=", &ro->y, false);
      }
      break;
    default:
      if (d) GraphShowValue(17, 7, ro->kind == 4 ? "m=" : "dY/dX=", &ro->slope[0], true);
      GraphShowValue(1, 8, "X=", &ro->x, false);
      GraphShowValue(17, 8, rel, &ro->y, false);
      break;
  }
}

void TraceShowLine(const TraceReadout *ro, const GraphView *view) {
  TraceShowReadout(ro);
  if (ro->derivative == 0) return;
  // The drawn line's equation over the whole upper line: Y=aX+b from its
  // slope a and intercept b, or X=b for a vertical line (no slope).
  const BcdReal &a = view->extXlow, &b = view->extXhigh;
  char text[64];
  if (IsError(&a)) {
    GraphShowValue(1, 7, "X=", &b, true, 32);
    return;
  }
  std::strcpy(text, "Y=");
  char *end = text + 2;
  const bool slopeZero = IsZero(&a);
  if (!slopeZero) {
    const BcdReal one = Int(1), minusOne = Int(-1);
    if (Equal(&a, &minusOne)) {
      *end++ = static_cast<char>(0x87);
    } else if (!Equal(&a, &one)) {
      GraphCellText(&a, true, end);
      end += std::strlen(end);
    }
    *end++ = 'X';
    *end = 0;
  }
  if (slopeZero || !IsZero(&b)) {
    BcdReal shown = b;
    if (!slopeZero && !IsError(&b)) {
      const BcdReal zero{};
      *end++ = Less(&b, &zero) ? '-' : '+';
      shown = Abs(b);
    }
    GraphCellText(&shown, true, end);
  }
  GraphShowField(1, 7, text, 32);
}

void TraceShowLabel(GraphContext *ctx, i32 idx) {
  if ((ctx->screenFlags & kGraphLabelMask) == kGraphLabelsShown) GraphShowFuncLabel(ctx, idx);
}

void TracePlace(const GraphContext *ctx, const BcdReal *x, const BcdReal *y, i32 *col, i32 *row, u32 *code) {
  *code = GraphXToColumn(x, col, &ctx->view, ctx->runFlags) | GraphYToRow(y, row, &ctx->view);
}

// ---- the value prompt ------------------------------------------------------------

i32 GraphValuePrompt(u32 typed, u32 code, BcdReal *out, GraphContext *ctx, i32 idx) {
  const GraphEntry &e = ctx->entries[idx];
  if (e.type == 521 || code == kTraceStatFrom || SysIsAppName("@CONICS")) return kGraphExitNothing;
  i32 msg = 0;
  char prompt[8] = "   X:";
  const u32 kindBits = e.type & 0x703;
  if (code == kTraceLower || code == kTraceUpper) {
    msg = code == kTraceLower ? 451 : 453;
  } else if (code == kGraphKeyXCal) {
    msg = (e.type & kGraphTypeX) ? 449 : 455;
    prompt[3] = (e.type & kGraphTypeX) ? 'Y' : 'r';
  } else if (kindBits == 256) {
    msg = 443;
  } else if (kindBits == 512) {
    msg = 449;
    prompt[3] = 'Y';
  } else if (kindBits == 1025) {
    msg = 447;
    prompt[3] = 'T';
  } else if (kindBits == 1026) {
    msg = 445;
    prompt[3] = static_cast<char>(0xCE);
  } else {
    return kGraphExitNothing;
  }
  if (typed != 0 && !(typed == '.' || typed == 0x87 || typed == 0x99 || typed == 0x0F || (typed >= '0' && typed <= '9') ||
                      (typed >= 'A' && typed <= 'Z') || typed == 0xCD || typed == 0xCE || typed == '('))
    return kGraphExitNothing;
  for (;;) {
    PopupOpenFramed(3);
    const i32 row = PopupFirstRow(3);
    char text[32];
    MsgTextPlain(msg, text, sizeof text);
    TextLocate(3, row);
    TextPrint(text);
    u32 key = typed;
    BcdReal v;
    RealSetZero(&v);
    const i32 r = EditReadNumber(typed != 0 ? 1 : 0, &key, row + 2, &v, prompt);
    PopupCloseKind5();
    if (r != 0) return kGraphExitExit;
    bool inside = true;
    if (code != kGraphKeyXCal) {
      if (e.type & kGraphTypeT) {
        inside = GraphTInRange(&v, ctx, idx) == 0;
      } else if (e.type & kGraphTypeRanged) {
        BcdReal lo, hi;
        inside = GraphEntryText(0, ctx->entries, idx, &lo) == 0 && GraphEntryText(1, ctx->entries, idx, &hi) == 0 &&
                 !Less(&v, &lo) && !Less(&hi, &v);
      }
    }
    if (inside) {
      *out = v;
      return 0;
    }
    ErrBox(8);
    typed = 0;
  }
}

// ---- common keys -----------------------------------------------------------------

bool TraceCommonKey(u32 key, u32 code, GraphContext *ctx, i32 *result) {
  switch (key) {
    case kGraphKeyTrace:
      *result = kGraphExitNothing;
      return true;
    case kKeyGraphStoreColumn:
    case 0:
      return false;
    case kKeyGraphTable:
      *result = kGraphExitShown;
      return true;
    case kKeyVWindow: {
      const u32 mode = GraphScreenMode(ctx);
      if (GraphOpenVwinScreen(static_cast<i8>(mode == 0 ? 0 : mode == 1 ? 1 : 17)) == 0) return false;
      *result = kGraphExitChanged;
      return true;
    }
    case kKeyPaste:
      if (!(SysIsAppName("@GRAPH") && GraphScreenMode(ctx) == 0)) return false;
      *result = 346;
      return true;
    case kKeySetup:
      if (GraphRunSetup() == 0) return false;
      *result = kGraphExitChanged;
      return true;
    case kKeyQuit:
      *result = kGraphExitQuit;
      return true;
    case kKeyExit:
      *result = kGraphExitExit;
      return true;
    case kKeyAc:
      *result = static_cast<i32>(kKeyGraphAc);
      return true;
    case kKeyExe:
      if (!InRunOrProg()) return false;
      *result = kGraphExitExe;
      return true;
    default:
      break;
  }
  (void)code;
  if (key < 30000 || key >= 30200) {
    if (key == kKeyXThetaT) return false;
    *result = static_cast<i32>(key);
    return true;
  }
  return false;
}

namespace {

// ---- one trace -------------------------------------------------------------------

struct Trace {
  GraphContext *ctx;
  u32 code;
  i32 idx, sub;
  GraphPointer cur;
  TraceReadout ro;
  BcdReal lowerX;  // the integral's lower bound while choosing the upper
  i32 lowerCol;
  bool xKept;      // x stays when UP or DOWN changes between Y= entries
};

i32 ErrorExit(Trace *t, u32 e) {
  GraphEraseCursor(&t->cur);
  ErrBox(static_cast<i32>(e));
  return kGraphExitExit;
}

bool Coord(const GraphContext *ctx) { return (ctx->optionFlags & kGraphOptCoord) != 0; }
bool Deriv(const GraphContext *ctx) { return (ctx->optionFlags & kGraphOptDerivative) != 0; }

void SetupReadout(Trace *t) {
  const GraphEntry &e = t->ctx->entries[t->idx];
  t->ro.type = e.type;
  t->ro.kind = e.readoutKind != 0 ? e.readoutKind : 1;
  if (t->code == kGraphKeyTangent || t->code == kGraphKeyNormal || t->code == kTraceTangentDrawn ||
      t->code == kTraceNormalDrawn)
    t->ro.kind = 4;
  t->ro.derivative = Deriv(t->ctx) ? 1 : 0;
}

// After a key: the point's slopes and read-out; the drawn line taken away.
u32 ShowPoint(Trace *t) {
  GraphContext *ctx = t->ctx;
  SetupReadout(t);
  if (t->code == kTraceTangentDrawn || t->code == kTraceNormalDrawn) {
    GraphPrepareScreen(ctx);
    TraceShowLabel(ctx, t->idx);
    t->code = t->code == kTraceTangentDrawn ? u32{kGraphKeyTangent} : u32{kGraphKeyNormal};
  }
  if ((Coord(ctx) && Deriv(ctx) && t->code != kTraceLower && t->code != kTraceStatFrom) ||
      t->code == kGraphKeyTangent || t->code == kGraphKeyNormal) {
    if (const u32 e = GraphSlopeDispatch(&t->ro, ctx, t->idx, t->sub)) return e;
  } else {
    GraphStoreVar('X', &t->ro.x);
    GraphStoreVar('Y', &t->ro.y);
  }
  if (Coord(ctx)) TraceShowReadout(&t->ro);
  if (t->code == kTraceUpper) GraphLcdLine(t->lowerCol, 1, t->lowerCol, kGraphLastRow);
  return 0;
}

// Moves "VWIN" by 8 dots for the trace and draws the graph again.
u32 ScrollEdge(Trace *t, bool right) {
  GraphContext *ctx = t->ctx;
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0) return 4;
  BcdReal d = Mul(rec.f[kVwinXdot], Int(8));
  if (!right) d = Neg(d);
  rec.f[kVwinXmin] = Add(rec.f[kVwinXmin], d);
  rec.f[kVwinXmax] = Add(rec.f[kVwinXmax], d);
  if (const u32 e = VwinCheckValues(&rec)) {
    ErrBox(static_cast<i32>(e));
    return 0;
  }
  if (GmemWriteVwin(&rec) != 0) return 4;
  GmemDeletePrevVwin();
  if (const u32 e = GraphLoadVwin(ctx, 1)) return e;
  const u8 keep = ctx->runFlags;
  ctx->runFlags |= kGraphRunPlanesOnly;
  GraphClearBuffer(ctx);
  const u32 e = GraphPlotAll(ctx);
  ctx->runFlags = keep;
  GraphPrepareScreen(ctx);
  HostClearKeyQueue();
  if (e != 0) {
    GmemDeleteGraphRecord();
    return e;
  }
  t->cur.col += right ? -7 : 7;
  return 0;
}

bool CanScroll(const Trace *t) {
  const GraphContext *ctx = t->ctx;
  if ((ctx->runFlags & kGraphRunHalf) || t->code == kTraceUpper || t->code == kTraceStatFrom) return false;
  for (i32 i = 0; ctx->entries[i].style != 0; ++i) {
    const GraphEntry &e = ctx->entries[i];
    if (!(e.type & kGraphTypeX) || (e.type & kGraphTypePoints) || e.labelKind == 12) return false;
  }
  return true;
}

// A ranged Y= entry keeps x inside its own range, and inside the columns of
// the window (Xmin on the first, the last column's x beyond Xmax); the
// cursor's column follows x. An entry with nothing to draw is left alone.
void ClampToEntryRange(Trace *t, BcdReal *x) {
  GraphContext *ctx = t->ctx;
  const GraphEntry &e = ctx->entries[t->idx];
  if (!(e.type & kGraphTypeRanged) || (e.rangeState & kGraphRangeDone)) return;
  BcdReal lo, hi;
  if (GraphEntryText(0, ctx->entries, t->idx, &lo) != 0 || GraphEntryText(1, ctx->entries, t->idx, &hi) != 0) return;
  if (Less(&hi, &lo)) std::swap(lo, hi);
  BcdReal first, last;
  GraphColumnToX(&first, 1, &ctx->view, ctx->runFlags);
  GraphColumnToX(&last, LastColumn(ctx), &ctx->view, ctx->runFlags);
  if (Less(&last, &first)) std::swap(first, last);
  if (Less(&lo, &first)) lo = first;
  if (Less(&last, &hi)) hi = last;
  if (Less(&hi, &lo)) return;
  const bool below = Less(x, &lo), above = Less(&hi, x);
  if (!below && !above) return;
  *x = below ? lo : hi;
  i32 col = t->cur.col;
  GraphXToColumn(x, &col, &ctx->view, ctx->runFlags);
  if (col >= 1 && col <= LastColumn(ctx)) t->cur.col = col;
}

// EXE beside the table: a row for x appended to the table (at most 255) and
// the table's last rows shown. 0, or an exit code after an error box.
i32 AddTableRow(Trace *t) {
  GraphContext *ctx = t->ctx;
  const u8 table = ctx->tableKind;
  u32 rows = 0, cols = 0;
  ItemMatDims(table, &rows, &cols);
  if (rows >= 255) return 0;
  u32 e = 0;
  if (rows == 0) {
    const u32 d = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
    u32 n = 0;
    while (ctx->entries[n].style != 0) ++n;
    e = ItemMatCreate(table, 1, 1 + n * GraphTableFuncColumns(ctx->entries[0].type, d));
  } else {
    e = ItemMatInsertRows(table, 0, 1);
  }
  if (e != 0) {
    ErrBox(4);
    return 0;
  }
  ++rows;
  GraphRefreshEntries(ctx);  // the texts moved with main memory
  if (const u32 fe = GraphGlueFillTableRow(&t->ro.x, ctx, static_cast<i32>(rows))) {
    ErrBox(static_cast<i32>(fe));
    return kGraphExitShown;
  }
  // The new row in view: the last four rows once there are five or more.
  ctx->tableTop = rows >= 5 ? static_cast<i32>(rows) - 3 : 1;
  ctx->tableCursorRow = static_cast<i32>(rows) - ctx->tableTop + 1;
  ctx->tableCursorCol = 1;
  GraphGlueDrawTable(ctx, 1);
  return 0;
}

// EXE of the trace codes: true with *result when the trace ends.
bool ExeAction(Trace *t, bool defined, i32 *result) {
  GraphContext *ctx = t->ctx;
  switch (t->code) {
    case kTraceLower:
      if (!defined) return false;
      ctx->view.extXlow = t->ro.x;
      t->lowerX = t->ro.x;
      t->lowerCol = t->cur.col;
      t->code = kTraceUpper;
      GraphShowField(27, 7, " UPPER", 8);
      GraphLcdLine(t->lowerCol, 1, t->lowerCol, kGraphLastRow);
      return false;
    case kTraceUpper:
      if (!defined || Equal(&t->ro.x, &t->lowerX)) return false;
      ctx->view.extXhigh = t->ro.x;
      *result = GsolveFinishIntegral(ctx, t->idx, t->sub);
      return true;
    case kTraceTable:
      *result = AddTableRow(t);
      return *result != 0;
    case kGraphKeyTangent:
    case kGraphKeyNormal: {
      SetupReadout(t);
      if (const u32 e = GraphSlopeDispatch(&t->ro, ctx, t->idx, t->sub)) {
        ErrBox(static_cast<i32>(e));
        *result = kGraphExitShown;
        return true;
      }
      u32 key = t->code;
      const u32 e = GraphDrawTangentLine(&key, &t->ro.x, &t->ro.y, &t->ro.slope[0], ctx);
      if (e != 0) {
        ErrBox(static_cast<i32>(e));
        *result = e == 3 ? kGraphExitNothing : kGraphExitShown;
        return true;
      }
      t->code = key;
      TraceShowLabel(ctx, t->idx);
      if (Coord(ctx)) TraceShowLine(&t->ro, &ctx->view);
      return false;
    }
    default:
      return false;
  }
}

// Y= entries, column by column.
i32 TraceRect(Trace *t) {
  GraphContext *ctx = t->ctx;
  const i32 last = LastColumn(ctx);
  if (t->cur.col < 1 || t->cur.col > last) t->cur.col = (ctx->runFlags & kGraphRunHalf) ? 32 : 64;
  BcdReal &x = t->ro.x, &y = t->ro.y;
  if (t->code == kTraceStatFrom) {
    x = ctx->view.extXlow;
  } else if (!t->xKept) {
    GraphColumnToX(&x, t->cur.col, &ctx->view, ctx->runFlags);
  }
  ClampToEntryRange(t, &x);
  t->xKept = true;
  TraceShowLabel(ctx, t->idx);
  u32 key = 0, typed = 0;
  for (bool first = true;; first = false) {
    if (!first) {
      key = GraphCursorKey(&t->cur, kCursorPointer, &typed);
      GraphRefreshEntries(ctx);
      i32 result = 0;
      if (key == kKeyRight || key == kKeyLeft) {
        // A point between two columns first snaps to the current one.
        BcdReal xc;
        GraphColumnToX(&xc, t->cur.col, &ctx->view, ctx->runFlags);
        const bool ahead = (key == kKeyRight) != Reversed(ctx);
        const bool step = ahead ? !Less(&x, &xc) : !Less(&xc, &x);
        if (step) t->cur.col += key == kKeyRight ? 1 : -1;
        if (t->cur.col < 1 || t->cur.col > last) {
          const bool atRight = t->cur.col > last;
          t->cur.col = atRight ? last : 1;
          if (CanScroll(t)) {
            if (const u32 e = ScrollEdge(t, atRight)) {
              ErrBox(static_cast<i32>(e));
              return kGraphExitShown;
            }
          }
        }
        GraphColumnToX(&x, t->cur.col, &ctx->view, ctx->runFlags);
        ClampToEntryRange(t, &x);
      } else if (key == kKeyUp || key == kKeyDown) {
        const bool ok = GsolveNextEntry(t->code, &t->idx, &t->sub, key, ctx);
        if (!ok && t->code == kTraceStatFrom) {
          ctx->view.extXlow = x;
          return key == kKeyUp ? 42 : 43;
        }
        const GraphEntry &e = ctx->entries[t->idx];
        if (!(e.type & kGraphTypeX) || (e.type & kGraphTypePoints)) return 0;
        ClampToEntryRange(t, &x);
        GraphPrepareScreen(ctx);
        TraceShowLabel(ctx, t->idx);
      } else if (key == kKeyXThetaT) {
        BcdReal v;
        const i32 r = GraphValuePrompt(typed, t->code, &v, ctx, t->idx);
        if (r == kGraphExitExit) continue;
        if (r == 0) {
          x = v;
          i32 col = t->cur.col;
          GraphXToColumn(&x, &col, &ctx->view, ctx->runFlags);
          t->cur.col = col;
        }
      } else if (key == kKeyExe && !InRunOrProg()) {
        if (ExeAction(t, !IsError(&y), &result)) return result;
        continue;
      } else if (TraceCommonKey(key, t->code, ctx, &result)) {
        return result;
      } else {
        continue;
      }
    }
    const u32 e = GraphEvalFunc(&x, &y, ctx, t->idx, t->sub);
    if (e != 0) return ErrorExit(t, e);
    i32 col = t->cur.col, row = 0;
    TracePlace(ctx, &x, &y, &col, &row, &t->cur.hidden);
    t->cur.row = row;
    if (const u32 se = ShowPoint(t)) return ErrorExit(t, se);
    if (key == kKeyXThetaT && (t->code == kTraceLower || t->code == kTraceUpper)) {
      i32 result = 0;
      if (ExeAction(t, !IsError(&y), &result)) return result;
    }
  }
}

// Parametric and polar entries, pitch by pitch.
i32 TraceParam(Trace *t) {
  GraphContext *ctx = t->ctx;
  const GraphEntry &entry = ctx->entries[t->idx];
  BcdReal t0 = ctx->view.tmin, t1 = ctx->view.tmax;
  if (entry.type & kGraphTypeRanged) {
    GraphEntryText(0, ctx->entries, t->idx, &t0);
    GraphEntryText(1, ctx->entries, t->idx, &t1);
  }
  const BcdReal pitch = ctx->view.tpitch;
  const BcdReal zero{};
  const bool up = !Less(&pitch, &zero);
  const BcdReal lo = Less(&t0, &t1) ? t0 : t1, hi = Less(&t0, &t1) ? t1 : t0;
  t->xKept = false;
  BcdReal &tv = t->ro.t;
  tv = t0;
  i32 k = 0;
  auto clampT = [&]() {
    if (Less(&tv, &lo)) tv = lo;
    if (Less(&hi, &tv)) tv = hi;
  };
  TraceShowLabel(ctx, t->idx);
  u32 key = 0, typed = 0;
  for (bool first = true;; first = false) {
    if (!first) {
      key = GraphCursorKey(&t->cur, kCursorPointer, &typed);
      GraphRefreshEntries(ctx);
      i32 result = 0;
      if (key == kKeyRight || key == kKeyLeft) {
        const BcdReal tk = Add(t0, Mul(Int(k), pitch));
        // A ranged entry runs from its own lower bound: with a negative
        // pitch its index goes down as t goes up.
        const bool fwd = (key == kKeyRight) != ((entry.type & kGraphTypeRanged) != 0 && !up);
        const bool beyond = up == fwd ? !Less(&tv, &tk) : !Less(&tk, &tv);
        if (beyond || Equal(&tv, &tk)) k += fwd ? 1 : -1;
        tv = Add(t0, Mul(Int(k), pitch));
        clampT();
        BcdReal q = Div(Sub(tv, t0), pitch);
        q = Add(q, Parse("0.5"));
        BcdReal fl;
        RealIntg(&q, &fl);
        GraphRoundToInt(&fl, &k);
      } else if (key == kKeyUp || key == kKeyDown) {
        GsolveNextEntry(t->code, &t->idx, &t->sub, key, ctx);
        const GraphEntry &e = ctx->entries[t->idx];
        if (!(e.type & kGraphTypeT) || (e.type & kGraphTypePoints)) return 0;
        GraphPrepareScreen(ctx);
        TraceShowLabel(ctx, t->idx);
      } else if (key == kKeyXThetaT) {
        BcdReal v;
        const i32 r = GraphValuePrompt(typed, t->code, &v, ctx, t->idx);
        if (r == 0) {
          tv = v;
          BcdReal q = Add(Div(Sub(tv, t0), pitch), Parse("0.5")), fl;
          RealIntg(&q, &fl);
          GraphRoundToInt(&fl, &k);
        }
      } else if (key == kKeyExe && !InRunOrProg()) {
        if (ExeAction(t, !IsError(&t->ro.y), &result)) return result;
        continue;
      } else if (TraceCommonKey(key, t->code, ctx, &result)) {
        return result;
      } else {
        continue;
      }
    }
    const u32 e = GraphEvalParam(&tv, &t->ro.x, &t->ro.y, &t->ro.r, ctx, t->idx, t->sub);
    if (e != 0) return ErrorExit(t, e);
    i32 col = 0, row = 0;
    TracePlace(ctx, &t->ro.x, &t->ro.y, &col, &row, &t->cur.hidden);
    t->cur.col = col;
    t->cur.row = row;
    if (entry.type & kGraphTypeParam) GraphStoreVar('T', &tv);
    else {
      GraphStoreVar(0xCE, &tv);
      GraphStoreVar(0xCD, &t->ro.r);
    }
    if (const u32 se = ShowPoint(t)) return ErrorExit(t, se);
  }
}

// X= entries, row by row.
i32 TraceXEqual(Trace *t) {
  GraphContext *ctx = t->ctx;
  t->xKept = false;
  t->cur.row = 32;
  TraceShowLabel(ctx, t->idx);
  u32 key = 0, typed = 0;
  for (bool first = true;; first = false) {
    if (!first) {
      key = GraphCursorKey(&t->cur, kCursorPointer, &typed);
      GraphRefreshEntries(ctx);
      i32 result = 0;
      const bool fixed = (ctx->entries[t->idx].type & kGraphTypeParam) != 0;
      if (key == kKeyRight) {
        if (!fixed && t->cur.row > 1) --t->cur.row;
      } else if (key == kKeyLeft) {
        if (!fixed && t->cur.row < kGraphLastRow) ++t->cur.row;
      } else if (key == kKeyUp || key == kKeyDown) {
        GsolveNextEntry(t->code, &t->idx, &t->sub, key, ctx);
        const GraphEntry &e = ctx->entries[t->idx];
        if (!(e.type & kGraphTypeY) || (e.type & kGraphTypePoints)) return 0;
        GraphPrepareScreen(ctx);
        TraceShowLabel(ctx, t->idx);
      } else if (key == kKeyExe && !InRunOrProg()) {
        if (ExeAction(t, !IsError(&t->ro.x), &result)) return result;
        continue;
      } else if (key != kKeyXThetaT && TraceCommonKey(key, t->code, ctx, &result)) {
        return result;
      } else {
        continue;
      }
    }
    GraphRowToY(&t->ro.y, t->cur.row, &ctx->view);
    const u32 e = GraphEvalFunc(&t->ro.y, &t->ro.x, ctx, t->idx, t->sub);
    if (e != 0) return ErrorExit(t, e);
    i32 col = 0, row = 0;
    TracePlace(ctx, &t->ro.x, &t->ro.y, &col, &row, &t->cur.hidden);
    t->cur.col = col;
    if (const u32 se = ShowPoint(t)) return ErrorExit(t, se);
  }
}

// Table graphs, point by point.
i32 TraceTablePoints(Trace *t) {
  GraphContext *ctx = t->ctx;
  i32 k = 1;
  TraceShowLabel(ctx, t->idx);
  u32 key = 0, typed = 0;
  for (bool first = true;; first = false) {
    const i32 count = static_cast<i32>(ctx->entries[t->idx].pointCount);
    if (!first) {
      key = GraphCursorKey(&t->cur, kCursorPointer, &typed);
      i32 result = 0;
      if (key == kKeyRight) {
        if (k < count) ++k;
      } else if (key == kKeyLeft) {
        if (k > 1) --k;
      } else if (key == kKeyUp || key == kKeyDown) {
        GsolveNextEntry(t->code, &t->idx, &t->sub, key, ctx);
        if (!(ctx->entries[t->idx].type & kGraphTypePoints)) return 0;
        const i32 n = static_cast<i32>(ctx->entries[t->idx].pointCount);
        if (k > n) k = n;
        GraphPrepareScreen(ctx);
        TraceShowLabel(ctx, t->idx);
      } else if (key != kKeyXThetaT && key != kKeyExe && TraceCommonKey(key, t->code, ctx, &result)) {
        return result;
      } else if (key == kKeyExe && InRunOrProg()) {
        return kGraphExitExe;
      } else {
        continue;
      }
    }
    if (count < 1) return kGraphExitNothing;
    const u32 e = GraphGlueTablePoint(k, &t->ro.x, &t->ro.y, ctx, t->idx);
    if (e != 0) return ErrorExit(t, e);
    i32 col = 0, row = 0;
    TracePlace(ctx, &t->ro.x, &t->ro.y, &col, &row, &t->cur.hidden);
    t->cur.col = col;
    t->cur.row = row;
    SetupReadout(t);
    t->ro.derivative = 0;
    // A graph of the function table (point entries with flag 16): its
    // parameter and slopes are the row's.
    if (ctx->entries[t->idx].type & 0x10) {
      t->ro.derivative = Deriv(ctx) ? 1 : 0;
      TraceTableDerivs(&t->ro, ctx, k, t->idx);
    }
    if (Coord(ctx)) TraceShowReadout(&t->ro);
  }
}

}  // namespace

i32 TraceRun(u32 code, GraphContext *ctx) {
  i32 idx = 0, sub = 1;
  if (!GsolveFirstEntry(code, ctx, &idx, &sub)) {
    FkeyRestoreLevelRoot();
    return kGraphExitNothing;
  }
  return TraceRunFrom(code, ctx, idx, sub);
}

i32 TraceRunFrom(u32 code, GraphContext *ctx, i32 idx, i32 sub) {
  FkeyRestoreLevelRoot();
  Trace t{};
  t.ctx = ctx;
  t.code = code;
  t.idx = idx;
  t.sub = sub;
  RealMakeError(kMa, &t.ro.x);
  t.cur.col = (ctx->runFlags & kGraphRunHalf) ? 32 : 64;
  GraphTraceBeginHook();
  i32 r = 0;
  while (r == 0) {
    GraphPrepareScreen(ctx);
    const u32 type = ctx->entries[t.idx].type;
    SetupReadout(&t);
    if (type & kGraphTypePoints) {
      r = TraceTablePoints(&t);
    } else if (type & kGraphTypeX) {
      r = TraceRect(&t);
    } else if (type & kGraphTypeT) {
      r = TraceParam(&t);
    } else if (type & kGraphTypeY) {
      r = TraceXEqual(&t);
    } else {
      r = kGraphExitNothing;
    }
  }
  GraphTraceEndHook();
  return r;
}

i32 TraceForBound(u32 code, GraphContext *ctx, i32 *idx, i32 *sub) {
  FkeyRestoreLevelRoot();
  Trace t{};
  t.ctx = ctx;
  t.code = code;
  t.idx = *idx;
  t.sub = *sub;
  RealMakeError(kMa, &t.ro.x);
  t.cur.col = (ctx->runFlags & kGraphRunHalf) ? 32 : 64;
  GraphPrepareScreen(ctx);
  GraphShowField(27, 7, "LOWER", 8);
  SetupReadout(&t);
  const i32 r = TraceRect(&t);
  *idx = t.idx;
  *sub = t.sub;
  return r;
}
