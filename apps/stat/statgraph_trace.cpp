// Trace over the drawn StatGraphs: a pointer that walks the data points,
// histogram classes and box-plot values of a data graph, or steps column by
// column along a curve; UP and DOWN change the graph, and the point's values
// are shown on the bottom line and stored in X, Y (F for a class count).
#include <vector>

#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_cond.h"
#include "apps/stat/stat_data.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/statgraph.h"
#include "graph/app/graph_temp.h"
#include "graph/engine/graph_draw.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "number/value.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/setup.h"

using namespace statreal;

namespace {

bool IsCurve(int type) { return type == kSgNDist || (type >= kStatLinear && type <= kStatLogistic); }

bool Drawn(const i16 *cond, int slot) {
  const i16 *b = cond + 7 * slot;
  if (b[kSgDraw] != 1) return false;
  return slot != 0 || (b[kSgType] >= kStatLinear && b[kSgType] <= kStatLogistic);
}

// One point of a data graph: where the pointer stands, the value shown as
// x (a class's lower edge) and its label.
struct Point {
  R x, y, shownX;
  const char *label;
};

// Element i of working list k of slot s (list 10s + k of file 255; slot
// 0's coefficients are list 0).
u32 WorkGet(int slot, int k, u32 i, R *out) {
  Value v{};
  if (ItemListGet(kStatWorkFile, static_cast<u8>(10 * slot + k), i, &v) != 0) return kStatErrMemory;
  *out = v.re;
  return 0;
}

u32 WorkSize(int slot, int k) { return ItemListSize(kStatWorkFile, static_cast<u8>(10 * slot + k)); }

// The walk over a box plot: minX, the lower outliers and whisker end, the
// quartiles and median, the upper whisker end and outliers, maxX.
u32 BoxPoints(int slot, int type, std::vector<Point> *out) {
  static const char *const kLabels[5] = {"minX=", "Q1   =", "Med  =", "Q3   =", "maxX ="};
  const char *other = "X     =";
  if (type == kSgBox) {
    for (u32 i = 1; i <= 5; ++i) {
      Point p{};
      if (WorkGet(slot, 0, i, &p.x)) return kStatErrMemory;
      p.label = kLabels[i - 1];
      out->push_back(p);
    }
    return 0;
  }
  R v[7];
  for (u32 i = 0; i < 7; ++i)
    if (WorkGet(slot, 0, i + 1, &v[i])) return kStatErrMemory;
  const bool lower = Lt(v[0], v[1]), upper = Gt(v[6], v[5]);
  auto add = [out](const R &x, const char *label) {
    Point p{};
    p.x = x;
    p.label = label;
    out->push_back(p);
  };
  add(v[0], kLabels[0]);
  if (lower) {
    for (u32 i = 1; i <= WorkSize(slot, 1); ++i) {
      R x;
      if (WorkGet(slot, 1, i, &x)) return kStatErrMemory;
      add(x, other);
    }
    add(v[1], other);
  }
  add(v[2], kLabels[1]);
  add(v[3], kLabels[2]);
  add(v[4], kLabels[3]);
  if (upper) {
    add(v[5], other);
    for (u32 i = 1; i <= WorkSize(slot, 2); ++i) {
      R x;
      if (WorkGet(slot, 2, i, &x)) return kStatErrMemory;
      add(x, other);
    }
  }
  add(v[6], kLabels[4]);
  return 0;
}

// Every point of a data graph.
u32 DataPoints(int slot, const i16 *block, const GraphContext *ctx, std::vector<Point> *out) {
  out->clear();
  const int type = block[kSgType];
  if (type == kSgBox || type == kSgBoxOut) {
    if (const u32 e = BoxPoints(slot, type, out)) return e;
    R y;
    StatGraphBoxY(slot, ctx, &y);
    for (Point &p : *out) p.y = y, p.shownX = p.x;
    return 0;
  }
  if (type == kSgScatter || type == kSgXyLine) {
    const u32 n = StatGraphPairCount(block);
    for (u32 i = 1; i <= n; ++i) {
      Point p{};
      if (StatDataListGet(static_cast<u32>(block[kSgX]), i, &p.x) || StatDataListGet(static_cast<u32>(block[kSgY]), i, &p.y))
        return kStatErrMemory;
      p.shownX = p.x;
      out->push_back(p);
    }
    return 0;
  }
  R start, width = Zero();
  const bool classes = type == kSgHist || type == kSgBroken;
  if (classes && StatReadHistParams(&start, &width) != 0) return kStatErrMemory;
  const u32 n = WorkSize(slot, 0);
  for (u32 i = 1; i <= n; ++i) {
    Point p{};
    if (WorkGet(slot, 0, i, &p.shownX) || WorkGet(slot, 1, i, &p.y)) return kStatErrMemory;
    p.x = classes ? Add(p.shownX, Div(width, Two())) : p.shownX;
    out->push_back(p);
  }
  return 0;
}

// The position (from 1) of the point whose shown x is nearest to x.
u32 Nearest(const std::vector<Point> &pts, const R &x) {
  u32 best = 1;
  R bestD;
  for (u32 i = 0; i < pts.size(); ++i) {
    const R d = Abs(Sub(x, pts[i].shownX));
    if (i == 0 || Lt(d, bestD)) best = i + 1, bestD = d;
    if (Eq(d, Zero())) break;
  }
  return best;
}

void Prepare(GraphContext *ctx) { GraphPrepareScreen(ctx); }

void ShowValues(int slot, int type, const Point &p, GraphContext *ctx) {
  Prepare(ctx);
  StatGraphDrawTitle(slot);
  if (SetupGetItem(kSetupCoord) != 0) return;
  if (type == kSgHist || type == kSgBroken) {
    GraphStoreVar('X', &p.shownX);
    GraphStoreVar('F', &p.y);
    GraphShowValue(1, 8, "X=", &p.shownX, false, 16);
    GraphShowValue(17, 8, "f=", &p.y, false, 16);
  } else if (type == kSgBox || type == kSgBoxOut) {
    GraphStoreVar('X', &p.x);
    GraphShowValue(1, 8, p.label, &p.x, true, 26);
  } else {
    GraphStoreVar('X', &p.x);
    GraphStoreVar('Y', &p.y);
    GraphShowTwoValues(&p.x, &p.y);
  }
}

// The pointer loop on one graph: -24 previous graph, -25 next, else the
// trace's result.
i32 TraceLoop(int slot, const i16 *block, GraphContext *ctx, u32 *position, R *x, const std::vector<Point> &pts) {
  const int type = block[kSgType];
  const bool curve = IsCurve(type);
  R c[5];
  if (curve && StatGraphReadCoefs(slot, type, c) != 0) {
    ErrBox(static_cast<i32>(kStatErrMemory));
    return -21;
  }
  for (;;) {
    Point p{};
    GraphPointer ptr{};
    if (curve) {
      p.x = *x;
      p.label = nullptr;
      StatGraphEvalModel(type, c, x, &p.y);
      p.shownX = p.x;
    } else {
      p = pts[*position - 1];
    }
    const bool on = (GraphXToColumn(&p.x, &ptr.col, &ctx->view, ctx->runFlags) | GraphYToRow(&p.y, &ptr.row, &ctx->view)) == 0;
    ptr.hidden = on ? 0 : 1;
    ShowValues(slot, type, p, ctx);
    u32 typed = 0;
    const u32 key = GraphCursorKey(&ptr, kCursorPointer, &typed);
    switch (key) {
      case kKeyExit: case 30210: return -21;
      case kKeyExe:
        if (SysIsAppName("@RUNMAT") || SysIsAppName("@PROG")) return -12;
        break;
      case kKeyAc: return kKeyGraphAc;
      case kKeyUp: return -24;
      case kKeyDown: return -25;
      case kKeyQuit: return -22;
      case kKeyLeft: case kKeyRight: {
        const i32 step = key == kKeyLeft ? -1 : 1;
        if (curve) {
          // Off the screen the pointer still steps one column from where x is.
          i32 col = 0;
          GraphXToColumnWide(x, &col, &ctx->view, ctx->runFlags);
          col += step;
          if (col < 1) col = 1;
          if (col > kGraphLastColumn) col = kGraphLastColumn;
          GraphColumnToX(x, col, &ctx->view, ctx->runFlags);
        } else {
          const i64 next = static_cast<i64>(*position) + step;
          if (next >= 1 && next <= static_cast<i64>(pts.size())) *position = static_cast<u32>(next);
          *x = pts[*position - 1].shownX;
        }
        break;
      }
      default:
        if (const i32 r = StatGraphPointerKey(key)) return r;
        break;
    }
  }
}

}  // namespace

