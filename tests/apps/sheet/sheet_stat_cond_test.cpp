// The sheet's statistics condition items: defaults, written and read back,
// an unsound item made anew, and the ranges a selection fills in.
#include <cstring>

#include "apps/sheet/sheet_stat.h"
#include "graph/memory/gmem_vwin.h"
#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

class SheetCond : public Sheet {};

std::vector<u16> Words(const u8 *bytes, u32 at, u32 n) {
  std::vector<u16> w(n);
  std::memcpy(w.data(), bytes + at, 2 * n);
  return w;
}

TEST_F(SheetCond, CalcConditionDefaultsWrittenAndRebuilt) {
  u8 c[kSheetCalcCondBytes];
  ASSERT_EQ(SheetReadCalcCond(c), 0u);
  EXPECT_EQ(c[0], 20);
  EXPECT_EQ(Words(c, 2, 4), (std::vector<u16>{1, 1, 1, 5}));
  EXPECT_EQ(Words(c, 10, 4), (std::vector<u16>{0, 0, 0, 0}));
  EXPECT_EQ(Words(c, 26, 4), (std::vector<u16>{2, 1, 2, 5}));
  // A selection of two columns: X from the first, Y from the second.
  const SheetRange sel{3, 2, 4, 9};
  SheetFillCalcRanges(reinterpret_cast<i16 *>(c), &sel);
  ASSERT_EQ(SheetWriteCalcCondItem(c), 0u);
  u8 back[kSheetCalcCondBytes];
  ASSERT_EQ(SheetReadCalcCond(back), 0u);
  EXPECT_EQ(Words(back, 2, 4), (std::vector<u16>{3, 2, 3, 9}));
  EXPECT_EQ(Words(back, 18, 4), (std::vector<u16>{3, 2, 3, 9}));
  EXPECT_EQ(Words(back, 26, 4), (std::vector<u16>{4, 2, 4, 9}));
  // Unsound items are made anew with the defaults: a short one, a row past
  // 999, a type that is no calculation.
  for (int bad = 0; bad < 3; ++bad) {
    std::vector<u8> item(back, back + kSheetCalcCondBytes);
    if (bad == 1) item[8] = 0xE8, item[9] = 0x03;  // row 1000
    if (bad == 2) item[0] = 2;
    McsDeleteInFolder(kSheetFolder, kSheetCalcCondItem);
    ASSERT_EQ(McsCreateInFolder(kSheetFolder, kSheetCalcCondItem, bad == 0 ? 40 : 42, item.data()), 0u);
    ASSERT_EQ(SheetReadCalcCond(c), 0u);
    EXPECT_EQ(Words(c, 2, 4), (std::vector<u16>{1, 1, 1, 5})) << bad;
    EXPECT_GE(Item(kSheetCalcCondItem).size(), kSheetCalcCondBytes);
  }
}

TEST_F(SheetCond, GraphConditionRecreatedFromTheViewWindow) {
  u8 b[kSheetGraphBlockBytes];
  ASSERT_EQ(SheetReadGraphCond(b), 0u);
  // Block 1 (StatGraph1) drawn, A1:A5 against B1:B5; mark 2.
  EXPECT_EQ(Words(b, 32, 16), (std::vector<u16>{1, 1, 1, 1, 1, 5, 2, 1, 2, 5, 0, 0, 0, 0, 2, 0}));
  EXPECT_EQ(Words(b, 64, 1)[0], 0);
  // Three columns selected: X, Y and frequency of the drawn graphs only.
  const SheetRange sel{2, 3, 4, 7};
  SheetFillGraphRanges(reinterpret_cast<i16 *>(b), &sel);
  EXPECT_EQ(Words(b, 32 + 4, 12), (std::vector<u16>{2, 3, 2, 7, 3, 3, 3, 7, 4, 3, 4, 7}));
  EXPECT_EQ(Words(b, 64 + 4, 4), (std::vector<u16>{1, 1, 1, 5}));
  // Deleted, then written: start = Xmin of the V-Window, width 1.
  McsDeleteInFolder(kSheetFolder, kSheetGraphCondItem);
  VwinRecord w;
  ASSERT_EQ(GmemResetVwin(1), 0u);
  ASSERT_EQ(GmemReadVwin(&w), 0u);
  ASSERT_EQ(SheetWriteGraphBlocks(b), 0u);
  const std::vector<u8> item = Item(kSheetGraphCondItem);
  ASSERT_EQ(item.size(), kSheetGraphCondBytes);
  EXPECT_EQ(std::memcmp(item.data(), &w.f[kVwinXmin], 12), 0);
  BcdReal width;
  std::memcpy(&width, item.data() + 12, 12);
  const Value one = V("1");
  EXPECT_EQ(std::memcmp(&width, &one.re, 12), 0);
  EXPECT_EQ(std::memcmp(item.data() + 24, b, kSheetGraphBlockBytes), 0);
  // A histogram start of 1e98 is refused; the width still goes in.
  const Value big = V("1E98"), two = V("2");
  EXPECT_EQ(SheetWriteHistogramChecked(&big.re, &two.re, 0), kSheetErrRange);
  const std::vector<u8> after = Item(kSheetGraphCondItem);
  EXPECT_EQ(std::memcmp(after.data(), &w.f[kVwinXmin], 12), 0);
  EXPECT_EQ(std::memcmp(after.data() + 12, &two.re, 12), 0);
}

}  // namespace
