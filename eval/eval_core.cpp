// The evaluator core: the stacks, operator priorities, EvalExpr with its
// bracket loop, and the entry points that own a fresh stack area.
#include <array>
#include <cstring>

#include "eval/eval.h"
#include "eval/eval_glue.h"
#include "eval/eval_lists.h"
#include "eval/eval_replay.h"
#include "eval/eval_table.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "number/valop.h"
#include "number/value.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

// ---- stacks ----

u32 EvalPushOperand(const EvalCell *cell, EvalOperandStack *stack) {
  const int need = (cell->re.b[0] & 0x80) ? 2 : 1;
  if (stack->count + need > kEvalOperandMax) return 0;
  std::memcpy(&stack->entry[stack->count], &cell->re, sizeof(BcdReal));
  if (need == 2) {
    std::memcpy(&stack->entry[stack->count + 1], &cell->im, sizeof(BcdReal));
    stack->entry[stack->count + 1].b[0] |= 0x80;
  }
  stack->count = static_cast<u8>(stack->count + need);
  return 1;
}

u32 EvalPopOperand(EvalCell *out, EvalOperandStack *stack) {
  if (stack->count == 0) return 0;
  BcdReal top = stack->entry[stack->count - 1];
  if ((top.b[0] & 0x80) && stack->count >= 2) {
    top.b[0] &= 0x7F;
    out->re = stack->entry[stack->count - 2];
    out->im = top;
    stack->count = static_cast<u8>(stack->count - 2);
  } else {
    out->re = top;
    std::memset(&out->im, 0, sizeof out->im);
    stack->count = static_cast<u8>(stack->count - 1);
  }
  return 1;
}

u32 EvalPushOperator(const EvalCell *tok, EvalOperatorStack *stack) {
  const u8 b0 = TokByte0(tok);
  if (TokIsLeadByte(b0)) {
    if (stack->count + 2 > kEvalOperatorMax) return 0;
    stack->bytes[stack->count++] = TokByte1(tok);
    stack->bytes[stack->count++] = b0;
    return 1;
  }
  if (stack->count + 1 > kEvalOperatorMax) return 0;
  stack->bytes[stack->count++] = b0;
  return 1;
}

u32 EvalPopOperator(EvalOperatorStack *stack, EvalCell *out) {
  if (stack->count == 0) return 0;
  const u8 t = stack->bytes[--stack->count];
  out->re.b[0] = t;
  if (t == kEvalArgMarker) return 0;
  if (TokIsLeadByte(t) && stack->count > 0) out->re.b[1] = stack->bytes[--stack->count];
  return 1;
}

namespace {

// Where the outermost function-memory call of the running evaluation was
// made: an error inside a stored text is reported there. Bit 0 of the
// evaluator byte is set while it holds. Calculator thread only.
TokPos g_fnMemCallPos = nullptr;

}  // namespace

u32 EvalPushReturn(TokPos pos, EvalReturnStack *stack) {
  if (stack->count >= kEvalReturnMax) return 0;
  if (stack->count == 0) {
    SetupSetByte(kSetupEvalFlags, SetupGetByte(kSetupEvalFlags) | 1u);
    g_fnMemCallPos = pos;
  }
  stack->pos[stack->count++] = pos;
  return 1;
}

u32 EvalPopReturn(EvalReturnStack *stack, TokPos *out) {
  if (stack->count == 0) return 0;
  *out = stack->pos[--stack->count];
  if (stack->count == 0) SetupSetByte(kSetupEvalFlags, SetupGetByte(kSetupEvalFlags) & ~1u);
  return 1;
}

void EvalReleaseOperands(EvalOperandStack *stack, u32 keep) {
  EvalCell cell;
  while (stack->count > keep && EvalPopOperand(&cell, stack)) EvalFreeCell(&cell);
}

// ---- priorities ----

