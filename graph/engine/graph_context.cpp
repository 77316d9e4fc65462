#include "graph/engine/graph_context.h"

#include <cmath>
#include <cstring>

#include "graph/engine/graph_axes.h"
#include "kernel/task.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/realop.h"
#include "ui/setup.h"

// ---- SET UP readers ----------------------------------------------------------

i32 GraphBackgroundPict() { return static_cast<i8>(SetupGetItem(kSetupBackground)); }
u32 GraphAxesFlag() { return SetupGetItem(kSetupAxes) == 1; }
u32 GraphDerivativeOn() { return SetupGetItem(kSetupDerivative) == 0; }
u32 GraphCoordOn() { return SetupGetItem(kSetupCoord) != 1; }
u32 GraphGridStyle() { return SetupGetItem(kSetupGrid) == 0 ? 2 : 0; }
u32 GraphSimulOn() { return SetupGetItem(kSetupSimulGraph) == 0; }
u32 GraphLabelOn() { return SetupGetItem(kSetupLabel) == 0; }
u32 GraphFuncOn() { return SetupGetItem(kSetupGraphFunc) != 1; }
u32 GraphDrawTypePlot() { return SetupGetItem(kSetupDrawType) == 1; }
u32 GraphLocusOn() { return SetupGetItem(kSetupLocus) == 0; }
u32 GraphDrawSpeedHigh() { return SetupGetItem(kSetupDrawSpeed) == 1; }

u32 GraphDualScreenMode() {
  if (SysIsAppName("@TABLE") || SysIsAppName("@RECUR")) return SetupGetItem(kSetupTableDual) == 0 ? 3 : 0;
  const u8 dual = SetupGetItem(kSetupDualScreen);
  return dual <= 2 ? dual + 1u : 0u;
}

u8 GraphSketchLineStyle() {
  switch (SetupGetItem(kSetupSketchLine)) {
    case 1: return kGraphStyleThick;
    case 2: return kGraphStyleBroken;
    case 3: return kGraphStyleDot;
    default: return kGraphStyleNormal;
  }
}

// ---- context set-up ----------------------------------------------------------

namespace {

void SetBits(u8 *byte, u8 mask, u32 on) { *byte = static_cast<u8>(on ? (*byte | mask) : (*byte & ~mask)); }

bool IsZeroOrError(const BcdReal *v) {
  BcdReal zero;
  return RealCompare(kRealCmpEq, v, RealSetZero(&zero)) != 0;
}

bool IsNegative(const BcdReal *v) {
  BcdReal zero;
  return RealCompare(kRealCmpLt, v, RealSetZero(&zero)) == 1;
}

void Negate(BcdReal *v) { RealNeg(v, v); }

// Width or height too narrow for 15 digits at both of its ends.
bool TooNarrow(const BcdReal *lo, const BcdReal *hi) {
  BcdReal d;
  RealSub(hi, lo, &d);
  const int e = RealExponent(&d);
  return RealExponent(hi) - e >= 12 && RealExponent(lo) - e >= 12;
}

}  // namespace

void GraphInitContext(GraphContext *ctx) {
  SetBits(&ctx->optionFlags, kGraphOptCoord, GraphCoordOn());
  ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphAngleMask) | ((SetupGetItem(kSetupAngle) & 3) << 2));
  SetBits(&ctx->optionFlags, kGraphOptPlot, GraphDrawTypePlot());
  ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphLabelMask) | (GraphFuncOn() ? kGraphLabelsShown : 0));
  SetBits(&ctx->optionFlags, kGraphOptSimul, GraphSimulOn());
  ctx->runFlags = 0;
  SetBits(&ctx->optionFlags, kGraphOptDerivative, GraphDerivativeOn());
  SetBits(&ctx->optionFlags, kGraphOptLabel, GraphLabelOn());
  ctx->screenFlags = static_cast<u8>((ctx->screenFlags & ~kGraphScreenModeMask) | (GraphDualScreenMode() << 4));
  SetBits(&ctx->optionFlags, kGraphOptLocus, GraphLocusOn());
  SetBits(&ctx->optionFlags, kGraphOptSpeedHigh, GraphDrawSpeedHigh());
  ctx->lineStyle = GraphSketchLineStyle();
  ctx->tableCursorRow = 1;
  ctx->tableCursorCol = 1;
  ctx->tableLeft = 1;
  ctx->tableTop = 1;
}

