// The SuperH interpreter instruction by instruction: hand-built runs of
// instruction words with registers in and registers and T out, branches and
// delay slots, the decimal adder's controls, literal loads, the bus regions
// and the faults that stop a run.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "number/sh/sh_cpu.h"

namespace {

constexpr u16 RTS = 0x000B, NOP = 0x0009;

// Puts the words in place of the code image for one test.
class ShCpuTest : public ::testing::Test {
 public:
  void SetUp() override {
    g_shCpu = ShCpu{};
    ShBcdUnit = ShBcdUnitState{};
    std::memset(ShRamArea, 0, sizeof ShRamArea);
    std::memset(ShStack, 0, sizeof ShStack);
  }
  void TearDown() override { ShUseImage(nullptr, 0); }
  void Load(std::initializer_list<u16> words) { Load(std::vector<u16>(words)); }
  void Load(const std::vector<u16> &words) {
    bytes_.clear();
    for (u16 w : words) {
      bytes_.push_back(static_cast<u8>(w >> 8));
      bytes_.push_back(static_cast<u8>(w));
    }
    ShUseImage(bytes_.data(), static_cast<u32>(bytes_.size()));
  }
  u32 Run() { return ShRun(SH_IMAGE_BASE); }
  std::vector<u8> bytes_;
};

bool T() { return (g_shCpu.sr & SH_SR_T) != 0; }

// One instruction with R1 = Rn and R2 = Rm (the words encode n = 1, m = 2).
struct FlagCase {
  const char *name;
  u16 word;
  u32 rn, rm;
  bool tIn;
  u32 rnOut;
  bool tOut;
};

void RunTable(ShCpuTest *t, const FlagCase *cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const FlagCase &c = cases[i];
    t->Load({c.word, RTS, NOP});
    g_shCpu.r[1] = c.rn;
    g_shCpu.r[2] = c.rm;
    g_shCpu.sr = c.tIn ? SH_SR_T : 0;
    EXPECT_EQ(t->Run(), 0u) << c.name;
    EXPECT_EQ(g_shCpu.r[1], c.rnOut) << c.name;
    EXPECT_EQ(T(), c.tOut) << c.name;
    EXPECT_EQ(g_shCpu.r[2], c.rm) << c.name;
  }
}