namespace {

// Priorities of the one-byte tokens, the lead bytes 0xF7 and 0xF9 included
// (255: not an operator); 0x7F tokens and "PxlTest(" are looked at apart.
constexpr std::array<u8, 256> BuildPriorities() {
  std::array<u8, 256> p{};
  for (int t = 0; t < 0x80; ++t) p[t] = 3;
  for (int t = 0x80; t < 0x100; ++t) p[t] = 255;
  for (int t : {0x10, 0x11, 0x12, 0x3C, 0x3D, 0x3E}) p[t] = 8;
  p['('] = 15;
  p[0xA8] = 0;
  p[0xB8] = 0;
  p[0xBB] = 1;
  p[0xF8] = 2;
  for (int base : {0x80, 0x90, 0xA0, 0xB0}) {
    for (int lo = 1; lo <= 7; ++lo) p[base + lo] = 3;
  }
  p[0xDE] = 3;
  p[0xFA] = 4;
  p[0x88] = 5;
  p[0x98] = 5;
  p[0xA9] = 6;
  p[0xB9] = 6;
  p[0x89] = 7;
  p[0x99] = 7;
  p[0xBA] = 9;
  p[0x8A] = 10;
  p[0x9A] = 10;
  p[0xAA] = 10;
  for (int t = 0xFB; t <= 0xFE; ++t) p[t] = 15;
  // The bracket functions 0x80 "Pol(", 0x8D and 0xA0 "Rec(".
  p[0x80] = 15;
  p[0x8D] = 15;
  p[0xA0] = 15;
  return p;
}

constexpr std::array<u8, 256> kPriority = BuildPriorities();

// The priority of an operator: every token but those of the 0x7F and 0xF7
// groups is ranked by its first byte alone.
inline u32 Priority(u8 b0, u8 b1) {
  if (b0 == 0x7F || b0 == 0xF7) [[unlikely]]
    return EvalOpPriority(b0, b1);
  return kPriority[b0];
}

}  // namespace

u32 EvalOpPriority(u8 b0, u8 b1) {
  if (b0 == 0x7F) {
    EvalCell t;
    t.re.b[0] = b0;
    t.re.b[1] = b1;
    if (TokIsBracketFunction(&t)) return 15;
    if (b1 == 0x54) return 5;
    if (b1 == 0xB0) return 9;
    if (b1 == 0xB1) return 10;
    return 3;
  }
  if (b0 == 0xF7 && b1 == 0xAF) return 15;  // "PxlTest("
  return kPriority[b0];
}

u32 EvalTakesPrecedence(const EvalCell *op, const EvalOperatorStack *stack) {
  if (stack->count == 0) return 1;
  const u8 top0 = stack->bytes[stack->count - 1];
  if (top0 == kEvalArgMarker) return 1;
  const u8 top1 = (TokIsLeadByte(top0) && stack->count >= 2) ? stack->bytes[stack->count - 2] : 0;
  const u32 ptop = Priority(top0, top1);
  if (ptop == 15) return 1;
  const u32 pnew = Priority(TokByte0(op), TokByte1(op));
  if (TokByte0(op) == kTokFracBar) return top0 == kTokFracBar ? 1 : (pnew < ptop ? 1 : 0);
  if (top0 == kTokFracBar) return pnew == 0 ? 1 : 0;
  return pnew < ptop ? 1 : 0;
}

// ---- the evaluation ----

