// The sketch and graph statements of programs on the initial window
// (-6.3..6.3, -3.1..3.1), axes off: what they leave in the stored image, as
// PxlTest( reads it, and the errors of their arguments.
#include <string>
#include <vector>

#include "graph/command/graph_command.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph/screen/graph_screen.h"
#include "graph/table/graph_table.h"
#include "../support/golden.h"
#include "graph_testutil.h"
#include "ui/setup.h"
#include "ui/sysvar.h"

namespace {

class Commands : public graphtest::Fixture {
 protected:
  void SetUp() override {
    graphtest::Fixture::SetUp();
    SetupSetItem(kSetupAxes, 1);
  }

  // Runs the statements of a line one by one: 0, or the first error code.
  u32 Run(const std::string &line) {
    std::vector<u8> t = evaltest::Tokens(line);
    t.push_back(0);
    const u8 *p = t.data();
    while (*p != 0) {
      Value result{};
      u32 show = 0;
      i32 key = 0;
      if (!GraphRunSketchCommand(&p, &result, &show, &key)) return RealErrorCode(&result.re);
      if (*p == ':') ++p;
    }
    return 0;
  }
  static std::string Test(int row, int col) {
    return evaltest::Eval("{#F7AF}" + std::to_string(row) + "," + std::to_string(col) + ")");
  }
  struct Pixel {
    int row, col;
    const char *lit;
  };
  // The stored image as a text picture.
  static std::string Image() {
    GraphContext c{};
    EXPECT_EQ(GmemReadScreen(c.planes), 0u);
    return graphtest::Picture(c);
  }
  static void Store(int slot, u16 type, const std::string &formula) {
    const u8 head[4] = {static_cast<u8>(type & 0xFF), static_cast<u8>(type >> 8), 0xA0, 2};
    const std::vector<u8> t = evaltest::Tokens(formula);
    ASSERT_EQ(GmemWriteFuncItem(slot, head, std::string(t.begin(), t.end()).c_str()), 0u);
  }
  static std::string ComValue(int i) {
    BcdReal v;
    if (GmemReadComValue(&v, i) != 0) return "missing";
    return graphtest::Show(v);
  }
  void Expect(const std::string &program, std::initializer_list<Pixel> pixels) {
    SCOPED_TRACE(program);
    ASSERT_EQ(Run("{#D1}"), 0u);
    ASSERT_EQ(Run(program), 0u);
    for (const Pixel &px : pixels) EXPECT_EQ(Test(px.row, px.col), px.lit) << px.row << "," << px.col;
  }
};

TEST_F(Commands, SketchesLeaveTheirDots) {
  Expect("{#F7A7}~5,~2,5,2", {{52, 14, "1"}, {32, 64, "1"}, {12, 114, "1"}, {12, 14, "0"}});
  Expect("{#F7A6}0,0,2", {{32, 84, "1"}, {12, 64, "1"}, {32, 44, "1"}, {52, 64, "1"}, {32, 64, "0"}});
  Expect("{#F7A3}3:{#F7A4}~1", {{1, 94, "1"}, {63, 94, "1"}, {42, 1, "1"}, {42, 127, "1"}});
  Expect("{#F7A8}1,1", {{22, 74, "1"}});
  EXPECT_EQ(evaltest::Eval("X+Y"), "2");
  // The current plot point is not part of the image ...
  Expect("{#E0}1,1", {{22, 74, "0"}});
  // ... until the next one fixes it; Line joins the last two.
  Expect("{#E0}1,1:{#E0}2,2:{#E1}", {{22, 74, "1"}, {17, 79, "1"}, {12, 84, "1"}});
  Expect("{#F7AB}5,10:{#F7AD}5,10", {{5, 10, "0"}});
  Expect("{#F7AB}5,10", {{5, 10, "1"}});
  // A point outside the screen draws nothing and keeps X.
  Expect("{#F7A8}1,1:{#F7A8}9,9", {{22, 74, "1"}});
  EXPECT_EQ(evaltest::Eval("X"), "1");
}

// The whole picture each statement leaves after Cls, kept as a golden text:
// a stray dot anywhere, not only at the pixels tested above, shows.
TEST_F(Commands, SketchPicturesAsDrawn) {
  struct Case {
    const char *program;
    const char *golden;
  };
  const Case cases[] = {
      {"{#F7A7}~5,~2,5,2", "sketch_fline"},
      {"{#F7A6}0,0,2", "sketch_circle"},
      {"{#F7A3}3:{#F7A4}~1", "sketch_vertical_horizontal"},
      {"{#F7A8}1,1", "sketch_ploton"},
      {"{#E0}1,1:{#E0}2,2:{#E1}", "sketch_plot_line"},
      {"{#F7AB}5,10:{#F7AB}6,11:{#F7AD}5,10", "sketch_pxlchg"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    ASSERT_EQ(Run("{#D1}"), 0u);
    ASSERT_EQ(Run(c.program), 0u);
    EXPECT_TRUE(MatchesGolden(graphtest::Golden(c.golden), Image()));
  }
}

// Graph Y> shades the region above the line y = x with the dotted pattern
// (every other dot) and the line itself dotted.
TEST_F(Commands, GraphInequalityIsDrawnDotted) {
  ASSERT_EQ(Run("{#F0}X"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 1);
  const std::string picture = Image();
  EXPECT_TRUE(MatchesGolden(graphtest::Golden("graph_y_gt_x"), picture));
  // Below the line nothing; above it, of two neighbouring dots one only.
  EXPECT_EQ(Test(52, 64), "0");  // (0, -2)
  int lit = 0;
  for (int col = 30; col < 50; ++col) lit += Test(10, col) == "1";  // x -3.4..-1.5, y 2.2
  EXPECT_EQ(lit, 10);
}

TEST_F(Commands, NothingDrawnReadsAsMemoryError) {
  EXPECT_EQ(Test(1, 1), "E4");
  ASSERT_EQ(Run("{#F7AB}1,1"), 0u);
  EXPECT_EQ(Test(1, 1), "1");
  ASSERT_EQ(Run("{#D1}"), 0u);
  EXPECT_EQ(Test(1, 1), "E4");
  // PxlTest( takes the same pixel numbers as PxlOn.
  EXPECT_EQ(Test(0, 1), "E8");
  EXPECT_EQ(Test(1, 128), "E8");
}

TEST_F(Commands, ArgumentsAreChecked) {
  struct Case {
    const char *program;
    u32 code;
  };
  const Case cases[] = {
      {"{#F7AB}0,1", 8},   {"{#F7AB}64,1", 8},      {"{#F7AB}1,128", 8},      {"{#F7AB}1.5,1", 8},
      {"{#F7AB}1", 2},     {"{#E1}1,1", 2},         {"{#F78F}{#D1}", 2},      {"{#F7A5}0,1,\"A\"", 8},
      {"{#F7A5}~1,1,\"A\"", 8}, {"{#F7A5}1.5,1,\"A\"", 8}, {"{#F7A5}1,128,\"A\"", 8}, {"{#F793}0", 8},
      {"{#F793}21", 8},    {"{#F794}3", 4},         {"{#F720}", 30},          {"{#F7A8}1,1,1", 2},
      {"{#F723}1", 2},     {"{#F78C}{#F723}", 2},
  };
  for (const Case &c : cases) EXPECT_EQ(Run(c.program), c.code) << c.program;
}

TEST_F(Commands, TextAndPictures) {
  // The letter's dots lie in the 4 x 6 box from its top left corner.
  auto litInBox = [&](int row, int col) {
    int n = 0;
    for (int r = row; r < row + 6; ++r)
      for (int c = col; c < col + 4; ++c) n += Test(r, c) == "1";
    return n;
  };
  ASSERT_EQ(Run("{#F7A5}10,20,\"A\""), 0u);
  EXPECT_GT(litInBox(10, 20), 5);
  EXPECT_EQ(litInBox(16, 20), 0);
  // Rows 59-63 are allowed and draw nothing.
  ASSERT_EQ(Run("{#F7A5}60,1,\"A\""), 0u);
  EXPECT_EQ(litInBox(58, 1), 0);
  // A stored picture is laid over the image on recall.
  ASSERT_EQ(Run("{#F793}1:{#D1}:{#F7AB}30,30:{#F794}1"), 0u);
  EXPECT_GT(litInBox(10, 20), 5);
  EXPECT_EQ(Test(30, 30), "1");
}

TEST_F(Commands, GraphAndDrawGraph) {
  ASSERT_EQ(Run("{#EE}X^2"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 1);
  EXPECT_EQ(Test(22, 74), "1");  // (1, 1)
  // Two commands are kept together; DrawGraph starts anew.
  ASSERT_EQ(Run("{#EE}X"), 0u);
  EXPECT_EQ(GmemCommandCount(), 2);
  const u8 head[4] = {0x08, 0x01, 0x80, 2};
  ASSERT_EQ(GmemWriteFuncItem(1, head, "3"), 0u);
  ASSERT_EQ(Run("{#D1}:{#F720}"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 2);
  EXPECT_EQ(GmemCommandCount(), 0);
  EXPECT_EQ(Test(2, 64), "1");  // y = 3
  EXPECT_EQ(Test(22, 74), "0");
}

TEST_F(Commands, BuiltInGraphsTakeTheirWindow) {
  // Rad: the sine window.
  ASSERT_EQ(Run("{#EE}{sin}"), 0u);
  const char *expected[] = {"-9.4247779607694", "9.4247779607694", "1.5707963267949", "-1.6", "1.6", "0.5"};
  const i32 fields[] = {kVwinXmin, kVwinXmax, kVwinXscale, kVwinYmin, kVwinYmax, kVwinYscale};
  for (int i = 0; i < 6; ++i) {
    BcdReal v;
    ASSERT_EQ(GmemReadVwinValue(&v, fields[i]), 0u);
    EXPECT_EQ(graphtest::Show(v), expected[i]) << i;
  }
  const char *text = nullptr;
  ASSERT_EQ(GmemCommandTextPtr(0, &text), 0);
  EXPECT_EQ(std::string(text), "\x81X");
  // A function token followed by more is an ordinary formula.
  ASSERT_EQ(Run("{#EE}{sin}X+1"), 0u);
  ASSERT_EQ(GmemCommandTextPtr(0, &text), 0);
  EXPECT_EQ(std::string(text), "\x81X\x89" "1");
  // The square is written after X.
  ASSERT_EQ(Run("{#EE}{sq}"), 0u);
  ASSERT_EQ(GmemCommandTextPtr(0, &text), 0);
  EXPECT_EQ(std::string(text), "X\x8B");
}

TEST_F(Commands, TangentNormalAndInverseOfAFunction) {
  Store(1, kGraphFuncY, "X^2");
  // Tangent at 1: y = 2x - 1; normal: y = -x/2 + 3/2; inverse: x = y^2.
  Expect("{#F7A0}{#7FF0}1,1", {{42, 64, "1"}, {2, 84, "1"}, {22, 74, "1"}});
  EXPECT_EQ(evaltest::Eval("X"), "1");
  EXPECT_EQ(evaltest::Eval("Y"), "1");
  EXPECT_TRUE(MatchesGolden(graphtest::Golden("sketch_tangent"), Image()));
  Expect("{#F7A1}{#7FF0}1,1", {{32, 94, "1"}, {2, 34, "1"}});
  Expect("{#F7A2}{#7FF0}1", {{12, 104, "1"}, {42, 74, "1"}, {2, 94, "0"}});
  EXPECT_TRUE(MatchesGolden(graphtest::Golden("sketch_inverse"), Image()));
  // The normal at the vertex, where the slope is 0, is the vertical x = 0.
  Expect("{#F7A1}{#7FF0}1,0", {{1, 64, "1"}, {63, 64, "1"}});
  // A point where the function is undefined has no line.
  Store(2, kGraphFuncY, "1/X");
  EXPECT_EQ(Run("{#F7A0}{#7FF0}2,0"), 3u);
  EXPECT_EQ(GmemReadGraphMode(), 0);
}

TEST_F(Commands, CurveSketchArgumentsAreChecked) {
  Store(1, kGraphFuncY, "X^2");
  Store(3, kGraphFuncR, "1");
  struct Case {
    const char *program;
    u32 code;
  };
  const Case cases[] = {
      {"{#F7A0}{#7FF4}1,1", 8},  // X= functions have no tangent here
      {"{#F7A0}A,1", 2},         {"{#F7A0}{#7FF0}21,1", 8}, {"{#F7A0}{#7FF0}2,1", 8},
      {"{#F7A0}{#7FF0}1", 2},    {"{#F7A0}{#7FF0}1,1,2", 2}, {"{#F7A2}{#7FF1}3", 8},
      {"{#F7A2}{#7FF0}3", 8},    {"{#F7A2}{#7FF0}1,1", 2},  {"{#F7A0}{#7FF1}1,1", 8},
  };
  for (const Case &c : cases) EXPECT_EQ(Run(c.program), c.code) << c.program;
  // A polar function's tangent at theta = pi/2 (the point (0, 1)) is y = 1.
  EXPECT_EQ(Run("{#D1}:{#F7A0}{#7FF1}3,{pi}/2"), 0u);
  EXPECT_EQ(Test(22, 30), "1");
  EXPECT_EQ(Test(22, 100), "1");
}

TEST_F(Commands, IntegralGraphKeepsItsValues) {
  ASSERT_EQ(Run("{#EF}X^2,0,3"), 0u);
  EXPECT_EQ(ComValue(0), "9");
  EXPECT_EQ(ComValue(1), "0");
  EXPECT_EQ(ComValue(2), "3");
  EXPECT_EQ(GmemReadGraphMode(), 15);
  // Shaded between the curve and the axis from 0 to 3, nothing beyond.
  auto litInColumn = [&](int col) {
    int n = 0;
    for (int row = 1; row <= 63; ++row) n += Test(row, col) == "1";
    return n;
  };
  EXPECT_GT(litInColumn(84), 5);  // x = 2, the curve above the screen
  EXPECT_EQ(litInColumn(104), 0);  // x = 4
  EXPECT_TRUE(MatchesGolden(graphtest::Golden("integral_x2"), Image()));
  // Bounds in either order, with a bracket and a tolerance; X is kept.
  Value seven{};
  seven.re = graphtest::R("7");
  SysStoreVariable('X', &seven);
  ASSERT_EQ(Run("{#D1}:{#EF}(X,2,~2,1{#0F}~6)"), 0u);
  EXPECT_EQ(ComValue(0), "0");
  EXPECT_EQ(ComValue(1), "-2");
  EXPECT_EQ(evaltest::Eval("X"), "7");
  struct Case {
    const char *program;
    u32 code;
  };
  const Case cases[] = {{"{#EF}X^2,0", 2}, {"{#EF}{#7B}1{#7D}X,0,1", 2}, {"{#EF}X,0,1,2,3", 2}, {"{#EF},0,1", 2}};
  for (const Case &c : cases) EXPECT_EQ(Run(c.program), c.code) << c.program;
}

TEST_F(Commands, ProbabilityGraphs) {
  struct Case {
    const char *program;
    const char *value;
    u8 mode;
  };
  const Case cases[] = {
      {"{#EE}{#FB}1)", "0.841344746068543", 16},
      {"{#EE}{#FC}1", "0.341344746068543", 17},
      {"{#EE}{#FD}1)", "0.158655253931457", 18},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    ASSERT_EQ(Run(std::string("{#D1}:") + c.program), 0u);
    EXPECT_EQ(ComValue(0), c.value);
    EXPECT_EQ(GmemReadGraphMode(), c.mode);
    EXPECT_EQ(SetupGetByte(kSetupGraphVars) & 1, 0);
  }
  // The probability window.
  BcdReal v;
  ASSERT_EQ(GmemReadVwinValue(&v, kVwinXmin), 0u);
  EXPECT_EQ(graphtest::Show(v), "-3.2");
  ASSERT_EQ(Run("{#D1}:{#EE}{#FB}1)"), 0u);
  EXPECT_TRUE(MatchesGolden(graphtest::Golden("probability_p1"), Image()));
  // A failing argument leaves the graph variables switched off.
  EXPECT_EQ(Run("{#D1}:{#EE}{#FB}1/0)"), 3u);
  EXPECT_EQ(SetupGetByte(kSetupGraphVars) & 1, 0);
  // An argument that does not close the statement is an ordinary formula.
  ASSERT_EQ(Run("{#D1}:{#EE}{#FB}0)+X"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), 1);
}

TEST_F(Commands, ZoomAutoRedrawsTheCommandsTogether) {
  ASSERT_EQ(Run("{#EE}X:{#EE}X+10:{#F920}"), 0u);
  EXPECT_EQ(GmemCommandCount(), 2);
  EXPECT_EQ(GmemReadGraphMode(), 1);
  BcdReal ymin, ymax;
  ASSERT_EQ(GmemReadVwinValue(&ymin, kVwinYmin), 0u);
  ASSERT_EQ(GmemReadVwinValue(&ymax, kVwinYmax), 0u);
  // Y now covers both lines over -6.3..6.3.
  EXPECT_EQ(graphtest::Show(ymin), "-6.3");
  EXPECT_EQ(graphtest::Show(ymax), "16.3");
  // Both lines are in the image again: y = x and y = x + 10 at x = 0.
  VwinRecord rec;
  ASSERT_EQ(GmemReadVwin(&rec), 0u);
  GraphContext c{};
  GraphInitContext(&c);
  ASSERT_EQ(GraphLoadVwin(&c, 1), 0u);
  i32 row0 = 0, row10 = 0;
  const BcdReal zero = graphtest::R("0"), ten = graphtest::R("10");
  GraphYToRow(&zero, &row0, &c.view);
  GraphYToRow(&ten, &row10, &c.view);
  EXPECT_EQ(Test(row0, 64), "1");
  EXPECT_EQ(Test(row10, 64), "1");
  // A DrawGraph between starts a new series.
  ASSERT_EQ(Run("{#F720}"), 30u);
  Store(1, kGraphFuncY, "X");
  ASSERT_EQ(Run("{#F720}:{#EE}2X"), 0u);
  EXPECT_EQ(GmemCommandCount(), 1);
  EXPECT_EQ(Run("{#D1}:{#F920}"), 30u);
}

TEST_F(Commands, TableGraphs) {
  // Nothing selected for the table.
  EXPECT_EQ(Run("{#F724}"), 30u);
  Store(1, kGraphFuncY, "X^2");
  TableRange r;
  ASSERT_EQ(TableReadRange(&r), 0u);
  r.start = graphtest::R("-2");
  r.end = graphtest::R("2");
  r.step = graphtest::R("1");
  ASSERT_EQ(TableWriteRange(&r), 0u);
  // Points only: (1, 1) and (2, 4) lit, (1.5, 2.25) not.
  ASSERT_EQ(Run("{#F725}"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), kGrpTablePlot);
  EXPECT_EQ(Test(22, 74), "1");
  EXPECT_EQ(Test(10, 79), "0");
  // Joined: the line between them passes through column 79.
  ASSERT_EQ(Run("{#D1}:{#F724}"), 0u);
  EXPECT_EQ(GmemReadGraphMode(), kGrpTableConnect);
  int lit = 0;
  for (int row = 1; row <= 63; ++row) lit += Test(row, 79) == "1";
  EXPECT_GT(lit, 0);
  EXPECT_EQ(Run("{#F724}1"), 2u);
}

}  // namespace
