// The dynamic graph's condition, frame count and coefficient scan.
#include "graph/dyna/dyna_cond.h"

#include <cstring>

#include "eval/token.h"
#include "eval/token_len.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"

namespace {

constexpr const char *kFolder = "@DYNA";
constexpr const char *kCondItem = "COND";

bool Usable(const BcdReal *v) { return RealIsWellFormed(v) && RealErrorCode(v) == 0; }

bool Less(const BcdReal *a, const BcdReal *b) { return RealCompare(kRealCmpLt, a, b) != 0; }

u8 FuncFlags(int n) {
  u32 size = 0;
  u8 *data = nullptr;
  char name[4];
  name[0] = static_cast<char>(n >= 10 ? '0' + n / 10 : '0' + n);
  name[1] = n >= 10 ? static_cast<char>('0' + n % 10) : 0;
  name[2] = 0;
  if (McsOpenByKindPtr(2, name, &size, &data) != 0 || data == nullptr || size < kGmemFuncHeader) return 0;
  return data[2];
}

}  // namespace

void DynaResetCond(DynaCond *cond) {
  std::memset(cond, 0, sizeof *cond);
  NumFromInt32(1, &cond->start);
  NumFromInt32(5, &cond->end);
  NumFromInt32(1, &cond->pitch);
  cond->speed = kDynaNormal;
  cond->var = 1;
}

u32 DynaWriteCond(const DynaCond *cond) {
  DynaCond c = *cond;
  RealFracToDecimal(&cond->start, &c.start);
  RealFracToDecimal(&cond->end, &c.end);
  RealFracToDecimal(&cond->pitch, &c.pitch);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFolder, kCondItem, &size, &data) == 0 && size == sizeof c) {
    return McsWriteInFolder(kFolder, kCondItem, sizeof c, &c, 0) <= 2 ? 0u : 4u;
  }
  McsDeleteInFolder(kFolder, kCondItem);
  return McsCreateInFolder(kFolder, kCondItem, sizeof c, &c) == 0 ? 0u : 4u;
}

u32 DynaReadCond(DynaCond *cond) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kFolder, kCondItem, &size, &data) != 0 || data == nullptr || size != sizeof *cond) return 4;
  DynaCond c;
  std::memcpy(&c, data, sizeof c);
  if (!DynaCondValid(&c)) return 4;
  *cond = c;
  return 0;
}

bool DynaCondValid(const DynaCond *c) {
  if (!Usable(&c->start) || !Usable(&c->end) || !Usable(&c->pitch)) return false;
  return c->speed >= 1 && c->speed <= 4 && c->var >= 1 && c->var <= 26;
}

u32 DynaReadCondOrDefault(DynaCond *cond) {
  if (DynaReadCond(cond) == 0) return 0;
  DynaResetCond(cond);
  return DynaWriteCond(cond);
}

u32 DynaFrameCount(const DynaCond *cond, u32 *count) {
  BcdReal zero;
  RealSetZero(&zero);
  if (RealCompare(kRealCmpEq, &cond->pitch, &zero)) return 28;
  if (Less(&cond->start, &cond->end) && Less(&cond->pitch, &zero)) return 28;
  if (Less(&cond->end, &cond->start) && Less(&zero, &cond->pitch)) return 28;
  BcdReal n;
  RealSub(&cond->end, &cond->start, &n);
  RealDiv(&n, &cond->pitch, &n);
  RealNormalize(&n, &n);
  BcdReal limit;
  RealSet32767(&limit);
  if (RealErrorCode(&n) != 0 || Less(&n, &zero) || Less(&limit, &n)) return 4;
  RealInt(&n, &n);
  const i32 frames = NumToInt32(&n) + 1;
  if (frames > static_cast<i32>(kDynaMaxFrames)) return 4;
  *count = static_cast<u32>(frames);
  return 0;
}

bool DynaFuncTypeOk(u16 type) { return type == kGraphFuncY || type == kGraphFuncParam || type == kGraphFuncR; }

void DynaScanFuncs(DynaScanState *scan) {
  std::memset(scan, 0, sizeof *scan);
  for (int n = 1; n <= kGmemFuncSlots; ++n) {
    if (!(FuncFlags(n) & kDynaSelectBit)) continue;
    const u8 *p = reinterpret_cast<const u8 *>(GmemFuncDataPtr(n));
    if (p == nullptr) continue;
    ++scan->selected;
    bool any = false;
    // Whole tokens: the second byte of a two-byte token is never a letter.
    while (*p != 0) {
      if (TokLenAt(p) == 2) {
        p += 2;
        continue;
      }
      const u8 c = *p++;
      if (c < 'A' || c > 'Z' || c == 'X' || c == 'Y' || c == 'T') continue;
      any = true;
      ++scan->occurrences;
      u8 &mark = scan->marks[c - 'A'];
      if (mark == 0) {
        mark = scan->letters == 0 ? 2 : 1;
        ++scan->letters;
      }
    }
    if (any) scan->lastSlot = static_cast<u16>(n);
  }
}

u32 DynaScanError(const DynaScanState *scan) {
  if (scan->letters != 0) return 0;
  return scan->selected != 0 ? 20 : 30;
}

u32 DynaFixVar(DynaCond *cond, const DynaScanState *scan) {
  if (cond->var >= 1 && cond->var <= 26 && scan->marks[cond->var - 1] != 0) return 0;
  for (u16 k = 0; k < 26; ++k) {
    if (scan->marks[k] == 2) {
      cond->var = static_cast<u16>(k + 1);
      return DynaWriteCond(cond);
    }
  }
  return 0;
}
