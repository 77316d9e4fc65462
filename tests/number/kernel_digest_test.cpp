// Every bit of the transcendental functions, pinned: each function runs over
// a large fixed set of arguments (random ones of every size the kernels
// branch on, arguments beside multiples of a right angle, tiny and huge
// ones, arguments near one and integral powers) and a digest of all the
// results must equal the one recorded when the kernels were last changed on
// purpose. Both the rounded 15-digit results of the digit-arithmetic layer
// and the 23-digit registers the kernels leave count, in the plain and in
// the fused build. A speed change of a kernel must leave every digest as it
// is; a digest that moves names the function whose results changed.
//
// CORVANTA_DIGEST_SCALE=<n> runs n times as many arguments and prints the
// digests (for a long comparison of two builds) without checking them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "number/bcd.h"
#include "number/digits/digits.h"
#include "number/digits/reg.h"

namespace {

struct Rng {
  u64 s;
  u64 Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
};

// A working number of 15 random digits, exponent emin..emax, random sign.
BcdWork RandomWork(Rng &rng, int emin, int emax, bool positive) {
  const u64 m = 100000000000000ull + rng.Next() % 900000000000000ull;
  const int e = emin + static_cast<int>(rng.Next() % static_cast<u64>(emax - emin + 1));
  BcdWork w;
  dig::SetWork(&w, static_cast<u128>(dig::BinToBcd16(m)) << 32, dig::MakeWord(e, !positive && rng.Next() % 2));
  return w;
}

// The same for the extended form with 23 random digits.
BcdExt RandomExt(Rng &rng, int emin, int emax, bool positive) {
  const u64 hi = 1000000 + rng.Next() % 9000000, lo = rng.Next() % 10000000000000000ull;
  const int e = emin + static_cast<int>(rng.Next() % static_cast<u64>(emax - emin + 1));
  BcdExt x;
  dig::SetExt(&x, static_cast<u128>(dig::BinToBcd8(static_cast<u32>(hi))) << 64 | dig::BinToBcd16(lo),
              dig::MakeWord(e, !positive && rng.Next() % 2));
  return x;
}

// k pi/2 rounded to 15 digits, moved by -3..3 units of its last digit.
BcdWork BesideRightAngle(Rng &rng, u64 kmax) {
  BcdWork k, half, unit;
  BcdFromSmallInt(0, &k);
  const u64 kk = 1 + rng.Next() % kmax;
  dig::FromU64(kk, rng.Next() % 2, &k);
  BcdPi(&half);
  BcdWork two;
  BcdFromSmallInt(2, &two);
  BcdDiv(&half, &two);
  BcdMul(&k, &half);
  const int steps = static_cast<int>(rng.Next() % 7) - 3;
  if (steps == 0) return k;
  // One unit of the fifteenth digit, times the steps.
  const int e = dig::WordExp(dig::WorkWord(&k));
  dig::SetWork(&unit, static_cast<u128>(1) << 88, dig::MakeWord(e - 14, false));
  BcdWork n;
  BcdFromSmallInt(static_cast<i16>(steps), &n);
  BcdMul(&unit, &n);
  BcdAdd(&k, &unit);
  return k;
}

struct Digest {
  u64 h = 0xcbf29ce484222325ull;
  void Add(const void *p, size_t n) {
    const u8 *b = static_cast<const u8 *>(p);
    for (size_t i = 0; i < n; ++i) {
      h ^= b[i];
      h *= 0x100000001b3ull;
    }
  }
};

using Unary = i16 (*)(BcdWork *);
using WithUnit = i16 (*)(BcdWork *, u16);

int Scale() {
  const char *s = std::getenv("CORVANTA_DIGEST_SCALE");
  return s ? std::max(1, std::atoi(s)) : 1;
}

// Arguments for a function: random ones over the exponent bands, then the
// function's own hard ones.
std::vector<BcdWork> Arguments(u64 seed, int count, const std::vector<std::pair<int, int>> &bands, bool positive,
                               bool rightAngles) {
  Rng rng{seed};
  std::vector<BcdWork> args;
  for (int n = 0; n < count; ++n) {
    const auto &[lo, hi] = bands[static_cast<size_t>(n) % bands.size()];
    args.push_back(RandomWork(rng, lo, hi, positive));
    if (rightAngles && n % 4 == 0) args.push_back(BesideRightAngle(rng, n % 8 == 0 ? 8 : 1000000));
  }
  return args;
}

u64 RunUnary(Unary f, const std::vector<BcdWork> &args) {
  Digest d;
  for (BcdWork a : args) {
    const i16 code = f(&a);
    d.Add(a.b, sizeof a.b);
    d.Add(&code, sizeof code);
  }
  return d.h;
}

u64 RunWithUnit(WithUnit f, const std::vector<BcdWork> &args) {
  Digest d;
  for (u16 unit = 0; unit < 3; ++unit)
    for (BcdWork a : args) {
      const i16 code = f(&a, unit);
      d.Add(a.b, sizeof a.b);
      d.Add(&code, sizeof code);
    }
  return d.h;
}

struct Expect {
  const char *name;
  u64 digest;
};

// The digests of the rounded results and of the 23-digit registers.
std::vector<std::pair<std::string, u64>> Digests(int scale, int *mismatches) {
  const int n = 60000 * scale;
  const std::vector<std::pair<int, int>> trigBands = {{-45, -8}, {-3, 2}, {-1, 0}, {3, 8}};
  const std::vector<std::pair<int, int>> wide = {{-99, -20}, {-19, -1}, {-3, 2}, {0, 1}, {3, 99}};
  const std::vector<std::pair<int, int>> expBands = {{-45, -8}, {-3, 1}, {0, 2}, {-1, 0}};
  const std::vector<std::pair<int, int>> nearOne = {{-1, -1}, {0, 0}};
  std::vector<std::pair<std::string, u64>> out;
  const std::vector<BcdWork> angles = Arguments(1, n, trigBands, false, true);
  out.emplace_back("sin", RunWithUnit(BcdSin, angles));
  out.emplace_back("cos", RunWithUnit(BcdCos, angles));
  out.emplace_back("tan", RunWithUnit(BcdTan, angles));
  const std::vector<BcdWork> any = Arguments(2, n, wide, false, false);
  out.emplace_back("atan", RunWithUnit(BcdAtan, any));
  const std::vector<BcdWork> unitArgs = Arguments(3, n, {{-45, -8}, {-3, -1}, {-1, -1}}, false, false);
  out.emplace_back("asin", RunWithUnit(BcdAsin, unitArgs));
  out.emplace_back("acos", RunWithUnit(BcdAcos, unitArgs));
  const std::vector<BcdWork> positive = Arguments(4, n, wide, true, false);
  const std::vector<BcdWork> near = Arguments(5, n, nearOne, true, false);
  out.emplace_back("ln", RunUnary(BcdLn, positive) ^ RunUnary(BcdLn, near));
  out.emplace_back("log", RunUnary(BcdLog10, positive) ^ RunUnary(BcdLog10, near));
  const std::vector<BcdWork> expArgs = Arguments(6, n, expBands, false, false);
  out.emplace_back("exp", RunUnary(BcdExp, expArgs));
  out.emplace_back("exp10", RunUnary(BcdExp10, expArgs));
  const Unary hyperbolic[] = {BcdSinh, BcdCosh, BcdTanh, BcdAsinh, BcdAtanh};
  const char *hyperbolicNames[] = {"sinh", "cosh", "tanh", "asinh", "atanh"};
  const std::vector<BcdWork> hypArgs = Arguments(7, n / 4, {{-45, -8}, {-3, -1}, {0, 1}}, false, false);
  for (int i = 0; i < 5; ++i) out.emplace_back(hyperbolicNames[i], RunUnary(hyperbolic[i], hypArgs));
  // Powers: x from 10^-5 to 10^5, y between -10 and 10, and integral y.
  {
    Rng rng{8};
    Digest d;
    for (int i = 0; i < n; ++i) {
      BcdWork x = RandomWork(rng, -5, 4, true), y = RandomWork(rng, -3, 0, false);
      if (i % 4 == 0) BcdFromSmallInt(static_cast<i16>(static_cast<int>(rng.Next() % 41) - 20), &y);
      if (i % 8 == 1) x.b[10] = static_cast<u8>(x.b[10] + 0x50);  // a negative base
      const i16 code = BcdPow(&x, &y);
      d.Add(x.b, sizeof x.b);
      d.Add(&code, sizeof code);
    }
    out.emplace_back("pow", d.h);
  }
  // The 23-digit registers of the kernels themselves.
  {
    Rng rng{9};
    Digest d;
    using ExtUnary = void (*)(BcdExt *);
    const ExtUnary kernels[] = {ShExtExp10, ShExtExp, ShExtLog10, ShExtLn, ShExtAtan};
    for (int i = 0; i < n; ++i) {
      const BcdExt x = RandomExt(rng, -4, 2, false);
      BcdExt ax = x;
      dig::StoreWord(ax.b + 12, dig::WordMag(dig::ExtWord(&x)));
      for (const ExtUnary k : kernels) {
        BcdExt r = (k == ShExtLog10 || k == ShExtLn) ? ax : x;
        k(&r);
        d.Add(r.b, sizeof r.b);
      }
      // The rounding forms give what rounding the plain one gives (the
      // arctangent after its product into the unit).
      for (u16 unit = 0; unit < 3; ++unit) {
        BcdExt r = x, q = x, c;
        ShExtAtan(&r);
        if (unit == 1) ShExtMul(&r, BcdExtPiOver200(&c));
        if (unit == 0) ShExtMul(&r, BcdExtNineTenths(&c));
        ShExtRound(&r);
        ShExtAtanRounded(&q, unit);
        if (std::memcmp(r.b, q.b, sizeof r.b) != 0) ++*mismatches;
      }
      // The rounding forms give what rounding the plain one gives.
      using Angle = void (*)(BcdExt *, u16);
      const Angle plain[] = {ShExtSin, ShExtCos, ShExtTan};
      const Angle rounded[] = {ShExtSinRounded, ShExtCosRounded, ShExtTanRounded};
      for (u16 unit = 0; unit < 3; ++unit)
        for (int k = 0; k < 3; ++k) {
          BcdExt r = x, q = x;
          plain[k](&r, unit);
          d.Add(r.b, sizeof r.b);
          ShExtRound(&r);
          rounded[k](&q, unit);
          if (std::memcmp(r.b, q.b, sizeof r.b) != 0) ++*mismatches;
        }
    }
    out.emplace_back("registers", d.h);
  }
  return out;
}

TEST(KernelDigests, EveryResultBitStaysAsRecorded) {
  const Expect expected[] = {
      {"sin", 0xf0aba02c048112daull},
      {"cos", 0xee505e8d5f00856dull},
      {"tan", 0x587c3707676a03d2ull},
      {"atan", 0x6ae94d0bf951e72aull},
      {"asin", 0x95dc5b0f7d915304ull},
      {"acos", 0x65bf62a2600e2f0aull},
      {"ln", 0xd70c8c19014678e7ull},
      {"log", 0x2a70a527c71958f3ull},
      {"exp", 0x0f00d4908d88f312ull},
      {"exp10", 0xb676b6c8711ace9bull},
      {"sinh", 0x699a2e53a2581666ull},
      {"cosh", 0xf76154223ce960dfull},
      {"tanh", 0x3b50d3b81f6dbc85ull},
      {"asinh", 0xa3856b2d4a416dd4ull},
      {"atanh", 0x36bb19f3da5120aeull},
      {"pow", 0xc46c54234d6979c4ull},
      {"registers", 0x3f0d30f1cbe2ccb6ull},
  };
  const int scale = Scale();
  const bool builds[] = {false, true};
  for (const bool fused : builds) {
    if (fused && !ShKernelFusedAvailable()) continue;
    ShKernelUseFused(fused);
    int mismatches = 0;
    const auto got = Digests(scale, &mismatches);
    EXPECT_EQ(mismatches, 0) << "rounding forms of sin, cos, tan and atan";
    ASSERT_EQ(got.size(), std::size(expected));
    for (size_t i = 0; i < got.size(); ++i) {
      if (scale != 1) {
        std::printf("%-10s %s 0x%016llx\n", got[i].first.c_str(), fused ? "fused" : "plain",
                    static_cast<unsigned long long>(got[i].second));
        continue;
      }
      EXPECT_EQ(got[i].first, expected[i].name);
      EXPECT_EQ(got[i].second, expected[i].digest)
          << got[i].first << (fused ? " (fused)" : " (plain)") << " digest 0x" << std::hex << got[i].second;
    }
  }
  ShKernelUseFused(ShKernelFusedAvailable());
}

}  // namespace
