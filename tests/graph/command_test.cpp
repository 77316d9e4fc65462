// The sketch and graph statements of programs on the initial window
// (-6.3..6.3, -3.1..3.1), axes off: what they leave in the stored image, as
// PxlTest( reads it, and the errors of their arguments.
#include <string>
#include <vector>

#include "graph/command/graph_command.h"
#include "graph/memory/gmem_func.h"
#include "graph/memory/gmem_record.h"
#include "graph/memory/gmem_vwin.h"
#include "graph_testutil.h"
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

}  // namespace
