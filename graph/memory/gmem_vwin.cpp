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

u32 ReadItem(const char *name, VwinRecord *rec) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kKindVwin, name, &size, &data) != 0 || data == nullptr || size < kVwinBytes) return 4;
  std::memcpy(rec, data, kVwinBytes);
  return 0;
}

u32 WriteItem(const char *name, const VwinRecord *rec) {
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kKindVwin, name, &size, &data) == 0 && size >= kVwinBytes) {
    return McsWriteByKind(kKindVwin, name, kVwinBytes, rec, 0) <= 2 ? 0 : 4;
  }
  // A missing item, or one too short to be a window, is made anew.
  McsDeleteByKind(kKindVwin, name);
  return McsCreateByKind(kKindVwin, name, kVwinBytes, rec) <= 2 ? 0 : 4;
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

u32 GmemResetVwin(i32 toVwin) {
  VwinRecord rec;
  std::memset(&rec, 0, sizeof rec);
  VwinPreset(&rec, kVwinPresetInitial);
  return GmemStoreInitialVwin(&rec, toVwin);
}

u32 GmemRecallPict(u8 *buf, i32 n) {
  if (n < 1 || n > 20) return 4;
  char name[8];
  std::snprintf(name, sizeof name, "PICT%d", static_cast<int>(n));
  u32 size = 0;
  u8 *data = nullptr;
  if (McsOpenByKindPtr(kKindPict, name, &size, &data) != 0 || data == nullptr || size < kPictBytes) return 4;
  std::memcpy(buf, data, kPictBytes);
  return 0;
}
