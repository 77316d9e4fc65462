// The dynamic graph: its condition record, frame counts, the coefficient
// scan, frames drawn for each value, and the values programs read and set.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../eval/eval_testutil.h"
#include "graph/dyna/dyna_cond.h"
#include "graph/dyna/dyna_glue.h"
#include "graph/dyna/dyna_play.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "kernel/calc_ram.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

using numtest::R;
using numtest::Show;

class Dyna : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    evaltest::ResetState();
    SetupSetItem(kSetupAngle, 1);
    SetupSetItem(kSetupGrid, 1);
  }
  void TearDown() override {
    evaltest::ResetState();
    HostFreeCalcRam();
  }
  static void Func(int slot, const std::string &text, bool selected = true, u16 type = kGraphFuncY) {
    const u8 head[4] = {static_cast<u8>(type & 0xFF), static_cast<u8>(type >> 8),
                        static_cast<u8>(selected ? kDynaSelectBit : 0), 2};
    ASSERT_EQ(GmemWriteFuncItem(slot, head, text.c_str()), 0u);
  }
  static DynaCond Cond(const char *start, const char *end, const char *pitch) {
    DynaCond c;
    DynaResetCond(&c);
    c.start = R(start);
    c.end = R(end);
    c.pitch = R(pitch);
    return c;
  }
};

TEST_F(Dyna, FrameCountsOfRanges) {
  struct Case {
    const char *start, *end, *pitch;
    u32 code, frames;
  } cases[] = {
      {"1", "5", "1", 0, 5},    {"0", "1", "0.1", 0, 11}, {"0", "62", "1", 0, 63}, {"1", "1", "1", 0, 1},
      {"5", "1", "-1", 0, 5},   {"5", "1", "1", 28, 0},   {"1", "5", "-1", 28, 0}, {"1", "5", "0", 28, 0},
      {"0", "63", "1", 4, 0},   {"0", "1E9", "1", 4, 0},
  };
  for (const Case &c : cases) {
    const DynaCond cond = Cond(c.start, c.end, c.pitch);
    u32 n = 0;
    EXPECT_EQ(DynaFrameCount(&cond, &n), c.code) << c.start << " " << c.end << " " << c.pitch;
    if (c.code == 0) {
      EXPECT_EQ(n, c.frames);
    }
  }
}

TEST_F(Dyna, ConditionRoundTripAndDamage) {
  DynaCond c;
  EXPECT_EQ(DynaReadCond(&c), 4u);  // missing
  ASSERT_EQ(DynaReadCondOrDefault(&c), 0u);
  EXPECT_EQ(Show(c.start), "1");
  EXPECT_EQ(Show(c.end), "5");
  EXPECT_EQ(c.speed, kDynaNormal);
  EXPECT_EQ(c.var, 1);
  c.start = R("1a2");  // 1/2: stored as 0.5
  c.speed = kDynaFast;
  ASSERT_EQ(DynaWriteCond(&c), 0u);
  DynaCond back;
  ASSERT_EQ(DynaReadCond(&back), 0u);
  EXPECT_EQ(Show(back.start), "0.5");
  EXPECT_EQ(back.speed, kDynaFast);

  // A speed or letter out of range, or a short item, is refused.
  struct Damage {
    u32 offset;
    u16 value;
  } damages[] = {{36, 0}, {36, 5}, {38, 0}, {38, 27}};
  for (const Damage &d : damages) {
    ASSERT_EQ(DynaWriteCond(&c), 0u);
    ASSERT_LE(McsWriteInFolder("@DYNA", "COND", 2, &d.value, d.offset), 2u);
    EXPECT_EQ(DynaReadCond(&back), 4u) << d.offset << " " << d.value;
  }
  McsDeleteInFolder("@DYNA", "COND");
  const u8 shortItem[10] = {};
  ASSERT_EQ(McsCreateInFolder("@DYNA", "COND", sizeof shortItem, shortItem), 0u);
  EXPECT_EQ(DynaReadCond(&back), 4u);
}

