// StatGraph drawing: one routine per graph type over the working lists and
// the data lists, the clipped primitives that let boxes, whiskers and bars
// reach past the screen's edges, and the curve of a fitted model drawn
// column by column without a gap where it leaves the screen.
#include <algorithm>
#include <cstring>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_data.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/statgraph.h"
#include "graph/engine/graph_draw.h"
#include "graph/screen/graph_screen.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "number/value.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace statreal;

namespace {
constexpr u8 kLineOp = kGraphStyleNormal;
constexpr u8 kDotOp = kGraphOpSet0;
constexpr i32 kFarRight = 255, kFarLeft = -127, kFarAbove = -63, kFarBelow = 127;

u8 *Planes(GraphContext *ctx) { return ctx->planes; }

void Line(i32 x1, i32 y1, i32 x2, i32 y2, GraphContext *ctx) {
  GraphDrawLine(x1, y1, x2, y2, Planes(ctx), kLineOp, ctx->runFlags);
}

void Dot(i32 x, i32 y, GraphContext *ctx) { GraphPlotPixel(x, y, Planes(ctx), kDotOp, ctx->runFlags); }

// A block's mark word as the engine's mark type: 0 a dot, 1 a cross,
// anything else a hollow square.
u8 EngineMark(i16 word) { return word == 0 ? 0 : word == 1 ? 2 : 1; }

void Mark(i32 x, i32 y, u8 mark, GraphContext *ctx) { GraphDrawMark(x, y, mark, Planes(ctx), kDotOp, ctx->runFlags); }

u32 DataGet(int list, u32 i, R *out) {
  Value v{};
  if (ItemListGet(0, static_cast<u8>(list), i, &v) != 0) return kStatErrMemory;
  if (ValIsComplex(&v) == 1) return kStatErrComplexList;
  *out = v.re;
  return 0;
}

// A data list read a run of elements at a time: the values and errors of
// DataGet, with one look-up of the list per run instead of one per element.
struct DataRun {
  int list;
  u32 n;      // elements that will be asked for
  u32 first;  // the run held: elements first .. first + count - 1
  u32 count;
  Value v[64];
};

DataRun MakeRun(int list, u32 n) {
  DataRun r;
  r.list = list;
  r.n = n;
  r.first = 0;
  r.count = 0;
  return r;
}

u32 RunGet(DataRun *r, u32 i, R *out) {
  if (i < r->first || i >= r->first + r->count) {
    r->first = i;
    r->count = i <= r->n ? std::min<u32>(64, r->n - i + 1) : 0;
    if (r->count == 0 || ItemListGetRun(0, static_cast<u8>(r->list), i, r->count, r->v) != 0) r->count = 0;
  }
  // A run that could not be read: the element on its own, with its error.
  if (r->count == 0) return DataGet(r->list, i, out);
  const Value &v = r->v[i - r->first];
  if (ValIsComplex(&v) == 1) return kStatErrComplexList;
  *out = v.re;
  return 0;
}

// Element i of working list k of slot s (list 10s + k of file 255; slot
// 0's coefficients are list 0).
u32 WorkGet(int slot, int k, u32 i, R *out) {
  Value v{};
  if (ItemListGet(kStatWorkFile, static_cast<u8>(10 * slot + k), i, &v) != 0) return kStatErrMemory;
  *out = v.re;
  return 0;
}

u32 WorkSize(int slot, int k) { return ItemListSize(kStatWorkFile, static_cast<u8>(10 * slot + k)); }

// A value to an on-screen dot: true with col, row set.
bool OnScreen(const R &x, const R &y, const GraphContext *ctx, i32 *col, i32 *row) {
  return (GraphXToColumn(&x, col, &ctx->view, ctx->runFlags) | GraphYToRow(&y, row, &ctx->view)) == 0;
}

i32 BoxBase(int slot) { return (slot - 1) * 15; }

// ---- clipped primitives ----

// The far column of an end off the screen, or false when the end is an
// error value (or on the screen).
bool FarColumn(u32 code, i32 *col) {
  if (code == kGraphDotRight) return *col = kFarRight, true;
  if (code == kGraphDotLeft) return *col = kFarLeft, true;
  return false;
}

// The horizontal segment A-B on row, ends off the screen stretched to the
// far columns; nothing when both lie off on one side or an end is an error.
void HSegment(u32 codeA, i32 colA, u32 codeB, i32 colB, i32 row, GraphContext *ctx) {
  if (codeA & kGraphDotXError || codeB & kGraphDotXError) return;
  if (codeA != 0 && codeA == codeB) return;
  if (codeA != 0) FarColumn(codeA, &colA);
  if (codeB != 0) FarColumn(codeB, &colB);
  Line(colA, row, colB, row, ctx);
}

void BoxFrame(u32 codeL, i32 colL, u32 codeR, i32 colR, i32 top, GraphContext *ctx) {
  if (codeL & kGraphDotXError || codeR & kGraphDotXError) return;
  if (codeL != 0 && codeL == codeR) return;
  const i32 bottom = top + 12;
  if (codeL != 0) FarColumn(codeL, &colL);
  if (codeR != 0) FarColumn(codeR, &colR);
  Line(colL, top, colR, top, ctx);
  Line(colL, bottom, colR, bottom, ctx);
  if (codeL == 0) Line(colL, top, colL, bottom, ctx);
  if (codeR == 0) Line(colR, top, colR, bottom, ctx);
}

void Bar(u32 codeL, i32 colL, u32 codeTop, i32 rowTop, u32 codeR, i32 colR, u32 codeBase, i32 rowBase,
         GraphContext *ctx) {
  if ((codeL | codeR) & kGraphDotXError || (codeTop | codeBase) & kGraphDotYError) return;
  HSegment(codeL, colL, codeR, colR, rowTop, ctx);
  HSegment(codeL, colL, codeR, colR, rowBase, ctx);
  if (codeTop != 0 && codeTop == codeBase) return;
  if (codeL == 0) Line(colL, rowTop, colL, rowBase, ctx);
  if (codeR == 0) Line(colR, rowTop, colR, rowBase, ctx);
}

// ---- the graph types ----

u32 DrawScatter(const i16 *block, GraphContext *ctx) {
  const u32 n = StatGraphPairCount(block);
  if (n == 0) return kStatErrDimension;
  const u8 mark = EngineMark(block[kSgMark]);
  DataRun xs = MakeRun(block[kSgX], n), ys = MakeRun(block[kSgY], n);
  for (u32 i = 1; i <= n; ++i) {
    R x, y;
    if (const u32 e = RunGet(&xs, i, &x)) return e;
    if (const u32 e = RunGet(&ys, i, &y)) return e;
    i32 col, row;
    if (OnScreen(x, y, ctx, &col, &row)) Mark(col, row, mark, ctx);
    if (KeyBreakPoll()) return kStatErrBreak;
  }
  return 0;
}

u32 DrawXyLine(const i16 *block, GraphContext *ctx) {
  if (const u32 e = DrawScatter(block, ctx)) return e;
  // The pairs the scatter plot drew, joined in list order.
  const u32 n = StatGraphPairCount(block);
  bool prev = false;
  i32 pc = 0, pr = 0;
  DataRun xs = MakeRun(block[kSgX], n), ys = MakeRun(block[kSgY], n);
  for (u32 i = 1; i <= n; ++i) {
    R x, y;
    if (const u32 e = RunGet(&xs, i, &x)) return e;
    if (const u32 e = RunGet(&ys, i, &y)) return e;
    i32 col, row;
    const bool ok = (GraphXToColumnWide(&x, &col, &ctx->view, ctx->runFlags) | GraphYToRowWide(&y, &row, &ctx->view)) == 0;
    if (ok && prev) {
      Dot(pc, pr, ctx);
      Line(pc, pr, col, row, ctx);
    }
    prev = ok, pc = col, pr = row;
    if (KeyBreakPoll()) return kStatErrBreak;
  }
  return 0;
}

u32 DrawNpp(int slot, const i16 *block, GraphContext *ctx) {
  const u32 n = WorkSize(slot, 0);
  if (n == 0 || WorkSize(slot, 1) != n) return kStatErrDimension;
  const u8 mark = EngineMark(block[kSgMark]);
  for (u32 i = 1; i <= n; ++i) {
    R x, y;
    if (WorkGet(slot, 0, i, &x) || WorkGet(slot, 1, i, &y)) return kStatErrMemory;
    i32 col, row;
    if (OnScreen(x, y, ctx, &col, &row)) Mark(col, row, mark, ctx);
    if (KeyBreakPoll()) return kStatErrBreak;
  }
  return 0;
}

// Box, median, end ticks and whiskers of five values (left end, Q1, Med,
// Q3, right end) in slot's row band.
void BoxShape(int slot, const R v[5], GraphContext *ctx) {
  i32 col[5];
  u32 code[5];
  for (int i = 0; i < 5; ++i) code[i] = StatPlotXToColumnClip(&v[i], &col[i], ctx);
  const i32 base = BoxBase(slot);
  BoxFrame(code[1], col[1], code[3], col[3], base + 9, ctx);
  if (code[0] == 0) Line(col[0], base + 12, col[0], base + 18, ctx);
  if (code[4] == 0) Line(col[4], base + 12, col[4], base + 18, ctx);
  if (code[2] == 0) Line(col[2], base + 9, col[2], base + 21, ctx);
  HSegment(code[0], col[0], code[1], col[1], base + 15, ctx);
  HSegment(code[3], col[3], code[4], col[4], base + 15, ctx);
}

u32 DrawMedBox(int slot, GraphContext *ctx) {
  R v[5];
  for (int i = 0; i < 5; ++i)
    if (WorkGet(slot, 0, static_cast<u32>(i + 1), &v[i])) return kStatErrMemory;
  BoxShape(slot, v, ctx);
  return 0;
}

void OutlierMark(int slot, const R &x, GraphContext *ctx) {
  i32 col;
  if (GraphXToColumn(&x, &col, &ctx->view, ctx->runFlags) == 0) Mark(col, BoxBase(slot) + 15, 1, ctx);
}

u32 DrawMedBoxOutliers(int slot, GraphContext *ctx) {
  R v[7];
  for (int i = 0; i < 7; ++i)
    if (WorkGet(slot, 0, static_cast<u32>(i + 1), &v[i])) return kStatErrMemory;
  BoxShape(slot, v + 1, ctx);
  // A side has outliers when its extreme lies beyond its whisker.
  const bool lower = Lt(v[0], v[1]), upper = Gt(v[6], v[5]);
  if (lower) {
    OutlierMark(slot, v[0], ctx);
    for (u32 i = 1; i <= WorkSize(slot, 1); ++i) {
      R x;
      if (WorkGet(slot, 1, i, &x)) return kStatErrMemory;
      OutlierMark(slot, x, ctx);
    }
  }
  if (upper) {
    OutlierMark(slot, v[6], ctx);
    for (u32 i = 1; i <= WorkSize(slot, 2); ++i) {
      R x;
      if (WorkGet(slot, 2, i, &x)) return kStatErrMemory;
      OutlierMark(slot, x, ctx);
    }
  }
  return 0;
}

u32 HistSetup(int slot, R *width, u32 *n) {
  R start;
  if (StatReadHistParams(&start, width) != 0) return kStatErrMemory;
  *n = WorkSize(slot, 0);
  if (*n == 0 || WorkSize(slot, 1) != *n) return kStatErrDimension;
  return 0;
}

u32 DrawHist(int slot, GraphContext *ctx) {
  R width;
  u32 n;
  if (const u32 e = HistSetup(slot, &width, &n)) return e;
  const R zero = Zero();
  i32 rowBase;
  const u32 codeBase = StatPlotYToRowClip(&zero, &rowBase, ctx);
  R left;
  if (WorkGet(slot, 0, 1, &left)) return kStatErrMemory;
  for (u32 i = 1; i <= n; ++i) {
    R right, count;
    if (WorkGet(slot, 1, i, &count)) return kStatErrMemory;
    if (i < n) {
      if (WorkGet(slot, 0, i + 1, &right)) return kStatErrMemory;
    } else {
      right = Add(left, width);
    }
    i32 colL, colR, rowTop;
    const u32 codeL = StatPlotXToColumnClip(&left, &colL, ctx);
    const u32 codeR = StatPlotXToColumnClip(&right, &colR, ctx);
    const u32 codeTop = StatPlotYToRowClip(&count, &rowTop, ctx);
    Bar(codeL, colL, codeTop, rowTop, codeR, colR, codeBase, rowBase, ctx);
    left = right;
    if (KeyBreakPoll()) return kStatErrBreak;
  }
  return 0;
}

u32 DrawBroken(int slot, GraphContext *ctx) {
  R width;
  u32 n;
  if (const u32 e = HistSetup(slot, &width, &n)) return e;
  const R half = Div(width, Two());
  bool prev = false;
  i32 pc = 0, pr = 0;
  for (u32 i = 1; i <= n; ++i) {
    R edge, count;
    if (WorkGet(slot, 0, i, &edge) || WorkGet(slot, 1, i, &count)) return kStatErrMemory;
    const R x = Add(edge, half);
    i32 col, row;
    const bool ok = (StatPlotXToColumnClip(&x, &col, ctx) | StatPlotYToRowClip(&count, &row, ctx)) == 0;
    if (ok) {
      Dot(col, row, ctx);
      if (prev) Line(pc, pr, col, row, ctx);
    }
    prev = ok, pc = col, pr = row;
    if (KeyBreakPoll()) return kStatErrBreak;
  }
  return 0;
}

int CoefCount(int type) {
  switch (type) {
    case kSgNDist: case kStatLinear: case kStatMedMed: case kStatLog: case kStatExp: case kStatPower: return 2;
    case kStatQuad: case kStatLogistic: return 3;
    case kStatCubic: case kStatSin: return 4;
    case kStatQuart: return 5;
    default: return 0;
  }
}

// 1 an error value, 2 above the screen, 3 below, 0 on it.
int RowClass(const R &y, i32 row) {
  if (IsErr(y)) return 1;
  return row < 1 ? 2 : row > kGraphLastRow ? 3 : 0;
}

}  // namespace

