// The drawing side of the graph screen: the entry table built from the graph
// functions, the planes put on the display by screen mode, the redraw after
// a zoom or scroll, the two-graph screen commands and the V-Window scroll.
#include <cstring>

#include "graph/command/graph_command.h"
#include "graph/engine/graph_axes.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/gscreen_util.h"
#include "graph/engine/graph_glue.h"
#include "kernel/task.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr i32 kEntryMax = 30;
constexpr u8 kTableMatrix = 35;
constexpr u32 kRangeError = 28;

GraphEntry g_entries[kEntryMax + 1];

u32 TableRows() {
  u32 rows = 0, cols = 0;
  return ItemMatDims(kTableMatrix, &rows, &cols) == 0 ? rows : 0;
}

// Whether a function of type word t belongs to the current Func Type (the
// table and the graph-and-table screen show one kind of function only).
bool OfFuncType(u32 t) {
  switch (SetupGetItem(kSetupFuncType)) {
    case 0:
      return (t & 0x100) != 0 && (t & 0x80) == 0;
    case 1:
      return (t & 0x402) == 0x402;
    case 2:
      return (t & 0x401) == 0x401;
    default:
      return false;
  }
}

// The label kind and read-out kind of a function by its type bits.
void SetLabel(GraphEntry *e) {
  e->readoutKind = 1;
  switch (e->type & 0x703) {
    case 0x100:
      e->labelKind = 1;
      break;
    case 0x200:
    case 0x201:
      e->labelKind = 2;
      break;
    case 0x401:
      e->labelKind = 3;
      e->readoutKind = 3;
      break;
    case 0x402:
      e->labelKind = 4;
      e->readoutKind = 2;
      break;
    default:
      e->labelKind = 0;
      break;
  }
}

// The text of command entry e (its slot is the command's number), taken
// again after main memory moved.
const u8 *CommandSlotText(const GraphEntry *e) {
  static const u8 kGone[2] = {0, 0};
  const char *text = nullptr;
  if (GmemCommandTextPtr(e->slot, &text) != 0 || text == nullptr) return kGone;
  return reinterpret_cast<const u8 *>(text);
}

// A graph command of the ring as an entry; false when it has no type word.
bool CommandEntry(i32 i, GraphEntry *e) {
  char name[12];
  if (GmemCommandName(i, name) != 0) return false;
  u8 *data = nullptr;
  u32 size = 0;
  if (McsOpenByKindPtr(kMcsKindWork, name, &size, &data) != 0 || size < 4) return false;
  const u32 type = static_cast<u32>(data[0] | (data[1] << 8));
  const char *text = nullptr;
  if (type == 0 || GmemCommandTextPtr(i, &text) != 0 || text == nullptr || text[0] == 0) return false;
  *e = GraphEntry{};
  e->type = type;
  e->text = reinterpret_cast<const u8 *>(text);
  e->textSource = CommandSlotText;
  e->style = data[3] != 0 ? data[3] : u8{kGraphStyleNormal};
  e->slot = i;
  e->readoutKind = 1;
  // A probability graph draws the normal density, not its text.
  if ((type & (kGraphTypeBuiltin | kGraphTypeX)) == (kGraphTypeBuiltin | kGraphTypeX)) e->builtin = GraphNormalDensity;
  return true;
}

void Fail(u32 code) {
  GmemDeleteGraphRecord();
  ErrBox(static_cast<i32>(code));
}

u32 LoadAndClear(GraphContext *ctx, i32 fromVwin) {
  if (const u32 e = GraphLoadVwin(ctx, fromVwin)) return e;
  GraphClearBuffer(ctx);
  return 0;
}

// Frames the box of "PLOT" when it holds two points.
void FramePlotBox() {
  u8 pts[16];
  if (GmemReadPlot(pts) != 2) return;
  i32 v[4];
  std::memcpy(v, pts, sizeof v);
  GraphDrawFrame(v[0], v[1], v[2], v[3]);
}

}  // namespace

GraphEntry *GraphEntryTable() { return g_entries; }

