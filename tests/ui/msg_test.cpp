#include "ui/msg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/font.h"
#include "ui/setup.h"

namespace {

std::string Text(i32 id) {
  const char *t = nullptr;
  return MsgGetText(id, &t) ? std::string(t) : std::string("<none>");
}

// Cells a text takes on its widest line, moving as the text writer does.
int CellWidth(const char *s) {
  int x = 0, widest = 0;
  for (;;) {
    int len = 0;
    u16 code = FontReadChar(s, &len);
    if (len == 0) break;
    s += len;
    if (code == 0xF9C8) --x;
    else if (code == 0xF9CD) x = 0;
    else if (code != 0xF9CA) ++x;
    widest = std::max(widest, x);
  }
  return widest;
}

bool IsLayout(u16 code) { return code == 0xF9C8 || code == 0xF9C9 || code == 0xF9CA || code == 0xF9CD; }

class MsgTest : public ::testing::Test {
 protected:
  void TearDown() override { MsgSelectDefaultLanguage(); }
};

TEST_F(MsgTest, LanguagesAndSelection) {
  EXPECT_EQ(MsgLanguageCount(), 5);
  EXPECT_EQ(MsgAltLanguageCount(), 1);
  const std::string names[5] = {"English", "Espa\xE6\x0Fol", "Deutsch", "Fran\xE6\x06" "ais",
                                "Portugu\xE6\x09s"};
  for (i32 n = 0; n < 5; ++n) {
    ASSERT_EQ(MsgSelectLanguage(n), 1);
    EXPECT_EQ(MsgGetLanguage(), n);
    EXPECT_EQ(Text(0), names[n]) << n;
  }
  MsgSelectLanguage(2);
  EXPECT_EQ(MsgSelectLanguage(5), 0);
  EXPECT_EQ(MsgSelectLanguage(-1), 0);
  EXPECT_EQ(MsgGetLanguage(), 2);
  EXPECT_EQ(Text(0), "Deutsch");
  EXPECT_EQ(MsgSelectDefaultLanguage(), MsgLanguageBlock(0));
  EXPECT_EQ(Text(0), "English");
  EXPECT_EQ(MsgLanguageBlock(5), nullptr);
  EXPECT_EQ(MsgAltLanguageBlock(0), nullptr);
}

TEST_F(MsgTest, OutOfRangeIdsAreRefused) {
  for (i32 id : {-1, 719, 1000, -32768}) {
    const char *t = "unchanged";
    EXPECT_EQ(MsgGetText(id, &t), 0) << id;
    EXPECT_STREQ(t, "unchanged");
    char dst[8] = "keep";
    EXPECT_EQ(MsgText(id, dst), nullptr);
    EXPECT_STREQ(dst, "keep");
  }
  const char *t = nullptr;
  EXPECT_EQ(MsgGetAltText(0, &t), 0);
}

TEST_F(MsgTest, AltLanguageSetHasNoBlocks) {
  MsgResetAltLanguage();
  EXPECT_EQ(MsgSelectAltLanguage(0), 0);
  EXPECT_EQ(MsgGetAltLanguage(), 0);
  MsgLanguageInfo info{};
  EXPECT_EQ(MsgGetAltLanguageInfo(0, &info), 0);
}

TEST_F(MsgTest, LanguageInfoComesFromSelectedBlock) {
  MsgSelectDefaultLanguage();
  MsgLanguageInfo info{};
  ASSERT_EQ(MsgGetLanguageInfo(3, &info), 1);
  EXPECT_EQ(info.version, 0x100);
  EXPECT_EQ(info.lowest_id, 0);
  EXPECT_EQ(info.highest_id, 718);
  EXPECT_EQ(info.name[8], 0);
  EXPECT_EQ(MsgGetLanguageInfo(5, &info), 0);
}

TEST_F(MsgTest, EnglishRowsAsStored) {
  struct Case {
    i32 id;
    const char *text;
  } cases[] = {
      {0, "English"},
      {1, "\xF9\xC9\xF9\xC9   Press:[EXIT]  "},
      {24, ""},
      {56, "\xF9\xC9\xF9\xC9      Break      "},
      {169, "\xF9\xC9\xF9\xC9" "Dimension m\xA9n    "},
      {259, "\xE6V\xE5\xC2 Test              "},
      {331, " [\xE6\x9A]Key       [\xE6\x9B]Key "},
      {436, "\xF9\xC9\xF9\xC9" "Factor           "},
      {542, " "},
      {718, "\xF9\xC9\xF9\xC9                 "},
  };
  for (const Case &c : cases) EXPECT_EQ(Text(c.id), c.text) << c.id;
}

TEST_F(MsgTest, TranslatedRowsTheOtherBlocksMustCarry) {
  struct Case {
    i32 lang, id;
    const char *text;
  } cases[] = {
      {kMsgSpanish, 1, "\xF9\xC9\xF9\xC9 Presione:[EXIT] "},
      {kMsgFrench, 1, "\xF9\xC9\xF9\xC9 Appuyer:[EXIT]  "},
      {kMsgGerman, 56, "\xF9\xC9\xF9\xC9  Unterbrechung  "},
      {kMsgFrench, 56, "\xF9\xC9\xF9\xC9  Interruption   "},
      {kMsgPortuguese, 56, "\xF9\xC9\xF9\xC9  Interruption   "},
      {kMsgSpanish, 436, "\xF9\xC9\xF9\xC9" "Factor           "},
      {kMsgGerman, 436, "\xF9\xC9\xF9\xC9" "Faktor           "},
  };
  for (const Case &c : cases) {
    MsgSelectLanguage(c.lang);
    EXPECT_EQ(Text(c.id), c.text) << c.lang << " " << c.id;
  }
}

// Every text of every language keeps the English width and layout codes and
// only uses characters the font can draw.
TEST_F(MsgTest, EveryTextFitsAndHasGlyphs) {
  std::string english[kMsgCount];
  for (i32 id = 0; id < kMsgCount; ++id) english[id] = Text(id);
  for (i32 lang = 0; lang < 5; ++lang) {
    MsgSelectLanguage(lang);
    int translated = 0;
    for (i32 id = 0; id < kMsgCount; ++id) {
      std::string t = Text(id);
      ASSERT_NE(t, "<none>");
      if (t != english[id]) ++translated;
      if (id == 0) continue;  // the language's own name
      EXPECT_EQ(CellWidth(t.c_str()), CellWidth(english[id].c_str())) << "lang " << lang << " id " << id;
      // Same leading layout codes.
      size_t lead = 0;
      while (lead + 1 < english[id].size() && english[id][lead] == '\xF9') lead += 2;
      EXPECT_EQ(t.substr(0, lead), english[id].substr(0, lead)) << "lang " << lang << " id " << id;
      for (const char *p = t.c_str();;) {
        int len = 0;
        u16 code = FontReadChar(p, &len);
        if (len == 0) break;
        p += len;
        EXPECT_TRUE(IsLayout(code) || LcdGetGlyph(code)) << "lang " << lang << " id " << id << " code " << code;
      }
    }
    if (lang != 0) {
      EXPECT_GT(translated, 300) << "language " << lang << " is mostly untranslated";
    }
  }
}

TEST_F(MsgTest, MsgTextCopiesWithinCapacity) {
  char big[64];
  ASSERT_EQ(MsgText(1, big), big);
  EXPECT_STREQ(big, "\xF9\xC9\xF9\xC9   Press:[EXIT]  ");
  // A short buffer gets a cut copy that never splits a two-byte character.
  char small[4] = {'x', 'x', 'x', 'x'};
  ASSERT_EQ(MsgText(1, small, sizeof small), small);
  EXPECT_STREQ(small, "\xF9\xC9");
  char one[1] = {'x'};
  EXPECT_EQ(MsgText(1, one, 1), one);
  EXPECT_EQ(one[0], 0);
  EXPECT_EQ(MsgText(1, big, 0), nullptr);
  EXPECT_EQ(MsgText(1, nullptr, 10), nullptr);
}

TEST_F(MsgTest, LanguageSwitchChangesTexts) {
  MsgSelectLanguage(kMsgGerman);
  char de[64];
  MsgText(56, de);
  MsgSelectLanguage(kMsgEnglish);
  char en[64];
  MsgText(56, en);
  EXPECT_STRNE(de, en);
}

}  // namespace

namespace {

TEST(MsgNull, NullOutputsAreRefused) {
  EXPECT_EQ(MsgGetText(0, nullptr), 0);
  EXPECT_EQ(MsgGetLanguageInfo(0, nullptr), 0);
}

}  // namespace