i32 StatGraphPointerKey(u32 key) {
  switch (key) {
    case kKeyVWindow: return GraphOpenVwinScreen(0) == 1 ? -27 : 0;
    case kKeySetup: return GraphRunSetup() != 0 ? -27 : 0;
    case kKeyGraphTable: return -23;
    default: return key == 0 || (key >= 30000 && key < 30200) ? 0 : static_cast<i32>(key);
  }
}

i32 StatGraphTrace(const i16 cond[35], GraphContext *ctx) {
  int slot = -1;
  for (int s = 0; s <= 3 && slot < 0; ++s)
    if (Drawn(cond, s)) slot = s;
  // Nothing to walk over: the trace ends at once.
  if (slot < 0) return -21;
  FkeyRestoreLevelRoot();
  GraphTraceBeginHook();
  R x;
  u32 position = 1;
  std::vector<Point> pts;
  bool first = true;
  i32 r = -21;
  for (;;) {
    const i16 *block = cond + 7 * slot;
    const int type = block[kSgType];
    if (IsCurve(type)) {
      R lo, hi;
      if (GmemReadVwinValue(&lo, kVwinXmin) != 0 || GmemReadVwinValue(&hi, kVwinXmax) != 0) {
        ErrBox(static_cast<i32>(kStatErrMemory));
        r = -22;
        break;
      }
      if (first) GraphColumnToX(&x, 64, &ctx->view, 0);
      if (Lt(x, lo)) x = lo;
      if (Gt(x, hi)) x = hi;
    } else {
      if (const u32 e = DataPoints(slot, block, ctx, &pts)) {
        ErrBox(static_cast<i32>(e));
        r = -22;
        break;
      }
      if (pts.empty()) {
        r = -21;
        break;
      }
      if (first) x = pts[0].shownX;
      position = Nearest(pts, x);
    }
    first = false;
    r = TraceLoop(slot, block, ctx, &position, &x, pts);
    if (r != -24 && r != -25) break;
    const int step = r == -24 ? -1 : 1;
    int next = slot;
    bool wrapped = false;
    for (int i = 1; i <= 4; ++i) {
      const int s = slot + step * i;
      if (s < 0 || s > 3) wrapped = true;
      if (Drawn(cond, (s % 4 + 4) % 4)) {
        next = (s % 4 + 4) % 4;
        break;
      }
    }
    // Past the last drawn slot (or before the first) come the graph
    // functions drawn over the StatGraphs.
    if (wrapped && cond[kStatFuncBlockFlag] == 1) {
      R lo, hi;
      if (GmemReadVwinValue(&lo, kVwinXmin) == 0 && GmemReadVwinValue(&hi, kVwinXmax) == 0) {
        if (Lt(x, lo)) x = lo;
        if (Gt(x, hi)) x = hi;
      }
      r = TraceTempGraphs(ctx, step < 0 ? kKeyUp : kKeyDown, &x);
      if (r != kGraphTempPrevious && r != kGraphTempNext) break;
      // Back from the functions: the first drawn slot going down, the last
      // going up.
      next = -1;
      for (int i = 0; i <= 3; ++i) {
        const int s = r == kGraphTempNext ? i : 3 - i;
        if (Drawn(cond, s)) {
          next = s;
          break;
        }
      }
      if (next < 0) break;
    }
    slot = next;
  }
  GraphTraceEndHook();
  GraphPrepareScreen(ctx);
  return r;
}