TEST_F(ShCpuTest, FlagSettingFamilies) {
  const FlagCase cases[] = {
      {"ADDC carry out", 0x312E, 0xFFFFFFFF, 1, false, 0, true},
      {"ADDC carry in", 0x312E, 1, 1, true, 3, false},
      {"ADDC carry in wraps", 0x312E, 0xFFFFFFFF, 0, true, 0, true},
      {"ADDC no carry", 0x312E, 0xFFFFFFFE, 1, false, 0xFFFFFFFF, false},
      {"ADDV positive overflow", 0x312F, 0x7FFFFFFF, 1, false, 0x80000000, true},
      {"ADDV negative overflow", 0x312F, 0x80000000, 0xFFFFFFFF, false, 0x7FFFFFFF, true},
      {"ADDV mixed signs", 0x312F, 1, 0xFFFFFFFF, true, 0, false},
      {"ADDV two negatives", 0x312F, 0xFFFFFFFF, 0xFFFFFFFF, false, 0xFFFFFFFE, false},
      {"SUBC borrow out", 0x312A, 0, 1, false, 0xFFFFFFFF, true},
      {"SUBC borrow in", 0x312A, 5, 3, true, 1, false},
      {"SUBC borrow in wraps", 0x312A, 0, 0, true, 0xFFFFFFFF, true},
      {"SUBC to zero", 0x312A, 1, 0, true, 0, false},
      {"SUBV negative overflow", 0x312B, 0x80000000, 1, false, 0x7FFFFFFF, true},
      {"SUBV positive overflow", 0x312B, 0x7FFFFFFF, 0xFFFFFFFF, false, 0x80000000, true},
      {"SUBV no overflow", 0x312B, 0, 1, true, 0xFFFFFFFF, false},
      {"NEGC of 1", 0x612A, 7, 1, false, 0xFFFFFFFF, true},
      {"NEGC of 0", 0x612A, 7, 0, false, 0, false},
      {"NEGC of 0 with borrow", 0x612A, 7, 0, true, 0xFFFFFFFF, true},
      {"NEGC of the lowest", 0x612A, 7, 0x80000000, false, 0x80000000, true},
      {"DT to zero", 0x4110, 1, 2, false, 0, true},
      {"DT wraps", 0x4110, 0, 2, true, 0xFFFFFFFF, false},
      {"DT", 0x4110, 2, 2, true, 1, false},
      {"CMP/EQ equal", 0x3120, 5, 5, false, 5, true},
      {"CMP/EQ differ", 0x3120, 5, 6, true, 5, false},
      {"CMP/HS unsigned", 0x3122, 0xFFFFFFFF, 1, false, 0xFFFFFFFF, true},
      {"CMP/HS equal", 0x3122, 1, 1, false, 1, true},
      {"CMP/HS below", 0x3122, 0, 1, true, 0, false},
      {"CMP/GE signed", 0x3123, 0xFFFFFFFF, 1, true, 0xFFFFFFFF, false},
      {"CMP/GE equal", 0x3123, 1, 1, false, 1, true},
      {"CMP/HI equal", 0x3126, 1, 1, true, 1, false},
      {"CMP/HI unsigned", 0x3126, 0x80000000, 1, false, 0x80000000, true},
      {"CMP/GT signed", 0x3127, 0x80000000, 1, true, 0x80000000, false},
      {"CMP/GT", 0x3127, 2, 1, false, 2, true},
      {"CMP/PL zero", 0x4115, 0, 2, true, 0, false},
      {"CMP/PL one", 0x4115, 1, 2, false, 1, true},
      {"CMP/PL negative", 0x4115, 0x80000000, 2, true, 0x80000000, false},
      {"CMP/PZ zero", 0x4111, 0, 2, false, 0, true},
      {"CMP/PZ negative", 0x4111, 0xFFFFFFFF, 2, true, 0xFFFFFFFF, false},
      {"CMP/STR one byte equal", 0x212C, 0x12345678, 0xAB34CDEF, false, 0x12345678, true},
      {"CMP/STR none equal", 0x212C, 0x12345678, 0x21436587, true, 0x12345678, false},
      {"TST disjoint", 0x2128, 0xF0, 0x0F, false, 0xF0, true},
      {"TST common bit", 0x2128, 0xF0, 0x10, true, 0xF0, false},
  };
  RunTable(this, cases, std::size(cases));
}

TEST_F(ShCpuTest, ShiftingFamily) {
  const FlagCase cases[] = {
      {"SHLL", 0x4100, 0x80000001, 2, false, 2, true},
      {"SHAL", 0x4120, 0x80000001, 2, false, 2, true},
      {"SHLR", 0x4101, 0x80000001, 2, false, 0x40000000, true},
      {"SHAR keeps the sign", 0x4121, 0x80000002, 2, true, 0xC0000001, false},
      {"ROTL", 0x4104, 0x80000001, 2, false, 3, true},
      {"ROTR", 0x4105, 0x80000001, 2, false, 0xC0000000, true},
      {"ROTCL T out", 0x4124, 0x80000000, 2, false, 0, true},
      {"ROTCL T in", 0x4124, 1, 2, true, 3, false},
      {"ROTCR T out", 0x4125, 1, 2, false, 0, true},
      {"ROTCR T in", 0x4125, 2, 2, true, 0x80000001, false},
      {"SHLL2 leaves T", 0x4108, 0xC0000001, 2, true, 4, true},
      {"SHLL8", 0x4118, 0x12345678, 2, false, 0x34567800, false},
      {"SHLL16", 0x4128, 0x12345678, 2, true, 0x56780000, true},
      {"SHLR2", 0x4109, 0x12345678, 2, false, 0x048D159E, false},
      {"SHLR8", 0x4119, 0x12345678, 2, false, 0x00123456, false},
      {"SHLR16", 0x4129, 0x12345678, 2, true, 0x1234, true},
      {"SHAD right keeps the sign", 0x412C, 0x80000000, 0xFFFFFFFC, false, 0xF8000000, false},
      {"SHAD left 31", 0x412C, 1, 31, false, 0x80000000, false},
      {"SHAD right 32", 0x412C, 0x80000000, 0xFFFFFFE0, false, 0xFFFFFFFF, false},
      {"SHLD right", 0x412D, 0x80000000, 0xFFFFFFFC, false, 0x08000000, false},
      {"SHLD right 32", 0x412D, 0x80000000, 0xFFFFFFE0, true, 0, true},
      {"SHLD left", 0x412D, 3, 4, false, 0x30, false},
  };
  RunTable(this, cases, std::size(cases));
}

