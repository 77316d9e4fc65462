// Value estimation on the drawn regression graphs of the StatGraph screen.
#include "apps/stat/stat_estimate.h"

#include <climits>
#include <cstring>
#include <utility>

#include "apps/stat/dist_graph.h"
#include "apps/stat/stat_calc.h"
#include "apps/stat/stat_error.h"
#include "apps/stat/stat_real.h"
#include "apps/stat/statgraph.h"
#include "graph/app/graph_temp.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_eval.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_func.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_trace.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/setup.h"
#include "ui/text.h"

using namespace statreal;

namespace {

// The key loop asks for a new x (never a result of the mode).
constexpr i32 kAskX = INT32_MIN;

// "Regression" or "StatGraph" n on row 1, always (the graph's own screen)
// or only while SET UP Graph Func is On (the read-out).
void Title(int slot, bool always) {
  if (!always) {
    StatGraphDrawTitle(slot);
    return;
  }
  char text[12] = "Regression";
  if (slot >= 1) std::memcpy(text, "StatGraph0", 11), text[9] = static_cast<char>('0' + slot);
  TextLocate(1, 1);
  TextPrintField(text, 21);
}

// What the screen shows under the pointer: the title and, after an input,
// the read-out of x and y.
struct View {
  int slot;
  bool readout;
  R x, y;
};

void Repaint(const View &v, GraphContext *ctx) {
  GraphPrepareScreen(ctx);
  Title(v.slot, !v.readout);
  if (v.readout && SetupGetItem(kSetupCoord) == 0) GraphShowTwoValues(&v.x, &v.y);
}

// The keys on an estimation screen: kAskX with *first the character that
// starts the input (0: empty), or the mode's result.
i32 EstimateKeys(const View &view, GraphPointer *ptr, GraphContext *ctx, u32 *first) {
  for (;;) {
    Repaint(view, ctx);
    u32 typed = 0;
    const u32 key = GraphCursorKey(ptr, kCursorPointer, &typed);
    switch (key) {
      case kKeyXThetaT:
        if (typed != 0 && typed != 0x20 && !StatIsVarNameChar(typed)) break;
        *first = typed == 0x20 ? 0 : typed;
        return kAskX;
      case kKeyExe:
        *first = 0;
        return kAskX;
      case kKeyExit: return -21;
      case kKeyAc: return static_cast<i32>(kKeyGraphAc);
      case kKeyUp: return -24;
      case kKeyDown: return -25;
      case kKeyQuit: return -22;
      default:
        if (const i32 r = StatGraphPointerKey(key)) return r;
        break;
    }
  }
}

// The pointer at (x, y), hidden when either lies off the screen.
void Place(GraphPointer *ptr, const R &x, const R &y, const GraphContext *ctx) {
  const u32 off = GraphXToColumn(&x, &ptr->col, &ctx->view, ctx->runFlags) | GraphYToRow(&y, &ptr->row, &ctx->view);
  ptr->hidden = off != 0 ? 1 : 0;
}

// The "Enter X-Value" pop-up: 0 with *x strictly inside (-1e98, 1e98) and,
// given a range, inside [range[0], range[1]]; -21 EXIT, -22 SHIFT+EXIT. A
// value outside shows Argument ERROR and the input starts again with its
// text.
i32 ReadX(u32 first, R *x, const R *range = nullptr) {
  static const R kHigh = Num("1e98"), kLow = Neg(kHigh);
  u32 typed = 1, key = first;
  R v = Zero();
  for (;;) {
    const i32 r = StatXValuePopup(typed, &key, &v);
    if (r == -1) return -22;
    if (r != 0) return -21;
    if (Gt(v, kLow) && Lt(v, kHigh) && (range == nullptr || (!Lt(v, range[0]) && !Gt(v, range[1])))) {
      *x = v;
      return 0;
    }
    ErrBox(kStatErrArgument);
    typed = 0;
    key = 0;
  }
}

// ---- the graph functions drawn over the StatGraphs ----

bool IsPlainY(const GraphEntry &e) { return (e.type & kGraphTypeX) != 0 && (e.type & kGraphTypePoints) == 0; }

// The x range of a function that has one of its own (low end first).
bool EntryRange(GraphContext *ctx, i32 idx, R range[2]) {
  if ((ctx->entries[idx].type & kGraphTypeRanged) == 0) return false;
  if (GraphEntryText(0, ctx->entries, idx, &range[0]) != 0 || GraphEntryText(1, ctx->entries, idx, &range[1]) != 0)
    return false;
  if (Lt(range[1], range[0])) std::swap(range[0], range[1]);
  return true;
}

// x of the screen's middle column, kept inside a function's own range.
void MiddleX(GraphContext *ctx, i32 idx, R *x) {
  GraphColumnToX(x, 64, &ctx->view, ctx->runFlags);
  R range[2];
  if (!EntryRange(ctx, idx, range)) return;
  if (Lt(*x, range[0])) *x = range[0];
  if (Gt(*x, range[1])) *x = range[1];
}

// The pointer on the functions from entry *idx at *x: UP and DOWN walk the
// functions, X,θ,T, EXE or a typed character ask for x. The mode's codes:
// -24 UP before the first function, -25 DOWN past the last, 0 on an entry
// that is no Y= function, else as StatRegEstimate's.
i32 FuncLoop(GraphContext *ctx, i32 *idx, i32 *sub, R *x) {
  GraphPointer ptr{};
  bool readout = false;
  u32 key = 0;
  for (bool first = true;; first = false) {
    if (!first) {
      u32 typed = 0;
      key = GraphCursorKey(&ptr, kCursorPointer, &typed);
      GraphRefreshEntries(ctx);
      u32 start = 0;
      switch (key) {
        case kKeyXThetaT:
          if (typed != 0 && typed != 0x20 && !StatIsVarNameChar(typed)) continue;
          start = typed == 0x20 ? 0 : typed;
          [[fallthrough]];
        case kKeyExe: {
          R range[2];
          const bool ranged = EntryRange(ctx, *idx, range);
          R v = *x;
          if (const i32 r = ReadX(start, &v, ranged ? range : nullptr)) return r;
          *x = v;
          readout = true;
          break;
        }
        case kKeyExit: return -21;
        case kKeyAc: return static_cast<i32>(kKeyGraphAc);
        case kKeyQuit: return -22;
        case kKeyUp: case kKeyDown:
          if (!GsolveNextEntry(kTraceStatFrom, idx, sub, key, ctx)) return key == kKeyUp ? -24 : -25;
          if (!IsPlainY(ctx->entries[*idx])) return 0;
          MiddleX(ctx, *idx, x);
          readout = false;
          break;
        default:
          if (const i32 r = StatGraphPointerKey(key)) return r;
          continue;
      }
    }
    R y;
    if (const u32 e = GraphEvalFunc(x, &y, ctx, *idx, *sub)) {
      ErrBox(static_cast<i32>(e));
      return -21;
    }
    GraphStoreVar('X', x);
    GraphStoreVar('Y', &y);
    Place(&ptr, *x, y, ctx);
    GraphPrepareScreen(ctx);
    TraceShowLabel(ctx, *idx);
    if (readout && SetupGetItem(kSetupCoord) == 0) GraphShowTwoValues(x, &y);
  }
}

}  // namespace