u32 GraphLoadVwin(GraphContext *ctx, i32 fromVwin) {
  VwinRecord rec;
  const auto read = fromVwin ? GmemReadVwin : GmemReadVwinr;
  if (read(&rec) != 0) {
    if (GmemResetVwin(fromVwin) != 0 || read(&rec) != 0) return 4;
  }
  GraphView *v = &ctx->view;
  v->xmin = rec.f[kVwinXmin];
  v->xmax = rec.f[kVwinXmax];
  v->xscale = rec.f[kVwinXscale];
  v->xdot = rec.f[kVwinXdot];
  v->xdotHalf = rec.f[kVwinXdotHalf];
  v->ymin = rec.f[kVwinYmin];
  v->ymax = rec.f[kVwinYmax];
  v->yscale = rec.f[kVwinYscale];
  v->tmin = v->plotTmin = rec.f[kVwinTmin];
  v->tmax = v->plotTmax = rec.f[kVwinTmax];
  v->tpitch = rec.f[kVwinTpitch];
  BcdReal n;
  RealSub(&v->ymax, &v->ymin, &v->ydot);
  RealDiv(&v->ydot, NumFromInt32(62, RealSetZero(&n)), &v->ydot);
  RealNormalize(&v->ydot, &v->ydot);

  if (IsZeroOrError(&v->xdot) || IsZeroOrError(&v->xdotHalf) || IsZeroOrError(&v->ydot) ||
      IsZeroOrError(&v->tpitch) || RealCompare(kRealCmpEq, &v->xmin, &v->xmax) != 0 ||
      RealCompare(kRealCmpEq, &v->ymin, &v->ymax) != 0) {
    return 28;
  }
  if (IsNegative(&v->xscale)) {
    Negate(&v->xscale);
    GmemPatchVwinField(fromVwin, kVwinXscale, &v->xscale);
  }
  if (IsNegative(&v->yscale)) {
    Negate(&v->yscale);
    GmemPatchVwinField(fromVwin, kVwinYscale, &v->yscale);
  }
  SetBits(&ctx->runFlags, kGraphRunXReversed, RealCompare(kRealCmpGt, &v->xmin, &v->xmax) == 1);
  SetBits(&ctx->runFlags, kGraphRunYReversed, RealCompare(kRealCmpGt, &v->ymin, &v->ymax) == 1);
  const bool falling = RealCompare(kRealCmpGt, &v->tmin, &v->tmax) == 1;
  if (falling != IsNegative(&v->tpitch)) {
    Negate(&v->tpitch);
    GmemPatchVwinField(fromVwin, kVwinTpitch, &v->tpitch);
  }
  if (TooNarrow(&rec.f[kVwinYmin], &rec.f[kVwinYmax])) return 28;
  if (TooNarrow(&rec.f[kVwinXmin], &rec.f[kVwinXmax])) return 28;
  return 0;
}

void GraphClearBuffer(GraphContext *ctx) {
  const u8 half = ctx->runFlags & (kGraphRunHalf | kGraphRunRightHalf);
  if (GraphScreenMode(ctx) == 1 && half == kGraphRunHalf) McsDeleteByKind(kMcsKindWork, "PLOT");
  if (!(ctx->runFlags & kGraphRunHalf)) {
    std::memset(ctx->planes, 0, sizeof ctx->planes);
  } else {
    const u32 first = (ctx->runFlags & kGraphRunRightHalf) ? 8 : 0;
    for (u32 plane = 0; plane < 2; ++plane) {
      for (u32 row = 0; row < 64; ++row) std::memset(ctx->planes + plane * kGraphPlaneBytes + row * 16 + first, 0, 8);
    }
    if (first == 8) {
      for (u32 row = 0; row < 64; ++row) ctx->planes[row * 16 + 8] |= 0x80;  // the dividing line, dot 64
    }
  }
  if (!(ctx->runFlags & kGraphRunHalf)) {
    const i32 pict = GraphBackgroundPict();
    if (pict != 0) GmemRecallPict(ctx->planes, pict);
  }
  GraphDrawAxes(&ctx->view, GraphGridStyle() | GraphAxesFlag(), ctx->planes, ctx->runFlags);
}

// ---- value <-> dot -------------------------------------------------------------

