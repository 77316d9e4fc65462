// The graph context: V-Window items and presets, loading the view with its
// refusals and repairs, and the conversions between values and dots.
#include "graph/engine/graph_context.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graph_testutil.h"

using namespace graphtest;

namespace {

class Context : public Fixture {};

struct Win2 {
  const char *xmin, *xmax;
};

VwinRecord Window(const char *xmin, const char *xmax, const char *ymin, const char *ymax) {
  VwinRecord rec{};
  VwinPreset(&rec, kVwinPresetInitial);
  rec.f[kVwinXmin] = R(xmin);
  rec.f[kVwinXmax] = R(xmax);
  rec.f[kVwinYmin] = R(ymin);
  rec.f[kVwinYmax] = R(ymax);
  VwinSetDots(&rec);
  VwinSetTRange(&rec);
  return rec;
}

TEST_F(Context, FreshWindowIsMadeWithTheAngleUnitsTRange) {
  struct Case {
    u8 angle;
    const char *tmax, *pitch;
  };
  for (const Case &c : {Case{0, "360", "3.6"}, Case{1, "6.2831853071796", "0.062831853071796"},
                        Case{2, "400", "4"}}) {
    McsClearAll();
    SetupSetItem(kSetupAngle, c.angle);
    GraphInitContext(&ctx);
    ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
    VwinRecord rec;
    ASSERT_EQ(GmemReadVwin(&rec), 0u);
    const char *expected[11] = {"-6.3", "6.3", "1", "0.1", "-3.1", "3.1", "1", "0", c.tmax, c.pitch,
                                "0.203225806451613"};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(Show(rec.f[i]), expected[i]) << "field " << i << " angle " << +c.angle;
    EXPECT_EQ(Show(ctx.view.ydot), "0.1");
    EXPECT_EQ(GraphAngleUnit(&ctx), c.angle);
  }
  // "VWINR" is made the same way, and the right window is loaded from it.
  EXPECT_EQ(GraphLoadVwin(&ctx, 0), 0u);
  VwinRecord right;
  EXPECT_EQ(GmemReadVwinr(&right), 0u);
}

TEST_F(Context, PresetsFollowTheAngleUnit) {
  struct Case {
    i32 code;
    u8 angle;
    const char *xmin, *xmax, *xdot, *ymin;
  };
  const Case cases[] = {
      {305, 0, "-540", "540", "8.57142857142857", "-1.6"},
      {305, 1, "-9.4247779607694", "9.4247779607694", "0.149599650170943", "-1.6"},
      {305, 2, "-600", "600", "9.52380952380952", "-1.6"},
      {307, 1, "-1.26", "1.26", "0.02", "-1.5707963267949"},
      {324, 1, "-10", "10", "0.158730158730159", "-10"},
      {344, 0, "-3.2", "3.2", "0.0507936507936508", "-0.1"},
  };
  for (const Case &c : cases) {
    SetupSetItem(kSetupAngle, c.angle);
    VwinRecord rec{};
    VwinPreset(&rec, c.code);
    EXPECT_EQ(Show(rec.f[kVwinXmin]), c.xmin) << c.code;
    EXPECT_EQ(Show(rec.f[kVwinXmax]), c.xmax) << c.code;
    EXPECT_EQ(Show(rec.f[kVwinXdot]), c.xdot) << c.code;
    EXPECT_EQ(Show(rec.f[kVwinYmin]), c.ymin) << c.code;
  }
  // Unknown codes leave the record alone.
  VwinRecord rec{};
  VwinPreset(&rec, 303);
  VwinPreset(&rec, 325);
  EXPECT_EQ(Show(rec.f[kVwinXmin]), "0");
}

TEST_F(Context, LoadRefusesUnusableWindows) {
  struct Case {
    const char *xmin, *xmax, *ymin, *ymax;
    u32 expected;
  };
  const Case cases[] = {
      {"-6.3", "6.3", "-3.1", "3.1", 0},
      {"1", "1.0000000000001", "-3.1", "3.1", 28},  // 1E-13 wide at x = 1
      {"1", "1.0000000001", "-3.1", "3.1", 0},      // 1E-10 wide
      {"-3.1", "3.1", "5", "5.00000000000001", 28},
      {"2", "2", "-3.1", "3.1", 28},
      {"-3", "3", "1", "1", 28},
      {"6.3", "-6.3", "3.1", "-3.1", 0},  // reversed axes are fine
  };
  for (const Case &c : cases) {
    VwinRecord rec = Window(c.xmin, c.xmax, c.ymin, c.ymax);
    ASSERT_EQ(GmemWriteVwin(&rec), 0u);
    GraphInitContext(&ctx);
    EXPECT_EQ(GraphLoadVwin(&ctx, 1), c.expected) << c.xmin << ".." << c.xmax << ", " << c.ymin << ".." << c.ymax;
  }
  EXPECT_EQ(ctx.runFlags & 3, kGraphRunXReversed | kGraphRunYReversed);
  // A zero T pitch is refused as well.
  VwinRecord rec = Window("-6.3", "6.3", "-3.1", "3.1");
  rec.f[kVwinTpitch] = R("0");
  ASSERT_EQ(GmemWriteVwin(&rec), 0u);
  EXPECT_EQ(GraphLoadVwin(&ctx, 1), 28u);
}

TEST_F(Context, LoadRepairsSignsInViewAndItem) {
  VwinRecord rec = Window("-6.3", "6.3", "-3.1", "3.1");
  rec.f[kVwinXscale] = R("-1");
  rec.f[kVwinYscale] = R("-0.5");
  rec.f[kVwinTmin] = R("0");
  rec.f[kVwinTmax] = R("360");
  rec.f[kVwinTpitch] = R("-3.6");
  ASSERT_EQ(GmemWriteVwin(&rec), 0u);
  GraphInitContext(&ctx);
  ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
  EXPECT_EQ(Show(ctx.view.xscale), "1");
  EXPECT_EQ(Show(ctx.view.yscale), "0.5");
  EXPECT_EQ(Show(ctx.view.tpitch), "3.6");
  VwinRecord stored;
  ASSERT_EQ(GmemReadVwin(&stored), 0u);
  EXPECT_EQ(Show(stored.f[kVwinXscale]), "1");
  EXPECT_EQ(Show(stored.f[kVwinYscale]), "0.5");
  EXPECT_EQ(Show(stored.f[kVwinTpitch]), "3.6");
  // A falling T range gets a falling pitch.
  stored.f[kVwinTmin] = R("360");
  stored.f[kVwinTmax] = R("0");
  ASSERT_EQ(GmemWriteVwin(&stored), 0u);
  ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
  EXPECT_EQ(Show(ctx.view.tpitch), "-3.6");
}

TEST_F(Context, RoundingIsHalfTowardPlusInfinity) {
  struct Case {
    const char *v;
    i32 result, n;
  };
  const Case cases[] = {
      {"0", 0, 0},     {"0.5", 0, 1},     {"-0.5", 0, 0},   {"0.49", 0, 0},     {"-0.51", 0, -1},
      {"1.5", 0, 2},   {"-1.5", 0, -1},   {"-1.53", 0, -2}, {"-1.500000000001", 0, -2},
      {"62.5", 0, 63}, {"126.49", 0, 126}, {"0.05", 0, 0},  {"999.4", 0, 999},  {"1000", 1, 0},
      {"-1000", -1, 0}, {"1e50", 1, 0},   {"-2e20", -1, 0}, {"1e-30", 0, 0},
  };
  for (const Case &c : cases) {
    i32 n = 12345;
    const BcdReal v = R(c.v);
    const i32 r = GraphRoundToInt(&v, &n);
    EXPECT_EQ(r, c.result) << c.v;
    if (r == 0) {
      EXPECT_EQ(n, c.n) << c.v;
    }
  }
}

TEST_F(Context, ValuesToDotsOnTheInitialWindow) {
  Open();
  struct Case {
    const char *v;
    u32 code;
    i32 dot;
  };
  const Case columns[] = {{"-6.3", 0, 1},       {"-6.25", 0, 2},       {"-6.35", 0, 1},   {"-6.36", 2048, 0},
                          {"0", 0, 64},         {"1.23", 0, 76},       {"6.3", 0, 127},   {"6.35", 1024, 128},
                          {"1e60", 1024, -1},   {"-1e60", 2048, -1}};
  for (const Case &c : columns) {
    i32 col = -1;
    const BcdReal x = R(c.v);
    EXPECT_EQ(GraphXToColumn(&x, &col, &ctx.view, 0), c.code) << c.v;
    if (c.dot >= 0) {
      EXPECT_EQ(col, c.dot) << c.v;
    }
  }
  const Case rows[] = {{"3.1", 0, 1},   {"3.15", 256, 0},  {"1.26", 0, 19},   {"0", 0, 32},
                       {"-3.15", 0, 63}, {"-3.16", 512, 64}, {"1e98", 256, -1}};
  for (const Case &c : rows) {
    i32 row = -1;
    const BcdReal y = R(c.v);
    EXPECT_EQ(GraphYToRow(&y, &row, &ctx.view), c.code) << c.v;
    if (c.dot >= 0) {
      EXPECT_EQ(row, c.dot) << c.v;
    }
  }
  BcdReal err;
  RealMakeError(3, &err);
  i32 dot = 0;
  EXPECT_EQ(GraphXToColumn(&err, &dot, &ctx.view, 0), 8192u);
  EXPECT_EQ(GraphYToRow(&err, &dot, &ctx.view), 4096u);
  // The wide forms reach -127..255 and -63..127.
  const BcdReal far = R("-19");
  EXPECT_EQ(GraphXToColumnWide(&far, &dot, &ctx.view, 0), 0u);
  EXPECT_EQ(dot, -126);
  const BcdReal farther = R("-19.2");
  EXPECT_EQ(GraphXToColumnWide(&farther, &dot, &ctx.view, 0), 2048u);
  const BcdReal high = R("9.5");
  EXPECT_EQ(GraphYToRowWide(&high, &dot, &ctx.view), 0u);
  EXPECT_EQ(dot, -63);
  // Half screen: 63 columns of the half-width dot.
  const BcdReal x = R("6.3");
  EXPECT_EQ(GraphXToColumn(&x, &dot, &ctx.view, kGraphRunHalf), 0u);
  EXPECT_EQ(dot, 63);
}

// The conversions written out as the decimal chain: (v - origin) / dot,
// normalised, rounded half toward +infinity; the code as the conversions
// give it for the plain screen.
u32 ChainDot(const BcdReal *v, const BcdReal *origin, const BcdReal *dot, bool rows, i32 *dotOut) {
  BcdReal t;
  RealSub(v, origin, &t);
  RealDiv(&t, dot, &t);
  RealNormalize(&t, &t);
  if (RealErrorCode(&t)) return rows ? 4096u : 8192u;
  i32 n = 0;
  const i32 r = GraphRoundToInt(&t, &n);
  if (r != 0) return rows ? (r > 0 ? 256u : 512u) : (r > 0 ? 1024u : 2048u);
  *dotOut = rows ? kGraphLastRow - n : n + 1;
  const i32 lo = rows ? -63 : -127, hi = rows ? 127 : 255;
  if (*dotOut < lo) return rows ? 256u : 2048u;
  if (*dotOut > hi) return rows ? 512u : 1024u;
  return 0;
}

// Values around a window: random 15-digit numbers across and beyond it, and
// every rounding edge origin + (k + 1/2) dot with its neighbours one unit of
// the 15th digit away, so the conversions meet values they cannot round by
// a quick estimate.
std::vector<BcdReal> ValuesAround(const BcdReal &origin, const BcdReal &dot, u64 seed) {
  std::vector<BcdReal> out;
  u64 state = seed;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  const int e0 = RealExponent(&dot) + 2;
  for (int i = 0; i < 600; ++i) {
    std::string text = (next() & 1) ? "-" : "";
    text += static_cast<char>('1' + next() % 9);
    text += '.';
    for (int k = 0; k < 14; ++k) text += static_cast<char>('0' + next() % 10);
    text += "e" + std::to_string(e0 + static_cast<int>(next() % 7) - 3);
    BcdReal v = R(text.c_str());
    RealAdd(&v, &origin, &v);
    out.push_back(v);
  }
  for (i32 k = -140; k <= 1002; ++k) {
    if (k > 260 && k < 995) continue;
    BcdReal half = R("0.5"), step, edge;
    NumFromInt32(k, RealSetZero(&step));
    RealAdd(&step, &half, &step);
    RealMul(&step, &dot, &step);
    RealAdd(&origin, &step, &edge);
    out.push_back(edge);
    char unit[16];
    std::snprintf(unit, sizeof unit, "1e%d", RealExponent(&edge) - 14);
    const BcdReal u = R(unit);
    BcdReal up, down;
    RealAdd(&edge, &u, &up);
    RealSub(&edge, &u, &down);
    out.push_back(up);
    out.push_back(down);
  }
  return out;
}

TEST_F(Context, ConversionsRoundAsTheDecimalChainDoes) {
  struct Win {
    const char *xmin, *xmax, *ymin, *ymax;
  };
  const Win windows[] = {
      {"-6.3", "6.3", "-3.1", "3.1"},
      {"-0.0000123", "0.0000377", "-5e-7", "7.5e-7"},
      {"10000000000", "10000000127", "-1e20", "2.3e20"},
      {"1", "1.0000000001", "-31", "31"},
      {"-49.95", "1048.95", "-11.2", "112.2"},
      {"6.3", "-6.3", "3.1", "-3.1"},
  };
  u64 seed = 1;
  for (const Win &w : windows) {
    VwinRecord rec = Window(w.xmin, w.xmax, w.ymin, w.ymax);
    ASSERT_EQ(GmemWriteVwin(&rec), 0u) << w.xmin;
    GraphInitContext(&ctx);
    ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u) << w.xmin;
    for (const BcdReal &x : ValuesAround(ctx.view.xmin, ctx.view.xdot, seed++)) {
      i32 want = -1000, got = -1000;
      const u32 code = ChainDot(&x, &ctx.view.xmin, &ctx.view.xdot, false, &want);
      ASSERT_EQ(GraphXToColumnWide(&x, &got, &ctx.view, 0), code) << Show(x) << " from " << w.xmin;
      if (code == 0) {
        ASSERT_EQ(got, want) << Show(x) << " from " << w.xmin;
      }
    }
    for (const BcdReal &x : ValuesAround(ctx.view.xmin, ctx.view.xdotHalf, seed++)) {
      i32 want = -1000, got = -1000;
      const u32 code = ChainDot(&x, &ctx.view.xmin, &ctx.view.xdotHalf, false, &want);
      const u32 half = GraphXToColumnWide(&x, &got, &ctx.view, kGraphRunHalf);
      if (code == 0 && (want < -63 || want > 127)) continue;  // the half screen reaches less far
      ASSERT_EQ(half, code) << Show(x) << " half from " << w.xmin;
      if (code == 0) {
        ASSERT_EQ(got, want) << Show(x) << " half from " << w.xmin;
      }
    }
    for (const BcdReal &y : ValuesAround(ctx.view.ymin, ctx.view.ydot, seed++)) {
      i32 want = -1000, got = -1000;
      const u32 code = ChainDot(&y, &ctx.view.ymin, &ctx.view.ydot, true, &want);
      ASSERT_EQ(GraphYToRowWide(&y, &got, &ctx.view), code) << Show(y) << " from " << w.ymin;
      if (code == 0) {
        ASSERT_EQ(got, want) << Show(y) << " from " << w.ymin;
      }
    }
  }
}

