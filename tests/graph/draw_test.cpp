// Drawing into the pixel planes: pixel ops and clipping, styled dots, line
// stepping, marks and boxes; and the table element writer.
#include "graph/engine/graph_draw.h"

#include <cstdlib>
#include <set>
#include <utility>

#include "graph_testutil.h"
#include "graph/screen_save.h"
#include "memory/item_array.h"
#include "ui/lcd_shadow.h"

using namespace graphtest;

namespace {

class Draw : public Fixture {};

TEST_F(Draw, LineRestStepsDotForDot) {
  GraphLineRest(1, 1, 5, 3, ctx.planes, kGraphStyleNormal, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx), (Dots{{2, 1}, {3, 2}, {4, 2}, {5, 3}}));

  struct Case {
    int x1, y1, x2, y2;
    Dots dots;
  };
  const Case cases[] = {
      {5, 5, 5, 5, {}},                                  // equal ends: nothing
      {3, 3, 3, 6, {{3, 4}, {3, 5}, {3, 6}}},            // vertical
      {6, 2, 2, 2, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},    // backwards
      {1, 1, 3, 5, {{1, 2}, {2, 3}, {2, 4}, {3, 5}}},    // y major
      {10, 10, 7, 7, {{9, 9}, {8, 8}, {7, 7}}},          // diagonal
  };
  for (const Case &c : cases) {
    std::memset(ctx.planes, 0, sizeof ctx.planes);
    GraphLineRest(c.x1, c.y1, c.x2, c.y2, ctx.planes, kGraphStyleNormal, kGraphRunPlanesOnly);
    EXPECT_EQ(LitDots(ctx), c.dots) << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
  }
  // Style 1 draws no line; GraphDrawLine adds the first dot.
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphLineRest(1, 1, 9, 9, ctx.planes, kGraphStylePlot, kGraphRunPlanesOnly);
  EXPECT_EQ(LitCount(ctx), 0);
  GraphDrawLine(5, 5, 5, 5, ctx.planes, kGraphStyleNormal, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx), (Dots{{5, 5}}));
}

TEST_F(Draw, LevelLinesLightTheDotsOfTheirSteps) {
  // A level line lights, byte runs or not, exactly the dots its steps would
  // plot one by one: clipped to the screen, the half screens and the edge
  // strips, over what the planes held, with the dash counter moved by one
  // a step.
  struct Line {
    i32 x1, x2, y;
  };
  const Line lines[] = {
      {1, 127, 30},   {127, 1, 30},  {-40, 300, 1},  {300, -40, 63}, {9, 13, 5},   {13, 9, 5},
      {7, 16, 6},     {8, 15, 7},    {0, 8, 8},      {60, 70, 9},    {62, 64, 10}, {115, 120, 11},
      {10, 12, 0},    {10, 40, 64},  {5, 90, -3},    {200, 140, 20}, {-9, -1, 21}, {40, 41, 22},
  };
  const u8 flagSets[] = {0, kGraphRunHalf, kGraphRunHalf | kGraphRunRightHalf, kGraphRunStrip,
                         kGraphRunStrip | kGraphRunStripRight, kGraphRunXReversed};
  for (const u8 flags : flagSets) {
    const u8 f = static_cast<u8>(flags | kGraphRunPlanesOnly);
    for (const Line &l : lines) {
      u8 want[sizeof ctx.planes];
      for (u32 i = 0; i < sizeof ctx.planes; ++i) want[i] = static_cast<u8>(i * 37 % 5 == 0 ? 0x21 : 0);
      std::memcpy(ctx.planes, want, sizeof want);
      const i32 step = l.x2 > l.x1 ? 1 : -1;
      for (i32 x = l.x1; x != l.x2;) {
        x += step;
        GraphPlotPixel(x, l.y, want, kGraphOpSet0, f);
      }
      GraphSetDashCounter(5);
      GraphLineRest(l.x1, l.y, l.x2, l.y, ctx.planes, kGraphStyleNormal, f);
      EXPECT_EQ(std::memcmp(ctx.planes, want, sizeof want), 0)
          << l.x1 << ".." << l.x2 << " row " << l.y << " flags " << +flags;
      EXPECT_EQ(GraphDashCounter(), 5 + std::abs(l.x2 - l.x1)) << l.x1 << ".." << l.x2 << " flags " << +flags;
    }
  }
}