namespace {

// Digit k (0 first) of a stored real's mantissa.
u32 Digit(const BcdReal *v, int k) {
  if (k == 0) return v->b[1] & 0x0F;
  const u8 b = v->b[1 + (k + 1) / 2];
  return (k & 1) ? (b >> 4) : (b & 0x0F);
}

bool AnyDigitFrom(const BcdReal *v, int k) {
  for (; k < 15; ++k) {
    if (Digit(v, k) != 0) return true;
  }
  return false;
}

// The whole numbers 0..255 as reals, made once: the dot steps of the
// column and row conversions.
const BcdReal &SmallInt(i32 n) {
  static const struct Table {
    BcdReal v[256];
    Table() {
      for (i32 i = 0; i < 256; ++i) NumFromInt32(i, RealSetZero(&v[i]));
    }
  } table;
  return table.v[n & 0xFF];
}

const BcdReal &DotWidth(const GraphView *view, u32 flags) {
  return (flags & kGraphRunHalf) ? view->xdotHalf : view->xdot;
}

// A plain stored number (well formed, no error, no fraction, exponent -8
// to 36) as the nearest double: its 15 digits make an exact whole number
// below 2^53 and the power of ten is exact, so one rounding is all. False
// for anything else.
bool PlainToDouble(const BcdReal *v, double *out) {
  static constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const u8 *b = v->b;
  const u32 s = b[0] >> 4;
  if (s != 0 && s != 1 && s != 5 && s != 6) return false;
  const u32 tens = b[0] & 0x0F;
  if (tens > 9) return false;
  if ((b[1] & 0x0F) == 0) {
    *out = 0;  // a zero first digit reads as zero whatever follows
    return true;
  }
  // Bytes 1-8: the exponent's units digit, then the 15 digits. A nibble
  // above 9 carries into bit 4 of its byte once 6 is added to it.
  u64 w;
  std::memcpy(&w, b + 1, 8);
  constexpr u64 kLow = 0x0F0F0F0F0F0F0F0Full, kSix = 0x0606060606060606ull, kCarry = 0x1010101010101010ull;
  if ((((w & kLow) + kSix) | (((w >> 4) & kLow) + kSix)) & kCarry) return false;
  const u32 units = b[1] >> 4;
  // The 16 nibbles with the exponent's one cleared are the mantissa in
  // decimal: pairs, fours, eights and all of them joined in binary.
  u64 m = __builtin_bswap64(w) & ~(u64{0xF} << 60);
  m = (m & kLow) + ((m >> 4) & kLow) * 10;
  m = (m & 0x00FF00FF00FF00FFull) + ((m >> 8) & 0x00FF00FF00FF00FFull) * 100;
  m = (m & 0x0000FFFF0000FFFFull) + ((m >> 16) & 0x0000FFFF0000FFFFull) * 10000;
  m = (m & 0xFFFFFFFFull) + (m >> 32) * 100000000ull;
  int e = static_cast<int>(tens * 10 + units);
  if (s == 0 || s == 5) {
    if (e == 0) return false;
    e -= 100;
  }
  const int k = e - 14;
  if (k < -22 || k > 22) return false;
  double d = static_cast<double>(m);
  d = k >= 0 ? d * kPow10[k] : d / kPow10[-k];
  *out = s >= 5 ? -d : d;
  return true;
}

// The origin and dot width of the last conversion of each axis (0 x, 1
// y) as doubles, with the dot's reciprocal. A draw converts every value
// against the same two, so they are read once; their bytes are the whole
// key, and the doubles are what PlainToDouble gives for those bytes.
struct ScaleMemo {
  BcdReal origin, dot;
  bool filled, plain;
  double o, inv;
};

thread_local ScaleMemo g_scales[2];

// The origin and 1 / dot of a scale for the fast conversion: false when
// either is no plain number or the dot is zero.
bool PlainScale(const BcdReal *origin, const BcdReal *dot, int axis, double *o, double *inv) {
  ScaleMemo *m = &g_scales[axis];
  if (!m->filled || std::memcmp(&m->origin, origin, sizeof *origin) != 0 ||
      std::memcmp(&m->dot, dot, sizeof *dot) != 0) {
    double d = 0;
    m->origin = *origin;
    m->dot = *dot;
    m->filled = true;
    m->plain = PlainToDouble(origin, &m->o) && PlainToDouble(dot, &d) && d != 0;
    m->inv = m->plain ? 1 / d : 0;
  }
  *o = m->o;
  *inv = m->inv;
  return m->plain;
}

// DotsFrom in binary floating point, taken only where it cannot differ.
// The decimal chain rounds (value - origin) and the quotient to 15 digits
// and the clean-up of the last four digits moves the quotient by less than
// 1E-11 of it; the doubles (the operands, their difference, the reciprocal
// of the dot and the product) are off by a few units of 2^-53 of the
// operands. Both errors stay far below 1E-9 x (1 + (|value| + |origin|) /
// |dot|), so a quotient farther than that from every rounding edge (k +
// 0.5, and +-1000 where the decimal chain stops rounding) rounds alike in
// both. False when an operand is no plain number or the quotient is that
// near an edge: the caller then takes the decimal chain.
bool FastDotsFrom(const BcdReal *value, const BcdReal *origin, const BcdReal *dot, int axis, i32 *r, i32 *n) {
  double v, o, inv;
  if (!PlainScale(origin, dot, axis, &o, &inv) || !PlainToDouble(value, &v)) return false;
  const double t = (v - o) * inv;
  const double margin = 1e-9 * (1 + (std::fabs(v) + std::fabs(o)) * std::fabs(inv));
  const double a = std::fabs(t);
  if (std::fabs(a - 1000) <= margin) return false;
  if (a > 1000) {
    *r = t > 0 ? 1 : -1;
    return true;
  }
  // floor(t + 0.5) by truncation: |t + 0.5| is below 1001 here.
  const double half = t + 0.5;
  i32 whole = static_cast<i32>(half);
  if (half < whole) --whole;
  const double frac = half - whole;
  if (frac <= margin || frac >= 1 - margin) return false;
  *r = 0;
  *n = whole;
  return true;
}

// (value - origin) / dot, normalised, rounded: the code of the rounding
// (+1, -1) or 0 with *n; an error value gives 2.
i32 DotsFrom(const BcdReal *value, const BcdReal *origin, const BcdReal *dot, int axis, i32 *n) {
  i32 r = 0;
  if (FastDotsFrom(value, origin, dot, axis, &r, n)) return r;
  BcdReal t;
  RealSub(value, origin, &t);
  RealDiv(&t, dot, &t);
  RealNormalize(&t, &t);
  if (RealErrorCode(&t)) return 2;
  return GraphRoundToInt(&t, n);
}

u32 ToColumn(const BcdReal *x, i32 *col, const GraphView *view, u32 flags, i32 lo, i32 hi) {
  i32 n = 0;
  const i32 r = DotsFrom(x, &view->xmin, &DotWidth(view, flags), 0, &n);
  if (r == 2) return kGraphDotXError;
  if (r == 1) return kGraphDotRight;
  if (r == -1) return kGraphDotLeft;
  *col = n + 1;
  if (*col > hi) return kGraphDotRight;
  if (*col < lo) return kGraphDotLeft;
  return kGraphDotOn;
}

u32 ToRow(const BcdReal *y, i32 *row, const GraphView *view, i32 lo, i32 hi) {
  i32 n = 0;
  const i32 r = DotsFrom(y, &view->ymin, &view->ydot, 1, &n);
  if (r == 2) return kGraphDotYError;
  if (r == 1) return kGraphDotAbove;
  if (r == -1) return kGraphDotBelow;
  *row = kGraphLastRow - n;
  if (*row < lo) return kGraphDotAbove;
  if (*row > hi) return kGraphDotBelow;
  return kGraphDotOn;
}

}  // namespace

