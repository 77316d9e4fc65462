// The special character codes that number texts, the textbook editor and
// token names use have a glyph in both fonts, not the hollow stand-in box.
#include <gtest/gtest.h>

#include "ui/font.h"

namespace {

TEST(FontSpecialCodes, DrawnInBothFonts) {
  const u16 codes[] = {
      0x0F, 0x87, 0x7F50, 0x7F54, 0xBB, 0x9C, 0xE596, 0xE598,  // number texts
      0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,                      // hexadecimal digits 10-15
      0x01, 0x03, 0xE64B, 0x07, 0x08, 0x09, 0x0A, 0x0B,        // engineering prefixes
      0xE69A, 0xE69B, 0xE69C, 0xE69D, 0xE69F, 0xE6AF,          // textbook markers
      0x9B, 0xAC, 0xBC, 0xCB, 0xCC, 0x96, 0xB8, 0xE5CB,        // symbols of token names
  };
  for (u16 code : codes) {
    EXPECT_NE(LcdGetGlyph(code), nullptr) << std::hex << code;
    int width = 0;
    EXPECT_NE(LcdGetMiniGlyph(code, &width), nullptr) << std::hex << code;
    EXPECT_GT(width, 0) << std::hex << code;
  }
}

}  // namespace
