// The recursion graphs: the Fibonacci terms against n, joined and as
// points, drawn from the table's rows.
#include "graph/recur/recur_graph.h"

#include <string>

#include "../support/golden.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_recur.h"
#include "graph/recur/recur_model.h"
#include "graph_testutil.h"

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

}  // namespace