i32 GraphRoundToInt(const BcdReal *v, i32 *n) {
  BcdReal d;
  const BcdReal *x = v;
  if (RealIsFrac(v)) x = RealFracToDecimal(v, RealSetZero(&d));
  if (RealErrorCode(x)) return 1;
  if (Digit(x, 0) == 0) {
    *n = 0;
    return 0;
  }
  const bool negative = (x->b[0] >> 4) >= 5;
  const int e = RealExponent(x);
  if (e >= 3) return negative ? -1 : 1;
  if (e < -1) {
    *n = 0;
    return 0;
  }
  // Whole part from the first e + 1 digits, then the digit after them.
  i32 whole = 0;
  for (int k = 0; k <= e; ++k) whole = whole * 10 + static_cast<i32>(Digit(x, k));
  const int next = e + 1;
  const u32 d5 = Digit(x, next);
  if (!negative) {
    *n = whole + (d5 >= 5 ? 1 : 0);
  } else {
    *n = -whole - ((d5 > 5 || (d5 == 5 && AnyDigitFrom(x, next + 1))) ? 1 : 0);
  }
  return 0;
}

u32 GraphXToColumn(const BcdReal *x, i32 *col, const GraphView *view, u32 flags) {
  return ToColumn(x, col, view, flags, 1, (flags & kGraphRunHalf) ? 63 : kGraphLastColumn);
}

