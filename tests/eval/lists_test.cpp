// Lists and matrices through the evaluator: literals and their limits,
// element-wise arithmetic and functions, stored lists and matrices with
// their element forms, and the list and matrix functions.
#include <gtest/gtest.h>

#include <string>

#include "../numeric/array_testutil.h"
#include "eval/eval_lists.h"
#include "eval_testutil.h"
#include "kernel/calc_ram.h"
#include "memory/item_array.h"
#include "memory/mcs_api.h"
#include "ui/setup.h"

namespace {

// '{' and '}' of a list literal in the token notation of eval_testutil.h.
std::string L(const std::string &inside) { return "{#7B}" + inside + "{#7D}"; }

std::string Calc(const std::string &text) {
  evaltest::Outcome o = evaltest::Whole(text);
  const std::string s = arrtest::Show(o.value);
  if ((o.ok != 0) == (s[0] == 'E')) return "status mismatch: " + s;
  EvalFreeCell(&o.value);
  return s;
}

class Lists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostAllocCalcRam(), 1u);
    McsClearAll();
    evaltest::ResetState();
    SetList(1, {"1", "2", "3"});
    SetList(2, {"10", "20", "30"});
    SetList(3, {"1", "0|1"});
    SetList(0, {"4", "9"});  // List Ans
    ASSERT_EQ(ItemMatCreate(0, 1, 1), 0u);  // Mat Ans = [[5]]
    const Value five = numtest::V("5");
    ASSERT_EQ(ItemMatSet(0, 1, 1, &five), 0u);
    ASSERT_EQ(ItemMatCreate(1, 2, 2), 0u);  // Mat A = [[1,2][3,4]]
    const char *a[] = {"1", "2", "3", "4"};
    for (u32 k = 0; k < 4; ++k) {
      const Value v = numtest::V(a[k]);
      ASSERT_EQ(ItemMatSet(1, k / 2 + 1, k % 2 + 1, &v), 0u);
    }
  }
  void TearDown() override {
    evaltest::ResetState();
    HostFreeCalcRam();
  }
  static void SetList(u8 n, const std::vector<std::string> &els) {
    ASSERT_EQ(ItemListCreate(0, n, 0), 0u);
    for (const std::string &e : els) {
      const Value v = arrtest::Elem(e);
      ASSERT_EQ(ItemListSet(0, n, 0, &v), 0u);
    }
  }
};

