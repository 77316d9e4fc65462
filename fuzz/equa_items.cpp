// The equation application's items from arbitrary bytes: a group file
// carries "SIMLCOEF", "POLYCOEF" and "EQU_SOLV" into main memory, then the
// back ends solve them and the Solver scans the equation. Every heap block taken is freed, a failed solve
// leaves no result item, a successful one leaves results of the shape the
// coefficients give, and the scan lists only variables.
#include <cstring>

#include "apps/calc/equa_model.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_group.h"
#include "memory/mcs_api.h"
#include "numeric/equa_solve.h"
#include "ui/setup.h"

namespace {

u32 BlocksInUse() {
  u32 n = 0;
  for (u32 i = 0; i < kMemSlotCount; ++i) n += MemDeref(kMemSlotBase + 4 * i) != nullptr;
  return n;
}

bool Dims(u8 m, u32 *rows, u32 *cols) { return ItemMatDims(m, rows, cols) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  if (size == 0) return 0;
  // Byte 0: bit 0 a host file (big-endian), bits 1-2 Complex Mode, bit 4 the
  // degree, bits 5-7 the unknowns. The rest is the file.
  const u8 mode = data[0];
  SetupSetItem(kSetupComplexMode, (mode >> 1) % 3);
  McsRestoreFromBytes(data + 1, static_cast<u32>(size - 1), mode & 1);
  SetupSetItem(kSetupComplexMode, (mode >> 1) % 3);
  const u32 blocks = BlocksInUse();
  u32 rows = 0, cols = 0, mr = 0, mc = 0;

  const u32 degree = 2 + (mode >> 4) % 2;
  if (NumericSolvePolynomial(degree) == 0) {
    FUZZ_CHECK(Dims(kEquaPolyResult, &rows, &cols) && Dims(kEquaPolyMult, &mr, &mc), "roots missing");
    FUZZ_CHECK(rows >= 1 && rows <= degree && mr == rows && mc == 1 && (cols == 1 || cols == 2), "root shape");
  } else {
    FUZZ_CHECK(!Dims(kEquaPolyResult, &rows, &cols) && !Dims(kEquaPolyMult, &mr, &mc), "roots left after failure");
  }
  FUZZ_CHECK(BlocksInUse() == blocks, "polynomial: a block was not freed");

  const u32 n = 1 + (mode >> 5) % 7;
  if (NumericSolveSimultaneous(n) == 0) {
    FUZZ_CHECK(Dims(kEquaSimlResult, &rows, &cols) && rows == n && cols == 1, "solution shape");
  } else {
    FUZZ_CHECK(!Dims(kEquaSimlResult, &rows, &cols), "solution left after failure");
  }
  FUZZ_CHECK(BlocksInUse() == blocks, "system: a block was not freed");

  u8 text[256];
  EquaSolverLoadEquation(text);
  u8 codes[kEquaSolverMaxVars];
  u16 count = 0;
  const u16 code = EquaSolverScanVars(text, codes, &count);
  FUZZ_CHECK(code == 0 || code == 2 || code == 20, "scan code %u", code);
  FUZZ_CHECK(count <= kEquaSolverMaxVars, "scan count %u", count);
  if (code == 0) {
    FUZZ_CHECK(count >= 3 && codes[count - 2] == 'l' && codes[count - 1] == 'u', "bound entries");
    for (u16 i = 0; i + 2 < count; ++i) {
      const u8 c = codes[i];
      FUZZ_CHECK((c >= 'A' && c <= 'Z') || c == 0xCD || c == 0xCE, "not a variable: %u", c);
    }
  }
  MemFreeAll();
  return 0;
}
