// The equation application's model without a screen: the cell window's
// moves and wraps, the rule that a stored cell deletes the results, the
// memory check of a new size, the Solver's scan of an equation and its two
// items.
#include "apps/calc/equa_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/numparse.h"
#include "number/value.h"
#include "ui/keycodes.h"
#include "ui/sysvar.h"

namespace {

class EquaModel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
  }
  void TearDown() override { HostFreeCalcRam(); }
};

std::string Where(const EquaCellWindow &w) {
  return std::to_string(w.row) + "," + std::to_string(w.col) + " top " + std::to_string(w.top) + " left " +
         std::to_string(w.left);
}

// Keys from the first cell, and where the cursor and the window end up.
TEST_F(EquaModel, CursorMovesWrapsAndTheWindowStaysInsideTheMatrix) {
  struct Case {
    u8 matrix;
    u32 rows, cols;
    std::vector<u32> keys;
    std::string want;
  } cases[] = {
      // UP from row 1 of 5 or 6 equations: the last row in the window's
      // last place, never a row past the matrix.
      {kEquaSimlCoef, 6, 7, {kKeyUp}, "5,0 top 2 left 0"},
      {kEquaSimlCoef, 5, 6, {kKeyUp}, "4,0 top 1 left 0"},
      {kEquaSimlCoef, 3, 4, {kKeyUp}, "2,0 top 0 left 0"},
      {kEquaSimlCoef, 6, 7, {kKeyUp, kKeyDown}, "0,0 top 0 left 0"},
      // LEFT from the first cell: the constant of the last equation.
      {kEquaSimlCoef, 6, 7, {kKeyLeft}, "5,6 top 2 left 3"},
      {kEquaSimlCoef, 2, 3, {kKeyLeft}, "1,2 top 0 left 0"},
      // RIGHT from the last constant: the first cell.
      {kEquaSimlCoef, 6, 7, {kKeyLeft, kKeyRight}, "0,0 top 0 left 0"},
      // RIGHT from a row's constant: the next row's first cell.
      {kEquaSimlCoef, 3, 4, {kKeyRight, kKeyRight, kKeyRight, kKeyRight}, "1,0 top 0 left 0"},
      // The window scrolls one column at a time.
      {kEquaSimlCoef, 6, 7, {kKeyRight, kKeyRight, kKeyRight, kKeyRight}, "0,4 top 0 left 1"},
      {kEquaSimlCoef, 6, 7, {kKeyDown, kKeyDown, kKeyDown, kKeyDown}, "4,0 top 1 left 0"},
      // A polynomial moves along its row and wraps at its ends.
      {kEquaPolyCoef, 1, 4, {kKeyLeft}, "0,3 top 0 left 0"},
      {kEquaPolyCoef, 1, 3, {kKeyLeft, kKeyRight}, "0,0 top 0 left 0"},
      {kEquaPolyCoef, 1, 3, {kKeyUp, kKeyDown}, "0,0 top 0 left 0"},
      // Results: every arrow moves by one root or unknown.
      {kEquaSimlResult, 6, 1, {kKeyLeft}, "5,0 top 2 left 0"},
      {kEquaPolyResult, 3, 2, {kKeyRight, kKeyDown}, "2,0 top 0 left 0"},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(ItemMatCreate(c.matrix, c.rows, c.cols), 0u);
    EquaCellWindow w;
    ASSERT_TRUE(EquaWindowOpen(&w, c.matrix));
    for (u32 k : c.keys) EquaWindowMove(&w, k);
    EXPECT_EQ(Where(w), c.want) << int(c.matrix) << " " << c.rows << "x" << c.cols;
    EXPECT_LE(w.top + EquaShownRows(&w), w.rows);
    EXPECT_LE(w.left + EquaShownCols(&w), w.cols);
    ItemMatDelete(c.matrix);
  }
  // While the value takes two rows, three rows show and the cursor stays in
  // them.
  ASSERT_EQ(ItemMatCreate(kEquaSimlResult, 6, 1), 0u);
  EquaCellWindow w;
  ASSERT_TRUE(EquaWindowOpen(&w, kEquaSimlResult));
  for (int i = 0; i < 3; ++i) EquaWindowMove(&w, kKeyDown);
  w.twoRowValue = 1;
  EquaWindowFollow(&w);
  EXPECT_EQ(Where(w), "3,0 top 1 left 0");
}

