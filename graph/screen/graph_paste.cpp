// Two keys of the graph screen: PASTE draws the formula on the clipboard
// over the graph (and keeps it in the command ring, so it stays part of the
// drawing), and the read-out key shows the result lines of an integral or
// probability graph again.
#include <cstring>
#include <vector>

#include "eval/token_len.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_record.h"
#include "graph/screen/graph_cursor.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/graph_trace.h"
#include "graph/screen/graph_tools.h"
#include "graph/screen/vwin_screen.h"
#include "kernel/task.h"
#include "memory/item_clip.h"
#include "ui/errbox.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"

namespace {

constexpr i32 kEntryMax = 30;
constexpr u16 kPastedType = 256;
constexpr u16 kRecordedType = 260;

// The formula of the clipboard text: leading blanks, then "Y=", "y=" or the
// function-name token 0x7F 0xF0 and "=", skipped.
const u8 *FormulaStart(const u8 *p) {
  while (*p == ' ') ++p;
  if ((p[0] == 'Y' || p[0] == 'y') && p[1] == '=') return p + 2;
  if (p[0] == 0x7F && p[1] == 0xF0 && p[2] == '=') return p + 3;
  return p;
}

}  // namespace

i32 GraphPasteFromClip(GraphContext *ctx) {
  if (GraphScreenMode(ctx) != 0) return kGraphExitNothing;
  const char *clip = ItemClipData();
  if (clip == nullptr || clip[0] == 0) return kGraphExitNothing;
  // Copied: the clipboard lives in main memory, which the command ring moves.
  // Token texts end in two zero bytes.
  const u8 *from = FormulaStart(reinterpret_cast<const u8 *>(clip));
  const u32 len = TokTextLen(from, ItemClipLength() + 1 - static_cast<u32>(from - reinterpret_cast<const u8 *>(clip)));
  std::vector<u8> text(from, from + len);
  text.push_back(0);
  text.push_back(0);
  if (text[0] == 0) return kGraphExitNothing;

  GraphEntry one[2] = {};
  one[0].type = kPastedType;
  one[0].style = kGraphStyleNormal;
  one[0].labelKind = 5;
  one[0].readoutKind = 1;
  one[0].text = text.data();
  GraphEntry *const kept = ctx->entries;
  ctx->entries = one;
  const u32 e = GraphPlotAll(ctx);
  ctx->entries = kept;
  if (e != 0) {
    ErrBox(static_cast<i32>(e));
    GmemDeleteGraphRecord();
    return kGraphExitShown;
  }
  if (GraphEntryCount(ctx) >= kEntryMax) return 0;
  if (GmemAppendGraphCommand(reinterpret_cast<const char *>(text.data()), kRecordedType, kGraphStyleNormal) != 0)
    return kGraphExitNothing;
  // The entry table again: the functions and, now, the pasted command; the
  // text pointers of the older commands moved with main memory.
  GraphDrawKind(ctx, kGraphSelGraph);
  return 0;
}

i32 GraphShowReadOut(GraphContext *ctx) {
  BcdReal v[3];
  for (i32 i = 0; i < 3; ++i)
    if (GmemReadComValue(&v[i], i) != 0) RealMakeError(4, &v[i]);
  const u8 grp = GmemReadGraphMode();
  GmemLineReadout line;
  if (GmemReadLineReadout(&line) == 0) {
    TraceReadout ro{};
    ro.kind = 4;
    ro.type = line.type;
    ro.derivative = (ctx->optionFlags & kGraphOptDerivative) ? 1 : 0;
    ro.x = line.x;
    ro.y = line.y;
    ro.slope[0] = line.slope;
    GraphView view = ctx->view;
    view.extXlow = line.lineSlope;
    view.extXhigh = line.lineIntercept;
    TraceShowLine(&ro, &view);
  } else if (grp == 15) {
    GraphShowValue(1, 7, "LOWER=", &v[1], true);
    GraphShowValue(17, 7, "UPPER=", &v[2], true);
    GraphShowValue(1, 8, "\xE6\xBB" "dx=", &v[0], false, 32);
  } else if (grp >= 16 && grp <= 18) {
    char label[8] = "P(t)=";
    label[0] = static_cast<char>("PQR"[grp - 16]);
    GraphShowValue(1, 8, label, &v[0], false, 32);
  }
  for (;;) {
    u8 strip[128];
    std::memcpy(strip, LcdVramAddress() + 56 * 16, sizeof strip);
    u32 key = 0;
    const u32 isChar = KeyGetKey(&key);
    std::memcpy(LcdVramAddress() + 56 * 16, strip, sizeof strip);
    if (isChar) continue;
    switch (key) {
      case kKeyExit:
      case kKeyExe:
      case kKeyAc:
      case kKeyUp:
      case kKeyLeft:
      case kKeyRight:
      case kKeyDown:
      case kKeyQuit:
      case kKeyGraphTable:
        return static_cast<i32>(key);
      case kKeyVWindow: {
        const u32 mode = GraphScreenMode(ctx);
        if (GraphOpenVwinScreen(static_cast<i8>(mode == 0 ? 0 : mode == 1 ? 1 : 17)) != 0) return kGraphExitChanged;
        continue;
      }
      case kKeySetup:
        if (GraphRunSetup() != 0) return kGraphExitChanged;
        continue;
      default:
        if (key < 30000 || key >= 30200) return static_cast<i32>(key);
        continue;
    }
  }
}
