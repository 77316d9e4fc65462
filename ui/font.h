// The calculator's two fonts: the 6 x 8 text font and the small font of graph
// labels and function-key captions. The glyph pictures live in
// data/font6x8.txt and data/font_mini.txt; the build turns them into the
// sorted tables below.
#pragma once
#include "kernel/types.h"

// One glyph of the 6 x 8 font: 8 rows, the leftmost dot in bit 7 of a row
// (the two low bits are always clear); look is how the character reads in
// Unicode (UTF-8), for the test reader and the message files.
struct FontGlyph {
  u16 code;
  u8 rows[8];
  const char *look;
};

// One glyph of the small font: width dots (1-7) of 6 rows, leftmost dot in bit 7.
struct FontMiniGlyph {
  u16 code;
  u8 width;
  u8 rows[6];
};

// Sorted by code.
extern const FontGlyph kFontGlyphs[];
extern const int kFontGlyphCount;
extern const FontMiniGlyph kFontMiniGlyphs[];
extern const int kFontMiniGlyphCount;

// The drawn stand-in for a character the font has no glyph for: a hollow box,
// so a missing glyph is seen instead of ending the text.
extern const u8 kFontFallbackRows[8];
extern const u8 kFontMiniFallbackRows[6];
constexpr int kFontMiniFallbackWidth = 3;

// True for the lead bytes of two-byte characters: 0x7F, 0xE5, 0xE6, 0xE7, 0xF7, 0xF9.
bool FontIsLeadByte(u8 c);

// The character at text: its code (one byte, or lead byte << 8 | next byte)
// and, through length, how many bytes it takes (0 at the terminating 0; a
// lead byte followed by the terminator counts as the end of the text).
u16 FontReadChar(const char *text, int *length);

// The glyph of a code, or null when the font has none.
const FontGlyph *FontFindGlyph(u16 code);
// The 8 glyph rows of a code, or null when the font has none.
const u8 *LcdGetGlyph(u16 code);
// The small-font rows of a code and their width, or null when there is none.
const u8 *LcdGetMiniGlyph(u16 code, int *width);
