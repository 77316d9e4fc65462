#include "numeric/mat_solve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "array_testutil.h"
#include "kernel/heap.h"
#include "kernel/keyqueue.h"
#include "number/realop.h"

using arrtest::Mat;
using arrtest::Show;

namespace {

// The augmented rows "a b ... | k" of a system: A (n x n) and b (n x 1).
struct System {
  Value a, b;
};

System Augmented(u16 n, const std::vector<std::string> &cells) {
  std::vector<std::string> a, b;
  for (u32 i = 0; i < cells.size(); ++i) ((i % (n + 1u)) == n ? b : a).push_back(cells[i]);
  return {Mat(n, n, a), Mat(n, 1, b)};
}

std::vector<std::string> Hilbert(int n, std::vector<std::string> rhs) {
  std::vector<std::string> cells;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) cells.push_back("1a" + std::to_string(i + j + 1));
    cells.push_back(rhs[static_cast<size_t>(i)]);
  }
  return cells;
}

// Runs the callers' sequence (make b real, then solve) and shows the
// solution; A's and b's blocks are freed afterwards.
std::string SolveShown(u16 n, const std::vector<std::string> &cells, Value *keep = nullptr) {
  System s = Augmented(n, cells);
  Value x;
  std::string shown;
  if (MatRealizeRhs(n, &s.a, &s.b) != 1) {
    shown = "realize " + Show(s.a);
  } else {
    const int ok = MatSolveLinear(n, &s.a, &s.b, &x);
    shown = Show(x);
    if (ok != 1) shown += " (failed)";
    if (ok == 1 && keep != nullptr) *keep = x;
    else if (ok == 1) arrtest::Drop(&x);
  }
  arrtest::Drop(&s.a);
  arrtest::Drop(&s.b);
  return shown;
}