TEST_F(Draw, PixelsAreClippedAndPlacedByFlags) {
  const u8 f = kGraphRunPlanesOnly;
  for (auto [x, y] : {std::pair{0, 10}, {128, 10}, {10, 64}, {10, 0}, {-1, 5}}) {
    GraphPlotPixel(x, y, ctx.planes, kGraphOpSet0, f);
  }
  EXPECT_EQ(LitCount(ctx), 0);
  // Right half: x 1..63 land on 65..127, x 64 is dropped.
  for (int x = 1; x <= 64; ++x) GraphPlotPixel(x, 5, ctx.planes, kGraphOpSet0, f | 0xC0);
  Dots expected;
  for (int x = 65; x <= 127; ++x) expected.insert({x, 5});
  EXPECT_EQ(LitDots(ctx), expected);
  // Edge strips keep columns 1-11 or 117-127.
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  for (int x = 1; x <= 127; ++x) {
    GraphPlotPixel(x, 1, ctx.planes, kGraphOpSet0, f | kGraphRunStrip);
    GraphPlotPixel(x, 2, ctx.planes, kGraphOpSet0, f | kGraphRunStrip | kGraphRunStripRight);
  }
  int row1 = 0, row2 = 0;
  for (int x = 0; x < 128; ++x) {
    row1 += Lit(ctx, x, 1);
    row2 += Lit(ctx, x, 2);
  }
  EXPECT_EQ(row1, 11);
  EXPECT_EQ(row2, 11);
  EXPECT_TRUE(Lit(ctx, 11, 1) && !Lit(ctx, 12, 1) && Lit(ctx, 117, 2) && !Lit(ctx, 116, 2));
}

TEST_F(Draw, PixelOpsAndTheDisplay) {
  // Without "planes only" each dot also goes to display memory, lit when set
  // in either plane.
  GraphPlotPixel(10, 10, ctx.planes, kGraphOpSet1, 0);
  EXPECT_TRUE(Lit1(ctx, 10, 10));
  EXPECT_EQ(LcdTestPixel(10, 10), 1);
  GraphPlotPixel(10, 10, ctx.planes, kGraphOpSet0, 0);
  GraphPlotPixel(10, 10, ctx.planes, kGraphOpClear1, 0);
  EXPECT_FALSE(Lit1(ctx, 10, 10));
  EXPECT_EQ(LcdTestPixel(10, 10), 1);  // plane 0 still holds it
  GraphPlotPixel(10, 10, ctx.planes, kGraphOpClear0, 0);
  EXPECT_FALSE(Lit(ctx, 10, 10));
  EXPECT_EQ(LcdTestPixel(10, 10), 0);
  GraphPlotPixel(11, 10, ctx.planes, kGraphOpSet0, 0);
  GraphPlotPixel(11, 10, ctx.planes, kGraphOpSet1, 0);
  GraphPlotPixel(11, 10, ctx.planes, kGraphOpClearBoth, 0);
  EXPECT_FALSE(Lit(ctx, 11, 10));
}

