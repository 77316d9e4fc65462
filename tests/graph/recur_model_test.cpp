// The recursion engine: tables of terms and sums for each type, ranges,
// error cells, dependencies between sequences, and what the evaluator and
// programs read and write of it.
#include "graph/recur/recur_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../eval/eval_testutil.h"
#include "eval/eval_glue.h"
#include "graph/recur/recur_glue.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/memory/gmem_vwin.h"
#include "kernel/calc_ram.h"
#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "number/realop.h"
#include "numeric/array.h"
#include "ui/setup.h"

namespace {

using numtest::R;
using numtest::Show;

// Token bytes of the recursion formulas.
const std::string kAn = "\x7F\xA0", kAn1 = "\x7F\xA1", kN = "\x7F\xA3";
const std::string kBn = "\x7F\xA7", kCn = "\xF9\x12";
const std::string kMul = "\xA9", kAdd = "\x89", kSub = "\x99", kDiv = "\xB9", kSq = "\x8B";

class Recur : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    ASSERT_EQ(McsClearAll(), 0u);
    evaltest::ResetState();
  }
  void TearDown() override {
    evaltest::ResetState();
    HostFreeCalcRam();
  }
  static void Formula(int which, const std::string &text, bool selected = true) {
    ASSERT_EQ(RecurWriteFormula(which, text.c_str()), 0u);
    RecurSelectFormula(which, selected ? 1 : 0);
  }
  static void Set(u32 id, const char *v) {
    const BcdReal x = R(v);
    ASSERT_EQ(RecurWriteValue(id, &x), 0u);
  }
  static void Setup(u8 type, const char *start, const char *end, bool sums) {
    SetupSetItem(kSetupRecurType, type);
    SetupSetItem(kSetupSumDisplay, sums ? 0 : 1);
    Set(kRecurIdStart, start);
    Set(kRecurIdEnd, end);
  }
  // Column col (from 1) of the table as text.
  static std::vector<std::string> Column(u32 col) {
    std::vector<std::string> out;
    u32 rows = 0, cols = 0;
    if (ItemMatDims(kRecurTableMatrix, &rows, &cols) != 0) return out;
    for (u32 r = 1; r <= rows; ++r) {
      Value v;
      EXPECT_EQ(ItemMatGet(kRecurTableMatrix, r, col, &v), 0u);
      out.push_back(Show(v.re));
    }
    return out;
  }
  static u32 Cols() {
    u32 rows = 0, cols = 0;
    ItemMatDims(kRecurTableMatrix, &rows, &cols);
    return cols;
  }
  using V = std::vector<std::string>;
};

TEST_F(Recur, NewRangeItemStartsAtZeroAndEndsAtFive) {
  BcdReal v;
  ASSERT_EQ(RecurReadValue(kRecurIdStart, &v), 0u);
  EXPECT_EQ(Show(v), "0");
  ASSERT_EQ(RecurReadValue(kRecurIdEnd, &v), 0u);
  EXPECT_EQ(Show(v), "5");
  ASSERT_EQ(RecurReadValue(kRecurIdAStart + 2, &v), 0u);
  EXPECT_EQ(Show(v), "0");
}

