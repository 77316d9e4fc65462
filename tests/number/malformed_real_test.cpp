// Stored reals that no operation of the number core writes, as they may
// arrive from a damaged file: every reader takes them alike (Ma ERROR to the
// operations, "ERROR" to the formatters) and none of them reads outside its
// tables or divides by zero. Also: error values are written whole.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "number/cplx.h"
#include "number/frac.h"
#include "number/numconv.h"
#include "number/numparse.h"
#include "number/numtext.h"
#include "number/realop.h"
#include "number/valop.h"
#include "numparse_testutil.h"
#include "numtext_testutil.h"
#include "ui/setup.h"

using numtest::R;
using numtest::Show;
using numtext_test::ApplyMode;
using numtext_test::Mode;
using numtext_test::Readable;

namespace {

BcdReal Bytes(std::initializer_list<u8> bytes) {
  BcdReal r;
  std::memset(&r, 0, sizeof r);
  int i = 0;
  for (u8 b : bytes) r.b[i++] = b;
  return r;
}

struct Malformed {
  const char *name;
  BcdReal x;
};

// 0.999999999999999 with its last digit nibble 0xA: the digits read as the
// integer 10^15, one whole unit (the fraction search divided by zero).
const Malformed kMalformed[] = {
    {"last digit nibble 0xA", Bytes({0x09, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A})},
    {"digit nibble 0xF", Bytes({0x10, 0x01, 0xF5})},
    {"first digit above 9", Bytes({0x10, 0x0C, 0x12})},
    {"exponent digit 0xB", Bytes({0x1B, 0x01, 0x50})},
    {"exponent low digit 0xE", Bytes({0x00, 0xE3, 0x14})},
    {"negative exponent 00", Bytes({0x00, 0x01, 0x23})},
    {"negative number, exponent 00", Bytes({0x50, 0x02})},
    {"sign code 2", Bytes({0x20, 0x01})},
    {"sign code 4", Bytes({0x49, 0x95})},
    {"sign code 7", Bytes({0x70, 0x03})},
    {"fraction of 16 nibbles", Bytes({0x1A, 0xF1, 0xA3, 0x00})},
    {"fraction of 11 nibbles", Bytes({0x1A, 0xA1, 0xA3})},
    {"fraction nibble 0xC", Bytes({0x1A, 0x21, 0xC3})},
    {"fraction without separator", Bytes({0x1A, 0x21, 0x23})},
    {"fraction with three separators", Bytes({0x1A, 0x61, 0xA1, 0xA1, 0xA2})},
    {"fraction with an empty field", Bytes({0x1A, 0x3A, 0x1A, 0x20})},
    {"fraction over zero", Bytes({0x1A, 0x21, 0xA0})},
    {"fraction with sign code 0", Bytes({0x0A, 0x21, 0xA3})},
};

const char *const kWellFormed[] = {"0", "1", "-1", "0.5", "1e-99", "-9.99999999999999e99", "1a3",
                                   "-2a1a3", "123456789", "3.14159265358979"};

TEST(MalformedReal, TheFormCheck) {
  for (const Malformed &m : kMalformed) EXPECT_EQ(RealIsWellFormed(&m.x), 0) << m.name;
  // An error value says which error it is.
  const BcdReal noCode = Bytes({0xF0, 0x00, 0x12});
  EXPECT_EQ(RealIsWellFormed(&noCode), 0);
  for (const char *t : kWellFormed) {
    const BcdReal x = R(t);
    EXPECT_EQ(RealIsWellFormed(&x), 1) << t;
  }
  // A zero is read by its first digit whatever follows it; error values are
  // well formed whatever their code.
  for (const BcdReal &x : {Bytes({0x10, 0x00, 0xFF}), Bytes({0x59, 0x90, 0x12}), Bytes({0xF0, 0x03}),
                           Bytes({0xF0, 0xFF, 0xAB})})
    EXPECT_EQ(RealIsWellFormed(&x), 1) << Show(x);
}

// Every operation gives Ma ERROR, written whole, whichever operand is bad;
// an error operand before it still wins.
TEST(MalformedReal, OperationsGiveMaError) {
  const BcdReal two = R("2"), err = Bytes({0xF0, 0x2A});
  for (const Malformed &m : kMalformed) {
    BcdReal out;
    auto expectMa = [&](const char *op) {
      EXPECT_EQ(out.b[0], 0xF0) << m.name << " " << op;
      EXPECT_EQ(out.b[1], 3) << m.name << " " << op;
      for (int i = 2; i < 9; ++i) EXPECT_EQ(out.b[i], 0) << m.name << " " << op << " byte " << i;
    };
    std::memset(&out, 0xAA, sizeof out);
    RealAdd(&m.x, &two, &out);
    expectMa("add");
    std::memset(&out, 0xAA, sizeof out);
    RealMul(&two, &m.x, &out);
    expectMa("multiply");
    std::memset(&out, 0xAA, sizeof out);
    RealDivDecimal(&two, &m.x, &out);
    expectMa("divide");
    std::memset(&out, 0xAA, sizeof out);
    RealUnaryOp(kRealOpSqrt, &m.x, &out);
    expectMa("sqrt");
    std::memset(&out, 0xAA, sizeof out);
    RealToFrac(&m.x, &out);
    expectMa("to fraction");
    std::memset(&out, 0xAA, sizeof out);
    RealAtan2(&m.x, &two, &out, 0);
    expectMa("atan2");
    RealAdd(&err, &m.x, &out);
    EXPECT_EQ(RealErrorCode(&out), 0x2A) << m.name;

    BcdWork w;
    RealUnpack(&m.x, &w);
    EXPECT_EQ(BcdKind(&w), BCD_KIND_ERROR) << m.name;
  }
}

// Arguments and moduli of pairs with a bad part (the argument's division
// read its exponent table before the start).
TEST(MalformedReal, PairsWithABadPartGiveMaError) {
  const BcdReal two = R("2");
  for (const Malformed &m : kMalformed) {
    for (int part = 0; part < 2; ++part) {
      CplxPair z{two, two}, r;
      (part ? z.im : z.re) = m.x;
      CplxArg(&z, &r, 0);
      EXPECT_EQ(RealErrorCode(&r.re), 3) << m.name << " arg, part " << part;
      CplxAbs(&z, &r);
      EXPECT_EQ(RealErrorCode(&r.re), 3) << m.name << " abs, part " << part;
    }
  }
}

// The formatters read the stored form as the operations do: a bad real is
// never shown as a number, under any display mode or conversion.
TEST(MalformedReal, FormattersShowError) {
  for (const Malformed &m : kMalformed) {
    NumDigits rec;
    EXPECT_EQ(NumDecompose(&rec, &m.x), 0) << m.name;
    for (u8 display : {0x00, 0x10, 0x23, 0x34, 0x80}) {
      for (u8 complexMode : {0, 2}) {
        Mode mode;
        mode.display = display;
        mode.complexMode = complexMode;
        Value v;
        std::memset(&v, 0, sizeof v);
        v.re = m.x;
        char out[kNumTextSize];
        ApplyMode(mode);
        EXPECT_EQ(Readable(NumToText(&v, out)), "ERROR") << m.name;
        ApplyMode(mode);
        EXPECT_EQ(Readable(NumToTextDms(&v, out)), "ERROR") << m.name;
        ApplyMode(mode);
        Value f = v;
        EXPECT_EQ(Readable(NumFormatFracDec(&f, out)), "ERROR") << m.name;
        // As the imaginary part of a complex value.
        Value z;
        std::memset(&z, 0, sizeof z);
        z.re = R("1");
        z.re.b[0] |= 0x80;
        z.im = m.x;
        ApplyMode(mode);
        EXPECT_EQ(Readable(NumToText(&z, out)), "ERROR") << m.name;
        ApplyMode(mode);
        EXPECT_EQ(Readable(NumFormatCell10(&z, out)), "ERROR         ") << m.name;  // a complex cell is 14 wide
      }
    }
  }
}

// A negative exponent stored as 00 is shown as it computes: not at all.
TEST(MalformedReal, ShownAsItComputes) {
  for (const BcdReal &x : {Bytes({0x00, 0x01, 0x23}), Bytes({0x50, 0x05})}) {
    Value v;
    std::memset(&v, 0, sizeof v);
    v.re = x;
    char out[kNumTextSize];
    ApplyMode(Mode{});
    EXPECT_EQ(Readable(NumToText(&v, out)), "ERROR") << Show(x);
    BcdReal sum;
    const BcdReal zero = R("0");
    RealAdd(&x, &zero, &sum);
    EXPECT_EQ(RealErrorCode(&sum), 3) << Show(x);
  }
}

// The fraction records: the digits of a fraction are its own nibbles only,
// and a count nibble beyond ten nibbles is no fraction.
TEST(MalformedReal, FractionRecordHoldsItsNibbles) {
  NumDigits rec;
  for (const BcdReal &x : {Bytes({0x1A, 0xF1, 0xA3}), Bytes({0x6A, 0xA1, 0xA3})})
    EXPECT_EQ(NumDecompose(&rec, &x), 0) << Show(x);
  std::memset(&rec, 0x77, sizeof rec);
  const BcdReal third = R("1a3");
  ASSERT_EQ(NumDecompose(&rec, &third), 1);
  EXPECT_EQ(rec.fracCount, 3);
  const u8 want[15] = {1, 10, 3};
  EXPECT_EQ(std::memcmp(rec.d, want, 15), 0);
}

// Fills a stretch of the stack below the caller with a pattern, so that a
// later call that leaves bytes unwritten shows them.
[[gnu::noinline]] void SoilStack() {
  volatile u8 junk[4096];
  for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xA5;
}

// A fraction text whose decimal fall-back overflows gives Ma ERROR with bytes
// 2-8 zero, the same bytes on every call.
TEST(MalformedReal, FractionOverflowWritesTheWholeError) {
  for (const char *text : {"9E99a9E99a1", "9E99a5E99a3", "-9E99a9E99a1"}) {
    SoilStack();
    BcdReal out;
    std::memset(&out, 0x33, sizeof out);
    NumParse(text, &out);
    EXPECT_EQ(out.b[0], 0xF0) << text;
    EXPECT_EQ(out.b[1], 3) << text;
    for (int i = 2; i < 9; ++i) EXPECT_EQ(out.b[i], 0) << text << " byte " << i;
    NumFracParts p;
    std::memset(&p, 0, sizeof p);
    p.sign = 1;
    p.whole = R("9E99");
    p.num = R("9E99");
    p.den = R("1");
    SoilStack();
    std::memset(&out, 0x33, sizeof out);
    NumFracPack(&p, &out);
    for (int i = 2; i < 9; ++i) EXPECT_EQ(out.b[i], 0) << "pack, byte " << i;
  }
}

}  // namespace
