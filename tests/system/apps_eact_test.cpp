// E-activity as a user meets it: a new file made from the list, a text line
// and a calculation line typed and run, the file saved and opened again; the
// user's own memory untouched by it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "kernel/calc_ram.h"
#include "tests/support/harness.h"
#include "tests/support/screen_reader.h"
#include "storage/file.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/lcd_shadow.h"

namespace {

class Eact : public ::testing::Test {
 protected:
  void SetUp() override {
    // Main memory outlives CalcStop within a process: each case begins
    // with none, as when it runs alone.
    HostFreeCalcRam();
    CalcStart(true);
    ASSERT_TRUE(CalcBootToMenu());
  }
  void TearDown() override { CalcStop(); }

  static std::string Screen() { return "\n" + CalcScreenPicture(); }
  // A text row of the document area (pixel rows 0-55) that starts at x 0 or
  // x 1 (the title line).
  static bool Shows(const std::string &text) {
    for (int y = 0; y <= 48; ++y)
      for (int x = 0; x <= 1; ++x)
        if (ScreenTextAt(x, y, static_cast<int>(text.size())) == text) return true;
    return false;
  }
  // Opens e-activity from the main menu and makes file AB with NEW.
  static testing::AssertionResult NewFileAB() {
    if (auto r = CalcPress("3"); !r) return r;
    if (CalcTitle() != "@EACT") return testing::AssertionFailure() << "title " << CalcTitle();
    if (auto r = CalcPress("F2"); !r) return r;
    if (auto r = CalcPostCodes({'A', 'B'}); !r) return r;
    return CalcPress("EXE");
  }
};

TEST_F(Eact, NewFileSavedAndOpenedAgainHasTheSameLines) {
  ASSERT_TRUE(NewFileAB());
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  // The empty text line under the title is edited at once.
  ASSERT_TRUE(CalcPostCodes({'H', 'I'}));
  // EXE opens a new text line below; F3 turns it into a calculation line.
  ASSERT_TRUE(CalcPress("EXE F3"));
  ASSERT_TRUE(CalcPress("1 + 2 EXE"));
  EXPECT_TRUE(Shows("HI")) << Screen();
  EXPECT_EQ(ScreenTextAt(122, 24, 1), "3") << Screen();
  // FILE, SAVE; then EXIT leaves without a question (nothing changed since).
  ASSERT_TRUE(CalcPress("F1 F1"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("AB")) << Screen();
  EXPECT_FALSE(Shows("HI")) << Screen();
  // EXE opens the file the list stands on.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  // The text line is edited at once: its cursor stands after "HI".
  EXPECT_EQ(ScreenTextAt(0, 8, 1), "H") << Screen();
  EXPECT_TRUE(Shows("1+2")) << Screen();
  EXPECT_EQ(ScreenTextAt(122, 24, 1), "3") << Screen();
}

TEST_F(Eact, LeavingWithChangesAsksAndNoKeepsTheFileAsItWas) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 7 EXE"));
  ASSERT_TRUE(CalcPress("F1 F1"));  // saved with 7
  ASSERT_TRUE(CalcPress("UP UP AC 8 EXE"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("Save this file?")) << Screen();
  // AC cancels: still in the editor.
  ASSERT_TRUE(CalcPress("AC"));
  EXPECT_FALSE(CalcScreenHas("Save this file?")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT F6"));  // No
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(ScreenTextAt(122, 16, 1), "7") << Screen();
}

TEST_F(Eact, SaveAsOntoAnExistingNameAsks) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 5 EXE F1 F1"));  // AB saved
  // SV-AS under CD, then SV-AS onto AB: asked, and F6 keeps CD.
  ASSERT_TRUE(CalcPress("F1 F2"));
  ASSERT_TRUE(CalcPostCodes({'C', 'D'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(Shows("======CD      =======")) << Screen();
  ASSERT_TRUE(CalcPress("F1 F2"));
  ASSERT_TRUE(CalcPostCodes({'A', 'B'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("[AB      ]")) << Screen();
  EXPECT_TRUE(CalcScreenHas("Overwrite OK?")) << Screen();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_TRUE(Shows("======CD      =======")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // The list stands on CD, AB above it.
  EXPECT_TRUE(CalcScreenHas("CD")) << Screen();
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_TRUE(CalcScreenHas("AB")) << Screen();
}

// Yes to the question replaces the file, and the question's look at the
// old file leaves it closed: it opens again (an open file could not be
// replaced or opened a second time).
TEST_F(Eact, SaveAsOntoAnExistingNameWithYesReplacesIt) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 5 EXE F1 F1"));  // AB saved with 5
  ASSERT_TRUE(CalcPress("F1 F2"));
  ASSERT_TRUE(CalcPostCodes({'C', 'D'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("UP UP AC 8 EXE"));
  ASSERT_TRUE(CalcPress("F1 F2"));
  ASSERT_TRUE(CalcPostCodes({'A', 'B'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcScreenHas("Overwrite OK?")) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_FALSE(CalcScreenHas("ERROR")) << Screen();
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  const std::string path = "\\\\fls0\\AB.EAC";
  std::vector<u16> wide(path.begin(), path.end());
  wide.push_back(0);
  const i32 h = FileOpen(wide.data());
  EXPECT_GE(h, 0) << "AB.EAC left open";
  if (h >= 0) FileClose(h);
  // Nothing changed since the save: EXIT goes to the list without asking.
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_FALSE(CalcScreenHas("Save this file?")) << Screen();
  // The list: AB on row 2, CD on row 3; the cursor goes to AB.
  ASSERT_EQ(CalcRow(2).substr(0, 3), " AB") << CalcScreenText();
  if (ScreenRowReversed(2)[1] != 'R') {
    ASSERT_TRUE(CalcPress("UP"));
  }
  ASSERT_EQ(ScreenRowReversed(2)[1], 'R') << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  EXPECT_EQ(ScreenTextAt(122, 16, 1), "8") << Screen();
}

TEST_F(Eact, UserVariablesStayAsideWhileEactivityRuns) {
  ASSERT_TRUE(CalcPress("1"));  // RUN-MAT, linear
  ASSERT_TRUE(CalcPress("5 -> A EXE"));
  ASSERT_TRUE(CalcPress("MENU"));
  ASSERT_TRUE(NewFileAB());
  // The e-activity's own memory: A is 0 there.
  ASSERT_TRUE(CalcPress("F3 A EXE"));
  EXPECT_EQ(ScreenTextAt(122, 16, 1), "0") << Screen();
  ASSERT_TRUE(CalcPress("MENU 1"));
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPress("AC A EXE"));
  EXPECT_TRUE(CalcScreenHas("5")) << Screen();
}

// A RUN-MAT strip: its document lives in the strip, comes back when the
// user switches to it again, and travels in the file.
TEST_F(Eact, RunMatStripKeepsItsLinesAcrossSwitchesSaveAndReopen) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F2"));  // STRP: the application list
  EXPECT_TRUE(CalcScreenHas("Run")) << Screen();
  ASSERT_TRUE(CalcPress("EXE"));  // the first row, Run
  ASSERT_TRUE(CalcPress("EXE"));  // runs the strip
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPress("1 + 2 EXE"));
  EXPECT_TRUE(Shows("1+2")) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT ->"));  // back to the editor
  EXPECT_EQ(CalcTitle(), "@EACT");
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  EXPECT_FALSE(Shows("1+2")) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT ->"));  // to the strip again: as it was left
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  EXPECT_TRUE(Shows("1+2")) << Screen();
  ASSERT_TRUE(CalcPress("4 EXE"));
  EXPECT_TRUE(Shows("4")) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  // FILE, SAVE on a strip line; leave and open the file again.
  ASSERT_TRUE(CalcPress("F1 F1 EXIT"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  ASSERT_TRUE(CalcPress("EXE"));  // the strip, started afresh on its data
  EXPECT_EQ(CalcTitle(), "@RUNMAT");
  EXPECT_TRUE(Shows("1+2")) << Screen();
  EXPECT_TRUE(Shows("4")) << Screen();
}

// The text strip: "Notes" in the application list, a text document of its
// own that comes back when the user switches to it again.
TEST_F(Eact, TextStripKeepsItsText) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F2 UP UP UP UP UP UP UP"));  // wraps round to row 11
  EXPECT_TRUE(CalcScreenHas("Notes")) << Screen();
  ASSERT_TRUE(CalcPress("EXE EXE"));
  EXPECT_EQ(CalcTitle(), "@EACT");
  ASSERT_TRUE(CalcPostCodes({'N', 'O', 'T', 'E'}));
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  EXPECT_FALSE(Shows("NOTE")) << Screen();
  ASSERT_TRUE(CalcPress("SHIFT ->"));
  EXPECT_EQ(ScreenTextAt(0, 0, 3), "NOT") << Screen();
}

// EXE inside a text line splits it; DEL at the start of the second part
// joins them again with the cursor at the joint.
TEST_F(Eact, TextLinesSplitAndJoin) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPostCodes({'A', 'B', 'C', 'D'}));
  ASSERT_TRUE(CalcPress("LEFT LEFT EXE"));
  EXPECT_EQ(ScreenTextAt(0, 8, 2), "AB") << Screen();
  EXPECT_EQ(ScreenTextAt(6, 16, 1), "D") << Screen();  // the cursor stands before C
  ASSERT_TRUE(CalcPress("DEL"));
  ASSERT_TRUE(CalcPostCodes({'X'}));
  // AB, X typed at the joint, the cursor after it, then CD.
  EXPECT_EQ(ScreenTextAt(0, 8, 2), "AB") << Screen();
  EXPECT_EQ(ScreenTextAt(18, 8, 2), "CD") << Screen();
  EXPECT_EQ(ScreenTextAt(0, 16, 1), "") << Screen();
}

// An e-activity too large for a file: SAVE shows why and the editor stays;
// Yes on the leave question fails the same way and the editor stays with
// the edits, where leaving would lose them.
TEST_F(Eact, AFailedSaveKeepsTheEditorOpen) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3"));
  // Seq(X,X,1,999,1)->List 1: a list kept three times (List 1, List Ans and
  // the result in the document), more than a file takes.
  ASSERT_TRUE(CalcPostCodes({0x7F2C, 'X', ',', 'X', ',', '1', ',', '9', '9', '9', ',', '1', ')', 0x0E, 0x7F51, '1'}));
  ASSERT_TRUE(CalcPress("EXE"));  // the list viewer shows the long list
  EXPECT_FALSE(CalcScreenHas("ERROR")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT F1 F1"));
  EXPECT_TRUE(CalcScreenHas("Data Too Large")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("Save this file?")) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_TRUE(CalcScreenHas("Data Too Large")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  EXPECT_FALSE(CalcScreenHas("e-Act List")) << Screen();
}

// A SAVE that cannot write the new file whole (the storage has no room for
// it beside the old one) shows Storage ERROR, keeps the saved file as it
// was and leaves nothing behind.
TEST_F(Eact, ASaveThatCannotBeWrittenKeepsTheSavedFile) {
  const auto wide = [](const std::string &text) {
    std::vector<u16> w(text.begin(), text.end());
    w.push_back(0);
    return w;
  };
  const std::vector<u16> path = wide("\\\\fls0\\AB.EAC"), device = wide("\\\\fls0");
  const auto file = [&] {
    std::vector<u8> b;
    const i32 h = FileOpen(path.data());
    if (h < 0) return b;
    b.resize(static_cast<size_t>(FileGetSize(h)));
    FileRead(h, b.data(), static_cast<i32>(b.size()), 0);
    FileClose(h);
    return b;
  };
  const auto room = [&] {
    u32 bytes = 0;
    FileGetFreeSpace(device.data(), &bytes);
    return bytes;
  };
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 5 EXE F1 F1"));  // AB saved with 5
  const std::vector<u8> saved = file();
  ASSERT_FALSE(saved.empty());
  // The line of 5 becomes Seq(X,X,1,150,1)->List 1: some 5 KB more (List
  // 1, List Ans and the result); the list viewer opens and EXIT closes it.
  ASSERT_TRUE(CalcPress("UP UP AC"));
  ASSERT_TRUE(CalcPostCodes({0x7F2C, 'X', ',', 'X', ',', '1', ',', '1', '5', '0', ',', '1', ')', 0x0E, 0x7F51, '1'}));
  ASSERT_TRUE(CalcPress("EXE EXIT"));
  ASSERT_FALSE(CalcScreenHas("ERROR")) << CalcScreenText();
  // Filler files leave about 2 KB.
  std::vector<std::vector<u16>> fillers;
  for (int n = 0; n < 100 && room() > 2500; ++n) {
    fillers.push_back(wide("\\\\fls0\\FILL" + std::to_string(n) + ".BIN"));
    i32 size = static_cast<i32>(room() - 2000);
    while (size > 64 && FileCreate(fillers.back().data(), size) < 0) size /= 2;
  }
  const u32 left = room();
  ASSERT_LE(left, 2500u);
  ASSERT_TRUE(CalcPress("F1 F1"));
  EXPECT_TRUE(CalcScreenHas("Storage ERROR")) << CalcScreenText();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(file(), saved);
  EXPECT_EQ(room(), left);
}

// The file list left with MENU and opened again: the list of the first
// visit is not lost (the sanitizer build reports it as a leak when it is).
TEST_F(Eact, FileListLeftWithMenuOpensAgain) {
  for (int visit = 0; visit < 2; ++visit) {
    ASSERT_TRUE(CalcPress("3"));
    EXPECT_EQ(CalcTitle(), "@EACT");
    EXPECT_TRUE(CalcScreenHas("e-Act List")) << Screen();
    ASSERT_TRUE(CalcPress("MENU"));
    EXPECT_TRUE(CalcMainMenuShown()) << Screen();
  }
}

// CLIP, COPY on a text line, and PASTE on the next line gives the text
// again.
TEST_F(Eact, LineCopiedAndPasted) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPostCodes({'H', 'I'}));
  ASSERT_TRUE(CalcPress("SHIFT 8 F1"));
  ASSERT_TRUE(CalcPress("EXE SHIFT 9"));
  EXPECT_EQ(ScreenTextAt(0, 8, 2), "HI") << Screen();
  EXPECT_EQ(ScreenTextAt(0, 16, 1), "H") << Screen();
}

// A calculation line holding only a list name shows that list, as the line
// that stored it showed it.
TEST_F(Eact, BareListNameShowsTheList) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(CalcPostCodes({'{', '7', ',', '8', '}', kChrArrow, 0x7F51, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  // The line below is a text line: F3 makes it a calculation line.
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(CalcPostCodes({0x7F51, '2'}));
  ASSERT_TRUE(CalcPress("EXE"));
  int line = -1;
  for (int y = 0; y <= 40 && line < 0; ++y)
    if (ScreenTextAt(0, y, 21) == "List 2") line = y;
  ASSERT_GE(line, 16) << Screen();
  const std::string shown = ScreenPictureRegion(64, line + 8, 64, 8);
  EXPECT_NE(shown.find('#'), std::string::npos) << Screen();
  EXPECT_EQ(shown, ScreenPictureRegion(64, line - 8, 64, 8)) << Screen();
}

// The m x n pop-up takes sizes 1 to 6: 7 meets Argument ERROR and the
// pop-up asks again.
TEST_F(Eact, MatrixSizeIsAskedAndChecked) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 F4 F1 F3"));  // CALC, math, MAT, m*n
  EXPECT_TRUE(CalcScreenHas("m  :")) << Screen();
  ASSERT_TRUE(CalcPress("7 EXE"));
  EXPECT_TRUE(CalcScreenHas("Argument ERROR")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("m  :7")) << Screen();
  ASSERT_TRUE(CalcPress("1 DOWN 2 EXE"));
  EXPECT_FALSE(CalcScreenHas("m  :")) << Screen();
  // A 1 x 2 matrix typed into the template runs.
  ASSERT_TRUE(CalcPress("5 RIGHT 6 EXE"));
  EXPECT_FALSE(CalcScreenHas("ERROR")) << Screen();
  EXPECT_GE(ScreenTextAt(0, 8, 1).size(), 1u) << Screen();
}

// A strip is named after its application when it is made; typing on its
// bar edits the name in place (the cursor on the bar, at most 16 columns),
// EXE keeps it, EXIT leaves the name it had, and the name travels in the
// file.
TEST_F(Eact, StripNameEditedOnItsBar) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F2 EXE"));  // a Run strip on row 8, under the title
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "Run") << Screen();
  const auto graph_cursor_x = [] {
    i32 x = -1, y = -1;
    ShellGetGraphCursorPos(&x, &y);
    EXPECT_EQ(y, 10);
    return ShellGetGraphCursorWord() != 0 ? x : -1;
  };
  // A typed character starts a new name; LEFT moves inside it.
  ASSERT_TRUE(CalcPostCodes({'M', 'Y'}));
  ASSERT_TRUE(CalcPress("LEFT"));
  ASSERT_TRUE(CalcPostCodes({'A'}));
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "MAY") << Screen();
  EXPECT_EQ(graph_cursor_x(), 13);  // before the Y
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "Run") << Screen();
  EXPECT_EQ(ShellGetGraphCursorWord(), 0u);
  // RIGHT edits the name it has from its start; DEL removes before the
  // cursor; seventeen more characters: the bar takes sixteen columns.
  ASSERT_TRUE(CalcPress("RIGHT RIGHT DEL"));
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "un") << Screen();
  ASSERT_TRUE(CalcPress("AC"));
  ASSERT_TRUE(CalcPostCodes({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q'}));
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "ABCDEFGHIJKLMNOP") << Screen();
  EXPECT_EQ(graph_cursor_x(), 97);  // after the P: the Q was refused
  ASSERT_TRUE(CalcPress("AC"));
  ASSERT_TRUE(CalcPostCodes({'S', 'T', 'A', 'T'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "STAT") << Screen();
  // Saved, left and opened again: the strip keeps its name.
  ASSERT_TRUE(CalcPress("F1 F1 EXIT EXE"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  EXPECT_EQ(ScreenTextAt(1, 10, 16), "STAT") << Screen();
}

// LIST on a calculation line runs the statistics list editor on the
// e-activity's lists; EXIT comes back to the line, which reads them.
TEST_F(Eact, ListEditorFilledFromTheDocument) {
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 F6 F4"));  // CALC, next page, LIST
  EXPECT_FALSE(Shows("======AB      =======")) << Screen();
  ASSERT_TRUE(CalcPress("7 EXE 8 EXE EXIT"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  ASSERT_TRUE(CalcPostCodes({0x7F51, '1', '[', '2', ']'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_FALSE(CalcScreenHas("ERROR")) << Screen();
  EXPECT_EQ(ScreenTextAt(122, 16, 1), "8") << Screen();
}

// Opening with the storage memory nearly full asks first, full screen, with
// YES and NO as the function keys of the bottom row; NO stays on the list,
// YES opens the file.
TEST_F(Eact, NearlyFullStorageAsksBeforeOpening) {
  // The calculator waits for a key: the next key posted orders these writes
  // before its reads.
  static const u16 kDevice[] = {'f', 'l', 's', '0', 0};
  u16 filler[] = {'\\', '\\', 'f', 'l', 's', '0', '\\', 'F', 'I', 'L', 'L', '0', '.', 'B', 'I', 'N', 0};
  u32 free_bytes = 0;
  ASSERT_GE(FileGetFreeSpace(kDevice, &free_bytes), 0);
  while (free_bytes >= 65536u) {
    const u32 size = std::min<u32>(free_bytes - 40000, 32768);
    ASSERT_GE(FileCreate(filler, static_cast<i32>(size)), 0) << size;
    ++filler[11];
    ASSERT_GE(FileGetFreeSpace(kDevice, &free_bytes), 0);
  }
  ASSERT_TRUE(NewFileAB());
  EXPECT_TRUE(CalcScreenHas("nearly full")) << Screen();
  for (const auto &[key, icon] : {std::pair{0, 10}, std::pair{5, 41}}) {
    const u8 *bitmap = nullptr;
    ASSERT_EQ(FkeyIconBitmap(icon, &bitmap), 1u);
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 21; ++c)
        ASSERT_EQ(CalcDot(key * 21 + 2 + c, 56 + r), ((bitmap[3 * r + c / 8] >> (7 - c % 8)) & 1) != 0)
            << "F" << key + 1 << " at " << c << "," << r << Screen();
  }
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_FALSE(CalcScreenHas("nearly full")) << Screen();
  EXPECT_FALSE(Shows("======AB      =======")) << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(CalcPostCodes({'A', 'B'}));
  ASSERT_TRUE(CalcPress("EXE F1"));
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
}

// The window's backup and restore in the main menu over a running
// e-activity act on the user's own memory (held aside), never on the
// e-activity's: the backup keeps the user's A, a restore brings it back,
// and the e-activity goes on with its own A.
TEST_F(Eact, BackupAndRestoreOverARunningEactivityKeepTheUsersMemory) {
  const std::string root = testing::TempDir() + "corvanta-eact-hostfiles-" + std::to_string(::getpid());
  std::filesystem::remove_all(root);
  FileSetHostRoot(root.c_str());
  const auto backup_key = [](u16 key) -> testing::AssertionResult {
    if (!CalcPost(-1, -1, key)) return testing::AssertionFailure() << "post";
    if (auto r = CalcWaitIdle(); !r) return r;
    if (!CalcScreenHas("Complete!")) return testing::AssertionFailure() << Screen();
    return CalcPress("EXIT");
  };
  ASSERT_TRUE(CalcPress("1 5 -> A EXE MENU"));
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 7 -> A EXE"));
  ASSERT_TRUE(CalcPress("MENU"));
  ASSERT_TRUE(CalcMainMenuShown());
  ASSERT_TRUE(backup_key(kKeyBackupMain));  // the user's memory: A is 5
  ASSERT_TRUE(CalcPress("1"));  // RUN-MAT: e-activity gives the memory back
  ASSERT_EQ(CalcTitle(), "@RUNMAT");
  ASSERT_TRUE(CalcPress("AC A EXE"));
  EXPECT_TRUE(CalcScreenHas("5")) << Screen();
  ASSERT_TRUE(CalcPress("AC 9 -> A EXE MENU"));
  ASSERT_TRUE(NewFileAB());
  ASSERT_TRUE(CalcPress("F3 A EXE"));
  EXPECT_EQ(ScreenTextAt(122, 16, 1), "0") << Screen();
  ASSERT_TRUE(CalcPress("MENU"));
  ASSERT_TRUE(backup_key(kKeyRestoreMain));  // into the memory held aside
  ASSERT_TRUE(CalcPress("3"));  // back to the e-activity, as it was
  EXPECT_TRUE(Shows("======AB      =======")) << Screen();
  EXPECT_EQ(ScreenTextAt(122, 16, 1), "0") << Screen();
  ASSERT_TRUE(CalcPress("MENU 1"));
  CalcApplyInputMode();
  ASSERT_TRUE(CalcPress("AC A EXE"));
  EXPECT_TRUE(CalcScreenHas("5")) << Screen();
  EXPECT_FALSE(CalcScreenHas("9")) << Screen();
  std::filesystem::remove_all(root);
}

}  // namespace