i32 GraphDrawKind(GraphContext *ctx, u8 kind) {
  const bool typed = kind == kGraphSelTablePlot || kind == kGraphSelTableConn || kind == kGraphSelTable ||
                     (kind == kGraphSelGraph && GraphScreenMode(ctx) == 2);
  const bool fromTable = kind == kGraphSelTablePlot || kind == kGraphSelTableConn;
  i32 n = 0;
  for (i32 slot = 1; slot <= kGmemFuncSlots && n < kEntryMax; ++slot) {
    // The table graphs draw the functions selected for the table.
    if (!GmemTestFuncFlags(slot, fromTable ? u8{kGraphSelTable} : kind)) continue;
    const u32 type = GmemReadFuncType(slot);
    if (typed && !OfFuncType(type)) continue;
    const char *text = GmemFuncDataPtr(slot);
    if (text == nullptr || text[0] == 0) continue;  // an empty slot draws nothing
    GraphEntry &e = g_entries[n];
    e = GraphEntry{};
    e.type = type;
    e.slot = slot;
    if (fromTable) {
      e.type |= kGraphTypePoints | 0x10;
      e.joinMode = kind == kGraphSelTablePlot ? 1 : 0;
      e.pointCount = TableRows();
    } else {
      e.text = reinterpret_cast<const u8 *>(text);
      e.textSource = GraphFuncSlotText;
    }
    // A stored kind byte of 0 is drawn as a normal line: as a style, 0
    // would end the table and drop every later function.
    const u8 style = GmemReadFuncKind(slot);
    e.style = kind == kGraphSelDyna ? u8{11} : style != 0 ? style : u8{kGraphStyleNormal};
    SetLabel(&e);
    ++n;
  }
  if (SysIsAppName("@GRAPH") && GraphScreenMode(ctx) == 0) {
    for (i32 i = GmemCommandCount(); i >= 1 && n < kEntryMax; --i) {
      GraphEntry e;
      if (!CommandEntry(i, &e)) continue;
      e.labelKind = 5;
      g_entries[n++] = e;
    }
  }
  g_entries[n] = GraphEntry{};
  ctx->entries = g_entries;
  return n;
}

i32 GraphCommandEntries(GraphContext *ctx) {
  i32 n = 0;
  const i32 count = GmemCommandCount();
  for (i32 i = 1; i <= count && n < kEntryMax; ++i) {
    GraphEntry e;
    if (!CommandEntry(i, &e)) continue;
    e.labelKind = (e.type & (0x8 | 0x1000)) ? 0 : 5;
    g_entries[n++] = e;
  }
  g_entries[n] = GraphEntry{};
  ctx->entries = g_entries;
  return n;
}

void GraphCopyBuffer(GraphContext *ctx, i32 flags) {
  u8 image[kGraphPlaneBytes];
  const u8 *p0 = ctx->planes;
  const u8 *p1 = ctx->planes + kGraphPlaneBytes;
  if (flags & 0x80) {
    const i32 from = (flags & 0x40) ? 8 : 0;
    for (i32 row = 0; row < 64; ++row)
      for (i32 b = 0; b < 8; ++b) image[row * 8 + b] = p0[row * 16 + from + b] | p1[row * 16 + from + b];
    GraphShowBuffer(image, static_cast<u8>(flags & 0xC0));
    return;
  }
  for (u32 i = 0; i < kGraphPlaneBytes; ++i) image[i] = p0[i] | p1[i];
  GraphShowBuffer(image, 0);
}

void GraphDrawAxisLetters(u32 screenMode) {
  TextPrintMini(1, 17, "Y", 32);
  if (screenMode == 0) {
    TextPrintMini(124, 43, "X", 32);
  } else if (screenMode == 1) {
    TextPrintMini(65, 17, "Y", 32);
    TextPrintMini(124, 43, "X", 32);
    TextPrintMini(60, 43, "X", 32);
  } else {
    TextPrintMini(60, 43, "X", 32);
  }
}

void GraphPrepareScreen(GraphContext *ctx) {
  const u32 mode = GraphScreenMode(ctx);
  if (mode <= 1) {
    GraphCopyBuffer(ctx, 0);
    if (mode == 1) FramePlotBox();
  } else {
    LcdClearArea(LcdRect{64, 0, 127, 7});
    LcdClearArea(LcdRect{64, 48, 127, 55});
    LcdClearArea(LcdRect{0, 56, 127, 63});
    GraphCopyBuffer(ctx, 0x80);
  }
  if (ctx->optionFlags & kGraphOptLabel) GraphDrawAxisLetters(mode);
}

void GraphRefreshScreen(GraphContext *ctx) {
  if (GraphScreenMode(ctx) >= 2) {
    LcdClearVram();
    GraphGlueDrawTable(ctx, 0);
  }
  GraphPrepareScreen(ctx);
}

void GraphRedrawFkeys() {
  const u32 top = FkeyCurrentMenu();
  if (top != FkeyLevelRoot()) {
    KeyForgetDrawnRow();
    return;
  }
  KeyNoteDrawnRow();
}