namespace {

// Applies a popped operator to the result: infix operators to the operand
// below and the result, prefix functions to the result.
u32 ApplyPopped(const EvalCell *op, EvalCell *result, EvalStackArea *area, u32 flags) {
  if (TokIsInfixOp(op)) {
    EvalCell left;
    if (!EvalPopOperand(&left, area->operands)) {
      EvalFreeCell(result);
      return EvalErrSyntax(result);
    }
    if (g_evalRecording != nullptr) [[unlikely]] {
      if (TokByte0(op) == kTokFracBar) {
        EvalRecordRefuse();
      } else {
        EvalRecordBinary(op);
      }
    }
    if (TokByte0(op) == kTokFracBar) return EvalApplyFractionBar(&left, result, area, flags);
    return EvalApplyBinary(&left, op, result);
  }
  if (g_evalRecording != nullptr) [[unlikely]]
    EvalRecordUnary(op);
  return EvalApplyUnary(result, op);
}

// Reads a number that is part of a degree-minute-second input and adds it,
// divided by `unit`, to the result. The number must be followed by the mark.
u32 AddDmsPart(TokPos *pos, EvalCell *tok, EvalCell *result, BcdReal *(*setUnit)(BcdReal *)) {
  EvalCell part;
  std::memset(&part, 0, sizeof part);
  if (!EvalParseDecimal(pos, tok, &part)) {
    *result = part;
    return 0;
  }
  RealNormalize(&part.re, &part.re);
  if (TokByte0(tok) != kTokDms) return EvalErrSyntax(result);
  EvalCell unit;
  std::memset(&unit, 0, sizeof unit);
  setUnit(&unit.re);
  ValDiv(&part, &unit, &part, 0);
  ValAdd(result, &part, result, 0);
  return ValErrorCode(result) == 0;
}

// The bracket loop, entered with a complete result and a closing bracket or
// postfix token current. 0 failure; 1 continue; 2 the bracket ends an
// argument or element: success without the final reduction.
u32 CloseOperand(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, u32 flags) {
  for (;;) {
    const u8 t = TokByte0(tok);
    if (t == ')') {
      for (;;) {
        EvalCell op;
        if (!EvalPopOperator(area->operators, &op)) {
          EvalFreeCell(result);
          return EvalErrSyntax(result);
        }
        if (TokByte0(&op) == '(') break;
        if (TokByte0(&op) >= 0xFB && TokByte0(&op) <= 0xFE) {
          if (g_evalRecording != nullptr) [[unlikely]]
            EvalRecordUnary(&op);
          if (!EvalApplyUnary(result, &op)) return 0;
          break;
        }
        if (TokIsBracketFunction(&op)) return 2;
        if (!ApplyPopped(&op, result, area, flags)) return 0;
      }
    } else if (t == ']' || t == '}') {
      EvalRecordingRefuse();
      EvalCell op;
      while (EvalPopOperator(area->operators, &op)) {
        if (TokByte0(&op) == '(') continue;
        if (TokIsBracketFunction(&op)) {
          EvalFreeCell(result);
          return EvalErrSyntax(result);
        }
        if (!ApplyPopped(&op, result, area, flags)) return 0;
      }
      return 2;
    } else if (t == kTokDms) {
      EvalRecordingRefuse();
      const int kind = ValKind(result);
      if (kind == kValKindList || kind == kValKindMatrix) {
        EvalFreeCell(result);
        return EvalErrSyntax(result);
      }
      if (result->re.b[0] & 0x80) return EvalErrMa(result);
      RealFracToDecimal(&result->re, &result->re);
      TokNext(tok, pos);
      if (TokIsDecimalChar(tok)) {
        if (!AddDmsPart(pos, tok, result, EvalSetSixty)) return 0;
        TokNext(tok, pos);
        if (TokIsDecimalChar(tok)) {
          if (!AddDmsPart(pos, tok, result, EvalSetThirtySixHundred)) return 0;
          TokNext(tok, pos);
        }
      }
      if (TokByte0(tok) == kTokNegSign || TokByte0(tok) == kTokDms) return EvalErrSyntax(result);
      if (TokFollowsBracket(tok)) return 1;
      continue;
    } else if (TokCanFollowOperand(tok)) {
      if (g_evalRecording != nullptr) [[unlikely]]
        EvalRecordUnary(tok);
      if (!EvalApplyUnary(result, tok)) return 0;
    } else {
      EvalFreeCell(result);
      return EvalErrSyntax(result);
    }
    TokNext(tok, pos);
    if (TokByte0(tok) == kTokNegSign) {
      EvalFreeCell(result);
      return EvalErrSyntax(result);
    }
    if (TokFollowsBracket(tok)) return 1;
  }
}

// Calls the handler of the operand token's dispatch row.
u32 CallHandler(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, u32 flags) {
  const EvalTokenEntry *row = EvalDispatchRow(EvalTokenRow(tok));
  if (row == nullptr) return EvalErrSyntax(result);
  if (g_evalRecording != nullptr) [[unlikely]] {
    // Number literals, letter variables, theta, r and pi are replayed;
    // every other operand leaves the text to the full evaluation.
    if (row->kind == kEvalKindText && row->handler.text == EvalNumberLiteral) {
      if (!EvalNumberLiteral(result, pos, tok)) return 0;
      EvalRecordLiteral(result);
      return 1;
    }
    if (row->kind == kEvalKindArea && (row->handler.area == EvalVariable || row->handler.area == EvalVarX ||
                                       row->handler.area == EvalVarY || row->handler.area == EvalVarT)) {
      const u8 letter = TokByte0(tok);
      if (!row->handler.area(result, pos, tok, area)) return 0;
      EvalRecordVariable(letter);
      return 1;
    }
    if (row->kind == kEvalKindValue && EvalRecordValue(row->handler.value)) {
      if (!row->handler.value(result)) return 0;
      TokNext(tok, pos);
      return 1;
    }
    EvalRecordRefuse();
  }
  switch (row->kind) {
    case kEvalKindSyntaxError:
      return EvalErrSyntax(result);
    case kEvalKindToken:
      if (!row->handler.token(result, tok)) return 0;
      TokNext(tok, pos);
      return 1;
    case kEvalKindText:
      return row->handler.text(result, pos, tok);
    case kEvalKindArea:
      return row->handler.area(result, pos, tok, area);
    case kEvalKindValue:
      if (!row->handler.value(result)) return 0;
      TokNext(tok, pos);
      return 1;
    case kEvalKindFlags:
      if (!row->handler.flags(result, flags)) return 0;
      TokNext(tok, pos);
      return 1;
    case kEvalKindTokenFlags:
      if (!row->handler.tokenFlags(result, tok, flags)) return 0;
      TokNext(tok, pos);
      return 1;
    case kEvalKindAreaFlags:
      return row->handler.areaFlags(result, pos, tok, area, flags);
    default:
      return EvalErrSystem(result);
  }
}

u32 OperatorStackHolds(const EvalOperatorStack *stack, u8 marker) {
  u32 n = 0;
  for (u32 i = 0; i < stack->count; ++i) n += stack->bytes[i] == marker;
  return n;
}

// Every fraction of a scalar becomes a decimal; lists and matrices go to the
// list and matrix engines.
u32 FracToDecimal(EvalCell *result) {
  const int kind = ValKind(result);
  if (kind == kValKindList || kind == kValKindMatrix) return EvalArrayToDecimal(result);
  const u8 flag = result->re.b[0] & 0x80;
  result->re.b[0] &= 0x7F;
  RealFracToDecimal(&result->re, &result->re);
  result->re.b[0] |= flag;
  if (flag) RealFracToDecimal(&result->im, &result->im);
  return 1;
}

// The result-kind test at the end of a successful evaluation.
u32 CheckResultKind(EvalCell *result, u32 flags) {
  if ((flags & 0xFF00) == kEvalAnyResult) return 1;
  const int kind = ValKind(result);
  const bool complex = (result->re.b[0] & 0x80) != 0;
  if ((complex && !(flags & kEvalAcceptComplex)) || (kind == kValKindList && !(flags & kEvalAcceptList)) ||
      (kind == kValKindMatrix && !(flags & kEvalAcceptMatrix)) ||
      (kind == kValKindScalar && !(flags & kEvalAcceptScalar))) {
    return EvalRaiseError(kEvalErrMa, result);
  }
  if (flags & kEvalFracToDecimal) return FracToDecimal(result);
  return 1;
}

}  // namespace

