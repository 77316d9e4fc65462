// Build-time generator of the function-key icons and captions.
//
//   corvanta_fkey_gen <data dir> <output dir>
//
// Reads data/fkey_labels.txt (icon number and caption, UTF-8) and the small
// font data/font_mini.txt, and writes fkey_tables.cpp: the 1014 icon pictures
// (21 x 8 dots, 3 bytes a row: the caption white on a black box of 20 x 8
// dots, the last column clear; icons without a caption and those listed as
// blank stay all clear) and the captions in code page 932 for the shell's
// logs. Any fault in the inputs stops the build with
// a message naming the file and line.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "data/gen_common.h"

namespace {

constexpr int kIconCount = 1014;
constexpr int kIconWidth = 21;
constexpr int kIconHeight = 8;
// The box leaves the icon's last column clear, so neighbouring icons on the
// row stay apart.
constexpr int kBoxWidth = kIconWidth - 1;

struct MiniGlyph {
  std::vector<std::string> rows;  // '#' and '.' cells, all of one width
  int width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
};

// The small-font glyphs by their look (the character as it reads in UTF-8).
std::map<std::string, MiniGlyph> ReadMiniFont(const std::string &path) {
  std::map<std::string, MiniGlyph> font;
  const std::vector<std::string> lines = ReadLines(path);
  MiniGlyph *current = nullptr;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string &l = lines[i];
    if (l.empty() || l[0] == ';') continue;
    if (l.rfind("glyph ", 0) == 0) {
      std::istringstream s(l.substr(6));
      std::string code, look;
      s >> code >> look;
      if (look.empty()) Fail(path, static_cast<int>(i + 1), "glyph without a look");
      if (look == "SPACE") look = " ";
      current = &font[look];
      current->rows.clear();
      continue;
    }
    if (current == nullptr) Fail(path, static_cast<int>(i + 1), "picture row before any glyph");
    current->rows.push_back(l);
  }
  return font;
}

// Characters of captions that the small font has no glyph for, drawn here.
std::map<std::string, MiniGlyph> ExtraGlyphs() {
  return {
      {"□", {{"###", "#.#", "#.#", "#.#", "###"}}},
      {"▲", {{".....", "..#..", ".###.", "#####", "....."}}},
      {"α", {{"....", ".#.#", "#.#.", "#.#.", ".#.#"}}},
      {"Γ", {{"###", "#..", "#..", "#..", "#.."}}},
      {"Θ", {{".#.", "#.#", "###", "#.#", ".#."}}},
  };
}

// Caption characters drawn with the glyph of another look.
std::string DrawnAs(const std::string &c) {
  if (c == "Α") return "A";
  if (c == "Β") return "B";
  if (c == "・") return "·";
  return c;
}

// Code page 932 bytes of the non-ASCII caption characters.
const std::map<std::string, std::string> &Cp932() {
  static const std::map<std::string, std::string> table = {
      {"×", "\x81\x7E"}, {"Α", "\x83\x9F"}, {"Β", "\x83\xA0"}, {"Γ", "\x83\xA1"},
      {"Θ", "\x83\xA6"}, {"Σ", "\x83\xB0"}, {"α", "\x83\xBF"}, {"σ", "\x83\xD0"},
      {"←", "\x81\xA9"}, {"↑", "\x81\xAA"}, {"→", "\x81\xA8"}, {"↓", "\x81\xAB"},
      {"∫", "\x81\xE7"}, {"□", "\x81\xA0"}, {"▲", "\x81\xA3"}, {"・", "\x81\x45"},
  };
  return table;
}

// Splits UTF-8 text into characters.
std::vector<std::string> Utf8Chars(const std::string &text) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    chars.push_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

struct Icon {
  std::string caption;  // UTF-8
  bool blankPicture = false;
};

// Draws a caption white on a black 21 x 8 box: 8 rows of 3 bytes.
std::vector<unsigned char> DrawIcon(const std::vector<const MiniGlyph *> &glyphs) {
  int ink = 0;
  for (const MiniGlyph *g : glyphs) ink += g->width();
  const int n = static_cast<int>(glyphs.size());
  // One clear column between characters while the caption fits with a margin
  // of one dot on each side; otherwise the characters touch.
  int gap = (ink + n - 1 <= kBoxWidth - 2) ? 1 : 0;
  if (gap == 0 && ink + n - 1 <= kBoxWidth) gap = 1;
  const int width = ink + gap * (n - 1);
  int x = width >= kBoxWidth ? 0 : (kBoxWidth - width) / 2;
  bool dot[kIconHeight][kIconWidth];
  for (auto &row : dot)
    for (int c = 0; c < kIconWidth; ++c) row[c] = c < kBoxWidth;
  for (const MiniGlyph *g : glyphs) {
    for (size_t r = 0; r < g->rows.size() && r + 1 < kIconHeight; ++r)
      for (int c = 0; c < g->width(); ++c)
        if (g->rows[r][c] == '#' && x + c < kBoxWidth) dot[r + 1][x + c] = false;
    x += g->width() + gap;
  }
  std::vector<unsigned char> bytes(kIconHeight * 3, 0);
  for (int r = 0; r < kIconHeight; ++r)
    for (int c = 0; c < kIconWidth; ++c)
      if (dot[r][c]) bytes[r * 3 + c / 8] |= static_cast<unsigned char>(0x80 >> (c % 8));
  return bytes;
}

