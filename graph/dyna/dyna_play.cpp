// Computing, showing and playing the frames of a dynamic graph.
#include "graph/dyna/dyna_play.h"

#include <cstring>

#include "eval/token_len.h"
#include "graph/engine/graph_draw.h"
#include "graph/engine/graph_plot.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/progress_bar.h"
#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/lcd_shadow.h"
#include "ui/setup.h"
#include "ui/sysvar.h"
#include "ui/text.h"

namespace {

constexpr u32 kSleepMs = 250;
constexpr u32 kCycles = 10;

DynaPlayStats g_stats = {};

u8 FuncAttr(int n, u8 *style) {
  char name[4];
  name[0] = static_cast<char>(n >= 10 ? '0' + n / 10 : '0' + n);
  name[1] = n >= 10 ? static_cast<char>('0' + n % 10) : 0;
  name[2] = 0;
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(2, name, &size, &data) != 0 || data == nullptr || size < kGmemFuncHeader) return 0;
  *style = data[3];
  return data[2];
}

// The value of frame i: Start + i x Pitch.
void FrameValue(const DynaCond *cond, u32 i, BcdReal *out) {
  BcdReal k;
  NumFromInt32(static_cast<i32>(i), &k);
  RealMul(&k, &cond->pitch, &k);
  RealAdd(&cond->start, &k, out);
  RealNormalize(out, out);
}

void StoreVar(u16 var, const BcdReal *v) {
  Value value;
  std::memset(&value, 0, sizeof value);
  value.re = *v;
  SysStoreVariable(static_cast<u8>('A' + var - 1), &value);
}

// A graph context on the single screen with the selected functions; the
// view from "VWIN". 0 or the window's error.
struct Scene {
  GraphContext ctx;
  GraphEntry entries[21];
  u32 count;
};

u32 OpenScene(Scene *s) {
  if (SetupGetItem(kSetupLocus) == 0) SetupSetItem(kSetupDrawType, 0);
  std::memset(&s->ctx, 0, sizeof s->ctx);
  GraphInitContext(&s->ctx);
  s->ctx.screenFlags = static_cast<u8>(s->ctx.screenFlags & ~kGraphScreenModeMask);
  s->ctx.runFlags = 0;
  s->count = DynaBuildEntries(s->entries);
  s->ctx.entries = s->entries;
  if ((s->ctx.screenFlags & kGraphLabelMask) != 0 && s->count > 1) {
    s->ctx.screenFlags = static_cast<u8>((s->ctx.screenFlags & ~kGraphLabelMask) | 0x80);
  }
  return GraphLoadVwin(&s->ctx, 1);
}

i32 Delay(u16 speed) {
  static const i32 kDelay[5] = {3, 1, 4, 3, 2};
  return kDelay[speed <= 4 ? speed : 0];
}

i32 ShowError(u32 code) {
  ErrBox(static_cast<i32>(code));
  return -11;
}

// The frames to play: the block, or the stored "D_MEMG" (nullptr when it is
// missing or shorter than count frames).
const u8 *FramesOf(int mode, u32 count, MemHandle *block) {
  if (mode == kDynaPlayStored || mode == kDynaPlayStored3 || mode == kDynaPlayStoredPaused) {
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenInFolderPtr("@DYNA", "D_MEMG", &size, &data) != 0 || data == nullptr) return nullptr;
    if (size < count * kDynaFrameBytes) return nullptr;
    return data;
  }
  return (block != nullptr && *block != 0) ? MemDeref(*block) : nullptr;
}

}  // namespace

DynaPlayStats *DynaStats() { return &g_stats; }

u32 DynaBuildEntries(GraphEntry entries[21]) {
  u32 n = 0;
  for (int slot = 1; slot <= kGmemFuncSlots; ++slot) {
    u8 style = 2;
    if (!(FuncAttr(slot, &style) & kDynaSelectBit)) continue;
    const u16 type = GmemReadFuncType(slot);
    const char *text = GmemFuncDataPtr(slot);
    if (!DynaFuncTypeOk(type) || text == nullptr || text[0] == 0) continue;
    GraphEntry &e = entries[n++];
    e = GraphEntry{};
    e.text = reinterpret_cast<const u8 *>(text);
    e.textSource = GraphFuncSlotText;
    e.slot = slot;
    e.type = type;
    e.style = (style == 2 || style == 3 || style == 5 || style == 8) ? style : 2;
    e.labelKind = type == kGraphFuncR ? 4 : type == kGraphFuncParam ? 2 : 1;
    e.readoutKind = type == kGraphFuncR ? 2 : type == kGraphFuncParam ? 3 : 1;
  }
  entries[n] = GraphEntry{};
  return n;
}

u32 DynaAllocFrames(u32 count, MemHandle *block) {
  DynaFreeFrames(block);
  if (count == 0 || count > kDynaMaxFrames) return 4;
  *block = MemAlloc(count * kDynaFrameBytes);
  return *block != 0 ? 0u : 4u;
}

