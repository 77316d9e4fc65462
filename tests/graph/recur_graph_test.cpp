// The recursion graphs: the Fibonacci terms against n, joined and as
// points, drawn from the table's rows.
#include "graph/recur/recur_graph.h"

#include <string>
#include <vector>

#include "../support/golden.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "graph/recur/recur_web.h"
#include "graph_testutil.h"
#include "memory/item_array.h"
#include "ui/setup.h"

namespace {

using graphtest::Golden;
using graphtest::Picture;
using numtest::R;

class RecurGraph : public graphtest::Fixture {
 protected:
  void Fibonacci() {
    const std::string f = "\x7F\xA1\x89\x7F\xA0";  // an+1 + an
    ASSERT_EQ(RecurWriteFormula(1, f.c_str()), 0u);
    SetupSetItem(kSetupRecurType, 3);
    SetupSetItem(kSetupSumDisplay, 1);
    const BcdReal one = R("1"), ten = R("10"), zero = R("0");
    ASSERT_EQ(RecurWriteValue(kRecurIdA0, &one), 0u);
    ASSERT_EQ(RecurWriteValue(kRecurIdA1, &one), 0u);
    ASSERT_EQ(RecurWriteValue(kRecurIdStart, &zero), 0u);
    ASSERT_EQ(RecurWriteValue(kRecurIdEnd, &ten), 0u);
    ASSERT_EQ(RecurGenerateTable(), 0u);
    // The window 0..10 x 0..100.
    const BcdReal hundred = R("100");
    ASSERT_EQ(GmemWriteVwinValue(&zero, 0), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&ten, 1), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&zero, 4), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&hundred, 5), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&ten, 6), 0u);
  }
};

TEST_F(RecurGraph, FibonacciJoinedAndAsPoints) {
  Fibonacci();
  GraphEntry entries[4];
  for (i32 mode : {kRecurGraphLines, kRecurGraphPoints}) {
    Open();
    ASSERT_EQ(RecurPlotTable(&ctx, mode, entries), 0u);
    EXPECT_TRUE(MatchesGolden(Golden(mode == kRecurGraphLines ? "recur_fib_lines" : "recur_fib_points"), Picture(ctx)));
    // The point of row 11 (n = 10): a10 = 89, near the top.
    BcdReal x, y;
    ASSERT_EQ(RecurTablePoint(11, &x, &y, &ctx, 0), 0u);
    EXPECT_EQ(numtest::Show(x), "10");
    EXPECT_EQ(numtest::Show(y), "89");
  }
  // A row outside the table is no point.
  BcdReal x, y;
  EXPECT_EQ(RecurTablePoint(12, &x, &y, &ctx, 0), 4u);
}

// The recursion statements of programs: one statement at a time, 0 or its
// error code; *show what the run's end shows.
u32 RunStatement(const std::string &line, u32 *show = nullptr) {
  std::vector<u8> t = evaltest::Tokens(line);
  t.push_back(0);
  t.push_back(0);
  const u8 *p = t.data();
  Value result{};
  u32 shown = 99;
  const i32 r = RecurRunProgramCommand(&p, &result, &shown);
  if (show != nullptr) *show = shown;
  if (r < 0) return 999;
  return r == 1 ? 0u : RealErrorCode(&result.re);
}

// The stored picture of the graph screen.
std::string Stored(GraphContext *c) {
  EXPECT_EQ(GmemReadScreen(c->planes), 0u);
  return Picture(*c);
}

TEST_F(RecurGraph, ProgramsDrawTheTableGraphs) {
  // No table yet: Memory ERROR.
  Fibonacci();
  ItemMatDelete(kRecurTableMatrix);
  EXPECT_EQ(RunStatement("{#F726}"), 4u);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  // The statements leave the picture the graph screen draws, and their mode.
  struct Case {
    const char *statement, *golden;
    u8 mode;
  } cases[] = {{"{#F726}", "recur_fib_lines", 14}, {"{#F727}", "recur_fib_points", 13}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.statement);
    GmemDeleteGraphRecord();
    u32 show = 99;
    ASSERT_EQ(RunStatement(c.statement, &show), 0u);
    EXPECT_EQ(show, 0u);
    EXPECT_EQ(GmemReadGraphMode(), c.mode);
    EXPECT_TRUE(MatchesGolden(Golden(c.golden), Stored(&ctx)));
  }
  // The sums need the sum display; nothing may follow the statement.
  EXPECT_EQ(RunStatement("{#F728}"), 4u);
  EXPECT_EQ(RunStatement("{#F726}1"), 2u);
  SetupSetItem(kSetupSumDisplay, 0);
  ASSERT_EQ(RecurGenerateTable(), 0u);
  GmemDeleteGraphRecord();
  ASSERT_EQ(RunStatement("{#F729}"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 8);
  // Other statements are not the recursion's.
  EXPECT_EQ(RunStatement("{#F720}"), 999u);
}

