// Keys of the graph screen met by a user: PASTE of a formula, the result
// lines of an integral or probability graph shown again, a trace that stays
// inside a function's own range, and the graph beside its table, whose rows
// the trace adds with EXE.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/recur/recur_app.h"
#include "memory/item_clip.h"
#include "tests/system/graph_testapp.h"

namespace {

using gapp::kSel;
using gapp::kY;
using gapp::Last;
using gapp::MiniCell;
using gapp::MiniText;
using gapp::Rep;

using GraphKeys = gapp::GraphScreenTest;

void ClipSquare() {
  const std::vector<u8> t = gapp::Tokens("  Y=X^2");
  ItemClipStore(reinterpret_cast<const char *>(t.data()), static_cast<u32>(t.size()));
}

TEST_F(GraphKeys, PasteDrawsTheClipboardFormulaAndKeepsIt) {
  Open({{kY, kSel, 2, "~X"}}, kGraphDrawFuncs, {}, ClipSquare);
  EXPECT_FALSE(CalcDot(74, 22));  // (1, 1) is not on y = -x
  ASSERT_TRUE(CalcPress("SHIFT 9"));
  EXPECT_TRUE(CalcDot(74, 22)) << CalcScreenPicture();
  EXPECT_TRUE(CalcDot(54, 22));  // (-1, 1)
  // Kept with the drawing: a scroll draws it again, 12 dots to the left.
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_TRUE(CalcDot(62, 22)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, kGraphExitExit);
}

TEST_F(GraphKeys, PasteWithAnEmptyClipboardDoesNothing) {
  Open({{kY, kSel, 2, "~X"}});
  const std::string before = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("SHIFT 9"));
  EXPECT_EQ(CalcScreenPicture(), before);
}

void IntegralDrawn() {
  GmemWriteGraphMode(15);
  const BcdReal v[3] = {numtest::R("3"), numtest::R("-1"), numtest::R("2")};
  for (i32 i = 0; i < 3; ++i) GmemWriteComValue(&v[i], i);
}
void ProbabilityDrawn() {
  GmemWriteGraphMode(17);
  const BcdReal v = numtest::R("0.3413447461");
  GmemWriteComValue(&v, 0);
}

TEST_F(GraphKeys, ResultLinesOfAnIntegralShownAgain) {
  Open({}, gapp::kRedisplay, {}, IntegralDrawn);
  EXPECT_EQ(MiniCell(1, 7), "LOWER=-1") << CalcScreenPicture();
  EXPECT_EQ(MiniCell(17, 7), "UPPER=2");
  // After the integral sign: "dx=" and the value.
  EXPECT_EQ(MiniText(4, 58), "dx=3");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, 0);
}

TEST_F(GraphKeys, ResultLineOfAProbabilityShownAgain) {
  Open({}, gapp::kRedisplay, {}, ProbabilityDrawn);
  EXPECT_EQ(MiniCell(1, 8), "Q(t)=0.3413447461") << CalcScreenPicture();
}

// A web graph of an+1 = an/2 + 1 was the last drawn.
void WebDrawn() {
  SetupSetItem(kSetupRecurType, 1);
  const u8 text[] = {0x7F, 0xA0, 0xB9, '2', 0x89, '1', 0, 0};
  RecurStoreFormula(1, text);
  GmemWriteGraphMode(kGrpWeb);
}

// Shown again, the web keeps its trace: TRACE walks from (an Start, 0) to
// the curve and across to y = x.
TEST_F(GraphKeys, WebGraphShownAgainIsWalked) {
  Open({}, gapp::kRedisplay, {}, WebDrawn);
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(MiniCell(1, 8), "X=0") << CalcScreenPicture();
  EXPECT_EQ(MiniCell(17, 8), "Y=0");
  ASSERT_TRUE(CalcPress("EXE EXE EXE"));
  EXPECT_EQ(MiniCell(1, 8), "X=1");
  EXPECT_EQ(MiniCell(17, 8), "Y=1.5");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Last().result, 0);
}

TEST_F(GraphKeys, TraceStaysInsideTheFunctionsRange) {
  Open({{kY, kSel, 2, "X^2,[~1,2]"}});
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(CalcPress(Rep("RIGHT", 30)));
  EXPECT_EQ(MiniCell(1, 8), "X=2");
  EXPECT_EQ(MiniCell(17, 8), "Y=4");
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(MiniCell(1, 8), "X=1.9");
  ASSERT_TRUE(CalcPress(Rep("LEFT", 40)));
  EXPECT_EQ(MiniCell(1, 8), "X=-1");
  EXPECT_EQ(MiniCell(17, 8), "Y=1");
}

// Dual Screen "G to T": the graph on the left, its table on the right, empty
// until EXE of the trace adds the traced point as a row.
TEST_F(GraphKeys, TraceBesideTheTableAddsRowsWithExe) {
  Open({{kY, kSel, 2, "X^2"}}, kGraphDrawFuncs, {{kSetupDualScreen, 1}});
  ASSERT_TRUE(CalcPress("F1 RIGHT RIGHT EXE"));
  ASSERT_TRUE(CalcPress("RIGHT RIGHT EXE"));
  // Two rows: x two and four half-screen dots right of 0, and x^2.
  EXPECT_EQ(MiniText(72, 18, 97), "0.4064");
  EXPECT_EQ(MiniText(100, 18, 125), "0.1652");
  EXPECT_EQ(MiniText(100, 26, 125), "0.6608");
  // Left and opened again: the graph and its table as they were.
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(Last().result, kGraphExitExit);
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(MiniText(100, 26, 125), "0.6608") << CalcScreenPicture();
}

}  // namespace
