// The routines of the code image, run through their native entries, held
// against the native digit routines or a plain reference on random operands.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "number/digits/digits.h"
#include "number/digits/reg.h"
#include "number/sh/sh_cpu.h"
#include "number/sh/sh_thunk.h"
#include "tests/number/work_text.h"

namespace {


constexpr int kRounds = 10000;

u128 RandomRegister(std::mt19937_64 &rng, u32 maxNibble) {
  u128 m = 0;
  std::uniform_int_distribution<u32> nib(0, maxNibble);
  for (int i = 0; i < 24; ++i) m = m << 4 | nib(rng);
  return m;
}

// An extended number whose 24-digit register is m (the exponent word is
// random: the register routines leave it alone).
BcdExt ExtOf(u128 m, u16 word) {
  BcdExt x{};
  dig::SetExt(&x, m, word);
  return x;
}

std::string Hex(u128 m) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08x%016llx", static_cast<unsigned>(m >> 64),
                static_cast<unsigned long long>(m));
  return buf;
}

TEST(ShThunkRegister, AddAndSubtractAgainstPackedDecimal) {
  std::mt19937_64 rng(101);
  for (int i = 0; i < kRounds; ++i) {
    const u128 a = RandomRegister(rng, 9), b = RandomRegister(rng, 9);
    const u16 word = static_cast<u16>(rng());
    BcdExt x = ExtOf(a, word), y = ExtOf(b, 0x1234);
    const ShResult add = ShThunkRegAdd(&x, &y);
    const u128 sum = dig::BcdAddRaw(a, b, 0);
    ASSERT_EQ(add.fault, 0u);
    ASSERT_EQ(Hex(dig::ExtDigits(&x)), Hex(sum & dig::kMask96)) << Hex(a) << " + " << Hex(b);
    ASSERT_EQ(add.value, static_cast<u16>(sum >> 96 & 1));
    ASSERT_EQ(dig::ExtWord(&x), word);  // the exponent word is not touched
    ASSERT_EQ(dig::ExtDigits(&y), b);

    BcdExt z = ExtOf(a, word);
    const ShResult sub = ShThunkRegSub(&z, &y);
    const u128 diff = dig::BcdAddRaw(a, dig::kNines - b, 1);  // a - b + 10^24
    ASSERT_EQ(sub.fault, 0u);
    ASSERT_EQ(Hex(dig::ExtDigits(&z)), Hex(diff & dig::kMask96)) << Hex(a) << " - " << Hex(b);
    ASSERT_EQ(sub.value, (diff >> 96 & 1) ? 0 : 1) << "borrow of " << Hex(a) << " - " << Hex(b);
  }
}

TEST(ShThunkRegister, CarryAndBorrowRunThroughAllThreeWords) {
  const struct {
    u128 a, b;
    bool subtract;
    u128 result;
    u16 carry;
  } cases[] = {
      {dig::kNines, 1, false, 0, 1},
      {dig::Rep(0x9999999999999999ull, 0), 1, false, dig::Rep(0, 1), 0},
      {0, 1, true, dig::kNines, 1},
      {dig::Rep(0, 1), 1, true, dig::Rep(0x9999999999999999ull, 0), 0},
  };
  for (const auto &c : cases) {
    BcdExt x = ExtOf(c.a, 0), y = ExtOf(c.b, 0);
    const ShResult r = c.subtract ? ShThunkRegSub(&x, &y) : ShThunkRegAdd(&x, &y);
    EXPECT_EQ(Hex(dig::ExtDigits(&x)), Hex(c.result));
    EXPECT_EQ(r.value, c.carry);
  }
}

TEST(ShThunkRegister, DigitShiftsAgainstWideShifts) {
  std::mt19937_64 rng(102);
  for (int i = 0; i < kRounds; ++i) {
    const u128 a = RandomRegister(rng, 15);
    const u16 n = static_cast<u16>(rng() % 25);
    BcdExt r = ExtOf(a, 0x1000), l = ExtOf(a, 0x1000);
    ASSERT_EQ(ShThunkRegShiftRight(&r, n).fault, 0u);
    ASSERT_EQ(ShThunkRegShiftLeft(&l, n).fault, 0u);
    ASSERT_EQ(Hex(dig::ExtDigits(&r)), Hex(a >> (4 * n))) << Hex(a) << " >> " << n;
    ASSERT_EQ(Hex(dig::ExtDigits(&l)), Hex((a << (4 * n)) & dig::kMask96)) << Hex(a) << " << " << n;
  }
}