u32 EvalExpr(TokPos *pos, EvalCell *tok, EvalCell *result, EvalStackArea *area, u32 flags) {
  EvalOperandStack *operands = area->operands;
  EvalOperatorStack *operators = area->operators;
  const u8 savedOperands = operands->count;
  const u8 savedOperators = operators->count;
  const u8 savedReturns = area->returns->count;
  bool finalReduction = true;

  if (KeyBreakPoll()) {
    EvalErrBreak(result);
    goto fail;
  }
  result->re.b[0] = 0;

  // The marker that separates this evaluation's operators from the caller's.
  if (flags & kEvalArgCalculus) {
    if (OperatorStackHolds(operators, kEvalCalcMarker)) {
      EvalErrSyntax(result);
      goto fail;
    }
    EvalCell m;
    m.re.b[0] = kEvalCalcMarker;
    if (!EvalPushOperator(&m, operators)) {
      EvalErrStack(result);
      goto fail;
    }
  } else if (flags & (kEvalArgPlain1 | kEvalArgPlain2 | kEvalArgPlain8)) {
    EvalCell m;
    m.re.b[0] = kEvalArgMarker;
    if (!EvalPushOperator(&m, operators)) {
      EvalErrStack(result);
      goto fail;
    }
  }
  if (flags & kEvalFnMemArg) {
    EvalCell m;
    m.re.b[0] = kEvalFnMemMarker;
    if (OperatorStackHolds(operators, kEvalFnMemMarker) > 4 || !EvalPushOperator(&m, operators)) {
      EvalErrStack(result);
      goto fail;
    }
    flags &= ~static_cast<u32>(kEvalFnMemArg);
  }

  for (;;) {
    // An operand, after any prefix functions and open brackets.
    TokSkipSigns(tok, pos);
    while (!TokStartsOperand(tok)) {
      if (!TokIsPrefixOp(tok)) {
        EvalErrSyntax(result);
        goto fail;
      }
      if (!EvalPushOperator(tok, operators)) {
        EvalErrStack(result);
        goto fail;
      }
      TokNext(tok, pos);
      if (TokEndsOperand(tok)) {
        EvalErrSyntax(result);
        goto fail;
      }
      TokSkipSigns(tok, pos);
    }
    if ((flags & (kEvalNoMatrix10 | kEvalNoMatrix20 | kEvalNoMatrix40)) && (TokByte0(tok) == '[' || TokIsMat(tok))) {
      EvalErrSyntax(result);
      goto fail;
    }
    if (!CallHandler(pos, tok, result, area, flags)) goto fail;

    if (!TokFollowsOperand(tok)) {
      EvalRaiseError(kEvalErrSyntax, result);
      goto fail;
    }
    if (TokEndsOperand(tok)) break;
    if (TokCanFollowOperand(tok)) {
      const u32 r = CloseOperand(pos, tok, result, area, flags);
      if (r == 0) goto fail;
      if (r == 2) {
        EvalRecordingRefuse();
        finalReduction = false;
        break;
      }
      if (TokEndsOperand(tok)) break;
    }
    if (!TokIsInfixOp(tok)) {
      EvalRaiseError(kEvalErrSyntax, result);
      goto fail;
    }
    // Apply what binds at least as tightly as the new operator.
    while (!EvalTakesPrecedence(tok, operators)) {
      EvalCell op;
      if (!EvalPopOperator(operators, &op)) break;
      if (!ApplyPopped(&op, result, area, flags)) goto fail;
    }
    if (!EvalPushOperator(tok, operators) || !EvalPushOperand(result, operands)) {
      EvalRaiseError(kEvalErrStack, result);
      goto fail;
    }
    if (g_evalRecording != nullptr) [[unlikely]]
      EvalRecordPush();
    if (TokByte0(tok) == kTokImplicitValue || TokByte0(tok) == kTokImplicitBracket) {
      if (g_evalRecording != nullptr) [[unlikely]]
        EvalRecordReread();
      TokReread(tok, pos);
    } else {
      TokNext(tok, pos);
    }
    TokSkipSigns(tok, pos);
    if (!TokStartsOperand(tok) && !TokIsPrefixOp(tok) && !TokIsBracketFunction(tok)) {
      EvalErrSyntax(result);
      goto fail;
    }
  }

  if (finalReduction) {
    EvalCell op;
    while (EvalPopOperator(operators, &op)) {
      if (TokByte0(&op) == '(') continue;
      if (TokIsBracketFunction(&op)) break;
      if (!ApplyPopped(&op, result, area, flags)) goto fail;
    }
  }
  if (!CheckResultKind(result, flags)) goto fail;
  return 1;

fail:
  EvalReleaseOperands(operands, savedOperands);
  operands->count = savedOperands;
  operators->count = savedOperators;
  area->returns->count = savedReturns;
  return 0;
}

