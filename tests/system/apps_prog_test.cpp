// The program application as a user meets it: programs created, typed,
// protected, renamed, searched, copied, run and deleted by keys, and the
// program items read back byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel/keyqueue.h"
#include "memory/item_array.h"
#include "memory/item_system.h"
#include "memory/mcs_api.h"
#include "memory/mcs_store.h"
#include "tests/support/harness.h"
#include "ui/catalog.h"
#include "ui/keycodes.h"
#include "ui/setup.h"

namespace {

using Bytes = std::string;

class Prog : public CalcSystemTest {
 protected:
  void SetUp() override {
    CalcSystemTest::SetUp();
    ASSERT_TRUE(CalcBootToMenu());
  }
  // Opens "@PROG" from the main menu (its key is ALPHA X,theta,T).
  static testing::AssertionResult Open() {
    testing::AssertionResult r = CalcPress("A");
    if (!r) return r;
    if (CalcTitle() != "@PROG") return testing::AssertionFailure() << "title " << CalcTitle();
    return testing::AssertionSuccess();
  }
  static testing::AssertionResult Codes(std::initializer_list<u16> codes) {
    for (u16 c : codes) {
      if (!CalcPost(-1, -1, c)) return testing::AssertionFailure() << "code refused";
      testing::AssertionResult idle = CalcWaitIdle();
      if (!idle) return idle;
    }
    return testing::AssertionSuccess();
  }
  // Types letters as the PC keyboard does (ALPHA for the one key) and any
  // other character by its code.
  static testing::AssertionResult Type(const std::string &text) {
    for (unsigned char c : text) {
      const u16 code = (c >= 'A' && c <= 'Z') ? static_cast<u16>(c | kKeyTypedAlphaOnce) : c;
      testing::AssertionResult r = Codes({code});
      if (!r) return r;
    }
    return testing::AssertionSuccess();
  }
  // Chooses the catalog entry whose text is `text` by its letter and DOWN.
  static testing::AssertionResult Catalog(const std::string &text) {
    const u32 first = CatalogFindLetter(text[0]);
    u32 i = first;
    auto trimmed = [](u32 k) {
      std::string e = CatalogEntryText(k);
      while (!e.empty() && e.back() == ' ') e.pop_back();
      return e;
    };
    while (i < CatalogEntryCount() && trimmed(i) != text) ++i;
    if (i == CatalogEntryCount()) return testing::AssertionFailure() << "no entry " << text;
    testing::AssertionResult r = Codes({kKeyCatalog, static_cast<u16>(text[0] | kKeyTypedAlphaOnce)});
    if (!r) return r;
    for (u32 k = first; k < i; ++k)
      if (!(r = CalcPress("DOWN"))) return r;
    return CalcPress("EXE");
  }
  // The bytes of a program item, empty when there is none.
  static Bytes Item(const char *name) {
    u32 size = 0;
    u8 *data = nullptr;
    if (McsOpenByKindPtr(kMcsKindProgram, name, &size, &data) != 0 || !data) return {};
    return Bytes(reinterpret_cast<char *>(data), size);
  }
  // The token text of a program item up to its terminator.
  static Bytes ProgText(const char *name) {
    const Bytes b = Item(name);
    if (b.size() < 10) return {};
    const Bytes t = b.substr(10);
    size_t n = 0;
    while (n < t.size() && t[n] != 0) n += (static_cast<u8>(t[n]) == 0xF7 || static_cast<u8>(t[n]) == 0x7F) ? 2 : 1;
    return t.substr(0, n);
  }
  static void MakeProgram(const char *name, const Bytes &text, const char *password = "", u8 mode = 0) {
    Bytes item(10, '\0');
    std::memcpy(item.data(), password, std::strlen(password));
    item[8] = static_cast<char>(mode);
    item += text;
    item += '\0';
    ASSERT_EQ(McsCreateByKind(kMcsKindProgram, name, static_cast<u32>(item.size()), item.data()), 0u);
  }
  static std::string Screen() { return CalcScreenText(); }
  // The editor's title row for a program name.
  static std::string Title(const std::string &name) {
    return "======" + name + std::string(8 - name.size(), ' ') + "======";
  }
  // EXIT until the list shows (menu levels close first).
  static testing::AssertionResult BackToList() {
    for (int i = 0; i < 5 && CalcRow(1) != "Program List"; ++i) {
      testing::AssertionResult r = CalcPress("EXIT");
      if (!r) return r;
    }
    if (CalcRow(1) != "Program List") return testing::AssertionFailure() << CalcScreenText();
    return testing::AssertionSuccess();
  }
};

TEST_F(Prog, EmptyListOffersOnlyNew) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(CalcRow(1), "Program List");
  EXPECT_EQ(CalcRow(4), "     No Programs") << Screen();
}

