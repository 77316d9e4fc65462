// Writes pictures of sample screens for a person to look at: one per
// language and one sheet of every glyph of both fonts. They land in
// sample_screens/ of the build folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/screen_reader.h"
#include "ui/font.h"
#include "ui/lcd.h"
#include "ui/msg.h"
#include "ui/text.h"

namespace {

std::string SamplePath(const std::string &name) {
  std::filesystem::create_directories(CORVANTA_SAMPLE_DIR);
  return std::string(CORVANTA_SAMPLE_DIR) + "/" + name;
}

void PrintMessage(i32 col, i32 row, i32 id) {
  char text[64];
  TextLocate(col, row);
  TextPrint(MsgText(id, text));
}

TEST(SampleScreens, OnePerLanguage) {
  static const char *kNames[5] = {"en", "es", "de", "fr", "pt"};
  for (i32 lang = 0; lang < MsgLanguageCount(); ++lang) {
    ASSERT_EQ(MsgSelectLanguage(lang), 1);
    LcdClearVram();
    PrintMessage(1, 1, 310);  // System Manager and its keys
    PrintMessage(1, 2, 312);
    PrintMessage(1, 3, 313);
    PrintMessage(1, 4, 314);
    PrintMessage(1, 5, 352);
    PrintMessage(1, 6, 295);
    PrintMessage(1, 7, 191);
    TextLocate(1, 8);
    char name[32];
    TextPrintFieldRev(MsgText(0, name), 21);
    ASSERT_TRUE(ScreenWritePng(SamplePath(std::string("msg_") + kNames[lang] + "_list.png")));
    EXPECT_FALSE(ScreenRowTrimmed(8).empty());
    LcdDrawPopupWindow(0, 5);
    PrintMessage(1, 2, 147);  // the five-row error box
    PrintMessage(1, 3, 148);
    PrintMessage(1, 4, 149);
    PrintMessage(1, 5, 150);
    PrintMessage(1, 6, 1);
    ASSERT_TRUE(ScreenWritePng(SamplePath(std::string("msg_") + kNames[lang] + "_box.png")));
    EXPECT_EQ(ScreenRowTrimmed(8).empty(), false);
  }
  MsgSelectDefaultLanguage();
}

TEST(SampleScreens, GlyphSheets) {
  LcdClearVram();
  i32 x = 0, y = 0;
  for (i32 i = 0; i < kFontGlyphCount; ++i) {
    char text[3] = {0, 0, 0};
    u16 code = kFontGlyphs[i].code;
    if (code > 0xFF) {
      text[0] = static_cast<char>(code >> 8);
      text[1] = static_cast<char>(code);
    } else {
      text[0] = static_cast<char>(code);
    }
    LcdPrintAtPixel(x, y, text, 0);
    x += 6;
    if (x > 120) {
      x = 0;
      y += 8;
      if (y >= 64) {
        ASSERT_TRUE(ScreenWritePng(SamplePath("font_" + std::to_string(i) + ".png")));
        LcdClearVram();
        y = 0;
      }
    }
  }
  ASSERT_TRUE(ScreenWritePng(SamplePath("font_last.png")));
  LcdClearVram();
  x = 0;
  y = 0;
  for (i32 i = 0; i < kFontMiniGlyphCount; ++i) {
    if (x > 122) {
      x = 0;
      y += 7;
    }
    LcdPrintMiniCharAt(&x, y, kFontMiniGlyphs[i].code, kLcdMiniNormal);
  }
  ASSERT_TRUE(ScreenWritePng(SamplePath("font_mini.png")));
}

}  // namespace