i32 StatFuncEstimate(GraphContext *ctx, int lastResult, BcdReal x[1]) {
  GraphEntry table[kGmemFuncSlots + 1];
  if (GraphTempEntries(table) == 0) return 0;
  GraphEntry *keep = ctx->entries;
  ctx->entries = table;
  i32 idx = 0, sub = 1, r = 0;
  if (GsolveFirstEntry(kTraceStatFrom, ctx, &idx, &sub)) {
    if (lastResult == -24) GsolveNextEntry(kTraceStatFrom, &idx, &sub, kKeyUp, ctx);
    if (IsPlainY(ctx->entries[idx])) {
      MiddleX(ctx, idx, x);
      GraphTraceBeginHook();
      r = FuncLoop(ctx, &idx, &sub, x);
      GraphTraceEndHook();
    }
  }
  ctx->entries = keep;
  return r;
}

i32 StatRegEstimateInput(int typed, u32 key, int slot, const i16 block[7], GraphContext *ctx) {
  u32 first = typed != 0 ? key : 0;
  for (;;) {
    View view{slot, true, Zero(), Zero()};
    if (const i32 r = ReadX(first, &view.x)) return r;
    // A model undefined at x (a logarithm of a negative x, ...) shows its
    // error and asks again; nothing is stored.
    if (const u32 e = StatRegEstimateAt(slot, block, &view.x, &view.y)) {
      GraphPrepareScreen(ctx);
      ErrBox(static_cast<i32>(e));
      first = 0;
      continue;
    }
    GraphStoreVar('X', &view.x);
    GraphStoreVar('Y', &view.y);
    GraphPointer ptr{};
    Place(&ptr, view.x, view.y, ctx);
    const i32 r = EstimateKeys(view, &ptr, ctx, &first);
    if (r != kAskX) return r;
  }
}

i32 StatRegEstimateGraph(const i16 cond[35], int slot, GraphContext *ctx) {
  const i16 *block = cond + 7 * slot;
  View view{slot, false, Zero(), Zero()};
  GraphPrepareScreen(ctx);
  Title(slot, true);
  i32 col = -1, row = -1;
  if (const u32 e = StatGraphMidPoint(slot, block, ctx, &col, &row, &view.x, &view.y)) {
    ErrBox(static_cast<i32>(e));
    return -21;
  }
  GraphPointer ptr{};
  ptr.col = col;
  ptr.row = row;
  ptr.hidden = col < 0 || row < 0 ? 1 : 0;
  u32 first = 0;
  const i32 r = EstimateKeys(view, &ptr, ctx, &first);
  if (r != kAskX) return r;
  return StatRegEstimateInput(first != 0, first, slot, block, ctx);
}

i32 StatRegEstimate(const i16 cond[35], GraphContext *ctx) {
  // The first drawn regression from the overlay on, else the graph
  // functions drawn over the StatGraphs; neither: nothing to do.
  i32 slot = -1;
  for (int s = 0; s <= 3 && slot < 0; ++s)
    if (StatIsRegGraphOn(cond + 7 * s)) slot = s;
  if (slot < 0 && cond[kStatFuncBlockFlag] == 1) slot = 4;
  if (slot < 0) return -21;
  // The screen's own menu row, as the trace shows it.
  FkeyRestoreLevelRoot();
  i32 r = -21, last = 0;
  for (;;) {
    if (slot == 4) {
      R x = Zero();
      r = StatFuncEstimate(ctx, last, &x);
      if (r != 0 && r != -24 && r != -25) break;
    } else {
      r = StatRegEstimateGraph(cond, slot, ctx);
      if (r != -24 && r != -25) break;
    }
    // Nothing to show on the functions: the search goes on the way it came.
    const bool back = r == -24 || (r == 0 && last == -24);
    const i32 s = StatNextRegGraph(slot, cond, back ? -1 : 1);
    if (r == 0 && (s < 0 || s == 4)) {
      r = -21;
      break;
    }
    if (r != 0) last = r;
    // StatNextRegGraph found nothing else: stay on this graph.
    if (s >= 0) slot = s;
  }
  GraphPrepareScreen(ctx);
  return r;
}