TEST_F(Draw, StyledDots) {
  struct Case {
    u8 style;
    i32 dash;
    Dots dots;
  };
  const Case cases[] = {
      {2, 0, {{20, 20}}},
      {3, 7, {{20, 20}, {19, 20}, {20, 19}, {19, 19}}},
      {4, 0, {{19, 19}, {20, 19}, {21, 19}, {19, 20}, {20, 20}, {21, 20}, {19, 21}, {20, 21}, {21, 21}}},
      {5, 3, {{20, 20}, {19, 20}, {20, 19}, {19, 19}}},
      {5, 4, {}},
      {6, 1, {{19, 19}, {20, 19}, {21, 19}, {19, 20}, {21, 20}, {19, 21}, {20, 21}, {21, 21}}},
      {6, 2, {}},
      {7, 0, {{20, 19}, {19, 20}, {21, 20}, {20, 21}}},
      {8, 2, {{20, 20}}},
      {8, 3, {}},
      {9, 0, {}},  // y 20 is even
      {10, 0, {}},
      {11, 1, {{20, 20}}},
      {64, 0, {}},  // x + y even
  };
  for (const Case &c : cases) {
    std::memset(ctx.planes, 0, sizeof ctx.planes);
    GraphSetDashCounter(c.dash);
    EXPECT_EQ(GraphStyledDot(20, 20, ctx.planes, c.style, kGraphRunPlanesOnly), c.dash + 1) << +c.style;
    EXPECT_EQ(LitDots(ctx), c.dots) << "style " << +c.style << " dash " << c.dash;
  }
  // Style 11 on an even count and style 64 on an odd x + y use plane 1.
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphSetDashCounter(0);
  GraphStyledDot(20, 20, ctx.planes, 11, kGraphRunPlanesOnly);
  GraphStyledDot(21, 20, ctx.planes, 64, kGraphRunPlanesOnly);
  EXPECT_TRUE(Lit1(ctx, 20, 20));
  EXPECT_TRUE(Lit1(ctx, 21, 20));
  // 192 clears a plane-1 dot.
  GraphStyledDot(21, 20, ctx.planes, 192, kGraphRunPlanesOnly);
  EXPECT_FALSE(Lit1(ctx, 21, 20));
}

TEST_F(Draw, BrokenLineEveryThirdStep) {
  GraphSetDashCounter(0);
  GraphDrawLine(10, 30, 22, 30, ctx.planes, kGraphStyleBroken, kGraphRunPlanesOnly);
  // Blocks at steps 0, 3, 6, 9, 12: columns 10, 13, 16, 19, 22 and their left
  // neighbours, rows 29-30.
  Dots expected;
  for (int x : {10, 13, 16, 19, 22})
    for (int dx : {0, -1})
      for (int y : {29, 30}) expected.insert({x + dx, y});
  EXPECT_EQ(LitDots(ctx), expected);
  EXPECT_EQ(GraphDashCounter(), 13);
}

TEST_F(Draw, MarksAndBoxes) {
  GraphDrawMark(0, 0, 1, ctx.planes, kGraphOpSet0, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx), (Dots{{1, 1}}));  // row and column 0 are never drawn
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphDrawMark(10, 10, 1, ctx.planes, kGraphOpSet0, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx).size(), 8u);
  EXPECT_FALSE(Lit(ctx, 10, 10));
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphDrawMark(10, 10, 2, ctx.planes, kGraphOpSet0, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx), (Dots{{9, 9}, {11, 9}, {10, 10}, {9, 11}, {11, 11}}));
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphDrawMark(10, 10, 3, ctx.planes, kGraphOpSet0, kGraphRunPlanesOnly);
  EXPECT_EQ(LitCount(ctx), 0);
  GraphDrawBox(5, 5, 8, 7, ctx.planes, kGraphStyleNormal, 0, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx).size(), 10u);  // the outline of 4 x 3 dots
  std::memset(ctx.planes, 0, sizeof ctx.planes);
  GraphDrawBox(8, 5, 5, 7, ctx.planes, kGraphStyleNormal, 1, kGraphRunPlanesOnly);
  EXPECT_EQ(LitDots(ctx).size(), 12u);
}