u32 StatPlotXToColumnClip(const BcdReal *x, i32 *col, const GraphContext *ctx) {
  const u32 code = GraphXToColumnWide(x, col, &ctx->view, ctx->runFlags);
  FarColumn(code, col);
  return code;
}

u32 StatPlotYToRowClip(const BcdReal *y, i32 *row, const GraphContext *ctx) {
  const u32 code = GraphYToRowWide(y, row, &ctx->view);
  if (code == kGraphDotAbove) *row = kFarAbove;
  if (code == kGraphDotBelow) *row = kFarBelow;
  return code;
}

u32 StatGraphReadCoefs(int slot, int type, BcdReal c[5]) {
  for (int i = 0; i < 5; ++i) c[i] = Zero();
  const int k = CoefCount(type);
  for (int i = 0; i < k; ++i)
    if (WorkGet(slot, 0, static_cast<u32>(i + 1), &c[i])) return kStatErrMemory;
  return 0;
}

i32 StatGraphModelRowAt(int type, const BcdReal c[5], const GraphContext *ctx, const BcdReal *x, BcdReal *y) {
  StatGraphEvalModel(type, c, x, y);
  i32 row = -1;
  const u32 code = GraphYToRow(y, &row, &ctx->view);
  if (code == kGraphDotBelow) return kGraphLastRow + 2;
  if (code != 0) return -1;
  return row;
}