TEST_F(ShCpuTest, DivideStepsGiveTheQuotient) {
  // Unsigned 32 / 16 by sixteen DIV1 steps: divisor to the upper half, DIV0U,
  // DIV1 x 16, ROTCL, EXTU.W.
  std::vector<u16> words = {0x4228 /* SHLL16 R2 */, 0x0019 /* DIV0U */};
  for (int i = 0; i < 16; ++i) words.push_back(0x3124);  // DIV1 R2,R1
  words.insert(words.end(), {0x4124 /* ROTCL R1 */, 0x611D /* EXTU.W R1,R1 */, RTS, NOP});
  const struct {
    u32 dividend, divisor;
  } cases[] = {{100, 7}, {0xFFFF, 1}, {1234567, 1000}, {65535u * 65535u, 65535}, {0, 3}, {9, 10}};
  for (const auto &c : cases) {
    Load(words);
    g_shCpu.r[1] = c.dividend;
    g_shCpu.r[2] = c.divisor;
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(g_shCpu.r[1], c.dividend / c.divisor) << c.dividend << " / " << c.divisor;
  }
}

TEST_F(ShCpuTest, MultiplyAccumulateReadsThroughTheBusAndSaturates) {
  // Two long words and two words in the RAM area, big-endian.
  const u8 data[] = {0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF};
  const struct {
    const char *name;
    u16 word;
    bool saturate;
    u32 machIn, maclIn, mach, macl, step;
  } cases[] = {
      {"MAC.L", 0x012F, false, 0, 1, 0x3FFFFFFF, 0x00000002, 4},
      {"MAC.L saturates at 48 bits", 0x012F, true, 0, 1, 0x00007FFF, 0xFFFFFFFF, 4},
      {"MAC.W", 0x412F, false, 0, 5, 0xFFFFFFFF, 5 + 0xC0008000u, 2},
      {"MAC.W saturates MACL", 0x412F, true, 0, 0x80000000, 1, 0x80000000, 2},
  };
  for (const auto &c : cases) {
    std::memcpy(ShRamArea, data, sizeof data);
    // Both operands read the same address for MAC.L; MAC.W reads 0x8000 and 0x7FFF.
    Load({c.word, RTS, NOP});
    const bool word = c.step == 2;
    g_shCpu.r[1] = SH_RAM_BASE + (word ? 8 : 0);
    g_shCpu.r[2] = SH_RAM_BASE + (word ? 10 : 4);
    g_shCpu.mach = c.machIn;
    g_shCpu.macl = c.maclIn;
    g_shCpu.sr = c.saturate ? SH_SR_S : 0;
    ASSERT_EQ(Run(), 0u) << c.name;
    EXPECT_EQ(g_shCpu.mach, c.mach) << c.name;
    EXPECT_EQ(g_shCpu.macl, c.macl) << c.name;
    EXPECT_EQ(g_shCpu.r[1], SH_RAM_BASE + (word ? 8 : 0) + c.step) << c.name;
    EXPECT_EQ(g_shCpu.r[2], SH_RAM_BASE + (word ? 10 : 4) + c.step) << c.name;
  }
}

TEST_F(ShCpuTest, RtsAtDepthZeroRunsItsDelaySlotAndEnds) {
  Load({RTS, 0xE007 /* MOV #7,R0 */, 0xE009 /* MOV #9,R0 */, RTS, NOP});
  g_shCpu.r[0] = 1;
  EXPECT_EQ(Run(), 0u);
  EXPECT_EQ(g_shCpu.r[0], 7u);
  EXPECT_EQ(g_shCpu.stop, 1u);
}

