// "ViewWindow", "Factor", the V-Window memories and the graph memories: the
// V-Window record of the graph screen, the item "VWIN" (eleven reals: Xmin,
// Xmax, Xscale, Xdot, Ymin, Ymax, Yscale, Tmin, Tmax, T pitch, half-width
// Xdot), and "GMEM"n of "@GRAPH", written as the graph engine reads them.
#include <cstring>
#include <vector>

#include "eval/prog_internal.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"

namespace {

constexpr u32 kVwinBytes = sizeof(VwinRecord);

using Vwin = VwinRecord;

BcdReal Parse(const char *text) {
  BcdReal r{};
  NumParse(text, &r);
  return r;
}

void SetDots(Vwin *w) { VwinSetDots(w); }

// The initial V-Window with the T range of the angle unit.
void InitialVwin(Vwin *w) {
  std::memset(w, 0, sizeof *w);
  VwinPreset(w, kVwinPresetInitial);
  VwinSetTRange(w);
}

// The current V-Window, made when it is missing: 0, or Memory ERROR.
u32 ReadVwin(Vwin *w) {
  if (GmemReadVwin(w) == 0) return 0;
  if (GmemResetVwin(1) != 0 || GmemReadVwin(w) != 0) return kProgErrMemory;
  return 0;
}

u32 WriteVwin(const Vwin *w) { return GmemWriteVwin(w) == 0 ? 0 : u32{kProgErrMemory}; }

// -1E98 < v < 1E98.
bool InRange(const BcdReal *v) {
  if (RealErrorCode(v)) return false;
  const BcdReal hi = Parse("1e98");
  const BcdReal lo = Parse("-1e98");
  return RealCompare(kRealCmpLt, v, &hi) == 1 && RealCompare(kRealCmpGt, v, &lo) == 1;
}

bool IsZero(const BcdReal *v) {
  const BcdReal zero{};
  return RealCompare(kRealCmpEq, v, &zero) == 1;
}

// Every value in range, Xdot, T pitch and half-width Xdot not zero.
u32 CheckVwin(const Vwin *w) {
  for (const BcdReal &v : w->f) {
    if (!InRange(&v)) return kProgErrRange;
  }
  if (IsZero(&w->f[3]) || IsZero(&w->f[9]) || IsZero(&w->f[10])) return kProgErrRange;
  return 0;
}

void MakePositive(BcdReal *v) {
  const BcdReal zero{};
  if (RealCompare(kRealCmpLt, v, &zero) == 1) RealSub(&zero, v, v);
}

// A real argument with fractions made decimal: 1, or 0 with the error raised
// (a complex value is Ma ERROR).
u32 RealArg(ProgRunState *run, BcdReal *out) {
  Value v;
  if (!ProgEvalReal(&run->p, &v, true)) {
    *run->result = v;
    return 0;
  }
  *out = v.re;
  if (RealIsFrac(out)) RealFracToDecimal(out, out);
  return 1;
}

}  // namespace

u32 ProgViewWindow(ProgRunState *run) {
  Vwin w;
  if (const u32 e = ReadVwin(&w)) return ProgFail(run, e);
  // Positions in order: Xmin, Xmax, Xscale, Ymin, Ymax, Yscale, Tmin, Tmax,
  // T pitch (Xdot is computed).
  static const u8 kSlot[] = {0, 1, 2, 4, 5, 6, 7, 8, 9};
  u32 k = 0;
  u32 values = 0;
  for (;;) {
    if (ProgTokIsEnd(run->p)) break;
    if (k >= sizeof kSlot) return ProgFail(run, kProgErrSyntax);
    if (*run->p != ',') {
      if (!RealArg(run, &w.f[kSlot[k]])) return 0;
      ++values;
    }
    ++k;
    if (*run->p != ',') break;
    ++run->p;
  }
  if (values == 0) return ProgFail(run, kProgErrSyntax);
  SetDots(&w);
  MakePositive(&w.f[2]);
  MakePositive(&w.f[6]);
  if (const u32 e = CheckVwin(&w)) return ProgFail(run, e);
  if (const u32 e = WriteVwin(&w)) return ProgFail(run, e);
  ProgDropMarks();
  return 1;
}