u32 StatDrawCurve(int slot, const i16 *block, GraphContext *ctx) {
  const int type = block[kSgType];
  R c[5];
  if (StatGraphReadCoefs(slot, type, c) != 0) return kStatErrMemory;
  if (type >= kStatLinear) {
    const int f = type == kStatSin || type == kStatLogistic ? 0 : block[kSgFreq];
    if (const u32 e = StatCheckLists(type, block[kSgX], block[kSgY], f)) return e;
  }
  u32 busy = 0;
  LcdBusySave(&busy);
  LcdShowBusyIndicator();
  KeyBreakArm();
  u32 result = 0;
  i32 prevRow = 0;
  int prevClass = 1;
  for (i32 col = 0; col <= kGraphLastColumn + 1; ++col) {
    R x, y;
    GraphColumnToX(&x, col, &ctx->view, ctx->runFlags & ~(kGraphRunHalf | kGraphRunRightHalf));
    const i32 row = StatGraphModelRowAt(type, c, ctx, &x, &y);
    const int cls = RowClass(y, row);
    if (col > 0) {
      if (cls == 0) {
        if (prevClass == 0) Line(col - 1, prevRow, col, row, ctx);
        else if (prevClass == 1) Dot(col, row, ctx);
        else if (prevClass == 2) Line(col - 1, -64, col, row, ctx);
        else Line(col - 1, 138, col, row, ctx);
      } else if (cls == 2 && prevClass == 0) {
        Line(col - 1, prevRow, col, -63, ctx);
      } else if (cls == 3 && prevClass == 0) {
        Line(col - 1, prevRow, col, 127, ctx);
      }
    }
    prevRow = row, prevClass = cls;
    if (KeyBreakPoll()) {
      result = kStatErrBreak;
      break;
    }
  }
  LcdBusyRestore(&busy);
  return result;
}