TEST_F(Prog, DemoTypedThroughPagesAndCatalogRunsFromTheList) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F3"));
  EXPECT_EQ(CalcRow(1), "Program Name") << Screen();
  ASSERT_TRUE(Type("DEMO"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), Title("DEMO")) << Screen();
  // 0->A / While A<3 / A+1->A / WhileEnd / Deg / If A=3 / Then Locate 1,2,"OK" / IfEnd
  ASSERT_TRUE(Codes({'0', kChrArrow, 'A', kChrNewline}));
  ASSERT_TRUE(Catalog("While"));
  ASSERT_TRUE(Codes({'A', '<', '3', kChrNewline, 'A', kChrPlus, '1', kChrArrow, 'A', kChrNewline}));
  ASSERT_TRUE(Catalog("WhileEnd"));
  ASSERT_TRUE(CalcPress("EXE"));
  // SET UP opens the setting commands: ANGL, Deg.
  ASSERT_TRUE(CalcPress("SHIFT MENU F1 F1 EXE"));
  ASSERT_TRUE(Catalog("If"));
  ASSERT_TRUE(Codes({'A', '=', '3', kChrNewline}));
  ASSERT_TRUE(Catalog("Then"));
  ASSERT_TRUE(Catalog("Locate"));
  ASSERT_TRUE(Codes({'1', ',', '2', ',', '"', 'O', 'K', '"', kChrNewline}));
  ASSERT_TRUE(Catalog("IfEnd"));
  const Bytes want = Bytes("0\x0E" "A\r" "\xF7\x08" "A<3\r" "A\x89" "1\x0E" "A\r" "\xF7\x09" "\r" "\xDA" "\r") +
                     Bytes("\xF7\x00", 2) + "A=3\r" "\xF7\x01" "\xF7\x10" "1,2,\"OK\"\r" "\xF7\x03";
  EXPECT_EQ(ProgText("DEMO"), want);
  const Bytes item = Item("DEMO");
  ASSERT_GE(item.size(), 10u + want.size() + 1);
  EXPECT_EQ(item.substr(0, 10), Bytes(10, '\0'));
  EXPECT_EQ(item.size() % 4, 0u);
  EXPECT_EQ(item[10 + want.size()], '\0');
  ASSERT_TRUE(BackToList());
  EXPECT_NE(CalcRow(2).find("DEMO"), std::string::npos) << Screen();
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(2), "OK") << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), "Program List");
}

TEST_F(Prog, EditingInsertOverwriteAndDelete) {
  MakeProgram("P", "12");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "12") << Screen();
  // Insert mode (the default): a two-byte command goes in before the cursor.
  ASSERT_TRUE(Codes({0xF70E}));  // Stop
  EXPECT_EQ(ProgText("P"), "\xF7\x0E" "12");
  // DEL takes the character before the cursor, whole.
  ASSERT_TRUE(CalcPress("DEL"));
  EXPECT_EQ(ProgText("P"), "12");
  // Overwrite mode (SHIFT DEL): a two-byte command over '1' grows the text
  // by one byte, '5' over it shrinks it again.
  ASSERT_TRUE(CalcPress("SHIFT DEL"));
  ASSERT_TRUE(Codes({0xF70E}));
  EXPECT_EQ(ProgText("P"), "\xF7\x0E" "2");
  ASSERT_TRUE(CalcPress("LEFT 5"));
  EXPECT_EQ(ProgText("P"), "52");
  // EXE in overwrite mode inside a line passes to the next line; at the end
  // it appends a newline. DEL at the end takes the last character.
  ASSERT_TRUE(CalcPress("F2 EXE 7"));
  EXPECT_EQ(ProgText("P"), "52\r7");
  ASSERT_TRUE(CalcPress("F1 EXE"));
  EXPECT_EQ(ProgText("P"), "52\r7");
  ASSERT_TRUE(CalcPress("F2 DEL"));
  EXPECT_EQ(ProgText("P"), "52\r");
  EXPECT_EQ(Item("P").size() % 4, 0u);
}