TEST_F(Context, ConversionsFollowEachViewWhenInterleaved) {
  // Views that share an origin or a dot width, converted in turn value by
  // value, each as the decimal chain gives it for that view.
  const Win2 xs[] = {{"-6.3", "6.3"}, {"-6.3", "19.1"}, {"0", "12.6"}, {"-6.3", "6.3"}};
  const Win2 ys[] = {{"-3.1", "3.1"}, {"-3.1", "9.3"}, {"0", "6.2"}, {"-31", "31"}};
  GraphContext views[4];
  for (int i = 0; i < 4; ++i) {
    VwinRecord rec = Window(xs[i].xmin, xs[i].xmax, ys[i].xmin, ys[i].xmax);
    ASSERT_EQ(GmemWriteVwin(&rec), 0u);
    std::memset(&views[i], 0, sizeof views[i]);
    GraphInitContext(&views[i]);
    ASSERT_EQ(GraphLoadVwin(&views[i], 1), 0u);
  }
  for (int k = -70; k <= 300; ++k) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", k / 10.0);
    const BcdReal v = R(text);
    for (int i = 0; i < 4; ++i) {
      const GraphView &view = views[i].view;
      for (bool half : {false, true}) {
        i32 want = -1000, got = -1000;
        const BcdReal &dot = half ? view.xdotHalf : view.xdot;
        const u32 code = ChainDot(&v, &view.xmin, &dot, false, &want);
        const u32 gotCode = GraphXToColumnWide(&v, &got, &view, half ? kGraphRunHalf : 0);
        if (half && code == 0 && (want < -63 || want > 127)) continue;
        ASSERT_EQ(gotCode, code) << Show(v) << " x in view " << i << (half ? " half" : "");
        if (code == 0) {
          ASSERT_EQ(got, want) << Show(v) << " x in view " << i << (half ? " half" : "");
        }
      }
      i32 want = -1000, got = -1000;
      const u32 code = ChainDot(&v, &view.ymin, &view.ydot, true, &want);
      ASSERT_EQ(GraphYToRowWide(&v, &got, &view), code) << Show(v) << " y in view " << i;
      if (code == 0) {
        ASSERT_EQ(got, want) << Show(v) << " y in view " << i;
      }
    }
  }
}