TEST_F(Draw, StoreMatElementStaysInsideTheMatrix) {
  constexpr u8 kTable = 35;
  const BcdReal v = R("2.5");
  EXPECT_EQ(GraphStoreMatElement(kTable, 1, 1, &v), 4u);  // no table
  ASSERT_EQ(ItemMatCreate(kTable, 2, 3), 0u);
  struct Case {
    i32 row, col;
    u32 result;
  };
  for (const Case &c : {Case{2, 3, 0}, Case{1, 1, 0}, Case{3, 1, 4}, Case{1, 4, 4}, Case{0, 1, 4}, Case{1, -1, 4}}) {
    EXPECT_EQ(GraphStoreMatElement(kTable, c.row, c.col, &v), c.result) << c.row << "," << c.col;
  }
  u32 rows = 0, cols = 0;
  ASSERT_EQ(ItemMatDims(kTable, &rows, &cols), 0u);
  EXPECT_EQ(rows * 10 + cols, 23u);
  for (u32 r = 1; r <= 2; ++r)
    for (u32 c = 1; c <= 3; ++c) {
      Value got{};
      ASSERT_EQ(ItemMatGet(kTable, r, c, &got), 0u);
      EXPECT_EQ(Show(got.re), (r == 2 && c == 3) || (r == 1 && c == 1) ? "2.5" : "0") << r << "," << c;
    }
}

TEST_F(Draw, ShowBufferPutsBitmapsOnTheDisplay) {
  u8 full[1024] = {};
  full[16 * 5 + 1] = 0x80;  // dot (8, 5)
  GraphShowBuffer(full, 0);
  EXPECT_EQ(LcdTestPixel(8, 5), 1);
  u8 half[512] = {};
  half[8 * 7] = 0x40;  // dot (1, 7) of a 64-dot half
  GraphShowBuffer(half, kGraphRunHalf | kGraphRunRightHalf);
  EXPECT_EQ(LcdTestPixel(65, 7), 1);
  EXPECT_EQ(LcdTestPixel(1, 7), 0);
  EXPECT_EQ(LcdTestPixel(8, 5), 1);  // the left half stays
}

TEST_F(Draw, ShowBufferReplacesTheWholeScreen) {
  // Every byte of a full bitmap, set and clear dots alike, lands in display
  // memory and on the shown screen over whatever both held, and the window
  // hears of it.
  u8 old[1024], full[1024];
  for (u32 i = 0; i < 1024; ++i) {
    old[i] = static_cast<u8>(i * 29 + 7);
    full[i] = static_cast<u8>(i * 131 + 3);
  }
  GraphShowBuffer(old, 0);
  LcdSetPixel(40, 40, 1);
  ShellSetLcdByte(3, 3, 0x5A);
  const u32 serial = ShellDisplaySerial();
  GraphShowBuffer(full, 0);
  EXPECT_NE(ShellDisplaySerial(), serial);
  for (i32 y = 0; y < 64; ++y)
    for (i32 col = 0; col < 16; ++col) {
      const u8 want = full[16 * y + col];
      ASSERT_EQ(LcdVramAddress()[16 * y + col], want) << "display memory byte " << col << " row " << y;
      ASSERT_EQ(ShellGetLcdByte(col, y), want) << "shown byte " << col << " row " << y;
    }
}

TEST_F(Draw, CursorStateRoundTrips) {
  GraphSetCursor(40, 20);
  u8 saved[9];
  GraphSaveCursorState(saved);
  GraphSetCursor(3, 4);
  GraphCursorState()->shown = 0;
  GraphRestoreCursorState(saved);
  EXPECT_EQ(GraphCursorState()->x, 40);
  EXPECT_EQ(GraphCursorState()->y, 20);
  EXPECT_EQ(GraphCursorShown(), 1u);
  EXPECT_EQ(GraphLcdTestPixel(-1, 0), 0);
  GraphLcdHRule(5, static_cast<i8>(0xC0));
  EXPECT_EQ(GraphLcdTestPixel(64, 5), 0);
  EXPECT_EQ(GraphLcdTestPixel(65, 5), 1);
  EXPECT_EQ(GraphLcdTestPixel(127, 5), 1);
}

}  // namespace