TEST_F(Recur, FirstOrderTermsAndSumsFromTheInitialTerm) {
  Formula(1, "2" + kMul + kAn + kAdd + "1");
  Set(kRecurIdA0, "1");
  Setup(1, "0", "10", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Cols(), 3u);
  EXPECT_EQ(Column(1), (V{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  EXPECT_EQ(Column(2), (V{"1", "3", "7", "15", "31", "63", "127", "255", "511", "1023", "2047"}));
  EXPECT_EQ(Column(3), (V{"1", "4", "11", "26", "57", "120", "247", "502", "1013", "2036", "4083"}));

  // Starting later still counts the sums from a0.
  Setup(1, "3", "6", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(1), (V{"3", "4", "5", "6"}));
  EXPECT_EQ(Column(2), (V{"15", "31", "63", "127"}));
  EXPECT_EQ(Column(3), (V{"26", "57", "120", "247"}));
}

TEST_F(Recur, SecondOrderFibonacci) {
  Formula(1, kAn1 + kAdd + kAn);
  Set(kRecurIdA0, "1");
  Set(kRecurIdA1, "1");
  Setup(3, "0", "20", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(2).front(), "1");
  EXPECT_EQ(Column(2).back(), "10946");
  EXPECT_EQ(Column(3).back(), "28656");
  EXPECT_EQ(Column(3)[0], "1");  // the sum of row 0 is a0 itself
  EXPECT_EQ(Column(3)[1], "2");

  // The longest table: a70 is exact, a254 and its sum within 1E-13.
  Setup(3, "0", "254", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  const V terms = Column(2), sums = Column(3);
  ASSERT_EQ(terms.size(), 255u);
  EXPECT_EQ(terms[70], "308061521170129");
  // mpmath at 30 digits: a254 = 8.757159534301888...E+52, sum 2.292654130570749...E+53.
  Value tv{}, sv{};
  ASSERT_EQ(ItemMatGet(kRecurTableMatrix, 255, 2, &tv), 0u);
  ASSERT_EQ(ItemMatGet(kRecurTableMatrix, 255, 3, &sv), 0u);
  EXPECT_NEAR(std::stod(Show(tv.re)) / 8.757159534301888e52, 1.0, 1e-13);
  EXPECT_NEAR(std::stod(Show(sv.re)) / 2.292654130570749e53, 1.0, 1e-13);

  // Start and End 0: only the row of a0.
  Setup(3, "0", "0", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(2), (V{"1"}));
}

TEST_F(Recur, FormulasSeeTheirOwnN) {
  // an+1 = an + n from a0 = 0: n is the index of the term read.
  Formula(1, kAn + kAdd + kN);
  Setup(1, "0", "5", false);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(2), (V{"0", "0", "1", "3", "6", "10"}));
}

TEST_F(Recur, TokenWithAZeroSecondByteIsKeptWhole) {
  // an+1 = an + Xmin: Xmin is 0x7F 0x00, last in the text.
  const std::string kXmin("\x7F\x00", 2);
  const std::string text = kAn + kAdd + kXmin;
  const BcdReal two = R("2");
  ASSERT_EQ(GmemWriteVwinValue(&two, 0), 0u);
  Set(kRecurIdA0, "0");
  Setup(1, "0", "3", false);
  // Stored by the application and by a program ("text" -> an+1).
  for (bool program : {false, true}) {
    RecurDeleteFormula(1);
    if (program) {
      const u8 an1[] = {0x7F, 0xA1, 0};
      const u8 *p = an1;
      u32 err = 99;
      ASSERT_EQ(RecurAssignText(&p, reinterpret_cast<const u8 *>(text.data()), static_cast<u32>(text.size()), &err), 1u);
      ASSERT_EQ(err, 0u);
    } else {
      Formula(1, text);
    }
    const u8 *stored = RecurFormulaText(1);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(RecurTextLength(stored), text.size());
    char buf[260];
    EXPECT_EQ(std::string(RecurReadFormula(1, buf), text.size()), text);
    ASSERT_EQ(RecurGenerateTable(), 0u);
    EXPECT_EQ(Column(2), (V{"0", "2", "4", "6"}));
  }
  // A lead byte as the last byte before the item's end would take the end as
  // its second byte: the text reads as empty and is never walked past.
  const u8 cut[] = {0x04, 0x09, 0x10, 2, '1', 0x89, 0x7F, 0};
  McsDeleteByKind(2, "AN");
  ASSERT_EQ(McsCreateByKind(2, "AN", sizeof cut, cut), 0u);
  u32 size = 0;
  u8 *data = nullptr;
  ASSERT_EQ(McsOpenByKindPtr(2, "AN", &size, &data), 0u);
  ASSERT_EQ(size, sizeof cut);
  ASSERT_NE(RecurFormulaText(1), nullptr);
  EXPECT_EQ(RecurFormulaText(1)[0], 0);
  EXPECT_FALSE(RecurFormulaInUse(1));
}

TEST_F(Recur, GeneralTermSumsCountFromStart) {
  Formula(1, kN + kSq + kAdd + "1");
  Setup(0, "0", "5", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(2), (V{"1", "2", "5", "10", "17", "26"}));
  EXPECT_EQ(Column(3), (V{"1", "3", "8", "18", "35", "61"}));
  Setup(0, "3", "5", true);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(3), (V{"10", "27", "53"}));
}

TEST_F(Recur, IndexStepsAsAdditionDoes) {
  // Column n and aₙ = n over ranges whose index carries into new digits:
  // each cell has the bytes Start + 1 + 1 ... gives by addition.
  Formula(1, kN);
  struct Case {
    const char *start, *end;
  };
  for (const Case &c : {Case{"0", "12"}, Case{"7", "21"}, Case{"95", "101"}, Case{"998", "1003"}, Case{"1995", "2003"},
                        Case{"99999999999990", "100000000000000"}, Case{"12345678901234", "12345678901240"}}) {
    Setup(0, c.start, c.end, false);
    ASSERT_EQ(RecurGenerateTable(), 0u) << c.start;
    u32 rows = 0, cols = 0;
    ASSERT_EQ(ItemMatDims(kRecurTableMatrix, &rows, &cols), 0u);
    BcdReal want = R(c.start);
    const BcdReal one = R("1");
    for (u32 r = 1; r <= rows; ++r) {
      for (u32 col = 1; col <= 2; ++col) {
        Value v;
        ASSERT_EQ(ItemMatGet(kRecurTableMatrix, r, col, &v), 0u);
        ASSERT_EQ(std::memcmp(v.re.b, want.b, 9), 0) << c.start << " row " << r << ": " << Show(v.re) << " for "
                                                     << Show(want);
      }
      RealAdd(&want, &one, &want);
    }
    BcdReal past = R(c.end);
    RealAdd(&past, &one, &past);
    EXPECT_EQ(Show(want), Show(past)) << c.start << ": every row up to End";
  }
}

TEST_F(Recur, MathErrorStaysInItsCell) {
  Formula(1, "1" + kDiv + "(" + kN + kSub + "2)");
  Setup(0, "0", "4", false);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Column(2), (V{"-0.5", "-1", "E3", "1", "0.5"}));
  // The result matrix leaves the row of the error out.
  Value m;
  ASSERT_EQ(RecurResultMatrix(&m), 0u);
  EXPECT_EQ(ArrInfoOf(&m).rows, 4u);
  ArrFreeHeap(ArrInfoOf(&m).handle);
}

TEST_F(Recur, OnlySelectedSequencesAreWritten) {
  // an+1 = an + bn needs b, which is computed but has no column of its own.
  Formula(1, kAn + kAdd + kBn);
  Formula(2, "2" + kMul + kBn, false);
  Set(kRecurIdA0, "0");
  Set(kRecurIdA0 + 1, "1");
  Setup(1, "0", "5", false);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  EXPECT_EQ(Cols(), 2u);
  EXPECT_EQ(Column(2), (V{"0", "1", "3", "7", "15", "31"}));
  EXPECT_EQ(RecurDependencyFlags(), u32{kRecurSelA | kRecurNeedA | kRecurNeedB});
}

TEST_F(Recur, ColumnsFollowTheSelectionAndSums) {
  struct Case {
    u32 flags;
    bool sums;
    u32 a, b, c;
  } cases[] = {
      {kRecurSelA | kRecurSelB | kRecurSelC, false, 2, 3, 4},
      {kRecurSelA | kRecurSelB | kRecurSelC, true, 2, 4, 6},
      {kRecurSelB | kRecurSelC, true, 0, 2, 4},
      {kRecurSelC, false, 0, 0, 2},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(RecurColumn(c.flags, 0, c.sums), c.a);
    EXPECT_EQ(RecurColumn(c.flags, 1, c.sums), c.b);
    EXPECT_EQ(RecurColumn(c.flags, 2, c.sums), c.c);
  }
}

TEST_F(Recur, RangeAndSelectionErrors) {
  Formula(1, kAn + kAdd + "1");
  struct Case {
    u8 type;
    const char *start, *end;
    u32 code;
  } cases[] = {
      {1, "0", "255", 28},   // 256 rows
      {1, "0", "254", 0},    // 255 rows
      {1, "5", "4", 28},     // Start after End
      {2, "0", "3", 28},     // type 2 starts at 1
      {1, "-1", "3", 28},    // below 0, as a program may store it
      {1, "1.5", "3", 28},   // terms are numbered by whole numbers
      {1, "0", "2E14", 28},  // beyond 1E14
      {4, "1", "3", 0},
  };
  for (const Case &c : cases) {
    Setup(c.type, c.start, c.end, false);
    EXPECT_EQ(RecurGenerateTable(), c.code) << int(c.type) << " " << c.start << ".." << c.end;
    u32 rows = 0, cols = 0;
    // A failed generation leaves no table.
    if (c.code) {
      EXPECT_NE(ItemMatDims(kRecurTableMatrix, &rows, &cols), 0u);
    }
  }
  RecurSelectFormula(1, 0);
  Setup(1, "0", "3", false);
  EXPECT_EQ(RecurGenerateTable(), 30u);
}

TEST_F(Recur, FormulaErrorsEndTheGeneration) {
  // A list result and a formula of b that has no text.
  Formula(1, "{1,2}");
  Setup(0, "0", "3", false);
  EXPECT_EQ(RecurGenerateTable(), 2u);
  Formula(1, kAn + kAdd + kCn);
  Setup(1, "0", "3", false);
  EXPECT_EQ(RecurGenerateTable(), 2u);
  // an+1 in a first-order formula is not a value of the type.
  Formula(1, kAn1 + kAdd + "1");
  EXPECT_EQ(RecurGenerateTable(), 2u);
}

TEST_F(Recur, LongWalkBeforeStartEndsWithBreak) {
  Formula(1, kAn + kAdd + "1");
  Setup(1, "1000000000", "1000000005", false);
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);  // AC
  EXPECT_EQ(RecurGenerateTable(), 1u);
}

