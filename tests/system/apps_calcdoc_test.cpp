// RUN-MAT in Math input as a user meets it: expressions typed in textbook
// form, results laid out under them, lines edited and run again, Ans taken
// from the line above, results converted, the oldest lines dropped.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/calc_ram.h"
#include "kernel/heap.h"
#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"
#include "ui/keycodes.h"

namespace {

constexpr u16 kTokAnsCode = 0xC0;

class CalcDocRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // Main memory outlives CalcStop within a process: each case begins
    // with none, as when it runs alone.
    HostFreeCalcRam();
    CalcUseMathInput();
    CalcStart();
    ASSERT_TRUE(CalcBootToMenu());
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_EQ(CalcTitle(), "@RUNMAT");
  }
  void TearDown() override { CalcStop(); }

  // The pixel row of the document area where text starts flush left (x 0) or
  // ends flush right (x 127), or -1.
  static int RowLeft(const std::string &text) {
    for (int y = 0; y <= 48; ++y)
      if (ScreenTextAt(0, y, 21) == text) return y;
    return -1;
  }
  static int RowRight(const std::string &text) {
    for (int y = 0; y <= 48; ++y)
      if (ScreenTextAt(2, y, 21) == text) return y;
    return -1;
  }
  static std::string Screen() { return "\n" + CalcScreenPicture(); }
};

// Two fractions typed with the fraction key and the cursor keys: both lines
// stacked, 1/2 at the top (numerator rows 0-6, bar row 8, denominator rows
// 10-16), the result 5/6 right-aligned under them; F<>D on the empty line
// below turns it decimal.
TEST_F(CalcDocRun, FractionsStackAndTheResultConverts) {
  ASSERT_TRUE(CalcPress("ab/c 1 DOWN 2 RIGHT + ab/c 1 DOWN 3 EXE"));
  EXPECT_EQ(ScreenTextAt(1, 0, 1), "1") << Screen();
  EXPECT_EQ(ScreenPictureRegion(0, 7, 8, 3), "........\n.######.\n........\n") << Screen();
  EXPECT_EQ(ScreenTextAt(1, 10, 1), "2") << Screen();
  EXPECT_EQ(ScreenTextAt(8, 5, 1), "+") << Screen();
  // The result: 5 over 6 at the right edge, under the 18 rows of the line.
  EXPECT_EQ(ScreenTextAt(121, 18, 1), "5") << Screen();
  EXPECT_EQ(ScreenPictureRegion(120, 26, 8, 1), ".######.\n") << Screen();
  EXPECT_EQ(ScreenTextAt(121, 28, 1), "6") << Screen();
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(RowRight("0.8333333333"), 18) << Screen();
  // F<>D again: the fraction comes back.
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(ScreenTextAt(121, 18, 1), "5") << Screen();
}

// Templates filled and left with RIGHT: the square root, then a power.
TEST_F(CalcDocRun, RootAndPowerTemplatesRun) {
  ASSERT_TRUE(CalcPress("SHIFT ^2 4 RIGHT + 2 ^ 1 0 RIGHT EXE"));
  EXPECT_GE(RowRight("1026"), 0) << Screen();
  // A number before the root multiplies it.
  ASSERT_TRUE(CalcPress("2 SHIFT ^2 4 EXE"));
  EXPECT_GE(RowRight("4"), 0) << Screen();
  // A number right after a template does not: Syntax ERROR, and the line
  // stays for correction.
  ASSERT_TRUE(CalcPress("SHIFT ^2 4 RIGHT 2 EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT DEL EXE"));
  EXPECT_FALSE(CalcScreenHas("Syntax ERROR")) << Screen();
  EXPECT_GE(RowRight("2"), 0) << Screen();
}

