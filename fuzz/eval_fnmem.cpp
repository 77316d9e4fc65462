// Function-memory and graph-function texts of any content (a group file or a
// link transfer can bring one) called from an expression: plain, with an
// argument, under the integral, Solve( and d/dx(. Every evaluation ends in a
// value or an error code 1-38, its position stays inside the caller's text,
// and no handle-heap block is left behind. The first byte picks the graph
// function's type word and the angle unit; the rest (at most 40 bytes, which
// bounds the work of the engines that evaluate it many times) is the text,
// stored as f1 and as graph function 1.
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/eval_check.h"
#include "fuzz/fuzz_util.h"
#include "graph/memory/gmem_func.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "number/value.h"
#include "ui/setup.h"

namespace {

void Check(std::vector<u8> line) {
  line.push_back(0);
  line.push_back(0);
  fuzz::CheckEvaluation(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  fuzz::Reader in(data, size);
  const u8 pick = in.Byte();
  static const u16 kTypes[] = {0x108, 0x409, 0x40A, 0x209, 0x188, 0x777};
  const u16 type = kTypes[pick % 6];
  SetupSetItem(kSetupAngle, static_cast<u8>(pick / 6 % 3));
  std::vector<char> stored;
  while (!in.Empty() && stored.size() < 40) {
    const u8 b = in.Byte();
    if (b == 0) break;
    stored.push_back(static_cast<char>(b));
  }
  // Getkey waits for a key press; a fuzz run has none to give.
  for (size_t i = 0; i + 1 < stored.size(); ++i)
    if (static_cast<u8>(stored[i]) == 0x7F && static_cast<u8>(stored[i + 1]) == 0x8F) stored[i + 1] = 0x50;
  // Texts end in two zero bytes: a token group's lead byte takes the byte
  // after it even when that is 0.
  stored.push_back(0);
  stored.push_back(0);
  ItemFmemStore(1, stored.data());
  const u8 head[4] = {static_cast<u8>(type & 0xFF), static_cast<u8>(type >> 8), 0x80, 2};
  GmemWriteFuncItem(1, head, stored.data());

  Check({0x14});                                          // f1
  Check({0x14, '(', '2', ')', 0x89, '1'});                // f1(2)+1
  Check({0x14, '(', 'A', '=', '3', ')'});                 // f1(A=3)
  Check({0x7F, 0xF0, '1', '(', '2', ')'});                // Y1(2)
  Check({0x7F, 0xF2, '1', '(', '1', ')'});                // Xt1(1)
  Check({0x7F, 0xF3, '1', '(', '1', ')'});                // Yt1(1)
  Check({0x8D, 0x14, ',', '0', ',', '1', ',', '1', ')'});  // integral of f1 from 0 to 1, tolerance 1
  Check({0x7F, 0x28, 0x14, ',', '1', ')'});               // Solve(f1,1)
  Check({0x7F, 0x26, 0x14, ',', '1', ')'});               // d/dx(f1,1)
  return 0;
}
