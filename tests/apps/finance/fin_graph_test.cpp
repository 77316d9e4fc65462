// The financial graphs' V-Window and trace steps.
#include <gtest/gtest.h>

#include "apps/finance/fin_graph.h"
#include "graph/memory/gmem_vwin.h"
#include "tests/apps/finance/fin_test_util.h"

namespace {

using fintest::D;
using fintest::R;

class FinGraph : public fintest::Memory {};

TEST_F(FinGraph, VWindowFromTheDataOrRefused) {
  struct C {
    const char *xmin, *xmax, *ymin, *ymax;
    u32 err;
  } cases[] = {
      {"0", "90", "-1017.26", "1017.26", 0},
      {"0", "1e98", "-5", "5", 0},
      {"0", "0", "-5", "5", 28},      // no width
      {"0", "2e98", "-5", "5", 28},   // beyond the window's range
      {"0", "10", "-1e99", "1e99", 28},
  };
  for (const C &c : cases) {
    EXPECT_EQ(FinSetVwin(R(c.xmin), R(c.xmax), R(c.ymin), R(c.ymax)), c.err) << c.xmax << " " << c.ymax;
    if (c.err) continue;
    VwinRecord rec;
    ASSERT_EQ(GmemReadVwin(&rec), 0u);
    EXPECT_EQ(D(rec.f[kVwinXmax]), std::stod(c.xmax));
    EXPECT_EQ(D(rec.f[kVwinYmin]), std::stod(c.ymin));
    // No scale marks; the dot width follows the ends.
    EXPECT_EQ(D(rec.f[kVwinXscale]), 0);
    EXPECT_EQ(D(rec.f[kVwinYscale]), 0);
    EXPECT_NEAR(D(rec.f[kVwinXdot]), std::stod(c.xmax) / 126, std::stod(c.xmax) * 1e-14);
  }
}

TEST(FinTrace, StepsWrapAtBothEnds) {
  struct C {
    u32 from, count;
    i32 delta;
    u32 to;
  } cases[] = {{1, 3, -1, 3}, {3, 3, 1, 1}, {2, 3, 1, 3}, {2, 3, -1, 1}, {1, 1, 1, 1}, {1, 1, -1, 1}};
  for (const C &c : cases) {
    u32 k = c.from;
    FinStepWrap(&k, c.count, c.delta);
    EXPECT_EQ(k, c.to) << c.from << " " << c.delta;
  }
}

}  // namespace