u32 ProgFactor(ProgRunState *run) {
  BcdReal xf;
  if (!RealArg(run, &xf)) return 0;
  if (!InRange(&xf)) return ProgFail(run, kProgErrRange);
  if (IsZero(&xf)) return ProgFail(run, kProgErrMa);
  BcdReal yf = xf;
  if (*run->p == ',') {
    ++run->p;
    if (!RealArg(run, &yf)) return 0;
    if (!InRange(&yf)) return ProgFail(run, kProgErrRange);
    if (IsZero(&yf)) return ProgFail(run, kProgErrMa);
  }
  Vwin w;
  if (const u32 e = ReadVwin(&w)) return ProgFail(run, e);
  const BcdReal two = Parse("2");
  // Each range shrinks about its centre by its factor.
  auto zoom = [&](BcdReal *min, BcdReal *max, const BcdReal *f) {
    BcdReal sum, centre, diff, half;
    RealAdd(min, max, &sum);
    RealDiv(&sum, &two, &centre);
    RealSub(max, min, &diff);
    RealDiv(&diff, &two, &half);
    RealDiv(&half, f, &half);
    RealSub(&centre, &half, min);
    RealAdd(&centre, &half, max);
  };
  zoom(&w.f[0], &w.f[1], &xf);
  zoom(&w.f[4], &w.f[5], &yf);
  SetDots(&w);
  if (const u32 e = CheckVwin(&w)) return ProgFail(run, e);
  if (const u32 e = WriteVwin(&w)) return ProgFail(run, e);
  return 1;
}

namespace {

// A V-Window memory number 1..6 typed directly after the command.
u32 MemoryNumber(ProgRunState *run, u32 *n) {
  const u8 c = *run->p;
  if (c < '1' || c > '6' || (run->p[1] >= '0' && run->p[1] <= '9')) return ProgFail(run, kProgErrArgument);
  *n = c - '0';
  ++run->p;
  return 1;
}

void MemoryName(u32 n, char *name) {
  std::memcpy(name, "VMEM", 4);
  name[4] = static_cast<char>('0' + n);
  name[5] = 0;
}

}  // namespace

u32 ProgStoreVwinMem(ProgRunState *run) {
  u32 n = 0;
  if (!MemoryNumber(run, &n)) return 0;
  Vwin w;
  if (const u32 e = ReadVwin(&w)) return ProgFail(run, e);
  char name[8];
  MemoryName(n, name);
  if (McsWriteByKind(kMcsKindList, name, kVwinBytes, &w, 0) <= 2) return 1;
  return McsCreateByKind(kMcsKindList, name, kVwinBytes, &w) <= 2 ? 1 : ProgFail(run, kProgErrMemory);
}

u32 ProgRecallVwinMem(ProgRunState *run) {
  u32 n = 0;
  if (!MemoryNumber(run, &n)) return 0;
  char name[8];
  MemoryName(n, name);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kMcsKindList, name, &size, &data) != 0 || !data || size < kVwinBytes) {
    return ProgFail(run, kProgErrMemory);
  }
  Vwin w;
  std::memcpy(&w, data, kVwinBytes);
  if (const u32 e = WriteVwin(&w)) return ProgFail(run, e);
  ProgDropMarks();
  return 1;
}

// ---- graph memories ------------------------------------------------------------

namespace {

// The SET UP items a graph memory keeps, in its order.
constexpr u8 kGmemItems[15] = {kSetupFuncType,   kSetupDrawType,  kSetupGraphFunc, kSetupDualScreen,
                               kSetupSimulGraph, kSetupDerivative, kSetupSketchLine, kSetupBackground,
                               kSetupAngle,      kSetupComplexMode, kSetupCoord,     kSetupGrid,
                               kSetupAxes,       kSetupLabel,      kSetupDisplay};
constexpr u32 kGmemFuncs = 20;
constexpr u8 kKindGraphFunc = 2;
constexpr const char *kGraphFolder = "@GRAPH";

void SlotName(u32 n, char *name) {
  if (n >= 10) {
    name[0] = static_cast<char>('0' + n / 10);
    name[1] = static_cast<char>('0' + n % 10);
    name[2] = 0;
  } else {
    name[0] = static_cast<char>('0' + n);
    name[1] = 0;
  }
}

void GmemName(u32 n, char *name) {
  std::memcpy(name, "GMEM", 4);
  SlotName(n, name + 4);
}

// A graph memory number 1..20 typed directly after the command.
u32 GmemNumber(ProgRunState *run, u32 *n) {
  const u8 *p = run->p;
  if (*p < '0' || *p > '9') return ProgFail(run, kProgErrArgument);
  u32 v = *p++ - '0';
  if (*p >= '0' && *p <= '9') v = v * 10 + (*p++ - '0');
  if (v < 1 || v > 20) return ProgFail(run, kProgErrArgument);
  run->p = p;
  *n = v;
  return 1;
}

// The record "VWINR" (the initial window when missing).
void ReadVwinr(Vwin *w) {
  if (GmemReadVwinr(w) != 0) InitialVwin(w);
}

}  // namespace