TEST_F(Lists, ExpressionsWithListsAndMatrices) {
  const std::string mat = "[[1,2][3,4]]";
  struct Case {
    std::string text, want;
  } cases[] = {
      // Literals and element-wise arithmetic.
      {L("1,2,3") + "+10", "{11,12,13}"},
      {"10-" + L("1,2"), "{9,8}"},
      {L("1,2") + "*" + L("3,4"), "{3,8}"},
      {L("1,2,3") + "+" + L("1,2"), "E9"},
      {L("1,2,3"), "{1,2,3}"},  // the closing brace left out at the end
      {"{sin}" + L("0,30"), "{0,0.5}"},
      {"{sqrt}" + L("4,9"), "{2,3}"},
      {"{sqrt}" + L("4,~9"), "E17"},
      {L("1,2{i}"), "c{1,0|2}"},
      {L("1,{i}") + "*{i}", "c{0|1,-1}"},
      {L("{i},2") + "-" + L("{i},2"), "{0,0}"},
      {L("1,{Max}{List}1)"), "E2"},  // a list name inside a literal
      {L("{List}1[1],2"), "E2"},
      {L("{#7F6A}[3],2"), "{3,2}"},     // List1 is one token and may stand there
      {L("2{#7F6B}[1]+1,{#7F6A}[2]"), "{21,2}"},
      {L("1,2") + "=" + L("1,3"), "{1,0}"},
      // Each element of a result gets the clean-up a number gets.
      {"{Int}(" + L("1") + "/3*3)", "{1}"},
      {L("1,2") + "/3*3", "{1,2}"},
      {"({sqrt}" + L("2") + "){sq}", "{2}"},
      {"{List}1/3*3", "{1,2,3}"},
      {L("1,{i}") + "/3*3", "c{1,0|1}"},
      {"{Int}([[1/3]]*3)", "[[1]]"},
      // Matrices.
      {mat, "[[1,2][3,4]]"},
      {mat + "*[[1,0][0,1]]", "[[1,2][3,4]]"},
      {mat + "+" + mat, "[[2,4][6,8]]"},
      {"2*" + mat, "[[2,4][6,8]]"},
      {mat + "^2", "[[7,10][15,22]]"},
      {mat + "{inv}", "[[-2,1][1_1/2,-1/2]]"},
      {"{Det}" + mat, "-2"},
      {"{#7F41}" + mat, "[[1,3][2,4]]"},
      {"{#7F46}" + mat, "{2,2}"},
      {"{#7F48}2", "[[1,0][0,1]]"},
      {"[[1,2{i}]]", "E3"},
      {"[[1,2][3]]", "E9"},
      {mat + "+" + L("1"), "E3"},
      // Stored lists and matrices, used in place and copied.
      {"{List}1+1", "{2,3,4}"},
      {"{List}1*{List}2", "{10,40,90}"},
      {"{List}1[2]", "2"},
      {"{List}1[0]", "E8"},
      {"{List}1[1000]", "E8"},
      {"{List}1[4]", "E9"},
      {"{List}9", "E9"},
      {"{#7F6B}", "{10,20,30}"},  // List2
      {"{List}3", "c{1,0|1}"},
      {"{List}3[2]", "(0,1)"},
      {"{Mat}A", "[[1,2][3,4]]"},
      {"{Mat}A[2,1]", "3"},
      {"{Mat}A[3,1]", "E9"},
      {"{Mat}B", "E9"},
      {"{Mat}A*{Mat}A", "[[7,10][15,22]]"},
      {"{List}{Ans}*2", "{8,18}"},
      {"{Mat}{Ans}", "[[5]]"},
      // Functions of lists.
      {"{Sum}" + L("1,2,3"), "6"},
      {"{#7F4D}" + L("2,0.5"), "1"},
      {"{#7F4F}" + L("1,2,3"), "{1,3,6}"},
      {"{#7F4E}" + L("1,3"), "{25,75}"},
      {"{#7F46}{List}1", "3"},
      {"{#7F52}" + L("1,4,9"), "{3,5}"},
      {"{#7F52}" + L("5"), "E9"},
      {"{#7F52}1", "{1,1}"},
      {"{#7F49}" + L("1") + "," + L("2,3") + ")", "{1,2,3}"},
      {"{#7F49}" + mat + ",[[5][6]])", "[[1,2,5][3,4,6]]"},
      {"{#7F49}" + L("1") + ",[[1]])", "E8"},
      {"{Max}" + L("1,3,3") + ")", "3"},
      {"{#7F2D}" + L("1,5") + "," + L("2,0") + ")", "{1,0}"},
      {"{#7F2E}" + L("1,2,3,4") + ")", "2.5"},
      {"{#7F2F}" + L("1,2,3") + "," + L("1,0,3") + ")", "3"},
      {"{#7F2F}{List}1)", "2"},
      {"{#7F4A}" + L("1,2") + "," + L("3,4") + ")", "[[1,3][2,4]]"},
      {"{#7F4A}{List}1,{List}2,{List}1)", "[[1,10,1][2,20,2][3,30,3]]"},
      {"{#7F4A}" + L("1,2") + "," + L("3") + ")", "E9"},
      {"{#7F4B}" + mat + ",2)", "{2,4}"},
      {"{#7F4B}{Mat}A,3)", "E9"},
  };
  for (const Case &c : cases) EXPECT_EQ(Calc(c.text), c.want) << c.text;
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
}

