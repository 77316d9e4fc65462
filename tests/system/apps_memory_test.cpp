// MEMORY as a user meets it: the group list, marking, copying to the
// storage memory, deleting, the backup page, and the file browser on the
// storage memory.
#include <gtest/gtest.h>

#include <string>

#include "memory/mcs_api.h"
#include "storage/file.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"

namespace {

class Memory : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }

  static testing::AssertionResult Codes(std::initializer_list<u16> codes) {
    for (u16 c : codes) {
      if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << "code refused";
      testing::AssertionResult idle = CalcWaitIdle();
      if (!idle) return idle;
    }
    return testing::AssertionSuccess();
  }
  // Types text into a field that is under ALPHA lock (names, searches).
  static testing::AssertionResult Type(const std::string &text) {
    for (unsigned char c : text) {
      testing::AssertionResult r = Codes({c});
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  static testing::AssertionResult Open(const char *key, const char *title) {
    testing::AssertionResult r = CalcPress(std::string("MENU ") + key);
    if (!r) return r;
    if (CalcTitle() != title) return testing::AssertionFailure() << "title " << CalcTitle();
    return testing::AssertionSuccess();
  }
  // Runs a line on the run screen; its result's row text.
  static std::string Run(std::initializer_list<u16> codes) {
    EXPECT_TRUE(Open("1", "@RUNMAT"));
    EXPECT_TRUE(CalcPress("AC"));
    EXPECT_TRUE(Codes(codes));
    EXPECT_TRUE(CalcPress("EXE"));
    return CalcScreenText();
  }
  // A program named name holding "1".
  static void MakeProgram(const std::string &name) {
    ASSERT_TRUE(Open("A", "@PROG"));
    ASSERT_TRUE(CalcPress("F3"));
    ASSERT_TRUE(Type(name));
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_TRUE(Codes({'1'}));
    ASSERT_TRUE(CalcPress("EXIT"));
  }
  // The row whose text holds `text`, 0 when none.
  static int RowWith(const std::string &text) {
    for (int r = 1; r <= 8; ++r)
      if (CalcRow(r).find(text) != std::string::npos) return r;
    return 0;
  }
  static std::string Screen() { return "\n" + CalcScreenText(); }
};

TEST_F(Memory, GroupListCopyOfAMarkedMemberAndDeletingAlphaMem) {
  Run({'5', kChrArrow, 'A'});
  MakeProgram("P1");
  MakeProgram("P2");
  ASSERT_TRUE(Open("D", "@MEMORY"));
  EXPECT_EQ(CalcRow(1), "Memory Manager") << Screen();
  EXPECT_EQ(CalcRow(3), "F1:Main Memory") << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(1).substr(0, 8), "Main Mem") << Screen();
  // The groups that hold something, with their sizes; programs as a group.
  EXPECT_NE(RowWith("ALPHA MEM   :   696"), 0) << Screen();
  EXPECT_NE(RowWith("<PROGRAM>   :"), 0) << Screen();
  EXPECT_NE(RowWith("SETUP       :   100"), 0) << Screen();
  EXPECT_EQ(RowWith("P1"), 0) << "members show inside their group" << Screen();
  EXPECT_NE(RowWith("Bytes Free"), 0) << Screen();
  // Into the group, mark P2, copy it to the storage root.
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(Type("PROGRAM"));
  ASSERT_TRUE(CalcPress("EXE EXE"));
  EXPECT_NE(RowWith("P1"), 0) << Screen();
  EXPECT_EQ(RowWith("SETUP"), 0) << Screen();
  ASSERT_TRUE(CalcPress("DOWN F1"));
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_NE(RowWith("Copy to"), 0) << Screen();
  ASSERT_TRUE(Codes({'1'}));
  EXPECT_NE(RowWith("ROOT"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // The same copy again asks before it replaces the file.
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(Codes({'1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Already Exists"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // Out of the group, and out of the browser; the storage holds P2.MCS.
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_NE(RowWith("<PROGRAM>"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Memory Manager") << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_NE(RowWith("P2.MCS"), 0) << Screen();
  EXPECT_EQ(RowWith("P1.MCS"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // Deleting ALPHA MEM clears the variables.
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(RowWith("<PROGRAM>"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F1 F6"));
  EXPECT_NE(RowWith("Selected Data?"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(RowWith("ALPHA MEM"), 0) << Screen();
  const std::string run = Run({'A'});
  EXPECT_NE(run.find("0"), std::string::npos) << run;
  EXPECT_EQ(run.find("5"), std::string::npos) << run;
}

TEST_F(Memory, StorageBrowserMakesRenamesSearchesCopiesAndDeletes) {
  MakeProgram("P1");
  ASSERT_TRUE(Open("D", "@MEMORY"));
  // P1 to the storage memory as P1.MCS.
  ASSERT_TRUE(CalcPress("F1 F3"));
  ASSERT_TRUE(Type("PROGRAM"));
  ASSERT_TRUE(CalcPress("EXE EXE F1 F2"));
  ASSERT_TRUE(Codes({'1'}));
  ASSERT_TRUE(CalcPress("EXE EXIT EXIT EXIT"));
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(1).substr(0, 11), "Storage Mem") << Screen();
  EXPECT_NE(RowWith("P1.MCS"), 0) << Screen();
  // MK-F, then RN-F on the new folder (folders come first).
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_EQ(CalcRow(1), "Folder Name") << Screen();
  ASSERT_TRUE(Type("DIR"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("[DIR]"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F4"));
  ASSERT_TRUE(Type("DIR"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Invalid Name"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_EQ(CalcRow(1), "Rename") << Screen();
  ASSERT_TRUE(Type("NEW"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("[NEW]"), 0) << Screen();
  EXPECT_EQ(RowWith("[DIR]"), 0) << Screen();
  // A folder opens; it has no MK-F or RN-F and lists no folders.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("No Data"), 0) << Screen();
  EXPECT_NE(CalcRow(1).find("[NEW"), std::string::npos) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // SRC finds P1.MCS by its name; its copy into main memory replaces P1.
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(Type("P1"));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcPress("F1 F2"));
  ASSERT_TRUE(Codes({'1'}));
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // A marked folder is no group file.
  ASSERT_TRUE(CalcPress("UP F1 F2"));
  ASSERT_TRUE(Codes({'1'}));
  EXPECT_NE(RowWith("Invalid Type"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT F1"));
  // DEL removes the marked file.
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_NE(RowWith("Selected Data?"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(RowWith("P1.MCS"), 0) << Screen();
  EXPECT_NE(RowWith("[NEW]"), 0) << Screen();
  // The card has no back end.
  ASSERT_TRUE(CalcPress("EXIT F3"));
  EXPECT_NE(RowWith("No Card"), 0) << Screen();
}

// Copying marked storage files into main memory: a file that is no group
// file is refused with its own box, the first failure is the one shown,
// and the group files marked with it are still copied.
TEST_F(Memory, CopyIntoMainMemoryShowsTheFirstFailureAndCopiesTheRest) {
  MakeProgram("P1");
  ASSERT_TRUE(Open("D", "@MEMORY"));
  ASSERT_TRUE(CalcPress("F1 F3"));
  ASSERT_TRUE(Type("PROGRAM"));
  ASSERT_TRUE(CalcPress("EXE EXE F1 F2"));
  ASSERT_TRUE(Codes({'1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT"));
  // A plain file that sorts before P1.MCS; P1 gone from main memory. The
  // calculator waits for a key: the next key orders these changes first.
  const u16 note[] = {'\\', '\\', 'f', 'l', 's', '0', '\\', 'A', '.', 'T', 'X', 'T', 0};
  ASSERT_GE(FileCreate(note, 16), 0);
  ASSERT_EQ(McsDeleteInFolder("system", "P1"), 0u);
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_EQ(RowWith("A.TXT") + 1, RowWith("P1.MCS")) << Screen();
  // Both marked, copied into main memory.
  ASSERT_TRUE(CalcPress("F1 DOWN F1 F2"));
  ASSERT_TRUE(Codes({'1'}));
  EXPECT_NE(RowWith("Invalid Type"), 0) << Screen();
  EXPECT_EQ(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT"));
  ASSERT_TRUE(Open("A", "@PROG"));
  EXPECT_NE(RowWith("P1"), 0) << Screen();
}

// Marks inside a group: SEL on a member marks or unmarks that member alone,
// whichever others are marked; the members marked are the ones copied.
TEST_F(Memory, SelMarksEachMemberAlone) {
  MakeProgram("P1");
  MakeProgram("P2");
  MakeProgram("P3");
  ASSERT_TRUE(Open("D", "@MEMORY"));
  ASSERT_TRUE(CalcPress("F1 F3"));
  ASSERT_TRUE(Type("PROGRAM"));
  ASSERT_TRUE(CalcPress("EXE EXE"));
  const int p1 = RowWith("P1");
  ASSERT_NE(p1, 0) << Screen();
  auto marks = [&] {
    std::string m;
    for (int r = p1; r < p1 + 3; ++r) m += CalcRow(r).rfind("\u25B6", 0) == 0 ? 'x' : '.';
    return m;
  };
  EXPECT_EQ(marks(), "...") << Screen();
  ASSERT_TRUE(CalcPress("F1 DOWN DOWN F1"));
  EXPECT_EQ(marks(), "x.x") << Screen();
  ASSERT_TRUE(CalcPress("UP F1"));
  EXPECT_EQ(marks(), "xxx") << Screen();
  ASSERT_TRUE(CalcPress("UP F1"));
  EXPECT_EQ(marks(), ".xx") << Screen();
  ASSERT_TRUE(CalcPress("DOWN F1"));
  EXPECT_EQ(marks(), "..x") << Screen();
  // COPY to the storage root: the one marked member goes.
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(Codes({'1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT EXIT EXIT"));
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_NE(RowWith("P3.MCS"), 0) << Screen();
  EXPECT_EQ(RowWith("P1.MCS"), 0) << Screen();
  EXPECT_EQ(RowWith("P2.MCS"), 0) << Screen();
}
}  // namespace
