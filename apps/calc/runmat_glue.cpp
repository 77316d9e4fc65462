// The run-and-matrix application's steps into the shared layers.
#include "apps/calc/runmat_glue.h"

#include <cstring>

#include "kernel/task.h"
#include "eval/prog.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

u32 RunMatTokenName(u16 token, char *out) {
  // Characters name themselves; the token-name table takes over the rest.
  if (token >= 0x20 && token < 0x7F) {
    out[0] = static_cast<char>(token);
    out[1] = 0;
    return 1;
  }
  if (token >> 8 >= 0xE5 && token >> 8 <= 0xE7) {
    out[0] = static_cast<char>(token >> 8);
    out[1] = static_cast<char>(token & 0xFF);
    out[2] = 0;
    return 2;
  }
  out[0] = 0;
  return 0;
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
  const u8 *pos = line;
  const u32 ok = ProgRun(&pos, 1, &run->result, &ctx);
  std::memcpy(run->text_copy, ctx.text, sizeof ctx.text);
  run->row = ctx.row;
  run->output_mode = ctx.outputMode;
  run->display_form = ctx.displayForm;
  run->stop = static_cast<u32>(pos - line);
  if (ok) {
    run->result = ctx.last;
    return 1;
  }
  return 0;
}

// The SET UP screen is not part of the system yet: nothing changes.
void RunMatGlueSetupScreen(u32 *changed) { *changed = 0; }

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
