#include "graph/memory/gmem_vwin.h"

#include <cstdio>
#include <cstring>

#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"

namespace {

constexpr u8 kKindVwin = kMcsKindList;  // folder "main", the list item type
constexpr u8 kKindPict = 7;
constexpr u32 kVwinBytes = sizeof(VwinRecord);
constexpr u32 kPictBytes = 2048;

struct Preset {
  i32 code;
  const char *v[3][6];  // Deg, Rad, Gra (one row when the unit does not matter)
  bool byUnit;
};

// Xmin, Xmax, Xscale, Ymin, Ymax, Yscale.
const Preset kPresets[] = {
    {304, {{"-6.3", "6.3", "1", "-3.1", "3.1", "1"}}, false},
    {305,
     {{"-540", "540", "90", "-1.6", "1.6", "0.5"},
      {"-9.4247779607694", "9.4247779607694", "1.5707963267949", "-1.6", "1.6", "0.5"},
      {"-600", "600", "100", "-1.6", "1.6", "0.5"}},
     true},
    {306,
     {{"-270", "450", "90", "-6", "6", "2"},
      {"-4.7123889803847", "7.8539816339745", "1.5707963267949", "-6", "6", "2"},
      {"-300", "500", "100", "-6", "6", "2"}},
     true},
    {307,
     {{"-1.26", "1.26", "0.5", "-90", "90", "45"},
      {"-1.26", "1.26", "0.5", "-1.5707963267949", "1.5707963267949", "0.78539816339745"},
      {"-1.26", "1.26", "0.5", "-100", "100", "50"}},
     true},
    {308,
     {{"-1.26", "1.26", "0.5", "-20", "180", "45"},
      {"-1.26", "1.26", "0.5", "-0.349065850398866", "3.1415926535898", "0.78539816339745"},
      {"-1.26", "1.26", "0.5", "-2.22222222222222", "200", "50"}},
     true},
    {309,
     {{"-6.3", "6.3", "2", "-90", "90", "45"},
      {"-6.3", "6.3", "2", "-1.5707963267949", "1.5707963267949", "0.78539816339745"},
      {"-6.3", "6.3", "2", "-100", "100", "50"}},
     true},
    {310, {{"-6.3", "6.3", "2", "-10", "10", "5"}}, false},
    {311, {{"-4.2", "4.2", "1", "-1", "5", "1"}}, false},
    {312, {{"-3.15", "3.15", "1", "-1.6", "1.6", "0.5"}}, false},
    {313, {{"-6.3", "6.3", "2", "-3.5", "3.5", "1"}}, false},
    {314, {{"-1", "11.6", "2", "-2", "3.5", "1"}}, false},
    {315, {{"-2.1", "2.1", "0.5", "-2", "2", "0.5"}}, false},
    {316, {{"-1", "11.6", "2", "-1", "1.48", "0.5"}}, false},
    {317, {{"-2.1", "2.1", "1", "-1.2", "8.1", "2"}}, false},
    {318, {{"-1.26", "1.26", "0.5", "-1.2", "8.1", "2"}}, false},
    {319, {{"-12.6", "12.6", "2", "-5", "40", "5"}}, false},
    {320, {{"-6.3", "6.3", "2", "-4", "4", "2"}}, false},
    {321, {{"-1", "11.6", "2", "-1.5", "3", "1"}}, false},
    {322, {{"-1", "11.6", "2", "-1.5", "4", "1"}}, false},
    {323, {{"-11.6", "11.6", "2", "-3", "3", "1"}}, false},
    {324, {{"-10", "10", "1", "-10", "10", "1"}}, false},
    {344, {{"-3.2", "3.2", "1", "-0.1", "0.45", "0.1"}}, false},
};

u32 AngleUnit() {
  const u8 unit = SetupGetItem(kSetupAngle);
  return unit <= 2 ? unit : 0;
}

const char *VwinName(i32 toVwin) { return toVwin ? "VWIN" : "VWINR"; }

// The first `bytes` bytes of an item; 4 when it is missing or shorter.
u32 ReadBytes(u8 kind, const char *name, void *dst, u32 bytes) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kind, name, &size, &data) != 0 || data == nullptr || size < bytes) return 4;
  std::memcpy(dst, data, bytes);
  return 0;
}

// Overwrites the item's first `bytes` bytes; a missing item, or one too short
// for them, is made anew.
u32 WriteBytes(u8 kind, const char *name, const void *src, u32 bytes) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kind, name, &size, &data) == 0 && size >= bytes) {
    return McsWriteByKind(kind, name, bytes, src, 0) <= 2 ? 0 : 4;
  }
  McsDeleteByKind(kind, name);
  return McsCreateByKind(kind, name, bytes, src) <= 2 ? 0 : 4;
}