i32 GraphRedrawByMode(GraphContext *ctx, u8 how) {
  ctx->screenFlags &= static_cast<u8>(~kGraphIneqMask);
  const u32 mode = GraphScreenMode(ctx);
  u32 e = 0;
  if (mode == 1) {
    const u8 keep = ctx->runFlags;
    if (how == 0 || how == 1) {
      ctx->runFlags = static_cast<u8>((keep & ~kGraphRunRightHalf) | kGraphRunHalf);
      e = LoadAndClear(ctx, 1);
      if (e == 0) {
        GraphCopyBuffer(ctx, 0);
        GraphDrawKind(ctx, kGraphSelGraph);
        e = GraphPlotAll(ctx);
      }
    }
    if (e == 0 && (how == 0 || how == 2)) {
      ctx->runFlags = static_cast<u8>(keep | kGraphRunHalf | kGraphRunRightHalf);
      e = LoadAndClear(ctx, 0);
      if (e == 0) {
        GraphCopyBuffer(ctx, 0);
        GraphDrawKind(ctx, kGraphSelRight);
        ctx->screenFlags &= static_cast<u8>(~kGraphIneqMask);
        e = GraphPlotAll(ctx);
      }
    }
    ctx->runFlags = static_cast<u8>((keep & ~kGraphRunRightHalf) | kGraphRunHalf);
    if (e == 0) e = GraphLoadVwin(ctx, 1);
    GraphDrawKind(ctx, kGraphSelGraph);
  } else {
    e = LoadAndClear(ctx, 1);
    if (e == 0) {
      if (mode == 0) GraphCopyBuffer(ctx, 0);
      e = GraphPlotAll(ctx);
    }
  }
  if (e != 0) {
    Fail(e);
    return kGraphExitShown;
  }
  GraphPrepareScreen(ctx);
  return 0;
}

void GraphCopySelectionRight(GraphContext *) {
  for (i32 n = 1; n <= kGmemFuncSlots; ++n)
    if (GmemTestFuncFlags(n, kGraphSelGraph)) GmemSetFuncFlags(n, 1, kGraphSelRight);
}

void GraphResetSelectionRight(GraphContext *ctx) {
  for (i32 n = 1; n <= kGmemFuncSlots; ++n) GmemSetFuncFlags(n, 0, kGraphSelRight);
  GraphCopySelectionRight(ctx);
}

void GraphSwapScreens(GraphContext *ctx) {
  for (i32 p = 0; p < 2; ++p) {
    u8 *plane = ctx->planes + p * kGraphPlaneBytes;
    for (i32 row = 0; row < 64; ++row) {
      u8 *r = plane + row * 16;
      u8 left[8];
      std::memcpy(left, r, 8);
      std::memmove(r, r + 8, 8);
      std::memcpy(r + 8, left, 8);
    }
  }
  // The dividing line stays at column 64: the left half's first column is
  // cleared, the right half's set.
  for (i32 row = 0; row < 64; ++row) {
    ctx->planes[row * 16] &= 0x7F;
    ctx->planes[row * 16 + 8] |= 0x80;
  }
  VwinRecord left, right;
  if (GmemReadVwin(&left) == 0 && GmemReadVwinr(&right) == 0) {
    GmemWriteVwin(&right);
    GmemWriteVwinr(&left);
  }
  GraphLoadVwin(ctx, 1);
  for (i32 n = 1; n <= kGmemFuncSlots; ++n) {
    const bool l = GmemTestFuncFlags(n, kGraphSelGraph) != 0;
    const bool r = GmemTestFuncFlags(n, kGraphSelRight) != 0;
    if (l == r) continue;
    GmemSetFuncFlags(n, r ? 1 : 0, kGraphSelGraph);
    GmemSetFuncFlags(n, l ? 1 : 0, kGraphSelRight);
  }
  GraphDrawKind(ctx, kGraphSelGraph);
}

u32 VwinCheckValues(const VwinRecord *rec) {
  for (i32 i = 0; i < kVwinFieldCount; ++i)
    if (VwinCheckRange(&rec->f[i]) != 0) return kRangeError;
  using gscreen::IsZero;
  if (IsZero(&rec->f[kVwinXdot]) || IsZero(&rec->f[kVwinTpitch]) || IsZero(&rec->f[kVwinXdotHalf]))
    return kRangeError;
  return 0;
}

i32 VwinScrollByKey(u32 key) {
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0) {
    ErrBox(4);
    return 1;
  }
  using namespace gscreen;
  BcdReal d;
  BcdReal *lo = &rec.f[kVwinXmin], *hi = &rec.f[kVwinXmax];
  if (key == kKeyUp || key == kKeyDown) {
    d = Div(Sub(rec.f[kVwinYmax], rec.f[kVwinYmin]), Int(62));
    lo = &rec.f[kVwinYmin];
    hi = &rec.f[kVwinYmax];
  } else {
    d = rec.f[kVwinXdot];
  }
  d = Mul(d, Int(12));
  if (key == kKeyDown || key == kKeyLeft) d = Neg(d);
  *lo = Add(*lo, d);
  *hi = Add(*hi, d);
  if (const u32 e = VwinCheckValues(&rec)) {
    ErrBox(static_cast<i32>(e));
    return 1;
  }
  if (GmemWriteVwin(&rec) != 0) {
    ErrBox(4);
    return 1;
  }
  GmemDeletePrevVwin();
  GmemDeletePlot();
  return 0;
}
