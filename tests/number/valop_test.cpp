#include "number/valop.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel/heap.h"
#include "number/value.h"
#include "numparse_testutil.h"

using numtest::C;
using numtest::Show;
using numtest::ShowV;
using numtest::V;

namespace {

Value Err(u8 code) {
  Value v = V("0");
  RealMakeError(code, &v.re);
  return v;
}

Value Header(u8 kind, u16 count, u16 cols = 0) {
  EvalArrayHeader h{};
  h.kind = kind;
  h.count = count;
  h.cols = cols;
  h.handle = 0x12345678;  // names no heap block
  Value v;
  ValSetHeader(&h, &v);
  return v;
}

const Value kList = Header(kValRealList, 3);
const Value kCList = Header(kValComplexList, 3);
const Value kMat = Header(kValRealMatrix, 2, 2);
const Value kCMat = Header(kValComplexMatrix, 2, 2);

// The headers above name no block: the list and matrix engines they are
// routed to answer Memory ERROR.
const std::string kNoBlock = "E4";

using Bin = Value *(*)(const Value *, const Value *, Value *, u32);

struct BinCase {
  const char *name;
  Bin fn;
  Value a, b;
  u32 allowComplex;
  std::string want;
};

TEST(ValBinary, RoutingByKind) {
  const BinCase cases[] = {
      {"add reals", ValAdd, V("2"), V("3"), 0, "5"},
      {"add fractions", ValAdd, V("1a2"), V("1a3"), 0, "5/6"},
      {"add complex to real", ValAdd, C("2", "3"), C("1", "-3"), 0, "3"},
      {"add real and complex", ValAdd, V("1"), C("0", "1"), 0, "(1,1)"},
      {"addmaru cancels", ValAddMaru, V("1"), V("-0.999999999999999"), 0, "0"},
      {"sub complex", ValSub, C("1", "2"), C("1", "1"), 0, "(0,1)"},
      {"submaru", ValSubMaru, V("5"), V("3"), 0, "2"},
      {"mul complex", ValMul, C("1", "2"), C("3", "-1"), 0, "(5,5)"},
      {"div reals", ValDiv, V("1"), V("3"), 0, "0.333333333333333"},
      {"div complex", ValDiv, C("1", "1"), C("1", "-1"), 0, "(0,1)"},
      {"divfrac", ValDivFrac, V("1"), V("3"), 0, "1/3"},
      {"divfrac complex", ValDivFrac, C("1", "2"), C("3", "-1"), 0, "(1/10,7/10)"},
      {"div by zero", ValDiv, V("1"), V("0"), 0, "E3"},
      {"eq complex", ValEq, C("1", "2"), C("1", "2"), 0, "1"},
      {"ne complex", ValNe, C("1", "2"), C("1", "2"), 0, "0"},
      {"eq real", ValEq, V("1"), V("0.99999999999999"), 0, "1"},
      {"lt", ValLt, V("1"), V("2"), 0, "1"},
      {"gt", ValGt, V("1"), V("2"), 0, "0"},
      {"le", ValLe, V("2"), V("2"), 0, "1"},
      {"ge", ValGe, V("1"), V("2"), 0, "0"},
      {"lt complex", ValLt, C("1", "2"), V("2"), 1, "E3"},
      {"npr", ValPermutations, V("5"), V("2"), 0, "20"},
      {"ncr", ValCombinations, V("5"), V("2"), 0, "10"},
      {"ncr complex", ValCombinations, V("5"), C("2", "1"), 0, "E3"},
      {"and", ValLogicAnd, V("1"), V("0"), 0, "0"},
      {"or", ValLogicOr, V("1"), V("0"), 0, "1"},
      {"pow", ValPow, V("2"), V("10"), 0, "1024"},
      {"pow 0^0", ValPow, V("0"), V("0"), 0, "E3"},
      {"pow odd root real", ValPow, V("-8"), V("1a3"), 0, "-2"},
      {"pow even root real", ValPow, V("-8"), V("1a2"), 0, "E17"},
      {"pow negative base decimal", ValPow, V("-8"), V("0.25"), 0, "E17"},
      {"pow fraction", ValPow, V("2a3"), V("-2"), 0, "2_1/4"},
      {"pow complex", ValPow, C("0", "1"), V("2"), 0, "-1"},
      {"pow complex base i^3", ValPow, C("0", "2"), V("3"), 0, "(0,-8)"},
      {"pow zero to complex", ValPow, V("0"), C("1", "1"), 1, "0"},
      {"pow zero to i", ValPow, V("0"), C("0", "1"), 1, "E3"},
      // The first operand's error wins.
      {"errors", ValAdd, Err(3), Err(9), 0, "E3"},
      {"error second", ValMul, V("2"), Err(9), 0, "E9"},
      {"error before kind", ValAdd, Err(8), kMat, 0, "E8"},
      // Kind combinations an operation does not take.
      {"list plus matrix", ValAdd, kList, kMat, 0, "E3"},
      {"matrix plus real", ValAdd, kMat, V("1"), 0, "E3"},
      {"list times matrix", ValMul, kList, kMat, 0, "E3"},
      {"complex times matrix", ValMul, C("1", "1"), kMat, 0, "E3"},
      {"matrix divided", ValDiv, kMat, V("2"), 0, "E3"},
      {"matrix compared", ValEq, kMat, kMat, 0, "E3"},
      {"matrix exponent", ValPow, V("2"), kMat, 0, "E3"},
      {"matrix to a list power", ValPow, kMat, kList, 0, "E3"},
      {"complex list compared", ValLt, kCList, V("1"), 0, "E25"},
      {"complex scalar with list", ValGt, kList, C("1", "1"), 0, "E25"},
      {"nPr of complex list", ValPermutations, kCList, kList, 0, "E25"},
      // Routed to the list and matrix engines.
      {"list plus real (no block)", ValAdd, kList, V("1"), 0, kNoBlock},
      {"real plus list (no block)", ValAdd, V("1"), kList, 0, kNoBlock},
      {"list plus list (no block)", ValAdd, kList, kList, 0, kNoBlock},
      {"complex list compared equal (no block)", ValEq, kCList, V("1"), 0, kNoBlock},
      {"matrix plus matrix (no block)", ValAdd, kMat, kMat, 0, kNoBlock},
      {"matrix product (no block)", ValMul, kMat, kMat, 0, kNoBlock},
      {"real times matrix (no block)", ValMul, V("2"), kMat, 0, kNoBlock},
      {"matrix times real (no block)", ValMul, kMat, V("2"), 0, kNoBlock},
      {"matrix power (no block)", ValPow, kMat, V("2"), 0, kNoBlock},
      {"list power (no block)", ValPow, kList, V("2"), 0, kNoBlock},
  };
  for (const BinCase &c : cases) {
    Value out;
    std::memset(&out, 0, sizeof out);
    EXPECT_EQ(ShowV(*c.fn(&c.a, &c.b, &out, c.allowComplex)), c.want) << c.name;
  }
}

TEST(ValBinary, BaseNOperations) {
  struct Case {
    Value *(*fn)(const Value *, const Value *, Value *);
    Value a, b;
    const char *want;
  } cases[] = {
      {ValBitAnd, V("12"), V("10"), "8"},   {ValBitOr, V("12"), V("10"), "14"},
      {ValBitXor, V("12"), V("10"), "6"},   {ValBitXnor, V("6"), V("3"), "-6"},
      {ValBitAnd, V("2147483648"), V("1"), "E3"},
      {ValBitAnd, C("1", "1"), V("1"), "E3"}, {ValBitOr, kList, V("1"), "E3"},
      {ValBitXor, kMat, V("1"), "E3"},        {ValBitAnd, Err(9), V("1"), "E9"},
  };
  for (const auto &c : cases) {
    Value out;
    EXPECT_EQ(ShowV(*c.fn(&c.a, &c.b, &out)), c.want);
  }
  Value out;
  const Value zero = V("0"), cplx = C("0", "1");
  EXPECT_EQ(ShowV(*ValBitNot(&zero, &out)), "-1");
  EXPECT_EQ(ShowV(*ValBitNot(&cplx, &out)), "E3");
  EXPECT_EQ(ShowV(*ValBitNot(&kList, &out)), "E3");
}

using Un = Value *(*)(const Value *, Value *);

TEST(ValUnary, RoutingByKind) {
  struct Case {
    const char *name;
    Un fn;
    Value x;
    std::string want;
  } cases[] = {
      {"abs complex", ValAbs, C("3", "4"), "5"},
      {"abs fraction", ValAbs, V("-1a3"), "1/3"},
      {"abs matrix (no block)", ValAbs, kMat, kNoBlock},
      {"intg complex", ValIntg, C("-1.5", "2.5"), "(-2,2)"},
      {"int", ValInt, V("-1.5"), "-1"},
      {"frac complex to real", ValFrac, C("1.5", "2"), "0.5"},
      {"neg fraction", ValNeg, V("1a3"), "-1/3"},
      {"neg complex", ValNeg, C("1", "-2"), "(-1,2)"},
      {"neg list (no block)", ValNeg, kList, kNoBlock},
      {"real part", ValRealPart, C("1", "2"), "1"},
      {"real part of a real", ValRealPart, V("7"), "7"},
      {"imag part", ValImagPart, C("1", "2"), "2"},
      {"imag part of a real", ValImagPart, V("7"), "0"},
      {"real part of a matrix", ValRealPart, kMat, "E3"},
      {"conj", ValConj, C("1", "2"), "(1,-2)"},
      {"conj real", ValConj, V("5"), "5"},
      {"conj real list", ValConj, kList, "list"},
      {"conj real matrix", ValConj, kMat, "matrix"},
      {"conj complex matrix", ValConj, kCMat, "E3"},
      {"conj complex list (no block)", ValConj, kCList, kNoBlock},
      {"factorial", ValFactorial, V("5"), "120"},
      {"factorial complex", ValFactorial, C("5", "1"), "E3"},
      {"factorial complex list", ValFactorial, kCList, "E25"},
      {"factorial list (no block)", ValFactorial, kList, kNoBlock},
      {"factorial matrix", ValFactorial, kMat, "E3"},
      {"not", ValLogicNot, V("0"), "1"},
      {"not complex", ValLogicNot, C("0", "1"), "E3"},
      {"not complex list", ValLogicNot, kCList, "E25"},
      {"normalize complex", ValNormalize, C("0.300000000000001", "2"), "(0.3,2)"},
      {"to fraction", ValToFraction, V("0.75"), "3/4"},
      {"to fraction complex", ValToFraction, C("0.5", "0.25"), "(1/2,1/4)"},
      {"signum", ValSignum, V("-3"), "-1"},
      {"signum complex", ValSignum, C("1", "1"), "E3"},
      {"signum list", ValSignum, kList, "E3"},
      {"sinh", ValSinh, V("0"), "0"},
      {"sinh complex", ValSinh, C("0", "1"), "E3"},
      {"acosh below 1", ValAcosh, V("0.5"), "E3"},
      {"atanh above 1", ValAtanh, V("1.5"), "E3"},
      {"error", ValAbs, Err(9), "E9"},
  };
  for (const auto &c : cases) {
    Value out;
    EXPECT_EQ(ShowV(*c.fn(&c.x, &out)), c.want) << c.name;
  }
}

TEST(ValUnary, RealDomainAndComplexResults) {
  struct Case {
    const char *name;
    Value *(*fn)(const Value *, Value *, u32);
    Value x;
    u32 allowComplex;
    std::string want;
  } cases[] = {
      {"sqrt -4 real", ValSqrt, V("-4"), 0, "E17"},
      {"sqrt -4 complex", ValSqrt, V("-4"), 1, "(0,2)"},
      {"sqrt 4/9", ValSqrt, V("4a9"), 0, "2/3"},
      {"sqrt complex", ValSqrt, C("3", "4"), 0, "(2,1)"},
      {"sqrt 2i", ValSqrt, C("0", "2"), 0, "(1,1)"},
      {"ln -1 real", ValLn, V("-1"), 0, "E17"},
      {"ln -1 complex", ValLn, V("-1"), 1, "(0,3.1415926535898)"},
      {"ln 0", ValLn, V("0"), 1, "E3"},
      {"log -100 complex", ValLog, V("-100"), 1, "(2,1.36437635384184)"},
      {"log 1000", ValLog, V("1000"), 0, "3"},
      {"exp 0", ValExp, V("0"), 0, "1"},
      {"exp10", ValExp10, V("2"), 0, "100"},
      {"sqrt list (no block)", ValSqrt, kList, 0, kNoBlock},
      {"sqrt matrix", ValSqrt, kMat, 0, "E3"},
      {"square complex", ValSquare, C("1", "1"), 0, "(0,2)"},
      {"reciprocal", ValReciprocal, V("4"), 0, "0.25"},
      {"reciprocal fraction", ValReciprocal, V("2a3"), 0, "1_1/2"},
      {"reciprocal matrix (no block)", ValReciprocal, kMat, 0, kNoBlock},
      {"cube root real", ValCubeRoot, V("-27"), 0, "-3"},
      {"cube root 8", ValCubeRoot, V("8"), 0, "2"},
  };
  for (const auto &c : cases) {
    Value out;
    EXPECT_EQ(ShowV(*c.fn(&c.x, &out, c.allowComplex)), c.want) << c.name;
  }
  Value out;
  const Value three = V("3"), m8 = V("-8"), two = V("2"), eight = V("8");
  EXPECT_EQ(ShowV(*ValXRoot(&three, &m8, &out, 0)), "-2");
  // ln 8 / ln 2 is 3.00000000000001 before the clean-up every result gets.
  ValLogBase(&two, &eight, &out, 0);
  EXPECT_EQ(ShowV(*ValNormalize(&out, &out)), "3");
  // With complex results allowed a negative base gives the principal root.
  const Value third = V("1a3");
  EXPECT_EQ(ValIsComplex(ValPow(&m8, &third, &out, 1)), 1);
}

TEST(ValUnary, AngleOperations) {
  struct Case {
    const char *name;
    Value *(*fn)(const Value *, Value *, u16);
    Value x;
    u16 angle;
    std::string want;
  } cases[] = {
      {"sin", ValSin, V("30"), 0, "0.5"},
      {"sin complex", ValSin, C("1", "1"), 0, "E3"},
      {"cos matrix", ValCos, kMat, 0, "E3"},
      {"tan list (no block)", ValTan, kList, 0, kNoBlock},
      {"asin 1", ValAsin, V("1"), 0, "90"},
      {"asin above 1", ValAsin, V("1.0000000001"), 0, "E3"},
      {"acos above 1", ValAcos, V("-1.0000000001"), 1, "E3"},
      {"atan", ValAtan, V("1"), 0, "45"},
      {"arg of -1", ValArg, V("-1"), 0, "180"},
      {"arg of i", ValArg, C("0", "1"), 2, "100"},
      {"degree mark in grads", ValDegMark, V("90"), 2, "100"},
      {"radian mark in degrees", ValRadMark, V("1"), 0, "57.2957795130823"},
      {"grad mark in degrees", ValGradMark, V("100"), 0, "90"},
      {"degree mark complex", ValDegMark, C("1", "1"), 0, "E3"},
      {"degree mark complex list", ValDegMark, kCList, 0, "E25"},
  };
  for (const auto &c : cases) {
    Value out;
    EXPECT_EQ(ShowV(*c.fn(&c.x, &out, c.angle)), c.want) << c.name;
  }
  Value out;
  const Value z = C("1.234", "-5.678");
  EXPECT_EQ(ShowV(*ValRound(&z, &out, 1)), "(1.2,-5.7)");
  const Value big = V("12345678");
  EXPECT_EQ(ShowV(*ValRound(&big, &out, 9)), "12345678");
}

std::string ListElements(const Value &v) {
  if (ValKind(&v) != kValKindList) return ShowV(v);
  EvalArrayHeader h;
  ValGetHeader(&v, &h);
  const u8 *p = MemDeref(h.handle);
  std::string s = "{";
  for (int i = 0; i < h.count; ++i) {
    BcdReal e;
    std::memcpy(e.b, p + 12 * i, 12);
    s += (i ? "," : "") + Show(e);
  }
  return s + "}";
}

TEST(ValPolar, PolRecAndAngleForm) {
  MemFreeAll();
  Value out;
  const Value one = V("1"), zero = V("0"), two = V("2"), ninety = V("90"), m1 = V("-1");
  ValPol(&one, &one, &out, 0);
  EXPECT_EQ(ListElements(out), "{1.4142135623731,45}");
  ValFreeTemp(&out);
  ValPol(&m1, &zero, &out, 0);
  EXPECT_EQ(ListElements(out), "{1,180}");
  ValFreeTemp(&out);
  ValRec(&two, &ninety, &out, 0);
  EXPECT_EQ(ListElements(out), "{0,2}");
  ValFreeTemp(&out);
  // No angle for the origin: the error itself, no list.
  EXPECT_EQ(ShowV(*ValPol(&zero, &zero, &out, 0)), "E3");
  const Value c = C("1", "1");
  EXPECT_EQ(ShowV(*ValPol(&c, &one, &out, 0)), "E3");
  EXPECT_EQ(ShowV(*ValRec(&kList, &one, &out, 0)), "E3");
  EXPECT_EQ(ShowV(*ValPol(&one, &kMat, &out, 0)), "E3");
  const Value e9 = Err(9);
  EXPECT_EQ(ShowV(*ValRec(&e9, &one, &out, 0)), "E9");

  EXPECT_EQ(ShowV(*ValFromPolar(&two, &ninety, &out, 0)), "(0,2)");
  EXPECT_EQ(ShowV(*ValFromPolar(&two, &zero, &out, 0)), "2");
  EXPECT_EQ(out.re.b[0] & 0x80, 0);
  EXPECT_EQ(ShowV(*ValFromPolar(&m1, &zero, &out, 0)), "E3");
  EXPECT_EQ(ShowV(*ValFromPolar(&c, &zero, &out, 0)), "E3");
  EXPECT_EQ(ShowV(*ValFromPolar(&kMat, &zero, &out, 0)), "E3");
  EXPECT_EQ(ShowV(*ValFromPolar(&e9, &kMat, &out, 0)), "E9");
  // Memory exhausted: Memory ERROR.
  for (u32 i = 0; i < kMemSlotCount; ++i) MemAlloc(1);
  EXPECT_EQ(ShowV(*ValPol(&one, &one, &out, 0)), "E4");
  MemFreeAll();
}

// A list whose block is the output's own is the operation's: on a failure
// it is released (the output now holds the error), while a list operand
// that is not the output stays with the caller.
TEST(ValLists, BlocksOfFailedListOperands) {
  MemFreeAll();
  auto list = [](u16 n) {
    EvalArrayHeader hd{};
    hd.kind = kValRealList;
    hd.count = n;
    hd.handle = MemAlloc(12u * n);
    std::memset(MemDeref(hd.handle), 0, 12u * n);
    Value v;
    ValSetHeader(&hd, &v);
    return v;
  };
  Value a = list(3), b = list(2);
  EvalArrayHeader ha, hb;
  ValGetHeader(&a, &ha);
  ValGetHeader(&b, &hb);
  ValAdd(&a, &b, &a, 0);
  EXPECT_EQ(ShowV(a), "E9");
  EXPECT_EQ(MemClassify(ha.handle), 2u);  // released, not leaked
  EXPECT_EQ(MemClassify(hb.handle), 0u);  // the caller's
  Value out;
  Value c = list(3);
  ValAdd(&c, &b, &out, 0);
  EXPECT_EQ(ShowV(out), "E9");
  EvalArrayHeader hc;
  ValGetHeader(&c, &hc);
  EXPECT_EQ(MemClassify(hc.handle), 0u);
  MemFreeAll();
}

}  // namespace