TEST_F(ShCpuTest, NestedCallsResumeAfterTheCallAndOnlyTheOutermostRtsEnds) {
  // 0: BSR sub (offset 10) / 2: MOV #1,R1 (slot) / 4: MOV #2,R2 / 6: RTS / 8: NOP
  // 10: STS.L PR,@-R15 / 12: BSR leaf (offset 22) / 14: MOV #3,R3
  // 16: LDS.L @R15+,PR / 18: RTS / 20: MOV #4,R4 / 22: RTS / 24: MOV #5,R5
  Load({0xB003, 0xE101, 0xE202, RTS, NOP, 0x4F22, 0xB003, 0xE303, 0x4F26, RTS, 0xE404, RTS, 0xE505});
  EXPECT_EQ(Run(), 0u);
  EXPECT_EQ(g_shCpu.r[1], 1u);
  EXPECT_EQ(g_shCpu.r[2], 2u);
  EXPECT_EQ(g_shCpu.r[3], 3u);
  EXPECT_EQ(g_shCpu.r[4], 4u);
  EXPECT_EQ(g_shCpu.r[5], 5u);
  EXPECT_EQ(g_shCpu.callDepth, 0u);
  EXPECT_EQ(g_shCpu.pr, SH_IMAGE_BASE);  // the outer BSR's own address
}

TEST_F(ShCpuTest, JsrThroughALiteralAddressAndStackSaves) {
  // 0: MOV.L @(lit),R1 / 2: STS.L PR,@-R15 / 4: JSR @R1 / 6: NOP
  // 8: LDS.L @R15+,PR / 10: RTS / 12: NOP / 14: NOP (pad)
  // 16: literal = address of 20 / 20: MOV #6,R6 / 22: RTS / 24: NOP
  Load({0xD103, 0x4F22, 0x410B, NOP, 0x4F26, RTS, NOP, NOP, 0xA001, 0x0014, 0xE606, RTS, NOP});
  g_shCpu.pr = 0x12345678;
  EXPECT_EQ(Run(), 0u);
  EXPECT_EQ(g_shCpu.r[6], 6u);
  EXPECT_EQ(g_shCpu.r[1], SH_IMAGE_BASE + 20);
  EXPECT_EQ(g_shCpu.pr, 0x12345678u);  // restored from the stack
  EXPECT_EQ(ShStack[(SH_STACK_TOP - 4) / 4], 0x12345678u);
  EXPECT_EQ(g_shCpu.r[15], SH_STACK_TOP);
}

TEST_F(ShCpuTest, ConditionalBranchesAndTheirDelaySlots) {
  const struct {
    const char *name;
    u16 branch;
    bool t;
    u32 r1;  // 1 from the slot, 2 from the fall-through, 4 from the target
  } cases[] = {
      {"BT taken", 0x8901, true, 4},        {"BT not taken", 0x8901, false, 1 | 2 | 4},
      {"BF taken", 0x8B01, false, 4},       {"BF not taken", 0x8B01, true, 1 | 2 | 4},
      {"BT/S taken", 0x8D01, true, 1 | 4},  {"BT/S not taken", 0x8D01, false, 1 | 2 | 4},
      {"BF/S taken", 0x8F01, false, 1 | 4}, {"BF/S not taken", 0x8F01, true, 1 | 2 | 4},
  };
  for (const auto &c : cases) {
    // 0: branch to 6 / 2: ADD #1,R1 / 4: ADD #2,R1 / 6: ADD #4,R1 / 8: RTS / 10: NOP
    Load({c.branch, 0x7101, 0x7102, 0x7104, RTS, NOP});
    g_shCpu.r[1] = 0;
    g_shCpu.sr = c.t ? SH_SR_T : 0;
    EXPECT_EQ(Run(), 0u) << c.name;
    EXPECT_EQ(g_shCpu.r[1], c.r1) << c.name;
  }
}

