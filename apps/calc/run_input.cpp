// The input line of a program's '?' command: the run screen's line editor on
// the rows the program has printed, from the row after its prompt.
#include "apps/calc/run_input.h"

#include <cstring>

#include "apps/calc/run_screen.h"
#include "apps/calc/runmat.h"
#include "apps/calc/runmat_glue.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

constexpr u8 kErrMemory = 4;
constexpr u8 kErrMemoryFull = 13;

u32 Fail(Value *status, u8 code, RunScreen *rs) {
  std::memset(status, 0, sizeof *status);
  RealMakeError(code, &status->re);
  RunScreenFree(rs);
  return 0;
}

// Hands the typed line and the screen back to the program.
void GiveBack(RunScreen *rs, ProgRunContext *ctx, u8 *text) {
  std::memcpy(text, rs->tok, rs->tok_end);
  std::memcpy(ctx->text, rs->screen, sizeof ctx->text);
  // The program's next output goes on the row after the line.
  ctx->row = rs->row + 1;
}

}  // namespace

namespace {
// The input line's record, outside the frame for the same reason as the
// calculation screen's: a jump out of the key wait leaves its buffers here,
// and the next input frees them.
RunScreen g_input;
}  // namespace

u32 RunMatProgInput(const u8 **pos, Value *status, ProgRunContext *ctx, u8 *text) {
  RunScreenFree(&g_input);
  g_input = RunScreen{};
  RunScreen &rs = g_input;
  const bool reedit = ValErrorCode(status) != 0 && text[0] != 0;
  rs.disp = nullptr;
  rs.tok = nullptr;
  const u32 len = static_cast<u32>(std::strlen(reinterpret_cast<const char *>(text)));
  std::memcpy(rs.screen, ctx->text, sizeof rs.screen);
  u32 row = reedit ? 1 : ctx->row;
  if (row < 1) row = 1;
  if (row > kRunScreenRows) {
    // Row 8: the rows move up one first.
    std::memmove(rs.screen[0], rs.screen[1], (kRunScreenRows - 1) * kRunScreenRowBytes);
    std::memset(rs.screen[kRunScreenRows - 1], ' ', kRunScreenRowBytes);
    row = kRunScreenRows;
  }
  rs.row = row;
  rs.result_shown = 1;  // keeps the rows above the line in the copy
  if (RunScreenResetLine(&rs) != 0 || RunScreenLoadText(&rs, text, len) != 0) {
    // The line could not be set up: Memory Full is shown, and the run ends
    // with Memory ERROR.
    ErrBox(kErrMemoryFull);
    return Fail(status, kErrMemory, &rs);
  }
  rs.result_shown = 0;
  rs.recall_allowed = 0;
  rs.result_rows = 1;
  rs.base_n = SetupGetItem(kSetupMode) != 0;
  u32 at = 1;
  if (pos && *pos >= text && *pos <= text + len) at = static_cast<u32>(*pos - text) + 1;
  if (reedit) {
    LcdClearVram();
    RunScreenLayoutFromTop(&rs);
    // The character before the error.
    u32 prev = 1;
    for (u32 i = 1; i < at;) {
      prev = i;
      i += RunScreenTokenLen(reinterpret_cast<const u8 *>(rs.tok) + i - 1);
    }
    at = prev;
  }
  RunScreenMoveTo(&rs, at);
  RunScreenShowCursor(&rs);
  for (;;) {
    FkeyDrawRow();
    u32 key = 0;
    if (KeyGetKey(&key)) {
      if (key == 0) continue;
      if (RunScreenInsertToken(static_cast<u16>(key), &rs) != 0) return Fail(status, kErrMemory, &rs);
      continue;
    }
    switch (key) {
      case kKeyXThetaT:
        if (RunScreenInsertToken(rs.base_n ? 0x1A : RunMatGlueGraphVarChar(), &rs) != 0)
          return Fail(status, kErrMemory, &rs);
        break;
      case kKeyUpLeft:
      case kKeyUp:
      case kKeyUpRight:
      case kKeyLeft:
      case kKeyRight:
      case kKeyDownLeft:
      case kKeyDown:
      case kKeyDownRight:
        RunScreenCursorKey(key, &rs, 1);
        break;
      case kKeyDel:
        if (RunScreenDeleteChar(key, &rs) != 0) return Fail(status, kErrMemory, &rs);
        break;
      case kKeyQuit:
        FkeyRestoreLevelRoot();
        break;
      case kKeyExe:
        RunScreenMoveTo(&rs, rs.tok_end);
        GiveBack(&rs, ctx, text);
        TextCursorOff();
        RunScreenFree(&rs);
        return 2;
      case kKeyAc:
        GiveBack(&rs, ctx, text);
        LcdClearVram();
        std::memset(ctx->text, 0, sizeof ctx->text);
        ctx->row = 1;
        TextCursorOff();
        RunScreenFree(&rs);
        return 1;
      default:
        break;
    }
  }
}