u32 GraphYToRow(const BcdReal *y, i32 *row, const GraphView *view) { return ToRow(y, row, view, 1, kGraphLastRow); }

u32 GraphXToColumnWide(const BcdReal *x, i32 *col, const GraphView *view, u32 flags) {
  return (flags & kGraphRunHalf) ? ToColumn(x, col, view, flags, -63, 127) : ToColumn(x, col, view, flags, -127, 255);
}

u32 GraphYToRowWide(const BcdReal *y, i32 *row, const GraphView *view) { return ToRow(y, row, view, -63, 127); }

void GraphSnapToZero(BcdReal *v, const BcdReal *dot) {
  if (RealErrorCode(v) || RealErrorCode(dot)) return;
  if (Digit(v, 0) == 0) return;
  if (RealExponent(dot) - RealExponent(v) >= 9) RealSetZero(v);
}

namespace {

// The x values of the columns 1..256 of the last view asked for, made as
// they are first asked for: a plot asks for the same columns again with
// every curve and every frame. The key is everything the value depends on.
struct ColumnValues {
  BcdReal key[4];  // Xmin, Xmax, the dot width used, the full-screen dot width
  bool half;
  u64 made[4];     // bit c - 1: x of column c is in x[c - 1]
  BcdReal x[256];
};

thread_local ColumnValues g_columns;

// The column values of this view (cleared when the view differs).
ColumnValues *ColumnsOf(const GraphView *view, u32 flags) {
  ColumnValues *c = &g_columns;
  const bool half = (flags & kGraphRunHalf) != 0;
  const BcdReal *dot = &DotWidth(view, flags);
  if (c->half != half || std::memcmp(&c->key[0], &view->xmin, sizeof(BcdReal)) != 0 ||
      std::memcmp(&c->key[1], &view->xmax, sizeof(BcdReal)) != 0 ||
      std::memcmp(&c->key[2], dot, sizeof(BcdReal)) != 0 ||
      std::memcmp(&c->key[3], &view->xdot, sizeof(BcdReal)) != 0) {
    c->key[0] = view->xmin;
    c->key[1] = view->xmax;
    c->key[2] = *dot;
    c->key[3] = view->xdot;
    c->half = half;
    std::memset(c->made, 0, sizeof c->made);
  }
  return c;
}

}  // namespace

void GraphColumnToX(BcdReal *x, i32 col, const GraphView *view, u32 flags) {
  const i32 last = (flags & kGraphRunHalf) ? 62 : 126;
  if (col - 1 == last) {
    *x = view->xmax;
    return;
  }
  ColumnValues *cache = nullptr;
  const u32 k = static_cast<u32>(col - 1);
  const u64 bit = u64{1} << (k & 63);
  if (col >= 1 && col <= 256) {
    cache = ColumnsOf(view, flags);
    if (cache->made[k >> 6] & bit) {
      *x = cache->x[k];
      return;
    }
  }
  BcdReal t;
  if (col >= 1 && col <= 256) {
    RealMul(&SmallInt(col - 1), &DotWidth(view, flags), &t);
  } else {
    NumFromInt32(col - 1, RealSetZero(&t));
    RealMul(&t, &DotWidth(view, flags), &t);
  }
  RealNormalize(&t, &t);
  RealAdd(&view->xmin, &t, &t);
  RealNormalize(&t, &t);
  GraphSnapToZero(&t, &view->xdot);
  *x = t;
  if (cache != nullptr) {
    cache->x[k] = t;
    cache->made[k >> 6] |= bit;
  }
}

void GraphRowToY(BcdReal *y, i32 row, const GraphView *view) {
  BcdReal t;
  if (row >= -192 && row <= kGraphLastRow) {
    RealMul(&SmallInt(kGraphLastRow - row), &view->ydot, &t);
  } else {
    NumFromInt32(kGraphLastRow - row, RealSetZero(&t));
    RealMul(&t, &view->ydot, &t);
  }
  RealNormalize(&t, &t);
  RealAdd(&view->ymin, &t, &t);
  RealNormalize(&t, &t);
  GraphSnapToZero(&t, &view->ydot);
  *y = t;
}

void GraphPolarToRect(const BcdReal *r, const BcdReal *theta, BcdReal *x, BcdReal *y, u16 angleUnit) {
  BcdReal c, s;
  RealCos(theta, &c, angleUnit);
  RealSin(theta, &s, angleUnit);
  RealMul(&c, r, x);
  RealNormalize(x, x);
  RealMul(&s, r, y);
  RealNormalize(y, y);
}