TEST_F(RecurGraph, ProgramsShowTheTable) {
  Fibonacci();
  u32 show = 99;
  ASSERT_EQ(RunStatement("{#F72F}", &show), 0u);
  EXPECT_EQ(show, 3u);
  // A range the type cannot tabulate: the error, and no table is left.
  const BcdReal three = R("3"), two = R("2");
  ASSERT_EQ(RecurWriteValue(kRecurIdStart, &three), 0u);
  ASSERT_EQ(RecurWriteValue(kRecurIdEnd, &two), 0u);
  EXPECT_EQ(RunStatement("{#F72F}"), 28u);
  u32 rows = 0, cols = 0;
  EXPECT_NE(ItemMatDims(kRecurTableMatrix, &rows, &cols) == 0 && rows > 0, true);
  u32 key = 0;
  EXPECT_EQ(RecurShowTableFromProgram(&key), 4u);
  RecurSelectFormula(1, 0);
  EXPECT_EQ(RecurShowTableFromProgram(&key), 30u);
}

class RecurWeb : public graphtest::Fixture {
 protected:
  void Half() {
    // an+1 = an / 2 + 1, an Start 0.
    const std::string f = "\x7F\xA0\xB9" "2\x89" "1";
    ASSERT_EQ(RecurWriteFormula(1, f.c_str()), 0u);
    SetupSetItem(kSetupRecurType, 1);
    const BcdReal zero = R("0"), one = R("1"), two = R("2"), m = R("-1");
    ASSERT_EQ(RecurWriteValue(kRecurIdAStart, &zero), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&m, 0), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&two, 1), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&m, 4), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&two, 5), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&one, 2), 0u);
    ASSERT_EQ(GmemWriteVwinValue(&one, 6), 0u);
  }
};

TEST_F(RecurWeb, StepsAlternateToTheCurveAndTheLine) {
  Half();
  Open();
  GraphEntry entries[5];
  u8 texts[3][kRecurWebTextRoom];
  ASSERT_EQ(RecurBuildWebEntries(7, entries, texts), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(entries[0].text)), "X\xB9" "2\x89" "1");
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(entries[1].text)), "X");  // the line y = x
  EXPECT_EQ(entries[2].style, 0);
  ctx.entries = entries;
  RecurWebState web;
  RecurWebStart(&web, &ctx, 0);
  static const char *const kPoints[][2] = {{"0", "1"}, {"1", "1"}, {"1", "1.5"}, {"1.5", "1.5"}, {"1.5", "1.75"}};
  for (const auto &pt : kPoints) {
    ASSERT_EQ(RecurWebStep(&web, &ctx), 0u);
    EXPECT_EQ(numtest::Show(web.x), pt[0]);
    EXPECT_EQ(numtest::Show(web.y), pt[1]);
  }
  EXPECT_EQ(evaltest::Eval("Y"), "1.75");

  // A formula that reads n, or another sequence's term, has no web.
  for (const char *bad : {"\x7F\xA0\x89\x7F\xA3", "\x7F\xA0\x89\x7F\xA7"}) {
    ASSERT_EQ(RecurWriteFormula(1, bad), 0u);
    EXPECT_EQ(RecurBuildWebEntries(7, entries, texts), -1);
  }
  RecurSelectFormula(1, 0);
  EXPECT_EQ(RecurBuildWebEntries(7, entries, texts), 0);
}

TEST_F(RecurWeb, ProgramsDrawTheWeb) {
  Half();
  GmemDeleteGraphRecord();
  ASSERT_EQ(RunStatement("{#F72A}{#7FA1},5"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 11);
  Open();
  EXPECT_TRUE(MatchesGolden(Golden("recur_web_half"), Stored(&ctx)));
  struct Case {
    const char *statement;
    u32 code;
  } cases[] = {
      {"{#F72A}{#7FA0}", 2},        // an is no formula
      {"{#F72A}{#7FA1},256", 8},    // the count is a whole number 0..255: Argument ERROR
      {"{#F72A}{#7FA1},~1", 8},
      {"{#F72A}{#7FA1},2.5", 8},
      {"{#F72A}{#7FA1},0", 0},      // the curve and the line without steps
      {"{#F72A}{#7FA8}", 30},       // b has no formula
      {"{#F72A}{#7FA1},3,", 2},
  };
  for (const Case &c : cases) EXPECT_EQ(RunStatement(c.statement), c.code) << c.statement;
  // Second-order types have no web.
  SetupSetItem(kSetupRecurType, 3);
  EXPECT_EQ(RunStatement("{#F72A}{#7FA1}"), 30u);
}

}  // namespace
