// The financial record: any bytes as "fina_mem" (of any size) and as the
// cash-flow list go through every kernel. Each ends, with either an error
// code and an error value or a well-formed real; a record of another size
// or without its mark is never read.
#include <cstring>
#include <vector>

#include "apps/finance/fin_calc.h"
#include "apps/finance/fin_mem.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

void CheckResult(u32 err, const BcdReal &out, const char *what) {
  if (err) {
    FUZZ_CHECK(RealErrorCode(&out) == err, "%s: code %u, value code %u", what, err, RealErrorCode(&out));
  } else {
    FUZZ_CHECK(RealIsWellFormed(&out), "%s: malformed result", what);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  fuzz::Reader in(data, size);
  const u8 flags = in.Byte();
  SetupSetItem(kSetupPayment, flags & 1);
  SetupSetItem(kSetupDateMode, (flags >> 1) & 3);
  // The item's size: the record's own, or one of its neighbours.
  static const u32 kSizes[] = {kFinMemBytes, kFinMemBytes, kFinMemBytes, 0, 4, 12, 248, 256};
  const u32 item_size = kSizes[(flags >> 3) & 7];
  std::vector<u8> bytes(item_size ? item_size : 4);
  in.Bytes(bytes.data(), bytes.size());
  if (item_size) FUZZ_CHECK(McsCreateInFolder(kFinFolder, kFinItem, item_size, bytes.data()) == 0u, "create");

  // The flows, into the list the record names (or list 1).
  FinMem mem;
  std::memset(&mem, 0xA5, sizeof mem);
  const FinMem untouched = mem;
  const u32 read = FinReadMem(&mem);
  const bool own = item_size == kFinMemBytes && bytes[250] == 1;
  FUZZ_CHECK(read == (own ? 0u : 4u), "read %u", read);
  if (!own) {
    FUZZ_CHECK(std::memcmp(&mem, &untouched, sizeof mem) == 0, "a foreign record was read");
    FUZZ_CHECK(FinInitMem() == 0u, "init");
    FUZZ_CHECK(FinReadMem(&mem) == 0u, "read after init");
    std::memcpy(&mem, bytes.data(), bytes.size() < sizeof mem ? bytes.size() : sizeof mem);
  }
  const u8 list = mem.list >= 1 && mem.list <= 20 ? static_cast<u8>(mem.list) : 1;
  for (u32 k = 0; k < 30 && in.Left() >= 12; ++k) {
    Value v{};
    in.Bytes(&v.re, 12);
    if (k % 7 == 6) in.Bytes(&v.im, 12);
    ItemListSet(0, list, 0, &v);
  }

  BcdReal out;
  FinTvmState st;
  for (u32 code : {kFinCmpdN, kFinCmpdI, kFinCmpdPV, kFinCmpdPMT, kFinCmpdFV})
    CheckResult(FinCmpdSolve(&mem, code, &out, &st), out, "compound");
  for (u32 code : {kFinCashNPV, kFinCashIRR, kFinCashPBP, kFinCashNFV})
    CheckResult(FinCashSolve(&mem, code, &out, &st), out, "cash");
  for (u32 code : {kFinAmortPRN, kFinAmortINT, kFinAmortBAL, kFinAmortSumPRN, kFinAmortSumINT})
    CheckResult(FinAmortEngine(&mem, code, &out, &st), out, "amortisation");
  CheckResult(FinSimpleSI(&mem, &out), out, "SI");
  CheckResult(FinSimpleSFV(&mem, &out), out, "SFV");
  CheckResult(FinCnvtEff(&mem, &out), out, "EFF");
  CheckResult(FinCnvtApr(&mem, &out), out, "APR");
  FinMem cost = mem;
  CheckResult(FinCostCst(&cost, &out), out, "Cst");
  CheckResult(FinCostSel(&cost, &out), out, "Sel");
  CheckResult(FinCostMrg(&cost, &out), out, "Mrg");
  for (u32 basis : {0u, 1u}) {
    CheckResult(FinDaysBetween(&mem, basis, &out), out, "PRD");
    FinDate d{};
    for (u32 minus : {0u, 1u}) {
      if (FinDateShift(&mem, minus, basis, &d) == 0) FUZZ_CHECK(FinDateValid(d), "shifted date");
    }
  }
  char text[17];
  FinFormatDate(mem.d1, text);
  FinFormatDate(mem.d2, text);
  for (u32 offset = 0; offset <= 72; offset += 12) FinValueAt(offset, &out);
  MemFreeAll();
  return 0;
}