TEST(MatSolve, SystemsWithExactOrKnownSolutions) {
  MemFreeAll();
  const std::vector<std::string> tri6 = {"2",  "-1", "0",  "0",  "0",  "0",  "0", "-1", "2",  "-1", "0",  "0",
                                         "0",  "0",  "0",  "-1", "2",  "-1", "0", "0",  "0",  "0",  "0",  "-1",
                                         "2",  "-1", "0",  "0",  "0",  "0",  "0", "-1", "2",  "-1", "0",  "0",
                                         "0",  "0",  "0",  "-1", "2",  "7"};
  struct Case {
    const char *name;
    u16 n;
    std::vector<std::string> cells;
    std::string want;
  } cases[] = {
      {"2x+3y=1, x-y=2: exact fractions", 2, {"2", "3", "1", "1", "-1", "2"}, "[[1_2/5][-3/5]]"},
      {"dependent rows", 2, {"1", "2", "3", "2", "4", "6"}, "E3 (failed)"},
      {"three unknowns", 3, {"1", "1", "1", "6", "0", "2", "5", "-4", "2", "5", "-1", "27"}, "[[5][3][-2]]"},
      {"Hilbert 4 gives integers", 4, Hilbert(4, {"1", "0", "0", "0"}), "[[16][-120][240][-140]]"},
      {"five unknowns",
       5,
       {"1", "2", "-1", "3", "1", "-13", "2", "-1", "1", "1", "-2", "-7", "3", "1", "2", "-1", "1", "16",
        "1", "-2", "3", "2", "-1", "1", "2", "1", "-1", "1", "3", "8"},
       "[[1][-2][3][-4][5]]"},
      {"six unknowns, tridiagonal", 6, tri6, "[[1][2][3][4][5][6]]"},
      {"first column zero", 3, {"0", "1", "2", "1", "0", "3", "4", "2", "0", "5", "7", "3"}, "E3 (failed)"},
      {"one unknown", 1, {"4", "2"}, "[[1/2]]"},
      {"pivot 1e-99 is accepted", 3, {"1e-99", "0", "0", "1e-99", "0", "1", "0", "2", "0", "0", "1", "3"}, "[[1][2][3]]"},
      {"pivot 0 is refused", 1, {"0", "1"}, "E3 (failed)"},
      {"complex A: x+iy=1, x-iy=3", 2, {"1", "0|1", "1", "1", "0|-1", "3"}, "c[[2][0|1]]"},
      {"real A, complex b: x+y=1+i, x-y=1-i", 2, {"1", "1", "1|1", "1", "-1", "1|-1"}, "c[[1][0|1]]"},
      {"real A, complex b, three unknowns", 3, {"1", "0", "0", "0|2", "0", "1", "0", "3", "0", "0", "2", "4|4"},
       "c[[0|2][3][2|2]]"},
      {"rotation leaves A real: the real solver answers", 2, {"0|1", "0", "0|1", "0", "1", "1"}, "[[1][1]]"},
      {"complex singular", 3, {"1|1", "1", "0", "1", "2|2", "2", "0", "1", "1", "0", "0", "1"}, "E3 (failed)"},
  };
  for (const Case &c : cases) EXPECT_EQ(SolveShown(c.n, c.cells), c.want) << c.name;
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

double Num(const Value &v) {
  BcdReal d;
  RealFracToDecimal(&v.re, &d);
  return std::strtod(numtest::Show(d).c_str(), nullptr);
}

// Hilbert 6 (condition about 2.9E7): the exact solution to 1E-6 relative.
TEST(MatSolve, IllConditionedHilbertSix) {
  MemFreeAll();
  Value x;
  ASSERT_NE(SolveShown(6, Hilbert(6, {"1", "0", "0", "0", "0", "0"}), &x).find("[["), std::string::npos);
  const double want[] = {36, -630, 3360, -7560, 7560, -2772};
  const ArrInfo a = ArrInfoOf(&x);
  for (u32 i = 0; i < 6; ++i) {
    Value e;
    ArrGet(ArrElems(a.handle), 6, a.complex, i, &e);
    EXPECT_NEAR(Num(e), want[i], std::fabs(want[i]) * 1e-6) << i;
  }
  arrtest::Drop(&x);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

TEST(MatSolve, RealizedRightHandSideKeepsTheSolution) {
  MemFreeAll();
  // Real A, complex b: A becomes complex, b real, with b_i = |b_i|.
  System s = Augmented(2, {"1", "1", "3|4", "1", "-1", "2"});
  ASSERT_EQ(MatRealizeRhs(2, &s.a, &s.b), 1);
  EXPECT_EQ(Show(s.b), "[[5][2]]");
  EXPECT_EQ(Show(s.a), "c[[0.6|-0.8,0.6|-0.8][1,-1]]");
  EXPECT_EQ(MemSize(ArrInfoOf(&s.b).handle), 24u);
  arrtest::Drop(&s.a);
  arrtest::Drop(&s.b);
  // A real b changes nothing.
  s = Augmented(2, {"1", "2", "3", "4", "5", "6"});
  ASSERT_EQ(MatRealizeRhs(2, &s.a, &s.b), 1);
  EXPECT_EQ(Show(s.a) + Show(s.b), "[[1,2][4,5]][[3][6]]");
  arrtest::Drop(&s.a);
  arrtest::Drop(&s.b);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

TEST(MatSolve, DimensionMemoryAndBreak) {
  MemFreeAll();
  Value a = Mat(2, 3, std::vector<std::string>(6, "1")), b = Mat(2, 1, {"1", "2"}), x;
  EXPECT_EQ(MatSolveLinear(2, &a, &b, &x), 0);
  EXPECT_EQ(Show(x), "E9");
  arrtest::Drop(&a);
  arrtest::Drop(&b);
  Value err;
  ArrFail(&err, kArrErrMemory);
  b = Mat(1, 1, {"1"});
  EXPECT_EQ(MatSolveLinear(1, &err, &b, &x), 0);
  EXPECT_EQ(Show(x), "E4");
  arrtest::Drop(&b);

  // No room for the working blocks: Memory ERROR, nothing left behind.
  System s = Augmented(3, {"1", "1", "1", "6", "0", "2", "5", "-4", "2", "5", "-1", "27"});
  std::vector<MemHandle> fill;
  while (MemHandle f = MemAlloc(1)) fill.push_back(f);
  for (int spare = 0; spare < 5; ++spare) {
    EXPECT_EQ(MatSolveLinear(3, &s.a, &s.b, &x), 0) << spare;
    EXPECT_EQ(Show(x), "E4") << spare;
    MemFree(fill.back());
    fill.pop_back();
  }
  for (MemHandle f : fill) MemFree(f);
  fill.clear();

  // A break request during the solve.
  KeyBreakArm();
  HostPushKeyEvent(1, 1, 0, 0);  // AC
  EXPECT_EQ(MatSolveLinear(3, &s.a, &s.b, &x), 0);
  EXPECT_EQ(Show(x), "E1");
  KeyBreakDisarm();
  arrtest::Drop(&s.a);
  arrtest::Drop(&s.b);
  EXPECT_EQ(arrtest::BlocksInUse(), 0u);
  MemFreeAll();
}

}  // namespace
