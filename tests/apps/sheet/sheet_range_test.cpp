// FILL with little free memory: a fill over cells that hold numbers needs
// no room and goes through; one that needs more room than is free changes
// nothing.
#include "apps/sheet/sheet_cmds.h"
#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

class SheetFill : public Sheet {};

TEST_F(SheetFill, NumbersOverFilledCellsFitEmptyColumnsAreRefusedWhole) {
  for (i32 r = 1; r <= 3; ++r) PutNum(1, r, "1");
  PutNum(2, 1, "5");
  FillMemory(40);
  const SheetRange filled{1, 1, 1, 3};
  EXPECT_EQ(SheetFillRange(nullptr, &filled, "9"), 0u);
  for (i32 r = 1; r <= 3; ++r) EXPECT_EQ(Num(1, r), "9") << r;
  // C1:C3 would need a bitmap and three numbers.
  const std::vector<u8> before = Item();
  const SheetRange empty{2, 1, 3, 3};
  EXPECT_EQ(SheetFillRange(nullptr, &empty, "7"), kSheetErrMemory);
  EXPECT_EQ(Item(), before);
  // Corners outside the sheet.
  for (const SheetRange &bad : {SheetRange{0, 1, 1, 1}, SheetRange{1, 1, 27, 1}, SheetRange{1, 1, 1, 1000}})
    EXPECT_EQ(SheetFillRange(nullptr, &bad, "1"), kSheetErrRange);
}

}  // namespace