void StatGraphDrawTitle(int slot) {
  if (SetupGetItem(kSetupGraphFunc) != 0) return;
  char text[12] = "Regression";
  if (slot >= 1) std::memcpy(text, "StatGraph0", 11), text[9] = static_cast<char>('0' + slot);
  TextLocate(1, 1);
  TextPrintField(text, 21);
}

u32 StatGraphDrawBlock(int slot, const i16 *block, GraphContext *ctx) {
  switch (block[kSgType]) {
    case kSgScatter: return DrawScatter(block, ctx);
    case kSgXyLine: return DrawXyLine(block, ctx);
    case kSgNpp: return DrawNpp(slot, block, ctx);
    case kSgHist: return DrawHist(slot, ctx);
    case kSgBox: return DrawMedBox(slot, ctx);
    case kSgBoxOut: return DrawMedBoxOutliers(slot, ctx);
    case kSgBroken: return DrawBroken(slot, ctx);
    default:
      if (block[kSgType] == kSgNDist || (block[kSgType] >= kStatLinear && block[kSgType] <= kStatLogistic))
        return StatDrawCurve(slot, block, ctx);
      return 0;
  }
}

u32 StatGraphDrawAll(const i16 cond[35], GraphContext *ctx) {
  u32 result = 0;
  for (int s = 0; s <= 3 && result == 0; ++s) {
    const i16 *b = cond + 7 * s;
    if (b[kSgDraw] != 1) continue;
    if (s == 0 && (b[kSgType] < kStatLinear || b[kSgType] > kStatLogistic)) continue;
    StatGraphDrawTitle(s);
    result = StatGraphDrawBlock(s, b, ctx);
  }
  GraphPrepareScreen(ctx);
  return result;
}

