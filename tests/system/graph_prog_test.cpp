// Graph statements of programs run from the program list as a user runs
// them: the screen each leaves at the program's end (the graph screen, the
// function or recursion table), EXIT back to the list; and the
// function-memory keys of the program editor and of "- Disp -".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/dyna/dyna_play.h"
#include "kernel/keyqueue.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "tests/eval/eval_testutil.h"
#include "tests/support/harness.h"
#include "tests/system/graph_testapp.h"
#include "ui/keycodes.h"

namespace {

class ProgRun : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
  // Stores the program "P" (written as evaltest::Tokens reads it) in place
  // of any earlier one.
  static void Program(const std::string &text) {
    std::vector<u8> t = evaltest::Tokens(text);
    t.pop_back();
    std::string item(10, '\0');
    item.append(t.begin(), t.end());
    item += '\0';
    McsDeleteByKind(kMcsKindProgram, "P");
    ASSERT_EQ(McsCreateByKind(kMcsKindProgram, "P", static_cast<u32>(item.size()), item.data()), 0u);
  }
  // The token text of "P" up to its terminator.
  static std::string Text() {
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenByKindPtr(kMcsKindProgram, "P", &size, &data) != 0 || data == nullptr || size < 10) return {};
    return std::string(reinterpret_cast<const char *>(data + 10));
  }
  // Runs the only program from the list (PROG is ALPHA X,theta,T).
  static testing::AssertionResult Run() {
    testing::AssertionResult r = CalcPress("A");
    if (!r) return r;
    if (CalcTitle() != "@PROG") return testing::AssertionFailure() << "title " << CalcTitle();
    return CalcPress("EXE");
  }
  // EXIT from the program's last screen: its text screen, then the list;
  // EXIT again leaves PROG for the main menu.
  static testing::AssertionResult BackToMenu() {
    testing::AssertionResult r = CalcPress("EXIT EXIT");
    if (!r) return r;
    if (CalcRow(1) != "Program List") return testing::AssertionFailure() << CalcScreenText();
    return CalcPress("EXIT");
  }
  // Whether any dot of column x between rows y0 and y1 is lit.
  static bool AnyDot(int x, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
      if (CalcDot(x, y)) return true;
    return false;
  }
  static std::string Labels() {
    std::string s;
    for (u32 k = 0; k < 6; ++k) s += std::string("[") + HostFkeyLabelText(k) + "]";
    return s;
  }
};

// The recursion a(n+2) = a(n+1) + a(n), a0 = a1 = 1, n from 0 to 10, on the
// window 0..10 x 0..100: n = 5 is column 64, a5 = 8 about row 58; between
// n = 9 (55) and n = 10 (89), column 121 lies between rows 8 and 29.
const char kFibonacci[] =
    "{#F792}:\"{#7FA1}+{#7FA0}\"{->}{#7FA2}:{#F7CB}{#7FA2}:1{->}{#7FA4}:1{->}{#7FA5}:0{->}{#7F95}:10{->}{#7F96}:"
    "0{->}{#7F00}:10{->}{#7F01}:1{->}{#7F02}:0{->}{#7F04}:100{->}{#7F05}:10{->}{#7F06}:";