// ---- entry points on a fresh stack area ----

namespace {

// The entry points evaluate from a copy of the text, up to and including the
// first statement end: text held in the item store may move when an item is
// created or resized during the evaluation (Ans, List Ans, a variable), and
// the two zero bytes before the copy keep the reader's look-behind (TokReread
// and TokBack at the first token) inside it. The position given back is the
// matching place in the caller's text.
constexpr u32 kStableCopyMax = 4096;

struct StableText {
  u8 bytes[2 + kStableCopyMax + 2];
  const u8 *origin;  // the caller's text, or null when no copy was made
  u32 length;
};

// How the statement copy treats each byte: most bytes are one-byte tokens
// that neither end the statement nor start a two-byte token.
enum CopyClass : u8 { kCopyPlain, kCopyEnd, kCopyGroupLead, kCopyCharLead, kCopyStop, kCopyColon };

constexpr std::array<u8, 256> BuildCopyClasses() {
  std::array<u8, 256> c{};
  c[kTokEnd] = kCopyEnd;
  for (int b : {0x7F, 0xF7, 0xF9}) c[b] = kCopyGroupLead;
  for (int b = 0xE5; b <= 0xE7; ++b) c[b] = kCopyCharLead;
  c[kTokNewline] = kCopyStop;
  c[kTokDisplayStop] = kCopyStop;
  c[':'] = kCopyColon;
  return c;
}

constexpr std::array<u8, 256> kCopyClasses = BuildCopyClasses();

void MakeStable(TokPos *pos, StableText *copy) {
  const u8 *src = *pos;
  // Copied as the end is looked for: a statement is a few bytes, shorter
  // than a call to copy it afterwards costs. Token lengths are those of
  // TokLenAt.
  u8 *dst = copy->bytes + 2;
  u32 n = 0;
  for (;;) {
    const u8 b = src[n];
    const u8 cls = kCopyClasses[b];
    if (cls == kCopyPlain) [[likely]] {
      if (n >= kStableCopyMax) {
        // Longer than any formula or program line: evaluated where it lies.
        copy->origin = nullptr;
        return;
      }
      dst[n++] = b;
      continue;
    }
    if (cls == kCopyEnd) break;
    const u32 len = cls == kCopyGroupLead || (cls == kCopyCharLead && src[n + 1] != 0) ? 2 : 1;
    if (n + len > kStableCopyMax) {
      copy->origin = nullptr;
      return;
    }
    dst[n] = b;
    if (len == 2) dst[n + 1] = src[n + 1];
    n += len;
    // A cell range of the spreadsheet (A1:B3) carries ':' inside a formula.
    if (cls == kCopyStop || (cls == kCopyColon && !EvalGlueSheetRunning())) break;
  }
  copy->bytes[0] = 0;
  copy->bytes[1] = 0;
  copy->bytes[2 + n] = 0;
  copy->bytes[3 + n] = 0;
  copy->origin = src;
  copy->length = n;
  *pos = copy->bytes + 2;
}

// The caller's position matching a position in the copy; a position outside
// the copy (in another text) is left as it is.
void ReturnPosition(TokPos *pos, const StableText *copy) {
  if (copy->origin == nullptr) return;
  const u8 *base = copy->bytes + 2;
  if (*pos < base || *pos > base + copy->length) return;
  *pos = copy->origin + (*pos - base);
}

struct FreshArea {
  EvalOperandStack operands;
  EvalOperatorStack operators;
  EvalReturnStack returns;
  EvalStackArea area;
};

void InitArea(FreshArea *a) {
  a->operands.count = 0;
  a->operators.count = 0;
  a->returns.count = 0;
  a->area.operands = &a->operands;
  a->area.operators = &a->operators;
  a->area.returns = &a->returns;
}

u32 RunFresh(TokPos *pos, EvalCell *tok, EvalCell *result, u32 prime, u32 flags, bool openBracket) {
  FreshArea a;
  InitArea(&a);
  StableText copy;
  MakeStable(pos, &copy);
  // Bit 0 of the evaluator byte is set while an evaluation runs inside the
  // text of a function memory.
  SetupSetByte(kSetupEvalFlags, SetupGetByte(kSetupEvalFlags) & ~1u);
  if (openBracket) a.operators.bytes[a.operators.count++] = '(';
  KeyBreakArm();
  if (openBracket) result->re.b[0] = 0;
  // A whole expression read from a statement copy is replayed when the same
  // text was evaluated before, and recorded otherwise.
  u32 context = prime && copy.origin != nullptr && (flags & ~u32{kEvalOpenBracket}) == kEvalWhole
                    ? EvalReplayContext(copy.length, openBracket)
                    : 0;
  if (context != 0) {
    const u32 replay = EvalReplay(copy.bytes + 2, copy.length, context, pos, tok, result);
    if (replay == kReplayDone) {
      ReturnPosition(pos, &copy);
      return 1;
    }
    if (replay == kReplayRefused) context = 0;
  }
  // Each whole evaluation records into its own frame: a nested one (a
  // graph function read by a handler) may record while this one does.
  EvalRecording recording;
  EvalRecording *const outer =
      context != 0 ? EvalRecordStart(&recording, copy.bytes + 2, copy.length, context) : g_evalRecording;
  if (context == 0) g_evalRecording = nullptr;
  if (prime) {
    tok->re.b[0] = '0';
    TokNext(tok, pos);
  }
  const u32 ok = EvalExpr(pos, tok, result, &a.area, flags);
  if (context != 0) {
    EvalRecordFinish(outer, ok, *pos, tok);
  } else {
    g_evalRecording = outer;
  }
  if (!ok && (SetupGetByte(kSetupEvalFlags) & 1u) != 0) {
    // The error happened inside a stored function text: it is reported at
    // the call in this text.
    *pos = g_fnMemCallPos;
    SetupSetByte(kSetupEvalFlags, SetupGetByte(kSetupEvalFlags) & ~1u);
  }
  ReturnPosition(pos, &copy);
  return ok;
}

}  // namespace