bool Exists(u8 kind, const char *name) {
  u32 size = 0;
  return McsOpenByKind(kind, name, &size) == 0;
}

u32 ReadItem(const char *name, VwinRecord *rec) { return ReadBytes(kKindVwin, name, rec, kVwinBytes); }
u32 WriteItem(const char *name, const VwinRecord *rec) { return WriteBytes(kKindVwin, name, rec, kVwinBytes); }

BcdReal Num(const char *text) {
  BcdReal r{};
  NumParse(text, &r);
  return r;
}

bool IsPositive(const BcdReal *v) {
  const BcdReal zero{};
  return RealCompare(kRealCmpGt, v, &zero) == 1;
}

bool IsZero(const BcdReal *v) {
  const BcdReal zero{};
  return RealCompare(kRealCmpEq, v, &zero) == 1;
}

// The named window, made with the initial window when missing.
u32 ReadOrMake(i32 toVwin, VwinRecord *rec) {
  if (ReadItem(VwinName(toVwin), rec) == 0) return 0;
  if (GmemResetVwin(toVwin) != 0) return 4;
  return ReadItem(VwinName(toVwin), rec);
}

u32 ReadValue(i32 toVwin, BcdReal *out, i32 idx) {
  if (idx < 0 || idx >= kVwinFieldCount) return 4;
  VwinRecord rec;
  if (ReadOrMake(toVwin, &rec) != 0) return 4;
  *out = rec.f[idx];
  return 0;
}

// x = a op b, normalised.
BcdReal Norm(BcdReal x) {
  RealNormalize(&x, &x);
  return x;
}

u32 WriteValue(i32 toVwin, const BcdReal *value, i32 idx) {
  if (idx < 0 || idx >= kVwinFieldCount) return 28;
  if (VwinCheckRange(value) != 0) return 28;
  BcdReal v = *value;
  if ((idx == kVwinXdot || idx == kVwinXdotHalf) && !IsPositive(&v)) return 28;
  if (idx == kVwinTpitch && IsZero(&v)) return 28;
  VwinRecord rec;
  if (ReadOrMake(toVwin, &rec) != 0) return 4;
  const BcdReal n126 = Num("126");
  const BcdReal n62 = Num("62");
  if (idx == kVwinXmin || idx == kVwinXmax) {
    BcdReal w;
    if (idx == kVwinXmin) {
      RealSub(&rec.f[kVwinXmax], &v, &w);
    } else {
      RealSub(&v, &rec.f[kVwinXmin], &w);
    }
    BcdReal a;
    BcdReal b;
    a = Norm(*RealDiv(&w, &n126, &a));
    b = Norm(*RealDiv(&w, &n62, &b));
    if (VwinCheckRange(&a) != 0 || VwinCheckRange(&b) != 0) return 28;
    rec.f[kVwinXdot] = a;
    rec.f[kVwinXdotHalf] = b;
  } else if (idx == kVwinXdot || idx == kVwinXdotHalf) {
    const bool full = idx == kVwinXdot;
    BcdReal w;
    w = Norm(*RealMul(&v, full ? &n126 : &n62, &w));
    BcdReal a;
    a = Norm(*RealAdd(&rec.f[kVwinXmin], &w, &a));
    BcdReal b;
    b = Norm(*RealDiv(&w, full ? &n62 : &n126, &b));
    if (VwinCheckRange(&a) != 0 || VwinCheckRange(&b) != 0) return 28;
    rec.f[kVwinXmax] = a;
    rec.f[full ? kVwinXdotHalf : kVwinXdot] = b;
  } else if (idx == kVwinXscale || idx == kVwinYscale) {
    RealAbs(&v, &v);
  }
  rec.f[idx] = v;
  GmemDeletePrevVwin();
  return WriteItem(VwinName(toVwin), &rec);
}

u32 ResetTo(i32 code, i32 toVwin) {
  VwinRecord rec;
  std::memset(&rec, 0, sizeof rec);
  VwinPreset(&rec, code);
  return GmemStoreInitialVwin(&rec, toVwin);
}

constexpr u8 kKindFactor = kMcsKindList;
constexpr u32 kFactorBytes = 2 * sizeof(BcdReal);

void NumberedName(const char *prefix, i32 n, char *dst) {
  std::snprintf(dst, 12, "%s%d", prefix, static_cast<int>(n));
}

}  // namespace