TEST_F(ProgRun, RecursionTableAndItsGraphs) {
  // DispR-Tbl at the end shows the table: n, a(n) and the sums.
  Program(std::string(kFibonacci) + "{#F72F}");
  ASSERT_TRUE(Run());
  EXPECT_EQ(CalcRow(1).rfind("n  an    Σan", 0), 0u) << CalcScreenText();
  EXPECT_EQ(CalcRow(6).rfind("  4     5    12", 0), 0u) << CalcScreenText();
  ASSERT_TRUE(BackToMenu());
  // The graphs need the table first; joined, then as points. The sums
  // 12 (n = 4) and 20 (n = 5) lie about rows 56 and 51: the segment between
  // them crosses column 58 between rows 51 and 55.
  struct Case {
    const char *command;
    int pointRow;         // the point at n = 5, column 64
    int segCol, segLow, segHigh;  // where only the joined graph has dots
    bool joined;
  } cases[] = {
      {"{#F726}", 58, 121, 10, 27, true},  // DrawR-Con
      {"{#F727}", 58, 121, 10, 27, false},
      {"{#F728}", 51, 58, 51, 55, true},   // the sums, joined
      {"{#F729}", 51, 58, 51, 55, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    Program(std::string(kFibonacci) + "{#F72F}:" + c.command);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(AnyDot(64, c.pointRow - 1, c.pointRow + 1)) << CalcScreenPicture();
    EXPECT_EQ(AnyDot(c.segCol, c.segLow, c.segHigh), c.joined) << CalcScreenPicture();
    ASSERT_TRUE(BackToMenu());
  }
}

// DrawWeb of a(n+1) = a(n)/2 + 1 from 0 on -1..2 x -1..2: the first steps
// go up the y axis to (0, 1) and across to (1, 1) on row 22.
TEST_F(ProgRun, WebOfARecursion) {
  const std::string web =
      "{#F791}:\"{#7FA0}/2+1\"{->}{#7FA1}:{#F7CB}{#7FA1}:0{->}{#7FAD}:0{->}{#7F95}:10{->}{#7F96}:~1{->}{#7F00}:"
      "2{->}{#7F01}:~1{->}{#7F04}:2{->}{#7F05}:{#F72A}{#7FA1}";
  Program(web + ",5");
  ASSERT_TRUE(Run());
  EXPECT_TRUE(AnyDot(64, 21, 23)) << CalcScreenPicture();
  ASSERT_TRUE(BackToMenu());
  // No steps: the curve and the line y = x alone.
  Program("{#D1}:" + web + ",0");
  ASSERT_TRUE(Run());
  EXPECT_FALSE(AnyDot(64, 21, 23)) << CalcScreenPicture();
  ASSERT_TRUE(BackToMenu());
  // A count that is no whole number 0..255.
  Program(web + ",2.5");
  ASSERT_TRUE(Run());
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << CalcScreenText();
}

// Two Graph Y= and ZoomAuto: the window fits both lines over -6.3..6.3, so
// at x = 3 (column 94) y = 3 lies about row 37 and y = 13 about row 10.
TEST_F(ProgRun, ZoomAutoFitsBothGraphs) {
  Program("{#EE}X:{#EE}X+10:{#F920}");
  ASSERT_TRUE(Run());
  EXPECT_TRUE(AnyDot(94, 36, 38)) << CalcScreenPicture();
  EXPECT_TRUE(AnyDot(94, 9, 11));
  ASSERT_TRUE(BackToMenu());
}

// The function table's graphs of X^2 from -2 to 2: points only, or joined
// (the segment from (0, 0) to (1, 1) passes (0.5, 0.5), dot (69, 27)).
TEST_F(ProgRun, FunctionTableGraphsAndTable) {
  const std::string table = "\"X{sq}\"{->}{#7FF0}1:{#F7C9}1:~2{->}{#7F91}:2{->}{#7F92}:1{->}{#7F93}:";
  struct Case {
    const char *command;
    bool joined;
  } cases[] = {{"{#F725}", false}, {"{#F724}", true}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    Program("{#D1}:" + table + c.command);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(CalcDot(74, 22)) << CalcScreenPicture();  // (1, 1)
    EXPECT_EQ(CalcDot(69, 27), c.joined) << CalcScreenPicture();
    ASSERT_TRUE(BackToMenu());
  }
  // DispF-Tbl ends on the table; nothing selected for it: error 30.
  Program(table + "{#F72E}");
  ASSERT_TRUE(Run());
  EXPECT_FALSE(CalcScreenHas("ERROR")) << CalcScreenText();
  ASSERT_TRUE(BackToMenu());
  Program(table + "{#F7D9}:{#F72E}");
  ASSERT_TRUE(Run());
  EXPECT_TRUE(CalcScreenHas("Condition ERROR")) << CalcScreenText();
}

// Graph Y=P(, Q( and R( end on the graph with the probability below it.
TEST_F(ProgRun, ProbabilityGraphsShowTheirValue) {
  struct Case {
    const char *program, *readout;
  } cases[] = {
      {"{#EE}{#FB}1)", "P(t)=0.8413447461"},
      {"{#EE}{#FC}1)", "Q(t)=0.3413447461"},
      {"{#EE}{#FD}1", "R(t)=0.1586552539"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.program);
    Program(c.program);
    ASSERT_TRUE(Run());
    EXPECT_EQ(gapp::MiniCell(1, 8), c.readout) << CalcScreenPicture();
    ASSERT_TRUE(BackToMenu());
  }
}

// The editor's FMEM page (OPTN, third page): STO keeps the program's text,
// fn puts the function-memory token at the cursor. At "- Disp -" there is no
// line to keep or fill: the keys change no memory and the pause waits on.
TEST_F(ProgRun, FunctionMemoryKeysOfTheEditorAndThePause) {
  Program("2X+1");
  ASSERT_TRUE(CalcPress("A F2"));
  ASSERT_TRUE(CalcPress("OPTN F6 F6 F2"));
  EXPECT_EQ(Labels(), "[STO][RCL][fn][SEE][][]");
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Store In")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("4 EXE"));
  EXPECT_EQ(CalcRow(1), "== Function Memory ==") << CalcScreenText();
  ASSERT_NE(ItemFmemData(4), nullptr);
  EXPECT_EQ(std::string(ItemFmemData(4)), "2X\x89" "1");
  ASSERT_TRUE(CalcPress("EXIT F3"));
  EXPECT_EQ(Text(), "\xF9\x1B" "2X\x89" "1") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT EXIT"));
  ASSERT_TRUE(CalcPress("EXIT"));

  Program("1{#0C}2");
  ASSERT_TRUE(Run());
  ASSERT_TRUE(CalcScreenHas("- Disp -")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("OPTN F6 F6 F2"));
  EXPECT_EQ(Labels(), "[STO][RCL][fn][SEE][][]");
  for (const char *key : {"F1", "F2", "F3", "F4"}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(CalcPress(key));
    EXPECT_TRUE(CalcScreenHas("- Disp -")) << CalcScreenText();
    ASSERT_TRUE(CalcPress("OPTN F6 F6 F2"));
  }
  EXPECT_EQ(std::string(ItemFmemData(4)), "2X\x89" "1");
  for (u32 slot = 1; slot <= 20; ++slot) {
    if (slot == 4) continue;
    EXPECT_TRUE(ItemFmemData(slot) == nullptr || ItemFmemData(slot)[0] == 0) << slot;
  }
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_FALSE(CalcScreenHas("- Disp -")) << CalcScreenText();
  EXPECT_EQ(CalcRow(2), std::string(20, ' ') + "2") << CalcScreenText();
}

}  // namespace