TEST_F(Context, ColumnValuesFollowTheWindow) {
  // Each column's x as the decimal chain makes it: Xmin + (c - 1) dot, the
  // last column Xmax; asked again after the window changed and changed back,
  // and on the half screen of the same window.
  auto chain = [](const GraphView &v, i32 c, bool half) {
    if (c == (half ? 63 : 127)) return Show(v.xmax);
    BcdReal t;
    NumFromInt32(c - 1, RealSetZero(&t));
    RealMul(&t, half ? &v.xdotHalf : &v.xdot, &t);
    RealNormalize(&t, &t);
    RealAdd(&v.xmin, &t, &t);
    RealNormalize(&t, &t);
    GraphSnapToZero(&t, &v.xdot);
    return Show(t);
  };
  const Win2 windows[] = {{"-6.3", "6.3"}, {"0.1", "12.8"}, {"-6.3", "6.3"}, {"-3.14159265358979", "3.14159265358979"}};
  for (const Win2 &w : windows) {
    VwinRecord rec = Window(w.xmin, w.xmax, "-3.1", "3.1");
    ASSERT_EQ(GmemWriteVwin(&rec), 0u);
    GraphInitContext(&ctx);
    ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
    for (int pass = 0; pass < 2; ++pass) {
      for (i32 c = -3; c <= 300; ++c) {
        for (bool half : {false, true}) {
          BcdReal x;
          GraphColumnToX(&x, c, &ctx.view, half ? kGraphRunHalf : 0);
          ASSERT_EQ(Show(x), chain(ctx.view, c, half)) << w.xmin << " column " << c << (half ? " half" : "");
        }
      }
    }
  }
}

