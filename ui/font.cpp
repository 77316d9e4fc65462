#include "ui/font.h"

#include <algorithm>

extern const u8 kFontFallbackRows[8] = {0xF8, 0x88, 0x88, 0x88, 0x88, 0x88, 0xF8, 0x00};
extern const u8 kFontMiniFallbackRows[6] = {0xE0, 0xA0, 0xA0, 0xA0, 0xE0, 0x00};

bool FontIsLeadByte(u8 c) { return c == 0x7F || c == 0xF7 || c == 0xF9 || (c >= 0xE5 && c <= 0xE7); }

u16 FontReadChar(const char *text, int *length) {
  const u8 *p = reinterpret_cast<const u8 *>(text);
  if (p[0] == 0) {
    *length = 0;
    return 0;
  }
  if (FontIsLeadByte(p[0])) {
    if (p[1] == 0) {
      *length = 0;
      return 0;
    }
    *length = 2;
    return static_cast<u16>(p[0] << 8 | p[1]);
  }
  *length = 1;
  return p[0];
}

const FontGlyph *FontFindGlyph(u16 code) {
  const FontGlyph *end = kFontGlyphs + kFontGlyphCount;
  const FontGlyph *g =
      std::lower_bound(kFontGlyphs, end, code, [](const FontGlyph &a, u16 c) { return a.code < c; });
  return g != end && g->code == code ? g : nullptr;
}

const u8 *LcdGetGlyph(u16 code) {
  const FontGlyph *g = FontFindGlyph(code);
  return g ? g->rows : nullptr;
}

const u8 *LcdGetMiniGlyph(u16 code, int *width) {
  const FontMiniGlyph *end = kFontMiniGlyphs + kFontMiniGlyphCount;
  const FontMiniGlyph *g =
      std::lower_bound(kFontMiniGlyphs, end, code, [](const FontMiniGlyph &a, u16 c) { return a.code < c; });
  if (g == end || g->code != code) return nullptr;
  if (width) *width = g->width;
  return g->rows;
}