TEST(ShThunkRegister, MultiplyByDigitKeepsItsMultiplicandInTheRamArea) {
  std::mt19937_64 rng(103);
  for (int i = 0; i < kRounds; ++i) {
    const u128 a = RandomRegister(rng, 9);
    const u16 d = static_cast<u16>(rng() % 10);
    BcdExt x = ExtOf(a, 0x0999);
    const ShResult r = ShThunkRegMulDigit(&x, d);
    u128 product = 0;
    u16 carries = 0;
    for (u16 k = 0; k < d; ++k) {
      product = dig::BcdAddRaw(product, a, 0);
      carries = static_cast<u16>(carries + (product >> 96 & 1));
      product &= dig::kMask96;
    }
    ASSERT_EQ(r.fault, 0u);
    ASSERT_EQ(Hex(dig::ExtDigits(&x)), Hex(product)) << Hex(a) << " x " << d;
    ASSERT_EQ(r.value, carries);
    // The multiplicand went to the RAM area big-endian and stays there.
    BcdExt kept{};
    std::memcpy(kept.b, ShRamArea + 0x10, 12);
    ASSERT_EQ(dig::ExtDigits(&kept), a);
    ASSERT_EQ(g_shCpu.callDepth, 0u);
  }
}

// Extended numbers for the adder: normalised 23-digit numbers around a
// shared exponent (so that every alignment from 0 to past 23 digits turns
// up), near the ends of the range, zeros of both signs, numbers that cancel
// and numbers of other kinds.
BcdExt RandomExt(std::mt19937_64 &rng, int centre) {
  BcdExt x{};
  const u32 pick = static_cast<u32>(rng() % 20);
  if (pick == 0) return x;
  if (pick == 1) {
    dig::SetExt(&x, 0, 0x5000);
    return x;
  }
  if (pick == 2) {
    dig::ExtInf(&x, rng() & 1);
    return x;
  }
  u128 m = 1 + rng() % 9;
  const int guard = static_cast<int>(rng() % 3);  // none, some, all guard digits
  for (int i = 1; i < 23; ++i) m = m << 4 | ((i >= 15 && guard == 0) ? 0 : rng() % 10);
  if (guard == 1) m &= ~static_cast<u128>(0xFFFF);
  int e = centre + static_cast<int>(rng() % 31) - 15;
  if (e > 999) e = 999;
  if (e < -999) e = -999;
  dig::SetExt(&x, m, dig::MakeWord(e, rng() & 1));
  return x;
}

TEST(ShThunkAdder, AddAndSubtractAgainstNative) {
  using Mine = ShResult (*)(BcdExt *, BcdExt *);
  using Native = void (*)(BcdExt *, BcdExt *);
  const struct {
    const char *name;
    Mine mine;
    Native native;
  } ops[] = {
      {"add", [](BcdExt *a, BcdExt *b) { return ShThunkExtAdd(a, b); }, [](BcdExt *a, BcdExt *b) { ShExtAdd(a, b); }},
      {"add maru", [](BcdExt *a, BcdExt *b) { return ShThunkExtAddMaru(a, b); },
       [](BcdExt *a, BcdExt *b) { ShExtAddMaru(a, b); }},
      {"sub", ShThunkExtSub, ShExtSub},
      {"sub maru", ShThunkExtSubMaru, ShExtSubMaru},
  };
  std::mt19937_64 rng(106);
  for (const auto &op : ops) {
    for (int i = 0; i < kRounds; ++i) {
      const int centre = rng() % 8 == 0 ? (rng() & 1 ? 990 : -990) : static_cast<int>(rng() % 200) - 100;
      BcdExt a = RandomExt(rng, centre), b = RandomExt(rng, centre);
      if (rng() % 8 == 0) {  // the same magnitude, or one that cancels to a few digits
        b = a;
        b.b[12] ^= 0x50;
        if (rng() & 1) {
          u8 &byte = b.b[7 + rng() % 5];
          byte = static_cast<u8>((byte & 0xF0) | rng() % 10);
        }
      }
      BcdExt na = a, nb = b, sa = a, sb = b;
      op.native(&na, &nb);
      const ShResult r = op.mine(&sa, &sb);
      ASSERT_EQ(r.fault, 0u) << op.name;
      ASSERT_EQ(std::memcmp(sa.b, na.b, sizeof sa.b), 0)
          << op.name << " of " << Hex(dig::ExtDigits(&a)) << "/" << std::hex << dig::ExtWord(&a) << " and "
          << Hex(dig::ExtDigits(&b)) << "/" << dig::ExtWord(&b) << ": " << Hex(dig::ExtDigits(&sa)) << "/"
          << dig::ExtWord(&sa) << " against " << Hex(dig::ExtDigits(&na)) << "/" << dig::ExtWord(&na);
      ASSERT_EQ(std::memcmp(sb.b, nb.b, sizeof sb.b), 0) << op.name;
    }
  }
}