TEST_F(Context, DotsToValues) {
  Open();
  struct Case {
    i32 dot;
    const char *v;
  };
  for (const Case &c : {Case{1, "-6.3"}, Case{64, "0"}, Case{100, "3.6"}, Case{127, "6.3"}}) {
    BcdReal x;
    GraphColumnToX(&x, c.dot, &ctx.view, 0);
    EXPECT_EQ(Show(x), c.v) << "column " << c.dot;
  }
  for (const Case &c : {Case{1, "3.1"}, Case{17, "1.5"}, Case{32, "0"}, Case{63, "-3.1"}}) {
    BcdReal y;
    GraphRowToY(&y, c.dot, &ctx.view);
    EXPECT_EQ(Show(y), c.v) << "row " << c.dot;
  }
  BcdReal x;
  GraphColumnToX(&x, 63, &ctx.view, kGraphRunHalf);
  EXPECT_EQ(Show(x), "6.3");
  GraphColumnToX(&x, 32, &ctx.view, kGraphRunHalf);
  EXPECT_EQ(Show(x), "0");
}

TEST_F(Context, TrigWindowSnapsTheMiddleColumnToZero) {
  VwinRecord rec{};
  VwinPreset(&rec, kVwinPresetTrig);
  ASSERT_EQ(GmemStoreInitialVwin(&rec, 1), 0u);
  GraphInitContext(&ctx);
  ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
  EXPECT_EQ(Show(ctx.view.xdot), "0.149599650170943");
  EXPECT_EQ(Show(ctx.view.xdotHalf), "0.30402509550869");
  EXPECT_EQ(Show(ctx.view.ydot), "0.0516129032258065");
  // Xmin + 63 Xdot sums to 1E-14: nine or more decades below the dot, so 0.
  BcdReal x;
  GraphColumnToX(&x, 64, &ctx.view, 0);
  EXPECT_EQ(Show(x), "0");
  const BcdReal one = R("1");
  i32 col = 0;
  EXPECT_EQ(GraphXToColumn(&one, &col, &ctx.view, 0), 0u);
  EXPECT_EQ(col, 71);
  // Snapping only ever makes a tiny value 0, never a large one.
  BcdReal big = R("5");
  const BcdReal tiny = R("1e-12");
  GraphSnapToZero(&big, &tiny);
  EXPECT_EQ(Show(big), "5");
  BcdReal small = R("1e-14");
  const BcdReal dot = R("0.1");
  GraphSnapToZero(&small, &dot);
  EXPECT_EQ(Show(small), "0");
  BcdReal kept = R("1e-9");
  GraphSnapToZero(&kept, &dot);
  EXPECT_EQ(Show(kept), "1e-9");
}

