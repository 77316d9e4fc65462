#include "number/value.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "kernel/heap.h"
#include "numparse_testutil.h"

using numtest::R;

namespace {

Value WithByte0(u8 b0) {
  Value v;
  std::memset(&v, 0, sizeof v);
  v.re.b[0] = b0;
  v.re.b[1] = 0x05;
  return v;
}

TEST(ValKind, ClassifiesByFirstByte) {
  struct Case {
    u8 b0;
    int kind, complex;
  } cases[] = {
      {0xF0, kValKindError, -1},  // bit 7 set, still an error
      {0xF3, kValKindError, -1},
      {0x20, kValKindList, 0},
      {0xA0, kValKindList, 1},
      {0x30, kValKindMatrix, 0},
      {0xB0, kValKindMatrix, 1},
      {0x10, kValKindScalar, 0},
      {0x00, kValKindScalar, 0},
      {0x60, kValKindScalar, 0},
      {0x50, kValKindScalar, 0},
      {0x90, kValKindScalar, 1},
      {0xE0, kValKindScalar, 1},
      {0x1A, kValKindScalar, 0},  // fraction
      {0xEA, kValKindScalar, 1},  // complex with a negative fraction real part
  };
  for (const auto &c : cases) {
    const Value v = WithByte0(c.b0);
    EXPECT_EQ(ValKind(&v), c.kind) << std::hex << int(c.b0);
    EXPECT_EQ(ValIsComplex(&v), c.complex) << std::hex << int(c.b0);
  }
}

TEST(ValFromParts, ZeroImaginaryPartGivesAReal) {
  Value out;
  std::memset(&out, 0x77, sizeof out);
  const BcdReal m2 = R("-2"), zero = R("0"), three = R("3"), third = R("1a3");
  ValFromParts(&m2, &zero, &out);
  EXPECT_EQ(out.re.b[0], 0x60);  // flag clear
  EXPECT_EQ(numtest::ShowV(out), "-2");
  ValFromParts(&m2, &three, &out);
  EXPECT_EQ(out.re.b[0], 0xE0);  // flag over the real part's own sign nibble
  EXPECT_EQ(numtest::ShowV(out), "(-2,3)");
  ValFromParts(&zero, &third, &out);
  EXPECT_EQ(numtest::ShowV(out), "(0,1/3)");
  // Error parts: the real part's first.
  BcdReal e3 = R("1e100"), e9 = R("1");
  RealMakeError(9, &e9);
  EXPECT_EQ(ValErrorCode(ValFromParts(&e3, &e9, &out)), 3);
  EXPECT_EQ(ValErrorCode(ValFromParts(&three, &e9, &out)), 9);
  // The result may be built over its own parts.
  Value v = numtest::C("1", "2");
  CplxPair p;
  ValSplit(&v, &p);
  ValFromParts(&p.re, &p.im, &v);
  EXPECT_EQ(numtest::ShowV(v), "(1,2)");
}

TEST(ValHeader, FieldsAtTheirBytes) {
  EvalArrayHeader h{};
  h.kind = kValComplexMatrix;
  h.count = 3;
  h.cols = 4;
  h.handle = 0x20000010;
  Value v;
  ValSetHeader(&h, &v);
  EXPECT_EQ(v.re.b[0], 0xB0);
  EXPECT_EQ(ValKind(&v), kValKindMatrix);
  EvalArrayHeader back;
  ValGetHeader(&v, &back);
  EXPECT_EQ(back.count, 3);
  EXPECT_EQ(back.cols, 4);
  EXPECT_EQ(back.handle, 0x20000010u);
  EXPECT_EQ(offsetof(EvalArrayHeader, count), 2u);
  EXPECT_EQ(offsetof(EvalArrayHeader, cols), 4u);
  EXPECT_EQ(offsetof(EvalArrayHeader, handle), 8u);
}

TEST(ValFreeTemp, ReleasesHeapBlocksOnceAndNothingElse) {
  MemFreeAll();
  const MemHandle h = MemAlloc(36);
  ASSERT_NE(h, 0u);
  EvalArrayHeader hd{};
  hd.kind = kValRealList;
  hd.count = 3;
  hd.handle = h;
  Value list;
  ValSetHeader(&hd, &list);
  Value copy = list;
  ValFreeTemp(&list);
  EXPECT_EQ(MemClassify(h), 2u);  // the block is gone
  EvalArrayHeader after;
  ValGetHeader(&list, &after);
  EXPECT_EQ(after.handle, 0u);  // and the released handle cleared
  ValFreeTemp(&list);           // a second release does nothing
  // A copy still naming the freed slot is harmless: the slot holds no block.
  ValFreeTemp(&copy);
  // Scalars, errors and handles that name no heap block are left alone.
  const MemHandle h2 = MemAlloc(24);
  ASSERT_NE(h2, 0u);
  Value scalar = numtest::V("2"), err = numtest::V("1e100");
  ValFreeTemp(&scalar);
  ValFreeTemp(&err);
  EXPECT_EQ(numtest::ShowV(scalar), "2");
  hd.handle = 0x12345678;  // not a heap block
  Value foreign;
  ValSetHeader(&hd, &foreign);
  ValFreeTemp(&foreign);
  ValGetHeader(&foreign, &after);
  EXPECT_EQ(after.handle, 0x12345678u);
  EXPECT_EQ(MemClassify(h2), 0u);
  MemFreeAll();
}

}  // namespace