TEST_F(ShCpuTest, BcdUnitControls) {
  auto step = [](u32 a, u32 b, u32 control) {
    ShBusWrite32(SH_BCD_OPERAND_A, a, 0);
    ShBusWrite32(SH_BCD_OPERAND_B, b, 0);
    ShBusWrite32(SH_BCD_CONTROL, control, 0);
    return ShBusRead32(SH_BCD_RESULT, 0);
  };
  const struct {
    const char *name;
    u32 a, b, control, latchIn, result, carry;
  } cases[] = {
      {"add carries out", 0x99999999, 0x00000001, 1, 0, 0x00000000, 1},
      {"add with the latched carry", 0, 0, 3, 1, 0x00000001, 0},
      {"add ignores the latch", 0x12, 0x34, 1, 1, 0x46, 0},
      {"subtract borrows", 0, 0x00000001, 0, 0, 0x99999999, 1},
      {"subtract the latched borrow", 0x50, 0x20, 2, 1, 0x29, 0},
      {"subtract the latched borrow, none", 0x50, 0x20, 2, 0, 0x30, 0},
      {"subtract a forced borrow", 0x50, 0x20, 4, 0, 0x29, 0},
      {"subtract a forced borrow across zero", 0, 0, 4, 0, 0x99999999, 1},
      {"nibbles count at face value", 0x0000000A, 0x00000001, 1, 0, 0x00000011, 0},
  };
  for (const auto &c : cases) {
    ShBcdUnit.carry = c.latchIn;
    EXPECT_EQ(step(c.a, c.b, c.control), c.result) << c.name;
    EXPECT_EQ(ShBcdUnit.carry, c.carry) << c.name;
    EXPECT_EQ(ShBcdUnit.control >> 12 & 1, c.carry) << c.name;
    EXPECT_EQ(ShBcdUnit.control & 0xFFF, c.control) << c.name;
  }
  // A long write to an operand clears the control register, bit 12 included.
  step(0x99999999, 1, 1);
  ASSERT_NE(ShBcdUnit.control, 0u);
  ShBusWrite32(SH_BCD_OPERAND_A, 5, 0);
  EXPECT_EQ(ShBcdUnit.control, 0u);
  // A word write to the control register is zero-extended and runs the unit.
  ShBusWrite32(SH_BCD_OPERAND_B, 3, 0);
  ShBusWrite16(SH_BCD_CONTROL, 0xFFFF0001u, 0);  // a register's upper half rides along
  EXPECT_EQ(ShBcdUnit.result, 8u);
  EXPECT_EQ(ShBcdUnit.control, 1u);
  EXPECT_EQ(g_shCpu.fault, 0u);
}

TEST_F(ShCpuTest, LiteralLoadsAreEmulatedAddressesThatTheBusRoutes) {
  // 0: MOV.L @(lit0),R1 / 2: MOV.L @(lit1),R2 / 4: MOV.L @(lit2),R3
  // 6: MOV.L R4,@R1 / 8: MOV.L R5,@R2 / 10: MOV.W @(lit3),R6 / 12: RTS / 14: NOP
  // 16: 0xA44C0014 / 20: 0x80302004 / 24: 65535 / 28: 0x8001
  Load({0xD103, 0xD204, 0xD304, 0x2142, 0x2252, 0x9607, RTS, NOP, 0xA44C, 0x0014, 0x8030, 0x2004, 0x0000, 0xFFFF,
        0x8001});
  g_shCpu.r[4] = 0x12345678;
  g_shCpu.r[5] = 0x0A0B0C0D;
  EXPECT_EQ(Run(), 0u);
  EXPECT_EQ(g_shCpu.r[1], SH_BCD_OPERAND_A);
  EXPECT_EQ(g_shCpu.r[2], SH_RAM_BASE + 4);
  EXPECT_EQ(g_shCpu.r[3], 65535u);
  EXPECT_EQ(g_shCpu.r[6], 0xFFFF8001u);  // MOV.W sign-extends
  EXPECT_EQ(ShBcdUnit.a, 0x12345678u);
  const u8 ram[] = {0x0A, 0x0B, 0x0C, 0x0D};
  EXPECT_EQ(std::memcmp(ShRamArea + 4, ram, 4), 0);
}