std::string CaptionLiteral(const std::string &caption, const std::string &file, int line) {
  std::string out = "\"";
  for (const std::string &c : Utf8Chars(caption)) {
    if (c.size() == 1) {
      if (c == "\"" || c == "\\") out += '\\';
      out += c;
      continue;
    }
    const auto it = Cp932().find(c);
    if (it == Cp932().end()) Fail(file, line, "no code page 932 form for '" + c + "'");
    char hex[16];
    for (unsigned char b : it->second) {
      std::snprintf(hex, sizeof hex, "\\x%02X\"\"", b);
      out += hex;
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <data dir> <output dir>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const std::string labelsPath = dir + "/fkey_labels.txt";
  std::map<std::string, MiniGlyph> font = ReadMiniFont(dir + "/font_mini.txt");
  for (const auto &[look, g] : ExtraGlyphs())
    if (font.find(look) == font.end()) font[look] = g;

  std::vector<Icon> icons(kIconCount);
  std::vector<int> captionLine(kIconCount, 0);
  const std::vector<std::string> lines = ReadLines(labelsPath);
  std::vector<int> blanks;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string &l = lines[i];
    const int lineNo = static_cast<int>(i + 1);
    if (l.empty() || l[0] == ';') continue;
    std::istringstream s(l);
    if (l.rfind("blank ", 0) == 0) {
      std::string word;
      s >> word;
      int n;
      while (s >> n) blanks.push_back(n);
      continue;
    }
    int n = -1;
    s >> n;
    std::string caption;
    s >> caption;
    if (n < 0 || n >= kIconCount || caption.empty()) Fail(labelsPath, lineNo, "expected: number caption");
    if (captionLine[n] != 0) Fail(labelsPath, lineNo, "icon listed twice");
    icons[n].caption = caption;
    captionLine[n] = lineNo;
  }
  for (int n : blanks) {
    if (n < 0 || n >= kIconCount) Fail(labelsPath, 0, "blank icon number out of range");
    icons[n].blankPicture = true;
  }

  std::ostringstream o;
  o << "// Generated from data/fkey_labels.txt and data/font_mini.txt; do not edit.\n"
    << "#include \"data/fkey_labels.h\"\n\n"
    << "const u8 kFkeyIcons[kFkeyIconCount][24] = {\n";
  for (int n = 0; n < kIconCount; ++n) {
    std::vector<unsigned char> bytes(24, 0);
    if (!icons[n].caption.empty() && !icons[n].blankPicture) {
      std::vector<const MiniGlyph *> glyphs;
      for (const std::string &c : Utf8Chars(icons[n].caption)) {
        const auto it = font.find(DrawnAs(c));
        if (it == font.end()) Fail(labelsPath, captionLine[n], "no small-font glyph for '" + c + "'");
        glyphs.push_back(&it->second);
      }
      bytes = DrawIcon(glyphs);
    }
    o << "    {";
    for (int i = 0; i < 24; ++i) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", bytes[i]);
      o << (i ? ", " : "") << hex;
    }
    o << "},  // " << n << (icons[n].caption.empty() ? "" : " " + icons[n].caption) << "\n";
  }
  o << "};\n\nconst char *const kFkeyLabels[kFkeyIconCount] = {\n";
  for (int n = 0; n < kIconCount; ++n)
    o << "    " << CaptionLiteral(icons[n].caption, labelsPath, captionLine[n]) << ",  // " << n << "\n";
  o << "};\n";

  const std::string outPath = std::string(argv[2]) + "/fkey_tables.cpp";
  const std::string text = o.str();
  // Leave an unchanged file alone so the library is not rebuilt for nothing.
  std::ifstream old(outPath, std::ios::binary);
  std::stringstream oldText;
  oldText << old.rdbuf();
  if (old && oldText.str() == text) return 0;
  std::ofstream out(outPath, std::ios::binary);
  if (!(out << text)) Fail(outPath, 0, "cannot write");
  return 0;
}
