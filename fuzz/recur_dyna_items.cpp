// The items of DYNA and RECUR as a backup could carry them. Byte 0 picks:
//  0: "D_MEM" (the rest), recalled: 0, 4, 50 or 66; a refused recall
//     changes nothing, a recalled function's text ends inside its item;
//  1: "COND" (the rest), read and counted: a condition read is in range and
//     its frame count is 1..63;
//  2: "RECRG" and the formulas "AN", "BN", "CN": byte 1 the type, byte 2 the
//     sum display, bytes 3-5 the lengths of the three formula items, then
//     the range item (168 bytes) and the three items; the table is made and
//     the web entries built. Every formula text read ends inside its item.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fresh_memory.h"
#include "eval/token_len.h"
#include "fuzz/fuzz_util.h"
#include "graph/dyna/dyna_cond.h"
#include "graph/dyna/dyna_mem.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "graph/recur/recur_web.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

// A text read in place must end inside the item it came from.
void CheckInside(const char *text, u8 kind, const char *name) {
  if (text == nullptr) return;
  u32 size = 0;
  u8 *data = nullptr;
  FUZZ_CHECK(McsOpenByKindPtr(kind, name, &size, &data) == 0u, "item %s", name);
  const u8 *t = reinterpret_cast<const u8 *>(text);
  if (t < data || t >= data + size) return;  // the shared empty text
  const u32 room = static_cast<u32>(data + size - t);
  u32 i = 0;
  while (i < room && t[i] != 0) {
    FUZZ_CHECK(i + 1 < room, "text of %s runs past its item", name);
    i += TokLenAt(t + i);
  }
  FUZZ_CHECK(i < room, "text of %s runs past its item", name);
}

void CheckFuncs() {
  for (int n = 1; n <= 20; ++n) {
    char name[12];
    std::snprintf(name, sizeof name, "%d", n);
    CheckInside(GmemFuncDataPtr(n), 2, name);
  }
}

// Getkey would wait for a key.
void NoGetkey(std::vector<u8> *bytes) {
  for (size_t i = 0; i + 1 < bytes->size(); ++i)
    if ((*bytes)[i] == 0x7F && (*bytes)[i + 1] == 0x8F) (*bytes)[i + 1] = 0x50;
}

std::string VarA() {
  Value v;
  std::memset(&v, 0, sizeof v);
  SysReadVariable('A', &v);
  return std::string(reinterpret_cast<const char *>(&v), sizeof v);
}

void DynaMem(const u8 *item, u32 len) {
  const u8 head[4] = {0x08, 0x01, 0x10, 2};
  FUZZ_CHECK(GmemWriteFuncItem(7, head, "X") == 0u, "slot 7");
  Value five;
  std::memset(&five, 0, sizeof five);
  NumFromInt32(5, &five.re);
  SysStoreVariable('A', &five);
  const std::string a = VarA();
  if (McsCreateInFolder("@DYNA", "D_MEM", len, item) > 2) return;
  DynaCond cond;
  const u32 e = DynaMemRecall(&cond);
  FUZZ_CHECK(e == 0 || e == 4 || e == 50 || e == 66, "recall %u", e);
  if (e == 4) {
    const char *text = GmemFuncDataPtr(7);
    FUZZ_CHECK(text != nullptr && std::strcmp(text, "X") == 0, "a refused recall changed slot 7");
    FUZZ_CHECK(VarA() == a, "a refused recall changed A");
  }
  if (e == 0) FUZZ_CHECK(DynaCondValid(&cond), "recalled condition");
  CheckFuncs();
  DynaScanState scan;
  DynaScanFuncs(&scan);
}

void Cond(const u8 *item, u32 len) {
  if (McsCreateInFolder("@DYNA", "COND", len, item) > 2) return;
  DynaCond cond;
  const u32 e = DynaReadCond(&cond);
  FUZZ_CHECK(e == 0 || e == 4, "read %u", e);
  if (e != 0) return;
  FUZZ_CHECK(DynaCondValid(&cond), "condition read out of range");
  u32 count = 0;
  const u32 c = DynaFrameCount(&cond, &count);
  FUZZ_CHECK(c == 0 || c == 4 || c == 28, "count %u", c);
  if (c == 0) FUZZ_CHECK(count >= 1 && count <= 63, "frames %u", count);
}

void Recur(const u8 *data, u32 len) {
  if (len < 5) return;
  SetupSetItem(kSetupRecurType, static_cast<u8>(data[0] % 5));
  SetupSetItem(kSetupSumDisplay, static_cast<u8>(data[1] & 1));
  const u32 lengths[3] = {data[2], data[3], data[4]};
  data += 5;
  len -= 5;
  const u32 range = len < 168 ? len : 168;
  if (range > 0 && McsCreateInFolder("@RECUR", "RECRG", range, data) > 2) return;
  data += range;
  len -= range;
  static const char *const kNames[3] = {"AN", "BN", "CN"};
  for (u32 k = 0; k < 3 && len > 0; ++k) {
    const u32 n = lengths[k] < len ? lengths[k] : len;
    std::vector<u8> item(data, data + n);
    NoGetkey(&item);
    if (n > 0 && McsCreateByKind(2, kNames[k], n, item.data()) > 2) return;
    data += n;
    len -= n;
  }
  for (int w = 1; w <= 3; ++w) CheckInside(RecurFormulaDataPtr(w), 2, kNames[w - 1]);
  RecurDependencyFlags();
  // Types 1-4 walk every term before Start: long walks are left out.
  BcdReal start, limit;
  NumFromInt32(300, &limit);
  if (RecurReadValue(kRecurIdStart, &start) != 0 || RealCompare(kRealCmpLt, &limit, &start) != 0) return;
  const u32 e = RecurGenerateTable();
  u32 rows = 0, cols = 0;
  if (e == 0) {
    FUZZ_CHECK(ItemMatDims(kRecurTableMatrix, &rows, &cols) == 0u, "table");
    FUZZ_CHECK(rows >= 1 && rows <= 255 && cols >= 2 && cols <= 7, "table %ux%u", rows, cols);
  } else {
    FUZZ_CHECK(ItemMatDims(kRecurTableMatrix, &rows, &cols) != 0u || rows == 0, "a failed table is kept");
  }
  static GraphEntry entries[5];
  static u8 texts[3][kRecurWebTextRoom];
  RecurBuildWebEntries(7, entries, texts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  if (size == 0) return 0;
  const u8 pick = data[0] % 3;
  const u8 *rest = data + 1;
  const u32 len = static_cast<u32>(size - 1 > 4096 ? 4096 : size - 1);
  if (pick == 0) DynaMem(rest, len);
  if (pick == 1) Cond(rest, len);
  if (pick == 2) Recur(rest, len);
  return 0;
}
