// The rules every evaluation of a fuzzed text keeps: it ends in a value or
// an error code 1-38, its position stays inside its text, it does not stay
// marked as inside a stored function text, and it leaves no handle-heap
// block behind.
#pragma once
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "fuzz/fuzz_util.h"
#include "kernel/heap.h"
#include "number/value.h"
#include "ui/setup.h"

namespace fuzz {

// Evaluates text (which ends in its zero bytes) as the run screen does.
inline void CheckEvaluation(const std::vector<u8> &text) {
  TokPos pos = text.data();
  EvalCell tok, r;
  std::memset(&tok, 0, sizeof tok);
  std::memset(&r, 0, sizeof r);
  const u32 ok = EvalWholeExpr(&pos, &tok, &r, 1);
  FUZZ_CHECK(pos >= text.data() && pos < text.data() + text.size(), "position %td", pos - text.data());
  const u8 code = ValErrorCode(&r);
  FUZZ_CHECK((ok != 0) == (code == 0), "ok %u code %u", ok, code);
  FUZZ_CHECK(ok || (code >= 1 && code <= 38), "code %u", code);
  FUZZ_CHECK((SetupGetByte(kSetupEvalFlags) & 1) == 0, "left marked as inside a stored text");
  EvalFreeCell(&r);
  // Nothing was left in the handle heap: the first slot is free.
  const MemHandle probe = MemAlloc(1);
  FUZZ_CHECK(probe == kMemSlotBase, "a heap block was left behind");
  MemFree(probe);
}

}  // namespace fuzz