TEST_F(ShCpuTest, PostIncrementLoadIntoItsOwnBaseRegister) {
  ShRamArea[3] = 0x85;
  ShRamArea[4] = 0x11;
  const struct {
    const char *name;
    u16 word;
    u32 r1, r2;
  } cases[] = {
      {"MOV.B @R1+,R1", 0x6114, 0xFFFFFF85, SH_RAM_BASE + 3},
      {"MOV.B @R2+,R1", 0x6124, 0xFFFFFF85, SH_RAM_BASE + 4},
      {"MOV.W @R1+,R1", 0x6115, 0xFFFF8511, SH_RAM_BASE + 3},
  };
  for (const auto &c : cases) {
    Load({c.word, RTS, NOP});
    g_shCpu.r[1] = g_shCpu.r[2] = SH_RAM_BASE + 3;
    EXPECT_EQ(Run(), 0u) << c.name;
    EXPECT_EQ(g_shCpu.r[1], c.r1) << c.name;
    EXPECT_EQ(g_shCpu.r[2], c.r2) << c.name;
  }
}

TEST_F(ShCpuTest, UndefinedOpcodesOnlyAdvance) {
  for (u16 word : {0xF00C, 0xFFFD, 0xC320, 0x002B, 0x001B, 0x0038, 0x0083, 0x0000, 0x0108, 0x3121, 0x8A00}) {
    Load({word, RTS, NOP});
    for (u32 i = 0; i < 16; ++i) g_shCpu.r[i] = 0x100 + i;
    g_shCpu.sr = SH_SR_T;
    g_shCpu.pr = 0x40;
    ShCpu before = g_shCpu;
    EXPECT_EQ(Run(), 0u) << std::hex << word;
    EXPECT_EQ(std::memcmp(g_shCpu.r, before.r, 15 * sizeof(u32)), 0) << std::hex << word;
    EXPECT_EQ(g_shCpu.sr, before.sr) << std::hex << word;
    EXPECT_EQ(g_shCpu.pr, before.pr) << std::hex << word;
    EXPECT_EQ(g_shCpu.pc, before.pr + 4) << std::hex << word;  // RTS ran after it
  }
}

TEST_F(ShCpuTest, StatusRegisterLoadKeepsTheFlags) {
  // STC SR,R1 / LDC R2,SR / STC SR,R3 / RTS / NOP
  Load({0x0102, 0x420E, 0x0302, RTS, NOP});
  g_shCpu.sr = SH_SR_T | SH_SR_Q;
  g_shCpu.r[2] = 0xFFFFFFFF;
  EXPECT_EQ(Run(), 0u);
  EXPECT_EQ(g_shCpu.r[1], SH_SR_T | SH_SR_Q);
  EXPECT_EQ(g_shCpu.r[3], SH_SR_LOAD_MASK);
  EXPECT_TRUE(T());
}

// Accesses that no region takes stop the run; the caller sees the fault and
// the address, and nothing after the faulting instruction runs.
TEST_F(ShCpuTest, AccessesOutsideTheRegionsStopTheRun) {
  u8 work[12] = {0x01, 0x23, 0x45, 0x67, 0, 0, 0, 0, 0, 0, 0x10, 0x00};
  const struct {
    const char *name;
    u16 word;
    u32 r1;
    bool readOnlyWindow;
    u32 fault, address;
  } cases[] = {
      {"host-like address", 0x6012 /* MOV.L @R1,R0 */, 0x12345678, false, SH_FAULT_BUS, 0x12345678},
      {"zero page", 0x6012, 0, false, SH_FAULT_BUS, 0},
      {"past a window", 0x6012, ShWindowAddress(0) + 10, false, SH_FAULT_BUS, ShWindowAddress(0) + 10},
      {"a cleared window", 0x6012, ShWindowAddress(1), false, SH_FAULT_BUS, ShWindowAddress(1)},
      {"past the RAM area", 0x6012, SH_RAM_BASE + SH_RAM_SIZE - 2, false, SH_FAULT_BUS,
       SH_RAM_BASE + SH_RAM_SIZE - 2},
      {"write to the image", 0x2102 /* MOV.L R0,@R1 */, SH_IMAGE_BASE, false, SH_FAULT_READONLY, SH_IMAGE_BASE},
      {"write to a read-only window", 0x2102, ShWindowAddress(0), true, SH_FAULT_READONLY, ShWindowAddress(0)},
      {"byte write to the adder", 0x2100 /* MOV.B R0,@R1 */, SH_BCD_CONTROL, false, SH_FAULT_BUS,
       SH_BCD_CONTROL},
      {"jump outside the image", 0x412B /* JMP @R1 */, 0x1000, false, SH_FAULT_FETCH, 0x1000},
      {"jump to an odd address", 0x412B, SH_IMAGE_BASE + 1, false, SH_FAULT_FETCH, SH_IMAGE_BASE + 1},
  };
  for (const auto &c : cases) {
    Load({c.word, 0xE20F /* MOV #15,R2 */, RTS, NOP});
    ShClearWindows();
    ShSetWindow(0, SH_WINDOW_WORK, work, sizeof work, !c.readOnlyWindow);
    g_shCpu.r[1] = c.r1;
    g_shCpu.r[2] = 0;
    EXPECT_EQ(Run(), c.fault) << c.name;
    EXPECT_EQ(g_shCpu.fault, c.fault) << c.name;
    EXPECT_EQ(g_shCpu.faultAddress, c.address) << c.name;
    if (c.fault != SH_FAULT_FETCH) {
      EXPECT_EQ(g_shCpu.r[2], 0u) << c.name;
    }
  }
  // The stack holds 512 slots and is reached only through R15.
  Load({0x6F12 /* MOV.L @R1,R15 */, 0x60F2 /* MOV.L @R15,R0 */, RTS, NOP});
  g_shCpu.r[1] = ShWindowAddress(0);
  EXPECT_EQ(Run(), SH_FAULT_BUS);
  EXPECT_EQ(g_shCpu.faultAddress, 0x01234567u);
}