// Ten to the power is drawn as the ten-power character with the exponent
// raised after it: 10 over two text cells would read as a factor 10.
TEST_F(CalcDocRun, TenPowerShowsItsCharacter) {
  ASSERT_TRUE(CalcPress("SHIFT log 3 EXE"));
  int row = -1;
  for (int y = 0; y <= 48 && row < 0; ++y)
    if (ScreenTextAt(0, y, 1) == "\u23E8") row = y;
  ASSERT_GE(row, 0) << Screen();
  // The exponent starts in the next cell, raised above the character.
  EXPECT_EQ(ScreenPictureRegion(0, row, 6, 7), ".#..#.\n##.#.#\n.#.#.#\n.#.#.#\n.#.#.#\n.#.#.#\n.#..#.\n") << Screen();
  EXPECT_EQ(ScreenTextAt(6, row - 4, 1), "3") << Screen();
  EXPECT_GE(RowRight("1000"), 0) << Screen();
}

// The engineering keys step the result under the line through exponents
// that are multiples of three; the document keeps the step.
TEST_F(CalcDocRun, EngineeringStepsOnTheResult) {
  ASSERT_TRUE(CalcPress("1 2 3 4 5 EXE"));
  ASSERT_TRUE(CalcPostCodes({kKeyEngDown}));
  EXPECT_EQ(ScreenTextAt(2, 8, 21), "12.345\u1D07+03") << Screen();
  ASSERT_TRUE(CalcPostCodes({kKeyEngUp, kKeyEngUp}));
  EXPECT_EQ(ScreenTextAt(2, 8, 21), "0.000012345\u1D07+09") << Screen();
  // The next line runs; the stepped result above keeps its form.
  ASSERT_TRUE(CalcPress("2 EXE"));
  EXPECT_EQ(ScreenTextAt(2, 8, 21), "0.000012345\u1D07+09") << Screen();
}