// Bytes 0-8 of a real: its digits, for comparisons.
std::string Digits(const BcdReal &r) { return std::string(reinterpret_cast<const char *>(r.b), 9); }

Value Num(const char *text) {
  Value v;
  std::memset(&v, 0, sizeof v);
  NumParse(text, &v.re);
  return v;
}

TEST_F(EquaModel, EveryCellChangeDeletesTheResultsFirst) {
  ASSERT_EQ(EquaNewSize(kEquaPolyCoef, 2), 0u);
  EXPECT_EQ(EquaPolySize(), 2u);
  ASSERT_EQ(ItemMatCreate(kEquaPolyResult, 2, 1), 0u);
  ASSERT_EQ(ItemMatCreate(kEquaPolyMult, 2, 1), 0u);
  EquaCellWindow w;
  ASSERT_TRUE(EquaWindowOpen(&w, kEquaPolyCoef));
  const Value zero = Num("0");
  // The same value as stored still deletes them.
  ASSERT_EQ(EquaStoreCell(&w, &zero), 0u);
  EXPECT_FALSE(EquaResultsPresent(kEquaPolyCoef));
  u32 r = 0, c = 0;
  EXPECT_NE(ItemMatDims(kEquaPolyMult, &r, &c), 0u);
  // CLR: zeros of the same size, no results.
  const Value five = Num("5");
  ASSERT_EQ(EquaStoreCell(&w, &five), 0u);
  ASSERT_EQ(ItemMatCreate(kEquaPolyResult, 2, 1), 0u);
  ASSERT_EQ(EquaClearCoefs(kEquaPolyCoef), 0u);
  Value v;
  ASSERT_EQ(ItemMatGet(kEquaPolyCoef, 1, 1, &v), 0u);
  EXPECT_EQ(ValErrorCode(&v), 0);
  EXPECT_EQ(v.re.b[1], 0) << "zero again";
  EXPECT_FALSE(EquaResultsPresent(kEquaPolyCoef));
  // A new number of unknowns replaces the coefficients by zeros.
  ASSERT_EQ(EquaNewSize(kEquaSimlCoef, 3), 0u);
  ASSERT_EQ(ItemMatDims(kEquaSimlCoef, &r, &c), 0u);
  EXPECT_EQ(r * 10 + c, 34u);
  EXPECT_EQ(EquaSimlSize(), 3u);
}

// Not enough memory for the new size: Memory ERROR, and the stored
// coefficients stand.
TEST_F(EquaModel, NewSizeWithoutRoomDeletesNothing) {
  ASSERT_EQ(EquaNewSize(kEquaSimlCoef, 2), 0u);
  // Fill main memory with one big text item.
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  std::vector<u8> fill(freeBytes, 1);
  u32 size = freeBytes;
  while (size > 64 && McsCreateByKind(kMcsKindText, "FILL", size, fill.data()) != 0) size -= 64;
  EXPECT_EQ(EquaNewSize(kEquaSimlCoef, 6), 4u);
  EXPECT_EQ(EquaSimlSize(), 2u);
}

