// The list and matrix commands run as program lines: row operations, Fill(
// and the sorts, which change the stored lists and matrices in place.
#include <string>
#include <vector>

#include "../numeric/array_testutil.h"
#include "prog_test_util.h"

namespace {

const std::string kMatA = "\x7F\x40" "A";
const std::string kList1 = "\x7F\x51" "1", kList2 = "\x7F\x51" "2";
const std::string kRow = "\x7F\x42", kRowPlus = "\x7F\x43", kAddRow = "\x7F\x44", kSwap = "\x7F\x45",
                  kFill = "\x7F\x47", kSortA = "\xF7\xB0", kSortD = "\xF7\xB1", kI = "\x7F\x50";

class MatList : public ProgFixture {
 protected:
  void SetUp() override {
    ProgFixture::SetUp();
    ASSERT_EQ(ItemMatCreate(1, 2, 2), 0u);
    const char *a[] = {"1", "2", "3", "4"};
    for (u32 k = 0; k < 4; ++k) {
      const Value v = numtest::V(a[k]);
      ASSERT_EQ(ItemMatSet(1, k / 2 + 1, k % 2 + 1, &v), 0u);
    }
    SetList(1, {"3", "1", "2"});
    SetList(2, {"30", "10", "20"});
  }
  static void SetList(u8 n, const std::vector<std::string> &els) {
    ASSERT_EQ(ItemListCreate(0, n, 0), 0u);
    for (const std::string &e : els) {
      const Value v = arrtest::Elem(e);
      ASSERT_EQ(ItemListSet(0, n, 0, &v), 0u);
    }
  }
  static std::string MatA() {
    u32 r = 0, c = 0;
    if (ItemMatDims(1, &r, &c) != 0) return "none";
    std::string s = "[[";
    for (u32 i = 1; i <= r; ++i) {
      for (u32 j = 1; j <= c; ++j) {
        Value v;
        ItemMatGet(1, i, j, &v);
        s += (j > 1 ? "," : (i > 1 ? "][" : "")) + arrtest::ShowElem(v);
      }
    }
    return s + "]]";
  }
  static std::string List(u8 n) {
    std::string s = "{";
    for (u32 i = 1; i <= ItemListSize(0, n); ++i) {
      Value v;
      ItemListGet(0, n, i, &v);
      s += (i > 1 ? "," : "") + arrtest::ShowElem(v);
    }
    return s + "}";
  }
};

TEST_F(MatList, RowOperations) {
  struct Case {
    std::string line;
    u32 code;
    std::string mat;
  } cases[] = {
      {kRow + "2," + kMatA + ",1", 0, "[[2,4][3,4]]"},
      {kRowPlus + "2," + kMatA + ",1,2", 0, "[[1,2][5,8]]"},
      {kAddRow + kMatA + ",1,2", 0, "[[1,2][4,6]]"},
      {kSwap + kMatA + ",1,2", 0, "[[3,4][1,2]]"},
      {kSwap + kMatA + ",0,1", 8, "[[1,2][3,4]]"},
      {kSwap + kMatA + ",1,256", 8, "[[1,2][3,4]]"},
      {kSwap + kMatA + ",1,3", 9, "[[1,2][3,4]]"},
      {kRow + "2,\x7F\x40" "B,1", 4, "[[1,2][3,4]]"},
      {kRow + "2" + kI + "," + kMatA + ",1", 3, "[[1,2][3,4]]"},
      // An overflow in the trial pass leaves the matrix unchanged.
      {kRowPlus + "9\x0F" "99," + kMatA + ",2,1", 3, "[[1,2][3,4]]"},
      {kRow + "2" + kMatA + ",1", 3, "[[1,2][3,4]]"},  // k is 2 Mat A, no number
  };
  for (const Case &c : cases) {
    SetUp();
    EXPECT_EQ(RunLine(c.line), c.code) << c.mat;
    EXPECT_EQ(MatA(), c.mat) << c.code;
    TearDown();
  }
}

TEST_F(MatList, FillAndSort) {
  EXPECT_EQ(RunLine(kFill + "5," + kMatA + ")"), 0u);
  EXPECT_EQ(MatA(), "[[5,5][5,5]]");
  EXPECT_EQ(RunLine(kFill + kI + "," + kMatA + ")"), 3u);
  EXPECT_EQ(RunLine(kFill + "1\x89" + kI + "," + kList1 + ")"), 0u);  // a real list made complex
  EXPECT_EQ(List(1), "{1|1,1|1,1|1}");
  EXPECT_EQ(RunLine(kFill + "2," + kList1), 0u);  // and cut back to real
  EXPECT_EQ(List(1), "{2,2,2}");
  EXPECT_EQ(ItemListIsReal(0, 1), 1u);
  EXPECT_EQ(RunLine(kFill + "1,\x7F\x51" "9)"), 9u);
  SetList(1, {"3", "1", "2"});
  EXPECT_EQ(RunLine(kSortA + kList1 + "," + kList2 + ")"), 0u);
  EXPECT_EQ(List(1) + List(2), "{1,2,3}{10,20,30}");
  EXPECT_EQ(RunLine(kSortD + kList1 + "," + kList2 + ")"), 0u);
  EXPECT_EQ(List(1) + List(2), "{3,2,1}{30,20,10}");
  EXPECT_EQ(RunLine(kSortA + kList1 + "," + kList1 + ")"), 9u);
  SetList(3, {"1", "2"});
  EXPECT_EQ(RunLine(kSortA + kList1 + ",\x7F\x51" "3)"), 9u);
  EXPECT_EQ(RunLine(kSortA + "\x7F\x51" "9)"), 9u);
  std::string seven = kSortA;
  for (int n = 1; n <= 7; ++n) {
    SetList(static_cast<u8>(n + 2), {"1", "2", "3"});
    seven += (n > 1 ? "," : "") + std::string("\x7F\x51") + std::to_string(n + 2);
  }
  EXPECT_EQ(RunLine(seven + ")"), 2u);
  EXPECT_EQ(RunLine(kSortA + kList1 + ")2"), 2u);
  EXPECT_EQ(List(1) + List(2), "{3,2,1}{30,20,10}");
  // Several commands on one line, and in a loop-free program of statements.
  EXPECT_EQ(RunLine(kSortA + kList1 + "," + kList2 + ":" + kRow + "10," + kMatA + ",2"), 0u);
  EXPECT_EQ(List(2), "{10,20,30}");
  EXPECT_EQ(MatA(), "[[5,5][50,50]]");
}

}  // namespace