void DynaFreeFrames(MemHandle *block) {
  if (*block != 0) MemFree(*block);
  *block = 0;
}

u32 DynaComputeFrames(GraphContext *ctx, const DynaCond *cond, u32 count, u8 *frames) {
  GraphRefreshEntries(ctx);
  // The formulas are copied out of main memory for the run, so the plots do
  // not look them up (or copy them aside) again at every point.
  // Each copy ends in two zero bytes, as token texts do.
  static u8 texts[kGmemFuncSlots][kGmemFuncTextMax + 2];
  GraphTextSource sources[kGmemFuncSlots + 1];
  const u8 *kept[kGmemFuncSlots + 1];
  i32 n = 0;
  for (; ctx->entries[n].style != 0 && n < kGmemFuncSlots; ++n) {
    GraphEntry &e = ctx->entries[n];
    sources[n] = e.textSource;
    kept[n] = e.text;
    if (e.text != nullptr) {
      u32 len = 0;
      while (len <= kGmemFuncTextMax && e.text[len] != 0) len += TokLenAt(e.text + len);
      if (len <= kGmemFuncTextMax) {
        std::memcpy(texts[n], e.text, len);
        texts[n][len] = 0;
        texts[n][len + 1] = 0;
        e.text = texts[n];
        e.textSource = nullptr;
      }
    }
  }
  const u8 names = ctx->screenFlags & kGraphLabelMask;
  ctx->screenFlags = static_cast<u8>(ctx->screenFlags & ~kGraphLabelMask);
  const u8 run = ctx->runFlags;
  ctx->runFlags = static_cast<u8>(ctx->runFlags | kGraphRunPlanesOnly);
  const bool locus = GraphLocusOn() != 0;
  static u8 locusPlane[kGraphPlaneBytes];
  std::memset(locusPlane, 0, sizeof locusPlane);
  // The cleared picture (background, axes, grid) is the same for every
  // frame: made once, copied before each.
  static u8 clean[2 * kGraphPlaneBytes];
  GraphClearBuffer(ctx);
  std::memcpy(clean, ctx->planes, sizeof clean);
  u32 code = 0;
  for (u32 i = 0; i < count && code == 0; ++i) {
    GraphProgressBar(static_cast<int>(i), static_cast<int>(count));
    BcdReal v;
    FrameValue(cond, i, &v);
    StoreVar(cond->var, &v);
    std::memcpy(ctx->planes, clean, sizeof clean);
    code = GraphPlotAll(ctx);
    if (code != 0) break;
    std::memcpy(frames + i * kDynaFrameBytes, ctx->planes, kDynaFrameBytes);
    if (locus) {
      for (u32 k = 0; k < kGraphPlaneBytes; ++k) locusPlane[k] |= ctx->planes[kGraphPlaneBytes + k];
    }
    ++g_stats.framesComputed;
  }
  if (code == 0 && locus) {
    for (u32 i = 0; i < count; ++i) {
      for (u32 k = 0; k < kGraphPlaneBytes; ++k) frames[i * kDynaFrameBytes + k] |= locusPlane[k];
    }
  }
  ctx->screenFlags = static_cast<u8>(ctx->screenFlags | names);
  ctx->runFlags = run;
  for (i32 i = 0; i < n; ++i) {
    ctx->entries[i].textSource = sources[i];
    ctx->entries[i].text = kept[i];
  }
  return code;
}

void DynaShowFrame(GraphContext *ctx, const DynaCond *cond, const u8 *frames, u32 index) {
  std::memset(ctx->planes + kGraphPlaneBytes, 0, kGraphPlaneBytes);
  const i32 pict = GraphBackgroundPict();
  if (pict != 0) {
    static u8 picture[2 * kGraphPlaneBytes];
    if (GmemRecallPict(picture, pict) == 0) std::memcpy(ctx->planes + kGraphPlaneBytes, picture, kGraphPlaneBytes);
  }
  std::memcpy(ctx->planes, frames + index * kDynaFrameBytes, kDynaFrameBytes);
  u8 merged[kGraphPlaneBytes];
  for (u32 k = 0; k < kGraphPlaneBytes; ++k) merged[k] = ctx->planes[k] | ctx->planes[kGraphPlaneBytes + k];
  GraphShowBuffer(merged, 0);
  BcdReal v;
  FrameValue(cond, index, &v);
  StoreVar(cond->var, &v);
  const u8 names = ctx->screenFlags & kGraphLabelMask;
  if (names != 0) {
    if (names == kGraphLabelsShown && ctx->entries[0].style != 0) GraphShowFuncLabel(ctx, 0);
    Value value;
    std::memset(&value, 0, sizeof value);
    value.re = v;
    char num[32];
    NumFormatCell13(&value, num);
    num[10] = 0;
    char line[40] = {' ', static_cast<char>('A' + cond->var - 1), '=', 0};
    std::strcat(line, num);
    LcdClearArea(LcdRect{0, 56, 127, 63});
    TextLocate(1, 8);
    TextPrint(line);
  }
  ShellUpdateDisplay();
  ++g_stats.framesShown;
  g_stats.lastFrame = index;
}