TEST_F(Context, NarrowWindowKeepsItsValues) {
  // A window 1E-10 wide near x = 1: every column keeps its own x.
  VwinRecord rec = Window("1", "1.0000000001", "-3.1", "3.1");
  ASSERT_EQ(GmemWriteVwin(&rec), 0u);
  GraphInitContext(&ctx);
  ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
  BcdReal x;
  GraphColumnToX(&x, 1, &ctx.view, 0);
  EXPECT_EQ(Show(x), "1");
  GraphColumnToX(&x, 127, &ctx.view, 0);
  EXPECT_EQ(Show(x), "1.0000000001");
}

TEST_F(Context, BackgroundPictureLiesUnderTheAxes) {
  u8 pict[2048] = {};
  pict[16 * 10 + 2] = 0x01;            // plane 0, dot (23, 10)
  pict[1024 + 16 * 50 + 12] = 0x08;    // plane 1, dot (100, 50)
  ASSERT_EQ(McsCreateByKind(7, "PICT3", sizeof pict, pict), 0u);
  SetupSetItem(kSetupBackground, 3);
  Open();
  EXPECT_TRUE(Lit(ctx, 23, 10));
  EXPECT_TRUE(Lit1(ctx, 100, 50));
  EXPECT_EQ(LitCount(ctx), 207 + 2);
  // A missing picture leaves the buffer clear.
  SetupSetItem(kSetupBackground, 4);
  GraphClearBuffer(&ctx);
  EXPECT_EQ(LitCount(ctx), 207);
  // A half screen gets no background, and its right half its dividing line.
  SetupSetItem(kSetupBackground, 3);
  ctx.runFlags = kGraphRunHalf | kGraphRunRightHalf;
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphClearBuffer(&ctx);
  EXPECT_FALSE(Lit(ctx, 100, 50));
  for (int y = 0; y < 64; ++y) EXPECT_TRUE(Lit(ctx, 64, y)) << y;
}