TEST_F(Dyna, ScanFindsCoefficientLettersByWholeTokens) {
  // A X + B, with List 1 (0x7F 0x51) in an unselected and a selected slot:
  // the second byte 0x51 is "Q" and must not count.
  Func(1, "A\xA9X\x89" "B");
  Func(2, "\x7F\x51" "1", true);
  Func(3, "C\xA9X", false);
  DynaScanState scan;
  DynaScanFuncs(&scan);
  EXPECT_EQ(scan.selected, 2);
  EXPECT_EQ(scan.letters, 2);
  EXPECT_EQ(scan.marks['A' - 'A'], 2);
  EXPECT_EQ(scan.marks['B' - 'A'], 1);
  EXPECT_EQ(scan.marks['Q' - 'A'], 0);
  EXPECT_EQ(scan.marks['C' - 'A'], 0);
  EXPECT_EQ(scan.marks['X' - 'A'], 0);
  EXPECT_EQ(DynaScanError(&scan), 0u);

  // The moving letter becomes one that is used.
  DynaCond cond;
  DynaResetCond(&cond);
  cond.var = 26;
  ASSERT_EQ(DynaFixVar(&cond, &scan), 0u);
  EXPECT_EQ(cond.var, 1);

  // Xmin (0x7F 0x00) is one token: the letter after it still counts.
  const u8 xminTimesD[] = {0x08, 0x01, kDynaSelectBit, 2, 0x7F, 0x00, 0xA9, 'D', 0, 0};
  ASSERT_EQ(McsCreateByKind(2, "4", sizeof xminTimesD, xminTimesD), 0u);
  DynaScanFuncs(&scan);
  EXPECT_EQ(scan.marks['D' - 'A'], 1);
  McsDeleteByKind(2, "4");

  Func(1, "X\xA9X");
  McsDeleteByKind(2, "2");
  DynaScanFuncs(&scan);
  EXPECT_EQ(DynaScanError(&scan), 20u);
  Func(1, "X\xA9X", false);
  DynaScanFuncs(&scan);
  EXPECT_EQ(DynaScanError(&scan), 30u);
}

TEST_F(Dyna, EachFrameIsDrawnWithItsValue) {
  Func(1, "A\xA9X");
  DynaCond cond = Cond("1", "3", "1");
  GraphContext ctx{};
  GraphEntry entries[21];
  GraphInitContext(&ctx);
  ctx.entries = entries;
  ASSERT_EQ(DynaBuildEntries(entries), 1u);
  ASSERT_EQ(GraphLoadVwin(&ctx, 1), 0u);
  static u8 frames[3 * kDynaFrameBytes];
  ASSERT_EQ(DynaComputeFrames(&ctx, &cond, 3, frames), 0u);
  auto lit = [&](u32 f, int x, int y) { return (frames[f * 1024 + y * 16 + x / 8] & (0x80 >> (x % 8))) != 0; };
  EXPECT_TRUE(lit(0, 74, 22));   // Y = X at X = 1
  EXPECT_FALSE(lit(0, 74, 2));
  EXPECT_TRUE(lit(2, 74, 2));    // Y = 3X at X = 1
  EXPECT_TRUE(lit(2, 54, 62));   // and at X = -1
  EXPECT_FALSE(lit(2, 74, 22));
}

TEST_F(Dyna, ProgramsReadAndSetTheCondition) {
  EXPECT_EQ(evaltest::Eval("{DStart}"), "1");  // the defaults, before any condition exists
  Value v{};
  v.re = R("-2");
  const u8 dEnd[] = {0x7F, 0x0E, 0};
  const u8 *p = dEnd;
  u32 err = 9;
  ASSERT_EQ(DynaAssignValue(&p, &v, &err), 1u);
  EXPECT_EQ(err, 0u);
  BcdReal out;
  ASSERT_EQ(DynaGlueValue(1, &out), 0u);
  EXPECT_EQ(Show(out), "-2");
  // D Var changes only the letter.
  ASSERT_EQ(DynaSetVar(2), 0u);
  DynaCond c;
  ASSERT_EQ(DynaReadCond(&c), 0u);
  EXPECT_EQ(c.var, 2);
  EXPECT_EQ(Show(c.end), "-2");
  EXPECT_EQ(Show(c.start), "1");
}

}  // namespace