void VwinSetDots(VwinRecord *rec) {
  BcdReal width;
  BcdReal n;
  RealSub(&rec->f[kVwinXmax], &rec->f[kVwinXmin], &width);
  NumParse("126", &n);
  RealDiv(&width, &n, &rec->f[kVwinXdot]);
  RealNormalize(&rec->f[kVwinXdot], &rec->f[kVwinXdot]);
  NumParse("62", &n);
  RealDiv(&width, &n, &rec->f[kVwinXdotHalf]);
  RealNormalize(&rec->f[kVwinXdotHalf], &rec->f[kVwinXdotHalf]);
}

void VwinPreset(VwinRecord *rec, i32 code) {
  for (const Preset &p : kPresets) {
    if (p.code != code) continue;
    const char *const *v = p.v[p.byUnit ? AngleUnit() : 0];
    static const u8 kFields[6] = {kVwinXmin, kVwinXmax, kVwinXscale, kVwinYmin, kVwinYmax, kVwinYscale};
    for (int i = 0; i < 6; ++i) NumParse(v[i], RealSetZero(&rec->f[kFields[i]]));
    VwinSetDots(rec);
    return;
  }
}

void VwinSetTRange(VwinRecord *rec) {
  static const char *const kT[3][3] = {
      {"0", "360", "3.6"}, {"0", "6.28318530717960", "0.0628318530717960"}, {"0", "400", "4"}};
  const u32 unit = AngleUnit();
  for (int i = 0; i < 3; ++i) NumParse(kT[unit][i], RealSetZero(&rec->f[kVwinTmin + i]));
}

u32 GmemReadVwin(VwinRecord *rec) { return ReadItem("VWIN", rec); }
u32 GmemReadVwinr(VwinRecord *rec) { return ReadItem("VWINR", rec); }
u32 GmemWriteVwin(const VwinRecord *rec) { return WriteItem("VWIN", rec); }
u32 GmemWriteVwinr(const VwinRecord *rec) { return WriteItem("VWINR", rec); }

u32 GmemPatchVwinField(i32 toVwin, u32 field, const BcdReal *v) {
  if (field >= kVwinFieldCount) return 4;
  VwinRecord rec;
  if (ReadItem(VwinName(toVwin), &rec) != 0) return 4;
  return McsWriteByKind(kKindVwin, VwinName(toVwin), sizeof(BcdReal), v, field * sizeof(BcdReal)) <= 2 ? 0 : 4;
}

void GmemDeletePrevVwin() { McsDeleteByKind(kMcsKindWork, "PREVWIN"); }

u32 GmemStoreInitialVwin(VwinRecord *rec, i32 toVwin) {
  VwinSetTRange(rec);
  if (WriteItem(VwinName(toVwin), rec) != 0) return 4;
  GmemDeletePrevVwin();
  return 0;
}

u32 GmemResetVwin(i32 toVwin) { return ResetTo(kVwinPresetInitial, toVwin); }
u32 GmemResetVwinTrig(i32 toVwin) { return ResetTo(kVwinPresetTrig, toVwin); }
u32 GmemResetVwinStd(i32 toVwin) { return ResetTo(kVwinPresetStandard, toVwin); }
void GmemDeleteVwin() { McsDeleteByKind(kKindVwin, "VWIN"); }
void GmemDeleteVwinr() { McsDeleteByKind(kKindVwin, "VWINR"); }

u32 VwinCheckRange(const BcdReal *v) {
  if (RealErrorCode(v)) return 28;
  const BcdReal hi = Num("1e98");
  const BcdReal lo = Num("-1e98");
  return RealCompare(kRealCmpLt, v, &hi) == 1 && RealCompare(kRealCmpGt, v, &lo) == 1 ? 0 : 28;
}

u32 GmemReadVwinValue(BcdReal *out, i32 idx) { return ReadValue(1, out, idx); }
u32 GmemReadVwinrValue(BcdReal *out, i32 idx) { return ReadValue(0, out, idx); }
u32 GmemWriteVwinValue(const BcdReal *v, i32 idx) { return WriteValue(1, v, idx); }
u32 GmemWriteVwinrValue(const BcdReal *v, i32 idx) { return WriteValue(0, v, idx); }

u32 GmemResetZoomFactors() {
  const BcdReal two[2] = {Num("2"), Num("2")};
  return WriteBytes(kKindFactor, "FACTOR", two, kFactorBytes);
}

