// The token dispatch table: one row per operand token, naming the handler
// that reads the operand and how the evaluator calls it.
//
// Rows: the token itself for one-byte tokens, 256 + second byte for 0x7F xx,
// 512 + second byte for 0xF9 xx, 768 + second byte for 0xF7 xx. The table is
// built at compile time from the compact source list of eval/eval_rows.h;
// every row it does not name is a default row.
#pragma once
#include "eval/eval.h"
#include "kernel/types.h"

// How EvalExpr calls a row's handler. The kind follows from the handler's
// parameters, so the source list names only tokens and handlers.
enum EvalCallKind : u8 {
  kEvalKindSystemError = 0,  // not called: System ERROR (23)
  kEvalKindSyntaxError = 1,  // not called: Syntax ERROR (2)
  kEvalKindToken = 2,        // handler(result, token cell), then TokNext
  kEvalKindText = 3,         // handler(result, position, token cell)
  kEvalKindArea = 4,         // handler(result, position, token cell, area)
  kEvalKindValue = 6,        // handler(result), then TokNext
  kEvalKindFlags = 7,        // handler(result, flags), then TokNext
  kEvalKindTokenFlags = 9,   // handler(result, token cell, flags), then TokNext
  kEvalKindAreaFlags = 10,   // handler(result, position, token cell, area, flags)
};

using EvalHandlerToken = u32 (*)(EvalCell *, EvalCell *);
using EvalHandlerText = u32 (*)(EvalCell *, TokPos *, EvalCell *);
using EvalHandlerArea = u32 (*)(EvalCell *, TokPos *, EvalCell *, EvalStackArea *);
using EvalHandlerValue = u32 (*)(EvalCell *);
using EvalHandlerFlags = u32 (*)(EvalCell *, u32);
using EvalHandlerTokenFlags = u32 (*)(EvalCell *, EvalCell *, u32);
using EvalHandlerAreaFlags = u32 (*)(EvalCell *, TokPos *, EvalCell *, EvalStackArea *, u32);

union EvalHandler {
  EvalHandlerToken token;
  EvalHandlerText text;
  EvalHandlerArea area;
  EvalHandlerValue value;
  EvalHandlerFlags flags;
  EvalHandlerTokenFlags tokenFlags;
  EvalHandlerAreaFlags areaFlags;
};

struct EvalTokenEntry {
  EvalHandler handler;
  u8 kind;  // EvalCallKind
};

constexpr int kEvalTableRows = 1024;

// The row of a token cell's token; -1 for the 0xE5-0xE7 character groups,
// which have no rows.
int EvalTokenRow(const EvalCell *tok);
// The row itself.
const EvalTokenEntry *EvalDispatchRow(int row);
// The handler of the default rows; it is never called and raises System
// ERROR if it ever is.
u32 EvalDefaultHandler(EvalCell *result);
