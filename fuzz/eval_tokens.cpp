// The evaluator on arbitrary token texts: every evaluation ends in a value or
// an error code 1-38, its position stays inside its text, and it leaves no
// handle-heap block behind. The first byte picks the calculation mode, the
// complex mode and the angle unit; the rest is the text (up to 255 bytes,
// ending at its first zero byte, as a line of the run screen does).
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "fuzz/fuzz_util.h"
#include "kernel/heap.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "ui/setup.h"

namespace {

// Two numbers are the same when their sign, exponent and digits agree (the
// complex mark aside).
bool SameNumber(const BcdReal &a, const BcdReal &b) {
  return (a.b[0] & 0x7F) == (b.b[0] & 0x7F) && std::memcmp(a.b + 1, b.b + 1, 8) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static bool ready = false;
  if (!ready) {
    FUZZ_CHECK(HostAllocCalcRam() == 1u, "main memory");
    ready = true;
  }
  FUZZ_CHECK(McsClearAll() == 0u, "clear");
  SetupResetAll();
  fuzz::Reader in(data, size);
  const u8 modes = in.Byte();
  static const u8 kModes[] = {0, 0, 9, 1, 15};  // Comp twice as often, then Dec, Bin, Hex
  SetupSetItem(kSetupMode, kModes[modes % 5]);
  SetupSetItem(kSetupComplexMode, static_cast<u8>(modes / 5 % 3));
  SetupSetItem(kSetupAngle, static_cast<u8>(modes / 15 % 3));

  std::vector<u8> text;
  while (!in.Empty() && text.size() < 255) text.push_back(in.Byte());
  text.push_back(0);
  text.push_back(0);  // room after the end, as the editors' buffers have
  // Getkey waits for a key press; a fuzz run has none to give.
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == 0x7F && text[i + 1] == 0x8F) text[i + 1] = 0x50;

  TokPos pos = text.data();
  EvalCell tok, r;
  std::memset(&tok, 0, sizeof tok);
  std::memset(&r, 0, sizeof r);
  const u32 ok = EvalWholeExpr(&pos, &tok, &r, 1);
  FUZZ_CHECK(pos >= text.data() && pos < text.data() + text.size(), "position %td", pos - text.data());
  const u8 code = ValErrorCode(&r);
  FUZZ_CHECK((ok != 0) == (code == 0), "ok %u code %u", ok, code);
  FUZZ_CHECK(ok || (code >= 1 && code <= 38), "code %u", code);
  if (ok) {
    // A result comes cleaned up: cleaning it again changes no number, in a
    // list or matrix no element.
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
  EvalFreeCell(&r);
  // Nothing was left in the handle heap: the first slot is free.
  const MemHandle probe = MemAlloc(1);
  FUZZ_CHECK(probe == kMemSlotBase, "a heap block was left behind");
  MemFree(probe);
  return 0;
}
