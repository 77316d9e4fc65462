#include "ui/catalog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "data/token_names.h"
#include "kernel/calc_ram.h"
#include "kernel/task_glue.h"
#include "memory/str.h"
#include "tests/support/screen_reader.h"
#include "tests/ui/key_feed.h"
#include "ui/charset.h"
#include "ui/fkey.h"
#include "ui/keycodes.h"
#include "ui/keys.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/setup.h"
#include "ui/text.h"

namespace {

class CatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartScreenTest();
    CatalogReset();
  }
  void TearDown() override { StopKeyFeed(); }
};

std::string Utf8(const char *calc) {
  char out[256];
  CharsetToUtf8(calc, static_cast<u32>(std::strlen(calc)), out, sizeof out);
  return out;
}

// The name of a token as the catalog shows it: its display name without
// leading blanks.
std::string ShownName(u32 code) {
  char name[kStrTokenNameMax];
  StrTokenName(code, name);
  const char *p = name;
  while (*p == ' ') ++p;
  return p;
}

// Reads one key the way an application does.
u32 ReadKey(u32 *key) { return KeyGetKey(key); }

TEST_F(CatalogTest, EveryEntryIsItsTokensNameInAlphabeticalOrder) {
  const u32 n = CatalogEntryCount();
  ASSERT_GT(n, 300u);
  std::string prev;
  for (u32 i = 0; i < n; ++i) {
    const u32 code = CatalogEntryCode(i);
    EXPECT_EQ(std::string(CatalogEntryText(i)), ShownName(code)) << i;
    std::string key = Utf8(CatalogEntryText(i));
    for (char &c : key)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    EXPECT_LE(prev, key) << "entry " << i;
    prev = key;
  }
  EXPECT_EQ(CatalogEntryCode(n), 0u);
  EXPECT_STREQ(CatalogEntryText(n), "");
}

TEST_F(CatalogTest, EveryNamedTokenIsInTheCatalog) {
  std::set<u32> listed;
  for (u32 i = 0; i < CatalogEntryCount(); ++i) listed.insert(CatalogEntryCode(i));
  for (int i = 0; i < kTokenNameCount; ++i) {
    const u32 code = kTokenNames[i].code;
    if (ShownName(code).empty()) continue;
    EXPECT_TRUE(listed.count(code)) << std::hex << code << " " << kTokenNames[i].utf8;
  }
}

TEST_F(CatalogTest, LetterJumpTable) {
  struct Case {
    char letter;
    const char *first;  // UTF-8 text of the first entry with that letter
  } cases[] = {
      {'A', "a"}, {'s', "S-Gph1"}, {'Z', "ZoomAuto"}, {'g', "G"}, {'x', "X"}, {'W', "While"},
  };
  for (const Case &c : cases) {
    const u32 at = CatalogFindLetter(c.letter);
    ASSERT_LT(at, CatalogEntryCount()) << c.letter;
    EXPECT_EQ(Utf8(CatalogEntryText(at)).substr(0, std::strlen(c.first)), c.first) << c.letter;
    if (at > 0) {
      const char before = Utf8(CatalogEntryText(at - 1))[0];
      EXPECT_NE(before | 0x20, c.letter | 0x20) << "the jump lands on the first entry of the letter";
    }
  }
}

TEST_F(CatalogTest, CatalogKeyTypesTheChosenToken) {
  keyfeed::record = true;
  LcdClearVram();
  TextLocate(1, 1);
  TextPrint("BEFORE");
  // SHIFT 4, the letter S (ALPHA is locked inside), DOWN, EXE.
  Press({kKeyCatalog, 'S', kKeyDown, kKeyExe});
  u32 key = 0;
  ASSERT_EQ(ReadKey(&key), 1u);
  const u32 at = CatalogFindLetter('S') + 1;
  EXPECT_EQ(key, CatalogEntryCode(at));
  // The list as DOWN arrived: the S entries from the top, the first reversed.
  ASSERT_EQ(keyfeed::seen.size(), 4u);
  EXPECT_EQ(keyfeed::seen[2].substr(0, 3), Utf8(CatalogEntryText(at - 1)).substr(0, 3));
  // The screen, modifier and mask are as they were.
  EXPECT_EQ(ScreenRowTrimmed(1), "BEFORE");
  EXPECT_EQ(KeyGetModifier(), kModNone);
  EXPECT_EQ(KeyGetMenuMask(), 0);
  // It opens again on the entry chosen last; EXIT types nothing and the key
  // reader goes on to the next key.
  keyfeed::seen.clear();
  Press({kKeyCatalog, kKeyExit, '5'});
  ASSERT_EQ(ReadKey(&key), 1u);
  EXPECT_EQ(key, static_cast<u32>('5'));
  EXPECT_EQ(ScreenRowReversed(1), std::string(21, '.'));
  ASSERT_GE(keyfeed::seen.size(), 2u);
  EXPECT_EQ(keyfeed::seen[1].substr(0, 21).find(Utf8(CatalogEntryText(at)).substr(0, 4)), 0u) << keyfeed::seen[1];
  // A reset opens it at the top: UP from the top wraps to the last entry.
  CatalogReset();
  Press({kKeyCatalog, kKeyUp, kKeyExe});
  ASSERT_EQ(ReadKey(&key), 1u);
  EXPECT_EQ(key, CatalogEntryCode(CatalogEntryCount() - 1));
}

TEST_F(CatalogTest, RamInitialisationForgetsTheLastEntry) {
  ASSERT_EQ(HostAllocCalcRam(), 1u);
  Press({kKeyCatalog, kKeyDown, kKeyDown, kKeyExe});
  u32 key = 0;
  ASSERT_EQ(KeyGetKey(&key), 1u);
  EXPECT_EQ(key, CatalogEntryCode(2));
  Press({kKeyCatalog, kKeyExe});
  ASSERT_EQ(KeyGetKey(&key), 1u);
  EXPECT_EQ(key, CatalogEntryCode(2)) << "opens on the entry chosen last";
  SysGlueInitRamSettings();
  Press({kKeyCatalog, kKeyExe});
  ASSERT_EQ(KeyGetKey(&key), 1u);
  EXPECT_EQ(key, CatalogEntryCode(0)) << "opens at the top after the RAM is initialised";
}

TEST_F(CatalogTest, MaskedCatalogKeyReachesTheCaller) {
  KeySetMenuMask(kMaskCatalog);
  Press({kKeyCatalog});
  u32 key = 0;
  EXPECT_EQ(ReadKey(&key), 0u);
  EXPECT_EQ(key, static_cast<u32>(kKeyCatalog));
}

TEST_F(CatalogTest, CharacterSelectReturnsTheChosenCharacter) {
  Press({kKeyRight, kKeyRight, kKeyDown, kKeyLeft, kKeyExe});
  const u32 c = CatalogCharSelect();
  EXPECT_NE(c, 0u);
  EXPECT_FALSE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
  // The 21st character of the grid (second row, second column).
  Press({kKeyDown, kKeyRight, kKeyExe});
  EXPECT_EQ(CatalogCharSelect(), c);
  Press({kKeyRight, kKeyExit});
  EXPECT_EQ(CatalogCharSelect(), 0u);
  Press({kKeyQuit});
  EXPECT_EQ(CatalogCharSelect(), 0u);
  // The first is '!'.
  Press({kKeyLeft, kKeyUp, kKeyExe});
  EXPECT_EQ(CatalogCharSelect(), static_cast<u32>('!'));
}

}  // namespace
