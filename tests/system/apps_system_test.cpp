// SYSTEM as a user meets it: languages, the user name, the power-off page,
// and the resets together with MEMORY's backup.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "apps/system/sysmgr.h"
#include "storage/file.h"
#include "tests/support/harness.h"
#include "ui/keycodes.h"
#include "ui/setup.h"

namespace {

class System : public CalcSystemTest {
 protected:
  void SetUp() override {
    // The message language outlives a restart: each case starts in English.
    SysSelectLanguage(0, 0);
    SysSelectLanguage(1, 0);
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
  static testing::AssertionResult Codes(const std::string &text) {
    for (unsigned char c : text) {
      if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << "code refused";
      testing::AssertionResult idle = CalcWaitIdle();
      if (!idle) return idle;
    }
    return testing::AssertionSuccess();
  }
  static testing::AssertionResult Open(const char *key, const char *title) {
    testing::AssertionResult r = CalcPress(std::string("MENU ") + key);
    if (!r) return r;
    if (CalcTitle() != title) return testing::AssertionFailure() << "title " << CalcTitle();
    return testing::AssertionSuccess();
  }
  static int RowWith(const std::string &text) {
    for (int r = 1; r <= 8; ++r)
      if (CalcRow(r).find(text) != std::string::npos) return r;
    return 0;
  }
  static std::string Screen() { return "\n" + CalcScreenText(); }
  // The run screen after a line of keys (names as CalcPress takes them).
  static std::string Run(const std::string &keys) {
    EXPECT_TRUE(Open("1", "@RUNMAT"));
    EXPECT_TRUE(CalcPress("AC"));
    EXPECT_TRUE(CalcPress(keys + " EXE"));
    return CalcScreenText();
  }
};

TEST_F(System, MenuPowerOffAndALanguageForTheNextErrorBox) {
  ASSERT_TRUE(Open("E", "@SYSTEM"));
  EXPECT_EQ(CalcRow(1), "System Manager") << Screen();
  EXPECT_EQ(CalcRow(7), "F5:Reset") << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_NE(RowWith("Setting      :6 Min."), 0) << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_NE(RowWith(":60 Min."), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT F2"));
  EXPECT_NE(RowWith(":6 Min."), 0) << "the choice is not kept" << Screen();
  ASSERT_TRUE(CalcPress("EXIT F3"));
  EXPECT_EQ(CalcRow(1), "Message Language") << Screen();
  EXPECT_EQ(CalcRow(2), "[English]") << Screen();
  ASSERT_TRUE(CalcPress("DOWN DOWN F1"));
  EXPECT_NE(RowWith("Deutsch"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(2), "[Deutsch]") << Screen();
  // UP from the first wraps to the last.
  ASSERT_TRUE(CalcPress("UP UP UP"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Portugues"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT UP EXE EXIT"));
  EXPECT_EQ(CalcRow(2), "[Francais]") << Screen();
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN F1 EXIT"));
  EXPECT_EQ(CalcRow(2), "[Deutsch]") << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  const std::string screen = Run("1 / 0");
  EXPECT_NE(screen.find("Ma-Fehler"), std::string::npos) << screen;
}

TEST_F(System, UserNameTakesDigitsAndCapitalsUpToEight) {
  ASSERT_TRUE(Open("E", "@SYSTEM"));
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_EQ(CalcRow(1), "Version") << Screen();
  EXPECT_EQ(CalcRow(2), "00.12.0010") << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(1), "User Name") << Screen();
  ASSERT_TRUE(Codes("ab+"));
  EXPECT_EQ(CalcRow(2), "[        ]") << Screen();
  ASSERT_TRUE(Codes("A1BCDEFGH"));
  EXPECT_EQ(CalcRow(2), "[A1BCDEFG]") << Screen();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "Version") << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "[A1BCDEFG]") << Screen();
  // EXIT keeps the name as it was.
  ASSERT_TRUE(CalcPress("DEL"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Version") << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "[A1BCDEFG]") << Screen();
}

TEST_F(System, BackupSurvivesAMainMemoryReset) {
  Run("5 -> A");
  ASSERT_TRUE(Open("A", "@PROG"));
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(Codes("P1"));
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(Codes("7"));
  ASSERT_TRUE(CalcPress("EXIT"));
  // MEMORY, BKUP, SAVE to the storage root.
  ASSERT_TRUE(Open("D", "@MEMORY"));
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_EQ(CalcRow(1), "Backup") << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(RowWith("Save to"), 0) << Screen();
  ASSERT_TRUE(Codes("1"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  // SYSTEM, RSET, Main Memories.
  ASSERT_TRUE(Open("E", "@SYSTEM"));
  ASSERT_TRUE(CalcPress("F5 F2"));
  EXPECT_NE(RowWith("RESET (CLEAR)"), 0) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_NE(RowWith("Reset!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(Run("A").find("5"), std::string::npos);
  ASSERT_TRUE(Open("A", "@PROG"));
  EXPECT_EQ(RowWith("P1"), 0) << Screen();
  // MEMORY, BKUP, LOAD.
  ASSERT_TRUE(Open("D", "@MEMORY"));
  ASSERT_TRUE(CalcPress("F4 F2"));
  EXPECT_NE(RowWith("Load from"), 0) << Screen();
  ASSERT_TRUE(Codes("1"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_NE(Run("A").find("5"), std::string::npos);
  ASSERT_TRUE(Open("A", "@PROG"));
  EXPECT_NE(RowWith("P1"), 0) << Screen();
  // Storage Memories reset formats the storage: nothing to load any more.
  ASSERT_TRUE(Open("E", "@SYSTEM"));
  ASSERT_TRUE(CalcPress("F5 F4 F1"));
  EXPECT_NE(RowWith("Reset!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT F6 F3 F1"));
  EXPECT_NE(RowWith("No Card"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(Open("D", "@MEMORY"));
  ASSERT_TRUE(CalcPress("F4 F2"));
  ASSERT_TRUE(Codes("1"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_NE(RowWith("Not Found"), 0) << Screen();
}

TEST_F(System, TheWindowsBackupAndRestoreKeepAThroughAReset) {
  const std::string root = testing::TempDir() + "corvanta-hostfiles-" + std::to_string(::getpid());
  std::filesystem::remove_all(root);
  FileSetHostRoot(root.c_str());
  Run("5 -> A");
  ASSERT_TRUE(CalcPress("MENU"));
  ASSERT_TRUE(CalcMainMenuShown());
  ASSERT_TRUE(CalcPost(-1, -1, kKeyBackupMain));
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  EXPECT_TRUE(std::filesystem::exists(root + "/C/BACKUP.MCS"));
  // The box closes onto the main menu.
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(CalcMainMenuShown());
  ASSERT_TRUE(CalcPress("E"));
  ASSERT_EQ(CalcTitle(), "@SYSTEM");
  ASSERT_TRUE(CalcPress("F5 F2 F1 EXIT"));
  CalcApplyInputMode();
  EXPECT_EQ(Run("A").find("5"), std::string::npos);
  ASSERT_TRUE(CalcPress("MENU"));
  ASSERT_TRUE(CalcPost(-1, -1, kKeyRestoreMain));
  ASSERT_TRUE(CalcWaitIdle());
  EXPECT_NE(RowWith("Complete!"), 0) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_NE(Run("A").find("5"), std::string::npos);
  std::filesystem::remove_all(root);
}

// The other resets: Setup Data resets SET UP alone, Add-In (there are none)
// says so and changes nothing, Add-In&Storage formats the storage memory,
// Main&Storage clears both memories.
TEST_F(System, EachResetChangesWhatItNamesAndNothingElse) {
  const u16 backup[] = {'\\', '\\', 'f', 'l', 's', '0', '\\', 'B', 'A', 'C', 'K', 'U', 'P', '.', 'M', 'C', 'S', 0};
  auto saved = [&] {
    FileFindInfo info;
    return FileGetInfo(backup, &info) >= 0;
  };
  auto save = [&] {
    ASSERT_TRUE(Open("D", "@MEMORY"));
    ASSERT_TRUE(CalcPress("F4 F1"));
    ASSERT_TRUE(Codes("1"));
    ASSERT_TRUE(CalcPress("EXE"));
    ASSERT_NE(RowWith("Complete!"), 0) << Screen();
    ASSERT_TRUE(CalcPress("EXIT EXIT"));
    ASSERT_TRUE(saved());
  };
  auto reset = [&](const char *keys) {
    EXPECT_TRUE(Open("E", "@SYSTEM"));
    EXPECT_TRUE(CalcPress(std::string("F5 ") + keys + " F1"));
    return Screen();
  };
  const u8 angle = SetupDefault(kSetupAngle) == 0 ? 1 : 0;
  Run("5 -> A");
  save();
  SetupSetItem(kSetupAngle, angle);

  std::string box = reset("F3");
  EXPECT_NE(box.find("Add-In"), std::string::npos) << box;
  EXPECT_NE(box.find("No Data In Memory"), std::string::npos) << box;
  EXPECT_EQ(box.find("Reset!"), std::string::npos) << box;
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(SetupGetItem(kSetupAngle), angle);
  EXPECT_TRUE(saved());

  box = reset("F1");
  EXPECT_NE(box.find("Reset!"), std::string::npos) << box;
  EXPECT_NE(box.find("Setup Data"), std::string::npos) << box;
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_EQ(SetupGetItem(kSetupAngle), SetupDefault(kSetupAngle));
  EXPECT_TRUE(saved());
  CalcApplyInputMode();
  EXPECT_NE(Run("A").find("5"), std::string::npos) << "variables are kept";

  box = reset("F5");
  EXPECT_NE(box.find("Reset!"), std::string::npos) << box;
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_FALSE(saved());
  EXPECT_NE(Run("A").find("5"), std::string::npos) << "main memory is kept";

  save();
  box = reset("F6 F1");
  EXPECT_NE(box.find("Reset!"), std::string::npos) << box;
  EXPECT_NE(box.find("Main Memories"), std::string::npos) << box;
  ASSERT_TRUE(CalcPress("EXIT EXIT"));
  EXPECT_FALSE(saved());
  CalcApplyInputMode();
  EXPECT_EQ(Run("A").find("5"), std::string::npos);
}

}  // namespace
