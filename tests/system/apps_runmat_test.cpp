// The run-and-matrix application as a user meets it: opened from the main
// menu, a line typed, EXE, the result read back from the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "kernel/host.h"
#include "kernel/keyqueue.h"
#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"
#include "ui/keycodes.h"
#include "ui/setup.h"

namespace {

class RunMat : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
    // RUN-MAT is the first icon of the main menu.
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
  // Types calculator codes (tokens and key codes) as the window posts them.
  static testing::AssertionResult Codes(std::initializer_list<u16> codes) {
    for (u16 c : codes) {
      if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << "code refused";
      testing::AssertionResult idle = CalcWaitIdle();
      if (!idle) return idle;
    }
    return testing::AssertionSuccess();
  }
  static std::string Right(const std::string &text) {
    size_t chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    return std::string(21 - chars, ' ') + text;
  }
  // Row r padded to 21 columns, to check right alignment.
  static std::string Row(int r) {
    std::string s = CalcRow(r);
    return s + std::string(s.size() < 21 ? 21 - s.size() : 0, ' ');
  }
};

TEST_F(RunMat, TypedLineShowsOnTheFirstRow) {
  ASSERT_TRUE(CalcPress("1 2 3"));
  EXPECT_EQ(CalcRow(1), "123");
  // Insert mode: DEL takes the character before the cursor.
  ASSERT_TRUE(CalcPress("LEFT DEL"));
  EXPECT_EQ(CalcRow(1), "13") << CalcScreenText();
}

// The text cursor blinks where the next character goes: after typing, DEL,
// the arrows, a wrapped line, a result and a scrolled screen.
TEST_F(RunMat, TextCursorStandsWhereTheNextCharacterGoes) {
  struct Step {
    const char *keys;
    int column;
    int row;
  };
  const Step steps[] = {
      {"1 2 3", 4, 1},
      {"LEFT", 3, 1},
      {"DEL", 2, 1},  // insert mode: the character before the cursor goes
      {"RIGHT", 3, 1},
      {"LEFT LEFT 9", 2, 1},
      {"EXE", 1, 3},
      // 21 characters fill row 3: the cursor waits at the start of row 4.
      {"1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1", 1, 4},
      {"2", 2, 4},
      {"UP", 2, 3},
      {"DOWN", 2, 4},
      {"AC", 1, 1},
      // Results down to the bottom row; the next line scrolls the screen.
      {"1 EXE 2 EXE 3 EXE", 1, 7},
      {"4 EXE", 1, 7},
      {"5", 2, 7},
      // A line that passes row 7 scrolls and keeps the cursor on row 7.
      {"6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7", 3, 7},
      {"LEFT LEFT LEFT", 21, 6},
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(s.keys);
    ASSERT_TRUE(CalcPress(s.keys));
    int column = 0, row = 0;
    EXPECT_TRUE(CalcCursor(&column, &row)) << "the cursor is shown";
    EXPECT_EQ(column, s.column) << CalcScreenText();
    EXPECT_EQ(row, s.row) << CalcScreenText();
  }
}

TEST_F(RunMat, OnePlusTwoShowsThreeRightAlignedOnTheNextRow) {
  ASSERT_TRUE(CalcPress("1 + 2"));
  EXPECT_EQ(CalcRow(1), "1+2");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "1+2") << CalcScreenText();
  EXPECT_EQ(Row(2), std::string(20, ' ') + "3") << CalcScreenText();
  // An operator right after a result takes Ans as its left operand.
  ASSERT_TRUE(CalcPress("+ 3"));
  EXPECT_EQ(CalcRow(3), "Ans+3");
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(4), std::string(20, ' ') + "6") << CalcScreenText();
  // A digit after a result starts a plain line.
  ASSERT_TRUE(CalcPress("7 EXE"));
  EXPECT_EQ(CalcRow(5), "7");
  EXPECT_EQ(Row(6), std::string(20, ' ') + "7");
}

