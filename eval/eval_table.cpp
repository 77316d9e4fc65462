// The dispatch table, built at compile time from eval/eval_rows.h.
#include "eval/eval_table.h"

#include <array>

#include "eval/eval_calculus.h"
#include "eval/eval_glue.h"
#include "eval/eval_lists.h"

namespace {

struct RowSource {
  u16 first;
  u16 last;
  EvalTokenEntry entry;
};

// The call kind follows from the handler's parameters.
constexpr EvalTokenEntry Entry(EvalHandlerToken f) {
  EvalTokenEntry e{};
  e.handler.token = f;
  e.kind = kEvalKindToken;
  return e;
}
constexpr EvalTokenEntry Entry(EvalHandlerText f) {
  EvalTokenEntry e{};
  e.handler.text = f;
  e.kind = kEvalKindText;
  return e;
}
constexpr EvalTokenEntry Entry(EvalHandlerArea f) {
  EvalTokenEntry e{};
  e.handler.area = f;
  e.kind = kEvalKindArea;
  return e;
}
constexpr EvalTokenEntry Entry(EvalHandlerValue f) {
  EvalTokenEntry e{};
  e.handler.value = f;
  e.kind = kEvalKindValue;
  return e;
}
constexpr EvalTokenEntry Entry(EvalHandlerFlags f) {
  EvalTokenEntry e{};
  e.handler.flags = f;
  e.kind = kEvalKindFlags;
  return e;
}
constexpr EvalTokenEntry Entry(EvalHandlerTokenFlags f) {
  EvalTokenEntry e{};
  e.handler.tokenFlags = f;
  e.kind = kEvalKindTokenFlags;
  return e;
}
constexpr EvalTokenEntry Entry(EvalHandlerAreaFlags f) {
  EvalTokenEntry e{};
  e.handler.areaFlags = f;
  e.kind = kEvalKindAreaFlags;
  return e;
}

#define EVAL_ROWS(first, last, handler) RowSource{static_cast<u16>(first), static_cast<u16>(last), Entry(handler)},
constexpr RowSource kSource[] = {
#include "eval/eval_rows.h"
};
#undef EVAL_ROWS

constexpr std::array<EvalTokenEntry, kEvalTableRows> BuildTable() {
  std::array<EvalTokenEntry, kEvalTableRows> t{};
  for (auto &e : t) {
    e.handler.value = EvalDefaultHandler;
    e.kind = kEvalKindSyntaxError;
  }
  // The prefix and logic operators of the 0x7F group are never operands: a
  // row reached for them means the evaluator itself went wrong.
  for (int s = 0x21; s <= 0x25; ++s) t[0x100 + s].kind = kEvalKindSystemError;
  for (int s = 0xB0; s <= 0xB3; ++s) t[0x100 + s].kind = kEvalKindSystemError;
  for (const RowSource &r : kSource) {
    for (int row = r.first; row <= r.last; ++row) t[row] = r.entry;
  }
  return t;
}

constexpr std::array<EvalTokenEntry, kEvalTableRows> kTable = BuildTable();

}  // namespace

u32 EvalDefaultHandler(EvalCell *result) { return EvalErrSystem(result); }

int EvalTokenRow(const EvalCell *tok) {
  const u8 b0 = TokByte0(tok);
  switch (b0) {
    case 0x7F:
      return 0x100 + TokByte1(tok);
    case 0xF9:
      return 0x200 + TokByte1(tok);
    case 0xF7:
      return 0x300 + TokByte1(tok);
    case 0xE5:
    case 0xE6:
    case 0xE7:
      return -1;
    default:
      return b0;
  }
}

const EvalTokenEntry *EvalDispatchRow(int row) {
  if (row < 0 || row >= kEvalTableRows) return nullptr;
  return &kTable[row];
}