// Products: exponents that sum to anywhere from below -1000 to above 999, so
// that zero, infinity and the borders of normalisation all turn up.
TEST(ShThunkMultiplier, AgainstNative) {
  std::mt19937_64 rng(107);
  for (int i = 0; i < kRounds; ++i) {
    const int ea = static_cast<int>(rng() % 1999) - 999;
    const int near = rng() % 4 == 0 ? (rng() & 1 ? 999 : -1000) : static_cast<int>(rng() % 1999) - 999;
    BcdExt a = RandomExt(rng, ea), b = RandomExt(rng, near - ea);
    if (rng() % 10 == 0) dig::SetExt(&b, dig::One(dig::DigitNibble(1)), dig::MakeWord(static_cast<int>(rng() % 3), false));
    BcdExt na = a, sa = a;
    ShExtMul(&na, &b);
    const ShResult r = ShThunkExtMul(&sa, &b);
    ASSERT_EQ(r.fault, 0u);
    ASSERT_EQ(std::memcmp(sa.b, na.b, sizeof sa.b), 0)
        << Hex(dig::ExtDigits(&a)) << "/" << std::hex << dig::ExtWord(&a) << " x " << Hex(dig::ExtDigits(&b)) << "/"
        << dig::ExtWord(&b) << ": " << Hex(dig::ExtDigits(&sa)) << "/" << dig::ExtWord(&sa) << " against "
        << Hex(dig::ExtDigits(&na)) << "/" << dig::ExtWord(&na);
  }
}

TEST(ShThunkMultiplier, RangeEndsAndSigns) {
  const struct {
    const char *a, *b, *product;
  } cases[] = {
      {"9.99999999999999e999", "10", "inf"},
      {"-9.99999999999999e999", "10", "-inf"},
      {"1e-500", "1e-500", "0"},
      {"5e-500", "2e-500", "1e-999"},
      {"-2", "-3", "6"},
      {"-2", "3", "-6"},
      {"0.333333333333333", "3", "9.99999999999999e-1"},
      {"2", "0", "0"},
  };
  for (const auto &c : cases) {
    BcdExt a = numtest::ExtFromText(c.a);
    const BcdExt b = numtest::ExtFromText(c.b);
    ASSERT_EQ(ShThunkExtMul(&a, &b).fault, 0u);
    EXPECT_EQ(numtest::ExtToText(a), c.product) << c.a << " x " << c.b;
  }
}

// Quotients: exponents that differ by anywhere from below -1000 to above 999,
// digits of a below and above b's, division by zero.
TEST(ShThunkDivider, AgainstNative) {
  std::mt19937_64 rng(109);
  for (int i = 0; i < kRounds; ++i) {
    const int ea = static_cast<int>(rng() % 1999) - 999;
    const int q = rng() % 4 == 0 ? (rng() & 1 ? 999 : -999) : static_cast<int>(rng() % 1999) - 999;
    BcdExt a = RandomExt(rng, ea), b = RandomExt(rng, ea - q);
    if (rng() % 8 == 0) {  // the same digits, or one digit apart
      std::memcpy(b.b, a.b, 12);
      if (rng() & 1) b.b[1 + rng() % 10] ^= 0x01;
    }
    BcdExt na = a, sa = a;
    ShExtDiv(&na, &b);
    const ShResult r = ShThunkExtDiv(&sa, &b);
    ASSERT_EQ(r.fault, 0u);
    ASSERT_EQ(std::memcmp(sa.b, na.b, sizeof sa.b), 0)
        << Hex(dig::ExtDigits(&a)) << "/" << std::hex << dig::ExtWord(&a) << " / " << Hex(dig::ExtDigits(&b)) << "/"
        << dig::ExtWord(&b) << ": " << Hex(dig::ExtDigits(&sa)) << "/" << dig::ExtWord(&sa) << " against "
        << Hex(dig::ExtDigits(&na)) << "/" << dig::ExtWord(&na);
  }
}