u32 GmemWriteZoomFactor(i32 isY, const BcdReal *f) {
  if (VwinCheckRange(f) != 0 || !IsPositive(f)) return 28;
  BcdReal both[2];
  if (ReadBytes(kKindFactor, "FACTOR", both, kFactorBytes) != 0) {
    if (GmemResetZoomFactors() != 0 || ReadBytes(kKindFactor, "FACTOR", both, kFactorBytes) != 0) return 4;
  }
  both[isY ? 1 : 0] = *f;
  return WriteBytes(kKindFactor, "FACTOR", both, kFactorBytes);
}

BcdReal *GmemReadZoomFactor(i32 isY, BcdReal *out) {
  BcdReal both[2];
  if (ReadBytes(kKindFactor, "FACTOR", both, kFactorBytes) != 0) {
    if (GmemResetZoomFactors() != 0 || ReadBytes(kKindFactor, "FACTOR", both, kFactorBytes) != 0) {
      return RealMakeError(4, out);
    }
  }
  *out = both[isY ? 1 : 0];
  return out;
}

void GmemDeleteZoomFactors() { McsDeleteByKind(kKindFactor, "FACTOR"); }

u32 GmemReadPrevVwin(VwinRecord *rec) { return ReadBytes(kMcsKindWork, "PREVWIN", rec, kVwinBytes); }

u32 GmemSavePrevVwin(i32 useRight) {
  const bool right = useRight != 0 && Exists(kMcsKindWork, "PREVWIN");
  VwinRecord rec;
  if (ReadOrMake(right ? 0 : 1, &rec) != 0) return 4;
  return WriteBytes(kMcsKindWork, "PREVWIN", &rec, kVwinBytes);
}

i32 GmemReadOrigVwin(VwinRecord *rec) { return ReadBytes(kMcsKindWork, "ORIGVWIN", rec, kVwinBytes) == 0 ? 0 : -1; }

u32 GmemSaveOrigVwin() {
  VwinRecord rec;
  if (GmemReadVwin(&rec) != 0) {
    std::memset(&rec, 0, sizeof rec);
    VwinPreset(&rec, kVwinPresetInitial);
    VwinSetTRange(&rec);
  }
  return WriteBytes(kMcsKindWork, "ORIGVWIN", &rec, kVwinBytes);
}

void GmemDeleteOrigVwin() { McsDeleteByKind(kMcsKindWork, "ORIGVWIN"); }

char *GmemVmemName(i32 n, char *dst) {
  NumberedName("VMEM", n, dst);
  return dst;
}

u32 GmemStoreVwinMem(i32 n, const VwinRecord *rec) {
  char name[12];
  return WriteBytes(kKindVwin, GmemVmemName(n, name), rec, kVwinBytes);
}

u32 GmemRecallVwinMem(i32 n, VwinRecord *rec) {
  char name[12];
  return ReadBytes(kKindVwin, GmemVmemName(n, name), rec, kVwinBytes);
}

void GmemDeleteVwinMem(i32 n) {
  char name[12];
  McsDeleteByKind(kKindVwin, GmemVmemName(n, name));
}

u32 GmemReadScreen(u8 *buf) { return ReadBytes(kMcsKindWork, "SCREEN", buf, kPictBytes); }
u32 GmemWriteScreen(const u8 *buf) { return WriteBytes(kMcsKindWork, "SCREEN", buf, kPictBytes); }
u32 GmemCreateScreenIfMissing(const u8 *buf) {
  if (Exists(kMcsKindWork, "SCREEN")) return 0;
  return GmemWriteScreen(buf);
}
void GmemDeleteScreen() { McsDeleteByKind(kMcsKindWork, "SCREEN"); }

const u8 *GmemPictDataPtr(i32 n) {
  if (n < 1 || n > 20) return nullptr;
  char name[12];
  NumberedName("PICT", n, name);
  u32 size = 0;
  u8 *data = nullptr;
  // A picture shorter than its two planes counts as missing.
  if (McsOpenByKindPtr(kKindPict, name, &size, &data) != 0 || data == nullptr || size < kPictBytes) return nullptr;
  return data;
}

u32 GmemRecallPict(u8 *buf, i32 n) {
  const u8 *data = GmemPictDataPtr(n);
  if (data == nullptr) return 4;
  std::memcpy(buf, data, kPictBytes);
  return 0;
}

u32 GmemStorePict(const u8 *buf, i32 n) {
  if (n < 1 || n > 20) return 4;
  char name[12];
  NumberedName("PICT", n, name);
  return WriteBytes(kKindPict, name, buf, kPictBytes);
}

void GmemDeletePict(i32 n) {
  char name[12];
  NumberedName("PICT", n, name);
  McsDeleteByKind(kKindPict, name);
}