// A list element whose index is plain digits is read directly; it must read
// exactly as the evaluator's index road reads it (the same index in
// brackets takes that road): status, value bytes and the token after it.
TEST_F(Lists, PlainIndexReadsAsTheIndexExpressionDoes) {
  const char *indexes[] = {"1", "2", "3", "4", "0", "03", "10", "12", "999", "1000", "2.", "2{e}0", "A", "3+0"};
  const char *lists[] = {"{List}1", "{#7F6A}", "{List}3", "{List}4", "{List}9", "{List}{Ans}"};
  const char *tails[] = {"", "+1", "2", "{sq}", ")"};
  std::vector<std::string> twenty;
  for (int k = 1; k <= 20; ++k) twenty.push_back(std::to_string(k * 3));
  SetList(4, twenty);
  // The decimal mode and the hexadecimal Base-N mode (where "10" is 16).
  for (u8 mode : {u8{0}, u8{15}}) {
    evaltest::ResetState();
    SetupSetItem(kSetupMode, mode);
    for (const char *list : lists) {
      for (const char *index : indexes) {
        for (const char *tail : tails) {
          const std::string plain = std::string(list) + "[" + index + "]" + tail;
          const std::string road = std::string(list) + "[(" + index + ")]" + tail;
          evaltest::Outcome a = evaltest::Whole(plain);
          evaltest::Outcome b = evaltest::Whole(road);
          EXPECT_EQ(a.ok, b.ok) << plain << " mode " << int(mode);
          EXPECT_EQ(a.next, b.next) << plain << " mode " << int(mode);
          EXPECT_EQ(arrtest::Show(a.value), arrtest::Show(b.value)) << plain << " mode " << int(mode);
          const bool error = (a.value.re.b[0] & 0xF0) == 0xF0;
          EXPECT_EQ(0, std::memcmp(&a.value, &b.value, error ? 2 : sizeof a.value)) << plain << " mode " << int(mode);
          EvalFreeCell(&a.value);
          EvalFreeCell(&b.value);
        }
      }
    }
  }
  SetupSetItem(kSetupMode, 0);
  EXPECT_EQ(Calc("{List}1[3]"), "3");
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
}

// An expression never writes into a stored list.
TEST_F(Lists, StoredListsAreNeverWritten) {
  EXPECT_EQ(Calc("{List}1*100+{List}1"), "{101,202,303}");
  EXPECT_EQ(Calc("{List}1"), "{1,2,3}");
  EXPECT_EQ(Calc("{#7F6A}{inv}"), "{1,0.5,0.333333333333333}");
  EXPECT_EQ(Calc("{List}1"), "{1,2,3}");
  EXPECT_EQ(Calc("{List}1{k}"), "{1000,2000,3000}");
  EXPECT_EQ(Calc("{List}1"), "{1,2,3}");
}

// The limits: 999 elements and 255 x 255.
TEST_F(Lists, LiteralLimits) {
  std::string big;
  for (int i = 1; i <= 999; ++i) big += (i > 1 ? "," : "") + std::to_string(i % 10);
  EXPECT_EQ(Calc("{Sum}" + L(big)), "4500");
  EXPECT_EQ(Calc("{Sum}" + L(big + ",1")), "E9");
  std::string row = "[";
  for (int c = 0; c < 255; ++c) row += (c ? ",1" : "1");
  row += "]";
  std::string m = "[";
  for (int r = 0; r < 255; ++r) m += row;
  m += "]";
  EXPECT_EQ(Calc("{#7F46}" + m), "{255,255}");
  EXPECT_EQ(Calc("{#7F46}[" + row.substr(0, row.size() - 1) + ",1]]"), "E9");
}

// List substitution mode: a list stands for its element k; past the count
// it is Dimension ERROR, never a read beyond the list.
TEST_F(Lists, SubstitutionMode) {
  SetupSetByte(kSetupGraphVars, static_cast<u8>(SetupGetByte(kSetupGraphVars) | 0x10));
  EvalSetListSubstIndex(2);
  EXPECT_EQ(Calc("{List}1*10"), "20");
  EXPECT_EQ(Calc(L("5,6,7") + "+1"), "7");
  EvalSetListSubstIndex(4);
  EXPECT_EQ(Calc("{List}1"), "E9");
  EXPECT_EQ(Calc(L("5,6,7")), "E9");
  SetupSetByte(kSetupGraphVars, static_cast<u8>(SetupGetByte(kSetupGraphVars) & ~0x10));
  EvalSetListSubstIndex(1);
}

}  // namespace
