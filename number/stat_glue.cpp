// The statistics values the number core reads come from the statistics
// application's result list.
#include "number/stat_glue.h"

#include "apps/stat/stat_cond.h"

u32 NumGlueStatKind() {
  Value v{};
  const i32 type = StatCalcValue(0, &v);
  if (type < 0) return 0;
  // The median-median line is a straight line y = ax + b as well.
  return type == kStatMedMed ? u32{kStatLinear} : static_cast<u32>(type);
}

int NumGlueStatValue(u8 token, BcdReal *out) {
  int code = 0;
  switch (token) {
    case 0xC2: code = kValMeanX; break;
    case 0xC4: code = kValSdnX; break;
    case 0xC8: code = kValA; break;
    case 0xC9: code = kValB; break;
    default: return 0;
  }
  Value v{};
  if (StatCalcValue(code, &v) < 0 || RealErrorCode(&v.re) != 0) return 0;
  *out = v.re;
  return 1;
}