TEST_F(RunMat, HistoryRecallsEditsAndRunsAgainAndOutlivesTheApplication) {
  ASSERT_TRUE(CalcPress("1 + 2 EXE 5 * 4 EXE AC"));
  EXPECT_EQ(CalcRow(1), "");
  // UP shows the newest line, UP again the one before.
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(CalcRow(1), "5×4") << CalcScreenText();
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_EQ(CalcRow(1), "1+2");
  // LEFT takes the shown line for editing with the cursor at its end.
  ASSERT_TRUE(CalcPress("LEFT DEL 9 EXE"));
  EXPECT_EQ(CalcRow(1), "1+9") << CalcScreenText();
  EXPECT_EQ(Row(2), Right("10"));
  // EXE on the empty line after a result runs the newest line again.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(3), Right("10")) << CalcScreenText();
  // Typing while a history line is shown starts a new line.
  ASSERT_TRUE(CalcPress("AC UP 8"));
  EXPECT_EQ(CalcRow(1), "8");
  // The history outlives leaving the application for another one.
  ASSERT_TRUE(CalcPress("MENU RIGHT EXE"));
  ASSERT_NE(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPress("MENU LEFT EXE"));
  ASSERT_EQ(CalcTitle(), "@RUNMAT");
  EXPECT_EQ(CalcRow(1), "");
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(CalcRow(1), "1+9") << CalcScreenText();
}

