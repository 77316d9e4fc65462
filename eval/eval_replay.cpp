// Recording and replay of whole expressions (see eval/eval_replay.h).
#include "eval/eval_replay.h"

#include <cstring>
#include <iterator>

#include "eval/eval_glue.h"
#include "eval/token_len.h"
#include "kernel/keyqueue.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

EvalRecording *g_evalRecording = nullptr;

namespace {

// The value handlers a replay calls again: values of the calculator's state
// that are never lists or matrices.
u32 (*const kValueHandlers[])(EvalCell *) = {EvalVarTheta, EvalVarR, EvalPi};

// Calculator thread only, as the evaluator's other state.
EvalRecording g_slots[kEvalReplaySlots];

u32 SlotOf(const u8 *text, u32 length) {
  const u32 h = length * 31u + text[0] + text[length - 1] * 7u + text[length / 2] * 13u;
  return (h ^ (h >> 3)) % kEvalReplaySlots;
}

void AddStep(u8 kind, u8 a, u8 b) {
  EvalRecording *r = g_evalRecording;
  if (r->steps >= kEvalReplayStepMax) {
    r->refused = true;
    return;
  }
  r->step[r->steps++] = EvalStep{kind, a, b};
}

// A cell as it comes back off the operand stack: a real keeps its first
// half only; the second half of a complex value loses bit 7 of its first
// byte, which marks it on the stack.
void ThroughStack(EvalCell *cell) {
  if (cell->re.b[0] & 0x80) {
    cell->im.b[0] &= 0x7F;
  } else {
    std::memset(&cell->im, 0, sizeof cell->im);
  }
}

}  // namespace

void EvalRecordLiteral(const EvalCell *cell) {
  EvalRecording *r = g_evalRecording;
  if (r->literals >= kEvalReplayLiteralMax) {
    r->refused = true;
    return;
  }
  r->literal[r->literals] = *cell;
  AddStep(kEvalStepLiteral, r->literals++, 0);
}

void EvalRecordVariable(u8 letter) { AddStep(kEvalStepVariable, letter, 0); }

u32 EvalRecordValue(u32 (*handler)(EvalCell *)) {
  for (u32 i = 0; i < std::size(kValueHandlers); ++i) {
    if (kValueHandlers[i] == handler) {
      AddStep(kEvalStepValue, static_cast<u8>(i), 0);
      return 1;
    }
  }
  return 0;
}

void EvalRecordPush() { AddStep(kEvalStepPush, 0, 0); }
void EvalRecordBinary(const EvalCell *op) { AddStep(kEvalStepBinary, op->re.b[0], op->re.b[1]); }
void EvalRecordUnary(const EvalCell *op) { AddStep(kEvalStepUnary, op->re.b[0], op->re.b[1]); }
void EvalRecordRefuse() { g_evalRecording->refused = true; }
void EvalRecordReread() { g_evalRecording->reread = true; }

u32 EvalReplayContext(u32 textLength, bool openBracket) {
  if (textLength == 0 || textLength > kEvalReplayTextMax) return 0;
  if (SetupGetItem(kSetupMode) != 0 || EvalGlueSheetRunning()) return 0;
  // What else steers the reading: the evaluator byte (relations ending an
  // operand) and the free variables a graph function may name.
  return 0x01000000u | (openBracket ? 0x10000u : 0u) | (u32{SetupGetByte(kSetupGraphVars)} << 8) |
         SetupGetByte(kSetupEvalFlags);
}

