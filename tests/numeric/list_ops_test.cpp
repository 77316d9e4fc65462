#include "numeric/list_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "array_testutil.h"
#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "memory/mcs_store.h"
#include "number/frac.h"
#include "number/normal.h"
#include "number/valop.h"

using arrtest::List;
using arrtest::Show;

namespace {

using Bin = Value *(*)(const Value *, const Value *, Value *, u32);

struct BinCase {
  const char *name;
  Bin fn;
  Value a, b;
  u32 allowComplex;
  std::string want;
};

// Element-wise operators through the generic value operations, which hand
// every list operand to the list engine.
TEST(ListOps, BinaryOperatorsElementByElement) {
  MemFreeAll();
  const Value i = numtest::C("0", "1");
  const BinCase cases[] = {
      {"lengths differ", ValAddMaru, List({"1", "2", "3"}), List({"1", "2"}), 0, "E9"},
      {"list plus scalar", ValAddMaru, List({"1", "2", "3"}), numtest::V("5"), 0, "{6,7,8}"},
      {"scalar minus list", ValSubMaru, numtest::V("5"), List({"1", "2"}), 0, "{4,3}"},
      {"list plus list", ValAdd, List({"1", "2"}), List({"0.5", "1a3"}), 0, "{1.5,2_1/3}"},
      {"adder cancels noise", ValAdd, List({"1"}), List({"-0.999999999999999"}), 0, "{0}"},
      {"times i is complex", ValMul, List({"1", "2"}), i, 0, "c{0|1,0|2}"},
      {"zeros times i stay real", ValMul, List({"0", "0"}), i, 0, "{0,0}"},
      {"complex minus itself is real", ValSub, List({"1|2", "3"}), List({"1|2", "3"}), 0, "{0,0}"},
      {"element error ends it", ValDiv, List({"1", "2"}), List({"1", "0"}), 0, "E3"},
      {"fraction division", ValDivFrac, numtest::V("1"), List({"2", "3"}), 0, "{1/2,1/3}"},
      {"power", ValPow, List({"1", "2", "3"}), numtest::V("2"), 0, "{1,4,9}"},
      {"power of lists", ValPow, List({"2", "3"}), List({"3", "2"}), 0, "{8,9}"},
      {"real cube root of a negative", ValPow, List({"-8"}), numtest::V("1a3"), 0, "{-2}"},
      {"negative base, complex allowed", ValPow, List({"-1"}), numtest::V("0.5"), 1, "c{0|1}"},
      {"negative base, real only", ValPow, List({"-1"}), numtest::V("0.5"), 0, "E17"},
      {"equal", ValEq, List({"1", "2"}), List({"1", "3"}), 0, "{1,0}"},
      {"equal complex", ValEq, List({"1|1"}), List({"1|1"}), 0, "{1}"},
      {"not equal complex scalar", ValNe, List({"1|1", "2"}), numtest::C("1", "1"), 0, "{0,1}"},
      {"less", ValLt, List({"3", "4"}), List({"4", "4"}), 0, "{1,0}"},
      {"greater or equal", ValGe, numtest::V("2"), List({"1", "2", "3"}), 0, "{1,1,0}"},
      {"less, complex list", ValLt, List({"1|1"}), numtest::V("1"), 0, "E25"},
      {"nCr", ValCombinations, List({"5", "6"}), numtest::V("2"), 0, "{10,15}"},
      {"and", ValLogicAnd, List({"1", "0"}), List({"1", "1"}), 0, "{1,0}"},
      {"list with matrix", ValAdd, List({"1"}), arrtest::Mat(1, 1, {"1"}), 0, "E3"},
  };
  for (const BinCase &c : cases) {
    Value a = c.a, b = c.b, out;
    std::memset(&out, 0, sizeof out);
    EXPECT_EQ(Show(*c.fn(&a, &b, &out, c.allowComplex)), c.want) << c.name;
    arrtest::Drop(&out);
  }
  MemFreeAll();
}

using Un = Value *(*)(const Value *, Value *, u32);

Value *Sqrt(const Value *x, Value *o, u32 c) { return ValSqrt(x, o, c); }
Value *Ln(const Value *x, Value *o, u32 c) { return ValLn(x, o, c); }
Value *Acosh(const Value *x, Value *o, u32) { return ValAcosh(x, o); }
Value *Atanh(const Value *x, Value *o, u32) { return ValAtanh(x, o); }
Value *SinDeg(const Value *x, Value *o, u32) { return ValSin(x, o, 0); }
Value *AsinDeg(const Value *x, Value *o, u32 c) { return ListAsin(x, o, 0, c); }
Value *Abs(const Value *x, Value *o, u32) { return ValAbs(x, o); }
Value *Neg(const Value *x, Value *o, u32) { return ValNeg(x, o); }
Value *Int(const Value *x, Value *o, u32) { return ValInt(x, o); }
Value *Frac(const Value *x, Value *o, u32) { return ValFrac(x, o); }
Value *ReP(const Value *x, Value *o, u32) { return ValRealPart(x, o); }
Value *ImP(const Value *x, Value *o, u32) { return ValImagPart(x, o); }
Value *ArgDeg(const Value *x, Value *o, u32) { return ValArg(x, o, 0); }
Value *Conj(const Value *x, Value *o, u32) { return ValConj(x, o); }
Value *Fact(const Value *x, Value *o, u32) { return ValFactorial(x, o); }
Value *ToDec(const Value *x, Value *o, u32) { return ValFracToDecimal(x, o); }
Value *ToFrac(const Value *x, Value *o, u32) { return ValToFraction(x, o); }
Value *Round1(const Value *x, Value *o, u32) { return ValRound(x, o, 1); }
Value *DegMark(const Value *x, Value *o, u32) { return ValDegMark(x, o, 1); }

TEST(ListOps, FunctionsElementByElement) {
  MemFreeAll();
  struct Case {
    const char *name;
    Un fn;
    Value x;
    u32 allowComplex;
    std::string want;
  } cases[] = {
      {"sqrt real only", Sqrt, List({"4", "-9"}), 0, "E17"},
      {"sqrt complex allowed", Sqrt, List({"4", "-9"}), 1, "c{2,0|3}"},
      {"sqrt all real", Sqrt, List({"4", "9"}), 1, "{2,3}"},
      {"ln of -1", Ln, List({"-1"}), 1, "c{0|3.1415926535898}"},
      {"acosh below 1 is Ma ERROR", Acosh, List({"0.5"}), 0, "E3"},
      {"atanh above 1", Atanh, List({"0", "2"}), 0, "E3"},
      {"asin above 1, complex allowed", AsinDeg, List({"2"}), 1, "E3"},
      {"sin in degrees", SinDeg, List({"0", "30"}), 0, "{0,0.5}"},
      {"sin of a complex list in radians", SinDeg, List({"0", "1.5707963267949"}, true), 0, "{0,1}"},
      {"sin of a complex element", SinDeg, List({"1|1"}), 0, "E3"},
      {"abs of complex", Abs, List({"3|4", "-2"}), 0, "{5,2}"},
      {"negate keeps the complex kind", Neg, List({"1", "2"}, true), 0, "c{-1,-2}"},
      {"int", Int, List({"1.5", "-1.5"}), 0, "{1,-1}"},
      {"frac of complex", Frac, List({"1.5|2.25", "0.5"}), 0, "c{0.5|0.25,0.5}"},
      {"frac to real", Frac, List({"1.5|2", "0.5"}), 0, "{0.5,0.5}"},
      {"real parts", ReP, List({"1|2", "3"}), 0, "{1,3}"},
      {"imaginary parts", ImP, List({"1|2", "3"}), 0, "{2,0}"},
      {"arg in degrees", ArgDeg, List({"0|1", "-1"}), 0, "{90,180}"},
      {"conjugate", Conj, List({"1|2", "3"}), 0, "c{1|-2,3}"},
      {"conjugate of a real list", Conj, List({"1"}), 0, "{1}"},
      {"factorial", Fact, List({"3", "4"}), 0, "{6,24}"},
      {"factorial of a complex list", Fact, List({"3|1"}), 0, "E25"},
      {"to decimal", ToDec, List({"1a4", "2"}), 0, "{0.25,2}"},
      {"to fraction", ToFrac, List({"0.75", "2"}), 0, "{3/4,2}"},
      {"round", Round1, List({"1.26", "-2.44"}), 0, "{1.3,-2.4}"},
      {"degree mark in radians", DegMark, List({"180"}), 0, "{3.14159265358979}"},
  };
  for (const auto &c : cases) {
    Value x = c.x, out;
    std::memset(&out, 0, sizeof out);
    EXPECT_EQ(Show(*c.fn(&x, &out, c.allowComplex)), c.want) << c.name;
    arrtest::Drop(&x);
    arrtest::Drop(&out);
  }
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

// A list operand that is the output gives its heap block to the result: it
// is reused, grown for imaginary parts and shrunk back, and never leaked.
TEST(ListOps, OutputOperandBlockIsTakenOver) {
  MemFreeAll();
  Value a = List({"1", "2", "3"});
  const MemHandle h = ArrInfoOf(&a).handle;
  const Value i = numtest::C("0", "1");
  ValMul(&a, &i, &a, 0);
  EXPECT_EQ(Show(a), "c{0|1,0|2,0|3}");
  EXPECT_EQ(ArrInfoOf(&a).handle, h);
  EXPECT_EQ(MemSize(h), 72u);
  ValMul(&a, &i, &a, 0);
  EXPECT_EQ(Show(a), "{-1,-2,-3}");
  EXPECT_EQ(MemSize(h), 36u);
  EXPECT_EQ(arrtest::BlocksInUse(), 1u);
  // An element error frees the taken-over block: out holds only the error.
  const Value zero = numtest::V("0");
  ValDiv(&a, &zero, &a, 0);
  EXPECT_EQ(Show(a), "E3");
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  // Memory exhausted: Memory ERROR, and nothing is left behind.
  Value b = List({"1"});
  std::vector<MemHandle> fill;
  while (MemHandle f = MemAlloc(1)) fill.push_back(f);
  Value out;
  EXPECT_EQ(Show(*ValAdd(&b, &zero, &out, 0)), "E4");
  for (MemHandle f : fill) MemFree(f);
  EXPECT_EQ(arrtest::BlocksInUse(), 1u);
  MemFreeAll();
}

class StoredList : public ::testing::Test {
 protected:
  void SetUp() override {
    MemFreeAll();
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsInitArea(), 0u);
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
  // An item "L1" of 16 header bytes and the elements, and a value that
  // reaches its elements in place.
  Value Store(const std::vector<std::string> &els) {
    Value tmp = List(els);
    const ArrInfo a = ArrInfoOf(&tmp);
    std::vector<u8> data(16 + a.count * 12 * (a.complex ? 2 : 1), 0);
    std::memcpy(data.data() + 16, MemDeref(a.handle), data.size() - 16);
    arrtest::Drop(&tmp);
    EXPECT_EQ(McsCreateItem("main", "L1", 0x05, static_cast<u32>(data.size()), data.data()), 0u);
    Value v;
    ArrSetList(&v, a.complex, static_cast<u16>(a.count), MemRefHandle("main", "L1", 16));
    return v;
  }
  std::vector<u8> ItemBytes() {
    u8 *data = nullptr;
    u32 size = 0;
    McsFindItem("main", "L1", nullptr, nullptr, &data, &size);
    return std::vector<u8>(data, data + size);
  }
};

TEST_F(StoredList, IsReadInPlaceAndNeverWritten) {
  Value s = Store({"1", "2", "3"});
  EXPECT_EQ(MemClassify(ArrInfoOf(&s).handle), 1u);
  const std::vector<u8> before = ItemBytes();
  Value out;
  const Value one = numtest::V("1");
  ValAdd(&s, &one, &out, 0);
  EXPECT_EQ(Show(out), "{2,3,4}");
  EXPECT_EQ(MemClassify(ArrInfoOf(&out).handle), 0u);
  arrtest::Drop(&out);
  // Computing into the stored list's own value: a new block, item intact.
  const Value i = numtest::C("0", "1");
  Value t = s;
  ValMul(&t, &i, &t, 0);
  EXPECT_EQ(Show(t), "c{0|1,0|2,0|3}");
  arrtest::Drop(&t);
  EXPECT_EQ(ItemBytes(), before);
  // No address is written into the item's header bytes.
  for (int k = 0; k < 16; ++k) EXPECT_EQ(before[k], 0) << k;
  // A temporary output operand with a stored partner is still released.
  Value tmp = List({"10", "20", "30"});
  ValAdd(&tmp, &s, &tmp, 0);
  EXPECT_EQ(Show(tmp), "{11,22,33}");
  arrtest::Drop(&tmp);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
}

// The reference is resolved at every use: when the store moves the item's
// data the value still reaches it; once the item is gone it reaches nothing.
TEST_F(StoredList, ReferenceFollowsTheStore) {
  Value s = Store({"1", "2"});
  std::vector<u8> other(400, 7);
  ASSERT_EQ(McsCreateItem("main", "A0", 0x05, 400, other.data()), 0u);  // sorts before L1: moves it
  Value out;
  const Value one = numtest::V("1");
  EXPECT_EQ(Show(*ValAdd(&s, &one, &out, 0)), "{2,3}");
  arrtest::Drop(&out);
  ASSERT_EQ(McsDeleteItem("main", "L1"), 0u);
  EXPECT_EQ(MemClassify(ArrInfoOf(&s).handle), 2u);
  EXPECT_EQ(Show(*ValAdd(&s, &one, &out, 0)), "E4");
  // A value made before its item shrank is not read past the item's end.
  Value big = Store({"1", "2", "3"});
  std::vector<u8> small(16 + 12, 0);
  ASSERT_EQ(McsCreateItem("main", "L1", 0x05, static_cast<u32>(small.size()), small.data()), 0u);
  EXPECT_EQ(Show(*ValAdd(&big, &one, &out, 0)), "E4");
  // Repeated references to one item share one table entry.
  EXPECT_EQ(MemRefHandle("main", "L1", 16), MemRefHandle("main", "L1", 16));
}

}  // namespace

namespace {

// P( Q( R( t( on lists, in place: the list's block is reused for the
// result; a complex list or a failing element releases it.
TEST(ListOps, StatisticsFunctionsInPlace) {
  MemFreeAll();
  Value l = List({"0", "1"});
  const MemHandle h = ArrInfoOf(&l).handle;
  EXPECT_EQ(ValNormalP(&l), 1);
  EXPECT_EQ(Show(l), "{0.5,0.84134}");
  EXPECT_EQ(ArrInfoOf(&l).handle, h);
  arrtest::Drop(&l);
  Value c = List({"1|1"});
  EXPECT_EQ(ValNormalQ(&c), 0);
  EXPECT_EQ(Show(c), "E25");
  Value t = List({"1", "2"});
  EXPECT_EQ(ValNormVariate(&t), 0);  // no statistics calculated yet
  EXPECT_EQ(Show(t), "E4");
  Value m = arrtest::Mat(1, 1, {"1"});
  EXPECT_EQ(ValNormalR(&m), 0);
  EXPECT_EQ(Show(m), "E3");
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

}  // namespace
