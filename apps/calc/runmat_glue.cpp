// The run-and-matrix application's steps into the shared layers.
#include "apps/calc/runmat_glue.h"

#include <cstring>
#include <vector>

#include "kernel/task.h"
#include "eval/prog.h"
#include "eval/token.h"
#include "eval/token_len.h"
#include "graph/app/graph_fmem.h"
#include "graph/screen/graph_screen.h"
#include "graph/screen/vwin_screen.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "memory/str.h"
#include "ui/errbox.h"
#include "ui/font.h"
#include "ui/keycodes.h"
#include "ui/text.h"
#include "ui/setup_screen.h"
#include "ui/setup.h"

u32 RunMatTokenName(u16 token, char *out) {
  StrTokenName(token, out);
  return static_cast<u32>(std::strlen(out));
}

bool RunMatIsToken(u16 token) {
  if (token == 13 || token == 12) return true;
  return StrTokenNameUtf8(token) != nullptr || FontFindGlyph(token) != nullptr;
}

u32 RunMatHistoryCount() { return ItemReplayCount(); }

i32 RunMatHistoryLineSize(u32 i) { return ItemReplayLineSize(i); }

void RunMatHistoryLine(u32 i, u8 *out) { ItemReplayLine(i, reinterpret_cast<char *>(out)); }

u32 RunMatHistoryAdd(const u8 *text) { return ItemReplayAdd(reinterpret_cast<const char *>(text)); }

bool RunMatHistoryExists() {
  char folder[16];
  SysGetAppName(folder);
  u32 size = 0;
  return McsOpenInFolder(folder, "REPLAY", &size) == 0;
}

void RunMatHistoryDelete() { ItemReplayDelete(); }

u32 RunMatRunLine(const u8 *line, RunMatRunState *run) {
  ProgRunContext ctx{};
  std::memcpy(ctx.text, run->text_copy, sizeof ctx.text);
  ctx.row = run->row;
  ctx.keepArrays = run->keep_arrays;
  const u8 *pos = line;
  const u32 ok = ProgRun(&pos, 1, &run->result, &ctx);
  std::memcpy(run->text_copy, ctx.text, sizeof ctx.text);
  run->row = ctx.row;
  run->output_mode = ctx.outputMode;
  run->display_form = ctx.displayForm;
  run->stop = static_cast<u32>(pos - line);
  if (ok == 1) run->result = ctx.last;
  // 1 success, 0 failure; any other return is handed on as it is.
  return ok;
}

void RunMatGlueSetupScreen(u32 *changed) {
  *changed = 0;
  SetupScreen("@RUNMAT", changed);
}

void RunMatGlueVwinScreen() { GraphOpenVwinScreen(); }

void RunMatGlueGraphScreen() {
  PopupOpen(1);
  u32 key = 0;
  if (const u32 e = GraphRedisplay(&key)) ErrBox(static_cast<i32>(e));
  PopupClose(1);
}

u32 RunMatGlueFmemKey(u32 key, const u8 *line, u32 len, u32 cursor, u16 *out) {
  constexpr u32 kRoom = 255;
  return RunMatGlueFmemKeyRoom(key, line, len > kRoom ? kRoom : len, cursor, kRoom, out);
}

u32 RunMatGlueFmemKeyRoom(u32 key, const u8 *line, u32 len, u32 cursor, u32 room, u16 *out) {
  if (len > room) len = room;
  // At most 255 bytes come in, so that out holds every token.
  if (room > len + 255) room = len + 255;
  std::vector<u8> buf(room + 1, 0);
  std::memcpy(buf.data(), line, len);
  if (cursor > len) cursor = len;
  const u32 before = cursor;
  const i32 mode = key == kKeyFmemSto ? kGraphFmemStore : key == kKeyFmemRcl ? kGraphFmemRecall : kGraphFmemList;
  GraphFmemPopup(mode, buf.data(), &cursor, room);
  u32 n = 0;
  for (u32 i = before; i < cursor;) {
    const bool two = TokLenAt(&buf[i]) == 2;
    out[n++] = static_cast<u16>(two ? (buf[i] << 8) | buf[i + 1] : buf[i]);
    i += two ? 2 : 1;
  }
  return n;
}

u16 RunMatGlueGraphVarChar() {
  switch (SetupGetItem(kSetupFuncType)) {
    case 1:
      return 0xCE;  // theta
    case 2:
      return 'T';
    default:
      return 'X';
  }
}
