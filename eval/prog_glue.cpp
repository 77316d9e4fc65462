// The program interpreter's steps into the layers above it (the run screen's
// input line, the graph engine, the list and matrix commands), gathered in
// one place. A step whose owner is not part of the system yet reports
// System ERROR instead of pretending to succeed.
#include "apps/calc/ans_view.h"
#include "apps/calc/run_input.h"
#include "apps/finance/fin_mem.h"
#include "eval/prog_internal.h"
#include "eval/prog_matlist.h"
#include "ui/keycodes.h"
#include "ui/popup.h"

u32 ProgGlueInput(const u8 **pos, Value *status, ProgRunContext *ctx, u8 *text) {
  return RunMatProgInput(pos, status, ctx, text);
}

u32 ProgGlueGraphCommand(const u8 ** /*p*/, Value *result, ProgRunContext * /*ctx*/) {
  return ProgRaise(kProgErrSystem, result);
}

u32 ProgGlueMatListCommand(const u8 **p, Value *result) { return ProgMatListCommand(p, result, nullptr); }

u32 ProgGlueAssignSystem(const u8 **p, const Value *v, Value *result) {
  // The financial variables belong to the financial record.
  if (FinIsVariableToken(*p)) {
    const u32 err = FinAssignToken(p, v);
    return err ? ProgRaise(err, result) : 1;
  }
  return ProgRaise(kProgErrSystem, result);
}

u32 ProgGlueAssignText(const u8 ** /*p*/, const u8 * /*text*/, u32 /*len*/, Value *result) {
  return ProgRaise(kProgErrSystem, result);
}

// A list or matrix result opens its viewer on List Ans or Mat Ans; a capture
// is recalled onto the screen until EXIT, EXE, AC or SHIFT+EXIT. The graph
// and table viewers are not part of the system yet: their results leave as
// if by EXIT, and the statement shows "Done".
u32 ProgGlueShowResult(ProgRunContext *ctx, u32 *key) {
  *key = kKeyExit;
  i32 exitKey = kKeyExit;
  if (ctx->outputMode == kProgOutList || ctx->outputMode == kProgOutMatrix) {
    const i32 code = ctx->outputMode == kProgOutList ? AnsViewList(0, 0, &exitKey) : AnsViewMatrix(0, &exitKey);
    *key = static_cast<u32>(exitKey);
    return static_cast<u32>(code);
  }
  if (ctx->outputMode != kProgOutCapture) return 0;
  if (const i32 code = PopupRecallCapture(static_cast<i32>(ctx->captureNumber))) return static_cast<u32>(code);
  *key = PopupWaitKey({kKeyExit, kKeyExe, kKeyAc, kKeyQuit});
  return 0;
}
