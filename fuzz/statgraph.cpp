// StatGraphs from any bytes: the StatGraph condition "G_CND", the V-Window
// "VWIN", SET UP Stat Wind and data lists 1-4 go through the preparation
// (quiet, as a program redraw runs it) and, when it succeeds, the drawing.
// Each ends with a calculator code and in bounded time; what the
// preparation writes into the window is well formed.
#include <cstring>

#include "apps/stat/stat_cond.h"
#include "apps/stat/statgraph.h"
#include "fuzz/fresh_memory.h"
#include "fuzz/fuzz_util.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

GraphContext g_ctx;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::ClearMainMemory();
  SetupResetAll();
  fuzz::Reader in(data, size);
  SetupSetItem(kSetupStatWind, in.Byte() & 1);
  u8 cond[kStatGraphCondBytes];
  in.Bytes(cond, sizeof cond);
  FUZZ_CHECK(McsCreateInFolder(kStatFolder, "G_CND", sizeof cond, cond) == 0u, "G_CND");
  VwinRecord vw;
  in.Bytes(&vw, sizeof vw);
  GmemWriteVwin(&vw);
  fuzz::FillListsFromInput(in);
  u16 words[kStatGraphWords];
  FUZZ_CHECK(StatReadGraphCond(words) == 0, "read G_CND");
  i16 *c = reinterpret_cast<i16 *>(words);
  VwinRecord out;
  i32 cancel = 0;
  const u32 e = StatGraphComputeAll(1, c, &out, &cancel);
  FUZZ_CHECK(e < 256 && cancel == 0, "preparation code %u", e);
  if (e != 0) return 0;
  if (SetupGetItem(kSetupStatWind) == 0) {
    // Every value the preparation wrote is well formed; the ones it keeps
    // (the T range, Y of a lone box plot) are the stored window's own.
    for (u32 i = 0; i < kVwinFieldCount; ++i)
      if (std::memcmp(&out.f[i], &vw.f[i], sizeof(BcdReal)) != 0)
        FUZZ_CHECK(RealIsWellFormed(&out.f[i]), "window value %u", i);
  }
  std::memset(&g_ctx, 0, sizeof g_ctx);
  if (StatGraphPrepareContext(&g_ctx) != 0) return 0;
  const u32 d = StatGraphDrawAll(c, &g_ctx);
  FUZZ_CHECK(d < 256, "drawing code %u", d);
  return 0;
}
