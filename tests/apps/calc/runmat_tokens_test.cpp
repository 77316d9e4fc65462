// The token rules of the calculation screen: which typed tokens take Ans in
// front of them after a result, and the Base-N input mapping and refusals.
#include <gtest/gtest.h>

#include <initializer_list>

#include "apps/calc/runmat.h"

namespace {

TEST(RunMatTokens, AnsPrefixTable) {
  struct Case {
    u16 token;
    bool base_n;
    bool prefixed;
  } cases[] = {
      {0x89, false, true},    // +
      {0x99, false, true},    // -
      {0xA9, false, true},    // x
      {0xB9, false, true},    // /
      {0xA8, false, true},    // ^
      {0x8B, false, true},    // square
      {0xBB, false, true},    // fraction separator
      {0x0E, false, true},    // assignment arrow
      {0x3D, false, true},    // =
      {0x01, false, true},    // an engineering suffix
      {0x7FB0, false, true},  // " And"
      {0xF901, false, true},  // to Dec
      {0xF907, false, true},  // to polar
      {'1', false, false},
      {'(', false, false},
      {0x87, false, false},   // negative sign: a unary operator
      {0x81, false, false},   // sin
      {0xC0, false, false},   // Ans itself
      {0xF908, false, false},
      {0x8B, true, false},    // square, ^, inverse and x-root take none in Base-N
      {0xA8, true, false},
      {0x9B, true, false},
      {0xB8, true, false},
      {0x89, true, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.token << (c.base_n ? " Base-N" : ""));
    EXPECT_EQ(RunMatNeedsAns(c.token, c.base_n), c.prefixed);
  }
}

TEST(RunMatTokens, BaseNDigitsAndRefusals) {
  const u16 keys[][2] = {{0x81, 0x1D}, {0x82, 0x1E}, {0x83, 0x1F}, {0x85, 0x1C}, {0x95, 0x1B}, {'7', '7'}, {0x89, 0x89}};
  for (const auto &k : keys) EXPECT_EQ(RunMatBaseNDigit(k[0]), k[1]) << std::hex << k[0];
  for (u16 t : std::initializer_list<u16>{0x2E, 0x0F, 0x86, 0xBB, 0xD0, 0x7F50, 0x7F54, 0x5B}) EXPECT_EQ(RunMatBaseNRefuses(t), -1) << std::hex << t;
  for (u16 t : std::initializer_list<u16>{'1', 0x89, 0xA9, 0xB9, 0x1A, 0xF901}) EXPECT_EQ(RunMatBaseNRefuses(t), 0) << std::hex << t;
}

}  // namespace