TEST_F(EquaModel, SolverScanOfAnEquation) {
  struct Case {
    std::string text;
    u16 code;
    std::string vars;
  } cases[] = {
      {"X\x8b=A", 0, "XAlu"},                 // X²=A
      {"B=A\x89" "B", 0, "BAlu"},             // first appearance order
      {"X\x8b\x89" "1", 0, "Xlu"},            // no '=' is accepted
      {"\xcd\xa9\xce=2", 0, "\xcd\xce" "lu"}, // r and theta
      {"\x81X=\x85Y", 0, "XYlu"},             // sin X = ln Y
      {"X=Y=1", 2, ""},                       // two '='
      {"12=3", 20, ""},                       // no variable
      {"", 20, ""},
      {"X=\x7f\x50", 2, ""},                  // a two-byte character
      {"X=\"A\"", 2, ""},                     // a character outside the set
      {"X,Y", 2, ""},
  };
  for (const Case &c : cases) {
    u8 codes[kEquaSolverMaxVars];
    u16 count = 0;
    EXPECT_EQ(EquaSolverScanVars(reinterpret_cast<const u8 *>(c.text.c_str()), codes, &count), c.code) << c.text;
    if (c.code == 0) {
      EXPECT_EQ(std::string(reinterpret_cast<char *>(codes), count), c.vars) << c.text;
    }
  }
  // More variables than lines: the list holds what fits, the bounds last.
  std::string many;
  for (int i = 0; i < 26; ++i) many += static_cast<char>('A' + i), many += "\x89";
  many += "\xcd\x89\xce";
  u8 codes[kEquaSolverMaxVars];
  u16 count = 0;
  ASSERT_EQ(EquaSolverScanVars(reinterpret_cast<const u8 *>(many.c_str()), codes, &count), 0u);
  EXPECT_EQ(count, 30u);
  EXPECT_EQ(codes[29], kEquaLineUpper);
}

TEST_F(EquaModel, StoredEquationResetsTheBoundsAndAFailedStoreKeepsTheOld) {
  BcdReal lower, upper;
  ASSERT_EQ(EquaSolverReadLimits(&lower, &upper), 0u);
  const BcdReal zero = Num("0").re, ten = Num("10").re;
  EXPECT_EQ(EquaSolverWriteLimit(0, &zero), 0u);
  EXPECT_EQ(EquaSolverWriteLimit(1, &ten), 0u);
  BcdReal err;
  RealMakeError(3, &err);
  EXPECT_EQ(EquaSolverWriteLimit(1, &err), 3u) << "an error value is not written";
  ASSERT_EQ(EquaSolverReadLimits(&lower, &upper), 0u);
  EXPECT_EQ(Digits(upper), Digits(ten));
  EXPECT_EQ(Digits(lower), Digits(zero));

  const u8 first[] = "X\x8b=A";
  ASSERT_EQ(EquaSolverStoreEquation(first), 0u);
  ASSERT_EQ(EquaSolverReadLimits(&lower, &upper), 0u);
  EXPECT_EQ(Digits(lower), Digits(Num("-9E99").re));
  EXPECT_EQ(Digits(upper), Digits(Num("9E99").re));

  // With main memory full, a longer equation cannot be stored: the old one
  // stands.
  u32 total = 0, used = 0, freeBytes = 0;
  McsGetMemoryUse(&total, &used, &freeBytes);
  std::vector<u8> fill(freeBytes, 1);
  u32 size = freeBytes;
  while (size > 4 && McsCreateByKind(kMcsKindText, "FILL", size, fill.data()) != 0) size -= 4;
  u8 longer[200];
  std::memset(longer, 'X', sizeof longer - 1);
  longer[sizeof longer - 1] = 0;
  EXPECT_EQ(EquaSolverStoreEquation(longer), 4u);
  u8 text[256];
  ASSERT_TRUE(EquaSolverLoadEquation(text));
  EXPECT_STREQ(reinterpret_cast<char *>(text), reinterpret_cast<const char *>(first));

  McsDeleteByKind(kMcsKindText, "FILL");
  EquaSolverDeleteEquation();
  EXPECT_FALSE(EquaSolverLoadEquation(text));
  EXPECT_FALSE(EquaSolverLimitsExist());
}

TEST_F(EquaModel, ComplexVariablesAreMadeReal) {
  Value v = Num("3");
  NumParse("4", &v.im);
  v.re.b[0] |= 0x80;
  SysStoreVariable('B', &v);
  const u8 codes[] = {'B', kEquaLineLower, kEquaLineUpper};
  EquaSolverRealVars(codes, 3);
  Value got;
  SysReadVariable('B', &got);
  EXPECT_EQ(ValIsComplex(&got), 0);
  EXPECT_EQ(Digits(got.re), Digits(Num("3").re));
}

}  // namespace
