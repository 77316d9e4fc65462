// The dynamic graph: its condition record, frame counts, the coefficient
// scan, frames drawn for each value, and the values programs read and set.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../eval/eval_testutil.h"
#include "graph/dyna/dyna_cond.h"
#include "graph/dyna/dyna_glue.h"
#include "graph/dyna/dyna_mem.h"
#include "graph/dyna/dyna_play.h"
#include "graph/app/graph_funcs.h"
#include "graph/engine/graph_context.h"
#include "graph/memory/gmem_func.h"
#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

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

class DynaMem : public Dyna {
 protected:
  // AX+B alone in slot 1, A = 2, the condition (1,5,1), five frames.
  void Animation(DynaCond *cond, std::vector<u8> *frames) {
    Func(1, "AX\x89" "B");
    SetA("2");
    *cond = Cond("1", "5", "1");
    frames->assign(5 * kDynaFrameBytes, 0);
    for (u32 i = 0; i < frames->size(); i += 7) (*frames)[i] = static_cast<u8>(i / 7);
  }
  static void SetA(const char *v) {
    Value value{};
    value.re = R(v);
    SysStoreVariable('A', &value);
  }
  static u32 Size(const char *name) {
    u32 size = 0;
    u8 *data = nullptr;
    return McsOpenInFolderPtr("@DYNA", name, &size, &data) == 0 ? size : 0;
  }
  static std::string Text(int slot) {
    const char *t = GmemFuncDataPtr(slot);
    return t != nullptr ? t : "(none)";
  }
};

TEST_F(DynaMem, StoreAndRecallBringTheAnimationBack) {
  DynaCond cond;
  std::vector<u8> frames;
  Animation(&cond, &frames);
  cond.speed = kDynaFast;
  cond.var = 2;
  ASSERT_EQ(DynaMemStore(frames.data(), 5, &cond), 0u);
  EXPECT_EQ(Size("D_MEM"), 968u);  // 944 + "AX+B" and its end + 19 empty slots
  EXPECT_EQ(Size("D_MEMG"), 5120u);
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenInFolderPtr("@DYNA", "D_MEMG", &size, &data), 0u);
  EXPECT_EQ(std::memcmp(data, frames.data(), frames.size()), 0);

  // Everything changed, then recalled.
  GmemDeleteFunc(1);
  Func(3, "X\xA9X");
  SetA("7");
  SetupSetItem(kSetupGrid, 0);
  DynaCond back;
  ASSERT_EQ(DynaMemRecall(&back), 0u);
  EXPECT_EQ(Text(1), "AX\x89" "B");
  EXPECT_EQ(Text(3), "(none)");
  EXPECT_TRUE(GraphFuncAttr(1) & kDynaSelectBit);
  EXPECT_EQ(evaltest::Eval("A"), "2");
  EXPECT_EQ(SetupGetItem(kSetupGrid), 1);
  EXPECT_EQ(back.speed, kDynaFast);
  EXPECT_EQ(back.var, 2);
  EXPECT_EQ(Show(back.end), "5");

  // Without frames the stored frames stay.
  ASSERT_EQ(DynaMemStore(nullptr, 5, &cond), 0u);
  EXPECT_EQ(Size("D_MEMG"), 5120u);
  // Nothing stored: 66.
  McsDeleteInFolder("@DYNA", "D_MEM");
  EXPECT_EQ(DynaMemRecall(&back), 66u);
}