TEST(ShThunkDivider, RangeEndsSignsAndZero) {
  const struct {
    const char *a, *b, *quotient;
  } cases[] = {
      {"2", "3", "6.6666666666666666666666e-1"},
      {"-6", "3", "-2"},
      {"1e-999", "10", "0"},
      {"9e999", "1e-5", "inf"},
      {"-9e999", "3e-5", "-inf"},
      {"1", "0", "undef"},
      {"0", "7", "0"},
  };
  for (const auto &c : cases) {
    BcdExt a = numtest::ExtFromText(c.a);
    const BcdExt b = numtest::ExtFromText(c.b);
    ASSERT_EQ(ShThunkExtDiv(&a, &b).fault, 0u);
    EXPECT_EQ(numtest::ExtToText(a), c.quotient) << c.a << " / " << c.b;
  }
}

// One record as both operands (x + x, x - x, x * x, x / x): each routine
// reads all of b before it writes a.
TEST(ShThunkAliasing, OneRecordAsBothOperands) {
  using Op = void (*)(BcdExt *);
  const struct {
    const char *name;
    Op mine, native;
  } ops[] = {
      {"add", [](BcdExt *x) { ShThunkExtAdd(x, x); }, [](BcdExt *x) { ShExtAdd(x, x); }},
      {"sub", [](BcdExt *x) { ShThunkExtSub(x, x); }, [](BcdExt *x) { ShExtSub(x, x); }},
      {"mul", [](BcdExt *x) { ShThunkExtMul(x, x); }, [](BcdExt *x) { ShExtMul(x, x); }},
      {"div", [](BcdExt *x) { ShThunkExtDiv(x, x); }, [](BcdExt *x) { ShExtDiv(x, x); }},
  };
  std::mt19937_64 rng(110);
  for (const auto &op : ops) {
    for (int i = 0; i < 200; ++i) {
      const BcdExt x = RandomExt(rng, static_cast<int>(rng() % 1999) - 999);
      BcdExt mine = x, native = x;
      op.mine(&mine);
      op.native(&native);
      ASSERT_EQ(std::memcmp(mine.b, native.b, sizeof mine.b), 0) << op.name << " of " << Hex(dig::ExtDigits(&x));
    }
  }
}

TEST(ShThunkRounding, AgainstNative) {
  std::mt19937_64 rng(108);
  for (int i = 0; i < kRounds; ++i) {
    const int centre = rng() % 4 == 0 ? 999 : static_cast<int>(rng() % 1999) - 999;
    BcdExt x = RandomExt(rng, centre);
    if (rng() % 4 == 0) {  // runs of nines that carry out of d1
      for (int k = 0; k < 8; ++k) x.b[k] = k == 0 ? 0x09 : 0x99;
      x.b[8] = static_cast<u8>(rng() % 10 << 4 | rng() % 10);
    }
    BcdExt native = x, mine = x;
    ShExtRound(&native);
    ASSERT_EQ(ShThunkExtRound(&mine).fault, 0u);
    ASSERT_EQ(std::memcmp(mine.b, native.b, sizeof mine.b), 0)
        << Hex(dig::ExtDigits(&x)) << "/" << std::hex << dig::ExtWord(&x) << ": " << Hex(dig::ExtDigits(&mine)) << "/"
        << dig::ExtWord(&mine) << " against " << Hex(dig::ExtDigits(&native)) << "/" << dig::ExtWord(&native);
  }
}

TEST(ShThunkAdder, AdderNeedsItsOperandWritableOnlyToSubtract) {
  BcdExt a{}, b{};
  dig::SetExt(&a, dig::One(dig::DigitNibble(1)), 0x1000);
  dig::SetExt(&b, dig::One(dig::DigitNibble(1)) * 2, 0x1000);
  EXPECT_EQ(ShThunkExtSub(&a, &b).fault, 0u);
  EXPECT_EQ(dig::ExtWord(&a), 0x6000);  // 1 - 2 = -1
  EXPECT_EQ(dig::ExtWord(&b), 0x6000);  // b flipped in place
}