TEST_F(Recur, TypeChangeKeepsTheStartingTerm) {
  struct Case {
    u8 from;
    u32 kind;
    u8 to;
  } cases[] = {{0, 1, 0}, {0, 2, 1}, {2, 2, 2}, {4, 2, 2}, {1, 3, 3}, {2, 3, 4}};
  for (const Case &c : cases) {
    SetupSetItem(kSetupRecurType, c.from);
    EXPECT_EQ(RecurSetType(c.kind), 0u);
    EXPECT_EQ(RecurType(), c.to);
  }
}

TEST_F(Recur, TermsAreReadOnlyWhileATableIsMade) {
  BcdReal v;
  SetupSetItem(kSetupRecurType, 1);
  EXPECT_EQ(RecurReadValue(kRecurWorkAn, &v), 4u);
  EXPECT_EQ(RecurReadValue(kRecurWorkAn + 1, &v), 2u);  // an+1 in type 1
  SetupSetItem(kSetupRecurType, 0);
  EXPECT_EQ(RecurReadValue(kRecurWorkAn, &v), 2u);
  // Typed on the run line, a term is Syntax ERROR; R End reads its value.
  EXPECT_EQ(evaltest::Eval("{an}"), "E2");
  EXPECT_EQ(evaltest::Eval("{RStart}"), "0");
}