// An operator typed first under a result takes Ans in front of it; under a
// list result List Ans.
TEST_F(CalcDocRun, AnOperatorFirstTakesTheResultAbove) {
  ASSERT_TRUE(CalcPress("3 EXE + 2 EXE"));
  EXPECT_GE(RowLeft("Ans+2"), 0) << Screen();
  EXPECT_GE(RowRight("5"), 0) << Screen();
  ASSERT_TRUE(CalcPostCodes({kChrListOpen, '1', ',', '2', kChrListClose}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPostCodes({kChrTimes, '3'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_GE(RowLeft("List Ans×3"), 0) << Screen();
  EXPECT_FALSE(CalcScreenHas("ERROR")) << Screen();
  // A digit first is a new expression.
  ASSERT_TRUE(CalcPress("7 EXE"));
  EXPECT_GE(RowLeft("7"), 0) << Screen();
}

// A line above edited and run again: the lines below it run again with the
// new result as their Ans.
TEST_F(CalcDocRun, AnEditedLineRunsTheLinesBelowAgain) {
  ASSERT_TRUE(CalcPress("3 EXE"));
  ASSERT_TRUE(CalcPostCodes({kChrTimes, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_GE(RowRight("6"), 0) << Screen();
  // UP from the empty line: the result, the second line, the first result,
  // the first line; a digit typed there replaces it.
  ASSERT_TRUE(CalcPress("UP UP UP UP"));
  EXPECT_EQ(ScreenRowReversed(1)[0], 'R') << Screen();
  ASSERT_TRUE(CalcPress("5 EXE"));
  EXPECT_EQ(RowLeft("5"), 0) << Screen();
  EXPECT_GE(RowRight("10"), 0) << Screen();
  EXPECT_LT(RowRight("6"), 0) << Screen();
  // EXE on the empty last line runs the line above again.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_GE(RowRight("20"), 0) << Screen();
}

// The same for List Ans: a line edited above runs the lines below it
// again, each reading the latest list result above it.
TEST_F(CalcDocRun, ListAnsFollowsAnEditedLine) {
  ASSERT_TRUE(CalcPostCodes({kChrListOpen, '1', ',', '2', ',', '3', kChrListClose}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPostCodes({kChrTimes, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPostCodes({0x7F51, kTokAnsCode, '[', '3', ']'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(RowRight("6"), 40) << Screen();
  // F1 F1: JUMP, TOP; the list typed there replaces the first line.
  ASSERT_TRUE(CalcPress("F1 F1"));
  ASSERT_TRUE(CalcPostCodes({kChrListOpen, '5', ',', '6', ',', '7', kChrListClose}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_GE(RowRight("14"), 0) << Screen();
  EXPECT_LT(RowRight("6"), 0) << Screen();
}

// A row operation on a line changes the matrix and shows it as the line's
// result, and Mat Ans below reads that result; an edited matrix above runs
// both again. Sorting and a token after a command are Syntax ERROR.
TEST_F(CalcDocRun, RowOperationsOnMatAnsShowTheirMatrix) {
  ASSERT_TRUE(CalcPostCodes({'[', '[', '1', ',', '2', ']', '[', '3', ',', '4', ']', ']'}));
  ASSERT_TRUE(CalcPress("EXE"));
  // Swap Mat Ans,1,2: the rows exchanged, shown as its result.
  ASSERT_TRUE(CalcPostCodes({0x7F45, 0x7F40, kTokAnsCode, ',', '1', ',', '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPostCodes({0x7F40, kTokAnsCode, '[', '1', ',', '2', ']'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_GE(RowRight("4"), 0) << Screen();
  EXPECT_FALSE(CalcScreenHas("ERROR")) << Screen();
  ASSERT_TRUE(CalcPress("F1 F1"));
  ASSERT_TRUE(CalcPostCodes({'[', '[', '5', ',', '6', ']', '[', '7', ',', '8', ']', ']'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_GE(RowRight("8"), 0) << Screen();
  const struct {
    std::vector<u16> codes;
    const char *why;
  } refused[] = {
      {{0xF7B0, 0x7F51, '1', ')'}, "SortA( on a line"},
      {{0x7F45, 0x7F40, kTokAnsCode, ',', '1', ',', '2', ':', '3'}, "a statement after the command"},
  };
  for (const auto &r : refused) {
    ASSERT_TRUE(CalcPress("F1 F2"));
    for (const u16 c : r.codes) ASSERT_TRUE(CalcPostCodes({c}));
    ASSERT_TRUE(CalcPress("EXE"));
    EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << r.why << Screen();
    ASSERT_TRUE(CalcPress("EXIT AC"));
  }
}

// A bare list name on a line is the list itself, shown as the line that
// stored it showed it; an element and List Ans read back from it too.
TEST_F(CalcDocRun, AStoredListReadsBackWhole) {
  ASSERT_TRUE(CalcPostCodes({kChrListOpen, '4', ',', '5', kChrListClose, kChrArrow, 0x7F51, '1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  const std::string stored = ScreenPictureRegion(64, 8, 64, 8);
  ASSERT_NE(stored.find('#'), std::string::npos) << Screen();
  ASSERT_TRUE(CalcPostCodes({0x7F51, '1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(RowLeft("List 1"), 16) << Screen();
  EXPECT_EQ(ScreenPictureRegion(64, 24, 64, 8), stored) << Screen();
  ASSERT_TRUE(CalcPostCodes({0x7F51, '1', '[', '2', ']'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(RowRight("5"), 40) << Screen();
  ASSERT_TRUE(CalcPress("AC"));
  ASSERT_TRUE(CalcPostCodes({0x7F51, kTokAnsCode}));
  ASSERT_TRUE(CalcPress("EXE"));
  const int ans = RowLeft("List Ans");
  ASSERT_GE(ans, 0) << Screen();
  EXPECT_EQ(ScreenPictureRegion(64, ans + 8, 64, 8), stored) << Screen();
}

// CLIP takes part of a line, key by key: before an arrow the whole line
// shows reversed; each arrow moves the cursor by one element and the part
// between the place where the first arrow found it and the cursor shows
// reversed. COPY keeps that part and leaves the CLIP state with the cursor
// where it was; PASTE puts it in a later line and in the linear screen.
TEST_F(CalcDocRun, ClipCopiesPartOfALine) {
  ASSERT_TRUE(CalcPress("1 + 2 3 + 4 SHIFT 8"));
  EXPECT_EQ(ScreenRowReversed(1), "RRRRRR...............") << Screen();
  const struct {
    const char *keys;
    const char *reversed;
  } steps[] = {
      {"LEFT", ".....R..............."},
      {"LEFT", "....RR..............."},
      {"LEFT LEFT", "..RRRR..............."},
      {"RIGHT", "...RRR..............."},
  };
  for (const auto &step : steps) {
    ASSERT_TRUE(CalcPress(step.keys));
    EXPECT_EQ(ScreenRowReversed(1), step.reversed) << step.keys << Screen();
  }
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(ScreenRowReversed(1), std::string(21, '.')) << Screen();
  // Out of the CLIP state, a digit goes in where the cursor stood.
  ASSERT_TRUE(CalcPress("0 EXE"));
  EXPECT_EQ(RowLeft("1+203+4"), 0) << Screen();
  EXPECT_EQ(RowRight("208"), 8) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT 9"));
  EXPECT_EQ(ScreenTextAt(0, 16, 2), "3+") << Screen();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(RowRight("7"), 24) << Screen();
  // The linear screen pastes the same part.
  ASSERT_TRUE(CalcPress("SHIFT MENU F2 EXIT SHIFT 9"));
  EXPECT_EQ(CalcRow(1), "3+4") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(2), std::string(20, ' ') + "7") << CalcScreenText();
}

// cut takes the selection out of the line and keeps it for PASTE.
TEST_F(CalcDocRun, ClipCutTakesThePartOut) {
  ASSERT_TRUE(CalcPress("1 + 2 3 SHIFT 8 LEFT LEFT F2"));
  EXPECT_EQ(ScreenRowReversed(1), std::string(21, '.')) << Screen();
  EXPECT_EQ(ScreenTextAt(0, 0, 1), "1") << Screen();
  EXPECT_EQ(ScreenTextAt(12, 0, 4), "") << Screen();
  ASSERT_TRUE(CalcPress("SHIFT 9 SHIFT 9 EXE"));
  EXPECT_EQ(RowLeft("1+2323"), 0) << Screen();
  EXPECT_EQ(RowRight("2324"), 8) << Screen();
}

// Inside a template the selection stays in the cursor's box and takes a
// template in it whole; EXIT leaves the CLIP state and shows the line as it
// was. The copied part runs where it is pasted.
TEST_F(CalcDocRun, ClipStaysInTheCursorsBox) {
  ASSERT_TRUE(CalcPress("7 + ab/c 1 + SHIFT ^2 9 RIGHT DOWN 2 UP"));
  const std::string plain = CalcScreenPicture();
  // The numerator (x 13-37 over rows 0-9) reversed, the bar (row 10), the
  // denominator and "7+" as they were.
  ASSERT_TRUE(CalcPress("SHIFT 8 RIGHT RIGHT RIGHT"));
  const std::string three = CalcScreenPicture();
  EXPECT_EQ(ScreenPictureRegion(13, 9, 26, 1), std::string(25, '#') + ".\n") << Screen();
  constexpr size_t kLine = 129;  // a picture row and its line end
  for (size_t y = 0; y < 10; ++y) EXPECT_EQ(three.substr(y * kLine, 12), plain.substr(y * kLine, 12)) << y;
  EXPECT_EQ(three.substr(10 * kLine, 46 * kLine), plain.substr(10 * kLine, 46 * kLine)) << Screen();
  ASSERT_TRUE(CalcPress("RIGHT"));
  EXPECT_EQ(CalcScreenPicture(), three) << "the box ends there" << Screen();
  // EXIT: the line as it was, the cursor at the numerator's end.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(ScreenPictureRegion(13, 9, 26, 1), std::string(24, '.') + "#.\n") << Screen();
  ASSERT_TRUE(CalcPress("SHIFT 8 LEFT LEFT LEFT F1 EXE"));
  EXPECT_GE(RowRight("9"), 0) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT 9 EXE"));
  EXPECT_GE(RowRight("4"), 0) << Screen();
}

// The picture with the dots of columns x0-x1, rows y0-y1 swapped: a part
// of a reversed selection shown plain, or the other way round.
std::string Swapped(std::string picture, int x0, int x1, int y0, int y1) {
  constexpr int kLine = 129;  // a picture row and its line end
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      char &c = picture[static_cast<size_t>(y * kLine + x)];
      c = c == '#' ? '.' : '#';
    }
  return picture;
}

// UP and DOWN in the CLIP state, key by key: from the denominator UP takes
// the whole fraction (both its lines) and nothing beside it; with nothing
// above or below it they change nothing; LEFT then takes the element before
// it and RIGHT lets it go again. COPY keeps what is shown and it runs where
// it is pasted.
TEST_F(CalcDocRun, ClipUpAndDownTakeTheWholeFraction) {
  ASSERT_TRUE(CalcPress("7 + ab/c 1 + SHIFT ^2 9 RIGHT DOWN 2"));
  // Before an arrow the whole line (x 0-38 over its rows 0-19) is taken;
  // "7+" stands on x 0-11 and the fraction from x 12.
  ASSERT_TRUE(CalcPress("SHIFT 8"));
  const std::string whole = CalcScreenPicture();
  ASSERT_EQ(ScreenPictureRegion(0, 0, 40, 1), std::string(28, '#') + std::string(9, '.') + "##.\n") << Screen();
  const std::string fraction = Swapped(whole, 0, 11, 0, 19);
  const std::string plus_fraction = Swapped(whole, 0, 5, 0, 19);
  const struct {
    const char *keys;
    const std::string &shown;
    const char *why;
  } steps[] = {
      {"UP", fraction, "the denominator's line above is the numerator"},
      {"UP", fraction, "nothing above the fraction"},
      {"DOWN", fraction, "nothing below it"},
      {"LEFT", plus_fraction, "the + before it"},
      {"RIGHT", fraction, "the + let go"},
      {"RIGHT", fraction, "nothing after it"},
      {"LEFT", plus_fraction, "the + again"},
  };
  for (const auto &step : steps) {
    ASSERT_TRUE(CalcPress(step.keys));
    EXPECT_EQ(CalcScreenPicture(), step.shown) << step.keys << ": " << step.why << Screen();
  }
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(ScreenPictureRegion(0, 0, 40, 1), std::string(28, '.') + std::string(9, '#') + "...\n") << Screen();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(RowRight("9"), 20) << Screen();
  ASSERT_TRUE(CalcPress("5 SHIFT 9 EXE"));
  EXPECT_GE(RowRight("7"), 0) << Screen();
}

// In a matrix UP and DOWN reach the neighbouring row of elements, which
// takes the whole matrix: DOWN from the last row does nothing, UP takes it.
// Cut takes it out of the line, and pasted alone it runs as the matrix.
TEST_F(CalcDocRun, ClipUpTakesTheWholeMatrixAndCutsIt) {
  // F4 F1 F1: "math", "MAT", "2*2".
  ASSERT_TRUE(CalcPress("1 + F4 F1 F1 1 RIGHT 2 RIGHT 3 RIGHT 4"));
  ASSERT_TRUE(CalcPress("SHIFT 8"));
  const std::string whole = CalcScreenPicture();
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_EQ(CalcScreenPicture(), whole) << "nothing below the last row" << Screen();
  ASSERT_TRUE(CalcPress("UP"));
  // The line covers rows 0-17; "1+" stands on x 0-11.
  EXPECT_EQ(CalcScreenPicture(), Swapped(whole, 0, 11, 0, 17)) << "the matrix, not 1+" << Screen();
  // F2 cut: "1+" stays with the cursor after it.
  ASSERT_TRUE(CalcPress("F2 2 EXE"));
  EXPECT_EQ(RowRight("3"), 8) << Screen();
  // The pasted matrix runs: its result (right-aligned from x 100) shows as
  // the line shows it (from x 0), both 18 rows high.
  ASSERT_TRUE(CalcPress("SHIFT 9 EXE"));
  int line = -1, result = -1;
  for (int y = 0; y < 56; ++y) {
    if (line < 0 && ScreenPictureRegion(0, y, 8, 1) == ".###...#\n") line = y;
    if (result < 0 && ScreenPictureRegion(100, y, 8, 1) == ".###...#\n") result = y;
  }
  ASSERT_GE(line, 0) << Screen();
  ASSERT_EQ(result, line + 18) << Screen();
  EXPECT_EQ(ScreenPictureRegion(100, result, 28, 18), ScreenPictureRegion(0, line, 28, 18)) << Screen();
}

// The cursor read back from the screen (an 8-dot upright line) as the
// arrows move it between the parts of 12/3+4: out of the fraction, into
// its denominator from the right, up to the numerator, out at the left;
// LEFT at the start and DOWN outside a template keep it (the only line).
TEST_F(CalcDocRun, CursorMovesBetweenTheParts) {
  ASSERT_TRUE(CalcPress("ab/c 1 2 DOWN 3 RIGHT + 4"));
  const struct {
    const char *keys;
    int x, y;  // the cursor's column and its top row
    const char *where;
    char below = '.';  // the dot under it (the fraction bar under "1")
  } steps[] = {
      {"", 25, 5, "after 4"},
      {"LEFT", 19, 5, "before 4"},
      {"LEFT", 13, 5, "after the fraction"},
      {"LEFT", 9, 10, "the denominator's end"},
      {"UP", 0, 0, "the numerator's start"},
      {"LEFT", 0, 5, "before the fraction"},
      {"LEFT", 0, 5, "the line's start"},
      {"DOWN", 0, 5, "nothing below"},
      {"RIGHT", 0, 0, "the numerator's start"},
      {"RIGHT", 6, 0, "after 1", '#'},
  };
  for (const auto &step : steps) {
    if (*step.keys) {
      ASSERT_TRUE(CalcPress(step.keys));
    }
    std::string column;
    for (int y = step.y - 1; y <= step.y + 8; ++y) column += y < 0 ? '.' : ScreenPictureRegion(step.x, y, 1, 1)[0];
    EXPECT_EQ(column, std::string(".########") + step.below) << step.keys << ": " << step.where << Screen();
  }
}

// A line that fails frees the blocks its run took and no other: a block
// held from before (here the test's own) stays whole, and the heap holds
// the same blocks as before the line. A good line with a list result
// leaves it too.
TEST_F(CalcDocRun, AFailedLineFreesOnlyItsOwnBlocks) {
  const auto used = [] {
    u32 n = 0;
    for (u32 i = 0; i < kMemSlotCount; ++i) n += MemSize(kMemSlotBase + 4 * i) != 0;
    return n;
  };
  const MemHandle held = MemAlloc(16);
  ASSERT_NE(held, 0u);
  std::memset(MemDeref(held), 0x5A, 16);
  const u32 before = used();
  const struct {
    std::vector<u16> codes;
    bool fails;
  } lines[] = {
      {{kChrListOpen, '1', ',', '2', kChrListClose, kChrDivide, '0'}, true},
      {{'1', kChrDivide, '0'}, true},
      {{kChrListOpen, '1', ',', '2', kChrListClose, kChrTimes, '2'}, false},
  };
  for (const auto &line : lines) {
    for (const u16 c : line.codes) ASSERT_TRUE(CalcPostCodes({c}));
    ASSERT_TRUE(CalcPress("EXE"));
    EXPECT_EQ(CalcScreenHas("Ma ERROR"), line.fails) << CalcScreenText();
    if (line.fails) {
      ASSERT_TRUE(CalcPress("EXIT AC"));
    }
    ASSERT_EQ(MemSize(held), 16u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(MemDeref(held)), 16), std::string(16, 'Z'));
    EXPECT_EQ(used(), before) << Screen();
  }
  MemFree(held);
}

// A list of 21 elements has no textbook form: its viewer opens at once.
TEST_F(CalcDocRun, ALongListOpensTheViewer) {
  ASSERT_TRUE(CalcPostCodes({0x7F2C, 'X', ',', 'X', ',', '1', ',', '2', '1', ',', '1', ')'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(7), std::string(20, ' ') + "1") << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_GE(RowRight("List Result"), 0) << CalcScreenText() << Screen();
}

// The document keeps at most 61 entries: the oldest line and its result go.
TEST_F(CalcDocRun, TheOldestLineGoesWhenTheDocumentIsFull) {
  ASSERT_TRUE(CalcPress("1 EXE"));
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(CalcPress("+ 1 EXE"));
  EXPECT_GE(RowRight("31"), 0) << Screen();
  // F1 JUMP, F1 TOP: the first line is now the second one typed.
  ASSERT_TRUE(CalcPress("F1 F1"));
  EXPECT_EQ(ScreenTextAt(0, 0, 21), "Ans+1") << Screen();
  EXPECT_EQ(RowRight("2"), 8) << Screen();
}

// DEL, DEL-L on a line asks and deletes it with its result; DEL-A clears
// the document.
TEST_F(CalcDocRun, LinesAreDeletedByTheMenu) {
  ASSERT_TRUE(CalcPress("1 1 EXE 2 2 EXE"));
  ASSERT_TRUE(CalcPress("UP UP UP UP"));
  ASSERT_TRUE(CalcPress("F2 F1"));
  EXPECT_TRUE(CalcScreenHas("Delete Line?")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(RowLeft("22"), 0) << Screen();
  EXPECT_EQ(RowRight("22"), 8) << Screen();
  EXPECT_LT(RowRight("11"), 0) << Screen();
  // No keeps the lines.
  ASSERT_TRUE(CalcPress("F2 F2"));
  EXPECT_TRUE(CalcScreenHas("Delete All?")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(RowLeft("22"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F2 F2 F1 3 EXE"));
  EXPECT_EQ(RowLeft("3"), 0) << Screen();
  EXPECT_LT(RowLeft("22"), 0) << Screen();
}

// SET UP switches between the document and the linear screen; the
// document's lines are still there when Math input comes back.
TEST_F(CalcDocRun, SetUpSwitchesToLinearAndBack) {
  ASSERT_TRUE(CalcPress("4 ^2 EXE"));
  EXPECT_GE(RowRight("16"), 0) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT MENU"));
  EXPECT_TRUE(CalcScreenHas("Input Mode")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("F2 EXIT"));
  ASSERT_TRUE(CalcPress("1 + 2 EXE"));
  EXPECT_EQ(CalcRow(1), "1+2") << CalcScreenText();
  EXPECT_EQ(CalcRow(2), std::string(20, ' ') + "3") << CalcScreenText();
  ASSERT_TRUE(CalcPress("SHIFT MENU F1 EXIT"));
  EXPECT_GE(RowRight("16"), 0) << Screen();
}

// With the Eng display the result already shows an engineering exponent:
// each engineering key is one step from it, both ways, as in normal
// display.
TEST_F(CalcDocRun, EngineeringKeyUnderEngDisplayStepsOnce) {
  ASSERT_TRUE(CalcPress("SHIFT MENU DOWN DOWN DOWN DOWN DOWN F4 EXIT"));
  ASSERT_TRUE(CalcPress("1 2 3 4 5 EXE"));
  EXPECT_GE(RowRight("12.345k"), 0) << Screen();
  ASSERT_TRUE(CalcPostCodes({kKeyEngDown}));
  EXPECT_GE(RowRight("12345"), 0) << Screen();
  ASSERT_TRUE(CalcPostCodes({kKeyEngUp}));
  EXPECT_GE(RowRight("12.345k"), 0) << Screen();
  // Fresh from the next result, up first.
  ASSERT_TRUE(CalcPress("2 EXE"));
  ASSERT_TRUE(CalcPostCodes({kKeyEngUp}));
  EXPECT_GE(RowRight("0.002k"), 0) << Screen();
}

}  // namespace