u32 EvalWholeExpr(TokPos *pos, EvalCell *tok, EvalCell *result, u32 prime) {
  return RunFresh(pos, tok, result, prime, kEvalWhole, false);
}

u32 EvalArgument(TokPos *pos, EvalCell *tok, EvalCell *result, u32 prime, u32 flags) {
  return RunFresh(pos, tok, result, prime, flags, (flags & kEvalOpenBracket) != 0);
}

u32 EvalFormula(TokPos *pos, u32 mode, EvalCell *result) {
  StableText copy;
  MakeStable(pos, &copy);
  EvalCell tok;
  std::memset(&tok, 0, sizeof tok);
  std::memset(result, 0, sizeof *result);
  u32 ok = EvalWholeExpr(pos, &tok, result, 1);
  if (ok && (mode == 2 || mode == 3 || mode == 5)) {
    const int kind = ValKind(result);
    if (kind == kValKindList || kind == kValKindMatrix) ok = EvalRaiseError(kEvalErrSyntax, result);
  }
  if (ok && mode == 3 && (result->re.b[0] & 0x80)) ok = EvalRaiseError(kEvalErrMa, result);
  if (ok && mode == 5) {
    FracToDecimal(result);
    ok = ValErrorCode(result) == 0;
  }
  if (ok && mode == 3) SysStoreVariable(kVarAns, result);
  if (ok && (mode == 3 || mode == 5) && TokByte0(&tok) == kTokAssign) ok = EvalGlueAssign(pos, &tok, result);
  if (ok && TokByte0(&tok) != kTokEnd) ok = EvalRaiseError(kEvalErrSyntax, result);
  ReturnPosition(pos, &copy);
  return ok;
}