i32 DynaFrameWait(i32 *delay) {
  if (*delay == 1 || *delay < 0) {
    for (;;) {
      u32 key = 0;
      if (KeyGetKey(&key) != 0) continue;
      if (key == kKeyExit || key == kKeyAc || key == kKeyGraphTable) return 1;
      if (key == kKeyQuit) return -1;
      if (key == kKeyExe) {
        if (*delay == 1) return 0;
        *delay = -*delay;
        break;
      }
    }
  }
  KeyBreakArm();
  for (i32 k = 1; k < *delay; ++k) {
    ++g_stats.sleeps;
    ShellSleep(kSleepMs);
    if (KeyBreakPoll()) return 1;
  }
  return 0;
}

i32 DynaRun(int mode, u32 count, DynaCond *cond, MemHandle *block) {
  static Scene scene;
  const bool program = mode == kDynaProgram;
  if (const u32 e = OpenScene(&scene)) {
    if (block != nullptr) DynaFreeFrames(block);
    return program ? static_cast<i32>(e) : ShowError(e);
  }
  i32 delay = Delay(cond->speed);
  if (mode == kDynaComputePlay || program) {
    u8 *frames = (block != nullptr && *block != 0) ? MemDeref(*block) : nullptr;
    u32 e = frames == nullptr ? 4u : DynaComputeFrames(&scene.ctx, cond, count, frames);
    if (e != 0) {
      DynaFreeFrames(block);
      if (program) return static_cast<i32>(e);
      return ShowError(e);
    }
    cond->frame = 0;
    cond->cycles = 0;
  }
  const u8 *frames = FramesOf(mode, count, block);
  if (frames == nullptr) return program ? 4 : ShowError(4);
  if ((mode == kDynaPlayBlockPaused || mode == kDynaPlayStoredPaused) && delay != 1) delay = -delay;
  const bool forever = SetupGetItem(kSetupDynamicType) == 0 && !program;
  if (cond->frame >= count) cond->frame = 0;
  while (cond->cycles < kCycles) {
    // Forward from where it stopped, then back to the first frame.
    for (u32 pass = 0; pass < 2; ++pass) {
      const bool forward = pass == 0;
      for (i32 i = forward ? cond->frame : static_cast<i32>(count) - 1; forward ? i < static_cast<i32>(count) : i >= 0;
           i += forward ? 1 : -1) {
        DynaShowFrame(&scene.ctx, cond, FramesOf(mode, count, block), static_cast<u32>(i));
        cond->frame = static_cast<u16>(i);
        const i32 w = DynaFrameWait(&delay);
        if (w == 1) return program ? 1 : 0;
        if (w == -1) return -1;
      }
    }
    cond->frame = 0;
    if (!forever && delay != 1) ++cond->cycles;
  }
  cond->frame = 0;
  cond->cycles = 0;
  if (program) {
    // The last frame stays as the graph screen, with its axes.
    GraphClearBuffer(&scene.ctx);
    const u8 *last = FramesOf(mode, count, block);
    for (u32 k = 0; k < kGraphPlaneBytes; ++k) scene.ctx.planes[k] |= last[k];
    GmemWriteScreen(scene.ctx.planes);
  }
  return 0;
}

u32 DynaDrawFromProgram(u32, BcdReal *result, int *key) {
  RealSetZero(result);
  DynaScanState scan;
  DynaScanFuncs(&scan);
  u32 e = DynaScanError(&scan);
  DynaCond cond;
  if (e == 0) e = DynaReadCondOrDefault(&cond);
  if (e == 0) e = DynaFixVar(&cond, &scan);
  if (e == 0) {
    cond.speed = kDynaNormal;
    e = DynaWriteCond(&cond);
  }
  u32 count = 0;
  if (e == 0) e = DynaFrameCount(&cond, &count);
  MemHandle block = 0;
  if (e == 0) e = DynaAllocFrames(count, &block);
  if (e == 0) {
    SetupSetItem(kSetupDynamicType, 1);
    const i32 r = DynaRun(kDynaProgram, count, &cond, &block);
    DynaFreeFrames(&block);
    if (r == 1) GmemDeleteGraphRecord();
    e = r > 0 ? static_cast<u32>(r) : 0u;
    if (e == 0) GmemWriteGraphMode(11);
  }
  if (e != 0) {
    RealMakeError(static_cast<u8>(e), result);
    return 0;
  }
  *key = 0;
  RealSetOne(result);
  return 1;
}