namespace {

// DrawDyna of Y=AX for A = 1, 2, 3: ten forward-and-back cycles at Normal
// speed (two sleeps a frame), then the graph screen with the last frame
// shown, A = 1 again: at x = 0.7 (column 71) y = 0.7 lit, 1.4 and 2.1 of
// the other frames not. A range the frames
// cannot take and no selected function are refused.
TEST_F(ProgRun, DrawDynaPlaysTenCyclesAndKeepsTheLastFrame) {
  const std::string dyna = "\"AX\"{->}{#7FF0}1:{#F7CA}1:{#F780}A:";
  Program(dyna + "1{->}{#7F0D}:3{->}{#7F0E}:1{->}{#7F0F}:{#F722}");
  DynaPlayStats *stats = DynaStats();
  *stats = DynaPlayStats{};
  ASSERT_TRUE(CalcPress("A"));
  ASSERT_TRUE(CalcPress("EXE", 60000));
  EXPECT_EQ(stats->framesComputed, 3u);
  EXPECT_EQ(stats->framesShown, 60u);
  EXPECT_EQ(stats->sleeps, 120u);
  EXPECT_EQ(GmemReadGraphMode(), 11);
  EXPECT_TRUE(CalcDot(71, 25)) << CalcScreenPicture();
  EXPECT_FALSE(CalcDot(71, 18));
  EXPECT_FALSE(CalcDot(71, 11));
  ASSERT_TRUE(BackToMenu());
  struct Case {
    std::string program;
    const char *error;
  } cases[] = {
      {dyna + "5{->}{#7F0D}:1{->}{#7F0E}:1{->}{#7F0F}:{#F722}", "Range ERROR"},
      {dyna + "1{->}{#7F0D}:3{->}{#7F0E}:1{->}{#7F0F}:{#F7DA}:{#F722}", "Condition ERROR"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.error);
    Program(c.program);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(CalcScreenHas(c.error)) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT EXIT"));
  }
}

}  // namespace
