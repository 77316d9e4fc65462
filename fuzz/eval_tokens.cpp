// The evaluator on arbitrary token texts: every evaluation ends in a value or
// an error code 1-38, its position stays inside its text, and it leaves no
// handle-heap block behind. The first byte picks the calculation mode, the
// complex mode and the angle unit; the rest is the text (up to 255 bytes,
// ending at its first zero byte, as a line of the run screen does).
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/eval_check.h"
#include "fuzz/fuzz_util.h"
#include "kernel/heap.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "number/valop.h"
#include "number/value.h"
#include "numeric/array.h"
#include "ui/setup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
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

  fuzz::CheckEvaluation(text);
  return 0;
}