TEST_F(RunMat, ErrorShowsItsBoxAndTheLineStaysWithTheCursorAtTheError) {
  ASSERT_TRUE(CalcPress("4 EXE 1 + * 2"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  // Only the line stays, from row 1.
  EXPECT_EQ(CalcRow(1), "1+×2") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "");
  // The cursor stands on the character before the error (the '+'): one step
  // right and DEL (insert mode) takes exactly that character.
  ASSERT_TRUE(CalcPress("RIGHT DEL EXE"));
  EXPECT_EQ(CalcRow(1), "1×2") << CalcScreenText();
  EXPECT_EQ(Row(2), Right("2"));
}

TEST_F(RunMat, FractionResultAndItsConversions) {
  ASSERT_TRUE(CalcPress("1 ab/c 3 + 1 ab/c 6 EXE"));
  EXPECT_EQ(CalcRow(2), Right("1⌟2")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(Row(2), Right("0.5")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(Row(2), Right("1⌟2"));
  // The converted value is Ans.
  ASSERT_TRUE(CalcPress("* 4 EXE"));
  EXPECT_EQ(Row(4), Right("2")) << CalcScreenText();
}

TEST_F(RunMat, ComplexResult) {
  // 1+2i in the default a+bi form.
  ASSERT_TRUE(CalcPress("1 + 2"));
  ASSERT_TRUE(Codes({kChrImag}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(2), Right("1+2𝑖")) << CalcScreenText();
  // SET UP, Complex Mode (the fifth row): r angle theta. 1+i is then shown
  // in polar form in degrees.
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN DOWN DOWN DOWN F3 EXIT AC 1 +"));
  ASSERT_TRUE(Codes({kChrImag}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(2), Right("1.414213562∠45")) << CalcScreenText();
}

TEST_F(RunMat, ProgramLineWithInputAndDispPause) {
  // ?->A:A*2 (display stop) A+1
  ASSERT_TRUE(Codes({'?', kChrArrow, 'A', ':', 'A', kChrTimes, '2', 0x0C, 'A', kChrPlus, '1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  // The display stop ends a row of the line.
  EXPECT_EQ(CalcRow(2), "A+1") << CalcScreenText();
  EXPECT_EQ(CalcRow(3), "?") << CalcScreenText();
  ASSERT_TRUE(CalcPress("5 EXE"));
  EXPECT_TRUE(CalcScreenHas("- Disp -")) << CalcScreenText();
  EXPECT_TRUE(CalcScreenHas(Right("10"))) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas(Right("6"))) << CalcScreenText();
  EXPECT_FALSE(CalcScreenHas("- Disp -"));
}

// The row of "- Disp -", 0 when the pause is not shown.
int DispRow() {
  for (int r = 1; r <= 7; ++r)
    if (CalcRow(r) == "             - Disp -") return r;
  return 0;
}

// At "- Disp -" the conversion keys change the value shown above the pause
// as they change a result of the run screen: F<>D both ways, the fraction
// form, sexagesimal and ENG. EXE then goes on.
TEST_F(RunMat, DispPauseConvertsTheShownValue) {
  struct Case {
    std::vector<u16> line;
    std::vector<u16> keys;
  };
  const Case cases[] = {
      {{'1', 0xBB, '3'}, {kKeyFracDec}},
      {{'1', 0xBB, '3'}, {kKeyFracDec, kKeyFracDec}},
      {{'0', '.', '5'}, {kKeyFracDec}},
      {{'7', 0xBB, '3'}, {kKeyFracForm}},
      {{'1', '.', '2', '5'}, {kKeyDms}},
      {{'1', '2', '3', '4'}, {kKeyEngUp}},
      {{'1', '2', '3', '4'}, {kKeyEngDown, kKeyEngDown}},
  };
  for (const Case &c : cases) {
    // What the run screen itself shows for the conversion of the result.
    ASSERT_TRUE(CalcPress("AC"));
    for (u16 t : c.line) ASSERT_TRUE(Codes({t}));
    ASSERT_TRUE(CalcPress("EXE"));
    for (u16 k : c.keys) ASSERT_TRUE(Codes({k}));
    const std::string want = Row(2);
    // The same value at a display-stop, converted there.
    ASSERT_TRUE(CalcPress("AC"));
    for (u16 t : c.line) ASSERT_TRUE(Codes({t}));
    ASSERT_TRUE(Codes({0x0C, '5'}));
    ASSERT_TRUE(CalcPress("EXE"));
    const int pause = DispRow();
    ASSERT_GT(pause, 1) << CalcScreenText();
    const std::string before = Row(pause - 1);
    for (u16 k : c.keys) ASSERT_TRUE(Codes({k}));
    SCOPED_TRACE(want);
    EXPECT_NE(want, Right(std::string()));
    EXPECT_EQ(Row(pause - 1), want) << "before: " << before << "\n" << CalcScreenText();
    EXPECT_EQ(DispRow(), pause) << "the pause waits on";
    ASSERT_TRUE(CalcPress("EXE"));
    EXPECT_EQ(DispRow(), 0);
    EXPECT_TRUE(CalcScreenHas(Right("5"))) << CalcScreenText();
  }
  // In Base-N mode the pause shows the value as it is.
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN F1 EXIT AC"));
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN F2 EXIT AC"));
  ASSERT_TRUE(Codes({'1', '2', 0x0C, '5'}));
  ASSERT_TRUE(CalcPress("EXE"));
  const int pause = DispRow();
  ASSERT_GT(pause, 1) << CalcScreenText();
  const std::string shown = Row(pause - 1);
  ASSERT_TRUE(Codes({kKeyFracDec, kKeyEngUp}));
  EXPECT_EQ(Row(pause - 1), shown);
}

// Display-stops after the control statements: the statement's end is
// processed, so the run pauses there. After For, and after Do, the pause
// comes on every pass (the loop starts again at that statement end); For
// shows its variable. A repeating Next goes back to For without pausing;
// the last Next pauses with the variable's last value.
TEST_F(RunMat, DisplayStopsAfterControlStatementsPause) {
  constexpr u16 kFor = 0xF704, kTo = 0xF705, kNext = 0xF707, kIf = 0xF700, kThen = 0xF701, kIfEnd = 0xF703;
  constexpr u16 kDo = 0xF70A, kLpWhile = 0xF70B, kLbl = 0xE2, kGoto = 0xEC, kStop = 0x0C;
  struct Case {
    const char *what;
    std::vector<u16> line;
    std::vector<std::string> shown;  // the value above each pause ("" not checked)
    std::string result;
  };
  const Case cases[] = {
      {"For", {kFor, '1', kChrArrow, 'A', kTo, '3', kStop, kNext}, {"1", "2", "3"}, "3"},
      {"Next", {kFor, '1', kChrArrow, 'A', kTo, '3', ':', kNext, kStop, 'A', kChrPlus, '1'}, {"3"}, "4"},
      {"If", {'1', kChrArrow, 'A', ':', kIf, 'A', '=', '1', kStop, kThen, '5', ':', kIfEnd}, {""}, "5"},
      {"Do", {'0', kChrArrow, 'A', ':', kDo, kStop, 'A', kChrPlus, '1', kChrArrow, 'A', ':', kLpWhile, 'A', '<', '2'},
       {"", ""}, "2"},
      {"Goto", {kGoto, '1', kStop, '8', ':', kLbl, '1', ':', '9'}, {""}, "9"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(CalcPress("AC"));
    for (u16 t : c.line) ASSERT_TRUE(Codes({t}));
    ASSERT_TRUE(CalcPress("EXE"));
    std::vector<std::string> shown;
    for (int n = 0; n < 8; ++n) {
      const int pause = DispRow();
      if (pause == 0) break;
      shown.push_back(Row(pause - 1));
      ASSERT_TRUE(CalcPress("EXE"));
    }
    ASSERT_EQ(shown.size(), c.shown.size()) << CalcScreenText();
    for (size_t i = 0; i < shown.size(); ++i) {
      if (!c.shown[i].empty()) {
        EXPECT_EQ(shown[i], Right(c.shown[i])) << "pause " << i + 1;
      }
    }
    EXPECT_TRUE(CalcScreenHas(Right(c.result))) << CalcScreenText();
  }
}

// A history written in Base-N mode is gone when RUN-MAT is entered again
// (every launch starts in the normal mode); a history of the normal mode
// stays, also the one begun after a Base-N history went.
TEST_F(RunMat, BaseNHistoryGoesOnEntryAndTheNextOneStays) {
  // Through another application and back: RUN-MAT is entered anew.
  const char *reenter = "MENU RIGHT EXE MENU LEFT EXE";
  ASSERT_TRUE(CalcPress("1 + 2 EXE"));
  ASSERT_TRUE(CalcPress(reenter));
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(CalcRow(1), "1+2") << CalcScreenText();
  // Base-N (Dec) through SET UP; a line of that mode.
  ASSERT_TRUE(CalcPress("AC SHIFT MENU DOWN F2 EXIT AC 4 + 5 EXE"));
  ASSERT_TRUE(CalcPress(reenter));
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(CalcRow(1), "") << CalcScreenText();
  // A new line of the normal mode outlives the next entry.
  ASSERT_TRUE(CalcPress("AC 6 * 7 EXE"));
  ASSERT_TRUE(CalcPress(reenter));
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(CalcRow(1), "6×7") << CalcScreenText();
}

TEST_F(RunMat, CopyASelectionAndPasteItBack) {
  ASSERT_TRUE(CalcPress("1 2 + 3 4"));
  // CLIP, two steps left from the end: "34" selected; COPY.
  ASSERT_TRUE(Codes({kKeyClip}));
  ASSERT_TRUE(Codes({kKeyClipLeft, kKeyClipLeft, kKeyCopy}));
  // The cursor stays where the selection ended (on the 3).
  ASSERT_TRUE(CalcPress("RIGHT RIGHT +"));
  ASSERT_TRUE(Codes({kKeyPaste}));
  EXPECT_EQ(CalcRow(1), "12+34+34") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(2), Right("80"));
}

TEST_F(RunMat, PasteFromThePcInDegrees) {
  HostClipboardPut("sin(30)");
  ASSERT_TRUE(Codes({kKeyPaste}));
  EXPECT_EQ(CalcRow(1), "sin (30)") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(2), Right("0.5")) << CalcScreenText();
}

// A calculation copied on the PC runs as typed: its operators are the
// calculator's own.
TEST_F(RunMat, PastedCalculationRuns) {
  HostClipboardPut("12/4+2^3*(1-3)");
  ASSERT_TRUE(Codes({kKeyPaste}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(2), Right("−13")) << CalcScreenText();
}

TEST_F(RunMat, RecalledLineSurvivesAPasteThatMovesMainMemory) {
  ASSERT_TRUE(CalcPress("1 2 3 + 4 EXE AC LEFT"));
  EXPECT_EQ(CalcRow(1), "123+4");
  // A paste from the PC writes CLIP while the key is read; the line in hand
  // is not disturbed by the items moving.
  HostClipboardPut("56");
  ASSERT_TRUE(Codes({kKeyPaste}));
  EXPECT_EQ(CalcRow(1), "123+456") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(2), Right("579")) << CalcScreenText();
}

TEST_F(RunMat, AcBreaksALongCalculation) {
  // For 1->A To 1E9:Next
  ASSERT_TRUE(Codes({0xF704, '1', kChrArrow, 'A', 0xF705, '1', kChrExp, '9', ':', 0xF707}));
  ASSERT_TRUE(CalcPost(-1, -1, kKeyExe));
  // AC once the calculator has taken EXE and the loop runs.
  while (HostKeyQueueCount() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(CalcPost(1, 1));  // AC
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_TRUE(CalcScreenHas("Break")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_FALSE(CalcScreenHas("Break"));
}

TEST_F(RunMat, EveryDisplayFormatChangesHowTheSameResultShows) {
  ASSERT_TRUE(CalcPress("1 / 2 0 0 EXE"));
  std::vector<std::string> shown{CalcRow(2)};
  // SET UP, the Display row (the sixth), then a choice; EXIT back; EXE on
  // the empty line runs the line again under the new format.
  const char *choices[] = {"F1 3 EXE", "F2 2 EXE", "F3", "F4", "F4 F3"};
  for (const char *c : choices) {
    SCOPED_TRACE(c);
    ASSERT_TRUE(CalcPress("SHIFT MENU DOWN DOWN DOWN DOWN DOWN"));
    ASSERT_TRUE(CalcPress(c));
    ASSERT_TRUE(CalcPress("EXIT"));
    ASSERT_TRUE(CalcPress("AC 1 / 2 0 0 EXE"));
    shown.push_back(CalcRow(2));
  }
  std::string all;
  for (const std::string &s : shown) all += s + "\n";
  // Norm 1, Fix 3, Sci 2, Norm 1 again (from Sci), Eng, Norm 2.
  EXPECT_EQ(all, Right("5ᴇ−03") + "\n" + Right("0.005") + "\n" + Right("5.0ᴇ−03") + "\n" + Right("5ᴇ−03") + "\n" +
                     Right("5m") + "\n" + Right("0.005") + "\n");
}

TEST_F(RunMat, BaseNModeKeysAndRefusals) {
  ASSERT_TRUE(CalcPress("1 EXE"));
  // SET UP, Mode (the second row): Hex. The history of the other mode goes.
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN F3 EXIT"));
  EXPECT_EQ(CalcRow(1), "") << CalcScreenText();
  // sin gives D, XtT gives A; the point is refused.
  ASSERT_TRUE(CalcPress("sin XtT . + 1 EXE"));
  EXPECT_EQ(CalcRow(1), "DA+1") << CalcScreenText();
  EXPECT_EQ(Row(2), Right("000000DB")) << CalcScreenText();
  // F<>D does nothing in Base-N mode.
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(Row(2), Right("000000DB"));
  // The history of this mode is recalled, alone from row 1.
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(CalcRow(1), "DA+1") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "");
  // Back to Comp: the Base-N history goes.
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN F1 EXIT LEFT"));
  EXPECT_EQ(CalcRow(1), "") << CalcScreenText();
}

TEST_F(RunMat, ListResultOpensTheListViewer) {
  // {1,2,3}x2
  ASSERT_TRUE(Codes({kChrListOpen, '1', ',', '2', ',', '3', kChrListClose, kChrTimes, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(7), Right("2")) << CalcScreenText() << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("DOWN DOWN"));
  EXPECT_EQ(Row(7), Right("6")) << CalcScreenText();
  if (getenv("RUNMAT_PNG")) ScreenWritePng("/tmp/listview.png");
  // DOWN from the last element goes back to the first.
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Row(7), Right("2"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "{1,2,3}×2") << CalcScreenText();
  EXPECT_EQ(Row(2), Right("Done"));
}

TEST_F(RunMat, MatrixResultOpensTheMatrixViewer) {
  // [[1,2,3,4,5][6,7,8,9,10]]x3: five columns, more than the grid shows.
  ASSERT_TRUE(Codes({kChrMatOpen, kChrMatOpen, '1', ',', '2', ',', '3', ',', '4', ',', '5', kChrMatClose, kChrMatOpen,
                     '6', ',', '7', ',', '8', ',', '9', ',', '1', '0', kChrMatClose, kChrMatClose, kChrTimes, '3'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(7), Right("3")) << CalcScreenText() << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("LEFT"));
  // LEFT from the first element wraps to the last column of the last row.
  EXPECT_EQ(Row(7), Right("30")) << CalcScreenText();
  if (getenv("RUNMAT_PNG")) ScreenWritePng("/tmp/matview.png");
  ASSERT_TRUE(CalcPress("EXE"));
  // The line took two rows.
  EXPECT_EQ(Row(3), Right("Done")) << CalcScreenText();
}

// Any set dot in the box [x0, x1] x [y0, y1].
bool AnyDot(int x0, int x1, int y0, int y1) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (CalcDot(x, y)) return true;
  return false;
}

// A matrix wider than the grid: the arrow after the fourth column header
// shows while columns lie to the right, the one at the left (a dot clear of
// "Ans") while columns lie to the left.
TEST_F(RunMat, MatrixViewerArrowsShowBothWays) {
  // {7,6}->Dim Mat A:Mat A
  ASSERT_TRUE(Codes({kChrListOpen, '7', ',', '6', kChrListClose, kChrArrow, 0x7F46, kChrMat, 'A', ':', kChrMat, 'A'}));
  ASSERT_TRUE(CalcPress("EXE"));
  struct Step {
    const char *keys;
    bool left;
    bool right;
  };
  const Step steps[] = {
      {"", false, true},
      {"RIGHT RIGHT RIGHT RIGHT", true, true},  // column 5: columns 2-5 shown
      {"RIGHT", true, false},                   // column 6: the last shown
      {"LEFT LEFT LEFT", true, false},          // column 3: the window stays on 3-6
      {"LEFT LEFT", false, true},               // column 1
  };
  for (const Step &st : steps) {
    SCOPED_TRACE(st.keys);
    ASSERT_TRUE(CalcPress(st.keys));
    // The right arrow stands after the fourth header (x 104-115).
    EXPECT_EQ(AnyDot(116, 120, 1, 6), st.right) << CalcScreenPicture();
    EXPECT_EQ(AnyDot(12, 15, 1, 6), st.left) << CalcScreenPicture();
    // "Ans" keeps a clear column before the left arrow.
    EXPECT_FALSE(AnyDot(11, 11, 0, 7)) << CalcScreenPicture();
    EXPECT_TRUE(AnyDot(0, 10, 1, 6)) << "Ans";
  }
  ASSERT_TRUE(CalcPress("EXIT"));
}

// The matrix editor: RIGHT in the dimension dialog edits the number a field
// holds; the row operations name their steps with the multiplication sign
// and arrows; an element is typed with a blank F-key row, X,theta,T gives
// the graph variable anywhere in the line, and an error puts the cursor on
// the place of the error.
TEST_F(RunMat, MatrixEditorDialogsAndElementInput) {
  ASSERT_TRUE(CalcPress("F1"));
  // RIGHT opens the dialog (1 x 1 for a new matrix); RIGHT again edits the
  // 1 in the row field: 15. The column field: RIGHT, DEL, 4.
  ASSERT_TRUE(CalcPress("RIGHT RIGHT 5 EXE RIGHT DEL 4 EXE EXE"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "Mat A       : 15×  4") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  // The row operations' titles.
  const std::pair<const char *, const char *> ops[] = {
      {"F1", " Swap Row m↔Row n"},
      {"F2", " k×Row m→Row m"},
      {"F3", " k×Row m+Row n→Row n"},
      {"F4", " Row m+Row n→Row n"},
  };
  for (const auto &op : ops) {
    ASSERT_TRUE(CalcPress(std::string("F1 ") + op.first));
    EXPECT_EQ(CalcRow(1), "Row Operation") << CalcScreenText();
    EXPECT_EQ(CalcRow(2), op.second) << CalcScreenText();
    ASSERT_TRUE(CalcPress("EXIT EXIT"));
  }
  // Element input with the graph variable T (SET UP: parametric).
  SetupSetItem(kSetupFuncType, 2);
  ASSERT_TRUE(CalcPress("XtT"));
  EXPECT_EQ(CalcRow(7), "T") << CalcScreenText();
  for (int k = 0; k < 6; ++k) EXPECT_STREQ(HostFkeyLabelText(static_cast<u32>(k)), "") << "F" << k + 1;
  ASSERT_TRUE(CalcPress("* 2 XtT"));
  EXPECT_EQ(CalcRow(7), "T×2T") << CalcScreenText();
  // An error: the box, then the cursor on the character where it stopped.
  ASSERT_TRUE(CalcPress("AC 1 + * 2 EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(7), "1+×2") << CalcScreenText();
  int column = 0, row = 0;
  EXPECT_TRUE(CalcCursor(&column, &row));
  EXPECT_EQ(row, 7);
  EXPECT_EQ(column, 3) << "on the ×";
  // Mended (DEL takes the + before the cursor), stored; the grid's keys are back.
  ASSERT_TRUE(CalcPress("DEL EXE"));
  EXPECT_STREQ(HostFkeyLabelText(0), "R-OP");
  // The stored 2, read on the bottom row back at the first element (the
  // grid's lines reach into the row's left part).
  ASSERT_TRUE(CalcPress("LEFT"));
  EXPECT_EQ(Row(7).substr(10), Right("2").substr(10)) << CalcScreenText();
}

TEST_F(RunMat, MatrixDimensionedFilledRowOperatedAndUsed) {
  // F1 MAT: the list of matrices; "2" opens the dimension dialog with 2 as
  // the row count, EXE takes 2 x 2 (the second field stays 1, so set it).
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(1), "Matrix") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), "Mat A       :None") << CalcScreenText();
  ASSERT_TRUE(CalcPress("2"));
  ASSERT_TRUE(CalcPress("EXE 2 EXE"));
  ASSERT_TRUE(CalcPress("EXE"));
  // The element grid: 1 2 / 3 4 typed in, the cursor moving on by itself.
  ASSERT_TRUE(CalcPress("1 EXE 2 EXE 3 EXE 4 EXE"));
  EXPECT_EQ(Row(7), Right("4")) << CalcScreenText();
  // R-OP, Row+: row 1 + row 2 into row 2 -> [[1,2][4,6]].
  ASSERT_TRUE(CalcPress("F1 F4"));
  EXPECT_EQ(CalcRow(1), "Row Operation") << CalcScreenText();
  ASSERT_TRUE(CalcPress("1 EXE 2 EXE F6"));
  ASSERT_TRUE(CalcPress("EXIT UP UP"));
  EXPECT_EQ(Row(7), Right("6")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "Mat A       :  2×  2") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  // Back on the run screen: Mat A x Mat A = [[9,14][28,44]].
  ASSERT_TRUE(Codes({kChrMat, 'A', kChrTimes, kChrMat, 'A'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(7), Right("9")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(Row(7), Right("14"));
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(Row(7), Right("44"));
}

TEST_F(RunMat, LineOf255BytesRunsAndIsStoredWhole) {
  // 1+1+...+1: 128 ones and 127 pluses, 255 bytes; a 256th byte is refused.
  std::vector<u16> codes;
  for (int i = 0; i < 127; ++i) {
    codes.push_back('1');
    codes.push_back(kChrPlus);
  }
  codes.push_back('1');
  codes.push_back('1');
  for (u16 c : codes) {
    ASSERT_TRUE(CalcPost(-1, -1, c));
    ASSERT_TRUE(CalcWaitIdle());
  }
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Row(7), Right("128")) << CalcScreenText();
  // Recalled from the history and run again: the whole line came back.
  ASSERT_TRUE(CalcPress("AC LEFT EXE"));
  EXPECT_EQ(Row(7), Right("128")) << CalcScreenText();
}

}  // namespace