u32 ProgStoreGmem(ProgRunState *run) {
  u32 n = 0;
  if (!GmemNumber(run, &n)) return 0;
  Vwin w;
  if (const u32 e = ReadVwin(&w)) return ProgFail(run, e);
  std::vector<u8> mem(20, 0);
  for (u32 i = 0; i < 15; ++i) mem[i] = SetupGetItem(kGmemItems[i]);
  mem[15] = kGmemFuncs & 0xFF;
  mem[16] = kGmemFuncs >> 8;
  mem.insert(mem.end(), reinterpret_cast<const u8 *>(&w), reinterpret_cast<const u8 *>(&w) + kVwinBytes);
  if (SetupGetItem(kSetupDualScreen) == 0) {
    Vwin r;
    ReadVwinr(&r);
    mem.insert(mem.end(), reinterpret_cast<const u8 *>(&r), reinterpret_cast<const u8 *>(&r) + kVwinBytes);
  }
  std::vector<u8> texts;
  for (u32 f = 1; f <= kGmemFuncs; ++f) {
    char name[4];
    SlotName(f, name);
    u32 size = 0;
    u8 *data = nullptr;
    u8 head[4] = {};
    if (McsOpenByKindPtr(kKindGraphFunc, name, &size, &data) == 0 && data && size >= 4) {
      std::memcpy(head, data, 4);
      const u32 len = size <= 260 ? ProgTextLen(data + 4, size - 4) : 0;
      texts.insert(texts.end(), data + 4, data + 4 + len);
    }
    texts.push_back(0);
    mem.insert(mem.end(), head, head + 4);
  }
  mem.insert(mem.end(), texts.begin(), texts.end());
  char name[8];
  GmemName(n, name);
  McsDeleteInFolder(kGraphFolder, name);
  if (McsCreateInFolder(kGraphFolder, name, static_cast<u32>(mem.size()), mem.data()) != 0) {
    return ProgFail(run, kProgErrMemory);
  }
  return 1;
}

u32 ProgRecallGmem(ProgRunState *run) {
  u32 n = 0;
  if (!GmemNumber(run, &n)) return 0;
  char name[8];
  GmemName(n, name);
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenInFolderPtr(kGraphFolder, name, &size, &data) != 0 || !data || size < 20 + kVwinBytes) {
    return ProgFail(run, kProgErrMemory);
  }
  // Copied first: writing the items below moves main memory.
  const std::vector<u8> mem(data, data + size);
  const bool dual = mem[3] == 0;  // the stored Dual Screen item
  u32 at = 20 + kVwinBytes + (dual ? kVwinBytes : 0);
  if (mem.size() < at + 4 * kGmemFuncs) return ProgFail(run, kProgErrMemory);
  for (u32 i = 0; i < 15; ++i) SetupSetItem(kGmemItems[i], mem[i]);
  Vwin w;
  std::memcpy(&w, mem.data() + 20, kVwinBytes);
  if (const u32 e = WriteVwin(&w)) return ProgFail(run, e);
  if (dual) {
    Vwin r;
    std::memcpy(&r, mem.data() + 20 + kVwinBytes, kVwinBytes);
    if (GmemWriteVwinr(&r) != 0) return ProgFail(run, kProgErrMemory);
  }
  const u8 *heads = mem.data() + at;
  u32 t = at + 4 * kGmemFuncs;
  for (u32 f = 1; f <= kGmemFuncs; ++f) {
    u32 len = 0;
    while (t + len < mem.size() && mem[t + len] != 0) len += ProgTokLen(mem.data() + t + len);
    if (t + len > mem.size()) len = static_cast<u32>(mem.size() - t);
    char fname[4];
    SlotName(f, fname);
    McsDeleteByKind(kKindGraphFunc, fname);
    if (len > 0) {
      std::vector<u8> item(heads + 4 * (f - 1), heads + 4 * f);
      item.insert(item.end(), mem.data() + t, mem.data() + t + len);
      item.push_back(0);
      if (McsCreateByKind(kKindGraphFunc, fname, static_cast<u32>(item.size()), item.data()) > 2) {
        return ProgFail(run, kProgErrMemory);
      }
    }
    t += len + 1;
    if (t > mem.size()) break;
  }
  return 1;
}