// Working numbers: normalised digits and valid exponent words, with zeros,
// equal pairs and pairs that differ in one place.
BcdWork RandomWork(std::mt19937_64 &rng) {
  BcdWork x{};
  if (rng() % 10 == 0) return x;
  u64 digits = 1 + rng() % 9;
  for (int i = 1; i < 15; ++i) digits = digits << 4 | rng() % 10;
  const int e = static_cast<int>(rng() % 1999) - 999;
  dig::SetWork(&x, static_cast<u128>(digits) << 32, dig::MakeWord(e, rng() & 1));
  return x;
}

TEST(ShThunkCompare, AgainstShWorkCompare) {
  std::mt19937_64 rng(104);
  for (int i = 0; i < kRounds; ++i) {
    const BcdWork a = RandomWork(rng);
    BcdWork b = RandomWork(rng);
    switch (rng() % 4) {
      case 0: b = a; break;
      case 1: b = a; b.b[rng() % 8] ^= 0x01; break;
      case 2: b = a; b.b[11] ^= 0x01; break;
      default: break;
    }
    const ShResult r = ShThunkWorkCompare(&a, &b);
    ASSERT_EQ(r.fault, 0u);
    ASSERT_EQ(r.value, ShWorkCompare(&a, &b));
  }
}

TEST(ShThunkCompare, SignCases) {
  const struct {
    int ea, eb;
    bool na, nb;
    u16 code;
  } cases[] = {{0, 0, false, true, 4}, {0, 0, true, false, 2}, {1, 0, true, true, 2}, {0, 1, true, true, 4}};
  for (const auto &c : cases) {
    BcdWork a{}, b{};
    dig::SetWork(&a, static_cast<u128>(0x1ull << 56) << 32, dig::MakeWord(c.ea, c.na));
    dig::SetWork(&b, static_cast<u128>(0x1ull << 56) << 32, dig::MakeWord(c.eb, c.nb));
    EXPECT_EQ(ShThunkWorkCompare(&a, &b).value, c.code);
  }
  BcdWork zero{};
  EXPECT_EQ(ShThunkWorkCompare(&zero, &zero).value, 1);
}

TEST(ShThunkExponentWord, NegateAbsAndDecimalAgainstNative) {
  std::mt19937_64 rng(105);
  for (int i = 0; i < kRounds; ++i) {
    const u16 word = rng() % 20 == 0 ? 0 : dig::MakeWord(static_cast<int>(rng() % 1999) - 999, rng() & 1);
    u16 mine = word, native = word;
    ASSERT_EQ(ShThunkExpNegate(&mine).fault, 0u);
    ShExpNegate(&native);
    ASSERT_EQ(mine, native) << std::hex << word;
    mine = native = word;
    ASSERT_EQ(ShThunkExpAbs(&mine).fault, 0u);
    ShExpAbs(&native);
    ASSERT_EQ(mine, native) << std::hex << word;
    const ShResult d = ShThunkExpDecimal(&word);
    ASSERT_EQ(d.fault, 0u);
    ASSERT_EQ(static_cast<i16>(d.value), ShExpDecimal(&word)) << std::hex << word;
  }
}

TEST(ShThunkWindows, NoWindowOutlivesItsCall) {
  BcdExt a{}, b{};
  ASSERT_EQ(ShThunkRegAdd(&a, &b).fault, 0u);
  for (u32 k = 0; k < SH_WINDOW_COUNT; ++k) EXPECT_EQ(g_shCpu.windows[k].host, nullptr) << k;
  g_shCpu.stop = 0;
  g_shCpu.fault = SH_FAULT_NONE;
  ShBusRead32(ShWindowAddress(2), 0);
  EXPECT_EQ(g_shCpu.fault, static_cast<u32>(SH_FAULT_BUS));
}

TEST(ShThunkExponentWord, ReadOnlyWordIsNotWritten) {
  // The decimal exponent only reads its word; the window refuses writes, so
  // a routine that tried would fault instead of changing the caller's data.
  const u16 word = 0x6999;
  EXPECT_EQ(static_cast<i16>(ShThunkExpDecimal(&word).value), 999);
  EXPECT_EQ(word, 0x6999);
}

}  // namespace
