// "ViewWindow", "Factor", the V-Window memories and the graph memories: the
// V-Window record of the graph screen, the item "VWIN" (eleven reals: Xmin,
// Xmax, Xscale, Xdot, Ymin, Ymax, Yscale, Tmin, Tmax, T pitch, half-width
// Xdot), and "GMEM"n of "@GRAPH", written as the graph engine reads them.
#include <cstring>
#include <vector>

#include "eval/prog_internal.h"
#include "graph/memory/gmem_graphmem.h"
#include "graph/memory/gmem_vwin.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"

namespace {

using Vwin = VwinRecord;

BcdReal Parse(const char *text) {
  BcdReal r{};
  NumParse(text, &r);
  return r;
}

void SetDots(Vwin *w) { VwinSetDots(w); }

// The current V-Window, made when it is missing: 0, or Memory ERROR.
u32 ReadVwin(Vwin *w) {
  if (GmemReadVwin(w) == 0) return 0;
  if (GmemResetVwin(1) != 0 || GmemReadVwin(w) != 0) return kProgErrMemory;
  return 0;
}

u32 WriteVwin(const Vwin *w) { return GmemWriteVwin(w) == 0 ? 0 : u32{kProgErrMemory}; }

// -1E98 < v < 1E98.
bool InRange(const BcdReal *v) { return VwinCheckRange(v) == 0; }

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

}  // namespace

u32 ProgStoreVwinMem(ProgRunState *run) {
  u32 n = 0;
  if (!MemoryNumber(run, &n)) return 0;
  Vwin w;
  if (const u32 e = ReadVwin(&w)) return ProgFail(run, e);
  return GmemStoreVwinMem(static_cast<i32>(n), &w) == 0 ? 1 : ProgFail(run, kProgErrMemory);
}

u32 ProgRecallVwinMem(ProgRunState *run) {
  u32 n = 0;
  if (!MemoryNumber(run, &n)) return 0;
  Vwin w;
  if (GmemRecallVwinMem(static_cast<i32>(n), &w) != 0) return ProgFail(run, kProgErrMemory);
  if (const u32 e = WriteVwin(&w)) return ProgFail(run, e);
  ProgDropMarks();
  return 1;
}

// ---- graph memories ------------------------------------------------------------

namespace {

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

}  // namespace

u32 ProgStoreGmem(ProgRunState *run) {
  u32 n = 0;
  if (!GmemNumber(run, &n)) return 0;
  const u32 e = GmemStoreGraphMem(static_cast<i32>(n));
  return e == 0 ? 1 : ProgFail(run, e == kGmemNoRoom ? kProgErrMemory : e);
}

// Nothing changes unless the whole memory fits.
u32 ProgRecallGmem(ProgRunState *run) {
  u32 n = 0;
  if (!GmemNumber(run, &n)) return 0;
  char name[12];
  u32 size = 0;
  if (McsOpenInFolder("@GRAPH", GmemGmemName(static_cast<i32>(n), name), &size) != 0) {
    return ProgFail(run, kProgErrMemory);
  }
  const u32 e = GmemRecallGraphMem(static_cast<i32>(n));
  if (e != 0) return ProgFail(run, e == kGmemNoRoom ? kProgErrMemory : e);
  return 1;
}