TEST_F(ShCpuTest, WindowsAreBigEndianRecords) {
  u8 ext[14] = {0x01, 0x23, 0x45, 0x67, 0x89, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x00};
  u32 var = 0x11223344;
  ShClearWindows();
  ShSetWindow(2, SH_WINDOW_EXT, ext, sizeof ext, true);
  ShSetWindow(SH_WINDOW_VARIABLE, SH_WINDOW_INT, &var, sizeof var, true);
  const u32 x = ShWindowAddress(2);
  EXPECT_EQ(ShBusRead32(x, 4), 0x01234567u);
  EXPECT_EQ(ShBusRead16(x + 12, 4), 0x1000u);  // the exponent word's value
  EXPECT_EQ(ShBusRead8(x + 12, 4), 0x10u);     // its high byte
  ShBusWrite16(x + 12, 0x5999, 4);
  EXPECT_EQ(ext[12], 0x59);
  EXPECT_EQ(ext[13], 0x99);
  EXPECT_EQ(ShBusRead32(ShWindowAddress(SH_WINDOW_VARIABLE), 4), 0x11223344u);  // a host integer
  ShBusWrite32(ShWindowAddress(SH_WINDOW_VARIABLE), 0xCAFE, 4);
  EXPECT_EQ(var, 0xCAFEu);
  EXPECT_EQ(g_shCpu.fault, 0u);
  // An integer variable takes whole accesses only.
  ShBusRead16(ShWindowAddress(SH_WINDOW_VARIABLE), 4);
  EXPECT_EQ(g_shCpu.fault, static_cast<u32>(SH_FAULT_BUS));
}

TEST_F(ShCpuTest, StackSlotsThroughR15) {
  // MOV.L R1,@-R15 / MOV.L R2,@-R15 / MOV.B R3,@R15 / MOV.L @R15+,R4
  // MOV.L @R15+,R5 / RTS / NOP
  Load({0x2F16, 0x2F26, 0x2F30, 0x64F6, 0x65F6, RTS, NOP});
  g_shCpu.r[1] = 0xAABBCCDD;
  g_shCpu.r[2] = 0x11111111;
  g_shCpu.r[3] = 0x123;
  EXPECT_EQ(Run(), 0u);
  // A byte write replaces the slot's low 8 bits; a long read reads the slot.
  EXPECT_EQ(g_shCpu.r[4], 0x11111123u);
  EXPECT_EQ(g_shCpu.r[5], 0xAABBCCDDu);
  EXPECT_EQ(ShStack[(SH_STACK_TOP - 4) / 4], 0xAABBCCDDu);
  EXPECT_EQ(g_shCpu.r[15], SH_STACK_TOP);
}

}  // namespace
