// Lists and matrices of main memory: recall by number, the refusal of
// numbers outside the range, and the statistics routines that read stored
// lists and write their results back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "array_testutil.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/valop.h"
#include "numeric/list_func.h"
#include "numeric/list_mem.h"
#include "numeric/mat_ops.h"
#include "numeric/mat_rowop.h"

namespace {

class ListMem : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
  void TearDown() override {
    MemFreeAll();
    HostFreeCalcRam();
  }
  static void SetList(u8 file, u8 n, const std::vector<std::string> &els) {
    ASSERT_EQ(ItemListCreate(file, n, 0), 0u);
    for (const std::string &e : els) {
      const Value v = arrtest::Elem(e);
      ASSERT_EQ(ItemListSet(file, n, 0, &v), 0u);
    }
  }
  static std::string Stored(u8 file, u8 n) {
    Value v;
    if (!ListFromMemory(file, n, &v)) return arrtest::Show(v);
    return arrtest::Show(v);
  }
};

TEST_F(ListMem, RecallInPlaceAndNumbersOutsideTheRange) {
  SetList(0, 1, {"1", "2", "3"});
  SetList(0, 2, {"1", "2|1", "3"});
  Value v;
  ASSERT_EQ(ListRecall(1, &v), 1);
  EXPECT_EQ(arrtest::Show(v), "{1,2,3}");
  EXPECT_EQ(MemClassify(ArrInfoOf(&v).handle), 1u);
  ASSERT_EQ(ListRecall(2, &v), 1);
  EXPECT_EQ(arrtest::Show(v), "c{1,2|1,3}");
  EXPECT_EQ(ArrInfoOf(&v).count, 3u);
  // List 257 is not List 1: numbers outside the byte range are refused.
  EXPECT_EQ(ListRecall(257, &v), 0);
  EXPECT_EQ(arrtest::Show(v), "E4");
  EXPECT_EQ(ListFromMemory(256 + 0, 1, &v), 0);
  EXPECT_EQ(ListFromMemory(-1, 1, &v), 0);
  EXPECT_EQ(ListRecall(9, &v), 0);
  // Matrices by number and by token.
  ASSERT_EQ(ItemMatCreate(2, 1, 2), 0u);
  const u8 b = 'B', bad = '1';
  ASSERT_EQ(MatRecallByToken(&b, &v), 1);
  EXPECT_EQ(arrtest::Show(v), "[[0,0]]");
  EXPECT_EQ(MatRecallByToken(&bad, &v), 0);
  EXPECT_EQ(MatFromMemory(100, &v), 0);
  // Copying the real elements releases a heap block only.
  BcdReal out[3];
  ASSERT_EQ(ListRecall(2, &v), 1);
  EXPECT_EQ(ListCopyRealElements(&v, out), 0u);
  EXPECT_EQ(numtest::Show(out[1]), "E17");
  EXPECT_EQ(Stored(0, 2), "c{1,2|1,3}");
}

// Stored blocks are never freed or overrun: Dim, a power and Fill( on a
// stored matrix or list leave the item as it was.
TEST_F(ListMem, StoredBlocksAreLeftAlone) {
  ASSERT_EQ(ItemMatCreate(1, 2, 2), 0u);
  const Value one = numtest::V("1"), two = numtest::V("2");
  ASSERT_EQ(ItemMatSet(1, 1, 1, &one), 0u);
  ASSERT_EQ(ItemMatSet(1, 2, 2, &one), 0u);
  Value m;
  ASSERT_EQ(MatFromMemory(1, &m), 1);
  Value d = m;
  EXPECT_EQ(arrtest::Show(*MatDimToken(&d, &d)), "{2,2}");
  arrtest::Drop(&d);
  Value p = m;
  EXPECT_EQ(arrtest::Show(*ValPow(&p, &two, &p, 0)), "[[1,0][0,1]]");
  arrtest::Drop(&p);
  ASSERT_EQ(MatFromMemory(1, &m), 1);
  EXPECT_EQ(arrtest::Show(m), "[[1,0][0,1]]");
  // A stored real list has no room for imaginary parts: Memory ERROR, and
  // the item keeps its elements.
  SetList(0, 1, {"1", "2"});
  Value l;
  ASSERT_EQ(ListRecall(1, &l), 1);
  const Value i = numtest::C("0", "1");
  EXPECT_EQ(ListFill(&i, &l), 0);
  EXPECT_EQ(arrtest::Show(l), "E4");
  EXPECT_EQ(Stored(0, 1), "{1,2}");
  // A real value fills it in place.
  ASSERT_EQ(ListRecall(1, &l), 1);
  EXPECT_EQ(ListFill(&two, &l), 1);
  EXPECT_EQ(Stored(0, 1), "{2,2}");
  // Row operations check their rows against the matrix first.
  EXPECT_EQ(MatRowOperation(1, kMatRowSwap, nullptr, 0, 1), 9u);
  EXPECT_EQ(MatRowOperation(1, kMatRowAdd, nullptr, 1, 3), 9u);
  EXPECT_EQ(MatRowOperation(1, kMatRowScale, &two, 3, 0), 9u);
  EXPECT_EQ(MatRowOperation(1, kMatRowScale, &two, 2, 0), 0u);
  ASSERT_EQ(MatFromMemory(1, &m), 1);
  EXPECT_EQ(arrtest::Show(m), "[[1,0][0,2]]");
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
}

TEST_F(ListMem, ModesAndProbabilityPlotData) {
  SetList(0, 1, {"1", "2", "2", "3", "3"});
  Value out;
  EXPECT_EQ(ListModes(1, 0, &out), 0u);
  EXPECT_EQ(arrtest::Show(out), "2");
  EXPECT_EQ(Stored(0, 0), "{2,3}");
  SetList(0, 2, {"5"});
  EXPECT_EQ(ListModes(2, 0, &out), 0u);
  EXPECT_EQ(arrtest::Show(out) + Stored(0, 0), "1{5}");
  SetList(0, 3, {"1", "1"});
  EXPECT_EQ(ListModes(1, 3, &out), 9u);
  SetList(0, 4, {"1", "-1", "0", "0", "0"});
  EXPECT_EQ(ListModes(1, 4, &out), 3u);
  SetList(0, 5, {"1", "1", "1", "5", "1"});  // frequencies: 3 now wins
  EXPECT_EQ(ListModes(1, 5, &out), 0u);
  EXPECT_EQ(arrtest::Show(out) + Stored(0, 0), "6{3}");
  // Normal probability plot of {3,1,2}: {1,2,3} and the quantiles of 1/6,
  // 1/2 and 5/6, the middle one exactly 0.
  SetList(0, 6, {"3", "1", "2"});
  EXPECT_EQ(ListSortedWorkCopy(6, 1, 2), 0u);
  EXPECT_EQ(Stored(255, 1), "{1,2,3}");
  Value q;
  ASSERT_EQ(ListFromMemory(255, 2, &q), 1);
  const BcdReal *e = ArrElems(ArrInfoOf(&q).handle);
  EXPECT_EQ(numtest::Show(e[1]), "0");
  EXPECT_NEAR(std::stod(numtest::Show(e[0])), -0.967421566101701, 1e-8);
  EXPECT_NEAR(std::stod(numtest::Show(e[2])), 0.967421566101701, 1e-8);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
}

}  // namespace