void StatGraphBoxY(int slot, const GraphContext *ctx, BcdReal *y) { GraphRowToY(y, BoxBase(slot) + 15, &ctx->view); }

u32 StatGraphMidPoint(int slot, const i16 block[7], const GraphContext *ctx, i32 *col, i32 *row, BcdReal *x,
                      BcdReal *y) {
  const int type = block[kSgType];
  u32 e = 0;
  if (type == kSgScatter || type == kSgXyLine) {
    const u32 n = StatGraphPairCount(block);
    if (n == 0) return kStatErrDimension;
    const u32 i = n / 2 + 1;
    if ((e = DataGet(block[kSgX], i, x)) != 0 || (e = DataGet(block[kSgY], i, y)) != 0) return e;
  } else if (type == kSgNpp) {
    const u32 i = WorkSize(slot, 0) / 2 + 1;
    if (WorkGet(slot, 0, i, x) || WorkGet(slot, 1, i, y)) return kStatErrMemory;
  } else if (type == kSgHist || type == kSgBroken) {
    R start, width;
    if (StatReadHistParams(&start, &width) != 0) return kStatErrMemory;
    const u32 i = WorkSize(slot, 0) / 2 + 1;
    R edge;
    if (WorkGet(slot, 0, i, &edge) || WorkGet(slot, 1, i, y)) return kStatErrMemory;
    *x = Add(edge, Div(width, Two()));
  } else if (type == kSgBox || type == kSgBoxOut) {
    if (WorkGet(slot, 0, type == kSgBox ? 3 : 4, x)) return kStatErrMemory;
    StatGraphBoxY(slot, ctx, y);
  } else {
    R c[5];
    if (StatGraphReadCoefs(slot, type, c) != 0) return kStatErrMemory;
    GraphColumnToX(x, 64, &ctx->view, 0);
    StatGraphEvalModel(type, c, x, y);
  }
  if (!OnScreen(*x, *y, ctx, col, row)) *col = *row = -1;
  return 0;
}