TEST_F(Context, InitReadsSetup) {
  SetupSetItem(kSetupDrawType, 1);
  SetupSetItem(kSetupSimulGraph, 0);
  SetupSetItem(kSetupGraphFunc, 1);
  SetupSetItem(kSetupSketchLine, 2);
  SetupSetItem(kSetupDrawSpeed, 1);
  SetupSetItem(kSetupAngle, 2);
  ctx.runFlags = 0xFF;
  GraphInitContext(&ctx);
  EXPECT_EQ(ctx.runFlags, 0);
  EXPECT_TRUE(ctx.optionFlags & kGraphOptPlot);
  EXPECT_TRUE(ctx.optionFlags & kGraphOptSimul);
  EXPECT_TRUE(ctx.optionFlags & kGraphOptSpeedHigh);
  EXPECT_EQ(ctx.screenFlags & kGraphLabelMask, 0);
  EXPECT_EQ(ctx.lineStyle, kGraphStyleBroken);
  EXPECT_EQ(GraphAngleUnit(&ctx), 2);
  EXPECT_EQ(GraphScreenMode(&ctx), 0u);
  EXPECT_EQ(ctx.tableTop, 1);
  struct Dual {
    u8 item;
    u32 mode;
  };
  for (const Dual &d : {Dual{0, 1}, Dual{1, 2}, Dual{2, 3}, Dual{3, 0}}) {
    SetupSetItem(kSetupDualScreen, d.item);
    EXPECT_EQ(GraphDualScreenMode(), d.mode);
  }
}

}  // namespace