TEST_F(Prog, CursorWalksLinesAndScrolls) {
  Bytes text;
  for (char c = 'A'; c <= 'J'; ++c) text += Bytes(1, c) + "\r";
  MakeProgram("LONG", text);
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(2), "A");
  EXPECT_EQ(CalcRow(7), "F");
  // Down past the sixth row scrolls by one.
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN DOWN DOWN"));
  EXPECT_EQ(CalcRow(2), "B") << Screen();
  EXPECT_EQ(CalcRow(7), "G");
  ASSERT_TRUE(Codes({'9'}));
  EXPECT_EQ(ProgText("LONG").substr(12, 3), "9G\r");
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(CalcRow(2), "A") << Screen();
  // A long line wraps at column 21.
  ASSERT_TRUE(Type("ABCDEFGHIJKLMNOPQRSTUVW"));
  EXPECT_EQ(CalcRow(2), "ABCDEFGHIJKLMNOPQRSTU") << Screen();
  EXPECT_EQ(CalcRow(3), "VWA");
}

TEST_F(Prog, PasswordIsSetAndAsked) {
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(Type("SEC"));
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_TRUE(CalcScreenHas("Password?")) << Screen();
  ASSERT_TRUE(Type("PW"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), Title("SEC")) << Screen();
  ASSERT_TRUE(Codes({'1'}));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(Item("SEC").substr(0, 11), Bytes("PW\0\0\0\0\0\0\0\0" "1", 11));
  EXPECT_NE(CalcRow(2).find("SEC *"), std::string::npos) << Screen();
  // EDIT asks; a wrong password shows Mismatch and asks again.
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_TRUE(CalcScreenHas("Password?")) << Screen();
  ASSERT_TRUE(Type("XX"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Mismatch")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("Password?")) << Screen();
  ASSERT_TRUE(Type("PW"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), Title("SEC")) << Screen();
  // EXIT at the question gives up without opening.
  ASSERT_TRUE(CalcPress("EXIT F2 EXIT"));
  EXPECT_EQ(CalcRow(1), "Program List") << Screen();
}

TEST_F(Prog, RenameShowsTheMessageOfItsFailure) {
  MakeProgram("AA", "1");
  MakeProgram("BB", "2");
  ASSERT_TRUE(Open());
  // Onto an existing name: Already Exists; nothing changes.
  ASSERT_TRUE(CalcPress("F6 F2"));
  EXPECT_EQ(CalcRow(1), "Rename") << Screen();
  ASSERT_TRUE(Type("BB"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Already Exists")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(ProgText("AA"), "1");
  EXPECT_EQ(ProgText("BB"), "2");
  // A free name renames.
  ASSERT_TRUE(CalcPress("F6 F2"));
  ASSERT_TRUE(Type("CC"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(Item("AA"), "");
  EXPECT_EQ(ProgText("CC"), "1");
}

// A rename that fails for another reason than a taken name says so.
TEST_F(Prog, RenameOfAReadOnlyProgramIsNotReportedAsATakenName) {
  MakeProgram("RO", "1");
  ASSERT_EQ(McsSetItemFlags("system", "RO", kMcsReadOnly), 0u);
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F6 F2"));
  ASSERT_TRUE(Type("FREE"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Memory ERROR")) << Screen();
  EXPECT_FALSE(CalcScreenHas("Already Exists"));
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(ProgText("RO"), "1");
  EXPECT_EQ(Item("FREE"), "");
}

// Editing a Base-N program: the function keys type hexadecimal digits,
// refused tokens are dropped, CLIP does nothing; the Base-N mode it sets
// for the edit is put back when the editor returns.
TEST_F(Prog, BaseNProgramEditsHexAndLeavesTheModeAsItWas) {
  MakeProgram("HEX", "", "", 1);
  ASSERT_EQ(SetupGetItem(kSetupMode), 0);
  ASSERT_TRUE(Open());
  EXPECT_NE(CalcRow(2).find("HEX"), std::string::npos) << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(CalcPress("sin cos . log 1"));
  EXPECT_EQ(ProgText("HEX"), "\x1D\x1E\x1B" "1");
  ASSERT_TRUE(Codes({kKeyClip}));
  ASSERT_TRUE(CalcPress("LEFT LEFT"));
  ASSERT_TRUE(Codes({kKeyCut, kKeyPaste}));
  EXPECT_EQ(ProgText("HEX"), "\x1D\x1E\x1B" "1");
  ASSERT_TRUE(BackToList());
  EXPECT_EQ(SetupGetItem(kSetupMode), 0);
}

TEST_F(Prog, SyntaxErrorOpensTheEditorAtTheFailingStatement) {
  MakeProgram("ERR", "1\x0E" "A\r2\x0E" "B\r3\x89\xA9\r4");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Syntax ERROR")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), Title("ERR")) << Screen();
  // A character typed at the cursor lands in line 3.
  ASSERT_TRUE(Codes({'7'}));
  const Bytes t = ProgText("ERR");
  const size_t seven = t.find('7');
  ASSERT_NE(seven, Bytes::npos);
  EXPECT_GE(seven, 8u) << t;
  EXPECT_LE(seven, 11u) << t;
  // The Base-N mode of the run is not left behind by the editor.
  ASSERT_TRUE(CalcPress("EXIT"));
}

TEST_F(Prog, SearchFindsTextAfterTheCursor) {
  MakeProgram("S", "AB\rCD\rAB");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2 F3"));
  EXPECT_EQ(CalcRow(1), "Search For Text") << Screen();
  ASSERT_TRUE(Type("AB"));
  ASSERT_TRUE(CalcPress("EXE"));
  // The text at the cursor's own character is skipped: the second AB.
  ASSERT_TRUE(CalcPress("AC"));
  ASSERT_TRUE(Codes({'9'}));
  EXPECT_EQ(ProgText("S"), "AB\rCD\r9AB");
  // Not found: the error box, the editor stays.
  ASSERT_TRUE(CalcPress("F3"));
  ASSERT_TRUE(Type("ZZ"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("Not Found")) << Screen();
}

// Match mode: EXE finds the next occurrence; AC leaves the cursor there.
TEST_F(Prog, SearchAgainMovesToTheNextMatch) {
  MakeProgram("M", "AB AB AB");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2 F3"));
  ASSERT_TRUE(Type("AB"));
  ASSERT_TRUE(CalcPress("EXE EXE AC"));
  ASSERT_TRUE(Codes({'9'}));
  EXPECT_EQ(ProgText("M"), "AB AB 9AB");
}

// Match mode ends by itself when no further match is found (EXE then edits
// again), and outlives the setting-command menu of SET UP.
TEST_F(Prog, MatchModeEndsWithTheLastMatchAndOutlivesSetUp) {
  MakeProgram("M", "AB AB AB");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2 F3"));
  ASSERT_TRUE(Type("AB"));
  // Found at the second AB; SET UP opens the setting commands and match mode
  // goes on: EXE finds the third; EXE finds none and ends match mode
  // without a word.
  ASSERT_TRUE(CalcPress("EXE SHIFT MENU EXE EXE"));
  EXPECT_FALSE(CalcScreenHas("Not Found")) << Screen();
  EXPECT_STREQ(HostFkeyLabelText(0), "TOP") << "the editor's own page is back";
  // EXE is a newline again, at the third AB.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(ProgText("M"), "AB AB \rAB");
}

// With main memory full, typing shows Memory Full, and the text keeps what
// was typed before.
TEST_F(Prog, TypingWithMainMemoryFullShowsMemoryFull) {
  MakeProgram("F", "");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2"));
  u32 total = 0, used = 0, left = 0;
  McsGetMemoryUse(&total, &used, &left);
  ASSERT_EQ(McsCreateByKind(5, "FILL", (left - 20 - 16) & ~3u, nullptr), 0u);
  bool full = false;
  for (int i = 0; i < 64 && !full; ++i) {
    ASSERT_TRUE(Codes({'1'}));
    full = CalcScreenHas("Memory Full");
  }
  ASSERT_TRUE(full) << Screen();
  EXPECT_FALSE(CalcScreenHas("Memory ERROR"));
  ASSERT_TRUE(CalcPress("EXIT"));
  const Bytes t = ProgText("F");
  EXPECT_EQ(t, Bytes(t.size(), '1'));
  EXPECT_EQ(CalcRow(1), Title("F")) << Screen();
}

TEST_F(Prog, ThreeLinesCopiedAndPastedIntoAnotherProgram) {
  MakeProgram("ONE", "1\r2\r3\r4");
  MakeProgram("TWO", "");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(Codes({kKeyClip}));
  ASSERT_TRUE(CalcPress("RIGHT RIGHT RIGHT RIGHT RIGHT RIGHT F1"));
  ASSERT_TRUE(CalcPress("EXIT DOWN F2"));
  EXPECT_EQ(CalcRow(1), Title("TWO")) << Screen();
  ASSERT_TRUE(Codes({kKeyPaste}));
  EXPECT_EQ(ProgText("TWO"), "1\r2\r3\r");
  EXPECT_EQ(ProgText("ONE"), "1\r2\r3\r4");
  // CUT removes exactly the selected commands.
  ASSERT_TRUE(CalcPress("F1"));
  ASSERT_TRUE(Codes({kKeyClip}));
  ASSERT_TRUE(CalcPress("RIGHT RIGHT"));
  ASSERT_TRUE(Codes({kKeyCut}));
  EXPECT_EQ(ProgText("TWO"), "2\r3\r");
}

TEST_F(Prog, DeleteAndDeleteAllAskFirst) {
  MakeProgram("X1", "1");
  MakeProgram("X2", "2");
  MakeProgram("X3", "3");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F4"));
  EXPECT_TRUE(CalcScreenHas("Delete Program?")) << Screen();
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_EQ(ProgText("X1"), "1");
  ASSERT_TRUE(CalcPress("F4 F1"));
  EXPECT_EQ(Item("X1"), "");
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_TRUE(CalcScreenHas("All Programs?")) << Screen();
  ASSERT_TRUE(CalcPress("F1"));
  EXPECT_EQ(Item("X2"), "");
  EXPECT_EQ(Item("X3"), "");
  EXPECT_EQ(CalcRow(4), "     No Programs") << Screen();
}

TEST_F(Prog, ListWrapsAroundAtBothEnds) {
  MakeProgram("L1", "1");
  MakeProgram("L2", "2");
  MakeProgram("L3", "3");
  ASSERT_TRUE(Open());
  // UP on the first selects the last, DOWN on the last the first.
  ASSERT_TRUE(CalcPress("UP F2"));
  EXPECT_EQ(CalcRow(1), Title("L3")) << Screen();
  ASSERT_TRUE(CalcPress("EXIT DOWN F2"));
  EXPECT_EQ(CalcRow(1), Title("L1")) << Screen();
}

// With more programs than rows, UP from the first shows the last one alone
// on the top row, and DOWN from there goes back to the first.
TEST_F(Prog, LongListWrapsWithTheLastProgramAlone) {
  for (const char *n : {"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8"}) MakeProgram(n, "1");
  ASSERT_TRUE(Open());
  EXPECT_NE(CalcRow(7).find("P6"), std::string::npos) << Screen();
  ASSERT_TRUE(CalcPress("UP"));
  EXPECT_NE(CalcRow(2).find("P8"), std::string::npos) << Screen();
  EXPECT_EQ(CalcRow(3), "");
  ASSERT_TRUE(CalcPress("DOWN"));
  EXPECT_NE(CalcRow(2).find("P1"), std::string::npos) << Screen();
  // DOWN past the sixth row scrolls.
  ASSERT_TRUE(CalcPress("DOWN DOWN DOWN DOWN DOWN DOWN F2"));
  EXPECT_EQ(CalcRow(1), Title("P7")) << Screen();
}

// Items from a backup are untrusted: a text that ends inside a two-byte
// command, or holds bytes that are no command, lists, opens and runs
// without reading past the item.
TEST_F(Prog, BrokenProgramItemsListOpenAndRun) {
  // 12 bytes whose last is a lead byte: no terminator at all.
  const char cut[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '1', static_cast<char>(0xF7)};
  ASSERT_EQ(McsCreateByKind(kMcsKindProgram, "CUT", 12, cut), 0u);
  MakeProgram("JUNK", "\xFF\xFE\x01");
  ASSERT_TRUE(Open());
  EXPECT_NE(CalcRow(2).find("CUT"), std::string::npos) << Screen();
  ASSERT_TRUE(CalcPress("F2"));
  EXPECT_EQ(CalcRow(1), Title("CUT")) << Screen();
  ASSERT_TRUE(CalcPress("F2 LEFT RIGHT DOWN UP"));
  ASSERT_TRUE(BackToList());
  // Each runs to an error (or to its end) and comes back.
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(BackToList());
  ASSERT_TRUE(CalcPress("DOWN F2 F2 LEFT"));
  ASSERT_TRUE(BackToList());
  ASSERT_TRUE(CalcPress("DOWN EXE"));
  ASSERT_TRUE(BackToList());
  EXPECT_EQ(ProgText("JUNK"), "\xFF\xFE\x01");
}

// A program run from the list: its value takes the conversions of a result,
// and the list's keys do not show under the program's output.
TEST_F(Prog, RunFromTheListConvertsTheValueAndHidesTheListKeys) {
  MakeProgram("THIRD", Bytes("1\xBB" "3", 3));
  ASSERT_TRUE(Open());
  EXPECT_STREQ(HostFkeyLabelText(0), "EXE");
  ASSERT_TRUE(CalcPress("EXE"));
  auto right = [](const std::string &t) {
    size_t chars = 0;
    for (unsigned char c : t) chars += (c & 0xC0) != 0x80;
    return std::string(21 - chars, ' ') + t;
  };
  EXPECT_EQ(CalcRow(1), right("1⌟3")) << Screen();
  for (int k = 0; k < 6; ++k) EXPECT_STREQ(HostFkeyLabelText(static_cast<u32>(k)), "") << "F" << k + 1;
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(CalcRow(1), right("0.3333333333")) << Screen();
  ASSERT_TRUE(CalcPress("F<>D"));
  EXPECT_EQ(CalcRow(1), right("1⌟3")) << Screen();
  // EXE ends the output: the list and its keys are back.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_EQ(CalcRow(1), "Program List") << Screen();
  EXPECT_STREQ(HostFkeyLabelText(0), "EXE");
}

// "- Disp -" in a program run from the list: the OPTN pages open there (the
// list's own groups have none), VARS rests, and F<>D converts the value.
TEST_F(Prog, DispPauseOffersOptnAndConvertsTheValue) {
  MakeProgram("D", Bytes("1\xBB" "4\x0C" "2", 5));
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("EXE"));
  ASSERT_TRUE(CalcScreenHas("- Disp -")) << Screen();
  ASSERT_TRUE(CalcPress("VARS"));
  EXPECT_STREQ(HostFkeyLabelText(0), "") << "VARS rests at the pause";
  ASSERT_TRUE(CalcPress("OPTN"));
  EXPECT_STREQ(HostFkeyLabelText(0), "LIST") << Screen();
  ASSERT_TRUE(CalcPress("EXIT F<>D"));
  EXPECT_EQ(CalcRow(1), std::string(17, ' ') + "0.25") << Screen();
  EXPECT_TRUE(CalcScreenHas("- Disp -"));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_FALSE(CalcScreenHas("- Disp -")) << Screen();
  EXPECT_EQ(CalcRow(2), std::string(20, ' ') + "2") << Screen();
}

// The list's second page stays while its keys are pressed, a blank one
// included; EXIT and the run bring the first page back.
TEST_F(Prog, SecondListPageStaysOnABlankKey) {
  MakeProgram("P", "1");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F6"));
  const std::string second = HostFkeyLabelText(0);
  EXPECT_NE(second, "EXE");
  ASSERT_TRUE(CalcPress("F5"));
  EXPECT_EQ(HostFkeyLabelText(0), second) << "a blank key leaves the page";
  ASSERT_TRUE(CalcPress("F4 DOWN UP"));
  EXPECT_EQ(HostFkeyLabelText(0), second);
  ASSERT_TRUE(CalcPress("F6"));
  EXPECT_STREQ(HostFkeyLabelText(0), "EXE");
}

// The '?' input of a program: a list's sub-name target takes the typed
// text as it stands, and the line offers the OPTN menus of a calculation.
TEST_F(Prog, InputTakesATextIntoAListSubNameAndOffersOptn) {
  // {1,2}->List 1 / ?->List 1[0] / ?->A
  MakeProgram("IN", Bytes("{1,2}\x0E\x7F\x51" "1\r?\x0E\x7F\x51" "1[0]\r?\x0E" "A"));
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcScreenHas("?")) << Screen();
  ASSERT_TRUE(Type("AB"));
  ASSERT_TRUE(Codes({'1'}));
  ASSERT_TRUE(CalcPress("EXE"));
  char name[9] = {};
  ASSERT_TRUE(ItemListGetSubName(0, 1, name)) << Screen();
  EXPECT_STREQ(name, "AB1");
  // The second input: OPTN opens its pages (LIST first) and EXIT closes them.
  ASSERT_TRUE(CalcPress("OPTN"));
  EXPECT_STREQ(HostFkeyLabelText(0), "LIST") << Screen();
  ASSERT_TRUE(CalcPress("EXIT 7 EXE"));
  EXPECT_NE(CalcScreenText().find("7"), std::string::npos) << Screen();
}

}  // namespace

namespace {

// The function-memory keys of the editor: STO keeps the whole program, RCL
// puts a memory in at the cursor, the list's fn puts the memory token.
TEST_F(Prog, FunctionMemoryKeysInTheEditor) {
  MakeProgram("F", "2X\x89" "1");
  ASSERT_TRUE(Open());
  ASSERT_TRUE(CalcPress("F2"));
  ASSERT_TRUE(CalcPostCodes({kKeyFmemSto}));
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(CalcRow(1), "== Function Memory ==") << Screen();
  EXPECT_EQ(CalcRow(2).rfind(" f₃:2X+1", 0), 0u) << Screen();
  const char *kept = ItemFmemData(3);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(Bytes(kept), "2X\x89" "1");
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_EQ(CalcRow(1), Title("F")) << Screen();
  // The cursor stands on the first character: the memory goes in before it.
  ASSERT_TRUE(CalcPostCodes({kKeyFmemRcl}));
  ASSERT_TRUE(CalcPress("3 EXE"));
  EXPECT_EQ(ProgText("F"), "2X\x89" "12X\x89" "1");
  ASSERT_TRUE(CalcPostCodes({kKeyFmemSee}));
  ASSERT_TRUE(CalcPress("F3 3"));
  EXPECT_EQ(ProgText("F"), "2X\x89" "1\xF9\x1B" "32X\x89" "1");
  EXPECT_EQ(CalcRow(2).rfind("2X+1fn32X+1", 0), 0u) << Screen();
}

// At "- Disp -" G<->T shows what the program drew; EXIT comes back to the
// pause, EXE on the graph goes on with the program.
TEST_F(Prog, DispPauseShowsTheGraph) {
  MakeProgram("G", Bytes("\xF7\xA6" "3,1,1\x0C" "5", 10));
  ASSERT_TRUE(Open());
  // The display stop shows the graph first, then the pause.
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_TRUE(CalcDot(104, 22)) << CalcScreenPicture();  // the circle through (4, 1) and (3, 2)
  EXPECT_TRUE(CalcDot(94, 12));
  ASSERT_TRUE(CalcPress("EXIT"));
  ASSERT_TRUE(CalcScreenHas("- Disp -")) << Screen();
  EXPECT_FALSE(CalcDot(104, 22));
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTable}));
  EXPECT_TRUE(CalcDot(104, 22)) << CalcScreenPicture();
  ASSERT_TRUE(CalcPress("EXIT"));
  EXPECT_TRUE(CalcScreenHas("- Disp -")) << Screen();
  ASSERT_TRUE(CalcPostCodes({kKeyGraphTable}));
  ASSERT_TRUE(CalcPress("EXE"));
  EXPECT_FALSE(CalcScreenHas("- Disp -")) << Screen();
  EXPECT_TRUE(CalcScreenHas("5")) << Screen();
}

}  // namespace
