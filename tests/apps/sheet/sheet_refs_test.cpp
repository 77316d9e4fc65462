// Reference rewriting for copy, move, row and column changes, and the
// whole-sheet pass that checks before it changes anything.
#include <gtest/gtest.h>

#include "apps/sheet/sheet_refs.h"
#include "tests/apps/sheet/sheet_test_util.h"

namespace {

using namespace sheettest;

std::string Copy(const std::string &f, i32 dc, i32 dr) {
  char out[256];
  return SheetCopyRefs(Tok(f).c_str(), out, dc, dr) < 0 ? "TOO LONG" : std::string(out);
}

TEST(SheetRefs, CopyShiftsRelativeParts) {
  struct Case {
    const char *in;
    i32 dc, dr;
    const char *want;
  } cases[] = {
      {"=A1+$B$2", 1, 2, "=B3+$B$2"},    // C3 to D5
      {"=$A1+A$1", 1, 2, "=$A3+B$1"},    // B2 to C4
      {"=A1", -1, -1, "=??"},            // B2 to A1
      {"=Z1", 1, 0, "=?1"},
      {"=A999", 0, 1, "=A?"},
      {"=AB1", 1, 0, "=AC1"},            // A is no reference: a letter follows
      {"=A1*{#7F51}1", 1, 0, "=B1*{#7F51}1"},  // a two-byte token whose second byte is a letter code stays
      {"={#7FE9}A1:B2)", 0, 3, "={#7FE9}A4:B5)"},
  };
  for (const Case &c : cases) EXPECT_EQ(Copy(c.in, c.dc, c.dr), Tok(c.want)) << c.in;
}

TEST(SheetRefs, MoveShiftsOnlyReferencesIntoTheBlock) {
  const SheetRange moved{1, 1, 1, 2};
  char out[256];
  SheetMoveRefs(Tok("=A1+C1").c_str(), out, &moved, 1, 0);
  EXPECT_EQ(std::string(out), Tok("=B1+C1"));
  SheetMoveRefs(Tok("=$A$2+A3").c_str(), out, &moved, 1, 0);
  EXPECT_EQ(std::string(out), Tok("=$B$2+A3"));
}

TEST(SheetRefs, RowsAndColumnsInsertedOrDeleted) {
  struct Case {
    bool rows;
    i32 first;
    u32 del;
    i32 count;
    const char *in, *want;
  } cases[] = {
      {true, 3, 1, 1, "=A3", "=??"},        {true, 3, 1, 1, "=$A$5", "=$A$4"},
      {true, 3, 1, 1, "=A2", "=A2"},        {true, 3, 0, 2, "=A3", "=A5"},
      {true, 3, 0, 2, "=A998", "=A?"},      {false, 2, 1, 1, "=C1", "=B1"},
      {false, 2, 1, 1, "=B1+A1", "=??+A1"}, {false, 26, 0, 1, "=Z1", "=??"},
      {false, 1, 0, 1, "=$A1", "=$B1"},
  };
  for (const Case &c : cases) {
    char out[256];
    const std::string in = Tok(c.in);
    if (c.rows)
      SheetRewriteRowRefs(in.c_str(), out, c.first, c.del, c.count);
    else
      SheetRewriteColRefs(in.c_str(), out, c.first, c.del, c.count);
    EXPECT_EQ(std::string(out), Tok(c.want)) << c.in;
  }
}

TEST(SheetRefs, CellNames) {
  char out[8];
  EXPECT_STREQ(SheetCellName(1, 1, out), "A1");
  EXPECT_STREQ(SheetCellName(26, 999, out), "Z999");
}

class SheetRefPassTest : public Sheet {};

TEST_F(SheetRefPassTest, AFormulaThatWouldPass255BytesStopsThePassBeforeAnyChange) {
  // 63 references A9 take 252 bytes with '=' and the operators; each grows
  // by a digit when a row goes in above it.
  std::string f = "=A9";
  while (f.size() + 3 <= 255) f += "+A9";
  PutFormula(1, 20, f);
  PutFormula(2, 1, "=A9");
  const std::vector<u8> before = Item();
  EXPECT_EQ(SheetCheckRefPass(1, 1, 0, 1, 0), kSheetErrMemory);
  EXPECT_EQ(Item(), before);
  EXPECT_EQ(SheetCheckRefPass(1, 10, 0, 1, 0), 0u);
  SheetRefPass(1, 9, 1, 1);
  EXPECT_EQ(Formula(2, 1), Tok("=??"));
}

}  // namespace