TEST_F(DynaMem, DamagedMemoryChangesNothing) {
  DynaCond cond;
  std::vector<u8> frames;
  Animation(&cond, &frames);
  ASSERT_EQ(DynaMemStore(frames.data(), 5, &cond), 0u);
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenInFolderPtr("@DYNA", "D_MEM", &size, &data), 0u);
  const std::vector<u8> good(data, data + size);
  Func(1, "X");
  SetA("9");
  struct Damage {
    const char *what;
    u32 at;
    std::vector<u8> bytes;
  } damages[] = {
      {"21 functions", 14, {21, 0}},
      {"speed 0", 16 + 36, {0, 0}},
      {"speed 5", 16 + 36, {5, 0}},
      {"letter 0", 16 + 38, {0, 0}},
      {"letter 27", 16 + 38, {27, 0}},
  };
  auto put = [](const std::vector<u8> &item) {
    McsDeleteInFolder("@DYNA", "D_MEM");
    ASSERT_EQ(McsCreateInFolder("@DYNA", "D_MEM", static_cast<u32>(item.size()), item.data()), 0u);
  };
  for (const Damage &d : damages) {
    SCOPED_TRACE(d.what);
    std::vector<u8> bad = good;
    std::copy(d.bytes.begin(), d.bytes.end(), bad.begin() + d.at);
    put(bad);
    DynaCond back;
    EXPECT_EQ(DynaMemRecall(&back), 4u);
    EXPECT_EQ(Text(1), "X");
    EXPECT_EQ(evaltest::Eval("A"), "9");
  }
  // A text with no end: within the item, and within 256 bytes.
  std::vector<u8> cut(good.begin(), good.begin() + 944 + 4);  // "AX+B" without its end
  put(cut);
  DynaCond back;
  EXPECT_EQ(DynaMemRecall(&back), 4u);
  std::vector<u8> longText(good.begin(), good.begin() + 944);
  longText.insert(longText.end(), 300, 'A');
  longText.push_back(0);
  longText.insert(longText.end(), 19, 0);
  put(longText);
  EXPECT_EQ(DynaMemRecall(&back), 4u);
  EXPECT_EQ(Text(1), "X");

  // Stored frames shorter than the condition's count are never read.
  McsDeleteInFolder("@DYNA", "D_MEMG");
  ASSERT_EQ(McsCreateInFolder("@DYNA", "D_MEMG", kDynaFrameBytes, frames.data()), 0u);
  DynaStats()->framesShown = 0;
  HostPushKeyEvent(4, 8, 0, 0);  // EXIT closes the error box
  EXPECT_EQ(DynaRun(kDynaPlayStored, 5, &cond, nullptr), -11);
  EXPECT_EQ(DynaStats()->framesShown, 0u);
  HostClearKeyQueue();
}

// A recall whose functions do not fit in main memory is refused before
// anything is written: the functions, variables and settings of the moment
// stay, and the recall works once room is made.
TEST_F(DynaMem, RecallThatCannotFitChangesNothing) {
  DynaCond cond;
  std::vector<u8> frames;
  Animation(&cond, &frames);
  const std::string longText(200, '1');
  Func(2, longText.c_str());
  ASSERT_EQ(DynaMemStore(nullptr, 0, &cond), 0u);
  // Now: only a short function, other values; then memory filled so that
  // the 200-byte text no longer fits but the present items stay.
  GmemDeleteFunc(1);
  GmemDeleteFunc(2);
  Func(3, "X");
  SetA("9");
  SetupSetItem(kSetupGrid, 0);
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  ASSERT_GT(freeBytes, 400u);
  std::vector<u8> filler(freeBytes - 150, 0);
  ASSERT_EQ(McsCreateByKind(kMcsKindList, "FILL", static_cast<u32>(filler.size()), filler.data()), 0u);

  DynaCond back;
  EXPECT_EQ(DynaMemRecall(&back), 50u);
  EXPECT_EQ(Text(1), "(none)");
  EXPECT_EQ(Text(2), "(none)");
  EXPECT_EQ(Text(3), "X");
  EXPECT_EQ(evaltest::Eval("A"), "9");
  EXPECT_EQ(SetupGetItem(kSetupGrid), 0);

  ASSERT_EQ(McsDeleteByKind(kMcsKindList, "FILL"), 0u);
  ASSERT_EQ(DynaMemRecall(&back), 0u);
  EXPECT_EQ(Text(2), longText);
  EXPECT_EQ(Text(3), "(none)");
  EXPECT_EQ(evaltest::Eval("A"), "2");
}
