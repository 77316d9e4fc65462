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
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "ui/setup.h"

namespace fuzz {

// Two numbers are the same when their sign, exponent and digits agree (the
// complex mark aside).
inline bool SameNumber(const BcdReal &a, const BcdReal &b) {
  return (a.b[0] & 0x7F) == (b.b[0] & 0x7F) && std::memcmp(a.b + 1, b.b + 1, 8) == 0;
}

// A result comes cleaned up: cleaning it again changes no number, in a list
// or matrix no element.
inline void CheckCleanedUp(const EvalCell &r) {
  Value again;
  ValNormalize(&r, &again);
  FUZZ_CHECK(ValErrorCode(&again) == 0, "clean-up of a result failed: %u", ValErrorCode(&again));
  const bool array = EvalIsArrayCell(&r) != 0;
  const u32 n = array ? ArrInfoOf(&r).count : 1;
  const BcdReal *ea = array ? ArrElems(ArrInfoOf(&r).handle) : nullptr;
  const BcdReal *eb = array ? ArrElems(ArrInfoOf(&again).handle) : nullptr;
  for (u32 i = 0; i < n; ++i) {
    Value x = r, y = again;
    if (array) {
      ArrGet(ea, n, ArrInfoOf(&r).complex, i, &x);
      ArrGet(eb, n, ArrInfoOf(&again).complex, i, &y);
    }
    FUZZ_CHECK(SameNumber(x.re, y.re), "element %u not cleaned up", i);
    if ((x.re.b[0] & 0x80) && (y.re.b[0] & 0x80)) FUZZ_CHECK(SameNumber(x.im, y.im), "imaginary part %u", i);
  }
  if (array) EvalFreeCell(&again);
}

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
  if (ok) CheckCleanedUp(r);
  EvalFreeCell(&r);
  // Nothing was left in the handle heap: the first slot is free.
  const MemHandle probe = MemAlloc(1);
  FUZZ_CHECK(probe == kMemSlotBase, "a heap block was left behind");
  MemFree(probe);
}

}  // namespace fuzz