TEST_F(Recur, ProgramsStoreValuesAndFormulas) {
  Value v{};
  v.re = R("7");
  const u8 rEnd[] = {0x7F, 0x96, 0};
  const u8 *p = rEnd;
  u32 err = 99;
  ASSERT_EQ(RecurAssignValue(&p, &v, &err), 1u);
  EXPECT_EQ(err, 0u);
  EXPECT_EQ(p, rEnd + 2);
  BcdReal out;
  ASSERT_EQ(RecurReadValue(kRecurIdEnd, &out), 0u);
  EXPECT_EQ(Show(out), "7");

  const std::string text = "3" + kMul + kAn;
  const u8 an1[] = {0x7F, 0xA1, 0};
  p = an1;
  ASSERT_EQ(RecurAssignText(&p, reinterpret_cast<const u8 *>(text.data()), static_cast<u32>(text.size()), &err), 1u);
  EXPECT_EQ(err, 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(RecurFormulaText(1))), text);
  EXPECT_TRUE(RecurFormulaInUse(1));

  // Anything else is not the recursion's.
  const u8 other[] = {0x7F, 0x00, 0};
  p = other;
  EXPECT_EQ(RecurAssignValue(&p, &v, &err), 0u);
  EXPECT_EQ(p, other);
}

TEST_F(Recur, DamagedRangeItemReadsSafely) {
  // Shorter than its fourteen values: made afresh.
  const u8 shortItem[5] = {1, 2, 3, 4, 5};
  ASSERT_EQ(McsCreateInFolder("@RECUR", "RECRG", sizeof shortItem, shortItem), 0u);
  BcdReal v;
  ASSERT_EQ(RecurReadValue(kRecurIdEnd, &v), 0u);
  EXPECT_EQ(Show(v), "5");
  // A value that is no real reads as 0.
  const u8 junk[12] = {0x1F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_LE(McsWriteInFolder("@RECUR", "RECRG", 12, junk, 12), 2u);
  ASSERT_EQ(RecurReadValue(kRecurIdEnd, &v), 0u);
  EXPECT_EQ(Show(v), "0");
}

}  // namespace
