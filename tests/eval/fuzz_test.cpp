// Random token texts: every evaluation ends in a value or an error code,
// stays inside its text and leaves no heap block behind. The number of cases
// is fixed, so the test takes the same bounded time on every run.
#include <gtest/gtest.h>

#include <random>

#include "eval_testutil.h"
#include "kernel/heap.h"
#include "number/numparse.h"
#include "number/valop.h"

namespace {

// Tokens the texts are drawn from (Getkey, which waits 50 ms, is left out):
// operands, operators, functions, brackets,
// separators and statement tokens, weighted towards well-formed shapes.
const std::vector<std::vector<u8>> kVocabulary = {
    {'0'}, {'1'}, {'2'}, {'5'}, {'9'}, {'.'}, {0x0F}, {'A'}, {'B'}, {'X'}, {'Y'}, {'T'}, {0xCE}, {0xCD},
    {0xC0}, {0xD0}, {0x7F, 0x50}, {0x89}, {0x99}, {0xA9}, {0xB9}, {0xA8}, {0xB8}, {0x87}, {0xBB},
    {0x88}, {0x98}, {0xBA}, {0xAA}, {0x9A}, {0x8A}, {0x7F, 0x54}, {0x7F, 0xB0}, {0x7F, 0xB1},
    {0x7F, 0xB3}, {0x3D}, {0x3C}, {0x3E}, {0x10}, {0x11}, {0x12}, {0x81}, {0x82}, {0x83}, {0x91},
    {0x85}, {0x95}, {0xA5}, {0xB5}, {0x86}, {0x96}, {0x97}, {0xA6}, {0xB6}, {0xDE}, {0xB7}, {0xA7},
    {0x7F, 0x22}, {0x7F, 0x23}, {0x7F, 0x24}, {0x7F, 0x25}, {0x8B}, {0x9B}, {0xAB}, {0x9C}, {0xAC},
    {0xBC}, {0x8C}, {0x01}, {0x06}, {0x0B}, {'('}, {'('}, {')'}, {')'}, {'['}, {']'}, {'{'}, {'}'},
    {','}, {':'}, {0x0E}, {0x80}, {0xA0}, {0x84}, {0x94}, {0xA4}, {0xB4}, {0x1A}, {0x1F}, {0xFB},
    {0xC1}, {0x8D}, {0x7F, 0x26}, {0x7F, 0x40}, {0x7F, 0x51}, {0xF7, 0x00},
    {0xF9, 0x21}, {0xE5, 0x41}, {0x7F, 0x21}, {0x7F, 0x4C}, {0x14}, {'$'}, {0xF8}, {0xFA}, {0x13},
};

TEST(EvalFuzz, RandomTextsEndInAValueOrAnError) {
  std::mt19937 rng(20261210);
  evaltest::ResetState();
  int values = 0, errors = 0;
  for (int n = 0; n < 100000; ++n) {
    evaltest::SetRandomTextMode(n);
    // Up to 24 tokens, one draw in 50 any byte at all.
    std::vector<u8> text = evaltest::RandomTokenText(rng, kVocabulary, 24, 50);
    TokPos pos = text.data();
    EvalCell tok{}, r{};
    const u32 ok = EvalWholeExpr(&pos, &tok, &r, 1);
    ASSERT_GE(pos, text.data());
    ASSERT_LT(pos, text.data() + text.size());
    const u8 code = ValErrorCode(&r);
    ASSERT_EQ(ok != 0, code == 0) << n;
    ASSERT_TRUE(ok || (code >= 1 && code <= 38)) << n << " code " << int(code);
    (ok ? values : errors) += 1;
    EvalFreeCell(&r);
    // Nothing was left in the handle heap: the first slot is free.
    const MemHandle probe = MemAlloc(1);
    ASSERT_EQ(probe, kMemSlotBase) << n;
    MemFree(probe);
  }
  // The texts reach both ends.
  EXPECT_GT(values, 300);
  EXPECT_GT(errors, 1000);
  evaltest::ResetState();
}

}  // namespace

namespace {

// The evaluator's normalisation skips numbers the full operation would give
// back unchanged: both agree on random reals and complex values, the digit
// tails that change included.
TEST(EvalFuzz, NormalizeShortcutAgreesWithTheFullOperation) {
  std::mt19937 rng(7);
  const u16 tails[] = {0x0000, 0x0001, 0x0009, 0x0010, 0x5000, 0x9990, 0x9991, 0x9999};
  for (int n = 0; n < 20000; ++n) {
    Value v{};
    NumDecimal d{};
    d.sign = (rng() & 1) ? 1 : -1;
    d.exp = static_cast<int>(rng() % 199) - 99;
    d.d[0] = static_cast<u8>(1 + rng() % 9);
    for (int k = 1; k < 15; ++k) d.d[k] = static_cast<u8>(rng() % 10);
    const u16 tail = tails[rng() % 8];
    if (rng() & 1) {
      for (int k = 0; k < 4; ++k) d.d[11 + k] = static_cast<u8>((tail >> (12 - 4 * k)) & 0xF);
    }
    NumSetDecimal(&d, &v.re);
    if (rng() % 4 == 0) {
      NumSetDecimal(&d, &v.im);
      v.re.b[0] |= 0x80;
    }
    Value full;
    ValNormalize(&v, &full);
    EvalCell fast = v;
    EvalNormalizeCell(&fast);
    ASSERT_EQ(std::memcmp(&fast, &full, 9), 0) << n;
    if (v.re.b[0] & 0x80) {
      ASSERT_EQ(std::memcmp(&fast.im, &full.im, 9), 0) << n;
    }
  }
}

}  // namespace