u32 EvalReplay(const u8 *text, u32 length, u32 context, TokPos *pos, EvalCell *tok, EvalCell *result) {
  const EvalRecording *r = &g_slots[SlotOf(text, length)];
  if (r->context != context || r->length != length || std::memcmp(r->text, text, length) != 0) return kReplayUnknown;
  if (r->refused) return kReplayRefused;
  if (KeyBreakPoll()) return kReplayRefused;  // the full evaluation reports it
  const EvalCell saved = *result;
  EvalCell stack[kEvalOperandMax];
  u32 cells = 0, entries = 0;
  result->re.b[0] = 0;
  for (u32 i = 0; i < r->steps; ++i) {
    const EvalStep s = r->step[i];
    switch (s.kind) {
      case kEvalStepLiteral:
        *result = r->literal[s.a];
        break;
      case kEvalStepVariable:
        if (!EvalReadVariable(s.a, result)) goto fail;
        break;
      case kEvalStepValue:
        if (!kValueHandlers[s.a](result)) goto fail;
        break;
      case kEvalStepPush: {
        // The evaluator's stack holds ten 12-byte entries; a complex value
        // takes two.
        entries += (result->re.b[0] & 0x80) ? 2 : 1;
        if (entries > kEvalOperandMax) goto fail;
        stack[cells] = *result;
        ThroughStack(&stack[cells]);
        ++cells;
        break;
      }
      case kEvalStepBinary: {
        EvalCell op;
        op.re.b[0] = s.a;
        op.re.b[1] = s.b;
        EvalCell left = stack[--cells];
        entries -= (left.re.b[0] & 0x80) ? 2 : 1;
        if (!EvalApplyBinary(&left, &op, result)) goto fail;
        break;
      }
      default: {
        EvalCell op;
        op.re.b[0] = s.a;
        op.re.b[1] = s.b;
        if (!EvalApplyUnary(result, &op)) goto fail;
        break;
      }
    }
  }
  tok->re.b[0] = r->tok0;
  if (r->tok1Written) tok->re.b[1] = r->tok1;
  *pos = text + r->endOffset;
  return kReplayDone;

fail:
  *result = saved;
  return kReplayRefused;
}

EvalRecording *EvalRecordStart(EvalRecording *r, const u8 *text, u32 length, u32 context) {
  EvalRecording *previous = g_evalRecording;
  r->context = context;
  r->length = static_cast<u16>(length);
  r->steps = 0;
  r->literals = 0;
  r->refused = false;
  r->reread = false;
  r->base = text;
  std::memcpy(r->text, text, length);
  g_evalRecording = r;
  return previous;
}

void EvalRecordFinish(EvalRecording *previous, u32 ok, TokPos end, const EvalCell *tok) {
  EvalRecording *r = g_evalRecording;
  g_evalRecording = previous;
  if (r == nullptr) return;
  if (r->refused) {
    // A text that took a step the replay does not take takes it on every
    // evaluation that gets that far: it is kept as such, so it is not
    // recorded again each time.
    EvalRecording *slot = &g_slots[SlotOf(r->text, r->length)];
    slot->context = r->context;
    slot->length = r->length;
    slot->refused = true;
    std::memcpy(slot->text, r->text, r->length);
    return;
  }
  if (!ok) return;
  if (end < r->base || end > r->base + r->length + 1) return;
  const u32 endOffset = static_cast<u32>(end - r->base);
  // Byte 1 of the token cell is written by every two-byte token read and by
  // every step back; otherwise it keeps what the caller had there.
  bool written = r->reread;
  for (u32 i = 0; i < endOffset && i < r->length && !written;) {
    written = TokIsLeadByte(r->base[i]) != 0;
    const u32 n = TokLenAt(r->base + i);
    i += n != 0 ? n : 1;
  }
  EvalRecording *slot = &g_slots[SlotOf(r->text, r->length)];
  slot->context = r->context;
  slot->length = r->length;
  slot->endOffset = static_cast<u16>(endOffset);
  slot->tok0 = tok->re.b[0];
  slot->tok1 = tok->re.b[1];
  slot->tok1Written = written ? 1 : 0;
  slot->steps = r->steps;
  slot->literals = r->literals;
  slot->refused = false;
  slot->reread = false;
  slot->base = nullptr;
  std::memcpy(slot->text, r->text, r->length);
  std::memcpy(slot->step, r->step, r->steps * sizeof(EvalStep));
  std::memcpy(slot->literal, r->literal, r->literals * sizeof(EvalCell));
}

void EvalReplayForget() {
  for (EvalRecording &r : g_slots) r.context = 0;
}
